// Session and player messages fed as message texts through the dispatcher.

#include <cstdio>
#include <string>
#include <vector>

#include "core/buffs.h"
#include "core/compression.h"
#include "core/utils.h"
#include "display/status_lines.h"
#include "handler_fixture.h"
#include "input/menu_modes.h"

namespace {

struct SessionHandlers : HandlerTest {};

struct MoveCase {
  const char* line;
  int dir, confirmed_x, confirmed_y, x, y, sync_errors;
  bool repeats_cleared;
  const char* shown;  // a message expected in the box, or null
};

}  // namespace

TEST_F(SessionHandlers, MoveResults) {
  // The player stands at (5, 5) on level 1; confirmed (1, 1); no sync errors.
  const MoveCase cases[] = {
      {"m 0 10 12 1 2", 2, 10, 12, 10, 12, 0, true, nullptr},
      {"m 1 10 12 1 2", 2, 10, 12, 5, 5, 0, true, nullptr},
      {"m -1 10 12 3 4 1", 4, 1, 1, 5, 5, 1, true, "level sync error++ (m)"},
      {"m -1 20 21 1 6 0", 6, 20, 21, 20, 21, 0, true, nullptr},
      {"m 0 10 12 1", 0, 1, 1, 5, 5, 0, false, nullptr},
      // Off the grid the player stays where he is.
      {"m 0 2147483647 -2147483648 1 2", 2, 2147483647, -2147483647 - 1, 5, 5, 0, true, nullptr},
      {"m -1 250 3 1 6 0", 6, 250, 3, 5, 5, 0, true, nullptr},
  };
  for (const MoveCase& c : cases) {
    SCOPED_TRACE(c.line);
    me.x = me.y = 5;
    me.direction = 0;
    app.session.confirmed_x = app.session.confirmed_y = 1;
    app.session.level_sync_errors = 0;
    app.session.repeat_cast = app.session.repeat_use = app.session.repeat_make = true;
    d.messages.clear();
    ASSERT_EQ(app.process_pkt(c.line), 0);
    EXPECT_EQ(me.direction, c.dir);
    EXPECT_EQ(app.session.confirmed_x, c.confirmed_x);
    EXPECT_EQ(app.session.confirmed_y, c.confirmed_y);
    EXPECT_EQ(me.x, c.x);
    EXPECT_EQ(me.y, c.y);
    EXPECT_EQ(app.session.level_sync_errors, c.sync_errors);
    EXPECT_EQ(app.session.repeat_cast, !c.repeats_cleared);
    if (c.shown) {
      EXPECT_TRUE(has_message(c.shown));
    }
  }
}

TEST_F(SessionHandlers, LevelGainNeedsBothNumbers) {
  app.process_pkt("X 5");
  EXPECT_FALSE(app.session.level_up_pending);
  EXPECT_EQ(me.stat_points, 0);
  app.process_pkt("X 5 2");
  EXPECT_TRUE(app.session.level_up_pending);
  EXPECT_EQ(me.stat_points, 2);
  // Server counts can neither take points away nor overflow the sum.
  app.process_pkt("X 1 -9");
  EXPECT_EQ(me.stat_points, 2);
  app.process_pkt("X 1 2147483647");
  app.process_pkt("X 1 2147483647");
  EXPECT_EQ(me.stat_points, 2147483647);
}

TEST_F(SessionHandlers, ValuesClockAndShip) {
  const struct {
    const char* line;
    int time, phase;
  } clock[] = {
      {"t 600 3", 600, 3},
      // Any count of minutes is a time of the day.
      {"t 2147483647 0", 127, 0},
      {"t -1 5", 1439, 5},
      {"t -2147483648 6", 1312, 6},
      {"t 1440", 0, 6},
      {"t x 2", 0, 6},
  };
  for (const auto& c : clock) {
    app.process_pkt(c.line);
    EXPECT_EQ(world_time, c.time) << c.line;
    EXPECT_EQ(moon_phase, c.phase) << c.line;
  }
  show_combat_messages = true;
  app.process_pkt("v 2 77");
  EXPECT_EQ(app.session.ship_state, 2);
  EXPECT_EQ(app.session.hull_strength, 77);
  EXPECT_TRUE(has_message("Hull strength: 77"));
}

// 'y' gives the form the player takes while polymorphed; the rules read it
// while the status is set.
TEST_F(SessionHandlers, PlayerValuesAreThePolymorphedForm) {
  me.poly_code = me.poly_dmg_dice = me.poly_move_delay = me.poly_attack_delay = 0;
  me.code = 0x201;
  app.process_pkt("y 249 1 2 3 4 5 600 700 1.5 2.5 3.5");
  EXPECT_EQ(me.get_draw_code(), 0x201);  // not polymorphed
  // Field 7 paces moves and actions, field 8 attacks; slowed (status 18),
  // the attacks take twice as long.
  const struct {
    const char* statuses;
    int move, attack;
  } forms[] = {{"7 30", 600, 700}, {"7 30 18 5", 600, 1400}};
  for (const auto& f : forms) {
    app.process_pkt(std::string("@ 0 0 0 0 0 0 0 0 0 0 0 0 0 nnnnnnnnnnnnnnnnnn B 0 0 0 0 0 0 0 0 0 ") +
                    f.statuses);
    EXPECT_EQ(me.get_draw_code(), 0x249) << f.statuses;
    EXPECT_EQ(me.get_dmg_dice(), 3);
    EXPECT_EQ(me.get_dmg_sides(), 4);
    EXPECT_EQ(me.get_delay(), f.move) << f.statuses;
    EXPECT_EQ(me.get_weapon_delay(), f.attack) << f.statuses;
  }
  // To-hit, armour class and magic resistance come with 'H'; the form's own
  // are kept for the character file.
  EXPECT_EQ((std::vector<int>{me.poly_thaco, me.poly_ac, me.poly_magic_resistance}),
            (std::vector<int>{1, 2, 5}));
  EXPECT_FLOAT_EQ(me.get_float_str(), 1.5f * (me.str + me.dex + me.intel));
  // Fields not read keep their values; a multiplier that is no number is
  // refused.
  app.process_pkt("y 10");
  EXPECT_EQ(me.get_draw_code(), 0x10);
  EXPECT_EQ(me.get_dmg_dice(), 3);
  app.process_pkt("y 10 1 2 3 4 5 600 700 nan inf -inf");
  EXPECT_EQ((std::vector<float>{me.poly_str_mult, me.poly_dex_mult, me.poly_int_mult}),
            (std::vector<float>{1.5f, 2.5f, 3.5f}));
}

// The largest experience a record can carry is shown as it came.
TEST_F(SessionHandlers, ExperienceStaysWhole) {
  app.process_pkt(
      "H 10 12 1 20 0 0 30 10 0 0 30 10 5.0 10 0 10.0 10.0 10.0 100 9223372036854775807 1 0 0 5");
  StatusFacts facts = gather_status_facts(me, buffs);
  facts.player_levels = true;
  const std::string first = status_lines(facts)[0];
  EXPECT_NE(first.find(" XP=9223372036854775807"), std::string::npos) << first;
}

// The light of '@' is 16 bits: a number past them is held at their edge,
// never wrapped round to a light of the other sign, which the sight adds in.
TEST_F(SessionHandlers, StatsRecordLightKeepsItsSign) {
  auto stats = [](const std::string& light) {
    return "@ " + light + " 0 0 0 0 0 0 0 0 0 0 0 0 nnnnnnnnnnnnnnnnnn B 0 0 0 0 0 0 0 0 0";
  };
  me.hp = 10;
  app.process_pkt(stats("0"));
  const int unlit_sight = me.get_sight();
  const struct {
    const char* light;
    int shown;
  } cases[] = {
      {"12", 12}, {"-2", -2}, {"32767", 32767}, {"40000", 32767}, {"-40000", -32768},
      {"2000000000", 32767},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.light);
    app.process_pkt(stats(c.light));
    EXPECT_EQ(me.get_light(), c.shown);
    EXPECT_EQ(me.get_sight(), unlit_sight + c.shown);
  }
}

TEST_F(SessionHandlers, HelpTextReplacesBackslashN) {
  app.process_pkt("Pxone\\ntwo");
  EXPECT_TRUE(has_message("Help: \tone two"));
  d.messages.clear();
  client_cfg.set("disable_help_messages", "1");
  app.process_pkt("Pxthree");
  EXPECT_TRUE(d.messages.empty());
}

TEST_F(SessionHandlers, WhispersKeepTheMostRecentPartnerLast) {
  const struct {
    const char* line;
    std::vector<std::string> partners;
  } steps[] = {
      {"W bob hello there", {"bob"}},
      {"W alice hi", {"bob", "alice"}},
      {"W bob again", {"alice", "bob"}},
  };
  for (const auto& s : steps) {
    app.process_pkt(s.line);
    EXPECT_EQ(app.whisper_partners, s.partners) << s.line;
    EXPECT_EQ(app.whisper_index, static_cast<int>(s.partners.size()) - 1);
  }
  EXPECT_EQ(app.whisper_partner(), "bob");
  EXPECT_TRUE(has_message("bob (whisper): again"));
  // A whisper without a name is shown and leaves no partner to answer.
  app.process_pkt("W  nameless");
  EXPECT_EQ(app.whisper_partners, (std::vector<std::string>{"alice", "bob"}));
  // Kind 1 only goes to the chat log.
  d.messages.clear();
  app.process_pkt("W1carol: psst");
  EXPECT_TRUE(d.messages.empty());
  EXPECT_EQ(app.whisper_partners.size(), 2u);
}

TEST_F(SessionHandlers, BookPanelTextDmFlagAndMinimap) {
  app.process_pkt("q" + deflate("page one"));
  EXPECT_EQ(d.book.lines, std::vector<std::string>{"page one"});
  EXPECT_EQ(gc_interface_mode, MODE_BOOK);
  EXPECT_TRUE(book_open());
  app.process_pkt("nxHP 10/10");
  app.process_pkt("d 1");
  EXPECT_TRUE(me.is_dm());
  app.process_pkt("d x");
  EXPECT_FALSE(me.is_dm());
  d.minimap.start(3);
  d.minimap[3][4] = 9;
  app.process_pkt("z 0 1");
  EXPECT_EQ(d.minimap[3][4], 0);
  // Forgotten on this level: that is what its cache keeps.
  EXPECT_EQ(d.minimap.level, 3);
  app.process_pkt("z 0 0");
  EXPECT_TRUE(map_open());
}

TEST_F(SessionHandlers, FiveFailedTransfersSendOneQuit) {
  LoopbackServer s;
  for (int i = 1; i <= 6; ++i) {
    // A header naming a file outside the game data is refused.
    s.send("FILE client.cfg 1234 0");
    app.process_pkt("Y 3");
    if (i < 5) {
      EXPECT_FALSE(session_over) << i;
    }
  }
  EXPECT_TRUE(session_over);
  EXPECT_EQ(app.session.xfer_failures, 6);
  EXPECT_EQ(s.next(50), "q");
  EXPECT_EQ(s.next(50), "<none>");
}

TEST_F(SessionHandlers, PushedFileNamesOutsideTheDataFoldersAreRefused) {
  LoopbackServer s;
  const struct {
    const char* header;
    bool accepted;
  } cases[] = {
      {"FILE dat/spells.txt 0 0", true},       {"FILE cmaps/lvl004.map 0 0", true},
      {"FILE client.cfg 0 0", false},          {"FILE ./patch.sh 0 0", false},
      {"FILE clientscripts/a.lua 0 0", false}, {"FILE /etc/passwd 0 0", false},
      {"FILE dat/../client.cfg 0 0", false},
  };
  for (const auto& c : cases) {
    app.session.xfer_failures = 0;
    s.send(c.header);
    app.process_pkt("Y 1");
    EXPECT_EQ(s.next(50), c.accepted ? "Z" : "<none>") << c.header;
  }
}

TEST_F(SessionHandlers, DataReloadNeedsTheCommonConfig) {
  LoopbackServer s;
  TempDir::copy_gamedata("dat");
  std::rename("dat/common.cfg", "common.cfg");
  EXPECT_EQ(app.process_pkt("Z"), 1);
  EXPECT_FALSE(data_reloaded);
  EXPECT_EQ(s.next(50), "<none>");
  std::rename("common.cfg", "dat/common.cfg");
  EXPECT_EQ(app.process_pkt("Z"), 0);
  EXPECT_TRUE(data_reloaded);
  EXPECT_TRUE(app.session.logged_in);
  EXPECT_EQ(s.next(), "i");
}
