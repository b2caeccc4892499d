#pragma once
// Stand-ins for the display, input, sound and key-binding subsystems, which are
// not built yet. They keep the names and calls of the real classes so that the
// callers stay as they are when each one is replaced; until then the program
// runs headless: messages go to the log, drawing does nothing, keys come from
// standard input when it is not a terminal (so that tests can type them).
//
// standins.cpp also holds the headless bodies of the ClientApp input steps
// (do_mouse, do_tick, ...) and of the intro screens (do_intro: a key journeys
// onward or creates the stored character, q quits).
//
// Delete the matching section here when a subsystem lands.

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "core/item.h"

// ---- Graphics display (global `d`) -------------------------------------------

constexpr int MINIMAP_SIZE = 250;

class QYXDisplay {
 public:
  // 0 started, 1 failed (reported), 2 tile files missing.
  int init(bool fullscreen);
  void print_msg(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
  void refresh_screen() {}
  void clear_back_buffer() {}
  void flip() {}
  void hide_input_line() { input_shown = 0; }
  void set_mouse_cursor(int code) { cursor_code = code; }
  void free_title() {}
  void copy_tile_table() {}
  void install_switch_mode_once() { switch_mark = 1; }
  void reset_switch_mode() { switch_mark = -1; }
  void set_switch_mode() {}
  void clear_minimap();
  void build_minimap() {}
  void draw_window(int flag = 0) { (void)flag; }
  bool mouse_over_hotbar() const { return false; }
  void screenshot() {}
  void game_over() {}

  // Lists, the text-entry line, the map viewer and the screen size. Until the
  // list windows are drawn, a list choice records its list and style only.
  Item list_input(class ItemList& list, int rows, int style, int flag) {
    (void)list; (void)rows; (void)flag;
    list_input_calls++;
    last_list_style = style;
    return Item(-1);
  }
  void draw_input_line(const std::string& prompt, const std::string& text, int caret) {
    input_prompt = prompt;
    (void)text; (void)caret;
    input_shown = 1;
  }
  void draw_list_panel(class ItemList& list, int style, int flag) { (void)list; (void)style; (void)flag; }
  void draw_map_view(bool rebuild) { (void)rebuild; map_view_draws++; }
  // 0 when the screen took the new size.
  int set_resolution(int width, int height);
  void load_tiles() { tile_reloads++; }
  // The message-box colour of an item's text, and the control code of a colour.
  int item_text_colour(const Item& item) const { (void)item; return 0; }
  int colour_code(int colour) const { (void)colour; return 16; }

  // Settings copied at start-up and by the login replies.
  uint8_t old_lighting = 0;
  uint8_t mouse_enabled = 1;
  uint8_t show_threat = 1;
  uint8_t dont_show_quake = 0;
  uint8_t smooth_scaling = 0;
  uint8_t show_fps = 0;
  uint8_t custom_cursors = 1;
  uint8_t hide_status_icons = 0;
  uint8_t hide_bar = 0;
  uint8_t mouse_shown = 1;
  uint8_t ranged_weapon = 0;
  uint8_t input_shown = 0;
  int curr_display = 0;
  int statbox_page = 0;
  uint8_t help_open = 0;
  uint8_t book_open = 0;
  uint8_t map_open = 0;
  uint8_t menu_open = 0;
  int menu_page = 0;
  uint8_t show_age = 0;
  uint8_t show_class_skills = 0;
  uint8_t show_skill_total = 0;
  int levels_per_remort = 0;
  int switch_mark = -1;
  int cursor_code = 0;
  uint8_t minimap[MINIMAP_SIZE][MINIMAP_SIZE] = {};
  int tile_size = 32;
  std::string list_title;
  std::vector<std::string> talk_topics;
  std::vector<std::string> menu_rows;
  int list_panel = 0;        // 1 while the list panel shows
  std::string input_prompt;  // the prompt of the text-entry line
  int list_input_calls = 0;
  int last_list_style = -1;
  int map_view_draws = 0;
  int tile_reloads = 0;

  // Every message printed this run, newest last (the headless message box).
  std::deque<std::string> messages;
};

// Redraws the side panel's stat page.
void playerstats(int page);

// The one place where a blocking message box would be shown. Headless (and
// under test) it only writes the log.
void show_alert(const std::string& text);

// Screen size used by the display.
extern int screen_w, screen_h;

// ---- Input (keys) ------------------------------------------------------------

bool key_waiting();
// The next key in readkey form (scancode << 8 | character); 0 when none.
int read_key();
void clear_key_buffer();
// Test helpers: queue a key that is waiting now; type a key later (it becomes
// waiting only once the buffer is empty, so a buffer clear does not drop it);
// forget every key.
void push_key(int key);
void type_key_later(int key);
void drop_keys();
// Whether keys are read from standard input (on by default; tests turn it off).
void set_stdin_keys(bool on);

// Mouse wheel position (the game library's mouse_z).
inline int mouse_wheel() { return 0; }

class Keymap {
 public:
  void load() {}
  // Whether the action (0..30) is bound to the scancode.
  bool is_key(int action, int scancode) const {
    return action >= 0 && action < KEYMAP_ACTIONS && scancode != 0 && binds[action] == scancode;
  }
  static constexpr int KEYMAP_ACTIONS = 31;
  int binds[KEYMAP_ACTIONS] = {};
};

// The keys of headless play (a list choice, an attack, readying a weapon).
void headless_play_key(int key);

// The player's item choices of the trade windows and the item menus.
class ItemList;
int construct_item_list(ItemList& list, int filter);
int construct_trade_list(ItemList& list, char kind, bool from_table, int free_flag);
// The neighbouring cell of the player in direction 1..8 (x wrapped on a
// wrapping map); 0 and the player's own cell for any other value.
int dir_to_xy(int direction, int& x, int& y);
// Volume factor 0..1 of a sound at (x1, y1) heard from (x2, y2).
float sound_distance_factor(int x1, int y1, int x2, int y2);

class Options {
 public:
  int get(int n) const { (void)n; return 0; }
};

// ---- Audio (global `sound`) --------------------------------------------------

class Sound {
 public:
  // 0 started; non-zero failed.
  int init() { return 0; }
  void apply_volume() {}
  void play_music(int track, bool force) { (void)track; (void)force; }
  void stop_music() {}
  void poll_music() {}
  void stop_all_loops() {}
  void load_mount_sounds() {}
  void play_effect(int id) { remember(effects_played, id); }
  void play_effect_scaled(int id, float factor) {
    (void)factor;
    remember(effects_played, id);
  }
  void play_spell_sound_scaled(int spell, float factor) {
    (void)factor;
    remember(spell_sounds, spell);
  }
  void stop_spell_sound(int spell) { remember(spell_sounds_stopped, spell); }
  void stop_loop(int id) { (void)id; }

  // What was asked of the sound object, newest last.
  std::vector<int> effects_played;
  std::vector<int> spell_sounds;
  std::vector<int> spell_sounds_stopped;

 private:
  static void remember(std::vector<int>& v, int id) {
    if (v.size() >= 256) v.erase(v.begin());
    v.push_back(id);
  }
};

