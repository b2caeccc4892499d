// Trading with a merchant, the bank or a transfer partner (buying, selling,
// banking, price entry) and dropping items (one, several picked, or a typed
// count) in their interaction modes. Money is counted in 64 bits: a price
// times a quantity can pass any int.

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
#include "input/item_lists.h"
#include "input/keymap.h"
#include "input/modal_input.h"
#include "input/player_actions.h"
#include "world/item_drop.h"
#include "world/item_list.h"
#include "world/player.h"

namespace {

const Item GOLD(static_cast<long>(ITEM_BASE_CURRENCY));

void to_normal() { gc_interface_mode = MODE_NORMAL; }

// ---- Drop ---------------------------------------------------------------------------------
// The drop takes the entries flagged in the list (the marks of `item_drop`,
// which the rows show) or, with none flagged, the one chosen.

void forget_marks() { item_drop.clear(); }

void start_drop_prompt(ClientApp& app, const Item& chosen) {
  const int marked = item_drop.size();
  if (marked > 1) {
    d.print_msg("Selected multiple items ...");
  } else if (marked == 1) {
    d.print_msg("Selected %s", wl.get_full_name(item_drop.entries.front().item).c_str());
  } else {
    app.session.chosen_item = chosen;
    d.print_msg("Selected %s", wl.get_full_name(chosen).c_str());
  }
  long held = items.get_qty(app.session.chosen_item);
  if (marked == 0 && held > 1) {
    d.print_msg("How many (max %ld, hit space for one or enter to select all) ?", held);
    app.session.input_text.clear();
    app.session.input_pos = 0;
    d.draw_input_line("How many? ", "", 0);
    gc_interface_mode = MODE_DROPALL2;
  } else {
    d.print_msg("Drop ... which direction?");
    gc_interface_mode = MODE_DROP2;
  }
  modal::close_list();
}

void do_drop_list(ClientApp& app) {
  // The Drop key flags the entry; while a search is being typed it is a
  // letter of the search unless CTRL is held.
  if (keymap.is_key(KA_DROP, app.session.last_scancode) && !is_shift_down() && !is_alt_down() &&
      (is_ctrl_down() || d.list_state.search.empty())) {
    drop_selected_items();
    d.draw_list_panel(&temp_list, SELECT_NORMAL, nullptr);
    return;
  }
  Item r = modal::read_list(app, SELECT_NORMAL, false);
  if (r.code == -2) return;
  if (r.code == -1) {
    d.print_msg("Cancelled!");
    forget_marks();
    modal::close_list();
    to_normal();
    return;
  }
  start_drop_prompt(app, r);
}

void do_drop_count(ClientApp& app) {
  if (app.session.last_ascii == ASCII_ESC) {
    d.print_msg("Cancelled!");
    forget_marks();
    d.hide_input_line();
    to_normal();
    return;
  }
  if (app.session.last_scancode == KEY_ENTER || app.session.last_scancode == KEY_ENTER_PAD ||
      app.session.last_scancode == KEY_SPACE) {
    app.session.drop_count =
        app.session.last_scancode == KEY_SPACE ? 1 : parse_count(app.session.input_text);
    d.hide_input_line();
    d.print_msg("Drop ... which direction?");
    gc_interface_mode = MODE_DROPALL3;
    return;
  }
  if (modal::edit_number(app.session.input_text, app.session.last_ascii, app.session.last_scancode,
                         false)) {
    app.session.input_pos = static_cast<int32_t>(app.session.input_text.size());
    d.draw_input_line("How many? ", app.session.input_text, app.session.input_pos);
  }
}

void do_drop_direction(ClientApp& app, int mode) {
  if (app.session.last_ascii == ASCII_ESC) {
    d.print_msg("Cancelled!");
    forget_marks();
    to_normal();
    modal::end_direction_prompt(app);
    return;
  }
  int x = me.x, y = me.y;
  bool own = app.session.last_scancode == KEY_5_PAD || app.session.last_scancode == KEY_SPACE ||
             app.session.last_scancode == KEY_ENTER || app.session.last_scancode == KEY_ENTER_PAD;
  if (!own) get_dir_from_key(app.session.last_key, x, y, 0);
  const bool dm = me.is_dm();
  if (item_drop.size() == 0) {
    long held = items.get_qty(app.session.chosen_item);
    int64_t count = mode == MODE_DROP2 ? 1 : drop_quantity(app.session.drop_count, held, dm);
    std::string now = DROP_NOW;
    if (request_drop(app.session.chosen_item, static_cast<long>(count), held > 0, x, y, now) != 0)
      d.print_msg("You can't drop a readied item!");
  } else {
    // Each flagged entry with the count of its mark (one, or all that were
    // carried when it was flagged), in one line.
    std::string batch;
    for (const DropEntry& e : item_drop.entries) {
      long held = items.get_qty(e.item);
      long count = static_cast<long>(drop_quantity(e.count, held, dm));
      if (request_drop(e.item, count, held > 0, x, y, batch) != 0)
        d.print_msg("You can't drop a readied item!");
    }
    if (!batch.empty()) send_drops(batch);
    forget_marks();
  }
  app.session.drop_count = -1;
  to_normal();
  modal::end_direction_prompt(app);
}

// ---- Trading -------------------------------------------------------------------------------

// A limit of the game's configuration; an unset (0) limit is none.
bool at_limit(int count, const char* key) {
  int limit = common_cfg.get_int(key);
  return limit > 0 && count >= limit;
}

bool is_bank(const ClientApp& app) {
  return app.session.list_kind == 'B';
}
bool is_transfer(const ClientApp& app) {
  return app.session.list_kind == 'P';
}
bool is_merchant(const ClientApp& app) { return !is_bank(app) && !is_transfer(app); }

void end_trade(ClientApp& app) {
  app.session.sub_state = 0;
  to_normal();
  modal::close_list();
  send_trade_list(app.session.list_partner, app.session.list_flag, is_bank(app));
}

// The price typed for a transfer partner's item; false when the key was not
// part of it.
bool do_price_entry(ClientApp& app) {
  if (app.session.sub_state == 0) {
    if (app.session.last_ascii != '=' || !is_transfer(app)) return false;
    app.session.input_text.clear();
    app.session.input_pos = 0;
    d.draw_input_line("Setting price: ", "", 0);
    app.session.sub_state = 1;
    return true;
  }
  if (app.session.last_ascii == ASCII_ESC) {
    d.print_msg("Cancelled!");
    app.session.sub_state = 0;
    d.hide_input_line();
    return true;
  }
  if (app.session.last_scancode == KEY_ENTER || app.session.last_scancode == KEY_ENTER_PAD) {
    int32_t price = 0;
    if (parse_price(app.session.input_text, price)) {
      Item item = d.get_selected_item();
      temp_list.set_price(item, price);
      send_price(item, price);
    } else {
      d.print_msg("Cancelled!");
    }
    app.session.sub_state = 0;
    d.hide_input_line();
    return true;
  }
  if (modal::edit_number(app.session.input_text, app.session.last_ascii, app.session.last_scancode,
                         true)) {
    app.session.input_pos = static_cast<int32_t>(app.session.input_text.size());
    d.draw_input_line("Setting price: ", app.session.input_text, app.session.input_pos);
  }
  return true;
}

// How many of `available` one key takes.
int64_t take_quantity(const ClientApp& app, int mode, const Item& item, int64_t available) {
  int64_t step = item.get_base_code() == ITEM_BASE_CURRENCY ? 1000
                 : wl.get_type(item) == 'a'                 ? 100
                                                            : 1;
  int64_t qty = step;
  bool all_allowed = mode == MODE_SELL || is_bank(app) || is_transfer(app);
  // An unlimited stock (-1) has no "everything" to take.
  if (app.session.last_scancode == KEY_TAB && all_allowed)
    qty = available < 0 ? step : available;
  else if (is_shift_down() &&
           (app.session.last_scancode == KEY_ENTER || app.session.last_scancode == KEY_SPACE))
    qty = step * 10;
  return available >= 0 && qty > available ? available : qty;
}

// The checks of a spell book; a refusal message, or "" when it may be bought.
std::string spell_book_refusal(const Item& item) {
  int id = item.get_modifier();
  if (!spells.class_can_use(id, me.cls))
    return "Incorrect " + common_cfg.get("class_label") + "!";
  std::string req = spells.get_req(id);
  int req_id = spells.get_spell_id(req);
  if (req_id >= 0 && !me.has_spell(req_id))
    return "Requires knowledge of '" + spells.get_full_spell_name(req_id) + "'!";
  if (PLAYER_LEVELS && me.lvl < spells.get_lvl(id))
    return format_str("Requires level %d!", spells.get_lvl(id));
  int skill = spells.get_skill(id);
  if (skill >= 0 && me.get_skill(skill) < spells.get_min_skill(id))
    return format_str("Requires %d skill in %s!", spells.get_min_skill(id),
                      sc.get_skillname(skill).c_str());
  if (me.has_spell(id)) return "You already have this spell/ability!";
  return "";
}

// One purchase, withdrawal or transfer from the partner; false when refused.
bool take_from_partner(ClientApp& app, const Item& item, int64_t qty) {
  const ItemListEl* node = temp_list.find_item(item);
  int32_t price = node != nullptr ? node->price : 0;
  int64_t cost = static_cast<int64_t>(price) * qty;
  bool dm = me.is_dm();
  if (is_merchant(app) && cost > items.get_qty(GOLD)) {
    d.print_msg("You can't afford that!");
    return false;
  }
  if (price < 0 && !is_transfer(app)) {
    d.print_msg("This item is for trade only and cannot be bought.");
    return false;
  }
  if (item.get_base_code() == ITEM_BASE_SPELL_BOOK) {
    std::string refusal = spell_book_refusal(item);
    if (!refusal.empty()) {
      d.print_msg("%s", refusal.c_str());
      return false;
    }
  }
  if (!dm && items.get_qty(item.from_bank()) <= 0 && wl.get_type(item) != 'X' &&
      at_limit(items.count_carried(), "max_inventory")) {
    d.print_msg("Your inventory is full!");
    return false;
  }
  const std::string name = wl.get_full_name(item);
  const int shown = bounded_int<int>(qty);
  if (is_bank(app)) {
    d.print_msg("You withdrew the %s! (x%d)", name.c_str(), shown);
    items.remove(item, qty);
    items.add(item.from_bank(), qty, 0, false);
  } else {
    if (is_transfer(app))
      d.print_msg("You transferred the %s! (x%d)", name.c_str(), shown);
    else
      d.print_msg("You bought the %s! (x%d)", name.c_str(), shown);
    items.add(item, qty, 0, false);
    if (is_merchant(app) && cost > 0) items.remove(GOLD, cost);
  }
  if (node != nullptr && node->qty > 0) temp_list.remove(item, qty);
  drop_list.add(item, qty, price, true);
  return true;
}

// One sale, deposit or transfer to the partner; false when refused.
bool give_to_partner(ClientApp& app, const Item& item, int64_t qty) {
  const std::string name = wl.get_full_name(item);
  const int shown = bounded_int<int>(qty);
  if (is_bank(app)) {
    if (!me.is_dm() && items.get_qty(item.to_bank()) <= 0 &&
        at_limit(items.count_banked(), "max_banked_items")) {
      d.print_msg("Your bank is full!");
      return false;
    }
    d.print_msg("You banked the %s! (x%d)", name.c_str(), shown);
    items.remove(item, qty);
    items.add(item.to_bank(), qty, 0, false);
    drop_list.add(item, qty, 0, true);
    return true;
  }
  if (is_transfer(app)) {
    d.print_msg("You transferred the %s! (x%d)", name.c_str(), shown);
    items.remove(item, qty);
    drop_list.add(item, qty, 0, true);
    return true;
  }
  int64_t total = static_cast<int64_t>(wl.get_sell_price(item)) * qty;
  std::string worth = total > 0 ? format_str(" for %lld gp", static_cast<long long>(total)) : "";
  d.print_msg("You sold the %s (x%d)%s!", name.c_str(), shown, worth.c_str());
  items.remove(item, qty);
  if (total > 0) {
    items.add(GOLD, total, 0, false);
    int64_t field = static_cast<int64_t>(app.session.list_flag) + total;
    app.session.list_flag = bounded_int<int32_t>(field);
  }
  drop_list.add(item, qty, wl.get_sell_price(item), true);
  return true;
}

// Rebuilds the list after a step; false (and the trade ended) when empty.
bool refresh_trade_list(ClientApp& app, int mode, int kind, const Item& near,
                        const Item& neighbour) {
  if (mode == MODE_SELL)
    construct_trade_list(temp_list, app.session.list_kind, false, app.session.list_container != 0);
  else if (is_bank(app))
    construct_item_list(temp_list, ITEMS_BANKED);
  if (temp_list.first != nullptr) {
    // The refresh runs the search or filter again over the new nodes and puts
    // the cursor on the head; it goes back to the entry just traded, or to
    // its neighbour when that entry is gone.
    d.list_input(&temp_list, '$', kind, false);
    d.show_list_item(&temp_list, temp_list.find_item(near) != nullptr ? near : neighbour, kind);
    return true;
  }
  if (mode == MODE_BUY && is_bank(app))
    d.print_msg("You have nothing left in your bank vault!");
  else if (mode == MODE_BUY)
    d.print_msg("%s's inventory is empty!",
                app.session.list_container != 0 ? "Container" : "Merchant");
  else if (is_bank(app))
    d.print_msg("You have nothing left to bank!");
  else if (is_transfer(app))
    d.print_msg("You have nothing left to transfer!");
  else
    d.print_msg("You have no more items that this merchant needs!");
  end_trade(app);
  return false;
}

}  // namespace

namespace modal {

void do_drop_modes(ClientApp& app, int mode) {
  if (mode == MODE_DROPALL)
    do_drop_list(app);
  else if (mode == MODE_DROPALL2)
    do_drop_count(app);
  else
    do_drop_direction(app, mode);
}

void do_trade_mode(ClientApp& app, int mode) {
  if (mode == MODE_BUY && do_price_entry(app)) return;
  int kind = is_bank(app) || app.session.list_container != 0 ? SELECT_BANK
             : mode == MODE_BUY                              ? SELECT_BUY
                                                             : SELECT_SELL;
  Item r = read_list(app, kind, false);
  if (r.code == -2) return;
  if (r.code == -1) {
    d.print_msg("Finished!");
    end_trade(app);
    return;
  }
  const ItemListEl* node = temp_list.find_item(r);
  const Item neighbour = temp_list.get_prev_item(r);
  bool done = false;
  if (mode == MODE_BUY) {
    // A stock of -1 is unlimited.
    int64_t available = node != nullptr ? node->qty : 0;
    if (available == 0) return;
    int64_t qty = take_quantity(app, mode, r, available);
    if (qty <= 0) return;
    done = take_from_partner(app, r, qty);
  } else {
    int64_t held = items.get_qty(r);
    int64_t readied = count_equipped(r);
    if (readied >= held) {
      d.print_msg("You can't sell or bank what you have readied!");
      return;
    }
    int64_t qty = take_quantity(app, mode, r, held - readied);
    if (qty <= 0) return;
    done = give_to_partner(app, r, qty);
  }
  if (done) refresh_trade_list(app, mode, kind, r, neighbour);
}

}  // namespace modal
