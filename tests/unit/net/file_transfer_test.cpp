// File transfer between a server-role and a client-role Socket over a socket
// pair: pieces, exact multiples of a piece, empty files, CRC checks, refused
// names and unreadable pieces.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <filesystem>

#include "net/socket.h"
#include "net/wire_frame.h"
#include "net_test_support.h"
#include "support/temp_dir.h"

using namespace std::string_literals;

namespace {

std::string zip(const std::string& data) {
  std::string out(compressBound(data.size()), '\0');
  uLongf len = out.size();
  compress2(reinterpret_cast<Bytef*>(out.data()), &len,
            reinterpret_cast<const Bytef*>(data.data()), data.size(), 9);
  out.resize(len);
  return out;
}

std::string pattern(size_t n) {
  std::string s;
  uint32_t seed = 99;
  while (s.size() < n) {
    seed = seed * 1103515245u + 12345u;
    s += static_cast<char>((seed >> 16) & 0xff);
  }
  return s;
}

// The client's requests reach the server as soon as they are sent: the
// server answers each "*" with the next queued piece, as a game server does.
struct TransferTest : ::testing::Test {
  TempDir dir;
  SocketPair pair;
  Socket server{SOCKET_ROLE_SERVER};
  Socket client{SOCKET_ROLE_CLIENT};
  std::vector<std::string> requests;
  bool serve = true;

  void SetUp() override {
    ASSERT_EQ(server.attach(0, pair.a), 0);
    ASSERT_EQ(client.attach(0, pair.b), 0);
    pair.a = pair.b = -1;
    std::filesystem::create_directories("dat");
    std::filesystem::create_directories("src");
    NetSystem sys = test_system({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13});
    server.set_system(sys);
    sys = test_system({21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33});
    sys.send_fn = [this](int fd, const void* buf, size_t len) -> ssize_t {
      ssize_t n = ::send(fd, buf, len, MSG_NOSIGNAL);
      std::string msg;
      while (server.get_message(0, msg) == 1) {
        requests.push_back(msg);
        if (serve) server.serve_transfer_request(0, msg);
      }
      return n;
    };
    client.set_system(sys);
  }

  std::vector<std::string> stars(int n, bool end = true) {
    std::vector<std::string> v(static_cast<size_t>(n), "*");
    if (end) v.push_back("**");
    return v;
  }
};

TEST_F(TransferTest, SeveralPieces) {
  std::string data = pattern(7500);  // pieces of 3000, 3000, 1500
  TempDir::write("src/table.txt", data);
  EXPECT_EQ(server.send_file(0, "src/table.txt", "dat/table.txt", 0), 1);
  EXPECT_EQ(server.queued_count(0), 4u);
  EXPECT_EQ(client.recv_file(), 0);
  EXPECT_EQ(TempDir::read("dat/table.txt"), data);
  EXPECT_EQ(requests, stars(4));
  EXPECT_FALSE(std::filesystem::exists("dat/table.txt.xfer"));
}

TEST_F(TransferTest, ExactMultipleOfAPieceHasNoEmptyPiece) {
  std::string data = pattern(6000);
  TempDir::write("src/m.txt", data);
  EXPECT_EQ(server.send_file(0, "src/m.txt", "dat/m.txt", 0), 1);
  EXPECT_EQ(server.queued_count(0), 3u);  // two pieces and the end
  EXPECT_EQ(client.recv_file(), 0);
  EXPECT_EQ(TempDir::read("dat/m.txt"), data);
  EXPECT_EQ(requests, stars(3));
}

TEST_F(TransferTest, EmptyFileIsTheEndMessageAlone) {
  TempDir::write("src/empty.txt", "");
  EXPECT_EQ(server.send_file(0, "src/empty.txt", "dat/empty.txt", 0x1234), 1);
  EXPECT_EQ(server.queued_count(0), 1u);
  EXPECT_EQ(client.recv_file(), 0);
  EXPECT_TRUE(std::filesystem::exists("dat/empty.txt"));
  EXPECT_EQ(std::filesystem::file_size("dat/empty.txt"), 0u);
  EXPECT_EQ(requests, stars(1));
}

TEST_F(TransferTest, ReceiversCopyIsGood) {
  // CRC-32/BZIP2 of "123456789" is fc891918.
  TempDir::write("src/check.txt", "123456789");
  EXPECT_EQ(server.send_file(0, "src/check.txt", "dat/check.txt", 0xfc891918u), 0);
  EXPECT_EQ(server.queued_count(0), 0u);
  EXPECT_EQ(client.recv_file(), 0);
  EXPECT_FALSE(std::filesystem::exists("dat/check.txt"));
  EXPECT_TRUE(requests.empty());
}

TEST_F(TransferTest, HandMadeTransferWithKnownCrc) {
  serve = false;
  server.sckSend(0, "FILE dat/check.txt fc891918 1");
  server.sckSend(0, zip("12345"));
  server.sckSend(0, zip("6789"));
  server.sckSend(0, "_END_OF_FILE_");
  EXPECT_EQ(client.recv_file(), 0);
  EXPECT_EQ(TempDir::read("dat/check.txt"), "123456789");
  EXPECT_EQ(requests, stars(3));
}

TEST_F(TransferTest, CrcMismatchLeavesTheOldFile) {
  serve = false;
  TempDir::write("dat/check.txt", "old contents");
  server.sckSend(0, "FILE dat/check.txt fc891919 1");
  server.sckSend(0, zip("123456789"));
  server.sckSend(0, "_END_OF_FILE_");
  EXPECT_EQ(client.recv_file(), 1);
  EXPECT_EQ(TempDir::read("dat/check.txt"), "old contents");
  EXPECT_FALSE(std::filesystem::exists("dat/check.txt.xfer"));
  EXPECT_EQ(requests, stars(2));
}

TEST_F(TransferTest, InvalidHeaders) {
  serve = false;
  for (const char* header : {"FILE dat/x.txt", "FILE dat/x.txt zz 1", "HELLO dat/x.txt 1 1"}) {
    server.sckSend(0, std::string(header));
    EXPECT_EQ(client.recv_file(), 1) << header;
  }
  EXPECT_TRUE(requests.empty());
}

TEST_F(TransferTest, RefusedNameIsDrained) {
  TempDir::write("src/evil.sh", "rm -rf ~\n");
  TempDir::write("client.cfg", "mine\n");
  for (const char* name : {"client.cfg", "./patch.sh", "dat/../client.cfg", "clientscripts/a.lua"}) {
    requests.clear();
    EXPECT_EQ(server.send_file(0, "src/evil.sh", name, 0), 1);
    server.sckSend(0, "after");  // waits behind the pieces
    EXPECT_EQ(client.recv_file(), 1) << name;
    EXPECT_EQ(requests, stars(2)) << name;
    EXPECT_EQ(server.queued_count(0), 0u);
    std::string msg;
    EXPECT_EQ(client.sckRecv(msg), 5);
    EXPECT_EQ(msg, "after");
  }
  EXPECT_EQ(TempDir::read("client.cfg"), "mine\n");
  EXPECT_FALSE(std::filesystem::exists("patch.sh"));
  EXPECT_FALSE(std::filesystem::exists("clientscripts"));
}

TEST_F(TransferTest, CallerCanNarrowTheFolders) {
  TempDir::write("src/lvl.map", "map");
  std::filesystem::create_directories("cmaps");
  EXPECT_EQ(server.send_file(0, "src/lvl.map", "dat/lvl001.map", 0), 1);
  EXPECT_EQ(client.recv_file({"cmaps/"}), 1);
  EXPECT_FALSE(std::filesystem::exists("dat/lvl001.map"));
  EXPECT_EQ(server.send_file(0, "src/lvl.map", "cmaps/lvl001.map", 0), 1);
  EXPECT_EQ(client.recv_file({"cmaps/"}), 0);
  EXPECT_EQ(TempDir::read("cmaps/lvl001.map"), "map");
}

TEST_F(TransferTest, CallerCanRequireTheExactName) {
  TempDir::write("src/lvl.map", "map");
  std::filesystem::create_directories("cmaps");
  // Another level's file, or a minimap cache, is refused and drained.
  for (const char* other : {"cmaps/lvl003.map", "cmaps/Demo.002.mm"}) {
    EXPECT_EQ(server.send_file(0, "src/lvl.map", other, 0), 1);
    EXPECT_EQ(client.recv_file({"cmaps/"}, "cmaps/lvl002.map"), 1) << other;
    EXPECT_FALSE(std::filesystem::exists(other)) << other;
  }
  EXPECT_EQ(server.send_file(0, "src/lvl.map", "cmaps/lvl002.map", 0), 1);
  EXPECT_EQ(client.recv_file({"cmaps/"}, "cmaps/lvl002.map"), 0);
  EXPECT_EQ(TempDir::read("cmaps/lvl002.map"), "map");
}

TEST_F(TransferTest, RepeatedBadPiecesGiveUp) {
  serve = false;
  TempDir::write("dat/x.txt", "old");
  server.sckSend(0, "FILE dat/x.txt 1234 1");
  server.sckSend(0, zip("good piece"));
  for (int i = 0; i < 5; ++i) write_all(server.get_fd(0), hand_frame("not an encoded body"));
  EXPECT_EQ(client.recv_file(), -1);
  EXPECT_EQ(TempDir::read("dat/x.txt"), "old");
  EXPECT_FALSE(std::filesystem::exists("dat/x.txt.xfer"));
  EXPECT_EQ(requests, stars(6, false));
}

TEST_F(TransferTest, FewBadPiecesAreSkipped) {
  serve = false;
  server.sckSend(0, "FILE dat/check.txt fc891918 1");
  for (int i = 0; i < 4; ++i) write_all(server.get_fd(0), hand_frame("zz"));
  server.sckSend(0, zip("123456789"));
  server.sckSend(0, "_END_OF_FILE_");
  EXPECT_EQ(client.recv_file(), 0);
  EXPECT_EQ(TempDir::read("dat/check.txt"), "123456789");
  EXPECT_EQ(requests, stars(6));
}

TEST_F(TransferTest, PeerGoneMidTransfer) {
  serve = false;
  server.sckSend(0, "FILE dat/x.txt 1234 1");
  server.sckSend(0, zip("some"));
  server.sckClose(0);
  EXPECT_EQ(client.recv_file(), -1);
  EXPECT_FALSE(std::filesystem::exists("dat/x.txt"));
  EXPECT_FALSE(std::filesystem::exists("dat/x.txt.xfer"));
}

TEST_F(TransferTest, MissingFolderCannotBeWritten) {
  TempDir::write("src/a.wav", "wave");
  EXPECT_EQ(server.send_file(0, "src/a.wav", "sound/a.wav", 0), 1);
  server.sckSend(0, "after");  // waits behind the pieces
  EXPECT_EQ(client.recv_file(), -2);
  // The transfer is still taken off the line, so the session stays in step.
  EXPECT_EQ(requests, stars(2));
  EXPECT_EQ(server.queued_count(0), 0u);
  std::string msg;
  EXPECT_EQ(client.sckRecv(msg), 5);
  EXPECT_EQ(msg, "after");
  EXPECT_FALSE(std::filesystem::exists("sound"));
}

TEST_F(TransferTest, SenderFailures) {
  EXPECT_EQ(server.send_file(0, "src/missing.txt", "dat/x.txt", 0), -2);
  TempDir::write("src/a.txt", "a");
  EXPECT_EQ(server.send_file(0, "src/a.txt", "dat/with blank.txt", 0), -2);
  EXPECT_EQ(server.send_file(0, "src/a.txt", "", 0), -2);
  EXPECT_EQ(read_available(client.get_fd(0), 10), "");
}

TEST(TransferNames, OnlyBelowTheGameDataFolders) {
  struct Case { const char* name; bool ok; } cases[] = {
      {"dat/items.txt", true}, {"cmaps/lvl001.map", true}, {"pics/cards/c1.png", true},
      {"sound/hit.wav", true}, {"client.cfg", false}, {"./patch.sh", false},
      {"patch.sh", false}, {"/etc/passwd", false}, {"dat/../client.cfg", false},
      {"../dat/x", false}, {"dat/", false}, {"dat", false}, {"dat//x", false},
      {"dat/./x", false}, {"clientscripts/x.lua", false}, {"data/x", false},
      {"dat\\x", false}, {"dat/x\ny", false}, {"", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(is_allowed_transfer_name(c.name, NET_FILE_FOLDERS), c.ok) << c.name;
  EXPECT_TRUE(is_allowed_transfer_name("maps/a", {"maps"}));
}

}  // namespace
