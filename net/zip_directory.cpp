#include "net/zip_directory.h"

#include "base/encoding.h"
#include "base/text.h"

#include <windows.h>

#include <array>
#include <cwchar>

namespace {

constexpr uint32_t kEndSignature = 0x06054B50;
constexpr uint32_t kCentralSignature = 0x02014B50;
constexpr uint32_t kLocalSignature = 0x04034B50;
constexpr size_t kEndSize = 22;
constexpr size_t kCentralSize = 46;
constexpr size_t kLocalSize = 30;
constexpr uint16_t kEncrypted = 0x0001;
constexpr uint16_t kUtf8Name = 0x0800;
constexpr uint16_t kStored = 0, kDeflated = 8;

uint16_t Read16(const std::string& bytes, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                 static_cast<unsigned char>(bytes[at + 1]) << 8);
}

uint32_t Read32(const std::string& bytes, size_t at) {
    return Read16(bytes, at) | static_cast<uint32_t>(Read16(bytes, at + 2)) << 16;
}

bool IsDeviceName(const std::wstring& part) {
    const std::wstring base = ToLower(part.substr(0, part.find(L'.')));
    for (const wchar_t* device : {L"con", L"prn", L"aux", L"nul"}) {
        if (base == device) return true;
    }
    return base.size() == 4 && (StartsWith(base, L"com") || StartsWith(base, L"lpt")) &&
           base[3] >= L'1' && base[3] <= L'9';
}

// One part of a path: not empty, not made of dots and spaces only (Windows would drop
// them), no characters that Windows names cannot hold.
bool IsSafePart(const std::wstring& part) {
    if (part.empty() || part.back() == L'.' || part.back() == L' ') return false;
    for (wchar_t c : part) {
        if (c < 0x20 || wcschr(L"<>:\"|?*", c)) return false;
    }
    return !IsDeviceName(part);
}

std::optional<std::wstring> DecodeName(const std::string& name, bool utf8) {
    if (utf8) return Utf8ToWide(name);
    const int length =
        MultiByteToWideChar(437, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
    if (length <= 0) return std::nullopt;
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(437, 0, name.data(), static_cast<int>(name.size()), wide.data(), length);
    return wide;
}

}  // namespace

std::optional<ZipEnd> FindZipEnd(const std::string& tail, uint64_t fileSize) {
    if (tail.size() < kEndSize || tail.size() > fileSize) return std::nullopt;
    for (size_t at = tail.size() - kEndSize + 1; at-- > 0;) {
        if (Read32(tail, at) != kEndSignature) continue;
        // One disk only, and no ZIP64 markers.
        if (Read16(tail, at + 4) != 0 || Read16(tail, at + 6) != 0) return std::nullopt;
        ZipEnd end;
        end.entries = Read16(tail, at + 10);
        end.directorySize = Read32(tail, at + 12);
        end.directoryOffset = Read32(tail, at + 16);
        if (end.entries == 0xFFFF || end.directoryOffset == 0xFFFFFFFF) return std::nullopt;
        const uint64_t endOffset = fileSize - tail.size() + at;
        if (uint64_t{end.directoryOffset} + end.directorySize > endOffset) return std::nullopt;
        return end;
    }
    return std::nullopt;
}

std::optional<std::wstring> SafeEntryPath(const std::string& name, bool utf8) {
    if (name.empty() || name.find('\0') != std::string::npos) return std::nullopt;
    const auto decoded = DecodeName(name, utf8);
    if (!decoded) return std::nullopt;
    std::wstring path = ReplaceAll(*decoded, std::wstring(L"/"), std::wstring(L"\\"));
    if (path.back() == L'\\') path.pop_back();  // a folder's entry
    if (path.empty() || path.front() == L'\\') return std::nullopt;
    std::wstring safe;
    size_t from = 0;
    for (;;) {
        const size_t end = path.find(L'\\', from);
        const std::wstring part = path.substr(from, end - from);
        if (!IsSafePart(part)) return std::nullopt;
        safe += (safe.empty() ? L"" : L"\\") + part;
        if (end == std::wstring::npos) return safe;
        from = end + 1;
    }
}

ZipDirectory ReadZipDirectory(const std::string& directory, const ZipEnd& end,
                              const ZipLimits& limits) {
    ZipDirectory result;
    if (end.entries > limits.maxEntries) {
        result.failure =
            L"the archive holds more than " + DecimalText(limits.maxEntries) + L" entries";
        return result;
    }
    uint64_t total = 0;
    size_t at = 0;
    for (uint32_t index = 0; index < end.entries; ++index) {
        if (directory.size() - at < kCentralSize || Read32(directory, at) != kCentralSignature) {
            result.failure = L"the archive's directory is damaged";
            return result;
        }
        const uint16_t flags = Read16(directory, at + 8);
        ZipEntry entry;
        entry.method = Read16(directory, at + 10);
        entry.crc = Read32(directory, at + 16);
        entry.compressedSize = Read32(directory, at + 20);
        entry.size = Read32(directory, at + 24);
        const size_t nameLength = Read16(directory, at + 28);
        const size_t skipped = size_t{Read16(directory, at + 30)} + Read16(directory, at + 32);
        entry.localHeaderOffset = Read32(directory, at + 42);
        if (directory.size() - at - kCentralSize < nameLength + skipped) {
            result.failure = L"the archive's directory is damaged";
            return result;
        }
        const std::string name = directory.substr(at + kCentralSize, nameLength);
        at += kCentralSize + nameLength + skipped;

        if (flags & kEncrypted) {
            result.failure = L"the archive is encrypted";
            return result;
        }
        if (entry.method != kStored && entry.method != kDeflated) {
            result.failure = L"the archive uses an unknown compression method";
            return result;
        }
        const auto path = SafeEntryPath(name, (flags & kUtf8Name) != 0);
        if (!path) {
            result.failure =
                L"the archive holds an entry that would leave its folder: " + Utf8ToWide(name);
            return result;
        }
        entry.path = *path;
        entry.directory = name.back() == '/' || name.back() == '\\';
        total += entry.size;
        if (total > limits.maxTotalSize) {
            result.failure = L"the archive unpacks to more than " +
                             DecimalText(limits.maxTotalSize >> 20) + L" MB";
            return result;
        }
        result.entries.push_back(std::move(entry));
    }
    return result;
}

std::optional<uint32_t> LocalDataOffset(const std::string& header) {
    if (header.size() < kLocalSize || Read32(header, 0) != kLocalSignature) return std::nullopt;
    return static_cast<uint32_t>(kLocalSize + Read16(header, 26) + Read16(header, 28));
}

uint32_t ZipCrc32(uint32_t crc, const unsigned char* bytes, size_t size) {
    // The table is made on first use: it costs the program no bytes on disk.
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}
