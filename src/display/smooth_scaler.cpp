// The smooth scaler (Super2xSaI) and the 1.5 times enlarger of the play
// window. Both blend whole packed pixels, so they work on memory and linear
// bitmaps of one colour depth and clip every written pixel themselves.

#include "display/smooth_scaler.h"

#include <allegro.h>

#include <algorithm>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {
ScalerMasks masks;

// Memory bitmaps of 32 bits are read and written directly: the library's
// accessors switch banks on every pixel.
inline uint32_t get_px(BITMAP* b, int depth, int x, int y) {
  if (depth == 32 && is_memory_bitmap(b)) return reinterpret_cast<const uint32_t*>(b->line[y])[x];
  switch (depth) {
    case 15: return static_cast<uint32_t>(_getpixel15(b, x, y));
    case 16: return static_cast<uint32_t>(_getpixel16(b, x, y));
    case 24: return static_cast<uint32_t>(_getpixel24(b, x, y));
    default: return static_cast<uint32_t>(_getpixel32(b, x, y));
  }
}

inline void put_px(BITMAP* b, int depth, int x, int y, uint32_t c) {
  if (x < b->cl || x >= b->cr || y < b->ct || y >= b->cb) return;
  if (depth == 32 && is_memory_bitmap(b)) {
    reinterpret_cast<uint32_t*>(b->line[y])[x] = c;
    return;
  }
  switch (depth) {
    case 15: _putpixel15(b, x, y, static_cast<int>(c)); break;
    case 16: _putpixel16(b, x, y, static_cast<int>(c)); break;
    case 24: _putpixel24(b, x, y, static_cast<int>(c)); break;
    default: _putpixel32(b, x, y, static_cast<int>(c)); break;
  }
}

// The vote of the Super2xSaI rule.
int vote(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  int x = 0, y = 0;
  if (c == a)
    ++x;
  else if (c == b)
    ++y;
  if (d == a)
    ++x;
  else if (d == b)
    ++y;
  return (x <= 1 ? 1 : 0) - (y <= 1 ? 1 : 0);
}

// Moves a source rectangle inside its bitmap, shifting the destination along.
bool clip_source(BITMAP* src, int factor_num, int factor_den, int& sx, int& sy, int& dx, int& dy,
                 int& w, int& h) {
  if (sx < 0) {
    w += sx;
    dx -= sx * factor_num / factor_den;
    sx = 0;
  }
  if (sy < 0) {
    h += sy;
    dy -= sy * factor_num / factor_den;
    sy = 0;
  }
  w = std::min(w, src->w - sx);
  h = std::min(h, src->h - sy);
  return w > 0 && h > 0;
}

// Byte-wise means of packed pixels, each byte rounded down: the halves of
// a pair without carries between bytes, and four bytes summed in 16 bits.
uint32_t avg2(uint32_t a, uint32_t b) { return (a & b) + (((a ^ b) & 0xFEFEFEFEu) >> 1); }

uint32_t avg4(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  constexpr uint32_t M = 0x00FF00FFu;
  const uint32_t even = (a & M) + (b & M) + (c & M) + (d & M);
  const uint32_t odd = ((a >> 8) & M) + ((b >> 8) & M) + ((c >> 8) & M) + ((d >> 8) & M);
  return ((even >> 2) & M) | (((odd >> 2) & M) << 8);
}
}  // namespace

const ScalerMasks& scaler_masks() { return masks; }

int init_scaler(int depth) {
  if (depth != 15 && depth != 16 && depth != 24 && depth != 32) return -1;
  uint32_t r1 = 0, g1 = 0, b1 = 0;
  for (int i = 0; i < 255; ++i) {
    if (!r1) r1 = static_cast<uint32_t>(makecol_depth(depth, i, 0, 0));
    if (!g1) g1 = static_cast<uint32_t>(makecol_depth(depth, 0, i, 0));
    if (!b1) b1 = static_cast<uint32_t>(makecol_depth(depth, 0, 0, i));
  }
  uint32_t r = static_cast<uint32_t>(makecol_depth(depth, 255, 0, 0));
  uint32_t g = static_cast<uint32_t>(makecol_depth(depth, 0, 255, 0));
  uint32_t b = static_cast<uint32_t>(makecol_depth(depth, 0, 0, 255));
  ScalerMasks m;
  m.depth = depth;
  m.color_mask = (r - r1) | (g - g1) | (b - b1);
  m.low_pixel_mask = r1 | g1 | b1;
  m.qcolor_mask = (r - 3 * r1) | (g - 3 * g1) | (b - 3 * b1);
  m.qlow_pixel_mask = (3 * r1) | (3 * g1) | (3 * b1);
  if (depth < 17) {
    m.pixels_per_mask = 2;
    for (uint32_t* v : {&m.color_mask, &m.low_pixel_mask, &m.qcolor_mask, &m.qlow_pixel_mask})
      *v = (*v << 16) | *v;
  }
  masks = m;
  return 0;
}

uint32_t blend_half(uint32_t a, uint32_t b) {
  return ((a & masks.color_mask) >> 1) + ((b & masks.color_mask) >> 1) +
         (a & b & masks.low_pixel_mask);
}

uint32_t blend_quarter(uint32_t a, uint32_t b) {
  uint32_t q = masks.qcolor_mask, ql = masks.qlow_pixel_mask;
  return ((a & q) >> 2) + 3 * ((b & q) >> 2) + ((((a & ql) + 3 * (b & ql)) >> 2) & ql);
}

namespace {
// The Super2xSaI rule for one source pixel c5 and its 4 by 4 neighbourhood
// (rows b, c, c, a from top to bottom); writes the four destination pixels
// top left, top right, bottom left, bottom right.
inline void super2xsai_pixel(uint32_t b0, uint32_t b1, uint32_t b2, uint32_t b3, uint32_t c4,
                             uint32_t c5, uint32_t c6, uint32_t s2, uint32_t c1, uint32_t c2,
                             uint32_t c3, uint32_t s1, uint32_t a0, uint32_t a1, uint32_t a2,
                             uint32_t a3, uint32_t out[4]) {
  uint32_t p1a, p1b, p2a, p2b;

  if (c2 == c6 && c5 != c3) {
    p1b = p2b = c2;
  } else if (c5 == c3 && c2 != c6) {
    p1b = p2b = c5;
  } else if (c5 == c3 && c2 == c6) {
    int r = vote(c6, c5, c1, a1) + vote(c6, c5, c4, b1) + vote(c6, c5, a2, s1) +
            vote(c6, c5, b2, s2);
    p1b = p2b = r > 0 ? c6 : r < 0 ? c5 : blend_half(c5, c6);
  } else {
    if (c6 == c3 && c3 == a1 && c2 != a2 && c3 != a0)
      p2b = blend_quarter(c2, c3);
    else if (c5 == c2 && c2 == a2 && a1 != c3 && c2 != a3)
      p2b = blend_quarter(c3, c2);
    else
      p2b = blend_half(c2, c3);
    if (c6 == c3 && c6 == b1 && c5 != b2 && c6 != b0)
      p1b = blend_quarter(c5, c6);
    else if (c5 == c2 && c5 == b2 && b1 != c6 && c5 != b3)
      p1b = blend_quarter(c6, c5);
    else
      p1b = blend_half(c5, c6);
  }

  if (c5 == c3 && c2 != c6 && c4 == c5 && c5 != a2)
    p2a = blend_half(c2, c5);
  else if (c5 == c1 && c6 == c5 && c4 != c2 && c5 != a0)
    p2a = blend_half(c2, c5);
  else
    p2a = c2;

  if (c2 == c6 && c5 != c3 && c1 == c2 && c2 != b2)
    p1a = blend_half(c2, c5);
  else if (c4 == c2 && c3 == c2 && c1 != c5 && c2 != b0)
    p1a = blend_half(c2, c5);
  else
    p1a = c5;

  out[0] = p1a;
  out[1] = p1b;
  out[2] = p2a;
  out[3] = p2b;
}

// The rule over a w by h source block, reading through `px` and writing
// through `put`: the accessor path for bitmaps without direct rows.
template <class Get, class Put>
void super2xsai_block(int sx, int sy, int dx, int dy, int w, int h, Get px, Put put) {
  uint32_t out[4];
  for (int j = 0; j < h; ++j) {
    const int y = sy + j;
    for (int i = 0; i < w; ++i) {
      const int x = sx + i;
      super2xsai_pixel(px(x - 1, y - 1), px(x, y - 1), px(x + 1, y - 1), px(x + 2, y - 1),
                       px(x - 1, y), px(x, y), px(x + 1, y), px(x + 2, y), px(x - 1, y + 1),
                       px(x, y + 1), px(x + 1, y + 1), px(x + 2, y + 1), px(x - 1, y + 2),
                       px(x, y + 2), px(x + 1, y + 2), px(x + 2, y + 2), out);
      const int ox = dx + 2 * i, oy = dy + 2 * j;
      put(ox, oy, out[0]);
      put(ox + 1, oy, out[1]);
      put(ox, oy + 1, out[2]);
      put(ox + 1, oy + 1, out[3]);
    }
  }
}

// Source columns and rows of the 32-bit row path: clamped to the source
// rectangle's left and top and to the bitmap's right and bottom.
struct Rows32 {
  BITMAP* src;
  int sx, sy, w, xmax, ymax;
  std::vector<int> cols;  // cols[i + k]: the column of sx + i - 1 + k, clamped
  Rows32(BITMAP* s, int x, int y, int width)
      : src(s), sx(x), sy(y), w(width), xmax(s->w - 1), ymax(s->h - 1),
        cols(static_cast<size_t>(width) + 3) {
    for (int k = 0; k < w + 3; ++k) cols[static_cast<size_t>(k)] = std::clamp(sx - 1 + k, sx, xmax);
  }
  const uint32_t* row(int y) const {
    return reinterpret_cast<const uint32_t*>(src->line[std::clamp(y, sy, ymax)]);
  }
};

// Writes two pixels of one output row, each only inside the clip rectangle.
inline void put2(uint32_t* d, int cl, int cr, int ox, uint32_t left, uint32_t right) {
  if (!d) return;
  if (ox >= cl && ox < cr) d[ox] = left;
  if (ox + 1 >= cl && ox + 1 < cr) d[ox + 1] = right;
}

inline uint32_t* dest_row(BITMAP* dest, int y) {
  return y >= dest->ct && y < dest->cb ? reinterpret_cast<uint32_t*>(dest->line[y]) : nullptr;
}

// Where the pixel and its right, lower and lower right neighbours are equal
// every branch of the rule yields that colour (a half blend of a colour with
// itself is the colour when it has no bits outside the blend masks).
inline bool flat(uint32_t c5, uint32_t c6, uint32_t c2, uint32_t c3, uint32_t self_blend_bits) {
  return c5 == c6 && c5 == c2 && c5 == c3 && !(c5 & self_blend_bits);
}

// The four output pixels of source pixel i, one pixel at a time.
void rows32_pixel(const Rows32& g, const uint32_t* rb, const uint32_t* rc, const uint32_t* rd,
                  const uint32_t* ra, int i, uint32_t* d0, uint32_t* d1, int cl, int cr, int ox,
                  uint32_t self_blend_bits) {
  const int* col = g.cols.data() + i;
  const uint32_t c5 = rc[col[1]], c6 = rc[col[2]], c2 = rd[col[1]], c3 = rd[col[2]];
  if (flat(c5, c6, c2, c3, self_blend_bits)) {
    put2(d0, cl, cr, ox, c5, c5);
    put2(d1, cl, cr, ox, c5, c5);
    return;
  }
  uint32_t out[4];
  super2xsai_pixel(rb[col[0]], rb[col[1]], rb[col[2]], rb[col[3]], rc[col[0]], c5, c6, rc[col[3]],
                   rd[col[0]], c2, c3, rd[col[3]], ra[col[0]], ra[col[1]], ra[col[2]], ra[col[3]],
                   out);
  put2(d0, cl, cr, ox, out[0], out[1]);
  put2(d1, cl, cr, ox, out[2], out[3]);
}

// The rule over 32-bit memory bitmaps with direct rows, one pixel at a time.
// The 4 by 4 neighbourhood slides along the row, so each step reads one new
// column; flat areas are copied without the rule.
void super2xsai_rows32_plain(BITMAP* src, BITMAP* dest, int sx, int sy, int dx, int dy, int w,
                             int h) {
  const Rows32 g(src, sx, sy, w);
  const uint32_t self_blend_bits = ~(masks.color_mask | masks.low_pixel_mask);
  const int cl = dest->cl, cr = dest->cr;
  const int* col = g.cols.data();
  uint32_t out[4];
  for (int j = 0; j < h; ++j) {
    const int y = sy + j, oy = dy + 2 * j;
    const uint32_t *rb = g.row(y - 1), *rc = g.row(y), *rd = g.row(y + 1), *ra = g.row(y + 2);
    uint32_t* d0 = dest_row(dest, oy);
    uint32_t* d1 = dest_row(dest, oy + 1);
    uint32_t b0 = rb[col[0]], c4 = rc[col[0]], c1 = rd[col[0]], a0 = ra[col[0]];
    uint32_t b1 = rb[col[1]], c5 = rc[col[1]], c2 = rd[col[1]], a1 = ra[col[1]];
    uint32_t b2 = rb[col[2]], c6 = rc[col[2]], c3 = rd[col[2]], a2 = ra[col[2]];
    for (int i = 0; i < w; ++i) {
      const int k = col[i + 3];
      const uint32_t b3 = rb[k], s2 = rc[k], s1 = rd[k], a3 = ra[k];
      const int ox = dx + 2 * i;
      if (flat(c5, c6, c2, c3, self_blend_bits)) {
        put2(d0, cl, cr, ox, c5, c5);
        put2(d1, cl, cr, ox, c5, c5);
      } else {
        super2xsai_pixel(b0, b1, b2, b3, c4, c5, c6, s2, c1, c2, c3, s1, a0, a1, a2, a3, out);
        put2(d0, cl, cr, ox, out[0], out[1]);
        put2(d1, cl, cr, ox, out[2], out[3]);
      }
      b0 = b1, b1 = b2, b2 = b3;
      c4 = c5, c5 = c6, c6 = s2;
      c1 = c2, c2 = c3, c3 = s1;
      a0 = a1, a1 = a2, a2 = a3;
    }
  }
}

#ifdef __SSE2__
// The same rule on four neighbouring pixels at once: every comparison is a
// lane mask and every branch a select, so each lane gets exactly the pixels
// of the one-pixel rule.
struct Lanes {
  __m128i color, low, qcolor, qlow, self_blend_bits;
};

inline __m128i eq(__m128i a, __m128i b) { return _mm_cmpeq_epi32(a, b); }
inline __m128i ne_and(__m128i m, __m128i a, __m128i b) {  // m and not (a == b)
  return _mm_andnot_si128(_mm_cmpeq_epi32(a, b), m);
}
inline __m128i both(__m128i a, __m128i b) { return _mm_and_si128(a, b); }
inline __m128i select(__m128i m, __m128i a, __m128i b) {
  return _mm_or_si128(_mm_and_si128(m, a), _mm_andnot_si128(m, b));
}

inline __m128i half4(const Lanes& k, __m128i a, __m128i b) {
  return _mm_add_epi32(
      _mm_add_epi32(_mm_srli_epi32(_mm_and_si128(a, k.color), 1),
                    _mm_srli_epi32(_mm_and_si128(b, k.color), 1)),
      _mm_and_si128(_mm_and_si128(a, b), k.low));
}

inline __m128i times3(__m128i v) { return _mm_add_epi32(_mm_add_epi32(v, v), v); }

// Both quarter blends of a and b: three parts b (to_b) and three parts a
// (to_a), sharing the masked parts.
inline void quarters4(const Lanes& k, __m128i a, __m128i b, __m128i& to_b, __m128i& to_a) {
  const __m128i ha = _mm_srli_epi32(_mm_and_si128(a, k.qcolor), 2);
  const __m128i hb = _mm_srli_epi32(_mm_and_si128(b, k.qcolor), 2);
  const __m128i la = _mm_and_si128(a, k.qlow), lb = _mm_and_si128(b, k.qlow);
  to_b = _mm_add_epi32(_mm_add_epi32(ha, times3(hb)),
                       _mm_and_si128(_mm_srli_epi32(_mm_add_epi32(la, times3(lb)), 2), k.qlow));
  to_a = _mm_add_epi32(_mm_add_epi32(hb, times3(ha)),
                       _mm_and_si128(_mm_srli_epi32(_mm_add_epi32(lb, times3(la)), 2), k.qlow));
}

// The vote as lane integers: +1, 0 or -1.
inline __m128i vote4(__m128i a, __m128i b, __m128i c, __m128i d) {
  const __m128i ca = eq(c, a), da = eq(d, a);
  const __m128i cb = _mm_andnot_si128(ca, eq(c, b)), db = _mm_andnot_si128(da, eq(d, b));
  // x reaches 2 only when both match a, y only when both match b.
  return _mm_sub_epi32(both(ca, da), both(cb, db));
}

inline __m128i load(const uint32_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Four source pixels from column x of rows rb, rc, rd, ra (the rows above,
// at, below and two below), all neighbours inside the rows; the eight output
// pixels of each of the two output rows go to d0 and d1 from ox.
inline void super2xsai_4(const Lanes& k, const uint32_t* rb, const uint32_t* rc,
                         const uint32_t* rd, const uint32_t* ra, int x, uint32_t* d0,
                         uint32_t* d1) {
  const __m128i c5 = load(rc + x), c6 = load(rc + x + 1);
  const __m128i c2 = load(rd + x), c3 = load(rd + x + 1);
  __m128i p1a, p1b, p2a, p2b;
  const __m128i is_flat = both(both(eq(c5, c6), eq(c5, c2)),
                               both(eq(c5, c3), eq(_mm_and_si128(c5, k.self_blend_bits),
                                                   _mm_setzero_si128())));
  if (_mm_movemask_epi8(is_flat) == 0xFFFF) {
    p1a = p1b = p2a = p2b = c5;
  } else {
    const __m128i b0 = load(rb + x - 1), b1 = load(rb + x), b2 = load(rb + x + 1),
                  b3 = load(rb + x + 2);
    const __m128i c4 = load(rc + x - 1), s2 = load(rc + x + 2);
    const __m128i c1 = load(rd + x - 1), s1 = load(rd + x + 2);
    const __m128i a0 = load(ra + x - 1), a1 = load(ra + x), a2 = load(ra + x + 1),
                  a3 = load(ra + x + 2);

    const __m128i e26 = eq(c2, c6), e53 = eq(c5, c3);
    const __m128i only26 = _mm_andnot_si128(e53, e26);  // c2 = c6, c5 differs from c3
    const __m128i only53 = _mm_andnot_si128(e26, e53);  // c5 = c3, c2 differs from c6
    // The right column by case; the later cases are worked out only when a
    // lane needs them.
    p1b = p2b = select(only26, c2, c5);
    const __m128i both_eq = both(e26, e53);
    const __m128i h56 = half4(k, c5, c6);
    if (_mm_movemask_epi8(both_eq)) {
      const __m128i r =
          _mm_add_epi32(_mm_add_epi32(vote4(c6, c5, c1, a1), vote4(c6, c5, c4, b1)),
                        _mm_add_epi32(vote4(c6, c5, a2, s1), vote4(c6, c5, b2, s2)));
      const __m128i zero = _mm_setzero_si128();
      const __m128i voted =
          select(_mm_cmpgt_epi32(r, zero), c6, select(_mm_cmplt_epi32(r, zero), c5, h56));
      p1b = p2b = select(both_eq, voted, p2b);
    }
    const __m128i neither = _mm_andnot_si128(_mm_or_si128(e26, e53), _mm_set1_epi32(-1));
    if (_mm_movemask_epi8(neither)) {
      const __m128i e63 = eq(c6, c3), e52 = eq(c5, c2);
      const __m128i down_a = ne_and(ne_and(both(e63, eq(c3, a1)), c2, a2), c3, a0);
      const __m128i down_b = ne_and(ne_and(both(e52, eq(c2, a2)), a1, c3), c2, a3);
      const __m128i up_a = ne_and(ne_and(both(e63, eq(c6, b1)), c5, b2), c6, b0);
      const __m128i up_b = ne_and(ne_and(both(e52, eq(c5, b2)), b1, c6), c5, b3);
      __m128i down = half4(k, c2, c3), up = h56;
      if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(down_a, down_b), _mm_or_si128(up_a, up_b)))) {
        __m128i to_c3, to_c2, to_c6, to_c5;
        quarters4(k, c2, c3, to_c3, to_c2);
        quarters4(k, c5, c6, to_c6, to_c5);
        down = select(down_a, to_c3, select(down_b, to_c2, down));
        up = select(up_a, to_c6, select(up_b, to_c5, up));
      }
      p2b = select(neither, down, p2b);
      p1b = select(neither, up, p1b);
    }

    const __m128i h25 = half4(k, c2, c5);
    const __m128i left_down =
        _mm_or_si128(ne_and(both(only53, eq(c4, c5)), c5, a2),
                     ne_and(ne_and(both(eq(c5, c1), eq(c6, c5)), c4, c2), c5, a0));
    const __m128i left_up =
        _mm_or_si128(ne_and(both(only26, eq(c1, c2)), c2, b2),
                     ne_and(ne_and(both(eq(c4, c2), eq(c3, c2)), c1, c5), c2, b0));
    p2a = select(left_down, h25, c2);
    p1a = select(left_up, h25, c5);
  }
  __m128i* o0 = reinterpret_cast<__m128i*>(d0);
  __m128i* o1 = reinterpret_cast<__m128i*>(d1);
  _mm_storeu_si128(o0, _mm_unpacklo_epi32(p1a, p1b));
  _mm_storeu_si128(o0 + 1, _mm_unpackhi_epi32(p1a, p1b));
  _mm_storeu_si128(o1, _mm_unpacklo_epi32(p2a, p2b));
  _mm_storeu_si128(o1 + 1, _mm_unpackhi_epi32(p2a, p2b));
}

// The row path four pixels at a time where the whole neighbourhood lies
// inside the source rows and all eight output pixels of both rows inside the
// clip rectangle; the pixels at the edges go through the one-pixel rule.
void super2xsai_rows32_sse2(BITMAP* src, BITMAP* dest, int sx, int sy, int dx, int dy, int w,
                            int h) {
  const Rows32 g(src, sx, sy, w);
  const uint32_t self_blend_bits = ~(masks.color_mask | masks.low_pixel_mask);
  const Lanes k{_mm_set1_epi32(static_cast<int>(masks.color_mask)),
                _mm_set1_epi32(static_cast<int>(masks.low_pixel_mask)),
                _mm_set1_epi32(static_cast<int>(masks.qcolor_mask)),
                _mm_set1_epi32(static_cast<int>(masks.qlow_pixel_mask)),
                _mm_set1_epi32(static_cast<int>(self_blend_bits))};
  const int cl = dest->cl, cr = dest->cr;
  for (int j = 0; j < h; ++j) {
    const int y = sy + j, oy = dy + 2 * j;
    const uint32_t *rb = g.row(y - 1), *rc = g.row(y), *rd = g.row(y + 1), *ra = g.row(y + 2);
    uint32_t* d0 = dest_row(dest, oy);
    uint32_t* d1 = dest_row(dest, oy + 1);
    int i = 0;
    for (; i < w; ++i) {
      const int x = sx + i, ox = dx + 2 * i;
      // Four pixels from i: columns x - 1 .. x + 5 unclamped, outputs ox .. ox + 7.
      if (d0 && d1 && i >= 1 && i + 4 <= w && x + 5 <= g.xmax && ox >= cl && ox + 8 <= cr) {
        super2xsai_4(k, rb, rc, rd, ra, x, d0 + ox, d1 + ox);
        i += 3;
        continue;
      }
      rows32_pixel(g, rb, rc, rd, ra, i, d0, d1, cl, cr, ox, self_blend_bits);
    }
  }
}
#endif
}  // namespace

int super2xsai(BITMAP* src, BITMAP* dest, int sx, int sy, int dx, int dy, int w, int h,
               ScalerPath path) {
  if (!src || !dest) return -1;
  const int depth = bitmap_color_depth(src);
  if (depth != bitmap_color_depth(dest) || depth != masks.depth) return -1;
  if (!clip_source(src, 2, 1, sx, sy, dx, dy, w, h)) return -1;

  // Whole source pixels left of or above the clip rectangle are skipped; an
  // odd offset leaves one destination pixel outside, which put_px drops.
  if (dx < dest->cl) {
    int skip = (dest->cl - dx) / 2;
    sx += skip, w -= skip, dx += 2 * skip;
  }
  if (dy < dest->ct) {
    int skip = (dest->ct - dy) / 2;
    sy += skip, h -= skip, dy += 2 * skip;
  }
  w = std::min(w, (dest->cr - dx + 1) / 2);
  h = std::min(h, (dest->cb - dy + 1) / 2);
  if (w <= 0 || h <= 0) return -1;
  if (w < 4 || h < 4) {
    stretch_blit(src, dest, sx, sy, w, h, dx, dy, 2 * w, 2 * h);
    return 0;
  }

  if (depth == 32 && is_memory_bitmap(src) && is_memory_bitmap(dest)) {
#ifdef __SSE2__
    if (path == ScalerPath::FASTEST) {
      super2xsai_rows32_sse2(src, dest, sx, sy, dx, dy, w, h);
      return 0;
    }
#endif
    super2xsai_rows32_plain(src, dest, sx, sy, dx, dy, w, h);
    return 0;
  }
  const int x0 = sx, y0 = sy, xmax = src->w - 1, ymax = src->h - 1;
  auto px = [&](int x, int y) {
    return get_px(src, depth, std::clamp(x, x0, xmax), std::clamp(y, y0, ymax));
  };
  auto put = [&](int x, int y, uint32_t c) { put_px(dest, depth, x, y, c); };
  super2xsai_block(sx, sy, dx, dy, w, h, px, put);
  return 0;
}

int scale_3_2(BITMAP* src, BITMAP* dest, int sx, int sy, int dx, int dy, int w, int h,
              int limit_x, int limit_y) {
  if (!src || !dest || bitmap_color_depth(src) != 32 || bitmap_color_depth(dest) != 32) return -1;
  if (!clip_source(src, 3, 2, sx, sy, dx, dy, w, h)) return 0;
  const int right = std::min(limit_x, dest->cr), bottom = std::min(limit_y, dest->cb);
  // Whole blocks before the clip edge are skipped; a partial block is cut
  // pixel by pixel, so the picture keeps its place to the pixel.
  if (dx < dest->cl) {
    int blocks = (dest->cl - dx) / 3;
    sx += 2 * blocks, w -= 2 * blocks, dx += 3 * blocks;
  }
  if (dy < dest->ct) {
    int blocks = (dest->ct - dy) / 3;
    sy += 2 * blocks, h -= 2 * blocks, dy += 3 * blocks;
  }
  w = std::min(w, 2 * ((right - dx + 2) / 3));
  h = std::min(h, 2 * ((bottom - dy + 2) / 3));
  if (w < 1 || h < 1) return 0;

  const int xmax = std::min(src->w, sx + w) - 1, ymax = std::min(src->h, sy + h) - 1;
  // Rows are written directly where the bitmaps have them, pixel by pixel
  // through the accessors otherwise; only inside the limits and the clip.
  const bool direct = is_memory_bitmap(src) && is_memory_bitmap(dest);
  const int left = dest->cl, bottom_row = std::min(bottom, dest->cb), top = dest->ct;
  const int right_col = std::min(right, dest->cr);
  for (int j = 0; j < h; j += 2) {
    const int y = sy + j, y2 = std::min(y + 1, ymax), oy = dy + j / 2 * 3;
    uint32_t* rows[3] = {};
    if (direct)
      for (int k = 0; k < 3; ++k)
        if (oy + k >= top && oy + k < bottom_row)
          rows[k] = reinterpret_cast<uint32_t*>(dest->line[oy + k]);
    for (int i = 0; i < w; i += 2) {
      const int x = sx + i, x2 = std::min(x + 1, xmax), ox = dx + i / 2 * 3;
      const uint32_t a = get_px(src, 32, x, y), b = get_px(src, 32, x2, y);
      const uint32_t c = get_px(src, 32, x, y2), e = get_px(src, 32, x2, y2);
      const uint32_t block[3][3] = {{a, avg2(a, b), b},
                                    {avg2(a, c), avg4(a, b, c, e), avg2(b, e)},
                                    {c, avg2(c, e), e}};
      const bool inside = ox >= left && ox + 3 <= right_col;
      for (int k = 0; k < 3; ++k) {
        if (direct && inside) {
          if (rows[k]) std::copy(block[k], block[k] + 3, rows[k] + ox);
          continue;
        }
        if (oy + k >= bottom) continue;
        for (int n = 0; n < 3; ++n)
          if (ox + n < right) put_px(dest, 32, ox + n, oy + k, block[k][n]);
      }
    }
  }
  return 0;
}
