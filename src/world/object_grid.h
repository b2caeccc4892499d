#pragma once
// A per-cell picture of the objects lying on the current map level, rebuilt
// from the server's object list after every update, with a light value per
// cell for the lighting of the view. It also picks the ambient sound loop of
// the loudest sound-making object near the player.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/item.h"
#include "world/cmap.h"

class ObjectList;

constexpr int OBJGRID_CELLS = CMAP_MAX_SIZE * CMAP_MAX_SIZE;
// The loudness below which nothing plays.
constexpr float OBJGRID_MIN_LOUDNESS = 0.1f;

struct ObjCell {
  Item item{-1L};
  int32_t id = -1;
  int32_t frame = 0;
  int32_t hea = 0;
  int32_t align = 'n';
  uint8_t permanent = 0;
  uint8_t large = 0;
  uint32_t price = 0;
  uint16_t flags = 0;
};

// Where the ambient choice goes: the sound object, or a recorder in tests.
// `current_id` and `current_factor` remember the loop now playing; stopping
// all loops forgets it.
class AmbientSound {
 public:
  virtual ~AmbientSound() = default;
  virtual bool enabled() = 0;
  virtual float distance_factor(int px, int py, int x, int y) = 0;
  virtual void stop_all_loops() = 0;
  virtual void stop_loop(int id) = 0;
  virtual void play_scaled(int id, float factor) = 0;
  virtual void adjust_loop(int id, float factor) = 0;
  int current_id = -1;
  float current_factor = -1.0f;
};

// Ambient output through the global sound object and options (defined by the
// application).
AmbientSound& global_ambient_sound();

class ObjGrid {
 public:
  ObjGrid();

  void clear(bool all);
  void set_item(const Item& item, int x, int y);

  Item get_item(int x, int y) const;
  int get_id(int x, int y) const;
  int get_align(int x, int y) const;
  int get_hea(int x, int y) const;
  int get_flags(int x, int y) const;
  int get_light(int x, int y) const;
  uint32_t get_price(int x, int y) const;
  int get_frame(int x, int y) const;
  void step_frame(int x, int y);
  std::string get_status_str(int x, int y) const;
  int is_permanent(int x, int y) const;
  int is_large(int x, int y) const;

  // Rebuilds the grid from a server object list. Once the level is entered,
  // lights are given only to objects the player (px, py) can see on `map`.
  void copy_from(const ObjectList& objects, bool level_entered, const CMap& map, int px, int py);
  void update_ambient_sound(AmbientSound& out, int px, int py) const;
  // The same through the global sound object and the local player's cell;
  // defined by the application, which owns the sound.
  void update_ambient_sound() const;

  // Cell index of (x, y) for the accessors, or -1 off the grid.
  static int cell_index(const CMap& map, int x, int y);

  std::unique_ptr<int32_t[]> light;
  std::unique_ptr<ObjCell[]> cells;

 private:
  const ObjCell* cell_at(int x, int y) const;
  // Marks cell i as holding an object, so that clear resets it. Only the
  // cells so marked are visited by clear and the ambient search: a grid
  // holds a few hundred objects among 62,500 cells.
  void mark_written(int i);

  std::vector<int> written_;
  std::unique_ptr<uint8_t[]> is_written_;

  // Sight lines from object cells to the player, kept while the level, its
  // tiles, the tile table and the player's cell stay as they were: creatures
  // move a cell at a time, and each update rebuilds the whole grid.
  struct SightKey {
    const CMap* map = nullptr;
    uint64_t map_serial = 0;
    const void* tiles = nullptr;
    size_t tile_count = 0;
    int32_t width = 0, height = 0, type = 0;
    std::array<uint32_t, 4> edges{};
    uint64_t tile_table_serial = 0;
    const void* tile_table = nullptr;
    size_t tile_table_size = 0;
    int px = 0, py = 0;
    bool operator==(const SightKey&) const = default;
  };
  bool sees_player(const CMap& map, int x, int y, int px, int py);
  SightKey sight_key_;
  std::unique_ptr<int8_t[]> sight_;  // -1 not worked out, 0 hidden, 1 seen
  std::vector<int> sight_known_;
};

// Rebuilds the global grid from `server_objects`.
void copy_obj_list();

// Base code of an object that makes an ambient sound -> its sound id; -1.
int ambient_sound_of(int base);

extern ObjGrid obj_grid;  // objects lying on the current level, by cell
