#pragma once
// Buff definitions from "dat/buffs.txt": what a timed or lasting modifier
// does and how much.

#include <cstdint>
#include <map>
#include <string>

// Effect kinds of a buff. Resistance n (a magic type / 256, 0..7) is
// modified by the buffs of kind BUFF_RESIST_BASE + n.
enum BuffType {
  BUFF_INTEL = 0, BUFF_DEX = 1, BUFF_STR = 2, BUFF_UNUSED_3 = 3,
  BUFF_HIT_POINTS = 4, BUFF_MANA = 5, BUFF_ATTACK = 6, BUFF_DEFENSE = 7,
  BUFF_HEAL_OVER_TIME = 8, BUFF_DAMAGE_OVER_TIME = 9, BUFF_NIGHTVISION = 10,
  BUFF_RESIST_BASE = 11, BUFF_RESIST_FIRE = 12, BUFF_RESIST_POISON = 13,
  BUFF_RESIST_VAMPYRISM = 14, BUFF_RESIST_LIGHTNING = 15, BUFF_RESIST_COLD = 16,
  BUFF_RESIST_CLONING = 17, BUFF_RESIST_PARALYSIS = 18, BUFF_MAGIC_RESISTANCE = 19,
  BUFF_EXPERIENCE = 20, BUFF_VAMPYRIC_ATTACKS = 21, BUFF_UNUSED_22 = 22,
  BUFF_UNUSED_23 = 23, BUFF_UNUSED_24 = 24, BUFF_UNUSED_25 = 25,
  BUFF_LIGHTNING_ATTACKS = 26, BUFF_FIRE_ATTACKS = 27, BUFF_FREEZING_ATTACKS = 28,
  BUFF_DODGE = 29, BUFF_VENOMOUS_ATTACKS = 30, BUFF_DAMAGE_GIVEN = 31,
  BUFF_DAMAGE_TAKEN = 32, BUFF_TWO_HAND_SPEED = 33, BUFF_REFLECT_DAMAGE = 34,
  BUFF_HEALING_OVER_TIME = 35, BUFF_UNUSED_36 = 36, BUFF_LOOT_QUALITY = 37,
  BUFF_RAIN_GAIN = 38, BUFF_UNUSED_39 = 39, BUFF_MAGIC_DAMAGE_GIVEN = 40,
  BUFF_MAGIC_DAMAGE_TAKEN = 41, BUFF_NUM_TYPES = 42
};

struct BuffDef {
  int32_t id = 0;
  std::string name;
  int32_t duration = 0;
  int32_t type = 0;
  int32_t amount = 0;
  bool percent = false;
  bool aux_flag = false;
};

class Buffs {
 public:
  Buffs() = default;
  virtual ~Buffs() = default;
  Buffs(const Buffs&) = default;
  Buffs& operator=(const Buffs&) = default;

  // Number of lines stored; 0 when the file cannot be opened.
  int load();

  bool is_valid_id(int id) const;
  std::string get_name(int id) const;
  int get_duration(int id) const;
  int get_type(int id) const;
  bool get_aux_flag(int id) const;
  // Sum of what the active buffs (id -> remaining count) add to one effect
  // kind; a percentage is taken of `base`.
  int get_total_modifier(const std::map<int, int>& active, int type, double base) const;
  std::string get_effect_text(int id) const;

  std::map<int, BuffDef> defs;

 private:
  // The definition of an id, or an empty one; never inserts.
  const BuffDef& def_of(int id) const;
};

extern Buffs buffs;
