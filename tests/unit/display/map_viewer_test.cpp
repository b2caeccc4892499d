#include <gtest/gtest.h>

#include <filesystem>

#include "core/string_utils.h"
#include "unit/app/app_test_support.h"
#include "unit/display/map_test_world.h"

namespace {

using MapViewer = MapWorld;

TEST_F(MapViewer, NoPictureOrNoCellsShowsBlack) {
  if (d.map_picture) destroy_bitmap(d.map_picture);
  d.map_picture = nullptr;
  clear_to_color(d.play_bitmap, makecol(9, 9, 9));
  d.draw_map_view(false);
  EXPECT_EQ(getpixel(d.play_bitmap, 300, 300), makecol(0, 0, 0));
  // A level of no cells: no picture and nothing divided by zero.
  const int w = cmap.width;
  cmap.width = 0;
  d.draw_map_view(true);
  EXPECT_EQ(d.map_picture, nullptr);
  d.draw_map_view(false);
  cmap.width = w;
}

TEST_F(MapViewer, PictureOfVisitedCellsScaledToFit) {
  ASSERT_EQ(cmap.set_size(250, 100, false), 0);
  for (int x = 0; x < 250; ++x)
    for (int y = 0; y < 100; ++y) cmap.set_tile(x, y, TILE_GRASS);
  cmap.set_tile(200, 50, TILE_WALL);
  cmap.set_tile(201, 50, TILE_WALL);
  cmap.set_region(190, 40, 249, 99, 5);
  cmap.calc_layers();
  me.x = 10;
  me.y = 10;
  for (int x = 0; x < 250; ++x)
    for (int y = 0; y < 100; ++y) d.minimap[x][y] = 1;
  d.minimap[5][5] = 0;
  d.minimap[201][50] = 0;
  d.draw_map_view(true);
  ASSERT_NE(d.map_picture, nullptr);
  EXPECT_EQ(d.map_picture->w, 1000);
  EXPECT_EQ(d.map_picture->h, 400);
  struct {
    int x, y, r, g, b;
  } blocks[] = {
      {5, 5, 0, 0, 0},         // never visited
      {201, 50, 0, 0, 0},
      {200, 50, 127, 111, 0},  // a visited wall in another region
  };
  for (const auto& b : blocks)
    EXPECT_EQ(getpixel(d.map_picture, 4 * b.x + 2, 4 * b.y + 2), makecol(b.r, b.g, b.b))
        << b.x << "," << b.y;
  if (have_art) {
    const int seen = getpixel(d.map_picture, 4 * 100 + 1, 4 * 20 + 1);
    const int other = getpixel(d.map_picture, 4 * 220 + 1, 4 * 60 + 1);
    EXPECT_NE(seen, makecol(0, 0, 0));
    EXPECT_EQ(getg(other), getg(seen) / 2);  // another region is darker
  }
  // 800 by 600: the area is 568 by 505, the picture scaled by 0.568 and
  // centred vertically: 227 rows from y 138.
  d.draw_map_view(false);
  EXPECT_EQ(getpixel(d.play_bitmap, 284, 130), makecol(0, 0, 0));
  if (have_art) {
    EXPECT_NE(getpixel(d.play_bitmap, 284, 150), makecol(0, 0, 0));
    EXPECT_NE(getpixel(d.play_bitmap, 284, 360), makecol(0, 0, 0));
  }
  EXPECT_EQ(getpixel(d.play_bitmap, 284, 370), makecol(0, 0, 0));
  // The player's cell pulses red on the picture.
  EXPECT_GT(getr(getpixel(d.map_picture, 4 * 10 + 1, 4 * 10 + 1)), 60);
  EXPECT_EQ(getg(getpixel(d.map_picture, 4 * 10 + 1, 4 * 10 + 1)), 0);
}

TEST_F(MapViewer, TilesWithoutAPictureAreBlack) {
  d.minimap[3][3] = 1;
  const int kept = d.tile_ids[TILE_GRASS];
  d.tile_ids[TILE_GRASS] = -2;
  d.draw_map_view(true);
  ASSERT_NE(d.map_picture, nullptr);
  EXPECT_EQ(getpixel(d.map_picture, 13, 13), makecol(0, 0, 0));
  d.tile_ids[TILE_GRASS] = kept;
}

// The map open while the server moves the player: the viewer shows the new
// level with its own minimap, whether its file was here or transferred.
TEST_F(MapViewer, LevelChangeWhileOpenShowsTheNewLevel) {
  TempDir::copy_gamedata("cmaps");
  const unsigned crc1 = static_cast<unsigned>(file_crc32("cmaps/lvl001.map"));
  const unsigned crc2 = static_cast<unsigned>(file_crc32("cmaps/lvl002.map"));
  const struct {
    const char* what;
    std::string file;  // sent as the transfer, if any
    std::string line;
  } cases[] = {
      {"the level file here", "", format_str("K 0 2 2 5 5 %x", crc2)},
      {"the level file transferred", "FILE cmaps/lvl002.map 0 0", format_str("K 1 2 2 5 5 %x", crc2)},
  };
  me.name = "Wren";
  std::string grid(62500, '\0');
  grid[10 * 250 + 10] = MINIMAP_GROUND;  // (10, 10) seen on level 2
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir::write("cmaps/Wren.002.mm", grid);
    LoopbackServer s;
    app.process_pkt(format_str("K 0 1 1 5 5 %x", crc1));
    ASSERT_EQ(cmap.get_level(), 1);
    view_map();
    // Level 1 is 64 by 40 cells, level 2 48 by 36: 4 pixels a cell.
    ASSERT_NE(d.map_picture, nullptr);
    ASSERT_EQ(d.map_picture->w, 256);
    if (!c.file.empty()) s.send(c.file);
    app.process_pkt(c.line);
    EXPECT_TRUE(map_open());
    ASSERT_NE(d.map_picture, nullptr);
    EXPECT_EQ(d.map_picture->w, 192);
    EXPECT_EQ(d.map_picture->h, 144);
    // The cell the level's minimap holds is drawn.
    if (have_art) {
      EXPECT_NE(getpixel(d.map_picture, 4 * 10 + 1, 4 * 10 + 1), makecol(0, 0, 0));
    }
  }
  gc_interface_mode = MODE_NORMAL;
}

}  // namespace
