// Line of sight: walls cast shadows, the walk ends at ring 12, the wrap seam.

#include <gtest/gtest.h>

#include "world/cmap.h"
#include "world_tiles.h"

namespace {

class LineOfSightTest : public ::testing::Test {
 protected:
  void SetUp() override {
    load_world_tiles();
    open(40, 40, MAPTYPE_FLAT);
  }

  void open(int w, int h, int type) {
    m_ = CMap();
    m_.type = type;
    ASSERT_EQ(m_.set_size(w, h, false), 0);
    for (int x = 0; x < w; ++x)
      for (int y = 0; y < h; ++y) m_.set_tile(x, y, T_GRASS);
  }

  // Seen from (20, 20) at an offset.
  bool sees(int dx, int dy, int range = 9, uint8_t forest = 0) {
    return m_.can_see_with_LOS(20, 20, 20 + dx, 20 + dy, range, forest);
  }

  TempDir dir_;
  CMap m_;
};

TEST_F(LineOfSightTest, OwnAndAdjacentCellsAreAlwaysSeen) {
  for (int dx = -1; dx <= 1; ++dx)
    for (int dy = -1; dy <= 1; ++dy) m_.set_tile(20 + dx, 20 + dy, T_WALL);
  for (int dx = -1; dx <= 1; ++dx)
    for (int dy = -1; dy <= 1; ++dy) EXPECT_TRUE(sees(dx, dy, 0)) << dx << "," << dy;
  EXPECT_FALSE(sees(2, 0, 9));
}

TEST_F(LineOfSightTest, RangeAndRingLimit) {
  EXPECT_TRUE(sees(5, 0, 5));
  EXPECT_FALSE(sees(5, 0, 4));
  EXPECT_FALSE(sees(3, 5, 4));
  EXPECT_TRUE(sees(12, -12, 12));
  EXPECT_TRUE(sees(12, 3, 20));
  // The preliminary test passes, but the walk stops at ring 12.
  EXPECT_FALSE(sees(13, 0, 20));
  EXPECT_FALSE(sees(-2, 13, 20));
}

TEST_F(LineOfSightTest, WallsHideWhatLiesBehindThem) {
  m_.set_tile(22, 20, T_WALL);
  EXPECT_TRUE(sees(2, 0));   // the wall itself is seen
  EXPECT_FALSE(sees(3, 0));  // directly behind it
  EXPECT_FALSE(sees(6, 0));
  EXPECT_TRUE(sees(3, 2));   // off to the side

  m_.set_tile(21, 20, T_WALL);
  EXPECT_FALSE(sees(2, 0));
}

TEST_F(LineOfSightTest, DiagonalShadows) {
  m_.set_tile(21, 21, T_WALL);
  EXPECT_FALSE(sees(2, 2));
  EXPECT_FALSE(sees(5, 5));
  EXPECT_TRUE(sees(2, 1));  // (1, 0) is clear
  m_.set_tile(21, 20, T_WALL);
  EXPECT_FALSE(sees(2, 1));  // both predecessors blocked
  m_.set_tile(21, 21, T_GRASS);
  EXPECT_TRUE(sees(2, 1));   // (1, 1) is clear
}

TEST_F(LineOfSightTest, ForestUnlessSeenThrough) {
  m_.set_tile(21, 20, T_FOREST);
  EXPECT_FALSE(sees(2, 0, 9, 0));
  EXPECT_TRUE(sees(2, 0, 9, 1));
  EXPECT_FALSE(sees(2, 0, 9, 2));  // only 1 counts
}

TEST_F(LineOfSightTest, AcrossTheWrapSeam) {
  open(100, 10, MAPTYPE_WRAP);
  EXPECT_TRUE(m_.can_see_with_LOS(0, 5, 99, 5, 9, 0));
  EXPECT_TRUE(m_.can_see_with_LOS(99, 5, 0, 5, 0, 0));
  EXPECT_TRUE(m_.can_see_with_LOS(0, 5, 98, 5, 9, 0));
  EXPECT_TRUE(m_.can_see_with_LOS(1, 5, 98, 7, 9, 0));
  EXPECT_FALSE(m_.can_see_with_LOS(1, 5, 90, 5, 9, 0));
  m_.set_tile(99, 5, T_WALL);
  EXPECT_FALSE(m_.can_see_with_LOS(0, 5, 98, 5, 9, 0));
  EXPECT_TRUE(m_.can_see_with_LOS(0, 5, 99, 5, 9, 0));

  // Without wrap the same cells are far apart.
  open(100, 10, MAPTYPE_FLAT);
  EXPECT_FALSE(m_.can_see_with_LOS(0, 5, 98, 5, 9, 0));
}

TEST_F(LineOfSightTest, ExtremeCoordinatesDoNotOverflow) {
  EXPECT_FALSE(m_.can_see_with_LOS(INT32_MAX, 0, INT32_MIN, 0, 12, 0));
  EXPECT_FALSE(m_.can_see_with_LOS(20, 20, INT32_MAX, INT32_MAX, INT32_MAX, 0));
  // Cells beyond the map read as the first cell; what matters is that the
  // ring walk next to the int limit does not overflow (sanitizer build).
  EXPECT_TRUE(m_.can_see_with_LOS(INT32_MAX - 1, 20, INT32_MAX - 3, 20, 12, 0));
}

}  // namespace
