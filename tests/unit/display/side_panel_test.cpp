// The character sheet as rows of text and colour, the gauges and the XP bar
// as numbers, the colours of names, the page cycle and the pacing of the
// panel's redraws.

#include "display/side_panel.h"

#include <gtest/gtest.h>

#include <string>

#include "input/player_actions.h"
#include "unit/display/side_panel_test_world.h"

namespace {

using side_panel_test::SidePanelWorld;

std::string sp(int n) { return std::string(static_cast<size_t>(n), ' '); }

class SheetTest : public SidePanelWorld {
 protected:
  SheetSettings settings() const {
    SheetSettings s;
    s.level_entered = true;
    return s;
  }
  CharacterSheet sheet(const SheetSettings& s) { return build_character_sheet(p, s, compute_sheet_state(p, s)); }
};

TEST_F(SheetTest, StatRowsWithAndWithoutStatCap) {
  const struct {
    int stat_cap;
    int str_bonus;
    std::string row7;
    PanelRgb colour;
    int level_row;
  } cases[] = {
      {0, 2, "Strength:" + sp(5) + sp(9) + "18+2", RGB_LIGHT_GREEN, 11},
      {0, -2, "Strength:" + sp(5) + sp(9) + "18-2", RGB_RED, 11},
      {0, 0, "Strength:" + sp(5) + sp(11) + "18", RGB_WHITE, 11},
      {100, 2, "Strength:" + sp(5) + sp(7) + "18.6+2", RGB_LIGHT_GREEN, 12},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.row7);
    p.str = 18.6f;
    p.str_bonus = c.str_bonus;
    SheetSettings s = settings();
    s.stat_cap = c.stat_cap;
    s.player_levels = true;
    const CharacterSheet cs = sheet(s);
    EXPECT_EQ(cs.rows[7].text, c.row7);
    EXPECT_EQ(cs.rows[7].colour, c.colour);
    EXPECT_EQ(cs.rows[8].text, "Dexterity:" + sp(4) + (c.stat_cap != 0 ? sp(9) + "20.0" : sp(11) + "20"));
    EXPECT_EQ(cs.rows[c.level_row].text, "Level: " + sp(19) + "1");
    EXPECT_EQ(cs.rows[10].text, c.stat_cap != 0 ? "Total:  " + sp(11) + "58.6/100" : "");
  }
}

TEST_F(SheetTest, XpBarIsClampedAndScaled) {
  const struct {
    float percent;
    int width;
    PanelRgb colour;
    std::string text;
  } cases[] = {
      {-5.0f, 0, {}, "XP to level: " + sp(12) + "0%"},
      {130.0f, 214, {141, 17, 249}, "XP to level: " + sp(10) + "100%"},
      {50.0f, 107, {117, 17, 164}, "XP to level: " + sp(11) + "50%"},
      {0.4f, 0, {}, "XP to level: " + sp(12) + "0%"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.percent);
    SheetSettings s = settings();
    s.player_levels = true;
    SheetState st = compute_sheet_state(p, s);
    st.xp_percent = c.percent;
    const CharacterSheet cs = build_character_sheet(p, s, st);
    ASSERT_EQ(cs.xp_row, 12);
    EXPECT_EQ(cs.rows[12].text, c.text);
    EXPECT_EQ(cs.xp_bar_width, c.width);
    if (c.width > 0) {
      EXPECT_EQ(cs.xp_bar_colour, c.colour);
    }
  }
}

TEST_F(SheetTest, LevelUpNoticeAndXpRow) {
  const struct {
    bool levels;
    int level_cap, lvl, manual, points, per_remort, remort;
    int64_t xp;
    bool previous, level_up, xp_row;
  } cases[] = {
      {true, 50, 50, 1, 0, 0, 0, 0, false, false, false},     // capped, nothing unspent
      {true, 50, 50, 1, 3, 0, 0, 0, false, true, false},      // capped with points
      {true, 0, 1, 1, 0, 0, 0, 0, false, false, true},        // no experience yet
      {true, 0, 1, 1, 0, 0, 0, 200, false, true, true},       // experience reached level 2
      {true, 0, 1, 0, 0, 0, 0, 200, false, false, true},      // notice off
      {true, 0, 11, 1, 0, 10, 1, 200, false, true, true},     // remort levels do not count
      {true, 0, 11, 1, 0, 10, 0, 200, false, false, true},
      {false, 0, 1, 1, 3, 0, 0, 200, true, true, false},      // no levels: kept
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lvl * 1000 + c.points * 10 + c.remort);
    SheetSettings s = settings();
    s.player_levels = c.levels;
    s.level_cap = c.level_cap;
    s.manual_levelling = c.manual;
    s.levels_per_remort = c.per_remort;
    p.lvl = static_cast<int16_t>(c.lvl);
    p.stat_points = c.points;
    p.remort_level = c.remort;
    p.xp = c.xp;
    const SheetState st = compute_sheet_state(p, s, c.previous);
    EXPECT_EQ(st.level_up_shown, c.level_up);
    EXPECT_EQ(st.xp_row_shown, c.xp_row);
    const CharacterSheet cs = build_character_sheet(p, s, st);
    EXPECT_EQ(cs.xp_row >= 0, c.xp_row);
    if (c.levels && c.level_up) {
      EXPECT_EQ(cs.rows[12].text, "Level up!");
      EXPECT_EQ(cs.rows[12].colour, RGB_LEVEL_UP);
    }
  }
}

TEST_F(SheetTest, DeadCharacterHasNoGaugesAndKeepsRows) {
  p.hp = 0;
  const CharacterSheet cs = sheet(settings());
  EXPECT_FALSE(cs.alive);
  EXPECT_TRUE(cs.vitals.empty());
  EXPECT_EQ(cs.rows[0].text, "     Ada");
  EXPECT_EQ(cs.rows[3].text, "     DEAD");
  EXPECT_EQ(cs.rows[11].text, "Hit Points: " + sp(10) + "0/100");

  p.hp = 50;
  p.perk_flags[17] = 1;
  p.title = "the Bold";
  const CharacterSheet alive = sheet(settings());
  EXPECT_EQ(alive.rows[1].text, "     Folk vampire");
  EXPECT_EQ(alive.rows[2].text, "     the Bold");
  EXPECT_EQ(alive.rows[3].text, "");
}

TEST_F(SheetTest, Vitals) {
  const struct {
    int hp, hp_max, mana, mana_max, rage;
    bool poisoned;
    int x2[3];
    PanelRgb colour[3];
    std::string hp_text;
    PanelRgb rage_text;
  } cases[] = {
      {50, 100, 10, 20, 50, false, {115, 115, 115}, {{191, 0, 0}, {0, 0, 191}, {191, 95, 0}}, "50 / 100", RGB_WHITE},
      {50, 100, 30, 20, 100, true, {115, 222, 222}, {{0, 191, 0}, {0, 0, 255}, RGB_WHITE}, "50 / 100", RGB_BLACK},
      {5, 0, 0, 0, 0, false, {222, -1, -1}, {{255, 0, 0}, {0, 0, 127}, {127, 63, 0}}, "5 / 0", RGB_WHITE},
      // Negative mana gives no bar and no colour below 0.
      {5, 10, -30, 20, 0, false, {115, -1, -1}, {{191, 0, 0}, {0, 0, 0}, {127, 63, 0}}, "5 / 10", RGB_WHITE},
      {40000, 100, 10, 20, 150, false, {222, 115, 222}, {{255, 0, 0}, {0, 0, 191}, RGB_WHITE}, "-25536 / 100",
       RGB_BLACK},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.hp_text);
    p.hp = c.hp;
    p.net_hp_max = c.hp_max;
    p.mana = static_cast<int16_t>(c.mana);
    p.net_mana_max = c.mana_max;
    p.rage = static_cast<int16_t>(c.rage);
    p.set_health(HN_POISONED, c.poisoned ? 5 : 0);
    const std::vector<Gauge> g = build_vitals(p);
    ASSERT_EQ(g.size(), 3u);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(g[i].x2, c.x2[i]) << i;
      EXPECT_EQ(g[i].colour, c.colour[i]) << i;
    }
    EXPECT_EQ(g[0].text, c.hp_text);
    EXPECT_EQ(g[2].text_colour, c.rage_text);
    EXPECT_EQ(g[0].text_colour, RGB_WHITE);
  }
}

TEST_F(SheetTest, LowerRowsFollowTheShownOnes) {
  const struct {
    bool dm, blind, time_item, location_item, age;
    int time_row, location_row, dps_row;
  } cases[] = {
      {false, false, false, false, false, -1, -1, 23},
      {false, false, true, true, false, 23, 24, 25},
      {false, true, true, true, false, -1, -1, 23},
      {true, true, false, false, false, 23, 24, 25},
      // The age takes the row under the mana and moves the rest down.
      {false, false, true, true, true, 24, 25, 26},
  };
  world_time = 9 * 60 + 5;
  p.x = 12;
  p.y = 34;
  p.age = 600;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dps_row * 10 + c.dm);
    p.dm = c.dm;
    p.set_health(HN_BLIND, c.blind ? 3 : 0);
    SheetSettings s = settings();
    s.time_item_held = c.time_item;
    s.location_item_held = c.location_item;
    s.show_age = c.age;
    s.attack_damage = {10, 20};
    s.attack_interval_ms = {500, 1500};
    const CharacterSheet cs = sheet(s);
    // 600 minutes: 600 / 60 + 21 years.
    EXPECT_EQ(cs.rows[13].text, c.age ? "Age:" + sp(8) + sp(13) + "31" : "");
    EXPECT_EQ(cs.rows[c.age ? 22 : 21].text, "gold:" + sp(11) + " " + sp(9) + "0");
    if (c.time_row > 0) {
      EXPECT_EQ(cs.rows[c.time_row].text, "Time: " + sp(17) + "9:05");
    }
    if (c.location_row > 0) {
      EXPECT_EQ(cs.rows[c.location_row].text, "Location: " + sp(10) + "12' 34\"");
    }
    EXPECT_EQ(cs.rows[c.dps_row].text, "DPS: " + sp(20) + "15");
    EXPECT_EQ(cs.rows[c.dps_row + 1].text, "");
  }
}

TEST_F(SheetTest, LoadRowColour) {
  const struct {
    float weight;
    int bonus;
    std::string value;
    PanelRgb colour;
  } cases[] = {
      {10.7f, 0, "10/45", RGB_WHITE},
      {10.0f, 5, "10/45+5", RGB_LIGHT_GREEN},
      {100.0f, 5, "100/45+5", RGB_RED},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    items.total_weight = c.weight;
    p.load_bonus = c.bonus;
    const CharacterSheet cs = sheet(settings());
    EXPECT_EQ(cs.rows[22].text, "Load: " + sp(21 - static_cast<int>(c.value.size())) + c.value);
    EXPECT_EQ(cs.rows[22].colour, c.colour);
  }
}

TEST_F(SheetTest, DpsWindow) {
  const struct {
    std::vector<int64_t> damage, ms;
    std::string value;
  } cases[] = {
      {{}, {}, "0"},
      {{10}, {0}, "0"},
      {{10, 5}, {-100, 50}, "0"},
      {{7}, {2000}, "3"},
      {{10, 20, 30}, {1000, 1000}, "15"},  // only complete pairs count
  };
  for (const auto& c : cases) {
    SheetSettings s = settings();
    s.attack_damage = c.damage;
    s.attack_interval_ms = c.ms;
    EXPECT_EQ(sheet(s).rows[23].text, "DPS: " + sp(22 - static_cast<int>(c.value.size())) + c.value);
  }
}

TEST_F(SheetTest, TrackedList) {
  TrackedCreature orc;
  orc.id = 7;
  orc.name = "Orc";
  orc.health = 40;
  orc.second_bar = 150;
  orc.flag = true;
  TrackedCreature rat;
  rat.id = 8;
  rat.name = "Rat[Pack]";
  rat.health = -5;
  rat.second_bar = 10;
  rat.tag_number = 3;
  const std::vector<TrackedCreature> list = {orc, rat};

  std::vector<TrackedEntry> e = build_tracked_list(list, 26, 18, 8);
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ((std::vector<int>{e[0].y, e[0].red_x2, e[0].blue_x2, e[0].marked}),
            (std::vector<int>{265, 166, 223, 1}));
  EXPECT_EQ(e[0].text, "Orc (1)" + sp(10) + "   40%");
  EXPECT_EQ(e[0].colour, RGB_WHITE);
  EXPECT_EQ((std::vector<int>{e[1].y, e[1].red_x2, e[1].blue_x2, e[1].marked}),
            (std::vector<int>{275, 128, 137, 0}));
  EXPECT_EQ(e[1].text, "Rat (3)" + sp(10) + "   -5%");
  EXPECT_EQ(e[1].colour, RGB_LIGHT_GREEN);  // the target

  EXPECT_EQ(build_tracked_list(list, 42, 1, -1).size(), 1u);
  EXPECT_TRUE(build_tracked_list(list, 50, -6, -1).empty());

  tracked_creatures = list;
  EXPECT_EQ(sheet(settings()).tracked.size(), 2u);

  // The target the player picked (the one attacks and spells go to) is the
  // one the sheet lights up.
  target_id = 8;
  EXPECT_EQ(sheet_settings_from_session().target_id, 8);
  target_id = -1;
}

// Many classes with skills push the later rows past the 40 the sheet has.
TEST_F(SheetTest, RowsBeyondTheSheetAreDropped) {
  std::string skills, classes;
  for (int i = 0; i < 30; ++i) {
    const char key = static_cast<char>(i < 26 ? 'a' + i : 'A' + i - 26);
    char name[8];
    std::snprintf(name, sizeof name, "K%02d", i);
    classes += std::string(name) + "\t" + key + "\t\tm\tl\n";
    skills += "S" + std::string(name) + "\t" + key + "\tstrength\tn\tn\t" + key + "\t10\ty\t1\t0\n";
  }
  TempDir::write("dat/skills.txt", skills);
  TempDir::write("dat/classes.txt", classes);
  sc.load();
  common_cfg.set_int("old_style_classes", 1);
  for (int i = 0; i < 30; ++i) p.skills[i] = 10.0f;
  tracked_creatures.resize(3);
  SheetSettings s = settings();
  s.show_class_skills = true;
  s.show_skill_total = true;
  s.skill_cap = 500;
  const CharacterSheet cs = sheet(s);
  ASSERT_EQ(cs.rows.size(), SHEET_ROWS);
  EXPECT_EQ(cs.rows[21].text, "K00:" + sp(11) + " " + sp(8) + "10%");
  EXPECT_EQ(cs.rows[39].text, "K18:" + sp(11) + " " + sp(8) + "10%");
  EXPECT_TRUE(cs.tracked.empty());

  PanelRows rows(3, 5);
  const struct {
    int row;
    bool written;
  } cases[] = {{-1, false}, {0, true}, {2, true}, {3, false}, {1000, false}};
  for (const auto& c : cases) EXPECT_EQ(rows.set(c.row, "abcdefgh", RGB_RED), c.written) << c.row;
  EXPECT_EQ(rows[0].text, "abcde");
}

TEST_F(SheetTest, StatusLetters) {
  const struct {
    std::vector<int> active;
    std::string letters;
  } cases[] = {
      {{0, 2, 5, 58}, "PB?*"},
      {{10, 26, 50, 62}, ""},  // counters without a letter
      {{60, 61, 46, 48}, "ffgw"},
  };
  for (const auto& c : cases) {
    p.clear_health();
    for (int n : c.active) p.set_health(n, 1);
    EXPECT_EQ(status_letters_of(p), c.letters);
  }
  p.clear_health();
  p.set_health(HN_HELD, 1);
  EXPECT_EQ(sheet(settings()).rows[19].text, "Status: " + sp(18) + "H");
}

// ---- colours ----------------------------------------------------------------------

TEST_F(SidePanelWorld, ItemTextColours) {
  const long sword = 0x181;
  const struct {
    long code;
    unsigned long extra;
    bool status_50;
    PanelRgb colour;
  } cases[] = {
      {sword | ITEM_BIT_CURSED | ITEM_BIT_UNIDENTIFIED, 0, false, RGB_RED},  // cursed before unidentified
      {sword | ITEM_BIT_CURSED | ITEM_BIT_BLESSED | ITEM_BIT_UNIDENTIFIED, 0, false, RGB_ORANGE},
      {sword | ITEM_BIT_CURSED | ITEM_BIT_BLESSED | ITEM_BIT_UNIDENTIFIED, 0, true, RGB_RED},
      {sword | ITEM_BIT_UNIDENTIFIED, 0, false, RGB_ORANGE},
      {sword | ITEM_BIT_BLESSED, 0, false, {209, 185, 255}},
      {1800, 0, false, {204, 255, 0}},
      {2047, 0, false, {204, 255, 0}},
      {1536, 0, false, {255, 222, 0}},
      {1791, 0, false, {255, 222, 0}},
      {0x0ABCD5B5, 0, false, {176, 192, 208}},
      {1112, 0x4000, false, {128, 240, 128}},
      {1112, 0xC000, false, {128, 240, 128}},
      {1112, 0x8000, false, {128, 128, 240}},
      {1112, 0x4a7, false, {64, 160, 112}},
      {286 | (2L << 20), 0, false, {0, 96, 192}},
      {1462 | (1L << 20), 0, false, {240, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(item_text_colour(Item(c.code, static_cast<long>(c.extra)), c.status_50), c.colour);
  }
}

TEST_F(SidePanelWorld, SchoolAndLightColours) {
  const struct {
    int spell;
    PanelRgb colour;
  } cases[] = {
      {1, {240, 0, 0}},    // circle 2 of ff0000
      {4, {192, 0, 0}},    // circle 8 of ff0000
      {2, {0, 96, 192}},   // circle 8 of 0080ff
      {3, RGB_SCHOOL_DEFAULT},
      {99, {0, 255, 0}},   // no spell: no skill, circle 0
  };
  for (const auto& c : cases) EXPECT_EQ(school_colour(c.spell), c.colour) << c.spell;
  // Circles from the data file beyond 32, or below 0, stay within a colour.
  load_spells(side_panel_test::spell_line(1, "Deep", 40, "Fire") + side_panel_test::spell_line(2, "Odd", -8, "Fire"));
  EXPECT_EQ(school_colour(1), (PanelRgb{0, 0, 0}));
  EXPECT_EQ(school_colour(2), (PanelRgb{255, 0, 0}));

  struct Light {
    PanelRgb in, out;
  } lights[] = {{{0, 0, 0}, {64, 64, 64}}, {{255, 255, 255}, {217, 217, 217}}, {{254, 153, 51}, {216, 155, 94}}};
  for (const Light& l : lights) EXPECT_EQ(light_colour(l.in), l.out);
}

// ---- page cycle --------------------------------------------------------------------

TEST(StatboxPageCycle, SkipsTheSecondSpellPageWithoutSpellsForIt) {
  const struct {
    int page;
    bool backwards;
    int known;
    int expected;
  } cases[] = {
      {0, false, 0, 1},  {3, false, 42, 5}, {3, false, 43, 4}, {4, false, 43, 5}, {6, false, 0, 0},
      {5, true, 42, 3},  {5, true, 43, 4},  {0, true, 0, 6},   {1, true, 0, 0},   {9, false, 50, 1},
      {-3, true, 50, 6},
  };
  for (const auto& c : cases)
    EXPECT_EQ(cycle_statbox_page(c.page, c.backwards, c.known), c.expected)
        << c.page << " " << c.backwards << " " << c.known;
}

}  // namespace
