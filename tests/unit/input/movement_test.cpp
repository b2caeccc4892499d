// The movement step: held keys and buttons into move lines, turns, bumps
// and attacks, against held Allegro keys, a small level and the lines a
// loopback server receives.

#include "input/movement.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/globals.h"
#include "app/server_handlers.h"
#include "core/item_bases.h"
#include "core/number_codec.h"
#include "core/string_utils.h"
#include "core/utils.h"
#include "input/frame_input.h"
#include "input/player_actions.h"
#include "support/temp_dir.h"
#include "unit/app/app_test_support.h"

namespace {

constexpr int GRASS = 46, WALL = 35, DEEP = 249, LAVA = 220, VOID = 225;
constexpr long BOW = 0x182;
constexpr long ARROWS = 0x1a0;
constexpr long BLADE = 0x181;

uint64_t fake_now = 0;
uint64_t fake_clock() { return fake_now; }

struct MovementTest : ::testing::Test {
  TempDir dir;
  std::unique_ptr<LoopbackServer> server;

  void SetUp() override {
    reset_app_state();
    TempDir::copy_gamedata("dat");
    common_cfg.load();
    tiledata.load();
    sc.load();
    wl.load();
    input_clock_us = fake_clock;
    fake_now = 1000000000ULL;
    clear_world();
    cmap.set_size(30, 30, false);
    for (int x = 0; x < 30; ++x)
      for (int y = 0; y < 30; ++y) cmap.set_tile(x, y, GRASS);
    cmap.type = MAPTYPE_FLAT;
    me.reset();
    me.map_level = 1;
    me.hp = 20;
    me.x = 10;
    me.y = 10;
    me.direction = 1;
    app.session.confirmed_x = 10;
    app.session.confirmed_y = 10;
    app.session.pending_move_token = 0;
    map_transfer_pending = false;
    level_flag = false;
    crosshair = false;
    app.session.move_step_ready = app.session.attack_ready = 1;
    app.session.left_held = app.session.left_released = app.session.right_held =
        app.session.right_released = 0;
    app.session.middle_held = 0;
    gc_interface_mode = MODE_NORMAL;
    d.scroll_dx = d.scroll_dy = 0;
    server.reset();  // its socket must close before the next one opens
    server = std::make_unique<LoopbackServer>();
  }
  void TearDown() override {
    server.reset();
    clear_world();
    input_clock_us = get_time_us;
    for (int i = 0; i < KEY_MAX; ++i) key[i] = 0;
  }
  static void clear_world() {
    items.clear();
    server_objects.clear();
    visible_creatures.clear();
    obj_grid.clear(true);
    cmap = CMap();
  }
  // Every line the server got, joined by '|'.
  std::string lines() {
    std::string all;
    for (std::string l = server->next(30); l != "<none>" && l != "<closed>"; l = server->next(30))
      all += (all.empty() ? "" : "|") + l;
    return all;
  }
  // One pass of the movement step with `held` down.
  void pass_with(std::initializer_list<int> held) {
    for (int k : held) key[k] = 1;
    app.do_movement();
    for (int k : held) key[k] = 0;
  }
};

// Replaces the token of a move line ("m x y z ox oy token") by "T".
std::string without_token(const std::string& line) {
  if (line.rfind("m ", 0) != 0 || std::count(line.begin(), line.end(), ' ') != 6) return line;
  size_t last = line.rfind(' ');
  return line.substr(0, last) + " T";
}

TEST_F(MovementTest, StepsBumpsAndResyncs) {
  const struct {
    const char* what;
    int key;
    int wall_x, wall_y;       // a wall cell, -1 none
    int creature_x;           // a creature east of the player, -1 none
    int anchor_x;             // the server-confirmed x
    bool wrap;
    int start_x;
    std::string line;
    int end_x, end_y, facing;
    int wall_tile = WALL;
    int status = -1;  // a status of the player's, -1 none
    long object = -1;  // an object of the level on the wall cell, -1 none
  } cases[] = {
      {"free step north", KEY_UP, -1, -1, -1, 10, false, 10, "m 10 9 1 10 10 T", 10, 9, 1},
      {"keypad south-east", KEY_3_PAD, -1, -1, -1, 10, false, 10, "m 11 11 1 10 10 T", 11, 11, 4},
      {"wall only turns", KEY_RIGHT, 11, 10, -1, 10, false, 10, "r 3", 10, 10, 3},
      {"creature only turns", KEY_RIGHT, -1, -1, 11, 10, false, 10, "r 3", 10, 10, 3},
      {"three cells from the anchor still moves", KEY_UP, -1, -1, -1, 13, false, 10,
       "m 10 9 1 10 10 T", 10, 9, 1},
      {"four cells from the anchor resyncs", KEY_UP, -1, -1, -1, 14, false, 10, "m 10 10 1 10 10",
       10, 10, 1},
      {"west across the seam", KEY_LEFT, -1, -1, -1, 0, true, 0, "m 29 10 1 0 10 T", 29, 10, 7},
      {"east across the seam", KEY_RIGHT, -1, -1, -1, 29, true, 29, "m 0 10 1 29 10 T", 0, 10, 3},
      {"flying over the void", KEY_RIGHT, 11, 10, -1, 10, false, 10, "m 11 10 1 10 10 T", 11, 10, 3,
       VOID, HN_FLYING},
      {"flying, lava only turns", KEY_RIGHT, 11, 10, -1, 10, false, 10, "r 3", 10, 10, 3, LAVA,
       HN_FLYING},
      {"a locked door stops without a turn", KEY_RIGHT, 11, 10, -1, 10, false, 10, "", 10, 10, 1,
       GRASS, -1, ITEM_BASE_LOCKED_DOOR},
  };
  for (const auto& c : cases) {
    SetUp();
    cmap.type = c.wrap ? MAPTYPE_WRAP : MAPTYPE_FLAT;
    me.x = static_cast<int16_t>(c.start_x);
    app.session.confirmed_x = c.anchor_x;
    if (c.wall_x >= 0) cmap.set_tile(c.wall_x, c.wall_y, c.wall_tile);
    if (c.status >= 0) me.set_health(c.status, 5);
    if (c.object >= 0) {
      // The level's objects reach the step check with the next refresh.
      cmap.map_objects.push_back({Item(c.object), c.wall_x, c.wall_y});
      app.process_pkt("R " + encode_number(10) + " " + encode_number(10) + " " + encode_number(1));
    }
    if (c.creature_x >= 0)
      server_objects.add_obj(150, Item(0x300L), c.creature_x, 10, 0, 90, 'e', 0, 0, 0);
    pass_with({c.key});
    EXPECT_EQ(without_token(lines()), c.line) << c.what;
    EXPECT_EQ(me.x, c.end_x) << c.what;
    EXPECT_EQ(me.y, c.end_y) << c.what;
    EXPECT_EQ(me.direction, c.facing) << c.what;
    EXPECT_EQ(app.session.move_step_ready, 0) << c.what;
  }
}

TEST_F(MovementTest, WrapStepScrollsTheShortWay) {
  cmap.type = MAPTYPE_WRAP;
  me.x = 0;
  app.session.confirmed_x = 0;
  pass_with({KEY_LEFT});
  EXPECT_EQ(d.scroll_dx, 1);
  EXPECT_EQ(d.scroll_dy, 0);
}

// Steps on a sunlit wooden floor of a wrapping level at midday now and then
// mark a floor cell four or five cells away; the server's next view then
// holds a marker object there. Forty steps back and forth, as a player
// walks: with a 1-in-7 draw a step, a mark is all but certain. The mark
// goes when a later day step finds no such cell, and with the level.
TEST_F(MovementTest, DayEffectMarksAFloorCellInTheNextView) {
  constexpr int FLOOR = 45;
  enum Floor { EVERYWHERE, NOWHERE, ACROSS_THE_SEAM, COLUMN_ZERO };
  enum Then { STAY, WALK_WITHOUT_CELL, NEW_LEVEL };
  const struct {
    const char* what;
    int minute;
    MAPTYPE type;
    Floor floor;
    bool marked;
    Then then = STAY;  // after the first view; the next view shows no mark
    unsigned seed = 7;
  } cases[] = {
      {"noon", 12 * 60, MAPTYPE_WRAP, EVERYWHERE, true},
      {"the first hour", 10 * 60, MAPTYPE_WRAP, EVERYWHERE, true},
      {"the last hour", 15 * 60 + 59, MAPTYPE_WRAP, EVERYWHERE, true},
      {"before ten", 10 * 60 - 1, MAPTYPE_WRAP, EVERYWHERE, false},
      {"four o'clock", 16 * 60, MAPTYPE_WRAP, EVERYWHERE, false},
      {"a level that does not wrap", 12 * 60, MAPTYPE_FLAT, EVERYWHERE, false},
      {"grass", 12 * 60, MAPTYPE_WRAP, NOWHERE, false},
      // Walking x 1 and 2, the only other floor lies west across the seam.
      {"the floor across the seam", 12 * 60, MAPTYPE_WRAP, ACROSS_THE_SEAM, true},
      // Walking x 4 and 5, the only other floor is the map's first column;
      // a draw whose last day step finds it.
      {"the floor on column 0", 12 * 60, MAPTYPE_WRAP, COLUMN_ZERO, true, STAY, 8},
      {"then a walk where no floor lies four cells away", 12 * 60, MAPTYPE_WRAP, EVERYWHERE, true,
       WALK_WITHOUT_CELL},
      {"then another level", 12 * 60, MAPTYPE_WRAP, EVERYWHERE, true, NEW_LEVEL},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    std::srand(c.seed);
    const int start_x = c.floor == ACROSS_THE_SEAM ? 1 : c.floor == COLUMN_ZERO ? 4 : 10;
    for (int x = 0; x < 30; ++x)
      for (int y = 0; y < 30; ++y) {
        const bool floor =
            c.floor == EVERYWHERE ||
            (c.floor == ACROSS_THE_SEAM && (x >= 25 || (y == 10 && x <= 2))) ||
            (c.floor == COLUMN_ZERO && (x == 0 || (y == 10 && (x == 4 || x == 5))));
        cmap.set_tile(x, y, floor ? FLOOR : GRASS);
      }
    cmap.type = c.type;
    me.x = static_cast<int16_t>(start_x);
    app.session.confirmed_x = start_x;
    app.process_pkt("t " + std::to_string(c.minute));
    const auto walk = [&] {
      for (int i = 0; i < 40; ++i) {
        app.session.move_step_ready = 1;
        pass_with({i % 2 ? KEY_LEFT : KEY_RIGHT});
      }
      ASSERT_EQ(me.x, start_x);
      lines();
    };
    walk();
    app.process_pkt("F0");
    if (c.then != STAY) {
      ASSERT_NE(server_objects.first, nullptr);
      if (c.then == WALK_WITHOUT_CELL) {
        // Floor only where the player walks.
        for (int x = 0; x < 30; ++x)
          for (int y = 0; y < 30; ++y)
            cmap.set_tile(x, y, y == 10 && (x == start_x || x == start_x + 1) ? FLOOR : GRASS);
        walk();
      } else {
        TempDir::copy_gamedata("cmaps");
        const unsigned crc = static_cast<unsigned>(file_crc32("cmaps/lvl001.map"));
        app.process_pkt("K 0 1 4 10 10 " + format_str("%x", crc));
        ASSERT_EQ(cmap.get_level(), 1);
      }
      app.process_pkt("F0");
      EXPECT_EQ(server_objects.first, nullptr);
      continue;
    }
    const ItemListEl* marker = server_objects.first;
    ASSERT_EQ(marker != nullptr, c.marked);
    if (!marker) continue;
    EXPECT_EQ(marker->id, -1);
    EXPECT_EQ(marker->item.code, 1293);
    EXPECT_EQ(cmap.get_tile(marker->x, marker->y), FLOOR);
    // Four or five cells from one of the two cells walked, the short way
    // round the level.
    bool near = false;
    for (int x : {start_x, start_x + 1}) {
      const int dx = std::abs((marker->x - x + 45) % 30 - 15), dy = std::abs(marker->y - 10);
      near = near || (std::max(dx, dy) >= 4 && std::max(dx, dy) <= 5);
    }
    EXPECT_TRUE(near) << marker->x << "," << marker->y;
  }
}

TEST_F(MovementTest, OneTokenUntilTheReplyAndPacedByTheReadyFlag) {
  pass_with({KEY_UP});
  std::string first = lines();
  ASSERT_EQ(first.rfind("m 10 9 1 10 10 ", 0), 0u) << first;
  const int token = app.session.pending_move_token;
  EXPECT_GE(token, 1);
  EXPECT_LE(token, 98);
  EXPECT_EQ(first, "m 10 9 1 10 10 " + std::to_string(token));

  // Held while the flag is clear: nothing.
  pass_with({KEY_UP});
  EXPECT_EQ(lines(), "");

  // Re-armed before the reply: the same token.
  app.session.move_step_ready = 1;
  pass_with({KEY_UP});
  EXPECT_EQ(lines(), "m 10 8 1 10 9 " + std::to_string(token));

  // The reply clears it; the next step draws a new one.
  refresh_packet("R " + encode_number(10) + " " + encode_number(8) + " " + encode_number(1) + " " +
                 std::to_string(token));
  EXPECT_EQ(app.session.pending_move_token, 0);
}

TEST_F(MovementTest, ShipTurnsAndSailsOnlyOnWater) {
  const struct {
    const char* what;
    int key;
    int facing;
    int ahead_tile;  // the tile north of the ship
    std::string line;
    int end_y, end_facing;
  } cases[] = {
      {"west turns left", KEY_LEFT, 1, DEEP, "r 7", 10, 7},
      {"east turns right", KEY_RIGHT, 7, DEEP, "r 1", 10, 1},
      {"east from south", KEY_RIGHT, 5, DEEP, "r 7", 10, 7},
      {"north sails on deep water", KEY_UP, 1, DEEP, "m 10 9 1 10 10 T", 9, 1},
      {"north onto land is blocked", KEY_UP, 1, GRASS, "r 1", 10, 1},
      {"south does nothing", KEY_DOWN, 1, DEEP, "", 10, 1},
  };
  for (const auto& c : cases) {
    SetUp();
    me.set_health(HN_PILOT, 1);
    me.direction = static_cast<int16_t>(c.facing);
    cmap.set_tile(10, 10, DEEP);
    cmap.set_tile(10, 9, c.ahead_tile);
    pass_with({c.key});
    EXPECT_EQ(without_token(lines()), c.line) << c.what;
    EXPECT_EQ(me.y, c.end_y) << c.what;
    EXPECT_EQ(me.direction, c.end_facing) << c.what;
  }
}

TEST_F(MovementTest, AttacksByMoving) {
  const struct {
    const char* what;
    long weapon;
    std::initializer_list<int> keys;
    bool ready;
    const char* line_prefix;  // "" when nothing is sent
  } cases[] = {
      {"CTRL and a direction strike", BLADE, {KEY_LCONTROL, KEY_RIGHT}, true, "a n 11 10 1 150 "},
      {"not while the attack is not ready", BLADE, {KEY_LCONTROL, KEY_RIGHT}, false, ""},
      {"a bow shoots instead", BOW, {KEY_LCONTROL, KEY_RIGHT}, true, "a r 11 10 1 150 "},
      {"ALT holds the attack back", BLADE, {KEY_LCONTROL, KEY_ALT, KEY_RIGHT}, true, ""},
  };
  for (const auto& c : cases) {
    SetUp();
    server_objects.add_obj(150, Item(0x300L), 11, 10, 0, 90, 'e', 0, 0, 0);
    visible_creatures.add_simple_obj(150, Item(0x300L), 11, 10, 0);
    target_id = -1;
    me.weapon = Item(c.weapon);
    if (c.weapon == BOW) {
      items.add(Item(ARROWS), 5, 1, false);
      me.ammo = Item(ARROWS);
    }
    app.session.attack_ready = c.ready;
    pass_with(c.keys);
    std::string got = lines();
    std::string want = c.line_prefix;
    EXPECT_EQ(got.substr(0, want.size()), want) << c.what << ": " << got;
    if (want.empty()) {
      EXPECT_EQ(got, "") << c.what;
    }
    EXPECT_EQ(me.x, 10) << c.what;  // attacking is not stepping
    if (!want.empty()) {
      EXPECT_EQ(app.session.attack_ready, 0) << c.what;
      EXPECT_EQ(me.direction, DIR_E) << c.what;
    }
    if (c.weapon == BLADE && !want.empty()) {
      EXPECT_EQ(got.substr(got.size() - 4), "|r 3") << c.what;
      EXPECT_EQ(fire_delay, me.get_weapon_delay()) << c.what;
    }
  }
}

TEST_F(MovementTest, ChatModeIgnoresBoundLetterKeys) {
  keymap.set_key(KA_NORTH, KEY_W);
  gc_interface_mode = MODE_CHAT;
  pass_with({KEY_W});
  EXPECT_EQ(lines(), "");
  pass_with({KEY_UP});
  EXPECT_EQ(without_token(lines()), "m 10 9 1 10 10 T");
  keymap.clear(KA_NORTH);
}

TEST_F(MovementTest, CombinationSlots) {
  const struct {
    bool shift, ctrl, alt, right, mouse;
    int slot;
  } cases[] = {
      {true, false, false, false, true, 10},  {false, false, true, false, true, 11},
      {true, true, false, false, true, 12},   {true, false, true, false, true, 13},
      {false, true, true, false, true, 14},   {true, true, true, false, true, 15},
      {false, false, false, true, true, 16},  {false, true, false, true, true, 17},
      {true, false, false, true, true, 16},   {false, true, false, false, true, -1},
      {false, false, false, false, true, -1}, {false, false, false, true, false, -1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(combo_slot(c.shift, c.ctrl, c.alt, c.right, c.mouse), c.slot)
        << c.shift << c.ctrl << c.alt << c.right << c.mouse;
}

// A left click on a command button runs its command; it does not use the
// spell or item of a hotkey slot beyond the letter buttons.
TEST_F(MovementTest, HotbarCommandButtonRunsItsCommand) {
  use_simulated_keys();
  client_cfg.set_int("command_hotbar", 1);
  client_cfg.set_int("hotbar9", KA_GET);
  keymap.set_key(KA_GET, KEY_G);
  d.hotbar.assign(HOTBAR_BUTTONS, Button());
  for (int i = 0; i < HOTBAR_BUTTONS; ++i) d.hotbar[i] = Button(10 + 34 * i, 470, 32, 32);
  res_x = 800;
  res_y = 600;
  me.spell_binds[19] = 1;
  me.item_binds[19] = Item(BLADE);
  mouse_x = d.hotbar[9].x + 4;
  mouse_y = d.hotbar[9].y + 4;
  app.session.left_released = 1;
  app.do_movement();
  ASSERT_TRUE(keypressed());
  EXPECT_EQ(readkey() >> 8, KEY_G);
  EXPECT_EQ(lines(), "");
  EXPECT_EQ(app.session.spell_ready, 1);
}

// A click on a letter button does what the button shows: the slot's spell
// (cast, or queued while casting is not ready), and only without one its item.
TEST_F(MovementTest, HotbarLetterButtonCastsItsSpellBeforeUsingItsItem) {
  constexpr int WAR_CRY = 7;  // cast at once: "M 7 1"
  spells.load();
  me.dm = 1;  // casts skip the class, level and mana checks
  items.add(Item(BLADE), 1, 0, false);
  d.hotbar.assign(HOTBAR_BUTTONS, Button());
  for (int i = 0; i < HOTBAR_BUTTONS; ++i) d.hotbar[i] = Button(10 + 34 * i, 470, 32, 32);
  res_x = 800;
  res_y = 600;
  const std::string use = "U " + Item(BLADE).str() + " 10 10 1 0";
  const struct {
    const char* what;
    int spell;
    bool spell_ready, queueing;
    std::string line;
    bool queued;
  } cases[] = {
      {"spell and item", WAR_CRY, true, false, "M 7 1", false},
      {"spell not ready is queued", WAR_CRY, false, true, "", true},
      {"spell not ready, no queueing", WAR_CRY, false, false, "", false},
      {"item alone", -1, true, false, use, false},
  };
  for (const auto& c : cases) {
    me.spell_binds[10] = c.spell;
    me.item_binds[10] = Item(BLADE);
    app.session.use_ready = 1;
    app.session.spell_ready = c.spell_ready;
    client_cfg.set_int("spell_queueing", c.queueing);
    quick_cast_spell.clear();
    mouse_x = d.hotbar[0].x + 4;
    mouse_y = d.hotbar[0].y + 4;
    app.session.left_released = 1;
    app.do_movement();
    EXPECT_EQ(lines(), c.line) << c.what;
    EXPECT_EQ(quick_cast_spell, c.queued ? "wr" : "") << c.what;
    EXPECT_EQ(app.session.use_ready, c.spell < 0 ? 0 : 1) << c.what;
  }
  me.item_binds[10] = Item(0L);
  me.spell_binds[10] = -1;
}

// F9 uses again what a modifier combination used last, at the same step.
TEST_F(MovementTest, ACombinationUseIsTheOneF9Repeats) {
  items.add(Item(BLADE), 2, 0, false);
  me.item_binds[10] = Item(BLADE);  // SHIFT with a direction
  app.session.use_ready = 1;
  pass_with({KEY_LSHIFT, KEY_UP});
  const std::string use = "U " + Item(BLADE).str() + " 10 9 1 1";
  EXPECT_EQ(lines(), use);
  app.session.use_ready = 1;
  app.session.last_scancode = KEY_F9;
  app.session.last_ascii = 0;
  app.session.last_key = KEY_F9 << 8;
  app.do_normal_mode();
  EXPECT_EQ(lines(), use);
  me.item_binds[10] = Item(0L);
}

}  // namespace
