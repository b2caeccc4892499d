#pragma once
// Ordered key=value settings store, read from and written back to a text file.

#include <cstdint>
#include <map>
#include <string>

// Keys compare byte by byte as unsigned characters ("B" < "a" < "ab").
struct ConfigKeyLess {
  bool operator()(const std::string& a, const std::string& b) const;
};

class ConfigFile {
 public:
  ConfigFile();
  explicit ConfigFile(const std::string& file_name);

  void set_file_name(const std::string& name);
  std::string get_file_name() const;

  // 0 loaded, 1 file missing (the table keeps what it held).
  int load();
  // Writes the whole table through a temporary file renamed over the target,
  // so that a full disk leaves the old file whole. Where no temporary can be
  // made or renamed (a read-only folder, a file mounted on its own) the file
  // is rewritten in place. 0 saved; non-zero (logged) when nothing was saved.
  int save();
  // Rewrites every line of one key in the file, leaving the rest as it is.
  void save_key(const std::string& key, const std::string& value);

  bool has_key(const std::string& key) const;
  void erase_key(const std::string& key);
  std::string get_keys_with_prefix(const std::string& prefix) const;

  int set(const std::string& key, const std::string& value);
  int set_int(const std::string& key, int value);
  int add_int(const std::string& key, int n);
  int subtract_int(const std::string& key, int n);

  std::string get(const std::string& key) const;
  // Decimal as strtol reads it; 0 when absent or not a number; values beyond
  // the int range saturate at INT_MIN/INT_MAX.
  int get_int(const std::string& key) const;
  bool get_bool(const std::string& key) const;
  uint64_t get_hex(const std::string& key) const;
  float get_float(const std::string& key) const;

  const std::map<std::string, std::string, ConfigKeyLess>& entries() const { return entries_; }

 private:
  int save_in_place(const std::string& text);

  std::map<std::string, std::string, ConfigKeyLess> entries_;
  std::string file_name_;
};

extern ConfigFile client_cfg;  // "client.cfg": the user's settings
extern ConfigFile common_cfg;  // "dat/common.cfg": game-wide constants
