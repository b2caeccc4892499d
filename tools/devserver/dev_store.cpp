#include "dev_store.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "core/config_file.h"
#include "core/skills_classes.h"
#include "core/string_utils.h"
#include "world/item_list.h"
#include "world/player.h"

namespace {
constexpr const char* ACCOUNTS_FILE = "accounts.cfg";
constexpr const char* BANNED_SUFFIX = ":banned";

std::string owner_file(const std::string& name) { return std::string(DEV_CHARS_DIR) + name + ".cfg"; }
std::string chest_file(const Player& p) { return std::string(DEV_CHARS_DIR) + p.name + ".chest"; }

// A number of the owner record, or `missing` when it has none.
int owner_int(const ConfigFile& f, const char* key, int missing) {
  std::string v = f.get(key);
  return v.empty() ? missing : to_int(v);
}

void make_player(const DevNewCharacter& n, Player& p) {
  p.mknew(n.id, n.name, format_str("%x", n.avatar), std::to_string(n.cls), std::string(1, n.gender),
          std::to_string(n.race));
  p.x = static_cast<int16_t>(DEV_START_X);
  p.y = static_cast<int16_t>(DEV_START_Y);
  p.map_level = static_cast<int16_t>(DEV_START_LEVEL);
  // The maxima depend on the race, which is set after they were first taken.
  p.hp = p.get_hp_max();
  if (p.mana != 0) p.mana = static_cast<int16_t>(p.get_mana_max());
}
}  // namespace

int DevStore::open() {
  std::error_code ec;
  std::filesystem::create_directories(DEV_CHARS_DIR, ec);
  if (!std::filesystem::exists(ACCOUNTS_FILE)) {
    ConfigFile accounts(ACCOUNTS_FILE);
    accounts.set("demo", "demo");
    if (accounts.save() != 0) return 1;
    DevNewCharacter demo;
    demo.name = "Demo";
    demo.account = "demo";
    demo.id = 1;
    demo.avatar = 0x200;  // the first figure of the first race
    // A Mage: the sample character has the mana for the spells it knows.
    demo.cls = std::max(0, sc.get_class_nr('m'));
    DevCharacter c;
    Player p;
    if (create_character(demo, c, p) != 0) return 1;
  }
  return 0;
}

std::string DevStore::account_value(const std::string& account) const {
  ConfigFile accounts(ACCOUNTS_FILE);
  accounts.load();
  return accounts.get(account);
}

bool DevStore::password_ok(const std::string& account, const std::string& password) const {
  std::string v = account_value(account);
  size_t colon = v.find(':');
  return !v.empty() && v.substr(0, colon) == password;
}

bool DevStore::banned(const std::string& account) const {
  std::string v = account_value(account);
  return v.size() > std::string(BANNED_SUFFIX).size() &&
         v.compare(v.size() - std::string(BANNED_SUFFIX).size(), std::string::npos, BANNED_SUFFIX) == 0;
}

bool DevStore::character_exists(const std::string& name) const {
  return std::filesystem::exists(owner_file(name));
}

int DevStore::load_character(const std::string& name, DevCharacter& c, Player& p) const {
  ConfigFile f(owner_file(name));
  if (f.load() != 0) return 1;
  c.name = name;
  c.account = f.get("account");
  c.id = owner_int(f, "id", 0);
  p.reset();
  p.name = name;
  if (!std::filesystem::exists(p.file_path(DEV_CHARS_DIR))) {
    // An owner record from before the character files: it held the few
    // values the server kept then.
    DevNewCharacter n;
    n.name = name;
    n.account = c.account;
    n.id = c.id;
    std::string g = f.get("gender");
    n.gender = g.empty() ? 'M' : g[0];
    n.race = owner_int(f, "race", 0);
    n.cls = owner_int(f, "class", 0);
    n.avatar = static_cast<unsigned>(owner_int(f, "avatar", 0));
    make_player(n, p);
    p.x = static_cast<int16_t>(owner_int(f, "x", DEV_START_X));
    p.y = static_cast<int16_t>(owner_int(f, "y", DEV_START_Y));
    p.map_level = static_cast<int16_t>(owner_int(f, "level", DEV_START_LEVEL));
    return save_player(p) == 0 ? 0 : 2;
  }
  if (p.load(name, DEV_CHARS_DIR) != 0) return 2;
  // The file does not hold the creature number: the owner record does.
  p.set_id_speed(c.id);
  p.account_name = c.account;
  return 0;
}

int DevStore::create_character(const DevNewCharacter& n, DevCharacter& c, Player& p) const {
  c.name = n.name;
  c.account = n.account;
  c.id = n.id;
  make_player(n, p);
  p.account_name = n.account;
  if (save_player(p) != 0) return 1;
  return save_owner(c);
}

int DevStore::save_player(Player& p, const ItemList& pack) const { return p.save(pack, DEV_CHARS_DIR); }

int DevStore::load_things(const Player& p, ItemList& pack, ItemList& chest) const {
  pack.clear();
  chest.clear();
  if (chest.load(chest_file(p)) != 0) return 1;
  return pack.load(p.file_path(DEV_CHARS_DIR)) == 0 ? 0 : 1;
}

int DevStore::save_chest(const Player& p, const ItemList& chest) const {
  FILE* f = std::fopen(chest_file(p).c_str(), "w");
  if (!f) return 1;
  for (const ItemListEl* e = chest.first; e; e = e->next)
    std::fprintf(f, "ITEM=%s %ld\n", e->item.str(true).c_str(), static_cast<long>(e->qty));
  return std::fclose(f) == 0 ? 0 : 1;
}

int DevStore::save_owner(const DevCharacter& c) const {
  ConfigFile f(owner_file(c.name));
  f.set("account", c.account);
  f.set_int("id", c.id);
  return f.save();
}
