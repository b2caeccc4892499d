// Book, help and NPC talk windows.
#include "display/text_windows.h"

#include <allegro.h>

#include <algorithm>
#include <cstdio>

#include "core/string_utils.h"
#include "display/layout.h"

// ---- Wrapping and the book ---------------------------------------------------

std::string take_wrapped_line(std::string_view& text, int width) {
  text = trim2_view(text, false);
  const size_t w = static_cast<size_t>(std::max(width, 1));
  const std::string_view candidate = text.substr(0, w);
  size_t end = candidate.find('\x1f');
  if (end != std::string_view::npos) {
    text.remove_prefix(end + 1);
    return std::string(candidate.substr(0, end));
  }
  end = candidate.size();
  if (candidate.size() == w) {
    size_t blank = candidate.find_last_of(' ');
    if (blank != std::string_view::npos && blank > 0) end = blank;
  }
  text.remove_prefix(end);
  return std::string(candidate.substr(0, end));
}

std::vector<std::string> book_lines(const std::string& text) {
  std::vector<std::string> out;
  std::string_view rest = text;
  while (!rest.empty()) {
    std::string line = take_wrapped_line(rest, BOOK_LINE_CHARS);
    if (out.size() % BOOK_COLUMN_LINES == 0 && trim2_view(line, false).empty()) continue;
    out.push_back(std::move(line));
  }
  return out;
}

int book_spread_count(const std::vector<std::string>& lines) {
  const int n = static_cast<int>(lines.size());
  return std::max(1, (n + BOOK_SPREAD_LINES - 1) / BOOK_SPREAD_LINES);
}

std::vector<std::string> book_spread(const std::vector<std::string>& lines, int page) {
  const size_t first = static_cast<size_t>(std::max(page - 1, 0)) * BOOK_SPREAD_LINES;
  if (first >= lines.size()) return {};
  const size_t last = std::min(lines.size(), first + BOOK_SPREAD_LINES);
  return std::vector<std::string>(lines.begin() + first, lines.begin() + last);
}

void BookState::set_text(const std::string& t) {
  has_text = !t.empty();
  lines = book_lines(t);
  page = 1;
}

bool can_scale_3_2(BITMAP* src, BITMAP* dst) {
  return src && dst && bitmap_color_depth(src) == 32 && bitmap_color_depth(dst) == 32;
}

void draw_book(const BookState& book, const BookDraw& how) {
  if (!how.picture || !how.work || !how.play || !how.font || !book.has_text) return;
  const int depth = bitmap_color_depth(how.work);
  // Sprites are drawn between bitmaps of one depth only.
  if (bitmap_color_depth(how.picture) != depth) return;
  const int w = how.picture->w, h = how.picture->h;
  const int ink = makecol_depth(depth, 102, 51, 0);
  const int line_h = text_height(how.font) + 3;

  // The picture's transparent parts show black, not what the work bitmap held.
  rectfill(how.work, 0, 0, w - 1, h - 1, makecol_depth(depth, 0, 0, 0));
  draw_sprite(how.work, how.picture, 0, 0);
  std::vector<std::string> lines = book_spread(book.lines, book.page);
  for (size_t i = 0; i < lines.size(); ++i) {
    const int column = static_cast<int>(i) / BOOK_COLUMN_LINES;
    const int row = static_cast<int>(i) % BOOK_COLUMN_LINES;
    textout_ex(how.work, how.font, lines[i].c_str(), column == 0 ? 33 : 249, 40 + line_h * row, ink, -1);
  }
  textprintf_ex(how.work, how.font, 123, 275, ink, -1, "%d", 2 * book.page - 1);
  textprintf_ex(how.work, how.font, 335, 275, ink, -1, "%d", 2 * book.page);

  clear_bitmap(how.play);
  // Only blit converts between depths; the scaling copies need one depth.
  const bool same_depth = bitmap_color_depth(how.play) == depth;
  if (same_depth && 3 * w < 2 * how.panel_x && 3 * h < 2 * how.play_height) {
    const int dx = (how.panel_x - w * 3 / 2) / 2, dy = (how.play_height - h * 3 / 2) / 2;
    if (how.scale_3_2 && can_scale_3_2(how.work, how.play))
      how.scale_3_2(how.work, how.play, 0, 0, dx, dy, w, h);
    else
      stretch_blit(how.work, how.play, 0, 0, w, h, dx, dy, w * 3 / 2, h * 3 / 2);
  } else {
    blit(how.work, how.play, 0, 0, (how.panel_x - w) / 2, (how.play_height - h) / 2, w, h);
  }
}

// ---- Help text -----------------------------------------------------------------

Rgb help_rgb(int colour) {
  switch (colour) {
    case HELP_GREEN: return {0, 255, 0};
    case HELP_RED: return {254, 0, 0};
    case HELP_TEAL: return {28, 187, 180};
    case HELP_YELLOW: return {255, 222, 0};
    case HELP_BLUE: return {51, 153, 255};
    default: return {255, 255, 255};
  }
}

std::vector<HelpChar> layout_help_line(const std::string& line, int& colour) {
  std::vector<HelpChar> out;
  int column = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (c != '\\' || i + 1 == line.size()) {
      out.push_back({c, column++, colour});
      continue;
    }
    char e = line[++i];
    switch (e) {
      case 't': column = 12; break;
      case 'T': column = 22; break;
      case '1': case '2': case '3': case '4': case '5': colour = e - '0'; break;
      case '\\': out.push_back({'\\', column++, colour}); break;
      default: colour = HELP_WHITE; break;
    }
  }
  return out;
}

bool load_help_lines(const std::string& path, std::vector<std::string>& lines) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::string line;
  while (read_line(f, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  std::fclose(f);
  return true;
}

int clamp_help_scroll(int scroll, int line_count, int page_rows) {
  return std::clamp(scroll, 0, std::max(line_count - std::max(page_rows, 0), 0));
}

HelpView help_view(int& scroll, int line_count, int play_h, int tile_size, int page_rows) {
  scroll = clamp_help_scroll(scroll, line_count, page_rows);
  HelpView v;
  v.first = scroll;
  const int height = play_h * tile_size / 32;
  if (height < HELP_LINE_STEP) return v;
  v.rows = std::min(height / HELP_LINE_STEP, line_count - scroll);
  return v;
}

void draw_help_text(std::vector<std::string>& lines, int& scroll, const HelpDraw& how) {
  if (!how.play || !how.font) return;
  if (lines.empty()) load_help_lines(how.path, lines);
  const int depth = bitmap_color_depth(how.play);
  clear_bitmap(how.play);
  if (lines.empty()) {
    textout_ex(how.play, how.font, "Help file not found!", 4, 4, makecol_depth(depth, 255, 255, 255), -1);
    return;
  }
  HelpView v =
      help_view(scroll, static_cast<int>(lines.size()), how.play_h, how.tile_size, how.page_rows);
  int colour = HELP_WHITE;
  for (int k = 0; k < v.rows; ++k) {
    for (const HelpChar& hc : layout_help_line(lines[v.first + k], colour)) {
      Rgb rgb = help_rgb(hc.colour);
      textprintf_ex(how.play, how.font, 4 + 8 * hc.column, HELP_TOP + HELP_LINE_STEP * k,
                    makecol_depth(depth, rgb.r, rgb.g, rgb.b), -1, "%c", hc.ch);
    }
  }
}

// ---- NPC talk ------------------------------------------------------------------

std::string talk_npc_name(const std::string& recorded) {
  if (recorded.size() > 2 && recorded[0] == '=') return recorded.substr(1, recorded.size() - 2);
  return recorded;
}

bool collect_talk_topic(std::vector<std::string>& topics, const std::string& text, const std::string& npc_name,
                        const std::string& talk_speaker, bool talking) {
  if (!talking || npc_name != talk_speaker) return false;
  const std::string upper = to_upper(text);
  if (upper == "NO" || upper == "YES") return false;
  for (const std::string& t : topics)
    if (to_upper(t) == upper) return false;
  topics.push_back(text);
  return true;
}

void register_talk_topic(std::vector<ClickRegion>& links, std::vector<std::string>& topics, int x, int y, int w,
                         int h, const std::string& text, const std::string& npc_name,
                         const std::string& talk_speaker, bool talking) {
  add_click_region(links, x, y, w, h, text);
  collect_talk_topic(topics, text, npc_name, talk_speaker, talking);
}

TalkPanelGeometry talk_panel_geometry(const std::vector<std::string>& topics, int play_height, bool large_font,
                                      int screen_h) {
  TalkPanelGeometry g;
  g.base = large_font ? play_height - 80 : play_height;
  // Only as many topics as fit above the panel's heading.
  const int room = std::max(0, (g.base - 69) / 10);
  const int n = std::min(static_cast<int>(topics.size()), room);
  g.shown = n;
  g.top = g.base - 10 * n - 10;
  g.large = screen_h > 800;
  for (int i = 0; i < n; ++i) {
    const int len = static_cast<int>(topics[i].size());
    const int y = g.base - 44 - 10 * (n - i);
    g.topic_y.push_back(y);
    if (g.large)
      g.regions.push_back({57, g.base - 66 - 15 * (n - i), 15 * len, 15, topics[i]});
    else
      g.regions.push_back({38, y, 10 * len, 10, topics[i]});
  }
  return g;
}

void draw_talk_panel(const std::vector<std::string>& topics, const std::string& npc_name, bool npc_present,
                     const TalkDraw& how, std::vector<ClickRegion>& links) {
  TalkPanelGeometry g = talk_panel_geometry(topics, how.play_height, how.large_font, how.screen_h);
  drop_regions_above(links, g.base);
  if (!npc_present || !how.work || !how.dest || !how.font) return;
  BITMAP* w = how.work;
  const int depth = bitmap_color_depth(w);
  const int black = makecol_depth(depth, 0, 0, 0);
  const int white = makecol_depth(depth, 255, 255, 255);
  const int grey = makecol_depth(depth, 153, 153, 153);
  const int top = g.top;

  rectfill(w, 0, top - 57, 199, how.play_height - 1, how.box_colour);
  rectfill(w, 0, top - 59, 199, top - 58, black);
  rectfill(w, 200, top - 59, 201, how.play_height - 1, black);
  draw_fading_backdrop(w, 0, top - 57, 199, black, how.tint);
  if (g.shown > 0) line(w, 35, g.base - 36, 41, g.base - 42, grey);
  textout_ex(w, how.font, npc_name.c_str(), 38, top - 52, white, -1);
  hline(w, 38, top - 42, 38 + 8 * static_cast<int>(npc_name.size()), grey);
  for (int i = 0; i < g.shown; ++i) {
    textout_ex(w, how.font, topics[i].c_str(), 38, g.topic_y[i], white, -1);
    const ClickRegion& r = g.regions[i];
    add_click_region(links, r.x, r.y, r.w, r.h, r.text);
  }
  if (how.draw_npc) how.draw_npc(w, 3, g.base - 36);

  if (bitmap_color_depth(how.dest) != depth) return;
  const int src_y = top - 59;
  const int h = how.play_height - src_y;
  if (g.large)
    masked_stretch_blit(w, how.dest, 0, src_y, 202, h, 0, g.base - h * 3 / 2, 303, h * 3 / 2);
  else
    masked_blit(w, how.dest, 0, src_y, 0, src_y, 202, h);
}
