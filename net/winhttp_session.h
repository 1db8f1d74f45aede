// WinHTTP pieces shared by the JSON requests and the downloads. Includes <winhttp.h>, so
// never include it next to <wininet.h>.
#pragma once

#include <windows.h>
#include <winhttp.h>

#include "base/handle.h"
#include "net/timeouts.h"

#include <optional>
#include <string>

// Secure protocols of this system: TLS 1.0 at least, TLS 1.1 and 1.2 where the system has
// them (Windows 7 SP1 on), TLS 1.3 when asked for. SSL 3.0 never.
DWORD SecureProtocols(bool withTls11And12, bool withTls13);

// The proxy mode for a system version "major.minor.build": the automatic proxy from
// Windows 8.1 (6.3) on, where WinHTTP knows it; the default proxy before, and for a version
// that cannot be read.
DWORD ProxyAccessTypeFor(const std::string& osVersion);

// ProxyAccessTypeFor the running system.
DWORD ProxyAccessType();

// Sets the time-outs of TransferTimeouts on a WinHTTP session or request handle. Throws
// Error with "Failed to set time-outs: ...".
void ApplyTimeouts(HINTERNET handle);

// A synchronous session with the time-outs of TransferTimeouts and the secure protocols of this
// system, TLS 1.3 included when the system accepts it. Throws Error with "Failed to open HTTP
// session: ..." or "Failed to set secure protocols: ...".
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
