#include "pages/download_page_dlm.h"

#include "config/configuration_manager.h"
#include "net/url_pattern.h"
#include "offers/package.h"
#include "pages/page_names.h"
#include "res/resource.h"

DownloadPageDlm::DownloadPageDlm(std::shared_ptr<LanguageManager> languageManager)
    : DownloadPage(std::move(languageManager), IDD_DOWNLOAD_PAGE_DLM, "PAGE_DOWNLOAD_ERROR_TITLE",
                   "PAGE_DOWNLOAD_ERROR_DESC") {}

std::wstring DownloadPageDlm::GetPageName() const { return page_name::kDownloadDlm; }

// The main product goes into Downloads under its configured name, its address used as it
// is; an offer into its own folder.
std::pair<std::wstring, DownloadTarget> DownloadPageDlm::Source(const Package& item,
                                                                const std::wstring& folder) const {
    auto config = ConfigurationManager::GetInstance();
    if (item.m_isMain) {
        return {config->m_downloadUrl, DownloadTarget{config->m_downloadFolder, config->m_fileName,
                                                      true, config->m_downloadSha256}};
    }
    return {FullDownloadAddress(item.GetInstallerUrl(), config->m_fileBaseUrl),
            DownloadTarget{folder, L"", true, item.m_sha256}};
}

// The main product is not started: the finish page offers to.
void DownloadPageDlm::OnDownloaded(const std::shared_ptr<Package>& item, const std::wstring& path) {
    if (!item->m_isMain) {
        QueueStart(item, path);
        return;
    }
    ConfigurationManager::GetInstance()->m_downloadedFilePath = path;
    Report(*item, true, L"", L"");
}

void DownloadPageDlm::LoadPicture() {
    m_picture.SetImage(ConfigurationManager::GetInstance()->m_productImage);
}
