// WinHTTP pieces shared by the JSON requests and the downloads. Includes <winhttp.h>, so
// never include it next to <wininet.h>.
#pragma once

#include <windows.h>
#include <winhttp.h>

#include "base/handle.h"

#include <optional>
#include <string>

// Secure protocols of this system: TLS 1.0 at least, TLS 1.1 and 1.2 where the system has
// them (Windows 7 SP1 on), TLS 1.3 when asked for. SSL 3.0 never.
DWORD SecureProtocols(bool withTls11And12, bool withTls13);

// The proxy mode of this system: the default proxy on Windows 7, automatic elsewhere.
DWORD ProxyAccessType();

// A synchronous session with the secure protocols of this system, TLS 1.3 included when the
// system accepts it. Throws Error with "Failed to open HTTP session: ..." or
// "Failed to set secure protocols: ...".
win32::unique_winhttp OpenSession(const wchar_t* userAgent, DWORD accessType);

struct UrlParts {
    bool secure = false;
    std::wstring host;
    INTERNET_PORT port = 0;
    std::wstring path;
    std::wstring extra;  // query and fragment
};

// The URL split by WinHTTP, or nothing when it is not an absolute http(s) URL.
std::optional<UrlParts> CrackUrl(const std::wstring& url);
