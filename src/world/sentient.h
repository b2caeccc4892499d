#pragma once
// A creature: stats, status counters, basic equipment, known spells, active
// buffs and resistances. The rules ask for every figure through the virtual
// operations, so that a derived creature (the local player) that overrides
// one changes every rule built on it.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/item.h"
#include "core/item_data.h"

// Status counters, by number.
enum {
  HN_POISONED = 0, HN_ASLEEP, HN_BLIND, HN_CHARMED, HN_HELD, HN_CONFUSED, HN_INVISIBLE,
  HN_POLYMORPHED, HN_MEDITATING, HN_DISEASED, HN_FLOATING, HN_HEXED, HN_HALLUCINATING,
  HN_HIDING, HN_CRIMINAL, HN_PEERING, HN_BAD_BREATH, HN_CHOKING, HN_SLOWED, HN_LYCANTHROPY,
  HN_WEREWOLF_FORM, HN_CLEAVED, HN_XRAY_VISION, HN_SPEEDY, HN_RES_SICKNESS, HN_ENRAGED,
  HN_JAILED, HN_GAGGED, HN_IN_STOCKS, HN_SICK, HN_TRUESIGHT, HN_PROTECTION, HN_DISARMED,
  HN_WOUNDED, HN_QP, HN_TURNED, HN_BANDAGED, HN_DRUNK, HN_JUST_RESSED, HN_REGENERATION,
  HN_HEALTH, HN_MANA, HN_POWER, HN_PILOT, HN_PASSENGER, HN_MOUNTED, HN_FLYING, HN_TRADING,
  HN_FISHING, HN_MR_CLEAVED, HN_DETECT_TRAPS, HN_HIDDEN_CANT_MOVE, HN_STONE_FORM,
  HN_HAMSTRUNG, HN_INFRAVISION, HN_TIPSY
};
constexpr int HEALTH_LIMIT = 32767;

// Kinds of magic; kind / 256 indexes the eight resistances.
enum magic_types {
  MAGIC_PLAIN = 0, MAGIC_FIRE = 256, MAGIC_POISON = 512, MAGIC_VAMPYRISM = 768,
  MAGIC_LIGHTNING = 1024, MAGIC_COLD = 1280, MAGIC_CLONING = 1536, MAGIC_PARALYSIS = 1792
};
constexpr int NUM_RESISTANCES = 8;

// Alignment letters.
enum alignment_type { ALIGN_EVIL = 'e', ALIGN_GOOD = 'g', ALIGN_NEUTRAL = 'n' };

// A stat, skill or armour figure from the server or a file, kept where the
// rules' integer arithmetic cannot overflow; an undefined value reads 0.
constexpr float PLAYER_FIGURE_LIMIT = 1.0e6f;
float bounded_figure(float v);

class Sentient {
 public:
  Sentient();
  virtual ~Sentient();
  Sentient(const Sentient&) = default;
  Sentient& operator=(const Sentient&) = default;

  // ---- virtual figures --------------------------------------------------
  // Counters outside 0..62 read 0 and are never written.
  virtual int get_health(int n);
  virtual void set_health(int n, int value);
  virtual int dec_health(int n);
  virtual int clear_health();
  virtual int get_sight();
  virtual bool is_dm();
  virtual int get_dex();
  virtual int get_str();
  virtual int get_intel();
  virtual int get_magic_resistance();
  virtual alignment_type get_align();
  virtual int get_hp_max();
  virtual int get_mana_max();
  virtual int get_magic_modifier(int n);
  virtual bool fists_or_fist_weapons();
  virtual bool is_special();
  virtual float get_ac();
  virtual int get_dmg_dice();
  virtual int get_dmg_sides();
  virtual int get_thaco();
  virtual bool try_block(int x, int y);
  virtual bool try_dodge();
  virtual bool is_flying();
  virtual bool is_vampyric();
  virtual bool is_lycan();
  virtual bool is_organic();
  virtual bool undead();

  // ---- rules ------------------------------------------------------------
  // A status is set while its counter reads non-zero: a running one counts
  // down from above 0, one given by a worn item reads -1 and never runs out.
  bool has_status(int n) { return get_health(n) != 0; }
  float get_float_str();
  float get_float_dex();
  float get_float_intel();
  bool is_visible();
  int get_hp_percent();
  int get_mana_percent();
  void apply_bandage();
  void tick_hunger();
  void feed(int amount);
  bool is_full() const { return hunger > 2000; }
  void set_pos(int nx, int ny);

  bool has_spell(int spell_id) const;
  bool has_spell(const std::string& spell_name) const;
  // 0 added; 1 already known or not a spell.
  int add_spell(int spell_id);
  int add_spell(const std::string& spell_name);
  // 0 removed; 1 not known.
  int remove_spell(int spell_id);
  int remove_spell(const std::string& spell_name);
  int num_spells() const { return static_cast<int>(spells.size()); }
  void clear_spells() { spells.clear(); }

  bool has_buff(int buff_id) const { return buffs.count(buff_id) != 0; }
  bool has_buff_effect(int buff_type) const;
  void add_buff(int buff_id, int count);
  int add_permanent_buff(int buff_id, int n);
  void remove_buff(int buff_id) { buffs.erase(buff_id); }
  void clear_buffs() { buffs.clear(); }
  int remove_buffs_of_type(int buff_type);
  void tick_buffs();

  int get_resistance(int magic_type) const;
  void set_resistance(int magic_type, int value);
  int get_worn_effect_total() const;
  void add_tag(const std::string& text, const Item& item);

  // ---- members ----------------------------------------------------------
  float str = 20.0f, dex = 20.0f, intel = 20.0f;
  int16_t ac_base = 0;
  int16_t health[MAXHEALTHNUMS] = {};
  int16_t sight = 0;
  int16_t resistances[NUM_RESISTANCES] = {};
  std::string name;
  std::vector<int> spells;
  std::map<std::string, int> tags;
  int hp = 0;
  int code = 0;
  int unused_a = 0;
  int tmp_code = 0;
  Item weapon, shield, ring1, ring2, amulet, belt, sigil1, sigil2, sigil3;
  int16_t lvl = 1;
  int16_t mana = 0;
  int unused_b = -1;
  int16_t summon_slots = 0;
  int16_t rage = 0;
  int id = 0;
  int16_t speed = 0;
  int16_t x = 0, y = 0;
  int16_t map_level = 0;
  int16_t hunger = 0;
  int64_t xp = 0;
  int16_t bandage_hp_gain = 0;
  uint8_t stats_flag = 0;
  uint8_t ward_flag = 0;
  int16_t direction = 0;
  int unused_c = 0;
  int unused_d = -1;
  int thaco_bonus = 0;
  // The form taken while polymorphed (the server's 'y' message fills it);
  // delays in milliseconds.
  int poly_dmg_dice = 0, poly_dmg_sides = 0, poly_thaco = 0, poly_ac = 0, poly_code = 0;
  int poly_attack_delay = 0, poly_move_delay = 0, poly_magic_resistance = 0;
  float poly_str_mult = 0.0f, poly_dex_mult = 0.0f, poly_int_mult = 0.0f;
  // Buff id -> remaining count; a negative count never runs down.
  std::map<int, int> buffs;

 protected:
  // The counter itself, or null outside 0..62.
  int16_t* counter(int n) { return n >= 0 && n < MAXHEALTHNUMS ? &health[n] : nullptr; }
};
