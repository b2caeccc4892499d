#pragma once
// The text windows drawn over the play area: the open book, the help text
// and the NPC talk panel with its clickable topics.
//
// Wrapping, book pages, help escapes and topic collection are plain code; the
// drawing functions take the bitmaps, fonts, colours and figures they need.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "display/layout.h"
#include "display/message_box.h"

struct BITMAP;
struct FONT;

// ---- Wrapping and the book ---------------------------------------------------

// Removes the next line of at most `width` characters from the front of
// `text` and returns it. Character 31 ends a line wherever it stands;
// otherwise a full-width line ends before its last blank (beyond its first
// character). A view, so that taking every line of a long text stays linear.
std::string take_wrapped_line(std::string_view& text, int width);

constexpr int BOOK_LINE_CHARS = 25;
constexpr int BOOK_COLUMN_LINES = 20;
constexpr int BOOK_SPREAD_LINES = 40;

// The lines of a book in reading order. A line that would start a column and
// is blank is dropped, so that no column starts with an empty row.
std::vector<std::string> book_lines(const std::string& text);
// Spreads (two facing pages) a book of these lines needs; at least 1.
int book_spread_count(const std::vector<std::string>& lines);
// The lines of spread `page` (from 1): up to 20 for the left page, then up to
// 20 for the right.
std::vector<std::string> book_spread(const std::vector<std::string>& lines, int page);

// The open book's state. The text is wrapped once, when it arrives: a frame
// draws its spread from the lines, however long the book.
struct BookState {
  std::vector<std::string> lines;
  bool has_text = false;  // a text of blanks only has no lines but still opens the book
  int page = 1;

  void set_text(const std::string& t);
  int page_count() const { return book_spread_count(lines); }
  void next_page() {
    if (page < page_count()) ++page;
  }
  void prev_page() {
    if (page > 1) --page;
  }
};

// The 1.5-times scaling blit: (source, destination, sx, sy, dx, dy, w, h).
using ScaleBlitFn = std::function<void(BITMAP*, BITMAP*, int, int, int, int, int, int)>;

struct BookDraw {
  BITMAP* work = nullptr;   // composing bitmap, at least the picture's size
  BITMAP* play = nullptr;   // the play window's bitmap
  BITMAP* picture = nullptr;
  FONT* font = nullptr;
  int panel_x = 0;
  int play_height = 0;
  int mask_colour = 0;
  // Used only when both bitmaps are 32-bit; stretch_blit otherwise.
  ScaleBlitFn scale_3_2;
};
void draw_book(const BookState& book, const BookDraw& how);

// Whether the 1.5-times scaler can copy between these two bitmaps.
bool can_scale_3_2(BITMAP* src, BITMAP* dst);

// ---- Help text -----------------------------------------------------------------

// Colours of the help text: 0 white, then the escapes \1 .. \5.
enum HelpColour { HELP_WHITE = 0, HELP_GREEN, HELP_RED, HELP_TEAL, HELP_YELLOW, HELP_BLUE };
Rgb help_rgb(int colour);

struct HelpChar {
  char ch;
  int column;
  int colour;  // HelpColour
};

// The characters of one help line with their columns; `colour` carries the
// colour from line to line.
std::vector<HelpChar> layout_help_line(const std::string& line, int& colour);

// Reads every line of a help file; false (and nothing read) when it is missing.
bool load_help_lines(const std::string& path, std::vector<std::string>& lines);

// The help scroll kept between the top and the last full page of
// `page_rows` lines, so that paging never runs into an empty page.
int clamp_help_scroll(int scroll, int line_count, int page_rows);

// Which lines the help window shows: `scroll` is clamped first.
struct HelpView {
  int first = 0;
  int rows = 0;
};
HelpView help_view(int& scroll, int line_count, int play_h, int tile_size, int page_rows);

struct HelpDraw {
  BITMAP* play = nullptr;
  FONT* font = nullptr;
  int play_h = 0;
  int tile_size = PLAY_CELL;
  std::string path = "dat/help.txt";
  int page_rows = 0;  // the lines the player sees of those drawn
};
// Draws the help lines from `scroll` on, reading them from the help file
// first while `lines` is empty; "Help file not found!" when there are none.
void draw_help_text(std::vector<std::string>& lines, int& scroll, const HelpDraw& how);

// ---- NPC talk ------------------------------------------------------------------

// The name the server records for an NPC as its speech shows it: a name
// longer than 2 characters starting with '=' loses its first and last character.
std::string talk_npc_name(const std::string& recorded);

// Adds a topic said in colour 22 to the NPC's topics: only while talking, only
// when the line's speaker is the NPC, never "yes" or "no", each word once
// (ignoring case). True when it was added.
bool collect_talk_topic(std::vector<std::string>& topics, const std::string& text, const std::string& npc_name,
                        const std::string& talk_speaker, bool talking);
// What the message box does with each closed talk topic: its click region,
// then the topic list.
void register_talk_topic(std::vector<ClickRegion>& links, std::vector<std::string>& topics, int x, int y, int w,
                         int h, const std::string& text, const std::string& npc_name,
                         const std::string& talk_speaker, bool talking);

struct TalkPanelGeometry {
  int base = 0;   // the top of the message area (80 higher with the large font)
  int top = 0;    // where the topic list begins
  int shown = 0;  // topics that fit
  bool large = false;  // screens taller than 800 pixels show the panel 1.5 times larger
  std::vector<int> topic_y;           // y of each shown topic on the panel
  std::vector<ClickRegion> regions;   // their click regions on the screen
};
TalkPanelGeometry talk_panel_geometry(const std::vector<std::string>& topics, int play_height, bool large_font,
                                      int screen_h);

struct TalkDraw {
  BITMAP* work = nullptr;
  BITMAP* dest = nullptr;
  FONT* font = nullptr;
  int play_height = 0;
  int screen_h = 0;
  bool large_font = false;
  int box_colour = 0;
  TintRectFn tint;
  // Draws the NPC's picture (one 32-pixel tile, mask transparent) at (x, y) of the bitmap.
  std::function<void(BITMAP*, int x, int y)> draw_npc;
};
// The talk panel, drawn every frame while talking: drops the panel's old
// click regions from `links`; then, when the NPC is present, draws the panel
// onto the destination and registers the topics' new regions.
void draw_talk_panel(const std::vector<std::string>& topics, const std::string& npc_name, bool npc_present,
                     const TalkDraw& how, std::vector<ClickRegion>& links);
