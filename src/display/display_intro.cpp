// Drawing of the intro, login and character-creation screens.

#include "display/display_intro.h"

#include <allegro.h>
#include <loadpng.h>

#include <algorithm>
#include <cctype>

#include "app/client_app.h"
#include "core/skills_classes.h"
#include "core/tiles.h"
#include "display/layout.h"

namespace {
// The intro layout, in frame coordinates.
constexpr int FORM_X = 15, FORM_Y = 291, FORM_W = 610, FORM_H = 162;
constexpr int TITLE_SRC_X = 95, TITLE_SRC_Y = 352, TITLE_SRC_H = 170;
constexpr int CENTRE_X = 320;
constexpr int MENU_Y = 335, MENU_Y_QYX = 325;
constexpr int LOGIN_LABEL_X = 200, LOGIN_VALUE_X = 370;
constexpr int LOGIN_LABEL_Y = 305, LOGIN_VALUE_Y = 315;
constexpr int CREATE_LEFT_X = 90, CREATE_RIGHT_X = 380;
constexpr int CREATE_LEFT_VALUE_X = 253, CREATE_RIGHT_VALUE_X = 473;
constexpr int CREATE_ROW_Y = 295, CREATE_ROW_STEP = 19, CREATE_VALUE_DY = 10;
constexpr int CREATE_ENTER_Y = 425;
constexpr int CREATE_AVATAR_X = 473, CREATE_AVATAR_Y = 357;
constexpr int CREATE_RACE_DESC_Y = 395, CREATE_CLASS_DESC_Y = 409;
// The arrows beside a choice: before its value and a fixed width after it.
constexpr int ARROW_W = 12, ARROW_GAP = 2, ARROW_RIGHT_DX = 110;
constexpr int STRIP_X = 17, STRIP_Y = 293;
constexpr int PRESS_ENTER_DY = 540;
constexpr int PREVIEW_SCALE = 3;
constexpr int TITLE_AVATAR_X[2] = {24, 520};
constexpr int TITLE_AVATAR_Y = 170;
// The strip's map tiles, row by row: alders, grass, the road, grass by the
// shore, and water.
constexpr int STRIP_ROWS[TITLE_STRIP_H] = {64, 46, 32, 44, 119};

const char* const MENU_ENTRIES[] = {"Journey Onward", "Create New Character", "Quit"};
const char* const MENU_ENTRIES_QYX[] = {"Journey Onward", "Create New Character",
                                        "Return to the View", "Quit"};
const char* const LOGIN_LABELS[] = {"Character Name:", "Account Name:", "Password:", "Server:"};
const char* const CREATE_LEFT_LABELS[] = {"Account Name:", "Password:", "Character Name:",
                                          "Server:"};

std::string enter_line(const std::string& game_name) {
  return "Enter the world of " + game_name + " ...";
}

int colour_of(const IntroColours& col, bool active) { return active ? col.c2 : col.c1; }

int row_y(int field) { return CREATE_ROW_Y + (field % 4) * CREATE_ROW_STEP; }
bool is_choice_field(int field) {
  return field == CREATE_FIELD_SERVER || (field >= CREATE_FIELD_GENDER && field <= CREATE_FIELD_AVATAR);
}
int choice_value_x(int field) {
  return field == CREATE_FIELD_SERVER ? CREATE_LEFT_VALUE_X : CREATE_RIGHT_VALUE_X;
}

// The form background: the piece of the title picture that lies under it.
// Without the picture the area is cleared, or every redraw would stack on the
// last one (a deleted character would stay on the screen).
void form_background(const IntroCanvas& c) {
  if (c.title_pic)
    blit(c.title_pic, c.play, TITLE_SRC_X, TITLE_SRC_Y, FORM_X, FORM_Y, FORM_W, TITLE_SRC_H);
  else
    rectfill(c.play, FORM_X, FORM_Y, FORM_X + FORM_W - 1, FORM_Y + TITLE_SRC_H - 1, makecol(0, 0, 0));
}
void form_to_back(const IntroCanvas& c) {
  IntroPoint o = intro_frame_origin(c.back->w, c.back->h);
  blit(c.play, c.back, FORM_X, FORM_Y, o.x + FORM_X, o.y + FORM_Y, FORM_W, FORM_H);
}

// Source cell of sheet picture `t`, or false when it lies outside the sheet.
bool sheet_cell(const IntroSheet& s, BITMAP* bmp, int t, int cell, int& sx, int& sy) {
  if (!bmp || t < 0) return false;
  sx = (t % 16) * cell;
  sy = (t / 16) * cell;
  return sx + s.tile <= bmp->w && sy + s.tile <= bmp->h;
}

const ObjectTile* avatar_record(const IntroSheet& s, int32_t avatar) {
  return s.table ? s.table->get_object_tile(static_cast<unsigned>(avatar) & ITEM_BASE_MASK)
                 : nullptr;
}

// The avatar's picture (and, for a marked avatar, its overlay) stretched to
// size by size at (x, y) of `dest`.
void draw_avatar_tile(BITMAP* dest, const IntroSheet& s, int32_t avatar, int frame, int x, int y,
                      int size, bool with_overlay) {
  const ObjectTile* rec = avatar_record(s, avatar);
  if (!rec) return;
  // A frame beyond the record's would show the next item's picture.
  int frames = rec->frames > 1 ? rec->frames : 1;
  frame = (frame % frames + frames) % frames;
  int sx = 0, sy = 0;
  if (sheet_cell(s, s.tiles, rec->image + frame, s.tile + s.border, sx, sy))
    masked_stretch_blit(s.tiles, dest, sx, sy, s.tile, s.tile, x, y, size, size);
  int top = static_cast<int>((static_cast<uint32_t>(avatar) >> 28) & 0xf);
  // The overlay picture may be missing: then the avatar goes without it.
  if (!with_overlay || top == 0 || !s.overlay) return;
  int ox = (frame + 4) * s.tile, oy = (top - 1) * s.tile;
  if (ox + s.tile <= s.overlay->w && oy + s.tile <= s.overlay->h)
    masked_stretch_blit(s.overlay, dest, ox, oy, s.tile, s.tile, x, y, size, size);
}

void draw_sheet_picture(BITMAP* dest, const IntroSheet& s, int t, int x, int y) {
  int sx = 0, sy = 0;
  if (sheet_cell(s, s.tiles, t, s.tile + s.border, sx, sy))
    masked_stretch_blit(s.tiles, dest, sx, sy, s.tile, s.tile, x, y, PLAY_CELL, PLAY_CELL);
}
}  // namespace

IntroPoint intro_frame_origin(int screen_w, int screen_h) {
  return {(screen_w - INTRO_FRAME_W) / 2, (screen_h - INTRO_FRAME_H) / 2};
}

int intro_line_height(FONT* menu_font) {
  return static_cast<int>(text_height(menu_font) * 1.1);
}

std::string intro_client_line(const std::string& server, const std::string& port) {
  return std::string(CLIENT_NAME) + " v" + CLIENT_VERSION + " " + server + ":" + port;
}

std::string intro_label(const std::string& text) {
  std::string out = text;
  if (!out.empty()) out[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(out[0])));
  return out + ":";
}

std::string intro_stars(const std::string& password) { return std::string(password.size(), '*'); }

namespace {
std::string server_name(const IntroState& st, const IntroTexts& texts) {
  size_t row = static_cast<size_t>(std::max(0, st.server_idx));
  return row < texts.servers.size() ? texts.servers[row] : std::string();
}
}  // namespace

LoginView intro_login_view(const IntroState& st, const IntroTexts& texts) {
  LoginView v;
  v.field = st.login_field;
  v.name = st.name;
  v.account = st.account;
  v.password = st.password;
  v.server = server_name(st, texts);
  v.game_name = texts.game_name;
  return v;
}

CreateView intro_create_view(const IntroState& st, const IntroTexts& texts,
                             const SkillsClasses& classes) {
  CreateView v;
  v.field = st.create_field;
  v.account = st.account;
  v.password = st.password;
  v.name = st.new_name;
  v.server = server_name(st, texts);
  v.gender = st.gender;
  v.race_label = intro_label(texts.race_label);
  v.class_label = intro_label(texts.class_label);
  v.race_name = classes.get_racename(st.race);
  v.race_desc = classes.get_race_description(st.race);
  // A class outside the table shows no name rather than another class's.
  if (st.cls >= 0 && st.cls < classes.max_classes()) {
    v.class_name = classes.get_classname(st.cls);
    v.class_desc = classes.get_class_description(st.cls);
  }
  if (!v.password.empty() && !v.name.empty() && !v.account.empty())
    v.enter_line = enter_line(texts.game_name);
  v.avatar = st.avatar;
  return v;
}

IntroHit intro_hit_at(const IntroState& st, int fx, int fy, int line_height) {
  IntroHit hit;
  int L = std::max(1, line_height);
  if (fx < FORM_X || fx >= FORM_X + FORM_W) return hit;
  if (st.screen == CONN_MENU) {
    int top = st.qyx ? MENU_Y_QYX : MENU_Y;
    if (fy < top) return hit;
    int entry = (fy - top) / L + 1;
    if (entry <= intro_menu_entries(st.qyx)) hit = {HIT_MENU_ENTRY, entry};
  } else if (st.screen == CONN_LOGIN_FORM) {
    for (int k = 0; k < LOGIN_FIELD_ENTER; ++k)
      if (fy >= LOGIN_LABEL_Y + k * L && fy < LOGIN_LABEL_Y + (k + 1) * L) return {HIT_FIELD, k};
    int enter_y = LOGIN_VALUE_Y + LOGIN_FIELD_ENTER * L;
    if (fy >= enter_y && fy < enter_y + L) hit = {HIT_FIELD, LOGIN_FIELD_ENTER};
  } else if (st.screen == CONN_CREATE_FORM) {
    if (fy >= CREATE_ENTER_Y && fy < CREATE_ENTER_Y + L) return {HIT_FIELD, CREATE_FIELD_ENTER};
    for (int field = 0; field < CREATE_FIELD_ENTER; ++field) {
      int y = row_y(field);
      if (fy < y || fy >= y + CREATE_ROW_STEP) continue;
      bool left_column = field < CREATE_FIELD_GENDER;
      int x0 = left_column ? CREATE_LEFT_X : CREATE_RIGHT_X;
      int x1 = left_column ? CREATE_RIGHT_X : FORM_X + FORM_W;
      if (fx < x0 - ARROW_W - ARROW_GAP || fx >= x1) continue;
      if (is_choice_field(field)) {
        int vx = choice_value_x(field);
        if (fx >= vx - ARROW_W - ARROW_GAP && fx < vx - ARROW_GAP) return {HIT_LEFT_ARROW, field};
        if (fx >= vx + ARROW_RIGHT_DX && fx < vx + ARROW_RIGHT_DX + ARROW_W)
          return {HIT_RIGHT_ARROW, field};
      }
      if (fx >= x0) return {HIT_FIELD, field};
    }
  }
  return hit;
}

bool load_title_pictures(IntroCanvas& c) {
  if (!c.title_bg) c.title_bg = load_png("pics/titlebg.png", nullptr);
  if (!c.title_pic) c.title_pic = load_png("pics/title.png", nullptr);
  return c.title_bg && c.title_pic;
}

void free_title(IntroCanvas& c) {
  if (!c.title_bg || !c.title_pic) return;
  destroy_bitmap(c.title_bg);
  destroy_bitmap(c.title_pic);
  c.title_bg = c.title_pic = nullptr;
}

void draw_title(IntroCanvas& c, FONT* names_font, const IntroColours& col,
                const std::string& client_line) {
  if (!load_title_pictures(c)) return;
  BITMAP* b = c.back;
  stretch_blit(c.title_bg, b, 0, 0, c.title_bg->w, c.title_bg->h, 0, 0, b->w, b->h);
  masked_blit(c.title_pic, b, 0, 0, (b->w - c.title_pic->w) / 2, (b->h - c.title_pic->h) / 2,
              c.title_pic->w, c.title_pic->h);
  textout_ex(b, names_font, client_line.c_str(), b->w - text_length(names_font, client_line.c_str()),
             b->h - text_height(names_font), col.white, col.black);
}

bool draw_intro_menu(const IntroCanvas& c, const IntroFonts& f, const IntroColours& col, bool qyx,
                     int selected, bool force, int& intro_selection) {
  if (selected == intro_selection && !force) return false;
  if (!force) intro_selection = selected;
  form_background(c);
  int L = intro_line_height(f.menu);
  int entries = intro_menu_entries(qyx);
  for (int k = 1; k <= entries; ++k) {
    const char* text = qyx ? MENU_ENTRIES_QYX[k - 1] : MENU_ENTRIES[k - 1];
    int y = (qyx ? MENU_Y_QYX : MENU_Y) + (k - 1) * L;
    textout_centre_ex(c.play, f.menu, text, CENTRE_X, y, colour_of(col, k == intro_selection), -1);
  }
  form_to_back(c);
  return true;
}

void draw_login(const IntroCanvas& c, const IntroFonts& f, const IntroColours& col,
                const LoginView& v) {
  form_background(c);
  int L = intro_line_height(f.menu);
  std::string values[4] = {v.name, v.account, intro_stars(v.password), v.server};
  // The caret goes on a copy: the caller's texts stay as they are.
  if (v.field == LOGIN_FIELD_NAME)
    values[0] += "_";
  else if (v.field == LOGIN_FIELD_ACCOUNT)
    values[1] += "_";
  else
    values[2] += "_";
  for (int k = 0; k < 4; ++k) {
    int colour = colour_of(col, v.field == k);
    textout_ex(c.play, f.menu, LOGIN_LABELS[k], LOGIN_LABEL_X, LOGIN_LABEL_Y + k * L, colour, -1);
    textout_ex(c.play, f.main, values[k].c_str(), LOGIN_VALUE_X, LOGIN_VALUE_Y + k * L, colour, -1);
  }
  textout_ex(c.play, f.menu, enter_line(v.game_name).c_str(), LOGIN_LABEL_X,
             LOGIN_VALUE_Y + LOGIN_FIELD_ENTER * L, colour_of(col, v.field == LOGIN_FIELD_ENTER), -1);
  form_to_back(c);
}

void draw_create(const IntroCanvas& c, const IntroFonts& f, const IntroColours& col,
                 const IntroSheet& sheet, const CreateView& v, int frame) {
  form_background(c);
  BITMAP* p = c.play;
  auto label = [&](int field, const std::string& text) {
    int x = field < CREATE_FIELD_GENDER ? CREATE_LEFT_X : CREATE_RIGHT_X;
    textout_ex(p, f.menu, text.c_str(), x, row_y(field), colour_of(col, v.field == field), -1);
  };
  auto value = [&](int field, const std::string& text) {
    int x = field < CREATE_FIELD_GENDER ? CREATE_LEFT_VALUE_X : CREATE_RIGHT_VALUE_X;
    textout_ex(p, f.main, text.c_str(), x, row_y(field) + CREATE_VALUE_DY,
               colour_of(col, v.field == field), -1);
  };
  for (int field = 0; field < CREATE_FIELD_GENDER; ++field) label(field, CREATE_LEFT_LABELS[field]);
  label(CREATE_FIELD_GENDER, "Gender:");
  label(CREATE_FIELD_RACE, v.race_label);
  label(CREATE_FIELD_CLASS, v.class_label);
  label(CREATE_FIELD_AVATAR, "Avatar:");
  if (!v.enter_line.empty())
    textout_centre_ex(p, f.menu, v.enter_line.c_str(), CENTRE_X, CREATE_ENTER_Y,
                      colour_of(col, v.field == CREATE_FIELD_ENTER), -1);

  auto caret = [&](int field) { return v.field == field ? "_" : ""; };
  value(CREATE_FIELD_ACCOUNT, v.account + caret(CREATE_FIELD_ACCOUNT));
  value(CREATE_FIELD_PASSWORD, intro_stars(v.password) + caret(CREATE_FIELD_PASSWORD));
  value(CREATE_FIELD_NAME, v.name + caret(CREATE_FIELD_NAME));
  value(CREATE_FIELD_SERVER, v.server);
  value(CREATE_FIELD_GENDER, v.gender == 'M' ? "male" : "female");
  value(CREATE_FIELD_RACE, v.race_name);
  value(CREATE_FIELD_CLASS, v.class_name);
  // The arrows that a click steps the choices with.
  for (int field : {CREATE_FIELD_SERVER, CREATE_FIELD_GENDER, CREATE_FIELD_RACE, CREATE_FIELD_CLASS,
                    CREATE_FIELD_AVATAR}) {
    int x = choice_value_x(field), y = row_y(field) + CREATE_VALUE_DY;
    if (field == CREATE_FIELD_AVATAR) y = CREATE_AVATAR_Y + PLAY_CELL / 2 - text_height(f.main) / 2;
    textout_ex(p, f.main, "<", x - ARROW_W - ARROW_GAP, y, col.c1, -1);
    textout_ex(p, f.main, ">", x + ARROW_RIGHT_DX, y, col.c1, -1);
  }
  draw_avatar_tile(p, sheet, v.avatar, frame, CREATE_AVATAR_X, CREATE_AVATAR_Y, PLAY_CELL, true);
  textout_centre_ex(p, f.names, v.race_desc.c_str(), CENTRE_X, CREATE_RACE_DESC_Y, col.white, -1);
  textout_centre_ex(p, f.names, v.class_desc.c_str(), CENTRE_X, CREATE_CLASS_DESC_Y, col.white, -1);
  form_to_back(c);
}

int avatar_frame_count(const IntroSheet& sheet, int32_t avatar) {
  const ObjectTile* rec = avatar_record(sheet, avatar);
  return rec && rec->frames > 1 ? rec->frames : 1;
}

void draw_avatar_preview(const IntroCanvas& c, const IntroSheet& sheet, int32_t avatar, int fx,
                         int fy, int frame) {
  constexpr int SIZE = PREVIEW_SCALE * PLAY_CELL;
  rectfill(c.work, 0, 0, SIZE - 1, SIZE - 1, bitmap_mask_color(c.work));
  draw_avatar_tile(c.work, sheet, avatar, frame, 0, 0, SIZE, false);
  IntroPoint o = intro_frame_origin(c.back->w, c.back->h);
  masked_blit(c.work, c.back, 0, 0, o.x + fx, o.y + fy, SIZE, SIZE);
}

void draw_title_strip(const IntroCanvas& c, const IntroSheet& sheet, const IntroState& st) {
  for (int row = 0; row < TITLE_STRIP_H; ++row) {
    const MapTile* t = sheet.table ? sheet.table->get_map_tile(STRIP_ROWS[row]) : nullptr;
    for (int col = 0; col < TITLE_STRIP_W; ++col) {
      if (t)
        draw_sheet_picture(c.play, sheet, t->image, col * PLAY_CELL, row * PLAY_CELL);
      else
        rectfill(c.play, col * PLAY_CELL, row * PLAY_CELL, col * PLAY_CELL + PLAY_CELL - 1,
                 row * PLAY_CELL + PLAY_CELL - 1, 0);
    }
  }
  // Drawn from the back of the file so that the leaders stand in front.
  for (int i = TITLE_FIGURES - 1; i >= 0; --i) {
    int x = 0, y = 0;
    if (!title_figure_at(i, st.title_step, x, y)) continue;
    if (i == 0) {
      const ObjectTile* rec =
          sheet.table ? sheet.table->get_object_tile(st.title_item & ITEM_BASE_MASK) : nullptr;
      if (rec) draw_sheet_picture(c.play, sheet, rec->image, x, y);
    } else {
      draw_avatar_tile(c.play, sheet, title_figure_avatar(i), (st.title_step + i) % 2, x, y,
                       PLAY_CELL, false);
    }
  }
}

void draw_press_enter(const IntroCanvas& c, FONT* plain_font, int white) {
  BITMAP* b = c.back;
  IntroPoint o = intro_frame_origin(b->w, b->h);
  blit(c.play, b, 0, 0, o.x + STRIP_X, o.y + STRIP_Y, TITLE_STRIP_W * PLAY_CELL,
       TITLE_STRIP_H * PLAY_CELL);
  // Sixty pixels below the frame is off the screen at 800 by 600 and smaller;
  // there the line stands on the bottom edge instead.
  int y = std::min(o.y + PRESS_ENTER_DY, b->h - text_height(plain_font) - 2);
  textout_centre_ex(b, plain_font, "Press ENTER to continue!", b->w / 2, y, white, -1);
}

void draw_intro_pass(IntroCanvas& c, const IntroFonts& f, const IntroColours& col,
                     const IntroSheet& sheet, const IntroState& st, const IntroTexts& texts,
                     const SkillsClasses& classes, int& intro_selection, int& avatar_frame,
                     int (*rand_below)(int)) {
  clear_to_color(c.back, col.black);
  draw_title(c, f.names, col, texts.client_line);
  switch (st.screen) {
    case CONN_MENU:
      // The back buffer was cleared: the menu is drawn whole every pass.
      intro_selection = st.menu_selection;
      draw_intro_menu(c, f, col, st.qyx, st.menu_selection, true, intro_selection);
      break;
    case CONN_LOGIN_FORM:
      draw_login(c, f, col, intro_login_view(st, texts));
      break;
    case CONN_CREATE_FORM: {
      int frames = avatar_frame_count(sheet, st.avatar);
      if (st.animate_avatar && rand_below) avatar_frame = rand_below(frames);
      if (avatar_frame >= frames || avatar_frame < 0) avatar_frame = 0;
      draw_create(c, f, col, sheet, intro_create_view(st, texts, classes), avatar_frame);
      break;
    }
    default:
      draw_title_strip(c, sheet, st);
      if (st.title_run) {
        draw_press_enter(c, f.plain, col.white);
      } else {
        IntroPoint o = intro_frame_origin(c.back->w, c.back->h);
        blit(c.play, c.back, 0, 0, o.x + STRIP_X, o.y + STRIP_Y, TITLE_STRIP_W * PLAY_CELL,
             TITLE_STRIP_H * PLAY_CELL);
      }
      break;
  }
  if (st.qyx) {
    for (int i = 0; i < 2; ++i)
      draw_avatar_preview(c, sheet, title_avatar_code(st.title_avatars[i]), TITLE_AVATAR_X[i],
                          TITLE_AVATAR_Y, st.title_frames[i]);
  }
}
