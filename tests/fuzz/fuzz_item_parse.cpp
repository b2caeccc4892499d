// The item text forms that servers and map files send: the dot form and the
// packed form, and every name builder on whatever item they describe.

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

void write_file(const std::string& path, const char* text) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fputs(text, f);
  std::fclose(f);
}

// A small item table read once from a private directory, so that the name
// builders have records, materials, prefixes and creature names to use.
void load_table() {
  char tmpl[] = "/tmp/zib_items_fuzz.XXXXXX";
  char* dir = mkdtemp(tmpl);
  if (!dir) return;
  static std::string d(dir);
  std::atexit([] {
    std::error_code ec;
    std::filesystem::remove_all(d, ec);
  });
  std::string dat = d + "/dat";
  if (mkdir(dat.c_str(), 0700) != 0) return;
  write_file(dat + "/materials.txt", "1\tY\tN\tbbc\tsteel\tsteel\tsteel\tsteel-shod\n2\tN\tN\t777\tiron\n"
                                     "100\t-\t-\t-\tHale\tHa\n700\t-\t-\t-\tAncient\t\n");
  write_file(dat + "/weapons.txt", "181 m s Blades short_blade m 1d6 1 40 w 2.0 2.0 wm 0 1\n");
  write_file(dat + "/wearable.txt", "1b2 leather_coat a a 4 35 l l a 3.0 wm 6\n1b8 ring a r 0 25 a m j 0.1 wm -1\n");
  write_file(dat + "/misc.txt", "11e scroll x 20 x m c 0 0.1 r\n5d6 recipe x 30 x m c 0 0.1 r\n"
                                "458 trophy_case case 10 x x w 0 2.0 n\n535 pelt x 6 x x l 0 1.0 n\n"
                                "80a skill_shard shard 0 x x x 0 0.1 y\n811 card x 2 x x c 0 0 n\n");
  write_file(dat + "/named.txt", "600\t181\tKilnheart\t1\t8,2:1,4:2,2\t3\n601\t0\tOrphan\t0\t1,2\n"
                                 "460\t1b2\tHeron_Coat\n");
  write_file(dat + "/mobnames.txt", "1\triver rat\n2\tmarsh toad\n");
  char old[4096];
  if (!getcwd(old, sizeof old)) return;
  if (chdir(d.c_str()) != 0) return;
  wl.reload();
  if (chdir(old) != 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool loaded = (load_table(), true);
  (void)loaded;
  std::string text(reinterpret_cast<const char*>(data), size);

  Item dot(text);
  std::string again = dot.str(false);
  Item back(again);
  // The written form reads back as the same low words (the text may hold
  // further dots, and codes are written in 32 bits).
  if ((back.code & 0xFFFFFFFFL) != (dot.code & 0xFFFFFFFFL)) std::abort();

  Item packed = Item::from_packed_str(text);
  Item packed_back = Item::from_packed_str(packed.to_packed_str());
  if (packed_back.code != packed.code) std::abort();

  for (const Item& i : {dot, packed, wl.make_recipe(dot)}) {
    wl.get_full_name(i, true);
    wl.get_med_name(i, true);
    wl.get_med_name(i, false);
    wl.get_short_material_name(i);
    wl.get_article(i);
    wl.get_description(i);
    wl.get_price(i);
    wl.get_sell_price(i);
    wl.get_level_req(i);
    wl.get_ac(i);
    wl.get_magic_resistance(i, true);
    wl.get_avg_damage(i);
    wl.is_enchanted(i);
    wl.get_mag_prop_text(static_cast<int>(i.code), static_cast<int>(i.extra), wl.get_type(i));
  }
  return 0;
}
