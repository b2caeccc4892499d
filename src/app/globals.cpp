#include "app/globals.h"

// Construction order matters: later objects may read the earlier ones.
ConfigFile client_cfg("client.cfg");
ConfigFile common_cfg("dat/common.cfg");
