#include "net/download_manager.h"

#include "config/configuration_manager.h"
#include "base/encoding.h"
#include "base/error.h"
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
                                                  bool toWorkingDirectory) {
    const bool named = !fileName.empty();
    const FileTransfer job{url, TargetPath(named ? fileName : url, named, toWorkingDirectory),
                           window, m_cancel};
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
            if (!job.path.empty()) DeleteFileW(job.path.c_str());
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
    const std::wstring name =
        isFileName ? DownloadFileName(L"", source) : DownloadFileName(source, L"");
    wchar_t path[MAX_PATH] = {};
    if (name.empty() || folder.size() >= MAX_PATH) return {};
    folder.copy(path, folder.size());
    return PathAppendW(path, name.c_str()) ? path : L"";
}
