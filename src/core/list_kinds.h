#pragma once
// The list kinds: what a list in the list panel is for. Whoever opens a list
// (the server's trade and crafting messages, the keys of play and of the
// list modes) names its kind; the panel and its keys decide by it how many
// rows show, which marks and detail lines are drawn and which keys pick.
// Scripts see the same values under the same names.

enum {
  SELECT_READY = 0,
  SELECT_BUY = 1,
  SELECT_SELL = 2,
  SELECT_NORMAL = 3,
  SELECT_MAKE = 4,
  SELECT_BANK = 5,
  SELECT_ABILITY = 6,
  SELECT_VIEW_INV = 7,
  SELECT_VIEW_BANK = 8,
  // The pile list of the get-list mode: like SELECT_NORMAL without equipped
  // marks, hotkey labels and quantity line; scripts have no name for it.
  SELECT_PILE = 9,
  // Not a kind: asks the panel to draw again as the kind it drew last.
  SELECT_LAST_DRAWN = -1
};
