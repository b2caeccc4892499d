// The list panel: rows around the cursor, the header, the ability detail and
// the drawing over them.

#include "display/list_panel.h"

#include <allegro.h>

#include <algorithm>

#include "core/item_data.h"
#include "core/skills_classes.h"
#include "core/spells.h"
#include "core/string_utils.h"
#include "core/utils.h"
#include "display/display.h"
#include "display/item_detail.h"
#include "input/hotkeys.h"
#include "world/item_drop.h"
#include "world/item_list.h"
#include "world/player.h"

namespace {

int rgb_to_colour(int rgb) { return makecol((rgb >> 16) & 255, (rgb >> 8) & 255, rgb & 255); }

// Equipped marks: the first slot test that holds, as a corner in the marks
// picture.
struct MarkRule {
  int x, y;
};

void first_mark(const ListRow& row, const Player& p, ListRowView& v) {
  const Item& it = row.item;
  auto holds = [&](const Item& slot) { return slot.is_valid() && slot == it; };
  MarkRule m{-1, -1};
  if (holds(p.weapon) && holds(p.shield)) m = {8, 16};
  else if (holds(p.weapon)) m = {0, 0};
  else if (holds(p.armour)) m = {8, 0};
  else if (holds(p.shield)) m = {16, 0};
  else if (holds(p.boots)) m = {24, 8};
  else if (holds(p.gloves)) m = {24, 0};
  else if (holds(p.hat)) m = {16, 8};
  else if (holds(p.trousers)) m = {0, 16};
  v.mark1_x = m.x;
  v.mark1_y = m.y;
  MarkRule n{-1, -1};
  if (holds(p.ring1) && holds(p.ring2)) n = {16, 16};
  else if (holds(p.ring1) || holds(p.ring2)) n = {0, 8};
  else if (holds(p.amulet)) n = {8, 8};
  else if (holds(p.belt)) n = {24, 16};
  else if (holds(p.ammo)) n = {0, 24};
  v.mark2_x = n.x;
  v.mark2_y = n.y;
}

void set_hotkey(int slot, ListRowView& v) {
  if (slot < 0 || slot >= PLAYER_HOTKEYS) return;
  v.hotkey = slot_key_name(slot);
  v.hotkey_x = slot >= 10 && slot <= 17 ? 39 : 44;
}

void fill_row(ListRow& row, const ItemListEl* n, int kind, const ListRowSources& src) {
  row.item = n->item;
  if (src.name)
    row.name = src.name(n->item, kind);
  else if (kind == SELECT_ABILITY)
    row.name = spells.get_full_spell_name(static_cast<int>(n->item.code));
  else
    row.name = wl.get_med_name(n->item, true);
  row.qty = bounded_int<int32_t>(n->qty);
  row.price = n->price;
  row.colour = src.colour ? src.colour(n->item, kind) : LIST_LIGHT_GREY;
  if (kind == SELECT_MAKE && list_entry_flags(*n) == 0) row.colour = LIST_GREY;
  row.drop_mark = src.drop_count ? src.drop_count(n->item) : item_drop.get_count(n->item);
}

}  // namespace

int list_row_count_for(int kind, bool large_statbox) {
  if (large_statbox) return 19;
  if (kind == SELECT_MAKE) return 21;
  if (kind == SELECT_READY) return 25;
  return 28;
}

bool list_kind_shows_marks(int kind) {
  return kind >= SELECT_READY && kind <= SELECT_VIEW_BANK && kind != SELECT_MAKE && kind != SELECT_ABILITY;
}

ItemListEl* list_node_at(const ItemList* list, int pos) {
  if (!list || pos < 0) return nullptr;
  ItemListEl* n = list->first;
  for (int i = 0; n && i < pos; ++i) n = n->next;
  return n;
}

int list_node_pos(const ItemList* list, const ItemListEl* node) {
  if (!list || !node) return -1;
  int i = 0;
  for (const ItemListEl* n = list->first; n; n = n->next, ++i)
    if (n == node) return i;
  return -1;
}

ItemListEl* list_first_visible(const ItemList* list) {
  if (!list) return nullptr;
  ItemListEl* n = list->first;
  while (n && n->hidden) n = n->next;
  return n;
}

ItemListEl* list_next_visible(const ItemListEl* node) {
  ItemListEl* n = node ? node->next : nullptr;
  while (n && n->hidden) n = n->next;
  return n;
}

ItemListEl* list_prev_visible(const ItemListEl* node) {
  ItemListEl* n = node ? node->prev : nullptr;
  while (n && n->hidden) n = n->prev;
  return n;
}

ItemListEl* list_cursor_node(const ListState& st, const ItemList* list) {
  return list_node_at(list, st.cursor);
}

void list_set_cursor(ListState& st, const ItemList* list, const ItemListEl* node) {
  st.cursor = list_node_pos(list, node);
}

ItemListEl* list_row_node(const ListState& st, const ItemList* list, int row) {
  ItemListEl* n = list_cursor_node(st, list);
  if (!n || row < 0 || row >= st.row_count) return nullptr;
  for (int r = LIST_CURSOR_ROW; n && r < row; ++r) n = list_next_visible(n);
  for (int r = LIST_CURSOR_ROW; n && r > row; --r) n = list_prev_visible(n);
  return n;
}

ListHighlight list_highlight(const ListState& st, const ItemList* list, int mouse_row,
                             const ItemListEl* under_mouse) {
  ListHighlight hl;
  if (under_mouse && mouse_row >= 0 && mouse_row < st.row_count) {
    hl.row = mouse_row;
    hl.entry = under_mouse;
    hl.item = under_mouse->item;
    return hl;
  }
  hl.entry = list_cursor_node(st, list);
  if (!st.rows.empty()) hl.item = st.rows[LIST_CURSOR_ROW].item;
  return hl;
}

Item list_item_under_mouse(const ItemListEl* under_mouse) {
  return under_mouse && !under_mouse->hidden ? under_mouse->item : Item(-1L);
}

Item list_selected_item(const ListState& st, const ItemList* list, const ItemListEl* under_mouse) {
  const Item m = list_item_under_mouse(under_mouse);
  if (m != -1L) return m;
  const ItemListEl* c = list_cursor_node(st, list);
  return c ? c->item : Item(0L);
}

bool show_list_item(ListState& st, const ItemList* list, const Item& item) {
  ItemListEl* n = list ? list->find_item(item) : nullptr;
  if (!n) return false;
  list_set_cursor(st, list, n);
  return true;
}

void build_list_rows(ListState& st, const ItemList* list, int kind, bool large_statbox,
                     const ListRowSources& src) {
  if (kind == SELECT_LAST_DRAWN) kind = st.kind;
  st.kind = kind;
  st.row_count = list_row_count_for(kind, large_statbox);
  ItemListEl* cur = list_cursor_node(st, list);
  if (!cur) {
    cur = list ? list->first : nullptr;
    st.cursor = cur ? 0 : -1;
  }
  if (cur && cur->hidden) {
    cur = nullptr;
    st.cursor = -1;
  }
  st.rows.assign(static_cast<size_t>(st.row_count), ListRow());
  if (!cur) return;
  fill_row(st.rows[LIST_CURSOR_ROW], cur, kind, src);
  const ItemListEl* n = cur;
  for (int r = LIST_CURSOR_ROW + 1; r < st.row_count; ++r) {
    n = list_next_visible(n);
    if (!n) break;
    fill_row(st.rows[static_cast<size_t>(r)], n, kind, src);
  }
  n = cur;
  for (int r = LIST_CURSOR_ROW - 1; r >= 0; --r) {
    n = list_prev_visible(n);
    if (!n) break;
    fill_row(st.rows[static_cast<size_t>(r)], n, kind, src);
  }
}

ListRowView list_row_view(const ListRow& row, int kind, const Player& p) {
  ListRowView v;
  if (row.item == -1L) return v;
  v.empty = false;
  v.colour = row.colour;
  std::string name = row.name.substr(0, LIST_NAME_CHARS);
  std::replace(name.begin(), name.end(), '_', ' ');
  v.name = name;
  if (row.drop_mark == 1)
    v.name_background = LIST_DARK_RED;
  else if (row.drop_mark != 0)
    v.name_background = LIST_RED;
  if (kind == SELECT_ABILITY) {
    v.first = format_str("%3d", row.price);
    set_hotkey(p.find_slot_id(static_cast<int>(row.item.code)), v);
    return v;
  }
  v.first = static_cast<uint32_t>(row.qty) <= 999 ? format_str("%3d", row.qty) : "xxx";
  if (list_kind_shows_marks(kind)) {
    first_mark(row, p, v);
    set_hotkey(p.find_inv_slot(row.item), v);
  }
  return v;
}

ListHeader list_header(const ListState& st) {
  ListHeader h;
  if (st.kind == SELECT_ABILITY) {
    h.left = "LVL";
    h.middle = "ABILITY";
  } else if (st.search.empty()) {
    h.left = "QTY";
    h.middle = "ITEM";
    h.right = st.title;
  } else {
    h.left = "Search: " + st.search.substr(1);
  }
  return h;
}

int list_light_colour(int rgb) {
  auto shade = [](int c) { return std::min(255, static_cast<int>(0.6 * c + 64)); };
  return shade((rgb >> 16) & 255) << 16 | shade((rgb >> 8) & 255) << 8 | shade(rgb & 255);
}

std::vector<DetailLine> ability_detail_lines(int s, int row_colour, int school, Player& p) {
  std::vector<DetailLine> out;
  if (s == -1) return out;
  auto put = [&](int k, const std::string& text, int colour) {
    DetailLine l;
    l.line = k;
    l.text = text;
    l.colour = colour;
    out.push_back(l);
  };
  const int light = list_light_colour(school);
  put(1, "Ability Detail ...", LIST_BLUE);
  const std::string plain = spells.get_full_spell_name(s, true);
  const std::string worded = spells.get_full_spell_name(s);
  put(2, plain, row_colour);
  if (worded != plain) put(3, worded, school);
  const int skill = spells.get_skill(s);
  int m = 3;
  if (skill != -1) {
    put(4, "school:  " + sc.get_skillname(skill), light);
    put(5, format_str("chance:  %d%%", spells.get_success_chance(s, p.get_skill(skill))),
        LIST_WHITE);
    if (spells.get_min_skill(s) >= 1) {
      put(6, format_str("skill:   %d", spells.get_min_skill(s)), light);
      m = 6;
    } else {
      m = 5;
    }
  }
  const std::string pool = get_mana_type_word(static_cast<char>(spells.get_mana_type(s))) + ":";
  put(m + 1, format_str("%-9s%d", pool.c_str(), spells.get_mana_req(s)), LIST_WHITE);
  int next = m + 3;
  const int slot = p.find_slot_id(s);
  if (slot >= HOTKEY_F1_SLOT && slot <= HOTKEY_F8_SLOT) {
    put(next, combo_key_name(slot, false), LIST_YELLOW);
    next = m + 5;
  }
  const std::string desc = spells.get_description(s);
  if (!desc.empty()) {
    put(next, desc, LIST_LIGHT_GREY);
    out.back().wrapped = true;
  }
  return out;
}

std::vector<std::string> wrap_text(const std::string& text, int width,
                                   const std::function<int(const std::string&)>& measure) {
  std::vector<std::string> lines;
  const int space = measure(" ");
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string para = text.substr(start, end - start);
    std::string line;
    int line_w = 0;
    size_t i = 0;
    while (i < para.size()) {
      if (para[i] == ' ') {
        ++i;
        continue;
      }
      size_t j = para.find(' ', i);
      if (j == std::string::npos) j = para.size();
      std::string word = para.substr(i, j - i);
      i = j;
      int w = measure(word);
      int needed = line.empty() ? w : line_w + space + w;
      if (needed <= width) {
        if (!line.empty()) line += ' ';
        line += word;
        line_w = needed;
        continue;
      }
      if (!line.empty()) {
        lines.push_back(line);
        line.clear();
        line_w = 0;
      }
      // A word wider than the box is broken where the box ends.
      while (measure(word) > width && word.size() > 1) {
        size_t cut = 1;
        while (cut < word.size() && measure(word.substr(0, cut + 1)) <= width) ++cut;
        lines.push_back(word.substr(0, cut));
        word.erase(0, cut);
      }
      line = word;
      line_w = measure(word);
    }
    if (!line.empty() || para.empty()) lines.push_back(line);
    if (end >= text.size()) break;
    start = end + 1;
  }
  return lines;
}

int draw_wrapped_text(BITMAP* bmp, FONT* font, const std::string& text, int x, int y, int width,
                      int height_limit, int rgb) {
  auto measure = [font](const std::string& s) { return text_length(font, s.c_str()); };
  const int step = text_height(font) + 1;
  const int colour = rgb_to_colour(rgb);
  int yy = y;
  for (const std::string& line : wrap_text(text, width, measure)) {
    if (yy - y + step > height_limit) break;
    textout_ex(bmp, font, line.c_str(), x, yy, colour, -1);
    yy += step;
  }
  return yy;
}

void draw_detail_lines(BITMAP* bmp, FONT* font, int rows, const std::vector<DetailLine>& lines) {
  int wrapped_end = 0;
  for (const DetailLine& l : lines) {
    int y = detail_line_y(rows, l.line);
    if (l.wrapped) {
      y = std::max(y, wrapped_end);
      wrapped_end = draw_wrapped_text(bmp, font, l.text, 9, y, 222, 1000, l.colour);
    } else {
      textout_ex(bmp, font, l.text.c_str(), l.x, y, rgb_to_colour(l.colour), -1);
    }
  }
}

void draw_list_panel(ListState& st, ItemList* list, int kind, const ListPanelContext& ctx) {
  if (!ctx.panel || !ctx.main_font) return;
  Player& p = ctx.player ? *ctx.player : me;
  const ItemList& inventory = ctx.inventory ? *ctx.inventory : items;
  build_list_rows(st, list, kind, ctx.large_statbox, ctx.sources);
  BITMAP* bmp = ctx.panel;
  FONT* font = ctx.main_font;
  FONT* small = ctx.names_font ? ctx.names_font : font;

  if (ctx.clear_panel) {
    ctx.clear_panel();
  } else {
    rectfill(bmp, 0, 0, PANEL_WIDTH - 1, PANEL_HEIGHT - 1, rgb_to_colour(ctx.box_colour));
    rectfill(bmp, 0, 0, 1, PANEL_HEIGHT - 1, makecol(0, 0, 0));
  }

  const ListHighlight hl = list_highlight(st, list, ctx.mouse_row, ctx.under_mouse);
  const int h = hl.row;
  const Item detail = hl.item;
  rectfill(bmp, 2, 10 * h + 19, 231, 10 * h + 28, makecol(0, 0, 0));
  textout_ex(bmp, font, ">", 2, 10 * h + 21, rgb_to_colour(LIST_RED), -1);

  const ListHeader head = list_header(st);
  textout_ex(bmp, font, head.left.c_str(), 9, 7, rgb_to_colour(LIST_BLUE), -1);
  if (!head.middle.empty())
    textout_ex(bmp, font, head.middle.c_str(), 49, 7, rgb_to_colour(LIST_BLUE), -1);
  if (!head.right.empty())
    textprintf_right_ex(bmp, font, 226, 7, rgb_to_colour(LIST_LIGHT_BLUE), -1, "%s",
                        head.right.c_str());

  for (int r = 0; r < st.row_count; ++r) {
    const ListRowView v = list_row_view(st.rows[static_cast<size_t>(r)], st.kind, p);
    if (v.empty) continue;
    const int y = 20 + 10 * r;
    const int bg = v.name_background < 0 ? -1 : rgb_to_colour(v.name_background);
    textout_ex(bmp, font, v.name.c_str(), 49, y, rgb_to_colour(v.colour), bg);
    if (ctx.special) {
      if (v.mark1_x >= 0) masked_blit(ctx.special, bmp, v.mark1_x, v.mark1_y, 35, y, 8, 8);
      if (v.mark2_x >= 0) masked_blit(ctx.special, bmp, v.mark2_x, v.mark2_y, 35, y, 8, 8);
    }
    if (!v.hotkey.empty())
      textout_ex(bmp, small, v.hotkey.c_str(), v.hotkey_x, y, rgb_to_colour(LIST_LIGHT_GREEN), -1);
    textout_ex(bmp, font, v.first.c_str(), 9, y, rgb_to_colour(v.colour), -1);
  }

  if (st.kind == SELECT_ABILITY) {
    if (detail != -1L) {
      const int s = static_cast<int>(detail.code);
      const int school = ctx.school_colour ? ctx.school_colour(s) : 0xCCCCCC;
      const int colour =
          st.rows.empty() ? ListRow().colour : st.rows[static_cast<size_t>(h)].colour;
      draw_detail_lines(bmp, font, st.row_count, ability_detail_lines(s, colour, school, p));
    }
  } else {
    ItemDetailBox box = list_item_detail(st, list, ctx.mouse_row, ctx.under_mouse, p, inventory);
    draw_detail_lines(bmp, font, st.row_count, box.lines);
    if (box.picture_line >= 0 && ctx.draw_item)
      ctx.draw_item(bmp, box.picture, 9, detail_line_y(st.row_count, box.picture_line));
  }

  if (ctx.copy_to)
    blit(bmp, ctx.copy_to, 0, 0, ctx.panel_x, ctx.panel_y, PANEL_WIDTH, PANEL_HEIGHT);
}
