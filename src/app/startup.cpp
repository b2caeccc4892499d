// The main routine's start-up: locate the installation, load the settings and
// the data tables, read the command line, start the display, scripts and sound.

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <optional>

#include "app/client_app.h"
#include "app/globals.h"
#include "app/requests.h"
#include "core/log.h"
#include "core/string_utils.h"
#include "core/utils.h"
#include "input/frame_input.h"
#include "lauxlib.h"
#include "lua.h"
#include "script/script_host.h"
#include "world/target.h"

std::atomic<bool> session_over{false};
std::atomic<bool> quit_requested{false};
std::atomic<bool> quit_enabled{false};
bool inventory_synced = false;
bool level_entered = false;
bool data_reloaded = false;
bool map_transfer_pending = false;
int32_t conn_state = CONN_TITLE;
bool game_is_qyx = false;

int rage_bar = 0;
int target_type = TARGET_ALL;
bool old_shift_func = false;
bool old_ctrl_func = false;
bool old_alt_func = false;
int mouse_sensitivity = 50;

constexpr int DEFAULT_RES_X = 800;
constexpr int DEFAULT_RES_Y = 600;
constexpr int MIN_TURN_DELAY = 100;

namespace {
void exec_updater() { execl(UPDATER_PATH, UPDATER_PATH, static_cast<char*>(nullptr)); }
}  // namespace

std::function<void()> exec_updater_hook = exec_updater;
std::function<int(bool)> display_init_hook = [](bool fullscreen) { return d.init(fullscreen); };

void start_updater(const std::string& program_dir) {
  if (exec_updater_hook) exec_updater_hook();
  show_alert(format_str("Failed to launch patcher! Please run patch.sh by hand from your QYX "
                        "directory! (%s)",
                        program_dir.c_str()));
}

uint32_t program_file_crc(const char* program_path) {
  // The start-up has changed to the program's directory, so a relative
  // argv[0] no longer names the file; the kernel's link always does.
  int crc = file_crc32("/proc/self/exe");
  if (crc == -1 && program_path) {
    std::string path(program_path);
    size_t slash = path.rfind('/');
    crc = file_crc32(slash == std::string::npos ? path : path.substr(slash + 1));
    if (crc == -1) crc = file_crc32(path);
  }
  return static_cast<uint32_t>(crc);
}

int start_scripts() {
  script_state = luaL_newstate();
  if (!script_state) return 1;
  init_scripts();
  return 0;
}

void reload_item_data() { wl.reload(); }

void load_data_tables(FunctionTrace& trace) {
  if (tiledata.load() != 0) {
    trace.printf("prob loading tile data");
    writelog("prob loading tile data\n");
  }
  spells.load();
  crops.load();
  reload_item_data();
  d.copy_tile_table();
}

void close_scripts() {
  if (!script_state) return;
  lua_close(script_state);
  script_state = nullptr;
}

ClientApp::ClientApp() {
  const uint64_t now = input_clock_us();
  for (uint64_t& t : session.action_timers) t = now;
  reference_time_us = get_time_us();
}

namespace {

// The trace scope of the whole run: opened part-way through start-up, once
// the trace switch is known, and closed when cmain returns.
std::optional<FunctionTrace> run_trace;

}  // namespace

void close_run_trace() { run_trace.reset(); }

int ClientApp::cmain(int argc, char** argv) {
  int rc = start_up(argc, argv);
  if (rc == 0) rc = run_sessions(argc > 0 ? argv[0] : "");
  close_scripts();
  close_run_trace();
  return rc;
}

int ClientApp::start_up(int argc, char** argv) {
  // Locate the installation and run from there.
  std::string argv0 = argc > 0 && argv[0] ? argv[0] : "";
  size_t slash = argv0.rfind('/');
  program_name = slash == std::string::npos ? argv0 : argv0.substr(slash + 1);
  program_dir = argv0.substr(0, argv0.size() - program_name.size());
  if (!program_dir.empty() && chdir(program_dir.c_str()) != 0)
    writelog("could not change to %s\n", program_dir.c_str());

  // Settings.
  platform_name = PLATFORM_NAME;
  if (client_cfg.load() != 0) return 1;
  if (common_cfg.load() != 0) return 1;

  // Tables whose failure does not stop start-up.
  sc.load();
  keymap.load();
  mounts.load();

  // The user's settings.
  game_is_qyx = common_cfg.get("game_name") == GAME_NAME_QYX;
  apply_option_copies();
  if (client_cfg.get_int("turn_delay") >= MIN_TURN_DELAY) turn_delay_ms = client_cfg.get_int("turn_delay");
  rage_bar = client_cfg.get_int("rage_bar");
  target_type = client_cfg.get_int("target_type");
  old_shift_func = client_cfg.get_bool("old_shift_func");
  old_ctrl_func = client_cfg.get_bool("old_ctrl_func");
  old_alt_func = client_cfg.get_bool("old_alt_func");
  if (client_cfg.get_bool("mouse_fps_sensitivity"))
    mouse_sensitivity = client_cfg.get_int("mouse_fps_sensitivity");

  // Tracing.
  apply_trace_switch(client_cfg);
  close_run_trace();
  FunctionTrace& trace = run_trace.emplace("cmain", true);
  trace.printf("%s client version %s", CLIENT_NAME, CLIENT_VERSION);
  trace.printf("derived dir (pwd)=%s", program_dir.c_str());
  char cwd[TRACE_BUFFER_CWD] = {};
  if (!getcwd(cwd, sizeof cwd)) cwd[0] = 0;
  trace.printf("actual pwd=%s", cwd);

  // Random numbers and the command line.
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  direct_login = 0;
  create_login = 0;
  if (argc > 1 && argv[1]) {
    std::string a1 = argv[1];
    if (a1 == "-s" || a1 == "-c") {
      direct_login = 1;
      create_login = a1 == "-c";
      if (argc > 2 && argv[2]) {
        client_cfg.set("name", argv[2]);
        save_settings(client_cfg);
      }
      login_password = client_cfg.get("passwd");
    }
  }

  // An installation that was never patched hands over to the updater.
  if (client_cfg.get_int("patched") == 0) {
    client_cfg.set("patched", "1");
    save_settings(client_cfg);
    start_updater(program_dir);
    writelog("forced patch %s%s\n", program_dir.c_str(), "patch.exe");
    return 1;
  }

  // The display and the quit request.
  screen_w = client_cfg.get_int("res_x");
  if (screen_w == 0) screen_w = DEFAULT_RES_X;
  screen_h = client_cfg.get_int("res_y");
  if (screen_h == 0) screen_h = DEFAULT_RES_Y;
  int drc = display_init_hook(options.get(OPT_FULLSCREEN));
  if (drc == 1) return 1;
  install_signal_handler();
  set_close_button(request_quit);
  trace.printf("Allegro version %s", graphics_version());
  if (drc == 2) {
    start_updater(program_dir);
    return 1;
  }

  // Scripts.
  if (start_scripts() != 0) {
    writelog("failed to load lua!\n");
    return 1;
  }

  // Data tables, display tables and sound.
  load_data_tables(trace);
  d.install_switch_mode_once();
  if (sound.init() != 0) writelog("Problems loading sound ...\n");

  debug_echo = 0;
  return 0;
}

// ---- The quit request ---------------------------------------------------------

namespace {
// The last signal trapped and whether it raised the quit request; the main
// thread logs it on its next pass.
std::atomic<int> trapped_signal{0};
std::atomic<bool> trapped_signal_quits{false};
// Raised by a request that the main thread has not carried out yet.
std::atomic<bool> quit_notice_pending{false};
// A SIGTERM or SIGHUP that came while quitting was off, not yet carried out.
// The handler sets it before it looks at quit_enabled and allow_quit reads
// it after setting quit_enabled, so a signal taken on another thread while
// quitting is being turned on is never lost.
std::atomic<int> kept_signal{0};

bool raise_quit_request() {
  if (!quit_enabled.load()) return false;
  kept_signal = 0;
  session_over = true;
  quit_requested = true;
  quit_notice_pending = true;
  return true;
}
}  // namespace

void request_quit() { raise_quit_request(); }

void trap_signal(int sig) {
  if (sig != SIGINT) kept_signal = sig;
  trapped_signal_quits = raise_quit_request();
  trapped_signal = sig;
}

void allow_quit(bool on) {
  quit_enabled = on;
  if (!on) return;
  const int sig = kept_signal.load();
  if (sig != 0 && raise_quit_request()) {
    trapped_signal_quits = true;
    trapped_signal = sig;
  }
}

void install_signal_handler() {
  struct sigaction sa {};
  sa.sa_handler = trap_signal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  for (int sig : QUIT_SIGNALS) {
    struct sigaction before {};
    sigaction(sig, nullptr, &before);
    if (sig != SIGINT && before.sa_handler == SIG_IGN) continue;
    sigaction(sig, &sa, nullptr);
  }
}

void ClientApp::service_quit_request() {
  int sig = trapped_signal.exchange(0);
  if (sig != 0) {
    if (trapped_signal_quits.load())
      writelog("Signal %d trapped - exiting.\n", sig);
    else if (sig == SIGINT)
      // A kept signal is logged when quitting is turned on and it quits.
      writelog("Signal %d trapped - ignored, quitting is not possible at this point.\n", sig);
  }
  if (!quit_notice_pending.exchange(false)) return;
  if (conn_state == CONN_PLAYING && tcpObj.is_open(0)) {
    send_logout();
    d.print_msg("Quit and exit!");
  }
}
