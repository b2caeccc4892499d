#pragma once
// Hand-written parts of the script API: the checked number conversions that
// the generated glue calls, the methods that check their index arguments
// before they reach a table, the checked setters that replace generated ones,
// and the script constants the program has no names of its own for. Included
// by the generated binding code and by script_api.cpp.

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <type_traits>

#include "app/client_app.h"
#include "app/play_messages.h"
#include "app/server_handlers.h"
#include "audio/sound.h"
#include "core/buffs.h"
#include "core/config_file.h"
#include "core/crops.h"
#include "core/ids.h"
#include "core/interaction_modes.h"
#include "core/item_data.h"
#include "core/list_kinds.h"
#include "core/mounts.h"
#include "core/skills_classes.h"
#include "core/spells.h"
#include "core/string_utils.h"
#include "core/tiles.h"
#include "core/utils.h"
#include "display/display.h"
#include "input/keymap.h"
#include "input/options.h"
#include "lauxlib.h"
#include "lua.h"
#include "net/socket.h"
#include "tolua++.h"
#include "world/cmap.h"
#include "world/item_drop.h"
#include "world/item_list.h"
#include "world/object_grid.h"
#include "world/player.h"

// The display's class under its script name.
typedef QYXDisplay Display;

// The running totals of the damage the player dealt and took, as scripts
// name them.
inline const int64_t& g_dpst = damage_history.dealt;
inline const int64_t& g_dtpst = damage_history.taken;

// The entry under the mouse, else under the cursor, of the open list;
// Item(0) while no list is open. An unidentified item is given only as its
// base type (an artifact as its parent type), still unidentified, so that
// scripts learn nothing the player cannot see.
Item get_highlighted_item();

// The seven enumerations that cross to scripts as boxed values. Scripts can
// only hand back a value that an API call gave them, and a box may hold any
// number the program returned, so the boxes are plain ints: every value is
// a valid one.
enum script_MAPTYPE : int {};
enum script_magic_types : int {};
enum script_slots : int {};
enum script_stat_num : int {};
enum script_alignment_type : int {};
enum script_mana_type : int {};
enum script_BuffType : int {};

namespace script_api {

// Registers the whole script API in a state (tolua_client_open) and gives the
// boxed types their collectors: without one the tolua++ runtime would free()
// a box that the glue made with new.
void open(lua_State* L);

// Raises "bad argument #narg to 'name' (text)"; never returns. Lua's error
// jumps over C++ destructors, so callers keep their text off the heap.
[[noreturn]] void arg_error(lua_State* L, int narg, const char* text);

// A number argument converted to T by truncation toward zero. A number that
// T cannot hold (or not-a-number) is a script error rather than an undefined
// conversion.
template <typename T>
T checked_number(lua_State* L, int narg, lua_Number def) {
  using V = std::remove_cv_t<T>;
  lua_Number n = tolua_tonumber(L, narg, def);
  if constexpr (std::is_floating_point_v<V>) {
    if (std::isfinite(n) && std::fabs(n) > static_cast<lua_Number>(std::numeric_limits<V>::max()))
      arg_error(L, narg, "number out of range");
    return static_cast<V>(n);
  } else {
    // The bounds are powers of two (or zero), exact in a double; a number
    // strictly between low - 1 and high + 1 truncates into range (low - 1
    // rounds to low itself for 64 bits).
    constexpr lua_Number low = static_cast<lua_Number>(std::numeric_limits<V>::min());
    constexpr lua_Number above = static_cast<lua_Number>(std::numeric_limits<V>::max() / 2 + 1) * 2;
    if (!((n > low - 1 || n >= low) && n < above)) arg_error(L, narg, "number out of range");
    return static_cast<V>(n);
  }
}

// The index of an array element access; a number no int can hold gives -1,
// which the caller's bound check refuses.
int array_index(lua_State* L, int narg);

// value itself when it lies in 0..count-1, else a script error naming the
// argument: "<what> <value> outside 0 to <count-1>".
int checked_index(lua_State* L, int narg, int value, int count, const char* what);

}  // namespace script_api

// ---- Methods with index arguments, bound as methods of their classes ---------
// Each checks its index against the table it indexes and then calls the
// program's method. The index is the argument after the object (argument 2),
// a second index argument 3.

int get_health(Sentient* self, lua_State* L, int n);
bool has_buff(Sentient* self, lua_State* L, int buff_id);

int get_health(Player* self, lua_State* L, int n);
float get_skill(Player* self, lua_State* L, int skill);
float get_raw_skill(Player* self, lua_State* L, int skill);
short get_torch(Player* self);
int check_mag_prop(Player* self, int p);
int get_num_spells(Player* self);

int tile_is_opaque(CMap* self, lua_State* L, int tile);

bool is_blocking(Tiles* self, lua_State* L, int tile);
bool is_water(Tiles* self, lua_State* L, int tile);
bool is_shore(Tiles* self, lua_State* L, int tile);
bool is_blocking_shore(Tiles* self, lua_State* L, int tile);
bool is_void(Tiles* self, lua_State* L, int tile);
bool has_shadow(Tiles* self, lua_State* L, int tile);
std::string get_desc(Tiles* self, lua_State* L, int tile);
std::string get_desc_details(Tiles* self, lua_State* L, int tile);

std::string get_full_spell_name(Spells* self, lua_State* L, int id, bool plain);
std::string get_req(Spells* self, lua_State* L, int id);
int get_skill(Spells* self, lua_State* L, int id);
int get_lvl(Spells* self, lua_State* L, int id);
int get_circle(Spells* self, lua_State* L, int id);
std::string get_wav_name(Spells* self, lua_State* L, int id);
bool is_directional(Spells* self, lua_State* L, int id);
bool is_autotargeting(Spells* self, lua_State* L, int id);
bool req_targ(Spells* self, lua_State* L, int id);
int get_mana_req(Spells* self, lua_State* L, int id);
int get_cooloff(Spells* self, lua_State* L, int id);
bool class_can_use(Spells* self, lua_State* L, int id, int cls);
Item get_item(Spells* self, lua_State* L, int id);
std::string get_parameters(Spells* self, lua_State* L, int id);
int get_effect_nr(Spells* self, lua_State* L, int id);
std::string get_spell_func_name(Spells* self, lua_State* L, int id);

std::string get_classname(SkillsClasses* self, lua_State* L, int cls);
int get_short_classname(SkillsClasses* self, lua_State* L, int cls);
// The class whose key character has this code; -1 when none (and for a
// number that is no character code).
int get_class_nr(SkillsClasses* self, double code);
int get_mana_type(SkillsClasses* self, lua_State* L, int cls);
std::string get_mana_type_string(SkillsClasses* self, lua_State* L, int cls);
std::string get_skillname(SkillsClasses* self, lua_State* L, int skill);
std::string get_racename(SkillsClasses* self, lua_State* L, int race);
int get_governing_stat(SkillsClasses* self, lua_State* L, int skill);
bool class_can_use_skill(SkillsClasses* self, lua_State* L, int cls, int skill);
bool race_can_be_class(SkillsClasses* self, lua_State* L, int race, int cls);

float total_weight(ItemList* self);

// ---- Checked replacements of generated functions -------------------------------
// An item_binds element accepts only an Item; a spell_binds element only a
// number an int holds.
#define TOLUA_DISABLE_tolua_set_client_Player_item_binds
#define TOLUA_DISABLE_tolua_set_client_Player_spell_binds
int tolua_set_client_Player_item_binds(lua_State* L);
int tolua_set_client_Player_spell_binds(lua_State* L);

// The object variables: a value of the variable's type is the one global
// object itself, so nothing is copied (several of the classes own resources
// that a copy would share).
#define TOLUA_DISABLE_tolua_set_wl
#define TOLUA_DISABLE_tolua_set_spells
#define TOLUA_DISABLE_tolua_set_sc
#define TOLUA_DISABLE_tolua_set_tiledata
#define TOLUA_DISABLE_tolua_set_d
#define TOLUA_DISABLE_tolua_set_me
#define TOLUA_DISABLE_tolua_set_cmap
#define TOLUA_DISABLE_tolua_set_items
#define TOLUA_DISABLE_tolua_set_options
int tolua_set_wl(lua_State* L);
int tolua_set_spells(lua_State* L);
int tolua_set_sc(lua_State* L);
int tolua_set_tiledata(lua_State* L);
int tolua_set_d(lua_State* L);
int tolua_set_me(lua_State* L);
int tolua_set_cmap(lua_State* L);
int tolua_set_items(lua_State* L);
int tolua_set_options(lua_State* L);
