// The example client scripts of the sample game directory, loaded by the
// script host and driven through its three hooks as the client would.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/client_app.h"
#include "app/globals.h"
#include "core/utils.h"
#include "lauxlib.h"
#include "lua.h"
#include "script/script_host.h"
#include "support/sim_keys.h"
#include "support/temp_dir.h"

namespace {

class ClientScripts : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::make_unique<TempDir>();
    TempDir::copy_gamedata("dat");
    TempDir::copy_gamedata("clientscripts");
    common_cfg = ConfigFile("dat/common.cfg");
    common_cfg.load();
    sc.load();
    me.reset();
    items.clear();
    gc_interface_mode = MODE_NORMAL;
    world_time = 545;
    use_simulated_keys();
    script_state = luaL_newstate();
    ::testing::internal::CaptureStderr();
    init_scripts();
    load_errors_ = ::testing::internal::GetCapturedStderr();
  }
  void TearDown() override {
    lua_close(script_state);
    script_state = nullptr;
    me.reset();
    dir_.reset();
  }

  static std::string eval(const std::string& expr) {
    lua_State* L = script_state;
    if (luaL_dostring(L, ("return " + expr).c_str()) != 0) {
      std::string e = lua_tostring(L, -1);
      lua_pop(L, 1);
      return "error: " + e;
    }
    std::string v = lua_isboolean(L, -1) ? (lua_toboolean(L, -1) ? "true" : "false")
                                          : (lua_tostring(L, -1) ? lua_tostring(L, -1) : "nil");
    lua_pop(L, 1);
    return v;
  }
  static void log_in_as_tam() {
    me.name = "Tam";
    me.lvl = 7;
    me.hp = 31;
    me.net_hp_max = 40;
    me.cls = static_cast<int16_t>(sc.get_class_nr("Mage"));
    me.mana = 5;
    me.net_mana_max = 12;
    me.health[HN_POISONED] = 2;
    me.health[HN_SLOWED] = 1;
  }
  // A key read by the key step of a frame pass, which hands it to the scripts.
  static void key(int code) {
    press_key(code);
    app.do_hotbar_input();
  }

  std::unique_ptr<TempDir> dir_;
  std::string load_errors_;
};

constexpr int BACKQUOTE_KEY = (47 << 8) | '`';

TEST_F(ClientScripts, LoadWithoutErrors) {
  EXPECT_EQ(load_errors_, "");
  EXPECT_EQ(load_scripts(), 0);
  EXPECT_EQ(eval("type(auxbox) .. type(auxbox_keypressed) .. type(auxbox_server_message)"),
            "functionfunctionfunction");
}

TEST_F(ClientScripts, VitalsBoxLines) {
  log_in_as_tam();
  call_auxbox();
  EXPECT_EQ(eval("table.concat(vitals.lines, '|')"),
            "Tam, level 7|Health 31/40|Mana 5/12|Status: poisoned, slowed|Load 0.0|Time 09:05");
  me.health[HN_POISONED] = 0;
  me.health[HN_SLOWED] = 0;
  world_time = 1439;
  call_auxbox();
  EXPECT_EQ(eval("vitals.lines[4] .. '|' .. vitals.lines[6]"), "Status: fine|Time 23:59");
}

// The vitals reach the display's aux box through `d`, as many lines as the
// screen has room for.
TEST_F(ClientScripts, VitalsFillTheAuxBox) {
  const int saved_y = res_y;
  log_in_as_tam();
  const struct {
    int screen_h;
    bool hidden;
    std::vector<std::string> lines;
  } cases[] = {
      {600, false, {"Tam, level 7", "Health 31/40", "Mana 5/12", "Status: poisoned, slowed", "Load 0.0",
                    "Time 09:05", "", "", "", "", "", "", "", ""}},
      {480, false, {"Tam, level 7", "Health 31/40"}},
      {600, true, std::vector<std::string>(14)},
  };
  for (const auto& c : cases) {
    res_y = c.screen_h;
    d.auxbox_lines.assign(static_cast<size_t>(d.auxbox_get_height()), "old");
    luaL_dostring(script_state, c.hidden ? "vitals.hidden = true" : "vitals.hidden = false");
    call_auxbox();
    EXPECT_EQ(d.auxbox_lines, c.lines) << c.screen_h << " " << c.hidden;
  }
  res_y = saved_y;
  d.auxbox_lines.clear();
}

// Keys read by the key step reach the scripts: the character code as signed
// 8 bits, and the backquote toggles the vitals box in normal play only.
TEST_F(ClientScripts, KeysReachTheScriptsAndBackquoteTogglesTheBox) {
  const struct {
    uint32_t mode;
    int key;
    const char* hidden;
    const char* char_seen;
  } steps[] = {
      {MODE_NORMAL, BACKQUOTE_KEY, "true", "96"},
      {MODE_NORMAL, (30 << 8) | 'a', "true", "97"},
      {MODE_CHAT, BACKQUOTE_KEY, "true", "96"},  // typing a chat line
      {MODE_NORMAL, BACKQUOTE_KEY, "false", "96"},
      {MODE_NORMAL, (25 << 8) | 0xff, "false", "-1"},
      {MODE_NORMAL, (25 << 8) | 0x80, "false", "-128"},
  };
  for (const auto& s : steps) {
    gc_interface_mode = s.mode;
    key(s.key);
    EXPECT_EQ(eval("vitals.hidden"), s.hidden) << s.mode << " " << s.key;
    EXPECT_EQ(eval("example.char"), s.char_seen) << s.key;
  }
  EXPECT_EQ(eval("keys.pressed"), "6");
}

TEST_F(ClientScripts, MentionsCountChatLinesNamingThePlayer) {
  log_in_as_tam();
  const struct {
    const char* message;
    const char* count;
  } steps[] = {
      {"Mc Rook: morning, TAM!", "1"},
      {"Mc Rook: morning all", "1"},
      {"Ms Tam enters the valley", "1"},  // not a chat line
      {"Oc Tam hits the rat", "1"},
      {"Mc", "1"},
      // The server's echo of what the player said, in each form of chat.
      {"Mc Tam: anyone seen Ada?", "1"},
      {"Mc [Global] Tam: hello, all", "1"},
      {"Mc * Tam waves", "1"},
      {"Mc Ada: tam, over here", "2"},
  };
  for (const auto& s : steps) {
    call_auxbox_server_message(std::string(s.message));
    EXPECT_EQ(eval("mentions.count"), s.count) << s.message;
  }
  EXPECT_EQ(eval("mentions.last"), "Ada: tam, over here");
  call_auxbox();
  EXPECT_EQ(eval("vitals.lines[7]"), "Mentioned 2 times");
  // A reload replaces the handlers instead of adding them twice.
  EXPECT_EQ(load_scripts(), 0);
  call_auxbox_server_message(std::string("Mc tam?"));
  EXPECT_EQ(eval("mentions.count"), "3");
}

TEST_F(ClientScripts, FailingHandlerIsReportedAndOthersRun) {
  TempDir::write("clientscripts/broken.lua",
                 "if not add_hook then dofile('clientscripts/hooks.lua') end\n"
                 "add_hook('auxbox', 'broken', function() error('boom') end)\n");
  EXPECT_EQ(load_scripts(), 0);
  log_in_as_tam();
  call_auxbox();
  EXPECT_EQ(eval("vitals.lines[1]"), "Tam, level 7");
  std::string log = TempDir::read("cl_log.txt");
  EXPECT_NE(log.find("lua error: broken: clientscripts/broken.lua:2: boom"), std::string::npos) << log;
  EXPECT_EQ(log.find("lua script crashed"), std::string::npos) << log;
}

}  // namespace
