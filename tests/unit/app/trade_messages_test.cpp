// Trade, container, crafting and talk messages fed through the dispatcher.

#include <string>
#include <vector>

#include "app/play_messages.h"
#include "handler_fixture.h"

namespace {

// The panel's kind before any list is drawn: no list kind has this value.
constexpr int NO_LIST = -1;

struct TradeMessages : HandlerTest {
  void SetUp() override {
    HandlerTest::SetUp();
    drop_list.clear();
    d.list_title = "untouched";
    d.curr_display = 0;
    d.list_shown = nullptr;
    d.list_state = ListState();
    d.list_state.kind = NO_LIST;
    d.menu_rows = {"row"};
    app.session.list_container = 9;
    app.pile_container = app.pile_arg = app.pile_partner = 0;
    app.session.craft_ready = 1;
    trade_item = Item(0L);
  }
};

enum Stock { NONE, CARRIED, BANKED };

struct ListCase {
  const char* line;
  Stock stock;
  uint32_t start_mode;
  uint32_t mode;
  const char* title;
  int kind;            // kind of the opened list, or NO_LIST
  const char* shown;   // the message printed, or null
  int container;
};

constexpr long SWORD = 0x181;

}  // namespace

TEST_F(TradeMessages, ListTitlesAndModes) {
  // The merchant's list, the bank and an empty container are the
  // end-to-end market case's.
  const ListCase cases[] = {
      {"U M 7 181 3 0", NONE, MODE_NORMAL, MODE_BUY, "BUY", SELECT_BANK,
       "Merchant: What would you like to buy?", 3},
      {"U P 7 181 0 1", NONE, MODE_NORMAL, MODE_VIEW_INV, "REARRANGE", SELECT_BUY,
       "Rearranging chest/merchant (use shift+arrow to move an item) ...", 0},
      {"U P 7 181 0 0", NONE, MODE_NORMAL, MODE_BUY, "REMOVE", SELECT_BUY,
       "Merchant: What would you like to remove from my inventory?", 0},
      {"U P 7 181 3 0", NONE, MODE_NORMAL, MODE_BUY, "REMOVE", SELECT_BANK,
       "What would you like to remove from the container?", 3},
      {"U @ 7 181 3 2", NONE, MODE_NORMAL, MODE_GETLIST, "GET FROM PILE", SELECT_BANK,
       "Select the item you want to pick up from this pile ...", 3},
      // Four fields, or another mode: nothing opens.
      {"U M 7 181 3", NONE, MODE_NORMAL, MODE_NORMAL, "untouched", NO_LIST, nullptr, 3},
      {"U M 7 181 3 0", NONE, MODE_BUY, MODE_BUY, "untouched", NO_LIST, nullptr, 0},
      {"B B 9 181 0", NONE, MODE_NORMAL, MODE_NORMAL, "DEPOSIT", NO_LIST,
       "You have nothing to bank!", 0},
      {"B P 9 181 4", CARRIED, MODE_NORMAL, MODE_SELL, "PUT", SELECT_BANK,
       "What would you like to add to the container?", 4},
      {"B P 9 181 0", CARRIED, MODE_NORMAL, MODE_SELL, "PUT", SELECT_SELL,
       "Merchant: What would you like to add to my inventory?", 0},
      {"B P 9 181 0", NONE, MODE_NORMAL, MODE_NORMAL, "PUT", NO_LIST,
       "You have nothing to give to transfer!", 0},
      {"B x 9 181 0", CARRIED, MODE_NORMAL, MODE_NORMAL, "untouched", NO_LIST, nullptr, 0},
      {"B B 9 181", CARRIED, MODE_NORMAL, MODE_NORMAL, "untouched", NO_LIST, nullptr, 0},
      {"b B 5 181 0", BANKED, MODE_NORMAL, MODE_BUY, "WITHDRAW", SELECT_BANK,
       "Banker: What would you like to withdraw?", 0},
      {"b B 5 181 0", CARRIED, MODE_NORMAL, MODE_NORMAL, "WITHDRAW", NO_LIST,
       "You have nothing in your bank vault!", 0},
      {"b Q 5 181 0", NONE, MODE_NORMAL, MODE_NORMAL, "BUY", NO_LIST, "This merchant has no stock!",
       0},
      {"b B 5 181 0", BANKED, MODE_SELL, MODE_SELL, "untouched", NO_LIST, nullptr, 0},
  };
  for (const ListCase& c : cases) {
    SCOPED_TRACE(c.line);
    SetUp();
    if (c.stock == CARRIED) items.add(Item(SWORD), 2, 0, false);
    if (c.stock == BANKED) items.add(Item(SWORD).to_bank(), 2, 0, false);
    gc_interface_mode = c.start_mode;
    ASSERT_EQ(app.process_pkt(c.line), 0);
    EXPECT_EQ(gc_interface_mode, c.mode);
    EXPECT_EQ(d.list_title, c.title);
    // An opened list is reset onto its first entry and shown in the panel.
    EXPECT_EQ(d.list_state.kind, c.kind);
    EXPECT_EQ(d.curr_display, c.kind == NO_LIST ? 0 : 1);
    EXPECT_EQ(d.list_shown, c.kind == NO_LIST ? nullptr : &temp_list);
    if (c.kind != NO_LIST) {
      EXPECT_EQ(d.list_cursor_node(), temp_list.first);
    }
    EXPECT_EQ(app.session.list_container, c.container);
    if (c.shown) {
      EXPECT_TRUE(has_message(c.shown));
    } else {
      EXPECT_TRUE(d.messages.empty());
    }
    items.clear();
  }
}

TEST_F(TradeMessages, PileAndRearrangeFields) {
  ASSERT_EQ(app.process_pkt("U @ 7 181 3 2"), 0);
  EXPECT_EQ(app.pile_container, 3);
  EXPECT_EQ(app.pile_arg, 2);
  EXPECT_EQ(app.pile_partner, 7);
  EXPECT_EQ(app.session.list_kind, '@');
  EXPECT_EQ(trade_item.code, SWORD);
  SetUp();
  ASSERT_EQ(app.process_pkt("U P 7 181 0 1"), 0);
  EXPECT_TRUE(d.menu_rows.empty());
}

// A line a field short changes nothing but the container, a 'b' line without
// its partner names no list, and kind 'x' only stores what the line carries:
// never the item text of an earlier line.
TEST_F(TradeMessages, ShortOrStoringListLinesOpenNothing) {
  constexpr long RING = 0x1b8;
  struct Case {
    const char* line;
    int partner;
    long item;
    int container;
    char kind;
  } cases[] = {
      {"U M 7 181 3", 44, RING, 3, 'Z'}, {"B B 9 181", 44, RING, 0, 'Z'},
      {"B x 9 181 5", 9, SWORD, 5, 'x'}, {"b", 44, RING, 0, 'Z'},
      {"b B", 44, RING, 0, 'Z'},         {"b x 6", 6, 0, 0, 'x'},
      {"b x 6 182", 6, 0x182, 0, 'x'},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    trade_item = Item(RING);
    app.session.list_kind = 'Z';
    app.session.list_partner = 44;
    app.session.list_container = 9;
    ASSERT_EQ(app.process_pkt(c.line), 0);
    EXPECT_EQ(app.session.list_partner, c.partner);
    EXPECT_EQ(trade_item.code, c.item);
    EXPECT_EQ(app.session.list_container, c.container);
    EXPECT_EQ(app.session.list_kind, c.kind);
    EXPECT_EQ(gc_interface_mode, MODE_NORMAL);
  }
}

TEST_F(TradeMessages, StockEntriesAreNeverMerged) {
  app.process_pkt("u u:181 2 40u:181 1 40u:182 5u:1b8 4294967296 7");
  std::vector<std::pair<long, long>> got;
  for (ItemListEl* e = temp_list.first; e; e = e->next) got.emplace_back(e->item.code, e->qty);
  // A stock past the int range stops at its top.
  std::vector<std::pair<long, long>> want = {{SWORD, 2}, {SWORD, 1}, {0x1b8, 2147483647}};
  EXPECT_EQ(got, want);
  // That is more than the quantity column holds.
  ListState st;
  build_list_rows(st, &temp_list, SELECT_BUY, false, ListRowSources());
  EXPECT_EQ(list_row_view(st.rows[LIST_CURSOR_ROW + 2], SELECT_BUY, me).first, "xxx");
  temp_list.clear();
  gc_interface_mode = MODE_BUY;
  app.process_pkt("u u:181 2 40");
  EXPECT_EQ(temp_list.first, nullptr);
}

// The largest stock a line can name, twice over, and the list opened on it.
TEST_F(TradeMessages, HugeStockOpensItsList) {
  app.process_pkt("ux 100 9223372036854775807 1u:100 5 1u:100 -9223372036854775808 1");
  std::vector<long> got;
  for (ItemListEl* e = temp_list.first; e; e = e->next) got.push_back(static_cast<long>(e->qty));
  EXPECT_EQ(got, (std::vector<long>{2147483647, 5, -2147483648L}));
  EXPECT_EQ(temp_list.get_qty(Item(0x100L)), 4);
  ASSERT_EQ(app.process_pkt("U s 100 1f4 0 0"), 0);
  EXPECT_EQ(gc_interface_mode, MODE_BUY);
  EXPECT_EQ(d.list_shown, &temp_list);
}

TEST_F(TradeMessages, SendTradeListLines) {
  LoopbackServer srv;
  Item coat(0x1b2L, 0x5L);
  drop_list.add(Item(SWORD), 2, 40, true);
  drop_list.add(coat, 1, 7, true);
  send_trade_list(12, 3, true);
  EXPECT_EQ(srv.next(), "j 181 2 12 40 1 1");
  EXPECT_EQ(srv.next(), "j 1b2.5 1 12 7 1 1");
  EXPECT_EQ(srv.next(), "j 0 0 0 0 0 0");
  EXPECT_EQ(srv.next(50), "<none>");
  EXPECT_EQ(drop_list.first, nullptr);
  send_trade_list(12, 0, false);
  EXPECT_EQ(srv.next(), "j 0 0 0 0 0 0");
  EXPECT_EQ(srv.next(50), "<none>");
}

TEST_F(TradeMessages, Crafting) {
  items.add(Item(SWORD), 2, 0, false);
  temp_list.add(Item(0x5d6L), 1, 0, true);
  app.session.craft_request_id = 0;

  // An ingredient list without its '^' part offers nothing.
  app.process_pkt("Ci 4 181");
  EXPECT_EQ(gc_interface_mode, MODE_NORMAL);
  EXPECT_EQ(app.session.craft_request_id, 0);
  ASSERT_NE(temp_list.first, nullptr);
  EXPECT_EQ(temp_list.first->item.code, 0x5d6);

  app.process_pkt("Ci 4 1b2^181:182:");
  EXPECT_EQ(gc_interface_mode, MODE_MAKE_CHOOSE_MAT);
  EXPECT_EQ(app.session.craft_request_id, 4);
  EXPECT_EQ(craft_base_item.code, 0x1b2);
  ASSERT_NE(temp_list.first, nullptr);
  EXPECT_EQ(temp_list.first->item.code, SWORD);
  EXPECT_EQ(temp_list.first->qty, 2);
  EXPECT_EQ(temp_list.first->next, nullptr);
  EXPECT_TRUE(has_message("Select base ingredient ..."));
  EXPECT_EQ(d.list_state.kind, SELECT_NORMAL);
  EXPECT_EQ(d.list_state.title, "MAKE");
  EXPECT_EQ(d.curr_display, 1);

  gc_interface_mode = MODE_NORMAL;
  temp_list.clear();
  d.messages.clear();
  app.process_pkt("Cm 6 181");
  EXPECT_EQ(app.session.craft_request_id, 6);
  EXPECT_TRUE(has_message("You have the skill but not the resources to make something."));
  EXPECT_EQ(gc_interface_mode, MODE_NORMAL);
  temp_list.add(Item(SWORD), 1, 0, true);
  app.process_pkt("Cm 7 181");
  EXPECT_EQ(gc_interface_mode, MODE_MAKE);
  EXPECT_EQ(d.list_state.kind, SELECT_MAKE);
  EXPECT_EQ(d.list_state.title, "MAKE");

  d.messages.clear();
  app.session.repeat_make = true;
  app.process_pkt("Cx100%s done");
  EXPECT_TRUE(has_message("100%s done"));
  EXPECT_FALSE(app.session.repeat_make);

  app.session.craft_ready = 0;
  app.process_pkt("Cm 8 181");
  EXPECT_TRUE(has_message("You are not ready to craft another item just yet!"));
  EXPECT_EQ(app.session.craft_request_id, 7);
}

TEST_F(TradeMessages, TalkOpensAndEnds) {
  app.session.talk_partner_id = 3;
  temp_list.add(Item(SWORD), 1, 0, true);
  app.input_history = {"a", "b"};
  d.curr_display = 1;
  app.process_pkt("T");
  EXPECT_EQ(d.curr_display, 0);  // the talk line closes an open list
  EXPECT_EQ(app.session.talk_partner_id, 3);
  EXPECT_EQ(gc_interface_mode, MODE_NPCTALK);
  EXPECT_EQ(d.input_prompt, "Your interest? ");
  EXPECT_EQ(d.talk_topics, (std::vector<std::string>{"bye", "job", "time"}));
  EXPECT_EQ(temp_list.first, nullptr);
  app.process_pkt("T 12");
  EXPECT_EQ(app.session.talk_partner_id, 12);

  app.process_pkt("V");
  EXPECT_TRUE(has_message("Bye!"));
  EXPECT_EQ(gc_interface_mode, MODE_NORMAL);
  EXPECT_TRUE(d.talk_topics.empty());
  EXPECT_EQ(app.session.history_pos, 2);
  EXPECT_EQ(d.input_shown, 0);

  d.messages.clear();
  gc_interface_mode = MODE_BUY;
  app.process_pkt("V");
  EXPECT_EQ(gc_interface_mode, MODE_BUY);
  EXPECT_TRUE(d.messages.empty());
}
