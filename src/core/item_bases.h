#pragma once
// Item base codes (the low 12 bits of the code word) that the program treats
// specially, and one predicate for each set of them that a rule names. Other
// bases that one item-text rule alone singles out are written at that rule.
// Where the rules give a base no name, it is named as the sample world's item
// tables name it.

// The base code's bits in the code word (and in any code that names a base).
constexpr int ITEM_BASE_MASK = 0xfff;

constexpr int ITEM_BASE_CURRENCY = 256;      // gold; the default trade item
constexpr int ITEM_BASE_CLOCK = 259;         // ticks nearby (an ambient loop)
constexpr int ITEM_BASE_SCROLL = 286;        // spell id in its modifier
constexpr int ITEM_BASE_GRUB = 266;         // food whatever its type (the marsh grub)
constexpr int ITEM_BASE_RAW_GEM = 271;       // its cut in its modifier
constexpr int ITEM_BASE_FOUNTAIN = 273;      // splashes nearby (an ambient loop)
constexpr int ITEM_BASE_LOCKED_DOOR = 290;   // stops a step; also the plain pile marker
constexpr int ITEM_BASE_STACK = 295;         // the stack item (coins and counters)
constexpr int ITEM_BASE_WATERFALL = 302;     // roars nearby (an ambient loop)
constexpr int ITEM_BASE_TRAINING = 320;      // "train %s": skill id in its modifier
constexpr int ITEM_BASE_MEDITATING = 322;    // the figure of a meditating player
constexpr int ITEM_BASE_UNTRAINING = 324;    // "untrain %s": skill id in its modifier
constexpr int ITEM_BASE_CUT_STONE = 350;     // its cut in its modifier
constexpr int ITEM_BASE_TILE_TOKEN = 366;    // names a map tile (its tile number in the code)
constexpr int ITEM_BASE_LEVEL_TOKEN = 372;   // a creature level in its modifier; tinted by material
constexpr int ITEM_BASE_MAP_TILE = 1085;     // a map tile as an object; tile number in its modifier
constexpr int ITEM_BASE_WRAPPED = 1112;      // carries another item's code
constexpr int ITEM_PARENT_CARD_LIKE = 1116;  // parent type: own list colour, no tint, card picture
constexpr int ITEM_BASE_RUNE_STONE = 1295;   // spell id in its modifier
constexpr int ITEM_BASE_SPELL_BOOK = 1309;   // "learn %s": spell id in its modifier
constexpr int ITEM_BASE_UNTRADED = 1333;     // a creature part never offered for trade
constexpr int ITEM_BASE_COOKED_PART = 1334;  // a creature part that may be charred or roasted
constexpr int ITEM_BASE_SHOWN_INSIDE = 1349; // a creature part; may show another base inside it
constexpr int ITEM_BASE_DYED = 1461;         // its colour, in the code word, is its meaning
constexpr int ITEM_BASE_SPELL_CRYSTAL = 1462;  // spell id in its modifier
constexpr int ITEM_BASE_TROPHY = 1487;       // a creature part kept as a trophy
constexpr int ITEM_BASE_RECIPE = 1494;       // carries the code of the item it makes
constexpr int ITEM_BASE_SKILL_SHARD = 2058;  // skill id in its modifier, a percentage in the code
constexpr int ITEM_BASE_CARD = 2065;         // a card of the card game

// The four spell-carrying bases: the modifier holds a spell id.
constexpr bool carries_spell(int base) {
  return base == ITEM_BASE_SCROLL || base == ITEM_BASE_RUNE_STONE || base == ITEM_BASE_SPELL_BOOK ||
         base == ITEM_BASE_SPELL_CRYSTAL;
}

// The spell carriers named by `get_scroll_name`, with the spell in brackets;
// the spell book is not among them, its name says "learn" and the spell.
constexpr bool has_scroll_name(int base) {
  return carries_spell(base) && base != ITEM_BASE_SPELL_BOOK;
}

// Bases that count as spell items for weight, load and description: the two
// skill books and the spell book.
constexpr bool is_spell_item(int base) {
  return base == ITEM_BASE_TRAINING || base == ITEM_BASE_UNTRAINING || base == ITEM_BASE_SPELL_BOOK;
}

// The six special stack codes: an 8-bit modifier, never cursed.
constexpr bool is_special_stack_code(int base) {
  return base == ITEM_BASE_SCROLL || base == ITEM_BASE_STACK || base == ITEM_BASE_MAP_TILE ||
         base == ITEM_BASE_RUNE_STONE || base == ITEM_BASE_SPELL_BOOK || base == ITEM_BASE_RECIPE;
}

// The stones whose name shows their cut.
constexpr bool shows_cut(int base) {
  return base == ITEM_BASE_RAW_GEM || base == ITEM_BASE_CUT_STONE;
}

// The creature parts, named with the creature they came from.
constexpr bool is_creature_part(int base) {
  return base == ITEM_BASE_UNTRADED || base == ITEM_BASE_COOKED_PART ||
         base == ITEM_BASE_SHOWN_INSIDE || base == ITEM_BASE_TROPHY;
}
