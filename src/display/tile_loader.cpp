// The tile sheets: "pics/btiles20.png" to "pics/btiles28.png" (or their ".32"
// variants) stacked into one sheet at the first sheet's cell size, the
// overlay picture, and grey copies of both.

#include <allegro.h>
#include <loadpng.h>

#include <vector>

#include "core/log.h"
#include "core/options.h"
#include "core/string_utils.h"
#include "core/tiles.h"
#include "display/display.h"

namespace {
constexpr int SHEET_COUNT = 9;
constexpr int SHEET_COLUMNS = 16;
constexpr int TILES_COLUMNS = 32;

BITMAP* load_sheet(int n, bool prefer_32) {
  if (prefer_32) {
    if (BITMAP* b = load_png(format_str("pics/btiles2%d.32.png", n).c_str(), nullptr)) return b;
  }
  return load_png(format_str("pics/btiles2%d.png", n).c_str(), nullptr);
}

// A copy of `src` with every colour but the mask turned grey. The last
// column and row are left masked.
BITMAP* grey_copy(BITMAP* src) {
  BITMAP* out = create_bitmap_ex(bitmap_color_depth(src), src->w, src->h);
  if (!out) return nullptr;
  int depth = bitmap_color_depth(src);
  int mask = bitmap_mask_color(src);
  clear_to_color(out, mask);
  for (int y = 0; y < src->h - 1; ++y)
    for (int x = 0; x < src->w - 1; ++x) {
      int c = getpixel(src, x, y);
      if (c == mask) {
        putpixel(out, x, y, c);
        continue;
      }
      int g = (getr_depth(depth, c) + getg_depth(depth, c) + getb_depth(depth, c)) / 3;
      putpixel(out, x, y, makecol_depth(depth, g, g, g));
    }
  return out;
}
}  // namespace

SheetFormat sheet_format_for_width(int width) {
  switch (width) {
    case 256: return {16, 0};
    case 272: return {16, 1};
    case 512: return {32, 0};
    case 528: return {32, 1};
    case 544: return {32, 2};
    default: return {0, 0};
  }
}

void QYXDisplay::free_sheets() {
  BITMAP** sheets[4] = {&overlay, &overlay_grey, &tiles, &tiles_grey};
  for (BITMAP** b : sheets) {
    if (*b) destroy_bitmap(*b);
    *b = nullptr;
  }
}

int QYXDisplay::load_tiles() {
  FunctionTrace trace("load tiles");
  if (system_driver == nullptr) {
    // Pictures need the graphics library; headless there is nothing to load into.
    writelog("display: no graphics, tile sheets not loaded\n");
    return 2;
  }
  free_sheets();
  invalidate_map_layer();
  _png_screen_gamma = 0.0;
  bool prefer_32 = options.get(OPT_TILES32);

  std::vector<BITMAP*> sheets(SHEET_COUNT, nullptr);
  for (int n = 0; n < SHEET_COUNT; ++n) sheets[n] = load_sheet(n, prefer_32);
  auto free_all = [&sheets] {
    for (BITMAP*& b : sheets)
      if (b) destroy_bitmap(b), b = nullptr;
  };
  if (!sheets[0]) {
    writelog("display: tile sheet pics/btiles20.png is missing\n");
    return 2;
  }
  SheetFormat f = sheet_format_for_width(sheets[0]->w);
  if (f.tile == 0) {
    writelog("display: pics/btiles20.png is %d pixels wide; 256, 272, 512, 528 or 544 expected\n",
             sheets[0]->w);
    free_all();
    return 2;
  }
  const int cell = f.tile + f.border;

  // Rows of each sheet at its own cell size; the stacked sheet is as tall as
  // all of them at the first sheet's cell size.
  std::vector<int> rows(SHEET_COUNT, 0);
  int total_rows = 0;
  for (int n = 0; n < SHEET_COUNT; ++n) {
    if (!sheets[n]) {
      for (int later = n + 1; later < SHEET_COUNT; ++later)
        if (sheets[later]) {
          writelog("display: tile sheet pics/btiles2%d.png is missing; later sheets move up\n", n);
          break;
        }
      continue;
    }
    int own_cell = sheets[n]->w / SHEET_COLUMNS;
    if (own_cell <= 0) {
      writelog("display: tile sheet %d is too narrow (%d pixels); skipped\n", n, sheets[n]->w);
      continue;
    }
    rows[n] = sheets[n]->h / own_cell;
    total_rows += rows[n];
  }
  if (total_rows <= 0) {
    writelog("display: the first tile sheet holds no whole row\n");
    free_all();
    return 2;
  }

  tiles = create_bitmap(f.tile * TILES_COLUMNS, total_rows * cell);
  if (!tiles) {
    writelog("display: no memory for a tile sheet of %d rows\n", total_rows);
    free_all();
    return 2;
  }
  clear_to_color(tiles, bitmap_mask_color(tiles));
  int y = 0;
  for (int n = 0; n < SHEET_COUNT; ++n) {
    if (!sheets[n] || rows[n] == 0) continue;
    int own_cell = sheets[n]->w / SHEET_COLUMNS;
    stretch_blit(sheets[n], tiles, 0, 0, own_cell * SHEET_COLUMNS, rows[n] * own_cell, 0, y,
                 cell * SHEET_COLUMNS, rows[n] * cell);
    y += rows[n] * cell;
  }
  free_all();
  sheet_tile = f.tile;
  sheet_border = f.border;

  if (BITMAP* o = load_png("pics/overlay.png", nullptr)) {
    if (f.tile == 16) {
      overlay = o;
    } else {
      overlay = create_bitmap(o->w * 2, o->h * 2);
      if (overlay) stretch_blit(o, overlay, 0, 0, o->w, o->h, 0, 0, o->w * 2, o->h * 2);
      destroy_bitmap(o);
    }
  }
  tiles_grey = grey_copy(tiles);
  if (overlay) overlay_grey = grey_copy(overlay);
  return 0;
}
