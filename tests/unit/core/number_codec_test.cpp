#include "core/number_codec.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

struct ByteCase {
  int value;
  std::string text;
};

TEST(NumberCodec, ByteForms) {
  const ByteCase cases[] = {
      {0, "\x21"},
      {1, "\x22"},
      {221, "\xFE"},
      {222, "\x22\x21"},
      {12345, "\x58\xA8"},
      {49284, "\x22\x21\x21"},
      {2147483647, "\xE5\x5E\xB0\xCA"},
      {-5, "\x1D\x26"},
      {-2147483647, "\x1D\xE5\x5E\xB0\xCA"},
      {-1, "\x1F"},
      // The lowest int: the sign byte and the digits of 2^31, which decode
      // back to it.
      {INT_MIN, "\x1D\xE5\x5E\xB0\xCB"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(encode_number(c.value), c.text) << c.value;
    EXPECT_EQ(decode_number(c.text), c.value) << c.value;
    EXPECT_EQ(decode_number(c.text.c_str()), c.value) << c.value;
  }
}

TEST(NumberCodec, DecodingRules) {
  const ByteCase cases[] = {
      {-1, "\x1D\x22"},          // -1 written the long way
      {0, "\x1D"},               // sign alone
      {0, ""},                   // empty
      {-444, "\x1F\x21"},        // the -1 byte followed by more is a digit of -2
      {2, "\x1D\x1F"},           // minus a digit of -2
  };
  for (const auto& c : cases) EXPECT_EQ(decode_number(c.text), c.value) << c.value;
  // A byte below 33 is a negative digit: ' ' (32) then '!' is -1 * 222 + 0.
  EXPECT_EQ(decode_number(" !"), -222);
  EXPECT_EQ(decode_number(static_cast<const char*>(nullptr)), 0);
  // The text ends at its first zero byte.
  EXPECT_EQ(decode_number(std::string("\x22\0\x22", 3)), 1);
}

// Texts that no encoder writes must still give a defined result: each term
// beyond the 32-bit range counts as the lowest int, and the sum keeps its low
// 32 bits.
TEST(NumberCodec, OutOfRangeTexts) {
  // 222^4 alone does not fit: one term of INT_MIN.
  EXPECT_EQ(decode_number("\x22\x21\x21\x21\x21"), INT_MIN);
  // 221 * 222^3 = 2,417,971,608 is already too large.
  EXPECT_EQ(decode_number("\xFE\xFE\xFE\xFE"), INT_MIN + 10891764 + 49062 + 221);
  // 300 digits of 221: 297 terms of INT_MIN (an odd count) plus the last three.
  EXPECT_EQ(decode_number(std::string(300, '\xFE')), INT_MIN + 10941047);
  EXPECT_EQ(decode_number("\x1D" + std::string(300, '\xFE')), -(INT_MIN + 10941047));
  // Leading zero digits add nothing, even where their power is infinite.
  std::string zeros(400, '!');
  zeros.back() = '\x22';
  EXPECT_EQ(decode_number(zeros), 1);
}

TEST(NumberCodec, RoundTrip) {
  const int extremes[] = {INT_MIN, INT_MIN + 1, -49284, -49283, -223, -222, -221, -2, -1,
                          0,       1,           221,    222,    49283,  49284, 10941047,
                          10941048, INT_MAX - 1, INT_MAX};
  for (int v : extremes) EXPECT_EQ(decode_number(encode_number(v)), v) << v;
  // A sampled sweep over the whole range: never a space or control byte.
  for (long long v = INT_MIN + 1LL; v <= INT_MAX; v += 65537 * 7 + 3) {
    std::string text = encode_number(int(v));
    ASSERT_LE(text.size(), 5u);
    for (unsigned char b : text) ASSERT_TRUE(b == 29 || b == 31 || (b >= 33 && b <= 254)) << v;
    ASSERT_EQ(decode_number(text), int(v));
  }
}

TEST(NumberCodec, FovStatus) {
  const struct {
    int light, health;
    char align;
    bool large;
    int number;
    char align_out;
  } cases[] = {
      {-2, 0, 'g', false, 0, 'g'},     {13, 127, 'f', true, 65535, 'f'},
      {0, 50, 'e', false, 12, 'e'},    {5, 1, 'n', true, 300, 'n'},
      {1, 2, 'p', false, 40000, 'p'},  {2, 3, 's', true, 1, 's'},
      {3, 4, 'x', false, 2, 'g'},
  };
  for (const auto& c : cases) {
    std::string text = pack_fov_status(c.light, c.health, c.align, c.large, c.number);
    int light = 99, health = 99, number = 99;
    char align = '?';
    bool large = !c.large;
    unpack_fov_status(text, light, health, align, large, number);
    EXPECT_EQ(light, c.light);
    EXPECT_EQ(health, c.health);
    EXPECT_EQ(align, c.align_out);
    EXPECT_EQ(large, c.large);
    EXPECT_EQ(number, c.number);
  }
  EXPECT_EQ(pack_fov_status(-2, 0, 'g', false, 0), "!");
  // Fields too large for their bits are masked, and bit 31 is never set.
  EXPECT_EQ(decode_number(pack_fov_status(INT_MAX, INT_MAX, 'f', true, INT_MAX)),
            0x7FFFEFF1);
  // Alignment codes 6 and 7 (bits 11-13) have no letter: they read as 'g'.
  for (int code : {6, 7}) {
    int light, health, number;
    char align;
    bool large;
    unpack_fov_status(encode_number(code << 11), light, health, align, large, number);
    EXPECT_EQ(align, 'g');
  }
}

}  // namespace
