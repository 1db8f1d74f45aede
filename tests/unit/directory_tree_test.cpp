// Removal of the working directory, on the prefix's real file system.
#include "app/directory_tree.h"

#include "wizard_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void MakeFile(const std::wstring& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "data", 4, &written, nullptr);
    CloseHandle(file);
}

// The paths Windows is to delete when it restarts.
std::wstring PendingDeletions() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0,
                      KEY_READ, &key) != ERROR_SUCCESS) {
        return {};
    }
    DWORD size = 0;
    RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr, nullptr, &size);
    std::wstring value(size / sizeof(wchar_t), L'\0');
    RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr,
                     reinterpret_cast<BYTE*>(value.data()), &size);
    RegCloseKey(key);
    return value;
}

class DirectoryTree : public ::testing::Test {
protected:
    void SetUp() override {
        m_root = wizard_test::TempFolder() + L"kelvara tree " +
                 std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount());
        ASSERT_TRUE(CreateDirectoryW(m_root.c_str(), nullptr));
    }
    void TearDown() override {
        // Whatever a test left for the reboot goes now.
        if (Exists(m_root)) {
            SetFileAttributesW((m_root + L"\\setup.log").c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteDirectoryTree(m_root);
        }
    }

    std::wstring m_root;
};

TEST_F(DirectoryTree, AnEmptyDirectoryIsRemoved) {
    DeleteDirectoryTree(m_root);
    EXPECT_FALSE(Exists(m_root));
}

TEST_F(DirectoryTree, FilesAndNestedFoldersGoWithIt) {
    MakeFile(m_root + L"\\offer one.exe");
    ASSERT_TRUE(CreateDirectoryW((m_root + L"\\unpacked").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((m_root + L"\\unpacked\\empty").c_str(), nullptr));
    MakeFile(m_root + L"\\unpacked\\setup.exe");
    DeleteDirectoryTree(m_root);
    EXPECT_FALSE(Exists(m_root));
}

TEST_F(DirectoryTree, AReadOnlyFileIsLeftForTheRebootAndTheRestIsDeleted) {
    MakeFile(m_root + L"\\setup.log", FILE_ATTRIBUTE_READONLY);
    MakeFile(m_root + L"\\offer.exe");
    DeleteDirectoryTree(m_root);
    EXPECT_TRUE(Exists(m_root + L"\\setup.log"));
    EXPECT_FALSE(Exists(m_root + L"\\offer.exe"));
    const std::wstring pending = PendingDeletions();
    EXPECT_NE(pending.find(m_root + L"\\setup.log"), std::wstring::npos);
    EXPECT_NE(pending.find(m_root + std::wstring(1, L'\0')), std::wstring::npos)
        << "and so is its folder";
}

TEST_F(DirectoryTree, AMissingDirectoryOrAFileIsLeftAlone) {
    DeleteDirectoryTree(m_root + L"\\missing");
    const std::wstring file = m_root + L"\\not a folder.txt";
    MakeFile(file);
    DeleteDirectoryTree(file);
    EXPECT_TRUE(Exists(file));
}

TEST_F(DirectoryTree, ALinkedFolderIsUnlinkedWithoutTouchingItsContents) {
    const std::wstring outside = m_root + L" outside";
    ASSERT_TRUE(CreateDirectoryW(outside.c_str(), nullptr));
    MakeFile(outside + L"\\keep.txt");
    ASSERT_TRUE(CreateDirectoryW((m_root + L"\\inner").c_str(), nullptr));
    const std::wstring link = m_root + L"\\inner\\link";
    if (!CreateSymbolicLinkW(link.c_str(), outside.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY)) {
        DeleteDirectoryTree(outside);
        GTEST_SKIP() << "no folder links on this system";
    }
    DeleteDirectoryTree(m_root);
    EXPECT_FALSE(Exists(m_root));
    EXPECT_TRUE(Exists(outside + L"\\keep.txt"));
    DeleteDirectoryTree(outside);
}

}  // namespace
