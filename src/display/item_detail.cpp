// The item detail box, line by line.

#include "display/item_detail.h"

#include <cstdlib>

#include "core/config_file.h"
#include "core/item_bases.h"
#include "core/item_data.h"
#include "core/skills_classes.h"
#include "core/spells.h"
#include "core/string_utils.h"
#include "core/utils.h"
#include "display/display.h"
#include "world/item_list.h"
#include "world/player.h"

namespace {

// Bases whose modifier is no plain number worth a "number" line.
bool no_number_line(int base) {
  switch (base) {
    case ITEM_BASE_RAW_GEM: case ITEM_BASE_SCROLL: case ITEM_BASE_TRAINING:
    case ITEM_BASE_UNTRAINING: case ITEM_BASE_LEVEL_TOKEN: case ITEM_BASE_WRAPPED:
    case ITEM_BASE_RUNE_STONE: case ITEM_BASE_SPELL_BOOK: case ITEM_BASE_SKILL_SHARD:
      return true;
    default:
      return false;
  }
}

struct Writer {
  ItemDetailBox& box;
  int c = 0;
  int first_right = -1;  // first right-column line of the spell and class lines

  void at(int k, int x, const std::string& text, int colour) {
    DetailLine l;
    l.line = k;
    l.x = x;
    l.text = text;
    l.colour = colour;
    box.lines.push_back(l);
  }
  void left(const std::string& text, int colour) { at(++c, 9, text, colour); }
  void right(const std::string& text, int colour) { at(++c, DETAIL_RIGHT_X, text, colour); }
};

// Class lines: the label, then up to four three-letter class names a line.
void class_lines(Writer& w, const Item& d, Player& p, const std::function<bool(int)>& may_use,
                 bool note_first) {
  if (common_cfg.get_int("old_style_classes") != 0) return;
  const int colour = wl.check_class(d, p.cls) ? LIST_WHITE : LIST_RED;
  const std::string label = common_cfg.get("class_label") + ":";
  std::string text = format_str("%-9s", label.c_str());
  int names = 0;
  auto flush = [&] {
    if (note_first && w.first_right < 0) w.first_right = w.c + 1;
    w.right(text, colour);
    text = "         ";
  };
  for (int cls = 0; cls < sc.max_classes(); ++cls) {
    if (!may_use(cls)) continue;
    text += sc.get_classname(cls).substr(0, 3) + " ";
    if (++names % 4 == 0) flush();
  }
  if (names == 0 || names % 4 != 0) flush();
}

std::string currency_unit() {
  std::string unit = common_cfg.get("currency");
  return unit.empty() ? "gp" : unit;
}

}  // namespace

std::vector<Ingredient> parse_ingredients(const std::string& text) {
  std::vector<Ingredient> out;
  std::vector<std::string> parts, pieces;
  split(text, ":", parts);
  for (const std::string& part : parts) {
    split(part, "x", pieces);
    if (pieces.size() != 2 || pieces[0].empty() || pieces[1].empty()) continue;
    char* end = nullptr;
    long n = std::strtol(pieces[1].c_str(), &end, 10);
    if (*end != '\0' || n < 0) continue;
    Ingredient g;
    g.item = Item(pieces[0]);
    g.count = static_cast<int>(std::min(n, 1000000L));
    out.push_back(g);
  }
  return out;
}

ItemDetailBox item_detail_lines(const ItemDetailInput& in, Player& p, const ItemList& inventory) {
  ItemDetailBox box;
  const Item& d = in.item;
  if (d == -1L) return box;
  Writer w{box};
  const int base = d.get_base_code();
  const int n_col = in.colour;
  const int l_col = list_light_colour(n_col);
  const bool identified = !d.is_unidentified();

  int b = 0;
  if (in.kind == SELECT_READY) {
    w.at(1, 9, format_str("St=%d Dx=%d In=%d Nv=%d", p.get_unscaled_str(), p.get_unscaled_dex(),
                          p.get_unscaled_intel(),
                          p.get_magic_modifier(MP_NIGHTVISION) + p.count_sight_items()),
         LIST_WHITE);
    w.at(2, 9, format_str("As=%d Ac=%.1f Mr=%d Vi=%d", p.get_thaco(), p.get_ac(),
                          p.get_magic_resistance(),
                          p.get_magic_modifier(MP_VIGOUR) + p.get_vigour_bonus()),
         LIST_WHITE);
    w.at(3, 9, format_str("HP=%d Mana=%d", p.get_hp_max(), p.get_mana_max()), LIST_WHITE);
    w.at(4, 9, "Dmg=" + p.get_damage_str(), LIST_WHITE);
    b = 5;
  }
  if (p.is_dm()) w.at(b, 9, "0x" + d.str(false), LIST_YELLOW);
  w.at(b + 1, 9, "Item Detail ...", LIST_BLUE);
  w.at(b + 2, 9, wl.get_med_name(d, false), n_col);
  w.c = b + 2;
  if (base == ITEM_BASE_RECIPE) w.at(++w.c, 9, wl.get_recipe_item_name(d), n_col);

  if (wl.is_named(d) && !d.is_quest_item() && !d.is_unidentified()) {
    const Item parent = wl.get_parent_code(d);
    std::string name = parent.get_base_code() == base ? wl.get_med_name(Item(static_cast<long>(base)), true)
                                                      : wl.get_med_name(parent, true);
    if (d.get_material() != 0 || d.get_prefix_bits() != 0) name = wl.get_material_name(d) + " " + name;
    w.left(name, l_col);
  }

  if (base == ITEM_BASE_TILE_TOKEN) {
    w.left(wl.make_tile_name(d), l_col);
  } else if (base == ITEM_BASE_DYED) {
    // Its colour is its meaning; it has no property lines.
  } else if (wl.is_enchanted(d) && identified) {
    const ItemRecord* rec = wl.get_record(d);
    const char type = wl.get_type(d);
    for (int m = 1; m <= 14; ++m) {
      if (m == MP_ENCHANTED || m == MP_HEALTH_STATUS || m == MP_INFLICT_STATUS) {
        auto value_of = [&](int v) { return m == MP_ENCHANTED ? wl.get_enchant_value(v) : v; };
        if (rec) {
          const size_t k = std::min(rec->effect_kinds.size(), rec->effect_values.size());
          for (size_t i = 0; i < k; ++i)
            if (rec->effect_kinds[i] == m)
              w.left(wl.get_mag_prop_text(m, value_of(rec->effect_values[i]), type), l_col);
        }
        if (d.get_to_mod() == m) w.left(wl.get_mag_prop_text(m, value_of(d.get_modifier()), type), l_col);
      } else {
        int value = 0;
        if (wl.get_effect(d, m, &value)) w.left(wl.get_mag_prop_text(m, value, type), l_col);
      }
    }
  } else if (d.is_unidentified()) {
    w.left("unidentified", l_col);
  }

  if (identified && d.get_to_mod() == 0 && d.get_modifier() > 0 && !no_number_line(base))
    w.left(format_str("number %d", d.get_modifier()), l_col);
  if (d.socketed != 0 && identified)
    w.left("socket: " + wl.get_full_name(Item(static_cast<long>(d.socketed)), false), l_col);
  if (d.is_cursed() && !d.has_bless_bit() && base != ITEM_BASE_SPELL_BOOK)
    w.left("cursed", l_col);
  else if (d.is_blessed() && identified)
    w.left("blessed", l_col);
  if (d.is_quest_item())
    w.left("Quest item", l_col);
  else if (d.is_no_drop())
    w.left("Soulbound", l_col);

  if (carries_spell(base)) {
    const int s = d.get_modifier();
    w.left(spells.get_full_spell_name(s), l_col);
    if (base != ITEM_BASE_SPELL_CRYSTAL) {
      if (spells.get_skill(s) != -1) w.left("school:  " + sc.get_skillname(spells.get_skill(s)), l_col);
      if (spells.get_circle(s) != 0) {
        w.first_right = w.c + 1;
        w.right(format_str("circle:  %d", spells.get_circle(s)), LIST_WHITE);
      }
      class_lines(w, d, p, [s](int cls) { return spells.class_can_use(s, cls); }, true);
    }
  }

  const int pic = w.first_right >= 0 ? w.first_right : w.c + 1;
  box.picture_line = pic;
  box.picture = d;
  if (d.is_unidentified() && base >= ITEM_ARTIFACT_FIRST && base <= ITEM_ARTIFACT_LAST)
    box.picture = wl.get_parent_code(d);

  if (in.kind == SELECT_BUY) {
    if (trade_item != static_cast<long>(ITEM_BASE_CURRENCY)) {
      w.right(format_str("cost:    %d %s%s", in.price, wl.get_med_name(trade_item, true).c_str(),
                         in.price == 1 ? "" : "s"),
              LIST_WHITE);
    } else if (in.price == -1) {
      w.right("price:   TRADE ONLY", LIST_WHITE);
    } else {
      w.right(format_str("price:   %d %s", in.price, currency_unit().c_str()), LIST_WHITE);
    }
  } else if (in.kind == SELECT_SELL) {
    const std::string unit = trade_item == static_cast<long>(ITEM_BASE_CURRENCY) ? "gp" : "(" + wl.get_name(trade_item) + "s)";
    w.right(format_str("sell:    %d %s", wl.get_sell_price(d), unit.c_str()), LIST_WHITE);
    w.right(format_str("value:   %d %s", wl.get_price(d), unit.c_str()), LIST_WHITE);
  }

  if (in.kind == SELECT_MAKE) {
    const int min_skill = in.list ? in.list->get_price(d) : 0;
    const long made = in.list ? in.list->get_qty(d) : 0;
    w.at(w.c + 1, DETAIL_RIGHT_X, format_str("min skill: %d%%", min_skill < 0 ? 0 : min_skill), LIST_WHITE);
    w.at(w.c + 2, DETAIL_RIGHT_X, format_str("qty made:  %ld", made), LIST_WHITE);
    w.at(w.c + 3, DETAIL_RIGHT_X, "requires:", LIST_WHITE);
    w.c += 4;
    for (const Ingredient& g : parse_ingredients(in.entry_text)) {
      std::string text = wl.get_med_name(g.item, true);
      if (g.count >= 2) text += format_str(" (%d)", g.count);
      long held = inventory.get_qty(g.item);
      if (g.item.get_base_code() == ITEM_BASE_RECIPE) {
        Item bound = g.item;
        bound.set_no_drop();
        if (bound != g.item) held += inventory.get_qty(bound);
      }
      w.left(text, held < g.count ? LIST_RED : LIST_LIGHT_GREY);
    }
  } else {
    const long total = in.list ? in.list->get_qty(d) : 0;
    const bool qty_kind = in.kind == SELECT_READY || in.kind == SELECT_NORMAL || in.kind == SELECT_BANK ||
                          in.kind == SELECT_VIEW_INV || in.kind == SELECT_VIEW_BANK;
    if (total > 1 && qty_kind) w.right(format_str("qty:     %ld", total), LIST_WHITE);
    if (!is_spell_item(base)) {
      const float wt = wl.get_weight(d);
      const int32_t q = in.qty < 1 ? 1 : in.qty;
      w.right(format_str("weight:  %.1f (%.1f ttl)", wt, wt * static_cast<float>(q)), LIST_WHITE);
    }
    if (identified) {
      Item u = d;
      u.uncurse();
      const char type = wl.get_type(d);
      if (wl.is_wearable(d) && type != ITEM_SHIELD) {
        if (type == ITEM_TORSO || type == ITEM_HAT || type == ITEM_BOOTS || type == ITEM_GLOVES ||
            type == ITEM_TROUSERS || type == ITEM_EXTRA_ARMOUR)
          w.right("grade:   " + wl.get_grade_name(d), LIST_WHITE);
        w.right(format_str("defense: %.1f", wl.get_ac(u)), LIST_WHITE);
      }
      if (wl.is_wearable(u))
        w.right(format_str("MR:      %d", wl.get_magic_resistance(d, p.perk_flags[10] != 0)), LIST_WHITE);
      if (type == ITEM_WEAPON) {
        const int dice = wl.get_no_dice(d), sides = wl.get_no_sides(d);
        int bonus = 0;
        if (!wl.get_effect(d, MP_WEAPON_BONUS, &bonus)) bonus = 0;
        const float f = wl.get_material_dmg_mult(d, false);
        if (wl.get_weapon_skill(d) != -1) w.right("skill:   " + wl.get_wep_skill_name(d), LIST_WHITE);
        w.right("dmg typ: " + wl.get_wep_dmg_str(d), LIST_WHITE);
        // Dice, sides and bonus come from data files: summed wide.
        const int64_t low = int64_t{dice} + bonus, high = int64_t{dice} * sides + bonus;
        w.right(format_str("damage:  %d to %d", bounded_int<int>(static_cast<float>(low) * f),
                           bounded_int<int>(static_cast<float>(high) * f)),
                LIST_WHITE);
        w.right(format_str("speed:   %d", p.get_weapon_delay(d)), LIST_WHITE);
        const Item ammo = wl.get_ammo_type(d);
        if (ammo != 0L)
          w.right(format_str("ammo:    %s (%ld)", wl.get_full_name(ammo, false).c_str(), inventory.get_qty(ammo)),
                  LIST_WHITE);
      }
      if (wl.is_wearable(d) || type == ITEM_WEAPON)
        class_lines(w, d, p, [&d](int cls) { return wl.check_class(d, cls); }, false);
      if (PLAYER_LEVELS && !g_no_requirements && wl.get_level_req(d) > 1)
        w.right(format_str("rqd lvl: %d", wl.get_level_req(d)),
                p.check_requirement(d) == 0 ? LIST_WHITE : LIST_RED);
    }
    if ((in.kind == SELECT_BUY || in.kind == SELECT_SELL || in.kind == SELECT_BANK) && !is_spell_item(base))
      w.right(format_str("load:    %d/%d", bounded_int<int>(inventory.total_weight), p.get_carry_str()),
              LIST_WHITE);
  }

  if (base == ITEM_BASE_CARD) {
    Item plain = d.from_bank();
    plain.unbless();
    Item blessed = plain;
    blessed.bless();
    w.at(w.c + 1, DETAIL_RIGHT_X,
         format_str("cards held: %ld", inventory.get_qty_basecode(ITEM_BASE_CARD)), LIST_WHITE);
    w.at(w.c + 2, DETAIL_RIGHT_X,
         format_str("copies of:  %ld", inventory.get_qty(plain) + inventory.get_qty(blessed)), LIST_WHITE);
  }

  const int t = w.c > pic + 1 ? w.c + 2 : pic + 4;
  const std::string desc = wl.get_description(d);
  if (!desc.empty()) {
    w.at(t, 9, desc, LIST_LIGHT_GREY);
    box.lines.back().wrapped = true;
  }
  if (is_spell_item(base)) {
    const std::string sdesc = spells.get_description(d.get_modifier());
    if (!sdesc.empty()) {
      w.at(desc.empty() ? t : t + 2, 9, sdesc, LIST_LIGHT_GREY);
      box.lines.back().wrapped = true;
    }
  }
  return box;
}

ItemDetailBox list_item_detail(const ListState& st, const ItemList* list, int mouse_row,
                               const ItemListEl* under_mouse, Player& p, const ItemList& inventory) {
  const ListHighlight hl = list_highlight(st, list, mouse_row, under_mouse);
  const ListRow row = st.rows.empty() ? ListRow() : st.rows[static_cast<size_t>(hl.row)];
  ItemDetailInput in;
  in.item = hl.item;
  in.colour = row.colour;
  in.qty = row.qty;
  in.price = row.price;
  in.kind = st.kind;
  in.list = list;
  if (hl.entry) in.entry_text = hl.entry->text;
  return item_detail_lines(in, p, inventory);
}
