// The development server: a small game server for the client's protocol on
// loopback, for tests and for the demo. It admits clients, checks their login
// lines, answers the handshake with the sample world's values, runs the
// readiness sequence (inventory sync, level entry with map transfer, data
// reload) and then a little play, the market world (--market), or a scenario
// of lines to send and expect.

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "core/buffs.h"
#include "core/config_file.h"
#include "core/item_data.h"
#include "core/skills_classes.h"
#include "core/spells.h"
#include "core/string_utils.h"
#include "core/tiles.h"
#include "dev_session.h"
#include "dev_store.h"
#include "net/socket.h"
#include "world/cmap.h"
#include "world/player.h"

namespace {

std::atomic<bool> stop_requested{false};
void on_signal(int) { stop_requested = true; }

constexpr int POLL_SLEEP_US = 2000;
constexpr int LEVEL_W = 40, LEVEL_H = 30;
constexpr int TILE_GRASS = 46, TILE_WALL = 35;

void usage() {
  std::printf(
      "usage: devserver [OPTION]...\n"
      "A small game server for the client on 127.0.0.1, serving the sample world.\n"
      "\n"
      "The world:\n"
      "  --market          the played market world: a merchant, a banker, a guard who talks,\n"
      "                    a chest, a kiln and a goblin near the start, a card table in the\n"
      "                    farmhouse\n"
      "  --world DIR       the game directory whose dat/ and cmaps/ are served (default: the\n"
      "                    repository's gamedata/)\n"
      "  --start X,Y       the cell every character starts on\n"
      "  --clock MINUTE    the game clock's first minute (0-1439)\n"
      "  --crowd N         N creatures (0-1000) walking around the character, for measuring\n"
      "  --still           the sample world's creature stays where it appears, so that the\n"
      "                    screen shows the same at the same step of two runs\n"
      "\n"
      "The server:\n"
      "  --port N          the port to listen on (default 28889; 0 any free port)\n"
      "  --dir DIR         where accounts and characters are kept (default: devserver-data\n"
      "                    in the current directory); the account demo/demo and its\n"
      "                    character Demo are made when it holds none\n"
      "  --log FILE        also write the log to FILE\n"
      "  --slots N         clients served at once (default 4)\n"
      "  --timeout S       stop after S seconds (0, the default: run until stopped)\n"
      "  --login-timeout MS  close a connection that has not logged in by then (default 5000)\n"
      "  --once            stop when the last client has left\n"
      "\n"
      "For tests:\n"
      "  --scenario FILE   send and expect the lines of FILE once the client is in play\n"
      "  --verdict CX      answer every login with this verdict (C0-C8)\n"
      "  --client-crc HEX  refuse (C1) clients whose program checksum differs\n"
      "  --no-create       refuse new characters (C8)\n"
      "  --help            show this and exit\n");
}

bool parse_args(int argc, char** argv, DevOptions& o) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    std::string v;
    if (a == "--port" && value(v)) o.port = to_int(v);
    else if (a == "--dir" && value(v)) o.data_dir = v;
    else if (a == "--scenario" && value(v)) o.scenario_file = v;
    else if (a == "--world" && value(v)) o.world_dir = v;
    else if (a == "--log" && value(v)) o.log_file = v;
    else if (a == "--verdict" && value(v)) o.forced_verdict = v;
    else if (a == "--client-crc" && value(v)) o.client_crc = v;
    else if (a == "--slots" && value(v)) o.slots = to_int(v);
    else if (a == "--timeout" && value(v)) o.timeout_s = to_int(v);
    else if (a == "--login-timeout" && value(v)) o.login_timeout_ms = to_int(v);
    else if (a == "--clock" && value(v)) o.clock_minute = to_int(v);
    else if (a == "--crowd" && value(v)) o.crowd = to_int(v);
    else if (a == "--still") o.still = true;
    else if (a == "--start" && value(v)) {
      if (std::sscanf(v.c_str(), "%d,%d", &o.start_x, &o.start_y) != 2 || o.start_x < 0 ||
          o.start_y < 0)
        return false;
    }
    else if (a == "--no-create") o.creation_disabled = true;
    else if (a == "--once") o.once = true;
    else if (a == "--market") o.market = true;
    else return false;
  }
  return o.slots >= 1 && o.port >= 0 && o.login_timeout_ms > 0 && o.clock_minute < 1440 &&
         o.crowd >= 0 && o.crowd <= 1000;
}

// The levels of the sample world are served as they are; without them the
// server makes a walled meadow of its own.
void copy_world_levels(const std::string& world_dir) {
  std::error_code ec;
  std::filesystem::create_directories("cmaps", ec);
  std::filesystem::path src = std::filesystem::path(world_dir) / "cmaps";
  for (const auto& e : std::filesystem::directory_iterator(src, ec)) {
    std::string n = e.path().filename().string();
    if (n.rfind("lvl", 0) != 0 || e.path().extension() != ".map") continue;
    std::filesystem::copy_file(e.path(), std::filesystem::path("cmaps") / n,
                               std::filesystem::copy_options::overwrite_existing, ec);
  }
}

// The tables the character rules read (classes, races, skills, spells,
// buffs, item types): the sample world's "dat/" is copied into our own
// directory and read there, so whatever the readers log stays with us. 0 read.
int load_world_tables(const std::string& world_dir) {
  std::error_code ec;
  std::filesystem::create_directories("dat", ec);
  std::filesystem::copy(std::filesystem::path(world_dir) / "dat", "dat",
                        std::filesystem::copy_options::recursive |
                            std::filesystem::copy_options::overwrite_existing,
                        ec);
  if (ec || common_cfg.load() != 0) return 1;
  sc.load();
  // The map tiles' kinds tell walls from floors for the move checks.
  tiledata.load();
  spells.load();
  buffs.load();
  wl.reload();
  return 0;
}

void make_sample_level() {
  if (std::filesystem::exists(DEV_LEVEL_FILE)) return;
  CMap m;
  m.set_size(LEVEL_W, LEVEL_H, false);
  for (int x = 0; x < LEVEL_W; ++x)
    for (int y = 0; y < LEVEL_H; ++y)
      m.set_tile(x, y, x == 0 || y == 0 || x == LEVEL_W - 1 || y == LEVEL_H - 1 ? TILE_WALL : TILE_GRASS);
  m.level = DEV_LEVEL;
  m.name = "Meadow";
  if (m.save_map() != 0) dev_log("could not write %s", DEV_LEVEL_FILE);
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      usage();
      return 0;
    }
  DevOptions opt;
  if (!parse_args(argc, argv, opt)) {
    std::fprintf(stderr, "devserver: a bad option or value; devserver --help lists them\n");
    return 2;
  }
  // Paths given on the command line are taken from where we were started.
  auto absolute = [](std::string& p) {
    if (!p.empty()) p = std::filesystem::absolute(p).string();
  };
  absolute(opt.scenario_file);
  absolute(opt.log_file);
  absolute(opt.world_dir);
  dev_log_open(opt.log_file);

  std::vector<ScenarioStep> scenario;
  if (!opt.scenario_file.empty()) {
    std::string err = load_scenario(opt.scenario_file, scenario);
    if (!err.empty()) {
      dev_log("scenario: %s", err.c_str());
      return 2;
    }
  }
  // The server derives a character's figures from the rules; the client
  // takes them from the "H" record.
  Player::derive_figures = true;
  dev_apply_rules();
  std::error_code ec;
  std::filesystem::create_directories(opt.data_dir, ec);
  if (chdir(opt.data_dir.c_str()) != 0) {
    dev_log("cannot use %s", opt.data_dir.c_str());
    return 2;
  }
  if (load_world_tables(opt.world_dir) != 0) {
    dev_log("cannot read the world's tables in %s/dat", opt.world_dir.c_str());
    return 2;
  }
  DevStore store;
  if (store.open() != 0) {
    dev_log("cannot write the accounts in %s", opt.data_dir.c_str());
    return 2;
  }
  copy_world_levels(opt.world_dir);
  make_sample_level();

  struct sigaction sa {};
  sa.sa_handler = on_signal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  signal(SIGPIPE, SIG_IGN);

  Socket sock(SOCKET_ROLE_SERVER);
  if (sock.sckListen(opt.port, opt.slots, "127.0.0.1") != 0) {
    dev_log("cannot listen on 127.0.0.1:%d", opt.port);
    return 1;
  }
  dev_log("listening on 127.0.0.1:%d", sock.get_port());

  std::vector<std::unique_ptr<DevSession>> sessions(static_cast<size_t>(opt.slots));
  long long deadline = opt.timeout_s > 0 ? dev_now_ms() + opt.timeout_s * 1000LL : 0;
  bool served = false, failed = false;
  while (!stop_requested) {
    if (deadline && dev_now_ms() > deadline) {
      dev_log("timeout");
      failed = true;
      break;
    }
    // Admission: a free slot gets the client; with none free it is turned away.
    int free_slot = -1;
    for (int i = 0; i < opt.slots; ++i)
      if (!sock.is_open(i)) {
        free_slot = i;
        break;
      }
    std::string peer;
    int rc = sock.getconnection(free_slot < 0 ? opt.slots : free_slot, peer);
    if (rc == 0) {
      dev_log("connect[%d]: %s", free_slot, peer.c_str());
      sessions[static_cast<size_t>(free_slot)] =
          std::make_unique<DevSession>(sock, free_slot, opt, store, scenario);
      sessions[static_cast<size_t>(free_slot)]->start();
      served = true;
    } else if (rc == -1) {
      dev_log("server full: turned a client away");
    }

    for (int i = 0; i < opt.slots; ++i) {
      auto& s = sessions[static_cast<size_t>(i)];
      if (!s) continue;
      std::string line;
      int r = s->closed() ? -3 : sock.get_message(i, line);
      if (r == 1) {
        s->on_line(line);
      } else if (r <= -2) {
        s->close("connection closed");
      }
      if (!s->closed()) s->tick();
      if (s->closed()) {
        failed = failed || s->scenario_failed();
        s.reset();
      }
    }
    if (opt.once && served) {
      bool any_open = false;
      for (const auto& s : sessions) any_open = any_open || s != nullptr;
      if (!any_open) stop_requested = true;
    }
    usleep(POLL_SLEEP_US);
  }
  // Characters still in play are written back.
  for (auto& s : sessions)
    if (s && !s->closed()) s->close("server stopping");
  dev_log("stopping");
  return failed ? 1 : 0;
}
