// Facts about this machine that offer rules compare with an offer's requirements.
#pragma once

#include "config/configuration_manager.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class Registry;
struct UninstallRule;

// A measured amount, or why it could not be measured.
template <typename Failure>
struct Measurement {
    std::optional<uint64_t> value;
    Failure failure{};
};

enum class ProcessorFailure { Open, Read };

// Installed physical memory in MiB, or the Win32 error code.
Measurement<DWORD> TotalMemoryMB();
// Clock of the first processor in MHz.
Measurement<ProcessorFailure> ProcessorMHz();
// Free space on the drive of the Default user's Desktop folder in MiB, or the error code.
Measurement<DWORD> FreeDiskMB();

// Whether this Windows meets a minimum version code: 61, 62, 63 and 100 stand for
// Windows 7, 8, 8.1 and 10; 0 or less needs nothing; other codes are never met.
bool MeetsWindowsVersionCode(int code);

// The numbers of a dotted version; empty pieces are skipped, a piece without digits is 0.
std::vector<int> ParseVersion(const std::wstring& text);
// Whether the installed version is at least the required one; missing positions count as 0
// and an empty requirement is always met.
bool IsVersionAtLeast(const std::wstring& installed, const std::wstring& required);

// Lower-case executable names of the running processes, in snapshot order.
std::vector<std::wstring> RunningPrograms();
// Whether a program of that name (UTF-8, with or without its extension) is among them.
bool IsProgramRunning(const std::string& name, const std::vector<std::wstring>& running);

// Whether any of the paths exists. On 32-bit Windows a path still holding the token of a
// 64-bit-only macro counts as absent without being tested.
bool AnyFileExists(const std::vector<std::wstring>& paths, bool is64BitWindows,
                   const PathMacroTable& macros64);
// The same for this machine's macro tables.
bool AnyFileExists(const std::vector<std::wstring>& paths, bool is64BitWindows);

// Whether Chrome or Chromium is installed in one of its usual places.
bool ChromeInstalled(Registry& registry);
// The Internet Explorer version number, absent when not registered; a text without a
// number throws std::invalid_argument.
std::optional<float> IeVersion(Registry& registry);
// Seconds since 1970 of the uninstall the rule names, absent when its value cannot be
// read; a value that is not an unsigned decimal number throws std::invalid_argument.
std::optional<uint64_t> UninstallTime(Registry& registry, const UninstallRule& rule);
