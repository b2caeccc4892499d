#pragma once
// A small item world for the item tests: two classes, three weapon skills,
// two spells and a handful of item files written into a fresh directory.

#include <string>

#include "app/globals.h"
#include "support/temp_dir.h"

namespace item_test {

inline std::string tabs(std::initializer_list<std::string> cols) {
  std::string s;
  bool first = true;
  for (const std::string& c : cols) {
    if (!first) s += "\t";
    s += c;
    first = false;
  }
  return s + "\n";
}

// Spell lines: id, name, display name, function, requirement, level, circle,
// class keys, pool, skill, minimum skill, cost, cool-off, targeting, needs a
// target, item, parameters, sound, effect number, extra flag.
inline std::string spell(const std::string& id, const std::string& name, const std::string& shown,
                         int level, int circle, const std::string& targeting) {
  return tabs({id, name, shown, "sp_" + name, "", std::to_string(level), std::to_string(circle), "wm", "m",
               "Blades", "0", "5", "1000", targeting, "n", "0", "", "", "1", "n"});
}

struct ItemWorld {
  TempDir dir;

  // Files not given get small defaults; an empty text leaves a file out.
  explicit ItemWorld(const std::string& weapons, const std::string& wearable = "",
                     const std::string& misc = "", const std::string& named = "",
                     const std::string& extra_cfg = "") {
    // A fresh table: a reload keeps the creature names it had.
    wl = ItemData();
    TempDir::write("dat/common.cfg",
                   "stats=strength,dexterity,intelligence\nstat_key=s,d,i\nskill_SK_UNARMED=0\n"
                   "quest_item_start=4c0\nquest_item_end=4cf\nlevel_req_multiplier=1.0\n"
                   "si_Blades=1.25\nenchant_2=1\n" + extra_cfg);
    common_cfg.load();
    TempDir::write("dat/skills.txt", "Unarmed\tu\tstrength\nBlades\tb\tstrength\nBows\to\tdexterity\n");
    TempDir::write("dat/classes.txt", "Warden\tw\t\tr\th\nMage\tm\t\tm\tl\n");
    TempDir::write("dat/races.txt", "Folk\twm\t100\t100\t100\t0\t0\t100\t100\t100\t100\t100\t100\t100\t100\t100"
                                    "\t100\tY\t\"0\"\t\"1\"\t\"Valley folk.\"\n");
    sc.load();
    TempDir::write("dat/spells.txt", spell("1", "if", "Kindle", 2, 2, "directional") +
                                         spell("2", "ah", "Mend", 3, 3, "none"));
    spells.load();
    TempDir::write("dat/mtiles.txt", "46 4 0 0 0 a_grass_patch Short_grass.\n35 1 1 1 -1 Wall Grey_stone.\n");
    tiledata.load();
    TempDir::write("dat/materials.txt",
                   "1\tY\tN\tbbc\tsteel\tsteel\tsteel\tsteel-shod\n"
                   "2\tN\tN\t777\tiron\n"
                   "3\tY\tY\tc73\tcopper\n"
                   "6\tY\tY\tddf\tsilver\n"
                   "100\t-\t-\t-\tHale\tHa\n"
                   "700\t-\t-\t-\tAncient\t\n");
    if (!weapons.empty()) TempDir::write("dat/weapons.txt", weapons);
    if (!wearable.empty()) TempDir::write("dat/wearable.txt", wearable);
    if (!misc.empty()) TempDir::write("dat/misc.txt", misc);
    if (!named.empty()) TempDir::write("dat/named.txt", named);
    wl.reload();
  }
  std::string log() const { return TempDir::read("cl_log.txt"); }
};

// A default set: a sword, a bow, armour, a ring, a scroll and a recipe.
inline const char* WEAPONS =
    "181 m s Blades short_blade m 1d6 1 40 w 2.0 2.0 wm 0 1\n"
    "182 b p Bows hill_bow w 1d8 2 60 w 1.5 2.5 w 1a0 2\n"
    "184 m b Polearms yew_pike w 2d4 2 80 w 3.0 4.0 w 0 3\n";
inline const char* WEARABLE =
    "183 round_shield a s 2 30 m w a 4.0 wm 3\n"
    "1b1 iron_helm an h 3 50 h m a 2.5 w 5\n"
    "1b2 leather_coat a a 4 35 l l a 3.0 wm 6\n"
    "1b6 work_gloves some g 1 8 l l a 0.4 wm 10\n"
    "1b8 plain_ring a r 0 25 a m j 0.1 wm -1\n";
inline const char* MISC =
    "11e scroll x 20 x m c 0 0.1 r\n"
    "5d6 recipe x 30 x m c 0 0.1 r\n"
    "16e tile_token token 0 X x x 0 0 n\n"
    "1c0 oak_staff:an x 5 x g w 0 1.0 n\n";

}  // namespace item_test
