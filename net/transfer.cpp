#include "net/transfer.h"

#include "net/timeouts.h"

#include "base/encoding.h"
#include "base/system_info.h"

#include "base/error.h"

#include <algorithm>

NetworkTimeouts& TransferTimeouts() {
    static NetworkTimeouts timeouts = kDefaultNetworkTimeouts;
    return timeouts;
}

void ThrowTransferError(const std::wstring& message) { throw Error(message); }

std::wstring ErrorText(const std::wstring& prefix, DWORD code) {
    return prefix + DecimalText(static_cast<int>(code)) + L" - " + SystemErrorText(code);
}

void ThrowLastError(const std::wstring& prefix) {
    ThrowTransferError(ErrorText(prefix, GetLastError()));
}

std::optional<uint64_t> ParseContentLength(const std::wstring& text) {
    const size_t first = text.find_first_not_of(L' ');
    const size_t last = text.find_last_not_of(L' ');
    if (first == std::wstring::npos) return std::nullopt;
    uint64_t value = 0;
    for (size_t i = first; i <= last; ++i) {
        const wchar_t c = text[i];
        if (c < L'0' || c > L'9') return std::nullopt;
        const unsigned digit = static_cast<unsigned>(c - L'0');
        if (value > (UINT64_MAX - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

std::optional<std::string> ParseSha256(const std::wstring& text) {
    std::string digest = WideToUtf8(text);
    if (!IsSha256Hex(digest)) return std::nullopt;
    for (char& c : digest) {
        if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
    }
    return digest;
}

int DownloadProgress::Add(DWORD bytes) {
    if (m_length == 0) return -1;
    m_share += static_cast<double>(bytes) / static_cast<double>(m_length);
    if (m_share - m_reported <= 0.01) return -1;
    m_reported = m_share;
    return std::min(static_cast<int>(m_share * 100), 100);
}

DownloadFile::DownloadFile(const std::wstring& path, HWND window, const std::string& expectedSha256)
    : m_path(path),
      m_window(window),
      m_file(CreateFileW(path.c_str(), GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)),
      m_expectedSha256(expectedSha256) {
    if (!m_file) m_openError = GetLastError();
}

void DownloadFile::SetLength(std::optional<uint64_t> length) {
    m_length = length;
    if (length) {
        m_progress = DownloadProgress(*length);
    } else {
        Post(WM_DOWNLOAD_SIZE_UNKNOWN, 0);
    }
}

void DownloadFile::RequireOpen() const {
    if (!m_file) ThrowTransferError(ErrorText(L"Failed to open file for writing: ", m_openError));
}

void DownloadFile::Write(const void* data, DWORD size) {
    DWORD written = 0;
    if (!WriteFile(m_file.get(), data, size, &written, nullptr) || written != size) {
        ThrowLastError(L"Failed to write to file: ");
    }
    if (!m_expectedSha256.empty()) m_digest.Update(data, size);
    const int percent = m_length ? m_progress.Add(size) : -1;
    if (percent >= 0) Post(WM_DOWNLOAD_PROGRESS, static_cast<WPARAM>(percent));
}

void DownloadFile::Finish(const std::function<std::wstring(DWORD code)>& reopenFailure) {
    m_file.reset();
    if (m_length) {
        WIN32_FILE_ATTRIBUTE_DATA attributes = {};
        if (!GetFileAttributesExW(m_path.c_str(), GetFileExInfoStandard, &attributes)) {
            ThrowTransferError(reopenFailure(GetLastError()));
        }
        const ULONGLONG size =
            (static_cast<ULONGLONG>(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow;
        if (size != *m_length) {
            ThrowTransferError(L"Download was incomplete: content length: " +
                               DecimalText(*m_length) + L", downloaded: " + DecimalText(size));
        }
    }
    if (!m_expectedSha256.empty()) {
        const std::string actual = m_digest.HexDigest();
        if (actual != m_expectedSha256) {
            ThrowTransferError(L"Download failed: hash mismatch: expected SHA-256 " +
                               Utf8ToWide(m_expectedSha256) + L", received " + Utf8ToWide(actual));
        }
    }
    if (m_length && *m_length != 0) Post(WM_DOWNLOAD_PROGRESS, 100);
}

void DownloadFile::Post(UINT message, WPARAM percent) const {
    if (m_window) PostMessageW(m_window, message, percent, 0);
}

bool IsHttpsUrl(const std::wstring& url) {
    static const wchar_t kScheme[] = L"https://";
    if (url.size() < 8) return false;
    for (size_t i = 0; i < 8; ++i) {
        if (towlower(url[i]) != kScheme[i]) return false;
    }
    return true;
}

void RequireSecure(bool secureOnly, const std::wstring& url) {
    if (secureOnly && !IsHttpsUrl(url)) {
        ThrowTransferError(L"Refused: a program is downloaded only over HTTPS: " + url);
    }
}
