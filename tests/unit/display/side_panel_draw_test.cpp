// Each page of the side panel drawn headlessly into a memory bitmap with the
// game library's built-in font, checked at a few pixels.

#include <allegro.h>
#include <gtest/gtest.h>

#include <string>

#include "display/side_panel.h"
#include "display/side_panel_pages.h"
#include "unit/display/headless.h"
#include "unit/display/side_panel_test_world.h"

namespace {

using side_panel_test::SidePanelWorld;
using side_panel_test::spell_line;

bool has_colour(BITMAP* b, int x0, int y0, int x1, int y1, int colour) {
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x)
      if (getpixel(b, x, y) == colour) return true;
  return false;
}

const PanelRgb BOX{40, 48, 72};
const PanelRgb MARK{10, 200, 30};
const PanelRgb TRACK_MARK{250, 120, 0};

class SidePanelDrawTest : public SidePanelWorld {
 protected:
  void SetUp() override {
    SidePanelWorld::SetUp();
    headless_allegro(32);
    panel_ = create_bitmap_ex(32, PANEL_W, PANEL_H);
    special_ = create_bitmap_ex(32, 320, 32);
    clear_to_color(special_, makecol(255, 0, 255));
    for (int y = 0; y < 32; y += 8)
      for (int x = 0; x < 32; x += 8) rectfill(special_, x + 1, y + 1, x + 6, y + 6, make_colour(MARK));
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
  p.dex_bonus = -2;
  p.rage = 100;
  p.title = "the Bold";
  p.lvl = 3;
  p.set_health(HN_HELD, 1);
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
  s.show_age = true;
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
  // Gauges: half health, full white rage with black text.
  EXPECT_EQ(getpixel(panel_, 100, 40), makecol(191, 0, 0));
  EXPECT_NE(getpixel(panel_, 150, 40), makecol(191, 0, 0));
  EXPECT_EQ(getpixel(panel_, 150, 60), makecol(255, 255, 255));
  EXPECT_TRUE(has_colour(panel_, 9, 56, 80, 63, makecol(0, 0, 0)));
  // The full XP bar behind the spaces of its row.
  ASSERT_GE(sheet.xp_row, 0);
  EXPECT_EQ(getpixel(panel_, 150, row_y(sheet.xp_row) + 3), makecol(141, 17, 249));
  // The avatar square and the name beside it.
  EXPECT_EQ(getpixel(panel_, 9 + 16, 2 + 16), makecol(200, 160, 60));
  EXPECT_TRUE(has_colour(panel_, 49, 5, 72, 12, makecol(255, 255, 255)));
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

// Pages 1 to 4: each row with text shows in its colour, no row past the last
// one is drawn, and each mark stands at the left of its row.
TEST_F(SidePanelDrawTest, PagesDrawTheirRowsAndMarks) {
  p.perk_flags[1] = p.perk_flags[13] = 1;
  p.weapon = Item(0x181L);
  p.ring2 = Item(0x1b8L | ITEM_BIT_UNIDENTIFIED);  // orange
  p.sigil1 = Item(0x1b8L | ITEM_BIT_UNIDENTIFIED);
  p.skills[0] = 3.0f;
  p.skills[1] = 12.0f;
  p.skill_bonuses[1] = 0.5f;  // green
  p.skills[2] = 40.0f;        // grey: not counted in the cap
  std::string lines;
  for (int id = 1; id <= 50; ++id)
    lines += spell_line(id, "Spell" + std::to_string(id), id % 10, id % 3 == 0 ? "Blades" : "Fire");
  load_spells(lines);
  for (int id = 1; id <= 50; ++id) p.add_spell(id);
  const struct {
    const char* what;
    PanelPage page;
  } pages[] = {{"equipment", build_equipment_page(p)},
               {"skills", build_skills_page(p, true, 25)},
               {"spells", build_spells_page(p, 3)},
               {"more spells", build_spells_page(p, 4)}};
  for (const auto& pg : pages) {
    draw_panel_page(panel_, font, BOX, pg.page, special_);
    for (int r = 0; r < PAGE_ROWS; ++r) {
      const PanelRow& row = pg.page.rows[r];
      const bool text = r <= pg.page.last_row && row.text.find_first_not_of(' ') != std::string::npos;
      const int colour = text ? make_colour(row.colour) : makecol(255, 255, 255);
      EXPECT_EQ(has_colour(panel_, 9, row_y(r), 230, row_y(r) + 7, colour), text) << pg.what << " row " << r;
    }
    for (const PageMark& m : pg.page.marks)
      EXPECT_EQ(getpixel(panel_, 12, row_y(m.row) + 3), make_colour(MARK)) << pg.what << " row " << m.row;
  }
}

}  // namespace
