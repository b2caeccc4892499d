// The object grid: server objects over local ones, cells outside the grid,
// wrapping, animation frames, status letters and the ambient sound choice.

#include "world/object_grid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "app/globals.h"
#include "support/temp_dir.h"
#include "world/item_list.h"
#include "world_tiles.h"

namespace {

ItemListEl* object(int id, long code, int x, int y) {
  auto* n = new ItemListEl;
  n->id = id;
  n->item = Item(code);
  n->x = x;
  n->y = y;
  return n;
}

// Keeps the global map's shape for one test.
struct MapShape {
  MapShape(int type, int width) : old_type(cmap.type), old_width(cmap.width) {
    cmap.type = type;
    cmap.width = width;
  }
  ~MapShape() {
    cmap.type = old_type;
    cmap.width = old_width;
  }
  int old_type, old_width;
};

// A flat 40 x 40 level of grass.
void open_field(CMap& m) {
  m.type = MAPTYPE_FLAT;
  ASSERT_EQ(m.set_size(40, 40, false), 0);
  for (int x = 0; x < 40; ++x)
    for (int y = 0; y < 40; ++y) m.set_tile(x, y, T_GRASS);
}

TEST(ObjectGridTest, ServerObjectWinsInEitherOrder) {
  auto g = std::make_unique<ObjGrid>();
  MapShape shape(1, 250);
  for (bool server_first : {false, true}) {
    ObjectList l;
    l.push_back(object(server_first ? 7 : -1, server_first ? 200 : 100, 3, 4));
    l.push_back(object(server_first ? -1 : 7, server_first ? 100 : 200, 3, 4));
    g->copy_from(l, false, cmap, 0, 0);
    EXPECT_EQ(g->get_id(3, 4), 7) << server_first;
    EXPECT_EQ(g->get_item(3, 4).code, 200) << server_first;
  }
}

TEST(ObjectGridTest, CellsOutsideTheGridAreSkipped) {
  // Regression: negative coordinates wrote before the grid and x >= 250
  // aliased the next row.
  auto g = std::make_unique<ObjGrid>();
  MapShape shape(1, 250);
  ObjectList l;
  l.push_back(object(1, 100, -1, 5));
  l.push_back(object(2, 100, 250, 0));
  l.push_back(object(3, 100, 5, 250));
  l.push_back(object(4, 100, -250, 2));
  g->copy_from(l, false, cmap, 0, 0);
  for (int i = 0; i < OBJGRID_CELLS; ++i) ASSERT_EQ(g->cells[i].id, -1) << "cell " << i;
  g->set_item(Item(100L), 250, 0);
  g->set_item(Item(100L), -1, 1);
  g->set_item(Item(100L), 0, 250);
  for (int i = 0; i < OBJGRID_CELLS; ++i) ASSERT_EQ(g->cells[i].item.code, -1) << "cell " << i;
}

TEST(ObjectGridTest, AccessorsWrapOnAWrappingMapOnly) {
  auto g = std::make_unique<ObjGrid>();
  g->set_item(Item(123L), 99, 5);
  {
    MapShape shape(0, 100);
    EXPECT_EQ(g->get_item(-1, 5).code, 123);
  }
  MapShape shape(1, 100);
  EXPECT_EQ(g->get_item(-1, 5).code, -1);
  EXPECT_EQ(g->get_id(-1, 5), -1);
  EXPECT_EQ(g->get_align(300, 5), 'n');
  EXPECT_EQ(g->get_hea(3, -2), -1);
  EXPECT_EQ(g->get_flags(3, 250), 0);
  EXPECT_EQ(g->get_status_str(-3, 0), "");
}

TEST(ObjectGridTest, StatusLettersFollowTheBitOrder) {
  auto g = std::make_unique<ObjGrid>();
  MapShape shape(1, 250);
  ObjectList l;
  ItemListEl* n = object(4, 100, 1, 1);
  n->price = (1 << 1) | (1 << 5);
  l.push_back(n);
  ItemListEl* all = object(5, 100, 2, 1);
  all->price = 0xFFFF;
  l.push_back(all);
  g->copy_from(l, false, cmap, 0, 0);
  EXPECT_EQ(g->get_status_str(1, 1), "ZD");
  EXPECT_EQ(g->get_status_str(2, 1), "?ZH-!DqVmPBoz");
  EXPECT_EQ(g->get_price(1, 1), 34u);
  g->set_item(Item(100L), 3, 3);
  EXPECT_EQ(g->get_price(3, 3), 0u) << "local items have no status";
}

TEST(ObjectGridTest, FramesFollowTheObjectTile) {
  TempDir dir;
  TempDir::write("dat/tiles.txt", "12c\tfire\t0\t4\ts\t0\t0\n12d\tflicker\t1\t3\tr\t0\t0\n");
  TempDir::write("dat/mtiles.txt", "0 1 0 0 0 Zero Zero\n");
  TempDir::write("dat/underneath.txt", "");
  tiledata.load();
  auto g = std::make_unique<ObjGrid>();
  MapShape shape(1, 250);
  g->set_item(Item(0x12cL), 5, 5);
  g->cells[5 * CMAP_MAX_SIZE + 5].frame = 6;
  EXPECT_EQ(g->get_frame(5, 5), 2);
  g->cells[5 * CMAP_MAX_SIZE + 5].frame = 3;
  g->step_frame(5, 5);
  EXPECT_EQ(g->get_frame(5, 5), 0) << "the counter goes back to 0 at the frame count";
  g->set_item(Item(0x12dL), 6, 5);
  for (int i = 0; i < 20; ++i) {
    g->step_frame(6, 5);
    EXPECT_GE(g->cells[5 * CMAP_MAX_SIZE + 6].frame, 0);
    EXPECT_LT(g->cells[5 * CMAP_MAX_SIZE + 6].frame, 3);
  }
  g->set_item(Item(0x100L), 7, 5);
  g->step_frame(7, 5);
  EXPECT_EQ(g->get_frame(7, 5), 0);
}

TEST(ObjectGridTest, LightOnlyForSeenObjectsOnceTheLevelIsEntered) {
  TempDir dir;
  load_world_tiles();
  CMap m;
  open_field(m);
  m.set_tile(22, 20, T_WALL);
  auto g = std::make_unique<ObjGrid>();
  ObjectList l;
  ItemListEl* seen = object(1, 100, 20, 23);
  seen->qty = 4;
  ItemListEl* hidden = object(2, 100, 25, 20);  // behind the wall
  hidden->qty = 4;
  ItemListEl* dim = object(3, 100, 18, 20);
  dim->qty = -2;
  l.push_back(seen);
  l.push_back(hidden);
  l.push_back(dim);
  g->copy_from(l, false, m, 20, 20);
  EXPECT_EQ(g->light[23 * CMAP_MAX_SIZE + 20], 0) << "no light before the level is entered";
  g->copy_from(l, true, m, 20, 20);
  EXPECT_EQ(g->light[23 * CMAP_MAX_SIZE + 20], 4);
  EXPECT_EQ(g->light[20 * CMAP_MAX_SIZE + 25], 0);
  EXPECT_EQ(g->light[20 * CMAP_MAX_SIZE + 18], -2) << "a dim object keeps its mark";
}

// After a clear every cell of the grid reads as cleared, whatever was
// written before and however often: only local items survive a partial one.
TEST(ObjectGridTest, ClearsLeaveEveryCellCleared) {
  auto g = std::make_unique<ObjGrid>();
  MapShape shape(1, 250);
  struct Step {
    bool all;
    std::vector<std::pair<int, int>> kept;  // local items still there
  };
  const Step steps[] = {{false, {{0, 0}, {249, 249}}}, {false, {{0, 0}, {249, 249}}}, {true, {}},
                        {true, {}}};
  for (const Step& st : steps) {
    g->set_item(Item(150L), 0, 0);
    g->set_item(Item(150L), 249, 249);
    ObjectList l;
    for (int k = 1; k <= 50; ++k) l.push_back(object(k, 160, (k * 37) % 250, (k * 91) % 250));
    g->copy_from(l, false, cmap, 0, 0);
    g->copy_from(l, false, cmap, 0, 0);
    EXPECT_EQ(g->is_permanent(0, 0), 1);
    EXPECT_EQ(g->is_permanent(37, 91), 0);
    g->clear(st.all);
    int left = 0;
    for (int y = 0; y < CMAP_MAX_SIZE; ++y) {
      for (int x = 0; x < CMAP_MAX_SIZE; ++x) {
        bool kept = std::find(st.kept.begin(), st.kept.end(), std::make_pair(x, y)) != st.kept.end();
        if (kept) {
          EXPECT_EQ(g->get_item(x, y).code, 150);
          continue;
        }
        if (g->get_item(x, y) != -1L || g->get_id(x, y) != -1 || g->get_light(x, y) != 0) ++left;
      }
    }
    EXPECT_EQ(left, 0) << (st.all ? "full clear" : "partial clear");
  }
}

// Sight lines are worked out again when the player moves or a tile, the
// level or the tile table changes.
TEST(ObjectGridTest, LightFollowsChangesOfTheSightLine) {
  TempDir dir;
  load_world_tiles();
  CMap m;
  open_field(m);
  auto g = std::make_unique<ObjGrid>();
  ObjectList l;
  ItemListEl* lamp = object(1, 100, 25, 20);
  lamp->qty = 4;
  l.push_back(lamp);
  const int cell = 20 * CMAP_MAX_SIZE + 25;
  struct Step {
    const char* what;
    std::function<void()> change;
    int px;
    int light;
  };
  const Step steps[] = {
      {"in the open", [] {}, 20, 4},
      {"a wall between", [&] { m.set_tile(22, 20, T_WALL); }, 20, 0},
      {"the player steps past the wall", [] {}, 23, 4},
      {"back behind it", [] {}, 20, 0},
      {"the wall is gone", [&] { m.set_tile(22, 20, T_GRASS); }, 20, 4},
      {"another level with the wall", [&] {
         CMap other = m;
         other.set_tile(22, 20, T_WALL);
         m = other;
       }, 20, 0},
      {"the tile table read again, walls now see-through", [] {
         std::string table = TempDir::read("dat/mtiles.txt");
         size_t at = table.find("35 1 1 1 1 Wall");
         ASSERT_NE(at, std::string::npos);
         table.replace(at, 15, "35 1 1 0 1 Wall");
         TempDir::write("dat/mtiles.txt", table);
         tiledata.load();
       }, 20, 4},
  };
  for (const Step& st : steps) {
    st.change();
    g->copy_from(l, true, m, st.px, 20);
    EXPECT_EQ(g->light[cell], st.light) << st.what;
  }
}

// Records what the ambient choice asks of the sound object.
struct Recorder : AmbientSound {
  bool on = true;
  bool flat = false;  // every object equally loud
  std::vector<std::string> calls;
  bool enabled() override { return on; }
  float distance_factor(int px, int py, int x, int y) override {
    if (flat) return 0.5f;
    float d = std::hypot(float(px - x), float(py - y));
    return d >= 10 ? 0.0f : 1.0f - d / 10.0f;
  }
  void stop_all_loops() override {
    calls.push_back("stop_all");
    current_id = -1;
    current_factor = -1.0f;
  }
  void stop_loop(int id) override { calls.push_back("stop " + std::to_string(id)); }
  void play_scaled(int id, float) override { calls.push_back("play " + std::to_string(id)); }
  void adjust_loop(int id, float) override { calls.push_back("adjust " + std::to_string(id)); }
};

TEST(ObjectGridTest, AmbientLoopFollowsTheLoudestObject) {
  auto g = std::make_unique<ObjGrid>();
  g->set_item(Item(302L), 10, 10);
  g->set_item(Item(259L), 20, 10);
  Recorder r;
  g->update_ambient_sound(r, 11, 10);
  EXPECT_EQ(r.calls, std::vector<std::string>({"play 25"}));
  g->update_ambient_sound(r, 11, 10);
  EXPECT_EQ(r.calls.size(), 1u) << "same sound at the same loudness: nothing";
  g->update_ambient_sound(r, 12, 10);
  EXPECT_EQ(r.calls.back(), "adjust 25");
  g->update_ambient_sound(r, 19, 10);
  EXPECT_EQ(r.calls, std::vector<std::string>({"play 25", "adjust 25", "stop 25", "play 24"}));
  g->update_ambient_sound(r, 100, 100);
  EXPECT_EQ(r.calls.back(), "stop_all") << "nothing loud enough";
  r.on = false;
  r.calls.clear();
  g->update_ambient_sound(r, 19, 10);
  EXPECT_EQ(r.calls, std::vector<std::string>({"stop_all"}));
}

TEST(ObjectGridTest, NewSoundAtTheSameLoudnessStillPlays) {
  // Regression: an equal factor used to be taken for "nothing to do".
  auto g = std::make_unique<ObjGrid>();
  Recorder r;
  r.flat = true;
  g->set_item(Item(302L), 10, 10);
  g->update_ambient_sound(r, 0, 0);
  g->clear(true);
  g->set_item(Item(273L), 10, 10);
  g->update_ambient_sound(r, 0, 0);
  EXPECT_EQ(r.calls, std::vector<std::string>({"play 25", "stop 25", "play 26"}));
}

TEST(ObjectGridTest, EquallyLoudObjectsPickTheFirstInRowOrder) {
  struct Case {
    std::vector<std::pair<long, std::pair<int, int>>> objects;  // code, cell, in writing order
    const char* played;
  };
  const Case cases[] = {
      {{{302, {10, 10}}, {273, {5, 20}}}, "play 25"},
      {{{273, {5, 20}}, {302, {10, 10}}}, "play 25"},
      {{{259, {30, 10}}, {302, {10, 10}}}, "play 25"},
      {{{273, {0, 11}}, {259, {249, 10}}}, "play 24"},
  };
  for (const Case& c : cases) {
    auto g = std::make_unique<ObjGrid>();
    for (const auto& [code, cell] : c.objects) g->set_item(Item(code), cell.first, cell.second);
    Recorder r;
    r.flat = true;
    g->update_ambient_sound(r, 0, 0);
    ASSERT_EQ(r.calls.size(), 1u);
    EXPECT_EQ(r.calls[0], c.played);
  }
}

}  // namespace
