// The card windows: the picture path, the hand's places, card faces and the picture cache.

#include "display/cards.h"

#include <allegro.h>
#include <gtest/gtest.h>
#include <loadpng.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "app/globals.h"
#include "core/item_data.h"
#include "display/display.h"
#include "headless.h"
#include "support/temp_dir.h"

namespace {

TEST(CardPicturePath, RefusesNamesLeavingTheFolder) {
  const struct {
    const char* name;
    const char* path;
  } cases[] = {
      {"heron.png", "pics/cards/heron.png"},
      {"birds/heron.png", "pics/cards/birds/heron.png"},
      {"..heron.png", "pics/cards/..heron.png"},
      {"", ""},
      {"/etc/passwd", ""},
      {"../special.png", ""},
      {"birds/../../special.png", ""},
      {"birds/..", ""},
      {"..", ""},
      {"birds\\..\\x.png", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(card_picture_path(c.name), c.path) << c.name;
}

std::vector<int64_t> xs(const CardHand& h) {
  std::vector<int64_t> out;
  for (const HandCard& c : h.small) out.push_back(c.x);
  return out;
}

TEST(CardHandLayout, CentredOnAllCopies) {
  // An 800-pixel screen with the 232-pixel panel: panel_x 568, play height 500.
  const std::vector<HandEntry> three = {{Item(1L), "A", 2}, {Item(2L), "B", 1}};
  const struct {
    const char* what;
    int mouse_x, mouse_y;
    std::vector<int64_t> small;
    bool hovered;
    int64_t hx;
    const char* hname;
  } cases[] = {
      {"mouse away", 0, 0, {149, 239, 329}, false, 0, ""},
      {"over the middle card", 249, 400, {149, 329}, true, 208, "A"},
      {"right edge of a card", 239 + 87, 360, {149, 329}, true, 208, "A"},
      {"gap between cards", 239 + 88, 360, {149, 239, 329}, false, 0, ""},
      {"bottom row of the hover band", 330, 486, {149, 239}, true, 298, "B"},
      {"below the band", 330, 487, {149, 239, 329}, false, 0, ""},
  };
  for (const auto& c : cases) {
    CardHand h = card_hand_layout(three, 568, 500, 800, c.mouse_x, c.mouse_y);
    EXPECT_EQ(h.copies, 3) << c.what;
    EXPECT_EQ(xs(h), c.small) << c.what;
    for (const HandCard& s : h.small) EXPECT_EQ(s.y, 360) << c.what;
    ASSERT_EQ(h.has_hovered, c.hovered) << c.what;
    if (c.hovered) {
      EXPECT_EQ(std::make_tuple(h.hovered.x, h.hovered.y, h.hovered.name),
                std::make_tuple(c.hx, 255, std::string(c.hname)))
          << c.what;
    }
  }
}

TEST(CardHandLayout, HugeCountsListOnlyTheCopiesOnTheBitmap) {
  // Two stacks of 10^12: copy 10^12 (the first of B) sits at 284, the middle.
  const int64_t t = 1000000000000LL;
  const std::vector<HandEntry> hand = {{Item(1L), "A", t}, {Item(2L), "B", t}, {Item(3L), "C", -5}};
  CardHand h = card_hand_layout(hand, 568, 500, 800, -1, -1);
  EXPECT_EQ(h.copies, 2 * t);
  EXPECT_EQ(h.first_x, 284 - 45 * 2 * t);
  // -87 .. 799 holds x = 284 + 90 j for j = -4 .. 5.
  ASSERT_EQ(h.small.size(), 10u);
  EXPECT_EQ(h.small.front().x, 284 - 360);
  EXPECT_EQ(h.small.back().x, 284 + 450);
  for (const HandCard& c : h.small) EXPECT_EQ(c.name, c.x < 284 ? "A" : "B") << c.x;

  const std::vector<HandEntry> absurd = {{Item(1L), "A", INT64_MAX}, {Item(2L), "B", INT64_MAX}};
  h = card_hand_layout(absurd, 568, 500, 800, -1, -1);
  EXPECT_GT(h.copies, 0);
  EXPECT_LE(h.small.size(), 10u);
  for (const HandCard& c : h.small) {
    EXPECT_GE(c.x, -87);
    EXPECT_LT(c.x, 800);
  }
  EXPECT_TRUE(card_hand_layout({}, 568, 500, 800, 0, 0).small.empty());
}

struct CardDrawTest : ::testing::Test {
  TempDir dir;
  std::map<std::string, BITMAP*> pictures;
  BITMAP* dest = nullptr;
  BITMAP* work = nullptr;
  struct ItemCall {
    long code;
    int x, y;
    bool doubled;
  };
  std::vector<ItemCall> item_calls;

  void SetUp() override {
    headless_allegro(32);
    dest = create_bitmap(400, 300);
    work = create_bitmap(400, 400);
    clear_to_color(dest, makecol(1, 2, 3));
  }
  void TearDown() override {
    free_card_pictures(pictures);
    destroy_bitmap(dest);
    destroy_bitmap(work);
  }
  CardDraw how() {
    CardDraw h;
    h.work = work;
    h.pictures = &pictures;
    h.draw_item = [this](BITMAP*, const Item& item, int x, int y, bool doubled) {
      item_calls.push_back({item.intVal(), x, y, doubled});
    };
    return h;
  }
  static void write_picture(const std::string& path, int r, int g, int b) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    BITMAP* p = create_bitmap_ex(24, 40, 30);
    clear_to_color(p, makecol_depth(24, r, g, b));
    save_png(path.c_str(), p, nullptr);
    destroy_bitmap(p);
  }
};

Card make_card(const std::string& name, char type, const std::string& picture, int number) {
  Card c;
  c.name = name;
  c.type = type;
  c.cost = 2;
  c.power = 1;
  c.toughness = 2;
  c.picture = picture;
  c.number = number;
  c.text1 = "Sees the whole marsh.";
  return c;
}

TEST_F(CardDrawTest, FaceColoursByType) {
  const struct {
    char type;
    int r, g, b;
  } cases[] = {{'c', 4, 68, 118}, {'a', 96, 92, 80}, {'s', 157, 0, 63}, {'x', 0, 0, 0}};
  for (const auto& c : cases) {
    draw_card_face(make_card("N", c.type, "", 0), dest, 10, 20, false, how());
    EXPECT_EQ(getpixel(dest, 10, 20), makecol(0, 0, 0)) << c.type;
    EXPECT_EQ(getpixel(dest, 13, 23), makecol(c.r, c.g, c.b)) << c.type;
    // The text box of a small card, below its 58-pixel picture.
    EXPECT_EQ(getpixel(dest, 10 + 80, 20 + 58 + 23), makecol(38, 35, 47)) << c.type;
    // Nothing beyond the 88 by 127 card.
    EXPECT_EQ(getpixel(dest, 10 + 88, 20), makecol(1, 2, 3)) << c.type;
    EXPECT_EQ(getpixel(dest, 10, 20 + 127), makecol(1, 2, 3)) << c.type;
  }
}

TEST_F(CardDrawTest, PictureLoadedOnceMissingOneNeverRetried) {
  write_picture("pics/cards/heron.png", 10, 200, 30);
  write_picture("pics/special.png", 250, 250, 0);
  const struct {
    const char* what;
    Card card;
    bool large;
    bool shown;
    ItemCall item;  // when there is no picture
  } cases[] = {
      {"picture", make_card("Heron", 'c', "heron.png", 0), false, true, {}},
      {"missing file, no item", make_card("Rat", 'c', "rat.png", 0), false, false, {286, 38, 42, false}},
      {"missing file, large, item", make_card("Bell", 'a', "bell.png", 0x5bb), true, false, {0x5bb, 63, 51, true}},
      {"outside the folder", make_card("Sneak", 'c', "../special.png", 0), false, false, {286, 38, 42, false}},
  };
  for (const auto& c : cases) {
    item_calls.clear();
    draw_card_face(c.card, dest, 10, 20, c.large, how());
    ASSERT_EQ(pictures.count(c.card.name), 1u) << c.what;
    EXPECT_EQ(pictures[c.card.name] != nullptr, c.shown) << c.what;
    const int px = 10 + (c.large ? 9 : 6), top = 33;
    if (c.shown) {
      EXPECT_EQ(getpixel(dest, px + 20, top + 20), makecol(10, 200, 30)) << c.what;
      EXPECT_TRUE(item_calls.empty()) << c.what;
    } else {
      EXPECT_EQ(getpixel(dest, px + 2, top + 2), makecol(0, 0, 0)) << c.what;
      ASSERT_EQ(item_calls.size(), 1u) << c.what;
      const ItemCall& got = item_calls[0];
      EXPECT_EQ(std::tie(got.code, got.x, got.y, got.doubled),
                std::tie(c.item.code, c.item.x, c.item.y, c.item.doubled))
          << c.what;
    }
  }
  // The missing picture appears later: the card keeps showing its item.
  write_picture("pics/cards/rat.png", 10, 200, 30);
  item_calls.clear();
  draw_card_face(make_card("Rat", 'c', "rat.png", 0), dest, 10, 20, false, how());
  EXPECT_EQ(pictures["Rat"], nullptr);
  EXPECT_EQ(item_calls.size(), 1u);
}

TEST_F(CardDrawTest, LinkedCardAndUnknownNames) {
  wl.cards["Heron Scout"] = make_card("Heron Scout", 'c', "", 0);
  d.work_bitmap = work;
  const int before = getpixel(dest, 200, 150);
  d.card_link = "No Such Card";
  d.draw_linked_card(dest);
  d.draw_card("Also Missing", dest, 100, 100, true);
  for (int y = 0; y < 300; y += 7)
    for (int x = 0; x < 400; x += 7) ASSERT_EQ(getpixel(dest, x, y), before) << x << "," << y;
  d.card_link = "";
  d.draw_linked_card(dest);
  EXPECT_EQ(getpixel(dest, 0, 0), before);

  d.card_link = "Heron Scout";
  d.draw_linked_card(dest);
  EXPECT_EQ(getpixel(dest, 0, 0), makecol(0, 0, 0));
  EXPECT_EQ(getpixel(dest, 3, 3), makecol(4, 68, 118));
  EXPECT_EQ(getpixel(dest, 166, 228), makecol(4, 68, 118));
  EXPECT_EQ(getpixel(dest, 170, 10), before);

  wl.cards.erase("Heron Scout");
  d.card_link.clear();
  d.work_bitmap = nullptr;
  free_card_pictures(d.card_pictures);
}

}  // namespace
