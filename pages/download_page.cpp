#include "pages/download_page.h"

#include "analytics/event_code.h"
#include "base/encoding.h"
#include "config/configuration_manager.h"
#include "offers/package.h"
#include "res/resource.h"

#include <commctrl.h>
#include <nlohmann/json.hpp>

namespace {

constexpr UINT kPollMs = 100;
constexpr UINT kMarqueeIntervalMs = 30;

}  // namespace

std::wstring ItemFolder(const std::wstring& workingDirectory, size_t index) {
    return workingDirectory + L"\\" + DecimalText(index);
}

DownloadPage::DownloadPage(std::shared_ptr<LanguageManager> languageManager, UINT templateId,
                           const char* errorTitle, const char* errorText)
    : WizardPage(std::move(languageManager), templateId),
      m_errorTitle(errorTitle),
      m_errorText(errorText) {}

BOOL DownloadPage::OnInitDialog() {
    AddLocalizedControl(IDC_PROGRESS_TITLE, "PROGRESS_TITLE");
    AddLocalizedControl(IDC_PROGRESS_DESC, "PROGRESS_DESC");
    UpdateTexts();
    m_progress = Item(IDC_PROGRESS);
    m_picture.Attach(Item(IDC_PAGE_PICTURE));
    LoadPicture();
    return TRUE;
}

bool DownloadPage::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    switch (message) {
        case WM_TIMER:
            if (wParam == kDownloadTimer) CheckDownload();
            if (wParam == kInstallTimer) CheckInstall();
            return false;
        case WM_DOWNLOAD_PROGRESS:
            OnDownloadProgress(wParam);
            break;
        case WM_DOWNLOAD_SIZE_UNKNOWN:
            SetMarquee();
            break;
        default:
            return false;
    }
    result = 0;
    return true;
}

void DownloadPage::OnNavigateToPage() {
    if (m_started) return;  // the queue is worked once
    m_started = true;
    auto config = ConfigurationManager::GetInstance();
    if (config->m_mainPackage) m_downloadQueue.push_back(config->m_mainPackage);
    for (const auto& offer : config->m_acceptedPackages) m_downloadQueue.push_back(offer);
    StartNextDownload();
}

void DownloadPage::StartNextDownload() {
    auto config = ConfigurationManager::GetInstance();
    if (config->m_closing || m_downloadQueue.empty()) return;
    m_currentFolder = ItemFolder(config->m_workingDirectory, ++m_itemCount);
    CreateDirectoryW(m_currentFolder.c_str(), nullptr);
    auto [url, target] = Source(*m_downloadQueue.front(), m_currentFolder);
    HWND window = GetSafeHwnd();
    m_downloadTask = std::make_unique<AsyncResult<DownloadManager::Result>>(
        [url = std::move(url), target = std::move(target), window] {
            return DownloadManager::GetInstance()->Download(url, window, target);
        },
        DownloadManager::Result{false, L"no thread could be started"});
    SetTimer(GetSafeHwnd(), kDownloadTimer, kPollMs, nullptr);
}

void DownloadPage::CheckDownload() {
    if (!m_downloadTask || !m_downloadTask->Ready()) return;
    KillTimer(GetSafeHwnd(), kDownloadTimer);
    const std::shared_ptr<Package> item = m_downloadQueue.front();
    m_downloadQueue.pop_front();
    const auto [success, message] = m_downloadTask->Get();
    m_downloadTask.reset();
    if (success) {
        OnDownloaded(item, DownloadManager::GetInstance()->LastDownloadedFile());
    } else {
        Report(*item, false, L"DOWNLOAD FAILED: ", message);
        if (item->m_isMain) m_mainFailed = true;
    }
    if (!m_downloadQueue.empty()) {
        StartNextDownload();
    } else if (!ConfigurationManager::GetInstance()->m_closing) {
        OnDownloadsDone();
        StartNextInstall();
    }
}

void DownloadPage::OnDownloaded(const std::shared_ptr<Package>& item, const std::wstring& path) {
    if (item->m_isMain) ConfigurationManager::GetInstance()->m_downloadedFilePath = path;
    QueueStart(item, path);
}

void DownloadPage::QueueStart(const std::shared_ptr<Package>& item, const std::wstring& path) {
    m_installQueue.push_back({item, path, m_currentFolder});
}

std::wstring DownloadPage::Arguments(const Package& item) const {
    return item.GetInstallerArguments();
}

// One start at a time: the main installer is waited for, an offer's only started; either
// way the result is read before the next.
void DownloadPage::StartNextInstall() {
    if (m_installQueue.empty()) {
        EndStep();
        return;
    }
    const PendingStart& next = m_installQueue.front();
    m_installTask =
        RunDownloadedFileAsync(next.path, Arguments(*next.item), next.item->m_isMain, next.folder);
    SetTimer(GetSafeHwnd(), kInstallTimer, kPollMs, nullptr);
}

void DownloadPage::CheckInstall() {
    if (!m_installTask || !m_installTask->Ready()) return;
    KillTimer(GetSafeHwnd(), kInstallTimer);
    const PendingStart done = m_installQueue.front();
    m_installQueue.pop_front();
    const RunResult result = m_installTask->Get();
    if (done.item->m_isMain) {
        if (m_onBackgroundWorkFinished) m_onBackgroundWorkFinished();
        const bool installed = result.exitCode == 0;
        if (installed) ConfigurationManager::GetInstance()->m_downloadedFilePath = result.path;
        m_mainFailed = m_mainFailed || !installed;
        Report(*done.item, installed, L"EXEC FAILED: ", result.message);
    } else {
        Report(*done.item, result.started, L"EXEC FAILED: ", result.message);
    }
    StartNextInstall();
}

void DownloadPage::EndStep() {
    if (m_onBackgroundWorkFinished) m_onBackgroundWorkFinished();
    if (m_mainFailed && m_onError) {
        m_onError(m_languageManager->GetText(m_errorTitle),
                  m_languageManager->GetText(m_errorText));
    } else if (!m_mainFailed) {
        Press(ButtonType::Next);
    }
}

void DownloadPage::Report(Package& item, bool success, const std::wstring& prefix,
                          const std::wstring& message) {
    if (success) {
        item.SendEvent(EventCode::Completed);
        return;
    }
    const bool flagged = item.m_isMain && ConfigurationManager::GetInstance()->m_failureEventFlag;
    item.SendEvent(flagged ? EventCode::Completed : EventCode::DownloadOrRunFailed,
                   nlohmann::json{{"12", WideToUtf8(prefix + message)}});
}

void DownloadPage::SetMarquee() {
    SendMessageW(m_progress, PBM_SETRANGE32, 0, 100);
    SendMessageW(m_progress, PBM_SETPOS, 0, 0);
    SendMessageW(m_progress, PBM_SETMARQUEE, TRUE, kMarqueeIntervalMs);
    SetWindowLongW(m_progress, GWL_STYLE, GetWindowLongW(m_progress, GWL_STYLE) | PBS_MARQUEE);
    m_marquee = true;
}

void DownloadPage::OnDownloadProgress(WPARAM percent) {
    if (percent > 100) {
        SetMarquee();
        return;
    }
    if (m_marquee) {
        SendMessageW(m_progress, PBM_SETMARQUEE, FALSE, 0);
        SendMessageW(m_progress, PBM_SETRANGE32, 0, 100);
        SendMessageW(m_progress, PBM_SETPOS, 0, 0);
        SendMessageW(m_progress, PBM_SETSTEP, 1, 0);
        SetWindowLongW(m_progress, GWL_STYLE, GetWindowLongW(m_progress, GWL_STYLE) & ~PBS_MARQUEE);
        m_marquee = false;
    }
    SendMessageW(m_progress, PBM_SETPOS, percent, 0);
}
