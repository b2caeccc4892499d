// The list keys: search against filters, modifiers, refresh, movement over
// hidden entries, picking, sub-list requests and reordering. The keys of an
// open list in play (ENTER, ESC, a typed search and its cancelling, TAB and
// SHIFT+TAB between lists) are the end-to-end cases "inventory" and "item_keys".

#include <gtest/gtest.h>

#include "display/list_keys.h"
#include "list_test_support.h"

using namespace list_test;

namespace {

const int ENTER = key_of(KEY_ENTER, 13), SPACE = key_of(KEY_SPACE, ' '), TAB = key_of(KEY_TAB, 9);
const int ESC = key_of(KEY_ESC, 27), BACKSPACE = key_of(KEY_BACKSPACE, 8);
const int DOLLAR = key_of(KEY_4, '$'), RESET = key_of(KEY_1, '!'), SLASH = key_of(KEY_SLASH, '/');
const int DOWN = key_of(KEY_DOWN, 0), UP = key_of(KEY_UP, 0), END = key_of(KEY_END, 0);
const int HOME = key_of(KEY_HOME, 0), PGDN = key_of(KEY_PGDN, 0);

struct ListKeys : ::testing::Test {
  ItemList list;
  ListState st;
  Recorder rec;
  ListKeyEnv env = rec.env();
  void SetUp() override {
    pick_list.clear();
    fill(list, {{"long sword", 'W'}, {"wide belt", 'e'}, {"iron boots", 'b'}, {"wooden shield", 's'}});
  }
  // A fresh state and recorder, every entry shown.
  void restart() {
    rec = Recorder();
    env = rec.env();
    st = ListState();
    for (ItemListEl* e = list.first; e; e = e->next) e->hidden = 0;
  }
  Item press(int key, int kind = SELECT_NORMAL, bool switch_flag = false) {
    return list_input(st, &list, key, kind, switch_flag, env);
  }
  int visible() const {
    int n = 0;
    for (ItemListEl* e = list.first; e; e = e->next) n += e->hidden ? 0 : 1;
    return n;
  }
  std::string last_message() const { return rec.messages.empty() ? "" : rec.messages.back(); }
};

TEST_F(ListKeys, FiltersAgainstSearchAndModifiers) {
  const struct {
    const char* what;
    bool search_open, ctrl, shift, alt;
    int kind, key;
    char filter;           // letter reaching the type filter, 0 none
    const char* message;   // last message, "" none
    const char* search_after;
  } cases[] = {
      {"letter filters with no search", false, false, false, false, SELECT_NORMAL, key_of(KEY_W, 'w'), 'w',
       "Filter: weapons", ""},
      {"letter types into an open search", true, false, false, false, SELECT_NORMAL, key_of(KEY_W, 'w'), 0, "",
       "/w"},
      {"CTRL filters while searching and closes the search", true, true, false, false, SELECT_NORMAL,
       key_of(KEY_W, 23), 'w', "Filter: weapons", ""},
      {"CTRL+SHIFT+B is belts", false, true, true, false, SELECT_NORMAL, key_of(KEY_B, 2), 'B',
       "Filter: slot-belts", ""},
      {"ALT disables filters", false, false, false, true, SELECT_NORMAL, key_of(KEY_W, 'w'), 0, "", ""},
      {"abilities have no filters", false, false, false, false, SELECT_ABILITY, key_of(KEY_W, 'w'), 0, "", ""},
      {"upper-case letter", false, false, false, false, SELECT_NORMAL, key_of(KEY_U, 'U'), 'U',
       "Filter: unidentified", ""},
      {"underscore types a space", true, false, false, false, SELECT_NORMAL, key_of(KEY_MINUS, '_'), 0, "",
       "/ "},
      {"CTRL+backspace is no letter", true, true, false, false, SELECT_NORMAL, BACKSPACE, 0, "", "/"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    restart();
    st.search = c.search_open ? "/" : "";
    env.ctrl = c.ctrl;
    env.shift = c.shift;
    env.alt = c.alt;
    EXPECT_EQ(press(c.key, c.kind), Item(-2L));
    EXPECT_EQ(rec.type_filters, c.filter ? std::vector<char>{c.filter} : std::vector<char>{});
    if (c.filter) {
      EXPECT_EQ(st.filter, c.filter);
    }
    EXPECT_EQ(last_message(), c.message);
    EXPECT_EQ(st.search, c.search_after);
  }
}

TEST_F(ListKeys, FilterPutsTheCursorOnTheFirstVisibleEntry) {
  st.cursor = 0;
  press(key_of(KEY_B, 'b'));
  EXPECT_EQ(visible(), 1);
  EXPECT_EQ(st.cursor, 2);  // iron boots
  EXPECT_EQ(press(ENTER), list_node_at(&list, 2)->item);
}

TEST_F(ListKeys, NorthAndSouthKeysMoveInsteadOfFiltering) {
  rec.south_key = KEY_J;
  rec.north_key = KEY_K;
  st.cursor = 0;
  press(key_of(KEY_J, 'j'));
  EXPECT_TRUE(rec.type_filters.empty());
  EXPECT_EQ(st.cursor, 1);
  press(key_of(KEY_K, 'k'));
  EXPECT_EQ(st.cursor, 0);
  // With ALT the bound key neither moves nor filters.
  env.alt = true;
  press(key_of(KEY_J, 'j'));
  EXPECT_EQ(st.cursor, 0);
  EXPECT_TRUE(rec.type_filters.empty());
}

TEST_F(ListKeys, SearchTypingBackspaceAndEscape) {
  const struct {
    const char* what;
    bool start_with_search;
    std::vector<int> keys;
    const char* search_after;
    int searches_run;
    Item last_result;
    int curr_display;
    const char* message;
  } cases[] = {
      {"backspace on the slash does nothing", false, {SLASH, BACKSPACE}, "/", 0, Item(-2L), 1,
       "Search by item name ..."},
      {"escape closes when lists start searching", true, {SLASH, BACKSPACE, ESC}, "", 0, Item(-1L), 0, ""},
      {"digits and plus are typed", false, {SLASH, key_of(KEY_2, '2'), key_of(KEY_EQUALS, '+')}, "/2+", 2,
       Item(-2L), 1, "Search by item name ..."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    restart();
    env.search_at_start = c.start_with_search;
    rec.curr_display = 1;
    if (c.start_with_search) {
      press(RESET);
      EXPECT_EQ(st.search, "/");
    }
    Item r;
    for (int k : c.keys) r = press(k);
    EXPECT_EQ(st.search, c.search_after);
    EXPECT_EQ(static_cast<int>(rec.searches.size()), c.searches_run);
    EXPECT_EQ(r, c.last_result);
    EXPECT_EQ(rec.curr_display, c.curr_display);
    EXPECT_EQ(last_message(), c.message);
  }
}

TEST_F(ListKeys, RefreshReappliesTheFilterWithoutItsMessage) {
  rec.curr_display = 0;
  press(key_of(KEY_S, 's'));
  ASSERT_EQ(rec.messages.size(), 1u);
  // The caller rebuilt the nodes: everything is shown again.
  fill(list, {{"buckler", 's'}, {"dagger", 'W'}, {"tower shield", 's'}});
  EXPECT_EQ(press(DOLLAR), Item(-2L));
  EXPECT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.type_filters, (std::vector<char>{'s', 's'}));
  EXPECT_EQ(st.filter, 's');
  EXPECT_EQ(visible(), 2);
  EXPECT_EQ(st.cursor, 0);
  EXPECT_EQ(rec.curr_display, 1);
  // With a search open the search runs again and keeps its text.
  press(SLASH);
  press(key_of(KEY_W, 'w'));
  fill(list, {{"tower shield", 's'}, {"wide belt", 'e'}});
  const size_t filters = rec.type_filters.size();
  press(DOLLAR);
  EXPECT_EQ(st.search, "/w");
  EXPECT_EQ(rec.searches.back(), "/w");
  EXPECT_EQ(rec.type_filters.size(), filters);
  EXPECT_EQ(st.cursor, 0);  // "tower shield" holds a w
}

TEST_F(ListKeys, RefreshAfterTheListShrankKeepsTheCursorInside) {
  fill(list, numbered(30));
  st.cursor = 29;
  fill(list, numbered(3));
  EXPECT_EQ(list_cursor_node(st, &list), nullptr);
  press(DOLLAR);
  EXPECT_EQ(st.cursor, 0);
  press(END);
  EXPECT_EQ(st.cursor, 2);
}

TEST_F(ListKeys, MovementSkipsHiddenEntries) {
  const struct {
    const char* what;
    int count;
    std::vector<int> hidden;
    int start, key, expected;
  } cases[] = {
      {"END stops on the last visible entry", 8, {6, 7}, 0, END, 5},
      {"DOWN skips a hidden entry", 5, {1}, 0, DOWN, 2},
      {"DOWN on the last visible entry stays", 5, {4}, 3, DOWN, 3},
      {"PGDN stops at the end", 6, {}, 1, PGDN, 5},
      {"HOME skips hidden head entries", 6, {0, 1}, 5, HOME, 2},
      {"keypad 2 moves down", 6, {}, 0, key_of(KEY_2_PAD, '2'), 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fill(list, numbered(c.count));
    for (int h : c.hidden) list_node_at(&list, h)->hidden = 1;
    st.cursor = c.start;
    rec.hides = 0;
    EXPECT_EQ(press(c.key), Item(-2L));
    EXPECT_EQ(st.cursor, c.expected);
    EXPECT_EQ(rec.hides, 1);
  }
}

TEST_F(ListKeys, Picking) {
  const struct {
    const char* what;
    int kind;
    bool search_open, empty;
    int key;
    bool switch_flag;
    long expected;  // -1, -2 or 0 for the cursor's item
  } cases[] = {
      {"ENTER picks while searching", SELECT_NORMAL, true, false, ENTER, false, 0},
      {"SPACE types while searching", SELECT_NORMAL, true, false, SPACE, false, -2},
      {"'=' picks in the buy list", SELECT_BUY, false, false, key_of(KEY_EQUALS, '='), false, 0},
      {"'=' is ignored in the sell list", SELECT_SELL, false, false, key_of(KEY_EQUALS, '='), false, -2},
      {"empty ready list confirmed", SELECT_READY, false, true, ENTER, false, -1},
      {"empty normal list confirmed", SELECT_NORMAL, false, true, ENTER, false, -2},
      {"empty buy list confirmed", SELECT_BUY, false, true, SPACE, false, -2},
      {"TAB picks without switch flag", SELECT_NORMAL, false, false, TAB, false, 0},
      {"TAB does not pick in the ready list", SELECT_READY, false, false, TAB, false, -2},
      {"SPACE picks in the ready list", SELECT_READY, false, false, SPACE, false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.empty)
      list.clear();
    else
      fill(list, numbered(5));
    st = ListState();
    st.cursor = c.empty ? -1 : 2;
    st.search = c.search_open ? "/" : "";
    Item want = c.expected == 0 ? list_node_at(&list, 2)->item : Item(c.expected);
    EXPECT_EQ(press(c.key, c.kind, c.switch_flag), want);
  }
}

TEST_F(ListKeys, AllEntriesHiddenPicksNothing) {
  st.cursor = 1;
  for (ItemListEl* e = list.first; e; e = e->next) e->hidden = 1;
  EXPECT_EQ(press(ENTER, SELECT_NORMAL), Item(-2L));
  EXPECT_EQ(press(ENTER, SELECT_READY), Item(-1L));
}

TEST_F(ListKeys, MousePicksTheEntryUnderIt) {
  fill(list, numbered(6));
  st.cursor = 0;
  st.row_count = 28;
  env.under_mouse = [this] { return list_row_node(st, &list, 6); };  // two visible entries after the cursor
  EXPECT_EQ(press(ENTER), list_node_at(&list, 2)->item);
  env.under_mouse = [this] { return list_row_node(st, &list, 20); };  // beyond the list: the cursor's entry
  EXPECT_EQ(press(ENTER), list_node_at(&list, 0)->item);
}

TEST_F(ListKeys, ResetClearsRequestsFilterAndSearch) {
  st.cursor = 0;
  env.shift = true;
  EXPECT_EQ(press(TAB, SELECT_NORMAL, true), Item(-1L));
  EXPECT_TRUE(st.prev_request);
  st.filter = 'w';
  st.search = "/abc";
  st.cursor = 3;
  EXPECT_EQ(press(RESET), Item(-2L));
  EXPECT_FALSE(st.next_request || st.prev_request);
  EXPECT_EQ(st.cursor, 0);
  EXPECT_EQ(st.filter, 0);
  EXPECT_EQ(st.search, "");
  EXPECT_EQ(rec.curr_display, 1);
}

// Names of the list in order.
std::string order(const ItemList& l) {
  std::string s;
  for (ItemListEl* e = l.first; e; e = e->next) s += e->text;
  return s;
}

TEST_F(ListKeys, ReorderRules) {
  const struct {
    const char* what;
    int kind, cursor, mouse_row, key;
    const char* order_after;
    char cursor_on;
    std::vector<std::pair<char, uint8_t>> records;
  } cases[] = {
      {"cursor entry moves down with the cursor", SELECT_VIEW_INV, 1, -1, DOWN, "ACBDE", 'B', {{'B', 0}}},
      {"a cursor key hides the mouse: the cursor's entry moves", SELECT_VIEW_INV, 1, 6, DOWN, "ACBDE", 'B',
       {{'B', 0}}},
      {"moving down the last entry does nothing", SELECT_VIEW_BANK, 4, -1, DOWN, "ABCDE", 'E', {}},
      {"END takes the entry to the end", SELECT_VIEW_INV, 1, -1, END, "ACDEB", 'B',
       {{'B', 0}, {'B', 0}, {'B', 0}}},
      {"up records the up flag", SELECT_VIEW_BANK, 2, -1, UP, "ACBDE", 'C', {{'C', 1}}},
      {"other kinds only move the cursor", SELECT_NORMAL, 1, -1, DOWN, "ABCDE", 'C', {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fill(list, {{"A", 'x'}, {"B", 'x'}, {"C", 'x'}, {"D", 'x'}, {"E", 'x'}});
    pick_list.clear();
    rec.mouse_moves.clear();
    st = ListState();
    st.cursor = c.cursor;
    env.shift = true;
    env.under_mouse = nullptr;
    if (c.mouse_row >= 0) env.under_mouse = [this, row = c.mouse_row] { return list_row_node(st, &list, row); };
    press(c.key, c.kind);
    EXPECT_EQ(order(list), c.order_after);
    ASSERT_NE(list_cursor_node(st, &list), nullptr);
    EXPECT_EQ(list_cursor_node(st, &list)->text, std::string(1, c.cursor_on));
    ASSERT_EQ(pick_list.size(), c.records.size());
    for (size_t i = 0; i < c.records.size(); ++i) {
      EXPECT_EQ(list.find_item(pick_list[i].item)->text, std::string(1, c.records[i].first));
      EXPECT_EQ(pick_list[i].flag, c.records[i].second);
    }
    EXPECT_TRUE(rec.mouse_moves.empty());
  }
}

}  // namespace
