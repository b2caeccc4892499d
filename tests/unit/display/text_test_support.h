#pragma once
// Headless Allegro for the drawing tests: memory bitmaps, the builtin font
// and pixel counts.
#include <allegro.h>
#include <gtest/gtest.h>

#include "unit/display/headless.h"

// A colour value that keeps red, green and blue apart, for palette tests.
inline int test_make_colour(int r, int g, int b) { return (r << 16) | (g << 8) | b; }

// Allegro with no system driver, once per process, in 32-bit colour.
struct AllegroHeadless {
  AllegroHeadless() { headless_allegro(32); }
};

// Pixels of one colour in the w by h rectangle at (x, y).
inline int count_colour(BITMAP* bmp, int x, int y, int w, int h, int colour) {
  int n = 0;
  for (int j = y; j < y + h; ++j)
    for (int i = x; i < x + w; ++i)
      if (getpixel(bmp, i, j) == colour) ++n;
  return n;
}

