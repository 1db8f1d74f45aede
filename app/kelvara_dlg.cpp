#include "app/kelvara_dlg.h"

#include "app/about_dlg.h"
#include "app/directory_tree.h"
#include "base/gate.h"
#include "config/build_settings.h"
#include "config/configuration_manager.h"
#include "i18n/language_manager.h"
#include "net/download_manager.h"
#include "offers/host_packages.h"
#include "offers/package.h"
#include "pages/configurations_page_bt_classic.h"
#include "pages/download_page_dlm.h"
#include "pages/download_page_isv.h"
#include "pages/error_page.h"
#include "pages/finish_page_dlm.h"
#include "pages/finish_page_isv.h"
#include "pages/language_page.h"
#include "pages/language_page_bt.h"
#include "pages/license_page_isv.h"
#include "pages/loading_page.h"
#include "pages/options_page_bt_classic.h"
#include "pages/page_names.h"
#include "pages/product_page.h"
#include "pages/warning_page_bt_classic.h"
#include "pages/welcome_page_isv.h"
#include "res/resource.h"
#include "ui/message_box.h"

CKelvaraDlg::CKelvaraDlg()
    : ui::Dialog(IDD_KELVARA_DIALOG),
      m_hIcon(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      m_languageManager(std::make_shared<LanguageManager>(this)) {}

CKelvaraDlg::~CKelvaraDlg() {
    // GDI+ shuts down after this dialog, while the configuration keeps its packages:
    // no picture download makes an image any more, and every image they hold is released
    // here (the loading page releases those of the offers it still holds).
    GdiplusGate().Close();
    auto config = ConfigurationManager::GetInstance();
    config->m_productImage.reset();
    for (const auto* list :
         {&config->m_acceptedPackages, &config->m_offeredPackages, &m_packages}) {
        for (const auto& package : *list) package->m_offerImage.reset();
    }
}

BOOL CKelvaraDlg::OnInitDialog() {
    HMENU systemMenu = GetSystemMenu(GetSafeHwnd(), FALSE);
    wchar_t aboutText[64] = {};
    if (systemMenu && LoadStringW(GetModuleHandleW(nullptr), IDS_ABOUTBOX, aboutText, 64) > 0) {
        AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, aboutText);
    }
    SendMessageW(GetSafeHwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(GetSafeHwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    if (!TakeSingleInstanceMutex()) {
        ShowMessageBox(GetSafeHwnd(),
                       L"Another setup is already running, please close it and try again", L"Error",
                       MB_ICONERROR | MB_SYSTEMMODAL);
        // This run made its own working directory before it knew; it leaves none behind.
        CleanupWorkingDirectory();
        EndDialog(1);
        return FALSE;
    }

    auto config = ConfigurationManager::GetInstance();
    switch (config->m_wizardType) {
        case WizardType::DLM:
            ui::SetWindowTextString(GetSafeHwnd(), L"Setup");
            break;
        case WizardType::ISV:
            ui::SetWindowTextString(GetSafeHwnd(), config->m_productTitle + L" ");
            break;
        default:
            ShowMessageBox(GetSafeHwnd(), L"Invalid wizard type", L"",
                           MB_ICONERROR | MB_SYSTEMMODAL);
            EndDialog(1);
            return FALSE;
    }

    m_title = Item(IDC_PRODUCT_TITLE);
    m_headerLine = Item(IDC_HEADER_LINE);
    m_footer = Item(IDC_FOOTER_BAND);
    m_productIcon.Attach(Item(IDC_PRODUCT_ICON));
    m_footerBrush.reset(CreateSolidBrush(config->m_brandColour));
    ui::SetWindowTextString(m_title, config->m_productTitle);
    CreateInitialPages();

    if (config->m_wizardType == WizardType::ISV) {
        ui::ShowControl(m_productIcon.GetSafeHwnd(), false);
        ui::ShowControl(m_headerLine, false);
    }
    ui::ShowControl(m_title, false);
    CenterWindow();
    return TRUE;
}

// True when this process now owns the wizard type's mutex, or when it could not be made.
bool CKelvaraDlg::TakeSingleInstanceMutex() {
    const std::wstring name =
        std::wstring(L"Global\\Kelvara") + build::kWizardTypeName + L"SingleInstanceMutex";
    HANDLE mutex = CreateMutexW(nullptr, TRUE, name.c_str());
    const DWORD error = GetLastError();
    m_instanceMutex.reset(mutex);
    if (m_instanceMutex && error == ERROR_ALREADY_EXISTS) {
        m_instanceMutex.reset();
        return false;
    }
    return true;
}

HBRUSH CKelvaraDlg::OnCtlColor(HDC dc, HWND control, UINT type) {
    if (control == m_footer && m_footer) {
        SetBkMode(dc, TRANSPARENT);
        return m_footerBrush.get();
    }
    return ui::Dialog::OnCtlColor(dc, control, type);
}

bool CKelvaraDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) != IDM_ABOUTBOX) return false;
            OnSysCommand(static_cast<UINT>(wParam), lParam);
            return true;
        case WM_PAINT:
            if (!IsIconic(GetSafeHwnd())) return false;
            OnPaint();
            return true;
        case WM_CLOSE:
            OnClose();
            return true;
        case kLoadCompleteMessage:
            result = OnLoadCompleteMessage(wParam, lParam);
            return true;
        case WM_QUERYDRAGICON:
            result = reinterpret_cast<LRESULT>(m_hIcon);
            return true;
        default:
            return false;
    }
}

void CKelvaraDlg::OnSysCommand(UINT, LPARAM) {
    CAboutDlg about;
    about.DoModal(GetSafeHwnd());
}

void CKelvaraDlg::OnPaint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(GetSafeHwnd(), &paint);
    SendMessageW(GetSafeHwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(GetSafeHwnd(), &client);
    const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
    EndPaint(GetSafeHwnd(), &paint);
}

void CKelvaraDlg::OnCommand(int id, int code) {
    if (id == IDC_SHOW_ERROR_PAGE && code == BN_CLICKED) ShowErrorPage(L"Error", L"Error message");
}

void RestoreCloseItem(HMENU systemMenu) {
    if (GetMenuState(systemMenu, SC_CLOSE, MF_BYCOMMAND) == static_cast<UINT>(-1)) {
        AppendMenuW(systemMenu, MF_STRING, SC_CLOSE, L"Close");
    }
}

// Where pages go: the page area's rectangle in the host's client coordinates.
RECT CKelvaraDlg::PageRectangle() const {
    RECT rect{};
    GetWindowRect(Item(IDC_PAGE_AREA), &rect);
    MapWindowPoints(nullptr, GetSafeHwnd(), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void CKelvaraDlg::CreatePage(IPage& page, const RECT& rect) {
    page.Create(GetSafeHwnd());
    page.SetBackgroundColor(ConfigurationManager::GetInstance()->m_backgroundColour);
    page.SetButtonCallback([this](ButtonType button) { OnPageButton(button); });
    ShowWindow(page.GetSafeHwnd(), SW_HIDE);
    SetWindowPos(page.GetSafeHwnd(), nullptr, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CKelvaraDlg::CreateAndAddPage(std::unique_ptr<IPage> page, const RECT& rect) {
    CreatePage(*page, rect);
    page->SetErrorCallback([this](const std::wstring& title, const std::wstring& text) {
        ShowErrorPage(title, text);
    });
    m_pages.push_back(std::move(page));
}

bool CKelvaraDlg::CreateInitialPages() {
    const RECT rect = PageRectangle();
    m_errorPage = std::make_unique<ErrorPage>(m_languageManager);
    CreatePage(*m_errorPage, rect);

    if (ConfigurationManager::GetInstance()->m_btMode) {
        CreateAndAddPage(std::make_unique<LanguagePageBT>(m_languageManager), rect);
    } else {
        CreateAndAddPage(std::make_unique<LanguagePage>(m_languageManager), rect);
    }
    auto loading = std::make_unique<LoadingPage>(m_languageManager);
    // Called on whichever thread finishes loading: the offers travel in the message, so
    // nothing of the host is touched off its own thread.
    loading->SetLoadCompleteCallback([host = GetSafeHwnd()](PackageList packages) {
        auto list = std::make_unique<PackageList>(std::move(packages));
        if (PostMessageW(host, kLoadCompleteMessage, 0, reinterpret_cast<LPARAM>(list.get()))) {
            list.release();  // the host owns it now
        }
    });
    CreateAndAddPage(std::move(loading), rect);

    m_currentPage = kLanguagePage;
    if (m_pages.empty()) return false;
    ShowWindow(m_pages[kLanguagePage]->GetSafeHwnd(), SW_SHOW);
    SetFocus(m_pages[kLanguagePage]->GetSafeHwnd());
    return true;
}

// The pages after the loading page, in the order the user sees them.
void CKelvaraDlg::AppendFlowPages(const RECT& rect) {
    auto config = ConfigurationManager::GetInstance();
    if (config->m_btMode) {
        CreateAndAddPage(std::make_unique<LicensePageIsv>(m_languageManager), rect);
    } else {
        CreateAndAddPage(std::make_unique<WelcomePageIsv>(m_languageManager), rect);
    }
    for (const auto& package : m_packages) {
        CreateAndAddPage(std::make_unique<ProductPage>(m_languageManager, package), rect);
    }
    AppendClassicPages(rect);

    if (config->m_wizardType == WizardType::DLM) {
        CreateAndAddPage(std::make_unique<DownloadPageDlm>(m_languageManager), rect);
        CreateAndAddPage(std::make_unique<FinishPageDlm>(m_languageManager), rect);
    } else if (config->m_wizardType == WizardType::ISV) {
        auto download = std::make_unique<DownloadPageIsv>(m_languageManager);
        download->m_onBackgroundWorkStarted = [this] { m_backgroundWork = true; };
        download->m_onBackgroundWorkFinished = [this] { m_backgroundWork = false; };
        CreateAndAddPage(std::move(download), rect);
        CreateAndAddPage(std::make_unique<FinishPageIsv>(m_languageManager), rect);
    }
}

void CKelvaraDlg::AppendWarningPage(const RECT& rect) {
    auto config = ConfigurationManager::GetInstance();
    if (!config->m_btMode || !config->m_classicMode) return;
    CreateAndAddPage(std::make_unique<WarningPageBTClassic>(m_languageManager), rect);
}

void CKelvaraDlg::AppendClassicPages(const RECT& rect) {
    if (!ConfigurationManager::GetInstance()->m_classicMode) return;
    CreateAndAddPage(std::make_unique<OptionsPageBTClassic>(m_languageManager), rect);
    CreateAndAddPage(std::make_unique<ConfigurationsPageBTClassic>(m_languageManager), rect);
}

LRESULT CKelvaraDlg::OnLoadCompleteMessage(WPARAM, LPARAM lParam) {
    const std::unique_ptr<PackageList> offers(reinterpret_cast<PackageList*>(lParam));
    if (m_pages.size() > kFirstFlowPage) return 0;  // the flow's pages exist already
    m_packages = offers ? std::move(*offers) : PackageList();
    auto config = ConfigurationManager::GetInstance();
    // The texts are rebuilt now that the product title is known.
    m_languageManager->SelectLanguage(config->m_languageName);
    if (config->m_wizardType == WizardType::DLM) ShowProductHeader();
    ResetMainPackage();
    AppendWarningPage(PageRectangle());
    AppendFlowPages(PageRectangle());
    OnPageButton(ButtonType::Next);
    return 0;
}

void CKelvaraDlg::ShowProductHeader() {
    auto config = ConfigurationManager::GetInstance();
    m_productIcon.SetImage(config->m_productImage);
    ui::ShowControl(m_productIcon.GetSafeHwnd(), true);
    ui::SetWindowTextString(m_title, config->m_productTitle);
    ui::ShowControl(m_title, true);
    ui::SetWindowTextString(GetSafeHwnd(), config->m_productTitle + L" Setup");
}

void CKelvaraDlg::NavigateToPage(unsigned index) {
    if (index >= m_pages.size()) return;
    IPage& page = *m_pages[index];
    ShowWindow(page.GetSafeHwnd(), SW_SHOW);
    SetFocus(page.GetSafeHwnd());
    if (m_currentPage < m_pages.size() && m_currentPage != index) {
        ShowWindow(m_pages[m_currentPage]->GetSafeHwnd(), SW_HIDE);
    }
    m_currentPage = index;
    page.OnNavigateToPage();

    // No closing while a download runs; a finish page may be closed again.
    const std::wstring name = page.GetPageName();
    HMENU systemMenu = GetSystemMenu(GetSafeHwnd(), FALSE);
    if (name == page_name::kDownloadDlm || name == page_name::kDownloadIsv) {
        DeleteMenu(systemMenu, SC_CLOSE, MF_BYCOMMAND);
    } else if (name == page_name::kFinishDlm || name == page_name::kFinishIsv) {
        RestoreCloseItem(systemMenu);
    }
    OutputDebugStringW((name + L"\n").c_str());
}

void CKelvaraDlg::OnPageButton(ButtonType button) {
    switch (button) {
        case ButtonType::Next:
            // After a Back the loading page is not shown again.
            if (m_currentPage == kLanguagePage) {
                // The main product's event 1 goes once, at the first Next.
                if (!m_revisit) StartMainPackage();
                NavigateToPage(m_revisit ? kFirstFlowPage : kLoadingPage);
            } else {
                NavigateToPage(m_currentPage + 1);
            }
            break;
        case ButtonType::Accept:
        case ButtonType::Decline:
            NavigateToPage(m_currentPage + 1);
            break;
        case ButtonType::Close:
            // The last events are on their way: the process must not end under them.
            WaitForPackageEvents();
            EndDialog(1);
            break;
        case ButtonType::Finish:
            WaitForPackageEvents();
            CleanupWorkingDirectory();
            EndDialog(1);
            break;
        case ButtonType::Back:
            m_revisit = true;
            NavigateToPage(m_currentPage == kFirstFlowPage ? kLanguagePage : m_currentPage - 1);
            break;
    }
}

void CKelvaraDlg::ShowErrorPage(const std::wstring& title, const std::wstring& text) {
    if (!m_errorPage) return;  // a start-up that ended before the pages were made
    if (m_currentPage < m_pages.size()) ShowWindow(m_pages[m_currentPage]->GetSafeHwnd(), SW_HIDE);
    m_errorPage->SetErrorTexts(title, text);
    ShowWindow(m_errorPage->GetSafeHwnd(), SW_SHOW);
    SetFocus(m_errorPage->GetSafeHwnd());
    m_errorShown = true;
    RestoreCloseItem(GetSystemMenu(GetSafeHwnd(), FALSE));
}

void CKelvaraDlg::OnClose() {
    if (m_askingToClose) return;
    // Until the last page, and with only the first two pages, the user confirms first.
    const bool runGoesOn = m_currentPage + 1 < m_pages.size() || m_pages.size() == kFirstFlowPage;
    if (!m_errorShown && runGoesOn && !ConfirmClose()) return;

    m_instanceMutex.reset();
    ShowWindow(GetSafeHwnd(), SW_HIDE);
    ConfigurationManager::GetInstance()->m_closing = true;
    GdiplusGate().Close();
    DownloadManager::GetInstance()->RequestCancel();
    SendClosingEvents();
    CleanupWorkingDirectory();
    EndDialog(IDCANCEL);
}

bool CKelvaraDlg::ConfirmClose() {
    m_askingToClose = true;
    const std::wstring text =
        m_languageManager->GetText(m_backgroundWork ? "PROGRESS_QUIT" : "MSG_EXIT");
    const int answer = ShowMessageBox(GetSafeHwnd(), text, L"", MB_OKCANCEL | MB_ICONQUESTION);
    m_askingToClose = false;
    return answer == IDOK;
}

void CKelvaraDlg::CleanupWorkingDirectory() {
    const std::wstring dir = ConfigurationManager::GetInstance()->m_workingDirectory;
    if (!dir.empty()) DeleteDirectoryTree(dir);
}
