// Position updates of the creatures and objects the server moved ('o').

#include <vector>

#include "app/client_app.h"
#include "app/globals.h"
#include "input/player_actions.h"
#include "app/message_handlers.h"
#include "app/server_handlers.h"
#include "core/log.h"
#include "core/number_codec.h"
#include "core/string_utils.h"

namespace {

constexpr char RECORD_SEPARATOR = 0x1E;
constexpr size_t RECORD_VALUES = 10;  // the tokens after the tag

struct CreatureUpdate {
  int id = 0, x = 0, y = 0, level = 0, code = 0, fs = 0, hp = 0, status = 0;
  int16_t dir = 0;
  int align = 'n';
};

std::vector<std::string> tokens_of(const std::string& record) {
  std::vector<std::string> pieces, tokens;
  split(record, " ", pieces);
  for (std::string& p : pieces)
    if (!p.empty()) tokens.push_back(std::move(p));
  return tokens;
}

void remove_object(int id) {
  server_objects.remove_id(id);
  rebuild_object_grid();
}

}  // namespace

int update_sent_pos(const std::string& line) {
  FunctionTrace trace("update sent pos");
  std::vector<std::string> records;
  split(line, std::string(1, RECORD_SEPARATOR), records);
  int chunk = 0;
  for (const std::string& record : records) {
    ++chunk;
    if (record.empty()) continue;
    std::vector<std::string> tokens = tokens_of(record);
    // The first token is a tag; the values follow it.
    size_t values = tokens.empty() ? 0 : std::min(tokens.size() - 1, RECORD_VALUES);
    auto value = [&](size_t i) -> const std::string& { return tokens[i + 1]; };
    CreatureUpdate u;
    if (values > 0) u.id = decode_number(value(0));
    if (values > 1) u.x = decode_number(value(1));
    if (values > 2) u.y = decode_number(value(2));
    if (values > 3) u.level = decode_number(value(3));
    if (values > 4) u.code = decode_number(value(4));
    if (values > 5) u.fs = to_int(value(5));
    if (values > 6) u.hp = decode_number(value(6));
    if (values > 7) u.status = decode_number(value(7));
    if (values > 8) u.dir = static_cast<int16_t>(to_int(value(8)));
    if (values > 9) u.align = static_cast<unsigned char>(value(9)[0]);
    trace.printf("chunk %d, size=%d: rc=%d id=%d x=%d dir=%d", chunk,
                 static_cast<int>(record.size()), static_cast<int>(values), u.id, u.x, u.dir);
    if (values < RECORD_VALUES) {
      if (values > 1 && u.x == -1) remove_object(u.id);
      continue;
    }
    trace.printf("rc=%d y=%d z=%d code=%d fs=%d hp=%d align=%c", static_cast<int>(values), u.y,
                 u.level, u.code, u.fs, u.hp, u.align);
    if (u.x == -1) {
      remove_object(u.id);
      continue;
    }
    if (u.level != me.map_level) continue;
    // Positions come from the server: only cells of the grid are taken.
    if (!on_object_grid(u.x, u.y)) {
      trace.printf("off-grid update ignored id=%d", u.id);
      continue;
    }
    Item item(static_cast<long>(u.code));
    ItemListEl* node = server_objects.find_id(u.id);
    if (!node) {
      trace.printf("sent update not in fov, adding id=%d", u.id);
      server_objects.add_obj(u.id, item, u.x, u.y, 0, u.hp, u.align, 0, u.status, u.dir);
    } else {
      trace.printf("existing sent found, updating id=%d", u.id);
      node->x = u.x;
      node->y = u.y;
      node->hea = u.hp;
      node->item = item;
      node->price = u.status;
      node->b = u.dir;
    }
    if (u.fs != 0)
      msg_map_effect(app, format_str("E %d %d %d %d %d %d %d %d", u.id, u.x, u.y, 0, 0, 0, 0,
                                     u.level));
    if (set_tracked_pos(u.id, u.x, u.y, u.level) && d.map_open) d.draw_map_view(true);
  }
  rebuild_object_grid();
  d.draw_window(false, &visible_creatures);
  confirm_target();
  return 0;
}

int msg_creature_updates(ClientApp&, const std::string& msg) { return update_sent_pos(msg); }
