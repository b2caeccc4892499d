// Items given and taken, the crafting list and skill updates.

#include <string>
#include <vector>

#include "../core/item_test_world.h"
#include "app/play_messages.h"
#include "handler_fixture.h"

namespace {

struct ItemMessages : HandlerTest {
  item_test::ItemWorld world{item_test::WEAPONS, item_test::WEARABLE};
  std::vector<std::string> shown() const { return {d.messages.begin(), d.messages.end()}; }
};

}  // namespace

TEST_F(ItemMessages, ItemsReceived) {
  const std::string coat = wl.get_full_name(Item(0x1b2L));
  const std::string ring = wl.get_full_name(Item(0x1b8L));
  struct Case {
    const char* line;
    long coats, rings;  // carried afterwards
    std::vector<std::string> shown;
  } cases[] = {
      {"I 1b2 3 0", 3, 0, {coat + "\x10 added to inventory (3 pieces)."}},
      {"I 1b8 3 0", 0, 3, {ring + "\x10 added to inventory (3 in total)."}},
      {"I 1b8 1 0", 0, 1, {ring + "\x10 added to your inventory."}},
      {"I 1b8 1 1", 0, 1, {}},
      {"I 1b8 0 0", 0, 0, {}},
      {"I 1b8 -4 0", 0, 0, {}},
      {"I 200 1 0", 0, 0, {}},  // not a regular item
      {"I 1b8", 0, 0, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    items.clear();
    d.messages.clear();
    app.process_pkt(c.line);
    EXPECT_EQ(items.get_qty(Item(0x1b2L)), c.coats);
    EXPECT_EQ(items.get_qty(Item(0x1b8L)), c.rings);
    EXPECT_EQ(shown(), c.shown);
  }
}

TEST_F(ItemMessages, CurrencyAndRemoval) {
  common_cfg.set("currency_long_single", "quill");
  common_cfg.set("currency_long", "quills");
  app.process_pkt("I 100 1 0");
  app.process_pkt("I 100 4 0");
  EXPECT_EQ(shown(), (std::vector<std::string>{"You got 1 quill.", "You got 4 quills."}));
  d.messages.clear();
  app.process_pkt("J 100 2");
  EXPECT_EQ(items.get_qty(Item(0x100L)), 5);
  app.process_pkt("J 100 2 1");
  EXPECT_EQ(items.get_qty(Item(0x100L)), 3);
  EXPECT_TRUE(d.messages.empty());
  app.process_pkt("J 100 1 0");
  EXPECT_EQ(items.get_qty(Item(0x100L)), 2);
  EXPECT_EQ(shown(), std::vector<std::string>{wl.get_full_name(Item(0x100L)) + " (x1) removed from inventory!"});
}

TEST_F(ItemMessages, CraftList) {
  temp_list.add(Item(0x181L), 1, 0, true);
  app.process_pkt("c 0 0 0 0 0");
  EXPECT_EQ(temp_list.first, nullptr);
  EXPECT_TRUE(has_message("What would you like to make?"));
  app.process_pkt("c 1b2 1 5 2 1500 @needs a hat");
  app.process_pkt("c 1b2 1 5 2");
  ASSERT_NE(temp_list.first, nullptr);
  EXPECT_EQ(temp_list.count, 1);
  EXPECT_EQ(temp_list.first->text, "needs a hat");
  EXPECT_EQ(temp_list.first->c, 1500);
}

TEST_F(ItemMessages, SkillUpdates) {
  struct Step {
    const char* line;
    const char* shown;
  } steps[] = {
      {"S 1 10.9", "Your skill in Blades is now 10."},
      {"S 1 11.0", "Your skill in Blades is now 11."},
      {"S 1 11.5", nullptr},
      {"S 1 11.2", "Your skill in Blades is now 11."},
      {"S 99 50.0", nullptr},
      {"S 1", nullptr},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.line);
    d.messages.clear();
    app.process_pkt(s.line);
    if (s.shown) {
      EXPECT_EQ(shown(), std::vector<std::string>{s.shown});
    } else {
      EXPECT_TRUE(d.messages.empty());
    }
  }
  EXPECT_FLOAT_EQ(me.get_raw_skill(1), 11.2f);
}
