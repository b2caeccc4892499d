#include "core/buffs.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "core/skills_classes.h"
#include "core/string_utils.h"

namespace {

// Effect texts by kind; stat kinds (0-2) are named by the stat table.
const char* const EFFECT_TEXT[BUFF_NUM_TYPES] = {
    nullptr, nullptr, nullptr, "",
    "hit points", "mana", "attack strength", "defense",
    "healing over time", "damage over time", "nightvision", "",
    "resist fire", "resist poison", "resist vampyrism", "resist lightning",
    "resist cold", "resist cloning", "resist paralysis", "magic resistance",
    "experience", "vampyric attacks", "", "",
    "", "", "lightning attacks", "fire attacks",
    "freezing attacks", "dodge", "venomous attacks", "damage given",
    "damage taken", "two hand attack speed", "reflect damage", "healing over time",
    "", "loot quality", "rain gain", "",
    "magic damage given", "magic damage taken"};

}  // namespace

int Buffs::load() {
  using FilePtr = std::unique_ptr<std::FILE, decltype(&std::fclose)>;
  FilePtr f(std::fopen("dat/buffs.txt", "r"), &std::fclose);
  if (!f) return 0;
  int count = 0;
  std::vector<std::string> fields;
  while (read_table_row(f.get(), fields)) {
    if (fields.size() < 5) continue;
    BuffDef d;
    d.id = to_int(fields[0]);
    d.name = fields[1];
    if (!d.name.empty() && d.name[0] == '"')
      d.name = d.name.size() >= 2 ? d.name.substr(1, d.name.size() - 2) : std::string();
    d.duration = to_int(fields[2]);
    d.type = to_int(fields[3]);
    d.amount = to_int(fields[4]);
    d.percent = !fields[4].empty() && fields[4].back() == '%';
    d.aux_flag = fields.size() > 5 && to_int(fields[5]) != 0;
    defs[d.id] = d;
    ++count;
  }
  return count;
}

const BuffDef& Buffs::def_of(int id) const {
  static const BuffDef empty;
  auto it = defs.find(id);
  return it == defs.end() ? empty : it->second;
}

bool Buffs::is_valid_id(int id) const { return defs.count(id) != 0; }

std::string Buffs::get_name(int id) const {
  auto it = defs.find(id);
  return it == defs.end() ? std::string("invalid") : it->second.name;
}

int Buffs::get_duration(int id) const { return def_of(id).duration; }

int Buffs::get_type(int id) const {
  auto it = defs.find(id);
  return it == defs.end() ? -1 : it->second.type;
}

bool Buffs::get_aux_flag(int id) const { return def_of(id).aux_flag; }

int Buffs::get_total_modifier(const std::map<int, int>& active, int type, double base) const {
  // Summed wide and clamped: amounts come from a data file.
  double sum = 0;
  for (const auto& [id, count] : active) {
    auto it = defs.find(id);
    // An unknown id contributes nothing (its empty stand-in has amount 0).
    if (it == defs.end()) continue;
    const BuffDef& d = it->second;
    if (d.type != type || count == 0) continue;
    if (!d.percent) {
      sum += d.amount;
      continue;
    }
    float x = static_cast<float>(std::clamp(d.amount * base / 100.0, -double(FLT_MAX), double(FLT_MAX)));
    if (x > 0 && x < 1)
      sum += 1;
    else
      sum += std::floor(static_cast<double>(x) + 0.5);
  }
  if (std::isnan(sum)) return 0;
  if (sum < INT32_MIN) return INT32_MIN;
  if (sum > INT32_MAX) return INT32_MAX;
  return static_cast<int>(sum);
}

std::string Buffs::get_effect_text(int id) const {
  const BuffDef& d = def_of(id);
  std::string text;
  if (d.type >= 0 && d.type < BUFF_NUM_TYPES) {
    // Kinds 0, 1 and 2 stand for stats 3, 2 and 1.
    if (d.type <= BUFF_STR)
      text = sc.get_stat_name(3 - d.type);
    else
      text = EFFECT_TEXT[d.type];
  }
  if (!text.empty()) text += ' ';
  if (d.amount > 0) text += '+';
  if (d.amount != 0) {
    text += format_str("%d", d.amount);
    if (d.percent) text += '%';
  }
  return text;
}

Buffs buffs;
