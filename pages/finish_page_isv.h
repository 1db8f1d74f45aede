// Last page of the install flow: optionally start the installed product.
#pragma once

#include "pages/finish_page.h"

class FinishPageIsv : public FinishPage {
public:
    explicit FinishPageIsv(std::shared_ptr<LanguageManager> languageManager);

    std::wstring GetPageName() const override;

protected:
    BOOL OnInitDialog() override;
    void OnFinish() override;
};
