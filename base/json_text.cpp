// A small writer in place of the JSON library's serialiser: the program only writes
// objects of texts and integers, and the serialiser's number formatting and decoder
// tables cost several kilobytes of the download stub.
#include "base/json_text.h"

#include "base/encoding.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>

using nlohmann::json;

namespace {

void AppendReplacement(std::string& out) { out += "\xEF\xBF\xBD"; }

void AppendEscaped(std::string& out, unsigned char c) {
    static const char kHex[] = "0123456789abcdef";
    switch (c) {
        case '"':
            out += "\\\"";
            return;
        case '\\':
            out += "\\\\";
            return;
        case '\b':
            out += "\\b";
            return;
        case '\f':
            out += "\\f";
            return;
        case '\n':
            out += "\\n";
            return;
        case '\r':
            out += "\\r";
            return;
        case '\t':
            out += "\\t";
            return;
        default:
            break;
    }
    if (c < 0x20) {
        out += "\\u00";
        out += kHex[c >> 4];
        out += kHex[c & 15];
    } else {
        out += static_cast<char>(c);
    }
}

void AppendString(std::string& out, const std::string& text) {
    out += '"';
    const size_t size = text.size();
    size_t i = 0;
    while (i < size) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            AppendEscaped(out, lead);
            ++i;
            continue;
        }
        // A broken sequence is replaced as a whole; the byte that broke it starts over.
        const Utf8Sequence sequence = Utf8SequenceAt(text, i);
        if (sequence.valid) {
            out.append(text, i, sequence.length);
        } else {
            AppendReplacement(out);
        }
        i += sequence.length;
    }
    out += '"';
}

void AppendFloat(std::string& out, double number) {
    if (!std::isfinite(number)) {
        out += "null";
        return;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", number);
    out += text;
    if (std::string(text).find_first_of(".e") == std::string::npos) out += ".0";
}

void Append(std::string& out, const json& value) {
    switch (value.type()) {
        case json::value_t::object: {
            out += '{';
            bool first = true;
            for (const auto& [key, member] : value.get_ref<const json::object_t&>()) {
                if (!first) out += ',';
                first = false;
                AppendString(out, key);
                out += ':';
                Append(out, member);
            }
            out += '}';
            return;
        }
        case json::value_t::array: {
            out += '[';
            bool first = true;
            for (const json& element : value.get_ref<const json::array_t&>()) {
                if (!first) out += ',';
                first = false;
                Append(out, element);
            }
            out += ']';
            return;
        }
        case json::value_t::string:
            AppendString(out, value.get_ref<const std::string&>());
            return;
        case json::value_t::boolean:
            out += value.get<bool>() ? "true" : "false";
            return;
        case json::value_t::number_integer:
            out += std::to_string(value.get<std::int64_t>());
            return;
        case json::value_t::number_unsigned:
            out += std::to_string(value.get<std::uint64_t>());
            return;
        case json::value_t::number_float:
            AppendFloat(out, value.get<double>());
            return;
        default:  // null, binary, discarded
            out += "null";
            return;
    }
}

}  // namespace

std::string JsonText(const json& value) {
    std::string out;
    Append(out, value);
    return out;
}
