// The classic variant's page before the license page: a title, a subtitle and a notice.
#pragma once

#include "pages/classic_page.h"

class WarningPageBTClassic : public ClassicPage {
public:
    explicit WarningPageBTClassic(std::shared_ptr<LanguageManager> languageManager);

    std::wstring GetPageName() const override;

protected:
    BOOL OnInitDialog() override;
    void OnCommand(int id, int code) override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT type) override;
};
