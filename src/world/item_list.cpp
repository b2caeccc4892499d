// Item lists: the inventory, choice lists, server objects, creatures and the
// timed effects, all as one doubly linked list of shared nodes.

#include "world/item_list.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/item_bases.h"
#include "core/item_data.h"
#include "core/log.h"
#include "core/utils.h"

namespace {

// Quantities come from the server: their sums stop at the ends of the range
// instead of overflowing.
int64_t add_quantities(int64_t a, int64_t b) {
  int64_t sum = 0;
  if (!__builtin_add_overflow(a, b, &sum)) return sum;
  return b > 0 ? INT64_MAX : INT64_MIN;
}

}  // namespace

ItemList::ItemList() = default;

ItemList::~ItemList() { clear(); }

void ItemList::clear() {
  ItemListEl* n = first;
  while (n) {
    ItemListEl* next = n->next;
    delete n;
    n = next;
  }
  first = nullptr;
  count = 0;
  total_weight = 0.0f;
}

// ---- list primitives --------------------------------------------------------

ItemListEl* ItemList::push_front(ItemListEl* node) {
  node->prev = nullptr;
  node->next = first;
  if (first) first->prev = node;
  first = node;
  ++count;
  return node;
}

ItemListEl* ItemList::push_back(ItemListEl* node) {
  node->next = nullptr;
  ItemListEl* last = get_last();
  node->prev = last;
  if (last)
    last->next = node;
  else
    first = node;
  ++count;
  return node;
}

void ItemList::unlink(ItemListEl* node) {
  if (node->prev)
    node->prev->next = node->next;
  else
    first = node->next;
  if (node->next) node->next->prev = node->prev;
  node->next = node->prev = nullptr;
  --count;
}

ItemListEl* ItemList::erase(ItemListEl* node) {
  ItemListEl* next = node->next;
  unlink(node);
  delete node;
  return next;
}

// Swaps a node with its successor.
void ItemList::swap_with_next(ItemListEl* a) {
  ItemListEl* b = a->next;
  if (!b) return;
  ItemListEl* before = a->prev;
  ItemListEl* after = b->next;
  if (before)
    before->next = b;
  else
    first = b;
  b->prev = before;
  b->next = a;
  a->prev = b;
  a->next = after;
  if (after) after->prev = a;
}

// ---- lookup -----------------------------------------------------------------

ItemListEl* ItemList::find_id(int node_id) const {
  for (ItemListEl* n = first; n; n = n->next)
    if (n->id == node_id) return n;
  return nullptr;
}

ItemListEl* ItemList::find_item(const Item& item) const {
  for (ItemListEl* n = first; n; n = n->next)
    if (n->item == item) return n;
  return nullptr;
}

ItemListEl* ItemList::get_last() const {
  ItemListEl* n = first;
  while (n && n->next) n = n->next;
  return n;
}

long ItemList::get_qty(const Item& item) const {
  long total = 0;
  for (ItemListEl* n = first; n; n = n->next)
    if (n->item == item) total = add_quantities(total, n->qty);
  return total;
}

long ItemList::get_qty_basecode(int base, bool blessed_only) const {
  long total = 0;
  for (ItemListEl* n = first; n; n = n->next) {
    const Item& i = n->item;
    if (i.get_base_code() != base || i.is_banked() || i.is_cursed()) continue;
    if (blessed_only && !i.is_blessed()) continue;
    total = add_quantities(total, n->qty);
  }
  return total;
}

Item ItemList::get_item_basecode(int base) const {
  for (ItemListEl* n = first; n; n = n->next) {
    const Item& i = n->item;
    if (i.get_base_code() == base && !i.is_banked() && !i.is_cursed()) return i;
  }
  return Item(0);
}

int ItemList::get_price(const Item& item) const {
  const ItemListEl* n = find_item(item);
  return n ? n->price : 0;
}

void ItemList::set_price(const Item& item, int price) {
  if (ItemListEl* n = find_item(item)) n->price = price;
}

Item ItemList::get_prev_item(const Item& item) const {
  const ItemListEl* n = find_item(item);
  if (!n) return Item(0);
  for (const ItemListEl* p = n->prev; p; p = p->prev)
    if (!p->hidden) return p->item;
  return Item(0);
}

int ItemList::count_banked() const {
  int c = 0;
  for (ItemListEl* n = first; n; n = n->next)
    if (n->item.is_banked()) ++c;
  return c;
}

int ItemList::count_carried() const {
  int c = 0;
  for (ItemListEl* n = first; n; n = n->next)
    if (!n->item.is_banked() && !n->item.is_base_295()) ++c;
  return c;
}

// ---- positioned objects -----------------------------------------------------

int ItemList::add_obj(int node_id, const Item& item, int x, int y, long light, int hea, int align,
                      uint8_t large, int price, int flags) {
  for (ItemListEl* n = first; n; n = n->next) {
    if (node_id >= 0 && large != 1 && n->id == node_id) {
      n->x = x;
      n->y = y;
      n->item = item;
      return 1;
    }
    if (node_id < 0 && n->item == item && n->x == x && n->y == y) return 1;
  }
  ItemListEl* n = new ItemListEl;
  n->id = node_id;
  n->item = item;
  n->x = x;
  n->y = y;
  n->qty = light;
  n->hea = hea;
  n->align = align;
  n->large = large;
  n->price = price;
  n->b = flags;
  push_back(n);
  return 0;
}

int ItemList::add_simple_obj(int node_id, const Item& item, int x, int y, long light) {
  return add_obj(node_id, item, x, y, light, -1, 'n', 0, 0, 0);
}

void ItemList::remove_id(int node_id) {
  if (ItemListEl* n = find_id(node_id)) erase(n);
}

int ItemList::cell_empty(int x, int y) const {
  for (ItemListEl* n = first; n; n = n->next)
    if (n->x == x && n->y == y) return 0;
  return 1;
}

bool ItemList::has_item_at(int x, int y) const {
  for (ItemListEl* n = first; n; n = n->next)
    if (n->x == x && n->y == y && n->item == static_cast<long>(ITEM_BASE_LOCKED_DOOR)) return true;
  return false;
}

// Among the nodes at a cell: the first with an id >= 0, else the last one.
ItemListEl* ItemList::top_in_cell(long long x, long long y, bool large_only) const {
  ItemListEl* last_local = nullptr;
  for (ItemListEl* n = first; n; n = n->next) {
    if (n->x != x || n->y != y) continue;
    if (large_only && n->large != 1) continue;
    if (n->id >= 0) return n;
    last_local = n;
  }
  return last_local;
}

ItemListEl* ItemList::find_top_at(int x, int y) const {
  if (ItemListEl* n = top_in_cell(x, y, false)) return n;
  // A large object covers its own cell and the cells east, south and
  // south-east of it.
  const long long lx = x, ly = y;
  if (ItemListEl* n = top_in_cell(lx - 1, ly, true)) return n;
  if (ItemListEl* n = top_in_cell(lx - 1, ly - 1, true)) return n;
  return top_in_cell(lx, ly - 1, true);
}

Item ItemList::get_top_item_at(int x, int y) const {
  const ItemListEl* n = find_top_at(x, y);
  return n ? n->item : Item(-1);
}

int ItemList::get_top_id_at(int x, int y) const {
  const ItemListEl* n = find_top_at(x, y);
  return n ? n->id : -1;
}

// ---- quantities -------------------------------------------------------------

bool ItemList::stackable(const Item& item) const { return wl.is_stackable(item); }

ItemListEl* ItemList::add(const Item& item, long qty, int price, bool no_merge) {
  if (qty == 0) return nullptr;
  auto make = [&](long q) {
    ItemListEl* n = new ItemListEl;
    n->item = item;
    n->qty = q;
    n->price = price;
    return push_back(n);
  };
  if (stackable(item)) {
    if (!no_merge) {
      if (ItemListEl* n = find_item(item)) {
        n->qty = add_quantities(n->qty, qty);
        calc_weight();
        return n;
      }
    }
    ItemListEl* n = make(qty);
    calc_weight();
    return n;
  }
  // Items that do not stack take one node per unit. The quantity may come
  // from the network, so the number of nodes is bounded.
  long units = qty < 2 ? 1 : qty;
  if (units > ITEMLIST_MAX_UNIT_NODES) {
    writelog("ItemList::add: %ld units of %s cut to %d", units, item.str(false).c_str(),
             ITEMLIST_MAX_UNIT_NODES);
    units = ITEMLIST_MAX_UNIT_NODES;
  }
  ItemListEl* n = nullptr;
  for (long i = 0; i < units; ++i) n = make(1);
  calc_weight();
  return n;
}

int ItemList::remove(const Item& item, long qty) {
  // The excess over one node comes off the next equal node, and so on.
  for (;;) {
    ItemListEl* n = find_item(item);
    if (!n) break;
    if (qty < 0) {
      erase(n);
      break;
    }
    if (qty < n->qty) {
      n->qty -= qty;
      break;
    }
    const long excess = qty - static_cast<long>(n->qty);
    erase(n);
    if (excess <= 0) break;
    qty = excess;
  }
  calc_weight();
  return 0;
}

int ItemList::remove_basecode(int base) {
  int removed = 0;
  for (ItemListEl* n = first; n;) {
    if (n->item.get_base_code() == base) {
      n = erase(n);
      removed = 1;
    } else {
      n = n->next;
    }
  }
  calc_weight();
  return removed;
}

void ItemList::replace_item(const Item& old_item, const Item& new_item, bool whole) {
  ItemListEl* n = find_item(old_item);
  if (!n) return;
  if (n->qty == 1 || whole) {
    n->item = new_item;
    return;
  }
  if (n->qty < 2) return;
  ItemListEl* rest = new ItemListEl;
  rest->item = old_item;
  rest->qty = n->qty - 1;
  rest->price = n->price;
  rest->prev = n;
  rest->next = n->next;
  if (n->next) n->next->prev = rest;
  n->next = rest;
  ++count;
  n->item = new_item;
  n->qty = 1;
}

namespace {

// The item stays within its own group: stack items, and banked nodes for a
// carried item (or carried nodes for a banked one), are passed over.
bool passed_over(const ItemListEl* other, bool banked) {
  return other->item.is_base_295() || other->item.is_banked() != banked;
}

}  // namespace

ItemListEl* ItemList::move_up(const Item& item) {
  const bool banked = item.is_banked();
  for (;;) {
    ItemListEl* n = find_item(item);
    if (!n) return nullptr;
    ItemListEl* p = n->prev;
    if (!p) return n;
    swap_with_next(p);
    if (!passed_over(p, banked)) return n;
  }
}

ItemListEl* ItemList::move_down(const Item& item) {
  const bool banked = item.is_banked();
  // The node is found once: after passing an equal stack node, looking it up
  // again would find that other node and swap the two back and forth forever.
  ItemListEl* n = find_item(item);
  if (!n) return nullptr;
  for (;;) {
    ItemListEl* s = n->next;
    if (!s) return n;
    swap_with_next(n);
    if (!passed_over(s, banked)) return n;
  }
}

void ItemList::calc_weight() {
  float w = 0.0f;
  for (ItemListEl* n = first; n; n = n->next)
    if (!n->item.is_banked()) w += static_cast<float>(n->qty) * wl.get_weight(n->item);
  total_weight = w;
}

uint32_t ItemList::checksum(bool banked) const {
  FunctionTrace ft("checksum");
  uint32_t sum = 0;
  int cnt = 0;
  for (ItemListEl* n = first; n; n = n->next) {
    const Item& i = n->item;
    if (i.is_base_295() || i.is_banked() != banked) continue;
    sum += static_cast<uint32_t>(i.intVal()) * static_cast<uint32_t>(n->qty);
    ++cnt;
  }
  ft.printf("checksum=%u cnt=%d", sum, cnt);
  return sum;
}

int ItemList::load(const std::string& file_name) {
  FILE* f = fopen(file_name.c_str(), "r");
  if (!f) return 1;
  // Pieces of at most 99 characters: a longer line is read as several.
  char buf[100];
  while (fgets(buf, sizeof buf, f)) {
    if (strncmp(buf, "ITEM=", 5) != 0) continue;
    const char* p = buf + 5;
    while (*p && isspace(static_cast<unsigned char>(*p))) ++p;
    const char* start = p;
    while (*p && !isspace(static_cast<unsigned char>(*p))) ++p;
    if (p == start) continue;
    const std::string text(start, p);
    char* end = nullptr;
    const long q = strtol(p, &end, 10);
    if (end == p) continue;
    const int quantity = bounded_int<int>(q);
    Item item;
    item.from_str(text.c_str());
    if (item == Item(0) || !wl.is_legit(item)) continue;
    add(item, quantity, 1, false);
  }
  fclose(f);
  calc_weight();
  return 0;
}
