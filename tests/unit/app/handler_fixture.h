#pragma once
// A fresh session for the message-handler tests: the app state reset, the
// received lists emptied, the player on level 1, in a temporary directory.

#include <gtest/gtest.h>

#include "app/server_handlers.h"
#include "app_test_support.h"
#include "support/temp_dir.h"

struct HandlerTest : ::testing::Test {
  TempDir dir;
  void SetUp() override {
    reset_app_state();
    items.clear();
    temp_list.clear();
    server_objects.clear();
    tracked_creatures.clear();
    id_table.clear();
    obj_grid.clear(true);
    cmap = CMap();
    me.map_level = 1;
    session_over = false;
  }
  void TearDown() override {
    items.clear();
    temp_list.clear();
    server_objects.clear();
    tracked_creatures.clear();
    cmap = CMap();
    session_over = false;
  }
};
