// Inflating zlib streams (RFC 1950) held in memory, such as the embedded locale documents.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

// The bytes a zlib stream of size bytes inflates to, or nullopt when the stream is corrupt,
// truncated, followed by more bytes, or inflates to more than maxSize bytes (maxSize must be
// below 4 GB). The output never grows past maxSize bytes, whatever the stream claims.
std::optional<std::string> InflateZlib(const void* data, size_t size, size_t maxSize);
