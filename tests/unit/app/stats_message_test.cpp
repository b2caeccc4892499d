#include <gtest/gtest.h>

#include "app_test_support.h"
#include "support/temp_dir.h"

namespace {

struct StatsMessageTest : ::testing::Test {
  TempDir dir;
  void SetUp() override { reset_app_state(); }
};

}  // namespace

// The "@" record reaches the local player through the dispatcher, alone or
// as the piece of a group, and replaces what the previous record set.
TEST_F(StatsMessageTest, StatsRecordUpdatesTheLocalPlayer) {
  struct Case {
    std::string msg;
    int light, ac, sight, load;
    uint8_t perk0, perk17;
    size_t buff_count;
    int first_cooldown, blind;
  };
  const Case cases[] = {
      {"@ 2 3 4 5 6 7 8 9 10 11 1 12 13ynnnnnnnnnnnnnnnny b5=100 B 7 0 0 0 0 0 0 0 0 3 4",
       2, 3, 9, 12, 1, 1, 1, 7, 0},
      // A later record with fewer parts clears the buffs and counters but
      // leaves the cooldowns it does not carry.
      {"@ 0 1 0 0 0 0 0 5 0 0 0 0 0nnnnnnnnnnnnnnnnnn B", 0, 1, 5, 0, 0, 0, 0, 7, 0},
      {"@ 1 0 0 0 0 0 0 0 0 0 0 40 0nnnnnnnnnnnnnnnnnn b1=2 b2=3 B 0 0 0 0 0 0 0 0 0 "
       + std::to_string(HN_BLIND) + " 6",
       1, 0, 0, 40, 0, 0, 2, 0, 6},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(app.process_pkt(c.msg), 0) << c.msg;
    EXPECT_EQ(me.light, c.light) << c.msg;
    EXPECT_EQ(me.ac_bonus, c.ac) << c.msg;
    EXPECT_EQ(me.sight_bonus, c.sight) << c.msg;
    EXPECT_EQ(me.load_bonus, c.load) << c.msg;
    EXPECT_EQ(me.perk_flags[0], c.perk0) << c.msg;
    EXPECT_EQ(me.perk_flags[17], c.perk17) << c.msg;
    EXPECT_EQ(me.buffs.size(), c.buff_count) << c.msg;
    EXPECT_EQ(me.cooldowns[0], c.first_cooldown) << c.msg;
    EXPECT_EQ(me.health[HN_BLIND], c.blind) << c.msg;
  }
}
