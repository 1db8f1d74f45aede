// Last page of the download-only flow: start the downloaded product or open its folder.
#pragma once

#include "pages/finish_page.h"

class FinishPageDlm : public FinishPage {
public:
    explicit FinishPageDlm(std::shared_ptr<LanguageManager> languageManager);

    std::wstring GetPageName() const override;

protected:
    BOOL OnInitDialog() override;
    void OnFinish() override;
};

// Explorer's arguments that open the folder of path with the file selected.
std::wstring ExplorerSelectArguments(const std::wstring& path);
