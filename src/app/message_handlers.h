#pragma once
// The handlers of the server's messages, one per first character. Each gets
// the whole line, letter included; the dispatcher has already checked that
// the line is long enough for the letters the handler reads. Result 0, or
// non-zero only for a failed data reload.

#include <string>

class ClientApp;

using MessageHandler = int (*)(ClientApp& app, const std::string& msg);

// The text of a "letter, kind character, text" line: from the third character
// on; empty for a line of two characters or fewer.
std::string message_text(const std::string& msg);

// Session and player messages.
int msg_move_result(ClientApp& app, const std::string& msg);         // m
int msg_world_time(ClientApp& app, const std::string& msg);          // t
int msg_player_values(ClientApp& app, const std::string& msg);       // y
int msg_ship_values(ClientApp& app, const std::string& msg);         // v
int msg_level_gained(ClientApp& app, const std::string& msg);        // X
int msg_dm_flag(ClientApp& app, const std::string& msg);             // d
int msg_spell_learned(ClientApp& app, const std::string& msg);       // s
int msg_resurrected(ClientApp& app, const std::string& msg);         // r
int msg_side_panel_text(ClientApp& app, const std::string& msg);     // n
int msg_help_text(ClientApp& app, const std::string& msg);           // P
int msg_text(ClientApp& app, const std::string& msg);                // M, O
int msg_forward(ClientApp& app, const std::string& msg);             // L
int msg_whisper(ClientApp& app, const std::string& msg);             // W
int msg_book_text(ClientApp& app, const std::string& msg);           // q
int msg_game_over(ClientApp& app, const std::string& msg);           // Q
int msg_minimap(ClientApp& app, const std::string& msg);             // z
int msg_file_transfer(ClientApp& app, const std::string& msg);       // Y
int msg_data_reload(ClientApp& app, const std::string& msg);         // Z
int msg_player_record(ClientApp& app, const std::string& msg);       // H
int msg_level_change(ClientApp& app, const std::string& msg);        // K

// Player records.
int msg_equipment_sync(ClientApp& app, const std::string& msg);      // #
int msg_stats_packet(ClientApp& app, const std::string& msg);        // @

// Trade, container, crafting and talk.
int msg_sell_list(ClientApp& app, const std::string& msg);           // B
int msg_crafting(ClientApp& app, const std::string& msg);            // C
int msg_talk_opens(ClientApp& app, const std::string& msg);          // T
int msg_buy_list(ClientApp& app, const std::string& msg);            // U
int msg_talk_ends(ClientApp& app, const std::string& msg);           // V
int msg_withdraw_list(ClientApp& app, const std::string& msg);       // b
int msg_stock_entries(ClientApp& app, const std::string& msg);       // u

// Refresh, field of view and map changes.
int msg_field_of_view(ClientApp& app, const std::string& msg);       // F, G
int msg_map_change(ClientApp& app, const std::string& msg);          // N
int msg_refresh(ClientApp& app, const std::string& msg);             // R

// Map effects and tracked creatures.
int msg_map_effect(ClientApp& app, const std::string& msg);          // E
int msg_effect_ends(ClientApp& app, const std::string& msg);         // e
int msg_forget_id(ClientApp& app, const std::string& msg);           // j
int msg_tracked_creatures(ClientApp& app, const std::string& msg);   // p

// Inventory sync, item changes and id information.
int msg_inventory_sync(ClientApp& app, const std::string& msg);      // h
// The blocking sync exchange of the carried items (bank 0) or the bank vault:
// 0 done, 1 the connection failed.
int check_inventory_sync(int bank);
int msg_item_changed(ClientApp& app, const std::string& msg);        // k
int msg_id_information(ClientApp& app, const std::string& msg);      // i

// Creature positions, combat reports, identify.
int msg_creature_updates(ClientApp& app, const std::string& msg);    // o
int msg_attack_report(ClientApp& app, const std::string& msg);       // A
int msg_damage_report(ClientApp& app, const std::string& msg);       // D
int msg_identify(ClientApp& app, const std::string& msg);            // l

// Item and skill messages of the input subsystem.
int msg_item_received(ClientApp& app, const std::string& msg);       // I
int msg_items_removed(ClientApp& app, const std::string& msg);       // J
int msg_craft_list(ClientApp& app, const std::string& msg);          // c
int msg_skill_update(ClientApp& app, const std::string& msg);        // S

// The grouped message '*' (in the dispatcher).
int msg_grouped(ClientApp& app, const std::string& msg);             // *

// What the dispatcher does around a handler.
enum {
  ROUTE_REDRAW_PANEL = 1,    // side panel after the handler
  ROUTE_REDRAW_MAP = 2,      // map view after the handler
  ROUTE_CLEAR_REPEATS_BEFORE = 4,
  ROUTE_CLEAR_REPEATS_AFTER = 8,
  // What the handler changes shows in the map view alone, which it redraws
  // itself; every other message asks for a whole frame.
  ROUTE_VIEW_ONLY = 16
};

struct MessageRoute {
  const char* name;        // the handler's name, for traces and tests
  MessageHandler handler;
  unsigned min_length;     // shorter lines are not handed over
  unsigned flags;          // ROUTE_ bits
};

// The first table byte and the last; others take the unexpected-message path.
constexpr unsigned char DISPATCH_FIRST = 0x23;
constexpr unsigned char DISPATCH_LAST = 0x7A;

// The route of a first byte, or null for the unexpected-message path.
const MessageRoute* find_route(unsigned char c);

// The separator of the parts of a grouped message.
constexpr char GROUP_SEPARATOR = 0x05;
