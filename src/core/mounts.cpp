#include "core/mounts.h"

#include <cstdio>
#include <memory>

#include "core/string_utils.h"

int Mounts::load() {
  using FilePtr = std::unique_ptr<std::FILE, decltype(&std::fclose)>;
  FilePtr f(std::fopen("dat/mounts.txt", "r"), &std::fclose);
  if (!f) return 0;
  int count = 0;
  std::vector<std::string> fields;
  while (read_table_row(f.get(), fields)) {
    if (fields.size() < 8) continue;
    MountDef d;
    d.id = to_int(fields[0]);
    d.name = fields[1];
    d.code = static_cast<int32_t>(hex_to_int(fields[2]));
    d.delay = to_int(fields[3]);
    d.letter = fields[4].empty() ? 0 : fields[4][0];
    d.flag = to_upper(fields[5]) == "Y";
    d.draw_code = static_cast<int32_t>(hex_to_int(fields[6]));
    d.draw_code_1_4 = static_cast<int32_t>(hex_to_int(fields[7]));
    if (fields.size() > 8) d.sound = fields[8];
    defs[d.id] = d;
    ++count;
  }
  return count;
}

const MountDef* Mounts::find(int id) const {
  auto it = defs.find(id);
  return it == defs.end() ? nullptr : &it->second;
}

int Mounts::get_tile(int id, int direction) const {
  const MountDef* d = find(id);
  if (!d) return 0;
  return direction >= 1 && direction <= 4 ? d->draw_code_1_4 : d->draw_code;
}

int Mounts::get_delay(int id) const {
  const MountDef* d = find(id);
  return d ? d->delay : 0;
}

char Mounts::get_letter(int id) const {
  const MountDef* d = find(id);
  return d ? d->letter : 0;
}

bool Mounts::get_flag(int id) const {
  const MountDef* d = find(id);
  return d && d->flag;
}

std::string Mounts::get_sound(int id) const {
  const MountDef* d = find(id);
  return d ? d->sound : std::string();
}

std::vector<std::string> Mounts::get_sound_names() const {
  std::vector<std::string> out;
  for (const auto& entry : defs)
    if (!entry.second.sound.empty()) out.push_back(entry.second.sound);
  return out;
}

Mounts mounts;
