#pragma once
// Drawing of the intro screens: the title screen with its procession, the
// menu, the login form and the character-creation form. What they show comes
// from the intro loop's state (app/intro_screens.h); these functions only
// draw it, in a fixed 640 by 480 frame centred on the screen.
//
// The forms are drawn into `play` at frame coordinates over a piece of the
// title picture, then copied to the same frame place of `back`.

#include <cstdint>
#include <string>
#include <vector>

#include "app/intro_screens.h"

struct BITMAP;
struct FONT;
class SkillsClasses;
class Tiles;

constexpr int INTRO_FRAME_W = 640, INTRO_FRAME_H = 480;

struct IntroCanvas {
  BITMAP* back = nullptr;  // the back buffer, the screen's size
  BITMAP* play = nullptr;  // at least 640 by 480
  BITMAP* work = nullptr;  // at least 96 by 96
  BITMAP* title_bg = nullptr;
  BITMAP* title_pic = nullptr;
};

struct IntroFonts {
  FONT* main = nullptr;
  FONT* menu = nullptr;
  FONT* names = nullptr;
  FONT* plain = nullptr;  // Allegro's own font
};

struct IntroColours {
  int c1 = 0;  // normal text ("dat/common.cfg" "c1")
  int c2 = 0;  // the active entry ("c2")
  int white = 0;
  int black = 0;
  int mask = 0;
};

// The tile sheet: 16 cells of tile + border pixels to a row; the overlay has
// cells of tile pixels. `table` resolves item codes and map tiles to pictures.
struct IntroSheet {
  BITMAP* tiles = nullptr;
  BITMAP* overlay = nullptr;  // null when "pics/overlay.png" is missing
  int tile = 32;
  int border = 0;
  const Tiles* table = nullptr;
};

// Texts the screens show besides the state.
struct IntroTexts {
  std::string game_name;    // "dat/common.cfg" "game_name"
  std::string race_label;   // "race_label" as written there; the form adds ':'
  std::string class_label;  // "class_label" as written there
  std::string client_line;  // see intro_client_line
  std::vector<std::string> servers;  // the names of the server rows
};
// The texts of the configuration and the server list.
IntroTexts intro_texts();

struct IntroPoint {
  int x = 0, y = 0;
};

// Screen point of frame point (0, 0).
IntroPoint intro_frame_origin(int screen_w, int screen_h);
// Text height of the menu font times 1.1, truncated.
int intro_line_height(FONT* menu_font);
// "Zib v1.3.47 server:port".
std::string intro_client_line(const std::string& server, const std::string& port);
// A label from "dat/common.cfg": first letter upper-cased, then ':'.
std::string intro_label(const std::string& text);

// ---- What each form shows ----------------------------------------------------

struct LoginView {
  int field = 0;
  std::string name, account, password, server, game_name;
};
struct CreateView {
  int field = 0;
  std::string account, password, name, server;
  char gender = 'M';
  std::string race_label, class_label;  // already with their ':'
  std::string race_name, class_name, race_desc, class_desc;
  std::string enter_line;  // empty while a required text is missing
  int32_t avatar = 0;
};

LoginView intro_login_view(const IntroState& st, const IntroTexts& texts);
CreateView intro_create_view(const IntroState& st, const IntroTexts& texts,
                             const SkillsClasses& classes);

// Texts drawn in the value column: the caret "_" marks the active entry;
// passwords show as one '*' a character.
std::string intro_stars(const std::string& password);

// ---- Pointer -----------------------------------------------------------------

// What lies at frame point (fx, fy) of the screen `st` shows.
IntroHit intro_hit_at(const IntroState& st, int fx, int fy, int line_height);

// ---- Drawing -----------------------------------------------------------------

// Loads "pics/titlebg.png" and "pics/title.png" where not loaded yet; true
// when both are there.
bool load_title_pictures(IntroCanvas& c);
// Destroys both title pictures when both are loaded.
void free_title(IntroCanvas& c);
// The title backdrop and the client line; nothing without both pictures.
void draw_title(IntroCanvas& c, FONT* names_font, const IntroColours& col,
                const std::string& client_line);
// The menu with entry `selected` (1-based) lit. Unless `force`, a selection
// equal to `intro_selection` draws nothing, and a drawn one is remembered
// there. True when drawn.
bool draw_intro_menu(const IntroCanvas& c, const IntroFonts& f, const IntroColours& col, bool qyx,
                     int selected, bool force, int& intro_selection);
void draw_login(const IntroCanvas& c, const IntroFonts& f, const IntroColours& col,
                const LoginView& v);
// `frame` is the avatar's animation frame.
void draw_create(const IntroCanvas& c, const IntroFonts& f, const IntroColours& col,
                 const IntroSheet& sheet, const CreateView& v, int frame);
// Frames of the avatar's tile record (at least 1).
int avatar_frame_count(const IntroSheet& sheet, int32_t avatar);
// The avatar's tile three times enlarged at frame point (fx, fy) of `back`.
void draw_avatar_preview(const IntroCanvas& c, const IntroSheet& sheet, int32_t avatar, int fx,
                         int fy, int frame);
// The title's strip of map tiles with the procession at the state's step,
// into the top-left of `play`.
void draw_title_strip(const IntroCanvas& c, const IntroSheet& sheet, const IntroState& st);
// The strip copied under the form area, and "Press ENTER to continue!".
void draw_press_enter(const IntroCanvas& c, FONT* plain_font, int white);

// One pass of the intro loop: backdrop, the current screen and, for the QYX
// game, the two title avatars. `avatar_frame` is the creation avatar's frame,
// renewed on the passes that animate it (`rand_below`).
void draw_intro_pass(IntroCanvas& c, const IntroFonts& f, const IntroColours& col,
                     const IntroSheet& sheet, const IntroState& st, const IntroTexts& texts,
                     const SkillsClasses& classes, int& intro_selection, int& avatar_frame,
                     int (*rand_below)(int));
