#include "input/menu_modes.h"

#include <allegro.h>

#include "app/client_app.h"

// Until the menu pages are drawn these modes show nothing; ESC leaves them.

bool is_menu_mode(int mode) {
  return mode == 31 || mode == 32 || mode == 33 || (mode >= 35 && mode <= 39) || mode == 42 ||
         mode == 43;
}

void do_menu_mode(ClientApp& app, int mode) {
  if (!is_menu_mode(mode)) return;
  if (app.last_scancode == KEY_ESC) gc_interface_mode = 0;
}
