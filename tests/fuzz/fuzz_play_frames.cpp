// Server messages while playing: a level loaded with the player on it and his
// sight, and the display composing frames between the messages, over memory
// bitmaps with the generated pictures (no X server). Each line of the input is
// one message; the parts of grouped messages follow as the frame loop takes
// them. Whatever the server sends, the effects, the map view, the minimap, the
// clock and the frame must be drawn without a fault.

#include <allegro.h>
#include <loadpng.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/client_app.h"
#include "app/globals.h"
#include "app/server_handlers.h"
#include "core/utils.h"
#include "display/layout.h"
#include "display/smooth_scaler.h"
#include "fuzz_net_support.h"
#include "world/effects.h"

using fuzz_net::ScratchDir;

namespace {

constexpr size_t MAX_PARTS_HANDLED = 256;
// A night frame takes a good part of a second under the sanitizers: the first
// messages of an input are each followed by a frame, the rest by one at the end.
constexpr int FRAMES_PER_INPUT = 12;
constexpr int LEVEL = 1;
// A cell of the sample level's meadow, away from its edges.
constexpr int START_X = 30, START_Y = 20;
constexpr int FRAME_MS = 28;
constexpr int RES_X = 800, RES_Y = 600;

// The level as loaded, put back before every input.
CMap loaded_level;

void copy_game_dir() {
  namespace fs = std::filesystem;
  const fs::path game = ZIB_GAME_DIR;
  for (const char* part : {"dat", "pics", "cmaps"})
    fs::copy(game / part, part, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  fs::copy(game / "client.cfg", "client.cfg", fs::copy_options::overwrite_existing);
}

// What start-up and login would have done: tables, pictures, the play
// window's bitmaps at 800 by 600, and the level of the player.
void start_play() {
  if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) fuzz_net::fail();
  _png_screen_gamma = 0.0;
  set_color_depth(32);
  copy_game_dir();
  client_cfg.load();
  common_cfg.load();
  tiledata.load();
  wl.load();
  spells.load();
  sc.load();
  crops.load();
  buffs.load();
  mounts.load();

  d.allegro_up = true;
  d.pause_ms = [](int) {};
  d.special = load_png("pics/special.png", nullptr);
  d.skin = load_png("pics/bg_t2.png", nullptr);
  if (!d.special || !d.skin || d.load_tiles() != 0) fuzz_net::fail();
  d.main_font = d.names_font = d.menu_font = d.rune_font = d.book_font = font;
  d.make_hotbar();
  d.fill_palette();
  d.copy_tile_table();
  d.msg_palette = make_msg_palette([](int r, int g, int b) { return makecol(r, g, b); });
  d.panel_bitmap = create_bitmap(PANEL_WIDTH, PANEL_HEIGHT);
  d.minimap_bitmap = create_bitmap(CMAP_MAX_SIZE, CMAP_MAX_SIZE);
  if (!d.panel_bitmap || !d.minimap_bitmap) fuzz_net::fail();
  res_x = RES_X;
  res_y = RES_Y;
  d.compute_layout();
  init_scaler(32);
  if (cmap.load(LEVEL) != 0) fuzz_net::fail();
  loaded_level = cmap;
}

void reset_play() {
  app.session.pending_messages.clear();
  app.reset_session();
  me.reset();
  me.x = START_X;
  me.y = START_Y;
  me.map_level = LEVEL;
  me.hp = me.net_hp_max = 20;
  me.set_sight(4);
  me.id = 5;
  cmap = loaded_level;
  for (auto* list : {&server_objects, &visible_creatures}) list->clear();
  for (auto* list : {&event_list, &missile_list, &particle_list}) list->clear();
  items.clear();
  temp_list.clear();
  tracked_creatures.clear();
  id_table.clear();
  rebuild_object_grid();
  d.clear_minimap();
  d.build_minimap();
  level_flag = false;
  gc_interface_mode = MODE_NORMAL;
  world_time = 540;
  moon_phase = 0;
  app.session.logged_in = 1;
  level_entered = data_reloaded = inventory_synced = true;
  session_over = false;
  // The game-over screen waits for the player unless the program is quitting.
  quit_requested = true;
}

// One pass of the frame loop without the keyboard and the socket: the view
// drawn, the frame composed, the effects aged.
void frame() {
  d.draw_window(true, &visible_creatures);
  d.flush_map_view();
  d.compose_frame();
  deteriorate(event_list);
  move_missiles(missile_list, FRAME_MS);
  move_particles(particle_list, FRAME_MS);
}

int frames_left = 0;

void handle(const std::string& msg) {
  app.process_pkt(msg);
  if (frames_left > 1) {
    --frames_left;
    frame();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ScratchDir scratch;
  static bool started = (start_play(), true);
  (void)started;
  reset_play();
  frames_left = FRAMES_PER_INPUT;
  std::string input(reinterpret_cast<const char*>(data), size);
  size_t start = 0;
  while (start <= input.size()) {
    size_t nl = input.find('\n', start);
    handle(input.substr(start, nl == std::string::npos ? std::string::npos : nl - start));
    for (size_t n = 0; n < MAX_PARTS_HANDLED && !app.session.pending_messages.empty(); ++n) {
      std::string part = app.session.pending_messages.back();
      app.session.pending_messages.pop_back();
      handle(part);
    }
    if (nl == std::string::npos) break;
    start = nl + 1;
  }
  frame();
  d.messages.clear();
  return 0;
}
