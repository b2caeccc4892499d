#pragma once
// The player status lines: a column of short white lines at the top left of
// the play area (facing, experience, hunger, repeat modes, status effects and
// buffs with their counts) and the queued spell.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/item_data.h"

struct BITMAP;
struct FONT;
class Buffs;
class Player;

// The label of a facing 0..8 ("" for 0 and for anything out of range).
std::string facing_label(int facing);
// The label of status counter n; "" for counters never shown and out of range.
std::string status_label(int n);

// What the lines are made from.
struct StatusFacts {
  int facing = 0;
  bool player_levels = false;  // experience is shown
  int64_t xp = 0;
  bool level_up = false;
  int food = 0;
  bool repeat_use = false, repeat_make = false, repeat_cast = false;
  std::array<int, MAXHEALTHNUMS> counters{};
  // Buffs in ascending id order: name and remaining count.
  std::vector<std::pair<std::string, int>> buffs;
};

// Reads the local player's facing, experience, food, status counters and
// buffs; the session's facts (levels, level-up notice, repeat flags) are the
// caller's to add.
StatusFacts gather_status_facts(Player& p, const Buffs& buff_table);

// The lines, top first; line 0 is always there.
std::vector<std::string> status_lines(const StatusFacts& f);

// The queued-spell line, centred over the play area.
struct QueuedSpellLine {
  std::string text;
  int x = 0, y = 0;
};
QueuedSpellLine queued_spell_line(const std::string& full_spell_name, int screen_w, bool hotbar_top);

// Draws the lines at (0, 10 k) in white, and the queued spell (when
// `full_spell_name` is not empty) in yellow.
void draw_player_status(BITMAP* bmp, FONT* font, const StatusFacts& f, const std::string& full_spell_name,
                        int screen_w, bool hotbar_top);
