#pragma once
// The pre-game screens of a session: the title screen, the intro menu, the
// login form and the character-creation form. This is the deciding half: which
// screen shows, what each key and click does to the texts and choices, and
// what is saved to "client.cfg". The drawing lives in display/display_intro.
//
// Screens are the `conn_state` values CONN_TITLE, CONN_MENU, CONN_LOGIN_FORM
// and CONN_CREATE_FORM.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class ConfigFile;
class SkillsClasses;

// What a key or click led to; the last three are do_intro's results.
constexpr int INTRO_GOING_ON = -2;
constexpr int INTRO_QUIT = -1;
constexpr int INTRO_LOGIN = 0;
constexpr int INTRO_CREATE = 1;

// The fields of each form, the last one its enter button.
constexpr int LOGIN_FIELD_NAME = 0, LOGIN_FIELD_ACCOUNT = 1, LOGIN_FIELD_PASSWORD = 2,
              LOGIN_FIELD_SERVER = 3, LOGIN_FIELD_ENTER = 4;
constexpr int CREATE_FIELD_ACCOUNT = 0, CREATE_FIELD_PASSWORD = 1, CREATE_FIELD_NAME = 2,
              CREATE_FIELD_SERVER = 3, CREATE_FIELD_GENDER = 4, CREATE_FIELD_RACE = 5,
              CREATE_FIELD_CLASS = 6, CREATE_FIELD_AVATAR = 7, CREATE_FIELD_ENTER = 8;

// The title animation: a procession of figures carrying an item along a path
// over a strip of map tiles.
constexpr int TITLE_FIGURES = 10;
constexpr int TITLE_PATH_STEPS = 52;
constexpr int TITLE_STRIP_W = 19, TITLE_STRIP_H = 5;
constexpr int TITLE_ITEM_CODES = 10;
constexpr int TITLE_AVATAR_CHOICES = 7;
constexpr int INTRO_ANIM_PASSES = 20;

// Mouse hits on the screens; the display's layout turns a point into one.
enum IntroHitKind { HIT_NONE = 0, HIT_MENU_ENTRY, HIT_FIELD, HIT_LEFT_ARROW, HIT_RIGHT_ARROW };
struct IntroHit {
  int kind = HIT_NONE;
  int index = 0;  // menu entry (1-based) or form field
};

// Everything the screens show; the display draws from this alone.
struct IntroState {
  int screen = 1;
  bool qyx = false;       // "dat/common.cfg" "game_name" is "QYX"
  int menu_selection = 1;  // 1-based, kept between sessions

  // Texts and choices edited in place; the login and creation forms share the
  // account, password and server.
  std::string name;  // the stored character of the login form
  std::string account;
  std::string password;
  int server_idx = 0;
  size_t server_rows = 0;
  int login_field = LOGIN_FIELD_NAME;

  std::string new_name;
  char gender = 'M';
  int16_t race = 0;
  int16_t cls = -1;
  int32_t avatar = -1;
  int create_field = CREATE_FIELD_NAME;
  size_t class_pos = 0;   // in the race's class list, kept between sessions
  size_t avatar_pos = 0;  // in the gender's avatar list of the race

  // Animation.
  int pass = 0;
  bool title_run = false;        // the procession went round once
  int title_step = 0;            // 0 .. TITLE_PATH_STEPS - 1
  int title_item = 0;            // an item code of the procession
  int title_avatars[2] = {0, 0};  // indexes into the title avatar table
  int title_frames[2] = {0, 0};
  bool animate_avatar = false;  // this pass picks a new avatar frame
};

// Where figure `figure` of the procession stands at `step`, in pixels within
// the tile strip (32 per cell); false while it is off the path.
bool title_figure_at(int figure, int step, int& x, int& y);
// The procession's figures after the leading item: avatar codes.
int title_figure_avatar(int figure);
// The two title avatars are picked from these.
int title_avatar_code(int choice);

// Number of menu entries.
int intro_menu_entries(bool qyx);

class IntroScreens {
 public:
  // `rand_below(n)` gives 0 .. n - 1; tests fix it.
  IntroScreens(const SkillsClasses& classes, ConfigFile& cfg, std::function<int(int)> rand_below);

  // The entry steps: the stored name and (with "savepass") password, a valid
  // race, and the first class and avatar when none is chosen. False when the
  // skills data holds no race at all.
  bool begin(int screen, bool qyx, const std::string& account, const std::string& new_name,
             char gender, int16_t race, int16_t cls, int32_t avatar, int server_idx,
             size_t server_rows);

  // One key in readkey form; an INTRO_ result.
  int key(int k);
  // The left button is held over `hit`; clicked is the release of a click.
  int press(const IntroHit& hit);
  int click(const IntroHit& hit);
  // Counts a pass and steps the animations.
  void tick();

  const IntroState& state() const { return s_; }
  IntroState& state() { return s_; }

 private:
  int menu_key(int k);
  int login_key(int k);
  int create_key(int k);
  int menu_choose(int entry);
  int submit_login();
  int submit_create();
  void change_choice(int field, int dir, bool wrap_server);
  void step_race(int dir);
  void step_gender();
  void pick_random_avatar();
  std::vector<int> avatar_list() const;
  std::vector<uint16_t> class_list() const;
  void sync_class_pos();

  const SkillsClasses& classes_;
  ConfigFile& cfg_;
  std::function<int(int)> rand_below_;
  IntroState s_;
};

// The pointer as the intro loop sees it each pass.
struct IntroPointer {
  IntroHit hit;              // what lies under the pointer
  bool left_held = false;
  bool left_released = false;  // released since the last pass
};

// The intro loop draws and reads the pointer through these. The display sets
// them once a graphics mode is up; until then `draw` only logs each screen as
// it is entered (so that a headless run can be followed) and there is no
// pointer.
struct IntroHooks {
  std::function<void(const IntroState&)> draw;
  std::function<IntroPointer(const IntroState&)> pointer;
};
extern IntroHooks intro_hooks;

// The name of a screen for the log.
const char* intro_screen_name(int screen);

// Classifying keys in readkey form. Keys that came from a character-only
// source (scancode 0) are recognised by their character.
bool intro_is_enter(int k);
bool intro_is_esc(int k);
bool intro_is_backspace(int k);
bool intro_is_tab(int k);
