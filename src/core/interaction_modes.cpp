#include "core/interaction_modes.h"

// The interaction mode of the whole program: defined in the layer that
// declares it, so that every layer above can read it.
uint32_t gc_interface_mode = MODE_NORMAL;
