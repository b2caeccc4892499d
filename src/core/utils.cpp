#include "core/utils.h"

#include <sys/time.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

int world_time = 540;

namespace {

// The highest level of the experience curve: the start of the next one lies
// beyond the largest int.
constexpr int LEVEL_MAX = 1057;

struct Crc32Table {
  uint32_t v[256];
  constexpr Crc32Table() : v() {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i << 24;
      for (int k = 0; k < 8; ++k) c = (c & 0x80000000u) ? (c << 1) ^ 0x04C11DB7u : (c << 1);
      v[i] = c;
    }
  }
};

constexpr Crc32Table CRC32_TABLE;

}  // namespace

int roll_dice(int n, int sides) {
  if (sides == 0 || n < 1) return 0;
  long long sum = 0;
  for (int i = 0; i < n; ++i) sum += rand() % sides + 1;
  // A huge roll saturates rather than overflowing.
  if (sum > 0x7FFFFFFF) return 0x7FFFFFFF;
  if (sum < -0x7FFFFFFF) return -0x7FFFFFFF;
  return int(sum);
}

int rand_int(int n) {
  if (n < 2) return 0;
  return rand() % n;
}

float rand_fraction() { return float(rand() % 1000) / 1000.0f; }

unsigned random_id() {
  unsigned v = (unsigned)rand();
  return v == 0xFFFFFFFFu ? 0u : v;
}

int sign(int v) { return (v > 0) - (v < 0); }

int xor_ints(int a, int b) { return a ^ b; }

float absf(float v) { return std::fabs(v); }

float round_tenths(float x) {
  // Multiplied in float, as x is: in double, 0.7f (0.69999999) gives 6.9999999
  // and would lose a tenth that the float product 7.0 keeps.
  float t = x * 10.0f;
  // Beyond the 64-bit range (or not a number) there are no tenths to drop.
  if (!(std::fabs(t) < 9.0e18f)) return x;
  return float(double((long long)t) / 10.0);
}

float percent_of_fifteen(int v) { return float(v) * 100.0f / 15.0f; }

int swap_ints(int& a, int& b) {
  int old = a;
  a = b;
  b = old;
  return old;
}

bool is_vowel(char c) {
  switch (c) {
    case 'A': case 'E': case 'I': case 'O': case 'U':
    case 'a': case 'e': case 'i': case 'o': case 'u':
      return true;
    default:
      return false;
  }
}

std::string get_mana_type_word(char c) {
  switch (c) {
    case 'm': return "mana";
    case 'r': return "rage";
    case 'e': return "energy";
    default: return "";
  }
}

std::string get_hunger_string(int food) {
  if (food > 1999) return "Bloated";
  if (food > 1299) return "Satiated";
  if (food < 0) return "Starving";
  if (food < 50) return "Weak";
  if (food > 149) return "";
  return "Hungry";
}

std::string mask_password(const std::string& s) { return std::string(s.size(), '*'); }

std::string filter_name(const std::string& s) {
  std::string r;
  for (char c : s)
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) r += c;
  return r.empty() ? std::string("Unnamed") : r;
}

bool pair_equal(int a1, int b1, int a2, int b2) { return a1 == a2 && b1 == b2; }

float get_distance(int x1, int y1, int x2, int y2) {
  double dx = double(x2) - x1, dy = double(y2) - y1;
  return float(std::sqrt(dx * dx + dy * dy));
}

int chebyshev_distance(int x1, int y1, int x2, int y2) {
  long long dx = std::llabs((long long)x2 - x1), dy = std::llabs((long long)y2 - y1);
  long long m = dx > dy ? dx : dy;
  return m > 0x7FFFFFFF ? 0x7FFFFFFF : int(m);
}

int get_direction(int x1, int y1, int x2, int y2) {
  // Compare rather than subtract, so far-apart cells cannot overflow.
  int sx = (x2 > x1) - (x2 < x1);
  int sy = (y2 > y1) - (y2 < y1);
  static const int DIRS[3][3] = {
      // sy = -1, 0, 1
      {DIR_NW, DIR_W, DIR_SW},  // sx = -1
      {DIR_N, DIR_NONE, DIR_S},  // sx = 0
      {DIR_NE, DIR_E, DIR_SE},  // sx = 1
  };
  return DIRS[sx + 1][sy + 1];
}

void step_in_direction(int direction, int& x, int& y) {
  switch (direction & 0xFFFF) {
    case DIR_N: --y; break;
    case DIR_NE: ++x; --y; break;
    case DIR_E: ++x; break;
    case DIR_SE: ++x; ++y; break;
    case DIR_S: ++y; break;
    case DIR_SW: --x; ++y; break;
    case DIR_W: --x; break;
    case DIR_NW: --x; --y; break;
    default: break;
  }
}

int angle_to_direction(float angle) {
  // Compared against float bounds, so that an angle written as 0.39 lands in
  // sector 1 however the caller rounded it.
  float a = angle;
  if (a < 0) a += 6.28f;
  if (a >= 0.39f && a < 1.17f) return 1;
  if (a >= 1.17f && a < 1.95f) return 2;
  if (a >= 1.95f && a < 2.73f) return 3;
  if (a >= 2.73f && a < 3.51f) return 4;
  if (a >= 3.51f && a < 4.29f) return 5;
  if (a >= 4.29f && a < 5.07f) return 6;
  if (a >= 5.07f && a < 5.85f) return 7;
  return 0;
}

int minute_of_day(int minutes) {
  const int m = minutes % GAME_DAY_MINUTES;
  return m < 0 ? m + GAME_DAY_MINUTES : m;
}

int get_game_hour() { return world_time / 60; }

int get_game_minute() { return world_time % 60; }

bool game_hour_6_to_23() {
  int h = get_game_hour();
  return h >= 6 && h <= 23;
}

bool game_clock_under_5() { return world_time >= 0 && world_time <= 4; }

void get_level_from_exp(int experience, int16_t& level, float& percent) {
  const float e = float(experience);
  if (e < 200.0f) {
    level = 1;
    percent = float((long long)experience * 100) / 200.0f;
    return;
  }
  // Thresholds in 64 bits: near the top of the int range the sums no longer
  // fit in an int.
  long long prev = 0, cur = 200;
  for (int l = 2;; ++l) {
    float t;
    if (l <= 24) {
      t = float(double(cur - prev) * 1.2 + double(cur));
    } else if (l == 25) {
      t = 93000.0f;
    } else {
      t = float(cur + 4000LL * (l - 25) + 15000);
    }
    if (e >= t && l < LEVEL_MAX) {
      prev = cur;
      cur = (long long)t;
      continue;
    }
    level = int16_t(l);
    percent = float((long long)experience - cur) * 100.0f / (t - float(cur));
    return;
  }
}

uint64_t get_time_us() {
  struct timeval tv;
  gettimeofday(&tv, nullptr);
  return uint64_t(tv.tv_sec) * 1000000u + uint64_t(tv.tv_usec);
}

int get_ms_in_second() {
  struct timeval tv;
  gettimeofday(&tv, nullptr);
  return int(tv.tv_usec / 1000);
}

std::string get_date_string() {
  time_t now = time(nullptr);
  struct tm tmv;
  if (!localtime_r(&now, &tmv)) return std::string();
  char buf[32];
  size_t n = strftime(buf, sizeof buf, "%Y-%m-%d", &tmv);
  return std::string(buf, n);
}

bool file_exists(const std::string& path) {
  FILE* f = fopen(path.c_str(), "r");
  if (!f) return false;
  fclose(f);
  return true;
}

uint32_t crc32_bytes(const void* data, size_t len, uint32_t crc, bool finish) {
  const unsigned char* p = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < len; ++i) crc = (crc << 8) ^ CRC32_TABLE.v[((crc >> 24) ^ p[i]) & 0xFF];
  return finish ? ~crc : crc;
}

int file_crc32(const std::string& path) {
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return -1;
  uint32_t crc = 0xFFFFFFFFu;
  unsigned char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) crc = crc32_bytes(buf, n, crc, false);
  // A read error (a directory opens too) is a failure, not the CRC of a prefix.
  bool read_ok = !ferror(f);
  fclose(f);
  return read_ok ? int(~crc) : -1;
}

const char* make_path(const std::string& dir, const std::string& name) {
  static std::string path;
  path = dir + "/" + name;
  return path.c_str();
}
