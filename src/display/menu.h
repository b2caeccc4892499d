#pragma once
// The in-game menu: a text overlay over the play area with six pages (main,
// game options, key bindings, volumes, resolution, box colours).
//
// The rows of a page come from `menu_rows`, a plain function of the figures
// it shows; drawing them is `QYXDisplay::draw_menu`.

#include <string>
#include <vector>

#include "display/layout.h"
#include "input/keymap.h"
#include "input/options.h"

struct BITMAP;

enum MenuPage {
  MENU_MAIN = 0, MENU_OPTIONS, MENU_KEYS, MENU_VOLUME, MENU_RESOLUTION, MENU_COLOURS
};

struct MenuRow {
  int y = 0;
  std::string text;
  bool plain = false;  // drawn without a text background
};

// What the pages show.
struct MenuFacts {
  bool option_on[OPT_MAX_OPTS] = {};
  std::string binding_text[KEYMAP_NUM_ACTIONS];  // "Name: key"
  bool binding_disabled[KEYMAP_NUM_ACTIONS] = {};
  int max_name_len = 5;
  int volume = 0, music_volume = 0;                 // 0..255
  std::vector<std::pair<int, int>> modes;           // offered screen sizes
  int res_x = 0, res_y = 0, tile_size = PLAY_CELL;
  int box_r = 0, box_g = 0, box_b = 0;
};

// The facts as the program holds them now: options, keymap and its disabled
// actions ("dat/common.cfg"), the sound volumes and the display.
MenuFacts current_menu_facts();

// "%03d [%s]" of a 0..255 value: its percentage and a ten-character bar.
std::string menu_level_text(int value);

// The rows of a page; none for a page number outside 0..5.
std::vector<MenuRow> menu_rows(int page, const MenuFacts& facts);

// Draws rows over a darkened play area: `work` is cleared to the mask colour
// over `panel_x` by `screen_h`, the rows are drawn into it and copied masked.
void draw_menu_rows(BITMAP* dest, BITMAP* work, const std::vector<MenuRow>& rows, int panel_x,
                    int play_height, int screen_h);
