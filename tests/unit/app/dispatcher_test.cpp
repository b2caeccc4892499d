#include <gtest/gtest.h>

#include "app_test_support.h"
#include "app/message_handlers.h"
#include "core/compression.h"
#include "support/temp_dir.h"

namespace {

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
  void TearDown() override { show_combat_messages = true; }
  std::vector<std::string> shown() const { return {d.messages.begin(), d.messages.end()}; }
};

}  // namespace

TEST_F(DispatcherTest, UnexpectedMessagesAreReportedAndTheSessionGoesOn) {
  const std::vector<std::string> cases = {"", "a1", "f", "g 2", "w", "x", "0", "9zz", "$", "^",
                                          "\x7b", "\x7f", "\x22", std::string(1, '\0'), "\xff"};
  for (const std::string& msg : cases) {
    d.messages.clear();
    EXPECT_EQ(app.process_pkt(msg), 0);
    EXPECT_EQ(shown(), std::vector<std::string>{UNEXPECTED_TEXT}) << "message [" << msg << "]";
  }
}

TEST_F(DispatcherTest, TextMessagesShortLinesAndFormatCharacters) {
  struct Case {
    std::string msg;
    bool combat_shown;
    std::vector<std::string> shown;
  };
  const std::vector<Case> cases = {
      {"M", true, {}},  // no kind character: not handed over
      {"Mc", true, {""}},
      {"Mc hello", true, {" hello"}},
      {"Ms%s%n%d", true, {"%s%n%d"}},  // never used as a format
      {"Oc hit", true, {" hit"}},
      {"Oc hit", false, {}},
  };
  for (const Case& c : cases) {
    show_combat_messages = c.combat_shown;
    d.messages.clear();
    EXPECT_EQ(app.process_pkt(c.msg), 0);
    EXPECT_EQ(shown(), c.shown) << c.msg << " " << c.combat_shown;
  }
  // Letters whose handlers read a kind character: alone they do nothing.
  for (char c : std::string("CLMOPWnpu")) {
    d.messages.clear();
    EXPECT_EQ(app.process_pkt(std::string(1, c)), 0) << c;
    EXPECT_TRUE(d.messages.empty()) << c;
  }
}

// A group replaces what is left of the one before; its parts are taken from
// the back, the first part first. A group that holds nothing changes nothing.
TEST_F(DispatcherTest, GroupedMessagesQueueTheirParts) {
  struct Case {
    const char* what;
    std::vector<std::string> before;
    std::string msg;
    std::vector<std::string> after;
  };
  const std::vector<Case> cases = {
      {"three parts", {}, group_of({"Mc one", "Mc two", "Mc three"}),
       {"Mc three", "Mc two", "Mc one"}},
      {"a new group", {"Mc old2", "Mc old1"}, group_of({"Mc new"}), {"Mc new"}},
      {"empty parts are kept", {}, group_of({"Mc a", "", "Mc b", ""}), {"", "Mc b", "", "Mc a"}},
      {"no body", {"Mc left"}, "*", {"Mc left"}},
      {"an empty body", {"Mc left"}, "*" + deflate(""), {"Mc left"}},
      {"not compressed", {"Mc left"}, "*not compressed", {"Mc left"}},
  };
  for (const Case& c : cases) {
    app.session.pending_messages = c.before;
    EXPECT_EQ(app.process_pkt(c.msg), 0) << c.what;
    EXPECT_EQ(app.session.pending_messages, c.after) << c.what;
  }
}

// An attack report and a crafting list stop the repeated cast, use and make.
TEST_F(DispatcherTest, RepeatsStopAfterAttacksAndCraftLists) {
  for (const char* msg : {"A 9 0 150 0 Goblin 11 10 1 0 M 181 0 1 2 3 40 5 0", "c 0 0 0 0 0",
                          "Mc text"}) {
    app.session.repeat_cast = app.session.repeat_use = app.session.repeat_make = true;
    app.process_pkt(msg);
    EXPECT_EQ(app.session.repeat_cast, msg[0] == 'M') << msg;
    EXPECT_EQ(app.session.repeat_use, msg[0] == 'M') << msg;
  }
  app.session.repeat_cast = app.session.repeat_use = app.session.repeat_make = false;
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
