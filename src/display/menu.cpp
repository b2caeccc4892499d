// The in-game menu pages and their drawing.

#include "display/menu.h"

#include <allegro.h>

#include "audio/sound.h"
#include "core/config_file.h"
#include "core/string_utils.h"
#include "display/display.h"

namespace {

constexpr int MENU_X = 20;
constexpr int MENU_TOP = 20;
constexpr int MENU_LINE = 10;
constexpr int MENU_BODY_Y = 50;
constexpr int MENU_RESET_Y = 370;

void add_line(std::vector<MenuRow>& rows, int line, const std::string& text) {
  rows.push_back({MENU_TOP + MENU_LINE * line, text, false});
}

void add_title(std::vector<MenuRow>& rows, const std::string& title) {
  add_line(rows, 0, title);
  add_line(rows, 1, std::string(title.size(), '='));
}

void add_option_group(std::vector<MenuRow>& rows, int& line, const MenuFacts& f, OptionGroup group) {
  for (int n = 0; n < OPT_MAX_OPTS; ++n) {
    const OptionInfo* o = Options::info(n);
    if (o->group != group) continue;
    add_line(rows, line++, format_str("%-2c) %s %s", o->letter, f.option_on[n] ? "on " : "off", o->label));
  }
}

// The letter that chooses action i on the key page: '1'..'8', then 'a'...
char key_action_letter(int i) { return static_cast<char>(i < 8 ? '1' + i : 'a' + (i - 8)); }

std::string key_binding_row(const MenuFacts& f, int i) {
  const std::string& text = f.binding_text[i];
  std::string name = text, key;
  size_t colon = text.find(": ");
  if (colon != std::string::npos) {
    name = text.substr(0, colon);
    key = text.substr(colon + 2);
  }
  const int width = f.max_name_len + 3;
  return format_str("%-2c) ", key_action_letter(i)) + format_str("%-*s %s", width, name.c_str(), key.c_str());
}

}  // namespace

std::string menu_level_text(int value) {
  if (value < 0) value = 0;
  if (value > 255) value = 255;
  const int hashes = value * 100 / 2550;
  std::string bar = std::string(hashes, '#') + std::string(10 - hashes, '-');
  return format_str("%03d [%s]", value * 100 / 255, bar.c_str());
}

std::vector<MenuRow> menu_rows(int page, const MenuFacts& f) {
  std::vector<MenuRow> rows;
  switch (page) {
    case MENU_MAIN: {
      add_title(rows, "Main Menu");
      const char* items[] = {"h ) Help",    "k ) Keys",   "o ) Options", "d ) Display",
                             "c ) Colours", "v ) Volume", "q ) Quit"};
      int line = 3;
      for (const char* item : items) add_line(rows, line++, item);
      break;
    }
    case MENU_OPTIONS: {
      add_title(rows, "Game Options");
      int line = 3;
      add_line(rows, line++, "Misc:");
      add_option_group(rows, line, f, OPT_GROUP_MISC);
      ++line;
      add_line(rows, line++, "Display:");
      add_option_group(rows, line, f, OPT_GROUP_DISPLAY);
      break;
    }
    case MENU_KEYS: {
      add_title(rows, "Remap Keys");
      int y = MENU_BODY_Y;
      for (int i = 0; i < KEYMAP_NUM_ACTIONS; ++i) {
        if (f.binding_disabled[i]) continue;
        rows.push_back({y, key_binding_row(f, i), true});
        y += MENU_LINE;
      }
      rows.push_back({MENU_RESET_Y, "Z) reset to default keymaps", false});
      break;
    }
    case MENU_VOLUME:
      add_title(rows, "Volume");
      rows.push_back({50, "Use Q/W to set sound volume & A/S to set music.", false});
      rows.push_back({70, "Sound: " + menu_level_text(f.volume), false});
      rows.push_back({80, "Music: " + menu_level_text(f.music_volume), false});
      break;
    case MENU_RESOLUTION: {
      add_title(rows, "Display Resolution");
      const int n = static_cast<int>(f.modes.size());
      for (int j = 0; j < n; ++j) {
        auto [w, h] = f.modes[j];
        const char mark = w == f.res_x && h == f.res_y ? '>' : ' ';
        rows.push_back({MENU_BODY_Y + MENU_LINE * j, format_str("%c) %c%4d x %d", 'a' + j, mark, w, h), false});
      }
      const int y = MENU_LINE * n + MENU_BODY_Y;
      rows.push_back({y + 20, format_str("Current resolution: %d x %d", f.res_x, f.res_y), false});
      rows.push_back({y + 30, format_str("Tile size: %d", f.tile_size), false});
      rows.push_back({y + 50, "You can also change your resolution to almost anything by", false});
      rows.push_back({y + 60, "typing #res at the chat prompt (escape from this menu first).", false});
      rows.push_back({y + 80, "You can toggle in and out of fullscreen mode by hitting CTRL-F12.", false});
      break;
    }
    case MENU_COLOURS:
      add_title(rows, "Colours");
      rows.push_back({50, "Use Q/W to set red component, A/S to set green, Z/X to set blue.", false});
      rows.push_back({70, "Red:   " + menu_level_text(f.box_r), false});
      rows.push_back({80, "Green: " + menu_level_text(f.box_g), false});
      rows.push_back({90, "Blue:  " + menu_level_text(f.box_b), false});
      break;
    default:
      break;
  }
  return rows;
}

MenuFacts current_menu_facts() {
  MenuFacts f;
  for (int n = 0; n < OPT_MAX_OPTS; ++n) f.option_on[n] = options.get(n);
  for (int i = 0; i < KEYMAP_NUM_ACTIONS; ++i) {
    f.binding_text[i] = keymap.get_binding_text(i, true);
    f.binding_disabled[i] = common_cfg.get_int(format_str("disable_keymap_%d", i)) != 0;
  }
  f.max_name_len = keymap.get_max_name_len();
  f.volume = sound.get_volume();
  f.music_volume = sound.get_music_volume();
  for (int m : d.modes) {
    if (m >= 0 && m < RESOLUTION_COUNT) f.modes.emplace_back(mode_table[m].w, mode_table[m].h);
  }
  f.res_x = res_x;
  f.res_y = res_y;
  f.tile_size = d.tile_size;
  f.box_r = getr(d.box_colour);
  f.box_g = getg(d.box_colour);
  f.box_b = getb(d.box_colour);
  return f;
}

void draw_menu_rows(BITMAP* dest, BITMAP* work, const std::vector<MenuRow>& rows, int panel_x,
                    int play_height, int screen_h) {
  if (!dest || !work) return;
  QYXDisplay::tint_rect(dest, 0, 0, panel_x, play_height, makecol(0, 0, 0), 120);
  rectfill(work, 0, 0, panel_x - 1, screen_h - 1, makecol(255, 0, 255));
  const int white = makecol(255, 255, 255);
  for (const MenuRow& r : rows)
    textout_ex(work, font, r.text.c_str(), MENU_X, r.y, white, r.plain ? -1 : _textmode);
  masked_blit(work, dest, 0, 0, 0, 0, panel_x, screen_h);
}

void QYXDisplay::draw_menu(BITMAP* dest) {
  if (!dest) dest = back_buffer;
  draw_menu_rows(dest, work_bitmap, ::menu_rows(menu_page, current_menu_facts()), panel_x, play_height, res_y);
}
