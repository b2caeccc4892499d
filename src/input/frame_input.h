#pragma once
// The input steps of every frame-loop pass: the mouse state, the tick that
// re-arms the action ready flags and sends the periodic lines, the key of the
// pass (read, or made from a click or a wheel step), the list pick and the
// redraw pacing. The steps are methods of ClientApp; what other parts read of
// them is published here.

#include <cstdint>

// The clock of the input steps in microseconds; tests replace it.
extern uint64_t (*input_clock_us)();

// Published for the display and the side panel.
extern int fps;                   // redraws in the last whole second
extern int anim_ping_pong;        // 1..7 and back, one step per 100 ms
extern bool blink_on;             // flips every 300 ms
extern bool carries_light_item;   // an item of base code 318 is in the pack
extern bool carries_sight_item;   // see the 3 s tick
extern uint32_t bytes_sent_last_second;
extern uint32_t bytes_received_last_second;
// The crafting delay in ms, set by the crafting prompt.
extern int craft_delay;

// Readkey codes made from the mouse.
constexpr int KEYCODE_ENTER = 67 << 8 | 13;
constexpr int KEYCODE_TAB = 64 << 8 | 9;
constexpr int KEYCODE_DOWN = 85 << 8;
constexpr int KEYCODE_UP = 84 << 8;
constexpr int KEYCODE_PGDN = 81 << 8;
constexpr int KEYCODE_PGUP = 80 << 8;

// The compass direction 0..8 of the pointer: by its cell offset from the
// player when that is within one cell, else by its angle (degrees, y up).
int pointer_direction(int dx, int dy, float angle);
// The key of one wheel step from `last` to `now` (0 when they are equal).
int wheel_key(int last, int now, bool ctrl);
// The re-arm delay in ms of the step delay: the player's action delay for
// the carried weight times the terrain factor of the cell under the player.
int move_delay_ms();
// The redraw interval in ms: 0 without the limiter, else from the tile size
// with smooth scrolling, else 28.
double frame_interval_ms();
// The smooth-scroll pixel offset `elapsed_ms` into a step of `delay_ms`.
int scroll_offset_for(double elapsed_ms, int delay_ms, int tile);
