// The script host: which files load, hooks and their arguments, failures and
// their reports, reloads and _ALERT. Each test works in a fresh directory.

#include "script/script_host.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/globals.h"
#include "lauxlib.h"
#include "lua.h"
#include "support/temp_dir.h"

namespace {

class ScriptHost : public ::testing::Test {
 protected:
  void SetUp() override {
    script_state = luaL_newstate();
    ASSERT_NE(script_state, nullptr);
    script_func_name.clear();
  }
  void TearDown() override {
    lua_close(script_state);
    script_state = nullptr;
  }

  // Runs init_scripts and returns what it wrote to standard error.
  static std::string init_capturing_stderr() {
    ::testing::internal::CaptureStderr();
    init_scripts();
    return ::testing::internal::GetCapturedStderr();
  }
  static std::string log_text() { return TempDir::read("cl_log.txt"); }
  // A script global as text ("nil" when unset).
  static std::string global(const char* name) {
    lua_getfield(script_state, LUA_GLOBALSINDEX, name);
    std::string v;
    if (lua_isnil(script_state, -1))
      v = "nil";
    else if (lua_isboolean(script_state, -1))
      v = lua_toboolean(script_state, -1) ? "true" : "false";
    else
      v = lua_tostring(script_state, -1) ? lua_tostring(script_state, -1) : "?";
    lua_pop(script_state, 1);
    return v;
  }
  static void lua(const char* code) {
    ASSERT_EQ(luaL_dostring(script_state, code), 0) << lua_tostring(script_state, -1);
  }

  TempDir dir;
};

TEST_F(ScriptHost, LoadsNamesContainingDotLuaOnly) {
  const struct {
    const char* file;
    const char* flag;
    bool loaded;
  } cases[] = {
      {"main.lua", "f_main", true},        {"notes.lua.txt", "f_notes", true},
      {"a.lua.bak", "f_bak", true},        {"readme.txt", "f_readme", false},
      {"X.LUA", "f_upper", false},         {"lua", "f_bare", false},
      {"xlua", "f_xlua", false},
  };
  for (const auto& c : cases)
    TempDir::write(std::string("clientscripts/") + c.file, std::string(c.flag) + " = true\n");
  std::string err = init_capturing_stderr();
  EXPECT_EQ(err, "");
  for (const auto& c : cases) EXPECT_EQ(global(c.flag), c.loaded ? "true" : "nil") << c.file;
}

TEST_F(ScriptHost, LaterFileInDirectoryOrderWins) {
  const char* names[] = {"one.lua", "two.lua", "three.lua", "four.lua"};
  for (const char* n : names)
    TempDir::write(std::string("clientscripts/") + n, std::string("winner = '") + n + "'\n");
  // The order the directory yields, which the host must keep (no sorting).
  std::string last;
  for (const auto& e : std::filesystem::directory_iterator("clientscripts"))
    last = e.path().filename().string();
  init_capturing_stderr();
  EXPECT_EQ(global("winner"), last);
}

TEST_F(ScriptHost, SetsUpLibrariesPathAndAlert) {
  init_capturing_stderr();
  EXPECT_EQ(global("LUA_PATH"), "clientscripts/?.lua");
  lua("libs = type(string.format) .. type(io.open) .. type(os.time) .. type(debug.traceback) "
      ".. type(math.floor) .. type(table.insert) .. type(require) .. type(_ALERT)");
  EXPECT_EQ(global("libs"), "functionfunctionfunctionfunctionfunctionfunctionfunctionfunction");
  EXPECT_EQ(lua_gettop(script_state), 0);
}

TEST_F(ScriptHost, MissingDirectoryLoadsNothing) {
  EXPECT_EQ(load_scripts(), 0);
  init_capturing_stderr();
  EXPECT_EQ(lua_gettop(script_state), 0);
}

TEST_F(ScriptHost, FailingFilesAreCountedAndReported) {
  init_capturing_stderr();  // libraries, no scripts yet
  TempDir::write("clientscripts/good.lua", "good = true\n");
  TempDir::write("clientscripts/syntax.lua", "x = = 1\n");
  TempDir::write("clientscripts/raises.lua", "error('broken at load')\n");
  TempDir::write("clientscripts/table.lua", "error({})\n");
  ::testing::internal::CaptureStderr();
  int failed = load_scripts();
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(failed, 3);
  EXPECT_EQ(global("good"), "true");
  EXPECT_NE(err.find("status=1, clientscripts/syntax.lua:1: unexpected symbol near '='\n"),
            std::string::npos) << err;
  EXPECT_NE(err.find("status=1, clientscripts/raises.lua:1: broken at load\n"), std::string::npos);
  EXPECT_NE(err.find("status=1, (error with no message)\n"), std::string::npos);
  EXPECT_EQ(lua_gettop(script_state), 0);
}

TEST_F(ScriptHost, StockCompiledChunkIsRefused) {
  init_capturing_stderr();
  // Our own compiled chunk with the header byte that stock compilers write.
  lua("chunk = string.dump(loadstring('stock_ran = true'))");
  lua_getfield(script_state, LUA_GLOBALSINDEX, "chunk");
  size_t len = 0;
  const char* p = lua_tolstring(script_state, -1, &len);
  std::string chunk(p, len);
  lua_pop(script_state, 1);
  std::string stock = chunk;
  stock[5] = 0;
  TempDir::write("clientscripts/stock.lua", stock);
  TempDir::write("clientscripts/own.luac.lua", chunk);
  lua("stock_ran = nil");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(load_scripts(), 1);
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("bad header in precompiled chunk"), std::string::npos) << err;
  EXPECT_EQ(global("stock_ran"), "true");  // from our own chunk
}

TEST_F(ScriptHost, MissingHooksLogNothing) {
  init_capturing_stderr();
  for (int i = 0; i < 3; ++i) {
    call_auxbox();
    call_auxbox_keypressed(353, 97, 1);
    call_auxbox_server_message("M", "c", "hello");
  }
  EXPECT_EQ(log_text(), "");
  EXPECT_EQ(lua_gettop(script_state), 0);
}

TEST_F(ScriptHost, KeyHookNumbers) {
  const struct {
    int key;
    int ascii;
    int scancode;
  } cases[] = {
      {353, 97, 1},     // A key (scan code 1), character 'a'
      {456, -56, 1},    // character code 200 reads as signed 8 bits
      {0x7f7f, 127, 127},
      {0x5480, -128, 84},
      {0x3b00, 0, 59},  // a function key: no character
  };
  TempDir::write("clientscripts/keys.lua",
                 "function auxbox_keypressed(k, a, s) got = k .. ',' .. a .. ',' .. s end\n");
  init_capturing_stderr();
  for (const auto& c : cases) {
    ScriptKeyArgs args = script_key_args(c.key);
    EXPECT_EQ(args.key, c.key);
    EXPECT_EQ(args.ascii, c.ascii) << c.key;
    EXPECT_EQ(args.scancode, c.scancode) << c.key;
    call_auxbox_keypressed(args.key, args.ascii, args.scancode);
    EXPECT_EQ(global("got"), std::to_string(c.key) + "," + std::to_string(c.ascii) + "," +
                                 std::to_string(c.scancode));
  }
  EXPECT_EQ(script_func_name, "auxbox_keypressed");
}

TEST_F(ScriptHost, ServerMessageParts) {
  TempDir::write("clientscripts/msg.lua",
                 "function auxbox_server_message(k, c, t)\n"
                 "  got = '[' .. k .. '][' .. c .. '][' .. t .. ']'\n"
                 "end\n");
  init_capturing_stderr();
  const struct {
    const char* message;
    const char* parts;
  } cases[] = {
      {"Mchello there", "[M][c][hello there]"},
      {"Mc", "[M][c][]"},
      {"M", "[M][][]"},  // too short: no channel and no text, nothing read past the end
      {"", "[][][]"},
      {"O %d%s", "[O][ ][%d%s]"},
  };
  for (const auto& c : cases) {
    call_auxbox_server_message(std::string(c.message));
    EXPECT_EQ(global("got"), c.parts) << c.message;
  }
  call_auxbox_server_message("M", "c", "");
  EXPECT_EQ(global("got"), "[M][c][]");
  EXPECT_EQ(log_text(), "");
}

TEST_F(ScriptHost, FailingHookLogsEachCall) {
  TempDir::write("clientscripts/bad.lua",
                 "calls = 0\n"
                 "function auxbox() calls = calls + 1 error('tick failed', 0) end\n"
                 "function auxbox_server_message() error({}) end\n");
  init_capturing_stderr();
  call_auxbox();
  call_auxbox();
  call_auxbox_server_message("Mc");
  EXPECT_EQ(global("calls"), "2");  // called again at its next occasion
  std::string log = log_text();
  const std::string tick = "lua script crashed [tick failed][func=auxbox]\n";
  size_t first = log.find(tick);
  ASSERT_NE(first, std::string::npos) << log;
  EXPECT_NE(log.find(tick, first + 1), std::string::npos);
  EXPECT_NE(log.find("lua script crashed [(error with no message)][func=auxbox_server_message]\n"),
            std::string::npos) << log;
  EXPECT_EQ(lua_gettop(script_state), 0);
}

TEST_F(ScriptHost, RunScriptQuietOnlyForMissingFunction) {
  init_capturing_stderr();
  lua_pushnil(script_state);
  EXPECT_EQ(run_script(0, 0, true), 1);
  EXPECT_EQ(log_text(), "");
  script_func_name = "nothing_here";
  lua_pushnil(script_state);
  EXPECT_EQ(run_script(0, 0, false), 1);
  EXPECT_NE(log_text().find("lua script crashed [attempt to call a nil value][func=nothing_here]"),
            std::string::npos);
  // A result asked for stays on the stack.
  lua("function twice(n) return n * 2 end");
  get_script_function("twice");
  lua_pushnumber(script_state, 21);
  ASSERT_EQ(run_script(1, 1, true), 0);
  EXPECT_EQ(pop_script_int(), 42);
  EXPECT_EQ(script_func_name, "twice");
  EXPECT_EQ(lua_gettop(script_state), 0);
}

TEST_F(ScriptHost, ReloadKeepsGlobalsAndCountsFailures) {
  TempDir::write("clientscripts/count.lua",
                 "loads = (loads or 0) + 1\n"
                 "function version() return 1 end\n");
  init_capturing_stderr();
  EXPECT_EQ(script_reload_message(load_scripts()), "Scripts reloaded.");
  EXPECT_EQ(global("loads"), "2");
  TempDir::write("clientscripts/count.lua", "loads = loads + 1\nfunction version() return 2 end\n");
  TempDir::write("clientscripts/broken.lua", "function (\n");
  ::testing::internal::CaptureStderr();
  int failed = load_scripts();
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(failed, 1);
  EXPECT_EQ(script_reload_message(failed), "1 scripts failed to load!");
  EXPECT_EQ(script_reload_message(3), "3 scripts failed to load!");
  EXPECT_EQ(global("loads"), "3");
  lua("v = version()");
  EXPECT_EQ(global("v"), "2");
}

TEST_F(ScriptHost, AlertWritesTheLog) {
  init_capturing_stderr();
  lua("_ALERT('x')");
  lua("_ALERT('first', 'last')");
  lua("_ALERT('%s%n')");
  lua("_ALERT()");
  std::string log = log_text();
  EXPECT_NE(log.find("lua error: x\n"), std::string::npos) << log;
  EXPECT_NE(log.find("lua error: last\n"), std::string::npos);
  EXPECT_NE(log.find("lua error: %s%n\n"), std::string::npos);
  EXPECT_NE(log.find("lua error: (error with no message)\n"), std::string::npos);
  EXPECT_EQ(lua_gettop(script_state), 0);
}

TEST_F(ScriptHost, PopHelpersTruncateAndBound) {
  const struct {
    const char* value;
    int as_int;
    int64_t as_int64;
  } cases[] = {
      {"7.9", 7, 7},
      {"-7.9", -7, -7},
      {"2^31", INT32_MAX, 2147483648LL},
      {"2^40 + 5", INT32_MAX, 1099511627781LL},
      {"-2^40", INT32_MIN, -1099511627776LL},
      {"2^63", INT32_MAX, INT64_MAX},
      {"0/0", 0, 0},
      {"'12'", 12, 12},
      {"{}", 0, 0},
  };
  for (const auto& c : cases) {
    std::string code = std::string("return ") + c.value;
    ASSERT_EQ(luaL_dostring(script_state, code.c_str()), 0);
    lua_pushvalue(script_state, -1);
    EXPECT_EQ(pop_script_int(), c.as_int) << c.value;
    EXPECT_EQ(pop_script_int64(), c.as_int64) << c.value;
  }
  lua_pushstring(script_state, "abc");
  EXPECT_EQ(pop_script_string(), "abc");
  EXPECT_EQ(pop_script_string(), "");  // empty stack
  EXPECT_EQ(lua_gettop(script_state), 0);
}

TEST_F(ScriptHost, NothingHappensWithoutAState) {
  lua_close(script_state);
  script_state = nullptr;
  TempDir::write("clientscripts/a.lua", "x = 1\n");
  init_scripts();
  EXPECT_EQ(load_scripts(), 0);
  call_auxbox();
  call_auxbox_keypressed(1, 1, 0);
  call_auxbox_server_message("Mc");
  EXPECT_EQ(run_script(0, 0, true), 1);
  script_state = luaL_newstate();  // for TearDown
}

TEST_F(ScriptHost, ScriptLoopsOverEveryOption) {
  // No option keys stored: the inverted options are on; numbers outside the
  // table answer false like an option that is off.
  client_cfg = ConfigFile("client.cfg");
  TempDir::write("clientscripts/options.lua",
                 "function auxbox()\n"
                 "  answers = ''\n"
                 "  for i = -1, OPT_MAX_OPTS do\n"
                 "    local on = options:get(i)\n"
                 "    answers = answers .. (type(on) ~= 'boolean' and '?' or on and '1' or '0')\n"
                 "  end\n"
                 "end\n");
  init_capturing_stderr();
  call_auxbox();
  EXPECT_EQ(global("answers"), "0" "101000110100111001100101010000000" "0");
  EXPECT_EQ(log_text(), "");
}

TEST_F(ScriptHost, ExampleScriptsRun) {
  TempDir::copy_gamedata("clientscripts");
  std::string err = init_capturing_stderr();
  EXPECT_EQ(err, "");
  for (int i = 0; i < 25; ++i) call_auxbox();
  call_auxbox_keypressed(456, -56, 1);
  call_auxbox_server_message("Mchello");
  call_auxbox_server_message("Mw");
  call_auxbox_server_message("O");
  lua("r = example.seconds .. ' ' .. example.key .. ' ' .. example.char .. ' ' .. "
      "example_channels() .. ' ' .. tostring(example_heard('w')) .. tostring(example_heard('x'))");
  EXPECT_EQ(global("r"), "2 1 -56 cw truefalse");
  EXPECT_EQ(log_text(), "");
  EXPECT_EQ(lua_gettop(script_state), 0);
}

}  // namespace
