// The session's world: the local character, the current level, the lists and
// grid of what the server sent, and the game-wide rules of the login replies.
// Kept apart from the types' code, so that a program using the types (the
// development server, the level writer) does not carry these objects.

#include "world/cmap.h"
#include "world/item_drop.h"
#include "world/item_list.h"
#include "world/object_grid.h"
#include "world/player.h"

Player me;
CMap cmap;
ItemList items;
ItemList temp_list;
ItemList drop_list;
ObjectList server_objects;
ObjectList visible_creatures;
EffectList event_list;
EffectList missile_list;
EffectList particle_list;
ObjGrid obj_grid;
ItemDrop item_drop;
Item craft_base_item(0);
Item craft_chosen_item(0);
Item trade_item(256);

bool PLAYER_LEVELS = false;
bool PERMADEATH = false;
// Until the login reply says otherwise the statistics are unscaled.
float STAT_VALUE = 1.0f;
int skill_cap = 0;
bool flagged_skills_only = false;
int stat_cap = 0;
int level_cap = 0;
int manual_levelling = 0;
bool pvp_enabled = false;
int pvp_min_level = 0;
bool g_no_requirements = false;
bool spare_rule_flag = false;
int turn_delay_ms = 200;

namespace mapobj {

bool notblocked(int x, int y, bool allow_mountain) { return cmap.notblocked(x, y, allow_mountain); }

}  // namespace mapobj
