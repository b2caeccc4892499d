// The intro screens' states, keys, editing rules and what they save.

#include "app/intro_screens.h"

#include <allegro.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "app/client_app.h"
#include "app/globals.h"
#include "app/login.h"
#include "app/server_list.h"
#include "core/config_file.h"
#include "core/log.h"
#include "core/skills_classes.h"
#include "core/utils.h"
#include "display/layout.h"

namespace {
// Item codes carried at the head of the title procession.
constexpr int TITLE_ITEMS[TITLE_ITEM_CODES] = {0x100, 0x108, 0x10a, 0x10f, 0x113,
                                               0x118, 0x11e, 0x140, 0x158, 0x15e};
// Figure codes that draw people: each people's men and women.
constexpr int TITLE_AVATARS[TITLE_AVATAR_CHOICES] = {0x200, 0x202, 0x204, 0x206,
                                                     0x208, 0x20a, 0x201};
// The walkers behind the item, a mixed file of all three peoples.
constexpr int TITLE_WALKERS[TITLE_FIGURES - 1] = {0x200, 0x206, 0x208, 0x203, 0x205,
                                                  0x20b, 0x201, 0x207, 0x209};
// Figures walk in file, this many path steps apart.
constexpr int TITLE_FIGURE_GAP = 4;

int scancode(int k) { return (k >> 8) & 0xff; }
int ascii(int k) { return k & 0xff; }
bool is_sc(int k, int a, int b = -1, int c = -1) {
  int s = scancode(k);
  return s != 0 && (s == a || s == b || s == c);
}
bool is_up(int k) { return is_sc(k, KEY_UP, KEY_8_PAD); }
bool is_down(int k) { return is_sc(k, KEY_DOWN, KEY_2_PAD) || intro_is_tab(k); }
bool is_left(int k) { return is_sc(k, KEY_LEFT, KEY_4_PAD); }
bool is_right(int k) { return is_sc(k, KEY_RIGHT, KEY_6_PAD); }
bool is_letter(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_digit(int c) { return c >= '0' && c <= '9'; }

void append_char(std::string& text, int c, size_t limit) {
  if (text.size() < limit) text += static_cast<char>(c);
}
void remove_last(std::string& text) {
  if (!text.empty()) text.pop_back();
}
}  // namespace

bool intro_is_enter(int k) {
  int s = scancode(k);
  if (s == 0) return ascii(k) == '\r' || ascii(k) == '\n';
  return s == KEY_ENTER || s == KEY_ENTER_PAD;
}
bool intro_is_esc(int k) { return scancode(k) == 0 ? ascii(k) == 27 : scancode(k) == KEY_ESC; }
bool intro_is_backspace(int k) {
  if (scancode(k) == 0) return ascii(k) == 8 || ascii(k) == 127;
  return scancode(k) == KEY_BACKSPACE;
}
bool intro_is_tab(int k) { return scancode(k) == 0 ? ascii(k) == '\t' : scancode(k) == KEY_TAB; }

int intro_menu_entries(bool qyx) { return qyx ? 4 : 3; }

bool title_figure_at(int figure, int step, int& x, int& y) {
  int p = step - figure * TITLE_FIGURE_GAP;
  if (figure < 0 || figure >= TITLE_FIGURES || p < 0 || p >= TITLE_PATH_STEPS) return false;
  // Along the road of the strip's middle row, with a bob every other step.
  x = p * (TITLE_STRIP_W - 1) * PLAY_CELL / (TITLE_PATH_STEPS - 1);
  y = 2 * PLAY_CELL - (p % 2) * 2;
  return true;
}

int title_figure_avatar(int figure) {
  return TITLE_WALKERS[figure >= 1 && figure < TITLE_FIGURES ? figure - 1 : 0];
}

int title_avatar_code(int choice) {
  return TITLE_AVATARS[choice >= 0 && choice < TITLE_AVATAR_CHOICES ? choice : 0];
}

IntroScreens::IntroScreens(const SkillsClasses& classes, ConfigFile& cfg,
                           std::function<int(int)> rand_below)
    : classes_(classes), cfg_(cfg), rand_below_(std::move(rand_below)) {
  s_.title_item = TITLE_ITEMS[rand_below_(TITLE_ITEM_CODES)];
  s_.title_avatars[0] = rand_below_(TITLE_AVATAR_CHOICES);
  s_.title_avatars[1] = rand_below_(TITLE_AVATAR_CHOICES);
}

std::vector<int> IntroScreens::avatar_list() const {
  return s_.gender == 'F' ? classes_.get_race_female_tiles(s_.race)
                          : classes_.get_race_male_tiles(s_.race);
}

std::vector<uint16_t> IntroScreens::class_list() const {
  const RaceRecord* r = classes_.get_race(s_.race);
  return r ? r->classes : std::vector<uint16_t>{};
}

void IntroScreens::sync_class_pos() {
  std::vector<uint16_t> list = class_list();
  auto it = std::find(list.begin(), list.end(), static_cast<uint16_t>(s_.cls));
  if (it != list.end())
    s_.class_pos = static_cast<size_t>(it - list.begin());
  else if (s_.class_pos >= list.size())
    s_.class_pos = 0;
}

bool IntroScreens::begin(int screen, bool qyx, const std::string& account,
                         const std::string& new_name, char gender, int16_t race, int16_t cls,
                         int32_t avatar, int server_idx, size_t server_rows) {
  s_.qyx = qyx;
  // The title screen belongs to the QYX game alone.
  if (screen == 0 && !qyx) screen = 1;
  if (screen != 0 && screen != 1 && screen != 3 && screen != 4) screen = 1;
  s_.screen = screen;
  s_.menu_selection = std::clamp(s_.menu_selection, 1, intro_menu_entries(qyx));
  s_.name = cfg_.get("name");
  s_.password = cfg_.get_int("savepass") != 0 ? cfg_.get("passwd") : "";
  s_.account = account;
  s_.new_name = new_name;
  s_.gender = gender == 'F' ? 'F' : 'M';
  s_.server_rows = server_rows;
  s_.server_idx = server_rows == 0 ? 0 : std::clamp(server_idx, 0, static_cast<int>(server_rows) - 1);
  s_.pass = 0;

  if (!classes_.get_race(race)) {
    race = 0;
    if (!classes_.get_race(0)) return false;
  }
  s_.race = race;
  s_.cls = cls;
  std::vector<int> avatars = avatar_list();
  if (avatar == -1 && !avatars.empty()) avatar = avatars[0];
  s_.avatar = avatar;
  auto at = std::find(avatars.begin(), avatars.end(), avatar);
  s_.avatar_pos = at == avatars.end() ? 0 : static_cast<size_t>(at - avatars.begin());
  std::vector<uint16_t> list = class_list();
  if (s_.cls == -1 && !list.empty()) s_.cls = static_cast<int16_t>(list[0]);
  sync_class_pos();
  if (screen == 4) s_.create_field = CREATE_FIELD_NAME;
  return true;
}

void IntroScreens::tick() {
  ++s_.pass;
  bool due = s_.pass % INTRO_ANIM_PASSES == 0;
  s_.animate_avatar = due && s_.screen == 4;
  if (!due) return;
  if (s_.qyx) {
    s_.title_frames[0] = rand_below_(4);
    s_.title_frames[1] = rand_below_(4);
  }
  if (s_.screen == 0 && ++s_.title_step >= TITLE_PATH_STEPS) {
    s_.title_step = 0;
    s_.title_run = true;
    s_.title_item = TITLE_ITEMS[rand_below_(TITLE_ITEM_CODES)];
  }
}

int IntroScreens::key(int k) {
  switch (s_.screen) {
    case 0:
      s_.screen = 1;
      return INTRO_GOING_ON;
    case 1:
      return menu_key(k);
    case 3:
      return login_key(k);
    case 4:
      return create_key(k);
    default:
      s_.screen = 1;
      return INTRO_GOING_ON;
  }
}

int IntroScreens::menu_choose(int entry) {
  switch (entry) {
    case 1:
      s_.screen = 3;
      return INTRO_GOING_ON;
    case 2:
      s_.screen = 4;
      return INTRO_GOING_ON;
    case 3:
      if (!s_.qyx) return INTRO_QUIT;
      s_.screen = 0;
      return INTRO_GOING_ON;
    case 4:
      return s_.qyx ? INTRO_QUIT : INTRO_GOING_ON;
    default:
      return INTRO_GOING_ON;
  }
}

int IntroScreens::menu_key(int k) {
  int c = ascii(k);
  int last = intro_menu_entries(s_.qyx);
  if (is_up(k)) {
    s_.menu_selection = std::max(1, s_.menu_selection - 1);
  } else if (is_down(k)) {
    s_.menu_selection = std::min(last, s_.menu_selection + 1);
  } else if (intro_is_esc(k) || c == 'q' || c == 'Q') {
    return INTRO_QUIT;
  } else if (c == ' ' || intro_is_enter(k)) {
    return menu_choose(s_.menu_selection);
  } else if (c == 'r' || c == 'R') {
    if (s_.qyx) s_.screen = 0;
  } else if (c == 'j' || c == 'J') {
    s_.screen = 3;
  } else if (c == 'c' || c == 'C') {
    s_.screen = 4;
  }
  return INTRO_GOING_ON;
}

int IntroScreens::login_key(int k) {
  int c = ascii(k);
  int& f = s_.login_field;
  std::string& text = f == LOGIN_FIELD_NAME ? s_.name
                      : f == LOGIN_FIELD_ACCOUNT ? s_.account
                                                 : s_.password;
  size_t limit = f == LOGIN_FIELD_NAME      ? LOGIN_CHARACTER_MAX
                 : f == LOGIN_FIELD_ACCOUNT ? LOGIN_ACCOUNT_MAX
                                            : LOGIN_PASSWORD_MAX;
  if (is_up(k)) {
    f = std::max(0, f - 1);
  } else if (is_down(k)) {
    f = std::min(LOGIN_FIELD_ENTER, f + 1);
  } else if (is_left(k)) {
    if (f == LOGIN_FIELD_SERVER) change_choice(CREATE_FIELD_SERVER, -1, false);
  } else if (is_right(k)) {
    if (f == LOGIN_FIELD_SERVER) change_choice(CREATE_FIELD_SERVER, 1, false);
  } else if (intro_is_esc(k)) {
    s_.screen = 1;
  } else if (intro_is_enter(k)) {
    if (f == LOGIN_FIELD_ENTER) return submit_login();
    if (f == LOGIN_FIELD_SERVER)
      f = LOGIN_FIELD_ENTER;
    else if (!text.empty())
      ++f;
  } else if (intro_is_backspace(k)) {
    remove_last(text);
  } else if (is_letter(c) || is_digit(c)) {
    append_char(text, c, limit);
  }
  return INTRO_GOING_ON;
}

int IntroScreens::create_key(int k) {
  int c = ascii(k);
  int& f = s_.create_field;
  std::string* text = f == CREATE_FIELD_ACCOUNT    ? &s_.account
                      : f == CREATE_FIELD_PASSWORD ? &s_.password
                      : f == CREATE_FIELD_NAME     ? &s_.new_name
                                                   : nullptr;
  if (is_up(k)) {
    f = std::max(0, f - 1);
  } else if (is_down(k)) {
    f = std::min(CREATE_FIELD_ENTER, f + 1);
  } else if (is_left(k)) {
    change_choice(f, -1, false);
  } else if (is_right(k)) {
    change_choice(f, 1, false);
  } else if (intro_is_esc(k)) {
    s_.screen = 1;
  } else if (intro_is_enter(k)) {
    if (f == CREATE_FIELD_ENTER) return submit_create();
    ++f;
  } else if (intro_is_backspace(k)) {
    if (text) remove_last(*text);
  } else if (text && (is_letter(c) || (is_digit(c) && f != CREATE_FIELD_NAME))) {
    append_char(*text, c,
                f == CREATE_FIELD_NAME       ? LOGIN_NEW_NAME_MAX
                : f == CREATE_FIELD_PASSWORD ? LOGIN_PASSWORD_MAX
                                             : LOGIN_ACCOUNT_MAX);
  }
  return INTRO_GOING_ON;
}

void IntroScreens::change_choice(int field, int dir, bool wrap_server) {
  switch (field) {
    case CREATE_FIELD_SERVER: {
      int rows = static_cast<int>(s_.server_rows);
      if (rows == 0) return;
      int next = s_.server_idx + dir;
      if (next >= rows) next = wrap_server ? 0 : rows - 1;
      s_.server_idx = std::max(0, next);
      return;
    }
    case CREATE_FIELD_GENDER:
      step_gender();
      return;
    case CREATE_FIELD_RACE:
      step_race(dir);
      return;
    case CREATE_FIELD_CLASS: {
      std::vector<uint16_t> list = class_list();
      if (list.empty()) return;
      size_t n = list.size();
      s_.class_pos = (std::min(s_.class_pos, n - 1) + static_cast<size_t>(dir + n)) % n;
      s_.cls = static_cast<int16_t>(list[s_.class_pos]);
      return;
    }
    case CREATE_FIELD_AVATAR: {
      std::vector<int> list = avatar_list();
      if (list.empty()) return;
      size_t n = list.size();
      s_.avatar_pos = (std::min(s_.avatar_pos, n - 1) + static_cast<size_t>(dir + n)) % n;
      s_.avatar = list[s_.avatar_pos];
      return;
    }
    default:
      return;
  }
}

void IntroScreens::pick_random_avatar() {
  std::vector<int> list = avatar_list();
  s_.avatar_pos = 0;
  if (list.empty()) return;
  // The position follows the avatar shown, so that the next step goes on from it.
  s_.avatar_pos = static_cast<size_t>(rand_below_(static_cast<int>(list.size())));
  if (s_.avatar_pos >= list.size()) s_.avatar_pos = 0;
  s_.avatar = list[s_.avatar_pos];
}

void IntroScreens::step_gender() {
  s_.gender = s_.gender == 'M' ? 'F' : 'M';
  pick_random_avatar();
}

void IntroScreens::step_race(int dir) {
  int n = classes_.max_races();
  if (n <= 0) return;
  // One round at most: a table with no selectable race leaves the choice alone.
  int r = s_.race;
  bool found = false;
  for (int tries = 0; tries < n && !found; ++tries) {
    r = ((r + dir) % n + n) % n;
    found = classes_.is_race_selectable(r);
  }
  if (!found) return;
  s_.race = static_cast<int16_t>(r);
  s_.avatar_pos = 0;
  if (n > 1) pick_random_avatar();
  if (!classes_.race_can_be_class(s_.race, s_.cls)) {
    std::vector<uint16_t> list = class_list();
    if (!list.empty()) s_.cls = static_cast<int16_t>(list[0]);
  }
  sync_class_pos();
}

int IntroScreens::submit_login() {
  if (s_.name.empty() || s_.account.empty() || s_.password.empty()) return INTRO_GOING_ON;
  cfg_.set("name", s_.name);
  cfg_.set("account", s_.account);
  if (cfg_.get_int("savepass") != 0) cfg_.set("passwd", s_.password);
  save_settings(cfg_);
  return INTRO_LOGIN;
}

int IntroScreens::submit_create() {
  if (s_.account.empty() || s_.password.empty() || s_.new_name.empty()) return INTRO_GOING_ON;
  cfg_.set("account", s_.account);
  if (cfg_.get_int("savepass") != 0) cfg_.set("passwd", s_.password);
  save_settings(cfg_);
  return INTRO_CREATE;
}

int IntroScreens::press(const IntroHit& hit) {
  if (s_.screen == 1 && hit.kind == HIT_MENU_ENTRY && hit.index >= 1 &&
      hit.index <= intro_menu_entries(s_.qyx))
    s_.menu_selection = hit.index;
  else if (s_.screen == 3 && hit.kind == HIT_FIELD && hit.index >= 0 && hit.index <= LOGIN_FIELD_ENTER)
    s_.login_field = hit.index;
  else if (s_.screen == 4 && hit.kind == HIT_FIELD && hit.index >= 0 && hit.index <= CREATE_FIELD_ENTER)
    s_.create_field = hit.index;
  return INTRO_GOING_ON;
}

int IntroScreens::click(const IntroHit& hit) {
  switch (s_.screen) {
    case 0:
      s_.screen = 1;
      return INTRO_GOING_ON;
    case 1:
      return hit.kind == HIT_MENU_ENTRY ? menu_choose(hit.index) : INTRO_GOING_ON;
    case 3:
      if (hit.kind == HIT_FIELD && hit.index == LOGIN_FIELD_ENTER) return submit_login();
      return INTRO_GOING_ON;
    case 4:
      if (hit.kind == HIT_FIELD && hit.index == CREATE_FIELD_ENTER) return submit_create();
      if (hit.kind == HIT_LEFT_ARROW) change_choice(hit.index, -1, false);
      if (hit.kind == HIT_RIGHT_ARROW) change_choice(hit.index, 1, true);
      return INTRO_GOING_ON;
    default:
      return INTRO_GOING_ON;
  }
}

// ---- The intro loop ----------------------------------------------------------

const char* intro_screen_name(int screen) {
  switch (screen) {
    case 0:
      return "title screen";
    case 3:
      return "login form";
    case 4:
      return "creation form";
    default:
      return "menu";
  }
}

namespace {
void log_screen_changes(const IntroState& st) {
  static int shown = -1;
  static int last_pass = 0;
  // A new call of the intro loop starts its passes again from 1.
  if (st.pass <= last_pass) shown = -1;
  last_pass = st.pass;
  if (st.screen == shown) return;
  shown = st.screen;
  writelog("intro: %s\n", intro_screen_name(st.screen));
}
}  // namespace

IntroHooks intro_hooks{log_screen_changes, nullptr};

int ClientApp::do_intro(std::string& account, std::string& new_name, char& gender, int16_t& race,
                        int16_t& cls, int32_t& avatar, int& server_idx) {
  constexpr int PASS_SLEEP_US = 10000;
  // One set of screens for the whole run: the menu selection and the place
  // in the class list carry over from one session to the next.
  static IntroScreens screens(sc, client_cfg, rand_int);
  FunctionTrace trace("do intro");
  trace.printf("chars=%d moves=%d", TITLE_FIGURES, TITLE_PATH_STEPS);
  if (!screens.begin(conn_state, game_is_qyx, account, new_name, gender, race, cls, avatar,
                     server_idx, server_list.size())) {
    writelog("no races set in config!\n");
    exit(1);
  }
  clear_keybuf();

  const IntroState& st = screens.state();
  int result = INTRO_GOING_ON;
  while (result == INTRO_GOING_ON) {
    sound.poll_music();
    IntroPointer pointer = intro_hooks.pointer ? intro_hooks.pointer(st) : IntroPointer{};
    int step = st.title_step;
    screens.tick();
    if (st.screen == CONN_TITLE && st.title_step != step) {
      for (int i = 0; i < TITLE_FIGURES; ++i) {
        int x = 0, y = 0;
        if (title_figure_at(i, st.title_step, x, y))
          trace.printf("i=%d x=%d y=%d ch=%x", i, x, y,
                       i == 0 ? st.title_item : title_figure_avatar(i));
      }
    }
    conn_state = st.screen;
    if (intro_hooks.draw) intro_hooks.draw(st);
    if (session_over) {
      result = INTRO_QUIT;
      break;
    }
    if (pointer.left_held) result = screens.press(pointer.hit);
    if (result == INTRO_GOING_ON && pointer.left_released) result = screens.click(pointer.hit);
    poll_keyboard();
    if (result == INTRO_GOING_ON && keypressed()) result = screens.key(readkey());
    conn_state = st.screen;
    if (result == INTRO_GOING_ON) usleep(PASS_SLEEP_US);
  }

  account = st.account;
  new_name = st.new_name;
  gender = st.gender;
  race = st.race;
  cls = st.cls;
  avatar = st.avatar;
  server_idx = st.server_idx;
  if (result != INTRO_QUIT) login_password = st.password;
  return result;
}
