// The map level: tile queries with wrap and edges, sizing, regions, layers.

#include "world/cmap.h"

#include <gtest/gtest.h>

#include "world_tiles.h"

namespace {

class CMapTest : public ::testing::Test {
 protected:
  void SetUp() override { load_world_tiles(); }

  // A map of one tile everywhere.
  static CMap make(int w, int h, int type, int tile) {
    CMap m;
    m.type = type;
    EXPECT_EQ(m.set_size(w, h, false), 0);
    for (int x = 0; x < w; ++x)
      for (int y = 0; y < h; ++y) m.set_tile(x, y, tile);
    return m;
  }

  TempDir dir_;
};

TEST_F(CMapTest, GetTileWrapsOnWrappingMap) {
  CMap m = make(100, 10, MAPTYPE_WRAP, T_GRASS);
  m.set_tile(99, 5, T_SWAMP);
  m.set_tile(50, 5, T_DEEP);
  EXPECT_EQ(m.get_tile(-1, 5), T_SWAMP);
  EXPECT_EQ(m.get_tile(250, 5), T_DEEP);
  EXPECT_EQ(m.get_tile(150, 5), T_DEEP);
  int x = -1;
  m.wrap_x(x);
  EXPECT_EQ(x, 99);
}

TEST_F(CMapTest, EdgeTilesSplitTheCornersAlongTheDiagonals) {
  CMap m = make(10, 8, MAPTYPE_FLAT, T_GRASS);
  m.edge_tiles = {T_SWAMP, T_SHORE, T_DEEP, T_MOUNTAIN};  // north, south, east, west
  struct Case {
    int x, y, tile;
  } cases[] = {
      {-1, 5, T_MOUNTAIN},  // plain west
      {-3, -1, T_MOUNTAIN}, // x <= y: west half of the north-west corner
      {-1, -3, T_SWAMP},    // north half of it
      {4, -1, T_SWAMP},     // plain north
      {10, 3, T_DEEP},      // plain east
      {12, 9, T_DEEP},      // y <= x + h - w: east half of the south-east corner
      {10, 11, T_SHORE},    // south half of it
      {4, 8, T_SHORE},      // plain south
  };
  for (const Case& c : cases) EXPECT_EQ(m.get_tile(c.x, c.y), c.tile) << c.x << "," << c.y;
}

TEST_F(CMapTest, OffMapWithoutEdgeTilesReadsTheFirstCell) {
  CMap m = make(10, 8, MAPTYPE_FLAT, T_GRASS);
  m.set_tile(0, 0, T_LAVA);
  for (auto [x, y] : {std::pair{-1, 5}, {3, -2}, {10, 0}, {2, 8}, {-5, -5}})
    EXPECT_EQ(m.get_tile(x, y), T_LAVA);
}

TEST_F(CMapTest, MapWithoutGridGivesNeutralValues) {
  // Before the first set_size the width is 0: nothing may divide by it or
  // read a cell.
  CMap m;
  for (int type : {MAPTYPE_WRAP, MAPTYPE_FLAT}) {
    m.type = type;
    EXPECT_EQ(m.get_tile(0, 0), T_EARTH);
    EXPECT_EQ(m.get_tile(-7, 3), T_EARTH);
    EXPECT_EQ(m.get_underneath(-7, 3), 0);
    EXPECT_EQ(m.get_wall_dir(5, 5), 0u);
    EXPECT_EQ(m.get_region(0, 0), -1);
    EXPECT_FALSE(m.same_region(0, 0, 0, 0));
    EXPECT_EQ(m.set_tile(0, 0, T_GRASS), 1);
    EXPECT_EQ(m.set_placement(0, 0, T_GRASS), 1);
    EXPECT_EQ(m.set_region(0, 0, 5, 5, 1), 1);
    EXPECT_FALSE(m.is_wet(0, 0));
    EXPECT_FALSE(m.notblocked(0, 0, true));
    int x = -3;
    m.wrap_x(x);
    EXPECT_EQ(x, -3);
    m.calc_layers();
  }
}

TEST_F(CMapTest, SetSizeBounds) {
  CMap m;
  EXPECT_EQ(m.set_size(250, 250, false), 0);
  EXPECT_EQ(m.set_size(251, 10, false), 1);
  EXPECT_EQ(m.set_size(0, 10, false), 1);
  EXPECT_EQ(m.set_size(10, -1, false), 1);
  EXPECT_EQ(m.width, 250);
  EXPECT_EQ(m.height, 250);
}

TEST_F(CMapTest, SetSizeKeepsTheOverlapOnlyWhenAsked) {
  CMap m = make(4, 3, MAPTYPE_FLAT, T_GRASS);
  m.set_tile(3, 2, T_WALL);
  m.set_tile(1, 1, T_SWAMP);
  ASSERT_EQ(m.set_size(6, 5, true), 0);
  EXPECT_EQ(m.get_tile(3, 2), T_WALL);
  EXPECT_EQ(m.get_tile(1, 1), T_SWAMP);
  EXPECT_EQ(m.get_tile(0, 0), T_GRASS);
  EXPECT_EQ(m.get_tile(5, 4), T_EARTH);  // new cells hold the tile of a new grid
  EXPECT_EQ(m.get_tile(4, 0), T_EARTH);
  ASSERT_EQ(m.set_size(2, 2, true), 0);
  EXPECT_EQ(m.get_tile(1, 1), T_SWAMP);
  ASSERT_EQ(m.set_size(2, 2, false), 0);
  EXPECT_EQ(m.get_tile(1, 1), T_EARTH);
}

TEST_F(CMapTest, SetTileAcceptsOnlyMapTileNumbers) {
  CMap m = make(3, 3, MAPTYPE_FLAT, T_GRASS);
  EXPECT_EQ(m.set_tile(1, 1, T_LAST), 0);
  EXPECT_EQ(m.set_tile(1, 1, 2560), 1);
  EXPECT_EQ(m.set_tile(1, 1, -1), 1);
  EXPECT_EQ(m.set_tile(1, 1, 65536 + T_WALL), 1);
  EXPECT_EQ(m.get_tile(1, 1), T_LAST);
  EXPECT_EQ(m.set_tile(3, 0, T_GRASS), 1);
  EXPECT_EQ(m.set_tile(-1, 0, T_GRASS), 1);
}

TEST_F(CMapTest, PlacementsOutsideTheMapAreNeverWritten) {
  CMap m = make(5, 5, MAPTYPE_FLAT, T_GRASS);
  // As a level file may hold them: appended without a check.
  m.placements.push_back({300, 300, T_SWAMP});
  m.placements.push_back({-1, 2, T_SWAMP});
  m.placements.push_back({4, 5, T_SWAMP});
  m.placements.push_back({2, 2, T_SHALLOWS});
  m.calc_layers();
  EXPECT_EQ(m.get_underneath(2, 2), T_SHALLOWS);
  ASSERT_EQ(m.set_size(3, 3, true), 0);
  EXPECT_EQ(m.get_underneath(2, 2), T_SHALLOWS);
  EXPECT_EQ(m.set_placement(3, 0, T_SWAMP), 1);
  EXPECT_EQ(m.set_placement(1, 1, T_SWAMP), 0);
  EXPECT_EQ(m.set_placement(1, 1, T_DEEP), 0);
  EXPECT_EQ(m.get_underneath(1, 1), T_DEEP);
  EXPECT_EQ(m.placements.size(), 5u);
}

TEST_F(CMapTest, RegionsAreClippedAndCompared) {
  CMap m = make(250, 250, MAPTYPE_FLAT, T_GRASS);
  EXPECT_EQ(m.set_region(-5, -5, 3, 3, 7), 0);
  ASSERT_EQ(m.regions.size(), 1u);
  const Region& r = m.regions.back();
  EXPECT_EQ(std::vector<int>({r.x1, r.y1, r.x2, r.y2, r.id}), std::vector<int>({0, 0, 3, 3, 7}));
  EXPECT_EQ(m.set_region(300, 0, 400, 5, 2), 1);
  EXPECT_EQ(m.regions.size(), 1u);

  EXPECT_EQ(m.get_region(3, 3), 7);
  EXPECT_EQ(m.get_region(4, 3), 0);
  EXPECT_EQ(m.get_region(-1, 3), -1);
  EXPECT_TRUE(m.same_region(1, 1, 2, 3));
  EXPECT_FALSE(m.same_region(1, 1, 5, 5));
  EXPECT_FALSE(m.same_region(-1, 0, 1, 1));
  // A second point off the map counts as region 0.
  EXPECT_FALSE(m.same_region(1, 1, 300, 300));
  EXPECT_TRUE(m.same_region(5, 5, 300, 300));

  EXPECT_EQ(m.remove_region_at(2, 2), 7);
  EXPECT_EQ(m.get_region(2, 2), 0);
  EXPECT_TRUE(m.regions.empty());
}

TEST_F(CMapTest, WallDirectionSouthBeatsWestBeatsEastBeatsNorth) {
  CMap m = make(3, 3, MAPTYPE_FLAT, T_GRASS);
  m.set_tile(1, 0, T_WALL);
  m.set_tile(1, 2, T_WALL);
  m.calc_layers();
  EXPECT_EQ(m.get_wall_dir(1, 1), 5u);  // north and south
  EXPECT_EQ(m.get_wall_dir(0, 0), 3u);  // east only
  EXPECT_EQ(m.get_wall_dir(2, 2), 7u);  // west only
  EXPECT_EQ(m.get_wall_dir(0, 1), 0u);

  CMap row = make(3, 1, MAPTYPE_FLAT, T_GRASS);
  row.set_tile(0, 0, T_FOREST);  // opaque counts as a wall
  row.set_tile(2, 0, T_WALL);
  row.calc_layers();
  EXPECT_EQ(row.get_wall_dir(1, 0), 7u);
}

TEST_F(CMapTest, WallSidesNeedAShadowInTheSameRegion) {
  CMap m = make(3, 3, MAPTYPE_FLAT, T_GRASS);
  m.set_tile(1, 0, T_WALL);
  m.set_tile(1, 2, T_WALL);
  m.set_tile(2, 1, T_FOREST);  // opaque but casts no shadow
  m.calc_layers();
  const uint8_t* s = m.get_wall_sides(1, 1);
  EXPECT_EQ(std::vector<int>(s, s + 4), std::vector<int>({1, 1, 0, 0}));
  const uint8_t* own = m.get_wall_sides(1, 0);  // the wall itself casts one
  EXPECT_EQ(std::vector<int>(own, own + 4), std::vector<int>({0, 0, 0, 0}));

  m.set_region(1, 1, 1, 1, 3);
  m.calc_layers();
  s = m.get_wall_sides(1, 1);
  EXPECT_EQ(std::vector<int>(s, s + 4), std::vector<int>({0, 0, 0, 0}));
  const uint8_t* off = m.get_wall_sides(9, 9);
  EXPECT_EQ(std::vector<int>(off, off + 4), std::vector<int>({0, 0, 0, 0}));
}

TEST_F(CMapTest, UnderneathPriorities) {
  struct Case {
    std::vector<int> row;  // a 1-high map
    int cell, expected;
  } cases[] = {
      {{T_GRASS, T_WALL, T_SWAMP}, 1, T_SWAMP},    // east first
      {{T_GRASS, T_WALL, T_SHORE}, 1, T_GRASS},    // shore does not serve
      {{T_GRASS, T_WALL, T_QUAY}, 1, T_GRASS},     // nor blocking shore
      {{T_SWAMP, T_WALL, T_WALL}, 1, T_SWAMP},     // nor a wall
      {{T_GRASS, T_WALL, T_FOREST}, 1, T_GRASS},   // nor an opaque tile
      {{T_WALL}, 0, 0},                            // no neighbour at all
      {{T_SWAMP, T_FOREST, T_SWAMP}, 1, T_GRASS},  // a dot tile stands on grass
      {{T_SWAMP, T_VOID, T_SWAMP}, 1, T_EARTH},    // a blank tile on earth
  };
  for (const Case& c : cases) {
    CMap m = make(static_cast<int>(c.row.size()), 1, MAPTYPE_FLAT, T_GRASS);
    for (size_t x = 0; x < c.row.size(); ++x) m.set_tile(static_cast<int>(x), 0, c.row[x]);
    m.calc_layers();
    EXPECT_EQ(m.get_underneath(c.cell, 0), c.expected) << c.row[0] << " " << c.cell;
  }
  // Vertical neighbours come after east and west.
  CMap col = make(1, 3, MAPTYPE_FLAT, T_GRASS);
  col.set_tile(0, 0, T_SWAMP);
  col.set_tile(0, 1, T_WALL);
  col.set_tile(0, 2, T_SHALLOWS);
  col.calc_layers();
  EXPECT_EQ(col.get_underneath(0, 1), T_SHALLOWS);  // south before north
  // A placement overrides what was derived.
  col.set_placement(0, 1, T_LAST_STORABLE);
  col.calc_layers();
  EXPECT_EQ(col.get_underneath(0, 1), T_LAST_STORABLE);
}

TEST_F(CMapTest, TerrainQueries) {
  CMap m = make(6, 1, MAPTYPE_FLAT, T_GRASS);
  const int row[] = {T_SHORE, T_DEEP, T_SHALLOWS, T_MOUNTAIN, T_WALL, T_VOID};
  for (int x = 0; x < 6; ++x) m.set_tile(x, 0, row[x]);
  EXPECT_TRUE(m.is_wet(0, 0));
  EXPECT_FALSE(m.will_drown(0, 0));  // shore
  EXPECT_TRUE(m.will_drown(1, 0));
  EXPECT_TRUE(m.is_deep_water(1, 0));
  EXPECT_TRUE(m.will_drown(2, 0));
  EXPECT_FALSE(m.is_wet(3, 0));
  EXPECT_FALSE(m.is_wet(-1, 0));
  EXPECT_TRUE(m.notblocked(0, 0, false));
  EXPECT_FALSE(m.notblocked(2, 0, false));
  EXPECT_FALSE(m.notblocked(3, 0, false));
  EXPECT_TRUE(m.notblocked(3, 0, true));  // climbing the mountain
  EXPECT_FALSE(m.notblocked(4, 0, true));
  EXPECT_FALSE(m.notblocked(5, 0, false));
  EXPECT_FALSE(m.notblocked(6, 0, false));
  EXPECT_TRUE(m.tile_is_opaque(T_WALL));
  EXPECT_FALSE(m.tile_is_opaque(T_GRASS));
  EXPECT_FALSE(m.tile_is_opaque(2560));
  EXPECT_FALSE(m.tile_is_opaque(-1));
}

TEST_F(CMapTest, RangeAcrossTheWrap) {
  CMap m = make(100, 10, MAPTYPE_WRAP, T_GRASS);
  EXPECT_TRUE(m.in_range(1, 5, 98, 5, 3));
  EXPECT_FALSE(m.in_range(1, 5, 90, 5, 3));
  m.type = MAPTYPE_FLAT;
  EXPECT_FALSE(m.in_range(1, 5, 98, 5, 3));
  int x1, y1, x2, y2;
  m.get_view_rect(2, 8, 4, x1, y1, x2, y2);
  EXPECT_EQ(std::vector<int>({x1, y1, x2, y2}), std::vector<int>({0, 4, 6, 9}));
  m.get_view_rect(98, 1, 4, x1, y1, x2, y2);
  EXPECT_EQ(std::vector<int>({x1, y1, x2, y2}), std::vector<int>({94, 0, 100, 5}));
}

}  // namespace
