// The price and requirement rules over every item of tables the server may
// push: the input is cut at 0x01 bytes into the spell table and the item
// files, both are loaded, and every rule runs on each item read with every
// kind of magic, a spread of values and each material.

#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/config_file.h"
#include "core/item_data.h"
#include "core/skills_classes.h"
#include "core/spells.h"

namespace {

const char* const FILES[] = {"spells.txt", "materials.txt", "weapons.txt", "wearable.txt",
                             "misc.txt",   "named.txt",     "food.txt",    "other.txt"};

void write_file(const std::string& path, const std::string& text) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
}

std::string& work_dir() {
  static std::string dir;
  if (dir.empty()) {
    char tmpl[] = "/tmp/zib_rules_fuzz.XXXXXX";
    char* d = mkdtemp(tmpl);
    if (!d) std::abort();
    dir = d;
    mkdir((dir + "/dat").c_str(), 0700);
    write_file(dir + "/dat/common.cfg",
               "stats=strength,dexterity,intelligence\nstat_key=s,d,i\nlevel_req_multiplier=1.5\n");
    write_file(dir + "/dat/skills.txt", "Unarmed\tu\tstrength\nBlades\tb\tstrength\n");
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(work_dir(), ec);
    });
  }
  return dir;
}

void run_rules(const Item& i) {
  wl.get_price(i);
  wl.get_sell_price(i);
  wl.get_level_req(i);
  wl.get_min_id_skill(i);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& dir = work_dir();
  std::string in(reinterpret_cast<const char*>(data), size);
  size_t start = 0;
  for (const char* name : FILES) {
    size_t end = in.find('\x01', start);
    std::string part;
    if (start <= in.size()) part = in.substr(start, end == std::string::npos ? std::string::npos : end - start);
    write_file(dir + "/dat/" + name, part);
    start = end == std::string::npos ? in.size() + 1 : end + 1;
  }
  char old[4096];
  if (!getcwd(old, sizeof old)) return 0;
  if (chdir(dir.c_str()) != 0) return 0;
  common_cfg.load();
  sc.load();
  spells.load();
  wl.reload();
  if (chdir(old) != 0) std::abort();

  const int values[] = {0, 1, 2, 7, 100, 254, 255};
  for (int base = 0; base < ITEM_NUM_CODES; ++base) {
    if (!wl.get_record(base)) continue;
    Item plain(static_cast<long>(base));
    run_rules(plain);
    plain.set_unidentified();
    run_rules(plain);
    for (int kind = 0; kind < 16; ++kind) {
      // Kind 8 carries a spell id: every one of them.
      if (kind == 8) {
        for (int v = 0; v < 256; ++v) run_rules(make_code(base, 0, kind, v));
      } else {
        for (int v : values) run_rules(make_code(base, 0, kind, v));
      }
      for (int m = 1; m <= 21; ++m) run_rules(make_code(base, m, kind, 255));
    }
  }
  for (int kind = 0; kind < 16; ++kind)
    for (int v : {-2147483647 - 1, -1, 0, 1, 255, 2147483647}) wl.req_level_skill(kind, v);
  for (int level : {-2147483647 - 1, -1, 0, 100, 2147483647}) Item::random_372(level);
  return 0;
}
