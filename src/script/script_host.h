#pragma once
// The script host: runs the client scripts in clientscripts/ in the program's
// one Lua state (`script_state`, created by cmain) and calls their hooks on
// the periodic tick, on keys and on server messages. A missing hook or a
// failing script never stops the client; failures go to stderr or the log.

#include <cstdint>
#include <string>

struct lua_State;
class Item;

// The program's one Lua state: made by cmain with luaL_newstate, closed with
// lua_close when the program quits; not built statically.
extern lua_State* script_state;

// The name of the script function that the host called last; the crash log
// line quotes it.
extern std::string script_func_name;

constexpr const char* SCRIPT_DIR = "clientscripts";
constexpr const char* SCRIPT_NAME_FILTER = ".lua";
constexpr const char* SCRIPT_LUA_PATH = "clientscripts/?.lua";
constexpr const char* SCRIPT_NO_MESSAGE = "(error with no message)";

// Sets up the state that cmain has just created (error handler, standard
// libraries, script API, LUA_PATH) and runs every script. Called once.
void init_scripts();

// Loads and runs every file of clientscripts/ whose name contains ".lua";
// returns the number of files that failed (0 when the folder cannot be
// opened). Also run again by the reload key.
int load_scripts();

// The reload key's message box text for the count load_scripts returned.
std::string script_reload_message(int failed);

// Calls the function lying below its nargs arguments on the stack in
// protected mode. 0 on success; 1 on failure, after logging the error unless
// quiet is set and the function did not exist.
int run_script(int nargs, int nresults, bool quiet);

// The hooks. Each does nothing visible when the script does not define it.
void call_auxbox();
void call_auxbox_keypressed(int key, int ascii, int scancode);
void call_auxbox_server_message(const std::string& kind, const std::string& channel,
                                const std::string& text);
// The same for a whole server message: letter, channel letter and the text
// from the third character; a message too short for a part gives "" there.
void call_auxbox_server_message(const std::string& message);

// The numbers the key hook gets for one value of the keyboard queue (scan
// code times 256 plus the character code).
struct ScriptKeyArgs {
  int key;
  int ascii;     // the low byte read as signed 8 bits (-128 to 127)
  int scancode;  // key shifted right by 8 bits
};
ScriptKeyArgs script_key_args(int key);

// `_ALERT` for scripts: logs "lua error: %s" with its last argument.
int script_alert(lua_State* L);

// Helpers for reading script results: store the name and push the global of
// that name; pop the top of the stack as a number truncated to int or to 64
// bits (out of range gives the nearer end of the range, NaN gives 0), or as
// a text.
void get_script_function(const char* name);
int pop_script_int();
int64_t pop_script_int64();
std::string pop_script_string();
