#pragma once
// The movement step of each pass: held direction keys and mouse buttons turn
// into a step (the move request and the local move), a ship's turn, a bump,
// an attack by moving, the right-click context request, mouse targeting,
// hotbar clicks, the modifier-combination casts and uses, and target
// switching. The step is ClientApp::do_movement.

constexpr float MOVE_RESYNC_DISTANCE = 4.0f;
constexpr int MOVE_TOKEN_LIMIT = 98;

// The hotkey slot of the held modifier combination (10..17), -1 for none.
int combo_slot(bool shift, bool ctrl, bool alt, bool right_held, bool mouse_movement);
// Whether the local player may step onto (x, y) (tile, status and objects);
// prints "Locked!" for a locked door and reports it as `locked`.
bool step_allowed(int x, int y, bool& locked);
