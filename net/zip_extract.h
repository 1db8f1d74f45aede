// Unpacking a ZIP archive into a folder: through the Windows Shell, or by the program
// itself where the Shell opens no ZIP folders.
#pragma once

#include "net/zip_directory.h"

#include <string>

enum class ShellUnpack {
    Copied,    // the Shell copied the archive's items
    Failed,    // the Shell opened the archive but copied nothing
    NoFolder,  // the Shell could not open the archive as a folder
};

// Copies the archive's items into folder with the Shell's ZIP folder.
ShellUnpack ExtractZipWithShell(const std::wstring& archivePath, const std::wstring& folder);

// Unpacks the archive into folder without the Shell. Every entry is checked before anything
// is written. Empty on success, otherwise why the archive was refused or not unpacked.
std::wstring UnpackZip(const std::wstring& archivePath, const std::wstring& folder,
                       const ZipLimits& limits = {});

// The Shell first, the program's own unpacking when the Shell opens no folder. Empty on
// success, otherwise why nothing could be unpacked.
std::wstring ExtractZip(const std::wstring& archivePath, const std::wstring& folder);
