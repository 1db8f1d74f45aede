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
    const std::optional<std::string> digest =
        expectedSha256.empty() ? std::string() : ParseSha256(expectedSha256);
    if (!digest) return {false, L"Download failed: invalid expected SHA-256: " + expectedSha256};
    const bool named = !fileName.empty();
    const FileTransfer job{url, TargetPath(named ? fileName : url, named, toWorkingDirectory),
                           window, *digest, m_cancel};
    if (job.path.empty()) return {false, L"Download failed: no valid file name for " + url};
    Result outcome = Attempt(&WinHttpFileTransfer, job);
    if (!outcome.first) {
        std::wstring message = L"[WINHTTP]" + outcome.second;
        // After a cancel nothing is tried again: the wizard is closing.
        if (!m_cancel) {
            Sleep(kFallbackPause);
            outcome = Attempt(&WinInetFileTransfer, job);
            if (!outcome.first) message += L" [WININET]" + outcome.second;
        }
        if (!outcome.first) {
            DeleteFileW(job.path.c_str());
            return {false, message};
        }
    }
    LockGuard lock(m_lock);
    m_lastDownloadedFile = job.path;
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
    const std::wstring folder =
        toWorkingDirectory ? config->m_workingDirectory : config->m_downloadFolder;
    if (!PathIsDirectoryW(folder.c_str())) {
        ShowMessageBox(nullptr, L"Invalid path", L"", MB_OK);
        return {};
    }
    return ConfinedPath(folder,
                        isFileName ? DownloadFileName(L"", source) : DownloadFileName(source, L""));
}
