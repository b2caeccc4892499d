#pragma once
// The player's key bindings for the named game actions, kept in
// "dat/keymap.cfg", and the modifier-key tests that every input handler uses.
// Keys are Allegro scancodes; 0 means unbound.

#include <cstdint>
#include <string>

constexpr int KEYMAP_NUM_ACTIONS = 31;
constexpr const char* KEYMAP_FILE = "dat/keymap.cfg";

// Action numbers: the eight walking directions, then the commands.
enum {
  KA_NORTH = 0, KA_NORTHEAST, KA_EAST, KA_SOUTHEAST, KA_SOUTH, KA_SOUTHWEST, KA_WEST,
  KA_NORTHWEST, KA_ACTIVATE, KA_BUY, KA_CAST, KA_CROSSHAIR, KA_DRINK, KA_DROP, KA_EAT,
  KA_EXIT_MOUNT, KA_FIRE, KA_GET, KA_HIDE, KA_IGNITE, KA_INVENTORY, KA_LOOK, KA_MAP,
  KA_MEDITATE, KA_READ, KA_READY, KA_TALK, KA_SEARCH, KA_STATS, KA_SWITCH_TARGET, KA_USE
};

struct KeymapEntry {
  uint32_t scancode = 0;
  uint8_t shift = 0;
  uint8_t ctrl = 0;
  uint8_t alt = 0;
};

class Keymap {
 public:
  Keymap();
  virtual ~Keymap();

  // Defaults, then the file when it can be read, then one key per action.
  void load();
  void save() const;
  void reset();
  void set_key(int action, int scancode);
  void clear(int action);
  void set(int action, int scancode, int shift, int ctrl, int alt);
  void unbind_key(int scancode);

  int find_action(int scancode) const;
  bool is_key(int action, int scancode) const;
  int get_key(int action) const;
  std::string get_action_name(int scancode) const;
  std::string get_binding_text(int action, bool with_name) const;
  int get_max_name_len() const { return max_name_len; }
  const KeymapEntry& entry(int action) const { return entries[action]; }

  static bool is_reserved_key(int scancode);
  // Scancodes that may index the keyboard state: 1 .. KEY_MAX - 1.
  static bool is_valid_scancode(long scancode);
  static const char* action_name(int action);

 private:
  static bool valid_action(int action) { return action >= 0 && action < KEYMAP_NUM_ACTIONS; }
  void remove_duplicates();

  KeymapEntry entries[KEYMAP_NUM_ACTIONS];
  int32_t max_name_len = 5;
};

extern Keymap keymap;

// The name Allegro gives a key; empty for a key outside the valid range.
std::string key_name(int scancode);

bool is_shift_down();
bool is_ctrl_down();
bool is_alt_down();
