// Compact JSON text of a document, as the back end receives it.
#pragma once

#include <nlohmann/json_fwd.hpp>

#include <string>

// Members in key order, no spaces, non-ASCII characters as UTF-8, control characters
// escaped. Invalid UTF-8 in a string becomes U+FFFD instead of failing, so an untrusted
// text never stops a request. Never throws but for lack of memory.
std::string JsonText(const nlohmann::json& value);
