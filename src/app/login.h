#pragma once
// Pieces of the login handshake that tests reach directly.

#include <cstdint>
#include <string>

// The login line's fields, as the client sends them and the development
// server reads them; those of a new character are sent as 0 or 'x' by the
// caller when it logs in an existing one.
struct LoginRequest {
  uint32_t program_crc = 0;
  std::string account, password, name, dm_password, program, platform;
  int create = 0;
  unsigned avatar = 0;
  int cls = 0;
  char gender = 'x';
  int hide_dm = 0;
  int race = 0;
};

// The longest texts of the login fields: the login refuses longer ones and
// the intro forms take no more.
constexpr size_t LOGIN_CHARACTER_MAX = 30;
constexpr size_t LOGIN_ACCOUNT_MAX = 15;
constexpr size_t LOGIN_PASSWORD_MAX = 15;
constexpr size_t LOGIN_NEW_NAME_MAX = 15;
constexpr size_t LOGIN_TEXT_MAX = 1000;

// The 21 data files whose checksums the client reports after logging in.
inline constexpr const char* LOGIN_REPORTED_FILES[21] = {
    "dat/tiles.txt",     "dat/mtiles.txt",   "dat/misc.txt",       "dat/weapons.txt",
    "dat/wearable.txt",  "dat/named.txt",    "dat/other.txt",      "dat/spells.txt",
    "dat/common.cfg",    "dat/skills.txt",   "dat/classes.txt",    "dat/food.txt",
    "dat/races.txt",     "dat/materials.txt", "dat/mounts.txt",    "dat/buffs.txt",
    "dat/mobnames.txt",  "dat/crops.txt",    "dat/serverlist.txt", "dat/underneath.txt",
    "dat/cards.txt"};

// The login form's rules for the text fields of the login line: letters and
// digits only (a new character's name letters only), within the form's limits.
bool valid_login_name(const std::string& s, size_t max_len, bool letters_only);
// A field that travels as one blank-separated word: printable, no blank, not empty.
bool valid_login_word(const std::string& s);

// "Y " and the CRCs of the reported files, as the client sends it.
std::string make_data_file_report();

// Reads up to 60 whitespace-separated integers into `out`, stopping at the
// first value that cannot be read; returns how many were read.
int parse_hotkey_spells(const std::string& line, int* out, int count);
