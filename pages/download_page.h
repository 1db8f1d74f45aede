// What both download pages share: the queue of downloads one at a time, the starts of the
// downloaded installers one at a time, both polled from window timers, the progress bar
// and the events of each outcome.
#pragma once

#include "net/download_manager.h"
#include "net/launch.h"
#include "pages/ipage.h"
#include "pages/static_from_image.h"

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>

class Package;

// The folder of the index-th queued item: a subfolder of the working directory of its
// own, so that files of the same name never replace each other.
std::wstring ItemFolder(const std::wstring& workingDirectory, size_t index);

class DownloadPage : public WizardPage {
public:
    static constexpr UINT_PTR kDownloadTimer = 4096;
    static constexpr UINT_PTR kInstallTimer = 4098;

    // Queues the main product and the accepted offers and starts the first download.
    void OnNavigateToPage() override;

    // Set by the host: installing has begun / the waited-for installer or the queue is done.
    std::function<void()> m_onBackgroundWorkStarted;
    std::function<void()> m_onBackgroundWorkFinished;

protected:
    // errorTitle and errorText: the keys of the texts the error page shows when the main
    // product failed.
    DownloadPage(std::shared_ptr<LanguageManager> languageManager, UINT templateId,
                 const char* errorTitle, const char* errorText);

    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // Where the item comes from and where it goes (folder is its own subfolder).
    virtual std::pair<std::wstring, DownloadTarget> Source(const Package& item,
                                                           const std::wstring& folder) const = 0;
    // A download that succeeded; the default queues the file for its start.
    virtual void OnDownloaded(const std::shared_ptr<Package>& item, const std::wstring& path);
    // The arguments the item's installer is started with.
    virtual std::wstring Arguments(const Package& item) const;
    // Called once the last download has ended, before the first start.
    virtual void OnDownloadsDone() {}
    // The picture above the texts.
    virtual void LoadPicture() = 0;

    void SetMarquee();
    // Event 3 for the item, or its failure event with "12": prefix followed by message.
    void Report(Package& item, bool success, const std::wstring& prefix,
                const std::wstring& message);
    void QueueStart(const std::shared_ptr<Package>& item, const std::wstring& path);

    CStaticFromImage m_picture;
    bool m_mainFailed = false;

private:
    struct PendingStart {
        std::shared_ptr<Package> item;
        std::wstring path;
        std::wstring folder;
    };

    void StartNextDownload();
    void CheckDownload();
    void StartNextInstall();
    void CheckInstall();
    void EndStep();
    void OnDownloadProgress(WPARAM percent);

    const char* m_errorTitle;
    const char* m_errorText;
    HWND m_progress = nullptr;
    bool m_marquee = false;
    bool m_started = false;
    size_t m_itemCount = 0;
    std::wstring m_currentFolder;
    std::unique_ptr<AsyncResult<DownloadManager::Result>> m_downloadTask;
    std::unique_ptr<PendingRun> m_installTask;
    std::deque<std::shared_ptr<Package>> m_downloadQueue;
    std::deque<PendingStart> m_installQueue;
};
