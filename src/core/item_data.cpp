#include "core/item_data.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/config_file.h"
#include "core/item_bases.h"
#include "core/log.h"
#include "core/string_utils.h"
#include "core/utils.h"

extern ConfigFile common_cfg;

namespace {

bool is_armour_letter(int t) { return t != 0 && std::strchr("sahbgte", t) != nullptr; }
bool is_wearable_letter(int t) { return t != 0 && std::strchr("sahbgtemr", t) != nullptr; }

bool is_empty_item(const Item& i) { return i == 0L; }

}  // namespace

int artifact_default_material(int base) {
  const ItemRecord* r = wl.get_record(base);
  return r ? r->default_material : 0;
}

ItemRecord::ItemRecord(int c, char t, const std::string& n)
    : code(c & ITEM_BASE_MASK), type(t), name(n) {}

bool ItemRecord::allows_class(int c) const {
  if (all_classes) return true;
  // Classes added after the record was read have no bit: not allowed.
  return c >= 0 && static_cast<size_t>(c) < class_mask.size() && class_mask[static_cast<size_t>(c)];
}

ItemData::ItemData() {
  for (auto& l : mat_names_) l.assign(ITEM_NUM_MATERIALS, std::string());
  prefix_names_.assign(ITEM_NUM_PREFIXES, std::string());
  short_prefix_names_.assign(ITEM_NUM_PREFIXES, std::string());
  mat_colours_.assign(ITEM_NUM_MATERIALS, 0);
}

ItemData::ItemData(const ItemData& o) { *this = o; }

ItemData& ItemData::operator=(const ItemData& o) {
  if (this == &o) return *this;
  highest_price_ = o.highest_price_;
  avg_wep_speed_ = o.avg_wep_speed_;
  for (int l = 0; l < MATNAME_LISTS; ++l) mat_names_[l] = o.mat_names_[l];
  prefix_names_ = o.prefix_names_;
  short_prefix_names_ = o.short_prefix_names_;
  for (size_t b = 0; b < records_.size(); ++b)
    records_[b] = o.records_[b] ? std::make_unique<ItemRecord>(*o.records_[b]) : nullptr;
  mob_names = o.mob_names;
  mat_flag_a_ = o.mat_flag_a_;
  mat_flag_b_ = o.mat_flag_b_;
  mat_colours_ = o.mat_colours_;
  cards = o.cards;
  return *this;
}

ItemData::~ItemData() = default;

int ItemData::reload() {
  for (auto& r : records_) r.reset();
  highest_price_ = 0;
  records_[0] = std::make_unique<ItemRecord>(0, ITEM_NOTHING, "NOTHING");
  return load();
}

const ItemRecord* ItemData::get_record(const Item& i) const { return rec(i); }

const ItemRecord* ItemData::get_record(int base) const {
  if (base < 0 || base >= ITEM_NUM_CODES) return nullptr;
  return records_[static_cast<size_t>(base)].get();
}

const std::string& ItemData::material_name(int list, int m) const {
  static const std::string none;
  if (list < 0 || list >= MATNAME_LISTS || m < 0 || m >= ITEM_NUM_MATERIALS) return none;
  return mat_names_[list][static_cast<size_t>(m)];
}

int ItemData::material_colour(int m) const {
  if (m < 0 || m >= ITEM_NUM_MATERIALS) return 0;
  return mat_colours_[static_cast<size_t>(m)];
}

bool ItemData::is_special_286(const Item& i) const {
  return i.get_base_code() == ITEM_BASE_SCROLL && item_links::spell_targets(i.get_modifier());
}

char ItemData::get_type(const Item& i) const {
  if (is_special_286(i)) return ITEM_USEDIR;
  const ItemRecord* r = rec(i);
  return r ? r->type : 0;
}

bool ItemData::is_jewelry(const Item& i) const {
  char t = get_type(i);
  return t == ITEM_AMULET || t == ITEM_RING;
}

bool ItemData::is_armour(const Item& i) const { return is_armour_letter(get_type(i)); }

bool ItemData::is_wearable(const Item& i) const {
  const ItemRecord* r = rec(i);
  return r && is_wearable_letter(r->type);
}

bool ItemData::is_artifact(const Item& i) const { return i.is_artifact(); }

bool ItemData::is_lesser_artifact(const Item& i) const {
  int b = i.get_base_code();
  return b >= ITEM_LESSER_ARTIFACT_FIRST && b <= ITEM_ARTIFACT_LAST;
}

char ItemData::get_merch(const Item& i) const {
  const ItemRecord* r = rec(i);
  return r ? r->merch : 0;
}

bool ItemData::is_named(const Item& i) const {
  if (!i.text.empty()) return true;
  return is_named(rec(i));
}

bool ItemData::is_legit(const Item& i) const {
  // A recipe's product may be a recipe again; the chain empties itself
  // within a few steps, the bound only guards against surprises.
  Item cur(i);
  for (int depth = 0; depth < 8; ++depth) {
    if (!rec(cur)) return false;
    if (cur.get_base_code() != ITEM_BASE_RECIPE) return true;
    cur = get_recipe_product(cur);
  }
  return false;
}

char ItemData::get_usability(const Item& i) const {
  const ItemRecord* r = rec(i);
  return r ? r->usability : 'n';
}

bool ItemData::check_class(const Item& i, int c) const {
  if (c < 0 || c >= item_links::class_count()) return true;
  const ItemRecord* r = rec(i);
  return r ? r->allows_class(c) : true;
}

int ItemData::get_worn_tile(const Item& i) const {
  if (is_empty_item(i)) return -1;
  const ItemRecord* r = rec(i);
  return r ? r->worn_tile : -1;
}

int ItemData::get_light(const Item& i) const {
  const ItemRecord* r = rec(i);
  return r ? r->light : -1;
}

float ItemData::get_weight(const Item& i) const {
  const ItemRecord* r = rec(i);
  if (!r) return 0;
  return i.get_material() == MAT_COPPER ? r->weight * 0.8f : r->weight;
}

int ItemData::get_weapon_type(const Item& i) const {
  if (is_empty_item(i)) return W_UNARMED;
  const ItemRecord* r = rec(i);
  return r ? r->weapon_type : W_NOTAWEAPON;
}

int ItemData::get_weapon_damage_type(const Item& i) const {
  if (is_empty_item(i)) return WD_BLUDGEONING;
  const ItemRecord* r = rec(i);
  return r ? r->damage_type : WD_BLUDGEONING;
}

std::string ItemData::get_wep_dmg_str(const Item& i) const {
  if (is_empty_item(i) || !rec(i)) return "bludgeoning";
  switch (rec(i)->damage_type) {
    case WD_PIERCING: return "piercing";
    case WD_SLASHING: return "slashing";
    case WD_BLUDGEONING: return "bludgeoning";
    case WD_MAGE: return "mage";
    default: return "N/A";
  }
}

bool ItemData::is_ranged(const Item& i) const {
  if (is_empty_item(i)) return false;
  const ItemRecord* r = rec(i);
  if (!r) return false;
  int w = r->weapon_type;
  return w == W_GUNS || w == W_BOWS || w == W_ENERGY || w == W_THROWN;
}

int ItemData::get_no_dice(const Item& i) const {
  if (is_empty_item(i) || get_type(i) != ITEM_WEAPON) return 1;
  return rec(i)->dice;
}

int ItemData::get_no_sides(const Item& i) const {
  if (is_empty_item(i) || get_type(i) != ITEM_WEAPON) return 2;
  return rec(i)->sides;
}

int ItemData::get_no_hands(const Item& i) const {
  if (get_type(i) == ITEM_SHIELD) return 1;
  const ItemRecord* r = rec(i);
  return r ? r->hands : 1;
}

float ItemData::get_speed(const Item& i) const {
  if (is_empty_item(i)) return 1.5f;
  const ItemRecord* r = rec(i);
  return r ? r->speed : 2.5f;
}

int ItemData::get_grade(const Item& i) const {
  const ItemRecord* r = rec(i);
  return r ? r->grade : A_NA;
}

std::string ItemData::get_grade_name(const Item& i) const {
  switch (get_grade(i)) {
    case A_MEDIUM: return "medium";
    case A_HEAVY: return "heavy";
    case A_LIGHT: return "light";
    case A_UNARMOURED: return "unarmoured";
    default: return "N/A";
  }
}

bool ItemData::is_unarmoured(const Item& i) const {
  int g = get_grade(i);
  return g == A_NA || g == A_UNARMOURED;
}

char ItemData::get_material_letter(const Item& i) const {
  const ItemRecord* r = rec(i);
  return r ? r->material_letter : 0;
}

bool ItemData::is_food(const Item& i) const {
  if (is_special_286(i)) return false;
  return get_type(i) == ITEM_FOOD || i.get_base_code() == ITEM_BASE_GRUB;
}

bool ItemData::is_metal_food(const Item& i) const {
  int m = i.get_material();
  if (m != 0 && m != 3 && m != 6 && m != 7 && m != 8 && m != 14 && m != 16) return false;
  char t = get_type(i);
  if (t == ITEM_WEAPON || t == ITEM_SHIELD) return false;
  if (t == ITEM_RING) return true;
  int b = i.get_base_code();
  if (b == 275 || b == 280) return true;
  const ItemRecord* r = rec(i);
  if (!r) return false;
  if (r->grade == A_NA) return false;
  if (r->grade == A_HEAVY || r->grade == A_LIGHT) return true;
  return m != 0;
}

char ItemData::get_diet_type(const Item& i) const {
  if (i.get_base_code() == ITEM_BASE_GRUB) return 'c';
  const ItemRecord* r = rec(i);
  return r ? r->diet : 'n';
}

int ItemData::get_nutrition(const Item& i) const {
  const ItemRecord* r = rec(i);
  return r ? r->nutrition : 0;
}

bool ItemData::is_walkable(const Item& i) const {
  int b = i.get_base_code();
  return b == 344 || b == 1353;
}

Item ItemData::get_ammo_type(const Item& i) const {
  const ItemRecord* r = rec(i);
  return r ? Item(static_cast<long>(r->ammo_code)) : Item(0L);
}

Item ItemData::get_parent_code(const Item& i) const {
  const ItemRecord* r = rec(i);
  if (r && r->parent_code != 0) return Item(static_cast<long>(r->parent_code));
  return i;
}

int ItemData::get_weapon_skill(const Item& i) const {
  if (is_empty_item(i) || get_type(i) == ITEM_GLOVES) return common_cfg.get_int("skill_SK_UNARMED");
  const ItemRecord* r = rec(i);
  if (!r || r->weapon_type == W_NOTAWEAPON) return -1;
  if (i.is_blessed() && r->weapon_skill == 2) return 36;
  return r->weapon_skill;
}

std::string ItemData::get_wep_skill_name(const Item& i) const {
  int s = get_weapon_skill(i);
  if (s < 0 || s >= item_links::skill_count()) return "N/A";
  return item_links::skill_name(s);
}

float ItemData::get_weapon_si(const Item& i) const {
  int s = get_weapon_skill(i);
  if (s == -1) return 0.7f;
  return common_cfg.get_float("si_" + item_links::skill_name(s));
}

bool ItemData::get_effect(const Item& i, int kind, int* out) const {
  // Effect values come from data files: sum wide and saturate.
  long long value = 0;
  bool found = false;
  auto give = [&](bool result) {
    if (out) *out = bounded_int<int>(value);
    return result;
  };
  const ItemRecord* r = rec(i);
  int base = i.get_base_code();
  if (base >= ITEM_ARTIFACT_FIRST && r) {
    size_t n = std::min(r->effect_kinds.size(), r->effect_values.size());
    for (size_t e = 0; e < n; ++e) {
      if (r->effect_kinds[e] != kind) continue;
      found = true;
      if (kind == MP_ENCHANTED || kind == MP_HEALTH_STATUS || kind == MP_INFLICT_STATUS)
        value = r->effect_values[e];
      else
        value += r->effect_values[e];
    }
  }
  int k = i.get_to_mod();
  int v = i.get_modifier();
  if (k == kind) {
    found = true;
    value += v;
    if (kind == MP_ENCHANTED) {
      value = get_enchant_value(v);
      return give(true);
    }
  }
  if (k == MP_ENCHANTED || k == MP_LEECHING) {
    if (kind == MP_WEAPON_BONUS) {
      char t = get_type(i);
      if (t == ITEM_WEAPON || t == ITEM_GLOVES) {
        value += (k == MP_ENCHANTED) ? 5 : 3 + v;
        found = true;
      }
    } else {
      return give(found);
    }
  }
  if (kind == MP_WEAPON_BONUS && value > 10) value = 10;
  return give(found);
}

bool ItemData::has_effect(const Item& i, int kind, int value) const {
  FunctionTrace trace("itemdata::has_effect");
  const ItemRecord* r = rec(i);
  if (i.get_base_code() >= ITEM_ARTIFACT_FIRST && r) {
    size_t n = std::min(r->effect_kinds.size(), r->effect_values.size());
    for (size_t e = 0; e < n; ++e) {
      if (r->effect_kinds[e] == kind && r->effect_values[e] == value) {
        trace.printf("artifact %s has effect %d %d", i.str(false).c_str(), kind, value);
        return true;
      }
    }
  }
  int v = 0;
  if (get_effect(i, kind, &v) && v == value) {
    trace.printf("get effect match %s %d %d", i.str(false).c_str(), kind, value);
    return true;
  }
  return false;
}

bool ItemData::is_enchanted(const Item& i) const {
  if (is_creature_part(i.get_base_code()) || i.get_base_code() == ITEM_BASE_RECIPE) return false;
  if (get_usability(i) == 'r' && rec(i)) return false;
  for (int k = 1; k <= 14; ++k)
    if (get_effect(i, k)) return true;
  return false;
}

int ItemData::get_enchant_value(int n) const {
  uint64_t v = common_cfg.get_hex("enchant_" + std::to_string(n));
  if ((v & 0xFFFFFFFFu) != 0) return static_cast<int>(static_cast<uint32_t>(v));
  return n;
}

int ItemData::get_enchant_spell(const Item& i) const {
  int base = i.get_base_code();
  int v = 0;
  if (base < ITEM_ARTIFACT_FIRST || (base & 0x800)) {
    if (get_effect(i, MP_ENCHANTED, &v) && item_links::spell_valid(v)) return v;
    return -1;
  }
  std::vector<int> choices;
  const ItemRecord* r = rec(i);
  if (r) {
    size_t n = std::min(r->effect_kinds.size(), r->effect_values.size());
    for (size_t e = 0; e < n; ++e)
      if (r->effect_kinds[e] == MP_ENCHANTED) choices.push_back(r->effect_values[e]);
  }
  if (get_effect(i, MP_ENCHANTED, &v)) choices.push_back(v);
  if (choices.empty()) return -1;
  int pick = choices[static_cast<size_t>(rand_int(static_cast<int>(choices.size())))];
  return item_links::spell_valid(pick) ? pick : -1;
}

float ItemData::get_ac(const Item& i) const {
  if (is_empty_item(i)) return 0;
  const ItemRecord* r = rec(i);
  if (!r) return 0;
  int bonus = 0;
  get_effect(i, MP_ARMOUR_BONUS, &bonus);
  float f = 1.0f;
  switch (i.get_material()) {
    case MAT_BLACKROCK: case MAT_MITHRIL: f = 1.25f; break;
    case MAT_COPPER: f = r->material_letter == 'l' ? 1.2f : 1.1f; break;
    case MAT_GOLD: f = 1.1f; break;
    case MAT_STEEL: f = r->material_letter == 'l' ? 1.3f : 1.15f; break;
    case MAT_ADAMANTIUM: f = 1.5f; break;
    default: break;
  }
  float ac = (static_cast<float>(bonus) + r->ac) * f;
  if (i.is_cursed()) ac = -ac;
  if (i.get_prefix_class() != 0 && get_type(i) != ITEM_WEAPON) ac += 2.0f;
  return ac;
}

int ItemData::get_magic_resistance(const Item& i, bool mithril_counts) const {
  if (is_empty_item(i)) return 0;
  const ItemRecord* r = rec(i);
  if (!r) return 0;
  int v = 0;
  get_effect(i, MP_MAGIC_RESISTANCE, &v);
  long long mr = 20LL * v;
  char t = get_type(i);
  switch (r->grade) {
    case A_HEAVY:
      if (t == ITEM_HAT || t == ITEM_TORSO) mr += 30;
      else if (t == ITEM_TROUSERS) mr += 20;
      else if (t == ITEM_GLOVES || t == ITEM_BOOTS) mr += 10;
      break;
    case A_MEDIUM:
      if (t == ITEM_HAT || t == ITEM_TORSO) mr += 20;
      else if (t == ITEM_TROUSERS) mr += 10;
      break;
    case A_LIGHT:
      if (t == ITEM_HAT || t == ITEM_TORSO) mr += 10;
      break;
    default:
      break;
  }
  int p = i.get_prefix_class();
  if (p >= 1 && p <= 4 && t != ITEM_WEAPON) mr += 20;
  int m = i.get_material();
  if (m == MAT_CRYSTAL || (m == MAT_MITHRIL && mithril_counts)) {
    int a = 0;
    get_effect(i, MP_ARMOUR_BONUS, &a);
    mr += (a * 5LL + 5) * 2;
  }
  return bounded_int<int>(mr);
}

float ItemData::get_material_dmg_mult(const Item& i, bool silver_counts) const {
  int m = i.get_material();
  float f = 1.0f;
  if (m == MAT_SILVER && silver_counts) {
    f = 1.5f;
  } else {
    switch (m) {
      case MAT_BLACKROCK: f = 1.2f; break;
      case MAT_ADAMANTIUM: case MAT_MITHRIL: f = 1.25f; break;
      case MAT_ADDLED: f = 1.15f; break;
      case MAT_COPPER: f = 1.1f; break;
      default: break;
    }
  }
  int p = i.get_prefix_class();
  if (p == 1 || p == 5 || p == 9) f *= 1.1f;
  else if (p != 0) f *= 1.2f;
  return f;
}

float ItemData::get_avg_damage(const Item& i) const {
  const ItemRecord* r = rec(i);
  if (!r || is_special_286(i) || r->type != ITEM_WEAPON) return 0;
  int bonus = 0;
  get_effect(i, MP_WEAPON_BONUS, &bonus);
  return r->avg_damage * get_material_dmg_mult(i, false) + static_cast<float>(bonus);
}

int ItemData::get_min_id_skill(const Item& i) const {
  if (i.is_artifact()) return 90;
  int k = i.get_to_mod();
  double v = i.get_modifier();
  double s = 0;
  switch (k) {
    case 1: case 7: s = v * 100 * 0.125 - 3; break;
    case 2: case 3: case 4: s = v * 100 * 0.03125; break;
    case 5: s = v * 100 / 15; break;
    case 6: case 10: s = v * 100 / 5; break;
    case 8: case 9: s = v * 20 + 25; break;
    default: s = 0; break;
  }
  int r = bounded_int<int>(s);
  return r > 100 ? 100 : r;
}

int ItemData::req_level_skill(int kind, int value) const {
  double base;
  // The powers are taken of non-negative values only: an effect value from
  // a data file may be negative, and a fractional power of it is undefined.
  double pv = value < 0 ? 0.0 : static_cast<double>(value);
  switch (kind) {
    case 1: base = (static_cast<double>(value) - 1) * 14 + 5; break;
    case 2: case 3: case 4: case 5: base = bounded_int<int>(std::pow(pv, 0.8) * 11) - 42.0; break;
    case 6: case 10: base = bounded_int<int>(std::pow(static_cast<double>(value), 3)); break;
    case 7: base = static_cast<double>(value) * 17 - 12; break;
    case 8: {
      // The circle comes from a data file: any int, so not in int arithmetic.
      double circle = item_links::spell_circle(value);
      double a = std::trunc(circle * 30 / 7) + 46;
      double b = req_level_skill(1, 5);
      base = a > b ? a : b;
      break;
    }
    case 9: base = static_cast<double>(value) * 15 + 33; break;
    default: base = 1.0; break;
  }
  if (base < 1) base = 1;
  return bounded_int<int>(static_cast<double>(common_cfg.get_float("level_req_multiplier")) * base);
}

int ItemData::get_level_req(const Item& i) const {
  int b = i.get_base_code();
  switch (b) {
    case ITEM_BASE_WRAPPED: case ITEM_BASE_UNTRADED: case ITEM_BASE_COOKED_PART: case ITEM_BASE_DYED:
    case ITEM_BASE_TROPHY:
      return 0;
    case ITEM_BASE_SPELL_BOOK: {
      int id = i.get_modifier();
      return item_links::spell_valid(id) ? item_links::spell_level(id) : 0;
    }
    default:
      break;
  }
  const ItemRecord* r = rec(i);
  if (!r) return 0;
  if (r->level_req > 0) return r->level_req;
  bool artifact = i.is_artifact();
  if (artifact && r->effect_kinds.empty()) return 1;
  int best = 1;
  char t = get_type(i);
  auto consider = [&](int k, int v) {
    int need = 0;
    if ((k >= 1 && k <= 7) || k == 9 || k == 10) need = req_level_skill(k, v);
    else if (k == 8 && (t == ITEM_WEAPON || t == ITEM_GLOVES)) need = req_level_skill(8, get_enchant_value(v));
    if (need > best) best = need;
  };
  if (artifact) {
    size_t n = std::min(r->effect_kinds.size(), r->effect_values.size());
    for (size_t e = 0; e < n; ++e) consider(r->effect_kinds[e], r->effect_values[e]);
  } else {
    consider(i.get_to_mod(), i.get_modifier());
  }
  return best;
}

ItemData wl;
