// Download-only flow: the main product saved into the Downloads folder, the accepted offers
// downloaded and started, then the finish page (or the download error page).
#pragma once

#include "pages/download_page.h"

class DownloadPageDlm : public DownloadPage {
public:
    explicit DownloadPageDlm(std::shared_ptr<LanguageManager> languageManager);

    std::wstring GetPageName() const override;

protected:
    std::pair<std::wstring, DownloadTarget> Source(const Package& item,
                                                   const std::wstring& folder) const override;
    void OnDownloaded(const std::shared_ptr<Package>& item, const std::wstring& path) override;
    void LoadPicture() override;
};
