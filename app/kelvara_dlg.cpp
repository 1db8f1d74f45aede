#include "app/kelvara_dlg.h"

#include "app/about_dlg.h"
#include "config/build_settings.h"
#include "config/configuration_manager.h"
#include "i18n/language_manager.h"
#include "pages/ipage.h"
#include "res/resource.h"
#include "ui/message_box.h"

CKelvaraDlg::CKelvaraDlg()
    : ui::Dialog(IDD_KELVARA_DIALOG),
      m_hIcon(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      m_languageManager(std::make_shared<LanguageManager>(this)) {}

CKelvaraDlg::~CKelvaraDlg() {
    // GDI+ shuts down after this dialog, while the configuration keeps its packages:
    // every image they hold is released here.
    auto config = ConfigurationManager::GetInstance();
    config->m_productImage.reset();
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
        ShowMessageBox(GetSafeHwnd(), L"Another setup is already running, please close it and try again", L"Error",
                       MB_ICONERROR | MB_SYSTEMMODAL);
        EndDialog(1);
        return FALSE;
    }

    auto config = ConfigurationManager::GetInstance();
    switch (config->m_wizardType) {
        case 1:
            ui::SetWindowTextString(GetSafeHwnd(), L"Setup");
            break;
        case 2:
            ui::SetWindowTextString(GetSafeHwnd(), config->m_productTitle + L" ");
            break;
        default:
            ShowMessageBox(GetSafeHwnd(), L"Invalid wizard type", L"", MB_ICONERROR | MB_SYSTEMMODAL);
            EndDialog(1);
            return FALSE;
    }

    m_title = Item(IDC_PRODUCT_TITLE);
    m_headerLine = Item(IDC_HEADER_LINE);
    m_footer = Item(IDC_FOOTER_BAND);
    m_productIcon.Attach(Item(IDC_PRODUCT_ICON));
    m_footerBrush.reset(CreateSolidBrush(config->m_brandColour));
    ui::SetWindowTextString(m_title, config->m_productTitle);

    if (config->m_wizardType == 2) {
        ui::ShowControl(m_productIcon.GetSafeHwnd(), false);
        ui::ShowControl(m_headerLine, false);
    }
    ui::ShowControl(m_title, false);
    CenterWindow();
    return TRUE;
}

// True when this process now owns the wizard type's mutex, or when it could not be made.
bool CKelvaraDlg::TakeSingleInstanceMutex() {
    const std::wstring name = std::wstring(L"Global\\Kelvara") + build::kWizardTypeName + L"SingleInstanceMutex";
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
            EndDialog(IDCANCEL);
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
