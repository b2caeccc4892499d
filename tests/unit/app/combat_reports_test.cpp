// Attack and damage reports, the damage history and direction keys.

#include <string>
#include <vector>

#include "../core/item_test_world.h"
#include "app/play_messages.h"
#include "input/player_actions.h"
#include "core/number_codec.h"
#include "core/utils.h"
#include "world/effects.h"
#include "handler_fixture.h"

namespace {

// A sword, a bow, a blade of energy, the empty hand and a pike.
const char* COMBAT_WEAPONS =
    "181 m s Blades sword m 1d6 1 40 w 2.0 2.0 wm 0 1\n"
    "182 b p Bows longbow w 1d8 2 60 w 1.5 2.5 w 1a0 2\n"
    "185 m e Blades sunblade m 1d6 1 40 w 2.0 2.0 wm 0 1\n"
    "186 m b Unarmed NOTHING m 1d2 1 0 w 1.0 1.0 wm 0 1\n"
    "184 m b Blades pike w 2d4 2 80 w 3.0 4.0 w 0 3\n";

uint64_t fake_now_us = 0;
uint64_t fake_clock() { return fake_now_us; }

struct CombatReports : HandlerTest {
  item_test::ItemWorld world{COMBAT_WEAPONS};
  void SetUp() override {
    HandlerTest::SetUp();
    reset_player();
  }
  void reset_player() {
    me.reset();
    me.id = 3;
    me.map_level = 1;
    me.x = me.y = 10;
    me.hp = 50;
    me.gender = 'M';
    for (int s = 0; s < PLAYER_NUM_SLOTS; ++s) *me.slot(s) = Item(0L);
    show_combat_messages = true;
    event_list.clear();
    server_objects.clear();
    server_objects.add_obj(150, Item(0x640L), 11, 10, 0, 90, 'e', 0, 77, 0);
    server_objects.find_id(150)->b = 3;
    sound.effects_played.clear();
    d.messages.clear();
    lunge_counter = 0;
    lunge_dx = lunge_dy = 0;
    keymap = Keymap();
    damage_history = DamageHistory();
    combat_clock_us = fake_clock;
    fake_now_us = 1000000;
  }
  void TearDown() override {
    combat_clock_us = get_time_us;
    event_list.clear();
    HandlerTest::TearDown();
  }
  std::vector<std::string> shown() const { return {d.messages.begin(), d.messages.end()}; }
};

using Lines = std::vector<std::string>;
using Sounds = std::vector<int>;

// Server lines that come before a report, one a line.
void feed(const std::string& lines) {
  size_t start = 0;
  while (start < lines.size()) {
    size_t nl = lines.find('\n', start);
    if (nl == std::string::npos) nl = lines.size();
    app.process_pkt(lines.substr(start, nl - start));
    start = nl + 1;
  }
}

// Polymorphed: the status in the stats record.
const std::string POLYMORPHED =
    "@ 0 0 0 0 0 0 0 0 0 0 0 0 0 nnnnnnnnnnnnnnnnnn B 0 0 0 0 0 0 0 0 0 7 30\n";

}  // namespace

TEST_F(CombatReports, DirectionKeys) {
  constexpr int PAD1 = 38, PAD3 = 40, PAD5 = 42, PAD7 = 44, LEFT = 82, UP = 84, KEY_X = 24;
  struct Case {
    int key;
    int bound_action;  // keymap action bound to the key's scancode, or -1
    int default_digit;
    int dir;
  } cases[] = {
      {PAD3 << 8, 1, 0, 4},   // NE binding, keypad 3: SE is later in the order
      {PAD1 << 8, 0, 0, 6},   // keypad 1 is SW whatever it is bound to
      {PAD1 << 8, 7, 0, 6},
      {PAD7 << 8, -1, 0, 8},
      {PAD5 << 8, -1, 0, 0},
      {LEFT << 8, -1, 0, 7},
      {UP << 8, 4, 0, 5},     // N and S: S is later
      {(KEY_X << 8) | 'x', 2, 0, 3},
      {(KEY_X << 8) | 'x', -1, 0, 0},
      {-1, -1, 8, 1},
      {-1, -1, 3, 4},
      {-1, -1, 5, 0},
      {-1, -1, 12, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    keymap = Keymap();
    if (c.bound_action >= 0) keymap.set_key(c.bound_action, (c.key >> 8) & 0xff);
    int x = 0, y = 0;
    EXPECT_EQ(get_dir_from_key(c.key, x, y, c.default_digit), c.dir);
    int ex = me.x, ey = me.y;
    dir_to_xy(c.dir, ex, ey);
    EXPECT_EQ(x, ex);
    EXPECT_EQ(y, ey);
  }
}

TEST_F(CombatReports, ConfusionOnlyTurnsADirection) {
  me.set_health(HN_CONFUSED, 5);
  int x = 0, y = 0;
  for (int i = 0; i < 20; ++i) EXPECT_EQ(get_dir_from_key((24 << 8) | 'x', x, y, 0), 0);
  for (int i = 0; i < 50; ++i) {
    int dir = get_dir_from_key(82 << 8, x, y, 0);
    EXPECT_GE(dir, 0);
    EXPECT_LE(dir, 8);
  }
  me.set_health(HN_CONFUSED, 0);
  // The tenth perk letter of the stats record keeps a drunk player steady.
  app.process_pkt("@ 0 0 0 0 0 0 0 0 0 0 0 0 0 nnnnnnnnnynnnnnnnn B 0 0 0 0 0 0 0 0 0");
  me.set_health(HN_DRUNK, 5);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(get_dir_from_key(82 << 8, x, y, 0), 7);
  me.perk_flags[PERK_STEADY_DRUNK] = 0;
}

TEST_F(CombatReports, AttackReports) {
  struct Case {
    const char* line;
    int used;
    Lines shown;
    Sounds sounds;
    int lunge;  // 1 when the figure lunges one cell east
    std::string before = "";
  } cases[] = {
      // A plain melee hit and a hit taken are the end-to-end market case's.
      {"A 0 0 150 0 Goblin 11 10 1 0 M 181 0 1 2 3 40 5 0", 1, {"Attack with sword: missed Goblin!"}, {1}, 0},
      {"A 0 0 150 0 Goblin 11 10 1 2 M 181 0 1 2 3 40 5 0", 1, {"Attack with turn: no effect!"}, {}, 0},
      {"A 0 0 150 0 Goblin 11 10 1 0 M 186 0 1 2 3 40 5 0", 1,
       {"Attack with bare hands: missed Goblin!"}, {1}, 0},
      {"A 1 7 150 0 Goblin_King 11 10 1 0 F 181 0 1 2 3 40 5 0", 1,
       {"Attack with sword: killed Goblin King!  (7 damage)"}, {8}, 1},
      {"A 1 7 150 0 Goblin 11 10 1 0 W 181 32 1 2 3 40 5 0", 1,
       {"Attack with sword: destroyed Goblin!  (7 damage)"}, {17}, 1},
      {"A 1 7 150 0 Goblin 11 10 1 0 M 182 0 1 2 3 40 5 0", 1,
       {"Attack with longbow: killed Goblin!  (7 damage)"}, {12}, 0},
      {"A 2 7 150 0 Goblin 11 10 1 0 M 181 16 1 2 3 40 5 0", 1,
       {"Attack with sword: Critical hit! (7 damage)"}, {0}, 1},
      {"A 2 7 150 0 Goblin 11 10 1 0 M 185 0 1 2 3 40 5 0", 1,
       {"Attack with sunblade: hit Goblin! (7 damage)"}, {31}, 1},
      {"A 2 7 150 0 Goblin 11 10 1 0 M 182 0 1 2 3 40 5 0", 1,
       {"Attack with longbow: hit Goblin! (7 damage)"}, {11}, 0},
      {"A 3 0 150 0 Goblin 11 10 1 0 M 181 0 1 2 3 40 5 0", 1, {"Attack with sword: Nothing there!"}, {}, 0},
      {"A 3 0 150 0 Goblin 11 10 1 0 M 182 0 1 2 3 40 5 0", 1, {}, {}, 0},
      {"A 5 0 150 0 Goblin 11 10 1 0 M 181 0 1 2 3 40 5 0", 1, {"Invalid monster!!!"}, {}, 0},
      {"A 13 0 150 0 Goblin 11 10 1 0 M 181 0 1 2 3 40 5 0", 1, {"Attack with sword: blocked by Goblin!"}, {}, 1},
      // The form the player took: 585 bites.
      {"A 0 0 150 0 Goblin 11 10 1 0 M 181 0 1 2 3 40 5 0", 1, {"Attack with jaws: missed Goblin!"}, {1}, 0,
       POLYMORPHED + "y 249 1 2 3 4 5 600 700 1 1 1"},
      {"A 0 0 150 0 Goblin 11 10 1 0 M 181 0 1 2 3 40 5 0", 1, {"Attack with claws: missed Goblin!"}, {1}, 0,
       POLYMORPHED + "y 24a 1 2 3 4 5 600 700 1 1 1"},
      {"A 9 0 150 0 Goblin 11 10 1 0 M 181 0 1 2 3 40 5 0", 1, {}, {}, 0},
      // Another level, or a field short: not used.
      {"A 2 7 150 0 Goblin 11 10 2 0 M 181 0 1 2 3 40 5 0", 0, {}, {}, 0},
      {"A 2 7 150 0 Goblin 11 10 1 0 M 181 0 1 2 3 40 5", 0, {}, {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    reset_player();
    feed(c.before);
    EXPECT_EQ(process_attack(c.line), c.used);
    EXPECT_EQ(shown(), c.shown);
    EXPECT_EQ(sound.effects_played, c.sounds);
    EXPECT_EQ(lunge_counter, c.lunge ? 10 : 0);
    EXPECT_EQ(lunge_dx, c.lunge);
    EXPECT_EQ(lunge_dy, 0);
    // The player's values are stored whatever happens to the report.
    EXPECT_EQ(me.mana, 1);
    EXPECT_EQ(me.rage, 2);
    EXPECT_EQ(me.energy, 3);
    EXPECT_EQ(me.net_magic_resistance, 5);
  }
}

TEST_F(CombatReports, AttackUpdatesTargetAndShowsTheNumber) {
  std::string line = "A 2 7 150 0 Goblin 11 10 1 0 M 181 0 1 2 3 33 5 " + encode_number(1234);
  ASSERT_EQ(process_attack(line), 1);
  ItemListEl* node = server_objects.find_id(150);
  EXPECT_EQ(node->hea, 33);
  EXPECT_EQ(node->price, 1234);
  // The hit effect and the damage number at the target's cell.
  int kinds[2] = {};
  int n = 0;
  for (ItemListEl* e = event_list.first; e && n < 2; e = e->next) kinds[n++] = e->type;
  ASSERT_EQ(event_list.count, 2);
  EXPECT_EQ(kinds[0] + kinds[1], 2 + 28);
  // Neither at a cell off the grid.
  reset_player();
  ASSERT_EQ(process_attack("A 2 7 150 0 Goblin 2147483647 -2147483648 1 0 M 181 0 1 2 3 33 5 0"), 1);
  EXPECT_EQ(event_list.count, 0);
  client_cfg.set("no_splat_numbers", "1");
  client_cfg.set("no_attack_anims", "1");
  reset_player();
  process_attack(line);
  EXPECT_EQ(event_list.count, 1);
  EXPECT_EQ(lunge_counter, 0);
  show_combat_messages = false;
  reset_player();
  show_combat_messages = false;
  process_attack(line);
  EXPECT_TRUE(d.messages.empty());
  EXPECT_EQ(sound.effects_played, Sounds{0});
}

TEST_F(CombatReports, DamageHistory) {
  struct Step {
    uint64_t at_ms;
    const char* line;
    size_t kept;
    int64_t dealt;
  } steps[] = {
      {1000, "A 2 7 150 0 Goblin 11 10 1 0 M 181 0 1 2 3 40 5 0", 1, 7},
      {1400, "A 2 5 150 0 Goblin 11 10 1 0 M 181 0 1 2 3 40 5 0", 2, 12},
      // A weapon attack after a pause only adds to the total.
      {2500, "A 2 4 150 0 Goblin 11 10 1 0 M 181 0 1 2 3 40 5 0", 2, 16},
      {4000, "A 2 3 150 0 Goblin 11 10 1 1 M 181 0 1 2 3 40 5 0", 3, 19},
  };
  for (const Step& s : steps) {
    fake_now_us = s.at_ms * 1000;
    process_attack(s.line);
    EXPECT_EQ(damage_history.damage.size(), s.kept);
    EXPECT_EQ(damage_history.dealt, s.dealt);
  }
  EXPECT_EQ(damage_history.gaps_ms, (std::deque<int32_t>{0, 400, 1500}));
  for (int i = 0; i < 15; ++i) process_attack(steps[0].line);
  EXPECT_EQ(damage_history.damage.size(), 10u);
  EXPECT_EQ(damage_history.gaps_ms.size(), 10u);
}

TEST_F(CombatReports, DamageReports) {
  struct Case {
    const char* line;
    char gender;
    int result;
    Lines shown;
    Sounds sounds;
    int hp_after;
    std::string before = "";
  } cases[] = {
      {"D 5 150 0 Goblin 3 0 45 1 2 3 0 3", 'F', 5, {"Critical hit by Goblin! (5 damage)"}, {7}, 45},
      {"D 5 -3 0 <nothing> 1 0 45 1 2 3 0 0", 'M', 5, {"You are drowning!"}, {4}, 45},
      {"D 5 -3 0 <nothing> 1 0 0 1 2 3 0 0", 'M', 5, {"You have drowned!"}, {5}, 0},
      {"D 9 150 0 Goblin_King 1 0 0 1 2 3 0 0", 'F', 9,
       {"You have been killed by Goblin King! (9 damage)"}, {8}, 0},
      {"D 9 12 0 Bob 2 0 -4 1 2 3 0 0", 'M', 9, {"You have been telefragged by Bob!"}, {}, -4},
      {"D 4 -1 0 <nothing> 1 0 45 1 2 3 0 0", 'M', 4, {"You took damage! (4 damage)"}, {4}, 45},
      {"D 4 -1 0 hot_lava 1 0 45 1 2 3 0 0", 'M', 4, {"You took damage from hot lava! (4 damage)"}, {4}, 45},
      {"D 0 12 0 Bob 1 0 45 1 2 3 0 0", 'M', 0, {"Bob attacks and misses!"}, {1}, 45},
      {"D 0 12 0 Bob 1 1 45 1 2 3 0 0", 'M', 0, {"Spell damage from Bob absorbed!"}, {}, 45},
      // Stone form from a worn sword (a status that reads -1) takes the blow.
      {"D 0 12 0 Bob 1 0 45 1 2 3 0 0", 'M', 0, {"Damage from Bob absorbed!"}, {0}, 45,
       "# " + make_code(181, 0, MP_HEALTH_STATUS, HN_STONE_FORM).str() + " 0 0 0 0 0 0 0 0 0 0 0 0 0 0"},
      {"D 0 150 0 Goblin 1 0 45 1 2 3 0 0", 'M', 0, {}, {}, 45},
      {"D 6 150 1 Goblin 1 0 45 1 2 3 0 0", 'M', 0, {}, {}, 45},
      // Four fields: the rest is not read and the player keeps his values.
      {"D 4 150 0 Goblin", 'M', 4, {"Hit by Goblin! (4 damage)"}, {4}, 50},
      {"D 4 150", 'M', 0, {}, {}, 50},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    reset_player();
    feed(c.before);
    me.gender = c.gender;
    EXPECT_EQ(make_and_display_dmg_msg(c.line), c.result);
    EXPECT_EQ(shown(), c.shown);
    EXPECT_EQ(sound.effects_played, c.sounds);
    EXPECT_EQ(me.hp, c.hp_after);
  }
}

TEST_F(CombatReports, DamageReportUpdatesOnlyWhatItCarries) {
  ItemListEl* node = server_objects.find_id(150);
  make_and_display_dmg_msg("D 4 150 0 Goblin");
  EXPECT_EQ(node->price, 77);
  EXPECT_EQ(node->b, 3);
  // The attacker's marker event appears, then is only refreshed.
  EXPECT_NE(find_event_by_owner(event_list, 150), nullptr);
  int events = event_list.count;
  make_and_display_dmg_msg("D 4 150 0 Goblin 1 0 45 1 2 3 " + encode_number(99) + " 6");
  EXPECT_EQ(node->price, 99);
  EXPECT_EQ(node->b, 6);
  EXPECT_EQ(me.mana, 1);
  // A second hit adds its hit effect and number, not another marker.
  EXPECT_EQ(event_list.count, events + 2);
}

TEST_F(CombatReports, DeathClearsTheStatus) {
  me.set_health(HN_POISONED, 9);
  make_and_display_dmg_msg("D 5 -3 0 <nothing> 1 0 0 1 2 3 0 0");
  EXPECT_EQ(me.get_health(HN_POISONED), 0);
  EXPECT_TRUE(has_message("You have drowned!"));
}

TEST_F(CombatReports, PushLunge) {
  struct Case {
    int player_x;
    const char* line;
    int dx, dy;
  } cases[] = {
      {10, "D 3 150 2 Goblin 1 0 45 1 2 3 0 5", 0, 1},
      {10, "D 3 150 2 Goblin 1 0 45 1 2 3 0 8", -1, -1},
      // At the seam of a wrapping map the lunge is still one step.
      {99, "D 3 150 2 Goblin 1 0 45 1 2 3 0 3", 1, 0},
      {0, "D 3 150 2 Goblin 1 0 45 1 2 3 0 7", -1, 0},
  };
  cmap.type = 0;
  cmap.width = cmap.height = 100;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    lunge_counter = 0;
    me.x = static_cast<int16_t>(c.player_x);
    make_and_display_dmg_msg(c.line);
    EXPECT_EQ(lunge_counter, 10);
    EXPECT_EQ(lunge_dx, c.dx);
    EXPECT_EQ(lunge_dy, c.dy);
  }
  lunge_counter = 0;
  make_and_display_dmg_msg("D 3 150 2 Goblin 1 0 45 1 2 3 0 9");
  EXPECT_EQ(lunge_counter, 0);
}
