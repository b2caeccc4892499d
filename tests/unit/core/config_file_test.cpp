#include "core/config_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <climits>
#include <csignal>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace {

struct LineCase {
  const char* file;
  const char* key;
  bool present;
  const char* value;
};

class ConfigFileLoad : public ::testing::TestWithParam<LineCase> {};

TEST_P(ConfigFileLoad, ParsesLine) {
  TempDir dir;
  const LineCase& c = GetParam();
  TempDir::write("c.cfg", c.file);
  ConfigFile cfg("c.cfg");
  ASSERT_EQ(cfg.load(), 0);
  EXPECT_EQ(cfg.has_key(c.key), c.present) << c.file;
  EXPECT_EQ(cfg.get(c.key), c.value) << c.file;
}

INSTANTIATE_TEST_SUITE_P(
    Syntax, ConfigFileLoad,
    ::testing::Values(LineCase{"a=b=c\n", "a", true, "b=c"},
                      LineCase{"=v\n", "", true, "v"},
                      LineCase{"k=\n", "k", true, ""},
                      LineCase{"   k=v  \r\n", "k", true, "v"},
                      LineCase{"\t\r k=v\t\n", "k", true, "v"},
                      LineCase{"  # k=1\n", "  # k", false, ""},
                      LineCase{"  # k=1\n", "# k", false, ""},
                      LineCase{"; k=1\n", "; k", false, ""},
                      LineCase{"k#=1\n", "k#", true, "1"},
                      LineCase{"name = x\n", "name ", true, " x"},
                      LineCase{"k=1\nk=2\n", "k", true, "2"},
                      LineCase{"novalue\n\nk=1", "novalue", false, ""},
                      LineCase{"x=1\nlast=z", "last", true, "z"},
                      LineCase{"Key=1\n", "key", false, ""}));

TEST(ConfigFile, FailedReloadKeepsTable) {
  // A missing file, and one that opens but cannot be read (a directory).
  const struct {
    const char* what;
    void (*replace)();
  } cases[] = {
      {"missing", [] { std::filesystem::remove("c.cfg"); }},
      {"directory",
       [] {
         std::filesystem::remove("c.cfg");
         std::filesystem::create_directory("c.cfg");
       }},
  };
  for (const auto& c : cases) {
    TempDir dir;
    TempDir::write("c.cfg", "a=1\n");
    ConfigFile cfg("c.cfg");
    ASSERT_EQ(cfg.load(), 0);
    c.replace();
    testing::internal::CaptureStdout();
    EXPECT_EQ(cfg.load(), 1) << c.what;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "configfile c.cfg not found!\n") << c.what;
    EXPECT_EQ(cfg.get("a"), "1") << c.what;
  }
}

TEST(ConfigFile, ReloadReplacesTable) {
  TempDir dir;
  TempDir::write("c.cfg", "a=1\n");
  ConfigFile cfg("c.cfg");
  cfg.set("memory_only", "x");
  ASSERT_EQ(cfg.load(), 0);
  EXPECT_FALSE(cfg.has_key("memory_only"));
}

TEST(ConfigFile, SaveWritesSortedKeysWithoutComments) {
  TempDir dir;
  TempDir::write("c.cfg", "# settings\nb=2\n\nab=3\na=1\nB=4\n_x=5\nb=6\n");
  ConfigFile cfg("c.cfg");
  ASSERT_EQ(cfg.load(), 0);
  ASSERT_EQ(cfg.save(), 0);
  EXPECT_EQ(TempDir::read("c.cfg"), "B=4\n_x=5\na=1\nab=3\nb=6\n");
  EXPECT_FALSE(std::filesystem::exists("c.cfg.tmp"));
}

TEST(ConfigFile, SaveKeepsBytesAboveAscii) {
  TempDir dir;
  ConfigFile cfg("c.cfg");
  cfg.set("\xc3\xa9t\xc3\xa9", "1");
  cfg.set("z", "2");
  ASSERT_EQ(cfg.save(), 0);
  // Keys compare as unsigned bytes: 0xC3 sorts after 'z'.
  EXPECT_EQ(TempDir::read("c.cfg"), "z=2\n\xc3\xa9t\xc3\xa9=1\n");
}

// Where no temporary file can be made (a read-only folder with a writable
// client.cfg), the file is rewritten in place; where the file itself cannot
// be written either, the save fails, is logged, and the process goes on.
TEST(ConfigFile, SaveInPlaceWithoutTemporaryAndFailWithoutFile) {
  TempDir dir;
  TempDir::write("c.cfg", "old=1\nlonger=than the new text\n");
  std::filesystem::create_directory("c.cfg.tmp");
  ConfigFile cfg("c.cfg");
  cfg.set("new", "2");
  EXPECT_EQ(cfg.save(), 0);
  EXPECT_EQ(TempDir::read("c.cfg"), "new=2\n");

  std::filesystem::create_directory("d.cfg");
  ConfigFile blocked("d.cfg");
  blocked.set("new", "2");
  testing::internal::CaptureStdout();
  EXPECT_NE(blocked.save(), 0);
  testing::internal::GetCapturedStdout();
  EXPECT_TRUE(std::filesystem::is_directory("d.cfg"));
  EXPECT_FALSE(std::filesystem::exists("d.cfg.tmp"));
  EXPECT_NE(TempDir::read("cl_log.txt").find("d.cfg could not be saved"), std::string::npos);
  ConfigFile nowhere("nodir/c.cfg");
  nowhere.set("a", "1");
  testing::internal::CaptureStdout();
  EXPECT_NE(nowhere.save(), 0);
  testing::internal::GetCapturedStdout();
  EXPECT_FALSE(std::filesystem::exists("nodir"));
}

// A write that fails part way (a full disk) leaves the old file whole rather
// than rewriting it in place.
TEST(ConfigFile, FailedWriteKeepsTheOldFileWhole) {
  TempDir dir;
  TempDir::write("c.cfg", "old=1\n");
  ConfigFile cfg("c.cfg");
  cfg.set("new", std::string(4096, 'x'));
  struct rlimit saved {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  struct rlimit small = saved;
  small.rlim_cur = 100;  // files stop growing at 100 bytes, as on a full disk
  auto old_handler = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  testing::internal::CaptureStdout();
  const int rc = cfg.save();
  testing::internal::GetCapturedStdout();
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, old_handler);
  EXPECT_NE(rc, 0);
  EXPECT_EQ(TempDir::read("c.cfg"), "old=1\n");
  EXPECT_FALSE(std::filesystem::exists("c.cfg.tmp"));
}

// save_key rewrites in the file every line that sets the key and nothing
// else, never adds the key, and leaves memory alone. Without a file, or
// where its temporary "tmp" cannot be made, nothing changes.
TEST(ConfigFile, SaveKey) {
  const struct {
    const char* what;
    const char* before;  // nullptr: no file
    const char* key;
    bool tmp_blocked;
    const char* after;
  } cases[] = {
      {"every matching line", "a=1\n# note\nab=2\na=3=4\n  a=5\n", "a", false, "a=9\n# note\nab=2\na=9\n  a=5\n"},
      {"missing key not added", "a=1", "b", false, "a=1\n"},
      {"no file", nullptr, "a", false, nullptr},
      {"no temporary", "a=1\n", "a", true, "a=1\n"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    if (c.before) TempDir::write("c.cfg", c.before);
    if (c.tmp_blocked) std::filesystem::create_directory("tmp");
    ConfigFile cfg("c.cfg");
    cfg.save_key(c.key, "9");
    if (c.after) {
      EXPECT_EQ(TempDir::read("c.cfg"), c.after) << c.what;
    } else {
      EXPECT_FALSE(std::filesystem::exists("c.cfg")) << c.what;
    }
    EXPECT_EQ(std::filesystem::exists("tmp"), c.tmp_blocked) << c.what;
    EXPECT_FALSE(cfg.has_key(c.key)) << c.what;
  }
}

// When the rename cannot happen (another file system), the file must still
// be there: it is replaced by the rename, never deleted beforehand.
TEST(ConfigFile, SaveKeyFailedRenameKeepsFile) {
  TempDir dir;
  const std::filesystem::path other = "/dev/shm";
  struct stat a, b;
  if (stat(other.c_str(), &b) != 0 || stat(".", &a) != 0 || a.st_dev == b.st_dev)
    GTEST_SKIP() << "no second file system to rename across";
  char tmpl[] = "/dev/shm/zibcfg.XXXXXX";
  int fd = mkstemp(tmpl);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(write(fd, "a=1\n", 4), 4);
  close(fd);
  ConfigFile cfg(tmpl);
  testing::internal::CaptureStdout();
  cfg.save_key("a", "2");
  testing::internal::GetCapturedStdout();
  std::string content = TempDir::read(tmpl);
  std::filesystem::remove(tmpl);
  EXPECT_EQ(content, "a=1\n");
  EXPECT_FALSE(std::filesystem::exists("tmp"));
}

struct IntCase {
  const char* value;
  int expected;
};

class ConfigFileGetInt : public ::testing::TestWithParam<IntCase> {};

TEST_P(ConfigFileGetInt, Reads) {
  ConfigFile cfg;
  cfg.set("k", GetParam().value);
  EXPECT_EQ(cfg.get_int("k"), GetParam().expected) << GetParam().value;
  EXPECT_EQ(cfg.get_bool("k"), GetParam().expected != 0) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(
    Values, ConfigFileGetInt,
    ::testing::Values(IntCase{"", 0}, IntCase{"12abc", 12}, IntCase{"abc", 0},
                      IntCase{"-3", -3}, IntCase{"  \t7", 7}, IntCase{"+5", 5},
                      IntCase{"1", 1}, IntCase{"5", 5}, IntCase{"0", 0}, IntCase{"true", 0},
                      IntCase{"yes", 0}, IntCase{"2147483647", INT_MAX},
                      IntCase{"-2147483648", INT_MIN},
                      // Out of range saturates instead of being undefined.
                      IntCase{"2147483648", INT_MAX}, IntCase{"99999999999999999999", INT_MAX},
                      IntCase{"-2147483649", INT_MIN}, IntCase{"-99999999999999999999", INT_MIN}));

TEST(ConfigFile, AbsentKeyIsEmptyAndNotCreated) {
  ConfigFile cfg;
  EXPECT_EQ(cfg.get("missing"), "");
  EXPECT_EQ(cfg.get_int("missing"), 0);
  EXPECT_FALSE(cfg.get_bool("missing"));
  EXPECT_EQ(cfg.get_hex("missing"), 0u);
  EXPECT_EQ(cfg.get_float("missing"), 0.0f);
  EXPECT_FALSE(cfg.has_key("missing"));
}

TEST(ConfigFile, HexAndFloat) {
  const struct {
    const char* value;
    uint64_t hex;
  } hexes[] = {{"ff", 255}, {"0xFF", 255}, {"0X1a", 26}, {"zz", 0}, {"10g", 16},
               {"ffffffffff", 0xffffffffffULL}};
  for (const auto& c : hexes) {
    ConfigFile cfg;
    cfg.set("h", c.value);
    EXPECT_EQ(cfg.get_hex("h"), c.hex) << c.value;
  }
  const struct {
    const char* value;
    float f;
  } floats[] = {{"1.5", 1.5f}, {"-0.25x", -0.25f}, {"abc", 0.0f}, {" 3", 3.0f}};
  for (const auto& c : floats) {
    ConfigFile cfg;
    cfg.set("f", c.value);
    EXPECT_EQ(cfg.get_float("f"), c.f) << c.value;
  }
}

TEST(ConfigFile, KeysWithPrefix) {
  ConfigFile cfg;
  for (const char* k : {"a", "win_x", "win_y", "wind", "wi"}) cfg.set(k, "1");
  EXPECT_EQ(cfg.get_keys_with_prefix("win"), "win_x::win_y::wind");
  EXPECT_EQ(cfg.get_keys_with_prefix(""), "a::wi::win_x::win_y::wind");
  EXPECT_EQ(cfg.get_keys_with_prefix("q"), "");
  EXPECT_EQ(cfg.get_keys_with_prefix("win_x"), "win_x");
}

TEST(ConfigFile, IntegerSetters) {
  ConfigFile cfg;
  cfg.add_int("n", 5);
  cfg.subtract_int("n", 7);
  EXPECT_EQ(cfg.get("n"), "-2");
  cfg.set_int("n", INT_MAX);
  cfg.add_int("n", 1);  // wraps as 32-bit arithmetic, without overflow
  EXPECT_EQ(cfg.get_int("n"), INT_MIN);
}

}  // namespace
