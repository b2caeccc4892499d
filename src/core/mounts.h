#pragma once
// Mount definitions from "dat/mounts.txt".

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct MountDef {
  int32_t id = 0;
  std::string name;
  int32_t code = 0;
  int32_t delay = 0;
  char letter = 0;
  bool flag = false;
  int32_t draw_code = 0;
  int32_t draw_code_1_4 = 0;
  std::string sound;
};

class Mounts {
 public:
  Mounts() = default;
  virtual ~Mounts() = default;
  Mounts(const Mounts&) = default;
  Mounts& operator=(const Mounts&) = default;

  // Number of lines stored; 0 when the file cannot be opened.
  int load();

  const MountDef* find(int id) const;
  int get_tile(int id, int direction) const;
  // 0 when unknown: no pace of its own (the rider keeps his).
  int get_delay(int id) const;
  char get_letter(int id) const;
  bool get_flag(int id) const;
  std::string get_sound(int id) const;
  std::vector<std::string> get_sound_names() const;

  std::map<int, MountDef> defs;
};

extern Mounts mounts;
