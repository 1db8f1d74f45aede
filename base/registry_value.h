// One registry value read with the ANSI calls, for the few fixed values the program reads
// outside the offer rules (the machine id, the processor clock).
#pragma once

#include <windows.h>

#include <optional>
#include <string>

struct RawRegistryValue {
    bool keyOpened = false;
    // The bytes read, whatever the value's type; empty when the value could not be read
    // into the buffer.
    std::optional<std::string> bytes;
};

// Opens hive\subkey with access, reads name into a buffer of capacity bytes and closes the
// key again.
RawRegistryValue ReadRawRegistryValue(HKEY hive, const char* subkey, const char* name,
                                      REGSAM access, DWORD capacity);
