// Facts about the system and the running program, used by the requests and the downloads.
#pragma once

#include <windows.h>

#include <string>

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
