// Grouped sends: "*" + zlib(parts joined by 0x05), nothing sent until the
// outermost flush, one group per connection, and groups too big for one frame.

#include <gtest/gtest.h>
#include <zlib.h>

#include "net/socket.h"
#include "net/wire_frame.h"
#include "net_test_support.h"
#include "support/temp_dir.h"

using namespace std::string_literals;

namespace {

// Decompressed with zlib itself, not with our own wrapper.
std::string unzip(const std::string& z) {
  std::string out(2000000, '\0');
  uLongf len = out.size();
  if (uncompress(reinterpret_cast<Bytef*>(out.data()), &len,
                 reinterpret_cast<const Bytef*>(z.data()), z.size()) != Z_OK)
    return "<bad zlib>";
  out.resize(len);
  return out;
}

struct GroupTest : ::testing::Test {
  TempDir dir;
  SocketPair p0, p1;
  Socket server{SOCKET_ROLE_SERVER};
  Socket reader0{SOCKET_ROLE_CLIENT}, reader1{SOCKET_ROLE_CLIENT};

  void SetUp() override {
    ASSERT_EQ(server.sckListen(0, 2, "127.0.0.1"), 0);
    ASSERT_EQ(server.attach(0, p0.a), 0);
    ASSERT_EQ(server.attach(1, p1.a), 0);
    ASSERT_EQ(reader0.attach(0, p0.b), 0);
    ASSERT_EQ(reader1.attach(0, p1.b), 0);
    p0.a = p0.b = p1.a = p1.b = -1;
  }
  // The next message on a reader, or "<none>".
  std::string next(Socket& r) {
    std::string msg;
    for (int i = 0; i < 200; ++i) {
      server.flush_pending(0);
      server.flush_pending(1);
      int rc = r.get_message(0, msg);
      if (rc == 1) return msg;
      if (rc != -1) break;
      usleep(500);
    }
    return "<none>";
  }
};

TEST_F(GroupTest, NestedGroupsSendAtTheOutermostFlush) {
  server.set_group_send();
  EXPECT_EQ(server.sckSend(0, "a %d", 1), 1);  // the group depth
  server.set_group_send();
  EXPECT_EQ(server.get_group_depth(), 2);
  server.sckSend(0, "b");
  server.sckSend(1, "other");
  server.group_send_flush();
  EXPECT_EQ(read_available(reader0.get_fd(0), 10), "");
  server.sckSend(0, "c");
  server.group_send_flush();
  EXPECT_EQ(server.get_group_depth(), 0);
  std::string msg = next(reader0);
  ASSERT_EQ(msg[0], '*');
  EXPECT_EQ(unzip(msg.substr(1)), "a 1\x05" "b\x05" "c");
  msg = next(reader1);
  ASSERT_EQ(msg[0], '*');
  EXPECT_EQ(unzip(msg.substr(1)), "other");  // one message: no separator
  server.group_send_flush();  // nothing open: nothing happens
  EXPECT_EQ(server.get_group_depth(), 0);
  EXPECT_EQ(next(reader0), "<none>");
}

TEST_F(GroupTest, GroupTooBigForOneFrameIsSplitInOrder) {
  // Incompressible parts: 200 x 600 bytes is far beyond one frame.
  uint32_t seed = 12345;
  std::vector<std::string> parts;
  server.set_group_send();
  for (int i = 0; i < 200; ++i) {
    std::string part = "part " + std::to_string(i) + " ";
    while (part.size() < 600) {
      seed = seed * 1103515245u + 12345u;
      part += static_cast<char>('A' + (seed >> 16) % 26);
    }
    parts.push_back(part);
    server.sckSend(0, part);
  }
  server.group_send_flush();
  std::vector<std::string> got;
  while (got.size() < parts.size()) {
    std::string msg = next(reader0);
    ASSERT_EQ(msg[0], '*') << got.size();
    std::string joined = unzip(msg.substr(1));
    size_t start = 0;
    for (;;) {
      size_t sep = joined.find('\x05', start);
      got.push_back(joined.substr(start, sep == std::string::npos ? sep : sep - start));
      if (sep == std::string::npos) break;
      start = sep + 1;
    }
  }
  EXPECT_EQ(got, parts);
}

}  // namespace
