#pragma once
// Base-222 text form of integers used by server messages, and the packed
// creature status word built on it.

#include <string>

// The lowest int is written as the sign byte and the digits of 2^31.
std::string encode_number(int value);
// Any text decodes to a defined value: a digit term beyond the 32-bit range
// counts as INT_MIN and the sum keeps its low 32 bits.
int decode_number(const char* text);
int decode_number(const std::string& text);

std::string pack_fov_status(int light, int health, char alignment, bool large, int number);
void unpack_fov_status(const std::string& text, int& light, int& health, char& alignment,
                       bool& large, int& number);
