#include "display/item_tint.h"

#include <gtest/gtest.h>

#include "core/item.h"
#include "unit/core/item_test_world.h"

namespace {

Item make(int base, int material, const std::string& text = "", int prefix = 0, int colour = 0) {
  Item i = make_code(base, 0, 0, 0);
  i.set_material(material);
  i.text = text;
  i.set_prefix(prefix);
  i.set_colour(colour);
  return i;
}

TEST(ItemTint, FirstMatchingRule) {
  item_test::ItemWorld world(item_test::WEAPONS, item_test::WEARABLE);
  Item blessed = make(372, 3);
  blessed.bless();
  struct {
    const char* what;
    Item item;
    ItemTint want;
  } cases[] = {
      {"fire material", make(0x181, 22), tint::FIRE},
      {"dark material", make(0x181, 23), tint::DARK},
      {"lesser artifact without a name", make(1800, 1), tint::NONE},
      {"lesser artifact with a name", make(1800, 1, "Dawn"), tint::PURPLE},
      {"artifact without a name", make(1600, 1), tint::SKY},
      {"artifact with a name", make(1600, 1, "Dusk"), tint::BLUE},
      {"named, high prefix", make(0x181, 1, "Edge", 144), tint::GREEN},
      {"named, middle prefix", make(0x181, 1, "Edge", 80), tint::ORANGE},
      {"named, low prefix", make(0x181, 1, "Edge", 16), tint::RED},
      {"named, no prefix", make(0x181, 1, "Edge", 0), tint::PURPLE},
      {"name ending in _ ignores the prefix", make(0x181, 1, "Edge_", 144), tint::PURPLE},
      // 0xF80: 15 x 17, 8 x 17, 0.
      {"own colour", make(0x181, 1, "Edge", 144, 0xF80), ItemTint{255, 136, 0, 0}},
      {"372 blessed", blessed, ItemTint{209, 185, 255, 1}},
      // Copper's table colour c73: 12 x 17, 7 x 17, 3 x 17.
      {"372 by material", make(372, 3), ItemTint{204, 119, 51, 'x'}},
      {"372 without material", make(372, 0), tint::NONE},
      {"plain sword", make(0x181, 1), tint::NONE},
  };
  for (auto& c : cases) {
    ItemTint got = item_tint(c.item);
    EXPECT_TRUE(got == c.want) << c.what << ": got " << got.red << "," << got.green << ","
                               << got.blue << " mode " << static_cast<int>(got.mode);
  }
}

}  // namespace
