// Minimap and aux box.
#include "display/minimap_box.h"

#include <allegro.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "core/ids.h"
#include "core/string_utils.h"
#include "core/tiles.h"
#include "display/layout.h"
#include "world/cmap.h"

// ---- Categories ----------------------------------------------------------------

int minimap_category(int tile, bool blocking, bool wet, bool wall) {
  if (blocking) return MINIMAP_BLOCKING;
  if (wet) return MINIMAP_WET;
  if (tile == CMAP_TILE_LAVA) return MINIMAP_LAVA;
  if (wall) return MINIMAP_WALL;
  if (tile == CMAP_TILE_FOREST) return MINIMAP_FOREST;
  if (tile == 221 || tile == CMAP_TILE_VOID || tile == 240) return MINIMAP_VOID;
  return MINIMAP_GROUND;
}

bool minimap_category_rgb(int category, Rgb& out) {
  switch (category) {
    case MINIMAP_GROUND: out = {58, 42, 36}; return true;
    case MINIMAP_BLOCKING: out = {129, 119, 102}; return true;
    case MINIMAP_WET: out = {19, 29, 109}; return true;
    case MINIMAP_LAVA: out = {254, 0, 0}; return true;
    case MINIMAP_WALL: out = {255, 222, 0}; return true;
    case MINIMAP_FOREST: out = {0, 123, 0}; return true;
    case MINIMAP_VOID: out = {0, 0, 0}; return true;
    default: return false;
  }
}

namespace {

int classify(const CMap& map, const Tiles& tiles, int x, int y, int tile) {
  return minimap_category(tile, tiles.is_blocking(tile), map.is_wet(x, y), tiles.is_wall(tile));
}

}  // namespace

void MinimapGrid::clear() {
  clear_cells();
  level = -1;
}

void MinimapGrid::start(int on_level) {
  clear_cells();
  level = on_level;
}

void MinimapGrid::clear_cells() { std::memset(cells, 0, sizeof cells); }

void MinimapGrid::build(const CMap& map, const Tiles& tiles) {
  const int w = std::min(map.width, CMAP_MAX_SIZE), h = std::min(map.height, CMAP_MAX_SIZE);
  for (int x = 0; x < w; ++x)
    for (int y = 0; y < h; ++y) cells[x][y] = static_cast<uint8_t>(classify(map, tiles, x, y, map.get_tile(x, y)));
}

void MinimapGrid::set_cell(const CMap& map, const Tiles& tiles, int x, int y, int tile) {
  if (!on_max_grid(x, y)) return;
  // A cell seen in play must read as seen, even one of no category.
  const int cat = classify(map, tiles, x, y, tile);
  cells[x][y] = static_cast<uint8_t>(cat > 0 ? cat : MINIMAP_GROUND);
}

uint8_t MinimapGrid::get(int x, int y) const { return on_max_grid(x, y) ? cells[x][y] : 0; }

// ---- Window --------------------------------------------------------------------

CellRect minimap_bounds(const CMap& map, int region) {
  CellRect b;
  if (region > 0) {
    for (const Region& r : map.regions) {
      if (r.id != region) continue;
      b.x1 = std::min(b.x1, static_cast<int>(r.x1));
      b.y1 = std::min(b.y1, static_cast<int>(r.y1));
      b.x2 = std::max(b.x2, r.x2 + 1);
      b.y2 = std::max(b.y2, r.y2 + 1);
    }
  } else {
    b = {map.open_bounds[0], map.open_bounds[1], map.open_bounds[2] + 1, map.open_bounds[3] + 1};
  }
  b.x1 = std::max(b.x1, 0);
  b.y1 = std::max(b.y1, 0);
  b.x2 = std::min(b.x2, CMAP_MAX_SIZE);
  b.y2 = std::min(b.y2, CMAP_MAX_SIZE);
  return b;
}

namespace {

// One axis of the window: start and length.
void window_axis(int p, int low, int high, int span, int& start, int& length) {
  start = std::max(low, p - span / 2);
  if (start + span > high) start = std::max(high - span, low);
  length = std::clamp(high - start, 0, span);
}

}  // namespace

MinimapWindow minimap_window(int px, int py, const CellRect& bounds, int span) {
  MinimapWindow w;
  if (bounds.empty() || span <= 0) return w;
  window_axis(px, bounds.x1, bounds.x2, span, w.left, w.w);
  window_axis(py, bounds.y1, bounds.y2, span, w.top, w.h);
  return w;
}

BoxFit minimap_fit(const MinimapWindow& window) {
  BoxFit f;
  if (window.empty()) return f;
  if (window.w > 47 && window.h > 47) return {true, 0, 0, MINIMAP_BOX, MINIMAP_BOX};
  if (window.w <= window.h) {
    f.w = window.w * MINIMAP_BOX / window.h;
    f.h = MINIMAP_BOX;
    f.x = (MINIMAP_BOX - f.w) / 2;
  } else {
    f.w = MINIMAP_BOX;
    f.h = window.h * MINIMAP_BOX / window.w;
    f.y = (MINIMAP_BOX - f.h) / 2;
  }
  return f;
}

namespace {

void plot_mark(BITMAP* bmp, int x, int y, int colour, bool plus) {
  putpixel(bmp, x, y, colour);
  if (!plus) return;
  putpixel(bmp, x - 1, y, colour);
  putpixel(bmp, x + 1, y, colour);
  putpixel(bmp, x, y - 1, colour);
  putpixel(bmp, x, y + 1, colour);
}

}  // namespace

void draw_minimap(const MinimapGrid& grid, const CMap& map, int px, int py, int level,
                  const std::vector<TrackedCreature>& tracked, const MinimapDraw& how) {
  BITMAP* mm = how.minimap_bitmap;
  if (!how.dest || !mm) return;
  const MinimapWindow win = minimap_window(px, py, minimap_bounds(map, map.get_region(px, py)), how.span);
  // Off the map, or a region with no rectangle: there is nothing to show.
  if (win.empty()) return;
  const int depth = bitmap_color_depth(mm);
  const int background = makecol_depth(depth, 17, 17, 17);
  int colours[8] = {};
  for (int c = MINIMAP_GROUND; c <= MINIMAP_VOID; ++c) {
    Rgb rgb;
    minimap_category_rgb(c, rgb);
    colours[c] = makecol_depth(depth, rgb.r, rgb.g, rgb.b);
  }

  rectfill(mm, win.left, win.top, win.left + win.w - 1, win.top + win.h - 1, background);
  for (int x = win.left; x < win.left + win.w; ++x) {
    for (int y = win.top; y < win.top + win.h; ++y) {
      const uint8_t c = grid.get(x, y);
      // A colour value of 0 (black) is left as background, like an unset cell.
      if (c == MINIMAP_UNSET || c > MINIMAP_VOID || colours[c] == 0) continue;
      if (map.same_region(px, py, x, y)) putpixel(mm, x, y, colours[c]);
    }
  }
  const bool plus = win.w > 20 || win.h > 20;
  plot_mark(mm, px, py, makecol_depth(depth, 254, 0, 0), plus);
  const int creature = makecol_depth(depth, 229, 101, 59);
  for (const TrackedCreature& t : tracked)
    if (t.level == level && map.same_region(px, py, t.x, t.y)) plot_mark(mm, t.x, t.y, creature, plus);

  if (bitmap_color_depth(how.dest) == depth) {
    const BoxFit fit = minimap_fit(win);
    if (!fit.whole) rectfill(how.dest, how.box_x, how.box_y, how.box_x + MINIMAP_BOX - 1, how.box_y + MINIMAP_BOX - 1, 0);
    masked_stretch_blit(mm, how.dest, win.left, win.top, win.w, win.h, how.box_x + fit.x, how.box_y + fit.y, fit.w, fit.h);
  }
  if (how.names_font)
    textout_right_ex(how.dest, how.names_font, rm_us2(map.name).c_str(), how.box_x + MINIMAP_BOX, how.box_y - 11,
                     makecol_depth(bitmap_color_depth(how.dest), 255, 255, 255), -1);
}

// ---- Aux box -------------------------------------------------------------------

int auxbox_height(int screen_h) { return std::max(0, (screen_h - AUXBOX_TOP) / 10); }

int auxbox_width(int screen_w, int panel_x) {
  // The lower panel is composed PANEL_WIDTH pixels wide whatever the side
  // panel's size.
  const int room = std::min(screen_w - panel_x, PANEL_WIDTH) - 9;
  return std::max(0, room / 8);
}

namespace {

bool hex_run(const std::string& s, size_t from, size_t n) {
  if (from + n > s.size()) return false;
  for (size_t i = from; i < from + n; ++i)
    if (!std::isxdigit(static_cast<unsigned char>(s[i]))) return false;
  return true;
}

int hex_value(const std::string& s, size_t from, size_t n) {
  return static_cast<int>(hex_to_int(s.substr(from, n)));
}

}  // namespace

std::vector<AuxChar> layout_aux_line(const std::string& line, Rgb& colour) {
  std::vector<AuxChar> out;
  int column = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '{') {
      if (i + 4 < line.size() && line[i + 4] == '}' && hex_run(line, i + 1, 3)) {
        colour = {hex_value(line, i + 1, 1) * 17, hex_value(line, i + 2, 1) * 17, hex_value(line, i + 3, 1) * 17};
        i += 4;
        continue;
      }
      if (i + 7 < line.size() && line[i + 7] == '}' && hex_run(line, i + 1, 6)) {
        colour = {hex_value(line, i + 1, 2), hex_value(line, i + 3, 2), hex_value(line, i + 5, 2)};
        i += 7;
        continue;
      }
    }
    out.push_back({line[i], column++, colour});
  }
  return out;
}

void AuxBox::reset(int screen_h) {
  lines.assign(static_cast<size_t>(auxbox_height(screen_h)), std::string());
}

void AuxBox::set_line(int i, const std::string& text) {
  if (i >= 0 && static_cast<size_t>(i) < lines.size()) lines[static_cast<size_t>(i)] = text;
}

void AuxBox::clear(int screen_h) {
  if (screen_h < AUXBOX_MIN_SCREEN_H) return;
  const size_t n = std::min(lines.size(), static_cast<size_t>(auxbox_height(screen_h)));
  for (size_t i = 0; i < n; ++i) lines[i].clear();
}

void AuxBox::draw(BITMAP* bmp, int panel_x, int screen_h) const {
  if (!bmp || screen_h < AUXBOX_MIN_SCREEN_H) return;
  const int depth = bitmap_color_depth(bmp);
  const size_t n = std::min(lines.size(), static_cast<size_t>(auxbox_height(screen_h)));
  Rgb colour{255, 255, 255};
  for (size_t i = 0; i < n; ++i) {
    for (const AuxChar& c : layout_aux_line(lines[i], colour)) {
      char s[8] = {c.ch};
      textout_ex(bmp, font, s, panel_x + 9 + 8 * c.column, AUXBOX_TOP + 10 * static_cast<int>(i),
                 makecol_depth(depth, c.colour.r, c.colour.g, c.colour.b), -1);
    }
  }
}
