// The character sheet drawn headlessly into a memory bitmap with the game
// library's built-in font, checked at a few pixels: what the drawing decides
// beyond the rows (gauges, bar, avatar, split colours, the tracked entry). The
// other pages are rows of text: side_panel_pages_test, and in play the
// end-to-end case "display_screens".

#include <allegro.h>
#include <gtest/gtest.h>

#include "display/side_panel.h"
#include "unit/display/headless.h"
#include "unit/display/side_panel_test_world.h"
#include "unit/display/text_test_support.h"

namespace {

using side_panel_test::SidePanelWorld;

// Whether a colour shows in a rectangle, right and bottom edges included.
bool has_colour(BITMAP* b, int x0, int y0, int x1, int y1, int colour) {
  return count_colour(b, x0, y0, x1 - x0 + 1, y1 - y0 + 1, colour) > 0;
}

const PanelRgb BOX{40, 48, 72};
const PanelRgb TRACK_MARK{250, 120, 0};

class SidePanelDrawTest : public SidePanelWorld {
 protected:
  void SetUp() override {
    SidePanelWorld::SetUp();
    headless_allegro(32);
    panel_ = create_bitmap_ex(32, PANEL_WIDTH, PANEL_HEIGHT);
    special_ = create_bitmap_ex(32, 320, 32);
    clear_to_color(special_, makecol(255, 0, 255));
    rectfill(special_, 259, 0, 271, 9, make_colour(TRACK_MARK));
    fonts_.main = font;
    fonts_.names = font;
  }
  void TearDown() override {
    destroy_bitmap(panel_);
    destroy_bitmap(special_);
    SidePanelWorld::TearDown();
  }
  int row_y(int row) const { return panel_row_y(row); }

  BITMAP* panel_ = nullptr;
  BITMAP* special_ = nullptr;
  PanelFonts fonts_;
};

TEST_F(SidePanelDrawTest, CharacterSheet) {
  p.str = 18.6f;
  p.str_bonus = 2;
  p.rage = 100;
  TrackedCreature orc;
  orc.id = 7;
  orc.name = "Orc";
  orc.health = 60;
  orc.second_bar = 30;
  orc.flag = true;
  tracked_creatures = {orc};
  SheetSettings s;
  s.level_entered = true;
  s.player_levels = true;
  s.stat_cap = 90;
  s.target_id = 7;
  SheetState st = compute_sheet_state(p, s);
  st.xp_percent = 100.0f;
  const CharacterSheet sheet = build_character_sheet(p, s, st);
  draw_character_sheet(panel_, fonts_, BOX, sheet, special_,
                       [](BITMAP* cell) { circlefill(cell, 16, 16, 12, makecol(200, 160, 60)); });

  // The panel's frame and its fading top.
  EXPECT_EQ(getpixel(panel_, 0, 300), makecol(0, 0, 0));
  EXPECT_EQ(getpixel(panel_, 100, 300), make_colour(BOX));
  EXPECT_LT(getr32(getpixel(panel_, 200, 3)), BOX.r);
  // The rage gauge full and white, with black text.
  EXPECT_EQ(getpixel(panel_, 150, 60), makecol(255, 255, 255));
  EXPECT_TRUE(has_colour(panel_, 9, 56, 80, 63, makecol(0, 0, 0)));
  // The full XP bar behind the spaces of its row.
  ASSERT_GE(sheet.xp_row, 0);
  EXPECT_EQ(getpixel(panel_, 150, row_y(sheet.xp_row) + 3), makecol(141, 17, 249));
  // The avatar square.
  EXPECT_EQ(getpixel(panel_, 9 + 16, 2 + 16), makecol(200, 160, 60));
  // A coloured value with its stat name kept white.
  EXPECT_TRUE(has_colour(panel_, 9, row_y(7), 80, row_y(7) + 7, makecol(255, 255, 255)));
  EXPECT_TRUE(has_colour(panel_, 120, row_y(7), 230, row_y(7) + 7, make_colour(RGB_LIGHT_GREEN)));
  EXPECT_FALSE(has_colour(panel_, 9, row_y(7), 120, row_y(7) + 7, make_colour(RGB_LIGHT_GREEN)));
  // The tracked target: gauges, light green text and its mark.
  ASSERT_EQ(sheet.tracked.size(), 1u);
  const int ty = sheet.tracked[0].y;
  EXPECT_TRUE(has_colour(panel_, 9, ty, 100, ty + 7, make_colour(RGB_LIGHT_GREEN)));
  EXPECT_EQ(getpixel(panel_, 120, ty), make_colour(TRACK_MARK));
  EXPECT_EQ(getpixel(panel_, 135, ty + 2), make_colour(RGB_RED));
  EXPECT_EQ(getpixel(panel_, 135, ty + 6), makecol(0, 0, 254));
}

}  // namespace
