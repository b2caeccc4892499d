// Minimap categories, bounds, window and fit; aux box sizes, escapes and drawing.
#include "display/minimap_box.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/globals.h"
#include "core/ids.h"
#include "text_test_support.h"
#include "unit/world/world_tiles.h"
#include "world/cmap.h"

namespace {

TEST(Minimap, CategoryOrder) {
  const struct {
    int tile;
    bool blocking, wet, wall;
    int category;
  } cases[] = {
      {220, false, true, false, MINIMAP_WET},  {220, false, false, false, MINIMAP_LAVA},
      {220, true, true, true, MINIMAP_BLOCKING}, {35, false, false, true, MINIMAP_WALL},
      {64, false, false, false, MINIMAP_FOREST}, {64, false, false, true, MINIMAP_WALL},
      {221, false, false, false, MINIMAP_VOID}, {225, false, false, false, MINIMAP_VOID},
      {240, false, false, false, MINIMAP_VOID}, {46, false, false, false, MINIMAP_GROUND},
      {225, false, true, false, MINIMAP_WET},
  };
  for (const auto& c : cases)
    EXPECT_EQ(minimap_category(c.tile, c.blocking, c.wet, c.wall), c.category) << c.tile << c.wet << c.wall;
}

struct MinimapMap : ::testing::Test {
  TempDir dir;
  CMap map;
  void SetUp() override {
    load_world_tiles();
    ASSERT_EQ(map.set_size(30, 20, false), 0);
  }
};

TEST_F(MinimapMap, BuildAndSetCellClassifyByTheTileTable) {
  const struct {
    int x, y, tile, category;
  } cases[] = {
      {0, 0, T_WALL, MINIMAP_BLOCKING}, {1, 0, T_DEEP, MINIMAP_WET},    {2, 0, T_QUAY, MINIMAP_WET},
      {3, 0, T_FOREST, MINIMAP_FOREST}, {4, 0, T_VOID, MINIMAP_VOID},   {5, 0, T_GRASS, MINIMAP_GROUND},
      {6, 0, T_LAVA, MINIMAP_BLOCKING}, {29, 19, T_SHALLOWS, MINIMAP_WET},
  };
  for (const auto& c : cases) map.set_tile(c.x, c.y, c.tile);
  MinimapGrid grid;
  grid.build(map, tiledata);
  for (const auto& c : cases) EXPECT_EQ(grid.get(c.x, c.y), c.category) << c.tile;
  EXPECT_EQ(grid.get(30, 0), MINIMAP_UNSET);  // beyond the level
  grid.clear();
  EXPECT_EQ(grid.get(0, 0), MINIMAP_UNSET);
  grid.set_cell(map, tiledata, 3, 3, T_FOREST);
  grid.set_cell(map, tiledata, -1, 3, T_FOREST);
  grid.set_cell(map, tiledata, 250, 3, T_FOREST);
  EXPECT_EQ(grid[3][3], MINIMAP_FOREST);
  EXPECT_EQ(grid.get(-1, 3), MINIMAP_UNSET);
}

TEST_F(MinimapMap, BoundsOfTheRegionOrTheOpenLevel) {
  map.set_region(2, 3, 6, 8, 5);
  map.set_region(10, 1, 12, 4, 5);
  map.open_bounds = {0, 0, 29, 19};
  const struct {
    int region;
    std::vector<int> rect;  // x1, y1, x2, y2; none: empty
  } cases[] = {
      {5, {2, 1, 13, 9}},
      {0, {0, 0, 30, 20}},
      {-1, {0, 0, 30, 20}},  // off the map: the open level, not an empty box
      {7, {}},               // a region with no rectangle
  };
  for (const auto& c : cases) {
    CellRect b = minimap_bounds(map, c.region);
    EXPECT_EQ(b.empty(), c.rect.empty()) << c.region;
    if (!c.rect.empty()) {
      EXPECT_EQ((std::vector<int>{b.x1, b.y1, b.x2, b.y2}), c.rect) << c.region;
    }
  }
  map.open_bounds = {9999, 9999, -1, -1};  // every cell lies in some region
  EXPECT_TRUE(minimap_bounds(map, -1).empty());
  EXPECT_TRUE(minimap_window(5, 5, minimap_bounds(map, 0), 48).empty());
}

TEST(Minimap, WindowAroundThePlayer) {
  const struct {
    int px, py;
    CellRect bounds;
    int span;
    std::vector<int> window;  // left, top, w, h
  } cases[] = {
      {15, 10, {0, 0, 30, 20}, 48, {0, 0, 30, 20}},      {100, 100, {0, 0, 250, 250}, 48, {76, 76, 48, 48}},
      {240, 5, {0, 0, 250, 250}, 48, {202, 0, 48, 48}},  {10, 10, {0, 0, 250, 250}, 96, {0, 0, 96, 96}},
      {50, 50, {40, 45, 60, 55}, 48, {40, 45, 20, 10}},  {-30, 300, {0, 0, 250, 250}, 48, {0, 202, 48, 48}},
      {5, 5, {}, 48, {0, 0, 0, 0}},                      {5, 5, {0, 0, 10, 10}, 0, {0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    MinimapWindow w = minimap_window(c.px, c.py, c.bounds, c.span);
    EXPECT_EQ((std::vector<int>{w.left, w.top, w.w, w.h}), c.window) << c.px << "," << c.py;
  }
}

TEST(Minimap, FitInTheBox) {
  const struct {
    int w, h;
    std::vector<int> fit;  // whole, x, y, w, h
  } cases[] = {
      {30, 20, {0, 0, 16, 96, 64}}, {20, 30, {0, 16, 0, 64, 96}}, {48, 48, {1, 0, 0, 96, 96}},
      {47, 100, {0, 25, 0, 45, 96}}, {1, 1, {0, 0, 0, 96, 96}},  {0, 20, {0, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    BoxFit f = minimap_fit({0, 0, c.w, c.h});
    EXPECT_EQ((std::vector<int>{f.whole, f.x, f.y, f.w, f.h}), c.fit) << c.w << "x" << c.h;
  }
}

struct MinimapDrawing : MinimapMap {
  AllegroHeadless allegro;
};

TEST_F(MinimapDrawing, SmallLevelCentredWithBarsAndMarks) {
  ASSERT_EQ(map.set_size(10, 8, false), 0);
  map.open_bounds = {0, 0, 9, 7};
  map.name = "Reed_Marsh";
  MinimapGrid grid;
  for (int x = 0; x < 10; ++x)
    for (int y = 0; y < 8; ++y) grid[x][y] = MINIMAP_GROUND;
  std::vector<TrackedCreature> tracked(2);
  tracked[0].x = 2, tracked[0].y = 2, tracked[0].level = 4;
  tracked[1].x = 8, tracked[1].y = 1, tracked[1].level = 5;

  BITMAP* mm = create_bitmap_ex(32, 250, 250);
  BITMAP* dest = create_bitmap_ex(32, 300, 200);
  clear_to_color(dest, makecol32(1, 2, 3));
  MinimapDraw how{dest, mm, font, 100, 50, 48};
  draw_minimap(grid, map, 5, 4, 4, tracked, how);

  // A 10 by 8 window becomes 96 by 76 at (0, 10) of the box: 9.6 by 9.5 pixels a cell.
  auto cell_pixel = [&](int x, int y) { return getpixel(dest, 100 + x * 96 / 10 + 4, 60 + y * 76 / 8 + 4); };
  EXPECT_EQ(getpixel(dest, 148, 52), makecol32(0, 0, 0));   // bar above
  EXPECT_EQ(getpixel(dest, 148, 145), makecol32(0, 0, 0));  // bar below
  EXPECT_EQ(cell_pixel(5, 4), makecol32(254, 0, 0));        // the player
  EXPECT_EQ(cell_pixel(6, 4), makecol32(58, 42, 36));       // no plus in a small window
  EXPECT_EQ(cell_pixel(2, 2), makecol32(229, 101, 59));     // a creature on this level
  EXPECT_EQ(cell_pixel(8, 1), makecol32(58, 42, 36));       // one on another level is not shown
  EXPECT_EQ(getpixel(dest, 99, 100), makecol32(1, 2, 3));
  EXPECT_EQ(getpixel(dest, 196, 100), makecol32(1, 2, 3));
  EXPECT_GT(count_colour(dest, 196 - 80, 39, 80, 8, makecol32(255, 255, 255)), 20);  // "Reed Marsh"

  // Off a level whose cells all lie in regions there is nothing to show.
  clear_to_color(dest, makecol32(1, 2, 3));
  map.open_bounds = {9999, 9999, -1, -1};
  draw_minimap(grid, map, -5, -5, 4, tracked, how);
  EXPECT_EQ(count_colour(dest, 0, 0, 300, 200, makecol32(1, 2, 3)), 300 * 200);
  destroy_bitmap(mm);
  destroy_bitmap(dest);
}

TEST(AuxBox, SizesFollowTheScreen) {
  for (const auto& [screen_h, lines] : std::vector<std::pair<int, int>>{{600, 14}, {464, 1}, {463, 0}, {0, 0}})
    EXPECT_EQ(auxbox_height(screen_h), lines) << screen_h;
  const int widths[][3] = {{800, 568, 27}, {1280, 816, 27}, {800, 800, 0}, {100, 568, 0}, {800, 580, 26}};
  for (const auto& [screen_w, panel_x, chars] : widths)
    EXPECT_EQ(auxbox_width(screen_w, panel_x), chars) << screen_w << " " << panel_x;
}

// The script API's test writes lines at and past the box's end through the
// display; here a negative line, and a screen too short for the box.
TEST(AuxBox, LinesWithinTheBoxOnly) {
  AuxBox box;
  box.reset(600);
  box.set_line(-1, "text");
  EXPECT_EQ(box.lines, std::vector<std::string>(14));
  box.set_line(3, "kept");
  box.clear(460);  // too short a screen to show the box: nothing changes
  EXPECT_EQ(box.lines[3], "kept");
  box.clear(600);
  EXPECT_EQ(box.lines[3], "");
  box.reset(440);
  box.set_line(0, "x");
  EXPECT_TRUE(box.lines.empty());
}

TEST(AuxBox, ColourEscapes) {
  const struct {
    std::string line;
    std::string drawn;
    int r, g, b;  // colour of the last character and the one carried on
  } cases[] = {
      {"{f00}ab", "ab", 255, 0, 0},
      {"{00ff00}x", "x", 0, 255, 0},
      {"{F0a}y", "y", 255, 0, 170},
      {"{abcdef}z", "z", 171, 205, 239},
      {"{0f0}{00f}z", "z", 0, 0, 255},
      {"{12}x", "{12}x", 255, 255, 255},
      {"{zzz}q", "{zzz}q", 255, 255, 255},
      {"a{f0", "a{f0", 255, 255, 255},
      {"{1234567}", "{1234567}", 255, 255, 255},
      {"{f00", "{f00", 255, 255, 255},
      {"{", "{", 255, 255, 255},
  };
  for (const auto& c : cases) {
    Rgb colour{255, 255, 255};
    std::vector<AuxChar> out = layout_aux_line(c.line, colour);
    std::string drawn;
    for (size_t k = 0; k < out.size(); ++k) {
      drawn += out[k].ch;
      EXPECT_EQ(out[k].column, static_cast<int>(k)) << c.line;
    }
    EXPECT_EQ(drawn, c.drawn) << c.line;
    ASSERT_FALSE(out.empty()) << c.line;
    EXPECT_EQ(out.back().colour.r, c.r) << c.line;
    EXPECT_EQ(out.back().colour.g, c.g) << c.line;
    EXPECT_EQ(out.back().colour.b, c.b) << c.line;
    EXPECT_EQ(colour.b, c.b) << c.line;
  }
  Rgb colour{255, 255, 255};
  layout_aux_line("{f00}red", colour);
  EXPECT_EQ(layout_aux_line("still red", colour)[0].colour.g, 0);
}

struct AuxDrawing : ::testing::Test {
  AllegroHeadless allegro;
};

TEST_F(AuxDrawing, LinesBelowThePanelAndNothingOnShortScreens) {
  BITMAP* bmp = create_bitmap_ex(32, 800, 600);
  clear_bitmap(bmp);
  AuxBox box;
  box.reset(600);
  box.set_line(0, "{f00}Red");
  box.set_line(2, "white again? no: still red");
  box.draw(bmp, 568, 460);
  EXPECT_EQ(count_colour(bmp, 0, 0, 800, 600, 0), 800 * 600);
  box.draw(bmp, 568, 600);
  const int red = makecol32(255, 0, 0);
  EXPECT_GT(count_colour(bmp, 577, 454, 24, 8, red), 10);
  EXPECT_GT(count_colour(bmp, 577, 474, 100, 8, red), 10);
  EXPECT_EQ(count_colour(bmp, 0, 0, 577, 600, red), 0);
  EXPECT_EQ(count_colour(bmp, 0, 0, 800, 454, red), 0);
  destroy_bitmap(bmp);
}

}  // namespace
