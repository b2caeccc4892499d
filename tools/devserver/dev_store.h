#pragma once
// The development server's accounts and characters, kept as key=value files in
// its own directory: "accounts.cfg" (account=password, or password:banned),
// and one "chars/<name>.cfg" per character.

#include <string>

struct DevCharacter {
  std::string name;
  std::string account;
  char gender = 'M';
  int race = 0;
  int cls = 0;
  int avatar = 0;
  int x = 5, y = 5, level = 1;
  int id = 0;
};

class DevStore {
 public:
  // Loads the accounts; creates the sample account "demo"/"demo" with its
  // character "Demo" when the directory holds none. 0 ok.
  int open();
  bool account_exists(const std::string& account) const;
  bool password_ok(const std::string& account, const std::string& password) const;
  bool banned(const std::string& account) const;
  bool character_exists(const std::string& name) const;
  // 0 loaded, 1 missing.
  int load_character(const std::string& name, DevCharacter& c) const;
  // 0 saved.
  int save_character(const DevCharacter& c) const;

 private:
  std::string account_value(const std::string& account) const;
};
