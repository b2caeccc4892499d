// Prices, random picks, recipes and cards.

#include "core/item_data.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "core/string_utils.h"

#include "app/globals.h"
#include "item_test_world.h"

namespace {

using item_test::ItemWorld;
using item_test::MISC;
using item_test::WEAPONS;
using item_test::WEARABLE;

const std::string PRICED_MISC = std::string(MISC) +
                                "1d3 cup x 15 x g m 0 0.2 n\n"
                                "1d4 bent_nail x -50 x g m 0 0.1 n\n"
                                "610 old_relic x 500 x x x 0 1 n\n";

struct Prices : ::testing::Test {
  ItemWorld w{WEAPONS, WEARABLE, PRICED_MISC, "600\t181\tKilnheart\t1\t1,4:2,2\t3\n"};
};

TEST_F(Prices, OrdinaryItems) {
  struct Case {
    const char* what;
    Item item;
    int price;
  } cases[] = {
      {"no record", Item(0x1ffL), -1},
      {"no base price", make_code(0x16e, 1, 3, 5), 0},
      {"negative base price", Item(0x1d4L), 0},
      {"plain", Item(0x181L), 40},
      {"attack +0, steel", make_code(0x181, MAT_STEEL, 1, 0), 48},
      {"attack +0, copper", make_code(0x181, MAT_COPPER, 1, 0), 44},
      {"attack +0, brass", make_code(0x181, MAT_BRASS, 1, 0), 40},
      {"stat bonus", make_code(0x181, 0, 2, 3), 310},
      {"stat bonus, steel", make_code(0x181, MAT_STEEL, 2, 3), 372},
      {"leeching", make_code(0x181, 0, 9, 1), 208},
      {"magic resistance", make_code(0x181, 0, 10, 2), 1679},
      {"enchanted", make_code(0x181, 0, 8, 2), 1200},
      {"enchanted, steel", make_code(0x181, MAT_STEEL, 8, 2), 1440},
      {"scroll of circle 3", make_code(0x11e, 0, 0, 2), 280},
      {"scroll of no spell", make_code(0x11e, 0, 0, 0), 100},
      {"spell book of circle 3", make_code(1309, 0, 0, 2), 280},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(wl.get_price(c.item), c.price);
    EXPECT_EQ(wl.get_buy_price(c.item), c.price);
  }
  Item unid = make_code(0x181, MAT_STEEL, 10, 9);
  unid.set_unidentified();
  EXPECT_EQ(wl.get_price(unid), 40);
}

TEST_F(Prices, Artifacts) {
  Item art(0x600L);
  // Parts on the parent (40 coins) in the default steel: attack +4 is
  // 40 + 40 * 0.6 * 4^1.2 = 166.7, x 1.2 = 200; strength +2 is 220 x 1.2 = 264.
  EXPECT_EQ(wl.get_price(art), 464);
  art.set_unidentified();
  EXPECT_EQ(wl.get_price(art), 0);  // named records have no price of their own
  Item relic(0x610L);
  EXPECT_EQ(wl.get_price(relic), 0);  // identified, no effects
  relic.set_unidentified();
  EXPECT_EQ(wl.get_price(relic), 500);
}

// A part on another artifact costs what that artifact costs (464 coins for
// Kilnheart in steel, above), whatever the entry; parents are followed down
// a chain, and a chain that loops prices nothing.
TEST(ItemPrices, ArtifactOnArtifactParents) {
  ItemWorld w(WEAPONS, WEARABLE, PRICED_MISC,
              "600\t181\tKilnheart\t1\t1,4:2,2\t3\n"
              "620\t600\tKiln_Twin\t1\t1,1:2,2\n"
              "621\t620\tKiln_Heir\t1\t5,1\n"
              "622\t600\tKiln_Echo\t1\n"
              "630\t181\tLoop_A\t1\t1,4\n"
              "631\t630\tLoop_B\t1\t1,4\n"
              "630\t631\tLoop_A\t1\t1,4\n");
  struct Case {
    int code;
    int price;
  };
  const Case cases[] = {
      {0x600, 464}, {0x620, 928}, {0x621, 928}, {0x622, 0}, {0x630, 0}, {0x631, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(wl.get_price(Item(static_cast<long>(c.code))), c.price) << std::hex << c.code;
  }
}

TEST_F(Prices, SellPrices) {
  const struct {
    const char* what;
    long code;
    bool cursed;
    int sell;
  } cases[] = {
      {"cup", 0x1d3, false, 1},
      {"cursed cup", 0x1d3, true, 0},
      {"blade", 0x181, false, 4},
      {"cursed blade", 0x181, true, 2},
      {"no record", 0x1ff, false, -1},
      {"no base price", 0x16e, false, 0},
      // A negative base price in the data sells for nothing, not for a debt.
      {"negative base price", 0x1d4, false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Item item(c.code);
    if (c.cursed) item.curse();
    EXPECT_EQ(wl.get_sell_price(item), c.sell);
  }
}

// Artifacts whose parents lead back to artifacts, or to nothing at all.
TEST(ItemPrices, ArtifactPartsDoNotLoop) {
  ItemWorld w(WEAPONS, WEARABLE, MISC,
              "601\t181\tFirst\t0\t1,2\n"
              "602\t601\tSecond\t0\t1,3\n"
              "601\t602\tFirst_Again\t0\t1,2\n"
              "603\t0\tOrphan\t1\t1,2:3,1\n"
              "604\t604\tSelf\n"
              "605\t181\tOwn_Parent\t0\t1,1\n"
              "605\t605\tOwn_Parent\t0\t1,1\n");
  EXPECT_EQ(wl.get_record(0x601)->parent_code, 0x602);
  EXPECT_EQ(wl.get_price(Item(0x601L)), 0);
  EXPECT_EQ(wl.get_price(Item(0x602L)), 0);
  EXPECT_EQ(wl.get_price(Item(0x603L)), 0);
  EXPECT_EQ(wl.get_price(Item(0x605L)), 0);
  EXPECT_EQ(wl.get_record(0x604), nullptr);
  EXPECT_EQ(wl.get_full_name(Item(0x601L), false), "First Again");
}

// Spell circles come from a data file and may be anything: the scroll price
// 25 * circle^1.8 + 100 and the enchantment's level need
// max(circle * 30 / 7 + 46, 61) grow with the circle up to the int limit
// and never wrap; a circle below 0 counts as 0.
TEST(ItemPrices, ScrollPriceAndEnchantNeedByCircle) {
  struct Case {
    int circle;
    int scroll_price;
    int enchant_need;
  };
  const Case cases[] = {
      {INT_MIN, 100, 61},
      {-2, 100, 61},
      {0, 100, 61},
      {3, 280, 61},
      {10, 1677, 88},
      {25573, INT_MAX, 109644},
      {1000000, INT_MAX, 4285760},
      {INT_MAX, INT_MAX, INT_MAX},
  };
  ItemWorld w(WEAPONS, WEARABLE, MISC);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.circle);
    TempDir::write("dat/spells.txt", item_test::spell("1", "if", "Kindle", 1, c.circle, "none"));
    spells.load();
    ASSERT_EQ(spells.get_circle(1), c.circle);
    EXPECT_EQ(wl.get_price(make_code(0x11e, 0, 0, 1)), c.scroll_price);
    EXPECT_EQ(wl.get_price(make_code(1295, 0, 0, 1)), c.scroll_price);
    EXPECT_EQ(wl.req_level_skill(8, 1), c.enchant_need);
  }
}

TEST(ItemPrices, RecipeRoundTrip) {
  ItemWorld w(WEAPONS, WEARABLE, MISC);
  Item product = make_code(0x181, 0x23, 1, 5);
  product.set_bless_bit();
  ASSERT_EQ(product.extra, 2u);
  Item recipe = wl.make_recipe(product);
  EXPECT_EQ(recipe.get_base_code(), ITEM_BASE_RECIPE);
  EXPECT_EQ(recipe.code, (2 << 12) | 1494);
  Item back = wl.get_recipe_product(recipe);
  EXPECT_EQ(back.code, product.code & 0x7FFFFFF);  // the blessing is not carried
  EXPECT_EQ(back.extra, 2u);
  EXPECT_FALSE(back.has_bless_bit());
  EXPECT_TRUE(wl.is_legit(recipe));
}

TEST(ItemPrices, RandomPicks) {
  srand(11);
  {
    ItemWorld w(WEAPONS);
    EXPECT_TRUE(wl.random_jewelry() == -1);
    EXPECT_TRUE(wl.random_artifact_of_rarity(3) == Item());
    EXPECT_TRUE(wl.random_artifact() == Item());
    EXPECT_TRUE(wl.random_merchant_item('q') == Item());
  }
  // Enough candidates that 1000 draws cannot miss them all.
  std::string named, misc(MISC);
  for (int n = 0; n < 40; ++n) {
    named += item_test::tabs({format_str("%x", 0x600 + n), "181", "Relic", "1", "1,4", "3"});
    misc += format_str("%x trinket x 5 x k x 0 0.1 n\n", 0x1d0 + n);
  }
  ItemWorld w(WEAPONS, WEARABLE, misc, named);
  Item art = wl.random_artifact_of_rarity(3);
  EXPECT_GE(art.code, 0x600);
  EXPECT_LT(art.code, 0x600 + 40);
  EXPECT_TRUE(wl.random_artifact_of_rarity(4) == Item());
  EXPECT_TRUE(wl.random_artifact().is_artifact());
  Item e = wl.random_equipment();
  EXPECT_TRUE(wl.is_weapon(e) || wl.is_wearable(e));
  EXPECT_FALSE(wl.is_jewelry(e));
  EXPECT_GT(wl.get_price(e), 0);
  Item m = wl.random_merchant_item('k');
  EXPECT_EQ(wl.get_merch(m), 'k');
}

TEST(ItemCards, Columns) {
  ItemWorld w(WEAPONS);
  TempDir::write("dat/cards.txt",
                 "# name\ttype\tcost\n"
                 "\n"
                 "Fire Drake\tc\t5\t4\t3\t-\tr\t\"Drake\"\tflying, first strike ,wallop,bogus\t5bb\t\t"
                 "\"Breathes fire.\"\tsecond\textra\n"
                 "Rat\tc\t1\t2\n"
                 "Heron\tc\t2\t1\t2\t-\tb\tBird\t\t0\theron.png\n"
                 "Blast\ts\t3\n"
                 "\"\"\tc\t1\n"
                 "Nope\t\t1\n"
                 "Odd\tq\t1\t1\t1\n");
  wl.reload();
  EXPECT_EQ(wl.get_cards().size(), 5u);
  const Card* d = wl.get_card("Fire Drake");
  ASSERT_NE(d, nullptr);
  // Quoted texts lose their quotes; abilities are a trimmed list with the
  // unknown ones left out; the picture defaults to the name.
  EXPECT_EQ(d->subtype, "Drake");
  EXPECT_TRUE(d->first_strike);
  EXPECT_TRUE(d->wallop);
  EXPECT_FALSE(d->haste);
  EXPECT_EQ(d->number, 0x5bb);
  EXPECT_EQ(d->picture, "fire_drake.png");
  EXPECT_EQ(d->get_text1(), "Breathes fire.\n");
  EXPECT_EQ(d->extra_text, "extra");
  EXPECT_EQ(d->get_type_str(), "Creature: Drake");
  EXPECT_EQ(d->get_pt_str(), "4/3");

  const Card* rat = wl.get_card("Rat");  // four columns: power only
  ASSERT_NE(rat, nullptr);
  EXPECT_EQ(rat->get_pt_str(), "2/0");
  EXPECT_EQ(wl.get_card("Heron")->picture, "heron.png");
  EXPECT_EQ(wl.get_card("Blast")->get_type_str(), "Sorcery");
  EXPECT_EQ(wl.get_card("Blast")->get_pt_str(), "");
  EXPECT_EQ(wl.get_card("Odd")->get_type_str(), "Unknown");
  EXPECT_EQ(wl.get_card("Nope"), nullptr);

  // A reload without the file empties the cards.
  std::remove("dat/cards.txt");
  wl.reload();
  EXPECT_TRUE(wl.get_cards().empty());
}

}  // namespace
