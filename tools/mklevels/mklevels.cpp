// Writes the sample levels of the Vale of Quill as level files:
//   mklevels DIR          writes DIR/lvl001.map and DIR/lvl002.map
//   mklevels --check DIR  writes them to a temporary folder and compares
// Only map tiles that dat/mtiles.txt defines are used, and the objects are
// items of dat/misc.txt that dat/tiles.txt has pictures for.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/item_bases.h"
#include "world/cmap.h"

namespace {

// The sample world's terrain that the map gives no meaning of its own (swamp,
// forest, mountain, lava and deep water are the map's, world/cmap.h). Bare
// earth and grass are terrain here, not the map's blank and dot tiles,
// whose numbers they share.
enum { EARTH = 32, WALL = 35, SHORE = 44, GRASS = 46, BRIDGE = 61, QUAY = 68, SHALLOWS = 119 };
constexpr long CAMPFIRE = 0x190, MARSH_LIGHT = 0x191;

// A fixed pseudo-random pattern, so that the levels never change.
unsigned noise(int x, int y, unsigned seed) {
  unsigned h = seed ^ (static_cast<unsigned>(x) * 374761393u) ^ (static_cast<unsigned>(y) * 668265263u);
  h = (h ^ (h >> 13)) * 1274126177u;
  return h ^ (h >> 16);
}

void fill(CMap& m, int x1, int y1, int x2, int y2, int tile) {
  for (int x = x1; x <= x2; ++x)
    for (int y = y1; y <= y2; ++y) m.set_tile(x, y, tile);
}

// A walled house with a door in its south wall; the floor is its region.
void house(CMap& m, int x1, int y1, int x2, int y2, int region) {
  fill(m, x1, y1, x2, y2, WALL);
  fill(m, x1 + 1, y1 + 1, x2 - 1, y2 - 1, EARTH);
  m.set_tile((x1 + x2) / 2, y2, EARTH);
  m.set_region(x1 + 1, y1 + 1, x2 - 1, y2 - 1, region);
  // The corners stand on bare earth whatever lies outside.
  for (auto [x, y] : {std::pair{x1, y1}, {x2, y1}, {x1, y2}, {x2, y2}}) m.placements.push_back({x, y, EARTH});
}

// Level 1: the valley floor, a river from north to south with a bridge, a
// farmstead, woods and the reed marsh. Woods close it east and west; it does
// not wrap, so the start and the market, near its west edge, are one piece
// on the map.
CMap vale() {
  CMap m;
  m.level = 1;
  m.name = "Vale_of_Quill";
  m.type = MAPTYPE_FLAT;
  m.music = 1;
  m.vis = 1;
  m.exitlvl = 0;
  m.edge_tiles = {CMAP_TILE_MOUNTAIN, CMAP_TILE_DEEP_WATER, CMAP_TILE_FOREST, CMAP_TILE_FOREST};
  m.set_size(64, 40, false);
  fill(m, 0, 0, 63, 39, GRASS);
  for (int y = 0; y < 40; ++y) {
    const int bend = (y / 8) % 2;  // the river swings east and back
    const int c = 30 + bend;
    m.set_tile(c - 3, y, SHORE);
    m.set_tile(c - 2, y, SHALLOWS);
    fill(m, c - 1, y, c + 1, y, CMAP_TILE_DEEP_WATER);
    m.set_tile(c + 2, y, SHALLOWS);
    m.set_tile(c + 3, y, SHORE);
  }
  fill(m, 27, 20, 35, 20, BRIDGE);
  // Woods in the north-west and along the east and west edges.
  for (int x = 0; x < 64; ++x)
    for (int y = 0; y < 40; ++y) {
      if (m.get_tile(x, y) != GRASS) continue;
      const bool woods = (x < 20 && y < 7) || x >= 58 || x < 2;
      if (woods && noise(x, y, 1) % 3 != 0) m.set_tile(x, y, CMAP_TILE_FOREST);
    }
  // The reed marsh in the south-east.
  for (int x = 38; x < 56; ++x)
    for (int y = 28; y < 40; ++y)
      if (noise(x, y, 2) % 4 != 0) m.set_tile(x, y, CMAP_TILE_SWAMP);
  fill(m, 44, 33, 47, 35, SHALLOWS);
  m.set_region(38, 28, 55, 39, 2);
  house(m, 8, 10, 16, 16, 1);
  // A quay on the west bank at the bridge.
  fill(m, 24, 18, 26, 18, QUAY);
  m.placements.push_back({25, 18, SHORE});

  m.map_objects.push_back({Item(CAMPFIRE), 12, 13});
  m.map_objects.push_back({Item(CAMPFIRE), 40, 20});
  for (int i = 0; i < 9; ++i) m.map_objects.push_back({Item(MARSH_LIGHT), 39 + 2 * i, 29 + i % 4});
  return m;
}

// Level 2: the quarry hills north of the valley, walled in by mountains, with
// the quarry office, a flooded pit with its quay and a lava vent. No wrap.
CMap quarry() {
  CMap m;
  m.level = 2;
  m.name = "Quarry_Hills";
  m.type = MAPTYPE_FLAT;
  m.music = 2;
  m.vis = 1;
  m.exitlvl = 1;
  m.edge_tiles = {CMAP_TILE_MOUNTAIN, GRASS, CMAP_TILE_MOUNTAIN, CMAP_TILE_MOUNTAIN};
  m.set_size(48, 36, false);
  fill(m, 0, 0, 47, 35, GRASS);
  for (int x = 0; x < 48; ++x)
    for (int y = 0; y < 36; ++y) {
      const bool rim = x < 2 || x > 45 || y < 2;
      if (rim && noise(x, y, 3) % 5 != 0) m.set_tile(x, y, CMAP_TILE_MOUNTAIN);
      else if (noise(x, y, 4) % 7 == 0) m.set_tile(x, y, EARTH);
    }
  fill(m, 20, 33, 27, 35, GRASS);  // the road down to the valley
  house(m, 5, 5, 12, 10, 1);
  // The flooded pit: deep water ringed by shore, a quay wall on its west side.
  fill(m, 24, 12, 37, 23, SHORE);
  fill(m, 25, 13, 36, 22, SHALLOWS);
  fill(m, 27, 15, 34, 20, CMAP_TILE_DEEP_WATER);
  fill(m, 24, 14, 24, 21, QUAY);
  m.set_region(24, 12, 37, 23, 3);
  fill(m, 40, 28, 41, 29, CMAP_TILE_LAVA);
  m.placements.push_back({40, 28, EARTH});
  m.placements.push_back({41, 29, EARTH});

  m.map_objects.push_back({Item(CAMPFIRE), 8, 7});
  m.map_objects.push_back({Item(CAMPFIRE), 30, 26});
  // Wages dropped along the road down to the valley.
  const Item gold(static_cast<long>(ITEM_BASE_CURRENCY));
  for (int i = 0; i < 5; ++i) m.map_objects.push_back({gold, 21 + i, 30 + i % 2});
  m.map_objects.push_back({Item(MARSH_LIGHT), 40, 30});
  return m;
}

int write_levels(const std::filesystem::path& dir) {
  std::error_code ec;
  std::filesystem::create_directories(dir / "cmaps", ec);
  const std::filesystem::path old = std::filesystem::current_path();
  std::filesystem::current_path(dir, ec);
  if (ec) return 1;
  int rc = 0;
  for (CMap m : {vale(), quarry()}) {
    if (m.save_map() != 0) {
      fprintf(stderr, "mklevels: cannot write %s\n", m.get_file_name().c_str());
      rc = 1;
    }
  }
  std::filesystem::current_path(old, ec);
  return rc;
}

std::string read_all(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
  const bool check = argc == 3 && std::string(argv[1]) == "--check";
  if (argc != 2 && !check) {
    fprintf(stderr, "usage: mklevels DIR | mklevels --check DIR\n");
    return 2;
  }
  const std::filesystem::path target = argv[argc - 1];
  char tmpl[] = "/tmp/mklevels.XXXXXX";
  if (!mkdtemp(tmpl)) return 1;
  const std::filesystem::path tmp = tmpl;
  int rc = write_levels(tmp);
  std::error_code ec;
  if (!check) std::filesystem::create_directories(target, ec);
  for (const char* f : {"lvl001.map", "lvl002.map"}) {
    if (check) {
      if (read_all(tmp / "cmaps" / f) != read_all(target / f)) {
        fprintf(stderr, "mklevels: %s differs from what the generator writes\n", f);
        rc = 1;
      }
    } else {
      std::filesystem::copy_file(tmp / "cmaps" / f, target / f,
                                 std::filesystem::copy_options::overwrite_existing, ec);
      if (ec) rc = 1;
    }
  }
  std::filesystem::remove_all(tmp, ec);
  return rc;
}
