// Drawing primitives of the map view: map tiles with their substitutions,
// item pictures with their colour rules, the per-pixel sprite drawer under
// both, status overlays, bars, wall shadows, per-cell colour effects, effect
// frames, lightning, beams, sparks and the visuals of spell effects. All draw
// into `play_bitmap` at 32 pixels per view cell.

#include <allegro.h>

#include <algorithm>
#include <cmath>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "app/client_app.h"
#include "core/item_data.h"
#include "core/options.h"
#include "core/skills_classes.h"
#include "core/spells.h"
#include "core/tiles.h"
#include "core/utils.h"
#include "display/display.h"
#include "display/item_tint.h"
#include "input/frame_input.h"
#include "world/cmap.h"
#include "world/effects.h"
#include "world/item_list.h"
#include "world/player.h"

namespace {
constexpr int TILE_OUTSIDE = 16;
constexpr int BASE_CARD_PICTURE = 1351;
constexpr int SHADOW_STRIPS = PLAY_CELL / 4;
constexpr int SHADOW_DARKEST = 180;
constexpr int EFFECT_STRIP_Y = 238;
constexpr int UNDERNEATH_DEPTH = 4;
constexpr double PI = 3.14159265358979;

int sheet_cell(const QYXDisplay& d) { return d.sheet_tile + d.sheet_border; }

bool is_none(const ItemTint& t) { return t == tint::NONE; }

// Reads and writes pixels of a bitmap, directly for 32-bit memory bitmaps.
struct Pixels {
  BITMAP* b;
  bool fast;
  explicit Pixels(BITMAP* bmp) : b(bmp), fast(bitmap_color_depth(bmp) == 32 && is_memory_bitmap(bmp)) {}
  int get(int x, int y) const {
    return fast ? static_cast<int>(reinterpret_cast<uint32_t*>(b->line[y])[x]) : getpixel(b, x, y);
  }
  void put(int x, int y, int c) const {
    if (fast)
      reinterpret_cast<uint32_t*>(b->line[y])[x] = static_cast<uint32_t>(c);
    else
      putpixel(b, x, y, c);
  }
};

// Darkens a rectangle toward black by alpha, as a translucent black fill
// would, without making a picture.
void darken_rect(BITMAP* b, int x, int y, int w, int h, int alpha) {
  if (!b || alpha <= 0) return;
  alpha = std::min(alpha, 255);
  const int x0 = std::max(x, b->cl), y0 = std::max(y, b->ct);
  const int x1 = std::min(x + w, b->cr), y1 = std::min(y + h, b->cb);
  if (x0 >= x1 || y0 >= y1) return;
  if (bitmap_color_depth(b) == 32 && is_memory_bitmap(b)) {
    // Red and blue are scaled together; a shift keeps each in its own byte.
    const uint32_t keep = static_cast<uint32_t>((255 - alpha) * 256 / 255);
    for (int j = y0; j < y1; ++j) {
      uint32_t* row = reinterpret_cast<uint32_t*>(b->line[j]);
      int i = x0;
#ifdef __SSE2__
      // Four pixels at a time: every byte times keep / 256 in 16-bit lanes
      // (at most 255 x 256 fits), the top byte cleared as below.
      const __m128i k = _mm_set1_epi16(static_cast<short>(keep));
      const __m128i rgb = _mm_set1_epi32(0xFFFFFF);
      const __m128i zero = _mm_setzero_si128();
      for (; i + 4 <= x1; i += 4) {
        __m128i* p = reinterpret_cast<__m128i*>(row + i);
        const __m128i c = _mm_loadu_si128(p);
        const __m128i lo = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(c, zero), k), 8);
        const __m128i hi = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(c, zero), k), 8);
        _mm_storeu_si128(p, _mm_and_si128(_mm_packus_epi16(lo, hi), rgb));
      }
#endif
      for (; i < x1; ++i) {
        const uint32_t c = row[i];
        const uint32_t rb = (((c & 0xFF00FF) * keep) >> 8) & 0xFF00FF;
        const uint32_t g = (((c & 0x00FF00) * keep) >> 8) & 0x00FF00;
        row[i] = rb | g;
      }
    }
    return;
  }
  if (bitmap_color_depth(b) == 8) return;
  set_trans_blender(0, 0, 0, alpha);
  drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
  rectfill(b, x0, y0, x1 - 1, y1 - 1, makecol_depth(bitmap_color_depth(b), 0, 0, 0));
  solid_mode();
}

int toward(int c, int t, double f) { return static_cast<int>(c + (t - c) * f); }
}  // namespace

BITMAP* QYXDisplay::scratch_for(int size) {
  BITMAP*& s = size > PLAY_CELL ? sprite_scratch_big : sprite_scratch;
  const int depth = play_bitmap ? bitmap_color_depth(play_bitmap) : get_color_depth();
  if (s && bitmap_color_depth(s) != depth) {
    destroy_bitmap(s);
    s = nullptr;
  }
  if (!s) s = create_bitmap_ex(depth, 2 * PLAY_CELL, 2 * PLAY_CELL);
  return s;
}

void QYXDisplay::darken_cell(int x, int y, int alpha) {
  darken_rect(play_bitmap, PLAY_CELL * x, PLAY_CELL * y, PLAY_CELL, PLAY_CELL, alpha);
}

int QYXDisplay::underneath_for_cell(int x, int y, int scale) const {
  if (!ok_to_draw_play_window()) return 0;
  const int r = std::clamp(view_radius, 2, MAX_VIEW_RADIUS);
  return cmap.get_underneath(me.x + x - r * scale, me.y + y - r * scale);
}

void QYXDisplay::draw_map_tile(int x, int y, int tile, int grey, int scale) {
  static int depth = 0;
  if (!play_bitmap || scale < 1) return;
  if (!tiledata.is_valid_tile(tile)) tile = TILES_UNKNOWN;
  int picture = tile_ids[tile];
  if (tile == TILES_UNKNOWN) picture = anim_tile_frame;
  if (tile == CMAP_TILE_DEEP_WATER) picture = anim_tile_frame + 4;
  if (tile == CMAP_TILE_LAVA) picture = anim_tile_frame + 8;
  if (tile == TILES_UNKNOWN || tile == CMAP_TILE_DEEP_WATER || tile == CMAP_TILE_LAVA)
    map_tile_animated = true;

  const int size = PLAY_CELL / scale;
  auto fill_black = [&] {
    rectfill(play_bitmap, PLAY_CELL * x / scale, PLAY_CELL * y / scale,
             PLAY_CELL * x / scale + size - 1, PLAY_CELL * y / scale + size - 1, makecol(0, 0, 0));
  };
  // A layer beneath; the depth guard stops a chain of listed tiles.
  if (depth < UNDERNEATH_DEPTH) {
    ++depth;
    if (tiledata.is_shore(tile)) {
      map_tile_animated = true;
      draw_tile(x, y, anim_tile_frame, grey, scale, 0, 0, 0, tint::NONE, 0, 0);
    } else if (tile_listed[tile]) {
      if (conn_state == CONN_PLAYING) {
        const int under = underneath_for_cell(x, y, scale);
        if (under != 0 && under != tile)
          draw_map_tile(x, y, under, grey, scale);
        else
          fill_black();
      } else if (tile != TILE_OUTSIDE) {
        draw_map_tile(x, y, TILE_OUTSIDE, grey, scale);
      } else {
        fill_black();
      }
    }
    --depth;
  }
  draw_tile(x, y, picture, grey, scale, 0, 0, 0, tint::NONE, 0, 0);
}

void QYXDisplay::draw_tile(int x, int y, int n, int grey, int scale, int dim, int large,
                           int colour, const ItemTint& tint, int plain, int half) {
  if (n < 0 || !tiles || !play_bitmap || scale < 1) return;
  const int cell = sheet_cell(*this);
  const int sx = cell * (n % 16), sy = cell * (n / 16);
  if (scale != 1) {
    BITMAP* src = grey == 1 && tiles_grey ? tiles_grey : tiles;
    const int size = (large ? 2 * PLAY_CELL : PLAY_CELL) / scale;
    const int dx = PLAY_CELL * x / scale, dy = PLAY_CELL * y / scale;
    const int st = sheet_tile;
    if (sy + st > src->h) return;
    if (half == 0)
      masked_stretch_blit(src, play_bitmap, sx, sy, st, st, dx, dy, size, size);
    else if (half == 1)
      masked_stretch_blit(src, play_bitmap, sx, sy, st, st / 2, dx, dy, size, size / 2);
    else
      masked_stretch_blit(src, play_bitmap, sx, sy + st / 2, st, st / 2, dx,
                          (16 + PLAY_CELL * y) / scale, size, size / 2);
    return;
  }
  draw_sprite(x, y, tiles, tiles_grey, sx, sy, grey, dim, large, colour, tint, plain, 0, half);
}

void QYXDisplay::draw_sprite(int x, int y, BITMAP* sheet, BITMAP* grey_sheet, int sx, int sy,
                             int grey, int dim, int large, int colour, const ItemTint& tint,
                             int plain, int x_offset, int half) {
  if (!sheet || !play_bitmap || sheet_tile <= 0) return;
  const int st = sheet_tile;
  if (sx < 0 || sy < 0 || sx + st > sheet->w || sy + st > sheet->h) return;
  const int src_y = sy + (half == 2 ? st / 2 : 0), src_h = half ? st / 2 : st;
  const int out = large ? 2 * PLAY_CELL : PLAY_CELL, out_h = half ? out / 2 : out;
  const int dx = PLAY_CELL * x + x_offset + attack_dx;
  const int dy = PLAY_CELL * y + attack_dy + (half == 2 ? out / 2 : 0);
  BITMAP* src = grey == 1 && grey_sheet ? grey_sheet : sheet;
  const bool recolour = grey != 1 && !plain && (!is_none(tint) || colour > 0);
  if (plain || (!recolour && grey != 2 && !dim)) {
    masked_stretch_blit(src, play_bitmap, sx, src_y, st, src_h, dx, dy, out, out_h);
    return;
  }
  BITMAP* sc = scratch_for(out);
  if (!sc) return;
  const int mask = bitmap_mask_color(sc);
  clear_to_color(sc, mask);
  stretch_blit(src, sc, sx, src_y, st, src_h, 0, 0, out, out_h);
  const Pixels px(sc);
  const int depth = bitmap_color_depth(sc);
  const int r0 = view_radius_used > 0 ? view_radius_used : view_radius;
  for (int j = 0; j < out_h; ++j)
    for (int i = 0; i < out; ++i) {
      int c = px.get(i, j);
      if (c == mask) continue;
      int r, g, b;
      if (depth == 32) {
        r = getr32(c), g = getg32(c), b = getb32(c);
      } else {
        r = getr_depth(depth, c), g = getg_depth(depth, c), b = getb_depth(depth, c);
      }
      bool changed = false;
      if (recolour && r == 0 && g == 0 && b == 0) {
        const float fx = static_cast<float>(me.x - r0 + x) + static_cast<float>(i) / out;
        const float fy = static_cast<float>(me.y - r0 + y) + static_cast<float>(j) / out;
        if (tint.mode == 'f' && rand_int(10) == 1)
          add_particle(particle_list, me.map_level, PARTICLE_RISING, 20 + rand_int(220), 0, fx, fy,
                       -1.0f, -1.0f);
        else if (tint.mode == 's' && rand_int(2000) == 1)
          add_particle(particle_list, me.map_level, PARTICLE_FADING, 600, 0xFFFFFF, fx, fy, -1.0f,
                       -1.0f);
        if (!is_none(tint)) {
          auto glow = [&](int t) {
            return tint.mode == 'x' ? t / 4 + t / 3 : t * anim_ping_pong / 12 + t / 3;
          };
          r = glow(tint.red);
          g = glow(tint.green);
          b = glow(tint.blue);
          changed = true;
        }
      }
      if (recolour && colour > 0 && r == g && g == b && r > 0) {
        const int v = r;
        r = ((colour >> 8) & 15) * v / 15;
        g = ((colour >> 4) & 15) * v / 15;
        b = (colour & 15) * v / 15;
        changed = true;
      }
      if (grey == 2) {
        // Infravision: warm red.
        r = toward(r, 255, 150.0 / 255.0);
        g = toward(g, 9, 150.0 / 255.0);
        b = toward(b, 9, 150.0 / 255.0);
        changed = true;
      }
      if (changed) {
        r = std::clamp(r, 0, 255), g = std::clamp(g, 0, 255), b = std::clamp(b, 0, 255);
        int nc = depth == 32 ? makecol32(r, g, b) : makecol_depth(depth, r, g, b);
        // A recoloured pixel must not turn into the mask.
        if (nc == mask) nc = makecol_depth(depth, 254, 0, 255);
        px.put(i, j, nc);
      }
    }
  if (dim) {
    set_trans_blender(0, 0, 0, 120);
    draw_trans_sprite(play_bitmap, sc, dx, dy);
  } else {
    masked_blit(sc, play_bitmap, 0, 0, dx, dy, out, out_h);
  }
}

void QYXDisplay::draw_item_tile(int x, int y, const Item& item, int grey, int scale, int frame,
                                int dim, int large, int flags) {
  const int base = item.get_base_code();
  const uint64_t code = static_cast<uint64_t>(item.code);
  const ObjectTile* ot = tiledata.get_object_tile(static_cast<unsigned>(base));
  if (!ot || ot->image < 0) return;
  int picture = -1;
  int second = -1;
  bool half = false;
  if (base >= 512 && base <= 1023 && ((code >> 26) & 3) != 0) {
    second = static_cast<int>((code >> 12) & 0xfff);
    half = ((code >> 26) & 1) != 0;
  }
  if (base == ITEM_BASE_MAP_TILE) {
    const int t = item.get_modifier();
    picture = t == TILES_UNKNOWN ? anim_tile_frame
              : (t >= 0 && t < TILES_NUM_MAP) ? tile_ids[t]
                                                      : -1;
  } else if (base == ITEM_BASE_SHOWN_INSIDE) {
    const int inner = static_cast<int>((code >> 12) & 0x7ff);
    if (inner != 0) {
      const ObjectTile* it = tiledata.get_object_tile(static_cast<unsigned>(inner));
      picture = it && it->image >= 0 ? it->image + static_cast<int>((code >> 24) & 15) : -1;
      grey = 1;
    } else {
      picture = ot->image;
    }
  } else {
    const ObjectTile* card = tiledata.get_object_tile(BASE_CARD_PICTURE);
    if (wl.get_parent_code(item).get_base_code() == ITEM_PARENT_CARD_LIKE &&
        ((code >> 16) & 15) != 0 && card)
      picture = card->image;
    else
      picture = ot->image + std::max(0, frame);
  }
  if (picture < 0) return;

  int colour = 0;
  ItemTint tint = tint::NONE;
  if (base == ITEM_BASE_DYED || base == 1463 || base == ITEM_BASE_MEDITATING ||
      (base >= 512 && base <= 1023)) {
    colour = second >= 0 ? 0 : static_cast<int>((code >> 12) & 0xfff);
    tint = ((code >> 25) & 1) ? tint::SKY : tint::NONE;
  } else {
    tint = item_tint(item);
    colour = wl.get_record(item) ? wl.material_colour(item.get_material()) : 0;
  }
  const int plain = (flags >= 1 && flags <= 4) ? ot->mirror : 0;
  draw_tile(x, y, picture, grey, scale, dim, large, colour, tint, plain, half ? 2 : 0);
  if (second < 0) return;
  const ObjectTile* st = tiledata.get_object_tile(static_cast<unsigned>(second));
  if (!st || st->image < 0) return;
  const int f2 = st->frames != ot->frames ? rand_int(st->frames) : std::max(0, frame);
  draw_tile(x, y, st->image + f2, grey, scale, dim, large, colour, tint, plain, half ? 1 : 0);
}

void QYXDisplay::draw_overlay(int x, int y, int kind, int row, int grey, int dim, int large) {
  if (kind < 1 || kind > 7 || row < 0 || !overlay) return;
  const int cell = sheet_cell(*this);
  draw_sprite(x, y, overlay, overlay_grey, cell * (row + 4), cell * (kind - 1), grey, dim, large, 0,
              tint::NONE, 0, 0, 0);
}

void QYXDisplay::draw_item_icon(int x, int y, const Item& item, bool alt, int frame, uint8_t grey,
                                uint8_t dim, uint8_t large) {
  if (!overlay) return;
  const int row = wl.get_worn_tile(wl.get_parent_code(item));
  if (row < 0) return;
  const char type = wl.get_type(item);
  const bool coloured =
      type == 'W' || type == 's' || wl.is_metal(item) || wl.is_bone(item) || wl.is_tool(item);
  const int colour = coloured ? wl.material_colour(item.get_material()) : 0;
  const int column = alt ? 3 - frame : frame;
  if (column < 0) return;
  const int cell = sheet_cell(*this);
  draw_sprite(x, y, overlay, overlay_grey, column * cell, row * cell, grey, dim, large, colour,
              item_tint(item), alt ? 1 : 0, alt ? 2 : 0, 0);
}

void QYXDisplay::draw_bar(int x, int y, int row, int colour, bool doubled, float fraction) {
  if (!play_bitmap || !(fraction >= 0.0f)) return;
  int length = fraction >= 1.0f ? PLAY_CELL : static_cast<int>(PLAY_CELL * fraction);
  if (doubled) length *= 2;
  if (length <= 0) return;
  rectfill(play_bitmap, x, y - 3 * row, x + length - 1, y - 3 * row + 2, colour);
}

void QYXDisplay::draw_effect_frame(int x, int y, int n) {
  draw_effect_frame_at(n, static_cast<float>(PLAY_CELL * x), static_cast<float>(PLAY_CELL * y));
}

void QYXDisplay::draw_effect_frame_at(int n, float px, float py) {
  if (!special || !play_bitmap || n < 0) return;
  masked_blit(special, play_bitmap, PLAY_CELL * (n % 8), PLAY_CELL * (n / 8) + EFFECT_STRIP_Y,
              static_cast<int>(px), static_cast<int>(py), PLAY_CELL, PLAY_CELL);
}

void QYXDisplay::draw_special_cell(int x, int y, int sx, int sy) {
  if (!special || !play_bitmap) return;
  masked_blit(special, play_bitmap, sx, sy, PLAY_CELL * x, PLAY_CELL * y, PLAY_CELL, PLAY_CELL);
}

void QYXDisplay::colour_effect(int x, int y, int strength, int mode) {
  if (!play_bitmap || x < 0 || y < 0 || x > 64 || y > 64) return;
  if (me.hp < 1) mode = mode == 1 ? 1 : 2;
  if (mode < 1 || mode > 11) return;
  strength = std::clamp(strength, 0, 255);
  // Each mode moves some components toward a target: one table per component,
  // kept per mode until the strength or the pixel layout changes.
  static constexpr int TARGETS[12][3] = {
      {-1, -1, -1}, {-1, -1, -1},  {255, 255, 255}, {255, -1, -1}, {-1, -1, 255}, {-1, 255, -1},
      {255, 255, -1}, {255, 153, 50}, {255, -1, -1},  {160, 255, -1}, {85, -1, 144}, {-1, 130, -1}};
  struct Tables {
    int strength = -1, shift[3] = {-1, -1, -1};
    uint8_t lut[3][256];
    uint32_t packed[3][256];  // lut[k][c] moved to component k's place in a 32-bit pixel
    // When every component is kept, inverted or set to one value (full or no
    // strength), a 32-bit pixel becomes ((c & keep) ^ flip) | set.
    bool bitwise = false;
    uint32_t keep = 0, flip = 0, set = 0;
  };
  static Tables cache[12];
  Tables& t = cache[mode];
  const int shift[3] = {_rgb_r_shift_32, _rgb_g_shift_32, _rgb_b_shift_32};
  if (t.strength != strength || !std::equal(shift, shift + 3, t.shift)) {
    const double f = strength / 255.0;
    for (int k = 0; k < 3; ++k) {
      t.shift[k] = shift[k];
      for (int c = 0; c < 256; ++c) {
        const int target = TARGETS[mode][k];
        const int v = mode == 1 ? 255 - c : target < 0 ? c : toward(c, target, f);
        t.lut[k][c] = static_cast<uint8_t>(std::clamp(v, 0, 255));
        t.packed[k][c] = static_cast<uint32_t>(t.lut[k][c]) << shift[k];
      }
    }
    t.strength = strength;
    t.bitwise = true;
    t.keep = t.flip = t.set = 0;
    for (int k = 0; k < 3; ++k) {
      bool same = true, inverted = true, constant = true;
      for (int c = 0; c < 256; ++c) {
        same = same && t.lut[k][c] == c;
        inverted = inverted && t.lut[k][c] == 255 - c;
        constant = constant && t.lut[k][c] == t.lut[k][0];
      }
      const uint32_t byte = 0xFFu << shift[k];
      if (same || inverted) t.keep |= byte;
      if (inverted) t.flip |= byte;
      if (constant) t.set |= t.packed[k][0];
      t.bitwise = t.bitwise && (same || inverted || constant);
    }
  }
  const bool dark_too = mode == 1 || mode == 8;
  const int depth = bitmap_color_depth(play_bitmap);
  const int x0 = PLAY_CELL * x, y0 = PLAY_CELL * y;
  const int x1 = std::min(x0 + PLAY_CELL, play_bitmap->w), y1 = std::min(y0 + PLAY_CELL, play_bitmap->h);
  if (depth == 32 && is_memory_bitmap(play_bitmap)) {
    const uint32_t *pr = t.packed[0], *pg = t.packed[1], *pb = t.packed[2];
    const int rs = shift[0], gs = shift[1], bs = shift[2];
    for (int j = y0; j < y1; ++j) {
      uint32_t* row = reinterpret_cast<uint32_t*>(play_bitmap->line[j]);
      int i = x0;
#ifdef __SSE2__
      if (t.bitwise) {
        // Four pixels at a time; a near-black pixel has no component byte above 9.
        const __m128i keep = _mm_set1_epi32(static_cast<int>(t.keep));
        const __m128i flip = _mm_set1_epi32(static_cast<int>(t.flip));
        const __m128i set = _mm_set1_epi32(static_cast<int>(t.set));
        const __m128i rgb = _mm_set1_epi32(static_cast<int>((255u << rs) | (255u << gs) | (255u << bs)));
        const __m128i nine = _mm_set1_epi8(9);
        const __m128i zero = _mm_setzero_si128();
        for (; i + 4 <= x1; i += 4) {
          __m128i* p = reinterpret_cast<__m128i*>(row + i);
          const __m128i c = _mm_loadu_si128(p);
          const __m128i moved =
              _mm_or_si128(_mm_xor_si128(_mm_and_si128(c, keep), flip), set);
          if (dark_too) {
            _mm_storeu_si128(p, moved);
            continue;
          }
          const __m128i dark =
              _mm_cmpeq_epi32(_mm_subs_epu8(_mm_and_si128(c, rgb), nine), zero);
          _mm_storeu_si128(p, _mm_or_si128(_mm_and_si128(dark, c), _mm_andnot_si128(dark, moved)));
        }
      }
#endif
      for (; i < x1; ++i) {
        const uint32_t c = row[i];
        const uint32_t r = (c >> rs) & 255, g = (c >> gs) & 255, b = (c >> bs) & 255;
        // Near-black pixels keep their value, alpha included, unless the mode darkens too.
        const bool keep = !dark_too && r <= 9 && g <= 9 && b <= 9;
        row[i] = keep ? c : pr[r] | pg[g] | pb[b];
      }
    }
    return;
  }
  for (int j = y0; j < y1; ++j)
    for (int i = x0; i < x1; ++i) {
      const int c = getpixel(play_bitmap, i, j);
      const int r = getr_depth(depth, c), g = getg_depth(depth, c), b = getb_depth(depth, c);
      if (!dark_too && r <= 9 && g <= 9 && b <= 9) continue;
      putpixel(play_bitmap, i, j, makecol_depth(depth, t.lut[0][r], t.lut[1][g], t.lut[2][b]));
    }
}

uint8_t QYXDisplay::wall_shadow_sides(int map_x, int map_y) const {
  if (!options.get(OPT_SHADOWS)) return 0;
  int mx = map_x;
  if (cmap.get_type() == 0) cmap.wrap_x(mx);
  if (!cmap.on_map(mx, map_y)) return 0;
  const uint8_t* sides = cmap.get_wall_sides(mx, map_y);
  if (!sides) return 0;
  uint8_t bits = 0;
  for (int n = 0; n < 4; ++n)
    if (sides[n]) bits |= static_cast<uint8_t>(1 << n);
  return bits;
}

void QYXDisplay::draw_wall_shadows(int map_x, int map_y, int x, int y) {
  if (!play_bitmap) return;
  const uint8_t sides = wall_shadow_sides(map_x, map_y);
  if (!sides) return;
  const int step = SHADOW_DARKEST / SHADOW_STRIPS;
  const int cx = PLAY_CELL * x, cy = PLAY_CELL * y;
  for (int k = 0; k < SHADOW_STRIPS; ++k) {
    const int falling = SHADOW_DARKEST - k * step;  // darkest at the wall
    const int rising = (k + 1) * step;
    if (sides & 1) darken_rect(play_bitmap, cx, cy + k, PLAY_CELL, 1, falling);
    if (sides & 2)
      darken_rect(play_bitmap, cx, cy + PLAY_CELL - SHADOW_STRIPS + k, PLAY_CELL, 1,
                  k == SHADOW_STRIPS - 1 ? SHADOW_DARKEST : rising);
    if (sides & 4)
      darken_rect(play_bitmap, cx + PLAY_CELL - SHADOW_STRIPS + k, cy, 1, PLAY_CELL,
                  k == SHADOW_STRIPS - 1 ? SHADOW_DARKEST : rising);
    if (sides & 8) darken_rect(play_bitmap, cx + k, cy, 1, PLAY_CELL, falling);
  }
}

void QYXDisplay::draw_lightning(int x1, int y1, int x2, int y2, int kind) {
  if (!play_bitmap) return;
  const bool dead = me.hp < 1;
  for (int bolt = 0; bolt < 3; ++bolt) {
    float cx = PLAY_CELL * x1 + 16.0f, cy = PLAY_CELL * y1 + 16.0f;
    const float ex = PLAY_CELL * x2 + 16.0f, ey = PLAY_CELL * y2 + 16.0f;
    // Each step gets at least 4 pixels nearer on average; the cap guards the rest.
    for (int steps = 0; steps < 200; ++steps) {
      const float d = std::hypot(ex - cx, ey - cy);
      if (!(d > 0.0f)) break;
      float nx = ex, ny = ey;
      if (d > 25.0f) {
        const float len = static_cast<float>(roll_dice(10, 4));
        nx = cx + (ex - cx) / d * len + static_cast<float>(rand_int(12) - 6);
        ny = cy + (ey - cy) / d * len + static_cast<float>(rand_int(12) - 6);
      }
      const int r = rand_int(255);
      int c;
      if (dead)
        c = makecol(r / 2 + 100, r / 2 + 100, r / 2 + 100);
      else if (kind == 1)
        c = makecol(255, r, r);
      else if (kind == 2)
        c = makecol(r / 2, r / 2, 3 * r / 4);
      else
        c = makecol(r, r, 255);
      do_line(play_bitmap, static_cast<int>(cx), static_cast<int>(cy), static_cast<int>(nx),
              static_cast<int>(ny), c, plot_pixel);
      cx = nx;
      cy = ny;
    }
  }
}

void QYXDisplay::spawn_sparks(int x1, int y1, int x2, int y2, int colour, int kind) {
  const int r = view_radius_used > 0 ? view_radius_used : view_radius;
  const float fx = static_cast<float>(me.x - r + x1) + 0.5f;
  const float fy = static_cast<float>(me.y - r + y1) + 0.5f;
  const float heading = static_cast<float>(std::atan2(y2 - y1, x2 - x1));
  const uint32_t c = me.hp < 1 ? 0xCCCCCC : static_cast<uint32_t>(colour) & 0xFFFFFF;
  for (int n = 0; n < 9; ++n) {
    if (kind == 2 && rand_int(3) != 1) continue;
    const float h = heading + rand_fraction() * static_cast<float>(PI / 3) -
                    static_cast<float>(PI / 6) + static_cast<float>(2 * PI);
    add_particle(particle_list, me.map_level,
                 kind == 2 ? PARTICLE_SHORT_FLIGHT | PARTICLE_FLAG_LARGE : PARTICLE_SHORT_FLIGHT,
                 5000, c, fx, fy, h, 0.004f);
  }
}

void QYXDisplay::draw_beam(int x1, int y1, int x2, int y2, int colour_mask, int level) {
  if (!play_bitmap) return;
  const int g = std::clamp(level / 2 + 120, 0, 255);
  const uint32_t rgb = (static_cast<uint32_t>(g) * 0x010101u) & static_cast<uint32_t>(colour_mask);
  const int c = makecol((rgb >> 16) & 255, (rgb >> 8) & 255, rgb & 255);
  do_line(play_bitmap, PLAY_CELL * x1 + 16, PLAY_CELL * y1 + 16, PLAY_CELL * x2 + 16,
          PLAY_CELL * y2 + 16, c, [](BITMAP* b, int x, int y, int col) { plot_plus(b, x, y, col); });
}

void QYXDisplay::draw_wide_beam(int x1, int y1, int x2, int y2, int colour_mask, int level) {
  if (!play_bitmap) return;
  const int g = std::clamp(level / 2 + 120, 0, 255);
  const uint32_t rgb = (static_cast<uint32_t>(g) * 0x010101u) & static_cast<uint32_t>(colour_mask);
  const int c = makecol((rgb >> 16) & 255, (rgb >> 8) & 255, rgb & 255);
  for (int s = -8; s <= 8; ++s)
    line(play_bitmap, PLAY_CELL * x1 + 16 + s, PLAY_CELL * y1 + 16, PLAY_CELL * x2 + 16 + s,
         PLAY_CELL * y2 + 16, c);
}

void QYXDisplay::draw_spell_effect(int x1, int y1, int x2, int y2, int value, int alpha, int type) {
  if (me.get_health(HN_BLIND) || me.get_health(HN_ASLEEP)) return;
  const int effect = type == 1 ? spells.get_effect_nr(value) : value;
  const int R = view_radius_used > 0 ? view_radius_used : view_radius;
  const int last = 2 * R;
  auto ce = [&](int i, int j, int mode) {
    if (i >= 0 && j >= 0 && i <= last && j <= last) colour_effect(i, j, alpha, mode);
  };
  auto square = [&](int radius, int mode) {
    for (int i = x1 - radius; i <= x1 + radius; ++i)
      for (int j = y1 - radius; j <= y1 + radius; ++j) ce(i, j, mode);
  };
  auto disc = [&](int size, int mode) {
    const int* rows = light_disc_rows(size);
    const int half = size / 2;
    for (int row = 0; row < size; ++row)
      for (int i = x1 - rows[row] / 2; i <= x1 + rows[row] / 2; ++i) ce(i, y1 - half + row, mode);
  };
  auto neighbours = [&](int mode) {
    ce(x1, y1, 2);
    ce(x1 + 1, y1, mode);
    ce(x1, y1 + 1, mode);
    ce(x1 - 1, y1, mode);
    ce(x1, y1 - 1, mode);
  };
  switch (effect) {
    case 0: break;
    case 1: ce(x1, y1, 2); break;
    case 2: ce(x1, y1, 5); break;
    case 3: ce(x1, y1, 4); break;
    case 4: ce(x1, y1, 6); break;
    case 5: ce(x1, y1, 1); break;
    case 6: neighbours(6); break;
    case 7: neighbours(5); break;
    case 8: neighbours(5); break;
    case 9: neighbours(8); break;
    case 38: neighbours(9); break;
    case 39: neighbours(10); break;
    case 10: ce(x1, y1, 9); break;
    case 11: ce(x1, y1, 11); break;
    case 12: draw_lightning(x1, y1, x2, y2, 0); break;
    case 13: draw_lightning(x1, y1, x2, y2, 1); break;
    case 14: {
      if (x1 < 0 || y1 < 0 || x1 > last || y1 > last) break;
      const int depth = bitmap_color_depth(play_bitmap);
      if (cell_scratch && bitmap_color_depth(cell_scratch) != depth) {
        destroy_bitmap(cell_scratch);
        cell_scratch = nullptr;
      }
      if (!cell_scratch) cell_scratch = create_bitmap_ex(depth, PLAY_CELL, PLAY_CELL);
      if (!cell_scratch) break;
      blit(play_bitmap, cell_scratch, PLAY_CELL * x1, PLAY_CELL * y1, 0, 0, PLAY_CELL, PLAY_CELL);
      rectfill(play_bitmap, 0, 0, (last + 1) * PLAY_CELL - 1, (last + 1) * PLAY_CELL - 1,
               makecol(255, 255, 255));
      blit(cell_scratch, play_bitmap, 0, 0, PLAY_CELL * x1, PLAY_CELL * y1, PLAY_CELL, PLAY_CELL);
      ce(x1, y1, 1);
      break;
    }
    case 15: case 16: case 17: case 42: {
      const int mode = effect == 15 ? 2 : effect == 16 ? 3 : effect == 17 ? 4 : 10;
      for (int i = 0; i <= last; ++i) ce(i, y1, mode);
      for (int j = 0; j <= last; ++j) ce(x1, j, mode);
      break;
    }
    case 18: disc(7, 1); break;
    case 20: disc(7, 4); break;
    case 19: disc(9, 1); break;
    case 21: spawn_sparks(x1, y1, x2, y2, (100 + rand_int(156)) << 8, 0); break;
    case 22:
      spawn_sparks(x1, y1, x2, y2, ((100 + rand_int(156)) << 16) | (100 + rand_int(156)), 0);
      break;
    case 28: spawn_sparks(x1, y1, x2, y2, (233 << 16) | (rand_int(200) << 8) | 26, 0); break;
    case 29: spawn_sparks(x1, y1, x2, y2, rand_int(2) ? 0xFFFFFF : 0x6DCFF6, 0); break;
    case 44: spawn_sparks(x1, y1, x2, y2, 0xFFDE00, 2); break;
    case 31: draw_effect_frame(x1, y1, alpha >= 128 ? 32 : 32 + (128 - alpha) / 32); break;
    case 30: draw_effect_frame(x1, y1, 21); break;
    case 32: draw_lightning(x1, y1, x2, y2, 2); break;
    case 33: draw_beam(x1, y1, x2, y2, 0xFF3300, alpha); break;
    case 34: draw_beam(x1, y1, x2, y2, 0x3399FF, alpha); break;
    case 35: draw_wide_beam(x1, y1, x2, y2, 0xFFFFFF, alpha); break;
    case 36: draw_effect_frame(x1, y1, 23); break;
    case 37: neighbours(3); break;
    case 40: ce(x1, y1, 11); break;
    case 41: ce(x1, y1, 9); break;
    case 43: ce(x1, y1, 8); break;
    case 23: square(4, 2); break;
    case 24: square(2, 3); break;
    case 25: square(3, 3); break;
    case 26: square(4, 7); break;
    case 45: square(4, 10); break;
    case 46: square(4, 5); break;
    case 47: case 48: case 49: case 50: case 51: case 52: case 53: case 54:
      square(1, 2 + (effect - 47) % 10);
      break;
    default:
      if (effect == 27 || effect > 54) square(3, 1);
      break;
  }
}
