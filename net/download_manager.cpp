#include "net/download_manager.h"

#include "config/configuration_manager.h"
#include "base/encoding.h"
#include "base/error.h"
#include "net/sha256.h"
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

bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
    win32::unique_file file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    std::string buffer(64 * 1024, '\0');
    DWORD read = 0;
    while (ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr) &&
           read > 0) {
        bytes.append(buffer.data(), read);
    }
    return true;
}

// The downloaded file, checked against its digest, put in place of the target.
DownloadManager::Result Complete(const std::wstring& partial, const std::wstring& path,
                                 const std::string& sha256) {
    if (!sha256.empty()) {
        std::string bytes;
        if (!ReadWholeFile(partial, bytes) || Sha256Hex(bytes) != sha256) {
            return {false, L"The downloaded file does not match its SHA-256 digest."};
        }
    }
    if (!MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        return {false, ErrorText(L"Failed to replace the downloaded file: ", GetLastError())};
    }
    return {true, L""};
}

}  // namespace

DownloadManager::Result DownloadManager::Download(const std::wstring& url, HWND window,
                                                  const std::wstring& fileName,
                                                  bool toWorkingDirectory) {
    auto config = ConfigurationManager::GetInstance();
    return Download(
        url, window,
        DownloadTarget{toWorkingDirectory ? config->m_workingDirectory : config->m_downloadFolder,
                       fileName});
}

DownloadManager::Result DownloadManager::Download(const std::wstring& url, HWND window,
                                                  const DownloadTarget& target) {
    const bool named = !target.fileName.empty();
    const std::wstring path = TargetPathIn(target.folder, named ? target.fileName : url, named);
    const std::wstring partial = path.empty() ? L"" : path + L".part";
    FileTransfer job{url, partial, window, m_cancel, target.program};
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
    if (outcome.first) outcome = Complete(partial, path, target.sha256);
    if (!outcome.first) {
        if (!partial.empty()) DeleteFileW(partial.c_str());
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
    const std::wstring name =
        isFileName ? DownloadFileName(L"", source) : DownloadFileName(source, L"");
    wchar_t path[MAX_PATH] = {};
    if (name.empty() || folder.size() >= MAX_PATH) return {};
    folder.copy(path, folder.size());
    if (!PathAppendW(path, name.c_str())) return {};
    // The joined path must name an entry directly in the folder.
    std::wstring joined = path;
    PathRemoveFileSpecW(path);
    wchar_t parent[MAX_PATH] = {};
    folder.copy(parent, folder.size());
    PathRemoveBackslashW(parent);
    return lstrcmpiW(path, parent) == 0 ? joined : L"";
}
