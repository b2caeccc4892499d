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

int confirmed_x = -1, confirmed_y = -1;
int talk_partner_id = 0;
bool repeat_use = false, repeat_cast = false, repeat_make = false;
void clear_repeat_flags() { repeat_use = repeat_cast = repeat_make = false; }
bool any_repeat_flag() { return repeat_use || repeat_cast || repeat_make; }
int level_sync_errors = 0;
int pending_move_token = 0;
ResyncMark resync_sent_from;

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
  uint64_t now = input_clock_us();
  input_text.clear();
  input_pos = -1;
  list_container = 0;
  sub_state = 0;
  xfer_failures = 0;
  history_pos = -1;
  list_partner = -1;
  list_flag = 0;
  list_kind = 0;
  for (uint64_t& t : action_timers) t = now;
  action_timers[TIMER_KEEPALIVE] = 0;
  action_timers[TIMER_STATUS] = 0;
  frame_count = 0;
  last_ascii = 0;
  last_key = 0;
  last_scancode = 0;
  logged_in = 0;
  level_up_pending = 0;
  buy_ready = hide_ready = craft_ready = move_step_ready = attack_ready = space_ready =
      action_ready = 1;
  chosen_item = Item(0);
  repeat_item = Item(-1);
  spell_words.clear();
  last_spell.clear();
  repeat_dir = 0;
  button_number = 0;
  right_held = left_held = middle_held = 0;
  right_released = left_released = 0;
  last_wheel = 0;
  mouse_angle = 0;
  mouse_dir = 0;
  mouse_cell_x = -1;
  mouse_cell_y = -1;
  use_ready = 1;
  spell_ready = 1;

  quick_cast_spell.clear();
  confirmed_x = confirmed_y = -1;
  target_id = -1;
  target_locked = false;
  locked_target_id = -1;
  chosen_spell = -1;
  talk_partner_id = 0;
  d.scroll_offset = 0;
  // The box opens on the newest lines, however far the last session paged.
  d.scroll_messages_reset();
  map_transfer_pending = false;
  data_reloaded = false;
  level_entered = false;
  inventory_synced = false;
  session_over = false;
  quit_requested = false;
  clear_repeat_flags();
  level_sync_errors = 0;
  pending_move_token = 0;
  resync_sent_from = ResyncMark();

  // What the last session left half done must not be finished on this
  // server: the unsent parts of its last grouped message, a level-up under
  // way, the picks of a trade list never closed, the marks of a multi-drop.
  pending_messages.clear();
  std::fill(std::begin(level_up_counts), std::end(level_up_counts), 0);
  level_up_saved_points = 0;
  drop_list.clear();
  item_drop.clear();
  drop_count = -1;
  pending_key_action = -1;
  combo_cast = 0;
  attacked_this_press = moved_this_press = targeted_this_press = 0;
  hover_item = Item(-1);
  // What the last session saw: the objects and effects of its level, what
  // the crosshair was drawn on, its combat figures and the day effect's cell.
  // Whether the crosshair is wanted at all is the player's and stays.
  server_objects.clear();
  visible_creatures.clear();
  event_list.clear();
  missile_list.clear();
  particle_list.clear();
  crosshair_ready = false;
  damage_history = DamageHistory();
  lunge_counter = 0;
  d.marker_x = d.marker_y = -1;
  d.clear_minimap();
  id_table.clear();
  tracked_creatures.clear();
  temp_list.clear();
  items.clear();
  d.menu_page = 0;
  // A new character opens on the help screen.
  gc_interface_mode = new_character ? MODE_HELP : MODE_NORMAL;
}
