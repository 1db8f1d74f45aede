// What the offer rule tests put on the machine for themselves: registry keys and values in
// a chosen view, files, and programs running under a chosen name. Everything is removed
// before and after use.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace offers_test {

constexpr REGSAM kView64 = KEY_WOW64_64KEY;
constexpr REGSAM kView32 = KEY_WOW64_32KEY;
// The view a 32-bit program opens when it names none; a 64-bit build names it.
constexpr REGSAM kDefaultView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : 0;

// What the build's bitness says: a 64-bit program always runs on 64-bit Windows, a 32-bit
// one when it runs under WOW64.
inline bool RunsOn64BitWindows() {
    if (sizeof(void*) == 8) return true;
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

// Deletes a key with everything below it in one view; a missing key is fine.
inline void DeleteKeyTree(HKEY hive, const std::wstring& path, REGSAM view) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(hive, path.c_str(), 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS) return;
    RegDeleteTreeW(key, nullptr);
    RegCloseKey(key);
    RegDeleteKeyExW(hive, path.c_str(), view, 0);
}

// Registry keys the test owns (hive, path), deleted in both views first and last.
class OwnedKeys {
public:
    explicit OwnedKeys(std::vector<std::pair<HKEY, std::wstring>> keys) : m_keys(std::move(keys)) {
        DeleteAll();
    }
    ~OwnedKeys() { DeleteAll(); }
    OwnedKeys(const OwnedKeys&) = delete;
    OwnedKeys& operator=(const OwnedKeys&) = delete;

private:
    void DeleteAll() {
        for (const auto& [hive, path] : m_keys) {
            DeleteKeyTree(hive, path, kView64);
            DeleteKeyTree(hive, path, kView32);
        }
    }
    std::vector<std::pair<HKEY, std::wstring>> m_keys;
};

inline void CreateKey(HKEY hive, const std::wstring& path, REGSAM view) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(hive, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        RegCloseKey(key);
    }
}

inline void SetValue(HKEY hive, const std::wstring& path, REGSAM view, const std::wstring& name,
                     DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(hive, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return;
    }
    RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

inline void SetString(HKEY hive, const std::wstring& path, REGSAM view, const std::wstring& name,
                      const std::wstring& value, DWORD type = REG_SZ) {
    SetValue(hive, path, view, name, type, value.c_str(),
             static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

inline void SetDword(HKEY hive, const std::wstring& path, REGSAM view, const std::wstring& name,
                     DWORD value) {
    SetValue(hive, path, view, name, REG_DWORD, &value, sizeof(value));
}

inline void SetQword(HKEY hive, const std::wstring& path, REGSAM view, const std::wstring& name,
                     ULONGLONG value) {
    SetValue(hive, path, view, name, REG_QWORD, &value, sizeof(value));
}

// A value of the machine that a test changes: kept at construction and put back (or
// removed again when it did not exist) at destruction.
class PreservedValue {
public:
    PreservedValue(HKEY hive, std::wstring path, REGSAM view, std::wstring name)
        : m_hive(hive), m_path(std::move(path)), m_view(view), m_name(std::move(name)) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(m_hive, m_path.c_str(), 0, KEY_QUERY_VALUE | m_view, &key) !=
            ERROR_SUCCESS)
            return;
        DWORD size = 0;
        if (RegQueryValueExW(key, m_name.c_str(), nullptr, &m_type, nullptr, &size) ==
            ERROR_SUCCESS) {
            m_data.resize(size);
            m_existed = RegQueryValueExW(key, m_name.c_str(), nullptr, &m_type, m_data.data(),
                                         &size) == ERROR_SUCCESS;
            m_data.resize(size);
        }
        RegCloseKey(key);
    }
    ~PreservedValue() {
        if (m_existed) {
            SetValue(m_hive, m_path, m_view, m_name, m_type, m_data.data(),
                     static_cast<DWORD>(m_data.size()));
        } else {
            Remove();
        }
    }
    PreservedValue(const PreservedValue&) = delete;
    PreservedValue& operator=(const PreservedValue&) = delete;

    void Set(const std::wstring& text) const { SetString(m_hive, m_path, m_view, m_name, text); }
    void Remove() const {
        HKEY key = nullptr;
        if (RegOpenKeyExW(m_hive, m_path.c_str(), 0, KEY_SET_VALUE | m_view, &key) != ERROR_SUCCESS)
            return;
        RegDeleteValueW(key, m_name.c_str());
        RegCloseKey(key);
    }

private:
    HKEY m_hive;
    std::wstring m_path;
    REGSAM m_view;
    std::wstring m_name;
    bool m_existed = false;
    DWORD m_type = REG_NONE;
    std::vector<BYTE> m_data;
};

// A folder the test owns, removed with its contents first and last.
class OwnedFolder {
public:
    explicit OwnedFolder(std::filesystem::path path) : m_path(std::move(path)) {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    ~OwnedFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    OwnedFolder(const OwnedFolder&) = delete;
    OwnedFolder& operator=(const OwnedFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

    // Creates an empty file below the folder (and the folders on its way); returns its path.
    std::wstring AddFile(const std::wstring& relative) const {
        const std::filesystem::path file = m_path / relative;
        std::filesystem::create_directories(file.parent_path());
        const HANDLE handle =
            CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
        return file.wstring();
    }

private:
    std::filesystem::path m_path;
};

inline std::filesystem::path TestProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path();
}

// The idle test program copied under a chosen file name and running until destruction.
class RunningProgram {
public:
    explicit RunningProgram(const std::wstring& fileName)
        : m_folder(std::filesystem::temp_directory_path() / (L"kelvara_running_" + fileName)) {
        const std::filesystem::path exe = m_folder.Path() / fileName;
        std::filesystem::create_directories(m_folder.Path());
        std::filesystem::copy_file(TestProgramFolder() / L"idle_program.exe", exe);
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
        if (CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                           nullptr, &startup, &m_process)) {
            CloseHandle(m_process.hThread);
        }
    }
    ~RunningProgram() {
        if (m_process.hProcess) {
            TerminateProcess(m_process.hProcess, 0);
            WaitForSingleObject(m_process.hProcess, 5000);
            CloseHandle(m_process.hProcess);
        }
    }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool Started() const { return m_process.hProcess != nullptr; }

private:
    OwnedFolder m_folder;  // destroyed after the process has ended
    PROCESS_INFORMATION m_process = {};
};

}  // namespace offers_test
