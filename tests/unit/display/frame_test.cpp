#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/globals.h"
#include "app/server_handlers.h"
#include "input/frame_input.h"
#include "support/sim_keys.h"
#include "support/temp_dir.h"
#include "unit/display/headless.h"
#include "unit/display/text_test_support.h"

namespace {

constexpr int HOTBAR_OPTION = 25;

void set_option(int n, bool on) {
  if (options.get(n) != on) options.toggle_option(n);
}

// The display of an 800 by 600 window over memory bitmaps, with every
// setting a frame reads set here: earlier tests of the program leave theirs.
// The log of the messages printed goes to a folder of the test's own.
class FrameTest : public ::testing::Test {
 protected:
  TempDir dir;
  void SetUp() override {
    headless_allegro(32);
    d.allegro_up = true;
    res_x = 800;
    res_y = 600;
    d.main_font = d.names_font = d.menu_font = d.rune_font = font;
    d.msg_font = nullptr;
    d.large_message_font = d.large_statbox = 0;
    d.tile_size = 32;
    d.box_colour = makecol(64, 48, 32);
    d.scroll_messages_reset();
    d.compute_layout();
    d.msg_palette = make_msg_palette([](int r, int g, int b) { return makecol(r, g, b); });
    d.panel_bitmap = create_bitmap(PANEL_WIDTH, 449);
    clear_to_color(d.panel_bitmap, makecol(0, 0, 200));
    d.record_layers = true;
    level_flag = false;
    d.input_shown = 0;
    d.show_fps = 0;
    d.pause_ms = [](int) {};
    use_simulated_keys();
    gc_interface_mode = MODE_NORMAL;
    me.health[59] = me.health[60] = 0;
    set_option(HOTBAR_OPTION, false);
    clear_to_color(d.play_bitmap, makecol(0, 0, 0));
  }
  void TearDown() override {
    destroy_bitmap(d.panel_bitmap);
    d.panel_bitmap = nullptr;
    d.record_layers = false;
    quit_requested = false;
    use_simulated_keys();
    // The global display must not shut the library down at exit.
    d.allegro_up = false;
  }
  static std::string layers() {
    std::string out;
    for (const char* l : d.frame_layers) out += std::string(out.empty() ? "" : ",") + l;
    return out;
  }
};

TEST_F(FrameTest, LayersComeInTheirOrder) {
  const std::string normal = "play window,talk panel,player status,clock";
  const std::string lower = "input line,minimap,lower panel";
  struct Case {
    const char* what;
    uint8_t cards;
    bool hotbar;
    int mode;
    std::string want;
  } cases[] = {
      {"plain play", 0, false, MODE_NORMAL, normal + ",status line,side panel,messages," + lower},
      {"hotbar on", 0, true, MODE_NORMAL, normal + ",status line,side panel,messages,hotbar," + lower},
      {"hotbar, talking", 0, true, MODE_NPCTALK, normal + ",status line,side panel,messages," + lower},
      {"hotbar over help", 0, true, MODE_HELP, "play window,status line,side panel,messages," + lower},
      {"menu open", 0, false, MODE_QYXMENU, normal + ",menu,status line,side panel,messages," + lower},
      {"a menu page", 0, false, MODE_KEYS, normal + ",menu,status line,side panel,messages," + lower},
      {"cards beat the hotbar", 1, true, MODE_NORMAL,
       normal + ",status line,side panel,messages,cards," + lower},
      {"no cards under the menu", 1, false, MODE_BOXCOLOURS,
       normal + ",menu,status line,side panel,messages," + lower},
  };
  for (const Case& c : cases) {
    level_flag = c.cards;
    set_option(HOTBAR_OPTION, c.hotbar);
    gc_interface_mode = static_cast<uint32_t>(c.mode);
    d.compose_frame();
    EXPECT_EQ(layers(), c.want) << c.what;
  }
}

TEST_F(FrameTest, MessageAreaStatusAndEntryLineReachTheBackBuffer) {
  const int white = makecol(255, 255, 255), black = makecol(0, 0, 0);
  d.print_msg("Hello there");
  d.show_fps = 1;
  fps = 42;
  d.draw_input_line("Say: ", "hi", 2);
  d.compose_frame();
  BITMAP* bb = d.back_buffer;
  // The newest message sits on the bottom row of the eight.
  const int row_y = d.play_height + 10 * 7 + 2;
  EXPECT_GT(count_colour(bb, d.msg_x + 3, row_y, 88, 8, white), 20);
  // The message area's background is the box colour, not black: row 30
  // lies under the fading shade at alpha (200 - 30) * 50 / 200 = 42, and the
  // blender takes 43/256 of each component, rounded up, toward black.
  EXPECT_EQ(getpixel(bb, d.input_width - 10, d.play_height + 30), makecol(53, 39, 26));
  // The fps figure ends at the side panel's edge.
  EXPECT_GT(count_colour(bb, d.panel_x - 16, 0, 16, 8, white), 5);
  // The entry line in its colour at the bottom.
  EXPECT_GT(count_colour(bb, d.msg_x + 3, res_y - 11, 7 * 8, 10, makecol(153, 204, 255)), 10);
  // Panel copied 1:1, black rows under it, the two separators.
  EXPECT_EQ(getpixel(bb, d.panel_x + 5, 5), makecol(0, 0, 200));
  EXPECT_EQ(getpixel(bb, d.panel_x + 5, 449), black);
  EXPECT_EQ(getpixel(bb, 10, d.play_height - 1), black);
  EXPECT_EQ(getpixel(bb, d.input_width + 1, d.play_height + 5), black);
  // Wait screens show the messages on black.
  d.refresh_screen();
  EXPECT_EQ(getpixel(bb, d.input_width - 10, d.play_height + 30), black);
  EXPECT_GT(count_colour(bb, d.msg_x + 3, row_y, 88, 8, white), 20);
  EXPECT_EQ(getpixel(bb, d.panel_x + 5, 5), black);
}

TEST_F(FrameTest, StatusTintOverThePlayWindow) {
  // Green 128 blended at alpha 100 (the blender counts 101/256) or 30 (31/256) over black.
  struct Case {
    int s59, s60, green;
  } cases[] = {{0, 0, 0}, {1, 0, 15}, {0, 1, 50}, {1, 1, 50}};
  for (const Case& c : cases) {
    me.health[59] = static_cast<int16_t>(c.s59);
    me.health[60] = static_cast<int16_t>(c.s60);
    d.compose_frame();
    int px = getpixel(d.back_buffer, 300, 200);
    EXPECT_EQ(getg(px), c.green) << c.s59 << c.s60;
    EXPECT_EQ(getr(px), 0);
  }
}

TEST_F(FrameTest, GameOverLeavesOnQOrTheQuitRequest) {
  struct Case {
    std::vector<int> keys;
    bool quit;
    bool left_waiting;  // a key after the leaving one stays unread
  } cases[] = {
      {{'a', 'x', 'q', 'z'}, false, true},
      {{'b', 'Q'}, false, false},
      {{'a', 'b'}, true, true},
  };
  for (const Case& c : cases) {
    use_simulated_keys();
    quit_requested = false;
    int idle = 0;
    // Keys typed before the message are thrown away; these arrive during the wait.
    press_key('q');
    d.pause_ms = [&](int ms) {
      if (ms != 1) return;
      if (idle++ == 0) {
        for (int k : c.keys) press_key(k);
        if (c.quit) quit_requested = true;
      } else if (idle > 100) {
        quit_requested = true;  // never wait without end in a test
      }
    };
    // Paged back, the prompt would print below the view.
    d.scroll_messages_up();
    d.game_over();
    EXPECT_LE(idle, 2);
    EXPECT_EQ(d.get_last_msg(), "Game over! Press q to quit.");
    EXPECT_EQ(keypressed() != 0, c.left_waiting);
  }
}

// The saved picture's name, size and colour type are the end-to-end case
// "screenshot_key"; here the failures.
TEST_F(FrameTest, ScreenshotNeedsItsFolderAndLeavesNoBrokenPicture) {
  // A missing folder, or a file in its place: the failure and no picture.
  for (bool as_file : {false, true}) {
    if (as_file) fclose(fopen("screenshots", "w"));
    d.screenshot();
    EXPECT_EQ(d.get_last_msg(), "Failed to change into screenshots directory");
  }
  unlink("screenshots");
  ASSERT_EQ(mkdir("screenshots", 0755), 0);
  // A save that fails part way (a full disk) leaves no broken picture.
  struct rlimit saved {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  struct rlimit small = saved;
  small.rlim_cur = 200;
  auto old_handler = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  d.screenshot();
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, old_handler);
  EXPECT_EQ(d.get_last_msg().rfind("Failed to save screenshot screenshots/", 0), 0u) << d.get_last_msg();
  EXPECT_TRUE(std::filesystem::is_empty("screenshots"));
}

}  // namespace
