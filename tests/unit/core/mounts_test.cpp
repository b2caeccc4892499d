#include "core/mounts.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace {

TEST(Mounts, LoadQueriesAndReload) {
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
  // Directions 1-4 draw the second tile, the others the first.
  struct { int id, dir, tile; } tiles[] = {
      {1, 1, 0x41}, {1, 4, 0x41}, {1, 5, 0x40}, {1, 8, 0x40}, {1, 0, 0x40}, {1, 9, 0x40},
      {5, 3, 0x2b}, {99, 1, 0}};
  for (const auto& t : tiles) EXPECT_EQ(m.get_tile(t.id, t.dir), t.tile) << t.id << " " << t.dir;
  struct { int id, delay; char letter; bool flag; const char* sound; } rows[] = {
      {1, 180, 'p', true, "pony.wav"},  // "y" counts like "Y"
      {2, 260, 'o', false, ""},         // "yes" does not
      {3, 200, 0, true, ""},
      {99, 0, 0, false, ""},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(m.get_delay(r.id), r.delay) << r.id;
    EXPECT_EQ(m.get_letter(r.id), r.letter) << r.id;
    EXPECT_EQ(m.get_flag(r.id), r.flag) << r.id;
    EXPECT_EQ(m.get_sound(r.id), r.sound) << r.id;
  }
  EXPECT_EQ(m.get_sound_names(), (std::vector<std::string>{"pony.wav", "last.wav"}));
  // A reload replaces the ids it names and keeps the others.
  TempDir::write("dat/mounts.txt", "2\tC\t0\t5\tc\tN\t3\t4\tc.wav\n");
  EXPECT_EQ(m.load(), 1);
  EXPECT_EQ(m.find(1)->name, "Pony");
  EXPECT_EQ(m.find(2)->name, "C");
  EXPECT_EQ(m.get_sound_names(), (std::vector<std::string>{"pony.wav", "c.wav", "last.wav"}));
}

}  // namespace
