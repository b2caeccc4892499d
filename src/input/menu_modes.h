#pragma once
// The interaction modes of the in-game menu and its pages, the help, book
// and map viewers, key rebinding and binding a command to a hotbar button:
// 31 HELP, 32 KEYS, 33 BOOK, 35 QYXMENU to 39 BOXCOLOURS, 42 MAP and 43.

// Which of the windows is up is read from the mode (core/interaction_modes.h).

#include "core/interaction_modes.h"

class ClientApp;

// Whether the mode is one of the above.
bool is_menu_mode(int mode);

// Handles the key of this pass in one of the above modes.
void do_menu_mode(ClientApp& app, int mode);
