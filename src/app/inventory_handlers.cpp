// Inventory and bank synchronisation, item changes, id information and the
// chat log.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "app/client_app.h"
#include "app/globals.h"
#include "app/message_handlers.h"
#include "app/requests.h"
#include "app/server_handlers.h"
#include "core/compression.h"
#include "core/log.h"
#include "core/string_utils.h"

int read_sync_message(std::string& out) {
  // The socket reads a discarded (malformed or replayed) frame as an empty
  // message. A real message always brings a header not seen before, so an
  // empty result is genuine only when such a header arrived.
  const auto& recent = tcpObj.recent_headers;
  std::vector<std::string> before;
  if (!recent.empty()) before.assign(recent[0].begin(), recent[0].end());
  int rc = tcpObj.sckRecv(out);
  if (rc < 0) return -1;
  if (rc > 0 && !out.empty()) return 1;
  if (recent.empty() || recent[0].empty()) return -1;
  const std::string& newest = recent[0].back();
  if (std::find(before.begin(), before.end(), newest) != before.end()) return -1;
  return 0;
}

int sync_inventory(int bank, const SyncReader& reader) {
  // The server sends the whole list: drop our copy of that side first.
  for (ItemListEl* e = items.first; e;) {
    if (e->item.is_banked() == (bank != 0))
      e = items.erase(e);
    else
      e = e->next;
  }
  items.calc_weight();
  inventory_synced = false;
  for (;;) {
    send_sync_more();
    std::string chunk;
    int rc = reader(chunk);
    if (rc < 0) return 1;
    if (rc == 0 || chunk.empty() || chunk == "EI") {
      send_sync_done();
      inventory_synced = true;
      return 0;
    }
    std::vector<std::string> entries;
    split(inflate(chunk), ":", entries);
    for (const std::string& entry : entries) {
      if (entry.empty()) break;
      std::vector<std::string> parts;
      split(entry, "@", parts);
      if (parts.size() != 2) continue;
      long qty = hex_to_int(parts[1]);
      // A count below one would take items away or mean nothing; the count is
      // a 32-bit number, so anything larger is no count (and would overflow
      // the sums of merged nodes).
      if (qty < 1 || qty > INT32_MAX) continue;
      items.add(Item(parts[0]), qty, 1, false);
    }
  }
}

int check_inventory_sync(int bank) { return sync_inventory(bank, read_sync_message); }

void process_item_change(const std::string& line) {
  std::vector<std::string> pieces;
  split(line, " ", pieces);
  if (pieces.size() != 4) return;
  Item a(pieces[1]), b(pieces[2]);
  bool whole = pieces[3] == "1";
  items.replace_item(a, b, whole);
  temp_list.replace_item(a, b, whole);
  Item* slots[] = {&me.weapon, &me.shield, &me.armour, &me.hat,      &me.gloves,
                   &me.boots,  &me.ring1,  &me.ring2,  &me.amulet,   &me.belt,
                   &me.trousers, &me.sigil1, &me.sigil2, &me.sigil3};
  for (Item* slot : slots) {
    if (*slot == a) {
      *slot = b;
      break;
    }
  }
  Item lowered = a;
  lowered.lower_blessing();
  if (b == lowered) return;
  for (int i = 0; i < PLAYER_HOTKEYS; ++i) {
    if (me.item_binds[i] == a) {
      me.item_binds[i] = b;
      send_slot_item(i, b);
    }
  }
}

void process_i(const std::string& line) {
  std::vector<std::string> cols;
  split(line, "\t", cols);
  if (cols.size() != 6) return;
  int id = to_int(cols[1]);
  if (id == me.id) {
    me.name = cols[3];
    playerstats(0);
    return;
  }
  int letter = cols[2].empty() ? 0 : static_cast<unsigned char>(cols[2][0]);
  id_table.set_info(id, cols[3], letter, cols[4], cols[5]);
}

void log_chat_line(const std::string& line) {
  if (!options.get(OPT_CHAT_LOG) || app.chat_log_paused) return;
  std::string text;
  for (size_t i = 2; i < line.size(); ++i) {
    if (static_cast<signed char>(line[i]) >= 32) text += line[i];
  }
  long written = writechat(CHAT_LOG_RUN_BYTES - app.chat_log_added, "%s", text.c_str());
  if (written >= 0) {
    app.chat_log_added += static_cast<size_t>(written);
    return;
  }
  app.chat_log_paused = true;
  d.print_msg("Chat log paused: this run has logged %zu MiB.", CHAT_LOG_RUN_BYTES >> 20);
}

int msg_inventory_sync(ClientApp&, const std::string& msg) {
  int bank = 0;
  std::sscanf(msg.c_str(), "h %d", &bank);
  if (check_inventory_sync(bank) != 0) {
    d.print_msg("Failed to sync inventory; please reconnect.");
    end_session();
  } else if (!level_entered) {
    send_inventory_synced();
  }
  if (bank != 0) me.bank_synced = true;
  return 0;
}

int msg_item_changed(ClientApp&, const std::string& msg) {
  process_item_change(msg);
  return 0;
}

int msg_id_information(ClientApp&, const std::string& msg) {
  process_i(msg);
  return 0;
}
