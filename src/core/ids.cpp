#include "core/ids.h"

#include <algorithm>

#include "core/log.h"

void ids::set_info(int id, const std::string& name, int letter, const std::string& alt_item_text,
                   const std::string& item_text) {
  IdRecord& r = records_[id];
  r.valid = 1;
  r.name = name;
  r.suffix.clear();
  if (!name.empty()) {
    char last = name.back();
    if (last == '?' || last == '!' || last == '$') {
      r.suffix = std::string(1, last);
      r.name.pop_back();
    }
  }
  r.letter = letter;
  r.alt_item = Item(alt_item_text);
  r.item = Item(item_text);
}

const IdRecord* ids::valid_record(int id) const {
  auto it = records_.find(id);
  if (it == records_.end() || !it->second.valid) return nullptr;
  return &it->second;
}

std::string ids::get_name(int id) const {
  const IdRecord* r = valid_record(id);
  return r ? r->name : std::string();
}

std::string ids::get_suffix(int id) const {
  const IdRecord* r = valid_record(id);
  return r ? r->suffix : std::string();
}

int ids::get_letter(int id) const {
  auto it = records_.find(id);
  return it == records_.end() ? 'n' : it->second.letter;
}

Item ids::get_item(int id) const {
  auto it = records_.find(id);
  return it == records_.end() ? Item(0L) : it->second.item;
}

Item ids::get_alt_item(int id) const {
  auto it = records_.find(id);
  return it == records_.end() ? Item(0L) : it->second.alt_item;
}

void ids::remove(int id) { records_.erase(id); }

void ids::clear() { records_.clear(); }

void ids::clear_mobs() {
  FunctionTrace trace("ids::clear_mobs");
  records_.erase(records_.lower_bound(PLAYER_ID_LIMIT), records_.end());
  for (const auto& [id, r] : records_) trace.printf("still got %d->%s", id, r.name.c_str());
}

void update_tracked(std::vector<TrackedCreature>& list, int id, const std::string& name, int code,
                    int health, int second_bar, int third_value, int x, int y, int level,
                    bool update_only, int flag, int tag_number) {
  int i = find_tracked(list, id);
  if (i >= 0) {
    TrackedCreature& t = list[static_cast<size_t>(i)];
    t.name = name;
    t.code = code;
    t.health = health;
    t.x = x;
    t.y = y;
    t.level = level;
    // -1, a negative flag and tag 0 mean "not sent": keep what is known.
    if (second_bar != -1) t.second_bar = second_bar;
    if (third_value != -1) t.third_value = third_value;
    if (flag >= 0) t.flag = flag != 0;
    if (tag_number != 0) t.tag_number = tag_number;
    return;
  }
  if (update_only) return;
  TrackedCreature t;
  t.id = id;
  t.name = name;
  t.code = code;
  t.health = health;
  t.second_bar = second_bar;
  t.third_value = third_value;
  t.x = x;
  t.y = y;
  t.level = level;
  t.flag = flag > 0;
  t.tag_number = tag_number == 0 ? 1 : tag_number;
  list.push_back(t);
}

bool set_tracked_pos(std::vector<TrackedCreature>& list, int id, int x, int y, int level) {
  int i = find_tracked(list, id);
  if (i < 0) return false;
  TrackedCreature& t = list[static_cast<size_t>(i)];
  t.x = x;
  t.y = y;
  t.level = level;
  return true;
}

void remove_tracked(std::vector<TrackedCreature>& list, int id) {
  int i = find_tracked(list, id);
  if (i >= 0) list.erase(list.begin() + i);
}

void clear_tracked(std::vector<TrackedCreature>& list) { list.clear(); }

int num_tracked(const std::vector<TrackedCreature>& list) { return static_cast<int>(list.size()); }

int find_tracked(const std::vector<TrackedCreature>& list, int id) {
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i].id == id) return static_cast<int>(i);
  return -1;
}

void update_tracked(int id, const std::string& name, int code, int health, int second_bar,
                    int third_value, int x, int y, int level, bool update_only, int flag,
                    int tag_number) {
  update_tracked(tracked_creatures, id, name, code, health, second_bar, third_value, x, y, level,
                 update_only, flag, tag_number);
}

bool set_tracked_pos(int id, int x, int y, int level) {
  return set_tracked_pos(tracked_creatures, id, x, y, level);
}

void remove_tracked(int id) { remove_tracked(tracked_creatures, id); }
void clear_tracked() { clear_tracked(tracked_creatures); }
int num_tracked() { return num_tracked(tracked_creatures); }
int find_tracked(int id) { return find_tracked(tracked_creatures, id); }

ids id_table;
std::vector<TrackedCreature> tracked_creatures;
