// Handlers of the server's messages whose topics have no file of their own:
// the player records, and the item and skill messages that the input code
// handles. The other topics live in their own files.

#include "app/message_handlers.h"

#include "app/client_app.h"
#include "app/globals.h"
#include "input/item_lists.h"
#include "app/play_messages.h"

// ---- Player records ----------------------------------------------------------

int msg_equipment_sync(ClientApp&, const std::string& msg) {
  me.sync_arms(msg);
  return 0;
}
int msg_stats_packet(ClientApp&, const std::string& msg) {
  me.parse_stats_packet(msg);
  return 0;
}

// ---- Item and skill messages ---------------------------------------------------------

int msg_item_received(ClientApp&, const std::string& msg) {
  receive_item(msg);
  return 0;
}
int msg_items_removed(ClientApp&, const std::string& msg) {
  process_item_removed(msg);
  return 0;
}
int msg_craft_list(ClientApp&, const std::string& msg) {
  process_craft_list(msg);
  return 0;
}
int msg_skill_update(ClientApp&, const std::string& msg) {
  process_skill_update(msg);
  return 0;
}
