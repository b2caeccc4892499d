// Feeds arbitrary bytes to the readers of the rule tables in dat/ and to the
// plant file. The first byte picks the file; the rest is its content.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/globals.h"

namespace {

std::filesystem::path work_dir;

void remove_work_dir() {
  std::error_code ec;
  std::filesystem::remove_all(work_dir, ec);
}

// Each fuzz process works in a directory of its own.
bool enter_work_dir() {
  if (!work_dir.empty()) return true;
  char tmpl[] = "/tmp/zibfuzz.XXXXXX";
  if (!mkdtemp(tmpl)) return false;
  work_dir = tmpl;
  std::filesystem::current_path(work_dir);
  std::filesystem::create_directories("dat");
  std::filesystem::create_directories("etc");
  std::FILE* f = std::fopen("dat/common.cfg", "w");
  if (f) {
    std::fputs("stats=strength,dexterity,intelligence\nstat_key=s,d,i\n"
               "cast_with_words_skills=Fire\nstaff_schools=Fire\n", f);
    std::fclose(f);
  }
  common_cfg.load();
  std::atexit(remove_work_dir);
  return true;
}

void write_file(const char* path, const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(path, "wb");
  if (!f) return;
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || !enter_work_dir()) return 0;
  static const char* const FILES[] = {"dat/skills.txt", "dat/classes.txt", "dat/races.txt",
                                      "dat/tiles.txt",  "dat/mtiles.txt",  "dat/underneath.txt",
                                      "dat/buffs.txt",  "dat/spells.txt",  "dat/crops.txt",
                                      "dat/mounts.txt", "etc/crops.txt"};
  const size_t n = sizeof(FILES) / sizeof(FILES[0]);
  const size_t which = data[0] % n;
  write_file(FILES[which], data + 1, size - 1);
  // Logging would dominate the run; the readers are what is under test.
  std::remove("cl_log.txt");

  switch (which) {
    case 0: case 1: case 2:
      sc.load();
      for (int i = -1; i <= sc.max_skills(); ++i) {
        sc.get_skill_class(i, true);
        sc.get_skills_in_group(i);
      }
      for (int r = -1; r <= sc.max_races(); ++r) {
        sc.get_race_male_tiles(r);
        for (int c = -1; c <= sc.max_classes(); ++c) sc.race_can_be_class(r, c);
      }
      for (int c = -1; c <= sc.max_classes(); ++c) sc.get_parent_class(c);
      break;
    case 3: case 4: case 5:
      tiledata.load();
      for (int t = 0; t < TILES_NUM_MAP; t += 7) tiledata.is_wall(t);
      break;
    case 6:
      buffs.defs.clear();
      buffs.load();
      for (const auto& entry : buffs.defs) {
        buffs.get_effect_text(entry.first);
        buffs.get_total_modifier({{entry.first, 1}}, entry.second.type, 37.0);
      }
      break;
    case 7:
      spells.load();
      for (int i = 0; i < spells.get_num_spells() && i < 64; ++i) {
        spells.get_full_spell_name(i);
        spells.get_success_chance(i, 30.0f);
        spells.class_can_use(i, 0);
      }
      break;
    case 8:
      crops.load();
      break;
    case 9:
      mounts.defs.clear();
      mounts.load();
      mounts.get_sound_names();
      break;
    default:
      crops.plants.clear();
      crops.load_plants();
      for (int tick = 0; tick < 3; ++tick) crops.grow_all();
      crops.plants.clear();
      break;
  }
  return 0;
}
