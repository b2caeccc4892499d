// The copies kept of some options, set from the option table.

#include "input/options.h"

#include "display/display.h"

bool show_combat_messages = true;

void apply_option_copies() {
  d.hide_bar = !options.get(OPT_HEALTH_BAR);
  show_combat_messages = options.get(OPT_COMBAT_MESSAGES);
  d.old_lighting = options.get(OPT_LIGHTING) || d.shading_unavailable;
  d.show_threat = options.get(OPT_SHOW_THREAT);
  d.mouse_enabled = options.get(OPT_MOUSE);
  d.dont_show_quake = !options.get(OPT_QUAKE);
  d.show_fps = options.get(OPT_FPS);
  d.smooth_scaling = options.get(OPT_SMOOTH_SCALING);
}
