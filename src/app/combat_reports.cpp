// The server's reports of the player's attacks ('A') and of the hits the
// player takes ('D'): combat lines, sounds, damage numbers, the lunge, the
// damage history; and the direction of a pressed key.

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/client_app.h"
#include "app/globals.h"
#include "app/message_handlers.h"
#include "app/play_messages.h"
#include "app/server_handlers.h"
#include "input/player_actions.h"
#include "core/ids.h"
#include "core/log.h"
#include "core/number_codec.h"
#include "core/utils.h"
#include "world/effects.h"

DamageHistory damage_history;
int lunge_counter = 0;
int16_t lunge_dx = 0, lunge_dy = 0;
bool no_two_handed_melee = false;
uint64_t (*combat_clock_us)() = get_time_us;

void reset_combat_reports() {
  damage_history = DamageHistory();
  lunge_counter = 0;
}

namespace {

// The game library's scancodes of the arrow keys and the keypad digits.
constexpr int SCAN_PAD_1 = 38;  // keypad 1 .. 9 follow in order
constexpr int SCAN_LEFT = 82, SCAN_RIGHT = 83, SCAN_UP = 84, SCAN_DOWN = 85;

// The direction of each keypad digit 0..9 (0 and 5 are none).
constexpr int DIGIT_DIRECTION[10] = {DIR_NONE, DIR_SW, DIR_S, DIR_SE, DIR_W,
                                     DIR_NONE, DIR_E,  DIR_NW, DIR_N, DIR_NE};
// When a key stands for several directions, the latest of this order wins.
constexpr int DIRECTION_ORDER[8] = {DIR_W, DIR_E, DIR_N, DIR_S, DIR_NW, DIR_NE, DIR_SE, DIR_SW};

constexpr int POLY_FORM_JAWS = 585;
constexpr int ATTACKER_DROWNING = -3;

void underscores_to_blanks(char* s) {
  for (; *s; ++s)
    if (*s == '_') *s = ' ';
}

void show_damage_number(int x, int y, int damage) {
  if (!options.get(OPT_SPLAT_NUMBERS)) return;
  process_effect(format_effect_line(me.id, x, y, EVENT_DAMAGE_NUMBER, damage, -1, -1,
                                    me.map_level));
}

// The offset is one step, also at the seam of a wrapping map, where the
// wrapped neighbouring cell lies a whole map width away.
void set_lunge(int dir) {
  if (dir < DIR_N || dir > DIR_NW) return;
  int nx = me.x, ny = me.y;
  step_in_direction(dir, nx, ny);
  lunge_counter = LUNGE_FRAMES;
  lunge_dx = static_cast<int16_t>(nx - me.x);
  lunge_dy = static_cast<int16_t>(ny - me.y);
}

void record_attack_damage(int kind, int damage) {
  DamageHistory& h = damage_history;
  uint64_t now = combat_clock_us();
  if (h.last_report_us == 0) h.last_report_us = now;
  int64_t gap = now >= h.last_report_us ? static_cast<int64_t>((now - h.last_report_us) / 1000) : 0;
  h.last_report_us = now;
  h.dealt += damage;
  if (kind == 0 && gap > 999) return;
  h.damage.push_back(damage);
  h.gaps_ms.push_back(static_cast<int32_t>(std::min<int64_t>(gap, INT32_MAX)));
  while (h.damage.size() > DAMAGE_HISTORY_KEPT) h.damage.pop_front();
  while (h.gaps_ms.size() > DAMAGE_HISTORY_KEPT) h.gaps_ms.pop_front();
}

std::string weapon_word(int kind, const Item& weapon) {
  if (kind == 2) return "turn";
  if (kind != 0) return "magic";
  if (me.has_status(HN_POLYMORPHED) || me.has_status(HN_WEREWOLF_FORM))
    return me.has_status(HN_POLYMORPHED) && me.poly_code == POLY_FORM_JAWS ? "jaws" : "claws";
  std::string name = wl.get_name(weapon);
  return name == "NOTHING" ? "bare hands" : name;
}

int gender_sound(char gender) {
  switch (gender) {
    case 'F': return SFX_FEMALE_DEATH;
    case 'M': return SFX_MALE_DEATH;
    case 'W': return SFX_WEREWOLF_DEATH;
    default: return SFX_GIB;
  }
}

}  // namespace

int get_dir_from_key(int key, int& x, int& y, int default_digit) {
  int dir = DIR_NONE;
  if (key == -1) {
    if (default_digit >= 0 && default_digit <= 9) dir = DIGIT_DIRECTION[default_digit];
  } else {
    int scan = (key >> 8) & 0xff;
    bool in_set[9] = {};
    if (scan >= SCAN_PAD_1 && scan < SCAN_PAD_1 + 9) in_set[DIGIT_DIRECTION[scan - SCAN_PAD_1 + 1]] = true;
    if (scan == SCAN_LEFT) in_set[DIR_W] = true;
    if (scan == SCAN_RIGHT) in_set[DIR_E] = true;
    if (scan == SCAN_UP) in_set[DIR_N] = true;
    if (scan == SCAN_DOWN) in_set[DIR_S] = true;
    for (int action = 0; action < 8; ++action)
      if (keymap.is_key(action, scan)) in_set[action + 1] = true;
    for (int d8 : DIRECTION_ORDER)
      if (in_set[d8]) dir = d8;
  }
  if (me.steps_astray() && dir != DIR_NONE) dir = DIGIT_DIRECTION[rand_int(9) + 1];
  return dir_to_xy(dir, x, y);
}

int process_attack(const std::string& line) {
  int result = 0, damage = 0, target = 0, unused = 0, x = 0, y = 0, level = 0, kind = 0;
  int flags = 0, target_health = 0;
  char gender = 0;
  std::vector<char> name(50, '\0'), weapon_text(1001, '\0'), status(50, '\0');
  int n = std::sscanf(line.c_str(), "A %d %d %d %d %49s %d %d %d %d %c %1000s %d %hd %hd %hd %d %d %49s",
                      &result, &damage, &target, &unused, name.data(), &x, &y, &level, &kind,
                      &gender, weapon_text.data(), &flags, &me.mana, &me.rage, &me.energy,
                      &target_health, &me.net_magic_resistance, status.data());
  if (n < 18 || level != me.map_level) return 0;
  underscores_to_blanks(name.data());
  const std::string target_name = name.data();
  const Item weapon(std::string(weapon_text.data()));
  record_attack_damage(kind, damage);

  const std::string word = weapon_word(kind, weapon);
  const bool ranged = wl.is_ranged(weapon);
  const bool werewolf = me.has_status(HN_WEREWOLF_FORM);
  const bool show = show_combat_messages;
  switch (result) {
    case 0:
      if (kind == 0 && !ranged) sound.play_effect(SFX_MISS);
      if (!show) break;
      if (kind == 0)
        d.print_msg("Attack with %s: missed %s!", word.c_str(), target_name.c_str());
      else
        d.print_msg("Attack with %s: no effect!", word.c_str());
      break;
    case 1:
      if (kind == 0) {
        make_effect_at(x, y, flags, damage);
        if (werewolf)
          sound.play_effect(SFX_WEREWOLF_HIT);
        else if (ranged && wl.get_weapon_type(weapon) == 'b')
          sound.play_effect(SFX_GIB4);
        else
          sound.play_effect(gender_sound(gender));
      }
      if (show)
        d.print_msg("Attack with %s: %s %s!  (%d damage)", word.c_str(),
                    (flags & 32) ? "destroyed" : "killed", target_name.c_str(), damage);
      show_damage_number(x, y, damage);
      break;
    case 2:
      if (kind == 0) {
        make_effect_at(x, y, flags, damage);
        if (werewolf)
          sound.play_effect(SFX_WEREWOLF_HIT);
        else if (ranged && wl.get_weapon_type(weapon) == 'b')
          sound.play_effect(SFX_ARROW_HIT);
        else if (wl.get_weapon_damage_type(weapon) == 'e')
          sound.play_effect(SFX_ZAP);
        else
          sound.play_effect(SFX_SWORD);
      }
      if (show) {
        if (flags & 16)
          d.print_msg("Attack with %s: Critical hit! (%d damage)", word.c_str(), damage);
        else
          d.print_msg("Attack with %s: hit %s! (%d damage)", word.c_str(), target_name.c_str(),
                      damage);
      }
      show_damage_number(x, y, damage);
      break;
    case 3:
      if (show && kind == 0 && !ranged)
        d.print_msg("Attack with %s: %s", word.c_str(), "Nothing there!");
      break;
    case 5:
      if (show) d.print_msg("Invalid monster!!!");
      break;
    case 13:
    case 14:
      if (show)
        d.print_msg("Attack with %s: %s %s!", word.c_str(), result == 13 ? "blocked by" : "parried by",
                    target_name.c_str());
      break;
    case 17:
      if (show) d.print_msg("Attack with %s: dodged by %s!", word.c_str(), target_name.c_str());
      break;
    default:
      break;
  }

  if (ItemListEl* node = server_objects.find_id(target)) {
    node->hea = target_health;
    node->price = decode_number(status.data());
    rebuild_object_grid();
  }
  const bool lunges = result == 1 || result == 2 || result == 13 || result == 14 || result == 17;
  if (kind == 0 && !ranged && lunges && options.get(OPT_ATTACK_ANIMATIONS))
    set_lunge(get_direction(me.x, me.y, x, y));
  return 1;
}

int make_and_display_dmg_msg(const std::string& line) {
  FunctionTrace trace("make_and_display_dmg_msg");
  // A short report leaves the later fields at these values.
  int damage = 0, attacker = 0, kind = 0, hit_type = 0, spell = 0;
  int16_t direction = 0;
  std::vector<char> name(50, '\0'), status(50, '\0');
  int n = std::sscanf(line.c_str(), "D %d %d %d %49s %d %d %d %hd %hd %hd %49s %hd", &damage,
                      &attacker, &kind, name.data(), &hit_type, &spell, &me.hp, &me.mana, &me.rage,
                      &me.energy, status.data(), &direction);
  if (n < 4) return 0;
  underscores_to_blanks(name.data());
  const std::string who = name.data();
  DamageHistory& h = damage_history;

  if (damage > 0) h.taken += damage;
  if (damage != 0 && n > 4 && hit_type != 2) {
    make_effect_msg(hit_type == 1 ? EVENT_HIT_LIGHT : hit_type == 3 ? EVENT_HIT_CRITICAL
                                                                      : EVENT_HIT);
    show_damage_number(me.x, me.y, damage);
  }
  if (!(attacker < 0 && kind == 0)) {
    if (ItemListEl* ev = find_event_by_owner(event_list, attacker))
      ev->item.code = static_cast<int64_t>(get_time_us());
    else
      process_effect(format_effect_line(attacker, -1, -1, EVENT_OWNER_MARK, 0, me.x, me.y,
                                        me.map_level));
  }
  if (kind != 0) {
    if (kind == 2 && n >= 12 && direction >= 1 && direction <= 8 &&
        options.get(OPT_ATTACK_ANIMATIONS))
      set_lunge(direction);
    return 0;
  }

  const bool werewolf = me.has_status(HN_WEREWOLF_FORM);
  const bool show = show_combat_messages;
  if (me.hp < 1) {
    if (hit_type == 2) {
      d.print_msg("You have been telefragged by %s!", who.c_str());
    } else {
      if (attacker == ATTACKER_DROWNING)
        d.print_msg("You have drowned!");
      else
        d.print_msg("You have been killed by %s! (%d damage)", who.c_str(), damage);
      sound.play_effect(werewolf            ? SFX_WEREWOLF_DEATH
                        : me.gender == 'M' ? SFX_MALE_DEATH
                                           : SFX_FEMALE_DEATH);
    }
    me.reset_health(false);
    me.clear_stats();
    playerstats(0);
  } else if (damage != 0) {
    if (attacker >= 0) {
      if (show) d.print_msg("%sit by %s! (%d damage)", hit_type == 3 ? "Critical h" : "H", who.c_str(),
                            damage);
    } else if (attacker == ATTACKER_DROWNING) {
      d.print_msg("You are drowning!");
    } else if (show) {
      std::string from = who == "<nothing>" ? std::string() : " from " + who;
      d.print_msg("You took damage%s! (%d damage)", from.c_str(), damage);
    }
    sound.play_effect(werewolf            ? SFX_WEREWOLF_PAIN
                      : me.gender == 'M' ? SFX_MALE_PAIN
                                         : SFX_FEMALE_PAIN);
  } else if (attacker >= 0 && attacker < PLAYER_ID_LIMIT) {
    const bool stone = me.has_status(HN_STONE_FORM);
    if (show) {
      if (spell)
        d.print_msg("Spell damage from %s absorbed!", who.c_str());
      else if (stone)
        d.print_msg("Damage from %s absorbed!", who.c_str());
      else
        d.print_msg("%s attacks and misses!", who.c_str());
    }
    if (!spell) sound.play_effect(stone ? SFX_SWORD : SFX_MISS);
  }

  if (attacker >= 0) {
    if (ItemListEl* node = server_objects.find_id(attacker)) {
      // Only what the report carried changes the attacker's node.
      if (n >= 11) node->price = decode_number(status.data());
      if (n >= 12) node->b = direction;
      rebuild_object_grid();
    }
  }
  return damage;
}

int msg_attack_report(ClientApp&, const std::string& msg) {
  process_attack(msg);
  return 0;
}

int msg_damage_report(ClientApp&, const std::string& msg) {
  make_and_display_dmg_msg(msg);
  return 0;
}
