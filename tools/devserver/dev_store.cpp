#include "dev_store.h"

#include <filesystem>

#include "core/config_file.h"

namespace {
constexpr const char* ACCOUNTS_FILE = "accounts.cfg";
constexpr const char* CHARS_DIR = "chars";
constexpr const char* BANNED_SUFFIX = ":banned";

std::string char_file(const std::string& name) { return std::string(CHARS_DIR) + "/" + name + ".cfg"; }
}  // namespace

int DevStore::open() {
  std::error_code ec;
  std::filesystem::create_directories(CHARS_DIR, ec);
  if (!std::filesystem::exists(ACCOUNTS_FILE)) {
    ConfigFile accounts(ACCOUNTS_FILE);
    accounts.set("demo", "demo");
    if (accounts.save() != 0) return 1;
    DevCharacter demo;
    demo.name = "Demo";
    demo.account = "demo";
    demo.id = 1;
    save_character(demo);
  }
  return 0;
}

std::string DevStore::account_value(const std::string& account) const {
  ConfigFile accounts(ACCOUNTS_FILE);
  accounts.load();
  return accounts.get(account);
}

bool DevStore::account_exists(const std::string& account) const {
  return !account_value(account).empty();
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
  return std::filesystem::exists(char_file(name));
}

int DevStore::load_character(const std::string& name, DevCharacter& c) const {
  ConfigFile f(char_file(name));
  if (f.load() != 0) return 1;
  c.name = name;
  c.account = f.get("account");
  std::string g = f.get("gender");
  c.gender = g.empty() ? 'M' : g[0];
  c.race = f.get_int("race");
  c.cls = f.get_int("class");
  c.avatar = f.get_int("avatar");
  c.x = f.get_int("x");
  c.y = f.get_int("y");
  c.level = f.get_int("level");
  c.id = f.get_int("id");
  return 0;
}

int DevStore::save_character(const DevCharacter& c) const {
  ConfigFile f(char_file(c.name));
  f.set("account", c.account);
  f.set("gender", std::string(1, c.gender));
  f.set_int("race", c.race);
  f.set_int("class", c.cls);
  f.set_int("avatar", c.avatar);
  f.set_int("x", c.x);
  f.set_int("y", c.y);
  f.set_int("level", c.level);
  f.set_int("id", c.id);
  return f.save();
}
