// Book wrapping and pages, help escapes, talk topics and the talk panel. The
// book's page turn and its second arrival, the help picture and text page and
// a guard's talk panel in play are the end-to-end cases "display_layout" and
// "display_screens".
#include "display/text_windows.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "text_test_support.h"

namespace {

// n lines "l1" .. "ln" ended by character 31.
std::string numbered_lines(int n) {
  std::string s;
  for (int i = 1; i <= n; ++i) s += "l" + std::to_string(i) + (i < n ? "\x1f" : "");
  return s;
}

TEST(TakeWrappedLine, TakesOneLineAndKeepsTheRest) {
  const struct {
    std::string text;
    int width;
    std::string line, rest;
  } cases[] = {
      {"hello world foo", 10, "hello", " world foo"},
      {"world foo", 10, "world foo", ""},
      {"abcdefghijklmno", 10, "abcdefghij", "klmno"},
      {"abcdefghij klm", 10, "abcdefghij", " klm"},
      {"ab\x1f" "cd", 10, "ab", "cd"},
      {"abcdefghijkl\x1f" "mn", 10, "abcdefghij", "kl\x1f" "mn"},
      {"abc de\x1f" "fghijkl mn", 10, "abc de", "fghijkl mn"},
      {"\x1f" "abc", 10, "", "abc"},
      {"   lead  ", 10, "lead", ""},
      {"a bcdefghijk", 10, "a", " bcdefghijk"},
      {"", 10, "", ""},
      {"ab", 0, "a", "b"},
      {"ab", -3, "a", "b"},
  };
  for (const auto& c : cases) {
    std::string_view text = c.text;
    EXPECT_EQ(take_wrapped_line(text, c.width), c.line) << c.text;
    EXPECT_EQ(text, c.rest) << c.text;
  }
}

TEST(Book, LinesAndSpreads) {
  const struct {
    const char* name;
    std::string text;
    std::vector<std::string> lines;  // empty: only the count is checked
    int count, spreads;
  } cases[] = {
      {"40 lines", numbered_lines(40), {}, 40, 1},
      {"41 lines", numbered_lines(41), {}, 41, 2},
      {"80 lines", numbered_lines(80), {}, 80, 2},
      {"empty", "", {}, 0, 1},
      {"wrapped at 25", "The quick brown fox jumps over the lazy dog again",
       {"The quick brown fox", "jumps over the lazy dog", "again"}, 3, 1},
      {"31 mid-word", "abc\x1f" "def", {"abc", "def"}, 2, 1},
      {"blank first line dropped", "\x1f" "a\x1f" "b", {"a", "b"}, 2, 1},
      {"blank inside a column kept", "a\x1f\x1f" "b", {"a", "", "b"}, 3, 1},
      {"blank line 21 dropped", numbered_lines(20) + "\x1f\x1f" "x", {}, 21, 1},
      // The dropped blank keeps a spread from ending in an empty page.
      {"blank line 41 dropped", numbered_lines(40) + "\x1f\x1f", {}, 40, 1},
  };
  for (const auto& c : cases) {
    std::vector<std::string> lines = book_lines(c.text);
    EXPECT_EQ(static_cast<int>(lines.size()), c.count) << c.name;
    if (!c.lines.empty()) {
      EXPECT_EQ(lines, c.lines) << c.name;
    }
    EXPECT_EQ(book_spread_count(lines), c.spreads) << c.name;
  }
  EXPECT_EQ(book_lines(numbered_lines(20) + "\x1f\x1f" "x")[20], "x");
  EXPECT_EQ(book_spread(book_lines(numbered_lines(41)), 2), std::vector<std::string>{"l41"});
  EXPECT_EQ(book_spread(book_lines(numbered_lines(41)), 1).size(), 40u);
  EXPECT_TRUE(book_spread(book_lines(numbered_lines(41)), 3).empty());
}

TEST(Book, PagesStayWithinTheBook) {
  BookState b;
  b.set_text(numbered_lines(90));
  EXPECT_EQ(b.page_count(), 3);
  const std::pair<char, int> steps[] = {{'p', 1}, {'n', 2}, {'n', 3}, {'n', 3}, {'p', 2}};  // p back, n on
  for (const auto& [op, page] : steps) {
    if (op == 'n') b.next_page();
    else b.prev_page();
    EXPECT_EQ(b.page, page);
  }
}

TEST(Help, EscapesColumnsAndColours) {
  const struct {
    std::string line;
    int colour_in;
    std::string chars;
    std::vector<int> columns, colours;
    int colour_out;
  } cases[] = {
      {"ab", HELP_WHITE, "ab", {0, 1}, {0, 0}, HELP_WHITE},
      {"\\tX", HELP_WHITE, "X", {12}, {0}, HELP_WHITE},
      {"a\\Tb", HELP_WHITE, "ab", {0, 22}, {0, 0}, HELP_WHITE},
      {"\\1g\\2r", HELP_WHITE, "gr", {0, 1}, {HELP_GREEN, HELP_RED}, HELP_RED},
      {"x\\\\y", HELP_WHITE, "x\\y", {0, 1, 2}, {0, 0, 0}, HELP_WHITE},
      {"end\\", HELP_WHITE, "end\\", {0, 1, 2, 3}, {0, 0, 0, 0}, HELP_WHITE},
      {"\\zq", HELP_YELLOW, "q", {0}, {HELP_WHITE}, HELP_WHITE},
      {"carried", HELP_TEAL, "carried", {0, 1, 2, 3, 4, 5, 6}, std::vector<int>(7, HELP_TEAL), HELP_TEAL},
      {"\\5", HELP_WHITE, "", {}, {}, HELP_BLUE},
  };
  for (const auto& c : cases) {
    int colour = c.colour_in;
    std::vector<HelpChar> out = layout_help_line(c.line, colour);
    std::string chars;
    std::vector<int> columns, colours;
    for (const HelpChar& h : out) {
      chars += h.ch;
      columns.push_back(h.column);
      colours.push_back(h.colour);
    }
    EXPECT_EQ(chars, c.chars) << c.line;
    EXPECT_EQ(columns, c.columns) << c.line;
    EXPECT_EQ(colours, c.colours) << c.line;
    EXPECT_EQ(colour, c.colour_out) << c.line;
  }
}

TEST(Help, ViewClampsTheScrollAndFitsTheWindow) {
  const struct {
    int scroll, lines, play_h, tile, page, scroll_out, rows;  // the view starts at the scroll
  } cases[] = {
      {0, 100, 608, 32, 50, 0, 60},    {-5, 100, 608, 32, 50, 0, 60},
      {95, 100, 608, 32, 0, 95, 5},    {150, 100, 608, 32, 0, 100, 0},
      {0, 10, 608, 32, 50, 0, 10},     {0, 100, 9, 32, 0, 0, 0},
      {0, 100, 10, 32, 1, 0, 1},       {0, 100, 100, 48, 15, 0, 15},
      {3, 0, 608, 32, 50, 0, 0},
      // Past the last full page of 50: back to it, never a page of blanks.
      {60, 62, 608, 32, 50, 12, 50},   {12, 62, 608, 32, 50, 12, 50},
      {5, 10, 608, 32, 50, 0, 10},
  };
  for (const auto& c : cases) {
    int scroll = c.scroll;
    HelpView v = help_view(scroll, c.lines, c.play_h, c.tile, c.page);
    EXPECT_EQ((std::vector<int>{scroll, v.first, v.rows}),
              (std::vector<int>{c.scroll_out, c.scroll_out, c.rows}))
        << c.scroll << " " << c.play_h;
  }
}

TEST(Help, SampleHelpFileReadsAndHasNoBrokenEscape) {
  std::vector<std::string> lines;
  ASSERT_TRUE(load_help_lines(std::string(ZIB_SOURCE_DIR) + "/gamedata/dat/help.txt", lines));
  EXPECT_GT(lines.size(), 20u);
  int colour = HELP_WHITE;
  for (const std::string& l : lines) {
    std::vector<HelpChar> chars = layout_help_line(l, colour);
    // Left of the side panel at 800 by 600.
    if (!chars.empty()) {
      EXPECT_LE(chars.back().column, 69) << l;
    }
    EXPECT_EQ(l.find('\r'), std::string::npos);
  }
  EXPECT_EQ(colour, HELP_WHITE);  // every coloured run is closed
  std::vector<std::string> none;
  EXPECT_FALSE(load_help_lines("no/such/help.txt", none));
  EXPECT_TRUE(none.empty());
}

TEST(Talk, NpcNameAndTopicCollection) {
  const std::vector<std::pair<std::string, std::string>> names = {
      {"=Guard=", "Guard"}, {"=ab", "a"}, {"==", "=="}, {"Bob", "Bob"}, {"", ""}};
  for (const auto& [recorded, shown] : names) EXPECT_EQ(talk_npc_name(recorded), shown) << recorded;

  const struct {
    std::string text, npc, speaker;
    bool talking, added;
  } cases[] = {
      {"trade", "Bob", "Bob", true, true},  {"BANK", "Bob", "Bob", true, false},
      {"yes", "Bob", "Bob", true, false},   {"No", "Bob", "Bob", true, false},
      {"YeS", "Bob", "Bob", true, false},   {"trade", "Bob", "Ann", true, false},
      {"trade", "Bob", "Bob", false, false}, {"yesterday", "Bob", "Bob", true, true},
  };
  for (const auto& c : cases) {
    std::vector<std::string> topics = {"bank"};
    EXPECT_EQ(collect_talk_topic(topics, c.text, c.npc, c.speaker, c.talking), c.added) << c.text;
    EXPECT_EQ(topics.size(), c.added ? 2u : 1u) << c.text;
  }

  std::vector<ClickRegion> links;
  std::vector<std::string> topics;
  register_talk_topic(links, topics, 1, 2, 3, 4, "yes", "Bob", "Bob", true);
  EXPECT_EQ(get_link_at(links, 2, 3), "yes");  // clickable, but never listed
  EXPECT_TRUE(topics.empty());
}

TEST(Talk, PanelGeometry) {
  const struct {
    int play_height;
    bool large_font;
    int screen_h, topics, base, top, shown;
    std::vector<int> first_region;  // x, y, w, h
  } cases[] = {
      {505, false, 600, 2, 505, 475, 2, {38, 441, 20, 10}},
      {985, false, 1080, 2, 985, 955, 2, {57, 889, 30, 15}},
      {505, true, 600, 1, 425, 405, 1, {38, 371, 20, 10}},
      {100, false, 600, 5, 100, 60, 3, {38, 26, 20, 10}},
      {505, false, 600, 0, 505, 495, 0, {}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> topics;
    for (int i = 0; i < c.topics; ++i) topics.push_back(i == 0 ? "t0" : "topic" + std::to_string(i));
    TalkPanelGeometry g = talk_panel_geometry(topics, c.play_height, c.large_font, c.screen_h);
    EXPECT_EQ((std::vector<int>{g.base, g.top, g.shown}), (std::vector<int>{c.base, c.top, c.shown}))
        << c.play_height;
    ASSERT_EQ(static_cast<int>(g.regions.size()), c.shown);
    if (c.shown == 0) continue;
    const ClickRegion& r = g.regions[0];
    EXPECT_EQ((std::vector<int>{r.x, r.y, r.w, r.h}), c.first_region) << c.play_height;
    EXPECT_EQ(r.text, "t0");
  }
}

struct TextWindowDrawing : ::testing::Test {
  AllegroHeadless allegro;
};

TEST_F(TextWindowDrawing, BookChoosesItsCopyByDepthAndSize) {
  // Play area 568 by 505: a 100 by 80 book is shown 150 by 120 at (209, 192);
  // a 400 by 400 one 1:1 at (84, 52).
  const struct {
    const char* name;
    int depth, play_depth;  // of every bitmap but the play bitmap, and of that
    int pic_w, pic_h;
    bool scaler_called;
    int probe_x, probe_y;  // inside the copied picture
  } cases[] = {
      {"32-bit scales with the 3:2 scaler", 32, 32, 100, 80, true, -1, -1},
      {"16-bit stretches", 16, 16, 100, 80, false, 209 + 140, 192 + 110},
      {"mixed depths copy 1:1", 32, 16, 100, 80, false, 234 + 90, 212 + 70},
      {"too large copies 1:1", 32, 32, 400, 400, false, 84 + 390, 52 + 390},
  };
  for (const auto& c : cases) {
    BITMAP* pic = create_bitmap_ex(c.depth, c.pic_w, c.pic_h);
    BITMAP* work = create_bitmap_ex(c.depth, 800, 800);
    BITMAP* play = create_bitmap_ex(c.play_depth, 800, 800);
    clear_to_color(pic, makecol_depth(c.depth, 200, 180, 140));
    bool called = false;
    BookDraw how{work, play, pic, font, 568, 505, 0, nullptr};
    how.scale_3_2 = [&](BITMAP* s, BITMAP* d, int sx, int sy, int dx, int dy, int w, int h) {
      called = s == work && d == play && sx == 0 && sy == 0 && dx == 209 && dy == 192 && w == 100 && h == 80;
    };
    BookState book;
    book.set_text("Once upon a time");
    draw_book(book, how);
    EXPECT_EQ(called, c.scaler_called) << c.name;
    if (c.probe_x >= 0) {
      EXPECT_EQ(getpixel(play, c.probe_x, c.probe_y), makecol_depth(c.play_depth, 200, 180, 140)) << c.name;
      EXPECT_EQ(getpixel(play, c.probe_x + 20, c.probe_y + 20), 0) << c.name;
    }
    destroy_bitmap(pic);
    destroy_bitmap(work);
    destroy_bitmap(play);
  }
}

TEST_F(TextWindowDrawing, HelpTextAndItsMissingFile) {
  BITMAP* play = create_bitmap_ex(32, 608, 608);
  std::vector<std::string> lines;
  int scroll = 0;
  HelpDraw how{play, font, 608, 32, "no/such/help.txt"};
  draw_help_text(lines, scroll, how);
  EXPECT_GT(count_colour(play, 4, 4, 160, 8, makecol32(255, 255, 255)), 50);  // "Help file not found!"

  lines = {"\\1Green", "still green \\\\", "\\zwhite"};
  how.page_rows = 50;
  scroll = 7;  // past the end: back to the one page there is, never a blank one
  draw_help_text(lines, scroll, how);
  EXPECT_EQ(scroll, 0);
  EXPECT_GT(count_colour(play, 4, 14, 96, 8, makecol32(0, 255, 0)), 20);  // the colour carries to line 2
  EXPECT_GT(count_colour(play, 4, 24, 40, 8, makecol32(255, 255, 255)), 20);

  destroy_bitmap(play);
}

TEST_F(TextWindowDrawing, TalkPanelDrawsOnlyForAPresentNpcAndSwapsItsRegions) {
  BITMAP* work = create_bitmap_ex(32, 800, 800);
  BITMAP* dest = create_bitmap_ex(32, 800, 600);
  clear_to_color(dest, makecol32(255, 0, 255));
  std::vector<ClickRegion> links = {{38, 300, 10, 10, "old panel topic"}, {3, 510, 10, 10, "message box"}};
  TalkDraw how{work, dest, font, 505, 600, false, makecol32(40, 60, 90), nullptr, nullptr};
  int npc_drawn = 0;
  how.draw_npc = [&](BITMAP*, int x, int y) { npc_drawn += x == 3 && y == 469; };
  const std::vector<std::string> topics = {"buy", "sell"};

  draw_talk_panel(topics, "Bob", false, how, links);
  ASSERT_EQ(links.size(), 1u);
  EXPECT_EQ(links[0].text, "message box");
  EXPECT_EQ(count_colour(dest, 0, 0, 800, 600, makecol32(255, 0, 255)), 800 * 600);

  draw_talk_panel(topics, "Bob", true, how, links);
  EXPECT_EQ(npc_drawn, 1);
  EXPECT_EQ(get_link_at(links, 40, 445), "buy");
  EXPECT_EQ(get_link_at(links, 40, 455), "sell");
  EXPECT_EQ(get_link_at(links, 5, 512), "message box");
  // The panel covers x 0..201 from its black band at y 416 down to 504.
  EXPECT_EQ(count_colour(dest, 0, 416, 202, 89, makecol32(255, 0, 255)), 0);
  EXPECT_EQ(count_colour(dest, 0, 0, 800, 600, makecol32(255, 0, 255)), 800 * 600 - 202 * 89);
  destroy_bitmap(work);
  destroy_bitmap(dest);
}

}  // namespace
