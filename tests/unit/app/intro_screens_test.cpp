#include "app/intro_screens.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include "app_test_support.h"
#include "core/config_file.h"
#include "core/skills_classes.h"
#include "support/temp_dir.h"

namespace {

// Keys as Allegro's readkey gives them.
int k(int scancode, int c = 0) { return scancode << 8 | c; }
const int UP = k(KEY_UP), DOWN = k(KEY_DOWN), LEFT = k(KEY_LEFT), RIGHT = k(KEY_RIGHT);
const int PAD8 = k(KEY_8_PAD, '8'), PAD2 = k(KEY_2_PAD, '2');
const int ENTER = k(KEY_ENTER, 13), ESC = k(KEY_ESC, 27), BKSP = k(KEY_BACKSPACE, 8);
const int TAB = k(KEY_TAB, 9), SPACE = k(KEY_SPACE, ' ');

int ch(char c) {
  if (c >= 'a' && c <= 'z') return k(KEY_A + (c - 'a'), c);
  if (c >= 'A' && c <= 'Z') return k(KEY_A + (c - 'A'), c);
  if (c >= '0' && c <= '9') return k(KEY_0 + (c - '0'), c);
  return c;  // punctuation: the character alone
}
std::vector<int> text(const std::string& s) {
  std::vector<int> out;
  for (char c : s) out.push_back(ch(c));
  return out;
}
std::vector<int> operator+(std::vector<int> a, const std::vector<int>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
std::vector<int> times(int key, int n) { return std::vector<int>(static_cast<size_t>(n), key); }

// Classes 0-4; races: 0 and 2 selectable with all or some classes, 1 not
// selectable, 3 selectable with class 1 only. Avatars are written in hex:
// race 0 has male 10, 11, 12 and female 20, 21; race 2 male 40, 41, female 50;
// race 3 male 60.
const char* CLASSES =
    "Warden\tw\t\tr\nScout\ts\t\te\nMage\tm\t\tm\nPyre Mage\tp\tm\tm\nRanger\tr\ts\te\n";
std::string race_line(const char* name, const char* keys, char sel, const char* male,
                      const char* female) {
  return std::string(name) + "\t" + keys + "\t100\t100\t100\t0\t0\t100\t100\t100\t100\t100\t100\t100" +
         "\t100\t100\t100\t" + sel + "\t\"" + male + "\"\t\"" + female + "\"\t\"about\"\n";
}

struct IntroFixture : ::testing::Test {
  TempDir dir;
  SkillsClasses classes;
  ConfigFile cfg{"client.cfg"};
  std::vector<int> rolls;  // random numbers handed out in turn (then 0)
  size_t next_roll = 0;
  IntroScreens screens{classes, cfg, [this](int n) {
                         int r = next_roll < rolls.size() ? rolls[next_roll++] : 0;
                         return r < n ? r : 0;
                       }};

  void load_races(const std::string& races) {
    TempDir::write("dat/skills.txt", "");
    TempDir::write("dat/classes.txt", CLASSES);
    TempDir::write("dat/races.txt", races);
    ASSERT_EQ(classes.load(), 0);
  }
  void SetUp() override {
    load_races(race_line("Vale", "wsmpr", 'Y', "a,b,c", "14,15") +
               race_line("Husk", "w", 'N', "1e", "1f") + race_line("Reed", "smpr", 'Y', "28,29", "32") +
               race_line("Stone", "s", 'Y', "3c", "46"));
    cfg.set("name", "Stored");
    cfg.set("passwd", "secret");
    cfg.set("savepass", "1");
  }
  void start(int screen, bool qyx = false, size_t servers = 3, int16_t cls = -1) {
    ASSERT_TRUE(screens.begin(screen, qyx, "acct", "", 'M', 0, cls, -1, 0, servers));
  }
  int feed(const std::vector<int>& keys) {
    int r = INTRO_GOING_ON;
    for (int key : keys)
      if ((r = screens.key(key)) != INTRO_GOING_ON) break;
    return r;
  }
  const IntroState& st() const { return screens.state(); }
};

}  // namespace

TEST_F(IntroFixture, MenuKeys) {
  struct Case {
    bool qyx;
    std::vector<int> keys;
    int screen, selection, result;
  };
  const std::vector<Case> cases = {
      // Three entries without the QYX game: DOWN stops at 3, 'r' does nothing.
      {false, times(DOWN, 5), 1, 3, INTRO_GOING_ON},
      {false, {ch('r')}, 1, 1, INTRO_GOING_ON},
      {false, times(DOWN, 2) + std::vector<int>{ENTER}, 1, 3, INTRO_QUIT},
      {false, {TAB, PAD2, PAD8, UP, UP}, 1, 1, INTRO_GOING_ON},
      {false, {ch('J')}, 3, 1, INTRO_GOING_ON},
      {false, {ch('c')}, 4, 1, INTRO_GOING_ON},
      {false, {ESC}, 1, 1, INTRO_QUIT},
      // Four with it: entry 3 returns to the title, entry 4 quits.
      {true, times(DOWN, 5), 1, 4, INTRO_GOING_ON},
      {true, times(DOWN, 2) + std::vector<int>{ENTER}, 0, 3, INTRO_GOING_ON},
      {true, times(DOWN, 3) + std::vector<int>{SPACE}, 1, 4, INTRO_QUIT},
      {true, {ch('R')}, 0, 1, INTRO_GOING_ON},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    screens.state().menu_selection = 1;
    start(1, c.qyx);
    EXPECT_EQ(feed(c.keys), c.result) << i;
    EXPECT_EQ(st().screen, c.screen) << i;
    EXPECT_EQ(st().menu_selection, c.selection) << i;
  }
}

TEST_F(IntroFixture, TitleOnlyForQyxAndAClickLeavesIt) {
  start(0, false);
  EXPECT_EQ(st().screen, 1);
  start(0, true);
  EXPECT_EQ(st().screen, 0);
  EXPECT_EQ(screens.click(IntroHit{}), INTRO_GOING_ON);
  EXPECT_EQ(st().screen, 1);
}

TEST_F(IntroFixture, LoginFormEditing) {
  struct Case {
    int field;
    std::vector<int> keys;
    std::string name, account, password;
    int field_after, server_after;
  };
  const std::string n30(30, 'n');
  const std::vector<Case> cases = {
      {0, text("ab1"), "Storedab1", "acct", "secret", 0, 0},
      {0, times(BKSP, 7), "", "acct", "secret", 0, 0},
      {0, times(BKSP, 6) + text(n30 + "x"), n30, "acct", "secret", 0, 0},
      {1, text("0123456789abcdef"), "Stored", "acct0123456789a", "secret", 1, 0},
      {1, text("a-b c"), "Stored", "acctabc", "secret", 1, 0},
      // Password, server and enter line all edit the password.
      {2, text("x") + std::vector<int>{BKSP, BKSP}, "Stored", "acct", "secre", 2, 0},
      {4, text("y"), "Stored", "acct", "secrety", 4, 0},
      // ENTER moves on only from a filled field; the server goes to the last line.
      {0, {ENTER, ENTER}, "Stored", "acct", "secret", 2, 0},
      {1, times(BKSP, 4) + std::vector<int>{ENTER}, "Stored", "", "secret", 1, 0},
      {3, {ENTER}, "Stored", "acct", "secret", 4, 0},
      {0, times(DOWN, 9), "Stored", "acct", "secret", 4, 0},
      {4, {UP, PAD8, UP, UP, UP, UP}, "Stored", "acct", "secret", 0, 0},
      // Servers: left and right stop at the ends; only on the server field.
      {3, times(RIGHT, 5), "Stored", "acct", "secret", 3, 2},
      {3, {RIGHT, LEFT, LEFT}, "Stored", "acct", "secret", 3, 0},
      {2, {RIGHT}, "Stored", "acct", "secret", 2, 0},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    start(3);
    screens.state().login_field = c.field;
    EXPECT_EQ(feed(c.keys), INTRO_GOING_ON) << i;
    EXPECT_EQ(st().name, c.name) << i;
    EXPECT_EQ(st().account, c.account) << i;
    EXPECT_EQ(st().password, c.password) << i;
    EXPECT_EQ(st().login_field, c.field_after) << i;
    EXPECT_EQ(st().server_idx, c.server_after) << i;
    EXPECT_EQ(st().screen, 3) << i;
  }
  start(3);
  EXPECT_EQ(feed({ESC}), INTRO_GOING_ON);
  EXPECT_EQ(st().screen, 1);
}

TEST_F(IntroFixture, WhatTheFormsSave) {
  struct Case {
    const char* savepass;
    int screen;
    std::vector<int> keys;  // typed after the form opened
    int result;
    const char *name, *account, *passwd;  // in client.cfg afterwards (the typed
                                          // password only with "savepass")
  };
  const std::vector<Case> cases = {
      {"1", 3, times(DOWN, 4) + std::vector<int>{ENTER}, INTRO_LOGIN, "Stored", "acct", "secret"},
      {"1", 3, text("x") + times(DOWN, 4) + std::vector<int>{ENTER}, INTRO_LOGIN, "Storedx", "acct",
       "secret"},
      // Without "savepass" the password starts empty and is never written.
      {"0", 3, times(DOWN, 4) + std::vector<int>{ENTER}, INTRO_GOING_ON, "Stored", "", "secret"},
      {"0", 3, times(DOWN, 2) + text("pw") + times(DOWN, 2) + std::vector<int>{ENTER}, INTRO_LOGIN,
       "Stored", "acct", "secret"},
      {"1", 3, times(DOWN, 2) + text("x") + times(DOWN, 2) + std::vector<int>{ENTER}, INTRO_LOGIN,
       "Stored", "acct", "secretx"},
      // Creation: ENTER walks the fields; the name waits for the server's yes.
      {"1", 4, text("Newbie") + times(ENTER, 7), INTRO_CREATE, "Stored", "acct", "secret"},
      {"1", 4, times(ENTER, 6), INTRO_GOING_ON, "Stored", "", "secret"},
      {"0", 4, text("Newbie") + std::vector<int>{UP} + text("pw") + times(DOWN, 7) +
                   std::vector<int>{ENTER},
       INTRO_CREATE, "Stored", "acct", "secret"},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    std::filesystem::remove("client.cfg");
    cfg = ConfigFile("client.cfg");
    cfg.set("name", "Stored");
    cfg.set("passwd", "secret");
    cfg.set("savepass", c.savepass);
    start(c.screen);
    screens.state().login_field = 0;
    EXPECT_EQ(feed(c.keys), c.result) << i;
    ConfigFile saved("client.cfg");
    saved.load();
    EXPECT_EQ(saved.get("account"), c.account) << i;
    if (c.result == INTRO_GOING_ON) continue;
    EXPECT_EQ(saved.get("name"), c.name) << i;
    EXPECT_EQ(saved.get("passwd"), c.passwd) << i;
  }
}

TEST_F(IntroFixture, CreationFormChoices) {
  struct Case {
    int field;
    std::vector<int> keys;
    std::vector<int> rolls;
    int16_t cls_before;
    char gender;
    int16_t race, cls;
    int32_t avatar;
    int server;
  };
  const std::vector<Case> cases = {
      // Server keys stop at the last row.
      {3, times(RIGHT, 4), {}, -1, 'M', 0, 0, 10, 2},
      // Gender toggles and takes a random avatar of the new list.
      {4, {RIGHT}, {1}, -1, 'F', 0, 0, 21, 0},
      {4, {LEFT, LEFT}, {1, 2}, -1, 'M', 0, 0, 12, 0},
      // Races skip the unselectable one and wrap both ways.
      {5, {RIGHT}, {1}, -1, 'M', 2, 1, 41, 0},
      {5, {LEFT}, {}, -1, 'M', 3, 1, 60, 0},
      {5, {RIGHT, RIGHT, RIGHT}, {}, -1, 'M', 0, 1, 10, 0},
      // A class the new race may take stays; else its first class.
      {5, {RIGHT}, {}, 2, 'M', 2, 2, 40, 0},
      {5, {LEFT}, {}, 2, 'M', 3, 1, 60, 0},
      // Classes and avatars wrap in their lists.
      {6, {LEFT}, {}, -1, 'M', 0, 4, 10, 0},
      {6, times(RIGHT, 6), {}, -1, 'M', 0, 1, 10, 0},
      {7, {LEFT}, {}, -1, 'M', 0, 0, 12, 0},
      {7, times(RIGHT, 4), {}, -1, 'M', 0, 0, 11, 0},
      // After a random avatar, the next step goes on from the one shown.
      {4, {RIGHT, DOWN, DOWN, DOWN, RIGHT}, {1}, -1, 'F', 0, 0, 20, 0},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    rolls = c.rolls;
    next_roll = 0;
    start(4, false, 3, c.cls_before);
    screens.state().create_field = c.field;
    feed(c.keys);
    EXPECT_EQ(st().gender, c.gender) << i;
    EXPECT_EQ(st().race, c.race) << i;
    EXPECT_EQ(st().cls, c.cls) << i;
    EXPECT_EQ(st().avatar, c.avatar) << i;
    EXPECT_EQ(st().server_idx, c.server) << i;
  }
  // A click on the right arrow of the server wraps to the first row.
  start(4);
  screens.state().server_idx = 2;
  screens.click({HIT_RIGHT_ARROW, CREATE_FIELD_SERVER});
  EXPECT_EQ(st().server_idx, 0);
}

TEST_F(IntroFixture, ChoicesSurviveEmptyTables) {
  // No selectable race: stepping the race ends after one round and changes nothing.
  load_races(race_line("Husk", "", 'N', "", "") + race_line("Shade", "", 'N', "", ""));
  start(4, false, 0);
  for (int field : {CREATE_FIELD_SERVER, CREATE_FIELD_RACE, CREATE_FIELD_CLASS, CREATE_FIELD_AVATAR,
                    CREATE_FIELD_GENDER}) {
    screens.state().create_field = field;
    feed({RIGHT, LEFT});
    screens.click({HIT_RIGHT_ARROW, field});
  }
  EXPECT_EQ(st().race, 0);
  EXPECT_EQ(st().cls, 0);  // a race naming no class gets class 0
  EXPECT_EQ(st().avatar, SC_DEFAULT_AVATAR);
  EXPECT_EQ(st().server_idx, 0);
  // No race at all: the entry step fails instead of going on with none.
  load_races("");
  SkillsClasses none;
  IntroScreens empty(none, cfg, [](int) { return 0; });
  EXPECT_FALSE(empty.begin(4, false, "", "", 'M', 0, -1, -1, 0, 1));
}

TEST_F(IntroFixture, MouseSelectsAndSubmits) {
  start(1);
  screens.press({HIT_MENU_ENTRY, 3});
  EXPECT_EQ(st().menu_selection, 3);
  screens.press({HIT_MENU_ENTRY, 9});
  EXPECT_EQ(st().menu_selection, 3);
  EXPECT_EQ(screens.click({HIT_MENU_ENTRY, 2}), INTRO_GOING_ON);
  EXPECT_EQ(st().screen, 4);
  screens.press({HIT_FIELD, CREATE_FIELD_AVATAR});
  EXPECT_EQ(st().create_field, CREATE_FIELD_AVATAR);
  EXPECT_EQ(screens.click({HIT_FIELD, CREATE_FIELD_ENTER}), INTRO_GOING_ON);  // no name yet
  screens.state().new_name = "Newbie";
  EXPECT_EQ(screens.click({HIT_FIELD, CREATE_FIELD_ENTER}), INTRO_CREATE);
}

TEST(IntroLoop, TypedKeysLogInAndAQuitRequestEnds) {
  TempDir dir;
  reset_app_state();
  TempDir::write("dat/skills.txt", "");
  TempDir::write("dat/classes.txt", CLASSES);
  TempDir::write("dat/races.txt", race_line("Vale", "w", 'Y', "1", "2"));
  ASSERT_EQ(sc.load(), 0);
  client_cfg.set("name", "Hero");
  client_cfg.set("passwd", "pw");
  client_cfg.set("savepass", "1");
  std::string account = "acct", new_name;
  char gender = 'M';
  int16_t race = 0, cls = -1;
  int32_t avatar = -1;
  int server = 0;
  conn_state = CONN_MENU;
  // Keys as standard input gives them: characters without scancodes.
  for (int key : std::vector<int>{'j', '\t', '\t', '\t', '\t', '\n'}) type_key_later(key);
  EXPECT_EQ(app.do_intro(account, new_name, gender, race, cls, avatar, server), INTRO_LOGIN);
  EXPECT_EQ(login_password, "pw");
  EXPECT_EQ(conn_state, CONN_LOGIN_FORM);
  EXPECT_EQ(avatar, 1);
  EXPECT_EQ(cls, 0);

  session_over = true;
  EXPECT_EQ(app.do_intro(account, new_name, gender, race, cls, avatar, server), INTRO_QUIT);
  session_over = false;
}
