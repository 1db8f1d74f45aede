#include "pages/placeholders.h"

std::wstring ReplacePlaceholder(std::wstring text, const std::wstring& placeholder, const std::wstring& value) {
    if (placeholder.empty()) return text;
    for (size_t at = text.find(placeholder); at != std::wstring::npos; at = text.find(placeholder, at + value.size())) {
        text.replace(at, placeholder.size(), value);
    }
    return text;
}
