// Level files come from the server by file transfer: read arbitrary bytes as
// one, then derive its layers and ask the usual queries.

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/globals.h"
#include "world/cmap.h"

namespace {

// A tile table without files: every fourth tile number defined, a few of
// them walls, water or shadow casters, so that every branch of the reader
// and of the layer pass is reachable.
void make_tiles() {
  for (int t = 0; t < static_cast<int>(tiledata.map_tiles.size()); ++t) {
    MapTile& m = tiledata.map_tiles[t];
    m.image = (t % 4 == 0 || t == 46 || t == 35) ? t : -1;
    m.type = t % 7 == 0 ? 1 : t % 11 == 0 ? 2 : t % 13 == 0 ? -1 : 0;
    m.opaque = t % 5 == 0;
    m.shadow = t % 3 == 0 ? 1 : 0;
  }
  tiledata.underneath_tiles = {35, 64, 225};
  tiledata.underneath_dot_tiles = {64};
  tiledata.underneath_blank_tiles = {225};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = (make_tiles(), true);
  (void)ready;
  CMap m;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  if (m.read_level(bytes) != 0) return 0;
  m.calc_layers();
  const int w = m.width, h = m.height;
  for (int x = -2; x <= w + 1; x += 3)
    for (int y = -2; y <= h + 1; y += 3) {
      m.get_tile(x, y);
      m.get_underneath(x, y);
      m.get_region(x, y);
      m.same_region(x, y, w - 1 - x, h - 1 - y);
    }
  m.can_see_with_LOS(w / 2, h / 2, w - 1, 0, 12, 0);
  return 0;
}
