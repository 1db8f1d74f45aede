#include "pages/download_page_isv.h"

#include "config/classic_options.h"
#include "config/configuration_manager.h"
#include "net/url_pattern.h"
#include "offers/package.h"
#include "pages/page_names.h"
#include "res/resource.h"

DownloadPageIsv::DownloadPageIsv(std::shared_ptr<LanguageManager> languageManager)
    : DownloadPage(std::move(languageManager), IDD_DOWNLOAD_PAGE_ISV, "PAGE_ERROR_TITLE",
                   "PAGE_ERROR_TEXT") {}

std::wstring DownloadPageIsv::GetPageName() const { return page_name::kDownloadIsv; }

// Every item into its own folder of the working directory, under the address's own name.
std::pair<std::wstring, DownloadTarget> DownloadPageIsv::Source(const Package& item,
                                                                const std::wstring& folder) const {
    auto config = ConfigurationManager::GetInstance();
    const std::wstring& source = item.m_isMain ? config->m_downloadUrl : item.GetInstallerUrl();
    return {FullDownloadAddress(source, config->m_fileBaseUrl),
            DownloadTarget{folder, L"", true,
                           item.m_isMain ? config->m_downloadSha256 : item.m_sha256}};
}

std::wstring DownloadPageIsv::Arguments(const Package& item) const {
    auto config = ConfigurationManager::GetInstance();
    if (!item.m_isMain) return item.GetInstallerArguments();
    if (config->m_classicMode) {
        return ClassicInstallerArguments(config->m_options, config->m_configurations);
    }
    return config->m_mainInstallerArguments;
}

void DownloadPageIsv::OnDownloadsDone() {
    if (m_onBackgroundWorkStarted) m_onBackgroundWorkStarted();
    SetMarquee();
}

void DownloadPageIsv::LoadPicture() {
    m_picture.LoadFromResource(IDR_IMAGE_DOWNLOAD, L"IMAGE_BLOB");
}
