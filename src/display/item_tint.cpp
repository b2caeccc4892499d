// Which tint an item's picture gets, first matching rule first.

#include "display/item_tint.h"

#include "core/item.h"
#include "core/item_data.h"
#include "display/display.h"

namespace {
constexpr int MAT_FIRE = 22;
constexpr int MAT_DARK = 23;
constexpr int TO_MOD_DARK = 15;

// A 12-bit colour, 4 bits per component from red down, as a tint.
ItemTint from_12_bits(int c, char mode) {
  return {((c >> 8) & 15) * 17, ((c >> 4) & 15) * 17, (c & 15) * 17, mode};
}
}  // namespace

ItemTint item_tint(const Item& item) {
  const int material = item.get_material();
  if (material == MAT_FIRE) return tint::FIRE;
  if (material == MAT_DARK) return tint::DARK;
  const int modifier = item.get_modifier();
  if (wl.get_type(item) == 'G' && item.get_to_mod() == TO_MOD_DARK && modifier >= 1 &&
      modifier <= 15)
    return tint::DARK;

  const int base = item.get_base_code();
  const bool lesser = base >= ITEM_LESSER_ARTIFACT_FIRST && base <= ITEM_ARTIFACT_LAST;
  if (lesser && item.text.empty()) return tint::NONE;
  if (base >= ITEM_ARTIFACT_FIRST && base < ITEM_LESSER_ARTIFACT_FIRST)
    return item.text.empty() ? tint::SKY : tint::BLUE;

  if (wl.is_named(item) && !(item.is_quest_item() && item.text.empty())) {
    if (wl.get_parent_code(item).get_base_code() == ITEM_PARENT_CARD_LIKE || base == ITEM_BASE_CARD)
      return tint::NONE;
    if (item.get_colour() != 0) return from_12_bits(item.get_colour(), 0);
    const int prefix = item.get_prefix_bits();
    if (item.text.empty() || item.text.back() != '_') {
      if (prefix >= 144) return tint::GREEN;
      if (prefix >= 80) return tint::ORANGE;
      if (prefix >= 16) return tint::RED;
    }
    return item.text.empty() ? tint::VIOLET : tint::PURPLE;
  }

  if (base == ITEM_BASE_LEVEL_TOKEN) {
    if (item.is_blessed()) return {209, 185, 255, 1};
    if (material != 0) return from_12_bits(wl.material_colour(material), 'x');
  }
  return tint::NONE;
}
