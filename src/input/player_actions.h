#pragma once
// The player's requests to the server: getting, dropping, using, opening,
// talking, crafting, ranged attacks, casting and targeting, with the local
// checks and messages that come before each line.

#include <string>

#include "core/item.h"
#include "world/target.h"

class ClientApp;

// Casting and firing.
extern int spell_delay;   // ms until the next cast is allowed
extern int fire_delay;    // ms until the next ranged attack
extern int combat_cooloff;  // the player's combat cool-off after an attack

// The dice of the casting-failure check; rand_int unless a test replaces it.
extern int (*cast_roll)(int n);

// Results of cast_spell.
enum {
  CAST_SENT = 0,
  CAST_WAITING = -1,
  CAST_NO_SPELL = 1,
  CAST_NO_MANA = 2,
  CAST_LOW_SKILL = 4,
  CAST_FAILED = 5,
  CAST_UNKNOWN = 6,
  CAST_REFUSED = 8
};

// Items dropped at once: the batch text that sends each line on its own.
constexpr const char* DROP_NOW = "x";
constexpr int DROP_MAX_MARKED = 10;
constexpr int TARGET_TRACK_RANGE = 7;

// ---- Directions ----------------------------------------------------------------

// The direction key held now as a keypad digit (7 8 9 / 4 5 6 / 1 2 3); 5 none.
int get_keypad_dir();
// The cell next to the player in direction 1..8 (x wrapped on a wrapping
// map); the player's own cell and 0 for any other direction.
int dir_to_xy(int dir, int& x, int& y);
// The readkey code of the keypad key for a one-step offset; SPACE for (0, 0).
int dir_to_keypad_key(int dx, int dy);

// ---- Items on the map and in the inventory -----------------------------------

// How many of the eleven equipment slots (not ammunition or sigils) hold the item.
int count_equipped(const Item& item);
// 1 an object lies at the cell, 2 a permanent object, else 0.
int get_item(int x, int y);
void request_item(int x, int y, int all);
// 0 when a line was made (sent at once when `batch` is DROP_NOW, else appended).
int request_drop(const Item& item, long count, bool have, int x, int y, std::string& batch);
// Marks or unmarks the item under the list cursor for the multi-drop.
void drop_selected_items();
void mark_for_drop(const Item& item);
void use_item_at(const Item& item, int x, int y);
void use_item_here(const Item& item);
void request_open(int x, int y, int kind);
int talk(int x, int y);
void send_equipment();
void make_item(const Item& item);

// ---- Combat and casting ------------------------------------------------------------

int ranged_attack(ClientApp& app, int flag);
int cast_spell(ClientApp& app, const std::string& name, bool ask_direction);
int send_cast_at(ClientApp& app, int x, int y, int target);
void cast_spell_at(ClientApp& app, const std::string& name, int x, int y);

// ---- Targeting ---------------------------------------------------------------------

void get_new_target();
void set_target(int id);
void next_target();
void prev_target();
void confirm_target();

// ---- Other ---------------------------------------------------------------------------

void view_map();
// Replaces the process with the updater; returns only when that failed.
void run_patcher(ClientApp& app);
