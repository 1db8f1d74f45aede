// Names of downloaded files: made safe, and kept inside their folder.
#pragma once

#include <string>

// The last component of name (after any "/", "\" or ":") as a safe file name: characters
// Windows refuses become "_", leading and trailing dots and spaces go, and a device name
// (CON, NUL, COM1, LPT1 ... with or without an extension) gets a leading "_". Empty when
// nothing is left, as for "." and "..".
std::wstring SafeFileName(const std::wstring& name);

// The full path of SafeFileName(name) inside folder, or empty when there is no safe name
// or the system would resolve the joined path anywhere but directly inside the folder.
std::wstring ConfinedPath(const std::wstring& folder, const std::wstring& name);
