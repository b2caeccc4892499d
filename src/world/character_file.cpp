// The character file ("<dir><name>.plr"), kept by the server side of the
// player record: key=value lines in a fixed order. The reader also accepts
// the older forms that earlier versions wrote.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "core/buffs.h"
#include "core/item_data.h"
#include "core/log.h"
#include "core/skills_classes.h"
#include "core/spells.h"
#include "core/string_utils.h"
#include "core/utils.h"
#include "world/player.h"

namespace {

constexpr int BUFF_MAX_VALUE = 36000;
// Versions from which the raw skill line carries its key and the limits
// line exists.
constexpr int VERSION_KEYED_SKILLS = 1199;
constexpr int VERSION_SKILL_LIMITS = 1008;

uint64_t random_tag() {
  return (static_cast<uint64_t>(random_id()) << 32) | static_cast<uint64_t>(random_id());
}

void write_floats(FILE* f, const char* key, const float* values) {
  std::fputs(key, f);
  for (int i = 0; i < player_skill_count(); ++i)
    std::fprintf(f, "%0.2f:", static_cast<double>(values[i]));
  std::fputs("\n", f);
}

// ':'-separated floats into `out`; missing or unreadable tokens take `missing`.
void read_floats(const std::string& text, float* out, float missing) {
  std::vector<std::string> tokens;
  split(text, ":", tokens);
  for (int i = 0; i < player_skill_count(); ++i) {
    float v = missing;
    if (static_cast<size_t>(i) < tokens.size()) {
      float f = 0.0f;
      // Skill figures feed integer rules: an absurd or undefined value is bounded.
      v = std::sscanf(tokens[static_cast<size_t>(i)].c_str(), "%f", &f) == 1 ? bounded_figure(f) : missing;
    }
    out[i] = v;
  }
}

// The lines of a character file and a cursor over them.
class LineReader {
 public:
  explicit LineReader(std::vector<std::string> lines) : lines_(std::move(lines)) {}

  // The rest of the current line after `key` when it begins with it; the
  // cursor then moves on.
  bool take(const char* key, std::string& rest) {
    if (pos_ >= lines_.size()) return false;
    const std::string& l = lines_[pos_];
    size_t n = std::strlen(key);
    if (l.compare(0, n, key) != 0) return false;
    rest = l.substr(n);
    ++pos_;
    return true;
  }
  // The current line whatever it holds.
  bool next(std::string& line) {
    if (pos_ >= lines_.size()) return false;
    line = lines_[pos_++];
    return true;
  }
  size_t pos() const { return pos_; }
  const std::vector<std::string>& lines() const { return lines_; }

 private:
  std::vector<std::string> lines_;
  size_t pos_ = 0;
};

template <typename T>
bool scan_int(const std::string& text, T& out) {
  long long v = 0;
  if (std::sscanf(text.c_str(), "%lld", &v) != 1) return false;
  out = bounded_int<T>(v);
  return true;
}

bool scan_float(const std::string& text, float& out) {
  float v = 0.0f;
  if (std::sscanf(text.c_str(), "%f", &v) != 1) return false;
  out = bounded_figure(v);
  return true;
}

bool scan_hex(const std::string& text, unsigned long& out) {
  return std::sscanf(text.c_str(), "%lx", &out) == 1;
}

}  // namespace

std::string Player::file_path(const std::string& dir) const { return dir + name + ".plr"; }

int Player::save(const ItemList& inventory, const std::string& dir) {
  FunctionTrace trace("plr::save");
  FILE* f = std::fopen(file_path(dir).c_str(), "w");
  if (f == nullptr) return 1;
  version = PLAYER_VERSION;
  int hp_max = get_hp_max();
  int mana_max = get_mana_max();
  if (hp > hp_max) hp = hp_max;
  if (mana > mana_max) mana = static_cast<int16_t>(mana_max);
  std::fprintf(f, "NAME=%s\n", name.c_str());
  std::fprintf(f, "TAG=%lx\n", static_cast<unsigned long>(tag));
  std::fprintf(f, "TITLE=%s\n", title.c_str());
  std::fprintf(f, "CACHEDTITLE=%s\n", cached_title.c_str());
  std::fprintf(f, "CDATE=%s\n", cdate.c_str());
  std::fprintf(f, "X=%d\nY=%d\nZ=%d\n", x, y, map_level);
  std::fprintf(f, "GENDER=%c\n", gender);
  std::fprintf(f, "AGE=%d\n", age);
  std::fprintf(f, "RACE=%d\n", race);
  std::fprintf(f, "CLASS=%c\n", sc.get_short_classname(cls));
  std::fprintf(f, "AVATAR=%x\n", static_cast<unsigned>(code));
  std::fprintf(f, "VERSION=%d\n", version);
  std::fprintf(f, "HUNGER=%d\n", hunger);
  std::fprintf(f, "HPCUR=%d\n", hp);
  std::fprintf(f, "MANACUR=%d\n", mana);
  std::fprintf(f, "HPBONUS=%d\nMANABONUS=%d\nCAPBONUS=%d\n", permanent_hp_bonus,
               permanent_mana_bonus, class_cap_bonus);
  std::fprintf(f, "RAGE=%d\nENERGY=%d\n", rage, energy);
  std::fprintf(f, "STR=%0.2f\nDEX=%0.2f\nINT=%0.2f\n", static_cast<double>(str),
               static_cast<double>(dex), static_cast<double>(intel));
  std::fprintf(f, "STATBONUSES=%d %d %d\n", str_bonus, dex_bonus, intel_bonus);
  std::fprintf(f, "STRCAP=%d\nDEXCAP=%d\nINTELCAP=%d\n", str_cap, dex_cap, intel_cap);
  std::fprintf(f, "SIGHT=%d\n", sight);
  std::fprintf(f, "ACBASE=%d\n", ac_base);
  std::fprintf(f, "ALIGN=%f\n", static_cast<double>(align));
  std::fprintf(f, "CHATS=%d %d\n", chats[0], chats[1]);
  std::fprintf(f, "XP=%ld\nLVL=%d\n", static_cast<long>(xp), lvl);
  std::fprintf(f, "PVP=%d\n", pvp);
  std::fprintf(f, "REMORT=%d\nBIND=%d\nMOUNT=%d\n", remort_level, bind_level, mount);
  std::fprintf(f, "SHIP=%ld\nPARTY=%ld\n", static_cast<long>(ship), static_cast<long>(party));
  std::fprintf(f, "POLY=%x %d %d %d %d %d %d %d %f %f %f\n", static_cast<unsigned>(poly_code),
               poly_dmg_dice, poly_dmg_sides, poly_thaco, poly_ac, poly_attack_delay,
               poly_move_delay, poly_magic_resistance, static_cast<double>(poly_str_mult),
               static_cast<double>(poly_dex_mult), static_cast<double>(poly_int_mult));
  const char* keys[] = {"WEAPON", "SHIELD", "ARMOUR", "BOOTS", "GLOVES", "HAT",
                        "TROUSERS", "RING1", "RING2", "AMULET", "BELT"};
  const Item* items[] = {&weapon, &shield, &armour, &boots, &gloves, &hat,
                         &trousers, &ring1, &ring2, &amulet, &belt};
  for (int i = 0; i < 11; ++i) std::fprintf(f, "%s=%s\n", keys[i], items[i]->str(true).c_str());
  std::fprintf(f, "SIGILS=%s %s %s\n", sigil1.str(true).c_str(), sigil2.str(true).c_str(),
               sigil3.str(true).c_str());
  std::fprintf(f, "AMMO=%s\n", ammo.str(true).c_str());
  std::fprintf(f, "META=%s\n", meta.c_str());
  std::fprintf(f, "MOUNTCOLOUR=%d\n", mount_colour);
  std::fprintf(f, "PICKUPS=%d %d\n", pickups[0], pickups[1]);
  std::fputs("HEALTH=", f);
  for (int16_t h : health) std::fprintf(f, "%d:", h);
  std::fputs("\nCO=", f);
  for (int32_t c : cooldowns) std::fprintf(f, "%d:", c);
  std::fputs("\nPERKS=", f);
  for (uint8_t p : perk_flags) std::fprintf(f, "%c:", p != 0 ? 'y' : 'n');
  std::fputs("\nBUFFS=", f);
  bool first = true;
  for (const auto& [bid, value] : buffs) {
    std::fprintf(f, "%s%dx%d", first ? "" : " ", bid, value);
    first = false;
  }
  std::fputs("\nIBINDS=", f);
  for (const Item& b : item_binds) std::fprintf(f, "%s ", b.str(false).c_str());
  std::fputs("\nSBINDS=", f);
  for (int i = 0; i < PLAYER_HOTKEYS; ++i) std::fprintf(f, i == 0 ? "%d" : ":%d", spell_binds[i]);
  std::fputs("\n", f);
  write_floats(f, "SB=", skill_bonuses);
  write_floats(f, "SK=", skills);
  write_floats(f, "SL=", skill_limits);
  for (int s : spells) std::fprintf(f, "SPELL=%s\n", ::spells.get_spell_str(s).c_str());
  std::fputs("MARK=", f);
  for (int i = 0; i < PLAYER_NUM_MARKS; ++i)
    std::fprintf(f, i == 0 ? "%d,%d,%d" : ":%d,%d,%d", mark_x[i], mark_y[i], mark_level[i]);
  std::fputs("\n", f);
  for (const ItemListEl* n = inventory.first; n != nullptr; n = n->next)
    std::fprintf(f, "ITEM=%s %ld\n", n->item.str(true).c_str(), static_cast<long>(n->qty));
  std::fclose(f);
  return 0;
}

int Player::load(const std::string& char_name, const std::string& dir) {
  FunctionTrace trace("Player::load");
  name = char_name;
  std::string path = file_path(dir);
  FILE* f = std::fopen(path.c_str(), "r");
  if (f == nullptr) {
    trace.printf("couldn't open %s", path.c_str());
    return 1;
  }
  // Whole lines, however long: a piecewise read would shift every later key.
  std::vector<std::string> lines;
  std::string line;
  while (read_line(f, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  std::fclose(f);
  LineReader in(std::move(lines));
  std::string rest;

  auto req_int = [&](const char* key, auto& out) { return in.take(key, rest) && scan_int(rest, out); };
  auto opt_int = [&](const char* key, auto& out) {
    if (in.take(key, rest)) scan_int(rest, out);
  };
  auto req_float = [&](const char* key, float& out) {
    return in.take(key, rest) && scan_float(rest, out);
  };
  auto opt_text = [&](const char* key, std::string& out) {
    if (in.take(key, rest)) {
      std::string t = trim2(rest, false);
      if (!t.empty()) out = t;
    }
  };

  if (!in.take("NAME=", rest)) return 2;
  unsigned long tag_value = 0;
  if (in.take("TAG=", rest) && scan_hex(rest, tag_value))
    tag = tag_value;
  else
    tag = random_tag();
  opt_text("TITLE=", title);
  opt_text("CACHEDTITLE=", cached_title);
  opt_text("CDATE=", cdate);
  if (!req_int("X=", x) || !req_int("Y=", y) || !req_int("Z=", map_level)) return 2;
  if (!in.take("GENDER=", rest) || rest.empty()) return 2;
  gender = rest[0];
  if (!req_int("AGE=", age) || !req_int("RACE=", race)) return 2;
  race_rec = sc.get_race(race);
  if (!in.take("CLASS=", rest) || rest.empty()) return 2;
  cls = static_cast<int16_t>(sc.get_class_nr(rest[0]));
  unsigned long avatar = 0;
  if (!in.take("AVATAR=", rest) || !scan_hex(rest, avatar)) return 2;
  code = static_cast<int>(avatar);
  opt_int("VERSION=", version);
  opt_int("HUNGER=", hunger);
  if (!req_int("HPCUR=", hp) || !req_int("MANACUR=", mana)) return 2;
  if (in.take("HPBONUS=", rest)) {
    scan_int(rest, permanent_hp_bonus);
    if (!req_int("MANABONUS=", permanent_mana_bonus) || !req_int("CAPBONUS=", class_cap_bonus))
      return 2;
  }
  if (!req_int("RAGE=", rage) || !req_int("ENERGY=", energy)) return 2;
  if (!req_float("STR=", str) || !req_float("DEX=", dex) || !req_float("INT=", intel)) return 2;
  in.take("WIS=", rest);
  if (in.take("STATBONUSES=", rest)) {
    int a = 0, b = 0, c = 0;
    if (std::sscanf(rest.c_str(), "%d %d %d", &a, &b, &c) == 3) {
      str_bonus = a;
      dex_bonus = b;
      intel_bonus = c;
    }
  }
  if (in.take("STRCAP=", rest)) {
    scan_int(rest, str_cap);
    if (!req_int("DEXCAP=", dex_cap) || !req_int("INTELCAP=", intel_cap)) return 2;
    in.take("WISCAP=", rest);
  }
  if (!req_int("SIGHT=", sight) || !req_int("ACBASE=", ac_base)) return 2;
  if (!in.take("ALIGN=", rest) || trim2(rest, false).empty()) return 2;
  align = static_cast<float>(std::atof(rest.c_str()));
  if (in.take("CHATS=", rest)) {
    int a = 0, b = 1;
    if (std::sscanf(rest.c_str(), "%d %d", &a, &b) < 1) return 2;
    chats[0] = a != 0;
    chats[1] = b != 0;
  } else if (in.take("ETHICS=", rest)) {
    chats[0] = !rest.empty() && (rest[0] == 'y' || rest[0] == 'Y');
    chats[1] = 1;
  } else {
    return 2;
  }
  if (!req_int("XP=", xp) || !req_int("LVL=", lvl)) return 2;
  pvp = 0;
  opt_int("PVP=", pvp);
  opt_int("REMORT=", remort_level);
  opt_int("BIND=", bind_level);
  opt_int("MOUNT=", mount);
  opt_int("SHIP=", ship);
  opt_int("PARTY=", party);
  if (in.take("POLY=", rest)) {
    unsigned pc = 0;
    int v[7] = {};
    float m[3] = {};
    if (std::sscanf(rest.c_str(), "%x %d %d %d %d %d %d %d %f %f %f", &pc, &v[0], &v[1], &v[2],
                    &v[3], &v[4], &v[5], &v[6], &m[0], &m[1], &m[2]) == 11) {
      poly_code = static_cast<int>(pc);
      poly_dmg_dice = v[0];
      poly_dmg_sides = v[1];
      poly_thaco = v[2];
      poly_ac = v[3];
      poly_attack_delay = v[4];
      poly_move_delay = v[5];
      poly_magic_resistance = v[6];
      poly_str_mult = bounded_figure(m[0]);
      poly_dex_mult = bounded_figure(m[1]);
      poly_int_mult = bounded_figure(m[2]);
    }
  }
  const char* keys[] = {"WEAPON=", "SHIELD=", "ARMOUR=", "BOOTS=", "GLOVES=",
                        "HAT=",    "TROUSERS=", "RING1=", "RING2=", "AMULET="};
  Item* items[] = {&weapon, &shield, &armour, &boots, &gloves, &hat, &trousers, &ring1, &ring2, &amulet};
  for (int i = 0; i < 10; ++i) {
    if (!in.take(keys[i], rest) || trim2(rest, false).empty()) return 2;
    *items[i] = Item(trim2(rest, false));
  }
  belt = in.take("BELT=", rest) ? Item(trim2(rest, false)) : Item(0L);
  sigil1 = sigil2 = sigil3 = Item(0L);
  if (in.take("SIGILS=", rest)) {
    std::vector<std::string> parts;
    split(trim2(rest, false), " ", parts);
    Item* sigils[] = {&sigil1, &sigil2, &sigil3};
    for (size_t i = 0; i < 3 && i < parts.size(); ++i)
      if (!parts[i].empty()) *sigils[i] = Item(parts[i]);
  }
  ammo = in.take("AMMO=", rest) ? Item(trim2(rest, false)) : Item(0L);
  meta = in.take("META=", rest) ? trim2(rest, false) : "";
  mount_colour = 0;
  opt_int("MOUNTCOLOUR=", mount_colour);
  pickups[0] = 0;
  pickups[1] = 1;
  if (in.take("PICKUPS=", rest)) {
    int a = 0, b = 1;
    std::sscanf(rest.c_str(), "%d %d", &a, &b);
    pickups[0] = a != 0;
    pickups[1] = b != 0;
  }
  if (!in.take("HEALTH=", rest)) return 2;
  if (rest != "0") {
    std::vector<std::string> t;
    split(rest, ":", t);
    for (int i = 0; i < MAXHEALTHNUMS; ++i) {
      short v = 0;
      if (static_cast<size_t>(i) < t.size() && std::sscanf(t[static_cast<size_t>(i)].c_str(), "%hd", &v) != 1)
        v = 0;
      health[i] = v;
    }
  }
  if (in.take("CO=", rest) && rest != "0") {
    std::vector<std::string> t;
    split(rest, ":", t);
    for (int i = 0; i < PLAYER_NUM_COOLDOWNS; ++i) {
      int v = 0;
      if (static_cast<size_t>(i) < t.size()) scan_int(t[static_cast<size_t>(i)], v);
      cooldowns[i] = v;
    }
  }
  if (in.take("PERKS=", rest)) {
    std::vector<std::string> t;
    split(rest, ":", t);
    for (int i = 0; i < PLAYER_NUM_PERKS; ++i)
      perk_flags[i] = static_cast<size_t>(i) < t.size() && !t[static_cast<size_t>(i)].empty() &&
                 t[static_cast<size_t>(i)][0] == 'y';
  }
  clear_buffs();
  if (in.take("BUFFS=", rest)) {
    std::vector<std::string> t;
    split(rest, " ", t);
    for (const std::string& tok : t) {
      int bid = 0, value = 0;
      if (std::sscanf(tok.c_str(), "%dx%d", &bid, &value) != 2) continue;
      if (!::buffs.is_valid_id(bid)) continue;
      if (value != -1 && (value < 0 || value > BUFF_MAX_VALUE)) continue;
      buffs[bid] = value;
    }
  }
  if (in.take("IBINDS=", rest)) {
    for (Item& b : item_binds) b = Item(0L);
    std::vector<std::string> t;
    split(trim2(rest, false), " ", t);
    int k = 0;
    for (const std::string& tok : t) {
      if (k >= PLAYER_HOTKEYS) break;
      if (tok.empty()) continue;
      item_binds[k++] = Item(tok);
    }
    std::string sline;
    if (!in.next(sline)) return 2;
    std::string body = sline.size() > 7 ? sline.substr(7) : "";
    if (body.find(':') != std::string::npos) {
      std::vector<std::string> parts;
      split(body, ":", parts);
      for (int i = 0; i < PLAYER_HOTKEYS; ++i) {
        int v = -1;
        if (static_cast<size_t>(i) >= parts.size() || !scan_int(parts[static_cast<size_t>(i)], v))
          v = -1;
        spell_binds[i] = v;
      }
    } else {
      std::vector<std::string> parts;
      split(trim2(body, false), " ", parts);
      for (int i = 0; i < 10; ++i) spell_binds[i] = -1;
      for (int i = 0; i < 8; ++i) {
        int v = -1;
        if (static_cast<size_t>(i) < parts.size()) scan_int(parts[static_cast<size_t>(i)], v);
        spell_binds[10 + i] = v;
      }
    }
  }
  if (in.take("SB=", rest)) {
    read_floats(rest, skill_bonuses, 0.0f);
    std::string sline;
    if (!in.next(sline)) return 2;
    // Newer files key the line; the key is skipped (not turned into digits,
    // which would swallow a leading minus sign).
    bool keyed = version > VERSION_KEYED_SKILLS;
    read_floats(keyed && sline.size() >= 3 ? sline.substr(3) : sline, skills, 0.0f);
    if (version > VERSION_SKILL_LIMITS) {
      if (!in.next(sline)) return 2;
      read_floats(keyed && sline.size() >= 3 ? sline.substr(3) : sline, skill_limits, 100.0f);
    } else {
      for (float& l : skill_limits) l = 100.0f;
    }
  }
  std::string sline;
  while (in.next(sline)) {
    if (sline.compare(0, 6, "SPELL=") != 0) continue;
    std::string body = sline.substr(6);
    int sid = 0;
    char tail = 0;
    if (std::sscanf(body.c_str(), "%d%c", &sid, &tail) == 1)
      add_spell(sid);
    else if (!trim2(body, false).empty())
      add_spell(trim2(body, false));
  }
  for (const std::string& l : in.lines()) {
    if (l.compare(0, 5, "MARK=") != 0) continue;
    std::vector<std::string> parts;
    split(l.substr(5), ":", parts);
    for (int i = 0; i < PLAYER_NUM_MARKS && static_cast<size_t>(i) < parts.size(); ++i) {
      int mx = 0, my = 0, ml = 0;
      if (std::sscanf(parts[static_cast<size_t>(i)].c_str(), "%d,%d,%d", &mx, &my, &ml) == 3) {
        mark_x[i] = mx;
        mark_y[i] = my;
        mark_level[i] = ml;
      }
    }
  }
  Item* checked[] = {&weapon, &hat, &gloves, &armour, &shield, &boots,
                     &ring1,  &ring2, &amulet, &belt, &trousers};
  for (Item* it : checked)
    if (!wl.is_legit(*it) || check_requirement(*it) != 0) *it = Item(0L);
  Item* plain[] = {&sigil1, &sigil2, &sigil3, &ammo};
  for (Item* it : plain)
    if (!wl.is_legit(*it)) *it = Item(0L);
  int hp_max = get_hp_max();
  if (hp > hp_max) hp = hp_max;
  int mana_max = get_mana_max();
  if (mana > mana_max) mana = static_cast<int16_t>(mana_max);
  if (mana < 0) mana = 0;
  if (get_health(HN_CRIMINAL) == -1) health[HN_CRIMINAL] = 0;
  return 0;
}

int Player::remove_file(const std::string& dir) {
  std::remove(file_path(dir).c_str());
  return 0;
}

void Player::mknew(int new_id, const std::string& new_name, const std::string& code_text,
                   const std::string& class_text, const std::string& gender_text,
                   const std::string& race_text) {
  FunctionTrace trace("Player::mknew");
  reset();
  set_id_speed(new_id);
  gender = gender_text.empty() ? 'M' : gender_text[0];
  name = new_name;
  code = static_cast<int>(hex_to_int(code_text));
  trace.printf("code=%x(src=%s) g=%c name=%s", static_cast<unsigned>(code), code_text.c_str(),
               gender, name.c_str());
  str = dex = intel = 25.0f;
  age = 0;
  sight = 1;
  xp = 0;
  ac_base = 10;
  Item* worn[] = {&weapon, &armour, &shield, &boots,  &gloves, &hat,    &trousers,
                  &ring1,  &ring2,  &amulet, &belt,   &sigil1, &sigil2, &sigil3};
  for (Item* it : worn) *it = Item(0L);
  lvl = 1;
  int c = to_int(class_text);
  cls = static_cast<int16_t>(c >= 0 && c < sc.max_classes() ? c : 0);
  // The race goes in before the maxima: its percentages are part of them.
  int r = to_int(race_text);
  race = static_cast<int16_t>(r >= 0 && r < sc.max_races() ? r : 0);
  race_rec = sc.get_race(race);
  int mt = sc.get_mana_type(cls);
  mana = static_cast<int16_t>(mt == MANA_ENERGY || mt == MANA_MANA ? get_mana_max() : 0);
  hp = get_hp_max();
  tag = random_tag();
  std::time_t now = std::time(nullptr);
  std::tm tm_now {};
  localtime_r(&now, &tm_now);
  cdate = format_str("%d/%02d/%02d %02d:%02d", tm_now.tm_year + 1900, tm_now.tm_mon + 1,
                     tm_now.tm_mday, tm_now.tm_hour, tm_now.tm_min);
}
