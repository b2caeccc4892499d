// Stand-ins for input; see standins.h.

#include "app/standins.h"

#include "app/client_app.h"

// ---- Mode handlers of the frame loop -----------------------------------------

void ClientApp::do_non_normal_mode() { headless_play_key(last_ascii); }
void ClientApp::do_normal_mode() { headless_play_key(last_ascii); }
void ClientApp::do_queued_cast() {}
void ClientApp::do_use_again() {}
void bind_spell_to_key(ClientApp& app, bool f_key) {
  (void)app;
  (void)f_key;
  gc_interface_mode = 22;
}
