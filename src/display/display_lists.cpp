// The list panel of the display: the keys of an open list, its drawing into
// the cached `panel_bitmap` and putting the cursor back on an item. The rows,
// the detail box and the key rules are list_panel.cpp, item_detail.cpp and
// list_keys.cpp; this file hands them the display's fonts, pictures, mouse
// and the game's filters.

#include <allegro.h>

#include "display/display.h"
#include "display/list_keys.h"
#include "input/item_lists.h"
#include "input/keymap.h"
#include "input/options.h"

Item QYXDisplay::list_input(ItemList* list, int key, int kind, bool switch_flag) {
  if (list == nullptr) return Item(-2L);
  list_shown = list;
  list_state.title = list_title;
  ListKeyEnv env;
  list_key_modifiers(env);
  env.search_at_start = options.get(OPT_INV_START_WITH_SEARCH);
  env.under_mouse = [this] { return list_node_under_mouse(); };
  env.curr_display = &curr_display;
  env.is_north = [](int sc) { return keymap.is_key(KA_NORTH, sc); };
  env.is_south = [](int sc) { return keymap.is_key(KA_SOUTH, sc); };
  env.print = [this](const std::string& text) { print_msg("%s", text.c_str()); };
  env.redraw = [this, list, kind] { draw_list_panel(list, kind, nullptr); };
  env.hide_mouse = [this] { hide_mouse(); };
  env.move_mouse = [this](int dy) {
    if (allegro_up) position_mouse(mouse_x, mouse_y + dy);
  };
  env.filter_by_type = [](ItemList* l, char letter) { filter_item_list_by_type(*l, letter); };
  env.filter_by_search = [](ItemList* l, std::string& text, int k) {
    filter_item_list_by_search(*l, text, k);
  };
  return ::list_input(list_state, list, key, kind, switch_flag, env);
}

Item QYXDisplay::list_input_kind3(ItemList* list, int key, bool switch_flag) {
  return list_input(list, key, SELECT_NORMAL, switch_flag);
}

void QYXDisplay::draw_list_panel(ItemList* list, int kind, BITMAP* target) {
  if (list == nullptr) return;
  list_shown = list;
  list_state.title = list_title;
  ListPanelContext ctx;
  ctx.panel = panel_bitmap;
  ctx.main_font = main_font;
  ctx.names_font = names_font;
  ctx.special = special;
  ctx.large_statbox = large_statbox != 0;
  ctx.box_colour = box_colour_rgb();
  ctx.mouse_row = panel_row_at_mouse();
  ctx.under_mouse = list_node_under_mouse();
  ctx.sources.colour = [this](const Item& item, int k) {
    return k == SELECT_ABILITY ? school_rgb(static_cast<int>(item.code)) : item_rgb(item);
  };
  ctx.school_colour = [this](int spell) { return school_rgb(spell); };
  ctx.clear_panel = [this] { clear_panel(); };
  ctx.draw_item = [this](BITMAP* b, const Item& item, int x, int y) {
    draw_item_picture(item, b, x, y, false);
  };
  if (target != nullptr && target == back_buffer) {
    ctx.copy_to = back_buffer;
    ctx.panel_x = panel_x;
    ctx.panel_y = panel_y;
  }
  // Without a panel to draw on (no graphics yet) the rows still follow the
  // list, so that the cursor and the kind stay right.
  if (ctx.panel == nullptr || ctx.main_font == nullptr) {
    build_list_rows(list_state, list, kind, ctx.large_statbox, ctx.sources);
    return;
  }
  ::draw_list_panel(list_state, list, kind, ctx);
}

void QYXDisplay::show_list_item(ItemList* list, const Item& item, int kind) {
  if (list != nullptr && ::show_list_item(list_state, list, item)) draw_list_panel(list, kind, nullptr);
}

ItemListEl* QYXDisplay::list_cursor_node() const {
  return list_shown ? ::list_cursor_node(list_state, list_shown) : nullptr;
}

int QYXDisplay::box_colour_rgb() const {
  return (getr(box_colour) & 255) << 16 | (getg(box_colour) & 255) << 8 | (getb(box_colour) & 255);
}
