#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <set>
#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/compression.h"
#include "core/number_codec.h"
#include "display/map_view.h"
#include "input/frame_input.h"
#include "input/keymap.h"
#include "unit/app/app_test_support.h"
#include "unit/display/map_test_world.h"
#include "unit/display/text_test_support.h"

namespace {

// ---- Rules -------------------------------------------------------------------------

TEST(MapViewRules, OwnLightAtDuskDawnAndByTheMoon) {
  struct {
    int64_t sight;
    int hour, minute, moon;
    bool vis;
    int64_t want;
  } cases[] = {
      {3, 21, 30, 0, true, 13},   // sight + R
      {3, 21, 0, 0, true, 23},    // sight + 2R at nine
      {3, 5, 0, 0, true, 3},      // dawn starts from sight alone
      {3, 5, 30, 0, true, 13},    // all of R by half past five
      {3, 21, 30, 4, true, 16},   // full moon +3
      {3, 21, 30, 2, true, 14},   // +1
      {3, 21, 30, 5, true, 15},   // +2
      {3, 21, 30, 4, false, 3},   // a level that daylight never reaches
      {INT_MAX, 21, 0, 4, true, int64_t{INT_MAX} + 23},
  };
  for (const auto& c : cases)
    EXPECT_EQ(own_light(c.sight, c.hour, c.minute, 10, c.vis, c.moon), c.want)
        << c.hour << ":" << c.minute << " moon " << c.moon;
}

TEST(MapViewRules, LightSpreadsByDistanceWithinTheViewOnly) {
  int32_t light[VIEW_GRID][VIEW_GRID] = {};
  spread_light(light, 10, 10, 10, 2);  // r = 3
  struct {
    int i, j, want;
  } cells[] = {{10, 10, 255}, {11, 10, 170}, {12, 10, 85}, {11, 11, 134}, {13, 10, 0}, {12, 12, 14}};
  for (const auto& c : cells) EXPECT_EQ(light[c.i][c.j], c.want) << c.i << "," << c.j;

  // A source of absurd strength lights the view and nothing outside it.
  int32_t huge[VIEW_GRID][VIEW_GRID] = {};
  spread_light(huge, 5, 0, 0, int64_t{1} << 40);
  EXPECT_EQ(huge[0][0], 255);
  EXPECT_EQ(huge[10][10], 254);
  EXPECT_EQ(huge[11][0], 0);  // beyond the 11 cells of radius 5
  // Capped at full light.
  spread_light(huge, 5, 0, 0, 5);
  EXPECT_EQ(huge[0][0], 255);
}

TEST(MapViewRules, WhoMayBeTargeted) {
  struct {
    int mode, id, align;
    bool pvp, want;
  } cases[] = {
      {0, 150, 'g', false, true},  {1, 150, 'e', false, false}, {1, 150, 'g', false, true},
      {1, 50, 'e', false, true},   {2, 150, 'e', false, true},  {2, 150, 'g', false, false},
      {2, 150, 'p', false, false}, {2, 50, 'n', false, false},  {2, 50, 'n', true, true},
      {2, 50, 'p', true, false},   {3, 150, 'e', true, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(may_target(c.mode, c.id, c.align, c.pvp), c.want)
        << "mode " << c.mode << " id " << c.id << " align " << char(c.align);
}

TEST(MapViewRules, BarFiguresAndColours) {
  float f = -1.0f;
  EXPECT_FALSE(bar_fraction(5, 0, f));
  EXPECT_FALSE(bar_fraction(5, -3, f));
  ASSERT_TRUE(bar_fraction(5, 10, f));
  EXPECT_FLOAT_EQ(f, 0.5f);
  struct {
    int mana, max, want;
  } mana[] = {{10, 0, 100}, {-5, 10, 0}, {5, 10, 50}, {30, 10, 100}, {0, 0, 0}};
  for (const auto& m : mana) EXPECT_EQ(mana_percent(m.mana, m.max), m.want) << m.mana << "/" << m.max;
  struct {
    int rage;
    uint32_t want;
  } rage[] = {{150, 0xFFFFFF}, {100, 0xFFFFFF}, {99, 0xC4C4FF}, {75, 0xC4C4FF}, {74, 0xEF9C00},
              {50, 0xEF9C00},  {49, 0x65EEE9},  {25, 0x65EEE9}, {24, 0xFFDE00}, {-7, 0xFFDE00}};
  for (const auto& r : rage) EXPECT_EQ(rage_colour(r.rage), r.want) << r.rage;
}

TEST(MapViewRules, ParticleColoursAndEventAlphasStayInRange) {
  struct {
    int kind;
    int64_t counter;
    uint32_t own, want;
  } colours[] = {
      {3, 0, 0, 0xFFFF00},   {3, 300, 0, 0xFF0000},  {3, -40, 0, 0xFFFF00}, {2, 0, 0, 0x000000},
      {1, 0, 0, 0xFE0000},   {3, 300, 0x123456, 0x123456}, {1, 0, 0xFF123456, 0x123456},
  };
  for (const auto& c : colours)
    EXPECT_EQ(particle_colour(c.kind, c.counter, c.own), c.want) << c.kind << " " << c.counter;
  struct {
    int effect;
    int64_t ms;
    int want;
  } alphas[] = {{1, 0, 255},    {1, 300, 128},  {1, 900, 0},   {40, 900, 128},
                {40, 1200, 0},  {40, 9000, 0},  {35, 3000, 128}, {49, 1500, 128},
                {1, -50, 255}};
  for (const auto& a : alphas)
    EXPECT_EQ(spell_event_alpha(a.effect, a.ms), a.want) << a.effect << " at " << a.ms;
}

// ---- Decisions on a level -------------------------------------------------------------

using MapViewDecisions = MapWorld;

// Sight through the inner ring: straight behind a wall, a knight's move
// behind both inner cells or only the diagonal one, and the diagonal.
TEST_F(MapViewDecisions, RingsHideWhatWallsCover) {
  wall(1, 0);
  wall(1, 1);
  wall(-1, -1);
  d.draw_window(false, &visible_creatures);
  struct {
    int dx, dy;
    uint8_t state;
  } cells[] = {
      {2, 0, VIEW_CELL_BLACK},  // behind a wall, never seen
      {2, 1, VIEW_CELL_BLACK},  // both inner cells are walls
      {2, -1, VIEW_CELL_LIT},   // only the straight one of its inner cells is a wall
      {2, 2, VIEW_CELL_BLACK},  // behind the diagonal wall
      {-2, -1, VIEW_CELL_LIT},  // only the diagonal of its inner cells is a wall
      {-2, -2, VIEW_CELL_BLACK},
      {0, 2, VIEW_CELL_LIT},
      {1, 0, VIEW_CELL_LIT},    // the wall itself is seen
  };
  for (const auto& c : cells)
    EXPECT_EQ(d.view.state[MapWorld::cell(c.dx)][MapWorld::cell(c.dy)], c.state)
        << c.dx << "," << c.dy;
  // Seen once, a hidden cell comes back grey.
  d.minimap[WORLD_PX + 2][WORLD_PY] = 1;
  d.draw_window(false, nullptr);
  EXPECT_EQ(d.view.state[MapWorld::cell(2)][MapWorld::cell(0)], VIEW_CELL_GREY);
  // Seen cells are marked on the minimap; hidden ones are not.
  EXPECT_NE(d.minimap[WORLD_PX][WORLD_PY + 2], 0);
  EXPECT_EQ(d.minimap[WORLD_PX + 2][WORLD_PY + 2], 0);
}

TEST_F(MapViewDecisions, DaylightAgainstTheOwnLightOfDuskAndDawn) {
  // Daylight from 06:00 to 20:59 lights every cell. Outside it the base is 50
  // and the player's own light L (sight 3, radius 10) spreads 255 - d x 255 /
  // (L + 1) over it; 5 cells away:
  struct {
    int time;
    bool all_full;
    int at_five;
  } cases[] = {
      {12 * 60, true, 255},
      {6 * 60, true, 255},
      {20 * 60 + 59, true, 255},
      // 05:59: L = 3 + 59 x 10 / 30 = 22; 50 + (255 - 1275 / 23 = 199.6) = 249.
      {5 * 60 + 59, false, 249},
      // 21:00: L = 3 + 0 + 20 = 23; 50 + (255 - 1275 / 24 = 201.9) = 251.
      {21 * 60, false, 251},
      // 21:30: L = 3 - 10 + 20 = 13; 50 + (255 - 1275 / 14 = 163.9) = 213.
      {21 * 60 + 30, false, 213},
      // 05:00: L = 3 does not reach 5 cells.
      {5 * 60, false, 50},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.time);
    world_time = c.time;
    d.draw_window(false, nullptr);
    int full = 0;
    for (int i = 0; i < 21; ++i)
      for (int j = 0; j < 21; ++j) full += d.view.light[i][j] == 255;
    EXPECT_EQ(full == 21 * 21, c.all_full);
    EXPECT_EQ(d.view.light[15][10], c.at_five);
    EXPECT_EQ(d.view.light[10][10], 255);
  }
}

TEST_F(MapViewDecisions, NewLightingKeepsTheBaseLevelOldLightingIsBlack) {
  world_time = 23 * 60;
  d.draw_window(false, nullptr);
  // Nine cells away nothing reaches: base level, still drawn (as the golden
  // night frame shows).
  EXPECT_EQ(d.view.light[19][10], VIEW_LIGHT_NIGHT);
  EXPECT_EQ(d.view.state[19][10], VIEW_CELL_LIT);
  d.old_lighting = 1;
  d.draw_window(false, nullptr);
  EXPECT_EQ(d.view.state[19][10], VIEW_CELL_DARK);
  EXPECT_EQ(d.view.state[11][10], VIEW_CELL_LIT);  // inside the player's disc
  if (have_art) {
    d.flush_map_view();
    EXPECT_EQ(getpixel(d.play_bitmap, 19 * 32 + 16, 10 * 32 + 16), makecol(0, 0, 0));
  }
}

TEST_F(MapViewDecisions, TargetListByModeReachAndLight) {
  put(150, 0x211, 2, 0);           // evil creature in the light
  put(151, 0x212, 3, 3, 50, 'g');  // good creature
  put(152, 0x213, 6, 0);           // beyond four rings
  put(53, 0x214, -4, 0, 0, 'n');   // a player with no health left
  struct {
    int mode;
    std::vector<int> ids;
  } cases[] = {{0, {150, 151}}, {1, {151}}, {2, {150}}};
  for (const auto& c : cases) {
    target_type = c.mode;
    d.draw_window(false, &visible_creatures);
    std::vector<int> got;
    for (const ItemListEl* e = visible_creatures.first; e; e = e->next) got.push_back(e->id);
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, c.ids) << "mode " << c.mode;
  }
  // The target's position follows it at once.
  target_type = 0;
  target_id = 151;
  d.draw_window(false, &visible_creatures);
  EXPECT_EQ(target_x, WORLD_PX + 3);
  EXPECT_EQ(target_y, WORLD_PY + 3);

  // Old lighting at night: a creature beyond the player's light is not targetable.
  d.old_lighting = 1;
  world_time = 23 * 60;
  put(155, 0x216, 4, 2);  // outside the player's light disc
  d.draw_window(false, &visible_creatures);
  EXPECT_EQ(visible_creatures.find_id(155), nullptr);
  put(154, 0x215, 1, 0);
  d.draw_window(false, &visible_creatures);
  EXPECT_NE(visible_creatures.find_id(154), nullptr);
}

TEST_F(MapViewDecisions, PartyTargetingWithinSevenCells) {
  target_type = 3;
  put(150, 0x211, 1, 0);  // a monster next to the player is not in a party list
  update_tracked(5, "ally", 0x201, 10, 0, 0, WORLD_PX + 7, WORLD_PY - 7, 1, false, 0, 1);
  update_tracked(6, "far", 0x201, 10, 0, 0, WORLD_PX + 8, WORLD_PY, 1, false, 0, 1);
  update_tracked(7, "below", 0x201, 10, 0, 0, WORLD_PX, WORLD_PY, 2, false, 0, 1);
  target_id = 5;
  d.draw_window(false, &visible_creatures);
  ASSERT_EQ(visible_creatures.count, 1);
  EXPECT_EQ(visible_creatures.first->id, 5);
  EXPECT_EQ(target_x, WORLD_PX + 7);
  EXPECT_EQ(target_y, WORLD_PY - 7);
  // Blind: the party list stays and so does the target.
  me.health[HN_BLIND] = 5;
  d.draw_window(false, &visible_creatures);
  EXPECT_EQ(target_id, 5);
  target_type = 0;
  d.draw_window(false, &visible_creatures);
  EXPECT_EQ(target_id, -1);
}

TEST_F(MapViewDecisions, ManyRequestsOneDrawingAndTwoQuakesOneFlip) {
  add_event(event_list, 0, WORLD_PX + 1, WORLD_PY, 1, -1, -1, 24, 0);
  add_event(event_list, 0, WORLD_PX - 1, WORLD_PY, 1, -1, -1, 24, 0);
  const int before = d.quake_toggle;
  for (int n = 0; n < 30; ++n) d.draw_window(false, &visible_creatures);
  EXPECT_TRUE(d.map_view_pending());
  d.flush_map_view();
  EXPECT_FALSE(d.map_view_pending());
  EXPECT_EQ(d.quake_toggle, before ^ 1);
  EXPECT_EQ(d.quake_offset, d.quake_toggle ? 2 : -2);
  // Nothing marked, nothing drawn: the toggle stays.
  d.flush_map_view();
  EXPECT_EQ(d.quake_toggle, before ^ 1);
}

TEST_F(MapViewDecisions, DeadPlayerDrawnGreyWithoutBars) {
  if (!have_art) GTEST_SKIP() << "generated art missing";
  const int bar_y = 10 * 32 - 3, bar_x = 10 * 32 + 1;
  d.draw_window(false, nullptr);
  d.flush_map_view();
  const int grass = getpixel(d.play_bitmap, 14 * 32 + 16, 14 * 32 + 16);
  EXPECT_FALSE(getr(grass) == getg(grass) && getg(grass) == getb(grass));
  EXPECT_EQ(getpixel(d.play_bitmap, bar_x, bar_y), d.colour(COL_SKY));
  me.hp = 0;
  d.draw_window(false, nullptr);
  d.flush_map_view();
  const int grey = getpixel(d.play_bitmap, 14 * 32 + 16, 14 * 32 + 16);
  EXPECT_EQ(getr(grey), getg(grey));
  EXPECT_EQ(getg(grey), getb(grey));
  EXPECT_NE(getpixel(d.play_bitmap, bar_x, bar_y), d.colour(COL_SKY));
}

// The map layer is kept from frame to frame and drawn again by cell. Over
// animation steps (all four frames and the wrap), changed tiles, a step, a
// wall that turns seen cells grey, nightfall and death, the kept layer shows
// what a layer drawn afresh shows, and the animated tiles do move.
TEST_F(MapViewDecisions, KeptMapLayerMatchesAFreshOneOverStepsAndChanges) {
  if (!have_art) GTEST_SKIP() << "generated art missing";
  enum { UNKNOWN = 126, LAVA = 220, DEEP = 249, SHORE = 44, QUAY = 68, FLOOR = 95, NOT_A_TILE = 200 };
  // Each kind of animated picture on the row above the player, the player
  // on deep water, and a pond below.
  const int kinds[] = {UNKNOWN, NOT_A_TILE, DEEP, LAVA, SHORE, QUAY, FLOOR};
  for (int n = 0; n < 7; ++n) cmap.set_tile(WORLD_PX - 3 + n, WORLD_PY - 2, kinds[n]);
  for (int x = WORLD_PX - 4; x <= WORLD_PX + 4; ++x)
    for (int y = WORLD_PY + 3; y <= WORLD_PY + 5; ++y) cmap.set_tile(x, y, DEEP);
  cmap.set_tile(WORLD_PX, WORLD_PY, DEEP);
  cmap.calc_layers();
  me.health[HN_HELD] = 1;  // the figure keeps its first frame

  const int side = 21 * 32;
  auto picture = [&] {
    std::vector<int> px;
    px.reserve(side * side);
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x) px.push_back(getpixel(d.play_bitmap, x, y));
    return px;
  };
  auto differing = [](const std::vector<int>& a, const std::vector<int>& b) {
    int n = 0;
    for (size_t k = 0; k < a.size(); ++k) n += a[k] != b[k];
    return n;
  };
  // Each step: what changes, whether the animation steps, and an earlier
  // step whose picture this one repeats (-1: none).
  const struct {
    const char* what;
    std::function<void()> change;
    bool advance;
    int repeats;
  } steps[] = {
      {"first frame", [] {}, false, -1},
      {"animation step 1", [] {}, true, -1},
      {"animation step 2", [] {}, true, -1},
      {"animation step 3", [] {}, true, -1},
      {"animation step 4: the first pictures again", [] {}, true, 0},
      {"tiles change", [] {
         cmap.set_tile(WORLD_PX + 3, WORLD_PY + 4, TILE_GRASS);
         cmap.set_tile(WORLD_PX + 2, WORLD_PY - 1, LAVA);
         cmap.calc_layers();
       }, false, -1},
      {"animation step 5", [] {}, true, -1},
      {"a step east", [] { ++me.x; }, false, -1},
      {"animation step 6", [] {}, true, -1},
      {"a wall hides seen cells", [this] {
         for (int dx = -2; dx <= 4; ++dx) wall(dx, 2);
       }, true, -1},
      {"nightfall", [] { world_time = 23 * 60; }, true, -1},
      {"death", [] { me.hp = 0; }, true, -1},
      {"animation step 10", [] {}, true, -1},
  };
  std::vector<std::vector<int>> shown;
  for (const auto& s : steps) {
    s.change();
    d.draw_window(s.advance, nullptr);
    d.flush_map_view();
    shown.push_back(picture());
    d.invalidate_map_layer();
    d.request_frame(FRAME_VIEW);
    d.flush_map_view();
    EXPECT_EQ(differing(shown.back(), picture()), 0) << s.what << ": kept and fresh layers differ";
    if (s.advance) {
      EXPECT_GT(differing(shown.back(), shown[shown.size() - 2]), 0) << s.what;
    }
    if (s.repeats >= 0) {
      EXPECT_EQ(differing(shown.back(), shown[s.repeats]), 0) << s.what;
    }
  }
}

TEST_F(MapViewDecisions, PlayerFramesCountedByBaseCodeUnderFlagBits) {
  std::srand(7);
  me.health[62] = 1;  // sets a flag bit in the figure's code
  std::set<int> frames;
  for (int n = 0; n < 40; ++n) {
    d.draw_window(true, nullptr);
    d.flush_map_view();
    frames.insert(d.player_frame);
  }
  // The figure 0x200 has two frames.
  EXPECT_EQ(frames, (std::set<int>{0, 1}));
  me.health[HN_HELD] = 3;
  d.draw_window(true, nullptr);
  d.flush_map_view();
  EXPECT_EQ(d.player_frame, 0);
}

// The figure shows the blade it holds, unless the stats record gives the
// player the perk of hiding weapons (the seventeenth letter).
TEST_F(MapViewDecisions, HidingWeaponsKeepsTheBladeOffTheFigure) {
  if (!have_art) GTEST_SKIP() << "generated art missing";
  app.process_pkt("# 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0");
  const std::vector<int> bare = drawn_cell(0, 0);
  app.process_pkt("# 181 0 0 0 0 0 0 0 0 0 0 0 0 0 0");
  app.process_pkt("@ 0 0 0 0 0 0 0 0 0 0 0 0 0 nnnnnnnnnnnnnnnnnn B 0 0 0 0 0 0 0 0 0");
  EXPECT_NE(drawn_cell(0, 0), bare);
  app.process_pkt("@ 0 0 0 0 0 0 0 0 0 0 0 0 0 nnnnnnnnnnnnnnnnyn B 0 0 0 0 0 0 0 0 0");
  EXPECT_EQ(drawn_cell(0, 0), bare);
}

TEST_F(MapViewDecisions, DamageNumbersStandOverParticles) {
  // A cell filled with red particles and a damage number on it: the number
  // shows through.
  const int dx = 2;
  for (int py = 0; py < 16; ++py)
    for (int px = 0; px < 16; ++px)
      add_particle(particle_list, 1, 0, 100000, 0xFF0000, WORLD_PX + dx + px / 16.0f,
                   WORLD_PY + py / 16.0f, 0.0f, 0.0f);
  add_event(event_list, 0, WORLD_PX + dx, WORLD_PY, 1, -1, -1, 28, 88);  // a damage number
  d.draw_window(false, nullptr);
  d.flush_map_view();
  const int left = (10 + dx) * 32, top = 10 * 32, white = d.colour(COL_WHITE);
  int shown = 0;
  for (int y = top; y < top + 32; ++y)
    for (int x = left; x < left + 32; ++x) shown += getpixel(d.play_bitmap, x, y) == white;
  EXPECT_GT(shown, 10);
}

// ---- Through the frame loop ---------------------------------------------------------

uint64_t loop_now = 0;
uint64_t loop_clock() { return loop_now; }

// The level in play: passes of the frame loop on a set clock, with keys from
// the simulated keyboard and lines from a loopback server.
class FrameLoop : public MapWorld {
 protected:
  void SetUp() override {
    reset_app_state();
    MapWorld::SetUp();
    keymap.load();
    d.allegro_up = true;
    d.main_font = d.names_font = d.menu_font = d.rune_font = d.book_font = font;
    d.compute_layout();
    input_clock_us = loop_clock;
    loop_now = 1000000000ull;
    app.session.logged_in = 1;
    inventory_synced = true;
    app.session.confirmed_x = WORLD_PX;
    app.session.confirmed_y = WORLD_PY;
    server = std::make_unique<LoopbackServer>();
  }
  void TearDown() override {
    server.reset();
    input_clock_us = get_time_us;
    for (int i = 0; i < KEY_MAX; ++i) key[i] = 0;
    gc_interface_mode = MODE_NORMAL;
    d.allegro_up = false;
    MapWorld::TearDown();
  }
  // One pass, a frame interval after the last.
  void pass() {
    loop_now += 30000;
    ASSERT_TRUE(app.frame_pass());
  }
  // Passes until `done` holds; false when 40 passes were not enough.
  bool passes_until(const std::function<bool()>& done) {
    for (int i = 0; i < 40; ++i) {
      if (done()) return true;
      pass();
    }
    return done();
  }
  // A key held down for one pass and let go in the next.
  void hold(int k) {
    key[k] = 1;
    pass();
    key[k] = 0;
    pass();
  }
  // The move lines the server got since the last call.
  std::string moves() {
    std::string all;
    for (std::string l = server->next(20); l != "<none>" && l != "<closed>"; l = server->next(20))
      if (l.rfind("m ", 0) == 0) all += (all.empty() ? "" : "|") + l.substr(0, l.rfind(' '));
    return all;
  }
  std::unique_ptr<LoopbackServer> server;
};

// A creature's record of the server's position updates, after its tag: id,
// x, y, level, code, effect, health, status, facing, alignment.
std::string creature_record(int id, int code, int dx, int dy, char align) {
  return " " + encode_number(id) + " " + encode_number(WORLD_PX + dx) + " " +
         encode_number(WORLD_PY + dy) + " " + encode_number(1) + " " + encode_number(code) +
         " 0 " + encode_number(50) + " " + encode_number(0) + " 0 " + align;
}

// Pixels of a colour in the play area of the last frame.
int shown(int colour) { return count_colour(d.back_buffer, 0, 0, d.panel_x, d.play_height, colour); }

// A book arriving over the help screen, the map viewer or the menu takes the
// play area from it; ESC gives the play area back to the level, where the arrow
// keys walk again. While a window is up they do not. A book of blanks opens as
// any other: its empty pages show.
TEST_F(FrameLoop, ABookOverAWindowLeavesNothingBehind) {
  if (!have_art) GTEST_SKIP() << "generated art missing";
  const int help_colour = makecol(1, 2, 250), book_colour = makecol(250, 120, 1);
  const int gold = makecol(255, 222, 0);  // the map viewer's level name
  d.help_pic = create_bitmap(64, 64);
  clear_to_color(d.help_pic, help_colour);
  d.book_pic = create_bitmap(120, 80);
  clear_to_color(d.book_pic, book_colour);
  cmap.name = "Test_Vale";
  const struct {
    const char* what;
    int key;           // the key that opens the window, or 0
    const char* line;  // else the server line that opens it
    int colour;        // what the window shows
    const char* book;  // the text of the book that arrives over it
  } openers[] = {
      {"menu", KEY_F12 << 8, nullptr, makecol(255, 255, 255), "The old road runs along the river."},  // its white text
      {"help", KEY_SLASH << 8 | '?', nullptr, help_colour, "The old road runs along the river."},
      {"map viewer", 0, "z 0 0", gold, "   "},
  };
  for (const auto& o : openers) {
    SCOPED_TRACE(o.what);
    pass();
    const int level_shows = shown(o.colour);  // the level itself has some white
    if (o.key) press_key(o.key);
    else server->send(o.line);
    EXPECT_TRUE(passes_until([&] { return shown(o.colour) > level_shows + 20; }));
    hold(KEY_UP);
    EXPECT_EQ(moves(), "");

    server->send("q" + deflate(o.book));
    EXPECT_TRUE(passes_until([&] { return shown(book_colour) > 1000; }));
    EXPECT_LE(shown(o.colour), level_shows);
    hold(KEY_UP);
    EXPECT_EQ(moves(), "");

    press_key(KEY_ESC << 8 | 27);
    EXPECT_TRUE(passes_until([&] { return shown(book_colour) == 0; }));
    EXPECT_EQ(shown(o.colour), level_shows);
    const int y = me.y;
    hold(KEY_UP);
    EXPECT_EQ(moves(), "m " + std::to_string(me.x) + " " + std::to_string(y - 1) + " 1 " +
                           std::to_string(me.x) + " " + std::to_string(y));
    app.session.move_step_ready = 1;
  }
  destroy_bitmap(d.help_pic);
  destroy_bitmap(d.book_pic);
  d.help_pic = d.book_pic = nullptr;
}

// The creatures that may be targeted follow what decides them: the frame
// that shows a change of the player's sight, of the hour or of the
// targeting filter also changes the choice of a target.
TEST_F(FrameLoop, TargetsComeFromWhatTheFrameShows) {
  Player blind, seeing;
  blind.health[HN_BLIND] = 5;
  const struct {
    const char* what;
    std::string before;    // a server line before the creatures come
    int evil_dx, evil_dy;  // an evil creature's offset from the player
    bool good;             // a good one stands at (3, 3)
    bool old_lighting;
    int first;             // the target TAB chooses first
    std::string change;    // a server line, or "" for SHIFT and the crosshair key
    std::function<bool()> arrived;
    int then;              // the target chosen after the change
  } cases[] = {
      {"sight returns", blind.mk_stats_packet(), 2, 0, false, false, -1, seeing.mk_stats_packet(),
       [] { return me.get_health(HN_BLIND) == 0; }, 150},
      {"night falls", "", 4, 2, false, true, 150, "t 1380 0", [] { return world_time == 1380; }, -1},
      {"only the good", "", 2, 0, true, false, 150, "", nullptr, 151},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    server_objects.clear();
    for (auto& h : me.health) h = 0;
    world_time = 12 * 60;
    target_type = 0;
    target_id = -1;
    crosshair = false;
    d.old_lighting = c.old_lighting;
    if (!c.before.empty()) server->send(c.before);
    // The creatures come into view as the server tells of them.
    std::string seen = "o" + creature_record(150, 0x211, c.evil_dx, c.evil_dy, 'e');
    if (c.good) seen += "\x1Eu" + creature_record(151, 0x212, 3, 3, 'g');
    server->send(seen);
    ASSERT_TRUE(passes_until([] { return server_objects.has_id(150); }));
    pass();
    hold(KEY_TAB);
    EXPECT_EQ(target_id, c.first);
    if (c.change.empty()) {
      key[KEY_LSHIFT] = 1;
      press_key(keymap.get_key(KA_CROSSHAIR) << 8 | 'Y');
      pass();
      key[KEY_LSHIFT] = 0;
      EXPECT_EQ(target_type, 1);
    } else {
      server->send(c.change);
      ASSERT_TRUE(passes_until(c.arrived));
      pass();  // the frame that shows it
      hold(KEY_TAB);
    }
    EXPECT_EQ(target_id, c.then);
  }
}

// A name over a player is white whatever his alignment; over an evil
// creature, red. The ids below the player-id limit are the players'.
TEST_F(FrameLoop, NameColoursByPlayerId) {
  const struct {
    const char* what;
    int id;
    int colour;
  } cases[] = {{"the last player id", 99, COL_WHITE}, {"the first creature id", 100, COL_RED}};
  const int dx = 2, dy = 2, x = (10 + dx) * 32 + 16, y = (10 + dy) * 32;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    server_objects.clear();
    server->send("i\t" + std::to_string(c.id) + "\tevil\tAsh\t\t");
    server->send("o" + creature_record(c.id, 0x211, dx, dy, 'e'));
    ASSERT_TRUE(passes_until([&] { return server_objects.has_id(c.id); }));
    pass();
    // The name's line, above the health bar.
    auto in_name = [&](int colour) {
      return count_colour(d.play_bitmap, x - 16, y - 11, 32, 8, d.colour(colour));
    };
    EXPECT_GT(in_name(c.colour), 5);
    EXPECT_EQ(in_name(c.colour == COL_WHITE ? COL_RED : COL_WHITE), 0);
  }
}

}  // namespace
