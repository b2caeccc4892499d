#include "app/globals.h"

// Construction order matters: later objects may read the earlier ones.
ConfigFile client_cfg("client.cfg");
ConfigFile common_cfg("dat/common.cfg");
Tiles tiledata;
ItemData wl;
Spells spells;
ItemList items;
ItemList temp_list;
ItemList drop_list;
EffectList event_list;
Socket tcpObj(SOCKET_ROLE_CLIENT);
Player me;
CMap cmap;
ObjectList server_objects;
QYXDisplay d;
Sound sound;
ObjGrid obj_grid;
ids id_table;
ObjectList visible_creatures;
EffectList missile_list;
EffectList particle_list;
std::vector<TrackedCreature> tracked_creatures;
SkillsClasses sc;
Mounts mounts;
Keymap keymap;
Buffs buffs;
Crops crops;
Options options;
ItemDrop item_drop;
Item craft_base_item(0);
Item craft_chosen_item(0);
std::string login_password;
Item trade_item(256);
std::string platform_name;
std::vector<ServerRow> server_list;
std::string quick_cast_spell;
ClientApp app;

lua_State* script_state = nullptr;
