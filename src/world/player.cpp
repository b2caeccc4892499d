#include "world/player.h"

#include <algorithm>
#include <cmath>

#include "core/item_data.h"
#include "core/log.h"
#include "core/skills_classes.h"
#include "core/utils.h"
#include "world/target.h"

bool Player::derive_figures = false;

Player::Player() {
  for (Item& b : item_binds) b = Item(0L);
  trail.init();
  special_flag = 0;
}

Player::~Player() = default;

int player_skill_count() { return std::clamp(sc.max_skills(), 0, SC_MAX_SKILLS); }

Item* Player::slot(int n) {
  Item* slots[PLAYER_NUM_SLOTS] = {&weapon, &shield, &armour, &boots,  &gloves,
                                   &hat,    &trousers, &ring1, &ring2, &amulet,
                                   &belt,   &sigil1, &sigil2, &sigil3, &ammo};
  return n >= 0 && n < PLAYER_NUM_SLOTS ? slots[n] : nullptr;
}

void Player::get_worn(const Item* out[NUM_WORN]) const {
  const Item* w[NUM_WORN] = {&weapon, &armour, &shield, &boots,  &gloves, &hat,    &trousers,
                             &ring1,  &ring2,  &amulet, &belt,   &sigil1, &sigil2, &sigil3};
  std::copy(w, w + NUM_WORN, out);
}

int Player::get_target_id() const { return target_id; }

int Player::get_health(int n) {
  const Item* worn[NUM_WORN];
  get_worn(worn);
  for (const Item* it : worn)
    if (it->is_valid() && !it->is_cursed() && wl.has_effect(*it, MP_HEALTH_STATUS, n)) return -1;
  if (n == HN_CHOKING && amulet.is_valid() && amulet.is_cursed() && is_organic() && !undead())
    return -1;
  if (n == HN_CRIMINAL && Sentient::get_health(HN_WEREWOLF_FORM) != 0) return -1;
  return Sentient::get_health(n);
}

void Player::set_health(int n, int value) {
  if (n == HN_POISONED) {
    if (value != 0) {
      if (cooldowns[COOLDOWN_POISON] != 0 || get_health(HN_WEREWOLF_FORM) != 0 || !is_organic() ||
          undead())
        return;
    } else if (get_health(HN_POISONED) != 0) {
      cooldowns[COOLDOWN_POISON] = 15;
    }
  } else if (n == HN_WOUNDED) {
    if (value != 0) {
      if (cooldowns[COOLDOWN_WOUND] != 0 || !is_organic()) return;
    } else if (get_health(HN_WOUNDED) != 0) {
      cooldowns[COOLDOWN_WOUND] = 10;
    }
  } else if (n == HN_CHOKING && value != 0) {
    if (!is_organic() || undead()) return;
  }
  Sentient::set_health(n, value);
}

void Player::reset() {
  for (int i = 0; i < SC_MAX_SKILLS; ++i) {
    skills[i] = 0.0f;
    skill_limits[i] = 100.0f;
    skill_bonuses[i] = 0.0f;
  }
  clear_stats();
  clear_health();
  name = "unknown";
  clear_spells();
  special_flag = 0;
  chats[0] = chats[1] = 1;
  dm = 0;
  light = 0;
  sight = 1;
  summon_slots = 0;
  party = -1;
  for (int i = 0; i < PLAYER_NUM_MARKS; ++i) mark_x[i] = mark_y[i] = mark_level[i] = -1;
  tag = 0;
  pvp = 0;
  clan.clear();
  account_name.clear();
  title.clear();
  cdate.clear();
  meta.clear();
  cached_title.clear();
  hunger = 500;
  energy = rage = mana = 0;
  remort_level = 0;
  bind_level = -1;
  str_cap = dex_cap = intel_cap = 0;
  version = PLAYER_VERSION;
  x = 0;
  direction = 1;
  mount = 0;
  ship = 0;
  mount_colour = 0;
  tmp_code = 0;
  net_hp_max = 0;
  permanent_hp_bonus = permanent_mana_bonus = class_cap_bonus = 0;
  std::fill(std::begin(cooldowns), std::end(cooldowns), 0);
  std::fill(std::begin(perk_flags), std::end(perk_flags), 0);
  clear_buffs();
  visited_places.clear();
  ignored.clear();
  notes.clear();
  counters.clear();
  for (Item& b : item_binds) b = Item(0L);
  std::fill(std::begin(spell_binds), std::end(spell_binds), -1);
  trail.init();
  unused_a = unused_c = 0;
  unused_b = unused_d = -1;
  std::fill(std::begin(bookkeeping), std::end(bookkeeping), -1);
  spare_slot = rand_int(60);
  special_count = 0;
  last_address.clear();
  bank_synced = false;
  // Points the last server gave are not this server's to take.
  stat_points = 0;
}

void Player::clear_stats() {
  thaco_bonus = 0;
  ac_bonus = dmg_bonus = str_bonus = dex_bonus = intel_bonus = 0;
  sight_bonus = health_bonus = mana_bonus = load_bonus = 0;
}

void Player::reset_health(bool keep) {
  static const int KEPT[] = {HN_CRIMINAL, HN_LYCANTHROPY, HN_WEREWOLF_FORM, HN_RES_SICKNESS,
                             HN_JAILED,   HN_GAGGED,      HN_IN_STOCKS,     HN_TRADING};
  int16_t saved[8] = {};
  if (keep)
    for (int i = 0; i < 8; ++i) saved[i] = health[KEPT[i]];
  for (int16_t& h : health) h = 0;
  if (keep)
    for (int i = 0; i < 8; ++i) health[KEPT[i]] = saved[i];
}

void Player::add_stats(float ds, float dd, float di) {
  str += ds;
  dex += dd;
  intel += di;
}

void Player::set_mark(int i) {
  if (i < 0 || i >= PLAYER_NUM_MARKS) return;
  mark_x[i] = x;
  mark_y[i] = y;
  mark_level[i] = map_level;
}

int Player::get_mark(int i, int& mx, int& my, int& level) const {
  if (i < 0 || i >= PLAYER_NUM_MARKS) {
    mx = my = level = -1;
    return -1;
  }
  mx = mark_x[i];
  my = mark_y[i];
  level = mark_level[i];
  return level;
}

int Player::add_visited_place() {
  for (const VisitedPlace& p : visited_places)
    if (p.x == x && p.y == y && p.level == map_level) return 0;
  visited_places.push_back({x, y, map_level});
  return 1;
}

int Player::add_visited_level() {
  if (std::find(visited_levels.begin(), visited_levels.end(), map_level) != visited_levels.end())
    return 0;
  visited_levels.push_back(map_level);
  return 1;
}

int Player::find_inv_slot(const Item& item) const {
  for (int i = 0; i < PLAYER_HOTKEYS; ++i) {
    const Item& b = item_binds[i];
    if (b.code == item.code && b.extra == item.extra && b.text == item.text &&
        b.socketed == item.socketed)
      return i;
  }
  return -1;
}

int Player::find_slot_id(int spell_id) const {
  for (int i = 0; i < PLAYER_HOTKEYS; ++i)
    if (spell_binds[i] == spell_id) return i;
  return -1;
}

void Player::remove_ignored(int ignored_id) {
  auto it = std::find(ignored.begin(), ignored.end(), ignored_id);
  if (it != ignored.end()) ignored.erase(it);
}

std::string Player::mk_display_name() const {
  return clan.empty() ? name : name + "[" + clan + "]";
}

void Player::get_name_and_title(std::string& out_name, std::string& out_title) {
  out_name = is_dm() ? "DM " + name : name;
  out_title = title;
}

void Player::set_res_hp() { hp = is_vampyric() ? get_hp_max() / 2 : 1; }

void Player::set_id_speed(int new_id) {
  id = new_id;
  if (dex == 0.0f) {
    speed = 1000;
    return;
  }
  double ms = 15.0 / dex * 0.5 * 1000.0;
  speed = bounded_int<int16_t>(ms);
}

int Player::server_init(const std::string& line, const std::string& skill_text, int new_id) {
  FunctionTrace trace("player server init");
  trace.printf("line=[%s]", line.c_str());
  trace.printf("skil=[%s]", skill_text.c_str());
  if (parse_h_record(line, false) != 0) return 1;
  set_id_speed(new_id);
  return 0;
}

std::string Player::cut_after_last_dot() const {
  size_t p = last_address.rfind('.');
  if (p == std::string::npos) return last_address;
  return last_address.substr(0, p + 1) + "0";
}
