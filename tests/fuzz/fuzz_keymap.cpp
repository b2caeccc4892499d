// Feeds arbitrary bytes to the reader of "dat/keymap.cfg", then asks every
// binding for its key, its text and its action, as the input handlers do.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "input/keymap.h"

namespace {

std::filesystem::path work_dir;

void remove_work_dir() {
  std::error_code ec;
  std::filesystem::remove_all(work_dir, ec);
}

bool enter_work_dir() {
  if (!work_dir.empty()) return true;
  char tmpl[] = "/tmp/zibfuzz.XXXXXX";
  if (!mkdtemp(tmpl)) return false;
  work_dir = tmpl;
  std::filesystem::current_path(work_dir);
  std::filesystem::create_directories("dat");
  std::atexit(remove_work_dir);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!enter_work_dir()) return 0;
  std::FILE* f = std::fopen(KEYMAP_FILE, "wb");
  if (!f) return 0;
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);
  Keymap km;
  km.load();
  for (int a = 0; a < KEYMAP_NUM_ACTIONS; ++a) {
    int sc = km.get_key(a);
    // After loading, a key belongs to one action at most, and only keys the
    // keyboard state can hold are bound.
    if (sc != 0 && (km.find_action(sc) != a || !Keymap::is_valid_scancode(sc))) std::abort();
    if (km.get_binding_text(a, true).empty()) std::abort();
    km.get_action_name(sc);
  }
  return 0;
}
