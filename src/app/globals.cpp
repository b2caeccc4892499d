#include "app/globals.h"

// The application's own long-lived objects. The objects of the lower layers
// are defined in their own folders; no constructor here or there reads another
// global, so their order across files does not matter.
Item craft_base_item(0);
Item craft_chosen_item(0);
std::string login_password;
Item trade_item(256);
std::string platform_name;
std::vector<ServerRow> server_list;
std::string quick_cast_spell;
ClientApp app;
