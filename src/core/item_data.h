#pragma once
// The item-type table: one record per base code (0-4095) with every rule
// question about an item that its code word does not answer, the material
// and name-prefix tables, the creature names of creature-part items and the
// cards of the card game. Filled from the item files under "dat/".

#include <array>
#include <bitset>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/item.h"

// Type letters.
enum {
  ITEM_INVALID = 0,
  ITEM_NOTHING = '0',
  ITEM_HAT = 'h',
  ITEM_TORSO = 'a',
  ITEM_SHIELD = 's',
  ITEM_WEAPON = 'W',
  ITEM_BOOTS = 'b',
  ITEM_GLOVES = 'g',
  ITEM_AMULET = 'm',
  ITEM_TROUSERS = 't',
  ITEM_RING = 'r',
  ITEM_MISC = 'x',
  ITEM_FOOD = 'F',
  ITEM_FURNISHING = 'f',
  ITEM_USEDIR = 'i',
  ITEM_PSEUDO = 'X',
  ITEM_IMMOVABLE = 'I',
  ITEM_BOOK = 'B',
  ITEM_SIGIL = 'S',
  ITEM_EXTRA_ARMOUR = 'e'
};

// Weapon types.
enum {
  W_GUNS = 'g',
  W_ENERGY = 'e',
  W_MELEE = 'm',
  W_UNARMED = 'u',
  W_THROWN = 't',
  W_MAGE = 'p',
  W_BOWS = 'b',
  W_NOTAWEAPON = 'x'
};

// Weapon damage types.
enum {
  WD_MAGE = 'm',
  WD_BLUDGEONING = 'b',
  WD_SLASHING = 's',
  WD_PIERCING = 'p',
  WD_ENERGY = 'e',
  WD_GUN = 'g'
};

// Armour grades.
enum { A_LIGHT = 'l', A_MEDIUM = 'm', A_HEAVY = 'h', A_NA = 'a', A_UNARMOURED = 'u' };

constexpr int ITEM_NUM_CODES = 4096;
constexpr int ITEM_NUM_MATERIALS = 256;
constexpr int ITEM_NUM_PREFIXES = 15;
// The status counters, numbered 0..62 (the status names; 56..62 have none).
constexpr int MAXHEALTHNUMS = 63;

// The seven material-name lists: which word a material takes on which item.
enum {
  MATNAME_GENERAL = 0,
  MATNAME_WEAPON,
  MATNAME_ARMOUR,
  MATNAME_WOOD,
  MATNAME_CLOTH,
  MATNAME_LEATHER,
  MATNAME_FOOD,
  MATNAME_LISTS
};

struct ItemRecord {
  ItemRecord(int code, char type, const std::string& name);

  int code;
  char type;
  char merch = 'x';
  std::string name;
  std::string short_name;
  std::string article;
  int price = 0;
  int light = 0;
  float weight = 0;
  int rarity = 0;
  int parent_code = 0;
  bool named = false;
  char usability = 'n';
  int level_req = 0;
  int default_material = 0;
  char material_letter = 'x';
  int worn_tile = -1;
  std::string description;
  // One bit per class known when the record was read; a class beyond the
  // end is not allowed unless every class is.
  std::vector<bool> class_mask;
  bool all_classes = true;
  int weapon_type = W_NOTAWEAPON;
  int damage_type = WD_BLUDGEONING;
  int dice = 0;
  int sides = 0;
  int hands = 1;
  float speed = 2.5f;
  int ammo_code = 0;
  int weapon_skill = -1;
  float avg_damage = 0;
  char diet = 0;
  int nutrition = 300;
  float ac = 0;
  int grade = A_NA;
  std::vector<int> effect_kinds;
  std::vector<int> effect_values;

  bool allows_class(int c) const;
};

// One card of the card game, from "dat/cards.txt".
struct Card {
  std::string name;
  int cost = 0;
  char type = '?';
  int power = 0;
  int toughness = 0;
  char mark = 0;
  std::string text1;
  std::string text2;
  std::string subtype;
  std::string picture;
  std::string extra_text;
  bool haste = false;
  bool trample = false;
  bool flying = false;
  bool first_strike = false;
  bool taunt = false;
  bool vampyric = false;
  bool vigilance = false;
  bool stealth = false;
  bool backstab = false;
  bool regeneration = false;
  bool dodge = false;
  bool wallop = false;
  bool dual_wield = false;
  int number = 0;  // item code shown when there is no picture, 0 = none

  std::string get_type_str() const;
  std::string get_pt_str() const;
  std::string get_cost_str() const;
  std::string get_text1() const { return text1; }
  std::string get_text2() const { return text2; }
};

class ItemData {
 public:
  ItemData();
  ItemData(const ItemData& o);
  ItemData& operator=(const ItemData& o);
  ~ItemData();

  // Lifecycle: reload empties the table, makes record 0 and reads the files.
  int reload();
  int load();
  const ItemRecord* get_record(const Item& i) const;
  const ItemRecord* get_record(int base) const;

  // Type queries.
  char get_type(const Item& i) const;
  bool is_weapon(const Item& i) const { return get_type(i) == ITEM_WEAPON; }
  bool is_shield(const Item& i) const { return get_type(i) == ITEM_SHIELD; }
  bool is_torso(const Item& i) const { return get_type(i) == ITEM_TORSO; }
  bool is_hat(const Item& i) const { return get_type(i) == ITEM_HAT; }
  bool is_boots(const Item& i) const { return get_type(i) == ITEM_BOOTS; }
  bool is_gloves(const Item& i) const { return get_type(i) == ITEM_GLOVES; }
  bool is_ring(const Item& i) const { return get_type(i) == ITEM_RING; }
  bool is_amulet(const Item& i) const { return get_type(i) == ITEM_AMULET; }
  bool is_trousers(const Item& i) const { return get_type(i) == ITEM_TROUSERS; }
  bool is_sigil(const Item& i) const { return get_type(i) == ITEM_SIGIL; }
  bool is_jewelry(const Item& i) const;
  bool is_armour(const Item& i) const;
  bool is_wearable(const Item& i) const;
  bool is_artifact(const Item& i) const;
  bool is_lesser_artifact(const Item& i) const;
  char get_merch(const Item& i) const;
  bool is_named(const Item& i) const;
  bool is_named(const ItemRecord* r) const { return r != nullptr && r->named; }
  bool is_legit(const Item& i) const;
  bool is_stackable(const Item&) const { return true; }
  char get_usability(const Item& i) const;
  bool check_class(const Item& i, int c) const;
  int get_worn_tile(const Item& i) const;
  int get_light(const Item& i) const;
  float get_weight(const Item& i) const;
  int get_weapon_type(const Item& i) const;
  int get_weapon_damage_type(const Item& i) const;
  std::string get_wep_dmg_str(const Item& i) const;
  bool is_ranged(const Item& i) const;
  int get_no_dice(const Item& i) const;
  int get_no_sides(const Item& i) const;
  int get_no_hands(const Item& i) const;
  float get_speed(const Item& i) const;
  float get_avg_wep_speed() const { return avg_wep_speed_; }
  int get_grade(const Item& i) const;
  std::string get_grade_name(const Item& i) const;
  bool is_unarmoured(const Item& i) const;
  char get_material_letter(const Item& i) const;
  bool is_wooden(const Item& i) const { return get_material_letter(i) == 'w'; }
  bool is_leather(const Item& i) const { return get_material_letter(i) == 'l'; }
  bool is_cloth(const Item& i) const { return get_material_letter(i) == 'c'; }
  bool is_metal(const Item& i) const { return get_material_letter(i) == 'm'; }
  bool is_tool(const Item& i) const { return get_material_letter(i) == 't'; }
  bool is_bone(const Item& i) const { return get_material_letter(i) == 'b'; }
  bool is_food(const Item& i) const;
  bool is_metal_food(const Item& i) const;
  char get_diet_type(const Item& i) const;
  int get_nutrition(const Item& i) const;
  bool is_walkable(const Item& i) const;
  Item get_ammo_type(const Item& i) const;
  Item get_parent_code(const Item& i) const;
  int get_weapon_skill(const Item& i) const;
  std::string get_wep_skill_name(const Item& i) const;
  float get_weapon_si(const Item& i) const;

  // Magic properties.
  bool get_effect(const Item& i, int kind, int* out = nullptr) const;
  bool get_effect(const Item& i, int kind, int& out) const { return get_effect(i, kind, &out); }
  bool has_effect(const Item& i, int kind, int value) const;
  bool is_enchanted(const Item& i) const;
  int get_enchant_value(int n) const;
  int get_enchant_spell(const Item& i) const;
  float get_ac(const Item& i) const;
  int get_magic_resistance(const Item& i, bool mithril_counts) const;
  float get_material_dmg_mult(const Item& i, bool silver_counts) const;
  float get_avg_damage(const Item& i) const;
  int get_min_id_skill(const Item& i) const;
  int req_level_skill(int kind, int value) const;
  int get_level_req(const Item& i) const;

  // Names and descriptions.
  std::string get_name(const Item& i) const;
  std::string get_short_name(const Item& i) const;
  std::string get_material_name(const Item& i) const;
  std::string get_short_material_name(const Item& i) const;
  std::string get_mag_prop(const Item& i) const;
  std::string get_short_mag_prop(const Item& i) const;
  std::string get_mag_prop_text(int kind, int value, char type) const;
  std::string make_tile_name(const Item& i) const;
  std::string get_scroll_name(const Item& i) const;
  std::string get_scroll_name_upper(const Item& i) const;
  std::string get_mob_name(const Item& i) const;
  std::string get_full_name(const Item& i, bool capitalise = false) const;
  std::string get_med_name(const Item& i, bool allow_short) const;
  std::string get_med_name(const Item& i) const { return get_med_name(i, true); }
  std::string get_article(const Item& i) const;
  std::string get_description(const Item& i) const;
  std::string get_recipe_item_name(const Item& recipe, bool medium = false) const;
  std::string get_prefix_name(int p) const;
  std::string get_short_prefix_name(int p) const;

  // Prices, random picks, recipes and cards.
  int get_price(const Item& i) const;
  int get_buy_price(const Item& i) const { return get_price(i); }
  int get_sell_price(const Item& i) const;
  Item random_artifact_of_rarity(int r) const;
  Item random_artifact() const;
  Item random_equipment() const;
  Item random_jewelry() const;
  Item random_merchant_item(char letter) const;
  Item make_recipe(const Item& product) const;
  Item get_recipe_product(const Item& recipe) const;
  const Card* get_card(const std::string& name) const;

  // Table contents, read by the loaders, the display and the tests.
  int highest_price() const { return highest_price_; }
  const std::string& material_name(int list, int m) const;
  bool material_flag_a(int m) const { return m >= 0 && m < ITEM_NUM_MATERIALS && mat_flag_a_[m]; }
  bool material_flag_b(int m) const { return m >= 0 && m < ITEM_NUM_MATERIALS && mat_flag_b_[m]; }
  int material_colour(int m) const;
  const std::map<std::string, Card>& get_cards() const { return cards; }

  std::map<int, std::string> mob_names;
  std::map<std::string, Card> cards;

 private:
  ItemRecord* rec(const Item& i) const { return records_[i.get_base_code()].get(); }
  bool is_special_286(const Item& i) const;
  float price_without_artifact_rule(const Item& i) const;
  // The price with artifact parents followed `depth` levels down already.
  int price_at_depth(const Item& i, int depth) const;
  std::string full_name_ordinary(const Item& i, bool capitalise) const;
  std::string full_name_named(const Item& i, const ItemRecord* r, bool capitalise) const;
  std::string socket_text(const Item& i) const;
  std::string creature_part_name(const Item& i, bool med) const;

  // Loaders of the single files.
  void prepare_material_tables();
  void load_materials();
  void load_weapons();
  void load_wearable();
  void load_misc(const char* path);
  void load_food();
  void load_named();
  void load_mob_names();
  void load_cards();
  void put_record(std::unique_ptr<ItemRecord> r);
  void read_class_letters(ItemRecord& r, const std::string& letters) const;

  int highest_price_ = 0;
  float avg_wep_speed_ = 0;
  std::vector<std::string> mat_names_[MATNAME_LISTS];
  std::vector<std::string> prefix_names_;
  std::vector<std::string> short_prefix_names_;
  std::array<std::unique_ptr<ItemRecord>, ITEM_NUM_CODES> records_;
  std::bitset<ITEM_NUM_MATERIALS> mat_flag_a_;
  std::bitset<ITEM_NUM_MATERIALS> mat_flag_b_;
  std::vector<int> mat_colours_;
};

// Price factor of a material 1-20; 0 for materials without one.
float material_price_factor(int m);
// Status name 0-62; "" otherwise.
std::string status_name(int n);

// The rule tables that item queries consult. Kept behind these functions so
// that the item table depends on the spell, tile, skill and crop tables only
// in item_links.cpp.
namespace item_links {
int spell_circle(int id);
int spell_level(int id);
bool spell_valid(int id);
bool spell_targets(int id);  // directional or auto-targeting
std::string spell_full_name(int id);
std::string spell_name(int id);
int class_count();
char class_key(int c);  // the class's one-letter short name
int skill_count();
std::string skill_name(int s);
std::string stat_name(int n);
bool tile_valid(int n);
std::string tile_desc(int n);
std::string tile_desc_details(int n);
void copy_object_tile(int from, int to);
std::string crop_name(int id);
}  // namespace item_links

extern ItemData wl;  // the item-type table (script name "wl")
