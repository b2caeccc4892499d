#pragma once
// The display object: owns the graphics mode, every off-screen bitmap, the
// tile sheets, pictures, fonts and pointer sprites, the palette and the
// screen layout. One instance, `d`, lives for the whole run.
//
// Allegro is kept out of this header (it defines many global names); the
// display's own sources include it.

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/item.h"
#include "core/tiles.h"
#include "display/hotbar.h"
#include "display/layout.h"
#include "display/map_view.h"
#include "display/list_panel.h"
#include "display/side_panel.h"
#include "display/message_box.h"
#include "display/minimap_box.h"
#include "display/pointer.h"
#include "display/text_windows.h"
#include "display/widget.h"

struct BITMAP;
struct FONT;
struct DATAFILE;
struct ItemListEl;
class ObjectList;
struct ItemTint;

constexpr int MOVE_CURSORS = 8;

// The palette, in the order `init` fills it.
enum {
  COL_MASK, COL_BLACK, COL_WHITE, COL_BLUE, COL_RED, COL_GREEN, COL_DARK_RED, COL_DARK_BLUE,
  COL_PALE_BLUE, COL_PALE_YELLOW, COL_RUST, COL_SKY, COL_ORANGE, COL_GREY, COL_LIGHT_GREEN,
  COL_LIGHT_GREY, COL_TEAL, COL_LILAC, COL_DARK_GREEN, COL_GOLD, COL_C1, COL_C2, COL_LIME,
  COL_VIOLET, COL_DARK_GREY, COL_MOSS, COL_PURPLE, COL_PALE_LILAC, COL_PERIWINKLE, COL_CHARTREUSE,
  COL_MAGENTA, COL_TAN, PALETTE_SIZE
};

// A clickable region registered while text is drawn.
using TextLink = ClickRegion;

// A tile sheet's cell format, fixed by the width of the first sheet.
struct SheetFormat {
  int tile = 0;    // 16 or 32
  int border = 0;  // 0, 1 or 2
};
// The format for a first sheet of this width; tile 0 when the width is not
// one of the five known ones.
SheetFormat sheet_format_for_width(int width);

// Why a frame must be composed, one bit each; with none set the screen
// already shows everything and the frame pacing composes nothing.
enum FrameReason : uint32_t {
  FRAME_REQUESTED = 1u << 0,  // a server message, a handler, a script or a key changed it
  FRAME_INPUT = 1u << 1,      // the pointer moved, changed or rested; a button, wheel or modifier
  FRAME_VIEW = 1u << 2,       // the map view was decided anew
  FRAME_ANIMATION = 1u << 3,  // the renderer's refresh flag: figures, tiles and objects step
  FRAME_MOTION = 1u << 4,     // effects, missiles, particles, scrolling, a lunge or a quake
  FRAME_PROMPT = 1u << 5,     // the prompt glyph of the hidden entry line stepped
  FRAME_CLOCK = 1u << 6,      // the clock minute, a status counter, the fps figure, an action ready
};

// A rectangle of the screen.
struct FrameRect {
  int x = 0, y = 0, w = 0, h = 0;
  bool empty() const { return w <= 0 || h <= 0; }
  FrameRect within(const FrameRect& o) const {
    const int x1 = std::max(x, o.x), y1 = std::max(y, o.y);
    const int x2 = std::min(x + w, o.x + o.w), y2 = std::min(y + h, o.y + o.h);
    return FrameRect{x1, y1, x2 - x1, y2 - y1};
  }
  bool overlaps(const FrameRect& o) const { return !within(o).empty(); }
  // The smallest rectangle holding both.
  FrameRect unite(const FrameRect& o) const {
    if (empty()) return o;
    if (o.empty()) return *this;
    const int x1 = std::min(x, o.x), y1 = std::min(y, o.y);
    return FrameRect{x1, y1, std::max(x + w, o.x + o.w) - x1, std::max(y + h, o.y + o.h) - y1};
  }
};

class QYXDisplay {
 public:
  QYXDisplay();
  ~QYXDisplay();
  QYXDisplay(const QYXDisplay&) = delete;
  QYXDisplay& operator=(const QYXDisplay&) = delete;

  // ---- Start-up (display.cpp) ----
  // 0 started; 1 the graphics library, every mode, "pics/special.png" or the
  // skin failed (reported); 2 tile files missing.
  int init(bool fullscreen);
  // (Re)loads the tile sheets into `tiles` and `tiles_grey`; 0, or 2 when
  // the first sheet is missing or of an unknown width, or with no graphics.
  int load_tiles();
  // The five fonts from their datafiles, each checked before the library
  // reads it; a missing or damaged one falls back to the main font. 0; 1
  // when pics/font.dat is there but damaged (after telling so).
  int load_fonts();
  void free_fonts();
  void copy_tile_table();
  void load_box_colour();
  void set_cursor_sprite(int code);
  // Average colour of one sheet cell, ignoring mask pixels; black when all
  // are masked. Halved when `darker`.
  int tile_average(BITMAP* sheet, int x, int y, bool darker);
  static void plot_block(BITMAP* bmp, int x, int y, int colour);
  // The palette entry of one of the COL_ constants.
  int colour(int index) const { return index >= 0 && index < PALETTE_SIZE ? palette[index] : 0; }
  // Fills the palette from the current colour depth and "dat/common.cfg".
  void fill_palette();
  // Creates the sixteen hotbar buttons at their start-up places.
  void make_hotbar();
  // A new session's display: the map scrolled home, the message box on its
  // newest lines however far the last session paged, no day effect, an
  // empty minimap, the stat box, the menu on its first page, no title picture.
  void reset_session();

  // ---- Layout and modes (layout.cpp) ----
  // Copies the large statbox and large message font options into
  // large_statbox and large_message_font: at start-up and when either is
  // toggled; the only writer of those two copies.
  void read_layout_options();
  void compute_layout();
  void make_view_bitmaps();
  int set_resolution(int w, int h);
  int set_resolution_index(int i);
  int toggle_fullscreen();
  void install_switch_mode_once();
  int reset_switch_mode();
  void set_switch_mode();
  int panel_width() const { return large_statbox ? PANEL_WIDTH_LARGE : PANEL_WIDTH; }

  // ---- Drawing routines (drawing.cpp) ----
  static void draw_translucent(BITMAP* sprite, BITMAP* dest, int x, int y, int alpha);
  static void tint_rect(BITMAP* dest, int x, int y, int w, int h, int colour, int alpha);
  static void plot_plus(BITMAP* bmp, int x, int y, int colour);
  static void plot_plus_sparse(BITMAP* bmp, int x, int y, int colour);
  static void plot_pixel(BITMAP* bmp, int x, int y, int colour);
  void clear_cell(int cx, int cy);
  // Copies the visible part of `play_bitmap` to `dest` at the play window's
  // place and on-screen cell size (the first layer of a frame).
  void blit_play_window(BITMAP* dest);

  // ---- Pointer and play-window geometry (pointer.cpp) ----
  void set_mouse_cursor(int code);
  void hide_mouse();
  float mouse_angle() const;
  float mouse_angle_at(int mx, int my) const;
  int mouse_cell_dx() const;
  int mouse_cell_dx_at(int mx) const;
  int mouse_cell_dy() const;
  int mouse_cell_dy_at(int my) const;
  bool mouse_in_play_window() const;
  bool mouse_in_play_window_at(int mx, int my) const;
  bool mouse_over_panel() const;
  bool mouse_over_panel_at(int mx, int my) const;
  int panel_row_at_mouse() const;
  int panel_row_at(int my) const;
  bool ok_to_draw_play_window() const;
  bool numlock() const;
  void next_anim_frame() { anim_phase = (anim_phase + 1) % 4; }

  // ---- Hotbar (hotbar.cpp) ----
  // Buttons shown: 16 with the command hotbar, else the 8 slot buttons.
  int hotbar_count() const;
  bool mouse_over_hotbar() const;
  bool mouse_over_hotbar_button(int i) const;
  void draw_hotbar(BITMAP* dest);
  void draw_hotbar_tooltip(const Button& b, BITMAP* dest, int mx, int my);
  // The pointer has rested on a button with a tooltip long enough to show it.
  bool hotbar_tooltip_due() const;
  // An item's picture, one play cell large (doubled: two) at (x, y) of dest.
  void draw_item_picture(const Item& item, BITMAP* dest, int x, int y, bool doubled);

  // ---- Side panel, lists and aux box (display_panels.cpp, display_lists.cpp) ----
  // Redraws the stat box page into `panel_bitmap` (the frame copies it);
  // with `back_buffer` as target the panel is also blitted there. 0.
  int playerstats(BITMAP* target = nullptr);
  // A fingerprint of `panel_bitmap`'s pixels, and that of the panel last drawn.
  uint64_t panel_hash() const;
  uint64_t panel_shown_hash = 0;
  void cycle_statbox_page(bool backwards);
  void clear_panel();
  void draw_equipment_page(BITMAP* target);
  void draw_skills_page(BITMAP* target);
  void draw_spells_page(BITMAP* target);
  void draw_keybinds_page(int half, BITMAP* target);
  // Colours in the current colour depth.
  int item_text_colour(const Item& item) const;
  int school_colour(int spell) const;
  int light_colour(int colour) const;
  ItemListEl* list_node_under_mouse() const;
  Item get_item_under_mouse() const;
  Item get_selected_item() const;

  Item list_input(ItemList* list, int key, int kind, bool switch_flag);
  Item list_input_kind3(ItemList* list, int key, bool switch_flag);
  void draw_list_panel(ItemList* list, int kind, BITMAP* target);
  void show_list_item(ItemList* list, const Item& item, int kind);
  // The node under the list cursor, null when there is none.
  ItemListEl* list_cursor_node() const;

  int get_curr_display() const { return curr_display; }
  int get_statbox_mode() const { return list_state.kind; }

  std::string status_letters;
  uint8_t level_up_shown = 0;
  // ALT+Stats: the next page step goes to the first page instead.
  uint8_t statbox_reset = 0;
  float xp_percent = 0.0f;
  // The open list: cursor (a position), kind, rows, search, filter, requests.
  ListState list_state;
  // The list the panel shows; set by list_input and draw_list_panel.
  ItemList* list_shown = nullptr;
  std::string list_title;

  std::vector<std::string> menu_rows;
  int map_view_draws = 0;  // how often the map viewer's picture was rebuilt

  // ---- Read by the frame input ----
  // The item carried on the pointer; Item(0) when none.
  Item pointer_item{0L};

  // ==== Map view: renderer, primitives, map viewer ====
  // (map_view.cpp, map_primitives.cpp, map_viewer.cpp)

  // Forgets every cell of the kept map layer (tile sheets or tile table
  // replaced): the next frame draws each cell afresh.
  void invalidate_map_layer();

  // Decides the frame at once (view grids, the visible-creature list when
  // given, the target's position, the minimap marks) and requests a frame;
  // `flush_map_view` draws it, once however many requests came.
  void draw_window(bool advance = false, ObjectList* creatures = nullptr);
  // Draws the requested frame into `play_bitmap` and composes it; nothing
  // when no frame is requested. The frame pacing calls it.
  void flush_map_view();
  bool map_view_pending() const { return frame_reasons != 0; }
  // Something shown changed: the next paced frame is composed.
  void request_frame(uint32_t reason = FRAME_REQUESTED) { frame_reasons |= reason; }
  // Reasons of the frame being waited for (FrameReason bits).
  uint32_t frame_reasons = 0;
  // FRAME_MOTION while the play window changes by itself from frame to
  // frame (a hallucination, meditation, the map viewer's pulse, a quake),
  // else 0.
  uint32_t play_window_moves() const;
  // Frames composed since start, whole or in part.
  uint64_t frames_composed = 0;
  // The map viewer: rebuild its picture, or draw it into `play_bitmap`.
  void draw_map_view(bool rebuild);
  void draw_zoomed_view();

  void draw_map_tile(int x, int y, int tile, int grey, int scale);
  void draw_tile(int x, int y, int n, int grey, int scale, int dim, int large, int colour,
                 const ItemTint& tint, int plain, int half);
  void draw_sprite(int x, int y, BITMAP* sheet, BITMAP* grey_sheet, int sx, int sy, int grey,
                   int dim, int large, int colour, const ItemTint& tint, int plain, int x_offset,
                   int half);
  void draw_item_tile(int x, int y, const Item& item, int grey, int scale, int frame, int dim,
                      int large, int flags);
  void draw_overlay(int x, int y, int kind, int row, int grey, int dim, int large);
  void draw_item_icon(int x, int y, const Item& item, bool alt, int frame, uint8_t grey,
                      uint8_t dim, uint8_t large);
  void draw_bar(int x, int y, int row, int colour, bool doubled, float fraction);
  void draw_effect_frame(int x, int y, int n);
  void draw_effect_frame_at(int n, float px, float py);
  void draw_special_cell(int x, int y, int sx, int sy);
  void colour_effect(int x, int y, int strength, int mode);
  void draw_wall_shadows(int map_x, int map_y, int x, int y);
  void draw_lightning(int x1, int y1, int x2, int y2, int kind);
  void spawn_sparks(int x1, int y1, int x2, int y2, int colour, int kind);
  void draw_beam(int x1, int y1, int x2, int y2, int colour_mask, int level);
  void draw_wide_beam(int x1, int y1, int x2, int y2, int colour_mask, int level);
  void draw_spell_effect(int x1, int y1, int x2, int y2, int value, int alpha, int type);
  // Darkens one view cell toward black by alpha (0 none, 255 black).
  void darken_cell(int x, int y, int alpha);

  // The last frame's decisions; tests read them.
  ViewGrids view{};
  ViewKind view_kind = VIEW_KIND_NONE;
  int32_t anim_step = 0;
  int32_t player_frame = 0;
  int32_t quake_toggle = 0;
  float cooloff_fraction = 0.0f;
  int16_t attack_dx = 0, attack_dy = 0;
  // The player's figure is drawn large. (The attack lunge is the attack
  // report's lunge_dx, lunge_dy.)
  uint8_t player_large = 0;
  // The map viewer's picture (null until the first rebuild) and pulse.
  BITMAP* map_picture = nullptr;
  float map_pulse = 0.0f;

 private:
  bool view_advance = false;
  // Own light and the frame's lighting switches, kept from the decision.
  int64_t view_own_light = 0;
  bool view_lit = false, view_magic_light = false, view_xray = false, view_stepping = false;
  int view_radius_used = 0;
  int view_px = 0, view_py = 0;
  uint64_t meditation_start_us = 0;
  // Scratch pictures reused from frame to frame (made on first use).
  BITMAP* sprite_scratch = nullptr;
  BITMAP* sprite_scratch_big = nullptr;
  BITMAP* cell_scratch = nullptr;
  BITMAP* scratch_for(int size);
  // The map layer of the normal view, kept from frame to frame at 32 pixels
  // per cell; its cells are drawn again only when their inputs change.
  BITMAP* map_layer = nullptr;
  MapLayerCell map_layer_cells[VIEW_GRID][VIEW_GRID];
  MapLayerShared map_layer_shared;
  // Set by draw_map_tile when the picture it draws depends on the animation frame.
  bool map_tile_animated = false;
  void render_map_layer();
  void draw_map_layer_cell(int i, int j, const MapLayerCell& in);
  MapLayerCell map_layer_inputs(int i, int j) const;
  // The wall sides of a map cell that cast a shadow (bit n for side n); 0
  // off the map or with shadows switched off.
  uint8_t wall_shadow_sides(int map_x, int map_y) const;
  // The underneath tile that draw_map_tile reads for view cell (x, y).
  int underneath_for_cell(int x, int y, int scale) const;
  void decide_view(bool advance, ObjectList* creatures);
  void decide_normal_view(bool advance, ObjectList* creatures);
  void decide_lights();
  void decide_rings(ObjectList* creatures);
  void render_view();
  void render_normal_view();
  void render_meditation();
  void render_player();
  void render_names_and_bars(std::vector<int>& labelled);
  void render_events(bool& quake_met);
  void render_particles();
  void render_damage_numbers();
  void render_missiles();
  void render_finish(std::vector<int>& labelled, bool quake_met);
  void draw_player_bars(int x, int y, int row0_colour, bool doubled);
 public:
  // ==== end of the map view section ====

  // ---- In-game menu and card windows (menu.cpp, cards.cpp) ----
  // Draws the menu page `menu_page` over the play area of `dest` (the back
  // buffer when null).
  void draw_menu(BITMAP* dest = nullptr);
  // Draws the card named `name` with its top-left corner at (x, y); nothing
  // for a name the card table does not hold.
  void draw_card(const std::string& name, BITMAP* dest, int x, int y, bool large);
  void draw_card_hand(BITMAP* dest);
  void draw_linked_card(BITMAP* dest);
  void draw_lower_panel(BITMAP* dest);
  // Card pictures by card name; null when the picture could not be loaded.
  std::map<std::string, BITMAP*> card_pictures;
  // Which help page shows: the text or the key index.
  uint8_t help_index = 0;
  void book_next_page() { book.next_page(); }
  void book_prev_page() { book.prev_page(); }

  // ==== Frame composition, message box, text windows, minimap, aux box, intro ====
  // (frame.cpp, display_messages.cpp, display_windows.cpp)

  // -- Frame (frame.cpp) --
  void compose_frame();
  void refresh_screen();
  // Shows the back buffer with one blit while the pointer is hidden.
  void flip();
  void game_over();
  void screenshot();
  void draw_target_cursor();
  void draw_status_line(BITMAP* dest);
  void draw_clock(BITMAP* dest);
  // The layers of the last composed frame in order, while `record_layers`.
  std::vector<const char*> frame_layers;
  bool record_layers = false;
  void layer(const char* name);
  // Where the parts of a frame lie on the screen: the whole screen, the
  // play window (the whole screen while help, book or map viewer show), the
  // prompt glyph; and the part that the given FrameReason bits change.
  FrameRect screen_rect() const;
  FrameRect play_window_rect() const;
  FrameRect prompt_rect() const;
  FrameRect changed_part(uint32_t reasons) const;
  // Composes the layers of a frame clipped to `part` and shows that part;
  // the rest of the back buffer and the screen keep the last frame.
  void compose_frame(const FrameRect& part);
  // Shows `part` of the back buffer.
  void show(const FrameRect& part);
  // Waits; tests replace it.
  std::function<void(int ms)> pause_ms = [](int ms) { usleep(static_cast<useconds_t>(ms) * 1000); };

  // -- Messages (display_messages.cpp) --
  // The message box output: formats safely, wraps into the log and writes the log file.
  void print_msg(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
  // A line that waits for a key: printed with the newest lines in view.
  void print_prompt(const std::string& text);
  void hide_input_line() {
    input_shown = 0;
    request_frame();
  }
  std::string get_last_msg() const { return msg_log.get_last_msg(); }
  // The message-text code of a colour value (16 when it is none of them).
  char colour_code(int colour) const;
  void scroll_messages_up() { msg_log.scroll_up(); }
  void scroll_messages_down() { msg_log.scroll_down(); }
  void scroll_messages_reset() { msg_log.scroll_reset(); }
  // Draws the message area; `plain` gives it a black background.
  void draw_messages(BITMAP* dest, bool plain = false);
  // Draws the entry line into `input_bitmap` and shows it.
  void draw_input_line(const std::string& prompt, const std::string& text, int caret);
  std::string get_link_at(int x, int y) const { return ::get_link_at(links, x, y); }
  MessageLog msg_log;
  MsgPalette msg_palette;
  std::string card_link;
  std::string talk_speaker;
  std::string input_prompt;  // the prompt of the text-entry line
  // Every message printed this run as the player reads it, newest last.
  std::deque<std::string>& messages = msg_log.messages;

  // -- Book, help and talk windows, status lines (display_windows.cpp) --
  void set_book_text(const std::string& text);
  void draw_book();
  void draw_help_text();
  void draw_talk_panel(BITMAP* dest);
  void draw_player_status(BITMAP* dest);
  BookState book;
  int help_scroll = 0;
  std::vector<std::string> help_lines;
  std::vector<std::string> talk_topics;

  // -- Minimap and aux box (display_windows.cpp) --
  // A grid of no level, saved nowhere: the new session's, say.
  void clear_minimap() { minimap.clear(); }
  void build_minimap();
  void set_minimap_cell(int x, int y, int tile);
  void draw_minimap(BITMAP* dest);
  // Returns the text given, as scripts expect.
  std::string auxbox_set_line(int i, const std::string& text) {
    auxbox.set_line(i, text);
    return text;
  }
  void auxbox_clear() { auxbox.clear(res_y); }
  // The lines as the last composed frame showed them. Scripts clear and set
  // the lines every tick; a frame is due only when they differ from these.
  std::vector<std::string> auxbox_shown;
  int auxbox_get_width() const { return auxbox_width(res_x, panel_x); }
  int auxbox_get_height() const { return auxbox_height(res_y); }
  void draw_aux_box(BITMAP* dest) { auxbox.draw(dest, panel_x, res_y); }
  MinimapGrid minimap;
  int minimap_span = MINIMAP_SPAN_NEAR;  // cells across; CTRL+Stats switches near and far
  AuxBox auxbox;
  std::vector<std::string>& auxbox_lines = auxbox.lines;

  // -- Intro screens (display_windows.cpp) --
  // Points the intro loop's drawing and pointer at this display.
  void install_intro_hooks();
  void free_title();

  BITMAP* title_bg = nullptr;
  BITMAP* title_pic = nullptr;
  bool title_tried = false;
  int intro_selection = 0;
  int intro_avatar_frame = 0;

  // Backgrounds in the box colour with the fading shade, kept between frames.
  struct ShadedBox {
    BITMAP* bmp = nullptr;
    int fill = -1;
  };
  BITMAP* shaded_box(ShadedBox& cache, int w, int h, int fill);
  BITMAP* message_backdrop();
  ShadedBox msg_backdrop, lower_backdrop;
  // ==== end of frame composition and text components ====

  // ---- Members ----
  std::vector<TextLink> links;
  std::vector<Button> hotbar;
  std::vector<int32_t> modes;  // indexes into the mode table of the offered modes
  int32_t tile_ids[TILES_NUM_MAP] = {};
  uint8_t tile_listed[TILES_NUM_MAP] = {};
  int32_t anim_tile_base = 0;
  int32_t anim_tile_frame = 0;
  bool fullscreen = false;
  int32_t gfx_card = 2;
  int switch_mark = -1;
  int32_t anim_phase = 0;
  uint8_t safe_mode = 0;
  // The graphics library is running (init got past allegro_init); until
  // then every call that would reach the library does nothing.
  bool allegro_up = false;
  // reset_switch_mode has set the graphics mode once this run.
  bool mode_set_once = false;

  BITMAP* tiles = nullptr;
  BITMAP* tiles_grey = nullptr;
  BITMAP* work_bitmap = nullptr;
  BITMAP* minimap_bitmap = nullptr;
  BITMAP* panel_bitmap = nullptr;
  BITMAP* input_bitmap = nullptr;
  BITMAP* play_bitmap = nullptr;
  BITMAP* cursor_blue = nullptr;
  BITMAP* cursor_yellow = nullptr;
  BITMAP* cursor_white = nullptr;
  BITMAP* skin = nullptr;
  BITMAP* help_pic = nullptr;
  BITMAP* book_pic = nullptr;
  BITMAP* overlay = nullptr;
  BITMAP* overlay_grey = nullptr;
  BITMAP* tile_scratch = nullptr;
  BITMAP* mouse_sprite = nullptr;
  BITMAP* move_cursors[MOVE_CURSORS] = {};
  BITMAP* attack_cursors[MOVE_CURSORS] = {};
  BITMAP* cursor_special = nullptr;
  BITMAP* cursor_default = nullptr;
  BITMAP* cursor_other = nullptr;
  BITMAP* back_buffer = nullptr;
  BITMAP* special = nullptr;
  // The datafiles of the fonts in use (main, names, menu, runes, book),
  // freed with the display; null where a font fell back to the main one.
  static constexpr int FONT_FILES = 5;
  DATAFILE* font_datafiles[FONT_FILES] = {};
  // The library's own font: the main font when pics/font.dat is missing, and
  // what the library's `font` is set back to when ours are freed.
  FONT* library_font = nullptr;
  FONT* main_font = nullptr;
  FONT* rune_font = nullptr;
  FONT* names_font = nullptr;
  FONT* menu_font = nullptr;
  FONT* book_font = nullptr;
  FONT* msg_font = nullptr;

  // The box colour and its 0.8 shade.
  int box_colour = 0, box_colour_dark = 0;
  int palette[PALETTE_SIZE] = {};
  int32_t quake_offset = 0;

  // Layout figures (see layout.h).
  int32_t panel_x = 0, panel_y = 0;
  int32_t msg_x = 0, msg_height = 0, msg_rows = MSG_VISIBLE_ROWS;
  int32_t play_height = 0, input_width = 0, line_chars = 0;
  int32_t tile_size = PLAY_CELL;
  int32_t src_x = PLAY_CELL, src_y = PLAY_CELL;
  int32_t play_w = 0, play_h = 0, play_x = 0, play_y = 0;
  int32_t skin_x = 0, skin_y = 0;
  int32_t aux_x = 0, aux_y = 0;
  int32_t help_rows = 0;
  int32_t sheet_tile = 0, sheet_border = 0;

  // Smooth scrolling: the last step and the screen pixels still to scroll.
  int32_t scroll_dx = 0, scroll_dy = 0, scroll_offset = 0;

  // The cell the day effect picked on a sunlit floor; the field of view
  // shows a marker object there. x below 0: none.
  int32_t marker_x = -1, marker_y = -1;
  void clear_day_marker() { marker_x = marker_y = -1; }

  // Settings copied at start-up and by the login replies. The copies of
  // options (old_lighting, mouse_enabled, show_threat, dont_show_quake,
  // smooth_scaling, show_fps, hide_bar) are written by apply_option_copies
  // (input/options.h) only; large_statbox and large_message_font by
  // read_layout_options only.
  uint8_t old_lighting = 0;
  // Set when the desktop's colour depth cannot show shaded lighting: old
  // lighting then stays on whatever the option says.
  uint8_t shading_unavailable = 0;
  uint8_t mouse_enabled = 1;  // kept with its option; nothing reads it (movement asks the option)
  uint8_t show_threat = 1;
  uint8_t dont_show_quake = 0;
  uint8_t smooth_scaling = 0;
  uint8_t show_fps = 0;
  uint8_t custom_cursors = 1;
  uint8_t large_statbox = 0;
  uint8_t large_message_font = 0;
  uint8_t hide_bar = 0;
  uint8_t mouse_shown = 1;
  uint8_t input_shown = 0;
  int curr_display = 0;
  int statbox_page = 0;
  // Whether the menu is shown is its mode's (`menu_open()`, core/interaction_modes.h).
  int menu_page = 0;
  uint8_t show_age = 0;
  uint8_t show_class_skills = 0;
  uint8_t show_skill_total = 0;
  int levels_per_remort = 0;

 private:
  void redraw_panel(BITMAP* target);
  // Colours as the list rows keep them, 0xRRGGBB.
  int school_rgb(int spell) const;
  int item_rgb(const Item& item) const;
  int box_colour_rgb() const;

  // Frees the tile sheets and the overlay with their grey copies.
  void free_sheets();
  // The parts of `init` after the graphics mode is set.
  int load_pictures();
};

extern QYXDisplay d;

// Redraws the side panel's stat page.
inline void playerstats(BITMAP* target) { d.playerstats(target); }

// The one place where a blocking message box would be shown. With no desktop
// to click it away (no DISPLAY, or ZIB_NO_DIALOGS set, as under test and
// Xvfb) it only writes the log.
void show_alert(const std::string& text);
// Whether show_alert may open a dialog.
bool dialogs_allowed();

// Sets a graphics mode (Allegro's set_gfx_mode with no virtual screen);
// 0 on success. Replaceable so that tests can refuse modes.
extern std::function<int(int card, int w, int h)> gfx_mode_setter;

// Routes the window's close button to `callback` once graphics run.
void set_close_button(void (*callback)());

// The graphics library's version text.
const char* graphics_version();

// Shaded lighting needs a 16 or 32-bit desktop; at any other depth, or
// none known (0), the old lighting is used.
bool shaded_lighting_depth(int desktop_depth);
