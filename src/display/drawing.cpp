// Small drawing routines shared by the frame, the map view, the windows and
// the hotbar, and the copy of the play window onto the frame.

#include <allegro.h>

#include <algorithm>

#include "display/display.h"
#include "display/smooth_scaler.h"

namespace {
constexpr int SPARSE_PLUS_EVERY = PLAY_CELL / 4;
int sparse_count = 0;
}  // namespace

void QYXDisplay::draw_translucent(BITMAP* sprite, BITMAP* dest, int x, int y, int alpha) {
  if (!sprite || !dest) return;
  set_trans_blender(255, 255, 255, alpha);
  draw_trans_sprite(dest, sprite, x, y);
}

void QYXDisplay::tint_rect(BITMAP* dest, int x, int y, int w, int h, int colour, int alpha) {
  if (!dest || w <= 0 || h <= 0) return;
  // Translucent filling needs a blender of true colour; 8-bit frames have none.
  if (bitmap_color_depth(dest) == 8) return;
  set_trans_blender(255, 255, 255, alpha);
  drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
  rectfill(dest, x, y, x + w - 1, y + h - 1, colour);
  solid_mode();
}

void QYXDisplay::plot_plus(BITMAP* bmp, int x, int y, int colour) {
  putpixel(bmp, x - 1, y, colour);
  putpixel(bmp, x + 1, y, colour);
  putpixel(bmp, x, y - 1, colour);
  putpixel(bmp, x, y + 1, colour);
  putpixel(bmp, x, y, colour);
}

void QYXDisplay::plot_plus_sparse(BITMAP* bmp, int x, int y, int colour) {
  if (!bmp) {
    sparse_count = 0;
    return;
  }
  if (sparse_count++ % SPARSE_PLUS_EVERY == 0)
    plot_plus(bmp, x, y, colour);
  else
    putpixel(bmp, x, y, colour);
}

void QYXDisplay::plot_pixel(BITMAP* bmp, int x, int y, int colour) { putpixel(bmp, x, y, colour); }

void QYXDisplay::clear_cell(int cx, int cy) {
  if (!play_bitmap) return;
  rectfill(play_bitmap, cx * PLAY_CELL, cy * PLAY_CELL, cx * PLAY_CELL + PLAY_CELL - 1,
           cy * PLAY_CELL + PLAY_CELL - 1, makecol(0, 0, 0));
}

void QYXDisplay::blit_play_window(BITMAP* dest) {
  if (!play_bitmap || !dest || tile_size <= 0) return;
  // When the scaled window is taller than the screen only its middle shows.
  const int shown = play_w * tile_size / PLAY_CELL;
  const float scale = std::max(1.0f, static_cast<float>(shown) / static_cast<float>(res_y));
  const int hv = static_cast<int>(static_cast<float>(play_h) / scale);
  // The scroll offset counts screen pixels; the play bitmap has 32 per cell.
  const int scroll = scroll_offset * PLAY_CELL / tile_size;
  const int sx = scroll * scroll_dx + src_x;
  const int sy = scroll_dy * scroll + src_y + quake_offset + (play_h - hv) / 2;
  const int out_w = play_w * tile_size / PLAY_CELL, out_h = hv * tile_size / PLAY_CELL;
  // On a screen larger than the window the room around it is black, not
  // what earlier frames left there.
  const int black = makecol(0, 0, 0);
  if (play_x > 0) {
    rectfill(dest, 0, 0, play_x - 1, play_height - 1, black);
    rectfill(dest, play_x + out_w, 0, panel_x - 1, play_height - 1, black);
  }
  if (play_y + out_h < play_height) rectfill(dest, 0, play_y + out_h, panel_x - 1, play_height - 1, black);

  if (tile_size == PLAY_CELL) {
    blit(play_bitmap, dest, sx, sy, play_x, play_y, play_w, hv);
    return;
  }
  if (tile_size == 2 * PLAY_CELL && smooth_scaling) {
    // As for the 1.5 times enlarger, nothing is smoothed under the side
    // panel or the message area: the frame covers both.
    const int cl = dest->cl, ct = dest->ct, cr = dest->cr, cb = dest->cb;
    set_clip_rect(dest, cl, ct, std::min(cr, res_x - panel_width()) - 1,
                  std::min(cb, play_height) - 1);
    const int drawn = super2xsai(play_bitmap, dest, sx, sy, play_x, play_y, play_w, hv);
    set_clip_rect(dest, cl, ct, cr - 1, cb - 1);
    if (drawn == 0) return;
  }
  if (tile_size * 2 == PLAY_CELL * 3 &&
      scale_3_2(play_bitmap, dest, sx, sy, play_x, play_y, play_w, hv, res_x - panel_width(),
                play_height) == 0)
    return;
  stretch_blit(play_bitmap, dest, sx, sy, play_w, hv, play_x, play_y, out_w, out_h);
}
