// The WinINet transfer of the download engine, tried when the WinHTTP one failed.
#include "net/transfer.h"

#include "base/encoding.h"
#include "base/thread.h"
#include "net/timeouts.h"
#include "net/url.h"

#include <wininet.h>

#include <exception>
#include <memory>

#include "base/handle.h"  // after <wininet.h>: its HINTERNET owner

namespace {

using win32::unique_wininet;

constexpr DWORD kReadChunk = 4096;

// Handles of one answered GET, closed request first.
struct Response {
    unique_wininet session;
    unique_wininet connection;
    unique_wininet request;
};

std::optional<DWORD> QueryNumber(HINTERNET request, DWORD query) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (!HttpQueryInfoW(request, query | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr))
        return std::nullopt;
    return value;
}

// A header as text, whatever its length; empty when there is none.
std::wstring QueryText(HINTERNET request, DWORD query) {
    DWORD size = 0;
    HttpQueryInfoW(request, query, nullptr, &size, nullptr);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) return {};
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    if (!HttpQueryInfoW(request, query, text.data(), &size, nullptr)) return {};
    text.resize(size / sizeof(wchar_t));
    return text;
}

// Connection, send and receive time-outs; WinINet has none for name resolution. Its
// connection handles do not inherit the session's send and receive time-outs, so every
// handle gets them.
void ApplyInternetTimeouts(HINTERNET handle) {
    const NetworkTimeouts& timeouts = TransferTimeouts();
    const std::pair<DWORD, DWORD> options[] = {{INTERNET_OPTION_CONNECT_TIMEOUT, timeouts.connect},
                                               {INTERNET_OPTION_SEND_TIMEOUT, timeouts.send},
                                               {INTERNET_OPTION_RECEIVE_TIMEOUT, timeouts.receive}};
    for (auto [option, value] : options) {
        if (!InternetSetOptionW(handle, option, &value, sizeof(value)))
            ThrowLastError(L"Failed to set time-outs: ");
    }
}

// Sends one GET and receives the answer's head; redirects are left to the caller.
Response SendGet(const std::wstring& url) {
    URL_COMPONENTSW parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength =
        static_cast<DWORD>(-1);
    if (!InternetCrackUrlW(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts))
        ThrowLastError(L"Failed to open URL:: ");
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    const std::wstring object = std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
                                std::wstring(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    Response response;
    response.session.reset(InternetOpenW(L"", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!response.session) ThrowLastError(L"Failed to initialize WinINet:: ");
    ApplyInternetTimeouts(response.session.get());
    response.connection.reset(InternetConnectW(response.session.get(), host.c_str(), parts.nPort,
                                               nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!response.connection) ThrowLastError(L"Failed to open URL:: ");
    ApplyInternetTimeouts(response.connection.get());
    // Every redirect comes back here, so that the limit is this program's own.
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_AUTO_REDIRECT;
    if (parts.nScheme == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;
    response.request.reset(HttpOpenRequestW(response.connection.get(), L"GET", object.c_str(),
                                            nullptr, nullptr, nullptr, flags, 0));
    if (!response.request) ThrowLastError(L"Failed to open URL:: ");
    ApplyInternetTimeouts(response.request.get());
    if (!HttpSendRequestW(response.request.get(), nullptr, 0, nullptr, 0))
        ThrowLastError(L"Failed to open URL:: ");
    return response;
}

// One SendGet on a helper thread, given up when it has not ended within the sum of the
// time-outs: Wine's WinINet waits for a TLS handshake without any time-out. A helper given
// up on owns its handles and closes them whenever its call returns.
Response SendGetInTime(const std::wstring& url) {
    struct Outcome {
        Lock lock;
        bool givenUp = false;
        std::optional<Response> response;
        std::exception_ptr failure;
        win32::unique_handle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    };
    auto outcome = std::make_shared<Outcome>();
    if (!outcome->done) ThrowLastError(L"Failed to open URL:: ");
    const bool started = StartThread([outcome, url] {
        std::optional<Response> response;
        std::exception_ptr failure;
        try {
            response = SendGet(url);
        } catch (...) {
            failure = std::current_exception();
        }
        LockGuard lock(outcome->lock);
        if (outcome->givenUp) return;
        outcome->response = std::move(response);
        outcome->failure = failure;
        SetEvent(outcome->done.get());
    });
    if (!started) ThrowLastError(L"Failed to open URL:: ");
    const NetworkTimeouts& timeouts = TransferTimeouts();
    const DWORD limit = timeouts.resolve + timeouts.connect + timeouts.send + timeouts.receive;
    WaitForSingleObject(outcome->done.get(), limit);
    LockGuard lock(outcome->lock);
    if (!outcome->response && !outcome->failure) {
        outcome->givenUp = true;
        ThrowTransferError(ErrorText(L"Failed to open URL:: ", ERROR_INTERNET_TIMEOUT));
    }
    if (outcome->failure) std::rethrow_exception(outcome->failure);
    return std::move(*outcome->response);
}

// A GET answered with 200, after at most kMaxRedirects redirects; with secureOnly, each
// address must be https.
Response OpenGet(std::wstring url, bool secureOnly) {
    for (int redirects = 0;; ++redirects) {
        RequireSecure(secureOnly, url);
        Response response = SendGetInTime(url);
        const std::optional<DWORD> status =
            QueryNumber(response.request.get(), HTTP_QUERY_STATUS_CODE);
        if (!status) ThrowLastError(L"Failed to query HTTP status code: ");
        if (*status == HTTP_STATUS_OK) return response;
        const std::wstring location = *status >= 300 && *status <= 399
                                          ? QueryText(response.request.get(), HTTP_QUERY_LOCATION)
                                          : L"";
        if (location.empty())
            ThrowTransferError(ErrorText(L"Server returned status code: HTTP ", *status));
        if (redirects == kMaxRedirects) ThrowTransferError(L"Too many redirects.");
        url = ResolveLocation(url, location);
    }
}

}  // namespace

void WinInetFileTransfer(const FileTransfer& transfer) {
    DownloadFile file(transfer.path, transfer.window, transfer.expectedSha256);
    Response response = OpenGet(transfer.url, transfer.secureOnly);
    file.SetLength(
        ParseContentLength(QueryText(response.request.get(), HTTP_QUERY_CONTENT_LENGTH)));
    file.RequireOpen();
    char buffer[kReadChunk];
    for (;;) {
        if (transfer.cancel) ThrowTransferError(L"Download cancelled.");
        DWORD read = 0;
        // A broken stream is a failure, never the end of the body.
        if (!InternetReadFile(response.request.get(), buffer, kReadChunk, &read))
            ThrowLastError(L"Failed to read data: ");
        if (read == 0) break;
        file.Write(buffer, read);
    }
    file.Finish([](DWORD code) { return ErrorText(L"Failed to open downloaded file: ", code); });
}
