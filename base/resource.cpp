#include "base/resource.h"

ResourceBytes LoadResourceBytes(HMODULE module, const wchar_t* name, const wchar_t* type) {
    ResourceBytes result;
    HRSRC info = FindResourceW(module, name, type);
    if (!info) return result;
    result.found = true;
    HGLOBAL loaded = LoadResource(module, info);
    result.data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    result.size = result.data ? SizeofResource(module, info) : 0;
    return result;
}
