#include "core/skills_classes.h"

#include <cstdio>
#include <memory>

#include "core/config_file.h"
#include "core/log.h"
#include "core/string_utils.h"
#include "core/utils.h"

namespace {

// Reads the table lines of a data file: trimmed, without blank and comment
// lines, split at TAB; lines with fewer than `min_cols` columns are dropped.
template <typename Fn>
void for_each_row(std::FILE* f, size_t min_cols, Fn&& fn) {
  std::vector<std::string> cols;
  while (read_table_row(f, cols)) {
    if (cols.size() < min_cols) continue;
    if (!fn(cols)) break;
  }
}

// Column i, or "" past the end of the line.
const std::string& col(const std::vector<std::string>& cols, size_t i) {
  static const std::string empty;
  return i < cols.size() ? cols[i] : empty;
}

char first(const std::string& s) { return s.empty() ? 0 : s[0]; }

std::vector<int> hex_list(const std::string& text) {
  std::vector<int> out;
  std::string t = trim2(text, true);
  if (t.empty()) return out;
  std::vector<std::string> pieces;
  split(t, ",", pieces);
  for (const std::string& p : pieces) out.push_back(static_cast<int>(hex_to_int(p)));
  return out;
}

}  // namespace

bool SkillsClasses::good_class(int n) const { return n >= 0 && n < max_classes(); }
bool SkillsClasses::good_race(int n) const { return n >= 0 && n < max_races(); }

int SkillsClasses::load() {
  using FilePtr = std::unique_ptr<std::FILE, decltype(&std::fclose)>;
  FilePtr f(std::fopen("dat/skills.txt", "r"), &std::fclose);
  if (!f) return 1;

  stat_names_.clear();
  stat_keys_.clear();
  std::vector<std::string> pieces;
  split(common_cfg.get("stats"), ",", pieces);
  stat_names_ = pieces;
  pieces.clear();
  split(common_cfg.get("stat_key"), ",", pieces);
  for (const std::string& p : pieces) stat_keys_.push_back(first(p));

  read_skills(f.get());

  int result = 0;
  f.reset(std::fopen("dat/classes.txt", "r"));
  if (f) {
    read_classes(f.get());
  } else {
    result = 1;
  }

  // Skills name their class by key; turn the keys into ids (against the
  // classes of an earlier load when classes.txt is missing, so that a raw
  // key letter is never taken for an id).
  for (SkillRecord& s : skills_) {
    if (static_cast<int16_t>(s.class_id) < 0) continue;
    int id = get_class_nr(static_cast<char>(s.class_id & 0xff));
    s.class_id = id < 0 ? SC_NO_CLASS : static_cast<uint16_t>(id);
  }
  if (result) return result;

  f.reset(std::fopen("dat/races.txt", "r"));
  if (!f) return 1;
  read_races(f.get());
  return 0;
}

void SkillsClasses::read_skills(std::FILE* f) {
  skills_.clear();
  for_each_row(f, 2, [this](const std::vector<std::string>& c) {
    SkillRecord s;
    s.name = c[0];
    s.key = first(c[1]);
    if (c.size() > 2) s.governing_stat = get_stat_num(c[2]);
    s.third_column_flag = col(c, 3) == "y";
    s.open_to_all_classes = col(c, 4) == "y";
    // The class key waits here until the classes are read.
    if (c.size() > 5) s.class_id = static_cast<uint8_t>(first(c[5]));
    s.code = static_cast<int>(hex_to_int(col(c, 6)));
    s.counts_in_total = first(col(c, 7)) == 'y';
    s.group = to_int(col(c, 8));
    s.second_code = static_cast<int>(hex_to_int(col(c, 9)));
    skills_.push_back(s);
    if (skills_.size() >= static_cast<size_t>(SC_MAX_SKILLS)) {
      writelog("Maximum number of skills (%d) reached!!", SC_MAX_SKILLS);
      return false;
    }
    return true;
  });
  if (skills_.empty()) writelog("WARNING: No skills defined!");
}

void SkillsClasses::read_classes(std::FILE* f) {
  classes_.clear();
  for_each_row(f, 4, [this](const std::vector<std::string>& c) {
    ClassRecord r;
    r.id = static_cast<uint16_t>(classes_.size());
    r.name = c[0];
    r.key = first(c[1]);
    if (!c[2].empty()) {
      r.parent_key = c[2][0];
      r.is_subclass = 1;
    }
    r.mana_type = static_cast<signed char>(first(c[3]));
    r.armour = first(col(c, 4));
    r.description = trim2(col(c, 5), true);
    for (size_t i = 6; i < c.size(); ++i) {
      int n = get_skill_nr(c[i]);
      if (n >= 0) r.skills.push_back(n);
    }
    classes_.push_back(r);
    return true;
  });
  if (classes_.empty()) writelog("WARNING: No classes defined!");
}

void SkillsClasses::read_races(std::FILE* f) {
  races_.clear();
  ++race_generation_;
  for_each_row(f, 21, [this](const std::vector<std::string>& c) {
    RaceRecord r;
    r.selectable = to_upper(c[17]) == "Y";
    r.name = c[0];
    for (char k : c[1]) {
      int id = get_class_nr(k);
      if (id >= 0) r.classes.push_back(static_cast<uint16_t>(id));
    }
    if (r.classes.empty()) r.classes.push_back(0);
    r.str_percent = to_int(c[2]);
    r.dex_percent = to_int(c[3]);
    r.intel_percent = to_int(c[4]);
    r.column_6_value = to_int(c[6]);
    r.hp_percent = to_int(c[7]);
    r.magic_resistance_percent = to_int(c[8]);
    r.to_hit_percent = to_int(c[14]);
    r.armour_percent = to_int(c[15]);
    static const int factor_cols[6] = {9, 10, 11, 12, 13, 16};
    for (int i = 0; i < 6; ++i) r.factors[i] = static_cast<float>(to_int(c[factor_cols[i]])) / 100.0f;
    r.male_tiles = hex_list(c[18]);
    r.female_tiles = hex_list(c[19]);
    r.description = trim2(c[20], true);
    // Callers fall back to SC_DEFAULT_AVATAR through get_race_*_tiles.
    if (r.male_tiles.empty())
      writelog("WARNING: races [%s] has no male tiles! expect crashing!", r.name.c_str());
    if (r.female_tiles.empty())
      writelog("WARNING: races [%s] has no female tiles! expect crashing!", r.name.c_str());
    races_.push_back(r);
    return true;
  });
  if (races_.empty()) writelog("WARNING: No races defined!");
}

int SkillsClasses::get_stat_num(const std::string& name) const {
  for (size_t i = 0; i < stat_names_.size(); ++i)
    if (stat_names_[i] == name) return static_cast<int>(i) + 1;
  return 0;
}

std::string SkillsClasses::get_stat_name(int stat) const {
  if (stat < 1 || stat > static_cast<int>(stat_names_.size())) return "";
  return stat_names_[stat - 1];
}

std::string SkillsClasses::get_stat_short_name(int stat) const { return get_stat_name(stat).substr(0, 3); }

char SkillsClasses::get_stat_key(int stat) const {
  if (stat < 1 || stat > static_cast<int>(stat_keys_.size())) return 0;
  return stat_keys_[stat - 1];
}

int SkillsClasses::get_skill_nr(const std::string& name) const {
  for (size_t i = 0; i < skills_.size(); ++i)
    if (skills_[i].name == name) return static_cast<int>(i);
  return -1;
}

const SkillRecord* SkillsClasses::get_skill(int skill) const {
  return good_skill(skill) ? &skills_[skill] : nullptr;
}

std::string SkillsClasses::get_skillname(int skill) const {
  return good_skill(skill) ? skills_[skill].name : std::string();
}

std::string SkillsClasses::get_skill_name_by_code(int code) const {
  for (const SkillRecord& s : skills_)
    if (s.code == code) return s.name;
  return "";
}

int SkillsClasses::get_governing_stat(int skill) const {
  return good_skill(skill) ? skills_[skill].governing_stat : 0;
}

bool SkillsClasses::get_skill_third_column_flag(int skill) const {
  return good_skill(skill) && skills_[skill].third_column_flag;
}

bool SkillsClasses::is_skill_flagged(int skill) const {
  return good_skill(skill) && skills_[skill].counts_in_total;
}

int SkillsClasses::get_skill_group(int skill) const { return good_skill(skill) ? skills_[skill].group : 0; }

std::vector<int> SkillsClasses::get_skills_in_group(int skill) const {
  std::vector<int> out;
  if (!good_skill(skill)) return out;
  int g = skills_[skill].group;
  if (g < 1) return out;
  for (int i = 0; i < max_skills(); ++i)
    if (i != skill && skills_[i].group == g) out.push_back(i);
  return out;
}

int SkillsClasses::get_skill_class(int skill, bool to_parent) const {
  if (!good_skill(skill)) return -1;
  uint16_t cid = skills_[skill].class_id;
  if (to_parent && good_class(cid) && classes_[cid].is_subclass)
    return get_class_nr(classes_[cid].parent_key);
  return cid;
}

int SkillsClasses::get_class_nr(const std::string& name) const {
  for (const ClassRecord& c : classes_)
    if (c.name == name) return c.id;
  return -1;
}

int SkillsClasses::get_class_nr(char key) const {
  for (const ClassRecord& c : classes_)
    if (c.key == key) return c.id;
  return -1;
}

const ClassRecord* SkillsClasses::get_class(int cls) const {
  return good_class(cls) ? &classes_[cls] : nullptr;
}

std::string SkillsClasses::get_classname(int cls) const {
  return good_class(cls) ? classes_[cls].name : std::string();
}

char SkillsClasses::get_short_classname(int cls) const { return good_class(cls) ? classes_[cls].key : 0; }

std::string SkillsClasses::get_class_description(int cls) const {
  return good_class(cls) ? classes_[cls].description : std::string();
}

bool SkillsClasses::is_base_class(int cls) const { return !good_class(cls) || !classes_[cls].is_subclass; }

int SkillsClasses::get_parent_class(int cls) const {
  if (!good_class(cls) || !classes_[cls].is_subclass) return -1;
  return get_class_nr(classes_[cls].parent_key);
}

int SkillsClasses::get_mana_type(int cls) const { return good_class(cls) ? classes_[cls].mana_type : 0; }

std::string SkillsClasses::get_mana_type_string(int cls) const {
  return get_mana_type_word(static_cast<char>(get_mana_type(cls)));
}

bool SkillsClasses::class_can_use_skill(int cls, int skill) const {
  if (!good_class(cls) || !good_skill(skill)) return false;
  if (skills_[skill].open_to_all_classes) return true;
  for (int s : classes_[cls].skills)
    if (s == skill) return true;
  return false;
}

bool SkillsClasses::class_can_wear(int cls, char armour_letter) const {
  if (!good_class(cls)) return false;
  if (armour_letter == 'a' || armour_letter == 'u') return true;
  switch (classes_[cls].armour) {
    case 'h': return true;
    case 'm': return armour_letter != 'h';
    case 'l': return armour_letter != 'h' && armour_letter != 'm';
    default: return false;
  }
}

std::string SkillsClasses::get_racename(int race) const {
  return good_race(race) ? races_[race].name : std::string();
}

std::string SkillsClasses::get_race_description(int race) const {
  return good_race(race) ? races_[race].description : std::string();
}

bool SkillsClasses::is_race_selectable(int race) const { return good_race(race) && races_[race].selectable; }

const RaceRecord* SkillsClasses::get_race(int race) const {
  return good_race(race) ? &races_[race] : nullptr;
}

bool SkillsClasses::race_can_be_class(int race, int cls) const {
  if (!good_race(race)) return false;
  for (uint16_t c : races_[race].classes)
    if (c == cls) return true;
  return false;
}

std::vector<int> SkillsClasses::get_race_male_tiles(int race) const {
  if (!good_race(race) || races_[race].male_tiles.empty()) return {SC_DEFAULT_AVATAR};
  return races_[race].male_tiles;
}

std::vector<int> SkillsClasses::get_race_female_tiles(int race) const {
  if (!good_race(race) || races_[race].female_tiles.empty()) return {SC_DEFAULT_AVATAR};
  return races_[race].female_tiles;
}

float SkillsClasses::race_factor(int race, int which) const {
  return good_race(race) ? races_[race].factors[which] : 1.0f;
}

SkillsClasses sc;
