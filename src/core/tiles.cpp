#include "core/tiles.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>

#include "core/log.h"
#include "core/string_utils.h"

namespace {

using FilePtr = std::unique_ptr<std::FILE, decltype(&std::fclose)>;

// Leading decimal number of a word, as scanf's "%d" reads it; false when the
// word does not begin with one or it does not fit an int.
bool read_int(const std::string& word, int& out) {
  const char* s = word.c_str();
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(s, &end, 10);
  if (end == s || errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return false;
  out = static_cast<int>(v);
  return true;
}

// Walls on the minimap while the data marks none by a negative shadow.
bool in_fixed_wall_list(int n) {
  static const int walls[] = {60, 62, 65, 66, 67, 68, 70, 74, 195, 212, 239, 251, 252};
  for (int w : walls)
    if (w == n) return true;
  return false;
}

}  // namespace

Tiles::Tiles() : object_tiles(TILES_NUM_OBJECT), map_tiles(TILES_NUM_MAP) {}

int Tiles::load() {
  FunctionTrace trace("Tiles::load");
  for (ObjectTile& t : object_tiles) t.image = TILES_NO_OBJECT_IMAGE;
  for (MapTile& t : map_tiles) t.image = -1;

  int objects = read_object_tiles(trace);
  bool opened = false;
  int maps = read_map_tiles(opened);
  if (!opened) {
    trace.printf("FATAL: couldn't open mtiles.txt");
    return 1;
  }
  trace.printf("loaded %d tiles, %d maptiles", objects, maps);
  read_underneath();
  return 0;
}

int Tiles::read_object_tiles(FunctionTrace& trace) {
  FilePtr f(std::fopen("dat/tiles.txt", "r"), &std::fclose);
  if (!f) {
    trace.printf("couldn't open tiles.txt");
    return 0;
  }
  int count = 0;
  std::vector<std::string> fields;
  // Unlike the other tables, these lines are not trimmed.
  while (read_table_row(f.get(), fields, false)) {
    // A short line would leave the entry half-written: skip it whole.
    if (fields.size() < 7) continue;
    long index = hex_to_int(fields[0]);
    if (index < 0 || index >= TILES_NUM_OBJECT) continue;
    ObjectTile& t = object_tiles[static_cast<size_t>(index)];
    t.image = to_int(fields[2]);
    t.frames = to_int(fields[3]);
    t.anim_mode = fields[4].empty() ? 0 : fields[4][0];
    t.overlay = to_int(fields[5]) != 0;
    t.mirror = to_int(fields[6]) != 0;
    ++count;
  }
  return count;
}

int Tiles::read_map_tiles(bool& opened) {
  static uint64_t serial = 0;
  map_tile_serial_ = ++serial;
  FilePtr f(std::fopen("dat/mtiles.txt", "r"), &std::fclose);
  opened = f != nullptr;
  if (!f) return 0;
  int count = 0;
  std::string line;
  while (read_line(f.get(), line)) {
    if (!line.empty() && line[0] == '#') continue;
    std::istringstream in(line);
    std::vector<std::string> words;
    std::string w;
    while (words.size() < 7 && in >> w) words.push_back(w);
    // Every field is needed; a short line leaves its entry as it was.
    if (words.size() < 7) continue;
    int index = 0, v[4] = {0, 0, 0, 0};
    if (!read_int(words[0], index) || index < 0 || index >= TILES_NUM_MAP) continue;
    bool ok = true;
    for (int i = 0; i < 4 && ok; ++i) ok = read_int(words[1 + i], v[i]);
    if (!ok) continue;
    MapTile& t = map_tiles[static_cast<size_t>(index)];
    t.image = v[0];
    t.type = v[1];
    t.opaque = v[2];
    t.shadow = v[3];
    if (t.shadow < 0) has_negative_shadow = 1;
    t.desc = rm_us2(words[5]);
    t.desc_details = rm_us2(words[6]);
    ++count;
  }
  return count;
}

void Tiles::read_underneath() {
  FilePtr f(std::fopen("dat/underneath.txt", "r"), &std::fclose);
  if (!f) return;
  underneath_tiles.clear();
  underneath_dot_tiles.clear();
  underneath_blank_tiles.clear();
  std::string line;
  std::vector<std::string> pieces;
  for (int row = 0; row < 3 && read_line(f.get(), line); ++row) {
    pieces.clear();
    split(line, ",", pieces);
    for (const std::string& p : pieces) {
      int n = to_int(p);
      if (n == 0) continue;
      underneath_tiles.push_back(n);
      if (row == 1) underneath_dot_tiles.push_back(n);
      if (row == 2) underneath_blank_tiles.push_back(n);
    }
  }
}

void Tiles::copy_tile_entry(unsigned from, unsigned to) {
  if (from >= TILES_NUM_OBJECT || to >= TILES_NUM_OBJECT) return;
  object_tiles[to].image = object_tiles[from].image;
  object_tiles[to].frames = object_tiles[from].frames;
  object_tiles[to].anim_mode = object_tiles[from].anim_mode;
}

const MapTile* Tiles::map_tile(int n) const {
  if (n < 0 || n >= TILES_NUM_MAP) return nullptr;
  return &map_tiles[static_cast<size_t>(n)];
}

const MapTile* Tiles::get_map_tile(int n) const { return map_tile(n); }

const ObjectTile* Tiles::get_object_tile(unsigned n) const {
  return n < TILES_NUM_OBJECT ? &object_tiles[n] : nullptr;
}

bool Tiles::is_valid_tile(int n) const {
  const MapTile* t = map_tile(n);
  return t && t->image != -1;
}

bool Tiles::in_tile_map(int n) const { return is_valid_tile(n) && tile_map.count(n) != 0; }

bool Tiles::is_blocking(int n) const {
  const MapTile* t = map_tile(n);
  return t && t->type == TILE_BLOCKING;
}

bool Tiles::is_water(int n) const {
  const MapTile* t = map_tile(n);
  return t && t->type == TILE_WATER;
}

bool Tiles::is_shore(int n) const {
  const MapTile* t = map_tile(n);
  return t && (t->type == TILE_SHORE || t->type == TILE_BLOCKING_SHORE);
}

bool Tiles::is_blocking_shore(int n) const {
  const MapTile* t = map_tile(n);
  return t && t->type == TILE_BLOCKING_SHORE;
}

bool Tiles::is_void(int n) const {
  const MapTile* t = map_tile(n);
  return t && t->type == TILE_VOID;
}

bool Tiles::has_shadow(int n) const {
  const MapTile* t = map_tile(n);
  return t && t->shadow >= 1;
}

int Tiles::is_opaque(int n) const {
  const MapTile* t = map_tile(n);
  return t && t->opaque != 0 ? 1 : 0;
}

bool Tiles::is_plain_opaque(int n) const {
  const MapTile* t = map_tile(n);
  return t && t->type == TILE_PLAIN && t->opaque == 1;
}

bool Tiles::is_wall(int n) const {
  const MapTile* t = map_tile(n);
  if (!t) return false;
  if (t->image != -1 && has_negative_shadow) return t->shadow < 0;
  return in_fixed_wall_list(n);
}

std::string Tiles::get_desc(int n) const {
  const MapTile* t = map_tile(n);
  return t ? t->desc : std::string();
}

std::string Tiles::get_desc_details(int n) const {
  const MapTile* t = map_tile(n);
  return t ? t->desc_details : std::string();
}

bool Tiles::is_valid_object_tile(unsigned n) const {
  if (n >= TILES_NUM_OBJECT) return false;
  int image = object_tiles[n].image;
  return image != -1 && image != TILES_NO_OBJECT_IMAGE;
}

Tiles tiledata;
