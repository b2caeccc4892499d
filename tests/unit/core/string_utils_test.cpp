#include "core/string_utils.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace {

using Strings = std::vector<std::string>;

TEST(StringUtils, ReadLineReturnsLastLineWithoutFeedOnce) {
  TempDir dir;
  TempDir::write("f.txt", std::string("a\r\n\nlast\0x", 10));
  FILE* f = fopen("f.txt", "r");
  ASSERT_NE(f, nullptr);
  std::string line = "unchanged";
  ASSERT_TRUE(read_line(f, line));
  EXPECT_EQ(line, "a\r");
  EXPECT_EQ(trim2(line, false), "a");
  ASSERT_TRUE(read_line(f, line));
  EXPECT_EQ(line, "");
  ASSERT_TRUE(read_line(f, line));
  EXPECT_EQ(line, std::string("last\0x", 6));
  EXPECT_FALSE(read_line(f, line));
  EXPECT_EQ(line, std::string("last\0x", 6));
  fclose(f);
  EXPECT_FALSE(read_line(nullptr, line));
}

TEST(StringUtils, ReadTableRowPassesOverBlankAndCommentLines) {
  TempDir dir;
  TempDir::write("t.txt",
                 "# comment\n\n  \t\r\n 1\tone\t\r\n\t2\t\tx\n  # indented\nlast\tz");
  struct Case {
    bool trim_lines;
    std::vector<Strings> rows;
  };
  const Case cases[] = {
      {true, {{"1", "one"}, {"2", "", "x"}, {"last", "z"}}},
      // Untrimmed, only a '#' in the first column marks a comment.
      {false,
       {{"  ", "\r"}, {" 1", "one", "\r"}, {"", "2", "", "x"}, {"  # indented"}, {"last", "z"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.trim_lines);
    FILE* f = fopen("t.txt", "r");
    ASSERT_NE(f, nullptr);
    std::vector<Strings> rows;
    Strings fields;
    while (rows.size() < 10 && read_table_row(f, fields, c.trim_lines)) rows.push_back(fields);
    fclose(f);
    EXPECT_EQ(rows, c.rows);
  }
  Strings fields;
  EXPECT_FALSE(read_table_row(nullptr, fields));
}

TEST(StringUtils, FormatStr) {
  EXPECT_EQ(format_str("%s-%03d", "lvl", 7), "lvl-007");
  EXPECT_EQ(format_str("%s", "%s%n"), "%s%n");
  EXPECT_EQ(format_str("%s", std::string(150000, 'y').c_str()).size(), 99999u);
  // Two results in a row must not share storage.
  std::string a = format_str("%d", 1), b = format_str("%d", 2);
  EXPECT_EQ(a, "1");
  EXPECT_EQ(b, "2");
}

struct TrimCase {
  std::string in;
  bool quotes;
  std::string out;
};

TEST(StringUtils, Trim2) {
  const TrimCase cases[] = {
      {"  \t\r\nabc \t\r\n", false, "abc"},
      {"  '\"abc\"", true, "abc"},
      {"'ab '", true, "ab "},
      {"\"abc\"", false, "\"abc\""},
      {"\v x", false, "\v x"},
      {"x \v", false, "x"},
      {"x \f", false, "x"},
      {"", true, ""},
      {"   ", false, ""},
      {"''\"", true, ""},
      {"a b", false, "a b"},
  };
  for (const auto& c : cases) EXPECT_EQ(trim2(c.in, c.quotes), c.out) << "[" << c.in << "]";
}

TEST(StringUtils, InPlaceHelpers) {
  char t[] = "  \tword  \n";
  trim(t);
  EXPECT_STREQ(t, "word");
  char us[] = "a_b__c";
  rm_us(us);
  EXPECT_STREQ(us, "a b  c");
  EXPECT_EQ(add_us2("long sword "), "long_sword_");
  EXPECT_EQ(rm_us2("long_sword_"), "long sword ");
}

TEST(StringUtils, CaseHelpers) {
  const struct {
    std::string in, lower, upper, capital;
  } cases[] = {
      {"a{b", "a{b", "A[B", "A{b"},
      {"Hello World", "hello world", "HELLO WORLD", "Hello World"},
      {"|}~\x7f", "|}~\x7f", "\\]^_", "|}~\x7f"},
      {"\xc3\xa9t\xc3\xa9", "\xc3\xa9t\xc3\xa9", "\xc3\xa9T\xc3\xa9", "\xc3\xa9t\xc3\xa9"},
      {"", "", "", ""},
      {"1abc", "1abc", "1ABC", "1abc"},
      {"ABC", "abc", "ABC", "ABC"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(to_lower(c.in), c.lower) << c.in;
    EXPECT_EQ(to_upper(c.in), c.upper) << c.in;
    EXPECT_EQ(capitalise_first_letter(c.in), c.capital) << c.in;
  }
}

TEST(StringUtils, ClassesOfText) {
  EXPECT_EQ(strip_clan_tag("Bob [ABC]"), "Bob ");
  EXPECT_EQ(strip_clan_tag("[X]Bob"), "");
  EXPECT_TRUE(is_alphanumeric("Abc019"));
  EXPECT_FALSE(is_alphanumeric("a_b"));
  EXPECT_FALSE(is_alphanumeric("\xc3\xa9"));
  EXPECT_TRUE(is_printable(" ~"));
  EXPECT_FALSE(is_printable("a\tb"));
  EXPECT_FALSE(is_printable("\x7f"));
  EXPECT_EQ(first_char("\xc3\xa9"), 195);  // unsigned
}

TEST(StringUtils, WordBoundary) {
  const struct {
    std::string s;
    int pos, len;
    bool expected;
  } cases[] = {
      {"cat", 0, 3, true},        {"a cat.", 2, 3, true},    {"concat", 3, 3, false},
      {"cats", 0, 3, false},      {"(cat)", 1, 3, true},     {"[cat]", 1, 3, true},
      {"'cat'", 1, 3, true},      {"\"cat\"", 1, 3, true},   {"!cat?", 1, 3, true},
      {",cat/", 1, 3, true},      {"\tcat", 1, 3, false},    {":cat", 1, 3, false},
      {";cat", 1, 3, false},      {"-cat", 1, 3, false},     {"cat-", 0, 3, false},
      {"cat", 2, 5, false},       {"x cat", 2, 30, true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(is_word_boundary(c.s, c.pos, c.len), c.expected) << c.s << " @" << c.pos;
}

TEST(StringUtils, ReplaceAll) {
  const struct {
    std::string find, repl, src;
    bool icase, whole;
    std::string out;
  } cases[] = {
      {"cat", "dog", "Cat concat", true, true, "Dog concat"},
      {"cat", "dog", "Cat concat", true, false, "Dog condog"},
      {"cat", "dog", "Cat concat", false, false, "Cat condog"},
      {"Fire", "ice", "FIRE and fire", true, false, "Ice and ice"},
      {"a", "aa", "aaa", false, false, "aaaaaa"},
      {"aa", "b", "aaa", false, false, "ba"},
      {"x", "", "axbxc", false, false, "abc"},
      {"cat", "dog", "cat,cat cats", false, true, "dog,dog cats"},
      {"", "z", "abc", false, false, "abc"},
      {"zz", "q", "", false, false, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(replace_all(c.find, c.repl, c.src, c.icase, c.whole), c.out) << c.src;
  EXPECT_EQ(escape_quotes("it's a\\b"), "it\\'s a\\\\b");
}

TEST(StringUtils, HexToInt) {
  const struct {
    std::string in;
    long out;
  } cases[] = {{"", 0},           {"FFFFFFFF", -1},        {"ffffffff", -1},
               {"fffffffe", 4294967294L}, {"zz", 0},       {"0x1F", 31},
               {"1f", 31},        {"-1", -1},              {"  a", 10},
               {"10q", 16},       {"7fffffffffffffff", LONG_MAX},
               // Beyond 64 bits the value saturates as "%lx" does.
               {"1ffffffffffffffff", -1}};
  for (const auto& c : cases) EXPECT_EQ(hex_to_int(c.in), c.out) << c.in;
}

TEST(StringUtils, ToInt) {
  const struct {
    std::string in;
    int out;
  } cases[] = {{"", 0},
               {"42", 42},
               {" \t-17x", -17},
               {"+3", 3},
               {"abc", 0},
               {"2147483647", INT_MAX},
               {"-2147483648", INT_MIN},
               // Cut to the low 32 bits of the 64-bit value.
               {"4294967295", -1},
               {"4294967296", 0},
               {"2147483648", INT_MIN},
               // Beyond 64 bits strtol saturates at LONG_MAX/LONG_MIN first.
               {"99999999999999999999", -1},
               {"-99999999999999999999", 0}};
  for (const auto& c : cases) EXPECT_EQ(to_int(c.in), c.out) << c.in;
}

TEST(StringUtils, Split) {
  const struct {
    std::string s, d;
    int count;
    Strings pieces;
  } cases[] = {
      {"a\tb", "\t", 1, {"a", "b"}},
      {"abc", "\t", 0, {"abc"}},
      {"a,,b,", ",", 3, {"a", "", "b", ""}},
      {",a", ",", 1, {"", "a"}},
      {"", ",", 0, {""}},
      {"aaa", "aa", 1, {"", "a"}},
      {"k=v=w", "=", 2, {"k", "v", "w"}},
      {"a::b::", "::", 2, {"a", "b", ""}},
      {"abc", "", 0, {"abc"}},
  };
  for (const auto& c : cases) {
    Strings out = {"stale"};
    EXPECT_EQ(split(c.s, c.d, out), c.count) << c.s;
    EXPECT_EQ(out, c.pieces) << c.s;
  }
}

}  // namespace
