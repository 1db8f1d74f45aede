#include "net/zip_extract.h"

#include "base/handle.h"
#include "base/system_info.h"

#include <oleauto.h>
#include <shldisp.h>
#include <zlib.h>

#include <memory>

namespace {

// The Shell's scripting object and its interface.
constexpr CLSID kShellClass = {
    0x13709620, 0xC279, 0x11CE, {0xA4, 0x9E, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
constexpr IID kShellDispatch = {
    0xD8F015C0, 0xC278, 0x11CE, {0xA4, 0x9E, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
// FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI
constexpr LONG kCopyOptions = 0x614;
constexpr size_t kEndSearch = 22 + 0xFFFF;  // the end record and the longest comment
constexpr DWORD kChunk = 64 * 1024;
constexpr uint32_t kMaxDirectorySize = 16u << 20;

// Owns a BSTR.
using unique_bstr = win32::unique_any<BSTR, &::SysFreeString>;

// Balances a CoInitialize that succeeded, and only such a one.
class ComScope {
public:
    ComScope() : m_initialised(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComScope() {
        if (m_initialised) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool m_initialised;
};

win32::com_ptr<Folder> ShellFolder(IShellDispatch* shell, const std::wstring& path) {
    win32::com_ptr<Folder> folder;
    unique_bstr name(SysAllocString(path.c_str()));
    if (!name) return folder;
    VARIANT where;
    VariantInit(&where);
    where.vt = VT_BSTR;
    where.bstrVal = name.get();
    if (FAILED(shell->NameSpace(where, folder.put()))) folder.reset();
    return folder;
}

bool ReadAt(HANDLE file, uint64_t offset, std::string& bytes) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    DWORD read = 0;
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
           ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
           read == bytes.size();
}

std::wstring Because(const std::wstring& what, DWORD error) {
    return what + L": " + SystemErrorText(error);
}

// One entry's data from the archive to its file, checked against its size and CRC.
class EntryWriter {
public:
    EntryWriter(HANDLE archive, HANDLE target, const ZipEntry& entry)
        : m_archive(archive), m_target(target), m_entry(entry), m_left(entry.compressedSize) {}

    bool Copy() {
        if (m_entry.method == 0) {
            if (m_entry.compressedSize != m_entry.size) return false;
            while (m_left > 0) {
                unsigned char* bytes = nullptr;
                const unsigned got = In(this, &bytes);
                if (got == 0 || Out(this, bytes, got) != 0) return false;
            }
        } else if (!Inflate()) {
            return false;
        }
        return m_written == m_entry.size && m_crc == m_entry.crc;
    }

private:
    bool Inflate() {
        std::unique_ptr<unsigned char[]> window(new unsigned char[1u << MAX_WBITS]);
        z_stream stream = {};
        if (inflateBackInit(&stream, MAX_WBITS, window.get()) != Z_OK) return false;
        const int status = inflateBack(&stream, In, this, Out, this);
        inflateBackEnd(&stream);
        return status == Z_STREAM_END;
    }

    static unsigned In(void* context, z_const unsigned char** bytes) {
        auto* self = static_cast<EntryWriter*>(context);
        const DWORD wanted = self->m_left < kChunk ? self->m_left : kChunk;
        DWORD read = 0;
        if (wanted == 0 || !ReadFile(self->m_archive, self->m_buffer, wanted, &read, nullptr))
            return 0;
        self->m_left -= read;
        *bytes = self->m_buffer;
        return read;
    }

    // Stops at the entry's declared size, whatever the data holds.
    static int Out(void* context, unsigned char* bytes, unsigned size) {
        auto* self = static_cast<EntryWriter*>(context);
        if (size > self->m_entry.size - self->m_written) return 1;
        DWORD written = 0;
        if (!WriteFile(self->m_target, bytes, size, &written, nullptr) || written != size) return 1;
        self->m_written += size;
        self->m_crc = ZipCrc32(self->m_crc, bytes, size);
        return 0;
    }

    HANDLE m_archive;
    HANDLE m_target;
    const ZipEntry& m_entry;
    uint32_t m_left;
    uint32_t m_written = 0;
    uint32_t m_crc = 0;
    unsigned char m_buffer[kChunk];
};

// Creates every folder on the way to path (relative to root), path itself included.
bool MakeFolders(const std::wstring& root, const std::wstring& path) {
    for (size_t at = path.find(L'\\');; at = path.find(L'\\', at + 1)) {
        const std::wstring folder = root + L"\\" + path.substr(0, at);
        if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
        if (at == std::wstring::npos) return true;
    }
}

std::wstring UnpackEntry(HANDLE archive, const std::wstring& folder, const ZipEntry& entry) {
    // A folder's entry makes the folder; a file's, the folders it lies in.
    const size_t slash = entry.path.rfind(L'\\');
    const std::wstring folders = entry.directory               ? entry.path
                                 : slash == std::wstring::npos ? L""
                                                               : entry.path.substr(0, slash);
    if (!folders.empty() && !MakeFolders(folder, folders)) {
        const DWORD error = GetLastError();
        return Because(entry.path, error);
    }
    if (entry.directory) return L"";

    std::string header(30, '\0');
    if (!ReadAt(archive, entry.localHeaderOffset, header)) return L"the archive is cut short";
    const auto dataOffset = LocalDataOffset(header);
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(entry.localHeaderOffset) + (dataOffset ? *dataOffset : 0);
    if (!dataOffset || !SetFilePointerEx(archive, at, nullptr, FILE_BEGIN))
        return L"the archive is damaged at " + entry.path;

    const std::wstring target = folder + L"\\" + entry.path;
    win32::unique_file file(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        return Because(entry.path, error);
    }
    auto writer = std::make_unique<EntryWriter>(archive, file.get(), entry);
    if (writer->Copy()) return L"";
    file.reset();
    DeleteFileW(target.c_str());  // no half-written file stays behind
    return L"the archive is damaged at " + entry.path;
}

}  // namespace

ShellUnpack ExtractZipWithShell(const std::wstring& archivePath, const std::wstring& folder) {
    ComScope com;
    win32::com_ptr<IShellDispatch> shell;
    if (FAILED(CoCreateInstance(kShellClass, nullptr, CLSCTX_INPROC_SERVER, kShellDispatch,
                                shell.put_void())))
        return ShellUnpack::NoFolder;
    auto source = ShellFolder(shell.get(), archivePath);
    auto destination = ShellFolder(shell.get(), folder);
    win32::com_ptr<FolderItems> items;
    if (!source || !destination || FAILED(source->Items(items.put())) || !items)
        return ShellUnpack::NoFolder;
    long count = 0;
    if (FAILED(items->get_Count(&count)) || count < 1) return ShellUnpack::Failed;

    win32::com_ptr<IDispatch> dispatch;
    if (FAILED(items->QueryInterface(IID_IDispatch, dispatch.put_void())))
        return ShellUnpack::Failed;
    VARIANT what, options;
    VariantInit(&what);
    what.vt = VT_DISPATCH;
    what.pdispVal = dispatch.get();
    VariantInit(&options);
    options.vt = VT_I4;
    options.lVal = kCopyOptions;
    return destination->CopyHere(what, options) == S_OK ? ShellUnpack::Copied : ShellUnpack::Failed;
}

namespace {

win32::unique_file OpenArchive(const std::wstring& path) {
    return win32::unique_file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// The archive's entries, each checked; failure tells why the archive is refused.
ZipDirectory ReadArchive(HANDLE archive, const ZipLimits& limits) {
    ZipDirectory refused;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(archive, &size)) {
        refused.failure = Because(L"the archive", GetLastError());
        return refused;
    }
    const auto fileSize = static_cast<uint64_t>(size.QuadPart);
    std::string tail(fileSize < kEndSearch ? static_cast<size_t>(fileSize) : kEndSearch, '\0');
    const auto end =
        ReadAt(archive, fileSize - tail.size(), tail) ? FindZipEnd(tail, fileSize) : std::nullopt;
    if (!end || end->directorySize > kMaxDirectorySize) {
        refused.failure = L"the file is not a ZIP archive this program can read";
        return refused;
    }
    std::string directory(end->directorySize, '\0');
    if (!ReadAt(archive, end->directoryOffset, directory)) {
        refused.failure = L"the archive cannot be read";
        return refused;
    }
    return ReadZipDirectory(directory, *end, limits);
}

std::wstring UnpackEntries(HANDLE archive, const std::wstring& folder,
                           const ZipDirectory& directory) {
    for (const ZipEntry& entry : directory.entries) {
        std::wstring failure = UnpackEntry(archive, folder, entry);
        if (!failure.empty()) return failure;
    }
    return L"";
}

}  // namespace

std::wstring UnpackZip(const std::wstring& archivePath, const std::wstring& folder,
                       const ZipLimits& limits) {
    const auto archive = OpenArchive(archivePath);
    if (!archive) return Because(L"the archive cannot be opened", GetLastError());
    const ZipDirectory directory = ReadArchive(archive.get(), limits);
    if (!directory.failure.empty()) return directory.failure;
    return UnpackEntries(archive.get(), folder, directory);
}

// The archive is checked first, whoever unpacks it.
std::wstring ExtractZip(const std::wstring& archivePath, const std::wstring& folder) {
    const auto archive = OpenArchive(archivePath);
    if (!archive) return Because(L"the archive cannot be opened", GetLastError());
    const ZipDirectory directory = ReadArchive(archive.get(), ZipLimits{});
    if (!directory.failure.empty()) return directory.failure;
    switch (ExtractZipWithShell(archivePath, folder)) {
        case ShellUnpack::Copied:
            return L"";
        case ShellUnpack::Failed:
            return L"the archive could not be unpacked";
        case ShellUnpack::NoFolder:
            break;
    }
    return UnpackEntries(archive.get(), folder, directory);
}
