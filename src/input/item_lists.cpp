// List builders, list filters and the item and skill messages of the server.

#include "input/item_lists.h"

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "app/client_app.h"
#include "core/config_file.h"
#include "core/item_data.h"
#include "core/list_kinds.h"
#include "core/skills_classes.h"
#include "core/spells.h"
#include "core/string_utils.h"
#include "core/utils.h"
#include "display/display.h"
#include "input/player_actions.h"
#include "world/item_list.h"
#include "world/player.h"

namespace {

constexpr int COLOUR_WHITE = 16;
constexpr int COLOUR_SKILL = 18;
constexpr char READY_ORDER[] = "WshagetbrmA";

bool in_category(const Item& item, int filter) {
  bool food = wl.is_food(item);
  char use = wl.get_usability(item);
  switch (filter) {
    case ITEMS_ALL:
    case ITEMS_BANKED: return true;
    case ITEMS_DRINKABLE: return use == 'd' && !food;
    case ITEMS_READABLE: return use == 'r' && !food;
    case ITEMS_FOOD: return food && use != 'd' && use != 'y' && use != 'r';
    case ITEMS_USABLE: return use == 'y' && !food;
    default: return !food && use != 'd' && use != 'y' && use != 'r';
  }
}

bool type_kept(const Item& item, char letter) {
  char type = wl.get_type(item);
  char use = wl.get_usability(item);
  switch (letter) {
    case 'w': return type == 'W';
    case 'W': return wl.is_wearable(item);
    case 'p': return use == 'd';
    case 'S': return use == 'r';
    case 'j': return type == 'm' || type == 'r';
    case 'f': return wl.is_food(item);
    case 'u': return use == 'y';
    case 'U': return item.is_unidentified();
    case 'h': return type == 'h';
    case 't': return type == 'a';
    case 'l': return type == 't';
    case 'b': return type == 'b';
    case 'B': return type == 'e';
    case 'g': return type == 'g';
    case 'r': return type == 'r';
    case 'n': return type == 'm';
    case 's': return type == 's';
    case 'a': return type == 'A';
    case 'G': return type == 'G';
    case 'R': return wl.get_merch(item) == 'a' && use != 'd';
    case 'c': return item.get_base_code() == ITEM_BASE_CARD && (!level_flag || item.is_blessed());
    default: return true;
  }
}

void clear_hidden(ItemList& list) {
  for (ItemListEl* e = list.first; e; e = e->next) e->hidden = 0;
}

std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// A count that came from the server: at least one, within the int range that
// the inventory sums keep.
bool usable_count(long count) { return count >= 1 && count <= INT32_MAX; }

}  // namespace

// ---- List builders -------------------------------------------------------------

int construct_item_list(ItemList& list, int filter) {
  list.clear();
  int added = 0;
  bool banked = filter == ITEMS_BANKED;
  for (const ItemListEl* e = items.first; e; e = e->next) {
    const Item& item = e->item;
    if (item.is_base_295() && !me.is_dm()) continue;
    if (item.is_banked() != banked || !in_category(item, filter)) continue;
    list.add(item, static_cast<long>(e->qty), 1, false);
    ++added;
  }
  return added;
}

int construct_ready_list(ItemList& list) {
  list.clear();
  int added = 0;
  for (const char* t = READY_ORDER; *t; ++t) {
    for (const ItemListEl* e = items.first; e; e = e->next) {
      if (e->item.is_banked() || wl.get_type(e->item) != *t) continue;
      list.add(e->item, static_cast<long>(e->qty), 1, false);
      ++added;
    }
  }
  return added;
}

int construct_trade_list(ItemList& list, char kind, bool from_table, bool free_flag) {
  list.clear();
  int added = 0;
  if (from_table) {
    for (int base = 0; base < ITEM_NUM_CODES; ++base) {
      const ItemRecord* r = wl.get_record(base);
      if (!r || r->merch != kind || r->price <= 0) continue;
      Item item(static_cast<long>(base));
      list.add(item, kind == 'h' ? 1 : -1, wl.get_price(item), false);
      ++added;
    }
    return added;
  }
  if (kind == 'h') return 0;
  for (const ItemListEl* e = items.first; e; e = e->next) {
    const Item& item = e->item;
    if (item.is_banked() || item.get_base_code() == ITEM_BASE_UNTRADED || item.is_base_295())
      continue;
    if (item.is_no_drop() && kind != 'B') continue;
    if (count_equipped(item) > 0 && e->qty < 2) continue;
    bool matches = wl.get_merch(item) == kind || kind == 'P' || kind == 'B' ||
                   (kind == 'Z' && wl.is_enchanted(item));
    if (!matches) continue;
    if (wl.get_sell_price(item) < 1 && kind != 'B' && kind != 'P' && !free_flag) continue;
    list.add(item, static_cast<long>(e->qty), 1, false);
    ++added;
  }
  return added;
}

int construct_ability_list(ItemList& list) {
  list.clear();
  int added = 0;
  int skills = player_skill_count();
  for (int skill = -1; skill < skills; ++skill) {
    for (int circle = 0; circle <= MAX_CIRCLE; ++circle) {
      for (int id = 0; id < spells.get_num_spells(); ++id) {
        if (!spells.is_valid_id(id) || spells.get_skill(id) != skill ||
            spells.get_circle(id) != circle || !me.has_spell(id))
          continue;
        list.add(Item(static_cast<long>(id)), 1, circle, false);
        ++added;
      }
    }
  }
  return added;
}

void refresh_list_quantities() {
  for (ItemListEl* e = temp_list.first; e; e = e->next) e->qty = items.get_qty(e->item);
}

// ---- Filters ---------------------------------------------------------------------

void filter_item_list_by_type(ItemList& list, char letter) {
  clear_hidden(list);
  for (ItemListEl* e = list.first; e; e = e->next)
    if (!type_kept(e->item, letter)) e->hidden = 1;
}

void filter_item_list_by_search(ItemList& list, std::string& text, int kind) {
  clear_hidden(list);
  text = upper(text);
  if (text.empty()) return;
  std::string word = text.substr(1);
  for (ItemListEl* e = list.first; e; e = e->next) {
    std::string name = kind == SELECT_ABILITY
                           ? spells.get_full_spell_name(static_cast<int>(e->item.intVal()))
                           : wl.get_med_name(e->item);
    if (upper(name).find(word) == std::string::npos) e->hidden = 1;
  }
}

// ---- Server messages ---------------------------------------------------------------

void process_item_removed(const std::string& msg) {
  char text[1001];
  int count = 0, quiet = 0;
  if (std::sscanf(msg.c_str(), "J %1000s %d %d", text, &count, &quiet) != 3) return;
  // A count below one would take away every piece of the item.
  if (count < 1) return;
  Item item{std::string(text)};
  items.remove(item, count);
  playerstats(0);
  if (item.is_base_295() || quiet) return;
  d.print_msg("%s (x%d) removed from inventory!", wl.get_full_name(item).c_str(), count);
}

void receive_item(const std::string& msg) {
  char text[1001];
  long count = 0;
  int quiet = 0;
  if (std::sscanf(msg.c_str(), "I %1000s %ld %d", text, &count, &quiet) < 2) return;
  Item item{std::string(text)};
  if (!item.is_regular_item()) {
    playerstats(0);
    return;
  }
  if (!usable_count(count)) return;
  int n = static_cast<int>(count);
  items.add(item, n, 1, false);
  if (item.get_base_code() == ITEM_BASE_CURRENCY) {
    playerstats(0);
    if (!quiet)
      d.print_msg("You got %d %s.", n,
                  common_cfg.get(n == 1 ? "currency_long_single" : "currency_long").c_str());
    return;
  }
  playerstats(0);
  if (item.is_base_295() || quiet) return;
  char colour = d.colour_code(d.item_text_colour(item));
  std::string name = wl.get_full_name(item);
  if (n == 1)
    d.print_msg("%c%s%c added to your inventory.", colour, name.c_str(), COLOUR_WHITE);
  else if (wl.get_type(item) == 'a')
    d.print_msg("%c%s%c added to inventory (%d pieces).", colour, name.c_str(), COLOUR_WHITE, n);
  else
    d.print_msg("%c%s%c added to inventory (%d in total).", colour, name.c_str(), COLOUR_WHITE, n);
}

void process_craft_list(const std::string& msg) {
  char text[1001];
  int qty = 0, price = 0, flags = 0, time_ms = 0;
  if (std::sscanf(msg.c_str(), "c %1000s %d %d %d %d", text, &qty, &price, &flags, &time_ms) != 5)
    return;
  Item item{std::string(text)};
  if (!item.is_valid()) {
    temp_list.clear();
    d.print_msg("What would you like to make?");
    return;
  }
  // Each line is one recipe: two recipes for the same product stay apart.
  ItemListEl* e = temp_list.add(item, qty, price, true);
  if (!e) return;
  size_t at = msg.find('@');
  e->text = at == std::string::npos ? std::string() : msg.substr(at + 1);
  e->b = flags;
  e->c = time_ms;
}

void process_skill_update(const std::string& msg) {
  int skill = 0;
  float value = 0;
  if (std::sscanf(msg.c_str(), "S %d %f", &skill, &value) != 2) return;
  if (skill < 0 || skill >= player_skill_count() || !std::isfinite(value)) return;
  float old = me.get_raw_skill(skill);
  set_skill(me, skill, value);
  // The player keeps the figure bounded: the message tells what was kept.
  float now = me.get_raw_skill(skill);
  int whole = bounded_int<int>(now);
  if (whole > bounded_int<int>(old) || now < old)
    d.print_msg("%cYour skill in %s is now %d.", COLOUR_SKILL, sc.get_skillname(skill).c_str(),
                whole);
  playerstats(0);
}
