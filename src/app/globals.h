#pragma once
// The program's long-lived objects. They are defined in globals.cpp, in the
// order in which they must be constructed (one translation unit keeps it).

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
#include "display/display.h"
#include "input/keymap.h"
#include "input/options.h"
#include "audio/sound.h"
#include "world/player.h"
#include "app/server_list.h"
#include "app/client_app.h"

// Objects of the lower layers are declared beside their types (included
// above); these belong to the application itself.
extern QYXDisplay d;           // the display
extern ObjGrid obj_grid;       // objects lying on the current level, by cell
extern ClientApp app;          // the client application object
extern Item craft_base_item;
extern Item craft_chosen_item;
// The currency of the trade in progress: the item named by the last list
// message of a merchant, bank or container; Item(256), gold, by default.
extern Item trade_item;

// The program's one Lua state: made by cmain with luaL_newstate, closed with
// lua_close when the program quits; not built statically.
struct lua_State;
extern lua_State* script_state;
