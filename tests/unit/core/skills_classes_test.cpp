#include "core/skills_classes.h"

#include <gtest/gtest.h>

#include <string>

#include "app/globals.h"
#include "support/temp_dir.h"

namespace {

const char* const STATS_CFG = "stats=strength,dexterity,intelligence\nstat_key=s,d,i\n";

// Writes the three tables and the stats into a fresh directory and loads them.
struct Tables {
  TempDir dir;
  SkillsClasses sc;
  int result = -1;

  Tables(const std::string& skills, const std::string& classes, const std::string& races,
         const std::string& cfg = STATS_CFG) {
    TempDir::write("dat/common.cfg", cfg);
    common_cfg.load();
    TempDir::write("dat/skills.txt", skills);
    if (!classes.empty()) TempDir::write("dat/classes.txt", classes);
    if (!races.empty()) TempDir::write("dat/races.txt", races);
    result = sc.load();
  }
  std::string log() const { return TempDir::read("cl_log.txt"); }
};

// A race line of 21 columns with the given class keys, stealth factor and tiles.
std::string race(const std::string& name, const std::string& keys, const std::string& stealth = "100",
                 const std::string& male = "\"1,2\"", const std::string& female = "\"3\"") {
  return name + "\t" + keys + "\t110\t90\t100\t0\t7\t120\t105\t100\t100\t" + stealth +
         "\t100\t100\t95\t115\t150\tY\t" + male + "\t" + female + "\t\"A people.\"\n";
}

const char* const CLASSES =
    "Fighter\tf\t\tr\th\t\"Hits things.\"\tSwords\tShields\n"
    "Mage\tm\t\tm\tl\t\"Casts.\"\tFire\n"
    "Pyro\tp\tm\tm\tl\t\"Burns.\"\tFire\tNoSuchSkill\n"
    "Orphan\to\tz\te\tm\t\"Lost.\"\n";
const char* const SKILLS =
    "Swords\tS\tstrength\n"
    "Fire\tF\tintelligence\ty\tn\tp\t1f\tyes\t2\tab\n"
    "Shields\tD\tstrength\tn\tn\tf\t0\tn\t2\n"
    "Hiding\tH\tdexterity\tn\ty\tq\t0\tn\t2\n";

TEST(SkillsClasses, SkillColumnsAndDefaults) {
  Tables t(SKILLS, CLASSES, race("Human", "fm"));
  ASSERT_EQ(t.result, 0);
  ASSERT_EQ(t.sc.max_skills(), 4);
  // Only three columns: the rest take their defaults.
  EXPECT_EQ(t.sc.get_governing_stat(0), 1);
  EXPECT_EQ(t.sc.get_skill_class(0, false), 65535);
  EXPECT_EQ(t.sc.get_skill_group(0), 0);
  EXPECT_FALSE(t.sc.is_skill_flagged(0));
  // A full line: the stat by name, hex codes, "yes" for the count flag.
  const SkillRecord* fire = t.sc.get_skill(1);
  ASSERT_NE(fire, nullptr);
  EXPECT_EQ(fire->governing_stat, 3);
  EXPECT_EQ(fire->counts_in_total, 1);
  EXPECT_EQ(fire->second_code, 0xab);
  EXPECT_EQ(t.sc.get_skill_name_by_code(0x1f), "Fire");
  EXPECT_EQ(t.sc.get_skill_name_by_code(0x77), "");
  // Class keys become class ids; an unknown key becomes none.
  EXPECT_EQ(t.sc.get_skill_class(1, false), 2);
  EXPECT_EQ(t.sc.get_skill_class(1, true), 1);  // Pyro's parent, Mage
  EXPECT_EQ(t.sc.get_skill_class(2, false), 0);
  EXPECT_EQ(t.sc.get_skill_class(3, false), 65535);
  EXPECT_EQ(t.sc.get_skill_class(4, false), -1);
  EXPECT_EQ(t.sc.get_skills_in_group(1), (std::vector<int>{2, 3}));
  EXPECT_TRUE(t.sc.get_skills_in_group(0).empty());
  EXPECT_TRUE(t.sc.get_skills_in_group(-1).empty());
}

TEST(SkillsClasses, StatsAndLookups) {
  Tables t(SKILLS, CLASSES, race("Human", "fm"));
  struct { std::string name; int num; } stats[] = {
      {"strength", 1}, {"dexterity", 2}, {"intelligence", 3}, {"Strength", 0}, {"luck", 0}, {"", 0}};
  for (const auto& s : stats) EXPECT_EQ(t.sc.get_stat_num(s.name), s.num) << s.name;
  EXPECT_EQ(t.sc.get_stat_short_name(3), "int");
  for (int bad : {0, 4, -1}) {
    EXPECT_EQ(t.sc.get_stat_name(bad), "");
    EXPECT_EQ(t.sc.get_stat_short_name(bad), "");
    EXPECT_EQ(t.sc.get_stat_key(bad), 0);
  }
  EXPECT_EQ(t.sc.get_skill_nr("Fire"), 1);
  EXPECT_EQ(t.sc.get_skill_nr("fire"), -1);
  EXPECT_EQ(t.sc.get_skill_nr("Unknown"), -1);
  EXPECT_EQ(t.sc.get_class_nr('p'), 2);
  EXPECT_EQ(t.sc.get_class_nr('x'), -1);
  EXPECT_EQ(t.sc.get_mana_type_string(3), "energy");
  EXPECT_EQ(t.sc.get_mana_type_string(9), "");
}

TEST(SkillsClasses, HundredSkillsAtMost) {
  for (int lines : {100, 101}) {
    std::string skills;
    for (int i = 0; i < lines; ++i) skills += "Skill" + std::to_string(i) + "\tk\tstrength\n";
    Tables t(skills, CLASSES, race("Human", "f"));
    EXPECT_EQ(t.sc.max_skills(), 100) << lines;
    EXPECT_EQ(t.sc.get_skill_nr("Skill99"), 99);
    EXPECT_EQ(t.sc.get_skill_nr("Skill100"), -1);
    EXPECT_NE(t.log().find("Maximum number of skills (100) reached!!"), std::string::npos) << lines;
  }
}

// Short class lines are bounds-checked: missing columns read as empty.
TEST(SkillsClasses, ShortClassLines) {
  Tables t(SKILLS,
           "Three\tt\t\n"
           "Four\tf\t\tr\n"
           "Five\tv\t\tm\tm\n"
           "Six\ts\t\te\th\t\"Desc\"\n",
           race("Human", "f"));
  ASSERT_EQ(t.sc.max_classes(), 3);  // the three-column line takes no id
  struct { int id; const char* name; char armour; const char* desc; } rows[] = {
      {0, "Four", 0, ""}, {1, "Five", 'm', ""}, {2, "Six", 'h', "Desc"}};
  for (const auto& r : rows) {
    const ClassRecord* c = t.sc.get_class(r.id);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->name, r.name);
    EXPECT_EQ(c->armour, r.armour) << r.name;
    EXPECT_EQ(c->description, r.desc) << r.name;
    EXPECT_TRUE(c->skills.empty());
  }
}

TEST(SkillsClasses, ClassSkillsAndArmour) {
  Tables t(SKILLS, CLASSES, race("Human", "fm"));
  EXPECT_EQ(t.sc.get_class(2)->skills, (std::vector<int>{1}));  // unknown names left out
  EXPECT_TRUE(t.sc.class_can_use_skill(0, 0));
  EXPECT_FALSE(t.sc.class_can_use_skill(1, 0));
  EXPECT_TRUE(t.sc.class_can_use_skill(1, 3));  // open to all
  EXPECT_FALSE(t.sc.class_can_use_skill(-1, 3));
  EXPECT_FALSE(t.sc.class_can_use_skill(0, 4));
  // Fighter h, Mage l, Orphan m.
  struct { int cls; char letter; bool ok; } wear[] = {
      {0, 'h', true}, {0, 'm', true}, {1, 'm', false}, {1, 'h', false}, {1, 'l', true},
      {1, 'u', true}, {1, 'a', true}, {3, 'h', false}, {3, 'm', true}, {3, 'l', true},
      {9, 'a', false}, {-1, 'u', false}};
  for (const auto& w : wear) EXPECT_EQ(t.sc.class_can_wear(w.cls, w.letter), w.ok) << w.cls << w.letter;
  EXPECT_TRUE(t.sc.is_base_class(0));
  EXPECT_FALSE(t.sc.is_base_class(2));
  EXPECT_TRUE(t.sc.is_base_class(99));
  EXPECT_EQ(t.sc.get_parent_class(2), 1);
  EXPECT_EQ(t.sc.get_parent_class(3), -1);  // parent key 'z' belongs to no class
  EXPECT_EQ(t.sc.get_parent_class(0), -1);
  EXPECT_EQ(t.sc.get_parent_class(-5), -1);
}

TEST(SkillsClasses, Races) {
  Tables t(SKILLS, CLASSES,
           race("Human", "fmx", "150") + race("Odd", "zz") +
               "Short\tf\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12\t13\t14\t15\tY\t1\t2\n");
  ASSERT_EQ(t.sc.max_races(), 2);  // the 20-column line is skipped
  const RaceRecord* h = t.sc.get_race(0);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->classes, (std::vector<uint16_t>{0, 1}));  // the unknown key 'x' left out
  EXPECT_EQ(h->str_percent, 110);
  EXPECT_EQ(h->armour_percent, 115);
  EXPECT_EQ(h->male_tiles, (std::vector<int>{1, 2}));
  EXPECT_EQ(h->description, "A people.");
  EXPECT_TRUE(t.sc.is_race_selectable(0));
  EXPECT_FLOAT_EQ(t.sc.get_race_stealth_factor(0), 1.5f);
  for (int bad : {-1, 2, 65535}) {
    EXPECT_FLOAT_EQ(t.sc.get_race_stealth_factor(bad), 1.0f);
    EXPECT_EQ(t.sc.get_race(bad), nullptr);
    EXPECT_EQ(t.sc.get_racename(bad), "");
    EXPECT_FALSE(t.sc.race_can_be_class(bad, 0));
  }
  // Unknown class keys only: the race may be class 0 and nothing else.
  EXPECT_TRUE(t.sc.race_can_be_class(1, 0));
  EXPECT_FALSE(t.sc.race_can_be_class(1, 1));
  EXPECT_FALSE(t.sc.race_can_be_class(0, -1));
}

// A race without tiles still loads with its warning; the tile queries give
// a default instead of an empty list.
TEST(SkillsClasses, RaceWithoutTilesFallsBack) {
  Tables t(SKILLS, CLASSES, race("Ghost", "f", "100", "\"\"", ""));
  ASSERT_EQ(t.sc.max_races(), 1);
  EXPECT_NE(t.log().find("WARNING: races [Ghost] has no male tiles! expect crashing!"), std::string::npos);
  EXPECT_NE(t.log().find("WARNING: races [Ghost] has no female tiles! expect crashing!"), std::string::npos);
  EXPECT_TRUE(t.sc.get_race(0)->male_tiles.empty());
  EXPECT_EQ(t.sc.get_race_male_tiles(0), (std::vector<int>{SC_DEFAULT_AVATAR}));
  EXPECT_EQ(t.sc.get_race_female_tiles(0), (std::vector<int>{SC_DEFAULT_AVATAR}));
  EXPECT_EQ(t.sc.get_race_male_tiles(7), (std::vector<int>{SC_DEFAULT_AVATAR}));
}

// A race number that a reload took away answers null, never a stale record.
TEST(SkillsClasses, GetRaceAfterReloadWithFewerRaces) {
  Tables t(SKILLS, CLASSES, race("A", "f") + race("B", "m"));
  ASSERT_NE(t.sc.get_race(1), nullptr);
  unsigned generation = t.sc.race_generation();
  TempDir::write("dat/races.txt", race("A", "f"));
  ASSERT_EQ(t.sc.load(), 0);
  EXPECT_NE(t.sc.race_generation(), generation);
  EXPECT_EQ(t.sc.get_race(1), nullptr);
  EXPECT_EQ(t.sc.get_racename(0), "A");
}

TEST(SkillsClasses, MissingFiles) {
  {
    TempDir dir;
    SkillsClasses sc;
    EXPECT_EQ(sc.load(), 1);
    EXPECT_EQ(sc.max_skills(), 0);
  }
  // classes.txt missing: skills stay loaded, and a skill's class key is not
  // mistaken for a class id.
  Tables t(SKILLS, "", "");
  EXPECT_EQ(t.result, 1);
  EXPECT_EQ(t.sc.max_skills(), 4);
  EXPECT_EQ(t.sc.get_skill_class(1, false), 65535);
  // races.txt missing.
  Tables r(SKILLS, CLASSES, "");
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(r.sc.max_classes(), 4);
  EXPECT_EQ(r.sc.max_races(), 0);
}

TEST(SkillsClasses, EmptyTablesWarn) {
  Tables t("# nothing\n", "# none\n", "\n");
  EXPECT_EQ(t.result, 0);
  EXPECT_NE(t.log().find("WARNING: No skills defined!"), std::string::npos);
  EXPECT_NE(t.log().find("WARNING: No classes defined!"), std::string::npos);
  EXPECT_NE(t.log().find("WARNING: No races defined!"), std::string::npos);
}

}  // namespace
