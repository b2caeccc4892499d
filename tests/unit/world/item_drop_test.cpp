// The multi-drop counts and the trail of stamped cells.

#include "world/item_drop.h"

#include <gtest/gtest.h>

#include "world/trail.h"

namespace {

TEST(ItemDropTest, CountsKeepTheirOrder) {
  const Item a(0x113L), b(0x118L), c(0x100L);
  ItemDrop d;
  d.set_count(a, 3);
  d.set_count(b, 1);
  EXPECT_EQ(d.get_count(a), 3);
  d.set_count(a, 5);
  EXPECT_EQ(d.get_count(a), 5);
  EXPECT_EQ(d.size(), 2);
  d.set_count(a, 0);
  ASSERT_EQ(d.size(), 1);
  EXPECT_EQ(d.entries[0].item, b);
  EXPECT_EQ(d.entries[0].count, 1);
  EXPECT_EQ(d.get_count(a), 0);
  d.set_count(c, 0);  // a new item is appended even with 0
  ASSERT_EQ(d.size(), 2);
  EXPECT_EQ(d.entries[1].item, c);
  EXPECT_EQ(d.entries[1].count, 0);
  Item named = a;
  named.set_text("Lucky");
  EXPECT_EQ(d.get_count(named), 0);  // equality takes every word and the text
}

TEST(TrailTest, AddContainsAndRemove) {
  trail_clock = 100;
  Trail t;
  t.init();
  TrailNode* first = t.add(5, 5);
  EXPECT_EQ(t.add(5, 5), first);
  EXPECT_EQ(t.add(5 + 65536, 5), first);  // compared as 16-bit values
  EXPECT_EQ(t.size(), 1);
  EXPECT_EQ(first->time, 100);
  EXPECT_EQ(t.contains(5, 5), 1);
  EXPECT_EQ(t.contains(5, 6), 0);
  t.add(6, 5);
  t.add(7, 5);
  t.remove_oldest();
  EXPECT_EQ(t.contains(5, 5), 0);
  t.remove_newest();
  EXPECT_EQ(t.contains(7, 5), 0);
  EXPECT_EQ(t.size(), 1);
  t.clear();
  EXPECT_EQ(t.head, nullptr);
  // Removing from an empty trail does nothing.
  t.remove_oldest();
  t.remove_newest();
  t.expire();
  EXPECT_EQ(t.size(), 0);
}

TEST(TrailTest, CopiesHoldTheirOwnNodes) {
  Trail a;
  a.add(1, 2);
  a.add(3, 4);
  Trail b(a);
  a.clear();
  EXPECT_EQ(b.size(), 2);
  EXPECT_EQ(b.head->x, 3);
  Trail c;
  c = b;
  b.clear();
  EXPECT_EQ(c.contains(1, 2), 1);
}

}  // namespace
