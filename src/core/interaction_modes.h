#pragma once
// The interaction modes: the values of `gc_interface_mode`, the one number
// that selects how the key of a pass is read (0 is normal play; the others
// are prompts, lists, text entries, menus and binding dialogues). Scripts see
// the same values under the names without the MODE_ prefix.

#include <cstddef>
#include <cstdint>

enum {
  MODE_NORMAL = 0,
  MODE_VIEW_INV = 1,
  MODE_VIEW_BANK = 2,
  MODE_USE = 3,
  MODE_USEDIR = 4,
  MODE_READY = 5,
  MODE_TALK = 6,
  MODE_GET = 7,
  MODE_QUIT = 8,
  MODE_DROP2 = 9,
  MODE_DROPALL = 10,
  MODE_DROPALL2 = 11,
  MODE_DROPALL3 = 12,
  MODE_LOOK = 13,
  MODE_BUY = 14,
  MODE_SELL = 15,
  MODE_MAKE = 16,
  MODE_CHAT = 17,
  MODE_ACTIVATE = 18,
  MODE_CASTDIR = 19,
  MODE_SEARCH = 20,
  MODE_LEVEL_UP = 21,
  MODE_BIND_KEY = 22,
  MODE_OPEN = 23,
  MODE_FORCEUSEDIR = 24,
  MODE_NPCTALK = 25,
  MODE_ABILITY = 26,
  MODE_CCAST = 27,
  MODE_CAST = 28,
  MODE_EXIT_MOUNT = 29,
  MODE_FIRE = 30,
  MODE_HELP = 31,
  MODE_KEYS = 32,
  MODE_BOOK = 33,
  MODE_MAKE_CHOOSE_MAT = 34,
  MODE_QYXMENU = 35,
  MODE_OPTIONS = 36,
  MODE_VOLUME = 37,
  MODE_RESOLUTION = 38,
  MODE_BOXCOLOURS = 39,
  MODE_GETLIST = 40,
  MODE_GETONE = 41,
  MODE_MAP = 42,
  // Binding a command to a hotbar button; scripts have no name for it.
  MODE_BIND_HOTBAR = 43
};

extern uint32_t gc_interface_mode;

// ---- Sets of modes ----------------------------------------------------------------

// The list modes: a list panel is open and lights the entry under the
// pointer, so it is redrawn whenever the pointer moves.
inline constexpr int LIST_MODES[] = {
    MODE_VIEW_INV,    MODE_VIEW_BANK, MODE_USE,             MODE_READY,
    MODE_DROPALL,     MODE_BUY,       MODE_SELL,            MODE_MAKE,
    MODE_FORCEUSEDIR, MODE_ABILITY,   MODE_MAKE_CHOOSE_MAT, MODE_GETLIST};
// The direction prompts: the next key or click names a cell beside the
// player, and the pointer over such a cell shows the way it would go.
inline constexpr int DIRECTION_PROMPT_MODES[] = {
    MODE_USEDIR,  MODE_TALK,   MODE_GET,  MODE_DROP2,      MODE_DROPALL3, MODE_LOOK,  MODE_ACTIVATE,
    MODE_CASTDIR, MODE_SEARCH, MODE_OPEN, MODE_EXIT_MOUNT, MODE_FIRE,     MODE_GETONE};

template <std::size_t N>
constexpr bool mode_in(int mode, const int (&set)[N]) {
  for (int m : set)
    if (m == mode) return true;
  return false;
}
constexpr bool is_list_mode(int mode) { return mode_in(mode, LIST_MODES); }
constexpr bool is_direction_prompt_mode(int mode) { return mode_in(mode, DIRECTION_PROMPT_MODES); }
// The in-game menu's main page and the pages its letters open for options,
// volume, resolution and box colours (not the keys page, MODE_KEYS).
constexpr bool is_menu_page_mode(int mode) {
  return mode >= MODE_QYXMENU && mode <= MODE_BOXCOLOURS;
}
// The screens that show no pointer: help, keys, book and the menu pages.
constexpr bool hides_pointer_mode(int mode) {
  return mode == MODE_HELP || mode == MODE_KEYS || mode == MODE_BOOK || is_menu_page_mode(mode);
}
// The modes whose keys the menu handler takes: the screens without a
// pointer, the map viewer and binding a command to a hotbar button.
constexpr bool is_menu_mode(int mode) {
  return hides_pointer_mode(mode) || mode == MODE_MAP || mode == MODE_BIND_HOTBAR;
}

// The help screen, the book and the map viewer own the play area exactly
// while their mode lasts: the mode is the one record of which window is up,
// so that whatever sets another mode (a book, a list, a talk, ESC) closes
// the window it replaces.
inline bool help_open() { return gc_interface_mode == MODE_HELP; }
inline bool book_open() { return gc_interface_mode == MODE_BOOK; }
inline bool map_open() { return gc_interface_mode == MODE_MAP; }
// One of the three owns the play area.
inline bool play_area_window_open() { return help_open() || book_open() || map_open(); }
// The in-game menu is shown: its main page or one of its pages (keys,
// options, volume, resolution, colours). Like the windows above it is its
// mode's, so a book or a talk that takes the mode closes it.
inline bool menu_open() {
  const int mode = static_cast<int>(gc_interface_mode);
  return mode == MODE_KEYS || is_menu_page_mode(mode);
}
