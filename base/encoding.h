// UTF-8 <-> UTF-16 conversions used wherever JSON or XML text meets the user interface.
#pragma once

#include <string>
#include <type_traits>

// UTF-8 to UTF-16; invalid sequences become U+FFFD. The result is cut at the first NUL.
std::wstring Utf8ToWide(const std::string& text);

// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string WideToUtf8(const std::wstring& text);

// Decimal digits of an integer as UTF-16. (std::to_wstring would link a whole printf.)
template <typename Integer>
std::wstring DecimalText(Integer value) {
    static_assert(std::is_integral_v<Integer>, "integers only");
    const std::string digits = std::to_string(value);
    return std::wstring(digits.begin(), digits.end());
}

// The UTF-8 sequence that starts at text[at] (at < text.size()): its whole length when it is
// well formed (no overlong form, no surrogate, nothing above U+10FFFF), else the bytes up to
// the one that breaks it, at least one, so that a reader can go on after it.
struct Utf8Sequence {
    size_t length;
    bool valid;
};
Utf8Sequence Utf8SequenceAt(const std::string& text, size_t at);
