// The stats record "@" as the server sends it; the writer must take back
// whatever the reader accepted.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_player_support.h"
#include "world/player.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_player_setup();
  std::string text(reinterpret_cast<const char*>(data), size);
  Player p;
  p.reset();
  p.parse_stats_packet(text);
  // The client's rules add these bonuses to its figures.
  p.hp = 1;
  (void)(p.get_str() + p.get_dex() + p.get_intel() + p.get_carry_str() + p.get_sight() +
         p.get_delay(false, 0.0f) + p.get_weapon_delay() + p.get_draw_code());
  std::string again = p.mk_stats_packet();
  Player q;
  q.reset();
  q.parse_stats_packet(again);
  if (q.mk_stats_packet() != again) std::abort();
  return 0;
}
