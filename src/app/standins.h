#pragma once
// Stand-ins for the input subsystem, which is not built yet. They keep the
// names and calls of the real functions so that the callers stay as they
// are when it is replaced; until then keys come from standard input when it
// is not a terminal (so that tests can type them).
//
// standins.cpp also holds the headless bodies of the ClientApp input steps
// (do_mouse, do_tick, ...).
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

