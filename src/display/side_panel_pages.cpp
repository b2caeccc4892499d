#include "display/side_panel_pages.h"

#include <allegro.h>

#include <algorithm>

#include "core/config_file.h"
#include "core/item_data.h"
#include "core/skills_classes.h"
#include "core/spells.h"
#include "core/string_utils.h"
#include "core/utils.h"
#include "display/display.h"
#include "input/hotkeys.h"
#include "input/keymap.h"
#include "world/player.h"

const char* const PERK_NAMES[PLAYER_NUM_PERKS] = {
    "Lycanthropy immunity", "Dual wield", "Block", "Heavy armour affinity", "No 2H melee weapons",
    "Living off the land", "Leeching attacks", "Rage -> MR", "Detect chest traps",
    "Drunken immunity", "Mithril affinity", "Undead", "Inorganic", "Infravision", "No mana",
    "Immunity to res sickness", "Hiding weapons", "Vampire"};

namespace {

constexpr int KEYBIND_FIRST_SLOT[2] = {0, 18};
constexpr int KEYBIND_LAST_SLOT[2] = {17, 56};

// Status 50 (detect traps) shows a blessed item's curse in red too.
bool status_50(Player& p) { return p.get_health(HN_DETECT_TRAPS) != 0; }

// Drawing order of the equipped items, with the mark of each slot.
const Item& equipped(Player& p, int n) {
  switch (n) {
    case 0: return p.weapon;
    case 1: return p.shield;
    case 2: return p.hat;
    case 3: return p.armour;
    case 4: return p.gloves;
    case 5: return p.belt;
    case 6: return p.trousers;
    case 7: return p.boots;
    case 8: return p.ring1;
    case 9: return p.ring2;
    case 10: return p.amulet;
    default: return p.ammo;
  }
}
constexpr int NUM_EQUIP_SLOTS = 12;
constexpr int EQUIP_MARKS[NUM_EQUIP_SLOTS][2] = {{0, 0},  {16, 0}, {16, 8}, {8, 0}, {24, 0}, {24, 16},
                                                 {0, 16}, {24, 8}, {0, 8},  {0, 8}, {8, 8},  {0, 24}};

bool empty_item(const Item& item) { return item == 0L; }

}  // namespace

// ---- page 1: perks, equipment, sigils -----------------------------------------------

PanelPage build_equipment_page(Player& p) {
  PanelPage page;
  PanelRows& rows = page.rows;
  rows.set(0, "Perks ... ");
  int prow = 1;
  for (int f = 0; f < PLAYER_NUM_PERKS; ++f)
    if (p.perk_flags[f] != 0) rows.set(++prow, PERK_NAMES[f]);
  if (prow == 1) rows.set(2, "None.");

  rows.set(prow + 2, "Equipped ... ");
  const bool s50 = status_50(p);
  for (int n = 0; n < NUM_EQUIP_SLOTS; ++n) {
    const int row = prow + 4 + n;
    const Item& item = equipped(p, n);
    const std::string text = empty_item(item) ? std::string() : "  " + wl.get_med_name(item, true);
    // A mark of a row past the page would be drawn over the panel's bottom.
    if (rows.set(row, text, item_text_colour(item, s50)))
      page.marks.push_back(PageMark{row, EQUIP_MARKS[n][0], EQUIP_MARKS[n][1]});
  }

  rows.set(prow + 17, "Sigils ... ");
  int g = prow + 18;
  for (const Item* sigil : {&p.sigil1, &p.sigil2, &p.sigil3}) {
    const Item& item = *sigil;
    if (empty_item(item)) continue;
    const PanelRgb k = item_text_colour(item, s50);
    const PanelRgb light = light_colour(k);
    int last = g + 1;
    rows.set(last, wl.get_med_name(item, true), k);
    if (item.is_unidentified()) {
      rows.set(++last, "unidentified", light);
    } else if (wl.is_enchanted(item)) {
      const int base = item.get_base_code();
      if (base >= ITEM_ARTIFACT_FIRST && base <= ITEM_ARTIFACT_LAST) {
        if (const ItemRecord* rec = wl.get_record(item)) {
          const size_t n = std::min(rec->effect_kinds.size(), rec->effect_values.size());
          for (size_t i = 0; i < n; ++i)
            rows.set(++last, wl.get_mag_prop_text(rec->effect_kinds[i], rec->effect_values[i], 'S'), light);
        }
      } else {
        for (int kind = 1; kind <= 15; ++kind) {
          int value = 0;
          if (wl.get_effect(item, kind, &value))
            rows.set(++last, wl.get_mag_prop_text(kind, value, 'S'), light);
        }
      }
    }
    g = last + 1;
  }
  return page;
}

// ---- page 2: skills -------------------------------------------------------------------

PanelPage build_skills_page(Player& p, bool flagged_skills_only, int skill_cap) {
  PanelPage page;
  PanelRows& rows = page.rows;
  rows.set(0, "Skills ... ");
  rows.set(1, format_str("%27c", '%'));

  // Highest value first, the lower skill number first on a tie; a skill at 0
  // or below is not listed.
  std::vector<int> order;
  const int count = std::min(sc.max_skills(), player_skill_count());
  for (int s = 0; s < count; ++s)
    if (p.get_skill(s) > 0.0f) order.push_back(s);
  std::stable_sort(order.begin(), order.end(),
                   [&p](int a, int b) { return p.get_skill(a) > p.get_skill(b); });

  constexpr int first = 2, last = 41;
  for (size_t i = 0; i < order.size() && first + static_cast<int>(i) <= last; ++i) {
    const int s = order[i];
    const float value = p.get_skill(s);
    const float raw = p.get_raw_skill(s);
    PanelRgb colour = RGB_WHITE;
    if (value > raw) colour = RGB_GREEN;
    else if (value < raw) colour = RGB_RED;
    else if (flagged_skills_only && !sc.is_skill_flagged(s)) colour = RGB_GREY;
    rows.set(first + static_cast<int>(i),
             format_str("%-21s %5.1f", sc.get_skillname(s).c_str(), static_cast<double>(round_tenths(value))),
             colour);
  }

  const double total = p.get_total_skill_points(false);
  if (flagged_skills_only) {
    rows.set(42, format_str("%-19s %7.1f", "Total:", total));
    const double capped = p.get_total_skill_points(true);
    rows.set(43, format_str("Capped:  %18s", format_str("%.1f/%d", capped, skill_cap).c_str()));
  } else {
    rows.set(43, format_str("%-19s %7.1f", "Total:", total));
  }
  return page;
}

// ---- pages 3 and 4: spells ------------------------------------------------------------

std::vector<int> known_spell_list(Player& p) {
  std::vector<int> out;
  const int skills = sc.max_skills();
  for (int i = 0; i < spells.get_num_spells(); ++i) {
    if (!p.has_spell(i)) continue;
    const int s = spells.get_skill(i), c = spells.get_circle(i);
    if (s < -1 || s >= skills || c < 0 || c > MAX_CIRCLE) continue;
    out.push_back(i);
  }
  std::stable_sort(out.begin(), out.end(), [](int a, int b) {
    const int sa = spells.get_skill(a), sb = spells.get_skill(b);
    if (sa != sb) return sa < sb;
    return spells.get_circle(a) < spells.get_circle(b);
  });
  return out;
}

PanelPage build_spells_page(Player& p, int page_nr) {
  PanelPage page;
  PanelRows& rows = page.rows;
  const int failure = common_cfg.get_int("casting_failure");
  rows.set(0, "Spells & Abilities ...");
  rows.set(1, failure == 0 ? std::string(24, ' ') + "lvl" : std::string(21, ' ') + "lvl  %");

  const std::vector<int> known = known_spell_list(p);
  const size_t start = page_nr == 4 ? SPELLS_PER_PAGE : 0;
  int row = 1;
  for (size_t i = start; i < known.size() && row < PAGE_ROWS - 1; ++i) {
    const int id = known[i];
    const std::string name = spells.get_full_spell_name(id, false);
    std::string text;
    if (failure != 0) {
      const int chance = spells.get_success_chance(id, p.get_skill(spells.get_skill(id)));
      text = format_str("%-22s%2d %2d", name.substr(0, 22).c_str(), spells.get_circle(id), chance);
    } else {
      text = format_str("%-23s %3d", name.substr(0, 23).c_str(), spells.get_circle(id));
    }
    rows.set(++row, text, school_colour(id));
  }
  page.last_row = row;
  return page;
}

// ---- pages 5 and 6: key binds ------------------------------------------------------

PanelPage build_keybinds_page(Player& p, int half) {
  PanelPage page;
  page.rows = PanelRows(PAGE_ROWS, KEYBIND_ROW_CHARS);
  half = half == 2 ? 2 : 1;
  PanelRows& rows = page.rows;
  rows.set(0, format_str("%sKey Binds ...", half == 1 ? "" : "More "));

  const bool s50 = status_50(p);
  const int first = KEYBIND_FIRST_SLOT[half - 1], last = KEYBIND_LAST_SLOT[half - 1];
  for (int s = first; s <= last; ++s) {
    SlotRow slot;
    slot.row = 2 + s - first;
    slot.label = slot_key_name(s);
    const int spell = p.spell_binds[s];
    const Item& item = p.item_binds[s];
    if (spells.is_valid_id(spell)) {
      const std::string name = spells.get_spell_str(spell);
      if (!name.empty()) {
        slot.text = spells.get_full_spell_name(name, true);
        slot.colour = school_colour(spell);
      }
    } else if (item.is_valid()) {
      if (!empty_item(item)) {
        slot.text = wl.get_med_name(item, true);
        slot.colour = item_text_colour(item, s50);
      }
    } else if (keymap.find_action(slot_to_scancode(s)) != -1) {
      slot.text = keymap.get_action_name(slot_to_scancode(s));
    }
    if (slot.text.size() > static_cast<size_t>(KEYBIND_ROW_CHARS)) slot.text.resize(KEYBIND_ROW_CHARS);
    page.slots.push_back(slot);
  }

  if (half == 1) {
    rows.set(21, "Shortcuts ...");
    for (int k = 1; k <= 8; ++k) rows.set(22 + k, format_str("F%d=%s", k, combo_key_name(9 + k, false).c_str()));
    page.last_row = 30;
  } else {
    page.last_row = 41;
  }
  return page;
}

// ---- drawing ---------------------------------------------------------------------------

void draw_panel_page(BITMAP* panel, FONT* font, PanelRgb box_colour, const PanelPage& page,
                     BITMAP* special) {
  if (panel == nullptr) return;
  clear_panel(panel, box_colour);
  if (special)
    for (const PageMark& m : page.marks)
      masked_blit(special, panel, m.src_x, m.src_y, PANEL_TEXT_X, panel_row_y(m.row), 8, 8);
  draw_panel_rows(panel, font, page.rows, 0, page.last_row);
  if (font == nullptr) return;
  for (const SlotRow& s : page.slots) {
    if (s.row > page.last_row) continue;
    const int y = panel_row_y(s.row);
    textout_ex(panel, font, s.label.c_str(), PANEL_TEXT_X, y, make_colour(RGB_WHITE), -1);
    if (!s.text.empty()) textout_ex(panel, font, s.text.c_str(), KEYBIND_TEXT_X, y, make_colour(s.colour), -1);
  }
}
