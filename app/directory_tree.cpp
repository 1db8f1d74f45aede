#include "app/directory_tree.h"

#include "base/handle.h"

namespace {

bool InUseOrDenied(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
}

void DeleteAtReboot(const std::wstring& path) {
    MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

bool IsDirectory(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A folder link (junction or symbolic link) is removed itself; its target stays untouched.
bool IsFolderLink(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

void DeleteEntry(const std::wstring& path, DWORD attributes) {
    if (IsDirectory(attributes) && !IsFolderLink(attributes)) {
        DeleteDirectoryTree(path);
    } else if (!IsDirectory(attributes) && !DeleteFileW(path.c_str()) &&
               InUseOrDenied(GetLastError())) {
        DeleteAtReboot(path);
    }
    // A last try for every entry, and the reboot for what resists it.
    if (!RemoveDirectoryW(path.c_str()) && !InUseOrDenied(GetLastError())) DeleteAtReboot(path);
}

}  // namespace

void DeleteDirectoryTree(const std::wstring& dir) {
    if (!IsDirectory(GetFileAttributesW(dir.c_str()))) return;
    {
        WIN32_FIND_DATAW entry;
        win32::unique_find find(FindFirstFileW((dir + L"\\*.*").c_str(), &entry));
        for (bool more = static_cast<bool>(find); more; more = FindNextFileW(find.get(), &entry)) {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            DeleteEntry(dir + L"\\" + name, entry.dwFileAttributes);
        }
    }
    if (!RemoveDirectoryW(dir.c_str())) DeleteAtReboot(dir);
}
