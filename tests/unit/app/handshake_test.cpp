#include <gtest/gtest.h>

#include "app/login.h"
#include "app_test_support.h"
#include "core/string_utils.h"
#include "core/utils.h"
#include "support/temp_dir.h"

namespace {

std::string words(int n, const std::string& w) {
  std::string s;
  for (int i = 0; i < n; ++i) s += (i ? " " : "") + w;
  return s;
}

struct HandshakeTest : ::testing::Test {
  TempDir dir;
  void SetUp() override {
    reset_app_state();
    TempDir::copy_gamedata("dat");
    spells.load();
    client_cfg.set("name", "Hero");
    client_cfg.set("account", "acct");
    login_password = "secret";
    platform_name = "notwindows";
    start_stat_value_ = STAT_VALUE;
  }
  // The replies set the rules for the rest of the process; later tests start
  // from the program's own values.
  void TearDown() override { STAT_VALUE = start_stat_value_; }
  float start_stat_value_ = 1.0f;
  int login() { return app.client_init("zib", "zib", 0, "acct", "", 'x', 0, 0, 0); }

  void queue_replies(LoopbackServer& s, const std::string& hotkey_items,
                     const std::string& known_spells = "3 7 -1 9") {
    s.send("C0");
    s.send("INIT 42 1       1 0 5 3 1 60      Hero M 1 2");
    s.send("H 10 12 1 20 0 0 30 10 0 0 30 10 5.0 10 0 10.0 10.0 10.0 100 0 1 0 0 5");
    s.send("7");
    s.send("p 1 0 1 2.5 0.5 30 1 1 5 1 0");
    s.send("#");
    s.send("skills");
    s.send("bonuses");
    s.send(hotkey_items);
    s.send("4 5 6");
    s.send(known_spells);
  }
};

}  // namespace

TEST_F(HandshakeTest, FullLoginFillsTheCharacterAndReports) {
  LoopbackServer s;
  s.send_raw_ack();
  queue_replies(s, words(61, "0.0.0.0"));
  me.item_binds[5] = Item(99);
  for (int32_t& b : me.spell_binds) b = 77;
  ASSERT_EQ(login(), LOGIN_OK);

  std::string expected_line = format_str(
      "C %x acct secret Hero x zib notwindows x x x 0 0 0 x 0 0 0 0",
      static_cast<unsigned>(file_crc32("/proc/self/exe")));
  EXPECT_EQ(s.next(), expected_line);
  EXPECT_EQ(s.next(), make_data_file_report());

  EXPECT_EQ(me.id, 42);
  EXPECT_EQ(me.name, "Hero");
  EXPECT_TRUE(me.is_dm());
  EXPECT_EQ(me.race, 1);
  EXPECT_EQ(me.cls, 2);
  EXPECT_EQ(me.x, 10);
  EXPECT_EQ(me.y, 12);
  EXPECT_EQ(me.sight, 7);
  EXPECT_EQ(d.show_age, 1);
  EXPECT_EQ(d.show_class_skills, 0);
  EXPECT_EQ(skill_cap, 5);
  EXPECT_EQ(d.show_skill_total, 1);
  EXPECT_EQ(d.levels_per_remort, 3);
  EXPECT_TRUE(flagged_skills_only);
  EXPECT_EQ(stat_cap, 60);
  EXPECT_TRUE(PLAYER_LEVELS);
  EXPECT_TRUE(PERMADEATH);
  EXPECT_FLOAT_EQ(STAT_VALUE, 2.5f);
  EXPECT_EQ(level_cap, 30);
  EXPECT_TRUE(g_no_requirements);
  EXPECT_EQ(me.item_binds[5].code, 0);  // 61 words: slots 0..59 filled
  EXPECT_EQ(me.spell_binds[0], 4);
  EXPECT_EQ(me.spell_binds[2], 6);
  EXPECT_EQ(me.spell_binds[3], 77);     // short line: the rest unchanged
  EXPECT_EQ(me.spells, (std::vector<int>{3, 7}));
}

TEST_F(HandshakeTest, FiftyNineHotkeyItemsLeaveTheSlots) {
  LoopbackServer s;
  s.send_raw_ack();
  queue_replies(s, words(59, "0.0.0.0"));
  me.item_binds[5] = Item(99);
  ASSERT_EQ(login(), LOGIN_OK);
  EXPECT_EQ(me.item_binds[5].code, 99);
}

TEST_F(HandshakeTest, KnownSpellsEndAtTheFirstInvalidValue) {
  struct Case {
    std::string line;
    std::vector<int> spells;
  };
  const std::vector<Case> cases = {
      {"3 7 -1 9", {3, 7}},
      {"-1 3", {}},
      {"3 x 7", {3}},
      {"3 4294967303 9", {3}},  // 2^32 + 7 is no spell id, not spell 7
      {"3 99999999999999999999 7", {3}},
  };
  for (const Case& c : cases) {
    me.reset();
    LoopbackServer s;
    s.send_raw_ack();
    queue_replies(s, "0.0.0.0", c.line);
    ASSERT_EQ(login(), LOGIN_OK) << c.line;
    EXPECT_EQ(me.spells, c.spells) << c.line;
  }
}

TEST_F(HandshakeTest, Verdicts) {
  struct Case {
    std::string reply;
    int result;
    std::string message;  // "" = none in the message box
  };
  const std::vector<Case> cases = {
      {"C1", LOGIN_OUT_OF_DATE, ""},
      {"C2", LOGIN_NAME_EXISTS, "New character name exists!"},
      {"C3", LOGIN_BAD_ACCOUNT, "Incorrect account login!"},
      {"C4", LOGIN_ALREADY_IN, "Already logged in!"},
      {"C5", LOGIN_NO_CHARACTER, "Character not found!"},
      {"C6", LOGIN_NO_CHARACTER, "Requested character not linked to this account!"},
      {"C7", LOGIN_BANNED, "You have been banned! You may plead your case on the forums: the QYX forums"},
      {"C8", LOGIN_CREATION_OFF, "Character creation has been disabled on this server!"},
      {"C9", LOGIN_FAILED, "Connection closed!"},
      {"C0x", LOGIN_FAILED, "Connection closed!"},
  };
  for (const Case& c : cases) {
    d.messages.clear();
    LoopbackServer s;
    s.send_raw_ack();
    s.send(c.reply);
    EXPECT_EQ(login(), c.result) << c.reply;
    if (c.message.empty())
      EXPECT_TRUE(d.messages.empty()) << c.reply;
    else
      EXPECT_TRUE(has_message(c.message)) << c.reply;
  }
}

TEST_F(HandshakeTest, AdmissionRefusals) {
  {
    LoopbackServer s;
    s.srv.sndNack(0);
    EXPECT_EQ(login(), LOGIN_FAILED);
    EXPECT_TRUE(has_message("Server full!"));
  }
  {
    LoopbackServer s;
    s.send("hello");
    EXPECT_EQ(login(), LOGIN_FAILED);
    EXPECT_TRUE(has_message("Connection error!"));
  }
  {
    LoopbackServer s;
    s.hang_up();
    EXPECT_EQ(login(), LOGIN_FAILED);
    EXPECT_TRUE(has_message("Connection timeout!"));
  }
}

TEST_F(HandshakeTest, ClosedAfterC0GivesOneWithoutAMessage) {
  LoopbackServer s;
  s.send_raw_ack();
  s.send("C0");
  s.hang_up();
  d.messages.clear();
  EXPECT_EQ(login(), LOGIN_FAILED);
  EXPECT_TRUE(d.messages.empty());
}

TEST_F(HandshakeTest, MalformedInitIsAnInitialisationError) {
  LoopbackServer s;
  s.send_raw_ack();
  s.send("C0");
  s.send("INIT 1 2 3");
  EXPECT_EQ(login(), LOGIN_FAILED);
  EXPECT_TRUE(has_message("Initialisation error!"));
}

TEST_F(HandshakeTest, InvalidFieldIsRefusedBeforeSending) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"name", "two words"}, {"name", ""}, {"name", "tab\tname"}};
  for (const auto& [key, value] : cases) {
    client_cfg.set(key, value);
    LoopbackServer s;
    s.send_raw_ack();
    EXPECT_EQ(login(), LOGIN_INVALID_FIELD) << value;
    EXPECT_EQ(s.next(50), "<none>") << value;
  }
  client_cfg.set("name", "Hero");
  login_password = "has blank";
  LoopbackServer s;
  s.send_raw_ack();
  EXPECT_EQ(login(), LOGIN_INVALID_FIELD);
}

TEST_F(HandshakeTest, CreateLineCarriesTheChoices) {
  LoopbackServer s;
  s.send_raw_ack();
  s.send("C2");
  client_cfg.set("dm", "1");
  client_cfg.set("dm_passwd", "gm");
  client_cfg.set("hide_dm_logon", "1");
  EXPECT_EQ(app.client_init("zib", "zib", 1, "acct", "Newbie", 'F', 2, 3, 0x1f), LOGIN_NAME_EXISTS);
  std::string line = s.next();
  std::string tail = line.substr(line.find(' ', 2));
  EXPECT_EQ(tail, " acct secret Newbie gm zib notwindows x x x 1 1f 3 F 0 0 1 2");
}
