// The server's records of the local character: "H" (position and figures),
// "@" (bonuses, perks, buffs, cooldowns, status), "#" (equipment) and the
// ':'-separated skill lists, with the server's writers of each.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "core/log.h"
#include "core/string_utils.h"
#include "core/utils.h"
#include "world/player.h"

int Player::parse_h_record(const std::string& line, bool keep_position, int16_t* out_x,
                           int16_t* out_y) {
  short hx = 0, hy = 0, hlevel = 0, hpvp = 0, hmana = 0, hrage = 0, henergy = 0, hhunger = 0,
        hlvl = 0, hdir = 0;
  int hage = 0, hhp = 0, hhpmax = 0, hmanamax = 0, hthaco = 0, hmr = 0, hremort = 0, hmount = 0;
  unsigned hcode = 0;
  float hac = 0, hstr = 0, hdex = 0, hint = 0;
  long hxp = 0;
  int n = std::sscanf(line.c_str(),
                      "H %hd %hd %hd %d %hd %x %d %hd %hd %hd %d %d %f %d %d %f %f %f %hd %ld %hd "
                      "%d %d %hd",
                      &hx, &hy, &hlevel, &hage, &hpvp, &hcode, &hhp, &hmana, &hrage, &henergy,
                      &hhpmax, &hmanamax, &hac, &hthaco, &hmr, &hstr, &hdex, &hint, &hhunger, &hxp,
                      &hlvl, &hremort, &hmount, &hdir);
  // Fields from the third on are stored as far as they were read.
  if (n >= 3) map_level = hlevel;
  if (n >= 4) age = hage;
  if (n >= 6) code = static_cast<int>(hcode);
  if (n >= 7) hp = hhp;
  if (n >= 8) mana = hmana;
  if (n >= 9) rage = hrage;
  if (n >= 10) energy = henergy;
  if (n >= 11) net_hp_max = hhpmax;
  if (n >= 12) net_mana_max = hmanamax;
  // Figures feed integer rules: an absurd or undefined value is bounded.
  if (n >= 13) net_ac = bounded_figure(hac);
  if (n >= 14) net_thaco = hthaco;
  if (n >= 15) net_magic_resistance = hmr;
  if (n >= 16) str = bounded_figure(hstr);
  if (n >= 17) dex = bounded_figure(hdex);
  if (n >= 18) intel = bounded_figure(hint);
  if (n >= 19) hunger = hhunger;
  if (n >= 20) xp = hxp;
  if (n >= 21) lvl = hlvl;
  if (n >= 22) remort_level = hremort;
  if (n >= 23) mount = hmount;
  if (n >= 24) direction = hdir;
  if (n < PLAYER_H_FIELDS) return 1;
  pvp = hpvp != 0 ? 1 : 0;
  if (!keep_position) {
    x = hx;
    y = hy;
  }
  if (out_x != nullptr && out_y != nullptr) {
    *out_x = hx;
    *out_y = hy;
  }
  return 0;
}

std::string Player::mk_h_record(bool for_self) {
  return format_str(
      "H %d %d %d %d %d %x %d %d %d %d %d %d %0.1f %d %d %0.1f %0.1f %0.1f %d %ld %d %d %d %d", x,
      y, map_level, age, for_self ? 1 : pvp, static_cast<unsigned>(tmp_code != 0 ? tmp_code : code),
      hp, mana, rage, energy, get_hp_max(), get_mana_max(), static_cast<double>(get_ac()),
      get_thaco(), get_magic_resistance(), static_cast<double>(str), static_cast<double>(dex),
      static_cast<double>(intel), hunger, static_cast<long>(xp), lvl, remort_level, mount,
      direction);
}

namespace {

// Reads one number; on failure the stream stays failed and the target keeps
// its value, so a record that ends early changes nothing further. The
// bonuses feed integer sums in the rules, so a value is bounded first; a
// narrower field (the 16-bit light) then keeps to its own range.
template <typename T>
void read_number(std::istringstream& in, T& target) {
  constexpr long long LIMIT = static_cast<long long>(PLAYER_FIGURE_LIMIT);
  long long v = 0;
  if (in >> v) target = bounded_int<T>(std::clamp(v, -LIMIT, LIMIT));
}

}  // namespace

void Player::parse_stats_packet(const std::string& text) {
  std::istringstream in(text);
  char letter = 0;
  in >> letter;
  read_number(in, light);
  int32_t* bonuses[] = {&ac_bonus, &dmg_bonus, &thaco_bonus, &str_bonus, &dex_bonus,
                        &intel_bonus, &sight_bonus, &health_bonus, &mana_bonus};
  for (int32_t* b : bonuses) read_number(in, *b);
  int flag = stats_flag;
  read_number(in, flag);
  stats_flag = flag != 0 ? 1 : 0;
  read_number(in, load_bonus);
  read_number(in, mount_colour);
  for (uint8_t& perk : perk_flags) {
    char c = 0;
    if (in >> c) perk = c == 'y' ? 1 : 0;
  }
  clear_buffs();
  std::string word;
  while (in >> word) {
    if (word == "B") break;
    int id = 0, value = 0;
    char tail = 0;
    if (std::sscanf(word.c_str(), "b%d=%d%c", &id, &value, &tail) == 2) buffs[id] = value;
  }
  for (int i = 0; i < PLAYER_SENT_COOLDOWNS; ++i) read_number(in, cooldowns[i]);
  for (int16_t& h : health) h = 0;
  while (true) {
    long long index = -1, value = 0;
    if (!(in >> index)) break;
    if (index < 0 || index >= MAXHEALTHNUMS) break;
    if (!(in >> value)) break;
    health[index] = bounded_int<int16_t>(value);
  }
}

std::string Player::mk_stats_packet() {
  std::string out = format_str("@ %d %d %d %d %d %d %d %d %d %d %d %d %d", light, ac_bonus,
                               dmg_bonus, thaco_bonus, str_bonus, dex_bonus, intel_bonus,
                               sight_bonus, health_bonus, mana_bonus, stats_flag, load_bonus,
                               mount_colour);
  for (uint8_t perk : perk_flags) out += perk != 0 ? 'y' : 'n';
  for (const auto& [id, value] : buffs) out += format_str(" b%d=%d", id, value);
  out += " B";
  for (int i = 0; i < PLAYER_SENT_COOLDOWNS; ++i) out += format_str(" %d", cooldowns[i]);
  for (int i = 0; i < MAXHEALTHNUMS; ++i)
    if (health[i] != 0) out += format_str(" %d %d", i, health[i]);
  return out;
}

std::string Player::mk_arms_msg() const {
  std::string out = "#";
  Player& self = const_cast<Player&>(*this);
  for (int i = 0; i < PLAYER_NUM_SLOTS; ++i) out += " " + self.slot(i)->str(false);
  return out;
}

int Player::sync_arms(const std::string& text) {
  std::vector<std::string> fields;
  split(text, " ", fields);
  if (fields.size() != PLAYER_NUM_SLOTS + 1) {
    writelog("arms sync split size=%d", static_cast<int>(fields.size()));
    return 1;
  }
  for (int i = 0; i < PLAYER_NUM_SLOTS; ++i) *slot(i) = Item(fields[static_cast<size_t>(i) + 1]);
  return 0;
}

int Player::parse_skills(const std::string& text, bool bonuses) {
  // The list comes from the network: every field keeps its position (an
  // empty one reads 0), and no more values than the arrays hold are taken.
  float* target = bonuses ? skill_bonuses : skills;
  int count = player_skill_count();
  size_t pos = 0;
  for (int i = 0; i < count; ++i) {
    float v = 0.0f;
    if (pos <= text.size()) {
      size_t end = text.find(':', pos);
      if (end == std::string::npos) end = text.size();
      std::string token = text.substr(pos, end - pos);
      if (!token.empty()) {
        char* stop = nullptr;
        float f = std::strtof(token.c_str(), &stop);
        if (stop != token.c_str() && std::isfinite(f)) v = bounded_figure(f);
      }
      pos = end + 1;
    }
    target[i] = v;
  }
  return 0;
}

std::string Player::mk_skill_list(bool bonuses) const {
  const float* source = bonuses ? skill_bonuses : skills;
  std::string out;
  int count = player_skill_count();
  for (int i = 0; i < count; ++i) out += format_str("%0.2f:", static_cast<double>(source[i]));
  return out;
}
