#pragma once
// One doubly linked list type for every list of things in the client: the
// inventory and the other item lists, the objects and creatures the server
// shows, and the timed effects. All share one node type; each list kind
// fills only the node fields it needs.

#include <cstdint>
#include <string>

#include "core/item.h"

// Most nodes one `add` of a non-stackable item makes (one per unit); the
// quantity comes from the network.
constexpr int ITEMLIST_MAX_UNIT_NODES = 1000;

struct ItemListEl {
  int32_t id = 0;         // object or creature id (negative: local); effect owner
  Item item;              // the item; for events the creation time in its code
  int32_t x = 0, y = 0;   // cell; missiles: start cell
  int32_t a = 0;          // event level; particle tag
  int32_t b = 0;          // object flags (16 bits); event second x; missile target x
  int32_t c = 0;          // event second y; missile target y
  float fx = 0.0f, fy = 0.0f;  // exact position of missiles and particles
  int32_t type = 0;       // event, missile or particle kind
  int64_t qty = 0;        // quantity; object light; event argument or frame
  int32_t price = 0;      // price; field-of-view status of an object
  int32_t hea = 0;        // health value of an object (-1 none); particle size
  int32_t align = 'n';    // alignment letter of an object
  uint8_t hidden = 0;     // hidden by a list filter
  uint8_t large = 0;      // the object covers 2 x 2 cells
  std::string text;
  float heading = 0.0f, dist = 0.0f, travelled = 0.0f;
  int64_t age = 0, expiry = 0;
  float speed = 0.0f;
  uint32_t colour = 0;    // particle colour 0xRRGGBB
  ItemListEl* next = nullptr;
  ItemListEl* prev = nullptr;
};

class ItemList {
 public:
  ItemList();
  virtual ~ItemList();
  // A list owns its nodes.
  ItemList(const ItemList&) = delete;
  ItemList& operator=(const ItemList&) = delete;

  void clear();

  // ---- lookup -----------------------------------------------------------
  ItemListEl* find_id(int node_id) const;
  bool has_id(int node_id) const { return find_id(node_id) != nullptr; }
  ItemListEl* find_item(const Item& item) const;
  ItemListEl* get_last() const;
  long get_qty(const Item& item) const;
  long get_qty_basecode(int base, bool blessed_only = false) const;
  Item get_item_basecode(int base) const;
  int get_price(const Item& item) const;
  void set_price(const Item& item, int price);
  Item get_prev_item(const Item& item) const;
  int count_banked() const;
  int count_carried() const;

  // ---- positioned objects -----------------------------------------------
  // 1 updated or already there, 0 appended.
  int add_obj(int node_id, const Item& item, int x, int y, long light, int hea, int align,
              uint8_t large, int price, int flags);
  int add_simple_obj(int node_id, const Item& item, int x, int y, long light);
  void remove_id(int node_id);
  int cell_empty(int x, int y) const;
  bool has_item_at(int x, int y) const;
  ItemListEl* find_top_at(int x, int y) const;
  Item get_top_item_at(int x, int y) const;
  int get_top_id_at(int x, int y) const;

  // ---- quantities -------------------------------------------------------
  // The node that took the last part; null for quantity 0.
  ItemListEl* add(const Item& item, long qty, int price, bool no_merge);
  int remove(const Item& item, long qty);
  int remove_basecode(int base);
  void replace_item(const Item& old_item, const Item& new_item, bool whole);
  ItemListEl* move_up(const Item& item);
  ItemListEl* move_down(const Item& item);
  void calc_weight();
  // Sum of code word x quantity over the banked or the carried nodes,
  // modulo 2^32; the server compares it with its own.
  uint32_t checksum(bool banked) const;
  // 0 read, 1 cannot open.
  int load(const std::string& file_name);

  // ---- list primitives (also used by the timed effects) -----------------
  ItemListEl* push_front(ItemListEl* node);
  ItemListEl* push_back(ItemListEl* node);
  // Unlinks and frees a node of this list; returns its successor.
  ItemListEl* erase(ItemListEl* node);

  ItemListEl* first = nullptr;
  int32_t count = 0;
  float total_weight = 0.0f;

 protected:
  // Whether equal items share one node; the item-type table decides.
  virtual bool stackable(const Item& item) const;

 private:
  void unlink(ItemListEl* node);
  void swap_with_next(ItemListEl* node);
  ItemListEl* top_in_cell(long long x, long long y, bool large_only) const;
};

// Objects and creatures received from the server: no weight.
class ObjectList : public ItemList {
 public:
  ObjectList() = default;
};

// Timed events, missiles and particles: no weight.
class EffectList : public ItemList {
 public:
  EffectList() = default;
};

extern ItemList items;      // the inventory
extern ItemList temp_list;  // merchant, bank, container and crafting choices
extern ItemList drop_list;  // the items picked in such a list, before they are sent
extern ObjectList server_objects;     // objects received from the server
extern ObjectList visible_creatures;  // creatures in view
extern EffectList event_list;  // timed map events
extern EffectList missile_list;
extern EffectList particle_list;
// The two items of the crafting in progress.
extern Item craft_base_item;
extern Item craft_chosen_item;
// The currency of the trade in progress: the item named by the last list
// message of a merchant, bank or container; Item(256), gold, by default.
extern Item trade_item;
