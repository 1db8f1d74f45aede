// The pieces of a file download shared by its two transfers (WinHTTP, then WinINet): the
// failure messages, the output file with its progress messages, and the transfers.
#pragma once

#include "net/download_manager.h"
#include "base/handle.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// A failure inside a transfer: the message travels in an Error.
[[noreturn]] void ThrowTransferError(const std::wstring& message);

// prefix + "<code> - <system text of code>".
std::wstring ErrorText(const std::wstring& prefix, DWORD code);

// ThrowTransferError(ErrorText(prefix, GetLastError())).
[[noreturn]] void ThrowLastError(const std::wstring& prefix);

// Percentages to post while a file of known length arrives: one each time the share has
// grown by more than one percentage point since the last one.
class DownloadProgress {
public:
    explicit DownloadProgress(DWORD length) : m_length(length) {}
    // The percentage due after `bytes` more arrived, or -1.
    int Add(DWORD bytes);

private:
    DWORD m_length;
    double m_share = 0;
    double m_reported = 0;
};

// The file a transfer writes, and the progress messages it posts to the window.
class DownloadFile {
public:
    // Opens the file for writing, emptying it; a failure is reported by RequireOpen.
    DownloadFile(const std::wstring& path, HWND window);
    DownloadFile(const DownloadFile&) = delete;
    DownloadFile& operator=(const DownloadFile&) = delete;

    // The length the server announced; without one, posts WM_DOWNLOAD_SIZE_UNKNOWN.
    void SetLength(std::optional<DWORD> length);
    // Throws "Failed to open file for writing: ..." when the file could not be opened.
    void RequireOpen() const;
    void Write(const void* data, DWORD size);
    // Closes the file and, when the length is known, checks the size on disk against it
    // (reopenFailure gives the message when the size cannot be read) and posts 100 %.
    void Finish(const std::function<std::wstring(DWORD code)>& reopenFailure);

private:
    void Post(UINT message, WPARAM percent) const;

    std::wstring m_path;
    HWND m_window;
    win32::unique_file m_file;
    DWORD m_openError = 0;
    std::optional<DWORD> m_length;
    DownloadProgress m_progress{0};
};

// One file transfer: where from, where to, whom to tell, and when to stop.
struct FileTransfer {
    std::wstring url;
    std::wstring path;
    HWND window;
    const std::atomic<bool>& cancel;
    bool secureOnly = false;  // every address, redirects included, must be https
};

// True when url begins with "https://" (any case).
bool IsHttpsUrl(const std::wstring& url);
// Throws the failure of a plain-HTTP address when secureOnly is set and url is not https.
void RequireSecure(bool secureOnly, const std::wstring& url);

// Each throws Error with the failure message (see ThrowTransferError).
void WinHttpFileTransfer(const FileTransfer& transfer);
void WinInetFileTransfer(const FileTransfer& transfer);
std::vector<unsigned char> WinHttpMemoryTransfer(const std::wstring& url,
                                                 const std::atomic<bool>& cancel);
