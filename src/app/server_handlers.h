#pragma once
// The state and helpers behind the session, refresh, inventory, level-change
// and creature-update messages of the server. The handlers themselves are
// declared in message_handlers.h; what they share lives here.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "world/cmap.h"

class ClientApp;
class ItemList;
class ObjectList;

// ---- Limits ------------------------------------------------------------------

constexpr int SRV_MAX_XFER_FAILURES = 5;
constexpr int SRV_MARKER_CODE = 1293;     // item code of the marker object
constexpr int SRV_MAX_CACHE_NAME = 32;    // longest name used for a minimap cache
constexpr int SRV_MINIMAP_BYTES = CMAP_MAX_SIZE * CMAP_MAX_SIZE;
constexpr const char* SRV_MINIMAP_MAGIC = "ZZZ:::";

// ---- Refresh, field of view and map changes -----------------------------------

void refresh_packet(const std::string& line);
// Fills `list` from an 'F' or 'G' message; the number of entries announced
// (plus one for the marker object).
int process_fov_data(const std::string& line, ObjectList& list);
void process_map_change(const std::string& line);
void send_stats_update();
void turn_towards(int x, int y);

// ---- Inventory, item changes, id information, chat log ------------------------

// One read of the sync exchange: 1 a message in `out`, 0 a truly empty
// message, -1 the read failed or the frame was discarded.
using SyncReader = std::function<int(std::string& out)>;
// The reader on the global socket.
int read_sync_message(std::string& out);
// The sync exchange with a given reader: 0 done, 1 failed.
int sync_inventory(int bank, const SyncReader& reader);
void process_item_change(const std::string& line);
void process_i(const std::string& line);
// What one run may add to the chat log ("log_chat"). The log is the player's
// own record and is never cut, so a server's flood is stopped here instead:
// the line that would pass the bound is dropped and logging pauses for the
// rest of the run, with one line in the message box.
constexpr size_t CHAT_LOG_RUN_BYTES = 4 * 1024 * 1024;
void log_chat_line(const std::string& line);

// ---- Level change and minimap cache --------------------------------------------

// A message too short to read or a closed level changes no level at all:
// LEVEL_CHANGE_NONE, which the caller takes as done only once a level of
// the session has been entered.
enum {
  LEVEL_CHANGE_DONE = 0,
  LEVEL_CHANGE_REQUESTED = 1,
  LEVEL_CHANGE_FAILED = 2,
  LEVEL_CHANGE_NONE = 3
};
int change_level(const std::string& line);
// The state of the level on screen, started for the level just loaded: the
// object grid (its permanent cells kept on `reentry`), the day effect's cell,
// the minimap (started empty for a `fresh_file`, else loaded from its cache),
// an open map viewer's picture, the looping sounds and the level's flag
// (`level_flag`, a card table).
void reset_level(bool reentry, bool fresh_file, bool card_table);
// "cmaps/<name>.<level>.mm" of the player's name now, or "" when the name
// cannot name a file or the level is none (-1).
std::string minimap_filename(int level);
void save_minimap();
void load_minimap();
// Whether a name from the server may be part of a file name.
bool is_safe_cache_name(const std::string& name);

// ---- Creature positions --------------------------------------------------------

int update_sent_pos(const std::string& line);

// Puts the local player on (x, y) from the server when it is a cell of the
// grid (anything else would be cut to 16 bits); whether it did.
bool place_player(int x, int y);

// Rebuilds the object grid from the level's own objects and the received ones.
void rebuild_object_grid();

