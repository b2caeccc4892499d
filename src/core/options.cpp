// The table of on/off options and their storage in "client.cfg".

#include "core/options.h"

#include "core/config_file.h"

namespace {

const OptionInfo OPTIONS[] = {
    {"hide_bar", true, 'a', "Health bar", OPT_GROUP_MISC},
    {"music", false, 'b', "Music", OPT_GROUP_MISC},
    {"hide_combat_messages", true, 'c', "Combat messages", OPT_GROUP_MISC},
    {"old_lighting", false, 'p', "Old Lighting", OPT_GROUP_DISPLAY},
    {"fullscreen", false, 'q', "Fullscreen", OPT_GROUP_DISPLAY},
    {"show_threat", false, 'd', "Show threat", OPT_GROUP_MISC},
    {"disable_mouse", true, 'e', "Mouse movement", OPT_GROUP_MISC},
    {"dont_show_quake", true, 'r', "Earthquake FX", OPT_GROUP_DISPLAY},
    {"fps", false, 'f', "FPS", OPT_GROUP_MISC},
    {"no_block_msg", true, 'g', "Block messages", OPT_GROUP_MISC},
    {"smooth_scrolling", false, 's', "Smooth scrolling", OPT_GROUP_DISPLAY},
    {"swap_get_keys", false, 'h', "Swap GET keys", OPT_GROUP_MISC},
    {"no_shadows", true, 't', "Wall shadows", OPT_GROUP_DISPLAY},
    {"no_splat_numbers", true, 'u', "Splat numbers", OPT_GROUP_DISPLAY},
    {"no_fps_limit", true, 'v', "FPS Limiter", OPT_GROUP_DISPLAY},
    {"smooth_scaling", false, 'w', "Smooth scaling (64x64 tiles only)", OPT_GROUP_DISPLAY},
    {"large_crosshair", false, 'i', "Larger crosshair (requires restart)", OPT_GROUP_MISC},
    {"no_attack_anims", true, 'x', "Attack animations", OPT_GROUP_DISPLAY},
    {"disable_grey_areas", true, 'y', "Show visited areas in grey", OPT_GROUP_DISPLAY},
    {"log_chat", false, 'j', "Log chat to msglog.txt", OPT_GROUP_MISC},
    {"inv_search", false, 'k', "Inventory /search by default (except when equipping)",
     OPT_GROUP_MISC},
    {"hide_spell_cooloff", true, 'l', "Spell/ability cooloff bar", OPT_GROUP_MISC},
    {"tiles32", false, 'z', "Use 32x32 tiles if available", OPT_GROUP_DISPLAY},
    {"no_background_sounds", true, 'm', "Background sounds", OPT_GROUP_MISC},
    {"spell_queueing", false, 'n', "Spell queueing", OPT_GROUP_MISC},
    {"disable_hotbar", true, 'o', "Hotbar", OPT_GROUP_MISC},
    {"hotbar_top", false, 'A', "Hotbar at top of screen", OPT_GROUP_MISC},
    {"command_hotbar", false, 'P', "Command Hotbar", OPT_GROUP_MISC},
    {"right_click_context", false, 'B', "Right click get/look/etc", OPT_GROUP_MISC},
    {"remove_border", false, 'Q', "Remove border (unfinished/experimental)", OPT_GROUP_DISPLAY},
    {"disable_help_messages", false, 'R', "Disable help messages", OPT_GROUP_MISC},
    {"large_message_font", false, 'S', "Large message box font", OPT_GROUP_DISPLAY},
    {"large_statbox", false, 'T', "Large statbox", OPT_GROUP_DISPLAY},
};
static_assert(sizeof(OPTIONS) / sizeof(OPTIONS[0]) == OPT_MAX_OPTS, "one row per option number");

}  // namespace

const OptionInfo* Options::info(int n) {
  return static_cast<unsigned>(n) < static_cast<unsigned>(OPT_MAX_OPTS) ? &OPTIONS[n] : nullptr;
}

int Options::find_letter(char letter) {
  for (int i = 0; i < OPT_MAX_OPTS; ++i) {
    if (OPTIONS[i].letter == letter) return i;
  }
  return -1;
}

bool Options::get(int n) const {
  const OptionInfo* o = info(n);
  if (!o) return false;
  return client_cfg.get_bool(o->key) != o->inverted;
}

void Options::toggle_option(int n) {
  const OptionInfo* o = info(n);
  if (!o) return;
  bool raw = get(n) != o->inverted;
  client_cfg.set_int(o->key, raw ? 0 : 1);
}

Options options;
