// List builders, filters and the 'J', 'I', 'c' and 'S' messages.

#include "input/item_lists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/globals.h"
#include "app/server_handlers.h"
#include "core/list_kinds.h"
#include "support/temp_dir.h"
#include "unit/app/app_test_support.h"

namespace {

constexpr long COAT = 0x1b2;     // type 'a', merchant letter from the table
constexpr long RING = 0x1b8;     // type 'r'
constexpr long LANTERN = 0x192;  // usable, type 'x'
constexpr long DRAUGHT = 0x193;  // drinkable
constexpr long SCROLL = 0x11e;   // readable
constexpr long BREAD = 0x1c0;    // food
constexpr long GEM = 0x10f;      // none of those

struct ListsTest : ::testing::Test {
  TempDir dir;
  void SetUp() override {
    reset_app_state();
    TempDir::copy_gamedata("dat");
    common_cfg.load();
    sc.load();
    spells.load();
    wl.load();
    me.reset();
    items.clear();
    temp_list.clear();
    level_flag = false;
  }
  void TearDown() override {
    items.clear();
    temp_list.clear();
    level_flag = false;
  }
  static std::vector<long> codes(const ItemList& list, bool visible_only = false) {
    std::vector<long> out;
    for (const ItemListEl* e = list.first; e; e = e->next)
      if (!visible_only || !e->hidden) out.push_back(e->item.intVal());
    return out;
  }
  std::string last_msg() { return d.messages.empty() ? "<none>" : d.messages.back(); }
};

TEST_F(ListsTest, InventoryCategories) {
  for (long c : {COAT, LANTERN, DRAUGHT, SCROLL, BREAD, GEM}) items.add(Item(c), 2, 1, false);
  items.add(Item(RING).to_bank(), 1, 1, false);
  items.add(Item::stack_295(1, 5), 1, 1, false);
  const struct {
    int filter;
    std::vector<long> want;
  } cases[] = {
      {ITEMS_ALL, {COAT, LANTERN, DRAUGHT, SCROLL, BREAD, GEM}},
      {ITEMS_DRINKABLE, {DRAUGHT}},
      {ITEMS_READABLE, {SCROLL}},
      {ITEMS_FOOD, {BREAD}},
      {ITEMS_BANKED, {Item(RING).to_bank().intVal()}},
      {ITEMS_USABLE, {LANTERN}},
      {ITEMS_OTHER, {COAT, GEM}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(construct_item_list(temp_list, c.filter), static_cast<int>(c.want.size()));
    EXPECT_EQ(codes(temp_list), c.want) << c.filter;
  }
  me.dm = 1;
  EXPECT_EQ(construct_item_list(temp_list, ITEMS_ALL), 7);
}

TEST_F(ListsTest, TradeListFromInventory) {
  Item bound(RING);
  bound.set_no_drop();
  items.add(bound, 1, 1, false);
  items.add(Item(COAT), 1, 1, false);
  items.add(Item(0x1b1L), 2, 1, false);
  me.armour = Item(COAT);    // the only coat is worn
  me.hat = Item(0x1b1L);     // one of two helms is worn
  const struct {
    char kind;
    std::vector<long> want;
  } cases[] = {
      {'B', {bound.intVal(), 0x1b1}},
      {'P', {0x1b1}},
      {'h', {}},
  };
  for (const auto& c : cases) {
    construct_trade_list(temp_list, c.kind, false, false);
    EXPECT_EQ(codes(temp_list), c.want) << c.kind;
  }
}

TEST_F(ListsTest, TypeAndSearchFilters) {
  for (long c : {COAT, RING, DRAUGHT, BREAD}) temp_list.add(Item(c), 1, 1, false);
  const struct {
    char letter;
    std::vector<long> shown;
  } types[] = {{'t', {COAT}}, {'r', {RING}}, {'p', {DRAUGHT}}, {'f', {BREAD}},
               {'W', {COAT, RING}}, {'?', {COAT, RING, DRAUGHT, BREAD}}};
  for (const auto& t : types) {
    filter_item_list_by_type(temp_list, t.letter);
    EXPECT_EQ(codes(temp_list, true), t.shown) << t.letter;
  }
  const std::string coat_name = wl.get_med_name(Item(COAT));
  const struct {
    std::string text;
    std::vector<long> shown;
  } searches[] = {{"", {COAT, RING, DRAUGHT, BREAD}},
                  {"/", {COAT, RING, DRAUGHT, BREAD}},
                  {"/" + coat_name.substr(0, 4), {COAT}},
                  {"/zzzz", {}}};
  for (const auto& s : searches) {
    std::string text = s.text;
    filter_item_list_by_search(temp_list, text, SELECT_NORMAL);
    EXPECT_EQ(codes(temp_list, true), s.shown) << s.text;
  }
  std::string text = "/quilt";
  filter_item_list_by_search(temp_list, text, SELECT_NORMAL);
  EXPECT_EQ(text, "/QUILT");
}

TEST_F(ListsTest, ItemMessages) {
  const std::string coat = wl.get_full_name(Item(COAT)), lantern = wl.get_full_name(Item(LANTERN));
  common_cfg.set("currency_long", "gold coins");
  common_cfg.set("currency_long_single", "gold coin");
  const struct {
    std::string line;
    long item;
    long qty_after;
    std::string message;
  } cases[] = {
      {"I " + Item(COAT).str() + " 3 0", COAT, 3, coat + "\x10 added to inventory (3 pieces)."},
      {"I " + Item(LANTERN).str() + " 3 0", LANTERN, 3,
       lantern + "\x10 added to inventory (3 in total)."},
      {"I " + Item(LANTERN).str() + " 1 0", LANTERN, 4, lantern + "\x10 added to your inventory."},
      {"I " + Item(LANTERN).str() + " 2 1", LANTERN, 6, "<none>"},
      {"I " + Item(LANTERN).str() + " 0 0", LANTERN, 6, "<none>"},
      {"I " + Item(LANTERN).str() + " -4 0", LANTERN, 6, "<none>"},
      {"I " + Item(LANTERN).str() + " 99999999999 0", LANTERN, 6, "<none>"},
      {"I 258 5 0", 0x258, 0, "<none>"},
      {"I " + Item(LANTERN).str(), LANTERN, 6, "<none>"},
      {"I 100 1 0", 0x100, 1, "You got 1 gold coin."},
      {"I 100 20 0", 0x100, 21, "You got 20 gold coins."},
      {"J " + Item(LANTERN).str() + " 2", LANTERN, 6, "<none>"},
      {"J " + Item(LANTERN).str() + " -1 0", LANTERN, 6, "<none>"},
      {"J " + Item(LANTERN).str() + " 2 0", LANTERN, 4, lantern + " (x2) removed from inventory!"},
      {"J " + Item(LANTERN).str() + " 4 1", LANTERN, 0, "<none>"},
  };
  for (const auto& c : cases) {
    d.messages.clear();
    ClientApp& a = app;
    a.process_pkt(c.line);
    EXPECT_EQ(items.get_qty(Item(c.item)), c.qty_after) << c.line;
    EXPECT_EQ(last_msg(), c.message) << c.line;
  }
}

TEST_F(ListsTest, CraftList) {
  app.process_pkt("c " + Item(RING).str() + " 1 40 1 3000 @" + Item(GEM).str() + "x2");
  app.process_pkt("c " + Item(RING).str() + " 1 45 0 2500 @" + Item(0x10aL).str() + "x1");
  app.process_pkt("c " + Item(COAT).str() + " 1 45");
  ASSERT_EQ(codes(temp_list), (std::vector<long>{RING, RING}));
  const ItemListEl* e = temp_list.first;
  EXPECT_EQ(e->price, 40);
  EXPECT_EQ(e->text, Item(GEM).str() + "x2");
  EXPECT_EQ(e->b, 1);
  EXPECT_EQ(e->c, 3000);
  EXPECT_EQ(e->next->c, 2500);
  app.process_pkt("c 0 0 0 0 0");
  EXPECT_EQ(temp_list.first, nullptr);
  EXPECT_EQ(last_msg(), "What would you like to make?");
}

TEST_F(ListsTest, SkillUpdates) {
  const std::string blades = sc.get_skillname(1);
  const struct {
    std::string line;
    float raw_after;
    std::string message;
  } cases[] = {
      {"S 1 10.9", 10.9f, "Your skill in " + blades + " is now 10."},  // from 0: the whole part rose
      {"S 1 11.0", 11.0f, "Your skill in " + blades + " is now 11."},
      {"S 1 11.5", 11.5f, "<none>"},
      {"S 1 11.2", 11.2f, "Your skill in " + blades + " is now 11."},
      {"S 1", 11.2f, "<none>"},
      {"S 999 50.0", 11.2f, "<none>"},
      {"S -1 50.0", 11.2f, "<none>"},
      {"S 1 nan", 11.2f, "<none>"},
      // A skill is kept within a million either way, past the int range too.
      {"S 1 3e9", 1.0e6f, "Your skill in " + blades + " is now 1000000."},
      {"S 1 -3e9", -1.0e6f, "Your skill in " + blades + " is now -1000000."},
      {"S 1 2147483647", 1.0e6f, "Your skill in " + blades + " is now 1000000."},
  };
  for (const auto& c : cases) {
    d.messages.clear();
    app.process_pkt(c.line);
    EXPECT_FLOAT_EQ(me.get_raw_skill(1), c.raw_after) << c.line;
    EXPECT_EQ(last_msg(), c.message) << c.line;
  }
}

}  // namespace
