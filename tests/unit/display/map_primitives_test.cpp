#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "unit/display/map_test_world.h"
#include "unit/display/text_test_support.h"

namespace {

using MapPrimitives = MapWorld;

TEST_F(MapPrimitives, BarLengthIsClampedAndEmptyBarsDrawNothing) {
  const int red = makecol(254, 0, 0);
  struct {
    float fraction;
    bool doubled;
    int row, pixels;
  } cases[] = {
      {1.5f, false, 0, 32 * 3},  {1.5f, true, 0, 64 * 3}, {0.5f, false, 1, 16 * 3},
      {-0.1f, false, 0, 0},      {0.0f, false, 0, 0},     {0.01f, false, 0, 0},
      {std::numeric_limits<float>::quiet_NaN(), false, 0, 0},
  };
  for (const auto& c : cases) {
    clear_bitmap(d.play_bitmap);
    d.draw_bar(100, 100, c.row, red, c.doubled, c.fraction);
    EXPECT_EQ(count_colour(d.play_bitmap, 90, 80, 100, 30, red), c.pixels) << c.fraction;
    if (c.pixels) {
      // Rows stack upwards three pixels apart.
      EXPECT_EQ(getpixel(d.play_bitmap, 100, 100 - 3 * c.row), red);
      EXPECT_EQ(getpixel(d.play_bitmap, 100, 100 - 3 * c.row + 3), 0);
    }
  }
}

// Darkening and the colour effects on pixels at the edges of their rules
// ("dark" is every component at most 9), with the unused top byte set on
// some. View cell 2 is cut to its first k columns for every k, so that the
// four-pixel loops meet every tail length, and each row holds the pixels one
// column further on than the row above, so that each passes through every
// lane: every result must be the one-pixel loop's (k = 1) for that pixel, and
// nothing right of the cut may change.
TEST_F(MapPrimitives, DarkeningAndColourEffectsAtEveryWidth) {
  const int rgb_top[][4] = {
      {9, 9, 9, 0},       {10, 9, 9, 0},     {9, 10, 9, 0},   {9, 9, 10, 0},
      {100, 100, 100, 0}, {200, 160, 90, 0}, {0, 0, 0, 0},    {255, 255, 255, 0},
      {9, 9, 9, 1},       {10, 9, 9, 1},     {10, 10, 10, 0}, {1, 254, 128, 0},
      {246, 247, 254, 0}, {9, 255, 9, 0},    {0, 0, 0, 1},    {255, 255, 255, 1}};
  constexpr int n = 16, outside = 0x123456;
  int edge[n], one[n];
  for (int j = 0; j < n; ++j) {
    const auto [r, g, b, top] = rgb_top[j];
    edge[j] = makecol(r, g, b) | (top ? ~makecol(255, 255, 255) : 0);
  }
  BITMAP* whole = d.play_bitmap;
  auto at_every_width = [&](const std::string& what, auto op) {
    for (int k = 1; k <= PLAY_CELL; ++k) {
      clear_to_color(whole, outside);
      for (int j = 0; j < PLAY_CELL; ++j)
        for (int i = 0; i < k; ++i) putpixel(whole, 64 + i, j, edge[(i + j) % n]);
      d.play_bitmap = create_sub_bitmap(whole, 0, 0, 64 + k, PLAY_CELL);
      op();
      destroy_bitmap(d.play_bitmap);
      d.play_bitmap = whole;
      for (int j = 0; j < PLAY_CELL; ++j)
        for (int i = 0; i < PLAY_CELL; ++i) {
          if (k == 1 && j < n) one[j] = getpixel(whole, 64, j);
          ASSERT_EQ(getpixel(whole, 64 + i, j), i < k ? one[(i + j) % n] : outside)
              << what << ", width " << k << ", column " << i << ", row " << j;
        }
    }
  };
  // Darkening (200, 160, 90), each component to itself: untouched up to
  // alpha 0, black from 255 on.
  for (int alpha : {-5, 0, 1, 9, 10, 127, 128, 200, 254, 255, 300}) {
    at_every_width("darken " + std::to_string(alpha), [&] { d.darken_cell(2, 0, alpha); });
    const int want = alpha <= 0 ? makecol(200, 160, 90) : alpha >= 255 ? 0
                     : alpha == 128 ? makecol(99, 79, 44) : one[5];
    EXPECT_EQ(one[5], want) << "darken " << alpha;
  }
  // At full strength: the dark (9,9,9), the lit (10,9,9) and the grey 100.
  struct {
    int mode;
    int dark[3], lit[3], grey[3];
  } modes[] = {
      {1, {246, 246, 246}, {245, 246, 246}, {155, 155, 155}},  // inverts dark pixels too
      {2, {9, 9, 9}, {255, 255, 255}, {255, 255, 255}},
      {3, {9, 9, 9}, {255, 9, 9}, {255, 100, 100}},
      {4, {9, 9, 9}, {10, 9, 255}, {100, 100, 255}},
      {5, {9, 9, 9}, {10, 255, 9}, {100, 255, 100}},
      {6, {9, 9, 9}, {255, 255, 9}, {255, 255, 100}},
      {7, {9, 9, 9}, {255, 153, 50}, {255, 153, 50}},
      {8, {255, 9, 9}, {255, 9, 9}, {255, 100, 100}},  // reddens dark pixels too
      {9, {9, 9, 9}, {160, 255, 9}, {160, 255, 100}},
      {10, {9, 9, 9}, {85, 9, 144}, {85, 100, 144}},
      {11, {9, 9, 9}, {10, 130, 9}, {100, 130, 100}},
      {12, {9, 9, 9}, {10, 9, 9}, {100, 100, 100}},  // unknown: unchanged
  };
  for (const auto& m : modes)
    for (int strength : {0, 100, 255}) {
      const std::string what =
          "mode " + std::to_string(m.mode) + " at " + std::to_string(strength);
      at_every_width(what, [&] { d.colour_effect(2, 0, strength, m.mode); });
      if (strength < 255) continue;
      EXPECT_EQ(one[0], makecol(m.dark[0], m.dark[1], m.dark[2])) << what;
      EXPECT_EQ(one[1], makecol(m.lit[0], m.lit[1], m.lit[2])) << what;
      EXPECT_EQ(one[4], makecol(m.grey[0], m.grey[1], m.grey[2])) << what;
    }
}

TEST_F(MapPrimitives, ColourEffectAtHalfStrengthOnOneCellInTheView) {
  rectfill(d.play_bitmap, 64, 64, 127, 95, makecol(100, 100, 100));
  d.colour_effect(2, 2, 128, 2);
  EXPECT_EQ(getr(getpixel(d.play_bitmap, 70, 70)), 100 + static_cast<int>(155 * (128 / 255.0)));
  EXPECT_EQ(getpixel(d.play_bitmap, 100, 70), makecol(100, 100, 100));
  // Off the view: nothing, no crash.
  d.colour_effect(-1, 0, 255, 2);
  d.colour_effect(65, 0, 255, 2);
}

TEST_F(MapPrimitives, MapTileSubstitutions) {
  if (!have_art) GTEST_SKIP() << "generated art missing";
  auto cell_of = [&](int tile) {
    clear_bitmap(d.play_bitmap);
    d.draw_map_tile(0, 0, tile, 0, 1);
    return getpixel(d.play_bitmap, 16, 16);
  };
  const int unknown = cell_of(126);
  EXPECT_EQ(cell_of(5000), unknown);
  EXPECT_EQ(cell_of(-3), unknown);
  EXPECT_NE(cell_of(TILE_GRASS), unknown);
}

// A shore, plain or blocking, lies over the moving water: its cell changes
// with the animation step; grass does not.
TEST_F(MapPrimitives, ShoresShowTheMovingWaterBeneath) {
  if (!have_art) GTEST_SKIP() << "generated art missing";
  const struct {
    const char* what;
    int tile;
    bool moves;
  } cases[] = {{"a plain shore", 44, true}, {"a blocking shore", 68, true}, {"grass", TILE_GRASS, false}};
  me.health[HN_HELD] = 1;  // the figure keeps its first frame
  for (const auto& c : cases) {
    cmap.set_tile(WORLD_PX + 1, WORLD_PY, c.tile);
    cmap.calc_layers();
    const std::vector<int> before = drawn_cell(1, 0);
    d.draw_window(true, nullptr);
    EXPECT_EQ(drawn_cell(1, 0) != before, c.moves) << c.what;
  }
}

TEST_F(MapPrimitives, ItemIconsAndOverlaysNeedTheOverlayPicture) {
  BITMAP* kept = d.overlay;
  d.overlay = nullptr;
  clear_bitmap(d.play_bitmap);
  d.draw_item_icon(1, 1, Item(0x300L), false, 0, 0, 0, 0);
  d.draw_overlay(1, 1, 3, 0, 0, 0, 0);
  EXPECT_EQ(count_colour(d.play_bitmap, 32, 32, 32, 32, 0), 32 * 32);
  d.overlay = kept;
  // Kinds outside 1..7 draw nothing even with the picture.
  d.draw_overlay(1, 1, 8, 0, 0, 0, 0);
  d.draw_overlay(1, 1, 0, 0, 0, 0, 0);
  EXPECT_EQ(count_colour(d.play_bitmap, 32, 32, 32, 32, 0), 32 * 32);
}

TEST_F(MapPrimitives, NegativeArgumentsDrawNoFrame) {
  d.special = create_bitmap(256, 400);
  clear_to_color(d.special, makecol(255, 255, 255));
  clear_bitmap(d.play_bitmap);
  d.draw_effect_frame(1, 1, -1);
  d.draw_effect_frame_at(-8, 40.0f, 40.0f);
  EXPECT_EQ(count_colour(d.play_bitmap, 0, 0, 100, 100, 0), 100 * 100);
  d.draw_effect_frame(1, 1, 0);
  EXPECT_EQ(getpixel(d.play_bitmap, 40, 40), makecol(255, 255, 255));
  destroy_bitmap(d.special);
  d.special = nullptr;
}

}  // namespace
