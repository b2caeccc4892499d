#pragma once
// The lists shown in the list windows (inventory, readying, trading,
// crafting, abilities), their filters, and the server messages that change
// the inventory, the crafting list or a skill ('J', 'I', 'c', 'S').

#include <string>

class ItemList;

// Inventory categories of construct_item_list.
enum {
  ITEMS_ALL = 0,
  ITEMS_DRINKABLE = 1,
  ITEMS_READABLE = 2,
  ITEMS_FOOD = 3,
  ITEMS_BANKED = 4,
  ITEMS_USABLE = 5,
  ITEMS_OTHER = 6
};

// The builders clear the list and return the number of entries added.
int construct_item_list(ItemList& list, int filter);
int construct_ready_list(ItemList& list);
int construct_trade_list(ItemList& list, char kind, bool from_table, bool free_flag);
int construct_ability_list(ItemList& list);
// Each entry of the temporary list takes the quantity carried.
void refresh_list_quantities();

void filter_item_list_by_type(ItemList& list, char letter);
// Upper-cases `text`; hides the entries whose name lacks the text after its
// leading '/'.
void filter_item_list_by_search(ItemList& list, std::string& text, int kind);

// A crafting entry keeps the first of its two numbers in the node's `b` (the
// entry's flags; 0 draws it grey) and the crafting time in ms in `c`.
void process_item_removed(const std::string& msg);  // J
void receive_item(const std::string& msg);          // I
void process_craft_list(const std::string& msg);    // c
void process_skill_update(const std::string& msg);  // S
