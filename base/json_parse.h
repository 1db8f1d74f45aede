// Strict JSON text to a document, for replies of the back end.
#pragma once

#include <nlohmann/json_fwd.hpp>

#include <string>

// The document that text holds: one value with white space around it (a UTF-8 byte-order
// mark first is skipped; a NUL after the value ends the text). Numbers without fraction or exponent
// become integers when they fit (unsigned when not negative), others doubles; a number beyond a
// double, invalid UTF-8, a lone surrogate, comments, trailing commas and nesting deeper than 512
// are refused. Of duplicate members the last counts. Throws nlohmann::json::parse_error when the
// text is not such a document.
nlohmann::json JsonFromText(const std::string& text);
