#include <gtest/gtest.h>

#include <cmath>
#include <limits>

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

TEST_F(MapPrimitives, ColourEffectModesOnDarkAndMidPixels) {
  struct {
    int mode;
    int dark[3], mid[3];
  } cases[] = {
      {1, {250, 250, 250}, {155, 155, 155}},  // inverts dark pixels too
      {2, {5, 5, 5}, {255, 255, 255}},
      {3, {5, 5, 5}, {255, 100, 100}},
      {4, {5, 5, 5}, {100, 100, 255}},
      {5, {5, 5, 5}, {100, 255, 100}},
      {7, {5, 5, 5}, {255, 153, 50}},
      {8, {255, 5, 5}, {255, 100, 100}},  // reddens dark pixels too
      {10, {5, 5, 5}, {85, 100, 144}},
      {12, {5, 5, 5}, {100, 100, 100}},   // unknown: unchanged
  };
  for (const auto& c : cases) {
    rectfill(d.play_bitmap, 64, 64, 95, 79, makecol(5, 5, 5));
    rectfill(d.play_bitmap, 64, 80, 95, 95, makecol(100, 100, 100));
    d.colour_effect(2, 2, 255, c.mode);
    const int a = getpixel(d.play_bitmap, 70, 70), b = getpixel(d.play_bitmap, 70, 90);
    EXPECT_EQ(a, makecol(c.dark[0], c.dark[1], c.dark[2])) << "mode " << c.mode;
    EXPECT_EQ(b, makecol(c.mid[0], c.mid[1], c.mid[2])) << "mode " << c.mode;
  }
  // Half strength moves half way; the neighbouring cell is untouched.
  rectfill(d.play_bitmap, 64, 64, 127, 95, makecol(100, 100, 100));
  d.colour_effect(2, 2, 128, 2);
  EXPECT_EQ(getr(getpixel(d.play_bitmap, 70, 70)), 100 + static_cast<int>(155 * (128 / 255.0)));
  EXPECT_EQ(getpixel(d.play_bitmap, 100, 70), makecol(100, 100, 100));
  // Off the view: nothing, no crash.
  d.colour_effect(-1, 0, 255, 2);
  d.colour_effect(65, 0, 255, 2);
}

TEST_F(MapPrimitives, DarkenCellAtTheAlphaBounds) {
  struct {
    int alpha, want;
  } cases[] = {{0, 200}, {255, 0}, {128, 99}, {300, 0}, {-5, 200}};
  for (const auto& c : cases) {
    clear_to_color(d.play_bitmap, makecol(200, 160, 90));
    d.darken_cell(1, 1, c.alpha);
    // Each component keeps to itself.
    const int p = getpixel(d.play_bitmap, 40, 40);
    EXPECT_EQ(getr(p), c.want) << c.alpha;
    EXPECT_EQ(getg(p), c.want * 160 / 200) << c.alpha;
    EXPECT_EQ(getb(p), c.want * 90 / 200) << c.alpha;
    EXPECT_EQ(getpixel(d.play_bitmap, 70, 40), makecol(200, 160, 90));
  }
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
