// The player's requests: directions, drop/get/use lines, the multi-drop marks,
// targeting, ranged attacks and casting, with the lines the server receives.

#include "input/player_actions.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "app/globals.h"
#include "app/play_messages.h"
#include "core/utils.h"
#include "input/keymap.h"
#include "support/temp_dir.h"
#include "unit/app/app_test_support.h"
#include "unit/input/input_test_world.h"

namespace {

constexpr long TORCH = 0x190;
constexpr long BOW = 0x182;
constexpr long ARROWS = 0x1a0;
constexpr long STONES = 0x1a1;
constexpr long RING = 0x200;

struct ActionsTest : ::testing::Test {
  TempDir dir;
  std::unique_ptr<LoopbackServer> server;

  void SetUp() override {
    load_input_test_world();
    me.cls = static_cast<int16_t>(sc.get_class_nr('m'));
    clear_world();
    target_id = -1;
    target_locked = false;
    locked_target_id = -1;
    app.session.chosen_spell = -1;
    spell_delay = 500;
    fire_delay = 0;
    PLAYER_LEVELS = false;
    cast_roll = [](int) { return 0; };
    server = std::make_unique<LoopbackServer>();
  }
  void TearDown() override {
    server.reset();
    clear_world();
    cast_roll = rand_int;
  }
  static void clear_world() {
    items.clear();
    server_objects.clear();
    visible_creatures.clear();
    tracked_creatures.clear();
    item_drop.clear();
    cmap = CMap();
  }
  // The next line sent, or "<none>" when nothing came.
  std::string sent() { return server->next(50); }
  std::string last_msg() { return d.messages.empty() ? "" : d.messages.back(); }
  void add_creature(int id, int x, int y) { visible_creatures.add_simple_obj(id, Item(0x300L), x, y, 0); }
};

TEST_F(ActionsTest, DirToXy) {
  const struct {
    int dir, px, wrap_width, flat_width;  // one of the widths is 0
    int x, y, result;
  } cases[] = {
      {1, 10, 0, 50, 10, 19, 1},  {4, 10, 0, 50, 11, 21, 4}, {0, 10, 0, 50, 10, 20, 0},
      {9, 10, 0, 50, 10, 20, 0},  {7, 0, 50, 0, 49, 20, 7},  {7, 0, 0, 50, -1, 20, 7},
      {3, 49, 50, 0, 0, 20, 3},   {3, 49, 0, 50, 50, 20, 3},
  };
  for (const auto& c : cases) {
    cmap.type = c.wrap_width ? MAPTYPE_WRAP : MAPTYPE_FLAT;
    cmap.width = c.wrap_width ? c.wrap_width : c.flat_width;
    me.x = static_cast<int16_t>(c.px);
    int x = -7, y = -7;
    EXPECT_EQ(dir_to_xy(c.dir, x, y), c.result) << c.dir << " at " << c.px;
    EXPECT_EQ(x, c.x) << c.dir << " at " << c.px;
    EXPECT_EQ(y, c.y) << c.dir << " at " << c.px;
  }
}

TEST_F(ActionsTest, KeypadDirFromHeldKeys) {
  std::filesystem::create_directories("dat");
  keymap.load();
  keymap.set_key(KA_NORTHEAST, KEY_K);
  const struct {
    int a, b;  // keys held (0 none)
    int dir;
  } cases[] = {{0, 0, 5},      {KEY_UP, KEY_LEFT, 7},      {KEY_DOWN, KEY_RIGHT, 3},
               {KEY_K, 0, 9},  {KEY_7_PAD, KEY_3_PAD, 7},  {KEY_2_PAD, KEY_RIGHT, 2},
               {KEY_J, 0, 5}};
  for (const auto& c : cases) {
    if (c.a) key[c.a] = 1;
    if (c.b) key[c.b] = 1;
    EXPECT_EQ(get_keypad_dir(), c.dir) << c.a << " " << c.b;
    if (c.a) key[c.a] = 0;
    if (c.b) key[c.b] = 0;
  }
  keymap.load();
}

TEST_F(ActionsTest, RequestDrop) {
  const std::string torch = Item(TORCH).str();
  const struct {
    const char* what;
    long carried;
    int worn;  // how many equipment slots hold the torch
    long count;
    bool have, dm;
    int result;
    long sent_count;  // 0: no line
  } cases[] = {
      {"nothing worn", 5, 0, 5, true, false, 0, 5},
      {"one wielded of five", 5, 1, 5, true, false, 0, 4},
      {"the only, wielded one", 1, 1, 1, true, false, 1, 0},
      {"part of ten, one worn", 10, 1, 3, true, false, 0, 3},
      {"two worn of three", 3, 2, 3, true, false, 0, 1},
      {"two worn of two", 2, 2, 1, true, false, 1, 0},
      {"not carried", 0, 0, 1, false, false, 1, 0},
      {"not carried, dm", 0, 0, 1, false, true, 0, 1},
      {"only worn, dm", 1, 1, 1, true, true, 0, 1},
      {"no count", 5, 0, 0, true, false, 1, 0},
  };
  for (const auto& c : cases) {
    items.clear();
    if (c.carried) items.add(Item(TORCH), c.carried, 1, false);
    me.weapon = c.worn >= 1 ? Item(TORCH) : Item(0L);
    me.shield = c.worn >= 2 ? Item(TORCH) : Item(0L);
    me.dm = c.dm;
    std::string batch = DROP_NOW;
    EXPECT_EQ(request_drop(Item(TORCH), c.count, c.have, 3, 4, batch), c.result) << c.what;
    std::string want = c.sent_count ? "d 3 4 " + torch + " " + std::to_string(c.sent_count)
                                    : "<none>";
    EXPECT_EQ(sent(), want) << c.what;
  }
}

TEST_F(ActionsTest, RequestDropJoinsABatch) {
  items.add(Item(TORCH), 2, 1, false);
  items.add(Item(RING), 1, 1, false);
  std::string batch;
  EXPECT_EQ(request_drop(Item(TORCH), 2, true, 1, 2, batch), 0);
  EXPECT_EQ(request_drop(Item(RING), 1, true, 1, 2, batch), 0);
  EXPECT_EQ(batch, "d 1 2 " + Item(TORCH).str() + " 2:d 1 2 " + Item(RING).str() + " 1");
  EXPECT_EQ(sent(), "<none>");
}

TEST_F(ActionsTest, MultiDropMarks) {
  items.add(Item(TORCH), 5, 1, false);
  items.add(Item(RING), 1, 1, false);
  const struct {
    long item;
    int count_after;
  } steps[] = {{TORCH, 1}, {TORCH, 5}, {TORCH, 0}, {RING, 1}, {RING, 0}, {0, 0}};
  for (const auto& s : steps) {
    mark_for_drop(Item(s.item));
    EXPECT_EQ(item_drop.get_count(Item(s.item)), s.count_after) << s.item;
  }
  EXPECT_EQ(item_drop.size(), 0);
  for (long i = 1; i <= DROP_MAX_MARKED; ++i) mark_for_drop(Item(0x400 + i));
  EXPECT_EQ(item_drop.size(), DROP_MAX_MARKED);
  mark_for_drop(Item(0x450L));
  EXPECT_EQ(item_drop.size(), DROP_MAX_MARKED);
  EXPECT_EQ(last_msg(), "Max 10 items can be dropped at a time.");
}

TEST_F(ActionsTest, RequestLines) {
  server_objects.add_simple_obj(7, Item(0x300L), 12, 20, 0);
  server_objects.add_simple_obj(-3, Item(TORCH), 13, 20, 0);
  items.add(Item(TORCH), 2, 1, false);
  items.add(Item(RING).to_bank(), 1, 1, false);
  craft_base_item = Item(0L);
  app.session.craft_request_id = 3;  // the number of the server's last crafting offer
  const struct {
    const char* what;
    void (*act)();
    std::string line;
  } cases[] = {
      {"get all", [] { request_item(5, 6, 1); }, "g 5 6 1 1"},
      {"get one", [] { request_item(5, 6, 0); }, "g 5 6 1 0"},
      {"use here", [] { use_item_here(Item(TORCH)); }, "U " + Item(TORCH).str() + " 10 20 1 0"},
      {"use there", [] { use_item_at(Item(TORCH), 11, 20); },
       "U " + Item(TORCH).str() + " 11 20 1 1"},
      {"open", [] { request_open(11, 19, 2); }, "s 11 19 2"},
      {"talk", [] { talk(12, 20); },
       "t 12 20 " + std::to_string(items.checksum(false)) + " " +
           std::to_string(items.checksum(true))},
      {"talk to an item", [] { talk(13, 20); }, "<none>"},
      {"make", [] { make_item(Item(RING)); },
       "cm " + Item(RING).str() + " 3 " + Item(0L).str()},
      {"make nothing", [] { make_item(Item(0L)); }, "<none>"},
  };
  for (const auto& c : cases) {
    c.act();
    EXPECT_EQ(sent(), c.line) << c.what;
  }
  EXPECT_EQ(last_msg(), "Stop talking to yourself!");
  EXPECT_EQ(talk(14, 20), 1);
  EXPECT_EQ(get_item(12, 20), 1);
  EXPECT_EQ(get_item(14, 20), 0);
}

TEST_F(ActionsTest, TargetSwitchingWraps) {
  add_creature(31, 11, 20);
  add_creature(32, 12, 20);
  add_creature(33, 13, 21);
  const struct {
    void (*step)();
    int id, x, y;
  } steps[] = {
      {next_target, 31, 11, 20},  // no target yet: the first
      {next_target, 32, 12, 20},
      {next_target, 33, 13, 21},
      {next_target, 31, 11, 20},  // after the last: a new target
      {prev_target, 33, 13, 21},  // before the first: the last
      {prev_target, 32, 12, 20},
      {[] { set_target(99); }, 32, 12, 20},  // not in view: unchanged
      {[] { set_target(33); }, 33, 13, 21},
  };
  for (const auto& s : steps) {
    s.step();
    EXPECT_EQ(target_id, s.id);
    EXPECT_EQ(target_x, s.x);
    EXPECT_EQ(target_y, s.y);
  }
  visible_creatures.clear();
  prev_target();
  EXPECT_EQ(target_id, -1);
}

TEST_F(ActionsTest, NewAndConfirmedTargets) {
  // Creatures 31 and 32 are in view; 40 may be tracked out of view.
  const struct {
    const char* what;
    bool confirm;  // confirm_target from `target`, else get_new_target
    int target;
    bool locked;
    int locked_id;
    int tx, ty, tlevel;  // tracked row of creature 40 (level 0: none)
    int id, x, y;
  } cases[] = {
      {"no lock: the first", false, -1, false, 40, 0, 0, 0, 31, 11, 20},
      {"lock on a creature in view", false, -1, true, 32, 0, 0, 0, 32, 12, 20},
      {"lock on none: the first", false, -1, true, -1, 0, 0, 0, 31, 11, 20},
      {"locked out of view, untracked", false, -1, true, 40, 0, 0, 0, -1, -1, -1},
      {"locked, tracked nearby", false, -1, true, 40, 17, 13, 1, 40, 17, 13},
      {"locked, tracked too far", false, -1, true, 40, 18, 20, 1, -1, -1, -1},
      {"locked, tracked on another level", false, -1, true, 40, 11, 20, 2, -1, -1, -1},
      {"confirm in view", true, 32, false, -1, 0, 0, 0, 32, 12, 20},
      {"confirm none: a new one", true, -1, false, -1, 0, 0, 0, 31, 11, 20},
      {"confirm tracked nearby", true, 40, false, -1, 15, 25, 1, 40, 15, 25},
      {"confirm tracked far", true, 40, false, -1, 30, 20, 1, 31, 11, 20},
      {"confirm tracked elsewhere", true, 40, false, -1, 15, 25, 3, 31, 11, 20},
      {"confirm untracked", true, 40, false, -1, 0, 0, 0, 31, 11, 20},
  };
  add_creature(31, 11, 20);
  add_creature(32, 12, 20);
  for (const auto& c : cases) {
    tracked_creatures.clear();
    if (c.tlevel) update_tracked(40, "wolf", 0, 10, 0, 0, c.tx, c.ty, c.tlevel, false, 0, 1);
    target_locked = c.locked;
    locked_target_id = c.locked_id;
    target_id = c.target;
    target_x = target_y = -1;
    if (c.confirm)
      confirm_target();
    else
      get_new_target();
    EXPECT_EQ(target_id, c.id) << c.what;
    EXPECT_EQ(target_x, c.x) << c.what;
    EXPECT_EQ(target_y, c.y) << c.what;
  }
}

TEST_F(ActionsTest, RangedAttack) {
  const std::string bow = Item(BOW).str(), arrows = Item(ARROWS).str();
  const struct {
    const char* what;
    long arrows_carried, stones_carried;
    long ammo_slot;
    bool confused, creature;
    int result;
    std::string message;
    std::string line_prefix;  // "<none>" when nothing is sent
    long arrows_left;
  } cases[] = {
      {"out of ammo", 0, 0, 0, false, true, 0, "Out of ammo (" + wl.get_name(Item(ARROWS)) + ")!",
       "<none>", 0},
      {"wrong ammo in the slot", 0, 4, STONES, false, true, 0,
       "Out of ammo (" + wl.get_name(Item(ARROWS)) + ")!", "<none>", 0},
      {"fumble", 3, 0, 0, true, true, 0, "You fumble your ammo!", "<none>", 3},
      {"no target", 3, 0, 0, false, false, 0, "No target!", "<none>", 3},
      {"shoots", 3, 0, ARROWS, false, true, 1, "", "a r 13 21 1 33 ", 2},
  };
  for (const auto& c : cases) {
    items.clear();
    visible_creatures.clear();
    d.messages.clear();
    target_id = -1;
    if (c.arrows_carried) items.add(Item(ARROWS), c.arrows_carried, 1, false);
    if (c.stones_carried) items.add(Item(STONES), c.stones_carried, 1, false);
    if (c.creature) add_creature(33, 13, 21);
    me.weapon = Item(BOW);
    me.ammo = Item(c.ammo_slot);
    me.set_health(HN_CONFUSED, c.confused ? 5 : 0);
    me.direction = 0;
    app.session.attack_ready = 1;
    EXPECT_EQ(ranged_attack(app, 0), c.result) << c.what;
    EXPECT_EQ(app.session.attack_ready, 0) << c.what;
    EXPECT_EQ(last_msg(), c.message) << c.what;
    EXPECT_EQ(fire_delay, c.arrows_carried ? me.get_weapon_delay() : 200) << c.what;
    std::string line = sent();
    EXPECT_EQ(line.substr(0, c.line_prefix.size()), c.line_prefix) << c.what;
    if (c.result == 1) {
      EXPECT_EQ(line.substr(line.size() - bow.size() - arrows.size() - 4),
                " 0 " + bow + " " + arrows);
      EXPECT_EQ(me.direction, DIR_SE);
    }
    EXPECT_EQ(items.get_qty(Item(ARROWS)), c.arrows_left) << c.what;
  }
}

TEST_F(ActionsTest, CastResults) {
  // Spells of the sample data: "if" directional fire (classes p, m; 5 mana),
  // "cn" autotarget bone (10 mana), "rh" plain (level 2, 12 mana, class m),
  // "wr" rage (class w), "ge" needs 25 in Herbalism.
  const int herbalism = sc.get_skill_nr("Herbalism");
  const struct {
    const char* what;
    std::string spell;
    int mana;
    bool known, levels, werewolf, creature;
    int result;
    std::string message;
    std::string line;
  } cases[] = {
      {"no such spell", "zz", 50, true, false, false, true, CAST_NO_SPELL, "No such spell!", "<none>"},
      {"werewolf", "if", 50, true, false, true, true, CAST_REFUSED,
       "You cannot cast that when in werewolf form!", "<none>"},
      {"wrong class", "wr", 50, true, false, false, true, CAST_REFUSED,
       "You can't use this ability - incorrect " + common_cfg.get("class_label") + "!", "<none>"},
      {"level too low", "rh", 50, true, true, false, true, CAST_REFUSED,
       "You need to be level 2 to use this ability!", "<none>"},
      {"level not enforced", "rh", 50, true, false, false, true, CAST_SENT, "", "M 4 1"},
      {"unknown", "rh", 50, false, false, false, true, CAST_UNKNOWN, "You do not know that spell!",
       "<none>"},
      {"no mana", "rh", 11, true, false, false, true, CAST_NO_MANA, "Not enough mana!", "M -1 0"},
      {"low skill", "ge", 50, true, false, false, true, CAST_LOW_SKILL,
       "Requires 25% in " + sc.get_skillname(herbalism) + "!", "<none>"},
      {"directional", "if", 50, true, false, false, true, CAST_WAITING,
       "Which direction? (press enter to target self)", "<none>"},
      {"autotarget", "cn", 50, true, false, false, true, CAST_SENT, "", "M 5 1 13 21 33 "},
      {"autotarget, nobody", "cn", 50, true, false, false, false, CAST_NO_SPELL, "No target!",
       "<none>"},
  };
  for (const auto& c : cases) {
    me.spells.clear();
    int id = spells.get_spell_id(c.spell);
    if (c.known && id >= 0) me.add_spell(id);
    me.mana = static_cast<int16_t>(c.mana);
    me.lvl = 1;
    PLAYER_LEVELS = c.levels;
    me.set_health(HN_WEREWOLF_FORM, c.werewolf ? 1 : 0);
    visible_creatures.clear();
    if (c.creature) add_creature(33, 13, 21);
    target_id = -1;
    d.messages.clear();
    client_cfg.set_int("hide_combat_messages", 1);
    EXPECT_EQ(cast_spell(app, c.spell, true), c.result) << c.what;
    EXPECT_EQ(last_msg(), c.message) << c.what;
    std::string line = sent();
    EXPECT_EQ(line.substr(0, c.line.size()), c.line) << c.what;
  }
  me.set_health(HN_WEREWOLF_FORM, 0);
}

TEST_F(ActionsTest, StaffDiscount) {
  // "if" is a Pyromancy spell costing 5 mana; Pyromancy is a staff school.
  me.add_spell(spells.get_spell_id("if"));
  me.weapon = Item(0x186L);  // a mage weapon
  ASSERT_TRUE(me.wields_staff());
  const struct {
    const char* discount;  // nullptr: not set
    int mana;
    int result;
  } cases[] = {{nullptr, 4, CAST_NO_MANA}, {nullptr, 5, CAST_WAITING}, {"0.5", 2, CAST_WAITING},
               {"0.5", 1, CAST_NO_MANA}, {"-1", 0, CAST_WAITING}};
  for (const auto& c : cases) {
    common_cfg = ConfigFile("dat/common.cfg");
    common_cfg.load();
    if (c.discount) common_cfg.set("staff_mana_discount", c.discount);
    me.mana = static_cast<int16_t>(c.mana);
    d.messages.clear();
    EXPECT_EQ(cast_spell(app, "if", false), c.result) << (c.discount ? c.discount : "-") << c.mana;
  }
}

TEST_F(ActionsTest, RepeatedRefusalsPrintOnce) {
  int id = spells.get_spell_id("rh");
  me.add_spell(id);
  me.mana = 0;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(cast_spell(app, "rh", true), CAST_NO_MANA);
  EXPECT_EQ(d.messages.size(), 1u);
  EXPECT_EQ(sent(), "M -1 0");
  EXPECT_EQ(sent(), "<none>");
  // Another line in between lets it print again.
  d.print_msg("Hello");
  EXPECT_EQ(cast_spell(app, "rh", true), CAST_NO_MANA);
  EXPECT_EQ(d.messages.size(), 3u);

  visible_creatures.clear();
  me.add_spell(spells.get_spell_id("cn"));
  me.mana = 50;
  d.messages.clear();
  spell_delay = 0;
  EXPECT_EQ(cast_spell(app, "cn", true), CAST_NO_SPELL);
  EXPECT_EQ(spell_delay, 250);
  EXPECT_EQ(cast_spell(app, "cn", true), CAST_NO_SPELL);
  EXPECT_EQ(spell_delay, spells.get_cooloff(spells.get_spell_id("cn")));
  EXPECT_EQ(d.messages.size(), 1u);
}

TEST_F(ActionsTest, CastingFailure) {
  // "rh" has circle 2; with no skill its chance is below 50.
  int id = spells.get_spell_id("rh");
  const struct {
    int failure_switch;
    int roll;
    int result;
    std::string line;
  } cases[] = {{0, 99, CAST_SENT, "M 4 1"}, {1, 99, CAST_FAILED, "M 4 0"}, {1, -1, CAST_SENT, "M 4 1"}};
  static int roll;
  for (const auto& c : cases) {
    common_cfg.set_int("casting_failure", c.failure_switch);
    roll = c.roll;
    cast_roll = [](int) { return roll; };
    me.spells.clear();
    me.add_spell(id);
    me.mana = 50;
    app.session.spell_ready = 1;
    EXPECT_EQ(cast_spell(app, "rh", true), c.result) << c.failure_switch << " " << c.roll;
    EXPECT_EQ(sent(), c.line);
    EXPECT_EQ(app.session.spell_ready, 0);
    EXPECT_EQ(spell_delay, spells.get_cooloff(id));
    if (c.result == CAST_FAILED) {
      EXPECT_EQ(last_msg(), "Casting failed!");
    }
  }
}

}  // namespace
