#pragma once
// Allegro without a display: memory bitmaps, blenders and PNG files only.

#include <allegro.h>
#include <loadpng.h>

#include <cerrno>
#include <cstdlib>

inline void headless_allegro(int depth) {
  static bool installed = install_allegro(SYSTEM_NONE, &errno, atexit) == 0;
  (void)installed;
  _png_screen_gamma = 0.0;
  set_color_depth(depth);
}
