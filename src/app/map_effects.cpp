// Visible and audible events at map cells ('E', 'e'), the tracked-creature
// table ('p') and forgotten ids ('j').

#include <cstdio>
#include <cstdlib>

#include "app/client_app.h"
#include "app/globals.h"
#include "app/message_handlers.h"
#include "app/play_messages.h"
#include "app/server_handlers.h"
#include "core/interaction_modes.h"
#include "world/effects.h"

namespace {

constexpr int EFFECT_LOS_RANGE = 9;

// An effect's sound: the effect number, or -1 for none, and whether it
// sounds only for another owner's effect and only within hearing.
struct EffectSound {
  int kind;
  int effect;
  bool others_only;
  bool needs_hearing;
};

// The kinds whose sound depends on nothing but the owner and the distance;
// the spell, the hits, the announced quake and the missile have rules of
// their own below.
constexpr EffectSound EFFECT_SOUNDS[] = {
    {EVENT_STEP, SFX_STEP, true, true},
    {EVENT_MISS, SFX_MISS, false, false},
    {EVENT_QUAKE, SFX_QUAKE, false, false},
    {EVENT_TRAP, SFX_TRAP, false, true},
    {EVENT_MUSKET, SFX_MUSKET, true, true},
    {EVENT_LASER, SFX_LASER, true, true},
    {EVENT_TELEPORT, SFX_TELEPORT, false, true},
    {EVENT_TELEFRAG, SFX_TELEFRAG, false, true},
    {EVENT_FEMALE_DEATH, SFX_FEMALE_DEATH, true, true},
    {EVENT_MALE_DEATH, SFX_MALE_DEATH, true, true},
    {EVENT_WEREWOLF_DEATH, SFX_WEREWOLF_DEATH, true, true},
    {EVENT_BLOCK, SFX_BLOCK, false, true},
    {EVENT_PARRY, SFX_PARRY, false, true},
    {EVENT_PARRY_HIT, SFX_PARRY, false, true},
    {EVENT_STEAL, SFX_STEAL, false, true},
    {EVENT_ARROW_SHOT, SFX_ARROW_SHOOT, true, true},
    {EVENT_SHAKE, SFX_TC, false, true},
    {EVENT_EXPLOSION, SFX_EXPLOSION, false, true},
    {EVENT_POTION, SFX_POTION, false, true},
};

// Cells come from the server: an effect is taken only at cells of the grid,
// -1, -1 standing for no cell. Everything that later adds, draws or flies
// between its cells then stays far inside an int.
bool effect_cell(int x, int y) { return (x == -1 && y == -1) || on_max_grid(x, y); }

// Moves x by the map width toward the player, and the second cell with it,
// so that an effect across the seam of a wrapping map lies beside the player.
void wrap_effect(int& x, int& x2, int y2) {
  int w = cmap.width;
  if (cmap.get_type() != MAPTYPE_WRAP || w <= 0) return;
  // -1, -1 says there is no second cell: it must stay so.
  bool second_cell = !(x2 == -1 && y2 == -1);
  if (std::abs(x - me.x) > w / 2) {
    int step = me.x <= x ? -w : w;
    x += step;
    if (second_cell) x2 += step;
  }
  if (second_cell && std::abs(x - x2) > w / 2) x2 += x2 < x ? w : -w;
}

}  // namespace

void process_effect(const std::string& line) {
  int owner = 0, x = 0, y = 0, kind = 0, arg = 0, x2 = 0, y2 = 0, level = 0;
  if (std::sscanf(line.c_str(), "E %d %d %d %d %d %d %d %d", &owner, &x, &y, &kind, &arg, &x2, &y2,
                  &level) != 8)
    return;
  if (level != me.map_level || !effect_cell(x, y) || !effect_cell(x2, y2)) return;
  wrap_effect(x, x2, y2);
  add_event(event_list, owner, x, y, level, x2, y2, kind, arg);

  float f = sound_distance_factor(x, y, me.x, me.y, view_radius);
  if (x2 >= 0 && y2 >= 0) {
    float f2 = sound_distance_factor(x2, y2, me.x, me.y, view_radius);
    if (f2 > f) f = f2;
  }
  const bool own = owner == me.id;
  const bool heard = f > 0.0f;
  switch (kind) {
    case EVENT_SPELL:
      if (heard) sound.play_spell_sound_scaled(arg, f);
      return;
    case EVENT_HIT:
    case EVENT_HIT_LIGHT:
    case EVENT_HIT_CRITICAL:
      if (own ? (arg == 1 && heard) : (heard && arg != 2)) sound.play_effect_scaled(SFX_SWORD, f);
      return;
    case EVENT_QUAKE_ANNOUNCED:
      sound.play_effect_scaled(SFX_QUAKE, f);
      if (heard) d.print_msg("EARTHQUAKE!");
      return;
    case EVENT_MISSILE:
      if (own && arg != 2) return;
      if (cmap.can_see_with_LOS(me.x, me.y, x, y, EFFECT_LOS_RANGE)) {
        add_missile(missile_list, x, y, x2, y2, arg);
        if (arg == 2) sound.play_effect_scaled(SFX_FIREBALL, f);
      }
      return;
    default:
      break;
  }
  for (const EffectSound& s : EFFECT_SOUNDS) {
    if (s.kind != kind) continue;
    if (s.others_only && own) return;
    if (s.needs_hearing && !heard) return;
    sound.play_effect_scaled(s.effect, f);
    return;
  }
}

void make_effect_msg(int kind) {
  process_effect(format_effect_line(me.id, me.x, me.y, kind, 0, me.x, me.y, me.map_level));
}

void make_effect_at(int x, int y, int flags, int argument) {
  int kind = (flags & 8) ? EVENT_HIT_LIGHT : (flags & 16) ? EVENT_HIT_CRITICAL : EVENT_HIT;
  process_effect(format_effect_line(me.id, x, y, kind, argument, -1, -1, me.map_level));
}

std::string format_effect_line(int owner, int x, int y, int kind, int arg, int x2, int y2,
                               int level) {
  char buf[128];
  std::snprintf(buf, sizeof buf, "E %d %d %d %d %d %d %d %d", owner, x, y, kind, arg, x2, y2,
                level);
  return buf;
}

void process_effect_end(const std::string& line) {
  int level = 0, x2 = 0, y2 = 0, kind = 0, arg = 0;
  if (std::sscanf(line.c_str(), "e %d %d %d %d %d", &level, &x2, &y2, &kind, &arg) != 5) return;
  remove_event(event_list, level, x2, y2, kind, arg);
  if (kind == EVENT_SPELL) sound.stop_spell_sound(arg);
}

void process_j(const std::string& line) {
  int id = 0;
  if (std::sscanf(line.c_str(), "j %d", &id) == 1) id_table.remove(id);
}

void process_tracked(const std::string& line) {
  int op = 0, id = 0, health = 0, x = 0, y = 0, level = 0, flag = 0, v9 = 0, v10 = 0, v11 = 0;
  unsigned code = 0;
  std::string rest = message_text(line);
  int n = std::sscanf(rest.c_str(), "%d %d %x %d %d %d %d %d %d %d %d", &op, &id, &code, &health,
                      &x, &y, &level, &flag, &v9, &v10, &v11);
  if (n >= 1 && op == 2) {
    clear_tracked();
  } else if (n == 2 && op == 0) {
    remove_tracked(id);
  } else if (n == 11 && on_max_grid(x, y)) {
    // A row is placed only on a cell of the grid: the minimap, the map viewer
    // and the targeting measure from it.
    update_tracked(id, id_table.get_name(id), static_cast<int>(code), health, v9, v10, x, y, level,
                   false, flag, v11);
  }
  if (map_open()) d.draw_map_view(true);
}

int msg_map_effect(ClientApp&, const std::string& msg) {
  process_effect(msg);
  return 0;
}
int msg_effect_ends(ClientApp&, const std::string& msg) {
  process_effect_end(msg);
  return 0;
}
int msg_forget_id(ClientApp&, const std::string& msg) {
  process_j(msg);
  return 0;
}
int msg_tracked_creatures(ClientApp&, const std::string& msg) {
  process_tracked(msg);
  return 0;
}
