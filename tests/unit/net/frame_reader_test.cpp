// Taking frames off a connection: the non-blocking get_message, the blocking
// sckRecv and raw_recv, and getAck, against a peer that writes raw bytes.

#include <gtest/gtest.h>

#include "net/socket.h"
#include "net/wire_frame.h"
#include "net_test_support.h"
#include "support/temp_dir.h"

using namespace std::string_literals;

namespace {

// "abc" encoded with K = 0 (worked out by hand, see the codec tests).
const std::string ABC_BODY = "0000000\nQCEG";
const std::string ABC_FRAME = "\x01" "000c" "\x02" "0000000\nQCEG" "\x04"s;

struct ReaderTest : ::testing::Test {
  TempDir dir;
  SocketPair pair;
  Socket client{SOCKET_ROLE_CLIENT};
  std::shared_ptr<int> sleeps = std::make_shared<int>(0);
  int peer = -1;

  void SetUp() override {
    ASSERT_GE(pair.a, 0);
    client.set_system(zero_random_system(sleeps));
    ASSERT_EQ(client.attach(0, pair.a), 0);
    pair.a = -1;
    peer = pair.b;
  }
};

TEST_F(ReaderTest, WholeFrame) {
  bytes_received = 0;
  write_all(peer, ABC_FRAME);
  std::string msg;
  EXPECT_EQ(client.get_message(0, msg), 1);
  EXPECT_EQ(msg, "abc");
  EXPECT_EQ(bytes_received, ABC_FRAME.size());
  EXPECT_EQ(client.get_message(0, msg), -1);
  // The blocking reader takes a waiting frame without a single wait.
  client.recent_headers[0].clear();
  write_all(peer, ABC_FRAME);
  EXPECT_EQ(client.sckRecv(msg), 3);
  EXPECT_EQ(msg, "abc");
  EXPECT_EQ(*sleeps, 0);
}

TEST_F(ReaderTest, HeadAndBodyInPieces) {
  std::string msg;
  EXPECT_EQ(client.get_message(0, msg), -1);
  write_all(peer, ABC_FRAME.substr(0, 2));
  EXPECT_EQ(client.get_message(0, msg), -1);
  write_all(peer, ABC_FRAME.substr(2, 4));
  EXPECT_EQ(client.get_message(0, msg), -1);  // head complete, body missing
  EXPECT_EQ(client.body_pending[0], 1);
  write_all(peer, ABC_FRAME.substr(6, 5));
  EXPECT_EQ(client.get_message(0, msg), -1);
  write_all(peer, ABC_FRAME.substr(11));
  EXPECT_EQ(client.get_message(0, msg), 1);
  EXPECT_EQ(msg, "abc");
}

TEST_F(ReaderTest, MalformedFramesAreDiscardedWithEverythingWaiting) {
  struct Case { const char* what; std::string bytes; } cases[] = {
      {"bad SOH", "\x07" "000c" "\x02" + ABC_BODY + "\x04"},
      {"bad STX", "\x01" "000c" "\x03" + ABC_BODY + "\x04"},
      {"bad EOT", "\x01" "000c" "\x02" + ABC_BODY + "\x05"},
      {"signed length", "\x01" "+00c" "\x02" + ABC_BODY + "\x04"},
      {"0x length", "\x01" "0x0c" "\x02" + ABC_BODY + "\x04"},
      {"blank in length", "\x01" " 00c" "\x02" + ABC_BODY + "\x04"},
  };
  for (const Case& c : cases) {
    // The good frame behind the bad one is thrown away by the flush.
    write_all(peer, c.bytes + ABC_FRAME);
    std::string msg = "old";
    int rc = client.get_message(0, msg);
    EXPECT_EQ(rc, 0) << c.what;
    EXPECT_EQ(client.get_message(0, msg), -1) << c.what;
    EXPECT_EQ(client.body_pending[0], 0);
    EXPECT_TRUE(client.recv_buffers[0].empty());
    // The reader is in step again.
    write_all(peer, ABC_FRAME);
    EXPECT_EQ(client.get_message(0, msg), 1) << c.what;
    EXPECT_EQ(msg, "abc") << c.what;
    client.recent_headers[0].clear();
  }
}

TEST_F(ReaderTest, RejectedBodyGivesEmptyMessage) {
  write_all(peer, hand_frame("zz") + hand_frame(""));
  std::string msg = "old";
  EXPECT_EQ(client.get_message(0, msg), 1);
  EXPECT_EQ(msg, "");
  msg = "old";
  EXPECT_EQ(client.get_message(0, msg), 1);
  EXPECT_EQ(msg, "");
}

TEST_F(ReaderTest, PeerCloseThenClosedConnection) {
  write_all(peer, ABC_FRAME.substr(0, 8));
  close(pair.b);
  pair.b = -1;
  std::string msg;
  EXPECT_EQ(client.get_message(0, msg), -1);
  EXPECT_EQ(client.get_message(0, msg), -3);
  client.sckClose(0);
  EXPECT_EQ(client.get_message(0, msg), -2);
  EXPECT_EQ(client.sckRecv(msg), -2);
}

TEST_F(ReaderTest, BlockingReceiveOfEmptyOrMalformed) {
  std::string msg;
  write_all(peer, hand_frame("zz"));
  EXPECT_EQ(client.sckRecv(msg), 0);
  write_all(peer, "\x01" "00+c" "\x02" + ABC_BODY + "\x04" + ABC_FRAME);
  EXPECT_EQ(client.sckRecv(msg), 0);
  EXPECT_EQ(read_available(client.get_fd(0), 0), "");  // flushed
  write_all(peer, "\x01" "000c" "\x02" + ABC_BODY + "\x00"s);
  EXPECT_EQ(client.sckRecv(msg), 0);
  EXPECT_TRUE(client.is_open(0));
}

// A bad head is followed by its body, which may come later than the head:
// the blocking reader takes the body off before it discards, so the next
// frame is read whole.
TEST_F(ReaderTest, BlockingReadTakesTheLateBodyOfABadHead) {
  const std::string heads[] = {
      "\x7f" "000c" "\x02"s,  // bad SOH
      "\x01" "000c" "\x7f"s,  // bad STX
      "\x7f" "000c" "\x7f"s,  // both
  };
  for (const std::string& head : heads) {
    SocketPair p;
    int writer = p.b;
    bool body_sent = false;
    NetSystem sys = zero_random_system();
    sys.sleep_fn = [&](unsigned) {
      if (!body_sent) write_all(writer, ABC_BODY + "\x04");
      body_sent = true;
    };
    Socket reader{SOCKET_ROLE_CLIENT};
    reader.set_system(sys);
    ASSERT_EQ(reader.attach(0, p.a), 0);
    p.a = -1;
    write_all(writer, head);
    std::string msg;
    EXPECT_EQ(reader.sckRecv(msg), 0);
    if (!body_sent) write_all(writer, ABC_BODY + "\x04");
    write_all(writer, ABC_FRAME);
    EXPECT_EQ(reader.sckRecv(msg), 3);
    EXPECT_EQ(msg, "abc");
  }
}

TEST_F(ReaderTest, SilentPeerTimesOutAfter5000Waits) {
  std::string msg;
  EXPECT_EQ(client.sckRecv(msg, false), -1);
  EXPECT_EQ(*sleeps, 0);
  EXPECT_EQ(client.sckRecv(msg), -5);
  EXPECT_EQ(*sleeps, 5000);
  // Nothing of a frame was taken: the connection stays usable.
  EXPECT_TRUE(client.is_open(0));
}

TEST_F(ReaderTest, TimeOutInsideAFrameLosesTheConnection) {
  struct Case { const char* what; size_t cut; } cases[] = {
      {"inside the head", 3},
      {"inside the body", 9},
  };
  for (const Case& c : cases) {
    SocketPair p;
    client.attach(0, p.a);
    p.a = -1;
    write_all(p.b, ABC_FRAME.substr(0, c.cut));
    std::string msg;
    EXPECT_EQ(client.sckRecv(msg), -5) << c.what;
    EXPECT_FALSE(client.is_open(0)) << c.what;
  }
}

TEST_F(ReaderTest, BlockingReadFinishesAFrameBegunByTheFrameLoop) {
  std::string msg;
  write_all(peer, ABC_FRAME.substr(0, 4));
  EXPECT_EQ(client.get_message(0, msg), -1);
  write_all(peer, ABC_FRAME.substr(4) + hand_frame("\x06"));
  EXPECT_EQ(client.sckRecv(msg), 3);
  EXPECT_EQ(msg, "abc");
  EXPECT_EQ(client.getAck(), 0);
  // Half a frame that never ends: the connection is lost.
  write_all(peer, ABC_FRAME.substr(0, 8));
  EXPECT_EQ(client.get_message(0, msg), -1);
  EXPECT_EQ(client.sckRecv(msg), -5);
  EXPECT_FALSE(client.is_open(0));
}

TEST_F(ReaderTest, RawRecvReadsExactly) {
  write_all(peer, "abcdefgh");
  std::string out;
  EXPECT_EQ(client.raw_recv(0, 3, out, true), 0);
  EXPECT_EQ(out, "abc");
  EXPECT_EQ(client.raw_recv(0, 0, out, true), 0);
  EXPECT_EQ(out, "");
  EXPECT_EQ(client.raw_recv(0, -4, out, true), 0);
  EXPECT_EQ(client.raw_recv(0, 5, out, false), 0);
  EXPECT_EQ(out, "defgh");
  EXPECT_EQ(client.raw_recv(0, 1, out, false), -1);
}

TEST(RawRecv, EachReceiveIsCappedAtTheBuffer) {
  Socket s(SOCKET_ROLE_CLIENT);
  NetSystem sys = zero_random_system();
  size_t largest = 0;
  sys.recv_fn = [&largest](int, void* buf, size_t len) -> ssize_t {
    if (len > largest) largest = len;
    size_t n = len < 70000 ? len : 70000;
    memset(buf, 'q', n);
    return static_cast<ssize_t>(n);
  };
  s.set_system(sys);
  std::string out;
  EXPECT_EQ(s.raw_recv(0, 250000, out, true), 0);
  EXPECT_EQ(out.size(), 250000u);
  EXPECT_LE(largest, NET_RECV_BUF);
}

TEST_F(ReaderTest, GetAck) {
  struct Case { std::string frame; int result; } cases[] = {
      {hand_frame("\x06"), 0},
      {hand_frame("\x15"), 1},
      {ABC_FRAME, 2},
      {hand_frame("zz"), -1},  // rejected: empty message
  };
  for (const Case& c : cases) {
    client.recent_headers[0].clear();
    write_all(peer, c.frame);
    EXPECT_EQ(client.getAck(), c.result);
  }
  EXPECT_EQ(client.getAck(), -1);  // nothing arrives
  EXPECT_EQ(*sleeps, 5000);
}

}  // namespace
