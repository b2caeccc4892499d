#include <gtest/gtest.h>

#include "app/login.h"
#include "app_test_support.h"
#include "core/string_utils.h"
#include "core/utils.h"
#include "display/side_panel.h"
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

  // Every reply of a login, in order.
  static std::vector<std::string> login_replies(
      const std::string& hotkey_items, const std::string& known_spells = "3 7 -1 9",
      const std::string& rules = "p 1 0 1 2.5 0.5 30 1 1 5 1 0") {
    return {"C0", "INIT 42 1       1 0 5 3 1 60      Hero M 1 2",
            "H 10 12 1 20 0 0 30 10 0 0 30 10 5.0 10 0 10.0 10.0 10.0 100 0 1 0 0 5",
            "7", rules, "#", "skills", "bonuses", hotkey_items, "4 5 6", known_spells};
  }
  void queue_replies(LoopbackServer& s, const std::string& hotkey_items,
                     const std::string& known_spells = "3 7 -1 9") {
    for (const std::string& r : login_replies(hotkey_items, known_spells)) s.send(r);
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

  EXPECT_EQ(me.name, "Hero");
  EXPECT_TRUE(me.is_dm());
  EXPECT_EQ((std::vector<int>{me.id, me.race, me.cls, me.x, me.y, me.sight}),
            (std::vector<int>{42, 1, 2, 10, 12, 7}));
  // The rules line.
  EXPECT_EQ((std::vector<int>{d.show_age, d.show_class_skills, skill_cap, d.show_skill_total,
                              d.levels_per_remort, flagged_skills_only, stat_cap, PLAYER_LEVELS,
                              PERMADEATH, level_cap, g_no_requirements}),
            (std::vector<int>{1, 0, 5, 1, 3, 1, 60, 1, 1, 30, 1}));
  EXPECT_FLOAT_EQ(STAT_VALUE, 2.5f);
  EXPECT_EQ(me.item_binds[5].code, 0);  // 61 words: slots 0..59 filled
  EXPECT_EQ(me.spell_binds[0], 4);
  EXPECT_EQ(me.spell_binds[2], 6);
  EXPECT_EQ(me.spell_binds[3], 77);     // short line: the rest unchanged
  EXPECT_EQ(me.spells, (std::vector<int>{3, 7}));
}

// Fewer than 60 hotkey items leave the slots; the known spells end at the
// first value that is no spell id.
TEST_F(HandshakeTest, HotkeyItemsAndKnownSpells) {
  struct Case {
    int hotkey_words;
    std::string spells_line;
    long slot5;
    std::vector<int> spells;
  };
  const std::vector<Case> cases = {
      {59, "3 7 -1 9", 99, {3, 7}},
      {60, "-1 3", 0, {}},
      {1, "3 x 7", 99, {3}},
      {1, "3 4294967303 9", 99, {3}},  // 2^32 + 7 is no spell id, not spell 7
      {1, "3 99999999999999999999 7", 99, {3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.spells_line);
    me.reset();
    me.item_binds[5] = Item(99);
    LoopbackServer s;
    s.send_raw_ack();
    queue_replies(s, words(c.hotkey_words, "0.0.0.0"), c.spells_line);
    ASSERT_EQ(login(), LOGIN_OK);
    EXPECT_EQ(me.item_binds[5].code, c.slot5);
    EXPECT_EQ(me.spells, c.spells);
  }
}

// Refusals and damaged replies. The verdicts the development server gives
// are left to the end-to-end cases.
TEST_F(HandshakeTest, RefusedOrDamagedReplies) {
  auto with_rules = [](const std::string& rules) {
    return login_replies(words(60, "0.0.0.0"), "3 7 -1 9", rules);
  };
  struct Case {
    const char* what;
    int ack;  // 1 acknowledged, -1 refused, 0 neither
    std::vector<std::string> replies;
    bool hang_up;
    int result;
    std::string message;  // "" = none in the message box
  };
  const std::vector<Case> cases = {
      {"server full", -1, {}, false, LOGIN_FAILED, "Server full!"},
      {"no acknowledgement", 0, {"hello"}, false, LOGIN_FAILED, "Connection error!"},
      {"closed at once", 0, {}, true, LOGIN_FAILED, "Connection timeout!"},
      {"out of date", 1, {"C1"}, false, LOGIN_OUT_OF_DATE, ""},
      {"unknown verdict", 1, {"C9"}, false, LOGIN_FAILED, "Connection closed!"},
      {"verdict with a tail", 1, {"C0x"}, false, LOGIN_FAILED, "Connection closed!"},
      {"closed after the yes", 1, {"C0"}, true, LOGIN_FAILED, ""},
      {"short INIT", 1, {"C0", "INIT 1 2 3"}, false, LOGIN_FAILED, "Initialisation error!"},
      {"stat scale no number", 1, with_rules("p 1 0 1 nan 0.5 30 1 1 5 1 0"), false, LOGIN_FAILED, ""},
      {"stat scale unbounded", 1, with_rules("p 1 0 1 -inf 0.5 30 1 1 5 1 0"), false, LOGIN_FAILED, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    d.messages.clear();
    LoopbackServer s;
    if (c.ack > 0) s.send_raw_ack();
    if (c.ack < 0) s.srv.sndNack(0);
    for (const std::string& r : c.replies) s.send(r);
    if (c.hang_up) s.hang_up();
    EXPECT_EQ(login(), c.result);
    if (c.message.empty())
      EXPECT_TRUE(d.messages.empty());
    else
      EXPECT_TRUE(has_message(c.message));
  }
}

// A huge but finite stat scale holds every stat at the top of the int range;
// the character sheet, redrawn after the next 'H', still shows its damage.
TEST_F(HandshakeTest, HugeStatScaleKeepsTheSheetWhole) {
  LoopbackServer s;
  s.send_raw_ack();
  for (const std::string& r :
       login_replies(words(60, "0.0.0.0"), "3 7 -1 9", "p 1 0 0 3e9 0.000000 10 20 1 5 1 0"))
    s.send(r);
  ASSERT_EQ(login(), LOGIN_OK);
  app.process_pkt("H 10 12 1 20 0 0 30 10 0 0 30 10 5.0 10 0 10.0 10.0 10.0 100 0 1 0 0 5");
  EXPECT_EQ(me.get_str(), 2147483647);
  SheetSettings settings = sheet_settings_from_session();
  settings.level_entered = true;
  const CharacterSheet sheet = build_character_sheet(me, settings, compute_sheet_state(me, settings));
  int damage_rows = 0;
  for (int i = 0; i < SHEET_ROWS; ++i) {
    const std::string& text = sheet.rows[i].text;
    if (text.rfind("Damage:", 0) != 0) continue;
    ++damage_rows;
    EXPECT_EQ(text.find("nan"), std::string::npos) << text;
    EXPECT_EQ(text.find("inf"), std::string::npos) << text;
  }
  EXPECT_EQ(damage_rows, 1);
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
