// What the frame loop does while the player stands still: a simulated second
// of 1 ms passes (mouse, tick, redraw pacing, frame counters, effects) on the
// sample world's river bank, by day and by night, headless on memory
// bitmaps with the generated art of build/game. Reported per simulated
// second: the frames composed (whole or in part) and the work of one pass.
// The clock is simulated, so the frames counted do not depend on the
// machine; the time per pass does.

#include <allegro.h>
#include <benchmark/benchmark.h>
#include <loadpng.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "app/client_app.h"
#include "app/globals.h"
#include "core/utils.h"
#include "display/display.h"
#include "input/frame_input.h"
#include "world/effects.h"
#include "sample_game.h"

namespace {

constexpr int BANK_X = 24, BANK_Y = 21;  // the river's west bank, water in view
constexpr uint64_t PASS_US = 1000;
constexpr int PASSES = 1000;  // one simulated second

uint64_t fake_now = 0;
uint64_t fake_clock() { return fake_now; }

// The sample world of build/game, loaded once into a temporary directory.
class RiverBank {
 public:
  RiverBank() : game_({"dat", "cmaps", "pics"}, "pics/special.png") {
    if (!game_.ok()) return;
    install_allegro(SYSTEM_NONE, &errno, atexit);
    _png_screen_gamma = 0.0;
    set_color_depth(32);
    d.copy_tile_table();
    ok_ = cmap.load(1) == 0 && d.load_tiles() == 0;
    // The pictures and bitmaps that start-up makes with a window.
    d.special = load_png("pics/special.png", nullptr);
    d.skin = load_png("pics/bg_t2.png", nullptr);
    d.panel_bitmap = create_bitmap(PANEL_WIDTH, PANEL_HEIGHT);
    d.minimap_bitmap = create_bitmap(CMAP_MAX_SIZE, CMAP_MAX_SIZE);
    d.fill_palette();
    d.allegro_up = true;
    d.main_font = d.names_font = d.menu_font = d.rune_font = font;
    res_x = 800;
    res_y = 600;
    d.compute_layout();
    d.make_hotbar();
    me.map_level = static_cast<int16_t>(cmap.get_level());
    me.x = BANK_X;
    me.y = BANK_Y;
    me.hp = 21;
    me.code = 0x200;
    app.session.logged_in = 1;
    level_entered = data_reloaded = inventory_synced = true;
    map_transfer_pending = false;
    conn_state = CONN_PLAYING;
    // The simulated clock runs on from now: the app's timers were stamped
    // with the real one.
    fake_now = get_time_us();
    input_clock_us = fake_clock;
  }
  ~RiverBank() { d.allegro_up = false; }
  bool ok() const { return game_.ok() && ok_ && d.special != nullptr; }

 private:
  SampleGameCopy game_;
  bool ok_ = false;
};

RiverBank& bank() {
  static RiverBank b;
  return b;
}

void idle(benchmark::State& state, int minute) {
  if (!bank().ok()) {
    state.SkipWithError("build/game with the generated art is missing");
    return;
  }
  world_time = minute;
  // Settled: a few seconds of passes first, so that fps is counted.
  auto pass = [] {
    fake_now += PASS_US;
    app.do_mouse();
    app.note_input();
    app.do_tick();
    app.do_redraw();
    app.update_frame_counters();
    deteriorate(event_list);
    move_missiles(missile_list, 1);
    move_particles(particle_list, 1);
  };
  for (int i = 0; i < 3 * PASSES; ++i) pass();
  uint64_t frames = 0;
  double seconds = 0;
  for (auto _ : state) {
    const uint64_t before = d.frames_composed;
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < PASSES; ++i) pass();
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    frames += d.frames_composed - before;
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["frames_per_s"] = static_cast<double>(frames) / n;
  state.counters["us_per_pass"] = seconds * 1e6 / (n * PASSES);
}

}  // namespace

BENCHMARK_CAPTURE(idle, standing_by_day, 12 * 60)->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(idle, standing_by_night, 23 * 60)->Iterations(10)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
