// Frame composition: every layer of a frame drawn into the back buffer in a
// fixed order, then shown with one blit; the wait-screen refresh, the status
// and debug lines, the clock strip, the target cursor, game over and the
// screenshot.
#include <allegro.h>
#include <loadpng.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "app/client_app.h"
#include "core/ids.h"
#include "core/interaction_modes.h"
#include "core/item_data.h"
#include "core/log.h"
#include "core/string_utils.h"
#include "core/utils.h"
#include "display/display.h"
#include "input/frame_input.h"
#include "input/normal_keys.h"
#include "input/options.h"
#include "world/cmap.h"
#include "world/item_list.h"
#include "world/player.h"
#include "world/target.h"

namespace {
constexpr int STATUS_GREEN_STRONG = 60, STATUS_GREEN_FAINT = 59;
constexpr int LOWER_PANEL_Y = 451;
constexpr int CLOCK_W = 224, CLOCK_H = 15, CLOCK_ICON = 14;
constexpr int GAME_OVER_PAUSE_MS = 1500;

// Whether a PNG file ends with its closing IEND chunk. The PNG writer does
// not report a write that fails (a full disk), which leaves the file empty or
// cut short.
bool png_ends_whole(const std::string& path) {
  static const unsigned char IEND[12] = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  unsigned char tail[sizeof IEND] = {};
  const bool whole = std::fseek(f, -static_cast<long>(sizeof IEND), SEEK_END) == 0 &&
                     std::fread(tail, 1, sizeof tail, f) == sizeof tail &&
                     std::memcmp(tail, IEND, sizeof IEND) == 0;
  std::fclose(f);
  return whole;
}
}  // namespace

void QYXDisplay::layer(const char* name) {
  if (record_layers) frame_layers.push_back(name);
}

FrameRect QYXDisplay::screen_rect() const { return FrameRect{0, 0, res_x, res_y}; }

FrameRect QYXDisplay::play_window_rect() const {
  // The help screen, the book and the map viewer own the whole frame.
  if (play_area_window_open() || tile_size <= 0) return screen_rect();
  const int shown = play_w * tile_size / PLAY_CELL;
  const float scale = std::max(1.0f, static_cast<float>(shown) / static_cast<float>(res_y));
  const int hv = static_cast<int>(static_cast<float>(play_h) / scale);
  return FrameRect{play_x, play_y, shown, hv * tile_size / PLAY_CELL}.within(screen_rect());
}

FrameRect QYXDisplay::prompt_rect() const {
  return large_message_font ? FrameRect{msg_x + 4, res_y - 20, 16, 16}
                            : FrameRect{msg_x + 4, res_y - 11, 8, 8};
}

FrameRect QYXDisplay::changed_part(uint32_t reasons) const {
  constexpr uint32_t VIEW_ONLY = FRAME_VIEW | FRAME_ANIMATION | FRAME_MOTION;
  if ((reasons & ~(VIEW_ONLY | FRAME_PROMPT)) != 0) return screen_rect();
  // The game master's list of objects follows the view and may run past it.
  if ((reasons & VIEW_ONLY) != 0 && me.dm && objlist_trace) return screen_rect();
  FrameRect part;
  if (reasons & VIEW_ONLY) part = part.unite(play_window_rect());
  if (reasons & FRAME_PROMPT) part = part.unite(prompt_rect());
  return part;
}

void QYXDisplay::compose_frame() { compose_frame(screen_rect()); }

void QYXDisplay::compose_frame(const FrameRect& wanted) {
  frame_layers.clear();
  if (!allegro_up || !back_buffer || !play_bitmap || !work_bitmap) return;
  const FrameRect part = wanted.within(screen_rect());
  if (part.empty()) return;
  BITMAP* bb = back_buffer;
  const int black = makecol(0, 0, 0);
  // Every layer is drawn in its order, clipped to the part that changed;
  // outside it the back buffer keeps the last frame, which is still right.
  set_clip_rect(bb, part.x, part.y, part.x + part.w - 1, part.y + part.h - 1);

  if (!play_area_window_open()) {
    layer("play window");
    // The scalers write their whole rectangle, clipped or not.
    if (part.overlaps(play_window_rect())) blit_play_window(bb);
    // Both set: the stronger tint alone.
    if (me.has_status(STATUS_GREEN_STRONG))
      tint_rect(bb, 0, 0, panel_x, play_height, makecol(0, 128, 0), 100);
    else if (me.has_status(STATUS_GREEN_FAINT))
      tint_rect(bb, 0, 0, panel_x, play_height, makecol(0, 128, 0), 30);
    layer("talk panel");
    draw_talk_panel(bb);
    layer("player status");
    draw_player_status(bb);
    layer("clock");
    draw_clock(bb);
    if (menu_open()) {
      layer("menu");
      draw_menu();
    }
  } else {
    layer("play window");
    const int shown = play_w * tile_size / PLAY_CELL;
    const float scale = std::max(1.0f, static_cast<float>(shown) / static_cast<float>(res_y));
    const int hv = static_cast<int>(static_cast<float>(play_h) / scale);
    blit(play_bitmap, bb, 0, 0, 0, 0, shown, hv * tile_size / PLAY_CELL);
  }

  layer("status line");
  draw_status_line(bb);

  layer("side panel");
  if (panel_bitmap) {
    if (!large_statbox) {
      blit(panel_bitmap, bb, 0, 0, panel_x, panel_y, PANEL_WIDTH, PANEL_HEIGHT);
      rectfill(bb, panel_x, PANEL_HEIGHT, res_x - 1, PANEL_HEIGHT + 1, black);
    } else {
      stretch_blit(panel_bitmap, bb, 0, 0, PANEL_WIDTH, PANEL_HEIGHT, panel_x, panel_y,
                   2 * PANEL_WIDTH, 2 * PANEL_HEIGHT);
      rectfill(bb, panel_x, 2 * PANEL_HEIGHT, res_x - 1, 2 * PANEL_HEIGHT + 1, black);
    }
  }

  layer("messages");
  draw_messages(bb, false);

  rectfill(bb, 0, play_height - 2, panel_x - 1, play_height - 1, black);
  rectfill(bb, input_width, play_height, input_width + 1, res_y - 1, black);

  // A card-table level (the level change's level flag) shows the hand.
  if (level_flag) {
    if (!menu_open()) {
      layer("cards");
      draw_card_hand(bb);
      draw_linked_card(bb);
    }
  } else if (options.get(OPT_HOTBAR) && !play_area_window_open() &&
             gc_interface_mode != MODE_NPCTALK) {
    layer("hotbar");
    draw_hotbar(bb);
  }

  layer("input line");
  if (!input_shown) {
    if (special) {
      const int sx = 68 + 9 * anim_phase, sy = 17;
      const FrameRect r = prompt_rect();
      if (large_message_font)
        masked_stretch_blit(special, bb, sx, sy, 8, 8, r.x, r.y, r.w, r.h);
      else
        masked_blit(special, bb, sx, sy, r.x, r.y, r.w, r.h);
    }
  } else if (input_bitmap) {
    if (large_message_font && msg_font)
      masked_blit(input_bitmap, bb, 0, 0, msg_x + 3, res_y - 21, input_width, text_height(msg_font));
    else
      masked_blit(input_bitmap, bb, 0, 0, msg_x + 3, res_y - 11, input_width, 10);
  }

  layer("minimap");
  draw_minimap(bb);

  layer("lower panel");
  const int lower_h = res_y - PANEL_HEIGHT;
  const FrameRect lower = large_statbox ? FrameRect{panel_x, 693, 2 * PANEL_WIDTH, 2 * PANEL_HEIGHT}
                                        : FrameRect{panel_x, PANEL_HEIGHT, PANEL_WIDTH, lower_h};
  // Composed aside in `work_bitmap`: not worth doing when none of it shows.
  if (lower_h > 0 && part.overlaps(lower)) {
    // The copied area's first two rows and columns are not drawn below:
    // black, as the separator under the side panel.
    rectfill(work_bitmap, panel_x, PANEL_HEIGHT, panel_x + PANEL_WIDTH - 1, res_y - 1, black);
    if (BITMAP* shade = shaded_box(lower_backdrop, PANEL_WIDTH - 2, res_y - LOWER_PANEL_Y,
                                   box_colour_dark))
      blit(shade, work_bitmap, 0, 0, panel_x + 2, LOWER_PANEL_Y, shade->w, shade->h);
    draw_lower_panel(work_bitmap);
    if (!large_statbox)
      blit(work_bitmap, bb, panel_x, PANEL_HEIGHT, panel_x, PANEL_HEIGHT, PANEL_WIDTH, lower_h);
    else
      stretch_blit(work_bitmap, bb, panel_x, PANEL_HEIGHT, PANEL_WIDTH, PANEL_HEIGHT, panel_x, 693,
                   2 * PANEL_WIDTH, 2 * PANEL_HEIGHT);
  }

  if (!(gfx_capabilities & GFX_HW_CURSOR) && mouse_shown && mouse_sprite) {
    layer("pointer");
    ::draw_sprite(bb, mouse_sprite, mouse_x, mouse_y);
  }

  set_clip_rect(bb, 0, 0, bb->w - 1, bb->h - 1);
  auxbox_shown = auxbox.lines;
  ++frames_composed;
  show(part);
}

void QYXDisplay::flip() { show(screen_rect()); }

void QYXDisplay::show(const FrameRect& part) {
  if (!allegro_up || !back_buffer || !screen) return;
  scare_mouse_area(part.x, part.y, part.w, part.h);
  acquire_screen();
  blit(back_buffer, screen, part.x, part.y, part.x, part.y, part.w, part.h);
  release_screen();
  unscare_mouse();
}

void QYXDisplay::refresh_screen() {
  if (!allegro_up || !back_buffer) return;
  clear_bitmap(back_buffer);
  draw_messages(back_buffer, true);
  flip();
}

void QYXDisplay::game_over() {
  // With no window there is no screen to read: the session just ends.
  if (!allegro_up) {
    print_prompt("Game over! Press q to quit.");
    return;
  }
  set_mouse_cursor(CURSOR_DEFAULT);
  refresh_screen();
  pause_ms(GAME_OVER_PAUSE_MS);
  // Keys pressed before the prompt do not count; emptied first so that a q
  // typed as soon as the prompt shows is not thrown away.
  clear_keybuf();
  print_prompt("Game over! Press q to quit.");
  // The window's close button ends the wait as well as q: without it the
  // player could only kill the program.
  while (!quit_requested) {
    if (!keypressed()) {
      refresh_screen();
      pause_ms(1);
      continue;
    }
    int c = readkey() & 0xff;
    if (c == 'q' || c == 'Q') return;
  }
}

void QYXDisplay::screenshot() {
  struct stat st {};
  if (stat("screenshots", &st) != 0 || !S_ISDIR(st.st_mode)) {
    print_msg("Failed to change into screenshots directory");
    return;
  }
  char stamp[32] = {};
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  const std::string path = format_str("screenshots/%s.png", stamp);
  // The back buffer holds the last frame whole; a 24-bit copy keeps the
  // picture opaque in the file.
  bool tried = false, saved = false;
  if (back_buffer) {
    BITMAP* copy = create_bitmap_ex(24, back_buffer->w, back_buffer->h);
    if (copy) {
      blit(back_buffer, copy, 0, 0, 0, 0, back_buffer->w, back_buffer->h);
      tried = true;
      saved = save_png(path.c_str(), copy, nullptr) == 0 && png_ends_whole(path);
      destroy_bitmap(copy);
    }
  }
  if (saved) {
    print_msg("Screenshot saved to %s", path.c_str());
  } else {
    // No broken or empty picture is left behind.
    if (tried) std::remove(path.c_str());
    print_msg("Failed to save screenshot %s", path.c_str());
  }
}

void QYXDisplay::draw_target_cursor() {
  if (!play_bitmap || target_id == -1) return;
  BITMAP* cursor = target_type == TARGET_ALL    ? cursor_white
                   : target_type == TARGET_GOOD ? cursor_blue
                                                : cursor_yellow;
  if (!cursor) return;
  const int cx = (target_x + view_radius - me.x) * PLAY_CELL;
  const int cy = (target_y + view_radius - me.y) * PLAY_CELL;
  masked_blit(cursor, play_bitmap, 0, 0, cx, cy, cursor->w, cursor->h);
}

void QYXDisplay::draw_status_line(BITMAP* dest) {
  if (!dest || !names_font || gc_interface_mode == MODE_NPCTALK) return;
  const int white = makecol(255, 255, 255);
  if (show_fps) {
    std::string text;
    if (!me.dm) {
      text = format_str("%d", fps);
    } else {
      const int hw = (gfx_capabilities & GFX_HW_CURSOR) ? 1 : 0;
      text = format_str(
          "fps=%3d hwm=%d ping=%d in=%4d out=%4d fovobj=%02d xyz=%d,%d,%d delay=[%d,%d] %d %d %.1f "
          "hw=%d mx=%d my=%d",
          fps, gfx_capabilities & GFX_HW_CURSOR, move_latency_ms,
          static_cast<int>(bytes_received_last_second), static_cast<int>(bytes_sent_last_second),
          server_objects.count, me.x, me.y, me.map_level, me.get_delay(), me.get_weapon_delay(),
          mouse_cell_dx(), mouse_cell_dy(), static_cast<double>(mouse_angle()), hw, mouse_x, mouse_y);
    }
    textout_right_ex(dest, names_font, text.c_str(), panel_x, 0, white, -1);
  }
  if (!me.dm || !objlist_trace) return;
  int y = 18;
  for (const ItemListEl* e = server_objects.first; e; e = e->next, y += 10) {
    std::string name;
    if (e->id < 0) {
      name = wl.get_full_name(e->item);
    } else {
      name = id_table.get_name(e->id);
      if (name.empty()) name = "mob";
    }
    const std::string line =
        format_str("id=%d c=%s %s x=%d y=%d d=%d rh=%s lh=%s", e->id, e->item.str().c_str(), name.c_str(),
                   e->x, e->y, e->price, id_table.get_item(e->id).str().c_str(),
                   id_table.get_alt_item(e->id).str().c_str());
    textout_right_ex(dest, names_font, line.c_str(), panel_x, y, white, -1);
  }
}

void QYXDisplay::draw_clock(BITMAP* dest) {
  if (!dest || !skin || !special || !work_bitmap || !cmap.get_vis()) return;
  rectfill(work_bitmap, 0, 0, skin->w - 1, skin->h - 1, makecol(255, 0, 255));
  ::draw_sprite(work_bitmap, skin, 0, 0);
  const int h = get_game_hour();
  if (h >= 6 && h <= 20) {
    masked_blit(special, work_bitmap, 34, 0, 188 - (h - 6) * 178 / 15, 0, CLOCK_ICON, CLOCK_ICON);
  } else {
    const int n = h < 21 ? h + 3 : h - 21;
    // The phase is the server's number: one past the sheet's moons shows none.
    const int64_t moon_x = 16 * static_cast<int64_t>(moon_phase < 0 ? 0 : moon_phase) + 68;
    if (moon_x < special->w)
      masked_blit(special, work_bitmap, static_cast<int>(moon_x), 0, 188 - n * 178 / 9, 0, CLOCK_ICON,
                  CLOCK_ICON);
  }
  masked_blit(work_bitmap, dest, 0, 0, skin_x, skin_y, CLOCK_W, CLOCK_H);
}
