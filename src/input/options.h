#pragma once
// The player's on/off options, each kept as one integer key of "client.cfg".
// Inverted options are stored negatively, so that a missing key means on.

constexpr int OPT_MAX_OPTS = 33;

enum {
  OPT_HEALTH_BAR = 0, OPT_MUSIC, OPT_COMBAT_MESSAGES, OPT_LIGHTING, OPT_FULLSCREEN,
  OPT_SHOW_THREAT, OPT_MOUSE, OPT_QUAKE, OPT_FPS, OPT_BLOCK_MESSAGES, OPT_SMOOTH_SCROLLING,
  OPT_SWAP_GET_KEYS, OPT_SHADOWS, OPT_SPLAT_NUMBERS, OPT_FPS_LIMITER, OPT_SMOOTH_SCALING,
  OPT_FAT_CROSSHAIR, OPT_ATTACK_ANIMATIONS, OPT_GREY_AREAS, OPT_CHAT_LOG,
  OPT_INV_START_WITH_SEARCH
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
