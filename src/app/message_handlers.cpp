// Handlers of the server's messages. The readiness sequence ('h', 'K', 'Z',
// with file transfers 'Y') and the plain text messages are handled here; the
// handlers of the world model's messages keep to the wire and leave the
// model alone until their topics are built.

#include "app/message_handlers.h"

#include <cstdio>

#include "app/client_app.h"
#include "app/globals.h"
#include "app/standins.h"
#include "core/compression.h"
#include "core/log.h"
#include "core/string_utils.h"
#include "core/utils.h"
#include "script/script_host.h"

namespace {
constexpr int MAX_XFER_FAILURES = 5;
}  // namespace

// ---- Session and player messages ---------------------------------------------

int msg_move_result(ClientApp&, const std::string&) { return 0; }
int msg_world_time(ClientApp&, const std::string&) { return 0; }
int msg_player_values(ClientApp&, const std::string&) { return 0; }
int msg_ship_values(ClientApp&, const std::string&) { return 0; }
int msg_level_gained(ClientApp&, const std::string&) { return 0; }

int msg_dm_flag(ClientApp&, const std::string& msg) {
  int flag = 0;
  if (std::sscanf(msg.c_str(), "d %d", &flag) != 1) flag = 0;
  me.dm = flag != 0;
  return 0;
}

int msg_spell_learned(ClientApp&, const std::string& msg) {
  int spell = 0;
  if (std::sscanf(msg.c_str(), "s %d", &spell) == 1) me.add_spell(spell);
  return 0;
}

int msg_resurrected(ClientApp&, const std::string&) {
  d.print_msg("Resurrected!");
  return 0;
}

int msg_side_panel_text(ClientApp&, const std::string&) { return 0; }
int msg_help_text(ClientApp&, const std::string&) { return 0; }

int msg_text(ClientApp&, const std::string& msg) {
  if (msg[0] == 'O' && !show_combat_messages) return 0;
  d.print_msg("%s", message_text(msg).c_str());
  call_auxbox_server_message(msg);
  return 0;
}

int msg_forward(ClientApp&, const std::string& msg) {
  tcpObj.sckSend("^ f %s", message_text(msg).c_str());
  return 0;
}

int msg_whisper(ClientApp&, const std::string&) { return 0; }
int msg_book_text(ClientApp&, const std::string&) { return 0; }

int msg_game_over(ClientApp&, const std::string&) {
  session_over = true;
  d.screenshot();
  d.game_over();
  return 0;
}

int msg_minimap(ClientApp&, const std::string&) { return 0; }

int msg_file_transfer(ClientApp& app, const std::string& msg) {
  int number = -1;
  std::sscanf(msg.c_str(), "Y %d", &number);
  int rc = tcpObj.recv_file();
  if (number == -1) {
    if (rc != 0) writelog("problem transferring any old file\n");
    return 0;
  }
  if (rc == 0) {
    tcpObj.sckSend("Z");
    return 0;
  }
  writelog("problem transferring data file\n");
  if (++app.xfer_failures == MAX_XFER_FAILURES) {
    writelog("giving up on the xfer\n");
    session_over = true;
    tcpObj.sckSend("q");
  }
  return 0;
}

int msg_data_reload(ClientApp& app, const std::string&) {
  FunctionTrace trace("process_pkt");
  if (tiledata.load() != 0) {
    trace.printf("prob loading tile data");
    writelog("prob loading tile data\n");
  }
  spells.load();
  crops.load();
  reload_item_data();
  d.copy_tile_table();
  if (common_cfg.load() != 0) {
    writelog("failed to reload common config\n");
    return 1;
  }
  sc.load();
  me.race_rec = sc.get_race(me.race);
  mounts.load();
  buffs.load();
  sound.load_mount_sounds();
  app.logged_in = 1;
  data_reloaded = true;
  tcpObj.sckSend("i");
  return 0;
}

int msg_player_record(ClientApp&, const std::string& msg) {
  std::string old_name = me.name;
  me.parse_h_record(msg, true);
  playerstats(0);
  if (me.name != old_name) {
    client_cfg.set("name", me.name);
    client_cfg.save();
  }
  return 0;
}

int msg_level_change(ClientApp& app, const std::string& msg) {
  repeat_cast = repeat_use = repeat_make = false;
  int transfer = 0, map_number = 0, level = 0, x = 0, y = 0, fresh = 0, flag = 0;
  unsigned crc = 0;
  int n = std::sscanf(msg.c_str(), "K %d %d %d %d %d %x %d %d", &transfer, &map_number, &level, &x,
                      &y, &crc, &fresh, &flag);
  if (n < 6) return 0;
  map_transfer_pending = false;
  if (map_number == -1) {
    d.print_msg("Level closed!");
    return 0;
  }
  std::string path = format_str("cmaps/lvl%03d.map", map_number);
  if (transfer) {
    d.print_msg("Transferring map ...");
    d.refresh_screen();
    if (tcpObj.recv_file() != 0) {
      d.print_msg("Error transferring map ... disconnecting.");
      tcpObj.sckSend("q");
      session_over = true;
      return 0;
    }
  } else {
    me.x = static_cast<int16_t>(x);
    me.y = static_cast<int16_t>(y);
    uint32_t mine = static_cast<uint32_t>(file_crc32(path));
    FunctionTrace trace("change level");
    trace.printf("checking crc: mine=%x servers=%x", mine, crc);
    if (mine != crc) {
      tcpObj.sckSend("L %d", level);
      map_transfer_pending = true;
      return 0;
    }
  }
  me.map_level = static_cast<int16_t>(level);
  d.print_msg("Entering level %d", map_number);
  sound.stop_all_loops();
  playerstats(0);
  app.logged_in = 1;
  level_entered = true;
  id_table.clear_mobs();
  frame_pacer_countdown = 0;
  return 0;
}

// ---- Player records ----------------------------------------------------------

int msg_equipment_sync(ClientApp&, const std::string& msg) {
  me.sync_arms(msg);
  return 0;
}
int msg_stats_packet(ClientApp&, const std::string&) { return 0; }

// ---- Trade, container, crafting and talk ------------------------------------------

int msg_sell_list(ClientApp&, const std::string&) { return 0; }
int msg_crafting(ClientApp&, const std::string&) { return 0; }
int msg_talk_opens(ClientApp&, const std::string&) { return 0; }
int msg_buy_list(ClientApp&, const std::string&) { return 0; }
int msg_talk_ends(ClientApp&, const std::string&) { return 0; }
int msg_withdraw_list(ClientApp&, const std::string&) { return 0; }
int msg_stock_entries(ClientApp&, const std::string&) { return 0; }

// ---- Refresh, field of view and map changes -------------------------------------

int msg_field_of_view(ClientApp&, const std::string&) { return 0; }
int msg_map_change(ClientApp&, const std::string&) { return 0; }
int msg_refresh(ClientApp&, const std::string&) { return 0; }

// ---- Map effects and tracked creatures -------------------------------------------

int msg_map_effect(ClientApp&, const std::string&) { return 0; }
int msg_effect_ends(ClientApp&, const std::string&) { return 0; }
int msg_forget_id(ClientApp&, const std::string&) { return 0; }
int msg_tracked_creatures(ClientApp&, const std::string&) { return 0; }

// ---- Inventory sync, item changes and id information -------------------------------

int check_inventory_sync(int bank) {
  // The server sends the whole list: drop our copy of that side first.
  for (ItemListEl* e = items.first; e;) {
    if (e->item.is_banked() == (bank != 0))
      e = items.erase(e);
    else
      e = e->next;
  }
  inventory_synced = false;
  for (;;) {
    tcpObj.sckSend("*");
    std::string chunk;
    if (tcpObj.sckRecv(chunk) < 0) return 1;
    if (chunk.empty() || chunk == "EI") {
      tcpObj.sckSend("**");
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
      items.add(Item(parts[0]), hex_to_int(parts[1]), 1, false);
    }
  }
}

int msg_inventory_sync(ClientApp&, const std::string& msg) {
  int bank = 0;
  std::sscanf(msg.c_str(), "h %d", &bank);
  if (check_inventory_sync(bank) != 0) {
    d.print_msg("Failed to sync inventory; please reconnect.");
    tcpObj.sckSend("q");
    session_over = true;
  } else if (!level_entered) {
    tcpObj.sckSend("^ i");
  }
  if (bank != 0) me.bank_synced = true;
  return 0;
}

int msg_item_changed(ClientApp&, const std::string&) { return 0; }
int msg_id_information(ClientApp&, const std::string&) { return 0; }

// ---- Creature positions, combat reports, identify ------------------------------------

int msg_creature_updates(ClientApp&, const std::string&) { return 0; }
int msg_attack_report(ClientApp&, const std::string&) { return 0; }
int msg_damage_report(ClientApp&, const std::string&) { return 0; }
int msg_identify(ClientApp&, const std::string&) { return 0; }

// ---- Item and skill messages ---------------------------------------------------------

int msg_item_received(ClientApp&, const std::string&) { return 0; }
int msg_items_removed(ClientApp&, const std::string&) { return 0; }
int msg_craft_list(ClientApp&, const std::string&) { return 0; }
int msg_skill_update(ClientApp&, const std::string&) { return 0; }
