// The message box: log, wrapping, codes, regions, entry line and their drawing.
#include "display/message_box.h"

#include <allegro.h>

#include <algorithm>
#include <cctype>

#include "core/string_utils.h"

namespace {

// Colour codes in the order in which colour_code compares them.
constexpr unsigned char CODE_ORDER[] = {9, 10, 11, 12, 16, 17, 18, 19, 20, 21,
                                        22, 23, 24, 25, 26, 27, 28, 29};

struct CodeColour {
  unsigned char code;
  Rgb rgb;
};
constexpr CodeColour CODE_COLOURS[] = {
    {9, {204, 255, 0}},    {10, {209, 185, 255}}, {11, {170, 170, 255}}, {12, {221, 221, 221}},
    {16, {255, 255, 255}}, {17, {255, 255, 153}}, {18, {51, 153, 255}},  {19, {254, 0, 0}},
    {20, {255, 153, 51}},  {21, {102, 255, 102}}, {22, {204, 153, 255}}, {23, {28, 187, 180}},
    {24, {153, 153, 153}}, {25, {229, 101, 59}},  {26, {141, 240, 0}},   {27, {255, 222, 0}},
    {28, {172, 66, 254}},  {29, {0, 255, 0}},
};

// Only real blanks split a line: codes 9 to 12 are white space to isspace,
// and splitting there would drop a colour change.
bool is_split_blank(unsigned char c) { return std::isspace(c) && !is_msg_code(c); }

}  // namespace

bool is_colour_code(unsigned char c) { return (c >= 9 && c <= 12) || (c >= 16 && c <= 29); }
bool is_font_code(unsigned char c) { return c == MSG_FONT_MAIN || c == MSG_FONT_RUNE; }

MsgPalette make_msg_palette(const MakeColour& make) {
  MsgPalette p;
  int white = make(255, 255, 255);
  p.by_code.fill(white);
  for (const CodeColour& cc : CODE_COLOURS) p.by_code[cc.code] = make(cc.rgb.r, cc.rgb.g, cc.rgb.b);
  p.black = make(0, 0, 0);
  p.entry = make(153, 204, 255);
  return p;
}

int colour_code(int colour, const MsgPalette& palette) {
  for (unsigned char code : CODE_ORDER)
    if (palette.by_code[code] == colour) return code;
  return MSG_WHITE;
}

// ---- The log -----------------------------------------------------------------

void MessageLog::add(const std::string& formatted) {
  std::string text = formatted;
  std::replace(text.begin(), text.end(), '_', ' ');

  std::string plain = text;
  if (!plain.empty() && static_cast<unsigned char>(plain[0]) < 32) plain.erase(0, 1);
  messages.push_back(plain);
  while (messages.size() > MESSAGES_KEPT) messages.pop_front();

  const size_t width = static_cast<size_t>(std::max(line_chars_, MSG_MIN_LINE_CHARS));
  carried_rune_ = false;
  std::string work = std::string(1, char(MSG_WHITE)) + text;
  // Each turn stores at least width - 2 characters of the text, so the loop ends.
  while (work.size() > width) {
    size_t keep = width, next = width;
    for (size_t i = width - 1; i >= 2; --i) {
      if (is_split_blank(static_cast<unsigned char>(work[i]))) {
        keep = i;
        next = i + 1;
        break;
      }
    }
    std::string kept = work.substr(0, keep);
    for (unsigned char c : kept) {
      if (is_colour_code(c)) carried_colour_ = c;
      else if (c == MSG_FONT_RUNE) carried_rune_ = true;
      else if (c == MSG_FONT_MAIN) carried_rune_ = false;
    }
    store(kept);
    std::string prefix(1, char(carried_colour_));
    if (carried_rune_) prefix += char(MSG_FONT_RUNE);
    work = prefix + work.substr(next);
  }
  store(work);
}

void MessageLog::store(const std::string& line) {
  MsgLine& newest = lines_[MSG_LOG_LINES - 1];
  if (newest.count > 0 && newest.text == line) {
    ++newest.count;
    return;
  }
  std::move(lines_.begin() + 1, lines_.end(), lines_.begin());
  newest = MsgLine{line, 1};
}

void MessageLog::scroll_up() {
  const int v = MSG_VISIBLE_ROWS;
  scroll_ = scroll_ + v < MSG_LOG_LINES - v ? scroll_ + v : MSG_LOG_LINES - 1 - v;
}

void MessageLog::scroll_down() {
  if (scroll_ > 0) scroll_ = std::max(scroll_ - MSG_VISIBLE_ROWS, 0);
}

void MessageLog::scroll_reset() { scroll_ = 0; }

std::string MessageLog::get_last_msg() const {
  const std::string& t = lines_[std::clamp(MSG_LOG_LINES - 1 - scroll_, 0, MSG_LOG_LINES - 1)].text;
  return t.empty() ? std::string() : t.substr(1);
}

std::string MessageLog::line_text(int i) const {
  if (i < 0 || i >= MSG_LOG_LINES) return std::string();
  return with_repeat_count(lines_[i].text, lines_[i].count);
}

const MsgLine& MessageLog::visible_line(int row, int rows) const {
  return lines_[std::clamp(MSG_LOG_LINES - rows + row - scroll_, 0, MSG_LOG_LINES - 1)];
}

std::string with_repeat_count(const std::string& text, int count) {
  return count >= 2 ? text + format_str(" (x%d)", count) : text;
}

std::string speaker_of_line(const std::string& text) {
  if (text.empty() || static_cast<unsigned char>(text[0]) != MSG_WHITE) return std::string();
  size_t colon = text.find(':');
  return colon == std::string::npos ? std::string() : text.substr(1, colon - 1);
}

// ---- Line layout ---------------------------------------------------------------

LineLayout layout_text_line(const std::string& text, const std::function<int(unsigned char)>& char_width) {
  LineLayout out;
  int pos = 0;
  int colour = MSG_WHITE;
  bool rune = false;
  bool topic_open = false;
  int topic_start = 0;
  std::string topic;
  bool bracket_open = false;
  std::string bracket;
  for (unsigned char c : text) {
    if (is_colour_code(c)) {
      if (c == MSG_TOPIC) {
        topic_open = true;
        topic_start = pos;
        topic.clear();
      } else if (topic_open) {
        // An empty topic would list an empty word and a region with no text.
        if (!topic.empty()) out.topics.push_back({topic_start - 4, pos, topic});
        topic_open = false;
      }
      colour = c;
      continue;
    }
    if (is_font_code(c)) {
      rune = c == MSG_FONT_RUNE;
      continue;
    }
    if (c == '[') {
      bracket_open = true;
      bracket.clear();
    } else if (c == ']') {
      if (bracket_open && !bracket.empty()) out.card_link = bracket;
      bracket_open = false;
    } else if (bracket_open) {
      bracket += char(c);
    }
    out.chars.push_back({char(c), pos, colour, rune});
    if (topic_open) topic += char(c);
    pos += char_width(c);
  }
  return out;
}

// ---- Regions -------------------------------------------------------------------

void add_click_region(std::vector<ClickRegion>& links, int x, int y, int w, int h, const std::string& text) {
  for (const ClickRegion& r : links)
    if (r.x == x && r.y == y) return;
  links.push_back({x, y, w, h, text});
}

std::string get_link_at(const std::vector<ClickRegion>& links, int x, int y) {
  for (const ClickRegion& r : links)
    if (r.x <= x && x <= r.x + r.w && r.y <= y && y < r.y + r.h) return r.text;
  return std::string();
}

void drop_regions_from(std::vector<ClickRegion>& links, int y) {
  std::erase_if(links, [y](const ClickRegion& r) { return r.y >= y; });
}

void drop_regions_above(std::vector<ClickRegion>& links, int y) {
  std::erase_if(links, [y](const ClickRegion& r) { return r.y < y; });
}

// ---- Entry line ----------------------------------------------------------------

EntryLineView entry_line_view(const std::string& prompt, const std::string& text, int caret, int line_chars) {
  EntryLineView v;
  const std::string full = prompt + text;
  const size_t width = static_cast<size_t>(std::max(line_chars, 1));
  size_t start = full.size() > width ? full.size() - width : 0;
  size_t at = 0;
  if (caret != -1) {
    v.has_caret = true;
    at = prompt.size() + static_cast<size_t>(std::clamp(caret, 0, static_cast<int>(text.size())));
    if (at < start) start = at;
  }
  v.visible = full.substr(start, width);
  if (v.has_caret) v.before_caret = full.substr(start, at - start);
  return v;
}

// ---- Drawing -------------------------------------------------------------------

void plain_tint_rect(BITMAP* dest, int x, int y, int w, int h, int colour, int alpha) {
  if (!dest || w <= 0 || h <= 0 || alpha <= 0 || bitmap_color_depth(dest) == 8) return;
  set_trans_blender(255, 255, 255, std::min(alpha, 255));
  drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
  rectfill(dest, x, y, x + w - 1, y + h - 1, colour);
  solid_mode();
}

int fading_shade_alpha(int k) { return (200 - k) * 50 / 200; }

void draw_fading_backdrop(BITMAP* bmp, int x, int y, int w, int black, const TintRectFn& tint) {
  for (int k = 0; k < 200; ++k) {
    if (tint) tint(bmp, x, y + k, w - 1, 1, black, fading_shade_alpha(k));
    else plain_tint_rect(bmp, x, y + k, w - 1, 1, black, fading_shade_alpha(k));
  }
}

namespace {

// One character as a string for Allegro's text routines; the spare zero bytes
// keep a stray multi-byte lead byte from reading past the buffer.
struct OneChar {
  char s[8] = {};
  explicit OneChar(char c) { s[0] = c; }
};

std::function<int(unsigned char)> width_in(FONT* f) {
  return [f](unsigned char c) { return f ? text_length(f, OneChar(char(c)).s) : 8; };
}

}  // namespace

int msg_topic_height(const MsgFonts& fonts) {
  return fonts.large && fonts.msg ? text_height(fonts.msg) - 4 : 10;
}

int msg_row_y(const MsgArea& area, const MsgFonts& fonts, int i) {
  if (fonts.large && fonts.msg) return area.top - 80 + i * (text_height(fonts.msg) - 4);
  return area.top + 10 * i + 2;
}

void draw_text_line(BITMAP* bmp, const std::string& text, int x, int y, const MsgFonts& fonts,
                    const MsgPalette& palette, const TopicSink& on_topic, std::string& card_link) {
  if (text.empty() || !bmp || !fonts.msg) return;
  LineLayout layout = layout_text_line(text, width_in(fonts.msg));
  for (const PlacedChar& pc : layout.chars) {
    FONT* f = pc.rune && fonts.rune ? fonts.rune : fonts.msg;
    int dy = fonts.large && pc.rune ? 10 : 0;
    OneChar one(pc.ch);
    textout_ex(bmp, f, one.s, x + 2 + pc.x, y + 2 + dy, palette.black, -1);
    textout_ex(bmp, f, one.s, x + pc.x, y + dy, palette.by_code[pc.colour_code & 31], -1);
  }
  if (!layout.card_link.empty()) card_link = layout.card_link;
  if (on_topic) {
    const int h = msg_topic_height(fonts);
    for (const TopicSpan& t : layout.topics) on_topic(x + t.x1, y, t.x2 - t.x1, h, t.text);
  }
}

void draw_messages(BITMAP* bmp, const MessageLog& log, const MsgArea& area, bool plain, int box_colour,
                   const MsgDrawTarget& target) {
  if (!bmp || !target.fonts || !target.palette) return;
  const MsgFonts& fonts = *target.fonts;
  const MsgPalette& palette = *target.palette;
  if (!plain && target.backdrop) {
    blit(target.backdrop, bmp, 0, 0, area.msg_x, area.top, area.width, area.screen_h - area.top);
  } else {
    rectfill(bmp, area.msg_x, area.top, area.msg_x + area.width - 1, area.screen_h - 1,
             plain ? palette.black : box_colour);
    if (!plain) draw_fading_backdrop(bmp, area.msg_x, area.top, area.width, palette.black, target.tint);
  }
  if (target.links) drop_regions_from(*target.links, fonts.large ? area.top - 80 : area.top);
  if (target.talk_speaker) target.talk_speaker->clear();
  std::string ignored_link;
  std::string& card_link = target.card_link ? *target.card_link : ignored_link;
  const int rows = std::min(area.rows, MSG_LOG_LINES);
  for (int i = 0; i < rows; ++i) {
    const MsgLine& line = log.visible_line(i, rows);
    std::string text = with_repeat_count(line.text, line.count);
    std::string speaker = speaker_of_line(text);
    if (!speaker.empty() && target.talk_speaker) *target.talk_speaker = speaker;
    draw_text_line(bmp, text, area.msg_x + 3, msg_row_y(area, fonts, i), fonts, palette, target.on_topic,
                   card_link);
  }
}

void draw_input_line(BITMAP* input_bitmap, const std::string& prompt, const std::string& text, int caret,
                     int line_chars, const MsgFonts& fonts, const MsgPalette& palette, int mask_colour) {
  if (!input_bitmap || !fonts.msg) return;
  clear_to_color(input_bitmap, mask_colour);
  EntryLineView v = entry_line_view(prompt, text, caret, line_chars);
  textout_ex(input_bitmap, fonts.msg, v.visible.c_str(), 0, fonts.large ? -3 : 0, palette.entry, -1);
  if (!v.has_caret) return;
  int cx = text_length(fonts.msg, v.before_caret.c_str());
  if (fonts.large) vline(input_bitmap, cx, 3, text_height(fonts.msg) - 4, palette.entry);
  else vline(input_bitmap, cx, 0, 6, palette.entry);
}
