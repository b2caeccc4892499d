// Font datafiles can arrive from the server by file transfer into pics/:
// arbitrary bytes as one. A file the check passes must load as a font and
// draw every character without reading past its glyphs.

#include <allegro.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "display/font_file.h"

namespace {
char work_dir[] = "/tmp/zibfuzzfont.XXXXXX";
std::string font_path;

void remove_work_dir() {
  std::remove(font_path.c_str());
  rmdir(work_dir);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string& path = [] () -> const std::string& {
    install_allegro(SYSTEM_NONE, &errno, atexit);
    set_color_depth(32);
    if (!mkdtemp(work_dir)) std::abort();
    font_path = std::string(work_dir) + "/font.dat";
    std::atexit(remove_work_dir);
    return font_path;
  }();
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  if (check_font_datafile(path.c_str(), "font") != FONT_FILE_OK) return 0;
  DATAFILE* obj = load_datafile_object(path.c_str(), "font");
  if (!obj) std::abort();
  FONT* font_loaded = static_cast<FONT*>(obj->dat);
  BITMAP* page = create_bitmap(64, 64);
  char text[2] = {0, 0};
  for (int c = 32; c < 256; ++c) {
    text[0] = static_cast<char>(c);
    textout_ex(page, font_loaded, text, 0, 0, makecol(255, 255, 255), -1);
  }
  text_height(font_loaded);
  destroy_bitmap(page);
  unload_datafile_object(obj);
  return 0;
}
