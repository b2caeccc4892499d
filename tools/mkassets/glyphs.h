// Pixel fonts of our own: the letters and the runes.
#pragma once

#include <string>

namespace mk {

enum class FontKind { Main, Names, Menu, Runes, Book };

struct FontSpec {
  const char* name;  // object name inside the datafile, also the file stem
  int w, h;          // glyph box
};

FontSpec font_spec(FontKind kind);
// Whether pixel (x, y) of the box of character ch is ink.
bool glyph_pixel(FontKind kind, int ch, int x, int y);
// 8-bit glyph grid of characters 32..126, 16 to a row, boxes separated by
// index 255, background 0, ink 1.
bool write_glyph_grid(FontKind kind, const std::string& path);

}  // namespace mk
