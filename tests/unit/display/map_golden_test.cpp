// Frames of the map view drawn from the generated art, compared with frames
// checked by eye once and kept beside this test.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "unit/display/map_test_world.h"

namespace {

class MapGolden : public MapWorld {
 protected:
  void SetUp() override {
    MapWorld::SetUp();
    if (!have_art) GTEST_SKIP() << "generated art missing";
    std::srand(1);
    // A pond, a stone house with a door, a few creatures and items.
    for (int x = 12; x <= 16; ++x)
      for (int y = 12; y <= 15; ++y) cmap.set_tile(x, y, x == 12 || y == 12 ? 119 : 249);
    for (int x = 23; x <= 28; ++x)
      for (int y = 15; y <= 19; ++y)
        cmap.set_tile(x, y, x == 23 || x == 28 || y == 15 || y == 19 ? TILE_WALL : 95);
    cmap.set_tile(23, 17, 47);
    cmap.calc_layers();
    id_table.set_info(150, "river rat", 'm', "", "");
    id_table.set_info(151, "=Hill wolf=", 'm', "", "");
    put(150, 0x211, -3, 2, 60, 'e');
    put(151, 0x213, 3, -3, 90, 'e');
    put(152, 0x216, -5, -4, 30, 'g');
    put(-1, 0x100, 1, 1, 3, 'n');
    put(-2, 0x118, -1, 3, 1, 'n');
    put(-3, 0x190, 5, -3, 1, 'n', 4);  // a campfire in the house
    me.rage = 60;
  }

  void check(const std::string& name) {
    d.draw_window(false, &visible_creatures);
    d.flush_map_view();
    const int side = 21 * 32;
    BITMAP* frame = create_bitmap_ex(24, side, side);
    blit(d.play_bitmap, frame, 0, 0, 0, 0, side, side);
    const std::string out = std::string(ZIB_BINARY_DIR) + "/" + name;
    ASSERT_EQ(save_png(out.c_str(), frame, nullptr), 0);
    const std::string kept =
        std::string(ZIB_SOURCE_DIR) + "/tests/unit/display/golden/" + name;
    BITMAP* want = load_png(kept.c_str(), nullptr);
    ASSERT_NE(want, nullptr) << "no golden frame " << kept << "; new frame in " << out;
    ASSERT_EQ(want->w, side);
    ASSERT_EQ(want->h, side);
    // The frame is drawn without an animation step and with a seeded random
    // source: every pixel is as kept, so that not even one cell can be wrong.
    int differ = 0, first_x = -1, first_y = -1;
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x) {
        const int a = getpixel(frame, x, y), b = getpixel(want, x, y);
        const int depth = bitmap_color_depth(want);
        if (getr24(a) == getr_depth(depth, b) && getg24(a) == getg_depth(depth, b) &&
            getb24(a) == getb_depth(depth, b))
          continue;
        if (differ++ == 0) {
          first_x = x;
          first_y = y;
        }
      }
    EXPECT_EQ(differ, 0) << name << " differs in " << differ << " pixels, the first in cell ("
                         << first_x / 32 << ", " << first_y / 32 << "); new frame in " << out;
    destroy_bitmap(want);
    destroy_bitmap(frame);
  }
};

TEST_F(MapGolden, DayAt800x600) {
  world_time = 12 * 60;
  check("map_day_800x600.png");
}

TEST_F(MapGolden, NightWithNewLighting) {
  world_time = 23 * 60;
  check("map_night_new_lighting.png");
}

// Trees, forest and mountains are see-through: the grass under them shows
// through their pictures' masked pixels.
TEST_F(MapGolden, SeeThroughTilesBesideThePlayer) {
  enum { FOREST = 64, TREE = 84, MOUNTAIN = 94 };
  cmap.set_tile(WORLD_PX + 1, WORLD_PY, TREE);
  cmap.set_tile(WORLD_PX - 1, WORLD_PY + 1, TREE);
  for (int y = WORLD_PY - 3; y <= WORLD_PY + 2; ++y) cmap.set_tile(WORLD_PX - 2, y, FOREST);
  for (int x = WORLD_PX - 1; x <= WORLD_PX + 2; ++x) cmap.set_tile(x, WORLD_PY - 2, MOUNTAIN);
  cmap.calc_layers();
  world_time = 12 * 60;
  check("map_see_through.png");
}

}  // namespace
