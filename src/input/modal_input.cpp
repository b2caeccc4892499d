// The modal input handler: the dispatcher over the interaction modes, the
// direction prompts, the small lists (view, use, ready, craft, pile) and the
// use menus. Trading and dropping live in modal_trade.cpp, the text entries,
// spell letters, abilities and level-up in modal_text.cpp.

#include "input/modal_input.h"

#include <allegro.h>

#include <charconv>
#include <climits>

#include "app/client_app.h"
#include "app/play_messages.h"
#include "app/requests.h"
#include "audio/sound.h"
#include "core/item_data.h"
#include "core/log.h"
#include "core/string_utils.h"
#include "core/tiles.h"
#include "core/utils.h"
#include "display/display.h"
#include "display/list_keys.h"
#include "input/frame_input.h"
#include "input/hotkeys.h"
#include "input/item_lists.h"
#include "input/menu_modes.h"
#include "input/player_actions.h"
#include "world/item_list.h"
#include "world/player.h"

namespace {

bool is_esc(const ClientApp& app) {
  return app.session.last_ascii == ASCII_ESC;
}
bool is_keypad_digit(int scancode) { return scancode >= KEY_0_PAD && scancode <= KEY_9_PAD; }
bool own_cell_key(const ClientApp& app) {
  return app.session.last_scancode == KEY_5_PAD || app.session.last_scancode == KEY_SPACE ||
         app.session.last_scancode == KEY_ENTER || app.session.last_scancode == KEY_ENTER_PAD;
}
void to_normal() { gc_interface_mode = MODE_NORMAL; }

// The cell of the key's direction; the direction 0 when it names none.
int key_cell(const ClientApp& app, int& x, int& y) {
  return get_dir_from_key(app.session.last_key, x, y, 0);
}

// ---- Direction prompts -----------------------------------------------------------

void do_use_direction(ClientApp& app) {
  if (is_esc(app)) {
    d.print_msg("Use cancelled!");
  } else {
    int x = 0, y = 0;
    key_cell(app, x, y);
    use_item_at(app.session.chosen_item, x, y);
    app.session.repeat_item = app.session.chosen_item;
    app.session.repeat_dir = app.session.last_key;
  }
  to_normal();
  modal::end_direction_prompt(app);
}

void do_talk_direction(ClientApp& app) {
  int x = 0, y = 0;
  if (is_esc(app))
    d.print_msg("Talk cancelled!");
  else if (key_cell(app, x, y) == 0)
    d.print_msg("Invalid direction!");
  else
    talk(x, y);
  to_normal();
  modal::end_direction_prompt(app);
}

void do_get_direction(ClientApp& app, int mode) {
  int x = me.x, y = me.y;
  bool cell = true;
  if (is_esc(app)) {
    d.print_msg("Get cancelled!");
    cell = false;
  } else if (!own_cell_key(app) && key_cell(app, x, y) == 0) {
    d.print_msg("Invalid direction!");
    cell = false;
  }
  if (cell) {
    int rc = get_item(x, y);
    if (rc == 1)
      request_item(x, y, mode == MODE_GET ? 1 : 0);
    else if (rc == 0)
      d.print_msg("Nothing there!");
    else if (rc == 2)
      d.print_msg("You cannot pick that up!");
    else
      d.print_msg("Can't get - rc=%d!", rc);
  }
  to_normal();
  modal::end_direction_prompt(app);
}

void do_quit_prompt(ClientApp& app) {
  if (app.session.last_ascii == 'y') {
    end_session();
    d.menu_page = 0;
  } else {
    d.print_msg("Quit cancelled");
  }
  to_normal();
}

void do_look_direction(ClientApp& app, int mode) {
  if (is_esc(app)) {
    d.print_msg("%s cancelled!", mode == MODE_ACTIVATE ? "Activate" : "Look");
  } else {
    int x = 0, y = 0;
    key_cell(app, x, y);
    request_open(x, y, mode == MODE_ACTIVATE ? 2 : 0);
  }
  to_normal();
  modal::end_direction_prompt(app);
}

void do_cast_direction(ClientApp& app) {
  // The recast key must not confirm the prompt it opened.
  if (app.session.last_scancode == KEY_F10) return;
  if (is_esc(app)) {
    d.print_msg("Casting cancelled!");
  } else {
    int x = 0, y = 0;
    if (key_cell(app, x, y) != 0)
      send_cast_at(app, x, y, server_objects.get_top_id_at(x, y));
    else
      send_cast_at(app, me.x, me.y, -1);
  }
  to_normal();
  modal::end_direction_prompt(app);
}

void do_search_direction(ClientApp& app, int mode) {
  if (is_esc(app)) {
    d.print_msg("Cancelled!");
  } else {
    int x = 0, y = 0;
    key_cell(app, x, y);
    send_search(x, y, mode == MODE_OPEN);
  }
  to_normal();
  modal::end_direction_prompt(app);
}

void do_exit_mount(ClientApp& app) {
  int x = 0, y = 0;
  if (is_esc(app)) {
    d.print_msg("Cancelled!");
  } else if (key_cell(app, x, y) != 0) {
    send_exit_mount(0, x, y);
  } else {
    return;
  }
  to_normal();
  modal::end_direction_prompt(app);
}

void do_fire(ClientApp& app) {
  int x = 0, y = 0;
  if (is_esc(app)) {
    d.print_msg("Cancelled!");
  } else if (key_cell(app, x, y) != 0) {
    int facing = me.direction & ~4;
    bool broadside = !(facing == 1 && y != me.y) && !(facing == 3 && x != me.x);
    if (!broadside) {
      d.print_msg("Broadsides only!");
    } else {
      send_fire(x - me.x, y - me.y);
      d.print_msg("FIRE!");
      sound.play_effect(SFX_MUSKET);
      fire_delay = me.get_weapon_delay();
      app.session.attack_ready = 0;
      app.session.action_timers[TIMER_ATTACK] = input_clock_us();
    }
  }
  to_normal();
  modal::end_direction_prompt(app);
}

// ---- Lists ------------------------------------------------------------------------

// Replays the reordering of the inventory view on the local list and tells
// the server the net moves.
void replay_rearrangement(int list_id) {
  std::vector<std::pair<Item, int>> net;
  for (const PickEntry& p : pick_list) {
    if (p.flag != 0)
      items.move_up(p.item);
    else
      items.move_down(p.item);
    int step = p.flag != 0 ? 1 : -1;
    bool found = false;
    for (auto& n : net)
      if (n.first == p.item) {
        n.second += step;
        found = true;
      }
    if (!found) net.emplace_back(p.item, step);
  }
  pick_list.clear();
  send_rearrangement(list_id, net);
}

void do_view_list(ClientApp& app, int mode) {
  if (modal::is_slot_key(app)) bind_item_to_key(app.session.last_scancode);
  Item r = modal::read_list(app, mode == MODE_VIEW_INV ? SELECT_VIEW_INV : SELECT_VIEW_BANK, false);
  if (r.code != -1) return;
  // ESC is the inventory view's only way out, so it keeps the player's moves
  // as closing the bank view does; only a view left unchanged is cancelled.
  // A stock the server opened for rearranging (it has a partner) is not the
  // inventory: its moves are not replayed on the inventory.
  if (mode == MODE_VIEW_INV && app.session.list_partner >= 0) pick_list.clear();
  const bool cancelled = mode == MODE_VIEW_INV && pick_list.empty();
  d.print_msg(cancelled ? "Cancelled!" : "Done!");
  modal::close_list();
  if (!pick_list.empty()) replay_rearrangement(mode == MODE_VIEW_INV ? 0 : 1);
  to_normal();
}

void open_use_kind(ClientApp& app, int kind) {
  switch (kind) {
    case USE_KIND_EAT: eat_menu(app); break;
    case USE_KIND_DRINK: drink_menu(app); break;
    case USE_KIND_READ: read_menu(app); break;
    default: use_item_menu(app); break;
  }
}

void do_use_list(ClientApp& app, int mode) {
  if (modal::is_slot_key(app)) bind_item_to_key(app.session.last_scancode);
  Item r = modal::read_list(app, SELECT_NORMAL, true);
  if (r.code == -2) return;
  if (r.code == -1) {
    // TAB closed the list asking for the next use list, SHIFT+TAB the previous one.
    const int tab = d.list_state.next_request ? 1 : d.list_state.prev_request ? -1 : 0;
    modal::close_list();
    to_normal();
    if (tab != 0) {
      int kind = app.use_choice + (tab < 0 ? -1 : 1);
      if (kind < USE_KIND_USE) kind = USE_KIND_READ;
      if (kind > USE_KIND_READ) kind = USE_KIND_USE;
      open_use_kind(app, kind);
    } else {
      d.print_msg("Use cancelled!");
    }
    return;
  }
  modal::close_list();
  app.session.chosen_item = r;
  if (wl.get_type(r) != 'i' && mode == MODE_USE) {
    use_item_here(r);
    app.session.repeat_item = r;
    app.session.repeat_dir = 0;
    to_normal();
    return;
  }
  d.print_msg("Use %s ... which direction?", wl.get_full_name(r).c_str());
  gc_interface_mode = MODE_USEDIR;
}

void do_ready_list(ClientApp& app) {
  if (modal::is_slot_key(app)) bind_item_to_key(app.session.last_scancode);
  Item r = modal::read_list(app, SELECT_READY, false);
  if (r.code == -1) {
    send_equipment();
    d.print_msg("Done!");
    modal::close_list();
    to_normal();
    return;
  }
  uint64_t now = get_time_us();
  if (r.code != -2 && now - app.ready_toggle_us >= READY_TOGGLE_GAP_US) {
    app.ready_toggle_us = now;
    toggle_ready_item(r);
    send_equipment();
  }
  d.draw_list_panel(&temp_list, SELECT_READY, nullptr);
}

void do_make_list(ClientApp& app) {
  Item r = modal::read_list(app, SELECT_MAKE, false);
  if (r.code == -2) return;
  if (r.code != -1) {
    make_item(r);
    app.session.craft_ready = 0;
    app.session.action_timers[TIMER_CRAFT] = input_clock_us();
    const ItemListEl* node = temp_list.find_item(r);
    craft_delay = node != nullptr ? node->c : CRAFT_DELAY_DEFAULT_MS;
  } else {
    d.print_msg("Cancelled!");
  }
  modal::close_list();
  to_normal();
}

void do_material_list(ClientApp& app) {
  Item r = modal::read_list(app, SELECT_NORMAL, false);
  if (r.code == -2) return;
  if (r.code != -1)
    send_craft_material(craft_base_item, app.session.craft_request_id, r);
  else
    d.print_msg("Cancelled!");
  modal::close_list();
  to_normal();
}

void do_pile_list(ClientApp& app) {
  if (app.session.last_ascii == '=') return;
  Item r = modal::read_list(app, SELECT_PILE, false);
  if (r.code == -2) return;
  if (r.code != -1)
    send_pile_pick(app.pile_partner, app.pile_container, app.pile_arg, r);
  else
    d.print_msg("Finished!");
  modal::close_list();
  to_normal();
}

}  // namespace

// ---- Shared helpers ----------------------------------------------------------------

namespace modal {

void close_list() {
  d.curr_display = 0;
  playerstats(0);
  temp_list.clear();
}

void end_direction_prompt(ClientApp& app) {
  app.session.move_step_ready = 0;
  app.session.action_timers[TIMER_MOVE] = input_clock_us();
}

Item read_list(ClientApp& app, int kind, bool switch_flag) {
  if (app.session.left_released && app.session.hover_item.code != -1) return app.session.hover_item;
  return d.list_input(&temp_list, app.session.last_key, kind, switch_flag);
}

bool is_slot_key(const ClientApp& app) {
  return !app.session.left_released && !is_keypad_digit(app.session.last_scancode) &&
         scancode_to_slot(app.session.last_scancode) >= 0;
}

bool edit_number(std::string& text, int ascii, int scancode, bool allow_minus) {
  if (scancode == KEY_BACKSPACE) {
    if (!text.empty()) text.pop_back();
    return true;
  }
  size_t digits = text.size() - (!text.empty() && text[0] == '-' ? 1 : 0);
  if (ascii >= '0' && ascii <= '9') {
    if (digits < TYPED_NUMBER_DIGITS) text += static_cast<char>(ascii);
    return true;
  }
  if (ascii == '-' && allow_minus) {
    if (text.empty()) text = "-";
    return true;
  }
  return false;
}

}  // namespace modal

// ---- Typed numbers -------------------------------------------------------------------

int64_t parse_count(const std::string& text) {
  int64_t value = 0;
  bool any = false;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    any = true;
    value = value * 10 + (c - '0');
    if (value > INT32_MAX) value = INT32_MAX;
  }
  return any ? value : -1;
}

bool parse_price(const std::string& text, int32_t& price) {
  if (text.empty()) return false;
  int32_t v = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size()) return false;
  price = v;
  return true;
}

int64_t drop_quantity(int64_t count, int64_t held, bool dm) {
  if (count <= 0) return held;
  if (count > held && !dm) return held;
  return count;
}

// ---- List openers ----------------------------------------------------------------------

void choose_item_menu(ClientApp& app, int filter, int use_kind, const char* title,
                      const char* empty_text, const char* prompt, const char* force_prompt) {
  app.use_choice = use_kind;
  app.session.use_ready = 0;
  app.session.action_timers[TIMER_USE] = input_clock_us();
  d.list_title = title;
  if (construct_item_list(temp_list, filter) == 0) d.print_msg("%s", empty_text);
  d.list_input_kind3(&temp_list, '!', true);
  if (d.curr_display == 1 && temp_list.first != nullptr)
    d.print_msg("%s", app.use_choice_flag ? force_prompt : prompt);
  clear_repeat_flags();
  gc_interface_mode = app.use_choice_flag ? MODE_FORCEUSEDIR : MODE_USE;
}

void use_item_menu(ClientApp& app) {
  choose_item_menu(app, app.use_choice_flag ? ITEMS_ALL : ITEMS_USABLE, USE_KIND_USE, "USE",
                   "You have nothing to use in your inventory.", "What would you like to use?",
                   "Use item ...");
}

void eat_menu(ClientApp& app) {
  choose_item_menu(app, ITEMS_FOOD, USE_KIND_EAT, "EAT", "You have nothing to eat!",
                   "What would you like to eat?", "Use food ...");
}

void drink_menu(ClientApp& app) {
  choose_item_menu(app, ITEMS_DRINKABLE, USE_KIND_DRINK, "DRINK", "You have nothing to drink!",
                   "What would you like to drink?", "Use potion/beverage ...");
}

void read_menu(ClientApp& app) {
  choose_item_menu(app, ITEMS_READABLE, USE_KIND_READ, "READ", "You don't have anything to read!",
                   "What would you like to read?", "Read book/scroll ...");
}

// ---- The dispatcher ----------------------------------------------------------------------

void ClientApp::do_non_normal_mode() {
  FunctionTrace trace("do non normal mode");
  const int mode = static_cast<int>(gc_interface_mode);
  if (is_menu_mode(mode)) {
    do_menu_mode(*this, mode);
    return;
  }
  // One handler per key: a mode entered by a handler waits for the next key.
  switch (mode) {
    case MODE_READY: do_ready_list(*this); break;
    case MODE_LEVEL_UP: modal::do_level_up(*this); break;
    case MODE_BUY: modal::do_trade_mode(*this, mode); break;
    case MODE_GETLIST: do_pile_list(*this); break;
    case MODE_SELL: modal::do_trade_mode(*this, mode); break;
    case MODE_DROPALL:
    case MODE_DROPALL2:
    case MODE_DROP2:
    case MODE_DROPALL3: modal::do_drop_modes(*this, mode); break;
    case MODE_USE:
    case MODE_FORCEUSEDIR: do_use_list(*this, mode); break;
    case MODE_USEDIR: do_use_direction(*this); break;
    case MODE_ABILITY: modal::do_ability_list(*this); break;
    case MODE_MAKE: do_make_list(*this); break;
    case MODE_MAKE_CHOOSE_MAT: do_material_list(*this); break;
    case MODE_VIEW_INV:
    case MODE_VIEW_BANK: do_view_list(*this, mode); break;
    case MODE_CAST:
    case MODE_BIND_KEY: modal::do_spell_entry(*this, mode); break;
    case MODE_CHAT:
    case MODE_NPCTALK: modal::do_text_entry(*this, mode); break;
    case MODE_TALK: do_talk_direction(*this); break;
    case MODE_CASTDIR: do_cast_direction(*this); break;
    case MODE_GET:
    case MODE_GETONE: do_get_direction(*this, mode); break;
    case MODE_LOOK:
    case MODE_ACTIVATE: do_look_direction(*this, mode); break;
    case MODE_SEARCH:
    case MODE_OPEN: do_search_direction(*this, mode); break;
    case MODE_EXIT_MOUNT: do_exit_mount(*this); break;
    case MODE_FIRE: do_fire(*this); break;
    case MODE_QUIT: do_quit_prompt(*this); break;
    default: break;  // CCAST and unknown modes ignore keys
  }
}
