// Item lists: merging, removal across nodes, splitting, ordering within the
// carried and banked groups, the checksum, objects on cells, the load file.

#include "world/item_list.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "app/globals.h"
#include "support/temp_dir.h"

namespace {

// Sample items (dat/misc.txt, dat/weapons.txt) with their weights.
const Item CUP(0x113L);    // 0.2
const Item NAIL(0x118L);   // 0.05
const Item GOLD(0x100L);   // 0.01
const Item BLADE(0x181L);  // 2.0
const Item LANTERN(0x192L);
const Item STACK(0x127L);  // base 295

Item banked(const Item& i) { return i.to_bank(); }

std::vector<Item> items_of(const ItemList& l) {
  std::vector<Item> v;
  for (const ItemListEl* n = l.first; n; n = n->next) v.push_back(n->item);
  return v;
}

std::vector<long> qtys_of(const ItemList& l) {
  std::vector<long> v;
  for (const ItemListEl* n = l.first; n; n = n->next) v.push_back(static_cast<long>(n->qty));
  return v;
}

// The links agree in both directions and with the count.
void expect_linked(const ItemList& l) {
  int n = 0;
  const ItemListEl* prev = nullptr;
  for (const ItemListEl* e = l.first; e; e = e->next, ++n) {
    EXPECT_EQ(e->prev, prev);
    prev = e;
  }
  EXPECT_EQ(n, l.count);
  EXPECT_EQ(l.get_last(), prev);
}

class ItemListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TempDir::copy_gamedata("dat");
    ASSERT_EQ(wl.reload(), 0);
  }
  TempDir dir_;
};

TEST_F(ItemListTest, AddMergesUnlessTold) {
  ItemList l;
  ItemListEl* a = l.add(CUP, 5, 3, false);
  ItemListEl* b = l.add(CUP, 5, 3, false);
  EXPECT_EQ(a, b);
  EXPECT_EQ(l.count, 1);
  EXPECT_EQ(l.get_qty(CUP), 10);
  EXPECT_FLOAT_EQ(l.total_weight, 2.0f);
  ItemListEl* c = l.add(CUP, 5, 4, true);
  EXPECT_NE(c, a);
  EXPECT_EQ(qtys_of(l), (std::vector<long>{10, 5}));
  EXPECT_EQ(l.get_price(CUP), 3);
  EXPECT_EQ(l.add(CUP, 0, 1, false), nullptr);
  EXPECT_EQ(l.count, 2);
  // Banked items weigh nothing.
  l.add(banked(BLADE), 1, 1, false);
  EXPECT_FLOAT_EQ(l.total_weight, 3.0f);
  expect_linked(l);
  // Regression: an emptied list kept its load (a new session showed the
  // previous character's).
  l.clear();
  EXPECT_EQ(l.total_weight, 0.0f);
}

TEST_F(ItemListTest, RemoveTakesTheExcessFromTheNextNode) {
  ItemList l;
  l.add(CUP, 5, 1, true);
  l.add(NAIL, 1, 1, true);
  l.add(CUP, 4, 1, true);
  EXPECT_EQ(l.remove(CUP, 7), 0);
  EXPECT_EQ(items_of(l), (std::vector<Item>{NAIL, CUP}));
  EXPECT_EQ(qtys_of(l), (std::vector<long>{1, 2}));
  EXPECT_FLOAT_EQ(l.total_weight, 0.05f + 0.4f);

  l.add(CUP, 6, 1, true);
  EXPECT_EQ(l.remove(CUP, -1), 0);  // the whole first node only
  EXPECT_EQ(qtys_of(l), (std::vector<long>{1, 6}));

  EXPECT_EQ(l.remove(CUP, 100), 0);  // more than held
  EXPECT_EQ(items_of(l), std::vector<Item>{NAIL});
  EXPECT_EQ(l.remove(BLADE, 1), 0);  // absent
  EXPECT_EQ(l.count, 1);
  expect_linked(l);
}

TEST_F(ItemListTest, RemovingThroughManyNodesDoesNotRecurse) {
  // Linked by hand: adding one by one recomputes the weight every time.
  ItemList l;
  const int n = 300000;
  ItemListEl* tail = nullptr;
  for (int i = 0; i < n; ++i) {
    ItemListEl* e = new ItemListEl;
    e->item = NAIL;
    e->qty = 1;
    e->prev = tail;
    (tail ? tail->next : l.first) = e;
    tail = e;
  }
  l.count = n;
  l.remove(NAIL, 2L * n);
  EXPECT_EQ(l.count, 0);
  EXPECT_EQ(l.first, nullptr);
  EXPECT_FLOAT_EQ(l.total_weight, 0.0f);
}

// A list whose items do not stack, as the item table may say.
struct UnitList : ItemList {
  bool stackable(const Item&) const override { return false; }
};

TEST_F(ItemListTest, ItemsThatDoNotStackTakeOneNodePerUnitUpToALimit) {
  UnitList l;
  ItemListEl* last = l.add(BLADE, 3, 9, false);
  EXPECT_EQ(l.count, 3);
  EXPECT_EQ(last, l.get_last());
  EXPECT_EQ(qtys_of(l), (std::vector<long>{1, 1, 1}));
  EXPECT_FLOAT_EQ(l.total_weight, 6.0f);
  l.clear();
  l.add(BLADE, 2000000000L, 9, false);  // a quantity from the network
  EXPECT_EQ(l.count, ITEMLIST_MAX_UNIT_NODES);
  EXPECT_FLOAT_EQ(l.total_weight, 2.0f * ITEMLIST_MAX_UNIT_NODES);
  l.clear();
  l.add(BLADE, -4, 9, false);
  EXPECT_EQ(qtys_of(l), std::vector<long>{1});
}

TEST_F(ItemListTest, ReplaceItem) {
  ItemList l;
  l.add(NAIL, 1, 1, false);
  l.add(CUP, 3, 7, false);
  l.add(GOLD, 9, 1, false);
  l.replace_item(CUP, BLADE, false);
  EXPECT_EQ(items_of(l), (std::vector<Item>{NAIL, BLADE, CUP, GOLD}));
  EXPECT_EQ(qtys_of(l), (std::vector<long>{1, 1, 2, 9}));
  EXPECT_EQ(l.find_item(CUP)->price, 7);
  EXPECT_EQ(l.count, 4);
  expect_linked(l);

  l.replace_item(GOLD, LANTERN, true);
  EXPECT_EQ(l.get_qty(LANTERN), 9);
  l.replace_item(NAIL, CUP, false);  // a single one changes in place
  EXPECT_EQ(items_of(l).front(), CUP);
  l.replace_item(Item(0x1a0L), CUP, false);  // absent: nothing
  EXPECT_EQ(l.count, 4);
}

TEST_F(ItemListTest, MoveUpPassesBankedNodesAndStacks) {
  const Item P = CUP, X = NAIL;
  const Item B1 = banked(BLADE), B2 = banked(GOLD), B3 = banked(LANTERN);
  ItemList l;
  for (const Item& i : {P, B1, B2, B3, X}) l.add(i, 1, 0, false);
  EXPECT_EQ(l.move_up(X)->item, X);
  EXPECT_EQ(items_of(l), (std::vector<Item>{X, P, B1, B2, B3}));
  expect_linked(l);
  EXPECT_EQ(l.move_up(X), l.first);  // already at the head

  l.move_down(X);
  EXPECT_EQ(items_of(l), (std::vector<Item>{P, X, B1, B2, B3}));
  l.move_down(X);  // passes all banked nodes to the tail
  EXPECT_EQ(items_of(l), (std::vector<Item>{P, B1, B2, B3, X}));
  expect_linked(l);

  l.move_up(B3);
  EXPECT_EQ(items_of(l), (std::vector<Item>{P, B1, B3, B2, X}));
  EXPECT_EQ(l.move_up(Item(0x1a0L)), nullptr);

  ItemList s;
  for (const Item& i : {P, STACK, X}) s.add(i, 1, 0, false);
  s.move_up(X);
  EXPECT_EQ(items_of(s), (std::vector<Item>{X, P, STACK}));
  expect_linked(s);
}

// Moving a stack node past an equal stack node ends (it once swapped the two
// back and forth forever).
TEST_F(ItemListTest, MoveDownPastAnEqualStackNodeEnds) {
  struct Case {
    std::vector<Item> before;
    std::vector<Item> after;
  } cases[] = {
      {{STACK, STACK}, {STACK, STACK}},
      {{STACK, STACK, CUP}, {STACK, CUP, STACK}},
      {{CUP, STACK, STACK, NAIL}, {CUP, STACK, NAIL, STACK}},
  };
  for (const Case& c : cases) {
    ItemList l;
    for (const Item& i : c.before) l.add(i, 1, 0, true);
    const ItemListEl* moved = l.move_down(STACK);
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->item, STACK);
    EXPECT_EQ(items_of(l), c.after);
    expect_linked(l);
  }
}

TEST_F(ItemListTest, ChecksumWrapsAt32Bits) {
  ItemList l;
  l.add(Item((1L << 28) + 1), 16, 0, false);
  EXPECT_EQ(l.checksum(false), 16u);
  l.add(banked(CUP), 3, 0, false);
  l.add(STACK, 100, 0, false);
  EXPECT_EQ(l.checksum(false), 16u);
  // (2^30 + 0x113) x 3 modulo 2^32.
  EXPECT_EQ(l.checksum(true), 0xC0000339u);

  ItemList w;
  w.add(Item(0x80000001L), 1, 0, true);
  w.add(Item(0x80000001L), 1, 0, true);
  EXPECT_EQ(w.checksum(false), 2u);
  ItemList empty;
  EXPECT_EQ(empty.checksum(false), 0u);
}

TEST_F(ItemListTest, CountsAndBaseCodeQueries) {
  ItemList l;
  Item cursed_cup = CUP;
  cursed_cup.curse();
  Item blessed_cup = CUP;
  blessed_cup.bless();
  l.add(banked(CUP), 4, 0, false);
  l.add(STACK, 1, 0, false);
  l.add(CUP, 2, 0, false);
  l.add(cursed_cup, 8, 0, false);
  l.add(blessed_cup, 16, 0, false);
  EXPECT_EQ(l.count_banked(), 1);
  EXPECT_EQ(l.count_carried(), 3);
  EXPECT_EQ(l.get_qty_basecode(0x113, false), 18);
  EXPECT_EQ(l.get_qty_basecode(0x113, true), 16);
  EXPECT_EQ(l.get_item_basecode(0x113), CUP);
  EXPECT_EQ(l.get_item_basecode(0x181), Item(0));
  EXPECT_EQ(l.remove_basecode(0x113), 1);
  EXPECT_EQ(l.remove_basecode(0x113), 0);
  EXPECT_EQ(items_of(l), std::vector<Item>{STACK});
}

// Quantities from the server can be anything a long holds: their sums, and a
// merge into one node, stop at the ends of the range.
TEST_F(ItemListTest, QuantitySumsStopAtTheRange) {
  const struct {
    std::vector<long> qtys;
    long sum;
  } cases[] = {
      {{LONG_MAX, 5}, LONG_MAX},
      {{5, LONG_MAX}, LONG_MAX},
      {{LONG_MIN, -1}, LONG_MIN},
      {{LONG_MAX, 1, -1}, LONG_MAX - 1},
      {{2147483647, 2147483647}, 4294967294},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sum);
    ItemList apart, merged;
    for (long q : c.qtys) {
      apart.add(CUP, q, 1, true);
      merged.add(CUP, q, 1, false);
    }
    EXPECT_EQ(apart.get_qty(CUP), c.sum);
    EXPECT_EQ(apart.get_qty_basecode(0x113), c.sum);
    ASSERT_EQ(merged.count, 1);
    EXPECT_EQ(merged.first->qty, c.sum);
  }
}

TEST_F(ItemListTest, PrevItemSkipsHiddenNodes) {
  ItemList l;
  l.add(CUP, 1, 0, false);
  l.add(NAIL, 1, 0, false)->hidden = 1;
  l.add(GOLD, 1, 0, false);
  EXPECT_EQ(l.get_prev_item(GOLD), CUP);
  EXPECT_EQ(l.get_prev_item(CUP), Item(0));
  EXPECT_EQ(l.get_prev_item(BLADE), Item(0));
}

TEST_F(ItemListTest, ObjectsOnCells) {
  ObjectList l;
  EXPECT_EQ(l.add_simple_obj(5, BLADE, 2, 2, 0), 0);
  EXPECT_EQ(l.add_simple_obj(5, CUP, 3, 2, 0), 1);  // known id: moved
  EXPECT_EQ(l.count, 1);
  EXPECT_EQ(l.first->item, CUP);
  EXPECT_EQ(l.first->x, 3);
  EXPECT_EQ(l.first->hea, -1);
  EXPECT_EQ(l.first->align, 'n');
  EXPECT_EQ(l.add_simple_obj(-2, GOLD, 1, 1, 0), 0);
  EXPECT_EQ(l.add_simple_obj(-2, GOLD, 1, 1, 0), 1);  // a local object already there
  EXPECT_EQ(l.add_simple_obj(-2, GOLD, 1, 4, 0), 0);
  EXPECT_EQ(l.add_obj(5, CUP, 3, 2, 0, 0, 'n', 1, 0, 0), 0);  // large: appended again
  EXPECT_EQ(l.count, 4);
  EXPECT_TRUE(l.has_id(5));
  l.remove_id(5);
  EXPECT_EQ(l.count, 3);
  EXPECT_EQ(l.cell_empty(1, 1), 0);
  EXPECT_EQ(l.cell_empty(9, 9), 1);
  EXPECT_FALSE(l.has_item_at(1, 1));
  l.add_simple_obj(-3, Item(0x122L), 6, 6, 0);
  EXPECT_TRUE(l.has_item_at(6, 6));
  expect_linked(l);
}

TEST_F(ItemListTest, TopObjectOfACell) {
  ObjectList l;
  l.add_simple_obj(-3, CUP, 2, 2, 0);
  l.add_simple_obj(-4, NAIL, 2, 2, 0);
  EXPECT_EQ(l.get_top_id_at(2, 2), -4);  // no server object: the last local one
  l.add_simple_obj(5, GOLD, 2, 2, 0);
  l.add_simple_obj(6, BLADE, 2, 2, 0);
  EXPECT_EQ(l.get_top_id_at(2, 2), 5);
  EXPECT_EQ(l.get_top_item_at(2, 2), GOLD);
  EXPECT_EQ(l.get_top_id_at(7, 7), -1);
  EXPECT_EQ(l.get_top_item_at(7, 7), Item(-1));

  ObjectList big;
  big.add_obj(8, CUP, 4, 4, 0, 0, 'n', 0, 0, 0);  // not large
  EXPECT_EQ(big.find_top_at(5, 5), nullptr);
  big.add_obj(9, LANTERN, 4, 4, 0, 0, 'n', 1, 0, 0);
  ASSERT_NE(big.find_top_at(5, 5), nullptr);
  EXPECT_EQ(big.find_top_at(5, 5)->id, 9);
  EXPECT_EQ(big.get_top_id_at(4, 4), 8);  // on its own cell the first server object
  EXPECT_EQ(big.get_top_id_at(5, 4), 9);
  EXPECT_EQ(big.get_top_id_at(4, 5), 9);
  EXPECT_EQ(big.get_top_id_at(6, 5), -1);
  // A node at (4, 5) that is large wins over the one at (4, 4).
  big.add_obj(10, GOLD, 4, 5, 0, 0, 'n', 1, 0, 0);
  EXPECT_EQ(big.get_top_id_at(5, 5), 10);
  EXPECT_EQ(big.get_top_id_at(INT32_MIN, INT32_MIN), -1);
}

TEST_F(ItemListTest, LoadFile) {
  TempDir::write("inv.txt", "ITEM=113 4\n"
                            "ITEM=0 5\n"
                            "ITEM=zz 3\n"
                            "ITEM=fff 2\n"
                            "ITEM=181\n"
                            "junk ITEM=181 1\n" +
                                std::string(99, 'A') + "ITEM=100 7\n" +
                                std::string(98, 'B') + "ITEM=181 1\n");
  ItemList l;
  EXPECT_EQ(l.load("inv.txt"), 0);
  EXPECT_EQ(items_of(l), (std::vector<Item>{CUP, GOLD}));
  EXPECT_EQ(qtys_of(l), (std::vector<long>{4, 7}));
  EXPECT_EQ(l.first->price, 1);
  EXPECT_NEAR(l.total_weight, 0.87f, 1e-5);
  EXPECT_EQ(l.load("missing.txt"), 1);
}

}  // namespace
