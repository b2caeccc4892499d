#include "dev_session.h"

#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>

#include "app/login.h"
#include "core/compression.h"
#include "core/item.h"
#include "core/number_codec.h"
#include "core/spells.h"
#include "core/string_utils.h"
#include "core/utils.h"
#include "net/socket.h"

namespace {

FILE* log_file = nullptr;
std::set<std::string> accounts_in_play;
int next_character_id = 100;

constexpr int LOGIN_FIELDS = 19;
constexpr int CLOCK_PERIOD_MS = 2000;

// The game's rules: announced in the "p" reply and used by our own
// character rules alike.
constexpr int RULE_LEVELS = 1;
constexpr float RULE_STAT_VALUE = 1.0f;
constexpr int RULE_LEVEL_CAP = 50;
// Levels gained are spent by the player (the side panel's "Level up!").
constexpr int RULE_MANUAL_LEVELLING = 1;

bool is_hex(const std::string& s, size_t max_len) {
  if (s.empty() || s.size() > max_len) return false;
  for (char c : s)
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  return true;
}
bool is_int(const std::string& s) {
  size_t i = s.size() > 1 && s[0] == '-' ? 1 : 0;
  if (i >= s.size() || s.size() > 11) return false;
  for (; i < s.size(); ++i)
    if (!std::isdigit(static_cast<unsigned char>(s[i]))) return false;
  return true;
}
bool is_name(const std::string& s, size_t max_len, bool letters_only) {
  if (s.empty() || s.size() > max_len) return false;
  for (unsigned char c : s)
    if (c >= 0x80 || (letters_only ? !std::isalpha(c) : !std::isalnum(c))) return false;
  return true;
}
bool is_word(const std::string& s) {
  if (s.empty() || s.size() > 1000) return false;
  for (unsigned char c : s)
    if (c <= 0x20 || c >= 0x7f) return false;
  return true;
}

}  // namespace

std::string dev_b222(int v) { return encode_number(v); }

std::string dev_fov_entry(int id, long code, int x, int y, int health, char align) {
  return dev_b222(id) + " " + Item(code).to_packed_str() + " " + dev_b222(x) + " " + dev_b222(y) + " " +
         pack_fov_status(2, health, align, false, 0);
}

void dev_apply_rules() {
  PLAYER_LEVELS = RULE_LEVELS != 0;
  STAT_VALUE = RULE_STAT_VALUE;
  level_cap = RULE_LEVEL_CAP;
}

long long dev_now_ms() {
  timeval tv{};
  gettimeofday(&tv, nullptr);
  return static_cast<long long>(tv.tv_sec) * 1000 + tv.tv_usec / 1000;
}

void dev_log_open(const std::string& path) {
  if (!path.empty()) log_file = std::fopen(path.c_str(), "a");
}

void dev_log(const char* fmt, ...) {
  char buf[4096];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(buf, sizeof buf, fmt, ap);
  va_end(ap);
  std::printf("devserver: %s\n", buf);
  std::fflush(stdout);
  if (log_file) {
    std::fprintf(log_file, "%s\n", buf);
    std::fflush(log_file);
  }
}

std::string parse_login_line(const std::string& line, LoginRequest& out) {
  std::vector<std::string> f;
  split(line, " ", f);
  if (f.size() != LOGIN_FIELDS) return format_str("%zu fields instead of %d", f.size(), LOGIN_FIELDS);
  if (f[0] != "C") return "not a login line";
  if (!is_hex(f[1], 8)) return "program checksum";
  out.program_crc = static_cast<unsigned>(std::strtoul(f[1].c_str(), nullptr, 16));
  if (!is_int(f[11]) || (f[11] != "0" && f[11] != "1")) return "create flag";
  out.create = f[11] == "1";
  if (!is_name(f[2], LOGIN_ACCOUNT_MAX, false)) return "account name";
  if (!is_name(f[3], LOGIN_PASSWORD_MAX, false)) return "password";
  if (!is_name(f[4], out.create ? LOGIN_NEW_NAME_MAX : LOGIN_CHARACTER_MAX, out.create != 0))
    return "character name";
  if (!is_word(f[5])) return "game master password";
  if (!is_word(f[6])) return "program name";
  if (!is_word(f[7])) return "platform";
  if (f[8] != "x" || f[9] != "x" || f[10] != "x") return "reserved fields";
  if (!is_hex(f[12], 8)) return "avatar";
  if (!is_int(f[13])) return "class";
  if (f[14].size() != 1) return "gender";
  if (!is_hex(f[15], 16)) return "reserved number";
  if (!is_int(f[16]) || !is_int(f[17]) || !is_int(f[18])) return "trailing numbers";
  if (out.create && f[14] != "M" && f[14] != "F") return "gender";
  out.account = f[2];
  out.password = f[3];
  out.name = f[4];
  out.dm_password = f[5];
  out.program = f[6];
  out.platform = f[7];
  out.avatar = static_cast<unsigned>(std::strtoul(f[12].c_str(), nullptr, 16));
  out.cls = std::atoi(f[13].c_str());
  out.gender = f[14][0];
  out.hide_dm = std::atoi(f[17].c_str());
  out.race = std::atoi(f[18].c_str());
  return "";
}

std::string load_scenario(const std::string& path, std::vector<ScenarioStep>& steps) {
  FILE* f = std::fopen(path.c_str(), "r");
  if (!f) return "cannot open " + path;
  std::string line;
  while (read_line(f, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    size_t blank = line.find(' ');
    ScenarioStep s{line.substr(0, blank), blank == std::string::npos ? "" : line.substr(blank + 1)};
    if (s.op != "send" && s.op != "expect" && s.op != "expect_prefix" && s.op != "close" &&
        s.op != "wait" && s.op != "push" && s.op != "book" && s.op != "await" &&
        s.op != "creature" && s.op != "until") {
      std::fclose(f);
      return "unknown step: " + line;
    }
    steps.push_back(s);
  }
  std::fclose(f);
  return "";
}

DevSession::DevSession(Socket& s, int id_, const DevOptions& o, DevStore& st,
                       const std::vector<ScenarioStep>& sc)
    : sock(s), id(id_), opt(o), store(st), scenario(sc) {}

void DevSession::start() {
  if (opt.clock_minute >= 0) world_minutes = opt.clock_minute;
  sock.sndAck(id);
  state = LOGIN;
  login_deadline_ms = dev_now_ms() + opt.login_timeout_ms;
}

void DevSession::send(const std::string& line) {
  dev_log("send[%d]: %s", id, line.c_str());
  sock.sckSend(id, line);
}

void DevSession::close(const char* why) {
  if (state == CLOSED) return;
  dev_log("close[%d]: %s", id, why);
  if (logged_in) {
    const int rc = things_held ? store.save_player(pl, market.pack) | store.save_chest(pl, market.chest)
                               : store.save_player(pl);
    if (rc != 0) dev_log("could not save %s", ch.name.c_str());
    logged_in = false;
  }
  if (!ch.account.empty()) accounts_in_play.erase(ch.account);
  sock.sckClose(id);
  state = CLOSED;
}

void DevSession::on_line(const std::string& line) {
  dev_log("recv[%d]: %s", id, line.c_str());
  switch (state) {
    case LOGIN:
      on_login(line);
      break;
    case REPORT:
      if (line.rfind("Y ", 0) == 0) on_report(line);
      break;
    case PUSH:
      if (line == "*" || line == "**") {
        sock.serve_transfer_request(id, line);
        if (line == "**") push_next_file();
      }
      break;
    case SYNC:
      if (line == "*") {
        if (sync_chunks_sent++ == 0) {
          std::string inv = sample_inventory();
          dev_log("send[%d]: <inventory> %s", id, inv.c_str());
          sock.sckSend(id, deflate(inv));
        } else {
          send("EI");
        }
      } else if (line == "**") {
        state = PLAY;
        send_level(DEV_LEVEL, false);
        send("Z");
      }
      break;
    case SCENARIO:
      if (line == "*" || line == "**") {
        serve_requests(line);
        break;
      }
      if (line.rfind("L ", 0) == 0) serve_requests(line);
      if (line == "Z") send("Z");  // a pushed data file arrived: reload
      store_hotkey(line);
      if (step < scenario.size() && scenario[step].op == "await") {
        // Lines before the awaited one (pings, stat reports) pass by.
        if (line.rfind(scenario[step].arg, 0) == 0) {
          ++step;
          run_scenario();
        }
      } else if (step < scenario.size() &&
                 (scenario[step].op == "expect" || scenario[step].op == "expect_prefix")) {
        const ScenarioStep& s = scenario[step];
        bool ok = s.op == "expect" ? line == s.arg : line.rfind(s.arg, 0) == 0;
        if (!ok) {
          dev_log("scenario: expected [%s] got [%s]", s.arg.c_str(), line.c_str());
          failed = true;
        }
        ++step;
        run_scenario();
      } else if (line == "q") {
        close("quit");
      }
      break;
    case PLAY:
      play(line);
      break;
    default:
      break;
  }
}

void DevSession::on_login(const std::string& line) {
  LoginRequest req;
  std::string bad = parse_login_line(line, req);
  if (!bad.empty()) {
    dev_log("bad login line from %d: %s", id, bad.c_str());
    close("bad login line");
    return;
  }
  std::string verdict = "C0";
  if (!opt.forced_verdict.empty()) {
    verdict = opt.forced_verdict;
  } else if (!opt.client_crc.empty() &&
             std::strtoul(opt.client_crc.c_str(), nullptr, 16) != req.program_crc) {
    verdict = "C1";
  } else if (req.create) {
    if (opt.creation_disabled) verdict = "C8";
    else if (!store.password_ok(req.account, req.password)) verdict = "C3";
    else if (store.banned(req.account)) verdict = "C7";
    else if (store.character_exists(req.name)) verdict = "C2";
  } else {
    if (!store.password_ok(req.account, req.password)) verdict = "C3";
    else if (store.banned(req.account)) verdict = "C7";
    else if (accounts_in_play.count(req.account)) verdict = "C4";
    else if (!store.character_exists(req.name)) verdict = "C5";
  }
  if (verdict == "C0") {
    if (req.create) {
      DevNewCharacter n;
      n.name = req.name;
      n.account = req.account;
      n.gender = req.gender;
      n.race = req.race;
      n.cls = req.cls;
      n.avatar = req.avatar;
      n.id = next_character_id++;
      if (store.create_character(n, ch, pl) != 0) {
        // No verdict fits a server that cannot write: the client sees the
        // connection close.
        dev_log("could not store the new character %s", req.name.c_str());
        ch = DevCharacter();
        close("cannot store the character");
        return;
      }
    } else {
      int rc = store.load_character(req.name, ch, pl);
      if (rc != 0) {
        dev_log("could not load %s (%d)", req.name.c_str(), rc);
        verdict = "C5";  // a character file that cannot be read holds no character
      } else if (ch.account != req.account) {
        verdict = "C6";
      }
    }
  }
  send(verdict);
  if (verdict != "C0") {
    ch = DevCharacter();
    close("refused");
    return;
  }
  logged_in = true;
  accounts_in_play.insert(ch.account);
  if (opt.start_x >= 0) {
    pl.x = static_cast<int16_t>(opt.start_x);
    pl.y = static_cast<int16_t>(opt.start_y);
  }
  things_held = store.load_things(pl, market.pack, market.chest) == 0;
  if (opt.market) {
    market_setup(!things_held);
    things_held = true;
  }
  send_handshake();
  state = REPORT;
}

void DevSession::send_handshake() {
  send(format_str("INIT %d %d       %d %d %d %d %d %d      %s %c %d %d", ch.id, 0, 1, 1, 0, 3, 0,
                  100, ch.name.c_str(), pl.gender, pl.race, pl.cls));
  send(pl.mk_h_record(true));
  send("7");
  send(format_str("p %d 0 0 %.1f 0.0 %d %d 0 0 0 0", RULE_LEVELS,
                  static_cast<double>(RULE_STAT_VALUE), RULE_LEVEL_CAP, RULE_MANUAL_LEVELLING));
  send(pl.mk_arms_msg());
  send(pl.mk_skill_list(false));
  send(pl.mk_skill_list(true));
  std::string items, spells_line;
  for (int i = 0; i < PLAYER_HOTKEYS; ++i) {
    items += (i ? " " : "") + pl.item_binds[i].str(false);
    spells_line += (i ? " " : "") + std::to_string(pl.spell_binds[i]);
  }
  send(items);
  send(spells_line);
  // A character that knows no spell yet learns those its class may cast at
  // its level and skill.
  if (pl.spells.empty()) {
    for (int s = 0; s < spells.get_num_spells(); ++s) {
      const int skill = spells.get_skill(s);
      if (spells.is_valid_id(s) && spells.class_can_use(s, pl.cls) && spells.get_lvl(s) <= pl.lvl &&
          (skill < 0 || pl.get_skill(skill) >= static_cast<float>(spells.get_min_skill(s))))
        pl.add_spell(s);
    }
  }
  std::string known;
  for (int s : pl.spells) known += (known.empty() ? "" : " ") + std::to_string(s);
  send(known);
}

void DevSession::on_report(const std::string& line) {
  std::vector<std::string> crcs;
  split(line.substr(2), ":", crcs);
  pushes.clear();
  for (size_t i = 0; i < crcs.size() && i < 21; ++i) {
    std::string path = opt.world_dir + "/" + LOGIN_REPORTED_FILES[i];
    int world_crc = file_crc32(path);
    uint32_t client_crc = static_cast<uint32_t>(std::strtoul(crcs[i].c_str(), nullptr, 16));
    if (world_crc != -1 && static_cast<uint32_t>(world_crc) != client_crc)
      pushes.emplace_back(static_cast<int>(i), client_crc);
  }
  state = PUSH;
  push_next_file();
}

// One data file at a time: its transfer ends with the client's "**".
void DevSession::push_next_file() {
  if (pushes.empty()) {
    begin_readiness();
    return;
  }
  auto [index, client_crc] = pushes.front();
  pushes.erase(pushes.begin());
  const char* name = LOGIN_REPORTED_FILES[index];
  send(format_str("Y %d", index));
  int rc = sock.send_file(id, opt.world_dir + "/" + name, name, client_crc);
  dev_log("send_file[%d]: %s rc=%d", id, name, rc);
  // Nothing follows the header when the copy is good: no "**" will come.
  if (rc != 1) push_next_file();
}

void DevSession::begin_readiness() {
  state = SYNC;
  sync_chunks_sent = 0;
  send("h 0");
}

void DevSession::send_level(int map, bool transfer) {
  current_map = map;
  std::string file = format_str("cmaps/lvl%03d.map", map);
  uint32_t crc = static_cast<uint32_t>(file_crc32(file));
  int level = map == DEV_LEVEL ? pl.map_level : map;
  send(format_str("K %d %d %d %d %d %x %d %d", transfer ? 1 : 0, map, level, pl.x, pl.y, crc,
                  transfer ? 1 : 0, current_level_flag));
  if (transfer) {
    transfer_pending = true;
    int rc = sock.send_file(id, file, file, crc ^ 1u);
    dev_log("send_file[%d]: %s rc=%d", id, file.c_str(), rc);
  }
}

bool DevSession::serve_requests(const std::string& line) {
  if (line == "*" || line == "**") {
    sock.serve_transfer_request(id, line);
    if (line == "**" && transfer_pending) {
      transfer_pending = false;
      if (got_i) become_ready();
    }
    return true;
  }
  int level = 0;
  if (std::sscanf(line.c_str(), "L %d", &level) == 1) {
    send_level(current_map, true);
    return true;
  }
  return false;
}

void DevSession::push_file(const std::string& which) {
  std::string name = which;
  if (!which.empty() && std::isdigit(static_cast<unsigned char>(which[0]))) {
    int index = std::atoi(which.c_str());
    if (index < 0 || index >= 21) return;
    name = LOGIN_REPORTED_FILES[index];
    send(format_str("Y %d", index));
  } else {
    send("Y -1");
  }
  int rc = sock.send_file(id, opt.world_dir + "/" + name, name, 0);
  dev_log("send_file[%d]: %s rc=%d", id, name.c_str(), rc);
}

// The form of a polymorph: to-hit, armour, 2d6, magic resistance, 250 ms
// a step, 450 ms a bite and the stat multipliers.
void DevSession::send_polymorph_form() {
  send(format_str("y %x %d %d %d %d %d %d %d %f %f %f", DEV_POLYMORPH_FORM, 12, 6, 2, 6, 0, 250,
                  450, 0.45, 0.45, 0.1));
}

void DevSession::show_world() {
  send_polymorph_form();
  if (opt.market) {
    show_market();
    return;
  }
  wander_x = pl.x + 2;
  wander_y = pl.y + 1;
  std::string fov = "F2";
  fov += FOV_SEPARATOR + dev_fov_entry(DEV_CREATURE_ID, DEV_CREATURE_CODE, wander_x, wander_y, 90, 'e');
  ground_x[0] = pl.x + 1;
  ground_y[0] = pl.y;
  ground_x[1] = pl.x - 1;
  ground_y[1] = pl.y;
  fov += FOV_SEPARATOR + dev_fov_entry(DEV_GROUND_ID, DEV_GROUND_CODE, pl.x + 1, pl.y, 0, 'n');
  fov += FOV_SEPARATOR + format_str("R %s %s %s 0", dev_b222(pl.x).c_str(), dev_b222(pl.y).c_str(),
                                    dev_b222(pl.map_level).c_str());
  send(fov);
  send("G1" + std::string(1, FOV_SEPARATOR) +
       dev_fov_entry(DEV_GROUND_ID + 1, DEV_GROUND_CODE, pl.x - 1, pl.y, 0, 'n'));
  send("W Guide Look around, the goblin is harmless.");
  next_wander_ms = dev_now_ms() + DEV_WANDER_PERIOD_MS;
  if (opt.crowd > 0) start_crowd();
}

// The members stand on the square rings two to six cells around the
// player, eight to a ring evenly spread, so that every one is in view.
void DevSession::start_crowd() {
  crowd.clear();
  for (int k = 0; k < opt.crowd; ++k) {
    const int ring = 2 + k % 5;
    // Clockwise round the ring from its top-left corner.
    const int p = (k / 5 * ring) % (8 * ring), side = p / (2 * ring), along = p % (2 * ring);
    CrowdMember m;
    m.x = pl.x + (side == 0 ? -ring + along : side == 1 ? ring : side == 2 ? ring - along : -ring);
    m.y = pl.y + (side == 0 ? -ring : side == 1 ? -ring + along : side == 2 ? ring : ring - along);
    crowd.push_back(m);
  }
  crowd_next = 0;
  next_crowd_ms = dev_now_ms();
}

void DevSession::step_crowd() {
  static const int DX[] = {1, 0, -1, 0};
  static const int DY[] = {0, 1, 0, -1};
  const size_t i = crowd_next++ % crowd.size();
  CrowdMember& m = crowd[i];
  int k = m.step++ % 4;
  m.x += DX[k];
  m.y += DY[k];
  int dir = get_direction(m.x - DX[k], m.y - DY[k], m.x, m.y);
  const int creature = DEV_CROWD_FIRST_ID + static_cast<int>(i);
  // Not logged: fifty lines a second would bury the rest of the log.
  sock.sckSend(id, format_str("o %s %s %s %s %s 0 %s %s %d e", dev_b222(creature).c_str(),
                              dev_b222(m.x).c_str(), dev_b222(m.y).c_str(), dev_b222(pl.map_level).c_str(),
                              dev_b222(DEV_CREATURE_CODE).c_str(), dev_b222(90).c_str(), dev_b222(0).c_str(),
                              dir));
}

// The creature walks a small square around its first cell.
void DevSession::wander() {
  static const int DX[] = {1, 0, -1, 0};
  static const int DY[] = {0, 1, 0, -1};
  int k = wander_step++ % 4;
  wander_x += DX[k];
  wander_y += DY[k];
  int dir = get_direction(wander_x - DX[k], wander_y - DY[k], wander_x, wander_y);
  send(format_str("o %s %s %s %s %s 0 %s %s %d e", dev_b222(DEV_CREATURE_ID).c_str(),
                  dev_b222(wander_x).c_str(), dev_b222(wander_y).c_str(), dev_b222(pl.map_level).c_str(),
                  dev_b222(DEV_CREATURE_CODE).c_str(), dev_b222(90).c_str(), dev_b222(0).c_str(), dir));
}

void DevSession::play(const std::string& line) {
  if (serve_requests(line)) return;
  if (opt.market && market_request(line)) return;
  if (line == "i") {
    got_i = true;
    if (!transfer_pending) become_ready();
    return;
  }
  if (line == "Z") {
    send("Z");  // a pushed data file arrived: reload
    return;
  }
  if (line == "q") {
    close("quit");
    return;
  }
  if (store_hotkey(line)) return;
  if (take_levels(line)) return;
  on_move(line);
}

void DevSession::load_walk_map() {
  if (walk_map_number != current_map) {
    walk_map_number = current_map;
    std::ifstream in(format_str("cmaps/lvl%03d.map", current_map), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    walk_map = CMap();
    if (!in.good() && !in.eof()) bytes.clear();
    if (bytes.empty() || walk_map.read_level(bytes) != 0) walk_map = CMap();
  }
}

bool DevSession::cell_free(int x, int y) {
  load_walk_map();
  if (!walk_map.notblocked(x, y, false)) return false;
  if (opt.market) return market_cell_free(x, y);
  if (x == wander_x && y == wander_y) return false;
  for (int i = 0; i < 2; ++i)
    if (x == ground_x[i] && y == ground_y[i]) return false;
  return true;
}

bool DevSession::on_move(const std::string& line) {
  int tx = 0, ty = 0, lvl = 0, ox = 0, oy = 0, token = 0;
  int n = std::sscanf(line.c_str(), "m %d %d %d %d %d %d", &tx, &ty, &lvl, &ox, &oy, &token);
  if (n < 5) return false;
  const std::string here = format_str("%s %s %s", dev_b222(pl.x).c_str(), dev_b222(pl.y).c_str(),
                                      dev_b222(pl.map_level).c_str());
  if (n == 5) {
    // The client lost track of its place: tell it where it stands.
    dev_log("resync[%d]: %d %d", id, pl.x, pl.y);
    send(format_str("m -1 %d %d %d %d 0", pl.x, pl.y, pl.map_level, pl.direction));
    send("R " + here + " 0");
    return true;
  }
  // One step from where the character stands, onto a free cell.
  bool ok = lvl == pl.map_level && std::abs(tx - pl.x) <= 1 && std::abs(ty - pl.y) <= 1 &&
            cell_free(tx, ty);
  int dir = get_direction(pl.x, pl.y, tx, ty);
  if (dir != 0) pl.direction = static_cast<int16_t>(dir);
  if (!ok) {
    dev_log("move[%d]: %d %d refused", id, tx, ty);
    send(format_str("m 0 %d %d %d %d 0", pl.x, pl.y, pl.map_level, pl.direction));
    send(format_str("R %s %d", here.c_str(), token));
    return true;
  }
  pl.x = static_cast<int16_t>(tx);
  pl.y = static_cast<int16_t>(ty);
  dev_log("move[%d]: %d %d", id, tx, ty);
  send(format_str("m 1 %d %d %d %d 0", tx, ty, lvl, pl.direction));
  send(format_str("R %s %s %s %d", dev_b222(tx).c_str(), dev_b222(ty).c_str(), dev_b222(lvl).c_str(), token));
  if (opt.market) market_moved();
  return true;
}

// Hotkey slots: "n i %d %s" (an item, 0 for none) and "n s %d %x" (a spell
// id, -1 for none). They are kept in the character and sent back at login.
bool DevSession::store_hotkey(const std::string& line) {
  char kind = 0;
  int slot = -1;
  char value[128] = {};
  if (std::sscanf(line.c_str(), "n %c %d %127s", &kind, &slot, value) != 3) return false;
  if (slot < 0 || slot >= PLAYER_HOTKEYS) return true;
  if (kind == 'i') {
    pl.item_binds[slot] = std::strcmp(value, "0") == 0 ? Item(0L) : Item(std::string(value));
  } else if (kind == 's') {
    pl.spell_binds[slot] = std::strcmp(value, "-1") == 0 ? -1 : static_cast<int>(std::strtol(value, nullptr, 16));
  }
  return true;
}

void DevSession::become_ready() {
  if (ready) return;
  ready = true;
  dev_log("ready[%d]: %s", id, ch.name.c_str());
  send("MsWelcome to the sample world, " + ch.name + "!");
  show_world();
  offer_levels();
  if (!scenario.empty()) {
    state = SCENARIO;
    step = 0;
    run_scenario();
  }
}

int DevSession::levels_due() const {
  int16_t reached = 1;
  float percent = 0;
  get_level_from_exp(static_cast<int>(std::clamp<int64_t>(pl.xp, 0, INT_MAX)), reached, percent);
  return std::max(0, std::min<int>(reached, RULE_LEVEL_CAP) - pl.lvl);
}

void DevSession::offer_levels() {
  const int due = levels_due();
  if (due <= levels_offered) return;
  send(format_str("X %d %d", pl.lvl + due, due - levels_offered));
  levels_offered = due;
}

bool DevSession::take_levels(const std::string& line) {
  int points[4] = {};
  if (std::sscanf(line.c_str(), "H %d %d %d %d", &points[0], &points[1], &points[2], &points[3]) != 4)
    return false;
  dev_log("levelup[%d]: %d %d %d %d", id, points[0], points[1], points[2], points[3]);
  const int due = levels_due();
  if (due == 0) {
    send("MsYou have no level to take yet.");
    return true;
  }
  // Strength, dexterity and intelligence; the world has no fourth stat. A
  // refused choice spent the client's points: the levels are offered again.
  int spent = 0;
  bool valid = true;
  for (int k = 0; k < 4; ++k) {
    valid = valid && points[k] >= 0 && points[k] <= due && (k < 3 || points[k] == 0);
    if (valid) spent += points[k];
  }
  if (!valid || spent == 0 || spent > due) {
    if (valid) send(format_str("MsYou have %d point%s to spend, not %d.", due, due == 1 ? "" : "s", spent));
    else send("MsThose points cannot be spent.");
    levels_offered = 0;
    offer_levels();
    return true;
  }
  pl.lvl = static_cast<int16_t>(pl.lvl + spent);
  pl.str += static_cast<float>(points[0]);
  pl.dex += static_cast<float>(points[1]);
  pl.intel += static_cast<float>(points[2]);
  levels_offered = std::max(0, levels_offered - spent);
  send(format_str("MsYou are now level %d: strength %d, dexterity %d, intelligence %d.", pl.lvl,
                  static_cast<int>(pl.str), static_cast<int>(pl.dex), static_cast<int>(pl.intel)));
  send(pl.mk_h_record(true));
  return true;
}

void DevSession::run_scenario() {
  while (state == SCENARIO && step < scenario.size()) {
    const ScenarioStep& s = scenario[step];
    if (s.op == "send") {
      // A scripted level change: a map request that follows gets this map
      // with its level flag.
      int transfer = 0, map = 0, level = 0, x = 0, y = 0, fresh = 0, flag = 0;
      unsigned crc = 0;
      const int n = std::sscanf(s.arg.c_str(), "K %d %d %d %d %d %x %d %d", &transfer, &map, &level,
                                &x, &y, &crc, &fresh, &flag);
      if (n >= 2) {
        current_map = map;
        current_level_flag = n == 8 ? flag : 0;
      }
      send(s.arg);
      ++step;
    } else if (s.op == "creature") {
      send_creature(s.arg);
      ++step;
    } else if (s.op == "wait") {
      if (wait_until_ms == 0) wait_until_ms = dev_now_ms() + std::atoll(s.arg.c_str());
      if (dev_now_ms() < wait_until_ms) return;
      wait_until_ms = 0;
      ++step;
    } else if (s.op == "until") {
      if (access(s.arg.c_str(), F_OK) != 0) return;
      ++step;
    } else if (s.op == "book") {
      // The book's text travels compressed; "|" in the step ends a line.
      std::string text = s.arg;
      std::replace(text.begin(), text.end(), '|', static_cast<char>(31));
      dev_log("send[%d]: <book> %zu bytes", id, text.size());
      sock.sckSend(id, "q" + deflate(text));
      ++step;
    } else if (s.op == "push") {
      push_file(s.arg);
      ++step;
    } else if (s.op == "close") {
      ++step;
      close("scenario");
      return;
    } else {
      return;  // waits for the client's next line
    }
  }
  if (state == SCENARIO && step >= scenario.size() && !scenario_done) {
    scenario_done = true;
    dev_log("scenario[%d]: done", id);
  }
}

void DevSession::send_creature(const std::string& arg) {
  int npc = 0, dx = 0, dy = 0;
  unsigned code = 0;
  char name[64] = {};
  if (std::sscanf(arg.c_str(), "%d %x %d %d %63s", &npc, &code, &dx, &dy, name) != 5) return;
  send(format_str("i\t%d\tm\t%s\t0\t0", npc, name));
  send("G1" + std::string(1, FOV_SEPARATOR) + dev_fov_entry(npc, code, pl.x + dx, pl.y + dy, 90, 'n'));
}

void DevSession::tick() {
  if (state == LOGIN && dev_now_ms() >= login_deadline_ms) {
    close("no login in time");
    return;
  }
  if (state == SCENARIO) run_scenario();
  if (state == PLAY && ready && opt.market) market_tick();
  if ((state == PLAY || state == SCENARIO) && ready && next_wander_ms != 0 && !opt.still &&
      dev_now_ms() >= next_wander_ms) {
    next_wander_ms = dev_now_ms() + DEV_WANDER_PERIOD_MS;
    wander();
  }
  if ((state == PLAY || state == SCENARIO) && ready && !crowd.empty()) {
    // A server that fell behind skips the missed steps rather than bursting.
    const long long now = dev_now_ms(), period = 1000 / DEV_CROWD_UPDATES_PER_S;
    if (now - next_crowd_ms > 10 * period) next_crowd_ms = now;
    for (; now >= next_crowd_ms; next_crowd_ms += period) step_crowd();
  }
  if (state == PLAY && ready && dev_now_ms() >= next_clock_ms) {
    next_clock_ms = dev_now_ms() + CLOCK_PERIOD_MS;
    world_minutes = (world_minutes + 1) % 1440;
    sock.sckSend(id, format_str("t %d %d", world_minutes, 0));
  }
}
