#include "base/path_macros.h"
#include "config/configuration_manager.h"
#include "offers_test_support.h"

#include <gtest/gtest.h>
#include <knownfolders.h>

namespace {

PathMacroTable Table(bool wow64) {
    return BuildPathMacroTable(wow64, L"C:\\Local", L"C:\\Roaming", L"C:\\ProgramData", L"C:\\PF86",
                               wow64 ? L"C:\\PF64" : L"");
}

}  // namespace

TEST(ExpandPathMacros, CommonpfResolvesToTheNativeProgramFilesInOnePass) {
    EXPECT_EQ(ExpandPathMacros(L"{commonpf}\\Google\\Chrome\\Application\\chrome.exe", Table(true)),
              L"C:\\PF64\\Google\\Chrome\\Application\\chrome.exe");
    EXPECT_EQ(ExpandPathMacros(L"{commonpf}\\App", Table(false)), L"C:\\PF86\\App");
    EXPECT_EQ(ExpandPathMacros(L"{commonpf64}\\App", Table(false)), L"{commonpf64}\\App");
}

TEST(ExpandPathMacros, TakesTimeInProportionToTheText) {
    std::wstring text;
    for (int i = 0; i < 200000; ++i) text += L"{commonpf}";
    const ULONGLONG start = GetTickCount64();
    const std::wstring expanded = ExpandPathMacros(text, Table(true));
    EXPECT_LT(GetTickCount64() - start, 2000u);  // replacing in place took minutes
    EXPECT_EQ(expanded.size(), 200000u * 7);
    EXPECT_EQ(expanded.substr(0, 14), L"C:\\PF64C:\\PF64");
}

TEST(ExpandPathMacros, ReplacesEveryOccurrenceAndLeavesUnknownTokens) {
    const auto table = Table(true);
    EXPECT_EQ(ExpandPathMacros(L"{localappdata};{localappdata}", table), L"C:\\Local;C:\\Local");
    EXPECT_EQ(ExpandPathMacros(L"{commonappdata}\\x", table), L"C:\\Roaming\\x");
    EXPECT_EQ(ExpandPathMacros(L"{programdata}", table), L"C:\\ProgramData");
    EXPECT_EQ(ExpandPathMacros(L"{COMMONPF}\\x", table), L"{COMMONPF}\\x");
    EXPECT_EQ(ExpandPathMacros(L"{nothing}{", table), L"{nothing}{");
    EXPECT_EQ(ExpandPathMacros(L"", table), L"");
}

TEST(ExpandPathMacros, AFolderThatLooksLikeAMacroIsNotExpandedAgain) {
    PathMacroTable table = {{"a", L"{a}{a}"}};
    EXPECT_EQ(ExpandPathMacros(L"{a}", table), L"{a}{a}");
}

// Runs in the 64-bit prefix (as a 32-bit program under WOW64, or a 64-bit one) and in the
// 32-bit one.
TEST(PathMacros, FollowThisMachine) {
    auto config = ConfigurationManager::GetInstance();
    const PathMacroTable table = config->GetPathMacros();
    ASSERT_GE(table.size(), 5u);
    EXPECT_EQ(table[0].first, "commonpf");
    EXPECT_EQ(ExpandPathMacros(L"{commonpf}\\App", table), L"C:\\Program Files\\App");
    EXPECT_EQ(ExpandPathMacros(L"{commonappdata}", table), GetKnownFolder(FOLDERID_RoamingAppData));
    if (offers_test::RunsOn64BitWindows()) {
        EXPECT_EQ(table.back().first, "commonpf64");
        EXPECT_EQ(config->m_pathMacros64.size(), 1u);
        EXPECT_EQ(ExpandPathMacros(L"{commonpf32}", table), L"C:\\Program Files (x86)");
    } else {
        EXPECT_TRUE(config->m_pathMacros64.empty());
        EXPECT_EQ(ExpandPathMacros(L"{commonpf64}\\App", table), L"{commonpf64}\\App");
    }
}
