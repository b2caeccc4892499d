// The special sheet (cursors, marks, clock pictures, missiles, effect frames)
// and the larger pictures: skin strip, title, book, help and card art.
#include <cmath>

#include "art.h"
#include "glyphs.h"

namespace mk {

namespace {

constexpr double PI = 3.14159265358979;

void text(Image& img, int x, int y, const std::string& s, uint32_t c, int scale = 1,
          FontKind kind = FontKind::Main) {
  FontSpec f = font_spec(kind);
  for (size_t i = 0; i < s.size(); ++i)
    for (int gy = 0; gy < f.h; ++gy)
      for (int gx = 0; gx < f.w; ++gx)
        if (glyph_pixel(kind, static_cast<unsigned char>(s[i]), gx, gy))
          img.rect(x + (static_cast<int>(i) * f.w + gx) * scale, y + gy * scale,
                   x + (static_cast<int>(i) * f.w + gx) * scale + scale - 1, y + gy * scale + scale - 1, c);
}

// An arrow from the centre of a 32-pixel cell towards angle a (radians,
// counter-clockwise from east, y up).
void arrow(Image& t, double a, uint32_t c, double len) {
  double dx = std::cos(a), dy = -std::sin(a);
  double tx = 16 + dx * len, ty = 16 + dy * len;
  t.line(16 - dx * len * 0.6, 16 - dy * len * 0.6, tx - dx * 4, ty - dy * 4, c, 3);
  t.poly({{tx, ty}, {tx - dx * 8 - dy * 5, ty - dy * 8 + dx * 5}, {tx - dx * 8 + dy * 5, ty - dy * 8 - dx * 5}}, c);
}

void sword_toward(Image& t, double a) {
  double dx = std::cos(a), dy = -std::sin(a);
  double tx = 16 + dx * 13, ty = 16 + dy * 13;
  t.line(16 - dx * 6, 16 - dy * 6, tx, ty, grey(220), 3);
  t.line(16 - dx * 3 - dy * 5, 16 - dy * 3 + dx * 5, 16 - dx * 3 + dy * 5, 16 - dy * 3 - dx * 5, rgb(200, 40, 40), 2.5);
  t.line(16 - dx * 6, 16 - dy * 6, 16 - dx * 11, 16 - dy * 11, rgb(200, 40, 40), 2.5);
}

Image effect_frame(int n) {
  Image t(CELL, CELL);
  Rng rng(static_cast<uint32_t>(n) + 900);
  if (n < 4) {  // small magic bolt, growing
    t.disc(16, 16, 3 + n, rgb(120, 180, 255));
    t.disc(16, 16, 1.5 + n / 2.0, rgb(240, 250, 255));
  } else if (n < 8) {  // sparks
    for (int k = 0; k < 6 + n; ++k) {
      double a = rng.unit() * 2 * PI, r = 3 + rng.unit() * (4 + n);
      t.disc(16 + r * std::cos(a), 16 + r * std::sin(a), 1.2, rgb(255, 230, 120));
    }
  } else if (n < 16) {  // fire bolt in eight directions
    double a = (n - 8) * PI / 4, dx = std::cos(a), dy = -std::sin(a);
    for (int k = 0; k < 4; ++k)
      t.disc(16 - dx * k * 3, 16 - dy * k * 3, 5 - k, k < 2 ? rgb(255, 200, 60) : rgb(230, 80, 20));
    t.disc(16 + dx * 2, 16 + dy * 2, 2.5, rgb(255, 250, 210));
  } else if (n == 16) {  // boulder
    t.disc(16, 16, 8, grey(130));
    t.disc(13, 13, 3, grey(170));
  } else if (n == 18) {  // hit: red splash
    for (int k = 0; k < 9; ++k) {
      double a = k * 0.7, r = 4 + rng.below(8);
      t.disc(16 + r * std::cos(a), 16 + r * std::sin(a), 2.2, rgb(200, 20, 20));
    }
    t.disc(16, 16, 4, rgb(170, 10, 10));
  } else if (n == 19) {  // smoke
    for (int k = 0; k < 5; ++k) t.disc(10 + rng.below(12), 10 + rng.below(12), 5, grey(150 + 15 * k));
  } else if (n == 20) {  // flash
    for (int k = 0; k < 8; ++k) arrow(t, k * PI / 4, rgb(255, 255, 200), 12);
    t.disc(16, 16, 5, rgb(255, 255, 230));
  } else if (n == 22) {  // fireball
    t.disc(16, 16, 7, rgb(230, 80, 20));
    t.disc(16, 16, 4.5, rgb(255, 190, 50));
    t.disc(15, 15, 2, rgb(255, 250, 210));
  } else if (n >= 23 && n <= 27) {  // rising sparkles in four steps
    int s = n - 23;
    for (int k = 0; k < 5; ++k) {
      double x = 6 + k * 5, y = 26 - s * 5 - (k % 2) * 3;
      t.line(x - 2, y, x + 2, y, rgb(180, 255, 200));
      t.line(x, y - 2, x, y + 2, rgb(180, 255, 200));
    }
  } else if (n >= 32 && n <= 36) {  // explosion fading out
    int s = n - 32;
    t.disc(16, 16, 14 - s, rgb(200 - 30 * s, 90 - 15 * s, 20));
    t.disc(16, 16, 9 - s * 1.5, rgb(255, 210 - 30 * s, 60));
    for (int y = 0; y < CELL; ++y)
      for (int x = 0; x < CELL; ++x)
        if (t.get(x, y) != MASK && hash01(x, y, n) < 0.15 * s) t.set(x, y, MASK);
  } else {  // other glows: coloured rings
    uint32_t c = rgb(100 + (n * 37) % 150, 100 + (n * 53) % 150, 120 + (n * 71) % 130);
    t.ring(16, 16, 4 + n % 5, 7 + n % 5, c);
    t.disc(16, 16, 2, shade(c, 1.3));
  }
  t.outline();
  return t;
}

}  // namespace

Image special_picture() {
  Image s(288, 430);
  // Equipment marks, 8 by 8 each.
  auto mark = [&](int x, int y, auto draw) {
    Image m(8, 8);
    draw(m);
    s.blit(m, x, y);
  };
  uint32_t w = rgb(230, 230, 230), g = rgb(240, 200, 60), br = rgb(160, 110, 60);
  auto sword = [&](Image& m) { m.line(1, 6, 6, 1, w); m.line(1, 4, 3, 6, g); };
  auto shield = [&](Image& m) { m.poly({{1, 1}, {7, 1}, {6, 5}, {4, 7}, {2, 5}}, br); };
  auto ringm = [&](Image& m) { m.ring(4, 4.5, 1.5, 3, g); };
  mark(0, 0, sword);
  mark(8, 0, [&](Image& m) { m.poly({{1, 1}, {7, 1}, {6, 7}, {2, 7}}, rgb(150, 150, 160)); });
  mark(16, 0, shield);
  mark(24, 0, [&](Image& m) { m.rect(2, 3, 6, 7, br); m.rect(2, 0, 3, 3, br); m.rect(5, 1, 6, 3, br); });
  mark(0, 8, ringm);
  mark(8, 8, [&](Image& m) { m.ring(4, 3, 2, 3, g); m.disc(4, 6, 1.5, rgb(90, 200, 120)); });
  mark(16, 8, [&](Image& m) { m.ellipse(4, 4, 3, 3, rgb(150, 150, 160)); m.rect(0, 5, 7, 6, rgb(150, 150, 160)); });
  mark(24, 8, [&](Image& m) { m.rect(1, 0, 3, 6, br); m.rect(1, 5, 6, 7, br); });
  mark(0, 16, [&](Image& m) { m.rect(1, 0, 6, 2, rgb(110, 90, 70)); m.rect(1, 2, 3, 7, rgb(110, 90, 70)); m.rect(4, 2, 6, 7, rgb(110, 90, 70)); });
  mark(8, 16, [&](Image& m) { m.line(0, 7, 4, 1, w); m.poly({{4, 3}, {7, 3}, {7, 6}, {5, 7}}, br); });
  mark(16, 16, [&](Image& m) { m.ring(2.5, 4, 1, 2.3, g); m.ring(5.5, 4, 1, 2.3, g); });
  mark(24, 16, [&](Image& m) { m.rect(0, 3, 7, 5, br); m.rect(3, 2, 5, 6, g); });
  mark(0, 24, [&](Image& m) { m.line(1, 6, 6, 1, rgb(190, 150, 90)); m.poly({{7, 0}, {4, 1}, {6, 3}}, w); });

  // Clock pictures: the sun and the eight moon phases, 14 by 14.
  s.disc(41, 7, 6.5, rgb(255, 210, 60));
  s.disc(41, 7, 4, rgb(255, 240, 150));
  for (int p = 0; p < 8; ++p) {
    int x = 68 + 16 * p;
    s.disc(x + 7, 7, 6.5, rgb(230, 230, 210));
    // The dark part slides across the disc through the month.
    double off = (p <= 4 ? p : p - 8) * 3.2;
    if (p != 4)
      for (int y = 0; y < 14; ++y)
        for (int xx = 0; xx < 14; ++xx)
          if (s.get(x + xx, y) != MASK && std::hypot(xx + 0.5 - 7 - off, y + 0.5 - 7) < 6.5)
            s.set(x + xx, y, rgb(60, 60, 80));
  }
  // Input prompt, four steps of a pulsing chevron, 8 by 8.
  for (int k = 0; k < 4; ++k) {
    uint32_t c = shade(rgb(255, 255, 255), 0.55 + 0.15 * k);
    int x = 68 + 9 * k;
    s.line(x + 1, 18, x + 5, 21, c, 1);
    s.line(x + 5, 21, x + 1, 24, c, 1);
    s.line(x + 2, 18, x + 6, 21, c, 1);
    s.line(x + 6, 21, x + 2, 24, c, 1);
  }
  // Spell icon for the hotbar: a star in a circle.
  Image icon(32, 32);
  icon.ring(16, 16, 12, 14, rgb(240, 240, 255));
  for (int k = 0; k < 5; ++k) {
    double a = -PI / 2 + k * 4 * PI / 5, b = -PI / 2 + (k + 1) * 4 * PI / 5;
    icon.line(16 + 10 * std::cos(a), 16 + 10 * std::sin(a), 16 + 10 * std::cos(b), 16 + 10 * std::sin(b),
              rgb(255, 255, 255), 1.5);
  }
  s.blit(icon, 196, 0);
  // Marked entry of the tracking list: a small flag, 13 by 10.
  s.rect(260, 0, 261, 9, rgb(200, 200, 200));
  s.poly({{262, 0}, {271, 3}, {262, 6}}, rgb(230, 50, 50));

  for (int d = 0; d < 8; ++d) {
    Image m(CELL, CELL);
    arrow(m, d * PI / 4, rgb(200, 160, 90), 11);
    m.outline();
    s.blit(m, 32 * d, 32);
  }
  // Summoning circle in five growing steps, 54 by 54.
  for (int a = 0; a < 5; ++a) {
    Image c(54, 54);
    double r = 8 + a * 4.5;
    c.ring(27, 27, r - 2, r, rgb(170, 120, 255));
    for (int k = 0; k < 6; ++k) {
      double an = k * PI / 3 + a * 0.3;
      c.disc(27 + r * std::cos(an), 27 + r * std::sin(an), 2.5, rgb(230, 200, 255));
    }
    s.blit(c, 54 * a, 64);
  }
  // Pointer shapes.
  for (int d = 0; d < 8; ++d) {
    Image m(CELL, CELL);
    arrow(m, d * PI / 4, rgb(250, 250, 250), 12);
    m.outline();
    s.blit(m, 32 * d, 128);
    Image a(CELL, CELL);
    sword_toward(a, d * PI / 4);
    a.outline();
    s.blit(a, 32 * d, 206);
  }
  Image cross(CELL, CELL);
  cross.ring(16, 16, 6, 8, rgb(255, 220, 60));
  cross.rect(15, 2, 16, 30, rgb(255, 220, 60));
  cross.rect(2, 15, 30, 16, rgb(255, 220, 60));
  cross.outline();
  s.blit(cross, 64, 160);
  Image arrowp(CELL, CELL);
  arrowp.poly({{1, 1}, {1, 18}, {5, 14}, {9, 22}, {12, 20}, {8, 13}, {14, 13}}, rgb(250, 250, 250));
  arrowp.outline();
  s.blit(arrowp, 128, 160);
  Image hand(CELL, CELL);
  uint32_t skin = rgb(250, 230, 200);
  hand.rect(6, 0, 9, 14, skin);  // the pointing finger
  hand.rect(6, 11, 19, 23, skin);
  for (int f = 0; f < 3; ++f) hand.rect(10 + f * 3, 9, 12 + f * 3, 12, skin);
  hand.poly({{6, 14}, {2, 10}, {1, 12}, {6, 19}}, skin);
  for (int f = 0; f < 3; ++f) hand.rect(12 + f * 3, 13, 12 + f * 3, 16, rgb(200, 170, 140));
  hand.outline();
  s.blit(hand, 160, 160);

  for (int n = 0; n < 48; ++n) s.blit(effect_frame(n), 32 * (n % 8), 32 * (n / 8) + 238);
  return s;
}

Image skin_picture() {
  Image s(224, 20);
  for (int y = 0; y < 15; ++y) {
    uint32_t c = mix(rgb(30, 40, 90), rgb(120, 160, 210), y / 14.0);
    s.rect(4, y, 219, y, c);
  }
  s.rect(0, 15, 223, 19, rgb(70, 55, 40));
  s.rect(0, 15, 223, 15, rgb(140, 110, 70));
  s.rect(0, 0, 3, 19, rgb(70, 55, 40));
  s.rect(220, 0, 223, 19, rgb(70, 55, 40));
  for (int x = 20; x < 224; x += 40) s.disc(x, 17.5, 1.3, rgb(200, 170, 90));
  return s;
}

Image title_background() {
  Image b(320, 240);
  for (int y = 0; y < b.h(); ++y)
    for (int x = 0; x < b.w(); ++x) {
      double n = tiled_noise(x, y, 16, 320, 3);
      b.set(x, y, mix(rgb(12, 16, 34), rgb(40, 48, 80), 0.3 * n + 0.5 * y / 240.0));
    }
  return b;
}

Image title_picture() {
  Image t(800, 600);
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x) t.set(x, y, mix(rgb(40, 60, 120), rgb(230, 170, 110), std::min(1.0, y / 330.0)));
  // Hills, river and reeds of the valley.
  for (int x = 0; x < 800; ++x) {
    double far = 250 + 40 * std::sin(x * 0.011) + 15 * std::sin(x * 0.037);
    double near = 320 + 25 * std::sin(x * 0.017 + 1) + 10 * std::sin(x * 0.05);
    for (int y = static_cast<int>(far); y < 600; ++y) t.set(x, y, rgb(70, 90, 90));
    for (int y = static_cast<int>(near); y < 600; ++y)
      t.set(x, y, shade(rgb(60, 110, 50), 0.85 + 0.25 * hash01(x / 4, y / 4, 9)));
  }
  for (int y = 340; y < 600; ++y) {
    double c = 400 + 120 * std::sin(y * 0.02);
    int half = (y - 330) / 3;
    for (int x = static_cast<int>(c) - half; x < c + half; ++x)
      t.set(x, y, shade(rgb(60, 110, 170), 0.9 + 0.2 * hash01(x / 6, y, 11)));
  }
  t.disc(120, 200, 36, rgb(255, 230, 160));
  // The name, large and centred, with a shadow; the valley's name below.
  text(t, 208, 46, "ZIB", rgb(20, 20, 30), 12, FontKind::Menu);
  text(t, 202, 40, "ZIB", rgb(250, 220, 120), 12, FontKind::Menu);
  text(t, 198, 262, "The Vale of Quill", rgb(30, 30, 40), 3, FontKind::Book);
  text(t, 196, 260, "The Vale of Quill", rgb(255, 245, 220), 3, FontKind::Book);
  // The form area stays plain so that menus and forms read well on it.
  t.rect(95, 352, 704, 521, rgb(26, 30, 48));
  t.frame(95, 352, 704, 521, rgb(150, 120, 70));
  t.frame(97, 354, 702, 519, rgb(90, 70, 45));
  return t;
}

Image book_picture() {
  // Text columns start at x 33 and 249 and are 25 letters of 8 pixels wide,
  // so the left page runs past x 233 and the right page past x 449.
  Image b(466, 296);
  b.rect(0, 0, 465, 295, rgb(90, 45, 25));
  b.frame(0, 0, 465, 295, rgb(50, 25, 10));
  for (int page = 0; page < 2; ++page) {
    int x0 = page ? 241 : 10, x1 = page ? 455 : 237;
    for (int y = 10; y <= 286; ++y)
      for (int x = x0; x <= x1; ++x) {
        double edge = page ? (x - x0) / 30.0 : (x1 - x) / 30.0;
        double f = 0.9 + 0.1 * std::min(1.0, edge) + 0.04 * (hash01(x / 3, y / 3, 77) - 0.5);
        b.set(x, y, shade(rgb(240, 228, 195), f));
      }
  }
  b.rect(238, 6, 240, 290, rgb(60, 30, 15));
  for (int x : {0, 465})
    for (int y = 0; y < 4; ++y) b.set(x, y, MASK), b.set(x, 295 - y, MASK);
  return b;
}

Image help_picture() {
  Image h(420, 300);
  h.rect(0, 0, 419, 299, rgb(30, 34, 60));
  h.frame(0, 0, 419, 299, rgb(150, 120, 70));
  h.frame(2, 2, 417, 297, rgb(90, 70, 45));
  text(h, 150, 14, "Help", rgb(250, 220, 120), 2, FontKind::Main);
  // The main keys; the help text behind it lists every key.
  const char* lines[] = {
      "Arrow keys          walk",
      "CTRL+arrow          strike beside you",
      "t, direction        talk",
      "b / SHIFT+b         buy / sell, bank",
      "SHIFT+s, direction  open a chest",
      "a, direction        use the kiln",
      "c                   cast a spell",
      "CTRL+F2             take a level",
      "v / w               inventory / ready",
      "g, direction        get (SHIFT+g: here)",
      "d                   drop",
      "r / l               read / look",
      "m                   map",
      "F12                 menu",
  };
  int y = 48;
  for (const char* l : lines) {
    text(h, 24, y, l, rgb(225, 225, 225));
    y += 16;
  }
  text(h, 24, y + 8, "? again             all the keys", rgb(250, 220, 120));
  return h;
}

Image card_picture(const std::string& name) {
  Image c(152, 116);
  for (int y = 0; y < 116; ++y)
    for (int x = 0; x < 152; ++x) c.set(x, y, mix(rgb(150, 190, 220), rgb(240, 210, 160), y / 116.0));
  for (int x = 0; x < 152; ++x)
    for (int y = 80 + static_cast<int>(4 * std::sin(x * 0.08)); y < 116; ++y)
      c.set(x, y, shade(rgb(70, 120, 150), 0.9 + 0.15 * hash01(x / 5, y, 5)));
  for (int k = 0; k < 12; ++k) {
    int x = 6 + k * 13;
    c.line(x, 96, x + 2, 60 + (k * 7) % 15, rgb(90, 130, 60), 2);
  }
  // The card's creature, scaled up from its figure.
  std::vector<Tile> figs = figure_tiles();
  for (const Tile& f : figs)
    if (name.find("heron") != std::string::npos && f.name == "reed heron 0") c.blit(f.img.scaled(3), 28, 14, true);
  return c;
}

}  // namespace mk
