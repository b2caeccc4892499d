#pragma once
// The keys of normal play (MODE_NORMAL): hotkey slots, the fixed keys, the repeat
// keys, the modifier toggles, the chat-entry keys and the keymap commands,
// plus the two per-pass steps that cast a queued spell and repeat the last
// use, cast or craft. The handlers are ClientApp methods (client_app.h);
// the state they share with the display and the other handlers is here.

#include <cstdint>
#include <string>

class ClientApp;

// The queued spell's offset x when the spell is cast the normal way, with no cell.
constexpr int QUEUED_NO_CELL = 999;

// The object-list trace of a game master.
extern bool objlist_trace;

// Casts the spell `name` now (a directional spell asks for its direction),
// or queues it while casting is not ready and spell queueing is on.
void cast_or_queue(ClientApp& app, const std::string& name);
