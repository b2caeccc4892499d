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
  // Facing west, weak with hunger, a counter without a count, buffs the table lacks.
  EXPECT_EQ(status_lines(gather_status_facts(p, table)),
            (std::vector<std::string>{"W  Weak", "Blind (4)", "Tipsy", "invalid", "invalid (2)"}));
}

}  // namespace
