#pragma once
// The screen layout: every figure of the screen's division follows from the
// screen size and two settings, so it is computed by a pure function here and
// only copied into the display object.

#include <vector>

// Pixels of one cell: of the play bitmap, and of every picture drawn one cell
// in size (the hotbar's icons, the avatar, the title strip).
constexpr int PLAY_CELL = 32;
constexpr int PANEL_WIDTH = 232;
constexpr int PANEL_WIDTH_LARGE = 464;
constexpr int PANEL_HEIGHT = 449;
constexpr int MAX_VIEW_RADIUS = 15;
constexpr int RESOLUTION_COUNT = 16;
constexpr int MIN_RES_X = 800, MIN_RES_Y = 600;
// Beyond 8K the screen-wide square bitmaps would not fit in memory.
constexpr int MAX_RES_X = 7680, MAX_RES_Y = 4320;
constexpr int HOTBAR_BUTTON_SIZE = 34;
constexpr int HOTBAR_STEP = HOTBAR_BUTTON_SIZE + 10;

// The help text's lines in the play window: 10 pixels apart from y = 4.
constexpr int HELP_TOP = 4, HELP_LINE_STEP = 10;

struct ScreenMode {
  int w, h;
};
extern const ScreenMode mode_table[RESOLUTION_COUNT];

// The screen size in pixels; start-up reads them from "client.cfg".
extern int res_x, res_y;
// Older names of the screen size.
inline int& screen_w = res_x;
inline int& screen_h = res_y;
// Cells drawn around the player (2..15).
extern int view_radius;

// Keeps a screen size within what the layout can divide: at least 800 by 600
// (smaller sizes give empty or negative areas) and at most 8K.
void clamp_resolution(int& w, int& h);

struct ScreenLayout {
  int panel_w = 0, panel_x = 0, panel_y = 0;
  int msg_x = 0, input_width = 0, msg_rows = 0, msg_height = 0, line_chars = 0;
  int play_height = 0, tile_size = 0, view_radius = 0;
  int play_w = 0, play_h = 0, src_x = 0, src_y = 0, play_x = 0, play_y = 0;
  int skin_x = 0, skin_y = 0, aux_x = 0, aux_y = 0;
  int help_rows = 0;  // help lines the player sees, above the message box
};
ScreenLayout compute_screen_layout(int w, int h, bool large_statbox, bool large_message_font,
                                   int skin_w);

// The indexes of the mode table offered on a desktop of this size.
std::vector<int> offered_modes(int desktop_w, int desktop_h);

struct HotbarPlace {
  int x, y;
};
// Places of the first `count` hotbar buttons: one row centred over the play
// area, or rows of half as many when one row would not fit.
std::vector<HotbarPlace> hotbar_places(int w, int panel_w, int play_height, int count,
                                       bool at_top, int skin_h, bool large_message_font);
