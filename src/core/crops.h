#pragma once
// Farming: crop definitions from "dat/crops.txt", and the plants growing on
// the maps with the operations that plant, water, grow and harvest them and
// keep them in "etc/crops.txt" (the server's side of the table).

#include <cstdint>
#include <list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/item.h"

constexpr int CROPS_NUM_STAGES = 6;
constexpr int CROPS_STAGE_RIPE = 5;
// A plant is removed when it has gone this many ticks without water.
constexpr int CROPS_DRY_DEATH = 420;
// Ticks per unit of a crop's lifetime.
constexpr int CROPS_LIFETIME_TICKS = 30;
constexpr int CROPS_SEED_BASE = 1409;
constexpr int CROPS_SEEDLING_BASE = 1410;  // named with its crop, as the seed
constexpr int CROPS_STAGE0_ITEM = 1411;
constexpr int CROPS_STAGE1_ITEM = 1412;

enum {
  CROPS_HARVEST_DONE = 0, CROPS_HARVEST_NO_PLANT = 1, CROPS_HARVEST_NOT_OWNER = 2,
  CROPS_HARVEST_NO_CROP = 3
};

class Plant {
 public:
  Plant() = default;
  virtual ~Plant() = default;
  Plant(const Plant&) = default;
  Plant& operator=(const Plant&) = default;

  std::string owner;
  int32_t crop_id = 0;
  int32_t x = 0, y = 0, z = 0;
  int32_t age = 0;
  int32_t stage = 0;
  int32_t counter = 0;
  int32_t dry = 0;
  bool site_flag = false;
};

struct CropDef {
  int32_t id = 0;
  std::string name;
  int32_t stage_steps[5] = {0, 0, 0, 0, 0};
  Item product;
  int32_t dice_count = 0, dice_sides = 0;
  int32_t remove_chance = 0;
  Item stage_items[4];
  int32_t lifetime = 0;
  bool site_flag = false;
  bool seedable = false;
};

using HarvestList = std::vector<std::pair<Item, int>>;

class Crops {
 public:
  Crops() = default;
  virtual ~Crops() = default;
  Crops(const Crops&) = default;
  Crops& operator=(const Crops&) = default;

  // 1 when "dat/crops.txt" cannot be opened (the old definitions stay).
  int load();
  std::string get_crop_name(int crop_id) const;
  const CropDef* find_def(int crop_id) const;
  bool get_seed_for(const Item& item, Item& seed_out) const;
  static Item seed_of(int crop_id);

  int plant(const std::string& owner, int crop_id, int x, int y, int z, bool site_flag);
  Plant* find_plant(int x, int y, int z);
  const Plant* find_plant(int x, int y, int z) const;
  bool has_plant(int x, int y, int z) const;
  int water(int x, int y, int z);
  bool is_watered(int x, int y, int z) const;
  Item get_plant_item(int x, int y, int z) const;
  std::string get_plant_crop_name(int x, int y, int z) const;
  int get_growth(int x, int y, int z, int& stage_out, int& remaining_out) const;
  void remove_plant(int x, int y, int z);
  // `roll` and `percent` stand in for the dice and rand_int(100) in tests;
  // null uses the game's random numbers.
  int harvest(const std::string& owner, int x, int y, int z, HarvestList& items_out, bool force,
              int (*roll)(int n, int sides) = nullptr, int (*percent)(int n) = nullptr);
  void grow_all();
  int save_plants() const;
  int load_plants();

  int num_plants() const { return static_cast<int>(plants.size()); }

  std::list<Plant> plants;
  std::map<int, CropDef> defs;

 private:
  std::list<Plant>::iterator find_it(int x, int y, int z);
};

extern Crops crops;
