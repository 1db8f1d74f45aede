// One page per eligible offer: its picture, a disclaimer with links to its privacy policy
// and licence terms, Accept and Decline.
#pragma once

#include "base/handle.h"
#include "pages/ipage.h"
#include "pages/static_from_image.h"

#include <memory>
#include <string>

class Package;

class ProductPage : public WizardPage {
public:
    ProductPage(std::shared_ptr<LanguageManager> languageManager, std::shared_ptr<Package> package);

    // Records the offer as offered, once however often the page is shown.
    void OnNavigateToPage() override;
    std::wstring GetPageName() const override;
    // The disclaimer is filled in again after each change of language.
    void UpdateTexts() override;

protected:
    BOOL OnInitDialog() override;
    void OnCommand(int id, int code) override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT type) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnAccept();
    void OnDecline();
    void FillDisclaimer();

    std::shared_ptr<Package> m_package;
    CStaticFromImage m_picture;
    HWND m_disclaimer = nullptr;
    win32::unique_hbrush m_backgroundBrush;
};

// The disclaimer text with every "[PACKAGE_NAME]", "[PACKAGE_PRIVACY_URL]" and
// "[PACKAGE_EULA_URL]" replaced by the offer's UTF-8 name and addresses, each made unable to
// add link markup of its own.
std::wstring FillDisclaimerText(const std::wstring& text, const std::string& name,
                                const std::string& privacyUrl, const std::string& termsUrl);
