#include "config/configuration_manager.h"

#include "base/thread.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <memory>
#include <vector>

TEST(Configuration, HoldsTheBuildConstants) {
    auto config = ConfigurationManager::GetInstance();
    EXPECT_EQ(config->m_wizardType, WizardType::DLM);
    EXPECT_FALSE(config->m_btMode);
    EXPECT_FALSE(config->m_classicMode);
    EXPECT_TRUE(config->m_failureEventFlag);
    EXPECT_EQ(config->m_configUrl, L"https://localhost/o");
    EXPECT_EQ(config->m_analyticsUrl, L"https://localhost/zbd");
    EXPECT_EQ(config->m_fileBaseUrl, L"https://localhost/f/");
    EXPECT_EQ(config->m_defaultPrivacyUrl, L"https://localhost/privacy/");
    EXPECT_EQ(config->m_brand, L"Tovanta");
    EXPECT_EQ(config->m_installerId, L"Tovanta_DLM");
    EXPECT_EQ(config->m_setupId, L"Tovanta_3cpp");
    EXPECT_EQ(config->m_backgroundColour, 0xFAFAFAu);
    EXPECT_EQ(config->m_brandColour, 0xBD7702u);
    EXPECT_EQ(config->m_offerSetting, 0);
    EXPECT_TRUE(config->m_productTitle.empty());
    EXPECT_FALSE(config->m_closing);
}

TEST(Configuration, ReadsTheVersionResource) {
    EXPECT_EQ(ModuleFileVersion(), L"3.0.13.45782");
    EXPECT_EQ(ConfigurationManager::GetInstance()->m_version, L"3.0.13.45782");
    EXPECT_EQ(FormatFileVersion(0x00030000, 0x000DB2D6), L"3.0.13.45782");
    EXPECT_EQ(FormatFileVersion(0xFFFF0001, 0x00000000), L"65535.1.0.0");
}

TEST(Configuration, KnowsOnlyTheTwoWizardTypes) {
    EXPECT_EQ(WizardTypeFromName(L"DLM"), WizardType::DLM);
    EXPECT_EQ(WizardTypeFromName(L"ISV"), WizardType::ISV);
    EXPECT_EQ(WizardTypeFromName(L"dlm"), WizardType::Unknown);
    EXPECT_EQ(WizardTypeFromName(L""), WizardType::Unknown);
    EXPECT_EQ(WizardTypeFromName(L"DLMX"), WizardType::Unknown);
}

TEST(Configuration, ThreadsStartingTogetherShareOneInstance) {
    constexpr int kThreads = 8;
    std::vector<ConfigurationManager*> seen(kThreads, nullptr);
    std::vector<std::unique_ptr<Thread>> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.push_back(std::make_unique<Thread>(
            [&seen, i] { seen[i] = ConfigurationManager::GetInstance().get(); }));
    }
    for (auto& thread : threads) ASSERT_TRUE(thread->Started() && thread->Wait());
    for (auto* instance : seen) EXPECT_EQ(instance, ConfigurationManager::GetInstance().get());
}

TEST(Configuration, DownloadFlowUsesDownloadsAndAFreshWorkingDirectory) {
    auto config = ConfigurationManager::GetInstance();
    EXPECT_NE(config->m_downloadFolder.find(L"Downloads"), std::wstring::npos);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring dir = config->m_workingDirectory;
    ASSERT_EQ(dir.rfind(temp, 0), 0u) << "inside the temporary folder";
    EXPECT_EQ(dir.substr(wcslen(temp), 3), L"ISV");
    EXPECT_TRUE(PathIsDirectoryW(dir.c_str()));

    const std::wstring another = CreateWorkingDirectory();
    EXPECT_NE(another, dir);
    EXPECT_TRUE(PathIsDirectoryW(another.c_str()));
    EXPECT_TRUE(RemoveDirectoryW(another.c_str()));
    EXPECT_TRUE(RemoveDirectoryW(dir.c_str()));
}
