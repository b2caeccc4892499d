// The message codec: checksum digits, the bytes of encoded bodies, escaping,
// the pass-through messages, the replay window and malformed bodies.

#include "net/wire_frame.h"

#include <gtest/gtest.h>

#include "net/socket.h"
#include "net_test_support.h"
#include "support/temp_dir.h"

using namespace std::string_literals;

TEST(Checksum, DigitsOfKnownMessages) {
  struct Case { std::string msg, digits; } cases[] = {
      {"abc", "26"},             // 0x61 + 0x62 + 0x63 = 0x126
      {"\xff"s, "ff"},           // -1
      {"a\x80"s, "e1"},          // 97 - 128 = -31
      {"", "00"},
      {"\x0a"s, "0a"},
  };
  for (const Case& c : cases) EXPECT_EQ(checksum_digits(c.msg), c.digits) << c.msg;
}

TEST(FrameLength, ExactlyFourHexDigits) {
  struct Case { const char* text; int value; } cases[] = {
      {"0000", 0}, {"000c", 12}, {"ffff", 65535}, {"FFFF", 65535}, {"00C0", 192},
      {"+fff", -1}, {"-001", -1}, {" 0ff", -1}, {"0x1f", -1}, {"12g4", -1},
      {"12\0" "4", -1}, {"1 34", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(parse_frame_length(c.text), c.value) << c.text;
}

TEST(Frame, Layout) {
  EXPECT_EQ(make_frame("abc"), "\x01" "0003" "\x02" "abc" "\x04"s);
  EXPECT_EQ(make_frame(""), "\x01" "0000" "\x02" "\x04"s);
  EXPECT_EQ(make_frame(std::string(0x1a2b, 'q')).substr(0, 6), "\x01" "1a2b" "\x02"s);
}

TEST(Escaping, Table) {
  struct Case { std::string plain, escaped; } cases[] = {
      {"abc", "abc"},
      {"\0"s, "x0"},
      {"x", "xx"},
      {"ax\0b"s, "axxx0b"},
      {"xx0", "xxxx0"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(escape_body(c.plain), c.escaped);
    EXPECT_EQ(unescape_body(c.escaped), c.plain);
  }
  // Unescaping reads left to right; a lone 'x' stands for itself.
  EXPECT_EQ(unescape_body("xx0"), "x0");
  EXPECT_EQ(unescape_body("xa"), "xa");
  EXPECT_EQ(unescape_body("x"), "x");
}

// Expected bodies worked out by hand from the key phrase:
// K = 0 leaves the phrase as the key, so "abc26" ^ "k3 wq" = 0a 51 43 45 47.
TEST(Encrypt, KnownBodies) {
  TempDir dir;
  struct Case { std::string msg; std::vector<int> draws; std::string body; } cases[] = {
      {"abc", {0, 0, 0, 0, 0}, "0000000\nQCEG"},
      {"abc", {0x12, 0x34, 5, 6, 7}, "1526374>ewqs"},
      // 'k' ^ 'k' = 0 is escaped as "x0".
      {"k", {0, 0, 0, 0, 0}, "0000000x0\x05" "B"s},
      // 0x13 ^ 'k' = 'x' is escaped as "xx".
      {"\x13"s, {0, 0, 0, 0, 0}, "0000000xx\x02\x13"s},
      // The empty message is a header and the scrambled digits "00".
      {"", {0, 0, 0, 0, 0}, "0000000[\x03"s},
      {"hello world", {0xab, 0xcd, 15, 0, 9},
       "afb0c9d\xce\x9b\x81\xd6\xd3\xda\xd8\x82\xcd\xd1\x9d\xc9\x83"s},
  };
  for (const Case& c : cases) {
    Socket s(SOCKET_ROLE_CLIENT);
    s.set_system(test_system(c.draws));
    EXPECT_EQ(s.encrypt(c.msg), c.body) << c.msg;
    Socket r(SOCKET_ROLE_CLIENT);
    EXPECT_EQ(r.decrypt(c.body, 0), c.msg);
  }
}

TEST(Encrypt, PassThroughOnlyForExactMessages) {
  Socket s(SOCKET_ROLE_CLIENT);
  s.set_system(zero_random_system());
  for (std::string m : {"\x06"s, "\x15"s, "C1"s}) {
    EXPECT_EQ(s.encrypt(m), m);
    EXPECT_EQ(s.decrypt(m, 0), m);
  }
  std::string c1x = s.encrypt("C1x");
  EXPECT_EQ(c1x.size(), 7u + 3u + 2u);
  EXPECT_EQ(c1x.substr(0, 7), "0000000");
  EXPECT_EQ(s.decrypt(c1x, 0), "C1x");
}

TEST(Decrypt, RoundTripOfEveryByte) {
  Socket s(SOCKET_ROLE_CLIENT);
  s.set_system(test_system({7, 200, 3, 9, 14, 120, 33, 1, 2, 8}));
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  for (int i = 0; i < 8; ++i) {
    std::string msg = all.substr(static_cast<size_t>(i) * 30) + "x\0x"s;
    Socket r(SOCKET_ROLE_CLIENT);
    std::string body = s.encrypt(msg);
    EXPECT_EQ(body.find('\0'), std::string::npos);
    EXPECT_EQ(r.decrypt(body, 0), msg);
  }
}

TEST(Decrypt, MalformedBodiesAreRejected) {
  TempDir dir;
  struct Case { const char* what; std::string body; } cases[] = {
      {"empty", ""},
      {"short", "abc"},
      {"six bytes", "000000"},
      {"header only", "0000000"},
      {"one byte after the header", "0000000^"},
      {"non-hex header digit 0", "g000000\nQCEG"},
      {"non-hex header digit 6", "000000z\nQCEG"},
      {"blank in the checksum", "0000000m\x13\x16"s},  // "\x06" + " 6"
      {"wrong checksum", "0000000\nQCEF"},             // "abc27"
  };
  for (const Case& c : cases) {
    Socket s(SOCKET_ROLE_CLIENT);
    EXPECT_EQ(s.decrypt(c.body, 0), "") << c.what;
  }
  // The checksum digits may come in either case: "\x0a" + "0A" and + "0a".
  for (const std::string& body : {"0000000a\x03" "a"s, "0000000a\x03" "A"s}) {
    Socket s(SOCKET_ROLE_CLIENT);
    EXPECT_EQ(s.decrypt(body, 0), "\x0a"s);
  }
}

TEST(Decrypt, ReplayWindowOfFive) {
  TempDir dir;
  Socket sender(SOCKET_ROLE_CLIENT);
  sender.set_system(test_system({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18,
                                 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31}));
  std::string first = sender.encrypt("repeat me");
  std::vector<std::string> others;
  for (int i = 0; i < 5; ++i) others.push_back(sender.encrypt("other " + std::to_string(i)));

  Socket r(SOCKET_ROLE_CLIENT);
  EXPECT_EQ(r.decrypt("0000000\nQCEF", 0), "");  // a bad checksum does not enter the window
  EXPECT_TRUE(r.recent_headers[0].empty());
  EXPECT_EQ(r.decrypt(first, 0), "repeat me");
  EXPECT_EQ(r.decrypt(first, 0), "");  // at once

  Socket q(SOCKET_ROLE_CLIENT);
  EXPECT_EQ(q.decrypt(first, 0), "repeat me");
  for (int i = 0; i < 4; ++i) EXPECT_EQ(q.decrypt(others[i], 0), "other " + std::to_string(i));
  EXPECT_EQ(q.decrypt(first, 0), "");  // fifth back

  Socket t(SOCKET_ROLE_CLIENT);
  EXPECT_EQ(t.decrypt(first, 0), "repeat me");
  for (int i = 0; i < 5; ++i) EXPECT_EQ(t.decrypt(others[i], 0), "other " + std::to_string(i));
  EXPECT_EQ(t.recent_headers[0].size(), 5u);
  EXPECT_EQ(t.decrypt(first, 0), "repeat me");  // pushed out by five others
}

TEST(Decrypt, ReplayWindowIsPerConnection) {
  Socket sender(SOCKET_ROLE_CLIENT);
  sender.set_system(zero_random_system());
  TempDir dir;
  Socket server(SOCKET_ROLE_SERVER);
  // Two slots so that the window of slot 1 is separate from slot 0.
  server.fds.assign(2, -1);
  server.recent_headers.assign(2, {});
  std::string body = sender.encrypt("hi");
  EXPECT_EQ(server.decrypt(body, 0), "hi");
  EXPECT_EQ(server.decrypt(body, 1), "hi");
  EXPECT_EQ(server.decrypt(body, 1), "");
  EXPECT_EQ(server.decrypt(body, 7), "");  // no such slot
}
