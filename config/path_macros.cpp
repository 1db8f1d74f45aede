#include "config/configuration_manager.h"

#include "base/path_macros.h"
#include "base/system_info.h"

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
