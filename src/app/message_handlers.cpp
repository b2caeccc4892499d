// Handlers of the server's messages whose topics have no file of their own
// yet: they keep to the wire and leave the model alone until those topics
// are built. The session, refresh, inventory, level-change and creature
// messages live in their own files.

#include "app/message_handlers.h"

#include "app/client_app.h"
#include "app/globals.h"

// ---- Player records ----------------------------------------------------------

int msg_equipment_sync(ClientApp&, const std::string& msg) {
  me.sync_arms(msg);
  return 0;
}
int msg_stats_packet(ClientApp&, const std::string& msg) {
  me.parse_stats_packet(msg);
  return 0;
}

// ---- Trade, container, crafting and talk ------------------------------------------

int msg_sell_list(ClientApp&, const std::string&) { return 0; }
int msg_crafting(ClientApp&, const std::string&) { return 0; }
int msg_talk_opens(ClientApp&, const std::string&) { return 0; }
int msg_buy_list(ClientApp&, const std::string&) { return 0; }
int msg_talk_ends(ClientApp&, const std::string&) { return 0; }
int msg_withdraw_list(ClientApp&, const std::string&) { return 0; }
int msg_stock_entries(ClientApp&, const std::string&) { return 0; }

// ---- Map effects and tracked creatures -------------------------------------------

int msg_map_effect(ClientApp&, const std::string&) { return 0; }
int msg_effect_ends(ClientApp&, const std::string&) { return 0; }
int msg_forget_id(ClientApp&, const std::string&) { return 0; }
int msg_tracked_creatures(ClientApp&, const std::string&) { return 0; }

// ---- Combat reports, identify ------------------------------------------------------

int msg_attack_report(ClientApp&, const std::string&) { return 0; }
int msg_damage_report(ClientApp&, const std::string&) { return 0; }
int msg_identify(ClientApp&, const std::string&) { return 0; }

// ---- Item and skill messages ---------------------------------------------------------

int msg_item_received(ClientApp&, const std::string&) { return 0; }
int msg_items_removed(ClientApp&, const std::string&) { return 0; }
int msg_craft_list(ClientApp&, const std::string&) { return 0; }
int msg_skill_update(ClientApp&, const std::string&) { return 0; }
