#pragma once
// The list panel: while the player picks from a list, the side panel shows a
// header, a column of rows scrolling around a fixed cursor row and a detail
// box about the highlighted entry. Deciding (which node sits in which row,
// what each row says) is kept apart from drawing, so that the first can be
// checked without a screen; the drawing takes its bitmaps, fonts and figures
// as parameters.
//
// Colours in the row and detail models are 0xRRGGBB; the drawing turns them
// into the bitmap's colour with makecol.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/item.h"
#include "core/list_kinds.h"
#include "display/layout.h"
#include "world/item_list.h"

struct BITMAP;
struct FONT;
class Player;

constexpr int LIST_MAX_ROWS = 50;
constexpr int LIST_CURSOR_ROW = 4;
constexpr int LIST_NAME_CHARS = 22;

// Colours of the panel.
constexpr int LIST_WHITE = 0xFFFFFF;
constexpr int LIST_RED = 0xFE0000;
constexpr int LIST_DARK_RED = 0x800000;
constexpr int LIST_GREY = 0x787878;
constexpr int LIST_LIGHT_GREY = 0xDDDDDD;
constexpr int LIST_YELLOW = 0xFFDE00;
constexpr int LIST_BLUE = 0x3399FF;
constexpr int LIST_LIGHT_BLUE = 0x99CCFF;
constexpr int LIST_LIGHT_GREEN = 0x66FF66;

struct ListRow {
  Item item{-1L};  // Item(-1): an empty row
  std::string name;
  int32_t qty = 0;
  int32_t price = 0;  // for abilities the ability's level
  int colour = LIST_LIGHT_GREY;
  int32_t drop_mark = 0;  // count picked for a multi-drop, 0 none
};

// Everything the panel and its keys keep from one key to the next. The
// cursor is a position in the list (every node counted from the head), not a
// pointer: handlers rebuild the list's nodes between keys, and a position is
// checked against the list each time it is used.
struct ListState {
  int kind = SELECT_NORMAL;
  int row_count = 28;
  std::vector<ListRow> rows;
  int cursor = -1;  // -1: none
  std::string search;  // "" closed, else "/" and the typed text
  std::string title;
  bool next_request = false;
  bool prev_request = false;
  char filter = 0;  // letter of the last item filter
};

// ---- nodes and rows ---------------------------------------------------------

// Rows shown for a kind: 19 with the large stat box, else 21 crafting,
// 25 ready, 28 otherwise.
int list_row_count_for(int kind, bool large_statbox);
// Kinds that show equipped marks and hotkey labels.
bool list_kind_shows_marks(int kind);

// The crafting flags of an entry (0: cannot be made now, drawn grey); the
// crafting list keeps them in the node's first spare field.
inline int list_entry_flags(const ItemListEl& n) { return n.b; }

ItemListEl* list_node_at(const ItemList* list, int pos);
int list_node_pos(const ItemList* list, const ItemListEl* node);
ItemListEl* list_first_visible(const ItemList* list);
ItemListEl* list_next_visible(const ItemListEl* node);
ItemListEl* list_prev_visible(const ItemListEl* node);

// The cursor's node, null when there is none or the list is shorter now.
ItemListEl* list_cursor_node(const ListState& st, const ItemList* list);
void list_set_cursor(ListState& st, const ItemList* list, const ItemListEl* node);

// The node shown in a row: row 4 is the cursor node, row 4+n the n-th
// visible node after it, 4-n the n-th before it; null outside the rows.
ItemListEl* list_row_node(const ListState& st, const ItemList* list, int row);
// The highlighted row of the rows last built: the entry under the mouse
// (`QYXDisplay::list_node_under_mouse`) on its row `mouse_row`, else the
// cursor row, with the entry's node and item (Item(-1) on an empty row).
struct ListHighlight {
  int row = LIST_CURSOR_ROW;
  const ItemListEl* entry = nullptr;
  Item item{-1L};
};
ListHighlight list_highlight(const ListState& st, const ItemList* list, int mouse_row,
                             const ItemListEl* under_mouse);

// The item of the entry under the mouse, Item(-1) when none; and that entry,
// else the cursor's, Item(0) when neither.
Item list_item_under_mouse(const ItemListEl* under_mouse);
Item list_selected_item(const ListState& st, const ItemList* list, const ItemListEl* under_mouse);

// Puts the cursor on the first node holding the item (hidden ones too);
// false, and the cursor kept, when none does.
bool show_list_item(ListState& st, const ItemList* list, const Item& item);

// Where the rows take names, colours and drop marks from. Null members fall
// back to the item table and the spell table (names), light grey (colours)
// and the multi-drop selection (marks).
struct ListRowSources {
  std::function<std::string(const Item&, int kind)> name;
  std::function<int(const Item&, int kind)> colour;
  std::function<int(const Item&)> drop_count;
};

// Steps before drawing: takes the kind (SELECT_LAST_DRAWN: the last one),
// sets the row count, drops a cursor on a hidden node, fills the rows around
// the cursor.
void build_list_rows(ListState& st, const ItemList* list, int kind, bool large_statbox,
                     const ListRowSources& src);

// What one row shows.
struct ListRowView {
  bool empty = true;
  std::string first;  // quantity, or the ability level
  std::string name;   // cut, '_' shown as ' '
  int colour = LIST_LIGHT_GREY;
  int name_background = -1;  // -1 transparent
  int mark1_x = -1, mark1_y = -1;  // top-left corner in the marks picture
  int mark2_x = -1, mark2_y = -1;
  std::string hotkey;  // "" none
  int hotkey_x = 44;
};

// The hotkey label is the label of the slot the item (for abilities, the
// spell) is bound to.
ListRowView list_row_view(const ListRow& row, int kind, const Player& p);

// The header: texts and their x.
struct ListHeader {
  std::string left;  // at x 9
  std::string middle;  // at x 49
  std::string right;  // right-aligned at x 226, light blue
};
ListHeader list_header(const ListState& st);

// ---- detail lines (shared by the ability and the item detail) ---------------

struct DetailLine {
  int line = 0;  // detail line k: y = 20 + 10 (rows + k)
  int x = 9;
  std::string text;
  int colour = LIST_WHITE;
  bool wrapped = false;  // drawn word-wrapped in a box 222 pixels wide
};

// Line k of the detail area below `rows` rows.
inline int detail_line_y(int rows, int k) { return 20 + 10 * (rows + k); }

// Each component 0.6 c + 64, at most 255.
int list_light_colour(int rgb);

// The ability detail of a spell id (nothing for a spell of -1); a spell
// bound to F1..F8 names its key combination.
std::vector<DetailLine> ability_detail_lines(int spell, int row_colour, int school_colour,
                                             Player& p);

// ---- wrapped text -----------------------------------------------------------

// Splits a text into lines no wider than `width`: paragraphs end at '\n',
// words are separated by spaces, a word wider than the box is broken into
// characters where the box ends.
std::vector<std::string> wrap_text(const std::string& text, int width,
                                   const std::function<int(const std::string&)>& measure);
// Draws a wrapped text; returns the y below its last line.
int draw_wrapped_text(BITMAP* bmp, FONT* font, const std::string& text, int x, int y, int width,
                      int height_limit, int rgb);

// ---- drawing ------------------------------------------------------------------

struct ListPanelContext {
  BITMAP* panel = nullptr;  // PANEL_WIDTH x PANEL_HEIGHT
  FONT* main_font = nullptr;
  FONT* names_font = nullptr;
  BITMAP* special = nullptr;  // the marks picture; null: no marks
  bool large_statbox = false;
  int box_colour = 0x202020;
  // The panel row under the pointer (`panel_row_at_mouse`) and the entry on
  // it (`list_node_under_mouse`); the row counts only with an entry.
  int mouse_row = -1;
  const ItemListEl* under_mouse = nullptr;
  ListRowSources sources;
  std::function<int(int spell)> school_colour;
  std::function<void()> clear_panel;  // null: box colour and a black left edge
  std::function<void(BITMAP*, const Item&, int x, int y)> draw_item;  // item picture
  Player* player = nullptr;  // null: the local player
  const ItemList* inventory = nullptr;  // null: the inventory
  BITMAP* copy_to = nullptr;  // non-null: the panel is also blitted here
  int panel_x = 0, panel_y = 0;
};

void draw_list_panel(ListState& st, ItemList* list, int kind, const ListPanelContext& ctx);
// Draws detail lines; wrapped texts never start above the end of an earlier
// wrapped text.
void draw_detail_lines(BITMAP* bmp, FONT* font, int rows, const std::vector<DetailLine>& lines);
