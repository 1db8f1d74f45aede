#include "i18n/language_manager.h"

#include "config/configuration_manager.h"
#include "pages/ipage.h"
#include "ui/message_box.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

const std::vector<std::wstring> kDownloadFlowLanguages = {
    L"English", L"español",  L"português", L"polski",     L"čeština", L"dansk",   L"Deutsch",
    L"suomi",   L"français", L"italiano",  L"Nederlands", L"polski",  L"русский", L"Türkçe"};

// A real combo box in a hidden window, and every message box the manager would show.
class LanguageManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_parent = CreateWindowW(L"STATIC", L"", WS_OVERLAPPED, 0, 0, 300, 300, nullptr, nullptr,
                                 nullptr, nullptr);
        m_combo = CreateWindowW(L"COMBOBOX", L"", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 200, 200,
                                m_parent, nullptr, nullptr, nullptr);
        SetMessageBoxHook([this](const std::wstring& text, const std::wstring&, UINT) {
            m_messages.push_back(text);
            return IDOK;
        });
        m_config->m_wizardType = WizardType::DLM;
        m_config->m_productTitle.clear();
    }
    void TearDown() override {
        SetMessageBoxHook({});
        DestroyWindow(m_parent);
        m_config->m_wizardType = WizardType::DLM;
        m_config->m_productTitle.clear();
    }

    std::vector<std::wstring> Entries() const {
        std::vector<std::wstring> entries;
        const int count = static_cast<int>(SendMessageW(m_combo, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t text[128] = {};
            SendMessageW(m_combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            entries.push_back(text);
        }
        return entries;
    }
    int Selected() const { return static_cast<int>(SendMessageW(m_combo, CB_GETCURSEL, 0, 0)); }

    std::shared_ptr<ConfigurationManager> m_config = ConfigurationManager::GetInstance();
    LanguageManager m_manager{nullptr};
    HWND m_parent = nullptr;
    HWND m_combo = nullptr;
    std::vector<std::wstring> m_messages;
};

class CountingPage : public IPage {
public:
    CountingPage(std::shared_ptr<LanguageManager> manager, std::vector<int>& log, int name)
        : IPage(std::move(manager), 0), m_log(log), m_name(name) {}
    void OnNavigateToPage() override {}
    void SetButtonCallback(ButtonCallback) override {}
    void SetErrorCallback(ErrorCallback) override {}
    void UpdateTexts() override { m_log.push_back(m_name); }
    std::wstring GetPageName() const override { return L"CountingPage"; }

private:
    std::vector<int>& m_log;
    int m_name;
};

}  // namespace

TEST_F(LanguageManagerTest, ListsTheDownloadFlowDocumentsInResourceOrder) {
    m_manager.FillLanguageCombo(m_combo);
    EXPECT_EQ(Entries(), kDownloadFlowLanguages);
    EXPECT_TRUE(m_messages.empty());
}

// Run under several user locales by CTest: German preselects Deutsch; a locale without a
// document (Japanese) falls back to the first entry, English.
TEST_F(LanguageManagerTest, PreselectsTheUsersLanguage) {
    m_manager.FillLanguageCombo(m_combo);
    wchar_t locale[85] = {};
    GetUserDefaultLocaleName(locale, 85);
    const std::wstring user = locale;
    if (user == L"de-DE") {
        EXPECT_EQ(Entries()[Selected()], L"Deutsch");
    } else if (user == L"pl-PL") {
        EXPECT_EQ(Selected(), 11);  // the later of the two equal entries
    } else {
        EXPECT_EQ(Selected(), 0) << "user locale " << std::string(user.begin(), user.end());
    }
}

TEST_F(LanguageManagerTest, BothPolishEntriesLoadTheLaterDocument) {
    m_manager.FillLanguageCombo(m_combo);
    EXPECT_EQ(m_manager.ResourceIdFor(L"polski"), 116);
    ASSERT_TRUE(m_manager.SelectLanguage(L"polski"));
    EXPECT_EQ(m_config->m_localeName, L"pl");
    EXPECT_EQ(m_config->m_languageName, L"polski");
}

TEST_F(LanguageManagerTest, SelectingALanguageExpandsReferencesAndInsertsTheProductTitle) {
    m_config->m_productTitle = L"Tovanta Notes";
    m_manager.FillLanguageCombo(m_combo);
    ASSERT_TRUE(m_manager.SelectLanguage(L"English"));
    EXPECT_EQ(m_manager.GetText("BUTTON_NEXT"), L"Next");
    EXPECT_THAT(m_manager.GetText("SPLASH_TEXT"), HasSubstr(L"Next"));
    EXPECT_THAT(m_manager.GetText("SPLASH_TEXT"), ::testing::Not(HasSubstr(L"{BUTTON_NEXT}")));
    EXPECT_EQ(m_manager.GetText("MSG_EXIT"), L"Are you sure you want to exit the installer?");
    EXPECT_EQ(m_manager.GetText("PRODUCT_TITLE"), L"Tovanta Notes");
    EXPECT_EQ(m_manager.GetText("NO_SUCH_KEY"), L"");
    EXPECT_EQ(m_config->m_localeName, L"en_US");

    ASSERT_TRUE(m_manager.SelectLanguage(L"Deutsch"));
    EXPECT_NE(m_manager.GetText("BUTTON_NEXT"), L"Next");
    EXPECT_FALSE(m_manager.SelectLanguage(L"Klingon"));
    EXPECT_EQ(m_config->m_languageName, L"Deutsch");
}

TEST_F(LanguageManagerTest, AProductTitleReferringToItselfStillLoads) {
    m_config->m_productTitle = L"{PRODUCT_TITLE}{PRODUCT_TITLE}";
    m_manager.FillLanguageCombo(m_combo);
    ASSERT_TRUE(m_manager.SelectLanguage(L"English"));
    EXPECT_EQ(m_manager.GetText("BUTTON_NEXT"), L"Next");
    EXPECT_LT(m_manager.GetText("PRODUCT_TITLE").size(), 100000u);
}

TEST_F(LanguageManagerTest, ReappliesTextsOnRegisteredPagesInOrder) {
    auto manager = std::make_shared<LanguageManager>(nullptr);
    std::vector<int> log;
    auto first = std::make_unique<CountingPage>(manager, log, 1);
    auto second = std::make_unique<CountingPage>(manager, log, 2);
    manager->FillLanguageCombo(m_combo);
    ASSERT_TRUE(manager->SelectLanguage(L"English"));
    EXPECT_THAT(log, ElementsAre(1, 2));
    first.reset();
    log.clear();
    ASSERT_TRUE(manager->SelectLanguage(L"español"));
    EXPECT_THAT(log, ElementsAre(2));
}

TEST_F(LanguageManagerTest, ReportsEachFaultyDocumentWithItsExactMessage) {
    m_manager.FillLanguageCombo(m_combo, {999, 900, 901, 902, 903});
    ASSERT_EQ(m_messages.size(), 3u);
    EXPECT_EQ(m_messages[0], L"Failed to find resource with id: 999");
    EXPECT_THAT(m_messages[1], StartsWith(L"Failed to parse language xml file, error code: "));
    EXPECT_THAT(m_messages[1], HasSubstr(L"XML_ERROR"));
    EXPECT_EQ(m_messages[2], L"Failed to parse language xml file, error code: No name attribute");
    // Only the document with a name but an empty element is listed; a document without a
    // Locale root is skipped silently.
    EXPECT_EQ(Entries(), std::vector<std::wstring>{L"zz_ZZ"});

    m_messages.clear();
    EXPECT_TRUE(m_manager.SelectLanguage(L"zz_ZZ"));
    EXPECT_THAT(
        m_messages,
        ElementsAre(L"Failed to parse language xml file, error code: No name or text attribute"));
    EXPECT_EQ(m_manager.GetText("BUTTON_NEXT"), L"Next");
    EXPECT_EQ(m_manager.GetText("BUTTON_BACK"), L"");
}

// 904 holds valid XML, but not as the zlib stream every LOCALE resource is stored as.
TEST_F(LanguageManagerTest, ReportsADocumentThatDoesNotInflateAsNotLoaded) {
    m_manager.FillLanguageCombo(m_combo, {904, 105});
    EXPECT_THAT(m_messages, ElementsAre(L"Failed to load resource with id: 904"));
    EXPECT_EQ(Entries(), std::vector<std::wstring>{L"English"});
}

TEST_F(LanguageManagerTest, ListsPerWizardType) {
    m_config->m_wizardType = WizardType::ISV;
    EXPECT_THAT(LanguageManager::GetLocaleResourceIds(), ElementsAre(101, 102));
    m_manager.FillLanguageCombo(m_combo);
    EXPECT_EQ(Entries(), (std::vector<std::wstring>{L"English", L"español"}));

    m_config->m_wizardType = static_cast<WizardType>(3);
    EXPECT_TRUE(LanguageManager::GetLocaleResourceIds().empty());
    EXPECT_TRUE(m_messages.empty());

    m_config->m_wizardType = WizardType::Unknown;
    EXPECT_TRUE(LanguageManager::GetLocaleResourceIds().empty());
    EXPECT_THAT(m_messages, ElementsAre(L"Unknown wizard type (language manager"));
}

TEST(LocaleDisplayName, FallsBackToTheLanguageAndThenToTheName) {
    EXPECT_EQ(LocaleDisplayName(L"de-DE"), L"Deutsch");
    EXPECT_EQ(LocaleDisplayName(L"en_US"), L"English");
    EXPECT_EQ(LocaleDisplayName(L"zz_ZZ"), L"zz_ZZ");
}
