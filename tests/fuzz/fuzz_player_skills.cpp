// The ':'-separated skill lists sent at login, raw and bonus.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_player_support.h"
#include "world/player.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_player_setup();
  std::string text(reinterpret_cast<const char*>(data), size);
  Player p;
  p.reset();
  p.parse_skills(text, false);
  p.parse_skills(text, true);
  (void)p.mk_skill_list(false);
  (void)p.get_skill(0);
  return 0;
}
