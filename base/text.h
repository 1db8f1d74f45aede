// Small text helpers shared by every folder.
#pragma once

#include <string>
#include <vector>

// Replaces every occurrence of token in text by value in one pass. The search goes on after
// the inserted value, so a value that holds the token cannot make it endless; an empty
// token leaves the text as it is.
template <typename Char>
std::basic_string<Char> ReplaceAll(const std::basic_string<Char>& text,
                                   const std::basic_string<Char>& token,
                                   const std::basic_string<Char>& value) {
    if (token.empty()) return text;
    std::basic_string<Char> result;
    size_t from = 0;
    for (size_t at = text.find(token); at != std::basic_string<Char>::npos;
         at = text.find(token, from)) {
        result.append(text, from, at - from).append(value);
        from = at + token.size();
    }
    return result.append(text, from, std::basic_string<Char>::npos);
}

// The text cut at each delimiter; consecutive delimiters give empty items, a trailing one
// gives no empty last item, an empty text gives no items.
std::vector<std::wstring> Split(const std::wstring& text, wchar_t delimiter);

// Lower-cases character by character (towlower).
std::wstring ToLower(std::wstring text);

bool StartsWith(const std::wstring& text, const std::wstring& prefix);

// The number that text begins with (after white space), as std::stof reads it: "11.0.19041.1"
// gives 11. No number throws std::invalid_argument, a number beyond a float
// std::out_of_range. Converted by the C runtime DLL: MinGW's own conversion would add 9 KB.
float LeadingFloat(const std::wstring& text);
