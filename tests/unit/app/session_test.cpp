#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include "app_test_support.h"
#include "app/message_handlers.h"
#include "core/compression.h"
#include "input/keymap.h"
#include "input/player_actions.h"
#include "app/play_messages.h"
#include "world/target.h"
#include "support/temp_dir.h"

namespace {

std::string group_of(const std::vector<std::string>& parts) {
  std::string joined;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) joined += GROUP_SEPARATOR;
    joined += parts[i];
  }
  return "*" + deflate(joined);
}

// A local port that nobody listens on.
int closed_port() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t len = sizeof a;
  getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  close(fd);
  return ntohs(a.sin_port);
}

struct SessionTest : ::testing::Test {
  TempDir dir;
  void SetUp() override { reset_app_state(); }
  void TearDown() override {
    session_over = false;
    quit_requested = false;
    quit_enabled = false;
  }
  // Runs passes until the message box holds `n` lines or 500 passes went by.
  void pass_until(size_t n) {
    for (int i = 0; i < 500 && d.messages.size() < n; ++i) ASSERT_TRUE(app.frame_pass());
  }
};

}  // namespace

TEST_F(SessionTest, GroupedPartsOnePerPassBeforeTheNextRead) {
  LoopbackServer s;
  s.send(group_of({"Mc one", "Mc two", "Mc three"}));
  s.send("Mc after");
  pass_until(0);
  // The group itself arrives in some pass; from then on each pass handles one part.
  for (int i = 0; i < 500 && app.session.pending_messages.empty(); ++i)
    ASSERT_TRUE(app.frame_pass());
  ASSERT_EQ(app.session.pending_messages.size(), 3u);
  std::vector<std::string> expect = {" one", " two", " three", " after"};
  for (size_t k = 0; k < 3; ++k) {
    ASSERT_TRUE(app.frame_pass());
    ASSERT_EQ(d.messages.size(), k + 1);
    EXPECT_EQ(d.messages.back(), expect[k]);
  }
  pass_until(4);
  EXPECT_EQ(std::vector<std::string>(d.messages.begin(), d.messages.end()), expect);
}

TEST_F(SessionTest, EchoMarksGroupedParts) {
  LoopbackServer s;
  app.debug_echo = 1;
  me.dm = 1;
  s.send(group_of({"Mc a", "Mc b"}));
  pass_until(6);
  std::vector<std::string> expect = {"START GROUPED", "*Mc a", " a", "*Mc b", "END GROUPED", " b"};
  EXPECT_EQ(std::vector<std::string>(d.messages.begin(), d.messages.end()), expect);
}

TEST_F(SessionTest, ConnectionClosedWaitsForQ) {
  LoopbackServer s;
  s.hang_up();
  type_key_later('x');
  type_key_later('Q');
  d.scroll_messages_up();
  ASSERT_TRUE(app.frame_pass());
  EXPECT_TRUE(session_over);
  EXPECT_TRUE(has_message("Connection from server closed."));
  // The prompt is in view, not below a box paged back.
  EXPECT_EQ(d.get_last_msg(), "Press q to quit.");
  EXPECT_FALSE(keypressed());
}

TEST_F(SessionTest, ConnectionClosedAfterSessionOverEndsAtOnce) {
  LoopbackServer s;
  s.hang_up();
  session_over = true;
  ASSERT_TRUE(app.frame_pass());
  EXPECT_FALSE(has_message("Connection from server closed."));
}

// The log says what the signal did. A Ctrl+C while quitting is off (during
// the login, say) is dropped; a SIGTERM or SIGHUP (a logout, a closed
// terminal) is kept and carried out once quitting is on. With quitting on,
// each of them quits at once.
TEST_F(SessionTest, SignalRaisesTheQuitRequest) {
  struct Case {
    int sig;
    bool kept;
  };
  install_signal_handler();
  for (const Case& c : {Case{SIGINT, false}, Case{SIGTERM, true}, Case{SIGHUP, true}}) {
    SCOPED_TRACE(c.sig);
    const std::string exiting = "Signal " + std::to_string(c.sig) + " trapped - exiting.";
    LoopbackServer s;
    conn_state = CONN_PLAYING;
    TempDir::write("cl_log.txt", "");
    allow_quit(false);
    raise(c.sig);
    EXPECT_FALSE(quit_requested);
    app.service_quit_request();
    EXPECT_EQ(TempDir::read("cl_log.txt").find("exiting"), std::string::npos);
    EXPECT_EQ(TempDir::read("cl_log.txt").find("ignored") != std::string::npos, !c.kept);
    allow_quit(true);
    EXPECT_EQ(quit_requested, c.kept);
    if (!c.kept) raise(c.sig);
    EXPECT_TRUE(quit_requested);
    app.service_quit_request();
    EXPECT_EQ(s.next(), "q");
    EXPECT_NE(TempDir::read("cl_log.txt").find(exiting), std::string::npos);
    // Carried out once: quitting turned off and on again raises nothing.
    quit_requested = session_over = false;
    allow_quit(false);
    allow_quit(true);
    EXPECT_FALSE(quit_requested);
    app.service_quit_request();
    EXPECT_EQ(s.next(), "<none>");
  }
}

// A new session starts clean but keeps what is the player's rather than the
// last server's: the whisper partners, the key bindings, the typed lines, the
// message log (opened on its newest line), the crosshair switch, the music
// volume and the program's name. The last server's unhandled grouped parts,
// the stats picked for a level never taken and the damage figures go.
TEST_F(SessionTest, ResetSessionKeepsOnlyWhatOutlivesASession) {
  keymap.load();
  const int crosshair_key = keymap.get_key(KA_CROSSHAIR) == KEY_U ? KEY_I : KEY_U;
  keymap.set_key(KA_CROSSHAIR, crosshair_key);
  app.session.xfer_failures = 3;
  app.session.logged_in = 1;
  app.whisper_partners = {"kept"};
  app.input_history = {"/msg Guide hello"};
  app.session.pending_messages = {"from the last server"};
  app.program_name = "zib";
  app.session.level_up_counts[1] = 1;
  damage_history.damage = {4};
  damage_history.gaps_ms = {300};
  damage_history.dealt = damage_history.taken = 4;
  client_cfg.set_int("music_volume", 77);
  d.print_msg("Crosshair on");
  d.scroll_messages_up();
  inventory_synced = level_entered = data_reloaded = map_transfer_pending = true;
  session_over = quit_requested = target_locked = app.session.repeat_use = true;
  crosshair = crosshair_ready = true;
  target_id = 8;
  quick_cast_spell = "zap";
  d.scroll_offset = 32;
  app.reset_session();
  EXPECT_EQ(app.session.xfer_failures, 0);
  EXPECT_EQ(app.session.logged_in, 0);
  EXPECT_EQ(app.whisper_partners, std::vector<std::string>{"kept"});
  EXPECT_EQ(keymap.get_key(KA_CROSSHAIR), crosshair_key);
  EXPECT_EQ(app.input_history, std::vector<std::string>{"/msg Guide hello"});
  EXPECT_TRUE(app.session.pending_messages.empty());
  EXPECT_EQ(app.program_name, "zib");
  EXPECT_EQ(app.session.level_up_counts[1], 0);
  EXPECT_TRUE(damage_history.damage.empty() && damage_history.gaps_ms.empty());
  EXPECT_EQ(damage_history.dealt + damage_history.taken, 0);
  EXPECT_EQ(client_cfg.get_int("music_volume"), 77);
  EXPECT_EQ(d.get_last_msg(), "Crosshair on");
  EXPECT_FALSE(inventory_synced || level_entered || data_reloaded || map_transfer_pending);
  EXPECT_FALSE(session_over || quit_requested || target_locked || app.session.repeat_use);
  EXPECT_TRUE(crosshair);
  EXPECT_FALSE(crosshair_ready);
  EXPECT_EQ(target_id, -1);
  EXPECT_EQ(quick_cast_spell, "");
  EXPECT_EQ(d.scroll_offset, 0);
  keymap.load();
  crosshair = false;
}

TEST_F(SessionTest, ClosedPortRetryPromptGivesUpOnQ) {
  client_cfg.set("server", "127.0.0.1");
  client_cfg.set_int("port", closed_port());
  type_key_later('x');
  type_key_later('q');
  d.scroll_messages_up();
  EXPECT_EQ(app.connect("zib", "zib", 0, "acct", "", 'x', 0, 0, 0), CONNECT_GIVE_UP);
  EXPECT_EQ(d.get_last_msg(), "Press q to quit now or any other key to try again.");
  int prompts = 0;
  for (const std::string& m : d.messages)
    if (m == "Press q to quit now or any other key to try again.") ++prompts;
  EXPECT_EQ(prompts, 2);
  EXPECT_EQ(conn_state, CONN_PLAYING);
}

TEST_F(SessionTest, ServerIndexOutOfRangeSelectsRowZero) {
  // The intro screens need the races of the sample world.
  std::filesystem::create_directories("dat");
  for (const char* f : {"skills.txt", "classes.txt", "races.txt"})
    std::filesystem::copy_file(std::string(ZIB_SOURCE_DIR) + "/gamedata/dat/" + f,
                               std::string("dat/") + f,
                               std::filesystem::copy_options::overwrite_existing);
  ASSERT_EQ(sc.load(), 0);
  for (const char* idx : {"5", "-1"}) {
    reset_app_state();
    client_cfg.set("server_idx", idx);
    type_key_later('q');  // quit in the intro screens
    EXPECT_EQ(app.start_session("zib"), 0);
    ConfigFile saved("client.cfg");
    ASSERT_EQ(saved.load(), 0);
    EXPECT_EQ(saved.get("server_idx"), "0");
    EXPECT_EQ(saved.get("server"), "localhost");
    EXPECT_EQ(saved.get("port"), "28889");
  }
}

TEST(EffectClock, WholeMillisecondsAndTheFractionCarries) {
  struct Case {
    uint64_t stamp, now;
    int ms;
    uint64_t stamp_after;
  };
  const uint64_t far = 3000000000000ull;  // about 35 days of microseconds
  const std::vector<Case> cases = {
      {1000000, 1002500, 2, 1002000},  // 0.5 ms stays for the next pass
      {1000000, 1000999, 0, 1000000},  // under a millisecond: nothing yet
      {1000000, 1001000, 1, 1001000},
      {5000000, 4000000, 0, 4000000},  // the wall clock stepped back
      {0, far, INT32_MAX, far},        // beyond an int: capped, not wrapped
  };
  for (const Case& c : cases) {
    uint64_t stamp = c.stamp;
    EXPECT_EQ(take_elapsed_ms(stamp, c.now), c.ms) << c.stamp << " " << c.now;
    EXPECT_EQ(stamp, c.stamp_after) << c.stamp << " " << c.now;
  }
  // Four passes of 1.5 ms each count 6 ms in all, not 4.
  uint64_t stamp = 0;
  int total = 0;
  for (uint64_t now = 1500; now <= 6000; now += 1500) total += take_elapsed_ms(stamp, now);
  EXPECT_EQ(total, 6);
}
