// The Socket object: the send path with its pending buffer and queue, the
// client connection, the server's listening side and the role guards.

#include "net/socket.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>

#include "net/wire_frame.h"
#include "net_test_support.h"
#include "support/temp_dir.h"

using namespace std::string_literals;

namespace {

const std::string ABC_FRAME = "\x01" "000c" "\x02" "0000000\nQCEG" "\x04"s;

struct SendTest : ::testing::Test {
  TempDir dir;
  SocketPair pair;
  Socket client{SOCKET_ROLE_CLIENT};
  int peer = -1;

  void SetUp() override {
    client.set_system(zero_random_system());
    ASSERT_EQ(client.attach(0, pair.a), 0);
    pair.a = -1;
    peer = pair.b;
  }
};

TEST_F(SendTest, OneMessageIsOneFrame) {
  bytes_sent = 0;
  EXPECT_EQ(client.sckSend("abc"), 0);
  EXPECT_EQ(read_available(peer), ABC_FRAME);
  EXPECT_EQ(bytes_sent, ABC_FRAME.size());
  EXPECT_EQ(client.sckSend("%c%s", 'a', "bc"), 0);
  EXPECT_EQ(client.sckSend(std::string("abc")), 0);
  EXPECT_EQ(read_available(peer), ABC_FRAME + ABC_FRAME);
}

TEST_F(SendTest, AcknowledgementsTravelBare) {
  EXPECT_EQ(client.sndAck(), 0);
  EXPECT_EQ(client.sndNack(), 0);
  EXPECT_EQ(client.sckSend("C1"), 0);
  EXPECT_EQ(read_available(peer), "\x01" "0001" "\x02\x06\x04"
                                  "\x01" "0001" "\x02\x15\x04"
                                  "\x01" "0002" "\x02" "C1" "\x04"s);
}

TEST_F(SendTest, LongFormattedMessageArrivesWhole) {
  std::string text(40000, 'w');
  EXPECT_EQ(client.sckSend("say %s!", text.c_str()), 0);
  Socket reader(SOCKET_ROLE_CLIENT);
  ASSERT_EQ(reader.attach(0, peer), 0);
  pair.b = -1;
  std::string msg;
  EXPECT_EQ(reader.sckRecv(msg), 40005);
  EXPECT_EQ(msg, "say " + text + "!");
}

TEST_F(SendTest, BodyTooLongForTheFrameIsRefused) {
  EXPECT_EQ(client.sckSend(std::string(65600, 'B')), -1);
  EXPECT_EQ(read_available(peer, 10), "");
  EXPECT_FALSE(client.has_pending(0));
  // The largest body that fits still goes: 7 + n + 2 = 65535 ('B' and the
  // checksum "6c" never scramble to 0x00 or 'x' with K = 0).
  EXPECT_EQ(client.sckSend(std::string(65526, 'B')), 0);
  std::string got = read_available(peer);
  EXPECT_EQ(got.size(), 6u + 65535u + 1u);
  EXPECT_EQ(got.substr(0, 6), "\x01" "ffff" "\x02"s);
}

// The kernel takes at most `lens[i]` bytes at its i-th call (-1: EAGAIN),
// then everything.
void limit_sends(Socket& s, std::vector<long> lens) {
  auto calls = std::make_shared<size_t>(0);
  NetSystem sys = s.get_system();
  sys.send_fn = [calls, lens](int fd, const void* buf, size_t len) -> ssize_t {
    size_t call = (*calls)++;
    if (call < lens.size() && lens[call] < 0) {
      errno = EAGAIN;
      return -1;
    }
    if (call < lens.size()) len = size_t(lens[call]);
    return ::send(fd, buf, len, MSG_NOSIGNAL);
  };
  s.set_system(sys);
}

TEST_F(SendTest, PartialSendKeepsTheTailInFront) {
  limit_sends(client, {-1, 5});
  bytes_sent = 0;
  EXPECT_EQ(client.sckSend("abc"), 0);
  EXPECT_EQ(client.eagain_buffers[0], ABC_FRAME);
  EXPECT_EQ(client.sckSend("abc"), 0);
  EXPECT_EQ(client.eagain_buffers[0], ABC_FRAME.substr(5) + ABC_FRAME);
  EXPECT_EQ(bytes_sent, 5u);
  EXPECT_EQ(client.flush_pending(0), 0);
  EXPECT_FALSE(client.has_pending(0));
  EXPECT_EQ(bytes_sent, 2 * ABC_FRAME.size());
  EXPECT_EQ(read_available(peer), ABC_FRAME + ABC_FRAME);
  // A new frame cut short: an acknowledgement waits behind its tail.
  limit_sends(client, {3});
  EXPECT_EQ(client.sckSend("abc"), 0);
  EXPECT_EQ(client.eagain_buffers[0], ABC_FRAME.substr(3));
  EXPECT_EQ(client.sckSend("\x06"), 0);
  EXPECT_EQ(read_available(peer), ABC_FRAME + "\x01" "0001" "\x02\x06\x04"s);
}

TEST_F(SendTest, PeerThatDoesNotRead) {
  int small = 4096;
  ASSERT_EQ(setsockopt(client.get_fd(0), SOL_SOCKET, SO_SNDBUF, &small, sizeof small), 0);
  client.set_system(NetSystem::standard());
  int sent = 0;
  while (!client.has_pending(0) && sent < 10000) {
    ASSERT_EQ(client.sckSend("message %05d %s", sent, std::string(500, 'p').c_str()), 0);
    ++sent;
  }
  ASSERT_TRUE(client.has_pending(0));
  // Further sends queue behind the pending bytes.
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(client.sckSend("message %05d %s", sent, std::string(500, 'p').c_str()), 0);
    ++sent;
  }
  Socket reader(SOCKET_ROLE_CLIENT);
  ASSERT_EQ(reader.attach(0, peer), 0);
  pair.b = -1;
  std::string msg;
  for (int i = 0; i < sent; ++i) {
    int rc = reader.get_message(0, msg);
    for (int tries = 0; rc == -1 && tries < 2000; ++tries) {
      client.flush_pending(0);
      rc = reader.get_message(0, msg);
    }
    ASSERT_EQ(rc, 1) << i;
    char want[32];
    snprintf(want, sizeof want, "message %05d ", i);
    ASSERT_EQ(msg.substr(0, 14), want);
  }
  EXPECT_FALSE(client.has_pending(0));
}

TEST_F(SendTest, PeerGoneGivesAnErrorNotASignal) {
  close(pair.b);
  pair.b = -1;
  EXPECT_EQ(client.sckSend("abc"), -1);
}

TEST_F(SendTest, EmptyMessageFlushesOnlyThePendingBytes) {
  client.eagain_buffers[0] = "pending";
  EXPECT_EQ(client.sckSend(std::string()), 0);
  EXPECT_EQ(read_available(peer), "pending");
}

TEST_F(SendTest, QueuedMessagesLeaveInOrder) {
  client.set_system(test_system({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}));
  client.queue_msg(0, "first");
  client.queue_msg(0, "second");
  EXPECT_EQ(client.sckSend("third"), 0);  // waits behind the queue
  EXPECT_EQ(client.queued_count(0), 3u);
  EXPECT_EQ(read_available(peer, 10), "");
  Socket reader(SOCKET_ROLE_CLIENT);
  ASSERT_EQ(reader.attach(0, peer), 0);
  pair.b = -1;
  std::string msg;
  const char* expected[] = {"first", "second", "third"};
  int remaining[] = {2, 1, 0};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(client.send_queued(0), remaining[i]);
    EXPECT_GT(reader.sckRecv(msg), 0);
    EXPECT_EQ(msg, expected[i]);
  }
  EXPECT_EQ(client.send_queued(0), 0);
}

TEST(SocketIds, InvalidIds) {
  TempDir dir;
  Socket server(SOCKET_ROLE_SERVER);
  EXPECT_TRUE(server.invalid_id(-1));
  EXPECT_FALSE(server.invalid_id(0));
  EXPECT_TRUE(server.invalid_id(1));
  EXPECT_EQ(server.sckActuallySend(-1, "x", false), -1);
  EXPECT_EQ(server.sckActuallySend(3, "x", false), -1);
  std::string msg;
  EXPECT_EQ(server.sckRecv(-1, msg), -4);
  EXPECT_EQ(server.sckRecv(5, msg), -4);
  server.queue_msg(9, "x");
  EXPECT_EQ(server.send_queued(9), 0);
  // The client role uses connection 0 whatever it is given.
  Socket client(SOCKET_ROLE_CLIENT);
  SocketPair pair;
  ASSERT_EQ(client.attach(7, pair.a), 0);
  pair.a = -1;
  client.set_system(zero_random_system());
  EXPECT_EQ(client.sckActuallySend(5, "abc", false), 0);
  EXPECT_EQ(read_available(pair.b), ABC_FRAME);
}

struct LoopbackTest : ::testing::Test {
  TempDir dir;
  Socket server{SOCKET_ROLE_SERVER};
  Socket client{SOCKET_ROLE_CLIENT};

  void SetUp() override {
    ASSERT_EQ(server.sckListen(0, 2, "127.0.0.1"), 0);
    ASSERT_GT(server.get_port(), 0);
  }
  // Accepts the connection that the client has just made (the kernel finished
  // the handshake already; accept may still need a moment).
  int accept_into(int slot, std::string& peer) {
    int rc = 1;
    for (int i = 0; i < 200 && rc == 1; ++i) {
      rc = server.getconnection(slot, peer);
      if (rc == 1) usleep(1000);
    }
    return rc;
  }
  int recv_on(Socket& s, int id, std::string& msg) {
    int rc = -1;
    for (int i = 0; i < 2000 && rc == -1; ++i) {
      rc = s.get_message(id, msg);
      if (rc == -1) usleep(500);
    }
    return rc;
  }
};

TEST_F(LoopbackTest, ServerFull) {
  Socket first(SOCKET_ROLE_CLIENT), second(SOCKET_ROLE_CLIENT);
  std::string peer;
  ASSERT_EQ(first.skcConnect("127.0.0.1", server.get_port()), 0);
  EXPECT_EQ(server.first_free_slot(), 0);
  ASSERT_EQ(accept_into(server.first_free_slot(), peer), 0);
  ASSERT_EQ(second.skcConnect("127.0.0.1", server.get_port()), 0);
  ASSERT_EQ(accept_into(server.first_free_slot(), peer), 0);
  EXPECT_EQ(server.first_free_slot(), -1);
  ASSERT_EQ(client.skcConnect("127.0.0.1", server.get_port()), 0);
  EXPECT_EQ(accept_into(server.first_free_slot(), peer), -1);
  EXPECT_EQ(client.getAck(), 1);  // the frame of a bare NAK
  std::string msg;
  EXPECT_EQ(recv_on(client, 0, msg), -3);
}

TEST_F(LoopbackTest, ReconnectStartsClean) {
  ASSERT_EQ(client.skcConnect("127.0.0.1", server.get_port()), 0);
  std::string peer;
  ASSERT_EQ(accept_into(0, peer), 0);
  // Leave the client with half a frame read, bytes pending and a replay window.
  write_all(server.get_fd(0), ABC_FRAME.substr(0, 9));
  std::string msg;
  for (int i = 0; i < 200 && client.recv_buffers[0].size() + client.body_pending[0] == 0; ++i) {
    usleep(1000);
    client.get_message(0, msg);
  }
  client.eagain_buffers[0] = "stale bytes";
  client.recent_headers[0].push_back("0000000");
  client.queue_msg(0, "stale");
  client.group_buffers[0] = "grouped";

  ASSERT_EQ(client.skcConnect("127.0.0.1", server.get_port()), 0);
  EXPECT_TRUE(client.eagain_buffers[0].empty());
  EXPECT_TRUE(client.recv_buffers[0].empty());
  EXPECT_EQ(client.body_pending[0], 0);
  EXPECT_EQ(client.expected_bytes[0], 0);
  EXPECT_TRUE(client.recent_headers[0].empty());
  EXPECT_EQ(client.queued_count(0), 0u);
  EXPECT_TRUE(client.group_buffers[0].empty());
  ASSERT_EQ(accept_into(1, peer), 0);
  write_all(server.get_fd(1), ABC_FRAME);
  EXPECT_EQ(recv_on(client, 0, msg), 1);
  EXPECT_EQ(msg, "abc");
  EXPECT_EQ(client.sckSend("fresh"), 0);
  EXPECT_EQ(recv_on(server, 1, msg), 1);
  EXPECT_EQ(msg, "fresh");
}

TEST(RoleGuardDeathTest, ClientCallsInTheServerRoleEndTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  TempDir dir;
  Socket server(SOCKET_ROLE_SERVER);
  Socket client(SOCKET_ROLE_CLIENT);
  std::string msg;
  EXPECT_EXIT(server.sckSend("x"), ::testing::ExitedWithCode(1), "");
  EXPECT_EXIT(server.sckRecv(msg), ::testing::ExitedWithCode(1), "");
  EXPECT_EXIT(server.getAck(), ::testing::ExitedWithCode(1), "");
  EXPECT_EXIT(server.sndAck(), ::testing::ExitedWithCode(1), "");
  EXPECT_EXIT(server.recv_file(), ::testing::ExitedWithCode(1), "");
  EXPECT_EXIT(server.skcConnect("127.0.0.1", 1), ::testing::ExitedWithCode(1), "");
  EXPECT_EXIT(client.sckListen(0), ::testing::ExitedWithCode(1), "");
  EXPECT_EXIT(client.getconnection(0, msg), ::testing::ExitedWithCode(1), "");
}

}  // namespace
