#include "base/text.h"

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cwctype>
#include <stdexcept>

std::vector<std::wstring> Split(const std::wstring& text, wchar_t delimiter) {
    std::vector<std::wstring> items;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find(delimiter, start);
        if (end == std::wstring::npos) end = text.size();
        items.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return items;
}

std::wstring ToLower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

float LeadingFloat(const std::wstring& text) {
    size_t at = text.find_first_not_of(L" \t\n\v\f\r");
    if (at != std::wstring::npos && (text[at] == L'+' || text[at] == L'-')) ++at;
    if (at != std::wstring::npos && text[at] == L'.') ++at;
    if (at >= text.size() || !std::iswdigit(text[at])) throw std::invalid_argument("stof");
    const double value = _wtof(text.c_str());
    if (std::fabs(value) > FLT_MAX || (value != 0 && std::fabs(value) < FLT_MIN)) {
        throw std::out_of_range("stof");
    }
    return static_cast<float>(value);
}
