#pragma once
// The tile table: object tiles (pictures of items, by base code) from
// "dat/tiles.txt", map tiles (terrain numbers) from "dat/mtiles.txt" and the
// underneath lists from "dat/underneath.txt".

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

class FunctionTrace;

constexpr int TILES_NUM_OBJECT = 4096;
// Valid map-tile numbers are 0..TILES_NUM_MAP - 1.
constexpr int TILES_NUM_MAP = 2560;
// `image` of an object tile that no tiles.txt line defined.
constexpr int TILES_NO_OBJECT_IMAGE = 511;
// Tile 126 has three roles: what the view draws for a tile it does not know,
// the map viewer's background, and one of the three animated tiles (with
// deep water and lava).
constexpr int TILES_UNKNOWN = 126;

// Map-tile movement classes.
enum {
  TILE_SHORE = -1, TILE_PLAIN = 0, TILE_BLOCKING = 1, TILE_WATER = 2,
  TILE_BLOCKING_SHORE = 3, TILE_VOID = 4
};

struct ObjectTile {
  int32_t image = 0;
  int32_t frames = 0;
  char anim_mode = 0;
  bool overlay = false;
  bool mirror = false;
};

struct MapTile {
  int32_t image = 0;
  int32_t type = 0;
  int32_t opaque = 0;
  int32_t shadow = 0;
  std::string desc;
  std::string desc_details;
};

class Tiles {
 public:
  Tiles();

  // 1 when "dat/mtiles.txt" cannot be opened, else 0.
  int load();
  void copy_tile_entry(unsigned from, unsigned to);

  bool is_valid_tile(int n) const;
  bool in_tile_map(int n) const;
  bool is_blocking(int n) const;
  bool is_water(int n) const;
  bool is_shore(int n) const;
  bool is_blocking_shore(int n) const;
  bool is_void(int n) const;
  bool has_shadow(int n) const;
  int is_opaque(int n) const;
  bool is_plain_opaque(int n) const;
  bool is_wall(int n) const;
  std::string get_desc(int n) const;
  std::string get_desc_details(int n) const;

  bool is_valid_object_tile(unsigned n) const;

  // Null for a number outside the table.
  const MapTile* get_map_tile(int n) const;
  const ObjectTile* get_object_tile(unsigned n) const;

  uint8_t has_negative_shadow = 0;
  std::map<int, std::array<int, 7>> tile_map;
  std::vector<ObjectTile> object_tiles;  // TILES_NUM_OBJECT entries
  std::vector<MapTile> map_tiles;        // TILES_NUM_MAP entries
  std::vector<int> underneath_tiles;
  std::vector<int> underneath_dot_tiles;
  std::vector<int> underneath_blank_tiles;

  // Changes whenever the map-tile table is read again (a program-wide
  // count), so that what was worked out from it can tell it is stale.
  uint64_t map_tile_serial() const { return map_tile_serial_; }

 private:
  uint64_t map_tile_serial_ = 0;
  const MapTile* map_tile(int n) const;
  int read_object_tiles(FunctionTrace& trace);
  int read_map_tiles(bool& opened);
  void read_underneath();
};

extern Tiles tiledata;  // object and map tiles
