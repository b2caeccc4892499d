#pragma once
// The operations behind the trade, effect, whisper, command, combat and
// equipment messages, shared with the input code and the tests.

#include <cstdint>
#include <deque>
#include <string>

#include "core/item.h"

// ---- Trade, container, crafting and talk ---------------------------------------

// Sends the items picked in `drop_list` ("j" lines, then the closing line)
// and empties it.
void send_trade_list(int partner, int flag, bool bank);
// 'u': stock entries into `temp_list`.
void process_u(const std::string& line);
// Ends a talk (the 'V' message, also a level change while talking).
void end_talk();

// ---- Map effects and tracked creatures ---------------------------------------------

void process_effect(const std::string& line);
// The effect line "E owner x y kind argument x2 y2 level".
std::string format_effect_line(int owner, int x, int y, int kind, int arg, int x2, int y2,
                               int level);
void make_effect_msg(int kind);
void make_effect_at(int x, int y, int flags, int argument);
void process_effect_end(const std::string& line);
void process_j(const std::string& line);
void process_tracked(const std::string& line);

// ---- Whispers and client commands --------------------------------------------------

// Shows and logs a whisper ("name message"); the sender's name.
std::string split_whisper(const std::string& text);
// Runs one '#' command line.
void do_command(const std::string& line);

// ---- Attack and damage reports, direction keys ---------------------------------------

// The direction 0..8 of a key (scancode << 8 | character; -1 for the held
// movement keys, given as the keypad digit `default_digit`), and the cell
// in that direction.
int get_dir_from_key(int key, int& x, int& y, int default_digit);
// 1 when the attack report was used.
int process_attack(const std::string& line);
// The damage taken; 0 for a line with fewer than 4 fields.
int make_and_display_dmg_msg(const std::string& line);

// The damage history of the stats panel.
struct DamageHistory {
  std::deque<int32_t> damage;   // the last 10 damage values of attack reports
  std::deque<int32_t> gaps_ms;  // milliseconds between consecutive reports
  int64_t dealt = 0;
  int64_t taken = 0;
  uint64_t last_report_us = 0;  // 0 before the first report
};
extern DamageHistory damage_history;
// The clock of the damage history (microseconds); replaceable for tests.
extern uint64_t (*combat_clock_us)();
constexpr size_t DAMAGE_HISTORY_KEPT = 10;

// The short lunge of the player's figure toward a target: a counter and
// the draw offset of one cell step.
extern int lunge_counter;
extern int16_t lunge_dx, lunge_dy;
constexpr int LUNGE_FRAMES = 10;
// A new session's combat figures: no damage history, no lunge under way.
void reset_combat_reports();

// A flag of the player record that the rules read: it bans two-handed melee
// weapons.
extern bool no_two_handed_melee;

// ---- Identify, uncurse and readying ---------------------------------------------------

void process_identify(const std::string& line);
void toggle_ready_item(const Item& item);
