#include "base/inflate.h"

#include <zlib.h>

#include <climits>
#include <memory>

// The deflate body goes through zlib's inflateBack, which needs none of inflate()'s gzip
// support: about half of the library's code stays out of the program. The zlib wrapper
// around it (RFC 1950) is checked here.

namespace {

struct Sink {
    std::string& out;
    size_t maxSize;
};

// All input is handed over at the start; asking for more means the stream was cut short.
unsigned NoMoreInput(void*, z_const unsigned char**) { return 0; }

int Append(void* context, unsigned char* bytes, unsigned size) {
    auto* sink = static_cast<Sink*>(context);
    if (size > sink->maxSize - sink->out.size()) return 1;  // past the limit: stop
    sink->out.append(reinterpret_cast<const char*>(bytes), size);
    return 0;
}

// Adler-32 (RFC 1950) of the output; the plain loop is small, and locale documents are a
// few KB (zlib's unrolled one would add 2 KB to the program).
uLong Adler32(const std::string& bytes) {
    uLong low = 1, high = 0;
    for (unsigned char byte : bytes) {
        low = (low + byte) % 65521;
        high = (high + low) % 65521;
    }
    return high << 16 | low;
}

}  // namespace

std::optional<std::string> InflateZlib(const void* data, size_t size, size_t maxSize) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    constexpr size_t kHeader = 2, kTrailer = 4;
    if (size < kHeader + kTrailer || size > UINT_MAX || maxSize >= UINT_MAX) return std::nullopt;
    // Deflate with a window of at most 32 KB, no preset dictionary, and the header check.
    const unsigned header = bytes[0] << 8 | bytes[1];
    if ((bytes[0] & 0x0F) != Z_DEFLATED || (bytes[0] >> 4) > 7 || (bytes[1] & 0x20) ||
        header % 31 != 0) {
        return std::nullopt;
    }

    std::unique_ptr<unsigned char[]> window(new unsigned char[1u << MAX_WBITS]);
    z_stream stream = {};
    if (inflateBackInit(&stream, MAX_WBITS, window.get()) != Z_OK) return std::nullopt;
    stream.next_in = const_cast<Bytef*>(bytes + kHeader);
    stream.avail_in = static_cast<uInt>(size - kHeader);
    std::string out;
    Sink sink{out, maxSize};
    const int status = inflateBack(&stream, NoMoreInput, nullptr, Append, &sink);
    const uInt unused = stream.avail_in;
    inflateBackEnd(&stream);
    if (status != Z_STREAM_END || unused != kTrailer) return std::nullopt;

    // The stream ends with the output's Adler-32, big-endian.
    const unsigned char* end = bytes + size - kTrailer;
    const uLong expected = uLong{end[0]} << 24 | uLong{end[1]} << 16 | uLong{end[2]} << 8 | end[3];
    if (Adler32(out) != expected) return std::nullopt;
    return out;
}
