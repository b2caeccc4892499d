#pragma once
// The modal input handler: every interaction mode but normal play reads the
// key of the pass here (prompts, lists, text entries, trading, drops,
// casting and level-up), and the small menus that open the use lists.
// ClientApp::do_non_normal_mode is the entry; the menu, help, book, map and
// binding modes are handed to do_menu_mode.

#include <cstdint>
#include <string>

#include "core/interaction_modes.h"
#include "core/item.h"
#include "core/list_kinds.h"

class ClientApp;
class ItemList;

// Use kinds of the use menus.
enum { USE_KIND_USE = 1, USE_KIND_EAT = 2, USE_KIND_DRINK = 3, USE_KIND_READ = 4 };

constexpr int CHAT_HISTORY_MAX = 50;
constexpr size_t TYPED_TEXT_MAX = 200;
// The longest count or price typed: nine digits always fit an int.
constexpr size_t TYPED_NUMBER_DIGITS = 9;
constexpr size_t SPELL_LETTERS_MAX = 10;
constexpr int CRAFT_DELAY_DEFAULT_MS = 2500;
constexpr uint64_t READY_TOGGLE_GAP_US = 300000;

// ---- List openers ----------------------------------------------------------------
void choose_item_menu(ClientApp& app, int filter, int use_kind, const char* title,
                      const char* empty_text, const char* prompt, const char* force_prompt);
void use_item_menu(ClientApp& app);
void eat_menu(ClientApp& app);
void drink_menu(ClientApp& app);
void read_menu(ClientApp& app);

// ---- Parsing of typed numbers --------------------------------------------------
// A typed count: -1 for an empty or unreadable text, else the digits' value
// saturated at INT32_MAX.
int64_t parse_count(const std::string& text);
// A typed price: false unless the text is an optional '-' and digits whose
// value fits an int.
bool parse_price(const std::string& text, int32_t& price);
// What a drop of `count` takes when `held` are carried: 0 or less means all;
// only a game master may take more than is held.
int64_t drop_quantity(int64_t count, int64_t held, bool dm);

// ---- Shared by the mode files ------------------------------------------------------
namespace modal {
// Closes the open list: the panel goes back to the stat page and the
// temporary list is emptied.
void close_list();
// Ends a direction prompt so that its key does not also move the player.
void end_direction_prompt(ClientApp& app);
// Reads the open list with the key of the pass; a click on an entry picks it.
Item read_list(ClientApp& app, int kind, bool switch_flag);
// A key that names a hotkey slot (not a keypad digit, not from a click).
bool is_slot_key(const ClientApp& app);
// Appends or removes one typed digit (and '-' first when allowed); true when
// the key was one of them.
bool edit_number(std::string& text, int ascii, int scancode, bool allow_minus);

void do_drop_modes(ClientApp& app, int mode);
void do_trade_mode(ClientApp& app, int mode);
void do_text_entry(ClientApp& app, int mode);
void do_spell_entry(ClientApp& app, int mode);
void do_ability_list(ClientApp& app);
void do_level_up(ClientApp& app);
}  // namespace modal
