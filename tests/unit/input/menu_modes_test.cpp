// The menu, help, book, map and binding modes: keys in, modes, settings,
// messages and files out.

#include "input/menu_modes.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "app/client_app.h"
#include "app/globals.h"
#include "display/display.h"
#include "display/menu.h"
#include "display/text_windows.h"
#include "input/keymap.h"
#include "input/options.h"
#include "support/temp_dir.h"
#include "../display/headless.h"

namespace {

int key(int scancode, int ascii = 0) { return scancode << 8 | ascii; }

struct MenuModesTest : ::testing::Test {
  TempDir dir;
  ClientApp a;
  std::function<int(int, int, int)> saved_setter;

  void SetUp() override {
    headless_allegro(32);
    std::filesystem::create_directories("dat");
    client_cfg = ConfigFile("client.cfg");
    common_cfg = ConfigFile("dat/common.cfg");
    keymap.load();
    saved_setter = gfx_mode_setter;
    gfx_mode_setter = [](int, int, int) { return 0; };
    gc_interface_mode = MODE_QYXMENU;
    d.menu_page = 0;
    d.messages.clear();
    session_over = false;
    res_x = 800;
    res_y = 600;
  }
  void TearDown() override {
    gfx_mode_setter = saved_setter;
    gc_interface_mode = MODE_NORMAL;
    session_over = false;
    d.menu_page = 0;
    client_cfg = ConfigFile("client.cfg");
    common_cfg = ConfigFile("dat/common.cfg");
  }
  // One pass that read `k` in the current mode.
  void press(int k) {
    a.session.last_key = k;
    a.session.last_ascii = static_cast<uint8_t>(k & 0xff);
    a.session.last_scancode = k >> 8;
    do_menu_mode(a, static_cast<int>(gc_interface_mode));
  }
  void press_char(char c) { press(key(KEY_A, static_cast<unsigned char>(c))); }
  std::string last_msg() const { return d.messages.empty() ? "<none>" : d.messages.back(); }
};

const int ESC = key(KEY_ESC, 27);

TEST_F(MenuModesTest, MenuPagesAndWaysBack) {
  const struct {
    int mode, page;
    int key;
    int want_mode, want_page;
    bool menu_shown;
  } cases[] = {
      {MODE_QYXMENU, 0, key(KEY_O, 'o'), MODE_OPTIONS, 1, true},
      {MODE_QYXMENU, 0, key(KEY_K, 'k'), MODE_KEYS, 2, true},
      {MODE_QYXMENU, 0, key(KEY_V, 'v'), MODE_VOLUME, 3, true},
      {MODE_QYXMENU, 0, key(KEY_D, 'd'), MODE_RESOLUTION, 4, true},
      {MODE_QYXMENU, 0, key(KEY_C, 'c'), MODE_BOXCOLOURS, 5, true},
      {MODE_QYXMENU, 0, key(KEY_X, 'x'), MODE_QYXMENU, 0, true},
      {MODE_QYXMENU, 0, ESC, MODE_NORMAL, 0, false},
      {MODE_QYXMENU, 0, key(KEY_F12), MODE_NORMAL, 0, false},
      // A key while a page is still shown only brings back the main page.
      {MODE_QYXMENU, 3, key(KEY_O, 'o'), MODE_QYXMENU, 0, true},
      {MODE_QYXMENU, 3, ESC, MODE_QYXMENU, 0, true},
      {MODE_OPTIONS, 1, ESC, MODE_QYXMENU, 0, true},
      {MODE_KEYS, 2, ESC, MODE_QYXMENU, 0, true},
      {MODE_VOLUME, 3, ESC, MODE_QYXMENU, 0, true},
      {MODE_RESOLUTION, 4, ESC, MODE_QYXMENU, 0, true},
      {MODE_BOXCOLOURS, 5, ESC, MODE_QYXMENU, 0, true},
  };
  for (const auto& c : cases) {
    gc_interface_mode = c.mode;
    d.menu_page = c.page;
    press(c.key);
    EXPECT_EQ(gc_interface_mode, static_cast<uint32_t>(c.want_mode)) << c.mode << " " << c.key;
    EXPECT_EQ(d.menu_page, c.want_page) << c.mode << " " << c.key;
    EXPECT_EQ(menu_open(), c.menu_shown) << c.mode << " " << c.key;
  }

  gc_interface_mode = MODE_QYXMENU;
  d.help_scroll = 40;
  press(key(KEY_H, 'h'));
  EXPECT_EQ(gc_interface_mode, MODE_HELP);
  EXPECT_FALSE(menu_open());
  EXPECT_EQ(d.help_scroll, 0);
  EXPECT_EQ(last_msg(), "Viewing help ... press ESC when done.");

  gc_interface_mode = MODE_QYXMENU;
  press(key(KEY_Q, 'q'));
  EXPECT_TRUE(session_over);
  EXPECT_EQ(gc_interface_mode, MODE_NORMAL);
  EXPECT_FALSE(menu_open());
}

TEST_F(MenuModesTest, EveryOptionLetterTogglesItsOption) {
  apply_option_copies();
  const std::string letters = "abcpqderfgshtuvwixyjklzmnoAPBQRST";
  const struct {
    char letter;
    std::function<int()> flag;
    int after;
  } flags[] = {
      {'a', [] { return static_cast<int>(d.hide_bar); }, 1},
      {'c', [] { return static_cast<int>(show_combat_messages); }, 0},
      {'p', [] { return static_cast<int>(d.old_lighting); }, 1},
      {'d', [] { return static_cast<int>(d.show_threat); }, 1},
      {'e', [] { return static_cast<int>(d.mouse_enabled); }, 0},
      {'r', [] { return static_cast<int>(d.dont_show_quake); }, 1},
      {'f', [] { return static_cast<int>(d.show_fps); }, 1},
      {'w', [] { return static_cast<int>(d.smooth_scaling); }, 1},
      {'S', [] { return static_cast<int>(d.large_message_font); }, 1},
      {'T', [] { return static_cast<int>(d.large_statbox); }, 1},
  };
  bool before[OPT_MAX_OPTS];
  for (int n = 0; n < OPT_MAX_OPTS; ++n) before[n] = options.get(n);
  for (int n = 0; n < OPT_MAX_OPTS; ++n) {
    gc_interface_mode = MODE_OPTIONS;
    d.menu_page = 1;
    press_char(letters[n]);
    EXPECT_EQ(gc_interface_mode, MODE_OPTIONS) << letters[n];
    EXPECT_EQ(options.get(n), !before[n]) << letters[n];
    // The page shows the new value.
    const auto rows = menu_rows(MENU_OPTIONS, current_menu_facts());
    const std::string want = std::string(1, letters[n]) + " ) " + (before[n] ? "off " : "on  ");
    int found = 0;
    for (const MenuRow& r : rows) found += r.text.rfind(want, 0) == 0;
    EXPECT_EQ(found, 1) << want;
  }
  for (const auto& f : flags) EXPECT_EQ(f.flag(), f.after) << f.letter;
  // A letter of no option and a case-folded letter change nothing more.
  press_char('U');
  // Setting the resolution again (option 29) stores whether the screen fills
  // the desktop, which puts option 4 back; the other options keep their state.
  for (int n = 0; n < OPT_MAX_OPTS; ++n) {
    if (n == OPT_FULLSCREEN) continue;
    EXPECT_EQ(options.get(n), !before[n]) << n;
  }

  ASSERT_EQ(client_cfg.save(), 0);
  client_cfg = ConfigFile("client.cfg");
  ASSERT_EQ(client_cfg.load(), 0);
  for (int n = 0; n < OPT_MAX_OPTS; ++n) {
    if (n == OPT_FULLSCREEN) continue;
    EXPECT_EQ(options.get(n), !before[n]) << n;
  }
  d.large_message_font = d.large_statbox = 0;
  d.compute_layout();
}

// Where the desktop's depth cannot shade, old lighting stays on whichever
// way its option is flipped; the option itself still flips.
TEST_F(MenuModesTest, OldLightingStaysOnWhereTheDesktopCannotShade) {
  d.shading_unavailable = 1;
  apply_option_copies();
  for (bool want : {true, false}) {
    gc_interface_mode = MODE_OPTIONS;
    d.menu_page = 1;
    press_char('p');
    EXPECT_EQ(options.get(OPT_LIGHTING), want);
    EXPECT_EQ(d.old_lighting, 1) << want;
  }
  d.shading_unavailable = 0;
  apply_option_copies();
}

TEST_F(MenuModesTest, VolumeAndBoxColourSteps) {
  const struct {
    int mode;
    const char* setting;
    int start;
    char key;
    int after;
  } cases[] = {
      {MODE_VOLUME, "volume", 3, 'q', 3},           {MODE_VOLUME, "volume", 5, 'q', 0},
      {MODE_VOLUME, "volume", 252, 'w', 252},       {MODE_VOLUME, "volume", 250, 'w', 255},
      {MODE_VOLUME, "music_volume", 100, 's', 105}, {MODE_BOXCOLOURS, "boxr", 100, 'q', 95},
      {MODE_BOXCOLOURS, "boxg", 250, 's', 255},     {MODE_BOXCOLOURS, "boxb", 251, 'x', 251},
  };
  for (const auto& c : cases) {
    client_cfg.set_int(c.setting, c.start);
    gc_interface_mode = c.mode;
    press_char(c.key);
    EXPECT_EQ(client_cfg.get_int(c.setting), c.after) << c.setting << " " << c.start << " " << c.key;
    EXPECT_EQ(gc_interface_mode, static_cast<uint32_t>(c.mode));
  }
  // The pages show the new figures; the box colour follows the settings.
  client_cfg.set_int("volume", 128);
  gc_interface_mode = MODE_VOLUME;
  press_char('w');
  EXPECT_EQ(menu_rows(MENU_VOLUME, current_menu_facts())[3].text, "Sound: 052 [#####-----]");
  client_cfg.set_int("boxr", 200);
  client_cfg.set_int("boxg", 100);
  client_cfg.set_int("boxb", 55);
  gc_interface_mode = MODE_BOXCOLOURS;
  press_char('x');
  EXPECT_EQ(d.box_colour, makecol(200, 100, 60));
  const auto rows = menu_rows(MENU_COLOURS, current_menu_facts());
  EXPECT_EQ(rows[3].text, "Red:   078 [#######---]");
  EXPECT_EQ(rows[5].text, "Blue:  023 [##--------]");
}

TEST_F(MenuModesTest, ResolutionChoice) {
  d.modes = {0, 1};
  gc_interface_mode = MODE_RESOLUTION;
  press_char('b');
  EXPECT_EQ(res_x, 1024);
  EXPECT_EQ(res_y, 768);
  EXPECT_EQ(client_cfg.get_int("res_x"), 1024);
  EXPECT_EQ(client_cfg.get_int("res_y"), 768);
  EXPECT_EQ(menu_rows(MENU_RESOLUTION, current_menu_facts())[3].text, "b) >1024 x 768");
  // Beyond the offered modes: nothing changes.
  press_char('c');
  press_char('q');
  EXPECT_EQ(res_x, 1024);
  EXPECT_EQ(client_cfg.get_int("res_x"), 1024);
  EXPECT_EQ(gc_interface_mode, MODE_RESOLUTION);
  res_x = 800;
  res_y = 600;
  d.compute_layout();
  d.modes.clear();
}

TEST_F(MenuModesTest, KeyRebinding) {
  common_cfg.set_int("disable_keymap_3", 1);
  gc_interface_mode = MODE_KEYS;
  const struct {
    int key;
    int sub_state;
    const char* message;  // "<none>": nothing printed by this key
  } steps[] = {
      {key(KEY_X, 'x'), 0, "<none>"},
      {key(KEY_4, '4'), 0, "<none>"},  // a disabled action
      {key(KEY_1, '1'), 3, "Press new key for [North: ], or unbind it with ENTER, or cancel with ESC"},
      {key(KEY_F9), 3, "Can't bind to F9 - hit another key or Esc to cancel."},
      {key(KEY_Q, 'q'), 0, "North set to key [Q]"},
      {key(KEY_W, 'w'), 3, "Press new key for [Use: U], or unbind it with ENTER, or cancel with ESC"},
      {key(KEY_A, 'a'), 0, "[Activate] is now unbound!"},
      {key(KEY_8, '8'), 3, "Press new key for [Northwest: ], or unbind it with ENTER, or cancel with ESC"},
      {ESC, 0, "Skipped!"},
      {key(KEY_C, 'c'), 3, "Press new key for [Cast: C], or unbind it with ENTER, or cancel with ESC"},
      {key(KEY_ENTER, 13), 0, "[Cast] is now unbound!"},
  };
  for (const auto& s : steps) {
    d.messages.clear();
    press(s.key);
    EXPECT_EQ(a.session.sub_state, s.sub_state) << s.message;
    EXPECT_EQ(last_msg(), s.message);
    EXPECT_EQ(gc_interface_mode, MODE_KEYS) << s.message;
  }
  EXPECT_EQ(keymap.get_key(KA_NORTH), KEY_Q);
  EXPECT_EQ(keymap.get_key(KA_USE), KEY_A);
  EXPECT_EQ(keymap.get_key(KA_ACTIVATE), 0);
  EXPECT_EQ(keymap.get_key(KA_CAST), 0);
  EXPECT_EQ(keymap.get_key(KA_NORTHWEST), 0);
  // Every change is in the file at once.
  const std::string file = TempDir::read(KEYMAP_FILE);
  for (const char* line : {"North|17 0 0 0\n", "Use|1 0 0 0\n", "Activate|0 0 0 0\n", "Cast|0 0 0 0\n"})
    EXPECT_NE(file.find(line), std::string::npos) << line;

  // Reset needs a 'y'.
  const struct {
    int key;
    int sub_state;
    const char* message;
  } reset[] = {
      {key(KEY_Z, 'Z'), 4, "Are you sure you wish to reset your keymaps? (y/n)"},
      {key(KEY_N, 'n'), 0, "Nevermind."},
      {key(KEY_Z, 'Z'), 4, "Are you sure you wish to reset your keymaps? (y/n)"},
      {key(KEY_Y, 'y'), 0, "Keymaps reset to default."},
  };
  for (const auto& s : reset) {
    press(s.key);
    EXPECT_EQ(a.session.sub_state, s.sub_state) << s.message;
    EXPECT_EQ(last_msg(), s.message);
  }
  EXPECT_EQ(keymap.get_key(KA_NORTH), 0);
  EXPECT_EQ(keymap.get_key(KA_CAST), KEY_C);
  Keymap reread;
  reread.load();
  EXPECT_EQ(reread.get_key(KA_USE), KEY_U);
  EXPECT_EQ(reread.get_key(KA_ACTIVATE), KEY_A);

  press(ESC);
  EXPECT_EQ(gc_interface_mode, MODE_QYXMENU);
  EXPECT_EQ(d.menu_page, 0);
  EXPECT_EQ(a.session.sub_state, 0);
}

TEST_F(MenuModesTest, HelpAndBookPaging) {
  gc_interface_mode = MODE_HELP;
  d.help_index = 0;
  d.help_scroll = 0;
  // At 800 by 600 the message box starts at 600 - 95 = 505, so (505 - 4) / 10
  // = 50 help lines show: PGDN pages by 50 and stops at the last full page.
  d.compute_layout();
  std::vector<std::string> sample;
  ASSERT_TRUE(load_help_lines(std::string(ZIB_SOURCE_DIR) + "/gamedata/dat/help.txt", sample));
  const int last = static_cast<int>(sample.size()) - 50;
  ASSERT_GT(last, 1);
  ASSERT_LT(last, 50);  // two pages
  const std::vector<std::string> long_help(140, "line");  // its last page starts at 90
  const struct {
    const std::vector<std::string>* lines;
    int key;
    int scroll;
  } help[] = {{&sample, key(KEY_PGDN), last},    {&sample, key(KEY_PGDN), last},
              {&sample, key(KEY_UP), last - 1}, {&sample, key(KEY_DOWN), last},
              {&sample, key(KEY_DOWN), last},   {&sample, key(KEY_PGUP), 0},
              {&sample, key(KEY_PGUP), 0},      {&sample, key(KEY_UP), 0},
              {&sample, key(KEY_DOWN), 1},      {&sample, key(KEY_X, 'x'), 1},
              {&long_help, key(KEY_PGDN), 51},  {&long_help, key(KEY_PGDN), 90},
              {&long_help, key(KEY_PGDN), 90},  {&long_help, key(KEY_PGUP), 40},
              {&long_help, key(KEY_PGUP), 0}};
  for (const auto& h : help) {
    d.help_lines = *h.lines;
    press(h.key);
    EXPECT_EQ(d.help_scroll, h.scroll) << h.lines->size() << " " << h.key;
  }
  // Paging from the top reaches every line, and every page is full.
  const std::vector<std::string>* const helps[] = {&sample, &long_help};
  for (const auto* lines : helps) {
    d.help_lines = *lines;
    d.help_scroll = 0;
    std::vector<bool> seen(lines->size());
    for (int page = 0; page < 4; ++page) {
      int shown = 0;
      for (int row = 0; row < 50; ++row) {
        const size_t line = static_cast<size_t>(d.help_scroll + row);
        if (line < seen.size()) seen[line] = true, ++shown;
      }
      EXPECT_EQ(shown, 50) << lines->size() << " lines, page " << page;
      press(key(KEY_PGDN));
    }
    EXPECT_EQ(std::count(seen.begin(), seen.end(), false), 0) << lines->size() << " lines";
  }
  press(key(KEY_SLASH, '?'));
  EXPECT_EQ(d.help_index, 1);
  press(key(KEY_SLASH, '?'));
  EXPECT_EQ(d.help_index, 0);
  press(ESC);
  EXPECT_EQ(gc_interface_mode, MODE_NORMAL);
  EXPECT_EQ(last_msg(), "Done!");

  gc_interface_mode = MODE_BOOK;
  std::string ninety_lines;
  for (int i = 0; i < 90; ++i) ninety_lines += "line\x1f";
  d.set_book_text(ninety_lines);  // three spreads
  const struct {
    int key;
    int page;
  } book[] = {{key(KEY_STOP, '.'), 2}, {key(KEY_RIGHT), 3},   {key(KEY_6_PAD), 3},
              {key(KEY_COMMA, ','), 2}, {key(KEY_LEFT), 1},   {key(KEY_4_PAD), 1},
              {key(KEY_6_PAD, '6'), 2}, {key(KEY_B, 'b'), 2}};
  for (const auto& b : book) {
    press(b.key);
    EXPECT_EQ(d.book.page, b.page) << b.key;
  }
  press(ESC);
  EXPECT_EQ(last_msg(), "Done!");
  EXPECT_EQ(gc_interface_mode, MODE_NORMAL);

  const struct {
    int key;
    bool closes;
  } map[] = {{key(KEY_X, 'x'), false}, {key(KEY_M, 'm'), true}, {ESC, true}};
  for (const auto& m : map) {
    gc_interface_mode = MODE_MAP;
    press(m.key);
    EXPECT_EQ(gc_interface_mode, m.closes ? MODE_NORMAL : MODE_MAP) << m.key;
  }
}

TEST_F(MenuModesTest, HotbarCommandBinding) {
  a.hotbar_button = 3;
  ASSERT_EQ(keymap.find_action(KEY_F5), -1);
  const struct {
    int key;
    int mode;
    const char* message;
  } steps[] = {
      {key(KEY_F5), MODE_BIND_HOTBAR, "Not a command."},
      {ESC, MODE_NORMAL, "Cancelled!"},
      {key(KEY_U, 'u'), MODE_NORMAL, "Bound to Use!"},
  };
  for (const auto& s : steps) {
    gc_interface_mode = MODE_BIND_HOTBAR;
    press(s.key);
    EXPECT_EQ(gc_interface_mode, static_cast<uint32_t>(s.mode)) << s.message;
    EXPECT_EQ(last_msg(), s.message);
  }
  ConfigFile saved("client.cfg");
  ASSERT_EQ(saved.load(), 0);
  EXPECT_EQ(saved.get_int("hotbar3"), KA_USE);

  // A file that cannot be written is reported; the program goes on.
  client_cfg.set_file_name("no such folder/client.cfg");
  a.hotbar_button = 4;
  gc_interface_mode = MODE_BIND_HOTBAR;
  press(key(KEY_L, 'l'));
  EXPECT_EQ(gc_interface_mode, MODE_NORMAL);
  EXPECT_EQ(client_cfg.get_int("hotbar4"), KA_LOOK);
  EXPECT_EQ(last_msg(), "Could not save no such folder/client.cfg; your settings last only until you quit.");
}

}  // namespace
