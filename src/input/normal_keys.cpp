// Normal-mode keys: the key of the pass in MODE_NORMAL, tried in a fixed order,
// and the per-pass queued cast and repeat steps.

#include "input/normal_keys.h"

#include <allegro.h>

#include "app/client_app.h"
#include "app/play_messages.h"
#include "app/requests.h"
#include "core/config_file.h"
#include "core/item_data.h"
#include "core/skills_classes.h"
#include "core/spells.h"
#include "core/string_utils.h"
#include "core/utils.h"
#include "display/display.h"
#include "display/list_keys.h"
#include "display/list_panel.h"
#include "input/frame_input.h"
#include "input/hotkeys.h"
#include "input/item_lists.h"
#include "input/keymap.h"
#include "input/menu_modes.h"
#include "input/modal_input.h"
#include "input/options.h"
#include "input/player_actions.h"
#include "script/script_host.h"
#include "world/cmap.h"
#include "world/item_list.h"
#include "world/player.h"

bool objlist_trace = false;

void cast_or_queue(ClientApp& app, const std::string& name) {
  if (app.session.spell_ready) {
    if (cast_spell(app, name, true) == CAST_WAITING) gc_interface_mode = MODE_CASTDIR;
    app.session.last_spell = name;
    clear_repeat_flags();
  } else if (options.get(OPT_SPELL_QUEUEING)) {
    quick_cast_spell = name;
    app.cast_dx = QUEUED_NO_CELL;
    app.cast_dy = 0;
  }
}

namespace {
bool shift() { return is_shift_down(); }
bool ctrl() { return is_ctrl_down(); }
bool alt() { return is_alt_down(); }
bool no_mod() { return !shift() && !ctrl() && !alt(); }
bool key_of(int action, int scancode) { return keymap.is_key(action, scancode); }

// Clears a ready flag and stamps its time.
void take(uint8_t& flag, int timer) {
  flag = 0;
  app.session.action_timers[timer] = input_clock_us();
}

// The cell of the last used item: from its remembered key, else the player's own.
void repeat_cell(int& x, int& y) {
  x = me.x;
  y = me.y;
  if (app.session.repeat_dir != 0) get_dir_from_key(app.session.repeat_dir, x, y, 5);
}

void use_last_item_again() {
  int x = 0, y = 0;
  repeat_cell(x, y);
  if (items.get_qty(app.session.repeat_item) > 0)
    use_item_at(app.session.repeat_item, x, y);
  else
    d.print_msg("You no longer have that item!");
}

void ask_direction(int mode, const char* what) {
  gc_interface_mode = static_cast<uint32_t>(mode);
  d.print_msg("%s ... which direction?", what);
}

// Opens the temporary list as a list of kind `kind`, on its first entry;
// the caller sets the mode that reads its keys.
void open_list(int kind) { d.list_input(&temp_list, '!', kind, false); }

void open_chat(const std::string& text) {
  app.session.input_text = text;
  app.session.input_pos = static_cast<int32_t>(text.size());
  gc_interface_mode = MODE_CHAT;
  d.draw_input_line("Say: ", app.session.input_text, app.session.input_pos);
}

// A shot with the wielded ranged weapon, or with the first one carried,
// which is readied for the shot and put back when no shot was made.
void fire_ranged() {
  if (wl.is_ranged(me.weapon)) {
    ranged_attack(app, 0);
    return;
  }
  const Item bow = me.get_first_ranged_weapon();
  if (!bow.is_valid()) {
    d.print_msg("Shooting requires ranged weapon or captaincy of ship!");
    return;
  }
  const Item previous = me.weapon;
  if (previous.is_valid() && previous.is_cursed()) {
    d.print_msg("You can't shoot your %s because your %s is welded to your hand!", wl.get_name(bow).c_str(),
                wl.get_name(previous).c_str());
    return;
  }
  toggle_ready_item(bow);
  send_equipment();
  if (ranged_attack(app, 0) != 1 && previous.is_valid()) {
    toggle_ready_item(previous);
    send_equipment();
  }
}

// The three stats' names and keys from "dat/common.cfg".
std::string stat_part(const char* cfg_key, int n) {
  std::vector<std::string> parts;
  split(common_cfg.get(cfg_key), ",", parts);
  return n < static_cast<int>(parts.size()) ? parts[static_cast<size_t>(n)] : std::string();
}
char stat_key_char(int n) {
  std::string k = stat_part("stat_key", n);
  return k.empty() ? '?' : k[0];
}
}  // namespace

void ClientApp::do_normal_mode() {
  const int sc = session.last_scancode;
  // 1. Hotkey slots.
  if (!me.has_status(HN_HELD) && !me.has_status(HN_ASLEEP) && !me.has_status(HN_IN_STOCKS) &&
      me.hp > 0 && !ctrl() && !alt()) {
    session.spell_words.clear();
    const int s = scancode_to_slot(sc);
    std::string name;
    if (sc == KEY_F10 && !shift()) name = session.last_spell;
    if (s >= 0) {
      const bool f_slot = s >= HOTKEY_F1_SLOT && s <= HOTKEY_F8_SLOT;
      if (me.item_binds[s].is_valid() && !(shift() && f_slot)) {
        use_key_item(sc, session.use_ready, session.action_timers[TIMER_USE], gc_interface_mode,
                     session.chosen_item, session.repeat_item);
        session.repeat_dir = 0;
        return;
      }
      if (!shift() && spells.is_valid_id(me.spell_binds[s])) name = spells.get_spell_str(me.spell_binds[s]);
    }
    if (!name.empty()) {
      cast_or_queue(*this, name);
      return;
    }
  }
  // 2. Game-master view, buy, stats, map.
  if (alt() && key[KEY_V] && me.is_dm()) {
    me.dm_xray = !me.dm_xray;
  } else if (key_of(KA_BUY, sc) && no_mod()) {
    if (session.buy_ready) {
      take(session.buy_ready, TIMER_BUY);
      send_buy_request(static_cast<unsigned long>(items.checksum(false)),
                       static_cast<unsigned long>(items.checksum(true)));
    }
  } else if (key_of(KA_STATS, sc)) {
    if (ctrl() && !alt()) {
      d.minimap_span = d.minimap_span == MINIMAP_SPAN_NEAR ? MINIMAP_SPAN_FAR : MINIMAP_SPAN_NEAR;
    } else if (alt() && !ctrl()) {
      d.statbox_reset = !d.statbox_reset;
    } else if (!alt() && !ctrl()) {
      d.cycle_statbox_page(shift());
      if (d.statbox_reset) {
        d.statbox_page = 0;
        d.statbox_reset = 0;
      }
    }
    d.playerstats();
  } else if (key_of(KA_MAP, sc)) {
    view_map();
  }
  // 3. SPACE, help and ESC.
  if (sc == KEY_SPACE && session.space_ready) {
    take(session.space_ready, TIMER_SPACE);
    send_space_key(me.map_level);
    d.scroll_offset = 0;
  }
  if (session.last_ascii == '?') {
    gc_interface_mode = MODE_HELP;
    d.print_msg("Viewing help ... press ESC when done.");
    d.help_scroll = 0;
  }
  if (sc == KEY_ESC) {
    if (!any_repeat_flag()) d.print_msg("Help: %cPress F12 for menu.", 9);
    clear_repeat_flags();
  }
  // 4. The rest, as far as the player's state allows.
  if (me.has_status(HN_HELD) || me.has_status(HN_ASLEEP)) return;
  do_repeat_keys();
  do_toggle_keys();
  do_chat_entry();
  if (me.hp < 1 || me.has_status(HN_IN_STOCKS)) return;
  do_command_keys();
}

void ClientApp::do_repeat_keys() {
  if (me.has_status(HN_IN_STOCKS)) return;
  const int sc = session.last_scancode;
  const bool sh = shift();
  const bool shapeshifted = me.has_status(HN_WEREWOLF_FORM) || me.has_status(HN_POLYMORPHED);
  if (sc == KEY_F9 && !sh && me.hp > 0 && session.repeat_item.is_valid() && session.use_ready) {
    take(session.use_ready, TIMER_USE);
    use_last_item_again();
  } else if (sc == KEY_F9 && sh && !app.session.repeat_use) {
    clear_repeat_flags();
    app.session.repeat_use = true;
    d.print_msg("Repeat use on.");
  } else if (sc == KEY_F10 && sh) {
    clear_repeat_flags();
    app.session.repeat_cast = true;
    d.print_msg("Repeat cast on.");
  } else if (sc == KEY_F11 && sh) {
    if (!shapeshifted && craft_chosen_item.code != 0) {
      clear_repeat_flags();
      app.session.repeat_make = true;
      d.print_msg("Repeat make on.");
    }
  } else if (sc == KEY_F11 && me.hp >= 1 && session.craft_ready && !shapeshifted &&
             craft_chosen_item.code != 0) {
    take(session.craft_ready, TIMER_CRAFT);
    make_item(craft_chosen_item);
  }
  const bool digit = sc >= KEY_0 && sc <= KEY_9;
  const bool f_key = sc >= KEY_F1 && sc <= KEY_F8;
  if (sh && (digit || f_key) && common_cfg.get_int("cast_with_words") != 0 && me.hp > 0) {
    session.button_number = digit ? sc - KEY_0 : HOTKEY_F1_SLOT + sc - KEY_F1;
    bind_spell_to_key(*this, f_key);
  }
  if (sc == KEY_PGUP) d.scroll_messages_up();
  else if (sc == KEY_PGDN) d.scroll_messages_down();
  else if (sc == KEY_END) d.scroll_messages_reset();
  else if (sc == KEY_PRTSCR && session.use_ready) {
    d.screenshot();
    take(session.use_ready, TIMER_USE);
  }
}

void ClientApp::do_toggle_keys() {
  const int sc = session.last_scancode;
  const bool sh = shift(), ct = ctrl(), al = alt();
  if (ct && !al && !sh && key_of(KA_TALK, sc) && !whisper_partner().empty()) {
    open_chat("/msg " + whisper_partner() + " ");
  } else if (key_of(KA_EXIT_MOUNT, sc) &&
             (me.has_status(HN_PILOT) || me.has_status(HN_PASSENGER) || me.has_status(HN_MOUNTED) ||
              me.has_status(HN_POLYMORPHED)) &&
             session.buy_ready && !sh && !ct && !al) {
    take(session.buy_ready, TIMER_BUY);
    if (me.has_status(HN_POLYMORPHED)) {
      send_exit_mount(9, me.x, me.y);
    } else if (me.has_status(HN_MOUNTED) && !cmap.is_wet(me.x, me.y)) {
      d.print_msg("X-it mount!");
      send_exit_mount(0, me.x, me.y);
    } else {
      d.print_msg("X-it ... which direction?");
      gc_interface_mode = MODE_EXIT_MOUNT;
    }
  } else if (sh && al && ct && sc == KEY_D && me.is_dm()) {
    debug_echo = !debug_echo;
    d.print_msg("Packet dump: %s", debug_echo ? "on" : "off");
  } else if (sh && al && ct && (sc == KEY_B || sc == KEY_O) && me.is_dm()) {
    objlist_trace = !objlist_trace;
    d.print_msg("Objlist: %s", objlist_trace ? "on" : "off");
  } else if (sc == KEY_F1 && (al || ct) && !sh && me.hp < 1) {
    send_dead_key();
  } else if (sc == KEY_F3 && (al || ct) && !sh) {
    static const char* const names[] = {"Rage/mana", "Rage", "Mana"};
    rage_bar = (rage_bar + 1) % 3;
    if (rage_bar < 0) rage_bar = 0;
    client_cfg.set_int("rage_bar", rage_bar);
    d.print_msg("%s bar: %s", names[rage_bar], rage_bar == 0 ? "off" : "on");
  } else if (sc == KEY_F5 && al && !ct && !sh) {
    d.print_msg("%s", script_reload_message(load_scripts()).c_str());
  } else if (sc == KEY_F12 && !sh && !al) {
    if (!ct) {
      gc_interface_mode = MODE_QYXMENU;
      d.menu_page = 0;
    } else {
      toggle_fullscreen_or_quit();
    }
  }
}

void ClientApp::do_chat_entry() {
  switch (session.last_ascii) {
    case 13:
      if (!ctrl()) open_chat(shift() ? "/g " : "");
      break;
    case '/':
      open_chat("/");
      break;
    case '\\':
      open_chat("/p ");
      break;
    case '|':
      open_chat("/me ");
      break;
    default:
      break;
  }
}

void ClientApp::do_command_keys() {
  const int sc = session.last_scancode;
  const bool sh = shift(), ct = ctrl(), al = alt();
  const bool none = !sh && !ct && !al;
  const bool shapeshifted = me.has_status(HN_WEREWOLF_FORM) || me.has_status(HN_POLYMORPHED);
  auto keymap_off = [](int action) {
    return common_cfg.get_int("disable_keymap_" + std::to_string(action)) != 0;
  };
  if (key_of(KA_ACTIVATE, sc) && none && session.buy_ready) {
    take(session.buy_ready, TIMER_BUY);
    ask_direction(MODE_ACTIVATE, "Activate");
  } else if (key_of(KA_CAST, sc) && !al && !ct) {
    if (!session.spell_ready) {
      d.print_msg("You must wait before using another ability.");
    } else if (common_cfg.get_int("cast_with_words") != 0 && !sh) {
      gc_interface_mode = MODE_CAST;
      session.spell_words.clear();
      session.input_text.clear();
      session.input_pos = 0;
      d.draw_input_line("Spell/ability: ", session.input_text, session.input_pos);
    } else if (construct_ability_list(temp_list) == 0) {
      d.print_msg("You have no abilities!");
    } else {
      open_list(SELECT_ABILITY);
      d.print_msg("Select spell/ability to use ...");
      gc_interface_mode = MODE_ABILITY;
    }
  } else if (key_of(KA_CROSSHAIR, sc) && !ct) {
    if (!sh && !al) {
      crosshair = !crosshair;
      d.print_msg("Crosshair %s", crosshair ? "on" : "off");
      if (crosshair) {
        get_new_target();
        session.action_timers[TIMER_BLINK] = input_clock_us();
        d.playerstats();
      }
    } else if (al) {
      target_locked = !target_locked;
      d.print_msg("Target %s", target_locked ? "locked" : "unlocked");
      locked_target_id = target_id;
    } else {
      target_type = (target_type + 1) % TARGET_TYPES;
      if (target_type < 0) target_type = TARGET_ALL;
      static const char* const kinds[] = {"all", "good", "evil"};
      if (target_type == TARGET_PARTY) d.print_msg("Targeting party members.");
      else d.print_msg("Targeting %s creatures.", kinds[target_type]);
      target_id = -1;
      client_cfg.set_int("target_type", target_type);
      d.draw_window(false, &visible_creatures);
      next_target();
      if (target_id == -1) get_new_target();
    }
  } else if (key_of(KA_DRINK, sc) && session.use_ready && !al && !ct) {
    use_choice_flag = sh;
    drink_menu(*this);
  } else if (key_of(KA_DROP, sc) && !sh && !ct) {
    d.list_title = "DROP";
    if (construct_item_list(temp_list, al ? ITEMS_OTHER : ITEMS_ALL) == 0) {
      d.print_msg("You don't have anything to drop!");
      return;
    }
    open_list(SELECT_NORMAL);
    d.print_msg("Drop ... select item ...");
    if (!options.get(OPT_DISABLE_HELP_MESSAGES)) {
      const std::string b = keymap.get_binding_text(KA_DROP, false);
      d.print_msg("To multi-drop, hit %s (or CTRL+%s when /searching) or right-click to flag items to drop, "
                  "then hit Enter to finish or ESC to cancel.",
                  b.c_str(), b.c_str());
    }
    gc_interface_mode = MODE_DROPALL;
  } else if (key_of(KA_EAT, sc) && session.use_ready && !al && !ct) {
    use_choice_flag = sh;
    eat_menu(*this);
  } else if (key_of(KA_FIRE, sc) && none && session.attack_ready) {
    if (me.has_status(HN_PILOT)) ask_direction(MODE_FIRE, "Fire cannons");
    else fire_ranged();
  } else if (key_of(KA_GET, sc) && !al && session.buy_ready) {
    const bool swap = options.get(OPT_SWAP_GET_KEYS);
    if (sh != swap) {
      take(session.buy_ready, TIMER_BUY);
      send_get_here();
    } else {
      ask_direction(ct ? MODE_GETONE : MODE_GET, "Get");
    }
  } else if (key_of(KA_HIDE, sc) && none && session.hide_ready && !me.has_status(HN_HIDING) &&
             !keymap_off(KA_HIDE)) {
    send_hide(true);
    take(session.hide_ready, TIMER_HIDE);
    clear_repeat_flags();
  } else if (key_of(KA_HIDE, sc) && sh && me.has_status(HN_HIDING) && !keymap_off(KA_HIDE)) {
    send_hide(false);
  } else if (key_of(KA_IGNITE, sc) && !al && !ct && session.use_ready) {
    send_ignite(sh ? 0 : 1);
    take(session.use_ready, TIMER_USE);
  } else if (key_of(KA_INVENTORY, sc) && !al && !ct) {
    const bool bank = sh;
    int n = construct_item_list(temp_list, bank ? ITEMS_BANKED : ITEMS_ALL);
    if (n == 0) {
      if (bank && !me.bank_synced)
        d.print_msg("TIP: you need to go to the bank first to sync your bank account before you can sort it!");
      else
        d.print_msg("You have nothing in your %s.", bank ? "bank vault" : "inventory");
      return;
    }
    d.list_title = bank ? "VIEW BANK" : "VIEW INVENTORY";
    // The player's own lists: no trading partner, and no moves made yet.
    session.list_partner = -1;
    pick_list.clear();
    open_list(bank ? SELECT_VIEW_BANK : SELECT_VIEW_INV);
    d.print_msg("Rearranging %s (use shift+arrow or shift+wheel to move an item) ...",
                bank ? "bank vault" : "inventory");
    gc_interface_mode = bank ? MODE_VIEW_BANK : MODE_VIEW_INV;
  } else if (key_of(KA_LOOK, sc) && none && session.buy_ready) {
    take(session.buy_ready, TIMER_BUY);
    ask_direction(MODE_LOOK, "Look");
  } else if (key_of(KA_MEDITATE, sc) && !me.has_status(HN_WEREWOLF_FORM) && none &&
             session.buy_ready && !keymap_off(KA_MEDITATE)) {
    take(session.buy_ready, TIMER_BUY);
    send_meditate();
  } else if (key_of(KA_READ, sc) && !al && !ct) {
    use_choice_flag = sh;
    read_menu(*this);
  } else if (key_of(KA_READY, sc) && !al && !ct) {
    if (shapeshifted) {
      d.print_msg("Must be in non-polymorphed form!");
      return;
    }
    if ((sh ? construct_item_list(temp_list, ITEMS_ALL) : construct_ready_list(temp_list)) == 0) {
      d.print_msg(sh ? "You have nothing at all to equip." : "You have nothing to equip.");
      return;
    }
    d.list_title = "READY";
    open_list(SELECT_READY);
    d.print_msg("Readying arms ...");
    gc_interface_mode = MODE_READY;
  } else if (key_of(KA_SEARCH, sc) && session.buy_ready && !al && !ct) {
    take(session.buy_ready, TIMER_BUY);
    ask_direction(sh ? MODE_OPEN : MODE_SEARCH, sh ? "Open" : "Search (and open)");
  } else if (key_of(KA_BUY, sc) && sh && !al && !ct && session.buy_ready) {
    take(session.buy_ready, TIMER_BUY);
    send_shift_buy_request(static_cast<unsigned long>(items.checksum(false)),
                           static_cast<unsigned long>(items.checksum(true)));
  } else if (key_of(KA_TALK, sc) && none) {
    ask_direction(MODE_TALK, "Talk");
  } else if (key_of(KA_USE, sc) && session.use_ready && !al && !ct) {
    use_choice_flag = sh;
    use_item_menu(*this);
  } else if (sc == KEY_F2 && (al || ct) && !sh && session.level_up_pending) {
    session.level_up_pending = 0;
    session.level_up_saved_points = me.stat_points;
    gc_interface_mode = MODE_LEVEL_UP;
    d.print_msg("Press %c to bump %s, %c to bump %s, and %c to bump %s. You have %d point(s) to distribute. "
                "Press ESC to cancel.",
                stat_key_char(0), stat_part("stats", 0).c_str(), stat_key_char(1),
                stat_part("stats", 1).c_str(), stat_key_char(2), stat_part("stats", 2).c_str(),
                me.stat_points);
  }
}

void ClientApp::do_use_again() {
  if (me.has_status(HN_WEREWOLF_FORM)) {
    clear_repeat_flags();
    return;
  }
  if (app.session.repeat_use && me.hp > 0 && session.repeat_item.is_valid() && session.use_ready &&
      (gc_interface_mode == MODE_NORMAL || gc_interface_mode == MODE_CHAT) &&
      get_keypad_dir() == 5) {
    take(session.use_ready, TIMER_USE);
    use_last_item_again();
  }
  if (app.session.repeat_cast && me.hp >= 1 && session.spell_ready && !session.last_spell.empty()) {
    int x = me.x, y = me.y;
    dir_to_xy(cast_facing, x, y);
    cast_spell_at(*this, session.last_spell, x, y);
  }
  if (app.session.repeat_make && me.hp >= 1 && session.craft_ready) {
    take(session.craft_ready, TIMER_CRAFT);
    make_item(craft_chosen_item);
  }
}

void ClientApp::do_queued_cast() {
  if (quick_cast_spell.empty() || !session.spell_ready) return;
  const std::string name = quick_cast_spell;
  if (cast_dx == QUEUED_NO_CELL) {
    if (cast_spell(*this, name, true) == CAST_WAITING) gc_interface_mode = MODE_CASTDIR;
  } else {
    cast_spell_at(*this, name, me.x + cast_dx, me.y + cast_dy);
  }
  session.last_spell = name;
  quick_cast_spell.clear();
}
