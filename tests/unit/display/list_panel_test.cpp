// The list panel: rows around the cursor, what each row shows, the header,
// the node under the mouse and wrapped text.

#include <gtest/gtest.h>

#include "display/list_panel.h"
#include "list_test_support.h"
#include "unit/core/item_test_world.h"
#include "world/player.h"

using namespace list_test;

namespace {

ListRowSources names_from_text(const ItemList& list) {
  ListRowSources s;
  s.name = [&list](const Item& it, int) { return list.find_item(it)->text; };
  s.colour = [](const Item&, int) { return 0x123456; };
  s.drop_count = [](const Item&) { return 0; };
  return s;
}

// Names of the rows, "-" for an empty one.
std::vector<std::string> row_names(const ListState& st) {
  std::vector<std::string> v;
  for (const ListRow& r : st.rows) v.push_back(r.item == -1L ? "-" : r.name);
  return v;
}

TEST(ListPanelRows, CursorEntryIsTheFifthRow) {
  struct Case {
    const char* what;
    int count;
    int cursor;
    std::vector<int> hidden;
    int first_shown_row;  // row of entry `first_entry`
    int first_entry;
    int last_shown_row;
  };
  const Case cases[] = {
      {"one entry", 1, 0, {}, 4, 0, 4},
      {"40 entries, cursor on the first", 40, 0, {}, 4, 0, 27},
      {"40 entries, cursor on the tenth", 40, 9, {}, 0, 5, 27},
      {"cursor near the end", 40, 38, {}, 0, 34, 5},
      {"hidden entries are skipped", 10, 4, {3, 5}, 1, 0, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ItemList list;
    fill(list, numbered(c.count));
    for (int h : c.hidden) list_node_at(&list, h)->hidden = 1;
    ListState st;
    st.cursor = c.cursor;
    build_list_rows(st, &list, SELECT_NORMAL, false, names_from_text(list));
    ASSERT_EQ(st.row_count, 28);
    const std::vector<std::string> rows = row_names(st);
    for (int r = 0; r < c.first_shown_row; ++r) EXPECT_EQ(rows[static_cast<size_t>(r)], "-") << r;
    EXPECT_EQ(rows[static_cast<size_t>(c.first_shown_row)], "item" + std::to_string(c.first_entry));
    EXPECT_EQ(rows[4], "item" + std::to_string(c.cursor));
    EXPECT_NE(rows[static_cast<size_t>(c.last_shown_row)], "-");
    for (int r = c.last_shown_row + 1; r < 28; ++r) EXPECT_EQ(rows[static_cast<size_t>(r)], "-") << r;
  }
  // 40 entries from the first: rows 4-27 show entries 1-24.
  ItemList list;
  fill(list, numbered(40));
  ListState st;
  st.cursor = 0;
  build_list_rows(st, &list, SELECT_NORMAL, false, names_from_text(list));
  EXPECT_EQ(st.rows[27].name, "item23");
  // Hidden entries: the rows run 0 1 2 4 6 7 8 9 around the cursor 4.
  fill(list, numbered(10));
  list_node_at(&list, 3)->hidden = list_node_at(&list, 5)->hidden = 1;
  st.cursor = 4;
  build_list_rows(st, &list, SELECT_NORMAL, false, names_from_text(list));
  EXPECT_EQ(row_names(st)[1], "item0");
  EXPECT_EQ(row_names(st)[3], "item2");
  EXPECT_EQ(row_names(st)[5], "item6");
}

TEST(ListPanelRows, CursorIsCheckedAgainstTheList) {
  struct Case {
    const char* what;
    int count;
    int cursor;
    bool cursor_hidden;
    int cursor_after;
  };
  const Case cases[] = {
      {"no cursor goes to the head", 5, -1, false, 0},
      {"a cursor past a rebuilt, shorter list goes to the head", 3, 20, false, 0},
      {"a hidden cursor entry is dropped", 5, 2, true, -1},
      {"an empty list has no cursor", 0, 3, false, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ItemList list;
    fill(list, numbered(c.count));
    ListState st;
    st.cursor = c.cursor;
    if (c.cursor_hidden) list_node_at(&list, c.cursor)->hidden = 1;
    build_list_rows(st, &list, SELECT_NORMAL, false, names_from_text(list));
    EXPECT_EQ(st.cursor, c.cursor_after);
    if (c.cursor_after < 0) {
      for (const ListRow& r : st.rows) EXPECT_EQ(r.item, Item(-1L));
    }
  }
}

TEST(ListPanelRows, RowCountsAndKind) {
  struct Case {
    int kind;
    bool large;
    int rows;
  };
  const Case cases[] = {{SELECT_NORMAL, false, 28}, {SELECT_READY, false, 25}, {SELECT_MAKE, false, 21},
                        {SELECT_ABILITY, false, 28}, {SELECT_READY, true, 19}, {SELECT_MAKE, true, 19},
                        {9, false, 28}};
  for (const Case& c : cases) EXPECT_EQ(list_row_count_for(c.kind, c.large), c.rows);
  ItemList list;
  fill(list, numbered(2));
  ListState st;
  build_list_rows(st, &list, SELECT_MAKE, false, names_from_text(list));
  build_list_rows(st, &list, -1, false, names_from_text(list));
  EXPECT_EQ(st.kind, SELECT_MAKE);
  EXPECT_EQ(st.rows.size(), 21u);
}

TEST(ListPanelRows, CraftingEntriesThatCannotBeMadeAreGrey) {
  ItemList list;
  fill(list, numbered(2));
  list.first->b = 0;
  list.first->next->b = 1;
  ListState st;
  build_list_rows(st, &list, SELECT_MAKE, false, names_from_text(list));
  EXPECT_EQ(st.rows[4].colour, LIST_GREY);
  EXPECT_EQ(st.rows[5].colour, 0x123456);
  build_list_rows(st, &list, SELECT_NORMAL, false, names_from_text(list));
  EXPECT_EQ(st.rows[4].colour, 0x123456);
}

TEST(ListPanelRows, RowView) {
  Player p;
  const Item sword(0x181L), ring(0x1b8L), shield(0x183L);
  p.weapon = sword;
  p.ring1 = ring;
  p.ring2 = ring;
  p.armour = shield;
  p.item_binds[12] = shield;
  p.item_binds[3] = ring;
  struct Case {
    const char* what;
    Item item;
    const char* name;
    int32_t qty;
    int drop;
    int kind;
    const char* first;
    const char* shown;
    int background;
    int m1x, m1y, m2x, m2y;
    const char* hotkey;
    int hotkey_x;
  };
  const Case cases[] = {
      {"999 shows", Item(5L), "x", 999, 0, SELECT_NORMAL, "999", "x", -1, -1, -1, -1, -1, "", 44},
      {"1000 shows xxx", Item(5L), "x", 1000, 0, SELECT_NORMAL, "xxx", "x", -1, -1, -1, -1, -1, "", 44},
      {"negative shows xxx", Item(5L), "x", -1, 0, SELECT_NORMAL, "xxx", "x", -1, -1, -1, -1, -1, "", 44},
      {"small quantity padded", Item(5L), "x", 7, 0, SELECT_NORMAL, "  7", "x", -1, -1, -1, -1, -1, "", 44},
      {"long name cut at 22", Item(5L), "a_very_long_item_name_indeed", 1, 0, SELECT_NORMAL, "  1",
       "a very long item name ", -1, -1, -1, -1, -1, "", 44},
      {"weapon mark", sword, "s", 1, 0, SELECT_VIEW_INV, "  1", "s", -1, 0, 0, -1, -1, "", 44},
      {"both rings", ring, "r", 1, 1, SELECT_NORMAL, "  1", "r", LIST_DARK_RED, -1, -1, 16, 16, "3", 44},
      {"armour mark, F-key label", shield, "a", 1, 2, SELECT_BANK, "  1", "a", LIST_RED, 8, 0, -1, -1, "F3",
       39},
      {"no marks while crafting", sword, "s", 1, 0, SELECT_MAKE, "  1", "s", -1, -1, -1, -1, -1, "", 44},
      {"no marks in the pile list", ring, "r", 1, 0, 9, "  1", "r", -1, -1, -1, -1, -1, "", 44},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ListRow row;
    row.item = c.item;
    row.name = c.name;
    row.qty = c.qty;
    row.drop_mark = c.drop;
    ListRowView v = list_row_view(row, c.kind, p);
    EXPECT_FALSE(v.empty);
    EXPECT_EQ(v.first, c.first);
    EXPECT_EQ(v.name, c.shown);
    EXPECT_EQ(v.name_background, c.background);
    EXPECT_EQ(v.mark1_x, c.m1x);
    EXPECT_EQ(v.mark1_y, c.m1y);
    EXPECT_EQ(v.mark2_x, c.m2x);
    EXPECT_EQ(v.mark2_y, c.m2y);
    EXPECT_EQ(v.hotkey, c.hotkey);
    EXPECT_EQ(v.hotkey_x, c.hotkey_x);
  }
  // Held as weapon and as shield: the two-handed mark, not the weapon mark.
  p.shield = sword;
  ListRow row;
  row.item = sword;
  row.name = "s";
  ListRowView v = list_row_view(row, SELECT_READY, p);
  EXPECT_EQ(v.mark1_x, 8);
  EXPECT_EQ(v.mark1_y, 16);
  // Abilities: the level first, the spell's slot label.
  p.spell_binds[15] = 7;
  row.item = Item(7L);
  row.price = 3;
  v = list_row_view(row, SELECT_ABILITY, p);
  EXPECT_EQ(v.first, "  3");
  EXPECT_EQ(v.hotkey, "F6");
  EXPECT_EQ(v.mark1_x, -1);
  EXPECT_TRUE(list_row_view(ListRow(), SELECT_NORMAL, p).empty);
}

TEST(ListPanelRows, NodeUnderTheMouse) {
  ItemList list;
  fill(list, numbered(8));
  ListState st;
  st.cursor = 4;  // three visible entries after it
  st.row_count = 28;
  struct Case {
    int row;
    int entry;  // -1 none
  };
  const Case cases[] = {{4, 4}, {7, 7}, {8, -1}, {10, -1}, {0, 0}, {3, 3}, {-1, -1}, {28, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.row);
    ItemListEl* n = list_row_node(st, &list, c.row);
    if (c.entry < 0)
      EXPECT_EQ(n, nullptr);
    else
      EXPECT_EQ(n, list_node_at(&list, c.entry));
  }
  struct MouseCase {
    int y, panel_y;
    bool large;
    int row;
  };
  const MouseCase mouse[] = {{69, 0, false, 5}, {68, 0, false, 4}, {138, 0, false, 11},
                             {138, 0, true, 5}, {157, 0, true, 5}, {158, 0, true, 6}, {219, 100, false, 10}};
  for (const MouseCase& m : mouse) EXPECT_EQ(list_mouse_row(m.y, m.panel_y, m.large), m.row);
}

TEST(ListPanelRows, ShowListItemKeepsTheCursorWhenAbsent) {
  ItemList list;
  fill(list, numbered(5));
  list_node_at(&list, 3)->hidden = 1;
  ListState st;
  st.cursor = 1;
  EXPECT_TRUE(show_list_item(st, &list, list_node_at(&list, 3)->item));
  EXPECT_EQ(st.cursor, 3);
  EXPECT_FALSE(show_list_item(st, &list, Item(0x999L)));
  EXPECT_EQ(st.cursor, 3);
}

TEST(WrappedText, BreaksAtSpacesParagraphsAndLongWords) {
  const auto measure = [](const std::string& s) { return 8 * static_cast<int>(s.size()); };
  struct Case {
    const char* text;
    int width;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"aa bb cc", 40, {"aa bb", "cc"}},
      {"aa bb\ncc", 200, {"aa bb", "cc"}},
      {"abcdefghij", 32, {"abcd", "efgh", "ij"}},
      {"x abcdefghij y", 32, {"x", "abcd", "efgh", "ij y"}},
      {"one\n\ntwo", 200, {"one", "", "two"}},
      {"", 200, {""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(wrap_text(c.text, c.width, measure), c.lines);
  }
}

}  // namespace

namespace {

TEST(AbilityDetail, LinesFollowTheSpellsSkill) {
  item_test::ItemWorld world(item_test::WEAPONS);
  auto line = [](const std::string& id, const std::string& name, const std::string& skill, int min_skill) {
    return item_test::tabs({id, name, name, "sp_" + name, "", "1", "2", "wm", "m", skill,
                            std::to_string(min_skill), "5", "1000", "none", "n", "0", "", "", "1", "n"});
  };
  TempDir::write("dat/spells.txt", line("1", "kindle", "Blades", 0) + line("2", "mend", "nothing", 0) +
                                       line("3", "ward", "Blades", 3));
  spells.load();
  Player p;
  for (int& b : p.spell_binds) b = -1;
  p.spell_binds[12] = 3;
  struct Case {
    const char* what;
    int spell;
    int mana_line;
    bool school_line;
    bool skill_line;
    int combo_line;  // -1 none
  };
  const Case cases[] = {
      {"with a skill and no minimum", 1, 6, true, false, -1},
      {"without a skill", 2, 4, false, false, -1},
      {"with a minimum skill, bound to a key combination", 3, 7, true, true, 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<DetailLine> lines = ability_detail_lines(c.spell, 0x112233, 0x808080, p);
    auto find = [&lines](const std::string& prefix) -> const DetailLine* {
      for (const DetailLine& l : lines)
        if (l.text.rfind(prefix, 0) == 0) return &l;
      return nullptr;
    };
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].text, "Ability Detail ...");
    EXPECT_EQ(lines[1].line, 2);
    EXPECT_EQ(lines[1].colour, 0x112233);
    const DetailLine* mana = find("mana:");
    ASSERT_NE(mana, nullptr);
    EXPECT_EQ(mana->text, "mana:    5");
    EXPECT_EQ(mana->line, c.mana_line);
    const DetailLine* school = find("school:");
    EXPECT_EQ(school != nullptr, c.school_line);
    if (school) {
      EXPECT_EQ(school->text, "school:  Blades");
      EXPECT_EQ(school->colour, 0x8C8C8C);  // 0.6 x 128 + 64 = 140.8
      EXPECT_EQ(school->line, 4);
      ASSERT_NE(find("chance:"), nullptr);
      EXPECT_EQ(find("chance:")->line, 5);
    }
    const DetailLine* skill = find("skill:");
    EXPECT_EQ(skill != nullptr, c.skill_line);
    if (skill) {
      EXPECT_EQ(skill->text, "skill:   3");
    }
    const DetailLine* comb = find("Ctrl + Shift + dir");
    EXPECT_EQ(comb ? comb->line : -1, c.combo_line);
    if (comb) {
      EXPECT_EQ(comb->colour, LIST_YELLOW);
    }
  }
  EXPECT_TRUE(ability_detail_lines(-1, 0, 0, p).empty());
}

}  // namespace
