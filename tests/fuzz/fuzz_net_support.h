#pragma once
// Shared by the connection fuzz targets: each input runs in a scratch
// directory, and a descriptor that accepts anything stands in for a socket.

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace fuzz_net {

// The program writes its log (and received files) relative to the working
// directory, so each input runs inside a scratch directory; between inputs the
// fuzzer's own relative paths (corpus, artifacts) work again.
inline int home_dir() {
  static int fd = open(".", O_RDONLY | O_DIRECTORY);
  return fd;
}

inline char scratch_buf[] = "/tmp/zibfuzz.XXXXXX";

inline const char* scratch_path() {
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
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
};

// Aborts from the fuzzer's own directory, where its relative paths lead.
[[noreturn]] inline void fail() {
  if (fchdir(home_dir()) != 0) abort();
  abort();
}

inline int null_fd() {
  static int fd = open("/dev/null", O_RDWR);
  return fd;
}

}  // namespace fuzz_net
