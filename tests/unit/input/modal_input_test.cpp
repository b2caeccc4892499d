// The modal input handler: each mode's keys, messages, next mode and the
// line the server receives, with keys set on the app and a scripted list.

#include "input/frame_input.h"
#include "input/modal_input.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>

#include "app/globals.h"
#include "app/play_messages.h"
#include "app/requests.h"
#include "display/list_keys.h"
#include "display/list_panel.h"
#include "input/item_lists.h"
#include "input/keymap.h"
#include "input/player_actions.h"
#include "support/temp_dir.h"
#include "unit/app/app_test_support.h"
#include "unit/display/text_test_support.h"
#include "unit/input/input_test_world.h"

namespace {

constexpr long BLADE = 0x181;
constexpr long HAT = 0x1b0;
constexpr long GOLD = 0x100;
constexpr long BREAD = 0x1c0;

int ch(char c) {
  int sc = c >= 'a' && c <= 'z' ? KEY_A + (c - 'a') : c >= '0' && c <= '9' ? KEY_0 + (c - '0')
           : c == ' '                                                      ? KEY_SPACE
                                                                           : KEY_SLASH;
  return (sc << 8) | static_cast<unsigned char>(c);
}
const int ESC = (KEY_ESC << 8) | 27;
const int ENTER = (KEY_ENTER << 8) | 13;

struct ModalTest : ::testing::Test {
  TempDir dir;
  std::unique_ptr<LoopbackServer> server;

  void SetUp() override {
    load_input_test_world();
    me.hp = 10;
    clear_world();
    pick_list.clear();
    app.session.hover_item = Item(-1L);
    app.session.left_released = app.session.right_released = 0;
    app.session.spell_ready = 1;
    d.mouse_shown = 0;  // no entry under the pointer: keys pick the cursor's
    server = std::make_unique<LoopbackServer>();
  }
  void TearDown() override {
    server.reset();
    clear_world();
    pick_list.clear();
    for (int k : {KEY_LSHIFT, KEY_LCONTROL, KEY_ALT}) key[k] = 0;
  }
  static void clear_world() {
    items.clear();
    temp_list.clear();
    drop_list.clear();
    server_objects.clear();
    visible_creatures.clear();
  }
  void press(int k) {
    app.session.last_key = k;
    app.session.last_ascii = static_cast<uint8_t>(k & 0xff);
    app.session.last_scancode = k >> 8;
    app.do_non_normal_mode();
  }
  // Opens the temporary list as a mode does; the cursor is on its head.
  static void open_list(int kind) { d.list_input(&temp_list, '!', kind, false); }
  void type(const std::string& text) {
    for (char c : text) press(ch(c));
  }
  std::string sent() { return server->next(50); }
  std::string last_msg() { return d.messages.empty() ? "" : d.messages.back(); }
};

// ---- Direction prompts and small prompts --------------------------------------------

TEST_F(ModalTest, InventoryViewSendsTheNetMoves) {
  const Item a(BREAD), b(HAT);
  items.add(a, 1, 0, false);
  items.add(b, 1, 0, false);
  pick_list = {{a, 1}, {b, 0}, {a, 1}};
  gc_interface_mode = MODE_VIEW_BANK;
  open_list(SELECT_VIEW_BANK);
  press(ESC);
  EXPECT_EQ(last_msg(), "Done!");
  EXPECT_EQ(sent(), "J\t1\t" + a.str(false) + "@2:" + b.str(false) + "@-1:");
  EXPECT_TRUE(pick_list.empty());

  // Long move lists are cut into lines of about 900 characters.
  for (int i = 0; i < 200; ++i) pick_list.push_back({Item(BREAD | (static_cast<long>(i) << 12)), 0});
  gc_interface_mode = MODE_VIEW_BANK;
  open_list(SELECT_VIEW_BANK);
  press(ESC);
  size_t parts = 0, lines = 0;
  for (std::string line = sent(); line != "<none>"; line = sent()) {
    ++lines;
    EXPECT_EQ(line.rfind("J\t1\t", 0), 0u);
    EXPECT_LT(line.size(), REARRANGE_LINE_MAX + 40);
    for (char c : line) parts += c == '@';
  }
  EXPECT_EQ(parts, 200u);
  EXPECT_GE(lines, 2u);
}

// The views opened with the Inventory key keep the moves made in them with
// SHIFT and a cursor key: closing (ESC, the inventory view's only way out)
// replays them on the inventory and sends them as a "J" line with the list's
// id. An unchanged view, and a stock the server opened for rearranging,
// send nothing.
TEST_F(ModalTest, ViewsKeepThePlayersMoves) {
  keymap.load();
  enter_play();
  const Item a(BREAD), b(HAT);
  const int inventory_key = keymap.get_key(KA_INVENTORY) << 8;
  // The "J" lines the server got, joined by '|'.
  auto j_lines = [this] {
    std::string all;
    for (std::string l = sent(); l != "<none>"; l = sent())
      if (l[0] == 'J') all += (all.empty() ? "" : "|") + l;
    return all;
  };
  const struct {
    const char* what;
    bool bank, chest;
    int moves;  // SHIFT+DOWN presses
    std::string line, msg;
    bool swapped;  // the inventory's first two entries
  } cases[] = {
      {"inventory view, a move", false, false, 1, "J\t0\t" + a.str(false) + "@-1:", "Done!", true},
      {"inventory view, no move", false, false, 0, "", "Cancelled!", false},
      {"bank view, a move", true, false, 1, "J\t1\t" + a.to_bank().str(false) + "@-1:", "Done!", true},
      {"a chest to rearrange", false, true, 1, "", "Cancelled!", false},
  };
  for (const auto& c : cases) {
    items.clear();
    const Item first = c.bank ? a.to_bank() : a, second = c.bank ? b.to_bank() : b;
    items.add(first, 1, 0, false);
    items.add(second, 1, 0, false);
    if (c.chest) {
      server->send("u " + a.str(false) + " 1 0u:" + b.str(false) + " 1 0");
      server->send("U P 7 " + a.str(false) + " 0 1");
      for (int i = 0; i < 500 && gc_interface_mode != MODE_VIEW_INV; ++i) app.frame_pass();
    } else if (c.bank) {
      key_pass(inventory_key, {KEY_LSHIFT});
    } else {
      key_pass(inventory_key);
    }
    ASSERT_EQ(gc_interface_mode, c.bank ? MODE_VIEW_BANK : MODE_VIEW_INV) << c.what;
    for (int i = 0; i < c.moves; ++i) key_pass(KEY_DOWN << 8, {KEY_LSHIFT});
    key_pass(ESC);
    EXPECT_EQ(last_msg(), c.msg) << c.what;
    EXPECT_EQ(j_lines(), c.line) << c.what;
    EXPECT_EQ(items.first->item == second, c.swapped) << c.what;
    EXPECT_EQ(gc_interface_mode, MODE_NORMAL) << c.what;
  }
}

// ---- Text entry ------------------------------------------------------------------------------

// ---- Trading --------------------------------------------------------------------------------

struct TradeCase {
  char partner;
  long gold;
  long item;
  int price;
  long stock;
  int key;
  const char* msg;
  long gold_after;
  long item_after;
};

TEST_F(ModalTest, BuyingChecksTheGoldInSixtyFourBits) {
  common_cfg.set_int("max_inventory", 0);
  const TradeCase cases[] = {
      {'M', 120, BLADE, 40, 3, ENTER, "You bought the short blade! (x1)", 80, 1},
      {'M', 40, BLADE, 40, 3, ENTER, "You bought the short blade! (x1)", 0, 1},
      {'M', 39, BLADE, 40, 3, ENTER, "You can't afford that!", 39, 0},
      // 3,000,000 a coin, 1000 coins a step: 3e9 passes an int.
      {'M', 1000, GOLD, 3000000, 5000, ENTER, "You can't afford that!", 1000, 0},
      {'M', 500, BLADE, -1, 3, ENTER, "This item is for trade only and cannot be bought.", 500, 0},
      {'P', 0, BLADE, -1, 3, ENTER, "You transferred the short blade! (x1)", 0, 1},
      {'P', 0, BLADE, 5, 3, (KEY_TAB << 8) | 9, "You transferred the short blade! (x3)", 0, 3},
      // An unlimited stock gives one step for TAB.
      {'P', 0, BLADE, 5, -1, (KEY_TAB << 8) | 9, "You transferred the short blade! (x1)", 0, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.partner << " gold " << c.gold << " price " << c.price);
    clear_world();
    d.messages.clear();
    if (c.gold) items.add(Item(GOLD), c.gold, 0, false);
    temp_list.add(Item(c.item), c.stock, c.price, true);
    app.session.list_kind = c.partner;
    app.session.list_container = 0;
    app.session.sub_state = 0;
    gc_interface_mode = MODE_BUY;
    open_list(c.partner == 'M' ? SELECT_BUY : SELECT_BANK);
    press(c.key);
    EXPECT_EQ(d.messages.empty() ? "" : d.messages.front(), c.msg);
    if (c.item != GOLD) {
      EXPECT_EQ(items.get_qty(Item(GOLD)), c.gold_after);
      EXPECT_EQ(items.get_qty(Item(c.item)), c.item_after);
    }
    // Taking the whole stock ends the trade and sends the pending list.
    bool sold_out = c.stock > 0 && c.item_after >= c.stock;
    EXPECT_EQ(drop_list.first != nullptr, c.item_after > 0 && !sold_out);
    EXPECT_EQ(sent() != "<none>", sold_out);
    while (sent() != "<none>") {
    }
  }
}

// After a purchase the cursor stays on the entry bought, so ENTER buys it again.
TEST_F(ModalTest, CursorStaysOnTheEntryTraded) {
  common_cfg.set_int("max_inventory", 0);
  items.add(Item(GOLD), 100, 0, false);
  temp_list.add(Item(BLADE), 3, 1, true);
  temp_list.add(Item(HAT), 3, 1, true);
  app.session.list_kind = 'M';
  app.session.list_container = 0;
  app.session.sub_state = 0;
  gc_interface_mode = MODE_BUY;
  open_list(SELECT_BUY);
  press(KEY_DOWN << 8);
  press(ENTER);
  press(ENTER);
  EXPECT_EQ(items.get_qty(Item(HAT)), 2);
  EXPECT_EQ(items.get_qty(Item(BLADE)), 0);
}

TEST_F(ModalTest, InventoryLimitAndBankWithdrawal) {
  common_cfg.set_int("max_inventory", 2);
  items.add(Item(HAT), 1, 0, false);
  items.add(Item(BREAD), 1, 0, false);
  temp_list.add(Item(BLADE), 3, 0, true);
  app.session.list_kind = 'M';
  gc_interface_mode = MODE_BUY;
  open_list(SELECT_BUY);
  press(ENTER);
  EXPECT_EQ(last_msg(), "Your inventory is full!");

  // The bank hands back the banked stack as a carried one.
  clear_world();
  common_cfg.set_int("max_inventory", 0);
  Item banked = Item(HAT).to_bank();
  items.add(banked, 2, 0, false);
  temp_list.add(banked, 2, 0, true);
  app.session.list_kind = 'B';
  gc_interface_mode = MODE_BUY;
  open_list(SELECT_BANK);
  press(ENTER);
  EXPECT_EQ(d.messages[d.messages.size() - 1], "You withdrew the reed hat! (x1)");
  EXPECT_EQ(items.get_qty(Item(HAT)), 1);
  EXPECT_EQ(items.get_qty(banked), 1);
}

TEST_F(ModalTest, SellingBankingAndTheEnd) {
  common_cfg.set_int("max_banked_items", 1);
  items.add(Item(BLADE), 2, 0, false);
  app.session.list_kind = 'B';
  app.session.list_partner = 161;
  app.session.list_flag = 0;
  app.session.list_container = 0;
  gc_interface_mode = MODE_SELL;
  construct_trade_list(temp_list, 'B', false, false);
  open_list(SELECT_BANK);
  press(ENTER);
  EXPECT_EQ(last_msg(), "You banked the short blade! (x1)");
  EXPECT_EQ(items.get_qty(Item(BLADE).to_bank()), 1);
  // A second stack of the same item may join the banked one.
  press(ENTER);
  EXPECT_EQ(d.messages[d.messages.size() - 2], "You banked the short blade! (x1)");
  EXPECT_EQ(last_msg(), "You have nothing left to bank!");
  EXPECT_EQ(static_cast<int>(gc_interface_mode), MODE_NORMAL);
  EXPECT_EQ(sent(), "j " + Item(BLADE).str(false) + " 1 161 0 1 0");
  EXPECT_EQ(sent(), "j " + Item(BLADE).str(false) + " 1 161 0 1 0");
  EXPECT_EQ(sent(), "j 0 0 0 0 0 0");

  // A full bank takes no new kind of item.
  clear_world();
  items.add(Item(HAT).to_bank(), 1, 0, false);
  items.add(Item(BLADE), 1, 0, false);
  construct_trade_list(temp_list, 'B', false, false);
  gc_interface_mode = MODE_SELL;
  open_list(SELECT_BANK);
  press(ENTER);
  EXPECT_EQ(last_msg(), "Your bank is full!");

  // A merchant pays the sell price; the partner's gold field saturates.
  clear_world();
  items.add(Item(BLADE), 1, 0, false);
  app.session.list_kind = 'M';
  app.session.list_flag = INT32_MAX - 1;
  temp_list.add(Item(BLADE), 1, 0, true);
  gc_interface_mode = MODE_SELL;
  open_list(SELECT_SELL);
  press(ENTER);
  long price = wl.get_sell_price(Item(BLADE));
  ASSERT_GT(price, 1);
  EXPECT_EQ(d.messages[d.messages.size() - 2],
            "You sold the short blade (x1) for " + std::to_string(price) + " gp!");
  EXPECT_EQ(items.get_qty(Item(GOLD)), price);
  EXPECT_EQ(app.session.list_flag, INT32_MAX);
  while (sent() != "<none>") {
  }

  // Readied items are not sold; ESC finishes and sends the pending list.
  clear_world();
  items.add(Item(BLADE), 1, 0, false);
  me.weapon = Item(BLADE);
  temp_list.add(Item(BLADE), 1, 0, true);
  gc_interface_mode = MODE_SELL;
  open_list(SELECT_SELL);
  press(ENTER);
  EXPECT_EQ(last_msg(), "You can't sell or bank what you have readied!");
  press(ESC);
  EXPECT_EQ(last_msg(), "Finished!");
  EXPECT_EQ(sent(), "j 0 0 0 0 0 0");
  me.weapon = Item(0L);
}

TEST_F(ModalTest, PriceEntryIsBoundedToAnInt) {
  const struct {
    const char* text;
    bool ok;
    int32_t price;
  } parses[] = {
      {"2147483647", true, INT32_MAX}, {"2147483648", false, 0}, {"-5", true, -5},
      {"", false, 0},                  {"5-", false, 0},          {"99999999999", false, 0},
  };
  for (const auto& p : parses) {
    int32_t v = 0;
    EXPECT_EQ(parse_price(p.text, v), p.ok) << p.text;
    if (p.ok) { EXPECT_EQ(v, p.price) << p.text; }
  }

  app.session.list_kind = 'P';
  app.session.sub_state = 0;
  gc_interface_mode = MODE_BUY;
  press(ch('='));
  EXPECT_EQ(app.session.sub_state, 1);
  EXPECT_EQ(d.input_prompt, "Setting price: ");
  type("1-2345678901");
  EXPECT_EQ(app.session.input_text, "123456789");
  press(ENTER);
  EXPECT_EQ(sent(), "T /sp 0 123456789");
  EXPECT_EQ(app.session.sub_state, 0);
  press(ch('='));
  type("-7");
  press(ESC);
  EXPECT_EQ(last_msg(), "Cancelled!");
  EXPECT_EQ(app.session.sub_state, 0);
  EXPECT_EQ(static_cast<int>(gc_interface_mode), MODE_BUY);
}

// ---- Drops ----------------------------------------------------------------------------------

// The typed count saturates: no number of digits passes an int.
TEST_F(ModalTest, CountsSaturate) {
  const struct {
    const char* text;
    int64_t count;
  } counts[] = {{"", -1}, {"abc", -1}, {"12", 12}, {"0", 0}, {"99999999999999999999", INT32_MAX}};
  for (const auto& c : counts) EXPECT_EQ(parse_count(c.text), c.count) << c.text;
}

// ---- Spell letters, abilities, lists ----------------------------------------------------------

// A right click binds the ability under the pointer to slot 16; the list
// shows the slot's label on its row and the key combination under it at
// once, not after the next key.
TEST_F(ModalTest, AbilityBoundByRightClickShowsInTheListAtOnce) {
  headless_allegro(32);
  keymap.load();
  d.panel_bitmap = create_bitmap(PANEL_WIDTH, 449);
  d.main_font = d.names_font = font;
  for (int& s : me.spell_binds) s = -1;
  me.add_spell(1);
  app.session.last_scancode = keymap.get_key(KA_CAST);
  app.session.last_ascii = 0;
  key[KEY_LSHIFT] = 1;  // the ability list whatever the casting style
  app.do_normal_mode();
  key[KEY_LSHIFT] = 0;
  ASSERT_EQ(static_cast<int>(gc_interface_mode), MODE_ABILITY);
  const int label = makecol(0x66, 0xFF, 0x66), combination = makecol(0xFF, 0xDE, 0x00);
  auto count = [](int colour) { return count_colour(d.panel_bitmap, 0, 0, PANEL_WIDTH, 449, colour); };
  EXPECT_EQ(count(label), 0);
  EXPECT_EQ(count(combination), 0);
  // The click's key as the key step hands it over: TAB, the entry under the pointer.
  app.session.right_released = 1;
  app.session.hover_item = Item(1L);
  press(KEY_TAB << 8 | 9);
  EXPECT_EQ(sent(), "n s 16 1");
  EXPECT_GT(count(label), 5);
  EXPECT_GT(count(combination), 5);
  destroy_bitmap(d.panel_bitmap);
  d.panel_bitmap = nullptr;
  gc_interface_mode = MODE_NORMAL;
}

TEST_F(ModalTest, PileCraftAndMaterialChoices) {
  app.pile_partner = 7;
  app.pile_container = 3;
  app.pile_arg = 9;
  temp_list.add(Item(BLADE), 1, 0, true);
  temp_list.first->c = 4000;
  const struct {
    int mode, key;
    Item pick;
    std::string line;
    const char* msg;
  } cases[] = {
      {MODE_GETLIST, ENTER, Item(BLADE), "h 7 3 9 " + Item(BLADE).str(false), ""},
      {MODE_GETLIST, ESC, Item(-1L), "<none>", "Finished!"},
      {MODE_MAKE, ESC, Item(-1L), "<none>", "Cancelled!"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    d.messages.clear();
    gc_interface_mode = c.mode;
    open_list(c.mode == MODE_GETLIST ? SELECT_PILE : SELECT_MAKE);
    press(c.key);
    EXPECT_EQ(sent(), c.line);
    if (*c.msg) { EXPECT_EQ(last_msg(), c.msg); }
    EXPECT_EQ(static_cast<int>(gc_interface_mode), MODE_NORMAL);
    EXPECT_EQ(temp_list.first, nullptr);
    temp_list.add(Item(BLADE), 1, 0, true);
    temp_list.first->c = 4000;
  }
  // A recipe's ingredient is chosen in answer to the server's offer number 2.
  app.session.craft_ready = 1;
  items.add(Item(BLADE), 1, 0, false);
  app.process_pkt("Ci 2 " + Item(HAT).str(false) + "^" + Item(BLADE).str(false) + ":");
  ASSERT_EQ(static_cast<int>(gc_interface_mode), MODE_MAKE_CHOOSE_MAT);
  press(ENTER);
  EXPECT_EQ(sent(), "ci " + Item(HAT).str(false) + " 2 " + Item(BLADE).str(false));
  temp_list.add(Item(BLADE), 1, 0, true);
  temp_list.first->c = 4000;
  // '=' is not a pick in the pile list.
  gc_interface_mode = MODE_GETLIST;
  open_list(SELECT_PILE);
  press(ch('='));
  EXPECT_EQ(static_cast<int>(gc_interface_mode), MODE_GETLIST);
  // The crafting delay is the chosen entry's time, whatever it is; 2500 ms
  // only for a pick that is not in the list.
  const struct {
    int time;
    bool absent;
    int delay;
  } delays[] = {{4000, false, 4000}, {0, false, 0}, {-30, false, -30}, {4000, true, 2500}};
  for (const auto& c : delays) {
    SCOPED_TRACE(c.time);
    temp_list.clear();
    temp_list.add(Item(BLADE), 1, 0, true);
    temp_list.first->c = c.time;
    gc_interface_mode = MODE_MAKE;
    open_list(SELECT_MAKE);
    app.session.craft_ready = 1;
    craft_delay = 12345;
    app.session.left_released = c.absent;
    app.session.hover_item = c.absent ? Item(BREAD) : Item(-1L);
    press(ENTER);
    EXPECT_EQ(craft_delay, c.delay);
    EXPECT_EQ(app.session.craft_ready, 0);
  }
  app.session.left_released = 0;
  app.session.hover_item = Item(-1L);
}

}  // namespace
