#include "app/kelvara_app.h"

#include "app/kelvara_dlg.h"
#include "base/dll_search.h"
#include "config/configuration_manager.h"

#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
using std::max;
using std::min;
#include <gdiplus.h>

CKelvaraApp::CKelvaraApp() = default;

CKelvaraApp::~CKelvaraApp() {
    if (m_gdiplusToken) Gdiplus::GdiplusShutdown(m_gdiplusToken);
}

int CKelvaraApp::Run() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), 0xFF};
    InitCommonControlsEx(&controls);
    // The license page's rich edit control; without it nothing is shown.
    if (!LoadSystemLibrary(L"msftedit.dll")) return 0;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&m_gdiplusToken, &input, nullptr);

    INT_PTR result = 0;
    {
        CKelvaraDlg dialog;
        dialog.SetBackgroundColor(ConfigurationManager::GetInstance()->m_backgroundColour);
        result = dialog.DoModal();
    }
    CoUninitialize();
    return static_cast<int>(result);
}
