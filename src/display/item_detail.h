#pragma once
// The item detail box below the rows of the list panel: what the highlighted
// item is, its state, its price in the trade, weight, combat figures, who may
// use it, what it is made of and its description. Built as lines (text,
// colour, place) so that the drawing over them stays thin.

#include <string>
#include <vector>

#include "display/list_panel.h"

struct ItemDetailInput {
  Item item{-1L};          // the highlighted entry's item; Item(-1) draws nothing
  int colour = LIST_LIGHT_GREY;  // the highlighted row's colour
  int32_t qty = 0;         // the highlighted row's quantity
  int32_t price = 0;       // the highlighted row's price
  int kind = SELECT_NORMAL;
  const ItemList* list = nullptr;  // the list shown
  std::string entry_text;  // crafting: the ingredient text of the entry
};

struct ItemDetailBox {
  std::vector<DetailLine> lines;
  int picture_line = -1;  // line of the item picture, -1 none
  Item picture{0L};       // the item whose picture is drawn
};

// Right column: one play cell (32) plus 14.
constexpr int DETAIL_RIGHT_X = 32 + 14;

ItemDetailBox item_detail_lines(const ItemDetailInput& in, Player& p, const ItemList& inventory);
// The box of the highlighted entry (`list_highlight`) of the rows last built
// for `list`, as the list panel draws it.
ItemDetailBox list_item_detail(const ListState& st, const ItemList* list, int mouse_row,
                               const ItemListEl* under_mouse, Player& p, const ItemList& inventory);

// Ingredients of a crafting entry's text: parts joined by ':', each an item
// in dot text form, 'x' and a count. Parts of another shape are skipped.
struct Ingredient {
  Item item;
  int count = 0;
};
std::vector<Ingredient> parse_ingredients(const std::string& text);
