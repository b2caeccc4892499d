#pragma once
// A small world for the side-panel tests: three stats, four skills, three
// classes, a few items and a spell table written into a fresh directory.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/globals.h"
#include "core/utils.h"
#include "display/side_panel.h"
#include "support/temp_dir.h"
#include "unit/core/item_test_world.h"

namespace side_panel_test {

// One spell line: hexadecimal id, name, circle and skill name.
inline std::string spell_line(int id, const std::string& name, int circle, const std::string& skill) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "%x", id);
  return item_test::tabs({hex, "s" + std::string(hex), name, "sp_" + name, "", "1", std::to_string(circle), "wsm", "m",
                          skill, "0", "5", "1000", "none", "n", "0", "", "", "1", "n"});
}

// Skills: 0 Unarmed (counts), 1 Blades (counts), 2 Bows, 3 Fire (counts).
inline const char* SKILLS =
    "Unarmed\tu\tstrength\tn\ty\t\t10\ty\t1\t0\n"
    "Blades\tb\tstrength\tn\tn\tw\t11\ty\t1\t0\n"
    "Bows\to\tdexterity\tn\tn\ts\t12\tn\t2\t0\n"
    "Fire\tf\tintelligence\tn\tn\tm\t13\ty\t3\t0\n";
inline const char* CLASSES =
    "Warden\tw\t\tr\th\n"
    "Scout\ts\t\te\tm\n"
    "Mage\tm\t\tm\tl\n";

class SidePanelWorld : public ::testing::Test {
 protected:
  void SetUp() override {
    world_ = std::make_unique<item_test::ItemWorld>(item_test::WEAPONS, item_test::WEARABLE, "", "",
                                                    extra_cfg());
    TempDir::write("dat/skills.txt", SKILLS);
    TempDir::write("dat/classes.txt", CLASSES);
    sc.load();
    TempDir::write("dat/spells.txt", spell_line(1, "Kindle", 2, "Fire") + spell_line(2, "Cut", 8, "Blades") +
                                         spell_line(3, "Aim", 0, "Bows") + spell_line(4, "Blaze", 8, "Fire"));
    spells.load();
    saved_world_time_ = world_time;
    saved_stat_value_ = STAT_VALUE;
    STAT_VALUE = 1.0f;
    items.clear();
    items.total_weight = 0.0f;
    tracked_creatures.clear();
    p.reset();
    p.name = "Ada";
    p.hunger = 500;
    p.str = p.dex = p.intel = 20.0f;
    p.hp = 50;
    p.net_hp_max = 100;
    p.mana = 10;
    p.net_mana_max = 20;
  }
  void TearDown() override {
    items.clear();
    tracked_creatures.clear();
    world_time = saved_world_time_;
    STAT_VALUE = saved_stat_value_;
    world_.reset();
  }
  virtual std::string extra_cfg() const {
    return "currency=gold\nschoolcolor3=ff0000\nschoolcolor1=0080ff\nschoolcolorffffffff=00ff00\n";
  }
  void load_spells(const std::string& lines) {
    TempDir::write("dat/spells.txt", lines);
    spells.load();
  }

  std::unique_ptr<item_test::ItemWorld> world_;
  int saved_world_time_ = 0;
  float saved_stat_value_ = 0.0f;
  Player p;
};

}  // namespace side_panel_test
