// Placeholders that pages fill in their texts, written as a name in square brackets.
#pragma once

#include <string>

// Replaces every occurrence of placeholder in text by value. The search goes on after the
// inserted value, so a value that holds the placeholder cannot make it endless.
std::wstring ReplacePlaceholder(std::wstring text, const std::wstring& placeholder, const std::wstring& value);
