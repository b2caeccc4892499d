#pragma once
// The copies that the display and the message handlers keep of some options.

#include "core/options.h"

// Option 2's copy, read by the combat and ship reports.
extern bool show_combat_messages;

// Sets the copies that the display and the message handlers keep of some
// options from the options themselves; called wherever an option may have
// changed, and the only writer of those copies.
void apply_option_copies();
