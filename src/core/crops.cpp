#include "core/crops.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "core/log.h"
#include "core/string_utils.h"
#include "core/utils.h"

namespace {

using FilePtr = std::unique_ptr<std::FILE, decltype(&std::fclose)>;

bool yes_flag(const std::string& s) { return !s.empty() && (s[0] == 'Y' || s[0] == 'y' || s[0] == '1'); }

// "%dd%d": both 0 when no count leads; only the count when no "d" part follows.
void read_dice(const std::string& s, int32_t& count, int32_t& sides) {
  count = 0;
  sides = 0;
  const char* p = s.c_str();
  char* end = nullptr;
  long n = std::strtol(p, &end, 10);
  if (end == p) return;
  count = bounded_int<int32_t>(n);
  if (*end != 'd') return;
  const char* q = end + 1;
  long m = std::strtol(q, &end, 10);
  if (end != q) sides = bounded_int<int32_t>(m);
}

Item item_of_hex(const std::string& s) { return Item(hex_to_int(s)); }

// Plant-file values are not range-checked, so counters stop at the top
// instead of overflowing.
void bump(int32_t& v) {
  if (v < INT32_MAX) ++v;
}

}  // namespace

Item Crops::seed_of(int crop_id) {
  // The seed item carries its crop in the modifier field.
  uint32_t code = static_cast<uint32_t>(CROPS_SEED_BASE) + ((static_cast<uint32_t>(crop_id) & 255u) << 20);
  return Item(static_cast<long>(static_cast<int32_t>(code)));
}

int Crops::load() {
  FilePtr f(std::fopen("dat/crops.txt", "r"), &std::fclose);
  if (!f) return 1;
  defs.clear();
  std::vector<std::string> c;
  while (read_table_row(f.get(), c)) {
    if (c.size() < 17) continue;
    CropDef d;
    d.id = static_cast<int32_t>(hex_to_int(c[0]));
    d.name = c[1];
    for (int i = 0; i < 5; ++i) d.stage_steps[i] = to_int(c[2 + i]);
    d.product = item_of_hex(c[7]);
    read_dice(c[8], d.dice_count, d.dice_sides);
    d.remove_chance = to_int(c[9]);
    d.lifetime = to_int(c[10]);
    d.site_flag = yes_flag(c[11]);
    for (int i = 0; i < 4; ++i) d.stage_items[i] = item_of_hex(c[12 + i]);
    d.seedable = yes_flag(c[16]);
    defs[d.id] = d;
  }
  return 0;
}

const CropDef* Crops::find_def(int crop_id) const {
  auto it = defs.find(crop_id);
  return it == defs.end() ? nullptr : &it->second;
}

std::string Crops::get_crop_name(int crop_id) const {
  const CropDef* d = find_def(crop_id);
  return d ? d->name : std::string();
}

bool Crops::get_seed_for(const Item& item, Item& seed_out) const {
  for (const auto& entry : defs) {
    if (entry.second.product == item) {
      seed_out = seed_of(entry.first);
      return entry.second.seedable;
    }
  }
  return false;
}

std::list<Plant>::iterator Crops::find_it(int x, int y, int z) {
  for (auto it = plants.begin(); it != plants.end(); ++it)
    if (it->x == x && it->y == y && it->z == z) return it;
  return plants.end();
}

Plant* Crops::find_plant(int x, int y, int z) {
  auto it = find_it(x, y, z);
  return it == plants.end() ? nullptr : &*it;
}

const Plant* Crops::find_plant(int x, int y, int z) const {
  for (const Plant& p : plants)
    if (p.x == x && p.y == y && p.z == z) return &p;
  return nullptr;
}

bool Crops::has_plant(int x, int y, int z) const { return find_plant(x, y, z) != nullptr; }

int Crops::plant(const std::string& owner, int crop_id, int x, int y, int z, bool site_flag) {
  if (has_plant(x, y, z)) return 1;
  Plant p;
  p.owner = owner;
  p.crop_id = crop_id;
  p.x = x;
  p.y = y;
  p.z = z;
  p.dry = 1;
  p.site_flag = site_flag;
  plants.push_back(p);
  return 0;
}

int Crops::water(int x, int y, int z) {
  Plant* p = find_plant(x, y, z);
  if (!p) return 1;
  p->dry = 0;
  return 0;
}

bool Crops::is_watered(int x, int y, int z) const {
  const Plant* p = find_plant(x, y, z);
  return p && p->dry == 0;
}

Item Crops::get_plant_item(int x, int y, int z) const {
  const Plant* p = find_plant(x, y, z);
  if (!p) return Item(0L);
  const CropDef* d = find_def(p->crop_id);
  if (!d) return Item(0L);
  if (p->stage == 0) return Item(static_cast<long>(CROPS_STAGE0_ITEM));
  if (p->stage == 1) return Item(static_cast<long>(CROPS_STAGE1_ITEM));
  if (p->stage >= 2 && p->stage <= CROPS_STAGE_RIPE) return d->stage_items[p->stage - 2];
  return Item(0L);
}

std::string Crops::get_plant_crop_name(int x, int y, int z) const {
  const Plant* p = find_plant(x, y, z);
  return p ? get_crop_name(p->crop_id) : std::string();
}

int Crops::get_growth(int x, int y, int z, int& stage_out, int& remaining_out) const {
  const Plant* p = find_plant(x, y, z);
  if (!p) return 0;
  const CropDef* d = find_def(p->crop_id);
  if (!d) return 0;
  stage_out = p->stage;
  if (p->stage >= 0 && p->stage < CROPS_STAGE_RIPE) {
    long long left = static_cast<long long>(d->stage_steps[p->stage]) - p->counter;
    remaining_out = static_cast<int>(left < INT32_MIN ? INT32_MIN : left > INT32_MAX ? INT32_MAX : left);
  }
  else if (p->stage == CROPS_STAGE_RIPE)
    remaining_out = 99;
  return 1;
}

void Crops::remove_plant(int x, int y, int z) {
  auto it = find_it(x, y, z);
  if (it != plants.end()) plants.erase(it);
}

int Crops::harvest(const std::string& owner, int x, int y, int z, HarvestList& items_out, bool force,
                   int (*roll)(int n, int sides), int (*percent)(int n)) {
  auto it = find_it(x, y, z);
  if (it == plants.end()) return CROPS_HARVEST_NO_PLANT;
  if (it->owner != owner) return CROPS_HARVEST_NOT_OWNER;
  items_out.clear();
  const CropDef* d = find_def(it->crop_id);
  if (!d) return CROPS_HARVEST_NO_CROP;
  if (!roll) roll = roll_dice;
  if (!percent) percent = rand_int;

  if (it->stage == 0) {
    if (it->age == 0 && it->dry > 0) {
      // Planted and never grown: the seed comes back.
      items_out.emplace_back(seed_of(it->crop_id), 1);
      plants.erase(it);
    } else if (force) {
      plants.erase(it);
    }
  } else if (it->stage == CROPS_STAGE_RIPE) {
    int count = roll(d->dice_count, d->dice_sides);
    if (d->product != 0L && count > 0) items_out.emplace_back(d->product, count);
    int r = percent(100);
    if (d->remove_chance <= r && !force) {
      it->stage = CROPS_STAGE_RIPE - 1;
      it->counter = 0;
    } else {
      plants.erase(it);
    }
  } else if (force) {
    plants.erase(it);
  }
  return CROPS_HARVEST_DONE;
}

void Crops::grow_all() {
  for (auto it = plants.begin(); it != plants.end();) {
    Plant& p = *it;
    bump(p.age);
    const CropDef* d = find_def(p.crop_id);
    if (!d) {
      it = plants.erase(it);
      continue;
    }
    if (p.dry != 0) {
      bump(p.dry);
      if (p.dry >= CROPS_DRY_DEATH) {
        it = plants.erase(it);
        continue;
      }
    } else {
      bump(p.counter);
      if (p.site_flag == d->site_flag) {
        while (p.stage >= 0 && p.stage < CROPS_STAGE_RIPE && p.counter >= d->stage_steps[p.stage]) {
          ++p.stage;
          p.counter = 0;
        }
      }
      // Each watered tick uses the water up.
      p.dry = 1;
    }
    if (d->lifetime > 0 && static_cast<long long>(p.age) >= static_cast<long long>(CROPS_LIFETIME_TICKS) * d->lifetime) {
      it = plants.erase(it);
      continue;
    }
    ++it;
  }
}

int Crops::save_plants() const {
  const char* path = make_path("etc", "crops.txt");
  std::FILE* f = std::fopen(path, "w");
  if (!f) {
    writelog("failed to open etc/crops.txt for write!");
    return 1;
  }
  for (const Plant& p : plants)
    std::fprintf(f, "%s\t%x\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%c\n", p.owner.c_str(),
                 static_cast<unsigned>(p.crop_id), p.x, p.y, p.z, p.age, p.stage, p.dry, p.counter,
                 p.site_flag ? 'u' : 'a');
  std::fclose(f);
  return 0;
}

int Crops::load_plants() {
  FilePtr f(std::fopen("etc/crops.txt", "r"), &std::fclose);
  if (!f) return 1;
  std::string line;
  std::vector<std::string> c;
  while (read_line(f.get(), line)) {
    line = trim2(line, false);
    if (line.empty()) continue;
    c.clear();
    split(line, "\t", c);
    if (c.size() != 10) continue;
    Plant p;
    p.owner = c[0];
    p.crop_id = static_cast<int32_t>(hex_to_int(c[1]));
    p.x = to_int(c[2]);
    p.y = to_int(c[3]);
    p.z = to_int(c[4]);
    p.age = to_int(c[5]);
    p.stage = to_int(c[6]);
    p.dry = to_int(c[7]);
    p.counter = to_int(c[8]);
    p.site_flag = c[9] == "u";
    plants.push_back(p);
  }
  return 0;
}

Crops crops;
