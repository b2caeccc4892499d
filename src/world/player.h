#pragma once
// The local character: the one creature whose full record the client keeps.
// It adds to a creature the received maxima, skills, class and race, bonuses,
// marks, hotkey bindings, perks, timers and the further equipment slots. The
// server describes it with the "H", "@" and "#" records and the skill lists;
// the same class carries the server's writers of those records, its
// derivation of the figures and the character file.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/item.h"
#include "core/skills_classes.h"
#include "world/item_list.h"
#include "world/sentient.h"
#include "world/trail.h"

struct RaceRecord;

// The hotkey slots: item and spell bindings, F1.. and the number keys.
constexpr int PLAYER_HOTKEYS = 60;
constexpr int PLAYER_NUM_MARKS = 9;
constexpr int PLAYER_NUM_COOLDOWNS = 14;
// Cooldowns that travel in the "@" record.
constexpr int PLAYER_SENT_COOLDOWNS = 9;
constexpr int PLAYER_NUM_PERKS = 18;
constexpr int PLAYER_NUM_SLOTS = 15;
constexpr int PLAYER_VERSION = 1200;

// Perk numbers with a meaning.
enum {
  PERK_DUAL_WIELD = 1, PERK_BLOCK = 2, PERK_ARMOUR_NO_SLOW = 3, PERK_RAGE_RESISTS = 7,
  PERK_STEADY_DRUNK = 9, PERK_MR_ITEMS = 10, PERK_UNDEAD = 11, PERK_NOT_ORGANIC = 12, PERK_INFRAVISION = 13,
  PERK_NO_MANA = 14, PERK_HIDING_WEAPONS = 16, PERK_VAMPYRIC = 17
};

// Cooldown numbers with a meaning.
enum { COOLDOWN_RAGE = 1, COOLDOWN_POISON = 7, COOLDOWN_WOUND = 11 };

// Results of the "H" record parser.
constexpr int PLAYER_H_FIELDS = 24;

struct VisitedPlace {
  int32_t x = 0, y = 0, level = 0;
};

class Player : public Sentient {
 public:
  Player();
  ~Player() override;
  Player(const Player&) = default;
  Player& operator=(const Player&) = default;

  // The server derives maxima, armour class, to-hit and magic resistance;
  // the client takes them from the "H" record. Off in the client.
  static bool derive_figures;

  // ---- creature slots ---------------------------------------------------
  int get_health(int n) override;
  void set_health(int n, int value) override;
  int get_sight() override;
  bool is_dm() override { return dm != 0; }
  int get_dex() override;
  int get_str() override;
  int get_intel() override;
  int get_magic_resistance() override;
  alignment_type get_align() override { return static_cast<alignment_type>(103); }
  int get_hp_max() override;
  int get_mana_max() override;
  int get_magic_modifier(int p) override;
  bool fists_or_fist_weapons() override;
  bool is_special() override { return special_flag != 0 && special_count > 35; }
  float get_ac() override;
  int get_dmg_dice() override;
  int get_dmg_sides() override;
  int get_thaco() override;
  bool try_block(int x, int y) override;
  bool try_dodge() override;
  bool is_vampyric() override { return perk_flags[PERK_VAMPYRIC] != 0; }
  bool is_organic() override { return perk_flags[PERK_NOT_ORGANIC] == 0; }
  bool undead() override { return perk_flags[PERK_UNDEAD] != 0; }
  // The hide-equipment flag: the player's figure is drawn without the
  // weapon and shield it holds.
  bool hides_equipment() const { return perk_flags[PERK_HIDING_WEAPONS] != 0; }
  // Confused, or drunk without the perk that keeps a drunk steady: the
  // player's steps go in a random direction.
  bool steps_astray() {
    return has_status(HN_CONFUSED) || (has_status(HN_DRUNK) && perk_flags[PERK_STEADY_DRUNK] == 0);
  }
  // The player's current target (-1 none), which world/target keeps; the
  // script API shows it as the player's `target_id`.
  int get_target_id() const;

  // ---- server records (player_records.cpp) --------------------------------
  // "H": 0 read, 1 fewer than 24 fields (fields from the third on that were
  // read are kept). The position is stored unless keep_position; the out
  // parameters, when both given, get it either way.
  int parse_h_record(const std::string& line, bool keep_position, int16_t* out_x = nullptr,
                     int16_t* out_y = nullptr);
  std::string mk_h_record(bool for_self);
  // "@": bonuses, perks, buffs, cooldowns and status counters.
  void parse_stats_packet(const std::string& text);
  std::string mk_stats_packet();
  // "#": the fifteen equipment slots. 0 applied, 1 wrong field count.
  std::string mk_arms_msg() const;
  int sync_arms(const std::string& text);
  // ':'-separated skill values (or bonuses); 0.
  int parse_skills(const std::string& text, bool bonuses);
  std::string mk_skill_list(bool bonuses) const;

  // ---- record keeping (player.cpp) ----------------------------------------
  void reset();
  void clear_stats();
  void reset_health(bool keep);
  void set_sight(int n) { sight = static_cast<int16_t>(n); }
  int get_base_sight() const { return sight; }
  void add_stats(float ds, float dd, float di);
  void set_mark(int i);
  int get_mark(int i, int& mx, int& my, int& level) const;
  int add_visited_place();
  int add_visited_level();
  int find_inv_slot(const Item& item) const;
  int find_slot_id(int spell_id) const;
  void remove_ignored(int ignored_id);
  std::string mk_display_name() const;
  void get_name_and_title(std::string& out_name, std::string& out_title);
  void set_res_hp();
  int server_init(const std::string& line, const std::string& skill_text, int new_id);
  void set_id_speed(int new_id);
  int get_unit_value() const { return 100; }
  std::string cut_after_last_dot() const;
  // The fifteen slots in record order; null outside 0..14.
  Item* slot(int n);
  // The fourteen worn slots (all but the ammunition), in rule order.
  static constexpr int NUM_WORN = 14;
  void get_worn(const Item* out[NUM_WORN]) const;

  // ---- character rules (character_rules.cpp) ------------------------------
  int get_str_bonus();
  int get_dex_bonus();
  int get_intel_bonus();
  int get_unscaled_str();
  int get_unscaled_dex();
  int get_unscaled_intel();
  int get_carry_str();
  bool is_encumbered(float weight);
  bool check_mag_prop(int p);
  int count_sight_items();
  int get_light() const;
  int get_vigour_bonus();
  int get_draw_code();
  bool can_dual_wield(const Item& item);
  bool wields_staff();
  int check_requirement(const Item& item);
  bool can_ready(const Item& item, int slot_nr) const;
  Item get_first_ranged_weapon();
  float get_req_ready_str(const Item& item, int slot_nr);
  float get_armour_weight();
  float armour_slowdown(float strength, float weight);
  int get_delay(bool weapon_action = false, float weight = 0.0f);
  int get_weapon_delay();
  int get_weapon_delay(const Item& item);
  float get_stealth_delay();
  float stat_damage_multiplier();
  int get_damage_bonuses(float& item_bonus, float& stat_bonus);
  std::string get_damage_str();
  bool can_pvp();
  bool has_infravision();
  bool has_xray_vision();
  int get_buff_flags();
  bool is_unarmoured();
  int gain_rage(int amount);
  int try_skill_gain(bool fast);
  float get_block_chance(int x, int y);
  // Skill value of the skill named by a common_cfg key; `missing` without.
  float cfg_skill_value(const char* key, float missing);
  float skill_value(int skill);

  // ---- skills and class points (skills_points.cpp) -------------------------
  float get_raw_skill(int skill) const;
  float get_skill(int skill) const;
  float get_total_skill_points(bool flagged_only = false) const;
  float get_max_group_skill(int group) const;
  float get_max_class_skill(int cls_nr) const;

  // ---- character file (character_file.cpp) --------------------------------
  std::string file_path(const std::string& dir) const;
  int save(const ItemList& inventory, const std::string& dir);
  int load(const std::string& char_name, const std::string& dir);
  int remove_file(const std::string& dir);
  void mknew(int new_id, const std::string& new_name, const std::string& code_text,
             const std::string& class_text, const std::string& gender_text,
             const std::string& race_text);

  // ---- members ------------------------------------------------------------
  int32_t net_mana_max = 0;
  int32_t net_hp_max = 0;
  float net_ac = 0.0f;
  int32_t net_thaco = 0;
  uint8_t dm = 0;
  uint8_t dm_xray = 0;
  uint8_t pvp = 0;
  int16_t light = 0;
  float skills[SC_MAX_SKILLS] = {};
  std::vector<VisitedPlace> visited_places;
  std::vector<int32_t> visited_levels;
  int32_t net_magic_resistance = 0;
  uint64_t tag = 0;
  char gender = 'M';
  int32_t age = 0;
  float align = 0.0f;
  int16_t race = 0;
  int16_t cls = 0;
  const RaceRecord* race_rec = nullptr;
  int16_t energy = 0;
  int32_t mark_x[PLAYER_NUM_MARKS] = {}, mark_y[PLAYER_NUM_MARKS] = {},
          mark_level[PLAYER_NUM_MARKS] = {};
  uint8_t sigils_off = 0;
  Item armour{0L}, boots{0L}, gloves{0L}, hat{0L}, trousers{0L}, ammo{0L};
  Item extra_slot{0L};
  int32_t ac_bonus = 0, dmg_bonus = 0, str_bonus = 0, dex_bonus = 0, intel_bonus = 0,
          sight_bonus = 0, health_bonus = 0, mana_bonus = 0, load_bonus = 0;
  int64_t party = -1;
  uint8_t special_flag = 0;
  uint8_t chats[2] = {1, 1};
  uint8_t pickups[2] = {0, 1};
  int32_t special_count = 0;
  int32_t remort_level = 0;
  int32_t bind_level = -1;
  int32_t str_cap = 0, dex_cap = 0, intel_cap = 0;
  int32_t version = PLAYER_VERSION;
  int32_t mount = 0;
  int64_t ship = 0;
  int32_t mount_colour = 0;
  int32_t permanent_hp_bonus = 0, permanent_mana_bonus = 0, class_cap_bonus = 0;
  std::string clan, account_name, title, cached_title, cdate, meta;
  float skill_limits[SC_MAX_SKILLS] = {};
  float skill_bonuses[SC_MAX_SKILLS] = {};
  int32_t cooldowns[PLAYER_NUM_COOLDOWNS] = {};
  uint8_t perk_flags[PLAYER_NUM_PERKS] = {};
  Item item_binds[PLAYER_HOTKEYS];
  int32_t spell_binds[PLAYER_HOTKEYS] = {};
  std::vector<int32_t> ignored;

  // Server-side bookkeeping, kept and cleared only.
  std::vector<std::string> notes;
  std::map<std::string, int> counters;
  Trail trail;
  std::string last_address;
  int32_t bookkeeping[8] = {};
  int32_t spare_slot = 0;  // drawn at each reset; nothing reads it
  // The bank list was synchronised this session (client).
  bool bank_synced = false;
  // Unspent stat points of a level-up (the level-up choice spends them).
  int32_t stat_points = 0;
};

// The class's skill count, capped at the arrays' size.
int player_skill_count();
// Stat scaling by hunger: 1.0 fed, 0.5 starving, linear in between.
float hunger_factor(int h);
float weight_taper(float w);
// Class points of the character.
float get_total_subclass_pts(Player& p, int parent);
float get_total_class_points(Player& p);
void set_skill(Player& p, int skill, float value);

extern Player me;  // the local character

// Game-wide rules from the login replies (set by the login code).
extern bool PLAYER_LEVELS;
extern bool PERMADEATH;
extern float STAT_VALUE;
extern int skill_cap;
extern bool flagged_skills_only;
extern int stat_cap;
extern int level_cap;
extern int manual_levelling;
extern bool pvp_enabled;
extern int pvp_min_level;
extern bool g_no_requirements;
// The last flag of the login rules line: kept, but no part of the client reads it.
extern bool spare_rule_flag;
// The turn delay in milliseconds, from "client.cfg".
extern int turn_delay_ms;
