// Map effects, effect ends, tracked creatures and forgotten ids.

#include <string>
#include <vector>

#include "app/play_messages.h"
#include "handler_fixture.h"
#include "world/effects.h"

namespace {

struct MapEffects : HandlerTest {
  void SetUp() override {
    HandlerTest::SetUp();
    event_list.clear();
    missile_list.clear();
    sound.effects_played.clear();
    sound.spell_sounds.clear();
    sound.spell_sounds_stopped.clear();
    me.id = 7;
    me.x = 10;
    me.y = 10;
    cmap.type = 1;
    cmap.width = cmap.height = 100;
  }
  void TearDown() override {
    event_list.clear();
    missile_list.clear();
    HandlerTest::TearDown();
  }
};

}  // namespace

TEST_F(MapEffects, WrapMovesTheEffectBesideThePlayer) {
  struct Case {
    int player_x;
    const char* line;
    int x, x2;
  } cases[] = {
      {95, "E 5 2 10 40 0 3 10 1", 102, 103},
      // -1, -1 is no second cell and stays so.
      {95, "E 5 2 10 40 0 -1 -1 1", 102, -1},
      {5, "E 5 98 10 40 0 97 10 1", -2, -3},
      // The second cell alone across the seam follows the first.
      {50, "E 5 99 10 40 0 1 10 1", 99, 101},
      {50, "E 5 60 10 40 0 61 10 1", 60, 61},
  };
  cmap.type = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    event_list.clear();
    me.x = static_cast<int16_t>(c.player_x);
    app.process_pkt(c.line);
    ASSERT_NE(event_list.first, nullptr);
    EXPECT_EQ(event_list.first->x, c.x);
    EXPECT_EQ(event_list.first->b, c.x2);
  }
}

TEST_F(MapEffects, SoundTable) {
  // Player 7 at (10, 10); (11, 10) is in hearing, (60, 10) is not. The
  // kinds that only look their sound up in a table are left out, but for
  // the two parries: they sound the parry, not the block.
  struct Case {
    const char* line;
    std::vector<int> effects;
    std::vector<int> spells;
    const char* shown;
  } cases[] = {
      {"E 5 11 10 0 0 -1 -1 1", {2}, {}, nullptr},
      // The view at 800x600 reaches 10 cells: heard up to 11, silent at 14 and 16.
      {"E 5 21 10 0 0 -1 -1 1", {2}, {}, nullptr},
      {"E 5 24 10 0 0 -1 -1 1", {}, {}, nullptr},
      {"E 5 10 26 0 0 -1 -1 1", {}, {}, nullptr},
      {"E 7 11 10 0 0 -1 -1 1", {}, {}, nullptr},
      {"E 5 11 10 1 3 -1 -1 1", {}, {3}, nullptr},
      {"E 5 60 10 1 3 -1 -1 1", {}, {}, nullptr},
      {"E 7 11 10 2 1 -1 -1 1", {0}, {}, nullptr},
      {"E 7 11 10 10 0 -1 -1 1", {}, {}, nullptr},
      {"E 5 11 10 25 2 -1 -1 1", {}, {}, nullptr},
      {"E 5 11 10 25 0 -1 -1 1", {0}, {}, nullptr},
      {"E 5 60 10 3 0 -1 -1 1", {1}, {}, nullptr},
      {"E 5 60 10 4 0 -1 -1 1", {9}, {}, nullptr},
      {"E 5 11 10 5 0 -1 -1 1", {9}, {}, "EARTHQUAKE!"},
      {"E 5 60 10 5 0 -1 -1 1", {9}, {}, nullptr},
      {"E 7 11 10 7 0 -1 -1 1", {29}, {}, nullptr},
      {"E 7 11 10 8 0 -1 -1 1", {}, {}, nullptr},
      {"E 5 60 10 29 0 -1 -1 1", {}, {}, nullptr},
      {"E 5 11 10 29 0 -1 -1 1", {33}, {}, nullptr},
      // Far away, but the second cell is in hearing.
      {"E 5 60 10 29 0 11 10 1", {33}, {}, nullptr},
      {"E 5 11 10 11 0 -1 -1 1", {}, {}, nullptr},
      {"E 5 11 10 40 0 -1 -1 1", {}, {}, nullptr},
      {"E 7 11 10 6 1 12 10 1", {}, {}, nullptr},
      {"E 5 11 10 18 0 -1 -1 1", {22}, {}, nullptr},
      {"E 5 11 10 19 0 -1 -1 1", {22}, {}, nullptr},
  };
  res_x = 800;
  res_y = 600;
  d.compute_layout();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    event_list.clear();
    missile_list.clear();
    sound.effects_played.clear();
    sound.spell_sounds.clear();
    d.messages.clear();
    app.process_pkt(c.line);
    EXPECT_EQ(event_list.count, 1);  // every kind leaves its event
    EXPECT_EQ(sound.effects_played, c.effects);
    EXPECT_EQ(sound.spell_sounds, c.spells);
    EXPECT_EQ(missile_list.count, 0);
    if (c.shown) {
      EXPECT_TRUE(has_message(c.shown));
    } else {
      EXPECT_TRUE(d.messages.empty());
    }
  }
}

TEST_F(MapEffects, HearingFollowsTheScreenSize) {
  // 14 cells away: past the 10-cell view of 800x600, inside the 15 of 1920x1080.
  const struct {
    int w, h;
    std::vector<int> effects;
  } cases[] = {{800, 600, {}}, {1920, 1080, {2}}, {800, 600, {}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.w);
    res_x = c.w;
    res_y = c.h;
    d.compute_layout();
    sound.effects_played.clear();
    app.process_pkt("E 5 24 10 0 0 -1 -1 1");
    EXPECT_EQ(sound.effects_played, c.effects);
  }
}

TEST_F(MapEffects, ShortOtherLevelOrOffGridLinesAreIgnored) {
  cmap.type = 0;  // wrapping: the seam arithmetic must not see them either
  for (const char* line : {"E 5 11 10 0 0 -1 -1 2", "E 5 11 10 0 0 -1 -1", "E", "e 1 2 3",
                           "E 2 5 5 6 2 -2147483648 5 1", "E 2 5 5 6 2 2147483647 2147483647 1",
                           "E 5 2147483647 10 40 0 -2147483648 10 1", "E 5 250 10 0 0 -1 -1 1",
                           "E 5 11 -1 0 0 -1 -1 1", "E 5 -1 -1 27 0 11 250 1"}) {
    SCOPED_TRACE(line);
    app.process_pkt(line);
    EXPECT_EQ(event_list.count, 0);
    EXPECT_EQ(missile_list.count, 0);
    EXPECT_TRUE(sound.effects_played.empty());
  }
}

TEST_F(MapEffects, EffectEndRemovesTheMatchingEvent) {
  app.process_pkt("E 5 11 10 1 4 12 13 1");
  app.process_pkt("E 5 11 10 3 4 12 13 1");
  ASSERT_EQ(event_list.count, 2);
  app.process_pkt("e 1 12 13 1 5");  // another argument: no event goes
  EXPECT_EQ(event_list.count, 2);
  sound.spell_sounds_stopped.clear();
  app.process_pkt("e 1 12 13 1 4");
  EXPECT_EQ(event_list.count, 1);
  EXPECT_EQ(event_list.first->type, 3);
  EXPECT_EQ(sound.spell_sounds_stopped, std::vector<int>{4});
  app.process_pkt("e 1 12 13 3 4");
  EXPECT_EQ(event_list.count, 0);
  EXPECT_EQ(sound.spell_sounds_stopped, std::vector<int>{4});
}

TEST_F(MapEffects, TrackedCreatures) {
  id_table.set_info(150, "Goblin", 'e', "0", "0");
  struct Step {
    const char* line;
    int rows;
    int health, second_bar, tag;  // of row 150 when there is one
    bool flag;
  } steps[] = {
      // A new row keeps the bar as sent and takes tag 1 for none.
      {"pa1 150 640 30 4 5 1 1 -1 -1 0", 1, 30, -1, 1, true},
      // A row is only placed on a cell of the grid.
      {"p 1 7 1 1 2147483647 -2147483648 1 1 1 1 1", 1, 30, -1, 1, true},
      {"pa1 150 640 26 250 5 1 1 -1 -1 0", 1, 30, -1, 1, true},
      {"pa1 151 640 20 4 5 1 0 2 3 4", 2, 30, -1, 1, true},
      // Operation 0 with all fields updates instead of removing; -1, a
      // negative flag and tag 0 keep what is known.
      {"pa0 150 640 25 4 5 1 -1 7 -1 0", 2, 25, 7, 1, true},
      {"pa1 150 640 24 4 5 1 0 -1 -1 3", 2, 24, 7, 3, false},
      {"pa0 151", 1, 24, 7, 3, false},
      {"pa1 152 640", 1, 24, 7, 3, false},
      {"pa2", 0, -1, 0, 0, false},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.line);
    app.process_pkt(s.line);
    EXPECT_EQ(num_tracked(), s.rows);
    int i = find_tracked(150);
    if (s.health >= 0) {
      ASSERT_GE(i, 0);
      const TrackedCreature& t = tracked_creatures[i];
      EXPECT_EQ((std::vector<int>{t.health, t.second_bar, t.tag_number, t.flag}),
                (std::vector<int>{s.health, s.second_bar, s.tag, s.flag}));
      EXPECT_EQ(t.name, "Goblin");
      EXPECT_EQ(t.code, 0x640);
    }
  }
  app.process_pkt("z 0 0");  // the map viewer opens
  d.map_view_draws = 0;
  app.process_pkt("pa2");
  EXPECT_EQ(d.map_view_draws, 1);
  gc_interface_mode = MODE_NORMAL;
}

TEST_F(MapEffects, ForgetId) {
  id_table.set_info(150, "Goblin", 'e', "0", "0");
  app.process_pkt("j x");
  EXPECT_EQ(id_table.get_name(150), "Goblin");
  app.process_pkt("j 150");
  EXPECT_EQ(id_table.get_name(150), "");
}
