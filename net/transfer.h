// The pieces of a file download shared by its two transfers (WinHTTP, then WinINet): the
// failure messages, the output file with its progress messages, and the transfers.
#pragma once

#include "net/download_manager.h"
#include "net/sha256.h"
#include "base/handle.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// At most this many redirects are followed, by both transfers alike.
constexpr int kMaxRedirects = 5;
// The largest resource a memory download accepts (pictures of the pages): far above any
// page image, far below what a 32-bit process can afford several times at once.
constexpr size_t kMemoryDownloadCap = 16 * 1024 * 1024;

// A failure inside a transfer: the message travels in an Error.
[[noreturn]] void ThrowTransferError(const std::wstring& message);

// prefix + "<code> - <system text of code>".
std::wstring ErrorText(const std::wstring& prefix, DWORD code);

// ThrowTransferError(ErrorText(prefix, GetLastError())).
[[noreturn]] void ThrowLastError(const std::wstring& prefix);

// A Content-Length value: decimal digits (up to 64 bits) with optional surrounding spaces,
// or nothing when it is not such a number.
std::optional<uint64_t> ParseContentLength(const std::wstring& text);

// An expected SHA-256 digest: 64 hexadecimal digits in either case, lower-cased; nothing
// when the text is not one.
std::optional<std::string> ParseSha256(const std::wstring& text);

// Percentages to post while a file of known length arrives: one each time the share has
// grown by more than one percentage point since the last one.
class DownloadProgress {
public:
    explicit DownloadProgress(uint64_t length) : m_length(length) {}
    // The percentage due after `bytes` more arrived, or -1.
    int Add(DWORD bytes);

private:
    uint64_t m_length;
    double m_share = 0;
    double m_reported = 0;
};

// The file a transfer writes, and the progress messages it posts to the window.
class DownloadFile {
public:
    // Opens the file for writing, emptying it; a failure is reported by RequireOpen.
    // expectedSha256 is empty or 64 lowercase hexadecimal digits.
    DownloadFile(const std::wstring& path, HWND window, const std::string& expectedSha256);
    DownloadFile(const DownloadFile&) = delete;
    DownloadFile& operator=(const DownloadFile&) = delete;

    // The length the server announced; without one, posts WM_DOWNLOAD_SIZE_UNKNOWN.
    void SetLength(std::optional<uint64_t> length);
    // Throws "Failed to open file for writing: ..." when the file could not be opened.
    void RequireOpen() const;
    void Write(const void* data, DWORD size);
    // Closes the file and, when the length is known, checks the size on disk against it
    // (reopenFailure gives the message when the size cannot be read); then checks the
    // digest of what was written when one is expected, and posts 100 %.
    void Finish(const std::function<std::wstring(DWORD code)>& reopenFailure);

private:
    void Post(UINT message, WPARAM percent) const;

    std::wstring m_path;
    HWND m_window;
    win32::unique_file m_file;
    DWORD m_openError = 0;
    std::optional<uint64_t> m_length;
    DownloadProgress m_progress{0};
    std::string m_expectedSha256;
    Sha256 m_digest;
};

// One file transfer: where from, where to, whom to tell, what to expect, and when to stop.
struct FileTransfer {
    std::wstring url;
    std::wstring path;
    HWND window;
    std::string expectedSha256;  // empty, or 64 lowercase hexadecimal digits
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
