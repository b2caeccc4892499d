// mkassets: writes the game's pictures and fonts into a pics/ directory.
//
//   mkassets OUTDIR [DAT_TOOL]
//
// OUTDIR/pics/ receives the tile sheets (16-pixel "btiles2N.png" and
// 32-pixel "btiles2N.32.png"), the overlay, the special sheet, the skin,
// title, book and help pictures, card art under cards/, and, when the path
// of Allegro's `dat` tool is given, the five font datafiles. Everything is
// drawn from fixed seeds, so the output is the same on every run.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "art.h"
#include "glyphs.h"

namespace {

using mk::Image;
using mk::Tile;

constexpr int PER_ROW = 16;

// Lays pictures out 16 to a row; the last row is padded with empty cells.
Image sheet(const std::vector<Tile>& tiles) {
  int rows = static_cast<int>((tiles.size() + PER_ROW - 1) / PER_ROW);
  Image s(PER_ROW * mk::CELL, rows * mk::CELL);
  for (size_t i = 0; i < tiles.size(); ++i)
    s.blit(tiles[i].img, static_cast<int>(i % PER_ROW) * mk::CELL, static_cast<int>(i / PER_ROW) * mk::CELL);
  return s;
}

bool run(const std::vector<std::string>& args) {
  pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    // The tool chats on stdout; keep the build output quiet.
    if (std::freopen("/dev/null", "w", stdout) == nullptr) _exit(126);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool make_font(mk::FontKind kind, const std::string& pics, const std::string& dat_tool) {
  mk::FontSpec spec = mk::font_spec(kind);
  std::string dir = pics + "/.glyphs_" + spec.name;
  mkdir(dir.c_str(), 0755);
  // The grabber names the object after the file: g.bmp becomes G_BMP.
  std::string bmp = dir + "/g.bmp";
  std::string out = pics + "/" + spec.name + ".dat";
  std::remove(out.c_str());
  bool ok = mk::write_glyph_grid(kind, bmp) && run({dat_tool, "-a", "-t", "FONT", out, bmp}) &&
            run({dat_tool, out, "G_BMP", std::string("NAME=") + spec.name});
  std::remove(bmp.c_str());
  rmdir(dir.c_str());
  if (!ok) std::fprintf(stderr, "mkassets: could not make %s\n", out.c_str());
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: mkassets OUTDIR [DAT_TOOL]\n");
    return 2;
  }
  std::string pics = std::string(argv[1]) + "/pics";
  mkdir(argv[1], 0755);
  mkdir(pics.c_str(), 0755);
  mkdir((pics + "/cards").c_str(), 0755);
  bool ok = true;
  auto save = [&](const std::string& name, const Image& img) {
    if (!mk::write_png(pics + "/" + name, img)) {
      std::fprintf(stderr, "mkassets: could not write %s/%s\n", pics.c_str(), name.c_str());
      ok = false;
    }
  };

  std::vector<std::vector<Tile>> sheets = {mk::terrain_tiles(), mk::item_tiles(), mk::figure_tiles()};
  for (int n = 3; n <= 8; ++n) sheets.push_back(mk::extra_tiles(n));
  for (size_t n = 0; n < sheets.size(); ++n) {
    Image s = sheet(sheets[n]);
    save("btiles2" + std::to_string(n) + ".32.png", s);
    save("btiles2" + std::to_string(n) + ".png", s.halved());
  }
  save("overlay.png", mk::overlay_sheet().halved());
  save("special.png", mk::special_picture());
  save("bg_t2.png", mk::skin_picture());
  save("title.png", mk::title_picture());
  save("titlebg.png", mk::title_background());
  save("book.png", mk::book_picture());
  save("help.png", mk::help_picture());
  save("cards/heron.png", mk::card_picture("heron"));

  if (argc >= 3)
    for (mk::FontKind k : {mk::FontKind::Main, mk::FontKind::Names, mk::FontKind::Menu, mk::FontKind::Runes,
                           mk::FontKind::Book})
      ok = make_font(k, pics, argv[2]) && ok;
  return ok ? 0 : 1;
}
