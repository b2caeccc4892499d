// The input steps of a pass: keys made from clicks and wheel steps, the
// ready flags and their delays, the periodic lines, pointer directions,
// scroll offsets and the ping-pong phase, against a simulated keyboard, a
// set clock and the lines a loopback server receives.

#include "input/frame_input.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/globals.h"
#include "app/server_handlers.h"
#include "core/utils.h"
#include "input/player_actions.h"
#include "lauxlib.h"
#include "lua.h"
#include "lualib.h"
#include "support/temp_dir.h"
#include "unit/app/app_test_support.h"

namespace {

uint64_t fake_now = 0;
uint64_t fake_clock() { return fake_now; }
constexpr uint64_t MS = 1000;
constexpr uint64_t START = 1000000 * MS;

// 800x600: the play window's centre is at (284, 252), cells are 32 pixels.
constexpr int CENTRE_X = 284, CENTRE_Y = 252;

struct FrameInputTest : ::testing::Test {
  TempDir dir;
  std::unique_ptr<LoopbackServer> server;

  void SetUp() override {
    reset_app_state();
    TempDir::copy_gamedata("dat");
    common_cfg.load();
    input_clock_us = fake_clock;
    fake_now = START;
    for (uint64_t& t : app.action_timers) t = START;
    res_x = 800;
    res_y = 600;
    d.panel_x = 568;
    d.play_height = 505;
    d.tile_size = 32;
    d.curr_display = 0;
    d.hotbar.assign(HOTBAR_BUTTONS, Button());
    for (int i = 0; i < HOTBAR_BUTTONS; ++i) d.hotbar[i] = Button(10 + 34 * i, 470, 32, 32);
    mouse_x = CENTRE_X;
    mouse_y = CENTRE_Y;
    mouse_z = 0;
    mouse_b = 0;
    app.last_wheel = 0;
    app.hover_item = Item(-1L);
    level_flag = false;
    me.reset();
    me.map_level = 1;
    me.x = 10;
    me.y = 10;
    server.reset();  // its socket must close before the next one opens
    server = std::make_unique<LoopbackServer>();
  }
  void TearDown() override {
    server.reset();
    input_clock_us = get_time_us;
    key[KEY_LCONTROL] = 0;
  }
  // Every line the server got, joined by '|'.
  std::string lines() {
    std::string all;
    for (std::string l = server->next(30); l != "<none>" && l != "<closed>"; l = server->next(30))
      all += (all.empty() ? "" : "|") + l;
    return all;
  }
};

TEST_F(FrameInputTest, KeyStepMakesKeysFromKeysClicksAndTheWheel) {
  constexpr int OLD_KEY = KEY_Z << 8 | 'z';
  const struct {
    const char* what;
    int pressed;      // a key waiting, 0 none
    bool left_click;
    int pointer_dy;   // cells north of the player (negative) or south
    int mode;
    bool list_shown, hover, ctrl;
    int wheel_to;
    bool consumed;
    int key;          // last_key afterwards
  } cases[] = {
      {"letter key", KEY_A << 8 | 'a', false, 0, 0, false, false, false, 0, false, KEY_A << 8 | 'a'},
      {"letter from a keypad key is the script's only", KEY_5_PAD << 8 | 'q', false, 0, 0, false,
       false, false, 0, true, KEY_5_PAD << 8 | 'q'},
      {"ENTER", KEY_ENTER << 8 | 13, false, 0, 0, false, false, false, 0, false,
       KEY_ENTER << 8 | 13},
      {"click on the cell north", 0, true, -1, 3, false, false, false, 0, false,
       KEY_8_PAD << 8 | '8'},
      {"click on the player's cell", 0, true, 0, 3, false, false, false, 0, false,
       KEY_SPACE << 8 | ' '},
      {"click three cells away makes no key", 0, true, -3, 3, false, false, false, 0, true,
       OLD_KEY},
      {"click in the inventory view", 0, true, -1, IMODE_VIEW_INV, false, false, false, 0, true,
       OLD_KEY},
      {"click on a list entry", 0, true, 5, 3, true, true, false, 0, false, KEYCODE_ENTER},
      {"click beside the list entries", 0, true, 5, 3, true, false, false, 0, true, OLD_KEY},
      {"wheel down", 0, false, 0, 3, false, false, false, -1, false, KEYCODE_DOWN},
      {"wheel down with CTRL", 0, false, 0, 3, false, false, true, -1, false, KEYCODE_PGDN},
      {"wheel up with CTRL", 0, false, 0, 3, false, false, true, 2, false, KEYCODE_PGUP},
      {"nothing", 0, false, 0, 3, false, false, false, 0, true, OLD_KEY},
  };
  for (const auto& c : cases) {
    use_simulated_keys();
    app.last_key = OLD_KEY;
    app.key_this_pass = 0;
    app.last_wheel = 0;
    mouse_z = c.wheel_to;
    if (c.pressed) press_key(c.pressed);
    app.left_released = c.left_click;
    app.right_released = 0;
    mouse_y = CENTRE_Y + 32 * c.pointer_dy;
    gc_interface_mode = c.mode;
    d.curr_display = c.list_shown ? 1 : 0;
    app.hover_item = c.hover ? Item(0x181L) : Item(-1L);
    key[KEY_LCONTROL] = c.ctrl;
    EXPECT_EQ(app.do_hotbar_input(), c.consumed) << c.what;
    EXPECT_EQ(app.last_key, c.key) << c.what;
    if (!c.consumed) {
      EXPECT_EQ(app.last_scancode, c.key >> 8) << c.what;
      EXPECT_EQ(app.last_ascii, c.key & 0xff) << c.what;
    }
    if (c.wheel_to != 0) {
      EXPECT_EQ(app.last_wheel, c.wheel_to) << c.what;
    }
    EXPECT_FALSE(keypressed()) << c.what;
  }
}

// A right click on a command button only starts binding a command: it does
// not look up the spell or item of a hotkey slot.
TEST_F(FrameInputTest, RightClickOnHotbarButtons) {
  client_cfg.set_int("command_hotbar", 1);
  common_cfg.set_int("cast_with_words", 1);
  const struct {
    int button;
    bool consumed;
    int mode, button_number, hotbar_button;
  } cases[] = {
      // Binding a spell waits for the next key: ENTER of an earlier pass ends nothing.
      {2, true, 22, 12, -1},
      {9, true, IMODE_BIND_HOTBAR, -1, 9},
      {15, true, IMODE_BIND_HOTBAR, -1, 15},
  };
  for (const auto& c : cases) {
    gc_interface_mode = 0;
    app.button_number = -1;
    app.hotbar_button = -1;
    app.right_released = 1;
    app.left_released = 0;
    app.key_this_pass = 0;
    d.messages.clear();
    mouse_x = d.hotbar[c.button].x + 5;
    mouse_y = d.hotbar[c.button].y + 5;
    EXPECT_EQ(app.do_hotbar_input(), c.consumed) << c.button;
    EXPECT_EQ(static_cast<int>(gc_interface_mode), c.mode) << c.button;
    EXPECT_EQ(app.button_number, c.button_number) << c.button;
    EXPECT_EQ(app.hotbar_button, c.hotbar_button) << c.button;
    if (c.mode == IMODE_BIND_HOTBAR) {
      EXPECT_TRUE(has_message("Binding command to hotbar button " + std::to_string(c.button) +
                              ": hit the key corresponding command."));
    }
  }
}

TEST_F(FrameInputTest, ReadyFlagsReturnAfterTheirDelays) {
  fire_delay = 700;
  spell_delay = 500;
  craft_delay = 2500;
  struct Flag {
    const char* name;
    uint8_t ClientApp::*flag;
    int timer;
    int normal_ms, turn_based_ms;
  } flags[] = {
      {"attack", &ClientApp::attack_ready, TIMER_ATTACK, 700, 100},
      {"use", &ClientApp::use_ready, TIMER_USE, 1000, 100},
      {"buy", &ClientApp::buy_ready, TIMER_BUY, 250, 250},
      {"space", &ClientApp::space_ready, TIMER_LEVEL, 1000, 100},
      {"spell", &ClientApp::spell_ready, TIMER_CAST, 500, 500},
      {"hide", &ClientApp::hide_ready, TIMER_HIDE, 2000, 100},
      {"craft", &ClientApp::craft_ready, TIMER_CRAFT, 2500, 100},
  };
  for (bool turn_based : {false, true}) {
    common_cfg.set_int("turn_based", turn_based ? 1 : 0);
    for (const Flag& f : flags) {
      const int delay = turn_based ? f.turn_based_ms : f.normal_ms;
      fake_now = START + 100000 * MS;
      app.action_timers[f.timer] = fake_now;
      app.*f.flag = 0;
      fake_now += delay * MS;
      app.do_tick();
      EXPECT_EQ(app.*f.flag, 0) << f.name << " turn_based=" << turn_based;
      fake_now += 1 * MS;
      app.do_tick();
      EXPECT_EQ(app.*f.flag, 1) << f.name << " turn_based=" << turn_based;
    }
  }
}

// Polymorphed before the form's figures arrive, the player keeps his own
// pace: the step flag does not come back on the next pass.
TEST_F(FrameInputTest, AFormWithoutFiguresKeepsThePlayersPace) {
  me.poly_move_delay = 0;
  const int own = move_delay_ms();
  ASSERT_GT(own, 1);
  app.process_pkt("@ 0 0 0 0 0 0 0 0 0 0 0 0 0 nnnnnnnnnnnnnnnnnn B 0 0 0 0 0 0 0 0 0 7 30");
  ASSERT_TRUE(me.has_status(HN_POLYMORPHED));
  app.action_timers[TIMER_MOVE] = fake_now;
  app.move_step_ready = 0;
  fake_now += 2 * MS;
  app.do_tick();
  EXPECT_EQ(app.move_step_ready, 0);
  EXPECT_EQ(move_delay_ms(), own);
}

// The once-a-second tick runs the counters down, also beneath a status that
// a worn item makes permanent.
TEST_F(FrameInputTest, StatusCountersRunDownBeneathAWornStatus) {
  app.process_pkt("# " + make_code(181, 0, MP_HEALTH_STATUS, HN_BLIND).str() +
                  " 0 0 0 0 0 0 0 0 0 0 0 0 0 0");
  app.process_pkt("@ 0 0 0 0 0 0 0 0 0 0 0 0 0 nnnnnnnnnnnnnnnnnn B 0 0 0 0 0 0 0 0 0 2 5 9 5");
  EXPECT_EQ(me.get_health(HN_BLIND), -1);
  fake_now += 1000 * MS;
  app.do_tick();
  EXPECT_EQ((std::vector<int>{me.health[HN_BLIND], me.health[HN_DISEASED]}),
            (std::vector<int>{4, 4}));
}

TEST_F(FrameInputTest, SpellCooloffFraction) {
  spell_delay = 400;
  app.spell_ready = 0;
  app.action_timers[TIMER_CAST] = fake_now;
  fake_now += 100 * MS;
  app.do_tick();
  EXPECT_FLOAT_EQ(d.cooloff_fraction, 0.75f);
  fake_now += 301 * MS;
  app.do_tick();
  EXPECT_EQ(app.spell_ready, 1);
  EXPECT_FLOAT_EQ(d.cooloff_fraction, 0.0f);
}

TEST_F(FrameInputTest, PeriodicLines) {
  app.logged_in = 1;
  app.list_partner = 160;
  const struct {
    uint64_t at_ms;
    int mode;
    int sync_errors;
    const char* expect;  // the lines sent, by their first characters
  } steps[] = {
      {10000, 0, 0, "x|+"},        // both periods have run out
      {12999, 0, 0, ""},
      {13000, 0, 0, "+"},
      {20000, IMODE_BUY, 0, "| 160|+"},
      {22000, 0, 5, "^ f -1"},     // more than four sync errors: a reset request
      {24000, 0, 4, "+"},          // four are kept (the clock minute is not a tenth)
  };
  world_time = 1;
  for (const auto& s : steps) {
    fake_now = START + s.at_ms * MS;
    gc_interface_mode = s.mode;
    level_sync_errors = s.sync_errors;
    app.do_tick();
    std::string got = lines();
    std::string want = s.expect;
    if (want == "x|+") {
      ASSERT_EQ(got.substr(0, 2), "x ") << s.at_ms;
      EXPECT_EQ(got.substr(got.size() - 2), "|+") << s.at_ms;
    } else {
      EXPECT_EQ(got, want) << s.at_ms;
    }
  }
  EXPECT_EQ(level_sync_errors, 4);
  EXPECT_TRUE(has_message("Too many level sync errors; requesting reset."));
}

// The script tick runs once more than 100 ms have passed since the end of
// its last call: a hook that takes 50 ms is called again 151 ms after it began.
TEST_F(FrameInputTest, ScriptTickWaitsFromTheEndOfTheLastCall) {
  lua_State* const saved = script_state;
  script_state = luaL_newstate();
  lua_register(script_state, "spend", [](lua_State* L) {
    fake_now += static_cast<uint64_t>(lua_tonumber(L, 1)) * MS;
    return 0;
  });
  ASSERT_EQ(luaL_dostring(script_state, "calls = 0 function auxbox() calls = calls + 1 spend(50) end"), 0);
  const struct {
    uint64_t at_ms;
    int calls;
  } steps[] = {{100, 0}, {101, 1}, {250, 1}, {251, 1}, {252, 2}, {402, 2}, {403, 3}};
  for (const auto& s : steps) {
    fake_now = START + s.at_ms * MS;
    app.do_tick();
    lua_getglobal(script_state, "calls");
    EXPECT_EQ(lua_tonumber(script_state, -1), s.calls) << s.at_ms;
    lua_pop(script_state, 1);
  }
  lua_close(script_state);
  script_state = saved;
}

TEST_F(FrameInputTest, PointerDirection) {
  const struct {
    int dx, dy;
    float angle;
    int dir;
  } cases[] = {
      {0, -1, 0, 1}, {1, -1, 0, 2}, {1, 0, 0, 3},   {1, 1, 0, 4},     {0, 1, 0, 5},
      {-1, 1, 0, 6}, {-1, 0, 0, 7}, {-1, -1, 0, 8}, {0, 0, 90, 0},    {3, 0, 0, 3},
      {3, 0, 22.5f, 2}, {3, 0, -22.5f, 3}, {0, -3, 90, 1}, {-3, 0, 157.5f, 7},
      {-3, 0, -157.5f, 6}, {-3, 0, -157.6f, 7}, {0, 3, -90, 5}, {3, 3, -45, 4},
      {-3, -3, 135, 8},
  };
  for (const auto& c : cases)
    EXPECT_EQ(pointer_direction(c.dx, c.dy, c.angle), c.dir) << c.dx << "," << c.dy << " " << c.angle;
}

TEST_F(FrameInputTest, ScrollOffsetThroughAStep) {
  const struct {
    double elapsed;
    int delay, tile, offset;
  } cases[] = {
      {0, 300, 32, 32}, {150, 300, 32, 16}, {100, 300, 48, 32}, {400, 300, 32, 0},
      // A mount delay that is not known reads 0: no division by it.
      {10, 0, 32, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(scroll_offset_for(c.elapsed, c.delay, c.tile), c.offset) << c.elapsed << "/" << c.delay;
}

TEST_F(FrameInputTest, PingPongPhaseHoldsEachEnd) {
  anim_ping_pong = 1;
  app.phase_step = 1;
  std::vector<int> seen;
  for (int i = 0; i < 15; ++i) {
    fake_now += 100 * MS;
    app.update_frame_counters();
    seen.push_back(anim_ping_pong);
  }
  EXPECT_EQ(seen, (std::vector<int>{2, 3, 4, 5, 6, 7, 7, 6, 5, 4, 3, 2, 1, 1, 2}));
}

TEST_F(FrameInputTest, FramesPerSecondAndRedrawPacing) {
  client_cfg.set_int("no_fps_limit", 0);
  fps = 0;
  app.frame_count = 0;
  app.action_timers[TIMER_REDRAW] = fake_now;
  app.action_timers[TIMER_SECOND] = fake_now;
  // 28 ms between redraws over one second and a bit.
  for (int ms = 1; ms <= 1001; ++ms) {
    fake_now += MS;
    app.do_redraw();
    app.update_frame_counters();
  }
  EXPECT_EQ(fps, 35);  // redraws at 28, 56, ... 980 ms
  EXPECT_EQ(app.frame_count, 0);
}

TEST_F(FrameInputTest, PointerShapeAndReleasedButtons) {
  TempDir::copy_gamedata("dat");
  tiledata.load();
  cmap.set_size(30, 30, false);
  for (int x = 0; x < 30; ++x)
    for (int y = 0; y < 30; ++y) cmap.set_tile(x, y, 46);
  cmap.set_tile(11, 10, 103);  // a closed door east of the player
  cmap.set_tile(10, 7, 103);   // and one three cells north
  server_objects.add_obj(150, Item(0x300L), 9, 10, 0, 90, 'e', 0, 0, 0);   // west: a creature
  server_objects.add_obj(151, Item(0x300L), 10, 11, 0, 90, 's', 0, 0, 0);  // south: not attackable
  level_entered = data_reloaded = true;
  map_transfer_pending = false;
  const struct {
    const char* what;
    int mode;
    int dx, dy;          // pointer cell offset from the player
    bool item_on_pointer, release;
    int shape;
    const char* line;    // sent on the release
  } cases[] = {
      {"help window", 31, 1, 0, false, false, 0, ""},
      {"item on the pointer", 0, 2, 2, true, false, -4, ""},
      {"own cell", 0, 0, 0, false, false, -3, ""},
      {"creature west", 0, -1, 0, false, false, 17, ""},
      {"stall south", 0, 0, 1, false, false, 5, ""},
      {"door east opens on a click", 0, 1, 0, false, true, -4, "s 11 10 0"},
      {"far door opens on a click", 0, 0, -3, false, true, -4, "s 10 7 0"},
      {"far cell", 0, 3, 3, false, false, 4, ""},
      {"direction prompt", IMODE_CAST_DIR, -1, 0, false, false, -2, ""},
      {"talking", IMODE_NPCTALK, -1, 0, false, false, -3, ""},
  };
  for (const auto& c : cases) {
    gc_interface_mode = c.mode;
    d.pointer_item = c.item_on_pointer ? Item(0x181L) : Item(0L);
    mouse_x = CENTRE_X + 32 * c.dx;
    mouse_y = CENTRE_Y + 32 * c.dy;
    app.left_held = c.release;
    mouse_b = 0;
    app.do_mouse();
    EXPECT_EQ(app.left_released, c.release) << c.what;
    EXPECT_EQ(app.left_held, 0) << c.what;
    EXPECT_EQ(app.cursor_code, c.shape) << c.what;
    EXPECT_EQ(d.cursor_code, c.shape) << c.what;
    EXPECT_EQ(lines(), c.line) << c.what;
  }
  server_objects.clear();
  cmap = CMap();
  d.pointer_item = Item(0L);
}

TEST_F(FrameInputTest, PointerHidesAfterTwoStillSecondsInNormalPlay) {
  for (int mode : {0, 3}) {
    gc_interface_mode = mode;
    d.mouse_shown = 1;
    app.idle_ms = 0;
    for (int i = 0; i < 21; ++i) {
      fake_now += 100 * MS;
      app.do_mouse();
    }
    EXPECT_EQ(d.mouse_shown, mode == 0 ? 0 : 1) << mode;
    mouse_b = 1;  // a button counts as activity
    app.do_mouse();
    EXPECT_EQ(d.mouse_shown, 1) << mode;
    EXPECT_EQ(app.idle_ms, 0) << mode;
    mouse_b = 0;
  }
}

}  // namespace
