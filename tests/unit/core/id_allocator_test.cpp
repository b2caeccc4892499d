#include "core/id_allocator.h"

#include <gtest/gtest.h>

namespace {

// Ids in [10, 13): handed out lowest first, released ones come back, and
// the range runs out; ids outside it are never free and never taken.
TEST(IdAllocator, HandsOutFreeIdsOfItsRange) {
  IdAllocator a(10, 13);
  struct { int id; bool used, free; } rows[] = {
      {9, true, false}, {10, false, true}, {12, false, true}, {13, true, false}, {-1, true, false}};
  for (const auto& r : rows) {
    EXPECT_EQ(a.is_used(r.id), r.used) << r.id;
    EXPECT_EQ(a.is_free(r.id), r.free) << r.id;
  }
  EXPECT_EQ(a.allocate(true), 10);  // peek changes nothing
  a.mark_used(11);
  a.mark_used(50);  // outside: ignored
  EXPECT_EQ(a.allocate(), 10);
  EXPECT_EQ(a.allocate(), 12);
  EXPECT_EQ(a.allocate(), -1);
  EXPECT_EQ(a.allocate(true), -1);
  a.release(99);
  a.release(11);
  EXPECT_EQ(a.allocate(true), 11);
  EXPECT_EQ(a.allocate(), 11);
  EXPECT_EQ(a.allocate(), -1);
  for (int end : {5, 3}) {  // empty and reversed ranges
    IdAllocator e(5, end);
    EXPECT_EQ(e.allocate(), -1);
    EXPECT_FALSE(e.is_free(5));
  }
}

}  // namespace
