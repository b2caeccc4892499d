// The generated pictures and fonts: they exist in the sizes the display's
// loaders expect, keep the exact mask colour, carry no alpha or gamma, cover
// every picture number the sample tables use, and the fonts load.
#include <allegro.h>
#include <gtest/gtest.h>
#include <loadpng.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/globals.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

struct BitmapDeleter {
  void operator()(BITMAP* b) const { destroy_bitmap(b); }
};
using Bmp = std::unique_ptr<BITMAP, BitmapDeleter>;

// The generator writes once into a directory shared by all tests.
class Assets : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(install_allegro(SYSTEM_NONE, &errno, atexit), 0);
    set_color_depth(24);
    register_png_file_type();
    char tmpl[] = "/tmp/zibassets.XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    out_ = tmpl;
    std::string cmd = std::string("'") + MKASSETS + "' '" + out_ + "' '" + DAT_TOOL + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
  }
  static void TearDownTestSuite() {
    std::error_code ec;
    fs::remove_all(out_, ec);
  }
  static std::string pic(const std::string& name) { return out_ + "/pics/" + name; }
  static Bmp load(const std::string& name) {
    PALETTE pal;
    return Bmp(load_png(pic(name).c_str(), pal));
  }
  static std::string out_;
};
std::string Assets::out_;

bool is_mask(BITMAP* b, int x, int y) { return getpixel(b, x, y) == makecol(255, 0, 255); }

// Whether the cell of picture n in a stack of 16-wide sheets holds ink.
bool cell_drawn(BITMAP* sheet, int n, int cell) {
  int x0 = (n % 16) * cell, y0 = (n / 16) * cell;
  if (n < 0 || y0 + cell > sheet->h) return false;
  for (int y = y0; y < y0 + cell; ++y)
    for (int x = x0; x < x0 + cell; ++x)
      if (!is_mask(sheet, x, y)) return true;
  return false;
}

TEST_F(Assets, PicturesHaveTheSizesTheLoadersExpect) {
  // row: the height is a multiple of it; 0: the size is exactly w by min_h;
  // -1: w and min_h are both minimums.
  struct Case {
    std::string file;
    int w, min_h, row;
  };
  std::vector<Case> cases = {
      {"overlay.png", 128, 24 * 16, 16}, {"special.png", 272, 430, -1}, {"bg_t2.png", 224, 15, 1},
      {"title.png", 800, 600, 0},        {"titlebg.png", 320, 240, 0},  {"book.png", 460, 290, -1},
      {"help.png", 400, 280, -1},        {"cards/heron.png", 152, 116, 0},
  };
  for (int n = 0; n <= 8; ++n) {
    cases.push_back({"btiles2" + std::to_string(n) + ".png", 256, 16, 16});
    cases.push_back({"btiles2" + std::to_string(n) + ".32.png", 512, 32, 32});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    Bmp b = load(c.file);
    ASSERT_TRUE(b);
    if (c.row < 0) {
      EXPECT_GE(b->w, c.w);
      EXPECT_GE(b->h, c.min_h);
    } else if (c.row == 0) {
      EXPECT_EQ(b->w, c.w);
      EXPECT_EQ(b->h, c.min_h);
    } else {
      EXPECT_EQ(b->w, c.w);
      EXPECT_GE(b->h, c.min_h);
      EXPECT_EQ(b->h % c.row, 0);
    }
  }
  // Both sizes of a sheet hold the same number of rows, so that picture
  // numbers agree whichever is loaded.
  for (int n = 0; n <= 8; ++n) {
    Bmp small = load("btiles2" + std::to_string(n) + ".png");
    Bmp large = load("btiles2" + std::to_string(n) + ".32.png");
    ASSERT_TRUE(small && large);
    EXPECT_EQ(large->h, 2 * small->h) << n;
  }
}

// PNG chunks: colour type 2 (RGB, no alpha), 8 bits, no gamma, no
// transparency chunk; and no pixel a near miss of the mask colour.
TEST_F(Assets, PngsAreRgbWithExactMask) {
  for (const auto& entry : fs::recursive_directory_iterator(out_ + "/pics")) {
    if (entry.path().extension() != ".png") continue;
    SCOPED_TRACE(entry.path().string());
    std::ifstream in(entry.path(), std::ios::binary);
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(data.size(), 33u);
    EXPECT_EQ(data.substr(1, 3), "PNG");
    EXPECT_EQ(static_cast<int>(data[24]), 8);  // bit depth
    EXPECT_EQ(static_cast<int>(data[25]), 2);  // colour type RGB
    for (const char* chunk : {"gAMA", "tRNS", "sRGB", "iCCP"}) EXPECT_EQ(data.find(chunk), std::string::npos) << chunk;

    PALETTE pal;
    Bmp b(load_png(entry.path().c_str(), pal));
    ASSERT_TRUE(b);
    int near = 0, exact = 0;
    for (int y = 0; y < b->h; ++y)
      for (int x = 0; x < b->w; ++x) {
        int c = getpixel(b.get(), x, y);
        int r = getr(c), g = getg(c), bl = getb(c);
        if (r == 255 && g == 0 && bl == 255) ++exact;
        else if (r > 240 && g < 16 && bl > 240) ++near;
      }
    EXPECT_EQ(near, 0);
    // Sheets of cut-out pictures show the mask colour itself.
    static const std::set<std::string> masked = {"btiles21.png", "btiles21.32.png", "btiles22.png",
                                                 "btiles22.32.png", "overlay.png", "special.png"};
    if (masked.count(entry.path().filename().string()) != 0) {
      EXPECT_GT(exact, 0);
    }
  }
}

TEST_F(Assets, SpecialSheetHasEveryRegionTheDisplayCuts) {
  Bmp s = load("special.png");
  ASSERT_TRUE(s);
  auto drawn = [&](int x0, int y0, int w, int h) {
    for (int y = y0; y < y0 + h; ++y)
      for (int x = x0; x < x0 + w; ++x)
        if (!is_mask(s.get(), x, y)) return true;
    return false;
  };
  struct Region {
    const char* what;
    int x, y, w, h;
  };
  std::vector<Region> regions = {
      {"sun", 34, 0, 14, 14}, {"spell icon", 196, 0, 32, 32}, {"marked flag", 259, 0, 13, 10},
      {"aim pointer", 64, 160, 32, 32}, {"arrow pointer", 128, 160, 32, 32}, {"hand pointer", 160, 160, 32, 32},
  };
  const int marks[][2] = {{0, 0}, {8, 0}, {16, 0}, {24, 0}, {0, 8}, {8, 8}, {16, 8},
                          {24, 8}, {0, 16}, {8, 16}, {16, 16}, {24, 16}, {0, 24}};
  for (auto& m : marks) regions.push_back({"equipment mark", m[0], m[1], 8, 8});
  for (int p = 0; p < 8; ++p) regions.push_back({"moon", 68 + 16 * p, 0, 14, 14});
  for (int k = 0; k < 4; ++k) regions.push_back({"prompt", 68 + 9 * k, 17, 8, 8});
  for (int d = 0; d < 8; ++d) {
    regions.push_back({"missile", 32 * d, 32, 32, 32});
    regions.push_back({"move pointer", 32 * d, 128, 32, 32});
    regions.push_back({"attack pointer", 32 * d, 206, 32, 32});
  }
  for (int a = 0; a < 5; ++a) regions.push_back({"circle", 54 * a, 64, 54, 54});
  // Effect frames the renderer names: 0-27 and the explosion 32-36.
  for (int n = 0; n <= 36; ++n)
    if (n != 17 && n != 21 && (n < 28 || n > 31)) regions.push_back({"effect frame", 32 * (n % 8), 32 * (n / 8) + 238, 32, 32});
  for (const Region& r : regions) {
    EXPECT_LE(r.x + r.w, s->w) << r.what;
    EXPECT_LE(r.y + r.h, s->h) << r.what;
    EXPECT_TRUE(drawn(r.x, r.y, r.w, r.h)) << r.what << " at " << r.x << "," << r.y;
  }
}

TEST_F(Assets, EveryPictureNumberOfTheSampleTablesIsDrawn) {
  // All sheets one below the other, as the display stacks them.
  std::vector<Bmp> sheets;
  int height = 0;
  for (int n = 0; n <= 8; ++n) {
    sheets.push_back(load("btiles2" + std::to_string(n) + ".32.png"));
    ASSERT_TRUE(sheets.back());
    height += sheets.back()->h;
  }
  Bmp all(create_bitmap(512, height));
  int y = 0;
  for (const Bmp& s : sheets) {
    blit(s.get(), all.get(), 0, 0, 0, y, s->w, s->h);
    y += s->h;
  }
  Bmp overlay = load("overlay.png");
  ASSERT_TRUE(overlay);

  TempDir dir;
  TempDir::copy_gamedata("dat");
  ASSERT_EQ(common_cfg.load(), 0);
  ASSERT_EQ(sc.load(), 0);
  ASSERT_EQ(tiledata.load(), 0);
  wl.load();
  mounts.load();

  std::set<int> object_pictures, map_pictures;
  for (int code = 0; code < TILES_NUM_OBJECT; ++code) {
    const ObjectTile& t = tiledata.object_tiles[code];
    if (!tiledata.is_valid_object_tile(code)) continue;
    for (int f = 0; f < std::max(1, t.frames); ++f) {
      EXPECT_TRUE(cell_drawn(all.get(), t.image + f, 32)) << "object tile " << std::hex << code << " frame " << f;
      object_pictures.insert(t.image + f);
    }
  }
  for (int n = 0; n < TILES_NUM_MAP; ++n) {
    if (!tiledata.is_valid_tile(n)) continue;
    EXPECT_TRUE(cell_drawn(all.get(), tiledata.map_tiles[n].image, 32)) << "map tile " << n;
    map_pictures.insert(tiledata.map_tiles[n].image);
  }
  // Tile 126 animates through four pictures, deep water and lava through the
  // four after each.
  int base = tiledata.map_tiles[TILES_UNKNOWN].image;
  for (int k = 0; k < 12; ++k) {
    EXPECT_TRUE(cell_drawn(all.get(), base + k, 32)) << "animation picture " << base + k;
    map_pictures.insert(base + k);
  }
  // One sheet serves both tables: a number used by both would show an item
  // as terrain or the other way round.
  for (int p : map_pictures) EXPECT_EQ(object_pictures.count(p), 0u) << "picture " << p << " is used twice";

  for (int r = 0; r < sc.max_races(); ++r)
    for (int code : sc.get_race(r)->male_tiles) EXPECT_TRUE(tiledata.is_valid_object_tile(code)) << "avatar " << code;
  for (int r = 0; r < sc.max_races(); ++r)
    for (int code : sc.get_race(r)->female_tiles) EXPECT_TRUE(tiledata.is_valid_object_tile(code)) << "avatar " << code;
  for (const auto& [id, m] : mounts.defs)
    for (int dir : {1, 5}) EXPECT_TRUE(tiledata.is_valid_object_tile(mounts.get_tile(id, dir))) << "mount " << id;
  for (const char* key : {"bcode_dead", "bcode_hexed", "bcode_lycan", "bcode_lycan_vamp", "bcode_hallucinating"})
    EXPECT_TRUE(tiledata.is_valid_object_tile(static_cast<unsigned>(common_cfg.get_hex(key)))) << key;
  // Cards: the picture file when one is named, else the item's picture
  // (code 286 when the card names none).
  std::ifstream cards("dat/cards.txt");
  std::string line;
  int card_count = 0;
  while (std::getline(cards, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> f;
    size_t at = 0;
    for (size_t tab; (tab = line.find('\t', at)) != std::string::npos; at = tab + 1) f.push_back(line.substr(at, tab - at));
    f.push_back(line.substr(at));
    ASSERT_GT(f.size(), 10u) << line;
    ++card_count;
    if (!f[10].empty()) {
      EXPECT_TRUE(fs::exists(pic("cards/" + f[10]))) << f[10];
    }
    unsigned code = static_cast<unsigned>(std::stoul(f[9], nullptr, 16)) & 0xFFF;
    EXPECT_TRUE(tiledata.is_valid_object_tile(code == 0 ? 286 : code)) << f[0];
  }
  EXPECT_GT(card_count, 0);
  for (int base_code = 1; base_code < TILES_NUM_OBJECT; ++base_code) {
    const ItemRecord* rec = wl.get_record(base_code);
    if (rec == nullptr || rec->worn_tile < 0) continue;
    EXPECT_TRUE(cell_drawn(overlay.get(), rec->worn_tile * 16, 16))
        << "worn picture row " << rec->worn_tile << " of " << rec->name;
  }
}

TEST_F(Assets, FontsLoadWithThePrintableRange) {
  struct Case {
    const char* file;
    const char* object;
    int height;
  };
  const Case cases[] = {
      {"font.dat", "font", 9}, {"names.dat", "names", 9}, {"menu.dat", "menu", 18},
      {"runes.dat", "runes", 9}, {"book.dat", "book", 8},
  };
  std::vector<std::vector<int>> inks;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    DATAFILE* d = load_datafile_object(pic(c.file).c_str(), c.object);
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(d->type, DAT_FONT);
    FONT* f = static_cast<FONT*>(d->dat);
    EXPECT_TRUE(is_mono_font(f));
    EXPECT_LE(get_font_range_begin(f, -1), 32);
    EXPECT_GE(get_font_range_end(f, -1), 126);
    EXPECT_EQ(text_height(f), c.height);
    Bmp b(create_bitmap(64, 32));
    std::vector<int> ink;
    for (int ch = 32; ch <= 126; ++ch) {
      clear_to_color(b.get(), makecol(0, 0, 0));
      char s[2] = {static_cast<char>(ch), 0};
      EXPECT_GT(text_length(f, s), 0) << ch;
      textout_ex(b.get(), f, s, 0, 0, makecol(255, 255, 255), -1);
      int n = 0;
      for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) n += getpixel(b.get(), x, y) != makecol(0, 0, 0);
      if (ch == ' ') {
        EXPECT_EQ(n, 0);
      } else {
        EXPECT_GT(n, 0) << "character " << ch << " draws nothing";
      }
      ink.push_back(n);
    }
    inks.push_back(ink);
    unload_datafile_object(d);
  }
  // The runes are their own alphabet, not the letters again.
  EXPECT_NE(inks[3], inks[0]);
}

// The message box and the book place lines by fixed rules; the fonts fit
// them: large message lines stand text height - 4 apart and a line holds
// (width - 6) / 9 letters; a book column's 20th line, at line height text
// height + 3 from y 40, ends above the page numbers at y 275.
TEST_F(Assets, FontsFitTheLinesTheyAreSetIn) {
  DATAFILE* menu = load_datafile_object(pic("menu.dat").c_str(), "menu");
  DATAFILE* book = load_datafile_object(pic("book.dat").c_str(), "book");
  ASSERT_NE(menu, nullptr);
  ASSERT_NE(book, nullptr);
  FONT* m = static_cast<FONT*>(menu->dat);
  FONT* b = static_cast<FONT*>(book->dat);
  // Any letter on a line and any on the next: the ink of all letters spans
  // fewer rows than the step between lines.
  int top = 32, bottom = -1;
  Bmp one(create_bitmap(16, 32));
  for (int ch = 33; ch <= 126; ++ch) {
    char s[2] = {static_cast<char>(ch), 0};
    EXPECT_LE(text_length(m, s), 9) << ch;
    clear_to_color(one.get(), 0);
    textout_ex(one.get(), m, s, 0, 0, makecol(255, 255, 255), -1);
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 16; ++x)
        if (getpixel(one.get(), x, y)) top = std::min(top, y), bottom = std::max(bottom, y);
  }
  EXPECT_LT(bottom - top, text_height(m) - 4);
  EXPECT_LE(40 + 19 * (text_height(b) + 3) + text_height(b), 275);
  unload_datafile_object(menu);
  unload_datafile_object(book);
}

}  // namespace
