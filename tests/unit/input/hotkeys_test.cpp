// Hotkey slots: the key of each slot, labels and combination names, binding
// items and spells with the lines the server receives, and using a slot.

#include "input/hotkeys.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/globals.h"
#include "display/list_panel.h"
#include "support/temp_dir.h"
#include "unit/app/app_test_support.h"
#include "unit/input/input_test_world.h"

namespace {

constexpr long TORCH = 0x190;
constexpr long CUP = 0x113;

struct HotkeysTest : ::testing::Test {
  TempDir dir;
  std::unique_ptr<LoopbackServer> server;
  void SetUp() override {
    load_input_test_world();
    items.clear();
    d.mouse_shown = 0;  // the list's own cursor selects
    server = std::make_unique<LoopbackServer>();
  }
  void TearDown() override {
    server.reset();
    items.clear();
    key[KEY_ALT] = 0;
    key[KEY_LSHIFT] = 0;
  }
  // Opens a list holding the item (none for Item(0)), its cursor on it.
  static void select(const Item& item) {
    temp_list.clear();
    if (item.code != 0) temp_list.add(item, 1, 0, true);
    d.list_input(&temp_list, '!', SELECT_NORMAL, false);
  }
  std::string sent() { return server->next(50); }
  std::string last_msg() { return d.messages.empty() ? "" : d.messages.back(); }
};

TEST(HotkeySlots, KeysLabelsAndCombinations) {
  const struct {
    int scancode, slot;
    const char* label;
  } rows[] = {
      {KEY_0, 0, "0"},          {KEY_9, 9, "9"},          {KEY_F1, 10, "F1"},
      {KEY_F8, 17, "F8"},       {KEY_A, 18, "A"},         {KEY_Z, 43, "Z"},
      {KEY_TILDE, 44, "~"},     {KEY_MINUS, 45, "-"},     {KEY_EQUALS, 46, "="},
      {KEY_SEMICOLON, 49, ";"}, {KEY_COLON, 53, ":"},     {KEY_MINUS_PAD, 55, "-"},
      {KEY_PLUS_PAD, 56, "+"},  {KEY_BACKSLASH, 57, "\\"}, {KEY_BACKSLASH2, 58, "<"},
      {KEY_SLASH, 59, "/"},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(scancode_to_slot(r.scancode), r.slot) << r.label;
    EXPECT_EQ(slot_key_name(r.slot), r.label) << r.slot;
  }
  for (int k : {KEY_SPACE, KEY_ENTER, KEY_5_PAD, KEY_F9, KEY_F10, KEY_ESC})
    EXPECT_EQ(scancode_to_slot(k), -1) << k;
  for (int s : {-1, 60}) EXPECT_EQ(slot_key_name(s), "") << s;
  // Every slot has one key, and that key leads back to it.
  for (int s = 0; s < PLAYER_HOTKEYS; ++s) EXPECT_EQ(scancode_to_slot(slot_to_scancode(s)), s) << s;

  const struct {
    int slot;
    const char *brief, *full;
  } combos[] = {{10, "S", "Shift + dir"},        {11, "A", "Alt + dir"},
                {12, "CS", "Ctrl + Shift + dir"}, {13, "SA", "Shift + Alt + dir"},
                {14, "CA", "Ctrl + Alt + dir"},   {15, "CSA", "Ctrl + Shift + Alt + dir"},
                {16, "Rm", "Right Mouse Button"}, {17, "CRm", "Ctrl + Right Mouse Button"},
                {9, "", ""},                      {18, "", ""}};
  for (const auto& c : combos) {
    EXPECT_EQ(combo_key_name(c.slot, true), c.brief) << c.slot;
    EXPECT_EQ(combo_key_name(c.slot, false), c.full) << c.slot;
  }
}

TEST_F(HotkeysTest, HotbarButtonsStandForSlotsOrCommands) {
  client_cfg.set_int("hotbar8", 13);   // Drop
  client_cfg.set_int("hotbar9", 31);   // beyond the actions
  client_cfg.set_int("hotbar10", 7);   // a walking direction
  client_cfg.set_int("hotbar3", 13);   // not a command button
  const struct {
    int button, slot, command;
  } rows[] = {{0, 10, -1}, {7, 17, -1}, {3, 13, -1}, {8, -1, 13}, {9, -1, -1},
              {10, -1, -1}, {15, -1, -1}, {16, -1, -1}, {-1, -1, -1}};
  for (const auto& r : rows) {
    EXPECT_EQ(hotbar_button_slot(r.button), r.slot) << r.button;
    EXPECT_EQ(hotbar_button_command(r.button), r.command) << r.button;
  }
  // The display's buttons agree: slot buttons carry their slot, command
  // buttons 8..15 the number whose "hotbar%d" key is theirs.
  d.make_hotbar();
  for (int b = 0; b < 16; ++b) {
    const int expected = b < 8 ? hotbar_button_slot(b) : b - 8;
    EXPECT_EQ(d.hotbar[b].slot, expected) << b;
  }
}

TEST_F(HotkeysTest, BindItem) {
  const std::string torch = Item(TORCH).str(false);
  const std::string name = wl.get_full_name(Item(TORCH));
  const struct {
    const char* what;
    int scancode;
    bool alt;
    long selected;
    int already_on;  // the torch sits on this slot first, -1 none
    std::vector<std::string> lines;
    int slot;  // where the torch is afterwards, -1 nowhere
    std::string msg;
  } cases[] = {
      {"F3 binds slot 12", KEY_F3, false, TORCH, -1, {"n i 12 " + torch, "n s 12 -1"}, 12, name + " bound to key F3"},
      {"a digit needs ALT", KEY_5, false, TORCH, -1, {}, -1, ""},
      {"ALT and a digit", KEY_5, true, TORCH, -1, {"n i 5 " + torch, "n s 5 -1"}, 5, name + " bound to key 5"},
      {"moved from slot 20", KEY_F3, false, TORCH, 20, {"n i 12 " + torch, "n s 12 -1", "n i 20 0"}, 12,
       name + " bound to key F3"},
      {"bound again unbinds", KEY_F3, false, TORCH, 12, {"n i 12 0"}, -1, "F3 key unbound"},
      {"nothing selected", KEY_F3, false, 0, -1, {}, -1, ""},
      {"ALT and a key without slot", KEY_SPACE, true, TORCH, -1, {}, -1, ""},
  };
  for (const auto& c : cases) {
    for (int s = 0; s < PLAYER_HOTKEYS; ++s) {
      me.item_binds[s] = Item(0L);
      me.spell_binds[s] = 3;
    }
    if (c.already_on >= 0) me.item_binds[c.already_on] = Item(TORCH);
    d.messages.clear();
    select(Item(c.selected));
    key[KEY_ALT] = c.alt;
    bind_item_to_key(c.scancode);
    for (const std::string& line : c.lines) EXPECT_EQ(sent(), line) << c.what;
    EXPECT_EQ(sent(), "<none>") << c.what;
    EXPECT_EQ(last_msg(), c.msg) << c.what;
    for (int s = 0; s < PLAYER_HOTKEYS; ++s)
      EXPECT_EQ(me.item_binds[s] == Item(TORCH), s == c.slot) << c.what << " slot " << s;
    // The bound slot loses its spell; the others keep theirs.
    if (c.slot >= 0) {
      EXPECT_EQ(me.spell_binds[c.slot], -1) << c.what;
    }
    EXPECT_EQ(me.spell_binds[0], 3) << c.what;
  }
}

TEST_F(HotkeysTest, BindItemOnASlotWithoutSpellSendsNoSpellLine) {
  for (int s = 0; s < PLAYER_HOTKEYS; ++s) me.spell_binds[s] = -1;
  select(Item(TORCH));
  bind_item_to_key(KEY_F2);
  EXPECT_EQ(sent(), "n i 11 " + Item(TORCH).str(false));
  EXPECT_EQ(sent(), "<none>");
}

TEST_F(HotkeysTest, UseSlotItem) {
  const std::string here = " 10 20 1 0";
  const struct {
    const char* what;
    int scancode;
    bool shift;
    long bound;    // item on the key's slot
    long carried;  // how many torches are carried
    uint8_t ready;
    std::string line, msg;
    bool ready_after;
    uint32_t mode;
    bool remembered;
  } cases[] = {
      {"use at once", KEY_F1, false, TORCH, 2, 1, "U " + Item(TORCH).str() + here, "", false,
       MODE_NORMAL, true},
      {"letter slot", KEY_T, false, TORCH, 1, 1, "U " + Item(TORCH).str() + here, "", false,
       MODE_NORMAL, true},
      {"SHIFT asks a direction", KEY_T, true, TORCH, 1, 1, "<none>",
       "Use " + wl.get_full_name(Item(TORCH)) + " in which direction?", false, MODE_USEDIR, true},
      {"SHIFT with F1 does not", KEY_F1, true, TORCH, 1, 1, "U " + Item(TORCH).str() + here, "",
       false, MODE_NORMAL, true},
      {"empty slot uses the flag", KEY_F2, false, 0, 1, 1, "<none>", "No item bound to F2!", false,
       MODE_NORMAL, false},
      {"not carried", KEY_F1, false, TORCH, 0, 1, "<none>",
       "You don't have a " + wl.get_full_name(Item(TORCH)) + " to use/equip!", false, MODE_NORMAL, false},
      {"not ready", KEY_F1, false, TORCH, 1, 0, "<none>", "", false, MODE_NORMAL, false},
      {"keypad digit walks", KEY_1_PAD, false, TORCH, 1, 1, "<none>", "", true, MODE_NORMAL, false},
      {"key without slot", KEY_F9, false, TORCH, 1, 1, "<none>", "", false, MODE_NORMAL, false},
  };
  for (const auto& c : cases) {
    for (Item& b : me.item_binds) b = Item(0L);
    int s = scancode_to_slot(c.scancode);
    if (s >= 0) me.item_binds[s] = Item(c.bound);
    me.item_binds[10] = Item(c.bound);
    items.clear();
    if (c.carried) items.add(Item(TORCH), c.carried, 1, false);
    d.messages.clear();
    key[KEY_LSHIFT] = c.shift;
    uint8_t ready = c.ready;
    uint64_t stamp = 0;
    uint32_t mode = MODE_NORMAL;
    Item prompt(0L), last(0L);
    use_key_item(c.scancode, ready, stamp, mode, prompt, last);
    EXPECT_EQ(sent(), c.line) << c.what;
    EXPECT_EQ(last_msg(), c.msg) << c.what;
    EXPECT_EQ(ready != 0, c.ready_after) << c.what;
    EXPECT_EQ(stamp != 0, c.ready && !c.ready_after) << c.what;
    EXPECT_EQ(mode, c.mode) << c.what;
    EXPECT_EQ(prompt == Item(TORCH), c.mode == MODE_USEDIR) << c.what;
    EXPECT_EQ(last == Item(TORCH), c.remembered) << c.what;
  }
}

TEST_F(HotkeysTest, BindSpellPrompt) {
  const struct {
    int slot;
    bool f_key;
    long item;
    int spell;
    std::string msg;
  } cases[] = {
      {10, true, 0, -1, "Binding spell to F1 (Shift + dir): currently none"},
      {17, true, 0, 7, "Binding spell to F8 (Ctrl + Right Mouse Button): currently " + spells.get_full_spell_name(7)},
      {3, false, CUP, 7, "Binding spell to 3: currently " + wl.get_full_name(Item(CUP))},
      {3, false, 0, 99, "Binding spell to 3: currently none"},
  };
  for (const auto& c : cases) {
    me.item_binds[c.slot] = Item(c.item);
    me.spell_binds[c.slot] = c.spell;
    app.session.button_number = c.slot;
    app.session.input_text = "old";
    gc_interface_mode = MODE_NORMAL;
    bind_spell_to_key(app, c.f_key);
    EXPECT_EQ(last_msg(), c.msg);
    EXPECT_EQ(gc_interface_mode, MODE_BIND_KEY);
    EXPECT_EQ(app.session.input_text, "");
    EXPECT_EQ(d.input_prompt, "Bind spell: ");
  }
  EXPECT_EQ(sent(), "<none>");
}

}  // namespace
