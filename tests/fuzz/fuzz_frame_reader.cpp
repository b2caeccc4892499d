// Arbitrary byte streams from a server, taken off the connection by both
// readers, arriving in pieces of varying size with "would block" in between.

#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_net_support.h"
#include "net/socket.h"

using fuzz_net::fail;
using fuzz_net::null_fd;
using fuzz_net::ScratchDir;

namespace {

// Hands out the stream in pieces whose sizes come from `sizes`, with one
// "would block" after each piece; an empty stream reads as closed.
NetSystem stream_system(const uint8_t* data, size_t size, const uint8_t* sizes, size_t nsizes) {
  struct State { size_t pos = 0, piece = 0; bool block = false; };
  auto st = std::make_shared<State>();
  NetSystem sys = NetSystem::standard();
  sys.recv_fn = [st, data, size, sizes, nsizes](int, void* buf, size_t len) -> ssize_t {
    if (st->block) {
      st->block = false;
      errno = EAGAIN;
      return -1;
    }
    if (st->pos >= size) return 0;
    size_t n = nsizes ? static_cast<size_t>(sizes[st->piece++ % nsizes]) + 1 : len;
    if (n > len) n = len;
    if (n > size - st->pos) n = size - st->pos;
    memcpy(buf, data + st->pos, n);
    st->pos += n;
    st->block = true;
    return static_cast<ssize_t>(n);
  };
  sys.send_fn = [](int, const void*, size_t len) { return static_cast<ssize_t>(len); };
  sys.sleep_fn = [](unsigned) {};
  sys.random_fn = [](int) { return 0; };
  return sys;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ScratchDir scratch;
  if (size < 1) return 0;
  size_t nsizes = data[0] % 8;
  if (size < 1 + nsizes) return 0;
  const uint8_t* sizes = data + 1;
  const uint8_t* stream = data + 1 + nsizes;
  size_t len = size - 1 - nsizes;

  {
    Socket s(SOCKET_ROLE_CLIENT);
    s.set_system(stream_system(stream, len, sizes, nsizes));
    // Every receive goes through the hooks; the descriptor only has to exist.
    s.attach(0, dup(null_fd()));
    std::string msg;
    for (int i = 0; i < 100000; ++i) {
      int rc = s.get_message(0, msg);
      if (rc <= -2) break;
      if (rc == 1 && msg.size() > 65535) fail();
    }
  }
  {
    Socket s(SOCKET_ROLE_CLIENT);
    s.set_system(stream_system(stream, len, sizes, nsizes));
    s.attach(0, dup(null_fd()));
    std::string msg;
    for (int i = 0; i < 1000; ++i) {
      int rc = s.sckRecv(0, msg, true);
      if (rc <= -2) break;
      if (rc > 65535) fail();
    }
  }
  return 0;
}
