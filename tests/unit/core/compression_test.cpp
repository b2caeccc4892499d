#include "core/compression.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>

#include "support/temp_dir.h"

namespace {

std::string random_bytes(size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (char& c : s) c = char(gen() & 0xFF);
  return s;
}

bool log_has(const std::string& text) {
  return TempDir::read("cl_log.txt").find(text) != std::string::npos;
}

TEST(Compression, RoundTrip) {
  TempDir dir;
  const std::string inputs[] = {
      std::string("a"),
      std::string("\0\0\0x\0", 5),
      std::string(1000, 'q'),
      random_bytes(70000, 1),
      std::string(INFLATE_MAX_OUT, '\0'),
      random_bytes(500000, 2),  // incompressible: output larger than input
  };
  for (const auto& in : inputs) {
    std::string packed = deflate(in);
    ASSERT_FALSE(packed.empty());
    EXPECT_TRUE(inflate(packed) == in) << in.size();
  }
  // The program adds no header: zlib reads our form directly.
  std::string packed = deflate("hello");
  char out[16];
  uLongf out_len = sizeof out;
  ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(out), &out_len,
                       reinterpret_cast<const Bytef*>(packed.data()), packed.size()),
            Z_OK);
  EXPECT_EQ(std::string(out, out_len), "hello");
  EXPECT_EQ(static_cast<unsigned char>(packed[0]), 0x78);
  EXPECT_EQ(deflate("").size(), 8u);  // header and checksum alone
  // Data after the end of the stream is ignored, as zlib's uncompress does.
  EXPECT_EQ(inflate(deflate("abc") + "junk"), "abc");
}

TEST(Compression, InflateLimits) {
  TempDir dir;
  testing::internal::CaptureStdout();
  const struct {
    std::string in;
    const char* logged;
  } cases[] = {
      {std::string(), "source packet empty!"},
      {std::string(1000000, 'x'), "source packet is way too big!"},
      {deflate(std::string(INFLATE_MAX_OUT + 1, 'a')), "decompression error -5 ... destlen was 1000000, src size was "},
      {std::string(999999, 'x'), "decompression error"},
      {"not zlib", "decompression error -3"},
      {"not zlib", ", src size was 8\n"},
      {deflate("truncated stream").substr(0, 6), "decompression error"},
  };
  for (const auto& c : cases) {
    std::filesystem::remove("cl_log.txt");
    EXPECT_EQ(inflate(c.in), "") << c.logged;
    EXPECT_TRUE(log_has(c.logged)) << c.logged << " / " << TempDir::read("cl_log.txt");
  }
  // A caller's smaller limit: up to it the data comes out whole.
  const std::string piece(3000, 'p');
  EXPECT_EQ(inflate(deflate(piece), 3000), piece);
  std::filesystem::remove("cl_log.txt");
  EXPECT_EQ(inflate(deflate(piece + "p"), 3000), "");
  EXPECT_TRUE(log_has("decompression error -5 ... destlen was 3000,"));
  testing::internal::GetCapturedStdout();
}

}  // namespace
