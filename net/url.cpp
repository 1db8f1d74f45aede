#include "net/url.h"

#include <windows.h>
#include <shlwapi.h>

#include <vector>

namespace {

// The longest URL Windows handles (INTERNET_MAX_URL_LENGTH); Wine's UrlCombineW writes past
// its buffers when the two texts together are longer.
constexpr size_t kMaxUrlLength = 2083;

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9, with or without an extension, name devices.
bool IsDeviceName(const std::wstring& name) {
    std::wstring stem = name.substr(0, name.find(L'.'));
    for (auto& c : stem) c = towupper(c);
    if (stem == L"CON" || stem == L"PRN" || stem == L"AUX" || stem == L"NUL") return true;
    return stem.size() == 4 &&
           (stem.compare(0, 3, L"COM") == 0 || stem.compare(0, 3, L"LPT") == 0) &&
           stem[3] >= L'1' && stem[3] <= L'9';
}

}  // namespace

std::wstring ResolveLocation(const std::wstring& base, const std::wstring& location) {
    if (base.size() + location.size() > kMaxUrlLength) return location;
    DWORD size = static_cast<DWORD>(base.size() + location.size() + 16);
    for (;;) {
        std::vector<wchar_t> buffer(size);
        DWORD length = size;
        const HRESULT result =
            UrlCombineW(base.c_str(), location.c_str(), buffer.data(), &length, 0);
        if (result == E_POINTER && length > size) {
            size = length;
            continue;
        }
        std::wstring url = SUCCEEDED(result) ? std::wstring(buffer.data(), length) : location;
        return url.substr(0, url.find(L'#'));
    }
}

std::wstring DownloadFileName(const std::wstring& url, const std::wstring& fileName) {
    std::wstring name = fileName;
    if (name.empty()) {
        name = url.substr(0, url.find_first_of(L"?#"));
        name = name.substr(name.rfind(L'/') + 1);
    }
    const size_t separator = name.find_last_of(L"/\\:");
    if (separator != std::wstring::npos) name.erase(0, separator + 1);
    // Windows drops trailing dots and spaces: "..." would name the folder itself.
    while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.pop_back();
    return IsDeviceName(name) ? L"" : name;
}
