#pragma once
// The creature the player's attacks and spells go to, its cell, the target
// lock and the crosshair. Input chooses the target and flips the crosshair;
// the map view draws the target cursor and keeps the target's cell up to date
// whenever it rebuilds the list of creatures in view.

// The creatures the target key steps through, in the order it cycles
// (the setting `target_type`, "target_type" in client.cfg).
enum TargetType : int {
  TARGET_ALL = 0,
  TARGET_GOOD = 1,
  TARGET_EVIL = 2,
  TARGET_PARTY = 3,
  TARGET_TYPES = 4
};

extern int target_id;  // -1 none
extern int target_x, target_y;
// While locked, a new target is the locked creature when it can be found.
extern bool target_locked;
extern int locked_target_id;  // the target at the moment of locking, -1 none

// The crosshair is on: switching targets steps through the creatures in
// view, a mouse step onto a creature is not taken, and the target cursor is
// drawn on the target.
extern bool crosshair;
// The target's cell above is where the target was last seen: set when a
// target is taken from the creatures in view (or the tracked table), and by
// the map view each time it rebuilds that list, cleared there when the target
// is no longer among them. The cursor is drawn only then, never on a cell the
// target has left.
extern bool crosshair_ready;

// A new session has no target, no lock and no cursor drawn; whether the
// crosshair is wanted at all is the player's and stays.
void reset_target();
