// Raw resources of a module.
#pragma once

#include <windows.h>

// A resource as it sits in the module's memory, valid while the module is loaded. found
// tells whether the module has it; data is null when it could not be loaded.
struct ResourceBytes {
    bool found = false;
    const char* data = nullptr;
    DWORD size = 0;
};

ResourceBytes LoadResourceBytes(HMODULE module, const wchar_t* name, const wchar_t* type);
