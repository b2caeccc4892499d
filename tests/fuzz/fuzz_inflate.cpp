// Grouped messages and transferred files are inflated straight from the
// network: any input must give either "" or at most the output limit.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/compression.h"

namespace {

char work_dir[] = "/tmp/zibfuzz.XXXXXX";
int home_fd = -1;

void remove_work_dir() {
  std::string log = std::string(work_dir) + "/cl_log.txt";
  unlink(log.c_str());
  rmdir(work_dir);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Failures are logged to "cl_log.txt" in the working directory and echoed
  // to standard output: both go out of the way. The fuzzer's own relative
  // paths need the original directory, so it is changed only around a call.
  if (!mkdtemp(work_dir)) abort();
  home_fd = open(".", O_RDONLY | O_DIRECTORY);
  if (home_fd < 0) abort();
  if (!freopen("/dev/null", "w", stdout)) abort();
  atexit(remove_work_dir);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (chdir(work_dir) != 0) abort();
  std::string in(reinterpret_cast<const char*>(data), size);
  std::string out = inflate(in);
  if (out.size() > INFLATE_MAX_OUT) abort();
  if (!out.empty() && out.size() < 65536 && inflate(deflate(out)) != out) abort();
  // The log grows with every failure; start it afresh now and then.
  static unsigned calls = 0;
  if (++calls % 4096 == 0) unlink("cl_log.txt");
  if (fchdir(home_fd) != 0) abort();
  return 0;
}
