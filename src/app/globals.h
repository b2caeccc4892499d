#pragma once
// The program's long-lived objects. They are defined in globals.cpp, in the
// order in which they must be constructed (one translation unit keeps it).

#include <deque>

#include "core/config_file.h"
#include "core/item_data.h"
#include "core/buffs.h"
#include "core/crops.h"
#include "core/ids.h"
#include "core/mounts.h"
#include "core/skills_classes.h"
#include "core/spells.h"
#include "core/tiles.h"
#include "world/cmap.h"
#include "world/item_drop.h"
#include "world/item_list.h"
#include "world/object_grid.h"
#include "net/socket.h"
#include "app/standins.h"
#include "display/display.h"
#include "input/keymap.h"
#include "input/options.h"
#include "audio/sound.h"
#include "world/player.h"
#include "app/server_list.h"
#include "app/client_app.h"

extern ConfigFile client_cfg;  // "client.cfg": the user's settings
extern ConfigFile common_cfg;  // "dat/common.cfg": game-wide constants
extern Tiles tiledata;         // object and map tiles
extern ItemData wl;            // the item-type table
extern Spells spells;          // the spell table
extern ItemList items;         // the inventory
extern ItemList temp_list;     // merchant, bank, container and crafting choices
extern ItemList drop_list;     // the items picked in such a list, before they are sent
extern EffectList event_list;  // timed map events
extern CMap cmap;              // the current map level
extern ObjectList server_objects;     // objects received from the server
extern ObjectList visible_creatures;  // creatures in view
extern EffectList missile_list;
extern EffectList particle_list;
extern ItemDrop item_drop;     // the multi-item drop selection
extern ids id_table;           // what the server told about creature ids
extern std::vector<TrackedCreature> tracked_creatures;
extern SkillsClasses sc;       // stats, skills, classes and races
extern Mounts mounts;
extern Buffs buffs;
extern Crops crops;
extern Socket tcpObj;          // the connection to the game server (client role)
extern Player me;              // the local character
extern QYXDisplay d;           // the display
extern ObjGrid obj_grid;       // objects lying on the current level, by cell
extern ClientApp app;          // the client application object
extern Item craft_base_item;
extern Item craft_chosen_item;
extern CurrentTarget current_target;  // the target of attacks and spells
extern Item trade_item;
extern std::deque<int32_t> attack_queue_a;
extern std::deque<int32_t> attack_queue_b;

// The program's one Lua state: made by cmain with luaL_newstate, closed with
// lua_close when the program quits; not built statically.
struct lua_State;
extern lua_State* script_state;
