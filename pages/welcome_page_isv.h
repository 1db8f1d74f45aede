// The page after the loading page in the normal page family: product picture and title,
// a short text and the privacy, terms and maker links.
#pragma once

#include "pages/ipage.h"
#include "pages/static_from_image.h"
#include "ui/link_control.h"

class WelcomePageIsv : public WizardPage {
public:
    explicit WelcomePageIsv(std::shared_ptr<LanguageManager> languageManager);

    void OnNavigateToPage() override {}
    void UpdateTexts() override;
    std::wstring GetPageName() const override;

protected:
    BOOL OnInitDialog() override;
    void OnCommand(int id, int code) override;

private:
    void SizeLinks();

    ui::LinkControl m_privacyLink;
    ui::LinkControl m_termsLink;
    ui::LinkControl m_makerLink;
    CStaticFromImage m_picture;
};
