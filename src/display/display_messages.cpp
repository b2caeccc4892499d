// The message box as the display shows it: the log behind print_msg, the
// message area of each frame and the entry line.
#include <allegro.h>

#include <cstdarg>

#include "app/client_app.h"
#include "core/ids.h"
#include "core/interaction_modes.h"
#include "core/log.h"
#include "core/string_utils.h"
#include "display/display.h"

namespace {
constexpr int DEFAULT_LINE_CHARS = 58;
}  // namespace

void QYXDisplay::print_msg(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::string text = vformat_str(fmt, ap);
  va_end(ap);
  // Before the layout is known the log wraps at the smallest screen's width.
  msg_log.set_line_chars(line_chars > 0 ? line_chars : DEFAULT_LINE_CHARS);
  msg_log.add(text);
  echo_msg("msg: %s\n", msg_log.messages.empty() ? "" : msg_log.messages.back().c_str());
  request_frame();
}

void QYXDisplay::print_prompt(const std::string& text) {
  // Only the keys it names are read: with the box paged back the player
  // could not see which.
  msg_log.scroll_reset();
  print_msg("%s", text.c_str());
}

char QYXDisplay::colour_code(int colour) const {
  return static_cast<char>(::colour_code(colour, msg_palette));
}

void QYXDisplay::draw_messages(BITMAP* dest, bool plain) {
  if (!dest || !allegro_up) return;
  MsgFonts fonts{msg_font ? msg_font : main_font, rune_font, large_message_font != 0};
  if (!fonts.msg) return;
  MsgArea area{msg_x, play_height, input_width, res_y, msg_rows};
  const bool talking = gc_interface_mode == MODE_NPCTALK;
  const std::string npc = talk_npc_name(id_table.get_name(app.session.talk_partner_id));
  MsgDrawTarget target;
  target.fonts = &fonts;
  target.palette = &msg_palette;
  target.card_link = &card_link;
  target.talk_speaker = &talk_speaker;
  target.links = &links;
  target.tint = &QYXDisplay::tint_rect;
  target.on_topic = [&](int x, int y, int w, int h, const std::string& text) {
    register_talk_topic(links, talk_topics, x, y, w, h, text, npc, talk_speaker, talking);
  };
  if (!plain) target.backdrop = message_backdrop();
  ::draw_messages(dest, msg_log, area, plain, box_colour, target);
}

void QYXDisplay::draw_input_line(const std::string& prompt, const std::string& text, int caret) {
  input_prompt = prompt;
  input_shown = 1;
  request_frame();
  if (!allegro_up || !input_bitmap) return;
  MsgFonts fonts{msg_font ? msg_font : main_font, rune_font, large_message_font != 0};
  ::draw_input_line(input_bitmap, prompt, text, caret, line_chars, fonts, msg_palette,
                    bitmap_mask_color(input_bitmap));
}

BITMAP* QYXDisplay::shaded_box(ShadedBox& cache, int w, int h, int fill) {
  if (w <= 0 || h <= 0 || !allegro_up) return nullptr;
  // The shade is two hundred translucent rows: drawn once per size and colour.
  if (cache.bmp && (cache.bmp->w != w || cache.bmp->h != h || cache.fill != fill)) {
    destroy_bitmap(cache.bmp);
    cache.bmp = nullptr;
  }
  if (!cache.bmp) {
    cache.bmp = create_bitmap(w, h);
    if (!cache.bmp) return nullptr;
    clear_to_color(cache.bmp, fill);
    draw_fading_backdrop(cache.bmp, 0, 0, w, makecol(0, 0, 0), &QYXDisplay::tint_rect);
    cache.fill = fill;
  }
  return cache.bmp;
}

BITMAP* QYXDisplay::message_backdrop() {
  return shaded_box(msg_backdrop, input_width, res_y - play_height, box_colour);
}
