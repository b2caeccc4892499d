// The multi-item drop selection.

#include "world/item_drop.h"

ItemDrop::ItemDrop() = default;

ItemDrop::~ItemDrop() = default;

int ItemDrop::get_count(const Item& item) const {
  for (const DropEntry& e : entries)
    if (e.item == item) return e.count;
  return 0;
}

void ItemDrop::set_count(const Item& item, int count) {
  for (auto it = entries.begin(); it != entries.end(); ++it) {
    if (it->item == item) {
      if (count == 0)
        entries.erase(it);
      else
        it->count = count;
      return;
    }
  }
  entries.push_back({item, count});
}
