#pragma once
// Stand-ins for the input, sound and key-binding subsystems, which are not
// built yet. They keep the names and calls of the real classes so that the
// callers stay as they are when each one is replaced; until then keys come
// from standard input when it is not a terminal (so that tests can type them).
//
// standins.cpp also holds the headless bodies of the ClientApp input steps
// (do_mouse, do_tick, ...) and of the intro screens (do_intro: a key journeys
// onward or creates the stored character, q quits).
//
// Delete the matching section here when a subsystem lands.

#include <cstdint>
#include <string>

#include <vector>

#include "core/item.h"

// ---- Input (keys) ------------------------------------------------------------

bool key_waiting();
// The next key in readkey form (scancode << 8 | character); 0 when none.
int read_key();
void clear_key_buffer();
// Test helpers: queue a key that is waiting now; type a key later (it becomes
// waiting only once the buffer is empty, so a buffer clear does not drop it);
// forget every key.
void push_key(int key);
void type_key_later(int key);
void drop_keys();
// Whether keys are read from standard input (on by default; tests turn it off).
void set_stdin_keys(bool on);

// Mouse wheel position (the game library's mouse_z).
inline int mouse_wheel() { return 0; }

// The keys of headless play (a list choice, an attack, readying a weapon).
void headless_play_key(int key);

// Volume factor 0..1 of a sound at (x1, y1) heard from (x2, y2).
float sound_distance_factor(int x1, int y1, int x2, int y2);

// ---- Audio (global `sound`) --------------------------------------------------

class Sound {
 public:
  // 0 started; non-zero failed.
  int init() { return 0; }
  void apply_volume() {}
  void play_music(int track, bool force) { (void)track; (void)force; }
  void stop_music() {}
  void poll_music() {}
  void stop_all_loops() {}
  void load_mount_sounds() {}
  void play_effect(int id) { remember(effects_played, id); }
  void play_effect_scaled(int id, float factor) {
    (void)factor;
    remember(effects_played, id);
  }
  void play_spell_sound_scaled(int spell, float factor) {
    (void)factor;
    remember(spell_sounds, spell);
  }
  void stop_spell_sound(int spell) { remember(spell_sounds_stopped, spell); }
  void stop_loop(int id) { (void)id; }
  void weapon_attack_fx(bool missile) { (void)missile; }

  // What was asked of the sound object, newest last.
  std::vector<int> effects_played;
  std::vector<int> spell_sounds;
  std::vector<int> spell_sounds_stopped;

 private:
  static void remember(std::vector<int>& v, int id) {
    if (v.size() >= 256) v.erase(v.begin());
    v.push_back(id);
  }
};

