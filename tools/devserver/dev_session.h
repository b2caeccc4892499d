#pragma once
// One client of the development server: login, handshake replies, the
// readiness sequence, a little play, and an optional scenario.

#include <cstdint>
#include <string>
#include <vector>

#include "dev_market.h"
#include "dev_store.h"
#include "app/login.h"
#include "core/item_bases.h"
#include "world/cmap.h"
#include "world/player.h"

class Socket;

struct DevOptions {
  int port = 28889;
  std::string data_dir = "devserver-data";
  std::string world_dir = DEVSERVER_WORLD_DIR;  // the sample world's gamedata/
  std::string scenario_file;
  std::string log_file;
  std::string forced_verdict;        // answer every login with this verdict
  std::string client_crc;            // when set, other CRCs get "C1"
  bool creation_disabled = false;
  bool once = false;                 // end when the last client has left
  int slots = 4;
  int timeout_s = 0;                 // 0 = run until stopped
  bool market = false;               // the market world that a player plays (dev_market.cpp)
  int clock_minute = -1;             // the game clock's first minute; -1 the default
  int crowd = 0;                     // creatures walking around the player (load tests)
  bool still = false;                // the sample world's creature stays on its cell
  int start_x = -1, start_y = -1;    // the cell every character starts on; -1 its own
  // A connection that has not logged in by then is closed, so that idle
  // connections cannot hold every slot.
  int login_timeout_ms = 5000;
};

// Checks a login line field by field; "" when it is well-formed, else what is wrong.
std::string parse_login_line(const std::string& line, LoginRequest& out);

struct ScenarioStep {
  // send, expect, expect_prefix, close, wait, push (an index into the login
  // report, or a path in the world); await (the next client line that begins
  // with the argument, other lines pass); book (its text sent compressed, "|"
  // ending a line); creature ("ID CODE DX DY NAME": a
  // named creature that many cells from the player); until (held until the
  // file named exists: a test creates it once the client shows what the next
  // step needs).
  std::string op;
  std::string arg;
};
// "" when read, else the problem.
std::string load_scenario(const std::string& path, std::vector<ScenarioStep>& steps);

class DevSession {
 public:
  enum State { IDLE, LOGIN, REPORT, PUSH, SYNC, PLAY, SCENARIO, CLOSED };

  DevSession(Socket& s, int id, const DevOptions& opt, DevStore& store,
             const std::vector<ScenarioStep>& scenario);
  void start();
  // Handles one line from the client.
  void on_line(const std::string& line);
  // Periodic work (scenario steps, the clock).
  void tick();
  bool closed() const { return state == CLOSED; }
  bool scenario_failed() const { return failed; }
  void close(const char* why);

 private:
  Socket& sock;
  int id;
  const DevOptions& opt;
  DevStore& store;
  std::vector<ScenarioStep> scenario;
  size_t step = 0;
  bool scenario_done = false;
  State state = IDLE;
  DevCharacter ch;
  // The character in play, loaded from its character file at login and
  // written back when the session ends.
  Player pl;
  bool logged_in = false;
  int sync_chunks_sent = 0;
  bool failed = false;
  long long wait_until_ms = 0;
  long long login_deadline_ms = 0;
  long long next_clock_ms = 0;
  int world_minutes = 540;
  bool transfer_pending = false;
  bool got_i = false;
  bool ready = false;
  // Levels the experience has reached and the client was told of ("X"),
  // not yet taken.
  int levels_offered = 0;
  // Data files the client holds in another version: index and its CRC.
  std::vector<std::pair<int, uint32_t>> pushes;
  // The map and level flag of the last level change sent; a map request
  // gets this level.
  int current_map = 1;
  int current_level_flag = 0;
  // The level walked on, for the move checks (loaded on the first move).
  CMap walk_map;
  int walk_map_number = -1;
  // The cells of the two ground objects.
  int ground_x[2] = {-1, -1}, ground_y[2] = {-1, -1};
  // The wandering creature: its cell and the time of its next step.
  int wander_x = 0, wander_y = 0, wander_step = 0;
  long long next_wander_ms = 0;
  // The crowd: each member walks a small square of its own around the player;
  // one of them steps at a time, at DEV_CROWD_UPDATES_PER_S steps a second.
  struct CrowdMember {
    int x = 0, y = 0, step = 0;
  };
  std::vector<CrowdMember> crowd;
  size_t crowd_next = 0;
  long long next_crowd_ms = 0;
  void start_crowd();
  void step_crowd();

  void send(const std::string& line);
  void on_login(const std::string& line);
  void send_handshake();
  void begin_readiness();
  void on_report(const std::string& line);
  void push_next_file();
  void send_level(int map, bool transfer);
  // Transfer requests and map requests, in any state after the login.
  bool serve_requests(const std::string& line);
  // The surroundings shown once the client is ready: values, view, a whisper.
  void show_world();
  void send_polymorph_form();
  void wander();
  // Pushes one data file outside the login: a number is an index into the
  // login report ("Y N"); anything else a path in the world ("Y -1").
  void push_file(const std::string& which);
  void run_scenario();
  void send_creature(const std::string& arg);
  void play(const std::string& line);
  bool store_hotkey(const std::string& line);
  // Levels reached by experience and not yet taken; those the client has not
  // heard of yet are offered with "X".
  int levels_due() const;
  void offer_levels();
  // The client's level-up choice "H s d i 0": one point for each level due.
  bool take_levels(const std::string& line);
  // A move request: a step ("m" with six numbers) or a resync (five). True
  // when the line was one.
  bool on_move(const std::string& line);
  // Whether the character may step onto the cell: on the map, not a wall or
  // water, and no creature or object standing there.
  bool cell_free(int x, int y);
  // Loads the level walked on when it changed.
  void load_walk_map();
  void become_ready();

  // The market world (dev_market.cpp): who stands where, what the
  // character carries, and the answers to what the player does there.
  MarketWorld market;
  // Whether the market's pack and chest are this character's (stored, or its
  // first kit): only then are they written back with it.
  bool things_held = false;
  // The smith's wares and the goblin of a new session; the pack and the
  // chest of the first kit unless the character brought its own; the card
  // table when the character stands at it.
  void market_setup(bool first_kit);
  void goblin_home();
  // The inventory handed over at login.
  std::string sample_inventory() const;
  void show_market();
  // The guide's words for the way to the market from where the character stands.
  std::string market_direction();
  void market_view();
  std::string here() const;
  int goblin_health() const;
  void track_goblin();
  void goblin_moved(int dir);
  const MarketFigure* figure_at(int x, int y) const;
  const MarketFigure* beside(int figure_id) const;
  bool market_cell_free(int x, int y) const;
  void market_tick();
  void step_goblin();
  void market_moved();
  // True when the line was a request of the market world.
  bool market_request(const std::string& line);
  bool market_talk(const std::string& line);
  void greet(int npc);
  void answer_topic(int npc, const std::string& asked);
  void identify_pack(bool uncurse);
  void chat(const std::string& text);
  bool market_trade(const std::string& line);
  void open_buying();
  void open_selling();
  void open_chest();
  void apply_trade(const std::string& picked);
  bool market_action(const std::string& line);
  bool market_craft(const std::string& line);
  void look(int x, int y);
  void activate(int x, int y);
  void pick_up(int x, int y);
  void drop(const std::string& request);
  void put_on_ground(const Item& item, long qty, int x, int y);
  void use(const Item& item, int x, int y);
  void cast_spell(int spell, bool at_cell, int x, int y, int target);
  void attack(int x, int y, int target, const Item& weapon, bool ranged);
  void hit_goblin(int damage, int kind, const Item& weapon);
};

// One field-of-view entry: id, packed item, cell, packed status.
std::string dev_fov_entry(int id, long code, int x, int y, int health, char align);
// A number in the wire's base-222 form.
std::string dev_b222(int v);
constexpr char FOV_SEPARATOR = 0x1E;

// Writes one line to the server's log (and standard output).
void dev_log(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void dev_log_open(const std::string& path);
long long dev_now_ms();
// Sets the game's rules that the "p" reply announces for our own character
// rules (maxima and stats of the characters in play).
void dev_apply_rules();

constexpr const char* DEV_LEVEL_FILE = "cmaps/lvl001.map";
constexpr int DEV_LEVEL = 1;
// The creature that wanders near the player, and a ground object.
constexpr int DEV_CREATURE_ID = 150;
constexpr int DEV_CREATURE_CODE = 1600;
constexpr int DEV_GROUND_ID = 151;
constexpr int DEV_GROUND_CODE = ITEM_BASE_CURRENCY;  // a gold coin
constexpr int DEV_WANDER_PERIOD_MS = 400;
// The figure of the form a polymorph gives the player (a hill wolf).
constexpr int DEV_POLYMORPH_FORM = 0x213;
// The crowd's ids start here; its position updates a second, all members together.
constexpr int DEV_CROWD_FIRST_ID = 400;
constexpr int DEV_CROWD_UPDATES_PER_S = 50;
