#pragma once
// The client's copy of one map level: the tile grid (whose x axis may wrap),
// the tiles shown beyond its edges, the layers derived from the tiles for
// drawing, rectangular regions, the items lying on the map as part of the
// level and the fixed underneath tiles ("placements") set by the server.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/item.h"

// The largest side of a level; the object grid and the minimap are this size.
constexpr int CMAP_MAX_SIZE = 250;

// Whether (x, y) is a cell of that largest grid: of the object grid and the
// minimap, whatever the size of the level.
inline bool on_max_grid(int x, int y) {
  return x >= 0 && y >= 0 && x < CMAP_MAX_SIZE && y < CMAP_MAX_SIZE;
}

// Tile numbers with a fixed meaning for the map.
constexpr int CMAP_TILE_BLANK = 32;  // the tile of a new grid
constexpr int CMAP_TILE_SWAMP = 43;
constexpr int CMAP_TILE_DOT = 46;
constexpr int CMAP_TILE_FOREST = 64;
constexpr int CMAP_TILE_MOUNTAIN = 94;
constexpr int CMAP_TILE_LAVA = 220;
constexpr int CMAP_TILE_VOID = 225;
constexpr int CMAP_TILE_DEEP_WATER = 249;

// The kind of a level. Only 0 is special to the map itself: its x axis wraps.
enum MAPTYPE { MAPTYPE_WRAP = 0, MAPTYPE_FLAT = 1, MAPTYPE_EDGE_EXITS = 2 };

// Order of the edge tiles and of the four wall-side flags of a cell.
enum { CMAP_NORTH = 0, CMAP_SOUTH = 1, CMAP_EAST = 2, CMAP_WEST = 3 };

// Which program reads and writes level files: the client keeps its copies in
// "cmaps"; a server reads and writes under "smaps".
enum { CMAP_MODE_CLIENT = 1, CMAP_MODE_SERVER = 2, CMAP_MODE_TOOL = 3 };

// An inclusive rectangle, already clipped to the map.
struct Region {
  int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0, id = 0;
};

struct MapObject {
  Item item;
  int32_t x = 0;
  int32_t y = 0;
};

// A fixed underneath tile set by the server.
struct Placement {
  int32_t x = 0;
  int32_t y = 0;
  uint16_t value = 0;
};

class CMap {
 public:
  CMap();
  virtual ~CMap();
  CMap(const CMap&) = default;
  CMap& operator=(const CMap&) = default;

  // Program mode for the file names (client unless a server sets it).
  static int mode;

  // ---- grid -------------------------------------------------------------
  // w and h in 1..CMAP_MAX_SIZE; 1 refused (nothing changed), 0 done. With keep the
  // old tiles of the overlapping rectangle stay.
  int set_size(int w, int h, bool keep);
  bool has_grid() const { return !tiles.empty(); }
  bool on_map(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }

  // Tile at a cell; x wraps on a wrapping map, cells beyond the edges show
  // the edge tiles or else the tile at (0, 0). Without a grid: 32.
  int get_tile(int x, int y) const;
  // 0 stored; 1 off the map or not a tile number.
  int set_tile(int x, int y, int tile);
  uint16_t get_underneath(int x, int y) const;
  uint32_t get_wall_dir(int x, int y) const;
  // The four wall-side flags (north, south, east, west) of a cell; all 0 off
  // the map.
  const uint8_t* get_wall_sides(int x, int y) const;
  // x < 0 gets w added once, then x >= w is taken modulo w.
  void wrap_x(int& x) const;
  void get_view_rect(int x, int y, int r, int& x1, int& y1, int& x2, int& y2) const;
  bool in_range(int x1, int y1, int x2, int y2, int r) const;

  // ---- terrain ----------------------------------------------------------
  bool notblocked(int x, int y, bool allow_mountain) const;
  bool is_wet(int x, int y) const;
  bool will_drown(int x, int y) const;
  bool tile_is_opaque(int tile) const;
  bool is_swamp(int x, int y) const { return get_tile(x, y) == CMAP_TILE_SWAMP; }
  bool is_forest(int x, int y) const { return get_tile(x, y) == CMAP_TILE_FOREST; }
  bool is_mountain(int x, int y) const { return get_tile(x, y) == CMAP_TILE_MOUNTAIN; }
  bool is_lava(int x, int y) const { return get_tile(x, y) == CMAP_TILE_LAVA; }
  bool is_deep_water(int x, int y) const { return get_tile(x, y) == CMAP_TILE_DEEP_WATER; }
  bool is_void(int x, int y) const { return get_tile(x, y) == CMAP_TILE_VOID; }
  int get_substitute_tile(int x, int y, int def) const;
  bool is_substitute_tile(int x, int y) const;

  // ---- regions and placements -------------------------------------------
  bool same_region(int x1, int y1, int x2, int y2) const;
  // Region id at a cell, 0 = none, -1 off the map.
  int get_region(int x, int y) const;
  // 0 stored; 1 when the rectangle lies wholly off the map.
  int set_region(int x1, int y1, int x2, int y2, int id);
  void remove_region(int id);
  int remove_region_at(int x, int y);
  // 0 done; 1 off the map (nothing stored).
  int set_placement(int x, int y, int value);
  void remove_placement(int x, int y);
  void calc_layers();

  // ---- line of sight ----------------------------------------------------
  bool can_see_with_LOS(int x1, int y1, int x2, int y2, int range,
                        uint8_t see_through_forest = 0) const;

  // ---- level file -------------------------------------------------------
  // "cmaps/lvl%03d.map" for the client.
  std::string get_file_name() const;
  // 0 written, 1 not written.
  int save_map();
  // 0 loaded, 1 not loaded, 2 locked (server mode only).
  int load(int lvl);
  // Reads a level from the bytes of a level file (the part of `load` after
  // the file is opened): 0 read, 1 refused. Does not compute layers or CRC.
  int read_level(const std::string& bytes);
  // Plain-text dump of the tiles under "smaps"; 0.
  int save_raw_map();

  // ---- accessors --------------------------------------------------------
  int get_level() const { return level; }
  int get_vis() const { return vis; }
  MAPTYPE get_type() const { return static_cast<MAPTYPE>(type); }
  int get_max_x() const { return width; }
  int get_max_y() const { return height; }

  int32_t width = 0;
  int32_t height = 0;
  int32_t level = -1;
  int32_t vis = 0;
  std::string name = "unnamed level";
  int32_t type = 1;
  int32_t music = 1;
  // The grids are indexed [x][y]: cell (x, y) is element x * height + y.
  std::vector<uint16_t> tiles;
  std::vector<uint16_t> underneath;
  std::vector<uint32_t> wall_dir;
  bool rlvl = false;
  uint32_t crc = 0;
  std::string dir = "cmaps";
  std::vector<uint16_t> region_layer;
  bool rlvl_keep = false;
  int32_t exitlvl = 0;
  std::vector<std::array<uint8_t, 4>> wall_sides;
  std::vector<Region> regions;
  // Least x, least y, greatest x, greatest y over the cells of region 0.
  std::array<int32_t, 4> open_bounds = {9999, 9999, -1, -1};
  // North, south, east, west; 0 = none.
  std::array<uint32_t, 4> edge_tiles = {0, 0, 0, 0};
  std::vector<MapObject> map_objects;
  std::vector<Placement> placements;

  // Changes whenever the grid, its size or its edges may have changed
  // through this class (each change takes a new number from a program-wide
  // count): what was worked out from the tiles is stale once it moves.
  uint64_t tile_serial() const { return tile_serial_; }

 private:
  uint64_t tile_serial_ = 0;
  void tiles_changed();
  size_t cell(int x, int y) const {
    return static_cast<size_t>(x) * static_cast<size_t>(height) + static_cast<size_t>(y);
  }
  // x wrapped when the map wraps; false when (x, y) is then off the map.
  bool wrapped_cell(int& x, int y) const;
  void write_placement(const Placement& p);
  void compute_open_bounds();
};

// Walkability of a cell of the current level (the global map).
namespace mapobj {
bool notblocked(int x, int y, bool allow_mountain);
}

extern CMap cmap;  // the current map level
