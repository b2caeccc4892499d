// The level file: exact bytes of the tile coding, the text sections, the
// older header form, damaged files and the sample levels.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/utils.h"
#include "world/cmap.h"
#include "world_tiles.h"

namespace {

std::string bytes(std::initializer_list<int> list) {
  std::string s;
  for (int b : list) s += static_cast<char>(b);
  return s;
}

class MapFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    load_world_tiles();
    std::filesystem::create_directories("cmaps");
  }

  // A flat level 7 of one row, named "t".
  static CMap row(const std::vector<int>& tiles, int h = 1) {
    CMap m;
    m.level = 7;
    m.name = "t";
    const int w = static_cast<int>(tiles.size()) / h;
    EXPECT_EQ(m.set_size(w, h, false), 0);
    for (size_t i = 0; i < tiles.size(); ++i)
      EXPECT_EQ(m.set_tile(static_cast<int>(i) % w, static_cast<int>(i) / w, tiles[i]), 0);
    return m;
  }

  static std::string header(int w, int h) {
    return std::to_string(w) + " " + std::to_string(h) + " 1 1 0 0 0 0 0 0\nt\n";
  }

  static std::vector<int> cells(const CMap& m) {
    std::vector<int> v;
    for (int y = 0; y < m.height; ++y)
      for (int x = 0; x < m.width; ++x) v.push_back(m.get_tile(x, y));
    return v;
  }

  TempDir dir_;
};

TEST_F(MapFileTest, TileCoding) {
  struct Case {
    const char* what;
    std::vector<int> tiles;
    std::string coded;  // the tile section, line end included
  } cases[] = {
      {"two equal neighbours in mid-map are written twice",
       {T_GRASS, T_GRASS, T_WALL}, bytes({46, 46, 35, 10})},
      {"a pair at the very end is a run", {T_WALL, T_GRASS, T_GRASS}, bytes({35, 46, 9, 2, 10})},
      {"a run of three", {T_GRASS, T_GRASS, T_GRASS, T_WALL}, bytes({46, 9, 3, 35, 10})},
      {"two-byte tiles", {T_T300, T_LAST_STORABLE}, bytes({1, 44, 8, 255, 10})},
      {"low bytes 9 and 10", {T_LOW9, T_LOW10, T_LOW9, T_LOW9},
       bytes({1, 9, 1, 10, 1, 9, 9, 2, 10})},
      {"tile 0 and tile 10", {T_ZERO, T_LF, T_ZERO, T_ZERO}, bytes({0, 10, 0, 9, 2, 10})},
  };
  for (const Case& c : cases) {
    CMap m = row(c.tiles);
    ASSERT_EQ(m.save_map(), 0) << c.what;
    const std::string file = TempDir::read("cmaps/lvl007.map");
    const std::string head = header(static_cast<int>(c.tiles.size()), 1);
    ASSERT_EQ(file.substr(0, head.size()), head) << c.what;
    EXPECT_EQ(file.substr(head.size()), c.coded) << c.what;

    CMap back;
    ASSERT_EQ(back.load(7), 0) << c.what;
    EXPECT_EQ(cells(back), c.tiles) << c.what;
  }
}

TEST_F(MapFileTest, RunsOfMoreThan255CellsAreSplitAcrossRows) {
  CMap m = row(std::vector<int>(300, T_GRASS), 2);  // 150 x 2
  ASSERT_EQ(m.save_map(), 0);
  const std::string file = TempDir::read("cmaps/lvl007.map");
  EXPECT_EQ(file.substr(header(150, 2).size()), bytes({46, 9, 255, 46, 9, 45, 10}));
  CMap back;
  ASSERT_EQ(back.load(7), 0);
  EXPECT_EQ(cells(back), std::vector<int>(300, T_GRASS));
}

TEST_F(MapFileTest, RoundTripKeepsEverything) {
  CMap m;
  m.level = 12;
  m.type = MAPTYPE_WRAP;
  m.music = 3;
  m.vis = 1;
  m.exitlvl = 4;
  m.name = "Quarry_floor";
  m.edge_tiles = {T_MOUNTAIN, T_GRASS, T_WALL, T_DEEP};
  ASSERT_EQ(m.set_size(20, 9, false), 0);
  for (int x = 0; x < 20; ++x)
    for (int y = 0; y < 9; ++y) m.set_tile(x, y, (x * 7 + y) % 3 ? T_GRASS : T_T300);
  m.set_tile(0, 0, T_ZERO);
  m.set_region(2, 2, 5, 4, 3);
  m.set_region(10, 0, 12, 8, 9);
  m.set_placement(4, 5, 46);
  m.set_placement(7, 5, 2058);
  m.map_objects.push_back({Item(0x190L), 3, 4});
  m.map_objects.push_back({Item(0x191L, 0x30L), 19, 8});
  ASSERT_EQ(m.save_map(), 0);
  const std::string first = TempDir::read("cmaps/lvl012.map");

  // What was read writes the same file again; the header fields and what
  // is worked out from the sections are checked on their own.
  CMap back;
  ASSERT_EQ(back.load(12), 0);
  EXPECT_EQ((std::vector<int>{back.width, back.height, back.type, back.music, back.vis,
                              back.exitlvl}),
            (std::vector<int>{20, 9, MAPTYPE_WRAP, 3, 1, 4}));
  EXPECT_EQ(back.name, "Quarry_floor");
  EXPECT_EQ(back.edge_tiles, m.edge_tiles);
  EXPECT_EQ(cells(back), cells(m));
  EXPECT_EQ(back.get_region(11, 8), 9);
  EXPECT_EQ(back.get_underneath(7, 5), 2058);
  EXPECT_EQ(back.map_objects[1].item, Item(0x191L, 0x30L));
  // Cells outside both regions.
  EXPECT_EQ(back.open_bounds, (std::array<int32_t, 4>{0, 0, 19, 8}));
  ASSERT_EQ(back.save_map(), 0);
  EXPECT_EQ(TempDir::read("cmaps/lvl012.map"), first);
}

TEST_F(MapFileTest, TextSections) {
  CMap m = row({T_GRASS});
  for (int i = 0; i < 11; ++i) m.map_objects.push_back({Item(0x190L + i), i, 2 * i});
  m.set_region(0, 0, 0, 0, 3);
  m.placements.push_back({4, 5, 46});
  m.placements.push_back({7, 5, 0});  // not written, but the line end is
  ASSERT_EQ(m.save_map(), 0);
  const std::string expected =
      header(1, 1) + bytes({46, 10}) +
      "190 0 0:191 1 2:192 2 4:193 3 6:194 4 8:195 5 10:196 6 12:197 7 14:198 8 16:"
      "199 9 18\n"
      "19a 10 20:\n"
      "r3=0,0,0,0\n"
      "p4,5,46\n";
  EXPECT_EQ(TempDir::read("cmaps/lvl007.map"), expected);

  CMap back;
  ASSERT_EQ(back.load(7), 0);
  ASSERT_EQ(back.map_objects.size(), 11u);
  EXPECT_EQ(back.map_objects[10].item, Item(0x19aL));
  EXPECT_EQ(back.map_objects[10].y, 20);
}

TEST_F(MapFileTest, PlacementLineAndNegativeValues) {
  TempDir::write("cmaps/lvl007.map", header(10, 10) + bytes({46, 9, 100, 10}) +
                                         "r2=1,1,3,3\n"
                                         "p4,5,46p7,5,2058p1,1,-1px,2,3p9,9\n"
                                         "p2,2,43\n");
  CMap m;
  ASSERT_EQ(m.load(7), 0);
  ASSERT_EQ(m.placements.size(), 3u);
  EXPECT_EQ(m.placements[0].x, 4);
  EXPECT_EQ(m.placements[0].value, 46);
  EXPECT_EQ(m.placements[1].value, 2058);
  EXPECT_EQ(m.placements[2].value, 0xFFFF);  // -1 as a 16-bit number
  EXPECT_EQ(m.get_region(2, 2), 2);
  ASSERT_EQ(m.save_map(), 0);
  EXPECT_NE(TempDir::read("cmaps/lvl007.map").find("p4,5,46p7,5,2058p1,1,-1\n"), std::string::npos);
}

TEST_F(MapFileTest, CrcFollowsTheFile) {
  CMap m = row({T_GRASS, T_WALL});
  ASSERT_EQ(m.save_map(), 0);
  const uint32_t saved = m.crc;
  EXPECT_EQ(saved, static_cast<uint32_t>(file_crc32("cmaps/lvl007.map")));
  m.set_tile(1, 0, T_SWAMP);
  ASSERT_EQ(m.save_map(), 0);
  EXPECT_NE(m.crc, saved);
  EXPECT_EQ(m.crc, static_cast<uint32_t>(file_crc32("cmaps/lvl007.map")));
  CMap back;
  ASSERT_EQ(back.load(7), 0);
  EXPECT_EQ(back.crc, m.crc);
}

TEST_F(MapFileTest, NamesAndHeaderDefaults) {
  CMap m = row({T_GRASS});
  m.name = "unnamed level";
  m.type = -1;
  m.vis = -1;
  ASSERT_EQ(m.save_map(), 0);
  EXPECT_EQ(m.name, "level_7");
  EXPECT_EQ(m.type, 1);
  EXPECT_EQ(m.vis, 0);
  EXPECT_EQ(TempDir::read("cmaps/lvl007.map").substr(0, 28), "1 1 1 1 0 0 0 0 0 0\nlevel_7\n");
}

TEST_F(MapFileTest, HeaderWithEightNumbers) {
  TempDir::write("cmaps/lvl007.map", "2 1 0 5 1 9 94 46\nshort\n" + bytes({35, 43, 10}));
  CMap m;
  m.edge_tiles = {1, 2, 3, 4};
  ASSERT_EQ(m.load(7), 0);
  EXPECT_EQ(m.type, 0);
  EXPECT_EQ(m.music, 5);
  EXPECT_EQ(m.vis, 1);
  EXPECT_EQ(m.exitlvl, 9);
  EXPECT_EQ(m.edge_tiles, (std::array<uint32_t, 4>{94, 46, 0, 0}));
  EXPECT_EQ(m.name, "short");
  EXPECT_EQ(cells(m), (std::vector<int>{T_WALL, T_SWAMP}));
}

TEST_F(MapFileTest, OlderHeaderForm) {
  // Unencoded rows, each followed by one byte that is skipped.
  const std::string rows = bytes({46, 1, 44, 35, 10, 43, 43, 32, 10});
  TempDir::write("cmaps/lvl007.map",
                 "x=3\ny=2\ntype=2\nmusic=4\nvis=1\nname=Old_keep\nexitlvl=6\n" + rows);
  CMap m;
  ASSERT_EQ(m.load(7), 0);
  EXPECT_EQ(m.width, 3);
  EXPECT_EQ(m.height, 2);
  EXPECT_EQ(m.type, 2);
  EXPECT_EQ(m.music, 4);
  EXPECT_EQ(m.vis, 1);
  EXPECT_EQ(m.name, "Old_keep");
  EXPECT_EQ(m.exitlvl, 6);
  EXPECT_EQ(cells(m), (std::vector<int>{T_GRASS, T_T300, T_WALL, T_SWAMP, T_SWAMP, T_EARTH}));

  // Without the music line the music number is the type.
  TempDir::write("cmaps/lvl008.map", "x=1\ny=1\ntype=3\nvis=1\nname=A\nexitlvl=0\n" +
                                         bytes({46}));
  CMap n;
  ASSERT_EQ(n.load(8), 0);
  EXPECT_EQ(n.music, 3);
  EXPECT_EQ(n.vis, 1);
  EXPECT_EQ(n.name, "A");
  EXPECT_EQ(cells(n), std::vector<int>{T_GRASS});
}

TEST_F(MapFileTest, DamagedTileSections) {
  struct Case {
    const char* what;
    std::string coded;
    std::vector<int> cells;  // 4 x 1
  } cases[] = {
      {"short section reads 32", bytes({46, 35}), {T_GRASS, T_WALL, T_EARTH, T_EARTH}},
      {"undefined tiles read 32", bytes({200, 1, 200, 46, 35, 10}),
       {T_EARTH, T_EARTH, T_GRASS, T_WALL}},
      {"a run repeats the stored value", bytes({200, 9, 4, 10}),
       {T_EARTH, T_EARTH, T_EARTH, T_EARTH}},
      {"a run before any tile repeats 32", bytes({9, 3, 46, 35, 10}),
       {T_EARTH, T_EARTH, T_GRASS, T_WALL}},
      {"a run past the last cell is dropped", bytes({46, 9, 200, 35}),
       {T_GRASS, T_GRASS, T_GRASS, T_GRASS}},
      {"run counts 0 and 1 add nothing", bytes({46, 9, 0, 9, 1, 35, 9, 9, 10}),
       {T_GRASS, T_WALL, T_WALL, T_WALL}},
      {"a high byte at the end", bytes({46, 46, 46, 1}), {T_GRASS, T_GRASS, T_GRASS, T_EARTH}},
  };
  for (const Case& c : cases) {
    TempDir::write("cmaps/lvl007.map", header(4, 1) + c.coded);
    CMap m;
    ASSERT_EQ(m.load(7), 0) << c.what;
    EXPECT_EQ(cells(m), c.cells) << c.what;
  }
}

TEST_F(MapFileTest, UnusableHeadersAreNotLoaded) {
  struct Case {
    const char* what;
    std::string file;
  } cases[] = {
      {"no file", ""},
      {"empty first line", "\nname\n" + bytes({46, 10})},
      {"one number only", "5\nname\n" + bytes({46, 10})},
      {"no numbers", "abc\nname\n"},
      {"too wide", "251 3 1 1 0 0 0 0 0 0\nname\n"},
      {"older form without y", "x=3\ntype=1\n"},
  };
  for (const Case& c : cases) {
    if (*c.what != 'n' || c.file.size()) TempDir::write("cmaps/lvl009.map", c.file);
    CMap m;
    ASSERT_EQ(m.set_size(2, 2, false), 0);
    m.set_tile(1, 1, T_WALL);
    EXPECT_EQ(m.load(c.file.empty() ? 99 : 9), 1) << c.what;
    EXPECT_EQ(m.width, 2) << c.what;  // the old grid stays
    EXPECT_EQ(m.get_tile(1, 1), T_WALL) << c.what;
  }
}

TEST_F(MapFileTest, TilesThatCannotBeStoredAreWrittenAs32) {
  // 1..9 and 2304..2559 would be read as high bytes or run markers and
  // shift the rest of the level.
  CMap m = row({T_GRASS, 5, T_HIGH9, 9, T_LAST, T_WALL});
  ASSERT_EQ(m.save_map(), 0);
  EXPECT_EQ(TempDir::read("cmaps/lvl007.map").substr(header(6, 1).size()),
            bytes({46, 32, 9, 4, 35, 10}));
  CMap back;
  ASSERT_EQ(back.load(7), 0);
  EXPECT_EQ(cells(back), (std::vector<int>{T_GRASS, 32, 32, 32, 32, T_WALL}));
}

TEST_F(MapFileTest, FailedSavesChangeNothing) {
  TempDir::write("cmaps/lvl-01.map", "keep");
  CMap empty;  // no grid
  EXPECT_EQ(empty.save_map(), 1);
  EXPECT_EQ(TempDir::read("cmaps/lvl-01.map"), "keep");
  std::filesystem::remove_all("cmaps");
  CMap m = row({T_GRASS});
  m.name = "unnamed level";
  EXPECT_EQ(m.save_map(), 1);
  EXPECT_EQ(m.name, "unnamed level");
}

TEST_F(MapFileTest, RawDump) {
  std::filesystem::create_directories("smaps");
  CMap m = row({T_GRASS, T_WALL, T_SWAMP, T_ZERO}, 2);
  EXPECT_EQ(m.save_raw_map(), 0);
  EXPECT_EQ(TempDir::read("smaps/raw007.txt"), "vw=2\nvh=2\nvault={\n46, 35, \n43, 0, \n}\n");
}

// The sample levels of gamedata load and save back byte for byte.
TEST(SampleLevels, LoadAndSaveByteIdentically) {
  TempDir dir;
  TempDir::copy_gamedata("dat");
  TempDir::copy_gamedata("cmaps");
  ASSERT_EQ(tiledata.load(), 0);
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator("cmaps")) {
    const std::string fn = e.path().filename().string();
    int lvl = 0;
    if (sscanf(fn.c_str(), "lvl%3d.map", &lvl) != 1) continue;
    ++files;
    const std::string original = TempDir::read("cmaps/" + fn);
    CMap m;
    ASSERT_EQ(m.load(lvl), 0) << fn;
    EXPECT_FALSE(m.regions.empty()) << fn;
    EXPECT_FALSE(m.placements.empty()) << fn;
    EXPECT_FALSE(m.map_objects.empty()) << fn;
    for (int x = 0; x < m.width; ++x)
      for (int y = 0; y < m.height; ++y)
        ASSERT_TRUE(tiledata.is_valid_tile(m.get_tile(x, y))) << fn << " " << x << "," << y;
    ASSERT_EQ(m.save_map(), 0) << fn;
    EXPECT_EQ(TempDir::read("cmaps/" + fn), original) << fn;
  }
  EXPECT_GE(files, 2);
}

}  // namespace
