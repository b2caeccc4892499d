// The list panel: rows around the cursor, what each row shows, the node under
// the mouse, wrapped text and the ability detail.

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

// Rows built for `count` numbered entries with some hidden; "-" for an empty row.
std::vector<std::string> rows_for(ListState& st, int count, const std::vector<int>& hidden) {
  ItemList list;
  fill(list, numbered(count));
  for (int h : hidden) list_node_at(&list, h)->hidden = 1;
  build_list_rows(st, &list, SELECT_NORMAL, false, names_from_text(list));
  std::vector<std::string> v;
  for (const ListRow& r : st.rows) v.push_back(r.item == -1L ? "-" : r.name);
  return v;
}

TEST(ListPanelRows, CursorEntryIsTheFifthRow) {
  const struct {
    const char* what;
    int count, cursor;
    std::vector<int> hidden;
    std::vector<std::pair<int, std::string>> shown;  // rows and the entries on them, "-" empty
  } cases[] = {
      {"one entry", 1, 0, {}, {{3, "-"}, {4, "item0"}, {5, "-"}}},
      {"40 entries, cursor on the first", 40, 0, {}, {{3, "-"}, {4, "item0"}, {27, "item23"}}},
      {"40 entries, cursor on the tenth", 40, 9, {}, {{0, "item5"}, {4, "item9"}, {27, "item32"}}},
      {"cursor near the end", 40, 38, {}, {{0, "item34"}, {4, "item38"}, {5, "item39"}, {6, "-"}}},
      {"hidden entries are skipped", 10, 4, {3, 5},
       {{0, "-"}, {1, "item0"}, {3, "item2"}, {4, "item4"}, {5, "item6"}, {8, "item9"}, {9, "-"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ListState st;
    st.cursor = c.cursor;
    const std::vector<std::string> rows = rows_for(st, c.count, c.hidden);
    ASSERT_EQ(rows.size(), 28u);
    for (const auto& [row, entry] : c.shown) EXPECT_EQ(rows[static_cast<size_t>(row)], entry) << row;
  }
}

TEST(ListPanelRows, CursorIsCheckedAgainstTheList) {
  const struct {
    const char* what;
    int count, cursor;
    std::vector<int> hidden;
    int cursor_after;
  } cases[] = {
      {"no cursor goes to the head", 5, -1, {}, 0},
      {"a cursor past a rebuilt, shorter list goes to the head", 3, 20, {}, 0},
      {"a hidden cursor entry is dropped", 5, 2, {2}, -1},
      {"an empty list has no cursor", 0, 3, {}, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ListState st;
    st.cursor = c.cursor;
    const std::vector<std::string> rows = rows_for(st, c.count, c.hidden);
    EXPECT_EQ(st.cursor, c.cursor_after);
    if (c.cursor_after < 0) {
      EXPECT_EQ(rows, std::vector<std::string>(rows.size(), "-"));
    }
  }
}

TEST(ListPanelRows, RowCountsKindAndGreyCrafting) {
  const struct {
    int kind;
    bool large;
    int rows;
  } cases[] = {{SELECT_NORMAL, false, 28}, {SELECT_READY, false, 25}, {SELECT_MAKE, false, 21},
               {SELECT_READY, true, 19}, {SELECT_PILE, false, 28}};
  for (const auto& c : cases) EXPECT_EQ(list_row_count_for(c.kind, c.large), c.rows) << c.kind;
  ItemList list;
  fill(list, numbered(2));
  list.first->b = 0;  // cannot be made now
  list.first->next->b = 1;
  ListState st;
  build_list_rows(st, &list, SELECT_MAKE, false, names_from_text(list));
  EXPECT_EQ(st.rows[4].colour, LIST_GREY);
  EXPECT_EQ(st.rows[5].colour, 0x123456);
  // No kind given keeps the list's kind.
  build_list_rows(st, &list, SELECT_LAST_DRAWN, false, names_from_text(list));
  EXPECT_EQ(st.kind, SELECT_MAKE);
  EXPECT_EQ(st.rows.size(), 21u);
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
  const struct {
    const char* what;
    Item item;
    const char* name;
    int32_t qty;
    int drop, kind;
    const char* first;
    const char* shown;
    int background;
    std::vector<int> marks;  // mark 1 x, y, mark 2 x, y
    const char* hotkey;
    int hotkey_x;
  } cases[] = {
      {"999 shows", Item(5L), "x", 999, 0, SELECT_NORMAL, "999", "x", -1, {-1, -1, -1, -1}, "", 44},
      {"1000 shows xxx", Item(5L), "x", 1000, 0, SELECT_NORMAL, "xxx", "x", -1, {-1, -1, -1, -1}, "", 44},
      {"negative shows xxx", Item(5L), "x", -1, 0, SELECT_NORMAL, "xxx", "x", -1, {-1, -1, -1, -1}, "", 44},
      {"small quantity padded", Item(5L), "x", 7, 0, SELECT_NORMAL, "  7", "x", -1, {-1, -1, -1, -1}, "", 44},
      {"long name cut at 22", Item(5L), "a_very_long_item_name_indeed", 1, 0, SELECT_NORMAL, "  1",
       "a very long item name ", -1, {-1, -1, -1, -1}, "", 44},
      {"weapon mark", sword, "s", 1, 0, SELECT_VIEW_INV, "  1", "s", -1, {0, 0, -1, -1}, "", 44},
      {"both rings", ring, "r", 1, 1, SELECT_NORMAL, "  1", "r", LIST_DARK_RED, {-1, -1, 16, 16}, "3", 44},
      {"armour mark, F-key label", shield, "a", 1, 2, SELECT_BANK, "  1", "a", LIST_RED, {8, 0, -1, -1}, "F3",
       39},
      {"no marks while crafting", sword, "s", 1, 0, SELECT_MAKE, "  1", "s", -1, {-1, -1, -1, -1}, "", 44},
      {"no marks in the pile list", ring, "r", 1, 0, SELECT_PILE, "  1", "r", -1, {-1, -1, -1, -1}, "", 44},
  };
  for (const auto& c : cases) {
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
    EXPECT_EQ((std::vector<int>{v.mark1_x, v.mark1_y, v.mark2_x, v.mark2_y}), c.marks);
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
  const int rows[][2] = {{4, 4}, {7, 7}, {8, -1}, {0, 0}, {3, 3}, {-1, -1}, {28, -1}};  // row, entry
  for (const auto& [row, entry] : rows)
    EXPECT_EQ(list_row_node(st, &list, row), entry < 0 ? nullptr : list_node_at(&list, entry)) << row;
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
  const struct {
    const char* text;
    int width;
    std::vector<std::string> lines;
  } cases[] = {
      {"aa bb cc", 40, {"aa bb", "cc"}},
      {"aa bb\ncc", 200, {"aa bb", "cc"}},
      {"x abcdefghij y", 32, {"x", "abcd", "efgh", "ij y"}},
      {"one\n\ntwo", 200, {"one", "", "two"}},
      {"", 200, {""}},
  };
  for (const auto& c : cases) EXPECT_EQ(wrap_text(c.text, c.width, measure), c.lines) << c.text;
}

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
  const struct {
    const char* what;
    int spell, mana_line;
    bool school_line, skill_line;
    int combo_line;  // -1 none
  } cases[] = {
      {"with a skill and no minimum", 1, 6, true, false, -1},
      {"without a skill", 2, 4, false, false, -1},
      {"with a minimum skill, bound to a key combination", 3, 7, true, true, 9},
  };
  for (const auto& c : cases) {
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
    EXPECT_EQ(skill ? skill->text : "", c.skill_line ? "skill:   3" : "");
    const DetailLine* comb = find("Ctrl + Shift + dir");
    EXPECT_EQ(comb ? comb->line : -1, c.combo_line);
    if (comb) {
      EXPECT_EQ(comb->colour, LIST_YELLOW);
    }
  }
  EXPECT_TRUE(ability_detail_lines(-1, 0, 0, p).empty());
}

}  // namespace
