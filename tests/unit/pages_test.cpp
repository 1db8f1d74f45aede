// The pages as real windows inside a frame made from the host's template, checked for what a
// user sees and for what they start.
#include "config/classic_options.h"
#include "config/configuration_manager.h"
#include "i18n/language_manager.h"
#include "pages/configurations_page_bt_classic.h"
#include "pages/error_page.h"
#include "pages/finish_page_dlm.h"
#include "pages/finish_page_isv.h"
#include "pages/language_page.h"
#include "pages/license_page_isv.h"
#include "pages/loading_page.h"
#include "pages/options_page_bt_classic.h"
#include "pages/warning_page_bt_classic.h"
#include "pages/welcome_page_isv.h"
#include "res/resource.h"
#include "ui/dialog.h"
#include "wizard_test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <shlobj.h>

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using wizard_test::StartRecorder;
using wizard_test::Utf8;

namespace {

const ::testing::Environment* const kWindows =
    ::testing::AddGlobalTestEnvironment(new wizard_test::WindowsEnvironment);

// Where the tests put the programs the pages start.
std::wstring ProgramFolderWithSpaces() {
    return wizard_test::TempFolder() + L"Kelvara page test " +
           std::to_wstring(GetCurrentProcessId());
}

// A stand-in for the host: its window template, icon and footer band, with pages placed in
// the page area.
class HostFrame : public ui::Dialog {
public:
    HostFrame() : ui::Dialog(IDD_KELVARA_DIALOG) {}

protected:
    BOOL OnInitDialog() override {
        HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
        SendMessageW(GetSafeHwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
        return TRUE;
    }
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT type) override {
        if (GetDlgCtrlID(control) != IDC_FOOTER_BAND)
            return ui::Dialog::OnCtlColor(dc, control, type);
        SetBkMode(dc, TRANSPARENT);
        return m_footerBrush.get();
    }
    void OnOK() override {}
    void OnCancel() override {}

private:
    win32::unique_hbrush m_footerBrush{
        CreateSolidBrush(ConfigurationManager::GetInstance()->m_brandColour)};
};

// The configuration fields the pages read, restored after each test.
struct SavedConfiguration {
    explicit SavedConfiguration(const ConfigurationManager& c)
        : wizardType(c.m_wizardType),
          btMode(c.m_btMode),
          options(c.m_options),
          configurations(c.m_configurations),
          productTitle(c.m_productTitle),
          privacyUrl(c.m_privacyUrl),
          termsUrl(c.m_termsUrl),
          defaultPrivacyUrl(c.m_defaultPrivacyUrl),
          downloadedFilePath(c.m_downloadedFilePath),
          launchPath(c.m_launchPath),
          launchArguments(c.m_launchArguments),
          productImage(c.m_productImage) {}
    void RestoreTo(ConfigurationManager& c) const {
        c.m_wizardType = wizardType;
        c.m_btMode = btMode;
        c.m_options = options;
        c.m_configurations = configurations;
        c.m_productTitle = productTitle;
        c.m_privacyUrl = privacyUrl;
        c.m_termsUrl = termsUrl;
        c.m_defaultPrivacyUrl = defaultPrivacyUrl;
        c.m_downloadedFilePath = downloadedFilePath;
        c.m_launchPath = launchPath;
        c.m_launchArguments = launchArguments;
        c.m_productImage = productImage;
    }
    WizardType wizardType;
    bool btMode;
    std::array<bool, 3> options;
    std::array<bool, 5> configurations;
    std::wstring productTitle, privacyUrl, termsUrl, defaultPrivacyUrl, downloadedFilePath,
        launchPath, launchArguments;
    std::shared_ptr<Gdiplus::Image> productImage;
};

class PageTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_config->m_wizardType = WizardType::DLM;
        m_config->m_btMode = false;
        m_config->m_productTitle = L"Vexa Paint";
        m_config->m_privacyUrl = L"https://localhost/vexa/privacy";
        m_config->m_termsUrl = L"https://localhost/vexa/terms";
        m_config->m_productImage = LoadImageFromResource(
            GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_IMAGE_DOWNLOAD), L"IMAGE_BLOB");
        m_frame.SetBackgroundColor(m_config->m_backgroundColour);
        ASSERT_TRUE(m_frame.Create(nullptr));
        SetWindowTextW(Frame(), L"Vexa Paint Setup");
        ui::SetWindowTextString(m_frame.Item(IDC_PRODUCT_TITLE), L"Vexa Paint");
        m_logo.Attach(m_frame.Item(IDC_PRODUCT_ICON));
        m_logo.SetImage(m_config->m_productImage);
        LoadLanguage(L"English");
    }

    void TearDown() override {
        m_pages.clear();
        DestroyWindow(Frame());
        m_saved.RestoreTo(*m_config);
        std::error_code ignored;
        std::filesystem::remove_all(ProgramFolderWithSpaces(), ignored);
    }

    HWND Frame() const { return m_frame.GetSafeHwnd(); }

    // Lists the build's languages (as the language page does) and loads one of them.
    void LoadLanguage(const std::wstring& name) {
        HWND combo = CreateWindowW(L"COMBOBOX", L"", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 100, 100,
                                   Frame(), nullptr, nullptr, nullptr);
        m_languages->FillLanguageCombo(combo);
        ASSERT_TRUE(m_languages->SelectLanguage(name));
        DestroyWindow(combo);
    }

    // Creates the page in the frame's page area, as the host does, and shows it. Its error
    // reports are recorded from before its window exists.
    template <typename P, typename... Args>
    P& Show(Args&&... args) {
        auto page = std::make_unique<P>(m_languages, std::forward<Args>(args)...);
        P& result = *page;
        page->SetErrorCallback([this](const std::wstring& title, const std::wstring& text) {
            m_errors.push_back(title + L": " + text);
        });
        EXPECT_TRUE(page->Create(Frame()));
        page->SetBackgroundColor(m_config->m_backgroundColour);
        page->SetButtonCallback([this](ButtonType button) { m_buttons.push_back(button); });
        RECT area;
        GetWindowRect(m_frame.Item(IDC_PAGE_AREA), &area);
        MapWindowPoints(nullptr, Frame(), reinterpret_cast<POINT*>(&area), 2);
        SetWindowPos(page->GetSafeHwnd(), nullptr, area.left, area.top, area.right - area.left,
                     area.bottom - area.top, SWP_NOZORDER | SWP_NOACTIVATE);
        for (auto& other : m_pages) ShowWindow(other->GetSafeHwnd(), SW_HIDE);
        ShowWindow(page->GetSafeHwnd(), SW_SHOW);
        m_pages.push_back(std::move(page));
        return result;
    }

    static std::wstring Text(const IPage& page, int id) {
        return ui::GetWindowTextString(page.Item(id));
    }
    static bool Visible(const IPage& page, int id) {
        return IsWindowVisible(page.Item(id)) != FALSE;
    }
    static bool Checked(const IPage& page, int id) {
        return SendMessageW(page.Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    static void Click(const IPage& page, int id) {
        SendMessageW(page.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(page.Item(id)));
    }
    // Selects one radio button of a group and clears the others, as a click does.
    static void Choose(const IPage& page, int id, std::initializer_list<int> group) {
        for (int member : group) {
            SendMessageW(page.Item(member), BM_SETCHECK, member == id ? BST_CHECKED : BST_UNCHECKED,
                         0);
        }
    }

    std::shared_ptr<ConfigurationManager> m_config = ConfigurationManager::GetInstance();
    SavedConfiguration m_saved{*m_config};
    std::shared_ptr<LanguageManager> m_languages = std::make_shared<LanguageManager>(nullptr);
    HostFrame m_frame;
    CStaticFromImage m_logo;
    std::vector<std::unique_ptr<IPage>> m_pages;
    std::vector<ButtonType> m_buttons;
    std::vector<std::wstring> m_errors;
};

// ---- Welcome page ------------------------------------------------------------------

TEST_F(PageTest, WelcomePageShowsTheProductTitleAndAllThreeLinks) {
    auto& page = Show<WelcomePageIsv>();
    EXPECT_EQ(Text(page, IDC_PRODUCT_TITLE), L"Vexa Paint");
    EXPECT_EQ(Text(page, IDC_WELCOME_TITLE), L"Welcome to");
    EXPECT_EQ(Text(page, IDC_WELCOME_TEXT),
              L"This wizard will download Vexa Paint to your computer.");
    EXPECT_EQ(Text(page, IDC_NEXT), L"Next");
    EXPECT_EQ(Text(page, IDC_PRIVACY_LINK), L"Privacy Policy");
    EXPECT_EQ(Text(page, IDC_TERMS_LINK), L"Terms of Service");
    EXPECT_EQ(Text(page, IDC_MAKER_LINK), L"Installer Privacy Policy");
    EXPECT_TRUE(Visible(page, IDC_PRIVACY_LINK));
    EXPECT_TRUE(Visible(page, IDC_TERMS_LINK));
    EXPECT_TRUE(Visible(page, IDC_MAKER_LINK));
    wizard_test::SaveScreenshot(Frame(), "welcome_page");

    Click(page, IDC_NEXT);
    EXPECT_THAT(m_buttons, ElementsAre(ButtonType::Next));
}

TEST_F(PageTest, WelcomePageWithoutTermsHidesThatLinkAndKeepsTheMakersLink) {
    m_config->m_termsUrl.clear();
    auto& page = Show<WelcomePageIsv>();
    EXPECT_TRUE(Visible(page, IDC_PRIVACY_LINK));
    EXPECT_FALSE(Visible(page, IDC_TERMS_LINK));
    EXPECT_TRUE(Visible(page, IDC_MAKER_LINK));
}

TEST_F(PageTest, WelcomePageOfTheInstallFlowNamesTheLicenseAgreement) {
    m_config->m_wizardType = WizardType::ISV;
    LoadLanguage(L"English");
    auto& page = Show<WelcomePageIsv>();
    EXPECT_EQ(Text(page, IDC_TERMS_LINK), L"License Agreement");
    EXPECT_EQ(Text(page, IDC_WELCOME_TEXT),
              L"This wizard will install Vexa Paint on your computer.");
}

TEST_F(PageTest, WelcomeLinksFitTheirTextAndOpenTheirOwnTargets) {
    // Each link's target is a program that records its start, so a click shows what opens.
    const std::wstring folder = ProgramFolderWithSpaces();
    m_config->m_privacyUrl = folder + L"\\privacy.exe";
    m_config->m_termsUrl = folder + L"\\terms.exe";
    m_config->m_defaultPrivacyUrl = folder + L"\\maker.exe";
    for (const auto& target :
         {m_config->m_privacyUrl, m_config->m_termsUrl, m_config->m_defaultPrivacyUrl}) {
        StartRecorder::Place(target);
    }
    StartRecorder recorder;
    auto& page = Show<WelcomePageIsv>();

    RECT link;
    GetClientRect(page.Item(IDC_MAKER_LINK), &link);
    HDC dc = GetDC(page.Item(IDC_MAKER_LINK));
    SelectObject(
        dc, reinterpret_cast<HFONT>(SendMessageW(page.Item(IDC_MAKER_LINK), WM_GETFONT, 0, 0)));
    SIZE text{};
    GetTextExtentPoint32W(dc, L"Installer Privacy Policy", 24, &text);
    ReleaseDC(page.Item(IDC_MAKER_LINK), dc);
    EXPECT_GE(link.right, text.cx) << "the whole caption is shown";
    EXPECT_LE(link.right, text.cx + 8) << "and the link ends where its text does";

    SendMessageW(page.Item(IDC_TERMS_LINK), WM_LBUTTONUP, 0, 0);
    ASSERT_EQ(recorder.Starts(1).size(), 1u);
    SendMessageW(page.Item(IDC_MAKER_LINK), WM_KEYUP, VK_SPACE, 0);
    const auto starts = recorder.Starts(2);
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[0]["exe"], Utf8(m_config->m_termsUrl));
    EXPECT_EQ(starts[1]["exe"], Utf8(m_config->m_defaultPrivacyUrl));
    EXPECT_THAT(m_buttons, IsEmpty());
}

// ---- Language and loading pages ------------------------------------------------------

TEST_F(PageTest, ChoosingALanguageRetextsEveryPageIncludingHiddenOnes) {
    auto& finish = Show<FinishPageDlm>();
    auto& language = Show<LanguagePage>();
    EXPECT_FALSE(IsWindowVisible(finish.GetSafeHwnd()));
    HWND combo = language.Item(IDC_LANGUAGES);
    const LRESULT german = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(L"Deutsch"));
    ASSERT_NE(german, CB_ERR);
    SendMessageW(combo, CB_SETCURSEL, german, 0);
    SendMessageW(language.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(IDC_LANGUAGES, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    EXPECT_EQ(Text(language, IDC_NEXT), L"Weiter");
    EXPECT_EQ(Text(finish, IDC_FINISH), L"Fertig stellen");
    EXPECT_EQ(Text(finish, IDC_LAUNCH_RADIO), L"Starten");
    EXPECT_EQ(m_config->m_languageName, L"Deutsch");
}

TEST_F(PageTest, EnterAndEscapeOnAPageChangeNothing) {
    auto& language = Show<LanguagePage>();
    SendMessageW(language.GetSafeHwnd(), WM_COMMAND, IDOK, 0);
    SendMessageW(language.GetSafeHwnd(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(IsWindow(language.GetSafeHwnd()));
    EXPECT_TRUE(IsWindowVisible(language.GetSafeHwnd()));
    EXPECT_THAT(m_buttons, IsEmpty());
    Click(language, IDC_NEXT);
    EXPECT_THAT(m_buttons, ElementsAre(ButtonType::Next));
}

TEST_F(PageTest, LoadingPageRunsItsMarqueeOnceShown) {
    auto& page = Show<LoadingPage>();
    HWND bar = page.Item(IDC_PROGRESS);
    EXPECT_FALSE(GetWindowLongW(bar, GWL_STYLE) & PBS_MARQUEE);
    EXPECT_FALSE(IsWindowVisible(page.Item(IDC_LOADING_TEXT)));
    page.OnNavigateToPage();
    EXPECT_TRUE(GetWindowLongW(bar, GWL_STYLE) & PBS_MARQUEE);
    EXPECT_TRUE(IsWindowVisible(bar));
}

// ---- Finish pages --------------------------------------------------------------------

TEST_F(PageTest, DownloadFinishPageOffersLaunchFirstAndStartsTheDownloadedFile) {
    const std::wstring product = ProgramFolderWithSpaces() + L"\\Vexa Paint Setup.exe";
    StartRecorder::Place(product);
    m_config->m_downloadedFilePath = product;
    StartRecorder recorder;
    auto& page = Show<FinishPageDlm>();
    EXPECT_EQ(Text(page, IDC_FINISH_TITLE),
              L"Thank you.\r\nYou have successfully downloaded Vexa Paint.");
    EXPECT_EQ(Text(page, IDC_LAUNCH_RADIO), L"Launch");
    EXPECT_EQ(Text(page, IDC_OPEN_FOLDER_RADIO), L"Open Folder");
    EXPECT_EQ(Text(page, IDC_FINISH), L"Finish");
    EXPECT_TRUE(Checked(page, IDC_LAUNCH_RADIO));
    EXPECT_FALSE(Checked(page, IDC_OPEN_FOLDER_RADIO));
    wizard_test::SaveScreenshot(Frame(), "finish_page");

    Click(page, IDC_FINISH);
    EXPECT_THAT(m_buttons, ElementsAre(ButtonType::Finish));
    const auto starts = recorder.Starts();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0]["exe"], Utf8(product));
}

// Runs in a program of its own (see the suite): when Explorer's window closes, Wine may take
// the X windows of other programs' visible windows with it. This test maps none.
TEST(ExplorerStart, DownloadFinishPageOpensTheFolderWithTheFileSelected) {
    auto config = ConfigurationManager::GetInstance();
    SavedConfiguration saved(*config);
    const std::wstring folder = ProgramFolderWithSpaces();
    StartRecorder::Place(folder + L"\\Vexa Paint Setup.exe");
    config->m_downloadedFilePath = folder + L"\\Vexa Paint Setup.exe";
    const auto before = wizard_test::ExplorerProcesses();
    win32::scope_exit restore([&] {
        wizard_test::EndExplorersStartedSince(before);
        saved.RestoreTo(*config);
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    });

    HWND parent =
        CreateWindowW(L"STATIC", L"", WS_POPUP, 0, 0, 700, 500, nullptr, nullptr, nullptr, nullptr);
    std::vector<ButtonType> buttons;
    {
        FinishPageDlm page(std::make_shared<LanguageManager>(nullptr));
        ASSERT_TRUE(page.Create(parent));
        page.SetButtonCallback([&](ButtonType button) { buttons.push_back(button); });
        SendMessageW(page.Item(IDC_LAUNCH_RADIO), BM_SETCHECK, BST_UNCHECKED, 0);
        SendMessageW(page.Item(IDC_OPEN_FOLDER_RADIO), BM_SETCHECK, BST_CHECKED, 0);
        SendMessageW(page.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(IDC_FINISH, BN_CLICKED), 0);
    }
    DestroyWindow(parent);
    EXPECT_THAT(buttons, ElementsAre(ButtonType::Finish));

    // Explorer itself opens the folder (Wine's shows no selection): its window is named
    // after the folder, which only a path kept whole despite its spaces can give.
    const std::wstring folderName = folder.substr(folder.find_last_of(L'\\') + 1);
    HWND explorer = wizard_test::WaitForWindow(folderName, L"ExplorerWClass", 10000);
    EXPECT_TRUE(explorer);
    if (explorer) PostMessageW(explorer, WM_CLOSE, 0, 0);
}

TEST(ExplorerArguments, SelectTheFileWithItsPathInQuotes) {
    EXPECT_EQ(ExplorerSelectArguments(L"C:\\Users\\Ann Lee\\Downloads\\Vexa Paint.exe"),
              L"/select,\"C:\\Users\\Ann Lee\\Downloads\\Vexa Paint.exe\"");
}

TEST_F(PageTest, DownloadFinishPageWithNeitherChoiceStartsNothing) {
    m_config->m_downloadedFilePath = ProgramFolderWithSpaces() + L"\\Vexa Paint Setup.exe";
    StartRecorder recorder;
    auto& page = Show<FinishPageDlm>();
    Choose(page, 0, {IDC_LAUNCH_RADIO, IDC_OPEN_FOLDER_RADIO});
    Click(page, IDC_FINISH);
    EXPECT_THAT(m_buttons, ElementsAre(ButtonType::Finish));
    EXPECT_THAT(recorder.Starts(1, 1500), IsEmpty());
}

TEST_F(PageTest, FinishPagesTakeAwayTheHostsMinimiseBox) {
    ASSERT_TRUE(GetWindowLongW(Frame(), GWL_STYLE) & WS_MINIMIZEBOX);
    Show<FinishPageDlm>().OnNavigateToPage();
    EXPECT_FALSE(GetWindowLongW(Frame(), GWL_STYLE) & WS_MINIMIZEBOX);

    SetWindowLongW(Frame(), GWL_STYLE, GetWindowLongW(Frame(), GWL_STYLE) | WS_MINIMIZEBOX);
    Show<FinishPageIsv>().OnNavigateToPage();
    EXPECT_FALSE(GetWindowLongW(Frame(), GWL_STYLE) & WS_MINIMIZEBOX);
}

TEST_F(PageTest, InstallFinishPageStartsTheExpandedLaunchPathWithItsArguments) {
    wchar_t localAppData[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(
        SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, localAppData)));
    const std::wstring folder = L"\\Kelvara page test " + std::to_wstring(GetCurrentProcessId());
    StartRecorder::Place(localAppData + folder + L"\\Vexa Paint.exe");
    win32::scope_exit removeFolder([&] {
        std::error_code ignored;
        std::filesystem::remove_all(localAppData + folder, ignored);
    });
    m_config->m_wizardType = WizardType::ISV;
    m_config->m_launchPath = L"{localappdata}" + folder + L"\\Vexa Paint.exe";
    m_config->m_launchArguments = L"--first-run /exit=0";
    LoadLanguage(L"English");
    StartRecorder recorder;
    auto& page = Show<FinishPageIsv>();
    EXPECT_EQ(Text(page, IDC_FINISH_TITLE), L"Thank you.\r\nYour installation is complete.");
    EXPECT_EQ(Text(page, IDC_LAUNCH_CHECK), L"Launch the application on exit");
    EXPECT_TRUE(Checked(page, IDC_LAUNCH_CHECK));

    Click(page, IDC_FINISH);
    EXPECT_THAT(m_buttons, ElementsAre(ButtonType::Finish));
    const auto starts = recorder.Starts();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0]["exe"], Utf8(localAppData + folder + L"\\Vexa Paint.exe"));
    const std::string commandLine = starts[0]["cmdline"];
    EXPECT_THAT(commandLine, ::testing::EndsWith(" --first-run /exit=0"));
}

TEST_F(PageTest, InstallFinishPageWithTheBoxClearedStartsNothing) {
    m_config->m_wizardType = WizardType::ISV;
    m_config->m_launchPath = ProgramFolderWithSpaces() + L"\\Vexa Paint Setup.exe";
    StartRecorder::Place(m_config->m_launchPath);
    StartRecorder recorder;
    auto& page = Show<FinishPageIsv>();
    SendMessageW(page.Item(IDC_LAUNCH_CHECK), BM_SETCHECK, BST_UNCHECKED, 0);
    Click(page, IDC_FINISH);
    EXPECT_THAT(m_buttons, ElementsAre(ButtonType::Finish));
    EXPECT_THAT(recorder.Starts(1, 1500), IsEmpty());
}

// ---- Error page ----------------------------------------------------------------------

// The error page is where errors end up: made, retexted, given texts and closed, it reports
// none itself.
TEST_F(PageTest, ErrorPageShowsTheHostsTextsAndItsCloseEndsTheWizard) {
    auto& page = Show<ErrorPage>();
    page.SetErrorTexts(L"Something went wrong", L"Please try to download later");
    EXPECT_EQ(Text(page, IDC_ERROR_TITLE), L"Something went wrong");
    EXPECT_EQ(Text(page, IDC_ERROR_TEXT), L"Please try to download later");
    EXPECT_EQ(Text(page, IDC_CLOSE), L"Close");
    wizard_test::SaveScreenshot(Frame(), "error_page");

    LoadLanguage(L"Deutsch");
    EXPECT_EQ(Text(page, IDC_CLOSE), L"Schließen");
    page.SetErrorTexts(L"", L"");
    EXPECT_EQ(Text(page, IDC_ERROR_TITLE), L"");
    Click(page, IDC_CLOSE);
    EXPECT_THAT(m_buttons, ElementsAre(ButtonType::Close));
    EXPECT_THAT(m_errors, IsEmpty());
}

// ---- Classic option pages -----------------------------------------------------------

// The height and weight of the font a control draws with.
std::pair<LONG, LONG> FontOf(HWND control) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font,
               &font);
    return {font.lfHeight, font.lfWeight};
}

class ClassicPageTest : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        m_config->m_btMode = true;
        m_config->m_options = {};
        m_config->m_configurations = {};
        LoadLanguage(L"English");
    }
    static std::vector<bool> Checks(const IPage& page, std::initializer_list<int> ids) {
        std::vector<bool> checked;
        for (int id : ids) checked.push_back(Checked(page, id));
        return checked;
    }
    static void Toggle(const IPage& page, int id) {
        SendMessageW(page.Item(id), BM_SETCHECK, Checked(page, id) ? BST_UNCHECKED : BST_CHECKED,
                     0);
    }
};

TEST_F(ClassicPageTest, WarningPageShowsItsNoticeUnderAnEnlargedTitle) {
    auto& page = Show<WarningPageBTClassic>();
    EXPECT_EQ(page.GetPageName(), L"WarningPageBTClassic");
    EXPECT_EQ(Text(page, IDC_WARNING_TITLE), L"Before You Continue");
    EXPECT_EQ(Text(page, IDC_WARNING_SUBTITLE), L"Please read the following information.");
    EXPECT_THAT(Utf8(Text(page, IDC_WARNING_TEXT)),
                ::testing::EndsWith("Click Next to continue or Back to return."));
    EXPECT_EQ(FontOf(page.Item(IDC_WARNING_TITLE)), std::make_pair(12L, 1000L));
    EXPECT_NE(FontOf(page.Item(IDC_WARNING_SUBTITLE)).second, 1000L);

    Click(page, IDC_NEXT);
    Click(page, IDC_BACK);
    EXPECT_THAT(m_buttons, ElementsAre(ButtonType::Next, ButtonType::Back));
}

TEST_F(ClassicPageTest, OptionsStartCheckedAndReachTheConfigurationOnlyOnNext) {
    auto& page = Show<OptionsPageBTClassic>();
    EXPECT_EQ(Text(page, IDC_OPTIONS_TITLE), L"Installation Options");
    EXPECT_EQ(Text(page, IDC_OPTION_1), L"Create a desktop shortcut");
    EXPECT_EQ(Text(page, IDC_OPTION_3), L"Start automatically with Windows");
    EXPECT_EQ(FontOf(page.Item(IDC_OPTIONS_TITLE)), std::make_pair(12L, 1000L));
    EXPECT_EQ(Checks(page, {IDC_OPTION_1, IDC_OPTION_2, IDC_OPTION_3}),
              std::vector<bool>({true, true, true}));

    Toggle(page, IDC_OPTION_2);
    EXPECT_THAT(m_config->m_options, ElementsAre(false, false, false)) << "nothing before Next";
    Click(page, IDC_NEXT);
    EXPECT_THAT(m_config->m_options, ElementsAre(true, false, true));
    EXPECT_THAT(m_buttons, ElementsAre(ButtonType::Next));
}

TEST_F(ClassicPageTest, ConfigurationsBackKeepsThePagesStateAndStoresNothing) {
    auto& page = Show<ConfigurationsPageBTClassic>();
    EXPECT_EQ(Text(page, IDC_CONFIGURATIONS_TITLE), L"Settings");
    EXPECT_EQ(Text(page, IDC_CONFIGURATION_1_LABEL),
              L"Install updates automatically when they become available (recommended)");
    EXPECT_EQ(Text(page, IDC_CONFIGURATION_1), L"");
    EXPECT_EQ(Text(page, IDC_CONFIGURATION_5), L"Join the product improvement program");
    EXPECT_EQ(FontOf(page.Item(IDC_CONFIGURATIONS_TITLE)), std::make_pair(12L, 1000L));
    const auto boxes = {IDC_CONFIGURATION_1, IDC_CONFIGURATION_2, IDC_CONFIGURATION_3,
                        IDC_CONFIGURATION_4, IDC_CONFIGURATION_5};
    EXPECT_EQ(Checks(page, boxes), std::vector<bool>(5, true));

    Toggle(page, IDC_CONFIGURATION_3);
    Click(page, IDC_BACK);
    EXPECT_THAT(m_config->m_configurations, ElementsAre(false, false, false, false, false));
    EXPECT_EQ(Checks(page, boxes), std::vector<bool>({true, true, false, true, true}));

    Click(page, IDC_NEXT);
    EXPECT_THAT(m_config->m_configurations, ElementsAre(true, true, false, true, true));
    // Stored again at each Next, from what the page shows then.
    Toggle(page, IDC_CONFIGURATION_3);
    Toggle(page, IDC_CONFIGURATION_1);
    Click(page, IDC_NEXT);
    EXPECT_THAT(m_config->m_configurations, ElementsAre(false, true, true, true, true));
    EXPECT_THAT(m_buttons, ElementsAre(ButtonType::Back, ButtonType::Next, ButtonType::Next));
}

TEST_F(ClassicPageTest, PassingBothPagesUntouchedGivesTheInstallerEveryOption) {
    Click(Show<OptionsPageBTClassic>(), IDC_NEXT);
    Click(Show<ConfigurationsPageBTClassic>(), IDC_NEXT);
    EXPECT_EQ(ClassicOptionString(m_config->m_options, m_config->m_configurations),
              L"1110010101111110");
}

TEST(ClassicOptions, EveryBoxHasItsPlacesAndTheFixedDigitsStay) {
    EXPECT_EQ(ClassicOptionString({true, true, true}, {true, true, true, true, true}),
              L"1110010101111110");
    EXPECT_EQ(ClassicOptionString({}, {}), L"0000000101000000");
    // One box at a time: configuration 3 fills two places.
    EXPECT_EQ(ClassicOptionString({}, {false, false, true, false, false}), L"1000000101010000");
    EXPECT_EQ(ClassicOptionString({}, {true, false, false, false, false}), L"0010000101000000");
    EXPECT_EQ(ClassicOptionString({}, {false, true, false, false, false}), L"0000010101000000");
    EXPECT_EQ(ClassicOptionString({}, {false, false, false, true, false}), L"0100000101000000");
    EXPECT_EQ(ClassicOptionString({}, {false, false, false, false, true}), L"0000000101100000");
    EXPECT_EQ(ClassicOptionString({true, false, false}, {}), L"0000000101000010");
    EXPECT_EQ(ClassicOptionString({false, true, false}, {}), L"0000000101001000");
    EXPECT_EQ(ClassicOptionString({false, false, true}, {}), L"0000000101000100");
    EXPECT_EQ(ClassicInstallerArguments({true, true, true}, {true, true, true, true, true}),
              L"/S /FORCEINSTALL 1110010101111110");
}

// ---- License page --------------------------------------------------------------------

TEST_F(PageTest, LicensePageFillsItsLinkLineWithTheProductsAddresses) {
    m_config->m_btMode = true;
    LoadLanguage(L"English");
    auto& page = Show<LicensePageIsv>();
    EXPECT_EQ(Text(page, IDC_LICENSE_TITLE), L"License Agreement");
    EXPECT_EQ(Text(page, IDC_AGREE), L"I Agree");
    EXPECT_EQ(Text(page, IDC_BACK), L"Back");
    EXPECT_THAT(Utf8(Text(page, IDC_LICENSE_EULA)),
                ::testing::HasSubstr("before installing Vexa Paint"));

    std::vector<std::wstring> targets;
    for (int index = 0; index < 2; ++index) {
        LITEM item{};
        item.mask = LIF_ITEMINDEX | LIF_URL;
        item.iLink = index;
        ASSERT_TRUE(SendMessageW(page.Item(IDC_LICENSE_LINKS), LM_GETITEM, 0,
                                 reinterpret_cast<LPARAM>(&item)));
        targets.push_back(item.szUrl);
    }
    EXPECT_THAT(targets,
                ElementsAre(L"https://localhost/vexa/terms", L"https://localhost/vexa/privacy"));
    wizard_test::SaveScreenshot(Frame(), "license_page");

    Click(page, IDC_AGREE);
    Click(page, IDC_BACK);
    EXPECT_THAT(m_buttons, ElementsAre(ButtonType::Next, ButtonType::Back));
}

TEST(Placeholders, EveryOccurrenceIsFilledOnceAndEmptyAddressesLeaveNothing) {
    EXPECT_EQ(
        FillLicenseLinks(L"[LICENSE_TOS_URL] [LICENSE_PRIVACY_URL] [LICENSE_TOS_URL]", L"t", L"p"),
        L"t p t");
    EXPECT_EQ(FillLicenseLinks(L"<a href=\"[LICENSE_TOS_URL]\">x</a>", L"", L"p"),
              L"<a href=\"\">x</a>");
}

}  // namespace
