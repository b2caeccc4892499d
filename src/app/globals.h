#pragma once
// The program's long-lived objects. Each is declared beside its type in the
// headers below; globals.cpp defines those that belong to the application.

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
extern Item craft_base_item;
extern Item craft_chosen_item;
// The currency of the trade in progress: the item named by the last list
// message of a merchant, bank or container; Item(256), gold, by default.
extern Item trade_item;
