#include "pages/license_page_isv.h"

#include "config/configuration_manager.h"
#include "pages/page_names.h"
#include "base/text.h"
#include "res/resource.h"
#include "ui/link_control.h"

#include <commctrl.h>
#include <richedit.h>

namespace {
constexpr LONG kTitleHeight = 12;
constexpr LONG kTitleWeight = 1000;
}  // namespace

std::wstring FillLicenseLinks(const std::wstring& text, const std::wstring& termsUrl,
                              const std::wstring& privacyUrl) {
    return ReplaceAll(ReplaceAll(text, std::wstring(L"[LICENSE_TOS_URL]"), termsUrl),
                      std::wstring(L"[LICENSE_PRIVACY_URL]"), privacyUrl);
}

LicensePageIsv::LicensePageIsv(std::shared_ptr<LanguageManager> languageManager)
    : WizardPage(std::move(languageManager), IDD_LICENSE_PAGE) {}

std::wstring LicensePageIsv::GetPageName() const { return page_name::kLicense; }

BOOL LicensePageIsv::OnInitDialog() {
    m_licenseText = Item(IDC_LICENSE_EULA);
    m_title = Item(IDC_LICENSE_TITLE);
    m_links = Item(IDC_LICENSE_LINKS);
    SendMessageW(m_licenseText, EM_AUTOURLDETECT, TRUE, 0);
    m_backgroundBrush.reset(
        CreateSolidBrush(ConfigurationManager::GetInstance()->m_backgroundColour));

    AddLocalizedControl(IDC_PRODUCT_TITLE, "PRODUCT_TITLE");
    AddLocalizedControl(IDC_LICENSE_TITLE, "LICENSE_TITLE");
    AddLocalizedControl(IDC_LICENSE_TEXT, "LICENSE_TEXT");
    AddLocalizedControl(IDC_AGREE, "BUTTON_AGREE");
    AddLocalizedControl(IDC_BACK, "BUTTON_BACK");
    AddLocalizedControl(IDC_LICENSE_EULA, "LICENSE_EULA");
    AddLocalizedControl(IDC_LICENSE_LINKS, "LICENSE_DISCLAIMER");
    UpdateTexts();

    FillLinkLine();
    EnlargeTitle();
    return TRUE;
}

// Once only: a later change of language shows the line with its placeholders unfilled.
void LicensePageIsv::FillLinkLine() {
    auto config = ConfigurationManager::GetInstance();
    const std::wstring line = ui::GetWindowTextString(m_links);
    ui::SetWindowTextString(m_links,
                            FillLicenseLinks(line, config->m_termsUrl, config->m_privacyUrl));
}

void LicensePageIsv::EnlargeTitle() {
    m_titleFont = ui::EnlargeFont(m_title, kTitleHeight, kTitleWeight);
}

void LicensePageIsv::OnCommand(int id, int code) {
    if (code != BN_CLICKED) return;
    if (id == IDC_AGREE) Press(ButtonType::Next);
    if (id == IDC_BACK) Press(ButtonType::Back);
}

bool LicensePageIsv::OnMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
    if (message != WM_NOTIFY) return false;
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->idFrom != IDC_LICENSE_LINKS || header->code != NM_CLICK) return false;
    ui::OpenUrl(reinterpret_cast<const NMLINK*>(lParam)->item.szUrl);
    result = 0;
    return true;
}

HBRUSH LicensePageIsv::OnCtlColor(HDC dc, HWND control, UINT type) {
    if (control == m_links) {
        SetBkMode(dc, TRANSPARENT);
        return m_backgroundBrush.get();
    }
    return IPage::OnCtlColor(dc, control, type);
}
