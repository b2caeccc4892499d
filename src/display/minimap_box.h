#pragma once
// The minimap (a 96 by 96 overview of the level around the player, painted
// from a grid of cell categories) and the aux box (text lines that client
// scripts fill, with colour escapes).
//
// Categories, the window, its fit in the box and the aux box escapes are
// plain code; the drawing takes the bitmaps, fonts and figures it needs.

#include <cstdint>
#include <string>
#include <vector>

#include "display/message_box.h"
#include "world/cmap.h"

struct BITMAP;
struct FONT;
class Tiles;
struct TrackedCreature;

// ---- Minimap -----------------------------------------------------------------

constexpr int MINIMAP_BOX = 96;

enum MinimapCategory : uint8_t {
  MINIMAP_UNSET = 0,
  MINIMAP_GROUND = 1,
  MINIMAP_BLOCKING = 2,
  MINIMAP_WET = 3,
  MINIMAP_LAVA = 4,
  MINIMAP_WALL = 5,
  MINIMAP_FOREST = 6,
  MINIMAP_VOID = 7,
};

// The category of a cell from what is known of it; the first test that holds
// decides, in the order blocking, wet, tile 220, wall, tile 64, tiles 221,
// 225 and 240.
int minimap_category(int tile, bool blocking, bool wet, bool wall);
// The colour of a category; false for an unset cell.
bool minimap_category_rgb(int category, Rgb& out);

// The category of every cell, indexed [x][y], and the level they were
// drawn on.
class MinimapGrid {
 public:
  // Unsets every cell and forgets the level: the grid is saved nowhere
  // until it is started for a level.
  void clear();
  // A clear grid for `level` (-1: no level, saved nowhere).
  void start(int level);
  // Unsets every cell; the grid stays the one of its level.
  void clear_cells();
  // Classifies every cell of the level.
  void build(const CMap& map, const Tiles& tiles);
  // Marks one cell seen, classified by the tile the caller drew there (a
  // tile of no category as ground); cells off the grid are ignored.
  void set_cell(const CMap& map, const Tiles& tiles, int x, int y, int tile);
  uint8_t get(int x, int y) const;
  uint8_t (&operator[](int x))[CMAP_MAX_SIZE] { return cells[x]; }

  uint8_t cells[CMAP_MAX_SIZE][CMAP_MAX_SIZE] = {};
  // The cells are saved only under the level they were drawn on; -1 none.
  int level = -1;
};

// A rectangle of cells, x2 and y2 excluded; empty unless x1 < x2 and y1 < y2.
struct CellRect {
  int x1 = 9999, y1 = 9999, x2 = -1, y2 = -1;
  bool empty() const { return x2 <= x1 || y2 <= y1; }
};

// What the minimap may show of the level: the bounding box of the player's
// region, or the level's open bounds when the player is in no region (0) or
// off the map (-1). Clipped to the grid.
CellRect minimap_bounds(const CMap& map, int region);

// The window of at most span by span cells around the player within the bounds.
struct MinimapWindow {
  int left = 0, top = 0, w = 0, h = 0;
  bool empty() const { return w <= 0 || h <= 0; }
};
MinimapWindow minimap_window(int px, int py, const CellRect& bounds, int span);

// Where the window lands in the 96 by 96 box: the whole box once the window
// is wider and taller than 47 cells, else stretched keeping its proportions.
struct BoxFit {
  bool whole = false;
  int x = 0, y = 0, w = 0, h = 0;  // relative to the box
};
BoxFit minimap_fit(const MinimapWindow& window);

// The minimap's two spans in cells, stepped by CTRL with the Stats key.
constexpr int MINIMAP_SPAN_NEAR = 48;
constexpr int MINIMAP_SPAN_FAR = 96;

struct MinimapDraw {
  BITMAP* dest = nullptr;
  BITMAP* minimap_bitmap = nullptr;  // at least CMAP_MAX_SIZE square, one pixel per cell
  FONT* names_font = nullptr;
  int box_x = 0, box_y = 0;          // (input width + 2, play height)
  int span = MINIMAP_SPAN_NEAR;
};
// Paints the minimap box for the player at (px, py) on `level`.
void draw_minimap(const MinimapGrid& grid, const CMap& map, int px, int py, int level,
                  const std::vector<TrackedCreature>& tracked, const MinimapDraw& how);

// ---- Aux box -----------------------------------------------------------------

constexpr int AUXBOX_TOP = 454;
constexpr int AUXBOX_MIN_SCREEN_H = 464;

// Lines that fit below the side panel: (screen height - 454) / 10, never negative.
int auxbox_height(int screen_h);
// Characters that fit on a line of the box, which is drawn from 9 pixels into
// the PANEL_WIDTH pixels of the lower panel at 8 pixels a character.
int auxbox_width(int screen_w, int panel_x);

struct AuxChar {
  char ch;
  int column;
  Rgb colour;
};
// The characters of one line with their colours; "{rgb}" and "{rrggbb}"
// (hexadecimal) set `colour`, which carries on to the next line.
std::vector<AuxChar> layout_aux_line(const std::string& line, Rgb& colour);

class AuxBox {
 public:
  // Resizes to the height of the screen and empties every line.
  void reset(int screen_h);
  // Sets line i; indexes outside the box change nothing.
  void set_line(int i, const std::string& text);
  // Empties every line, on screens tall enough to show the box.
  void clear(int screen_h);
  void draw(BITMAP* bmp, int panel_x, int screen_h) const;

  std::vector<std::string> lines;
};
