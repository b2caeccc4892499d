// The map level file: header, run-length coded tiles, objects, regions and
// placements; and the plain-text dump of the tiles.

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/log.h"
#include "core/string_utils.h"
#include "core/tiles.h"
#include "core/utils.h"
#include "world/cmap.h"

namespace {

constexpr int RUN_MARKER = 9;
constexpr int RUN_MAX = 254;  // further equal cells in one run (count byte 255)
// The tile bytes cannot hold 1..9 (high bytes and the run marker) nor
// 2304..2559 (high byte 9).
constexpr int FIRST_TWO_BYTE_TILE = 256;
constexpr int LAST_STORABLE_TILE = 2303;
constexpr int FIRST_STORABLE_ONE_BYTE = 10;

bool storable(int tile) {
  return tile == 0 || (tile >= FIRST_STORABLE_ONE_BYTE && tile <= LAST_STORABLE_TILE);
}

// A byte cursor over the whole file.
class ByteReader {
 public:
  explicit ByteReader(const std::string& data) : data_(data) {}
  // The next byte, -1 at the end.
  int get() { return pos_ < data_.size() ? static_cast<unsigned char>(data_[pos_++]) : -1; }
  // Like read_line: up to a line feed, which is not kept; false at the end
  // with nothing read.
  bool line(std::string& out) {
    if (pos_ >= data_.size()) return false;
    size_t end = data_.find('\n', pos_);
    if (end == std::string::npos) {
      out = data_.substr(pos_);
      pos_ = data_.size();
    } else {
      out = data_.substr(pos_, end - pos_);
      pos_ = end + 1;
    }
    return true;
  }

 private:
  const std::string& data_;
  size_t pos_ = 0;
};

// Reads one decimal number the way "%d" does (leading white space, a sign,
// digits), clamped to the int range. False when no digits follow.
bool scan_int(const std::string& s, size_t& pos, int& out) {
  size_t p = pos;
  while (p < s.size() && isspace(static_cast<unsigned char>(s[p]))) ++p;
  bool neg = false;
  if (p < s.size() && (s[p] == '-' || s[p] == '+')) neg = s[p++] == '-';
  if (p >= s.size() || !isdigit(static_cast<unsigned char>(s[p]))) return false;
  long long v = 0;
  while (p < s.size() && isdigit(static_cast<unsigned char>(s[p]))) {
    if (v < 10000000000LL) v = v * 10 + (s[p] - '0');
    ++p;
  }
  if (neg) v = -v;
  out = bounded_int<int>(v);
  pos = p;
  return true;
}

// A small scanner for the fixed formats of this file: "%d" reads a number, a
// blank skips any white space, every other character must match. Returns the
// number of numbers read before the first mismatch.
int scan(const std::string& s, const char* fmt, int* out, int max_out) {
  size_t pos = 0;
  int n = 0;
  for (const char* f = fmt; *f; ++f) {
    if (f[0] == '%' && f[1] == 'd') {
      if (n >= max_out || !scan_int(s, pos, out[n])) return n;
      ++n;
      ++f;
    } else if (*f == ' ') {
      while (pos < s.size() && isspace(static_cast<unsigned char>(s[pos]))) ++pos;
    } else {
      if (pos >= s.size() || s[pos] != *f) return n;
      ++pos;
    }
  }
  return n;
}

bool starts_with(const std::string& s, char c) { return !s.empty() && s[0] == c; }

// One map object, "%s %d %d": a word of at most 1000 bytes and two numbers.
bool scan_object(const std::string& s, std::string& word, int& x, int& y) {
  size_t p = 0;
  while (p < s.size() && isspace(static_cast<unsigned char>(s[p]))) ++p;
  size_t start = p;
  while (p < s.size() && !isspace(static_cast<unsigned char>(s[p])) && p - start < 1000) ++p;
  if (p == start) return false;
  word = s.substr(start, p - start);
  return scan_int(s, p, x) && scan_int(s, p, y);
}

bool read_file(const std::string& path, std::string& out) {
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return false;
  out.clear();
  char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  fclose(f);
  return true;
}

}  // namespace

std::string CMap::get_file_name() const {
  if (mode == CMAP_MODE_CLIENT) return format_str("cmaps/lvl%03d.map", level);
  if (mode == CMAP_MODE_SERVER && rlvl)
    return std::string(make_path("smaps", format_str("rlvl%03d.map", level)));
  return format_str("%s/lvl%03d.map", dir.c_str(), level);
}

int CMap::save_map() {
  FunctionTrace ft("save_map");
  if (mode == CMAP_MODE_TOOL && rlvl && !rlvl_keep) return 1;
  // Without a grid there is no level to write; an empty file would replace a
  // good copy of the level.
  if (!has_grid()) {
    writelog("save_map: level %d has no grid, not written", level);
    return 1;
  }
  const std::string fn = get_file_name();
  ft.printf("filename=%s", fn.c_str());
  FILE* f = fopen(fn.c_str(), "wb");
  if (!f) return 1;

  if (type == -1) type = 1;
  if (vis == -1) vis = 0;
  if (name == "unnamed level") name = format_str("level_%d", level);

  std::string out = format_str("%d %d %d %d %d %d %d %d %d %d\n", width, height, type, music, vis,
                               exitlvl, static_cast<int>(edge_tiles[CMAP_NORTH]),
                               static_cast<int>(edge_tiles[CMAP_SOUTH]),
                               static_cast<int>(edge_tiles[CMAP_EAST]),
                               static_cast<int>(edge_tiles[CMAP_WEST]));
  // The name is one line of the file.
  std::string line_name = name;
  for (char& c : line_name)
    if (c == '\n') c = '_';
  out += line_name;
  out += '\n';

  int replaced = 0;
  auto put_tile = [&](int t) {
    if (t >= FIRST_TWO_BYTE_TILE) out += static_cast<char>(t >> 8);
    out += static_cast<char>(t & 255);
  };
  auto flush = [&](int p, int c) {
    put_tile(p);
    if (c == 1) {
      put_tile(p);
    } else if (c >= 2) {
      out += static_cast<char>(RUN_MARKER);
      out += static_cast<char>(c + 1);
    }
  };
  int p = -1, c = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      int t = tiles[static_cast<size_t>(x) * height + y];
      if (!storable(t)) {
        ++replaced;
        t = CMAP_TILE_BLANK;
      }
      if (p < 0) {
        p = t;
        c = 0;
      } else if (t == p && c < RUN_MAX) {
        ++c;
      } else {
        flush(p, c);
        p = t;
        c = 0;
      }
    }
  }
  put_tile(p);
  if (c >= 1) {
    out += static_cast<char>(RUN_MARKER);
    out += static_cast<char>(c + 1);
  }
  out += '\n';
  if (replaced)
    writelog("save_map: %d tiles of level %d cannot be stored, written as %d", replaced, level,
             CMAP_TILE_BLANK);

  for (size_t i = 0; i < map_objects.size(); ++i) {
    const MapObject& o = map_objects[i];
    out += format_str("%s %d %d", o.item.str(false).c_str(), o.x, o.y);
    out += (i % 10 == 9) ? "\n" : ":";
  }
  if (map_objects.size() % 10 != 0) out += '\n';

  for (const Region& r : regions)
    if (r.id != 0) out += format_str("r%d=%d,%d,%d,%d\n", r.id, r.x1, r.y1, r.x2, r.y2);

  if (!placements.empty()) {
    for (const Placement& pl : placements)
      if (pl.value != 0)
        out += format_str("p%d,%d,%d", pl.x, pl.y, static_cast<int>(static_cast<int16_t>(pl.value)));
    out += '\n';
  }

  const bool written = fwrite(out.data(), 1, out.size(), f) == out.size();
  const bool closed = fclose(f) == 0;
  if (!written || !closed) {
    writelog("save_map: could not write %s", fn.c_str());
    return 1;
  }
  crc = static_cast<uint32_t>(file_crc32(fn));
  return 0;
}

int CMap::load(int lvl) {
  level = lvl;
  FunctionTrace ft("map::load");
  if (mode == CMAP_MODE_SERVER) {
    const std::string lock = make_path("smaps", format_str("lvl%03d.lck", level));
    if (file_exists(lock)) {
      ft.printf("map %d locked", level);
      return 2;
    }
  }
  const std::string fn = get_file_name();
  ft.printf("fn=%s", fn.c_str());
  std::string data;
  if (!read_file(fn, data)) {
    ft.printf("map lvl %d not loaded", level);
    return 1;
  }
  if (read_level(data) != 0) return 1;
  crc = crc32_bytes(data.data(), data.size());
  calc_layers();
  return 0;
}

int CMap::read_level(const std::string& bytes) {
  tiles_changed();
  FunctionTrace ft("map::load");
  ByteReader in(bytes);
  edge_tiles = {0, 0, 0, 0};

  // A header that does not give both numbers leaves a size that set_size
  // refuses, so the level is not loaded.
  int w = 0, h = 0;
  bool legacy = false;
  std::string line;
  in.line(line);
  if (!starts_with(line, 'x')) {
    int v[10];
    const int n = scan(line, "%d %d %d %d %d %d %d %d %d %d", v, 10);
    if (n > 0) w = v[0];
    if (n > 1) h = v[1];
    if (n > 2) type = v[2];
    if (n > 3) music = v[3];
    if (n > 4) vis = v[4];
    if (n > 5) exitlvl = v[5];
    for (int i = 6; i < n; ++i) edge_tiles[i - 6] = static_cast<uint32_t>(v[i]);
    if (in.line(line)) name = line;
  } else {
    legacy = true;
    int v = 0;
    if (scan(line, "x=%d", &v, 1) == 1) w = v;
    if (in.line(line) && scan(line, "y=%d", &v, 1) == 1) h = v;
    if (in.line(line) && scan(line, "type=%d", &v, 1) == 1) type = v;
    if (in.line(line) && scan(line, "music=%d", &v, 1) == 1) {
      music = v;
      in.line(line);
    } else {
      music = type;
    }
    if (scan(line, "vis=%d", &v, 1) == 1) vis = v;
    if (in.line(line) && line.size() >= 5) name = line.substr(5);
    if (in.line(line) && scan(line, "exitlvl=%d", &v, 1) == 1) exitlvl = v;
  }

  if (set_size(w, h, false) != 0) {
    ft.printf("set size failed, x=%d y=%d lvl=%d", w, h, level);
    return 1;
  }

  const size_t total = static_cast<size_t>(width) * static_cast<size_t>(height);
  size_t filled = 0;
  auto store = [&](int t) {
    const size_t x = filled % static_cast<size_t>(width);
    const size_t y = filled / static_cast<size_t>(width);
    tiles[x * static_cast<size_t>(height) + y] = static_cast<uint16_t>(t);
    ++filled;
  };
  if (!legacy) {
    // A run before any tile repeats the tile of a new grid.
    int last = CMAP_TILE_BLANK;
    while (filled < total) {
      const int b = in.get();
      if (b < 0) break;  // the rest of the grid keeps 32
      int t;
      if (b == RUN_MARKER) {
        const int n = in.get();
        for (int i = 1; i < n && filled < total; ++i) store(last);
        continue;
      }
      if (b >= 1 && b <= 8) {
        const int lo = in.get();
        t = lo < 0 ? -1 : b * 256 + lo;
      } else {
        t = b;
      }
      if (t < 0 || !tiledata.is_valid_tile(t)) t = CMAP_TILE_BLANK;
      store(t);
      last = t;
    }
  } else {
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const int b = in.get();
        int t = b;
        if (b >= 1 && b <= 8) {
          const int lo = in.get();
          t = lo < 0 ? -1 : b * 256 + lo;
        }
        tiles[static_cast<size_t>(x) * height + y] =
            static_cast<uint16_t>(t < 0 || t >= TILES_NUM_MAP ? CMAP_TILE_BLANK : t);
      }
      in.get();
    }
  }
  ft.printf("lvl %d loaded: size %dx%d crc=%x", level, width, height, crc);

  map_objects.clear();
  bool have_line = false;
  std::vector<std::string> pieces;
  while (in.line(line)) {
    const std::string t = trim2(line, false);
    if (t.empty()) continue;
    if (t[0] == 'p' || t[0] == 'r') {
      have_line = true;
      break;
    }
    split(t, ":", pieces);
    for (const std::string& piece : pieces) {
      if (piece.empty()) continue;
      std::string word;
      int x = 0, y = 0;
      if (!scan_object(piece, word, x, y)) continue;
      MapObject o;
      o.item.from_str(word.c_str());
      o.x = x;
      o.y = y;
      map_objects.push_back(o);
    }
  }

  regions.clear();
  ft.printf("resetting regions lvl=%d w=%d h=%d", level, width, height);
  std::fill(region_layer.begin(), region_layer.end(), 0);
  bool placement_line = false;
  while (have_line) {
    if (starts_with(line, 'p')) {
      placement_line = true;
      break;
    }
    int v[5];
    if (starts_with(line, 'r') && scan(line, "r%d=%d,%d,%d,%d", v, 5) == 5 && v[0] != 0) {
      ft.printf("set region [%s]", line.c_str());
      set_region(v[1], v[2], v[3], v[4], v[0]);
    }
    have_line = in.line(line);
  }
  compute_open_bounds();

  placements.clear();
  if (placement_line) {
    split(line.substr(1), "p", pieces);
    for (const std::string& piece : pieces) {
      int v[3];
      if (scan(piece, "%d,%d,%d", v, 3) != 3) continue;
      placements.push_back({v[0], v[1], static_cast<uint16_t>(static_cast<int16_t>(v[2]))});
    }
  }
  return 0;
}

int CMap::save_raw_map() {
  FunctionTrace ft("save_raw_map");
  if (mode == CMAP_MODE_TOOL && rlvl && !rlvl_keep) return 0;
  const std::string fn = make_path("smaps", format_str("raw%03d.txt", level));
  if (mode == CMAP_MODE_SERVER && !rlvl) return 0;
  ft.printf("filename=%s", fn.c_str());
  FILE* f = fopen(fn.c_str(), "w");
  if (!f) return 0;
  fprintf(f, "vw=%d\n", width);
  fprintf(f, "vh=%d\n", height);
  fprintf(f, "vault={\n");
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) fprintf(f, "%d, ", tiles[static_cast<size_t>(x) * height + y]);
    fprintf(f, "\n");
  }
  fprintf(f, "}\n");
  fclose(f);
  return 0;
}
