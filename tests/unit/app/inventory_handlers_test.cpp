// Inventory sync, item changes, id information and the chat log.

#include <unistd.h>

#include <algorithm>
#include <deque>
#include <string>

#include "core/compression.h"
#include "net/wire_frame.h"
#include "app/message_handlers.h"
#include "handler_fixture.h"

namespace {

struct InventoryHandlers : HandlerTest {};

// A reader that plays back scripted answers: {rc, text}.
struct ScriptedReader {
  std::deque<std::pair<int, std::string>> answers;
  int operator()(std::string& out) {
    if (answers.empty()) return -1;
    auto a = answers.front();
    answers.pop_front();
    out = a.second;
    return a.first;
  }
};

std::string chunk(const std::string& entries) { return deflate(entries); }

}  // namespace

TEST_F(InventoryHandlers, SyncOutcomes) {
  LoopbackServer s;
  Item a(7L), b(9L);
  const struct {
    const char* name;
    std::deque<std::pair<int, std::string>> answers;
    int result;
    long qty_a, qty_b;
  } cases[] = {
      {"EI ends", {{1, chunk(a.str(false) + "@2")}, {1, "EI"}}, 0, 2, 0},
      {"empty ends", {{1, chunk(b.str(false) + "@3")}, {0, ""}}, 0, 0, 3},
      {"discarded frame fails", {{1, chunk(a.str(false) + "@2")}, {-1, ""}}, 1, 2, 0},
      {"quantities below one skipped",
       {{1, chunk(a.str(false) + "@0:" + b.str(false) + "@ffffffff")}, {1, "EI"}}, 0, 0, 0},
      {"an empty entry ends the chunk",
       {{1, chunk(a.str(false) + "@1:" + b.str(false) + "@a:bad::" + a.str(false) + "@1")},
        {1, "EI"}},
       0, 1, 10},
      {"entries without one @ skipped",
       {{1, chunk(a.str(false) + "@1@2:" + b.str(false) + "@4")}, {1, "EI"}}, 0, 0, 4},
      // Quantities are 32-bit counts: larger ones are no counts and must not
      // be summed into a node.
      {"counts beyond 32 bits skipped",
       {{1, chunk(a.str(false) + "@7fffffffffffffff:" + a.str(false) + "@7fffffffffffffff:" +
                  b.str(false) + "@80000000:" + b.str(false) + "@7fffffff")},
        {1, "EI"}},
       0, 0, 0x7fffffff},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    items.clear();
    ScriptedReader reader{c.answers};
    EXPECT_EQ(sync_inventory(0, reader), c.result);
    EXPECT_EQ(inventory_synced, c.result == 0);
    EXPECT_EQ(items.get_qty(a), c.qty_a);
    EXPECT_EQ(items.get_qty(b), c.qty_b);
    while (s.next(5) != "<none>") {
    }
  }
}

// Regression: the carried side emptied by a sync took its load along only
// when an entry arrived after it; an empty list left the old load.
TEST_F(InventoryHandlers, AnEmptySyncDropsTheLoad) {
  LoopbackServer s;
  items.add(Item(7L), 3, 1, false);
  items.total_weight = 18.0f;  // what a weighed pack had carried
  ScriptedReader reader{{{1, "EI"}}};
  EXPECT_EQ(sync_inventory(0, reader), 0);
  EXPECT_EQ(items.count, 0);
  EXPECT_EQ(items.total_weight, 0.0f);
}

// A sync that breaks off ends the session; after a failed bank sync the bank
// counts as synced, so that nothing waits for it.
TEST_F(InventoryHandlers, BrokenSyncEndsTheSession) {
  for (bool bank : {false, true}) {
    SCOPED_TRACE(bank);
    SetUp();
    LoopbackServer s;
    if (bank) {
      s.hang_up();
    } else {
      // Bytes that are no frame: the socket discards them and reads "nothing".
      const char junk[] = "\x07garbage-without-a-frame";
      ASSERT_GT(::write(s.srv.fds[0], junk, sizeof junk - 1), 0);
    }
    EXPECT_EQ(app.process_pkt(bank ? "h 1" : "h 0"), 0);
    EXPECT_FALSE(inventory_synced);
    EXPECT_TRUE(session_over);
    EXPECT_TRUE(has_message("Failed to sync inventory; please reconnect."));
    if (bank) {
      EXPECT_TRUE(me.bank_synced);
    } else {
      EXPECT_EQ(s.next(), "*");
      EXPECT_EQ(s.next(), "q");
    }
  }
}

TEST_F(InventoryHandlers, TrulyEmptyMessageEndsTheSync) {
  LoopbackServer s;
  // An empty send is a flush: frame the empty message by hand.
  std::string frame = make_frame(s.srv.encrypt(""));
  ASSERT_EQ(::write(s.srv.fds[0], frame.data(), frame.size()), static_cast<ssize_t>(frame.size()));
  EXPECT_EQ(app.process_pkt("h 0"), 0);
  EXPECT_TRUE(inventory_synced);
  EXPECT_EQ(s.next(), "*");
  EXPECT_EQ(s.next(), "**");
  EXPECT_EQ(s.next(), "^ i");
}

// Once a level is entered, the end of a sync asks for nothing more; an
// empty sync empties the carried items and leaves the bank.
TEST_F(InventoryHandlers, ImmediateEndEmptiesTheCarriedItemsOnly) {
  Item carried(5), banked(ITEM_BIT_BANKED | 6);
  items.add(carried, 2, 1, false);
  items.add(banked, 3, 1, false);
  level_entered = true;
  LoopbackServer s;
  s.send("EI");
  app.process_pkt("h");
  EXPECT_EQ(items.get_qty(carried), 0);
  EXPECT_EQ(items.get_qty(banked), 3);
  EXPECT_EQ(s.next(), "*");
  EXPECT_EQ(s.next(), "**");
  EXPECT_EQ(s.next(50), "<none>");
  level_entered = false;
}

TEST_F(InventoryHandlers, ItemChangeHotkeysAndBlessing) {
  LoopbackServer s;
  Item a(300L), c(301L);
  Item lowered = a;
  lowered.lower_blessing();
  const struct {
    Item b;
    std::vector<std::string> sent;
  } cases[] = {
      {c, {"n i 3 " + c.str(false), "n i 7 " + c.str(false)}},
      {lowered, {}},
  };
  for (const auto& k : cases) {
    items.clear();
    items.add(a, 1, 1, false);
    me.ring1 = a;
    me.ring2 = a;
    for (Item& bind : me.item_binds) bind = Item(0L);
    me.item_binds[3] = a;
    me.item_binds[7] = a;
    app.process_pkt("k " + a.str(false) + " " + k.b.str(false) + " 1");
    EXPECT_EQ(items.get_qty(k.b), 1);
    EXPECT_EQ(me.ring1, k.b);
    EXPECT_EQ(me.ring2, a);  // one slot only
    bool moved = k.sent.size() == 2;
    EXPECT_EQ(me.item_binds[3], moved ? k.b : a);
    for (const std::string& line : k.sent) EXPECT_EQ(s.next(), line);
    EXPECT_EQ(s.next(50), "<none>");
  }
  // Any shape but four pieces is ignored.
  me.ring1 = a;
  app.process_pkt("k " + a.str(false) + " " + c.str(false));
  EXPECT_EQ(me.ring1, a);
}

TEST_F(InventoryHandlers, IdInformation) {
  me.id = 5;
  me.name = "Old";
  app.process_pkt("i\t5\tg\tNewName\t0\t0");
  EXPECT_EQ(me.name, "NewName");
  EXPECT_EQ(id_table.count(), 0);
  app.process_pkt("i\t120\tevil\tGoblin\t0\t0");
  EXPECT_EQ(id_table.get_name(120), "Goblin");
  EXPECT_EQ(id_table.get_letter(120), 'e');
  app.process_pkt("i\t121\tg\tShort\t0");
  EXPECT_EQ(id_table.get_name(121), "");
}

TEST_F(InventoryHandlers, ChatLogFilter) {
  app.process_pkt("Mcno log yet");
  EXPECT_TRUE(has_message("no log yet"));
  EXPECT_EQ(TempDir::read("msglog.txt"), "");
  // The message box is not the program's log either.
  EXPECT_EQ(TempDir::read("cl_log.txt").find("no log yet"), std::string::npos);
  client_cfg.set("log_chat", "1");
  app.process_pkt(std::string("Mccaf\xe9 au\x01 lait"));
  app.process_pkt("Mxnot a chat line");
  std::string log = TempDir::read("msglog.txt");
  EXPECT_NE(log.find(": caf au lait\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("not a chat"), std::string::npos);
}

// A server's flood of chat fills the chat log up to what one run may add and
// no further: the player's earlier history stays, logging pauses with one
// line in the message box, and the next session does not start it again.
TEST_F(InventoryHandlers, ChatFloodPausesTheLogOnce) {
  const std::string notice = "Chat log paused: this run has logged 4 MiB.";
  auto notices = [&] { return std::count(d.messages.begin(), d.messages.end(), notice); };
  // The message box echoes every line; the checks stay outside the capture,
  // which would swallow their reports.
  auto send = [](const std::string& line, int times) {
    testing::internal::CaptureStdout();
    for (int i = 0; i < times; ++i) app.process_pkt(line);
    testing::internal::GetCapturedStdout();
  };
  const std::string history(4 * 1024 * 1024, 'h');
  TempDir::write("msglog.txt", history);
  client_cfg.set("log_chat", "1");
  // In the file a line takes the time stamp's 21 bytes, its text and a line
  // feed: "hi" 24, the flood's lines 1024 each.
  const std::string flood = "Mc" + std::string(1002, 'f');
  send("Mchi", 1);
  send(flood, 4095);
  // 1000 bytes are left: the next flood line would pass the bound.
  const size_t filled = history.size() + 4 * 1024 * 1024 - 1000;
  EXPECT_EQ(TempDir::read("msglog.txt").size(), filled);
  EXPECT_EQ(notices(), 0);
  send(flood, 2);
  EXPECT_EQ(notices(), 1);
  app.reset_session();
  send("Mc" + std::string(978, 's'), 1);  // would fit the 1000 bytes
  send("Mchi", 1);
  std::string log = TempDir::read("msglog.txt");
  EXPECT_EQ(log.size(), filled);
  EXPECT_EQ(log.compare(0, history.size(), history), 0);
  EXPECT_EQ(notices(), 1);
}

TEST_F(InventoryHandlers, ReplayedFrameDuringSyncFailsTheSync) {
  LoopbackServer s;
  Item a(7L);
  std::string frame = make_frame(s.srv.encrypt(deflate(a.str(false) + "@2")));
  // The same frame twice: the copy is rejected and must not end the sync.
  std::string twice = frame + frame;
  ASSERT_EQ(::write(s.srv.fds[0], twice.data(), twice.size()), static_cast<ssize_t>(twice.size()));
  EXPECT_EQ(check_inventory_sync(0), 1);
  EXPECT_FALSE(inventory_synced);
  EXPECT_EQ(items.get_qty(a), 2);
}
