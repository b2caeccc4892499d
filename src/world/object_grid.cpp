#include "world/object_grid.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/item_bases.h"
#include "core/item_data.h"
#include "core/log.h"
#include "core/sound_effects.h"
#include "core/tiles.h"
#include "core/utils.h"
#include "world/cmap.h"
#include "world/item_list.h"
#include "world/player.h"

namespace {

// Status letters of a server object's field-of-view word, by bit.
const char STATUS_LETTERS[] = "?ZH-!DqVmPBoz";
constexpr int STATUS_LETTER_COUNT = 13;
// Line-of-sight range used for lighting objects.
constexpr int LIGHT_SIGHT_RANGE = 9;

int tile_frames(const Item& item) {
  const ObjectTile* t = tiledata.get_object_tile(static_cast<unsigned>(item.get_base_code()));
  return t != nullptr ? t->frames : 0;
}

}  // namespace

int ambient_sound_of(int base) {
  switch (base) {
    case ITEM_BASE_CLOCK: return SFX_CLOCK;
    case ITEM_BASE_FOUNTAIN: return SFX_FOUNTAIN;
    case ITEM_BASE_WATERFALL: return SFX_WATERFALL;
    default: return -1;
  }
}

ObjGrid::ObjGrid()
    : light(new int32_t[OBJGRID_CELLS]()),
      cells(new ObjCell[OBJGRID_CELLS]),
      is_written_(new uint8_t[OBJGRID_CELLS]()),
      sight_(new int8_t[OBJGRID_CELLS]) {
  std::fill(sight_.get(), sight_.get() + OBJGRID_CELLS, int8_t{-1});
}

bool ObjGrid::sees_player(const CMap& map, int x, int y, int px, int py) {
  SightKey key;
  key.map = &map;
  key.map_serial = map.tile_serial();
  key.tiles = map.tiles.data();
  key.tile_count = map.tiles.size();
  key.width = map.width;
  key.height = map.height;
  key.type = map.type;
  key.edges = map.edge_tiles;
  key.tile_table_serial = tiledata.map_tile_serial();
  key.tile_table = tiledata.map_tiles.data();
  key.tile_table_size = tiledata.map_tiles.size();
  key.px = px;
  key.py = py;
  if (!(key == sight_key_)) {
    for (int i : sight_known_) sight_[i] = -1;
    sight_known_.clear();
    sight_key_ = key;
  }
  int i = y * CMAP_MAX_SIZE + x;
  if (sight_[i] < 0) {
    sight_[i] = map.can_see_with_LOS(x, y, px, py, LIGHT_SIGHT_RANGE, 0) ? 1 : 0;
    sight_known_.push_back(i);
  }
  return sight_[i] == 1;
}

void ObjGrid::mark_written(int i) {
  if (is_written_[i]) return;
  is_written_[i] = 1;
  written_.push_back(i);
}

// Every cell outside the written list already reads as cleared, so only the
// written ones need the work.
void ObjGrid::clear(bool all) {
  size_t kept = 0;
  for (int i : written_) {
    ObjCell& c = cells[i];
    if (!all && c.permanent) {
      written_[kept++] = i;
      continue;
    }
    c.item = Item(-1L);
    c.id = -1;
    light[i] = 0;
    is_written_[i] = 0;
  }
  written_.resize(kept);
}

void ObjGrid::set_item(const Item& item, int x, int y) {
  // Coordinates come from the server: a cell outside the grid is ignored
  // rather than aliased into another row or written before the grid.
  if (!on_max_grid(x, y)) return;
  int i = y * CMAP_MAX_SIZE + x;
  ObjCell& c = cells[i];
  mark_written(i);
  c.item = item;
  c.hea = 0;
  c.align = 'n';
  c.id = -1;
  c.permanent = 1;
  c.large = 0;
  light[i] = wl.get_light(item);
}

int ObjGrid::cell_index(const CMap& map, int x, int y) {
  if (map.get_type() == 0) map.wrap_x(x);
  if (!on_max_grid(x, y)) return -1;
  return y * CMAP_MAX_SIZE + x;
}

const ObjCell* ObjGrid::cell_at(int x, int y) const {
  int i = cell_index(cmap, x, y);
  return i < 0 ? nullptr : &cells[i];
}

Item ObjGrid::get_item(int x, int y) const {
  const ObjCell* c = cell_at(x, y);
  return c != nullptr ? c->item : Item(-1L);
}

int ObjGrid::get_id(int x, int y) const {
  const ObjCell* c = cell_at(x, y);
  return c != nullptr ? c->id : -1;
}

int ObjGrid::get_align(int x, int y) const {
  const ObjCell* c = cell_at(x, y);
  return c != nullptr ? c->align : 'n';
}

int ObjGrid::get_hea(int x, int y) const {
  const ObjCell* c = cell_at(x, y);
  return c != nullptr ? c->hea : -1;
}

int ObjGrid::get_flags(int x, int y) const {
  const ObjCell* c = cell_at(x, y);
  return c != nullptr ? c->flags : 0;
}

int ObjGrid::get_light(int x, int y) const {
  int i = cell_index(cmap, x, y);
  return i < 0 ? 0 : light[i];
}

uint32_t ObjGrid::get_price(int x, int y) const {
  const ObjCell* c = cell_at(x, y);
  return c != nullptr && c->id != -1 ? c->price : 0;
}

int ObjGrid::get_frame(int x, int y) const {
  const ObjCell* c = cell_at(x, y);
  if (c == nullptr) return 0;
  int n = tile_frames(c->item);
  if (n <= 0) return 0;
  int f = c->frame % n;
  return f < 0 ? f + n : f;
}

void ObjGrid::step_frame(int x, int y) {
  int i = cell_index(cmap, x, y);
  if (i < 0) return;
  ObjCell& c = cells[i];
  if (!c.item.is_regular_item() && (c.item.get_modifier() & 16) != 0) return;
  const ObjectTile* t = tiledata.get_object_tile(static_cast<unsigned>(c.item.get_base_code()));
  if (t == nullptr || t->frames <= 1) return;
  if (t->anim_mode == 'r') {
    c.frame = rand_int(t->frames);
  } else {
    ++c.frame;
    if (c.frame >= t->frames || c.frame < 0) c.frame = 0;
  }
}

std::string ObjGrid::get_status_str(int x, int y) const {
  const ObjCell* c = cell_at(x, y);
  std::string out;
  if (c == nullptr || c->id == -1 || c->price == 0) return out;
  for (int bit = 0; bit < STATUS_LETTER_COUNT; ++bit)
    if ((c->price >> bit) & 1u) out += STATUS_LETTERS[bit];
  return out;
}

int ObjGrid::is_permanent(int x, int y) const {
  const ObjCell* c = cell_at(x, y);
  return c != nullptr && c->item != -1L ? c->permanent : 0;
}

int ObjGrid::is_large(int x, int y) const {
  const ObjCell* c = cell_at(x, y);
  return c != nullptr && c->item != -1L ? c->large : 0;
}

void ObjGrid::copy_from(const ObjectList& objects, bool entered, const CMap& map, int px,
                        int py) {
  FunctionTrace trace("copy obj list");
  clear(false);
  for (const ItemListEl* n = objects.first; n != nullptr; n = n->next) {
    // Skip whatever lies outside the grid on either axis.
    if (!on_max_grid(n->x, n->y)) continue;
    int i = n->y * CMAP_MAX_SIZE + n->x;
    ObjCell& c = cells[i];
    if (n->id < 0 && c.id >= 0) continue;  // a server object wins over a local one
    mark_written(i);
    c.item = n->item;
    c.id = n->id;
    c.hea = n->hea;
    c.align = n->align;
    c.large = n->large;
    c.price = static_cast<uint32_t>(n->price);
    c.flags = static_cast<uint16_t>(n->b);
    c.permanent = 0;
    // The sight line is the costly part: only an object that gives light
    // needs it.
    int64_t l = n->qty;
    int32_t given = l < 1 && l != -2 ? wl.get_light(n->item) : bounded_int<int32_t>(l);
    light[i] = 0;
    if (given != 0 && entered && sees_player(map, n->x, n->y, px, py))
      light[i] = given;
    if (trace_on) trace.printf("%s at %d %d copied", n->item.str(false).c_str(), n->x, n->y);
  }
}

void ObjGrid::update_ambient_sound(AmbientSound& out, int px, int py) const {
  if (!out.enabled()) {
    out.stop_all_loops();
    return;
  }
  int best_id = -1;
  int best_cell = -1;
  float best = -1.0f;
  // The loudest wins; of equally loud ones the first in row order.
  for (int i : written_) {
    const ObjCell& c = cells[i];
    if (c.item == -1L) continue;
    int id = ambient_sound_of(c.item.get_base_code());
    if (id < 0) continue;
    float f = out.distance_factor(px, py, i % CMAP_MAX_SIZE, i / CMAP_MAX_SIZE);
    if (f > best || (f == best && i < best_cell)) {
      best = f;
      best_id = id;
      best_cell = i;
    }
  }
  if (best_id < 0 || best < OBJGRID_MIN_LOUDNESS) {
    out.stop_all_loops();
    return;
  }
  // A new sound must start even when it is as loud as the old one was.
  if (best_id != out.current_id) {
    if (out.current_id >= 0) out.stop_loop(out.current_id);
    out.play_scaled(best_id, best);
  } else if (best != out.current_factor) {
    out.adjust_loop(best_id, best);
  } else {
    return;
  }
  out.current_id = best_id;
  out.current_factor = best;
}

