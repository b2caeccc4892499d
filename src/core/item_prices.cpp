// What merchants ask and pay, the random item picks, recipe items and the
// card records.

#include <algorithm>
#include <cmath>
#include <climits>

#include "core/item_data.h"
#include "core/string_utils.h"
#include "core/utils.h"

namespace {

constexpr int PICK_ATTEMPTS = 1000;

const float MATERIAL_PRICE_FACTORS[20] = {1.2f, 1.2f, 1.1f, 1.0f, 1.0f, 1.1f, 1.2f,
                                          1.2f, 1.5f, 1.2f, 1.8f, 1.4f, 1.5f, 1.8f,
                                          1.0f, 1.0f, 1.4f, 1.4f, 1.0f, 1.4f};

// A price is never below 0.
int price_to_int(double v) { return std::max(bounded_int<int>(v), 0); }

// The price of a spell-carrying item of circle c. A circle below 0 (a
// missing spell) counts as 0: a fractional power of it is undefined.
int circle_price(int c) {
  if (c < 0) c = 0;
  return price_to_int(std::trunc(std::pow(static_cast<double>(c), 1.8) * 25) + 100);
}

// A price of the ordinary rule as an int: it is -1 (no such item) or lies in
// 0..INT_MAX, where INT_MAX is not exactly a float and rounds up past it.
int rule_price_to_int(float p) {
  if (p < 0) return -1;
  return price_to_int(static_cast<double>(p));
}

}  // namespace

float material_price_factor(int m) {
  if (m < 1 || m > 20) return 0.0f;
  return MATERIAL_PRICE_FACTORS[m - 1];
}

// The ordinary price rule. Artifacts are priced through their parts with
// this rule, so an artifact that is its own part, or whose parent is another
// artifact, cannot lead back into artifact pricing.
float ItemData::price_without_artifact_rule(const Item& i) const {
  int b = i.get_base_code();
  if (carries_spell(b))
    return static_cast<float>(circle_price(item_links::spell_circle(i.get_modifier())));
  const ItemRecord* r = rec(i);
  if (!r) return -1;
  double p = r->price;
  if (p == 0) return 0;
  if (i.is_unidentified()) return static_cast<float>(price_to_int(p));
  int k = i.get_to_mod();
  int v = i.get_modifier();
  bool group_b = false;
  switch (k) {
    case 1: case 7: p += p * 0.6 * std::pow(static_cast<double>(v), 1.2); break;
    case 9: p += p * 0.8 * std::pow(static_cast<double>(v + 3), 1.2); break;
    case 10: p += std::pow(static_cast<double>(v), 1.3) * 666; group_b = true; break;
    case 2: case 3: case 4: p += v * 90.0; group_b = true; break;
    case 6: p += std::pow(static_cast<double>(v), 1.7) * 400; group_b = true; break;
    case 5: p += v * 177.0; group_b = true; break;
    default: break;
  }
  int m = i.get_material();
  bool has_factor = m >= 1 && m <= 20;
  if (group_b) {
    if (has_factor && material_price_factor(m) > 1.0f) p *= material_price_factor(m);
  } else {
    int c = -1;
    if (k == MP_ENCHANTED) c = item_links::spell_circle(get_enchant_value(v));
    double f = 0;
    bool apply = false;
    if (has_factor) {
      f = material_price_factor(m);
      if (k == MP_ENCHANTED && c >= 0) f = f * c * 15;
      apply = true;
    } else if (k == MP_ENCHANTED && c >= 0) {
      f = c * 15.0;
      apply = true;
    }
    if (apply && f > 1.0) p *= f;
  }
  return static_cast<float>(price_to_int(p));
}

// How far the parents of an artifact are followed: a chain of artifacts
// that leads back to itself has no price.
static constexpr int ARTIFACT_PARENT_DEPTH = 8;

int ItemData::price_at_depth(const Item& i, int depth) const {
  const ItemRecord* r = rec(i);
  int b = i.get_base_code();
  if (carries_spell(b) || !r || !i.is_artifact())
    return rule_price_to_int(price_without_artifact_rule(i));
  if (i.is_unidentified()) return price_to_int(r->price);
  if (depth >= ARTIFACT_PARENT_DEPTH) return 0;
  int part_base = (r->parent_code != 0 ? r->parent_code : b) & ITEM_BASE_MASK;
  int material = i.get_material();
  size_t n = std::min(r->effect_kinds.size(), r->effect_values.size());
  if (n == 0) return 0;
  // A part on another artifact is priced as that artifact, whatever the
  // entry's kind and value: once for all entries.
  Item parent_part = make_code(part_base, material, 0, 0);
  bool artifact_parent = part_base != b && parent_part.is_artifact();
  double parent_price = artifact_parent ? price_at_depth(parent_part, depth + 1) : 0;
  double sum = 0;
  for (size_t e = 0; e < n; ++e) {
    double p = parent_price;
    if (!artifact_parent) {
      Item part = make_code(part_base, material, r->effect_kinds[e] & 15, r->effect_values[e] & 255);
      p = price_without_artifact_rule(part);
    }
    if (p > 0) sum += p;
  }
  return price_to_int(sum);
}

int ItemData::get_price(const Item& i) const { return price_at_depth(i, 0); }

int ItemData::get_sell_price(const Item& i) const {
  int p = get_price(i);
  if (p == -1 || p == 0) return p;
  int s = i.is_cursed() ? p / 20 : p / 10;
  return s < 0 ? 0 : s;
}

Item ItemData::random_artifact_of_rarity(int rarity) const {
  for (int n = 0; n < PICK_ATTEMPTS; ++n) {
    int code = ITEM_ARTIFACT_FIRST + rand_int(512);
    const ItemRecord* r = get_record(code);
    if (r && r->rarity == rarity) return Item(static_cast<long>(code));
  }
  return Item();
}

Item ItemData::random_artifact() const {
  for (int n = 0; n < PICK_ATTEMPTS; ++n) {
    int code = ITEM_ARTIFACT_FIRST + rand_int(512);
    const ItemRecord* r = get_record(code);
    if (r && r->rarity > rand_int(10)) return Item(static_cast<long>(code));
  }
  return Item();
}

Item ItemData::random_equipment() const {
  for (int n = 0; n < PICK_ATTEMPTS; ++n) {
    Item c(static_cast<long>(rand_int(511)));
    if (get_price(c) <= 0) continue;
    char t = get_type(c);
    if (t == ITEM_AMULET || t == ITEM_RING) continue;
    if (t == ITEM_WEAPON || is_wearable(c)) return c;
  }
  return Item(-1L);
}

Item ItemData::random_jewelry() const {
  for (int n = 0; n < PICK_ATTEMPTS; ++n) {
    Item c(static_cast<long>(rand_int(511)));
    if (get_price(c) <= 0) continue;
    char t = get_type(c);
    if (t == ITEM_AMULET || t == ITEM_RING) return c;
  }
  return Item(-1L);
}

Item ItemData::random_merchant_item(char letter) const {
  for (int n = 0; n < PICK_ATTEMPTS; ++n) {
    Item c(static_cast<long>(rand_int(1536)));
    if (get_price(c) <= 0) continue;
    const ItemRecord* r = rec(c);
    if (r && r->merch == letter) return c;
  }
  return Item();
}

Item ItemData::make_recipe(const Item& product) const {
  Item r(static_cast<long>(((product.extra & 0xFFF) << 12) | ITEM_BASE_RECIPE));
  r.extra = static_cast<uint64_t>(product.code & 0x7FFFFFF);
  return r;
}

Item ItemData::get_recipe_product(const Item& recipe) const {
  Item p(static_cast<long>(recipe.extra));
  p.extra = static_cast<uint64_t>((recipe.code >> 12) & 0xFFF);
  return p;
}

const Card* ItemData::get_card(const std::string& name) const {
  auto it = cards.find(name);
  return it == cards.end() ? nullptr : &it->second;
}

std::string Card::get_type_str() const {
  std::string s;
  switch (type) {
    case 'c': s = "Creature"; break;
    case 's': s = "Sorcery"; break;
    case 'a': s = "Artifact"; break;
    default: s = "Unknown"; break;
  }
  if (!subtype.empty()) s += ": " + subtype;
  return s;
}

std::string Card::get_pt_str() const {
  if (type != 'c') return "";
  return format_str("%d/%d", power, toughness);
}

std::string Card::get_cost_str() const { return format_str("%d", cost); }
