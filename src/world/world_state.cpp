// The session's world: the local character, the current level, and the lists
// and grid of what the server sent.
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
Item trade_item(ITEM_BASE_CURRENCY);

namespace mapobj {

bool notblocked(int x, int y, bool allow_mountain) { return cmap.notblocked(x, y, allow_mountain); }

}  // namespace mapobj
