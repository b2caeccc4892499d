#include "display/layout.h"

#include <gtest/gtest.h>

#include <memory>

#include "display/display.h"

namespace {

TEST(ScreenLayout, FiguresFollowTheScreenSize) {
  // The play window is square, at y -47, and the aux box stands right of the input line.
  const struct {
    int w, h;
    bool large_statbox;
    std::vector<int> want;  // panel_x, tile, radius, play_w, play_x, input_width, line_chars, play_height
  } cases[] = {
      // 600 < 680 and 800 is not above 232 + 928; k = (568 / 32) / 2 = 8.
      {800, 600, false, {568, 32, 10, 608, -20, 470, 58, 505}},
      // 720 < 801; k = (1048 / 48) / 2 = 10; 736 * 1.5 = 1104 on screen.
      {1280, 720, false, {1048, 48, 12, 736, -28, 950, 118, 625}},
      // Wider than 1600; k = (1688 / 64) / 2 = 13, capped at 15 cells.
      {1920, 1080, false, {1688, 64, 15, 928, -84, 1590, 198, 985}},
      // Panel 464; 680 is not below 680; k = (636 / 48) / 2 = 6.
      {1100, 680, true, {636, 48, 8, 480, -42, 538, 66, 585}},
      // 600 high but wider than 232 + 928: 48; k = (968 / 48) / 2 = 10.
      {1200, 600, false, {968, 48, 12, 736, -68, 870, 108, 505}},
      // Narrower than its room: 928 * 2 = 1856 centred on 2328 / 2 = 1164.
      {2560, 1440, false, {2328, 64, 15, 928, 236, 2230, 278, 1345}},
      // Exactly 1600 wide is not above 1600: 48; k = (1368 / 48) / 2 = 14,
      // capped at 15 cells; 928 * 1.5 = 1392 on screen.
      {1600, 720, false, {1368, 48, 15, 928, -12, 1270, 158, 625}},
  };
  for (const auto& c : cases) {
    ScreenLayout l = compute_screen_layout(c.w, c.h, c.large_statbox, false, 0);
    EXPECT_EQ((std::vector<int>{l.panel_x, l.tile_size, l.view_radius, l.play_w, l.play_x, l.input_width,
                                l.line_chars, l.play_height}),
              c.want)
        << c.w << "x" << c.h;
    EXPECT_EQ((std::vector<int>{l.play_h, l.play_y, l.aux_x}),
              (std::vector<int>{l.play_w, -47, l.input_width + 2}));
  }
}

TEST(ScreenLayout, HelpRowsEndAtTheMessageBox) {
  // Lines 10 pixels apart from y = 4, above the message box at play height;
  // the large message font's lines start 80 pixels higher.
  const struct {
    int w, h;
    bool large_font;
    int rows;
  } cases[] = {{800, 600, false, 50}, {800, 600, true, 42}, {1920, 1080, false, 98}};
  for (const auto& c : cases)
    EXPECT_EQ(compute_screen_layout(c.w, c.h, false, c.large_font, 0).help_rows, c.rows)
        << c.w << "x" << c.h << " " << c.large_font;
}

TEST(ScreenLayout, TooSmallSizesAreRaisedBeforeTheLayout) {
  struct {
    int w, h, want_w, want_h;
  } cases[] = {{0, 0, 800, 600}, {-5, 300, 800, 600}, {640, 480, 800, 600}, {1024, 500, 1024, 600},
               {100000, 100000, MAX_RES_X, MAX_RES_Y}, {1280, 720, 1280, 720}};
  for (auto& c : cases) {
    int w = c.w, h = c.h;
    clamp_resolution(w, h);
    EXPECT_EQ(std::make_pair(w, h), std::make_pair(c.want_w, c.want_h)) << c.w << "x" << c.h;
  }
  // The display's own layout never divides a screen into empty areas.
  auto disp = std::make_unique<QYXDisplay>();
  res_x = 320;
  res_y = 200;
  disp->compute_layout();
  EXPECT_EQ(res_x, 800);
  EXPECT_EQ(res_y, 600);
  EXPECT_GT(disp->input_width, 0);
  EXPECT_GT(disp->play_height, 0);
  EXPECT_EQ(disp->auxbox_lines.size(), (600u - 454u) / 10u);
}

TEST(ScreenModes, OfferedOnADesktop) {
  // 1024x768 is not offered on 1366x768: its height is not smaller.
  EXPECT_EQ(offered_modes(1366, 768), (std::vector<int>{0, 2, 9}));
  // On 1920x1080 everything but 1366 (not a multiple of 4) is offered.
  std::vector<int> full = offered_modes(1920, 1080);
  EXPECT_EQ(full.size(), 15u);
  EXPECT_EQ(std::count(full.begin(), full.end(), 9), 0);
  EXPECT_EQ(offered_modes(800, 600), (std::vector<int>{0}));
}

TEST(Hotbar, ButtonsAreCentredOverThePlayArea) {
  struct {
    int count;
    bool top, large_font;
    int first_x, y;
  } cases[] = {
      // (568 / 2) - (44 * 8 - 10) / 2 = 284 - 171; y = 505 - 34 - 10.
      {8, false, false, 113, 461},
      // 44 * 16 - 10 = 694 is wider than 568: two rows of 8, the command
      // row one step above the slot row, or below it at the top.
      {16, false, false, 113, 417},
      {16, true, false, 113, 91},
      {8, true, false, 113, 47},
      {8, false, true, 113, 386},
  };
  for (auto& c : cases) {
    auto places = hotbar_places(800, 232, 505, c.count, c.top, 40, c.large_font);
    ASSERT_EQ(places.size(), static_cast<size_t>(c.count));
    EXPECT_EQ(places[0].x, c.first_x);
    EXPECT_EQ(places[1].x - places[0].x, 44);
    EXPECT_EQ(places.back().y, c.y);
    for (const HotbarPlace& p : places) {
      EXPECT_GE(p.x, 0);
      EXPECT_LE(p.x + HOTBAR_BUTTON_SIZE, 568);
    }
  }
}

}  // namespace
