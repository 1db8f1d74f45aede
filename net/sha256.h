// SHA-256 of a byte string, whole or fed piece by piece.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

class Sha256 {
public:
    void Update(const void* data, size_t size);
    // The digest of everything fed so far as 64 lowercase hexadecimal digits; feeding ends.
    std::string HexDigest();

private:
    std::array<uint32_t, 8> m_state = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                       0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    std::array<unsigned char, 64> m_block = {};
    size_t m_filled = 0;
    uint64_t m_length = 0;
};

// The digest as 64 lowercase hexadecimal digits.
std::string Sha256Hex(const std::string& bytes);

// True for 64 hexadecimal digits of either case: the text form of a digest.
bool IsSha256Hex(const std::string& text);
