// Where the program's DLLs come from. It runs elevated from the user's Downloads folder,
// where a web page may have left a DLL under a system name, so no DLL may come from the
// program's own folder or the current directory.
//
// Static imports are resolved from the program's folder first unless Windows protects
// the name: the KnownDLLs list (the registry key KnownDLLs under
// HKLM\SYSTEM\CurrentControlSet\Control\Session Manager). The program imports at start
// only kernel32, advapi32 and msvcrt, which are on that list in every supported Windows,
// Vista to 10. Every other DLL, also one that is on the list in some versions, is
// delay-loaded (cmake/delay_imports.cmake): it loads at its first call, after the limit
// below, so the DLLs it imports in turn come from System32 too.
#pragma once

#include <windows.h>

// Limits the search of every later load by bare name, also the loads system DLLs make for
// themselves, to System32. Windows without SetDefaultDllDirectories (Vista and 7 without
// update KB2533623) can only take the current directory out of the search: false there.
bool LimitDllSearchToSystem32();

// Loads a system DLL by its full path in System32; its own imports come from there too.
HMODULE LoadSystemLibrary(const wchar_t* name);
