#include "core/number_codec.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

constexpr unsigned char CODEC_MINUS_ONE = 31;
constexpr unsigned char CODEC_NEGATIVE = 29;
constexpr unsigned char CODEC_ZERO_DIGIT = 33;
constexpr unsigned CODEC_BASE = 222;

const char CODEC_ALIGNMENTS[8] = {'g', 'e', 'n', 'p', 's', 'f', 'g', 'g'};

int alignment_code(char a) {
  switch (a) {
    case 'e': return 1;
    case 'n': return 2;
    case 'p': return 3;
    case 's': return 4;
    case 'f': return 5;
    default: return 0;
  }
}

// A term is truncated to 32 bits; anything outside that range (or not a
// number at all) reads as the lowest int, as the wire form has always done.
int32_t term_to_int(double term) {
  if (!(term >= -2147483648.0 && term < 2147483648.0)) return INT32_MIN;
  return int32_t(term);
}

// Powers of the base for the usual short numbers, worked out once by the
// same pow as any other power, so that they are the very same values.
constexpr size_t CODEC_POWERS = 16;
struct BasePowers {
  double p[CODEC_POWERS];
  BasePowers() {
    for (size_t k = 0; k < CODEC_POWERS; ++k) p[k] = std::pow(double(CODEC_BASE), double(k));
  }
};

double base_power(size_t k) {
  static const BasePowers powers;
  return k < CODEC_POWERS ? powers.p[k] : std::pow(double(CODEC_BASE), double(k));
}

int decode_bytes(const unsigned char* text, size_t len) {
  if (len == 1 && text[0] == CODEC_MINUS_ONE) return -1;
  if (len == 0) return 0;
  size_t start = 0;
  bool negative = false;
  if (text[0] == CODEC_NEGATIVE) {
    if (len == 1) return 0;
    negative = true;
    start = 1;
  }
  // Only the low 32 bits of the sum matter, so it is kept modulo 2^32.
  uint32_t sum = 0;
  for (size_t i = start; i < len; ++i) {
    double digit = double(int(text[i]) - int(CODEC_ZERO_DIGIT));
    // A zero digit adds nothing, even where its power is no longer finite.
    if (digit == 0) continue;
    double term = digit * base_power(len - 1 - i);
    sum += uint32_t(term_to_int(term));
  }
  if (negative) sum = 0u - sum;
  return int32_t(sum);
}

}  // namespace

std::string encode_number(int value) {
  if (value == -1) return std::string(1, char(CODEC_MINUS_ONE));
  // The magnitude of the lowest int is 2^31, which decodes back to it.
  uint32_t m = value < 0 ? 0u - uint32_t(value) : uint32_t(value);
  std::string digits;
  do {
    digits.insert(digits.begin(), char(CODEC_ZERO_DIGIT + m % CODEC_BASE));
    m /= CODEC_BASE;
  } while (m != 0);
  if (value < 0) digits.insert(digits.begin(), char(CODEC_NEGATIVE));
  return digits;
}

int decode_number(const char* text) {
  if (!text) return 0;
  return decode_bytes(reinterpret_cast<const unsigned char*>(text), strlen(text));
}

int decode_number(const std::string& text) {
  // As the zero-terminated form: the text ends at its first zero byte.
  return decode_number(text.c_str());
}

std::string pack_fov_status(int light, int health, char alignment, bool large, int number) {
  uint32_t word = ((uint32_t(light) + 2u) & 15u) | ((uint32_t(health) << 4) & 0x7F0u) |
                  (uint32_t(alignment_code(alignment)) << 11) | (large ? 0x4000u : 0u) |
                  ((uint32_t(number) << 15) & 0x7FFF8000u);
  return encode_number(int(word));
}

void unpack_fov_status(const std::string& text, int& light, int& health, char& alignment,
                       bool& large, int& number) {
  uint32_t v = uint32_t(decode_number(text));
  light = int(v & 15u) - 2;
  health = int((v >> 4) & 127u);
  alignment = CODEC_ALIGNMENTS[(v >> 11) & 7u];
  large = ((v >> 14) & 1u) != 0;
  number = int((v >> 15) & 0xFFFFu);
}
