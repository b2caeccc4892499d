// Writes the fixture pictures the client needs to start into a pics
// directory, keeping any file already there: fixture_art_tool PICS_DIR.

#include <cerrno>
#include <cstdio>

#include "unit/display/fixture_art.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s PICS_DIR\n", argv[0]);
    return 2;
  }
  if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) return 1;
  return fixture_art::write_minimal_set(argv[1]) ? 0 : 1;
}
