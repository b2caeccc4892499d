// The current target and the crosshair.

#include "world/target.h"

int target_id = -1;
int target_x = 0, target_y = 0;
bool target_locked = false;
int locked_target_id = -1;
bool crosshair = false;
bool crosshair_ready = false;

void reset_target() {
  target_id = -1;
  target_locked = false;
  locked_target_id = -1;
  crosshair_ready = false;
}
