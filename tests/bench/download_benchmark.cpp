// Downloads one URL through DownloadManager::Download into the working directory and
// prints, as one JSON line: success, seconds, bytes and the peak working set.
#include "config/configuration_manager.h"
#include "net/download_manager.h"
#include "base/encoding.h"

#include <psapi.h>

#include <chrono>
#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: download_benchmark URL\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const auto [ok, message] =
        DownloadManager::GetInstance()->Download(argv[1], nullptr, L"benchmark.bin", true);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    const std::wstring path = DownloadManager::GetInstance()->LastDownloadedFile();
    WIN32_FILE_ATTRIBUTE_DATA attributes = {};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attributes);
    const unsigned long long bytes =
        (static_cast<unsigned long long>(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow;
    DeleteFileW(path.c_str());
    RemoveDirectoryW(ConfigurationManager::GetInstance()->m_workingDirectory.c_str());

    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));
    std::printf(
        "{\"ok\":%s,\"seconds\":%.3f,\"bytes\":%llu,\"peak_working_set\":%lu,\"message\":\"%s\"}\n",
        ok ? "true" : "false", seconds, bytes,
        static_cast<unsigned long>(memory.PeakWorkingSetSize), WideToUtf8(message).c_str());
    return ok ? 0 : 1;
}
