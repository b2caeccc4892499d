// The character file: save and load round trip, the older forms the reader
// accepts, buff filtering and lines of any length.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "app/client_app.h"
#include "app/globals.h"
#include "support/temp_dir.h"
#include "world/player.h"

namespace {

class CharacterFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::make_unique<TempDir>();
    TempDir::copy_gamedata("dat");
    ASSERT_EQ(sc.load(), 0);
    buffs.load();
    p.reset();
  }
  std::unique_ptr<TempDir> dir_;
  Player p;
};

// A minimal file of the older kind, with the given tail after the equipment.
std::string old_file(const std::string& middle, const std::string& tail) {
  return "NAME=Old\nX=5\nY=6\nZ=1\nGENDER=F\nAGE=20\nRACE=0\nCLASS=w\nAVATAR=1f\n"
         "VERSION=1008\nHPCUR=0\nMANACUR=0\nRAGE=0\nENERGY=0\nSTR=20.00\nDEX=21.00\nINT=22.00\n"
         "WIS=9.0\nSIGHT=2\nACBASE=10\nALIGN=0.5\n" +
         middle +
         "XP=100\nLVL=3\nWEAPON=0\nSHIELD=0\nARMOUR=0\nBOOTS=0\nGLOVES=0\nHAT=0\nTROUSERS=0\n"
         "RING1=0\nRING2=0\nAMULET=0\nHEALTH=0\n" +
         tail;
}

TEST_F(CharacterFileTest, SaveAndLoadRoundTrip) {
  p.name = "Ann";
  p.tag = 0x1234abcdULL;
  p.title = "the Bold";
  p.cdate = "2026/01/02 03:04";
  p.x = 10;
  p.y = 11;
  p.map_level = 2;
  p.gender = 'F';
  p.age = 30;
  p.cls = 2;
  p.code = 0x2a;
  p.net_hp_max = 500;
  p.net_mana_max = 500;
  p.hp = 55;
  p.mana = 20;
  p.str = 30.25f;
  p.str_bonus = 2;
  p.str_cap = 60;
  p.dex_cap = 61;
  p.intel_cap = 62;
  p.align = 1.5f;
  p.chats[1] = 0;
  p.xp = 123456;
  p.lvl = 7;
  p.pvp = 1;
  p.bind_level = 4;
  p.party = 77;
  p.meta = "quest done";
  p.mount_colour = 3;
  p.pickups[0] = 1;
  p.health[HN_BLIND] = 4;
  p.cooldowns[13] = 8;
  p.perk_flags[PERK_UNDEAD] = 1;
  p.buffs[2] = 100;
  p.spell_binds[0] = 5;
  p.spell_binds[59] = 6;
  p.item_binds[1] = Item(0x101L);
  p.skills[0] = 12.5f;
  p.skills[11] = 3.0f;
  p.skill_bonuses[0] = -1.5f;
  p.skill_bonuses[1] = 0.25f;
  p.skill_limits[2] = 80.0f;
  p.set_mark(3);
  ItemList inventory;
  ASSERT_EQ(p.save(inventory, ""), 0);

  // What was read writes the same file again; a few fields are checked on
  // their own where the reader could go wrong in the same way as the writer.
  Player q;
  q.reset();
  q.net_hp_max = 500;
  q.net_mana_max = 500;
  ASSERT_EQ(q.load("Ann", ""), 0);
  std::filesystem::create_directory("again");
  ASSERT_EQ(q.save(inventory, "again/"), 0);
  EXPECT_EQ(TempDir::read("again/Ann.plr"), TempDir::read("Ann.plr"));
  EXPECT_EQ(q.tag, 0x1234abcdULL);
  EXPECT_EQ(q.cdate, "2026/01/02 03:04");
  EXPECT_EQ(q.x, 10);
  EXPECT_EQ(q.hp, 55);
  EXPECT_FLOAT_EQ(q.str, 30.25f);
  EXPECT_EQ(q.meta, "quest done");
  EXPECT_EQ(q.buffs, p.buffs);
  EXPECT_EQ(q.spell_binds[1], -1);
  EXPECT_EQ(q.spell_binds[59], 6);
  EXPECT_EQ(q.item_binds[1].code, 0x101);
  EXPECT_FLOAT_EQ(q.skill_bonuses[0], -1.5f) << "a negative first value survives the key";
  EXPECT_FLOAT_EQ(q.skill_limits[0], 100.0f);
  EXPECT_EQ(q.mark_level[3], 2);
  EXPECT_EQ(q.mark_x[0], -1);
}

TEST_F(CharacterFileTest, HitPointsAreCappedOnSave) {
  p.name = "Cap";
  p.net_hp_max = 40;
  p.hp = 90;
  ItemList inventory;
  ASSERT_EQ(p.save(inventory, ""), 0);
  EXPECT_NE(TempDir::read("Cap.plr").find("\nHPCUR=40\n"), std::string::npos);
}

TEST_F(CharacterFileTest, OlderFormsLoad) {
  TempDir::write("Old.plr", old_file("ETHICS=y\n",
                                     "SB=1.00:2.00:\n3.00:4.00:5.00:\n"));
  for (float& l : p.skill_limits) l = 7.0f;
  ASSERT_EQ(p.load("Old", ""), 0);
  EXPECT_EQ(p.chats[0], 1);
  EXPECT_EQ(p.chats[1], 1);
  EXPECT_EQ(p.pvp, 0);
  EXPECT_EQ(p.pickups[0], 0);
  EXPECT_EQ(p.pickups[1], 1);
  EXPECT_FLOAT_EQ(p.skill_bonuses[1], 2.0f);
  EXPECT_FLOAT_EQ(p.skills[0], 3.0f) << "an old raw-skill line has no key";
  EXPECT_FLOAT_EQ(p.skills[2], 5.0f);
  EXPECT_FLOAT_EQ(p.skills[3], 0.0f);
  for (int i = 0; i < 12; ++i) EXPECT_FLOAT_EQ(p.skill_limits[i], 100.0f) << i;
  EXPECT_EQ(p.cls, 0);
  EXPECT_EQ(p.gender, 'F');
  // A chats line with one number: the second stays on.
  TempDir::write("Old.plr", old_file("CHATS=0\n", ""));
  ASSERT_EQ(p.load("Old", ""), 0);
  EXPECT_EQ(p.chats[0], 0);
  EXPECT_EQ(p.chats[1], 1);
}

TEST_F(CharacterFileTest, FiguresAreBounded) {
  // Regression: "%f" reads nan and huge values, which then overflowed the
  // integer rules.
  struct Case {
    const char* text;
    float expected;
  };
  const Case cases[] = {{"12.5", 12.5f}, {"nan", 0.0f}, {"1e30", PLAYER_FIGURE_LIMIT},
                        {"-inf", -PLAYER_FIGURE_LIMIT}};
  for (const Case& c : cases) {
    std::string file = old_file("ETHICS=y\n", std::string("SB=0:\n") + c.text + ":1:\n");
    size_t at = file.find("STR=20.00");
    ASSERT_NE(at, std::string::npos);
    file.replace(at, 9, std::string("STR=") + c.text);
    TempDir::write("Old.plr", file);
    ASSERT_EQ(p.load("Old", ""), 0) << c.text;
    EXPECT_FLOAT_EQ(p.str, c.expected) << c.text;
    EXPECT_FLOAT_EQ(p.skills[0], c.expected) << c.text;
    EXPECT_FLOAT_EQ(p.skills[1], 1.0f) << c.text;
  }
}

TEST_F(CharacterFileTest, MissingRequiredLinesAndFiles) {
  EXPECT_EQ(p.load("Nobody", ""), 1);
  TempDir::write("Old.plr", old_file("", ""));  // neither CHATS nor ETHICS
  EXPECT_EQ(p.load("Old", ""), 2);
  EXPECT_EQ(p.x, 5) << "what was read before the failure is kept";
  TempDir::write("Short.plr", "NAME=Short\nX=1\n");
  EXPECT_EQ(p.load("Short", ""), 2);
  TempDir::write("Bad.plr", "NAME=Bad\nX=abc\n");
  EXPECT_EQ(p.load("Bad", ""), 2);
}

TEST_F(CharacterFileTest, BuffsAreFiltered) {
  TempDir::write("Old.plr",
                 old_file("ETHICS=n\n", "BUFFS=5x100 7x40000 8x-1 999x5 junk 6x-2 2x36000\n"));
  p.buffs[1] = 3;
  ASSERT_EQ(p.load("Old", ""), 0);
  std::map<int, int> expected = {{5, 100}, {8, -1}, {2, 36000}};
  EXPECT_EQ(p.buffs, expected);
}

TEST_F(CharacterFileTest, BindingsOldAndNewAndAbsent) {
  p.spell_binds[3] = 9;
  p.item_binds[3] = Item(0x111L);
  TempDir::write("Old.plr", old_file("ETHICS=n\n", ""));
  ASSERT_EQ(p.load("Old", ""), 0);
  EXPECT_EQ(p.spell_binds[3], 9) << "no IBINDS line leaves both tables";
  EXPECT_EQ(p.item_binds[3].code, 0x111);

  TempDir::write("Old.plr", old_file("ETHICS=n\n", "IBINDS=101 102\nSBINDS=1 2 3 4 5 6 7 8\n"));
  ASSERT_EQ(p.load("Old", ""), 0);
  EXPECT_EQ(p.item_binds[0].code, 0x101);
  EXPECT_EQ(p.item_binds[3].code, 0);
  EXPECT_EQ(p.spell_binds[0], -1);
  EXPECT_EQ(p.spell_binds[9], -1);
  EXPECT_EQ(p.spell_binds[10], 1);
  EXPECT_EQ(p.spell_binds[17], 8);
}

TEST_F(CharacterFileTest, VeryLongBindLineDoesNotShiftLaterLines) {
  // Regression: lines were read in 200- and 900-character pieces, so a long
  // line spilled into the next key and shifted every later field.
  std::string binds = "IBINDS=";
  for (int i = 0; i < 60; ++i) binds += "101.0.0.0.0." + std::string(40, 'a' + i % 26) + " ";
  ASSERT_GT(binds.size(), 2000u);
  std::string sbinds = "SBINDS=";
  for (int i = 0; i < 60; ++i) sbinds += (i ? ":" : "") + std::to_string(i);
  TempDir::write("Long.plr",
                 old_file("ETHICS=n\n", binds + "\n" + sbinds + "\nSB=0.5:\n2.5:\n" +
                                            "SPELL=\nMARK=1,2,3\n"));
  ASSERT_EQ(p.load("Long", ""), 0);
  EXPECT_EQ(p.spell_binds[0], 0);
  EXPECT_EQ(p.spell_binds[59], 59);
  EXPECT_FLOAT_EQ(p.skill_bonuses[0], 0.5f);
  EXPECT_FLOAT_EQ(p.skills[0], 2.5f);
  EXPECT_EQ(p.mark_x[0], 1);
  EXPECT_EQ(p.mark_level[0], 3);
}

TEST_F(CharacterFileTest, NewCharacterAndRemoval) {
  p.dex = 30.0f;
  p.mknew(9, "Neo", "1c", "2", "female", "77");
  EXPECT_EQ(p.id, 9);
  EXPECT_EQ(p.speed, 250) << "speed from the dexterity before creation";
  EXPECT_EQ(p.name, "Neo");
  EXPECT_EQ(p.code, 0x1c);
  EXPECT_EQ(p.gender, 'f');
  EXPECT_FLOAT_EQ(p.str, 25.0f);
  EXPECT_EQ(p.lvl, 1);
  EXPECT_EQ(p.cls, 2);
  EXPECT_EQ(p.race, 0) << "a race outside the table becomes 0";
  EXPECT_EQ(p.cdate.size(), 16u);
  p.mknew(9, "Neo", "1c", "99", "", "0");
  EXPECT_EQ(p.cls, 0);
  EXPECT_EQ(p.gender, 'M');
  ItemList inventory;
  ASSERT_EQ(p.save(inventory, ""), 0);
  EXPECT_EQ(p.remove_file(""), 0);
  EXPECT_EQ(p.load("Neo", ""), 1);
  EXPECT_EQ(p.save(inventory, "no/such/dir/"), 1);
}

TEST_F(CharacterFileTest, NewCharacterMaximaIncludeTheRace) {
  // Stoneborn (race 1) has 115% hit points: a new character starts full.
  bool old_derive = Player::derive_figures, old_levels = PLAYER_LEVELS;
  float old_stat_value = STAT_VALUE;
  Player::derive_figures = true;
  PLAYER_LEVELS = true;
  STAT_VALUE = 1.0f;
  p.mknew(9, "Rok", "0", "0", "M", "1");
  EXPECT_EQ(p.race, 1);
  EXPECT_EQ(p.hp, p.get_hp_max());
  Player valefolk;
  valefolk.mknew(9, "Val", "0", "0", "M", "0");
  EXPECT_GT(p.hp, valefolk.hp);
  Player::derive_figures = old_derive;
  PLAYER_LEVELS = old_levels;
  STAT_VALUE = old_stat_value;
}

}  // namespace
