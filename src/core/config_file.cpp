#include "core/config_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/log.h"
#include "core/string_utils.h"
#include "core/utils.h"

namespace {

// Flushes the data to disk and closes; false when any write went wrong.
bool finish_file(FILE* f) {
  bool ok = fflush(f) == 0 && !ferror(f);
  if (ok && fsync(fileno(f)) != 0) ok = false;
  if (fclose(f) != 0) ok = false;
  return ok;
}

}  // namespace

bool ConfigKeyLess::operator()(const std::string& a, const std::string& b) const {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  int c = n ? memcmp(a.data(), b.data(), n) : 0;
  if (c != 0) return c < 0;
  return a.size() < b.size();
}

ConfigFile::ConfigFile() = default;

ConfigFile::ConfigFile(const std::string& file_name) : file_name_(file_name) {}

void ConfigFile::set_file_name(const std::string& name) { file_name_ = name; }

std::string ConfigFile::get_file_name() const { return file_name_; }

int ConfigFile::load() {
  FunctionTrace ft("ConfigFile::load");
  FILE* f = fopen(file_name_.c_str(), "r");
  if (!f) {
    printf("configfile %s not found!\n", file_name_.c_str());
    return 1;
  }
  // Built aside: a file that opens but cannot be read (a directory, an I/O
  // error) must leave the table as it was, like a missing one.
  std::map<std::string, std::string, ConfigKeyLess> loaded;
  std::string line;
  while (read_line(f, line)) {
    std::string t = trim2(line, false);
    if (t.empty() || t[0] == ';' || t[0] == '#') continue;
    size_t eq = t.find('=');
    if (eq == std::string::npos) continue;
    loaded[t.substr(0, eq)] = t.substr(eq + 1);
  }
  bool read_ok = !ferror(f);
  fclose(f);
  if (!read_ok) {
    printf("configfile %s not found!\n", file_name_.c_str());
    return 1;
  }
  entries_.swap(loaded);
  return 0;
}

int ConfigFile::save() {
  FunctionTrace ft("ConfigFile::save");
  std::string text;
  for (const auto& [key, value] : entries_) {
    text += key;
    text += '=';
    text += value;
    text += '\n';
  }
  // The old file stays whole until the new one is complete on disk.
  const std::string tmp = file_name_ + ".tmp";
  if (FILE* f = fopen(tmp.c_str(), "w")) {
    fwrite(text.data(), 1, text.size(), f);
    if (!finish_file(f)) {
      writelog("configfile %s could not be saved: write error", file_name_.c_str());
      remove(tmp.c_str());
      return 1;
    }
    if (rename(tmp.c_str(), file_name_.c_str()) == 0) return 0;
    remove(tmp.c_str());
  }
  return save_in_place(text);
}

int ConfigFile::save_in_place(const std::string& text) {
  // Not truncated first: rewriting the blocks the file already holds needs
  // no free space, and the file is cut to the new length only at the end.
  int fd = open(file_name_.c_str(), O_WRONLY | O_CREAT, 0666);
  if (fd < 0) {
    writelog("configfile %s could not be saved: %s", file_name_.c_str(), strerror(errno));
    return 1;
  }
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  bool ok = done == text.size() && ftruncate(fd, static_cast<off_t>(text.size())) == 0 &&
            fsync(fd) == 0;
  if (close(fd) != 0) ok = false;
  if (!ok) {
    writelog("configfile %s could not be saved: write error", file_name_.c_str());
    return 1;
  }
  return 0;
}

void ConfigFile::save_key(const std::string& key, const std::string& value) {
  FunctionTrace ft("ConfigFile::save_key");
  FILE* in = fopen(file_name_.c_str(), "r");
  if (!in) return;
  FILE* out = fopen("tmp", "w");
  if (!out) {
    fclose(in);
    return;
  }
  std::string line;
  std::vector<std::string> parts;
  while (read_line(in, line)) {
    split(line, "=", parts);
    if (parts[0] == key) {
      fwrite(key.data(), 1, key.size(), out);
      fputc('=', out);
      fwrite(value.data(), 1, value.size(), out);
    } else {
      fwrite(line.data(), 1, line.size(), out);
    }
    fputc('\n', out);
  }
  bool read_ok = !ferror(in);
  fclose(in);
  if (!finish_file(out) || !read_ok) {
    writelog("configfile %s: key %s could not be saved", file_name_.c_str(), key.c_str());
    remove("tmp");
    return;
  }
  // rename replaces the target in one step, so there is never a moment
  // without the file.
  if (rename("tmp", file_name_.c_str()) != 0) {
    writelog("configfile %s: key %s could not be saved: %s", file_name_.c_str(), key.c_str(),
             strerror(errno));
    remove("tmp");
  }
}

bool ConfigFile::has_key(const std::string& key) const { return entries_.count(key) != 0; }

void ConfigFile::erase_key(const std::string& key) { entries_.erase(key); }

std::string ConfigFile::get_keys_with_prefix(const std::string& prefix) const {
  std::string result;
  bool first = true;
  for (const auto& kv : entries_) {
    const std::string& k = kv.first;
    if (k.size() < prefix.size() || k.compare(0, prefix.size(), prefix) != 0) continue;
    if (!first) result += "::";
    result += k;
    first = false;
  }
  return result;
}

int ConfigFile::set(const std::string& key, const std::string& value) {
  entries_[key] = value;
  return 0;
}

int ConfigFile::set_int(const std::string& key, int value) {
  entries_[key] = std::to_string(value);
  return 0;
}

int ConfigFile::add_int(const std::string& key, int n) {
  // Wraps like 32-bit arithmetic instead of overflowing.
  return set_int(key, (int)((unsigned)get_int(key) + (unsigned)n));
}

int ConfigFile::subtract_int(const std::string& key, int n) {
  return set_int(key, (int)((unsigned)get_int(key) - (unsigned)n));
}

std::string ConfigFile::get(const std::string& key) const {
  auto it = entries_.find(key);
  return it == entries_.end() ? std::string() : it->second;
}

int ConfigFile::get_int(const std::string& key) const {
  std::string v = get(key);
  if (v.empty()) return 0;
  return bounded_int<int>(strtol(v.c_str(), nullptr, 10));
}

bool ConfigFile::get_bool(const std::string& key) const { return get_int(key) != 0; }

uint64_t ConfigFile::get_hex(const std::string& key) const {
  std::string v = get(key);
  if (v.empty()) return 0;
  return strtoull(v.c_str(), nullptr, 16);
}

float ConfigFile::get_float(const std::string& key) const {
  std::string v = get(key);
  if (v.empty()) return 0.0f;
  return strtof(v.c_str(), nullptr);
}

ConfigFile client_cfg("client.cfg");
ConfigFile common_cfg("dat/common.cfg");
