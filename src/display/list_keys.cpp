// The keys of the list panel.

#include "display/list_keys.h"

#include <allegro.h>

#include <cctype>
#include <climits>

#include "input/keymap.h"

std::vector<PickEntry> pick_list;

namespace {

constexpr int ASCII_BACKSPACE = 8;
constexpr int ASCII_ENTER = 13;
constexpr int ASCII_ESC = 27;

const ItemListEl* under_mouse(const ListKeyEnv& env) { return env.under_mouse ? env.under_mouse() : nullptr; }

struct FilterName {
  char letter;
  const char* message;
};

constexpr FilterName FILTERS[] = {
    {'A', "Filter: off"},          {'v', "Filter: off"},
    {'w', "Filter: weapons"},      {'W', "Filter: wearables"},
    {'s', "Filter: shields"},      {'h', "Filter: slot-head"},
    {'t', "Filter: slot-torso"},   {'l', "Filter: slot-legs"},
    {'b', "Filter: slot-boots"},   {'g', "Filter: slot-gloves"},
    {'B', "Filter: slot-belts"},   {'r', "Filter: slot-rings"},
    {'n', "Filter: slot-neck"},    {'j', "Filter: jewellery"},
    {'a', "Filter: ammo"},         {'G', "Filter: gems"},
    {'p', "Filter: potions & drinks"}, {'S', "Filter: spells & scrolls"},
    {'u', "Filter: usable"},       {'f', "Filter: food"},
    {'R', "Filter: reagents, etc"}, {'c', "Filter: cards"},
    {'U', "Filter: unidentified"},
};

void say(const ListKeyEnv& env, const std::string& text) {
  if (env.print) env.print(text);
}

void redraw(const ListKeyEnv& env) {
  if (env.redraw) env.redraw();
}

void run_search(ListState& st, ItemList* list, int kind, const ListKeyEnv& env) {
  if (env.filter_by_search) env.filter_by_search(list, st.search, kind);
  list_set_cursor(st, list, list_first_visible(list));
  redraw(env);
}

// The letter that CTRL with a letter key stands for: 'a'..'z', upper case
// with SHIFT; 0 for any other key (CTRL+H and backspace share a character,
// so the scancode decides where there is one).
int ctrl_letter(int sc, int ascii, bool shift) {
  int n = 0;
  if (sc >= KEY_A && sc <= KEY_Z)
    n = sc - KEY_A + 1;
  else if (sc == 0 && ascii >= 1 && ascii <= 26)
    n = ascii;
  if (n == 0) return 0;
  return shift ? n + 64 : n + 96;
}

ItemListEl* step_cursor(ItemListEl* n, bool down, int steps) {
  for (int i = 0; n && i < steps; ++i) {
    ItemListEl* m = down ? list_next_visible(n) : list_prev_visible(n);
    if (!m) break;
    n = m;
  }
  return n;
}

// One reorder step; false when it cannot go on.
bool reorder_step(ListState& st, ItemList* list, bool down, const ListKeyEnv& env) {
  ItemListEl* qnode = list_cursor_node(st, list);
  if (!qnode) return false;
  const Item q = qnode->item;
  const Item e = list_selected_item(st, list, under_mouse(env));
  ItemListEl* enode = list->find_item(e);
  if (!enode) return false;
  if (down ? enode->next == nullptr : list->first == enode) return false;
  const bool cursor_on_head = qnode == list->first;
  ItemListEl* moved = down ? list->move_down(e) : list->move_up(e);
  if (!moved) return false;
  const ItemListEl* passed = down ? moved->prev : moved->next;
  ItemListEl* cur;
  if (q == e)
    cur = moved;
  else if (passed && q == passed->item)
    cur = down ? moved->next : moved->prev;
  else
    cur = down ? qnode->next : qnode->prev;
  if (!cur) cur = qnode;
  list_set_cursor(st, list, cur);
  pick_list.push_back({e, static_cast<uint8_t>(down ? 0 : 1)});
  if (!down && cursor_on_head && env.move_mouse) env.move_mouse(-10);
  return down ? qnode->next != nullptr : qnode->prev != nullptr;
}

bool is_filter_letter(int letter) {
  for (const FilterName& f : FILTERS)
    if (f.letter == letter) return true;
  return false;
}

}  // namespace

void list_key_modifiers(ListKeyEnv& env) {
  env.shift = is_shift_down();
  env.ctrl = is_ctrl_down();
  env.alt = is_alt_down();
}

std::string list_filter_message(char letter) {
  for (const FilterName& f : FILTERS)
    if (f.letter == letter) return f.message;
  return "";
}

Item list_input(ListState& st, ItemList* list, int key, int kind, bool switch_flag, ListKeyEnv& env) {
  const int sc = (key >> 8) & 0xff;
  const int ascii = key & 0xff;
  const bool north = sc != 0 && env.is_north && env.is_north(sc);
  const bool south = sc != 0 && env.is_south && env.is_south(sc);
  const bool down = sc != 0 && (sc == KEY_2_PAD || sc == KEY_END || sc == KEY_PGDN || sc == KEY_DOWN ||
                                (south && !env.alt));
  const bool up = sc != 0 && (sc == KEY_8_PAD || sc == KEY_HOME || sc == KEY_PGUP || sc == KEY_UP ||
                              (north && !env.alt));
  const bool esc = sc == KEY_ESC || ascii == ASCII_ESC;
  const bool enter = sc == KEY_ENTER || sc == KEY_ENTER_PAD || ascii == ASCII_ENTER;
  const bool tab = sc == KEY_TAB;
  auto show = [&env](int v) {
    if (env.curr_display) *env.curr_display = v;
  };

  if (down || up) {
    if (env.hide_mouse) env.hide_mouse();
    env.under_mouse = nullptr;
  }

  if (tab && switch_flag) {
    if (env.shift)
      st.prev_request = true;
    else
      st.next_request = true;
    return Item(-1L);
  }

  if (ascii == '$') {
    show(1);
    st.cursor = list && list->first ? 0 : -1;
    if (!st.search.empty()) run_search(st, list, kind, env);
  } else if (ascii == '/' && st.search.empty()) {
    st.search = "/";
    say(env, "Search by item name ...");
    list_set_cursor(st, list, list_first_visible(list));
  } else if (esc && !st.search.empty()) {
    st.search.clear();
    if (env.search_at_start) {
      show(0);
      return Item(-1L);
    }
    run_search(st, list, kind, env);
    say(env, "Search cancelled.");
    return Item(-2L);
  } else if (esc) {
    show(0);
    return Item(-1L);
  } else if (ascii == '!') {
    show(1);
    st.cursor = list && list->first ? 0 : -1;
    st.filter = 0;
    st.search = env.search_at_start ? "/" : "";
    redraw(env);
    st.next_request = st.prev_request = false;
    return Item(-2L);
  } else if (!st.search.empty()) {
    const bool backspace = ascii == ASCII_BACKSPACE && (sc == 0 || sc == KEY_BACKSPACE);
    if (std::isalnum(ascii) || ascii == ' ' || ascii == '+') {
      st.search += static_cast<char>(ascii);
      run_search(st, list, kind, env);
    } else if (ascii == '_') {
      st.search += ' ';
      run_search(st, list, kind, env);
    } else if (backspace && st.search.size() > 1) {
      st.search.pop_back();
      run_search(st, list, kind, env);
    }
  }

  if (down || up) {
    if (env.shift && (kind == SELECT_VIEW_INV || kind == SELECT_VIEW_BANK)) {
      const int steps = (sc == KEY_PGDN || sc == KEY_PGUP) ? 10 : (sc == KEY_END || sc == KEY_HOME) ? INT_MAX : 1;
      for (int i = 0; i < steps && list; ++i)
        if (!reorder_step(st, list, down, env)) break;
    } else if (ItemListEl* n = list_cursor_node(st, list)) {
      const int steps = (sc == KEY_PGDN || sc == KEY_PGUP) ? 10 : (sc == KEY_END || sc == KEY_HOME) ? INT_MAX : 1;
      list_set_cursor(st, list, step_cursor(n, down, steps));
    }
  }

  if ((st.search.empty() || env.ctrl) && !env.alt && kind != SELECT_ABILITY && !north && !south) {
    int letter;
    if (ascii == '$')
      letter = st.filter;
    else if (env.ctrl)
      letter = ctrl_letter(sc, ascii, env.shift);
    else
      letter = ascii;
    if (letter != 0 && is_filter_letter(letter)) {
      if (ascii != '$') {
        say(env, list_filter_message(static_cast<char>(letter)));
        st.filter = static_cast<char>(letter);
      }
      st.search.clear();
      if (env.filter_by_type) env.filter_by_type(list, static_cast<char>(letter));
      list_set_cursor(st, list, list_first_visible(list));
      redraw(env);
      return Item(-2L);
    }
  }

  const bool space = ascii == ' ' && st.search.empty();
  bool pick;
  if (kind == SELECT_READY)
    pick = enter || space;
  else
    pick = enter || tab || space || (ascii == '=' && kind == SELECT_BUY);
  if (!pick) {
    redraw(env);
    return Item(-2L);
  }
  const Item m = list_item_under_mouse(under_mouse(env));
  if (m != -1L) return m;
  const ItemListEl* c = list_cursor_node(st, list);
  if (c && !c->hidden) return c->item;
  return kind == SELECT_READY ? Item(-1L) : Item(-2L);
}
