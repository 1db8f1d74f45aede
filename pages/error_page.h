// The page the host shows instead of the wizard when the run cannot go on: a title, a text
// and Close. It is never part of the page list.
#pragma once

#include "pages/ipage.h"
#include "pages/static_from_image.h"

class ErrorPage : public IPage {
public:
    explicit ErrorPage(std::shared_ptr<LanguageManager> languageManager);

    void OnNavigateToPage() override {}
    void SetButtonCallback(ButtonCallback callback) override { m_onButton = std::move(callback); }
    // The error page has nowhere to report errors to.
    void SetErrorCallback(ErrorCallback) override {}
    std::wstring GetPageName() const override;

    // Shows the title, then the text.
    void SetErrorTexts(const std::wstring& title, const std::wstring& text);

protected:
    BOOL OnInitDialog() override;
    void OnCommand(int id, int code) override;

private:
    void OnCloseButton();

    ButtonCallback m_onButton;
    CStaticFromImage m_picture;
};
