// The interpreter's operator extension as scripts see it: tokens, results,
// priorities, metamethods, errors, and refusing stock binary chunks.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "lauxlib.h"
#include "lua.h"
#include "lualib.h"

namespace {

class LuaOperators : public ::testing::Test {
 protected:
  void SetUp() override {
    L = luaL_newstate();
    ASSERT_NE(L, nullptr);
    luaL_openlibs(L);
  }
  void TearDown() override { lua_close(L); }

  // Runs a chunk that returns one value; "" on success, else the error.
  std::string run(const std::string& code) {
    lua_settop(L, 0);
    if (luaL_loadstring(L, code.c_str()) != 0 || lua_pcall(L, 0, 1, 0) != 0) {
      std::string err = lua_tostring(L, -1) ? lua_tostring(L, -1) : "?";
      lua_settop(L, 0);
      return err;
    }
    return "";
  }
  // The number a chunk returns (NaN when it fails or returns no number).
  double number(const std::string& code) {
    std::string err = run(code);
    EXPECT_EQ(err, "") << code;
    if (!err.empty() || !lua_isnumber(L, -1)) return std::nan("");
    return lua_tonumber(L, -1);
  }
  std::string text(const std::string& code) {
    std::string err = run(code);
    if (!err.empty()) return "error: " + err;
    const char* s = lua_tostring(L, -1);
    return s ? s : (lua_isboolean(L, -1) ? (lua_toboolean(L, -1) ? "true" : "false") : "nil");
  }
  // The error text of a chunk that must fail to compile.
  std::string syntax_error(const std::string& code) {
    if (luaL_loadstring(L, code.c_str()) == 0) {
      lua_pop(L, 1);
      return "(compiled)";
    }
    std::string err = lua_tostring(L, -1);
    lua_pop(L, 1);
    return err;
  }

  lua_State* L = nullptr;
};

struct BinaryCase {
  const char* a;
  const char* op;
  const char* b;
  double expected;
};

constexpr double INF = std::numeric_limits<double>::infinity();

// Each result is checked folded (both operands constants) and at run time
// (operands in variables), which take different roads through the interpreter.
const BinaryCase BINARY_CASES[] = {
    {"5", "^^", "3", 6},
    {"12", "|", "3", 15},
    {"-1", "&", "255", 255},
    {"0x7fffffff", "|", "0x80000000", -1},  // the second converts to -2^31
    {"0xffffffff", "&", "1", 0},            // out of range: -2^31, low bit clear
    {"5.9", "|", "0", 5},                   // truncation toward zero
    {"-5.9", "|", "0", -5},
    {"2147483648", "|", "0", -2147483648.0},
    {"-2147483648", "|", "0", -2147483648.0},
    {"-2147483648.5", "|", "0", -2147483648.0},
    {"1", "<<", "31", 2147483648.0},
    {"1", "<<", "32", 4294967296.0},
    {"1", "<<", "40", 1099511627776.0},
    {"1", "<<", "64", 1},
    {"-1", "<<", "1", -2},
    {"1", "<<", "-1", -9223372036854775808.0},  // count -1 keeps its low six bits: 63
    {"1", "<<", "2^40", 1},                     // huge count converts to -2^31: 0 bits
    {"3", "<<", "65", 6},
    {"-8", ">>", "1", -4},
    {"-1", ">>", "40", -1},
    {"256", ">>", "4", 16},
    {"0x80000000", ">>", "31", -1},  // -2^31 shifted arithmetically
    {"7", "\\", "2", 3},
    {"-7", "\\", "2", -4},  // the operand is a folded constant here: (-7) \ 2
    {"7.5", "\\", "2", 3},
    {"7", "\\", "-2", -4},
    {"1", "\\", "0", INF},
    {"-1", "\\", "0", -INF},
    {"1e300", "\\", "1e-10", INF},
};

TEST(LuaBuild, IsOurLua515) {
  EXPECT_STREQ(LUA_RELEASE, "Lua 5.1.5");
  // The extension's token is known to the lexer: proof of our patched core.
  lua_State* L = luaL_newstate();
  ASSERT_NE(L, nullptr);
  EXPECT_EQ(luaL_loadstring(L, "return 1 != 2"), 0);
  lua_close(L);
}

TEST_F(LuaOperators, BinaryResultsFoldedAndAtRunTime) {
  for (const BinaryCase& c : BINARY_CASES) {
    std::string folded = std::string("return (") + c.a + ") " + c.op + " (" + c.b + ")";
    std::string run_time =
        std::string("local x, y = ") + c.a + ", " + c.b + " return x " + c.op + " y";
    EXPECT_EQ(number(folded), c.expected) << folded;
    EXPECT_EQ(number(run_time), c.expected) << run_time;
  }
}

TEST_F(LuaOperators, ConstantOperandsAreFolded) {
  // Compiled on one line, a folded expression gives the very same function as
  // its result written out.
  const struct {
    const char* expr;
    const char* value;
  } cases[] = {
      {"5 ^^ 3", "6"},   {"1 << 40", "1099511627776"}, {"-7 \\ 2", "-3"}, {"~0", "-1"},
      {"12 | 3", "15"}, {"0xffffffff & 1", "0"},     {"-8 >> 1", "-4"}, {"7.5 \\ 2", "3"},
  };
  for (const auto& c : cases) {
    std::string code = std::string("return string.dump(function() return ") + c.expr +
                       " end) == string.dump(function() return " + c.value + " end)";
    EXPECT_EQ(text(code), "true") << c.expr;
  }
}

TEST_F(LuaOperators, NumericStringsActAsNumbers) {
  const BinaryCase cases[] = {
      {"\"12\"", "|", "3", 15},     {"\"7\"", "\\", "\"2\"", 3}, {"\" 5 \"", "^^", "\"3\"", 6},
      {"\"0x10\"", ">>", "\"2\"", 4}, {"3", "&", "\"6\"", 2},      {"\"1\"", "<<", "\"40\"", 1099511627776.0},
  };
  for (const BinaryCase& c : cases) {
    std::string expr = std::string("return ") + c.a + " " + c.op + " " + c.b;
    EXPECT_EQ(number(expr), c.expected) << expr;
  }
}

TEST_F(LuaOperators, BitwiseNot) {
  const struct {
    const char* operand;
    double expected;
  } cases[] = {
      {"0", -1}, {"5", -6}, {"-1", 0}, {"2147483647", -2147483648.0}, {"4294967296", 2147483647},
      {"\"1\"", -2}, {"0/0", 2147483647},  // NaN converts to -2^31
  };
  for (const auto& c : cases) {
    std::string folded = std::string("return ~(") + c.operand + ")";
    std::string run_time = std::string("local x = ") + c.operand + " return ~x";
    EXPECT_EQ(number(folded), c.expected) << folded;
    EXPECT_EQ(number(run_time), c.expected) << run_time;
  }
}

TEST_F(LuaOperators, InequalityHasTwoSpellings) {
  EXPECT_EQ(text("return 5 ~= 3"), "true");
  EXPECT_EQ(text("return 5 != 3"), "true");
  EXPECT_EQ(text("return 5 != 5"), "false");
  EXPECT_EQ(text("local a, b = 'x', 'x' return a != b"), "false");
  EXPECT_EQ(text("local n = 0 for i = 1, 3 do if i != 2 then n = n + i end end return n"), "4");
}

TEST_F(LuaOperators, Priorities) {
  const struct {
    const char* folded;
    const char* run_time;
    const char* expected;
  } cases[] = {
      {"return 1 | 2 & 2", "local a, b, c = 1, 2, 2 return a | b & c", "2"},   // (a | b) & c
      {"return 1 + 1 << 2", "local a, b = 1, 1 return a + b << 2", "5"},     // a + (b << 2)
      {"return -7 \\ 2", "local x = 7 return -x \\ 2", "-3"},               // -(x \ 2)
      {"return 2 ^ 3 ^ 2", "local a, b, c = 2, 3, 2 return a ^ b ^ c", "512"},
      {"return -2 ^ 2", "local a = 2 return -a ^ 2", "-4"},
      {"return 1 | 6 ^^ 3", "local a, b, c = 1, 6, 3 return a | b ^^ c", "5"},
      {"return 8 >> 1 + 1", "local a = 8 return a >> 1 + 1", "5"},
      {"return 7 \\ 2 * 2", "local a = 7 return a \\ 2 * 2", "6"},
      {"return 2 \\ 2 \\ 2", "local a = 2 return a \\ a \\ a", "2"},  // right-associative
      {"return 2 .. 1 << 3", "local a = 1 return 2 .. a << 3", "28"},
      {"return 1 << 2 == 4", "local a = 1 return a << 2 == 4", "true"},
      {"return ~1 + 1", "local a = 1 return ~a + 1", "-1"},  // (~1) + 1
      {"return not 1 != nil", "local a = 1 return not a != nil", "true"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(text(c.folded), c.expected) << c.folded;
    EXPECT_EQ(text(c.run_time), c.expected) << c.run_time;
  }
}

TEST_F(LuaOperators, MetamethodsOfEachOperator) {
  ASSERT_EQ(run("mt = {}\n"
                "for _, e in ipairs{'__or', '__and', '__xor', '__shl', '__shr', '__not', "
                "'__intdiv'} do\n"
                "  mt[e] = function(a, b) return e end\n"
                "end\n"
                "t = setmetatable({}, mt)"),
            "");
  const struct {
    const char* expr;
    const char* event;
  } cases[] = {
      {"t | 1", "__or"},    {"1 | t", "__or"},   {"t & 1", "__and"},     {"1 & t", "__and"},
      {"t ^^ 1", "__xor"},  {"t << 1", "__shl"}, {"1 << t", "__shl"},    {"t >> 1", "__shr"},
      {"1 >> t", "__shr"},  {"~t", "__not"},     {"t \\ 1", "__intdiv"}, {"1 \\ t", "__intdiv"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(text(std::string("return ") + c.expr), c.event) << c.expr;
}

TEST_F(LuaOperators, MetamethodOfFirstOperandWins) {
  ASSERT_EQ(run("first = setmetatable({}, {__or = function(a, b) return 'first' end,\n"
                "                          __intdiv = function(a, b) return a == first end})\n"
                "second = setmetatable({}, {__or = function(a, b) return 'second' end,\n"
                "                           __not = function(a) return a == second end})"),
            "");
  EXPECT_EQ(text("return first | second"), "first");
  EXPECT_EQ(text("return second | first"), "second");
  EXPECT_EQ(text("return 1 | second"), "second");
  EXPECT_EQ(text("return 'x' | second"), "second");
  EXPECT_EQ(text("return first \\ 3"), "true");  // operands keep their order
  EXPECT_EQ(text("return ~second"), "true");      // unary: its one operand
}

TEST_F(LuaOperators, TypeErrors) {
  const struct {
    const char* code;
    const char* message;
  } cases[] = {
      {"return {} | 1", "attempt to perform bitwise operation on a table value"},
      {"return 1 & {}", "attempt to perform bitwise operation on a table value"},
      {"local t = {} return t ^^ 1", "attempt to perform bitwise operation on local 't' (a table value)"},
      {"local t = {} return 1 << t", "attempt to perform bitwise operation on local 't' (a table value)"},
      {"return nil >> 1", "attempt to perform bitwise operation on a nil value"},
      {"return undefined_global | 1",
       "attempt to perform bitwise operation on global 'undefined_global' (a nil value)"},
      {"return true & 1", "attempt to perform bitwise operation on a boolean value"},
      {"local b = false return ~b", "attempt to perform bitwise operation on local 'b' (a boolean value)"},
      {"local s = 'abc' return s | 1", "attempt to perform bitwise operation on local 's' (a string value)"},
      {"return setmetatable({}, {__intdiv = 1}) | 1", "attempt to perform bitwise operation on a table value"},
      {"return {} \\ 2", "attempt to perform arithmetic on a table value"},
      {"local t = {} return 2 \\ t", "attempt to perform arithmetic on local 't' (a table value)"},
  };
  for (const auto& c : cases) {
    std::string err = run(c.code);
    EXPECT_NE(err.find(c.message), std::string::npos) << c.code << " gave: " << err;
  }
}

TEST_F(LuaOperators, SyntaxErrorsNameTheNewTokens) {
  const struct {
    const char* code;
    const char* near;
  } cases[] = {
      {"return 1 ! 2", "near '!'"},    {"return !1", "near '!'"},    {"return << 1", "near '<<'"},
      {"return >> 1", "near '>>'"},    {"return ^^ 1", "near '^^'"}, {"return != 1", "near '!='"},
      {"x != 1", "'=' expected near '!='"}, {"x << 1", "'=' expected near '<<'"},
      {"return | 1", "near '|'"},      {"return & 1", "near '&'"},   {"return \\ 1", "near '\\'"},
  };
  for (const auto& c : cases) {
    std::string err = syntax_error(c.code);
    EXPECT_NE(err.find(c.near), std::string::npos) << c.code << " gave: " << err;
  }
  // `~=` and `<=` and `>=` are still single tokens; `<` `<` is not `<<`.
  EXPECT_EQ(syntax_error("return 1 ~= 2, 1 <= 2, 1 >= 2, 2 ^ 2"), "(compiled)");
  EXPECT_NE(syntax_error("return 1 < < 2").find("near '<'"), std::string::npos);
}

TEST_F(LuaOperators, StockBinaryChunksAreRefused) {
  // Run-time operands, so that the chunk holds the new instructions.
  ASSERT_EQ(run("return string.dump(function(a) return (a or 6) ^^ 3, ~(a or 0) end)"), "");
  size_t len = 0;
  const char* p = lua_tolstring(L, -1, &len);
  std::string chunk(p, len);
  lua_settop(L, 0);
  ASSERT_GT(chunk.size(), 12u);
  ASSERT_EQ(chunk.compare(0, 4, "\033Lua"), 0);
  EXPECT_EQ(static_cast<unsigned char>(chunk[4]), 0x51);
  EXPECT_NE(chunk[5], 0) << "our chunks must not claim the official format";

  // Our own chunks round-trip.
  ASSERT_EQ(luaL_loadbuffer(L, chunk.data(), chunk.size(), "own"), 0);
  ASSERT_EQ(lua_pcall(L, 0, 2, 0), 0);
  EXPECT_EQ(lua_tonumber(L, -2), 5);
  EXPECT_EQ(lua_tonumber(L, -1), -1);
  lua_settop(L, 0);

  // A stock compiler writes format 0 with the same version byte.
  std::string stock = chunk;
  stock[5] = 0;
  EXPECT_NE(luaL_loadbuffer(L, stock.data(), stock.size(), "stock"), 0);
  EXPECT_NE(std::string(lua_tostring(L, -1)).find("bad header"), std::string::npos);
  lua_settop(L, 0);
}

TEST_F(LuaOperators, OutOfRangeIntegerConversionsAreDefined) {
  const double values[] = {1e300, -1e300, INF, -INF, std::nan(""), 9223372036854775808.0};
  for (double v : values) {
    lua_pushnumber(L, v);
    EXPECT_EQ(lua_tointeger(L, -1), std::numeric_limits<lua_Integer>::min()) << v;
    lua_pop(L, 1);
  }
  lua_pushnumber(L, -7.9);
  EXPECT_EQ(lua_tointeger(L, -1), -7);
  lua_pop(L, 1);
  // Table keys go through the int conversion too.
  EXPECT_EQ(text("local t = {} t[2^40] = 'big' t[1] = 'one' return t[2^40] .. t[1]"), "bigone");
}

}  // namespace
