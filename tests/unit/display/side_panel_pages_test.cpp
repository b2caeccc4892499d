// Pages 1 to 6 of the stat box as rows of text and colour.

#include "display/side_panel_pages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "unit/display/side_panel_test_world.h"

namespace {

using side_panel_test::SidePanelWorld;
using side_panel_test::spell_line;

std::string sp(int n) { return std::string(static_cast<size_t>(n), ' '); }

const long SWORD = 0x181, RING = 0x1b8;

TEST_F(SidePanelWorld, EquipmentPageWithoutPerks) {
  p.weapon = Item(SWORD);
  p.sigil1 = Item(RING | ITEM_BIT_UNIDENTIFIED);
  p.sigil2 = Item(RING);
  p.sigil3 = Item(RING | ITEM_BIT_UNIDENTIFIED);
  const PanelPage page = build_equipment_page(p);
  const PanelRows& r = page.rows;
  EXPECT_EQ(r[0].text, "Perks ... ");
  EXPECT_EQ(r[2].text, "None.");
  EXPECT_EQ(r[3].text, "Equipped ... ");
  EXPECT_EQ(r[5].text, "  " + wl.get_med_name(Item(SWORD), true));
  EXPECT_EQ(r[13].text, "");  // the empty first ring
  EXPECT_EQ(r[18].text, "Sigils ... ");

  // One mark for each of the twelve slots, on rows 5 to 16.
  ASSERT_EQ(page.marks.size(), 12u);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(page.marks[static_cast<size_t>(i)].row, 5 + i);

  // Unidentified sigils show their name and, under it, "unidentified" in the
  // light shade of orange; the identified plain one only its name.
  const PanelRgb light_orange{217, 155, 94};
  const struct {
    int row;
    std::string text;
    PanelRgb colour;
  } rows[] = {
      {20, wl.get_med_name(p.sigil1, true), RGB_ORANGE}, {21, "unidentified", light_orange},
      {22, "", RGB_WHITE},
      {23, wl.get_med_name(p.sigil2, true), item_text_colour(p.sigil2, false)}, {24, "", RGB_WHITE},
      {25, wl.get_med_name(p.sigil3, true), RGB_ORANGE}, {26, "unidentified", light_orange},
      {27, "", RGB_WHITE},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(r[row.row].text, row.text) << row.row;
    EXPECT_EQ(r[row.row].colour, row.colour) << row.row;
  }
}

// Every perk and three unidentified sigils reach past row 43: those rows
// are dropped, the rest of the page stays as it is.
TEST_F(SidePanelWorld, EquipmentPageKeepsToItsRows) {
  for (uint8_t& f : p.perk_flags) f = 1;
  p.sigil1 = p.sigil2 = p.sigil3 = Item(RING | ITEM_BIT_UNIDENTIFIED);
  const PanelPage page = build_equipment_page(p);
  const PanelRows& r = page.rows;
  ASSERT_EQ(r.size(), PAGE_ROWS);
  EXPECT_EQ(r[2].text, "Lycanthropy immunity");
  EXPECT_EQ(r[19].text, "Vampire");
  EXPECT_EQ(r[21].text, "Equipped ... ");
  EXPECT_EQ(r[36].text, "Sigils ... ");
  EXPECT_EQ(r[38].text, wl.get_med_name(p.sigil1, true));
  EXPECT_EQ(r[42].text, "unidentified");
  EXPECT_EQ(r[43].text, "");
  EXPECT_EQ(page.marks.back().row, 34);
}

TEST_F(SidePanelWorld, SkillsPageOrderAndColours) {
  p.skills[0] = 6.0f;  // Unarmed, with a malus
  p.skill_bonuses[0] = -1.0f;
  p.skills[1] = 12.0f;  // Blades, with a bonus
  p.skill_bonuses[1] = 0.5f;
  p.skills[2] = 12.5f;  // Bows, not counted in the cap
  p.skills[3] = 0.0f;   // Fire: not listed
  const struct {
    bool flagged_only;
    PanelRgb bows;
    std::string row42, row43;
  } cases[] = {
      {false, RGB_WHITE, "", "Total:" + sp(13) + " " + sp(3) + "30.5"},
      {true, RGB_GREY, "Total:" + sp(13) + " " + sp(3) + "30.5", "Capped:  " + sp(11) + "18.0/25"},
  };
  for (const auto& c : cases) {
    const PanelRows r = build_skills_page(p, c.flagged_only, 25).rows;
    EXPECT_EQ(r[0].text, "Skills ... ");
    EXPECT_EQ(r[1].text, sp(26) + "%");
    EXPECT_EQ(r[2].text, "Blades" + sp(15) + " " + " 12.5");
    EXPECT_EQ(r[2].colour, RGB_GREEN);
    EXPECT_EQ(r[3].text, "Bows" + sp(17) + " " + " 12.5");
    EXPECT_EQ(r[3].colour, c.bows);
    EXPECT_EQ(r[4].text, "Unarmed" + sp(14) + " " + "  5.0");
    EXPECT_EQ(r[4].colour, RGB_RED);
    EXPECT_EQ(r[5].text, "");
    EXPECT_EQ(r[42].text, c.row42);
    EXPECT_EQ(r[43].text, c.row43);
  }
}

TEST_F(SidePanelWorld, KnownSpellsBySkillCircleAndId) {
  load_spells(spell_line(1, "Kindle", 2, "Fire") + spell_line(2, "Cut", 8, "Blades") +
              spell_line(3, "Aim", 0, "Bows") + spell_line(4, "Hum", 5, "") + spell_line(5, "Nick", 1, "Blades") +
              spell_line(6, "Glow", 2, "Fire") + spell_line(7, "Odd", 11, "Fire") + spell_line(8, "Unknown", 0, "Fire"));
  for (int id : {6, 5, 4, 3, 2, 1, 7}) p.add_spell(id);
  EXPECT_EQ(known_spell_list(p), (std::vector<int>{4, 5, 2, 3, 1, 6}));
}

TEST_F(SidePanelWorld, FiftySpellsSplitOverTwoPages) {
  std::string lines;
  for (int id = 1; id <= 50; ++id) {
    char name[40];
    std::snprintf(name, sizeof name, id == 1 ? "Spell%02dWithAVeryLongNameIndeed" : "Spell%02d", id);
    lines += spell_line(id, name, 1, "Fire");
  }
  load_spells(lines);
  for (int id = 1; id <= 50; ++id) p.add_spell(id);

  const struct {
    int page, failure, last_row;
    std::string row1, row2, last;
  } cases[] = {
      {3, 0, 43, sp(24) + "lvl", "Spell01WithAVeryLongNam" + sp(1) + "  1", "Spell42" + sp(16) + " " + "  1"},
      {4, 0, 9, sp(24) + "lvl", "Spell43" + sp(16) + " " + "  1", "Spell50" + sp(16) + " " + "  1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.page);
    const PanelPage page = build_spells_page(p, c.page);
    EXPECT_EQ(page.rows[0].text, "Spells & Abilities ...");
    EXPECT_EQ(page.rows[1].text, c.row1);
    EXPECT_EQ(page.rows[2].text, c.row2);
    EXPECT_EQ(page.rows[c.last_row].text, c.last);
    EXPECT_EQ(page.rows[c.last_row].colour, (PanelRgb{248, 0, 0}));  // ff0000, circle 1
    EXPECT_EQ(page.last_row, c.last_row);
    EXPECT_EQ(page.rows[std::min(c.last_row + 1, PAGE_ROWS - 1)].text, c.last_row == 43 ? c.last : "");
  }

  common_cfg.set_int("casting_failure", 1);
  const PanelPage chance = build_spells_page(p, 3);
  EXPECT_EQ(chance.rows[1].text, sp(21) + "lvl  %");
  EXPECT_EQ(chance.rows[3].text.substr(0, 25), "Spell02" + sp(15) + " 1 ");
  EXPECT_EQ(chance.rows[2].text.substr(0, 22), "Spell01WithAVeryLongNa");

  p.clear_spells();
  const PanelPage none = build_spells_page(p, 3);
  EXPECT_EQ(none.last_row, 1);
}

}  // namespace
