// A small strict reader in place of the JSON library's parser, which costs the download stub
// tens of kilobytes for one configuration reply. The documents it builds are the library's.
#include "base/json_parse.h"

#include "base/encoding.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>

using nlohmann::json;

namespace {

constexpr int kMaxDepth = 512;

class Reader {
public:
    explicit Reader(const std::string& text) : m_text(text) {}

    json Document() {
        if (m_text.compare(0, 3, "\xEF\xBB\xBF") == 0) m_at = 3;
        SkipSpace();
        json value = Value(0);
        SkipSpace();
        // A NUL ends the text, as it does for the library the back end was tested with.
        if (m_at != m_text.size() && m_text[m_at] != '\0') Fail();
        return value;
    }

private:
    [[noreturn]] void Fail() const {
        throw json::parse_error::create(101, m_at + 1, "syntax error: not a JSON document",
                                        nullptr);
    }

    bool AtEnd() const { return m_at >= m_text.size(); }
    char Peek() const { return AtEnd() ? '\0' : m_text[m_at]; }

    void Expect(char c) {
        if (Peek() != c) Fail();
        ++m_at;
    }

    void SkipSpace() {
        while (!AtEnd()) {
            const char c = m_text[m_at];
            if (c != ' ' && c != '\t' && c != '\n' && c != '\r') return;
            ++m_at;
        }
    }

    json Value(int depth) {
        switch (Peek()) {
            case '{':
                return Object(depth + 1);
            case '[':
                return Array(depth + 1);
            case '"':
                return String();
            case 't':
                return Literal("true", true);
            case 'f':
                return Literal("false", false);
            case 'n':
                return Literal("null", nullptr);
            default:
                return Number();
        }
    }

    json Literal(const char* word, json value) {
        for (; *word; ++word) Expect(*word);
        return value;
    }

    json Object(int depth) {
        if (depth > kMaxDepth) Fail();
        Expect('{');
        json object = json::object();
        SkipSpace();
        if (Peek() == '}') {
            ++m_at;
            return object;
        }
        for (;;) {
            SkipSpace();
            if (Peek() != '"') Fail();
            std::string key = String();
            SkipSpace();
            Expect(':');
            SkipSpace();
            object[key] = Value(depth);
            SkipSpace();
            if (Peek() == '}') {
                ++m_at;
                return object;
            }
            Expect(',');
        }
    }

    json Array(int depth) {
        if (depth > kMaxDepth) Fail();
        Expect('[');
        json array = json::array();
        SkipSpace();
        if (Peek() == ']') {
            ++m_at;
            return array;
        }
        for (;;) {
            SkipSpace();
            array.push_back(Value(depth));
            SkipSpace();
            if (Peek() == ']') {
                ++m_at;
                return array;
            }
            Expect(',');
        }
    }

    unsigned HexQuad() {
        unsigned value = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = Peek();
            value <<= 4;
            if (c >= '0' && c <= '9') {
                value |= c - '0';
            } else if (c >= 'a' && c <= 'f') {
                value |= c - 'a' + 10;
            } else if (c >= 'A' && c <= 'F') {
                value |= c - 'A' + 10;
            } else {
                Fail();
            }
            ++m_at;
        }
        return value;
    }

    // The code point of a \u escape (the backslash and u already read), pairs joined.
    unsigned EscapedCodePoint() {
        const unsigned unit = HexQuad();
        if (unit >= 0xDC00 && unit <= 0xDFFF) Fail();
        if (unit < 0xD800 || unit > 0xDBFF) return unit;
        Expect('\\');
        Expect('u');
        const unsigned low = HexQuad();
        if (low < 0xDC00 || low > 0xDFFF) Fail();
        return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
    }

    static void AppendUtf8(std::string& out, unsigned code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    void Escape(std::string& out) {
        Expect('\\');
        const char c = Peek();
        ++m_at;
        switch (c) {
            case '"':
                out += '"';
                return;
            case '\\':
                out += '\\';
                return;
            case '/':
                out += '/';
                return;
            case 'b':
                out += '\b';
                return;
            case 'f':
                out += '\f';
                return;
            case 'n':
                out += '\n';
                return;
            case 'r':
                out += '\r';
                return;
            case 't':
                out += '\t';
                return;
            case 'u':
                AppendUtf8(out, EscapedCodePoint());
                return;
            default:
                --m_at;
                Fail();
        }
    }

    std::string String() {
        Expect('"');
        std::string out;
        for (;;) {
            if (AtEnd()) Fail();
            const auto c = static_cast<unsigned char>(m_text[m_at]);
            if (c == '"') {
                ++m_at;
                return out;
            }
            if (c == '\\') {
                Escape(out);
            } else if (c < 0x20) {
                Fail();
            } else {
                const Utf8Sequence sequence = Utf8SequenceAt(m_text, m_at);
                if (!sequence.valid) Fail();
                out.append(m_text, m_at, sequence.length);
                m_at += sequence.length;
            }
        }
    }

    void Digits() {
        if (Peek() < '0' || Peek() > '9') Fail();
        while (Peek() >= '0' && Peek() <= '9') ++m_at;
    }

    json Number() {
        const size_t start = m_at;
        const bool negative = Peek() == '-';
        if (negative) ++m_at;
        if (Peek() == '0') {
            ++m_at;
        } else {
            Digits();
        }
        bool integral = true;
        if (Peek() == '.') {
            ++m_at;
            Digits();
            integral = false;
        }
        if (Peek() == 'e' || Peek() == 'E') {
            ++m_at;
            if (Peek() == '+' || Peek() == '-') ++m_at;
            Digits();
            integral = false;
        }
        const std::string token = m_text.substr(start, m_at - start);
        if (integral) {
            if (const auto value = Integer(token, negative)) return *value;
        }
        // The C runtime DLL's conversion: MinGW's own strtod would add 9 KB to the program.
        const double value = atof(token.c_str());
        if (!std::isfinite(value)) {
            m_at = start;
            Fail();
        }
        return value;
    }

    // An integer token as the library keeps it: unsigned when not negative; nothing when it
    // does not fit 64 bits, which makes it a double.
    static std::optional<json> Integer(const std::string& token, bool negative) {
        std::uint64_t magnitude = 0;
        for (size_t i = negative ? 1 : 0; i < token.size(); ++i) {
            const unsigned digit = token[i] - '0';
            if (magnitude > (UINT64_MAX - digit) / 10) return std::nullopt;
            magnitude = magnitude * 10 + digit;
        }
        if (!negative) return json(magnitude);
        if (magnitude > static_cast<std::uint64_t>(INT64_MAX) + 1) return std::nullopt;
        return json(static_cast<std::int64_t>(0 - magnitude));
    }

    const std::string& m_text;
    size_t m_at = 0;
};

}  // namespace

json JsonFromText(const std::string& text) { return Reader(text).Document(); }
