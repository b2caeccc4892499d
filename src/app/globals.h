#pragma once
// The program's long-lived objects. They are defined in globals.cpp, in the
// order in which they must be constructed (one translation unit keeps it).

#include "core/config_file.h"

extern ConfigFile client_cfg;  // "client.cfg": the user's settings
extern ConfigFile common_cfg;  // "dat/common.cfg": game-wide constants
