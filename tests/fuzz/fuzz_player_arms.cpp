// The equipment record "#" as the server sends it.

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
  p.sync_arms(text);
  (void)p.mk_arms_msg();
  return 0;
}
