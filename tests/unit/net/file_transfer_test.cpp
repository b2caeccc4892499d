// File transfer between a server-role and a client-role Socket over a socket
// pair: pieces, exact multiples of a piece, empty files, CRC checks, refused
// names and unreadable pieces.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <filesystem>

#include "core/string_utils.h"
#include "core/utils.h"
#include "input/keymap.h"
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

// Pieces of 3000 bytes and an end message; no empty piece after an exact
// multiple; an empty file is the end message alone; a file whose CRC the
// receiver's copy already has is not sent at all.
TEST_F(TransferTest, ServedFiles) {
  const struct {
    const char* what;
    std::string data;
    uint32_t crc;
    int send_rc;
    size_t queued;
    int stars;  // pieces asked for, -1: no transfer
  } cases[] = {
      {"several pieces", pattern(7500), 0, 1, 4, 4},
      {"exact multiple", pattern(6000), 0, 1, 3, 3},
      {"empty", "", 0x1234, 1, 1, 1},
      {"receiver's copy is good", "123456789", 0xfc891918u, 0, 0, -1},  // CRC-32/BZIP2
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    requests.clear();
    std::filesystem::remove("dat/f.txt");
    TempDir::write("src/f.txt", c.data);
    EXPECT_EQ(server.send_file(0, "src/f.txt", "dat/f.txt", c.crc), c.send_rc);
    EXPECT_EQ(server.queued_count(0), c.queued);
    EXPECT_EQ(client.recv_file(), 0);
    if (c.stars < 0) {
      EXPECT_FALSE(std::filesystem::exists("dat/f.txt"));
      EXPECT_TRUE(requests.empty());
      continue;
    }
    EXPECT_TRUE(std::filesystem::exists("dat/f.txt"));
    EXPECT_EQ(TempDir::read("dat/f.txt"), c.data);
    EXPECT_EQ(requests, stars(c.stars));
    EXPECT_FALSE(std::filesystem::exists("dat/f.txt.xfer"));
  }
}

// Transfers written by hand: "~" stands for a frame whose body no key
// decodes. A damaged transfer leaves the old file and no partial copy.
TEST_F(TransferTest, HandMadeTransfers) {
  serve = false;
  const std::string end = "_END_OF_FILE_";
  const std::string long_piece(NET_FILE_PIECE + 1, 'a');
  TempDir::write("src/long.txt", long_piece);
  const std::string long_header =
      "FILE dat/x.txt " + format_str("%x", static_cast<unsigned>(file_crc32("src/long.txt"))) + " 1";
  const struct {
    const char* what;
    std::vector<std::string> sent;
    bool close;
    int rc;
    const char* content;  // afterwards; nullptr: no file
    std::vector<std::string> requests;
  } cases[] = {
      {"known CRC", {"FILE dat/x.txt fc891918 1", zip("12345"), zip("6789"), end}, false, 0, "123456789",
       stars(3)},
      {"CRC mismatch", {"FILE dat/x.txt fc891919 1", zip("123456789"), end}, false, 1, "old", stars(2)},
      {"few bad pieces are skipped", {"FILE dat/x.txt fc891918 1", "~", "~", "~", "~", zip("123456789"), end},
       false, 0, "123456789", stars(6)},
      {"repeated bad pieces give up", {"FILE dat/x.txt 1234 1", zip("good piece"), "~", "~", "~", "~", "~"},
       false, -1, "old", stars(6, false)},
      {"peer gone", {"FILE dat/x.txt 1234 1", zip("some")}, true, -1, nullptr, {}},
      // Inflating stops at the piece size, whatever the CRC says; the rest of
      // the transfer is drained.
      {"piece past the piece size", {long_header, zip(long_piece), end}, false, 1, "old", stars(2)},
      {"piece that does not inflate",
       {"FILE dat/x.txt fc891918 1", zip("123456789"), "not a zlib stream", end}, false, 1, "old",
       stars(3)},
      {"nothing to send", {"FILE dat/x.txt 1234 0"}, false, 0, "old", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SocketPair p;
    ASSERT_EQ(server.attach(0, p.a), 0);
    ASSERT_EQ(client.attach(0, p.b), 0);
    p.a = p.b = -1;
    requests.clear();
    if (c.content) TempDir::write("dat/x.txt", "old");
    else std::filesystem::remove("dat/x.txt");
    // What a client stopped in an earlier transfer left behind.
    TempDir::write("dat/x.txt.xfer", "partial");
    for (const std::string& m : c.sent) {
      if (m == "~") write_all(server.get_fd(0), hand_frame("not an encoded body"));
      else server.sckSend(0, m);
    }
    if (c.close) server.sckClose(0);
    EXPECT_EQ(client.recv_file(), c.rc);
    if (c.content) {
      EXPECT_EQ(TempDir::read("dat/x.txt"), c.content);
    } else {
      EXPECT_FALSE(std::filesystem::exists("dat/x.txt"));
    }
    EXPECT_FALSE(std::filesystem::exists("dat/x.txt.xfer"));
    if (!c.close) {
      EXPECT_EQ(requests, c.requests);
    }
  }
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
  TempDir::write("dat/keymap.cfg", "my keys\n");
  for (const char* name : {"client.cfg", "./patch.sh", "dat/../client.cfg", "clientscripts/a.lua",
                           "dat/keymap.cfg", "dat/KeyMap.cfg"}) {
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
  EXPECT_EQ(TempDir::read("dat/keymap.cfg"), "my keys\n");
  EXPECT_FALSE(std::filesystem::exists("dat/KeyMap.cfg"));
  EXPECT_FALSE(std::filesystem::exists("patch.sh"));
  EXPECT_FALSE(std::filesystem::exists("clientscripts"));
}

// The caller may narrow the folders and name the one file it wants: another
// level's file or a minimap cache is refused and drained.
TEST_F(TransferTest, CallerCanNarrowTheFoldersAndTheName) {
  TempDir::write("src/lvl.map", "map");
  std::filesystem::create_directories("cmaps");
  const struct {
    const char* name;
    const char* wanted;
    int rc;
  } cases[] = {
      {"dat/lvl001.map", "", 1},
      {"cmaps/lvl001.map", "", 0},
      {"cmaps/lvl003.map", "cmaps/lvl002.map", 1},
      {"cmaps/Demo.002.mm", "cmaps/lvl002.map", 1},
      {"cmaps/lvl002.map", "cmaps/lvl002.map", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(server.send_file(0, "src/lvl.map", c.name, 0), 1);
    EXPECT_EQ(client.recv_file({"cmaps/"}, c.wanted), c.rc) << c.name;
    EXPECT_EQ(std::filesystem::exists(c.name), c.rc == 0) << c.name;
  }
  EXPECT_EQ(TempDir::read("cmaps/lvl002.map"), "map");
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

// A file up to the cap is received; one byte more fails, leaves nothing
// behind and the session in step.
TEST_F(TransferTest, FileSizeCap) {
  const size_t cap = static_cast<size_t>(NET_MAX_FILE_BYTES);
  const struct {
    size_t size;
    int rc;
  } cases[] = {{cap, 0}, {cap + 1, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    std::filesystem::remove("dat/big.bin");
    TempDir::write("src/big.bin", "");
    std::filesystem::resize_file("src/big.bin", c.size);
    ASSERT_EQ(server.send_file(0, "src/big.bin", "dat/big.bin", 0), 1);
    server.sckSend(0, "after");  // waits behind the pieces
    EXPECT_EQ(client.recv_file(), c.rc);
    EXPECT_EQ(std::filesystem::exists("dat/big.bin"), c.rc == 0);
    if (c.rc == 0) {
      EXPECT_EQ(std::filesystem::file_size("dat/big.bin"), c.size);
    }
    EXPECT_FALSE(std::filesystem::exists("dat/big.bin.xfer"));
    EXPECT_EQ(server.queued_count(0), 0u);
    std::string msg;
    EXPECT_EQ(client.sckRecv(msg), 5);
    EXPECT_EQ(msg, "after");
  }
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
      {"dat/keymap.cfg", false}, {"dat/KEYMAP.CFG", false}, {"dat//keymap.cfg", false},
      {"./dat/keymap.cfg", false}, {"dat/./keymap.cfg", false}, {"dat/keymap.cfg.xfer", true},
      {"dat/sub/keymap.cfg", true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(is_allowed_transfer_name(c.name, NET_FILE_FOLDERS), c.ok) << c.name;
  EXPECT_TRUE(is_allowed_transfer_name("maps/a", {"maps"}));
  // The file the client reads its key map from.
  EXPECT_FALSE(is_allowed_transfer_name(KEYMAP_FILE, NET_FILE_FOLDERS));
}

}  // namespace
