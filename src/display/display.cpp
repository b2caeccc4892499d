// The display object and the graphics start-up: library, colour depth,
// offered modes, graphics mode with its fallback, pictures, pointer sprites,
// palette, fonts and the hotbar buttons.

#include "display/display.h"

#include <allegro.h>
#include <loadpng.h>
#include <signal.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "app/client_app.h"
#include "core/config_file.h"
#include "core/log.h"
#include "core/string_utils.h"
#include "core/tiles.h"
#include "display/cards.h"
#include "display/font_file.h"
#include "display/smooth_scaler.h"
#include "world/cmap.h"

namespace {

// allegro_init puts the library's own handler on SIGINT and SIGTERM, which
// tears the library down under the start-up still using it and crashes.
// Until the client's handler is installed, the signals that quit keep what
// they had before (they simply end the program): they are held back while
// the library starts, their handlers put back, and one that came meanwhile
// is then delivered. The library's threads, started in here, block every
// signal themselves.
int init_library_keeping_quit_signals() {
  sigset_t held, mask_before;
  sigemptyset(&held);
  for (int sig : QUIT_SIGNALS) sigaddset(&held, sig);
  pthread_sigmask(SIG_BLOCK, &held, &mask_before);
  struct sigaction before[std::size(QUIT_SIGNALS)] = {};
  for (size_t i = 0; i < std::size(QUIT_SIGNALS); ++i) sigaction(QUIT_SIGNALS[i], nullptr, &before[i]);
  const int rc = allegro_init();
  for (size_t i = 0; i < std::size(QUIT_SIGNALS); ++i) sigaction(QUIT_SIGNALS[i], &before[i], nullptr);
  pthread_sigmask(SIG_SETMASK, &mask_before, nullptr);
  return rc;
}

}  // namespace

std::function<int(int, int, int)> gfx_mode_setter = [](int card, int w, int h) {
  return set_gfx_mode(card, w, h, 0, 0);
};

namespace {
constexpr int CURSOR_SIZE = 32;
constexpr int MOVE_CURSOR_ROW = 128;
constexpr int ATTACK_CURSOR_ROW = 206;
constexpr int CURSOR_SPECIAL_X = 64, CURSOR_DEFAULT_X = 128, CURSOR_OTHER_X = 160;
constexpr int CURSOR_SINGLES_ROW = 160;
constexpr int HOTBAR_START_Y = 100;
constexpr int DEFAULT_BOX_R = 38, DEFAULT_BOX_G = 38, DEFAULT_BOX_B = 102;
constexpr int DEFAULT_DESKTOP_W = 1024, DEFAULT_DESKTOP_H = 768;

// The palette in its fixed order; the two "dat/common.cfg" colours are
// filled in afterwards.
constexpr int PALETTE_RGB[PALETTE_SIZE][3] = {
    {255, 0, 255},   {0, 0, 0},       {255, 255, 255}, {0, 0, 254},     {254, 0, 0},
    {0, 255, 0},     {188, 0, 10},    {10, 0, 189},    {153, 204, 255}, {255, 255, 153},
    {229, 101, 59},  {51, 153, 255},  {255, 153, 51},  {153, 153, 153}, {102, 255, 102},
    {221, 221, 221}, {28, 187, 180},  {204, 153, 255}, {51, 153, 0},    {255, 222, 0},
    {0, 0, 0},       {0, 0, 0},       {141, 240, 0},   {172, 66, 254},  {51, 51, 51},
    {55, 110, 19},   {102, 0, 153},   {209, 185, 255}, {170, 170, 255}, {204, 255, 0},
    {192, 66, 254},  {200, 164, 109}};

// "c1"/"c2": six hexadecimal digits, red, green, blue; missing parts stay 0.
int config_colour(const std::string& text) {
  int rgb[3] = {0, 0, 0};
  for (int i = 0; i < 3 && text.size() >= static_cast<size_t>(2 * i + 2); ++i) {
    char part[3] = {text[2 * i], text[2 * i + 1], 0};
    char* end = nullptr;
    long v = std::strtol(part, &end, 16);
    if (end == part) break;
    rgb[i] = static_cast<int>(v);
    if (*end) break;
  }
  return makecol(rgb[0], rgb[1], rgb[2]);
}

// A 32 by 32 copy of one cut of `special`; cells beyond its edges stay masked.
BITMAP* cut_cursor(BITMAP* special, int x, int y) {
  BITMAP* b = create_bitmap(CURSOR_SIZE, CURSOR_SIZE);
  if (!b) return nullptr;
  clear_to_color(b, bitmap_mask_color(b));
  blit(special, b, x, y, 0, 0, CURSOR_SIZE, CURSOR_SIZE);
  return b;
}

struct FontSource {
  const char* path;
  const char* name;
};
constexpr FontSource FONT_SOURCES[QYXDisplay::FONT_FILES] = {{"pics/font.dat", "font"},
                                                             {"pics/names.dat", "names"},
                                                             {"pics/menu.dat", "menu"},
                                                             {"pics/runes.dat", "runes"},
                                                             {"pics/book.dat", "book"}};

// The font object of a datafile whose contents were checked first; null when
// the file is missing or damaged.
DATAFILE* load_checked_font(const FontSource& source, FontFileState& state) {
  state = check_font_datafile(source.path, source.name);
  if (state != FONT_FILE_OK) return nullptr;
  DATAFILE* obj = load_datafile_object(source.path, source.name);
  if (obj && (obj->type != DAT_FONT || !obj->dat)) {
    unload_datafile_object(obj);
    obj = nullptr;
  }
  if (!obj) state = FONT_FILE_DAMAGED;
  return obj;
}
}  // namespace

bool shaded_lighting_depth(int desktop_depth) {
  return desktop_depth == 16 || desktop_depth == 32;
}

bool dialogs_allowed() {
  const char* display = std::getenv("DISPLAY");
  const char* no_dialogs = std::getenv("ZIB_NO_DIALOGS");
  return d.allegro_up && display && *display && !(no_dialogs && *no_dialogs);
}

void show_alert(const std::string& text) {
  writelog("alert: %s\n", text.c_str());
  if (dialogs_allowed()) allegro_message("%s", text.c_str());
}

void set_close_button(void (*callback)()) {
  if (d.allegro_up) set_close_button_callback(callback);
}

const char* graphics_version() { return ALLEGRO_VERSION_STR; }

QYXDisplay::QYXDisplay() = default;

QYXDisplay::~QYXDisplay() {
  // Bitmaps outlive nothing once the library has gone (its exit handler may
  // already have run); before that they are ours to free.
  if (system_driver != nullptr) {
    if (allegro_up) {
      // The mouse may be drawing one of the cursors freed below.
      show_mouse(nullptr);
      set_mouse_sprite(nullptr);
    }
    free_sheets();
    free_fonts();
    free_card_pictures(card_pictures);
    BITMAP** owned[] = {&work_bitmap,  &minimap_bitmap, &panel_bitmap,  &input_bitmap,
                        &play_bitmap,  &cursor_blue,    &cursor_yellow, &cursor_white,
                        &skin,         &help_pic,       &book_pic,      &tile_scratch,
                        &cursor_special, &cursor_default, &cursor_other, &back_buffer,
                        &special,      &map_layer,      &sprite_scratch, &sprite_scratch_big,
                        &cell_scratch};
    for (BITMAP** b : owned) {
      if (*b) destroy_bitmap(*b);
      *b = nullptr;
    }
    for (int i = 0; i < MOVE_CURSORS; ++i) {
      if (move_cursors[i]) destroy_bitmap(move_cursors[i]);
      if (attack_cursors[i]) destroy_bitmap(attack_cursors[i]);
      move_cursors[i] = attack_cursors[i] = nullptr;
    }
    mouse_sprite = nullptr;
  }
  if (allegro_up) {
    remove_keyboard();
    allegro_exit();
  }
}

int QYXDisplay::init(bool fullscreen_mode) {
  FunctionTrace trace("Display init");
  trace.printf("allegro init");
  if (init_library_keeping_quit_signals() != 0) {
    writelog("allegro failed to init!\n");
    return 1;
  }
  allegro_up = true;
  // Sample pictures carry no gamma; the mask colour must stay exact.
  _png_screen_gamma = 0.0;

  int desktop_depth = desktop_color_depth();
  int wanted_depth = client_cfg.get_int("color_depth");
  // Drawing needs true colour; any other value would fail every mode.
  if (wanted_depth != 0 && wanted_depth != 15 && wanted_depth != 16 && wanted_depth != 24 &&
      wanted_depth != 32) {
    writelog("display: color_depth %d is not 15, 16, 24 or 32; using the desktop's\n",
             wanted_depth);
    wanted_depth = 0;
  }
  if (wanted_depth == 0) {
    if (desktop_depth != 0) {
      trace.printf("setting color depth to %d", desktop_depth);
      set_color_depth(desktop_depth);
    }
  } else {
    set_color_depth(wanted_depth);
  }

  install_keyboard();
  trace.printf("installing timer");
  install_timer();

  gfx_card = fullscreen_mode ? GFX_AUTODETECT_FULLSCREEN : GFX_AUTODETECT_WINDOWED;
  fullscreen = fullscreen_mode;
  read_layout_options();

  modes.clear();
  for (int i = 0; i < RESOLUTION_COUNT; ++i) modes.push_back(i);
  int dw = 0, dh = 0;
  if (get_desktop_resolution(&dw, &dh) != 0) {
    dw = DEFAULT_DESKTOP_W;
    dh = DEFAULT_DESKTOP_H;
  }
  modes = offered_modes(dw, dh);

  clamp_resolution(res_x, res_y);
  trace.printf("setting gfx mode");
  if (reset_switch_mode() != 0) {
    trace.printf("preferred gfx mode set failed");
    show_alert(format_str("Error setting graphics mode.\nTry changing desktop resolution and/or "
                          "color depth.\nError:%s\nWill now try a safer mode.",
                          allegro_error));
    if (gfx_mode_setter(GFX_AUTODETECT_WINDOWED, MIN_RES_X, MIN_RES_Y) != 0) {
      trace.printf("safe gfx mode set failed - bailing out");
      show_alert(format_str("Error:%s\nThat didn't work either - bailing out.", allegro_error));
      remove_keyboard();
      allegro_exit();
      allegro_up = false;
      return 1;
    }
    safe_mode = 1;
    gfx_card = GFX_AUTODETECT_WINDOWED;
    fullscreen = false;
    trace.printf("safer mode set ok");
    res_x = MIN_RES_X;
    res_y = MIN_RES_Y;
    client_cfg.set_int("res_x", res_x);
    client_cfg.set_int("res_y", res_y);
    save_settings(client_cfg);
  }

  // The scaler's masks must match the pixels it will blend: those of the
  // mode now set, not of the desktop.
  init_scaler(bitmap_color_depth(screen));

  if (!old_lighting && !shaded_lighting_depth(desktop_depth))
    show_alert("Warning: QYX needs the desktop colour depth set to either 16 or 32bpp in order "
               "for shaded lighting to work.");

  panel_bitmap = create_bitmap(PANEL_WIDTH, PANEL_HEIGHT);
  minimap_bitmap = create_bitmap(CMAP_MAX_SIZE, CMAP_MAX_SIZE);
  if (!panel_bitmap || !minimap_bitmap) {
    writelog("display: out of memory for the panel bitmaps\n");
    return 1;
  }
  clear_bitmap(panel_bitmap);
  clear_bitmap(minimap_bitmap);
  input_shown = 0;

  if (load_tiles() != 0) {
    trace.printf("missing tile files!");
    return 2;
  }
  int rc = load_pictures();
  if (rc != 0) {
    remove_keyboard();
    allegro_exit();
    allegro_up = false;
    return rc;
  }
  if (load_fonts() != 0) {
    remove_keyboard();
    allegro_exit();
    allegro_up = false;
    return 1;
  }
  compute_layout();
  msg_palette = make_msg_palette([](int r, int g, int b) { return makecol(r, g, b); });
  install_intro_hooks();
  allegro_404_char = 0;
  return 0;
}

int QYXDisplay::load_pictures() {
  special = load_png("pics/special.png", nullptr);
  if (!special) {
    show_alert("Picture file pics/special.png is missing! Check for special.png in pics dir.");
    return 1;
  }
  help_pic = load_png("pics/help.png", nullptr);
  book_pic = load_png("pics/book.png", nullptr);

  for (int i = 0; i < MOVE_CURSORS; ++i) {
    move_cursors[i] = cut_cursor(special, CURSOR_SIZE * i, MOVE_CURSOR_ROW);
    attack_cursors[i] = cut_cursor(special, CURSOR_SIZE * i, ATTACK_CURSOR_ROW);
  }
  cursor_special = cut_cursor(special, CURSOR_SPECIAL_X, CURSOR_SINGLES_ROW);
  cursor_default = cut_cursor(special, CURSOR_DEFAULT_X, CURSOR_SINGLES_ROW);
  cursor_other = cut_cursor(special, CURSOR_OTHER_X, CURSOR_SINGLES_ROW);

  fill_palette();

  int mx = mouse_x, my = mouse_y;
  install_mouse();
  if (client_cfg.has_key("hardware_mouse") && client_cfg.get_int("hardware_mouse") == 0)
    disable_hardware_cursor();
  else
    enable_hardware_cursor();
  show_mouse(screen);
  mouse_sprite = cursor_default;
  position_mouse(mx, my);

  make_hotbar();

  skin = load_png("pics/bg_t2.png", nullptr);
  if (!skin) {
    show_alert("Default skin files are missing! Check for bg_t2.png in pics dir.");
    return 1;
  }
  return 0;
}

int QYXDisplay::load_fonts() {
  free_fonts();
  if (!library_font) library_font = font;
  FONT* loaded[FONT_FILES] = {};
  for (int i = 0; i < FONT_FILES; ++i) {
    FontFileState state = FONT_FILE_MISSING;
    font_datafiles[i] = load_checked_font(FONT_SOURCES[i], state);
    if (font_datafiles[i]) {
      loaded[i] = static_cast<FONT*>(font_datafiles[i]->dat);
    } else if (state == FONT_FILE_DAMAGED) {
      // Without its main font the game cannot be read; the others fall back
      // to it as missing ones do.
      if (i == 0) {
        show_alert(format_str("Font file %s is damaged! Replace font.dat in pics dir, or remove "
                              "it to use the built-in font.",
                              FONT_SOURCES[i].path));
        return 1;
      }
      writelog("display: font file %s is damaged; the main font is used instead\n",
               FONT_SOURCES[i].path);
    }
  }
  main_font = loaded[0] ? loaded[0] : library_font;
  names_font = loaded[1] ? loaded[1] : main_font;
  menu_font = loaded[2] ? loaded[2] : main_font;
  rune_font = loaded[3] ? loaded[3] : main_font;
  book_font = loaded[4] ? loaded[4] : main_font;
  font = main_font;
  return 0;
}

void QYXDisplay::free_fonts() {
  if (library_font) font = library_font;
  for (DATAFILE*& f : font_datafiles) {
    if (f) unload_datafile_object(f);
    f = nullptr;
  }
  main_font = names_font = menu_font = rune_font = book_font = msg_font = library_font;
}

void QYXDisplay::fill_palette() {
  for (int i = 0; i < PALETTE_SIZE; ++i)
    palette[i] = makecol(PALETTE_RGB[i][0], PALETTE_RGB[i][1], PALETTE_RGB[i][2]);
  load_box_colour();
  palette[COL_C1] = config_colour(common_cfg.get("c1"));
  palette[COL_C2] = config_colour(common_cfg.get("c2"));
}

void QYXDisplay::make_hotbar() {
  hotbar.assign(HOTBAR_BUTTONS, Button());
  for (int k = 1; k <= HOTBAR_BUTTONS; ++k) {
    Button& b = hotbar[k - 1];
    b.x = HOTBAR_STEP * (k - 1);
    b.y = HOTBAR_START_Y;
    b.w = b.h = HOTBAR_BUTTON_SIZE;
    if (k <= HOTBAR_SLOT_BUTTONS) {
      b.label = format_str("F%d", k);
      b.slot = k + 9;
    } else {
      b.slot = k - 9;
    }
  }
}

void QYXDisplay::load_box_colour() {
  int r = client_cfg.has_key("boxr") ? client_cfg.get_int("boxr") : DEFAULT_BOX_R;
  int g = client_cfg.has_key("boxg") ? client_cfg.get_int("boxg") : DEFAULT_BOX_G;
  int b = client_cfg.has_key("boxb") ? client_cfg.get_int("boxb") : DEFAULT_BOX_B;
  box_colour = makecol(r, g, b);
  box_colour_dark = makecol(static_cast<int>(r * 0.8), static_cast<int>(g * 0.8),
                            static_cast<int>(b * 0.8));
  client_cfg.set_int("boxr", r);
  client_cfg.set_int("boxg", g);
  client_cfg.set_int("boxb", b);
}

void QYXDisplay::set_cursor_sprite(int code) {
  // The sheet's move cursors run 3, 2, 1, 8, 7, 6, 5, 4.
  static constexpr int ORDER[8] = {2, 1, 0, 7, 6, 5, 4, 3};
  if (code >= 1 && code <= 8) {
    mouse_sprite = custom_cursors ? move_cursors[ORDER[code - 1]] : cursor_default;
  } else if (code >= 11 && code <= 18) {
    mouse_sprite = custom_cursors ? attack_cursors[ORDER[code - 11]] : cursor_default;
  } else if (code == CURSOR_SPECIAL) {
    mouse_sprite = cursor_special;
  } else if (code == CURSOR_OTHER) {
    mouse_sprite = cursor_other;
  } else if (code == CURSOR_DEFAULT || !custom_cursors) {
    mouse_sprite = cursor_default;
  }
  if (mouse_shown && allegro_up && mouse_sprite) {
    set_mouse_sprite(mouse_sprite);
    show_mouse(screen);
  }
}

int QYXDisplay::tile_average(BITMAP* sheet, int x, int y, bool darker) {
  palette[COL_MASK] = makecol(255, 0, 255);
  if (!sheet) return makecol(0, 0, 0);
  int depth = bitmap_color_depth(sheet);
  int mask = bitmap_mask_color(sheet);
  long r = 0, g = 0, b = 0, n = 0;
  for (int j = y; j < y + sheet_tile; ++j)
    for (int i = x; i < x + sheet_tile; ++i) {
      int c = getpixel(sheet, i, j);
      if (c == -1 || c == mask) continue;
      r += getr_depth(depth, c);
      g += getg_depth(depth, c);
      b += getb_depth(depth, c);
      ++n;
    }
  if (n == 0) return makecol(0, 0, 0);
  int div = darker ? 2 : 1;
  return makecol(static_cast<int>(r / n / div), static_cast<int>(g / n / div),
                 static_cast<int>(b / n / div));
}

void QYXDisplay::plot_block(BITMAP* bmp, int x, int y, int colour) {
  for (int j = 0; j < 4; ++j)
    for (int i = 0; i < 4; ++i) putpixel(bmp, x + i, y + j, colour);
}

void QYXDisplay::copy_tile_table() {
  for (int i = 0; i < TILES_NUM_MAP; ++i) {
    const MapTile* t = tiledata.get_map_tile(i);
    tile_ids[i] = t ? t->image : 0;
    tile_listed[i] = 0;
  }
  // See-through tiles ("dat/underneath.txt"): the cell's underneath tile is
  // drawn first and shows through the picture's masked pixels.
  for (int n : tiledata.underneath_tiles)
    if (n >= 0 && n < TILES_NUM_MAP && tile_ids[n] != -1 && tile_ids[n] != -2)
      tile_listed[n] = 1;
  const MapTile* unknown = tiledata.get_map_tile(TILES_UNKNOWN);
  anim_tile_base = anim_tile_frame = unknown ? unknown->image : 0;
  invalidate_map_layer();
}

QYXDisplay d;

void QYXDisplay::reset_session() {
  scroll_offset = 0;
  scroll_messages_reset();
  clear_day_marker();
  clear_minimap();
  menu_page = 0;
  curr_display = 0;
  statbox_page = 0;
  free_title();
}
