// The side panel through the display: the stat box pages drawn into the
// cached panel bitmap without a screen, and the pacing of redraws.

#include <allegro.h>
#include <gtest/gtest.h>

#include "app/client_app.h"
#include "display/display.h"
#include "headless.h"
#include "side_panel_test_world.h"
#include "text_test_support.h"

namespace {

class DisplayPanels : public side_panel_test::SidePanelWorld {
 protected:
  void SetUp() override {
    SidePanelWorld::SetUp();
    headless_allegro(32);
    d.panel_bitmap = create_bitmap(PANEL_WIDTH, PANEL_HEIGHT);
    d.main_font = font;
    d.names_font = font;
    d.box_colour = makecol(32, 48, 64);
    d.curr_display = 0;
    d.statbox_page = 0;
    me = p;  // the world's character: Ada, 100 health, 20 mana
    saved_entered_ = level_entered;
  }
  void TearDown() override {
    destroy_bitmap(d.panel_bitmap);
    d.panel_bitmap = nullptr;
    d.main_font = d.names_font = nullptr;
    d.curr_display = 0;
    d.statbox_page = 0;
    level_entered = saved_entered_;
    me.reset();
    SidePanelWorld::TearDown();
  }
  // Pixels of one colour in a rectangle of the panel, right and bottom edges included.
  static int count(int x0, int y0, int x1, int y1, int colour) {
    return count_colour(d.panel_bitmap, x0, y0, x1 - x0 + 1, y1 - y0 + 1, colour);
  }
  // White text pixels on sheet row i (x 9 on, 8 pixels high).
  static int white_on_row(int row) {
    return count(9, panel_row_y(row), PANEL_WIDTH - 1, panel_row_y(row) + 7,
                 makecol(255, 255, 255));
  }
  bool saved_entered_ = false;
};

TEST_F(DisplayPanels, PlayerstatsDrawsThePageIntoThePanel) {
  const int sentinel = makecol(1, 2, 3);
  struct Case {
    const char* what;
    int page;
    int curr_display;
    bool entered;
    int hp;
    int text_row;       // a row that must show white text, -1 none
    bool health_gauge;  // the health gauge at half: (191,0,0) up to x 115
    bool untouched;     // the panel keeps what it had
  };
  const Case cases[] = {
      {"living character", 0, 0, true, 50, 0, true, false},
      {"dead character", 0, 0, true, 0, 3, false, false},
      {"level not entered: empty sheet", 0, 0, false, 50, -1, false, false},
      {"skills page", 2, 0, true, 50, 0, false, false},
      {"key binds page", 5, 0, true, 50, 0, false, false},
      {"a list is open", 0, 1, true, 50, -1, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    clear_to_color(d.panel_bitmap, sentinel);
    d.statbox_page = c.page;
    d.curr_display = c.curr_display;
    level_entered = c.entered;
    me.hp = c.hp;
    me.health[0] = 1;  // poisoned: shows in the status letters
    EXPECT_EQ(d.playerstats(nullptr), 0);
    EXPECT_EQ(d.status_letters, "P");
    me.health[0] = 0;
    if (c.untouched) {
      EXPECT_EQ(count(0, 0, PANEL_WIDTH - 1, PANEL_HEIGHT - 1, sentinel),
                PANEL_WIDTH * PANEL_HEIGHT);
      continue;
    }
    EXPECT_EQ(count(0, 0, PANEL_WIDTH - 1, PANEL_HEIGHT - 1, sentinel), 0);
    if (c.text_row >= 0) {
      EXPECT_GT(white_on_row(c.text_row), 10);
    } else {
      EXPECT_EQ(count(9, 0, PANEL_WIDTH - 1, PANEL_HEIGHT - 1, makecol(255, 255, 255)), 0);
    }
    // Health 50 of 100 while poisoned is green: (0, 128 * 0.5 + 127, 0).
    const int gauge = makecol(0, 191, 0);
    EXPECT_EQ(count(80, 36, 115, 43, gauge) == 36 * 8, c.health_gauge);
    EXPECT_EQ(count(116, 36, 130, 43, gauge), 0);
  }
}

}  // namespace
