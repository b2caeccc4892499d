#pragma once
// Stats, skills, classes and races: the character-building rules read from
// "dat/skills.txt", "dat/classes.txt", "dat/races.txt" and the "stats" and
// "stat_key" keys of "dat/common.cfg".

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Stat numbers are 1-based; 0 means none. The sample world names stats 1-3.
enum stat_num { STAT_NONE = 0, STAT_STR = 1, STAT_DEX = 2, STAT_INT = 3 };

// The power pool of a class, by its letter.
enum mana_type { MANA_NONE = 0, MANA_ENERGY = 'e', MANA_MANA = 'm', MANA_RAGE = 'r' };

constexpr int SC_MAX_SKILLS = 100;
// class_id of a skill that belongs to no class.
constexpr uint16_t SC_NO_CLASS = 65535;

struct SkillRecord {
  std::string name;
  char key = 0;
  int governing_stat = 0;
  uint8_t open_to_all_classes = 0;
  uint8_t third_column_flag = 0;
  uint16_t class_id = SC_NO_CLASS;
  int code = 0;
  uint8_t counts_in_total = 0;
  int group = 0;
  int second_code = 0;
};

struct ClassRecord {
  uint16_t id = 0;
  std::string name;
  char key = 0;
  char parent_key = static_cast<char>(255);
  uint8_t is_subclass = 0;
  char armour = 0;
  std::vector<int> skills;
  int mana_type = 0;
  std::string description;
};

struct RaceRecord {
  uint8_t selectable = 0;
  std::string name;
  std::vector<uint16_t> classes;
  int str_percent = 100;
  int dex_percent = 100;
  int intel_percent = 100;
  int column_6_value = 0;
  int hp_percent = 100;
  int magic_resistance_percent = 100;
  int armour_percent = 100;
  int to_hit_percent = 100;
  // Columns 9, 10, 11, 12, 13 and 16 divided by 100.
  float factors[6] = {1, 1, 1, 1, 1, 1};
  std::vector<int> male_tiles;
  std::vector<int> female_tiles;
  std::string description;
};

// Avatar picture given to a race whose line lists none.
constexpr int SC_DEFAULT_AVATAR = 0;

class SkillsClasses {
 public:
  // 0 done; 1 when one of the three files cannot be opened (what was read
  // before stays).
  int load();

  int max_skills() const { return static_cast<int>(skills_.size()); }
  int max_classes() const { return static_cast<int>(classes_.size()); }
  int max_races() const { return static_cast<int>(races_.size()); }

  int get_stat_num(const std::string& name) const;
  std::string get_stat_name(int stat) const;
  std::string get_stat_short_name(int stat) const;
  char get_stat_key(int stat) const;

  int get_skill_nr(const std::string& name) const;
  std::string get_skillname(int skill) const;
  std::string get_skill_name_by_code(int code) const;
  int get_governing_stat(int skill) const;
  bool get_skill_third_column_flag(int skill) const;
  bool is_skill_flagged(int skill) const;
  int get_skill_group(int skill) const;
  std::vector<int> get_skills_in_group(int skill) const;
  int get_skill_class(int skill, bool to_parent) const;
  const SkillRecord* get_skill(int skill) const;

  int get_class_nr(const std::string& name) const;
  int get_class_nr(char key) const;
  std::string get_classname(int cls) const;
  char get_short_classname(int cls) const;
  std::string get_class_description(int cls) const;
  bool is_base_class(int cls) const;
  int get_parent_class(int cls) const;
  int get_mana_type(int cls) const;
  std::string get_mana_type_string(int cls) const;
  bool class_can_use_skill(int cls, int skill) const;
  bool class_can_wear(int cls, char armour_letter) const;
  const ClassRecord* get_class(int cls) const;

  std::string get_racename(int race) const;
  std::string get_race_description(int race) const;
  bool is_race_selectable(int race) const;
  // A view valid only until the next load: holders copy what they need or
  // ask again, and must check for null (a bad number).
  const RaceRecord* get_race(int race) const;
  // Goes up each time the race list is rebuilt, so that a holder of a race
  // view can tell that it must fetch it again.
  unsigned race_generation() const { return race_generation_; }
  bool race_can_be_class(int race, int cls) const;
  // The race's tile lists, never empty: a race without tiles of its own
  // (or a bad number) gets the single tile SC_DEFAULT_AVATAR.
  std::vector<int> get_race_male_tiles(int race) const;
  std::vector<int> get_race_female_tiles(int race) const;

  float get_race_factor_a(int race) const { return race_factor(race, 0); }
  float get_race_factor_b(int race) const { return race_factor(race, 1); }
  float get_race_stealth_factor(int race) const { return race_factor(race, 2); }
  float get_race_factor_d(int race) const { return race_factor(race, 3); }
  float get_race_factor_e(int race) const { return race_factor(race, 4); }
  float get_race_rage_factor(int race) const { return race_factor(race, 5); }

 private:
  float race_factor(int race, int which) const;
  bool good_skill(int n) const { return n >= 0 && n < max_skills(); }
  bool good_class(int n) const;
  bool good_race(int n) const;
  void read_skills(std::FILE* f);
  void read_classes(std::FILE* f);
  void read_races(std::FILE* f);

  std::vector<SkillRecord> skills_;
  std::vector<ClassRecord> classes_;
  std::vector<RaceRecord> races_;
  std::vector<std::string> stat_names_;
  std::vector<char> stat_keys_;
  unsigned race_generation_ = 0;
};

extern SkillsClasses sc;  // stats, skills, classes and races
