// Install flow: the main product and the accepted offers downloaded, then the main
// installer run and waited for, the offers' installers started.
#pragma once

#include "pages/download_page.h"

class DownloadPageIsv : public DownloadPage {
public:
    explicit DownloadPageIsv(std::shared_ptr<LanguageManager> languageManager);

    std::wstring GetPageName() const override;

protected:
    std::pair<std::wstring, DownloadTarget> Source(const Package& item,
                                                   const std::wstring& folder) const override;
    std::wstring Arguments(const Package& item) const override;
    void OnDownloadsDone() override;
    void LoadPicture() override;
};
