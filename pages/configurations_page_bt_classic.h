// The classic variant's five settings in two groups, all checked at first. The choices reach
// the configuration only when Next is pressed; Back keeps them on the page alone.
#pragma once

#include "pages/classic_page.h"

class ConfigurationsPageBTClassic : public ClassicPage {
public:
    explicit ConfigurationsPageBTClassic(std::shared_ptr<LanguageManager> languageManager);

    std::wstring GetPageName() const override;

protected:
    BOOL OnInitDialog() override;
    void OnCommand(int id, int code) override;
};
