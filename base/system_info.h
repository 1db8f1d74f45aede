// Facts about the system and the running program.
#pragma once

#include <windows.h>

#include <string>

// Whether the system is 64-bit Windows: always for a 64-bit process, for a 32-bit one when
// it runs under WOW64 (a failing IsWow64Process counts as 32-bit Windows).
bool Is64BitWindows();

// The registry view a 32-bit build opens when it names none: the 32-bit view on 64-bit
// Windows (ignored on 32-bit Windows). A 64-bit build names it, so both read the same keys.
constexpr REGSAM kDefaultRegistryView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : 0;

// True when the system is at least the given version and service pack (compared in that
// order, so a later version passes whatever the service pack).
bool IsWindowsAtLeast(DWORD major, DWORD minor, WORD servicePackMajor);

// "major.minor.build" of the running system, for example "10.0.19045"; empty on failure.
std::string OsVersionString();

// The short token carried in the executable's file name, or empty (see InstallerTokenFromPath).
std::wstring InstallerToken();

// The text after the last "_" of the path, cut at its last "."; a token only when it is
// exactly 7 characters long and holds a "-". setup_ab-c123.exe gives ab-c123.
std::wstring InstallerTokenFromPath(const std::wstring& path);

// The system's text for a Win32 error code, without the trailing line break; empty when
// the system has none.
std::wstring SystemErrorText(DWORD code);
