// Terrain: seamless ground textures, animated water and lava, walls, doors,
// stairs and trees. Textures repeat every 32 pixels so that tiles join.
#include <cmath>

#include "art.h"

namespace mk {

namespace {

constexpr double PI = 3.14159265358979;

// Two octaves of seamless noise in 0..1.
double fbm(int x, int y, int seed) {
  return 0.65 * tiled_noise(x, y, 8, CELL, seed) + 0.35 * tiled_noise(x, y, 4, CELL, seed + 1);
}

// Ground: base colour varied by noise and speckles.
Image ground(uint32_t base, double amount, int seed, double speckle = 0.08) {
  Image t(CELL, CELL);
  for (int y = 0; y < CELL; ++y)
    for (int x = 0; x < CELL; ++x) {
      double n = fbm(x, y, seed);
      double f = 1.0 + amount * (n - 0.5) * 2;
      double s = hash01(x, y, seed + 7);
      if (s < speckle) f *= 0.8;
      else if (s > 1 - speckle) f *= 1.15;
      t.set(x, y, shade(base, f));
    }
  return t;
}

Image grass(int seed) {
  Image t = ground(rgb(70, 140, 50), 0.25, seed, 0.0);
  Rng rng(static_cast<uint32_t>(seed));
  for (int i = 0; i < 40; ++i) {
    int x = rng.below(CELL), y = rng.below(CELL);
    uint32_t c = rng.below(2) ? rgb(105, 180, 70) : rgb(45, 100, 35);
    t.set(x, y, c);
    t.set(x, (y + CELL - 1) % CELL, shade(c, 1.1));
  }
  return t;
}

Image water(int frame, uint32_t base, uint32_t crest, int seed) {
  Image t(CELL, CELL);
  for (int y = 0; y < CELL; ++y)
    for (int x = 0; x < CELL; ++x) {
      double n = fbm(x, y, seed);
      // Waves travel across the tile; four frames make one full period.
      double w = std::sin((x + 2 * y) * 2 * PI / CELL + frame * PI / 2 + n * 3);
      double f = 0.9 + 0.2 * n;
      uint32_t c = shade(base, f);
      if (w > 0.85) c = mix(c, crest, 0.6);
      else if (w < -0.8) c = shade(c, 0.85);
      t.set(x, y, c);
    }
  return t;
}

Image lava(int frame) {
  Image t(CELL, CELL);
  for (int y = 0; y < CELL; ++y)
    for (int x = 0; x < CELL; ++x) {
      double n = fbm(x, y, 31);
      double w = std::sin((2 * x - y) * 2 * PI / CELL + frame * PI / 2 + n * 5);
      double heat = 0.5 + 0.5 * w * (n + 0.3);
      uint32_t crust = rgb(70, 25, 15), glow = rgb(255, 150 + static_cast<int>(80 * n), 30);
      t.set(x, y, n < 0.35 ? shade(crust, 0.8 + n) : mix(rgb(200, 40, 10), glow, heat));
    }
  return t;
}

// Running-bond stone blocks: `rows` courses, mortar lines darker.
Image blocks(uint32_t stone, uint32_t mortar, int rows, int seed) {
  Image t = ground(stone, 0.18, seed, 0.04);
  int bh = CELL / rows;
  for (int r = 0; r < rows; ++r) {
    int y0 = r * bh;
    for (int x = 0; x < CELL; ++x) t.set(x, y0, mortar);
    int off = (r % 2) ? CELL / 4 : 0;
    for (int k = 0; k < 2; ++k) {
      int x = (off + k * CELL / 2) % CELL;
      for (int y = y0; y < y0 + bh; ++y) t.set(x, y, mortar);
    }
    // Each block a little lighter along its top edge.
    for (int x = 0; x < CELL; ++x)
      if (t.get(x, y0 + 1) != mortar) t.set(x, y0 + 1, shade(t.get(x, y0 + 1), 1.2));
  }
  return t;
}

Image tree_on_mask(int seed, double scale) {
  Image t(CELL, CELL);
  double cx = 16, top = 16 - 13 * scale;
  t.rect(14, 20, 17, 29, rgb(110, 70, 35));
  t.rect(14, 20, 14, 29, rgb(80, 50, 25));
  Rng rng(static_cast<uint32_t>(seed));
  t.ellipse(cx, top + 9 * scale, 12 * scale, 10 * scale, rgb(40, 110, 40));
  for (int i = 0; i < 14; ++i)
    t.disc(cx - 9 * scale + rng.below(18) * scale, top + 3 * scale + rng.below(13) * scale, 3 * scale,
           rng.below(2) ? rgb(60, 140, 50) : rgb(30, 90, 35));
  t.light(1.2, 0.8);
  t.outline();
  return t;
}

}  // namespace

std::vector<Tile> terrain_tiles() {
  std::vector<Tile> v;
  for (int f = 0; f < 4; ++f) v.push_back({"water " + std::to_string(f), water(f, rgb(40, 100, 170), rgb(160, 210, 240), 11)});
  for (int f = 0; f < 4; ++f) v.push_back({"deep water " + std::to_string(f), water(f, rgb(20, 45, 110), rgb(70, 110, 180), 13)});
  for (int f = 0; f < 4; ++f) v.push_back({"lava " + std::to_string(f), lava(f)});

  Image vd(CELL, CELL, rgb(8, 6, 14));
  Rng sr(5);
  for (int i = 0; i < 6; ++i) vd.set(sr.below(CELL), sr.below(CELL), rgb(120, 110, 160));
  v.push_back({"void", vd});
  v.push_back({"bare earth", ground(rgb(130, 95, 60), 0.25, 21)});
  v.push_back({"grass", grass(23)});

  Image swamp = ground(rgb(70, 85, 40), 0.3, 25);
  for (int y = 0; y < CELL; ++y)
    for (int x = 0; x < CELL; ++x)
      if (fbm(x, y, 77) < 0.38) swamp.set(x, y, mix(swamp.get(x, y), rgb(40, 70, 60), 0.7));
  Rng rr(26);
  for (int i = 0; i < 5; ++i) {
    int x = 2 + rr.below(28), y = 6 + rr.below(24);
    swamp.line(x, y, x + rr.below(3) - 1, y - 5, rgb(120, 150, 60));
  }
  v.push_back({"swamp", swamp});

  // Shore: wet sand with pools where the water drawn beneath shows through;
  // the sand reaches every edge so that a line of shore reads as a beach.
  Image shore = ground(rgb(200, 180, 120), 0.15, 27);
  for (int y = 0; y < CELL; ++y)
    for (int x = 0; x < CELL; ++x) {
      double n = fbm(x, y, 81);
      if (n < 0.3) shore.set(x, y, MASK);
      else if (n < 0.38) shore.set(x, y, rgb(150, 140, 110));
      else if (n < 0.46) shore.set(x, y, mix(shore.get(x, y), rgb(150, 140, 110), 0.5));
    }
  v.push_back({"shore", shore});

  Image shallows = water(1, rgb(70, 150, 190), rgb(190, 230, 240), 29);
  for (int y = 0; y < CELL; ++y)
    for (int x = 0; x < CELL; ++x)
      if (fbm(x, y, 83) > 0.62) shallows.set(x, y, mix(shallows.get(x, y), rgb(190, 170, 110), 0.45));
  v.push_back({"shallows", shallows});

  Image bridge(CELL, CELL);
  for (int p = 0; p < 4; ++p) {
    uint32_t c = shade(rgb(150, 105, 60), 0.9 + 0.07 * p);
    for (int y = p * 8; y < p * 8 + 8; ++y)
      for (int x = 0; x < CELL; ++x) bridge.set(x, y, shade(c, 0.9 + 0.2 * hash01(x / 3, y, 33)));
    bridge.rect(0, p * 8 + 7, CELL - 1, p * 8 + 7, rgb(70, 45, 25));
    bridge.set(3, p * 8 + 3, rgb(60, 60, 60));
    bridge.set(28, p * 8 + 3, rgb(60, 60, 60));
  }
  v.push_back({"bridge", bridge});

  // Forest and mountain stand on grass: their picture is masked around.
  Image forest(CELL, CELL);
  forest.blit(tree_on_mask(35, 0.75), -7, -3, true);
  forest.blit(tree_on_mask(36, 0.8), 8, 1, true);
  forest.blit(tree_on_mask(37, 0.7), -1, 8, true);
  v.push_back({"forest", forest});

  Image mountain(CELL, CELL);
  mountain.poly({{1, 30}, {12, 5}, {17, 12}, {21, 8}, {31, 30}}, rgb(120, 110, 100));
  mountain.poly({{12, 5}, {17, 12}, {14, 30}, {1, 30}}, rgb(150, 140, 128));
  mountain.poly({{12, 5}, {9, 11}, {12, 10}, {15, 11}}, rgb(240, 240, 245));
  mountain.poly({{21, 8}, {19, 12}, {21, 11}, {23, 12}}, rgb(240, 240, 245));
  for (int y = 0; y < CELL; ++y)
    for (int x = 0; x < CELL; ++x)
      if (mountain.get(x, y) != MASK && hash01(x, y, 39) < 0.12) mountain.set(x, y, shade(mountain.get(x, y), 0.8));
  mountain.outline();
  v.push_back({"mountain", mountain});

  v.push_back({"stone wall", blocks(rgb(140, 140, 135), rgb(70, 70, 70), 4, 41)});

  Image quay = blocks(rgb(120, 115, 100), rgb(60, 55, 50), 3, 43);
  for (int y = 24; y < CELL; ++y)
    for (int x = 0; x < CELL; ++x) quay.set(x, y, (y == 24) ? rgb(40, 40, 40) : MASK);
  v.push_back({"quay wall", quay});

  v.push_back({"sand", ground(rgb(220, 200, 140), 0.12, 45, 0.12)});

  Image floor = blocks(rgb(165, 160, 150), rgb(100, 96, 90), 2, 47);
  v.push_back({"stone floor", floor});

  // Stairs: steps as horizontal bands getting darker towards the way down.
  auto stairs = [&](bool up) {
    Image s = blocks(rgb(165, 160, 150), rgb(100, 96, 90), 2, 49);
    for (int k = 0; k < 5; ++k) {
      int y0 = 4 + k * 5;
      double f = up ? 1.15 - 0.1 * k : 0.55 + 0.1 * k;
      s.rect(5, y0, 26, y0 + 4, shade(rgb(150, 140, 120), f));
      s.rect(5, y0 + 4, 26, y0 + 4, shade(rgb(150, 140, 120), f * 0.6));
    }
    s.frame(4, 3, 27, 29, rgb(50, 45, 40));
    // An arrow shows the way.
    uint32_t a = rgb(250, 230, 120);
    if (up) s.poly({{16, 1}, {11, 7}, {21, 7}}, a);
    else s.poly({{16, 31}, {11, 25}, {21, 25}}, a);
    return s;
  };
  v.push_back({"stairs up", stairs(true)});
  v.push_back({"stairs down", stairs(false)});

  auto door = [&](bool open) {
    Image d = blocks(rgb(140, 140, 135), rgb(70, 70, 70), 4, 51);
    d.rect(5, 3, 26, 31, rgb(30, 25, 20));
    if (!open) {
      for (int x = 6; x <= 25; ++x)
        for (int y = 4; y <= 31; ++y)
          d.set(x, y, shade(rgb(140, 90, 45), 0.85 + 0.3 * hash01(x / 4, y / 9, 53)));
      for (int x : {10, 15, 20}) d.rect(x, 4, x, 31, rgb(90, 55, 30));
      d.rect(6, 9, 25, 10, rgb(70, 70, 75));
      d.rect(6, 24, 25, 25, rgb(70, 70, 75));
      d.disc(22, 18, 1.6, rgb(230, 200, 80));
    } else {
      d.rect(6, 4, 25, 31, rgb(60, 50, 40));
      d.poly({{6, 4}, {10, 7}, {10, 31}, {6, 31}}, rgb(140, 90, 45));
      d.rect(6, 4, 6, 31, rgb(90, 55, 30));
    }
    return d;
  };
  v.push_back({"closed door", door(false)});
  v.push_back({"open door", door(true)});

  v.push_back({"tree", tree_on_mask(55, 1.0)});

  Image wood(CELL, CELL);
  for (int y = 0; y < CELL; ++y)
    for (int x = 0; x < CELL; ++x) {
      int plank = x / 8;
      double g = 0.85 + 0.15 * std::sin(y * 0.7 + plank * 2 + 3 * hash01(plank, y / 6, 57));
      wood.set(x, y, (x % 8 == 7) ? rgb(80, 50, 25) : shade(rgb(160, 110, 60), g));
    }
  for (int p = 0; p < 4; ++p) wood.rect(p * 8, (p * 13) % CELL, p * 8 + 6, (p * 13) % CELL, rgb(90, 60, 30));
  v.push_back({"wooden floor", wood});

  Image meadow = grass(59);
  Rng fr(60);
  for (int i = 0; i < 9; ++i) {
    int x = 2 + fr.below(28), y = 2 + fr.below(28);
    uint32_t c = i % 3 == 0 ? rgb(240, 220, 60) : i % 3 == 1 ? rgb(240, 240, 250) : rgb(200, 90, 200);
    meadow.set(x, y, c), meadow.set(x + 1, y, c), meadow.set(x, y + 1, c), meadow.set(x + 1, y + 1, shade(c, 0.8));
  }
  v.push_back({"meadow", meadow});
  return v;
}

std::vector<Tile> extra_tiles(int sheet) {
  std::vector<Tile> v;
  if (sheet == 3) {
    // Furniture and fittings.
    auto obj = [](const char* name, auto draw) {
      Image t(CELL, CELL);
      draw(t);
      t.light();
      t.outline();
      return Tile{name, t};
    };
    uint32_t wood = rgb(150, 100, 55), dark = rgb(100, 65, 35);
    v.push_back(obj("table", [&](Image& t) {
      t.rect(4, 10, 27, 17, wood);
      t.rect(5, 18, 7, 28, dark);
      t.rect(24, 18, 26, 28, dark);
    }));
    v.push_back(obj("chair", [&](Image& t) {
      t.rect(10, 4, 12, 27, dark);
      t.rect(10, 16, 22, 19, wood);
      t.rect(20, 19, 22, 27, dark);
    }));
    v.push_back(obj("barrel", [&](Image& t) {
      t.ellipse(16, 17, 10, 12, wood);
      t.rect(6, 10, 26, 11, rgb(90, 90, 95));
      t.rect(6, 23, 26, 24, rgb(90, 90, 95));
    }));
    v.push_back(obj("crate", [&](Image& t) {
      t.rect(5, 7, 26, 28, wood);
      t.line(6, 8, 25, 27, dark, 2);
      t.line(25, 8, 6, 27, dark, 2);
      t.frame(5, 7, 26, 28, dark);
    }));
    v.push_back(obj("bed", [&](Image& t) {
      t.rect(5, 3, 26, 29, dark);
      t.rect(7, 5, 24, 27, rgb(200, 60, 60));
      t.rect(8, 5, 23, 10, rgb(240, 240, 235));
    }));
    v.push_back(obj("chest", [&](Image& t) {
      t.rect(4, 12, 27, 27, wood);
      t.ellipse(16, 12, 12, 5, shade(wood, 1.2));
      t.rect(4, 15, 27, 16, rgb(200, 170, 60));
      t.rect(14, 14, 17, 19, rgb(220, 190, 70));
    }));
    v.push_back(obj("well", [&](Image& t) {
      t.ellipse(16, 20, 12, 8, rgb(140, 140, 135));
      t.ellipse(16, 19, 8, 5, rgb(30, 50, 90));
      t.rect(5, 4, 6, 20, dark);
      t.rect(25, 4, 26, 20, dark);
      t.rect(4, 3, 27, 5, rgb(150, 60, 40));
    }));
    v.push_back(obj("signpost", [&](Image& t) {
      t.rect(15, 10, 17, 30, dark);
      t.poly({{6, 5}, {24, 5}, {28, 9}, {24, 13}, {6, 13}}, wood);
    }));
    v.push_back(obj("anvil", [&](Image& t) {
      t.poly({{4, 12}, {26, 12}, {22, 17}, {10, 17}}, grey(110));
      t.rect(12, 17, 20, 24, grey(90));
      t.rect(8, 24, 24, 28, grey(100));
    }));
    v.push_back(obj("fence", [&](Image& t) {
      for (int x : {3, 15, 27}) t.rect(x, 8, x + 2, 28, wood);
      t.rect(1, 12, 30, 14, dark);
      t.rect(1, 21, 30, 23, dark);
    }));
    v.push_back(obj("statue", [&](Image& t) {
      t.rect(8, 24, 23, 29, grey(120));
      t.disc(16, 7, 4, grey(170));
      t.poly({{11, 12}, {21, 12}, {20, 24}, {12, 24}}, grey(160));
    }));
    v.push_back(obj("altar", [&](Image& t) {
      t.rect(5, 14, 26, 28, rgb(200, 195, 185));
      t.rect(3, 12, 28, 15, rgb(230, 225, 215));
      t.disc(16, 8, 3, rgb(255, 220, 90));
    }));
    v.push_back(obj("bookshelf", [&](Image& t) {
      t.rect(4, 2, 27, 29, dark);
      for (int r = 0; r < 3; ++r)
        for (int b = 0; b < 6; ++b)
          t.rect(6 + b * 3 + (b > 2), 4 + r * 9, 7 + b * 3 + (b > 2), 10 + r * 9,
                 b % 3 == 0 ? rgb(160, 40, 40) : b % 3 == 1 ? rgb(40, 80, 160) : rgb(60, 130, 60));
    }));
    v.push_back(obj("hearth", [&](Image& t) {
      t.rect(3, 8, 28, 29, grey(120));
      t.rect(8, 16, 23, 29, rgb(30, 20, 15));
      t.poly({{10, 29}, {13, 19}, {16, 24}, {19, 18}, {22, 29}}, rgb(250, 140, 30));
    }));
    v.push_back(obj("lamp post", [&](Image& t) {
      t.rect(15, 10, 16, 30, grey(60));
      t.disc(16, 7, 4, rgb(255, 230, 120));
    }));
    v.push_back(obj("grave", [&](Image& t) {
      t.ellipse(16, 10, 8, 7, grey(150));
      t.rect(8, 10, 24, 26, grey(150));
      t.rect(15, 7, 17, 18, grey(90));
      t.rect(12, 10, 20, 12, grey(90));
    }));
    return v;
  }
  // Ground variants with other seeds and hues.
  const uint32_t hues[][4] = {
      {rgb(70, 140, 50), rgb(130, 95, 60), rgb(220, 200, 140), rgb(150, 150, 145)},
      {rgb(90, 150, 60), rgb(110, 80, 50), rgb(230, 230, 240), rgb(110, 100, 95)},
      {rgb(60, 120, 45), rgb(150, 110, 70), rgb(200, 170, 110), rgb(170, 165, 160)},
      {rgb(100, 130, 60), rgb(90, 70, 55), rgb(240, 245, 250), rgb(90, 90, 100)},
      {rgb(80, 110, 40), rgb(140, 120, 90), rgb(190, 180, 150), rgb(130, 120, 110)},
  };
  const char* names[] = {"grass", "earth", "sand", "stone"};
  int k = (sheet - 4) % 5;
  for (int i = 0; i < 16; ++i) {
    int kind = i % 4;
    Image t = kind == 0 ? grass(100 + sheet * 16 + i) : ground(hues[k][kind], 0.2 + 0.05 * (i / 4), 100 + sheet * 16 + i);
    if (kind == 0)
      for (int y = 0; y < CELL; ++y)
        for (int x = 0; x < CELL; ++x) t.set(x, y, mix(t.get(x, y), hues[k][0], 0.3));
    v.push_back({std::string(names[kind]) + " variant", t});
  }
  return v;
}

}  // namespace mk
