// A copy of the build's sample game directory in a temporary folder, made
// the working folder while it lives, with its tables loaded.

#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <initializer_list>

#include "app/globals.h"

class SampleGameCopy {
 public:
  // Copies `parts` of build/game (beside this program) and its client.cfg.
  // `ok()` is false when build/game lacks `needed`.
  SampleGameCopy(std::initializer_list<const char*> parts, const char* needed = "dat") {
    namespace fs = std::filesystem;
    char tmpl[] = "/tmp/zib_bench.XXXXXX";
    char* dir = mkdtemp(tmpl);
    if (!dir) std::abort();
    dir_ = dir;
    const fs::path game = fs::read_symlink("/proc/self/exe").parent_path() / "game";
    ok_ = fs::exists(game / needed);
    if (!ok_) return;
    for (const char* part : parts) fs::copy(game / part, dir_ / part, fs::copy_options::recursive);
    fs::copy(game / "client.cfg", dir_ / "client.cfg");
    old_ = fs::current_path();
    fs::current_path(dir_);
    client_cfg.load();
    common_cfg.load();
    sc.load();
    tiledata.load();
    wl.reload();
    spells.load();
  }
  ~SampleGameCopy() {
    std::error_code ec;
    if (!old_.empty()) std::filesystem::current_path(old_, ec);
    std::filesystem::remove_all(dir_, ec);
  }
  SampleGameCopy(const SampleGameCopy&) = delete;
  bool ok() const { return ok_; }

 private:
  std::filesystem::path dir_, old_;
  bool ok_ = false;
};
