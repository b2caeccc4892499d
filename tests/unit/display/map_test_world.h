#pragma once
// A small level for the map view tests: the sample tables and the generated
// pictures copied into a temporary directory, a grass level with the player
// in the middle, and a 32-bit play bitmap at 800 by 600 (radius 10).

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/client_app.h"
#include "app/globals.h"
#include "app/server_handlers.h"
#include "display/display.h"
#include "input/player_actions.h"
#include "support/temp_dir.h"
#include "unit/display/headless.h"
#include "core/ids.h"
#include "core/utils.h"
#include "world/effects.h"

enum { TILE_GRASS = 46, TILE_WALL = 35 };
constexpr int WORLD_SIZE = 40, WORLD_PX = 20, WORLD_PY = 20;

class MapWorld : public ::testing::Test {
 protected:
  void SetUp() override {
    headless_allegro(32);
    TempDir::copy_gamedata("dat");
    const std::filesystem::path pics = std::filesystem::path(ZIB_BINARY_DIR) / "game" / "pics";
    have_art = std::filesystem::exists(pics / "btiles20.png");
    if (have_art)
      std::filesystem::copy(pics, "pics", std::filesystem::copy_options::recursive);
    common_cfg.load();
    tiledata.load();
    wl.load();
    spells.load();
    d.copy_tile_table();
    d.fill_palette();
    if (have_art) d.load_tiles();

    res_x = 800;
    res_y = 600;
    view_radius = 10;
    d.play_height = res_y - 95;
    d.panel_x = res_x - PANEL_WIDTH;
    d.play_bitmap = create_bitmap(res_x, res_x);
    clear_bitmap(d.play_bitmap);
    d.mouse_shown = 0;
    d.old_lighting = 0;
    d.show_threat = 1;
    crosshair = false;
    gc_interface_mode = MODE_NORMAL;

    level_entered = data_reloaded = true;
    map_transfer_pending = false;
    conn_state = CONN_PLAYING;
    target_type = 0;
    target_id = -1;

    cmap.set_size(WORLD_SIZE, WORLD_SIZE, false);
    for (int x = 0; x < WORLD_SIZE; ++x)
      for (int y = 0; y < WORLD_SIZE; ++y) cmap.set_tile(x, y, TILE_GRASS);
    cmap.vis = 1;
    cmap.level = 1;
    cmap.type = 1;
    cmap.calc_layers();
    for (auto& h : me.health) h = 0;
    me.x = WORLD_PX;
    me.y = WORLD_PY;
    me.map_level = 1;
    me.hp = 10;
    me.net_hp_max = 10;
    me.code = 0x200;
    me.sight = 3;
    me.sight_bonus = 0;
    server_objects.clear();
    event_list.clear();
    particle_list.clear();
    missile_list.clear();
    tracked_creatures.clear();
    visible_creatures.clear();
    obj_grid.clear(true);
    d.clear_minimap();
    world_time = 12 * 60;
    moon_phase = 0;
  }

  void TearDown() override {
    if (d.play_bitmap) destroy_bitmap(d.play_bitmap);
    d.play_bitmap = nullptr;
    server_objects.clear();
    event_list.clear();
    particle_list.clear();
    obj_grid.clear(true);
  }

  // A creature or object at an offset from the player.
  void put(int id, int code, int dx, int dy, int hea = 50, int align = 'e', long light = 0) {
    server_objects.add_obj(id, Item(static_cast<long>(code)), WORLD_PX + dx, WORLD_PY + dy, light,
                           hea, align, 0, 0, 0);
    copy_obj_list();
  }
  void wall(int dx, int dy) {
    cmap.set_tile(WORLD_PX + dx, WORLD_PY + dy, TILE_WALL);
    cmap.calc_layers();
  }
  // The view cell of an offset from the player.
  static int cell(int d) { return 10 + d; }
  // The pixels of the view cell at an offset from the player in a frame
  // drawn now.
  std::vector<int> drawn_cell(int dx, int dy) {
    d.draw_window(false, nullptr);
    d.flush_map_view();
    std::vector<int> px;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x)
        px.push_back(getpixel(d.play_bitmap, cell(dx) * 32 + x, cell(dy) * 32 + y));
    return px;
  }

  TempDir dir;
  bool have_art = false;
};
