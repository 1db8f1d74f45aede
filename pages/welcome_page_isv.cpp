#include "pages/welcome_page_isv.h"

#include "config/configuration_manager.h"
#include "pages/page_names.h"
#include "res/resource.h"

namespace {

// Gives the link its address; a link without one is hidden.
void SetLinkTarget(ui::LinkControl& link, const std::wstring& url) {
    link.SetUrl(url);
    if (url.empty()) ui::ShowControl(link.GetSafeHwnd(), false);
}

}  // namespace

WelcomePageIsv::WelcomePageIsv(std::shared_ptr<LanguageManager> languageManager)
    : WizardPage(std::move(languageManager), IDD_WELCOME_PAGE) {}

std::wstring WelcomePageIsv::GetPageName() const { return page_name::kWelcome; }

BOOL WelcomePageIsv::OnInitDialog() {
    auto config = ConfigurationManager::GetInstance();
    m_picture.Attach(Item(IDC_PAGE_PICTURE));
    if (config->m_wizardType == WizardType::DLM) {
        m_picture.SetImage(config->m_productImage);
    } else {
        m_picture.LoadFromResource(IDR_IMAGE_DOWNLOAD, L"IMAGE_BLOB");
    }
    m_privacyLink.Attach(Item(IDC_PRIVACY_LINK));
    m_termsLink.Attach(Item(IDC_TERMS_LINK));
    m_makerLink.Attach(Item(IDC_MAKER_LINK));

    AddLocalizedControl(IDC_PRODUCT_TITLE, "PRODUCT_TITLE");
    AddLocalizedControl(IDC_WELCOME_TITLE, "WELCOME_TITLE");
    AddLocalizedControl(IDC_WELCOME_TEXT, "WELCOME_TEXT");
    AddLocalizedControl(IDC_NEXT, "BUTTON_NEXT");
    AddLocalizedControl(IDC_PRIVACY_LINK, "PRIVACY_LINK");
    AddLocalizedControl(IDC_TERMS_LINK,
                        config->m_wizardType == WizardType::DLM ? "TOS_LINK" : "EULA_LINK");
    AddLocalizedControl(IDC_MAKER_LINK, "SDK_LINK");
    UpdateTexts();

    SetLinkTarget(m_privacyLink, config->m_privacyUrl);
    SetLinkTarget(m_termsLink, config->m_termsUrl);
    SetLinkTarget(m_makerLink, config->m_defaultPrivacyUrl);
    return TRUE;
}

void WelcomePageIsv::UpdateTexts() {
    IPage::UpdateTexts();
    SizeLinks();
}

void WelcomePageIsv::SizeLinks() {
    m_privacyLink.SizeToContent();
    m_termsLink.SizeToContent();
    m_makerLink.SizeToContent();
}

void WelcomePageIsv::OnCommand(int id, int code) {
    if (id == IDC_NEXT && code == BN_CLICKED) Press(ButtonType::Next);
}
