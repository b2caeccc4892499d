// Everything the player reads about an item: plain, short, full and medium
// names, material and property words, articles and descriptions. Every
// builder composes into its own string, so builders may call each other.

#include <cstring>

#include "core/crops.h"
#include "core/item_bases.h"
#include "core/item_data.h"
#include "core/string_utils.h"

namespace {

const char* const SHORT_MAG_PROP[16] = {"", "atk", "int", "str", "dex", "vig", "NV", "def",
                                        "", "lch", "MR", "", "", "", "", ""};
const char* const MAG_PROP[16] = {"ordinary", "of attack ", "of intelligence ", "of strength ",
                                  "of dexterity ", "of vigour ", "of nightvision ", "of defense ",
                                  "", "of leeching ", "of magic resistance ", "", "", "", "", ""};
const char* const MAG_PROP_TEXT[16] = {"ordinary ", "AS/Damage ", "intelligence ", "strength ",
                                       "dexterity ", "vigour ", "nightvision ", "defense ",
                                       "", "leech mana ", "magic resistance ", "", "", "", "", ""};
// Words of to-mod 15 by modifier 1-14.
const char* const QUALITY_WORDS[15] = {"", "improved ", "refined ", "greater ", "superior ",
                                       "magic ", "enchanted ", "", "", "", "polished ",
                                       "shimmering ", "brilliant ", "magnificent ", "flawless "};
const char* const STATUS_NAMES[MAXHEALTHNUMS] = {
    "poison", "sleep", "blindness", "charm", "paralysis", "confusion", "invisibility",
    "polymorph", "meditation", "disease", "floatation", "hexation", "hallucination", "hiding",
    "criminal", "peering", "bad breath", "asphyxiation", "slowing", "lycanthropy", "werewolf",
    "cleavage", "xray vision", "speed", "res sickness", "rage", "jailed", "gagged", "in stocks",
    "sickness", "truesight", "protection", "disarmament", "wounding", "quivering", "turning",
    "bandaging", "drunkenness", "just been ressed", "regeneration", "health", "mana", "power",
    "piloting", "passage", "mountedness", "flying", "trading", "fishing", "MR cleavage",
    "trap detection", "disappearance", "stoneform", "hamstringing", "infravision", "tipsyness",
    "sun protection", "transparency", "death warding", "greening", "browning",
    "mountainwalking", "super saiyan"};

bool is_armour_letter(int t) { return t != 0 && std::strchr("sahbgte", t) != nullptr; }

std::string quality_word(int v) {
  if (v < 1 || v > 14) return "";
  return QUALITY_WORDS[v];
}

// The parent type of a named record, as an identified item: the name of an
// identified item never leads to another parent, so records that name each
// other cannot send the builders round in circles.
Item parent_item(const ItemRecord& r) {
  Item p(static_cast<long>(r.parent_code));
  p.identify();
  return p;
}

std::string shown_text(const std::string& t) { return trim2(rm_us2(t), false); }

// "name (detail)", joined without a format string built from data.
std::string paren(const std::string& a, const std::string& b) { return a + " (" + b + ")"; }

}  // namespace

std::string status_name(int n) {
  if (n < 0 || n >= MAXHEALTHNUMS) return "";
  return STATUS_NAMES[n];
}

std::string ItemData::get_prefix_name(int p) const {
  if (p < 16 || p > 192) return "";
  return prefix_names_[static_cast<size_t>(p / 16)];
}

std::string ItemData::get_short_prefix_name(int p) const {
  if (p < 16 || p > 192) return "";
  return short_prefix_names_[static_cast<size_t>(p / 16)];
}

std::string ItemData::get_name(const Item& i) const {
  const ItemRecord* r = rec(i);
  if (!r) return "unknown item";
  if (r->named && i.is_unidentified()) return get_name(parent_item(*r));
  if (!i.text.empty()) return shown_text(i.text);
  return r->name;
}

std::string ItemData::get_short_name(const Item& i) const {
  const ItemRecord* r = rec(i);
  if (!r) return "unknown";
  if (r->named && i.is_unidentified()) return get_short_name(parent_item(*r));
  if (!i.text.empty()) return shown_text(i.text);
  if (!r->short_name.empty() && r->short_name != "x") return r->short_name;
  return r->name;
}

std::string ItemData::get_material_name(const Item& i) const {
  std::string prefix;
  int p = i.get_prefix_class();
  if (p >= 1 && p <= 12) prefix = prefix_names_[static_cast<size_t>(p)];
  std::string word;
  int m = i.get_material();
  if (m >= 1 && m <= 255) {
    Item c = i.is_artifact() ? get_parent_code(i) : i;
    char t = get_type(c);
    const ItemRecord* r = rec(c);
    char letter = r ? r->material_letter : 0;
    const std::string& weapon = mat_names_[MATNAME_WEAPON][static_cast<size_t>(m)];
    const std::string& armour = mat_names_[MATNAME_ARMOUR][static_cast<size_t>(m)];
    const std::string& wood = mat_names_[MATNAME_WOOD][static_cast<size_t>(m)];
    const std::string& cloth = mat_names_[MATNAME_CLOTH][static_cast<size_t>(m)];
    const std::string& leather = mat_names_[MATNAME_LEATHER][static_cast<size_t>(m)];
    const std::string& food = mat_names_[MATNAME_FOOD][static_cast<size_t>(m)];
    if ((t == ITEM_WEAPON || letter == 't') && !weapon.empty()) word = weapon;
    else if (is_armour_letter(t) && !armour.empty()) word = armour;
    else if (letter == 'w' && !wood.empty()) word = wood;
    else if (letter == 'c' && !cloth.empty()) word = cloth;
    else if (letter == 'l' && !leather.empty()) word = leather;
    else if ((t == ITEM_FOOD || c.get_base_code() == ITEM_BASE_GRUB) && !food.empty()) word = food;
    else word = mat_names_[MATNAME_GENERAL][static_cast<size_t>(m)];
  }
  if (!prefix.empty() && !word.empty()) return prefix + " " + word;
  return prefix + word;
}

std::string ItemData::get_short_material_name(const Item& i) const {
  std::string s = get_material_name(i);
  if (s.size() <= 4) return s;
  int p = i.get_prefix_class();
  if (p != 0) {
    Item plain(i);
    plain.clear_prefix();
    std::string short_prefix = p <= 12 ? short_prefix_names_[static_cast<size_t>(p)] : "";
    return short_prefix + " " + get_short_material_name(plain);
  }
  return s.substr(0, 4);
}

std::string ItemData::get_short_mag_prop(const Item& i) const {
  int k = i.get_to_mod();
  char t = get_type(i);
  if (k == MP_ARMOUR_BONUS && is_armour_letter(t)) return "";
  if (k == MP_WEAPON_BONUS && t == ITEM_WEAPON) return "";
  if (k >= 2 && k <= 4) return item_links::stat_name(mp_stat_number(k)).substr(0, 3);
  return SHORT_MAG_PROP[k];
}

std::string ItemData::get_mag_prop(const Item& i) const {
  int k = i.get_to_mod();
  char t = get_type(i);
  if (k == MP_ARMOUR_BONUS && is_armour_letter(t)) return "";
  if (k == MP_WEAPON_BONUS && t == ITEM_WEAPON) return "";
  if (k >= 2 && k <= 4) return "of " + item_links::stat_name(mp_stat_number(k)) + " ";
  return MAG_PROP[k];
}

std::string ItemData::get_mag_prop_text(int kind, int value, char type) const {
  int k = kind % 16;
  if (k == MP_ENCHANTED) return "Ench: " + item_links::spell_full_name(value);
  if (k == MP_HEALTH_STATUS || k == MP_INFLICT_STATUS) {
    std::string s = k == MP_INFLICT_STATUS ? "+>" : "+";
    return s + status_name(value);
  }
  long mag = value < 0 ? -static_cast<long>(value) : value;
  if (k == MP_WEAPON_BONUS && type == ITEM_SHIELD)
    return format_str("AS %c%ld", value < 0 ? '-' : '+', mag);
  std::string w;
  if (k >= 2 && k <= 4) w = item_links::stat_name(mp_stat_number(k)) + " ";
  else if (k >= 0) w = MAG_PROP_TEXT[k];  // a negative kind has no word
  if (value == 0) return w;
  return w + format_str("%c%ld", value < 1 ? '-' : '+', mag);
}

std::string ItemData::make_tile_name(const Item& i) const {
  int n = i.get_tile_num();
  std::string s;
  if (item_links::tile_valid(n)) {
    s = item_links::tile_desc(n);
    std::string details = item_links::tile_desc_details(n);
    if (!details.empty()) s += ": " + details;
  } else {
    s = "unknown tile";
  }
  if (s.compare(0, 2, "a ") == 0) s.erase(0, 2);
  else if (s.compare(0, 3, "an ") == 0) s.erase(0, 3);
  return s;
}

std::string ItemData::get_scroll_name(const Item& i) const {
  const ItemRecord* r = rec(i);
  if (!r) return "";
  return paren(r->name, item_links::spell_full_name(i.get_modifier()));
}

std::string ItemData::get_scroll_name_upper(const Item& i) const {
  const ItemRecord* r = rec(i);
  if (!r) return "";
  return paren(r->name, to_upper(item_links::spell_name(i.get_modifier())));
}

std::string ItemData::get_mob_name(const Item& i) const {
  int key = static_cast<int>((i.code >> 12) & 0xfff);
  auto it = mob_names.find(key);
  if (it != mob_names.end()) {
    std::string name = it->second;
    auto second = mob_names.find(static_cast<int>(i.extra & 0xFFF));
    if ((i.extra & (1u << 14)) && second != mob_names.end()) {
      name = second->second + " " + name;
    } else if (i.extra & (1u << 15)) {
      name += "+head";
    }
    return name;
  }
  Item other(static_cast<long>(key));
  if (is_legit(other)) return get_short_name(other);
  return "???";
}

// The name of a creature part with its creature; `med` picks the
// short name of the part for the medium name.
std::string ItemData::creature_part_name(const Item& i, bool med) const {
  std::string part = get_mob_name(i);
  if (i.get_base_code() == ITEM_BASE_COOKED_PART) {
    int v = i.get_modifier();
    if (v & 16) return "charred " + part;
    if (v & 32) return "roasted " + part;
  }
  return paren(med ? get_short_name(i) : get_name(i), part);
}

std::string ItemData::socket_text(const Item& i) const {
  if ((i.socketed & 0xFFFFFFFFu) == 0) return "";
  Item s(static_cast<long>(i.socketed));
  return " (socketed with " + get_full_name(s, false) + ")";
}

std::string ItemData::get_full_name(const Item& i, bool capitalise) const {
  const ItemRecord* r = rec(i);
  if (!r) return "unknown item";
  if (!r->named && i.text.empty()) return full_name_ordinary(i, capitalise);
  return full_name_named(i, r, capitalise);
}

std::string ItemData::full_name_ordinary(const Item& i, bool capitalise) const {
  std::string s = get_name(i);
  int b = i.get_base_code();
  int k = i.get_to_mod();
  int v = i.get_modifier();
  switch (b) {
    case ITEM_BASE_TILE_TOKEN:
      s = paren(s, make_tile_name(i));
      break;
    case ITEM_BASE_WRAPPED:
      s = paren(s, get_mob_name(i));
      break;
    case CROPS_SEED_BASE: case CROPS_SEEDLING_BASE:
      s = paren(s, item_links::crop_name(v));
      break;
    case 1467: {
      static const int INNER[4] = {1460, 1458, 1459, 2080};
      if (v >= 1 && v <= 4) s = paren(s, get_short_name(Item(static_cast<long>(INNER[v - 1]))));
      break;
    }
    case ITEM_BASE_RECIPE:
      s = paren(s, get_recipe_item_name(i, false));
      break;
    case ITEM_BASE_MAP_TILE:
      return item_links::tile_desc(v);
    case ITEM_BASE_DYED:
      return get_short_name(i);
    case ITEM_BASE_SKILL_SHARD:
      return get_med_name(i, false);
    case 2059:
      return get_med_name(i, true);
    default:
      if (is_creature_part(b)) {
        s = creature_part_name(i, false);
        break;
      }
      if (i.is_unidentified()) break;
      {
        std::string mat = get_material_name(i);
        if (!mat.empty()) s = mat + " " + s;
      }
      if (b != 264 && b != 1354) {
        if (k == MP_MISC && v >= 1 && v <= 15) {
          s = quality_word(v) + s;
        } else if (k == MP_ORDINARY && has_scroll_name(b)) {
          s = get_scroll_name(i);
        } else if (k == MP_ENCHANTED) {
          s = "Enchanted " + s + " (" + item_links::spell_full_name(get_enchant_value(v)) + ")";
        } else if ((k == MP_HEALTH_STATUS || k == MP_INFLICT_STATUS) && v < MAXHEALTHNUMS) {
          s = s + " of " + status_name(v);
        } else if (k == MP_ORDINARY) {
          // An ordinary item carries no property words ("ordinary" is the
          // property text of tooltips only).
        } else if (v == 0) {
          s = s + " " + get_mag_prop(i);
        } else {
          s = s + " " + get_mag_prop(i) + "+ " + std::to_string(v);
        }
      }
      if (shows_cut(b)) s += format_str(" (cut=%x)", static_cast<unsigned>(v));
      else if (b == ITEM_BASE_LEVEL_TOKEN) s += format_str(" (level %d)", v);
      s += socket_text(i);
      break;
  }
  if (!i.has_bless_bit() && i.is_cursed()) s = "cursed " + s;
  if (i.is_unidentified()) s += " (unidentified)";
  else if (i.is_blessed()) s = "blessed " + s;
  if (capitalise) s = capitalise_first_letter(s);
  return trim2(s, false);
}

std::string ItemData::full_name_named(const Item& i, const ItemRecord* r, bool capitalise) const {
  std::string s = i.text.empty() ? r->name : shown_text(i.text);
  bool unid = i.is_unidentified();
  if (unid) {
    if (r->parent_code != 0) s = get_name(parent_item(*r));
    s += " (unidentified)";
  }
  if (!i.has_bless_bit() && i.is_cursed()) s = "cursed " + s;
  else if (i.is_blessed() && !unid) s = "blessed " + s;
  if (capitalise) s = capitalise_first_letter(s);
  if (!unid && !i.is_quest_item()) {
    std::string mat = get_material_name(i);
    if (!mat.empty()) s += " (" + mat + ")";
    if (r->material_letter == 'B' && i.get_modifier() > 0) s += " (" + std::to_string(i.get_modifier() + 2000) + ")";
    if (i.get_base_code() == ITEM_BASE_CARD) s += " (card)";
    s += socket_text(i);
  }
  return s;
}

std::string ItemData::get_article(const Item& i) const {
  const ItemRecord* r = rec(i);
  if (!r) return "an";
  if (!r->article.empty()) return r->article;
  std::string n = get_full_name(i, false);
  if (n.empty()) return "a";
  switch (n[0]) {
    case 'a': case 'e': case 'i': case 'o': case 'u':
    case 'A': case 'E': case 'I': case 'O': case 'U':
      return "an";
    default:
      return "a";
  }
}

std::string ItemData::get_description(const Item& i) const {
  if (i.get_base_code() == ITEM_BASE_RECIPE)
    return "Allows the bearer to craft the following item: " + get_recipe_item_name(i, false);
  const ItemRecord* r = rec(i);
  return r ? r->description : "";
}

std::string ItemData::get_recipe_item_name(const Item& recipe, bool medium) const {
  Item product = get_recipe_product(recipe);
  if (!is_legit(product)) return "???";
  return medium ? get_med_name(product, true) : get_full_name(product, false);
}

std::string ItemData::get_med_name(const Item& i, bool allow_short) const {
  if (i.is_unidentified()) return get_name(i);
  bool named = is_named(i);
  bool compact_ok = allow_short && !named;
  int b = i.get_base_code();
  int k = i.get_to_mod();
  int v = i.get_modifier();
  std::string lng, cmp;
  bool special = true;
  switch (b) {
    case ITEM_BASE_SPELL_BOOK:
      lng = cmp = "learn " + item_links::spell_full_name(v);
      break;
    case ITEM_BASE_TRAINING:
      lng = cmp = "train " + item_links::skill_name(v);
      break;
    case ITEM_BASE_UNTRAINING:
      lng = cmp = "untrain " + item_links::skill_name(v);
      break;
    case ITEM_BASE_RECIPE:
      if (compact_ok) lng = cmp = paren(get_short_name(i), get_recipe_item_name(i, true));
      else lng = cmp = get_name(i);
      break;
    case ITEM_BASE_WRAPPED: case 1467:
      lng = cmp = get_full_name(i, false);
      break;
    case ITEM_BASE_DYED:
      lng = cmp = get_short_name(i);
      break;
    case ITEM_BASE_TILE_TOKEN:
      lng = cmp = paren(get_short_name(i), make_tile_name(i));
      break;
    case CROPS_SEED_BASE: case CROPS_SEEDLING_BASE:
      lng = cmp = paren(get_short_name(i), item_links::crop_name(v));
      break;
    case ITEM_BASE_SKILL_SHARD: {
      int pct = static_cast<int>((i.code >> 12) & 0xff);
      if (pct == 0) lng = cmp = get_short_name(i) + " (EMPTY)";
      else lng = cmp = get_short_name(i) + " (" + item_links::skill_name(v) + " " + std::to_string(pct) + "%)";
      break;
    }
    default:
      if (has_scroll_name(b)) lng = cmp = get_scroll_name_upper(i);
      else if (is_creature_part(b)) lng = cmp = creature_part_name(i, true);
      else special = false;
      break;
  }
  if (!special) {
    std::string mat = get_material_name(i);
    if ((!named || i.is_artifact()) && !mat.empty()) {
      if (i.is_artifact()) {
        cmp = paren(get_short_name(i), get_short_material_name(i));
        lng = paren(get_name(i), mat);
      } else {
        cmp = (allow_short ? get_short_material_name(i) : mat) + " " + get_short_name(i);
        lng = mat + " " + get_name(i);
      }
    } else {
      cmp = get_short_name(i);
      lng = get_name(i);
    }
    if (b != 264 && b != 1354 && k == MP_MISC && v >= 1 && v <= 15) {
      cmp = quality_word(v) + cmp;
      lng = quality_word(v) + lng;
    }
    if (shows_cut(b)) {
      std::string cut = format_str(" (cut=%x)", static_cast<unsigned>(v));
      cmp += cut;
      lng += cut;
    } else if (b == ITEM_BASE_LEVEL_TOKEN) {
      std::string lvl = format_str(" (lvl %d)", v);
      cmp += lvl;
      lng += lvl;
    }
    if (compact_ok) {
      char t = get_type(i);
      if ((t == ITEM_WEAPON && k == MP_WEAPON_BONUS) || (is_armour_letter(t) && k == MP_ARMOUR_BONUS)) {
        std::string plus = format_str(" +%d", v);
        cmp += plus;
        lng += plus;
      } else if (k == MP_ORDINARY || k == MP_ENCHANTED || k == MP_MISC) {
        if (k == MP_ENCHANTED && !i.is_artifact()) {
          std::string sp = " (" + to_upper(item_links::spell_name(get_enchant_value(v))) + ")";
          cmp += sp;
          lng += sp;
        }
      } else if ((k == MP_HEALTH_STATUS || k == MP_INFLICT_STATUS) && v < MAXHEALTHNUMS) {
        std::string st = " of " + status_name(v);
        cmp += st;
        lng += st;
      } else {
        std::string sp = get_short_mag_prop(i);
        if (!sp.empty()) {
          cmp += " " + sp;
          lng += " " + get_mag_prop(i);
          if (v != 0 && k != MP_HEALTH_STATUS && k != MP_INFLICT_STATUS) {
            cmp += format_str(" +%d", v);
            lng += format_str("+%d", v);
          }
        }
      }
    }
  }
  if (lng.size() < 23) return lng;
  if (compact_ok && !cmp.empty()) return cmp;
  return lng;
}
