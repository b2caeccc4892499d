// The intro screens: the pointer's hit areas, the menu's redraw rule, the
// forms' passwords and Enter line, the creation labels and the avatar with its
// overlay. The title, menu and login form in play are the end-to-end cases
// "intro_and_frame" and "display_layout".
#include "display/display_intro.h"

#include <filesystem>

#include "app/client_app.h"
#include "core/config_file.h"
#include "core/skills_classes.h"
#include "core/tiles.h"
#include "support/temp_dir.h"
#include "text_test_support.h"

namespace {

constexpr int AVATAR = 3, AVATAR_PICTURE = 20;
// Colours in the pixel format of the memory bitmaps, set once Allegro is up.
int C1, C2, WHITE, MASK, AVATAR_COLOUR, OVERLAY_COLOUR;
void make_colours() {
  C1 = makecol(200, 200, 160);
  C2 = makecol(255, 208, 64);
  WHITE = makecol(255, 255, 255);
  MASK = makecol(255, 0, 255);
  AVATAR_COLOUR = makecol(48, 112, 224);
  OVERLAY_COLOUR = makecol(224, 48, 48);
}

// A sheet of 32-pixel pictures, 16 to a row: picture n is a square of its own
// colour on the mask colour, the avatar's two frames blue.
BITMAP* make_sheet() {
  BITMAP* b = create_bitmap(16 * 32, 4 * 32);
  clear_to_color(b, MASK);
  for (int n = 0; n < 64; ++n) {
    int x = (n % 16) * 32, y = (n / 16) * 32;
    int colour = n == AVATAR_PICTURE || n == AVATAR_PICTURE + 1
                     ? AVATAR_COLOUR
                     : makecol(40 + (n * 37) % 200, 90 + (n * 53) % 160, 40 + (n * 17) % 120);
    rectfill(b, x, y, x + 31, y + 31, colour);
  }
  return b;
}

struct IntroDrawTest : ::testing::Test {
  AllegroHeadless allegro;
  TempDir dir;
  IntroCanvas canvas;
  IntroFonts fonts;
  IntroColours col;
  IntroSheet sheet;
  Tiles table;
  SkillsClasses classes;
  IntroTexts texts;
  int L = 0;

  void SetUp() override {
    make_colours();
    col = {C1, C2, WHITE, 0, MASK};
    canvas.back = create_bitmap(640, 480);
    canvas.play = create_bitmap(640, 480);
    canvas.work = create_bitmap(96, 96);
    clear_to_color(canvas.back, 0);
    clear_to_color(canvas.play, 0);
    fonts = {font, font, font, font};
    L = intro_line_height(font);
    sheet.tiles = make_sheet();
    sheet.table = &table;
    table.object_tiles[AVATAR] = {AVATAR_PICTURE, 2, 'r', false, false};
    texts = {"QYX", "race", "class", intro_client_line("127.0.0.1", "28889"), {"Valley", "Local"}};
    std::filesystem::create_directories("dat");
    for (const char* f : {"skills.txt", "classes.txt", "races.txt"})
      std::filesystem::copy_file(std::string(ZIB_SOURCE_DIR) + "/gamedata/dat/" + f,
                                 std::string("dat/") + f);
    ASSERT_EQ(classes.load(), 0);
  }
  void TearDown() override {
    for (BITMAP* b : {canvas.back, canvas.play, canvas.work, sheet.tiles, sheet.overlay})
      if (b) destroy_bitmap(b);
  }
  int count_in(int x, int y, int w, int h, int colour) {
    return count_colour(canvas.back, x, y, w, h, colour);
  }
  // Width from the first to the last column holding `colour` in a band.
  static int extent(BITMAP* b, int x, int y, int w, int h, int colour) {
    int lo = -1, hi = -1;
    for (int i = x; i < x + w; ++i)
      for (int j = y; j < y + h; ++j)
        if (getpixel(b, i, j) == colour) {
          if (lo < 0) lo = i;
          hi = i;
        }
    return lo < 0 ? 0 : hi - lo + 1;
  }
  // Extent of a text as the builtin font draws it.
  static int text_extent(const std::string& text) {
    if (text.empty()) return 0;
    BITMAP* b = create_bitmap(text_length(font, text.c_str()), 8);
    clear_to_color(b, 0);
    textout_ex(b, font, text.c_str(), 0, 0, WHITE, -1);
    const int n = extent(b, 0, 0, b->w, b->h, WHITE);
    destroy_bitmap(b);
    return n;
  }
};

}  // namespace

// The form puts the ':' after the configured label, once.
TEST(IntroLayout, CreationLabelsFromTheConfiguration) {
  common_cfg.set("race_label", "folk");
  common_cfg.set("class_label", "calling");
  SkillsClasses classes;
  const CreateView v = intro_create_view(IntroState(), intro_texts(), classes);
  EXPECT_EQ(v.race_label, "Folk:");
  EXPECT_EQ(v.class_label, "Calling:");
}

// The Enter line shows only once the account, the password and the name are typed.
TEST(IntroLayout, CreationEnterLineNeedsEveryText) {
  SkillsClasses classes;
  const struct {
    std::string account, password, name;
    bool shown;
  } cases[] = {{"acct", "pw", "Newbie", true}, {"", "pw", "Newbie", false}, {"acct", "", "Newbie", false},
               {"acct", "pw", "", false}};
  for (const auto& c : cases) {
    IntroState st;
    st.account = c.account;
    st.password = c.password;
    st.new_name = c.name;
    EXPECT_EQ(!intro_create_view(st, intro_texts(), classes).enter_line.empty(), c.shown)
        << c.account << "/" << c.password << "/" << c.name;
  }
}

TEST(IntroLayout, PointerHits) {
  IntroState st;
  const int L = 13;
  const struct {
    int screen;
    bool qyx;
    int fx, fy, kind, index;
  } cases[] = {
      {CONN_MENU, false, 320, 335, HIT_MENU_ENTRY, 1},
      {CONN_MENU, false, 320, 335 + 2 * L + 12, HIT_MENU_ENTRY, 3},
      {CONN_MENU, false, 320, 335 + 3 * L, HIT_NONE, 0},
      {CONN_MENU, true, 320, 325 + 3 * L, HIT_MENU_ENTRY, 4},
      {CONN_MENU, false, 320, 334, HIT_NONE, 0},
      {CONN_MENU, false, 5, 340, HIT_NONE, 0},
      {CONN_LOGIN_FORM, false, 380, 305 + 2 * L + 1, HIT_FIELD, 2},
      {CONN_LOGIN_FORM, false, 250, 315 + 4 * L, HIT_FIELD, 4},
      {CONN_CREATE_FORM, false, 100, 295, HIT_FIELD, 0},
      {CONN_CREATE_FORM, false, 300, 352 + 18, HIT_FIELD, 3},
      {CONN_CREATE_FORM, false, 400, 314, HIT_FIELD, 5},
      {CONN_CREATE_FORM, false, 465, 333 + 10, HIT_LEFT_ARROW, 6},
      {CONN_CREATE_FORM, false, 473 + 112, 352 + 10, HIT_RIGHT_ARROW, 7},
      {CONN_CREATE_FORM, false, 253 + 115, 352 + 10, HIT_RIGHT_ARROW, 3},
      {CONN_CREATE_FORM, false, 320, 425, HIT_FIELD, 8},
      {CONN_CREATE_FORM, false, 320, 380, HIT_NONE, 0},
  };
  for (const auto& c : cases) {
    st.screen = c.screen;
    st.qyx = c.qyx;
    IntroHit h = intro_hit_at(st, c.fx, c.fy, L);
    EXPECT_EQ(std::make_pair(h.kind, h.kind == HIT_NONE ? 0 : h.index), std::make_pair(c.kind, c.index))
        << c.screen << " at " << c.fx << "," << c.fy;
  }
}

TEST_F(IntroDrawTest, MenuEntriesAndRedrawRule) {
  const struct {
    bool qyx;
    int first_y, entries;
  } cases[] = {{false, 335, 3}, {true, 325, 4}};
  for (const auto& c : cases) {
    clear_to_color(canvas.back, 0);
    int shown = 1;
    ASSERT_TRUE(draw_intro_menu(canvas, fonts, col, c.qyx, 2, false, shown));
    EXPECT_EQ(shown, 2);
    for (int k = 1; k <= 4; ++k) {
      int y = c.first_y + (k - 1) * L;
      bool lit = k == 2, there = k <= c.entries;
      EXPECT_EQ(count_in(15, y, 610, L, C2) > 0, lit && there) << c.qyx << " " << k;
      EXPECT_EQ(count_in(15, y, 610, L, C1) > 0, !lit && there) << c.qyx << " " << k;
    }
    // The same selection again draws nothing unless forced.
    clear_to_color(canvas.back, 0);
    EXPECT_FALSE(draw_intro_menu(canvas, fonts, col, c.qyx, 2, false, shown));
    EXPECT_EQ(count_in(0, 0, 640, 480, C1), 0);
    EXPECT_TRUE(draw_intro_menu(canvas, fonts, col, c.qyx, 2, true, shown));
    EXPECT_GT(count_in(0, 0, 640, 480, C1), 0);
  }
}

// A password shows as stars, with the caret only on the active field, and
// the caller's text is left without the caret.
TEST_F(IntroDrawTest, PasswordsShowAsStarsWithTheCaret) {
  const struct {
    bool create;
    int field;
    std::string password, shown;
  } cases[] = {
      {false, 2, "abc", "***_"}, {false, 4, "abc", "***_"},  // the enter line: the caret after the stars
      {false, 0, "abc", "***"},  {false, 0, "", ""},         {true, 2, "pw", "**"}, {true, 1, "", "_"},
  };
  for (const auto& c : cases) {
    clear_to_color(canvas.back, 0);
    IntroState st;
    st.name = "Hero";
    st.account = "acct";
    st.new_name = "Newbie";
    st.password = c.password;
    st.cls = 0;
    st.avatar = AVATAR;
    int x = 253, y = 324, lit = 1;  // the creation form's password value
    if (c.create) {
      st.create_field = c.field;
      draw_create(canvas, fonts, col, sheet, intro_create_view(st, texts, classes), 0);
    } else {
      st.login_field = c.field;
      const LoginView v = intro_login_view(st, texts);
      draw_login(canvas, fonts, col, v);
      EXPECT_EQ(v.password, c.password);
      x = 370, y = 315 + 2 * L, lit = 2;
    }
    EXPECT_EQ(extent(canvas.back, x, y, 100, 8, c.field == lit ? C2 : C1), text_extent(c.shown))
        << c.create << " " << c.field;
  }
}

TEST_F(IntroDrawTest, AvatarDrawnWithOrWithoutTheOverlay) {
  IntroState st;
  st.cls = 0;
  st.avatar = static_cast<int32_t>(0x10000000u | AVATAR);  // asks for overlay row 0
  // No overlay picture: the avatar alone.
  draw_create(canvas, fonts, col, sheet, intro_create_view(st, texts, classes), 1);
  EXPECT_EQ(count_in(473, 357, 32, 32, AVATAR_COLOUR), 32 * 32);
  sheet.overlay = create_bitmap(8 * 32, 2 * 32);
  clear_to_color(sheet.overlay, MASK);
  rectfill(sheet.overlay, 5 * 32, 0, 5 * 32 + 15, 31, OVERLAY_COLOUR);  // frame 1 + 4, left half
  draw_create(canvas, fonts, col, sheet, intro_create_view(st, texts, classes), 1);
  EXPECT_EQ(count_in(473, 357, 32, 32, OVERLAY_COLOUR), 16 * 32);
  EXPECT_EQ(count_in(473, 357, 32, 32, AVATAR_COLOUR), 16 * 32);
  // A frame beyond the record's two stays on its own pictures.
  clear_to_color(canvas.back, 0);
  draw_avatar_preview(canvas, sheet, AVATAR, 100, 50, 3);
  EXPECT_EQ(count_in(100, 50, 96, 96, AVATAR_COLOUR), 96 * 96);
  EXPECT_EQ(avatar_frame_count(sheet, AVATAR), 2);
  EXPECT_EQ(avatar_frame_count(sheet, 0xfff), 1);
}
