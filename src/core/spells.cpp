#include "core/spells.h"

#include <cstdio>
#include <memory>

#include "core/config_file.h"
#include "core/log.h"
#include "core/skills_classes.h"
#include "core/string_utils.h"

namespace {

const char* const LETTER_WORDS[26] = {
    "An", "Bet", "Corp", "Des", "Ex", "Flam", "Grav", "Hur", "In", "Jux", "Kal", "Lor", "Mani",
    "Nox", "Ort", "Por", "Quas", "Rel", "Sanct", "Tym", "Uus", "Vas", "Wis", "Xen", "Ylem", "Zu"};
const char* const DIGIT_WORDS[10] = {"0", "I", "II", "III", "IV", "V", "VI", "VII", "VIII", "IX"};

}  // namespace

int Spells::load() {
  records_.clear();
  using FilePtr = std::unique_ptr<std::FILE, decltype(&std::fclose)>;
  FilePtr f(std::fopen("dat/spells.txt", "r"), &std::fclose);
  if (!f) {
    writelog("dat/spells.txt not found");
    return 1;
  }
  std::vector<std::string> fields;
  while (read_table_row(f.get(), fields)) {
    if (fields.size() < 20) continue;
    read_record(fields);
  }
  return 0;
}

void Spells::read_record(const std::vector<std::string>& f) {
  long id = hex_to_int(f[0]);
  if (id < 0 || id > SPELLS_MAX_ID) {
    writelog("invalid spell id - must be within 0-0x%x", SPELLS_MAX_ID);
    return;
  }
  if (id >= get_num_spells()) records_.resize(static_cast<size_t>(id) + 1);
  SpellRecord& r = records_[static_cast<size_t>(id)];
  r.name = f[1];
  r.display_name = f[2];
  r.func_name = f[3];
  r.req = f[4];
  r.level = to_int(f[5]);
  if (r.level > max_level_) max_level_ = r.level;
  r.circle = to_int(f[6]);
  // A repeated id adds its classes to those of the earlier line.
  for (char k : f[7]) r.class_list.push_back(static_cast<uint16_t>(sc.get_class_nr(k)));
  r.mana_type = f[8].empty() ? 0 : f[8][0];
  r.skill = sc.get_skill_nr(f[9]);
  r.min_skill = to_int(f[10]);
  r.mana_req = to_int(f[11]);
  r.cooloff = to_int(f[12]);
  r.target_mode = f[13] == "directional" ? SPELL_TARGET_DIRECTIONAL
                  : f[13] == "autotarget" ? SPELL_TARGET_AUTO
                                          : SPELL_TARGET_NONE;
  r.req_targ = f[14] == "y";
  r.item = Item(hex_to_int(f[15]));
  r.parameters = f[16];
  r.wav_name = f[17];
  r.effect_nr = to_int(f[18]);
  r.extra_flag = f[19] == "y";
  if (f.size() >= 22) r.description = trim2(f[21], true);
}

const SpellRecord* Spells::get_record(int id) const {
  return good(id) ? &records_[static_cast<size_t>(id)] : nullptr;
}

std::string Spells::get_spell_str(int id) const { return good(id) ? records_[id].name : "invalid"; }
int Spells::get_lvl(int id) const { return good(id) ? records_[id].level : 0; }
int Spells::get_circle(int id) const { return good(id) ? records_[id].circle : 0; }
int Spells::get_min_skill(int id) const { return good(id) ? records_[id].min_skill : 0; }
std::string Spells::get_req(int id) const { return good(id) ? records_[id].req : std::string(); }
int Spells::get_mana_req(int id) const { return good(id) ? records_[id].mana_req : 0; }
int Spells::get_cooloff(int id) const { return good(id) ? records_[id].cooloff : 0; }
int Spells::get_skill(int id) const { return good(id) ? records_[id].skill : -1; }

bool Spells::is_directional(int id) const {
  return good(id) && records_[id].target_mode == SPELL_TARGET_DIRECTIONAL;
}

bool Spells::is_autotargeting(int id) const {
  return good(id) && records_[id].target_mode == SPELL_TARGET_AUTO;
}

bool Spells::req_targ(int id) const { return good(id) && records_[id].req_targ; }

bool Spells::class_can_use(int id, int cls) const {
  // 65535 marks a class key the class table did not know; no real class
  // number is negative or that large.
  if (!good(id) || cls < 0 || cls >= 65535) return false;
  for (uint16_t c : records_[id].class_list)
    if (c != 65535 && c == cls) return true;
  return false;
}

Item Spells::get_item(int id) const { return good(id) ? records_[id].item : Item(0L); }

std::string Spells::get_parameters(int id) const {
  return good(id) ? records_[id].parameters : std::string();
}

std::string Spells::get_description(int id) const {
  return good(id) ? records_[id].description : std::string();
}

int Spells::get_effect_nr(int id) const { return good(id) ? records_[id].effect_nr : 0; }

std::string Spells::get_spell_func_name(int id) const {
  return good(id) ? records_[id].func_name : std::string();
}

int Spells::get_mana_type(int id) const { return good(id) ? records_[id].mana_type : 'm'; }
bool Spells::get_extra_flag(int id) const { return good(id) && records_[id].extra_flag; }

std::string Spells::get_wav_name(int id) const {
  if (!good(id)) return "sound/cast.wav";
  const SpellRecord& r = records_[id];
  if (r.wav_name.empty()) return "sound/sp_" + r.name + ".wav";
  return "sound/" + r.wav_name;
}

bool Spells::is_valid_id(int id) const { return good(id); }

int Spells::get_spell_id(const std::string& name) const {
  if (name.empty()) return -1;
  for (size_t i = 0; i < records_.size(); ++i)
    if (records_[i].name == name) return static_cast<int>(i);
  return -1;
}

int Spells::get_spell_id_from_func(const std::string& func) const {
  if (func.empty()) return -1;
  for (size_t i = 0; i < records_.size(); ++i)
    if (records_[i].func_name == func) return static_cast<int>(i);
  return -1;
}

bool Spells::valid_word(char c) {
  FunctionTrace trace("spellcls:valid_word");
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

std::string Spells::get_word(char c) {
  FunctionTrace trace("spellcls:get_word");
  if (c >= 'a' && c <= 'z') return LETTER_WORDS[c - 'a'];
  if (c >= '0' && c <= '9') return DIGIT_WORDS[c - '0'];
  trace.printf("invalid word for letter %c", c);
  return "";
}

bool Spells::uses_words(int id) const {
  if (!good(id)) return false;
  std::vector<std::string> pieces;
  split(common_cfg.get("cast_with_words_skills"), ",", pieces);
  if (pieces.empty()) pieces.push_back("");
  int skill = records_[id].skill;
  for (const std::string& p : pieces)
    if (sc.get_skill_nr(p) == skill) return true;
  return false;
}

std::string Spells::get_full_spell_name(int id, bool plain) const {
  if (!good(id)) return "invalid";
  const SpellRecord& r = records_[id];
  if (plain || !uses_words(id)) return r.display_name.empty() ? r.name : r.display_name;
  std::string out;
  for (size_t i = 0; i < r.name.size(); ++i) {
    if (i) out += ' ';
    out += get_word(r.name[i]);
  }
  return out;
}

std::string Spells::get_full_spell_name(const std::string& name, bool plain) const {
  return get_full_spell_name(get_spell_id(name), plain);
}

bool Spells::is_staff_school(int skill) const {
  // Read afresh each time: a data reload may renumber the skills, and a list
  // kept from an earlier load would then name the wrong ones.
  std::string text = common_cfg.get("staff_schools");
  if (text.empty()) return false;
  std::vector<std::string> pieces;
  split(text, ",", pieces);
  for (const std::string& p : pieces)
    if (sc.get_skill_nr(p) == skill) return true;
  return false;
}

int Spells::get_success_chance(int id, float skill) const {
  if (!good(id)) return 99;
  int c = records_[id].circle;
  int m = records_[id].min_skill;
  if (c == 0) return 99;
  if (m >= 1) return skill >= static_cast<float>(m) ? 99 : 0;
  if (c < 0) return 0;
  if (!common_cfg.get_bool("spell_levels")) {
    float x = (skill - static_cast<float>(10LL * c)) * 50.0f / 20.0f + 50.0f;
    if (x > 99) return 99;
    if (!(x >= 0)) return 0;  // also a caller's NaN
    return static_cast<int>(x);
  }
  float b = common_cfg.get_float("spell_skill_bracket");
  return b * static_cast<float>(c) > skill ? 0 : 99;
}

Spells spells;
