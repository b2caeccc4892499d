// Figures: the player avatars of each people, the creatures of the valley,
// riders on their mounts, and the worn-item and status overlays drawn over
// figures. Figures have two frames: standing and mid-step.
#include <cmath>

#include "art.h"

namespace mk {

namespace {

struct Look {
  uint32_t skin, hair, top, legs;
  double width = 1.0, height = 1.0;
  bool female = false, beard = false;
};

// A person seen from the front, feet at the bottom of the cell.
Image person(const Look& l, int frame) {
  Image t(CELL, CELL);
  double cx = 16, foot = 30, h = 26 * l.height, w = l.width;
  double head_y = foot - h + 4, bob = frame ? 1 : 0;
  double hip = foot - h * 0.38, shoulder = foot - h * 0.72 + bob;
  // Legs, stepping on the second frame.
  double step = frame ? 2 : 0;
  t.rect(static_cast<int>(cx - 4 * w), static_cast<int>(hip), static_cast<int>(cx - 1), static_cast<int>(foot - step), l.legs);
  t.rect(static_cast<int>(cx + 1), static_cast<int>(hip), static_cast<int>(cx + 4 * w - 1), static_cast<int>(foot), l.legs);
  t.rect(static_cast<int>(cx - 4 * w), static_cast<int>(foot - step - 1), static_cast<int>(cx - 1), static_cast<int>(foot - step), rgb(60, 40, 25));
  t.rect(static_cast<int>(cx + 1), static_cast<int>(foot - 1), static_cast<int>(cx + 4 * w - 1), static_cast<int>(foot), rgb(60, 40, 25));
  // Body: a skirt widens below the waist.
  if (l.female)
    t.poly({{cx - 5 * w, shoulder}, {cx + 5 * w, shoulder}, {cx + 7 * w, hip + 5}, {cx - 7 * w, hip + 5}}, l.top);
  else
    t.poly({{cx - 6 * w, shoulder}, {cx + 6 * w, shoulder}, {cx + 5 * w, hip + 1}, {cx - 5 * w, hip + 1}}, l.top);
  t.rect(static_cast<int>(cx - 5 * w), static_cast<int>(hip - 1), static_cast<int>(cx + 5 * w), static_cast<int>(hip), shade(l.top, 0.6));
  // Arms hanging at the sides, swinging on the second frame.
  double swing = frame ? 1.5 : 0;
  t.line(cx - 6.5 * w, shoulder + 1, cx - 7.5 * w - swing, hip + 1, l.top, 3);
  t.line(cx + 6.5 * w, shoulder + 1, cx + 7.5 * w + swing, hip + 1, l.top, 3);
  t.disc(cx - 7.5 * w - swing, hip + 2, 1.8, l.skin);
  t.disc(cx + 7.5 * w + swing, hip + 2, 1.8, l.skin);
  // Head with hair and eyes.
  double hy = head_y + bob;
  t.ellipse(cx, hy, 4.5 * std::min(w, 1.15), 4.8, l.skin);
  t.ellipse(cx, hy - 3, 4.8 * std::min(w, 1.15), 2.5, l.hair);
  if (l.female) {
    t.rect(static_cast<int>(cx - 5), static_cast<int>(hy - 2), static_cast<int>(cx - 4), static_cast<int>(hy + 5), l.hair);
    t.rect(static_cast<int>(cx + 4), static_cast<int>(hy - 2), static_cast<int>(cx + 5), static_cast<int>(hy + 5), l.hair);
  }
  if (l.beard) t.poly({{cx - 4, hy + 1}, {cx + 4, hy + 1}, {cx, hy + 7}}, l.hair);
  t.set(static_cast<int>(cx - 2), static_cast<int>(hy), BLACK);
  t.set(static_cast<int>(cx + 1), static_cast<int>(hy), BLACK);
  t.light(1.15, 0.9);
  t.outline();
  return t;
}

struct Beast {
  uint32_t body, belly;
  double len, high, leg, neck;  // body length and height, leg length, neck rise
  bool tail, horns, ears;
};

// A four-legged animal in side view, facing right.
Image beast(const Beast& b, int frame) {
  Image t(CELL, CELL);
  double cx = 15, ground = 30, by = ground - b.leg - b.high / 2;
  double bob = frame ? 1 : 0;
  by -= bob;
  double step = frame ? 2 : 0;
  uint32_t legc = shade(b.body, 0.8);
  for (int k = 0; k < 2; ++k) {
    double x = cx - b.len / 2 + 3 + k * (b.len - 6);
    t.line(x - step, by + b.high / 3, x - step, ground, legc, 2.5);
    t.line(x + 2 + step, by + b.high / 3, x + 2 + step, ground, b.body, 2.5);
  }
  t.ellipse(cx, by, b.len / 2, b.high / 2, b.body);
  t.ellipse(cx, by + b.high / 4, b.len / 2 - 2, b.high / 4, b.belly);
  double hx = cx + b.len / 2 + 1, hy = by - b.neck;
  t.line(cx + b.len / 2 - 3, by - 1, hx, hy, b.body, b.high / 2.2);
  t.ellipse(hx + 2, hy, 4, 3, b.body);
  t.set(static_cast<int>(hx + 3), static_cast<int>(hy - 1), BLACK);
  if (b.ears) t.poly({{hx - 1, hy - 2}, {hx + 1, hy - 7}, {hx + 3, hy - 2}}, b.body);
  if (b.horns) {
    t.line(hx, hy - 2, hx - 3, hy - 6, rgb(230, 225, 200), 1.5);
    t.line(hx + 3, hy - 2, hx + 5, hy - 6, rgb(230, 225, 200), 1.5);
  }
  if (b.tail) t.line(cx - b.len / 2, by - 1, cx - b.len / 2 - 5, by + 3 + bob * 2, b.body, 1.5);
  t.light(1.15, 0.9);
  t.outline();
  return t;
}

Image rat(int f) { return beast({rgb(120, 105, 90), rgb(170, 155, 140), 14, 7, 3, 0, true, false, true}, f); }
Image wolf(int f) { return beast({rgb(120, 120, 125), rgb(190, 190, 190), 18, 9, 7, 4, true, false, true}, f); }

Image toad(int f) {
  Image t(CELL, CELL);
  double puff = f ? 1 : 0;
  uint32_t c = rgb(90, 140, 60);
  t.ellipse(16, 22 - puff, 10 + puff, 7 + puff, c);
  t.ellipse(16, 24, 7, 4, rgb(200, 210, 140));
  t.disc(11, 15 - puff, 3, c);
  t.disc(21, 15 - puff, 3, c);
  t.disc(11, 14 - puff, 1.5, rgb(240, 200, 40));
  t.disc(21, 14 - puff, 1.5, rgb(240, 200, 40));
  t.line(5, 27, 10, 24, c, 2.5);
  t.line(27, 27, 22, 24, c, 2.5);
  t.light(1.15, 0.9);
  t.outline();
  return t;
}

Image wight(int f) {
  Image t(CELL, CELL);
  double sway = f ? 1 : -1;
  uint32_t c = rgb(70, 90, 80);
  t.poly({{16, 4}, {23, 10}, {24 + sway, 29}, {20, 26}, {16, 30}, {12, 26}, {8 + sway, 29}, {9, 10}}, c);
  t.line(9, 12, 3 + sway, 20, c, 2.5);
  t.line(23, 12, 29 + sway, 20, c, 2.5);
  t.ellipse(16, 9, 4, 4.5, rgb(40, 50, 45));
  t.set(14, 9, rgb(120, 255, 160));
  t.set(18, 9, rgb(120, 255, 160));
  t.light(1.1, 0.8);
  t.outline();
  return t;
}

Image troll(int f) {
  Look l{rgb(110, 130, 100), rgb(60, 70, 50), rgb(100, 80, 60), rgb(80, 65, 50), 1.45, 1.12, false, false};
  Image t = person(l, f);
  t.line(27, 20, 30, 6, rgb(110, 75, 40), 3);
  t.disc(30, 6, 3, rgb(110, 75, 40));
  t.outline();
  return t;
}

Image heron(int f) {
  Image t(CELL, CELL);
  uint32_t c = rgb(170, 180, 195), leg = rgb(200, 170, 80);
  t.line(14, 20, 13, 30, leg, 1.2);
  t.line(18, 20, f ? 21 : 18, 30, leg, 1.2);
  t.ellipse(16, 17, 8, 5, c);
  t.poly({{9, 15}, {3, 20}, {10, 19}}, shade(c, 0.8));
  t.line(21, 14, 22, 6, c, 2.5);
  t.disc(22, 6, 2.5, c);
  t.line(24, 6, 30, 8, rgb(230, 190, 60), 1.5);
  t.set(22, 5, BLACK);
  t.light(1.15, 0.9);
  t.outline();
  return t;
}

Image imp(int f) {
  Look l{rgb(210, 70, 40), rgb(120, 30, 20), rgb(170, 50, 30), rgb(140, 40, 25), 0.8, 0.75, false, false};
  Image t(CELL, CELL);
  double flap = f ? -3 : 0;
  t.poly({{14, 15}, {2, 8 + flap}, {5, 20}}, rgb(120, 40, 40));
  t.poly({{18, 15}, {30, 8 + flap}, {27, 20}}, rgb(120, 40, 40));
  t.outline();
  Image body = person(l, f);
  t.blit(body, 0, 0, true);
  t.poly({{12, 11 + (f ? 1 : 0)}, {11, 6}, {14, 10}}, rgb(240, 220, 190));
  t.poly({{20, 11 + (f ? 1 : 0)}, {21, 6}, {18, 10}}, rgb(240, 220, 190));
  return t;
}

Image ghost(int f) {
  Image t(CELL, CELL);
  double up = f ? -1 : 0;
  uint32_t c = rgb(215, 230, 240);
  t.ellipse(16, 11 + up, 8, 8, c);
  t.rect(8, 11 + static_cast<int>(up), 24, 24 + static_cast<int>(up), c);
  for (int k = 0; k < 4; ++k) t.disc(10 + k * 4, 25 + up + (k + f) % 2, 2.2, c);
  t.ellipse(13, 10 + up, 1.6, 2.4, rgb(40, 50, 70));
  t.ellipse(19, 10 + up, 1.6, 2.4, rgb(40, 50, 70));
  t.ellipse(16, 16 + up, 2, 1.3, rgb(40, 50, 70));
  // The ferry lantern.
  t.rect(25, 18, 29, 23, rgb(255, 200, 80));
  t.line(27, 14, 27, 18, grey(80));
  t.outline();
  return t;
}

Image boat(bool left) {
  Image t(CELL, CELL);
  t.poly({{2, 18}, {30, 18}, {25, 27}, {7, 27}}, rgb(130, 85, 45));
  t.rect(4, 19, 28, 20, rgb(170, 120, 70));
  t.rect(15, 3, 16, 18, rgb(90, 60, 30));
  t.poly({{17, 4}, {27, 15}, {17, 15}}, rgb(235, 230, 215));
  Look l{rgb(225, 185, 145), rgb(100, 70, 40), rgb(60, 120, 160), rgb(70, 60, 50)};
  Image p = person(l, 0);
  for (int y = 20; y < CELL; ++y)
    for (int x = 0; x < CELL; ++x) p.set(x, y, MASK);
  t.light();
  t.outline();
  t.blit(p, -6, -4, true);
  return left ? t.mirrored() : t;
}

Image rider(const Beast& b, const Look& l, bool left) {
  Image t = beast(b, 0);
  // The rider from the waist up, sitting on the animal's back.
  Image p = person(l, 0);
  for (int y = 21; y < CELL; ++y)
    for (int x = 0; x < CELL; ++x) p.set(x, y, MASK);
  double back = 30 - b.leg - b.high;
  t.blit(p, -3, static_cast<int>(back + 3) - 21, true);
  return left ? t.mirrored() : t;
}

}  // namespace

std::vector<Tile> figure_tiles() {
  std::vector<Tile> v;
  const uint32_t tan = rgb(225, 185, 145), ruddy = rgb(200, 150, 120), reed = rgb(170, 195, 140);
  struct Avatar {
    const char* name;
    Look look;
  };
  const Avatar avatars[] = {
      {"valefolk man", {tan, rgb(110, 70, 35), rgb(60, 120, 60), rgb(110, 90, 60)}},
      {"valefolk man 2", {tan, rgb(200, 170, 90), rgb(60, 90, 160), rgb(90, 80, 70)}},
      {"valefolk woman", {tan, rgb(150, 80, 40), rgb(170, 60, 60), rgb(110, 90, 60), 0.95, 0.95, true}},
      {"valefolk woman 2", {tan, rgb(60, 40, 30), rgb(90, 140, 170), rgb(90, 80, 70), 0.95, 0.95, true}},
      {"stoneborn man", {ruddy, rgb(90, 80, 70), rgb(130, 110, 90), rgb(80, 70, 60), 1.3, 0.85, false, true}},
      {"stoneborn man 2", {ruddy, rgb(170, 60, 30), rgb(100, 100, 110), rgb(70, 60, 55), 1.3, 0.85, false, true}},
      {"stoneborn woman", {ruddy, rgb(90, 80, 70), rgb(140, 100, 60), rgb(80, 70, 60), 1.2, 0.85, true}},
      {"stoneborn woman 2", {ruddy, rgb(170, 60, 30), rgb(110, 110, 120), rgb(70, 60, 55), 1.2, 0.85, true}},
      {"reedkin man", {reed, rgb(40, 60, 40), rgb(70, 130, 110), rgb(90, 100, 70), 0.8, 1.08}},
      {"reedkin man 2", {reed, rgb(200, 200, 170), rgb(120, 140, 70), rgb(90, 100, 70), 0.8, 1.08}},
      {"reedkin woman", {reed, rgb(40, 60, 40), rgb(60, 150, 140), rgb(90, 100, 70), 0.78, 1.05, true}},
      {"reedkin woman 2", {reed, rgb(200, 200, 170), rgb(150, 160, 80), rgb(90, 100, 70), 0.78, 1.05, true}},
      {"hollow", {rgb(150, 150, 150), rgb(80, 80, 80), rgb(90, 90, 95), rgb(70, 70, 75)}},
  };
  for (const Avatar& a : avatars)
    for (int f = 0; f < 2; ++f) v.push_back({std::string(a.name) + " " + std::to_string(f), person(a.look, f)});
  // Animals seen from the side face west; the client mirrors them when they
  // head east.
  struct Creature {
    const char* name;
    Image (*draw)(int);
    bool side;
  };
  const Creature creatures[] = {{"river rat", rat, true},     {"marsh toad", toad, false},
                                {"hill wolf", wolf, true},    {"bog wight", wight, false},
                                {"quarry troll", troll, false}, {"reed heron", heron, true},
                                {"kiln imp", imp, false},     {"ferry ghost", ghost, false}};
  for (const Creature& c : creatures)
    for (int f = 0; f < 2; ++f) {
      Image img = c.draw(f);
      v.push_back({std::string(c.name) + " " + std::to_string(f), c.side ? img.mirrored() : img});
    }

  Image dead(CELL, CELL);
  dead.ellipse(16, 27, 12, 3, rgb(110, 80, 50));
  dead.ellipse(16, 11, 8, 7, grey(150));
  dead.rect(8, 11, 24, 27, grey(150));
  dead.rect(15, 8, 17, 21, grey(90));
  dead.rect(11, 11, 21, 13, grey(90));
  dead.light();
  dead.outline();
  v.push_back({"grave", dead});

  // Sitting cross-legged, hands on the knees.
  Image med(CELL, CELL);
  const uint32_t robe = rgb(150, 120, 170);
  med.ellipse(16, 26, 12, 4, shade(robe, 0.85));
  med.poly({{10, 13}, {22, 13}, {23, 25}, {9, 25}}, robe);
  med.line(10, 15, 6, 24, robe, 3);
  med.line(22, 15, 26, 24, robe, 3);
  med.disc(6, 25, 1.8, tan);
  med.disc(26, 25, 1.8, tan);
  med.ellipse(16, 8, 4.5, 4.8, tan);
  med.ellipse(16, 5, 4.8, 2.5, rgb(110, 70, 35));
  med.rect(14, 9, 15, 9, BLACK);
  med.rect(17, 9, 18, 9, BLACK);
  med.light(1.15, 0.9);
  med.outline();
  v.push_back({"meditating", med});

  Image stocks = person(avatars[0].look, 0);
  stocks.rect(3, 14, 28, 18, rgb(130, 85, 45));
  stocks.rect(5, 18, 7, 30, rgb(100, 65, 35));
  stocks.rect(24, 18, 26, 30, rgb(100, 65, 35));
  stocks.outline();
  v.push_back({"in stocks", stocks});

  v.push_back({"boat right", boat(false)});
  v.push_back({"boat left", boat(true)});

  const Beast pony{rgb(150, 100, 60), rgb(190, 150, 110), 17, 9, 7, 4, true, false, true};
  const Beast strider{rgb(60, 130, 120), rgb(150, 200, 180), 14, 8, 11, 6, true, false, false};
  const Beast ox{rgb(110, 80, 60), rgb(160, 130, 100), 20, 11, 6, 1, true, true, false};
  const Look rider_look{tan, rgb(110, 70, 35), rgb(60, 120, 60), rgb(110, 90, 60), 0.8};
  for (auto [name, b] : {std::pair{"pony", pony}, {"strider", strider}, {"ox", ox}}) {
    v.push_back({std::string(name) + " rider left", rider(b, rider_look, true)});
    v.push_back({std::string(name) + " rider right", rider(b, rider_look, false)});
  }
  return v;
}

namespace {

// What a figure wears or holds, drawn over the figure of person(): the right
// hand (viewer's left) is near (8, 20), the left hand near (24, 20).
void worn(Image& t, int row, int frame) {
  double bob = frame % 2;
  uint32_t steel = grey(190), wood = rgb(150, 100, 55);
  auto weapon_line = [&](double len, uint32_t c, double thick) {
    t.line(7, 21 + bob, 7 - len * 0.25, 21 - len + bob, c, thick);
  };
  switch (row) {
    case 1:  // short blade
      weapon_line(11, steel, 2.5);
      t.line(4, 19 + bob, 10, 19 + bob, rgb(240, 200, 60), 1.5);
      break;
    case 2:  // bow
      t.ring(10, 18 + bob, 9, 10.5, wood);
      for (int y = 0; y < CELL; ++y)
        for (int x = 0; x < CELL; ++x)
          if (x > 6) t.set(x, y, MASK);
      t.line(6, 9 + bob, 6, 27 + bob, rgb(230, 230, 220));
      break;
    case 3:  // round shield
      t.disc(25, 20 + bob, 6, wood);
      t.ring(25, 20 + bob, 5, 6, grey(140));
      t.disc(25, 20 + bob, 1.5, grey(140));
      break;
    case 4:  // reed hat
      t.ellipse(16, 7 + bob, 8, 2, rgb(210, 190, 110));
      t.poly({{11, 7 + bob}, {16, 1 + bob}, {21, 7 + bob}}, rgb(200, 175, 95));
      break;
    case 5:  // iron helm
      t.ellipse(16, 6 + bob, 5.5, 4, grey(140));
      t.rect(15, 3 + static_cast<int>(bob), 16, 10 + static_cast<int>(bob), grey(170));
      break;
    case 6:  // quilted coat
    case 7:  // ringmail
    case 8:  // plate
      t.poly({{10, 13 + bob}, {22, 13 + bob}, {21, 21 + bob}, {11, 21 + bob}},
             row == 6 ? rgb(120, 140, 90) : row == 7 ? grey(150) : grey(190));
      break;
    case 9:  // boots
      t.rect(11, 27, 15, 30, rgb(70, 90, 60));
      t.rect(17, 27, 20, 30, rgb(70, 90, 60));
      break;
    case 10:  // gloves
    case 23:  // gauntlets
      t.disc(8, 22 + bob, 2.2, row == 10 ? rgb(130, 85, 50) : grey(140));
      t.disc(24, 22 + bob, 2.2, row == 10 ? rgb(130, 85, 50) : grey(140));
      break;
    case 11:  // trousers
    case 22:  // greaves
      t.rect(12, 21, 15, 27, row == 11 ? rgb(110, 90, 70) : grey(140));
      t.rect(17, 21, 20, 27, row == 11 ? rgb(110, 90, 70) : grey(140));
      break;
    case 12:  // bracers
      t.rect(6, 17 + static_cast<int>(bob), 9, 19 + static_cast<int>(bob), rgb(130, 85, 50));
      t.rect(23, 17 + static_cast<int>(bob), 26, 19 + static_cast<int>(bob), rgb(130, 85, 50));
      break;
    case 13:  // hammer
      weapon_line(12, wood, 2);
      t.rect(1, 6 + static_cast<int>(bob), 9, 10 + static_cast<int>(bob), grey(140));
      break;
    case 14:  // sling
      t.line(8, 22 + bob, 5, 28 + bob, rgb(190, 170, 110));
      t.disc(5, 28 + bob, 1.8, rgb(130, 85, 50));
      break;
    case 15:  // wand
      weapon_line(8, rgb(60, 40, 30), 1.5);
      t.disc(5, 13 + bob, 2, rgb(255, 120, 30));
      break;
    case 16:  // spear
      t.line(6, 29 + bob, 6, 4 + bob, wood, 1.5);
      t.poly({{6, 0 + bob}, {4, 5 + bob}, {8, 5 + bob}}, steel);
      break;
    case 17:  // knuckles
      t.disc(8, 22 + bob, 2.5, rgb(230, 225, 200));
      break;
    case 18:  // sickle
      t.ring(6, 14 + bob, 4, 5.5, steel);
      for (int y = 14; y < CELL; ++y)
        for (int x = 6; x < CELL; ++x) t.set(x, y + static_cast<int>(bob), MASK);
      t.line(7, 22 + bob, 6, 15 + bob, wood, 1.5);
      break;
    case 19:  // staff
      t.line(6, 30, 6, 3 + bob, wood, 2);
      t.disc(6, 3 + bob, 2, rgb(105, 68, 36));
      break;
    case 20:  // longblade
      weapon_line(17, steel, 2.5);
      t.line(3, 19 + bob, 11, 19 + bob, rgb(240, 200, 60), 1.5);
      break;
    case 21:  // kite shield
      t.poly({{20, 14 + bob}, {30, 14 + bob}, {29, 22 + bob}, {25, 28 + bob}, {21, 22 + bob}}, rgb(170, 40, 40));
      t.rect(24, 14 + static_cast<int>(bob), 26, 25 + static_cast<int>(bob), rgb(240, 200, 60));
      break;
    default:
      break;
  }
}

// Status marks over a figure, four animation frames each.
void status_mark(Image& t, int kind, int frame) {
  double ph = frame * 3.14159 / 2;
  switch (kind) {
    case 1:  // poison bubbles
      for (int k = 0; k < 3; ++k) t.disc(8 + k * 8, 8 - ((frame + k) % 4) * 1.5 + 6, 2.2, rgb(90, 220, 60));
      break;
    case 2:  // asleep
      t.line(20, 3 + frame, 26, 3 + frame, rgb(240, 240, 255), 1.5);
      t.line(26, 3 + frame, 20, 9 + frame, rgb(240, 240, 255), 1.5);
      t.line(20, 9 + frame, 26, 9 + frame, rgb(240, 240, 255), 1.5);
      break;
    case 3:  // shielded: a ring of light
      t.ring(16, 17, 13, 14.5, rgb(120, 190, 255));
      for (int y = 0; y < CELL; ++y)
        for (int x = 0; x < CELL; ++x)
          if (t.get(x, y) != MASK && hash01(x, y, frame) < 0.4) t.set(x, y, MASK);
      break;
    case 4:  // burning
      for (int k = 0; k < 3; ++k) {
        double x = 8 + k * 8, h = 6 + 2 * std::sin(ph + k);
        t.poly({{x - 3, 30}, {x, 30 - h - 4}, {x + 3, 30}}, rgb(255, 140, 30));
      }
      break;
    case 5:  // frozen
      for (int k = 0; k < 4; ++k) {
        double a = ph / 2 + k * 1.57;
        t.line(16, 16, 16 + 12 * std::cos(a), 16 + 12 * std::sin(a), rgb(200, 240, 255), 1.2);
      }
      break;
    case 6:  // blessed sparkles
      for (int k = 0; k < 4; ++k) {
        double x = 6 + ((k * 7 + frame * 5) % 20), y = 4 + ((k * 11 + frame * 3) % 22);
        t.line(x - 2, y, x + 2, y, rgb(255, 240, 140));
        t.line(x, y - 2, x, y + 2, rgb(255, 240, 140));
      }
      break;
    default:  // stunned stars circling the head
      for (int k = 0; k < 3; ++k) {
        double a = ph + k * 2.09;
        t.disc(16 + 7 * std::cos(a), 4 + 2 * std::sin(a), 1.6, rgb(255, 230, 60));
      }
      break;
  }
}

}  // namespace

Image overlay_sheet() {
  Image sheet(8 * CELL, OVERLAY_ROWS * CELL);
  for (int row = 0; row < OVERLAY_ROWS; ++row)
    for (int col = 0; col < 8; ++col) {
      Image t(CELL, CELL);
      if (col < 4) worn(t, row, col);
      else if (row < 7) status_mark(t, row + 1, col - 4);
      t.outline();
      sheet.blit(t, col * CELL, row * CELL);
    }
  return sheet;
}

}  // namespace mk
