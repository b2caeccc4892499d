#include "core/log.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/config_file.h"
#include "support/temp_dir.h"

namespace {

// A time stamp "dd-mm-yyyy hh:mm:ss"; '#' in a pattern stands for one digit.
const std::string TIME_PATTERN = "##-##-#### ##:##:##";

bool matches(const std::string& text, const std::string& pattern) {
  if (text.size() != pattern.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (pattern[i] == '#' ? !isdigit((unsigned char)text[i]) : text[i] != pattern[i]) return false;
  }
  return true;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) out.push_back(line);
  return out;
}

// Each test starts with tracing in a known state and leaves it as it was.
class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_on_ = trace_on;
    saved_path_ = trace_file_path;
    saved_depth_ = trace_depth;
    trace_depth = 0;
    trace_on = false;
    trace_file_path = "trace/zib.txt";
    std::filesystem::create_directory("trace");
  }
  void TearDown() override {
    EXPECT_EQ(trace_depth, 0);
    trace_on = saved_on_;
    trace_file_path = saved_path_;
    trace_depth = saved_depth_;
  }
  static std::string trace() { return TempDir::read("trace/zib.txt"); }

  TempDir dir_;

 private:
  bool saved_on_ = false;
  std::string saved_path_;
  int saved_depth_ = 0;
};

TEST_F(LogTest, WritelogAppendsLineAndEchoesWithoutTrace) {
  testing::internal::CaptureStdout();
  writelog("  hello %d\n", 5);
  writelog("two");
  std::string out = testing::internal::GetCapturedStdout();
  std::string log = TempDir::read("cl_log.txt");
  auto lines = lines_of(log);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(matches(lines[0], TIME_PATTERN + ": hello 5")) << log;
  EXPECT_TRUE(matches(lines[1], TIME_PATTERN + ": two")) << log;
  EXPECT_EQ(out, log);
  EXPECT_FALSE(std::filesystem::exists("trace/zib.txt"));
}

TEST_F(LogTest, ExternalTextIsNeverAFormat) {
  const char* hostile = "100% %n%s%s%x";
  testing::internal::CaptureStdout();
  writelog("said: %s", hostile);
  testing::internal::GetCapturedStdout();
  writechat(SIZE_MAX, "%s", hostile);
  EXPECT_NE(TempDir::read("cl_log.txt").find(": said: 100% %n%s%s%x\n"), std::string::npos);
  EXPECT_NE(TempDir::read("msglog.txt").find(": 100% %n%s%s%x\n"), std::string::npos);
}

TEST_F(LogTest, LongTextsAreCutAtTheirLimits) {
  const struct {
    bool chat;
    size_t length;
    size_t kept;
  } cases[] = {{false, 99999, 99999}, {false, 150000, 99999}, {true, 1007, 1007},
               {true, 5000, 1007}};
  for (const auto& c : cases) {
    std::filesystem::remove("cl_log.txt");
    std::filesystem::remove("msglog.txt");
    std::string text(c.length, 'x');
    testing::internal::CaptureStdout();
    if (c.chat)
      writechat(SIZE_MAX, "%s", text.c_str());
    else
      writelog("%s", text.c_str());
    std::string out = testing::internal::GetCapturedStdout();
    std::string file = TempDir::read(c.chat ? "msglog.txt" : "cl_log.txt");
    // "dd-mm-yyyy hh:mm:ss: " is 21 bytes, then the text and a line feed.
    EXPECT_EQ(file.size(), 21 + c.kept + 1) << c.length;
    EXPECT_EQ(out.empty(), c.chat);
  }
}

// A log that cannot be opened is skipped, but the line still reaches the
// player's terminal.
TEST_F(LogTest, UnwritableLogStillEchoes) {
  std::filesystem::create_directory("cl_log.txt");
  testing::internal::CaptureStdout();
  writelog("kept %d", 1);
  EXPECT_TRUE(matches(testing::internal::GetCapturedStdout(), TIME_PATTERN + ": kept 1\n"));
}

TEST_F(LogTest, ChatGoesToChatLogOnly) {
  testing::internal::CaptureStdout();
  writechat(SIZE_MAX, "  Bob: hi\r\n");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  std::string chat = TempDir::read("msglog.txt");
  EXPECT_TRUE(matches(chat, TIME_PATTERN + ": Bob: hi\n")) << chat;
  EXPECT_FALSE(std::filesystem::exists("cl_log.txt"));
}

// A message-box line reaches the terminal but neither log file.
TEST_F(LogTest, MessageLinesAreEchoedOnly) {
  testing::internal::CaptureStdout();
  echo_msg("msg: %s\n", "alice: my secret chat line");
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_TRUE(matches(out, TIME_PATTERN + ": msg: alice: my secret chat line\n")) << out;
  EXPECT_FALSE(std::filesystem::exists("cl_log.txt"));
  EXPECT_FALSE(std::filesystem::exists("msglog.txt"));
}

// The program's log that has reached the bound is moved over any older
// backup and a new one is begun; below the bound the line is appended. The
// chat log is the player's own record: at any size it is only appended to,
// and an older backup of it stays as it was.
TEST_F(LogTest, OnlyTheProgramsFullLogIsMovedToItsBackup) {
  const size_t full = static_cast<size_t>(LOG_MAX_FILE_BYTES);
  const struct {
    bool chat;
    size_t before;  // bytes in the file before the line
    bool moved;
  } cases[] = {{false, full - 1, false}, {false, full, true}, {true, full - 1, false},
               {true, full, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.chat ? "chat " : "log ") + std::to_string(c.before));
    const char* file = c.chat ? "msglog.txt" : "cl_log.txt";
    const char* backup = c.chat ? "msglog.old.txt" : "cl_log.old.txt";
    const std::string earlier(c.before, 'e');
    const std::string older = "older backup\n" + std::string(1000, 'o');
    TempDir::write(file, earlier);
    TempDir::write(backup, older);
    testing::internal::CaptureStdout();
    if (c.chat)
      writechat(SIZE_MAX, "new line");
    else
      writelog("new line");
    testing::internal::GetCapturedStdout();
    std::string now = TempDir::read(file);
    if (c.moved) {
      EXPECT_TRUE(matches(now, TIME_PATTERN + ": new line\n")) << now.substr(0, 80);
      EXPECT_EQ(TempDir::read(backup), earlier);
    } else {
      ASSERT_EQ(now.size(), c.before + 21 + 8 + 1);
      EXPECT_EQ(now.compare(0, c.before, earlier), 0);
      EXPECT_TRUE(matches(now.substr(c.before), TIME_PATTERN + ": new line\n"));
      EXPECT_EQ(TempDir::read(backup), older);
    }
  }
}

// A chat line is written only when it fits in the room its caller has left,
// time stamp and line feed included.
TEST_F(LogTest, ChatLineNeedsItsRoom) {
  const size_t line = 21 + 5 + 1;  // "dd-mm-yyyy hh:mm:ss: hello\n"
  const struct {
    size_t room;
    long result;
  } cases[] = {{line, static_cast<long>(line)}, {line - 1, -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.room);
    std::filesystem::remove("msglog.txt");
    EXPECT_EQ(writechat(c.room, "hello"), c.result);
    EXPECT_EQ(TempDir::read("msglog.txt").size(), c.result < 0 ? 0 : line);
  }
}

// Each scenario runs with tracing on; '#' in an expected line is a digit.
TEST_F(LogTest, TraceLines) {
  const std::string T = TIME_PATTERN;
  const struct {
    const char* what;
    void (*run)();
    std::vector<std::string> lines;
  } cases[] = {
      {"a logged line shows its prefix and an empty line",
       [] {
         FunctionTrace main_scope("cmain", true);
         main_scope.printf("starting %d", 1);
         testing::internal::CaptureStdout();
         writelog("some message");
         testing::internal::GetCapturedStdout();
       },
       {T + " * cmain function enter", T + " * cmain : starting 1", T + "  * writelog : " + T + ": some message", "",
        T + " * cmain function exit"}},
      {"the outermost scope always logs and starts a new file", [] { FunctionTrace scope("first", false); },
       {T + " * first function enter", T + " * first function exit"}},
      {"nested scopes indent by depth; a quiet one only counts",
       [] {
         FunctionTrace a("a", true);
         FunctionTrace b("b", false);
         {
           FunctionTrace c("c", true);
           EXPECT_EQ(trace_depth, 3);
         }
         b.printf("note");
       },
       {T + " * a function enter", T + "   * c function enter", T + "   * c function exit", T + "  * b : note",
        T + " * a function exit"}},
      {"a quiet inner scope writes messages but no exit",
       [] {
         trace_depth = 1;  // inside an outer scope, as in the running program
         {
           FunctionTrace quiet("ids::clear_mobs");
           quiet.printf("cleared %s", "all");
         }
         EXPECT_EQ(trace_depth, 1);
         trace_depth = 0;
       },
       {"old run", T + "  * ids::clear_mobs : cleared all"}},  // an inner scope appends
  };
  trace_on = true;
  for (const auto& c : cases) {
    TempDir::write("trace/zib.txt", "old run\n");
    c.run();
    auto lines = lines_of(trace());
    ASSERT_EQ(lines.size(), c.lines.size()) << c.what << "\n" << trace();
    for (size_t i = 0; i < lines.size(); ++i)
      EXPECT_TRUE(matches(lines[i], c.lines[i])) << c.what << ": " << lines[i];
  }
}

TEST_F(LogTest, LongNameIsCutOnExitOnly) {
  trace_on = true;
  const std::string name(60, 'n');
  {
    FunctionTrace scope(name.c_str(), true);
    EXPECT_EQ(std::string(scope.name()), name.substr(0, 49));
  }
  auto lines = lines_of(trace());
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("* " + name + " function enter"), std::string::npos);
  EXPECT_NE(lines[1].find("* " + name.substr(0, 49) + " function exit"), std::string::npos);
}

// Tracing off, no trace path, or no trace folder: nothing is written.
TEST_F(LogTest, TraceOffOrWithoutPathOrFolderWritesNothing) {
  for (int i = 0; i < 3; ++i) {
    trace_on = i > 0;
    trace_file_path = i == 1 ? "" : "trace/zib.txt";
    if (i == 2) std::filesystem::remove("trace");
    {
      FunctionTrace scope("cmain", true);
      scope.printf("x");
    }
    EXPECT_FALSE(std::filesystem::exists("trace/zib.txt")) << i;
  }
  EXPECT_FALSE(std::filesystem::exists("trace"));
}

TEST_F(LogTest, ScopeLeftByExceptionRestoresDepth) {
  try {
    FunctionTrace scope("thrower", true);
    throw std::runtime_error("x");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(trace_depth, 0);
}

TEST_F(LogTest, TraceSwitchNeedsFlagAndAccessCode) {
  const struct {
    const char* trace;
    const char* password;
    bool on;
  } cases[] = {{"1", "wevu", true},   {"2", "wevu", true},   {"1", "Wevu", false},
               {"1", "wevu ", false}, {"0", "wevu", false},  {"true", "wevu", false},
               {"1", "", false},      {nullptr, "wevu", false}};
  for (const auto& c : cases) {
    ConfigFile cfg;
    if (c.trace) cfg.set("trace", c.trace);
    cfg.set("trace_password", c.password);
    trace_file_path.clear();
    trace_on = !c.on;
    apply_trace_switch(cfg);
    EXPECT_EQ(trace_on, c.on) << (c.trace ? c.trace : "(none)") << " " << c.password;
    EXPECT_EQ(trace_file_path, "trace/zib.txt");
  }
}

}  // namespace
