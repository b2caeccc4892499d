#pragma once
// The interaction modes of the in-game menu and its pages, the help, book
// and map viewers, key rebinding and binding a command to a hotbar button:
// 31 HELP, 32 KEYS, 33 BOOK, 35 QYXMENU to 39 BOXCOLOURS, 42 MAP and 43.

class ClientApp;

// Whether the mode is one of the above.
bool is_menu_mode(int mode);

// The help screen, the book and the map viewer own the play area exactly
// while their mode lasts: the mode is the one record of which window is up,
// so that whatever sets another mode (a book, a list, a talk, ESC) closes
// the window it replaces.
bool help_open();
bool book_open();
bool map_open();
// One of the three owns the play area.
bool play_area_window_open();
// The in-game menu is shown: its main page or one of its pages (keys,
// options, volume, resolution, colours). Like the windows above it is its
// mode's, so a book or a talk that takes the mode closes it.
bool menu_open();

// Handles the key of this pass in one of the above modes.
void do_menu_mode(ClientApp& app, int mode);
