#pragma once
// How many of each item the player has picked for a multi-item drop, in the
// order the items were first given a count.

#include <cstdint>
#include <vector>

#include "core/item.h"

struct DropEntry {
  Item item;
  int32_t count = 0;
};

class ItemDrop {
 public:
  ItemDrop();
  virtual ~ItemDrop();

  // 0 when the item has no entry.
  int get_count(const Item& item) const;
  // Count 0 erases an existing entry; a new item is appended (even with 0).
  void set_count(const Item& item, int count);
  int size() const { return static_cast<int>(entries.size()); }
  void clear() { entries.clear(); }

  std::vector<DropEntry> entries;
};

extern ItemDrop item_drop;  // the multi-item drop selection
