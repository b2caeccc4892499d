#pragma once
// What the server told about creature ids (`id_table`), and the creatures it
// asks the client to track while out of view (`tracked_creatures`).

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/item.h"

// Ids below this belong to players, who keep theirs over a level change.
constexpr int PLAYER_ID_LIMIT = 100;

struct IdRecord {
  uint8_t valid = 0;
  std::string name;
  int letter = 'n';
  Item item;
  Item alt_item;
  std::string suffix;
};

class ids {
 public:
  void set_info(int id, const std::string& name, int letter, const std::string& alt_item_text,
                const std::string& item_text);
  std::string get_name(int id) const;
  std::string get_suffix(int id) const;
  int get_letter(int id) const;
  Item get_item(int id) const;
  Item get_alt_item(int id) const;
  void remove(int id);
  void clear();
  void clear_mobs();
  int count() const { return static_cast<int>(records_.size()); }

 private:
  // Null when the id is unknown or not valid.
  const IdRecord* valid_record(int id) const;

  std::map<int, IdRecord> records_;
};

struct TrackedCreature {
  int id = 0;
  int code = 0;
  std::string name;
  int health = 0;
  int second_bar = 0;
  int third_value = 0;
  int x = 0, y = 0, level = 0;
  bool flag = false;
  int tag_number = 1;
};

// The tracked-creature list of the client.
extern std::vector<TrackedCreature> tracked_creatures;

// Operations on a given tracked list, and the same on `tracked_creatures`.
void update_tracked(std::vector<TrackedCreature>& list, int id, const std::string& name, int code,
                    int health, int second_bar, int third_value, int x, int y, int level,
                    bool update_only, int flag, int tag_number);
bool set_tracked_pos(std::vector<TrackedCreature>& list, int id, int x, int y, int level);
void remove_tracked(std::vector<TrackedCreature>& list, int id);
void clear_tracked(std::vector<TrackedCreature>& list);
int num_tracked(const std::vector<TrackedCreature>& list);
int find_tracked(const std::vector<TrackedCreature>& list, int id);

void update_tracked(int id, const std::string& name, int code, int health, int second_bar,
                    int third_value, int x, int y, int level, bool update_only, int flag,
                    int tag_number);
bool set_tracked_pos(int id, int x, int y, int level);
void remove_tracked(int id);
void clear_tracked();
int num_tracked();
int find_tracked(int id);

extern ids id_table;  // what the server told about creature ids
