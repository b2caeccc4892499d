#pragma once
// The client application object: the main routine `cmain`, the session and
// frame loops, server selection, connect and login, and the dispatcher of the
// server's messages. One instance, `app`, holds the state of a session.

#include <signal.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/interaction_modes.h"
#include "core/item.h"
#include "display/pointer.h"

// Program identity.
constexpr const char* CLIENT_NAME = "Zib";
constexpr const char* CLIENT_VERSION = "1.3.47";
constexpr const char* GAME_NAME_QYX = "QYX";
constexpr const char* PLATFORM_NAME = "notwindows";
constexpr const char* UPDATER_PATH = "./patch.sh";

// Screen and connection states (`conn_state`).
enum {
  CONN_TITLE = 0,
  CONN_MENU = 1,
  CONN_PLAYING = 2,
  CONN_LOGIN_FORM = 3,
  CONN_CREATE_FORM = 4
};

// Results of `connect` (start_session acts on them).
enum {
  CONNECT_OK = 0,
  CONNECT_GIVE_UP = 1,
  CONNECT_OUT_OF_DATE = 2,
  CONNECT_BACK_TO_FORM = 3
};

// Results of `client_init`.
enum {
  LOGIN_OK = 0,
  LOGIN_FAILED = 1,
  LOGIN_OUT_OF_DATE = 2,
  LOGIN_NAME_EXISTS = 3,
  LOGIN_BAD_ACCOUNT = 4,
  LOGIN_ALREADY_IN = 5,
  LOGIN_NO_CHARACTER = 6,
  LOGIN_BANNED = 7,
  LOGIN_CREATION_OFF = 8,
  LOGIN_INVALID_FIELD = 9
};

constexpr int CLIENT_ACTION_TIMERS = 23;
enum {
  TIMER_ATTACK = 0, TIMER_CAST, TIMER_MOVE, TIMER_USE, TIMER_BUY, TIMER_HIDE, TIMER_CRAFT,
  TIMER_KEEPALIVE, TIMER_STATUS, TIMER_BLINK, TIMER_SCRIPT, TIMER_MISSILES, TIMER_PARTICLES,
  TIMER_REDRAW, TIMER_SECOND,
  // Frame input: the stamp of the SPACE key's ready flag (`session.space_ready`),
  // stealth, the 1 s status and 2 s clock ticks, the ping-pong phase, the last
  // mouse pass and the start of the last step.
  TIMER_SPACE, TIMER_STEALTH, TIMER_STATUS_TICK, TIMER_CLOCK, TIMER_PHASE, TIMER_MOUSE,
  TIMER_MOVE_START
};

// What the last composed frame showed of the things that change with time
// alone; the frame pacing composes again when one of them differs.
struct FrameFacts {
  int clock_minute = -1;
  int fps_shown = -1;          // the fps figure, -1 while it is not shown
  uint64_t status = 0;         // the player's status counters and buffs, hashed
  int64_t effects = 0;         // timed events, missiles and particles
  int scroll_offset = 0;
  int16_t lunge_dx = 0, lunge_dy = 0;
  float cooloff = 0.0f;        // the cool-off bar over the player, 0 when not drawn
  uint8_t ready = 0;           // use and cast ready: the hotbar darkens the buttons that wait
  bool tooltip = false;        // a hotbar tooltip is due
};

// The pointer, buttons, wheel, modifier keys and pointer shape of the last pass.
struct PointerFacts {
  int x = -1, y = -1, z = 0, buttons = 0, shifts = 0, cursor = 0;
  uint8_t shown = 1;
  bool operator==(const PointerFacts&) const = default;
};

constexpr int TRACE_BUFFER_CWD = 4096;
constexpr char ASCII_ESC = 27;

// Where the last resync line was sent from; x -1 when none waits for the
// server's answer (a move reply or a refresh, which store the anchor).
struct ResyncMark {
  int x = -1, y = -1, level = -1;
  bool operator==(const ResyncMark&) const = default;
};

// What a session starts from fresh. The session start assigns a new one, so
// a field declared here gets its start value at every login; what outlives a
// session is declared in ClientApp beside it.
struct SessionState {
  SessionState() = default;
  // The action timers start at `now`, the keep-alive and status line at 0 so
  // that both go out at once.
  explicit SessionState(uint64_t now);

  std::string input_text;
  int32_t input_pos = -1;
  int32_t list_container = 0;
  int32_t sub_state = 0;
  int32_t xfer_failures = 0;
  int32_t history_pos = -1;
  int32_t list_partner = -1;
  int32_t list_flag = 0;
  char list_kind = 0;
  uint64_t action_timers[CLIENT_ACTION_TIMERS] = {};
  int32_t frame_count = 0;
  uint8_t last_ascii = 0;
  int32_t last_key = 0;
  int32_t last_scancode = 0;
  // The keymap action waiting for its new key in the key-rebinding mode.
  int32_t pending_key_action = -1;
  // The unhandled parts of the last grouped message, the next one last.
  std::vector<std::string> pending_messages;
  uint8_t logged_in = 0;
  uint8_t level_up_pending = 0;
  uint8_t buy_ready = 1, hide_ready = 1, craft_ready = 1, move_step_ready = 1,
          attack_ready = 1, space_ready = 1, action_ready = 1;
  uint8_t use_ready = 1;
  uint8_t spell_ready = 1;
  Item chosen_item{0L};  // the list entry a use or drop prompt acts on
  // The last used item, and the key that chose its cell (0: the player's
  // own cell); F9 and the repeat use take the item again there.
  Item repeat_item{-1L};
  int32_t repeat_dir = 0;
  // The repeats running: use, cast and make (clear_repeat_flags).
  bool repeat_use = false, repeat_cast = false, repeat_make = false;
  // The words of the typed spell letters (the letters are `input_text`),
  // shown at the spell and binding prompts.
  std::string spell_words;
  std::string last_spell;
  int chosen_spell = -1;  // waiting for a direction or a target, -1 none
  int32_t button_number = 0;
  uint8_t right_held = 0, left_held = 0, middle_held = 0;
  uint8_t right_released = 0, left_released = 0;
  int32_t last_wheel = 0;
  float mouse_angle = 0;
  int32_t mouse_dir = 0, mouse_cell_x = -1, mouse_cell_y = -1;
  Item hover_item{-1L};  // list entry under the pointer, Item(-1) none
  uint8_t attacked_this_press = 0, moved_this_press = 0, targeted_this_press = 0;
  uint8_t combo_cast = 0;
  // The count typed at "How many? " (-1 none given).
  int64_t drop_count = -1;
  // Points added to each stat during a level-up, and the total before it.
  int32_t level_up_counts[4] = {};
  int32_t level_up_saved_points = 0;
  // The player's cell as the server last confirmed it, -1 none yet.
  int confirmed_x = -1, confirmed_y = -1;
  int talk_partner_id = 0;
  int level_sync_errors = 0;
  int pending_move_token = 0;
  uint64_t move_sent_time = 0;  // when the move carrying the pending token went out
  ResyncMark resync_sent_from;
  // The number of the last crafting offer ("Cm", "Ci"), sent back with the choice.
  int craft_request_id = 0;
  // The ship's state and hull strength ('v'): the character's of this login.
  int ship_state = 0;  // kept, but nothing reads it (no view draws it)
  int hull_strength = 0;
};

class ClientApp {
 public:
  SessionState session;

  // What outlives a session (the player's settings too: the options, key
  // bindings, volumes, `target_type` and the crosshair toggle, each kept by
  // its owner; the session flags below, reset by name; and the values kept
  // for the run after them):
  // - the program: its name and folder, the command-line flags;
  std::string program_name;
  std::string program_dir;
  uint8_t direct_login = 0;
  uint8_t create_login = 0;
  // - the player's: the whisper partners (the most recent last), the typed
  //   lines, the chat log's share of this run, the packet echo, and what the
  //   intro screens decided;
  std::vector<std::string> whisper_partners;
  int32_t whisper_index = 0;
  // The partner CTRL+T addresses: the one at the index, the most recent
  // unless the player stepped back; "" when there is none.
  std::string whisper_partner() const {
    if (whisper_index < 0 || static_cast<size_t>(whisper_index) >= whisper_partners.size())
      return "";
    return whisper_partners[static_cast<size_t>(whisper_index)];
  }
  std::vector<std::string> input_history;
  // The chat log: the bytes this run has added, and whether logging has
  // paused at CHAT_LOG_RUN_BYTES (server_handlers.h).
  size_t chat_log_added = 0;
  bool chat_log_paused = false;
  uint8_t debug_echo = 0;
  int32_t intro_result = 0;
  uint8_t new_character = 0;
  // - the choices kept from one use to the next: the pile, the use kind of
  //   the open use list (1 use, 2 eat, 3 drink, 4 read) and the force-use
  //   flag that SHIFT with the item keys sets, the hotbar button being
  //   bound, the cast offset and the facing of the last cast at a cell;
  int32_t pile_container = 0, pile_arg = 0, pile_partner = 0;
  int32_t use_choice = 0;
  uint8_t use_choice_flag = 0;
  int32_t hotbar_button = 0;
  int32_t cast_dx = 0, cast_dy = 0;
  int32_t cast_facing = 0;
  // - the clock: attack and cast lines carry the milliseconds since this
  //   moment of start-up, and the ready list's last toggle is a time;
  uint64_t reference_time_us = 0;
  uint64_t ready_toggle_us = 0;
  // - the window: the message being handled, this pass's key, the pointer
  //   shape wanted and last set, the pointer's idle time, the ping-pong
  //   phase's direction, the target key's latch (cleared at its release) and
  //   the frame pacing (src/input/frame_input.cpp).
  std::string current_message;
  // The key step read a key, or turned a click or wheel step into one, this
  // pass; the frame pass clears it before the key step, and no mode handler
  // runs without it (`last_key` may still hold an earlier pass's key).
  uint8_t key_this_pass = 0;
  int32_t cursor_code = CURSOR_DEFAULT;
  int32_t idle_ms = 0;        // without pointer movement or button
  int32_t phase_step = 1;
  uint8_t switch_target_latch = 0;
  double redraw_interval_ms = -1.0;  // the frame interval, taken at each redraw; -1 not yet
  FrameFacts frame_shown;           // as the last composed frame showed them
  PointerFacts pointer_seen;

  ClientApp();

  // The main routine: start-up, then sessions until the player quits.
  int cmain(int argc, char** argv);

  // Start-up steps before the session loop; 0 to go on, else the exit status.
  // The "cmain" trace scope it opens stays open until close_run_trace.
  int start_up(int argc, char** argv);
  // The session loop; the exit status.
  int run_sessions(const char* argv0);
  // One frame-loop pass; false when `process_pkt` failed (the program ends with 1).
  bool frame_pass();
  // Handles at most one server message; false on a dispatcher failure.
  bool handle_one_message();

  // Picks the server and logs in. -1 when logged in, else the program's exit status.
  int start_session(const char* argv0);
  int connect(const char* program_path, const std::string& prog_name, int create,
              const std::string& account, const std::string& new_name, char gender,
              int16_t race, int16_t cls, int32_t avatar);
  void reset_session();

  // The login handshake on the open connection; a LOGIN_ result.
  int client_init(const char* program_path, const std::string& prog_name, uint8_t create,
                  const std::string& account, const std::string& new_name, char gender,
                  int16_t race, int16_t cls, int32_t avatar);

  // The server message dispatcher: 0, or 1 when the data reload failed.
  int process_pkt(const std::string& msg);

  // The intro and login screens: 0 log in, 1 create, -1 quit.
  int do_intro(std::string& account, std::string& new_name, char& gender, int16_t& race,
               int16_t& cls, int32_t& avatar, int& server_idx);

  // Per-frame input steps (input subsystem).
  void do_mouse();
  void do_tick();
  void do_list_pick();
  void do_movement();
  bool do_hotbar_input();
  void do_non_normal_mode();
  void do_normal_mode();
  void do_queued_cast();
  void do_use_again();
  void do_redraw();
  void update_frame_counters();
  // Why the frame of this interval must be composed (FrameReason bits); 0
  // when the screen already shows everything. `advance` is the renderer's
  // refresh flag of this interval.
  uint32_t frame_reasons(bool advance, const FrameFacts& now) const;
  FrameFacts frame_facts_now() const;
  // Asks for a frame when the pointer, a button, the wheel or a modifier
  // changed, and while a key or button is held.
  void note_input();

  // Normal-mode keys: the parts of do_normal_mode, in the order it tries them.
  void do_repeat_keys();
  void do_toggle_keys();
  void do_chat_entry();
  void do_command_keys();

  // Carries out a raised quit request on the main thread: logs a trapped
  // signal, sends "q" once when connected and prints "Quit and exit!".
  void service_quit_request();

  // Waits for a key while redrawing; the key, or -1 when a quit request came.
  int wait_for_key();
};

extern ClientApp app;

// Session flags. The quit flags are written by the signal handler and the
// window-close thread, so they are atomic; the rest live on the main thread.
extern std::atomic<bool> session_over;
extern std::atomic<bool> quit_requested;
extern std::atomic<bool> quit_enabled;
extern bool inventory_synced;
extern bool level_entered;
extern bool data_reloaded;
extern bool map_transfer_pending;
extern int32_t conn_state;
extern bool game_is_qyx;

// What a session leaves to the next, kept for the run since what it shows
// stays until the server says otherwise:
// - the moon's phase ('t'), part of the world's clock as `world_time` is: a
//   new session's frames before its first clock line show the last one, and
//   the script API reads it under this name;
extern int moon_phase;
// - the level's flag ('K' field 8, a card table), set by the level's reset at
//   each level change and kept, as the level is, until the next: a new
//   session's frames before its first level show the last level's cards or
//   hotbar;
extern bool level_flag;
// - the latency of the last answered move, shown on the game master's frame
//   rate line until the next move is answered, also in the next session.
extern int move_latency_ms;

extern std::string platform_name;
extern std::string login_password;
extern std::string quick_cast_spell;

// Settings copied from "client.cfg" at start-up.
extern int rage_bar;
extern int target_type;
extern bool old_shift_func;
extern bool old_ctrl_func;
extern bool old_alt_func;
extern int mouse_sensitivity;

// Turns every repeat flag (use, cast, make) off.
void clear_repeat_flags();
// Whether a repeat (use, cast or make) is running.
bool any_repeat_flag();

// Closes the "cmain" trace scope of the run (cmain does so on return).
void close_run_trace();

// Saves a settings file; when nothing could be saved the player is told in
// the message box that the settings last only until the client quits.
// Returns what ConfigFile::save returned.
class ConfigFile;
int save_settings(ConfigFile& cfg);

// Ends the session from this side, whether a key or a server line decided
// it: the server is told ("q") and the session loop ends at its next pass.
void end_session();

// The quit request (window close button) and the handler of the signals
// that quit. SIGINT while quitting is off is dropped; SIGTERM and SIGHUP (a
// logout, a service manager, a closed terminal) are kept until it is on.
inline constexpr int QUIT_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};
void request_quit();
void trap_signal(int sig);
// Installs trap_signal for QUIT_SIGNALS with sigaction; a SIGTERM or SIGHUP
// that the program was started ignoring (nohup) stays ignored.
void install_signal_handler();
// Sets quit_enabled; turning it on carries out a kept signal.
void allow_quit(bool on);

// Replaceable for tests: starting the updater (by default execl of "./patch.sh";
// returns only when it could not be started) and starting the display.
extern std::function<void()> exec_updater_hook;
extern std::function<int(bool)> display_init_hook;
// Starts the updater; when that fails shows the message box. Returns afterwards.
void start_updater(const std::string& program_dir);

// Links to subsystems that start-up and the data reload call: the script host
// (creates the Lua state and loads the client scripts; non-zero when the state
// cannot be made), closing it, and the item-type table.
int start_scripts();
void close_scripts();
void reload_item_data();
// The tables that start-up loads and a data reload loads again, in order:
// tiles, spells, crops, item data and the display's tile table.
class FunctionTrace;
void load_data_tables(FunctionTrace& trace);

// Whole milliseconds from `stamp` to `now` for the missile and particle steps.
// The stamp advances by exactly those milliseconds, so the fraction carries
// to the next pass instead of being lost on every one (effects would run slow
// by up to a millisecond per pass). A wall clock that stepped back restarts
// from now; a jump forward beyond an int's range of milliseconds is capped.
constexpr uint64_t ELAPSED_MAX_MS = INT32_MAX;
int take_elapsed_ms(uint64_t& stamp, uint64_t now);

// The CRC-32 of the running program's file as a login-line value.
uint32_t program_file_crc(const char* program_path);
