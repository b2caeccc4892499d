// Time of one map view frame (deciding, drawing into the play bitmap and
// copying it at the on-screen cell size) at three screen sizes and in six
// scenes, headless on memory bitmaps with the generated art of build/game.
// Each benchmark reports the median and the 95th percentile of its frames.
// The player stands still except in the walking scene, where the view moves
// one cell every eighth frame (four steps east, four back, at night), as at
// a walk. In the book scene a book of 990,000 characters is open, the
// longest a server can send.
//
// The level is synthetic: 250 by 250 cells of grass with ponds and walled
// yards, thousands of items and hundreds of creatures; the game clock and the
// random seed are fixed.

#include <allegro.h>
#include <benchmark/benchmark.h>
#include <loadpng.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/client_app.h"
#include "app/globals.h"
#include "app/server_handlers.h"
#include "core/ids.h"
#include "core/interaction_modes.h"
#include "core/utils.h"
#include "display/display.h"
#include "display/smooth_scaler.h"
#include "world/effects.h"
#include "long_book.h"

namespace {

constexpr int LEVEL = 250, PX = 125, PY = 125;
constexpr int GRASS = 46, WALL = 35, SHALLOWS = 119, DEEP = 249, FLOOR = 95, DOOR = 47;

enum Scene { DAY, NIGHT_NEW, OLD_LIGHTING, HALLUCINATION, CROWDED, WALKING, LONG_BOOK };

bool world_ready = false;

bool at_night(Scene s) { return s == NIGHT_NEW || s == OLD_LIGHTING || s == WALKING; }

// The game directory beside the benchmark: build/game.
bool enter_game_dir() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return false;
  std::filesystem::path game = exe.parent_path() / "game";
  if (!std::filesystem::exists(game / "pics" / "btiles20.png")) return false;
  std::filesystem::current_path(game, ec);
  return !ec;
}

void build_level() {
  cmap.set_size(LEVEL, LEVEL, false);
  for (int x = 0; x < LEVEL; ++x)
    for (int y = 0; y < LEVEL; ++y) {
      int t = GRASS;
      // Ponds every 40 cells, walled yards every 30.
      if ((x % 40) < 6 && (y % 40) < 5) t = (x % 40 == 0 || y % 40 == 0) ? SHALLOWS : DEEP;
      const int yx = x % 30, yy = y % 30;
      if (yx >= 12 && yx <= 20 && yy >= 12 && yy <= 18)
        t = (yx == 12 || yx == 20 || yy == 12 || yy == 18) ? (yy == 15 ? DOOR : WALL) : FLOOR;
      cmap.set_tile(x, y, t);
    }
  cmap.vis = 1;
  cmap.level = 1;
  cmap.type = 1;
  cmap.name = "bench_level";
  cmap.calc_layers();
}

bool setup_world() {
  if (world_ready) return true;
  if (!enter_game_dir()) return false;
  install_allegro(SYSTEM_NONE, &errno, atexit);
  _png_screen_gamma = 0.0;
  set_color_depth(32);
  init_scaler(32);
  std::srand(1);
  common_cfg.load();
  tiledata.load();
  wl.load();
  spells.load();
  d.copy_tile_table();
  if (d.load_tiles() != 0) return false;
  d.fill_palette();
  build_level();
  level_entered = data_reloaded = true;
  map_transfer_pending = false;
  conn_state = CONN_PLAYING;
  me.x = PX;
  me.y = PY;
  me.map_level = 1;
  me.hp = 40;
  me.net_hp_max = 50;
  me.rage = 60;
  me.code = 0x200;
  me.sight = 3;
  rage_bar = 1;
  d.mouse_shown = 0;
  for (int x = 0; x < CMAP_MAX_SIZE; ++x)
    for (int y = 0; y < CMAP_MAX_SIZE; ++y) d.minimap[x][y] = 1;
  world_ready = true;
  return true;
}

void fill_objects(Scene scene) {
  server_objects.clear();
  std::srand(1);
  int id = 1000;
  // Items lying about the whole level.
  for (int x = 1; x < LEVEL; x += 3)
    for (int y = 2; y < LEVEL; y += 4)
      server_objects.add_obj(-(x * LEVEL + y), Item(0x100L + (x + y) % 8), x, y, 0, 1 + (x % 3),
                             'n', 0, 0, 0);
  // Creatures every few cells, named.
  for (int x = 0; x < LEVEL; x += 5)
    for (int y = 3; y < LEVEL; y += 6) {
      const int code = 0x211 + (x / 5 + y) % 8;
      server_objects.add_obj(id, Item(static_cast<long>(code)), x, y, 0, 30 + (x + y) % 70,
                             (x + y) % 3 ? 'e' : 'g', 0, 0, 0);
      id_table.set_info(id, "creature", 'm', "", "");
      ++id;
    }
  if (at_night(scene))
    for (int n = 0; n < 50; ++n)
      server_objects.add_obj(-900000 - n, Item(0x190L), PX - 14 + (n * 7) % 29,
                             PY - 14 + (n * 11) % 29, 3 + n % 4, 1, 'n', 0, 0, 0);
  if (scene == CROWDED)
    for (int n = 0; n < 100; ++n) {
      const int x = PX - 12 + (n % 10) * 2 + 1, y = PY - 12 + (n / 10) * 2 + 1;
      // Creature codes 0x211.. with a colour of their own and the sky tint.
      const long code = (0x211 + n % 8) | (0x5A7L << 12) | (1L << 25);
      server_objects.add_obj(5000 + n, Item(code), x, y, 0, 10 + n % 90, n % 2 ? 'e' : 'g', 0,
                             0, 0);
      id_table.set_info(5000 + n, n % 3 ? "=Crowd member=" : "crowd member", 'm', "", "");
    }
  copy_obj_list();
}

void configure(int w, int h, Scene scene) {
  res_x = w;
  res_y = h;
  d.compute_layout();
  d.make_view_bitmaps();
  d.smooth_scaling = 1;
  d.old_lighting = scene == OLD_LIGHTING;
  world_time = at_night(scene) ? 23 * 60 : 12 * 60;
  for (auto& v : me.health) v = 0;
  if (scene == HALLUCINATION) me.health[HN_HALLUCINATING] = 100;
  fill_objects(scene);
  event_list.clear();
  particle_list.clear();
  for (int n = 0; n < 10; ++n)
    add_event(event_list, 1000 + n, PX - 5 + n, PY + 2, 1, -1, -1, 2, 0);
  if (scene == LONG_BOOK) {
    if (!d.book_pic) d.book_pic = load_png("pics/book.png", nullptr);
    d.book_font = font;
    d.set_book_text(long_book_text());
    gc_interface_mode = MODE_BOOK;
    // The book is drawn only with the library up; the bitmaps are memory ones.
    d.allegro_up = true;
  }
}

void frame(benchmark::State& state, int w, int h, Scene scene) {
  if (!setup_world()) {
    state.SkipWithError("build/game with the generated art is missing");
    return;
  }
  configure(w, h, scene);
  if (scene == LONG_BOOK && !d.book_pic) state.SkipWithError("pics/book.png is missing");
  std::vector<double> ms;
  ms.reserve(512);
  bool advance = false;
  int n = 0;
  for (auto _ : state) {
    if (scene == WALKING && n % 8 == 0) me.x += (n / 8) % 8 < 4 ? 1 : -1;
    ++n;
    const auto t0 = std::chrono::steady_clock::now();
    d.draw_window(advance, &visible_creatures);
    d.flush_map_view();
    d.blit_play_window(d.back_buffer);
    const auto t1 = std::chrono::steady_clock::now();
    ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    advance = !advance;
    // Particles from tinted pictures would pile up without the frame loop.
    particle_list.clear();
  }
  me.x = PX;
  gc_interface_mode = MODE_NORMAL;
  d.allegro_up = false;
  std::sort(ms.begin(), ms.end());
  if (ms.empty()) return;
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["p95_ms"] = ms[std::min(ms.size() - 1, ms.size() * 95 / 100)];
}

void register_all() {
  struct Res {
    const char* name;
    int w, h;
  } sizes[] = {{"800x600", 800, 600}, {"1280x720", 1280, 720}, {"1920x1080", 1920, 1080}};
  struct Sc {
    const char* name;
    Scene scene;
  } scenes[] = {{"day", DAY},
                {"night_new_lighting", NIGHT_NEW},
                {"old_lighting", OLD_LIGHTING},
                {"hallucination", HALLUCINATION},
                {"crowded", CROWDED},
                {"walking", WALKING},
                {"long_book", LONG_BOOK}};
  for (const Res& r : sizes)
    for (const Sc& s : scenes) {
      const std::string name = std::string("frame/") + r.name + "/" + s.name;
      benchmark::RegisterBenchmark(name.c_str(), [r, s](benchmark::State& st) {
        frame(st, r.w, r.h, s.scene);
      })->Iterations(200)->Unit(benchmark::kMillisecond);
    }
}

}  // namespace

int main(int argc, char** argv) {
  register_all();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
