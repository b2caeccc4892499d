// Stand-ins for input; see standins.h.

#include "app/standins.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdarg>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "app/client_app.h"
#include "core/log.h"
#include "core/string_utils.h"
#include "core/utils.h"
#include "script/script_host.h"
#include "app/globals.h"

namespace {
std::deque<int> queued_keys;
std::deque<int> keys_typed_later;
bool stdin_keys_on = true;

// Keys typed into standard input when it is a pipe or a file.
void read_stdin_keys() {
  if (!stdin_keys_on) return;
  static bool checked = false, usable = false;
  if (!checked) {
    checked = true;
    usable = !isatty(STDIN_FILENO);
    if (usable) {
      int flags = fcntl(STDIN_FILENO, F_GETFL);
      usable = flags >= 0 && fcntl(STDIN_FILENO, F_SETFL, flags | O_NONBLOCK) == 0;
    }
  }
  if (!usable) return;
  char buf[64];
  ssize_t n = read(STDIN_FILENO, buf, sizeof buf);
  for (ssize_t i = 0; i < n; ++i) queued_keys.push_back(static_cast<unsigned char>(buf[i]));
}
}  // namespace

bool key_waiting() {
  if (queued_keys.empty()) read_stdin_keys();
  if (queued_keys.empty() && !keys_typed_later.empty()) {
    queued_keys.push_back(keys_typed_later.front());
    keys_typed_later.pop_front();
  }
  return !queued_keys.empty();
}

int read_key() {
  if (!key_waiting()) return 0;
  int k = queued_keys.front();
  queued_keys.pop_front();
  return k;
}

void clear_key_buffer() {
  read_stdin_keys();
  queued_keys.clear();
}

void push_key(int key) { queued_keys.push_back(key); }
void set_stdin_keys(bool on) { stdin_keys_on = on; }
void type_key_later(int key) { keys_typed_later.push_back(key); }
void drop_keys() {
  queued_keys.clear();
  keys_typed_later.clear();
}

// ---- Input steps of the frame loop -----------------------------------------

void ClientApp::do_mouse() {}
void ClientApp::do_tick() {
  constexpr uint64_t SCRIPT_TICK_US = 100000;
  uint64_t now = get_time_us();
  if (now - action_timers[TIMER_SCRIPT] >= SCRIPT_TICK_US) {
    action_timers[TIMER_SCRIPT] = now;
    call_auxbox();
  }
}
void ClientApp::do_list_pick() {}
void ClientApp::do_movement() {}
bool ClientApp::do_hotbar_input() {
  // Consume the key so that a stand-in pass does not see it again.
  if (key_waiting()) {
    last_key = read_key();
    last_ascii = static_cast<uint8_t>(last_key & 0xff);
    last_scancode = last_key >> 8;
    key_this_pass = 1;
    headless_play_key(last_key);
  }
  return true;
}
void ClientApp::do_redraw() {}
void ClientApp::update_frame_counters() {}
