// The input steps of a pass: the ready flags and their delays, the periodic
// lines, pointer directions, scroll offsets and the ping-pong phase, and the
// mouse and the editing keys through whole passes, against a simulated
// keyboard, a set clock and the lines a loopback server receives.

#include "input/frame_input.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/globals.h"
#include "app/play_messages.h"
#include "app/server_handlers.h"
#include "core/number_codec.h"
#include "core/utils.h"
#include "input/modal_input.h"
#include "input/player_actions.h"
#include "script/script_host.h"
#include "lauxlib.h"
#include "lua.h"
#include "lualib.h"
#include "support/temp_dir.h"
#include "unit/app/app_test_support.h"
#include "unit/display/headless.h"

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
    for (uint64_t& t : app.session.action_timers) t = START;
    res_x = 800;
    res_y = 600;
    d.panel_x = 568;
    d.play_height = 505;
    d.tile_size = 32;
    d.curr_display = 0;
    mouse_x = CENTRE_X;
    mouse_y = CENTRE_Y;
    mouse_z = 0;
    mouse_b = 0;
    app.session.last_wheel = 0;
    app.session.hover_item = Item(-1L);
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
  // Every line the server got, joined by '|'; without `periodic`, not the
  // lines that time passing brings ("+" and the stats).
  std::string lines(bool periodic = true) {
    std::string all;
    for (std::string l = server->next(30); l != "<none>" && l != "<closed>"; l = server->next(30))
      if (periodic || (l != "+" && l.rfind("x ", 0) != 0)) all += (all.empty() ? "" : "|") + l;
    return all;
  }
};

TEST_F(FrameInputTest, ReadyFlagsReturnAfterTheirDelays) {
  fire_delay = 700;
  spell_delay = 500;
  craft_delay = 2500;
  struct Flag {
    const char* name;
    uint8_t SessionState::*flag;
    int timer;
    int normal_ms, turn_based_ms;
  } flags[] = {
      {"attack", &SessionState::attack_ready, TIMER_ATTACK, 700, 100},
      {"use", &SessionState::use_ready, TIMER_USE, 1000, 100},
      {"buy", &SessionState::buy_ready, TIMER_BUY, 250, 250},
      {"space", &SessionState::space_ready, TIMER_SPACE, 1000, 100},
      {"spell", &SessionState::spell_ready, TIMER_CAST, 500, 500},
      {"hide", &SessionState::hide_ready, TIMER_HIDE, 2000, 100},
      {"craft", &SessionState::craft_ready, TIMER_CRAFT, 2500, 100},
  };
  for (bool turn_based : {false, true}) {
    common_cfg.set_int("turn_based", turn_based ? 1 : 0);
    for (const Flag& f : flags) {
      const int delay = turn_based ? f.turn_based_ms : f.normal_ms;
      fake_now = START + 100000 * MS;
      app.session.action_timers[f.timer] = fake_now;
      app.session.*f.flag = 0;
      fake_now += delay * MS;
      app.do_tick();
      EXPECT_EQ(app.session.*f.flag, 0) << f.name << " turn_based=" << turn_based;
      fake_now += 1 * MS;
      app.do_tick();
      EXPECT_EQ(app.session.*f.flag, 1) << f.name << " turn_based=" << turn_based;
    }
  }
}

// Polymorphed before the form's figures arrive, or riding a mount the table
// does not know, the player keeps his own pace and his own figure: the step
// flag does not come back on the next pass. A known mount sets both.
TEST_F(FrameInputTest, NoPaceOfItsOwnKeepsThePlayersPace) {
  const struct {
    int status;
    int mount;  // in the "H" record, -1 none
    int pace;   // 0: the player's own
  } cases[] = {{HN_POLYMORPHED, -1, 0}, {HN_MOUNTED, 99, 0}, {HN_MOUNTED, 1, 180}};
  for (const auto& c : cases) {
    SetUp();
    mounts.load();
    me.poly_move_delay = 0;
    if (c.mount >= 0)
      app.process_pkt("H 10 10 1 0 0 0 20 0 0 0 20 0 0 0 0 25 25 25 500 0 1 0 " + std::to_string(c.mount) +
                      " 1");
    const int own = c.pace != 0 ? c.pace : move_delay_ms();
    ASSERT_GT(own, 1) << c.mount;
    app.process_pkt("@ 0 0 0 0 0 0 0 0 0 0 0 0 0 nnnnnnnnnnnnnnnnnn B 0 0 0 0 0 0 0 0 0 " +
                    std::to_string(c.status) + " 30");
    ASSERT_TRUE(me.has_status(c.status));
    app.session.action_timers[TIMER_MOVE] = fake_now;
    app.session.move_step_ready = 0;
    fake_now += 2 * MS;
    app.do_tick();
    EXPECT_EQ(app.session.move_step_ready, 0) << c.mount;
    EXPECT_EQ(move_delay_ms(), own) << c.mount;
    // Nor a picture of its own: the player's own figure is drawn.
    me.code = 0x201;
    EXPECT_EQ(me.get_draw_code() == 0x201, c.pace == 0) << c.mount;
  }
}

// A form's pace at the top of the int range, on ground that slows it half as
// much again, stays the longest pace there is: the step does not come back.
TEST_F(FrameInputTest, LongestPaceOnSlowGroundStaysTheLongest) {
  cmap.set_size(30, 30, false);
  app.process_pkt("H 10 10 1 0 0 0 20 0 0 0 20 0 0 0 0 25 25 25 500 0 1 0 0 1");
  app.process_pkt("N t 10 10 1 47");
  app.process_pkt("y 249 1 2 3 4 5 2147483647 700 1 1 1");
  app.process_pkt("@ 0 0 0 0 0 0 0 0 0 0 0 0 0 nnnnnnnnnnnnnnnnnn B 0 0 0 0 0 0 0 0 0 " +
                  std::to_string(HN_POLYMORPHED) + " 30");
  EXPECT_EQ(move_delay_ms(), 2147483647);
  app.session.action_timers[TIMER_MOVE] = fake_now;
  app.session.move_step_ready = 0;
  fake_now += 2 * MS;
  app.do_tick();
  EXPECT_EQ(app.session.move_step_ready, 0);
  cmap = CMap();
}

// The once-a-second tick runs every counter down, to the last, also beneath
// a status that a worn item makes permanent.
TEST_F(FrameInputTest, StatusCountersRunDownBeneathAWornStatus) {
  app.process_pkt("# " + make_code(181, 0, MP_HEALTH_STATUS, HN_BLIND).str() +
                  " 0 0 0 0 0 0 0 0 0 0 0 0 0 0");
  app.process_pkt("@ 0 0 0 0 0 0 0 0 0 0 0 0 0 nnnnnnnnnnnnnnnnnn B 0 0 0 0 0 0 0 0 0 2 5 9 5 62 5");
  EXPECT_EQ(me.get_health(HN_BLIND), -1);
  fake_now += 1000 * MS;
  app.do_tick();
  EXPECT_EQ((std::vector<int>{me.health[HN_BLIND], me.health[HN_DISEASED]}),
            (std::vector<int>{4, 4}));
  EXPECT_EQ(me.health[62], 4);  // the last counter too
}

TEST_F(FrameInputTest, SpellCooloffFraction) {
  spell_delay = 400;
  app.session.spell_ready = 0;
  app.session.action_timers[TIMER_CAST] = fake_now;
  fake_now += 100 * MS;
  app.do_tick();
  EXPECT_FLOAT_EQ(d.cooloff_fraction, 0.75f);
  fake_now += 301 * MS;
  app.do_tick();
  EXPECT_EQ(app.session.spell_ready, 1);
  EXPECT_FLOAT_EQ(d.cooloff_fraction, 0.0f);
}

TEST_F(FrameInputTest, PeriodicLines) {
  app.session.logged_in = 1;
  app.session.list_partner = 160;
  const struct {
    uint64_t at_ms;
    int mode;
    int sync_errors;
    const char* expect;  // the lines sent, by their first characters
  } steps[] = {
      {10000, MODE_NORMAL, 0, "x|+"},  // both periods have run out
      {12999, MODE_NORMAL, 0, ""},
      {13000, MODE_NORMAL, 0, "+"},
      {20000, MODE_BUY, 0, "| 160|+"},
      {22000, MODE_NORMAL, 5, "^ f -1"},  // more than four sync errors: a reset request
      {24000, MODE_NORMAL, 4, "+"},       // four are kept (the clock minute is not a tenth)
  };
  world_time = 1;
  for (const auto& s : steps) {
    fake_now = START + s.at_ms * MS;
    gc_interface_mode = s.mode;
    app.session.level_sync_errors = s.sync_errors;
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
  EXPECT_EQ(app.session.level_sync_errors, 4);
  EXPECT_TRUE(has_message("Too many level sync errors; requesting reset."));
}

// A session's timers run from its start, but for the keep-alive and the
// status line, which go out at the first pass: the once-a-second tick and
// the world clock wait their whole periods.
TEST_F(FrameInputTest, SessionTimersRunFromTheStart) {
  const uint64_t start = START + 5000 * MS;
  fake_now = start;
  app.reset_session();
  app.process_pkt("Z");  // the data reload: logged in
  app.process_pkt("t 100");
  app.process_pkt("@ 0 0 0 0 0 0 0 0 0 0 0 0 0 nnnnnnnnnnnnnnnnnn B 0 0 0 0 0 0 0 0 0 " +
                  std::to_string(HN_BLIND) + " 5");
  ASSERT_EQ(lines(), "i");
  const struct {
    uint64_t at_ms;
    const char* sent;  // the status line by its letter
    int minute, blind;
  } steps[] = {
      {0, "x|+", 100, 5}, {999, "", 100, 5}, {1000, "", 100, 4}, {1999, "", 100, 4}, {2000, "", 101, 3},
  };
  for (const auto& s : steps) {
    fake_now = start + s.at_ms * MS;
    app.do_tick();
    std::string got = lines();
    if (got.rfind("x ", 0) == 0) got = "x" + got.substr(std::min(got.find('|'), got.size()));
    EXPECT_EQ(got, s.sent) << s.at_ms;
    EXPECT_EQ(world_time, s.minute) << s.at_ms;
    EXPECT_EQ(me.health[HN_BLIND], s.blind) << s.at_ms;
  }
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
  app.session.frame_count = 0;
  app.session.action_timers[TIMER_REDRAW] = fake_now;
  app.session.action_timers[TIMER_SECOND] = fake_now;
  // 28 ms between redraws over one second and a bit.
  for (int ms = 1; ms <= 1001; ++ms) {
    fake_now += MS;
    app.do_redraw();
    app.update_frame_counters();
  }
  EXPECT_EQ(fps, 35);  // redraws at 28, 56, ... 980 ms
  EXPECT_EQ(app.session.frame_count, 0);
}

TEST_F(FrameInputTest, PointerHidesAfterTwoStillSecondsInNormalPlay) {
  for (int mode : {MODE_NORMAL, MODE_USE}) {
    gc_interface_mode = mode;
    d.mouse_shown = 1;
    app.idle_ms = 0;
    for (int i = 0; i < 21; ++i) {
      fake_now += 100 * MS;
      app.do_mouse();
    }
    EXPECT_EQ(d.mouse_shown, mode == MODE_NORMAL ? 0 : 1) << mode;
    mouse_b = 1;  // a button counts as activity
    app.do_mouse();
    EXPECT_EQ(d.mouse_shown, 1) << mode;
    EXPECT_EQ(app.idle_ms, 0) << mode;
    mouse_b = 0;
  }
}

}  // namespace

namespace {

// ---- Whole passes ------------------------------------------------------------------
// The client in play with its frames drawn (headless): the mouse and the keys
// go through whole frame-loop passes, and what counts is the line the server
// gets and what the message box and the input line show.

constexpr long BLADE = 0x181, HAT = 0x1b0, BREAD = 0x1c0, TORCH = 0x190;
const Item OIL(0x108L), POT(0x54aL), SEEDS(0x581L);  // usable, in this order in the pack
const Item KINDLE_SCROLL(std::string("0010011e"));  // asks for a direction
const std::string blade = Item(BLADE).str(), hat = Item(HAT).str();
int pad(int digit) { return (KEY_0_PAD + digit) << 8 | ('0' + digit); }
std::string use_line(const Item& it, int dx, int dy) {
  return "U " + it.str() + " " + std::to_string(10 + dx) + " " + std::to_string(10 + dy) + " 1 " +
         (dx == 0 && dy == 0 ? "0" : "1");
}

// A mouse driver that reports the pointer's moves as a real one does: the
// steps since it was last asked.
int mickeys_x = 0, mickeys_y = 0;
void report_mickeys(int* x, int* y) {
  *x = mickeys_x;
  *y = mickeys_y;
  mickeys_x = mickeys_y = 0;
}
MOUSE_DRIVER moving_mouse = [] {
  MOUSE_DRIVER m{};
  m.get_mickeys = report_mickeys;
  return m;
}();

struct PlayPassTest : FrameInputTest {
  void SetUp() override {
    FrameInputTest::SetUp();
    keymap.load();
    tiledata.load();
    sc.load();
    spells.load();
    wl.load();
    headless_allegro(32);
    d.allegro_up = true;
    d.main_font = d.names_font = d.menu_font = d.rune_font = font;
    d.make_hotbar();
    d.compute_layout();
    client_cfg.set_int("no_fps_limit", 1);  // a frame every pass: the links are drawn
    app.session.logged_in = 1;
    level_entered = data_reloaded = inventory_synced = true;
    map_transfer_pending = false;
    cmap.set_size(30, 30, false);
    me.hp = 20;
    mouse_driver = &moving_mouse;
    d.panel_bitmap = create_bitmap(PANEL_WIDTH, PANEL_HEIGHT);  // the lists are drawn
  }
  void TearDown() override {
    for (ItemList* l : std::initializer_list<ItemList*>{&items, &server_objects, &visible_creatures, &temp_list})
      l->clear();
    item_drop.clear();
    cmap = CMap();
    destroy_bitmap(d.panel_bitmap);
    d.panel_bitmap = nullptr;
    d.allegro_up = false;
    mouse_driver = nullptr;
    FrameInputTest::TearDown();
  }
  void pass(int n = 1) {
    for (int i = 0; i < n; ++i) ASSERT_TRUE(app.frame_pass());
  }
  void hit(int k) {
    press_key(k);
    pass();
  }
  // Keys as typed: \n is ENTER, \b BACKSPACE, \x1b ESC, {NAME} the key NAME.
  void type(const std::string& keys) {
    static const std::map<std::string, int> named = {
        {"DEL", KEY_DEL << 8},   {"PGUP", KEY_PGUP << 8}, {"PGDN", KEY_PGDN << 8}, {"HOME", KEY_HOME << 8},
        {"END", KEY_END << 8},   {"INSERT", KEY_INSERT << 8}, {"F9", KEY_F9 << 8},
        {"F10", KEY_F10 << 8},   {"F12", KEY_F12 << 8},   {"PAD2", pad(2)},        {"PAD4", pad(4)},
        {"PAD5", pad(5)},        {"PAD6", pad(6)},        {"PAD8", pad(8)},        {"PAD9", pad(9)},
        {"PADq", KEY_5_PAD << 8 | 'q'}};
    for (size_t i = 0; i < keys.size(); ++i) {
      const char c = keys[i];
      if (c == '{') {
        const size_t end = keys.find('}', i);
        hit(named.at(keys.substr(i + 1, end - i - 1)));
        i = end;
        continue;
      }
      const int sc = c == '\n' ? KEY_ENTER : c == '\b' ? KEY_BACKSPACE : c == 27 ? KEY_ESC : c == ' ' ? KEY_SPACE
                     : c == '#' ? KEY_3 : c >= 'a' ? KEY_A + c - 'a' : c >= 'A' ? KEY_A + c - 'A' : KEY_0 + c - '0';
      hit(sc << 8 | (c == '\n' ? 13 : c));
    }
  }
  // A key, or (0) a wheel step down, with a modifier held for its pass.
  void with(int modifier, int k) {
    key[modifier] = 1;
    if (k) press_key(k);
    else
      mouse_z = app.session.last_wheel - 1;
    pass();
    key[modifier] = 0;
  }
  // Pressed in one pass, let go in the next (button 1 left, 2 right, 4
  // middle); then the pointer rests on the message box's right end.
  void click(int x, int y, int button = 1) {
    mouse_x = x;
    mouse_y = y;
    mouse_b = button;
    pass();
    mouse_b = 0;
    pass();
    mouse_x = d.input_width + 20;
    mouse_y = res_y - 5;
  }
  void click_cell(int dx, int dy, int button = 1) { click(CENTRE_X + 32 * dx, CENTRE_Y + 32 * dy, button); }
  // War cry (cast at once) bound to SHIFT with a direction, casts queueing:
  // SHIFT and the up arrow held for `passes` passes, then let go for one
  // unless `hold`.
  void shift_cast(int passes, bool hold = false) {
    client_cfg.set_int("spell_queueing", 1);
    me.spell_binds[10] = 7;
    key[KEY_LSHIFT] = 1;
    key[KEY_UP] = 1;
    pass(passes);
    if (hold) return;
    key[KEY_LSHIFT] = 0;
    key[KEY_UP] = 0;
    pass();
  }
  // The cool-off of a cast over, and a pass.
  void cool_off() {
    fake_now += 2000 * MS;
    pass();
  }
  // The pointer moved to (x, y) by the mouse, for a pass.
  void move_pointer(int x, int y) {
    mickeys_x = x - mouse_x;
    mickeys_y = y - mouse_y;
    mouse_x = x;
    mouse_y = y;
    pass();
  }
  // The pointer moved onto a cell for a pass.
  void point_cell(int dx, int dy) {
    mouse_x = CENTRE_X + 32 * dx;
    mouse_y = CENTRE_Y + 32 * dy;
    pass();
  }
  void click_button(int b, int button = 1) { click(d.hotbar[b].x + 4, d.hotbar[b].y + 4, button); }
  // A right click on the command button 9 of the command hotbar, then `keys`.
  void bind_command_button(const std::string& keys) {
    client_cfg.set_int("command_hotbar", 1);
    d.compute_layout();
    click_button(9, 2);
    client_cfg.set_int("command_hotbar", 0);
    d.compute_layout();
    type(keys);
  }
  // The word `text` where it was drawn as a link, on the link's last column
  // and row.
  void click_link(const std::string& text) {
    for (const ClickRegion& l : d.links)
      if (l.text == text) return click(l.x + l.w, l.y + l.h - 1);
    ADD_FAILURE() << "no link " << text;
  }
  // The list entry `it`, found as a player finds it (moving the pointer
  // shows it), with the key `held` (0 none) down through the click.
  void click_entry(const Item& it, int button = 1, int held = 0) {
    d.mouse_shown = 1;
    for (int y = 0; y < res_y; ++y) {
      mouse_x = d.panel_x + 40;
      mouse_y = y;
      if (d.get_item_under_mouse() != it) continue;
      if (held) key[held] = 1;
      click(mouse_x, y, button);
      if (held) key[held] = 0;
      return;
    }
    ADD_FAILURE() << "no list entry " << it.str();
  }
  // The message box shows older lines: PGUP in play.
  void scroll_back() {
    for (int i = 0; i < 60; ++i) d.print_msg("line %d", i);
    type("{PGUP}");
    ASSERT_NE(d.msg_log.scroll(), 0);
  }
  // SHIFT+F1 starts binding a spell to F1 (casting with words), then `keys`.
  void bind_spell(const std::string& keys) {
    common_cfg.set_int("cast_with_words", 1);
    with(KEY_LSHIFT, KEY_F1 << 8);
    type(keys);
  }
  // The NPC south of the player starts talking.
  void talk() {
    server->send("T 170");
    pass(3);
  }
  // Five blades dropped east, `count` typed at the prompt for how many (a
  // game master may drop more than held).
  void drop_blades(const std::string& count, bool dm = false) {
    me.dm = dm;
    items.clear();
    items.add(Item(BLADE), 5, 0, false);
    type("d\n" + count + "{PAD6}");
  }
  // The first hotbar button's item used (`keys` answer a prompt), then F9 after the use delay.
  void hotbar_use_and_f9(const Item& it, const std::string& keys) {
    items.add(it, 3, 0, false);
    me.item_binds[10] = it;  // the first button's
    fake_now += 1001 * MS;
    click_button(0);
    type(keys);
    fake_now += 1001 * MS;
    type("{F9}");
  }
  // `held` of the item carried, SHIFT and a right click on its entry of the
  // drop list, then `keys`.
  void shift_right_click_drop(const Item& it, long held, const std::string& keys) {
    items.add(it, held, 0, false);
    type("d");
    click_entry(it, 2, KEY_LSHIFT);
    type(keys);
  }
  void blade_here() { server_objects.add_simple_obj(900, Item(BLADE), 10, 10, 0); }
  // The server's pile of a blade and a hat at the player's feet, the blade
  // bound to F1.
  void pile() {
    me.item_binds[10] = Item(BLADE);
    server->send("u u:" + blade + " 1 0u:" + hat + " 1 0");
    server->send("U @ 7 181 0 2");
    pass(3);
    ASSERT_EQ(static_cast<int>(gc_interface_mode), MODE_GETLIST);
  }
  // The middle of list row `r` on the screen, from the top.
  static int row_y(int r) { return d.panel_y + 19 + 10 * r + 5; }
  // The row of the list panel that the red pointer lights; -1 none.
  static int lit_row() {
    const int red = makecol(254, 0, 0);
    for (int r = 0; r < 28; ++r)
      for (int y = 10 * r + 19; y <= 10 * r + 28; ++y)
        for (int x = 2; x < 9; ++x)
          if (getpixel(d.panel_bitmap, x, y) == red) return r;
    return -1;
  }
  // Pixels of the hotkey labels' light green beside the list's names.
  static int hotkey_label_pixels() {
    int n = 0;
    for (int y = 0; y < d.panel_bitmap->h; ++y)
      for (int x = 35; x < 49; ++x) n += getpixel(d.panel_bitmap, x, y) == makecol(102, 255, 102);
    return n;
  }
  // The input line's pixels.
  static std::vector<int> input_line() {
    std::vector<int> p;
    for (int y = 0; y < d.input_bitmap->h; ++y)
      for (int x = 0; x < d.input_bitmap->w; ++x) p.push_back(getpixel(d.input_bitmap, x, y));
    return p;
  }
};

// What only the mouse or an editing key reaches, each started in play
// (MODE_NORMAL) with a creature east of the player, an NPC south, and three usable
// things carried, by a game master (casts skip the class, level and mana checks).
TEST_F(PlayPassTest, MouseAndEditingKeys) {
  using P = PlayPassTest;
  const struct {
    const char* what;
    std::function<void(P&)> act;
    std::string line;  // what the server gets; a trailing '*' matches any rest
    std::string msg = "";  // the last message, "" unchecked
    int mode = MODE_NORMAL;  // afterwards
    int pointer = 99;        // the pointer's shape afterwards, 99 unchecked
  } cases[] = {
      {"the help window hides the pointer",
       [](P& t) {
         t.type("?");
         t.point_cell(1, 0);
         EXPECT_EQ(app.cursor_code, 0);
         t.type("\x1b");
       },
       ""},
      {"an item held on the pointer shows it",
       [](P& t) {
         d.pointer_item = Item(BLADE);
         t.point_cell(2, 2);
       },
       "", "", MODE_NORMAL, -4},
      {"the pointer on the player is the plain arrow", [](P& t) { t.point_cell(0, 0); }, "", "",
       MODE_NORMAL, -3},
      {"the pointer on a creature beside is the attack pointer", [](P& t) { t.point_cell(1, 0); },
       "", "", MODE_NORMAL, 13},
      {"a stall beside is not attacked",
       [](P& t) {
         server_objects.add_obj(151, Item(0x300L), 9, 11, 0, 90, 's', 0, 0, 0);
         t.point_cell(-1, 1);
       },
       "", "", MODE_NORMAL, 6},
      {"the pointer on a far cell points its way", [](P& t) { t.point_cell(3, 3); }, "", "",
       MODE_NORMAL, 4},
      {"the pointer in a direction prompt",
       [](P& t) {
         t.type("l");
         t.point_cell(-1, 0);
       },
       "", "", MODE_LOOK, -2},
      {"the pointer in the get-one prompt",
       [](P& t) {
         t.with(KEY_LCONTROL, KEY_G << 8 | 7);
         t.point_cell(-1, 0);
       },
       "", "", MODE_GETONE, -2},
      {"the keys page hides the pointer",
       [](P& t) {
         t.type("{F12}k");
         t.point_cell(1, 0);
       },
       "", "", MODE_KEYS, 0},
      {"the pointer moved over the pile list lights the entry under it",
       [](P& t) {
         t.pile();
         EXPECT_EQ(lit_row(), 4);
         t.move_pointer(d.panel_x + 100, row_y(5));
         EXPECT_EQ(lit_row(), 5);
       },
       "", "", MODE_GETLIST},
      {"after a key the pile list shows no hotkey labels",
       [](P& t) {
         t.pile();
         EXPECT_GT(hotkey_label_pixels(), 0);  // opened as the merchant's list
         t.hit(KEY_DOWN << 8);
         EXPECT_EQ(hotkey_label_pixels(), 0);
       },
       "", "", MODE_GETLIST},
      {"the pointer while talking is the plain arrow",
       [](P& t) {
         t.talk();
         t.point_cell(-1, 0);
       },
       "", "", MODE_NPCTALK, -3},
      {"a click on a closed door beside opens it",
       [](P& t) {
         cmap.set_tile(9, 10, 103);
         t.click_cell(-1, 0);
         cmap.set_tile(9, 10, 0);
       },
       "s 9 10 0"},
      {"a click on a closed door farther away opens it",
       [](P& t) {
         cmap.set_tile(10, 7, 103);
         t.click_cell(0, -3);
         cmap.set_tile(10, 7, 0);
       },
       "s 10 7 0"},
      {"a click on the map at an entry's height picks nothing",
       [](P& t) {
         t.type("u");
         t.click(CENTRE_X + 96, row_y(5));
         t.type("\n");
       },
       use_line(OIL, 0, 0)},
      {"a click beside a list's entries is no key (the last one again)",
       [](P& t) {
         t.type("u{PAD2}");
         t.click_cell(3, 3);
         t.type("\n");
       },
       use_line(POT, 0, 0)},
      {"a click in a direction prompt answers with its cell",
       [](P& t) {
         t.type("l");
         t.click_cell(0, -1);
       },
       "s 10 9 0"},
      {"a click on the player answers with the player's cell",
       [](P& t) {
         t.type("l");
         t.click_cell(0, 0);
       },
       "s 10 10 0"},
      {"a click farther than a cell answers nothing",
       [](P& t) {
         t.type("l");
         t.click_cell(0, -3);
         t.type("\x1b");
       },
       "", "Look cancelled!"},
      {"TALK", [](P& t) { t.type("t{PAD2}"); }, "t 10 11 *"},
      {"TALK: ESC", [](P& t) { t.type("t\x1b"); }, "", "Talk cancelled!"},
      {"TALK: a key of no direction", [](P& t) { t.type("t{F12}"); }, "", "Invalid direction!"},
      {"SEARCH", [](P& t) { t.type("s{PAD8}"); }, "S 10 9 0"},
      {"SEARCH: ESC", [](P& t) { t.type("s\x1b"); }, "", "Cancelled!"},
      {"OPEN",
       [](P& t) {
         t.with(KEY_LSHIFT, KEY_S << 8 | 'S');
         t.type("{PAD6}");
       },
       "S 11 10 1"},
      {"LOOK", [](P& t) { t.type("l{PAD2}"); }, "s 10 11 0"},
      {"ACTIVATE", [](P& t) { t.type("a{PAD4}"); }, "s 9 10 2"},
      {"ACTIVATE: ESC", [](P& t) { t.type("a\x1b"); }, "", "Activate cancelled!"},
      {"GET: nothing there", [](P& t) { t.type("g "); }, "", "Nothing there!"},
      {"GET",
       [](P& t) {
         t.blade_here();
         t.type("g ");
       },
       "g 10 10 1 1"},
      {"GET one",
       [](P& t) {
         t.blade_here();
         t.with(KEY_LCONTROL, KEY_G << 8 | 7);
         t.type("{PAD5}");
       },
       "g 10 10 1 0"},
      {"GET: a key of no direction", [](P& t) { t.type("g{F12}"); }, "", "Invalid direction!"},
      {"GET: ESC", [](P& t) { t.type("g\x1b"); }, "", "Get cancelled!"},
      {"leaving a ship waits for a direction",
       [](P& t) {
         me.set_health(HN_PILOT, 9);
         t.type("x{F12}");
       },
       "", "", MODE_EXIT_MOUNT},
      {"leaving a ship",
       [](P& t) {
         me.set_health(HN_PILOT, 9);
         t.type("x{PAD9}");
       },
       "X 0 11 9"},
      {"a ship's cannons fire broadside",
       [](P& t) {
         me.set_health(HN_PILOT, 9);
         me.direction = 1;  // facing north: east is abeam
         t.type("f{PAD6}");
         me.direction = 0;
       },
       "f 1 0", "FIRE!"},
      {"ESC in the list of all items to ready sends what is readied",
       [](P& t) {
         t.with(KEY_LSHIFT, KEY_W << 8 | 'W');
         t.type("\x1b");
       },
       "# 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0", "Done!"},
      {"the last level-up point sends the points given to each stat",
       [](P& t) {
         gc_interface_mode = MODE_LEVEL_UP;
         me.stat_points = 3;
         t.type("sii");
       },
       "H 1 0 2 0", "Level up complete."},
      {"leaving a ship: ESC",
       [](P& t) {
         me.set_health(HN_PILOT, 9);
         t.type("x\x1b");
       },
       "", "Cancelled!"},
      {"F10 does not answer the direction prompt it opened",
       [](P& t) {
         app.session.last_spell = "if";
         t.type("{F10}{F10}");
       },
       "", "", MODE_CASTDIR},
      {"a cast's direction prompt: ESC",
       [](P& t) {
         app.session.last_spell = "if";
         t.type("{F10}\x1b");
       },
       "", "Casting cancelled!"},
      {"the quit prompt: any other key",
       [](P& t) {
         gc_interface_mode = MODE_QUIT;
         t.type("n");
       },
       "", "Quit cancelled"},
      {"the quit prompt: y",
       [](P& t) {
         gc_interface_mode = MODE_QUIT;
         t.type("y");
         session_over = false;
       },
       "q"},
      {"a direction prompt's key held on does not step as well",
       [](P& t) {
         me.set_health(HN_HEXED, 99);  // steps 750 ms apart
         t.type("l");
         key[KEY_8_PAD] = 1;
         t.type("{PAD8}");
         t.pass();
         key[KEY_8_PAD] = 0;
       },
       "s 10 9 0"},
      {"a key held four cells from the anchor resyncs once until the server answers",
       [](P& t) {
         app.session.confirmed_x = 14;
         key[KEY_8_PAD] = 1;
         for (int answer = 0; answer < 2; ++answer) {
           for (int i = 0; i < 3; ++i) {
             fake_now += 201 * MS;  // past a game master's step delay
             t.pass();
           }
           t.server->send("R " + encode_number(14) + " " + encode_number(10) + " " + encode_number(1) + " 0");
           t.pass(3);
         }
         key[KEY_8_PAD] = 0;
       },
       "m 10 10 1 10 10|m 10 10 1 10 10"},
      {"the wheel steps the list cursor",
       [](P& t) {
         t.type("u");
         t.with(0, 0);
         t.type("\n");
       },
       use_line(POT, 0, 0)},
      {"the wheel with CTRL pages the list",
       [](P& t) {
         t.type("u");
         t.with(KEY_LCONTROL, 0);
         t.type("\n");
       },
       use_line(SEEDS, 0, 0)},
      {"a letter that no letter key made is not typed", [](P& t) { t.type("\n{PADq}a\n"); }, "T a"},
      {"a letter bound to a slot types in the chat line",
       [](P& t) {
         items.add(Item(TORCH), 1, 0, false);
         me.item_binds[37] = Item(TORCH);
         t.type("\nt\n");
       },
       "T t"},
      {"DEL, PGDN, HOME, END and BACKSPACE edit the chat line",
       [](P& t) { t.type("\nabc{DEL}{DEL}x{PGDN}y{HOME}z{END}\b\n"); }, "T zaxby"},
      {"INSERT and PGUP step back and forth through the lines said",
       [](P& t) { t.type("\nsaid\n\n{INSERT}{INSERT}{INSERT}{PGUP}\n"); }, "T said|T zaxby"},
      {"the chat history keeps the newest 50 lines",
       [](P& t) {
         for (int i = 0; i < 55; ++i) t.type("\n" + std::to_string(i) + "\n");
         t.lines(false);
         std::string back;  // past the oldest line kept
         for (int i = 0; i < 60; ++i) back += "{INSERT}";
         t.type("\n" + back + "\n");
       },
       "T 5"},
      {"a chat line stops at 200 characters",
       [](P& t) { t.type("\n" + std::string(300, 'a') + "\n"); },
       "T " + std::string(TYPED_TEXT_MAX, 'a')},
      {"a chat line starting with # is a command, not said", [](P& t) { t.type("\n#fps\n"); }, ""},
      {"ENTER with nothing typed says nothing", [](P& t) { t.type("\n\n"); }, "", "", MODE_CHAT},
      {"ESC cancels the chat line", [](P& t) { t.type("\nhalf\x1b"); }, "", "Cancelled!"},
      {"a line said brings the message box to its newest line",
       [](P& t) {
         t.scroll_back();
         t.type("\nhi\n");
         EXPECT_EQ(d.msg_log.scroll(), 0);
       },
       "T hi"},
      {"bye typed in any case ends the talk unsaid",
       [](P& t) {
         t.talk();
         t.type("ByE\n");
       },
       "", "Bye!"},
      {"ESC with nothing typed ends the talk",
       [](P& t) {
         t.talk();
         t.type("\x1b");
       },
       "", "Bye!"},
      {"ESC with a line typed cancels it",
       [](P& t) {
         t.talk();
         t.type("jo\x1b");
       },
       "", "Cancelled!"},
      {"a click on a topic asks about it; a click in the play window types nothing",
       [](P& t) {
         t.talk();
         t.click_link("job");
         t.click_cell(0, -1);
         t.type("time\n");
       },
       "T\x1f"
       "170\x1fjob|T\x1f"
       "170\x1ftime",
       "", MODE_NPCTALK},
      {"the bye topic ends the talk and brings the message box to its newest line",
       [](P& t) {
         t.scroll_back();
         t.talk();
         t.click_link("bye");
         EXPECT_EQ(d.msg_log.scroll(), 0);
         EXPECT_EQ(d.input_shown, 0);
         EXPECT_TRUE(d.talk_topics.empty());
       },
       "", "Bye!"},
      {"BACKSPACE takes back a spell letter and its word; other slots let the spell go",
       [](P& t) {
         me.spell_binds[5] = 1;
         t.bind_spell("if");
         const std::vector<int> straight = input_line();
         t.type("\x1b");
         t.bind_spell("\biv\bf");  // the first BACKSPACE has nothing to take back
         EXPECT_TRUE(input_line() == straight) << "the prompt shows the words of the letters left";
         t.type("\n");
       },
       "n s 10 1|n s 5 -1", "Bind successful! (F1=In Flam, Shift + dir)"},
      {"a spell bound over an item empties the slot's item on the server too",
       [](P& t) {
         me.item_binds[10] = Item(BLADE);
         t.bind_spell("if\n");
         EXPECT_FALSE(me.item_binds[10].is_valid());
       },
       "n s 10 1|n i 10 0", "Bind successful! (F1=In Flam, Shift + dir)"},
      {"a spell's id goes to the server in hexadecimal", [](P& t) { t.bind_spell("ge\n"); }, "n s 10 a"},
      {"no spell letters bind nothing", [](P& t) { t.bind_spell("\n"); }, "", "What spell?"},
      {"a player binds only spells cast with words",
       [](P& t) {
         me.dm = 0;
         t.bind_spell("st\n");
       },
       "", "Invalid spell!"},
      {"ENTER binds only once the last cast is over",
       [](P& t) {
         app.session.last_spell = "wr";
         t.type("{F10}");
         t.bind_spell("if\n");
       },
       "M 7 1", "", MODE_BIND_KEY},
      {"a count typed drops that many", [](P& t) { t.drop_blades("3\n"); },
       "d 11 10 " + blade + " 3"},
      {"BACKSPACE takes a digit back from the count", [](P& t) { t.drop_blades("45\b\n"); },
       "d 11 10 " + blade + " 4"},
      {"no count drops all", [](P& t) { t.drop_blades("\n"); }, "d 11 10 " + blade + " 5"},
      {"a count above the held drops all", [](P& t) { t.drop_blades("9\n"); },
       "d 11 10 " + blade + " 5"},
      {"a count of none drops all", [](P& t) { t.drop_blades("0\n"); }, "d 11 10 " + blade + " 5"},
      {"a game master drops the count typed", [](P& t) { t.drop_blades("9\n", true); },
       "d 11 10 " + blade + " 9"},
      {"SPACE at the count drops one", [](P& t) { t.drop_blades("4 "); },
       "d 11 10 " + blade + " 1"},
      {"ESC in the drop list cancels", [](P& t) { t.type("d\x1b"); }, "", "Cancelled!"},
      {"a click on a drop entry picks it (one held: no count)",
       [](P& t) {
         items.add(Item(HAT), 1, 0, false);
         t.type("d");
         t.click_entry(Item(HAT));
         t.type("{PAD4}");
       },
       "d 9 10 " + hat + " 1"},
      {"a click on a drop entry picks nothing while entries are flagged",
       [](P& t) {
         items.add(Item(BLADE), 1, 0, false);
         items.add(Item(HAT), 1, 0, false);
         t.type("d");
         t.click_entry(Item(BLADE), 2);
         EXPECT_EQ(d.list_state.kind, SELECT_NORMAL);  // still the drop list
         t.click_entry(Item(HAT));
         t.type("\n{PAD6}");
       },
       "d 11 10 " + blade + " 1"},
      {"SHIFT and a right click drop an entry held once (no count)",
       [](P& t) { t.shift_right_click_drop(Item(HAT), 1, "{PAD4}"); }, "d 9 10 " + hat + " 1"},
      {"SHIFT and a right click on an entry held five times ask how many",
       [](P& t) { t.shift_right_click_drop(Item(BLADE), 5, "3\n{PAD6}"); },
       "d 11 10 " + blade + " 3"},
      {"F9 uses a hotbar item again where the use went: the direction chosen",
       [](P& t) { t.hotbar_use_and_f9(KINDLE_SCROLL, "{PAD8}"); },
       use_line(KINDLE_SCROLL, 0, -1) + "|" + use_line(KINDLE_SCROLL, 0, -1)},
      {"F9 uses a hotbar item again where the use went: the player's cell, an earlier use being "
       "northwards",
       [](P& t) {
         t.with(KEY_LSHIFT, KEY_U << 8 | 'U');
         t.type("\n{PAD8}");
         t.hotbar_use_and_f9(Item(BREAD), "");
       },
       use_line(OIL, 0, -1) + "|" + use_line(Item(BREAD), 0, 0) + "|" +
           use_line(Item(BREAD), 0, 0)},
      {"a right click on a hotbar button starts binding its spell",
       [](P& t) {
         common_cfg.set_int("cast_with_words", 1);
         t.click_button(0, 2);
         t.type("if\n");
       },
       "n s 10 1", "Bind successful! (F1=In Flam, Shift + dir)"},
      {"a right click on a command button starts binding a command",
       [](P& t) { t.bind_command_button(""); },
       "", "Binding command to hotbar button 9: hit the key corresponding command.", MODE_BIND_HOTBAR},
      {"ESC after a right click on a command button cancels the binding",
       [](P& t) { t.bind_command_button("\x1b"); }, "", "Cancelled!"},
      {"a command key after a right click on a command button binds it",
       [](P& t) { t.bind_command_button("l"); }, "", "Bound to Look!"},
      {"a right click with the context option asks about the cell",
       [](P& t) {
         client_cfg.set_int("right_click_context", 1);
         t.click_cell(2, 1, 2);
       },
       "$ 12 11 1 0 0 0"},
      {"the left button held on a creature beside attacks it", [](P& t) { t.click_cell(1, 0); },
       "a n 11 10 1 150 *"},
      {"the right button held casts the right button's spell there",
       [](P& t) {
         me.spell_binds[16] = 1;
         t.click_cell(0, -1, 2);
       },
       "M 1 1 10 9 -1 *"},
      {"the middle button held on a creature targets it",
       [](P& t) {
         mouse_b = 4;
         t.point_cell(1, 0);
         mouse_b = 0;
         EXPECT_EQ(target_id, 150);
       },
       ""},
      {"a right click on an ability binds it to the right button",
       [](P& t) {
         me.add_spell(1);
         t.type("c");
         t.click_entry(Item(1L), 2);
       },
       "n s 16 1", "Bind successful! (F7=In Flam, Right Mouse Button)", MODE_ABILITY},
      {"an ability bound over an item empties the slot's item on the server too",
       [](P& t) {
         me.add_spell(1);
         me.item_binds[16] = Item(BLADE);
         t.type("c");
         t.click_entry(Item(1L), 2);
       },
       "n s 16 1|n i 16 0", "Bind successful! (F7=In Flam, Right Mouse Button)", MODE_ABILITY},
      {"an ability unbound from a slot that also holds an item (a character stored by an older "
       "client) empties both on the server",
       [](P& t) {
         me.add_spell(1);
         me.item_binds[16] = Item(BLADE);
         me.spell_binds[16] = 1;
         t.type("c");
         t.click_entry(Item(1L), 2);
         EXPECT_FALSE(me.item_binds[16].is_valid());
       },
       "n s 16 -1|n i 16 0", "Spell/ability unbound!", MODE_ABILITY},
      {"the pointer moved over the ability list leaves it the ability list",
       [](P& t) {
         me.add_spell(1);
         t.type("c");
         t.move_pointer(d.panel_x + 40, d.panel_y + 60);
         EXPECT_EQ(d.list_state.kind, SELECT_ABILITY);
         EXPECT_EQ(d.get_item_under_mouse(), Item(1L));
       },
       "", "", MODE_ABILITY},
      {"SHIFT and a direction held across passes cast once, though casts queue",
       [](P& t) {
         t.shift_cast(3);
         t.cool_off();
       },
       "M 7 1"},
      {"a second press during the cool-off queues its cast",
       [](P& t) {
         t.shift_cast(2);
         t.shift_cast(2);
         t.cool_off();
       },
       "M 7 1|M 7 1"},
      {"a press queued in the cool-off and held past its end casts once",
       [](P& t) {
         t.shift_cast(1);
         t.shift_cast(1, true);
         t.cool_off();
         t.shift_cast(0);
         t.cool_off();
       },
       "M 7 1|M 7 1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    for (ItemList* l : std::initializer_list<ItemList*>{&items, &server_objects, &visible_creatures}) l->clear();
    for (const Item& it : {OIL, POT, SEEDS}) items.add(it, 1, 0, false);
    server_objects.add_obj(150, Item(0x300L), 11, 10, 0, 90, 'e', 0, 0, 0);
    server_objects.add_obj(170, Item(0x20cL), 10, 11, 0, 90, 'n', 0, 0, 0);
    visible_creatures.add_simple_obj(150, Item(0x300L), 11, 10, 0);
    std::fill(std::begin(me.item_binds), std::end(me.item_binds), Item(0L));
    std::fill(std::begin(me.spell_binds), std::end(me.spell_binds), -1);
    target_id = -1;
    me.dm = 1;
    for (int status : {HN_PILOT, HN_HEXED}) me.set_health(status, 0);
    app.session.move_step_ready = 1;
    common_cfg.set_int("cast_with_words", 0);
    client_cfg.set_int("right_click_context", 0);
    client_cfg.set_int("spell_queueing", 0);
    app.session.use_ready = app.session.spell_ready = app.session.buy_ready =
        app.session.attack_ready = 1;
    d.mouse_shown = 1;
    c.act(*this);
    const std::string got = lines(false);
    if (!c.line.empty() && c.line.back() == '*')
      EXPECT_EQ(got.substr(0, c.line.size() - 1), c.line.substr(0, c.line.size() - 1)) << got;
    else
      EXPECT_EQ(got, c.line);
    if (!c.msg.empty()) {
      EXPECT_EQ(d.messages.empty() ? "" : d.messages.back(), c.msg);
    }
    EXPECT_EQ(static_cast<int>(gc_interface_mode), c.mode);
    if (c.pointer != 99) {
      EXPECT_EQ(app.cursor_code, c.pointer);
    }
    d.pointer_item = Item(0L);
    type("\x1b");
    gc_interface_mode = MODE_NORMAL;
  }
}

// The three ways a player binds a slot, each onto F1's slot in each of its
// four states: the lines the server gets, in order, and what the slot holds
// afterwards. Oil is the use list's first entry; In Flam (spell 1, letters
// "if") the ability list's only one; War cry (7) stands for another spell.
TEST_F(PlayPassTest, BindingPathsKeepOneEntryPerSlot) {
  using P = PlayPassTest;
  enum State { EMPTY, AN_ITEM, A_SPELL, THE_SAME };
  const std::function<void(P&)> item_key = [](P& t) {
    t.type("u");
    t.hit(KEY_F1 << 8);
  };
  const std::function<void(P&)> spell_letters = [](P& t) { t.bind_spell("if\n"); };
  const std::function<void(P&)> ability_list = [](P& t) {
    t.type("c");
    t.hit(KEY_F1 << 8);
  };
  const std::string oil = OIL.str(false), oil_bound = wl.get_full_name(OIL) + " bound to key F1";
  const std::string spell_bound = "Bind successful! (F1=In Flam, Shift + dir)";
  const struct {
    const char* what;
    const std::function<void(P&)>& bind;
    State state;
    std::string lines, msg;
    Item item;  // the slot's afterwards
    int spell;
  } rows[] = {
      {"item key, empty slot", item_key, EMPTY, "n i 10 " + oil, oil_bound, OIL, -1},
      {"item key over an item", item_key, AN_ITEM, "n i 10 " + oil, oil_bound, OIL, -1},
      {"item key over a spell", item_key, A_SPELL, "n i 10 " + oil + "|n s 10 -1", oil_bound, OIL, -1},
      {"item key on its own item unbinds", item_key, THE_SAME, "n i 10 0", "F1 key unbound", Item(0L), -1},
      {"spell letters, empty slot", spell_letters, EMPTY, "n s 10 1", spell_bound, Item(0L), 1},
      {"spell letters over an item", spell_letters, AN_ITEM, "n s 10 1|n i 10 0", spell_bound, Item(0L), 1},
      {"spell letters over a spell", spell_letters, A_SPELL, "n s 10 1", spell_bound, Item(0L), 1},
      {"spell letters on their own spell bind it again", spell_letters, THE_SAME, "n s 10 1", spell_bound,
       Item(0L), 1},
      {"ability list, empty slot", ability_list, EMPTY, "n s 10 1", spell_bound, Item(0L), 1},
      {"ability list over an item", ability_list, AN_ITEM, "n s 10 1|n i 10 0", spell_bound, Item(0L), 1},
      {"ability list over a spell", ability_list, A_SPELL, "n s 10 1", spell_bound, Item(0L), 1},
      {"ability list on its own ability unbinds", ability_list, THE_SAME, "n s 10 -1",
       "Spell/ability unbound!", Item(0L), -1},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    items.clear();
    for (const Item& it : {OIL, POT, SEEDS}) items.add(it, 1, 0, false);
    me.add_spell(1);
    me.dm = 1;
    std::fill(std::begin(me.item_binds), std::end(me.item_binds), Item(0L));
    std::fill(std::begin(me.spell_binds), std::end(me.spell_binds), -1);
    const bool item_path = &r.bind == &item_key;
    if (r.state == AN_ITEM) me.item_binds[10] = Item(BLADE);
    if (r.state == A_SPELL) me.spell_binds[10] = 7;
    if (r.state == THE_SAME && item_path) me.item_binds[10] = OIL;
    if (r.state == THE_SAME && !item_path) me.spell_binds[10] = 1;
    common_cfg.set_int("cast_with_words", 0);
    app.session.use_ready = app.session.spell_ready = 1;
    mouse_x = d.input_width + 20;  // off the list: its cursor picks
    mouse_y = res_y - 5;
    r.bind(*this);
    EXPECT_EQ(lines(false), r.lines);
    EXPECT_EQ(d.messages.empty() ? "" : d.messages.back(), r.msg);
    EXPECT_EQ(me.item_binds[10], r.item);
    EXPECT_EQ(me.spell_binds[10], r.spell);
    type("\x1b");
    gc_interface_mode = MODE_NORMAL;
  }
}

}  // namespace
