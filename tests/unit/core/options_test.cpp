// The on/off options and their storage in "client.cfg".

#include "core/options.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/config_file.h"
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

}  // namespace
