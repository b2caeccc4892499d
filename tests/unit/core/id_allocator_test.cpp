#include "core/id_allocator.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

namespace {

TEST(IdAllocator, WrapsAndRunsOut) {
  IdAllocator a(10, 13);
  EXPECT_EQ(a.allocate(true), 10);  // peek changes nothing
  EXPECT_EQ(a.allocate(), 10);
  EXPECT_EQ(a.allocate(), 11);
  EXPECT_EQ(a.allocate(), 12);
  EXPECT_EQ(a.allocate(), -1);
  EXPECT_EQ(a.allocate(true), -1);
  a.release(11);
  EXPECT_EQ(a.allocate(true), 11);
  EXPECT_EQ(a.allocate(), 11);
  EXPECT_EQ(a.allocate(), -1);
}

TEST(IdAllocator, UsedAndFree) {
  IdAllocator a(10, 13);
  struct { int id; bool used, free; } rows[] = {
      {9, true, false}, {10, false, true}, {12, false, true}, {13, true, false}, {-1, true, false}};
  for (const auto& r : rows) {
    EXPECT_EQ(a.is_used(r.id), r.used) << r.id;
    EXPECT_EQ(a.is_free(r.id), r.free) << r.id;
  }
  a.mark_used(11);
  a.mark_used(50);  // outside: ignored
  EXPECT_TRUE(a.is_used(11));
  EXPECT_EQ(a.allocate(), 10);
  EXPECT_EQ(a.allocate(), 12);
  a.release(99);
  EXPECT_EQ(a.allocate(), -1);
}

TEST(IdAllocator, EmptyRanges) {
  for (auto range : std::initializer_list<std::pair<int, int>>{{5, 5}, {7, 3}}) {
    IdAllocator a(range.first, range.second);
    EXPECT_EQ(a.allocate(), -1);
    EXPECT_FALSE(a.is_free(range.first));
  }
  IdAllocator one(4, 5);
  EXPECT_EQ(one.allocate(), 4);
  EXPECT_EQ(one.allocate(), -1);
}

}  // namespace
