// The player's requests to the server and the local checks before them.

#include "input/player_actions.h"

#include <allegro.h>

#include <cstdlib>

#include "app/client_app.h"
#include "app/play_messages.h"
#include "app/requests.h"
#include "audio/sound.h"
#include "core/config_file.h"
#include "core/ids.h"
#include "core/item_data.h"
#include "core/skills_classes.h"
#include "core/spells.h"
#include "core/string_utils.h"
#include "core/utils.h"
#include "display/display.h"
#include "input/frame_input.h"
#include "input/keymap.h"
#include "input/options.h"
#include "world/cmap.h"
#include "world/item_drop.h"
#include "world/item_list.h"
#include "world/object_grid.h"
#include "world/player.h"

int spell_delay = 500;
int fire_delay = 0;
int combat_cooloff = 0;
int (*cast_roll)(int n) = rand_int;

namespace {

constexpr int DEFAULT_SPELL_DELAY = 500;
constexpr int NO_TARGET_SPELL_DELAY = 250;
constexpr int OUT_OF_AMMO_DELAY = 200;
constexpr int SURE_SUCCESS_CHANCE = 98;
constexpr int MATERIAL_STAFF_BONUS = 3;
constexpr double STAFF_COOLOFF_DIVISOR = 2.25;
constexpr double STAFF_MATERIAL_COOLOFF = 0.85;

bool held(int scancode) { return Keymap::is_valid_scancode(scancode) && key[scancode]; }
bool held_action(int action) { return held(keymap.get_key(action)); }

double ms_since_reference(const ClientApp& app) {
  return static_cast<double>(get_time_us() - app.reference_time_us) / 1000.0;
}

// Prints the text unless it is already the newest line, so that a held key
// does not flood the message box; whether it printed.
bool print_once(const std::string& text) {
  if (d.get_last_msg() == text) return false;
  d.print_msg("%s", text.c_str());
  return true;
}

// The target and the cell where it was seen.
void take_target(int id, int x, int y) {
  target_id = id;
  target_x = x;
  target_y = y;
  crosshair_ready = true;
}
void take_target(const ItemListEl* node) { take_target(node->id, node->x, node->y); }

// The tracked row of a creature when it is on the player's level within reach.
const TrackedCreature* tracked_in_reach(int id) {
  int row = find_tracked(id);
  if (row < 0) return nullptr;
  const TrackedCreature& t = tracked_creatures[static_cast<size_t>(row)];
  if (t.level != me.map_level) return nullptr;
  if (std::abs(t.x - me.x) > TARGET_TRACK_RANGE || std::abs(t.y - me.y) > TARGET_TRACK_RANGE)
    return nullptr;
  return &t;
}

void face(int x, int y) {
  int dir = get_direction(me.x, me.y, x, y);
  if (dir != 0) me.direction = static_cast<int16_t>(dir);
}

// A target for a ranged attack or an auto-targeting spell; whether there is one.
bool ensure_target() {
  if (target_id == -1)
    get_new_target();
  else
    confirm_target();
  return target_id >= 0;
}

void announce_spell(int id) {
  if (options.get(OPT_COMBAT_MESSAGES))
    d.print_msg("Spell/ability: %s", spells.get_full_spell_name(id).c_str());
}

// The mana cost of a staff school's spell cast with a staff. A game without
// a discount set casts at full cost rather than for nothing.
int staff_cost(int cost) {
  if (common_cfg.get("staff_mana_discount").empty()) return cost;
  float f = common_cfg.get_float("staff_mana_discount");
  return f > 0 ? bounded_int<int>(cost * f) : 0;
}

void start_spell_cooloff(ClientApp& app) {
  app.session.spell_ready = 0;
  app.session.action_timers[TIMER_CAST] = input_clock_us();
}

}  // namespace

int count_equipped(const Item& item) {
  const Item* slots[] = {&me.weapon, &me.shield, &me.hat,      &me.armour, &me.gloves, &me.belt,
                         &me.trousers, &me.boots, &me.ring1,   &me.ring2,  &me.amulet};
  int n = 0;
  for (const Item* s : slots) n += *s == item ? 1 : 0;
  return n;
}

// ---- Directions ----------------------------------------------------------------

int get_keypad_dir() {
  bool up = key[KEY_UP], down = key[KEY_DOWN], left = key[KEY_LEFT], right = key[KEY_RIGHT];
  if (key[KEY_7_PAD] || held_action(KA_NORTHWEST) || (up && left)) return 7;
  if (key[KEY_9_PAD] || held_action(KA_NORTHEAST) || (up && right)) return 9;
  if (key[KEY_3_PAD] || held_action(KA_SOUTHEAST) || (down && right)) return 3;
  if (key[KEY_1_PAD] || held_action(KA_SOUTHWEST) || (down && left)) return 1;
  if (up || key[KEY_8_PAD] || held_action(KA_NORTH)) return 8;
  if (down || key[KEY_2_PAD] || held_action(KA_SOUTH)) return 2;
  if (right || key[KEY_6_PAD] || held_action(KA_EAST)) return 6;
  if (left || key[KEY_4_PAD] || held_action(KA_WEST)) return 4;
  return 5;
}

int dir_to_xy(int dir, int& x, int& y) {
  x = me.x;
  y = me.y;
  if (dir < DIR_N || dir > DIR_NW) return 0;
  step_in_direction(dir, x, y);
  if (cmap.get_type() == MAPTYPE_WRAP && cmap.width > 0) {
    if (x < 0) x = cmap.width - 1;
    if (x >= cmap.width) x = 0;
  }
  return dir;
}

int dir_to_keypad_key(int dx, int dy) {
  const struct {
    int dx, dy, scancode;
    char c;
  } keys[] = {{0, -1, KEY_8_PAD, '8'}, {1, -1, KEY_9_PAD, '9'}, {1, 0, KEY_6_PAD, '6'},
              {1, 1, KEY_3_PAD, '3'},  {0, 1, KEY_2_PAD, '2'},  {-1, 1, KEY_1_PAD, '1'},
              {-1, 0, KEY_4_PAD, '4'}, {-1, -1, KEY_7_PAD, '7'}, {0, 0, KEY_SPACE, ' '}};
  for (const auto& k : keys) {
    if (k.dx == dx && k.dy == dy) return k.scancode << 8 | k.c;
  }
  return 0;
}

// ---- Items on the map and in the inventory -----------------------------------

int get_item(int x, int y) {
  if (!server_objects.cell_empty(x, y)) return 1;
  return obj_grid.is_permanent(x, y) ? 2 : 0;
}

void request_item(int x, int y, int all) {
  send_get(x, y, me.map_level, all);
}

int request_drop(const Item& item, long count, bool have, int x, int y, std::string& batch) {
  bool dm = me.is_dm();
  if (!have && !dm) return 1;
  if (count < 1) return 1;
  long equipped = count_equipped(item);
  if (equipped > 0) {
    // Only what is carried beyond the worn pieces can go, however many are worn.
    long spare = items.get_qty(item) - equipped;
    if (spare < 1 && !dm) return 1;
    if (spare >= 1 && count > spare) count = spare;
  }
  std::string line = drop_line(x, y, item, count);
  if (batch == DROP_NOW) {
    send_drops(line);
    return 0;
  }
  if (!batch.empty()) batch += ':';
  batch += line;
  return 0;
}

void mark_for_drop(const Item& item) {
  if (!item.is_valid()) return;
  int marked = item_drop.get_count(item);
  if (marked >= 2) {
    item_drop.set_count(item, 0);
  } else if (marked == 1) {
    long carried = items.get_qty(item);
    item_drop.set_count(item, carried != 1 ? bounded_int<int>(carried) : 0);
  } else if (item_drop.size() < DROP_MAX_MARKED) {
    item_drop.set_count(item, 1);
  } else {
    d.print_msg("Max %d items can be dropped at a time.", DROP_MAX_MARKED);
  }
}

void drop_selected_items() { mark_for_drop(d.get_selected_item()); }

void use_item_at(const Item& item, int x, int y) {
  int away = x == me.x && y == me.y ? 0 : 1;
  send_use(item, x, y, me.map_level, away);
}

void use_item_here(const Item& item) { use_item_at(item, me.x, me.y); }

void request_open(int x, int y, int kind) { send_open(x, y, kind); }

int talk(int x, int y) {
  bool someone = false;
  for (const ItemListEl* e = server_objects.first; e && !someone; e = e->next)
    someone = e->x == x && e->y == y && e->id >= 0;
  if (!someone) {
    d.print_msg("Stop talking to yourself!");
    return 1;
  }
  send_talk_to(x, y, static_cast<unsigned long>(items.checksum(false)),
               static_cast<unsigned long>(items.checksum(true)));
  return 0;
}

void send_equipment() { send_arms(me.mk_arms_msg()); }

void make_item(const Item& item) {
  craft_chosen_item = item;
  if (!item.is_valid()) return;
  send_craft(item, app.session.craft_request_id, craft_base_item);
}

// ---- Combat and casting ------------------------------------------------------------

int ranged_attack(ClientApp& app, int flag) {
  app.session.attack_ready = 0;
  app.session.action_timers[TIMER_ATTACK] = input_clock_us();

  Item ammo_type = wl.get_ammo_type(me.weapon);
  Item ammo(0L);
  if (ammo_type.is_valid()) {
    bool slot_usable = me.ammo.is_valid() && items.get_qty(me.ammo) > 0 &&
                       me.ammo.get_base_code() == ammo_type.get_base_code();
    ammo = slot_usable ? me.ammo : ammo_type;
  }
  if (ammo.is_valid() && items.get_qty(ammo) <= 0) {
    d.print_msg("Out of ammo (%s)!", wl.get_name(ammo).c_str());
    fire_delay = OUT_OF_AMMO_DELAY;
    return 0;
  }
  fire_delay = me.get_weapon_delay();
  if (me.has_status(HN_CONFUSED)) {
    d.print_msg("You fumble your ammo!");
    return 0;
  }
  if (!ensure_target()) {
    d.print_msg("No target!");
    return 0;
  }
  weapon_attack_fx(true, target_x, target_y);
  if (ammo.is_valid()) items.remove(ammo, 1);
  send_ranged(target_x, target_y, me.map_level, target_id, ms_since_reference(app), flag, me.weapon,
              ammo);
  combat_cooloff = common_cfg.get_int("combat_cooloff");
  face(target_x, target_y);
  return 1;
}

int cast_spell(ClientApp& app, const std::string& name, bool ask_direction) {
  app.session.repeat_use = false;
  app.session.repeat_make = false;
  int id = spells.get_spell_id(name);
  if (id < 0) {
    d.print_msg("No such spell!");
    return CAST_NO_SPELL;
  }
  int skill = spells.get_skill(id);
  if (me.has_status(HN_WEREWOLF_FORM) && skill >= 0) {
    d.print_msg("You cannot cast that when in werewolf form!");
    return CAST_REFUSED;
  }
  bool dm = me.is_dm();
  if (!spells.class_can_use(id, me.cls) && !dm) {
    d.print_msg("You can't use this ability - incorrect %s!",
                common_cfg.get("class_label").c_str());
    return CAST_REFUSED;
  }
  spell_delay = DEFAULT_SPELL_DELAY;
  if (!dm) {
    if (PLAYER_LEVELS && me.lvl < spells.get_lvl(id)) {
      d.print_msg("You need to be level %d to use this ability!", spells.get_lvl(id));
      return CAST_REFUSED;
    }
    if (!me.has_spell(id)) {
      print_once("You do not know that spell!");
      return CAST_UNKNOWN;
    }
    char mana_type = static_cast<char>(spells.get_mana_type(id));
    bool staff_cast = mana_type == 'm' && me.wields_staff() && spells.is_staff_school(skill);
    int cost = spells.get_mana_req(id);
    if (staff_cast) cost = staff_cost(cost);
    int have = mana_type == 'e' ? me.energy : mana_type == 'r' ? me.rage : me.mana;
    if (have < cost) {
      if (print_once("Not enough " + get_mana_type_word(mana_type) + "!")) {
        sound.play_effect(SFX_STEAL);
        send_cast(-1, 0);
      }
      return CAST_NO_MANA;
    }
    int min_skill = spells.get_min_skill(id);
    if (min_skill >= 1 && skill >= 0 && me.get_skill(skill) < static_cast<float>(min_skill)) {
      d.print_msg("Requires %d%% in %s!", min_skill, sc.get_skillname(skill).c_str());
      return CAST_LOW_SKILL;
    }
    spell_delay = spells.get_cooloff(id);
    if (staff_cast) {
      spell_delay = static_cast<int>((spell_delay - 1000) / STAFF_COOLOFF_DIVISOR + 1000);
      if (me.weapon.get_material() == MATERIAL_STAFF_BONUS)
        spell_delay = static_cast<int>(spell_delay * STAFF_MATERIAL_COOLOFF);
    }
    if (common_cfg.get_int("casting_failure") != 0 && spells.get_circle(id) != 0) {
      int chance = spells.get_success_chance(id, skill >= 0 ? me.get_skill(skill) : 0.0f);
      bool success = chance > SURE_SUCCESS_CHANCE || chance > cast_roll(100);
      if (!success) {
        playerstats(0);
        send_cast(id, 0);
        start_spell_cooloff(app);
        announce_spell(id);
        d.print_msg("Casting failed!");
        sound.play_effect(SFX_SPELL_FAIL);
        return CAST_FAILED;
      }
    }
  }

  if (spells.is_directional(id)) {
    app.session.chosen_spell = id;
    if (ask_direction) d.print_msg("Which direction? (press enter to target self)");
    return CAST_WAITING;
  }
  if (spells.is_autotargeting(id)) {
    app.session.chosen_spell = id;
    if (!ensure_target()) {
      if (print_once("No target!")) spell_delay = NO_TARGET_SPELL_DELAY;
      return CAST_NO_SPELL;
    }
    send_cast_at(app, target_x, target_y, target_id);
    return CAST_SENT;
  }
  start_spell_cooloff(app);
  announce_spell(id);
  send_cast(id, 1);
  return CAST_SENT;
}

int send_cast_at(ClientApp& app, int x, int y, int target) {
  if (app.session.chosen_spell < 0) return 1;
  start_spell_cooloff(app);
  announce_spell(app.session.chosen_spell);
  send_cast_at_cell(app.session.chosen_spell, x, y, target, ms_since_reference(app));
  int dir = get_direction(me.x, me.y, x, y);
  if (dir != 0) {
    me.direction = static_cast<int16_t>(dir);
    app.cast_facing = dir;
  }
  return 0;
}

void cast_spell_at(ClientApp& app, const std::string& name, int x, int y) {
  if (cast_spell(app, name, false) == CAST_WAITING)
    send_cast_at(app, x, y, server_objects.get_top_id_at(x, y));
}

// ---- Targeting ---------------------------------------------------------------------

void get_new_target() {
  const ItemListEl* first = visible_creatures.first;
  if (!first) {
    target_id = -1;
    return;
  }
  if (!target_locked || locked_target_id == -1) {
    take_target(first);
    return;
  }
  if (const ItemListEl* locked = visible_creatures.find_id(locked_target_id)) {
    take_target(locked);
    return;
  }
  target_id = -1;
  if (const TrackedCreature* t = tracked_in_reach(locked_target_id)) take_target(t->id, t->x, t->y);
}

void set_target(int id) {
  if (const ItemListEl* e = visible_creatures.find_id(id)) take_target(e);
}

void next_target() {
  const ItemListEl* cur = target_id >= 0 ? visible_creatures.find_id(target_id) : nullptr;
  if (cur && cur->next)
    take_target(cur->next);
  else
    get_new_target();
}

void prev_target() {
  const ItemListEl* cur = target_id >= 0 ? visible_creatures.find_id(target_id) : nullptr;
  if (cur && cur->prev) {
    take_target(cur->prev);
    return;
  }
  const ItemListEl* last = visible_creatures.get_last();
  if (last)
    take_target(last);
  else
    target_id = -1;
}

void confirm_target() {
  if (target_id < 0) {
    get_new_target();
    return;
  }
  if (const ItemListEl* e = visible_creatures.find_id(target_id)) {
    take_target(e);
    return;
  }
  if (const TrackedCreature* t = tracked_in_reach(target_id)) {
    take_target(t->id, t->x, t->y);
    return;
  }
  get_new_target();
}

// ---- Other ---------------------------------------------------------------------------

void view_map() {
  d.draw_map_view(true);
  gc_interface_mode = MODE_MAP;
  d.print_msg("Viewing map ... press ESC when done.");
}

void run_patcher(ClientApp& app) { start_updater(app.program_dir); }
