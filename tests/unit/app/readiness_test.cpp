// The readiness sequence the frame loop waits for: inventory sync ('h') and
// level entry ('K'), against a server-role socket in this process.

#include <gtest/gtest.h>

#include <cstdio>

#include "app/message_handlers.h"
#include "app_test_support.h"
#include "core/compression.h"
#include "core/string_utils.h"
#include "core/utils.h"
#include "support/temp_dir.h"

namespace {

struct ReadinessTest : ::testing::Test {
  TempDir dir;
  void SetUp() override {
    reset_app_state();
    items.clear();
  }
  void TearDown() override {
    items.clear();
    session_over = false;
  }
};

long qty_of(const Item& item) { return items.get_qty(item); }

}  // namespace

TEST_F(ReadinessTest, SyncFillsTheInventoryAndAnswers) {
  LoopbackServer s;
  Item a(7), b(9);
  s.send(deflate(a.str(false) + "@1:" + b.str(false) + "@a:bad:" + ":" + a.str(false) + "@1"));
  s.send("EI");
  ASSERT_EQ(app.process_pkt("h 0"), 0);
  EXPECT_TRUE(inventory_synced);
  EXPECT_EQ(qty_of(a), 1);  // the entry after the empty one is not read
  EXPECT_EQ(qty_of(b), 10);
  EXPECT_EQ(s.next(), "*");
  EXPECT_EQ(s.next(), "*");
  EXPECT_EQ(s.next(), "**");
  EXPECT_EQ(s.next(), "^ i");  // no level entered yet
  EXPECT_FALSE(me.bank_synced);
}

TEST_F(ReadinessTest, ImmediateEndEmptiesTheCarriedItemsOnly) {
  Item carried(5), banked(ITEM_BIT_BANKED | 6);
  items.add(carried, 2, 1, false);
  items.add(banked, 3, 1, false);
  level_entered = true;
  LoopbackServer s;
  s.send("EI");
  app.process_pkt("h");
  EXPECT_EQ(qty_of(carried), 0);
  EXPECT_EQ(qty_of(banked), 3);
  EXPECT_EQ(s.next(), "*");
  EXPECT_EQ(s.next(), "**");
  EXPECT_EQ(s.next(50), "<none>");  // level already entered: no "^ i"
  level_entered = false;
}

TEST_F(ReadinessTest, FailedBankSyncEndsTheSessionAndMarksTheBank) {
  LoopbackServer s;
  s.hang_up();
  app.process_pkt("h 1");
  EXPECT_FALSE(inventory_synced);
  EXPECT_TRUE(session_over);
  EXPECT_TRUE(me.bank_synced);
  EXPECT_TRUE(has_message("Failed to sync inventory; please reconnect."));
}

TEST_F(ReadinessTest, LevelWithTheSameFileIsEntered) {
  TempDir::copy_gamedata("cmaps");
  std::rename("cmaps/lvl001.map", "cmaps/lvl003.map");
  unsigned crc = static_cast<unsigned>(file_crc32("cmaps/lvl003.map"));
  LoopbackServer s;
  app.process_pkt(format_str("K 0 3 7 11 12 %x", crc));
  EXPECT_TRUE(level_entered);
  EXPECT_TRUE(app.logged_in);
  EXPECT_EQ(me.map_level, 7);
  EXPECT_EQ(me.x, 11);
  EXPECT_EQ(me.y, 12);
  EXPECT_EQ(s.next(50), "<none>");
}

TEST_F(ReadinessTest, LevelWithAnotherFileIsRequested) {
  LoopbackServer s;
  app.process_pkt("K 0 3 7 11 12 1234abcd 0 0");
  EXPECT_FALSE(level_entered);
  EXPECT_TRUE(map_transfer_pending);
  EXPECT_EQ(s.next(), "L 7");
}

TEST_F(ReadinessTest, ShortOrClosedLevelMessages) {
  LoopbackServer s;
  map_transfer_pending = true;
  app.process_pkt("K 0 3 7 11 12");
  EXPECT_TRUE(map_transfer_pending);  // fewer than six fields: nothing changes
  app.process_pkt("K 0 -1 7 11 12 0");
  EXPECT_FALSE(map_transfer_pending);
  EXPECT_FALSE(level_entered);
  EXPECT_TRUE(has_message("Level closed!"));
}
