#pragma once
// The side panel: the character sheet (page 0 of the stat box), the colours
// of item and spell names and the page cycle.
//
// Deciding is kept apart from drawing: the build_* functions turn the player
// and the tables into rows of text with a colour each (and gauges and bars as
// numbers), which the tests read without any display; the draw_* functions
// only put such rows onto a bitmap with the fonts and pictures they are given.

#include "display/rgb.h"
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/item.h"
#include "display/layout.h"

struct BITMAP;
struct FONT;
struct ItemListEl;
struct TrackedCreature;
class Player;

// ---- figures of the panel -------------------------------------------------

// Text rows: x 9, row i at y 5 + 10 i.
constexpr int PANEL_TEXT_X = 9;
constexpr int PANEL_ROW_H = 10;
constexpr int PANEL_TOP = 5;
constexpr int SHEET_ROWS = 40;
// Text rows hold at most this many characters (a row of 100 with its end).
constexpr int PANEL_ROW_CHARS = 99;
// Pages of the stat box.
constexpr int STATBOX_PAGES = 7;
// Spells listed on one spell page.
constexpr int SPELLS_PER_PAGE = 42;

inline int panel_row_y(int row) { return PANEL_TOP + PANEL_ROW_H * row; }

// ---- colours --------------------------------------------------------------

// The panel's colours are the shared RGB triple.
using PanelRgb = Rgb;

constexpr PanelRgb RGB_WHITE{255, 255, 255};
constexpr PanelRgb RGB_BLACK{0, 0, 0};
constexpr PanelRgb RGB_RED{254, 0, 0};
constexpr PanelRgb RGB_LIGHT_GREEN{102, 255, 102};
constexpr PanelRgb RGB_GREEN{0, 255, 0};
constexpr PanelRgb RGB_ORANGE{255, 153, 51};
constexpr PanelRgb RGB_LEVEL_UP{51, 153, 255};
constexpr PanelRgb RGB_GREY{153, 153, 153};
constexpr PanelRgb RGB_SCHOOL_DEFAULT{204, 204, 204};

// 0.6 c + 64 per component, at most 255.
PanelRgb light_colour(PanelRgb c);
// The spell's school colour ("schoolcolor%x" of its skill in "dat/common.cfg"),
// darkened by a thirty-second per circle; (204,204,204) without one.
PanelRgb school_colour(int spell);
// The colour of an item's name; `status_50` is whether the player's status 50
// is active (a cursed item then shows red even with its bless bit).
PanelRgb item_text_colour(const Item& item, bool status_50);

// ---- one row of text --------------------------------------------------------

struct PanelRow {
  std::string text;
  PanelRgb colour = RGB_WHITE;
};

// A fixed number of rows; writes outside them are dropped, so that a long
// list can never reach past the rows that the page has.
class PanelRows {
 public:
  PanelRows(int count, int max_chars) : rows_(count), max_chars_(max_chars) {}
  // False (and nothing written) for a row outside the page.
  bool set(int row, const std::string& text, PanelRgb colour = RGB_WHITE);
  int size() const { return static_cast<int>(rows_.size()); }
  const PanelRow& operator[](int row) const { return rows_[static_cast<size_t>(row)]; }
  const std::vector<PanelRow>& rows() const { return rows_; }
  int max_chars() const { return max_chars_; }

 private:
  std::vector<PanelRow> rows_;
  int max_chars_;
};

// ---- the character sheet -----------------------------------------------------

// What the sheet reads besides the player and the game tables: the values of
// the login replies, the readiness flag and what the frame tick found.
struct SheetSettings {
  bool player_levels = false;
  int level_cap = 0;
  int manual_levelling = 0;
  int levels_per_remort = 0;
  int stat_cap = 0;
  int skill_cap = 0;
  bool flagged_skills_only = false;
  bool show_age = false;
  bool show_class_skills = false;
  bool show_skill_total = false;
  bool level_entered = false;
  bool time_item_held = false;
  bool location_item_held = false;
  // The current target's id (-1 none): its tracked row shows light green.
  int target_id = -1;
  // The recent-attack window: damage of each own attack and the milliseconds
  // since the one before, oldest first.
  std::vector<int64_t> attack_damage;
  std::vector<int64_t> attack_interval_ms;
};

// The session's part of the settings: the login values, the readiness flag
// and the current target. The display's own members (show_age and the rest),
// the items held and the attack window are the caller's to add.
SheetSettings sheet_settings_from_session();

// What every playerstats call works out, also while a list is open.
struct SheetState {
  std::string status_letters;
  float xp_percent = 0.0f;
  bool level_up_shown = false;
  bool xp_row_shown = false;
};

// One gauge of the vitals: a bar (9, y)-(x2, y + 7), none when x2 < 9, with
// its text at (9, y).
struct Gauge {
  int y = 0;
  int x2 = -1;
  PanelRgb colour;
  std::string text;
  PanelRgb text_colour = RGB_WHITE;
};

// One entry of the tracked list, drawn below the sheet's rows.
struct TrackedEntry {
  int y = 0;
  int red_x2 = 128, blue_x2 = 128;
  std::string text;
  PanelRgb colour = RGB_WHITE;
  bool marked = false;
};

struct CharacterSheet {
  PanelRows rows{SHEET_ROWS, PANEL_ROW_CHARS};
  bool filled = false;          // the level was entered: header, avatar, figures
  bool alive = false;           // vitals drawn, stat names kept white
  std::vector<Gauge> vitals;
  int xp_row = -1;              // the XP bar's row, -1 none
  int xp_bar_width = 0;         // 0: no bar
  PanelRgb xp_bar_colour;
  std::vector<TrackedEntry> tracked;
};

// `previous_level_up` is kept when the game has no levels.
SheetState compute_sheet_state(Player& p, const SheetSettings& s, bool previous_level_up = false);
std::string status_letters_of(Player& p);
// The three gauges (health, mana, rage).
std::vector<Gauge> build_vitals(Player& p);
// At most max_rows entries from first_row on; none when max_rows < 1.
std::vector<TrackedEntry> build_tracked_list(const std::vector<TrackedCreature>& tracked,
                                             int first_row, int max_rows, int target_id);
CharacterSheet build_character_sheet(Player& p, const SheetSettings& s, const SheetState& st);

// ---- the page cycle -------------------------------------------------------

// The next page (previous when backwards); page 4 only with more than 42
// known spells.
int cycle_statbox_page(int page, bool backwards, int known_spells);

// ---- drawing ------------------------------------------------------------------

struct PanelFonts {
  FONT* main = nullptr;
  FONT* names = nullptr;
};

int make_colour(PanelRgb c);
// The common background of the panel pages and the list panel.
void clear_panel(BITMAP* panel, PanelRgb box_colour);
// Rows at x 9 from the top; rows past the bitmap are not drawn.
void draw_panel_rows(BITMAP* panel, FONT* font, const PanelRows& rows, int first, int last);
// `avatar` draws the character's tile into a play-cell square copied from
// the panel; `special` holds the mark of a marked tracked row (may be null).
// Clears the panel first, as every page does.
void draw_character_sheet(BITMAP* panel, const PanelFonts& fonts, PanelRgb box_colour,
                          const CharacterSheet& sheet, BITMAP* special,
                          const std::function<void(BITMAP*)>& avatar);
