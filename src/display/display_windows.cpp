// The windows and small boxes of the display over their components: the book,
// the help text, the NPC talk panel, the status lines, the minimap, and the
// intro screens drawn in the real window.
#include <allegro.h>

#include "app/client_app.h"
#include "app/server_list.h"
#include "core/buffs.h"
#include "core/config_file.h"
#include "core/ids.h"
#include "core/interaction_modes.h"
#include "core/skills_classes.h"
#include "core/spells.h"
#include "core/tiles.h"
#include "core/utils.h"
#include "display/display.h"
#include "display/display_intro.h"
#include "display/smooth_scaler.h"
#include "display/status_lines.h"
#include "input/options.h"
#include "world/cmap.h"
#include "world/item_list.h"
#include "world/player.h"

void QYXDisplay::draw_book() {
  if (!allegro_up) return;
  BookDraw how;
  how.work = work_bitmap;
  how.play = play_bitmap;
  how.picture = book_pic;
  how.font = book_font;
  how.panel_x = panel_x;
  how.play_height = play_height;
  how.mask_colour = makecol(255, 0, 255);
  how.scale_3_2 = [this](BITMAP* s, BITMAP* t, int sx, int sy, int dx, int dy, int w, int h) {
    scale_3_2(s, t, sx, sy, dx, dy, w, h, panel_x, play_height);
  };
  ::draw_book(book, how);
}

void QYXDisplay::set_book_text(const std::string& text) { book.set_text(text); }

void QYXDisplay::draw_help_text() {
  if (!allegro_up) return;
  HelpDraw how;
  how.play = play_bitmap;
  how.font = main_font;
  how.play_h = play_h;
  how.tile_size = tile_size;
  how.page_rows = help_rows;
  ::draw_help_text(help_lines, help_scroll, how);
}

void QYXDisplay::draw_talk_panel(BITMAP* dest) {
  if (!allegro_up || !dest || gc_interface_mode != MODE_NPCTALK) return;
  TalkDraw how;
  how.work = work_bitmap;
  how.dest = dest;
  how.font = main_font;
  how.play_height = play_height;
  how.screen_h = res_y;
  how.large_font = large_message_font != 0;
  how.box_colour = box_colour;
  how.tint = &QYXDisplay::tint_rect;
  const ItemListEl* npc = server_objects.find_id(app.session.talk_partner_id);
  if (npc) {
    const Item figure = npc->item;
    how.draw_npc = [this, figure](BITMAP* b, int x, int y) {
      draw_item_picture(figure, b, x, y, false);
    };
  }
  ::draw_talk_panel(talk_topics, id_table.get_name(app.session.talk_partner_id), npc != nullptr,
                    how, links);
}

void QYXDisplay::draw_player_status(BITMAP* dest) {
  if (!allegro_up || !dest) return;
  StatusFacts f = gather_status_facts(me, buffs);
  f.player_levels = PLAYER_LEVELS;
  f.level_up = level_up_shown != 0;
  f.repeat_use = app.session.repeat_use;
  f.repeat_make = app.session.repeat_make;
  f.repeat_cast = app.session.repeat_cast;
  const std::string queued =
      quick_cast_spell.empty() ? std::string() : spells.get_full_spell_name(quick_cast_spell);
  ::draw_player_status(dest, main_font, f, queued, res_x, options.get(OPT_HOTBAR_TOP) != 0);
}

// ---- Minimap ---------------------------------------------------------------------

void QYXDisplay::build_minimap() { minimap.build(cmap, tiledata); }

void QYXDisplay::set_minimap_cell(int x, int y, int tile) {
  const uint8_t before = minimap.get(x, y);
  minimap.set_cell(cmap, tiledata, x, y, tile);
  // A cell newly seen changes the minimap beside the play window.
  if (minimap.get(x, y) != before) request_frame();
}

void QYXDisplay::draw_minimap(BITMAP* dest) {
  if (!allegro_up || !dest) return;
  MinimapDraw how;
  how.dest = dest;
  how.minimap_bitmap = minimap_bitmap;
  how.names_font = names_font;
  how.box_x = input_width + 2;
  how.box_y = play_height;
  how.span = minimap_span;
  ::draw_minimap(minimap, cmap, me.x, me.y, me.map_level, tracked_creatures, how);
}

// ---- Intro screens ---------------------------------------------------------------

IntroTexts intro_texts() {
  IntroTexts texts;
  texts.game_name = common_cfg.get("game_name");
  texts.race_label = common_cfg.get("race_label");
  texts.class_label = common_cfg.get("class_label");
  texts.client_line = intro_client_line(client_cfg.get("server"), client_cfg.get("port"));
  for (const ServerRow& row : server_list) texts.servers.push_back(row.name);
  return texts;
}

void QYXDisplay::free_title() {
  IntroCanvas c;
  c.title_bg = title_bg;
  c.title_pic = title_pic;
  ::free_title(c);
  title_tried = false;
  title_bg = c.title_bg;
  title_pic = c.title_pic;
  // The intro drew its forms into these; play must not start with them.
  if (play_bitmap) clear_bitmap(play_bitmap);
  if (work_bitmap) clear_bitmap(work_bitmap);
}

void QYXDisplay::install_intro_hooks() {
  // The screen log stays: runs are followed by it.
  auto log_screen = intro_hooks.draw;
  intro_hooks.draw = [this, log_screen](const IntroState& st) {
    if (log_screen) log_screen(st);
    if (!allegro_up || !back_buffer || !play_bitmap || !work_bitmap) return;
    IntroCanvas c{back_buffer, play_bitmap, work_bitmap, title_bg, title_pic};
    // Missing pictures are looked for once, not on every pass.
    if (!title_tried) load_title_pictures(c);
    title_tried = true;
    title_bg = c.title_bg;
    title_pic = c.title_pic;
    IntroFonts f{main_font, menu_font, names_font, font};
    IntroColours col{colour(COL_C1), colour(COL_C2), colour(COL_WHITE), colour(COL_BLACK),
                     makecol(255, 0, 255)};
    IntroSheet sheet{tiles, overlay, sheet_tile > 0 ? sheet_tile : PLAY_CELL, sheet_border,
                     &tiledata};
    draw_intro_pass(c, f, col, sheet, st, intro_texts(), sc, intro_selection, intro_avatar_frame,
                    rand_int);
    flip();
  };
  intro_hooks.pointer = [this](const IntroState& st) {
    IntroPointer p;
    if (!allegro_up) return p;
    static bool was_held = false;
    IntroPoint o = intro_frame_origin(res_x, res_y);
    p.hit = intro_hit_at(st, mouse_x - o.x, mouse_y - o.y, intro_line_height(menu_font));
    p.left_held = (mouse_b & 1) != 0;
    p.left_released = was_held && !p.left_held;
    was_held = p.left_held;
    return p;
  };
}
