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
  std::string again = p.mk_stats_packet();
  Player q;
  q.reset();
  q.parse_stats_packet(again);
  if (q.mk_stats_packet() != again) std::abort();
  return 0;
}
