#include "net/download_manager.h"

#include "config/configuration_manager.h"
#include "base/encoding.h"
#include "base/error.h"
#include "net/file_name.h"
#include "net/transfer.h"
#include "net/url.h"
#include "ui/message_box.h"

#include <shlwapi.h>

#include <exception>
#include <optional>

namespace {

constexpr DWORD kFallbackPause = 2000;
constexpr int kMemoryAttempts = 2;

// One transfer: its success, or its failure message.
DownloadManager::Result Attempt(void (*transfer)(const FileTransfer&), const FileTransfer& job) {
    try {
        transfer(job);
        return {true, L""};
    } catch (const Error& error) {
        return {false, error.Text()};
    } catch (const std::exception& error) {
        return {false, Utf8ToWide(error.what())};  // out of memory, from the library
    }
}

}  // namespace

DownloadManager::Result DownloadManager::Download(const std::wstring& url, HWND window,
                                                  const std::wstring& fileName,
                                                  bool toWorkingDirectory,
                                                  const std::wstring& expectedSha256) {
    auto config = ConfigurationManager::GetInstance();
    return Download(
        url, window,
        DownloadTarget{toWorkingDirectory ? config->m_workingDirectory : config->m_downloadFolder,
                       fileName, false, WideToUtf8(expectedSha256)});
}

DownloadManager::Result DownloadManager::Download(const std::wstring& url, HWND window,
                                                  const DownloadTarget& target) {
    const std::optional<std::string> digest =
        target.sha256.empty() ? std::string() : ParseSha256(Utf8ToWide(target.sha256));
    if (!digest) {
        return {false, L"Download failed: invalid expected SHA-256: " + Utf8ToWide(target.sha256)};
    }
    const bool named = !target.fileName.empty();
    const std::wstring path = TargetPathIn(target.folder, named ? target.fileName : url, named);
    if (path.empty()) return {false, L"Download failed: no valid file name for " + url};
    // The file arrives beside its target and takes its place only when complete.
    const std::wstring partial = path + L".part";
    const FileTransfer job{url, partial, window, *digest, m_cancel, target.program};
    Result outcome = Attempt(&WinHttpFileTransfer, job);
    if (!outcome.first) {
        std::wstring message = L"[WINHTTP]" + outcome.second;
        // After a cancel nothing is tried again: the wizard is closing.
        if (!m_cancel) {
            Sleep(kFallbackPause);
            outcome = Attempt(&WinInetFileTransfer, job);
            if (!outcome.first) message += L" [WININET]" + outcome.second;
        }
        if (!outcome.first) outcome.second = message;
    }
    if (outcome.first && !MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        outcome = {false, ErrorText(L"Failed to replace the downloaded file: ", GetLastError())};
    }
    if (!outcome.first) {
        DeleteFileW(partial.c_str());
        return outcome;
    }
    LockGuard lock(m_lock);
    m_lastDownloadedFile = path;
    return {true, L""};
}

void DownloadManager::DownloadToMemory(const std::wstring& url, MemoryCallback callback) {
    auto done = std::make_shared<MemoryCallback>(std::move(callback));
    const bool started = StartThread([this, url, done] {
        Bytes bytes;
        for (int attempt = 0; attempt < kMemoryAttempts; ++attempt) {
            try {
                bytes = WinHttpMemoryTransfer(url, m_cancel);
                break;
            } catch (const std::exception&) {
                bytes.clear();
                if (m_cancel) break;
            }
        }
        (*done)(m_cancel ? nullptr : std::make_unique<Bytes>(std::move(bytes)));
    });
    // No thread: the same answer as two failed attempts.
    if (!started) (*done)(std::make_unique<Bytes>());
}

std::wstring DownloadManager::LastDownloadedFile() const {
    LockGuard lock(m_lock);
    return m_lastDownloadedFile;
}

std::wstring DownloadManager::TargetPath(const std::wstring& source, bool isFileName,
                                         bool toWorkingDirectory) {
    auto config = ConfigurationManager::GetInstance();
    return TargetPathIn(toWorkingDirectory ? config->m_workingDirectory : config->m_downloadFolder,
                        source, isFileName);
}

std::wstring DownloadManager::TargetPathIn(const std::wstring& folder, const std::wstring& source,
                                           bool isFileName) {
    if (!PathIsDirectoryW(folder.c_str())) {
        ShowMessageBox(nullptr, L"Invalid path", L"", MB_OK);
        return {};
    }
    return ConfinedPath(folder,
                        isFileName ? DownloadFileName(L"", source) : DownloadFileName(source, L""));
}
