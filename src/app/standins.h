#pragma once
// Stand-ins for the parts of the input subsystem that are not built yet. They
// keep the names and calls of the real functions so that the callers stay as
// they are when it is replaced.
//
// standins.cpp holds the headless bodies of the ClientApp mode handlers
// (do_non_normal_mode, do_normal_mode, ...).
//
// Delete the matching section here when a part lands.

#include <cstdint>
#include <string>

#include <vector>

#include "core/item.h"

class ClientApp;

// ---- Input (mode handlers) ---------------------------------------------------

// The keys of headless play (a list choice, an attack, readying a weapon),
// until the mode handlers land.
void headless_play_key(int key);
// Starts binding a spell to the hotkey slot of the chosen button.
void bind_spell_to_key(ClientApp& app, bool f_key);
