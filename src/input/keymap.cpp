// Key bindings: defaults, "dat/keymap.cfg", lookups and the modifier tests.

#include "input/keymap.h"

#include <allegro.h>
#include <allegro/internal/aintern.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/client_app.h"
#include "core/string_utils.h"

namespace {

struct ActionInfo {
  const char* name;
  int default_key;
};

const ActionInfo ACTIONS[KEYMAP_NUM_ACTIONS] = {
    {"North", 0},
    {"Northeast", 0},
    {"East", 0},
    {"Southeast", 0},
    {"South", 0},
    {"Southwest", 0},
    {"West", 0},
    {"Northwest", 0},
    {"Activate", KEY_A},
    {"Buy", KEY_B},
    {"Cast", KEY_C},
    {"Crosshair", KEY_Y},
    {"Drink", KEY_P},
    {"Drop", KEY_D},
    {"Eat", KEY_E},
    {"Exit mount / ship", KEY_X},
    {"Fire / shoot", KEY_F},
    {"Get", KEY_G},
    {"Hide", KEY_H},
    {"Ignite", KEY_I},
    {"Inventory", KEY_V},
    {"Look", KEY_L},
    {"Map", KEY_M},
    {"Meditate", KEY_N},
    {"Read", KEY_R},
    {"Ready equipment", KEY_W},
    {"Talk to NPC", KEY_T},
    {"Search & open", KEY_S},
    {"Stats", KEY_Z},
    {"Switch target", KEY_TAB},
    {"Use", KEY_U},
};

constexpr int MIN_NAME_LEN = 5;
constexpr int NUMBERS_PER_LINE = 4;

// Up to `max` decimal numbers separated by blanks; stops at the first one
// that does not read. Values beyond a long's range read as out of range.
std::vector<long> read_numbers(const std::string& text, int max) {
  std::vector<long> out;
  const char* p = text.c_str();
  while (static_cast<int>(out.size()) < max) {
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(p, &end, 10);
    if (end == p) break;
    if (errno == ERANGE) v = -1;
    out.push_back(v);
    p = end;
  }
  return out;
}

}  // namespace

Keymap::Keymap() {
  for (const ActionInfo& a : ACTIONS) {
    int len = static_cast<int>(std::strlen(a.name));
    if (len > max_name_len) max_name_len = len;
  }
  if (max_name_len < MIN_NAME_LEN) max_name_len = MIN_NAME_LEN;
}

Keymap::~Keymap() {}

const char* Keymap::action_name(int action) {
  return valid_action(action) ? ACTIONS[action].name : "";
}

bool Keymap::is_valid_scancode(long scancode) { return scancode >= 1 && scancode < KEY_MAX; }

void Keymap::reset() {
  for (int i = 0; i < KEYMAP_NUM_ACTIONS; ++i) {
    entries[i] = KeymapEntry{};
    entries[i].scancode = static_cast<uint32_t>(ACTIONS[i].default_key);
  }
}

void Keymap::load() {
  reset();
  FILE* f = std::fopen(KEYMAP_FILE, "r");
  if (f) {
    std::string line;
    int c;
    bool more = true;
    while (more) {
      line.clear();
      while ((c = std::fgetc(f)) != EOF && c != '\n') line += static_cast<char>(c);
      more = c != EOF;
      if (line.empty()) continue;
      std::vector<std::string> parts;
      split(line, "|", parts);
      if (parts.size() != 2) continue;
      int action = -1;
      for (int i = 0; i < KEYMAP_NUM_ACTIONS; ++i) {
        if (parts[0] == ACTIONS[i].name) {
          action = i;
          break;
        }
      }
      if (action < 0) continue;
      std::vector<long> n = read_numbers(parts[1], NUMBERS_PER_LINE);
      n.resize(NUMBERS_PER_LINE, 0);
      // The scancode later indexes the keyboard state: a key outside its
      // range is no key at all.
      KeymapEntry& e = entries[action];
      e.scancode = is_valid_scancode(n[0]) ? static_cast<uint32_t>(n[0]) : 0;
      e.shift = n[1] != 0;
      e.ctrl = n[2] != 0;
      e.alt = n[3] != 0;
    }
    std::fclose(f);
  }
  remove_duplicates();
}

void Keymap::remove_duplicates() {
  for (int i = 0; i < KEYMAP_NUM_ACTIONS - 1; ++i) {
    for (int j = i + 1; j < KEYMAP_NUM_ACTIONS; ++j) {
      if (entries[i].scancode != 0 && entries[i].scancode == entries[j].scancode)
        entries[i].scancode = 0;
    }
  }
}

void Keymap::save() const {
  FILE* f = std::fopen(KEYMAP_FILE, "w");
  if (!f) return;
  for (int i = 0; i < KEYMAP_NUM_ACTIONS; ++i) {
    const KeymapEntry& e = entries[i];
    std::fprintf(f, "%s|%d %d %d %d\n", ACTIONS[i].name, static_cast<int>(e.scancode), e.shift,
                 e.ctrl, e.alt);
  }
  std::fclose(f);
}

void Keymap::set_key(int action, int scancode) { set(action, scancode, 0, 0, 0); }

void Keymap::clear(int action) { set(action, 0, 0, 0, 0); }

void Keymap::set(int action, int scancode, int shift, int ctrl, int alt) {
  if (!valid_action(action)) return;
  KeymapEntry& e = entries[action];
  e.scancode = is_valid_scancode(scancode) ? static_cast<uint32_t>(scancode) : 0;
  e.shift = shift != 0;
  e.ctrl = ctrl != 0;
  e.alt = alt != 0;
  save();
}

void Keymap::unbind_key(int scancode) {
  int action = find_action(scancode);
  if (action >= 0) clear(action);
}

int Keymap::find_action(int scancode) const {
  for (int i = 0; i < KEYMAP_NUM_ACTIONS; ++i) {
    if (static_cast<long>(entries[i].scancode) == scancode) return i;
  }
  return -1;
}

bool Keymap::is_key(int action, int scancode) const {
  return valid_action(action) && static_cast<long>(entries[action].scancode) == scancode;
}

int Keymap::get_key(int action) const {
  return valid_action(action) ? static_cast<int>(entries[action].scancode) : 0;
}

std::string Keymap::get_action_name(int scancode) const {
  int action = find_action(scancode);
  return action < 0 ? std::string() : ACTIONS[action].name;
}

std::string Keymap::get_binding_text(int action, bool with_name) const {
  if (!valid_action(action)) return "";
  const KeymapEntry& e = entries[action];
  std::string text;
  if (with_name) text = std::string(ACTIONS[action].name) + ": ";
  if (e.ctrl) text += "CTRL ";
  if (e.alt) text += "ALT ";
  text += key_name(static_cast<int>(e.scancode));
  return text;
}

bool Keymap::is_reserved_key(int scancode) {
  return (scancode >= KEY_0_PAD && scancode <= KEY_9_PAD) ||
         (scancode >= KEY_F9 && scancode <= KEY_F12) || scancode == KEY_ESC ||
         scancode == KEY_BACKSPACE || scancode == KEY_ENTER || scancode == KEY_SPACE ||
         (scancode >= KEY_INSERT && scancode <= KEY_DOWN) || scancode == KEY_DEL_PAD ||
         scancode == KEY_ENTER_PAD || scancode == KEY_PRTSCR;
}

std::string key_name(int scancode) {
  if (!Keymap::is_valid_scancode(scancode)) return "";
  // Without a keyboard driver (headless) the library's own name table serves.
  const char* name = keyboard_driver ? scancode_to_name(scancode)
                                     : _keyboard_common_names[scancode];
  return name ? name : "";
}

bool is_shift_down() {
  if (old_shift_func) return (key_shifts & KB_SHIFT_FLAG) != 0;
  return key[KEY_LSHIFT] || key[KEY_RSHIFT];
}

bool is_ctrl_down() {
  if (old_ctrl_func) return (key_shifts & KB_CTRL_FLAG) != 0;
  return key[KEY_LCONTROL] || key[KEY_RCONTROL];
}

bool is_alt_down() {
  if (old_alt_func) return (key_shifts & KB_ALT_FLAG) != 0;
  return key[KEY_ALT] || key[KEY_ALTGR];
}

Keymap keymap;
