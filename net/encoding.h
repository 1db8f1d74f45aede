// UTF-8 <-> UTF-16 conversions used wherever JSON or XML text meets the user interface.
#pragma once

#include <string>

// UTF-8 to UTF-16; invalid sequences become U+FFFD. The result is cut at the first NUL.
std::wstring Utf8ToWide(const std::string& text);

// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string WideToUtf8(const std::wstring& text);

// Decimal digits of a number as UTF-16. (std::to_wstring would link a whole printf.)
std::wstring DecimalText(long long value);
