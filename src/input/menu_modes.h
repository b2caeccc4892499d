#pragma once
// The interaction modes of the in-game menu and its pages, the help, book
// and map viewers, key rebinding and binding a command to a hotbar button:
// MODE_HELP, MODE_KEYS, MODE_BOOK, MODE_QYXMENU to MODE_BOXCOLOURS, MODE_MAP
// and MODE_BIND_HOTBAR.

// Which of the windows is up is read from the mode (core/interaction_modes.h).

#include "core/interaction_modes.h"

class ClientApp;

// Whether the mode is one of the above is is_menu_mode, beside the other
// sets of modes in core/interaction_modes.h.
// Fullscreen on or off (the menu's option, CTRL+F12); a failure that leaves
// no mode at all ends the session.
void toggle_fullscreen_or_quit();

// Handles the key of this pass in one of the above modes.
void do_menu_mode(ClientApp& app, int mode);
