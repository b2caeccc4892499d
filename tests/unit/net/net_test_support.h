#pragma once
// Helpers of the network tests: connected socket pairs, a fixed random source,
// a sleep that only counts, and raw reads and writes on the peer's end.

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "net/socket.h"

// Two connected stream sockets; both ends closed at the end of the test unless
// handed over to a Socket (then set to -1 here).
struct SocketPair {
  int a = -1, b = -1;
  SocketPair() {
    int sv[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, sv) == 0) {
      a = sv[0];
      b = sv[1];
    }
  }
  ~SocketPair() {
    if (a >= 0) close(a);
    if (b >= 0) close(b);
  }
  SocketPair(const SocketPair&) = delete;
  SocketPair& operator=(const SocketPair&) = delete;
};

// Draws cycle through `draws`; sleeps are counted, never slept.
inline NetSystem test_system(std::vector<int> draws, std::shared_ptr<int> sleeps = nullptr) {
  NetSystem s = NetSystem::standard();
  auto pos = std::make_shared<size_t>(0);
  auto values = std::make_shared<std::vector<int>>(std::move(draws));
  s.random_fn = [pos, values](int n) {
    if (values->empty()) return 0;
    int v = (*values)[(*pos)++ % values->size()];
    return n > 0 ? v % n : 0;
  };
  s.sleep_fn = [sleeps](unsigned) {
    if (sleeps) ++*sleeps;
  };
  return s;
}

inline NetSystem zero_random_system(std::shared_ptr<int> sleeps = nullptr) {
  return test_system({0}, std::move(sleeps));
}

// Everything that arrives on fd within `ms` milliseconds of quiet.
inline std::string read_available(int fd, int ms = 50) {
  std::string out;
  char buf[65536];
  for (;;) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, ms) <= 0) break;
    ssize_t n = recv(fd, buf, sizeof buf, MSG_DONTWAIT);
    if (n <= 0) break;
    out.append(buf, static_cast<size_t>(n));
  }
  return out;
}

inline void write_all(int fd, const std::string& bytes) {
  size_t off = 0;
  while (off < bytes.size()) {
    ssize_t n = send(fd, bytes.data() + off, bytes.size() - off, MSG_NOSIGNAL);
    if (n <= 0) return;
    off += static_cast<size_t>(n);
  }
}

// SOH, four lowercase length digits, STX, body, EOT, written out by hand.
inline std::string hand_frame(const std::string& body) {
  static const char* digits = "0123456789abcdef";
  size_t n = body.size();
  std::string f(1, '\x01');
  f += digits[(n >> 12) & 15];
  f += digits[(n >> 8) & 15];
  f += digits[(n >> 4) & 15];
  f += digits[n & 15];
  f += '\x02';
  f += body;
  f += '\x04';
  return f;
}
