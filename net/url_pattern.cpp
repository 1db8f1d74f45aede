#include "net/url_pattern.h"

#include <windows.h>

namespace {

bool IsNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '.' || c == '-';
}

std::string RemoveScheme(const std::string& text) {
    for (const char* scheme : {"https://", "http://"}) {
        if (text.compare(0, std::char_traits<char>::length(scheme), scheme) == 0)
            return text.substr(std::char_traits<char>::length(scheme));
    }
    return text;
}

}  // namespace

bool LooksLikeUrlBytes(const std::string& text) {
    // A name character is never ":", so a text that starts with a scheme can only match
    // with the scheme taken off.
    const std::string rest = RemoveScheme(text);
    size_t end = 0;
    while (end < rest.size() && IsNameCharacter(rest[end])) ++end;
    // The name splits into a first part and "." and at least one more part, none empty: a
    // dot after the first character and before the last.
    const std::string name = rest.substr(0, end);
    if (name.size() < 3 || name.find('.', 1) > name.size() - 2) return false;
    if (end == rest.size()) return true;
    if (rest[end] != '/' && rest[end] != '?' && rest[end] != '#') return false;
    return rest.find_first_of("\r\n", end) == std::string::npos;
}

bool LooksLikeUrl(const std::wstring& text) {
    if (text.empty()) return false;
    const int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    if (size <= 0) return false;
    std::string ansi(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), ansi.data(), size,
                        nullptr, nullptr);
    return LooksLikeUrlBytes(ansi);
}

std::wstring FullDownloadAddress(const std::wstring& source, const std::wstring& fileBase) {
    const bool hasScheme =
        source.compare(0, 7, L"http://") == 0 || source.compare(0, 8, L"https://") == 0;
    return hasScheme || LooksLikeUrl(source) ? source : fileBase + source;
}
