// Skill accessors and class points against the sample world's classes:
// Warden (0), Scout (1), Mage (2), Pyre Mage (3, under Mage), Ranger (4,
// under Scout); skills 2 Bows (Scout), 4 Stealth (Ranger), 5 Meditation and
// 9 Herbalism (no class, outside the skill total), 6 Pyromancy (Pyre Mage),
// 7 Hydromancy and 8 Necromancy (Mage).

#include <gtest/gtest.h>

#include <memory>

#include "app/globals.h"
#include "support/temp_dir.h"
#include "world/player.h"

namespace {

class SkillsPointsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::make_unique<TempDir>();
    TempDir::copy_gamedata("dat");
    ASSERT_EQ(sc.load(), 0);
    ASSERT_EQ(sc.max_skills(), 12);
    p.reset();
  }
  std::unique_ptr<TempDir> dir_;
  Player p;
};

TEST_F(SkillsPointsTest, InvalidIndexesReadZeroAndWriteNothing) {
  p.skills[11] = 5.0f;
  p.skill_bonuses[11] = 2.5f;
  EXPECT_FLOAT_EQ(p.get_skill(11), 7.5f);
  EXPECT_FLOAT_EQ(p.get_raw_skill(11), 5.0f);
  for (int bad : {-1, 12, 100, 1 << 30}) {
    EXPECT_FLOAT_EQ(p.get_skill(bad), 0.0f) << bad;
    EXPECT_FLOAT_EQ(p.get_raw_skill(bad), 0.0f) << bad;
    set_skill(p, bad, 9.0f);
  }
  EXPECT_FLOAT_EQ(p.skills[12], 0.0f);
  set_skill(p, 3, 9.0f);
  EXPECT_FLOAT_EQ(p.skills[3], 9.0f);
}

TEST_F(SkillsPointsTest, SubclassSkillCountsOnceForItsMainClass) {
  p.skills[6] = 40.0f;
  EXPECT_FLOAT_EQ(p.get_max_class_skill(2), 40.0f);
  EXPECT_FLOAT_EQ(p.get_max_class_skill(3), 40.0f);
  EXPECT_FLOAT_EQ(get_total_subclass_pts(p, 2), 40.0f);
  EXPECT_FLOAT_EQ(get_total_class_points(p), 40.0f) << "not 80";
  p.skills[7] = 30.0f;
  p.skills[2] = 10.0f;
  p.skills[4] = 25.0f;
  EXPECT_FLOAT_EQ(p.get_max_class_skill(2), 40.0f);
  EXPECT_FLOAT_EQ(p.get_max_class_skill(1), 25.0f);
  EXPECT_FLOAT_EQ(p.get_max_class_skill(4), 25.0f);
  EXPECT_FLOAT_EQ(get_total_class_points(p), 65.0f);
}

TEST_F(SkillsPointsTest, TotalsAndGroups) {
  p.skills[5] = 10.0f;
  p.skills[9] = 5.0f;
  EXPECT_FLOAT_EQ(p.get_total_skill_points(true), 0.0f) << "no counted skill is set";
  EXPECT_FLOAT_EQ(p.get_total_skill_points(false), 15.0f);
  p.skills[6] = 12.0f;
  p.skills[8] = 14.0f;
  EXPECT_FLOAT_EQ(p.get_total_skill_points(true), 26.0f);
  EXPECT_FLOAT_EQ(p.get_max_group_skill(2), 14.0f);
  p.skills[9] = -4.0f;
  p.skills[11] = 0.0f;
  EXPECT_FLOAT_EQ(p.get_max_group_skill(3), 0.0f) << "all 0 or negative";
}

}  // namespace
