// The procedural pictures: every tile, figure, item and screen picture is
// drawn at 32 pixels per cell by these functions.
#pragma once

#include <string>
#include <vector>

#include "raster.h"

namespace mk {

constexpr int CELL = 32;

// One picture of a tile sheet with the name that the contact sheet and the
// tests use.
struct Tile {
  std::string name;
  Image img;
};

// Terrain pictures in sheet order (first sheet).
std::vector<Tile> terrain_tiles();
// Item pictures in object-picture order (second sheet).
std::vector<Tile> item_tiles();
// Player figures, creatures and mounted figures (third sheet).
std::vector<Tile> figure_tiles();
// Furniture and terrain variants for the remaining sheets; `sheet` 3..8.
std::vector<Tile> extra_tiles(int sheet);

// Paper-doll and status overlay sheet: 8 columns by OVERLAY_ROWS rows of 32
// pixels (written at half size).
constexpr int OVERLAY_ROWS = 24;
Image overlay_sheet();

Image special_picture();
Image skin_picture();
Image title_picture();
Image title_background();
Image book_picture();
Image help_picture();
Image card_picture(const std::string& name);

}  // namespace mk
