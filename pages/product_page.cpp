#include "pages/product_page.h"

#include "base/encoding.h"
#include "base/text.h"
#include "config/configuration_manager.h"
#include "offers/package.h"
#include "pages/page_names.h"
#include "res/resource.h"
#include "ui/link_control.h"

#include <commctrl.h>

#include <algorithm>

namespace {

// Adds the package to the list unless it is there already.
void RecordOnce(std::vector<std::shared_ptr<Package>>& list,
                const std::shared_ptr<Package>& package) {
    if (std::find(list.begin(), list.end(), package) == list.end()) list.push_back(package);
}

}  // namespace

std::wstring FillDisclaimerText(const std::wstring& text, const std::string& name,
                                const std::string& privacyUrl, const std::string& termsUrl) {
    std::wstring filled =
        ReplaceAll(text, std::wstring(L"[PACKAGE_NAME]"), ui::MarkupSafeText(Utf8ToWide(name)));
    filled = ReplaceAll(filled, std::wstring(L"[PACKAGE_PRIVACY_URL]"),
                        ui::MarkupSafeUrl(Utf8ToWide(privacyUrl)));
    return ReplaceAll(filled, std::wstring(L"[PACKAGE_EULA_URL]"),
                      ui::MarkupSafeUrl(Utf8ToWide(termsUrl)));
}

ProductPage::ProductPage(std::shared_ptr<LanguageManager> languageManager,
                         std::shared_ptr<Package> package)
    : WizardPage(std::move(languageManager), IDD_PRODUCT_PAGE), m_package(std::move(package)) {}

std::wstring ProductPage::GetPageName() const { return page_name::kProduct; }

BOOL ProductPage::OnInitDialog() {
    m_disclaimer = Item(IDC_DISCLAIMER);
    m_backgroundBrush.reset(
        CreateSolidBrush(ConfigurationManager::GetInstance()->m_backgroundColour));
    m_picture.Attach(Item(IDC_OFFER_PICTURE));
    m_picture.SetImage(m_package->m_offerImage);
    AddLocalizedControl(IDC_ACCEPT, "BUTTON_ACCEPT");
    AddLocalizedControl(IDC_DECLINE, "BUTTON_DECLINE");
    AddLocalizedControl(IDC_DISCLAIMER, "PRODUCT_DISCLAIMER");
    UpdateTexts();
    return TRUE;
}

void ProductPage::UpdateTexts() {
    IPage::UpdateTexts();
    FillDisclaimer();
}

void ProductPage::FillDisclaimer() {
    if (!m_disclaimer) return;
    ui::SetWindowTextString(
        m_disclaimer,
        FillDisclaimerText(ui::GetWindowTextString(m_disclaimer), m_package->m_displayName,
                           m_package->m_privacyUrl, m_package->m_termsUrl));
}

void ProductPage::OnNavigateToPage() {
    RecordOnce(ConfigurationManager::GetInstance()->m_offeredPackages, m_package);
}

void ProductPage::OnCommand(int id, int code) {
    if (code != BN_CLICKED) return;
    if (id == IDC_ACCEPT) OnAccept();
    if (id == IDC_DECLINE) OnDecline();
}

void ProductPage::OnAccept() {
    RecordOnce(ConfigurationManager::GetInstance()->m_acceptedPackages, m_package);
    Press(ButtonType::Accept);
}

void ProductPage::OnDecline() {
    // A page shown again (Back from a later page) may have been accepted before.
    auto& accepted = ConfigurationManager::GetInstance()->m_acceptedPackages;
    accepted.erase(std::remove(accepted.begin(), accepted.end(), m_package), accepted.end());
    m_package->SendEvent(EventCode::OfferDeclined);
    Press(ButtonType::Decline);
}

bool ProductPage::OnMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
    if (message != WM_NOTIFY) return false;
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->idFrom != IDC_DISCLAIMER || header->code != NM_CLICK) return false;
    ui::OpenUrl(reinterpret_cast<const NMLINK*>(lParam)->item.szUrl);
    result = 0;
    return true;
}

HBRUSH ProductPage::OnCtlColor(HDC dc, HWND control, UINT type) {
    if (control == m_disclaimer && m_disclaimer) {
        SetBkMode(dc, TRANSPARENT);
        return m_backgroundBrush.get();
    }
    return IPage::OnCtlColor(dc, control, type);
}
