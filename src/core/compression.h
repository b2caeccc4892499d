#pragma once
// zlib stream compression (level 9) and decompression of at most 1,000,000 bytes.

#include <string>

constexpr size_t INFLATE_MAX_OUT = 1000000;

// Empty result (logged) when compression fails.
std::string deflate(const std::string& in);
// "" on any failure, logged.
std::string inflate(const std::string& in);
