#include "core/crops.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"

namespace {

// id 1: steps 3,0,0,2,1, product 5a0 x 2d6, remove chance 40, lifetime 2,
// tilled soil; id 2: no lifetime, remove chance 100; id 3: remove chance 0.
const char* const CROPS =
    "# crops\n"
    "1\tturnip\t3\t0\t0\t2\t1\t5a0\t2d6\t40\t2\tY\t585\t586\t587\t588\tY\n"
    "2\treedcorn\t1\t1\t1\t1\t1\t5a1\t1d4\t100\t0\tn\t589\t58a\t58b\t58c\tN\n"
    "3\tkeeper\t0\t0\t0\t0\t0\t0\tx\t0\t0\t1\t0\t0\t0\t0\tyes\n"
    "4\tshort\t1\t1\t1\t1\t1\t5a0\t2d6\t40\t2\tY\t585\t586\t587\t588\n";

int roll_max(int n, int sides) { return n * sides; }
int roll_zero(int, int) { return 0; }
int pct_zero(int) { return 0; }
int pct_99(int) { return 99; }

struct Farm {
  TempDir dir;
  Crops crops;
  Farm() {
    TempDir::write("dat/crops.txt", CROPS);
    EXPECT_EQ(crops.load(), 0);
  }
};

TEST(Crops, Definitions) {
  Farm f;
  EXPECT_EQ(f.crops.defs.size(), 3u);  // the 16-field line is skipped
  const CropDef* d = f.crops.find_def(1);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->stage_steps[3], 2);
  EXPECT_EQ(d->product, Item(0x5a0L));
  EXPECT_EQ(d->stage_items[3], Item(0x588L));
  // The site flag: "Y" and "1" are set, "n" is not.
  EXPECT_TRUE(d->site_flag);
  EXPECT_FALSE(f.crops.find_def(2)->site_flag);
  EXPECT_TRUE(f.crops.find_def(3)->site_flag);
  EXPECT_EQ(f.crops.get_crop_name(2), "reedcorn");
  EXPECT_EQ(f.crops.get_crop_name(9), "");
  // Seeds: the first crop with that product.
  Item seed(7L);
  EXPECT_TRUE(f.crops.get_seed_for(Item(0x5a0L), seed));
  EXPECT_EQ(seed, Item(static_cast<long>(1409 + (1 << 20))));
  EXPECT_FALSE(f.crops.get_seed_for(Item(0x5a1L), seed));  // not seedable
  EXPECT_EQ(seed, Item(static_cast<long>(1409 + (2 << 20))));
  seed = Item(7L);
  EXPECT_FALSE(f.crops.get_seed_for(Item(0x123L), seed));
  EXPECT_EQ(seed, Item(7L));
  // A missing file keeps the definitions.
  std::remove("dat/crops.txt");
  EXPECT_EQ(f.crops.load(), 1);
  EXPECT_EQ(f.crops.defs.size(), 3u);
}

TEST(Crops, DiceField) {
  TempDir dir;
  struct { const char* field; int count, sides; } rows[] = {
      {"2d6", 2, 6}, {"x", 0, 0}, {"3", 3, 0}, {"4d", 4, 0}, {"d6", 0, 0}, {"", 0, 0}};
  for (const auto& r : rows) {
    TempDir::write("dat/crops.txt", std::string("1\tc\t1\t1\t1\t1\t1\t5a0\t") + r.field +
                                        "\t0\t0\tY\t0\t0\t0\t0\tY\n");
    Crops c;
    c.load();
    ASSERT_NE(c.find_def(1), nullptr) << r.field;
    EXPECT_EQ(c.find_def(1)->dice_count, r.count) << r.field;
    EXPECT_EQ(c.find_def(1)->dice_sides, r.sides) << r.field;
  }
}

TEST(Crops, PlantAndQueries) {
  Farm f;
  EXPECT_EQ(f.crops.plant("ann", 1, 1, 2, 3, true), 0);
  EXPECT_EQ(f.crops.plant("bob", 2, 1, 2, 3, true), 1);
  EXPECT_EQ(f.crops.num_plants(), 1);
  EXPECT_TRUE(f.crops.has_plant(1, 2, 3));
  EXPECT_FALSE(f.crops.has_plant(1, 2, 4));
  EXPECT_FALSE(f.crops.is_watered(1, 2, 3));
  EXPECT_EQ(f.crops.water(1, 2, 3), 0);
  EXPECT_EQ(f.crops.water(9, 9, 9), 1);
  EXPECT_TRUE(f.crops.is_watered(1, 2, 3));
  EXPECT_EQ(f.crops.get_plant_crop_name(1, 2, 3), "turnip");
  EXPECT_EQ(f.crops.get_plant_crop_name(0, 0, 0), "");
  int stage = -5, remaining = -5;
  EXPECT_EQ(f.crops.get_growth(1, 2, 3, stage, remaining), 1);
  EXPECT_EQ(stage, 0);
  EXPECT_EQ(remaining, 3);
  EXPECT_EQ(f.crops.get_growth(0, 0, 0, stage, remaining), 0);
  struct { int stage; long code; } items[] = {
      {0, 1411}, {1, 1412}, {2, 0x585}, {5, 0x588}, {6, 0}, {-1, 0}};
  for (const auto& it : items) {
    f.crops.find_plant(1, 2, 3)->stage = it.stage;
    EXPECT_EQ(f.crops.get_plant_item(1, 2, 3), Item(it.code)) << it.stage;
  }
  f.crops.find_plant(1, 2, 3)->stage = 5;
  EXPECT_EQ(f.crops.get_growth(1, 2, 3, stage, remaining), 1);
  EXPECT_EQ(remaining, 99);
  f.crops.plant("ann", 77, 5, 5, 5, true);  // no such crop
  EXPECT_EQ(f.crops.get_plant_item(5, 5, 5), Item(0L));
  EXPECT_EQ(f.crops.get_growth(5, 5, 5, stage, remaining), 0);
  f.crops.remove_plant(1, 2, 3);
  EXPECT_FALSE(f.crops.has_plant(1, 2, 3));
  EXPECT_TRUE(f.crops.has_plant(5, 5, 5));
}

// Steps 3,0,0,2,1 with water before every tick.
TEST(Crops, GrowthSequence) {
  Farm f;
  f.crops.plant("ann", 1, 0, 0, 0, true);
  const int expected[] = {0, 0, 3, 3, 4, 5, 5};
  for (int tick = 1; tick <= 7; ++tick) {
    f.crops.water(0, 0, 0);
    f.crops.grow_all();
    ASSERT_TRUE(f.crops.has_plant(0, 0, 0));
    EXPECT_EQ(f.crops.find_plant(0, 0, 0)->stage, expected[tick - 1]) << "tick " << tick;
    EXPECT_EQ(f.crops.find_plant(0, 0, 0)->dry, 1);
  }
  // Planted on the wrong soil: never grows.
  f.crops.plant("ann", 1, 1, 0, 0, false);
  for (int tick = 0; tick < 10; ++tick) {
    f.crops.water(1, 0, 0);
    f.crops.grow_all();
  }
  EXPECT_EQ(f.crops.find_plant(1, 0, 0)->stage, 0);
  EXPECT_EQ(f.crops.find_plant(1, 0, 0)->counter, 10);
}

TEST(Crops, DryAndLifetimeRemoval) {
  Farm f;
  f.crops.plant("ann", 2, 0, 0, 0, false);   // never watered, no lifetime
  f.crops.plant("ann", 1, 1, 0, 0, true);    // lifetime 2: 60 ticks
  f.crops.plant("ann", 99, 2, 0, 0, true);   // unknown crop
  f.crops.grow_all();
  EXPECT_FALSE(f.crops.has_plant(2, 0, 0));
  for (int tick = 2; tick <= 418; ++tick) {
    f.crops.water(1, 0, 0);
    f.crops.grow_all();
    EXPECT_EQ(f.crops.has_plant(1, 0, 0), tick < 60) << tick;
  }
  EXPECT_TRUE(f.crops.has_plant(0, 0, 0));
  EXPECT_EQ(f.crops.find_plant(0, 0, 0)->dry, 419);
  f.crops.grow_all();  // the 419th tick
  EXPECT_FALSE(f.crops.has_plant(0, 0, 0));
}

// Plant-file values are unchecked; growing such a plant must not overflow.
TEST(Crops, ExtremePlantValues) {
  Farm f;
  Plant p;
  p.crop_id = 2;
  p.age = 2147483647;
  p.counter = 2147483647;
  p.dry = 0;
  p.site_flag = false;
  f.crops.plants.push_back(p);
  p.x = 1;
  p.dry = 2147483647;
  f.crops.plants.push_back(p);
  f.crops.grow_all();
  ASSERT_TRUE(f.crops.has_plant(0, 0, 0));
  EXPECT_EQ(f.crops.find_plant(0, 0, 0)->age, 2147483647);
  EXPECT_EQ(f.crops.find_plant(0, 0, 0)->stage, 1);  // one step: the counter starts again
  EXPECT_FALSE(f.crops.has_plant(1, 0, 0));  // far too dry
  f.crops.find_plant(0, 0, 0)->stage = 0;
  f.crops.find_plant(0, 0, 0)->counter = -2147483647 - 1;
  int stage = 0, remaining = 0;
  EXPECT_EQ(f.crops.get_growth(0, 0, 0, stage, remaining), 1);
  EXPECT_EQ(remaining, 2147483647);
}

TEST(Crops, HarvestSeedAndOwner) {
  Farm f;
  HarvestList out{{Item(5L), 5}};
  EXPECT_EQ(f.crops.harvest("ann", 0, 0, 0, out, false), CROPS_HARVEST_NO_PLANT);
  EXPECT_EQ(out.size(), 1u);
  f.crops.plant("ann", 1, 0, 0, 0, true);
  EXPECT_EQ(f.crops.harvest("Ann", 0, 0, 0, out, false), CROPS_HARVEST_NOT_OWNER);
  EXPECT_EQ(out.size(), 1u);
  EXPECT_EQ(f.crops.harvest("ann", 0, 0, 0, out, false), CROPS_HARVEST_DONE);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].first, Crops::seed_of(1));
  EXPECT_EQ(out[0].second, 1);
  EXPECT_FALSE(f.crops.has_plant(0, 0, 0));
  // After one tick: nothing without force, removed with force.
  f.crops.plant("ann", 1, 0, 0, 0, true);
  f.crops.grow_all();
  EXPECT_EQ(f.crops.harvest("ann", 0, 0, 0, out, false), CROPS_HARVEST_DONE);
  EXPECT_TRUE(out.empty());
  EXPECT_TRUE(f.crops.has_plant(0, 0, 0));
  EXPECT_EQ(f.crops.harvest("ann", 0, 0, 0, out, true), CROPS_HARVEST_DONE);
  EXPECT_FALSE(f.crops.has_plant(0, 0, 0));
  f.crops.plant("ann", 42, 0, 0, 0, true);
  EXPECT_EQ(f.crops.harvest("ann", 0, 0, 0, out, true), CROPS_HARVEST_NO_CROP);
}

TEST(Crops, HarvestRipe) {
  struct { int crop; int (*roll)(int, int); int (*pct)(int); bool force; size_t items; int count; bool stays; } rows[] = {
      {1, roll_max, pct_99, false, 1, 12, true},    // 40 <= 99: stays
      {1, roll_max, pct_zero, false, 1, 12, false}, // 40 > 0: removed
      {1, roll_max, pct_99, true, 1, 12, false},    // force removes
      {1, roll_zero, pct_99, false, 0, 0, true},    // nothing rolled
      {2, roll_max, pct_99, false, 1, 4, false},    // chance 100: always removed
      {3, roll_max, pct_zero, false, 0, 0, true},   // chance 0: always stays; no product
  };
  for (const auto& r : rows) {
    Farm f;
    f.crops.plant("ann", r.crop, 0, 0, 0, true);
    f.crops.find_plant(0, 0, 0)->stage = 5;
    f.crops.find_plant(0, 0, 0)->counter = 3;
    HarvestList out;
    EXPECT_EQ(f.crops.harvest("ann", 0, 0, 0, out, r.force, r.roll, r.pct), CROPS_HARVEST_DONE);
    ASSERT_EQ(out.size(), r.items);
    if (r.items) {
      EXPECT_EQ(out[0].second, r.count);
    }
    EXPECT_EQ(f.crops.has_plant(0, 0, 0), r.stays);
    if (r.stays) {
      EXPECT_EQ(f.crops.find_plant(0, 0, 0)->stage, 4);
      EXPECT_EQ(f.crops.find_plant(0, 0, 0)->counter, 0);
    }
  }
  // With the game's own dice a 2d6 yield stays within 2..12.
  for (int i = 0; i < 50; ++i) {
    Farm f;
    f.crops.plant("ann", 1, 0, 0, 0, true);
    f.crops.find_plant(0, 0, 0)->stage = 5;
    HarvestList out;
    f.crops.harvest("ann", 0, 0, 0, out, true);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_GE(out[0].second, 2);
    EXPECT_LE(out[0].second, 12);
  }
}

// The plant file: one tab-separated line per plant, 'u' or 'a' for the
// site; what is written reads back to the same file.
TEST(Crops, PlantFileRoundTrip) {
  Farm f;
  const std::string text = "ann\t1b\t-4\t250\t3\t77\t2\t5\t9\tu\nbob\t1b\t-4\t250\t3\t77\t2\t0\t1\ta\n";
  std::filesystem::create_directory("etc");
  TempDir::write("etc/crops.txt", text);
  ASSERT_EQ(f.crops.load_plants(), 0);
  ASSERT_EQ(f.crops.num_plants(), 2);
  const Plant& a = f.crops.plants.front();
  EXPECT_EQ(a.crop_id, 0x1b);
  EXPECT_EQ(a.x, -4);
  EXPECT_EQ(a.counter, 9);
  EXPECT_TRUE(a.site_flag);
  EXPECT_FALSE(f.crops.plants.back().site_flag);
  std::remove("etc/crops.txt");
  ASSERT_EQ(f.crops.save_plants(), 0);
  EXPECT_EQ(TempDir::read("etc/crops.txt"), text);
  // Lines of nine or eleven fields are skipped; the list is appended to.
  TempDir::write("etc/crops.txt", "a\t1\t1\t1\t1\t1\t1\t1\t1\n"
                                  "b\t1\t1\t1\t1\t1\t1\t1\t1\tu\tx\n"
                                  "\n"
                                  "c\t2\t1\t1\t1\t1\t1\t1\t1\ta\n");
  ASSERT_EQ(f.crops.load_plants(), 0);
  EXPECT_EQ(f.crops.num_plants(), 3);
  EXPECT_EQ(f.crops.plants.back().owner, "c");
}

TEST(Crops, PlantFileMissing) {
  TempDir dir;
  Crops c;
  EXPECT_EQ(c.load_plants(), 1);
  c.plant("ann", 1, 0, 0, 0, true);
  EXPECT_EQ(c.save_plants(), 1);  // no etc/ folder
  EXPECT_NE(TempDir::read("cl_log.txt").find("failed to open etc/crops.txt for write!"), std::string::npos);
}

}  // namespace
