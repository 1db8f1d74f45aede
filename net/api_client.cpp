#include "net/api_client.h"

#include "config/configuration_manager.h"
#include "base/encoding.h"
#include "base/error.h"
#include "net/kelvara_exception.h"
#include "net/sha256.h"
#include "base/system_info.h"
#include "net/winhttp_session.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

namespace {

// The largest reply accepted: a configuration of hundreds of offers is a small fraction.
constexpr size_t kReplyCap = 4 * 1024 * 1024;

// Transfer diagnostics go to standard output, as whole lines.
void PrintDiagnostic(const std::string& line) { std::fputs((line + "\n").c_str(), stdout); }

void AddHeaders(HINTERNET request, const HeaderList& headers) {
    for (const auto& [name, value] : headers) {
        const std::wstring line = name + L": " + value;
        if (!WinHttpAddRequestHeaders(request, line.c_str(), static_cast<DWORD>(-1),
                                      WINHTTP_ADDREQ_FLAG_ADD)) {
            PrintDiagnostic("WinHttpAddRequestHeaders error: " +
                            std::to_string(static_cast<int>(GetLastError())));
        }
    }
}

// Appends the body to reply, each chunk up to its first NUL; problems end the reading
// (or skip a chunk) and are written to standard output. False when the reply outgrew
// kReplyCap: reply is then as it was before.
bool ReadReply(HINTERNET request, std::string& reply) {
    const size_t start = reply.size();
    for (;;) {
        DWORD available = 0;
        if (!WinHttpQueryDataAvailable(request, &available)) {
            PrintDiagnostic("Error " + std::to_string(GetLastError()) +
                            " in WinHttpQueryDataAvailable.");
            return true;
        }
        if (available == 0) return true;
        if (available > kReplyCap - (reply.size() - start)) {
            PrintDiagnostic("Reply larger than " + std::to_string(kReplyCap) + " bytes.");
            reply.resize(start);
            return false;
        }
        std::vector<char> chunk(static_cast<size_t>(available) + 1, '\0');
        DWORD read = 0;
        if (WinHttpReadData(request, chunk.data(), available, &read)) {
            reply.append(chunk.data(), strnlen(chunk.data(), read));
        } else {
            PrintDiagnostic("Error " + std::to_string(GetLastError()) + " in WinHttpReadData.");
        }
    }
}

bool Post(const std::wstring& host, const std::wstring& path, const std::string& body,
          HeaderList headers, std::string& reply, DWORD& status) {
    win32::unique_winhttp session;
    try {
        session = OpenSession(nullptr, ProxyAccessType());
    } catch (const Error&) {
        return false;
    }
    win32::unique_winhttp connection(
        WinHttpConnect(session.get(), host.c_str(), INTERNET_DEFAULT_HTTPS_PORT, 0));
    if (!connection) return false;
    win32::unique_winhttp request(
        WinHttpOpenRequest(connection.get(), L"POST", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                           WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_SECURE));
    if (!request) return false;
    try {
        ApplyTimeouts(request.get());
    } catch (const Error&) {
        return false;
    }
    headers.emplace_back(L"Expect", L"100-continue");
    headers.emplace_back(L"Content-Type", L"application/json");
    AddHeaders(request.get(), headers);
    const DWORD length = static_cast<DWORD>(body.size());
    if (!WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                            const_cast<char*>(body.data()), length, length, 0) ||
        !WinHttpReceiveResponse(request.get(), nullptr)) {
        return false;
    }
    DWORD size = sizeof(status);
    WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                        WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX);
    return ReadReply(request.get(), reply);
}

}  // namespace

bool PostJson(const std::wstring& host, const std::wstring& path, const std::string& body,
              HeaderList headers, std::string& reply, DWORD& status) {
    try {
        return Post(host, path, body, std::move(headers), reply, status);
    } catch (const std::bad_alloc&) {
        PrintDiagnostic("Out of memory");
        return false;
    }
}

bool PostJsonToUrl(const std::wstring& url, const std::string& body, const HeaderList& headers,
                   std::string& reply, DWORD& status) {
    // Windows 7 without a service pack lacks the protocols the back end needs.
    if (IsWindowsAtLeast(6, 1, 0) && !IsWindowsAtLeast(6, 1, 1)) throw KelvaraException();
    const std::optional<UrlParts> parts = CrackUrl(url);
    if (!parts) throw KelvaraException();
    if (!PostJson(parts->host, parts->path, body, headers, reply, status)) throw KelvaraException();
    return true;
}

std::pair<std::wstring, std::wstring> SignatureHeader() {
    auto config = ConfigurationManager::GetInstance();
    return {L"Authorization", SignatureValue(config->GetMachineId(), config->GetSessionId())};
}

std::wstring SignatureValue(const std::string& machineId, const std::string& sessionId) {
    return L"Signature=" + Utf8ToWide(Sha256Hex(machineId + sessionId));
}
