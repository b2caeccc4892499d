// Normal-mode keys: hotkey precedence, the F10 queue, the repeat keys, the
// modifier toggles, chat entry and the keymap commands, with the lines the
// server receives, the mode entered and the message printed.

#include "input/normal_keys.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/globals.h"
#include "core/string_utils.h"
#include "input/frame_input.h"
#include "input/hotkeys.h"
#include "input/menu_modes.h"
#include "input/player_actions.h"
#include "support/temp_dir.h"
#include "unit/display/headless.h"
#include "unit/app/app_test_support.h"
#include "unit/input/input_test_world.h"

namespace {

constexpr long TORCH = 0x190, SHORT_BLADE = 0x181;
constexpr int WAR_CRY = 7;  // cast at once: "M 7 1"
enum { NONE = 0, SHIFT = 1, CTRL = 2, ALT = 4 };

struct NormalKeysTest : ::testing::Test {
  TempDir dir;
  std::unique_ptr<LoopbackServer> server;

  void SetUp() override {
    load_input_test_world();
    // The tables below are for a game that casts from the ability list; the
    // cases of casting by letters turn word casting on themselves.
    common_cfg.set_int("cast_with_words", 0);
    keymap.load();
    me.hp = 10;
    me.dm = 1;  // casts skip the class, level and mana checks
    items.clear();
    cmap = CMap();
    clear_repeat_flags();
    quick_cast_spell.clear();
    craft_chosen_item = Item(0L);
    rage_bar = 0;
    target_type = 0;
    crosshair = false;
    target_locked = false;
    app.session.spell_ready = app.session.use_ready = app.session.buy_ready =
        app.session.hide_ready = app.session.craft_ready = 1;
    app.session.attack_ready = app.session.space_ready = 1;
    server = std::make_unique<LoopbackServer>();
  }
  void TearDown() override {
    server.reset();
    items.clear();
    set_mods(NONE);
  }
  static void set_mods(int mods) {
    key[KEY_LSHIFT] = (mods & SHIFT) != 0;
    key[KEY_LCONTROL] = (mods & CTRL) != 0;
    key[KEY_ALT] = (mods & ALT) != 0;
  }
  // One key of the pass in normal play with these modifiers held.
  static void press(int scancode, int ascii, int mods) {
    app.session.last_scancode = scancode;
    app.session.last_ascii = static_cast<uint8_t>(ascii);
    app.session.last_key = scancode << 8 | ascii;
    set_mods(mods);
    app.do_normal_mode();
    set_mods(NONE);
  }
  static int key_of(int action) { return keymap.get_key(action); }
  std::string sent() { return server->next(30); }
  std::string last_msg() { return d.messages.empty() ? "" : d.messages.back(); }
  static std::string use_line(long code) { return "U " + Item(code).str() + " 10 20 1 0"; }
};

TEST_F(NormalKeysTest, HotkeyPrecedence) {
  const struct {
    const char* what;
    int scancode, mods;
    long item;  // on the key's slot
    int spell;  // on the key's slot
    bool asleep;
    std::string line;
    uint32_t mode;
  } cases[] = {
      {"item before spell", KEY_F1, NONE, TORCH, WAR_CRY, false, use_line(TORCH), MODE_NORMAL},
      {"spell alone", KEY_F1, NONE, 0, WAR_CRY, false, "M 7 1", MODE_NORMAL},
      {"directional spell asks", KEY_F2, NONE, 0, 1, false, "<none>", MODE_CASTDIR},
      {"SHIFT+F1 skips both", KEY_F1, SHIFT, TORCH, WAR_CRY, false, "<none>", MODE_NORMAL},
      {"letter slot item", KEY_T, NONE, TORCH, -1, false, use_line(TORCH), MODE_NORMAL},
      {"letter with CTRL is no slot", KEY_T, CTRL, TORCH, -1, false, "<none>", MODE_NORMAL},
      {"asleep", KEY_F1, NONE, TORCH, WAR_CRY, true, "<none>", MODE_NORMAL},
  };
  for (const auto& c : cases) {
    items.clear();
    items.add(Item(TORCH), 1, 1, false);
    const int s = scancode_to_slot(c.scancode);
    me.item_binds[s] = Item(c.item);
    me.spell_binds[s] = c.spell;
    me.set_health(HN_ASLEEP, c.asleep ? 5 : 0);
    app.session.use_ready = app.session.spell_ready = 1;
    app.session.repeat_cast = true;
    gc_interface_mode = MODE_NORMAL;
    app.session.last_spell.clear();
    press(c.scancode, 0, c.mods);
    EXPECT_EQ(sent(), c.line) << c.what;
    EXPECT_EQ(sent(), "<none>") << c.what;
    EXPECT_EQ(gc_interface_mode, c.mode) << c.what;
    const bool cast = c.line == "M 7 1" || c.mode == MODE_CASTDIR;
    EXPECT_EQ(app.session.last_spell, cast ? spells.get_spell_str(c.spell) : "") << c.what;
    // A slot key that uses its item or casts its spell ends the repeat.
    EXPECT_EQ(app.session.repeat_cast, c.line == "<none>" && c.mode == MODE_NORMAL) << c.what;
    me.item_binds[s] = Item(0L);
    me.spell_binds[s] = -1;
  }
  me.set_health(HN_ASLEEP, 0);
}

TEST_F(NormalKeysTest, ShiftDigitOrFKeyBindsASpellWhenCastWithWords) {
  common_cfg.set_int("cast_with_words", 1);
  me.spell_binds[10] = WAR_CRY;
  press(KEY_F1, 0, SHIFT);
  EXPECT_EQ(gc_interface_mode, MODE_BIND_KEY);
  EXPECT_EQ(app.session.button_number, 10);
  EXPECT_EQ(last_msg(), "Binding spell to F1 (Shift + dir): currently " + spells.get_full_spell_name(WAR_CRY));
  EXPECT_EQ(sent(), "<none>");
  gc_interface_mode = MODE_NORMAL;
  press(KEY_4, '$', SHIFT);
  EXPECT_EQ(app.session.button_number, 4);
  EXPECT_EQ(last_msg(), "Binding spell to 4: currently none");
}

TEST_F(NormalKeysTest, F10CastsOrQueuesTheLastSpell) {
  const struct {
    const char* what;
    std::string last;
    bool ready, queueing;
    std::string line;
    bool queued;
  } cases[] = {
      {"ready", "wr", true, false, "M 7 1", false},
      {"not ready, queueing on", "wr", false, true, "<none>", true},
      {"not ready, queueing off", "wr", false, false, "<none>", false},
      {"no last spell", "", true, true, "<none>", false},
  };
  for (const auto& c : cases) {
    app.session.last_spell = c.last;
    app.session.spell_ready = c.ready;
    quick_cast_spell.clear();
    client_cfg.set_int("spell_queueing", c.queueing);
    press(KEY_F10, 0, NONE);
    EXPECT_EQ(sent(), c.line) << c.what;
    EXPECT_EQ(quick_cast_spell, c.queued ? c.last : "") << c.what;
    if (!c.queued) continue;
    EXPECT_EQ(app.cast_dx, QUEUED_NO_CELL) << c.what;
    app.do_queued_cast();  // still not ready: waits
    EXPECT_EQ(sent(), "<none>") << c.what;
    app.session.spell_ready = 1;
    app.session.last_spell.clear();
    app.do_queued_cast();
    EXPECT_EQ(sent(), "M 7 1") << c.what;
    EXPECT_EQ(quick_cast_spell, "") << c.what;
    EXPECT_EQ(app.session.last_spell, "wr") << c.what;
    app.do_queued_cast();
    EXPECT_EQ(sent(), "<none>") << c.what;
  }
}

TEST_F(NormalKeysTest, QueuedCastAtACell) {
  quick_cast_spell = "if";  // directional: cast at the cell
  app.cast_dx = 1;
  app.cast_dy = -1;
  app.do_queued_cast();
  const std::string line = sent();
  EXPECT_EQ(line.rfind("M 1 1 11 19 ", 0), 0u) << line;
}

TEST_F(NormalKeysTest, ChatEntry) {
  app.whisper_partners = {"Bob"};
  const struct {
    int scancode, ascii, mods;
    std::string text;
  } cases[] = {{KEY_ENTER, 13, NONE, ""},           {KEY_ENTER, 13, SHIFT, "/g "},
               {KEY_SLASH, '/', NONE, "/"},         {KEY_BACKSLASH, '\\', NONE, "/p "},
               {KEY_BACKSLASH, '|', SHIFT, "/me "}, {key_of(KA_TALK), 20, CTRL, "/msg Bob "}};
  for (const auto& c : cases) {
    gc_interface_mode = MODE_NORMAL;
    app.session.input_text = "x";
    d.input_prompt.clear();
    press(c.scancode, c.ascii, c.mods);
    EXPECT_EQ(gc_interface_mode, MODE_CHAT) << c.text;
    EXPECT_EQ(app.session.input_text, c.text);
    EXPECT_EQ(app.session.input_pos, static_cast<int>(c.text.size())) << c.text;
    EXPECT_EQ(d.input_prompt, "Say: ") << c.text;
  }
  gc_interface_mode = MODE_NORMAL;
  press(KEY_ENTER, 13, CTRL);
  EXPECT_EQ(gc_interface_mode, MODE_NORMAL);
}

// CTRL+T, in play and in the chat line, addresses the partner at the kept
// list's index (the most recent last), also in a session that has had no
// whisper yet; a second CTRL+T in the chat line steps on, SHIFT back.
TEST_F(NormalKeysTest, CtrlTalkAddressesTheKeptPartner) {
  const struct {
    const char* what;
    int mode;
    std::string before;
    int mods;
    std::string text;
    int index;
  } cases[] = {
      {"in play", MODE_NORMAL, "", CTRL, "/msg Cid ", 2},
      {"an empty chat line", MODE_CHAT, "", CTRL, "/msg Cid ", 2},
      {"a typed chat line", MODE_CHAT, "hi", CTRL, "/msg Cid ", 2},
      {"the partner's line steps on", MODE_CHAT, "/msg Cid ", CTRL, "/msg Ann ", 0},
      {"and back with SHIFT", MODE_CHAT, "/msg Cid ", CTRL | SHIFT, "/msg Bob ", 1},
  };
  for (const auto& c : cases) {
    app.whisper_partners = {"Ann", "Bob", "Cid"};
    app.whisper_index = 2;
    app.reset_session();
    gc_interface_mode = c.mode;
    app.session.input_text = c.before;
    app.session.last_scancode = key_of(KA_TALK);
    app.session.last_ascii = 20;
    set_mods(c.mods);
    if (c.mode == MODE_NORMAL)
      app.do_normal_mode();
    else
      app.do_non_normal_mode();
    set_mods(NONE);
    EXPECT_EQ(gc_interface_mode, MODE_CHAT) << c.what;
    EXPECT_EQ(app.session.input_text, c.text) << c.what;
    EXPECT_EQ(app.whisper_index, c.index) << c.what;
  }
  // With no partner there is no one to address.
  app.whisper_partners.clear();
  app.whisper_index = 0;
  gc_interface_mode = MODE_NORMAL;
  app.session.input_text.clear();
  press(key_of(KA_TALK), 20, CTRL);
  EXPECT_NE(app.session.input_text.rfind("/msg", 0), 0u);
  // Nor in the chat line, however often it is pressed.
  gc_interface_mode = MODE_CHAT;
  for (int i = 0; i < 2; ++i) {
    app.session.last_scancode = key_of(KA_TALK);
    app.session.last_ascii = 20;
    set_mods(CTRL);
    app.do_non_normal_mode();
    set_mods(NONE);
    EXPECT_EQ(app.session.input_text, "") << "press " << i + 1;
  }
}

TEST_F(NormalKeysTest, RepeatKeys) {
  const struct {
    const char* what;
    int scancode, mods;
    long last_item, carried, craft;
    std::string line, msg;
    bool use, cast, make;  // repeat flags afterwards (cast starts on)
  } cases[] = {
      {"F9 uses again", KEY_F9, NONE, TORCH, 1, 0, use_line(TORCH), "", false, true, false},
      {"F9 item gone", KEY_F9, NONE, TORCH, 0, 0, "<none>", "You no longer have that item!", false, true, false},
      {"F9 nothing used yet", KEY_F9, NONE, -1, 1, 0, "<none>", "", false, true, false},
      {"SHIFT+F9", KEY_F9, SHIFT, 0, 0, 0, "<none>", "Repeat use on.", true, false, false},
      {"SHIFT+F10", KEY_F10, SHIFT, 0, 0, 0, "<none>", "Repeat cast on.", false, true, false},
      {"SHIFT+F11", KEY_F11, SHIFT, 0, 0, TORCH, "<none>", "Repeat make on.", false, false, true},
      {"SHIFT+F11 nothing to make", KEY_F11, SHIFT, 0, 0, 0, "<none>", "", false, true, false},
      {"F11 makes", KEY_F11, NONE, 0, 0, TORCH, "cm " + Item(TORCH).str() + " ", "", false, true, false},
  };
  for (const auto& c : cases) {
    items.clear();
    if (c.carried) items.add(Item(TORCH), c.carried, 1, false);
    app.session.repeat_item = Item(c.last_item);
    app.session.repeat_dir = 0;
    craft_chosen_item = Item(c.craft);
    clear_repeat_flags();
    app.session.repeat_cast = true;
    app.session.use_ready = app.session.craft_ready = 1;
    d.messages.clear();
    press(c.scancode, 0, c.mods);
    const std::string line = sent();
    EXPECT_EQ(line.substr(0, c.line.size()), c.line) << c.what;
    EXPECT_EQ(last_msg(), c.msg) << c.what;
    EXPECT_EQ(app.session.repeat_use, c.use) << c.what;
    EXPECT_EQ(app.session.repeat_cast, c.cast) << c.what;
    EXPECT_EQ(app.session.repeat_make, c.make) << c.what;
  }
}

// SHIFT+F9 repeats the last use once per use delay until a slot key is
// pressed: that key acts at once, even before the delay is over, and ends
// the repeat. Slot 0 is a slot like the others.
TEST_F(NormalKeysTest, RepeatUseRunsUntilASlotKey) {
  items.add(Item(TORCH), 3, 1, false);
  enter_play();
  // The use lines the server got since the last look.
  auto uses = [this] {
    int n = 0;
    for (std::string l = sent(); l != "<none>"; l = sent()) n += l == use_line(TORCH);
    return n;
  };
  auto use_delay_over = [] { app.session.action_timers[TIMER_USE] -= 1100 * 1000; };
  for (int slot_key : {KEY_F1, KEY_0}) {
    SCOPED_TRACE(slot_key);
    const int slot = scancode_to_slot(slot_key);
    me.item_binds[slot] = Item(TORCH);
    use_delay_over();
    app.frame_pass();
    key_pass(slot_key << 8);
    EXPECT_EQ(uses(), 1);
    key_pass(KEY_F9 << 8, {KEY_LSHIFT});
    EXPECT_EQ(last_msg(), "Repeat use on.");
    app.frame_pass();
    EXPECT_EQ(uses(), 0);  // the use delay is not over yet
    use_delay_over();
    app.frame_pass();
    EXPECT_EQ(uses(), 1);
    use_delay_over();
    app.frame_pass();
    EXPECT_EQ(uses(), 1);
    key_pass(slot_key << 8);
    EXPECT_EQ(uses(), 1);
    for (int i = 0; i < 2; ++i) {
      use_delay_over();
      app.frame_pass();
    }
    EXPECT_EQ(uses(), 0);
    me.item_binds[slot] = Item(0L);
  }
}

TEST_F(NormalKeysTest, WerewolfFormEndsTheRepeats) {
  items.add(Item(TORCH), 3, 1, false);
  app.session.repeat_item = Item(TORCH);
  app.session.repeat_dir = 0;
  app.session.repeat_use = true;
  me.set_health(HN_WEREWOLF_FORM, 3);
  app.session.use_ready = 1;
  app.do_use_again();
  EXPECT_EQ(sent(), "<none>");
  EXPECT_FALSE(app.session.repeat_use);
}

TEST_F(NormalKeysTest, EscClearsRepeatsThenHints) {
  app.session.repeat_make = true;
  press(KEY_ESC, 27, NONE);
  EXPECT_FALSE(app.session.repeat_make);
  EXPECT_TRUE(d.messages.empty());
  press(KEY_ESC, 27, NONE);
  EXPECT_EQ(last_msg(), "Help: \tPress F12 for menu.");
}

TEST_F(NormalKeysTest, FixedAndToggleKeys) {
  const struct {
    const char* what;
    int scancode, ascii, mods;
    int health;  // status set for the key, -1 none
    int hp;
    std::string line, msg;
    uint32_t mode;
  } cases[] = {
      {"SPACE", KEY_SPACE, ' ', NONE, -1, 10, "^ k 1", "", MODE_NORMAL},
      {"SPACE asleep", KEY_SPACE, ' ', NONE, HN_ASLEEP, 10, "^ k 1", "", MODE_NORMAL},
      {"help", KEY_SLASH, '?', SHIFT, -1, 10, "<none>", "Viewing help ... press ESC when done.", MODE_HELP},
      {"asleep: no command", key_of(KA_LOOK), 'l', NONE, HN_ASLEEP, 10, "<none>", "", MODE_NORMAL},
      {"mounted on dry land", key_of(KA_EXIT_MOUNT), 'x', NONE, HN_MOUNTED, 10, "X 0 10 20",
       "X-it mount!", MODE_NORMAL},
      {"polymorphed", key_of(KA_EXIT_MOUNT), 'x', NONE, HN_POLYMORPHED, 10, "X 9 10 20", "", MODE_NORMAL},
      {"ship", key_of(KA_EXIT_MOUNT), 'x', NONE, HN_PILOT, 10, "<none>",
       "X-it ... which direction?", MODE_EXIT_MOUNT},
      {"packet dump", KEY_D, 4, SHIFT | CTRL | ALT, -1, 10, "<none>", "Packet dump: on", MODE_NORMAL},
      {"object list", KEY_O, 15, SHIFT | CTRL | ALT, -1, 10, "<none>", "Objlist: on", MODE_NORMAL},
      {"dead: ALT+F1", KEY_F1, 0, ALT, -1, 0, "^ d", "", MODE_NORMAL},
      {"alive: ALT+F1", KEY_F1, 0, ALT, -1, 10, "<none>", "", MODE_NORMAL},
      {"CTRL+F3", KEY_F3, 0, CTRL, -1, 10, "<none>", "Rage bar: on", MODE_NORMAL},
      {"F12", KEY_F12, 0, NONE, -1, 10, "<none>", "", MODE_QYXMENU},
  };
  d.help_scroll = 7;  // left past the end by an earlier help
  for (const auto& c : cases) {
    gc_interface_mode = MODE_NORMAL;
    d.messages.clear();
    if (c.health >= 0) me.set_health(c.health, 5);
    me.hp = c.hp;
    app.session.buy_ready = app.session.space_ready = 1;
    press(c.scancode, c.ascii, c.mods);
    EXPECT_EQ(sent(), c.line) << c.what;
    EXPECT_EQ(last_msg(), c.msg) << c.what;
    EXPECT_EQ(gc_interface_mode, c.mode) << c.what;
    if (c.health >= 0) me.set_health(c.health, 0);
  }
  EXPECT_EQ(d.help_scroll, 0);  // '?' opened the help at its top
  EXPECT_EQ(app.debug_echo, 1);
  EXPECT_EQ(client_cfg.get_int("rage_bar"), 1);
  EXPECT_TRUE(menu_open());
  EXPECT_EQ(d.menu_page, 0);
  // The resource bar runs 0, 1, 2, 0.
  press(KEY_F3, 0, ALT);
  EXPECT_EQ(last_msg(), "Mana bar: on");
  press(KEY_F3, 0, CTRL);
  EXPECT_EQ(last_msg(), "Rage/mana bar: off");
  // Stored settings out of range step back into it.
  for (int stored : {7, -4}) {
    rage_bar = stored;
    press(KEY_F3, 0, CTRL);
    EXPECT_GE(rage_bar, 0);
    EXPECT_LE(rage_bar, 2);
    target_type = stored;
    press(key_of(KA_CROSSHAIR), 0, SHIFT);
    EXPECT_GE(target_type, 0);
    EXPECT_LE(target_type, 3);
  }
}

TEST_F(NormalKeysTest, CommandKeys) {
  const std::string sums = std::to_string(items.checksum(false)) + " " + std::to_string(items.checksum(true));
  const struct {
    const char* what;
    int action, mods;
    int health;  // status set, -1 none
    std::string line, msg;
    uint32_t mode;
    int target = 0;  // the target type before the key
  } cases[] = {
      {"Activate", KA_ACTIVATE, NONE, -1, "<none>", "Activate ... which direction?", MODE_ACTIVATE},
      {"Buy", KA_BUY, NONE, -1, "b " + sums, "", MODE_NORMAL},
      {"SHIFT+Buy", KA_BUY, SHIFT, -1, "B " + sums, "", MODE_NORMAL},
      {"Cast, no abilities", KA_CAST, NONE, -1, "<none>", "You have no abilities!", MODE_NORMAL},
      {"Crosshair", KA_CROSSHAIR, NONE, -1, "<none>", "Crosshair on", MODE_NORMAL},
      {"ALT+Crosshair", KA_CROSSHAIR, ALT, -1, "<none>", "Target locked", MODE_NORMAL},
      {"SHIFT+Crosshair after evil", KA_CROSSHAIR, SHIFT, -1, "<none>", "Targeting party members.",
       MODE_NORMAL, 2},
      {"SHIFT+Crosshair", KA_CROSSHAIR, SHIFT, -1, "<none>", "Targeting good creatures.", MODE_NORMAL},
      {"Drop, nothing", KA_DROP, NONE, -1, "<none>", "You don't have anything to drop!", MODE_NORMAL},
      {"Fire, no bow", KA_FIRE, NONE, -1, "<none>",
       "Shooting requires ranged weapon or captaincy of ship!", MODE_NORMAL},
      {"Fire from a ship", KA_FIRE, NONE, HN_PILOT, "<none>", "Fire cannons ... which direction?", MODE_FIRE},
      {"Get", KA_GET, NONE, -1, "<none>", "Get ... which direction?", MODE_GET},
      {"CTRL+Get", KA_GET, CTRL, -1, "<none>", "Get ... which direction?", MODE_GETONE},
      {"SHIFT+Get", KA_GET, SHIFT, -1, "G", "", MODE_NORMAL},
      {"Hide", KA_HIDE, NONE, -1, "I 1", "", MODE_NORMAL},
      {"SHIFT+Hide while hidden", KA_HIDE, SHIFT, HN_HIDING, "I 0", "", MODE_NORMAL},
      {"Ignite", KA_IGNITE, NONE, -1, "z 1", "", MODE_NORMAL},
      {"SHIFT+Ignite", KA_IGNITE, SHIFT, -1, "z 0", "", MODE_NORMAL},
      {"Inventory, empty", KA_INVENTORY, NONE, -1, "<none>", "You have nothing in your inventory.",
       MODE_NORMAL},
      {"Look", KA_LOOK, NONE, -1, "<none>", "Look ... which direction?", MODE_LOOK},
      {"Meditate", KA_MEDITATE, NONE, -1, "e", "", MODE_NORMAL},
      {"Meditate as a wolf", KA_MEDITATE, NONE, HN_WEREWOLF_FORM, "<none>", "", MODE_NORMAL},
      {"Ready, nothing", KA_READY, NONE, -1, "<none>", "You have nothing to equip.", MODE_NORMAL},
      {"Ready as a wolf", KA_READY, NONE, HN_WEREWOLF_FORM, "<none>",
       "Must be in non-polymorphed form!", MODE_NORMAL},
      {"Search", KA_SEARCH, NONE, -1, "<none>", "Search (and open) ... which direction?", MODE_SEARCH},
      {"SHIFT+Search", KA_SEARCH, SHIFT, -1, "<none>", "Open ... which direction?", MODE_OPEN},
      {"Talk", KA_TALK, NONE, -1, "<none>", "Talk ... which direction?", MODE_TALK},
  };
  for (const auto& c : cases) {
    gc_interface_mode = MODE_NORMAL;
    d.messages.clear();
    if (c.health >= 0) me.set_health(c.health, 5);
    app.session.buy_ready = app.session.use_ready = app.session.hide_ready =
        app.session.attack_ready = app.session.spell_ready = 1;
    target_type = c.target;
    press(key_of(c.action), 0, c.mods);
    EXPECT_EQ(sent(), c.line) << c.what;
    EXPECT_EQ(sent(), "<none>") << c.what;
    EXPECT_EQ(last_msg(), c.msg) << c.what;
    EXPECT_EQ(gc_interface_mode, c.mode) << c.what;
    if (c.health >= 0) me.set_health(c.health, 0);
  }
  EXPECT_EQ(client_cfg.get_int("target_type"), 1);
  // Locking keeps the current target as the locked one.
  target_locked = false;
  target_id = 5;
  press(key_of(KA_CROSSHAIR), 0, ALT);
  EXPECT_TRUE(target_locked);
  EXPECT_EQ(locked_target_id, 5);
  EXPECT_EQ(target_id, 5);
  target_id = locked_target_id = -1;
  target_locked = false;
}

TEST_F(NormalKeysTest, CommandKeysWithLists) {
  items.add(Item(TORCH), 2, 1, false);
  press(key_of(KA_INVENTORY), 0, NONE);
  EXPECT_EQ(gc_interface_mode, MODE_VIEW_INV);
  EXPECT_EQ(last_msg(), "Rearranging inventory (use shift+arrow or shift+wheel to move an item) ...");
  gc_interface_mode = MODE_NORMAL;
  press(key_of(KA_DROP), 0, NONE);
  EXPECT_EQ(gc_interface_mode, MODE_DROPALL);
  EXPECT_EQ(d.list_title, "DROP");
  EXPECT_EQ(last_msg().rfind("To multi-drop, hit ", 0), 0u);
  // "Disable help messages" leaves the hint out.
  gc_interface_mode = MODE_NORMAL;
  options.toggle_option(OPT_DISABLE_HELP_MESSAGES);
  press(key_of(KA_DROP), 0, NONE);
  EXPECT_EQ(last_msg(), "Drop ... select item ...");
  options.toggle_option(OPT_DISABLE_HELP_MESSAGES);
  // The ability list holds what was learnt, by circle, the highest (10) too.
  TempDir::write("dat/spells.txt", TempDir::read("dat/spells.txt") +
                                       "b\tsl\tSun lance\tsp_sun_lance\t\t10\t10\tpm\tm\tPyromancy\t0\t"
                                       "40\t9000\tdirectional\tn\t0\t6d8\t\t1\tn\n");
  spells.load();
  for (const char* learnt : {"s 11", "s 1"}) app.process_pkt(learnt);
  gc_interface_mode = MODE_NORMAL;
  press(key_of(KA_CAST), 0, NONE);
  EXPECT_EQ(gc_interface_mode, MODE_ABILITY);
  std::vector<long> listed;
  for (const ItemListEl* e = temp_list.first; e; e = e->next) listed.push_back(e->item.intVal());
  EXPECT_EQ(listed, (std::vector<long>{1, 11}));
  gc_interface_mode = MODE_NORMAL;
  common_cfg.set_int("cast_with_words", 1);
  press(key_of(KA_CAST), 0, NONE);
  EXPECT_EQ(gc_interface_mode, MODE_CAST);
  EXPECT_EQ(d.input_prompt, "Spell/ability: ");
  gc_interface_mode = MODE_NORMAL;
  app.session.spell_ready = 0;
  press(key_of(KA_CAST), 0, NONE);
  EXPECT_EQ(last_msg(), "You must wait before using another ability.");
  // With "swap_get_keys" the plain key gets at once.
  gc_interface_mode = MODE_NORMAL;
  options.toggle_option(OPT_SWAP_GET_KEYS);
  press(key_of(KA_GET), 0, NONE);
  EXPECT_EQ(sent(), "G");
  app.session.buy_ready = 1;
  press(key_of(KA_GET), 0, SHIFT);
  EXPECT_EQ(gc_interface_mode, MODE_GET);
  options.toggle_option(OPT_SWAP_GET_KEYS);
}

// The ready list shows the character's figures: a player record from the
// server redraws it at once, not at the next move of the mouse.
TEST_F(NormalKeysTest, PlayerRecordRedrawsTheReadyList) {
  headless_allegro(32);
  d.main_font = d.names_font = font;
  d.panel_bitmap = create_bitmap(PANEL_WIDTH, PANEL_HEIGHT);
  BITMAP* before = create_bitmap(PANEL_WIDTH, PANEL_HEIGHT);
  items.add(Item(SHORT_BLADE), 1, 1, false);
  press(key_of(KA_READY), 0, NONE);
  ASSERT_EQ(gc_interface_mode, MODE_READY);
  auto record = [](int hp_max) {
    return format_str("H 10 20 1 40 0 0 10 5 0 0 %d 20 5.0 10 0 10.0 10.0 10.0 100 0 1 0 0 5",
                      hp_max);
  };
  // Pixels of the panel that a record changes.
  auto changed_by = [&](int hp_max) {
    blit(d.panel_bitmap, before, 0, 0, 0, 0, PANEL_WIDTH, PANEL_HEIGHT);
    EXPECT_EQ(app.process_pkt(record(hp_max)), 0);
    int n = 0;
    for (int y = 0; y < PANEL_HEIGHT; ++y)
      for (int x = 0; x < PANEL_WIDTH; ++x)
        n += getpixel(before, x, y) != getpixel(d.panel_bitmap, x, y);
    return n;
  };
  changed_by(30);
  EXPECT_EQ(changed_by(30), 0);
  EXPECT_GT(changed_by(77), 0);
  EXPECT_EQ(gc_interface_mode, MODE_READY);
  destroy_bitmap(before);
  destroy_bitmap(d.panel_bitmap);
  d.panel_bitmap = nullptr;
  d.main_font = d.names_font = nullptr;
  d.list_shown = nullptr;
  gc_interface_mode = MODE_NORMAL;
}

}  // namespace
