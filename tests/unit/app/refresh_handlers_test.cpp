// Refresh, field of view and map change messages.

#include <string>

#include "core/number_codec.h"
#include "core/utils.h"
#include "handler_fixture.h"

namespace {

const std::string RS(1, '\x1E');

std::string n(int v) { return encode_number(v); }

// One field-of-view entry for a small object.
std::string entry(int id, long code, int x, int y) {
  return n(id) + " " + Item(code).to_packed_str() + " " + n(x) + " " + n(y) + " " +
         pack_fov_status(3, 50, 'g', false, 7);
}

std::string refresh(int x, int y, int z, int token) {
  return "R " + n(x) + " " + n(y) + " " + n(z) + " " + std::to_string(token);
}

struct RefreshHandlers : HandlerTest {};

}  // namespace

TEST_F(RefreshHandlers, RefreshSetsConfirmedPositionAndLatency) {
  app.session.pending_move_token = 5;
  app.session.move_sent_time = get_time_us() - 250000;
  app.process_pkt(refresh(30, 40, 1, 5));
  EXPECT_EQ(app.session.confirmed_x, 30);
  EXPECT_EQ(app.session.confirmed_y, 40);
  EXPECT_EQ(app.session.pending_move_token, 0);
  EXPECT_GE(move_latency_ms, 250);
  EXPECT_LT(move_latency_ms, 5000);

  // Token 0 leaves the pending token and the latency alone.
  app.session.pending_move_token = 6;
  move_latency_ms = 17;
  app.process_pkt(refresh(31, 41, 1, 0));
  EXPECT_EQ(app.session.pending_move_token, 6);
  EXPECT_EQ(move_latency_ms, 17);
}

TEST_F(RefreshHandlers, RefreshForAnotherLevel) {
  const struct {
    bool transfer_pending;
    int errors;
  } cases[] = {{false, 1}, {true, 0}};
  for (const auto& c : cases) {
    app.session.level_sync_errors = 0;
    map_transfer_pending = c.transfer_pending;
    d.messages.clear();
    app.process_pkt(refresh(7, 8, 2, 0));
    EXPECT_EQ(app.session.confirmed_x, 7);  // taken before the level test
    EXPECT_EQ(app.session.level_sync_errors, c.errors);
    EXPECT_EQ(has_message("level sync error++ (fov)"), c.errors == 1);
  }
  map_transfer_pending = false;
  app.session.level_sync_errors = 0;
  app.process_pkt("R 1 2");  // fewer than three fields
  EXPECT_EQ(app.session.level_sync_errors, 0);
}

TEST_F(RefreshHandlers, FieldOfViewCounts) {
  server_objects.add_obj(50, Item(9L), 1, 1, 0, 0, 'n', 0, 0, 0);
  const struct {
    std::string line;
    int nodes;
    int result;
  } cases[] = {
      {"F0", 0, 0},
      {"F2" + RS + entry(101, 300, 3, 4) + RS + entry(102, 301, 5, 6), 2, 2},
      // More announced than present: each entry is taken once.
      {"F1000000" + RS + entry(101, 300, 3, 4), 1, 1000000},
      // Header only, no separator: the header is no entry.
      {"F3", 0, 3},
      // An entry with fewer than five fields still counts.
      {"F2" + RS + "a b c" + RS + entry(103, 302, 7, 7), 1, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line.substr(0, 12));
    EXPECT_EQ(process_fov_data(c.line, server_objects), c.result);
    EXPECT_EQ(server_objects.count, c.nodes);
  }
}

TEST_F(RefreshHandlers, AdditionWithShortCountAndOffGridEntries) {
  app.process_pkt("F1" + RS + entry(101, 300, 3, 4));
  // 'G' adds: a short count takes what is there, updating node 101.
  app.process_pkt("G3" + RS + entry(101, 300, 8, 9));
  ASSERT_EQ(server_objects.count, 1);
  EXPECT_EQ(server_objects.first->x, 8);
  EXPECT_EQ(server_objects.first->y, 9);
  EXPECT_EQ(server_objects.first->hea, 50);
  EXPECT_EQ(server_objects.first->align, 'g');
  // Cells outside 0..249 never reach the list (or the grid).
  app.process_pkt("G3" + RS + entry(104, 300, 250, 4) + RS + entry(105, 300, 3, -1) + RS +
                  entry(106, 300, 249, 249));
  EXPECT_EQ(server_objects.count, 2);
  EXPECT_FALSE(server_objects.has_id(104));
  EXPECT_FALSE(server_objects.has_id(105));
  EXPECT_TRUE(server_objects.has_id(106));
}

TEST_F(RefreshHandlers, FieldOfViewFollowedByRefresh) {
  app.process_pkt("F1" + RS + entry(101, 300, 3, 4) + RS + refresh(12, 13, 1, 0));
  EXPECT_EQ(server_objects.count, 1);
  EXPECT_EQ(app.session.confirmed_x, 12);
  EXPECT_EQ(app.session.confirmed_y, 13);
}

TEST_F(RefreshHandlers, PlayerEntriesUpdateTrackedRowsOnly) {
  tracked_creatures.push_back(TrackedCreature{});
  tracked_creatures[0].id = 7;
  tracked_creatures[0].tag_number = 4;
  id_table.set_info(7, "Wren", 'g', "0", "0");
  app.process_pkt("F2" + RS + entry(7, 300, 20, 21) + RS + entry(8, 300, 22, 23));
  ASSERT_EQ(tracked_creatures.size(), 1u);
  EXPECT_EQ(tracked_creatures[0].name, "Wren");
  EXPECT_EQ(tracked_creatures[0].x, 20);
  EXPECT_EQ(tracked_creatures[0].y, 21);
  EXPECT_EQ(tracked_creatures[0].level, 1);
  EXPECT_EQ(tracked_creatures[0].health, 50);
  EXPECT_EQ(tracked_creatures[0].tag_number, 4);
}

TEST_F(RefreshHandlers, MapChangeWritesTheCachedLevel) {
  TempDir::copy_gamedata("cmaps");
  TempDir::copy_gamedata("dat");
  ASSERT_EQ(tiledata.load(), 0);  // the level file keeps only known tiles
  ASSERT_EQ(cmap.load(1), 0);
  me.map_level = 1;
  const struct {
    const char* line;
    int tile_at_3_4;
  } cases[] = {
      {"N t 3 4 1 94", 94},
      {"N t 3 4 1 2560", 94},  // not a tile number
      {"N t 3 4 1 -1", 94},
      {"N t 3 4 2 101", 94},   // another level
      {"N t 3 4 1", 94},       // too short
      {"N t 3 4 1 119", 119},
  };
  for (const auto& c : cases) {
    app.process_pkt(c.line);
    CMap saved;
    ASSERT_EQ(saved.load(1), 0);
    EXPECT_EQ(saved.get_tile(3, 4), c.tile_at_3_4) << c.line;
    EXPECT_EQ(cmap.get_tile(3, 4), c.tile_at_3_4) << c.line;
  }
}

TEST_F(RefreshHandlers, StatusLineIsTruncated) {
  LoopbackServer s;
  me.str = 12.9f;
  me.dex = 7.2f;
  me.intel = 15.99f;
  items.add(Item(256L), 3, 1, false);
  cmap.vis = 4;
  cmap.level = 2;
  send_stats_update();
  EXPECT_EQ(s.next(), "x 12 7 15 0 3 4 2");
}

TEST_F(RefreshHandlers, TurnTowardsSendsTheDirection) {
  LoopbackServer s;
  me.x = 10;
  me.y = 10;
  me.direction = 5;
  turn_towards(10, 10);
  EXPECT_EQ(me.direction, 5);
  EXPECT_EQ(s.next(50), "<none>");
  turn_towards(11, 10);
  EXPECT_EQ(me.direction, 3);
  EXPECT_EQ(s.next(), "r 3");
}
