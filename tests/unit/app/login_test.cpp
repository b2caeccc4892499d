#include "app/login.h"

#include <gtest/gtest.h>

#include "app_test_support.h"
#include "core/utils.h"
#include "support/temp_dir.h"

TEST(LoginFields, FormRules) {
  struct Case {
    std::string s;
    size_t max;
    bool letters_only;
    bool ok;
  };
  const std::vector<Case> cases = {
      {"Alice", 15, false, true},
      {"Alice2", 15, false, true},
      {"Alice2", 15, true, false},  // a new character's name: letters only
      {"", 15, false, false},
      {"has blank", 30, false, false},
      {"tab\there", 30, false, false},
      {"new\nline", 30, false, false},
      {std::string(15, 'a'), 15, false, true},
      {std::string(16, 'a'), 15, false, false},
      {std::string(30, 'a'), 30, false, true},
      {"caf\xe9", 15, false, false},
      {"semi;colon", 30, false, false},
  };
  for (const Case& c : cases) EXPECT_EQ(valid_login_name(c.s, c.max, c.letters_only), c.ok) << c.s;
  EXPECT_TRUE(valid_login_word("x"));
  EXPECT_TRUE(valid_login_word("zib"));
  EXPECT_FALSE(valid_login_word("my prog"));
  EXPECT_FALSE(valid_login_word(""));
  EXPECT_FALSE(valid_login_word("a\x01"));
}

TEST(LoginHotkeys, ShortLineStopsAtTheFirstUnreadableValue) {
  int slots[PLAYER_HOTKEYS];
  for (int& s : slots) s = 77;
  EXPECT_EQ(parse_hotkey_spells("1 -1 3 x 5", slots, PLAYER_HOTKEYS), 3);
  EXPECT_EQ(slots[0], 1);
  EXPECT_EQ(slots[1], -1);
  EXPECT_EQ(slots[2], 3);
  for (int i = 3; i < PLAYER_HOTKEYS; ++i) EXPECT_EQ(slots[i], 77) << i;

  // A value beyond an int cannot be read: it must not wrap into another number.
  for (int& s : slots) s = 77;
  EXPECT_EQ(parse_hotkey_spells("1 4294967299 3", slots, PLAYER_HOTKEYS), 1);
  EXPECT_EQ(slots[1], 77);
  EXPECT_EQ(parse_hotkey_spells("99999999999999999999 1", slots, PLAYER_HOTKEYS), 0);

  std::string full;
  for (int i = 0; i < 61; ++i) full += std::to_string(i) + " ";
  EXPECT_EQ(parse_hotkey_spells(full, slots, PLAYER_HOTKEYS), 60);
  EXPECT_EQ(slots[59], 59);
}

TEST(LoginReport, MissingFilesReportAllOnes) {
  TempDir dir;
  TempDir::write("dat/tiles.txt", "abc");
  std::string report = make_data_file_report();
  ASSERT_EQ(report.substr(0, 2), "Y ");
  std::vector<std::string> crcs;
  size_t start = 2;
  for (;;) {
    size_t colon = report.find(':', start);
    crcs.push_back(report.substr(start, colon - start));
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  ASSERT_EQ(crcs.size(), 21u);
  // CRC-32/BZIP2 of "abc" is 0x648cbb73.
  EXPECT_EQ(crcs[0], "648cbb73");
  for (size_t i = 1; i < 21; ++i) EXPECT_EQ(crcs[i], "ffffffff") << i;
}
