#pragma once
// The colour an item's picture is tinted with: a preset or a colour of the
// item's own, with a mode that the tile drawers act on.

class Item;

struct ItemTint {
  int red = 0, green = 0, blue = 0;
  // 's' dark, 'f' fire, 'x' material colour, 1 blessed, 0 plain.
  char mode = 0;
  bool operator==(const ItemTint& o) const {
    return red == o.red && green == o.green && blue == o.blue && mode == o.mode;
  }
};

namespace tint {
constexpr ItemTint DARK{0, 0, 0, 's'};
constexpr ItemTint BLUE{16, 144, 255, 0};
constexpr ItemTint FIRE{0, 0, 0, 'f'};
constexpr ItemTint VIOLET{153, 0, 255, 0};
constexpr ItemTint PURPLE{128, 0, 255, 0};
constexpr ItemTint ORANGE{192, 96, 0, 0};
constexpr ItemTint GREEN{0, 192, 0, 0};
constexpr ItemTint RED{192, 0, 0, 0};
constexpr ItemTint SKY{32, 80, 240, 0};
constexpr ItemTint NONE{0, 0, 0, 0};
}  // namespace tint

ItemTint item_tint(const Item& item);
