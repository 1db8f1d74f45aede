#include "base/path_macros.h"

#include "base/text.h"

#include <shlobj.h>

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
