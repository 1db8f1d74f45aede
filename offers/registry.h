// Registry facts named in offer rules: key paths in text, both registry views, cached subkey
// lists and the App Paths index of one evaluation.
#pragma once

#include "base/error.h"
#include "base/handle.h"
#include "base/text.h"

#include <windows.h>

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace win32 {

// A registry call that failed: what was attempted, and the code the call returned.
class RegistryError : public Error {
public:
    RegistryError(const wchar_t* message, LONG code) : Error(message), code(code) {}
    LONG code;
};

}  // namespace win32

// The full key paths a rule's path stands for: itself when it starts with a hive name, the
// full name for an alias, else the path below "software" of HKLM and HKCU (and their 32-bit
// views on 64-bit Windows).
std::vector<std::wstring> ExpandKeyPath(const std::wstring& path, bool is64BitWindows);

// Chooses the view of a key below "software": the 64-bit one on 64-bit Windows, the
// process's own (32-bit) one for an explicit "wow6432node", whose component is removed.
// Returns true when the key cannot exist on this machine (wow6432node on 32-bit Windows).
// Throws std::out_of_range for a key that ends right after "software\".
bool AdjustView(std::wstring& key, REGSAM& flags, bool is64BitWindows);

// The predefined key of a full hive name; std::out_of_range for any other name.
HKEY HiveHandle(const std::wstring& fullName);

// The REG_SZ value of key\subkey (default value for an empty name), without its terminator.
std::wstring ReadString(HKEY key, const wchar_t* subkey, const std::wstring& name);
// Lower-cased names of the key's direct subkeys, in index order.
std::vector<std::wstring> EnumerateSubkeys(HKEY key);
bool ValueExists(HKEY key, const std::wstring& name);
// The value's registry type, 0 when it cannot be queried.
DWORD ValueType(HKEY key, const std::wstring& name);
// Whether the value of that type holds the expected (lower-case) text: strings compared in
// lower case, DWORD and QWORD as decimal numbers. A non-numeric expected number throws
// std::invalid_argument (std::out_of_range when too large).
bool DataMatches(DWORD type, HKEY key, const std::wstring& name, const std::wstring& expected);

// Counters for tests and the benchmark.
struct RegistryStats {
    unsigned keyOpenCalls = 0;  // RegOpenKeyEx calls, successful or not
    unsigned subkeyEnumerations = 0;
};

// The registry as one offer evaluation sees it. Paths and names reach it in lower case;
// failed registry calls count as absent.
class Registry {
public:
    explicit Registry(bool is64BitWindows);

    // Whether the full key exists; keys below "software" are first looked up in the cached
    // list of "software"'s subkeys of their hive and view.
    bool KeyExists(const std::wstring& key);
    // A REG_SZ, REG_DWORD or REG_QWORD value as text, looked up in the native and, for
    // "software" keys on 64-bit Windows, the 32-bit view.
    std::optional<std::wstring> ReadValueString(const std::wstring& root, const std::wstring& key,
                                                const std::wstring& name);
    // Whether an application registered under App Paths points at an existing file.
    bool FindRegisteredApp(const std::wstring& name);

    // The list tests of offer rules; each entry is lower-cased first. Keys: any entry's key
    // exists (an empty entry ends the test with false). Values: "key\name" exists (same).
    // Value data: "key\name\expected" matches (an empty entry is skipped).
    bool AnyKeyExists(const std::vector<std::wstring>& entries);
    bool AnyValueExists(const std::vector<std::wstring>& entries);
    bool AnyValueDataMatches(const std::vector<std::wstring>& entries);

    bool Is64BitWindows() const { return m_is64BitWindows; }
    const RegistryStats& Stats() const { return m_stats; }

private:
    struct AppPath {
        HKEY hive;
        REGSAM view;
        std::wstring path;
        bool resolved;
    };

    // The opened key, or an empty owner when it is absent or cannot be opened.
    win32::unique_hkey TryOpen(HKEY parent, const std::wstring& subkey, REGSAM access);
    std::vector<std::wstring> Subkeys(HKEY key);
    bool SoftwareKeyExists(const std::wstring& key, HKEY hive, size_t prefixLength);
    // The cached subkey names of the hive's "software" key in that view; null when unreadable.
    const std::vector<std::wstring>* SoftwareSubkeys(HKEY hive, REGSAM flags);
    // Opens a full key for reading in the view AdjustView chooses; empty when it does not
    // exist or cannot be opened.
    win32::unique_hkey OpenIfExists(std::wstring key);
    std::optional<std::wstring> ReadTypedValue(HKEY key, const std::wstring& name);
    void IndexAppPaths();
    const std::wstring& ResolvedPath(const std::wstring& name, AppPath& entry);

    bool m_is64BitWindows;
    RegistryStats m_stats;
    // (hive, view) -> sorted lower-case names of the subkeys of "software".
    std::map<std::pair<HKEY, REGSAM>, std::vector<std::wstring>> m_subkeys;
    std::multimap<std::wstring, AppPath> m_appPaths;
    bool m_appPathsIndexed = false;
};
