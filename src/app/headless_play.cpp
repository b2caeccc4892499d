// Keys of the headless client, until the input subsystem lands: enough play
// for the end-to-end tests. In a trade list 'y' takes its first entry; in
// another list, prompt or talk 'y' or ESC closes it. In normal play 'a'
// attacks the nearest creature the server shows and 'w' readies the first
// weapon of the pack.

#include <climits>
#include <cstdlib>

#include "app/client_app.h"
#include "app/globals.h"
#include "app/play_messages.h"
#include "app/server_handlers.h"
#include "app/standins.h"

namespace {

void take_first_entry() {
  const ItemListEl* e = temp_list.first;
  if (e != nullptr) {
    drop_list.add(e->item, e->qty > 0 ? e->qty : 1, e->price, true);
    send_trade_list(app.list_partner, app.list_flag, app.list_kind == 'B');
  }
  gc_interface_mode = MODE_NORMAL;
}

void attack_nearest() {
  const ItemListEl* best = nullptr;
  int best_dist = INT_MAX;
  for (const ItemListEl* e = server_objects.first; e != nullptr; e = e->next) {
    if (e->id < SRV_PLAYER_ID_LIMIT || e->align == 'n') continue;
    int dist = std::abs(e->x - me.x) + std::abs(e->y - me.y);
    if (dist < best_dist) {
      best = e;
      best_dist = dist;
    }
  }
  if (best == nullptr) return;
  tcpObj.sckSend("a n %d %d %d %d %.0f %d %s", best->x, best->y, static_cast<int>(me.map_level),
                 best->id, 0.0, 0, me.weapon.str(false).c_str());
}

void ready_first_weapon() {
  for (const ItemListEl* e = items.first; e != nullptr; e = e->next) {
    if (e->item.is_banked() || wl.get_type(e->item) != ITEM_WEAPON) continue;
    toggle_ready_item(e->item);
    tcpObj.sckSend(me.mk_arms_msg());
    return;
  }
}

}  // namespace

void headless_play_key(int key) {
  const int c = key & 0xff;
  if (gc_interface_mode == MODE_BUY_LIST || gc_interface_mode == MODE_SELL_LIST) {
    if (c == 'y') take_first_entry();
    if (c == ASCII_ESC) gc_interface_mode = MODE_NORMAL;
    return;
  }
  if (gc_interface_mode != MODE_NORMAL) {
    if (c == 'y' || c == ASCII_ESC) {
      gc_interface_mode = MODE_NORMAL;
      d.hide_input_line();
    }
    return;
  }
  if (c == 'a') attack_nearest();
  if (c == 'w') ready_first_weapon();
}
