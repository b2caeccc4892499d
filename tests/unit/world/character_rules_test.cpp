// Character rules: stat rounding and hunger, delays and the armour
// slow-down, draw codes, damage dice, requirement waivers, the server-side
// maxima and the guarded divisions.

#include <climits>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "app/globals.h"
#include "core/item_data.h"
#include "core/skills_classes.h"
#include "support/temp_dir.h"
#include "world/player.h"

namespace {

class CharacterRulesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::make_unique<TempDir>();
    TempDir::copy_gamedata("dat");
    sc.load();
    TempDir::write("dat/common.cfg", "skill_SK_UNARMED=0\nskill_SK_STEALTH=4\nbcode_hexed=1f0\n");
    common_cfg.load();
    saved_levels_ = PLAYER_LEVELS;
    saved_stat_value_ = STAT_VALUE;
    saved_waive_ = g_no_requirements;
    saved_turn_ = turn_delay_ms;
    PLAYER_LEVELS = false;
    STAT_VALUE = 1.0f;
    g_no_requirements = false;
    p.reset();
    p.str = p.dex = p.intel = 25.0f;
    p.hp = 10;
  }
  void TearDown() override {
    PLAYER_LEVELS = saved_levels_;
    STAT_VALUE = saved_stat_value_;
    g_no_requirements = saved_waive_;
    turn_delay_ms = saved_turn_;
    Player::derive_figures = false;
    dir_.reset();
  }
  std::unique_ptr<TempDir> dir_;
  bool saved_levels_ = false, saved_waive_ = false;
  float saved_stat_value_ = 1.0f;
  int saved_turn_ = 0;
  Player p;
};

TEST_F(CharacterRulesTest, StatBonusRoundsHalvesUpward) {
  RaceRecord race;
  p.race_rec = &race;
  struct Case {
    int percent;
    int expected;
  } cases[] = {{110, 3}, {90, -2}, {104, 1}, {100, 0}, {120, 5}, {INT_MIN, -536870937}};
  for (const Case& c : cases) {
    race.str_percent = c.percent;  // (percent - 100) x 25 / 100
    EXPECT_EQ(p.get_str_bonus(), c.expected) << c.percent;
  }
  p.str_bonus = 2;
  race.str_percent = 100;
  EXPECT_EQ(p.get_str_bonus(), 2);
  EXPECT_EQ(p.get_str(), 27);
}

// Each worn item of a stat's prefix class adds 5 to that stat's bonus:
// strength 2, 6, 10; dexterity 3, 7, 11; intelligence 4, 8, 12.
TEST_F(CharacterRulesTest, PrefixClassesRaiseTheirStat) {
  struct Case {
    int prefix_class;
    int str, dex, intel;
  };
  const Case cases[] = {
      {0, 0, 0, 0},  {1, 0, 0, 0},   {2, 10, 0, 0},  {3, 0, 10, 0},  {4, 0, 0, 10},
      {5, 0, 0, 0},  {6, 10, 0, 0},  {7, 0, 10, 0},  {8, 0, 0, 10},  {9, 0, 0, 0},
      {10, 10, 0, 0}, {11, 0, 10, 0}, {12, 0, 0, 10}, {13, 0, 0, 0},  {15, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.prefix_class);
    Item worn(0x1b8L);
    worn.set_prefix(c.prefix_class << 4);
    p.hat = worn;
    p.ring2 = worn;
    EXPECT_EQ(p.get_str_bonus(), c.str);
    EXPECT_EQ(p.get_dex_bonus(), c.dex);
    EXPECT_EQ(p.get_intel_bonus(), c.intel);
  }
}

TEST_F(CharacterRulesTest, HungerScalesTheBaseStat) {
  struct Case {
    int hunger;
    float factor;
    int str;
  } cases[] = {{500, 1.0f, 25}, {1, 1.0f, 25}, {0, 1.0f, 25},
               {-50, 0.75f, 18}, {-100, 0.5f, 12}, {-150, 0.5f, 12}};
  for (const Case& c : cases) {
    EXPECT_FLOAT_EQ(hunger_factor(c.hunger), c.factor) << c.hunger;
    p.hunger = static_cast<int16_t>(c.hunger);
    EXPECT_EQ(p.get_unscaled_str(), c.str) << c.hunger;
  }
  p.hunger = 500;
  p.health[HN_DISEASED] = 3;
  EXPECT_EQ(p.get_unscaled_dex(), 12);
  STAT_VALUE = 2.0f;
  EXPECT_EQ(p.get_dex(), 24);
}

TEST_F(CharacterRulesTest, MovementDelayFromDexterityAndStatus) {
  struct Case {
    float dex;
    int status;
    int expected;
  } cases[] = {
      {250.0f, -1, 262},          // base 300, no armour: 0.874 x 300
      {0.0f, -1, 305},            // base 350: 0.874 x 350 = 305.9
      {250.0f, HN_SLOWED, 524},   // doubled
      {0.0f, HN_SPEEDY, 262},     // speedy: base 300
      {0.0f, HN_HEXED, 750},
      {0.0f, HN_PILOT, 200},
      {0.0f, HN_WEREWOLF_FORM, 250},
  };
  for (const Case& c : cases) {
    p.reset_health(false);
    p.dex = c.dex;
    if (c.status >= 0) p.health[c.status] = 5;
    EXPECT_EQ(p.get_delay(false, 0.0f), c.expected) << c.dex << " status " << c.status;
  }
  p.reset_health(false);
  p.dm = 1;
  EXPECT_EQ(p.get_delay(false, 0.0f), 200);
  p.dm = 0;
  EXPECT_EQ(p.get_delay(true, 0.0f), 300) << "no configured weapon delay";
}

TEST_F(CharacterRulesTest, TurnBasedDelay) {
  common_cfg.set("turn_based", "1");
  turn_delay_ms = 0;
  EXPECT_EQ(p.get_delay(false, 0.0f), 200);
  turn_delay_ms = 450;
  EXPECT_EQ(p.get_delay(false, 0.0f), 450);
  EXPECT_EQ(p.get_delay(false, 100000.0f), 3000) << "encumbered";
}

TEST_F(CharacterRulesTest, ArmourSlowdownIsGuarded) {
  EXPECT_NEAR(p.armour_slowdown(25.0f, 0.0f), -0.126f, 1e-6);
  EXPECT_FLOAT_EQ(p.armour_slowdown(25.0f, 7.0f), 0.0f);
  // Regression: without "ready_weight_multiple" the scaling divided by zero.
  float r = p.armour_slowdown(40.0f, 17.0f);
  EXPECT_TRUE(std::isfinite(r));
  EXPECT_NEAR(r, 0.3f, 1e-5);
  common_cfg.set("ready_weight_multiple", "2");
  EXPECT_NEAR(p.armour_slowdown(40.0f, 17.0f), 0.3f * 28.0f / 34.0f, 1e-5);
  common_cfg.set("ready_weight_multiple", "1");
  EXPECT_FLOAT_EQ(p.armour_slowdown(100.0f, 17.0f), 0.0f) << "never below 0 once positive";
}

TEST_F(CharacterRulesTest, StatDamageMultiplierWithNoStatsIsZero) {
  // Regression: s / (s + g) with both 0.
  p.str = p.dex = p.intel = 0.0f;
  float m = p.stat_damage_multiplier();
  EXPECT_TRUE(std::isfinite(m));
  EXPECT_FLOAT_EQ(m, 0.0f);
  Player::derive_figures = true;
  common_cfg.set("thaco_bonus_str_rate", "5");
  common_cfg.set("thaco_bonus_dex_rate", "5");
  common_cfg.set("thaco_bonus_str_min_stat", "-10");
  common_cfg.set("thaco_bonus_dex_min_stat", "-10");
  int t = p.get_thaco();
  EXPECT_GE(t, 0);
  EXPECT_LT(t, 100);
}

// A pushed races table or common.cfg may hold any int: the figures built on
// them shrink towards their floor instead of wrapping round to their top.
TEST_F(CharacterRulesTest, ExtremeRaceAndConfigFiguresDoNotWrap) {
  RaceRecord race;
  race.to_hit_percent = race.armour_percent = race.magic_resistance_percent = INT_MIN;
  p.race_rec = &race;
  Player::derive_figures = true;
  common_cfg.set("thaco_bonus_dex_rate", "-1");
  common_cfg.set("thaco_bonus_dex_min_stat", "-2147483648");
  EXPECT_LT(p.get_thaco(), 0);
  EXPECT_LE(p.get_ac(), 0.0f);
  EXPECT_LE(p.get_magic_resistance(), 0);
}

TEST_F(CharacterRulesTest, WeightTaper) {
  EXPECT_FLOAT_EQ(weight_taper(100.0f), 100.0f);
  EXPECT_FLOAT_EQ(weight_taper(600.0f), 600.0f);
  EXPECT_NEAR(weight_taper(1200.0f), 0.86f * 1200.0f, 0.01f);
  EXPECT_NEAR(weight_taper(5000.0f), 0.57f * 5000.0f, 0.01f);
}

TEST_F(CharacterRulesTest, GoldRaisesLightAndSight) {
  p.light = 2;
  int sight = p.get_sight();
  EXPECT_EQ(p.get_light(), 2);
  p.hat = make_code(0x120, MAT_GOLD, 0, 0);
  EXPECT_EQ(p.get_light(), 3);
  EXPECT_EQ(p.get_sight(), sight + 1);
  p.hp = 0;
  EXPECT_EQ(p.get_sight(), 5);
}

TEST_F(CharacterRulesTest, DrawCode) {
  p.code = 0x44;
  EXPECT_EQ(p.get_draw_code(), 0x44);
  p.health[HN_HEXED] = 1;
  EXPECT_EQ(p.get_draw_code(), 0x1f0);
  p.health[HN_IN_STOCKS] = 1;
  EXPECT_EQ(p.get_draw_code(), 382);
  p.health[HN_PILOT] = 1;
  const int by_direction[] = {1090, 1090, 1090, 1092, 1090, 1091, 1090, 1093, 1090};
  for (int dir = 0; dir <= 8; ++dir) {
    p.direction = static_cast<int16_t>(dir);
    EXPECT_EQ(p.get_draw_code(), by_direction[dir]) << dir;
  }
}

TEST_F(CharacterRulesTest, MountedDrawCodeWrapsTheColour) {
  // Regression: the colour from the "@" record was multiplied in int and
  // overflowed for large values. The colour is added to the mount's tile.
  struct Case {
    int32_t colour;
    int added;
  };
  const Case cases[] = {{0, 0}, {2, 8192}, {-1, -4096}, {0x7FFFFFFF, -4096}, {0x100000, 0}};
  mounts.load();
  p.health[HN_MOUNTED] = 1;
  p.mount = 1;
  const uint32_t tile = static_cast<uint32_t>(mounts.get_tile(1, p.direction));
  ASSERT_NE(tile, 0u);
  for (const Case& c : cases) {
    p.mount_colour = c.colour;
    EXPECT_EQ(p.get_draw_code(), static_cast<int>(tile + static_cast<uint32_t>(c.added))) << c.colour;
  }
}

TEST_F(CharacterRulesTest, WeaponDelayOfAbsurdSpeedsSaturates) {
  // Regression: a weapon speed from a pushed data file multiplied into a
  // delay beyond the int range, which has no integer value.
  ItemData saved = wl;
  std::string weapons = TempDir::read("dat/weapons.txt");
  weapons += "1e0\tm\ts\tBlades\tfast_blade\tm\t1d6\t1\t40\tw\t2.0\t1e30\twsr\t0\t1\n";
  weapons += "1e1\tm\ts\tBlades\tneg_blade\tm\t1d6\t1\t40\tw\t2.0\t-1e30\twsr\t0\t1\n";
  weapons += "1e2\tm\ts\tBlades\tnan_blade\tm\t1d6\t1\t40\tw\t2.0\tnan\twsr\t0\t1\n";
  TempDir::write("dat/weapons.txt", weapons);
  wl.reload();
  struct Case {
    long code;
    int expected;
  };
  const Case cases[] = {{0x1e0, INT32_MAX}, {0x1e1, INT32_MIN}, {0x1e2, 0}};
  for (const Case& c : cases) {
    ASSERT_NE(wl.get_record(static_cast<int>(c.code)), nullptr) << c.code;
    EXPECT_EQ(p.get_weapon_delay(Item(c.code)), c.expected) << c.code;
  }
  wl = saved;
}

TEST_F(CharacterRulesTest, MagicModifierOfHugeArtifactEffectsIsBounded) {
  // Regression: artifact effect values from a pushed named.txt were summed
  // in int (and negated with abs), which overflowed.
  ItemData saved = wl;
  std::string named = TempDir::read("dat/named.txt");
  named += "7f0\t1b8\tHuge_Ring\t0\t3,2147483647\n";
  named += "7f1\t1b8\tLow_Ring\t0\t3,-2147483648\n";
  named += "7f2\t1b8\tSmall_Ring\t0\t3,4\n";
  TempDir::write("dat/named.txt", named);
  wl.reload();
  struct Case {
    long ring1, ring2;
    bool cursed;
    int expected;
  };
  const Case cases[] = {
      {0x7f2, 0x7f2, false, 8},
      {0x7f2, 0x7f2, true, -8},
      {0x7f0, 0x7f0, false, 1000000},
      {0x7f1, 0x7f1, false, -1000000},
      {0x7f1, 0x7f1, true, -1000000},
      {0x7f0, 0x7f1, false, -1},
  };
  for (const Case& c : cases) {
    p.ring1 = Item(c.ring1);
    p.ring2 = Item(c.ring2);
    if (c.cursed) {
      p.ring1.curse();
      p.ring2.curse();
    }
    EXPECT_EQ(p.get_magic_modifier(MP_STR_BONUS), c.expected) << c.ring1 << " " << c.ring2;
    p.get_str();
    p.get_carry_str();
  }
  wl = saved;
}

TEST_F(CharacterRulesTest, DamageDice) {
  p.skills[0] = 32.0f;  // unarmed, through skill_SK_UNARMED=0
  EXPECT_EQ(p.get_dmg_dice(), 1);
  EXPECT_EQ(p.get_dmg_sides(), 3);
  p.health[HN_WEREWOLF_FORM] = 1;
  EXPECT_EQ(p.get_dmg_dice(), 6);
  EXPECT_EQ(p.get_dmg_sides(), 6);
  p.health[HN_HEXED] = 1;
  EXPECT_EQ(p.get_dmg_dice(), 1);
  EXPECT_EQ(p.get_dmg_sides(), 2);
}

TEST_F(CharacterRulesTest, RequirementWaivers) {
  Item it = make_code(0x120, 0, 0, 0);
  EXPECT_EQ(p.check_requirement(it), 0) << "no levels in this world";
  PLAYER_LEVELS = true;
  common_cfg.set("old_style_classes", "1");
  EXPECT_NE(p.check_requirement(it), 2) << "old-style classes never refuse a class";
  p.dm = 1;
  p.lvl = 0;
  EXPECT_EQ(p.check_requirement(it), 0);
  p.dm = 0;
  g_no_requirements = true;
  EXPECT_EQ(p.check_requirement(it), 0);
}

TEST_F(CharacterRulesTest, ServerMaximaAndClientFigures) {
  p.net_hp_max = 77;
  p.net_mana_max = 33;
  EXPECT_EQ(p.get_hp_max(), 77) << "the client takes the received value";
  EXPECT_EQ(p.get_mana_max(), 33);
  Player::derive_figures = true;
  const struct {
    bool levels;
    float str, dex, intel;
    int lvl, hp_max;
  } hp_cases[] = {
      {false, 25, 25, 25, 1, 18},  // 0 x 2.5 / 6 + 25 / 2.8 + 10 = 18.9
      {true, 28, 25, 25, 4, 30},   // 28 / 2.8 + 4 x 2.5 + 10
      // A very weak character: -75 x 2.5 / 6 + 10 = -21.25, at least 1.
      {false, 0, 0, 0, 1, 1},
  };
  for (const auto& c : hp_cases) {
    PLAYER_LEVELS = c.levels;
    p.str = c.str;
    p.dex = c.dex;
    p.intel = c.intel;
    p.lvl = c.lvl;
    EXPECT_EQ(p.get_hp_max(), c.hp_max) << c.str << " " << c.lvl;
  }
  PLAYER_LEVELS = true;
  p.str = 28.0f;
  p.dex = 25.0f;
  p.lvl = 4;
  p.intel = 30.0f;
  EXPECT_EQ(p.get_mana_max(), 30);
  p.perk_flags[PERK_NO_MANA] = 1;
  EXPECT_EQ(p.get_mana_max(), 0);
}

TEST_F(CharacterRulesTest, PvpNeedsTheLevelAndNoSickness) {
  bool saved_pvp = pvp_enabled;
  int saved_min = pvp_min_level;
  pvp_enabled = false;
  EXPECT_FALSE(p.can_pvp());
  pvp_enabled = true;
  pvp_min_level = 5;
  p.lvl = 4;
  EXPECT_FALSE(p.can_pvp());
  p.lvl = 5;
  EXPECT_TRUE(p.can_pvp());
  p.health[HN_RES_SICKNESS] = 1;
  EXPECT_FALSE(p.can_pvp());
  pvp_enabled = saved_pvp;
  pvp_min_level = saved_min;
}

}  // namespace
