#include "base/inflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

namespace {

// data deflated by zlib itself into one zlib stream, fed repeat times over (so large inputs
// need no buffer), with a preset dictionary when one is given.
std::string Deflate(const std::string& data, int level = 9, int windowBits = MAX_WBITS,
                    size_t repeat = 1, const std::string& dictionary = {}) {
    z_stream stream = {};
    EXPECT_EQ(deflateInit2(&stream, level, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY), Z_OK);
    if (!dictionary.empty()) {
        deflateSetDictionary(&stream, reinterpret_cast<const Bytef*>(dictionary.data()),
                             static_cast<uInt>(dictionary.size()));
    }
    std::string out, chunk(1 << 16, '\0');
    size_t left = repeat;
    int status = Z_OK;
    while (status != Z_STREAM_END) {
        if (stream.avail_in == 0 && left > 0) {
            stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
            stream.avail_in = static_cast<uInt>(data.size());
            --left;
        }
        stream.next_out = reinterpret_cast<Bytef*>(&chunk[0]);
        stream.avail_out = static_cast<uInt>(chunk.size());
        status = deflate(&stream, left == 0 ? Z_FINISH : Z_NO_FLUSH);
        if (status < 0 && status != Z_BUF_ERROR) {
            ADD_FAILURE() << "deflate failed: " << status;
            break;
        }
        out.append(chunk, 0, chunk.size() - stream.avail_out);
    }
    deflateEnd(&stream);
    return out;
}

std::optional<std::string> Inflate(const std::string& stream, size_t maxSize = 1 << 20) {
    return InflateZlib(stream.data(), stream.size(), maxSize);
}

// More than one 32 KB window of output, and not just repeats.
std::string LargeText() {
    std::string text;
    for (unsigned i = 0; text.size() < 100000; ++i)
        text += "<K" + std::to_string(i * 7919u % 10007u) + ">Grüße</K>\n";
    return text;
}

}  // namespace

TEST(InflateZlib, RestoresWhatZlibDeflated) {
    const std::string umlauts = "<Locale name=\"de\"><A>Zurück &amp; Weiter – Größe</A></Locale>";
    EXPECT_EQ(Inflate(Deflate(umlauts)), umlauts);
    EXPECT_EQ(Inflate(Deflate("")), std::string());
    const std::string large = LargeText();
    EXPECT_EQ(Inflate(Deflate(large)), large);
    EXPECT_EQ(Inflate(Deflate(large, 0)), large);     // stored blocks
    EXPECT_EQ(Inflate(Deflate(large, 1, 9)), large);  // a 512-byte window
    EXPECT_EQ(Inflate(Deflate("ab", 9, MAX_WBITS, 5000)).value_or("").size(), 10000u);
}

TEST(InflateZlib, RejectsCorruptStreams) {
    const std::string good = Deflate(LargeText());
    ASSERT_TRUE(Inflate(good));
    EXPECT_FALSE(Inflate("<Locale name=\"de\"/>"));  // not a zlib stream at all
    EXPECT_FALSE(Inflate(std::string(64, '\0')));
    EXPECT_FALSE(Inflate(std::string(64, '\xFF')));

    std::string badHeaderCheck = good;
    badHeaderCheck[1] ^= 0x01;
    EXPECT_FALSE(Inflate(badHeaderCheck));
    std::string hugeWindow = good;  // 64 KB window: not a valid zlib stream
    hugeWindow[0] = static_cast<char>(0x88);
    hugeWindow[1] = static_cast<char>(31 - (0x88 << 8) % 31);
    EXPECT_FALSE(Inflate(hugeWindow));
    // Needs a preset dictionary, which locale documents never use.
    EXPECT_FALSE(Inflate(Deflate("<Locale name=\"x\"/>", 9, MAX_WBITS, 1, "<Locale name=")));

    std::string badChecksum = good;
    badChecksum.back() ^= 0x01;
    EXPECT_FALSE(Inflate(badChecksum));
    for (size_t at : {size_t{2}, size_t{3}, good.size() / 2, good.size() - 5}) {
        std::string flipped = good;
        flipped[at] ^= 0x5A;
        EXPECT_FALSE(Inflate(flipped)) << "byte " << at << " changed";
    }
    EXPECT_FALSE(Inflate(good + "x"));  // more bytes after the stream
    EXPECT_FALSE(Inflate(good + good));
}

TEST(InflateZlib, RejectsEveryTruncation) {
    const std::string good =
        Deflate("<Locale name=\"en_US\"><BUTTON_NEXT>Next</BUTTON_NEXT></Locale>");
    for (size_t size = 0; size < good.size(); ++size) {
        EXPECT_FALSE(InflateZlib(good.data(), size, 1 << 20))
            << size << " of " << good.size() << " bytes";
    }
    const std::string large = Deflate(LargeText());
    EXPECT_FALSE(Inflate(large.substr(0, large.size() / 2)));
    EXPECT_FALSE(Inflate(large.substr(0, large.size() - 1)));
}

TEST(InflateZlib, RejectsOutputBeyondTheLimit) {
    const std::string text = LargeText();
    const std::string stream = Deflate(text);
    EXPECT_EQ(Inflate(stream, text.size()), text);
    EXPECT_FALSE(Inflate(stream, text.size() - 1));
    EXPECT_FALSE(Inflate(Deflate("x"), 0));
    EXPECT_EQ(Inflate(Deflate(""), 0), std::string());
    // 64 MB of zeros in well under a megabyte: refused once past the limit.
    const std::string bomb = Deflate(std::string(1 << 16, '\0'), 1, MAX_WBITS, 1024);
    EXPECT_LT(bomb.size(), size_t{1} << 20);
    EXPECT_FALSE(Inflate(bomb, 1 << 20));
}
