#include "display/side_panel.h"

#include <allegro.h>

#include <algorithm>
#include <cmath>

#include "app/client_app.h"
#include "core/config_file.h"
#include "core/ids.h"
#include "core/item_bases.h"
#include "core/item_data.h"
#include "core/skills_classes.h"
#include "core/spells.h"
#include "core/string_utils.h"
#include "core/utils.h"
#include "display/display.h"
#include "world/item_list.h"
#include "world/player.h"
#include "world/target.h"

namespace {

// One letter per status number; 0 = the status has no letter.
constexpr char STATUS_LETTERS[MAXHEALTHNUMS] = {
    'P', 'Z', 'B', 'C', 'H', '?', 'I', 'd', 'M', 'z',   // 0..9
    0,   'X', '@', 'h', 'c', 'v', 'b', '!', 'o', 'L',   // 10..19
    'W', 'V', 'x', 's', 'r', 'R', 0,   'G', 0,   'S',   // 20..29
    't', 'p', 'D', '-', 'q', 0,   '+', 0,   0,   0,     // 30..39
    0,   0,   0,   0,   0,   0,   'f', 'T', 'f', 'm',   // 40..49
    0,   0,   '*', 'a', 'i', 0,   0,   0,   '*', 0,     // 50..59
    'g', 'w', 0};                                       // 60..62

constexpr int GAUGE_FULL = 214;

int clamp_byte(int v) { return std::clamp(v, 0, 255); }

PanelRgb rgb(double r, double g, double b) {
  return PanelRgb{clamp_byte(bounded_int<int>(r)), clamp_byte(bounded_int<int>(g)),
                  clamp_byte(bounded_int<int>(b))};
}

std::string label(const std::string& name) { return capitalise_first_letter(name + ":"); }

}  // namespace

// ---- colours ---------------------------------------------------------------------

PanelRgb light_colour(PanelRgb c) {
  auto shade = [](int x) { return std::min(255, static_cast<int>(0.6 * x + 64.0)); };
  return PanelRgb{shade(c.r), shade(c.g), shade(c.b)};
}

PanelRgb school_colour(int spell) {
  unsigned skill = static_cast<unsigned>(spells.get_skill(spell));
  uint64_t v = common_cfg.get_hex(format_str("schoolcolor%x", skill));
  if ((v & 0xFFFFFFFFu) == 0) return RGB_SCHOOL_DEFAULT;
  int c = spells.get_circle(spell);
  auto darken = [c](int x) { return clamp_byte(x - c * x / 32); };
  return PanelRgb{darken(static_cast<int>((v >> 16) & 255)), darken(static_cast<int>((v >> 8) & 255)),
             darken(static_cast<int>(v & 255))};
}

PanelRgb item_text_colour(const Item& item, bool status_50) {
  const int base = item.get_base_code();
  if (carries_spell(base))
    return school_colour(item.get_modifier());
  if (base == ITEM_BASE_DYED) {
    const uint32_t w = static_cast<uint32_t>(item.code);
    return PanelRgb{static_cast<int>((w >> 16) & 240), static_cast<int>((w >> 12) & 240),
               static_cast<int>((w >> 8) & 240)};
  }
  if (base == ITEM_BASE_WRAPPED && item.get_extra() != 0) {
    const uint64_t e = item.get_extra();
    if (e & 0x4000) return PanelRgb{128, 240, 128};
    if (e & 0x8000) return PanelRgb{128, 128, 240};
    if (e & 0xfff)
      return PanelRgb{static_cast<int>((e >> 4) & 240), static_cast<int>(e & 240),
                 static_cast<int>((e & 15) * 16)};
  }
  if (item.is_cursed() && (status_50 || !item.has_bless_bit())) return RGB_RED;
  if (item.is_unidentified()) return RGB_ORANGE;
  if (item.is_blessed()) return PanelRgb{209, 185, 255};
  if (base >= ITEM_LESSER_ARTIFACT_FIRST && base <= ITEM_ARTIFACT_LAST) return PanelRgb{204, 255, 0};
  if (base >= ITEM_ARTIFACT_FIRST && base < ITEM_LESSER_ARTIFACT_FIRST) return PanelRgb{255, 222, 0};
  if (item.is_quest_item()) return RGB_LEVEL_UP;
  if (wl.get_parent_code(item) == static_cast<long>(ITEM_PARENT_CARD_LIKE))
    return PanelRgb{170, 170, 255};
  if (base == ITEM_BASE_CARD) return PanelRgb{200, 164, 109};
  if (wl.is_named(item)) return item.text.empty() ? PanelRgb{192, 66, 254} : PanelRgb{172, 66, 254};
  if (wl.is_enchanted(item)) return RGB_GREEN;
  return PanelRgb{221, 221, 221};
}

// ---- rows ----------------------------------------------------------------------------

bool PanelRows::set(int row, const std::string& text, PanelRgb colour) {
  if (row < 0 || row >= size()) return false;
  PanelRow& r = rows_[static_cast<size_t>(row)];
  r.text = text.size() > static_cast<size_t>(max_chars_) ? text.substr(0, max_chars_) : text;
  r.colour = colour;
  return true;
}

// ---- the character sheet ------------------------------------------------------------

std::string status_letters_of(Player& p) {
  std::string out;
  for (int n = 0; n < MAXHEALTHNUMS; ++n)
    if (p.get_health(n) != 0 && STATUS_LETTERS[n] != 0) out += STATUS_LETTERS[n];
  return out;
}

SheetSettings sheet_settings_from_session() {
  SheetSettings s;
  s.player_levels = PLAYER_LEVELS;
  s.level_cap = level_cap;
  s.manual_levelling = manual_levelling;
  s.stat_cap = stat_cap;
  s.skill_cap = skill_cap;
  s.flagged_skills_only = flagged_skills_only;
  s.level_entered = level_entered;
  s.target_id = target_id;
  return s;
}

SheetState compute_sheet_state(Player& p, const SheetSettings& s, bool previous_level_up) {
  SheetState st;
  st.status_letters = status_letters_of(p);
  int16_t xp_level = 1;
  get_level_from_exp(bounded_int<int>(p.xp), xp_level, st.xp_percent);
  st.level_up_shown = previous_level_up;
  if (s.player_levels) {
    const bool capped = s.level_cap > 0 && p.lvl >= s.level_cap;
    if (capped) {
      st.level_up_shown = s.manual_levelling != 0 && p.stat_points != 0;
    } else {
      const int64_t reached = static_cast<int64_t>(p.lvl) -
                              static_cast<int64_t>(s.levels_per_remort) * p.remort_level;
      st.level_up_shown =
          s.manual_levelling != 0 && (p.stat_points != 0 || xp_level > reached);
      st.xp_row_shown = true;
    }
  }
  return st;
}

namespace {

// x2 of a gauge for a ratio, -1 when no bar is drawn.
int gauge_x2(double f) {
  if (f > 1.0) return GAUGE_FULL + 8;
  if (f < 0.0 || static_cast<int>(GAUGE_FULL * f) == 0) return -1;
  return static_cast<int>(GAUGE_FULL * f + 8);
}

std::string gauge_text(int current, int maximum) {
  return format_str("%d / %d", static_cast<int16_t>(current), static_cast<int16_t>(maximum));
}

}  // namespace

std::vector<Gauge> build_vitals(Player& p) {
  std::vector<Gauge> out;
  {
    const int max = p.get_hp_max();
    double f = p.hp / (max == 0 ? 0.01 : static_cast<double>(max));
    f = std::min(f, 1.0);
    Gauge g{36, gauge_x2(f), {}, gauge_text(p.hp, max), RGB_WHITE};
    g.colour = p.get_health(HN_POISONED) != 0 ? rgb(0, 128 * f + 127, 0) : rgb(128 * f + 127, 0, 0);
    out.push_back(g);
  }
  {
    const int max = p.get_mana_max();
    double f = p.mana / (max == 0 ? 0.01 : static_cast<double>(max));
    PanelRgb c;
    if (f > 1.0) {
      c = PanelRgb{0, 0, 255};
      f = 1.0;
    } else {
      c = rgb(0, 0, 128 * f + 127);
    }
    out.push_back(Gauge{46, gauge_x2(f), c, gauge_text(p.mana, max), RGB_WHITE});
  }
  {
    double f = std::min(p.rage / 100.0, 1.0);
    PanelRgb c = p.rage >= 100 ? RGB_WHITE : rgb(128 * f + 127, 64 * f + 63, 0);
    out.push_back(Gauge{56, gauge_x2(f), c, gauge_text(p.rage, 100),
                        f >= 1.0 ? RGB_BLACK : RGB_WHITE});
  }
  return out;
}

std::vector<TrackedEntry> build_tracked_list(const std::vector<TrackedCreature>& tracked,
                                             int first_row, int max_rows, int target_id) {
  std::vector<TrackedEntry> out;
  const int n = std::min(static_cast<int>(tracked.size()), max_rows);
  for (int j = 0; j < n; ++j) {
    const TrackedCreature& t = tracked[static_cast<size_t>(j)];
    TrackedEntry e;
    e.y = panel_row_y(first_row + j);
    e.red_x2 = 128 + std::clamp(t.health, 0, 100) * 95 / 100;
    e.blue_x2 = 128 + std::clamp(t.second_bar, 0, 100) * 95 / 100;
    const std::string name = strip_clan_tag(t.name) + " (" + int_to_str(t.tag_number) + ")";
    e.text = format_str("%-17s%5d%%", name.c_str(), t.health);
    e.colour = t.id == target_id ? RGB_LIGHT_GREEN : RGB_WHITE;
    e.marked = t.flag;
    out.push_back(e);
  }
  return out;
}

namespace {

// The row of one stat: name and value text, coloured by the effective value.
void stat_row(PanelRows& rows, int row, int stat, float base, int effective, bool with_cap) {
  const int whole = bounded_int<int>(base);
  std::string value = with_cap ? format_str("%.1f", static_cast<double>(base)) : int_to_str(whole);
  PanelRgb colour = RGB_WHITE;
  if (effective != whole) {
    const int64_t diff = static_cast<int64_t>(effective) - whole;
    value += format_str("%c%lld", diff < 0 ? '-' : '+', static_cast<long long>(diff < 0 ? -diff : diff));
    colour = diff < 0 ? RGB_RED : RGB_LIGHT_GREEN;
  }
  rows.set(row, format_str("%-14s%13s", label(sc.get_stat_name(stat)).c_str(), value.c_str()), colour);
}

int dps_of(const SheetSettings& s) {
  const size_t n = std::min(s.attack_damage.size(), s.attack_interval_ms.size());
  int64_t damage = 0, ms = 0;
  for (size_t i = 0; i < n; ++i) {
    damage += s.attack_damage[i];
    ms += s.attack_interval_ms[i];
  }
  if (n == 0 || ms <= 0) return 0;
  return bounded_int<int>(1000 * damage / ms);
}

}  // namespace

CharacterSheet build_character_sheet(Player& p, const SheetSettings& s, const SheetState& st) {
  CharacterSheet sheet;
  if (!s.level_entered) return sheet;
  sheet.filled = true;
  sheet.alive = p.hp > 0;
  PanelRows& rows = sheet.rows;

  std::string name, title;
  p.get_name_and_title(name, title);
  rows.set(0, "     " + name);
  rows.set(1, "     " + sc.get_racename(p.race) + " " +
                  (p.perk_flags[PERK_VAMPYRIC] != 0 ? "vampire" : ""));
  if (!title.empty()) rows.set(2, "     " + title);
  if (p.hp <= 0) rows.set(3, "     DEAD");
  if (sheet.alive) sheet.vitals = build_vitals(p);

  stat_row(rows, 7, STAT_STR, p.get_float_str(), p.get_unscaled_str(), s.stat_cap != 0);
  stat_row(rows, 8, STAT_DEX, p.get_float_dex(), p.get_unscaled_dex(), s.stat_cap != 0);
  stat_row(rows, 9, STAT_INT, p.get_float_intel(), p.get_unscaled_intel(), s.stat_cap != 0);
  int r = 9;
  if (s.stat_cap != 0) {
    const double total = static_cast<double>(p.get_float_str()) + p.get_float_dex() + p.get_float_intel();
    rows.set(10, format_str("Total:  %19s", format_str("%.1f/%d", total, s.stat_cap).c_str()));
    r = 10;
  }

  int last = r;
  if (s.player_levels) {
    last = r + 2;
    rows.set(last, format_str("Level: %20d", p.lvl));
    if (st.level_up_shown) rows.set(++last, "Level up!", RGB_LEVEL_UP);
    if (st.xp_row_shown) {
      ++last;
      float percent = st.xp_percent;
      sheet.xp_row = last;
      if (percent < 0.0f) {
        percent = 0.0f;
      } else if (percent > 100.0f) {
        percent = 100.0f;
        sheet.xp_bar_width = GAUGE_FULL;
        sheet.xp_bar_colour = PanelRgb{141, 17, 249};
      } else {
        const double f = percent / 100.0;
        sheet.xp_bar_width = static_cast<int>(GAUGE_FULL * f);
        sheet.xp_bar_colour = rgb(48 * f + 93, 17, 169 * f + 80);
      }
      rows.set(last, format_str("XP to level: %13d%%", static_cast<int>(percent)));
    }
  }

  rows.set(last + 2, format_str("Hit Points: %15s", format_str("%d/%d", p.hp, p.get_hp_max()).c_str()));
  rows.set(last + 3, format_str("%-7s     %15s", "Mana:",
                                format_str("%d/%d", p.mana, p.get_mana_max()).c_str()));
  int b = last + 3;
  if (s.show_age) {
    rows.set(last + 4, format_str("Age:        %15d", p.age / 60 + 21));
    b = last + 4;
  }

  rows.set(b + 2, format_str("Attack Strength:  %9d", p.get_thaco()));
  rows.set(b + 3, format_str("Magic Resistance: %9d", p.get_magic_resistance()));
  rows.set(b + 4, format_str("Defense:          %9.1f", static_cast<double>(p.get_ac())));
  rows.set(b + 5, format_str("Vigour:           %9d", p.get_magic_modifier(MP_VIGOUR) + p.get_vigour_bonus()));
  rows.set(b + 6, format_str("Damage: %19s", p.get_damage_str().c_str()));
  rows.set(b + 7, format_str("Status: %19s", st.status_letters.c_str()));
  int srow = b + 7;

  if (common_cfg.get_int("old_style_classes") != 0 && s.show_class_skills) {
    srow = b + 8;
    for (int c = 0; c < sc.max_classes(); ++c) {
      if (!sc.is_base_class(c)) continue;
      const int v = bounded_int<int>(p.get_max_class_skill(c));
      if (v == 0) continue;
      rows.set(++srow, format_str("%-15s %10d%%", label(sc.get_classname(c)).c_str(), v));
      for (int k = 0; k < sc.max_classes(); ++k) {
        if (k == c || sc.get_parent_class(k) != c) continue;
        const int w = bounded_int<int>(p.get_max_class_skill(k));
        if (w == 0) continue;
        rows.set(++srow, format_str(" %-14s %10d%%", label(sc.get_classname(k)).c_str(), w));
      }
    }
  }
  if (s.show_skill_total) {
    srow += 2;
    const double total = p.get_total_skill_points(s.flagged_skills_only);
    rows.set(srow, format_str("Skills:  %18s", format_str("%.0f/%d%%", total, s.skill_cap).c_str()));
  }

  const std::string currency = common_cfg.get("currency") + ":";
  rows.set(srow + 2, format_str("%-16s %10d", currency.c_str(),
                                bounded_int<int>(items.get_qty(Item(static_cast<long>(ITEM_BASE_CURRENCY))))));

  const float weight = items.total_weight;
  std::string load = format_str("%d/%d", bounded_int<int>(weight),
                                p.get_carry_str() - p.load_bonus);
  PanelRgb load_colour = RGB_WHITE;
  if (p.load_bonus != 0) {
    load += format_str("+%d", p.load_bonus);
    load_colour = RGB_LIGHT_GREEN;
  }
  if (p.is_encumbered(weight)) load_colour = RGB_RED;
  rows.set(srow + 3, format_str("Load: %21s", load.c_str()), load_colour);
  int drow = srow + 3;

  const bool blind = p.get_health(HN_BLIND) != 0;
  const bool dm = p.is_dm();
  if ((s.time_item_held && !blind) || dm)
    rows.set(++drow, format_str("Time: %18d:%02d", get_game_hour(), get_game_minute()));
  if ((s.location_item_held && !blind) || dm)
    rows.set(++drow, format_str("Location: %17s", format_str("%d' %d\"", p.x, p.y).c_str()));
  const std::string hunger = get_hunger_string(p.hunger);
  if (!hunger.empty()) rows.set(++drow, format_str("Hunger: %19s", hunger.c_str()));
  rows.set(++drow, format_str("DPS: %22d", dps_of(s)));

  sheet.tracked = build_tracked_list(tracked_creatures, drow + 3, 44 - (drow + 3), s.target_id);
  return sheet;
}

// ---- the page cycle -------------------------------------------------------------

int cycle_statbox_page(int page, bool backwards, int known_spells) {
  if (page < 0 || page >= STATBOX_PAGES) page = 0;
  const bool page_4_empty = known_spells <= SPELLS_PER_PAGE;
  if (backwards) {
    page = page - 1 < 0 ? STATBOX_PAGES - 1 : page - 1;
    if (page == 4 && page_4_empty) page = 3;
  } else {
    page = page + 1 >= STATBOX_PAGES ? 0 : page + 1;
    if (page == 4 && page_4_empty) page = 5;
  }
  return page;
}

// ---- drawing -------------------------------------------------------------------------

int make_colour(PanelRgb c) { return makecol(clamp_byte(c.r), clamp_byte(c.g), clamp_byte(c.b)); }

void clear_panel(BITMAP* panel, PanelRgb box_colour) {
  if (panel == nullptr) return;
  rectfill(panel, 0, 0, PANEL_WIDTH - 1, PANEL_HEIGHT - 1, make_colour(box_colour));
  rectfill(panel, 0, 0, 1, PANEL_HEIGHT - 1, makecol(0, 0, 0));
  // The fading shadow at the top: black at 50 of 255 on the first row, down
  // to nothing 200 rows lower. Paletted bitmaps have no blender and keep the
  // plain box colour.
  if (bitmap_color_depth(panel) <= 8) return;
  const int rows = 200;
  for (int i = 0; i < rows; ++i) {
    const int alpha = 50 * (rows - i) / rows;
    if (alpha <= 0) break;
    set_trans_blender(0, 0, 0, alpha);
    drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
    hline(panel, 0, i, PANEL_WIDTH - 1, makecol(0, 0, 0));
  }
  solid_mode();
}

void draw_panel_rows(BITMAP* panel, FONT* font, const PanelRows& rows, int first, int last) {
  if (panel == nullptr || font == nullptr) return;
  first = std::max(first, 0);
  last = std::min(last, rows.size() - 1);
  for (int i = first; i <= last; ++i) {
    const PanelRow& row = rows[i];
    if (row.text.empty() || panel_row_y(i) >= panel->h) continue;
    textout_ex(panel, font, row.text.c_str(), PANEL_TEXT_X, panel_row_y(i), make_colour(row.colour), -1);
  }
}

void draw_character_sheet(BITMAP* panel, const PanelFonts& fonts, PanelRgb box_colour,
                          const CharacterSheet& sheet, BITMAP* special,
                          const std::function<void(BITMAP*)>& avatar) {
  if (panel == nullptr) return;
  clear_panel(panel, box_colour);
  if (!sheet.filled) return;

  for (const Gauge& g : sheet.vitals) {
    if (g.x2 >= PANEL_TEXT_X) rectfill(panel, PANEL_TEXT_X, g.y, g.x2, g.y + 7, make_colour(g.colour));
    if (fonts.names)
      textout_ex(panel, fonts.names, g.text.c_str(), PANEL_TEXT_X, g.y, make_colour(g.text_colour), -1);
  }

  // The avatar is drawn on a square taken from the panel, so that the tile's
  // mask shows the panel's own background.
  if (avatar) {
    BITMAP* cell = create_bitmap_ex(bitmap_color_depth(panel), PLAY_CELL, PLAY_CELL);
    if (cell) {
      blit(panel, cell, PANEL_TEXT_X, 0, 0, 0, PLAY_CELL, PLAY_CELL);
      avatar(cell);
      blit(cell, panel, 0, 0, PANEL_TEXT_X, 2, PLAY_CELL, PLAY_CELL);
      destroy_bitmap(cell);
    }
  }

  if (sheet.xp_row >= 0 && sheet.xp_bar_width > 0) {
    const int y = panel_row_y(sheet.xp_row);
    rectfill(panel, PANEL_TEXT_X, y, sheet.xp_bar_width + 8, y + 7, make_colour(sheet.xp_bar_colour));
  }

  for (const TrackedEntry& t : sheet.tracked) {
    rectfill(panel, 128, t.y, t.red_x2, t.y + 4, make_colour(RGB_RED));
    rectfill(panel, 128, t.y + 5, t.blue_x2, t.y + 7, makecol(0, 0, 254));
    if (fonts.main)
      textout_ex(panel, fonts.main, t.text.c_str(), PANEL_TEXT_X, t.y, make_colour(t.colour), -1);
    // Masked like every other picture: only the flag shows on the panel.
    if (t.marked && special) masked_blit(special, panel, 259, 0, 115, t.y - 1, 13, 10);
  }

  draw_panel_rows(panel, fonts.main, sheet.rows, 0, sheet.rows.size() - 1);
  // The stat names stay white when their values are coloured.
  if (sheet.alive && fonts.main) {
    for (int i = 6; i <= 9; ++i) {
      const std::string head = sheet.rows[i].text.substr(0, 15);
      if (!head.empty())
        textout_ex(panel, fonts.main, head.c_str(), PANEL_TEXT_X, panel_row_y(i), make_colour(RGB_WHITE), -1);
    }
  }
}
