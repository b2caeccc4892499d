// Session start: server selection, connect with retries, and the reset of the
// per-session state.

#include <allegro.h>

#include <algorithm>

#include "app/client_app.h"
#include "app/globals.h"
#include "app/play_messages.h"
#include "app/server_list.h"
#include "core/log.h"
#include "core/utils.h"
#include "input/frame_input.h"
#include "input/player_actions.h"
#include "world/target.h"

SessionState::SessionState(uint64_t now) {
  for (uint64_t& t : action_timers) t = now;
  action_timers[TIMER_KEEPALIVE] = 0;
  action_timers[TIMER_STATUS] = 0;
}

void clear_repeat_flags() {
  app.session.repeat_use = app.session.repeat_cast = app.session.repeat_make = false;
}
bool any_repeat_flag() {
  return app.session.repeat_use || app.session.repeat_cast || app.session.repeat_make;
}

int ClientApp::start_session(const char* argv0) {
  std::string account = client_cfg.get("account");
  int32_t avatar = -1;
  load_server_list();
  int server_idx = client_cfg.get_int("server_idx");
  if (static_cast<unsigned>(server_idx) >= server_list.size()) server_idx = 0;

  new_character = 0;
  for (;;) {
    char gender = 'M';
    std::string new_name;
    int16_t race = 0, cls = -1;
    if (direct_login == 0) d.reset_switch_mode();
    d.set_mouse_cursor(CURSOR_DEFAULT);
    allow_quit(true);

    bool store_choice = true;
    if (create_login) {
      conn_state = CONN_CREATE_FORM;
      intro_result = do_intro(account, new_name, gender, race, cls, avatar, server_idx);
      direct_login = 0;
      create_login = 0;
    } else if (direct_login) {
      intro_result = 0;
      store_choice = false;
    } else {
      intro_result = do_intro(account, new_name, gender, race, cls, avatar, server_idx);
    }
    service_quit_request();
    if (store_choice) {
      const ServerRow& row = server_list[static_cast<size_t>(server_idx)];
      client_cfg.set("server", row.host);
      client_cfg.set_int("port", row.port);
      client_cfg.set_int("server_idx", server_idx);
      save_settings(client_cfg);
      if (intro_result == -1) return 0;
    }
    // A direct login shows no intro to end: a signal kept since start-up,
    // carried out as quitting was turned on, ends the program before it
    // connects.
    if (quit_requested) return 0;

    allow_quit(false);
    d.install_switch_mode_once();
    int rc;
    if (intro_result == 1) {
      new_character = 1;
      rc = connect(argv0, program_name, 1, account, new_name, gender, race, cls, avatar);
    } else {
      new_character = 0;
      rc = connect(argv0, program_name, 0, account, "", 'x', 0, 0, 0);
    }
    if (rc == CONNECT_OUT_OF_DATE) {
      start_updater(program_dir);
      return 1;
    }
    if (rc == CONNECT_BACK_TO_FORM) {
      conn_state = CONN_CREATE_FORM;
      direct_login = 0;
      d.reset_switch_mode();
      continue;
    }
    if (rc == CONNECT_OK) return -1;
    if (direct_login) return 1;
    // A quit request during the connection attempt ends the program normally.
    if (quit_requested) return 0;
    conn_state = CONN_MENU;
  }
}

int ClientApp::connect(const char* program_path, const std::string& prog_name, int create,
                       const std::string& account, const std::string& new_name, char gender,
                       int16_t race, int16_t cls, int32_t avatar) {
  sound.stop_music();
  FunctionTrace trace("connect", true);
  conn_state = CONN_PLAYING;
  d.print_msg("%s client version %s", CLIENT_NAME, CLIENT_VERSION);
  d.print_msg("Allegro version %s", graphics_version());

  for (;;) {
    std::string host = client_cfg.get("server");
    int port = client_cfg.get_int("port");
    d.print_msg("Connecting to %s:%d ...", host.c_str(), port);
    d.refresh_screen();
    if (tcpObj.skcConnect(host, port) == 0) break;
    trace.printf("could not connect to %s:%d", host.c_str(), port);
    writelog("could not connect to %s:%d\n", host.c_str(), port);
    d.print_msg("Could not connect to %s:%d", host.c_str(), port);
    d.print_prompt("Press q to quit now or any other key to try again.");
    clear_keybuf();
    allow_quit(true);
    int key = wait_for_key();
    allow_quit(false);
    if (key < 0) return CONNECT_GIVE_UP;
    int c = key & 0xff;
    if (c == 'q' || c == ASCII_ESC) return CONNECT_GIVE_UP;
  }
  d.print_msg("Connected.");
  d.refresh_screen();
  trace.printf("connected");

  int rc = client_init(program_path, prog_name, static_cast<uint8_t>(create), account, new_name,
                       gender, race, cls, avatar);
  if (rc != LOGIN_OK) tcpObj.sckClose(0);
  trace.printf("Init rc %d", rc);
  if (rc == LOGIN_OUT_OF_DATE) {
    show_alert(
        "Some game files are out of date. Click OK to run begin patching.\n\nIf the patcher does "
        "not launch, please run patch.sh directly from your QYX directory!");
    return CONNECT_OUT_OF_DATE;
  }
  if (rc != LOGIN_OK) {
    d.print_prompt("Press any key ...");
    allow_quit(true);
    int key = wait_for_key();
    if (key < 0) return CONNECT_GIVE_UP;
    if ((key & 0xff) != 'q' && (rc == LOGIN_NAME_EXISTS || rc == LOGIN_NO_CHARACTER))
      return CONNECT_BACK_TO_FORM;
    return CONNECT_GIVE_UP;
  }
  return CONNECT_OK;
}

void ClientApp::reset_session() {
  session = SessionState(input_clock_us());

  // The program-wide flags of a session, and the quick cast.
  map_transfer_pending = false;
  data_reloaded = false;
  level_entered = false;
  inventory_synced = false;
  session_over = false;
  quit_requested = false;
  quick_cast_spell.clear();

  // What the last session saw and left half done, each owner its own: the
  // target, the combat figures, the message box, menu and day effect, the
  // objects and effects of its level, the picks of a trade list never closed,
  // the marks of a multi-drop, the creatures and the inventory.
  reset_target();
  reset_combat_reports();
  d.reset_session();
  server_objects.clear();
  visible_creatures.clear();
  event_list.clear();
  missile_list.clear();
  particle_list.clear();
  drop_list.clear();
  item_drop.clear();
  id_table.clear();
  tracked_creatures.clear();
  temp_list.clear();
  items.clear();
  // A new character opens on the help screen.
  gc_interface_mode = new_character ? MODE_HELP : MODE_NORMAL;
}
