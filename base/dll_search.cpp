#include "base/dll_search.h"

#include <string>

namespace {

// DLLs that system DLLs load for themselves by bare name and late: GDI+ its image codecs,
// the themed controls their drawing helpers. Loaded here by full path, those loads find the
// module already loaded, also where the limit is missing or where a system DLL's own
// delayed imports do not follow it (Wine's do not).
const wchar_t* const kLoadedBySystemDlls[] = {L"windowscodecs.dll", L"msimg32.dll"};

bool LimitSearch() {
    // Looked up, not imported: a static import would keep older systems from starting.
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    const auto setDefaultDllDirectories =
        reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefaultDllDirectories && setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return true;
    SetDllDirectoryW(L"");
    return false;
}

}  // namespace

bool LimitDllSearchToSystem32() {
    const bool limited = LimitSearch();
    for (const wchar_t* name : kLoadedBySystemDlls) LoadSystemLibrary(name);
    return limited;
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(folder, length) + L"\\" + name;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
