#include "net/file_name.h"

#include <windows.h>

#include <vector>

namespace {

constexpr wchar_t kTrimmed[] = L". ";

bool IsRefusedCharacter(wchar_t c) { return c < 32 || wcschr(L"<>\"|?*", c) != nullptr; }

std::wstring UpperCase(std::wstring text) {
    for (wchar_t& c : text) {
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    return text;
}

// Windows opens a device for these stems, whatever extension follows.
bool IsDeviceName(const std::wstring& name) {
    std::wstring stem = name.substr(0, name.find(L'.'));
    stem.erase(stem.find_last_not_of(L' ') + 1);
    stem = UpperCase(stem);
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"}) {
        if (stem == device) return true;
    }
    if (stem.size() != 4 || (stem.compare(0, 3, L"COM") != 0 && stem.compare(0, 3, L"LPT") != 0))
        return false;
    // COM1 to COM9 and LPT1 to LPT9, also with a superscript digit.
    const wchar_t digit = stem[3];
    return (digit >= L'1' && digit <= L'9') || digit == L'\u00b9' || digit == L'\u00b2' ||
           digit == L'\u00b3';
}

std::wstring FullPath(const std::wstring& path) {
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return {};
    std::vector<wchar_t> buffer(size);
    const DWORD length = GetFullPathNameW(path.c_str(), size, buffer.data(), nullptr);
    return length > 0 && length < size ? std::wstring(buffer.data(), length) : std::wstring();
}

bool SameText(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

std::wstring SafeFileName(const std::wstring& name) {
    std::wstring safe = name.substr(name.find_last_of(L"/\\:") + 1);
    for (wchar_t& c : safe) {
        if (IsRefusedCharacter(c)) c = L'_';
    }
    const size_t first = safe.find_first_not_of(kTrimmed);
    if (first == std::wstring::npos) return {};
    safe = safe.substr(first, safe.find_last_not_of(kTrimmed) - first + 1);
    return IsDeviceName(safe) ? L"_" + safe : safe;
}

std::wstring ConfinedPath(const std::wstring& folder, const std::wstring& name) {
    const std::wstring safe = SafeFileName(name);
    std::wstring root = FullPath(folder);
    if (safe.empty() || root.empty()) return {};
    if (root.back() != L'\\') root += L'\\';
    // Whatever the system makes of the name, the result must be the plain join.
    const std::wstring joined = root + safe;
    const std::wstring path = FullPath(joined);
    if (path.size() >= MAX_PATH || !SameText(path, joined)) return {};
    return path;
}
