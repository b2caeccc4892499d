// Identify and uncurse ('l') and readying equipment.

#include <string>
#include <vector>

#include "../core/item_test_world.h"
#include "app/play_messages.h"
#include "handler_fixture.h"

namespace {

const char* EQUIPMENT_WEAPONS =
    "181 m s Blades sword m 1d6 1 40 w 2.0 2.0 wm 0 1\n"
    "182 b p Bows longbow w 1d8 2 60 w 1.5 2.5 w 1a0 2\n"
    "184 m b Blades pike w 2d4 2 80 w 3.0 4.0 w 0 3\n"
    "185 m s Blades dagger m 1d4 1 20 w 1.0 1.0 wm 0 1\n";

constexpr long SWORD = 0x181, BOW = 0x182, PIKE = 0x184, DAGGER = 0x185, SHIELD = 0x183,
               HELM = 0x1b1, RING = 0x1b8, COAT = 0x1b2;
constexpr long CURSED = ITEM_BIT_CURSED;

struct Equipment : HandlerTest {
  item_test::ItemWorld world{EQUIPMENT_WEAPONS, item_test::WEARABLE};
  void SetUp() override {
    HandlerTest::SetUp();
    me.reset();
    no_two_handed_melee = false;
  }
  void TearDown() override {
    no_two_handed_melee = false;
    HandlerTest::TearDown();
  }
};

struct ReadyCase {
  const char* what;
  long item;
  long weapon, shield, ring1, ring2, hat;  // the slots before
  long qty;                                 // carried of the item
  bool dm, dual, ban, disarmed;
  long want_weapon, want_shield, want_ring1, want_ring2, want_hat;
  const char* shown;  // "%s" stands for the item's type name
};

}  // namespace

TEST_F(Equipment, ReadyingRules) {
  const long C_RING = RING | CURSED;
  const ReadyCase cases[] = {
      {"cursed ring off as a game master", C_RING, 0, 0, C_RING, 0, 0, 1, true, false, false, false,
       0, 0, 0, 0, 0, nullptr},
      {"cursed ring off as a player", C_RING, 0, 0, C_RING, 0, 0, 1, false, false, false, false,
       0, 0, C_RING, 0, 0, "That item is cursed and cannot be unreadied!"},
      {"third ring", RING | ITEM_BIT_BLESSED, 0, 0, RING, C_RING, 0, 1, false, false, false, false, 0,
       0, RING, C_RING, 0,
       "Unequip one of your readied rings first!"},
      {"second ring", C_RING, 0, 0, RING, 0, 0, 1, false, false, false, false, 0, 0, RING, C_RING, 0,
       "The %s welds itself to your finger!"},
      {"ring again with a second copy", RING, 0, 0, RING, 0, 0, 2, false, false, false, false, 0, 0,
       RING, RING, 0, nullptr},
      {"ring2 off takes ring1 too", RING, 0, 0, RING, RING, 0, 2, false, false, false, false, 0, 0, 0,
       0, 0, nullptr},
      {"two-handed weapon clears a shield", PIKE, SWORD, SHIELD, 0, 0, 0, 1, false, false, false,
       false, PIKE, 0, 0, 0, 0, nullptr},
      {"wielded weapon again, second copy, dual", SWORD, SWORD, 0, 0, 0, 0, 2, false, true, false,
       false, SWORD, SWORD, 0, 0, 0, nullptr},
      {"wielded weapon again, no dual", SWORD, SWORD, 0, 0, 0, 0, 2, false, false, false, false, 0, 0,
       0, 0, 0, nullptr},
      {"second weapon into the off-hand", DAGGER, SWORD, 0, 0, 0, 0, 1, false, true, false, false,
       SWORD, DAGGER, 0, 0, 0, nullptr},
      {"second weapon replaces without dual", DAGGER, SWORD, 0, 0, 0, 0, 1, false, false, false,
       false, DAGGER, 0, 0, 0, 0, nullptr},
      {"off-hand weapon that cannot stay", SWORD, 0, DAGGER, 0, 0, 0, 1, false, false, false, false,
       SWORD, 0, 0, 0, 0, nullptr},
      {"shield beside a sword", SHIELD, SWORD, 0, 0, 0, 0, 1, false, false, false, false, SWORD,
       SHIELD, 0, 0, 0, nullptr},
      {"shield beside a pike", SHIELD, PIKE, 0, 0, 0, 0, 1, false, false, false, false, PIKE, 0, 0, 0,
       0, "You can't equip a shield when wielding a 2H weapon."},
      {"two-handed melee banned", PIKE, 0, 0, 0, 0, 0, 1, false, false, true, false, 0, 0, 0, 0, 0,
       "You may not use a two handed melee weapon."},
      {"two-handed ranged allowed", BOW, 0, SHIELD, 0, 0, 0, 1, false, false, true, false, BOW, 0, 0,
       0, 0, nullptr},
      {"wielded weapon cursed", DAGGER, SWORD | CURSED, 0, 0, 0, 0, 1, false, false, false, false,
       SWORD | CURSED, 0, 0, 0, 0, "The weapon you have already equipped is cursed!"},
      {"off-hand cursed for a pike", PIKE, 0, SHIELD | CURSED, 0, 0, 0, 1, false, false, false,
       false, 0, SHIELD | CURSED, 0, 0, 0, "Your offhand item is cursed!"},
      {"disarmed", SWORD, 0, 0, 0, 0, 0, 1, false, false, false, true, 0, 0, 0, 0, 0,
       "You cannot equip right now because you've been disarmed!"},
      {"cursed pike welds to both hands", PIKE | CURSED, 0, 0, 0, 0, 0, 1, false, false, false,
       false, PIKE | CURSED, 0, 0, 0, 0, "The %s welds itself to your hands!"},
      {"cursed helm", HELM | CURSED, 0, 0, 0, 0, 0, 1, false, false, false, false, 0, 0, 0, 0,
       HELM | CURSED, "The %s welds itself to your head!"},
      {"helm over a cursed one", HELM, 0, 0, 0, 0, COAT | CURSED, 1, false, false, false, false, 0, 0,
       0, 0, COAT | CURSED, "The headpiece you are already wearing is cursed!"},
      {"cursed helm off", HELM | CURSED, 0, 0, 0, 0, HELM | CURSED, 1, false, false, false, false, 0,
       0, 0, 0, HELM | CURSED, "That item is cursed and cannot be unreadied!"},
  };
  for (const ReadyCase& c : cases) {
    SCOPED_TRACE(c.what);
    me.reset();
    items.clear();
    d.messages.clear();
    me.weapon = Item(c.weapon);
    me.shield = Item(c.shield);
    me.ring1 = Item(c.ring1);
    me.ring2 = Item(c.ring2);
    me.hat = Item(c.hat);
    me.dm = c.dm;
    me.perk_flags[PERK_DUAL_WIELD] = c.dual;
    no_two_handed_melee = c.ban;
    me.set_health(HN_DISARMED, c.disarmed ? 3 : 0);
    items.add(Item(c.item), c.qty, 0, true);
    toggle_ready_item(Item(c.item));
    EXPECT_EQ(me.weapon.code, c.want_weapon);
    EXPECT_EQ(me.shield.code, c.want_shield);
    EXPECT_EQ(me.ring1.code, c.want_ring1);
    EXPECT_EQ(me.ring2.code, c.want_ring2);
    EXPECT_EQ(me.hat.code, c.want_hat);
    std::vector<std::string> want;
    if (c.shown) {
      std::string s = c.shown;
      size_t at = s.find("%s");
      if (at != std::string::npos) s.replace(at, 2, wl.get_name(Item(c.item)));
      want.push_back(s);
    }
    EXPECT_EQ(std::vector<std::string>(d.messages.begin(), d.messages.end()), want);
  }
}

TEST_F(Equipment, IdentifyChangesWholeNodesAndSkipsTheBank) {
  LoopbackServer srv;
  const long UNID = ITEM_BIT_UNIDENTIFIED;
  items.add(Item(SWORD | UNID), 3, 0, true);
  items.add(Item(RING | UNID).to_bank(), 1, 0, true);
  items.add(Item(COAT), 1, 0, true);
  items.add(Item::stack_295(1, 5), 5, 0, true);
  // Carried after the change: 0x181 * 3 + 0x1b2 = 0x635.
  app.process_pkt("l i 635 0");
  EXPECT_EQ(srv.next(50), "<none>");
  EXPECT_EQ(items.count, 4);
  ItemListEl* sword = items.first;
  EXPECT_EQ(sword->item.code, SWORD);
  EXPECT_EQ(sword->qty, 3);
  EXPECT_TRUE(sword->next->item.is_unidentified());
  EXPECT_TRUE(sword->next->item.is_banked());
  EXPECT_EQ(d.messages.size(), 1u);
  // The server's later change of the whole stack finds the whole stack.
  app.process_pkt("k 181 1181 1");
  EXPECT_EQ(items.first->item.code, 0x1181);
  EXPECT_EQ(items.first->qty, 3);
  EXPECT_EQ(items.count, 4);
}

TEST_F(Equipment, ChecksumMismatchAsksForTheInventory) {
  LoopbackServer srv;
  items.add(Item(COAT), 2, 0, true);
  struct Case {
    const char* line;
    const char* sent;
  } cases[] = {
      {"l i 364 0", "<none>"},
      {"l i 365 0", "i"},
      {"l u 0 0", "i"},
      {"l u", "<none>"},  // too short to read
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    app.process_pkt(c.line);
    EXPECT_EQ(srv.next(50), c.sent);
  }
}

TEST_F(Equipment, UncurseAndTheBlessBit) {
  const long BLESSED = ITEM_BIT_BLESSED;
  struct Case {
    const char* line;
    int status50;
    bool coat_cursed, blessed_sword_cursed;
    size_t shown;
  } cases[] = {
      {"l u 0 0", 0, false, true, 1},
      {"l u 0 1", 0, false, false, 2},
      {"l u 0 0", 4, false, false, 2},
      {"l i 0 1", 0, true, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    items.clear();
    d.messages.clear();
    items.add(Item(COAT | CURSED), 1, 0, true);
    items.add(Item(SWORD | CURSED | BLESSED), 1, 0, true);
    items.add(Item(HELM | CURSED).to_bank(), 1, 0, true);
    me.set_health(50, c.status50);
    process_identify(c.line);
    EXPECT_EQ(items.first->item.is_cursed(), c.coat_cursed);
    EXPECT_EQ(items.first->next->item.is_cursed(), c.blessed_sword_cursed);
    EXPECT_TRUE(items.first->next->next->item.is_cursed());
    EXPECT_EQ(d.messages.size(), c.shown);
  }
}
