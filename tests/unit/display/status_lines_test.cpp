// Player status lines: the lines of a player's state. The session's parts of
// the first line are played in the end-to-end case "display_screens".
#include "display/status_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/buffs.h"
#include "world/player.h"

namespace {

TEST(StatusLines, GathersThePlayersFacts) {
  Player p;
  p.direction = 7;
  p.hunger = 30;
  p.health[HN_BLIND] = 4;
  p.health[HN_TIPSY] = -1;
  p.health[8] = 5;   // counters without a label never show
  p.health[40] = 1;
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

}  // namespace
