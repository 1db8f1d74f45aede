// Downloads files (with progress messages to a window) and small resources (into memory).
#pragma once

#include "base/process_wide.h"
#include "base/thread.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// Posted to the window given to Download: wParam is the percentage downloaded (0 to 100).
constexpr UINT WM_DOWNLOAD_PROGRESS = WM_USER + 1;
// Posted to that window when the server announced no length: progress is indeterminate.
constexpr UINT WM_DOWNLOAD_SIZE_UNKNOWN = WM_USER + 2;

// Where a file download goes and what the file must satisfy.
struct DownloadTarget {
    std::wstring folder;    // an existing folder
    std::wstring fileName;  // empty: the address's own name
    bool program = false;   // a file that will be started: fetched only over HTTPS
    std::string sha256;     // the expected digest in hexadecimal digits; empty: unchecked
};

class DownloadManager {
public:
    // (success, failure message)
    using Result = std::pair<bool, std::wstring>;
    using Bytes = std::vector<unsigned char>;
    // Receives the downloaded bytes (empty after two failed attempts), or null when the
    // downloads were cancelled.
    using MemoryCallback = std::function<void(std::unique_ptr<Bytes>)>;

    static std::shared_ptr<DownloadManager> GetInstance() {
        return ProcessWide<DownloadManager>::Get();
    }

    // Downloads url into the download folder (or the working directory) under fileName, or
    // under the URL's own name when fileName is empty. Tries WinHTTP, then, 2 s later,
    // WinINet; a cancelled transfer is not tried again. When expectedSha256 is given (64
    // hexadecimal digits, either case), a file with another digest fails the transfer. A
    // failed download leaves no file. Blocking: run it on a worker.
    Result Download(const std::wstring& url, HWND window, const std::wstring& fileName,
                    bool toWorkingDirectory, const std::wstring& expectedSha256 = L"");
    // The same into target.folder. The file arrives under a temporary name beside the
    // target, which it replaces only once complete: a failure leaves a file already there
    // untouched.
    Result Download(const std::wstring& url, HWND window, const DownloadTarget& target);

    // Downloads url into memory on a thread of its own (two attempts) and calls callback
    // there.
    void DownloadToMemory(const std::wstring& url, MemoryCallback callback);

    // Stops every transfer at its next chunk, for good. Called when the wizard closes.
    void RequestCancel() { m_cancel = true; }

    // The full path of the last file download that succeeded.
    std::wstring LastDownloadedFile() const;

    // Where a download goes: the folder, then source when isFileName, otherwise the last
    // segment of the URL source, confined to the folder (ConfinedPath). Empty when there is
    // no safe name, and (after an "Invalid path" message box) when the folder does not exist.
    static std::wstring TargetPath(const std::wstring& source, bool isFileName,
                                   bool toWorkingDirectory);
    // The same in folder.
    static std::wstring TargetPathIn(const std::wstring& folder, const std::wstring& source,
                                     bool isFileName);

private:
    friend class ProcessWide<DownloadManager>;
    DownloadManager() = default;

    std::atomic<bool> m_cancel{false};
    mutable Lock m_lock;  // guards m_lastDownloadedFile
    std::wstring m_lastDownloadedFile;
};
