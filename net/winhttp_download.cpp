// The WinHTTP transfers of the download engine: files and small resources in memory.
#include "net/transfer.h"
#include "base/encoding.h"
#include "net/url.h"
#include "net/winhttp_session.h"

#include <algorithm>

namespace {

constexpr DWORD kReadChunk = 64 * 1024;
const wchar_t kMemoryUserAgent[] = L"A WinHTTP Example Program/1.0";

// Handles of one answered GET, closed request first.
struct Response {
    win32::unique_winhttp session;
    win32::unique_winhttp connection;
    win32::unique_winhttp request;
};

std::optional<DWORD> QueryNumber(HINTERNET request, DWORD query) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (!WinHttpQueryHeaders(request, query | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &value, &size,
                             WINHTTP_NO_HEADER_INDEX)) {
        return std::nullopt;
    }
    return value;
}

// A header as text, whatever its length; empty when there is none.
std::wstring QueryText(HINTERNET request, DWORD query) {
    DWORD size = 0;
    WinHttpQueryHeaders(request, query, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER,
                        &size, WINHTTP_NO_HEADER_INDEX);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) return {};
    std::wstring text(size / sizeof(wchar_t), L'\0');
    if (!WinHttpQueryHeaders(request, query, WINHTTP_HEADER_NAME_BY_INDEX, text.data(), &size,
                             WINHTTP_NO_HEADER_INDEX)) {
        return {};
    }
    text.resize(size / sizeof(wchar_t));
    return text;
}

// Sends one GET and receives the answer's head; redirects are left to the caller.
Response SendGet(const std::wstring& url, const wchar_t* userAgent, DWORD accessType, DWORD flags) {
    Response response;
    response.session = OpenSession(userAgent, accessType);
    const std::optional<UrlParts> parts = CrackUrl(url);
    if (!parts) ThrowLastError(L"Invalid URL: ");
    response.connection.reset(
        WinHttpConnect(response.session.get(), parts->host.c_str(), parts->port, 0));
    if (!response.connection) ThrowLastError(L"Failed to connect: ");
    const std::wstring object = parts->path + parts->extra;
    response.request.reset(WinHttpOpenRequest(
        response.connection.get(), L"GET", object.c_str(), nullptr, WINHTTP_NO_REFERER,
        WINHTTP_DEFAULT_ACCEPT_TYPES, flags | (parts->secure ? WINHTTP_FLAG_SECURE : 0)));
    if (!response.request) ThrowLastError(L"Failed to open request: ");
    ApplyTimeouts(response.request.get());
    // Every redirect comes back here, so that the limit and the resolution of relative
    // locations are this program's own.
    DWORD noRedirects = WINHTTP_DISABLE_REDIRECTS;
    if (!WinHttpSetOption(response.request.get(), WINHTTP_OPTION_DISABLE_FEATURE, &noRedirects,
                          sizeof(noRedirects))) {
        ThrowLastError(L"Failed to open request: ");
    }
    if (!WinHttpSendRequest(response.request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                            WINHTTP_NO_REQUEST_DATA, 0, 0, 0)) {
        ThrowLastError(L"Failed to send request: ");
    }
    if (!WinHttpReceiveResponse(response.request.get(), nullptr))
        ThrowLastError(L"Failed to receive response: ");
    return response;
}

// A GET answered with 2xx, after at most five redirects; with secureOnly, each address
// must be https.
Response OpenGet(std::wstring url, const wchar_t* userAgent, DWORD accessType, DWORD flags,
                 bool secureOnly = false) {
    for (int redirects = 0;; ++redirects) {
        RequireSecure(secureOnly, url);
        Response response = SendGet(url, userAgent, accessType, flags);
        const DWORD status =
            QueryNumber(response.request.get(), WINHTTP_QUERY_STATUS_CODE).value_or(0);
        if (status >= 200 && status <= 299) return response;
        const std::wstring location =
            status >= 300 && status <= 399
                ? QueryText(response.request.get(), WINHTTP_QUERY_LOCATION)
                : L"";
        if (location.empty()) {
            ThrowTransferError(L"Download failed: Server returned status code: " +
                               DecimalText(status));
        }
        if (redirects == kMaxRedirects) ThrowTransferError(L"Too many redirects.");
        url = ResolveLocation(url, location);
    }
}

// Reads the body chunk by chunk into sink, stopping on the cancel flag.
void ReadBody(HINTERNET request, const std::atomic<bool>& cancel,
              const std::function<void(const char*, DWORD)>& sink) {
    std::vector<char> buffer(kReadChunk);
    for (;;) {
        if (cancel) ThrowTransferError(L"Download cancelled.");
        DWORD available = 0;
        if (!WinHttpQueryDataAvailable(request, &available))
            ThrowLastError(L"Failed to query data: ");
        if (available == 0) return;
        DWORD read = 0;
        if (!WinHttpReadData(request, buffer.data(), std::min(available, kReadChunk), &read)) {
            ThrowLastError(L"Failed to read data: ");
        }
        sink(buffer.data(), read);
    }
}

}  // namespace

void WinHttpFileTransfer(const FileTransfer& transfer) {
    DownloadFile file(transfer.path, transfer.window, transfer.expectedSha256);
    Response response = OpenGet(transfer.url, nullptr, ProxyAccessType(), 0, transfer.secureOnly);
    file.SetLength(
        ParseContentLength(QueryText(response.request.get(), WINHTTP_QUERY_CONTENT_LENGTH)));
    file.RequireOpen();
    ReadBody(response.request.get(), transfer.cancel,
             [&file](const char* data, DWORD size) { file.Write(data, size); });
    file.Finish([](DWORD) { return std::wstring(L"Failed to open downloaded file."); });
}

std::vector<unsigned char> WinHttpMemoryTransfer(const std::wstring& url,
                                                 const std::atomic<bool>& cancel) {
    Response response =
        OpenGet(url, kMemoryUserAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_FLAG_REFRESH);
    const std::wstring tooLarge =
        L"Download failed: larger than " + DecimalText(kMemoryDownloadCap) + L" bytes.";
    // An announced length over the cap fails before any of the body is read.
    const std::optional<uint64_t> length =
        ParseContentLength(QueryText(response.request.get(), WINHTTP_QUERY_CONTENT_LENGTH));
    if (length && *length > kMemoryDownloadCap) ThrowTransferError(tooLarge);
    std::vector<unsigned char> bytes;
    ReadBody(response.request.get(), cancel, [&bytes, &tooLarge](const char* data, DWORD size) {
        if (size > kMemoryDownloadCap - bytes.size()) ThrowTransferError(tooLarge);
        bytes.insert(bytes.end(), data, data + size);
    });
    return bytes;
}
