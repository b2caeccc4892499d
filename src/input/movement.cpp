// The movement step: held keys and mouse buttons into steps, turns, bumps,
// attacks, casts, uses and target switches.

#include "input/movement.h"

#include <allegro.h>

#include <cstdlib>

#include "app/client_app.h"
#include "app/play_messages.h"
#include "app/requests.h"
#include "app/server_handlers.h"
#include "audio/sound.h"
#include "core/config_file.h"
#include "core/ids.h"
#include "core/item_bases.h"
#include "core/item_data.h"
#include "core/spells.h"
#include "core/tiles.h"
#include "core/utils.h"
#include "display/display.h"
#include "input/frame_input.h"
#include "input/hotkeys.h"
#include "input/keymap.h"
#include "input/normal_keys.h"
#include "input/options.h"
#include "input/player_actions.h"
#include "world/cmap.h"
#include "world/effects.h"
#include "world/item_list.h"
#include "world/object_grid.h"
#include "world/player.h"

namespace {

constexpr int TILE_FLOOR_CELL = 45;
constexpr int ITEM_BARRIER = 291;
constexpr int STATUS_WALK_FLAG = 61;
constexpr int MAPTYPE_EDGED = 2;
constexpr int SCROLL_WRAP_STEP = 21;
constexpr int DAY_EFFECT_TRIES = 19;

const char* const DIRECTION_NAMES[9] = {"None",  "North",     "Northeast", "East",     "Southeast",
                                        "South", "Southwest", "West",      "Northwest"};

bool held(int scancode) { return Keymap::is_valid_scancode(scancode) && key[scancode]; }

// The keypad digit of the held arrow and keypad keys only (the bound letter
// keys type text in the chat line); 5 for none.
int arrow_keypad_dir() {
  bool up = key[KEY_UP], down = key[KEY_DOWN], left = key[KEY_LEFT], right = key[KEY_RIGHT];
  if (key[KEY_7_PAD] || (up && left)) return 7;
  if (key[KEY_9_PAD] || (up && right)) return 9;
  if (key[KEY_3_PAD] || (down && right)) return 3;
  if (key[KEY_1_PAD] || (down && left)) return 1;
  if (up || key[KEY_8_PAD]) return 8;
  if (down || key[KEY_2_PAD]) return 2;
  if (right || key[KEY_6_PAD]) return 6;
  if (left || key[KEY_4_PAD]) return 4;
  return 5;
}

std::string spell_name_of_slot(int slot) {
  if (slot < 0 || slot >= PLAYER_HOTKEYS) return std::string();
  const SpellRecord* r = spells.get_record(me.spell_binds[slot]);
  return r ? r->name : std::string();
}

int wrap_step(int step) {
  if (step >= SCROLL_WRAP_STEP) return -1;
  if (step < -(SCROLL_WRAP_STEP - 1)) return 1;
  return step;
}

void pick_day_effect_cell() {
  d.clear_day_marker();
  for (int i = 0; i < DAY_EFFECT_TRIES; ++i) {
    int ox = rand_int(11) - 5, oy = rand_int(11) - 5;
    if (std::abs(ox) < 4 && std::abs(oy) < 4) continue;
    // The level wraps: a cell across the seam is kept as the map's own
    // cell there, and one beyond the top or bottom edge has no place.
    int x = me.x + ox, y = me.y + oy;
    cmap.wrap_x(x);
    if (!cmap.on_map(x, y) || cmap.get_tile(x, y) != TILE_FLOOR_CELL) continue;
    d.marker_x = x;
    d.marker_y = y;
    return;
  }
}

}  // namespace

int combo_slot(bool shift, bool ctrl, bool alt, bool right_held, bool mouse_movement) {
  if (!right_held) {
    if (ctrl && alt && shift) return 15;
    if (alt && ctrl) return 14;
    if (alt && shift) return 13;
    if (ctrl && shift) return 12;
    if (alt) return 11;
    if (shift) return 10;
    return -1;
  }
  if (mouse_movement) return ctrl ? 17 : 16;
  return -1;
}

bool step_allowed(int x, int y, bool& locked) {
  locked = false;
  const bool walk_flag = me.get_health(STATUS_WALK_FLAG) != 0;
  const int tile = cmap.get_tile(x, y);
  if (me.has_status(HN_PASSENGER) || me.has_status(HN_PILOT)) {
    if (tile != TILES_UNKNOWN && tile != CMAP_TILE_DEEP_WATER) return false;
  } else if (me.has_status(HN_FLYING)) {
    if (!mapobj::notblocked(x, y, walk_flag) && cmap.get_type() != 0 && !cmap.is_wet(x, y) &&
        tile != CMAP_TILE_VOID)
      return false;
  } else {
    const bool floating = me.has_status(HN_FLOATING);
    if (!mapobj::notblocked(x, y, walk_flag)) {
      bool dm_walks = me.is_dm() && !client_cfg.get_bool("block_dm");
      if (!dm_walks && !floating && !wl.is_walkable(obj_grid.get_item(x, y))) return false;
    }
    if (floating && !cmap.is_wet(x, y)) return false;
  }

  const ItemListEl* top = server_objects.find_top_at(x, y);
  if (top != nullptr) {
    if (top->id >= 0 && top->id < PLAYER_ID_LIMIT &&
        !(top->align == 'p' && client_cfg.get_int("no_share") == 0))
      return false;
    if (top->id >= PLAYER_ID_LIMIT && top->align != 's') return false;
  }
  const Item on_cell = obj_grid.get_item(x, y);
  if (wl.get_type(on_cell) == 'f' && !me.has_status(HN_FLYING)) return false;
  if (on_cell == Item(static_cast<long>(ITEM_BARRIER))) return false;
  if (server_objects.has_item_at(x, y) || on_cell == Item(static_cast<long>(ITEM_BASE_LOCKED_DOOR))) {
    locked = true;
    return false;
  }
  return true;
}

// One step toward (tx, ty) in direction `dir`: the ship's turn or move, the
// bump, or the move request with the local move.
static void take_step(ClientApp& app, int dir, int tx, int ty) {
  const uint64_t now = input_clock_us();
  app.session.move_step_ready = 0;
  app.session.action_timers[TIMER_MOVE] = now;
  app.session.moved_this_press = 1;
  clear_repeat_flags();
  craft_chosen_item = Item(0L);

  if (me.has_status(HN_PASSENGER) || me.has_status(HN_PILOT)) {
    if (dir == DIR_W || dir == DIR_E) {
      int facing = me.direction + (dir == DIR_W ? -2 : 2);
      if (facing < 1) facing = 7;
      if (facing > 7) facing = 1;
      me.direction = static_cast<int16_t>(facing);
      send_turn(facing);
      return;
    }
    if (dir != DIR_N) return;
    tx = me.x;
    ty = me.y;
    switch (me.direction) {
      case 1: --ty; break;
      case 3: ++tx; break;
      case 5: ++ty; break;
      case 7: --tx; break;
      default: return;
    }
    if (cmap.get_type() == MAPTYPE_WRAP && cmap.width > 0) tx = (tx + cmap.width) % cmap.width;
  }

  bool locked = false;
  if (!step_allowed(tx, ty, locked)) {
    if (locked) {
      d.print_msg("Locked!");
      return;
    }
    if (options.get(OPT_BLOCK_MESSAGES)) d.print_msg("Blocked!");
    turn_towards(tx, ty);
    return;
  }

  if (get_distance(me.x, me.y, app.session.confirmed_x, app.session.confirmed_y) >=
      MOVE_RESYNC_DISTANCE) {
    // Once from a place until the server answers, not at every step delay
    // while the key is held.
    const ResyncMark here{me.x, me.y, me.map_level};
    if (app.session.resync_sent_from != here) {
      send_move_resync(me.x, me.y, me.map_level);
      app.session.resync_sent_from = here;
    }
    return;
  }
  if (app.session.pending_move_token == 0) {
    app.session.pending_move_token = 1 + rand_int(MOVE_TOKEN_LIMIT);
    app.session.move_sent_time = get_time_us();
  }
  send_move(tx, ty, me.map_level, me.x, me.y, app.session.pending_move_token);
  if (client_cfg.get_bool("dir_msg") && dir >= 0 && dir <= 8) d.print_msg("%s", DIRECTION_NAMES[dir]);
  app.session.action_ready = 0;
  app.session.action_timers[TIMER_STEALTH] = now;
  d.scroll_dx = wrap_step(me.x - tx);
  d.scroll_dy = wrap_step(me.y - ty);
  if (options.get(OPT_SMOOTH_SCROLLING)) d.scroll_offset = d.tile_size;
  app.session.action_timers[TIMER_MOVE_START] = now;

  const int type = cmap.get_type();
  if (type == MAPTYPE_EDGED &&
      (tx < 1 || tx >= cmap.width - 1 || ty < 1 || ty >= cmap.height - 1)) {
    app.session.logged_in = 0;
    return;
  }
  if (ty < 0 || ty >= cmap.height || ((tx < 0 || tx >= cmap.width) && type != 0)) return;

  if (me.hp > 0 && !me.has_status(HN_FLOATING) && !me.has_status(HN_FLYING) &&
      !me.has_status(HN_HIDING))
    sound.play_effect(me.has_status(HN_HALLUCINATING) ? SFX_QUACK : SFX_STEP);
  if (!(me.has_status(HN_PILOT) || me.has_status(HN_PASSENGER)) || me.has_status(HN_MOUNTED)) {
    // From the step itself: across a wrapping map's seam the raw
    // coordinates point the other way.
    int facing = get_direction(0, 0, -d.scroll_dx, -d.scroll_dy);
    if (facing != 0) me.direction = static_cast<int16_t>(facing);
  }
  me.x = static_cast<int16_t>(tx);
  me.y = static_cast<int16_t>(ty);

  if (cmap.get_tile(tx, ty) == TILE_FLOOR_CELL && type == 0) {
    int hour = get_game_hour();
    if (hour >= 10 && hour <= 15 && rand_int(7) == 0) pick_day_effect_cell();
  }
}

void ClientApp::do_movement() {
  const int mode = static_cast<int>(gc_interface_mode);
  if (mode != MODE_NORMAL && mode != MODE_CHAT) return;
  if (me.has_status(HN_HELD) || me.has_status(HN_ASLEEP) || me.has_status(HN_IN_STOCKS)) return;
  const uint64_t now = input_clock_us();
  const bool mouse_opt = options.get(OPT_MOUSE);
  const bool shift = is_shift_down(), ctrl = is_ctrl_down(), alt = is_alt_down();
  const bool turn_based = common_cfg.get_bool("turn_based");

  // 1. The direction: held keys first, then the mouse.
  int digit = mode == MODE_CHAT ? arrow_keypad_dir() : get_keypad_dir();
  int dir = DIR_NONE, tx = me.x, ty = me.y;
  bool key_dir = false;
  if (digit != 5) {
    dir = get_dir_from_key(-1, tx, ty, digit);
    key_dir = dir != DIR_NONE;
    clear_keybuf();
  } else if ((session.left_released || session.left_held || session.right_held) &&
             d.mouse_in_play_window() && !d.mouse_over_hotbar() && session.mouse_dir != 0) {
    dir = me.steps_astray() ? rand_int(8) + 1 : session.mouse_dir;
    dir_to_xy(dir, tx, ty);
  }
  // A press ends when its button (or key) is let go.
  if (!session.left_held && !key_dir) session.attacked_this_press = session.moved_this_press = 0;

  // 2. What stands at the cell and under the pointer.
  const ItemListEl* top = dir != DIR_NONE ? server_objects.find_top_at(tx, ty) : nullptr;
  const int cell_id = top ? top->id : -1;
  const int cell_kind = top ? top->align : 0;
  const int pointer_creature =
      visible_creatures.get_top_id_at(session.mouse_cell_x, session.mouse_cell_y);

  // 3. The right-click context request.
  if (session.right_released && !ctrl && d.mouse_in_play_window() && session.buy_ready &&
      (options.get(OPT_RIGHT_CLICK_CONTEXT) || level_flag)) {
    if (d.pointer_item == Item(0L)) {
      send_context(session.mouse_cell_x, session.mouse_cell_y, me.map_level, shift, ctrl, alt);
      session.buy_ready = 0;
      session.action_timers[TIMER_BUY] = now;
    } else if (session.use_ready) {
      session.use_ready = 0;
      session.action_timers[TIMER_USE] = now;
      use_item_here(d.pointer_item);
    }
  }

  // 4. Targeting with the middle button.
  if (dir == DIR_NONE && pointer_creature >= 0 && session.middle_held && mouse_opt) {
    set_target(pointer_creature);
    session.targeted_this_press = 1;
    crosshair = true;
    blink_on = true;
    session.action_timers[TIMER_BLINK] = now;
  }

  // 5. The step.
  if (dir != DIR_NONE && session.move_step_ready && !me.has_status(HN_HAMSTRUNG) &&
      !map_transfer_pending && (!me.has_status(HN_PEERING) || !turn_based) && !shift && !ctrl &&
      !alt) {
    bool go = key_dir;
    if (!key_dir)
      go = mouse_opt && session.left_held && !session.attacked_this_press &&
           (cell_id < 0 || cell_kind == 'p' || cell_kind == 's') && d.mouse_in_play_window() &&
           (!crosshair || pointer_creature < 0) && cursor_code != CURSOR_OTHER;
    if (go) take_step(*this, dir, tx, ty);
  }

  // 6. Melee by moving.
  if (dir != DIR_NONE && session.attack_ready && !shift && !alt && me.hp > 0 &&
      !wl.is_ranged(me.weapon) &&
      ((ctrl && key_dir) ||
       (mouse_opt && session.left_held && cursor_code > 10 && !session.moved_this_press))) {
    session.attack_ready = 0;
    session.action_timers[TIMER_ATTACK] = now;
    session.attacked_this_press = 1;
    int16_t hiding = me.health[HN_HIDING];
    me.health[HN_HIDING] = 0;
    fire_delay = me.get_weapon_delay();
    me.health[HN_HIDING] = hiding;
    double since_move = now > session.action_timers[TIMER_MOVE]
                            ? static_cast<double>(now - session.action_timers[TIMER_MOVE]) / 1000.0
                            : 0.0;
    send_melee(tx, ty, me.map_level, cell_id, since_move, me.weapon);
    combat_cooloff = common_cfg.get_int("combat_cooloff");
    turn_towards(tx, ty);
  }

  // 7. Hotbar clicks: a letter button does what it shows, the spell of slot
  // 10 + button before its item (the slot's key takes the item first); the
  // command buttons run their bound command.
  if (session.left_released && mouse_opt && options.get(OPT_HOTBAR) && !level_flag) {
    const int buttons = options.get(OPT_COMMAND_HOTBAR) ? HOTBAR_BUTTONS : HOTBAR_SLOT_BUTTONS;
    for (int b = 0; b < buttons && b < static_cast<int>(d.hotbar.size()); ++b) {
      if (!d.hotbar[static_cast<size_t>(b)].contains(mouse_x, mouse_y, res_x, res_y)) continue;
      if (b < HOTBAR_SLOT_BUTTONS) {
        const int slot = hotbar_button_slot(b);
        const std::string name = spell_name_of_slot(slot);
        if (!name.empty()) {
          cast_or_queue(*this, name);
        } else if (me.item_binds[slot].is_valid()) {
          use_key_item(slot_to_scancode(slot), session.use_ready, session.action_timers[TIMER_USE],
                       gc_interface_mode, session.chosen_item, session.repeat_item);
          session.repeat_dir = 0;
        }
        continue;
      }
      const int action = client_cfg.get_int("hotbar" + std::to_string(b));
      if (action >= KA_ACTIVATE && action < KEYMAP_NUM_ACTIONS)
        simulate_keypress(keymap.get_key(action) << 8);
    }
  }

  // 8. Casts and uses of the modifier combinations.
  const bool combo_applies =
      me.hp > 0 &&
      (dir != DIR_NONE || (mouse_opt && session.right_held && !d.mouse_over_hotbar() &&
                           !level_flag && (!options.get(OPT_RIGHT_CLICK_CONTEXT) || ctrl)));
  const int slot = combo_applies ? combo_slot(shift, ctrl, alt, session.right_held, mouse_opt) : -1;
  if (slot < 0) {
    session.combo_cast = 0;
  } else {
    const int cx = dir != DIR_NONE ? tx : session.mouse_cell_x,
              cy = dir != DIR_NONE ? ty : session.mouse_cell_y;
    const std::string name = spell_name_of_slot(slot);
    if (!name.empty()) {
      // A held press casts again whenever casting is ready, but queues only
      // until it has cast: its cast and a queued copy would go off twice.
      if (session.spell_ready) {
        cast_spell_at(*this, name, cx, cy);
        session.last_spell = name;
        if (quick_cast_spell == name) quick_cast_spell.clear();
      } else if (options.get(OPT_SPELL_QUEUEING) &&
                 !(session.combo_cast && session.last_spell == name)) {
        quick_cast_spell = name;
        cast_dx = cx - me.x;
        cast_dy = cy - me.y;
      }
      session.combo_cast = 1;
    }
    const Item item = me.item_binds[slot];
    if (session.use_ready && item.is_valid()) {
      // Once per use delay, so that a held key does not send a use every pass.
      session.use_ready = 0;
      session.action_timers[TIMER_USE] = now;
      if (items.get_qty(item) > 0) {
        use_item_at(item, cx, cy);
        // F9 and the repeat use take it again, at the cell of the same step.
        session.repeat_item = item;
        session.repeat_dir = dir_to_keypad_key(sign(cx - me.x), sign(cy - me.y));
        clear_repeat_flags();
      } else {
        d.print_msg("You don't have a %s to use/equip!", wl.get_full_name(item).c_str());
      }
    }
  }

  // 9. Ranged attack by moving.
  if (wl.is_ranged(me.weapon) && ctrl && !shift && !alt &&
      (key_dir || (mouse_opt && session.left_held)) && me.hp > 0 && session.attack_ready)
    ranged_attack(*this, 0);

  // 10. Switching targets, once per press of the key.
  if (!held(keymap.get_key(KA_SWITCH_TARGET))) {
    switch_target_latch = 0;
  } else if (!target_locked && !session.targeted_this_press && !switch_target_latch) {
    switch_target_latch = 1;
    if (!crosshair)
      get_new_target();
    else if (shift)
      prev_target();
    else
      next_target();
    session.targeted_this_press = 1;
    crosshair = true;
    blink_on = true;
    session.action_timers[TIMER_BLINK] = now;
    playerstats(0);
  }
  if (dir != DIR_W && dir != DIR_E) session.targeted_this_press = 0;
}
