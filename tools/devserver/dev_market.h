#pragma once
// The market world of the development server (--market): a small valley
// market that a player walks through and plays. What stands where, what the
// character carries (the bank vault included), what lies in the chest and
// on the ground, and the goblin.

#include <string>
#include <utility>
#include <vector>

#include "core/item.h"
#include "world/item_list.h"

// Someone or something standing in the market.
struct MarketFigure {
  int id;
  int code;  // the item code it is drawn with
  int x, y;
  const char* name;
  const char* looks;  // what the look key tells of it
};

// An item lying on the ground.
struct MarketGround {
  int id = 0;
  Item item;
  long qty = 1;
  int x = 0, y = 0;
};

struct MarketWorld {
  // The character's pack as the server keeps it; banked items carry the
  // banked bit. Every trade, craft, use, pick-up and drop is applied here as
  // the client applies it to its own copy, so both checksums agree.
  ItemList pack;
  ItemList stock;  // the smith's wares with their prices
  ItemList chest;
  std::vector<MarketGround> ground;
  int next_ground_id = 0;
  // The list last opened for the player ('U' buy, 'S' sell, 'D' deposit,
  // 'W' withdraw, 'R' take from the chest, 'P' put into it): the "j" lines
  // that close it are applied to it.
  char open_list = 0;
  std::vector<std::string> picked;
  // The goblin: alive or back at a time, its hit points, its cell and its
  // round, and the blows it took in this fight.
  bool goblin_alive = true;
  int goblin_hp = 0;
  int goblin_x = 0, goblin_y = 0, goblin_step = 0;
  int goblin_blows = 0;
  bool goblin_holding = false;
  long long goblin_back_ms = 0;
  long long next_goblin_ms = 0;
  // The character's rest (hit points and mana come back) and its return
  // after a death.
  long long next_rest_ms = 0;
  long long revive_ms = 0;
  bool at_card_table = false;
  // Lines sent once their time has come (the kiln's firing).
  std::vector<std::pair<long long, std::string>> later;
};
