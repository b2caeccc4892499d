// The script API seen from Lua: every class through its global object with
// the sample world loaded, the boundary checks and their error texts, the
// overloads, the boxed types, item ownership and the checked setters.
// Each row is a Lua chunk and what its first result prints as.

#include "script/script_api.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/globals.h"
#include "lualib.h"
#include "support/temp_dir.h"

namespace {

struct Row {
  const char* code;
  // The result as text; "error: X" expects an error whose message starts
  // with X.
  const char* expected;
};

int deleted_items = 0;
// Items made with Item:new, which nothing frees; the test frees them.
std::vector<Item*> kept_items;

int remember_item(lua_State* L) {
  kept_items.push_back(static_cast<Item*>(tolua_tousertype(L, 1, nullptr)));
  return 0;
}

// Counts the items the collector deletes, then lets the real collector run.
int counting_collector(lua_State* L) {
  ++deleted_items;
  lua_pushvalue(L, lua_upvalueindex(1));
  lua_pushvalue(L, 1);
  lua_call(L, 1, 0);
  return 0;
}

class ScriptApi : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::make_unique<TempDir>();
    TempDir::copy_gamedata("dat");
    common_cfg = ConfigFile("dat/common.cfg");
    common_cfg.load();
    sc.load();
    tiledata.load();
    spells.load();
    wl.reload();
    buffs.load();
    me.reset();
    items.clear();
    cmap.set_size(12, 10, false);
    gc_interface_mode = MODE_NORMAL;
    world_time = 540;
    L = luaL_newstate();
    luaL_openlibs(L);
    script_api::open(L);
    install_counting_collector();
    deleted_items = 0;
  }
  void TearDown() override {
    lua_close(L);
    me.reset();
    items.clear();
    dir_.reset();
  }

  void install_counting_collector() {
    luaL_getmetatable(L, "Item");
    lua_pushstring(L, ".collector");
    lua_pushstring(L, ".collector");
    lua_rawget(L, -3);
    lua_pushcclosure(L, counting_collector, 1);
    lua_rawset(L, -3);
    lua_pop(L, 1);
  }

  // Runs a chunk and prints its first result.
  std::string run(const std::string& code) {
    int top = lua_gettop(L);
    if (luaL_loadstring(L, code.c_str()) != 0 || lua_pcall(L, 0, 1, 0) != 0) {
      std::string msg = lua_tostring(L, -1) ? lua_tostring(L, -1) : "?";
      // Drop the chunk's position that Lua puts before the message.
      size_t at = msg.find("\"]:");
      if (msg.rfind("[string", 0) == 0 && at != std::string::npos) {
        size_t colon = msg.find(": ", at + 3);
        if (colon != std::string::npos) msg = msg.substr(colon + 2);
      }
      lua_settop(L, top);
      return "error: " + msg;
    }
    std::string out;
    if (lua_isnil(L, -1))
      out = "nil";
    else if (lua_isboolean(L, -1))
      out = lua_toboolean(L, -1) ? "true" : "false";
    else if (lua_isstring(L, -1))
      out = lua_tostring(L, -1);
    else
      out = luaL_typename(L, -1);
    lua_settop(L, top);
    return out;
  }

  void check(const std::vector<Row>& rows) {
    for (const Row& r : rows) {
      std::string got = run(r.code);
      std::string want = r.expected;
      if (want.rfind("error: ", 0) == 0)
        EXPECT_EQ(got.substr(0, want.size()), want) << r.code;
      else
        EXPECT_EQ(got, want) << r.code;
    }
  }

  lua_State* L = nullptr;
  std::unique_ptr<TempDir> dir_;
};

TEST_F(ScriptApi, ConstantsSpotChecks) {
  check({
      {"return NORMAL", "0"},
      {"return QYXMENU", "35"},
      {"return MAP", "42"},
      {"return SELECT_READY", "0"},
      {"return SELECT_VIEW_BANK", "8"},
      {"return ITEM_INVALID", "0"},
      {"return ITEM_WEAPON", "87"},
      {"return ITEM_SIGIL", "83"},
      {"return W_BOWS", "98"},
      {"return A_UNARMOURED", "117"},
      {"return WD_GUN", "103"},
      {"return HN_POISONED", "0"},
      {"return HN_HEALTH", "40"},
      {"return HN_TIPSY", "55"},
      {"return MAXHEALTHNUMS", "63"},
      {"return MAT_BARBED", "20"},
      {"return MAT_LAST", "256"},
      {"return MP_MISC", "15"},
      {"return MP_LAST", "16"},
      {"return OPT_MUSIC", "1"},
      {"return OPT_INV_START_WITH_SEARCH", "20"},
      {"return OPT_MAX_OPTS", "33"},
  });
}

TEST_F(ScriptApi, GlobalVariables) {
  PERMADEATH = true;
  PLAYER_LEVELS = false;
  STAT_VALUE = 1.5f;
  moon_phase = 3;
  check({
      {"return PERMADEATH", "true"},
      {"return PLAYER_LEVELS", "false"},
      {"return STAT_VALUE", "1.5"},
      {"return world_time", "540"},
      {"return moon_phase", "3"},
      {"return gc_interface_mode == NORMAL", "true"},
      {"return tolua.type(wl)", "ItemData"},
      {"return tolua.type(spells)", "Spells"},
      {"return tolua.type(sc)", "SkillsClasses"},
      {"return tolua.type(tiledata)", "Tiles"},
      {"return tolua.type(d)", "Display"},
      {"return tolua.type(me)", "Player"},
      {"return tolua.type(cmap)", "CMap"},
      {"return tolua.type(items)", "ItemList"},
      {"return tolua.type(options)", "Options"},
  });
  PERMADEATH = false;
  STAT_VALUE = 1.0f;
}

TEST_F(ScriptApi, ObjectVariablesAcceptOnlyThemselves) {
  me.name = "Tam";
  check({
      {"me = me; return me.name", "Tam"},
      {"items = items; cmap = cmap; d = d; options = options; return 1", "1"},
      {"wl = wl; spells = spells; sc = sc; tiledata = tiledata; return 1", "1"},
      {"me = 5", "error: invalid type in variable assignment."},
      {"items = nil", "error: invalid type in variable assignment."},
      {"cmap = me", "error: invalid type in variable assignment."},
      {"d = Item(3)", "error: invalid type in variable assignment."},
      {"return tolua.type(me) .. tolua.type(cmap)", "PlayerCMap"},
  });
}

TEST_F(ScriptApi, StringFunctions) {
  check({
      {"return trim2(' \\t x y \\r\\n')", "x y"},
      {"return trim2('\"q\"', true)", "q"},
      {"return trim2('\"q\"')", "\"q\""},
      {"return add_us2('a b c')", "a_b_c"},
      {"return rm_us2('a_b')", "a b"},
      {"return to_lower('AbC')", "abc"},
      {"return to_upper('AbC')", "ABC"},
      {"return capitalise_first_letter('tam')", "Tam"},
      {"return strip_clan_tag('Tam[Reed]')", "Tam"},
      {"return strip_clan_tag('Tam')", "Tam"},
      {"return is_alphanumeric('')", "true"},
      {"return is_alphanumeric('a-1')", "false"},
      {"return trim2({})", "error: error in function 'trim2'."},
      {"return trim2()", "error: error in function 'trim2'."},
      {"return to_lower('a', 'b')", "error: error in function 'to_lower'."},
  });
}

TEST_F(ScriptApi, CreatureFieldsAndReferences) {
  me.name = "Tam";
  me.lvl = 7;
  me.xp = 5000000000LL;
  me.gender = 'F';
  me.clan = "Reed";
  me.hp = 31;
  me.weapon = Item(0x181L);
  check({
      {"return me.name", "Tam"},
      {"return me.lvl", "7"},
      {"return me.xp", "5000000000"},
      {"return me.gender", "70"},
      {"return me.clan", "Reed"},
      {"return me.hp", "31"},
      {"w = me.weapon; return w:intVal()", "385"},
  });
  me.weapon = Item(0x182L);
  check({{"return w:intVal()", "386"}});
}

TEST_F(ScriptApi, CreatureMethods) {
  me.health[HN_POISONED] = 4;
  me.add_spell(1);
  me.add_buff(2, 10);
  me.skills[1] = 12.0f;
  me.skill_bonuses[1] = 3.0f;
  me.light = 6;
  me.ring1 = make_code(0x1b8, 0, MP_STR_BONUS, 0);
  std::string kindle = spells.get_spell_str(1);
  check({
      {"return me:check_mag_prop(MP_STR_BONUS)", "1"},
      {"return me:check_mag_prop(MP_DEX_BONUS)", "0"},
      {"return me:get_health(HN_POISONED)", "4"},
      {"return me:get_health(62)", "0"},
      {"return me:has_spell(1)", "true"},
      {"return me:has_spell(2)", "false"},
      {("return me:has_spell('" + kindle + "')").c_str(), "true"},
      {"return me:has_spell('no such spell')", "false"},
      {"return me:has_spell(true)", "error: error in function 'has_spell'."},
      {"return me:has_spell()", "error: error in function 'has_spell'."},
      {"return me:has_buff(2)", "true"},
      {"return me:has_buff(1)", "false"},
      {"return me:get_raw_skill(1)", "12"},
      {"return me:get_skill(1)", "15"},
      {"return me:get_num_spells()", "1"},
      {"return me:get_torch()", "6"},
      {"return tolua.type(me:get_align())", "alignment_type"},
      {"return me:is_full()", "false"},
      {"return Sentient.get_health(me, HN_POISONED)", "4"},
      {"return me.get_sight(nil)", "error: invalid 'self' in function 'get_sight'"},
  });
}

TEST_F(ScriptApi, IndexArgumentsAreRangeChecked) {
  check({
      {"return me:get_health(63)", "error: bad argument #1 to 'get_health' (health state 63 outside 0 to 62)"},
      {"return me:get_health(-1)", "error: bad argument #1 to 'get_health' (health state -1 outside"},
      {"return me:get_health(1e300)", "error: bad argument #1 to 'get_health' (number out of range)"},
      {"return me:get_health(0/0)", "error: bad argument #1 to 'get_health' (number out of range)"},
      {"return me:get_skill(sc:max_skills())", "error: bad argument #1 to 'get_skill' (skill 12 outside 0 to 11)"},
      {"return me:get_raw_skill(-5)", "error: bad argument #1 to 'get_raw_skill' (skill -5"},
      {"return me:has_buff(99)", "error: bad argument #1 to 'has_buff' (buff 99 not in the buff table)"},
      {"return cmap:tile_is_opaque(2560)", "error: bad argument #1 to 'tile_is_opaque' (tile 2560 outside 0 to 2559)"},
      {"return tiledata:is_water(-1)", "error: bad argument #1 to 'is_water' (tile -1"},
      {"return tiledata:get_desc(4000)", "error: bad argument #1 to 'get_desc' (tile 4000"},
      {"return spells:get_req(999)", "error: bad argument #1 to 'get_req' (spell 999"},
      {"return spells:get_item(-1)", "error: bad argument #1 to 'get_item' (spell -1"},
      {"return spells:class_can_use(1, 9)", "error: bad argument #2 to 'class_can_use' (class 9 outside 0 to 4)"},
      {"return sc:get_classname(5)", "error: bad argument #1 to 'get_classname' (class 5 outside 0 to 4)"},
      {"return sc:get_racename(4)", "error: bad argument #1 to 'get_racename' (race 4 outside 0 to 3)"},
      {"return sc:class_can_use_skill(0, 40)", "error: bad argument #2 to 'class_can_use_skill' (skill 40"},
      {"return sc:race_can_be_class(-1, 0)", "error: bad argument #1 to 'race_can_be_class' (race -1"},
      {"return cmap:get_tile(2^31, 0)", "error: bad argument #1 to 'get_tile' (number out of range)"},
      {"return wl:req_level_skill(1, -2^40)", "error: bad argument #2 to 'req_level_skill' (number out of range)"},
      {"return me:is_encumbered(1e39)", "error: bad argument #1 to 'is_encumbered' (number out of range)"},
      {"return Item(2^63)", "error: bad argument #1 to 'Item' (number out of range)"},
      {"return Item(1e300)", "error: bad argument #1 to 'Item' (number out of range)"},
      {"return Item:new(1e300)", "error: bad argument #1 to 'new' (number out of range)"},
  });
}

TEST_F(ScriptApi, DocumentedAnswersOutsideTheTables) {
  check({
      {"return spells:get_spell_str(-1)", "invalid"},
      {"return spells:is_valid_id(999)", "false"},
      {"return tiledata:is_opaque(2560)", "0"},
      {"return tiledata:is_opaque(-3)", "0"},
      {"return sc:get_class_nr(353)", "-1"},
      {"return sc:get_class_nr(-7)", "-1"},
      {"return spells:get_spell_id('')", "-1"},
      {"return spells:get_spell_id('Nothing')", "-1"},
  });
}

TEST_F(ScriptApi, HotkeyArrays) {
  me.item_binds[59] = Item(0x182L);
  check({
      {"return me.item_binds[0]:intVal()", "0"},
      {"return me.item_binds[59]:intVal()", "386"},
      {"return me.item_binds[60]", "error: array indexing out of range."},
      {"return me.spell_binds[-1]", "error: array indexing out of range."},
      {"return me.item_binds[1e300]", "error: array indexing out of range."},
      {"return me.item_binds[0/0]", "error: array indexing out of range."},
      {"return me.spell_binds['x']", "error: invalid type in array indexing."},
      {"me.item_binds[3] = Item(0x181); return me.item_binds[3]:intVal()", "385"},
      {"me.item_binds[3] = 5", "error: invalid type in array element assignment."},
      {"me.item_binds[3] = nil", "error: invalid type in array element assignment."},
      {"me.item_binds[3] = me", "error: invalid type in array element assignment."},
      {"me.item_binds[60] = Item(1)", "error: array indexing out of range."},
      {"me.spell_binds[2] = 7.9; return me.spell_binds[2]", "7"},
      {"me.spell_binds[2] = -7.9; return me.spell_binds[2]", "-7"},
      {"me.spell_binds[2] = 1e20", "error: bad argument"},
      {"me.spell_binds[2] = {}", "error: invalid type in array element assignment."},
      {"b = me.item_binds[4]; return b:intVal()", "0"},
  });
  EXPECT_EQ(me.item_binds[3].code, 0x181);
  EXPECT_EQ(me.spell_binds[2], -7);
  me.item_binds[4] = Item(0x184L);
  check({{"return b:intVal()", "388"}});
}

TEST_F(ScriptApi, BoxedTypes) {
  check({
      {"return sc:get_stat_name(sc:get_stat_num('dexterity'))", "dexterity"},
      {"return sc:get_stat_key(sc:get_stat_num('dexterity'))", "100"},
      {"return sc:get_stat_name(sc:get_governing_stat(1))", "strength"},
      {"return sc:get_stat_name(2)", "error: error in function 'get_stat_name'."},
      {"return sc:get_stat_name(me:get_align())", "error: error in function 'get_stat_name'."},
      {"return sc:get_stat_name(nil)", "error: error in function 'get_stat_name'."},
      {"return tolua.type(sc:get_mana_type(0))", "mana_type"},
      {"return tolua.type(cmap:get_type())", "MAPTYPE"},
      {"return me:has_buff_effect(cmap:get_type())", "error: error in function 'has_buff_effect'."},
      {"return me:get_resistance(0)", "error: error in function 'get_resistance'."},
      {"return me:can_ready(Item(0x181), 0)", "error: error in function 'can_ready'."},
      {"return me:get_req_ready_str(Item(0x181), me:get_align())", "error: error in function 'get_req_ready_str'."},
  });
}

TEST_F(ScriptApi, MapMethods) {
  cmap.set_tile(1, 1, 64);
  cmap.set_tile(2, 1, 94);
  cmap.set_tile(3, 1, 249);
  cmap.set_tile(4, 1, 35);
  check({
      {"return cmap:get_max_x() .. 'x' .. cmap:get_max_y()", "12x10"},
      {"return cmap:get_tile(1, 1)", "64"},
      {"return cmap:is_forest(1, 1)", "true"},
      {"return cmap:is_mountain(2, 1)", "true"},
      {"return cmap:is_deep_water(3, 1)", "true"},
      {"return cmap:is_lava(3, 1)", "false"},
      {"return cmap:tile_is_opaque(35)", "1"},
      {"return cmap:tile_is_opaque(32)", "0"},
      {"return cmap:can_see_with_LOS(0, 0, 1, 0, 5)", "true"},
      {"return cmap:can_see_with_LOS(0, 0, 1, 0)", "error: error in function 'can_see_with_LOS'."},
      {"return cmap:get_tile(1)", "error: error in function 'get_tile'."},
  });
}

TEST_F(ScriptApi, TablesAndOverloads) {
  // A spell whose every field differs from the same field of Kindle (1), so
  // that a wrapper reading the wrong field shows.
  TempDir::write("dat/spells.txt", TempDir::read("dat/spells.txt") +
                                       "c\tzz\tTest bolt\tsp_test_bolt\tKindle\t4\t2\tm\tm\tNecromancy\t0\t"
                                       "17\t2500\tautotarget\ty\t181\t3d5\tbolt.wav\t9\tn\t\t\"x\"\n");
  ASSERT_EQ(spells.load(), 0);
  const struct {
    const char* method;
    const char *bolt, *kindle;
  } wrappers[] = {
      {"get_req", "Kindle", ""},
      {"get_skill", "8", "6"},
      {"get_lvl", "4", "1"},
      {"get_circle", "2", "1"},
      {"get_wav_name", "sound/bolt.wav", "sound/sp_if.wav"},
      {"is_directional", "false", "true"},
      {"is_autotargeting", "true", "false"},
      {"req_targ", "true", "false"},
      {"get_mana_req", "17", "5"},
      {"get_cooloff", "2500", "1000"},
      {"get_parameters", "3d5", "2d4"},
      {"get_effect_nr", "9", "1"},
  };
  for (const auto& w : wrappers) {
    EXPECT_EQ(run(std::string("return spells:") + w.method + "(12)"), w.bolt) << w.method;
    EXPECT_EQ(run(std::string("return spells:") + w.method + "(1)"), w.kindle) << w.method;
  }
  std::string kindle = spells.get_spell_str(1);
  check({
      // Steady aim is of level 1 and circle 0.
      {"return spells:get_circle(6)", "0"},
      {"return spells:get_lvl(6)", "1"},
      {("return spells:get_spell_id('" + kindle + "')").c_str(), "1"},
      {"return spells:get_full_spell_name(1) == spells:get_full_spell_name(spells:get_spell_str(1))", "true"},
      {"return spells:get_full_spell_name(true)", "error: error in function 'get_full_spell_name'."},
      {"return spells:get_spell_func_name(1)", "sp_kindle"},
      {"return spells:get_lvl(1)", "1"},
      {"return tolua.type(spells:get_item(1))", "Item"},
      {"return spells:class_can_use(1, sc:get_class_nr('Mage'))", "true"},
      {"return spells:class_can_use(1, sc:get_class_nr('Warden'))", "false"},
      {"return sc:get_classname(0)", "Warden"},
      {"return sc:get_short_classname(0)", "119"},
      {"return sc:get_class_nr('Scout')", "1"},
      {"return sc:get_class_nr(115)", "1"},
      {"return sc:get_class_nr('115')", "1"},
      {"return sc:get_class_nr('nobody')", "-1"},
      {"return sc:get_mana_type_string(0)", "rage"},
      {"return sc:max_classes() .. sc:max_races() .. sc:max_skills()", "5412"},
      {"return sc:get_skillname(sc:get_skill_nr('Bows'))", "Bows"},
      {"return sc:race_can_be_class(3, 0)", "true"},
      {"return sc:race_can_be_class(3, 1)", "false"},
      {"return tiledata:is_blocking(35)", "true"},
      {"return tiledata:is_shore(68) and tiledata:is_blocking_shore(68)", "true"},
      {"return tiledata:is_shore(44)", "true"},
      {"return tiledata:is_blocking_shore(44)", "false"},
      {"return tiledata:is_water(249)", "true"},
      {"return tiledata:is_void(225)", "true"},
      {"return tiledata:is_opaque(35)", "1"},
  });
}

TEST_F(ScriptApi, InventoryAndItemTable) {
  items.add(Item(0x181L), 3, 1, false);
  items.add(Item(0x184L), 2, 1, false);
  check({
      {"return items:get_qty(Item(0x181))", "3"},
      {"return items:get_qty(Item(0x182))", "0"},
      {"return items:get_qty_basecode(0x184)", "2"},
      {"return items:total_weight()", "18"},
      {"return items:get_qty(nil)", "error: error in function 'get_qty'."},
      {"return wl:get_type(Item(0x181)) == ITEM_WEAPON", "true"},
      {"return wl:get_weapon_type(Item(0x182)) == W_BOWS", "true"},
      {"return wl:is_weapon(Item(0x181))", "true"},
      {"return wl:is_artifact(Item(1536))", "true"},
      {"return wl:is_artifact(Item(1535))", "false"},
      {"return wl:is_artifact(Item(2048))", "false"},
      {"return wl:is_lesser_artifact(Item(1791))", "false"},
      {"return wl:is_lesser_artifact(Item(1792))", "true"},
      {"return wl:get_med_name(Item(0x181))", "error: error in function 'get_med_name'."},
      {"return wl:get_full_name(Item(0x181)) == wl:get_full_name(Item(0x181), false)", "true"},
      {"return wl:is_stackable(Item(0x181))", "true"},
      {"return tolua.type(wl:get_parent_code(Item(0x181)))", "Item"},
      {"return wl:get_ac(Item(0x181)) >= 0", "true"},
      {"return wl:get_name(5)", "error: error in function 'get_name'."},
  });
}

TEST_F(ScriptApi, ItemValues) {
  check({
      {"return Item(5) == Item(5)", "true"},
      {"return Item(5) == Item(6)", "false"},
      {"return Item(5) == 5", "false"},
      {"return Item['.eq'](Item(5), 5)", "error: error in function '.eq'."},
      {"return Item(5):intVal()", "5"},
      {"return Item:new_local(7):intVal()", "7"},
      {"return Item(Item(9)):intVal()", "9"},
      {"return Item():intVal()", "0"},
      {"return Item(-1):intVal()", "-1"},
      {"return Item(2^40 + 3):intVal()", "1099511627779"},
      {"return Item(7.9):intVal()", "7"},
      {"return Item('x')", "error: error in function 'new'."},
      {"return get_base_code(make_code(5, 0, 0, 0))", "5"},
      {"return get_material(make_code(5, 3, 0, 0))", "3"},
      {"return get_to_mod(make_code(5, 0, 2, 0))", "2"},
      {"return is_blessed(Item(5))", "false"},
      {"return get_base_code(5)", "error: error in function 'get_base_code'."},
  });
}

TEST_F(ScriptApi, CollectedAndKeptItems) {
  lua_register(L, "remember_item", remember_item);
  run("local real = Item.new "
      "Item.new = function(...) local i = real(...) remember_item(i) return i end");
  struct {
    const char* make;
    int deleted;
  } cases[] = {
      {"for i = 1, 10 do local x = Item(i) end", 10},
      {"for i = 1, 10 do local x = Item:new_local(i) end", 10},
      {"for i = 1, 4 do local x = make_code(i, 0, 0, 0) end", 4},
      {"for i = 1, 4 do local x = wl:get_parent_code(Item(0x181)) end", 8},
      {"kept = {} for i = 1, 5 do kept[i] = Item:new(i) end kept = nil", 0},
      {"local x = me.weapon; x = nil", 0},
  };
  for (const auto& c : cases) {
    deleted_items = 0;
    // The kept items are reached again through this weak table to free them.
    EXPECT_EQ(run(c.make), "nil") << c.make;
    run("collectgarbage() collectgarbage()");
    EXPECT_EQ(deleted_items, c.deleted) << c.make;
  }
  EXPECT_EQ(kept_items.size(), 5u);
  for (Item* i : kept_items) delete i;
  kept_items.clear();
}

TEST_F(ScriptApi, ReadOnlyValuesRefuseAssignment) {
  world_time = 600;
  gc_interface_mode = MODE_NORMAL;
  me.lvl = 4;
  me.name = "Tam";
  check({
      {"world_time = 1", "error: read-only variable 'world_time'"},
      {"return world_time", "600"},
      {"gc_interface_mode = USE; return gc_interface_mode", "error: read-only variable"},
      {"PERMADEATH = true", "error: read-only variable 'PERMADEATH'"},
      {"me.lvl = 3", "error: read-only variable 'lvl'"},
      {"me.name = 'X'", "error: read-only variable 'name'"},
      {"me.item_binds = {}", "error: read-only variable 'item_binds'"},
      {"return me.lvl .. me.name", "4Tam"},
      {"me.my_note = 'ok'; return me.my_note", "ok"},
      {"my_global = 2; return my_global", "2"},
  });
  EXPECT_EQ(world_time, 600);
  EXPECT_EQ(me.lvl, 4);
}

// Numbers that an int holds but no table or map has: the program's own
// bounds answer them (run under the sanitizers, any read past an array shows).
TEST_F(ScriptApi, ExtremeArgumentsWithinIntRange) {
  check({
      {"return cmap:get_tile(-2147483648, 2147483647)", "32"},
      {"return cmap:is_wet(2147483647, -2147483648)", "false"},
      {"return cmap:will_drown(-2147483648, -2147483648)", "false"},
      {"return type(cmap:can_see_with_LOS(0, 0, 2147483647, 0, 2147483647, true))", "boolean"},
      {"return type(cmap:can_see_with_LOS(-2147483648, 0, 5, 5, -1))", "boolean"},
      {"return type(wl:get_full_name(Item(-1)))", "string"},
      {"return type(wl:get_price(Item(4095)))", "number"},
      {"return tolua.type(wl:get_ammo_type(Item(2^62)))", "Item"},
      {"return wl:check_class(Item(0x181), 2147483647)", "true"},
      {"return type(wl:get_effect(Item(1536), -2147483648))", "boolean"},
      {"return type(wl:req_level_skill(6, 2147483647))", "number"},
      {"return type(me:get_magic_modifier(-2147483648))", "number"},
      {"return type(me:check_mag_prop(2147483647))", "number"},
      {"return spells:get_spell_str(2147483647)", "invalid"},
      {"return type(sc:get_stat_name(sc:get_stat_num('nothing')))", "string"},
      {"return items:get_qty_basecode(-2147483648)", "0"},
      {"return type(make_code(2147483647, -2147483648, 2147483647, -1))", "userdata"},
  });
}

}  // namespace

namespace {

// Opens a one-entry list on the display, as a list message would.
void open_list_of(ItemList& list, const Item& item) {
  list.clear();
  list.add(item, 1, 0, false);
  d.list_input(&list, '!', SELECT_NORMAL, false);
}

}  // namespace

TEST_F(ScriptApi, DisplayMembers) {
  const int saved_x = res_x, saved_y = res_y;
  res_x = 800;
  res_y = 600;
  d.compute_layout();
  d.curr_display = 0;
  d.list_state.kind = SELECT_VIEW_INV;
  const bool saved_entered = level_entered;
  level_entered = false;
  check({
      {"return d:auxbox_get_height()", "14"},  // (600 - 454) / 10
      {"return d:auxbox_get_width()", "27"},   // (232 - 9) / 8
      {"return d:auxbox_set_line(2, 'hp 5')", "hp 5"},
      {"return d:auxbox_set_line(14, 'lost')", "lost"},
      {"return d:get_curr_display()", "0"},
      {"return d:get_statbox_mode() == SELECT_VIEW_INV", "true"},
      {"return d:ok_to_draw_play_window()", "false"},
      {"return d:numlock()", "false"},
      {"return d.auxbox_set_line(nil, 1, 'x')", "error: "},
  });
  ASSERT_EQ(d.auxbox_lines.size(), 14u);
  EXPECT_EQ(d.auxbox_lines[2], "hp 5");
  EXPECT_EQ(d.auxbox_lines[13], "");
  run("d:auxbox_clear()");
  EXPECT_EQ(d.auxbox_lines[2], "");
  d.curr_display = 1;
  EXPECT_EQ(run("return d:get_curr_display()"), "1");
  d.curr_display = 0;
  level_entered = saved_entered;
  res_x = saved_x;
  res_y = saved_y;
  d.compute_layout();
}

TEST_F(ScriptApi, DamageTotals) {
  const DamageHistory saved = damage_history;
  damage_history.dealt = 123;
  damage_history.taken = 45;
  check({
      {"return g_dpst", "123"},
      {"return g_dtpst", "45"},
      {"g_dpst = 1", "error: read-only variable 'g_dpst'"},
  });
  damage_history = saved;
}

// The highlighted entry of the open list; unidentified items are given only
// as their base type, artifacts as their parent type.
TEST_F(ScriptApi, HighlightedItem) {
  const char* code = "local i = get_highlighted_item():intVal() return (i % 4096) .. ' ' .. tostring(i >= 2147483648)";
  ItemList list;
  const struct {
    const char* what;
    long item;
    bool open;
    const char* expected;
  } cases[] = {
      {"no list open", 0x3181, false, "0 false"},
      {"identified, kept whole", 0x3181, true, "385 false"},
      {"unidentified, base type only", 0x3181 | ITEM_BIT_UNIDENTIFIED, true, "385 true"},
      {"unidentified artifact, its parent", 0x600 | ITEM_BIT_UNIDENTIFIED, true, "395 true"},
  };
  for (const auto& c : cases) {
    d.curr_display = 0;
    if (c.open) open_list_of(list, Item(c.item));
    EXPECT_EQ(run(code), c.expected) << c.what;
  }
  EXPECT_EQ(run("local i = get_highlighted_item() return tolua.type(i)"), "Item");
  d.curr_display = 0;
  d.list_shown = nullptr;
}
