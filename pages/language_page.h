// First page of every run: the language list and the splash text.
#pragma once

#include "pages/ipage.h"

class LanguagePage : public WizardPage {
public:
    explicit LanguagePage(std::shared_ptr<LanguageManager> languageManager);

    void OnNavigateToPage() override {}
    std::wstring GetPageName() const override;

protected:
    LanguagePage(std::shared_ptr<LanguageManager> languageManager, UINT templateId);

    BOOL OnInitDialog() override;
    void OnCommand(int id, int code) override;
    // Registers the page's localised controls.
    virtual void RegisterTexts();

private:
    // Loads the language selected in the list and re-applies the texts of every page.
    void OnLanguageSelected();

    HWND m_languages = nullptr;
};
