// The map view renderer: one frame of the play window, the square of cells
// around the player with tiles, objects, creatures, names, bars, timed
// effects and lighting, drawn at 32 pixels per cell into `play_bitmap`.
//
// A frame is decided and drawn in two steps. `draw_window` decides at once
// what targeting and the minimap need (the view grids, the visible-creature
// list, the target's position, the cells seen) and marks the frame; a burst
// of server messages may ask for dozens of redraws in one pass of the frame
// loop, and `flush_map_view` then draws the last decision once.

#include "display/map_view.h"

#include <allegro.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "app/client_app.h"
#include "app/play_messages.h"
#include "core/config_file.h"
#include "core/ids.h"
#include "core/interaction_modes.h"
#include "core/item_data.h"
#include "core/log.h"
#include "core/spells.h"
#include "core/string_utils.h"
#include "core/tiles.h"
#include "core/utils.h"
#include "display/display.h"
#include "display/item_tint.h"
#include "display/minimap_box.h"
#include "input/frame_input.h"
#include "input/keymap.h"
#include "input/options.h"
#include "world/cmap.h"
#include "world/effects.h"
#include "world/item_list.h"
#include "world/object_grid.h"
#include "world/player.h"
#include "world/target.h"

namespace {
constexpr int DISC_5[5] = {1, 3, 5, 3, 1};
constexpr int DISC_7[7] = {3, 5, 7, 7, 7, 5, 3};
constexpr int DISC_9[9] = {3, 7, 7, 9, 9, 9, 7, 7, 3};
constexpr int EVENT_SIGHT_RANGE = 7;
constexpr int STATUS_62 = 62;
constexpr int CODE_BIT_25 = 1 << 25;

int sgn(int v) { return (v > 0) - (v < 0); }

int rgb(uint32_t c) { return makecol((c >> 16) & 255, (c >> 8) & 255, c & 255); }

FONT* or_default(FONT* f) { return f ? f : font; }

}  // namespace

// ---- Pure rules --------------------------------------------------------------

int64_t own_light(int64_t sight, int hour, int minute, int radius, bool daylight_level,
                  int moon) {
  int64_t l = sight;
  if (!daylight_level) return l;
  if (hour == 5) l += static_cast<int64_t>(minute) * radius / 30;
  if (hour == 21) l += static_cast<int64_t>(minute) * radius / -30 + 2 * radius;
  if (moon == 2 || moon == 6) l += 1;
  if (moon == 3 || moon == 5) l += 2;
  if (moon == 4) l += 3;
  return l;
}

void spread_light(int32_t (&light)[VIEW_GRID][VIEW_GRID], int radius, int ci, int cj, int64_t l) {
  const int64_t r = l + 1;
  if (r <= 0 || radius < 0 || radius * 2 + 1 > VIEW_GRID) return;
  const int last = 2 * radius;
  // Only the view square is visited: a source of any strength costs at most
  // (2R+1)^2 cells.
  const int64_t i0 = std::max<int64_t>(0, ci - r), i1 = std::min<int64_t>(last, ci + r);
  const int64_t j0 = std::max<int64_t>(0, cj - r), j1 = std::min<int64_t>(last, cj + r);
  const double rr = static_cast<double>(r);
  for (int64_t i = i0; i <= i1; ++i)
    for (int64_t j = j0; j <= j1; ++j) {
      const double di = static_cast<double>(i - ci), dj = static_cast<double>(j - cj);
      const double dist = std::sqrt(di * di + dj * dj);
      const double add = 255.0 - dist * 255.0 / rr;
      if (add <= 0.0) continue;
      int32_t& v = light[i][j];
      v = static_cast<int32_t>(std::min<int64_t>(255, v + static_cast<int64_t>(add)));
    }
}

const int* light_disc_rows(int size) {
  switch (size) {
    case 5: return DISC_5;
    case 7: return DISC_7;
    case 9: return DISC_9;
    default: return nullptr;
  }
}

int old_light_disc(int32_t (&lit)[VIEW_GRID][VIEW_GRID], int radius, int ci, int cj, int64_t l) {
  int level = static_cast<int>(std::clamp<int64_t>(l, 2, 4));
  const int size = 2 * level + 1;
  const int* rows = light_disc_rows(size);
  const int last = 2 * radius;
  for (int row = 0; row < size; ++row) {
    const int j = cj - level + row;
    if (j < 0 || j > last) continue;
    const int half = rows[row] / 2;
    for (int i = ci - half; i <= ci + half; ++i)
      if (i >= 0 && i <= last) lit[i][j] |= 1;
  }
  return level;
}

bool ring_cell_hidden(const int32_t (&opaque)[VIEW_GRID][VIEW_GRID], int radius, int dx, int dy) {
  const int sx = sgn(dx), sy = sgn(dy);
  int ix = dx, iy = dy;
  if (std::abs(dx) > std::abs(dy)) {
    ix = dx - sx;
  } else if (std::abs(dy) > std::abs(dx)) {
    iy = dy - sy;
  } else {
    ix = dx - sx;
    iy = dy - sy;
  }
  const int dxi = dx - sx, dyi = dy - sy;
  auto at = [&](int x, int y) {
    const int i = radius + x, j = radius + y;
    if (i < 0 || j < 0 || i >= VIEW_GRID || j >= VIEW_GRID) return 0;
    return opaque[i][j];
  };
  return at(ix, iy) + at(dxi, dyi) >= 2;
}

bool may_target(int mode, int id, int align, bool can_pvp) {
  const bool friendly = align == 's' || align == 'p';
  switch (mode) {
    case TARGET_ALL: return true;
    case TARGET_GOOD: return !(id >= PLAYER_ID_LIMIT && align == 'e');
    case TARGET_EVIL:
      if (id >= PLAYER_ID_LIMIT) return align != 'g' && !friendly;
      return !friendly && can_pvp;
    default: return false;
  }
}

uint32_t rage_colour(int rage) {
  rage = std::clamp(rage, 0, 100);
  if (rage == 100) return 0xFFFFFF;
  if (rage >= 75) return 0xC4C4FF;
  if (rage >= 50) return 0xEF9C00;
  if (rage >= 25) return 0x65EEE9;
  return 0xFFDE00;
}

int mana_percent(int mana, int mana_max) {
  const double max = mana_max == 0 ? 0.01 : static_cast<double>(mana_max);
  const double p = static_cast<double>(mana) * 100.0 / max;
  if (!(p > 0.0)) return 0;
  return p >= 100.0 ? 100 : static_cast<int>(p);
}

bool bar_fraction(double value, double maximum, float& fraction) {
  if (!(maximum > 0.0)) return false;
  fraction = static_cast<float>(value / maximum);
  return true;
}

int clamp_component(int64_t c) { return static_cast<int>(std::clamp<int64_t>(c, 0, 255)); }

uint32_t particle_colour(int kind, int64_t counter, uint32_t own) {
  if (own != 0) return own & 0xFFFFFF;
  if (kind == PARTICLE_WANDERING) return 0;
  if (kind == PARTICLE_RISING)
    return 0xFF0000u | static_cast<uint32_t>(clamp_component(255 - counter)) << 8;
  return 0xFE0000;
}

int spell_event_alpha(int effect, int64_t elapsed_ms) {
  const int64_t span = effect == 35 ? 6000 : effect == 49 ? 3000 : 600;
  int64_t a = 255 - std::max<int64_t>(0, elapsed_ms) * 255 / span;
  if (a < 0) a = (effect == 40 || effect == 41 || effect == 43) ? a + 255 : 0;
  return clamp_component(a);
}

BarColour creature_bar_colour(int align, bool player_dead, bool marked_green) {
  if (player_dead) return BAR_GREY;
  if (marked_green) return BAR_GREEN;
  switch (align) {
    case 'p':
    case 's': return BAR_DARK_GREEN;
    case 'e': return BAR_RED;
    case 'g': return BAR_BLUE;
    case 'f': return BAR_PURPLE;
    default: return BAR_GREY;
  }
}

// ---- Deciding --------------------------------------------------------------------

void QYXDisplay::draw_window(bool advance, ObjectList* creatures) {
  decide_view(advance, creatures);
  view_advance = view_advance || advance;
  request_frame(FRAME_VIEW);
}

uint32_t QYXDisplay::play_window_moves() const {
  // A hallucination recolours every frame at random, meditation widens its
  // view by the second, the map viewer pulses, a quake shakes the window.
  const bool moves = quake_offset != 0 || map_open() || me.get_health(HN_HALLUCINATING) != 0 ||
                     me.get_health(HN_MEDITATING) != 0;
  return moves ? static_cast<uint32_t>(FRAME_MOTION) : 0u;
}

void QYXDisplay::flush_map_view() {
  const uint32_t reasons = frame_reasons;
  if (reasons == 0) return;
  frame_reasons = 0;
  if (view_kind == VIEW_KIND_WAIT) {
    refresh_screen();
    return;
  }
  if (!play_bitmap) return;
  // A step of the prompt glyph alone leaves the map view as it was drawn.
  if (reasons != FRAME_PROMPT) {
    FunctionTrace trace("draw-window");
    render_view();
    view_advance = false;
  }
  compose_frame(changed_part(reasons));
}

void QYXDisplay::decide_view(bool advance, ObjectList* creatures) {
  if (!ok_to_draw_play_window()) {
    view_kind = VIEW_KIND_WAIT;
    return;
  }
  if (help_open()) {
    view_kind = VIEW_KIND_HELP;
    return;
  }
  if (book_open()) {
    view_kind = VIEW_KIND_BOOK;
    return;
  }
  if (map_open()) {
    view_kind = VIEW_KIND_MAP;
    return;
  }
  const int R = std::clamp(view_radius, 2, MAX_VIEW_RADIUS);
  view_radius_used = R;
  view_px = me.x;
  view_py = me.y;

  if (creatures) {
    creatures->clear();
    // Seen again below while the target stays in view.
    crosshair_ready = false;
    if (target_type == TARGET_PARTY)
      for (const TrackedCreature& t : tracked_creatures) {
        if (t.level != me.map_level || std::abs(t.x - me.x) > VIEW_PARTY_REACH ||
            std::abs(t.y - me.y) > VIEW_PARTY_REACH)
          continue;
        creatures->add_simple_obj(t.id, Item(static_cast<long>(t.code)), t.x, t.y, 0);
        if (t.id == target_id) {
          target_x = t.x;
          target_y = t.y;
          crosshair_ready = true;
        }
      }
  }
  if (me.get_health(HN_PEERING)) {
    view_kind = VIEW_KIND_PEERING;
    return;
  }
  if (me.get_health(HN_BLIND) || me.get_health(HN_MEDITATING) || me.get_health(HN_ASLEEP)) {
    if (target_type != TARGET_PARTY) target_id = -1;
    if (me.get_health(HN_MEDITATING)) {
      if (meditation_start_us == 0) meditation_start_us = get_time_us();
      view_kind = VIEW_KIND_MEDITATING;
    } else {
      view_kind = VIEW_KIND_BLACK;
    }
    return;
  }
  view_kind = VIEW_KIND_NORMAL;
  meditation_start_us = 0;
  decide_normal_view(advance, creatures);
}

void QYXDisplay::decide_normal_view(bool advance, ObjectList* creatures) {
  const int R = view_radius_used;
  const int hour = get_game_hour(), minute = get_game_minute();
  const bool vis = cmap.get_vis() != 0;
  view_xray = me.has_xray_vision();
  view_lit = (hour >= 6 && hour <= 20 && vis) || view_xray;
  view_magic_light = false;
  for (const ItemListEl* e = event_list.first; e && !view_magic_light; e = e->next) {
    if (e->type == EVENT_EXPLOSION) view_magic_light = true;
    if (e->type == EVENT_SPELL) {
      int fx = spells.get_effect_nr(static_cast<int>(e->qty));
      if (fx == 12 || fx == 13) view_magic_light = true;
    }
  }

  for (int i = 0; i <= 2 * R; ++i)
    for (int j = 0; j <= 2 * R; ++j) {
      view.lit[i][j] = 0;
      view.creature[i][j] = ViewCreature{};
      view.light[i][j] = view_lit ? VIEW_LIGHT_FULL : VIEW_LIGHT_NIGHT;
      view.cell[i][j] = ViewCell{};
      view.state[i][j] = VIEW_CELL_BLACK;
      view.in_region[i][j] = 0;
      view.draw_tile[i][j] = 0;
      view.tile[i][j] = 0;
    }
  view.opaque[R][R] = 0;

  const bool stepping = advance && ++anim_step == 1;
  if (stepping && ++anim_tile_frame > anim_tile_base + 3) anim_tile_frame = anim_tile_base;

  view_own_light = own_light(me.get_sight(), hour, minute, R, vis, moon_phase);
  if (!view_lit && !view_magic_light) decide_lights();
  view.lit[R][R] |= 1;
  view_stepping = stepping;
  decide_rings(creatures);

  // The player's own cell.
  view.state[R][R] = VIEW_CELL_LIT;
  view.in_region[R][R] = 1;
  view.tile[R][R] = cmap.get_tile(view_px, view_py);
  view.draw_tile[R][R] = 1;
  if (stepping) {
    // Objects under the player animate with the rest.
    int x = view_px;
    if (cmap.get_type() == 0) cmap.wrap_x(x);
    if (obj_grid.get_item(x, view_py).code != -1) obj_grid.step_frame(x, view_py);
  }
  const int x = view_px, y = view_py;
  const Item here = obj_grid.get_item(x, y);
  if (here.code != -1) {
    ViewCell& c = view.cell[R][R];
    c.item = here;
    c.grey = me.hp < 1;
    c.frame = obj_grid.get_frame(x, y);
    c.dim = obj_grid.get_light(x, y) == -2;
    c.large = static_cast<uint8_t>(obj_grid.is_large(x, y));
    c.flags = static_cast<uint16_t>(obj_grid.get_flags(x, y));
    view.creature[R][R] = {obj_grid.get_id(x, y), obj_grid.get_hea(x, y), obj_grid.get_align(x, y)};
  }
}

void QYXDisplay::decide_lights() {
  const int R = view_radius_used;
  for (int i = 0; i <= 2 * R; ++i)
    for (int j = 0; j <= 2 * R; ++j) {
      const int x = view_px - R + i, y = view_py - R + j;
      int64_t l = obj_grid.get_light(x, y);
      bool spread = false;
      if (i == R && j == R) {
        l = std::max(l, view_own_light);
        spread = true;
      } else if (l > 0 && cmap.can_see_with_LOS(x, y, view_px, view_py, R)) {
        spread = true;
      }
      if (!spread && cmap.get_tile(x, y) == CMAP_TILE_LAVA) {
        l = 1;
        spread = true;
      }
      if (!spread) continue;
      if (old_lighting) l = old_light_disc(view.lit, R, i, j, l);
      spread_light(view.light, R, i, j, l);
    }
}

void QYXDisplay::decide_rings(ObjectList* creatures) {
  const int R = view_radius_used;
  const bool disable_grey = !options.get(OPT_GREY_AREAS);
  const bool dead = me.hp < 1;
  const bool pvp = me.can_pvp();
  const int rows_drawn = (res_y / 2) / PLAY_CELL + 1;
  const bool wraps = cmap.get_type() == 0;
  for (int k = 1; k <= R; ++k) {
    for (int n = 0; n < 8 * k; ++n) {
      int dx = 0, dy = 0;
      const int side = n / (2 * k), step = n % (2 * k);
      switch (side) {
        case 0: dx = -k + step; dy = -k; break;
        case 1: dx = k; dy = -k + step; break;
        case 2: dx = k - step; dy = k; break;
        default: dx = -k; dy = k - step; break;
      }
      const int i = R + dx, j = R + dy;
      int x = view_px + dx;
      const int y = view_py + dy;
      if (wraps) cmap.wrap_x(x);
      const int tile = cmap.get_tile(x, y);
      view.tile[i][j] = tile;
      if (old_lighting && !view_lit &&
          get_distance(view_px, view_py, view_px + dx, y) <= static_cast<float>(view_own_light))
        view.lit[i][j] |= 1;
      const bool on_map = cmap.on_map(x, y);
      const bool region = cmap.same_region(view_px, view_py, x, y);
      view.in_region[i][j] = region;

      if (ring_cell_hidden(view.opaque, R, dx, dy) && !view_xray) {
        view.opaque[i][j] = 1;
        const bool seen = on_map && on_max_grid(x, y) && minimap[x][y] != 0;
        view.state[i][j] = (disable_grey || (!view_lit && old_lighting) || !region || !seen)
                               ? VIEW_CELL_BLACK
                               : VIEW_CELL_GREY;
        continue;
      }
      if (!view_lit && !view_magic_light && !view_xray) {
        const bool dark = old_lighting ? (view.lit[i][j] & 1) == 0
                                       : view.light[i][j] < VIEW_LIGHT_DARK_BELOW;
        if (dark) {
          view.state[i][j] = VIEW_CELL_DARK;
          view.opaque[i][j] = tiledata.is_opaque(tile);
          continue;
        }
      }
      view.state[i][j] = VIEW_CELL_LIT;
      const Item item = obj_grid.get_item(x, y);
      view.tile[i][j] = (!region && on_map) ? cmap.get_tile(0, 0) : tile;
      view.draw_tile[i][j] = std::abs(dy) <= rows_drawn;
      if (!old_lighting) view.lit[i][j] = 1;
      if (region && on_map) set_minimap_cell(x, y, tile);

      if (item.code != -1 && region) {
        if (view_stepping) obj_grid.step_frame(x, y);
        ViewCell& c = view.cell[i][j];
        c.item = item;
        c.grey = dead;
        c.frame = obj_grid.get_frame(x, y);
        c.dim = obj_grid.get_light(x, y) == -2;
        c.large = static_cast<uint8_t>(obj_grid.is_large(x, y));
        c.flags = static_cast<uint16_t>(obj_grid.get_flags(x, y));
        ViewCreature& cr = view.creature[i][j];
        cr = {obj_grid.get_id(x, y), obj_grid.get_hea(x, y), obj_grid.get_align(x, y)};

        const bool cell_lit = view_lit || (old_lighting && (view.lit[i][j] & 1)) ||
                              (!old_lighting && view.light[i][j] > 5);
        if (creatures && k <= VIEW_TARGET_RINGS && cr.id >= 0 && cell_lit &&
            may_target(target_type, cr.id, cr.align, pvp) && !creatures->has_id(cr.id) &&
            (cr.hea > 0 || cr.id >= PLAYER_ID_LIMIT)) {
          creatures->add_simple_obj(cr.id, item, x, y, 0);
          if (cr.id == target_id) {
            target_x = x;
            target_y = y;
            crosshair_ready = true;
          }
        }
      }
      if (item.code != -1 && item.get_base_code() == ITEM_BASE_MAP_TILE)
        view.opaque[i][j] = tiledata.is_opaque(item.get_modifier());
      else
        view.opaque[i][j] = tiledata.is_opaque(tile);
    }
  }
}

// ---- Drawing ---------------------------------------------------------------------

void QYXDisplay::render_view() {
  const int R = view_radius_used;
  const int side = (2 * R + 1) * PLAY_CELL;
  switch (view_kind) {
    case VIEW_KIND_HELP:
      // The picture is the first help page; '?' turns to the text.
      if (help_index == 0 && help_pic) {
        clear_bitmap(play_bitmap);
        ::draw_sprite(play_bitmap, help_pic, (res_x - PANEL_WIDTH - help_pic->w) / 2,
                      (play_height - help_pic->h) / 2);
      } else {
        draw_help_text();
      }
      return;
    case VIEW_KIND_BOOK:
      clear_bitmap(play_bitmap);
      draw_book();
      return;
    case VIEW_KIND_MAP:
      draw_map_view(false);
      return;
    case VIEW_KIND_PEERING:
      draw_zoomed_view();
      return;
    case VIEW_KIND_BLACK:
      rectfill(play_bitmap, 0, 0, side - 1, side - 1, makecol(0, 0, 0));
      return;
    case VIEW_KIND_MEDITATING:
      rectfill(play_bitmap, 0, 0, side - 1, side - 1, makecol(0, 0, 0));
      render_meditation();
      return;
    case VIEW_KIND_NORMAL:
      render_normal_view();
      return;
    default:
      return;
  }
}

void QYXDisplay::invalidate_map_layer() { map_layer_shared = MapLayerShared{}; }

MapLayerCell QYXDisplay::map_layer_inputs(int i, int j) const {
  const int R = view_radius_used;
  MapLayerCell in;
  const bool own = i == R && j == R;
  in.state = own ? MAP_LAYER_OWN_CELL : view.state[i][j];
  in.tile = view.tile[i][j];
  in.draw_tile = view.draw_tile[i][j];
  in.in_region = view.in_region[i][j];
  in.under = underneath_for_cell(i, j, 1);
  in.wall_sides = wall_shadow_sides(view_px - R + i, view_py - R + j);
  return in;
}

// Draws one cell of the map layer into `play_bitmap` from black.
void QYXDisplay::draw_map_layer_cell(int i, int j, const MapLayerCell& in) {
  const int R = view_radius_used;
  const int mx = view_px - R + i, my = view_py - R + j;
  clear_cell(i, j);
  switch (in.state) {
    case MAP_LAYER_OWN_CELL:
      draw_map_tile(i, j, in.tile, map_layer_shared.dead, 1);
      draw_wall_shadows(mx, my, i, j);
      break;
    case VIEW_CELL_GREY:
      draw_map_tile(i, j, in.tile, 1, 1);
      if (map_layer_shared.shade_grey) darken_cell(i, j, 200);
      draw_wall_shadows(mx, my, i, j);
      break;
    case VIEW_CELL_LIT:
      if (in.draw_tile) draw_map_tile(i, j, in.tile, map_layer_shared.dead, 1);
      if (in.in_region) draw_wall_shadows(mx, my, i, j);
      break;
    default:
      break;
  }
}

// The map layer is brought up to date cell by cell in its own bitmap and
// copied under the rest of the frame. A cell is drawn again when its tile,
// state (black, grey, dark or lit: light, sight, region, the minimap's seen
// cells), underneath tile, wall shadows or, for animated pictures, the
// animation frame changed; all cells when the radius, death, the lighting of
// grey areas, the connection or the tile pictures and table changed.
void QYXDisplay::render_map_layer() {
  const int R = view_radius_used;
  const int side = (2 * R + 1) * PLAY_CELL;
  const int depth = bitmap_color_depth(play_bitmap);
  if (map_layer && (map_layer->w < side || bitmap_color_depth(map_layer) != depth)) {
    destroy_bitmap(map_layer);
    map_layer = nullptr;
  }
  if (!map_layer) {
    map_layer = create_bitmap_ex(depth, side, side);
    invalidate_map_layer();
  }
  MapLayerShared shared;
  shared.radius = R;
  shared.dead = me.hp < 1;
  shared.shade_grey = !old_lighting && !view_lit;
  shared.connected = conn_state == CONN_PLAYING;
  shared.play_ready = ok_to_draw_play_window();
  if (!(shared == map_layer_shared))
    for (auto& column : map_layer_cells)
      for (MapLayerCell& c : column) c = MapLayerCell{};
  map_layer_shared = shared;

  BITMAP* const play = play_bitmap;
  if (map_layer) play_bitmap = map_layer;
  for (int i = 0; i <= 2 * R; ++i)
    for (int j = 0; j <= 2 * R; ++j) {
      MapLayerCell in = map_layer_inputs(i, j);
      MapLayerCell& kept = map_layer_cells[i][j];
      if (map_layer && kept.same_inputs(in) && (kept.anim < 0 || kept.anim == anim_tile_frame))
        continue;
      map_tile_animated = false;
      draw_map_layer_cell(i, j, in);
      in.anim = map_tile_animated ? anim_tile_frame : -1;
      kept = in;
    }
  play_bitmap = play;
  if (map_layer) blit(map_layer, play_bitmap, 0, 0, 0, 0, side, side);
}

void QYXDisplay::render_normal_view() {
  const int R = view_radius_used;
  const int dead = me.hp < 1;
  render_map_layer();

  // Threat marks under the creatures that threaten the player.
  if (show_threat && !dead) {
    std::vector<int> marked;
    for (int j = 0; j <= 2 * R; ++j)
      for (int i = 0; i <= 2 * R; ++i) {
        const ViewCell& c = view.cell[i][j];
        const int id = view.creature[i][j].id;
        if (c.item.code == -1 || id < 0) continue;
        if (c.large && std::find(marked.begin(), marked.end(), id) != marked.end()) continue;
        if (!find_event_by_owner(event_list, id)) continue;
        if (c.large) marked.push_back(id);
        const int size = c.large ? 2 * PLAY_CELL : PLAY_CELL;
        tint_rect(play_bitmap, PLAY_CELL * i, PLAY_CELL * j, size, size, colour(COL_RED), 90);
      }
  }

  // Objects and creatures.
  FONT* nf = or_default(names_font);
  const bool alt = is_alt_down();
  const int mdx = mouse_cell_dx(), mdy = mouse_cell_dy();
  for (int j = 0; j <= 2 * R; ++j)
    for (int i = 0; i <= 2 * R; ++i) {
      const ViewCell& c = view.cell[i][j];
      if (c.item.code == -1) continue;
      const ViewCreature& cr = view.creature[i][j];
      draw_item_tile(i, j, c.item, c.grey, 1, c.frame, c.dim, c.large, c.flags);
      if (cr.id >= 0) {
        const uint32_t code = static_cast<uint32_t>(c.item.code);
        draw_overlay(i, j, static_cast<int>((code >> 28) & 7), c.frame, c.grey, c.dim, c.large);
        const ObjectTile* ot = tiledata.get_object_tile(static_cast<unsigned>(c.item.get_base_code()));
        if (ot && ot->overlay) {
          const Item left = id_table.get_alt_item(cr.id), right = id_table.get_item(cr.id);
          if (left.code != 0) draw_item_icon(i, j, left, false, c.frame, c.grey, c.dim, c.large);
          if (right.code != 0) draw_item_icon(i, j, right, true, c.frame, c.grey, c.dim, c.large);
        }
        continue;
      }
      if (wl.get_type(c.item) == 'X' || c.item.get_base_code() == ITEM_BASE_MAP_TILE) continue;
      const int mx = view_px - R + i, my = view_py - R + j;
      const bool pointed = mouse_shown && mdx == i - R && mdy == j - R;
      if ((alt && !obj_grid.is_permanent(mx, my)) || pointed) {
        textout_centre_ex(play_bitmap, nf, wl.get_full_name(c.item).c_str(), PLAY_CELL * i + 16,
                          PLAY_CELL * j - text_height(nf), colour(COL_GREY), -1);
      } else if (cr.hea > 1) {
        textout_right_ex(play_bitmap, nf, format_str("+%d", cr.hea - 1).c_str(),
                         PLAY_CELL * i + PLAY_CELL, PLAY_CELL * j, colour(COL_WHITE), -1);
      }
    }

  render_player();
  std::vector<int> labelled;
  render_names_and_bars(labelled);
  bool quake_met = false;
  render_events(quake_met);
  render_particles();
  render_damage_numbers();
  render_missiles();
  render_finish(labelled, quake_met);
}

void QYXDisplay::render_player() {
  const int R = view_radius_used;
  int code = me.get_draw_code();
  if (me.get_health(HN_HALLUCINATING))
    code = static_cast<int>(common_cfg.get_hex("bcode_hallucinating"));
  if (code != static_cast<int>(common_cfg.get_hex("bcode_hexed")) &&
      code != static_cast<int>(common_cfg.get_hex("bcode_lycan")) && me.tmp_code == 0 &&
      !me.get_health(HN_POLYMORPHED))
    code = cmap.get_substitute_tile(view_px, view_py, code);
  if (me.get_health(STATUS_62)) code |= CODE_BIT_25;
  const ObjectTile* ot = tiledata.get_object_tile(static_cast<unsigned>(code & ITEM_BASE_MASK));
  const int frames = ot ? ot->frames : 0;
  if (frames >= 2 && anim_step == 1) player_frame = me.get_health(HN_HELD) ? 0 : rand_int(frames);
  player_frame = std::clamp(player_frame, 0, std::max(0, frames - 1));

  if (me.hp < 1) {
    draw_item_tile(R, R, Item(static_cast<long>(common_cfg.get_hex("bcode_dead"))), 1, 1,
                   player_frame % 4, 0, 0, 0);
    return;
  }
  attack_dx = static_cast<int16_t>(10 * sgn(lunge_dx));
  attack_dy = static_cast<int16_t>(10 * sgn(lunge_dy));
  const Item figure(static_cast<long>(code));
  draw_item_tile(R, R, figure, 0, 1, me.get_health(HN_FLOATING) ? 0 : player_frame,
                 me.get_health(STATUS_62) != 0, player_large, me.direction);
  draw_overlay(R, R, static_cast<int>((static_cast<uint32_t>(code) >> 28) & 7), player_frame, 0,
               !me.is_visible(), player_large);
  if (ot && ot->overlay && !me.hides_equipment()) {
    if (me.weapon.code != 0) draw_item_icon(R, R, me.weapon, false, player_frame, 0, 0, player_large);
    if (me.shield.code != 0) draw_item_icon(R, R, me.shield, true, player_frame, 0, 0, player_large);
  }
  attack_dx = attack_dy = 0;
}

void QYXDisplay::draw_player_bars(int x, int y, int row0_colour, bool doubled) {
  float f = 0.0f;
  if (bar_fraction(me.hp, me.get_hp_max(), f)) draw_bar(x, y, 0, row0_colour, doubled, f);
  const int rage = std::clamp<int>(me.rage, 0, 100);
  if (rage_bar == 1 && rage != 0)
    draw_bar(x, y, 1, rgb(rage_colour(rage)), doubled, static_cast<float>(rage) / 100.0f);
  const int mana = mana_percent(me.mana, me.get_mana_max());
  if (rage_bar == 2 && mana > 0)
    draw_bar(x, y, 1, makecol(51, 51, 204), doubled, static_cast<float>(mana) / 100.0f);
  if (options.get(OPT_COOLOFF_BAR) && cooloff_fraction > 0.0f)
    draw_bar(x, y, 2, colour(COL_LIME), doubled, cooloff_fraction);
}

void QYXDisplay::render_names_and_bars(std::vector<int>& labelled) {
  const int R = view_radius_used;
  const bool dead = me.hp < 1;
  FONT* nf = or_default(names_font);
  FONT* mf = or_default(main_font);
  static constexpr int BAR_PALETTE[] = {COL_GREY, COL_GREEN, COL_DARK_GREEN,
                                        COL_RED,  COL_BLUE,  COL_PURPLE};
  labelled.clear();
  for (int j = 0; j <= 2 * R; ++j)
    for (int i = 0; i <= 2 * R; ++i) {
      const ViewCreature& cr = view.creature[i][j];
      const bool own = i == R && j == R;
      if (!own && cr.id < 0) continue;
      const bool large = view.cell[i][j].large != 0;
      if (!own && large && std::find(labelled.begin(), labelled.end(), cr.id) != labelled.end())
        continue;
      labelled.push_back(cr.id);
      const int mx = view_px - R + i, my = view_py - R + j;
      std::string name = id_table.get_name(cr.id);
      const std::string status = obj_grid.get_status_str(mx, my);
      const std::string suffix = id_table.get_suffix(cr.id);
      const BarColour bc =
          creature_bar_colour(cr.align, dead, (obj_grid.get_price(mx, my) & 0x200) != 0);
      int bar = colour(BAR_PALETTE[bc]);

      if (!own && cr.hea >= 1 && j >= 1) {
        if (view.lit[i][j] == 0) {
          const int l = std::clamp(view.light[i][j], 0, 255);
          bar = makecol(getr(bar) * l / 255, getg(bar) * l / 255, getb(bar) * l / 255);
        }
        draw_bar(PLAY_CELL * i, PLAY_CELL * j - 3, 0, bar, large,
                 static_cast<float>(cr.hea) / 100.0f);
      }
      if (own && !dead && !hide_bar) {
        const int bx = PLAY_CELL * R + 10 * sgn(lunge_dx);
        const int by = PLAY_CELL * R - 3 + 10 * sgn(lunge_dy);
        if (me.get_health(HN_PASSENGER) || me.get_health(HN_PILOT)) {
          draw_player_bars(bx, by, colour(COL_SKY), false);
        } else {
          const int c = me.get_health(HN_POISONED) ? colour(COL_GREEN)
                        : me.get_health(HN_CRIMINAL) ? colour(COL_RED)
                                                      : colour(COL_SKY);
          draw_player_bars(bx, by, c, player_large != 0);
        }
      }
      if (name.empty() && status.empty()) continue;
      bool marked = false;
      if (name.size() > 2 && name[0] == '=') {
        name = name.substr(1, name.size() - 2);
        marked = true;
      }
      if (!status.empty()) name += "<" + status + ">";
      const int x = PLAY_CELL * i + (large ? PLAY_CELL : 16);
      const int y = PLAY_CELL * j - (3 + text_height(nf));
      int text_colour = colour(COL_RED);
      if (cr.align == 'n' || dead || cr.id < PLAYER_ID_LIMIT)
        text_colour = colour(COL_WHITE);
      else if (cr.align == 'g' || cr.align == 'p' || cr.align == 's')
        text_colour = colour(COL_SKY);
      else if (marked)
        text_colour = colour(COL_ORANGE);
      textout_centre_ex(play_bitmap, nf, name.c_str(), x, y, text_colour, -1);
      if (!suffix.empty()) {
        const bool dollar = suffix == "$";
        textout_centre_ex(play_bitmap, mf, dollar ? "!" : suffix.c_str(), x, y - text_height(mf),
                          colour(dollar ? COL_GREY : COL_GOLD), -1);
      }
    }
}

void QYXDisplay::render_events(bool& quake_met) {
  const int R = view_radius_used, last = 2 * R;
  const uint64_t now = get_time_us();
  auto in_view = [&](int i, int j) { return i >= 0 && j >= 0 && i <= last && j <= last; };
  auto sight = [&](int x, int y) {
    return cmap.can_see_with_LOS(view_px, view_py, x, y, EVENT_SIGHT_RANGE);
  };
  for (const ItemListEl* e = event_list.first; e; e = e->next) {
    if (e->a != me.map_level) continue;
    const int i1 = e->x - view_px + R, j1 = e->y - view_py + R;
    const bool two = e->b >= 0 && e->c >= 0;
    const int i2 = two ? e->b - view_px + R : i1, j2 = two ? e->c - view_py + R : j1;
    const bool in1 = in_view(i1, j1);
    if (!in1 && !(two && in_view(i2, j2))) continue;
    if (old_lighting && !view_lit && in1 && view.lit[i1][j1] == 0) continue;
    const int64_t arg = e->qty;
    switch (e->type) {
      case EVENT_SPELL: {
        const int effect = spells.get_effect_nr(static_cast<int>(arg));
        const int64_t born = e->item.code;
        const int64_t elapsed =
            static_cast<int64_t>(now) > born ? (static_cast<int64_t>(now) - born) / 1000 : 0;
        const int alpha = spell_event_alpha(effect, elapsed);
        const bool seen = two ? (sight(e->x, e->y) || sight(e->b, e->c)) : sight(e->x, e->y);
        if (seen) draw_spell_effect(i1, j1, i2, j2, static_cast<int>(arg), alpha, e->type);
        break;
      }
      case EVENT_HIT: case EVENT_FEMALE_DEATH: case EVENT_MALE_DEATH: case EVENT_WEREWOLF_DEATH:
      case EVENT_PARRY_HIT:
        if (in1 && sight(e->x, e->y)) draw_effect_frame(i1, j1, 18);
        break;
      case EVENT_QUAKE: case EVENT_QUAKE_ANNOUNCED:
        if (!dont_show_quake) quake_met = true;
        break;
      case EVENT_HIT_LIGHT:
        if (in1 && sight(e->x, e->y)) draw_effect_frame(i1, j1, 19);
        break;
      case EVENT_ANIMATED_A:
        if (in1 && arg >= 0 && arg < 4 && sight(e->x, e->y))
          draw_effect_frame(i1, j1, 24 + static_cast<int>(arg));
        break;
      case EVENT_ANIMATED_B:
        if (in1 && arg >= 0 && arg < 4 && sight(e->x, e->y))
          draw_effect_frame(i1, j1, 26 - static_cast<int>(arg));
        break;
      case EVENT_SHAKE:
        quake_met = true;
        break;
      case EVENT_HIT_CRITICAL:
        if (in1 && sight(e->x, e->y)) draw_effect_frame(i1, j1, 20);
        break;
      case EVENT_EXPLOSION:
        if (special && in1 && arg >= 0 && arg < 5 && sight(e->x, e->y))
          masked_stretch_blit(special, play_bitmap, static_cast<int>(arg) * 54, 64, 54, 54,
                              PLAY_CELL * (i1 - 1), PLAY_CELL * (j1 - 1), 96, 96);
        break;
      default:
        break;
    }
  }
  if (quake_met) quake_toggle ^= 1;
}

// Damage numbers stand over the particles and under the missiles.
void QYXDisplay::render_damage_numbers() {
  const int R = view_radius_used, last = 2 * R;
  FONT* mf = or_default(main_font);
  for (const ItemListEl* e = event_list.first; e; e = e->next) {
    if (e->type != EVENT_DAMAGE_NUMBER || e->a != me.map_level) continue;
    const int i = e->x - view_px + R, j = e->y - view_py + R;
    if (i < 0 || j < 0 || i > last || j > last) continue;
    textout_centre_ex(play_bitmap, mf, int_to_str(static_cast<int>(e->qty)).c_str(),
                      PLAY_CELL * i + 16, PLAY_CELL * j + 16 - text_height(mf) / 2,
                      colour(COL_WHITE), -1);
  }
}

void QYXDisplay::render_particles() {
  const int R = view_radius_used;
  const float side = static_cast<float>((2 * R + 1) * PLAY_CELL);
  for (const ItemListEl* p = particle_list.first; p; p = p->next) {
    if (p->a != me.map_level) continue;
    const float fx = (p->fx - static_cast<float>(view_px) + static_cast<float>(R)) * PLAY_CELL;
    const float fy = (p->fy - static_cast<float>(view_py) + static_cast<float>(R)) * PLAY_CELL;
    if (!(fx >= 0.0f && fy >= 0.0f && fx < side && fy < side)) continue;
    const int c = rgb(particle_colour(p->type, p->age, p->colour));
    const int x = static_cast<int>(fx), y = static_cast<int>(fy);
    if (p->hea == 2) {
      static constexpr int PX[7][2] = {{0, 0}, {0, -1}, {1, -1}, {0, 1}, {0, 2}, {-1, 1}, {-1, 2}};
      for (const auto& d : PX) putpixel(play_bitmap, x + d[0], y + d[1], c);
    } else {
      putpixel(play_bitmap, x, y, c);
      putpixel(play_bitmap, x + 1, y, c);
      putpixel(play_bitmap, x, y + 1, c);
      putpixel(play_bitmap, x + 1, y + 1, c);
    }
  }
}

void QYXDisplay::render_missiles() {
  const int R = view_radius_used;
  const float side = static_cast<float>((2 * R + 1) * PLAY_CELL);
  if (me.hp <= 0) return;
  for (const ItemListEl* m = missile_list.first; m; m = m->next) {
    const float fx = (m->fx - static_cast<float>(view_px) + static_cast<float>(R)) * PLAY_CELL;
    const float fy = (m->fy - static_cast<float>(view_py) + static_cast<float>(R)) * PLAY_CELL;
    if (!(fx >= 0.0f && fy >= 0.0f && fx < side && fy < side)) continue;
    const int dir = std::clamp(angle_to_direction(m->heading), 0, 7);
    switch (m->type) {
      case MISSILE_ARROW:
        if (special)
          masked_blit(special, play_bitmap, PLAY_CELL * dir, PLAY_CELL, static_cast<int>(fx),
                      static_cast<int>(fy), PLAY_CELL, PLAY_CELL);
        break;
      case MISSILE_FRAME: draw_effect_frame_at(22, fx, fy); break;
      case MISSILE_HEADING_FRAME: draw_effect_frame_at(8 + dir, fx, fy); break;
      case MISSILE_SHOT: draw_effect_frame_at(16, fx, fy); break;
      case MISSILE_BEAM: {
        const int x1 = static_cast<int>(fx) + 16, y1 = static_cast<int>(fy) + 16;
        const int x2 = x1 + static_cast<int>(32.0f * std::cos(m->heading));
        const int y2 = y1 + static_cast<int>(32.0f * std::sin(m->heading));
        do_line(play_bitmap, x1, y1, x2, y2, colour(COL_RED),
                [](BITMAP* b, int x, int y, int c) { QYXDisplay::plot_plus(b, x, y, c); });
        break;
      }
      case MISSILE_TRAIL:
        if (m->qty >= 0) draw_effect_frame_at(static_cast<int>((m->qty % 16) / 4), fx, fy);
        break;
      default: break;
    }
  }
}

void QYXDisplay::render_finish(std::vector<int>& labelled, bool quake_met) {
  const int R = view_radius_used;
  if (me.get_health(HN_HALLUCINATING)) {
    static constexpr int MODES[5] = {4, 3, 5, 6, 7};
    for (int i = 0; i <= 2 * R; ++i)
      for (int j = 0; j <= 2 * R; ++j)
        colour_effect(i, j, 255, view_advance ? 4 : MODES[rand_int(5)]);
  }
  anim_step = 0;
  if (crosshair && crosshair_ready && target_id >= 0 && me.hp > 0) draw_target_cursor();
  quake_offset = quake_met ? (quake_toggle ? 2 : -2) : 0;
  if (!old_lighting && !view_lit && !view_xray && !view_magic_light)
    for (int i = 0; i <= 2 * R; ++i)
      for (int j = 0; j <= 2 * R; ++j) {
        const int l = view.light[i][j];
        if (l >= VIEW_LIGHT_DARK_BELOW && l <= VIEW_LIGHT_SHADED_ABOVE && view.lit[i][j] == 1)
          darken_cell(i, j, 255 - l);
      }
  if (me.hp < 1 || !me.has_infravision()) return;
  // Warm bodies show through the dark: creatures not already labelled.
  for (int i = 0; i <= 2 * R; ++i)
    for (int j = 0; j <= 2 * R; ++j) {
      if (view.light[i][j] >= VIEW_LIGHT_NIGHT) continue;
      const int id = obj_grid.get_id(view_px - R + i, view_py - R + j);
      labelled.erase(std::remove(labelled.begin(), labelled.end(), id), labelled.end());
    }
  std::vector<int> drawn;
  for (int i = 0; i <= 2 * R; ++i)
    for (int j = 0; j <= 2 * R; ++j) {
      const int mx = view_px - R + i, my = view_py - R + j;
      const int id = obj_grid.get_id(mx, my);
      if (id < 0 || !view.in_region[i][j]) continue;
      if (std::find(labelled.begin(), labelled.end(), id) != labelled.end()) continue;
      if (std::find(drawn.begin(), drawn.end(), id) != drawn.end()) continue;
      drawn.push_back(id);
      draw_item_tile(i, j, obj_grid.get_item(mx, my), 2, 1, obj_grid.get_frame(mx, my), 0,
                     obj_grid.is_large(mx, my), obj_grid.get_flags(mx, my));
    }
}

void QYXDisplay::render_meditation() {
  const int R = view_radius_used;
  const int s = bounded_int<int>(me.get_skill(common_cfg.get_int("skill_SK_MEDITATION")));
  const uint64_t now = get_time_us();
  const double secs =
      now > meditation_start_us ? static_cast<double>(now - meditation_start_us) / 1e6 : 0.0;
  int r1 = s > 54 ? 8 : (s - 10) / 5;
  r1 = std::min(r1, static_cast<int>(secs));
  if (r1 >= 1) {
    const int r2 = std::min((s - 50) / 5, static_cast<int>(secs - 8.0));
    for (int pass = 0; pass < 2; ++pass)
      for (int dx = -r1; dx <= r1; ++dx)
        for (int dy = -r1; dy <= r1; ++dy) {
          const int dist = std::abs(dx) + std::abs(dy);
          const int i = R + dx, j = R + dy;
          if (dist > r1 || i < 0 || j < 0 || i > 2 * R || j > 2 * R) continue;
          const int x = view_px + dx, y = view_py + dy;
          if (!cmap.same_region(view_px, view_py, x, y)) continue;
          const bool clear = r2 > 0 && dist <= r2;
          if (pass == 0)
            draw_map_tile(i, j, cmap.get_tile(x, y), clear ? 0 : 1, 1);
          else if (clear && obj_grid.get_item(x, y).code != -1)
            draw_item_tile(i, j, obj_grid.get_item(x, y), 0, 1, 0, 0, 0, 0);
        }
  }
  long code = me.get_health(HN_STONE_FORM) ? ITEM_BASE_MEDITATING * 4096L + ITEM_BASE_SHOWN_INSIDE
                                           : ITEM_BASE_MEDITATING;
  if (me.get_health(STATUS_62)) code |= CODE_BIT_25;
  draw_item_tile(R, R, Item(code), 0, 1, 0, 0, player_large, 0);
  const int x = PLAY_CELL * R, y = PLAY_CELL * R - 3;
  float f = 0.0f;
  if (s > 4 && bar_fraction(me.hp, me.get_hp_max(), f)) {
    const int c = me.get_health(HN_POISONED) ? colour(COL_GREEN)
                  : me.get_health(HN_CRIMINAL) ? colour(COL_RED)
                                                : colour(COL_SKY);
    draw_bar(x, y, 0, c, player_large, f);
  }
  const int mana = mana_percent(me.mana, me.get_mana_max());
  if (s > 9 && mana > 0) draw_bar(x, y, 1, makecol(51, 51, 204), player_large, mana / 100.0f);
  const int rage = std::clamp<int>(me.rage, 0, 100);
  if (s > 14 && rage > 0) draw_bar(x, y, 1, rgb(rage_colour(rage)), player_large, rage / 100.0f);
}
