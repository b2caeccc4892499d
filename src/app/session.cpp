// The session loop, the frame loop and the handling of one server message.

#include <allegro.h>
#include <unistd.h>

#include "app/client_app.h"
#include "app/globals.h"
#include "app/requests.h"
#include "app/server_handlers.h"
#include "world/effects.h"
#include "core/log.h"
#include "core/utils.h"

namespace {
constexpr int WAIT_SLEEP_US = 10000;
constexpr int FRAME_SLEEP_US = 1000;
constexpr int KEY_CASE_MASK = 0xDF;
}  // namespace

int save_settings(ConfigFile& cfg) {
  const int rc = cfg.save();
  // The log may be unwritable too: the player has to hear of it.
  if (rc != 0)
    d.print_msg("Could not save %s; your settings last only until you quit.",
                cfg.get_file_name().c_str());
  return rc;
}

void end_session() {
  session_over = true;
  send_logout();
  gc_interface_mode = MODE_NORMAL;
}

int take_elapsed_ms(uint64_t& stamp, uint64_t now) {
  if (now < stamp) {
    stamp = now;
    return 0;
  }
  uint64_t ms = (now - stamp) / 1000;
  if (ms > ELAPSED_MAX_MS) {
    stamp = now;
    return static_cast<int>(ELAPSED_MAX_MS);
  }
  stamp += ms * 1000;
  return static_cast<int>(ms);
}

int ClientApp::wait_for_key() {
  for (;;) {
    poll_keyboard();
    if (keypressed()) break;
    service_quit_request();
    if (quit_requested) return -1;
    d.refresh_screen();
    sound.poll_music();
    usleep(WAIT_SLEEP_US);
  }
  int key = readkey();
  session.last_key = key;
  session.last_ascii = static_cast<uint8_t>(key & 0xff);
  session.last_scancode = key >> 8;
  return key;
}

int ClientApp::run_sessions(const char* argv0) {
  FunctionTrace trace("cmain");
  for (;;) {
    // A fresh character and the title music.
    me.reset();
    d.hide_input_line();
    d.mouse_shown = 1;
    conn_state = game_is_qyx ? CONN_TITLE : CONN_MENU;
    // The default volume must be there before it is applied.
    if (!client_cfg.has_key("music_volume")) client_cfg.set_int("music_volume", 200);
    sound.apply_volume();
    if ((direct_login == 0 || create_login == 1) && options.get(OPT_MUSIC))
      sound.play_music(-1, true);

    // Log in, then start the session from clean state.
    int rc = start_session(argv0);
    if (rc >= 0) return rc;
    reset_session();

    // Tables, side panel and the settings of this session.
    d.copy_tile_table();
    spells.load();
    trace.printf("draw window");
    trace.printf("show_plyr stats");
    playerstats(0);
    if (intro_result == 1) {
      client_cfg.set("name", me.name);
      save_settings(client_cfg);
    }
    if (!options.get(OPT_MUSIC)) sound.stop_music();
    if (!shaded_lighting_depth(desktop_color_depth())) {
      d.shading_unavailable = 1;
      d.print_msg("16 or 32bit colour depth not detected, using old lighting");
    }
    apply_option_copies();
    if (client_cfg.get("version") != CLIENT_VERSION) {
      client_cfg.set("version", CLIENT_VERSION);
      save_settings(client_cfg);
    }
    // Allegro leaves the keyboard LEDs alone, and CTRL+ALT+END must not end
    // the program in the middle of play.
    key_led_flag = 0;
    three_finger_flag = 0;
    trace.printf("starting");

    allow_quit(true);

    bool ok = true;
    do {
      ok = frame_pass();
      service_quit_request();
    } while (ok && !session_over);
    if (!ok) return 1;

    // Session end: save, disconnect, and quit or start over.
    save_settings(client_cfg);
    save_minimap();
    tcpObj.sckClose(0);
    session_over = false;
    direct_login = 0;
    create_login = 0;
    sound.stop_all_loops();
    if (quit_requested) {
      close_scripts();
      return 0;
    }
  }
}

bool ClientApp::frame_pass() {
  usleep(FRAME_SLEEP_US);
  poll_keyboard();
  sound.poll_music();
  do_mouse();
  note_input();
  do_tick();
  if (session.logged_in && level_entered && data_reloaded && inventory_synced) {
    do_list_pick();
    do_movement();
    session.last_ascii = 0;
    key_this_pass = 0;
    bool due = keypressed() || session.right_released;
    if (!due && gc_interface_mode != MODE_NORMAL && gc_interface_mode != MODE_DROPALL2 &&
        gc_interface_mode != MODE_CHAT)
      due = (session.left_released && !d.mouse_over_hotbar()) || mouse_z != session.last_wheel;
    if (due) {
      // Whatever the key does, the next frame shows it.
      d.request_frame(FRAME_INPUT);
      if (!do_hotbar_input()) {
        if (gc_interface_mode != MODE_NORMAL)
          do_non_normal_mode();
        else
          do_normal_mode();
      }
    }
  }
  do_queued_cast();
  do_use_again();
  // Draws the frame of this interval, once however many redraws were asked
  // for, and nothing when nothing shown has changed.
  do_redraw();
  update_frame_counters();
  if (deteriorate(event_list) != 0) sound.stop_loop(SFX_QUAKE);
  move_missiles(missile_list,
                take_elapsed_ms(session.action_timers[TIMER_MISSILES], get_time_us()));
  move_particles(particle_list,
                 take_elapsed_ms(session.action_timers[TIMER_PARTICLES], get_time_us()));
  return handle_one_message();
}

bool ClientApp::handle_one_message() {
  FunctionTrace trace("frame");
  bool echo = debug_echo && me.is_dm();
  if (session.pending_messages.empty()) {
    int rc = tcpObj.get_message(0, current_message);
    if (rc > 0) {
      trace.printf("data in the hall! recvd: %s", current_message.c_str());
      if (echo && !current_message.empty()) {
        if (current_message[0] == '*')
          d.print_msg("START GROUPED");
        else
          d.print_msg("%s", current_message.c_str());
      }
    } else if (rc == 0 || rc == -1) {
      return true;
    } else {
      if (session_over) return true;
      session_over = true;
      d.print_msg("Connection from server closed.");
      d.print_prompt("Press q to quit.");
      for (;;) {
        int key = wait_for_key();
        if (key < 0 || (key & KEY_CASE_MASK) == 'Q') break;
      }
      return true;
    }
  } else {
    current_message = session.pending_messages.back();
    session.pending_messages.pop_back();
    if (echo && !current_message.empty()) {
      d.print_msg("*%s", current_message.c_str());
      if (session.pending_messages.empty()) d.print_msg("END GROUPED");
    }
  }
  std::string msg = current_message;
  return process_pkt(msg) == 0;
}
