// Creatures: status counters and their guards, armour class, visibility,
// buffs, resistances and spells; rules read the figures through the
// virtual operations.

#include "world/sentient.h"

#include <gtest/gtest.h>

#include "app/globals.h"
#include "support/temp_dir.h"

namespace {

struct Undead : Sentient {
  bool undead() override { return true; }
};

struct Construct : Sentient {
  bool is_organic() override { return false; }
};

// A creature whose hex comes from something it wears: the rules must see it.
struct PermanentlyHexed : Sentient {
  int get_health(int n) override { return n == HN_HEXED ? -1 : Sentient::get_health(n); }
};

TEST(SentientTest, CountersAreClampedAndGuarded) {
  Sentient s;
  s.set_health(HN_BLIND, 40000);
  EXPECT_EQ(s.get_health(HN_BLIND), 32767);
  s.set_health(HN_BLIND, -40000);
  EXPECT_EQ(s.get_health(HN_BLIND), -32767);

  s.set_health(HN_POISONED, 5);
  EXPECT_EQ(s.get_health(HN_POISONED), 5);
  Undead u;
  u.set_health(HN_POISONED, 5);
  u.set_health(HN_SICK, 5);
  EXPECT_EQ(u.get_health(HN_POISONED), 0);
  EXPECT_EQ(u.get_health(HN_SICK), 0);
  Construct c;
  c.set_health(HN_SICK, 5);
  EXPECT_EQ(c.get_health(HN_SICK), 0);

  s.set_health(HN_WOUNDED, 30);
  s.set_health(HN_STONE_FORM, 10);
  EXPECT_EQ(s.get_health(HN_WOUNDED), 0);
  EXPECT_EQ(s.get_health(HN_STONE_FORM), 10);

  s.set_health(HN_SPEEDY, 3);
  s.set_health(HN_SLOWED, 8);
  EXPECT_EQ(s.get_health(HN_SLOWED), 0);

  s.ward_flag = 1;
  s.set_health(HN_HEXED, 4);
  s.set_health(HN_WOUNDED, 4);
  s.set_health(HN_ASLEEP, 4);
  EXPECT_EQ(s.get_health(HN_HEXED), 0);
  EXPECT_EQ(s.get_health(HN_WOUNDED), 0);
  EXPECT_EQ(s.get_health(HN_ASLEEP), 4);
}

TEST(SentientTest, DecrementCountsDownPositiveCountersOnly) {
  Sentient s;
  struct Case {
    int value, result;
  } cases[] = {{3, 2}, {1, 0}, {0, 0}, {-1, -1}};
  for (const Case& c : cases) {
    s.set_health(HN_DRUNK, c.value);
    EXPECT_EQ(s.dec_health(HN_DRUNK), c.result) << c.value;
    EXPECT_EQ(s.get_health(HN_DRUNK), c.result) << c.value;
  }
  s.set_health(HN_DRUNK, 7);
  EXPECT_EQ(s.clear_health(), 0);
  EXPECT_EQ(s.get_health(HN_DRUNK), 0);
}

TEST(SentientTest, CounterNumbersOutsideTheArrayAreRefused) {
  Sentient s;
  s.ac_base = 4;
  s.sight = 9;
  for (int n : {-1, MAXHEALTHNUMS, 1000, INT32_MIN}) {
    s.set_health(n, 77);
    EXPECT_EQ(s.get_health(n), 0) << n;
    EXPECT_EQ(s.dec_health(n), 0) << n;
  }
  EXPECT_EQ(s.ac_base, 4);
  EXPECT_EQ(s.sight, 9);
  s.set_health(62, 5);  // unnamed but inside the array
  EXPECT_EQ(s.get_health(62), 5);
}

TEST(SentientTest, ArmourClass) {
  Sentient s;
  s.ac_base = 5;
  s.poly_ac = 8;
  EXPECT_FLOAT_EQ(s.get_ac(), 5.0f);
  s.set_health(HN_CLEAVED, 1);
  EXPECT_FLOAT_EQ(s.get_ac(), 2.5f);
  s.set_health(HN_POLYMORPHED, 1);
  EXPECT_FLOAT_EQ(s.get_ac(), 4.0f);
  s.set_health(HN_HEXED, 1);
  EXPECT_FLOAT_EQ(s.get_ac(), 6.0f);
  s.set_health(HN_CLEAVED, 0);
  EXPECT_FLOAT_EQ(s.get_ac(), 12.0f);

  PermanentlyHexed p;
  p.ac_base = 5;
  EXPECT_FLOAT_EQ(p.get_ac(), 12.0f);
}

TEST(SentientTest, PolymorphAndWerewolfFigures) {
  Sentient s;
  s.str = 20;
  s.dex = 10;
  s.intel = 30;
  s.poly_dmg_dice = 2;
  s.poly_str_mult = 0.5f;
  EXPECT_EQ(s.get_dmg_dice(), 0);
  EXPECT_FLOAT_EQ(s.get_float_str(), 20.0f);
  s.set_health(HN_POLYMORPHED, 1);
  EXPECT_EQ(s.get_dmg_dice(), 2);
  EXPECT_FLOAT_EQ(s.get_float_str(), 30.0f);
  EXPECT_FLOAT_EQ(s.get_float_dex(), 10.0f);  // no factor for dexterity
  s.set_health(HN_WEREWOLF_FORM, 1);
  EXPECT_FLOAT_EQ(s.get_float_str(), 27.0f);
  EXPECT_FLOAT_EQ(s.get_float_dex(), 27.0f);
  EXPECT_FLOAT_EQ(s.get_float_intel(), 6.0f);
  EXPECT_TRUE(s.is_lycan());
}

TEST(SentientTest, Visibility) {
  struct Case {
    std::vector<int> statuses;
    bool visible;
  } cases[] = {
      {{}, true},
      {{HN_INVISIBLE}, false},
      {{HN_HIDING}, false},
      {{HN_HIDDEN_CANT_MOVE}, false},
      {{HN_INVISIBLE, HN_PILOT}, true},
      {{HN_HIDING, HN_PASSENGER}, true},
  };
  for (const Case& c : cases) {
    Sentient s;
    for (int n : c.statuses) s.set_health(n, 1);
    EXPECT_EQ(s.is_visible(), c.visible) << c.statuses.size();
  }
}

TEST(SentientTest, HitPointPercent) {
  Sentient s;
  s.str = 1000;
  s.hp = 1;
  EXPECT_EQ(s.get_hp_percent(), 1);
  s.hp = 500;
  EXPECT_EQ(s.get_hp_percent(), 50);
  s.hp = 3000;
  EXPECT_EQ(s.get_hp_percent(), 100);
  s.hp = -5;
  EXPECT_EQ(s.get_hp_percent(), 0);
  s.str = 0;
  EXPECT_EQ(s.get_hp_percent(), 0);
  EXPECT_EQ(s.get_mana_percent(), 0);
}

TEST(SentientTest, Hunger) {
  Sentient s;
  s.hunger = 32000;
  s.feed(2000);  // a full creature stays full rather than wrapping round
  EXPECT_EQ(s.hunger, 32767);
  EXPECT_TRUE(s.is_full());
  s.hunger = 100;
  s.tick_hunger();
  EXPECT_GE(s.hunger, 100 - 39);
  EXPECT_LE(s.hunger, 100 - 20);
  s.hunger = -100;
  s.tick_hunger();
  EXPECT_EQ(s.hunger, -100);
  Construct c;
  c.hunger = 5;
  c.tick_hunger();
  EXPECT_EQ(c.hunger, 1000);
  c.feed(500);
  EXPECT_EQ(c.hunger, 1000);
}

class SentientTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    buffs.defs.clear();
    buffs.defs[5] = BuffDef{5, "Flat fire ward", 20, BUFF_RESIST_FIRE, 7, false, false};
    buffs.defs[6] = BuffDef{6, "Half fire ward", 0, BUFF_RESIST_FIRE, 50, true, false};
    buffs.defs[7] = BuffDef{7, "Cold ward", 30, BUFF_RESIST_COLD, 4, false, false};
  }
  void TearDown() override { buffs.defs.clear(); }
};

TEST_F(SentientTablesTest, TickBuffs) {
  Sentient s;
  s.buffs = {{7, 1}, {8, 3}, {9, -4}};
  s.tick_buffs();
  EXPECT_EQ(s.buffs, (std::map<int, int>{{8, 2}, {9, -4}}));
}

TEST_F(SentientTablesTest, AddAndRemoveBuffs) {
  Sentient s;
  s.add_buff(5, -1);  // default duration
  s.add_buff(6, -1);  // its default is 0: nothing
  s.add_buff(7, 0);
  EXPECT_EQ(s.buffs, (std::map<int, int>{{5, 20}}));
  s.add_buff(5, 3);
  EXPECT_EQ(s.buffs[5], 3);
  EXPECT_EQ(s.add_permanent_buff(7, 1), -3);
  EXPECT_TRUE(s.has_buff(7));
  s.tick_buffs();
  EXPECT_EQ(s.buffs[7], -3);
  EXPECT_TRUE(s.has_buff_effect(BUFF_RESIST_COLD));
  EXPECT_FALSE(s.has_buff_effect(BUFF_DODGE));
  EXPECT_EQ(s.remove_buffs_of_type(BUFF_RESIST_FIRE), 1);
  EXPECT_EQ(s.remove_buffs_of_type(BUFF_RESIST_FIRE), 0);
  EXPECT_EQ(s.buffs, (std::map<int, int>{{7, -3}}));
}

TEST_F(SentientTablesTest, Resistances) {
  Sentient s;
  s.set_resistance(MAGIC_FIRE, 10);
  s.set_resistance(2048, 99);  // outside the eight kinds
  EXPECT_EQ(s.get_resistance(2048), 0);
  EXPECT_EQ(s.get_resistance(-1), 0);
  EXPECT_EQ(s.get_resistance(300), 10);
  s.buffs[5] = 4;
  EXPECT_EQ(s.get_resistance(300), 17);
  s.buffs[6] = 4;  // half of the base 10
  EXPECT_EQ(s.get_resistance(MAGIC_FIRE), 22);
  EXPECT_EQ(s.get_resistance(MAGIC_COLD), 0);
  s.buffs[7] = 1;
  EXPECT_EQ(s.get_resistance(MAGIC_COLD + 255), 4);
}

TEST(SentientSpellsTest, KnownSpells) {
  TempDir dir;
  TempDir::copy_gamedata("dat");
  ASSERT_EQ(spells.load(), 0);
  Sentient s;
  EXPECT_EQ(s.add_spell(1), 0);
  EXPECT_EQ(s.add_spell(1), 1);
  EXPECT_EQ(s.add_spell(-1), 1);
  EXPECT_EQ(s.add_spell(spells.get_num_spells()), 1);
  EXPECT_TRUE(s.has_spell(spells.get_spell_str(1)));
  EXPECT_EQ(s.remove_spell(spells.get_spell_str(1)), 0);
  EXPECT_EQ(s.remove_spell(1), 1);
}

}  // namespace
