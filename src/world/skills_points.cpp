// Skill accessors and class points: a class's points are the highest raw
// skill among its skills; a main class also counts its subclasses' skills.

#include <algorithm>

#include "core/log.h"
#include "core/skills_classes.h"
#include "world/player.h"

namespace {
bool valid_skill(int skill) { return skill >= 0 && skill < player_skill_count(); }
}  // namespace

void set_skill(Player& p, int skill, float value) {
  FunctionTrace trace("set_skill");
  trace.printf("%d=%f", skill, static_cast<double>(value));
  if (valid_skill(skill)) p.skills[skill] = bounded_figure(value);
}

float Player::get_raw_skill(int skill) const { return valid_skill(skill) ? skills[skill] : 0.0f; }

float Player::get_skill(int skill) const {
  return valid_skill(skill) ? skills[skill] + skill_bonuses[skill] : 0.0f;
}

float Player::get_total_skill_points(bool flagged_only) const {
  float total = 0.0f;
  for (int s = 0; s < player_skill_count(); ++s)
    if (!flagged_only || sc.is_skill_flagged(s)) total += skills[s];
  return total;
}

float Player::get_max_group_skill(int group) const {
  float best = 0.0f;
  for (int s = 0; s < player_skill_count(); ++s)
    if (sc.get_skill_group(s) == group) best = std::max(best, skills[s]);
  return best;
}

float Player::get_max_class_skill(int cls_nr) const {
  bool main_class = sc.is_base_class(cls_nr);
  float best = 0.0f;
  for (int s = 0; s < player_skill_count(); ++s)
    if (static_cast<uint16_t>(sc.get_skill_class(s, main_class)) == static_cast<uint16_t>(cls_nr))
      best = std::max(best, skills[s]);
  return best;
}

float get_total_subclass_pts(Player& p, int parent) {
  FunctionTrace trace("get total subclass pts");
  float total = 0.0f;
  for (int c = 0; c < sc.max_classes(); ++c) {
    if (sc.get_parent_class(c) != parent) continue;
    float cp = p.get_max_class_skill(c);
    total += cp;
    trace.printf("parent=%s cls=%s cp=%f subttl=%f", sc.get_classname(parent).c_str(),
                 sc.get_classname(c).c_str(), static_cast<double>(cp), static_cast<double>(total));
  }
  trace.printf("ttl=%f", static_cast<double>(total));
  return total;
}

float get_total_class_points(Player& p) {
  FunctionTrace trace("get_total_class_points");
  float total = 0.0f;
  for (int c = 0; c < sc.max_classes(); ++c) {
    if (!sc.is_base_class(c)) continue;
    float cp = p.get_max_class_skill(c);
    float scp = get_total_subclass_pts(p, c);
    float old = total;
    total += std::max(cp, scp);
    trace.printf("cls=%d cp=%f scp=%f oldttl=%f ttl=%f", c, static_cast<double>(cp),
                 static_cast<double>(scp), static_cast<double>(old), static_cast<double>(total));
  }
  return total;
}
