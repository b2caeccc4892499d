#pragma once
// Shared by the player-record fuzz targets: a private directory with a small
// skill table, so that the skill lists have positions to fill.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/globals.h"

inline void fuzz_write_file(const std::string& path, const char* text) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fputs(text, f);
  std::fclose(f);
}

// Changes into a fresh directory holding the tables; once per process.
inline void fuzz_player_setup() {
  static bool done = false;
  if (done) return;
  done = true;
  static char tmpl[] = "/tmp/zib_player_fuzz.XXXXXX";
  char* dir = mkdtemp(tmpl);
  if (dir == nullptr || chdir(dir) != 0) std::abort();
  std::atexit([] {
    std::error_code ec;
    std::filesystem::remove_all(tmpl, ec);
  });
  std::error_code ec;
  std::filesystem::create_directories("dat", ec);
  fuzz_write_file("dat/skills.txt",
                  "Unarmed\tu\tstrength\tn\ty\t\t10\ty\t1\t0\n"
                  "Blades\tb\tstrength\tn\tn\tw\t11\ty\t1\t0\n"
                  "Pyromancy\tp\tintelligence\ty\tn\tm\t16\ty\t2\ta1\n");
  fuzz_write_file("dat/classes.txt", "Warden\tw\t\tr\th\t\"x\"\tBlades\nMage\tm\t\tm\tl\t\"y\"\tPyromancy\n");
  fuzz_write_file("dat/races.txt",
                  "Valefolk\twm\t100\t100\t100\t0\t0\t100\t100\t100\t100\t100\t100\t100\t100\t100\t"
                  "100\tY\t\"0\"\t\"1\"\t\"z\"\n");
  fuzz_write_file("dat/buffs.txt", "1\tStone\t60\t7\t10\n5\tVenom\t20\t9\t-3\n");
  sc.load();
  buffs.load();
}
