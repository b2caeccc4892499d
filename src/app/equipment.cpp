// The 'l' message that identifies or uncurses the inventory, and readying
// or unreadying an item in the player's equipment slots.

#include <cstdio>

#include "app/client_app.h"
#include "app/globals.h"
#include "app/message_handlers.h"
#include "app/play_messages.h"
#include "app/requests.h"

namespace {

// Requirement indices of the slots.
enum {
  SLOT_WEAPON = 0, SLOT_OFFHAND = 1, SLOT_HAT = 2, SLOT_ARMOUR = 3, SLOT_TROUSERS = 4,
  SLOT_BOOTS = 5, SLOT_GLOVES = 6, SLOT_RING1 = 7, SLOT_RING2 = 8, SLOT_AMULET = 9,
  SLOT_BELT = 13, SLOT_AMMO = 14
};

// A slot of its own type letter: where it is, its requirement index and
// its two curse messages.
struct WornSlot {
  char type;
  Item Player::*slot;
  Item Sentient::*base_slot;
  int index;
  const char* already_cursed;
  const char* welds;
};

const WornSlot WORN_SLOTS[] = {
    {'h', &Player::hat, nullptr, SLOT_HAT, "The headpiece you are already wearing is cursed!",
     "The %s welds itself to your head!"},
    {'a', &Player::armour, nullptr, SLOT_ARMOUR, "The armour you are already wearing is cursed!",
     "The %s welds itself to your body!"},
    {'t', &Player::trousers, nullptr, SLOT_TROUSERS,
     "The trousers you are already wearing are cursed!", "The %s weld themselves to your legs!"},
    {'b', &Player::boots, nullptr, SLOT_BOOTS, "The footwear you are already wearing is cursed!",
     "The %s welds itself to your feet!"},
    {'g', &Player::gloves, nullptr, SLOT_GLOVES, "The gloves you are already wearing are cursed!",
     "The %s weld themselves to your hands!"},
    {'m', nullptr, &Sentient::amulet, SLOT_AMULET,
     "The neckpiece you are already wearing is cursed!",
     "The %s welds itself to your neck and you begin choking!"},
    {'e', nullptr, &Sentient::belt, SLOT_BELT, "The belt you are already wearing is cursed!",
     "The %s welds itself to your waist!"},
    {'A', &Player::ammo, nullptr, SLOT_AMMO, "The ammo you have already equipped is cursed!",
     "The %s welds itself to your quiver!"},
};

constexpr const char* WEAPON_CURSED = "The weapon you have already equipped is cursed!";
constexpr const char* OFFHAND_CURSED = "The shield/offhand weapon you have equipped is cursed!";
constexpr const char* DISARMED = "You cannot equip right now because you've been disarmed!";

Item& slot_of(const WornSlot& s) { return s.slot ? me.*(s.slot) : me.*(s.base_slot); }

bool is_empty(const Item& i) { return i.code == 0; }
bool same(const Item& a, const Item& b) { return !is_empty(a) && a == b; }
bool two_handed(const Item& i) { return wl.get_no_hands(i) >= 2; }
bool cursed_for_me(const Item& i) { return i.is_cursed() && !me.is_dm(); }
std::string type_name(const Item& i) { return wl.get_name(i); }

// Cursed items stay where they are, except for a game master.
bool may_unready(const Item& item) {
  if (!cursed_for_me(item)) return true;
  d.print_msg("That item is cursed and cannot be unreadied!");
  return false;
}

bool meets_requirements(const Item& item, int index) {
  if (me.can_ready(item, index) && me.check_requirement(item) == 0) return true;
  d.print_msg("Item requirements not met.");
  return false;
}

void weld(const Item& item, const char* format) {
  if (item.is_cursed()) d.print_msg(format, type_name(item).c_str());
}

void weld_weapon(const Item& item) {
  if (item.is_cursed())
    d.print_msg("The %s welds itself to your hand%s!", type_name(item).c_str(),
                two_handed(item) ? "s" : "");
}

// A one-handed weapon in the off-hand that cannot be dual-wielded goes.
void drop_unfit_offhand() {
  if (!is_empty(me.shield) && wl.get_type(me.shield) != ITEM_SHIELD && !me.can_dual_wield(me.shield))
    me.shield = Item(0L);
}

bool try_unready(const Item& item) {
  if (same(item, me.weapon)) {
    if (wl.get_type(item) == ITEM_WEAPON && !two_handed(item) && me.can_dual_wield(item) &&
        is_empty(me.shield) && items.get_qty(item) > 1) {
      if (meets_requirements(item, SLOT_OFFHAND)) {
        me.shield = item;
        weld(item, "The %s welds itself to your hand!");
      }
      return true;
    }
    if (may_unready(item)) me.weapon = Item(0L);
    return true;
  }
  Item* plain[] = {&me.shield, &me.armour, &me.boots, &me.gloves, &me.hat, &me.trousers};
  for (Item* s : plain) {
    if (!same(item, *s)) continue;
    if (may_unready(item)) *s = Item(0L);
    return true;
  }
  if (same(item, me.ring2)) {
    if (may_unready(item)) {
      me.ring2 = Item(0L);
      if (same(item, me.ring1)) me.ring1 = Item(0L);
    }
    return true;
  }
  if (same(item, me.ring1)) {
    if (is_empty(me.ring2) && items.get_qty(item) > 1) {
      if (meets_requirements(item, SLOT_RING2)) {
        me.ring2 = item;
        weld(item, "The %s welds itself to your finger!");
      }
      return true;
    }
    if (may_unready(item)) me.ring1 = Item(0L);
    return true;
  }
  Item* last[] = {&me.amulet, &me.belt, &me.ammo};
  for (Item* s : last) {
    if (!same(item, *s)) continue;
    if (may_unready(item)) *s = Item(0L);
    return true;
  }
  return false;
}

void wield(const Item& item) {
  me.weapon = item;
  weld_weapon(item);
}

void ready(const Item& item) {
  const char type = wl.get_type(item);
  const bool weapon = type == ITEM_WEAPON;
  const bool one_hand_weapon = weapon && !two_handed(item);
  const bool offhand = type == ITEM_SHIELD ||
                       (one_hand_weapon && me.can_dual_wield(item) && !is_empty(me.weapon));
  if (offhand && wl.get_no_hands(me.weapon) < 2) {
    if (cursed_for_me(me.shield)) {
      d.print_msg("%s", OFFHAND_CURSED);
      return;
    }
    if (!meets_requirements(item, SLOT_OFFHAND)) return;
    me.shield = item;
    weld(item, "The %s welds itself to your hand!");
    return;
  }
  if (weapon && two_handed(item) && !wl.is_ranged(item) && no_two_handed_melee) {
    d.print_msg("You may not use a two handed melee weapon.");
    return;
  }
  if (weapon) {
    if (cursed_for_me(me.weapon)) {
      d.print_msg("%s", WEAPON_CURSED);
      return;
    }
    if (me.has_status(HN_DISARMED)) {
      d.print_msg("%s", DISARMED);
      return;
    }
    if (two_handed(item) && cursed_for_me(me.shield)) {
      d.print_msg("Your offhand item is cursed!");
      return;
    }
    if (!meets_requirements(item, SLOT_WEAPON)) return;
    wield(item);
    if (two_handed(item))
      me.shield = Item(0L);
    else
      drop_unfit_offhand();
    return;
  }
  for (const WornSlot& s : WORN_SLOTS) {
    if (s.type != type) continue;
    if (cursed_for_me(slot_of(s))) {
      d.print_msg("%s", s.already_cursed);
      return;
    }
    if (!meets_requirements(item, s.index)) return;
    slot_of(s) = item;
    weld(item, s.welds);
    return;
  }
  if (type == ITEM_RING) {
    if (!meets_requirements(item, SLOT_RING1) || !meets_requirements(item, SLOT_RING2)) return;
    if (is_empty(me.ring1)) {
      me.ring1 = item;
    } else if (is_empty(me.ring2)) {
      me.ring2 = item;
    } else {
      d.print_msg("Unequip one of your readied rings first!");
      return;
    }
    weld(item, "The %s welds itself to your finger!");
    return;
  }
  if (type == ITEM_SHIELD) {
    d.print_msg("You can't equip a shield when wielding a 2H weapon.");
    return;
  }
  if (!wl.is_legit(item)) return;
  if (cursed_for_me(me.weapon)) {
    d.print_msg("%s", WEAPON_CURSED);
    return;
  }
  if (me.has_status(HN_DISARMED)) {
    d.print_msg("%s", DISARMED);
    return;
  }
  wield(item);
  drop_unfit_offhand();
}

}  // namespace

void toggle_ready_item(const Item& item) {
  if (!try_unready(item)) ready(item);
}

void process_identify(const std::string& line) {
  if (line.size() < 5) return;
  const bool uncurse = line[2] == 'u';
  unsigned server_sum = 0;
  int flag = 0;
  std::sscanf(line.c_str() + 4, "%x %d", &server_sum, &flag);
  // Status 50 (detect traps) lets an uncurse reach blessed cursed items too.
  const bool deep = me.has_status(HN_DETECT_TRAPS) || flag != 0;

  for (ItemListEl* e = items.first; e != nullptr; e = e->next) {
    Item it = e->item;
    if (it.is_banked() || it.is_base_295()) continue;
    // The whole node changes: the server changes every unit of a stack.
    if (!uncurse && it.is_unidentified()) {
      it.identify();
      e->item = it;
      d.print_msg("%s identified!", wl.get_full_name(it).c_str());
    } else if (uncurse && it.is_cursed() && (!it.has_bless_bit() || deep)) {
      it.uncurse();
      e->item = it;
      d.print_msg("%s uncursed!", wl.get_full_name(it).c_str());
    }
  }
  if (items.checksum(false) != server_sum) send_inventory_request();
}

int msg_identify(ClientApp&, const std::string& msg) {
  process_identify(msg);
  return 0;
}
