#pragma once
// Base-222 text form of integers used by server messages, and the packed
// creature status word built on it.

#include <string>

std::string encode_number(int value);
int decode_number(const char* text);
int decode_number(const std::string& text);

std::string pack_fov_status(int light, int health, char alignment, bool large, int number);
void unpack_fov_status(const std::string& text, int& light, int& health, char& alignment,
                       bool& large, int& number);
