#pragma once
// The request lines the client sends to the server: one function per kind of
// line, each building its line here and sending it on the client connection
// (`tcpObj`). Lines that share a first letter but say different things are
// different functions. The callers make the decisions and the local checks;
// these only put the values into the line's format.

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app/login.h"
#include "core/item.h"

// ---- Login and session ---------------------------------------------------------

// "C ...": logs in (or creates) a character.
void send_login(const LoginRequest& r);
// The data file report ("Y ..."), built by the login from the files kept.
void send_data_file_report(const std::string& report);
// "q": the session ends.
void send_logout();
// "Z": a pushed data file arrived.
void send_data_file_received();
// "i": the inventory again, after a data reload or when the local one no
// longer matches the server's checksum.
void send_inventory_request();

// ---- Transfers and the inventory sync -----------------------------------------

// "*": the next chunk of the inventory or bank sync.
void send_sync_more();
// "**": the sync is complete.
void send_sync_done();
// "^ i": the inventory is synced before the first level was entered.
void send_inventory_synced();
// "^ f TEXT": the answer to the server's `L` line.
void send_forward(const std::string& text);
// "L LEVEL": the map file of a level whose checksum differs from the copy kept.
void send_map_request(int level);

// ---- Trade and container lists -------------------------------------------------

// "j ITEM QTY PARTNER PRICE BANK FLAG": an entry picked in a trade or container list.
void send_trade_item(const Item& item, long qty, int partner, int price, bool bank, bool flag);
// "j 0 0 0 0 0 0": the end of the entries picked.
void send_trade_end();

// ---- Status and facing ---------------------------------------------------------

// "x STR DEX INT 0 GOLD VIS LEVEL": the status line sent every 10 s.
void send_stats(int str, int dex, int intel, int gold, int vis, int level);
// "r DIR": the player turned.
void send_turn(int dir);

// ---- Hotkey slots -----------------------------------------------------------------

// "n i SLOT ITEM": the slot holds this item ("0" for none: Item(0L)).
void send_slot_item(int slot, const Item& item);
// "n s SLOT ID" (hexadecimal), "n s SLOT -1" for none (a negative id).
void send_slot_spell(int slot, int spell);

// ---- Periodic lines ----------------------------------------------------------------

// "| PARTNER": the trade with this partner is still open.
void send_trade_keepalive(int partner);
// "+": the client is alive.
void send_keepalive();
// "^ f -1": too many level-sync errors; the server resets the level.
void send_level_reset();

// ---- Normal keys -----------------------------------------------------------------------

// "b CARRIED BANKED": the Buy key, with the inventory's and the bank's checksums.
void send_buy_request(unsigned long carried_sum, unsigned long banked_sum);
// "B CARRIED BANKED": SHIFT and the Buy key, with the same checksums.
void send_shift_buy_request(unsigned long carried_sum, unsigned long banked_sum);
// "^ k LEVEL": SPACE on this map level.
void send_space_key(int level);
// "X KIND X Y": leaves a polymorph (kind 9) or a mount or ship (0) onto the cell.
void send_exit_mount(int kind, int x, int y);
// "^ d": F1 with ALT or CTRL while dead.
void send_dead_key();
// "G": the Get key that asks for no direction.
void send_get_here();
// "I 1" hides, "I 0" stops hiding.
void send_hide(bool hide);
// "z FLAG": the Ignite key (1, 0 with SHIFT).
void send_ignite(int flag);
// "e": meditates.
void send_meditate();

// ---- Movement and the mouse ------------------------------------------------------

// "m TX TY LEVEL X Y TOKEN": a step from (X, Y) to the target cell.
void send_move(int tx, int ty, int level, int x, int y, int token);
// "m X Y LEVEL X Y": the player's cell again, when it is too far from the
// one the server last confirmed.
void send_move_resync(int x, int y, int level);
// "$ X Y LEVEL SHIFT CTRL ALT": the right-click context request for a cell.
void send_context(int x, int y, int level, bool shift, bool ctrl, bool alt);
// "a n X Y LEVEL ID SINCE 0 WEAPON": a melee attack on a cell.
void send_melee(int x, int y, int level, int id, double since_move_ms, const Item& weapon);

// ---- Modal input -----------------------------------------------------------------------

// "S X Y OPEN": searches (or opens, 1) a cell.
void send_search(int x, int y, bool open);
// "f DX DY": the ship's cannons fire toward the offset.
void send_fire(int dx, int dy);
// The "J\tLIST\tITEM@STEPS:..." lines of a rearranged inventory (0) or bank
// (1) view, one line per REARRANGE_LINE_MAX characters of moves.
constexpr size_t REARRANGE_LINE_MAX = 900;
void send_rearrangement(int list_id, const std::vector<std::pair<Item, int>>& moves);
// "ci BASE COUNT MATERIAL": the material chosen for a craft.
void send_craft_material(const Item& base, int count, const Item& material);
// "h PARTNER CONTAINER ARG ITEM": the entry chosen from a pile list.
void send_pile_pick(int partner, int container, int arg, const Item& item);
// "T /sp ITEM PRICE": a price set on a stall's item.
void send_price(const Item& item, int price);
// "T TEXT": a chat line.
void send_chat_text(const std::string& text);
// "T\x1fPARTNER\x1fTEXT": a line said to the NPC being talked to.
void send_talk(int partner, const std::string& text);
// "H S1 S2 S3 S0": the level-up points given to stats 1, 2, 3 and then 0.
void send_level_up(const int32_t (&counts)[4]);

// ---- Player actions ----------------------------------------------------------------------

// "g X Y LEVEL ALL": takes from a cell (1 all, 0 one).
void send_get(int x, int y, int level, int all);
// The text of one drop, "d X Y ITEM COUNT".
std::string drop_line(int x, int y, const Item& item, long count);
// One drop line, or several joined by ':', in one message.
void send_drops(const std::string& lines);
// "U ITEM X Y LEVEL AWAY": uses an item on a cell (AWAY 0 on the player's own).
void send_use(const Item& item, int x, int y, int level, int away);
// "s X Y KIND": opens, searches or activates a cell.
void send_open(int x, int y, int kind);
// "t X Y CARRIED BANKED": starts talking to whoever is on the cell.
void send_talk_to(int x, int y, unsigned long carried_sum, unsigned long banked_sum);
// The arms line, built by the player from what is readied.
void send_arms(const std::string& arms);
// "cm ITEM COUNT BASE": crafts an item.
void send_craft(const Item& item, int count, const Item& base);
// "a r X Y LEVEL TARGET SINCE FLAG WEAPON AMMO": a ranged attack.
void send_ranged(int x, int y, int level, int target, double since_ms, int flag, const Item& weapon,
                 const Item& ammo);
// "M ID OK": a spell cast with no cell (OK 1); OK 0 for a failed cast, with
// ID -1 for one short of mana.
void send_cast(int spell, int ok);
// "M ID 1 X Y TARGET SINCE": a spell cast at a cell.
void send_cast_at_cell(int spell, int x, int y, int target, double since_ms);
