#include "base/registry_value.h"

#include "base/handle.h"

RawRegistryValue ReadRawRegistryValue(HKEY hive, const char* subkey, const char* name,
                                      REGSAM access, DWORD capacity) {
    RawRegistryValue result;
    win32::unique_hkey key;
    if (RegOpenKeyExA(hive, subkey, 0, access, key.put()) != ERROR_SUCCESS) return result;
    result.keyOpened = true;
    std::string buffer(capacity, '\0');
    DWORD size = capacity;
    if (RegQueryValueExA(key.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&buffer[0]),
                         &size) == ERROR_SUCCESS) {
        buffer.resize(size);
        result.bytes = std::move(buffer);
    }
    return result;
}
