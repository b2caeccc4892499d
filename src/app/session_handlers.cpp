// Session and player messages: movement results, the clock, player values,
// level gain, text, whispers, the book, game over, the minimap, data file
// pushes and the data reload, and the steps around 'H' and 'K'.

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

#include "app/client_app.h"
#include "app/globals.h"
#include "input/player_actions.h"
#include "app/message_handlers.h"
#include "app/play_messages.h"
#include "app/requests.h"
#include "app/server_handlers.h"
#include "core/compression.h"
#include "core/log.h"
#include "core/string_utils.h"
#include "core/utils.h"
#include "input/options.h"
#include "script/script_host.h"

int moon_phase = 0;
bool level_flag = false;
int move_latency_ms = 0;

namespace {

constexpr int COLOUR_LEVEL_GAIN = 18;
constexpr int COLOUR_HELP = 9;

}  // namespace

bool place_player(int x, int y) {
  if (!on_max_grid(x, y)) return false;
  me.x = static_cast<int16_t>(x);
  me.y = static_cast<int16_t>(y);
  return true;
}

int msg_move_result(ClientApp&, const std::string& msg) {
  int result = 0, x = 0, y = 0, level = 0, sound_flag = 0;
  short dir = 0;
  int n = std::sscanf(msg.c_str(), "m %d %d %d %d %hd %d", &result, &x, &y, &level, &dir,
                      &sound_flag);
  if (n < 5) return 0;
  clear_repeat_flags();
  craft_chosen_item = Item(0L);
  me.direction = dir;
  if (level != me.map_level) {
    ++app.session.level_sync_errors;
    d.print_msg("level sync error++ (m)");
    return 0;
  }
  app.session.confirmed_x = x;
  app.session.confirmed_y = y;
  app.session.resync_sent_from = ResyncMark();
  // The confirmed position is only measured against: it keeps what was sent.
  if (result == 0) {
    if (options.get(OPT_BLOCK_MESSAGES)) d.print_msg("Blocked!");
    place_player(x, y);
  } else if (result == -1) {
    place_player(x, y);
    FunctionTrace trace("process_pkt");
    trace.printf("got move correction/teleport");
    if (sound_flag) sound.play_effect(SFX_TELEPORT);
  }
  return 0;
}

int msg_world_time(ClientApp&, const std::string& msg) {
  int minutes = 0, phase = 0;
  int n = std::sscanf(msg.c_str(), "t %d %d", &minutes, &phase);
  if (n >= 1) world_time = minute_of_day(minutes);
  if (n >= 2) moon_phase = phase;
  return 0;
}

// The figures of the form the player takes while polymorphed: the
// creature's polymorph block. Fields that were not read keep their values.
int msg_player_values(ClientApp&, const std::string& msg) {
  unsigned form = static_cast<unsigned>(me.poly_code);
  float mult[3] = {me.poly_str_mult, me.poly_dex_mult, me.poly_int_mult};
  std::sscanf(msg.c_str(), "y %x %d %d %d %d %d %d %d %f %f %f", &form, &me.poly_thaco, &me.poly_ac,
              &me.poly_dmg_dice, &me.poly_dmg_sides, &me.poly_magic_resistance, &me.poly_move_delay,
              &me.poly_attack_delay, &mult[0], &mult[1], &mult[2]);
  me.poly_code = static_cast<int>(form);
  // A multiplier scales the stats: one that is no number at all is refused.
  float* const kept[3] = {&me.poly_str_mult, &me.poly_dex_mult, &me.poly_int_mult};
  for (int k = 0; k < 3; ++k)
    if (std::isfinite(mult[k])) *kept[k] = bounded_figure(mult[k]);
  return 0;
}

int msg_ship_values(ClientApp& app, const std::string& msg) {
  std::sscanf(msg.c_str(), "v %d %d", &app.session.ship_state, &app.session.hull_strength);
  if (show_combat_messages) d.print_msg("Hull strength: %d", app.session.hull_strength);
  return 0;
}

int msg_level_gained(ClientApp& app, const std::string& msg) {
  int unused = 0, gained = 0;
  if (std::sscanf(msg.c_str(), "X %d %d", &unused, &gained) != 2) return 0;
  app.session.level_up_pending = 1;
  // Every level gained brings a point to distribute. The count comes from the
  // server: a negative one takes nothing away and the sum stays inside an int.
  long long sum = static_cast<long long>(me.stat_points) + std::max(gained, 0);
  me.stat_points = bounded_int<int32_t>(std::max(sum, 0LL));
  d.print_msg("%cYou have gained a level! Hit CTRL+F2 or ALT+F2 to level up and increase your "
              "stats!",
              COLOUR_LEVEL_GAIN);
  playerstats(0);
  return 0;
}

int msg_dm_flag(ClientApp&, const std::string& msg) {
  int flag = 0;
  if (std::sscanf(msg.c_str(), "d %d", &flag) != 1) flag = 0;
  me.dm = flag != 0;
  return 0;
}

int msg_spell_learned(ClientApp&, const std::string& msg) {
  int spell = 0;
  if (std::sscanf(msg.c_str(), "s %d", &spell) == 1) me.add_spell(spell);
  return 0;
}

int msg_resurrected(ClientApp&, const std::string&) {
  d.print_msg("Resurrected!");
  playerstats(0);
  return 0;
}

// No panel draws the server's text: the line only asks for a redraw.
int msg_side_panel_text(ClientApp&, const std::string&) {
  playerstats(0);
  return 0;
}

int msg_help_text(ClientApp&, const std::string& msg) {
  if (options.get(OPT_DISABLE_HELP_MESSAGES)) return 0;
  std::string text = replace_all("\\n", " ", message_text(msg), false, false);
  d.print_msg("Help: %c%s", COLOUR_HELP, text.c_str());
  return 0;
}

int msg_text(ClientApp&, const std::string& msg) {
  if (msg[0] == 'O' && !show_combat_messages) return 0;
  std::string text = message_text(msg);
  d.print_msg("%s", text.c_str());
  if (msg.size() > 1 && msg[1] == 'c') log_chat_line(msg);
  call_auxbox_server_message(std::string(1, msg[0]), std::string(1, msg.size() > 1 ? msg[1] : ' '),
                             text);
  return 0;
}

int msg_forward(ClientApp&, const std::string& msg) {
  send_forward(message_text(msg));
  return 0;
}

int msg_whisper(ClientApp& app, const std::string& msg) {
  if (msg.size() > 1 && msg[1] == '1') {
    log_chat_line(msg);
    return 0;
  }
  std::string name = split_whisper(message_text(msg));
  // A nameless whisper leaves no one to answer.
  if (name.empty()) return 0;
  auto& partners = app.whisper_partners;
  for (auto it = partners.begin(); it != partners.end(); ++it) {
    if (*it == name) {
      partners.erase(it);
      break;
    }
  }
  partners.push_back(name);
  app.whisper_index = static_cast<int32_t>(partners.size()) - 1;
  return 0;
}

int msg_book_text(ClientApp&, const std::string& msg) {
  if (msg.size() <= 1) return 0;
  std::string text = inflate(msg.substr(1));
  if (text.empty()) return 0;
  d.hide_input_line();
  // The book takes over the keys: a list left open would stay on the panel
  // with nothing reading it, so it closes.
  d.curr_display = 0;
  playerstats(0);
  temp_list.clear();
  gc_interface_mode = MODE_BOOK;
  d.print_msg("Viewing book ... use the arrow keys or , . to turn pages. Press ESC when done.");
  d.set_book_text(text);
  return 0;
}

int msg_game_over(ClientApp&, const std::string&) {
  session_over = true;
  d.screenshot();
  d.game_over();
  return 0;
}

int msg_minimap(ClientApp&, const std::string& msg) {
  int unused = 0, which = 0;
  std::sscanf(msg.c_str(), "z %d %d", &unused, &which);
  if (which == 0) {
    d.build_minimap();
    view_map();
  } else {
    // Forgotten on this level: the blank grid is what its cache keeps.
    d.minimap.clear_cells();
  }
  return 0;
}

int msg_file_transfer(ClientApp& app, const std::string& msg) {
  int number = -1;
  std::sscanf(msg.c_str(), "Y %d", &number);
  // Only names below the game data folders are written (recv_file checks).
  int rc = tcpObj.recv_file();
  if (number == -1) {
    if (rc != 0) writelog("problem transferring any old file\n");
    return 0;
  }
  if (rc == 0) {
    send_data_file_received();
    return 0;
  }
  writelog("problem transferring data file\n");
  if (++app.session.xfer_failures == SRV_MAX_XFER_FAILURES) {
    writelog("giving up on the xfer\n");
    end_session();
  }
  return 0;
}

int msg_data_reload(ClientApp& app, const std::string&) {
  FunctionTrace trace("process_pkt");
  load_data_tables(trace);
  if (common_cfg.load() != 0) {
    writelog("failed to reload common config\n");
    return 1;
  }
  sc.load();
  me.race_rec = sc.get_race(me.race);
  mounts.load();
  buffs.load();
  sound.load_mount_sounds();
  app.session.logged_in = 1;
  data_reloaded = true;
  send_inventory_request();
  return 0;
}

int msg_player_record(ClientApp&, const std::string& msg) {
  std::string old_name = me.name;
  me.parse_h_record(msg, true);
  // The ready list shows the character's figures: they change now.
  if (gc_interface_mode == MODE_READY) {
    d.draw_list_panel(&temp_list, SELECT_READY, nullptr);
  } else {
    playerstats(0);
  }
  if (me.name != old_name) {
    client_cfg.set("name", me.name);
    save_settings(client_cfg);
  }
  return 0;
}

int msg_level_change(ClientApp& app, const std::string& msg) {
  clear_repeat_flags();
  craft_chosen_item = Item(0L);
  end_talk();
  save_minimap();
  int rc = change_level(msg);
  if (rc == LEVEL_CHANGE_REQUESTED) return 0;
  if (rc == LEVEL_CHANGE_FAILED) {
    end_session();
    return 0;
  }
  // A line that changes no level keeps the player on his level. Before the
  // session's first level there is none: marking one entered would open
  // play on nothing.
  if (rc == LEVEL_CHANGE_NONE && !level_entered) return 0;
  playerstats(0);
  sound.play_music(cmap.music, false);
  if (!level_entered && me.xp == 0)
    d.print_msg("Help: %c%s", COLOUR_HELP,
                "You can go back through these messages with the page-up and page-down keys.");
  app.session.logged_in = 1;
  level_entered = true;
  id_table.clear_mobs();
  // No smooth scroll carries over onto the new level.
  d.scroll_offset = 0;
  return 0;
}
