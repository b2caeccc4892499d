// Key bindings: the file, duplicate keys, lookups, reserved keys, modifiers.

#include "input/keymap.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "app/client_app.h"
#include "support/temp_dir.h"

namespace {

struct KeymapTest : ::testing::Test {
  TempDir dir;
  Keymap km;
  void SetUp() override { std::filesystem::create_directories("dat"); }
  void load(const std::string& text) {
    TempDir::write(KEYMAP_FILE, text);
    km.load();
  }
};

TEST_F(KeymapTest, DefaultsWithoutFile) {
  km.load();
  const struct {
    int action;
    int key;
  } cases[] = {{KA_NORTH, 0},        {KA_NORTHWEST, 0},  {KA_ACTIVATE, KEY_A},
               {KA_CAST, KEY_C},     {KA_CROSSHAIR, KEY_Y}, {KA_DRINK, KEY_P},
               {KA_INVENTORY, KEY_V}, {KA_MEDITATE, KEY_N}, {KA_READY, KEY_W},
               {KA_STATS, KEY_Z},    {KA_SWITCH_TARGET, KEY_TAB}, {KA_USE, KEY_U}};
  for (const auto& c : cases) EXPECT_EQ(km.get_key(c.action), c.key) << c.action;
  EXPECT_EQ(km.get_max_name_len(), 17);
  EXPECT_EQ(km.find_action(0), KA_NORTH);
  EXPECT_EQ(km.get_action_name(KEY_Q), "");
  EXPECT_EQ(km.get_action_name(KEY_TAB), "Switch target");
}

TEST_F(KeymapTest, FileLines) {
  const struct {
    const char* text;
    int action;
    int key;
    int shift, ctrl, alt;
  } cases[] = {
      // A later action keeps a shared key: Activate loses its default A.
      {"Use|1 0 0 0\n", KA_USE, KEY_A, 0, 0, 0},
      {"Use|1 0 0 0\n", KA_ACTIVATE, 0, 0, 0, 0},
      {"Cast|3 1 1 1\n", KA_CAST, KEY_C, 1, 1, 1},
      {"Cast|3 7 0 -2\n", KA_CAST, KEY_C, 1, 0, 1},
      // Two '|' or an unknown name: the line is skipped, the default stays.
      {"Look|17|0 0 0\n", KA_LOOK, KEY_L, 0, 0, 0},
      {"look|17 0 0 0\n", KA_LOOK, KEY_L, 0, 0, 0},
      {"Looking|17 0 0 0\n", KA_LOOK, KEY_L, 0, 0, 0},
      {"Look 17 0 0 0\n", KA_LOOK, KEY_L, 0, 0, 0},
      // Missing numbers read as 0.
      {"Look|17\n", KA_LOOK, KEY_Q, 0, 0, 0},
      {"Look|17 1\n", KA_LOOK, KEY_Q, 1, 0, 0},
      {"Look|\n", KA_LOOK, 0, 0, 0, 0},
      // A scancode the keyboard state cannot hold is unbound.
      {"Look|127 0 0 0\n", KA_LOOK, 0, 0, 0, 0},
      {"Look|126 0 0 0\n", KA_LOOK, 126, 0, 0, 0},
      {"Look|-5 0 0 0\n", KA_LOOK, 0, 0, 0, 0},
      {"Look|99999999999999999999 0 0 0\n", KA_LOOK, 0, 0, 0, 0},
      {"Look|4294967297 0 0 0\n", KA_LOOK, 0, 0, 0, 0},
      // A later line wins; Windows line ends read too.
      {"Look|17 0 0 0\nLook|10 0 1 0\n", KA_LOOK, KEY_J, 0, 1, 0},
      // Read keeps its default R, so Look cannot have it.
      {"Look|18 0 0 0\n", KA_LOOK, 0, 0, 0, 0},
      {"North|17 0 0 0\r\n", KA_NORTH, KEY_Q, 0, 0, 0},
      // The last line without a line end still counts.
      {"Map|17 0 0 1", KA_MAP, KEY_Q, 0, 0, 1},
      // Names with blanks and signs.
      {"Exit mount / ship|17 0 0 0\n", KA_EXIT_MOUNT, KEY_Q, 0, 0, 0},
      {"Search & open|17 0 0 0\n", KA_SEARCH, KEY_Q, 0, 0, 0},
  };
  for (const auto& c : cases) {
    load(c.text);
    const KeymapEntry& e = km.entry(c.action);
    EXPECT_EQ(static_cast<int>(e.scancode), c.key) << c.text;
    EXPECT_EQ(e.shift, c.shift) << c.text;
    EXPECT_EQ(e.ctrl, c.ctrl) << c.text;
    EXPECT_EQ(e.alt, c.alt) << c.text;
  }
}

TEST_F(KeymapTest, DuplicatesLeaveTheLaterActionTheKey) {
  // North and East both on Q, Drop on the default key of Use.
  load("North|17 0 0 0\nEast|17 1 0 0\nDrop|21 0 0 0\n");
  EXPECT_EQ(km.get_key(KA_NORTH), 0);
  EXPECT_EQ(km.entry(KA_NORTH).shift, 0);
  EXPECT_EQ(km.get_key(KA_EAST), KEY_Q);
  EXPECT_EQ(km.get_key(KA_DROP), 0);
  EXPECT_EQ(km.get_key(KA_USE), KEY_U);
  EXPECT_EQ(km.find_action(KEY_Q), KA_EAST);
}

TEST_F(KeymapTest, SaveWritesEveryActionAndReadsBack) {
  km.load();
  km.set(KA_GET, KEY_K, 1, 1, 1);
  km.set_key(KA_GET, KEY_J);  // clears the flags
  km.set(KA_LOOK, KEY_K, 1, 1, 1);
  km.unbind_key(KEY_K);
  km.set_key(KEYMAP_NUM_ACTIONS, KEY_Q);  // no such action
  km.set(KA_CAST, KEY_Q, 1, 0, 1);
  std::string text = TempDir::read(KEYMAP_FILE);
  EXPECT_NE(text.find("North|0 0 0 0\n"), std::string::npos);
  EXPECT_NE(text.find("Cast|17 1 0 1\n"), std::string::npos);
  EXPECT_NE(text.find("Get|10 0 0 0\n"), std::string::npos);
  EXPECT_NE(text.find("Look|0 0 0 0\n"), std::string::npos);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), KEYMAP_NUM_ACTIONS);
  Keymap other;
  other.load();
  for (int a = 0; a < KEYMAP_NUM_ACTIONS; ++a) {
    EXPECT_EQ(other.get_key(a), km.get_key(a)) << a;
    EXPECT_EQ(other.get_binding_text(a, true), km.get_binding_text(a, true)) << a;
  }
}

TEST_F(KeymapTest, BindingText) {
  load("Cast|3 1 1 1\nLook|17 0 1 0\n");
  EXPECT_EQ(km.get_binding_text(KA_CAST, true), "Cast: CTRL ALT C");
  EXPECT_EQ(km.get_binding_text(KA_CAST, false), "CTRL ALT C");
  EXPECT_EQ(km.get_binding_text(KA_LOOK, false), "CTRL Q");
  EXPECT_EQ(km.get_binding_text(KA_SWITCH_TARGET, true), "Switch target: TAB");
  EXPECT_EQ(km.get_binding_text(KA_NORTH, true), "North: ");
  EXPECT_EQ(km.get_binding_text(KEYMAP_NUM_ACTIONS, true), "");
  EXPECT_EQ(km.get_binding_text(-1, true), "");
  EXPECT_FALSE(km.is_key(KEYMAP_NUM_ACTIONS, 0));
  EXPECT_FALSE(km.is_key(-1, 0));
  EXPECT_TRUE(km.is_key(KA_CAST, KEY_C));
}

TEST(KeymapReserved, Keys) {
  const struct {
    int key;
    bool reserved;
  } cases[] = {{KEY_0_PAD, true},  {KEY_9_PAD, true},    {KEY_SLASH_PAD, false},
               {KEY_ASTERISK, false}, {KEY_MINUS_PAD, false}, {KEY_PLUS_PAD, false},
               {KEY_F8, false},    {KEY_F9, true},       {KEY_F12, true},
               {KEY_ESC, true},    {KEY_TILDE, false},   {KEY_BACKSPACE, true},
               {KEY_TAB, false},   {KEY_ENTER, true},    {KEY_SPACE, true},
               {KEY_INSERT, true}, {KEY_DOWN, true},     {KEY_DEL_PAD, true},
               {KEY_ENTER_PAD, true}, {KEY_PRTSCR, true}, {KEY_PAUSE, false},
               {KEY_A, false},     {KEY_0, false}};
  for (const auto& c : cases) EXPECT_EQ(Keymap::is_reserved_key(c.key), c.reserved) << c.key;
}

TEST(KeymapModifiers, KeyStateOrShiftFlags) {
  const struct {
    int held;        // a key held in the key array, 0 none
    int shifts;      // the library's shift flags
    bool old_funcs;  // read the shift flags instead of the key array
    bool shift, ctrl, alt;
  } cases[] = {
      {0, 0, false, false, false, false},
      {KEY_LSHIFT, 0, false, true, false, false},
      {KEY_RCONTROL, 0, false, false, true, false},
      {KEY_ALTGR, 0, false, false, false, true},
      {0, KB_SHIFT_FLAG | KB_ALT_FLAG, false, false, false, false},
      {0, KB_SHIFT_FLAG | KB_ALT_FLAG, true, true, false, true},
      {0, KB_CTRL_FLAG, true, false, true, false},
  };
  for (const auto& c : cases) {
    old_shift_func = old_ctrl_func = old_alt_func = c.old_funcs;
    if (c.held) key[c.held] = 1;
    key_shifts = c.shifts;
    EXPECT_EQ(is_shift_down(), c.shift) << c.held << " " << c.shifts;
    EXPECT_EQ(is_ctrl_down(), c.ctrl) << c.held << " " << c.shifts;
    EXPECT_EQ(is_alt_down(), c.alt) << c.held << " " << c.shifts;
    if (c.held) key[c.held] = 0;
  }
  key_shifts = 0;
  old_shift_func = old_ctrl_func = old_alt_func = false;
}

}  // namespace
