// The message box: wrapping, repeat counts, paging, codes, topics, card
// links, regions, the entry line, and drawing into a memory bitmap.
#include "display/message_box.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "text_test_support.h"

namespace {

const std::string W16 = "\x10";  // every message's leading white code

std::vector<std::string> newest_texts(const MessageLog& log, int n) {
  std::vector<std::string> out;
  for (int i = MSG_LOG_LINES - n; i < MSG_LOG_LINES; ++i) out.push_back(log.lines()[i].text);
  return out;
}

TEST(MessageLog, WrapsAtTheLineWidth) {
  const struct {
    const char* name;
    int width;
    std::string text;
    std::vector<std::string> lines;  // the newest lines, oldest first
  } cases[] = {
      {"exactly W with its code", 20, "abcdefghijklmnopqrs", {"", W16 + "abcdefghijklmnopqrs"}},
      {"W + 1 is cut hard", 20, "abcdefghijklmnopqrst", {W16 + "abcdefghijklmnopqrs", W16 + "t"}},
      {"split at the last blank", 20, "hello world this is long", {W16 + "hello world this", W16 + "is long"}},
      {"red carries on", 20, "\x13" + std::string(24, 'r'),
       {W16 + "\x13" + std::string(18, 'r'), "\x13" + std::string(6, 'r')}},
      {"rune font carries on", 20, "\x1f" + std::string(24, 'x'),
       {W16 + "\x1f" + std::string(18, 'x'), W16 + "\x1f" + std::string(6, 'x')}},
      {"rune font switched back", 20, "\x1f" "ab\x1e" + std::string(20, 'c'),
       {W16 + "\x1f" "ab\x1e" + std::string(15, 'c'), W16 + std::string(5, 'c')}},
      // A colour code in the 9..12 range is no blank to split at.
      {"colour 9 is not a blank", 20, std::string(17, 'a') + "\x09" "bbbbb",
       {W16 + std::string(17, 'a') + "\x09" "b", "\x09" "bbbb"}},
      {"tiny width is clamped", 3, "abcdefghijklmnopqrstuvwxyz",
       {W16 + "abcdefghi", W16 + "jklmnopqr", W16 + "stuvwxyz"}},
      {"zero width", 0, "abcdefghijk", {W16 + "abcdefghi", W16 + "jk"}},
      {"negative width", -5, "abcdefghijk", {W16 + "abcdefghi", W16 + "jk"}},
      {"underscores are blanks", 20, "a_b", {"", W16 + "a b"}},
  };
  for (const auto& c : cases) {
    MessageLog log;
    log.set_line_chars(c.width);
    log.add(c.text);
    EXPECT_EQ(newest_texts(log, static_cast<int>(c.lines.size())), c.lines) << c.name;
  }
}

TEST(MessageLog, CountsRepeatsAndKeepsEveryMessage) {
  const struct {
    std::vector<std::string> printed;
    std::vector<std::string> shown;  // line_text of the newest lines
  } cases[] = {
      {{"hello", "hello"}, {"", W16 + "hello (x2)"}},
      {{"hello", "hello", "hello"}, {"", W16 + "hello (x3)"}},
      {{"a", "b", "a"}, {W16 + "a", W16 + "b", W16 + "a"}},
      {{"x", "x", "y"}, {W16 + "x (x2)", W16 + "y"}},
  };
  for (const auto& c : cases) {
    MessageLog log;
    for (const std::string& m : c.printed) log.add(m);
    std::vector<std::string> shown;
    for (int i = MSG_LOG_LINES - static_cast<int>(c.shown.size()); i < MSG_LOG_LINES; ++i)
      shown.push_back(log.line_text(i));
    EXPECT_EQ(shown, c.shown) << c.printed.size();
    EXPECT_EQ(std::vector<std::string>(log.messages.begin(), log.messages.end()), c.printed);
  }
}

TEST(MessageLog, FormatsExternalTextAsAnArgumentAtAnyLength) {
  MessageLog log;
  const std::string big(12000, 'x');
  log.add(big);
  // 11,970 characters fill 210 identical full lines, which collapse into one.
  EXPECT_EQ(log.lines()[98].text, W16 + std::string(57, 'x'));
  EXPECT_EQ(log.lines()[98].count, 210);
  EXPECT_EQ(log.lines()[99].text, W16 + std::string(30, 'x'));
  EXPECT_EQ(log.messages.back(), big);

  log.add("%s%n%d");
  EXPECT_EQ(log.messages.back(), "%s%n%d");
  log.add("\x13You win");
  EXPECT_EQ(log.messages.back(), "You win");
  EXPECT_EQ(log.get_last_msg(), "\x13You win");
}

TEST(MessageLog, PagesByEightBetweenZeroAndNinetyOne) {
  const struct {
    std::string ops;  // u up, d down, r reset
    int scroll;
  } cases[] = {
      {"u", 8}, {"uuuuuuuuuuu", 88}, {"uuuuuuuuuuuu", 91}, {"uuuuuuuuuuuuuu", 91},
      {"d", 0}, {"uud", 8},          {"uuuuuuuuuuuud", 83}, {"uuuuur", 0},
  };
  for (const auto& c : cases) {
    MessageLog log;
    for (char op : c.ops) {
      if (op == 'u') log.scroll_up();
      if (op == 'd') log.scroll_down();
      if (op == 'r') log.scroll_reset();
    }
    EXPECT_EQ(log.scroll(), c.scroll) << c.ops;
  }
}

TEST(MessageLog, ScrolledViewStaysWhilePrintingAndShowsOlderLines) {
  MessageLog log;
  for (int i = 0; i < 20; ++i) log.add("line " + std::to_string(i));
  EXPECT_EQ(log.visible_line(7, 8).text, W16 + "line 19");
  EXPECT_EQ(log.visible_line(0, 8).text, W16 + "line 12");
  log.scroll_up();
  log.add("new");
  EXPECT_EQ(log.scroll(), 8);
  EXPECT_EQ(log.get_last_msg(), "line 12");
  EXPECT_EQ(log.visible_line(7, 8).text, W16 + "line 12");
  log.scroll_up();
  log.scroll_up();
  EXPECT_EQ(log.get_last_msg(), "");  // an unused line
}

TEST(MessageFormat, ColourCodeOfAColourValue) {
  const MsgPalette rgb = make_msg_palette(test_make_colour);
  const struct {
    int r, g, b, code;
  } cases[] = {
      {254, 0, 0, 19},   {255, 0, 0, 16},    {204, 153, 255, 22}, {255, 255, 255, 16},
      {0, 255, 0, 29},   {204, 255, 0, 9},   {221, 221, 221, 12}, {1, 2, 3, 16},
  };
  for (const auto& c : cases) EXPECT_EQ(colour_code(test_make_colour(c.r, c.g, c.b), rgb), c.code) << c.r;
  // When a colour depth makes several code colours equal, the first in order wins.
  const MsgPalette flat = make_msg_palette([](int, int, int) { return 7; });
  EXPECT_EQ(colour_code(7, flat), 9);
  EXPECT_EQ(colour_code(8, flat), 16);
}

TEST(MessageFormat, LaysOutCodesTopicsAndCards) {
  auto w8 = [](unsigned char) { return 8; };
  const struct {
    const char* name;
    std::string text;
    std::vector<TopicSpan> topics;
    std::string card;
    int drawn;  // characters drawn
  } cases[] = {
      {"topic closed by white", "\x10Hi \x16" "bank\x10 ok", {{20, 56, "bank"}}, "", 10},
      {"topic at the end is not clickable", "\x10say \x16secret", {}, "", 10},
      {"second 22 restarts", "\x16" "ab\x16" "cd\x10", {{12, 32, "cd"}}, "", 4},
      {"font codes stay inside", "\x16" "a\x1f" "b\x1e" "c\x13", {{-4, 24, "abc"}}, "", 3},
      {"empty topic is none", "\x10" "a\x16\x10" "b", {}, "", 2},
      {"card name", "\x10see [Fire Bolt] now", {}, "Fire Bolt", 19},
      {"empty brackets", "\x10[]", {}, "", 2},
      {"last card wins", "[a] and [b]", {}, "b", 11},
      {"unclosed bracket", "[abc", {}, "", 4},
  };
  for (const auto& c : cases) {
    LineLayout l = layout_text_line(c.text, w8);
    ASSERT_EQ(l.topics.size(), c.topics.size()) << c.name;
    for (size_t i = 0; i < c.topics.size(); ++i) {
      EXPECT_EQ(std::tie(l.topics[i].x1, l.topics[i].x2, l.topics[i].text),
                std::tie(c.topics[i].x1, c.topics[i].x2, c.topics[i].text)) << c.name;
    }
    EXPECT_EQ(l.card_link, c.card) << c.name;
    EXPECT_EQ(static_cast<int>(l.chars.size()), c.drawn) << c.name;
  }
}

TEST(MessageFormat, SpeakerOfLine) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"\x10" "Bob: hello", "Bob"}, {"Bob: hello", ""}, {"\x10no colon", ""},
      {"\x13" "Bob: hi", ""},         {"\x10: empty", ""}, {"", ""},
  };
  for (const auto& [text, speaker] : cases) EXPECT_EQ(speaker_of_line(text), speaker) << text;
}

TEST(ClickRegions, FirstRegionAtAPlaceWinsAndEdgesAreExact) {
  std::vector<ClickRegion> links;
  add_click_region(links, 10, 20, 30, 10, "first");
  add_click_region(links, 10, 20, 50, 10, "second");
  add_click_region(links, 100, 20, 10, 10, "other");
  ASSERT_EQ(links.size(), 2u);
  const struct {
    int x, y;
    std::string text;
  } cases[] = {
      {10, 20, "first"}, {40, 20, "first"}, {41, 20, ""}, {9, 25, ""},
      {10, 29, "first"}, {10, 30, ""},      {10, 19, ""}, {105, 25, "other"},
  };
  for (const auto& c : cases) EXPECT_EQ(get_link_at(links, c.x, c.y), c.text) << c.x << "," << c.y;

  add_click_region(links, 0, 5, 1, 1, "top");
  drop_regions_from(links, 20);
  ASSERT_EQ(links.size(), 1u);
  EXPECT_EQ(links[0].text, "top");
  add_click_region(links, 0, 50, 1, 1, "low");
  drop_regions_above(links, 20);
  ASSERT_EQ(links.size(), 1u);
  EXPECT_EQ(links[0].text, "low");
}

TEST(EntryLine, ShowsTheTailAndKeepsTheCaretInside) {
  // Prompt "Say: " and 10 characters of room.
  const struct {
    std::string text;
    int caret;
    std::string visible;
    bool has_caret;
    std::string before;
  } cases[] = {
      {"hello", -1, "Say: hello", false, ""},
      {"hello", 2, "Say: hello", true, "Say: he"},
      {"hello world", -1, "ello world", false, ""},
      {"hello world", 11, "ello world", true, "ello world"},
      {"hello world", 3, "ello world", true, "el"},
      {"hello world", 0, "hello worl", true, ""},
      {"hello world", -7, "hello worl", true, ""},
      {"hello world", 99, "ello world", true, "ello world"},
      {"", 0, "Say: ", true, "Say: "},
  };
  for (const auto& c : cases) {
    EntryLineView v = entry_line_view("Say: ", c.text, c.caret, 10);
    EXPECT_EQ(std::tie(v.visible, v.has_caret, v.before_caret), std::tie(c.visible, c.has_caret, c.before))
        << c.text << " " << c.caret;
  }
}

struct MessageDrawing : ::testing::Test {
  AllegroHeadless allegro;
};

TEST_F(MessageDrawing, DrawsLinesAndRegistersTopics) {
  BITMAP* bmp = create_bitmap_ex(32, 470, 200);
  ASSERT_NE(bmp, nullptr);
  clear_to_color(bmp, makecol32(1, 2, 3));
  const MsgPalette palette = make_msg_palette([](int r, int g, int b) { return makecol32(r, g, b); });
  MsgFonts fonts{font, font, false};
  MessageLog log;
  log.set_line_chars((470 - 6) / 8);
  log.add("\x12[Fire Bolt]\x10 is a card.");
  log.add("You hit the rat.");
  log.add("You hit the rat.");
  log.add("\x13The rat bites you!");
  log.add("Bob: Would you like to \x16" "buy\x10 or \x16" "sell\x10?");

  std::vector<ClickRegion> links = {{5, 10, 4, 4, "stays"}, {5, 120, 4, 4, "old box topic"}};
  std::string card, speaker;
  std::vector<std::string> topics;
  MsgDrawTarget target;
  target.fonts = &fonts;
  target.palette = &palette;
  target.card_link = &card;
  target.talk_speaker = &speaker;
  target.links = &links;
  target.on_topic = [&](int x, int y, int w, int h, const std::string& text) {
    add_click_region(links, x, y, w, h, text);
    topics.push_back(speaker + ":" + text);
  };
  const MsgArea area{0, 100, 470, 200, 8};
  draw_messages(bmp, log, area, false, makecol32(40, 60, 90), target);

  EXPECT_EQ(card, "Fire Bolt");
  EXPECT_EQ(speaker, "Bob");
  EXPECT_EQ(topics, (std::vector<std::string>{"Bob:buy", "Bob:sell"}));
  // "Bob: Would you like to " is 23 characters of 8 pixels, from x 3 on row 7.
  ASSERT_EQ(links.size(), 3u);
  EXPECT_EQ(links[0].text, "stays");
  EXPECT_EQ((std::vector<int>{links[1].x, links[1].y, links[1].w, links[1].h}),
            (std::vector<int>{3 + 23 * 8 - 4, 100 + 70 + 2, 3 * 8 + 4, 10}));
  EXPECT_EQ(get_link_at(links, 3 + 31 * 8, 175), "sell");

  // Row 6 is the red line: its text is red and its shadow black.
  EXPECT_GT(count_colour(bmp, 3, 162, 200, 8, makecol32(254, 0, 0)), 20);
  EXPECT_GT(count_colour(bmp, 5, 164, 200, 8, makecol32(0, 0, 0)), 20);
  EXPECT_EQ(count_colour(bmp, 3, 152, 200, 8, makecol32(254, 0, 0)), 0);
  // Nothing is drawn above the message area.
  EXPECT_EQ(count_colour(bmp, 0, 0, 470, 100, makecol32(1, 2, 3)), 470 * 100);

  destroy_bitmap(bmp);
}

TEST_F(MessageDrawing, EntryLineCaretStaysOnTheBitmap) {
  BITMAP* bmp = create_bitmap_ex(32, 100, 50);
  const MsgPalette palette = make_msg_palette([](int r, int g, int b) { return makecol32(r, g, b); });
  MsgFonts fonts{font, font, false};
  const int mask = makecol32(255, 0, 255);
  for (int caret : {-1, -50, 0, 3, 1000}) {
    draw_input_line(bmp, "> ", "some typed text", caret, 10, fonts, palette, mask);
    const int entry = count_colour(bmp, 0, 0, 100, 50, palette.entry);
    EXPECT_GT(entry, 0) << caret;
  }
  // With the caret at the end, its line stands right after the ten shown characters.
  draw_input_line(bmp, "> ", "some typed text", 1000, 10, fonts, palette, mask);
  EXPECT_EQ(count_colour(bmp, 80, 0, 1, 7, palette.entry), 7);
  destroy_bitmap(bmp);
}

}  // namespace
