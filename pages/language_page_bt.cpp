#include "pages/language_page_bt.h"

#include "pages/page_names.h"
#include "res/resource.h"

LanguagePageBT::LanguagePageBT(std::shared_ptr<LanguageManager> languageManager)
    : LanguagePage(std::move(languageManager), IDD_LANGUAGE_PAGE_BT) {}

std::wstring LanguagePageBT::GetPageName() const { return page_name::kLanguageBT; }

void LanguagePageBT::RegisterTexts() {
    AddLocalizedControl(IDC_NEXT, "BUTTON_NEXT");
    AddLocalizedControl(IDC_SPLASH_TITLE_BT, "SPLASH_TITLE_BT");
    AddLocalizedControl(IDC_SPLASH_TEXT_BT, "SPLASH_TEXT_BT");
}
