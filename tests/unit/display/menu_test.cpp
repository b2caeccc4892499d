// The in-game menu: the rows of each page and their drawing. The pages' keys
// and the figures they change are tests/unit/input/menu_modes_test.cpp; F12,
// the volume page and its keys in play are the end-to-end case "menu".

#include "display/menu.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <string>

#include "app/globals.h"
#include "display/display.h"
#include "headless.h"

namespace {

std::string row_at(const std::vector<MenuRow>& rows, int y) {
  for (const MenuRow& r : rows)
    if (r.y == y) return r.text;
  return "<none>";
}

MenuFacts default_keys() {
  MenuFacts f;
  Keymap km;
  km.reset();
  for (int i = 0; i < KEYMAP_NUM_ACTIONS; ++i) f.binding_text[i] = km.get_binding_text(i, true);
  f.max_name_len = km.get_max_name_len();
  return f;
}

TEST(MenuRows, LevelBars) {
  const struct {
    int volume;
    const char* sound;
  } cases[] = {{255, "Sound: 100 [##########]"}, {0, "Sound: 000 [----------]"},
               {128, "Sound: 050 [#####-----]"}, {25, "Sound: 009 [----------]"},
               {26, "Sound: 010 [#---------]"}};
  for (const auto& c : cases) {
    MenuFacts f;
    f.volume = c.volume;
    EXPECT_EQ(row_at(menu_rows(MENU_VOLUME, f), 70), c.sound);
  }
  EXPECT_TRUE(menu_rows(6, MenuFacts{}).empty());  // no such page
}

TEST(MenuRows, KeyPageSkipsDisabledActionsAndKeepsLetters) {
  MenuFacts f = default_keys();
  auto all = menu_rows(MENU_KEYS, f);
  f.binding_disabled[3] = true;
  auto rows = menu_rows(MENU_KEYS, f);
  const struct {
    int y;
    std::string text;
  } cases[] = {
      {50, "1 ) North                "},
      // Action 3 is gone: action 4 moves up a line and keeps its letter.
      {80, "5 ) South                "},
      {120, "a ) Activate             A"},
      {340, "w ) Use                  U"},
      {350, "<none>"},
      {370, "Z) reset to default keymaps"},
  };
  for (const auto& c : cases) EXPECT_EQ(row_at(rows, c.y), c.text) << c.y;
  EXPECT_EQ(row_at(all, 80), "4 ) Southeast            ");
  EXPECT_EQ(row_at(all, 350), "w ) Use                  U");
  EXPECT_EQ(rows.size() + 1, all.size());
  for (const MenuRow& r : rows) EXPECT_EQ(r.plain, r.y >= 50 && r.y < 370) << r.text;
}

TEST(MenuRows, ResolutionPage) {
  const struct {
    int res_x, res_y;
    const char* first, *second;
  } cases[] = {{800, 768, "a)   800 x 600", "b)  1024 x 768"},  // a width alone marks nothing
               {800, 600, "a) > 800 x 600", "b)  1024 x 768"}};
  for (const auto& c : cases) {
    MenuFacts f;
    f.modes = {{800, 600}, {1024, 768}};
    f.res_x = c.res_x;
    f.res_y = c.res_y;
    f.tile_size = 48;
    const auto rows = menu_rows(MENU_RESOLUTION, f);
    EXPECT_EQ(row_at(rows, 50), c.first);
    EXPECT_EQ(row_at(rows, 60), c.second);
    // Two modes: the notes start at 10 x 2 + 50 = 70.
    EXPECT_EQ(row_at(rows, 90), "Current resolution: " + std::to_string(c.res_x) + " x " + std::to_string(c.res_y));
  }
}

TEST(MenuRows, OptionsPageGroups) {
  MenuFacts f;
  f.option_on[OPT_HEALTH_BAR] = true;
  const auto rows = menu_rows(MENU_OPTIONS, f);
  // 19 options in the first group (lines 4..22), a blank line, then the other 14.
  EXPECT_EQ(row_at(rows, 60), "a ) on  Health bar");
  EXPECT_EQ(row_at(rows, 240), "R ) off Disable help messages");
  EXPECT_EQ(row_at(rows, 250), "<none>");
  EXPECT_EQ(row_at(rows, 260), "Display:");
  EXPECT_EQ(row_at(rows, 400), "T ) off Large statbox");
}

struct MenuDrawTest : ::testing::Test {
  void SetUp() override { headless_allegro(32); }
};

TEST_F(MenuDrawTest, DarkensThePlayAreaAndWritesAtTwenty) {
  BITMAP* dest = create_bitmap(800, 600);
  BITMAP* work = create_bitmap(800, 800);
  clear_to_color(dest, makecol(200, 200, 200));
  draw_menu_rows(dest, work, menu_rows(MENU_MAIN, MenuFacts{}), 568, 500, 600);
  // Darkened inside the play area, untouched beside it and below it.
  EXPECT_LT(getr(getpixel(dest, 300, 300)), 200);
  EXPECT_EQ(getpixel(dest, 700, 300), makecol(200, 200, 200));
  EXPECT_EQ(getpixel(dest, 300, 550), makecol(200, 200, 200));
  int white = 0;
  for (int y = 20; y < 28; ++y)
    for (int x = 20; x < 20 + 8 * 9; ++x) white += getpixel(dest, x, y) == makecol(255, 255, 255);
  EXPECT_GT(white, 20);
  for (int y = 0; y < 20; ++y) EXPECT_NE(getpixel(dest, 24, y), makecol(255, 255, 255));
  destroy_bitmap(dest);
  destroy_bitmap(work);
}

}  // namespace
