// The classic variant's three installation options, all checked at first. The choices
// reach the configuration only when Next is pressed.
#pragma once

#include "pages/classic_page.h"

class OptionsPageBTClassic : public ClassicPage {
public:
    explicit OptionsPageBTClassic(std::shared_ptr<LanguageManager> languageManager);

    std::wstring GetPageName() const override;

protected:
    BOOL OnInitDialog() override;
    void OnCommand(int id, int code) override;
};
