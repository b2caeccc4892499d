// Item pictures, one per object picture number in the order of the sample
// object-tile table. Metal parts are pure greys so that the client can tint
// them with the item's material colour.
#include <cmath>
#include <functional>

#include "art.h"

namespace mk {

namespace {

using Pts = std::vector<std::pair<double, double>>;

const uint32_t WOOD = rgb(150, 100, 55), WOOD_DARK = rgb(105, 68, 36), LEATHER = rgb(130, 85, 50);
const uint32_t CLOTH = rgb(90, 110, 160), PAPER = rgb(235, 225, 190), GOLD = rgb(240, 200, 60);
const uint32_t STEEL = grey(190), IRON = grey(140);

Image finish(Image t) {
  t.light();
  t.outline();
  return t;
}

void blade(Image& t, double len) {
  // A sword lying diagonally from the lower left (hilt) to the upper right.
  double x0 = 8, y0 = 24, x1 = x0 + len * 0.7, y1 = y0 - len * 0.7;
  t.line(x0 + 3, y0 - 3, x1, y1, STEEL, 3.2);
  t.line(x0 + 4, y0 - 4, x1 - 1, y1 + 1, grey(235), 1);
  t.line(x0 - 1, y0 - 6, x0 + 6, y0 + 1, GOLD, 2.5);  // cross guard
  t.line(x0 - 3, y0 + 3, x0 + 2, y0 - 2, LEATHER, 2.5);
  t.disc(x0 - 3.5, y0 + 3.5, 1.8, GOLD);
}

void haft(Image& t, double x0, double y0, double x1, double y1, uint32_t c = WOOD) {
  t.line(x0, y0, x1, y1, c, 2.6);
}

void bottle(Image& t, uint32_t liquid) {
  t.ellipse(16, 21, 8, 8, rgb(200, 220, 230));
  t.ellipse(16, 22, 7, 6.5, liquid);
  t.rect(13, 7, 18, 14, rgb(200, 220, 230));
  t.rect(13, 4, 18, 7, rgb(140, 100, 60));
  t.disc(13, 19, 1.5, rgb(255, 255, 255));
}

void scroll(Image& t, uint32_t seal) {
  t.rect(8, 8, 23, 24, PAPER);
  t.ellipse(16, 8, 9, 2.5, shade(PAPER, 0.85));
  t.ellipse(16, 24, 9, 2.5, shade(PAPER, 0.85));
  for (int y = 12; y <= 20; y += 3) t.line(10, y, 21, y, rgb(120, 100, 80));
  if (seal != MASK) t.disc(20, 22, 2.5, seal);
}

void book(Image& t, uint32_t cover) {
  t.poly({{6, 9}, {22, 6}, {26, 23}, {10, 26}}, cover);
  t.poly({{10, 26}, {26, 23}, {26, 25}, {10, 28}}, PAPER);
  t.line(8, 10, 12, 26, shade(cover, 0.6), 1.5);
  t.disc(17, 15, 2.5, GOLD);
}

void token(Image& t, uint32_t c, uint32_t mark) {
  t.disc(16, 16, 10, c);
  t.ring(16, 16, 7, 8, shade(c, 0.7));
  t.disc(16, 16, 3, mark);
}

void ring(Image& t, uint32_t band, uint32_t stone) {
  t.ring(16, 18, 5, 8, band);
  if (stone != MASK) t.disc(16, 9, 3.2, stone);
}

void amulet(Image& t, uint32_t chain, uint32_t stone) {
  t.ring(16, 12, 8, 9, chain);
  t.disc(16, 22, 5, shade(chain, 0.9));
  t.disc(16, 22, 3, stone);
}

void torso(Image& t, uint32_t c, bool sleeves) {
  t.poly({{9, 7}, {23, 7}, {24, 27}, {8, 27}}, c);
  if (sleeves) {
    t.poly({{9, 7}, {3, 18}, {7, 20}, {10, 13}}, shade(c, 0.9));
    t.poly({{23, 7}, {29, 18}, {25, 20}, {22, 13}}, shade(c, 0.9));
  }
  t.poly({{13, 7}, {19, 7}, {16, 11}}, MASK);
}

void boot(Image& t, uint32_t c, double dx) {
  t.rect(static_cast<int>(8 + dx), 6, static_cast<int>(14 + dx), 22, c);
  t.poly({{8 + dx, 22}, {14 + dx, 18}, {20 + dx, 22}, {20 + dx, 26}, {8 + dx, 26}}, c);
  t.rect(static_cast<int>(8 + dx), 25, static_cast<int>(20 + dx), 26, shade(c, 0.6));
}

void glove(Image& t, uint32_t c, double dx) {
  t.rect(static_cast<int>(8 + dx), 16, static_cast<int>(16 + dx), 26, shade(c, 0.9));
  t.ellipse(12 + dx, 13, 5, 5, c);
  for (int f = 0; f < 3; ++f) t.rect(static_cast<int>(8 + dx + f * 3), 5, static_cast<int>(9 + dx + f * 3), 10, c);
  t.rect(static_cast<int>(16 + dx), 11, static_cast<int>(18 + dx), 15, c);
}

void fish(Image& t, uint32_t body, double len) {
  t.ellipse(15, 16, len / 2, 5, body);
  t.poly({{15 + len / 2 - 1, 16}, {15 + len / 2 + 6, 10}, {15 + len / 2 + 6, 22}}, shade(body, 0.8));
  t.disc(15 - len / 2 + 3, 15, 1.2, BLACK);
  t.line(10, 19, 20, 19, shade(body, 1.3));
}

void plant(Image& t, int stage, uint32_t leaf, uint32_t crop) {
  t.ellipse(16, 27, 10, 3, rgb(100, 70, 40));
  int h = 5 + stage * 4;
  t.line(16, 27, 16, 27 - h, leaf, 2);
  for (int k = 0; k < stage + 1; ++k) {
    double y = 27 - h * (0.3 + 0.2 * k);
    t.ellipse(12, y, 4, 2, leaf);
    t.ellipse(20, y - 2, 4, 2, leaf);
  }
  if (crop != MASK) t.disc(16, 27 - h, 3 + stage / 2.0, crop);
}

void fire(Image& t, int frame) {
  t.line(7, 27, 25, 23, WOOD_DARK, 3);
  t.line(7, 23, 25, 27, WOOD, 3);
  double s = 1.0 + 0.12 * ((frame % 2) ? 1 : -1);
  double sway = (frame - 1.5) * 0.8;
  t.poly({{9, 24}, {12 + sway, 12 - 3 * s}, {16 + sway, 4 * s + 2}, {20 + sway, 12 - 2 * s}, {23, 24}}, rgb(230, 80, 20));
  t.poly({{12, 24}, {15 + sway, 14}, {16 + sway, 10}, {18 + sway, 15}, {20, 24}}, rgb(255, 200, 40));
}

struct ItemDef {
  const char* name;
  int frames;
  std::function<void(Image&, int)> draw;
};

std::vector<ItemDef> defs() {
  auto one = [](const char* n, std::function<void(Image&)> f) {
    return ItemDef{n, 1, [f](Image& t, int) { f(t); }};
  };
  std::vector<ItemDef> d;
  d.push_back(one("gold coins", [](Image& t) {
    for (int k = 0; k < 4; ++k) {
      t.ellipse(12, 24 - k * 3, 7, 3, k % 2 ? GOLD : shade(GOLD, 0.85));
    }
    t.ellipse(22, 22, 6, 6, GOLD);
    t.ellipse(22, 22, 3.5, 3.5, shade(GOLD, 1.15));
    t.ellipse(20, 12, 5, 5, shade(GOLD, 0.9));
  }));
  d.push_back(one("lamp oil", [](Image& t) {
    t.rect(10, 10, 22, 27, rgb(120, 90, 60));
    t.rect(14, 5, 18, 10, rgb(150, 110, 70));
    t.rect(11, 15, 21, 21, rgb(230, 200, 90));
  }));
  d.push_back(one("marsh grub", [](Image& t) {
    for (int k = 0; k < 5; ++k) t.disc(8 + k * 4, 18 + (k % 2), 3.5, rgb(220, 210, 160));
    t.disc(26, 17, 3, rgb(160, 110, 80));
  }));
  d.push_back(one("raw gem", [](Image& t) {
    t.poly({{16, 7}, {25, 14}, {21, 26}, {11, 26}, {7, 14}}, rgb(80, 200, 120));
    t.poly({{16, 7}, {19, 14}, {13, 14}}, rgb(180, 255, 200));
  }));
  d.push_back(one("tin cup", [](Image& t) {
    t.poly({{9, 9}, {23, 9}, {21, 26}, {11, 26}}, grey(170));
    t.ellipse(16, 9, 7, 2, grey(110));
    t.ring(24, 16, 3, 4.5, grey(170));
  }));
  d.push_back(one("iron nail", [](Image& t) {
    t.line(10, 23, 22, 9, IRON, 2);
    t.line(19, 6, 25, 12, IRON, 2.5);
  }));
  d.push_back(one("scroll", [](Image& t) { scroll(t, rgb(190, 30, 30)); }));
  d.push_back(one("counter stack", [](Image& t) {
    for (int k = 0; k < 5; ++k) t.ellipse(16, 24 - 3 * k, 8, 3, k % 2 ? rgb(200, 60, 60) : rgb(240, 240, 230));
  }));
  d.push_back(one("training manual", [](Image& t) { book(t, rgb(60, 110, 60)); }));
  d.push_back(one("unlearning tome", [](Image& t) { book(t, rgb(70, 50, 90)); }));
  d.push_back(one("plank bridge", [](Image& t) {
    for (int k = 0; k < 3; ++k) t.rect(5, 8 + 6 * k, 26, 12 + 6 * k, shade(WOOD, 0.9 + 0.1 * k));
  }));
  d.push_back(one("cut stone", [](Image& t) {
    t.poly({{6, 14}, {16, 9}, {26, 14}, {16, 19}}, grey(185));
    t.poly({{6, 14}, {16, 19}, {16, 27}, {6, 22}}, grey(140));
    t.poly({{26, 14}, {16, 19}, {16, 27}, {26, 22}}, grey(110));
  }));
  d.push_back(one("tile token", [](Image& t) { token(t, rgb(90, 150, 70), rgb(60, 100, 180)); }));
  d.push_back(one("trophy token", [](Image& t) { token(t, rgb(190, 150, 70), rgb(140, 40, 40)); }));
  d.push_back(one("valley pass", [](Image& t) {
    t.rect(6, 10, 25, 22, PAPER);
    t.line(8, 14, 20, 14, rgb(90, 70, 50));
    t.line(8, 17, 17, 17, rgb(90, 70, 50));
    t.disc(22, 19, 2.5, rgb(40, 90, 170));
  }));
  d.push_back(one("short blade", [](Image& t) { blade(t, 17); }));
  d.push_back(one("hill bow", [](Image& t) {
    t.ring(8, 24, 17, 19.5, WOOD);
    for (int y = 0; y < CELL; ++y)
      for (int x = 0; x < CELL; ++x)
        if (x < 8 || y > 24) t.set(x, y, MASK);
    t.line(9, 5, 27, 23, rgb(230, 230, 220));
    t.rect(14, 10, 16, 12, LEATHER);
  }));
  d.push_back(one("round shield", [](Image& t) {
    t.disc(16, 16, 12, WOOD);
    t.ring(16, 16, 10.5, 12, IRON);
    t.disc(16, 16, 3.5, IRON);
    t.line(16, 5, 16, 12, WOOD_DARK);
    t.line(16, 20, 16, 27, WOOD_DARK);
  }));
  d.push_back(one("quarry hammer", [](Image& t) {
    haft(t, 8, 27, 20, 11);
    t.poly({{14, 6}, {24, 2}, {29, 12}, {19, 16}}, IRON);
  }));
  d.push_back(one("reed sling", [](Image& t) {
    t.line(6, 6, 14, 22, rgb(190, 170, 110), 1.5);
    t.line(26, 6, 18, 22, rgb(190, 170, 110), 1.5);
    t.ellipse(16, 23, 5, 3, LEATHER);
    t.disc(16, 21, 2, grey(150));
  }));
  d.push_back(one("kiln wand", [](Image& t) {
    haft(t, 8, 26, 22, 9, rgb(60, 40, 30));
    t.disc(23, 8, 3.5, rgb(255, 120, 30));
    t.disc(23, 8, 1.5, rgb(255, 230, 120));
  }));
  d.push_back(one("fisher spear", [](Image& t) {
    haft(t, 4, 29, 22, 11);
    t.poly({{21, 8}, {28, 3}, {25, 12}}, STEEL);
    t.line(19, 8, 23, 4, STEEL);
  }));
  d.push_back(one("bone knuckles", [](Image& t) {
    for (int k = 0; k < 4; ++k) t.disc(9 + k * 5, 13, 3, rgb(230, 225, 200));
    t.rect(7, 15, 25, 21, rgb(215, 205, 175));
  }));
  d.push_back(one("reed sickle", [](Image& t) {
    t.ring(17, 13, 7, 9.5, STEEL);
    for (int y = 0; y < CELL; ++y)
      for (int x = 0; x < CELL; ++x)
        if (y > 15 && x > 12) t.set(x, y, MASK);
    haft(t, 9, 19, 6, 28);
  }));
  d.push_back(one("alder staff", [](Image& t) {
    haft(t, 7, 29, 24, 4);
    t.disc(24, 5, 3, WOOD_DARK);
    t.ellipse(20, 9, 3, 1.5, rgb(80, 150, 60));
  }));
  d.push_back(one("longblade", [](Image& t) { blade(t, 25); }));
  d.push_back(ItemDef{"campfire", 4, [](Image& t, int f) { fire(t, f); }});
  d.push_back(ItemDef{"marsh light", 3, [](Image& t, int f) {
    double r = 5 + f;
    t.disc(16, 16, r + 3, rgb(60, 120, 110));
    t.disc(16, 16, r, rgb(150, 240, 200));
    t.disc(16, 16, r - 3, rgb(235, 255, 240));
  }});
  d.push_back(one("lantern", [](Image& t) {
    t.rect(10, 9, 22, 26, grey(90));
    t.rect(12, 11, 20, 24, rgb(255, 210, 90));
    t.disc(16, 18, 2.5, rgb(255, 250, 200));
    t.ring(16, 7, 3, 4.5, grey(90));
  }));
  d.push_back(one("healing draught", [](Image& t) { bottle(t, rgb(210, 40, 50)); }));
  d.push_back(one("arrows", [](Image& t) {
    for (int k = 0; k < 3; ++k) {
      double o = k * 4 - 4;
      t.line(6 + o, 26, 24 + o, 8, WOOD, 1.5);
      t.poly({{24 + o, 8}, {26 + o, 3}, {29 + o, 6}}, STEEL);
      t.line(5 + o, 24, 8 + o, 27, rgb(230, 230, 230), 2);
    }
  }));
  d.push_back(one("sling stones", [](Image& t) {
    t.disc(11, 20, 4, grey(150));
    t.disc(20, 22, 4, grey(130));
    t.disc(16, 14, 4, grey(165));
  }));
  d.push_back(one("reed hat", [](Image& t) {
    t.ellipse(16, 20, 14, 4, rgb(210, 190, 110));
    t.poly({{8, 19}, {16, 7}, {24, 19}}, rgb(200, 175, 95));
    t.line(9, 17, 23, 17, rgb(150, 60, 40), 1.5);
  }));
  d.push_back(one("iron helm", [](Image& t) {
    t.ellipse(16, 16, 10, 10, IRON);
    t.rect(6, 16, 26, 24, IRON);
    t.rect(9, 15, 23, 17, grey(40));
    t.rect(15, 14, 17, 24, grey(170));
  }));
  d.push_back(one("quilted coat", [](Image& t) {
    torso(t, rgb(120, 140, 90), true);
    for (int y = 11; y < 27; y += 4) t.line(9, y, 23, y, rgb(90, 105, 65));
  }));
  d.push_back(one("ringmail shirt", [](Image& t) {
    torso(t, grey(150), true);
    for (int y = 9; y < 27; y += 2)
      for (int x = 9 + (y / 2) % 2; x < 24; x += 2)
        if (t.get(x, y) != MASK) t.set(x, y, grey(95));
  }));
  d.push_back(one("plate cuirass", [](Image& t) {
    torso(t, grey(185), false);
    t.line(16, 11, 16, 26, grey(130));
    t.ellipse(12, 15, 3, 4, grey(215));
    t.rect(8, 21, 24, 22, grey(120));
  }));
  d.push_back(one("marsh boots", [](Image& t) {
    boot(t, rgb(70, 90, 60), -2);
    boot(t, rgb(60, 80, 50), 6);
  }));
  d.push_back(one("work gloves", [](Image& t) {
    glove(t, LEATHER, -3);
    glove(t, shade(LEATHER, 0.85), 8);
  }));
  d.push_back(one("wool trousers", [](Image& t) {
    t.poly({{8, 5}, {24, 5}, {26, 28}, {18, 28}, {16, 12}, {14, 28}, {6, 28}}, rgb(110, 90, 70));
    t.rect(8, 5, 24, 7, rgb(80, 60, 45));
  }));
  d.push_back(one("plain ring", [](Image& t) { ring(t, GOLD, MASK); }));
  d.push_back(one("reed amulet", [](Image& t) { amulet(t, rgb(170, 150, 90), rgb(80, 160, 90)); }));
  d.push_back(one("leather bracers", [](Image& t) {
    t.rect(6, 8, 13, 25, LEATHER);
    t.rect(19, 8, 26, 25, LEATHER);
    for (int y : {11, 16, 21}) t.line(6, y, 13, y, rgb(220, 210, 180)), t.line(19, y, 26, y, rgb(220, 210, 180));
  }));
  d.push_back(one("ward sigil", [](Image& t) {
    t.poly({{16, 4}, {27, 16}, {16, 28}, {5, 16}}, rgb(90, 70, 160));
    t.ring(16, 16, 4, 5.5, rgb(230, 220, 255));
  }));
  d.push_back(one("kite shield", [](Image& t) {
    t.poly({{5, 5}, {27, 5}, {26, 15}, {16, 29}, {6, 15}}, rgb(170, 40, 40));
    t.rect(14, 5, 18, 24, GOLD);
    t.rect(6, 11, 26, 14, GOLD);
  }));
  d.push_back(one("heavy greaves", [](Image& t) {
    t.rect(7, 5, 13, 27, IRON);
    t.rect(19, 5, 25, 27, IRON);
    t.ellipse(10, 13, 3.5, 2.5, grey(190));
    t.ellipse(22, 13, 3.5, 2.5, grey(190));
  }));
  d.push_back(one("mail gauntlets", [](Image& t) {
    glove(t, IRON, -3);
    glove(t, grey(120), 8);
  }));
  d.push_back(one("barley bread", [](Image& t) {
    t.ellipse(16, 19, 12, 8, rgb(200, 150, 80));
    for (int k = 0; k < 3; ++k) t.line(10 + k * 5, 14, 13 + k * 5, 22, rgb(150, 100, 50));
  }));
  d.push_back(one("smoked eel", [](Image& t) {
    t.line(5, 22, 27, 12, rgb(120, 80, 50), 5);
    t.disc(27, 12, 3, rgb(100, 65, 40));
  }));
  d.push_back(one("apple", [](Image& t) {
    t.disc(16, 18, 9, rgb(200, 40, 40));
    t.line(16, 10, 18, 5, WOOD_DARK, 1.5);
    t.ellipse(21, 7, 3, 1.5, rgb(70, 150, 50));
    t.disc(12, 15, 2, rgb(250, 140, 130));
  }));
  d.push_back(one("honey cake", [](Image& t) {
    t.ellipse(16, 21, 12, 6, rgb(210, 160, 80));
    t.rect(4, 15, 28, 21, rgb(210, 160, 80));
    t.ellipse(16, 15, 12, 5, rgb(240, 190, 60));
  }));
  d.push_back(one("kiln biscuit", [](Image& t) {
    t.rect(8, 10, 24, 24, rgb(210, 175, 110));
    for (int y = 13; y < 24; y += 4)
      for (int x = 11; x < 24; x += 4) t.set(x, y, rgb(150, 110, 60));
  }));
  d.push_back(one("bone ring", [](Image& t) { ring(t, rgb(230, 225, 200), MASK); }));
  d.push_back(one("silver band", [](Image& t) { ring(t, grey(215), rgb(80, 140, 230)); }));
  d.push_back(one("heron pendant", [](Image& t) { amulet(t, grey(200), rgb(240, 240, 255)); }));
  d.push_back(one("kiln beads", [](Image& t) {
    for (int k = 0; k < 10; ++k) {
      double a = k * 0.6;
      t.disc(16 + 9 * std::cos(a), 14 + 9 * std::sin(a), 2.2, k % 2 ? rgb(200, 80, 40) : rgb(240, 180, 80));
    }
  }));
  d.push_back(one("terrain sample", [](Image& t) {
    t.poly({{5, 16}, {16, 10}, {27, 16}, {16, 22}}, rgb(80, 150, 60));
    t.poly({{5, 16}, {16, 22}, {16, 27}, {5, 21}}, rgb(120, 85, 50));
    t.poly({{27, 16}, {16, 22}, {16, 27}, {27, 21}}, rgb(95, 65, 40));
  }));
  d.push_back(one("trophy case", [](Image& t) {
    t.rect(6, 6, 25, 27, WOOD_DARK);
    t.rect(9, 9, 22, 24, rgb(170, 210, 230));
    t.disc(16, 16, 4, GOLD);
  }));
  d.push_back(one("ferry token", [](Image& t) { token(t, grey(190), rgb(40, 90, 170)); }));
  d.push_back(one("sealed letter", [](Image& t) {
    t.rect(5, 9, 26, 24, PAPER);
    t.line(5, 9, 16, 18, rgb(170, 160, 130));
    t.line(26, 9, 16, 18, rgb(170, 160, 130));
    t.disc(16, 18, 3, rgb(190, 30, 30));
  }));
  d.push_back(one("rune stone", [](Image& t) {
    t.ellipse(16, 17, 10, 11, grey(130));
    t.line(13, 10, 13, 24, rgb(120, 200, 255), 1.5);
    t.line(13, 13, 19, 18, rgb(120, 200, 255), 1.5);
  }));
  d.push_back(one("spellbook", [](Image& t) { book(t, rgb(50, 60, 150)); }));
  d.push_back(one("pelt", [](Image& t) {
    t.poly({{6, 8}, {12, 10}, {20, 10}, {26, 8}, {24, 16}, {27, 26}, {20, 22}, {12, 22}, {5, 26}, {8, 16}}, rgb(140, 100, 60));
    t.ellipse(16, 16, 5, 5, rgb(170, 130, 80));
  }));
  d.push_back(one("meat", [](Image& t) {
    t.ellipse(14, 17, 9, 7, rgb(190, 60, 60));
    t.ellipse(14, 17, 5, 3.5, rgb(230, 140, 140));
    t.line(21, 20, 28, 26, rgb(235, 230, 210), 2.5);
  }));
  d.push_back(one("bones", [](Image& t) {
    uint32_t b = rgb(230, 225, 205);
    t.line(7, 24, 25, 8, b, 3);
    t.line(7, 8, 25, 24, b, 3);
    for (auto [x, y] : {std::pair{6, 24}, {26, 8}, {6, 8}, {26, 24}}) t.disc(x, y, 2.5, b);
  }));
  d.push_back(one("stepping stones", [](Image& t) {
    t.ellipse(9, 10, 6, 4, grey(150));
    t.ellipse(22, 17, 6, 4, grey(135));
    t.ellipse(11, 25, 6, 4, grey(160));
  }));
  d.push_back(one("dye pot", [](Image& t) {
    t.ellipse(16, 19, 10, 9, rgb(150, 90, 60));
    t.ellipse(16, 11, 8, 3, rgb(160, 50, 170));
  }));
  d.push_back(one("seed bag", [](Image& t) {
    t.ellipse(16, 19, 9, 9, rgb(200, 180, 130));
    t.poly({{12, 11}, {20, 11}, {22, 5}, {10, 5}}, rgb(190, 170, 120));
    t.line(11, 11, 21, 11, rgb(120, 90, 50), 1.5);
  }));
  d.push_back(one("seedling tray", [](Image& t) {
    t.rect(4, 18, 27, 26, WOOD);
    for (int k = 0; k < 4; ++k) t.line(7 + k * 6, 18, 7 + k * 6, 12, rgb(90, 170, 60), 1.5), t.ellipse(8 + k * 6, 12, 2, 1, rgb(90, 170, 60));
  }));
  d.push_back(one("sown soil", [](Image& t) {
    t.ellipse(16, 20, 13, 7, rgb(110, 75, 45));
    for (int k = 0; k < 3; ++k) t.line(6, 16 + k * 4, 26, 16 + k * 4, rgb(80, 55, 30));
  }));
  d.push_back(one("sprout", [](Image& t) { plant(t, 0, rgb(90, 180, 60), MASK); }));
  d.push_back(one("young turnip", [](Image& t) { plant(t, 1, rgb(80, 170, 60), MASK); }));
  d.push_back(one("turnip plant", [](Image& t) { plant(t, 2, rgb(70, 160, 55), MASK); }));
  d.push_back(one("flowering turnip", [](Image& t) { plant(t, 3, rgb(70, 160, 55), rgb(250, 240, 120)); }));
  d.push_back(one("ripe turnip", [](Image& t) {
    plant(t, 2, rgb(70, 160, 55), MASK);
    t.disc(16, 24, 5, rgb(220, 200, 230));
    t.disc(16, 22, 3, rgb(170, 70, 160));
  }));
  d.push_back(one("young reedcorn", [](Image& t) { plant(t, 1, rgb(130, 170, 70), MASK); }));
  d.push_back(one("reedcorn stalk", [](Image& t) { plant(t, 2, rgb(130, 170, 70), MASK); }));
  d.push_back(ItemDef{"tall reedcorn", 2, [](Image& t, int f) {
    plant(t, 3, rgb(130, 170, 70), MASK);
    t.line(16, 8, 16 + (f ? 2 : -2), 3, rgb(130, 170, 70), 2);
  }});
  d.push_back(one("ripe reedcorn", [](Image& t) {
    plant(t, 3, rgb(150, 160, 70), MASK);
    t.ellipse(16, 8, 3, 6, rgb(240, 210, 90));
  }));
  d.push_back(one("turnip", [](Image& t) {
    t.disc(16, 19, 8, rgb(230, 215, 235));
    t.ellipse(16, 15, 8, 4, rgb(170, 70, 160));
    t.line(16, 11, 12, 4, rgb(80, 160, 60), 2);
    t.line(16, 11, 20, 4, rgb(80, 160, 60), 2);
    t.line(16, 27, 16, 30, rgb(200, 180, 200));
  }));
  d.push_back(one("reedcorn", [](Image& t) {
    t.ellipse(16, 16, 5, 11, rgb(240, 210, 90));
    for (int y = 8; y < 26; y += 3) t.line(12, y, 20, y, rgb(210, 170, 60));
    t.poly({{11, 18}, {6, 28}, {14, 26}}, rgb(120, 170, 70));
  }));
  d.push_back(one("eel", [](Image& t) {
    for (int k = 0; k < 12; ++k) t.disc(5 + k * 2, 16 + 5 * std::sin(k * 0.7), 2.5, rgb(80, 90, 60));
    t.disc(5, 16, 1, BLACK);
  }));
  d.push_back(one("crayfish", [](Image& t) {
    uint32_t c = rgb(190, 70, 40);
    t.ellipse(16, 18, 5, 8, c);
    t.ellipse(9, 8, 3, 4, c);
    t.ellipse(23, 8, 3, 4, c);
    t.line(13, 12, 10, 10, c, 1.5);
    t.line(19, 12, 22, 10, c, 1.5);
    for (int k = 0; k < 3; ++k) t.line(11, 16 + 3 * k, 6, 17 + 3 * k, c), t.line(21, 16 + 3 * k, 26, 17 + 3 * k, c);
  }));
  d.push_back(one("perch", [](Image& t) {
    fish(t, rgb(120, 150, 70), 16);
    for (int x = 11; x < 21; x += 3) t.line(x, 12, x, 20, rgb(60, 80, 40));
  }));
  d.push_back(one("map fragment", [](Image& t) {
    t.poly({{5, 7}, {26, 5}, {27, 25}, {19, 23}, {6, 27}}, PAPER);
    t.line(8, 20, 14, 13, rgb(60, 100, 170), 1.5);
    t.line(14, 13, 22, 15, rgb(60, 100, 170), 1.5);
    t.line(18, 9, 22, 13, rgb(190, 40, 40));
    t.line(22, 9, 18, 13, rgb(190, 40, 40));
  }));
  d.push_back(one("spell crystal", [](Image& t) {
    t.poly({{16, 3}, {22, 12}, {16, 29}, {10, 12}}, rgb(150, 120, 240));
    t.poly({{16, 3}, {18, 12}, {16, 29}}, rgb(210, 190, 255));
  }));
  d.push_back(one("fish trap", [](Image& t) {
    t.ellipse(16, 16, 12, 8, rgb(190, 160, 100));
    for (int x = 7; x < 27; x += 3) t.line(x, 9, x, 23, rgb(130, 100, 55));
    t.ellipse(26, 16, 3, 5, rgb(60, 40, 30));
  }));
  d.push_back(one("trophy head", [](Image& t) {
    t.rect(6, 5, 25, 10, WOOD_DARK);
    t.ellipse(16, 17, 8, 8, rgb(130, 120, 110));
    t.poly({{9, 11}, {5, 3}, {12, 9}}, rgb(230, 225, 200));
    t.poly({{23, 11}, {27, 3}, {20, 9}}, rgb(230, 225, 200));
    t.disc(13, 16, 1.3, BLACK);
    t.disc(19, 16, 1.3, BLACK);
  }));
  d.push_back(one("recipe", [](Image& t) {
    scroll(t, MASK);
    t.disc(20, 21, 3, rgb(60, 140, 60));
  }));
  d.push_back(one("skill shard", [](Image& t) {
    t.poly({{10, 5}, {24, 11}, {20, 27}, {8, 20}}, rgb(90, 200, 230));
    t.line(11, 8, 18, 22, rgb(220, 250, 255));
  }));
  d.push_back(one("kiln charm", [](Image& t) {
    t.ring(16, 8, 2, 3.5, GOLD);
    t.poly({{16, 11}, {24, 19}, {16, 28}, {8, 19}}, rgb(230, 100, 40));
    t.disc(16, 19, 2.5, rgb(255, 220, 120));
  }));
  d.push_back(one("playing card", [](Image& t) {
    t.rect(8, 4, 23, 27, rgb(245, 245, 240));
    t.frame(9, 5, 22, 26, rgb(4, 68, 118));
    t.poly({{16, 9}, {20, 16}, {16, 22}, {12, 16}}, rgb(190, 30, 40));
  }));
  d.push_back(one("old boot", [](Image& t) {
    boot(t, rgb(100, 80, 60), 2);
    t.line(10, 10, 15, 14, rgb(60, 45, 35));
    t.rect(22, 23, 23, 24, MASK);
  }));
  d.push_back(one("chest", [](Image& t) {
    t.rect(4, 13, 27, 27, WOOD);
    t.poly({{4, 13}, {8, 6}, {23, 6}, {27, 13}}, WOOD_DARK);
    for (int x : {8, 23}) t.rect(x - 1, 6, x + 1, 27, IRON);
    t.line(4, 13, 27, 13, IRON, 1.5);
    t.rect(14, 14, 17, 19, GOLD);
    t.rect(15, 16, 16, 17, BLACK);
  }));
  d.push_back(one("kiln", [](Image& t) {
    const uint32_t clay = rgb(175, 95, 60);
    t.ellipse(16, 17, 12, 12, clay);
    t.rect(4, 17, 28, 28, clay);
    t.rect(13, 2, 19, 7, shade(clay, 0.8));
    t.ellipse(16, 24, 6, 5, rgb(60, 25, 15));
    t.ellipse(16, 25, 4, 3, rgb(255, 170, 50));
    t.line(4, 28, 28, 28, shade(clay, 0.6), 1.5);
  }));
  return d;
}

}  // namespace

std::vector<Tile> item_tiles() {
  std::vector<Tile> v;
  for (const ItemDef& d : defs())
    for (int f = 0; f < d.frames; ++f) {
      Image t(CELL, CELL);
      d.draw(t, f);
      v.push_back({d.frames > 1 ? std::string(d.name) + " " + std::to_string(f) : d.name, finish(t)});
    }
  return v;
}

}  // namespace mk
