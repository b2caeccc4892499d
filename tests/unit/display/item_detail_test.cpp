// The item detail box: state lines, trade lines, quantities, class lines,
// combat figures and crafting ingredients.

#include <gtest/gtest.h>

#include "app/client_app.h"
#include "app/globals.h"
#include "core/string_utils.h"
#include "display/item_detail.h"
#include "unit/core/item_test_world.h"

namespace {

const char* EXTRA_WEAPONS = "185 m s Blades long_knife m 1d4 1 20 w 2.0 2.0 wmrcb 0 1\n";
const char* QUEST_MISC = "4c0 old_key x 0 x m c 0 0.1 n\n";

struct ItemDetail : ::testing::Test {
  std::unique_ptr<item_test::ItemWorld> world;
  Player p;
  ItemList inventory;
  ItemList shown;

  void SetUp() override {
    world = std::make_unique<item_test::ItemWorld>(std::string(item_test::WEAPONS) + EXTRA_WEAPONS,
                                                    item_test::WEARABLE,
                                                    std::string(item_test::MISC) + QUEST_MISC, "",
                                                    "class_label=Class\n");
    TempDir::write("dat/classes.txt",
                   "Warden\tw\t\tr\th\nMage\tm\t\tm\tl\nRogue\tr\t\tr\tl\nCleric\tc\t\tm\tl\nBard\tb\t\tm\tl\n");
    sc.load();
    wl.reload();
    trade_item = Item(256L);
    PLAYER_LEVELS = false;
    g_no_requirements = false;
  }
  void TearDown() override { trade_item = Item(256L); }

  ItemDetailBox box(const Item& item, int kind, int32_t qty = 1, int32_t price = 0,
                    const std::string& text = "") {
    ItemDetailInput in;
    in.item = item;
    in.colour = 0xDDDDDD;
    in.kind = kind;
    in.qty = qty;
    in.price = price;
    in.list = &shown;
    in.entry_text = text;
    return item_detail_lines(in, p, inventory);
  }
};

const DetailLine* find_line(const ItemDetailBox& b, const std::string& prefix) {
  for (const DetailLine& l : b.lines)
    if (l.text.compare(0, prefix.size(), prefix) == 0) return &l;
  return nullptr;
}

constexpr long SWORD = 0x181, RING = 0x1b8, QUEST_KEY = 0x4c0, KNIFE = 0x185, COAT = 0x1b2;

TEST_F(ItemDetail, StateLines) {
  const struct {
    const char* what;
    long code;
    std::vector<std::string> present;
    std::vector<std::string> absent;
  } cases[] = {
      {"cursed and unidentified weapon", SWORD | ITEM_BIT_CURSED | ITEM_BIT_UNIDENTIFIED,
       {"unidentified", "cursed"}, {"damage:", "number", "dmg typ:", "blessed"}},
      {"blessed but unidentified", SWORD | ITEM_BIT_BLESSED | ITEM_BIT_UNIDENTIFIED, {"unidentified"},
       {"blessed", "cursed"}},
      {"blessed and identified", SWORD | ITEM_BIT_BLESSED, {"blessed", "damage:  1 to 6"}, {"cursed"}},
      {"quest item that is also no-drop", QUEST_KEY | ITEM_BIT_NO_DROP, {"Quest item"}, {"Soulbound"}},
      {"no-drop", SWORD | ITEM_BIT_NO_DROP, {"Soulbound"}, {"Quest item"}},
      {"a number without a property", RING | (3L << 20), {"number 3"}, {"unidentified"}},
      {"no number line when unidentified", RING | (3L << 20) | ITEM_BIT_UNIDENTIFIED, {"unidentified"},
       {"number"}},
      {"weapon figures", SWORD, {"skill:   ", "dmg typ: ", "damage:  1 to 6", "speed:   ", "Class:   War Mag "},
       {"grade:", "defense:"}},
      {"armour figures", COAT, {"grade:   ", "defense: ", "MR:      "}, {"damage:"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ItemDetailBox b = box(Item(c.code), SELECT_NORMAL);
    ASSERT_GE(b.lines.size(), 2u);
    EXPECT_EQ(b.lines[0].text, "Item Detail ...");
    EXPECT_EQ(b.lines[0].line, 1);
    for (const std::string& s : c.present) EXPECT_NE(find_line(b, s), nullptr) << s;
    for (const std::string& s : c.absent) EXPECT_EQ(find_line(b, s), nullptr) << s;
  }
}

// The currency of a trade comes with the server's line that opens the list;
// the detail under the cursor prices the entry in it.
TEST_F(ItemDetail, TradeLines) {
  struct Case {
    const char* what;
    std::vector<std::string> lines;
    const char* currency_cfg;
    std::string expected;
  };
  const std::string ring_name = wl.get_med_name(Item(RING), true);
  const Item coat(COAT);
  const Case cases[] = {
      {"trade only", {"u u:1b2 1 -1", "U M 7 100 0 0"}, "", "price:   TRADE ONLY"},
      {"price in gold pieces", {"u u:1b2 1 40", "U M 7 100 0 0"}, "", "price:   40 gp"},
      {"price in the game's currency", {"u u:1b2 1 40", "U M 7 100 0 0"}, "crowns",
       "price:   40 crowns"},
      {"one of another currency", {"u u:1b2 1 1", "U M 7 1b8 0 0"}, "", "cost:    1 " + ring_name},
      {"several of another currency", {"u u:1b2 1 3", "U M 7 1b8 0 0"}, "",
       "cost:    3 " + ring_name + "s"},
      {"sell for gold", {"B P 7 100 0"}, "crowns",
       format_str("sell:    %d gp", wl.get_sell_price(coat))},
      {"sell for another currency", {"B P 7 1b8 0"}, "",
       format_str("value:   %d (%ss)", wl.get_price(coat), wl.get_name(Item(RING)).c_str())},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    common_cfg.set("currency", c.currency_cfg);
    gc_interface_mode = MODE_NORMAL;
    temp_list.clear();
    items.clear();
    items.add(coat, 1, 0, false);
    for (const std::string& line : c.lines) ASSERT_EQ(app.process_pkt(line), 0);
    ItemDetailBox b = list_item_detail(d.list_state, &temp_list, -1, nullptr, me, items);
    const DetailLine* l = find_line(b, c.expected);
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->text, c.expected);
    EXPECT_EQ(l->x, DETAIL_RIGHT_X);
    EXPECT_NE(find_line(b, "load:    "), nullptr);
  }
  gc_interface_mode = MODE_NORMAL;
  temp_list.clear();
  items.clear();
  EXPECT_EQ(find_line(box(coat, SELECT_NORMAL), "load:"), nullptr);
}

TEST_F(ItemDetail, QuantityAndWeight) {
  const struct {
    int kind;
    int held;
    bool qty_line;
  } cases[] = {{SELECT_VIEW_INV, 1, false}, {SELECT_VIEW_INV, 2, true}, {SELECT_BUY, 2, false},
                        {SELECT_READY, 3, true}};
  const Item ring(RING);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    shown.clear();
    for (int i = 0; i < c.held; ++i) shown.add(ring, 1, 1, true);
    ItemDetailBox b = box(ring, c.kind, 0);
    const DetailLine* q = find_line(b, "qty:");
    if (c.qty_line) {
      ASSERT_NE(q, nullptr);
      EXPECT_EQ(q->text, format_str("qty:     %d", c.held));
    } else {
      EXPECT_EQ(q, nullptr);
    }
    // A quantity below 1 counts as one for the total weight.
    const float w = wl.get_weight(ring);
    EXPECT_NE(find_line(b, format_str("weight:  %.1f (%.1f ttl)", w, w)), nullptr);
  }
}

TEST_F(ItemDetail, ClassLines) {
  const struct {
    const char* what;
    const char* old_style;
    long code;
    int16_t cls;
    std::vector<std::string> lines;
    int colour;
  } cases[] = {
      {"five classes take two lines", "0", KNIFE, 4, {"Class:   War Mag Rog Cle ", "         Bar "}, LIST_WHITE},
      {"two classes, player's class not among them", "0", SWORD, 2, {"Class:   War Mag "}, LIST_RED},
      {"old-style classes show none", "1", KNIFE, 0, {}, LIST_WHITE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    common_cfg.set("old_style_classes", c.old_style);
    p.cls = c.cls;
    ItemDetailBox b = box(Item(c.code), SELECT_NORMAL);
    std::vector<const DetailLine*> got;
    for (const DetailLine& l : b.lines)
      if (l.text.rfind("Class:", 0) == 0 || l.text.rfind("         ", 0) == 0) got.push_back(&l);
    ASSERT_EQ(got.size(), c.lines.size());
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i]->text, c.lines[i]);
      EXPECT_EQ(got[i]->colour, c.colour);
      EXPECT_EQ(got[i]->x, DETAIL_RIGHT_X);
      if (i > 0) {
        EXPECT_EQ(got[i]->line, got[i - 1]->line + 1);
      }
    }
  }
}

TEST_F(ItemDetail, CraftingIngredients) {
  inventory.add(Item(SWORD), 1, 1, true);
  inventory.add(Item(RING), 1, 1, true);
  const Item made(COAT);
  shown.add(made, 1, -5, true);
  const std::string sword = wl.get_med_name(Item(SWORD), true);
  const std::string ring = wl.get_med_name(Item(RING), true);
  ItemDetailBox b = box(made, SELECT_MAKE, 1, 0, "181x2:1b8x1:junk:1b6x:1b6x1x2");
  struct Want {
    std::string text;
    int colour;
  };
  const Want want[] = {{sword + " (2)", LIST_RED}, {ring, LIST_LIGHT_GREY}};
  const DetailLine* req = find_line(b, "requires:");
  ASSERT_NE(req, nullptr);
  EXPECT_NE(find_line(b, "min skill: 0%"), nullptr);
  EXPECT_NE(find_line(b, "qty made:  1"), nullptr);
  EXPECT_EQ(find_line(b, "weight:"), nullptr);
  int line = req->line + 2;  // one line left free under the picture
  for (const Want& w : want) {
    const DetailLine* l = find_line(b, w.text);
    ASSERT_NE(l, nullptr) << w.text;
    EXPECT_EQ(l->text, w.text);
    EXPECT_EQ(l->colour, w.colour);
    EXPECT_EQ(l->x, 9);
    EXPECT_EQ(l->line, line++);
  }
  // Parts of another shape are skipped, not read as items.
  EXPECT_EQ(parse_ingredients("181x2:1b8x1:junk:1b6x:1b6x1x2:x3").size(), 2u);
  EXPECT_TRUE(parse_ingredients("").empty());
  EXPECT_EQ(parse_ingredients("181x99999999999").at(0).count, 1000000);
}

TEST_F(ItemDetail, ReadyListAndDmLines) {
  p.dm = 1;
  ItemDetailBox b = box(Item(SWORD), SELECT_READY);
  ASSERT_GE(b.lines.size(), 7u);
  EXPECT_EQ(b.lines[0].text.rfind("St=", 0), 0u);
  EXPECT_EQ(b.lines[3].text.rfind("Dmg=", 0), 0u);
  EXPECT_EQ(b.lines[4].text, "0x181");
  EXPECT_EQ(b.lines[4].line, 5);
  EXPECT_EQ(b.lines[5].text, "Item Detail ...");
  EXPECT_EQ(b.lines[5].line, 6);
  EXPECT_EQ(box(Item(-1L), SELECT_NORMAL).lines.size(), 0u);
}

TEST_F(ItemDetail, CardsCountTheirCopies) {
  const Item card(0x811L);
  inventory.add(card, 2, 1, true);
  ItemDetailBox b = box(card, SELECT_VIEW_INV);
  EXPECT_NE(find_line(b, "cards held: 2"), nullptr);
  EXPECT_NE(find_line(b, "copies of:  2"), nullptr);
}

}  // namespace
