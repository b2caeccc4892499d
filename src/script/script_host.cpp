#include "script/script_host.h"

#include <dirent.h>

#include <cstdio>

#include "core/item.h"
#include "core/log.h"
#include "core/tiles.h"
#include "core/utils.h"
#include "lualib.h"
#include "tolua++.h"
#include "script/script_api.h"

std::string script_func_name;

namespace {

// The error value at the top of the stack as text; values that are neither
// strings nor numbers have none.
std::string error_text(lua_State* L) {
  const char* msg = lua_tostring(L, -1);
  return msg ? msg : SCRIPT_NO_MESSAGE;
}

// Stores the hook's name and pushes the global of that name.
void push_hook(const char* name) {
  script_func_name = name;
  lua_getfield(script_state, LUA_GLOBALSINDEX, name);
}

// A part of a server message, "" when the message is too short for it.
std::string message_part(const std::string& message, size_t pos, size_t len) {
  return pos < message.size() ? message.substr(pos, len) : std::string();
}

}  // namespace

void init_scripts() {
  lua_State* L = script_state;
  if (!L) return;
  lua_pushcclosure(L, script_alert, 0);
  lua_setfield(L, LUA_GLOBALSINDEX, "_ALERT");
  luaL_openlibs(L);
  script_api::open(L);
  // A plain global for scripts; package.path was fixed by luaL_openlibs.
  lua_pushstring(L, "LUA_PATH");
  lua_pushstring(L, SCRIPT_LUA_PATH);
  lua_settable(L, LUA_GLOBALSINDEX);
  load_scripts();
}

int load_scripts() {
  lua_State* L = script_state;
  if (!L) return 0;
  DIR* dir = opendir(SCRIPT_DIR);
  if (!dir) return 0;
  int failed = 0;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (name.find(SCRIPT_NAME_FILTER) == std::string::npos) continue;
    std::string path = std::string(SCRIPT_DIR) + "/" + name;
    // Binary chunks of stock Lua compilers are refused by the interpreter
    // itself ("bad header"): their instruction numbers differ from ours.
    int status = luaL_loadfile(L, path.c_str());
    if (status == 0) status = lua_pcall(L, 0, 0, 0);
    if (status != 0) {
      fprintf(stderr, "status=%d, %s\n", 1, error_text(L).c_str());
      lua_pop(L, 1);
      ++failed;
    }
  }
  closedir(dir);
  return failed;
}

std::string script_reload_message(int failed) {
  if (failed == 0) return "Scripts reloaded.";
  return std::to_string(failed) + " scripts failed to load!";
}

int run_script(int nargs, int nresults, bool quiet) {
  lua_State* L = script_state;
  if (!L) return 1;
  FunctionTrace trace("run_script");
  if (lua_pcall(L, nargs, nresults, 0) == 0) return 0;
  std::string msg = error_text(L);
  if (!(quiet && msg == "attempt to call a nil value"))
    writelog("lua script crashed [%s][func=%s]", msg.c_str(), script_func_name.c_str());
  lua_pop(L, 1);
  return 1;
}

void call_auxbox() {
  if (!script_state) return;
  push_hook("auxbox");
  run_script(0, 0, true);
}

void call_auxbox_keypressed(int key, int ascii, int scancode) {
  if (!script_state) return;
  push_hook("auxbox_keypressed");
  lua_pushnumber(script_state, key);
  lua_pushnumber(script_state, ascii);
  lua_pushnumber(script_state, scancode);
  run_script(3, 0, true);
}

void call_auxbox_server_message(const std::string& kind, const std::string& channel,
                                const std::string& text) {
  if (!script_state) return;
  push_hook("auxbox_server_message");
  lua_pushlstring(script_state, kind.data(), kind.size());
  lua_pushlstring(script_state, channel.data(), channel.size());
  lua_pushlstring(script_state, text.data(), text.size());
  run_script(3, 0, true);
}

void call_auxbox_server_message(const std::string& message) {
  call_auxbox_server_message(message_part(message, 0, 1), message_part(message, 1, 1),
                             message_part(message, 2, std::string::npos));
}

ScriptKeyArgs script_key_args(int key) {
  int low = key & 0xff;
  return {key, low >= 128 ? low - 256 : low, key >> 8};
}

int script_alert(lua_State* L) {
  // Called with no argument there is nothing to report or to pop.
  if (lua_gettop(L) == 0) {
    writelog("lua error: %s", SCRIPT_NO_MESSAGE);
    return 0;
  }
  writelog("lua error: %s", error_text(L).c_str());
  lua_pop(L, 1);
  return 0;
}

void get_script_function(const char* name) {
  if (!script_state) return;
  push_hook(name);
}

int pop_script_int() {
  if (!script_state || lua_gettop(script_state) == 0) return 0;
  int v = bounded_int<int>(lua_tonumber(script_state, -1));
  lua_pop(script_state, 1);
  return v;
}

int64_t pop_script_int64() {
  if (!script_state || lua_gettop(script_state) == 0) return 0;
  int64_t v = bounded_int<int64_t>(lua_tonumber(script_state, -1));
  lua_pop(script_state, 1);
  return v;
}

std::string pop_script_string() {
  if (!script_state || lua_gettop(script_state) == 0) return std::string();
  size_t len = 0;
  const char* s = lua_tolstring(script_state, -1, &len);
  std::string v = s ? std::string(s, len) : std::string();
  lua_pop(script_state, 1);
  return v;
}


lua_State* script_state = nullptr;
