// The item-type table: per-type queries, magic properties, names.

#include "core/item_data.h"

#include <gtest/gtest.h>

#include <climits>

#include "app/globals.h"
#include "item_test_world.h"

namespace {

using item_test::ItemWorld;
using item_test::MISC;
using item_test::WEAPONS;
using item_test::WEARABLE;

const char* ARTIFACTS =
    "600\t181\tKilnheart\t1\t8,12:2,2:8,5:2,3\n"
    "601\t1b2\tHeron Coat\t\t7,3\n"
    "602\t1b2\tPlain Relic\n";

struct Table : ::testing::Test {
  ItemWorld w{WEAPONS, WEARABLE, MISC, ARTIFACTS};
};

TEST_F(Table, EmptyItemAgainstMissingRecord) {
  Item empty;
  Item missing(0x1ffL);
  struct Case {
    const char* what;
    int empty_value, missing_value;
  } cases[] = {
      {"weapon type", W_UNARMED, W_NOTAWEAPON},
      {"damage type", WD_BLUDGEONING, WD_BLUDGEONING},
      {"worn tile", -1, -1},
      {"dice", 1, 1},
      {"sides", 2, 2},
  };
  int got_empty[] = {wl.get_weapon_type(empty), wl.get_weapon_damage_type(empty), wl.get_worn_tile(empty),
                     wl.get_no_dice(empty), wl.get_no_sides(empty)};
  int got_missing[] = {wl.get_weapon_type(missing), wl.get_weapon_damage_type(missing),
                       wl.get_worn_tile(missing), wl.get_no_dice(missing), wl.get_no_sides(missing)};
  for (size_t n = 0; n < sizeof cases / sizeof cases[0]; ++n) {
    SCOPED_TRACE(cases[n].what);
    EXPECT_EQ(got_empty[n], cases[n].empty_value);
    EXPECT_EQ(got_missing[n], cases[n].missing_value);
  }
  EXPECT_FLOAT_EQ(wl.get_speed(empty), 1.5f);
  EXPECT_FLOAT_EQ(wl.get_speed(missing), 2.5f);
  EXPECT_FALSE(wl.is_legit(missing));
  EXPECT_EQ(wl.get_name(missing), "unknown item");
  EXPECT_EQ(wl.get_article(missing), "an");
  EXPECT_EQ(wl.get_level_req(missing), 0);
  // Fixed codes without a record: food and walkable objects.
  EXPECT_EQ(wl.get_diet_type(Item(266L)), 'c');
  EXPECT_TRUE(wl.is_walkable(Item(1353L)));
  // The unarmed skill comes from the configuration.
  EXPECT_EQ(wl.get_weapon_skill(empty), 0);
  EXPECT_EQ(wl.get_weapon_skill(Item(0x1b6L)), 0);  // gloves fight unarmed
  EXPECT_EQ(wl.get_weapon_skill(missing), -1);
}

TEST_F(Table, WeaponQueries) {
  Item sword(0x181L);
  EXPECT_EQ(wl.get_weapon_skill(sword), 1);
  EXPECT_FLOAT_EQ(wl.get_weapon_si(sword), 1.25f);  // si_Blades in the configuration
  EXPECT_EQ(wl.get_wep_dmg_str(sword), "slashing");
  EXPECT_TRUE(wl.is_ranged(Item(0x182L)));
  EXPECT_EQ(wl.get_ammo_type(Item(0x182L)).code, 0x1a0);
  // Bows are skill 2; blessed ones count as skill 36.
  Item bow(0x182L);
  bow.set_bless_bit();
  EXPECT_EQ(wl.get_weapon_skill(bow), 36);
  EXPECT_EQ(wl.get_wep_skill_name(bow), "N/A");
  // An unknown skill name reads as none.
  EXPECT_EQ(wl.get_weapon_skill(Item(0x184L)), -1);
  EXPECT_FLOAT_EQ(wl.get_weapon_si(Item(0x184L)), 0.7f);
  // 1d6 at speed 2: 3.5 / 2; steel and copper multiply it.
  EXPECT_FLOAT_EQ(wl.get_avg_damage(sword), 1.75f);
  EXPECT_FLOAT_EQ(wl.get_avg_damage(make_code(0x181, MAT_COPPER, 0, 0)), 1.75f * 1.1f);
  EXPECT_FLOAT_EQ(wl.get_avg_damage(make_code(0x181, 0, 1, 3)), 1.75f + 3);
  EXPECT_FLOAT_EQ(wl.get_weight(make_code(0x181, MAT_COPPER, 0, 0)), 2.0f * 0.8f);
}

TEST_F(Table, GetEffectRules) {
  struct Case {
    const char* what;
    Item item;
    int kind;
    bool found;
    int value;
  } cases[] = {
      {"capped at 10", make_code(0x181, 0, 1, 14), 1, true, 10},
      {"enchanted weapon attack", make_code(0x181, 0, 8, 2), 1, true, 5},
      {"enchantment mapped", make_code(0x181, 0, 8, 2), 8, true, 1},
      {"enchantment unmapped", make_code(0x181, 0, 8, 3), 8, true, 3},
      {"enchanted, other kind", make_code(0x181, 0, 8, 2), 2, false, 0},
      {"leeching attack", make_code(0x181, 0, 9, 4), 1, true, 7},
      {"leeching itself", make_code(0x181, 0, 9, 4), 9, true, 4},
      {"enchanted armour no attack", make_code(0x1b2, 0, 8, 2), 1, false, 0},
      {"plain", Item(0x181L), 1, false, 0},
      {"later entry wins", Item(0x600L), 8, true, 5},
      {"entries sum", Item(0x600L), 2, true, 5},
      {"artifact plus own to-mod", make_code(0x600, 0, 2, 4), 2, true, 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    int v = -99;
    EXPECT_EQ(wl.get_effect(c.item, c.kind, v), c.found);
    EXPECT_EQ(v, c.value);
  }
  EXPECT_TRUE(wl.has_effect(Item(0x600L), 8, 12));  // any single entry matches
  EXPECT_TRUE(wl.has_effect(make_code(0x181, 0, 1, 4), 1, 4));
  EXPECT_FALSE(wl.has_effect(make_code(0x181, 0, 1, 4), 1, 5));
  EXPECT_TRUE(wl.is_enchanted(make_code(0x181, 0, 3, 1)));
  EXPECT_FALSE(wl.is_enchanted(Item(0x181L)));
  EXPECT_FALSE(wl.is_enchanted(make_code(0x11e, 0, 3, 1)));  // usability 'r'
  EXPECT_EQ(wl.get_enchant_spell(make_code(0x181, 0, 8, 2)), 1);
  EXPECT_EQ(wl.get_enchant_spell(make_code(0x181, 0, 8, 9)), -1);
}

TEST_F(Table, ArmourClassAndResistance) {
  Item coat(0x1b2L);  // leather coat, light, class 4
  EXPECT_FLOAT_EQ(wl.get_ac(coat), 4.0f);
  Item cursed(coat);
  cursed.curse();
  EXPECT_FLOAT_EQ(wl.get_ac(cursed), -4.0f);
  cursed.set_prefix(0x10);
  EXPECT_FLOAT_EQ(wl.get_ac(cursed), -2.0f);
  EXPECT_FLOAT_EQ(wl.get_ac(make_code(0x1b2, MAT_STEEL, 7, 2)), 6.0f * 1.3f);
  EXPECT_FLOAT_EQ(wl.get_ac(make_code(0x1b1, MAT_STEEL, 0, 0)), 3.0f * 1.15f);
  // Heavy helm 30, light coat 10, prefix class 1 on armour 20.
  EXPECT_EQ(wl.get_magic_resistance(Item(0x1b1L), false), 30);
  EXPECT_EQ(wl.get_magic_resistance(coat, false), 10);
  Item pref(coat);
  pref.set_prefix(0x10);
  EXPECT_EQ(wl.get_magic_resistance(pref, false), 30);
  EXPECT_EQ(wl.get_magic_resistance(make_code(0x1b2, MAT_MITHRIL, 7, 1), true), 10 + 20);
  EXPECT_EQ(wl.get_magic_resistance(make_code(0x1b2, MAT_MITHRIL, 7, 1), false), 10);
  EXPECT_EQ(wl.get_magic_resistance(make_code(0x1b2, 0, 10, 2), false), 10 + 40);
  EXPECT_FLOAT_EQ(wl.get_material_dmg_mult(make_code(0x181, MAT_SILVER, 0, 0), true), 1.5f);
  EXPECT_FLOAT_EQ(wl.get_material_dmg_mult(make_code(0x181, MAT_SILVER, 0, 0), false), 1.0f);
  Item p5 = make_code(0x181, MAT_BLACKROCK, 0, 0);
  p5.set_prefix(0x50);
  EXPECT_FLOAT_EQ(wl.get_material_dmg_mult(p5, false), 1.2f * 1.1f);
}

TEST_F(Table, LevelRequirements) {
  // Multiplier 1: attack +3 needs (3-1)*14+5 = 33; defense +2 needs 22.
  EXPECT_EQ(wl.get_level_req(make_code(0x181, 0, 1, 3)), 33);
  EXPECT_EQ(wl.get_level_req(make_code(0x1b2, 0, 7, 2)), 22);
  EXPECT_EQ(wl.get_level_req(Item(0x181L)), 1);
  EXPECT_EQ(wl.get_level_req(Item(0x602L)), 1);  // artifact without effects
  EXPECT_EQ(wl.get_level_req(Item(0x601L)), 3 * 17 - 12);
  EXPECT_EQ(wl.get_level_req(make_code(0x458, 0, 1, 9)), 0);
  for (int base = 1; base < ITEM_NUM_CODES; ++base) {
    const ItemRecord* r = wl.get_record(base);
    if (!r || base == 1112 || base == 1333 || base == 1334 || base == 1461 || base == 1487 || base == 1309)
      continue;
    EXPECT_GE(wl.get_level_req(Item(static_cast<long>(base))), 1) << base;
  }
  // Enchanted weapons: spell 1 has circle 2, so 2*30/7+46 = 54, below the
  // floor of an attack +5 weapon, (5-1)*14+5 = 61.
  EXPECT_EQ(wl.get_level_req(make_code(0x181, 0, 8, 2)), 61);
  common_cfg.set("level_req_multiplier", "0.5");
  EXPECT_EQ(wl.req_level_skill(1, 3), 16);
  EXPECT_EQ(wl.req_level_skill(13, 3), 0);
  // A negative value from a data file gives the smallest need, not NaN.
  EXPECT_EQ(wl.req_level_skill(3, -8), 0);
  EXPECT_EQ(wl.get_min_id_skill(make_code(0x181, 0, 1, 3)), 34);
  EXPECT_EQ(wl.get_min_id_skill(make_code(0x181, 0, 8, 9)), 100);
  EXPECT_EQ(wl.get_min_id_skill(Item(0x600L)), 90);
}

TEST_F(Table, MetalFoodAndSpellBooks) {
  struct Case {
    const char* what;
    Item item;
    bool metal;
  } cases[] = {
      {"ring", Item(0x1b8L), true},
      {"weapon", Item(0x181L), false},
      {"shield", Item(0x183L), false},
      {"heavy helm", Item(0x1b1L), true},
      {"light coat", Item(0x1b2L), true},
      {"iron coat", make_code(0x1b2, MAT_IRON, 0, 0), false},
      {"gold gloves", make_code(0x1b6, MAT_GOLD, 0, 0), true},
      {"no grade", Item(0x11eL), false},
      {"base 275 without record", Item(275L), true},
      {"no record", Item(0x1ffL), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(wl.is_metal_food(c.item), c.metal);
  }
  EXPECT_EQ(wl.get_level_req(make_code(1309, 0, 0, 2)), 3);
  EXPECT_EQ(wl.get_level_req(make_code(1309, 0, 0, 9)), 0);
  // Special 286: a scroll of a directional spell is used with a direction.
  EXPECT_EQ(wl.get_type(make_code(0x11e, 0, 0, 1)), ITEM_USEDIR);
  EXPECT_EQ(wl.get_type(make_code(0x11e, 0, 0, 2)), 'x');
  EXPECT_FALSE(wl.is_food(make_code(0x11e, 0, 0, 1)));
}

// The item table was read while two classes existed; a data reload then
// brings a third class (classes load after the items).
TEST_F(Table, ClassAddedAfterTheItemsIsNotAllowed) {
  TempDir::write("dat/classes.txt", "Warden\tw\t\tr\th\nMage\tm\t\tm\tl\nScout\ts\t\te\tm\n");
  sc.load();
  ASSERT_EQ(sc.max_classes(), 3);
  EXPECT_FALSE(wl.check_class(Item(0x182L), 1));
  EXPECT_TRUE(wl.check_class(Item(0x182L), -1));
  EXPECT_FALSE(wl.check_class(Item(0x181L), 2));
  EXPECT_TRUE(wl.check_class(Item(0x181L), 1));
  // A record that never named its classes allows every class.
  EXPECT_TRUE(wl.check_class(Item(0x11eL), 2));
}

TEST_F(Table, MaterialNames) {
  struct Case {
    Item item;
    const char* name;
    const char* short_name;
  } cases[] = {
      {Item(0x181L), "", ""},
      {make_code(0x181, MAT_IRON, 0, 0), "iron", "iron"},
      {make_code(0x181, MAT_STEEL, 0, 0), "steel", "stee"},
      {make_code(0x1c0, MAT_STEEL, 0, 0), "steel-shod", "stee"},  // wooden staff
      {make_code(0x181, MAT_COPPER, 0, 0), "copper", "copp"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(wl.get_material_name(c.item), c.name);
    EXPECT_EQ(wl.get_short_material_name(c.item), c.short_name);
  }
  Item pref = make_code(0x181, MAT_STEEL, 0, 0);
  pref.set_prefix(0x10);
  EXPECT_EQ(wl.get_material_name(pref), "Hale steel");
  EXPECT_EQ(wl.get_short_material_name(pref), "Ha stee");
  EXPECT_EQ(wl.get_short_prefix_name(0x70), "Anci");
  EXPECT_EQ(wl.get_prefix_name(0xD0), "");
}

TEST_F(Table, PropertyTexts) {
  struct Case {
    int kind, value;
    char type;
    const char* text;
  } cases[] = {
      {2, -3, 'x', "intelligence -3"},
      {3, 4, 'x', "strength +4"},
      {7, 0, 'x', "defense "},
      {1, -2, 's', "AS -2"},
      {1, 2, 'W', "AS/Damage +2"},
      {12, 63, 'x', "+"},
      {12, 0, 'x', "+poison"},
      {14, 1, 'x', "+>sleep"},
      {12, -1, 'x', "+"},
      {-3, 5, 'x', "+5"},  // a negative kind has no word
      {-16, 0, 'x', "ordinary "},
      {18, 1, 'x', "intelligence +1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(wl.get_mag_prop_text(c.kind, c.value, c.type), c.text);
  }
  EXPECT_EQ(wl.get_mag_prop_text(8, 1, 'x'), "Ench: " + spells.get_full_spell_name(1));
  EXPECT_EQ(wl.get_short_mag_prop(make_code(0x1b2, 0, 2, 1)), "int");
  EXPECT_EQ(wl.get_mag_prop(make_code(0x1b2, 0, 3, 1)), "of strength ");
  EXPECT_EQ(wl.get_mag_prop(make_code(0x1b2, 0, 7, 1)), "");  // defense is plain on armour
  EXPECT_EQ(wl.get_mag_prop(make_code(0x181, 0, 7, 1)), "of defense ");
}

TEST_F(Table, FullNames) {
  TempDir::write("dat/misc.txt", std::string(MISC) + "51d spell_book x 60 x m c 0 0.5 r\n");
  wl.reload();
  Item blessed = make_code(0x181, MAT_STEEL, 0, 0);
  blessed.set_bless_bit();
  Item cursed = make_code(0x181, MAT_IRON, 7, 2);
  cursed.curse();
  Item unid = make_code(0x181, MAT_STEEL, 1, 3);
  unid.set_unidentified();
  Item socket(0x181L);
  socket.socketed = 0x1b8;
  Item pref = make_code(0x1b1, MAT_IRON, 0, 0);
  pref.set_prefix(0x70);
  Item text(0x181L);
  text.text = "_old__hob_";
  struct Case {
    Item item;
    bool cap;
    std::string name;
  } cases[] = {
      {Item(0x181L), false, "short blade"},
      {blessed, true, "Blessed steel short blade"},
      {cursed, false, "cursed iron short blade of defense + 2"},
      {unid, false, "short blade (unidentified)"},
      {socket, false, "short blade (socketed with plain ring)"},
      {pref, false, "Ancient iron iron helm"},
      {make_code(0x181, 0, 2, 0), false, "short blade of intelligence"},
      {make_code(0x181, 0, 12, 3), false, "short blade of charm"},
      {make_code(0x181, 0, 15, 2), false, "refined short blade"},
      {make_code(0x181, 0, 8, 2), false, "Enchanted short blade (" + spells.get_full_spell_name(1) + ")"},
      {make_code(0x16e, 14, 2, 0), false, "tile token (grass patch: Short grass.)"},
      {text, false, "old  hob (steel)"},
      {make_code(1309, 0, 0, 2), false, "spell book"},  // the spell in the medium name only
  };
  // The named item with a text: no record flag, so its material shows only
  // when it has one; give it steel for that line.
  cases[11].item.set_material(MAT_STEEL);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(wl.get_full_name(c.item, c.cap), c.name);
  }
  EXPECT_EQ(wl.get_full_name(Item(0x600L), false), "Kilnheart (steel)");
  Item unid_art(0x600L);
  unid_art.set_unidentified();
  EXPECT_EQ(wl.get_full_name(unid_art, false), "short blade (unidentified)");
}

TEST_F(Table, ArticlesAndShortNames) {
  EXPECT_EQ(wl.get_article(Item(0x1b1L)), "an");  // from the file
  EXPECT_EQ(wl.get_article(Item(0x1c0L)), "an");  // oak_staff:an
  Item upper(0x181L);
  upper.text = "Elder_blade";
  EXPECT_EQ(wl.get_article(upper), "an");
  upper.text = "Yew_blade";
  EXPECT_EQ(wl.get_article(upper), "a");
  EXPECT_EQ(wl.get_short_name(Item(0x16eL)), "token");
  EXPECT_EQ(wl.get_short_name(Item(0x11eL)), "scroll");
}

TEST_F(Table, MediumNames) {
  struct Case {
    Item item;
    bool allow_short;
    const char* name;
  } cases[] = {
      {make_code(0x181, MAT_STEEL, 1, 3), true, "steel short blade +3"},
      {make_code(0x181, MAT_STEEL, 1, 3), false, "steel short blade"},
      {make_code(0x1b2, MAT_COPPER, 7, 2), true, "copper leather coat +2"},
      {make_code(0x181, 0, 3, 2), true, "short blade str +2"},  // long form too long
      {make_code(0x181, MAT_COPPER, 3, 2), true, "copp short blade str +2"},
      {make_code(0x181, 0, 12, 1), true, "short blade of sleep"},
      {make_code(0x181, 0, 15, 4), true, "superior short blade"},
      {make_code(0x181, 0, 8, 2), true, "short blade (IF)"},
      {Item(0x600L), true, "Kilnheart (steel)"},
      {make_code(0x11e, 0, 0, 2), true, "scroll (AH)"},
      {make_code(1309, 0, 0, 2), true, "learn Mend"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(wl.get_med_name(c.item, c.allow_short), c.name);
  }
  Item unid = make_code(0x181, MAT_STEEL, 1, 3);
  unid.set_unidentified();
  EXPECT_EQ(wl.get_med_name(unid), "short blade");
}

// The builders call each other (a socketed item's name inside the full name,
// a recipe's product inside its description): every text stays whole.
TEST_F(Table, NestedNamesStayWhole) {
  Item outer = make_code(0x181, MAT_STEEL, 0, 0);
  outer.socketed = static_cast<uint64_t>(make_code(0x1b8, MAT_IRON, 0, 0).code);
  std::string first = wl.get_full_name(outer, false);
  EXPECT_EQ(first, "steel short blade (socketed with iron plain ring)");
  Item recipe = wl.make_recipe(make_code(0x181, MAT_IRON, 0, 0));
  EXPECT_EQ(wl.get_full_name(recipe, false), "recipe (iron short blade)");
  EXPECT_EQ(wl.get_description(recipe), "Allows the bearer to craft the following item: iron short blade");
  EXPECT_EQ(wl.get_full_name(outer, false), first);
  Item bad_recipe = wl.make_recipe(Item(0x1ffL));
  EXPECT_EQ(wl.get_recipe_item_name(bad_recipe, false), "???");
  EXPECT_FALSE(wl.is_legit(bad_recipe));
  EXPECT_TRUE(wl.is_legit(recipe));
}

TEST_F(Table, TileNames) {
  EXPECT_EQ(wl.make_tile_name(make_code(0x16e, 3, 2, 0)), "Wall: Grey stone.");
  EXPECT_EQ(wl.make_tile_name(make_code(0x16e, 1, 0, 0)), "unknown tile");
}

TEST_F(Table, Copy) {
  ItemData copy(wl);
  EXPECT_EQ(copy.get_full_name(Item(0x600L), false), wl.get_full_name(Item(0x600L), false));
  copy = copy;
  EXPECT_EQ(copy.get_name(Item(0x181L)), "short blade");
}

}  // namespace

namespace {

// Effect values from a data file can be as large as the file likes.
TEST(ItemEffects, HugeValuesSaturate) {
  ItemWorld w(WEAPONS, WEARABLE, MISC, "600\t1b2\tBig\t0\t2,2000000000:2,2000000000:a,2000000000:7,-2000000000\n");
  int v = 0;
  EXPECT_TRUE(wl.get_effect(Item(0x600L), 2, v));
  EXPECT_EQ(v, INT_MAX);
  EXPECT_EQ(wl.get_magic_resistance(Item(0x600L), false), INT_MAX);
  EXPECT_GE(wl.get_level_req(Item(0x600L)), 1);
  EXPECT_GE(wl.get_price(Item(0x600L)), 0);
  wl.get_full_name(Item(0x600L), true);
}

}  // namespace
