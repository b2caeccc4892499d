#pragma once
// Seen only by the generated binding code, after every program header: the
// boxed types keep their script names while the glue stores them as the
// plain-int enumerations of script_api.h.

#include "script/script_api.h"

#define MAPTYPE script_MAPTYPE
#define magic_types script_magic_types
#define slots script_slots
#define stat_num script_stat_num
#define alignment_type script_alignment_type
#define mana_type script_mana_type
#define BuffType script_BuffType
