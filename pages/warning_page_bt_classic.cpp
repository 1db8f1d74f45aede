#include "pages/warning_page_bt_classic.h"

#include "pages/page_names.h"
#include "res/resource.h"

WarningPageBTClassic::WarningPageBTClassic(std::shared_ptr<LanguageManager> languageManager)
    : ClassicPage(std::move(languageManager), IDD_WARNING_PAGE, IDC_WARNING_TITLE) {}

std::wstring WarningPageBTClassic::GetPageName() const { return page_name::kWarningBTClassic; }

BOOL WarningPageBTClassic::OnInitDialog() {
    AddLocalizedControl(IDC_PRODUCT_TITLE, "PRODUCT_TITLE");
    AddLocalizedControl(IDC_WARNING_TITLE, "WARNING_TITLE");
    AddLocalizedControl(IDC_WARNING_SUBTITLE, "WARNING_SUBTITLE");
    AddLocalizedControl(IDC_WARNING_TEXT, "WARNING_TEXT");
    AddLocalizedControl(IDC_NEXT, "BUTTON_NEXT");
    AddLocalizedControl(IDC_BACK, "BUTTON_BACK");
    UpdateTexts();
    EnlargeTitle();
    return TRUE;
}

void WarningPageBTClassic::OnCommand(int id, int code) {
    if (code != BN_CLICKED) return;
    if (id == IDC_NEXT) Press(ButtonType::Next);
    if (id == IDC_BACK) Press(ButtonType::Back);
}

// The notice is drawn on the page's background; its links are shown but do nothing.
HBRUSH WarningPageBTClassic::OnCtlColor(HDC dc, HWND control, UINT type) {
    if (GetDlgCtrlID(control) == IDC_WARNING_TEXT) {
        SetBkMode(dc, TRANSPARENT);
        return m_backgroundBrush.get();
    }
    return IPage::OnCtlColor(dc, control, type);
}
