#include "net/launch.h"

#include "base/encoding.h"
#include "base/system_info.h"
#include "net/zip_extract.h"

namespace {

constexpr unsigned char kSevenZipSignature[] = {0x37, 0x7A, 0xBC, 0xAF, 0x27, 0x1C};
constexpr unsigned char kZipSignature[] = {0x50, 0x4B, 0x03, 0x04};

constexpr wchar_t kLaunchError[] = L"Error launching executable: ";

win32::unique_file OpenForReading(const std::wstring& path) {
    return win32::unique_file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// The first bytes of a file, as many as it has up to count.
std::string FirstBytes(HANDLE file, DWORD count) {
    std::string bytes(count, '\0');
    DWORD read = 0;
    if (!ReadFile(file, bytes.data(), count, &read, nullptr)) read = 0;
    bytes.resize(read);
    return bytes;
}

bool StartsWithBytes(const std::string& bytes, const unsigned char* signature, size_t size) {
    return bytes.size() >= size &&
           bytes.compare(0, size, reinterpret_cast<const char*>(signature), size) == 0;
}

RunResult Failure(const std::wstring& path, const std::wstring& why) {
    RunResult result;
    result.path = path;
    result.message = kLaunchError + why;
    return result;
}

std::wstring ExitCodeMessage(DWORD code) { return L"exit code = " + DecimalText(code); }

}  // namespace

ArchiveKind DetectArchive(const std::wstring& path) {
    const auto file = OpenForReading(path);
    if (!file) return ArchiveKind::None;
    const std::string start = FirstBytes(file.get(), sizeof kSevenZipSignature);
    if (StartsWithBytes(start, kSevenZipSignature, sizeof kSevenZipSignature))
        return ArchiveKind::SevenZip;
    if (StartsWithBytes(start, kZipSignature, sizeof kZipSignature)) return ArchiveKind::Zip;
    return ArchiveKind::None;
}

std::wstring MakeExtractionFolder(const std::wstring& archivePath, const std::wstring& baseFolder) {
    const size_t slash = archivePath.rfind(L'\\');
    if (slash == std::wstring::npos) return baseFolder;
    std::wstring name = archivePath.substr(slash + 1);
    name = name.substr(0, name.rfind(L'.'));
    if (name.empty()) return baseFolder;
    const std::wstring folder = baseFolder + L"\\" + name;
    if (CreateDirectoryW(folder.c_str(), nullptr)) return folder;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return baseFolder;
    // Something of that name is there already: only a folder will do.
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    const bool isFolder = attributes != INVALID_FILE_ATTRIBUTES &&
                          (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
                          !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    return isFolder ? folder : L"";
}

std::wstring FindFirstExe(const std::wstring& folder) {
    WIN32_FIND_DATAW found{};
    win32::unique_find search(FindFirstFileW((folder + L"\\*.exe").c_str(), &found));
    if (!search) return L"";
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return found.cFileName;
    } while (FindNextFileW(search.get(), &found));
    return L"";
}

LaunchTarget ExtractAndFindExe(const std::wstring& path, ArchiveKind kind,
                               const std::wstring& baseFolder) {
    if (kind != ArchiveKind::Zip) return {path, L""};
    const std::wstring folder = MakeExtractionFolder(path, baseFolder);
    if (folder.empty()) return {L"", L"the archive's folder is taken by a file"};
    const std::wstring failure = ExtractZip(path, folder);
    if (!failure.empty()) {
        // A refused archive leaves no empty folder (one with files in it stays).
        if (folder != baseFolder) RemoveDirectoryW(folder.c_str());
        return {L"", failure};
    }
    const std::wstring program = FindFirstExe(folder);
    if (program.empty()) return {L"", L"the archive holds no program at its top level"};
    return {folder + L"\\" + program, L""};
}

std::wstring BuildCommandLine(const std::wstring& path, const std::wstring& arguments) {
    return L"\"" + path + L"\" " + arguments;
}

RunResult RunProcess(const std::wstring& path, const std::wstring& arguments, bool wait) {
    // Only programs are started: a script would run its interpreter with arguments taken from
    // the configuration. The file stays open (others may only read it) until it has started.
    const auto file = OpenForReading(path);
    if (!file) {
        const DWORD error = GetLastError();
        return Failure(path, SystemErrorText(error));
    }
    if (FirstBytes(file.get(), 2) != "MZ") return Failure(path, L"the file is not a program");

    std::wstring commandLine = BuildCommandLine(path, arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        const DWORD error = GetLastError();
        return Failure(path, SystemErrorText(error));
    }
    win32::unique_handle processHandle(process.hProcess), thread(process.hThread);

    RunResult result;
    result.started = true;
    result.path = path;
    if (wait) {
        WaitForSingleObject(processHandle.get(), INFINITE);
        if (!GetExitCodeProcess(processHandle.get(), &result.exitCode))
            result.exitCode = 0xFFFFFFFF;
    }
    if (result.exitCode != 0) result.message = ExitCodeMessage(result.exitCode);
    return result;
}

std::unique_ptr<PendingRun> RunProcessAsync(const std::wstring& path, const std::wstring& arguments,
                                            bool wait) {
    return std::make_unique<PendingRun>(
        [path, arguments, wait] { return RunProcess(path, arguments, wait); },
        Failure(path, L"no thread could be started"));
}

RunResult RunDownloadedFile(const std::wstring& path, const std::wstring& arguments, bool wait,
                            const std::wstring& baseFolder) {
    const LaunchTarget target = ExtractAndFindExe(path, DetectArchive(path), baseFolder);
    if (target.path.empty()) return Failure(path, target.failure);
    return RunProcess(target.path, arguments, wait);
}

std::unique_ptr<PendingRun> RunDownloadedFileAsync(const std::wstring& path,
                                                   const std::wstring& arguments, bool wait,
                                                   const std::wstring& baseFolder) {
    return std::make_unique<PendingRun>(
        [path, arguments, wait, baseFolder] {
            return RunDownloadedFile(path, arguments, wait, baseFolder);
        },
        Failure(path, L"no thread could be started"));
}
