#include "core/ids.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(Ids, NameSuffixes) {
  struct { const char* given; const char* name; const char* suffix; } rows[] = {
      {"Bob?", "Bob", "?"}, {"Bob!", "Bob", "!"}, {"Bob$", "Bob", "$"}, {"Bob", "Bob", ""},
      {"?", "", "?"}, {"", "", ""}, {"B?b", "B?b", ""}, {"Bob??", "Bob?", "?"}};
  for (const auto& r : rows) {
    ids t;
    t.set_info(5, r.given, 'x', "", "");
    EXPECT_EQ(t.get_name(5), r.name) << r.given;
    EXPECT_EQ(t.get_suffix(5), r.suffix) << r.given;
  }
}

TEST(Ids, UnknownAndUpdate) {
  ids t;
  EXPECT_EQ(t.get_letter(7), 'n');
  EXPECT_EQ(t.get_item(7), Item(0L));
  // The alt item's text comes before the item's.
  t.set_info(7, "Ann!", 'p', Item(0x182L).str(), Item(0x181L).str());
  EXPECT_EQ(t.get_item(7), Item(0x181L));
  EXPECT_EQ(t.get_alt_item(7), Item(0x182L));
  t.set_info(7, "Ann", 'q', "", "");
  EXPECT_EQ(t.count(), 1);
  EXPECT_EQ(t.get_name(7), "Ann");
  EXPECT_EQ(t.get_suffix(7), "");  // the marker is replaced too
  EXPECT_EQ(t.get_letter(7), 'q');
  t.remove(7);
  t.remove(8);
  EXPECT_EQ(t.count(), 0);
}

TEST(Ids, ClearMobs) {
  ids t;
  for (int id : {0, 5, 99, 100, 101, 5000, -3}) t.set_info(id, "x" + std::to_string(id), 'm', "", "");
  t.clear_mobs();
  EXPECT_EQ(t.count(), 4);
  for (int id : {0, 5, 99, -3}) EXPECT_EQ(t.get_name(id), "x" + std::to_string(id));
  for (int id : {100, 101, 5000}) EXPECT_EQ(t.get_name(id), "");
}

TEST(Tracked, UpdateRules) {
  std::vector<TrackedCreature> list;
  update_tracked(list, 10, "wolf", 1, 50, 20, 30, 1, 2, 3, true, -1, 0);
  EXPECT_EQ(num_tracked(list), 0);
  EXPECT_EQ(find_tracked(list, 10), -1);
  update_tracked(list, 10, "wolf", 1, 50, -1, -1, 1, 2, 3, false, 0, 0);
  ASSERT_EQ(num_tracked(list), 1);
  EXPECT_EQ(list[0].second_bar, -1);  // stored as given on a new row
  EXPECT_EQ(list[0].tag_number, 1);
  EXPECT_FALSE(list[0].flag);
  update_tracked(list, 10, "wolf", 1, 50, 20, 30, 1, 2, 3, false, 1, 4);
  EXPECT_TRUE(list[0].flag);
  EXPECT_EQ(list[0].tag_number, 4);
  // A field-of-view refresh: position and health only.
  update_tracked(list, 10, "Wolf", 2, 40, -1, -1, 7, 8, 9, true, -1, 0);
  const TrackedCreature& t = list[0];
  EXPECT_EQ(t.name, "Wolf");
  EXPECT_EQ(t.health, 40);
  EXPECT_EQ(t.x, 7);
  EXPECT_EQ(t.second_bar, 20);  // kept from the full update
  EXPECT_EQ(t.tag_number, 4);
  update_tracked(list, 10, "Wolf", 2, 40, -1, -1, 7, 8, 9, false, 0, 0);
  EXPECT_FALSE(list[0].flag);
}

TEST(Tracked, OrderPositionAndRemoval) {
  std::vector<TrackedCreature> list;
  for (int id : {1, 2, 3}) update_tracked(list, id, "c", 0, 100, 0, 0, 0, 0, 0, false, 0, 0);
  EXPECT_TRUE(set_tracked_pos(list, 2, 5, 6, 7));
  EXPECT_FALSE(set_tracked_pos(list, 9, 5, 6, 7));
  EXPECT_EQ(list[1].y, 6);
  remove_tracked(list, 1);
  remove_tracked(list, 42);
  EXPECT_EQ(find_tracked(list, 2), 0);
  EXPECT_EQ(find_tracked(list, 3), 1);
}

}  // namespace
