// Reading the directory of a ZIP archive: which entries it holds, where their data lies,
// and whether their names are safe to unpack. Pure functions over the archive's bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ZipLimits {
    uint32_t maxEntries = 10000;
    uint64_t maxTotalSize = 1ull << 30;  // bytes, all entries unpacked
};

struct ZipEntry {
    std::wstring path;  // relative, with "\" between its parts
    bool directory = false;
    uint16_t method = 0;  // 0 stored, 8 deflated
    uint32_t crc = 0;
    uint32_t compressedSize = 0;
    uint32_t size = 0;
    uint32_t localHeaderOffset = 0;
};

// Where the central directory lies, from the end record.
struct ZipEnd {
    uint32_t entries = 0;
    uint32_t directorySize = 0;
    uint32_t directoryOffset = 0;
};

// The end record found in the last bytes of an archive of fileSize bytes (tail holds them),
// or nullopt when there is none.
std::optional<ZipEnd> FindZipEnd(const std::string& tail, uint64_t fileSize);

// The entries of the central directory, or the reason the archive is refused: a damaged
// directory, encrypted entries, unknown methods, unsafe names, or more than the limits.
struct ZipDirectory {
    std::vector<ZipEntry> entries;
    std::wstring failure;
};
ZipDirectory ReadZipDirectory(const std::string& directory, const ZipEnd& end,
                              const ZipLimits& limits);

// The relative path an entry's name gives, or nullopt when it is absolute, has a drive, a
// UNC prefix, a ":", a "." or ".." part, an empty part, a device name, or characters
// Windows does not allow. utf8 tells the name's encoding (otherwise code page 437).
std::optional<std::wstring> SafeEntryPath(const std::string& name, bool utf8);

// Offset of an entry's data from the start of its local header, or nullopt when the
// header (at least 30 bytes of it) is not one.
std::optional<uint32_t> LocalDataOffset(const std::string& header);

// The CRC-32 of ZIP archives, continued from crc over size bytes.
uint32_t ZipCrc32(uint32_t crc, const unsigned char* bytes, size_t size);
