#include "net/download_manager.h"

#include "config/configuration_manager.h"
#include "base/encoding.h"
#include "net/transfer.h"
#include "net/url.h"
#include "ui/message_box.h"

#include <shlwapi.h>

#include <exception>
#include <optional>

namespace {

constexpr DWORD kFallbackPause = 2000;
constexpr int kMemoryAttempts = 2;

// The failure message of a transfer, or nothing when it succeeded.
std::optional<std::wstring> Run(void (*transfer)(const FileTransfer&), const FileTransfer& job) {
    try {
        transfer(job);
        return std::nullopt;
    } catch (const std::exception& error) {
        return Utf8ToWide(error.what());
    }
}

}  // namespace

DownloadManager::Result DownloadManager::Download(const std::wstring& url, HWND window,
                                                  const std::wstring& fileName,
                                                  bool toWorkingDirectory) {
    const bool named = !fileName.empty();
    const FileTransfer job{url, TargetPath(named ? fileName : url, named, toWorkingDirectory),
                           window, m_cancel};
    std::optional<std::wstring> error = Run(&WinHttpFileTransfer, job);
    std::wstring message;
    if (error) {
        message = L"[WINHTTP]" + *error;
        // After a cancel nothing is tried again: the wizard is closing.
        if (!m_cancel) {
            Sleep(kFallbackPause);
            error = Run(&WinInetFileTransfer, job);
            if (error) message += L" [WININET]" + *error;
        }
    }
    if (error) {
        if (!job.path.empty()) DeleteFileW(job.path.c_str());
        return {false, message};
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
