// The server message dispatcher: a table from first character to handler.

#include <array>

#include "app/client_app.h"
#include "app/globals.h"
#include "app/message_handlers.h"
#include "core/compression.h"
#include "core/log.h"
#include "core/string_utils.h"

namespace {

constexpr size_t ROUTE_COUNT = DISPATCH_LAST - DISPATCH_FIRST + 1;

struct RouteRow {
  char letter;
  MessageRoute route;
};

// Letters whose handlers read the second character (the kind) need two bytes.
constexpr RouteRow ROUTE_ROWS[] = {
    {'#', {"msg_equipment_sync", msg_equipment_sync, 1, 0}},
    {'*', {"msg_grouped", msg_grouped, 1, 0}},
    {'@', {"msg_stats_packet", msg_stats_packet, 1, ROUTE_REDRAW_PANEL}},
    {'A', {"msg_attack_report", msg_attack_report, 1, ROUTE_REDRAW_PANEL | ROUTE_CLEAR_REPEATS_AFTER}},
    {'B', {"msg_sell_list", msg_sell_list, 1, 0}},
    {'C', {"msg_crafting", msg_crafting, 2, 0}},
    {'D', {"msg_damage_report", msg_damage_report, 1, ROUTE_REDRAW_PANEL}},
    {'E', {"msg_map_effect", msg_map_effect, 1, ROUTE_REDRAW_MAP}},
    {'F', {"msg_field_of_view", msg_field_of_view, 1, 0}},
    {'G', {"msg_field_of_view", msg_field_of_view, 1, 0}},
    {'H', {"msg_player_record", msg_player_record, 1, 0}},
    {'I', {"msg_item_received", msg_item_received, 1, 0}},
    {'J', {"msg_items_removed", msg_items_removed, 1, 0}},
    {'K', {"msg_level_change", msg_level_change, 1, 0}},
    {'L', {"msg_forward", msg_forward, 2, 0}},
    {'M', {"msg_text", msg_text, 2, 0}},
    {'N', {"msg_map_change", msg_map_change, 1, 0}},
    {'O', {"msg_text", msg_text, 2, 0}},
    {'P', {"msg_help_text", msg_help_text, 2, 0}},
    {'Q', {"msg_game_over", msg_game_over, 1, 0}},
    {'R', {"msg_refresh", msg_refresh, 1, 0}},
    {'S', {"msg_skill_update", msg_skill_update, 1, 0}},
    {'T', {"msg_talk_opens", msg_talk_opens, 1, 0}},
    {'U', {"msg_buy_list", msg_buy_list, 1, 0}},
    {'V', {"msg_talk_ends", msg_talk_ends, 1, 0}},
    {'W', {"msg_whisper", msg_whisper, 2, 0}},
    {'X', {"msg_level_gained", msg_level_gained, 1, 0}},
    {'Y', {"msg_file_transfer", msg_file_transfer, 1, 0}},
    {'Z', {"msg_data_reload", msg_data_reload, 1, 0}},
    {'b', {"msg_withdraw_list", msg_withdraw_list, 1, 0}},
    {'c', {"msg_craft_list", msg_craft_list, 1, ROUTE_CLEAR_REPEATS_BEFORE}},
    {'d', {"msg_dm_flag", msg_dm_flag, 1, 0}},
    {'e', {"msg_effect_ends", msg_effect_ends, 1, ROUTE_REDRAW_MAP}},
    {'h', {"msg_inventory_sync", msg_inventory_sync, 1, 0}},
    {'i', {"msg_id_information", msg_id_information, 1, 0}},
    {'j', {"msg_forget_id", msg_forget_id, 1, 0}},
    {'k', {"msg_item_changed", msg_item_changed, 1, 0}},
    {'l', {"msg_identify", msg_identify, 1, 0}},
    {'m', {"msg_move_result", msg_move_result, 1, 0}},
    {'n', {"msg_side_panel_text", msg_side_panel_text, 2, 0}},
    {'o', {"msg_creature_updates", msg_creature_updates, 1, ROUTE_VIEW_ONLY}},
    {'p', {"msg_tracked_creatures", msg_tracked_creatures, 2, 0}},
    {'q', {"msg_book_text", msg_book_text, 1, 0}},
    {'r', {"msg_resurrected", msg_resurrected, 1, 0}},  // its handler redraws the panel
    {'s', {"msg_spell_learned", msg_spell_learned, 1, 0}},
    {'t', {"msg_world_time", msg_world_time, 1, 0}},
    {'u', {"msg_stock_entries", msg_stock_entries, 2, 0}},
    {'v', {"msg_ship_values", msg_ship_values, 1, 0}},
    {'y', {"msg_player_values", msg_player_values, 1, 0}},
    {'z', {"msg_minimap", msg_minimap, 1, 0}},
};

struct RouteTable {
  std::array<const MessageRoute*, ROUTE_COUNT> routes{};
  RouteTable() {
    for (const RouteRow& row : ROUTE_ROWS)
      routes[static_cast<unsigned char>(row.letter) - DISPATCH_FIRST] = &row.route;
  }
};

const RouteTable& route_table() {
  static const RouteTable table;
  return table;
}

}  // namespace

const MessageRoute* find_route(unsigned char c) {
  if (c < DISPATCH_FIRST || c > DISPATCH_LAST) return nullptr;
  return route_table().routes[c - DISPATCH_FIRST];
}

std::string message_text(const std::string& msg) {
  return msg.size() > 2 ? msg.substr(2) : std::string();
}

int ClientApp::process_pkt(const std::string& msg) {
  FunctionTrace trace("process_pkt");
  trace.printf("[%s]", msg.c_str());

  unsigned char c = msg.empty() ? 0 : static_cast<unsigned char>(msg[0]);
  const MessageRoute* route = find_route(c);
  if (!route) {
    trace.printf("Unexpected message [%s]", msg.c_str());
    d.print_msg("Unexpected message from server ...");
    return 0;
  }
  // A line too short for the letters its handler reads has no meaning.
  if (msg.size() < route->min_length) {
    trace.printf("short message ignored [%s]", msg.c_str());
    return 0;
  }
  if (route->flags & ROUTE_CLEAR_REPEATS_BEFORE) clear_repeat_flags();
  // Handlers change what is shown in many ways: a whole frame follows every
  // message but those whose change only the map view shows.
  if (!(route->flags & ROUTE_VIEW_ONLY)) d.request_frame();
  int rc = route->handler(*this, msg);
  if (route->flags & ROUTE_CLEAR_REPEATS_AFTER) clear_repeat_flags();
  if (route->flags & ROUTE_REDRAW_PANEL) playerstats(0);
  if (route->flags & ROUTE_REDRAW_MAP) d.draw_window();
  return rc;
}

int msg_grouped(ClientApp& app, const std::string& msg) {
  if (msg.size() <= 1) return 0;
  std::string unpacked = inflate(msg.substr(1));
  if (unpacked.empty()) return 0;
  std::vector<std::string> parts;
  split(unpacked, std::string(1, GROUP_SEPARATOR), parts);
  // A new group replaces what is left of the old one; the parts go on the
  // stack last first, so that the frame loop takes them in sending order.
  app.session.pending_messages.clear();
  for (auto it = parts.rbegin(); it != parts.rend(); ++it)
    app.session.pending_messages.push_back(*it);
  FunctionTrace trace("process_pkt");
  if (app.session.pending_messages.empty())
    trace.printf("got the * for grouped packets but nothing otherwise!");
  else
    trace.printf("BEGIN GROUPED");
  return 0;
}
