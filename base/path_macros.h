// Folder macros written in braces in offer rules and launch paths ("{commonpf}\App\app.exe").
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

// Macro name -> folder, kept in fill order because expansion depends on it.
using PathMacroTable = std::vector<std::pair<std::string, std::wstring>>;

// Replaces every "{name}" of the table, entry by entry in fill order, in one pass.
// Tokens that are not in the table stay as written.
std::wstring ExpandPathMacros(const std::wstring& text, const PathMacroTable& table);

// Builds the macro table of a machine from its facts.
PathMacroTable BuildPathMacroTable(bool wow64, const std::wstring& localAppData,
                                   const std::wstring& roamingAppData,
                                   const std::wstring& programData,
                                   const std::wstring& programFilesX86,
                                   const std::wstring& programW6432);

// The known folder's path, or empty when it cannot be resolved.
std::wstring GetKnownFolder(const GUID& folder);
