#pragma once
// The message box: the log of the last 100 lines at the bottom left of the
// screen, the text format with its colour, font and talk-topic codes, the
// clickable text regions and the one-line entry line.
//
// The deciding (wrapping, repeat counts, paging, codes, topics, card links,
// regions, the entry line's visible part) is plain code over strings; the
// drawing functions at the end are thin layers over Allegro that take every
// bitmap, font, colour and figure they need as arguments.

#include "display/rgb.h"
#include <array>
#include <deque>
#include <functional>
#include <string>
#include <vector>

struct BITMAP;
struct FONT;

// ---- Message-text format ---------------------------------------------------

// Any of these byte values inside a message is a code: it is not drawn and
// takes no width. 9..12 and 16..29 select a colour, 22 also opens a talk
// topic, 30 and 31 switch between the message font and the rune font.
enum MsgCode : unsigned char {
  MSG_WHITE = 16,
  MSG_RED = 19,
  MSG_TOPIC = 22,
  MSG_GREY = 24,
  MSG_YELLOW = 27,
  MSG_FONT_MAIN = 30,
  MSG_FONT_RUNE = 31,
};

bool is_colour_code(unsigned char c);
bool is_font_code(unsigned char c);
inline bool is_msg_code(unsigned char c) { return is_colour_code(c) || is_font_code(c); }

// Builds a colour value in the current colour depth (Allegro's makecol).
using MakeColour = std::function<int(int r, int g, int b)>;

// The colour codes' colour values in one colour depth, indexed by code.
struct MsgPalette {
  std::array<int, 32> by_code{};
  int black = 0;
  int entry = 0;  // the entry line's colour
};
MsgPalette make_msg_palette(const MakeColour& make);

// The code of a colour value: the first code, in the order 9, 10, 11, 12,
// 16 .. 29, whose colour is equal; 16 when none is.
int colour_code(int colour, const MsgPalette& palette);

// ---- The log -----------------------------------------------------------------

struct MsgLine {
  std::string text;  // starts with a colour code
  int count = 0;     // times printed in a row; 0 for an unused line
};

constexpr int MSG_LOG_LINES = 100;
constexpr int MSG_VISIBLE_ROWS = 8;
// Narrower lines could not hold the codes that start a continued line and
// still make progress.
constexpr int MSG_MIN_LINE_CHARS = 10;

class MessageLog {
 public:
  // Appends a message that is already formatted, wrapped at the line width.
  void add(const std::string& text);

  void scroll_up();
  void scroll_down();
  void scroll_reset();

  // The text of the line at the bottom of the view without its leading code.
  std::string get_last_msg() const;
  // Line i (0 oldest .. 99 newest) with " (xN)" when it was printed N >= 2 times.
  std::string line_text(int i) const;
  // The stored line shown in visible row `row` (0 at the top) of `rows`.
  const MsgLine& visible_line(int row, int rows) const;

  void set_line_chars(int w) { line_chars_ = w; }
  int line_chars() const { return line_chars_; }
  int scroll() const { return scroll_; }
  const std::array<MsgLine, MSG_LOG_LINES>& lines() const { return lines_; }

  // Every message as printed, one entry per call, as the player reads it
  // (underscores as blanks, without its leading code); the newest last, at
  // most MESSAGES_KEPT. Tests and headless runs read it.
  static constexpr size_t MESSAGES_KEPT = 1000;
  std::deque<std::string> messages;

 private:
  void store(const std::string& line);

  std::array<MsgLine, MSG_LOG_LINES> lines_{};
  int scroll_ = 0;
  int line_chars_ = 58;
  // Carried from the part of a wrapped message to its continuation.
  int carried_colour_ = 9;
  bool carried_rune_ = false;
};

// " (x%d)" after a text printed `count` >= 2 times in a row.
std::string with_repeat_count(const std::string& text, int count);

// The name before the first ':' of a line that starts with code 16; "" otherwise.
std::string speaker_of_line(const std::string& text);

// ---- Laying out one line of message text -----------------------------------

struct PlacedChar {
  char ch;
  int x;  // offset from the line's x: width in the message font of what came before
  int colour_code;
  bool rune;
};

struct TopicSpan {
  int x1, x2;  // offsets from the line's x
  std::string text;
};

struct LineLayout {
  std::vector<PlacedChar> chars;
  std::vector<TopicSpan> topics;  // closed topics, in order
  std::string card_link;          // the last bracketed text; "" when none
};

// `char_width` gives the width of one character in the message font.
LineLayout layout_text_line(const std::string& text, const std::function<int(unsigned char)>& char_width);

// ---- Clickable regions -------------------------------------------------------

struct ClickRegion {
  int x = 0, y = 0, w = 0, h = 0;
  std::string text;
};

// Appends a region unless one with the same x and y is already listed.
void add_click_region(std::vector<ClickRegion>& links, int x, int y, int w, int h, const std::string& text);
// The text of the first region holding the point (both x edges inside, the
// bottom edge outside); "" when none.
std::string get_link_at(const std::vector<ClickRegion>& links, int x, int y);
void drop_regions_from(std::vector<ClickRegion>& links, int y);   // removes y >= `y`
void drop_regions_above(std::vector<ClickRegion>& links, int y);  // removes y < `y`

// ---- The entry line ----------------------------------------------------------

struct EntryLineView {
  std::string visible;      // the part of prompt + text that is shown
  bool has_caret = false;
  std::string before_caret; // the shown characters left of the caret
};

// `caret` is an index into `text`, or -1 for none; any other value is
// clamped into 0..text length. When the caret would fall among hidden
// leading characters the view starts at the caret instead.
EntryLineView entry_line_view(const std::string& prompt, const std::string& text, int caret, int line_chars);

// ---- Drawing -----------------------------------------------------------------

// A translucent rectangle: w by h at (x, y) in `colour` with `alpha` 0..255.
using TintRectFn = std::function<void(BITMAP* dest, int x, int y, int w, int h, int colour, int alpha)>;
// Used when no tint operation is handed in: a translucent rectangle with
// Allegro's trans blender (nothing in 8-bit modes).
void plain_tint_rect(BITMAP* dest, int x, int y, int w, int h, int colour, int alpha);

// Alpha of row k (0..199) of the fading shade: 50 at the top falling to 0.
int fading_shade_alpha(int k);
void draw_fading_backdrop(BITMAP* bmp, int x, int y, int w, int black, const TintRectFn& tint);

struct MsgFonts {
  FONT* msg = nullptr;
  FONT* rune = nullptr;
  bool large = false;  // the large message font is in use
};

// Called for every closed talk topic with its screen rectangle.
using TopicSink = std::function<void(int x, int y, int w, int h, const std::string& text)>;

// Draws one line of message text with its codes at (x, y); hands every closed
// talk topic to `on_topic` and sets `card_link` to the last bracketed text.
void draw_text_line(BITMAP* bmp, const std::string& text, int x, int y, const MsgFonts& fonts,
                    const MsgPalette& palette, const TopicSink& on_topic, std::string& card_link);

struct MsgArea {
  int msg_x = 0;
  int top = 0;          // play height: the top of the message area
  int width = 0;        // input width
  int screen_h = 0;
  int rows = MSG_VISIBLE_ROWS;
};

// The y of visible row i, and the row height of talk topics.
int msg_row_y(const MsgArea& area, const MsgFonts& fonts, int i);
int msg_topic_height(const MsgFonts& fonts);

// Draws the message area. `plain` gives a black background, otherwise the box
// colour with the fading shade. Drops the message box's old regions from
// `links` first; sets `talk_speaker` before each line that names a speaker.
struct MsgDrawTarget {
  const MsgFonts* fonts = nullptr;
  const MsgPalette* palette = nullptr;
  TopicSink on_topic;
  std::string* card_link = nullptr;
  std::string* talk_speaker = nullptr;
  std::vector<ClickRegion>* links = nullptr;
  TintRectFn tint;
  // The box-colour background with its shade already drawn, the area's
  // size; drawn in place of both when given.
  BITMAP* backdrop = nullptr;
};
void draw_messages(BITMAP* bmp, const MessageLog& log, const MsgArea& area, bool plain, int box_colour,
                   const MsgDrawTarget& target);

// Clears `input_bitmap` to the mask colour and draws the entry line on it.
void draw_input_line(BITMAP* input_bitmap, const std::string& prompt, const std::string& text, int caret,
                     int line_chars, const MsgFonts& fonts, const MsgPalette& palette, int mask_colour);
