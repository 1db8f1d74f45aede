#include "net/winhttp_session.h"

#include "base/system_info.h"
#include "net/transfer.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr DWORD kTls13 = 0x2000;      // WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3
constexpr DWORD kAutomaticProxy = 4;  // WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY

std::wstring Part(const wchar_t* text, DWORD length) {
    return text ? std::wstring(text, length) : std::wstring();
}

bool TrySecureProtocols(HINTERNET session, DWORD protocols) {
    return WinHttpSetOption(session, WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols,
                            sizeof(protocols));
}

}  // namespace

DWORD SecureProtocols(bool withTls11And12, bool withTls13) {
    DWORD protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1;
    if (withTls11And12)
        protocols |= WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_1 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2;
    if (withTls13) protocols |= kTls13;
    return protocols;
}

DWORD ProxyAccessTypeFor(const std::string& osVersion) {
    unsigned major = 0, minor = 0;
    size_t at = 0;
    for (; at < osVersion.size() && isdigit(static_cast<unsigned char>(osVersion[at])); ++at)
        major = std::min(major * 10 + unsigned(osVersion[at] - '0'), 1000u);
    if (at < osVersion.size() && osVersion[at] == '.') {
        for (++at; at < osVersion.size() && isdigit(static_cast<unsigned char>(osVersion[at]));
             ++at)
            minor = std::min(minor * 10 + unsigned(osVersion[at] - '0'), 1000u);
    }
    const bool automatic = major > 6 || (major == 6 && minor >= 3);
    return automatic ? kAutomaticProxy : WINHTTP_ACCESS_TYPE_DEFAULT_PROXY;
}

DWORD ProxyAccessType() { return ProxyAccessTypeFor(OsVersionString()); }

void ApplyTimeouts(HINTERNET handle) {
    const NetworkTimeouts& timeouts = TransferTimeouts();
    // The receive time-out also bounds the wait for the response's head.
    DWORD responseTimeout = timeouts.receive;
    if (!WinHttpSetTimeouts(handle, static_cast<int>(timeouts.resolve),
                            static_cast<int>(timeouts.connect), static_cast<int>(timeouts.send),
                            static_cast<int>(timeouts.receive)) ||
        !WinHttpSetOption(handle, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseTimeout,
                          sizeof(responseTimeout))) {
        ThrowLastError(L"Failed to set time-outs: ");
    }
}

win32::unique_winhttp OpenSession(const wchar_t* userAgent, DWORD accessType) {
    win32::unique_winhttp session(
        WinHttpOpen(userAgent, accessType, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) ThrowLastError(L"Failed to open HTTP session: ");
    ApplyTimeouts(session.get());
    const bool tls12 = IsWindowsAtLeast(6, 1, 1);
    // Systems that do not know TLS 1.3 refuse the whole set: they keep the older protocols.
    if (!TrySecureProtocols(session.get(), SecureProtocols(tls12, true)) &&
        !TrySecureProtocols(session.get(), SecureProtocols(tls12, false))) {
        ThrowLastError(L"Failed to set secure protocols: ");
    }
    return session;
}

std::optional<UrlParts> CrackUrl(const std::wstring& url) {
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUrlPathLength =
        parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts))
        return std::nullopt;
    UrlParts result;
    result.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    result.host = Part(parts.lpszHostName, parts.dwHostNameLength);
    result.port = parts.nPort;
    result.path = Part(parts.lpszUrlPath, parts.dwUrlPathLength);
    result.extra = Part(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    return result;
}
