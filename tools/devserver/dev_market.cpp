// The market world of the development server (--market): Hobb the smith,
// Wenna the banker and the guard stand by the road south of the start, with
// a chest and the kiln; a goblin prowls by the farmhouse, whose card table
// lays out the cards a player carries. Each answers what the player does
// beside it: the talk key, the buy and sell keys, open, activate, look, get,
// drop, use, cast and attack. Nothing opens by itself.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/compression.h"
#include "core/item.h"
#include "core/item_bases.h"
#include "core/item_data.h"
#include "core/skills_classes.h"
#include "core/spells.h"
#include "core/string_utils.h"
#include "core/tiles.h"
#include "core/utils.h"
#include "dev_session.h"
#include "net/socket.h"

namespace {

constexpr int MERCHANT_ID = 160;
constexpr int BANKER_ID = 161;
constexpr int CHEST_ID = 162;
constexpr int GUARD_ID = 163;
constexpr int KILN_ID = 164;
constexpr int GOBLIN_ID = DEV_CREATURE_ID;
constexpr int FIRST_GROUND_ID = 300;
constexpr int CHEST_NUMBER = 5;
constexpr int RECIPE_NUMBER = 7;
constexpr char MERCHANT_KIND = 'w';  // Hobb deals in what weapons.txt marks 'w'

constexpr int KILN_CODE = 0x822;
constexpr int GOBLIN_CODE = 0x217;
constexpr int GOBLIN_HP = 16;
constexpr int GOBLIN_HIT = 3;
// A goblin brings the first level (at 200 experience) on its own.
constexpr int GOBLIN_XP = 200;
constexpr int GOBLIN_HOME_X = 9, GOBLIN_HOME_Y = 19;
constexpr int GOBLIN_STEP_MS = 600;
constexpr int GOBLIN_RETURN_MS = 30000;
// The goblin stops on its round to face a player this near.
constexpr int GOBLIN_NOTICE = 2;
constexpr int REST_PERIOD_MS = 4000;
constexpr int REVIVE_MS = 3000;
constexpr int DRAUGHT_HEAL = 8;
constexpr int MEDITATE_MANA = 5;
// The card table stands in the farmhouse, region 1 of the valley level.
constexpr int CARD_TABLE_REGION = 1;
// A gold coin lost in the grass south-east of the market, there to be found.
constexpr int LOST_COIN_X = 20, LOST_COIN_Y = 22;
constexpr char TALK_SEPARATOR = 0x1f;
constexpr char BOOK_LINE = 0x1f;
constexpr char TOPIC = 0x16, WHITE = 0x10;

const MarketFigure FIGURES[] = {
    {GUARD_ID, 0x204, 6, 7, "Guard", "the market's guard"},
    {MERCHANT_ID, 0x205, 4, 9, "Hobb", "Hobb the smith"},
    {BANKER_ID, 0x202, 6, 11, "Wenna", "Wenna the banker"},
    {CHEST_ID, 0x821, 4, 13, "Chest", "a stout oak chest"},
    {KILN_ID, KILN_CODE, 6, 15, "Kiln", "the kiln, warm to the touch"},
};

const Item GOLD(static_cast<long>(ITEM_BASE_CURRENCY));
const Item STAFF(0x18aL);
const Item BOW(0x182L);
const Item COAT(0x1b2L | ITEM_BIT_UNIDENTIFIED);
const Item RING(0x1b8L | ITEM_BIT_CURSED);
const Item BREAD(0x1c0L);
const Item DRAUGHT(0x193L);
// A map scrap's code carries its colour (bits 12-23), in which its name is
// written: parchment ochre, to be read on the dark panel and lists.
const Item MAP_SCRAP(0xdb05b5L);
const Item GEM(0x10fL);
const Item LANTERN(0x192L);
const Item LAMP_OIL(0x108L);
constexpr long GOLD_CARRIED = 200;
// Every list the market opens names the coin it trades in: the client prices
// the entries of a list in the item its list line names.
std::string currency() { return GOLD.str(false); }
// A blessed card of the card game: the cards in hand are the blessed ones.
const char* const CARD = "20000811..Heron_Scout";

// The kiln's recipes: what it makes, from what, and how long the firing takes.
struct Recipe {
  Item product;
  Item ingredient;
  int ms;
};
const Recipe RECIPES[] = {
    {Item(0x1c4L), BREAD, 1500},  // bread baked twice: a kiln biscuit
    {Item(0x80bL), GEM, 1500},    // a raw gem fired bright: a kiln charm
};

// Spells that heal their target; every other spell with dice hurts it.
bool heals(int spell) { return spells.get_spell_func_name(spell) == "sp_mend"; }

// The river chart's text: paragraphs, which the client wraps to its pages.
const char* const MAP_TEXT[] = {
    "A torn corner of a river chart, inked in kiln-black.",
    "",
    ("The Quill runs south past the farmstead. Hobb's forge stands by the road with Wenna's bank "
     "beside it; the chest and the kiln by the road are free to all."),
    "",
    "The farmhouse keeps a card table. A goblin lurks by its door.",
};

// The chest and the kiln are things: no health bar, no talk, no fight.
bool is_thing(const MarketFigure& f) { return f.id == CHEST_ID || f.id == KILN_ID; }

int distance(int x1, int y1, int x2, int y2) { return std::max(std::abs(x1 - x2), std::abs(y1 - y2)); }

std::string topic(const std::string& word) { return std::string(1, TOPIC) + word + std::string(1, WHITE); }

// The average roll of NdM, rounded up.
int average_roll(int dice, int sides) { return (dice * (sides + 1) + 1) / 2; }
int average_roll(const std::string& dice_text) {
  int n = 0, s = 0;
  return std::sscanf(dice_text.c_str(), "%dd%d", &n, &s) == 2 ? average_roll(n, s) : 0;
}

}  // namespace

// ---- Setting up and showing the market -----------------------------------------

void DevSession::market_setup(bool first_kit) {
  MarketWorld& m = market;
  if (first_kit) {
    m.pack.clear();
    m.pack.add(STAFF, 1, 1, false);
    m.pack.add(BOW, 1, 1, false);
    m.pack.add(COAT, 1, 1, false);
    m.pack.add(RING, 1, 1, false);
    m.pack.add(GOLD, GOLD_CARRIED, 1, false);
    m.pack.add(BREAD, 2, 1, false);
    m.pack.add(DRAUGHT, 1, 1, false);
    m.pack.add(MAP_SCRAP, 1, 1, false);
    m.pack.add(Item(std::string(CARD)), 1, 1, false);
    m.chest.clear();
    m.chest.add(LANTERN, 1, 0, false);
    m.chest.add(LAMP_OIL, 2, 0, false);
  }
  // Only what the pack holds can be readied, and the figures follow from
  // what is: a slot naming an item the pack lacks (a character stored
  // before its pack was) is emptied.
  for (int i = 0; i < PLAYER_NUM_SLOTS; ++i) {
    Item* worn = pl.slot(i);
    if (*worn != 0L && m.pack.get_qty(*worn) < 1) *worn = Item(0L);
  }
  m.stock.clear();
  m.stock.add(Item(0x185L), 2, 12, true);   // reed sling
  m.stock.add(Item(0x1a1L), 50, 1, true);   // sling stones
  m.stock.add(Item(0x181L), 3, 40, true);   // short blade
  m.stock.add(Item(0x186L), 1, 120, true);  // kiln wand
  m.stock.add(STAFF, 2, 30, true);
  m.ground.clear();
  m.next_ground_id = FIRST_GROUND_ID;
  MarketGround coin;
  coin.id = m.next_ground_id++;
  coin.item = GOLD;
  coin.x = LOST_COIN_X;
  coin.y = LOST_COIN_Y;
  m.ground.push_back(coin);
  goblin_home();
  // A character who left at the card table sits at it again: the level is
  // entered with its card-table flag.
  load_walk_map();
  m.at_card_table = walk_map.get_region(pl.x, pl.y) == CARD_TABLE_REGION;
  current_level_flag = m.at_card_table ? 1 : 0;
  if (m.at_card_table) dev_log("cards[%d]: at the table", id);
}

// A goblin unhurt at the start of its round.
void DevSession::goblin_home() {
  MarketWorld& m = market;
  m.goblin_alive = true;
  m.goblin_hp = GOBLIN_HP;
  m.goblin_x = GOBLIN_HOME_X;
  m.goblin_y = GOBLIN_HOME_Y;
  m.goblin_step = 0;
  m.goblin_blows = 0;
  m.goblin_back_ms = 0;
}

std::string DevSession::sample_inventory() const {
  // The plain pack: a short blade, a reed hat, 25 gold coins, lamp oil,
  // three loaves, a healing draught and a scroll of War cry (spell 7), in
  // the sync form "item@count" with hexadecimal counts.
  if (!opt.market) return "181@1:1b0@1:100@19:108@1:1c0@3:193@1:70011e@1";
  std::string out;
  for (const ItemListEl* e = market.pack.first; e; e = e->next)
    out += (out.empty() ? "" : ":") + e->item.str(false) + format_str("@%lx", static_cast<long>(e->qty));
  return out;
}

void DevSession::show_market() {
  market_view();
  send("W Guide Welcome to Quill! " + market_direction());
  send("W Guide Press ? for help, and again for every key.");
  market.next_goblin_ms = dev_now_ms() + GOBLIN_STEP_MS;
  market.next_rest_ms = dev_now_ms() + REST_PERIOD_MS;
  if (opt.crowd > 0) start_crowd();
}

// Where the market lies from the character: the compass direction of the
// square its figures stand in, "just" a few steps away.
std::string DevSession::market_direction() {
  int x1 = FIGURES[0].x, x2 = x1, y1 = FIGURES[0].y, y2 = y1;
  for (const MarketFigure& f : FIGURES) {
    x1 = std::min(x1, f.x);
    x2 = std::max(x2, f.x);
    y1 = std::min(y1, f.y);
    y2 = std::max(y2, f.y);
  }
  // Steps east (west when negative) and south (north) to the square's edge.
  int dx = pl.x < x1 ? x1 - pl.x : pl.x > x2 ? x2 - pl.x : 0;
  const int dy = pl.y < y1 ? y1 - pl.y : pl.y > y2 ? y2 - pl.y : 0;
  // A valley that wraps round east to west may be shorter the other way.
  load_walk_map();
  const int width = walk_map.get_max_x();
  if (walk_map.get_type() == MAPTYPE_WRAP && 2 * std::abs(dx) > width)
    dx = dx > 0 ? -(pl.x + width - x2) : x1 + width - pl.x;
  if (dx == 0 && dy == 0) return "You stand in the market.";
  const std::string ns = dy < 0 ? "north" : dy > 0 ? "south" : "";
  const std::string ew = dx < 0 ? "west" : dx > 0 ? "east" : "";
  const bool near = std::max(std::abs(dx), std::abs(dy)) <= 2;
  const std::string way = ns + (ns.empty() || ew.empty() ? "" : "-") + ew;
  return "The market is " + std::string(near ? "just " : "") + way + " of you.";
}

// Names, the whole view and the tracked goblin: after the login and after
// every level change, which makes the client forget the names it knew.
void DevSession::market_view() {
  const MarketWorld& m = market;
  for (const MarketFigure& f : FIGURES) send(format_str("i\t%d\tm\t%s\t0\t0", f.id, f.name));
  if (m.goblin_alive) send(format_str("i\t%d\tm\tGoblin\t0\t0", GOBLIN_ID));
  std::string fov;
  int n = 0;
  for (const MarketFigure& f : FIGURES) {
    fov += FOV_SEPARATOR + dev_fov_entry(f.id, f.code, f.x, f.y, is_thing(f) ? 0 : 100, 'g');
    ++n;
  }
  if (m.goblin_alive) {
    fov += FOV_SEPARATOR + dev_fov_entry(GOBLIN_ID, GOBLIN_CODE, m.goblin_x, m.goblin_y, goblin_health(), 'e');
    ++n;
  }
  for (const MarketGround& g : m.ground) {
    fov += FOV_SEPARATOR + dev_fov_entry(g.id, g.item.code, g.x, g.y, 0, 's');
    ++n;
  }
  send(format_str("F%d", n) + fov + here());
  if (m.goblin_alive) track_goblin();
}

// The refresh that follows a view: the client draws what it was sent.
std::string DevSession::here() const {
  return FOV_SEPARATOR + format_str("R %s %s %s 0", dev_b222(pl.x).c_str(), dev_b222(pl.y).c_str(),
                                    dev_b222(pl.map_level).c_str());
}

int DevSession::goblin_health() const { return market.goblin_hp * 100 / GOBLIN_HP; }

void DevSession::track_goblin() {
  const MarketWorld& m = market;
  send(format_str("pa1 %d %x %d %d %d %d 0 -1 -1 0", GOBLIN_ID, GOBLIN_CODE, goblin_health(), m.goblin_x,
                  m.goblin_y, pl.map_level));
}

void DevSession::goblin_moved(int dir) {
  const MarketWorld& m = market;
  send(format_str("o %s %s %s %s %s 0 %s %s %d e", dev_b222(GOBLIN_ID).c_str(), dev_b222(m.goblin_x).c_str(),
                  dev_b222(m.goblin_y).c_str(), dev_b222(pl.map_level).c_str(), dev_b222(GOBLIN_CODE).c_str(),
                  dev_b222(goblin_health()).c_str(), dev_b222(0).c_str(), dir));
}

const MarketFigure* DevSession::figure_at(int x, int y) const {
  for (const MarketFigure& f : FIGURES)
    if (f.x == x && f.y == y) return &f;
  return nullptr;
}

// The figure of that id when it stands next to the character.
const MarketFigure* DevSession::beside(int figure_id) const {
  for (const MarketFigure& f : FIGURES)
    if (f.id == figure_id && distance(f.x, f.y, pl.x, pl.y) == 1) return &f;
  return nullptr;
}

bool DevSession::market_cell_free(int x, int y) const {
  if (figure_at(x, y)) return false;
  return !(market.goblin_alive && x == market.goblin_x && y == market.goblin_y);
}

// ---- Time: the goblin's round, rest, the kiln ------------------------------------

void DevSession::market_tick() {
  MarketWorld& m = market;
  const long long now = dev_now_ms();
  for (size_t i = 0; i < m.later.size();) {
    if (now >= m.later[i].first) {
      send(m.later[i].second);
      m.later.erase(m.later.begin() + static_cast<long>(i));
    } else {
      ++i;
    }
  }
  // The goblin comes back to its round, unless the player stands there.
  if (!m.goblin_alive && m.goblin_back_ms != 0 && now >= m.goblin_back_ms &&
      !(pl.x == GOBLIN_HOME_X && pl.y == GOBLIN_HOME_Y)) {
    goblin_home();
    dev_log("goblin[%d]: back at %d %d", id, m.goblin_x, m.goblin_y);
    send(format_str("i\t%d\tm\tGoblin\t0\t0", GOBLIN_ID));
    send("G1" + std::string(1, FOV_SEPARATOR) +
         dev_fov_entry(GOBLIN_ID, GOBLIN_CODE, m.goblin_x, m.goblin_y, goblin_health(), 'e') + here());
    track_goblin();
  }
  if (m.goblin_alive && now >= m.next_goblin_ms) {
    m.next_goblin_ms = now + GOBLIN_STEP_MS;
    step_goblin();
  }
  if (m.revive_ms != 0 && now >= m.revive_ms) {
    m.revive_ms = 0;
    pl.hp = pl.get_hp_max();
    send("r");
    send(pl.mk_h_record(true));
  } else if (m.revive_ms == 0 && now >= m.next_rest_ms) {
    m.next_rest_ms = now + REST_PERIOD_MS;
    bool changed = false;
    if (pl.hp > 0 && pl.hp < pl.get_hp_max()) {
      ++pl.hp;
      changed = true;
    }
    if (pl.mana < pl.get_mana_max()) {
      ++pl.mana;
      changed = true;
    }
    if (changed) send(pl.mk_h_record(true));
  }
}

// The goblin walks a small square by the farmhouse door; a player near it
// stops it, and it turns to face them.
void DevSession::step_goblin() {
  static const int DX[] = {1, 0, -1, 0};
  static const int DY[] = {0, 1, 0, -1};
  MarketWorld& m = market;
  const bool near = distance(m.goblin_x, m.goblin_y, pl.x, pl.y) <= GOBLIN_NOTICE;
  if (near) {
    if (!m.goblin_holding) dev_log("goblin[%d]: holds at %d %d", id, m.goblin_x, m.goblin_y);
    m.goblin_holding = true;
    return;
  }
  m.goblin_holding = false;
  const int k = m.goblin_step % 4;
  const int nx = m.goblin_x + DX[k], ny = m.goblin_y + DY[k];
  if (nx == pl.x && ny == pl.y) return;
  ++m.goblin_step;
  m.goblin_x = nx;
  m.goblin_y = ny;
  goblin_moved(get_direction(nx - DX[k], ny - DY[k], nx, ny));
}

// ---- The card table -------------------------------------------------------------

// Stepping into the farmhouse or out of it turns the card table on or off:
// the level is entered again with its card-table flag.
void DevSession::market_moved() {
  const bool inside = walk_map.get_region(pl.x, pl.y) == CARD_TABLE_REGION;
  if (inside == market.at_card_table) return;
  market.at_card_table = inside;
  current_level_flag = inside ? 1 : 0;
  dev_log("cards[%d]: %s", id, inside ? "at the table" : "left the table");
  send_level(DEV_LEVEL, false);
  market_view();
  send(inside ? "MsYou sit down at the card table; your cards are dealt."
              : "MsYou leave the card table.");
}

// ---- Requests -------------------------------------------------------------------

bool DevSession::market_request(const std::string& line) {
  if (market_talk(line)) return true;
  if (market_trade(line)) return true;
  if (market_action(line)) return true;
  if (market_craft(line)) return true;
  if (line.rfind("# ", 0) == 0) {
    dev_log("equipment[%d]: %s", id, line.c_str() + 2);
    pl.sync_arms(line);
    // The figures that follow from what is readied, at once.
    send(pl.mk_h_record(true));
    return true;
  }
  return false;
}

// Talk, topics, chat, the price line.
bool DevSession::market_talk(const std::string& line) {
  int x = 0, y = 0;
  unsigned long carried = 0, banked = 0;
  if (std::sscanf(line.c_str(), "t %d %d %lu %lu", &x, &y, &carried, &banked) == 4) {
    const MarketFigure* f = figure_at(x, y);
    dev_log("talk[%d]: %d %d %s", id, x, y, f ? f->name : "nobody");
    if (!f) {
      if (market.goblin_alive && x == market.goblin_x && y == market.goblin_y)
        send("MsThe goblin only snarls at you.");
      else
        send("MsThere is nobody there to talk to.");
      return true;
    }
    if (is_thing(*f)) {
      send("MsThe " + to_lower(f->name) + " has nothing to say.");
      return true;
    }
    send(format_str("T %d", f->id));
    greet(f->id);
    return true;
  }
  if (line.size() > 1 && line[0] == 'T' && line[1] == TALK_SEPARATOR) {
    int npc = 0;
    const size_t text_at = line.find(TALK_SEPARATOR, 2);
    if (text_at == std::string::npos || std::sscanf(line.c_str() + 2, "%d", &npc) != 1) return true;
    const std::string asked = line.substr(text_at + 1);
    dev_log("topic[%d]: npc %d '%s'", id, npc, asked.c_str());
    answer_topic(npc, asked);
    return true;
  }
  char item[64] = {};
  int price = 0;
  if (std::sscanf(line.c_str(), "T /sp %63s %d", item, &price) == 2) {
    dev_log("price[%d]: %s %d", id, item, price);
    send(format_str("MsPrice of %s set to %d.", item, price));
    return true;
  }
  if (line.rfind("T ", 0) == 0) {
    chat(line.substr(2));
    return true;
  }
  return false;
}

void DevSession::greet(int npc) {
  switch (npc) {
    case GUARD_ID:
      send("MsGuard: Welcome to the market, traveller.");
      send("MsGuard: Ask about the " + topic("market") + ", " + topic("goblin") + " or " + topic("cards") + ".");
      break;
    case MERCHANT_ID:
      send("MsHobb: I sell " + topic("wares") + " and buy what you find.");
      send("MsHobb: I can " + topic("appraise") + " your pack or lift a " + topic("curse") + ".");
      break;
    case BANKER_ID:
      send("MsWenna: Your gold and goods are safe with me.");
      send("MsWenna: Ask me how to " + topic("deposit") + " or " + topic("withdraw") + ".");
      break;
    default:
      break;
  }
}

void DevSession::answer_topic(int npc, const std::string& asked) {
  const MarketFigure* f = nullptr;
  for (const MarketFigure& g : FIGURES)
    if (g.id == npc) f = &g;
  if (!f || is_thing(*f)) {
    send("MsNobody answers.");
    return;
  }
  const std::string who = std::string("Ms") + f->name + ": ";
  const std::string t = to_upper(asked);
  if (t == "JOB") {
    send(who + (npc == GUARD_ID      ? "I keep the peace of this market."
                : npc == MERCHANT_ID ? "I work the forge and trade what it makes."
                                     : "I keep the bank of Quill."));
  } else if (t == "TIME") {
    send(who + format_str("It is %d:%02d by the market bell.", world_minutes / 60, world_minutes % 60));
  } else if (npc == GUARD_ID && t == "MARKET") {
    // What Hobb has now, as his list names it.
    std::string wares;
    for (const ItemListEl* e = market.stock.first; e; e = e->next)
      if (e->qty > 0) wares += (wares.empty() ? "" : ", ") + wl.get_name(e->item);
    send(who + (wares.empty() ? "Hobb has sold all his arms" : "Hobb sells arms: " + wares) + ".");
    send(who + "Wenna keeps the bank.");
    send(who + "The chest and the kiln are free to use.");
  } else if (npc == GUARD_ID && t == "GOBLIN") {
    send(who + "A goblin prowls by the farmhouse door.");
    send(who + "Strike it with CTRL and an arrow key.");
  } else if (npc == GUARD_ID && t == "CARDS") {
    send(who + "The farmhouse keeps a card table.");
    send(who + "Step inside and your cards are dealt.");
  } else if (npc == MERCHANT_ID && t == "WARES") {
    send(who + "B shows my wares, SHIFT+B what I would buy.");
  } else if (npc == MERCHANT_ID && t == "APPRAISE") {
    identify_pack(false);
  } else if (npc == MERCHANT_ID && t == "CURSE") {
    identify_pack(true);
  } else if (npc == BANKER_ID && t == "DEPOSIT") {
    send(who + "Press SHIFT+B beside me to put things in.");
  } else if (npc == BANKER_ID && t == "WITHDRAW") {
    send(who + "Press B beside me to take things out.");
  } else {
    send(who + "I know nothing of " + asked + ".");
  }
}

// Hobb identifies the pack, or lifts its curses, in one stroke; the client
// does the same to its copy and checks the sum.
void DevSession::identify_pack(bool uncurse) {
  std::vector<Item> changed;
  for (const ItemListEl* e = market.pack.first; e; e = e->next) {
    const Item& it = e->item;
    if (it.is_banked() || it.get_base_code() == ITEM_BASE_STACK) continue;
    if (uncurse ? it.is_cursed() && !it.has_bless_bit() : it.is_unidentified()) changed.push_back(it);
  }
  if (changed.empty()) {
    send(uncurse ? "MsHobb: I see no curse on you." : "MsHobb: Nothing in your pack needs appraising.");
    return;
  }
  bool worn = false;
  for (const Item& it : changed) {
    Item done = it;
    if (uncurse) done.uncurse();
    else done.identify();
    market.pack.replace_item(it, done, false);
    for (int i = 0; i < PLAYER_NUM_SLOTS; ++i)
      if (*pl.slot(i) == it) {
        *pl.slot(i) = done;
        worn = true;
      }
  }
  dev_log("%s[%d]: %zu items", uncurse ? "uncurse" : "identify", id, changed.size());
  send(uncurse ? "MsHobb: Hold still... the curse is gone." : "MsHobb: Let me see... there, all known now.");
  send(format_str("l %c %x 0", uncurse ? 'u' : 'i', market.pack.checksum(false)));
  // The client changes only its pack: a readied item stays readied as what
  // it has become, with the figures it gives now.
  if (worn) {
    send(pl.mk_arms_msg());
    send(pl.mk_h_record(true));
  }
}

void DevSession::chat(const std::string& text) {
  dev_log("chat[%d]: %s", id, text.c_str());
  char name[32] = {};
  if (std::sscanf(text.c_str(), "/msg %31s", name) == 1) {
    if (to_upper(name) == "GUIDE")
      send("W Guide Ask the guard about anything; he knows the market.");
    else
      send(format_str("MsNobody called %s is here.", name));
  } else if (text.rfind("/g ", 0) == 0) {
    send("Mc[Global] " + ch.name + ": " + text.substr(3));
  } else if (text.rfind("/p ", 0) == 0) {
    send("MsYou are not in a party.");
  } else if (text.rfind("/me ", 0) == 0) {
    send("Mc* " + ch.name + " " + text.substr(4));
  } else if (!text.empty() && text[0] == '/') {
    send("MsUnknown command.");
  } else {
    send("Mc" + ch.name + ": " + text);
  }
}

// ---- Trading ----------------------------------------------------------------------

bool DevSession::market_trade(const std::string& line) {
  unsigned long carried = 0, banked = 0;
  char key = 0;
  if (std::sscanf(line.c_str(), "%c %lu %lu", &key, &carried, &banked) == 3 && (key == 'b' || key == 'B') &&
      line.size() > 1 && line[1] == ' ') {
    if (carried != market.pack.checksum(false) || banked != market.pack.checksum(true))
      dev_log("checksum[%d]: client %lu %lu server %u %u", id, carried, banked, market.pack.checksum(false),
              market.pack.checksum(true));
    if (key == 'b') open_buying();
    else open_selling();
    return true;
  }
  if (line.rfind("j ", 0) == 0) {
    if (line != "j 0 0 0 0 0 0") {
      market.picked.push_back(line.substr(2));
      return true;
    }
    for (const std::string& p : market.picked) {
      dev_log("trade[%d]: %s", id, p.c_str());
      apply_trade(p);
    }
    market.picked.clear();
    market.open_list = 0;
    return true;
  }
  return false;
}

// The buy key: the smith's wares, the bank vault, or the chest.
void DevSession::open_buying() {
  if (beside(MERCHANT_ID)) {
    std::string u = "u ";
    for (const ItemListEl* e = market.stock.first; e; e = e->next)
      if (e->qty > 0) u += "u:" + e->item.str(false) + format_str(" %ld %d", static_cast<long>(e->qty), e->price);
    market.open_list = 'U';
    send(u);
    send(format_str("U %c %d %s 0 0", MERCHANT_KIND, MERCHANT_ID, currency().c_str()));
  } else if (beside(BANKER_ID)) {
    market.open_list = 'W';
    send(format_str("b B %d %s 0", BANKER_ID, currency().c_str()));
  } else if (beside(CHEST_ID)) {
    open_chest();
  } else {
    send("MsThere is nobody here to buy from.");
  }
}

// The sell key: sell to the smith, deposit at the bank, put into the chest.
void DevSession::open_selling() {
  if (beside(MERCHANT_ID)) {
    market.open_list = 'S';
    send(format_str("B %c %d %s 0", MERCHANT_KIND, MERCHANT_ID, currency().c_str()));
  } else if (beside(BANKER_ID)) {
    market.open_list = 'D';
    send(format_str("B B %d %s 0", BANKER_ID, currency().c_str()));
  } else if (beside(CHEST_ID)) {
    market.open_list = 'P';
    send(format_str("B P %d %s %d", CHEST_ID, currency().c_str(), CHEST_NUMBER));
  } else {
    send("MsThere is nobody here to sell to.");
  }
}

void DevSession::open_chest() {
  if (!market.chest.first) {
    // The client says it is empty.
    send(format_str("b P %d %s %d", CHEST_ID, currency().c_str(), CHEST_NUMBER));
    return;
  }
  std::string u = "u ";
  for (const ItemListEl* e = market.chest.first; e; e = e->next)
    u += "u:" + e->item.str(false) + format_str(" %ld 0", static_cast<long>(e->qty));
  market.open_list = 'R';
  send(u);
  send(format_str("U P %d %s %d 0", CHEST_ID, currency().c_str(), CHEST_NUMBER));
}

// One picked line of the list just closed: "item qty partner price bank flag".
void DevSession::apply_trade(const std::string& picked) {
  char text[1001] = {};
  long qty = 0;
  int partner = 0, price = 0, bank = 0, flag = 0;
  if (std::sscanf(picked.c_str(), "%1000s %ld %d %d %d %d", text, &qty, &partner, &price, &bank, &flag) != 6 ||
      qty < 1)
    return;
  const Item item{std::string(text)};
  ItemList& pack = market.pack;
  // A pick the client's pack allowed and ours does not (the two differ) is
  // refused, and the player is told why nothing came of it.
  const char* refusal = nullptr;
  switch (market.open_list) {
    case 'U': {
      const ItemListEl* ware = market.stock.find_item(item);
      if (!ware || ware->qty < qty) {
        refusal = "Hobb: I have not so many of those.";
      } else if (pack.get_qty(GOLD) < ware->price * qty) {
        refusal = "Hobb: You have not the gold for that.";
      } else {
        pack.remove(GOLD, ware->price * qty);
        market.stock.remove(item, qty);
        pack.add(item, qty, 1, false);
      }
      break;
    }
    case 'S': {
      if (pack.get_qty(item) < qty) {
        refusal = "Hobb: You have no such thing to sell.";
        break;
      }
      pack.remove(item, qty);
      const long gold = static_cast<long>(wl.get_sell_price(item)) * qty;
      if (gold > 0) pack.add(GOLD, gold, 1, false);
      market.stock.add(item, qty, wl.get_price(item), true);
      break;
    }
    case 'D':
    case 'W':
      if (pack.get_qty(item) < qty) {
        refusal = market.open_list == 'D' ? "Wenna: You carry no such thing to bank."
                                          : "Wenna: Your vault holds no such thing.";
        break;
      }
      pack.remove(item, qty);
      pack.add(market.open_list == 'D' ? item.to_bank() : item.from_bank(), qty, 1, false);
      break;
    case 'R':
      if (market.chest.get_qty(item) < qty) {
        refusal = "The chest holds no such thing.";
        break;
      }
      market.chest.remove(item, qty);
      pack.add(item, qty, 1, false);
      break;
    case 'P':
      if (pack.get_qty(item) < qty) {
        refusal = "You carry no such thing to put away.";
        break;
      }
      pack.remove(item, qty);
      market.chest.add(item, qty, 0, false);
      break;
    default:
      break;
  }
  if (refusal) {
    dev_log("trade[%d]: refused: %s", id, refusal);
    send(std::string("Ms") + refusal);
  }
}

// ---- Things done at a cell: look, activate, open, get, drop, use, cast, attack -----

bool DevSession::market_action(const std::string& line) {
  int x = 0, y = 0, z = 0, kind = 0, target = 0;
  if (std::sscanf(line.c_str(), "s %d %d %d", &x, &y, &kind) == 3) {
    if (kind == 2) activate(x, y);
    else look(x, y);
    return true;
  }
  if (std::sscanf(line.c_str(), "S %d %d %d", &x, &y, &kind) == 3) {
    const MarketFigure* f = figure_at(x, y);
    if (f && f->id == CHEST_ID && distance(x, y, pl.x, pl.y) <= 1) open_chest();
    else send("MsYou search and find nothing.");
    return true;
  }
  int all = 0;
  if (std::sscanf(line.c_str(), "g %d %d %d %d", &x, &y, &z, &all) == 4) {
    pick_up(x, y);
    return true;
  }
  if (line == "G") {
    pick_up(pl.x, pl.y);
    return true;
  }
  if (line.rfind("d ", 0) == 0) {
    std::vector<std::string> drops;
    split(line, ":", drops);
    for (const std::string& d : drops) drop(d);
    return true;
  }
  char text[1001] = {};
  int away = 0;
  if (std::sscanf(line.c_str(), "U %1000s %d %d %d %d", text, &x, &y, &z, &away) == 5) {
    use(Item(std::string(text)), x, y);
    return true;
  }
  int spell = 0, ok = 0;
  const int cast = std::sscanf(line.c_str(), "M %d %d %d %d %d", &spell, &ok, &x, &y, &target);
  if (cast >= 2) {
    if (ok == 1) cast_spell(spell, cast == 5, x, y, target);
    return true;
  }
  char melee = 0;
  char weapon[1001] = {};
  if (std::sscanf(line.c_str(), "a %c %d %d %d %d %*s %*d %1000s", &melee, &x, &y, &z, &target, weapon) == 6) {
    attack(x, y, target, Item(std::string(weapon)), melee == 'r');
    return true;
  }
  if (line == "I 1" || line == "I 0") {
    send(line == "I 1" ? "MsYou crouch, but the open market hides no one." : "MsYou are not hiding.");
    return true;
  }
  int light = 0;
  if (std::sscanf(line.c_str(), "z %d", &light) == 1) {
    if (market.pack.get_qty(LANTERN) < 1) send("MsYou have nothing to light.");
    else send(light ? "MsYou light your lantern." : "MsYou put out your lantern.");
    return true;
  }
  if (line == "e") {
    pl.mana = static_cast<int16_t>(std::min(pl.get_mana_max(), pl.mana + MEDITATE_MANA));
    send("MsYou sit still and gather your thoughts.");
    send(pl.mk_h_record(true));
    return true;
  }
  return false;
}

void DevSession::look(int x, int y) {
  const MarketFigure* f = figure_at(x, y);
  if (f) {
    send(format_str("MsYou see %s.", f->looks));
    return;
  }
  if (market.goblin_alive && x == market.goblin_x && y == market.goblin_y) {
    send(format_str("MsYou see a goblin (%d%% health).", goblin_health()));
    return;
  }
  for (const MarketGround& g : market.ground)
    if (g.x == x && g.y == y) {
      send("MsYou see " + (g.qty == 1 ? wl.get_article(g.item) : format_str("%ld", g.qty)) + " " +
           wl.get_full_name(g.item) + " on the ground.");
      return;
    }
  if (x == pl.x && y == pl.y) {
    send("MsThat is you.");
    return;
  }
  load_walk_map();
  const std::string what = tiledata.get_desc(walk_map.get_tile(x, y));
  send("MsYou see " + (what.empty() ? std::string("nothing of note") : to_lower(what)) + ".");
}

// The kiln offers its recipes; the chest opens.
void DevSession::activate(int x, int y) {
  const MarketFigure* f = figure_at(x, y);
  if (f && f->id == CHEST_ID) {
    open_chest();
    return;
  }
  if (!f || f->id != KILN_ID) {
    send("MsNothing happens.");
    return;
  }
  send("c 0 0 0 0 0");
  // A recipe whose ingredient the pack lacks is listed, flagged 0: the
  // client draws it grey.
  for (const Recipe& r : RECIPES) {
    const int can_make = market.pack.get_qty(r.ingredient) >= 1 ? 1 : 0;
    send(format_str("c %s 1 0 %d %d @%sx1", r.product.str(false).c_str(), can_make, r.ms,
                    r.ingredient.str(false).c_str()));
  }
  send(format_str("Cm %d %x", RECIPE_NUMBER, KILN_CODE));
}

// "cm" and "ci": the product chosen, then its base ingredient.
bool DevSession::market_craft(const std::string& line) {
  char made[64] = {}, base[64] = {};
  int number = 0;
  const bool chosen = std::sscanf(line.c_str(), "cm %63s %d %63s", made, &number, base) == 3;
  if (!chosen && std::sscanf(line.c_str(), "ci %63s %d %63s", made, &number, base) != 3) return false;
  dev_log("craft[%d]: %s %s from %s", id, chosen ? "chose" : "makes", made, base);
  if (!beside(KILN_ID)) {
    send("CxThe kiln is not beside you.");
    return true;
  }
  const Item product{std::string(made)};
  const Recipe* r = nullptr;
  for (const Recipe& c : RECIPES)
    if (c.product == product) r = &c;
  if (!r) {
    send("CxThe kiln cannot make that.");
    return true;
  }
  if (chosen) {
    if (market.pack.get_qty(r->ingredient) < 1) {
      send("CxYou have no " + wl.get_name(r->ingredient) + " for the " + wl.get_name(r->product) + ".");
      return true;
    }
    // The kiln heats for the firing time, which the client waits before it
    // takes the next step.
    send("CxThe kiln heats up ...");
    market.later.emplace_back(dev_now_ms() + r->ms + 300,
                              format_str("Ci %d %s^%s", RECIPE_NUMBER, made, r->ingredient.str(false).c_str()));
    return true;
  }
  if (market.pack.get_qty(r->ingredient) < 1) {
    send("CxYou lack the " + wl.get_name(r->ingredient) + ".");
    return true;
  }
  market.pack.remove(r->ingredient, 1);
  market.pack.add(r->product, 1, 1, false);
  send(format_str("J %s 1 0", r->ingredient.str(false).c_str()));
  send(format_str("I %s 1 0", r->product.str(false).c_str()));
  send("CxOut of the kiln comes: " + wl.get_full_name(r->product) + ".");
  return true;
}

void DevSession::pick_up(int x, int y) {
  auto g = std::find_if(market.ground.begin(), market.ground.end(),
                        [&](const MarketGround& e) { return e.x == x && e.y == y; });
  if (g == market.ground.end()) {
    send(std::string("MsThere is nothing ") + (x == pl.x && y == pl.y ? "here" : "there") + " to pick up.");
    return;
  }
  if (distance(x, y, pl.x, pl.y) > 1) {
    send("MsYou cannot reach that.");
    return;
  }
  dev_log("get[%d]: %s", id, g->item.str(false).c_str());
  market.pack.add(g->item, g->qty, 1, false);
  send(format_str("o %s %s", dev_b222(g->id).c_str(), dev_b222(-1).c_str()));
  send(format_str("I %s %ld 0", g->item.str(false).c_str(), g->qty));
  market.ground.erase(g);
}

// One "d x y item count": the item leaves the pack and lies where it fell.
void DevSession::drop(const std::string& request) {
  int x = 0, y = 0;
  long count = 0;
  char text[1001] = {};
  if (std::sscanf(request.c_str(), "d %d %d %1000s %ld", &x, &y, text, &count) != 4 || count < 1) return;
  const Item item{std::string(text)};
  if (market.pack.get_qty(item) < count || distance(x, y, pl.x, pl.y) > 1 || !market_cell_free(x, y)) {
    send("MsYou cannot drop that there.");
    return;
  }
  dev_log("drop[%d]: %s %ld", id, text, count);
  market.pack.remove(item, count);
  send(format_str("J %s %ld 0", text, count));
  put_on_ground(item, count, x, y);
}

void DevSession::put_on_ground(const Item& item, long qty, int x, int y) {
  MarketGround g;
  g.id = market.next_ground_id++;
  g.item = item;
  g.qty = qty;
  g.x = x;
  g.y = y;
  market.ground.push_back(g);
  send("G1" + std::string(1, FOV_SEPARATOR) + dev_fov_entry(g.id, item.code, x, y, 0, 's') + here());
}

void DevSession::use(const Item& item, int x, int y) {
  dev_log("use[%d]: %s at %d %d", id, item.str(false).c_str(), x, y);
  if (market.pack.get_qty(item) < 1) {
    send("MsYou do not have that.");
    return;
  }
  const char usable = wl.get_usability(item);
  if (usable == 'r') {
    if (item == MAP_SCRAP) {
      std::string book;
      for (const char* l : MAP_TEXT) book += std::string(l) + BOOK_LINE;
      dev_log("send[%d]: <book> %zu bytes", id, book.size());
      sock.sckSend(id, "q" + deflate(book));
    } else {
      send("MsThere is nothing written on it.");
    }
    return;
  }
  if (usable == 'd' || wl.is_food(item)) {
    market.pack.remove(item, 1);
    send(format_str("J %s 1 1", item.str(false).c_str()));
    if (item == DRAUGHT) {
      const int before = pl.hp;
      pl.hp = std::min(pl.get_hp_max(), pl.hp + DRAUGHT_HEAL);
      if (pl.hp > before) send(format_str("MsThe draught warms you. (+%d hit points)", pl.hp - before));
      else send("MsThe draught warms you, but you were not hurt.");
      send(pl.mk_h_record(true));
    } else {
      send("MsYou " + std::string(usable == 'd' ? "drink" : "eat") + " the " + wl.get_full_name(item) + ".");
    }
    return;
  }
  if (item == LANTERN) {
    send("MsYou light your lantern.");
    return;
  }
  if (item == LAMP_OIL && market.pack.get_qty(LANTERN) > 0) {
    market.pack.remove(item, 1);
    send(format_str("J %s 1 1", item.str(false).c_str()));
    send("MsYou fill your lantern with oil.");
    return;
  }
  send(item == LAMP_OIL ? "MsYou have no lantern to fill." : "MsNothing happens.");
}

// A spell the character knows, paid from its pool; its flash and sound at
// the cell, and its harm or healing to whoever stands there.
void DevSession::cast_spell(int spell, bool at_cell, int x, int y, int target) {
  if (!at_cell) {
    x = pl.x;
    y = pl.y;
    target = -1;
  }
  dev_log("cast[%d]: %d at %d %d on %d", id, spell, x, y, target);
  if (!spells.is_valid_id(spell) || !pl.has_spell(spell)) {
    send("MsYou do not know that spell.");
    return;
  }
  const int cost = spells.get_mana_req(spell);
  const int pool = spells.get_mana_type(spell);
  int16_t& have = pool == 'r' ? pl.rage : pool == 'e' ? pl.energy : pl.mana;
  if (have < cost) {
    send("MsYour spell fizzles.");
    return;
  }
  have = static_cast<int16_t>(have - cost);
  send(format_str("E %d %d %d 1 %d -1 -1 %d", ch.id, x, y, spell, pl.map_level));
  const int power = average_roll(spells.get_parameters(spell));
  const bool on_goblin = market.goblin_alive && x == market.goblin_x && y == market.goblin_y;
  if (on_goblin && power > 0 && heals(spell)) {
    market.goblin_hp = std::min(GOBLIN_HP, market.goblin_hp + power);
    send("MsThe goblin's wounds close.");
    goblin_moved(0);
    track_goblin();
  } else if (on_goblin && power > 0) {
    hit_goblin(power, 1, Item(0L));
  } else if (power > 0 && heals(spell) && x == pl.x && y == pl.y && pl.hp > 0) {
    const int before = pl.hp;
    pl.hp = std::min(pl.get_hp_max(), pl.hp + power);
    if (pl.hp > before) send(format_str("MsCool water closes your wounds. (+%d hit points)", pl.hp - before));
    else send("MsCool water runs over you, but you were not hurt.");
  } else if (power > 0 && heals(spell) && figure_at(x, y)) {
    send(format_str("Ms%s: Thank you kindly.", figure_at(x, y)->name));
  } else if (power > 0 && !heals(spell)) {
    send("MsThe spell spends itself on the ground.");
  }
  send(pl.mk_h_record(true));
}

// A blow at the goblin beside the character, or a shot at it.
void DevSession::attack(int x, int y, int target, const Item& weapon, bool ranged) {
  MarketWorld& m = market;
  const bool reach = ranged || distance(x, y, pl.x, pl.y) <= 1;
  if (target != GOBLIN_ID || !m.goblin_alive || x != m.goblin_x || y != m.goblin_y || !reach) {
    send(format_str("A 3 0 %d 0 nobody %d %d %d 0 M %s 0 %d %d %d 0 %d %s", target, x, y, pl.map_level,
                    weapon.str(false).c_str(), pl.mana, pl.rage, pl.energy, pl.get_magic_resistance(),
                    dev_b222(0).c_str()));
    // The client's "Nothing there!" is wrong about the market's people and things.
    if (const MarketFigure* f = figure_at(x, y))
      send(is_thing(*f) ? "MsThe " + to_lower(f->name) + " is no foe."
                        : std::string("Ms") + f->name + " will not fight you.");
    return;
  }
  const int damage = weapon.get_base_code() != 0 ? average_roll(wl.get_no_dice(weapon), wl.get_no_sides(weapon)) : 2;
  hit_goblin(std::max(1, damage), 0, weapon);
}

// The goblin takes `damage` (kind 0 a weapon, 1 a spell), dies at no hit
// points, and else strikes back at every other blow.
void DevSession::hit_goblin(int damage, int kind, const Item& weapon) {
  MarketWorld& m = market;
  m.goblin_hp = std::max(0, m.goblin_hp - damage);
  ++m.goblin_blows;
  const bool dead = m.goblin_hp == 0;
  dev_log("fight[%d]: goblin takes %d, %d left", id, damage, m.goblin_hp);
  send(format_str("A %d %d %d 0 Goblin %d %d %d %d M %s 0 %d %d %d %d %d %s", dead ? 1 : 2, damage, GOBLIN_ID,
                  m.goblin_x, m.goblin_y, pl.map_level, kind, weapon.str(false).c_str(), pl.mana, pl.rage,
                  pl.energy, goblin_health(), pl.get_magic_resistance(), dev_b222(0).c_str()));
  if (dead) {
    dev_log("fight[%d]: goblin dies", id);
    m.goblin_alive = false;
    m.goblin_back_ms = dev_now_ms() + GOBLIN_RETURN_MS;
    send(format_str("o %s %s", dev_b222(GOBLIN_ID).c_str(), dev_b222(-1).c_str()));
    send(format_str("pa0 %d", GOBLIN_ID));
    put_on_ground(GEM, 1, m.goblin_x, m.goblin_y);
    pl.xp += GOBLIN_XP;
    send(format_str("MsThe goblin falls and drops a raw gem. (+%d experience)", GOBLIN_XP));
    send(pl.mk_h_record(true));
    offer_levels();
    return;
  }
  const int facing = get_direction(m.goblin_x, m.goblin_y, pl.x, pl.y);
  goblin_moved(facing);
  track_goblin();
  if (m.goblin_blows % 2 == 0 || distance(m.goblin_x, m.goblin_y, pl.x, pl.y) > 1) {
    send(format_str("D 0 %d 0 Goblin 1 0 %d %d %d %d %s %d", GOBLIN_ID, pl.hp, pl.mana, pl.rage, pl.energy,
                    dev_b222(0).c_str(), facing));
    return;
  }
  pl.hp = std::max(0, pl.hp - GOBLIN_HIT);
  dev_log("fight[%d]: goblin hits for %d, %d left", id, GOBLIN_HIT, pl.hp);
  send(format_str("D %d %d 0 Goblin 1 0 %d %d %d %d %s %d", GOBLIN_HIT, GOBLIN_ID, pl.hp, pl.mana, pl.rage, pl.energy,
                  dev_b222(0).c_str(), facing));
  if (pl.hp == 0) m.revive_ms = dev_now_ms() + REVIVE_MS;
}
