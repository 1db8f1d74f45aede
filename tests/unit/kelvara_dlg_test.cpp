// The real host window run modally, driven from inside its own message loop, against the
// test back end: the page list once the configuration is loaded, Back and Next, Enter and Escape,
// the close box and the Finish button.
#include "app/kelvara_dlg.h"
#include "base/gate.h"
#include "config/configuration_manager.h"
#include "offers/package.h"
#include "res/resource.h"
#include "ui/message_box.h"
#include "test_backend.h"
#include "wizard_test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

const ::testing::Environment* const kWindows =
    ::testing::AddGlobalTestEnvironment(new wizard_test::WindowsEnvironment);

constexpr INT_PTR kEndedByWatchdog = 99;

// The script runs once the host's message loop is up; a watchdog ends a wizard that the
// script left open.
struct Run {
    std::function<void(HWND)> script;
    HWND host = nullptr;
    UINT_PTR watchdog = 0;
};
Run* g_run = nullptr;

BOOL CALLBACK FindHost(HWND window, LPARAM) {
    if (GetDlgItem(window, IDC_PAGE_AREA)) g_run->host = window;
    return g_run->host == nullptr;
}

void CALLBACK Watchdog(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    g_run->watchdog = 0;
    ADD_FAILURE() << "the wizard was still open";
    if (g_run->host) EndDialog(g_run->host, kEndedByWatchdog);
}

void CALLBACK StartScript(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    EnumThreadWindows(GetCurrentThreadId(), &FindHost, 0);
    ASSERT_TRUE(g_run->host);
    g_run->watchdog = SetTimer(nullptr, 0, 20000, &Watchdog);
    g_run->script(g_run->host);
}

INT_PTR RunWizard(std::function<void(HWND)> script) {
    Run run{std::move(script)};
    g_run = &run;
    SetTimer(nullptr, 0, 50, &StartScript);
    CKelvaraDlg dialog;
    dialog.SetBackgroundColor(ConfigurationManager::GetInstance()->m_backgroundColour);
    const INT_PTR result = dialog.DoModal();
    if (run.watchdog) KillTimer(nullptr, run.watchdog);
    g_run = nullptr;
    return result;
}

// The page the host shows: its one visible child dialog.
HWND ShownPage(HWND host) {
    HWND shown = nullptr;
    for (HWND child = GetWindow(host, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[16] = {};
        GetClassNameW(child, name, 16);
        if (IsWindowVisible(child) && std::wstring(name) == L"#32770") {
            EXPECT_EQ(shown, nullptr) << "one page at a time";
            shown = child;
        }
    }
    return shown;
}

bool Shows(HWND host, int controlId) {
    HWND page = ShownPage(host);
    return page && IsWindowVisible(GetDlgItem(page, controlId));
}

void Click(HWND host, int controlId) {
    HWND page = ShownPage(host);
    ASSERT_TRUE(page);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(controlId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(page, controlId)));
}

// A key as the keyboard delivers it: to the control with the focus, through the step of the
// host's modal loop (IsDialogMessage, which makes Enter and Escape the dialog's commands).
void PressKey(HWND host, UINT key) {
    HWND focus = GetFocus();
    ASSERT_TRUE(focus && IsChild(ShownPage(host), focus))
        << "the shown page holds the keyboard focus";
    PostMessageW(focus, WM_KEYDOWN, key, 1);
    PostMessageW(focus, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001));
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (IsDialogMessageW(host, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Handles the host's messages for up to 10 s, until done() holds.
template <typename Done>
void PumpUntil(Done done) {
    for (int i = 0; i < 400 && !done(); ++i) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(25);
    }
}

// The loading page fetches its configuration from the test back end: waits until the host
// has moved past the loading page.
void CompleteLoading(HWND host) {
    PumpUntil([host] { return !Shows(host, IDC_PROGRESS); });
    EXPECT_FALSE(Shows(host, IDC_PROGRESS)) << "the configuration was loaded";
}

// The download page fetches the main product from the test back end: waits until the
// finish page shows.
void CompleteDownloads(HWND host) {
    PumpUntil([host] { return Shows(host, IDC_FINISH); });
    EXPECT_TRUE(Shows(host, IDC_FINISH)) << "the main product was downloaded";
}

// The system menu's Close items; each finish page or error page shown adds one.
int CloseItems(HWND host) {
    HMENU menu = GetSystemMenu(host, FALSE);
    int count = 0;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) count += GetMenuItemID(menu, i) == SC_CLOSE;
    return count;
}

class HostTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A configuration without offers, and its main product.
        m_backend.SetRoutes(
            {{"/o",
              {{"json",
                {{"i",
                  {{"ct", "Vexa Paint"},
                   {"cu", "https://localhost/f/v.exe"},
                   {"cf", "kelvara host test.exe"}}}}}}},
             {"/f/v.exe", {{"text", "MZ"}}},
             // Slow deliveries: the events of the download page outlast the finish page.
             {"/zbd", {{"status", 200}, {"delay", 1}}}});
        m_directory = wizard_test::TempFolder() + L"kelvara host test " +
                      std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(m_directory.c_str(), nullptr);
        m_config->m_workingDirectory = m_directory;
        SetMessageBoxHook([this](const std::wstring& text, const std::wstring&, UINT flags) {
            m_questions.push_back(text);
            EXPECT_EQ(flags, static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION));
            return m_answers.empty() ? IDOK : m_answers[m_questions.size() - 1];
        });
    }
    void TearDown() override {
        SetMessageBoxHook({});
        RemoveDirectoryW(m_directory.c_str());
        DeleteFileW((m_config->m_downloadFolder + L"\\kelvara host test.exe").c_str());
        m_config->m_downloadedFilePath.clear();
        m_config->m_workingDirectory = m_saved.workingDirectory;
        m_config->m_productTitle = m_saved.productTitle;
        m_config->m_btMode = m_saved.btMode;
        m_config->m_closing = false;
        GdiplusGate().Open();
    }

    bool WorkingDirectoryExists() const {
        return GetFileAttributesW(m_directory.c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    TestBackend m_backend;
    std::shared_ptr<ConfigurationManager> m_config = ConfigurationManager::GetInstance();
    struct {
        std::wstring workingDirectory, productTitle;
        bool btMode;
    } m_saved{m_config->m_workingDirectory, m_config->m_productTitle, m_config->m_btMode};
    std::wstring m_directory;
    std::vector<std::wstring> m_questions;
    std::vector<int> m_answers;
};

// Closing cancels downloads for the rest of the process: the tests that download come first.
TEST_F(HostTest, FinishDeletesTheWorkingDirectoryWithItsFilesAndEndsWithOne) {
    const std::wstring file = m_directory + L"\\offer.exe";
    CloseHandle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    const INT_PTR result = RunWizard([this](HWND host) {
        Click(host, IDC_NEXT);
        CompleteLoading(host);
        Click(host, IDC_NEXT);
        CompleteDownloads(host);
        m_config->m_downloadedFilePath.clear();  // nothing to launch: Finish starts nothing
        Click(host, IDC_FINISH);
    });
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(WorkingDirectoryExists());
    EXPECT_TRUE(m_config->m_mainPackage->EventsClosed())
        << "Finish waits for the main product's event 3";
}

TEST_F(HostTest, BackFromTheLicensePageReturnsToTheLanguagePageAndNextSkipsLoading) {
    m_config->m_btMode = true;
    const INT_PTR result = RunWizard([this](HWND host) {
        EXPECT_TRUE(Shows(host, IDC_SPLASH_TEXT_BT));
        EXPECT_FALSE(Shows(host, IDC_LANGUAGES)) << "the BT language page keeps the list hidden";
        Click(host, IDC_NEXT);
        CompleteLoading(host);
        EXPECT_TRUE(Shows(host, IDC_LICENSE_EULA));

        Click(host, IDC_BACK);
        EXPECT_TRUE(Shows(host, IDC_SPLASH_TEXT_BT));
        // Nothing lies before the first page, and the keys neither leave nor end it.
        EXPECT_FALSE(GetDlgItem(ShownPage(host), IDC_BACK));
        PressKey(host, VK_ESCAPE);
        PressKey(host, VK_RETURN);
        EXPECT_TRUE(Shows(host, IDC_SPLASH_TEXT_BT));
        Click(host, IDC_NEXT);
        EXPECT_TRUE(Shows(host, IDC_LICENSE_EULA));
        Click(host, IDC_AGREE);
        CompleteDownloads(host);
        m_config->m_downloadedFilePath.clear();
        Click(host, IDC_FINISH);
    });
    EXPECT_EQ(result, 1);
    EXPECT_THAT(m_questions, IsEmpty());
}

TEST_F(HostTest, LoadedConfigurationShowsTheProductAndLeadsToTheFinishPage) {
    const INT_PTR result = RunWizard([this](HWND host) {
        EXPECT_TRUE(Shows(host, IDC_SPLASH_TEXT));
        const int closeItems = CloseItems(host);
        Click(host, IDC_NEXT);
        EXPECT_TRUE(Shows(host, IDC_PROGRESS));

        m_config->m_productTitle = L"Vexa Paint";
        CompleteLoading(host);
        EXPECT_TRUE(Shows(host, IDC_WELCOME_TEXT));
        EXPECT_EQ(ui::GetWindowTextString(host), L"Vexa Paint Setup");
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(host, IDC_PRODUCT_TITLE)));
        EXPECT_EQ(ui::GetWindowTextString(GetDlgItem(host, IDC_PRODUCT_TITLE)), L"Vexa Paint");
        EXPECT_EQ(ui::GetWindowTextString(GetDlgItem(ShownPage(host), IDC_PRODUCT_TITLE)),
                  L"Vexa Paint");

        Click(host, IDC_NEXT);
        EXPECT_EQ(CloseItems(host), closeItems - 1) << "no closing during the download";
        CompleteDownloads(host);
        EXPECT_EQ(CloseItems(host), closeItems) << "the finish page restores the Close item";
        EXPECT_FALSE(GetWindowLongW(host, GWL_STYLE) & WS_MINIMIZEBOX);
        // Nothing lies beyond the last page, and the keys neither end nor leave it.
        EXPECT_FALSE(GetDlgItem(ShownPage(host), IDC_NEXT));
        PressKey(host, VK_RETURN);
        PressKey(host, VK_ESCAPE);
        EXPECT_TRUE(IsWindowVisible(host));
        EXPECT_TRUE(Shows(host, IDC_FINISH));

        // The last page closes without a question.
        SendMessageW(host, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_THAT(m_questions, IsEmpty());
    EXPECT_FALSE(WorkingDirectoryExists());
    EXPECT_TRUE(m_config->m_closing);
}

TEST_F(HostTest, CloseBoxAsksUntilTheRunIsOverAndCancelKeepsTheWizard) {
    m_answers = {IDCANCEL, IDCANCEL, IDOK};
    const INT_PTR result = RunWizard([this](HWND host) {
        SendMessageW(host, WM_CLOSE, 0, 0);
        EXPECT_TRUE(IsWindowVisible(host));
        EXPECT_TRUE(Shows(host, IDC_SPLASH_TEXT));
        Click(host, IDC_NEXT);
        CompleteLoading(host);
        SendMessageW(host, WM_CLOSE, 0, 0);
        EXPECT_TRUE(Shows(host, IDC_WELCOME_TEXT));
        EXPECT_TRUE(WorkingDirectoryExists());
        SendMessageW(host, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(result, IDCANCEL);
    const std::wstring question = L"Are you sure you want to exit the installer?";
    EXPECT_THAT(m_questions, ElementsAre(question, question, question));
    EXPECT_FALSE(WorkingDirectoryExists());
}

TEST_F(HostTest, TheErrorPageShownAgainAddsNoSecondCloseItem) {
    RunWizard([](HWND host) {
        const int closeItems = CloseItems(host);
        SendMessageW(host, WM_COMMAND, MAKEWPARAM(IDC_SHOW_ERROR_PAGE, BN_CLICKED), 0);
        SendMessageW(host, WM_COMMAND, MAKEWPARAM(IDC_SHOW_ERROR_PAGE, BN_CLICKED), 0);
        EXPECT_EQ(CloseItems(host), closeItems);
        DeleteMenu(GetSystemMenu(host, FALSE), SC_CLOSE, MF_BYCOMMAND);
        SendMessageW(host, WM_COMMAND, MAKEWPARAM(IDC_SHOW_ERROR_PAGE, BN_CLICKED), 0);
        EXPECT_EQ(CloseItems(host), closeItems) << "a missing item comes back once";
        SendMessageW(host, WM_CLOSE, 0, 0);
    });
}

}  // namespace
