// The request lines: each line's format, in one place.

#include "app/requests.h"

#include "core/string_utils.h"
#include "net/socket.h"

namespace {
// Between the NPC and the text of a talk line.
constexpr char TALK_SEPARATOR = 0x1f;
}  // namespace

// ---- Login and session ---------------------------------------------------------

void send_login(const LoginRequest& r) {
  tcpObj.sckSend("C %x %s %s %s %s %s %s x x x %d %x %d %c %lx %d %d %d", r.program_crc,
                 r.account.c_str(), r.password.c_str(), r.name.c_str(), r.dm_password.c_str(),
                 r.program.c_str(), r.platform.c_str(), r.create, r.avatar, r.cls, r.gender, 0ul, 0,
                 r.hide_dm, r.race);
}

void send_data_file_report(const std::string& report) { tcpObj.sckSend(report); }

void send_logout() { tcpObj.sckSend("q"); }

void send_data_file_received() { tcpObj.sckSend("Z"); }

void send_inventory_request() { tcpObj.sckSend("i"); }

// ---- Transfers and the inventory sync -----------------------------------------

void send_sync_more() { tcpObj.sckSend("*"); }

void send_sync_done() { tcpObj.sckSend("**"); }

void send_inventory_synced() { tcpObj.sckSend("^ i"); }

void send_forward(const std::string& text) { tcpObj.sckSend("^ f %s", text.c_str()); }

void send_map_request(int level) { tcpObj.sckSend("L %d", level); }

// ---- Trade and container lists -------------------------------------------------

void send_trade_item(const Item& item, long qty, int partner, int price, bool bank, bool flag) {
  tcpObj.sckSend("j %s %ld %d %d %d %d", item.str(false).c_str(), qty, partner, price, bank ? 1 : 0,
                 flag ? 1 : 0);
}

void send_trade_end() { tcpObj.sckSend("j 0 0 0 0 0 0"); }

// ---- Status and facing ---------------------------------------------------------

void send_stats(int str, int dex, int intel, int gold, int vis, int level) {
  tcpObj.sckSend("x %d %d %d %d %d %d %d", str, dex, intel, 0, gold, vis, level);
}

void send_turn(int dir) { tcpObj.sckSend("r %hd", static_cast<short>(dir)); }

// ---- Hotkey slots -----------------------------------------------------------------

void send_slot_item(int slot, const Item& item) {
  tcpObj.sckSend("n i %d %s", slot, item.str(false).c_str());
}

void send_slot_spell(int slot, int spell) {
  if (spell < 0)
    tcpObj.sckSend("n s %d -1", slot);
  else
    tcpObj.sckSend("n s %d %x", slot, static_cast<unsigned>(spell));
}

// ---- Periodic lines ----------------------------------------------------------------

void send_trade_keepalive(int partner) { tcpObj.sckSend("| %d", partner); }

void send_keepalive() { tcpObj.sckSend("+"); }

void send_level_reset() { tcpObj.sckSend("^ f -1"); }

// ---- Normal keys -----------------------------------------------------------------------

void send_buy_request(unsigned long carried_sum, unsigned long banked_sum) {
  tcpObj.sckSend("b %lu %lu", carried_sum, banked_sum);
}

void send_shift_buy_request(unsigned long carried_sum, unsigned long banked_sum) {
  tcpObj.sckSend("B %lu %lu", carried_sum, banked_sum);
}

void send_space_key(int level) { tcpObj.sckSend("^ k %d", level); }

void send_exit_mount(int kind, int x, int y) { tcpObj.sckSend("X %d %d %d", kind, x, y); }

void send_dead_key() { tcpObj.sckSend("^ d"); }

void send_get_here() { tcpObj.sckSend("G"); }

void send_hide(bool hide) { tcpObj.sckSend("I %d", hide ? 1 : 0); }

void send_ignite(int flag) { tcpObj.sckSend("z %d", flag); }

void send_meditate() { tcpObj.sckSend("e"); }

// ---- Movement and the mouse ------------------------------------------------------

void send_move(int tx, int ty, int level, int x, int y, int token) {
  tcpObj.sckSend("m %d %d %d %d %d %d", tx, ty, level, x, y, token);
}

void send_move_resync(int x, int y, int level) {
  tcpObj.sckSend("m %d %d %d %d %d", x, y, level, x, y);
}

void send_context(int x, int y, int level, bool shift, bool ctrl, bool alt) {
  tcpObj.sckSend("$ %d %d %d %d %d %d", x, y, level, shift ? 1 : 0, ctrl ? 1 : 0, alt ? 1 : 0);
}

void send_melee(int x, int y, int level, int id, double since_move_ms, const Item& weapon) {
  tcpObj.sckSend("a n %d %d %d %d %.0f %d %s", x, y, level, id, since_move_ms, 0,
                 weapon.str().c_str());
}

// ---- Modal input -----------------------------------------------------------------------

void send_search(int x, int y, bool open) { tcpObj.sckSend("S %d %d %d", x, y, open ? 1 : 0); }

void send_fire(int dx, int dy) { tcpObj.sckSend("f %d %d", dx, dy); }

void send_rearrangement(int list_id, const std::vector<std::pair<Item, int>>& moves) {
  const std::string head = format_str("J\t%d\t", list_id);
  std::string line = head;
  for (const auto& m : moves) {
    line += format_str("%s@%d:", m.first.str(false).c_str(), m.second);
    if (line.size() > REARRANGE_LINE_MAX) {
      tcpObj.sckSend(line);
      line = head;
    }
  }
  if (line != head) tcpObj.sckSend(line);
}

void send_craft_material(const Item& base, int count, const Item& material) {
  tcpObj.sckSend("ci %s %d %s", base.str(false).c_str(), count, material.str(false).c_str());
}

void send_pile_pick(int partner, int container, int arg, const Item& item) {
  tcpObj.sckSend("h %d %d %d %s", partner, container, arg, item.str(false).c_str());
}

void send_price(const Item& item, int price) {
  tcpObj.sckSend("T /sp %s %d", item.str(false).c_str(), price);
}

void send_chat_text(const std::string& text) { tcpObj.sckSend("T %s", text.c_str()); }

void send_talk(int partner, const std::string& text) {
  tcpObj.sckSend("T%c%d%c%s", TALK_SEPARATOR, partner, TALK_SEPARATOR, text.c_str());
}

void send_level_up(const int32_t (&counts)[4]) {
  tcpObj.sckSend("H %d %d %d %d", counts[1], counts[2], counts[3], counts[0]);
}

// ---- Player actions ----------------------------------------------------------------------

void send_get(int x, int y, int level, int all) { tcpObj.sckSend("g %d %d %d %d", x, y, level, all); }

std::string drop_line(int x, int y, const Item& item, long count) {
  return format_str("d %d %d %s %ld", x, y, item.str().c_str(), count);
}

void send_drops(const std::string& lines) { tcpObj.sckSend(lines); }

void send_use(const Item& item, int x, int y, int level, int away) {
  tcpObj.sckSend("U %s %d %d %d %d", item.str().c_str(), x, y, level, away);
}

void send_open(int x, int y, int kind) { tcpObj.sckSend("s %d %d %d", x, y, kind); }

void send_talk_to(int x, int y, unsigned long carried_sum, unsigned long banked_sum) {
  tcpObj.sckSend("t %d %d %lu %lu", x, y, carried_sum, banked_sum);
}

void send_arms(const std::string& arms) { tcpObj.sckSend(arms); }

void send_craft(const Item& item, int count, const Item& base) {
  tcpObj.sckSend("cm %s %d %s", item.str().c_str(), count, base.str().c_str());
}

void send_ranged(int x, int y, int level, int target, double since_ms, int flag, const Item& weapon,
                 const Item& ammo) {
  tcpObj.sckSend("a r %d %d %d %d %.0f %d %s %s", x, y, level, target, since_ms, flag,
                 weapon.str().c_str(), ammo.str().c_str());
}

void send_cast(int spell, int ok) { tcpObj.sckSend("M %d %d", spell, ok); }

void send_cast_at_cell(int spell, int x, int y, int target, double since_ms) {
  tcpObj.sckSend("M %d %d %d %d %d %.0f", spell, 1, x, y, target, since_ms);
}
