// The client side of a file transfer against a hostile server: the input is
// the server's messages (header, pieces, end), either encoded into proper
// frames or sent as a raw byte stream.

#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/compression.h"
#include "fuzz_net_support.h"
#include "net/socket.h"
#include "net/wire_frame.h"

using fuzz_net::fail;
using fuzz_net::null_fd;
using fuzz_net::ScratchDir;

namespace {

// The messages of the input, split at each "\n#\n".
std::vector<std::string> split_messages(const std::string& s) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    size_t sep = s.find("\n#\n", start);
    out.push_back(s.substr(start, sep == std::string::npos ? std::string::npos : sep - start));
    if (sep == std::string::npos || out.size() >= 64) break;
    start = sep + 3;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ScratchDir scratch;
  if (size < 1 || size > 200000) return 0;
  uint8_t mode = data[0];
  std::string input(reinterpret_cast<const char*>(data + 1), size - 1);

  std::error_code ec;
  std::filesystem::remove_all("dat", ec);
  std::filesystem::remove_all("cmaps", ec);
  std::filesystem::create_directories("dat", ec);

  std::string stream;
  if (mode & 1) {
    stream = input;
  } else {
    std::vector<std::string> msgs = split_messages(input);
    // Optionally a well-formed header first, and the pieces compressed, so
    // that the piece loop is reached often.
    if (mode & 2) msgs.insert(msgs.begin(), "FILE dat/fuzz.bin 0 1");
    Socket sender(SOCKET_ROLE_SERVER);
    NetSystem sys = NetSystem::standard();
    auto counter = std::make_shared<int>(static_cast<int>(mode));
    sys.random_fn = [counter](int n) { return n > 0 ? (*counter)++ % n : 0; };
    sender.set_system(sys);
    for (size_t i = 0; i < msgs.size(); ++i) {
      std::string m = msgs[i];
      if ((mode & 4) && i > 0 && m != NET_END_OF_FILE) m = deflate(m);
      std::string body = sender.encrypt(m);
      if (body.size() > NET_MAX_BODY) continue;
      stream += make_frame(body);
    }
  }

  Socket client(SOCKET_ROLE_CLIENT);
  NetSystem sys = NetSystem::standard();
  auto pos = std::make_shared<size_t>(0);
  auto bytes = std::make_shared<std::string>(std::move(stream));
  sys.recv_fn = [pos, bytes](int, void* buf, size_t len) -> ssize_t {
    if (*pos >= bytes->size()) return 0;
    size_t n = len < bytes->size() - *pos ? len : bytes->size() - *pos;
    memcpy(buf, bytes->data() + *pos, n);
    *pos += n;
    return static_cast<ssize_t>(n);
  };
  sys.send_fn = [](int, const void*, size_t len) { return static_cast<ssize_t>(len); };
  sys.sleep_fn = [](unsigned) {};
  client.set_system(sys);
  client.attach(0, dup(null_fd()));
  int rc = client.recv_file();
  if (rc < -2 || rc > 1) fail();
  // Nothing may be written outside the allowed folders, nor the key map.
  if (std::filesystem::exists("client.cfg") || std::filesystem::exists("patch.sh")) fail();
  if (std::filesystem::exists("dat/keymap.cfg")) fail();
  return 0;
}
