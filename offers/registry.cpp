#include "offers/registry.h"

#include "base/system_info.h"
#include "base/text.h"
#include "base/encoding.h"

#include <shlwapi.h>

#include <algorithm>
#include <cwctype>

namespace {

struct Hive {
    const wchar_t* fullName;
    const wchar_t* alias;
    HKEY handle;
};
const Hive kHives[] = {{L"hkey_local_machine", L"hklm", HKEY_LOCAL_MACHINE},
                       {L"hkey_current_user", L"hkcu", HKEY_CURRENT_USER},
                       {L"hkey_classes_root", L"hkcr", HKEY_CLASSES_ROOT},
                       {L"hkey_users", L"hku", HKEY_USERS},
                       {L"hkey_current_config", L"hkcc", HKEY_CURRENT_CONFIG}};

// The two hives whose "software" key has a 32-bit and a 64-bit view.
struct SoftwareRoot {
    const wchar_t* prefix;
    const wchar_t* wow64Prefix;
    HKEY hive;
};
const SoftwareRoot kSoftwareRoots[] = {
    {L"hkey_local_machine\\software\\", L"hkey_local_machine\\software\\wow6432node\\",
     HKEY_LOCAL_MACHINE},
    {L"hkey_current_user\\software\\", L"hkey_current_user\\software\\wow6432node\\",
     HKEY_CURRENT_USER}};

const wchar_t kSoftware[] = L"software";
const wchar_t kAppPaths[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";

const SoftwareRoot* FindSoftwareRoot(const std::wstring& key) {
    for (const SoftwareRoot& root : kSoftwareRoots) {
        if (StartsWith(key, root.prefix)) return &root;
    }
    return nullptr;
}

// (text before the first backslash, text after it); no backslash: (text, "").
std::pair<std::wstring, std::wstring> SplitFirst(const std::wstring& text) {
    const size_t at = text.find(L'\\');
    if (at == std::wstring::npos) return {text, L""};
    return {text.substr(0, at), text.substr(at + 1)};
}

// (text before the last backslash, text after it); no backslash: (text, "").
std::pair<std::wstring, std::wstring> SplitLast(const std::wstring& text) {
    const size_t at = text.rfind(L'\\');
    if (at == std::wstring::npos) return {text, L""};
    return {text.substr(0, at), text.substr(at + 1)};
}

DWORD ReadDword(HKEY key, const std::wstring& name) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    const LONG status =
        RegGetValueW(key, nullptr, name.c_str(), RRF_RT_REG_DWORD, nullptr, &value, &size);
    if (status != ERROR_SUCCESS)
        throw win32::RegistryError(L"Cannot read DWORD from registry.", status);
    return value;
}

ULONGLONG ReadQword(HKEY key, const std::wstring& name) {
    ULONGLONG value = 0;
    DWORD size = sizeof(value);
    const LONG status =
        RegGetValueW(key, nullptr, name.c_str(), RRF_RT_REG_QWORD, nullptr, &value, &size);
    if (status != ERROR_SUCCESS)
        throw win32::RegistryError(L"Cannot read QWORD from registry.", status);
    return value;
}

}  // namespace

std::vector<std::wstring> ExpandKeyPath(const std::wstring& path, bool is64BitWindows) {
    if (path.empty()) return {};
    for (const Hive& hive : kHives) {
        if (StartsWith(path, std::wstring(hive.fullName) + L"\\")) return {path};
    }
    for (const Hive& hive : kHives) {
        const std::wstring alias = hive.alias;
        if (StartsWith(path, alias + L"\\")) return {hive.fullName + path.substr(alias.size())};
    }
    std::vector<std::wstring> keys;
    for (const SoftwareRoot& root : kSoftwareRoots) keys.push_back(root.prefix + path);
    if (is64BitWindows) {
        for (const SoftwareRoot& root : kSoftwareRoots) keys.push_back(root.wow64Prefix + path);
    }
    return keys;
}

bool AdjustView(std::wstring& key, REGSAM& flags, bool is64BitWindows) {
    const SoftwareRoot* root = FindSoftwareRoot(key);
    if (!root) return false;
    const std::vector<std::wstring> parts = Split(key, L'\\');
    if (parts.size() < 3) throw std::out_of_range("invalid vector subscript");
    if (ToLower(parts[2]) != L"wow6432node") {
        if (is64BitWindows) flags |= KEY_WOW64_64KEY;
        return false;
    }
    if (!is64BitWindows) return true;
    // The 32-bit view is this process's own: drop the component and keep the flags.
    const size_t at = wcslen(root->prefix);
    if (at + parts[2].size() < key.size()) key.erase(at, parts[2].size() + 1);
    return false;
}

HKEY HiveHandle(const std::wstring& fullName) {
    for (const Hive& hive : kHives) {
        if (fullName == hive.fullName) return hive.handle;
    }
    throw std::out_of_range("invalid unordered_map<K, T> key");
}

std::wstring ReadString(HKEY key, const wchar_t* subkey, const std::wstring& name) {
    DWORD size = 0;
    LONG status = RegGetValueW(key, subkey, name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &size);
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    if (status == ERROR_SUCCESS) {
        size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        status = RegGetValueW(key, subkey, name.c_str(), RRF_RT_REG_SZ, nullptr, &text[0], &size);
    }
    if (status != ERROR_SUCCESS)
        throw win32::RegistryError(L"Cannot read string from registry", status);
    text.resize(size / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

std::vector<std::wstring> EnumerateSubkeys(HKEY key) {
    DWORD count = 0;
    DWORD longest = 0;
    LONG status = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, &longest, nullptr,
                                   nullptr, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) {
        throw win32::RegistryError(
            L"RegQueryInfoKey failed while preparing for subkey enumeration.", status);
    }
    std::vector<std::wstring> names;
    std::wstring buffer(longest + 1, L'\0');
    for (DWORD index = 0; index < count; ++index) {
        DWORD length = longest + 1;
        status = RegEnumKeyExW(key, index, &buffer[0], &length, nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS)
            throw win32::RegistryError(L"Cannot enumerate subkeys: RegEnumKeyEx failed.", status);
        names.push_back(ToLower(buffer.substr(0, length)));
    }
    return names;
}

bool ValueExists(HKEY key, const std::wstring& name) {
    return RegGetValueW(key, nullptr, name.c_str(), RRF_RT_ANY, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

DWORD ValueType(HKEY key, const std::wstring& name) {
    DWORD type = 0;
    return RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS
               ? type
               : 0;
}

bool DataMatches(DWORD type, HKEY key, const std::wstring& name, const std::wstring& expected) {
    try {
        switch (type) {
            case REG_SZ:
                return ToLower(ReadString(key, nullptr, name)) == expected;
            case REG_DWORD: {
                const DWORD value = ReadDword(key, name);
                return value == std::stoul(expected);
            }
            case REG_QWORD: {
                const ULONGLONG value = ReadQword(key, name);
                return value == std::stoull(expected);
            }
            default:
                return false;
        }
    } catch (const win32::RegistryError&) {
        return false;
    }
}

Registry::Registry(bool is64BitWindows) : m_is64BitWindows(is64BitWindows) {}

win32::unique_hkey Registry::TryOpen(HKEY parent, const std::wstring& subkey, REGSAM access) {
    ++m_stats.keyOpenCalls;
    // The rules are written for a 32-bit process: without a named view, open its default one.
    if (!(access & (KEY_WOW64_32KEY | KEY_WOW64_64KEY))) access |= kDefaultRegistryView;
    win32::unique_hkey key;
    if (RegOpenKeyExW(parent, subkey.c_str(), 0, access, key.put()) != ERROR_SUCCESS) key.reset();
    return key;
}

std::vector<std::wstring> Registry::Subkeys(HKEY key) {
    ++m_stats.subkeyEnumerations;
    return EnumerateSubkeys(key);
}

bool Registry::KeyExists(const std::wstring& key) {
    if (const SoftwareRoot* root = FindSoftwareRoot(key)) {
        return SoftwareKeyExists(key, root->hive, wcslen(root->prefix));
    }
    const auto [hive, subkey] = SplitFirst(key);
    return static_cast<bool>(TryOpen(HiveHandle(hive), subkey, KEY_READ));
}

bool Registry::SoftwareKeyExists(const std::wstring& key, HKEY hive, size_t prefixLength) {
    std::wstring adjusted = key;
    REGSAM flags = 0;
    if (AdjustView(adjusted, flags, m_is64BitWindows)) return false;
    const std::vector<std::wstring>* children = SoftwareSubkeys(hive, flags);
    if (!children) return false;
    // Most rules name products that are not installed: their first component is missing
    // from the cached list, and nothing is opened.
    const std::wstring rest = adjusted.substr(prefixLength);
    const std::wstring first = rest.substr(0, rest.find(L'\\'));
    if (!std::binary_search(children->begin(), children->end(), first)) return false;
    const win32::unique_hkey software = TryOpen(hive, kSoftware, KEY_READ | flags);
    return software && TryOpen(software.get(), rest, KEY_READ | flags);
}

const std::vector<std::wstring>* Registry::SoftwareSubkeys(HKEY hive, REGSAM flags) {
    const auto cached = m_subkeys.find({hive, flags});
    if (cached != m_subkeys.end()) return &cached->second;
    const win32::unique_hkey software = TryOpen(hive, kSoftware, KEY_READ | flags);
    if (!software) return nullptr;
    try {
        std::vector<std::wstring> names = Subkeys(software.get());
        std::sort(names.begin(), names.end());
        return &m_subkeys.emplace(std::make_pair(hive, flags), std::move(names)).first->second;
    } catch (const win32::RegistryError&) {
        return nullptr;
    }
}

win32::unique_hkey Registry::OpenIfExists(std::wstring key) {
    if (!KeyExists(key)) return {};
    REGSAM flags = KEY_READ;
    if (AdjustView(key, flags, m_is64BitWindows)) return {};
    const auto [hive, subkey] = SplitFirst(key);
    return TryOpen(HiveHandle(hive), subkey, flags);
}

std::optional<std::wstring> Registry::ReadTypedValue(HKEY key, const std::wstring& name) {
    if (!ValueExists(key, name)) return std::nullopt;
    try {
        switch (ValueType(key, name)) {
            case REG_SZ:
                return ReadString(key, nullptr, name);
            case REG_DWORD:
                return DecimalText(ReadDword(key, name));
            case REG_QWORD:
                return DecimalText(ReadQword(key, name));
            default:
                return std::nullopt;
        }
    } catch (const win32::RegistryError&) {
        return std::nullopt;
    }
}

std::optional<std::wstring> Registry::ReadValueString(const std::wstring& root,
                                                      const std::wstring& key,
                                                      const std::wstring& name) {
    std::vector<std::wstring> candidates = {root + L"\\" + key};
    if (m_is64BitWindows && StartsWith(key, kSoftware)) {
        candidates.push_back(root + L"\\software\\wow6432node" + key.substr(wcslen(kSoftware)));
    }
    for (const std::wstring& candidate : candidates) {
        const win32::unique_hkey opened = OpenIfExists(candidate);
        if (!opened) continue;
        if (auto text = ReadTypedValue(opened.get(), name)) return text;
    }
    return std::nullopt;
}

bool Registry::AnyKeyExists(const std::vector<std::wstring>& entries) {
    for (const std::wstring& entry : entries) {
        const std::vector<std::wstring> candidates =
            ExpandKeyPath(ToLower(entry), m_is64BitWindows);
        if (candidates.empty()) return false;
        for (const std::wstring& candidate : candidates) {
            if (KeyExists(candidate)) return true;
        }
    }
    return false;
}

bool Registry::AnyValueExists(const std::vector<std::wstring>& entries) {
    for (const std::wstring& entry : entries) {
        const std::vector<std::wstring> candidates =
            ExpandKeyPath(ToLower(entry), m_is64BitWindows);
        if (candidates.empty()) return false;
        for (const std::wstring& candidate : candidates) {
            const auto [key, name] = SplitLast(candidate);
            const win32::unique_hkey opened = OpenIfExists(key);
            if (opened && ValueExists(opened.get(), name)) return true;
        }
    }
    return false;
}

bool Registry::AnyValueDataMatches(const std::vector<std::wstring>& entries) {
    for (const std::wstring& entry : entries) {
        for (const std::wstring& candidate : ExpandKeyPath(ToLower(entry), m_is64BitWindows)) {
            const auto [value, expected] = SplitLast(candidate);
            const auto [key, name] = SplitLast(value);
            const win32::unique_hkey opened = OpenIfExists(key);
            if (!opened || !ValueExists(opened.get(), name)) continue;
            const DWORD type = ValueType(opened.get(), name);
            if (type != 0 && DataMatches(type, opened.get(), name, expected)) return true;
        }
    }
    return false;
}

void Registry::IndexAppPaths() {
    m_appPathsIndexed = true;
    const REGSAM views[] = {0, KEY_WOW64_64KEY};
    for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        for (size_t view = 0; view < (m_is64BitWindows ? 2u : 1u); ++view) {
            // No App Paths key in this hive and view: nothing to index.
            const win32::unique_hkey key = TryOpen(hive, kAppPaths, KEY_READ | views[view]);
            if (!key) continue;
            try {
                for (std::wstring& name : Subkeys(key.get())) {
                    m_appPaths.emplace(std::move(name), AppPath{hive, views[view], L"", false});
                }
            } catch (const win32::RegistryError&) {
                // The key could not be listed: this pass adds nothing more.
            }
        }
    }
}

const std::wstring& Registry::ResolvedPath(const std::wstring& name, AppPath& entry) {
    if (!entry.resolved) {
        const win32::unique_hkey key =
            TryOpen(entry.hive, std::wstring(kAppPaths) + L"\\" + name, KEY_READ | entry.view);
        try {
            if (key) entry.path = ReadString(key.get(), nullptr, L"");
        } catch (const win32::RegistryError&) {
            // No default value: not installed.
        }
        entry.resolved = true;
    }
    return entry.path;
}

bool Registry::FindRegisteredApp(const std::wstring& name) {
    if (!m_appPathsIndexed) IndexAppPaths();
    const auto [first, last] = m_appPaths.equal_range(name);
    for (auto entry = first; entry != last; ++entry) {
        const std::wstring& path = ResolvedPath(name, entry->second);
        if (!path.empty() && PathFileExistsW(path.c_str())) return true;
    }
    return false;
}
