#pragma once
// A colour as red, green and blue 0..255, before it is turned into a value
// of the screen's colour depth. White unless given.

struct Rgb {
  int r = 255, g = 255, b = 255;
  bool operator==(const Rgb&) const = default;
};
