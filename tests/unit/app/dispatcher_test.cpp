#include <gtest/gtest.h>

#include <map>

#include "app_test_support.h"
#include "app/message_handlers.h"
#include "core/compression.h"
#include "support/temp_dir.h"

namespace {

// The catalogue of first characters and the handler each one reaches.
const std::map<char, std::string> CATALOGUE = {
    {'#', "msg_equipment_sync"}, {'*', "msg_grouped"},          {'@', "msg_stats_packet"},
    {'A', "msg_attack_report"},  {'B', "msg_sell_list"},        {'C', "msg_crafting"},
    {'D', "msg_damage_report"},  {'E', "msg_map_effect"},       {'F', "msg_field_of_view"},
    {'G', "msg_field_of_view"},  {'H', "msg_player_record"},    {'I', "msg_item_received"},
    {'J', "msg_items_removed"},  {'K', "msg_level_change"},     {'L', "msg_forward"},
    {'M', "msg_text"},           {'N', "msg_map_change"},       {'O', "msg_text"},
    {'P', "msg_help_text"},      {'Q', "msg_game_over"},        {'R', "msg_refresh"},
    {'S', "msg_skill_update"},   {'T', "msg_talk_opens"},       {'U', "msg_buy_list"},
    {'V', "msg_talk_ends"},      {'W', "msg_whisper"},          {'X', "msg_level_gained"},
    {'Y', "msg_file_transfer"},  {'Z', "msg_data_reload"},      {'b', "msg_withdraw_list"},
    {'c', "msg_craft_list"},     {'d', "msg_dm_flag"},          {'e', "msg_effect_ends"},
    {'h', "msg_inventory_sync"}, {'i', "msg_id_information"},   {'j', "msg_forget_id"},
    {'k', "msg_item_changed"},   {'l', "msg_identify"},         {'m', "msg_move_result"},
    {'n', "msg_side_panel_text"}, {'o', "msg_creature_updates"}, {'p', "msg_tracked_creatures"},
    {'q', "msg_book_text"},      {'r', "msg_resurrected"},      {'s', "msg_spell_learned"},
    {'t', "msg_world_time"},     {'u', "msg_stock_entries"},    {'v', "msg_ship_values"},
    {'y', "msg_player_values"},  {'z', "msg_minimap"},
};

const char* const UNEXPECTED_TEXT = "Unexpected message from server ...";

std::string group_of(const std::vector<std::string>& parts) {
  std::string joined;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) joined += GROUP_SEPARATOR;
    joined += parts[i];
  }
  return "*" + deflate(joined);
}

struct DispatcherTest : ::testing::Test {
  TempDir dir;
  void SetUp() override { reset_app_state(); }
};

}  // namespace

TEST(DispatchTable, EveryByteRoutesAsCatalogued) {
  for (int c = 0; c < 256; ++c) {
    const MessageRoute* r = find_route(static_cast<unsigned char>(c));
    auto it = CATALOGUE.find(static_cast<char>(c));
    if (it == CATALOGUE.end()) {
      EXPECT_EQ(r, nullptr) << "byte " << c;
    } else {
      ASSERT_NE(r, nullptr) << "letter " << it->first;
      EXPECT_EQ(std::string(r->name), it->second) << "letter " << it->first;
      EXPECT_NE(r->handler, nullptr);
    }
  }
}

TEST(DispatchTable, RedrawsAndRepeatFlagsAroundHandlers) {
  // Only these letters have work done around their handler; every other
  // letter (the resurrection notice 'r' redraws the panel itself) has none.
  const std::map<char, unsigned> around = {
      {'@', ROUTE_REDRAW_PANEL},
      {'D', ROUTE_REDRAW_PANEL},
      {'A', ROUTE_REDRAW_PANEL | ROUTE_CLEAR_REPEATS_AFTER},
      {'E', ROUTE_REDRAW_MAP},
      {'e', ROUTE_REDRAW_MAP},
      {'c', ROUTE_CLEAR_REPEATS_BEFORE},
      {'o', ROUTE_VIEW_ONLY},
  };
  for (const auto& [letter, handler] : CATALOGUE) {
    auto it = around.find(letter);
    EXPECT_EQ(find_route(static_cast<unsigned char>(letter))->flags,
              it == around.end() ? 0u : it->second)
        << letter << " " << handler;
  }
}

TEST_F(DispatcherTest, UnexpectedMessagesAreReportedAndTheSessionGoesOn) {
  const std::vector<std::string> cases = {"", "a1", "f", "g 2", "w", "x", "0", "9zz", "$", "^",
                                          "\x7b", "\x7f", "\x22", std::string(1, '\0'), "\xff"};
  for (const std::string& msg : cases) {
    d.messages.clear();
    EXPECT_EQ(app.process_pkt(msg), 0);
    ASSERT_EQ(d.messages.size(), 1u) << "message [" << msg << "]";
    EXPECT_EQ(d.messages.back(), UNEXPECTED_TEXT);
  }
}

TEST_F(DispatcherTest, TextMessagesShortLinesAndFormatCharacters) {
  struct Case {
    std::string msg;
    bool printed;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"M", false, ""},             // no kind character: not handed over
      {"Mc", true, ""},             // two characters: empty text
      {"Mc hello", true, " hello"},
      {"Ms%s%n%d", true, "%s%n%d"},  // never used as a format
      {"Oc hit", true, " hit"},
  };
  for (const Case& c : cases) {
    d.messages.clear();
    EXPECT_EQ(app.process_pkt(c.msg), 0);
    if (c.printed) {
      ASSERT_EQ(d.messages.size(), 1u) << c.msg;
      EXPECT_EQ(d.messages.back(), c.text);
    } else {
      EXPECT_TRUE(d.messages.empty()) << c.msg;
    }
  }
}

TEST_F(DispatcherTest, CombatMessagesHiddenProduceNothing) {
  show_combat_messages = false;
  EXPECT_EQ(app.process_pkt("Oc you hit"), 0);
  EXPECT_TRUE(d.messages.empty());
  show_combat_messages = true;
}

TEST_F(DispatcherTest, GroupedMessageQueuesPartsInSendingOrder) {
  ASSERT_EQ(app.process_pkt(group_of({"Mc one", "Mc two", "Mc three"})), 0);
  ASSERT_EQ(app.pending_messages.size(), 3u);
  // Taken from the back: the first part first.
  EXPECT_EQ(app.pending_messages.back(), "Mc one");
  EXPECT_EQ(app.pending_messages.front(), "Mc three");
}

TEST_F(DispatcherTest, EmptyGroupsChangeNothing) {
  app.pending_messages = {"Mc left"};
  EXPECT_EQ(app.process_pkt("*"), 0);
  EXPECT_EQ(app.process_pkt("*" + deflate("")), 0);
  EXPECT_EQ(app.process_pkt("*not compressed"), 0);
  EXPECT_EQ(app.pending_messages, std::vector<std::string>{"Mc left"});
}

TEST_F(DispatcherTest, NewGroupReplacesTheRestOfTheOld) {
  app.pending_messages = {"Mc old2", "Mc old1"};
  app.process_pkt(group_of({"Mc new"}));
  EXPECT_EQ(app.pending_messages, std::vector<std::string>{"Mc new"});
}

TEST_F(DispatcherTest, EmptyPartsAreKeptAndTakeTheUnexpectedPath) {
  app.process_pkt(group_of({"Mc a", "", "Mc b", ""}));
  ASSERT_EQ(app.pending_messages.size(), 4u);
  std::vector<std::string> handled;
  while (!app.pending_messages.empty()) {
    std::string m = app.pending_messages.back();
    app.pending_messages.pop_back();
    handled.push_back(m);
    app.process_pkt(m);
  }
  EXPECT_EQ(handled, (std::vector<std::string>{"Mc a", "", "Mc b", ""}));
  std::vector<std::string> expect = {" a", UNEXPECTED_TEXT, " b", UNEXPECTED_TEXT};
  EXPECT_EQ(std::vector<std::string>(d.messages.begin(), d.messages.end()), expect);
}

TEST_F(DispatcherTest, DmFlagAndGameOver) {
  app.process_pkt("d 1");
  EXPECT_TRUE(me.is_dm());
  app.process_pkt("d x");
  EXPECT_FALSE(me.is_dm());
  session_over = false;
  app.process_pkt("Q");
  EXPECT_TRUE(session_over);
  session_over = false;
}

TEST_F(DispatcherTest, DataReloadFailsWithoutCommonConfig) {
  LoopbackServer server;
  EXPECT_EQ(app.process_pkt("Z"), 1);
  EXPECT_FALSE(data_reloaded);
  EXPECT_EQ(server.next(50), "<none>");
}

TEST_F(DispatcherTest, DataReloadSetsTheFlagsAndAnswers) {
  TempDir::write("dat/common.cfg", "game_name=QYX\n");
  LoopbackServer server;
  EXPECT_EQ(app.process_pkt("Z"), 0);
  EXPECT_TRUE(data_reloaded);
  EXPECT_TRUE(app.logged_in);
  EXPECT_EQ(server.next(), "i");
}

TEST_F(DispatcherTest, ForwardLineNeedsItsKindCharacter) {
  LoopbackServer s;
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"L", "<none>"}, {"Lx", "^ f "}, {"Lxabc", "^ f abc"}, {"L %s", "^ f %s"}};
  for (const auto& [msg, sent] : cases) {
    app.process_pkt(msg);
    EXPECT_EQ(s.next(sent == "<none>" ? 50 : 500), sent) << msg;
  }
}

TEST(DispatchTable, LettersThatReadTheKindNeedTwoBytes) {
  for (char c : std::string("CLMOPWnpu")) EXPECT_EQ(find_route(c)->min_length, 2u) << c;
  EXPECT_EQ(message_text("Mc"), "");
  EXPECT_EQ(message_text("M"), "");
  EXPECT_EQ(message_text("Mcab"), "ab");
}
