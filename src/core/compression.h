#pragma once
// zlib stream compression (level 9) and decompression of at most 1,000,000 bytes.

#include <string>

constexpr size_t INFLATE_MAX_OUT = 1000000;

// Empty result (logged) when compression fails.
std::string deflate(const std::string& in);
// "" on any failure, logged; so is an output that would pass `max_out` bytes,
// which is never inflated beyond that.
std::string inflate(const std::string& in, size_t max_out = INFLATE_MAX_OUT);
