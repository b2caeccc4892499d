// The message decoder on arbitrary bodies, and the encoder's round trip.

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "net/socket.h"
#include "net/wire_frame.h"

namespace {

// The program writes its log (and received files) relative to the working
// directory, so each input runs inside a scratch directory; between inputs the
// fuzzer's own relative paths (corpus, artifacts) work again.
int home_dir() {
  static int fd = open(".", O_RDONLY | O_DIRECTORY);
  return fd;
}

char scratch_buf[] = "/tmp/zibfuzz.XXXXXX";

const char* scratch_path() {
  static const char* dir = [] {
    // The log echoes to standard output; keep the fuzzer's output readable.
    if (!freopen("/dev/null", "w", stdout)) return "/tmp";
    if (!mkdtemp(scratch_buf)) return "/tmp";
    atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(scratch_buf, ec);
    });
    return static_cast<const char*>(scratch_buf);
  }();
  return dir;
}

struct ScratchDir {
  ScratchDir() {
    home_dir();
    if (chdir(scratch_path()) != 0) return;
  }
  ~ScratchDir() {
    if (fchdir(home_dir()) != 0) return;
  }
};

[[noreturn]] void fail() {
  if (fchdir(home_dir()) != 0) abort();
  abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ScratchDir scratch;
  std::string input(reinterpret_cast<const char*>(data), size);

  // Decoding in both roles (the server role also logs what it rejects).
  Socket client(SOCKET_ROLE_CLIENT);
  Socket server(SOCKET_ROLE_SERVER);
  std::string a = client.decrypt(input, 0);
  std::string b = server.decrypt(input, 0);
  if (a != b) fail();
  if (a.size() > input.size()) fail();

  if (unescape_body(escape_body(input)) != input) fail();

  // Whatever the random draws, encoding then decoding gives the message back.
  size_t pos = 0;
  NetSystem sys = NetSystem::standard();
  sys.random_fn = [data, size, pos](int n) mutable {
    int v = size ? data[pos++ % size] : 0;
    return n > 0 ? v % n : 0;
  };
  Socket enc(SOCKET_ROLE_CLIENT);
  enc.set_system(sys);
  std::string body = enc.encrypt(input);
  if (body.find('\0') != std::string::npos) fail();
  Socket dec(SOCKET_ROLE_CLIENT);
  if (dec.decrypt(body, 0) != input) fail();
  return 0;
}
