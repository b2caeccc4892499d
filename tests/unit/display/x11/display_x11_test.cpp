// Graphics start-up and mode changes on an X server (run under xvfb-run, one
// process per case, since the graphics library starts once per process). A
// missing tile sheet, special.png or skin, and what the window shows, are
// end-to-end cases ("missing_art", "display_layout", "display_screens").

#include <allegro.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <string>

#include "app/globals.h"
#include "display/display.h"
#include "display/smooth_scaler.h"
#include "support/temp_dir.h"
#include "unit/display/fixture_art.h"

namespace {

class GraphicsStartUp : public testing::Test {
 protected:
  void SetUp() override {
    // No dialog may wait for a click here.
    setenv("ZIB_NO_DIALOGS", "1", 1);
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under xvfb-run";
    // The fixture pictures are written with the library in its display-less
    // form; it is started for real by init.
    ASSERT_EQ(install_allegro(SYSTEM_NONE, &errno, atexit), 0);
    ASSERT_TRUE(fixture_art::write_minimal_set("pics"));
    allegro_exit();
    TempDir::write("client.cfg", "patched=1\n");
    client_cfg.load();
    res_x = 800;
    res_y = 600;
  }

  // A mode setter that refuses the first `refusals` requests.
  static void refuse_modes(int refusals) {
    static int left;
    left = refusals;
    gfx_mode_setter = [](int card, int w, int h) {
      if (left > 0) {
        --left;
        return -1;
      }
      return set_gfx_mode(card, w, h, 0, 0);
    };
  }

  TempDir dir;
};

class ColourDepth : public GraphicsStartUp, public testing::WithParamInterface<int> {};

TEST_P(ColourDepth, OpensTheWindowWithEverythingLoaded) {
  const int depth = GetParam();
  client_cfg.set_int("color_depth", depth);
  res_x = 1024;
  res_y = 700;
  ASSERT_EQ(d.init(false), 0);
  EXPECT_EQ(bitmap_color_depth(screen), depth);
  EXPECT_EQ(SCREEN_W, 1024);
  EXPECT_EQ(SCREEN_H, 700);
  EXPECT_EQ(d.safe_mode, 0);
  // The scaler blends pixels of the mode that is set.
  EXPECT_EQ(scaler_masks().depth, depth);
  ASSERT_NE(d.back_buffer, nullptr);
  EXPECT_EQ(bitmap_color_depth(d.back_buffer), depth);
  EXPECT_EQ(d.back_buffer->w, 1024);
  EXPECT_NE(d.tiles, nullptr);
  EXPECT_NE(d.skin, nullptr);
  EXPECT_NE(d.main_font, nullptr);
  EXPECT_EQ(d.tile_size, 48);
  // Pointer cuts of the fixture: move cursor 1 has red 0, 8 red 210.
  ASSERT_NE(d.move_cursors[7], nullptr);
  EXPECT_EQ(getr_depth(depth, getpixel(d.move_cursors[7], 16, 16)),
            getr_depth(depth, makecol(210, 0, 0)));
  ASSERT_NE(d.cursor_default, nullptr);
  EXPECT_EQ(getb_depth(depth, getpixel(d.cursor_default, 16, 16)),
            getb_depth(depth, makecol(0, 0, 128)));
}

INSTANTIATE_TEST_SUITE_P(Depths, ColourDepth, testing::Values(15, 16, 24, 32));

TEST_F(GraphicsStartUp, FallsBackTo800By600Windowed) {
  res_x = 1024;
  res_y = 768;
  refuse_modes(1);
  ASSERT_EQ(d.init(false), 0);
  EXPECT_EQ(d.safe_mode, 1);
  EXPECT_EQ(SCREEN_W, 800);
  EXPECT_EQ(SCREEN_H, 600);
  EXPECT_EQ(d.panel_x, 568);
  ConfigFile saved("client.cfg");
  saved.load();
  EXPECT_EQ(saved.get("res_x"), "800");
  EXPECT_EQ(saved.get("res_y"), "600");
  // Later sessions leave the safe mode alone.
  EXPECT_EQ(d.reset_switch_mode(), 0);
}

TEST_F(GraphicsStartUp, UnusableColourDepthTakesTheDesktops) {
  client_cfg.set_int("color_depth", 7);
  ASSERT_EQ(d.init(false), 0);
  EXPECT_EQ(bitmap_color_depth(screen), desktop_color_depth());
  EXPECT_EQ(d.safe_mode, 0);
}

TEST_F(GraphicsStartUp, NoModeAtAllFails) {
  refuse_modes(2);
  EXPECT_EQ(d.init(false), 1);
  EXPECT_FALSE(d.allegro_up);
}

TEST_F(GraphicsStartUp, SmallConfiguredSizeIsRaised) {
  res_x = 300;
  res_y = 10;
  ASSERT_EQ(d.init(false), 0);
  EXPECT_EQ(SCREEN_W, 800);
  EXPECT_EQ(SCREEN_H, 600);
  EXPECT_GT(d.input_width, 0);
  ASSERT_NE(d.input_bitmap, nullptr);
}

// The layout options of client.cfg shape the first layout. At 1100 by 680 the
// doubled panel is 464 wide, the plain one 232; the input line is panel_x - 98
// wide and holds (width - 6) / 9 characters of the large font, (width - 6) / 8
// of the plain one. Each option alone moves only what is its own.
struct LayoutCase {
  int statbox, message_font;
  int panel_x, line_chars;
};
void PrintTo(const LayoutCase& c, std::ostream* os) {
  *os << "statbox " << c.statbox << ", message font " << c.message_font;
}
class LayoutOptions : public GraphicsStartUp, public testing::WithParamInterface<LayoutCase> {};

TEST_P(LayoutOptions, ShapeTheFirstLayout) {
  const LayoutCase c = GetParam();
  TempDir::write("client.cfg", "patched=1\nlarge_statbox=" + std::to_string(c.statbox) +
                                   "\nlarge_message_font=" + std::to_string(c.message_font) + "\n");
  client_cfg.load();
  res_x = 1100;
  res_y = 680;
  ASSERT_EQ(d.init(false), 0);
  EXPECT_EQ(d.panel_x, c.panel_x);
  EXPECT_EQ(d.tile_size, 48);
  EXPECT_EQ(d.line_chars, c.line_chars);
}
INSTANTIATE_TEST_SUITE_P(StatboxAndFont, LayoutOptions,
                         testing::Values(LayoutCase{1, 1, 636, 59}, LayoutCase{1, 0, 636, 66},
                                         LayoutCase{0, 1, 868, 84}),
                         [](const testing::TestParamInfo<LayoutCase>& i) {
                           return std::string(i.param.statbox ? "Statbox" : "") +
                                  (i.param.message_font ? "MessageFont" : "");
                         });

TEST_F(GraphicsStartUp, ChangesResolution) {
  ASSERT_EQ(d.init(false), 0);
  d.modes = offered_modes(1280, 1024);
  // Offered modes on the 1280x1024 screen: 800x600, 1024x768, 1100x680,
  // 1152x768, 1152x864, then the ones 1280 wide up to 1024 high.
  ASSERT_EQ(d.set_resolution_index(1), 0);
  EXPECT_EQ(SCREEN_W, 1024);
  EXPECT_EQ(SCREEN_H, 768);
  EXPECT_EQ(d.panel_x, 1024 - 232);
  EXPECT_EQ(d.back_buffer->w, 1024);
  EXPECT_EQ(client_cfg.get_int("fullscreen"), 0);

  // A refused size falls back to 800 by 600.
  refuse_modes(1);
  EXPECT_EQ(d.set_resolution(1100, 680), 1);
  EXPECT_EQ(res_x, 800);
  EXPECT_EQ(SCREEN_W, 800);

  // Nothing works: the old mode and size are kept, not a program without a mode.
  ASSERT_EQ(d.set_resolution(1024, 768), 0);
  refuse_modes(2);
  EXPECT_EQ(d.set_resolution(1152, 864), -2);
  EXPECT_EQ(res_x, 1024);
  EXPECT_EQ(res_y, 768);
  EXPECT_EQ(SCREEN_W, 1024);
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(d.set_resolution_index(99), -2);
}

}  // namespace
