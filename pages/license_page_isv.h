// The page after the loading page in the BT page family: the licence text, a link line to
// the product's terms and privacy policy, Agree and Back.
#pragma once

#include "pages/ipage.h"
#include "base/handle.h"

class LicensePageIsv : public WizardPage {
public:
    explicit LicensePageIsv(std::shared_ptr<LanguageManager> languageManager);

    void OnNavigateToPage() override {}
    std::wstring GetPageName() const override;

protected:
    BOOL OnInitDialog() override;
    void OnCommand(int id, int code) override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT type) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void FillLinkLine();
    void EnlargeTitle();

    HWND m_licenseText = nullptr;
    HWND m_title = nullptr;
    HWND m_links = nullptr;
    win32::unique_hfont m_titleFont;
    win32::unique_hbrush m_backgroundBrush;
};

// The link line with "[LICENSE_TOS_URL]" and "[LICENSE_PRIVACY_URL]" filled in.
std::wstring FillLicenseLinks(const std::wstring& text, const std::wstring& termsUrl,
                              const std::wstring& privacyUrl);
