#include "display/smooth_scaler.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "display/display.h"
#include "unit/display/headless.h"

namespace {

struct Bmp {
  BITMAP* b;
  Bmp(int depth, int w, int h, int colour = 0) : b(create_bitmap_ex(depth, w, h)) {
    clear_to_color(b, colour);
  }
  ~Bmp() { destroy_bitmap(b); }
  operator BITMAP*() const { return b; }
};

TEST(ScalerMasks, MadeForEachDepth) {
  headless_allegro(32);
  struct {
    int depth, per_mask;
    uint32_t colour, low, qcolour, qlow;
  } cases[] = {
      // 5-6-5 pixels, doubled into both halves of a 32-bit word.
      {16, 2, 0xF7DEF7DE, 0x08210821, 0xE79CE79C, 0x18631863},
      {15, 2, 0x7BDE7BDE, 0x04210421, 0x739C739C, 0x0C630C63},
      {24, 1, 0xFEFEFE, 0x010101, 0xFCFCFC, 0x030303},
      {32, 1, 0xFEFEFE, 0x010101, 0xFCFCFC, 0x030303},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.depth);
    ASSERT_EQ(init_scaler(c.depth), 0);
    const ScalerMasks& m = scaler_masks();
    EXPECT_EQ(m.depth, c.depth);
    EXPECT_EQ(m.pixels_per_mask, c.per_mask);
    EXPECT_EQ(m.color_mask, c.colour);
    EXPECT_EQ(m.low_pixel_mask, c.low);
    EXPECT_EQ(m.qcolor_mask, c.qcolour);
    EXPECT_EQ(m.qlow_pixel_mask, c.qlow);
  }
  EXPECT_EQ(init_scaler(8), -1);
  EXPECT_EQ(scaler_masks().depth, 32);
}

TEST(Super2xSaI, FlatColourStaysFlat) {
  for (int depth : {16, 32}) {
    SCOPED_TRACE(depth);
    headless_allegro(depth);
    ASSERT_EQ(init_scaler(depth), 0);
    const int c = makecol_depth(depth, 91, 133, 47);
    Bmp src(depth, 40, 40, c), dest(depth, 80, 80, 0);
    ASSERT_EQ(super2xsai(src, dest, 0, 0, 0, 0, 40, 40), 0);
    for (int y = 0; y < 80; ++y)
      for (int x = 0; x < 80; ++x) ASSERT_EQ(getpixel(dest, x, y), c) << x << "," << y;
  }
}

TEST(Super2xSaI, SmallAreasArePlainlyDoubled) {
  headless_allegro(32);
  ASSERT_EQ(init_scaler(32), 0);
  // A pattern that the smoothing rule would blend: a plain doubling keeps
  // every source pixel as a 2 by 2 block.
  Bmp src(32, 3, 40), dest(32, 6, 80);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 3; ++x) putpixel(src, x, y, makecol32(80 * x, 6 * y, (x + y) % 2 * 255));
  ASSERT_EQ(super2xsai(src, dest, 0, 0, 0, 0, 3, 40), 0);
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 6; ++x) ASSERT_EQ(getpixel(dest, x, y), getpixel(src, x / 2, y / 2));
}

TEST(Super2xSaI, NegativeDestinationIsClippedNotDropped) {
  headless_allegro(32);
  ASSERT_EQ(init_scaler(32), 0);
  const int c = makecol32(200, 100, 50);
  Bmp src(32, 64, 64, c), dest(32, 100, 100, 0);
  // The play window sits at y -47 at every size and mostly at a negative x.
  ASSERT_EQ(super2xsai(src, dest, 0, 0, -47, -20, 40, 40), 0);
  // 40 source pixels cover -47..32 and -20..59; pixel 0 of x is the right
  // half of source column 23.
  EXPECT_EQ(getpixel(dest, 0, 0), c);
  EXPECT_EQ(getpixel(dest, 32, 59), c);
  EXPECT_EQ(getpixel(dest, 33, 10), 0);
  EXPECT_EQ(getpixel(dest, 10, 60), 0);
  // Entirely outside: declined, nothing drawn.
  EXPECT_EQ(super2xsai(src, dest, 0, 0, -200, 0, 40, 40), -1);
}

// The four-pixel path must give the one-pixel path's pixels everywhere:
// over noise, runs and flat areas of a few colours (the mask colour and a
// colour with bits outside the blend masks among them, so that every branch
// of the rule is taken), at the source's edges and with the destination
// clipped on every side.
TEST(Super2xSaI, FourPixelPathGivesThePlainPixels) {
  headless_allegro(32);
  ASSERT_EQ(init_scaler(32), 0);
  const int W = 61, H = 37;
  Bmp src(32, W, H);
  std::mt19937 rng(7);
  const uint32_t palette[] = {0xFF00FF, 0x000000, 0x7F7F7F, 0xFFFFFF, 0xFF3A5C1D, 0x102030};
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      uint32_t c;
      const unsigned roll = rng() % 8;
      if (x >= 40 && y >= 20)
        c = 0x336699;  // a flat block
      else if (roll < 4)
        c = palette[rng() % 6];
      else if (roll < 6 && x > 0)
        c = static_cast<uint32_t>(getpixel(src, x - 1, y));
      else if (roll < 7 && y > 0)
        c = static_cast<uint32_t>(getpixel(src, x, y - 1));
      else
        c = rng();
      putpixel(src, x, y, static_cast<int>(c));
    }
  // The source's left and right ends, the destination's left end and the
  // clip's right edge each move by one pixel, so that a group of four meets
  // every limit exactly: the bitmap's last column, the rectangle's last
  // pixel, the clip's edges; top and bottom are cut through a pixel.
  for (int sx = 0; sx < 4; ++sx)
    for (int short_by = 0; short_by < 4; ++short_by)
      for (int dx = -3; dx < 2; ++dx)
        for (int cr : {140, 110, 111, 112, 113}) {
          const int w = W - sx - short_by;
          SCOPED_TRACE(testing::Message() << "sx " << sx << " w " << w << " dx " << dx
                                          << " clip right " << cr);
          Bmp fast(32, 140, 90, 0x123456), plain(32, 140, 90, 0x123456);
          set_clip_rect(fast, 0, 0, cr - 1, 70);
          set_clip_rect(plain, 0, 0, cr - 1, 70);
          ASSERT_EQ(super2xsai(src, fast, sx, 0, dx, -1, w, H, ScalerPath::FASTEST), 0);
          ASSERT_EQ(super2xsai(src, plain, sx, 0, dx, -1, w, H, ScalerPath::PLAIN), 0);
          int differ = 0, drawn = 0;
          for (int y = 0; y < 90; ++y)
            for (int x = 0; x < 140; ++x) {
              const uint32_t a = static_cast<uint32_t>(getpixel(fast, x, y));
              differ += a != static_cast<uint32_t>(getpixel(plain, x, y));
              drawn += a != 0x123456 && a != 0x336699;
            }
          ASSERT_EQ(differ, 0);
          EXPECT_GT(drawn, 100);
        }
}

TEST(Scale32, BlocksBecomeThreeByThreeWithExactAverages) {
  headless_allegro(32);
  Bmp src(32, 2, 2), dest(32, 3, 3);
  putpixel(src, 0, 0, makecol32(10, 20, 30));
  putpixel(src, 1, 0, makecol32(30, 41, 50));
  putpixel(src, 0, 1, makecol32(50, 60, 71));
  putpixel(src, 1, 1, makecol32(70, 83, 90));
  ASSERT_EQ(scale_3_2(src, dest, 0, 0, 0, 0, 2, 2, 3, 3), 0);
  const int want[3][3][3] = {
      {{10, 20, 30}, {20, 30, 40}, {30, 41, 50}},
      // (10+30+50+70)/4 = 40, (20+41+60+83)/4 = 51 (204/4), (30+50+71+90)/4 = 60 (241/4).
      {{30, 40, 50}, {40, 51, 60}, {50, 62, 70}},
      {{50, 60, 71}, {60, 71, 80}, {70, 83, 90}},
  };
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) {
      int p = getpixel(dest, x, y);
      EXPECT_EQ(getr32(p), want[y][x][0]) << x << "," << y;
      EXPECT_EQ(getg32(p), want[y][x][1]) << x << "," << y;
      EXPECT_EQ(getb32(p), want[y][x][2]) << x << "," << y;
    }
}

TEST(Scale32, ClipsAndDeclinesOtherDepths) {
  headless_allegro(32);
  Bmp src(32, 8, 8), dest(32, 20, 20, 0);
  for (int x = 0; x < 8; ++x) rectfill(src, x, 0, x, 7, makecol32(20 * x + 10, 0, 0));
  // dx -4: one whole block (3 pixels) is skipped and the next starts at -1,
  // so pixel 0 is the middle column of block 1: avg(col 2, col 3) = 60.
  ASSERT_EQ(scale_3_2(src, dest, 0, 0, -4, 0, 8, 8, 7, 20), 0);
  EXPECT_EQ(getr32(getpixel(dest, 0, 0)), 60);
  EXPECT_EQ(getr32(getpixel(dest, 1, 0)), 70);
  EXPECT_EQ(getr32(getpixel(dest, 6, 0)), 140);
  EXPECT_EQ(getpixel(dest, 7, 0), 0);  // right limit
  Bmp src16(16, 8, 8), dest16(16, 20, 20);
  EXPECT_EQ(scale_3_2(src16, dest16, 0, 0, 0, 0, 8, 8, 20, 20), -1);
  EXPECT_EQ(scale_3_2(src, dest16, 0, 0, 0, 0, 8, 8, 20, 20), -1);
}

// The play window's copy onto the frame, by cell size and scroll state.
class PlayWindowCopy : public testing::Test {
 protected:
  // A display over a play bitmap of column stripes (cell column k in colour
  // (10 k, 0, 0)), copied with its window at cell (1, 1).
  void copy(int depth, int tile, bool smooth, int play_x, int play_y, int scroll_dx, int scroll_offset) {
    headless_allegro(depth);
    init_scaler(depth);
    auto owner = std::make_unique<QYXDisplay>();
    QYXDisplay& disp = *owner;
    disp.play_bitmap = create_bitmap_ex(depth, 320, 320);
    for (int k = 0; k < 10; ++k)
      rectfill(disp.play_bitmap, 32 * k, 0, 32 * k + 31, 319, makecol_depth(depth, 10 * k, 0, 0));
    disp.tile_size = tile;
    disp.smooth_scaling = smooth;
    disp.play_w = disp.play_h = 96;
    disp.src_x = disp.src_y = 32;
    disp.play_x = play_x;
    disp.play_y = play_y;
    disp.scroll_dx = scroll_dx;
    disp.scroll_offset = scroll_offset;
    res_x = 1280;
    res_y = 1000;
    disp.play_height = 900;
    dest.reset(new Bmp(depth, 400, 400, makecol_depth(depth, 0, 0, 255)));
    disp.blit_play_window(*dest);
    destroy_bitmap(disp.play_bitmap);
    disp.play_bitmap = nullptr;
  }
  int red_at(int x, int y) { return getr_depth(bitmap_color_depth(*dest), getpixel(*dest, x, y)); }
  // The red of stripe k as this depth stores it.
  int stripe_red(int k) {
    const int depth = bitmap_color_depth(*dest);
    return getr_depth(depth, makecol_depth(depth, 10 * k, 0, 0));
  }
  std::unique_ptr<Bmp> dest;
};

TEST_F(PlayWindowCopy, ScrollOffsetCountsScreenPixels) {
  // One whole on-screen cell still to scroll is one play-bitmap cell.
  const int cases[][3] = {{64, 64, 20}, {48, 48, 20}, {32, 32, 20}, {64, 32, 10}, {64, 0, 10}};
  for (const auto& [tile, offset, want_red] : cases) {
    copy(32, tile, false, 0, 0, 1, offset);
    EXPECT_EQ(red_at(2, 2), want_red) << tile << " " << offset;
  }
}

TEST_F(PlayWindowCopy, EveryRouteDrawsAtEveryDepth) {
  const struct {
    int depth, tile;
    bool smooth;
  } cases[] = {{16, 48, false}, {32, 48, false}, {16, 64, true}, {32, 64, true}, {24, 64, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.depth << " " << c.tile << " " << c.smooth);
    copy(c.depth, c.tile, c.smooth, -20, -47, 0, 0);
    // Source column 1 (red 10) starts the window; column 2 follows one cell on.
    EXPECT_EQ(red_at(0, 0), stripe_red(1));
    EXPECT_EQ(red_at(c.tile * 3 / 2, 0), stripe_red(2));
  }
}

}  // namespace
