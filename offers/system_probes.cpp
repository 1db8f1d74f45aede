#include "offers/system_probes.h"

#include "base/text.h"
#include "base/path_macros.h"
#include "base/encoding.h"
#include "base/registry_value.h"
#include "base/time.h"
#include "base/system_info.h"
#include "offers/package.h"
#include "offers/registry.h"
#include "base/handle.h"

#include <knownfolders.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cwchar>

namespace {

// Where Chrome or Chromium is usually installed; the probe adds two registry locations.
const wchar_t* const kChromePaths[] = {L"{commonpf}\\Chromium\\Application\\chrome.exe",
                                       L"{commonpf}\\Google\\Chrome\\Application\\chrome.exe",
                                       L"{localappdata}\\Chromium\\Application\\chrome.exe"};

size_t CountDots(const std::wstring& text) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), L'.'));
}

bool HoldsMacro(const std::wstring& path, const PathMacroTable& macros) {
    for (const auto& macro : macros) {
        const std::wstring token =
            L"{" + std::wstring(macro.first.begin(), macro.first.end()) + L"}";
        if (path.find(token) != std::wstring::npos) return true;
    }
    return false;
}

// The folder of the Default user's Desktop (the system drive in practice), or empty.
std::wstring DefaultDesktopFolder() {
    PWSTR path = nullptr;
    std::wstring folder;
    const HANDLE defaultUser = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-1));
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Desktop, 0, defaultUser, &path)) && path)
        folder = path;
    CoTaskMemFree(path);
    return folder;
}

}  // namespace

Measurement<DWORD> TotalMemoryMB() {
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof(status);
    if (!GlobalMemoryStatusEx(&status)) return {std::nullopt, GetLastError()};
    return {status.ullTotalPhys >> 20};
}

Measurement<ProcessorFailure> ProcessorMHz() {
    DWORD mhz = 0;
    const RawRegistryValue value = ReadRawRegistryValue(
        HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", "~MHz",
        KEY_READ | KEY_WOW64_64KEY, sizeof(mhz));
    if (!value.keyOpened) return {std::nullopt, ProcessorFailure::Open};
    if (!value.bytes) return {std::nullopt, ProcessorFailure::Read};
    // The type is not checked: a shorter value fills the low bytes.
    value.bytes->copy(reinterpret_cast<char*>(&mhz), sizeof(mhz));
    return {mhz};
}

Measurement<DWORD> FreeDiskMB() {
    const std::wstring root = DefaultDesktopFolder().substr(0, 3);
    ULARGE_INTEGER available = {};
    if (!GetDiskFreeSpaceExW(root.c_str(), &available, nullptr, nullptr))
        return {std::nullopt, GetLastError()};
    return {available.QuadPart >> 20};
}

bool MeetsWindowsVersionCode(int code) {
    switch (code) {
        case 61:
            return IsWindowsAtLeast(6, 1, 0);
        case 62:
            return IsWindowsAtLeast(6, 2, 0);
        case 63:
            return IsWindowsAtLeast(6, 3, 0);
        case 100:
            return IsWindowsAtLeast(10, 0, 0);
        default:
            return code <= 0;
    }
}

std::vector<int> ParseVersion(const std::wstring& text) {
    std::vector<int> numbers;
    for (const std::wstring& piece : Split(text, L'.')) {
        if (!piece.empty())
            numbers.push_back(static_cast<int>(std::wcstol(piece.c_str(), nullptr, 10)));
    }
    return numbers;
}

bool IsVersionAtLeast(const std::wstring& installed, const std::wstring& required) {
    const std::vector<int> have = ParseVersion(installed);
    const std::vector<int> need = ParseVersion(required);
    for (size_t i = 0; i < std::max(have.size(), need.size()); ++i) {
        const int a = i < have.size() ? have[i] : 0;
        const int b = i < need.size() ? need[i] : 0;
        if (a != b) return a > b;
    }
    return true;
}

std::vector<std::wstring> RunningPrograms() {
    std::vector<std::wstring> programs;
    const win32::unique_snapshot snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return programs;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        programs.push_back(ToLower(entry.szExeFile));
    }
    return programs;
}

bool IsProgramRunning(const std::string& name, const std::vector<std::wstring>& running) {
    const std::wstring wanted = ToLower(Utf8ToWide(name));
    const size_t dots = CountDots(wanted);
    for (const std::wstring& program : running) {
        // Compare without the extension unless the wanted name carries one itself.
        const std::wstring base =
            CountDots(program) > dots ? program.substr(0, program.rfind(L'.')) : program;
        if (base == wanted) return true;
    }
    return false;
}

bool AnyFileExists(const std::vector<std::wstring>& paths, bool is64BitWindows,
                   const PathMacroTable& macros64) {
    for (const std::wstring& path : paths) {
        if (!is64BitWindows && HoldsMacro(path, macros64)) continue;
        if (PathFileExistsW(path.c_str())) return true;
    }
    return false;
}

bool AnyFileExists(const std::vector<std::wstring>& paths, bool is64BitWindows) {
    const auto config = ConfigurationManager::GetInstance();
    config->InitPathMacros();
    return AnyFileExists(paths, is64BitWindows, config->m_pathMacros64);
}

bool ChromeInstalled(Registry& registry) {
    const PathMacroTable macros = ConfigurationManager::GetInstance()->GetPathMacros();
    std::vector<std::wstring> candidates;
    for (const wchar_t* path : kChromePaths) candidates.push_back(ExpandPathMacros(path, macros));
    // Both keys are mixed-case, so they are looked up as written, in this process's view.
    if (auto folder = registry.ReadValueString(
            L"hkey_local_machine",
            L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\chrome.exe", L"Path")) {
        candidates.push_back(*folder + L"\\chrome.exe");
    }
    if (auto path = registry.ReadValueString(L"hkey_current_user",
                                             L"SOFTWARE\\Google\\Chrome\\BLBeacon", L"Path")) {
        candidates.push_back(*path);
    }
    return AnyFileExists(candidates, registry.Is64BitWindows());
}

std::optional<float> IeVersion(Registry& registry) {
    const auto text = registry.ReadValueString(
        L"hkey_local_machine", L"SOFTWARE\\Microsoft\\Internet Explorer", L"Version");
    if (!text) return std::nullopt;
    return LeadingFloat(*text);
}

std::optional<uint64_t> UninstallTime(Registry& registry, const UninstallRule& rule) {
    const auto text =
        registry.ReadValueString(ToLower(rule.root), ToLower(rule.key), ToLower(rule.valueName));
    if (!text) return std::nullopt;
    const uint64_t stored = std::stoull(*text);
    return rule.inMilliseconds ? stored / 1000 : stored;
}
