#pragma once
// Allegro's keyboard without a keyboard: a driver that does nothing but
// deliver keys queued by the test, so that keypressed/readkey/clear_keybuf
// and the key[] array behave as the program sees them.
//
// press_key queues a key that is waiting at once. type_key_later queues one
// that arrives through poll_keyboard once the buffer is empty; the first
// poll that finds the buffer empty only arms it, so the poll inside a
// clear_keybuf does not lose it (the program clears before it waits).

#include <allegro.h>

#include <cstring>
#include <deque>

namespace sim_keys {

inline std::deque<int>& later() {
  static std::deque<int> q;
  return q;
}
inline bool& armed() {
  static bool a = false;
  return a;
}
inline int driver_init() { return 0; }
inline void driver_exit() {}
inline void driver_poll() {
  if (keypressed() || later().empty()) {
    armed() = false;
    return;
  }
  if (!armed()) {
    armed() = true;
    return;
  }
  armed() = false;
  simulate_keypress(later().front());
  later().pop_front();
}

inline KEYBOARD_DRIVER& driver() {
  static KEYBOARD_DRIVER drv = [] {
    KEYBOARD_DRIVER k;
    std::memset(&k, 0, sizeof k);
    k.id = AL_ID('S', 'I', 'M', 'K');
    k.name = k.desc = k.ascii_name = "simulated";
    k.init = driver_init;
    k.exit = driver_exit;
    k.poll = driver_poll;
    return k;
  }();
  return drv;
}

}  // namespace sim_keys

// Installs the simulated keyboard (the key buffer needs no system driver);
// forgets every key, held or queued.
inline void use_simulated_keys() {
  keyboard_driver = &sim_keys::driver();
  sim_keys::later().clear();
  sim_keys::armed() = false;
  clear_keybuf();
  for (int i = 0; i < KEY_MAX; ++i) key[i] = 0;
  key_shifts = 0;
}

inline void press_key(int k) { simulate_keypress(k); }
inline void type_key_later(int k) { sim_keys::later().push_back(k); }
