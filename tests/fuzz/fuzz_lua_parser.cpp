// The client's Lua compiler (lexer, parser, code generator and constant
// folder with the operator extension) on arbitrary text. The chunk is only
// compiled, never run. Binary chunks are left out: Lua 5.1 does not verify
// precompiled code fully, and the client never loads them from the server.

#include <cstddef>
#include <cstdint>

#include "lauxlib.h"
#include "lua.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0 && data[0] == 0x1b) return 0;  // LUA_SIGNATURE[0]
  lua_State* L = luaL_newstate();
  if (!L) return 0;
  luaL_loadbuffer(L, reinterpret_cast<const char*>(data), size, "fuzz");
  lua_close(L);
  return 0;
}
