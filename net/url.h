// URL texts of the download engine.
#pragma once

#include <string>

// The URL a Location header leads to: an absolute location as it is, a relative one
// resolved against the URL that answered. Any fragment is dropped. Texts longer together
// than a URL may be give the location as it is.
std::wstring ResolveLocation(const std::wstring& base, const std::wstring& location);

// The name a download is saved under: fileName when given, otherwise the last segment of
// the URL's path (without query or fragment), made safe by SafeFileName (net/file_name.h).
// Empty when no safe name is left.
std::wstring DownloadFileName(const std::wstring& url, const std::wstring& fileName);
