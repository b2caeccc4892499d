#pragma once
// Pages 1 to 6 of the stat box: perks, equipment and sigils; skills; the
// known spells in two halves; the key binds in two halves. As with the
// character sheet, the build_* functions decide the rows and the draw_*
// functions only put them on the panel.

#include <map>
#include <string>
#include <vector>

#include "display/side_panel.h"

class Player;

constexpr int PAGE_ROWS = 44;
constexpr int KEYBIND_ROW_CHARS = 49;
constexpr int NUM_PERK_NAMES = 18;
constexpr int NUM_HOTKEY_SLOTS = 60;
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

// The key bindings as the key-bind pages see them; filled by the caller from
// the hotkey slot table and the keymap.
struct KeyBindings {
  std::vector<std::string> slot_labels;     // by slot 0..59
  std::vector<int> slot_scancodes;          // the key of each slot
  std::map<int, std::string> actions;       // scancode -> keymap action name
  std::vector<std::string> combo_names;     // long names of slots 10..17
  std::string label(int slot) const;
  int scancode(int slot) const;
  std::string action(int scancode) const;
  std::string combo(int slot) const;
};

extern const char* const PERK_NAMES[NUM_PERK_NAMES];

PanelPage build_equipment_page(Player& p);
PanelPage build_skills_page(Player& p, bool flagged_skills_only, int skill_cap);
// The known spells, without a skill first, then by skill, circle and id.
std::vector<int> known_spell_list(Player& p);
// page 3 or 4.
PanelPage build_spells_page(Player& p, int page);
// half 1 (page 5) or 2 (page 6).
PanelPage build_keybinds_page(Player& p, const KeyBindings& keys, int half);

// Each clears the panel and draws the page; `special` holds the slot marks.
void draw_panel_page(BITMAP* panel, FONT* font, PanelRgb box_colour, const PanelPage& page,
                     BITMAP* special);
