// The map level: grid, tile queries, regions, placements and derived layers.

#include "world/cmap.h"

#include <algorithm>
#include <cstdlib>

#include "core/log.h"
#include "core/tiles.h"
#include "core/utils.h"

int CMap::mode = CMAP_MODE_CLIENT;

namespace {

const uint8_t NO_WALL_SIDES[4] = {0, 0, 0, 0};

// The map-tile record of a tile number, or null outside the table.
const MapTile* map_tile(int tile) { return tiledata.get_map_tile(tile); }

int tile_kind(int tile) {
  const MapTile* t = map_tile(tile);
  return t ? t->type : 0;
}

}  // namespace

CMap::CMap() = default;

void CMap::tiles_changed() {
  static uint64_t serial = 0;
  tile_serial_ = ++serial;
}

CMap::~CMap() = default;

int CMap::set_size(int w, int h, bool keep) {
  FunctionTrace ft("cmap::set_size");
  if (w < 1 || w > CMAP_MAX_SIZE || h < 1 || h > CMAP_MAX_SIZE) return 1;
  tiles_changed();
  ft.printf("set size %d %d %d", w, h, level);

  std::vector<uint16_t> old_tiles;
  old_tiles.swap(tiles);
  const int old_w = width;
  const int old_h = height;
  width = w;
  height = h;

  const size_t n = static_cast<size_t>(w) * static_cast<size_t>(h);
  tiles.assign(n, CMAP_TILE_BLANK);
  underneath.assign(n, 0);
  wall_dir.assign(n, 0);
  wall_sides.assign(n, {0, 0, 0, 0});
  region_layer.assign(n, 0);

  if (!old_tiles.empty() && keep) {
    const int cw = std::min(old_w, w);
    const int ch = std::min(old_h, h);
    for (int x = 0; x < cw; ++x)
      for (int y = 0; y < ch; ++y)
        tiles[cell(x, y)] = old_tiles[static_cast<size_t>(x) * old_h + y];
    for (const Placement& p : placements) write_placement(p);
  }
  return 0;
}

bool CMap::wrapped_cell(int& x, int y) const {
  if (type == MAPTYPE_WRAP) wrap_x(x);
  return has_grid() && on_map(x, y);
}

void CMap::wrap_x(int& x) const {
  // Without a grid there is nothing to wrap around (and nothing to divide by).
  if (width <= 0) return;
  if (x < 0) x += width;
  if (x >= width) x %= width;
}

int CMap::get_tile(int x, int y) const {
  if (!has_grid()) return CMAP_TILE_BLANK;
  if (type == MAPTYPE_WRAP) wrap_x(x);
  if (on_map(x, y)) return tiles[cell(x, y)];

  // The four corner areas are divided along the diagonals; wide arithmetic
  // keeps far-off cells from overflowing.
  const long long lx = x, ly = y, w = width, h = height;
  if (lx < 0 && lx <= ly && ly < h - lx && edge_tiles[CMAP_WEST])
    return static_cast<int>(edge_tiles[CMAP_WEST]);
  if (ly < 0 && ly < w - 1 - lx && edge_tiles[CMAP_NORTH])
    return static_cast<int>(edge_tiles[CMAP_NORTH]);
  if (lx >= w && ly <= lx + h - w && edge_tiles[CMAP_EAST])
    return static_cast<int>(edge_tiles[CMAP_EAST]);
  if (ly >= h && edge_tiles[CMAP_SOUTH]) return static_cast<int>(edge_tiles[CMAP_SOUTH]);
  return tiles[0];
}

int CMap::set_tile(int x, int y, int tile) {
  if (!has_grid() || !on_map(x, y)) return 1;
  // The grid holds map-tile numbers only; anything else would be written to
  // the level file as marker bytes.
  if (tile < 0 || tile >= TILES_NUM_MAP) return 1;
  tiles_changed();
  tiles[cell(x, y)] = static_cast<uint16_t>(tile);
  return 0;
}

uint16_t CMap::get_underneath(int x, int y) const {
  if (!has_grid()) return 0;
  if (!wrapped_cell(x, y)) return underneath[0];
  return underneath[cell(x, y)];
}

uint32_t CMap::get_wall_dir(int x, int y) const {
  if (!has_grid()) return 0;
  if (!wrapped_cell(x, y)) return wall_dir[0];
  return wall_dir[cell(x, y)];
}

const uint8_t* CMap::get_wall_sides(int x, int y) const {
  if (!has_grid() || !on_map(x, y)) return NO_WALL_SIDES;
  return wall_sides[cell(x, y)].data();
}

void CMap::get_view_rect(int x, int y, int r, int& x1, int& y1, int& x2, int& y2) const {
  const long long lx = x, ly = y, lr = r, w = width, h = height;
  long long a = ly - lr, b = ly + lr;
  if (a < 0) a = 0;
  if (a > h - 1) a = h - 1;
  if (b < 0) b = 0;
  if (b > h - 1) b = h - 1;
  y1 = static_cast<int>(a);
  y2 = static_cast<int>(b);
  long long c = lx - lr, d = lx + lr;
  if (type != MAPTYPE_WRAP) {
    if (c >= w) c = w - 1;
    if (c < 0) c = 0;
    if (d >= w) d = w;
    if (d < 0) d = 0;
  }
  x1 = bounded_int<int>(c);
  x2 = bounded_int<int>(d);
}

bool CMap::in_range(int x1, int y1, int x2, int y2, int r) const {
  const long long dx = std::llabs(static_cast<long long>(x1) - x2);
  const long long dy = std::llabs(static_cast<long long>(y1) - y2);
  if (std::max(dx, dy) <= r) return true;
  if (type != MAPTYPE_WRAP) return false;
  return std::max(std::llabs(dx - width), dy) <= r;
}

bool CMap::notblocked(int x, int y, bool allow_mountain) const {
  FunctionTrace ft("mapobj::notblocked");
  if (!has_grid() || !on_map(x, y)) return false;
  const int tile = tiles[cell(x, y)];
  bool blocked = false;
  switch (tile_kind(tile)) {
    case TILE_WATER:
    case TILE_BLOCKING_SHORE:
    case TILE_VOID:
      blocked = true;
      break;
    case TILE_BLOCKING:
      blocked = !(allow_mountain && tile == CMAP_TILE_MOUNTAIN);
      break;
    default:
      break;
  }
  if (blocked) ft.printf("blocked");
  return !blocked;
}

bool CMap::is_wet(int x, int y) const {
  if (!has_grid() || !on_map(x, y)) return false;
  const int tile = get_tile(x, y);
  if (tile == CMAP_TILE_DEEP_WATER) return true;
  const int kind = tile_kind(tile);
  return kind == TILE_WATER || tiledata.is_shore(tile);
}

bool CMap::will_drown(int x, int y) const {
  if (!has_grid() || !on_map(x, y)) return false;
  if (!is_wet(x, y)) return false;
  return tile_kind(get_tile(x, y)) != TILE_SHORE;
}

bool CMap::tile_is_opaque(int tile) const { return tiledata.is_opaque(tile) != 0; }

int CMap::get_substitute_tile(int x, int y, int def) const {
  switch (get_tile(x, y)) {
    case 157: return 1289;
    case 158: return 1290;
    case 159:
    case 265:
    case 266: return 1291;
    case 156: return 1292;
    case 160: return 1311;
    default: return def;
  }
}

bool CMap::is_substitute_tile(int x, int y) const {
  const int t = get_tile(x, y);
  return t >= 156 && t <= 159;
}

bool CMap::same_region(int x1, int y1, int x2, int y2) const {
  if (!has_grid() || !on_map(x1, y1)) return false;
  if (!on_map(x2, y2)) return region_layer[cell(x1, y1)] == 0;
  return region_layer[cell(x1, y1)] == region_layer[cell(x2, y2)];
}

int CMap::get_region(int x, int y) const {
  if (!has_grid() || !on_map(x, y)) return -1;
  return region_layer[cell(x, y)];
}

int CMap::set_region(int x1, int y1, int x2, int y2, int id) {
  FunctionTrace ft("cmap::set_region");
  ft.printf("%d %d %d %d %d", x1, y1, x2, y2, id);
  x1 = std::max(x1, 0);
  y1 = std::max(y1, 0);
  x2 = std::min(x2, width - 1);
  y2 = std::min(y2, height - 1);
  if (x1 > x2 || y1 > y2) return 1;
  regions.push_back({x1, y1, x2, y2, id});
  for (int x = x1; x <= x2; ++x)
    for (int y = y1; y <= y2; ++y) region_layer[cell(x, y)] = static_cast<uint16_t>(id);
  return 0;
}

namespace {

// Clears a region's rectangle; clipped again since the map may have been
// resized since the region was set.
void clear_rect(std::vector<uint16_t>& layer, const Region& r, int w, int h) {
  const int x1 = std::max(r.x1, 0), y1 = std::max(r.y1, 0);
  const int x2 = std::min(r.x2, w - 1), y2 = std::min(r.y2, h - 1);
  for (int x = x1; x <= x2; ++x)
    for (int y = y1; y <= y2; ++y) layer[static_cast<size_t>(x) * h + y] = 0;
}

}  // namespace

void CMap::remove_region(int id) {
  for (auto it = regions.begin(); it != regions.end();) {
    if (it->id == id) {
      clear_rect(region_layer, *it, width, height);
      it = regions.erase(it);
    } else {
      ++it;
    }
  }
}

int CMap::remove_region_at(int x, int y) {
  if (!has_grid() || !on_map(x, y)) return 0;
  for (auto it = regions.begin(); it != regions.end(); ++it) {
    if (x >= it->x1 && x <= it->x2 && y >= it->y1 && y <= it->y2) {
      const int id = it->id;
      clear_rect(region_layer, *it, width, height);
      regions.erase(it);
      return id;
    }
  }
  return 0;
}

void CMap::write_placement(const Placement& p) {
  // Placements come from files and the server: never write outside the grid.
  if (!has_grid() || !on_map(p.x, p.y)) return;
  underneath[cell(p.x, p.y)] = p.value;
}

int CMap::set_placement(int x, int y, int value) {
  if (!has_grid() || !on_map(x, y)) return 1;
  const uint16_t v = static_cast<uint16_t>(value);
  auto it = std::find_if(placements.begin(), placements.end(),
                         [&](const Placement& p) { return p.x == x && p.y == y; });
  if (it != placements.end())
    it->value = v;
  else
    placements.push_back({x, y, v});
  underneath[cell(x, y)] = v;
  return 0;
}

void CMap::remove_placement(int x, int y) {
  auto it = std::find_if(placements.begin(), placements.end(),
                         [&](const Placement& p) { return p.x == x && p.y == y; });
  if (it != placements.end()) placements.erase(it);
}

void CMap::calc_layers() {
  if (!has_grid()) return;

  // Per tile number: wall, may serve as underneath, casts a shadow, and the
  // membership of the underneath lists; looked up once instead of per cell.
  std::vector<uint8_t> is_wall(TILES_NUM_MAP, 0), serves(TILES_NUM_MAP, 0);
  std::vector<uint8_t> shadow(TILES_NUM_MAP, 0), listed(TILES_NUM_MAP, 0);
  std::vector<uint8_t> dot(TILES_NUM_MAP, 0), blank(TILES_NUM_MAP, 0);
  auto mark = [](std::vector<uint8_t>& v, const std::vector<int>& list) {
    for (int t : list)
      if (t >= 0 && t < TILES_NUM_MAP) v[t] = 1;
  };
  mark(listed, tiledata.underneath_tiles);
  mark(dot, tiledata.underneath_dot_tiles);
  mark(blank, tiledata.underneath_blank_tiles);
  for (int t = 0; t < TILES_NUM_MAP; ++t) {
    const MapTile* rec = map_tile(t);
    if (!rec) continue;
    shadow[t] = rec->shadow > 0;
    if (tiledata.in_tile_map(t)) continue;
    is_wall[t] = rec->type == TILE_BLOCKING || tiledata.is_opaque(t) != 0;
    serves[t] = !is_wall[t] && !tiledata.is_shore(t) && !listed[t];
  }
  auto tile_at = [&](int x, int y) -> int {
    const int t = tiles[cell(x, y)];
    return t < TILES_NUM_MAP ? t : -1;
  };

  static const int NEIGHBOURS[8][2] = {{1, 0},  {-1, 0}, {0, 1},  {0, -1},
                                       {1, 1},  {-1, 1}, {1, -1}, {-1, -1}};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const size_t c = cell(x, y);
      const int own = tile_at(x, y);
      underneath[c] = 0;
      wall_dir[c] = 0;
      wall_sides[c] = {0, 0, 0, 0};

      if (own >= 0 && dot[own]) {
        underneath[c] = CMAP_TILE_DOT;
      } else if (own >= 0 && blank[own]) {
        underneath[c] = CMAP_TILE_BLANK;
      } else {
        for (const auto& n : NEIGHBOURS) {
          const int nx = x + n[0], ny = y + n[1];
          if (!on_map(nx, ny)) continue;
          const int t = tile_at(nx, ny);
          if (t >= 0 && serves[t]) {
            underneath[c] = static_cast<uint16_t>(t);
            break;
          }
        }
      }

      auto wall_at = [&](int nx, int ny) {
        if (!on_map(nx, ny)) return false;
        const int t = tile_at(nx, ny);
        return t >= 0 && is_wall[t] != 0;
      };
      if (wall_at(x, y - 1)) wall_dir[c] = 1;
      if (wall_at(x + 1, y)) wall_dir[c] = 3;
      if (wall_at(x - 1, y)) wall_dir[c] = 7;
      if (wall_at(x, y + 1)) wall_dir[c] = 5;

      if (own >= 0 && shadow[own]) continue;
      static const int SIDES[4][2] = {{0, -1}, {0, 1}, {1, 0}, {-1, 0}};
      for (int s = 0; s < 4; ++s) {
        const int nx = x + SIDES[s][0], ny = y + SIDES[s][1];
        if (!on_map(nx, ny)) continue;
        const int t = tile_at(nx, ny);
        if (t >= 0 && shadow[t] && same_region(x, y, nx, ny)) wall_sides[c][s] = 1;
      }
    }
  }
  for (const Placement& p : placements) write_placement(p);
}

void CMap::compute_open_bounds() {
  open_bounds = {9999, 9999, -1, -1};
  for (int x = 0; x < width; ++x) {
    for (int y = 0; y < height; ++y) {
      if (region_layer[cell(x, y)] != 0) continue;
      open_bounds[0] = std::min(open_bounds[0], x);
      open_bounds[1] = std::min(open_bounds[1], y);
      open_bounds[2] = std::max(open_bounds[2], x);
      open_bounds[3] = std::max(open_bounds[3], y);
    }
  }
}
