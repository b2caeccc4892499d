#pragma once
// The spell table from "dat/spells.txt", the spell-word alphabet that spoken
// incantations are built from, and the casting-chance rule.

#include <cstdint>
#include <string>
#include <vector>

#include "core/item.h"

constexpr int SPELLS_MAX_ID = 4095;
// The highest spell circle.
constexpr int MAX_CIRCLE = 10;

enum { SPELL_TARGET_NONE = 0, SPELL_TARGET_DIRECTIONAL = 1, SPELL_TARGET_AUTO = 2 };

struct SpellRecord {
  std::string name;
  std::string display_name;
  std::string func_name;
  int32_t level = 0;
  std::vector<uint16_t> class_list;
  int32_t mana_type = 0;
  int32_t skill = 0;
  int32_t mana_req = 0;
  int32_t cooloff = 0;
  int32_t target_mode = SPELL_TARGET_NONE;
  bool req_targ = false;
  Item item;
  std::string parameters;
  std::string wav_name;
  int32_t effect_nr = 0;
  std::string req;
  int32_t min_skill = 0;
  int32_t circle = 0;
  bool extra_flag = false;
  std::string description;
};

class Spells {
 public:
  // 0 loaded; 1 when "dat/spells.txt" is missing (the table is then empty).
  int load();

  std::string get_spell_str(int id) const;
  int get_lvl(int id) const;
  int get_circle(int id) const;
  int get_min_skill(int id) const;
  std::string get_req(int id) const;
  int get_mana_req(int id) const;
  int get_cooloff(int id) const;
  int get_skill(int id) const;
  bool is_directional(int id) const;
  bool is_autotargeting(int id) const;
  bool req_targ(int id) const;
  // Never true for a negative class or an unknown class key in the file.
  bool class_can_use(int id, int cls) const;
  Item get_item(int id) const;
  std::string get_parameters(int id) const;
  std::string get_description(int id) const;
  int get_effect_nr(int id) const;
  std::string get_spell_func_name(int id) const;
  int get_mana_type(int id) const;
  bool get_extra_flag(int id) const;
  std::string get_wav_name(int id) const;
  // Null for a bad id.
  const SpellRecord* get_record(int id) const;

  bool is_valid_id(int id) const;
  int get_num_spells() const { return static_cast<int>(records_.size()); }
  int get_max_level() const { return max_level_; }
  int get_spell_id(const std::string& name) const;
  int get_spell_id_from_func(const std::string& func) const;

  static bool valid_word(char c);
  static std::string get_word(char c);
  bool uses_words(int id) const;
  std::string get_full_spell_name(int id, bool plain = false) const;
  std::string get_full_spell_name(const std::string& name, bool plain = false) const;

  bool is_staff_school(int skill) const;
  // 0..99; `skill` is the caster's value in the spell's skill.
  int get_success_chance(int id, float skill) const;
  int get_success_chance(int id, double skill) const {
    return get_success_chance(id, static_cast<float>(skill));
  }
  int get_success_chance(int id, int skill) const {
    return get_success_chance(id, static_cast<float>(skill));
  }
  // The spell comes first: catch callers that swap the two.
  int get_success_chance(float skill, int id) const = delete;

 private:
  bool good(int id) const { return id >= 0 && id < get_num_spells(); }
  void read_record(const std::vector<std::string>& f);

  std::vector<SpellRecord> records_;
  int max_level_ = 1;
};

extern Spells spells;  // the spell table
