#pragma once
// Gathers for the application's files the program's long-lived objects. Each
// is declared beside its type in the headers below, in its own layer; those
// of the application itself in app/client_app.h and app/server_list.h. Those
// are defined in globals.cpp (the application object, the server list, the
// login and quick-cast strings), startup.cpp (the session flags, the settings
// copied from client.cfg, the replaceable hooks) and session_handlers.cpp
// (what a session leaves to the next: the moon phase, the level flag and the
// move latency); a session's own state is `app.session` (app/client_app.h).
// The combat reports' own globals are declared with their handlers, not
// gathered here: app/play_messages.h (the damage history, its clock, the
// lunge and the two-handed melee flag, in combat_reports.cpp).

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
