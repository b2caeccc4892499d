// The mouse pointer against the screen: which cell and direction it points
// at, whether it lies over the play window or the side panel, its sprite.
// Each query has a form taking the position, so that the geometry can be
// checked without a mouse.

#include <allegro.h>

#include <cmath>

#include "app/client_app.h"
#include "display/display.h"

namespace {
constexpr int PLAY_MARGIN = 60;
constexpr int PANEL_LAST_ROW = 448;
constexpr double FULL_TURN = 6.2831853;
}  // namespace

void QYXDisplay::set_mouse_cursor(int code) {
  app.cursor_code = code;
  if (code == 0) {
    mouse_sprite = nullptr;
    if (allegro_up) show_mouse(nullptr);
    return;
  }
  set_cursor_sprite(code);
}

void QYXDisplay::hide_mouse() {
  if (allegro_up) show_mouse(nullptr);
  mouse_shown = 0;
}

float QYXDisplay::mouse_angle_at(int mx, int my) const {
  return static_cast<float>(std::atan2(play_height * 0.5 - my, mx - panel_x * 0.5) * 360.0 /
                            FULL_TURN);
}

int QYXDisplay::mouse_cell_dx_at(int mx) const {
  const int cx = panel_x / 2, t = tile_size > 0 ? tile_size : PLAY_CELL;
  return mx < cx ? (mx - cx - t / 4) / t : (mx - cx + 3 * t / 4) / t;
}

int QYXDisplay::mouse_cell_dy_at(int my) const {
  const double cy = play_height * 0.5;
  const int t = tile_size > 0 ? tile_size : PLAY_CELL;
  const double dist = my < cy ? my - cy - t / 4 : my - cy + 3 * t / 4;
  return static_cast<int>(dist / t);
}

bool QYXDisplay::mouse_in_play_window_at(int mx, int my) const {
  return mx >= PLAY_MARGIN && mx < res_x - panel_width() - PLAY_MARGIN && my >= PLAY_MARGIN &&
         my < play_height - PLAY_MARGIN;
}

bool QYXDisplay::mouse_over_panel_at(int mx, int my) const {
  return mx >= panel_x && mx < panel_x + panel_width() && my >= panel_y &&
         my <= panel_y + PANEL_LAST_ROW;
}

int QYXDisplay::panel_row_at(int my) const {
  return large_statbox ? (my - panel_y - 38) / 20 : (my - panel_y - 19) / 10;
}

float QYXDisplay::mouse_angle() const { return mouse_angle_at(mouse_x, mouse_y); }
int QYXDisplay::mouse_cell_dx() const { return mouse_cell_dx_at(mouse_x); }
int QYXDisplay::mouse_cell_dy() const { return mouse_cell_dy_at(mouse_y); }
bool QYXDisplay::mouse_in_play_window() const { return mouse_in_play_window_at(mouse_x, mouse_y); }
bool QYXDisplay::mouse_over_panel() const { return mouse_over_panel_at(mouse_x, mouse_y); }
int QYXDisplay::panel_row_at_mouse() const { return panel_row_at(mouse_y); }

bool QYXDisplay::ok_to_draw_play_window() const {
  return level_entered && data_reloaded && !map_transfer_pending;
}

bool QYXDisplay::numlock() const { return allegro_up && (key_shifts & KB_NUMLOCK_FLAG) != 0; }
