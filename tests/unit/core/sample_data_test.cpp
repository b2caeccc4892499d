// The sample world in gamedata/dat: every rule table loads without a warning
// and the files agree with each other.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/globals.h"
#include "support/temp_dir.h"

namespace {

TEST(SampleData, LoadsCleanAndAgrees) {
  TempDir dir;
  TempDir::copy_gamedata("dat");
  ASSERT_EQ(common_cfg.load(), 0);
  ASSERT_EQ(sc.load(), 0);
  ASSERT_EQ(tiledata.load(), 0);
  ASSERT_EQ(spells.load(), 0);
  ASSERT_EQ(crops.load(), 0);
  ASSERT_EQ(wl.reload(), 0);
  EXPECT_GT(buffs.load(), 0);
  EXPECT_GT(mounts.load(), 0);
  // Nothing was logged: no warnings, no bad ids.
  EXPECT_EQ(TempDir::read("cl_log.txt"), "");

  EXPECT_EQ(sc.get_stat_name(1), "strength");
  EXPECT_EQ(sc.get_stat_name(2), "dexterity");
  EXPECT_EQ(sc.get_stat_name(3), "intelligence");
  for (int s = 1; s <= 3; ++s) EXPECT_NE(sc.get_stat_key(s), 0);
  ASSERT_GT(sc.max_skills(), 0);
  for (int i = 0; i < sc.max_skills(); ++i) {
    SCOPED_TRACE(sc.get_skillname(i));
    EXPECT_GE(sc.get_governing_stat(i), 1);
    int cls = sc.get_skill_class(i, false);
    EXPECT_TRUE(cls == 65535 || (cls >= 0 && cls < sc.max_classes()));
  }
  // The skill numbers named in common.cfg exist.
  for (const char* key : {"skill_SK_UNARMED", "skill_SK_TACTICS", "skill_SK_STEALTH",
                          "skill_SK_MEDITATION", "skill_SK_NECROMANCY"}) {
    int n = common_cfg.get_int(key);
    EXPECT_TRUE(n >= 0 && n < sc.max_skills()) << key;
  }
  EXPECT_EQ(sc.get_skillname(common_cfg.get_int("skill_SK_UNARMED")), "Unarmed");

  bool base = false, sub = false;
  for (int c = 0; c < sc.max_classes(); ++c) {
    SCOPED_TRACE(sc.get_classname(c));
    const ClassRecord* rec = sc.get_class(c);
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(sc.get_class_nr(rec->key), c);  // keys are unique
    EXPECT_FALSE(rec->skills.empty());
    EXPECT_NE(sc.get_mana_type_string(c), "");
    EXPECT_NE(sc.get_class_description(c), "");
    if (sc.is_base_class(c)) base = true;
    else {
      sub = true;
      EXPECT_GE(sc.get_parent_class(c), 0);
    }
  }
  EXPECT_TRUE(base);
  EXPECT_TRUE(sub);

  int selectable = 0;
  for (int r = 0; r < sc.max_races(); ++r) {
    SCOPED_TRACE(sc.get_racename(r));
    const RaceRecord* rec = sc.get_race(r);
    ASSERT_NE(rec, nullptr);
    if (rec->selectable) ++selectable;
    EXPECT_FALSE(rec->male_tiles.empty());
    EXPECT_FALSE(rec->female_tiles.empty());
    for (uint16_t c : rec->classes) EXPECT_LT(c, sc.max_classes());
    EXPECT_GT(sc.get_race_stealth_factor(r), 0.0f);
  }
  EXPECT_GE(selectable, 2);

  for (int n : {CMAP_TILE_BLANK, TILES_UNKNOWN}) EXPECT_TRUE(tiledata.is_valid_tile(n)) << n;
  for (int n : tiledata.underneath_tiles) EXPECT_TRUE(tiledata.is_valid_tile(n)) << n;
  EXPECT_FALSE(tiledata.underneath_dot_tiles.empty());
  int walls = 0;
  for (int n = 0; n < TILES_NUM_MAP; ++n)
    if (tiledata.is_valid_tile(n) && tiledata.is_wall(n)) ++walls;
  EXPECT_GT(walls, 0);

  ASSERT_GT(spells.get_num_spells(), 0);
  int words = 0;
  for (int i = 0; i < spells.get_num_spells(); ++i) {
    if (spells.get_spell_str(i).empty()) continue;  // unused id
    SCOPED_TRACE(spells.get_spell_str(i));
    EXPECT_GE(spells.get_skill(i), 0);
    EXPECT_EQ(spells.get_spell_id(spells.get_spell_str(i)), i);
    bool someone = false;
    for (int c = 0; c < sc.max_classes(); ++c) someone = someone || spells.class_can_use(i, c);
    EXPECT_TRUE(someone);
    for (uint16_t c : spells.get_record(i)->class_list) EXPECT_NE(c, 65535);
    if (spells.uses_words(i)) ++words;
    EXPECT_NE(spells.get_full_spell_name(i), "");
    int chance = spells.get_success_chance(i, 20.0f);
    EXPECT_TRUE(chance >= 0 && chance <= 99);
  }
  EXPECT_GT(words, 0);
  bool staff = false;
  for (int s = 0; s < sc.max_skills(); ++s) staff = staff || spells.is_staff_school(s);
  EXPECT_TRUE(staff);

  for (const auto& [id, b] : buffs.defs) {
    EXPECT_NE(b.name, "");
    EXPECT_NE(buffs.get_effect_text(id), "");
  }

  ASSERT_FALSE(crops.defs.empty());
  for (const auto& [id, c] : crops.defs) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(tiledata.is_valid_object_tile(c.product.get_base_code()));
    for (const Item& stage : c.stage_items) EXPECT_TRUE(tiledata.is_valid_object_tile(stage.get_base_code()));
    Item seed;
    crops.get_seed_for(c.product, seed);
    EXPECT_TRUE(tiledata.is_valid_object_tile(seed.get_base_code()));
  }
  for (int code : {CROPS_STAGE0_ITEM, CROPS_STAGE1_ITEM})
    EXPECT_TRUE(tiledata.is_valid_object_tile(code));

  // The item records the rules name have data; weapon skills and class
  // masks name real skills and classes.
  for (int base : {256, 264, 266, 271, 286, 295, 320, 324, 344, 350, 366, 372, 377, 1085, 1112, 1295,
                   1309, 1333, 1334, 1349, 1353, 1354, 1409, 1410, 1411, 1412, 1458, 1459, 1460, 1461,
                   1462, 1467, 1487, 1494, 2058, 2059, 2065, 2080}) {
    EXPECT_NE(wl.get_record(base), nullptr) << base;
  }
  int artifacts = 0, lesser = 0;
  for (int b = 0; b < ITEM_NUM_CODES; ++b) {
    const ItemRecord* r = wl.get_record(b);
    if (!r) continue;
    if (r->type == ITEM_WEAPON) {
      EXPECT_GE(r->weapon_skill, 0) << b;
    }
    bool any = r->all_classes;
    for (int c = 0; c < sc.max_classes(); ++c) any = any || wl.check_class(Item(static_cast<long>(b)), c);
    EXPECT_TRUE(any) << b;
    if (b < ITEM_ARTIFACT_FIRST || b > ITEM_ARTIFACT_LAST) continue;
    ++artifacts;
    if (b >= ITEM_LESSER_ARTIFACT_FIRST) ++lesser;
    EXPECT_GT(r->rarity, 0) << b;
    EXPECT_FALSE(r->effect_kinds.empty()) << b;
  }
  EXPECT_GE(artifacts, 4);
  EXPECT_GE(lesser, 2);
  EXPECT_FALSE(wl.get_cards().empty());
  EXPECT_FALSE(wl.mob_names.empty());
  for (int m = 1; m <= 20; ++m) EXPECT_NE(wl.material_name(MATNAME_GENERAL, m), "") << m;
  for (int p = 1; p <= 12; ++p) EXPECT_NE(wl.get_prefix_name(p * 16), "") << p;
  EXPECT_FALSE(wl.random_equipment() == -1);
  EXPECT_FALSE(wl.random_jewelry() == -1);
  EXPECT_TRUE(wl.random_artifact().is_artifact());
  EXPECT_FALSE(wl.random_merchant_item('w') == 0);

  ASSERT_FALSE(mounts.defs.empty());
  for (const auto& [id, m] : mounts.defs) {
    EXPECT_NE(mounts.get_tile(id, 1), 0);
    EXPECT_NE(mounts.get_tile(id, 5), 0);
    EXPECT_GT(mounts.get_delay(id), 0);
  }
  EXPECT_FALSE(mounts.get_sound_names().empty());
}

}  // namespace
