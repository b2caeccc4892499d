#include "core/tiles.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"

namespace {

const char* const MTILES =
    "# comment\n"
    "32 0 0 0 0 Bare Bare_earth\n"
    "35 1 1 1 2 Stone_wall A_wall\n"
    "44 2 -1 0 0 Shore Sand\n"
    "68 3 3 1 0 Quay Quay\n"
    "119 4 2 0 0 Water Water\n"
    "225 5 4 1 0 Void Void\n"
    "239 6 0 1 0 Plain Opaque_plain\n";

TEST(Tiles, ObjectTileIndexes) {
  TempDir dir;
  TempDir::write("dat/mtiles.txt", MTILES);
  TempDir::write("dat/tiles.txt",
                 "# index\tname\timage\tframes\tanim\toverlay\tmirror\n"
                 "fff\tlast\t7\t2\tr\t1\t1\n"
                 "1000\ttoo far\t8\t1\ts\t0\t0\n"
                 "ffffffff\tnegative\t9\t1\ts\t0\t0\n"
                 "10\tshort\t5\t1\n"
                 "\n"
                 "11\tempty anim\t6\t3\t\t0\t0\n");
  Tiles t;
  ASSERT_EQ(t.load(), 0);
  const ObjectTile& last = t.object_tiles[0xfff];
  EXPECT_EQ(last.image, 7);
  EXPECT_EQ(last.anim_mode, 'r');
  EXPECT_TRUE(last.mirror);
  EXPECT_TRUE(t.is_valid_object_tile(0xfff));
  EXPECT_FALSE(t.is_valid_object_tile(0x1000));
  EXPECT_FALSE(t.is_valid_object_tile(0xffffffffu));
  // No entry took the pictures of the out-of-range lines.
  for (const ObjectTile& o : t.object_tiles) {
    EXPECT_NE(o.image, 8);
    EXPECT_NE(o.image, 9);
  }
  // A line with fewer than seven fields leaves its entry untouched.
  EXPECT_EQ(t.object_tiles[0x10].image, TILES_NO_OBJECT_IMAGE);
  EXPECT_FALSE(t.is_valid_object_tile(0x10));
  EXPECT_EQ(t.object_tiles[0x11].anim_mode, 0);
  EXPECT_EQ(t.object_tiles[0x11].frames, 3);
}

TEST(Tiles, ReloadKeepsFramesOfVanishedLine) {
  TempDir dir;
  TempDir::write("dat/mtiles.txt", MTILES);
  TempDir::write("dat/tiles.txt", "20\tfire\t4\t4\tr\t1\t0\n21\tother\t5\t1\ts\t0\t0\n");
  Tiles t;
  ASSERT_EQ(t.load(), 0);
  TempDir::write("dat/tiles.txt", "21\tother\t5\t1\ts\t0\t0\n");
  ASSERT_EQ(t.load(), 0);
  EXPECT_EQ(t.object_tiles[0x20].image, TILES_NO_OBJECT_IMAGE);
  EXPECT_EQ(t.object_tiles[0x20].frames, 4);
  EXPECT_EQ(t.object_tiles[0x20].anim_mode, 'r');
  EXPECT_TRUE(t.object_tiles[0x20].overlay);
  EXPECT_FALSE(t.is_valid_object_tile(0x20));
  EXPECT_TRUE(t.is_valid_object_tile(0x21));
}

TEST(Tiles, CopyTileEntry) {
  Tiles t;
  t.object_tiles[1] = ObjectTile{3, 4, 'r', true, true};
  t.copy_tile_entry(1, 2);
  EXPECT_EQ(t.object_tiles[2].frames, 4);
  EXPECT_FALSE(t.object_tiles[2].overlay);  // flags stay
  t.copy_tile_entry(4096, 3);  // out of range either way: nothing happens
  t.copy_tile_entry(1, 4096);
  EXPECT_EQ(t.object_tiles[3].image, 0);
}

TEST(Tiles, MapTileQueries) {
  TempDir dir;
  TempDir::write("dat/mtiles.txt", MTILES);
  Tiles t;
  ASSERT_EQ(t.load(), 0);  // tiles.txt missing is not fatal
  struct { int n; bool valid, blocking, water, shore, bshore, vd, shadow; int opaque; bool plain_opaque; } rows[] = {
      {32, true, false, false, false, false, false, false, 0, false},
      {35, true, true, false, false, false, false, true, 1, false},
      {44, true, false, false, true, false, false, false, 0, false},
      {68, true, false, false, true, true, false, false, 1, false},
      {119, true, false, true, false, false, false, false, 0, false},
      {225, true, false, false, false, false, true, false, 1, false},
      {239, true, false, false, false, false, false, false, 1, true},
      {33, false, false, false, false, false, false, false, 0, false},
      {-1, false, false, false, false, false, false, false, 0, false},
      {2560, false, false, false, false, false, false, false, 0, false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.n);
    EXPECT_EQ(t.is_valid_tile(r.n), r.valid);
    EXPECT_EQ(t.is_blocking(r.n), r.blocking);
    EXPECT_EQ(t.is_water(r.n), r.water);
    EXPECT_EQ(t.is_shore(r.n), r.shore);
    EXPECT_EQ(t.is_blocking_shore(r.n), r.bshore);
    EXPECT_EQ(t.is_void(r.n), r.vd);
    EXPECT_EQ(t.has_shadow(r.n), r.shadow);
    EXPECT_EQ(t.is_opaque(r.n), r.opaque);
    EXPECT_EQ(t.is_plain_opaque(r.n), r.plain_opaque);
  }
  EXPECT_EQ(t.get_desc(35), "Stone wall");
  EXPECT_EQ(t.get_desc(2560), "");
  EXPECT_EQ(t.get_desc_details(-1), "");
  EXPECT_FALSE(t.in_tile_map(32));
  t.tile_map[32] = {};
  EXPECT_TRUE(t.in_tile_map(32));
  t.tile_map[33] = {};
  EXPECT_FALSE(t.in_tile_map(33));  // not defined
}

// Short or malformed mtiles.txt lines leave their entry as it was.
TEST(Tiles, ShortMapTileLinesSkipped) {
  TempDir dir;
  TempDir::write("dat/mtiles.txt",
                 "50 1 1 1 0 Full Line\n"
                 "51 1 1 1 0 OnlySix\n"
                 "52 x 1 1 0 Bad Number\n"
                 "\n"
                 "   \n"
                 "2560 1 1 1 0 Out Range\n"
                 "-3 1 1 1 0 Neg Range\n"
                 "53\n");
  Tiles t;
  ASSERT_EQ(t.load(), 0);
  EXPECT_TRUE(t.is_valid_tile(50));
  for (int n : {51, 52, 53}) {
    EXPECT_FALSE(t.is_valid_tile(n)) << n;
    EXPECT_EQ(t.map_tiles[n].type, 0) << n;
    EXPECT_EQ(t.get_desc(n), "") << n;
  }
}

TEST(Tiles, IsWallSwitch) {
  TempDir dir;
  TempDir::write("dat/mtiles.txt", MTILES);
  Tiles t;
  ASSERT_EQ(t.load(), 0);
  // No negative shadow yet: the fixed list answers, even for defined tiles.
  EXPECT_EQ(t.has_negative_shadow, 0);
  EXPECT_TRUE(t.is_wall(239));
  EXPECT_FALSE(t.is_wall(235));
  EXPECT_FALSE(t.is_wall(35));
  EXPECT_FALSE(t.is_wall(-1));
  EXPECT_FALSE(t.is_wall(2560));
  TempDir::write("dat/mtiles.txt", std::string(MTILES) + "60 9 1 1 -1 Wall Wall\n");
  ASSERT_EQ(t.load(), 0);
  EXPECT_EQ(t.has_negative_shadow, 1);
  EXPECT_FALSE(t.is_wall(239));  // defined: its own shadow answers
  EXPECT_TRUE(t.is_wall(60));
  EXPECT_TRUE(t.is_wall(62));   // undefined: the fixed list
  EXPECT_FALSE(t.is_wall(63));
  // A later load never clears the flag.
  TempDir::write("dat/mtiles.txt", MTILES);
  ASSERT_EQ(t.load(), 0);
  EXPECT_EQ(t.has_negative_shadow, 1);
  EXPECT_FALSE(t.is_wall(239));
}

TEST(Tiles, Underneath) {
  TempDir dir;
  TempDir::write("dat/mtiles.txt", MTILES);
  TempDir::write("dat/underneath.txt", "#,5,6\n12,0,,x,40\n7\n99\n");
  Tiles t;
  ASSERT_EQ(t.load(), 0);
  EXPECT_EQ(t.underneath_tiles, (std::vector<int>{5, 6, 12, 40, 7}));
  EXPECT_EQ(t.underneath_dot_tiles, (std::vector<int>{12, 40}));
  EXPECT_EQ(t.underneath_blank_tiles, (std::vector<int>{7}));
  // A missing file keeps the lists; an empty line still counts.
  std::remove("dat/underneath.txt");
  ASSERT_EQ(t.load(), 0);
  EXPECT_EQ(t.underneath_dot_tiles, (std::vector<int>{12, 40}));
  TempDir::write("dat/underneath.txt", "\n3\n");
  ASSERT_EQ(t.load(), 0);
  EXPECT_EQ(t.underneath_tiles, (std::vector<int>{3}));
  EXPECT_EQ(t.underneath_dot_tiles, (std::vector<int>{3}));
  EXPECT_TRUE(t.underneath_blank_tiles.empty());
}

TEST(Tiles, MissingMapTilesIsFatal) {
  TempDir dir;
  TempDir::write("dat/tiles.txt", "5\tx\t1\t1\ts\t0\t0\n");
  TempDir::write("dat/underneath.txt", "1\n2\n3\n");
  Tiles t;
  EXPECT_EQ(t.load(), 1);
  EXPECT_TRUE(t.is_valid_object_tile(5));
  EXPECT_FALSE(t.is_valid_tile(32));
  EXPECT_TRUE(t.underneath_tiles.empty());
}

}  // namespace
