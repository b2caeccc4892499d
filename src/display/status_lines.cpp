// Player status lines.
#include "display/status_lines.h"

#include <allegro.h>

#include "core/buffs.h"
#include "core/string_utils.h"
#include "core/utils.h"
#include "display/layout.h"
#include "world/player.h"

namespace {

const char* const FACING_LABELS[] = {"", "N", "NE", "E", "SE", "S", "SW", "W", "NW"};

const char* const STATUS_LABELS[] = {
    "poisoned", "sleeping", "blind", "charmed", "paralysed", "confused", "invisible", "polymorphed", "",
    "diseased", "floating", "hexed", "hallucinating", "hiding", "criminal", "peering", "bad breath",
    "asphyxiating", "slowed", "lycanthrope", "werewolf", "cleaved", "xray vision", "speedy", "res sickness",
    "enraged", "jailed", "gagged", "in stocks", "sickness", "truesight", "protection", "disarmed", "wounded",
    "quivering", "turned", "bandaged", "drunk", "just ressed", "regenerating", "", "", "", "", "", "mounted",
    "flying", "", "", "MR cleaved", "trap detection", "disappeared", "stoneform", "hamstrung", "infravision",
    "tipsy", "sun protected", "transparent", "death ward", "stoned", "really stoned", "mountainwalk",
    "super saiyan"};
static_assert(sizeof STATUS_LABELS / sizeof STATUS_LABELS[0] == MAXHEALTHNUMS);

std::string with_count(const std::string& label, int count) {
  return count >= 1 ? label + format_str(" (%d)", count) : label;
}

}  // namespace

std::string facing_label(int facing) { return facing >= 0 && facing <= 8 ? FACING_LABELS[facing] : ""; }

std::string status_label(int n) { return n >= 0 && n < MAXHEALTHNUMS ? STATUS_LABELS[n] : ""; }

StatusFacts gather_status_facts(Player& p, const Buffs& buff_table) {
  StatusFacts f;
  f.facing = p.direction;
  f.food = p.hunger;
  f.xp = p.xp;
  for (int n = 0; n < MAXHEALTHNUMS; ++n) f.counters[n] = p.get_health(n);
  for (const auto& [id, count] : p.buffs) f.buffs.emplace_back(buff_table.get_name(id), count);
  return f;
}

std::vector<std::string> status_lines(const StatusFacts& f) {
  std::string first = format_str("%-2s", facing_label(f.facing).c_str());
  if (f.player_levels) {
    first += format_str(" XP=%lld", static_cast<long long>(f.xp));
    if (f.level_up) first += " Level up!";
  }
  std::string hunger = get_hunger_string(f.food);
  if (!hunger.empty()) first += " " + hunger;
  if (f.repeat_use) first += " REPEAT-USE";
  if (f.repeat_make) first += " REPEAT-MAKE";
  if (f.repeat_cast) first += " REPEAT-CAST";

  std::vector<std::string> lines{first};
  for (int n = 0; n < MAXHEALTHNUMS; ++n) {
    const std::string label = status_label(n);
    if (f.counters[n] != 0 && !label.empty()) lines.push_back(with_count(capitalise_first_letter(label), f.counters[n]));
  }
  for (const auto& [name, count] : f.buffs) lines.push_back(with_count(name, count));
  return lines;
}

QueuedSpellLine queued_spell_line(const std::string& full_spell_name, int screen_w, bool hotbar_top) {
  return {"Queued Spell: " + full_spell_name, (screen_w - PANEL_WIDTH) / 2, hotbar_top ? 60 : 30};
}

void draw_player_status(BITMAP* bmp, FONT* font, const StatusFacts& f, const std::string& full_spell_name,
                        int screen_w, bool hotbar_top) {
  if (!bmp || !font) return;
  const int depth = bitmap_color_depth(bmp);
  const int white = makecol_depth(depth, 255, 255, 255);
  std::vector<std::string> lines = status_lines(f);
  for (size_t k = 0; k < lines.size(); ++k)
    textout_ex(bmp, font, lines[k].c_str(), 0, 10 * static_cast<int>(k), white, -1);
  if (full_spell_name.empty()) return;
  QueuedSpellLine q = queued_spell_line(full_spell_name, screen_w, hotbar_top);
  textout_centre_ex(bmp, font, q.text.c_str(), q.x, q.y, makecol_depth(depth, 255, 222, 0), -1);
}
