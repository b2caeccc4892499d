// Messages that open a choice for the player: a merchant's stock, the
// player's own items to sell, bank or put away, a pile, crafting
// ingredients, and the talk prompt of a non-player character.

#include <cstdio>
#include <vector>

#include "app/client_app.h"
#include "app/globals.h"
#include "app/message_handlers.h"
#include "app/play_messages.h"
#include "app/requests.h"
#include "input/item_lists.h"
#include "core/list_kinds.h"
#include "core/string_utils.h"
#include "core/utils.h"

namespace {

// Room for the item text of a list message ("%1000s") and its end.
constexpr size_t ITEM_TEXT_SIZE = 1001;

struct ListFields {
  char kind = 0;
  int partner = 0;
  std::string text;
  int container = 0;
  int extra = 0;
};

// Scans "<letter> %c %d %1000s %d %d" and returns the count read. The text
// buffer starts empty, so that a short line never hands on an older text.
int scan_list_fields(const std::string& msg, const char* format, ListFields& f) {
  std::vector<char> buf(ITEM_TEXT_SIZE, '\0');
  int n = std::sscanf(msg.c_str(), format, &f.kind, &f.partner, buf.data(), &f.container,
                      &f.extra);
  f.text = buf.data();
  return n < 0 ? 0 : n;
}

void open_list(int kind) {
  d.list_input(&temp_list, '!', kind, false);
}

}  // namespace

// 'U': a merchant's, a container's or a pile's stock to take from.
int msg_buy_list(ClientApp& app, const std::string& msg) {
  app.session.list_container = 0;
  if (gc_interface_mode != MODE_NORMAL) return 0;
  clear_repeat_flags();
  ListFields f;
  int n = scan_list_fields(msg, "U %c %d %1000s %d %d", f);
  if (n >= 4) app.session.list_container = f.container;
  if (n != 5) return 0;
  app.session.list_kind = f.kind;
  app.session.list_partner = f.partner;
  trade_item = Item(f.text);

  if (f.kind == 'P')
    d.list_title = f.extra != 0 ? "REARRANGE" : "REMOVE";
  else if (f.kind == '@')
    d.list_title = "GET FROM PILE";
  else
    d.list_title = "BUY";
  open_list(app.session.list_container == 0 ? SELECT_BUY : SELECT_BANK);
  gc_interface_mode = MODE_BUY;

  if (f.kind == 'P') {
    if (f.extra != 0) {
      d.print_msg("Rearranging chest/merchant (use shift+arrow to move an item) ...");
      d.menu_rows.clear();
      gc_interface_mode = MODE_VIEW_INV;
    } else if (app.session.list_container == 0) {
      d.print_msg("Merchant: What would you like to remove from my inventory?");
    } else {
      d.print_msg("What would you like to remove from the container?");
    }
  } else if (f.kind == '@') {
    d.print_msg("Select the item you want to pick up from this pile ...");
    gc_interface_mode = MODE_GETLIST;
    app.pile_container = app.session.list_container;
    app.pile_arg = f.extra;
    app.pile_partner = app.session.list_partner;
  } else {
    d.print_msg("Merchant: What would you like to buy?");
  }
  app.session.list_flag = 0;
  return 0;
}

// 'B': the player's own items to sell, bank or put into a container.
int msg_sell_list(ClientApp& app, const std::string& msg) {
  app.session.list_container = 0;
  clear_repeat_flags();
  ListFields f;
  int n = scan_list_fields(msg, "B %c %d %1000s %d", f);
  if (n >= 4) app.session.list_container = f.container;
  if (n != 4) return 0;
  app.session.list_kind = f.kind;
  app.session.list_partner = f.partner;
  trade_item = Item(f.text);
  if (f.kind == 'x') return 0;

  d.list_title = "SELL/DEPOSIT";
  app.session.list_flag = 0;
  gc_interface_mode = MODE_SELL;
  d.list_title = f.kind == 'B' ? "DEPOSIT" : f.kind == 'P' ? "PUT" : "SELL";
  if (construct_trade_list(temp_list, f.kind, false, app.session.list_container) > 0) {
    open_list(f.kind == 'B' || app.session.list_container != 0 ? SELECT_BANK : SELECT_SELL);
    if (f.kind == 'B')
      d.print_msg("Banker: What would you like to bank?");
    else if (f.kind == 'P' && app.session.list_container != 0)
      d.print_msg("What would you like to add to the container?");
    else if (f.kind == 'P')
      d.print_msg("Merchant: What would you like to add to my inventory?");
    else
      d.print_msg("Merchant: What would you like to sell?");
    return 0;
  }
  if (f.kind == 'B')
    d.print_msg("You have nothing to bank!");
  else if (f.kind == 'P')
    d.print_msg("You have nothing to give to transfer!");
  else
    d.print_msg("You have nothing this merchant needs!");
  gc_interface_mode = MODE_NORMAL;
  return 0;
}

// 'b': items to buy, withdraw from the bank or remove from a container.
int msg_withdraw_list(ClientApp& app, const std::string& msg) {
  app.session.list_container = 0;
  if (gc_interface_mode != MODE_NORMAL) return 0;
  clear_repeat_flags();
  ListFields f;
  int n = scan_list_fields(msg, "b %c %d %1000s %d", f);
  // Without its kind and partner the line names no list.
  if (n < 2) return 0;
  app.session.list_kind = f.kind;
  app.session.list_partner = f.partner;
  if (n >= 4) app.session.list_container = f.container;
  trade_item = Item(f.text);
  if (f.kind == 'x') return 0;

  gc_interface_mode = MODE_BUY;
  app.session.list_flag = 0;
  if (f.kind == 'B') {
    d.list_title = "WITHDRAW";
    if (construct_item_list(temp_list, 4) == 0) {
      d.print_msg("You have nothing in your bank vault!");
      gc_interface_mode = MODE_NORMAL;
      return 0;
    }
    open_list(SELECT_BANK);
    d.print_msg("Banker: What would you like to withdraw?");
    return 0;
  }
  d.list_title = app.session.list_container != 0 ? "REMOVE" : "BUY";
  if (construct_trade_list(temp_list, f.kind, true, app.session.list_container) > 0) {
    open_list(SELECT_BUY);
    d.print_msg("Merchant: What would you like to buy?");
    return 0;
  }
  d.print_msg(app.session.list_container != 0 ? "This container is empty!"
                                              : "This merchant has no stock!");
  gc_interface_mode = MODE_NORMAL;
  return 0;
}

void process_u(const std::string& line) {
  std::vector<std::string> pieces;
  split(message_text(line), "u:", pieces);
  std::vector<char> buf(ITEM_TEXT_SIZE);
  for (const std::string& piece : pieces) {
    buf[0] = '\0';
    long long qty = 0;
    int price = 0;
    if (std::sscanf(piece.c_str(), "%1000s %lld %d", buf.data(), &qty, &price) != 3) continue;
    // The stock is an int on the wire: a larger count stops at the int range.
    temp_list.add(Item(std::string(buf.data())), bounded_int<int32_t>(qty), price, true);
  }
}

int msg_stock_entries(ClientApp&, const std::string& msg) {
  if (gc_interface_mode == MODE_NORMAL) process_u(msg);
  return 0;
}

// 'C': crafting messages.
int msg_crafting(ClientApp& app, const std::string& msg) {
  if (msg[1] == 'x') {
    d.print_msg("%s", message_text(msg).c_str());
    app.session.repeat_make = false;
    return 0;
  }
  if (!app.session.craft_ready) {
    d.print_msg("You are not ready to craft another item just yet!");
    return 0;
  }
  std::vector<char> buf(ITEM_TEXT_SIZE, '\0');
  if (msg[1] == 'm') {
    clear_repeat_flags();
    if (std::sscanf(msg.c_str(), "Cm %d %1000s", &app.session.craft_request_id, buf.data()) != 2) return 0;
    craft_base_item = Item(std::string(buf.data()));
    if (temp_list.first == nullptr) {
      d.print_msg("You have the skill but not the resources to make something.");
      return 0;
    }
    // The title is kept from list to list: a make list would otherwise
    // carry the last trade's word.
    d.list_title = "MAKE";
    open_list(SELECT_MAKE);
    gc_interface_mode = MODE_MAKE;
    return 0;
  }
  if (msg[1] != 'i') return 0;
  std::vector<std::string> pieces;
  split(msg, "^", pieces);
  // Without its ingredient part the line offers nothing to choose.
  if (pieces.size() < 2) return 0;
  if (std::sscanf(pieces[0].c_str(), "Ci %d %1000s", &app.session.craft_request_id, buf.data()) != 2) return 0;
  craft_base_item = Item(std::string(buf.data()));
  std::vector<std::string> ingredients;
  split(pieces[1], ":", ingredients);
  temp_list.clear();
  for (const std::string& text : ingredients) {
    if (text.empty()) continue;
    Item it(text);
    temp_list.add(it, items.get_qty(it), 0, false);
  }
  if (temp_list.first != nullptr) {
    d.print_msg("Select base ingredient ...");
    d.list_title = "MAKE";
    open_list(SELECT_NORMAL);
    gc_interface_mode = MODE_MAKE_CHOOSE_MAT;
  }
  return 0;
}

// 'T': a non-player character asks what the player wants.
int msg_talk_opens(ClientApp& app, const std::string& msg) {
  int id = app.session.talk_partner_id;
  int n = std::sscanf(msg.c_str(), "T %d", &id);
  if (n == 0) return 0;
  if (n == 1) app.session.talk_partner_id = id;
  app.session.input_text.clear();
  app.session.input_pos = 0;
  gc_interface_mode = MODE_NPCTALK;
  d.draw_input_line("Your interest? ", "", 0);
  d.talk_topics = {"bye", "job", "time"};
  d.curr_display = 0;
  playerstats(0);
  temp_list.clear();
  return 0;
}

void end_talk() {
  if (gc_interface_mode != MODE_NPCTALK) return;
  d.print_msg("Bye!");
  gc_interface_mode = MODE_NORMAL;
  d.hide_input_line();
  app.session.history_pos = static_cast<int32_t>(app.input_history.size());
  d.talk_topics.clear();
}

int msg_talk_ends(ClientApp&, const std::string&) {
  end_talk();
  return 0;
}

void send_trade_list(int partner, int flag, bool bank) {
  for (const ItemListEl* e = drop_list.first; e != nullptr; e = e->next)
    send_trade_item(e->item, static_cast<long>(e->qty), partner, e->price, bank, flag != 0);
  send_trade_end();
  drop_list.clear();
}
