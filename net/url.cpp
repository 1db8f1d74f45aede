#include "net/url.h"

#include "net/file_name.h"

#include <windows.h>
#include <shlwapi.h>

#include <vector>

namespace {

// The longest URL Windows handles (INTERNET_MAX_URL_LENGTH); Wine's UrlCombineW writes past
// its buffers when the two texts together are longer.
constexpr size_t kMaxUrlLength = 2083;

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
    if (!fileName.empty()) return SafeFileName(fileName);
    const std::wstring path = url.substr(0, url.find_first_of(L"?#"));
    return SafeFileName(path.substr(path.rfind(L'/') + 1));
}
