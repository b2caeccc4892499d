// Level change, the map request and the minimap cache.

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/sound.h"
#include "core/compression.h"
#include "core/item_bases.h"
#include "core/number_codec.h"
#include "core/string_utils.h"
#include "core/utils.h"
#include "handler_fixture.h"
#include "unit/audio/recording_backend.h"

namespace {

struct LevelChange : HandlerTest {
  void SetUp() override {
    HandlerTest::SetUp();
    TempDir::copy_gamedata("cmaps");
    level_entered = false;
  }
  static unsigned crc_of(int map) {
    return static_cast<unsigned>(file_crc32(format_str("cmaps/lvl%03d.map", map)));
  }
};

}  // namespace

TEST_F(LevelChange, CrcDecidesBetweenEnteringAndRequesting) {
  // Level numbers run past three digits: "lvl1000.map"; and level 0 is a level.
  std::filesystem::copy_file("cmaps/lvl001.map", "cmaps/lvl1000.map");
  std::filesystem::copy_file("cmaps/lvl001.map", "cmaps/lvl000.map");
  const struct {
    std::string line;
    std::string sent;
    int map;  // the level loaded, -1 none
    int level = 4;  // the player's level after it
  } cases[] = {
      {format_str("K 0 1 4 11 12 %x", crc_of(1)), "<none>", 1},
      {format_str("K 0 1 4 11 12 %x 0 1", crc_of(1) ^ 1u), "L 4", -1},
      {"K 0 9 6 11 12 0", "L 6", -1},  // a missing file counts as a mismatch
      {format_str("K 0 1000 4 11 12 %x", crc_of(1000)), "<none>", 1000},
      {format_str("K 0 0 4 11 12 %x", crc_of(0)), "<none>", 0},
      {"K 0 2147483647 6 11 12 0", "L 6", -1},
      // A cell off the grid leaves the player where he was.
      {format_str("K 0 1 4 2147483647 -2147483648 %x", crc_of(1)), "<none>", 1},
      {format_str("K 0 1 4 11 250 %x", crc_of(1)), "<none>", 1},
      // The level is held in 16 bits: past them it stays at the edge rather
      // than wrapping round to another level.
      {format_str("K 0 1 65540 11 12 %x", crc_of(1)), "<none>", 1, 32767},
      {format_str("K 0 1 -40000 11 12 %x", crc_of(1)), "<none>", 1, -32768},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    LoopbackServer s;
    level_entered = false;
    map_transfer_pending = false;
    d.scroll_offset = 32;  // a step still scrolling in
    app.process_pkt(c.line);
    const bool entered = c.map >= 0;
    EXPECT_EQ(s.next(50), c.sent);
    EXPECT_EQ(level_entered, entered);
    EXPECT_EQ(map_transfer_pending, !entered);
    EXPECT_EQ(me.x, 11);
    // The new level is drawn where it stands, not still scrolling.
    EXPECT_EQ(d.scroll_offset, entered ? 0 : 32);
    if (entered) {
      EXPECT_EQ(me.map_level, c.level);
      EXPECT_EQ(cmap.get_level(), c.map);
      EXPECT_TRUE(app.session.logged_in);
    }
  }
}

// A line that changes no level. Before the session's first level nothing is
// entered, and the next level change caches no empty minimap under the
// level that the last session left loaded; on a level, the player stays
// there and the level change goes on.
TEST_F(LevelChange, ShortOrClosedLevelMessages) {
  LoopbackServer s;
  me.name = "Wren";
  app.process_pkt(format_str("K 0 1 1 3 4 %x", crc_of(1)));
  ASSERT_TRUE(level_entered);
  d.minimap[3][3] = 7;
  save_minimap();
  const std::string cached = TempDir::read("cmaps/Wren.001.mm");
  // The next session, its minimap clear.
  app.reset_session();
  d.clear_minimap();
  map_transfer_pending = true;
  app.process_pkt("K 0 3 7 11 12");
  EXPECT_TRUE(map_transfer_pending);  // fewer than six fields: nothing changes
  app.process_pkt("K 0 -1 7 11 12 0");
  EXPECT_FALSE(map_transfer_pending);
  EXPECT_TRUE(has_message("Level closed!"));
  EXPECT_FALSE(level_entered);
  EXPECT_FALSE(app.session.logged_in);
  app.process_pkt(format_str("K 0 2 2 3 4 %x", crc_of(2)));
  EXPECT_TRUE(level_entered);
  EXPECT_EQ(TempDir::read("cmaps/Wren.001.mm"), cached);

  for (const char* line : {"K 0 -1 7 11 12 0", "K 0 3 7"}) {
    SCOPED_TRACE(line);
    app.process_pkt("i\t120\tevil\tGoblin\t0\t0");
    ASSERT_EQ(id_table.get_name(120), "Goblin");
    d.scroll_offset = 32;
    app.process_pkt(line);
    EXPECT_EQ(cmap.get_level(), 2);
    EXPECT_EQ(me.map_level, 2);
    EXPECT_TRUE(level_entered);
    EXPECT_EQ(id_table.get_name(120), "");
    EXPECT_EQ(d.scroll_offset, 0);
  }
}

// A level that cannot be entered ends the session; the minimap drawn on the
// level before it is saved under that level, not under the new number.
TEST_F(LevelChange, LevelsThatCannotBeEnteredEndTheSession) {
  TempDir::write("cmaps/lvl009.map", "no level here\n");
  const struct {
    const char* what;
    std::string line;
    std::string file;  // sent as a transfer before the line, if any
    int map;           // the level named, whose cache must not appear
  } cases[] = {
      {"a negative map number", "K 0 -2 4 1 1 0", "", -1},
      {"a negative map number transferred", "K 1 -5000 4 1 1 0", "", -1},
      {"a level file that does not load", format_str("K 0 9 9 1 1 %x", crc_of(9)), "", 9},
      {"a transferred level that does not load", "K 1 9 9 1 1 0", "FILE cmaps/lvl009.map 0 0", 9},
  };
  me.name = "Wren";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove("cmaps/Wren.001.mm");
    LoopbackServer s;
    app.reset_session();
    app.process_pkt(format_str("K 0 1 1 3 4 %x", crc_of(1)));
    ASSERT_TRUE(level_entered);
    d.minimap[3][3] = MINIMAP_WALL;
    if (!c.file.empty()) s.send(c.file);
    app.process_pkt(c.line);
    EXPECT_TRUE(session_over);
    EXPECT_EQ(s.next(), "q");
    save_minimap();  // the session ends
    if (c.map >= 0) {
      EXPECT_FALSE(std::filesystem::exists(format_str("cmaps/Wren.%03d.mm", c.map)));
    }
    d.clear_minimap();
    cmap.level = 1;
    load_minimap();
    EXPECT_EQ(d.minimap[3][3], MINIMAP_WALL);
  }
}

// A session that ends before its first level has drawn nothing on the level
// the last session left: that level's cache stays as it was, and another
// character writes none for it.
TEST_F(LevelChange, SessionEndedBeforeItsFirstLevelKeepsTheLastMinimap) {
  const struct {
    const char* what;
    std::vector<std::string> lines;
    const char* sent;
  } cases[] = {
      {"the server closes after the handshake", {}, "<none>"},
      {"a line too short", {"K 0 3 7 11 12"}, "<none>"},
      {"the level closed", {"K 0 -1 7 11 12 0"}, "<none>"},
      {"the level file asked for", {"K 0 2 2 3 4 0"}, "L 2"},
  };
  for (const char* next : {"Wren", "Ash"}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(next) + ": " + c.what);
      LoopbackServer s;
      app.reset_session();
      me.name = "Wren";
      app.process_pkt(format_str("K 0 1 1 3 4 %x", crc_of(1)));
      ASSERT_TRUE(level_entered);
      d.minimap[3][3] = MINIMAP_WALL;
      save_minimap();
      const std::string cached = TempDir::read("cmaps/Wren.001.mm");
      ASSERT_NE(cached, "");

      app.reset_session();
      me.name = next;
      for (const std::string& line : c.lines) app.process_pkt(line);
      EXPECT_EQ(s.next(50), c.sent);
      save_minimap();  // the session ends
      EXPECT_EQ(TempDir::read("cmaps/Wren.001.mm"), cached);
      EXPECT_FALSE(std::filesystem::exists("cmaps/Ash.001.mm"));
    }
  }
}

// While the requested level file is on its way the player stands on the new
// level's cell over the old level: what the view marks then is no cell of
// the level left.
TEST_F(LevelChange, RequestedLevelMarksNothingOnTheLevelLeft) {
  LoopbackServer s;
  me.name = "Wren";
  app.process_pkt(format_str("K 0 1 1 3 4 %x", crc_of(1)));
  ASSERT_TRUE(level_entered);
  d.minimap[3][3] = MINIMAP_WALL;
  app.process_pkt("K 0 2 2 30 40 0");
  EXPECT_EQ(s.next(50), "L 2");
  const std::string cached = TempDir::read("cmaps/Wren.001.mm");
  ASSERT_NE(cached, "");
  d.minimap[30][40] = MINIMAP_WALL;  // seen around the new cell
  save_minimap();                    // the session ends before the file comes
  EXPECT_EQ(TempDir::read("cmaps/Wren.001.mm"), cached);
  EXPECT_FALSE(std::filesystem::exists("cmaps/Wren.002.mm"));
}

// A player the server renames mid-level finds the level's minimap under the
// new name on his return: the cells are saved under the name he has then.
TEST_F(LevelChange, RenamedPlayerKeepsTheLevelsMinimap) {
  LoopbackServer s;
  me.name = "Wren";
  me.id = 1;
  app.process_pkt(format_str("K 0 1 1 3 4 %x", crc_of(1)));
  ASSERT_TRUE(level_entered);
  d.minimap[3][3] = MINIMAP_WALL;
  app.process_pkt("i\t1\tm\tRenamed\t0\t0");
  ASSERT_EQ(me.name, "Renamed");
  app.process_pkt(format_str("K 0 2 2 3 4 %x", crc_of(2)));
  EXPECT_EQ(d.minimap[3][3], 0);
  app.process_pkt(format_str("K 0 1 1 3 4 %x", crc_of(1)));
  EXPECT_EQ(d.minimap[3][3], MINIMAP_WALL);
  EXPECT_FALSE(std::filesystem::exists("cmaps/Wren.001.mm"));
}

TEST_F(LevelChange, TransferMustStayInTheLevelFolder) {
  LoopbackServer s;
  s.send("FILE dat/common.cfg 0 0");
  app.process_pkt("K 1 1 4 1 1 0");
  EXPECT_TRUE(session_over);
  EXPECT_TRUE(has_message("Error transferring map ... disconnecting."));
  EXPECT_EQ(s.next(), "q");
}

// The level the player is on entered again keeps its permanent cells; the
// same level transferred anew, or another level, starts clear.
TEST_F(LevelChange, ReentryKeepsPermanentCells) {
  const struct {
    const char* what;
    int transfer, map;
    bool kept;
  } cases[] = {
      {"the same level", 0, 1, true},
      {"the same level transferred", 1, 1, false},
      {"another level", 0, 2, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LoopbackServer s;
    app.process_pkt(format_str("K 0 1 1 3 4 %x", crc_of(1)));
    ASSERT_TRUE(level_entered);
    obj_grid.set_item(Item(300L), 5, 5);  // a permanent cell
    if (c.transfer) s.send(format_str("FILE cmaps/lvl%03d.map 0 0", c.map));
    app.process_pkt(format_str("K %d %d %d 3 4 %x", c.transfer, c.map, c.map, crc_of(c.map)));
    EXPECT_EQ(cmap.get_level(), c.map);
    EXPECT_EQ(obj_grid.get_item(5, 5), c.kept ? Item(300L) : Item(-1L));
  }
}

// A transferred level starts with a clear minimap when the server says the
// map is new (field 7), else with the cached one; a level that was not
// transferred always takes the cache, level 0 as well.
TEST_F(LevelChange, FreshMapFlagOfATransferredLevel) {
  std::filesystem::copy_file("cmaps/lvl001.map", "cmaps/lvl000.map");
  const struct {
    int map, transfer, fresh;
    uint8_t cell;
  } cases[] = {{1, 1, 0, 7}, {1, 1, 1, 0}, {1, 0, 1, 7}, {1, 0, 0, 7}, {0, 0, 0, 7}};
  me.name = "Wren";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.map * 100 + c.transfer * 10 + c.fresh);
    ASSERT_EQ(cmap.load(c.map), 0);
    std::filesystem::remove(format_str("cmaps/Wren.%03d.mm", c.map));
    load_minimap();
    d.minimap[3][3] = 7;
    save_minimap();
    // A new session, not yet on a level: nothing is saved before this 'K'.
    app.reset_session();
    LoopbackServer s;
    if (c.transfer) s.send(format_str("FILE cmaps/lvl%03d.map 0 0", c.map));
    d.minimap[3][3] = 9;
    app.process_pkt(format_str("K %d %d 1 3 4 %x %d 0", c.transfer, c.map, crc_of(c.map), c.fresh));
    EXPECT_TRUE(level_entered);
    EXPECT_EQ(d.minimap[3][3], c.cell);
    // Either way, what is seen there now is cached under this level.
    d.minimap[4][4] = MINIMAP_GROUND;
    save_minimap();
    d.clear_minimap();
    load_minimap();
    EXPECT_EQ(d.minimap[4][4], MINIMAP_GROUND);
  }
}

// The looping sound of the level left (a fountain beside the player) stops
// with the level change; it does not wait for the next level's first view.
TEST_F(LevelChange, LoopingSoundStopsWithTheLevel) {
  RecordingBackend rec;
  struct Released {
    ~Released() { sound.release(); }  // no handle of the recorder outlives it
  } released;
  for (const char* name : SOUND_SAMPLE_NAMES) TempDir::write(std::string("sound/") + name + ".wav", "x");
  client_cfg.set("volume", "100");
  sound.init();
  LoopbackServer s;
  app.process_pkt(format_str("K 0 1 1 3 4 %x", crc_of(1)));
  ASSERT_TRUE(level_entered);
  // The view: a fountain a cell from the player, and the refresh that starts its loop.
  const std::string fountain = encode_number(-2) + " " +
                               Item(static_cast<long>(ITEM_BASE_FOUNTAIN)).to_packed_str() + " " +
                               encode_number(4) + " " + encode_number(4) + " " +
                               pack_fov_status(0, 0, 'n', false, 0);
  app.process_pkt("F1\x1e" + fountain + "\x1eR " + encode_number(3) + " " + encode_number(4) + " " +
                  encode_number(1) + " 0");
  ASSERT_EQ(sound.ambient_id, SFX_FOUNTAIN);
  rec.calls.clear();
  app.process_pkt(format_str("K 0 2 2 3 4 %x", crc_of(2)));
  ASSERT_EQ(cmap.get_level(), 2);
  int stopped = 0;
  for (const RecordedCall& c : rec.calls_of("stop")) stopped += c.name == "sound/fountain.wav";
  EXPECT_EQ(stopped, 1);
  EXPECT_EQ(sound.ambient_id, -1);
}

TEST_F(LevelChange, MinimapCacheNames) {
  const struct {
    const char* name;
    const char* file;
  } cases[] = {
      {"Wren[Guild]", "cmaps/Wren.007.mm"},
      {"Ash_Tree-2", "cmaps/Ash_Tree-2.007.mm"},
      {"", ""},
      {"[x]", ""},
      {"../../client", ""},
      {"a/b", ""},
      {"dot.name", ""},
      {"ThisNameIsFarTooLongForACacheFile01", ""},
  };
  for (const auto& c : cases) {
    me.name = c.name;
    EXPECT_EQ(minimap_filename(7), c.file) << c.name;
  }
  me.name = "Wren";
  EXPECT_EQ(minimap_filename(1000), "cmaps/Wren.1000.mm");
  EXPECT_EQ(minimap_filename(-1), "");
}

TEST_F(LevelChange, MinimapCacheForms) {
  me.name = "Wren";
  cmap.level = 3;
  load_minimap();
  d.minimap[0][0] = 1;
  d.minimap[249][249] = 2;
  save_minimap();
  std::string file = TempDir::read("cmaps/Wren.003.mm");
  ASSERT_EQ(file.compare(0, 6, "ZZZ:::"), 0);
  d.clear_minimap();
  load_minimap();
  EXPECT_EQ(d.minimap[0][0], 1);
  EXPECT_EQ(d.minimap[249][249], 2);

  // The older form: the grid bytes as they are.
  std::string raw(62500, '\0');
  raw[1] = 5;
  TempDir::write("cmaps/Wren.003.mm", raw);
  load_minimap();
  EXPECT_EQ(d.minimap[0][1], 5);
  EXPECT_EQ(d.minimap[249][249], 0);

  // A compressed body shorter than the grid fills only its own bytes.
  TempDir::write("cmaps/Wren.003.mm", "ZZZ:::" + deflate(std::string(3, '\x04')));
  d.minimap[100][100] = 9;
  load_minimap();
  EXPECT_EQ(d.minimap[0][2], 4);
  EXPECT_EQ(d.minimap[0][3], 0);
  EXPECT_EQ(d.minimap[100][100], 0);

  // An unsafe name writes nothing.
  me.name = "../Wren";
  load_minimap();
  save_minimap();
  EXPECT_EQ(TempDir::read("Wren.003.mm"), "");
}
