// Refresh, field of view and map change messages, and the two request lines
// that go with them: the status line and the turn line.

#include <algorithm>
#include <climits>
#include <cstdio>
#include <vector>

#include "app/client_app.h"
#include "app/globals.h"
#include "input/player_actions.h"
#include "app/message_handlers.h"
#include "app/requests.h"
#include "app/server_handlers.h"
#include "core/ids.h"
#include "core/log.h"
#include "core/number_codec.h"
#include "core/string_utils.h"
#include "core/tiles.h"
#include "core/utils.h"

namespace {
constexpr char FOV_SEPARATOR = 0x1E;
}  // namespace

void rebuild_object_grid() {
  obj_grid.clear(true);
  for (const MapObject& o : cmap.map_objects) {
    if (on_max_grid(o.x, o.y)) obj_grid.set_item(o.item, o.x, o.y);
  }
  copy_obj_list();
}

void refresh_packet(const std::string& line) {
  FunctionTrace trace("refresh packet");
  char xs[10] = {}, ys[10] = {}, zs[10] = {};
  int token = 0;
  if (std::sscanf(line.c_str(), "R %9s %9s %9s %d", xs, ys, zs, &token) < 3) {
    trace.printf("dud refresh pkt [%s]", line.c_str());
    return;
  }
  int x = decode_number(xs), y = decode_number(ys), z = decode_number(zs);
  app.session.confirmed_x = x;
  app.session.confirmed_y = y;
  app.session.resync_sent_from = ResyncMark();
  if (token >= 1 && token == app.session.pending_move_token) {
    uint64_t now = get_time_us();
    uint64_t elapsed = now > app.session.move_sent_time ? now - app.session.move_sent_time : 0;
    move_latency_ms = static_cast<int>(std::min<uint64_t>(elapsed / 1000, INT_MAX));
    app.session.pending_move_token = 0;
  }
  trace.printf("x=%d y=%d z=%d", x, y, z);
  if (z != me.map_level && !map_transfer_pending) {
    ++app.session.level_sync_errors;
    if (!common_cfg.get_bool("turn_based")) d.print_msg("level sync error++ (fov)");
    return;
  }
  rebuild_object_grid();
  // The view decides the visible creatures and the target position at once,
  // so the target check below reads this refresh, not the last frame.
  d.draw_window(false, &visible_creatures);
  confirm_target();
  obj_grid.update_ambient_sound();
}

int process_fov_data(const std::string& line, ObjectList& list) {
  FunctionTrace trace("process fov data");
  char letter = 0;
  int count = 0;
  if (std::sscanf(line.c_str(), "%c%d", &letter, &count) < 2) count = 0;
  if (letter == 'F') list.clear();

  std::string rest = line;
  size_t first = rest.find(FOV_SEPARATOR);
  if (first != std::string::npos) rest.erase(0, first + 1);
  std::vector<std::string> entries;
  split(rest, std::string(1, FOV_SEPARATOR), entries);

  // The count comes from the server: never take more entries than are there.
  size_t taken = count > 0 ? std::min(static_cast<size_t>(count), entries.size()) : 0;
  for (size_t i = 0; i < taken; ++i) {
    const std::string& entry = entries[i];
    trace.printf("fov pkt is [%s]", entry.c_str());
    char ids[11] = {}, itemtext[100] = {}, xs[11] = {}, ys[11] = {}, status[11] = {};
    short flags = 0;
    if (std::sscanf(entry.c_str(), "%10s %99s %10s %10s %10s %hd", ids, itemtext, xs, ys, status,
                    &flags) < 5)
      continue;
    trace.printf("[[[%s]]]", itemtext);
    int id = decode_number(ids);
    Item item = Item::from_packed_str(itemtext);
    int x = decode_number(xs), y = decode_number(ys);
    int light = 0, health = 0, number = 0;
    char align = 'n';
    bool large = false;
    unpack_fov_status(status, light, health, align, large, number);
    trace.printf("id=%d code=%s x=%d y=%d light=%d hea=%d align=%c large=%d", id,
                 item.str().c_str(), x, y, light, health, align, large ? 1 : 0);
    if (!on_max_grid(x, y)) {
      trace.printf("off-grid object ignored");
      continue;
    }
    list.add_obj(id, item, x, y, light, health, align, large ? 1 : 0, number,
                 static_cast<uint16_t>(flags));
    if (id < PLAYER_ID_LIMIT) {
      int row = find_tracked(id);
      if (row >= 0) {
        TrackedCreature& t = tracked_creatures[static_cast<size_t>(row)];
        t.name = id_table.get_name(id);
        t.code = static_cast<int>(item.code);
        t.health = health;
        t.x = x;
        t.y = y;
        t.level = me.map_level;
      }
    }
  }
  int result = count;
  if (d.marker_x >= 0) {
    list.add_obj(-1, Item(static_cast<long>(SRV_MARKER_CODE)), d.marker_x, d.marker_y, -1, 0, 'n',
                 0, 0, 0);
    // The count comes from the server: one more must not overflow.
    if (result < INT_MAX) ++result;
  }
  std::string left;
  for (size_t i = taken; i < entries.size(); ++i) {
    if (i > taken) left += FOV_SEPARATOR;
    left += entries[i];
  }
  trace.printf("%s", left.c_str());
  if (!left.empty() && left[0] == 'R') refresh_packet(left);
  return result;
}

void process_map_change(const std::string& line) {
  char kind = 0;
  int x = 0, y = 0, level = 0, value = 0;
  if (std::sscanf(line.c_str(), "N %c %d %d %d %d", &kind, &x, &y, &level, &value) < 5) return;
  if (level != me.map_level) return;
  if (kind == 't') {
    // Only real tile numbers may reach the level (and its cached file).
    if (value < 0 || value >= TILES_NUM_MAP) return;
    if (cmap.set_tile(x, y, value) != 0) return;
  } else if (kind == 'p') {
    if (cmap.set_placement(x, y, static_cast<uint16_t>(value)) != 0) return;
  } else {
    return;
  }
  cmap.save_map();
  cmap.calc_layers();
}

void send_stats_update() {
  send_stats(bounded_int<int>(me.get_float_str()), bounded_int<int>(me.get_float_dex()),
             bounded_int<int>(me.get_float_intel()),
             bounded_int<int>(items.get_qty(Item(static_cast<long>(ITEM_BASE_CURRENCY)))),
             cmap.get_vis(), cmap.get_level());
}

void turn_towards(int x, int y) {
  int dir = get_direction(me.x, me.y, x, y);
  if (dir == 0) return;
  me.direction = static_cast<int16_t>(dir);
  send_turn(dir);
}

int msg_refresh(ClientApp&, const std::string& msg) {
  refresh_packet(msg);
  return 0;
}

int msg_field_of_view(ClientApp&, const std::string& msg) {
  process_fov_data(msg, server_objects);
  return 0;
}

int msg_map_change(ClientApp&, const std::string& msg) {
  process_map_change(msg);
  return 0;
}
