// Position updates of the creatures and objects the server moved ('o').

#include <cstdlib>
#include <string>

#include "app/client_app.h"
#include "app/globals.h"
#include "input/player_actions.h"
#include "app/message_handlers.h"
#include "app/server_handlers.h"
#include "core/interaction_modes.h"
#include "core/log.h"
#include "core/number_codec.h"
#include "core/string_utils.h"
#include "core/utils.h"
#include "world/effects.h"

namespace {

constexpr char RECORD_SEPARATOR = 0x1E;
constexpr size_t RECORD_VALUES = 10;  // the tokens after the tag

struct CreatureUpdate {
  int id = 0, x = 0, y = 0, level = 0, code = 0, fs = 0, hp = 0, status = 0;
  int16_t dir = 0;
  int align = 'n';
};

// Numbers of the decimal fields: strtol's value cut to its low 32 bits, as
// to_int does, read in place.
int decimal_at(const char* text) {
  return static_cast<int>(static_cast<unsigned int>(
      static_cast<unsigned long>(std::strtol(text, nullptr, 10))));
}

// Splits the record text[0, len) at spaces into its tag and up to
// RECORD_VALUES values, ending each token with a zero byte in place (the
// byte after the record may be overwritten). Returns the number of values.
size_t tokenise(char* text, size_t len, const char* (&tokens)[RECORD_VALUES + 1]) {
  size_t count = 0, i = 0;
  while (i < len && count < RECORD_VALUES + 1) {
    while (i < len && text[i] == ' ') ++i;
    if (i == len) break;
    tokens[count++] = text + i;
    while (i < len && text[i] != ' ') ++i;
    text[i] = '\0';
    ++i;
  }
  return count == 0 ? 0 : count - 1;
}

void remove_object(int id) {
  server_objects.remove_id(id);
  rebuild_object_grid();
}

}  // namespace

int update_sent_pos(const std::string& line) {
  FunctionTrace trace("update sent pos");
  // One copy of the line, cut into records and tokens in place: the numbers
  // are then read from zero-terminated text without copying each field.
  std::string text = line;
  int chunk = 0;
  size_t start = 0;
  for (bool last = false; !last;) {
    size_t end = text.find(RECORD_SEPARATOR, start);
    last = end == std::string::npos;
    if (last) end = text.size();
    const size_t record_size = end - start;
    char* record = text.data() + start;
    start = end + 1;
    ++chunk;
    if (record_size == 0) continue;
    const char* tokens[RECORD_VALUES + 1];
    // The first token is a tag; the values follow it.
    const size_t values = tokenise(record, record_size, tokens);
    auto value = [&](size_t i) { return tokens[i + 1]; };
    CreatureUpdate u;
    if (values > 0) u.id = decode_number(value(0));
    if (values > 1) u.x = decode_number(value(1));
    if (values > 2) u.y = decode_number(value(2));
    if (values > 3) u.level = decode_number(value(3));
    if (values > 4) u.code = decode_number(value(4));
    if (values > 5) u.fs = decimal_at(value(5));
    if (values > 6) u.hp = decode_number(value(6));
    if (values > 7) u.status = decode_number(value(7));
    if (values > 8) u.dir = bounded_int<int16_t>(decimal_at(value(8)));
    if (values > 9) u.align = static_cast<unsigned char>(value(9)[0]);
    trace.printf("chunk %d, size=%d: rc=%d id=%d x=%d dir=%d", chunk,
                 static_cast<int>(record_size), static_cast<int>(values), u.id, u.x, u.dir);
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
    if (!on_max_grid(u.x, u.y)) {
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
      msg_map_effect(app, format_str("E %d %d %d %d %d %d %d %d", u.id, u.x, u.y, EVENT_STEP, 0, 0,
                                     0, u.level));
    if (set_tracked_pos(u.id, u.x, u.y, u.level)) {
      // Tracked creatures are marked on the minimap beside the play window.
      d.request_frame();
      if (map_open()) d.draw_map_view(true);
    }
  }
  rebuild_object_grid();
  d.draw_window(false, &visible_creatures);
  confirm_target();
  return 0;
}

int msg_creature_updates(ClientApp&, const std::string& msg) { return update_sent_pos(msg); }
