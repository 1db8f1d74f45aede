// Whether a download source is a full address or a file name on the file base.
#pragma once

#include <string>

// An optional "http://" or "https://", then a dot-separated name of at least two parts
// made of letters, digits, "_", "." and "-", then optionally anything that begins with "/",
// "?" or "#" and holds no line break. So "setup.exe" and "https://host.example/a" match,
// "12345/setup", "setup" and "" do not. The text is taken in the ANSI code page.
bool LooksLikeUrl(const std::wstring& text);

// The same test on text already in a single-byte form.
bool LooksLikeUrlBytes(const std::string& text);

// The address a download source names: the source itself when it looks like an address or
// begins with a scheme ("https://localhost/f/x.exe" has a host without a dot), otherwise
// fileBase followed by the source.
std::wstring FullDownloadAddress(const std::wstring& source, const std::wstring& fileBase);
