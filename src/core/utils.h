#pragma once
// Small helpers: randomness, grid geometry, the game clock, the experience
// curve, wall-clock time, files and the CRC-32 that identifies files.

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <type_traits>
#include <utility>

// Game clock in minutes since midnight of the game day (starts at 09:00).
extern int world_time;

// Directions on the grid (y grows downwards).
enum {
  DIR_NONE = 0, DIR_N = 1, DIR_NE = 2, DIR_E = 3, DIR_SE = 4,
  DIR_S = 5, DIR_SW = 6, DIR_W = 7, DIR_NW = 8
};

// A number that came from outside (a server line, a data or configuration
// file, a script) as the integer type Int: a float or double is truncated
// toward zero, and whatever Int cannot hold saturates at its lowest or
// highest value, so that no such number is an undefined conversion or
// wraps into another one. Not-a-number gives `if_nan`.
template <typename Int, typename Num>
Int bounded_int(Num v, Int if_nan = 0) {
  static_assert(std::is_integral_v<Int> && !std::is_same_v<Int, bool>);
  static_assert(std::is_arithmetic_v<Num> && sizeof(Num) <= sizeof(double));
  using Limits = std::numeric_limits<Int>;
  if constexpr (std::is_floating_point_v<Num>) {
    if (std::isnan(v)) return if_nan;
    // 2^digits, the first whole number past the top, is exact in a double;
    // so is the edge below: -2^digits for a signed type, -1 for an unsigned.
    constexpr double above = static_cast<double>(Limits::max() / 2 + 1) * 2.0;
    constexpr double below = Limits::is_signed ? -above : -1.0;
    const double d = static_cast<double>(v);
    if (d >= above) return Limits::max();
    if (d <= below) return Limits::min();
    return static_cast<Int>(d);
  } else {
    if (std::cmp_greater(v, Limits::max())) return Limits::max();
    if (std::cmp_less(v, Limits::min())) return Limits::min();
    return static_cast<Int>(v);
  }
}

int roll_dice(int n, int sides);
int rand_int(int n);
float rand_fraction();
unsigned random_id();

int sign(int v);
int xor_ints(int a, int b);
float absf(float v);
float round_tenths(float x);
float percent_of_fifteen(int v);
int swap_ints(int& a, int& b);
bool is_vowel(char c);
std::string get_mana_type_word(char c);
std::string get_hunger_string(int food);
std::string mask_password(const std::string& s);
std::string filter_name(const std::string& s);
bool pair_equal(int a1, int b1, int a2, int b2);

float get_distance(int x1, int y1, int x2, int y2);
int chebyshev_distance(int x1, int y1, int x2, int y2);
int get_direction(int x1, int y1, int x2, int y2);
void step_in_direction(int direction, int& x, int& y);
int angle_to_direction(float angle);

// The game clock counts the minutes of one day.
constexpr int GAME_DAY_MINUTES = 1440;
// Any count of minutes as a time of day, 0 .. GAME_DAY_MINUTES - 1.
int minute_of_day(int minutes);
int get_game_hour();
int get_game_minute();
bool game_hour_6_to_23();
bool game_clock_under_5();

// Level for an amount of experience and the percent towards the next one.
void get_level_from_exp(int experience, int16_t& level, float& percent);

uint64_t get_time_us();
int get_ms_in_second();
std::string get_date_string();
bool file_exists(const std::string& path);
// CRC-32/BZIP2 of a whole file; -1 when it cannot be opened.
int file_crc32(const std::string& path);
// CRC-32/BZIP2 of a buffer (the same sum as file_crc32).
uint32_t crc32_bytes(const void* data, size_t len, uint32_t crc = 0xFFFFFFFFu, bool finish = true);
const char* make_path(const std::string& dir, const std::string& name);
