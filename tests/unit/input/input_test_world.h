#pragma once
// The sample world as the input tests start from it: a fresh session, the
// sample tables and settings in the current (temporary) directory, and the
// local player standing at 10,20 on level 1.

#include <allegro.h>

#include <initializer_list>

#include "app/globals.h"
#include "support/temp_dir.h"
#include "unit/app/app_test_support.h"

inline void load_input_test_world() {
  reset_app_state();
  TempDir::copy_gamedata("dat");
  TempDir::copy_gamedata("client.cfg");
  common_cfg.load();
  client_cfg.load();
  sc.load();
  spells.load();
  wl.load();
  me.reset();
  me.map_level = 1;
  me.x = 10;
  me.y = 20;
}

// Play as the server's three readiness signals leave it, so that frame
// passes read keys.
inline void enter_play() {
  app.session.logged_in = 1;
  inventory_synced = level_entered = data_reloaded = true;
}

// One pass of the frame loop that reads the key `code` (a readkey value)
// with the keys `held` down, in the key array and, for the modifiers, in
// the shift flags, as the keyboard driver keeps them.
inline void key_pass(int code, std::initializer_list<int> held = {}) {
  int shifts = 0;
  for (int k : held) {
    key[k] = 1;
    if (k == KEY_LSHIFT || k == KEY_RSHIFT) shifts |= KB_SHIFT_FLAG;
    if (k == KEY_LCONTROL || k == KEY_RCONTROL) shifts |= KB_CTRL_FLAG;
    if (k == KEY_ALT) shifts |= KB_ALT_FLAG;
  }
  key_shifts = shifts;
  press_key(code);
  app.frame_pass();
  for (int k : held) key[k] = 0;
  key_shifts = 0;
}
