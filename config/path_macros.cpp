#include "config/path_macros.h"

#include "base/system_info.h"
#include "base/text.h"

#include <knownfolders.h>
#include <shlobj.h>

namespace {

// "ProgramW6432" when it holds 1 to 259 characters, else empty.
std::wstring ProgramW6432() {
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"ProgramW6432", buffer, MAX_PATH);
    return length >= 1 && length < MAX_PATH ? buffer : L"";
}

}  // namespace

std::wstring ExpandPathMacros(const std::wstring& text, const PathMacroTable& table) {
    std::wstring result = text;
    for (const auto& [name, value] : table) {
        result = ReplaceAll(result, L"{" + std::wstring(name.begin(), name.end()) + L"}", value);
    }
    return result;
}

PathMacroTable BuildPathMacroTable(bool wow64, const std::wstring& localAppData,
                                   const std::wstring& roamingAppData,
                                   const std::wstring& programData,
                                   const std::wstring& programFilesX86,
                                   const std::wstring& programW6432) {
    PathMacroTable table = {{"commonpf", wow64 ? L"{commonpf64}" : L"{commonpf32}"},
                            {"localappdata", localAppData},
                            {"commonappdata", roamingAppData},
                            {"programdata", programData},
                            {"commonpf32", programFilesX86}};
    if (wow64 && !programW6432.empty()) table.emplace_back("commonpf64", programW6432);
    return table;
}

std::wstring GetKnownFolder(const GUID& folder) {
    PWSTR path = nullptr;
    std::wstring result;
    if (SUCCEEDED(SHGetKnownFolderPath(folder, 0, nullptr, &path)) && path) result = path;
    CoTaskMemFree(path);
    return result;
}

void ConfigurationManager::InitPathMacros() {
    LockGuard lock(m_cacheLock);
    if (m_pathMacrosReady) return;
    const bool wow64 = Is64BitWindows();
    m_pathMacros = BuildPathMacroTable(
        wow64, GetKnownFolder(FOLDERID_LocalAppData), GetKnownFolder(FOLDERID_RoamingAppData),
        GetKnownFolder(FOLDERID_ProgramData), GetKnownFolder(FOLDERID_ProgramFilesX86),
        wow64 ? ProgramW6432() : L"");
    m_pathMacros64.clear();
    if (m_pathMacros.back().first == "commonpf64") m_pathMacros64.push_back(m_pathMacros.back());
    m_pathMacrosReady = true;
}

PathMacroTable ConfigurationManager::GetPathMacros() {
    InitPathMacros();
    LockGuard lock(m_cacheLock);
    return m_pathMacros;
}
