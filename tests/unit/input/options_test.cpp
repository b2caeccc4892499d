// The on/off options and their storage in "client.cfg".

#include "input/options.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/globals.h"
#include "support/temp_dir.h"

namespace {

struct OptionsTest : ::testing::Test {
  TempDir dir;
  void SetUp() override { client_cfg = ConfigFile("client.cfg"); }
  void TearDown() override { client_cfg = ConfigFile("client.cfg"); }
};

TEST_F(OptionsTest, DefaultsWithNoKeys) {
  const std::set<int> on = {0, 2, 6, 7, 9, 12, 13, 14, 17, 18, 21, 23, 25};
  for (int n = 0; n < OPT_MAX_OPTS; ++n) EXPECT_EQ(options.get(n), on.count(n) == 1) << n;
  EXPECT_FALSE(options.get(OPT_MAX_OPTS));
  EXPECT_FALSE(options.get(-1));
}

TEST_F(OptionsTest, StoredValues) {
  const struct {
    const char* key;
    int stored;
    int option;
    bool on;
    int after_toggle;
  } cases[] = {
      {"hide_bar", 1, OPT_HEALTH_BAR, false, 0},
      {"hide_bar", 0, OPT_HEALTH_BAR, true, 1},
      {"music", 5, OPT_MUSIC, true, 0},
      {"music", 0, OPT_MUSIC, false, 1},
      {"disable_hotbar", 1, 25, false, 0},
      {"large_statbox", 1, 32, true, 0},
      {"no_background_sounds", 3, 23, false, 0},
  };
  for (const auto& c : cases) {
    client_cfg.set_int(c.key, c.stored);
    EXPECT_EQ(options.get(c.option), c.on) << c.key;
    options.toggle_option(c.option);
    EXPECT_EQ(client_cfg.get_int(c.key), c.after_toggle) << c.key;
    EXPECT_EQ(options.get(c.option), !c.on) << c.key;
  }
  options.toggle_option(OPT_MAX_OPTS);
  options.toggle_option(-1);
  EXPECT_EQ(client_cfg.get("remove_border"), "");
}

TEST_F(OptionsTest, InvertedOptionsSurviveSaveAndLoad) {
  // Every option switched away from its default, saved, read back.
  const char* inverted[] = {"hide_bar",        "hide_combat_messages", "disable_mouse",
                            "dont_show_quake", "no_block_msg",         "no_shadows",
                            "no_splat_numbers", "no_fps_limit",        "no_attack_anims",
                            "disable_grey_areas", "hide_spell_cooloff", "no_background_sounds",
                            "disable_hotbar"};
  bool before[OPT_MAX_OPTS];
  for (int n = 0; n < OPT_MAX_OPTS; ++n) {
    before[n] = options.get(n);
    options.toggle_option(n);
  }
  ASSERT_EQ(client_cfg.save(), 0);
  client_cfg = ConfigFile("client.cfg");
  ASSERT_EQ(client_cfg.load(), 0);
  for (const char* k : inverted) EXPECT_EQ(client_cfg.get_int(k), 1) << k;
  int stored_ones = 0;
  for (int n = 0; n < OPT_MAX_OPTS; ++n) {
    EXPECT_EQ(options.get(n), !before[n]) << n;
    stored_ones += client_cfg.get_int(Options::info(n)->key);
  }
  EXPECT_EQ(stored_ones, OPT_MAX_OPTS);
}

TEST(OptionsTable, LettersAndGroups) {
  std::string letters;
  int display = 0;
  for (int n = 0; n < OPT_MAX_OPTS; ++n) {
    letters += Options::info(n)->letter;
    if (Options::info(n)->group == OPT_GROUP_DISPLAY) ++display;
  }
  EXPECT_EQ(letters, "abcpqderfgshtuvwixyjklzmnoAPBQRST");
  EXPECT_EQ(display, 14);
  EXPECT_EQ(Options::find_letter('T'), 32);
  EXPECT_EQ(Options::find_letter('U'), -1);
  EXPECT_EQ(Options::info(OPT_MAX_OPTS), nullptr);
}

}  // namespace
