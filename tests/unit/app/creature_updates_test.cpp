// Creature position updates ('o').

#include <string>

#include "core/number_codec.h"
#include "handler_fixture.h"

namespace {

const std::string RS(1, '\x1E');

std::string n(int v) { return encode_number(v); }

// One complete record: id, x, y, level, code, fs, hp, status, dir, align.
std::string record(const char* tag, int id, int x, int y, int level, int code = 300, int fs = 0,
                   int hp = 40, int status = 6, int dir = 3, char align = 'e') {
  return std::string(tag) + " " + n(id) + " " + n(x) + " " + n(y) + " " + n(level) + " " +
         n(code) + " " + std::to_string(fs) + " " + n(hp) + " " + n(status) + " " +
         std::to_string(dir) + " " + align;
}

struct CreatureUpdates : HandlerTest {};

}  // namespace

TEST_F(CreatureUpdates, AddsUpdatesAndRemoves) {
  app.process_pkt(record("o", 120, 10, 11, 1));
  ASSERT_TRUE(server_objects.has_id(120));
  ItemListEl* node = server_objects.find_id(120);
  EXPECT_EQ(node->x, 10);
  EXPECT_EQ(node->hea, 40);
  EXPECT_EQ(node->price, 6);
  EXPECT_EQ(node->b, 3);
  EXPECT_EQ(node->align, 'e');
  EXPECT_EQ(obj_grid.get_id(10, 11), 120);

  // Two records, an empty one between them; the second updates 120.
  app.process_pkt(record("o", 121, 1, 1, 1) + RS + RS + record("u", 120, 12, 13, 1, 301, 0, 39, 2,
                                                                  5, 'g'));
  node = server_objects.find_id(120);
  EXPECT_EQ(node->x, 12);
  EXPECT_EQ(node->y, 13);
  EXPECT_EQ(node->item.code, 301);
  EXPECT_EQ(node->align, 'e');  // alignment stays
  EXPECT_TRUE(server_objects.has_id(121));
  EXPECT_EQ(obj_grid.get_id(12, 13), 120);

  // x = -1 removes even when the later tokens are missing.
  app.process_pkt("o " + n(120) + " " + n(-1));
  EXPECT_FALSE(server_objects.has_id(120));
  EXPECT_EQ(obj_grid.get_id(12, 13), -1);
  // An id alone is not enough to remove anything.
  app.process_pkt("o " + n(121));
  EXPECT_TRUE(server_objects.has_id(121));
}

TEST_F(CreatureUpdates, IgnoredRecords) {
  tracked_creatures.push_back(TrackedCreature{});
  tracked_creatures[0].id = 130;
  tracked_creatures[0].x = 1;
  const struct {
    std::string line;
    const char* why;
  } cases[] = {
      {record("o", 130, 10, 11, 2), "another level"},
      {record("o", 130, 250, 11, 1), "x off the grid"},
      {record("o", 130, 10, 250, 1), "y off the grid"},
      {record("o", 130, -5, 11, 1), "negative x"},
      {"o " + n(130) + " " + n(10) + " " + n(11) + " " + n(1), "incomplete"},
      {"o " + std::string(5000, 'A') + " " + std::string(3000, 'B'), "overlong tokens"},
  };
  for (const auto& c : cases) {
    app.process_pkt(c.line);
    EXPECT_FALSE(server_objects.has_id(130)) << c.why;
    EXPECT_EQ(tracked_creatures[0].x, 1) << c.why;
  }
  app.process_pkt(record("o", 130, 10, 11, 1));
  EXPECT_TRUE(server_objects.has_id(130));
  EXPECT_EQ(tracked_creatures[0].x, 10);
  EXPECT_EQ(tracked_creatures[0].level, 1);
}

// The facing is a 16-bit field: a number past it is held at its edge rather
// than wrapped round to another facing.
TEST_F(CreatureUpdates, FacingKeepsToSixteenBits) {
  const struct {
    int dir, stored;
  } cases[] = {{7, 7}, {32767, 32767}, {65539, 32767}, {-40000, -32768}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dir);
    app.process_pkt(record("o", 140, 10, 11, 1, 300, 0, 40, 6, c.dir));
    ASSERT_TRUE(server_objects.has_id(140));
    EXPECT_EQ(server_objects.find_id(140)->b, c.stored);
  }
}
