// The side panel of the display: the stat box pages drawn into the cached
// `panel_bitmap`, their colours, the page cycle, and whether a redraw
// changed a pixel (a frame is due only then).
// The rows themselves are decided by side_panel.cpp and side_panel_pages.cpp.

#include <allegro.h>

#include <functional>
#include <string_view>

#include "app/play_messages.h"
#include "core/log.h"
#include "core/tiles.h"
#include "display/display.h"
#include "display/minimap_box.h"
#include "display/side_panel_pages.h"
#include "input/frame_input.h"
#include "input/options.h"
#include "world/item_list.h"
#include "world/player.h"

namespace {

int pack_rgb(PanelRgb c) { return (c.r & 255) << 16 | (c.g & 255) << 8 | (c.b & 255); }

PanelRgb rgb_of(int colour) { return PanelRgb{getr(colour), getg(colour), getb(colour)}; }

}  // namespace

// ---- colours ---------------------------------------------------------------------

int QYXDisplay::item_text_colour(const Item& item) const {
  return make_colour(::item_text_colour(item, me.get_health(HN_DETECT_TRAPS) != 0));
}

int QYXDisplay::school_colour(int spell) const { return make_colour(::school_colour(spell)); }

int QYXDisplay::light_colour(int colour) const { return make_colour(::light_colour(rgb_of(colour))); }

// ---- pages -----------------------------------------------------------------------

void QYXDisplay::clear_panel() { ::clear_panel(panel_bitmap, rgb_of(box_colour)); }

namespace {

void copy_panel(BITMAP* panel, BITMAP* target, BITMAP* back_buffer, int x, int y) {
  if (panel && target && target == back_buffer)
    blit(panel, target, 0, 0, x, y, PANEL_WIDTH, PANEL_HEIGHT);
}

}  // namespace

void QYXDisplay::draw_equipment_page(BITMAP* target) {
  draw_panel_page(panel_bitmap, main_font, rgb_of(box_colour), build_equipment_page(me), special);
  copy_panel(panel_bitmap, target, back_buffer, panel_x, panel_y);
}

void QYXDisplay::draw_skills_page(BITMAP* target) {
  draw_panel_page(panel_bitmap, main_font, rgb_of(box_colour),
                  build_skills_page(me, flagged_skills_only, skill_cap), special);
  copy_panel(panel_bitmap, target, back_buffer, panel_x, panel_y);
}

void QYXDisplay::draw_spells_page(BITMAP* target) {
  draw_panel_page(panel_bitmap, main_font, rgb_of(box_colour), build_spells_page(me, statbox_page),
                  special);
  copy_panel(panel_bitmap, target, back_buffer, panel_x, panel_y);
}

void QYXDisplay::draw_keybinds_page(int half, BITMAP* target) {
  draw_panel_page(panel_bitmap, main_font, rgb_of(box_colour),
                  build_keybinds_page(me, half), special);
  copy_panel(panel_bitmap, target, back_buffer, panel_x, panel_y);
}

// ---- the stat box --------------------------------------------------------------------

int QYXDisplay::playerstats(BITMAP* target) {
  FunctionTrace trace("playerstats");
  redraw_panel(target);
  // The frame tick redraws the panel every 300 ms; a frame is due only when
  // that changed a pixel of it.
  const uint64_t drawn = panel_hash();
  if (drawn != panel_shown_hash) request_frame();
  panel_shown_hash = drawn;
  return 0;
}

uint64_t QYXDisplay::panel_hash() const {
  if (!panel_bitmap) return 0;
  const size_t row_bytes = static_cast<size_t>(panel_bitmap->w) *
                           static_cast<size_t>((bitmap_color_depth(panel_bitmap) + 7) / 8);
  uint64_t h = 0;
  for (int y = 0; y < panel_bitmap->h; ++y) {
    const std::string_view row(reinterpret_cast<const char*>(panel_bitmap->line[y]), row_bytes);
    h = h * 1099511628211ull + std::hash<std::string_view>{}(row);
  }
  return h;
}

void QYXDisplay::redraw_panel(BITMAP* target) {
  SheetSettings s = sheet_settings_from_session();
  s.levels_per_remort = levels_per_remort;
  s.show_age = show_age != 0;
  s.show_class_skills = show_class_skills != 0;
  s.show_skill_total = show_skill_total != 0;
  // The frame tick looks for the two items in the pack every 3 s.
  s.time_item_held = carries_light_item;
  s.location_item_held = carries_sight_item;
  s.attack_damage.assign(damage_history.damage.begin(), damage_history.damage.end());
  s.attack_interval_ms.assign(damage_history.gaps_ms.begin(), damage_history.gaps_ms.end());

  const SheetState st = compute_sheet_state(me, s, level_up_shown != 0);
  status_letters = st.status_letters;
  xp_percent = st.xp_percent;
  level_up_shown = st.level_up_shown ? 1 : 0;
  if (curr_display != 0 || panel_bitmap == nullptr || main_font == nullptr) return;

  switch (statbox_page) {
    case 1: draw_equipment_page(target); return;
    case 2: draw_skills_page(target); return;
    case 3:
    case 4: draw_spells_page(target); return;
    case 5:
    case 6: draw_keybinds_page(statbox_page - 4, target); return;
    default: break;
  }
  const CharacterSheet sheet = build_character_sheet(me, s, st);
  const PanelFonts fonts{main_font, names_font ? names_font : main_font};
  draw_character_sheet(panel_bitmap, fonts, rgb_of(box_colour), sheet, special,
                       [this](BITMAP* cell) {
                         draw_item_picture(Item(me.code), cell, 0, 0, false);
                       });
  copy_panel(panel_bitmap, target, back_buffer, panel_x, panel_y);
}

void QYXDisplay::cycle_statbox_page(bool backwards) {
  statbox_page = ::cycle_statbox_page(statbox_page, backwards, static_cast<int>(known_spell_list(me).size()));
}

// ---- the list entry under the mouse --------------------------------------------

ItemListEl* QYXDisplay::list_node_under_mouse() const {
  if (list_shown == nullptr || !options.get(OPT_MOUSE) || !mouse_shown || !mouse_over_panel())
    return nullptr;
  return list_row_node(list_state, list_shown, panel_row_at_mouse());
}

Item QYXDisplay::get_item_under_mouse() const { return list_item_under_mouse(list_node_under_mouse()); }

Item QYXDisplay::get_selected_item() const {
  return list_shown ? list_selected_item(list_state, list_shown, list_node_under_mouse()) : Item(0L);
}

// Spell colours as the list rows keep them (0xRRGGBB).
int QYXDisplay::school_rgb(int spell) const { return pack_rgb(::school_colour(spell)); }

int QYXDisplay::item_rgb(const Item& item) const {
  return pack_rgb(::item_text_colour(item, me.get_health(HN_DETECT_TRAPS) != 0));
}

// ---- the aux box, for scripts ------------------------------------------------------

