#pragma once
// The player's on/off options, each kept as one integer key of "client.cfg".
// Inverted options are stored negatively, so that a missing key means on.
// The numbers below index the table of keys in options.cpp, row for row;
// scripts know options 0 to 20 and the count by these names. The table needs
// only "client.cfg", so it sits in core where every layer can ask it.

enum {
  OPT_HEALTH_BAR = 0,
  OPT_MUSIC = 1,
  OPT_COMBAT_MESSAGES = 2,
  OPT_LIGHTING = 3,
  OPT_FULLSCREEN = 4,
  OPT_SHOW_THREAT = 5,
  OPT_MOUSE = 6,
  OPT_QUAKE = 7,
  OPT_FPS = 8,
  OPT_BLOCK_MESSAGES = 9,
  OPT_SMOOTH_SCROLLING = 10,
  OPT_SWAP_GET_KEYS = 11,
  OPT_SHADOWS = 12,
  OPT_SPLAT_NUMBERS = 13,
  OPT_FPS_LIMITER = 14,
  OPT_SMOOTH_SCALING = 15,
  OPT_FAT_CROSSHAIR = 16,
  OPT_ATTACK_ANIMATIONS = 17,
  OPT_GREY_AREAS = 18,
  OPT_CHAT_LOG = 19,
  OPT_INV_START_WITH_SEARCH = 20,
  OPT_COOLOFF_BAR = 21,  // the spell's cool-off bar over the player
  OPT_TILES32 = 22,
  OPT_BACKGROUND_SOUNDS = 23,
  OPT_SPELL_QUEUEING = 24,
  OPT_HOTBAR = 25,
  OPT_HOTBAR_TOP = 26,
  OPT_COMMAND_HOTBAR = 27,
  OPT_RIGHT_CLICK_CONTEXT = 28,
  OPT_REMOVE_BORDER = 29,
  OPT_DISABLE_HELP_MESSAGES = 30,
  OPT_LARGE_MESSAGE_FONT = 31,
  OPT_LARGE_STATBOX = 32,
  OPT_MAX_OPTS = 33
};

// The two headings of the options page.
enum OptionGroup { OPT_GROUP_MISC, OPT_GROUP_DISPLAY };

struct OptionInfo {
  const char* key;  // the "client.cfg" key
  bool inverted;
  char letter;      // the menu letter
  const char* label;
  OptionGroup group;
};

class Options {
 public:
  Options() {}
  ~Options() {}

  // Whether option n is on; false for any n outside 0..32.
  bool get(int n) const;
  // Stores the opposite of option n in "client.cfg" (in memory).
  void toggle_option(int n);

  // The table row of option n; null outside 0..32.
  static const OptionInfo* info(int n);
  // The option with this menu letter, -1 when none.
  static int find_letter(char letter);
};

extern Options options;
