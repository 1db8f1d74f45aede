#include "app/about_dlg.h"

#include "config/configuration_manager.h"
#include "res/resource.h"

CAboutDlg::CAboutDlg() : ui::Dialog(IDD_ABOUTBOX) {}

BOOL CAboutDlg::OnInitDialog() {
    ui::SetWindowTextString(Item(IDC_ABOUT_VERSION),
                            L"Kelvara, Version " + ConfigurationManager::GetInstance()->m_version);
    return TRUE;
}
