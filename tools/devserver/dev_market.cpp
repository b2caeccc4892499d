// The market demo of the development server: once the client is ready it
// meets a talking guard, has its pack identified and uncursed, and is
// offered a merchant's stock, the bank, a container and a recipe, one after
// the other as it answers; the goblin fights back when attacked.

#include <cstdio>
#include <string>

#include "core/item.h"
#include "core/string_utils.h"
#include "dev_session.h"

namespace {

constexpr int MERCHANT_ID = 160;
constexpr int BANKER_ID = 161;
constexpr int CHEST_ID = 162;
constexpr int GUARD_ID = 163;
constexpr int CHEST_NUMBER = 5;
constexpr int RECIPE_NUMBER = 7;
constexpr int GOBLIN_HIT = 3;
constexpr int PLAYER_HIT = 6;

// The market's pack: a short blade, a coat not yet identified, a cursed ring
// and the gold to pay the merchant with. The plain pack adds a hat and
// things to use, eat, drink and read.
const Item SWORD(0x181L);
const Item HAT(0x1b0L);
const Item COAT(0x1b2L | ITEM_BIT_UNIDENTIFIED);
const Item RING(0x1b8L | ITEM_BIT_CURSED);
const Item GOLD(0x100L);
const Item LAMP_OIL(0x108L);
const Item BREAD(0x1c0L);
const Item DRAUGHT(0x193L);
const Item SCROLL(0x70011eL);  // a scroll of War cry (spell 7), read where one stands
constexpr uint32_t GOLD_CARRIED = 200;

uint32_t pack_sum(const Item& coat, const Item& ring) {
  return static_cast<uint32_t>(SWORD.code) + static_cast<uint32_t>(coat.code) +
         static_cast<uint32_t>(ring.code) + static_cast<uint32_t>(GOLD.code) * GOLD_CARRIED;
}

}  // namespace

std::string DevSession::sample_inventory() const {
  // A blade, a hat, a purse of gold, and something to use, eat, drink and
  // read (counts are hexadecimal).
  if (!opt.market)
    return SWORD.str(false) + "@1:" + HAT.str(false) + "@1:" + GOLD.str(false) + "@19:" +
           LAMP_OIL.str(false) + "@1:" + BREAD.str(false) + "@3:" + DRAUGHT.str(false) + "@1:" +
           SCROLL.str(false) + "@1";
  return SWORD.str(false) + "@1:" + COAT.str(false) + "@1:" + RING.str(false) + "@1:" + GOLD.str(false) +
         format_str("@%x", GOLD_CARRIED);
}

void DevSession::start_market() {
  int lvl = pl.map_level;
  send(format_str("pa1 %d %x 90 %d %d %d 1 -1 -1 0", DEV_CREATURE_ID, DEV_CREATURE_CODE, wander_x,
                  wander_y, lvl));
  send(format_str("E %d %d %d 12 0 -1 -1 %d", DEV_CREATURE_ID, wander_x, wander_y, lvl));
  send(format_str("T %d", GUARD_ID));
  send("MsGuard: The market is open, traveller.");
  send("V");
  Item coat = COAT, ring = RING;
  coat.identify();
  send(format_str("l i %x 0", pack_sum(coat, ring)));
  ring.uncurse();
  send(format_str("l u %x 0", pack_sum(coat, ring)));
  market_step = 0;
  next_market_offer();
}

void DevSession::next_market_offer() {
  switch (market_step++) {
    case 0:
      send("u u:" + SWORD.str(false) + " 3 40u:" + HAT.str(false) + " 2 10");
      send(format_str("U M %d %s 0 0", MERCHANT_ID, SWORD.str(false).c_str()));
      break;
    case 1:
      send(format_str("B B %d 0 0", BANKER_ID));
      break;
    case 2:
      send(format_str("b P %d 0 %d", CHEST_ID, CHEST_NUMBER));
      send("CxThe kiln is still cold.");
      send(format_str("Ci %d %s^%s:%s", RECIPE_NUMBER, COAT.str(false).c_str(),
                      SWORD.str(false).c_str(), HAT.str(false).c_str()));
      break;
    default:
      break;
  }
}

void DevSession::answer_attack(int target) {
  int lvl = pl.map_level;
  if (target != DEV_CREATURE_ID) {
    send(format_str("A 3 0 %d 0 nobody %d %d %d 0 M 0 0 0 0 0 0 0 0", target, pl.x, pl.y, lvl));
    return;
  }
  dev_log("fight[%d]: goblin attacked", id);
  send(format_str("A 2 %d %d 0 Goblin %d %d %d 0 M %s 0 0 0 0 84 0 0", PLAYER_HIT, target, wander_x,
                  wander_y, lvl, SWORD.str(false).c_str()));
  send(format_str("D %d %d 0 Goblin 1 0 %d 0 0 0 0 0", GOBLIN_HIT, target, 50 - GOBLIN_HIT));
  send(format_str("E %d %d %d 12 0 -1 -1 %d", target, wander_x, wander_y, lvl));
}

// ---- Talk, chat, price, level-up and crafting answers ---------------------------

namespace {

constexpr char TALK_SEPARATOR = 0x1f;

// The guard's answer to a topic.
std::string guard_answer(const std::string& topic) {
  std::string t = to_upper(topic);
  if (t == "JOB") return "I keep the peace of this market.";
  if (t == "TIME") return "The bell rings at every hour.";
  if (t == "MARKET") return "The merchant sells blades, the banker keeps your gold.";
  return "I know nothing of " + topic + ".";
}

}  // namespace

// True when the line was one of these requests.
bool DevSession::market_talk(const std::string& line) {
  if (line.size() > 1 && line[0] == 'T' && line[1] == TALK_SEPARATOR) {
    int npc = 0;
    size_t text_at = line.find(TALK_SEPARATOR, 2);
    if (text_at == std::string::npos || std::sscanf(line.c_str() + 2, "%d", &npc) != 1) return true;
    std::string topic = line.substr(text_at + 1);
    dev_log("talk[%d]: npc %d '%s'", id, npc, topic.c_str());
    if (npc == GUARD_ID) send("MsGuard: " + guard_answer(topic));
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
    dev_log("chat[%d]: %s", id, line.c_str() + 2);
    send("Mc" + ch.name + ": " + line.substr(2));
    return true;
  }
  int counts[4] = {};
  if (std::sscanf(line.c_str(), "H %d %d %d %d", &counts[0], &counts[1], &counts[2], &counts[3]) == 4) {
    dev_log("levelup[%d]: %d %d %d %d", id, counts[0], counts[1], counts[2], counts[3]);
    send("MsYou feel your training take hold.");
    return true;
  }
  char made[64] = {}, base[64] = {};
  int count = 0;
  if (std::sscanf(line.c_str(), "ci %63s %d %63s", made, &count, base) == 3 ||
      std::sscanf(line.c_str(), "cm %63s %d %63s", made, &count, base) == 3) {
    dev_log("craft[%d]: %s x%d from %s", id, made, count, base);
    send(format_str("CxYou set to work on %s (x%d).", made, count));
    return true;
  }
  return false;
}

bool DevSession::market_request(const std::string& line) {
  if (market_talk(line)) return true;
  if (line.rfind("j ", 0) == 0) {
    if (line != "j 0 0 0 0 0 0") {
      picked.push_back(line.substr(2));
      return true;
    }
    for (const std::string& p : picked) dev_log("trade[%d]: %s", id, p.c_str());
    int partner = 0, bank = 0;
    char item[64] = {};
    long qty = 0;
    int price = 0;
    if (!picked.empty() &&
        std::sscanf(picked.front().c_str(), "%63s %ld %d %d %d", item, &qty, &partner, &price,
                    &bank) == 5) {
      if (partner == MERCHANT_ID) send(format_str("MsYou bought the goods! (x%ld)", qty));
      if (bank) send(format_str("MsYou banked the goods! (x%ld)", qty));
    }
    picked.clear();
    next_market_offer();
    return true;
  }
  int x = 0, y = 0, z = 0, target = 0;
  if (std::sscanf(line.c_str(), "a n %d %d %d %d", &x, &y, &z, &target) == 4) {
    answer_attack(target);
    return true;
  }
  if (line.rfind("# ", 0) == 0) {
    dev_log("equipment[%d]: %s", id, line.c_str() + 2);
    return true;
  }
  return false;
}
