// The trail of stamped cells.

#include "world/trail.h"

#include <gtest/gtest.h>

namespace {

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
