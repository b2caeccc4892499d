// Screen layout and modes: the division of the screen from its size, the
// bitmaps that follow a size change, mode changes and display switching.

#include "display/layout.h"

#include <allegro.h>

#include <algorithm>

#include "core/config_file.h"
#include "core/log.h"
#include "display/display.h"
#include "display/message_box.h"
#include "input/options.h"

const ScreenMode mode_table[RESOLUTION_COUNT] = {
    {800, 600},   {1024, 768},  {1100, 680}, {1152, 768}, {1152, 864},  {1280, 768},
    {1280, 800},  {1280, 960},  {1280, 1024}, {1366, 768}, {1440, 900}, {1600, 900},
    {1600, 1024}, {1680, 1050}, {1920, 1040}, {1920, 1080}};

int res_x = MIN_RES_X, res_y = MIN_RES_Y;
int view_radius = 10;

namespace {
constexpr int PLAY_MARGIN_LINES = 95;   // status strip, message area and input line
constexpr int INPUT_LEFT_ROOM = 98;     // beside the input line, for the aux box
constexpr int MSG_AREA_HEIGHT = 80;
constexpr int PLAY_Y = -47;

void switch_callback() {}

void install_switch(bool fullscreen) {
  set_display_switch_mode(fullscreen ? SWITCH_BACKAMNESIA : SWITCH_BACKGROUND);
  set_display_switch_callback(SWITCH_IN, switch_callback);
  set_display_switch_callback(SWITCH_OUT, switch_callback);
}

BITMAP* remake(BITMAP* old, int w, int h) {
  if (old) destroy_bitmap(old);
  BITMAP* b = w > 0 && h > 0 ? create_bitmap(w, h) : nullptr;
  if (b)
    clear_bitmap(b);
  else
    writelog("display: could not create a %d by %d bitmap\n", w, h);
  return b;
}
}  // namespace

void clamp_resolution(int& w, int& h) {
  w = std::clamp(w, MIN_RES_X, MAX_RES_X);
  h = std::clamp(h, MIN_RES_Y, MAX_RES_Y);
}

ScreenLayout compute_screen_layout(int w, int h, bool large_statbox, bool large_message_font,
                                   int skin_w) {
  ScreenLayout l;
  l.panel_w = large_statbox ? PANEL_WIDTH_LARGE : PANEL_WIDTH;
  l.panel_x = w - l.panel_w;
  l.input_width = l.panel_x - INPUT_LEFT_ROOM;
  l.msg_rows = MSG_VISIBLE_ROWS;
  l.msg_height = MSG_AREA_HEIGHT;
  l.line_chars = (l.input_width - 6) / (large_message_font ? 9 : 8);
  l.play_height = h - PLAY_MARGIN_LINES;

  int t = 64;
  if (h < 680)
    t = w > l.panel_w + 928 ? 48 : 32;
  else if (h < 801)
    t = 48;
  if (w > 1600) t = 64;
  l.tile_size = t;

  int k = ((w - l.panel_w) / t) / 2;
  l.view_radius = std::min(k + 2, MAX_VIEW_RADIUS);
  l.play_w = l.play_h = (2 * l.view_radius - 1) * PLAY_CELL;
  l.src_x = l.src_y = PLAY_CELL;

  // The player's cell is centred on the play area's centre, panel_x / 2,
  // which the pointer, the hotbar and the clock strip share: a window wider
  // than its room is cut on both sides, a narrower one has black beside it.
  const int centre_x = l.panel_x / 2;
  l.play_x = centre_x - l.play_w * t / PLAY_CELL / 2;
  l.play_y = PLAY_Y;

  l.skin_x = centre_x - skin_w / 2;
  l.aux_x = l.input_width + 2;
  l.aux_y = l.play_height;

  // The help's lines are drawn down the whole play window, but the message
  // box covers them from its top, and the large font's messages reach a
  // message area higher.
  const int text_bottom = l.play_height - (large_message_font ? l.msg_height : 0);
  l.help_rows = std::clamp((text_bottom - HELP_TOP) / HELP_LINE_STEP, 0,
                           l.play_h * t / PLAY_CELL / HELP_LINE_STEP);
  return l;
}

std::vector<int> offered_modes(int desktop_w, int desktop_h) {
  std::vector<int> out;
  for (int i = 0; i < RESOLUTION_COUNT; ++i) {
    const ScreenMode& m = mode_table[i];
    bool smaller = m.w < desktop_w && m.w % 4 == 0 && m.h < desktop_h;
    bool desktop_wide = m.w == desktop_w && m.h <= desktop_h;
    if (smaller || desktop_wide) out.push_back(i);
  }
  return out;
}

std::vector<HotbarPlace> hotbar_places(int w, int panel_w, int play_height, int count,
                                       bool at_top, int skin_h, bool large_message_font) {
  std::vector<HotbarPlace> out;
  const int room = w - panel_w;
  // A row too wide for the play area is split in halves, stacked away from
  // the edge, so that every button is on screen where its hit area is.
  int per_row = count;
  while (per_row > 1 && HOTBAR_STEP * per_row - 10 > room) per_row = (per_row + 1) / 2;
  int y = at_top ? skin_h + 7
                 : play_height - HOTBAR_BUTTON_SIZE - (large_message_font ? 85 : 10);
  const int row_step = at_top ? HOTBAR_STEP : -HOTBAR_STEP;
  for (int j = 0; j < count; ++j) {
    const int col = j % per_row, row = j / per_row;
    out.push_back({HOTBAR_STEP * col + room / 2 - (HOTBAR_STEP * per_row - 10) / 2,
                   y + row * row_step});
  }
  return out;
}

void QYXDisplay::read_layout_options() {
  large_statbox = options.get(OPT_LARGE_STATBOX);
  large_message_font = options.get(OPT_LARGE_MESSAGE_FONT);
}

void QYXDisplay::compute_layout() {
  clamp_resolution(res_x, res_y);
  int skin_w = skin ? skin->w : 0;
  ScreenLayout l = compute_screen_layout(res_x, res_y, large_statbox, large_message_font, skin_w);
  panel_x = l.panel_x;
  panel_y = l.panel_y;
  msg_x = l.msg_x;
  input_width = l.input_width;
  msg_rows = l.msg_rows;
  msg_height = l.msg_height;
  line_chars = l.line_chars;
  play_height = l.play_height;
  tile_size = l.tile_size;
  view_radius = l.view_radius;
  play_w = l.play_w;
  play_h = l.play_h;
  src_x = l.src_x;
  src_y = l.src_y;
  play_x = l.play_x;
  play_y = l.play_y;
  skin_x = l.skin_x;
  skin_y = l.skin_y;
  aux_x = l.aux_x;
  aux_y = l.aux_y;
  help_rows = l.help_rows;

  if (allegro_up) input_bitmap = remake(input_bitmap, input_width, 50);
  if (allegro_up) make_view_bitmaps();

  int count = options.get(OPT_COMMAND_HOTBAR) ? HOTBAR_BUTTONS : HOTBAR_SLOT_BUTTONS;
  std::vector<HotbarPlace> places =
      hotbar_places(res_x, panel_width(), play_height, count, options.get(OPT_HOTBAR_TOP) != 0,
                    skin ? skin->h : 0, options.get(OPT_LARGE_MESSAGE_FONT) != 0);
  for (size_t j = 0; j < places.size() && j < hotbar.size(); ++j) {
    hotbar[j].x = places[j].x;
    hotbar[j].y = places[j].y;
  }

  auxbox.reset(res_y);
  msg_font = large_message_font && menu_font ? menu_font : main_font;
}

void QYXDisplay::make_view_bitmaps() {
  tile_scratch = remake(tile_scratch, PLAY_CELL, PLAY_CELL);
  int t = options.get(OPT_FAT_CROSSHAIR) ? 2 : 1;
  BITMAP** cursors[3] = {&cursor_white, &cursor_blue, &cursor_yellow};
  const int rgb[3][3] = {{255, 255, 255}, {51, 153, 255}, {255, 222, 0}};
  int mask = makecol(255, 0, 255);
  for (int i = 0; i < 3; ++i) {
    BITMAP* c = remake(*cursors[i], PLAY_CELL, PLAY_CELL);
    *cursors[i] = c;
    if (!c) continue;
    // Four corner brackets remain: 5 pixels long, t pixels thick.
    clear_to_color(c, makecol(rgb[i][0], rgb[i][1], rgb[i][2]));
    rectfill(c, t, t, PLAY_CELL - 1 - t, PLAY_CELL - 1 - t, mask);
    rectfill(c, 5, 0, 26, PLAY_CELL - 1, mask);
    rectfill(c, 0, 5, PLAY_CELL - 1, 26, mask);
  }
  back_buffer = remake(back_buffer, res_x, res_y);
  play_bitmap = remake(play_bitmap, res_x, res_x);
  work_bitmap = remake(work_bitmap, res_x, res_x);
}

int QYXDisplay::set_resolution(int w, int h) {
  clamp_resolution(w, h);
  if (system_driver == nullptr) {
    // No graphics mode to change (headless): the size is only remembered.
    res_x = w;
    res_y = h;
    return 0;
  }
  const int old_w = res_x, old_h = res_y, old_card = gfx_card;
  const bool old_fullscreen = fullscreen;
  int dw = 0, dh = 0;
  fullscreen = get_desktop_resolution(&dw, &dh) == 0 && dw == w && dh == h;
  int rc = 0;
  set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
  gfx_card = fullscreen ? GFX_AUTODETECT_FULLSCREEN : GFX_AUTODETECT_WINDOWED;
  if (gfx_mode_setter(gfx_card, w, h) != 0) {
    show_alert("Error setting graphics mode, trying something safer.");
    gfx_card = GFX_AUTODETECT_WINDOWED;
    fullscreen = false;
    if (gfx_mode_setter(GFX_AUTODETECT_WINDOWED, MIN_RES_X, MIN_RES_Y) != 0) {
      // Leave the program with the mode it had rather than with none.
      show_alert("Unable to set a safe mode, how did this get here I'm not good with computers!");
      gfx_card = old_card;
      fullscreen = old_fullscreen;
      if (gfx_mode_setter(old_card, old_w, old_h) != 0)
        writelog("display: the previous mode %dx%d could not be restored\n", old_w, old_h);
      else
        set_switch_mode();
      return -2;
    }
    w = MIN_RES_X;
    h = MIN_RES_Y;
    rc = 1;
  }
  res_x = w;
  res_y = h;
  client_cfg.set_int("fullscreen", fullscreen ? 1 : 0);
  compute_layout();
  set_switch_mode();
  show_mouse(screen);
  return rc;
}

int QYXDisplay::set_resolution_index(int i) {
  if (i < 0 || i >= static_cast<int>(modes.size()) || modes[i] < 0 || modes[i] >= RESOLUTION_COUNT)
    return -2;
  return set_resolution(mode_table[modes[i]].w, mode_table[modes[i]].h);
}

int QYXDisplay::toggle_fullscreen() {
  fullscreen = !fullscreen;
  if (gfx_mode_setter(fullscreen ? GFX_AUTODETECT_FULLSCREEN : GFX_AUTODETECT_WINDOWED, res_x,
                      res_y) != 0) {
    show_alert("Error setting graphics mode, trying something safer.");
    if (gfx_mode_setter(GFX_AUTODETECT, res_x, res_y) != 0) {
      show_alert("Unable to set a safe mode, quitting!");
      return 1;
    }
  }
  set_switch_mode();
  show_mouse(screen);
  gfx_card = fullscreen ? GFX_AUTODETECT_FULLSCREEN : GFX_AUTODETECT_WINDOWED;
  return 0;
}

void QYXDisplay::set_switch_mode() {
  if (allegro_up) install_switch(fullscreen);
}

void QYXDisplay::install_switch_mode_once() {
  if (switch_mark == 1) return;
  switch_mark = 1;
  set_switch_mode();
}

int QYXDisplay::reset_switch_mode() {
  if (switch_mark == 0 || safe_mode) return 0;
  switch_mark = 0;
  int rc = 0;
  if (!mode_set_once && allegro_up) {
    mode_set_once = true;
    rc = gfx_mode_setter(gfx_card, res_x, res_y);
  }
  set_switch_mode();
  return rc;
}
