// Reading the item files.

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

TEST(ItemFiles, WeaponLines) {
  struct Case {
    const char* what;
    const char* line;
    bool loaded;
  } cases[] = {
      {"sixteen fields", "181 m s Blades short_blade m 1d6 1 40 w 2.0 2.0 wm 0 1", true},
      {"fifteen fields", "181 m s Blades short_blade m 1d6 1 40 w 2.0 2.0 wm 0", false},
      {"dice without d", "181 m s Blades short_blade m 16 1 40 w 2.0 2.0 wm 0 1", false},
      {"not regular", "200 m s Blades short_blade m 1d6 1 40 w 2.0 2.0 wm 0 1", false},
      {"comment", "#181 m s Blades short_blade m 1d6 1 40 w 2.0 2.0 wm 0 1", false},
      {"tabs", "181\tm\ts\tBlades\tshort_blade\tm\t1d6\t1\t40\tw\t2.0\t2.0\twm\t0\t1", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ItemWorld w(std::string(c.line) + "\n");
    int code = std::string(c.line).compare(0, 3, "200") == 0 ? 0x200 : 0x181;
    EXPECT_EQ(wl.get_record(code) != nullptr, c.loaded);
  }
}

TEST(ItemFiles, WeaponFields) {
  ItemWorld w(WEAPONS);
  const ItemRecord* r = wl.get_record(0x182);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->type, ITEM_WEAPON);
  EXPECT_EQ(r->weapon_type, W_BOWS);
  EXPECT_EQ(r->damage_type, WD_PIERCING);
  EXPECT_EQ(r->weapon_skill, 2);
  EXPECT_EQ(r->name, "hill bow");
  EXPECT_EQ(r->material_letter, 'w');
  EXPECT_EQ(r->dice, 1);
  EXPECT_EQ(r->sides, 8);
  EXPECT_EQ(r->hands, 2);
  EXPECT_EQ(r->price, 60);
  EXPECT_EQ(r->merch, 'w');
  EXPECT_FLOAT_EQ(r->weight, 1.5f);
  EXPECT_FLOAT_EQ(r->speed, 2.5f);
  EXPECT_EQ(r->ammo_code, 0x1a0);
  EXPECT_EQ(r->worn_tile, 2);
  EXPECT_FLOAT_EQ(r->avg_damage, 4.5f / 2.5f);
  EXPECT_EQ(wl.get_record(0x184)->weapon_skill, -1);  // "Polearms" is no skill
  EXPECT_EQ(wl.highest_price(), 80);
  EXPECT_FLOAT_EQ(wl.get_avg_wep_speed(), 2.5f);
  EXPECT_EQ(wl.get_record(0)->name, "NOTHING");
}

TEST(ItemFiles, MissingFilesAreLogged) {
  ItemWorld w("");
  std::string log = w.log();
  EXPECT_NE(log.find("Can't find weapons.txt!"), std::string::npos);
  EXPECT_NE(log.find("Can't find wearable.txt!"), std::string::npos);
  EXPECT_EQ(log.find("materials.txt"), std::string::npos);
  EXPECT_TRUE(wl.get_cards().empty());
}

TEST(ItemFiles, WearableAndMiscLines) {
  ItemWorld w(WEAPONS, WEARABLE,
              std::string(MISC) +
                  "1d0\tlamp\tx\t3\tx\tg\tm\t4\t1.0\ty\t-\t\"A bright lamp.\"\n"
                  "1d1\tx\tx\t1\tx\tg\tm\t0\t0.1\tn\n"
                  "1d2 short_rope 2 x g c 0 0.5 n\n");
  const ItemRecord* helm = wl.get_record(0x1b1);
  ASSERT_NE(helm, nullptr);
  EXPECT_EQ(helm->article, "an");
  EXPECT_EQ(helm->type, ITEM_HAT);
  EXPECT_FLOAT_EQ(helm->ac, 3.0f);
  EXPECT_EQ(helm->grade, A_HEAVY);
  const ItemRecord* staff = wl.get_record(0x1c0);
  ASSERT_NE(staff, nullptr);
  EXPECT_EQ(staff->name, "oak staff");
  EXPECT_EQ(staff->article, "an");
  EXPECT_EQ(staff->short_name, "");  // third field "x"
  const ItemRecord* lamp = wl.get_record(0x1d0);
  ASSERT_NE(lamp, nullptr);
  EXPECT_EQ(lamp->light, 4);
  EXPECT_EQ(lamp->usability, 'y');
  EXPECT_EQ(lamp->description, "A bright lamp.");
  // A record named "x" keeps that name; only the short name "x" means none.
  EXPECT_EQ(wl.get_record(0x1d1)->name, "x");
  EXPECT_EQ(wl.get_record(0x1d2), nullptr);  // nine fields
}

TEST(ItemFiles, FoodLines) {
  ItemWorld w(WEAPONS);
  TempDir::write("dat/food.txt",
                 "1c1 smoked_eel:a 5 g 0.4 c 500 x\t\"Hung in smoke.\"\n"
                 "1c2 apple 1 g 0.2 v 200\n");
  wl.reload();
  const ItemRecord* eel = wl.get_record(0x1c1);
  ASSERT_NE(eel, nullptr);
  EXPECT_EQ(eel->type, ITEM_FOOD);
  EXPECT_EQ(eel->name, "smoked eel");
  EXPECT_EQ(eel->article, "a");
  EXPECT_EQ(eel->diet, 'c');
  EXPECT_EQ(eel->nutrition, 500);
  EXPECT_EQ(eel->short_name, "x");
  EXPECT_EQ(eel->description, "");  // the description needs nine TAB columns
  EXPECT_EQ(wl.get_record(0x1c2), nullptr);
  EXPECT_TRUE(wl.is_food(Item(0x1c1L)));
}

TEST(ItemFiles, MaterialAndPrefixRows) {
  ItemWorld w(WEAPONS);
  TempDir::write("dat/materials.txt",
                 "3\tY\tn\tc73\tcopper\tcopper-edged\t\t\t\t\tcopper-glazed\n"
                 "300\t-\t-\t-\tRiverblessed\tRivr\n"
                 "30\tY\tY\t123\n"
                 "700\t-\t-\t-\tAncient\t\n"
                 "ffffffff\tY\tY\t1\tnothing\n");
  wl.reload();
  EXPECT_TRUE(wl.material_flag_a(3));
  EXPECT_FALSE(wl.material_flag_b(3));
  EXPECT_EQ(wl.material_colour(3), 0xc73);
  EXPECT_EQ(wl.material_name(MATNAME_GENERAL, 3), "copper");
  EXPECT_EQ(wl.material_name(MATNAME_WEAPON, 3), "copper-edged");
  EXPECT_EQ(wl.material_name(MATNAME_FOOD, 3), "copper-glazed");
  EXPECT_EQ(wl.get_prefix_name(0x30), "Riverblessed");
  EXPECT_EQ(wl.get_short_prefix_name(0x30), "Rivr");
  EXPECT_EQ(wl.get_prefix_name(0x70), "Ancient");
  EXPECT_EQ(wl.get_short_prefix_name(0x70), "Anci");
  // The 0x300 row leaves the material lists alone; the 0x30 row is short.
  EXPECT_EQ(wl.material_name(MATNAME_GENERAL, 0x30), "");
  EXPECT_FALSE(wl.material_flag_a(0x30));
  for (int m = 0; m < ITEM_NUM_MATERIALS; ++m)
    if (m != 3) {
      EXPECT_EQ(wl.material_name(MATNAME_GENERAL, m), "") << m;
    }
  EXPECT_EQ(wl.get_full_name(make_code(0x181, 3, 0, 0), false), "copper-edged short blade");
}

TEST(ItemFiles, NamedLines) {
  ItemWorld w(WEAPONS, WEARABLE, MISC,
              "# a comment\n"
              "\n"
              "  600\t181\tKiln_heart\t6\t\"8,12:2,3\"\t4\t9\tm  \n"
              "601\t1b2\tOnly_Two\n"
              "602\t1ff\tNo_Parent\n"
              "603\t181\tBad_Effects\t0\t8:x,3:2,y:4,5\n"
              "300\t181\tIrregular\n"
              "460\t181\tReeve's_Blade\n");
  const ItemRecord* a = wl.get_record(0x600);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->name, "Kiln heart");
  EXPECT_TRUE(a->named);
  EXPECT_EQ(a->parent_code, 0x181);
  EXPECT_EQ(a->default_material, 6);
  EXPECT_EQ(a->effect_kinds, (std::vector<int>{8, 2}));
  EXPECT_EQ(a->effect_values, (std::vector<int>{12, 3}));
  EXPECT_EQ(a->rarity, 4);
  EXPECT_EQ(a->level_req, 9);
  EXPECT_EQ(a->price, 0);
  EXPECT_EQ(a->merch, 'w');  // artifacts keep the parent's merchant
  EXPECT_EQ(a->type, ITEM_WEAPON);
  EXPECT_EQ(a->dice, 1);
  EXPECT_EQ(a->sides, 6);
  EXPECT_EQ(a->weapon_skill, 1);
  EXPECT_FALSE(wl.check_class(Item(0x600L), 0));  // only the mage
  EXPECT_TRUE(wl.check_class(Item(0x600L), 1));
  EXPECT_EQ(wl.get_level_req(Item(0x600L)), 9);
  ASSERT_NE(wl.get_record(0x601), nullptr);
  EXPECT_TRUE(wl.get_record(0x601)->effect_kinds.empty());
  EXPECT_EQ(wl.get_record(0x602), nullptr);
  EXPECT_EQ(wl.get_record(0x603)->effect_kinds, (std::vector<int>{4}));
  EXPECT_EQ(wl.get_record(0x300), nullptr);
  EXPECT_EQ(wl.get_record(0x460)->merch, 'x');  // not an artifact
  EXPECT_EQ(tiledata.object_tiles[0x600].image, tiledata.object_tiles[0x181].image);
}

// Each effect part is a hex kind, a comma straight after it and a decimal
// value; blanks may come before either number, not before the comma.
TEST(ItemFiles, NamedEffectParts) {
  struct Case {
    const char* effects;
    std::vector<int> kinds, values;
  };
  const Case cases[] = {
      {"1,2", {1}, {2}},
      {"1 ,2", {}, {}},
      {"1, 2", {1}, {2}},
      {" 1,2", {1}, {2}},
      {"a,-3", {10}, {-3}},
      {"0x1f,4", {31}, {4}},
      {"1,2,3", {1}, {2}},
      {"1,2x", {1}, {2}},
      {"1,", {}, {}},
      {",2", {}, {}},
      {"g,2", {}, {}},
      {"1,2:3 ,4:5,6", {1, 5}, {2, 6}},
      {"ffffffffff,99999999999", {INT_MAX}, {INT_MAX}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.effects);
    ItemWorld w(WEAPONS, WEARABLE, MISC, std::string("600\t181\tKiln_heart\t6\t") + c.effects + "\t4\n");
    const ItemRecord* r = wl.get_record(0x600);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->effect_kinds, c.kinds);
    EXPECT_EQ(r->effect_values, c.values);
    EXPECT_EQ(r->rarity, 4);
  }
}

// A line whose code is its own parent replaces the record it copies from.
TEST(ItemFiles, NamedLineReplacingItsParent) {
  ItemWorld w(WEAPONS, WEARABLE, MISC, "181\t181\tOld_Hob's_Blade\t1\t1,2\n");
  const ItemRecord* r = wl.get_record(0x181);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->name, "Old Hob's Blade");
  EXPECT_TRUE(r->named);
  EXPECT_EQ(r->type, ITEM_WEAPON);
  EXPECT_EQ(r->sides, 6);
  EXPECT_FLOAT_EQ(r->speed, 2.0f);
  EXPECT_EQ(r->parent_code, 0x181);
  Item unid(0x181L);
  unid.set_unidentified();
  EXPECT_EQ(wl.get_name(unid), "Old Hob's Blade");
  EXPECT_EQ(wl.get_full_name(unid, false), "Old Hob's Blade (unidentified)");
}

// Fields longer than any line buffer are read whole.
TEST(ItemFiles, LongFieldsAreReadWhole) {
  std::string name(3000, 'q');
  std::string classes(2000, 'w');
  ItemWorld w("181 m s Blades " + name + " m 1d6 1 40 w 2.0 2.0 " + classes + " 0 1\n",
              "1b1 " + name + " " + name + " h 3 50 h m a 2.5 w 5\n",
              "1c0 " + name + ":an " + name + " 5 x g w 0 1.0 n\n");
  ASSERT_NE(wl.get_record(0x181), nullptr);
  EXPECT_EQ(wl.get_record(0x181)->name, name);
  EXPECT_EQ(wl.get_record(0x181)->worn_tile, 1);
  EXPECT_EQ(wl.get_record(0x1b1)->article, name);
  EXPECT_EQ(wl.get_record(0x1c0)->short_name, name);
  EXPECT_EQ(wl.get_record(0x1c0)->article, "an");
  EXPECT_EQ(wl.get_full_name(Item(0x181L), true).size(), name.size());
}

TEST(ItemFiles, MobNames) {
  ItemWorld w(WEAPONS, WEARABLE, MISC);
  TempDir::write("dat/mobnames.txt", "1\triver rat \n2\tmarsh toad\textra\n# 3\tcomment\n5\twolf\n");
  TempDir::write("dat/other.txt", "535 pelt x 6 x x l 0 1.0 n\n458 trophy_case case 10 x x w 0 2.0 n\n");
  wl.reload();
  EXPECT_EQ(wl.mob_names.at(1), "river rat");
  EXPECT_EQ(wl.mob_names.count(2), 0u);
  Item pelt(0x535L | (1L << 12));
  EXPECT_EQ(wl.get_mob_name(pelt), "river rat");
  EXPECT_EQ(wl.get_full_name(pelt, false), "pelt (river rat)");
  Item two = pelt;
  two.extra = (1u << 14) | 5;
  EXPECT_EQ(wl.get_mob_name(two), "wolf river rat");
  Item head = pelt;
  head.extra = 1u << 15;
  EXPECT_EQ(wl.get_mob_name(head), "river rat+head");
  Item unknown(0x535L | (0x181L << 12));
  EXPECT_EQ(wl.get_mob_name(unknown), "short blade");
  Item nothing(0x535L | (0x1ffL << 12));
  EXPECT_EQ(wl.get_mob_name(nothing), "???");
  // Names survive a reload that no longer lists them.
  TempDir::write("dat/mobnames.txt", "");
  wl.reload();
  EXPECT_EQ(wl.mob_names.at(1), "river rat");
  EXPECT_EQ(wl.get_full_name(Item::make_wrapped(0x181), false), "trophy case (short blade)");
}

}  // namespace
