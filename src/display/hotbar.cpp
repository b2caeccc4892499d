// The hotbar: slot and command buttons over the play area, their hit test,
// drawing and tooltips, and the item picture shared with cards and lists.

#include "display/hotbar.h"

#include <allegro.h>

#include <cctype>

#include "app/client_app.h"
#include "core/item_data.h"
#include "core/spells.h"
#include "core/tiles.h"
#include "core/utils.h"
#include "display/display.h"
#include "display/side_panel.h"
#include "input/hotkeys.h"
#include "input/keymap.h"
#include "input/options.h"
#include "world/player.h"

std::function<uint64_t()> hotbar_clock_ms = [] { return get_time_us() / 1000; };

namespace {
constexpr int DARK_ALPHA = 120;
constexpr int ICON_ALPHA = 150;
constexpr int ICON_X = 196;

// Where and since when the mouse has rested; the tooltip waits for it.
int rest_x = -1, rest_y = -1;
uint64_t rest_since = 0;

int white() { return makecol(255, 255, 255); }
int black() { return makecol(0, 0, 0); }

void draw_rows(BITMAP* bmp, FONT* f, const std::vector<std::string>& rows, int x, int y) {
  if (!f) return;
  for (size_t k = 0; k < rows.size(); ++k)
    textout_ex(bmp, f, rows[k].c_str(), x + 1, y + 1 + 8 * static_cast<int>(k), white(), -1);
}

// Sheet picture `t` of the tile sheet stretched to one cell at (x, y).
void draw_sheet_cell(BITMAP* dest, int t, int x, int y) {
  const int tile = d.sheet_tile > 0 ? d.sheet_tile : PLAY_CELL;
  const int cell = tile + d.sheet_border;
  if (!d.tiles || t < 0) return;
  const int sx = (t % 16) * cell, sy = (t / 16) * cell;
  if (sx + tile > d.tiles->w || sy + tile > d.tiles->h) return;
  masked_stretch_blit(d.tiles, dest, sx, sy, tile, tile, x, y, PLAY_CELL, PLAY_CELL);
}

void draw_object_picture(BITMAP* dest, long code) {
  const ObjectTile* rec = tiledata.get_object_tile(static_cast<unsigned>(code & ITEM_BASE_MASK));
  if (rec) draw_sheet_cell(dest, rec->image, 0, 0);
}
}  // namespace

std::vector<std::string> hotbar_text_rows(const std::string& text) {
  std::vector<std::string> rows;
  for (size_t k = 0; k < 4 && k * 4 < text.size(); ++k) rows.push_back(text.substr(k * 4, 4));
  return rows;
}

std::vector<std::string> hotbar_word_rows(const std::string& spell_name) {
  std::vector<std::string> rows;
  for (size_t k = 0; k < 4 && k < spell_name.size(); ++k)
    rows.push_back(Spells::get_word(static_cast<char>(std::tolower(static_cast<unsigned char>(spell_name[k])))).substr(0, 4));
  return rows;
}

std::string hotbar_tooltip_text(int slot) {
  if (slot < HOTKEY_F1_SLOT || slot > HOTKEY_F8_SLOT) return "";
  const int id = me.spell_binds[slot];
  const std::string name = spells.get_spell_str(id);
  if (!name.empty() && name != "invalid")
    return spells.uses_words(id) ? name + " (" + spells.get_full_spell_name(id) + ")" : name;
  if (me.item_binds[slot].code != 0) return wl.get_full_name(me.item_binds[slot]);
  return "";
}

std::string hotbar_tooltip_keys(int slot) {
  static const char* const keys[] = {"SHIFT",     "ALT",      "CTRL+SHIFT",     "SHIFT+ALT",
                                     "CTRL+ALT",  "CTRL+SHIFT+ALT", "RMB",      "CTRL+RMB"};
  if (slot < HOTKEY_F1_SLOT || slot > HOTKEY_F8_SLOT) return "";
  return keys[slot - HOTKEY_F1_SLOT];
}

bool Widget::contains(int px, int py) const { return contains(px, py, res_x, res_y); }

void Button::draw(BITMAP* bmp) {
  if (!bmp) return;
  const int grey = makecol(48, 48, 48);
  hline(bmp, x, y, x + w - 1, grey);
  hline(bmp, x, y + h - 1, x + w - 1, grey);
  vline(bmp, x, y, y + h - 1, grey);
  vline(bmp, x + w - 1, y, y + h - 1, grey);
  QYXDisplay::tint_rect(bmp, x + 1, y + 1, PLAY_CELL, PLAY_CELL, black(), DARK_ALPHA);
  if (slot >= 0 && slot < HOTBAR_COMMAND_BUTTONS) {
    const int action = hotbar_button_command(slot + HOTBAR_SLOT_BUTTONS);
    if (action >= 0) draw_rows(bmp, d.main_font, hotbar_text_rows(Keymap::action_name(action)), x, y);
  } else if (slot >= HOTKEY_F1_SLOT && slot <= HOTKEY_F8_SLOT) {
    const int id = me.spell_binds[slot];
    const std::string name = spells.get_spell_str(id);
    if (name.empty() || name == "invalid") {
      const Item& it = me.item_binds[slot];
      if (it.code != 0) {
        d.draw_item_picture(it, bmp, x + 1, y + 1, false);
        if (!app.session.use_ready)
          QYXDisplay::tint_rect(bmp, x + 1, y + 1, PLAY_CELL, PLAY_CELL, black(), DARK_ALPHA);
      }
    } else {
      const PanelRgb c = school_colour(id);
      rectfill(bmp, x + 1, y + 1, x + w - 2, y + h - 2, makecol(c.r, c.g, c.b));
      if (d.special && d.special->w >= ICON_X + PLAY_CELL && d.special->h >= PLAY_CELL) {
        BITMAP* icon = create_sub_bitmap(d.special, ICON_X, 0, PLAY_CELL, PLAY_CELL);
        QYXDisplay::draw_translucent(icon, bmp, x + 1, y + 1, ICON_ALPHA);
        destroy_bitmap(icon);
      }
      QYXDisplay::tint_rect(bmp, x + 1, y + 1, PLAY_CELL, PLAY_CELL, black(), DARK_ALPHA);
      if (!app.session.spell_ready)
        QYXDisplay::tint_rect(bmp, x + 1, y + 1, PLAY_CELL, PLAY_CELL, black(), DARK_ALPHA);
      draw_rows(bmp, d.main_font,
                spells.uses_words(id) ? hotbar_word_rows(name)
                                      : hotbar_text_rows(spells.get_full_spell_name(id)),
                x, y);
    }
  }
  // Labels and tooltips stand on black so that they read over any terrain.
  if (contains(mouse_x, mouse_y) && d.names_font)
    textout_ex(bmp, d.names_font, label.c_str(), x, y - 8, white(), black());
}

int QYXDisplay::hotbar_count() const {
  const int n = options.get(OPT_COMMAND_HOTBAR) ? HOTBAR_BUTTONS : HOTBAR_SLOT_BUTTONS;
  return std::min(n, static_cast<int>(hotbar.size()));
}

bool QYXDisplay::mouse_over_hotbar_button(int i) const {
  if (i < 0 || i >= hotbar_count()) return false;
  return hotbar[static_cast<size_t>(i)].contains(mouse_x, mouse_y);
}

bool QYXDisplay::mouse_over_hotbar() const {
  for (int i = 0; i < hotbar_count(); ++i)
    if (mouse_over_hotbar_button(i)) return true;
  return false;
}

void QYXDisplay::draw_hotbar(BITMAP* dest) {
  if (!dest) return;
  const uint64_t now = hotbar_clock_ms();
  if (mouse_x != rest_x || mouse_y != rest_y) {
    rest_x = mouse_x;
    rest_y = mouse_y;
    rest_since = now;
  }
  for (int i = 0; i < hotbar_count(); ++i) {
    Button& b = hotbar[static_cast<size_t>(i)];
    b.draw(dest);
    if (b.contains(mouse_x, mouse_y)) draw_hotbar_tooltip(b, dest, mouse_x, mouse_y);
  }
}

bool QYXDisplay::hotbar_tooltip_due() const {
  if (mouse_x != rest_x || mouse_y != rest_y) return false;
  if (hotbar_clock_ms() - rest_since <= HOTBAR_TOOLTIP_REST_MS) return false;
  for (int i = 0; i < hotbar_count(); ++i) {
    const Button& b = hotbar[static_cast<size_t>(i)];
    if (b.contains(mouse_x, mouse_y) && !hotbar_tooltip_text(b.slot).empty()) return true;
  }
  return false;
}

void QYXDisplay::draw_hotbar_tooltip(const Button& b, BITMAP* dest, int mx, int my) {
  if (!dest || !main_font || b.slot < HOTKEY_F1_SLOT || b.slot > HOTKEY_F8_SLOT) return;
  if (hotbar_clock_ms() - rest_since <= HOTBAR_TOOLTIP_REST_MS) return;
  const std::string text = hotbar_tooltip_text(b.slot);
  if (text.empty()) return;
  textout_ex(dest, main_font, text.c_str(), mx + 20, my - 5, white(), black());
  textout_ex(dest, main_font, hotbar_tooltip_keys(b.slot).c_str(), mx + 20, my + 5, white(), black());
}

void QYXDisplay::draw_item_picture(const Item& item, BITMAP* dest, int x, int y, bool doubled) {
  if (!dest || !play_bitmap) return;
  rectfill(play_bitmap, 0, 0, PLAY_CELL, PLAY_CELL, black());
  const int base = item.get_base_code();
  if (base == ITEM_BASE_TILE_TOKEN) {
    const int t = item.get_tile_num();
    if (t >= 0 && t < TILES_NUM_MAP) draw_sheet_cell(play_bitmap, tile_ids[t], 0, 0);
  } else if (base == ITEM_BASE_WRAPPED) {
    draw_object_picture(play_bitmap, item.get_inner_code());
  } else {
    draw_object_picture(play_bitmap, item.code);
  }
  if (doubled)
    stretch_blit(play_bitmap, dest, 0, 0, PLAY_CELL, PLAY_CELL, x, y, 2 * PLAY_CELL, 2 * PLAY_CELL);
  else
    blit(play_bitmap, dest, 0, 0, x, y, PLAY_CELL, PLAY_CELL);
}
