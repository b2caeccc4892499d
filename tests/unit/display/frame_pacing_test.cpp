// The frame pacing composes a frame only when something shown changed. Each
// fact that can change is changed the way the program changes it (a server
// line through the dispatcher, a key or the pointer through the frame loop,
// time through the tick), at each cell size; the screen must then show what
// a frame composed afresh shows.

#include <allegro.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/play_messages.h"
#include "core/number_codec.h"
#include "core/string_utils.h"
#include "display/hotbar.h"
#include "input/hotkeys.h"
#include "input/frame_input.h"
#include "input/options.h"
#include "lauxlib.h"
#include "script/script_host.h"
#include "unit/app/app_test_support.h"
#include "unit/display/map_test_world.h"

namespace {

uint64_t fake_now = 0;
uint64_t fake_clock() { return fake_now; }
constexpr uint64_t MS = 1000;
constexpr int INTERVAL_MS = 28;
constexpr int ANY = -1;  // frames composed: at least one

struct CellSize {
  int w, h, tile;
};

void set_option(int n, bool on) {
  if (options.get(n) != on) options.toggle_option(n);
}

// A creature update line: id, x, y, level 1, code, no effect, health 40.
std::string creature_line(int id, int dx, int dy) {
  auto n = [](int v) { return encode_number(v); };
  return "o " + n(id) + " " + n(WORLD_PX + dx) + " " + n(WORLD_PY + dy) + " " + n(1) + " " +
         n(0x211) + " 0 " + n(40) + " " + n(0) + " 3 e";
}

// The stats line of a player with one status counter or buff set.
std::string stats_line(int counter, int buff) {
  Player p;
  if (counter >= 0) p.health[counter] = 5;
  if (buff >= 0) p.buffs[buff] = 9;
  return p.mk_stats_packet();
}

int differing(BITMAP* a, BITMAP* b) {
  int n = 0;
  for (int y = 0; y < a->h; ++y)
    for (int x = 0; x < a->w; ++x) n += getpixel(a, x, y) != getpixel(b, x, y);
  return n;
}

class FramePacing : public MapWorld, public testing::WithParamInterface<CellSize> {
 protected:
  void SetUp() override {
    reset_app_state();
    MapWorld::SetUp();
    if (!have_art) GTEST_SKIP() << "generated art missing";
    buffs.load();
    server = std::make_unique<LoopbackServer>();
    input_clock_us = fake_clock;
    fake_now = get_time_us();
    for (uint64_t& t : app.session.action_timers) t = fake_now;
    app.session.logged_in = 1;
    inventory_synced = true;
    me.id = 7;
    app.session.confirmed_x = me.x;  // where the server last placed the player
    app.session.confirmed_y = me.y;
    // Deep water along the top and the bottom of the view: it animates.
    for (int x = 0; x < WORLD_SIZE; ++x)
      for (int dy : {-9, -8, 6, 7, 8, 9}) cmap.set_tile(x, WORLD_PY + dy, 249);
    cmap.calc_layers();

    res_x = GetParam().w;
    res_y = GetParam().h;
    d.allegro_up = true;
    d.main_font = d.names_font = d.menu_font = d.rune_font = font;
    d.msg_font = nullptr;
    d.large_message_font = d.large_statbox = 0;
    d.make_hotbar();
    hotbar_clock_ms = [] { return fake_now / MS; };
    d.special = load_png("pics/special.png", nullptr);
    d.skin = load_png("pics/bg_t2.png", nullptr);
    d.compute_layout();
    ASSERT_EQ(d.tile_size, GetParam().tile);
    d.panel_bitmap = create_bitmap(PANEL_WIDTH, PANEL_HEIGHT);
    clear_bitmap(d.panel_bitmap);
    screen = create_bitmap(res_x, res_y);
    // A script that fills the aux box once its torches are lit.
    TempDir::write("clientscripts/torches.lua",
                   "function auxbox()\n  d:auxbox_clear()\n"
                   "  if lit then d:auxbox_set_line(0, 'The torches are lit') end\nend\n");
    script_state = luaL_newstate();
    init_scripts();
  }

  void TearDown() override {
    if (script_state) lua_close(script_state);
    script_state = nullptr;
    server.reset();
    input_clock_us = get_time_us;
    hotbar_clock_ms = [] { return get_time_us() / MS; };
    quiet();
    for (BITMAP** b : {&screen, &d.special, &d.skin, &d.panel_bitmap}) {
      if (*b) destroy_bitmap(*b);
      *b = nullptr;
    }
    // The global display must not shut the library down at exit.
    d.allegro_up = false;
    id_table.clear();
    MapWorld::TearDown();
  }

  // Nothing moving, counting down or held; the pointer over the side panel.
  static void quiet() {
    fps = 0;
    d.show_fps = 0;
    d.input_shown = 1;
    d.mouse_shown = 0;
    mouse_x = res_x - 8;
    mouse_y = 8;
    world_time = 12 * 60;
    for (auto& h : me.health) h = 0;
    me.clear_buffs();
    event_list.clear();
    server_objects.clear();
    rebuild_object_grid();
    lunge_dx = lunge_dy = 0;
    lunge_counter = 0;
    app.session.spell_ready = 1;
    d.cooloff_fraction = 0.0f;
    set_option(OPT_COOLOFF_BAR, false);
    set_option(OPT_SMOOTH_SCROLLING, false);
    set_option(OPT_HOTBAR, false);
    me.item_binds[HOTKEY_F1_SLOT] = Item(0L);
    d.scroll_offset = 0;
    use_simulated_keys();
  }

  // Intervals of the frame loop; the frames composed in them. The frame rate
  // figure stays as a case sets it: at 0 no animation step comes, which
  // would draw the play window again and hide a stale one.
  static int passes(int n) {
    const uint64_t before = d.frames_composed;
    for (int i = 0; i < n; ++i) {
      fake_now += INTERVAL_MS * MS;
      app.session.action_timers[TIMER_SECOND] = fake_now;
      app.frame_pass();
    }
    return static_cast<int>(d.frames_composed - before);
  }

  // A frame composed afresh from what the program holds now, on the screen.
  static void compose_afresh() {
    d.request_frame(FRAME_REQUESTED);
    d.draw_window();
    d.flush_map_view();
  }
  static BITMAP* copy_of_screen() {
    BITMAP* b = create_bitmap(res_x, res_y);
    blit(screen, b, 0, 0, 0, 0, res_x, res_y);
    return b;
  }

  std::unique_ptr<LoopbackServer> server;
};

TEST_P(FramePacing, EveryChangeShownReachesTheScreen) {
  auto send = [&](const std::string& line) { return [this, line] { server->send(line); }; };
  auto nothing = [] {};
  // The cool-off bar shown as a cast of `ms` of cool-off leaves it.
  auto cooling_off = [](int ms) {
    return [ms] {
      set_option(OPT_COOLOFF_BAR, true);
      app.session.spell_ready = 0;
      app.session.action_timers[TIMER_CAST] = fake_now;
      spell_delay = ms;
    };
  };
  const struct Case {
    const char* what;
    std::function<void()> before;  // the state before the change, shown first
    std::function<void()> change;
    int intervals;
    int frames;     // composed in those intervals: a count, or ANY
    bool compared;  // with a frame composed afresh (not when it is random)
  } cases[] = {
      {"nothing changes", nothing, nothing, 6, 0, true},
      {"a server line names a creature", send(creature_line(150, 2, -1)),
       send("i\t150\tm\tRiver rat\t\t"), 2, ANY, true},
      {"a creature moves near the bottom edge", send(creature_line(151, 1, 6)),
       send(creature_line(151, -3, 7)), 2, ANY, true},
      {"the clock turns to the evening", [] { world_time = 20 * 60 + 59; }, nothing,
       2000 / INTERVAL_MS + 1, ANY, true},
      {"a status counter counts down", send(stats_line(HN_POISONED, -1)), nothing,
       1000 / INTERVAL_MS + 1, ANY, true},
      {"a buff counts down", send(stats_line(-1, 3)), nothing, 1000 / INTERVAL_MS + 1, ANY, true},
      {"the frame rate figure", [] { d.show_fps = 1; }, [] { fps = 2; }, 2, ANY, true},
      {"the last effect runs out",
       [&] {
         server->send(creature_line(152, 3, 1));
         server->send(format_str("E 152 %d %d 27 0 -1 -1 1", WORLD_PX + 3, WORLD_PY + 1));
       },
       [] { deteriorate_at(event_list, get_time_us() + 60000 * MS); }, 2, ANY, true},
      {"a lunge runs out",
       [&] {
         server->send(creature_line(153, 1, 0));
         server->send(format_str("A 17 0 153 0 Goblin %d %d 1 0 M 181 0 1 2 3 40 5 0",
                                 WORLD_PX + 1, WORLD_PY));
       },
       nothing, 14, ANY, true},
      {"a cool-off runs out", cooling_off(200), nothing, 10, ANY, true},
      {"a cool-off counts down", cooling_off(2000), nothing, 10, ANY, true},
      {"an item may be used again",
       [] {
         set_option(OPT_HOTBAR, true);
         me.item_binds[HOTKEY_F1_SLOT] = Item(0x100L);
         // As a use leaves it: the item's button is dark for a second.
         app.session.use_ready = 0;
         app.session.action_timers[TIMER_USE] = fake_now;
       },
       nothing, 1000 / INTERVAL_MS + 2, ANY, true},
      {"the pointer rests on a hotbar button",
       [] {
         set_option(OPT_HOTBAR, true);
         me.item_binds[HOTKEY_F1_SLOT] = Item(0x100L);
         d.mouse_shown = 1;
         app.idle_ms = 0;
       },
       [] {
         mouse_x = d.hotbar[0].x + 8;
         mouse_y = d.hotbar[0].y + 8;
       },
       HOTBAR_TOOLTIP_REST_MS / INTERVAL_MS + 3, ANY, true},
      {"a script lights its torches", nothing, [] { luaL_dostring(script_state, "lit = true"); },
       6, ANY, true},
      {"the pointer moves onto an object",
       [&] {
         put(-1, 0x100, 2, 1, 1, 'n');
         d.mouse_shown = 1;
         app.idle_ms = 0;
       },
       [] {
         mouse_x = d.panel_x / 2 + 2 * d.tile_size;
         mouse_y = d.play_height / 2 + d.tile_size;
       },
       2, ANY, true},
      {"a key scrolls the messages",
       [] {
         for (int n = 0; n < 30; ++n) d.print_msg("Line %d", n);
       },
       [] { press_key(KEY_PGUP << 8); }, 2, ANY, true},
      {"a step scrolls the view", [] { set_option(OPT_SMOOTH_SCROLLING, true); },
       [] {
         key[KEY_RIGHT] = 1;
         passes(1);
         key[KEY_RIGHT] = 0;
       },
       40, ANY, true},
      {"animation steps", nothing, [] { fps = 3; }, 5, ANY, true},  // two or three of four
      {"the prompt glyph shows and steps", nothing, [] { d.hide_input_line(); }, 6, 6, true},
      {"a hallucination", send(stats_line(HN_HALLUCINATING, -1)), nothing, 6, 6, false},
      {"meditation", send(stats_line(HN_MEDITATING, -1)), nothing, 6, 6, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // Each case starts from a quiet screen that shows all there is.
    quiet();
    c.before();
    passes(4);
    compose_afresh();
    // The clock minute has just turned: no other turn comes within a case.
    app.session.action_timers[TIMER_CLOCK] = fake_now;
    BITMAP* before = copy_of_screen();

    c.change();
    const int frames = passes(c.intervals);
    if (c.frames == ANY) {
      EXPECT_GT(frames, 0);
    } else {
      EXPECT_EQ(frames, c.frames);
    }
    if (c.compared) {
      // The glyph's step counted after the last frame is the next frame's.
      if (d.frame_reasons == FRAME_PROMPT) d.flush_map_view();
      BITMAP* shown = copy_of_screen();
      compose_afresh();
      EXPECT_EQ(differing(shown, screen), 0) << "stale pixels";
      if (c.frames != 0) {
        EXPECT_GT(differing(before, screen), 0) << "the change shows nothing";
      }
      destroy_bitmap(shown);
    }
    destroy_bitmap(before);
  }
}

INSTANTIATE_TEST_SUITE_P(CellSizes, FramePacing,
                         testing::Values(CellSize{800, 600, 32}, CellSize{1024, 768, 48},
                                         CellSize{1280, 1024, 64}),
                         [](const testing::TestParamInfo<CellSize>& p) {
                           return "Cell" + std::to_string(p.param.tile);
                         });

}  // namespace
