// The map viewer (the whole level at 4 pixels per cell, from the average
// colours of the tile pictures, limited to the cells the player has seen) and
// the zoomed-out view drawn while the player peers.

#include <allegro.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "app/client_app.h"
#include "core/ids.h"
#include "core/string_utils.h"
#include "core/tiles.h"
#include "display/display.h"
#include "display/item_tint.h"
#include "world/cmap.h"
#include "world/object_grid.h"
#include "world/player.h"

namespace {
constexpr int MAP_CELL = 4;
constexpr int TILE_PLAIN_FIRST = 132, TILE_PLAIN_LAST = 143;
constexpr float PULSE_STEP = 0.2f;
}  // namespace

void QYXDisplay::draw_map_view(bool rebuild) {
  ++map_view_draws;
  if (rebuild) {
    if (map_picture) {
      destroy_bitmap(map_picture);
      map_picture = nullptr;
    }
    const int w = cmap.get_max_x(), h = cmap.get_max_y();
    // A level without cells has no picture; the viewer then shows black.
    if (w <= 0 || h <= 0 || !play_bitmap) return;
    const int depth = play_bitmap ? bitmap_color_depth(play_bitmap) : get_color_depth();
    map_picture = create_bitmap_ex(depth, w * MAP_CELL, h * MAP_CELL);
    if (!map_picture) return;
    clear_to_color(map_picture, makecol_depth(depth, 0, 0, 0));
    const int cell = sheet_tile + sheet_border;
    // Averages are costly (a whole sheet cell each): one per picture.
    std::map<int, int> averages;
    auto picture_colour = [&](int tile, bool darker) {
      // Tile numbers come from the server unchecked; any negative picture is none.
      if (tile < 0 || tile >= TILES_NUM_MAP || !tiles) return makecol(0, 0, 0);
      const int pic = tile_ids[tile];
      if (pic < 0) return makecol(0, 0, 0);
      const int key = pic * 2 + (darker ? 1 : 0);
      auto it = averages.find(key);
      if (it != averages.end()) return it->second;
      const int c = tile_average(tiles, cell * (pic % 16), cell * (pic / 16), darker);
      averages[key] = c;
      return c;
    };
    const int background = picture_colour(TILES_UNKNOWN, false);
    for (int x = 0; x < w && x < CMAP_MAX_SIZE; ++x)
      for (int y = 0; y < h && y < CMAP_MAX_SIZE; ++y) {
        if (!minimap[x][y]) continue;
        const int t = cmap.get_tile(x, y);
        const bool seen = cmap.same_region(me.x, me.y, x, y);
        int c;
        if (tiledata.is_wall(t))
          c = seen ? makecol(255, 222, 0) : makecol(127, 111, 0);
        else if (t >= TILE_PLAIN_FIRST && t <= TILE_PLAIN_LAST)
          c = background;
        else
          c = picture_colour(t, !seen);
        plot_block(map_picture, MAP_CELL * x, MAP_CELL * y, c);
      }
    return;
  }

  if (!play_bitmap) return;
  const int W = res_x - panel_width(), H = play_height;
  if (W <= 0 || H <= 0) return;
  rectfill(play_bitmap, 0, 0, W - 1, H - 1, makecol(0, 0, 0));
  FONT* f = main_font ? main_font : font;
  textout_centre_ex(play_bitmap, f, rm_us2(cmap.name).c_str(), W / 2, 10, makecol(255, 222, 0), -1);
  // No picture yet (or a level of no cells): the black area and the name only.
  if (!map_picture || map_picture->w <= 0 || map_picture->h <= 0) return;

  map_pulse += PULSE_STEP;
  const int pulse = 159 + static_cast<int>(95 * std::sin(map_pulse));
  plot_block(map_picture, MAP_CELL * me.x, MAP_CELL * me.y, makecol(pulse, 0, 0));
  for (const TrackedCreature& t : tracked_creatures)
    if (t.level == me.map_level && cmap.same_region(me.x, me.y, t.x, t.y))
      plot_block(map_picture, MAP_CELL * t.x, MAP_CELL * t.y, makecol(0, pulse, 0));

  const int w = map_picture->w, h = map_picture->h;
  float scale;
  int ox = 0, oy = 0;
  if (static_cast<float>(w) / h <= static_cast<float>(W) / H) {
    scale = static_cast<float>(H) / h;
    ox = static_cast<int>((W - w * scale) / 2);
  } else {
    scale = static_cast<float>(W) / w;
    oy = static_cast<int>((H - h * scale) / 2);
  }
  stretch_blit(map_picture, play_bitmap, 0, 0, w, h, ox, oy, static_cast<int>(w * scale),
               static_cast<int>(h * scale));
  textout_centre_ex(play_bitmap, f, rm_us2(cmap.name).c_str(), W / 2, 10, makecol(255, 222, 0), -1);
}

void QYXDisplay::draw_zoomed_view() {
  if (!play_bitmap) return;
  const int k = game_is_qyx ? 2 : 4;
  const int R = std::clamp(view_radius, 2, MAX_VIEW_RADIUS);
  const int reach = R * k;
  rectfill(play_bitmap, 0, 0, (reach + 1) * PLAY_CELL, (reach + 1) * PLAY_CELL, makecol(0, 0, 0));
  for (int y = me.y - reach; y <= me.y + reach + 1; ++y)
    for (int x = me.x - reach; x <= me.x + reach + 1; ++x) {
      const int i = x - (me.x - reach), j = y - (me.y - reach);
      const int tile = cmap.same_region(me.x, me.y, x, y) ? cmap.get_tile(x, y) : cmap.get_tile(0, 0);
      draw_map_tile(i, j, tile, 0, k);
      const Item item = obj_grid.get_item(x, y);
      if (item.code != -1 && item.get_base_code() == ITEM_BASE_MAP_TILE) {
        const int t = item.get_modifier();
        if (t >= 0 && t < TILES_NUM_MAP && tile_ids[t] >= 0)
          draw_tile(i, j, tile_ids[t], 0, k, 0, 0, 0, tint::NONE, 0, 0);
      }
    }
  draw_item_tile(reach, reach, Item(static_cast<long>(me.get_draw_code())), 0, k, 0, 0, 0, 0);
  if (back_buffer)
    blit(play_bitmap, back_buffer, src_x, src_y, play_x, play_y, play_w, play_h);
}
