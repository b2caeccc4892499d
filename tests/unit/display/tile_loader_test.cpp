#include <gtest/gtest.h>

#include <memory>

#include "app/globals.h"
#include "display/display.h"
#include "support/temp_dir.h"
#include "unit/display/fixture_art.h"
#include "unit/display/headless.h"

namespace {

using fixture_art::write_sheet;

class TileLoader : public testing::Test {
 protected:
  void SetUp() override {
    headless_allegro(32);
    std::filesystem::create_directories("pics");
    client_cfg.erase_key("tiles32");
  }
  void TearDown() override { client_cfg.erase_key("tiles32"); }

  // The colour write_sheet gives cell i of a sheet made with `seed`.
  static int cell_colour(int i, int seed) { return makecol(10 + i, 100 + seed, 200 - i); }

  TempDir dir;
  std::unique_ptr<QYXDisplay> disp = std::make_unique<QYXDisplay>();
};

TEST_F(TileLoader, EachSheetWidthFixesTheCellFormat) {
  struct {
    int width, tile, border;
  } cases[] = {{256, 16, 0}, {272, 16, 1}, {512, 32, 0}, {528, 32, 1}, {544, 32, 2}};
  for (auto& c : cases) {
    SCOPED_TRACE(c.width);
    ASSERT_TRUE(write_sheet("pics/btiles20.png", c.width, 3, 0));
    ASSERT_EQ(disp->load_tiles(), 0);
    const int cell = c.width / 16;
    EXPECT_EQ(disp->sheet_tile, c.tile);
    EXPECT_EQ(disp->sheet_border, c.border);
    EXPECT_EQ(disp->first_sheet_tiles, 48);
    ASSERT_NE(disp->tiles, nullptr);
    EXPECT_EQ(disp->tiles->w, c.tile * 32);
    EXPECT_EQ(disp->tiles->h, 3 * cell);
    // Cell 17 (row 1, column 1), away from its masked corner.
    EXPECT_EQ(getpixel(disp->tiles, cell + 2, cell + 2), cell_colour(17, 0));
  }
}

TEST_F(TileLoader, UnknownWidthOrMissingFirstSheetIsMissingTiles) {
  EXPECT_EQ(disp->load_tiles(), 2);
  ASSERT_TRUE(write_sheet("pics/btiles20.png", 300, 2, 0));
  EXPECT_EQ(disp->load_tiles(), 2);
  EXPECT_EQ(disp->tiles, nullptr);
}

TEST_F(TileLoader, PrefersThe32VariantAndFallsBackWithoutIt) {
  client_cfg.set("tiles32", "1");
  ASSERT_TRUE(write_sheet("pics/btiles20.png", 256, 2, 0));
  ASSERT_EQ(disp->load_tiles(), 0);
  EXPECT_EQ(disp->sheet_tile, 16);
  ASSERT_TRUE(write_sheet("pics/btiles20.32.png", 512, 2, 0));
  ASSERT_EQ(disp->load_tiles(), 0);
  EXPECT_EQ(disp->sheet_tile, 32);
  client_cfg.set("tiles32", "0");
  ASSERT_EQ(disp->load_tiles(), 0);
  EXPECT_EQ(disp->sheet_tile, 16);
}

TEST_F(TileLoader, LaterSheetsAreRescaledAndStackedOverGaps) {
  ASSERT_TRUE(write_sheet("pics/btiles20.png", 512, 2, 0));
  // Sheet 1 is missing; sheet 2 has 16-pixel cells and moves up behind sheet 0.
  ASSERT_TRUE(write_sheet("pics/btiles22.png", 256, 3, 2));
  ASSERT_EQ(disp->load_tiles(), 0);
  ASSERT_NE(disp->tiles, nullptr);
  EXPECT_EQ(disp->tiles->h, (2 + 3) * 32);
  EXPECT_EQ(getpixel(disp->tiles, 40, 64 + 10), cell_colour(1, 2));
  EXPECT_EQ(getpixel(disp->tiles, 10, 4 * 32 + 10), cell_colour(32, 2));
}

TEST_F(TileLoader, SheetsTallerThanNineThousandPixelsAreKeptWhole) {
  ASSERT_TRUE(write_sheet("pics/btiles20.png", 512, 150, 0));
  ASSERT_TRUE(write_sheet("pics/btiles21.png", 512, 150, 1));
  ASSERT_EQ(disp->load_tiles(), 0);
  ASSERT_NE(disp->tiles, nullptr);
  EXPECT_EQ(disp->tiles->h, 300 * 32);
  // The last cell of the second sheet, number 149 * 16 + 15.
  EXPECT_EQ(getpixel(disp->tiles, 15 * 32 + 5, 299 * 32 + 5), cell_colour((149 * 16 + 15) & 255, 1));
}

TEST_F(TileLoader, GreyCopiesKeepTheMask) {
  ASSERT_TRUE(write_sheet("pics/btiles20.png", 512, 2, 0));
  ASSERT_TRUE(fixture_art::write_overlay("pics/overlay.png", 64, 64));
  ASSERT_EQ(disp->load_tiles(), 0);
  ASSERT_NE(disp->tiles_grey, nullptr);
  // Cell 0 is (10, 100, 200): grey (310 / 3) = 103.
  EXPECT_EQ(getpixel(disp->tiles_grey, 5, 5), makecol(103, 103, 103));
  EXPECT_EQ(getpixel(disp->tiles_grey, 0, 0), makecol(255, 0, 255));
  EXPECT_EQ(getpixel(disp->tiles_grey, 0, disp->tiles_grey->h - 1), makecol(255, 0, 255));
  // The overlay is doubled for 32-pixel tiles and has its grey copy too:
  // (90, 60, 30) becomes 60.
  ASSERT_NE(disp->overlay, nullptr);
  EXPECT_EQ(disp->overlay->w, 128);
  ASSERT_NE(disp->overlay_grey, nullptr);
  EXPECT_EQ(getpixel(disp->overlay_grey, 10, 10), makecol(60, 60, 60));
}

TEST_F(TileLoader, TileAverage) {
  ASSERT_TRUE(write_sheet("pics/btiles20.png", 512, 2, 0));
  ASSERT_EQ(disp->load_tiles(), 0);
  // Cell 31 (row 1, column 15) is masked throughout: black.
  EXPECT_EQ(disp->tile_average(disp->tiles, 15 * 32, 32, false), makecol(0, 0, 0));
  // Cell 0: its masked corner is left out of the average.
  EXPECT_EQ(disp->tile_average(disp->tiles, 0, 0, false), makecol(10, 100, 200));
  EXPECT_EQ(disp->tile_average(disp->tiles, 0, 0, true), makecol(5, 50, 100));
  EXPECT_EQ(disp->colour(COL_MASK), makecol(255, 0, 255));
}

}  // namespace
