// How the local character's figures follow from its stats, skills, race,
// equipment, status counters and buffs. The client takes maxima, armour
// class, to-hit and magic resistance from the "H" record; the server-side
// derivations of those are kept here too (Player::derive_figures).

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/buffs.h"
#include "core/config_file.h"
#include "core/item_data.h"
#include "core/log.h"
#include "core/mounts.h"
#include "core/skills_classes.h"
#include "core/string_utils.h"
#include "core/utils.h"
#include "world/player.h"

namespace {

int buff_mod(const Player& p, int type, double base) {
  return ::buffs.get_total_modifier(p.buffs, type, base);
}

int prefix_class(const Item& i) { return i.get_prefix_bits() / 16; }

bool is_type(const Item& i, char letter) { return i.is_valid() && wl.get_type(i) == letter; }

bool shield_is_weapon(const Player& p) { return is_type(p.shield, ITEM_WEAPON); }

bool valid_skill(int s) { return s >= 0 && s < player_skill_count(); }

// The item table's reference weapon speed; 1 when the table has none.
float reference_speed() {
  float r = wl.get_avg_wep_speed();
  return r > 0.0f ? r : 1.0f;
}

std::string weapon_skill_name(const Item& i) { return sc.get_skillname(wl.get_weapon_skill(i)); }

// Saves and clears the polymorph multipliers for the lifetime of the scope.
struct PolyMultipliersAside {
  explicit PolyMultipliersAside(Player& p)
      : p_(p), s_(p.poly_str_mult), d_(p.poly_dex_mult), i_(p.poly_int_mult) {
    p.poly_str_mult = p.poly_dex_mult = p.poly_int_mult = 0.0f;
  }
  ~PolyMultipliersAside() {
    p_.poly_str_mult = s_;
    p_.poly_dex_mult = d_;
    p_.poly_int_mult = i_;
  }
  Player& p_;
  float s_, d_, i_;
};

enum StatKind { STAT_KIND_STR, STAT_KIND_DEX, STAT_KIND_INT };

}  // namespace

float hunger_factor(int h) {
  if (h > 0) return 1.0f;
  if (h < -100) return 0.5f;
  return 0.5f + static_cast<float>(h + 100) / 200.0f;
}

float weight_taper(float w) {
  float f = 1.0f - (w - 600.0f) * 0.007f / 30.0f;
  if (f >= 1.0f) return w;
  return std::max(f, 0.57f) * w;
}

float Player::skill_value(int s) {
  return valid_skill(s) ? skills[s] + skill_bonuses[s] : 0.0f;
}

float Player::cfg_skill_value(const char* key, float missing) {
  int s = common_cfg.get_int(key);
  return valid_skill(s) ? skills[s] + skill_bonuses[s] : missing;
}

// ---- stats ------------------------------------------------------------------

namespace {

struct StatRule {
  int magic_property;
  int buff_type;
  int prefixes[3];
};

const StatRule STAT_RULES[3] = {
    {MP_STR_BONUS, BUFF_STR, {2, 6, 10}},
    {MP_DEX_BONUS, BUFF_DEX, {3, 7, 11}},
    {MP_INT_BONUS, BUFF_INTEL, {4, 8, 12}},
};

int stat_bonus(Player& p, int kind) {
  const StatRule& r = STAT_RULES[kind];
  float base = kind == STAT_KIND_STR   ? p.get_float_str()
               : kind == STAT_KIND_DEX ? p.get_float_dex()
                                       : p.get_float_intel();
  int temp = kind == STAT_KIND_STR ? p.str_bonus : kind == STAT_KIND_DEX ? p.dex_bonus : p.intel_bonus;
  double v = p.get_magic_modifier(r.magic_property) + temp;
  if (p.race_rec != nullptr) {
    int pct = kind == STAT_KIND_STR   ? p.race_rec->str_percent
              : kind == STAT_KIND_DEX ? p.race_rec->dex_percent
                                      : p.race_rec->intel_percent;
    v += (pct - 100.0) * static_cast<double>(base) / 100.0;
  }
  v += buff_mod(p, r.buff_type, base);
  const Item* items[] = {&p.hat, &p.armour, &p.trousers, &p.boots, &p.gloves, &p.shield, &p.amulet,
                         &p.belt, &p.ring1, &p.ring2, &p.sigil1, &p.sigil2, &p.sigil3};
  for (const Item* it : items) {
    if (it == &p.shield && shield_is_weapon(p)) continue;
    int pc = prefix_class(*it);
    if (pc == r.prefixes[0] || pc == r.prefixes[1] || pc == r.prefixes[2]) v += 5;
  }
  return bounded_int<int>(std::floor(v + 0.5));
}

int unscaled_stat(Player& p, int kind) {
  float base = kind == STAT_KIND_STR   ? p.get_float_str()
               : kind == STAT_KIND_DEX ? p.get_float_dex()
                                       : p.get_float_intel();
  float v = base;
  if (p.get_health(HN_DISEASED) != 0) v /= 2.0f;
  if (p.hunger < 1) v *= hunger_factor(p.hunger);
  return bounded_int<int>(static_cast<float>(stat_bonus(p, kind)) + v);
}

int scaled_stat(Player& p, int kind) {
  return bounded_int<int>(static_cast<float>(unscaled_stat(p, kind)) * STAT_VALUE);
}

}  // namespace

int Player::get_str_bonus() { return stat_bonus(*this, STAT_KIND_STR); }
int Player::get_dex_bonus() { return stat_bonus(*this, STAT_KIND_DEX); }
int Player::get_intel_bonus() { return stat_bonus(*this, STAT_KIND_INT); }
int Player::get_unscaled_str() { return unscaled_stat(*this, STAT_KIND_STR); }
int Player::get_unscaled_dex() { return unscaled_stat(*this, STAT_KIND_DEX); }
int Player::get_unscaled_intel() { return unscaled_stat(*this, STAT_KIND_INT); }
int Player::get_str() { return scaled_stat(*this, STAT_KIND_STR); }
int Player::get_dex() { return scaled_stat(*this, STAT_KIND_DEX); }
int Player::get_intel() { return scaled_stat(*this, STAT_KIND_INT); }

int Player::get_carry_str() {
  float s = std::max(str, get_float_str());
  float carried =
      static_cast<float>(load_bonus) + (static_cast<float>(get_str_bonus()) + s) * STAT_VALUE;
  return bounded_int<int>(std::trunc(static_cast<double>(carried)) + 25.0);
}

bool Player::is_encumbered(float weight) { return weight > get_carry_str() && hp > 0; }

// ---- maxima (derived on the server) ---------------------------------------------

int Player::get_mana_max() {
  if (!derive_figures) return net_mana_max;
  if (perk_flags[PERK_NO_MANA] != 0) return 0;
  int i = get_intel();
  long m = static_cast<long>(mana_bonus) + (get_health(HN_MANA) != 0 ? i / 10 : 0) +
           permanent_mana_bonus + buff_mod(*this, BUFF_MANA, i) + i;
  return bounded_int<int>(std::min(m, 32767L));
}

int Player::get_hp_max() {
  if (!derive_figures) return net_hp_max;
  double pct = race_rec != nullptr ? race_rec->hp_percent / 100.0 : 1.0;
  int s = get_str();
  double h;
  if (PLAYER_LEVELS)
    h = (s / 2.8 + lvl * 2.5 + 10.0) * pct;
  else
    h = ((s + get_dex() + get_intel() - 75) * 2.5 / 6.0 + s / 2.8 + 10.0) * pct;
  int th = bounded_int<int>(h);
  long t = static_cast<long>(health_bonus) + th + (get_health(HN_HEALTH) != 0 ? th / 10 : 0) +
           permanent_hp_bonus + buff_mod(*this, BUFF_HIT_POINTS, th);
  int n = 0;
  const Item* items[] = {&belt, &hat, &armour, &boots, &trousers, &gloves, &ring1, &ring2, &amulet,
                         &shield};
  for (const Item* it : items) {
    if (it == &shield && shield_is_weapon(*this)) continue;
    if (it->is_valid() && it->get_material() == MAT_BONE) ++n;
  }
  double k = 0.05 + cfg_skill_value("skill_SK_NECROMANCY", 0.0f) * 0.05 / 100.0;
  const double r = ((n * k) * (1.0 - (n - 1) * 0.055) + 1.0) * static_cast<double>(t);
  return std::max(bounded_int<int>(r), 1);
}

int Player::get_magic_resistance() {
  if (!derive_figures) return net_magic_resistance;
  double r;
  int s, d;
  {
    PolyMultipliersAside aside(*this);
    s = get_health(HN_WEREWOLF_FORM) != 0 ? get_str() : get_intel();
    int strength = get_str();
    d = get_dex();
    double b = std::max(s, 1);
    r = lvl + std::pow(b, 0.95);
    if (strength + d > 249) r += (strength + d - 250) / 3;
  }
  if (race_rec != nullptr) r *= 1.0 + (race_rec->magic_resistance_percent - 100.0) / 100.0;
  if (perk_flags[PERK_RAGE_RESISTS] != 0) r += rage;
  r += buff_mod(*this, BUFF_MAGIC_RESISTANCE, r);
  const Item* worn[NUM_WORN];
  get_worn(worn);
  for (const Item* it : worn)
    if (it->is_valid()) r += wl.get_magic_resistance(*it, perk_flags[PERK_MR_ITEMS] != 0);
  if (get_health(HN_POLYMORPHED) != 0) r += poly_magic_resistance;
  if (get_health(HN_CLEAVED) != 0 || get_health(HN_MR_CLEAVED) != 0) r /= 2.0;
  return bounded_int<int>(r);
}

int Player::get_magic_modifier(int p) {
  // Artifact effect values come from a data file the server may replace:
  // sum wide and bound the result like the other figures.
  long long total = 0;
  const Item* worn[NUM_WORN];
  get_worn(worn);
  for (const Item* it : worn) {
    int v = 0;
    if (!it->is_valid() || !wl.get_effect(*it, p, &v)) continue;
    long long w = v;
    total += it->is_cursed() ? -std::llabs(w) : w;
  }
  constexpr long long LIMIT = static_cast<long long>(PLAYER_FIGURE_LIMIT);
  return static_cast<int>(std::clamp(total, -LIMIT, LIMIT));
}

bool Player::check_mag_prop(int p) {
  const Item* worn[NUM_WORN];
  get_worn(worn);
  for (const Item* it : worn)
    if (it->is_valid() && it->get_to_mod() == p) return true;
  return false;
}

// ---- sight, light, draw code ------------------------------------------------------

int Player::count_sight_items() {
  int n = 0;
  const Item* worn[NUM_WORN];
  get_worn(worn);
  for (const Item* it : worn) {
    if (it == &weapon || (it == &shield && shield_is_weapon(*this))) continue;
    int pc = prefix_class(*it);
    if (pc >= 9 && pc <= 12) ++n;
  }
  return n;
}

int Player::get_sight() {
  if (hp < 1 || get_health(HN_WEREWOLF_FORM) != 0) return 5;
  int v = sight + get_magic_modifier(MP_NIGHTVISION) + count_sight_items() + sight_bonus +
          get_light();
  return v + buff_mod(*this, BUFF_NIGHTVISION, v);
}

int Player::get_light() const {
  int n = light;
  const Item* worn[NUM_WORN];
  get_worn(worn);
  for (const Item* it : worn)
    if (it->is_valid() && it->get_material() == MAT_GOLD) ++n;
  return n;
}

int Player::get_vigour_bonus() {
  int n = 0;
  const Item* worn[NUM_WORN];
  get_worn(worn);
  for (const Item* it : worn) {
    if (it == &weapon || (it == &shield && shield_is_weapon(*this))) continue;
    int pc = prefix_class(*it);
    if (pc >= 5 && pc <= 8) n += 3;
  }
  return n;
}

int Player::get_draw_code() {
  if (get_health(HN_PILOT) != 0 || get_health(HN_PASSENGER) != 0) {
    switch (direction) {
      case 3: return 1092;
      case 4: return 1090;
      case 5: return 1091;
      case 6: return 1090;
      case 7: return 1093;
      default: return 1090;
    }
  }
  // A mount the table does not know has no picture: the rider is drawn as
  // on foot rather than as nothing.
  const int mount_tile = get_health(HN_MOUNTED) != 0 ? mounts.get_tile(mount, direction) : 0;
  if (mount_tile != 0) {
    // The colour comes from the server: shift it in 32-bit unsigned arithmetic
    // so that a large value wraps instead of overflowing.
    uint32_t colour_bits = static_cast<uint32_t>(mount_colour) * 4096u;
    return static_cast<int>(static_cast<uint32_t>(mount_tile) + colour_bits);
  }
  if (get_health(HN_IN_STOCKS) != 0) return 382;
  if (get_health(HN_HEXED) != 0) return static_cast<int>(common_cfg.get_hex("bcode_hexed"));
  // A form whose figures have not arrived has no picture of its own yet.
  if (get_health(HN_POLYMORPHED) != 0 && poly_code != 0) return poly_code;
  if (get_health(HN_WEREWOLF_FORM) != 0)
    return static_cast<int>(
        common_cfg.get_hex(is_vampyric() ? "bcode_lycan_vamp" : "bcode_lycan"));
  return code;
}

// ---- weapons and damage ---------------------------------------------------------

int Player::get_dmg_dice() {
  if (get_health(HN_HEXED) != 0) return 1;
  if (get_health(HN_POLYMORPHED) != 0 && poly_dmg_dice != 0) return poly_dmg_dice;
  if (get_health(HN_WEREWOLF_FORM) != 0) return 6;
  if (wl.get_weapon_type(weapon) == W_UNARMED) return 1;
  return wl.get_no_dice(weapon);
}

int Player::get_dmg_sides() {
  if (get_health(HN_HEXED) != 0) return 2;
  if (get_health(HN_POLYMORPHED) != 0 && poly_dmg_dice != 0) return poly_dmg_sides;
  if (get_health(HN_WEREWOLF_FORM) != 0 && !weapon.is_valid()) return 6;
  if (get_health(HN_WEREWOLF_FORM) == 0 && wl.get_weapon_type(weapon) == W_UNARMED)
    return 1 + bounded_int<int>(cfg_skill_value("skill_SK_UNARMED", 0.0f) * 0.0625f);
  return wl.get_no_sides(weapon);
}

bool Player::fists_or_fist_weapons() {
  if (wl.get_weapon_type(weapon) != W_UNARMED) return false;
  return !shield.is_valid() || wl.get_weapon_type(shield) == W_UNARMED || wl.is_unarmoured(shield);
}

bool Player::can_dual_wield(const Item& item) {
  if (perk_flags[PERK_DUAL_WIELD] != 0) return true;
  // Without a configured skill nobody qualifies (empty names would match).
  std::string dual = common_cfg.get("dual_wield_skill");
  if (dual.empty()) return false;
  return weapon_skill_name(weapon) == dual && weapon_skill_name(item) == dual;
}

bool Player::wields_staff() {
  int g = wl.get_grade(shield);
  return wl.get_weapon_type(weapon) == W_MAGE && (g == A_NA || g == A_UNARMOURED);
}

int Player::check_requirement(const Item& item) {
  if (!PLAYER_LEVELS || is_dm() || g_no_requirements) return 0;
  if (common_cfg.get_int("old_style_classes") == 0 && !wl.check_class(item, cls)) return 2;
  if (lvl < wl.get_level_req(item)) return 1;
  return 0;
}

bool Player::can_ready(const Item& item, int slot_nr) const {
  (void)item;
  (void)slot_nr;
  return true;
}

Item Player::get_first_ranged_weapon() {
  for (const Item& b : item_binds)
    if (b.is_valid() && wl.is_ranged(b) && check_requirement(b) == 0) return b;
  return Item(0L);
}

float Player::get_req_ready_str(const Item& item, int slot_nr) {
  const Item* summed[] = {&hat, &armour, &boots, &gloves, &ring1, &ring2, &trousers, &amulet,
                          &weapon, &shield, &belt};
  float w = 0.0f;
  for (const Item* it : summed) w += wl.get_weight(*it);
  const Item* by_slot[] = {&weapon, &shield, &hat,   &armour, &trousers, &boots,  &gloves,
                           &ring1,  &ring2,  &amulet, nullptr, nullptr,  nullptr, &belt, &ammo};
  if (slot_nr >= 0 && slot_nr < 15 && by_slot[slot_nr] != nullptr)
    w -= wl.get_weight(*by_slot[slot_nr]);
  w += wl.get_weight(item);
  return w * static_cast<float>(common_cfg.get_int("ready_weight_multiple"));
}

float Player::get_armour_weight() {
  const Item* pieces[] = {&hat, &gloves, &trousers, &armour, &boots};
  float total = 0.0f;
  for (const Item* it : pieces) {
    float w = wl.get_weight(*it);
    if (w == 0.0f) continue;
    float c = 0.0f;
    char grade = static_cast<char>(wl.get_grade(*it));
    for (int k = 0; k < sc.max_classes(); ++k)
      if (sc.class_can_wear(k, grade)) c = std::max(c, get_max_class_skill(k));
    c = std::min(c, 100.0f);
    total += w * (1.0f - c / 100.0f);
  }
  return total;
}

float Player::armour_slowdown(float strength, float weight) {
  float r = weight <= 7.0f ? (weight - 7.0f) * 0.018f : (weight - 7.0f) * 0.03f;
  if (r > 0.0f) {
    float c = static_cast<float>(common_cfg.get_int("ready_weight_multiple"));
    // Without the setting (or with no weight) there is nothing to scale by.
    float denominator = c * weight;
    if (denominator != 0.0f) r = r * (c * 2.0f * weight - strength) / denominator;
    r = std::max(r, 0.0f);
  }
  return r;
}

int Player::get_delay(bool weapon_action, float weight) {
  if (common_cfg.get_bool("turn_based")) {
    if (is_encumbered(weight) && !is_dm()) return 3000;
    return turn_delay_ms > 99 ? turn_delay_ms : 200;
  }
  if (weight != 0.0f && is_encumbered(weight) && !is_dm()) return 1500;
  if (get_health(HN_HEXED) != 0) return 750;
  if (get_health(HN_HIDING) != 0) return bounded_int<int>(get_stealth_delay() * 1000.0);
  if (get_health(HN_PILOT) != 0) return 200;
  // Without a delay of the form's own (its figures not yet sent) the
  // ordinary rules pace the player: no delay would let an action through
  // on every pass of the frame loop.
  if (get_health(HN_POLYMORPHED) != 0 && poly_move_delay > 0) return poly_move_delay;
  if (is_dm()) return 200;
  double d;
  if (weapon_action) {
    d = common_cfg.get_int("weapon_delay_" + weapon_skill_name(weapon));
    if (d == 0) d = 300;
  } else if (get_health(HN_WEREWOLF_FORM) != 0) {
    d = 250;
  } else if (get_health(HN_MOUNTED) != 0 && mounts.get_delay(mount) > 0) {
    d = mounts.get_delay(mount);
  } else {
    // On foot, or on a mount the table gives no pace (unknown to it, or a
    // delay of 0): the rider's own pace, never a step on every pass.
    int f = get_dex() * 4 / 5;
    double base = f > 200 || get_health(HN_SPEEDY) != 0 ? 300.0 : (200 - f) * 50 / 200.0 + 300.0;
    float w = perk_flags[PERK_ARMOUR_NO_SLOW] != 0 ? 0.0f : get_armour_weight();
    d = (armour_slowdown(static_cast<float>(get_str()), w) + 1.0) * base;
  }
  if (get_health(HN_SLOWED) != 0) d *= 2;
  return bounded_int<int>(d);
}

int Player::get_weapon_delay() { return get_weapon_delay(weapon); }

int Player::get_weapon_delay(const Item& item) {
  int m = get_health(HN_SLOWED) != 0 ? 2 : 1;
  if (get_health(HN_PILOT) != 0) return 1000;
  if (get_health(HN_WEREWOLF_FORM) != 0) return 450 * m;
  if (get_health(HN_POLYMORPHED) != 0 && poly_attack_delay > 0)
    return bounded_int<int>(static_cast<double>(poly_attack_delay) * m);
  double b = get_delay(true, 0.0f);
  double d = wl.get_speed(item) * b * (item.get_material() == MAT_COPPER ? 0.9 : 1.0);
  if (shield_is_weapon(*this)) {
    d += wl.get_speed(shield) * b * (shield.get_material() == MAT_COPPER ? 0.9 : 1.0);
    std::string dual = common_cfg.get("dual_wield_skill");
    if (!dual.empty() && weapon_skill_name(item) == dual && weapon_skill_name(shield) == dual)
      d *= 0.85;
    else if (perk_flags[PERK_DUAL_WIELD] != 0)
      d *= 0.9;
  }
  d += buff_mod(*this, 48, d);
  if (wl.get_no_hands(item) == 2) d += buff_mod(*this, BUFF_TWO_HAND_SPEED, d);
  return bounded_int<int>(d);
}

float Player::get_stealth_delay() {
  float d = 3.0f - cfg_skill_value("skill_SK_STEALTH", 0.0f) * 2.5f / 100.0f;
  d = d * 0.7f * sc.get_race_stealth_factor(race);
  if (get_health(HN_SLOWED) != 0) d *= 2.0f;
  return d;
}

namespace {

// The weapon's strength share, as the stat-damage and to-hit rules take it.
float strength_share(Player& p) {
  float si = wl.get_weapon_si(p.weapon);
  float a = p.poly_str_mult, b = p.poly_dex_mult;
  if (p.get_health(HN_POLYMORPHED) != 0 && a + b != 0.0f)
    si = a / (a + b);
  else if (p.has_buff_effect(36) && si > 0.75f)
    si = 0.75f;
  return si;
}

}  // namespace

float Player::stat_damage_multiplier() {
  FunctionTrace trace("stat dmg bonus");
  float si = strength_share(*this);
  trace.printf("SI=%f", static_cast<double>(si));
  int governing = sc.get_governing_stat(wl.get_weapon_skill(weapon));
  float g = static_cast<float>(governing == STAT_INT ? get_intel() : get_dex());
  float s = static_cast<float>(get_str());
  // No stats at all: no share to compare and nothing to add.
  float x = s + g != 0.0f ? std::fabs(s / (s + g) - si) : 0.0f;
  float bonus = (s + g) / 5.0f * (1.0f - x);
  if (wl.get_weapon_type(weapon) == W_NOTAWEAPON) bonus /= 2.0f;
  trace.printf("s=%d d=%f si=%f bonus=%f", bounded_int<int>(s), static_cast<double>(g),
               static_cast<double>(si), static_cast<double>(bonus));
  return bonus / 100.0f;
}

int Player::get_damage_bonuses(float& item_bonus, float& stat_bonus) {
  int ws = wl.get_weapon_skill(weapon);
  float q = 0.5f + (valid_skill(ws) ? skill_value(ws) / 200.0f : 0.0f);
  const Item& source = weapon.is_valid() ? weapon : gloves;
  item_bonus = 0.0f;
  stat_bonus = 0.0f;
  if (is_dm() && source.is_cursed()) return 1;
  auto effect1 = [](const Item& i) {
    int v = 0;
    return i.is_valid() && wl.get_effect(i, MP_WEAPON_BONUS, &v) ? v : 0;
  };
  float ib = static_cast<float>(effect1(source));
  const Item* extras[] = {&ring1, &ring2, &amulet, &belt};
  for (const Item* it : extras)
    if (!it->is_cursed()) ib += static_cast<float>(effect1(*it));
  ib += static_cast<float>(effect1(extra_slot));
  int g = wl.get_grade(shield);
  if (is_type(shield, ITEM_SHIELD) && !shield.is_cursed() && (g == A_NA || g == A_UNARMOURED))
    ib += static_cast<float>(effect1(shield));
  if (sigils_off == 0) {
    const Item* sigils[] = {&sigil1, &sigil2, &sigil3};
    for (const Item* it : sigils)
      if (!it->is_cursed()) ib += static_cast<float>(effect1(*it));
  }
  float speed_ratio = wl.get_speed(weapon) / reference_speed();
  if (ib > 0.0f && weapon.is_valid()) ib *= speed_ratio;
  item_bonus = ib * q;
  stat_bonus = stat_damage_multiplier() * 15.15f * speed_ratio * q;
  return 1;
}

std::string Player::get_damage_str() {
  float ib = 0.0f, sb = 0.0f;
  get_damage_bonuses(ib, sb);
  return format_str("%d>%d +%.1f +%.1f", get_dmg_dice(), get_dmg_sides(), static_cast<double>(ib),
                    static_cast<double>(sb));
}

// ---- other switches ---------------------------------------------------------------

bool Player::can_pvp() {
  if (pvp == 0 && !(pvp_enabled && lvl >= pvp_min_level)) return false;
  return get_health(HN_RES_SICKNESS) == 0;
}

bool Player::has_infravision() {
  return get_health(HN_INFRAVISION) != 0 || perk_flags[PERK_INFRAVISION] != 0;
}

bool Player::has_xray_vision() {
  return get_health(HN_XRAY_VISION) != 0 || (is_dm() && dm_xray != 0);
}

int Player::get_buff_flags() {
  if (has_buff_effect(BUFF_LIGHTNING_ATTACKS)) return 1024;
  if (has_buff_effect(BUFF_FIRE_ATTACKS)) return 256;
  if (has_buff_effect(BUFF_FREEZING_ATTACKS)) return 1280;
  return 0;
}

bool Player::is_unarmoured() {
  const Item* pieces[] = {&armour, &hat, &gloves, &boots, &trousers};
  for (const Item* it : pieces)
    if (it->is_valid() && !wl.is_unarmoured(*it)) return false;
  return true;
}

// ---- server-side rules ----------------------------------------------------------

namespace {

// Facing factor of an attack from (ax, ay): 1 in front, 0.5 half aside, 0.
float facing_factor(const Player& p, int ax, int ay) {
  int diff = std::abs(get_direction(p.x, p.y, ax, ay) - p.direction);
  if (diff == 0 || diff == 1 || diff == 7) return 1.0f;
  if (diff == 2 || diff == 6) return 0.5f;
  return 0.0f;
}

float shield_chance(const Item& s, float factor) {
  int e7 = 0;
  wl.get_effect(s, MP_ARMOUR_BONUS, &e7);
  float c = wl.get_ac(s) * factor + e7 * 25.0f / 7.0f;
  int m = s.get_material();
  if (m == MAT_BLACKROCK || m == MAT_MITHRIL) c += 9;
  if (m == MAT_COPPER || m == MAT_STEEL) c += 6;
  if (m == MAT_ADAMANTIUM) c += 12;
  return c;
}

bool may_block(Player& p, const std::string& block_skill) {
  if (p.perk_flags[PERK_BLOCK] == 0 && block_skill.empty()) return false;
  if (p.get_health(HN_ASLEEP) != 0 || p.get_health(HN_HELD) != 0 ||
      p.get_health(HN_MEDITATING) != 0)
    return false;
  if (wl.get_weapon_type(p.weapon) == W_MAGE) return false;
  return true;
}

}  // namespace

bool Player::try_block(int bx, int by) {
  std::string block_skill = common_cfg.get("block_skill");
  if (!may_block(*this, block_skill)) return false;
  float f = facing_factor(*this, bx, by);
  if (f == 0.0f || (f < 1.0f && rand_int(2) == 0)) return false;
  if (!is_type(shield, ITEM_SHIELD) || shield.is_cursed()) return false;
  float chance = shield_chance(shield, 1.0f);
  int skill = block_skill.empty() ? -1 : sc.get_skill_nr(block_skill);
  bool blocked = false;
  if (valid_skill(skill)) {
    if (rand_int(12) == 0)
      blocked = true;
    else if (skill_value(skill) >= static_cast<float>(rand_int(100)))
      blocked = chance > static_cast<float>(rand_int(100));
  }
  if (!blocked) {
    if (rand_int(12) == 0)
      blocked = true;
    else
      blocked = chance > static_cast<float>(rand_int(100));
  }
  return blocked;
}

float Player::get_block_chance(int bx, int by) {
  std::string block_skill = common_cfg.get("block_skill");
  if (!may_block(*this, block_skill)) return 0.0f;
  if (!is_type(shield, ITEM_SHIELD) || shield.is_cursed()) return 0.0f;
  float f = facing_factor(*this, bx, by);
  if (f == 0.0f) return 0.0f;
  float chance = shield_chance(shield, f);
  int skill = block_skill.empty() ? -1 : sc.get_skill_nr(block_skill);
  if (!valid_skill(skill)) return chance / 200.0f;
  return skill_value(skill) * chance / 20000.0f;
}

bool Player::try_dodge() {
  if (is_type(shield, ITEM_SHIELD) && !wl.is_unarmoured(shield) && wl.get_grade(shield) != A_LIGHT)
    return false;
  if (get_health(HN_HELD) != 0 || get_health(HN_MEDITATING) != 0) return false;
  int f = 10 - (get_dex() / 5 - 50) / 15;
  int n = f < 3 ? 300 : f * 100;
  n -= buff_mod(*this, BUFF_DODGE, n);
  return rand_int(std::max(n, 1)) <= 99;
}

int Player::gain_rage(int amount) {
  if (common_cfg.get_bool("rage_bump_only_for_rage_class") && sc.get_mana_type(cls) != MANA_RAGE)
    return 0;
  int ws = wl.get_weapon_skill(weapon);
  if (!valid_skill(ws)) return 0;
  if (skill_value(ws) < 25.0f && get_health(HN_WEREWOLF_FORM) == 0) return 0;
  double a = sc.get_race_rage_factor(race) * amount;
  double b = buff_mod(*this, BUFF_RAIN_GAIN, 100.0 * a);
  int added = 0;
  if (rage <= 99) {
    double g = (b / 100.0 + a) * (6 + rand_int(8)) * wl.get_speed(weapon) / reference_speed();
    const Item& m = weapon.is_valid() ? weapon : gloves;
    if (m.get_material() == MAT_RUNED) g *= 1.33;
    int step = std::max(bounded_int<int>(g), 1);
    rage = static_cast<int16_t>(std::min(rage + step, 100));
    added = 1;
  }
  cooldowns[COOLDOWN_RAGE] = 15;
  return added;
}

int Player::try_skill_gain(bool fast) {
  int ws = wl.get_weapon_skill(weapon);
  int unarmed = common_cfg.get_int("skill_SK_UNARMED");
  int c;
  int dice;
  if (valid_skill(ws) && ws != unarmed) {
    c = bounded_int<int>(90 - skill_value(ws) * 90 / 100 + 40);
    int m = weapon.get_material();
    if (wl.get_no_hands(weapon) == 2) {
      c -= 20;
      if (m == MAT_ORDINARY) c -= 13;
      else if (m == MAT_RUNED || m == MAT_ADDLED) c -= 10;
    } else if (m == MAT_ORDINARY) {
      c -= 25;
    } else if (m >= MAT_MITHRIL && m <= MAT_ADDLED) {
      c -= 20;
    }
    dice = 20;
  } else if (valid_skill(ws) || !weapon.is_valid()) {
    if (!fists_or_fist_weapons() || !is_unarmoured()) return 0;
    float v = valid_skill(unarmed) ? skill_value(unarmed) : 0.0f;
    c = bounded_int<int>(90 - v * 90 / 100 + 15);
    if (weapon.is_valid()) c += 20;
    dice = 30;
  } else {
    return 0;
  }
  bool gain = (fast && rand_int(2) == 0) || rand_int(std::max(c, 1)) == 1;
  return gain ? roll_dice(dice, 2) : 0;
}

float Player::get_ac() {
  if (!derive_figures) return net_ac;
  FunctionTrace trace("get ac");
  if (get_health(HN_HEXED) != 0) return 12.0f;
  if (get_health(HN_WEREWOLF_FORM) != 0)
    return PLAYER_LEVELS ? static_cast<float>(lvl / 3 + 15) : 20.0f;
  float a = ac_base;
  bool old_style = common_cfg.get_int("old_style_classes") != 0;
  const Item* pieces[] = {&armour, &hat, &gloves, &boots, &trousers};
  for (const Item* it : pieces) {
    if (!it->is_valid()) continue;
    float v = wl.get_ac(*it);
    if (old_style) {
      float c = 0.0f;
      for (int k = 0; k < sc.max_classes(); ++k)
        if (wl.check_class(*it, k)) c = std::max(c, get_max_class_skill(k));
      v = v * c / 100.0f;
    }
    a += v;
  }
  if (is_unarmoured() && fists_or_fist_weapons()) {
    float u = ac_base + cfg_skill_value("skill_SK_UNARMED", 0.0f) * 10.0f / 100.0f;
    const Item* worn_ac[] = {&hat, &gloves, &boots, &armour, &trousers, &shield};
    for (const Item* it : worn_ac) u += wl.get_ac(*it);
    a = std::max(a, u);
  }
  const Item* others[] = {&weapon, &ring1, &ring2, &amulet, &belt, &sigil1, &sigil2, &sigil3};
  for (const Item* it : others) a += wl.get_ac(*it);
  if (shield.is_valid() && wl.get_ac(Item(static_cast<long>(shield.get_base_code()))) == 0.0f)
    a += wl.get_ac(shield);
  a += static_cast<float>(buff_mod(*this, BUFF_DEFENSE, a));
  a += cfg_skill_value("skill_SK_TACTICS", 0.0f) * 2.0f / 100.0f;
  if (race_rec != nullptr) a += (race_rec->armour_percent - 100.0f) * a / 100.0f;
  if (get_health(HN_POLYMORPHED) != 0) a = std::max(a, static_cast<float>(poly_ac));
  a += static_cast<float>(ac_bonus);
  if (get_health(HN_CLEAVED) != 0) a /= 2.0f;
  return a;
}

int Player::get_thaco() {
  if (!derive_figures) return net_thaco;
  if (get_health(HN_HEXED) != 0) return 1;
  if (get_health(HN_POLYMORPHED) != 0) return poly_thaco;
  if (get_health(HN_WEREWOLF_FORM) != 0) return PLAYER_LEVELS ? lvl / 3 + 15 : 25;
  int ws = wl.get_weapon_skill(weapon);
  double t = (valid_skill(ws) ? skill_value(ws) : 0.0f) * 20 / 100.0 +
             cfg_skill_value("skill_SK_TACTICS", 0.0f) * 7 / 100.0;
  auto effect1 = [](const Item& i) {
    int v = 0;
    return i.is_valid() && wl.get_effect(i, MP_WEAPON_BONUS, &v) ? v : 0;
  };
  const Item& source = weapon.is_valid() ? weapon : gloves;
  t += effect1(source);
  if (is_type(shield, ITEM_SHIELD)) t += effect1(shield);
  const Item* extras[] = {&ring1, &ring2, &amulet, &belt, &extra_slot, &sigil1, &sigil2, &sigil3};
  for (const Item* it : extras) t += effect1(*it);
  int per_level = common_cfg.get_int("thaco_increase_per_level");
  if (per_level != 0) t += lvl / per_level;
  if (race_rec != nullptr) t += (race_rec->to_hit_percent - 100.0) * t / 100.0;
  int mat = source.get_material();
  if (mat == MAT_DIAMOND || mat == MAT_ADAMANTIUM) t *= 1.2;

  float si = strength_share(*this);
  int governing = sc.get_governing_stat(ws);
  double s = get_str();
  double g = governing == STAT_INT ? get_intel() : get_dex();
  int dex_v = get_dex(), int_v = get_intel();
  auto cfg = [](const char* k) { return common_cfg.get_int(k); };
  const char* g_min = governing == STAT_INT ? "thaco_bonus_int_min_stat" : "thaco_bonus_dex_min_stat";
  const char* g_rate = governing == STAT_INT ? "thaco_bonus_int_rate" : "thaco_bonus_dex_rate";
  // Shares of a zero stat total are taken as 0 rather than divided out.
  double s_share = s + g != 0 ? s / (s + g) : 0.0;
  double g_share = s + g != 0 ? g / (s + g) : 0.0;
  if (cfg(g_rate) != 0) {
    double m = cfg(g_min) * (1.0 - si);
    if (g > m) t += (g - m) * (1.0 - std::fabs(g_share - (1.0 - si))) / cfg(g_rate);
  }
  if (cfg("thaco_bonus_str_rate") != 0) {
    double m = cfg("thaco_bonus_str_min_stat") * si;
    if (s > m) t += (s - m) * (1.0 - std::fabs(s_share - si)) / cfg("thaco_bonus_str_rate");
  }
  bool wielded = weapon.is_valid();
  if (cfg("thaco_bonus_dex_rate") != 0 && dex_v > cfg("thaco_bonus_dex_min_stat") && wielded &&
      governing == STAT_DEX)
    t += (int64_t{dex_v} - cfg("thaco_bonus_dex_min_stat")) / cfg("thaco_bonus_dex_rate");
  if (cfg("thaco_bonus_str_rate") != 0 && s > cfg("thaco_bonus_str_min_stat") &&
      governing == STAT_STR)
    t += (static_cast<int64_t>(s) - cfg("thaco_bonus_str_min_stat")) / cfg("thaco_bonus_str_rate");
  if (cfg("thaco_bonus_int_rate") != 0 && int_v > cfg("thaco_bonus_int_min_stat") && wielded &&
      governing == STAT_INT)
    t += (int64_t{int_v} - cfg("thaco_bonus_int_min_stat")) / cfg("thaco_bonus_int_rate");
  t += buff_mod(*this, BUFF_ATTACK, t) + thaco_bonus;
  if (get_health(HN_POWER) != 0) t += 3;
  if (get_health(HN_CLEAVED) != 0) t /= 2;
  return bounded_int<int>(std::floor(t + 0.5));
}

// The game-wide rules of the login replies.
bool PLAYER_LEVELS = false;
bool PERMADEATH = false;
// Until the login reply says otherwise the statistics are unscaled.
float STAT_VALUE = 1.0f;
int skill_cap = 0;
bool flagged_skills_only = false;
int stat_cap = 0;
int level_cap = 0;
int manual_levelling = 0;
bool pvp_enabled = false;
int pvp_min_level = 0;
bool g_no_requirements = false;
bool spare_rule_flag = false;
int turn_delay_ms = 200;
