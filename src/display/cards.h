#pragma once
// The card windows: a card drawn small or large from its record in the card
// table, the hand of cards along the bottom of the play area, the card named
// in the message box and the lower panel below the side panel.
//
// The hand's placement and the picture path are plain code; the drawing
// takes the bitmaps, font and picture cache it needs.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/item.h"

struct BITMAP;
struct FONT;
struct Card;

constexpr int CARD_SMALL_W = 88, CARD_SMALL_H = 127;
constexpr int CARD_LARGE_W = 170, CARD_LARGE_H = 232;
constexpr int CARD_DEFAULT_ITEM = 286;  // shown when a card has no picture nor item
constexpr int CARD_HAND_STEP = 90;
constexpr const char* CARD_PICTURE_DIR = "pics/cards/";

// The file of a card's picture: "pics/cards/" and the name. The name comes
// from data the server can push, so an absolute name or one with a ".."
// component gives "" (nothing is loaded); a subfolder stays allowed.
std::string card_picture_path(const std::string& name);

// One inventory entry that is a card in hand, with its count.
struct HandEntry {
  Item item{0L};
  std::string name;
  int64_t quantity = 0;
};

struct HandCard {
  Item item{0L};
  std::string name;
  int64_t x = 0;
  int y = 0;
};

// Where the copies of the hand go: all copies are centred on the play area
// 90 pixels apart, but only those that land on a bitmap `bitmap_w` wide are
// listed (a server can give a card any count). The copy under the mouse is
// not among `small`; it is `hovered`, drawn large 31 pixels left of and 105
// pixels above its place.
struct CardHand {
  int64_t copies = 0;
  int64_t first_x = 0;
  std::vector<HandCard> small;
  bool has_hovered = false;
  HandCard hovered;
};
CardHand card_hand_layout(const std::vector<HandEntry>& entries, int panel_x, int play_height, int bitmap_w,
                          int mouse_x, int mouse_y);

// The cards in the inventory: blessed, unbanked items of the card base code.
std::vector<HandEntry> cards_in_hand();

struct CardDraw {
  BITMAP* work = nullptr;  // the picture is stretched here first; null: straight onto the card
  FONT* font = nullptr;    // null: the library's font
  std::map<std::string, BITMAP*>* pictures = nullptr;  // the cache; null: no pictures
  // Draws an item's picture one cell large, or doubled.
  std::function<void(BITMAP*, const Item&, int x, int y, bool doubled)> draw_item;
};
void draw_card_face(const Card& card, BITMAP* dest, int x, int y, bool large, const CardDraw& how);

// Frees every cached picture and empties the cache.
void free_card_pictures(std::map<std::string, BITMAP*>& pictures);
