#include "offers/registry.h"

#include "offers_test_support.h"

#include <gtest/gtest.h>

using namespace offers_test;

namespace {

using Keys = std::vector<std::wstring>;

const wchar_t kTestKey[] = L"Software\\KelvaraTest";
const wchar_t kAppPaths[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

// Keys under the test's own key: "native" in the 64-bit view, "redirected" in the 32-bit
// view (on 32-bit Windows both views are one), "user" in HKCU.
class RegistryTest : public ::testing::Test {
protected:
    RegistryTest() {
        CreateKey(HKEY_LOCAL_MACHINE, L"Software\\KelvaraTest\\Native\\Deep", kView64);
        CreateKey(HKEY_LOCAL_MACHINE, L"Software\\KelvaraTest\\Redirected", kView32);
        CreateKey(HKEY_CURRENT_USER, L"Software\\KelvaraTest\\User", kView64);
    }

    OwnedKeys m_owned{{{HKEY_LOCAL_MACHINE, kTestKey}, {HKEY_CURRENT_USER, kTestKey}}};
    const bool m_is64 = RunsOn64BitWindows();
};

}  // namespace

TEST(Split, CutsLikeReadingLinesAtTheDelimiter) {
    EXPECT_EQ(Split(L"a\\\\b\\", L'\\'), (Keys{L"a", L"", L"b"}));
    EXPECT_EQ(Split(L"\\a", L'\\'), (Keys{L"", L"a"}));
    EXPECT_EQ(Split(L"abc", L'\\'), (Keys{L"abc"}));
    EXPECT_TRUE(Split(L"", L'\\').empty());
}

TEST(ExpandKeyPath, HiveNamesAndAliasesStandForThemselves) {
    EXPECT_EQ(ExpandKeyPath(L"hklm\\software\\a", true),
              (Keys{L"hkey_local_machine\\software\\a"}));
    EXPECT_EQ(ExpandKeyPath(L"hkey_users\\s-1-5-18\\x", true), (Keys{L"hkey_users\\s-1-5-18\\x"}));
    EXPECT_EQ(ExpandKeyPath(L"hku\\x", false), (Keys{L"hkey_users\\x"}));
    EXPECT_EQ(ExpandKeyPath(L"hkcc\\x", false), (Keys{L"hkey_current_config\\x"}));
    EXPECT_TRUE(ExpandKeyPath(L"", true).empty());
}

TEST(ExpandKeyPath, RelativePathsGiveTwoKeysOn32BitAndFourOn64BitWindows) {
    EXPECT_EQ(ExpandKeyPath(L"vendor\\app", false),
              (Keys{L"hkey_local_machine\\software\\vendor\\app",
                    L"hkey_current_user\\software\\vendor\\app"}));
    EXPECT_EQ(ExpandKeyPath(L"vendor\\app", true),
              (Keys{L"hkey_local_machine\\software\\vendor\\app",
                    L"hkey_current_user\\software\\vendor\\app",
                    L"hkey_local_machine\\software\\wow6432node\\vendor\\app",
                    L"hkey_current_user\\software\\wow6432node\\vendor\\app"}));
    // Neither a hive name nor an alias, nor an alias without its backslash.
    EXPECT_EQ(ExpandKeyPath(L"hkfoo\\bar", false),
              (Keys{L"hkey_local_machine\\software\\hkfoo\\bar",
                    L"hkey_current_user\\software\\hkfoo\\bar"}));
    EXPECT_EQ(ExpandKeyPath(L"hklm", false)[0], L"hkey_local_machine\\software\\hklm");
}

TEST(AdjustView, SoftwareKeysUseTheNativeViewAndWow6432NodeTheProcesssOwn) {
    std::wstring key = L"hkey_local_machine\\software\\vendor";
    REGSAM flags = 0;
    EXPECT_FALSE(AdjustView(key, flags, true));
    EXPECT_EQ(flags, static_cast<REGSAM>(KEY_WOW64_64KEY));

    key = L"hkey_current_user\\software\\wow6432node\\vendor\\app";
    flags = 0;
    EXPECT_FALSE(AdjustView(key, flags, true));
    EXPECT_EQ(key, L"hkey_current_user\\software\\vendor\\app");
    EXPECT_EQ(flags, 0u);

    key = L"hkey_local_machine\\software\\wow6432node\\vendor";
    EXPECT_TRUE(AdjustView(key, flags, false));  // cannot exist on 32-bit Windows

    key = L"hkey_local_machine\\software\\vendor";
    flags = KEY_READ;
    EXPECT_FALSE(AdjustView(key, flags, false));
    EXPECT_EQ(flags, static_cast<REGSAM>(KEY_READ));

    key = L"hkey_users\\software\\vendor";
    EXPECT_FALSE(AdjustView(key, flags, true));
    EXPECT_EQ(flags, static_cast<REGSAM>(KEY_READ));

    key = L"hkey_local_machine\\software\\";
    EXPECT_THROW(AdjustView(key, flags, true), std::out_of_range);
}

TEST_F(RegistryTest, KeysBelowSoftwareAreLookedUpInTheRightView) {
    Registry registry(m_is64);
    EXPECT_TRUE(registry.KeyExists(L"hkey_local_machine\\software\\kelvaratest\\native\\deep"));
    EXPECT_TRUE(registry.KeyExists(L"hkey_local_machine\\software\\kelvaratest"));
    EXPECT_TRUE(registry.KeyExists(L"hkey_current_user\\software\\kelvaratest\\user"));
    EXPECT_FALSE(registry.KeyExists(L"hkey_local_machine\\software\\kelvaratest\\absent"));
    if (m_is64) {
        EXPECT_FALSE(registry.KeyExists(L"hkey_local_machine\\software\\kelvaratest\\redirected"));
        EXPECT_TRUE(registry.KeyExists(
            L"hkey_local_machine\\software\\wow6432node\\kelvaratest\\redirected"));
        EXPECT_FALSE(
            registry.KeyExists(L"hkey_local_machine\\software\\wow6432node\\kelvaratest\\native"));
    } else {
        EXPECT_TRUE(registry.KeyExists(L"hkey_local_machine\\software\\kelvaratest\\redirected"));
        EXPECT_FALSE(registry.KeyExists(
            L"hkey_local_machine\\software\\wow6432node\\kelvaratest\\redirected"));
    }
    // Keys outside "software" are opened as written.
    EXPECT_TRUE(registry.KeyExists(L"hkey_local_machine\\hardware\\description\\system"));
    EXPECT_FALSE(registry.KeyExists(L"hkey_local_machine\\hardware\\kelvaratest"));
    EXPECT_THROW(registry.KeyExists(L"hkfoo\\bar"), std::out_of_range);
}

TEST_F(RegistryTest, RuleListsFindRelativeKeysInEveryView) {
    Registry registry(m_is64);
    EXPECT_TRUE(registry.AnyKeyExists({L"KelvaraTest\\Redirected"}));
    EXPECT_TRUE(
        registry.AnyKeyExists({L"kelvaratest\\absent", L"hkcu\\software\\kelvaratest\\user"}));
    EXPECT_FALSE(registry.AnyKeyExists({L"kelvaratest\\absent", L"hkfoo\\bar"}));
    // An empty entry ends the list with false, whatever follows.
    EXPECT_FALSE(registry.AnyKeyExists({L"", L"kelvaratest\\native"}));
    EXPECT_FALSE(registry.AnyKeyExists({}));
}

TEST_F(RegistryTest, SoftwareSubkeysAreEnumeratedOncePerHiveAndView) {
    Registry registry(m_is64);
    EXPECT_TRUE(registry.KeyExists(L"hkey_local_machine\\software\\kelvaratest\\native"));
    EXPECT_TRUE(registry.KeyExists(L"hkey_local_machine\\software\\kelvaratest\\native\\deep"));
    EXPECT_EQ(registry.Stats().subkeyEnumerations, 1u);

    // A first component missing from the cached list: absent, and nothing is opened.
    const unsigned opened = registry.Stats().keyOpenCalls;
    EXPECT_FALSE(registry.KeyExists(L"hkey_local_machine\\software\\kelvaranotinstalled\\app"));
    EXPECT_EQ(registry.Stats().keyOpenCalls, opened);

    // The list reflects the registry as it was at its first use in this evaluation.
    OwnedKeys later{{{HKEY_LOCAL_MACHINE, L"Software\\KelvaraTestLater"}}};
    CreateKey(HKEY_LOCAL_MACHINE, L"Software\\KelvaraTestLater", kView64);
    EXPECT_FALSE(registry.KeyExists(L"hkey_local_machine\\software\\kelvaratestlater"));
    EXPECT_TRUE(Registry(m_is64).KeyExists(L"hkey_local_machine\\software\\kelvaratestlater"));
    EXPECT_EQ(registry.Stats().subkeyEnumerations, 1u);
}

TEST_F(RegistryTest, ValuesAreReadAsTextByType) {
    const std::wstring key = L"Software\\KelvaraTest\\Values";
    SetString(HKEY_LOCAL_MACHINE, key, kView64, L"text", L"Hello");
    SetString(HKEY_LOCAL_MACHINE, key, kView64, L"", L"default");
    SetDword(HKEY_LOCAL_MACHINE, key, kView64, L"dword", 10);
    SetQword(HKEY_LOCAL_MACHINE, key, kView64, L"qword", 1700000000123ULL);
    SetString(HKEY_LOCAL_MACHINE, key, kView64, L"expand", L"%TEMP%", REG_EXPAND_SZ);
    SetString(HKEY_LOCAL_MACHINE, L"Software\\KelvaraTest\\Only32", kView32, L"text",
              L"32-bit view");

    Registry registry(m_is64);
    const std::wstring root = L"hkey_local_machine";
    EXPECT_EQ(registry.ReadValueString(root, L"software\\kelvaratest\\values", L"text"), L"Hello");
    EXPECT_EQ(registry.ReadValueString(root, L"software\\kelvaratest\\values", L""), L"default");
    EXPECT_EQ(registry.ReadValueString(root, L"software\\kelvaratest\\values", L"dword"), L"10");
    EXPECT_EQ(registry.ReadValueString(root, L"software\\kelvaratest\\values", L"qword"),
              L"1700000000123");
    EXPECT_EQ(registry.ReadValueString(root, L"software\\kelvaratest\\values", L"expand"),
              std::nullopt);
    EXPECT_EQ(registry.ReadValueString(root, L"software\\kelvaratest\\values", L"absent"),
              std::nullopt);
    EXPECT_EQ(registry.ReadValueString(root, L"software\\kelvaratest\\absent", L"text"),
              std::nullopt);
    // Found in the 32-bit view when the native one lacks it.
    EXPECT_EQ(registry.ReadValueString(root, L"software\\kelvaratest\\only32", L"text"),
              L"32-bit view");
    EXPECT_THROW(registry.ReadValueString(L"hklm", L"software\\kelvaratest\\values", L"text"),
                 std::out_of_range);
}

TEST_F(RegistryTest, ValueRulesMatchNamesAndContents) {
    const std::wstring key = L"Software\\KelvaraTest\\Values";
    SetString(HKEY_LOCAL_MACHINE, key, kView64, L"text", L"Hello");
    SetString(HKEY_LOCAL_MACHINE, key, kView64, L"empty", L"");
    SetDword(HKEY_LOCAL_MACHINE, key, kView64, L"dword", 10);
    SetQword(HKEY_LOCAL_MACHINE, key, kView64, L"qword", 5000000000ULL);
    SetString(HKEY_LOCAL_MACHINE, key, kView64, L"expand", L"x", REG_EXPAND_SZ);

    Registry registry(m_is64);
    EXPECT_TRUE(
        registry.AnyValueExists({L"kelvaratest\\values\\absent", L"kelvaratest\\values\\dword"}));
    EXPECT_TRUE(registry.AnyValueExists({L"KelvaraTest\\Values\\Expand"}));
    EXPECT_FALSE(
        registry.AnyValueExists({L"kelvaratest\\values\\absent", L"kelvaratest\\absent\\text"}));
    EXPECT_FALSE(registry.AnyValueExists({L"", L"kelvaratest\\values\\dword"}));

    EXPECT_TRUE(registry.AnyValueDataMatches({L"kelvaratest\\values\\text\\HELLO"}));
    EXPECT_FALSE(registry.AnyValueDataMatches({L"kelvaratest\\values\\text\\hell"}));
    EXPECT_TRUE(registry.AnyValueDataMatches({L"kelvaratest\\values\\dword\\10"}));
    EXPECT_TRUE(registry.AnyValueDataMatches({L"kelvaratest\\values\\dword\\010"}));
    EXPECT_FALSE(registry.AnyValueDataMatches({L"kelvaratest\\values\\dword\\11"}));
    EXPECT_TRUE(registry.AnyValueDataMatches({L"kelvaratest\\values\\qword\\5000000000"}));
    EXPECT_FALSE(registry.AnyValueDataMatches({L"kelvaratest\\values\\expand\\x"}));
    // A trailing backslash expects an empty text; an empty entry only skips itself.
    EXPECT_TRUE(registry.AnyValueDataMatches({L"", L"kelvaratest\\values\\empty\\"}));
    EXPECT_FALSE(registry.AnyValueDataMatches({L"kelvaratest\\values\\text\\"}));
    EXPECT_THROW(registry.AnyValueDataMatches({L"kelvaratest\\values\\dword\\ten"}),
                 std::invalid_argument);
    EXPECT_THROW(registry.AnyValueDataMatches({L"kelvaratest\\values\\qword\\-"}),
                 std::invalid_argument);
    EXPECT_THROW(registry.AnyValueDataMatches({L"kelvaratest\\values\\dword\\99999999999"}),
                 std::out_of_range);
}

TEST_F(RegistryTest, FailedCallsCarryTheirMessageAndCode) {
    try {
        EnumerateSubkeys(nullptr);
        FAIL();
    } catch (const win32::RegistryError& error) {
        EXPECT_EQ(error.Text(), L"RegQueryInfoKey failed while preparing for subkey enumeration.");
        EXPECT_NE(error.code, ERROR_SUCCESS);
    }
    try {
        ReadString(HKEY_LOCAL_MACHINE, L"Software\\KelvaraTest", L"absent");
        FAIL();
    } catch (const win32::RegistryError& error) {
        EXPECT_EQ(error.Text(), L"Cannot read string from registry");
        EXPECT_EQ(error.code, ERROR_FILE_NOT_FOUND);
    }
    EXPECT_EQ(ValueType(HKEY_LOCAL_MACHINE, L"kelvara absent"), 0u);
    EXPECT_THROW(HiveHandle(L"hklm"), std::out_of_range);
}

namespace {

// Applications registered under App Paths by the test, removed first and last.
class AppPathsTest : public ::testing::Test {
protected:
    AppPathsTest() {
        const std::wstring installed = m_files.AddFile(L"installed.exe");
        SetString(HKEY_LOCAL_MACHINE, std::wstring(kAppPaths) + L"kelvara_installed.exe",
                  kDefaultView, L"", installed);
        SetString(HKEY_CURRENT_USER, std::wstring(kAppPaths) + L"kelvara_user.exe", kDefaultView,
                  L"", installed);
        SetString(HKEY_LOCAL_MACHINE, std::wstring(kAppPaths) + L"kelvara_missing.exe",
                  kDefaultView, L"", (m_files.Path() / L"missing.exe").wstring());
        SetString(HKEY_LOCAL_MACHINE, std::wstring(kAppPaths) + L"kelvara_nodefault.exe",
                  kDefaultView, L"Path", m_files.Path().wstring());
    }

    OwnedKeys m_owned{{{HKEY_LOCAL_MACHINE, std::wstring(kAppPaths) + L"kelvara_installed.exe"},
                       {HKEY_CURRENT_USER, std::wstring(kAppPaths) + L"kelvara_user.exe"},
                       {HKEY_LOCAL_MACHINE, std::wstring(kAppPaths) + L"kelvara_missing.exe"},
                       {HKEY_LOCAL_MACHINE, std::wstring(kAppPaths) + L"kelvara_nodefault.exe"}}};
    OwnedFolder m_files{L"C:\\Program Files\\KelvaraTestApps"};
};

}  // namespace

TEST_F(AppPathsTest, AnApplicationCountsWhenItsRegisteredFileExists) {
    Registry registry(RunsOn64BitWindows());
    EXPECT_TRUE(registry.FindRegisteredApp(L"kelvara_installed.exe"));
    EXPECT_TRUE(registry.FindRegisteredApp(L"kelvara_user.exe"));
    EXPECT_FALSE(registry.FindRegisteredApp(L"kelvara_missing.exe"));
    EXPECT_FALSE(registry.FindRegisteredApp(L"kelvara_nodefault.exe"));
    EXPECT_FALSE(registry.FindRegisteredApp(L"kelvara_unknown.exe"));
    // Names are looked up as written; the index holds them in lower case.
    EXPECT_FALSE(registry.FindRegisteredApp(L"Kelvara_Installed.exe"));

    // The index is built once and each path read once.
    const RegistryStats before = registry.Stats();
    EXPECT_TRUE(registry.FindRegisteredApp(L"kelvara_installed.exe"));
    EXPECT_EQ(registry.Stats().keyOpenCalls, before.keyOpenCalls);
    EXPECT_EQ(registry.Stats().subkeyEnumerations, before.subkeyEnumerations);
}
