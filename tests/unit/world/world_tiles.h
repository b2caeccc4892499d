#pragma once
// The tile table that the world tests run against: a few tiles of every kind,
// the two-byte tiles whose low byte is a marker byte, and the edge numbers.

#include "app/globals.h"
#include "support/temp_dir.h"

// Tiles used by the tests, by number.
enum {
  T_ZERO = 0, T_LF = 10, T_EARTH = 32, T_WALL = 35, T_SWAMP = 43, T_SHORE = 44, T_GRASS = 46,
  T_FOREST = 64, T_QUAY = 68, T_MOUNTAIN = 94, T_SHALLOWS = 119, T_LAVA = 220, T_VOID = 225,
  T_DEEP = 249, T_LOW9 = 265, T_LOW10 = 266, T_T300 = 300, T_LAST_STORABLE = 2303,
  T_HIGH9 = 2304, T_LAST = 2559
};

// Writes the table into the current (temporary) directory and loads it.
inline void load_world_tiles() {
  TempDir::write("dat/tiles.txt", "");
  TempDir::write("dat/mtiles.txt",
                 "# number picture kind opaque shadow desc details\n"
                 "0 1 0 0 0 Zero Tile_zero\n"
                 "10 1 0 0 0 Ten Tile_ten\n"
                 "32 1 0 0 0 Earth Bare_earth\n"
                 "35 1 1 1 1 Wall Stone_wall\n"
                 "43 1 0 0 0 Swamp Swamp\n"
                 "44 1 -1 0 0 Shore Shore\n"
                 "46 1 0 0 0 Grass Grass\n"
                 "64 1 0 1 0 Forest Forest\n"
                 "68 1 3 0 0 Quay Quay\n"
                 "94 1 1 1 1 Mountain Mountain\n"
                 "119 1 2 0 0 Shallows Shallows\n"
                 "220 1 1 0 0 Lava Lava\n"
                 "225 1 4 0 0 Void Void\n"
                 "249 1 2 0 0 Deep Deep_water\n"
                 "265 1 0 0 0 Low9 Low_byte_nine\n"
                 "266 1 0 0 0 Low10 Low_byte_ten\n"
                 "300 1 0 0 0 T300 Tile_300\n"
                 "2303 1 0 0 0 Last Last_storable\n"
                 "2304 1 0 0 0 High9 High_byte_nine\n"
                 "2559 1 0 0 0 Top Last_tile\n");
  // Walls take the ground around them; forest stands on grass, void on earth.
  TempDir::write("dat/underneath.txt", "35\n64\n225\n");
  tiledata.load();
}
