#pragma once
// The map view's decisions, kept apart from its drawing: the per-frame view
// grids (light, lit, opaque, what stands on each cell), and the small pure
// rules the renderer applies (own light, light spreading, sight through the
// rings, who may be targeted, bar figures, particle colours). Everything here
// can be checked without a bitmap.

#include <cstdint>

#include "core/item.h"

// Cells across the largest view (radius 15).
constexpr int VIEW_GRID = 31;
// Light of a cell: base level at night, full daylight, and the thresholds.
constexpr int VIEW_LIGHT_FULL = 255;
constexpr int VIEW_LIGHT_NIGHT = 50;
constexpr int VIEW_LIGHT_DARK_BELOW = 31;
constexpr int VIEW_LIGHT_SHADED_ABOVE = 199;
// How far a party member may be for party targeting, and the ring limit
// within which creatures are targetable.
constexpr int VIEW_PARTY_REACH = 7;
constexpr int VIEW_TARGET_RINGS = 4;

// What the renderer does with a view cell.
enum ViewCellState : uint8_t {
  VIEW_CELL_BLACK = 0,  // hidden or unreachable: filled black
  VIEW_CELL_GREY,       // hidden but known: drawn grey
  VIEW_CELL_DARK,       // in sight but unlit: filled black
  VIEW_CELL_LIT,        // in sight and lit: drawn
};

struct ViewCell {
  int32_t frame = 0;
  uint8_t grey = 0;
  uint8_t dim = 0;
  Item item{-1L};
  uint8_t large = 0;
  uint16_t flags = 0;
};

struct ViewCreature {
  int32_t id = -1;
  int32_t hea = -1;
  int32_t align = 'n';
};

// One frame's decisions, indexed [i][j] by view cell.
struct ViewGrids {
  int32_t light[VIEW_GRID][VIEW_GRID];
  int32_t lit[VIEW_GRID][VIEW_GRID];
  int32_t opaque[VIEW_GRID][VIEW_GRID];
  ViewCell cell[VIEW_GRID][VIEW_GRID];
  ViewCreature creature[VIEW_GRID][VIEW_GRID];
  uint8_t state[VIEW_GRID][VIEW_GRID];
  uint8_t in_region[VIEW_GRID][VIEW_GRID];
  uint8_t draw_tile[VIEW_GRID][VIEW_GRID];  // the tile of a lit cell is drawn
  int32_t tile[VIEW_GRID][VIEW_GRID];       // the map tile to draw
};

// What one cell of the map layer (the tiles, grey areas and wall shadows
// under everything else of the normal view) was drawn from. A cell whose
// inputs are the same again is not drawn again: the drawing is a function of
// these and of the inputs every cell shares (MapLayerShared).
struct MapLayerCell {
  int32_t tile = -1;     // the map tile drawn
  int32_t under = -1;    // the map's underneath tile read for the cell
  int32_t anim = -1;     // the animation frame the picture used; -1 none
  uint8_t state = 0xFF;  // ViewCellState, MAP_LAYER_OWN_CELL, or 0xFF: not drawn
  uint8_t draw_tile = 0;
  uint8_t in_region = 0;
  uint8_t wall_sides = 0;  // bit n: wall side n casts a shadow
  bool same_inputs(const MapLayerCell& o) const {
    return tile == o.tile && under == o.under && state == o.state && draw_tile == o.draw_tile &&
           in_region == o.in_region && wall_sides == o.wall_sides;
  }
};
constexpr uint8_t MAP_LAYER_OWN_CELL = 4;

struct MapLayerShared {
  int radius = -1;
  bool dead = false;        // tiles drawn grey
  bool shade_grey = false;  // grey areas darkened (new lighting at night)
  bool connected = false;   // underneath tiles from the map, else the outside tile
  bool play_ready = false;
  bool operator==(const MapLayerShared&) const = default;
};

// What the frame shows instead of, or as, the map.
enum ViewKind : uint8_t {
  VIEW_KIND_NONE = 0,   // nothing decided yet
  VIEW_KIND_WAIT,       // the play window is not ready: messages only
  VIEW_KIND_HELP,
  VIEW_KIND_BOOK,
  VIEW_KIND_MAP,
  VIEW_KIND_PEERING,
  VIEW_KIND_BLACK,      // blind or asleep
  VIEW_KIND_MEDITATING,
  VIEW_KIND_NORMAL,
};

// ---- Pure rules --------------------------------------------------------------

// The player's own light: sight, plus at dusk and dawn a share of the radius
// on levels that daylight reaches, plus the moon. Kept wide so that a huge
// sight from the server cannot overflow.
int64_t own_light(int64_t sight, int hour, int minute, int radius, bool daylight_level,
                  int moon_phase);

// Adds a source of light l at view cell (ci, cj) to `light`: every view cell
// within l + 1 cells gains 255 - distance x 255 / (l + 1), capped at 255.
// Only the (2R+1) square of the view is visited, however large l is.
void spread_light(int32_t (&light)[VIEW_GRID][VIEW_GRID], int radius, int ci, int cj, int64_t l);

// Old lighting: l clamped to 2..4 and the disc of that size ORed into `lit`
// (bit 0) around (ci, cj), clipped to the view. Returns the clamped l.
int old_light_disc(int32_t (&lit)[VIEW_GRID][VIEW_GRID], int radius, int ci, int cj, int64_t l);

// Cells in each row of the lighting discs of size 5, 7 and 9, top to bottom.
const int* light_disc_rows(int size);

// Whether the cell at offset (dx, dy) from the player is hidden by the two
// inner cells already walked (the straight-in cell and the diagonal one).
bool ring_cell_hidden(const int32_t (&opaque)[VIEW_GRID][VIEW_GRID], int radius, int dx, int dy);

// Targeting modes: 0 every creature, 1 all but evil monsters, 2 evil
// monsters and (with player fighting allowed) other players, 3 party only
// (no creature of the view).
bool may_target(int mode, int id, int align, bool can_pvp);

// Rage bar colour (0xRRGGBB) by the rage level clamped to 0..100.
uint32_t rage_colour(int rage);
// Mana percentage 0..100; a maximum of 0 counts as 0.01.
int mana_percent(int mana, int mana_max);
// The fraction of a bar; false (no bar) when the maximum is not positive.
bool bar_fraction(double value, double maximum, float& fraction);

// A particle's colour 0xRRGGBB by kind and counter, or its own colour when
// not 0; every component within 0..255.
uint32_t particle_colour(int kind, int64_t counter, uint32_t own);
// A component kept within 0..255.
int clamp_component(int64_t c);

// Alpha of a spell event: fades from 255 over the effect's time; effects 40,
// 41 and 43 wrap round, others stop at 0.
int spell_event_alpha(int effect, int64_t elapsed_ms);

// The bar colour of a creature by its alignment letter.
enum BarColour { BAR_GREY, BAR_GREEN, BAR_DARK_GREEN, BAR_RED, BAR_BLUE, BAR_PURPLE };
BarColour creature_bar_colour(int align, bool player_dead, bool marked_green);
