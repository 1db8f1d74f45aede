// SHA-256 of a byte string.
#pragma once

#include <string>

// The digest as 64 lowercase hexadecimal digits.
std::string Sha256Hex(const std::string& bytes);
