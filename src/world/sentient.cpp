// Creatures: status counters, the base figures and the rules built on them.

#include "world/sentient.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "core/buffs.h"
#include "core/ids.h"
#include "core/item_data.h"
#include "core/log.h"
#include "core/spells.h"
#include "core/utils.h"

float bounded_figure(float v) {
  if (std::isnan(v)) return 0.0f;
  return std::clamp(v, -PLAYER_FIGURE_LIMIT, PLAYER_FIGURE_LIMIT);
}

Sentient::Sentient() = default;

Sentient::~Sentient() = default;

int Sentient::get_health(int n) {
  const int16_t* c = counter(n);
  return c ? *c : 0;
}

void Sentient::set_health(int n, int value) {
  FunctionTrace ft("set_health");
  int16_t* c = counter(n);
  if (!c) return;
  *c = static_cast<int16_t>(std::clamp(value, -HEALTH_LIMIT, HEALTH_LIMIT));
  if ((n == HN_POISONED || n == HN_SICK) && (undead() || !is_organic())) *c = 0;
  if (n == HN_STONE_FORM && value != 0) {
    if (get_health(HN_WOUNDED) != 0) health[HN_WOUNDED] = 0;
  } else if (ward_flag && (n == HN_WOUNDED || n == HN_HEXED)) {
    *c = 0;
  }
  if (n == HN_SLOWED && value != 0 && get_health(HN_SPEEDY) != 0) health[HN_SLOWED] = 0;
  ft.printf("id=%d healthnum=%d newval=%d", id, n, *c);
}

int Sentient::dec_health(int n) {
  int16_t* c = counter(n);
  if (!c) return 0;
  if (*c < 1) return *c;
  return --*c;
}

int Sentient::clear_health() {
  std::fill(std::begin(health), std::end(health), 0);
  return 0;
}

int Sentient::get_sight() { return sight; }
bool Sentient::is_dm() { return false; }
int Sentient::get_dex() { return bounded_int<int>(dex); }
int Sentient::get_str() { return bounded_int<int>(str); }
int Sentient::get_intel() { return bounded_int<int>(intel); }
int Sentient::get_magic_resistance() { return 0; }
alignment_type Sentient::get_align() { return ALIGN_NEUTRAL; }
int Sentient::get_hp_max() { return bounded_int<int>(str); }
int Sentient::get_mana_max() { return 0; }
int Sentient::get_magic_modifier(int) { return 0; }
bool Sentient::fists_or_fist_weapons() { return false; }
bool Sentient::is_special() { return false; }

float Sentient::get_ac() {
  float a;
  if (get_health(HN_HEXED) != 0)
    a = 12.0f;
  else if (get_health(HN_POLYMORPHED) != 0)
    a = static_cast<float>(poly_ac);
  else
    a = ac_base;
  if (get_health(HN_CLEAVED) != 0) a *= 0.5f;
  return a;
}

int Sentient::get_dmg_dice() { return get_health(HN_POLYMORPHED) != 0 ? poly_dmg_dice : 0; }
int Sentient::get_dmg_sides() { return get_health(HN_POLYMORPHED) != 0 ? poly_dmg_sides : 0; }
int Sentient::get_thaco() { return get_health(HN_POLYMORPHED) != 0 ? poly_thaco : 0; }
bool Sentient::try_block(int, int) { return false; }
bool Sentient::try_dodge() { return false; }
bool Sentient::is_flying() { return false; }
bool Sentient::is_vampyric() { return false; }
bool Sentient::is_lycan() { return get_health(HN_WEREWOLF_FORM) != 0; }
bool Sentient::is_organic() { return true; }
bool Sentient::undead() { return false; }

// The stats of a form are the sum of the three scaled by the form's
// multiplier; a product of two large figures is kept bounded like either.
float Sentient::get_float_str() {
  if (get_health(HN_WEREWOLF_FORM) != 0)
    return static_cast<float>((static_cast<double>(str) + dex + intel) * 0.45);
  if (get_health(HN_POLYMORPHED) != 0 && poly_str_mult > 0)
    return bounded_figure((str + dex + intel) * poly_str_mult);
  return str;
}

float Sentient::get_float_dex() {
  if (get_health(HN_WEREWOLF_FORM) != 0)
    return static_cast<float>((static_cast<double>(str) + dex + intel) * 0.45);
  if (get_health(HN_POLYMORPHED) != 0 && poly_dex_mult > 0)
    return bounded_figure((str + dex + intel) * poly_dex_mult);
  return dex;
}

float Sentient::get_float_intel() {
  if (get_health(HN_WEREWOLF_FORM) != 0)
    return static_cast<float>((static_cast<double>(str) + dex + intel) * 0.1);
  if (get_health(HN_POLYMORPHED) != 0 && poly_int_mult > 0)
    return bounded_figure((str + dex + intel) * poly_int_mult);
  return intel;
}

bool Sentient::is_visible() {
  if (get_health(HN_PILOT) != 0 || get_health(HN_PASSENGER) != 0) return true;
  if (get_health(HN_INVISIBLE) != 0 || get_health(HN_HIDING) != 0) return false;
  return get_health(HN_HIDDEN_CANT_MOVE) == 0;
}

int Sentient::get_hp_percent() {
  const int max = get_hp_max();
  if (max == 0) return 0;
  long long p = static_cast<long long>(hp) * 100 / max;
  p = std::clamp<long long>(p, 0, 100);
  if (p <= 0 && hp > 0) p = 1;
  return static_cast<int>(p);
}

int Sentient::get_mana_percent() {
  const int max = get_mana_max();
  if (max == 0) return 0;
  return static_cast<int>(std::clamp<long long>(static_cast<long long>(mana) * 100 / max, 0, 100));
}

void Sentient::apply_bandage() {
  if (get_health(HN_WOUNDED) != 0) return;
  const long long v = static_cast<long long>(hp) + bandage_hp_gain;
  hp = bounded_int<int>(std::min<long long>(v, get_hp_max()));
}

void Sentient::tick_hunger() {
  if (!is_organic() || (undead() && !is_vampyric())) {
    hunger = 1000;
    return;
  }
  if (hunger < -99) return;
  hunger = static_cast<int16_t>(hunger - (20 + rand_int(20)));
}

void Sentient::feed(int amount) {
  if (!is_organic() || undead()) return;
  const int r = rand_int(amount / 5);
  long long h = hunger;
  h += rand_int(2) == 1 ? static_cast<long long>(amount) - r : static_cast<long long>(amount) + r;
  if (id < PLAYER_ID_LIMIT) h += 100;
  // A creature fed past the counter's range stays full instead of wrapping
  // round to starving.
  hunger = bounded_int<int16_t>(h);
}

void Sentient::set_pos(int nx, int ny) {
  x = static_cast<int16_t>(nx);
  y = static_cast<int16_t>(ny);
}

bool Sentient::has_spell(int spell_id) const {
  return std::find(spells.begin(), spells.end(), spell_id) != spells.end();
}

bool Sentient::has_spell(const std::string& spell_name) const {
  return has_spell(::spells.get_spell_id(spell_name));
}

int Sentient::add_spell(int spell_id) {
  if (has_spell(spell_id) || !::spells.is_valid_id(spell_id)) return 1;
  spells.push_back(spell_id);
  return 0;
}

int Sentient::add_spell(const std::string& spell_name) {
  return add_spell(::spells.get_spell_id(spell_name));
}

int Sentient::remove_spell(int spell_id) {
  auto it = std::find(spells.begin(), spells.end(), spell_id);
  if (it == spells.end()) return 1;
  spells.erase(it);
  return 0;
}

int Sentient::remove_spell(const std::string& spell_name) {
  return remove_spell(::spells.get_spell_id(spell_name));
}

bool Sentient::has_buff_effect(int buff_type) const {
  return ::buffs.get_total_modifier(buffs, buff_type, 100.0) != 0;
}

void Sentient::add_buff(int buff_id, int count) {
  if (count == -1) {
    count = ::buffs.get_duration(buff_id);
    if (count == 0) return;
  }
  if (count == 0) return;
  buffs[buff_id] = count;
}

int Sentient::add_permanent_buff(int buff_id, int n) {
  const int v = static_cast<int>(std::clamp<long long>(-2LL - n, INT_MIN, -2));
  buffs[buff_id] = v;
  return v;
}

int Sentient::remove_buffs_of_type(int buff_type) {
  int removed = 0;
  for (auto it = buffs.begin(); it != buffs.end();) {
    if (::buffs.get_type(it->first) == buff_type) {
      it = buffs.erase(it);
      removed = 1;
    } else {
      ++it;
    }
  }
  return removed;
}

void Sentient::tick_buffs() {
  for (auto it = buffs.begin(); it != buffs.end();) {
    if (it->second > 0 && --it->second == 0)
      it = buffs.erase(it);
    else
      ++it;
  }
}

int Sentient::get_resistance(int magic_type) const {
  if (magic_type < 0 || magic_type > 2047) return 0;
  const int i = magic_type / 256;
  const int base = resistances[i];
  return base + ::buffs.get_total_modifier(buffs, BUFF_RESIST_BASE + i, base);
}

void Sentient::set_resistance(int magic_type, int value) {
  if (magic_type < 0 || magic_type > 2047) return;
  resistances[magic_type / 256] = static_cast<int16_t>(value);
}

int Sentient::get_worn_effect_total() const {
  int total = 0;
  for (const Item* i : {&weapon, &shield, &ring1, &ring2, &amulet, &belt, &sigil1, &sigil2, &sigil3}) {
    int v = 0;
    if (wl.get_effect(*i, MP_WEAPON_BONUS, &v)) total += v;
  }
  return total;
}

void Sentient::add_tag(const std::string& text, const Item& item) {
  tags.emplace(text + "|" + item.str(false), 0);
}
