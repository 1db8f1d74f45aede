#include "base/encoding.h"

#include <windows.h>

std::wstring Utf8ToWide(const std::string& text) {
    if (text.empty()) return {};
    int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) return {};
    std::wstring result(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(),
                        length);
    result.resize(wcsnlen(result.c_str(), result.size()));
    return result;
}

std::string WideToUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                     nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string result(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(),
                        length, nullptr, nullptr);
    return result;
}

namespace {

// Length of the sequence that lead starts (0 when it starts none), and the range its second
// byte must lie in.
size_t SequenceLength(unsigned char lead, unsigned char& low, unsigned char& high) {
    low = 0x80;
    high = 0xBF;
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
        return 4;
    }
    return 0;
}

}  // namespace

Utf8Sequence Utf8SequenceAt(const std::string& text, size_t at) {
    unsigned char low, high;
    const size_t length = SequenceLength(static_cast<unsigned char>(text[at]), low, high);
    if (length == 0) return {1, false};
    size_t taken = 1;
    for (; taken < length && at + taken < text.size(); ++taken) {
        const auto c = static_cast<unsigned char>(text[at + taken]);
        if (c < low || c > high) break;
        low = 0x80;
        high = 0xBF;
    }
    return {taken, taken == length};
}
