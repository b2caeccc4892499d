#pragma once
// The keys of the list panel: moving, paging, the name search, the item
// filters, reordering the inventory and bank views, and picking. Keys come in
// readkey form (scancode << 8 | character).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "display/list_panel.h"

// One reorder record of the inventory and bank views: the item and whether
// it moved up. (The multi-drop marks are `item_drop`.)
struct PickEntry {
  Item item;
  uint8_t flag = 0;
};

// The reorder records, replayed by the list's caller.
extern std::vector<PickEntry> pick_list;

// What the keys need from around them. The modifiers are the held SHIFT, CTRL
// and ALT (list_key_modifiers); callbacks left null do nothing.
struct ListKeyEnv {
  bool shift = false, ctrl = false, alt = false;
  bool search_at_start = false;  // every list opens with the search open
  // The entry under the pointer (`list_node_under_mouse`), asked at each use
  // since the list moves under it; null: none.
  std::function<const ItemListEl*()> under_mouse;
  int* curr_display = nullptr;  // 1 while the panel shows the list
  std::function<bool(int scancode)> is_north, is_south;  // bound movement keys
  std::function<void(const std::string&)> print;
  std::function<void()> redraw;
  std::function<void()> hide_mouse;
  std::function<void(int dy)> move_mouse;
  std::function<void(ItemList*, char letter)> filter_by_type;
  std::function<void(ItemList*, std::string& text, int kind)> filter_by_search;
};

// Sets shift, ctrl and alt from the modifier keys held.
void list_key_modifiers(ListKeyEnv& env);

// The message of a filter letter; "" when the letter is no filter.
std::string list_filter_message(char letter);

// Handles one key. Result: the picked entry's item; Item(-1) when the list
// was closed, a sub-list request was raised or an empty ready list was
// confirmed; Item(-2) while the list stays open. '!' resets a newly opened
// list, '$' refreshes it after its nodes were rebuilt.
Item list_input(ListState& st, ItemList* list, int key, int kind, bool switch_flag, ListKeyEnv& env);
