// Player status lines: the first line's parts, status labels and buffs.
#include "display/status_lines.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/buffs.h"
#include "text_test_support.h"
#include "world/player.h"

namespace {

constexpr int NORMAL_FOOD = 500;

TEST(StatusLines, FirstLine) {
  struct Case {
    int facing;
    bool levels;
    double xp;
    bool level_up;
    int food;
    bool use, make, cast;
    std::string line;
  };
  const std::vector<Case> cases = {
      {0, false, 0, false, NORMAL_FOOD, false, false, false, "  "},
      {3, false, 0, false, NORMAL_FOOD, false, false, false, "E "},
      {8, false, 0, false, NORMAL_FOOD, false, false, false, "NW"},
      {9, false, 0, false, NORMAL_FOOD, false, false, false, "  "},
      {-1, false, 0, false, NORMAL_FOOD, false, false, false, "  "},
      {12345, false, 0, false, NORMAL_FOOD, false, false, false, "  "},
      {1, true, 1234.9, false, NORMAL_FOOD, false, false, false, "N  XP=1234"},
      {1, false, 1234.9, true, NORMAL_FOOD, false, false, false, "N "},
      {2, true, 0, true, NORMAL_FOOD, false, false, false, "NE XP=0 Level up!"},
      {0, false, 0, false, 40, false, false, false, "   Weak"},
      {0, false, 0, false, 100, false, false, false, "   Hungry"},
      {0, false, 0, false, -5, false, false, false, "   Starving"},
      {0, false, 0, false, 2500, false, false, false, "   Bloated"},
      {0, false, 0, false, NORMAL_FOOD, true, true, true, "   REPEAT-USE REPEAT-MAKE REPEAT-CAST"},
      {5, true, 77, true, 100, true, false, true, "S  XP=77 Level up! Hungry REPEAT-USE REPEAT-CAST"},
  };
  for (const Case& c : cases) {
    StatusFacts f;
    f.facing = c.facing;
    f.player_levels = c.levels;
    f.xp = c.xp;
    f.level_up = c.level_up;
    f.food = c.food;
    f.repeat_use = c.use;
    f.repeat_make = c.make;
    f.repeat_cast = c.cast;
    std::vector<std::string> lines = status_lines(f);
    ASSERT_EQ(lines.size(), 1u) << c.line;
    EXPECT_EQ(lines[0], c.line);
  }
}

TEST(StatusLines, StatusCountersAndBuffs) {
  struct Case {
    std::vector<std::pair<int, int>> counters;  // index, value
    std::vector<std::pair<std::string, int>> buffs;
    std::vector<std::string> lines;  // after line 0
  };
  const std::vector<Case> cases = {
      {{{0, 3}}, {}, {"Poisoned (3)"}},
      {{{5, -1}}, {}, {"Confused"}},
      {{{8, 5}, {40, 1}, {41, 1}, {42, 1}, {43, 1}, {44, 1}, {47, 1}, {48, 1}}, {}, {}},
      {{{62, 2}, {49, 1}, {1, 1}}, {}, {"Sleeping (1)", "MR cleaved (1)", "Super saiyan (2)"}},
      {{}, {{"Stoneskin", 12}, {"Haste", 0}, {"Odd", -3}}, {"Stoneskin (12)", "Haste", "Odd"}},
      {{{2, 1}}, {{"Haste", 4}}, {"Blind (1)", "Haste (4)"}},
  };
  for (const Case& c : cases) {
    StatusFacts f;
    f.food = NORMAL_FOOD;
    for (const auto& [n, v] : c.counters) f.counters[n] = v;
    f.buffs = c.buffs;
    std::vector<std::string> lines = status_lines(f);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 1, lines.end()), c.lines);
  }
  EXPECT_EQ(status_label(63), "");
  EXPECT_EQ(status_label(-1), "");
  EXPECT_EQ(facing_label(4), "SE");
}

TEST(StatusLines, GathersThePlayersFacts) {
  Player p;
  p.direction = 7;
  p.hunger = 30;
  p.health[HN_BLIND] = 4;
  p.health[HN_TIPSY] = -1;
  p.buffs = {{9, 2}, {3, 0}};
  Buffs table;
  StatusFacts f = gather_status_facts(p, table);
  EXPECT_EQ(f.facing, 7);
  EXPECT_EQ(f.food, 30);
  EXPECT_EQ(f.counters[HN_BLIND], 4);
  EXPECT_EQ(f.counters[HN_TIPSY], -1);
  const std::vector<std::pair<std::string, int>> buffs = {{"invalid", 0}, {"invalid", 2}};
  EXPECT_EQ(f.buffs, buffs);
  EXPECT_EQ(status_lines(f), (std::vector<std::string>{"W  Weak", "Blind (4)", "Tipsy", "invalid", "invalid (2)"}));
}

struct StatusDrawing : ::testing::Test {
  AllegroHeadless allegro;
};

TEST_F(StatusDrawing, LinesTenPixelsApartAndTheQueuedSpellInYellow) {
  BITMAP* bmp = create_bitmap_ex(32, 568, 100);
  clear_bitmap(bmp);
  StatusFacts f;
  f.food = NORMAL_FOOD;
  f.counters[0] = 3;
  f.buffs = {{"Haste", 4}};
  draw_player_status(bmp, font, f, "Ember Dart", 800, false);
  const int white = makecol32(255, 255, 255);
  EXPECT_EQ(count_colour(bmp, 0, 0, 568, 10, white), 0);  // line 0 is two blanks
  EXPECT_GT(count_colour(bmp, 0, 10, 100, 10, white), 20);
  EXPECT_GT(count_colour(bmp, 0, 20, 100, 10, white), 20);
  EXPECT_EQ(count_colour(bmp, 0, 30, 100, 70, white), 0);
  // "Queued Spell: Ember Dart" is 24 characters centred on x 284.
  const int yellow = makecol32(255, 222, 0);
  EXPECT_GT(count_colour(bmp, 284 - 96, 30, 192, 8, yellow), 50);
  EXPECT_EQ(count_colour(bmp, 0, 0, 284 - 96, 100, yellow), 0);
  destroy_bitmap(bmp);
}

}  // namespace
