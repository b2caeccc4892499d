// Level change: make sure the server's level file is here (asking for it when
// its CRC differs), load it, reset the object grid and restore the minimap
// cached for this character and level.

#include <cstdio>
#include <cstring>

#include "app/client_app.h"
#include "app/globals.h"
#include "app/requests.h"
#include "app/server_handlers.h"
#include "core/compression.h"
#include "core/interaction_modes.h"
#include "core/log.h"
#include "core/string_utils.h"
#include "core/utils.h"

namespace {

// A cache file larger than this is not ours.
constexpr size_t MINIMAP_FILE_LIMIT = 2 * 1024 * 1024;

bool read_small_file(const std::string& path, std::string& out) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  char buf[8192];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
    out.append(buf, n);
    if (out.size() > MINIMAP_FILE_LIMIT) break;
  }
  std::fclose(f);
  return true;
}

}  // namespace

bool is_safe_cache_name(const std::string& name) {
  if (name.empty() || name.size() > static_cast<size_t>(SRV_MAX_CACHE_NAME)) return false;
  for (char c : name) {
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              c == '_' || c == '-';
    if (!ok) return false;
  }
  return true;
}

std::string minimap_filename(int level) {
  // The name comes from the server: it names a file only when it is plain.
  std::string name = me.name.substr(0, me.name.find('['));
  if (!is_safe_cache_name(name)) return std::string();
  if (level < 0) return std::string();
  return format_str("cmaps/%s.%03d.mm", name.c_str(), level);
}

void save_minimap() {
  // The cells are cached under the level that drew them, not under what
  // `cmap` names now: before a session's first level that is the last
  // session's level, after a failed load the level never entered. The
  // character is named as it is now: the server may have renamed it.
  const std::string path = minimap_filename(d.minimap.level);
  if (path.empty()) return;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::string body = deflate(std::string(reinterpret_cast<const char*>(&d.minimap[0][0]),
                                         static_cast<size_t>(SRV_MINIMAP_BYTES)));
  std::fwrite(SRV_MINIMAP_MAGIC, 1, std::strlen(SRV_MINIMAP_MAGIC), f);
  std::fwrite(body.data(), 1, body.size(), f);
  std::fclose(f);
}

void load_minimap() {
  d.minimap.start(cmap.get_level());
  const std::string path = minimap_filename(d.minimap.level);
  if (path.empty()) return;
  std::string data;
  if (!read_small_file(path, data)) return;
  size_t magic_len = std::strlen(SRV_MINIMAP_MAGIC);
  std::string grid;
  if (data.compare(0, magic_len, SRV_MINIMAP_MAGIC) == 0)
    grid = inflate(data.substr(magic_len));
  else
    grid = data;
  // Only the bytes present are used; the rest of the grid stays clear.
  size_t n = std::min(grid.size(), static_cast<size_t>(SRV_MINIMAP_BYTES));
  std::memcpy(&d.minimap[0][0], grid.data(), n);
}

void reset_level(bool reentry, bool fresh_file, bool card_table) {
  // The permanent cells stay on re-entry; the rest of the grid was seen on
  // the level left.
  obj_grid.clear(!reentry);
  // The day effect's cell was picked on the level just left.
  d.clear_day_marker();
  // A fresh file starts the level's minimap afresh; otherwise what was seen
  // here before is loaded.
  if (!reentry && fresh_file)
    d.minimap.start(cmap.get_level());
  else
    load_minimap();
  // An open map viewer shows the level the player is on now.
  if (map_open()) d.draw_map_view(true);
  sound.stop_all_loops();
  level_flag = card_table;
}

int change_level(const std::string& line) {
  FunctionTrace trace("change level");
  int transfer = 0, map_number = 0, level = 0, x = 0, y = 0, fresh = 0, flag = 0;
  unsigned crc = 0;
  int n = std::sscanf(line.c_str(), "K %d %d %d %d %d %x %d %d", &transfer, &map_number, &level,
                      &x, &y, &crc, &fresh, &flag);
  if (n < 6) return LEVEL_CHANGE_NONE;
  map_transfer_pending = false;
  if (map_number == -1) {
    d.print_msg("Level closed!");
    return LEVEL_CHANGE_NONE;
  }
  // Any other negative number names no level file.
  if (map_number < 0) {
    writelog("bad map number %d in level change\n", map_number);
    d.print_msg("Error loading map ... disconnecting.");
    return LEVEL_CHANGE_FAILED;
  }
  std::string path = format_str("cmaps/lvl%03d.map", map_number);
  bool transferred = false;
  if (transfer) {
    d.print_msg("Transferring map ...");
    d.refresh_screen();
    // A level transfer may only write the level file it is for.
    if (tcpObj.recv_file({"cmaps/"}, path) != 0) {
      d.print_msg("Error transferring map ... disconnecting.");
      return LEVEL_CHANGE_FAILED;
    }
    transferred = true;
  } else {
    place_player(x, y);
    uint32_t mine = static_cast<uint32_t>(file_crc32(path));
    trace.printf("checking crc: mine=%x servers=%x", mine, crc);
    if (mine != crc) {
      send_map_request(level);
      map_transfer_pending = true;
      // The player already stands on the new level's cell while the old
      // level is still loaded: the grid (saved by the caller) takes no marks
      // until the new level's own is loaded.
      d.clear_minimap();
      return LEVEL_CHANGE_REQUESTED;
    }
  }
  if (cmap.load(map_number) != 0) {
    d.print_msg("Error loading map ... disconnecting.");
    return LEVEL_CHANGE_FAILED;
  }
  int previous = me.map_level;
  // The level is kept in 16 bits: a number past them stays out of reach
  // rather than naming another level.
  me.map_level = bounded_int<int16_t>(level);
  bool reentry = map_number == previous && level_entered && !transferred;
  if (!reentry) d.print_msg("Entering %s", cmap.name.c_str());
  reset_level(reentry, transferred && fresh != 0, flag != 0);
  return LEVEL_CHANGE_DONE;
}
