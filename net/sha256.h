// SHA-256 of a byte string.
#pragma once

#include <string>

// The digest as 64 lowercase hexadecimal digits.
std::string Sha256Hex(const std::string& bytes);

// True for 64 hexadecimal digits of either case: the text form of a digest.
bool IsSha256Hex(const std::string& text);
