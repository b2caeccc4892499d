#include "app/globals.h"

// The application's own long-lived objects. The objects of the lower layers
// are defined in their own folders; no constructor here or there reads another
// global, so their order across files does not matter.
std::string login_password;
std::string platform_name;
std::vector<ServerRow> server_list;
std::string quick_cast_spell;
ClientApp app;
