#include "core/mounts.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace {

TEST(Mounts, LoadAndQueries) {
  TempDir dir;
  TempDir::write("dat/mounts.txt",
                 "# id\tname\tcode\tdelay\tletter\tflag\tdraw\tdraw 1-4\tsound\n"
                 "1\tPony\t5c0\t180\tp\ty\t40\t41\tpony.wav\n"
                 "2\tOx\t5c2\t260\to\tyes\t44\t45\n"
                 "3\tBeetle\t5c3\t200\t\tY\t46\t47\t\n"
                 "4\tShort\t1\t2\t3\tY\t5\n"
                 "5\tLast\t1\t90\tl\tN\t2a\t2b\tlast.wav\textra\n");
  Mounts m;
  EXPECT_EQ(m.load(), 4);
  ASSERT_NE(m.find(1), nullptr);
  EXPECT_EQ(m.find(1)->code, 0x5c0);
  EXPECT_EQ(m.find(4), nullptr);
  EXPECT_EQ(m.find(99), nullptr);
  struct { int id, dir, tile; } tiles[] = {
      {1, 1, 0x41}, {1, 4, 0x41}, {1, 5, 0x40}, {1, 8, 0x40}, {1, 0, 0x40}, {1, 9, 0x40},
      {5, 3, 0x2b}, {99, 1, 0}};
  for (const auto& t : tiles) EXPECT_EQ(m.get_tile(t.id, t.dir), t.tile) << t.id << " " << t.dir;
  EXPECT_EQ(m.get_delay(2), 260);
  EXPECT_EQ(m.get_delay(99), 0);
  EXPECT_EQ(m.get_letter(1), 'p');
  EXPECT_EQ(m.get_letter(3), 0);
  EXPECT_EQ(m.get_letter(99), 0);
  EXPECT_TRUE(m.get_flag(1));    // "y" counts like "Y"
  EXPECT_FALSE(m.get_flag(2));   // "yes" does not
  EXPECT_TRUE(m.get_flag(3));
  EXPECT_FALSE(m.get_flag(99));
  EXPECT_EQ(m.get_sound(1), "pony.wav");
  EXPECT_EQ(m.get_sound(2), "");
  EXPECT_EQ(m.get_sound(99), "");
  EXPECT_EQ(m.get_sound_names(), (std::vector<std::string>{"pony.wav", "last.wav"}));
}

TEST(Mounts, ReloadKeepsOldIds) {
  TempDir dir;
  Mounts m;
  EXPECT_EQ(m.load(), 0);
  TempDir::write("dat/mounts.txt", "1\tA\t0\t1\ta\tN\t1\t2\ta.wav\n7\tB\t0\t1\tb\tN\t3\t4\n");
  EXPECT_EQ(m.load(), 2);
  TempDir::write("dat/mounts.txt", "7\tC\t0\t5\tc\tN\t3\t4\tc.wav\n");
  EXPECT_EQ(m.load(), 1);
  EXPECT_EQ(m.find(1)->name, "A");
  EXPECT_EQ(m.find(7)->name, "C");
  EXPECT_EQ(m.get_sound_names(), (std::vector<std::string>{"a.wav", "c.wav"}));
}

}  // namespace
