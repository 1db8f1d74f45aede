#include "offers/system_probes.h"

#include "base/system_info.h"
#include "base/time.h"
#include "base/path_macros.h"
#include "offers/package.h"
#include "offers/registry.h"
#include "offers_test_support.h"

#include <gtest/gtest.h>

#include <ctime>

using namespace offers_test;

namespace {

// Each probe on a registry view with empty caches, as a new evaluation has.
bool ChromeFound() {
    Registry registry(Is64BitWindows());
    return ChromeInstalled(registry);
}

std::optional<float> InstalledIeVersion() {
    Registry registry(Is64BitWindows());
    return IeVersion(registry);
}

}  // namespace

TEST(MachineProbes, MeasureThisMachine) {
    MEMORYSTATUSEX memory = {};
    memory.dwLength = sizeof(memory);
    ASSERT_TRUE(GlobalMemoryStatusEx(&memory));
    EXPECT_EQ(TotalMemoryMB().value, memory.ullTotalPhys / (1024 * 1024));

    const auto mhz = ProcessorMHz();
    ASSERT_TRUE(mhz.value);
    EXPECT_GT(*mhz.value, 0u);

    // The Default user's Desktop lies on drive C: in the test prefixes.
    ULARGE_INTEGER available = {};
    ASSERT_TRUE(GetDiskFreeSpaceExW(L"C:\\", &available, nullptr, nullptr));
    const auto disk = FreeDiskMB();
    ASSERT_TRUE(disk.value);
    EXPECT_NEAR(static_cast<double>(*disk.value), static_cast<double>(available.QuadPart >> 20),
                64.0);

    EXPECT_EQ(Is64BitWindows(), RunsOn64BitWindows());
    EXPECT_NEAR(static_cast<double>(UnixSecondsNow()), static_cast<double>(std::time(nullptr)),
                2.0);
}

// The prefixes report Windows 10.
TEST(WindowsVersionCode, NamesAMinimumWindowsVersion) {
    for (int code : {61, 62, 63, 100, 0, -1}) EXPECT_TRUE(MeetsWindowsVersionCode(code)) << code;
    for (int code : {60, 64, 101, 1000}) EXPECT_FALSE(MeetsWindowsVersionCode(code)) << code;
}

TEST(InstallerVersion, ComparesNumbersPositionByPosition) {
    EXPECT_EQ(ParseVersion(L"3.0.13.45782"), (std::vector<int>{3, 0, 13, 45782}));
    EXPECT_EQ(ParseVersion(L".3..1."), (std::vector<int>{3, 1}));
    EXPECT_EQ(ParseVersion(L"2.x.7b"), (std::vector<int>{2, 0, 7}));
    EXPECT_TRUE(ParseVersion(L"").empty());

    const std::wstring installed = L"3.0.13.45782";
    for (const wchar_t* met : {L"3.0.13", L"3", L"3.0.9.99999", L"2.99", L"", L"3.0.13.45782.0"}) {
        EXPECT_TRUE(IsVersionAtLeast(installed, met)) << met;
    }
    for (const wchar_t* notMet : {L"3.0.14", L"3.1", L"4", L"3.0.13.45782.1"}) {
        EXPECT_FALSE(IsVersionAtLeast(installed, notMet)) << notMet;
    }
}

TEST(RunningPrograms, MatchByNameWithOrWithoutExtension) {
    const std::vector<std::wstring> running = {L"notepad.exe", L"my.tool.exe", L"services.exe"};
    for (const char* name : {"notepad", "notepad.exe", "NOTEPAD", "my.tool", "my.tool.exe"}) {
        EXPECT_TRUE(IsProgramRunning(name, running)) << name;
    }
    for (const char* name : {"note", "notepad.ex", "my", "tool", ""}) {
        EXPECT_FALSE(IsProgramRunning(name, running)) << name;
    }

    RunningProgram program(L"kelvara.probe.exe");
    ASSERT_TRUE(program.Started());
    const std::vector<std::wstring> snapshot = RunningPrograms();
    EXPECT_TRUE(IsProgramRunning("Kelvara.Probe", snapshot));
    EXPECT_TRUE(IsProgramRunning("kelvara.probe.exe", snapshot));
    EXPECT_FALSE(IsProgramRunning("kelvara", snapshot));
}

TEST(AnyFileExists, TestsEachPathAndSkips64BitOnlyMacrosOn32BitWindows) {
    OwnedFolder folder(L"C:\\Program Files\\KelvaraTestFiles");
    const std::wstring file = folder.AddFile(L"a\\present.txt");
    const std::wstring missing = folder.Path().wstring() + L"\\missing.txt";
    EXPECT_TRUE(AnyFileExists({missing, file}, Is64BitWindows()));
    EXPECT_FALSE(AnyFileExists({missing}, Is64BitWindows()));
    EXPECT_FALSE(AnyFileExists({}, Is64BitWindows()));

    // A path still holding a 64-bit-only macro counts as absent on 32-bit Windows.
    const std::wstring odd = folder.AddFile(L"{commonpf64}.txt");
    const PathMacroTable macros64 = {{"commonpf64", L"C:\\Program Files"}};
    EXPECT_TRUE(AnyFileExists({odd}, true, macros64));
    EXPECT_FALSE(AnyFileExists({odd}, false, macros64));
    EXPECT_TRUE(AnyFileExists({odd}, false, {}));
    // Where the machine has no such macro, the token stays and names no file.
    if (!Is64BitWindows()) {
        EXPECT_FALSE(
            AnyFileExists({ExpandPathMacros(L"{commonpf64}\\KelvaraTestFiles\\a\\present.txt",
                                            ConfigurationManager::GetInstance()->GetPathMacros())},
                          false));
    }
}

TEST(ChromeProbe, FindsChromeInProgramFilesAndThroughAppPaths) {
    OwnedFolder google(L"C:\\Program Files\\Google");
    OwnedFolder elsewhere(L"C:\\KelvaraTestBrowser");
    const wchar_t appPath[] =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\chrome.exe";
    OwnedKeys keys{{{HKEY_LOCAL_MACHINE, appPath}}};
    EXPECT_FALSE(ChromeFound());

    // The native Program Files folder: "C:\Program Files" on both kinds of Windows.
    google.AddFile(L"Chrome\\Application\\chrome.exe");
    EXPECT_TRUE(ChromeFound());
    std::filesystem::remove_all(google.Path());

    // App Paths in this process's view, naming the folder of chrome.exe.
    elsewhere.AddFile(L"chrome.exe");
    SetString(HKEY_LOCAL_MACHINE, appPath, kDefaultView, L"Path", elsewhere.Path().wstring());
    EXPECT_TRUE(ChromeFound());
}

TEST(IeProbe, ReadsTheLeadingNumberOfTheVersion) {
    PreservedValue value(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Internet Explorer",
                         kDefaultView, L"Version");
    value.Set(L"9.11.19041.0");
    EXPECT_FLOAT_EQ(*InstalledIeVersion(), 9.11f);
    value.Set(L"11.0.19041.1");
    EXPECT_FLOAT_EQ(*InstalledIeVersion(), 11.0f);
    value.Set(L"unknown");
    EXPECT_THROW(InstalledIeVersion(), std::invalid_argument);
    value.Remove();
    EXPECT_EQ(InstalledIeVersion(), std::nullopt);
}

TEST(UninstallProbe, ReadsSecondsOrMilliseconds) {
    OwnedKeys keys{{{HKEY_CURRENT_USER, L"Software\\KelvaraTest"}}};
    SetQword(HKEY_CURRENT_USER, L"Software\\KelvaraTest\\Removed", kView64, L"AtMs",
             1700000000999ULL);
    SetString(HKEY_CURRENT_USER, L"Software\\KelvaraTest\\Removed", kView64, L"AtText",
              L"1700000000");
    SetString(HKEY_CURRENT_USER, L"Software\\KelvaraTest\\Removed", kView64, L"Bad", L"yesterday");
    Registry registry(Is64BitWindows());

    UninstallRule rule{
        L"HKEY_CURRENT_USER", L"Software\\KelvaraTest\\Removed", L"AtMs", L"REG_SZ", 30, true};
    EXPECT_EQ(UninstallTime(registry, rule), 1700000000u);
    rule.inMilliseconds = false;
    EXPECT_EQ(UninstallTime(registry, rule), 1700000000999u);
    rule.valueName = L"AtText";
    EXPECT_EQ(UninstallTime(registry, rule), 1700000000u);
    rule.valueName = L"Absent";
    EXPECT_EQ(UninstallTime(registry, rule), std::nullopt);
    rule.valueName = L"Bad";
    EXPECT_THROW(UninstallTime(registry, rule), std::invalid_argument);
    rule.root = L"hkcu";
    EXPECT_THROW(UninstallTime(registry, rule), std::out_of_range);
}
