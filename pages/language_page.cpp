#include "pages/language_page.h"

#include "i18n/language_manager.h"
#include "pages/page_names.h"
#include "res/resource.h"

LanguagePage::LanguagePage(std::shared_ptr<LanguageManager> languageManager)
    : LanguagePage(std::move(languageManager), IDD_LANGUAGE_PAGE) {}

LanguagePage::LanguagePage(std::shared_ptr<LanguageManager> languageManager, UINT templateId)
    : WizardPage(std::move(languageManager), templateId) {}

std::wstring LanguagePage::GetPageName() const { return page_name::kLanguage; }

void LanguagePage::RegisterTexts() {
    AddLocalizedControl(IDC_NEXT, "BUTTON_NEXT");
    AddLocalizedControl(IDC_SPLASH_TEXT, "SPLASH_TEXT");
}

BOOL LanguagePage::OnInitDialog() {
    m_languages = Item(IDC_LANGUAGES);
    RegisterTexts();
    m_languageManager->FillLanguageCombo(m_languages);
    OnLanguageSelected();
    SendMessageW(GetSafeHwnd(), DM_SETDEFID, IDC_NEXT, 0);
    return TRUE;
}

void LanguagePage::OnCommand(int id, int code) {
    if (id == IDC_LANGUAGES && code == CBN_SELCHANGE) OnLanguageSelected();
    if (id == IDC_NEXT && code == BN_CLICKED) Press(ButtonType::Next);
}

void LanguagePage::OnLanguageSelected() {
    const LRESULT selected = SendMessageW(m_languages, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR) return;
    const LRESULT length = SendMessageW(m_languages, CB_GETLBTEXTLEN, selected, 0);
    if (length == CB_ERR) return;
    std::wstring name(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied =
        SendMessageW(m_languages, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(name.data()));
    name.resize(copied == CB_ERR ? 0 : static_cast<size_t>(copied));
    m_languageManager->SelectLanguage(name);
}
