// The login handshake: admission, the login line, the verdict, the ten
// replies that fill the local character, and the data-file report.

#include "app/login.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/client_app.h"
#include "app/globals.h"
#include "app/requests.h"
#include "core/log.h"
#include "core/string_utils.h"
#include "core/utils.h"

namespace {
constexpr const char* BAN_FORUM_ADDRESS = "the QYX forums";

struct Verdict {
  const char* reply;
  const char* message;
  int result;
};
const Verdict VERDICTS[] = {
    {"C1", nullptr, LOGIN_OUT_OF_DATE},
    {"C2", "New character name exists!", LOGIN_NAME_EXISTS},
    {"C3", "Incorrect account login!", LOGIN_BAD_ACCOUNT},
    {"C4", "Already logged in!", LOGIN_ALREADY_IN},
    {"C5", "Character not found!", LOGIN_NO_CHARACTER},
    {"C6", "Requested character not linked to this account!", LOGIN_NO_CHARACTER},
    {"C7", nullptr, LOGIN_BANNED},
    {"C8", "Character creation has been disabled on this server!", LOGIN_CREATION_OFF},
};
}  // namespace

bool valid_login_name(const std::string& s, size_t max_len, bool letters_only) {
  if (s.empty() || s.size() > max_len) return false;
  for (unsigned char c : s) {
    if (c >= 0x80) return false;
    if (letters_only ? !std::isalpha(c) : !std::isalnum(c)) return false;
  }
  return true;
}

bool valid_login_word(const std::string& s) {
  if (s.empty() || s.size() > LOGIN_TEXT_MAX) return false;
  for (unsigned char c : s)
    if (c <= 0x20 || c >= 0x7f) return false;
  return true;
}

std::string make_data_file_report() {
  std::string line = "Y ";
  for (size_t i = 0; i < 21; ++i) {
    if (i) line += ':';
    line += format_str("%lx", static_cast<unsigned long>(
                                  static_cast<uint32_t>(file_crc32(LOGIN_REPORTED_FILES[i]))));
  }
  return line;
}

namespace {
// The next whitespace-separated integer of `p`; false when none can be read or
// it does not fit an int (a cast would turn it into some other number).
bool read_int_word(const char*& p, int& value) {
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(p, &end, 10);
  if (end == p || errno == ERANGE || v < INT_MIN || v > INT_MAX) return false;
  value = static_cast<int>(v);
  p = end;
  return true;
}
}  // namespace

int parse_hotkey_spells(const std::string& line, int* out, int count) {
  const char* p = line.c_str();
  int n = 0;
  int v = 0;
  while (n < count && read_int_word(p, v)) out[n++] = v;
  return n;
}

int ClientApp::client_init(const char* program_path, const std::string& prog_name, uint8_t create,
                           const std::string& account, const std::string& new_name, char gender,
                           int16_t race, int16_t cls, int32_t avatar) {
  FunctionTrace trace("client init", true);
  trace.printf("player init");

  // Admission.
  int ack = tcpObj.getAck();
  if (ack == 1) {
    d.print_msg("Server full!");
    trace.printf("got nack - server full?");
    return LOGIN_FAILED;
  }
  if (ack < 0) {
    d.print_msg("Connection timeout!");
    trace.printf("get ack returned -1 for error");
    return LOGIN_FAILED;
  }
  if (ack != 0) {
    d.print_msg("Connection error!");
    writelog("Connection time out or some other obscure error!\n");
    trace.printf("get ack got something unexpected");
    return LOGIN_FAILED;
  }
  trace.printf("ok to join");

  // The login line. Its text fields are blank-separated words, so each is
  // checked against the login form's rules before it goes out.
  std::string dm_pass = client_cfg.get_int("dm") == 0 ? "x" : client_cfg.get("dm_passwd");
  int hide_dm = client_cfg.get_int("hide_dm_logon");
  std::string name = create ? new_name : client_cfg.get("name");
  const char* bad = nullptr;
  if (!valid_login_name(account, LOGIN_ACCOUNT_MAX, false))
    bad = "account name";
  else if (!valid_login_name(login_password, LOGIN_PASSWORD_MAX, false))
    bad = "password";
  else if (create ? !valid_login_name(name, LOGIN_NEW_NAME_MAX, true)
                  : !valid_login_name(name, LOGIN_CHARACTER_MAX, false))
    bad = "character name";
  else if (!valid_login_word(dm_pass))
    bad = "game master password";
  else if (!valid_login_word(prog_name))
    bad = "program name";
  else if (create && !std::isalpha(static_cast<unsigned char>(gender)))
    bad = "gender";
  if (bad) {
    d.print_msg("Invalid %s: use letters and digits only.", bad);
    trace.printf("invalid login field: %s", bad);
    return LOGIN_INVALID_FIELD;
  }

  uint32_t crc = program_file_crc(program_path);
  send_login({.program_crc = crc,
              .account = account,
              .password = login_password,
              .name = name,
              .dm_password = dm_pass,
              .program = prog_name,
              .platform = platform_name,
              .create = create ? 1 : 0,
              .avatar = static_cast<unsigned>(create ? avatar : 0),
              .cls = create ? cls : 0,
              .gender = create ? gender : 'x',
              .hide_dm = hide_dm,
              .race = create ? race : 0});

  // The verdict.
  std::string reply;
  if (tcpObj.sckRecv(reply) < 0) return LOGIN_FAILED;
  for (const Verdict& v : VERDICTS) {
    if (reply != v.reply) continue;
    if (v.result == LOGIN_OUT_OF_DATE) {
      writelog("Incorrect client version.\n");
      trace.printf("My crc is bad or I have a version too small");
    } else if (v.result == LOGIN_BANNED) {
      d.print_msg("You have been banned! You may plead your case on the forums: %s",
                  BAN_FORUM_ADDRESS);
    } else {
      d.print_msg("%s", v.message);
    }
    return v.result;
  }
  if (reply != "C0") {
    d.print_msg("Connection closed!");
    return LOGIN_FAILED;
  }

  // The character and the game-wide numbers.
  if (tcpObj.sckRecv(reply) < 0) return LOGIN_FAILED;
  int id = 0, dm = 0, sw1 = 0, sw2 = 0, cap = 0, per_remort = 0, flagged = 0, scap = 0;
  char cname[LOGIN_TEXT_MAX + 1] = {};
  char cgender = 0;
  short crace = 0, ccls = 0;
  if (std::sscanf(reply.c_str(), "INIT %d %d %d %d %d %d %d %d %1000s %c %hd %hd", &id, &dm, &sw1,
                  &sw2, &cap, &per_remort, &flagged, &scap, cname, &cgender, &crace,
                  &ccls) != 12) {
    d.print_msg("Initialisation error!");
    return LOGIN_FAILED;
  }
  me.id = id;
  d.show_age = static_cast<uint8_t>(sw1);
  d.show_class_skills = static_cast<uint8_t>(sw2);
  skill_cap = cap;
  d.show_skill_total = cap > 0;
  d.levels_per_remort = per_remort;
  flagged_skills_only = flagged != 0;
  stat_cap = scap;
  me.gender = cgender;
  me.race = crace;
  me.cls = ccls;
  trace.printf("my id is %d - am_dm=%d", id, dm);
  trace.printf("my xyz is %d %d %d", me.x, me.y, me.map_level);
  me.name = cname;

  // The character's record, its sight and the game's rules.
  if (tcpObj.sckRecv(reply) < 0) return LOGIN_FAILED;
  me.parse_h_record(reply, false);
  if (tcpObj.sckRecv(reply) < 0) return LOGIN_FAILED;
  int sight = 0;
  if (std::sscanf(reply.c_str(), "%d", &sight) != 1) return LOGIN_FAILED;
  me.set_sight(sight);
  if (tcpObj.sckRecv(reply) < 0) return LOGIN_FAILED;
  int levels = 0, permadeath = 0, lcap = 0, manual = 0, pvp = 0, pvp_level = 0, noreq = 0,
      spare = 0;
  float stat_value = 0;
  // The stat scale multiplies every stat: a value that is no number is as
  // unreadable as a missing one.
  if (std::sscanf(reply.c_str(), "p %d %*d %d %f %*f %d %d %d %d %d %d", &levels, &permadeath,
                  &stat_value, &lcap, &manual, &pvp, &pvp_level, &noreq, &spare) != 9 ||
      !std::isfinite(stat_value))
    return LOGIN_FAILED;
  PLAYER_LEVELS = levels != 0;
  PERMADEATH = permadeath != 0;
  STAT_VALUE = stat_value;
  level_cap = lcap;
  manual_levelling = manual;
  pvp_enabled = pvp != 0;
  pvp_min_level = pvp_level;
  g_no_requirements = noreq != 0;
  spare_rule_flag = spare != 0;

  // Equipment and skills.
  if (tcpObj.sckRecv(reply) < 0) return LOGIN_FAILED;
  me.sync_arms(reply);
  if (tcpObj.sckRecv(reply) < 0) return LOGIN_FAILED;
  me.parse_skills(reply, false);
  if (tcpObj.sckRecv(reply) < 0) return LOGIN_FAILED;
  me.parse_skills(reply, true);

  // Hotkeys and known spells.
  if (tcpObj.sckRecv(reply) < 0) return LOGIN_FAILED;
  std::vector<std::string> words;
  split(reply, " ", words);
  if (words.size() >= PLAYER_HOTKEYS)
    for (int i = 0; i < PLAYER_HOTKEYS; ++i) me.item_binds[i] = Item(words[static_cast<size_t>(i)]);
  if (tcpObj.sckRecv(reply) < 0) return LOGIN_FAILED;
  parse_hotkey_spells(reply, me.spell_binds, PLAYER_HOTKEYS);
  if (tcpObj.sckRecv(reply) < 0) return LOGIN_FAILED;
  {
    const char* p = reply.c_str();
    int v = 0;
    while (read_int_word(p, v) && spells.is_valid_id(v)) me.add_spell(v);
  }
  me.dm = dm != 0;
  me.race_rec = sc.get_race(me.race);

  send_data_file_report(make_data_file_report());
  return LOGIN_OK;
}
