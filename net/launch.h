// Starting downloaded installers: the archive test, the unpacking of ZIP archives and the
// process runner.
#pragma once

#include "base/async_result.h"

#include <windows.h>

#include <memory>
#include <string>

enum class ArchiveKind { None = 0, Zip = 1, SevenZip = 2 };

// The outcome of a start. exitCode is 0xFFFFFFFF whenever no exit code was obtained.
struct RunResult {
    DWORD exitCode = 0xFFFFFFFF;
    std::wstring message;  // empty for exit code 0
    bool started = false;  // whether a process was created
    std::wstring path;     // the file that was started, or was to be
};

// What to start for a downloaded file; path is empty and failure says why when there is
// nothing that may be started.
struct LaunchTarget {
    std::wstring path;
    std::wstring failure;
};

// The kind of archive the file's first bytes announce; None when it cannot be read.
ArchiveKind DetectArchive(const std::wstring& path);

// The folder baseFolder\<archive name without extension>, created when missing; the base
// folder itself when it cannot be made or the path names no folder; empty when a file of
// that name is in the way.
std::wstring MakeExtractionFolder(const std::wstring& archivePath, const std::wstring& baseFolder);

// The name (not the path) of the first file named *.exe directly in folder, or empty.
std::wstring FindFirstExe(const std::wstring& folder);

// The file itself unless it is a ZIP archive; for a ZIP, the first program at the top of
// its unpacked content in the extraction folder under baseFolder.
LaunchTarget ExtractAndFindExe(const std::wstring& path, ArchiveKind kind,
                               const std::wstring& baseFolder);

// The command line of a start: the path in double quotes, a space, the arguments.
std::wstring BuildCommandLine(const std::wstring& path, const std::wstring& arguments);

// Starts a Windows program (a file beginning with "MZ"; anything else is refused) and, when
// wait is set, waits for it and takes its exit code. Blocking.
RunResult RunProcess(const std::wstring& path, const std::wstring& arguments, bool wait);

using PendingRun = AsyncResult<RunResult>;

// RunProcess on a thread of its own; the caller polls the result.
std::unique_ptr<PendingRun> RunProcessAsync(const std::wstring& path, const std::wstring& arguments,
                                            bool wait);

// A downloaded file as the download pages start it: unpacked first when it is a ZIP archive
// (into baseFolder), then run. A file that cannot be unpacked or holds no program is a
// start that failed. Blocking.
RunResult RunDownloadedFile(const std::wstring& path, const std::wstring& arguments, bool wait,
                            const std::wstring& baseFolder);
std::unique_ptr<PendingRun> RunDownloadedFileAsync(const std::wstring& path,
                                                   const std::wstring& arguments, bool wait,
                                                   const std::wstring& baseFolder);
