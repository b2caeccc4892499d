// The player header record "H" as the server sends it, and its writer on
// whatever was read.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_player_support.h"
#include "world/player.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_player_setup();
  std::string line(reinterpret_cast<const char*>(data), size);
  Player p;
  p.reset();
  int16_t x = 0, y = 0;
  p.parse_h_record(line, size % 2 == 0, &x, &y);
  (void)p.mk_h_record(true);
  // The client's rules take the stats from this record.
  (void)(p.get_str() + p.get_dex() + p.get_intel() + p.get_carry_str() + p.get_sight() +
         p.get_delay(false, 0.0f) + p.get_weapon_delay() + p.get_draw_code());
  return 0;
}
