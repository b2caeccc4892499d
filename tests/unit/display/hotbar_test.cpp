// The hotbar: the widget hit test, which buttons are live, what a button and
// its tooltip show, and an item's picture on its button. A click on a command
// button and a slot's label in play are the end-to-end case "display_layout".

#include "display/hotbar.h"

#include <allegro.h>
#include <gtest/gtest.h>
#include <loadpng.h>

#include <filesystem>
#include <string>

#include "app/globals.h"
#include "core/utils.h"
#include "input/hotkeys.h"
#include "support/temp_dir.h"
#include "unit/app/app_test_support.h"
#include "unit/display/headless.h"
#include "unit/display/text_test_support.h"

namespace {

constexpr int OPT_COMMAND_HOTBAR = 27;
constexpr long TORCH = 0x190;
constexpr long GEM = 0x10f;
constexpr int WAR_CRY = 7;  // not cast with words
constexpr int MEND = 3;     // cast with words ("ah")

struct HotbarTest : ::testing::Test {
  TempDir dir;
  BITMAP* bar = nullptr;
  uint64_t now_ms = 1000;

  void SetUp() override {
    reset_app_state();
    headless_allegro(32);
    TempDir::copy_gamedata("dat");
    TempDir::copy_gamedata("client.cfg");
    common_cfg.load();
    client_cfg.load();
    sc.load();
    spells.load();
    wl.load();
    tiledata.load();
    me.reset();
    res_x = 800;
    res_y = 600;
    d.make_hotbar();
    for (int j = 0; j < HOTBAR_BUTTONS; ++j) {
      d.hotbar[j].x = 20 + HOTBAR_STEP * j;
      d.hotbar[j].y = 40;
    }
    d.main_font = font;
    d.names_font = font;
    d.play_bitmap = create_bitmap_ex(32, 64, 64);
    bar = create_bitmap_ex(32, 740, 110);
    clear_to_color(bar, makecol(90, 110, 70));
    hotbar_clock_ms = [this] { return now_ms; };
    point_at(0, 0);
  }
  void TearDown() override {
    if (options.get(OPT_COMMAND_HOTBAR)) options.toggle_option(OPT_COMMAND_HOTBAR);
    hotbar_clock_ms = [] { return get_time_us() / 1000; };
    destroy_bitmap(bar);
    destroy_bitmap(d.play_bitmap);
    d.play_bitmap = nullptr;
    d.main_font = nullptr;
    d.names_font = nullptr;
  }
  static void point_at(int px, int py) {
    mouse_x = px;
    mouse_y = py;
  }
};

TEST(WidgetTest, Contains) {
  const struct {
    int x, y;
    bool hidden;
    int px, py;
    bool in;
  } cases[] = {
      // Negative places count from the right or bottom edge of the screen.
      {-40, 10, false, 759, 10, true},  {-40, 10, false, 792, 43, true},  {-40, 10, false, 793, 10, false},
      {-40, 10, false, 758, 10, false}, {20, -50, false, 20, 549, true},  {20, -50, false, 20, 548, false},
      {20, 30, false, 54, 30, false},   {20, 30, false, 53, 63, true},    {20, 30, true, 25, 35, false},
  };
  for (const auto& c : cases) {
    Widget w(c.x, c.y, 34, 34);
    w.hidden = c.hidden;
    EXPECT_EQ(w.contains(c.px, c.py, 800, 600), c.in) << c.x << "," << c.y << " at " << c.px << "," << c.py;
  }
}

TEST_F(HotbarTest, CommandButtonsLiveOnlyWithTheCommandHotbar) {
  const Button& b8 = d.hotbar[8];
  point_at(b8.x + 5, b8.y + 5);
  EXPECT_EQ(d.hotbar_count(), 8);
  EXPECT_FALSE(d.mouse_over_hotbar_button(8));
  EXPECT_FALSE(d.mouse_over_hotbar());
  options.toggle_option(OPT_COMMAND_HOTBAR);
  EXPECT_EQ(d.hotbar_count(), 16);
  EXPECT_TRUE(d.mouse_over_hotbar_button(8));
  EXPECT_TRUE(d.mouse_over_hotbar());
  for (int i : {-1, 16, 17}) EXPECT_FALSE(d.mouse_over_hotbar_button(i)) << i;
}

TEST_F(HotbarTest, ButtonTexts) {
  EXPECT_EQ(hotbar_text_rows("Seventeen letters"), (std::vector<std::string>{"Seve", "ntee", "n le", "tter"}));
  EXPECT_EQ(hotbar_text_rows("Drop"), (std::vector<std::string>{"Drop"}));
  EXPECT_TRUE(hotbar_text_rows("").empty());
  const std::vector<std::string> words = hotbar_word_rows("ah");
  ASSERT_EQ(words.size(), 2u);
  EXPECT_EQ(words[0], Spells::get_word('a').substr(0, 4));
  EXPECT_EQ(words[1], Spells::get_word('h').substr(0, 4));

  me.spell_binds[10] = WAR_CRY;
  me.item_binds[10] = Item(GEM);
  me.spell_binds[11] = MEND;
  me.item_binds[12] = Item(GEM);
  const struct {
    int slot;
    std::string text, keys;
  } rows[] = {
      {10, spells.get_spell_str(WAR_CRY), "SHIFT"},
      {11, spells.get_spell_str(MEND) + " (" + spells.get_full_spell_name(MEND) + ")", "ALT"},
      {12, wl.get_full_name(Item(GEM)), "CTRL+SHIFT"},
      {17, "", "CTRL+RMB"},
      {9, "", ""},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(hotbar_tooltip_text(r.slot), r.text) << r.slot;
    EXPECT_EQ(hotbar_tooltip_keys(r.slot), r.keys) << r.slot;
  }
}

TEST_F(HotbarTest, TooltipAfterTheMouseRests) {
  const int white = makecol(255, 255, 255);
  me.item_binds[10] = Item(GEM);
  client_cfg.set_int("hotbar8", 13);
  options.toggle_option(OPT_COMMAND_HOTBAR);
  const struct {
    int button;
    uint64_t rested_ms;
    bool tooltip;
  } cases[] = {{0, 0, false}, {0, 500, false}, {0, 501, true}, {8, 2000, false}};
  for (const auto& c : cases) {
    const Button& b = d.hotbar[c.button];
    const int mx = b.x + 30, my = b.y + 10;  // clear of the button's own text
    point_at(mx, my);
    d.draw_hotbar(bar);  // the mouse arrives now
    now_ms += c.rested_ms;
    clear_to_color(bar, makecol(0, 0, 0));
    d.draw_hotbar(bar);
    // The tooltip's two lines start 20 pixels right of the pointer.
    const bool drawn = count_colour(bar, mx + 20, my - 5, 150, 20, white) > 0;
    EXPECT_EQ(drawn, c.tooltip) << c.button << " after " << c.rested_ms;
    point_at(0, 0);
    d.draw_hotbar(bar);
  }
}

TEST_F(HotbarTest, EmptySlotAndUnboundCommandShowOnlyTheFrame) {
  options.toggle_option(OPT_COMMAND_HOTBAR);
  client_cfg.set_int("hotbar9", 40);  // no keymap action
  const int background = makecol(90, 110, 70);
  for (int i : {2, 9}) {
    const Button& b = d.hotbar[i];
    clear_to_color(bar, background);
    Button(b).draw(bar);
    EXPECT_EQ(getpixel(bar, b.x, b.y), makecol(48, 48, 48)) << i;
    EXPECT_EQ(getpixel(bar, b.x + 33, b.y + 33), makecol(48, 48, 48)) << i;
    // Inside: one darkening of the background, the same everywhere.
    const int dark = getpixel(bar, b.x + 1, b.y + 1);
    EXPECT_LT(getr(dark), 90) << i;
    EXPECT_EQ(count_colour(bar, b.x + 1, b.y + 1, 32, 32, dark), 32 * 32) << i;
  }
}

TEST_F(HotbarTest, ItemPictureOnItsButton) {
  std::filesystem::copy(ZIB_BINARY_DIR "/game/pics", "pics", std::filesystem::copy_options::recursive);
  ASSERT_EQ(d.load_tiles(), 0);
  d.copy_tile_table();
  d.special = load_png("pics/special.png", nullptr);
  ASSERT_NE(d.special, nullptr);
  items.add(Item(TORCH), 1, 1, false);
  me.item_binds[10] = Item(TORCH);
  app.session.use_ready = 1;
  d.draw_hotbar(bar);
  // The torch's picture fills slot 10's square: no longer the bare dark square.
  const Button& b0 = d.hotbar[0];
  EXPECT_NE(getpixel(bar, b0.x + 16, b0.y + 16), getpixel(bar, d.hotbar[5].x + 16, d.hotbar[5].y + 16));
  destroy_bitmap(d.special);
  d.special = nullptr;
  items.clear();
}

}  // namespace
