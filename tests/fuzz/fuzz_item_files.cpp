// The item file loader on arbitrary files: the input is cut at 0x01 bytes
// into the nine item files (the server may replace any of them), the table
// is reloaded and a few queries run on what it read.

#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/globals.h"
#include "core/item_data.h"

namespace {

const char* const FILES[] = {"materials.txt", "weapons.txt", "wearable.txt", "misc.txt", "other.txt",
                             "food.txt",      "named.txt",   "mobnames.txt", "cards.txt"};

std::string& work_dir() {
  static std::string dir;
  if (dir.empty()) {
    char tmpl[] = "/tmp/zib_items_fuzz.XXXXXX";
    char* d = mkdtemp(tmpl);
    if (!d) std::abort();
    dir = d;
    mkdir((dir + "/dat").c_str(), 0700);
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(work_dir(), ec);
    });
  }
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& dir = work_dir();
  std::string in(reinterpret_cast<const char*>(data), size);
  size_t start = 0;
  for (const char* name : FILES) {
    size_t end = in.find('\x01', start);
    std::string part = start <= in.size() ? in.substr(start, end == std::string::npos ? std::string::npos : end - start) : "";
    FILE* f = std::fopen((dir + "/dat/" + name).c_str(), "wb");
    if (f) {
      std::fwrite(part.data(), 1, part.size(), f);
      std::fclose(f);
    }
    start = end == std::string::npos ? in.size() + 1 : end + 1;
  }
  char old[4096];
  if (!getcwd(old, sizeof old)) return 0;
  if (chdir(dir.c_str()) != 0) return 0;
  wl.reload();
  if (chdir(old) != 0) std::abort();

  for (int base = 0; base < ITEM_NUM_CODES; ++base) {
    if (!wl.get_record(base)) continue;
    Item i(static_cast<long>(base));
    wl.get_full_name(i, false);
    wl.get_med_name(i);
    wl.get_price(i);
    wl.get_level_req(i);
    i.set_unidentified();
    wl.get_full_name(i, false);
    wl.get_price(i);
  }
  for (const auto& c : wl.get_cards()) {
    c.second.get_type_str();
    c.second.get_pt_str();
  }
  return 0;
}
