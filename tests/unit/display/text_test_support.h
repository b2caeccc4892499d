#pragma once
// Headless Allegro for the text drawing tests: memory bitmaps, the builtin
// font, pixel counts and a 24-bit PNG of what was drawn.
#include <allegro.h>
#include <gtest/gtest.h>
#include <loadpng.h>

#include <cerrno>
#include <cstdlib>
#include <string>

// A colour value that keeps red, green and blue apart, for palette tests.
inline int test_make_colour(int r, int g, int b) { return (r << 16) | (g << 8) | b; }

// Allegro with no system driver, once per process, in 32-bit colour.
struct AllegroHeadless {
  AllegroHeadless() {
    static bool installed = install_allegro(SYSTEM_NONE, &errno, atexit) == 0;
    EXPECT_TRUE(installed);
    set_color_depth(32);
  }
};

// Pixels of one colour in the w by h rectangle at (x, y).
inline int count_colour(BITMAP* bmp, int x, int y, int w, int h, int colour) {
  int n = 0;
  for (int j = y; j < y + h; ++j)
    for (int i = x; i < x + w; ++i)
      if (getpixel(bmp, i, j) == colour) ++n;
  return n;
}

// Saves the bitmap as an RGB PNG in the build directory, for a person to look at.
inline void save_24bit_png(BITMAP* bmp, const std::string& name) {
  BITMAP* rgb = create_bitmap_ex(24, bmp->w, bmp->h);
  ASSERT_NE(rgb, nullptr);
  blit(bmp, rgb, 0, 0, 0, 0, bmp->w, bmp->h);
  const std::string path = std::string(ZIB_BINARY_DIR) + "/" + name;
  EXPECT_EQ(save_png(path.c_str(), rgb, nullptr), 0) << path;
  destroy_bitmap(rgb);
}
