#include "core/spells.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/globals.h"
#include "support/temp_dir.h"

namespace {

// One spells.txt line from its 20 required fields (and optional extras).
std::string spell_line(const std::string& id, const std::string& name, const std::string& classes,
                       const std::string& skill, int circle, int min_skill,
                       const std::string& tail = "") {
  std::vector<std::string> f = {id,     name,  "",  "func_" + name, "req", "2", std::to_string(circle),
                                classes, "m",  skill, std::to_string(min_skill), "5", "100", "directional",
                                "y",    "1a3", "params", "", "4", "n"};
  std::string line;
  for (size_t i = 0; i < f.size(); ++i) line += (i ? "\t" : "") + f[i];
  return line + tail + "\n";
}

// The class and skill tables that spells refer to, and the common keys.
struct World {
  TempDir dir;
  Spells spells;

  explicit World(const std::string& spells_txt, const std::string& extra_cfg = "") {
    TempDir::write("dat/common.cfg",
                   "stats=strength,dexterity,intelligence\nstat_key=s,d,i\n"
                   "cast_with_words_skills=Fire,Water\nstaff_schools=Fire,Bone\n"
                   "spell_levels=0\nspell_skill_bracket=12.5\n" + extra_cfg);
    common_cfg.load();
    TempDir::write("dat/skills.txt", "Fire\tf\tintelligence\nWater\tw\tintelligence\nBone\tb\tintelligence\nBow\to\tdexterity\n");
    TempDir::write("dat/classes.txt", "Mage\tm\t\tm\tl\nScout\ts\t\te\tm\n");
    TempDir::write("dat/races.txt", "");
    sc.load();
    TempDir::write("dat/spells.txt", spells_txt);
    spells.load();
  }
  std::string log() const { return TempDir::read("cl_log.txt"); }
};

TEST(Spells, SparseIds) {
  World w(spell_line("a", "vf", "m", "Fire", 3, 0));
  EXPECT_EQ(w.spells.get_num_spells(), 11);
  EXPECT_TRUE(w.spells.is_valid_id(3));
  EXPECT_EQ(w.spells.get_spell_str(3), "");
  EXPECT_EQ(w.spells.get_spell_id(""), -1);  // not the name of an unused id
  EXPECT_EQ(w.spells.get_spell_id_from_func(""), -1);
  EXPECT_EQ(w.spells.get_spell_id("vf"), 10);
  EXPECT_EQ(w.spells.get_spell_id("VF"), -1);
  EXPECT_EQ(w.spells.get_spell_id_from_func("func_vf"), 10);
}

TEST(Spells, BadIdsAndShortLines) {
  World w(spell_line("1000", "a", "m", "Fire", 1, 0) + spell_line("ffffffff", "b", "m", "Fire", 1, 0) +
          "2\tshort\tline\n" + spell_line("fff", "c", "m", "Fire", 1, 0));
  EXPECT_EQ(w.spells.get_num_spells(), 4096);
  EXPECT_EQ(w.spells.get_spell_str(0xfff), "c");
  EXPECT_EQ(w.spells.get_spell_str(2), "");
  std::string log = w.log();
  size_t first = log.find("invalid spell id - must be within 0-0xfff");
  ASSERT_NE(first, std::string::npos);
  EXPECT_NE(log.find("invalid spell id - must be within 0-0xfff", first + 1), std::string::npos);
}

TEST(Spells, BadIdAnswers) {
  World w(spell_line("1", "ab", "m", "Fire", 1, 0));
  for (int id : {-1, 2, 1000}) {
    SCOPED_TRACE(id);
    EXPECT_EQ(w.spells.get_spell_str(id), "invalid");
    EXPECT_EQ(w.spells.get_lvl(id), 0);
    EXPECT_EQ(w.spells.get_skill(id), -1);
    EXPECT_EQ(w.spells.get_mana_type(id), 'm');
    EXPECT_EQ(w.spells.get_wav_name(id), "sound/cast.wav");
    EXPECT_EQ(w.spells.get_item(id), Item(0L));
    EXPECT_EQ(w.spells.get_full_spell_name(id), "invalid");
    EXPECT_FALSE(w.spells.uses_words(id));
    EXPECT_FALSE(w.spells.class_can_use(id, 0));
    EXPECT_EQ(w.spells.get_record(id), nullptr);
  }
  EXPECT_EQ(w.spells.get_full_spell_name(std::string("nope")), "invalid");
}

TEST(Spells, Fields) {
  World w(spell_line("1", "magic arrow", "ms", "Bow", 2, 0) +
          "2\tbolt\tBolt\tf\tr\t7\t1\tm\tr\tFire\t0\t9\t50\tautotarget\tn\t0\tp\tbolt.wav\t3\ty\t\t\"Hits hard.\"\n");
  // The sound file defaults to the spell's name; the description is optional.
  EXPECT_EQ(w.spells.get_wav_name(1), "sound/sp_magic arrow.wav");
  EXPECT_EQ(w.spells.get_wav_name(2), "sound/bolt.wav");
  EXPECT_EQ(w.spells.get_description(1), "");
  EXPECT_EQ(w.spells.get_description(2), "Hits hard.");
  EXPECT_TRUE(w.spells.is_directional(1));
  EXPECT_TRUE(w.spells.is_autotargeting(2));
  EXPECT_FALSE(w.spells.req_targ(2));
  EXPECT_EQ(w.spells.get_item(1), Item(0x1a3L));
  EXPECT_EQ(w.spells.get_skill(1), 3);
  EXPECT_EQ(w.spells.get_max_level(), 7);
  EXPECT_EQ(w.spells.get_effect_nr(2), 3);
  EXPECT_TRUE(w.spells.get_extra_flag(2));
  EXPECT_TRUE(w.spells.class_can_use(1, 0));
  EXPECT_TRUE(w.spells.class_can_use(1, 1));
  EXPECT_FALSE(w.spells.class_can_use(2, 1));
}

// An unknown class key is kept as 65535 and matches no caller, not even one
// passing -1 or 65535.
TEST(Spells, ClassCanUseNeverMatchesUnknownClass) {
  World w(spell_line("1", "ab", "mz", "Fire", 1, 0) + spell_line("1", "ab", "q", "Fire", 1, 0));
  const SpellRecord* r = w.spells.get_record(1);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->class_list, (std::vector<uint16_t>{0, 65535, 65535}));  // a repeated id appends
  struct { int cls; bool ok; } rows[] = {{0, true}, {1, false}, {-1, false}, {65535, false}, {-65536, false}};
  for (const auto& row : rows) EXPECT_EQ(w.spells.class_can_use(1, row.cls), row.ok) << row.cls;
}

TEST(Spells, Incantations) {
  World w(spell_line("1", "vf", "m", "Fire", 1, 0, "\tx") + spell_line("2", "a0z9", "m", "Water", 1, 0) +
          spell_line("3", "aB", "m", "Fire", 1, 0) + spell_line("4", "vf", "m", "Bow", 1, 0) +
          "5\tkal\tShown\tf\tr\t1\t1\tm\tm\tBone\t0\t1\t1\tnone\tn\t0\t\t\t0\tn\n");
  EXPECT_EQ(w.spells.get_full_spell_name(1), "Vas Flam");
  EXPECT_EQ(w.spells.get_full_spell_name(1, true), "vf");
  EXPECT_EQ(w.spells.get_full_spell_name(std::string("vf")), "Vas Flam");
  EXPECT_EQ(w.spells.get_full_spell_name(2), "An 0 Zu IX");
  EXPECT_EQ(w.spells.get_full_spell_name(3), "An ");  // 'B' has no word
  EXPECT_EQ(w.spells.get_full_spell_name(4), "vf");   // Bow is not cast with words
  EXPECT_EQ(w.spells.get_full_spell_name(5), "Shown");
  EXPECT_TRUE(w.spells.uses_words(1));
  EXPECT_FALSE(w.spells.uses_words(5));
  EXPECT_FALSE(Spells::valid_word('Z'));
}

TEST(Spells, WordsWithoutKey) {
  // No "cast_with_words_skills": only spells of an unknown skill use words.
  World w(spell_line("1", "vf", "m", "Fire", 1, 0) + spell_line("2", "vf", "m", "Nothing", 1, 0));
  common_cfg.erase_key("cast_with_words_skills");
  EXPECT_FALSE(w.spells.uses_words(1));
  EXPECT_TRUE(w.spells.uses_words(2));
}

TEST(Spells, SuccessChanceByCircle) {
  World w(spell_line("1", "a", "m", "Fire", 3, 0) + spell_line("2", "b", "m", "Fire", 4, 0) +
          spell_line("3", "c", "m", "Fire", 4, 40) + spell_line("4", "d", "m", "Fire", -1, 0));
  struct { int id; float skill; int chance; } rows[] = {
      {1, 30.0f, 50}, {1, 49.6f, 99}, {1, 10.0f, 0}, {1, 31.0f, 52}, {1, 0.0f, 0},
      {3, 39.5f, 0}, {3, 40.0f, 99}, {4, 100.0f, 0}};
  for (const auto& r : rows) EXPECT_EQ(w.spells.get_success_chance(r.id, r.skill), r.chance) << r.id << " " << r.skill;
  common_cfg.set("spell_levels", "1");
  struct { int id; float skill; int chance; } levels[] = {
      {2, 49.9f, 0}, {2, 50.0f, 99}, {3, 39.5f, 0}, {3, 40.0f, 99}};
  for (const auto& r : levels) EXPECT_EQ(w.spells.get_success_chance(r.id, r.skill), r.chance) << r.id << " " << r.skill;
}

// The staff schools follow the skill table of the moment, also after a reload
// that renumbers the skills.
TEST(Spells, StaffSchoolsFollowReload) {
  World w(spell_line("1", "a", "m", "Fire", 1, 0));
  EXPECT_TRUE(w.spells.is_staff_school(0));
  EXPECT_TRUE(w.spells.is_staff_school(2));
  EXPECT_FALSE(w.spells.is_staff_school(1));
  TempDir::write("dat/skills.txt", "Water\tw\tintelligence\nBow\to\tdexterity\nFire\tf\tintelligence\nBone\tb\tintelligence\n");
  sc.load();
  w.spells.load();
  EXPECT_FALSE(w.spells.is_staff_school(0));
  EXPECT_TRUE(w.spells.is_staff_school(2));
  EXPECT_TRUE(w.spells.is_staff_school(3));
  common_cfg.set("staff_schools", "");
  EXPECT_FALSE(w.spells.is_staff_school(2));
}

TEST(Spells, MissingFile) {
  World w(spell_line("1", "a", "m", "Fire", 5, 0));
  std::remove("dat/spells.txt");
  EXPECT_EQ(w.spells.load(), 1);
  EXPECT_EQ(w.spells.get_num_spells(), 0);
  EXPECT_EQ(w.spells.get_max_level(), 2);  // never lowered
  EXPECT_NE(w.log().find("dat/spells.txt not found"), std::string::npos);
}

}  // namespace
