// The list panel through the display: a list emptied under its cursor, and
// the inventory list at 800x600 drawn with the generated art. The keys of an
// open list through the real client are the end-to-end cases "inventory",
// "item_keys" and "market".

#include <allegro.h>
#include <gtest/gtest.h>
#include <loadpng.h>

#include <string>
#include <vector>

#include "app/globals.h"
#include "display/display.h"
#include "display/list_keys.h"
#include "headless.h"
#include "text_test_support.h"
#include "input/options.h"
#include "support/temp_dir.h"

namespace {

constexpr long SHORT_BLADE = 0x181, HILL_BOW = 0x182, ROUND_SHIELD = 0x183, REED_HAT = 0x1b0,
               QUILTED_COAT = 0x1b2, LAMP_OIL = 0x108, BARLEY_BREAD = 0x1c0, SCROLL = 0x11e;

int key(int scancode, int ascii) { return scancode << 8 | ascii; }

class DisplayLists : public ::testing::Test {
 protected:
  void SetUp() override {
    headless_allegro(32);
    TempDir::copy_gamedata("dat");
    common_cfg = ConfigFile("dat/common.cfg");
    common_cfg.load();
    sc.load();
    tiledata.load();
    spells.load();
    wl.reload();
    me.reset();
    items.clear();
    for (long code : {SHORT_BLADE, HILL_BOW, ROUND_SHIELD, REED_HAT, QUILTED_COAT, LAMP_OIL,
                      BARLEY_BREAD, SCROLL})
      list.add(Item(code), code == SCROLL ? 1200 : 1, 0, false);
    d.messages.clear();
    d.curr_display = 0;
    d.list_state = ListState();
    d.list_shown = nullptr;
    d.mouse_shown = 0;
    saved_search_ = options.get(OPT_INV_START_WITH_SEARCH);
    if (saved_search_) options.toggle_option(OPT_INV_START_WITH_SEARCH);
  }
  void TearDown() override {
    if (saved_search_) options.toggle_option(OPT_INV_START_WITH_SEARCH);
    d.list_shown = nullptr;
    d.curr_display = 0;
    d.mouse_shown = 1;
    me.reset();
  }

  TempDir dir_;
  ItemList list;
  bool saved_search_ = false;
};

TEST_F(DisplayLists, ListEmptiedUnderTheCursor) {
  d.list_input(&list, key(KEY_1, '!'), SELECT_NORMAL, false);
  d.show_list_item(&list, Item(LAMP_OIL), SELECT_LAST_DRAWN);
  EXPECT_EQ(d.get_selected_item(), Item(LAMP_OIL));
  // The caller empties the list: no entry is left to select or draw.
  d.list_input(&list, key(KEY_END, 0), SELECT_NORMAL, false);
  list.clear();
  EXPECT_EQ(d.list_cursor_node(), nullptr);
  EXPECT_EQ(d.get_selected_item(), Item(0L));
  EXPECT_EQ(d.list_input(&list, key(KEY_ENTER, 13), SELECT_NORMAL, false), Item(-2L));
  EXPECT_EQ(d.list_input(&list, key(KEY_ENTER, 13), SELECT_READY, false), Item(-1L));
}

// The inventory list as the player sees it on an 800x600 screen, drawn with
// the pictures and fonts that the build generates: the cursor row, the rows
// around it and the detail box under them.
TEST_F(DisplayLists, InventoryPictureAt800x600) {
  const std::string pics = std::string(ZIB_BINARY_DIR) + "/game/pics/";
  BITMAP* special = load_png((pics + "special.png").c_str(), nullptr);
  DATAFILE* main_font = load_datafile_object((pics + "font.dat").c_str(), "font");
  DATAFILE* names_font = load_datafile_object((pics + "names.dat").c_str(), "names");
  ASSERT_NE(special, nullptr);
  ASSERT_NE(main_font, nullptr);
  ASSERT_NE(names_font, nullptr);
  const int saved_x = res_x, saved_y = res_y;
  res_x = 800;
  res_y = 600;
  d.compute_layout();
  BITMAP* screen_bmp = create_bitmap(800, 600);
  clear_to_color(screen_bmp, makecol(0, 0, 0));
  d.back_buffer = screen_bmp;
  d.panel_bitmap = create_bitmap(PANEL_WIDTH, PANEL_HEIGHT);
  d.special = special;
  d.main_font = static_cast<FONT*>(main_font->dat);
  d.names_font = static_cast<FONT*>(names_font->dat);
  d.box_colour = makecol(40, 52, 70);

  d.list_input(&list, key(KEY_1, '!'), SELECT_VIEW_INV, false);
  d.list_input(&list, key(KEY_DOWN, 0), SELECT_VIEW_INV, false);
  d.draw_list_panel(&list, SELECT_LAST_DRAWN, d.back_buffer);

  // Pixels of a colour in a rectangle of the panel, right and bottom edges included.
  auto count = [&](int x0, int y0, int x1, int y1, int colour) {
    return count_colour(screen_bmp, d.panel_x + x0, d.panel_y + y0, x1 - x0 + 1, y1 - y0 + 1, colour);
  };
  // The cursor (the bow) on the fifth row: black bar and a red marker.
  EXPECT_GT(count(49, 59, 231, 68, makecol(0, 0, 0)), 500);
  EXPECT_GT(count(2, 61, 8, 68, makecol(254, 0, 0)), 0);
  // Rows 0..2 are empty, the blade is on row 3, and the scroll (in its
  // spell's colour) is the last entry, on row 10.
  EXPECT_EQ(count(9, 20, 231, 49, makecol(221, 221, 221)), 0);
  EXPECT_GT(count(49, 50, 231, 58, makecol(221, 221, 221)), 10);
  EXPECT_EQ(count(9, 130, 231, 308, makecol(221, 221, 221)), 0);
  // The detail box of the bow starts below the 28 rows in blue.
  EXPECT_GT(count(9, 20 + 10 * 29, 231, 20 + 10 * 29 + 8, makecol(51, 153, 255)), 10);

  d.back_buffer = nullptr;
  d.special = nullptr;
  d.main_font = d.names_font = nullptr;
  destroy_bitmap(d.panel_bitmap);
  d.panel_bitmap = nullptr;
  destroy_bitmap(screen_bmp);
  destroy_bitmap(special);
  unload_datafile_object(main_font);
  unload_datafile_object(names_font);
  res_x = saved_x;
  res_y = saved_y;
  d.compute_layout();
}

}  // namespace
