#pragma once
// A fresh temporary directory that the test works in: the program uses fixed
// relative paths, so each test changes into its own directory and back.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/zibtest.XXXXXX";
    char* p = mkdtemp(tmpl);
    if (!p) std::abort();
    path_ = p;
    old_ = std::filesystem::current_path();
    std::filesystem::current_path(path_);
    live().emplace_back(getpid(), path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::current_path(old_, ec);
    std::filesystem::remove_all(path_, ec);
    auto& l = live();
    l.erase(std::remove(l.begin(), l.end(), std::make_pair(getpid(), path_)), l.end());
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

  // Writes a file relative to the directory, creating folders on the way.
  static void write(const std::string& rel, const std::string& content) {
    std::filesystem::path p(rel);
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << content;
  }
  static std::string read(const std::string& rel) {
    std::ifstream in(rel, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // Copies a file or folder of the source tree's gamedata/ into the directory.
  static void copy_gamedata(const std::string& rel) {
    std::filesystem::path src = std::filesystem::path(ZIB_SOURCE_DIR) / "gamedata" / rel;
    std::filesystem::path dst(rel);
    if (dst.has_parent_path()) std::filesystem::create_directories(dst.parent_path());
    std::filesystem::copy(src, dst, std::filesystem::copy_options::recursive |
                                        std::filesystem::copy_options::overwrite_existing);
  }

 private:
  // The directories of this process still in use, by the process that made
  // them. A process that ends inside a test (a death test's child calls
  // exit) runs no destructor: its directories go at its exit instead, and a
  // forked child leaves its parent's alone.
  using Live = std::vector<std::pair<pid_t, std::filesystem::path>>;
  static Live& live() {
    static Live* l = [] {
      std::atexit(remove_live);
      return new Live;
    }();
    return *l;
  }
  static void remove_live() {
    std::error_code ec;
    for (const auto& [pid, path] : live())
      if (pid == getpid()) std::filesystem::remove_all(path, ec);
  }

  std::filesystem::path path_, old_;
};
