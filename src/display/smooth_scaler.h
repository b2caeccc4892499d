#pragma once
// Pixel-art enlargers for the play window: Super2xSaI (twice the size) and
// the 1.5 times enlarger.

#include <cstdint>

struct BITMAP;

struct ScalerMasks {
  int depth = 0;
  int pixels_per_mask = 1;
  uint32_t color_mask = 0;
  uint32_t low_pixel_mask = 0;
  uint32_t qcolor_mask = 0;
  uint32_t qlow_pixel_mask = 0;
};

// Prepares the colour masks for pixels of `depth` bits (15, 16, 24 or 32);
// 0, or -1 with the masks unchanged for any other depth.
int init_scaler(int depth);
const ScalerMasks& scaler_masks();

// Half blend and quarter blend (three parts b, one part a) of packed pixels.
uint32_t blend_half(uint32_t a, uint32_t b);
uint32_t blend_quarter(uint32_t a, uint32_t b);

// How the rule runs over 32-bit memory bitmaps: four pixels at a time with
// SSE2 where the compiler targets it (always on x86-64), or one at a time.
// Both give the same pixels.
enum class ScalerPath { FASTEST, PLAIN };

// Draws the w by h source rectangle at (sx, sy) twice as large at (dx, dy).
// A destination partly off the bitmap is clipped pixel by pixel (an odd
// negative offset shows the right half of the first source pixel). Areas
// narrower or lower than 4 pixels are drawn with stretch_blit. Returns 0 when
// drawn, -1 when declined (null bitmaps, depths differing from each other or
// from the masks', nothing left after clipping); the caller then draws it
// another way.
int super2xsai(BITMAP* src, BITMAP* dest, int sx, int sy, int dx, int dy, int w, int h,
               ScalerPath path = ScalerPath::FASTEST);

// 1.5 times enlargement of 32-bit bitmaps: each 2 by 2 source block becomes
// 3 by 3 with the in-between pixels averaged. Nothing is drawn to the right
// of limit_x or below limit_y (exclusive) nor outside dest. Returns 0, or -1
// when either bitmap is not 32-bit (the caller stretches instead).
int scale_3_2(BITMAP* src, BITMAP* dest, int sx, int sy, int dx, int dy, int w, int h,
              int limit_x, int limit_y);
