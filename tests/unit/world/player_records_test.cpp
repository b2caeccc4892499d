// The local player's server records: "H", "@", "#" and the skill lists, the
// writers that make them, and the record keeping of the player object.

#include <gtest/gtest.h>

#include <memory>

#include "app/globals.h"
#include "support/temp_dir.h"
#include "world/player.h"

namespace {

class PlayerRecordsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::make_unique<TempDir>();
    TempDir::copy_gamedata("dat");
    sc.load();
    p.reset();
  }
  void TearDown() override { dir_.reset(); }
  std::unique_ptr<TempDir> dir_;
  Player p;
};

const char* FULL_H = "H 12 34 5 40 7 1a2b 88 20 3 4 120 60 7.5 14 22 30.5 31.5 32.5 450 9999 8 2 3 6";

TEST_F(PlayerRecordsTest, CompleteHRecordFillsEveryField) {
  int16_t ox = -1, oy = -1;
  EXPECT_EQ(p.parse_h_record(FULL_H, false, &ox, &oy), 0);
  // Field 5 (7) is stored as 1.
  EXPECT_EQ((std::vector<long>{p.x, p.y, p.map_level, p.age, p.pvp, p.code, p.hp, p.mana, p.rage,
                               p.energy, p.get_hp_max(), p.get_mana_max(), p.get_thaco(),
                               p.get_magic_resistance(), p.hunger, p.xp, p.lvl, p.remort_level,
                               p.mount, p.direction, ox, oy}),
            (std::vector<long>{12, 34, 5, 40, 1, 0x1a2b, 88, 20, 3, 4, 120, 60, 14, 22, 450, 9999,
                               8, 2, 3, 6, 12, 34}));
  EXPECT_EQ((std::vector<float>{p.get_ac(), p.str, p.dex, p.intel}),
            (std::vector<float>{7.5f, 30.5f, 31.5f, 32.5f}));
  // Keeping the position still fills the out parameters.
  p.x = 1;
  p.y = 2;
  ox = oy = 0;
  EXPECT_EQ(p.parse_h_record(FULL_H, true, &ox, &oy), 0);
  EXPECT_EQ((std::vector<int>{p.x, p.y, ox, oy}), (std::vector<int>{1, 2, 12, 34}));
}

TEST_F(PlayerRecordsTest, PartialHRecordKeepsWhatWasRead) {
  p.x = 1;
  p.y = 2;
  p.pvp = 0;
  p.lvl = 77;
  int16_t ox = -5, oy = -5;
  EXPECT_EQ(p.parse_h_record("H 12 34 5 40 7 1a2b 88 zz", false, &ox, &oy), 1);
  EXPECT_EQ(p.map_level, 5);
  EXPECT_EQ(p.age, 40);
  EXPECT_EQ(p.code, 0x1a2b);
  EXPECT_EQ(p.hp, 88);
  EXPECT_EQ(p.lvl, 77) << "fields after the failure keep their values";
  EXPECT_EQ(p.x, 1) << "position is stored only on success";
  EXPECT_EQ(p.y, 2);
  EXPECT_EQ(p.pvp, 0);
  EXPECT_EQ(ox, -5);
  EXPECT_EQ(p.parse_h_record("", false), 1);
  EXPECT_EQ(p.parse_h_record("X 1 2 3", false), 1);
}

TEST_F(PlayerRecordsTest, HRecordFiguresAreBounded) {
  // Regression: stats and armour class went unchecked into the integer rules
  // (stat, delay, carrying), where an absurd value overflowed.
  struct Case {
    const char* text;
    float expected;
  };
  const Case cases[] = {
      {"30.5", 30.5f}, {"1e30", PLAYER_FIGURE_LIMIT}, {"-1e30", -PLAYER_FIGURE_LIMIT},
      {"inf", PLAYER_FIGURE_LIMIT}, {"nan", 0.0f}, {"-nan", 0.0f},
  };
  for (const Case& c : cases) {
    std::string line = std::string("H 12 34 5 40 7 1a2b 88 20 3 4 120 60 ") + c.text + " 14 22 " +
                       c.text + " " + c.text + " " + c.text + " 450 9999 8 2 3 6";
    ASSERT_EQ(p.parse_h_record(line, false), 0) << c.text;
    EXPECT_FLOAT_EQ(p.net_ac, c.expected) << c.text;
    EXPECT_FLOAT_EQ(p.str, c.expected) << c.text;
    EXPECT_FLOAT_EQ(p.dex, c.expected) << c.text;
    EXPECT_FLOAT_EQ(p.intel, c.expected) << c.text;
    EXPECT_GT(p.get_delay(false, 0.0f), 0) << c.text;
  }
}

TEST_F(PlayerRecordsTest, HWriterRoundTrips) {
  ASSERT_EQ(p.parse_h_record(FULL_H, false), 0);
  EXPECT_EQ(p.mk_h_record(false),
            "H 12 34 5 40 1 1a2b 88 20 3 4 120 60 7.5 14 22 30.5 31.5 32.5 450 9999 8 2 3 6");
  p.pvp = 0;
  p.tmp_code = 0x77;
  EXPECT_EQ(p.mk_h_record(true).substr(0, 20), "H 12 34 5 40 1 77 88");
  EXPECT_EQ(p.mk_h_record(false).substr(0, 20), "H 12 34 5 40 0 77 88");
}

TEST_F(PlayerRecordsTest, StatsRecordFillsBonusesPerksBuffsCooldownsAndCounters) {
  p.buffs[99] = 1;
  p.health[HN_BLIND] = 4;
  p.parse_stats_packet(
      "@ 2 3 4 5 6 7 8 9 10 11 1 12 13ynynnnnnnnnnnnnnny b5=100 junk b7=-1 B 1 2 3 4 5 6 7 8 9 "
      "3 12 70 5 4 4");
  EXPECT_EQ((std::vector<int>{p.light, p.ac_bonus, p.dmg_bonus, p.thaco_bonus, p.str_bonus,
                              p.dex_bonus, p.intel_bonus, p.sight_bonus, p.health_bonus,
                              p.mana_bonus, p.stats_flag, p.load_bonus, p.mount_colour}),
            (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 1, 12, 13}));
  EXPECT_EQ((std::vector<int>{p.perk_flags[0], p.perk_flags[1], p.perk_flags[2], p.perk_flags[17]}),
            (std::vector<int>{1, 0, 1, 1}));
  EXPECT_EQ(p.buffs, (std::map<int, int>{{5, 100}, {7, -1}}));
  for (int i = 0; i < 9; ++i) EXPECT_EQ(p.cooldowns[i], i + 1);
  EXPECT_EQ(p.health[3], 12);
  EXPECT_EQ(p.health[4], 0) << "reading stops at index 70";
  EXPECT_EQ(p.health[HN_BLIND], 0);
}

TEST_F(PlayerRecordsTest, StatsRecordBonusesAreBounded) {
  // Regression: the bonuses went unchecked into integer sums (stat bonus,
  // sight, carrying strength), which overflowed for values near the int range.
  struct Case {
    const char* text;
    int expected;
    int16_t counter;  // a status counter holds 16 bits: the ends of that range
  };
  const Case cases[] = {{"12", 12, 12},
                        {"-12", -12, -12},
                        {"2147483647", 1000000, 32767},
                        {"-2147483648", -1000000, -32768},
                        {"99999999999", 1000000, 32767}};
  p.ring1 = make_code(0x1b8, 0, MP_STR_BONUS, 3);
  p.ring2 = make_code(0x1b8, 0, MP_NIGHTVISION, 3);
  p.hp = 10;
  for (const Case& c : cases) {
    std::string n = c.text;
    p.parse_stats_packet("@ 0 0 0 0 " + n + " 0 0 " + n + " 0 0 0 " + n +
                         " 0nnnnnnnnnnnnnnnnnn B 0 0 0 0 0 0 0 0 0 " +
                         std::to_string(HN_BLIND) + " " + n);
    EXPECT_EQ(p.health[HN_BLIND], c.counter) << c.text;
    EXPECT_EQ(p.str_bonus, c.expected) << c.text;
    EXPECT_EQ(p.sight_bonus, c.expected) << c.text;
    EXPECT_EQ(p.load_bonus, c.expected) << c.text;
    EXPECT_EQ(p.get_str_bonus(), c.expected + 3) << c.text;
    EXPECT_EQ(p.get_sight(), 1 + 3 + c.expected) << c.text;
    p.get_str();
    p.get_carry_str();
  }
}

// A shorter record empties the buffs and counters but keeps the fields and
// cooldowns it does not carry.
TEST_F(PlayerRecordsTest, ShortStatsRecordEmptiesBuffsAndCounters) {
  p.buffs[3] = 5;
  p.health[HN_BLIND] = 4;
  p.mount_colour = 9;
  p.cooldowns[0] = 7;
  p.parse_stats_packet("@ 1 2");
  EXPECT_EQ(p.light, 1);
  EXPECT_EQ(p.ac_bonus, 2);
  EXPECT_EQ(p.mount_colour, 9);
  EXPECT_EQ(p.cooldowns[0], 7);
  EXPECT_TRUE(p.buffs.empty());
  EXPECT_EQ(p.health[HN_BLIND], 0);
  p.parse_stats_packet("@ 1 2 3 4 5 6 7 8 9 10 0 11 12nnnnnnnnnnnnnnnnnn B 0 0 0 0 0 0 0 0 0");
  EXPECT_TRUE(p.buffs.empty()) << "no buff words before B";
}

TEST_F(PlayerRecordsTest, StatsWriterRoundTrips) {
  p.light = 3;
  p.ac_bonus = -2;
  p.mount_colour = 4;
  p.perk_flags[PERK_UNDEAD] = 1;
  p.buffs[2] = 50;
  p.buffs[11] = -1;
  p.cooldowns[8] = 6;
  p.health[HN_SLOWED] = 9;
  std::string rec = p.mk_stats_packet();
  EXPECT_EQ(rec,
            "@ 3 -2 0 0 0 0 0 0 0 0 0 0 4nnnnnnnnnnnynnnnnn b2=50 b11=-1 B 0 0 0 0 0 0 0 0 6 18 9");
  Player q;
  q.reset();
  q.parse_stats_packet(rec);
  EXPECT_EQ(q.mk_stats_packet(), rec);
}

TEST_F(PlayerRecordsTest, ArmsRecordNeedsExactlySixteenFields) {
  Player q;
  q.reset();
  q.weapon = Item(0x101L);
  q.ammo = Item(0x102L);
  q.hat = Item(0x103L);
  std::string rec = q.mk_arms_msg();
  EXPECT_EQ(p.sync_arms(rec), 0);
  EXPECT_EQ(p.weapon.code, 0x101);
  EXPECT_EQ(p.hat.code, 0x103);
  EXPECT_EQ(p.ammo.code, 0x102);
  EXPECT_EQ(p.mk_arms_msg(), rec);

  std::string fifteen = rec.substr(0, rec.rfind(' '));
  p.weapon = Item(0L);
  EXPECT_EQ(p.sync_arms(fifteen), 1);
  EXPECT_EQ(p.weapon.code, 0) << "a wrong field count changes nothing";
  EXPECT_NE(TempDir::read("cl_log.txt").find("arms sync split size=15"), std::string::npos);
  EXPECT_EQ(p.sync_arms(rec + " 5"), 1);
}

TEST_F(PlayerRecordsTest, SkillListsKeepEveryPosition) {
  ASSERT_EQ(sc.max_skills(), 12);
  for (float& s : p.skills) s = 9.0f;
  EXPECT_EQ(p.parse_skills("1.5:2::", false), 0);
  const float expected[] = {1.5f, 2.0f, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  for (int i = 0; i < 12; ++i) EXPECT_FLOAT_EQ(p.skills[i], expected[i]) << i;
  // Regression: an empty field keeps its place instead of pulling the rest left.
  p.parse_skills(":3:x:4.25", true);
  EXPECT_FLOAT_EQ(p.skill_bonuses[0], 0.0f);
  EXPECT_FLOAT_EQ(p.skill_bonuses[1], 3.0f);
  EXPECT_FLOAT_EQ(p.skill_bonuses[2], 0.0f);
  EXPECT_FLOAT_EQ(p.skill_bonuses[3], 4.25f);
  EXPECT_FLOAT_EQ(p.skills[0], 1.5f) << "bonuses go to their own array";
  EXPECT_EQ(p.mk_skill_list(true),
            "0.00:3.00:0.00:4.25:0.00:0.00:0.00:0.00:0.00:0.00:0.00:0.00:");
}

TEST_F(PlayerRecordsTest, SkillListsLongerThanAnyBufferStopAtTheArrays) {
  // Regression: the list was copied into a fixed buffer and read up to a
  // count that a pushed file can change.
  std::string big;
  for (int i = 0; i < 5000; ++i) big += "7.5:";
  p.skills[12] = 0.0f;
  EXPECT_EQ(p.parse_skills(big, false), 0);
  for (int i = 0; i < 12; ++i) EXPECT_FLOAT_EQ(p.skills[i], 7.5f);
  EXPECT_FLOAT_EQ(p.skills[12], 0.0f) << "nothing past the table's skills";
  p.parse_skills("nan:inf:1e40:1e30:-1e30:55.5", false);
  EXPECT_FLOAT_EQ(p.skills[0], 0.0f);
  EXPECT_FLOAT_EQ(p.skills[1], 0.0f);
  EXPECT_FLOAT_EQ(p.skills[2], 0.0f);
  // Regression: a huge finite value went into the integer rules unbounded.
  EXPECT_FLOAT_EQ(p.skills[3], PLAYER_FIGURE_LIMIT);
  EXPECT_FLOAT_EQ(p.skills[4], -PLAYER_FIGURE_LIMIT);
  EXPECT_FLOAT_EQ(p.skills[5], 55.5f);
}

// Nothing of the last character's session survives into the next login.
TEST_F(PlayerRecordsTest, ResetForgetsTheLastSession) {
  p.name = "Ann";
  p.skills[3] = 4;
  p.skill_limits[3] = 5;
  p.perk_flags[4] = 1;
  p.buffs[1] = 2;
  p.spell_binds[5] = 7;
  p.item_binds[5] = Item(0x200L);
  p.net_hp_max = 80;
  p.reset();
  EXPECT_EQ(p.name, "unknown");
  EXPECT_FLOAT_EQ(p.skills[3], 0.0f);
  EXPECT_FLOAT_EQ(p.skill_limits[3], 100.0f);
  EXPECT_EQ(p.perk_flags[4], 0);
  EXPECT_TRUE(p.buffs.empty());
  EXPECT_EQ(p.spell_binds[5], -1);
  EXPECT_EQ(p.item_binds[5].code, 0);
  EXPECT_EQ(p.net_hp_max, 0);
  EXPECT_EQ(p.mark_x[8], -1);
}

TEST_F(PlayerRecordsTest, StatusGuards) {
  p.cooldowns[COOLDOWN_POISON] = 3;
  p.set_health(HN_POISONED, 5);
  EXPECT_EQ(p.get_health(HN_POISONED), 0);
  p.cooldowns[COOLDOWN_POISON] = 0;
  p.set_health(HN_POISONED, 5);
  EXPECT_EQ(p.get_health(HN_POISONED), 5);
  p.set_health(HN_POISONED, 0);
  EXPECT_EQ(p.cooldowns[COOLDOWN_POISON], 15) << "the end of poison starts its cooldown";
  p.perk_flags[PERK_UNDEAD] = 1;
  p.set_health(HN_CHOKING, 3);
  EXPECT_EQ(p.get_health(HN_CHOKING), 0);
  p.health[HN_WEREWOLF_FORM] = 2;
  p.health[HN_CRIMINAL] = 0;
  EXPECT_EQ(p.get_health(HN_CRIMINAL), -1);
}

TEST_F(PlayerRecordsTest, NamesMarksAndStatusReset) {
  p.name = "name";
  p.clan = "ab";
  EXPECT_EQ(p.mk_display_name(), "name[ab]");
  p.dm = 1;
  std::string n, t;
  p.get_name_and_title(n, t);
  EXPECT_EQ(n, "DM name");
  p.x = 1;
  p.y = 2;
  p.map_level = 3;
  p.set_mark(2);
  int mx, my, ml;
  EXPECT_EQ(p.get_mark(2, mx, my, ml), 3);
  EXPECT_EQ(mx, 1);
  EXPECT_EQ(p.get_mark(9, mx, my, ml), -1) << "marks past the ninth do not exist";
  // The keeping status reset leaves a jail sentence; the full one clears it.
  p.health[HN_JAILED] = 5;
  p.health[HN_BLIND] = 5;
  p.reset_health(true);
  EXPECT_EQ(p.health[HN_JAILED], 5);
  EXPECT_EQ(p.health[HN_BLIND], 0);
  p.reset_health(false);
  EXPECT_EQ(p.health[HN_JAILED], 0);
}

}  // namespace
