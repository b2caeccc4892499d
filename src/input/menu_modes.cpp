// The menu, help, book, map and binding modes.

#include "input/menu_modes.h"

#include <allegro.h>

#include <algorithm>

#include "app/client_app.h"
#include "audio/sound.h"
#include "core/config_file.h"
#include "core/string_utils.h"
#include "display/display.h"
#include "display/menu.h"
#include "display/text_windows.h"
#include "input/keymap.h"
#include "input/options.h"
#include "net/socket.h"
#include "world/cmap.h"
#include "world/object_grid.h"

void toggle_fullscreen_or_quit() {
  if (d.toggle_fullscreen() != 0) end_session();
}

namespace {

constexpr int KEYS_CHOOSING = 0;
constexpr int KEYS_WAITING = 3;
constexpr int KEYS_CONFIRM_RESET = 4;

constexpr int SETTING_STEP = 5;

bool is_esc(const ClientApp& app) {
  return app.session.last_ascii == ASCII_ESC;
}

void back_to_menu() {
  gc_interface_mode = MODE_QYXMENU;
  d.menu_page = MENU_MAIN;
}

// Lowers or raises a 0..255 "client.cfg" value by 5, within its range.
void step_setting(const char* key, int direction) {
  int v = client_cfg.get_int(key);
  if (direction < 0 && v >= SETTING_STEP)
    client_cfg.set_int(key, v - SETTING_STEP);
  else if (direction > 0 && v <= 255 - SETTING_STEP)
    client_cfg.set_int(key, v + SETTING_STEP);
}

void do_help(const ClientApp& app) {
  if (is_esc(app)) {
    d.print_msg("Done!");
    gc_interface_mode = MODE_NORMAL;
    return;
  }
  if (app.session.last_ascii == '?') {
    d.help_index = !d.help_index;
    return;
  }
  int step = 0;
  switch (app.session.last_scancode) {
    case KEY_PGUP: step = -d.help_rows; break;
    case KEY_PGDN: step = d.help_rows; break;
    case KEY_UP: step = -1; break;
    case KEY_DOWN: step = 1; break;
    default: return;
  }
  d.help_scroll =
      clamp_help_scroll(d.help_scroll + step, static_cast<int>(d.help_lines.size()), d.help_rows);
}

void do_book(const ClientApp& app) {
  if (is_esc(app)) {
    d.print_msg("Done!");
    gc_interface_mode = MODE_NORMAL;
  } else if (app.session.last_ascii == ',' || app.session.last_scancode == KEY_LEFT ||
             app.session.last_scancode == KEY_4_PAD) {
    d.book_prev_page();
  } else if (app.session.last_ascii == '.' || app.session.last_scancode == KEY_RIGHT ||
             app.session.last_scancode == KEY_6_PAD) {
    d.book_next_page();
  }
}

void do_map(const ClientApp& app) {
  if (!is_esc(app) && !keymap.is_key(KA_MAP, app.session.last_scancode)) return;
  d.print_msg("Done!");
  gc_interface_mode = MODE_NORMAL;
}

bool keymap_action_disabled(int action) {
  return common_cfg.get_int(format_str("disable_keymap_%d", action)) != 0;
}

void choose_key_action(ClientApp& app) {
  const char c = static_cast<char>(app.session.last_ascii);
  if (is_esc(app)) {
    back_to_menu();
    return;
  }
  if (c == 'Z') {
    d.print_msg("Are you sure you wish to reset your keymaps? (y/n)");
    app.session.sub_state = KEYS_CONFIRM_RESET;
    return;
  }
  int action = -1;
  if (c >= '1' && c <= '8') action = c - '1';
  if (c >= 'a' && c <= 'w') action = c - 'Y';
  if (action < 0 || keymap_action_disabled(action)) return;
  d.print_msg("Press new key for [%s], or unbind it with ENTER, or cancel with ESC",
              keymap.get_binding_text(action, true).c_str());
  app.session.pending_key_action = action;
  app.session.sub_state = KEYS_WAITING;
}

void take_new_key(ClientApp& app) {
  const int action = app.session.pending_key_action;
  const int scancode = app.session.last_scancode;
  if (is_esc(app)) {
    d.print_msg("Skipped!");
  } else if (scancode == KEY_ENTER) {
    keymap.clear(action);
    d.print_msg("[%s] is now unbound!", Keymap::action_name(action));
  } else if (Keymap::is_reserved_key(scancode)) {
    d.print_msg("Can't bind to %s - hit another key or Esc to cancel.", key_name(scancode).c_str());
    return;
  } else if (is_shift_down() || is_alt_down() || is_ctrl_down()) {
    d.print_msg("Can't bind to shift, alt or ctrl keys - hit another key or Esc to cancel.");
    return;
  } else if (Keymap::is_valid_scancode(scancode)) {
    const int previous = keymap.find_action(scancode);
    d.print_msg("%s set to key [%s%s%s%s]", Keymap::action_name(action), "", "", "", key_name(scancode).c_str());
    keymap.set_key(action, scancode);
    if (previous >= 0 && previous != action) {
      keymap.clear(previous);
      d.print_msg("[%s] is now unbound!", Keymap::action_name(previous));
    }
  } else {
    return;
  }
  app.session.sub_state = KEYS_CHOOSING;
}

void do_keys(ClientApp& app) {
  switch (app.session.sub_state) {
    case KEYS_CONFIRM_RESET:
      if (app.session.last_ascii == 'y') {
        keymap.reset();
        keymap.save();
        d.print_msg("Keymaps reset to default.");
      } else {
        d.print_msg("Nevermind.");
      }
      app.session.sub_state = KEYS_CHOOSING;
      break;
    case KEYS_WAITING:
      take_new_key(app);
      break;
    default:
      app.session.sub_state = KEYS_CHOOSING;
      choose_key_action(app);
      break;
  }
  // Leaving the mode always leaves the dialogue at its start.
  if (gc_interface_mode != MODE_KEYS) app.session.sub_state = KEYS_CHOOSING;
}

void do_main_menu(const ClientApp& app) {
  if (d.menu_page != MENU_MAIN) {
    d.menu_page = MENU_MAIN;
    return;
  }
  const bool f12 = app.session.last_scancode == KEY_F12 && !is_ctrl_down();
  if (is_esc(app) || f12) {
    gc_interface_mode = MODE_NORMAL;
    return;
  }
  switch (app.session.last_ascii) {
    case 'o': d.menu_page = MENU_OPTIONS; gc_interface_mode = MODE_OPTIONS; break;
    case 'k': d.menu_page = MENU_KEYS; gc_interface_mode = MODE_KEYS; break;
    case 'v': d.menu_page = MENU_VOLUME; gc_interface_mode = MODE_VOLUME; break;
    case 'd': d.menu_page = MENU_RESOLUTION; gc_interface_mode = MODE_RESOLUTION; break;
    case 'c': d.menu_page = MENU_COLOURS; gc_interface_mode = MODE_BOXCOLOURS; break;
    case 'h':
      gc_interface_mode = MODE_HELP;
      d.print_msg("Viewing help ... press ESC when done.");
      d.help_scroll = 0;
      break;
    case 'q':
      end_session();
      break;
    default:
      break;
  }
}

// What toggling option n changes beyond its stored value.
void apply_option(int n) {
  switch (n) {
    case OPT_MUSIC:
      if (options.get(OPT_MUSIC))
        sound.play_music(cmap.music, false);
      else
        sound.stop_music();
      break;
    case OPT_FULLSCREEN: toggle_fullscreen_or_quit(); break;
    case OPT_TILES32: d.load_tiles(); break;
    case OPT_BACKGROUND_SOUNDS: obj_grid.update_ambient_sound(); break;
    case OPT_REMOVE_BORDER: d.set_resolution(res_x, res_y); break;
    case OPT_LARGE_MESSAGE_FONT:
    case OPT_LARGE_STATBOX:
      d.read_layout_options();
      d.compute_layout();
      break;
    case OPT_HOTBAR_TOP:
    case OPT_COMMAND_HOTBAR: d.compute_layout(); break;
    default: break;
  }
}

void do_options(const ClientApp& app) {
  if (is_esc(app)) {
    back_to_menu();
    return;
  }
  if (app.session.last_ascii == 0) return;
  const int n = Options::find_letter(static_cast<char>(app.session.last_ascii));
  if (n < 0) return;
  options.toggle_option(n);
  apply_option_copies();
  apply_option(n);
}

void do_volume(const ClientApp& app) {
  switch (app.session.last_ascii) {
    case ASCII_ESC: back_to_menu(); return;
    case 'q': step_setting("volume", -1); break;
    case 'w': step_setting("volume", 1); break;
    case 'a': step_setting("music_volume", -1); break;
    case 's': step_setting("music_volume", 1); break;
    default: return;
  }
  sound.apply_volume();
}

void do_resolution(const ClientApp& app) {
  if (is_esc(app)) {
    back_to_menu();
    return;
  }
  if (app.session.last_scancode == KEY_F12 && is_ctrl_down() && !is_shift_down() &&
      !is_alt_down()) {
    toggle_fullscreen_or_quit();
    return;
  }
  const char c = static_cast<char>(app.session.last_ascii);
  if (c < 'a' || c > 'p') return;
  if (d.set_resolution_index(c - 'a') < 0) return;
  client_cfg.set_int("res_x", res_x);
  client_cfg.set_int("res_y", res_y);
}

void do_box_colours(const ClientApp& app) {
  switch (app.session.last_ascii) {
    case ASCII_ESC: back_to_menu(); return;
    case 'q': step_setting("boxr", -1); break;
    case 'w': step_setting("boxr", 1); break;
    case 'a': step_setting("boxg", -1); break;
    case 's': step_setting("boxg", 1); break;
    case 'z': step_setting("boxb", -1); break;
    case 'x': step_setting("boxb", 1); break;
    default: return;
  }
  d.load_box_colour();
}

void do_bind_button(const ClientApp& app) {
  if (is_esc(app)) {
    d.print_msg("Cancelled!");
    gc_interface_mode = MODE_NORMAL;
    return;
  }
  // Scancode 0 is what an unbound action holds, not a key of its own.
  const int action = Keymap::is_valid_scancode(app.session.last_scancode)
                         ? keymap.find_action(app.session.last_scancode)
                         : -1;
  if (action < 0) {
    d.print_msg("Not a command.");
    return;
  }
  d.print_msg("Bound to %s!", Keymap::action_name(action));
  client_cfg.set_int(format_str("hotbar%d", app.hotbar_button), action);
  save_settings(client_cfg);
  gc_interface_mode = MODE_NORMAL;
}

}  // namespace

void do_menu_mode(ClientApp& app, int mode) {
  switch (mode) {
    case MODE_HELP: do_help(app); break;
    case MODE_KEYS: do_keys(app); break;
    case MODE_BOOK: do_book(app); break;
    case MODE_QYXMENU: do_main_menu(app); break;
    case MODE_OPTIONS: do_options(app); break;
    case MODE_VOLUME: do_volume(app); break;
    case MODE_RESOLUTION: do_resolution(app); break;
    case MODE_BOXCOLOURS: do_box_colours(app); break;
    case MODE_MAP: do_map(app); break;
    case MODE_BIND_HOTBAR: do_bind_button(app); break;
    default: break;
  }
}
