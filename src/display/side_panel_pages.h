#pragma once
// Pages 1 to 6 of the stat box: perks, equipment and sigils; skills; the
// known spells in two halves; the key binds in two halves. As with the
// character sheet, the build_* functions decide the rows and the draw_*
// functions only put them on the panel.

#include <string>
#include <vector>

#include "display/side_panel.h"
#include "world/player.h"


constexpr int PAGE_ROWS = 44;
constexpr int KEYBIND_ROW_CHARS = 49;
// Slot rows of the key-bind pages draw their text here, after the label.
constexpr int KEYBIND_TEXT_X = 39;

// An 8 by 8 slot mark copied from the `special` picture to (9, row's y).
struct PageMark {
  int row = 0;
  int src_x = 0, src_y = 0;
};

// A slot row of the key-bind pages: the label in white, then the bind.
struct SlotRow {
  int row = 0;
  std::string label;
  std::string text;
  PanelRgb colour = RGB_WHITE;
};

struct PanelPage {
  PanelRows rows{PAGE_ROWS, PANEL_ROW_CHARS};
  int last_row = PAGE_ROWS - 1;  // rows 0..last_row are drawn
  std::vector<PageMark> marks;
  std::vector<SlotRow> slots;
};

extern const char* const PERK_NAMES[PLAYER_NUM_PERKS];

PanelPage build_equipment_page(Player& p);
PanelPage build_skills_page(Player& p, bool flagged_skills_only, int skill_cap);
// The known spells, without a skill first, then by skill, circle and id.
std::vector<int> known_spell_list(Player& p);
// page 3 or 4.
PanelPage build_spells_page(Player& p, int page);
// half 1 (page 5) or 2 (page 6): each hotkey slot's label and what it
// fires (its spell, its item, else the keymap action of its key), and on
// page 5 the names of the F1..F8 combinations.
PanelPage build_keybinds_page(Player& p, int half);

// Each clears the panel and draws the page; `special` holds the slot marks.
void draw_panel_page(BITMAP* panel, FONT* font, PanelRgb box_colour, const PanelPage& page,
                     BITMAP* special);
