#pragma once
// The development server's accounts and characters, kept in its own
// directory: "accounts.cfg" (account=password, or password:banned), one
// "chars/<name>.cfg" per character naming its account and number, the
// character itself with its pack in its character file "chars/<name>.plr",
// and the market's chest as that character left it in "chars/<name>.chest".

#include <string>

#include "world/item_list.h"

class Player;

constexpr const char* DEV_CHARS_DIR = "chars/";
// Where a new character stands on the sample level.
constexpr int DEV_START_X = 5, DEV_START_Y = 5, DEV_START_LEVEL = 1;

// Which account a character belongs to, and its creature number.
struct DevCharacter {
  std::string name;
  std::string account;
  int id = 0;
};

// What a new character is made of.
struct DevNewCharacter {
  std::string name, account;
  char gender = 'M';
  int race = 0, cls = 0;
  unsigned avatar = 0;
  int id = 0;
};

class DevStore {
 public:
  // Loads the accounts; creates the sample account "demo"/"demo" with its
  // character "Demo" when the directory holds none. 0 ok.
  int open();
  bool password_ok(const std::string& account, const std::string& password) const;
  bool banned(const std::string& account) const;
  bool character_exists(const std::string& name) const;
  // The owner record and the character file. 0 loaded, 1 missing, 2 the
  // character file is unreadable. A character stored before the server kept
  // character files gets one made from its owner record.
  int load_character(const std::string& name, DevCharacter& c, Player& p) const;
  // Makes a new character, writes its owner record and character file. 0 saved.
  int create_character(const DevNewCharacter& n, DevCharacter& c, Player& p) const;
  // Writes the character file with the pack (banked items carry the banked
  // bit: the bank vault is part of it). 0 saved.
  int save_player(Player& p, const ItemList& pack = ItemList()) const;
  // The pack of the character file and the chest. 0 loaded; 1 none was
  // stored (the chest is stored with the first pack): a character new to
  // the market, who gets its first kit.
  int load_things(const Player& p, ItemList& pack, ItemList& chest) const;
  // Writes the chest, in the lines the character file holds its pack in. 0 saved.
  int save_chest(const Player& p, const ItemList& chest) const;

 private:
  std::string account_value(const std::string& account) const;
  int save_owner(const DevCharacter& c) const;
};
