#include "script/script_api.h"

#include "core/utils.h"
#include "script/tolua_client.h"  // generated from client.pkg

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>

namespace {

template <typename T>
int collect_box(lua_State* L) {
  delete static_cast<T*>(tolua_tousertype(L, 1, nullptr));
  return 0;
}

// tolua++ looks for a type's collector under ".collector" in its metatable.
void set_collector(lua_State* L, const char* type, lua_CFunction collector) {
  luaL_getmetatable(L, type);
  if (lua_istable(L, -1)) {
    lua_pushstring(L, ".collector");
    lua_pushcfunction(L, collector);
    lua_rawset(L, -3);
  }
  lua_pop(L, 1);
}

// tolua++ lets an assignment to a value without a setter through: a global
// is shadowed by a script global of the same name and a field by one stored
// beside the object, so every script would read the assigned value from then
// on. Assignments to the read-only variables and fields are refused instead.
const char* const READ_ONLY_GUARD = R"lua(
local rawget, rawset, getmetatable, error, tostring = rawget, rawset, getmetatable, error, tostring
local function read_only(mt, key)
  while mt do
    local get = rawget(mt, ".get")
    if get and rawget(get, key) then
      local set = rawget(mt, ".set")
      return not (set and rawget(set, key))
    end
    mt = getmetatable(mt)
  end
  return false
end
-- The global module keeps its accessor tables in itself, a class in the
-- metatable of its objects.
local function guard(mt, accessors)
  local old = rawget(mt, "__newindex")
  rawset(mt, "__newindex", function(t, k, v)
    if read_only(accessors(t), k) then
      error("read-only variable '" .. tostring(k) .. "'", 2)
    end
    return old(t, k, v)
  end)
end
guard(getmetatable(_G), function(t) return t end)
for _, class in ipairs{...} do guard(_G[class], getmetatable) end
)lua";

const char* const GUARDED_CLASSES[] = {"Display", "Sentient", "Player", "CMap", "Spells",
                                       "SkillsClasses", "Tiles", "ItemList", "ItemData",
                                       "Item", "Options"};

}  // namespace

namespace script_api {

void open(lua_State* L) {
  tolua_client_open(L);
  set_collector(L, "MAPTYPE", collect_box<script_MAPTYPE>);
  set_collector(L, "magic_types", collect_box<script_magic_types>);
  set_collector(L, "slots", collect_box<script_slots>);
  set_collector(L, "stat_num", collect_box<script_stat_num>);
  set_collector(L, "alignment_type", collect_box<script_alignment_type>);
  set_collector(L, "mana_type", collect_box<script_mana_type>);
  set_collector(L, "BuffType", collect_box<script_BuffType>);
  if (luaL_loadstring(L, READ_ONLY_GUARD) != 0) {
    lua_pop(L, 1);
    return;
  }
  for (const char* c : GUARDED_CLASSES) lua_pushstring(L, c);
  if (lua_pcall(L, static_cast<int>(std::size(GUARDED_CLASSES)), 0, 0) != 0) lua_pop(L, 1);
}

namespace {

// Whether the function on top of the stack runs as the constructor of the
// class given as argument 1 (its ".call"), as Item(...) runs it; the class's
// global name then goes to `out`.
bool called_as_class(lua_State* L, char* out, size_t size) {
  if (!lua_istable(L, 1)) return false;
  lua_pushstring(L, ".call");
  lua_rawget(L, 1);
  const bool constructor = lua_rawequal(L, -1, -2) != 0;
  lua_pop(L, 1);
  if (!constructor) return false;
  lua_pushnil(L);
  while (lua_next(L, LUA_GLOBALSINDEX) != 0) {
    if (lua_type(L, -2) == LUA_TSTRING && lua_rawequal(L, -1, 1)) {
      std::snprintf(out, size, "%s", lua_tostring(L, -2));
      lua_pop(L, 2);
      return true;
    }
    lua_pop(L, 1);
  }
  return false;
}

}  // namespace

void arg_error(lua_State* L, int narg, const char* text) {
  // Lua knows no name for a constructor that a class's call event runs:
  // name the class, and count the arguments as the script wrote them (the
  // class itself came first).
  lua_Debug ar;
  char cls[64];
  if (narg > 1 && lua_getstack(L, 0, &ar) && lua_getinfo(L, "nf", &ar) && ar.name == nullptr &&
      called_as_class(L, cls, sizeof cls))
    luaL_error(L, "bad argument #%d to '%s' (%s)", narg - 1, cls, text);
  luaL_argerror(L, narg, text);
  // luaL_argerror does not come back; this keeps the compiler sure of it.
  std::abort();
}

int array_index(lua_State* L, int narg) {
  // Numbers past the int range stay out of range; not-a-number is too.
  return bounded_int<int>(tolua_tonumber(L, narg, 0), -1);
}

int checked_index(lua_State* L, int narg, int value, int count, const char* what) {
  if (value >= 0 && value < count) return value;
  char text[96];
  if (count > 0)
    snprintf(text, sizeof text, "%s %d outside 0 to %d", what, value, count - 1);
  else
    snprintf(text, sizeof text, "%s %d outside an empty table", what, value);
  arg_error(L, narg, text);
}

}  // namespace script_api

namespace {

using script_api::checked_index;

int health_arg(lua_State* L, int n) { return checked_index(L, 2, n, MAXHEALTHNUMS, "health state"); }
int skill_arg(lua_State* L, int narg, int s) {
  return checked_index(L, narg, s, sc.max_skills(), "skill");
}
int player_skill_arg(lua_State* L, int s) {
  return checked_index(L, 2, s, player_skill_count(), "skill");
}
int class_arg(lua_State* L, int narg, int c) {
  return checked_index(L, narg, c, sc.max_classes(), "class");
}
int race_arg(lua_State* L, int narg, int r) {
  return checked_index(L, narg, r, sc.max_races(), "race");
}
int tile_arg(lua_State* L, int t) { return checked_index(L, 2, t, TILES_NUM_MAP, "tile"); }
int spell_arg(const Spells* s, lua_State* L, int id) {
  return checked_index(L, 2, id, s->get_num_spells(), "spell");
}

// The checks of a value assigned to an object variable or an item_binds
// element; raise the generated glue's error texts.
void check_value(lua_State* L, int narg, const char* type, const char* text) {
  tolua_Error err;
  if (tolua_isvaluenil(L, narg, &err) || !tolua_isusertype(L, narg, type, 0, &err))
    tolua_error(L, text, &err);
}

// The only value of the variable's type a script can reach is the global
// object itself, so an accepted assignment changes nothing.
int assign_global(lua_State* L, const char* type) {
  check_value(L, 2, type, "#vinvalid type in variable assignment.");
  return 0;
}

// The player behind an array access (the array's owner keeps it in ".self")
// and the checked element index.
Player* array_owner(lua_State* L, int& index) {
  lua_pushstring(L, ".self");
  lua_rawget(L, 1);
  Player* self = static_cast<Player*>(lua_touserdata(L, -1));
  tolua_Error err;
  if (!tolua_isnumber(L, 2, 0, &err)) tolua_error(L, "#vinvalid type in array indexing.", &err);
  index = script_api::array_index(L, 2);
  if (index < 0 || index >= PLAYER_HOTKEYS) tolua_error(L, "array indexing out of range.", nullptr);
  return self;
}

}  // namespace

// ---- Sentient and Player ---------------------------------------------------------

int get_health(Sentient* self, lua_State* L, int n) { return self->get_health(health_arg(L, n)); }

bool has_buff(Sentient* self, lua_State* L, int buff_id) {
  if (!buffs.is_valid_id(buff_id)) {
    char text[64];
    snprintf(text, sizeof text, "buff %d not in the buff table", buff_id);
    script_api::arg_error(L, 2, text);
  }
  return self->has_buff(buff_id);
}

int get_health(Player* self, lua_State* L, int n) { return self->get_health(health_arg(L, n)); }
float get_skill(Player* self, lua_State* L, int skill) {
  return self->get_skill(player_skill_arg(L, skill));
}
float get_raw_skill(Player* self, lua_State* L, int skill) {
  return self->get_raw_skill(player_skill_arg(L, skill));
}
short get_torch(Player* self) { return self->light; }
// Scripts compare the answer with 0, so it is a number, not a boolean.
int check_mag_prop(Player* self, int p) { return self->check_mag_prop(p) ? 1 : 0; }
int get_num_spells(Player* self) { return self->num_spells(); }

// ---- Map and tiles ------------------------------------------------------------------

int tile_is_opaque(CMap* self, lua_State* L, int tile) {
  return self->tile_is_opaque(tile_arg(L, tile)) ? 1 : 0;
}

bool is_blocking(Tiles* self, lua_State* L, int tile) { return self->is_blocking(tile_arg(L, tile)); }
bool is_water(Tiles* self, lua_State* L, int tile) { return self->is_water(tile_arg(L, tile)); }
bool is_shore(Tiles* self, lua_State* L, int tile) { return self->is_shore(tile_arg(L, tile)); }
bool is_blocking_shore(Tiles* self, lua_State* L, int tile) {
  return self->is_blocking_shore(tile_arg(L, tile));
}
bool is_void(Tiles* self, lua_State* L, int tile) { return self->is_void(tile_arg(L, tile)); }
bool has_shadow(Tiles* self, lua_State* L, int tile) { return self->has_shadow(tile_arg(L, tile)); }
std::string get_desc(Tiles* self, lua_State* L, int tile) { return self->get_desc(tile_arg(L, tile)); }
std::string get_desc_details(Tiles* self, lua_State* L, int tile) {
  return self->get_desc_details(tile_arg(L, tile));
}

// ---- Spells ---------------------------------------------------------------------------

std::string get_full_spell_name(Spells* self, lua_State* L, int id, bool plain) {
  return self->get_full_spell_name(spell_arg(self, L, id), plain);
}
std::string get_req(Spells* self, lua_State* L, int id) { return self->get_req(spell_arg(self, L, id)); }
int get_skill(Spells* self, lua_State* L, int id) { return self->get_skill(spell_arg(self, L, id)); }
int get_lvl(Spells* self, lua_State* L, int id) { return self->get_lvl(spell_arg(self, L, id)); }
int get_circle(Spells* self, lua_State* L, int id) { return self->get_circle(spell_arg(self, L, id)); }
std::string get_wav_name(Spells* self, lua_State* L, int id) {
  return self->get_wav_name(spell_arg(self, L, id));
}
bool is_directional(Spells* self, lua_State* L, int id) {
  return self->is_directional(spell_arg(self, L, id));
}
bool is_autotargeting(Spells* self, lua_State* L, int id) {
  return self->is_autotargeting(spell_arg(self, L, id));
}
bool req_targ(Spells* self, lua_State* L, int id) { return self->req_targ(spell_arg(self, L, id)); }
int get_mana_req(Spells* self, lua_State* L, int id) {
  return self->get_mana_req(spell_arg(self, L, id));
}
int get_cooloff(Spells* self, lua_State* L, int id) {
  return self->get_cooloff(spell_arg(self, L, id));
}
bool class_can_use(Spells* self, lua_State* L, int id, int cls) {
  int spell = spell_arg(self, L, id);
  return self->class_can_use(spell, class_arg(L, 3, cls));
}
Item get_item(Spells* self, lua_State* L, int id) { return self->get_item(spell_arg(self, L, id)); }
std::string get_parameters(Spells* self, lua_State* L, int id) {
  return self->get_parameters(spell_arg(self, L, id));
}
int get_effect_nr(Spells* self, lua_State* L, int id) {
  return self->get_effect_nr(spell_arg(self, L, id));
}
std::string get_spell_func_name(Spells* self, lua_State* L, int id) {
  return self->get_spell_func_name(spell_arg(self, L, id));
}

// ---- Skills, classes and races ----------------------------------------------------------

std::string get_classname(SkillsClasses* self, lua_State* L, int cls) {
  return self->get_classname(class_arg(L, 2, cls));
}
int get_short_classname(SkillsClasses* self, lua_State* L, int cls) {
  return self->get_short_classname(class_arg(L, 2, cls));
}
int get_class_nr(SkillsClasses* self, double code) {
  // Character codes are 0..255 (a signed char holds 128..255 as -128..-1).
  if (!(code > -1.0 && code < 256.0)) return -1;
  return self->get_class_nr(static_cast<char>(static_cast<int>(code)));
}
int get_mana_type(SkillsClasses* self, lua_State* L, int cls) {
  return self->get_mana_type(class_arg(L, 2, cls));
}
std::string get_mana_type_string(SkillsClasses* self, lua_State* L, int cls) {
  return self->get_mana_type_string(class_arg(L, 2, cls));
}
std::string get_skillname(SkillsClasses* self, lua_State* L, int skill) {
  return self->get_skillname(skill_arg(L, 2, skill));
}
std::string get_racename(SkillsClasses* self, lua_State* L, int race) {
  return self->get_racename(race_arg(L, 2, race));
}
int get_governing_stat(SkillsClasses* self, lua_State* L, int skill) {
  return self->get_governing_stat(skill_arg(L, 2, skill));
}
bool class_can_use_skill(SkillsClasses* self, lua_State* L, int cls, int skill) {
  int c = class_arg(L, 2, cls);
  return self->class_can_use_skill(c, skill_arg(L, 3, skill));
}
bool race_can_be_class(SkillsClasses* self, lua_State* L, int race, int cls) {
  int r = race_arg(L, 2, race);
  return self->race_can_be_class(r, class_arg(L, 3, cls));
}

// ---- Inventory ----------------------------------------------------------------------------

float total_weight(ItemList* self) { return self->total_weight; }

// ---- Checked setters ----------------------------------------------------------------------

int tolua_set_client_Player_item_binds(lua_State* L) {
  int index = 0;
  Player* self = array_owner(L, index);
  check_value(L, 3, "Item", "#vinvalid type in array element assignment.");
  self->item_binds[index] = *static_cast<Item*>(tolua_tousertype(L, 3, nullptr));
  return 0;
}

int tolua_set_client_Player_spell_binds(lua_State* L) {
  int index = 0;
  Player* self = array_owner(L, index);
  tolua_Error err;
  if (!tolua_isnumber(L, 3, 0, &err)) tolua_error(L, "#vinvalid type in array element assignment.", &err);
  self->spell_binds[index] = script_api::checked_number<int32_t>(L, 3, 0);
  return 0;
}

int tolua_set_wl(lua_State* L) { return assign_global(L, "ItemData"); }
int tolua_set_spells(lua_State* L) { return assign_global(L, "Spells"); }
int tolua_set_sc(lua_State* L) { return assign_global(L, "SkillsClasses"); }
int tolua_set_tiledata(lua_State* L) { return assign_global(L, "Tiles"); }
int tolua_set_d(lua_State* L) { return assign_global(L, "Display"); }
int tolua_set_me(lua_State* L) { return assign_global(L, "Player"); }
int tolua_set_cmap(lua_State* L) { return assign_global(L, "CMap"); }
int tolua_set_items(lua_State* L) { return assign_global(L, "ItemList"); }
int tolua_set_options(lua_State* L) { return assign_global(L, "Options"); }

Item get_highlighted_item() {
  if (d.curr_display != 1) return Item(0L);
  Item item = d.get_selected_item();
  if (!item.is_unidentified()) return item;
  Item base(static_cast<long>(item.get_base_code()));
  if (base.get_base_code() >= ITEM_ARTIFACT_FIRST && base.get_base_code() <= ITEM_ARTIFACT_LAST)
    base = wl.get_parent_code(base);
  base.set_unidentified();
  return base;
}
