#include "core/buffs.h"

#include <gtest/gtest.h>

#include <string>

#include "app/globals.h"
#include "support/temp_dir.h"

namespace {

TEST(Buffs, LoadFields) {
  TempDir dir;
  TempDir::write("dat/buffs.txt",
                 "# id\tname\tduration\ttype\tamount\n"
                 "7\t\"Stone skin\"\t60\t7\t10\n"
                 "8\tDrain\t30\t4\t-15%\t1\n"
                 "9\t\"\t5\t5\t0\t0\n"
                 "10\tShort\t5\t5\n"
                 "\n");
  Buffs b;
  EXPECT_EQ(b.load(), 3);
  EXPECT_EQ(b.get_name(7), "Stone skin");
  EXPECT_EQ(b.get_duration(7), 60);
  EXPECT_FALSE(b.get_aux_flag(7));
  EXPECT_EQ(b.get_effect_text(7), "defense +10");
  EXPECT_TRUE(b.get_aux_flag(8));
  EXPECT_EQ(b.get_effect_text(8), "hit points -15%");
  EXPECT_EQ(b.get_name(9), "");  // a lone quote
  EXPECT_EQ(b.get_effect_text(9), "mana ");
  EXPECT_FALSE(b.is_valid_id(10));
  // A reload replaces the ids it names and keeps the others; a missing file
  // keeps everything.
  TempDir::write("dat/buffs.txt", "8\tC\t9\t5\t2\n");
  EXPECT_EQ(b.load(), 1);
  EXPECT_EQ(b.get_name(7), "Stone skin");
  EXPECT_EQ(b.get_duration(8), 9);
  std::remove("dat/buffs.txt");
  EXPECT_EQ(b.load(), 0);
  EXPECT_EQ(b.get_name(8), "C");
}

TEST(Buffs, TotalModifier) {
  Buffs b;
  b.defs[1] = BuffDef{1, "p10", 10, BUFF_DEFENSE, 10, true, false};
  b.defs[2] = BuffDef{2, "m10", 10, BUFF_DEFENSE, -10, true, false};
  b.defs[3] = BuffDef{3, "flat", 10, BUFF_DEFENSE, 4, false, false};
  b.defs[4] = BuffDef{4, "other", 10, BUFF_DODGE, 50, false, false};
  struct { std::map<int, int> active; double base; int sum; } rows[] = {
      {{{1, 1}}, 4.0, 1},      // 0.4 rounds up to 1
      {{{1, 1}}, 25.0, 3},     // 2.5 -> 3
      {{{2, 1}}, 25.0, -2},    // -2.5 -> -2
      {{{2, 1}}, 4.0, 0},      // -0.4 -> 0
      {{{1, 1}}, 0.0, 0},
      {{{3, 0}}, 0.0, 0},      // count 0 adds nothing
      {{{3, -1}}, 0.0, 4},     // a lasting buff counts
      {{{3, 2}, {4, 2}}, 0.0, 4},
      {{{1, 1}, {3, 1}}, 100.0, 14},
      {{{99, 1}}, 100.0, 0},   // unknown id
  };
  for (const auto& r : rows) EXPECT_EQ(b.get_total_modifier(r.active, BUFF_DEFENSE, r.base), r.sum);
  // Unknown ids answer defaults and are not inserted by any query.
  EXPECT_FALSE(b.is_valid_id(99));
  EXPECT_EQ(b.get_name(99), "invalid");
  EXPECT_EQ(b.get_type(99), -1);
  b.get_effect_text(98);
  b.get_aux_flag(98);
  b.get_duration(98);
  EXPECT_EQ(b.defs.count(98) + b.defs.count(99), 0u);
}

// Amounts come from a data file: sums far out of range are clamped.
TEST(Buffs, TotalModifierClamps) {
  Buffs b;
  b.defs[1] = BuffDef{1, "a", 1, BUFF_DODGE, 2147483647, false, false};
  b.defs[2] = BuffDef{2, "b", 1, BUFF_DODGE, 2147483647, false, false};
  b.defs[3] = BuffDef{3, "c", 1, BUFF_MANA, -2147483647 - 1, true, false};
  EXPECT_EQ(b.get_total_modifier({{1, 1}, {2, 1}}, BUFF_DODGE, 0.0), 2147483647);
  EXPECT_EQ(b.get_total_modifier({{3, 1}}, BUFF_MANA, 1e300), -2147483647 - 1);
  EXPECT_EQ(b.get_total_modifier({{3, 1}}, BUFF_MANA, 0.0), 0);
}

TEST(Buffs, EffectTexts) {
  TempDir dir;
  TempDir::write("dat/common.cfg", "stats=strength,dexterity,intelligence\n");
  common_cfg.load();
  TempDir::write("dat/skills.txt", "A\ta\tstrength\n");
  sc.load();
  Buffs b;
  struct { int type, amount; bool percent; const char* text; } rows[] = {
      {BUFF_INTEL, 2, false, "intelligence +2"},
      {BUFF_DEX, 2, false, "dexterity +2"},
      {BUFF_STR, -1, false, "strength -1"},
      {BUFF_UNUSED_3, 5, false, "+5"},
      {BUFF_HEAL_OVER_TIME, 3, false, "healing over time +3"},
      {BUFF_HEALING_OVER_TIME, 3, false, "healing over time +3"},
      {BUFF_RESIST_FIRE, 20, true, "resist fire +20%"},
      {BUFF_MAGIC_DAMAGE_TAKEN, -5, true, "magic damage taken -5%"},
      {BUFF_EXPERIENCE, 0, true, "experience "},
      {42, 1, false, "+1"},
      {-1, 0, false, ""},
  };
  for (const auto& r : rows) {
    b.defs[1] = BuffDef{1, "x", 1, r.type, r.amount, r.percent, false};
    EXPECT_EQ(b.get_effect_text(1), r.text) << r.type;
  }
  EXPECT_EQ(b.get_effect_text(77), "intelligence ");  // empty definition: kind 0
}

}  // namespace
