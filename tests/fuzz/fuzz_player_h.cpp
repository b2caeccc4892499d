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
  return 0;
}
