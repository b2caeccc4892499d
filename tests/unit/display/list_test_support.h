#pragma once
// Lists for the list panel tests: nodes carry a name in their text and a
// type letter in their alignment field, which the stand-in filters read.

#include <allegro.h>

#include <string>
#include <vector>

#include "core/string_utils.h"
#include "display/list_keys.h"

namespace list_test {

struct Entry {
  std::string name;
  char type;
};

inline void fill(ItemList& list, const std::vector<Entry>& entries) {
  list.clear();
  long code = 0x100;
  for (const Entry& e : entries) {
    auto* n = new ItemListEl;
    n->item = Item(code++);
    n->qty = 1;
    n->text = e.name;
    n->align = e.type;
    list.push_back(n);
  }
}

inline std::vector<Entry> numbered(int count) {
  std::vector<Entry> v;
  for (int i = 0; i < count; ++i) v.push_back({"item" + std::to_string(i), 'x'});
  return v;
}

inline int key_of(int scancode, int ascii) { return scancode << 8 | ascii; }

// An environment whose filters and messages are recorded.
struct Recorder {
  std::vector<std::string> messages;
  std::vector<char> type_filters;
  std::vector<std::string> searches;
  std::vector<int> mouse_moves;
  int redraws = 0;
  int hides = 0;
  int curr_display = 0;
  int north_key = 0, south_key = 0;

  ListKeyEnv env() {
    ListKeyEnv e;
    e.curr_display = &curr_display;
    e.print = [this](const std::string& s) { messages.push_back(s); };
    e.redraw = [this] { ++redraws; };
    e.hide_mouse = [this] { ++hides; };
    e.move_mouse = [this](int dy) { mouse_moves.push_back(dy); };
    e.is_north = [this](int sc) { return sc == north_key; };
    e.is_south = [this](int sc) { return sc == south_key; };
    e.filter_by_type = [this](ItemList* l, char letter) {
      type_filters.push_back(letter);
      for (ItemListEl* n = l->first; n; n = n->next)
        n->hidden = !(letter == 'A' || letter == 'v' || n->align == letter);
    };
    e.filter_by_search = [this](ItemList* l, std::string& text, int) {
      searches.push_back(text);
      const std::string word = text.empty() ? "" : to_upper(text.substr(1));
      for (ItemListEl* n = l->first; n; n = n->next)
        n->hidden = !text.empty() && to_upper(n->text).find(word) == std::string::npos;
    };
    return e;
  }
};

}  // namespace list_test
