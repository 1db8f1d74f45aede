// The WinINet transfer of the download engine, tried when the WinHTTP one failed.
#include "net/transfer.h"

#include <wininet.h>

#include "base/handle.h"  // after <wininet.h>: its HINTERNET owner

namespace {

using win32::unique_wininet;

constexpr DWORD kReadChunk = 4096;

std::optional<DWORD> QueryNumber(HINTERNET request, DWORD query) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (!HttpQueryInfoW(request, query | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr))
        return std::nullopt;
    return value;
}

}  // namespace

void WinInetFileTransfer(const FileTransfer& transfer) {
    RequireSecure(transfer.secureOnly, transfer.url);
    DownloadFile file(transfer.path, transfer.window);
    unique_wininet session(InternetOpenW(L"", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) ThrowLastError(L"Failed to initialize WinINet:: ");
    // WinINet follows redirects out of sight, to any scheme: for a program it follows none
    // (the WinHTTP transfer checks each one), and a redirect is a failure.
    const DWORD flags =
        INTERNET_FLAG_RELOAD | (transfer.secureOnly ? INTERNET_FLAG_NO_AUTO_REDIRECT : 0);
    unique_wininet request(
        InternetOpenUrlW(session.get(), transfer.url.c_str(), nullptr, 0, flags, 0));
    if (!request) ThrowLastError(L"Failed to open URL:: ");
    const std::optional<DWORD> status = QueryNumber(request.get(), HTTP_QUERY_STATUS_CODE);
    if (!status) ThrowLastError(L"Failed to query HTTP status code: ");
    if (*status != HTTP_STATUS_OK)
        ThrowTransferError(ErrorText(L"Server returned status code: HTTP ", *status));
    file.SetLength(QueryNumber(request.get(), HTTP_QUERY_CONTENT_LENGTH));
    file.RequireOpen();
    char buffer[kReadChunk];
    for (;;) {
        if (transfer.cancel) ThrowTransferError(L"Download cancelled.");
        DWORD read = 0;
        // A failing read ends the body as its end does; the size check below tells them apart.
        if (!InternetReadFile(request.get(), buffer, kReadChunk, &read) || read == 0) break;
        file.Write(buffer, read);
    }
    file.Finish([](DWORD code) { return ErrorText(L"Failed to open downloaded file: ", code); });
}
