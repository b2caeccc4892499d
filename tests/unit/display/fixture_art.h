#pragma once
// Small pictures for display tests: tile sheets, "special.png" with its
// pointer cuts, the skin and the overlay, written as 24-bit PNGs with the
// exact mask colour. Allegro must be installed (SYSTEM_NONE is enough).

#include <allegro.h>
#include <loadpng.h>
#include <sys/stat.h>

#include <string>

namespace fixture_art {

inline int rgb24(int r, int g, int b) { return makecol_depth(24, r, g, b); }
inline int mask24() { return rgb24(255, 0, 255); }

inline bool save(BITMAP* b, const std::string& path) {
  bool ok = b && save_png(path.c_str(), b, nullptr) == 0;
  if (b) destroy_bitmap(b);
  return ok;
}

// A sheet of 16 cells per row; cell i is filled with the colour
// (10 + i, 100 + seed, 200 - i) except its top-left pixel, which is masked.
// Cells of row 1, column 15 are fully masked.
inline bool write_sheet(const std::string& path, int width, int rows, int seed) {
  int cell = width / 16;
  BITMAP* b = create_bitmap_ex(24, width, rows * cell);
  if (!b) return false;
  clear_to_color(b, mask24());
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < 16; ++c) {
      int i = r * 16 + c;
      if (r == 1 && c == 15) continue;
      rectfill(b, c * cell, r * cell, c * cell + cell - 1, r * cell + cell - 1,
               rgb24((10 + i) & 255, (100 + seed) & 255, (200 - i) & 255));
      putpixel(b, c * cell, r * cell, mask24());
    }
  return save(b, path);
}

// "special.png": 256 by 240. Each 32 by 32 pointer cut is a white frame with a
// colour of its own inside: move cursors (row y 128) red 0..7 x 30, attack
// cursors (row y 206) green 0..7 x 30, the three single cursors at y 160
// blue 64, 128 and 160 (by their x).
inline bool write_special(const std::string& path) {
  BITMAP* b = create_bitmap_ex(24, 256, 240);
  if (!b) return false;
  clear_to_color(b, mask24());
  auto cut = [&](int x, int y, int colour) {
    rect(b, x, y, x + 31, y + 31, rgb24(255, 255, 255));
    rectfill(b, x + 8, y + 8, x + 23, y + 23, colour);
  };
  for (int i = 0; i < 8; ++i) {
    cut(32 * i, 128, rgb24(30 * i, 0, 0));
    cut(32 * i, 206, rgb24(0, 30 * i, 0));
  }
  for (int x : {64, 128, 160}) cut(x, 160, rgb24(0, 0, x));
  // The sun, the moons and the input prompt glyphs on the top rows.
  rectfill(b, 34, 0, 47, 13, rgb24(255, 220, 0));
  for (int p = 0; p < 8; ++p) circlefill(b, 16 * p + 68 + 7, 7, 5, rgb24(220, 220, 240));
  rectfill(b, 68, 17, 75, 24, rgb24(255, 255, 255));
  return save(b, path);
}

// The skin: a brown strip, 224 by 40.
inline bool write_skin(const std::string& path) {
  BITMAP* b = create_bitmap_ex(24, 224, 40);
  if (!b) return false;
  clear_to_color(b, rgb24(120, 80, 40));
  rect(b, 0, 0, 223, 39, rgb24(200, 160, 80));
  return save(b, path);
}

inline bool write_overlay(const std::string& path, int width, int height) {
  BITMAP* b = create_bitmap_ex(24, width, height);
  if (!b) return false;
  clear_to_color(b, mask24());
  rectfill(b, 2, 2, width / 2, height / 2, rgb24(90, 60, 30));
  return save(b, path);
}

inline bool exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

// The smallest complete set in `pics` (created when missing): one 512-wide
// sheet of 4 rows, "special.png", "bg_t2.png" and "overlay.png". Files
// already there are kept.
inline bool write_minimal_set(const std::string& pics) {
  mkdir(pics.c_str(), 0755);
  bool ok = true;
  if (!exists(pics + "/btiles20.png")) ok &= write_sheet(pics + "/btiles20.png", 512, 4, 0);
  if (!exists(pics + "/special.png")) ok &= write_special(pics + "/special.png");
  if (!exists(pics + "/bg_t2.png")) ok &= write_skin(pics + "/bg_t2.png");
  if (!exists(pics + "/overlay.png")) ok &= write_overlay(pics + "/overlay.png", 64, 64);
  return ok;
}

}  // namespace fixture_art
