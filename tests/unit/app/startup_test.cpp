#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "app_test_support.h"
#include "core/log.h"
#include "script/script_host.h"
#include "support/temp_dir.h"

namespace {

struct StartupTest : ::testing::Test {
  TempDir dir;
  int updater_calls = 0;
  int display_result = 0;
  bool display_started = false;

  std::function<void()> saved_updater = exec_updater_hook;
  std::function<int(bool)> saved_display = display_init_hook;
  // A start-up that gets as far as the sound installs the library (with
  // the empty system driver when there is no display); later tests expect
  // the headless state they found.
  const bool library_was_up = system_driver != nullptr;

  void SetUp() override {
    reset_app_state();
    exec_updater_hook = [this] { ++updater_calls; };
    display_init_hook = [this](bool) {
      display_started = true;
      return display_result;
    };
  }
  void TearDown() override {
    close_scripts();
    sound.release();
    if (!library_was_up && system_driver) allegro_exit();
    exec_updater_hook = saved_updater;
    display_init_hook = saved_display;
  }

  static void write_install(const std::string& extra_cfg = "") {
    TempDir::write("client.cfg", "patched=1\n" + extra_cfg);
    TempDir::write("dat/common.cfg", "game_name=QYX\n");
  }
  // The start-up alone, or the whole run with `whole`.
  int start(std::vector<std::string> args, bool whole = false) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int argc = static_cast<int>(args.size());
    return whole ? app.cmain(argc, argv.data()) : app.start_up(argc, argv.data());
  }
};

}  // namespace

TEST_F(StartupTest, ExitPaths) {
  struct Case {
    const char* what;
    bool client_cfg, common_cfg, patched;
    int display;
    int status, updater_calls;
    bool display_started;
  };
  const std::vector<Case> cases = {
      {"no client.cfg", false, true, true, 0, 1, 0, false},
      {"no common.cfg", true, false, true, 0, 1, 0, false},
      {"not patched", true, true, false, 0, 1, 1, false},
      {"display fails", true, true, true, 1, 1, 0, true},
      {"tiles missing", true, true, true, 2, 1, 1, true},
      {"all well", true, true, true, 0, 0, 0, true},
  };
  for (const Case& c : cases) {
    TempDir case_dir;
    reset_app_state();
    updater_calls = 0;
    display_started = false;
    display_result = c.display;
    if (c.client_cfg) TempDir::write("client.cfg", c.patched ? "patched=1\n" : "res_x=640\n");
    if (c.common_cfg) TempDir::write("dat/common.cfg", "game_name=QYX\n");
    EXPECT_EQ(start({"zib"}), c.status) << c.what;
    EXPECT_EQ(updater_calls, c.updater_calls) << c.what;
    EXPECT_EQ(display_started, c.display_started) << c.what;
    close_scripts();
  }
}

TEST_F(StartupTest, FirstRunSetsPatchedAndKeepsTheNameGivenWithS) {
  TempDir::write("client.cfg", "passwd=pw\n");
  TempDir::write("dat/common.cfg", "game_name=QYX\n");
  EXPECT_EQ(start({"zib", "-s", "Hero"}), 1);
  EXPECT_EQ(updater_calls, 1);
  ConfigFile saved("client.cfg");
  ASSERT_EQ(saved.load(), 0);
  EXPECT_EQ(saved.get("patched"), "1");
  EXPECT_EQ(saved.get("name"), "Hero");
}

TEST_F(StartupTest, CommandLineRules) {
  struct Case {
    std::vector<std::string> args;
    int direct, create;
    std::string stored_name;
  };
  const std::vector<Case> cases = {
      {{"zib"}, 0, 0, "Old"},
      {{"zib", "-s"}, 1, 0, "Old"},
      {{"zib", "-c"}, 1, 1, "Old"},
      {{"zib", "-s", "Hero"}, 1, 0, "Hero"},
      {{"zib", "-c", "Maker"}, 1, 1, "Maker"},
      {{"zib", "-sx", "Hero"}, 0, 0, "Old"},
      {{"zib", "-S", "Hero"}, 0, 0, "Old"},
      {{"zib", "Hero"}, 0, 0, "Old"},
  };
  for (const Case& c : cases) {
    TempDir case_dir;
    reset_app_state();
    write_install("name=Old\npasswd=pw\n");
    ASSERT_EQ(start(c.args), 0);
    EXPECT_EQ(app.direct_login, c.direct) << c.args.size();
    EXPECT_EQ(app.create_login, c.create);
    ConfigFile saved("client.cfg");
    saved.load();
    EXPECT_EQ(saved.get("name"), c.stored_name);
    EXPECT_EQ(login_password, c.direct ? "pw" : "");
    close_scripts();
  }
}

TEST_F(StartupTest, SettingsAndDefaults) {
  struct Case {
    std::string cfg;
    int turn_delay, sensitivity;
    bool combat_shown;
  };
  const std::vector<Case> cases = {
      {"", 200, 50, true},
      {"turn_delay=99\n", 200, 50, true},
      {"turn_delay=100\n", 100, 50, true},
      {"turn_delay=350\n", 350, 50, true},
      {"mouse_fps_sensitivity=0\n", 200, 50, true},
      {"mouse_fps_sensitivity=30\n", 200, 30, true},
      {"hide_combat_messages=1\n", 200, 50, false},
  };
  for (const Case& c : cases) {
    TempDir case_dir;
    reset_app_state();
    turn_delay_ms = 200;
    mouse_sensitivity = 50;
    write_install(c.cfg);
    ASSERT_EQ(start({"zib"}), 0) << c.cfg;
    EXPECT_EQ(turn_delay_ms, c.turn_delay) << c.cfg;
    EXPECT_EQ(mouse_sensitivity, c.sensitivity) << c.cfg;
    EXPECT_EQ(show_combat_messages, c.combat_shown) << c.cfg;
    close_scripts();
  }
  show_combat_messages = true;
}

TEST_F(StartupTest, ScreenSizeAndGameName) {
  write_install("res_x=1024\n");
  ASSERT_EQ(start({"zib"}), 0);
  EXPECT_EQ(screen_w, 1024);
  EXPECT_EQ(screen_h, 600);
  EXPECT_TRUE(game_is_qyx);
}

// A script's top-level code runs before any login reply: the scaling factor
// of the statistics is 1 then, not 0.
TEST_F(StartupTest, ScriptsStartWithTheStatisticScaleOfOne) {
  write_install();
  TempDir::write("clientscripts/start.lua", "scale_at_start = STAT_VALUE * 100\n");
  ASSERT_EQ(start({"zib"}), 0);
  get_script_function("scale_at_start");
  EXPECT_EQ(pop_script_int(), 100);
}

TEST_F(StartupTest, TraceSwitch) {
  struct Case {
    std::string cfg;
    bool on;
  };
  const std::vector<Case> cases = {
      {"", false},
      {"trace=1\n", false},
      {"trace=1\ntrace_password=nope\n", false},
      {"trace=0\ntrace_password=wevu\n", false},
      {"trace=1\ntrace_password=wevu\n", true},
  };
  for (const Case& c : cases) {
    TempDir case_dir;
    reset_app_state();
    write_install(c.cfg);
    ASSERT_EQ(start({"zib"}), 0);
    EXPECT_EQ(trace_on, c.on) << c.cfg;
    EXPECT_EQ(trace_file_path, "trace/zib.txt");
    close_scripts();
  }
  trace_on = false;
}

TEST_F(StartupTest, ProgramDirectory) {
  write_install();
  auto before = std::filesystem::current_path();
  ASSERT_EQ(start({"zib"}), 0);
  EXPECT_EQ(app.program_dir, "");
  EXPECT_EQ(std::filesystem::current_path(), before);
  close_scripts();

  std::filesystem::create_directories("inst/dat");
  TempDir::write("inst/client.cfg", "patched=1\n");
  TempDir::write("inst/dat/common.cfg", "game_name=Other\n");
  ASSERT_EQ(start({"inst/zib"}), 0);
  EXPECT_EQ(app.program_name, "zib");
  EXPECT_EQ(app.program_dir, "inst/");
  EXPECT_EQ(std::filesystem::current_path(), before / "inst");
  EXPECT_FALSE(game_is_qyx);
  std::filesystem::current_path(before);
}

TEST_F(StartupTest, WholeRunDirectLoginToAClosedPortEndsWithOne) {
  // Port 1 on loopback is closed on any test machine.
  write_install("server=127.0.0.1\nport=1\naccount=a\npasswd=b\nname=c\n");
  type_key_later('q');
  EXPECT_EQ(start({"zib", "-s"}, true), 1);
  EXPECT_TRUE(has_message("Could not connect to 127.0.0.1:1"));
  EXPECT_EQ(script_state, nullptr);
  EXPECT_EQ(client_cfg.get("music_volume"), "200");  // the default before the first session
  ConfigFile saved("client.cfg");
  saved.load();
  EXPECT_EQ(saved.get("port"), "1");  // "-s" keeps the stored server
}

// A SIGTERM during start-up, while quitting is off, is kept: the session
// carries it out as soon as quitting is on, before a direct login connects.
TEST_F(StartupTest, WholeRunDirectLoginEndsOnASignalKeptSinceStartUp) {
  write_install("server=127.0.0.1\nport=1\naccount=a\npasswd=b\nname=c\n");
  install_signal_handler();
  display_init_hook = [](bool) {
    raise(SIGTERM);
    return 0;
  };
  type_key_later('q');  // ends the retry prompt of a client that connects after all
  EXPECT_EQ(start({"zib", "-s"}, true), 0);
  EXPECT_FALSE(has_message("Connecting to 127.0.0.1:1 ..."));
  EXPECT_NE(TempDir::read("cl_log.txt").find("Signal 15 trapped - exiting."), std::string::npos);
  quit_requested = session_over = false;
}

// The "cmain" trace scope opened during start-up spans the sessions: its
// exit line is the last of the run, after what the session loop traced.
TEST_F(StartupTest, RunTraceScopeClosesWhenTheRunEnds) {
  std::filesystem::create_directory("trace");
  write_install("trace=1\ntrace_password=wevu\nserver=127.0.0.1\nport=1\naccount=a\npasswd=b\nname=c\n");
  type_key_later('q');
  EXPECT_EQ(start({"zib", "-s"}, true), 1);
  trace_on = false;
  std::string text = TempDir::read("trace/zib.txt");
  size_t enter = text.find("* cmain function enter");
  size_t session = text.find("* connect function exit");
  size_t exit = text.find("* cmain function exit");
  ASSERT_NE(enter, std::string::npos) << text;
  ASSERT_NE(session, std::string::npos) << text;
  ASSERT_NE(exit, std::string::npos) << text;
  EXPECT_LT(enter, session);
  EXPECT_LT(session, exit);
  EXPECT_EQ(text.find("\n", exit), text.size() - 1) << "the exit line is the last";
  EXPECT_EQ(text.find("* cmain function exit", exit + 1), std::string::npos);
}

TEST(ProgramCrc, RelativePathAfterTheDirectoryChange) {
  // The program's own file is found through the kernel's link, whatever the
  // working directory.
  TempDir dir;
  EXPECT_NE(program_file_crc("build/game/zib"), 0xffffffffu);
}
