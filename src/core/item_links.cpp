// The item table's window onto the spell, tile, skill and crop tables.

#include "core/crops.h"
#include "core/item_data.h"
#include "core/skills_classes.h"
#include "core/spells.h"
#include "core/tiles.h"

namespace item_links {

int spell_circle(int id) { return spells.get_circle(id); }
int spell_level(int id) { return spells.get_lvl(id); }
bool spell_valid(int id) { return spells.is_valid_id(id); }
bool spell_targets(int id) { return spells.is_directional(id) || spells.is_autotargeting(id); }
std::string spell_full_name(int id) { return spells.get_full_spell_name(id, false); }
std::string spell_name(int id) { return spells.get_spell_str(id); }
int class_count() { return sc.max_classes(); }
char class_key(int c) { return sc.get_short_classname(c); }
int skill_count() { return sc.max_skills(); }
std::string skill_name(int s) { return sc.get_skillname(s); }
std::string stat_name(int n) { return sc.get_stat_name(n); }
bool tile_valid(int n) { return tiledata.is_valid_tile(n); }
std::string tile_desc(int n) { return tiledata.get_desc(n); }
std::string tile_desc_details(int n) { return tiledata.get_desc_details(n); }
void copy_object_tile(int from, int to) {
  tiledata.copy_tile_entry(static_cast<unsigned>(from), static_cast<unsigned>(to));
}
std::string crop_name(int id) { return crops.get_crop_name(id); }

}  // namespace item_links
