#pragma once
// The sample world as the input tests start from it: a fresh session, the
// sample tables and settings in the current (temporary) directory, and the
// local player standing at 10,20 on level 1.

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
