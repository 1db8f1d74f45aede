// First page of the BT page family: a title and a text; the language list stays hidden and
// keeps the user's own language.
#pragma once

#include "pages/language_page.h"

class LanguagePageBT : public LanguagePage {
public:
    explicit LanguagePageBT(std::shared_ptr<LanguageManager> languageManager);

    std::wstring GetPageName() const override;

protected:
    void RegisterTexts() override;
};
