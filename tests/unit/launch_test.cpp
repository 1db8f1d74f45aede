// Starting downloaded installers: the archive test, the extraction folder, the search for a
// program, the command line and results of a start, and ZIP archives unpacked without the
// Shell (Wine's opens no ZIP folders), with the archives the test build makes.
#include "net/launch.h"
#include "base/thread.h"
#include "net/zip_extract.h"
#include "wizard_test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;
using wizard_test::StartRecorder;
using wizard_test::Utf8;

namespace {

std::wstring Archive(const std::wstring& name) {
    return wizard_test::ModuleFolder() + L"\\archives\\" + name;
}

class LaunchTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        m_folder = wizard_test::TempFolder() + L"Kelvara launch " + Utf16(test->name());
        std::filesystem::remove_all(m_folder, m_ignored);
        ASSERT_TRUE(std::filesystem::create_directories(m_folder + L"\\base"));
        m_base = m_folder + L"\\base";
    }
    void TearDown() override { std::filesystem::remove_all(m_folder, m_ignored); }

    static std::wstring Utf16(const std::string& text) { return {text.begin(), text.end()}; }

    void WriteFile(const std::wstring& path, const std::string& bytes) {
        std::ofstream(std::filesystem::path(path), std::ios::binary) << bytes;
    }
    // An archive of the test build, downloaded into the base folder.
    std::wstring Downloaded(const std::wstring& name) {
        const std::wstring path = m_base + L"\\" + name;
        EXPECT_TRUE(CopyFileW(Archive(name).c_str(), path.c_str(), FALSE));
        return path;
    }
    std::vector<std::wstring> FilesUnder(const std::wstring& folder) {
        std::vector<std::wstring> names;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
            names.push_back(std::filesystem::relative(entry.path(), folder).wstring());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::wstring m_folder, m_base;
    std::error_code m_ignored;
};

TEST_F(LaunchTest, ArchivesAreKnownByTheirFirstBytesOnly) {
    WriteFile(m_base + L"\\a.zip", "PK\x03\x04rest");
    WriteFile(m_base + L"\\short.zip", "PK\x03");
    WriteFile(m_base + L"\\setup.exe", "MZ\x90");
    EXPECT_EQ(DetectArchive(m_base + L"\\a.zip"), ArchiveKind::Zip);
    EXPECT_EQ(DetectArchive(Archive(L"7z.bin")), ArchiveKind::SevenZip);
    EXPECT_EQ(DetectArchive(m_base + L"\\short.zip"), ArchiveKind::None);
    EXPECT_EQ(DetectArchive(m_base + L"\\setup.exe"), ArchiveKind::None);
    EXPECT_EQ(DetectArchive(m_base + L"\\missing.zip"), ArchiveKind::None);
}

TEST_F(LaunchTest, TheExtractionFolderIsNamedAfterTheArchiveAndMustBeAFolder) {
    EXPECT_EQ(MakeExtractionFolder(L"D:\\x\\setup.v2.zip", m_base), m_base + L"\\setup.v2");
    EXPECT_EQ(MakeExtractionFolder(L"setup.zip", m_base), m_base) << "no folder in the path";
    EXPECT_TRUE(std::filesystem::is_directory(m_base + L"\\setup.v2"));
    EXPECT_EQ(MakeExtractionFolder(L"D:\\x\\setup.v2.zip", m_base), m_base + L"\\setup.v2")
        << "an existing folder is used again";

    WriteFile(m_base + L"\\taken", "a user's file");
    EXPECT_EQ(MakeExtractionFolder(L"D:\\x\\taken.zip", m_base), L"");
    EXPECT_EQ(MakeExtractionFolder(L"D:\\x\\a.zip", m_base + L"\\missing"), m_base + L"\\missing")
        << "a folder that cannot be made leaves the base folder";
}

TEST_F(LaunchTest, TheFirstProgramIsAFileAtTheTopOfTheFolder) {
    ASSERT_TRUE(std::filesystem::create_directories(m_base + L"\\tools.exe"));
    WriteFile(m_base + L"\\readme.txt", "");
    EXPECT_EQ(FindFirstExe(m_base), L"");
    WriteFile(m_base + L"\\tools.exe\\inner.exe", "");
    EXPECT_EQ(FindFirstExe(m_base), L"") << "folders are not searched";
    WriteFile(m_base + L"\\setup.exe", "");
    EXPECT_EQ(FindFirstExe(m_base), L"setup.exe");
    EXPECT_EQ(FindFirstExe(m_base + L"\\missing"), L"");
}

TEST(CommandLine, QuotesThePathAndKeepsTheArgumentsAsGiven) {
    EXPECT_EQ(BuildCommandLine(L"C:\\My Files\\a.exe", L"/S"), L"\"C:\\My Files\\a.exe\" /S");
    EXPECT_EQ(BuildCommandLine(L"C:\\a.exe", L""), L"\"C:\\a.exe\" ");
}

TEST_F(LaunchTest, AWaitedStartGivesTheExitCodeAndTheExactCommandLine) {
    const std::wstring program = m_folder + L"\\My Files\\setup.exe";
    StartRecorder::Place(program);
    StartRecorder recorder;
    const RunResult done = RunProcess(program, L"/S /exit=3010", true);
    EXPECT_TRUE(done.started);
    EXPECT_EQ(done.exitCode, 3010u);
    EXPECT_EQ(done.message, L"exit code = 3010");
    EXPECT_EQ(done.path, program);
    const RunResult clean = RunProcess(program, L"", true);
    EXPECT_EQ(clean.exitCode, 0u);
    EXPECT_EQ(clean.message, L"");

    const auto starts = recorder.Starts(2);
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[0]["cmdline"], Utf8(L"\"" + program + L"\" /S /exit=3010"));
    EXPECT_EQ(starts[1]["cmdline"], Utf8(L"\"" + program + L"\" "));
}

TEST_F(LaunchTest, AStartWithoutWaitingReportsThatItStarted) {
    const std::wstring program = m_folder + L"\\setup.exe";
    StartRecorder::Place(program);
    StartRecorder recorder;
    const auto pending = RunProcessAsync(program, L"/offer", false);
    while (!pending->Ready()) Sleep(10);
    EXPECT_TRUE(pending->Get().started);
    EXPECT_EQ(pending->Get().exitCode, 0xFFFFFFFFu);
    EXPECT_EQ(pending->Get().message, L"exit code = 4294967295");
    ASSERT_EQ(recorder.Starts().size(), 1u);
}

TEST_F(LaunchTest, OnlyProgramsAreStarted) {
    StartRecorder recorder;
    // A script would run cmd.exe with the configuration's arguments.
    WriteFile(m_base + L"\\setup.cmd", "@echo off\r\necho ran > \"%~dp0ran.txt\"\r\n");
    const RunResult script = RunProcess(m_base + L"\\setup.cmd", L"& echo injected", true);
    EXPECT_FALSE(script.started);
    EXPECT_EQ(script.exitCode, 0xFFFFFFFFu);
    EXPECT_EQ(script.message, L"Error launching executable: the file is not a program");
    Sleep(500);
    EXPECT_FALSE(std::filesystem::exists(m_base + L"\\ran.txt"));

    const RunResult missing = RunProcess(m_base + L"\\missing.exe", L"", true);
    EXPECT_FALSE(missing.started);
    EXPECT_THAT(Utf8(missing.message), StartsWith("Error launching executable: "));
    EXPECT_GT(missing.message.size(), std::wstring(L"Error launching executable: ").size());

    WriteFile(m_base + L"\\broken.exe", "MZ but nothing else");
    const RunResult broken = RunProcess(m_base + L"\\broken.exe", L"", true);
    EXPECT_FALSE(broken.started);
    EXPECT_THAT(Utf8(broken.message), StartsWith("Error launching executable: "));
    // A 7z archive is not unpacked: it is given to the runner as it is, and refused there.
    const RunResult sevenZip = RunDownloadedFile(Archive(L"7z.bin"), L"", true, m_base);
    EXPECT_FALSE(sevenZip.started);
    EXPECT_EQ(sevenZip.message, L"Error launching executable: the file is not a program");
    EXPECT_THAT(recorder.Starts(1, 500), IsEmpty());
}

TEST_F(LaunchTest, AZipRunsTheProgramAtItsTopWithTheArguments) {
    StartRecorder recorder;
    for (const wchar_t* name : {L"top.zip", L"stored.zip"}) {
        const std::wstring archive = Downloaded(name);
        const RunResult done = RunDownloadedFile(archive, L"/quiet /exit=7", true, m_base);
        const std::wstring folder = archive.substr(0, archive.size() - 4);
        EXPECT_TRUE(done.started) << Utf8(done.message);
        EXPECT_EQ(done.exitCode, 7u);
        EXPECT_EQ(done.path, folder + L"\\setup.exe");
    }
    EXPECT_EQ(FilesUnder(m_base + L"\\top"),
              (std::vector<std::wstring>{L"readme.txt", L"setup.exe"}));
    std::ifstream readme(std::filesystem::path(m_base + L"\\top\\readme.txt"), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(readme), {}), "Read me first.\r\n");
    const auto starts = recorder.Starts(2);
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[0]["cmdline"], Utf8(L"\"" + m_base + L"\\top\\setup.exe\" /quiet /exit=7"));
}

TEST_F(LaunchTest, AZipWithoutAProgramAtItsTopIsAStartThatFailed) {
    StartRecorder recorder;
    for (const wchar_t* name : {L"nested.zip", L"noexe.zip"}) {
        const RunResult done = RunDownloadedFile(Downloaded(name), L"", true, m_base);
        EXPECT_FALSE(done.started);
        EXPECT_EQ(done.message,
                  L"Error launching executable: the archive holds no program at its top level");
    }
    EXPECT_TRUE(std::filesystem::exists(m_base + L"\\nested\\bin\\setup.exe"));
    EXPECT_THAT(recorder.Starts(1, 500), IsEmpty());
}

TEST_F(LaunchTest, AnArchiveWhoseFolderIsTakenIsNotUnpacked) {
    WriteFile(m_base + L"\\top", "a user's file");
    const RunResult done = RunDownloadedFile(Downloaded(L"top.zip"), L"", true, m_base);
    EXPECT_FALSE(done.started);
    EXPECT_THAT(Utf8(done.message), HasSubstr("taken by a file"));
}

TEST_F(LaunchTest, EntriesThatLeaveTheirFolderRefuseTheWholeArchive) {
    for (const wchar_t* name : {L"escape.zip", L"absolute.zip"}) {
        const RunResult done = RunDownloadedFile(Downloaded(name), L"", true, m_base);
        EXPECT_FALSE(done.started);
        EXPECT_THAT(Utf8(done.message), HasSubstr("would leave its folder")) << Utf8(name);
    }
    EXPECT_FALSE(std::filesystem::exists(m_base + L"\\escape.exe"));
    EXPECT_FALSE(std::filesystem::exists(m_folder + L"\\escape.exe"));
    EXPECT_FALSE(std::filesystem::exists(m_base + L"\\escape"))
        << "nothing unpacked, not even the readme, and no empty folder left";
}

TEST_F(LaunchTest, UnpackingStopsAtTheDeclaredSizesAndTheLimits) {
    EXPECT_THAT(Utf8(UnpackZip(Archive(L"oversize.zip"), m_base)), HasSubstr("damaged"));
    EXPECT_THAT(Utf8(UnpackZip(Archive(L"many.zip"), m_base)),
                HasSubstr("more than 10000 entries"));
    ZipLimits small;
    small.maxTotalSize = 1000;
    EXPECT_THAT(Utf8(UnpackZip(Archive(L"top.zip"), m_base, small)), HasSubstr("unpacks to more"));
    EXPECT_THAT(FilesUnder(m_base), IsEmpty()) << "a damaged entry leaves no file behind";
    EXPECT_THAT(Utf8(UnpackZip(Archive(L"7z.bin"), m_base)), HasSubstr("not a ZIP archive"));
}

// A thread that runs COM in another apartment keeps it: the Shell's unpacking ends only
// what its own initialisation began.
TEST_F(LaunchTest, TheShellUnpackingLeavesTheCallersComAsItWas) {
    HRESULT after = E_FAIL;
    Thread worker([&] {
        if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return;
        ExtractZipWithShell(Archive(L"top.zip"), m_base);
        after = CoInitializeEx(nullptr, COINIT_MULTITHREADED);  // S_FALSE: still initialised
        CoUninitialize();
        CoUninitialize();
    });
    ASSERT_TRUE(worker.Wait(30000));
    EXPECT_EQ(after, S_FALSE);
}

TEST(EntryNames, OnlyPlainRelativePathsAreUnpacked) {
    EXPECT_EQ(SafeEntryPath("bin/setup.exe", false), L"bin\\setup.exe");
    EXPECT_EQ(SafeEntryPath("bin/", false), L"bin");
    EXPECT_EQ(SafeEntryPath("caf\xc3\xa9.txt", true), L"caf\u00e9.txt");
    EXPECT_EQ(SafeEntryPath("caf\x82.txt", false), L"caf\u00e9.txt") << "code page 437";
    for (const char* name : {"../a.exe", "a/../../b.exe", "..",
                             "/etc/a",   "\\a.exe",       "\\\\server\\share\\a.exe",
                             "C:/a.exe", "c:a.exe",       "a.txt:stream",
                             "a//b",     "./a",           "a/./b",
                             "dir. /a",  "a. ",           "con",
                             "CON.txt",  "lpt1",          "a/nul.exe",
                             "a?b",      "a\x01",         ""}) {
        EXPECT_EQ(SafeEntryPath(name, false), std::nullopt) << name;
    }
    EXPECT_EQ(SafeEntryPath(std::string("a\0b", 3), false), std::nullopt);
    EXPECT_EQ(SafeEntryPath("console.txt", false), L"console.txt");
    EXPECT_EQ(SafeEntryPath("com10", false), L"com10");
}

TEST(ZipCrc, MatchesTheKnownCheckValue) {
    const std::string text = "123456789";
    EXPECT_EQ(ZipCrc32(0, reinterpret_cast<const unsigned char*>(text.data()), text.size()),
              0xCBF43926u);
}

}  // namespace
