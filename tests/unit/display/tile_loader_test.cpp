#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

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

// The font datafiles cut at many lengths, plain and packed: a cut font falls back to the main one
// as a missing one does, a cut main font ends start-up with status 1, and
// every font that loads draws (under the sanitizers a bad glyph would show).
TEST_F(TileLoader, CutFontDatafilesFallBack) {
  const std::filesystem::path made = std::filesystem::path(ZIB_BINARY_DIR) / "game" / "pics";
  if (!std::filesystem::exists(made / "font.dat")) GTEST_SKIP() << "generated fonts missing";
  const char* files[QYXDisplay::FONT_FILES] = {"font.dat", "names.dat", "menu.dat", "runes.dat",
                                               "book.dat"};
  FONT* QYXDisplay::*fonts[QYXDisplay::FONT_FILES] = {
      &QYXDisplay::main_font, &QYXDisplay::names_font, &QYXDisplay::menu_font,
      &QYXDisplay::rune_font, &QYXDisplay::book_font};
  std::string whole[QYXDisplay::FONT_FILES];
  for (int i = 0; i < QYXDisplay::FONT_FILES; ++i) {
    whole[i] = TempDir::read((made / files[i]).string());
    TempDir::write(std::string("pics/") + files[i], whole[i]);
  }
  ASSERT_EQ(disp->load_fonts(), 0);
  for (int i = 0; i < QYXDisplay::FONT_FILES; ++i) EXPECT_NE((*disp).*fonts[i], disp->library_font);
  BITMAP* page = create_bitmap(300, 40);
  auto cut_each = [&](int i, const std::string& content, size_t complete_from) {
    const std::string path = std::string("pics/") + files[i];
    // Every length through the header and the first glyphs, then a sample.
    for (size_t len = 0; len < content.size(); len += len < 140 ? 1 : 11) {
      SCOPED_TRACE(testing::Message() << files[i] << " cut at " << len);
      TempDir::write(path, content.substr(0, len));
      const int rc = disp->load_fonts();
      if (i == 0) {
        if (len < complete_from) {
          EXPECT_EQ(rc, 1);
        }
        if (rc != 0) continue;
      } else {
        ASSERT_EQ(rc, 0);
        if (len < complete_from) {
          EXPECT_EQ((*disp).*fonts[i], disp->main_font);
        }
      }
      textout_ex(page, (*disp).*fonts[i], "Hello, world! ~", 0, 0, makecol(255, 255, 255), -1);
    }
    TempDir::write(path, content);
  };
  for (int i = 0; i < QYXDisplay::FONT_FILES; ++i) {
    // The grabber's info object follows the font; the loader stops before it.
    const size_t info = whole[i].find("GrabberInfo");
    ASSERT_NE(info, std::string::npos);
    cut_each(i, whole[i], info - 12);
  }
  // Packed as a whole and object by object (the last bytes hold the packed
  // info object).
  for (const char* packing : {"-c2", "-c1"}) {
    SCOPED_TRACE(packing);
    const std::string cmd = std::string("dat ") + packing + " pics/font.dat >/dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    const std::string packed = TempDir::read("pics/font.dat");
    ASSERT_LT(packed.size(), whole[0].size());
    ASSERT_EQ(disp->load_fonts(), 0);
    EXPECT_NE(disp->main_font, disp->library_font);
    cut_each(0, packed, packed.size() - 100);
    TempDir::write("pics/font.dat", whole[0]);
  }
  destroy_bitmap(page);
}

}  // namespace
