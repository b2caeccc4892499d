// The character file as the reader meets it on disk.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz_player_support.h"
#include "world/player.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_player_setup();
  FILE* f = std::fopen("Fuzz.plr", "wb");
  if (f == nullptr) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  Player p;
  p.reset();
  p.load("Fuzz", "");
  return 0;
}
