#include "core/ids.h"

#include <gtest/gtest.h>

#include <string>

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

}  // namespace
