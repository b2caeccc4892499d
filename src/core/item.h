#pragma once
// The value type of one item: a packed code word, a second word (material high
// bits, name prefix, colour), the code of a socketed item and an own name.
// Its dot-separated text form travels in map files, server messages and
// character files; the packed form travels in the field-of-view message.

#include <cstdint>
#include <string>

#include "core/item_bases.h"

// Magic property kinds (the to-mod field).
enum {
  MP_ORDINARY = 0,
  MP_WEAPON_BONUS = 1,
  MP_INT_BONUS = 2,
  MP_STR_BONUS = 3,
  MP_DEX_BONUS = 4,
  MP_VIGOUR = 5,
  MP_NIGHTVISION = 6,
  MP_ARMOUR_BONUS = 7,
  MP_ENCHANTED = 8,
  MP_LEECHING = 9,
  MP_MAGIC_RESISTANCE = 10,
  MP_SKILL_BONUS = 11,
  MP_HEALTH_STATUS = 12,
  MP_NOTUSED = 13,
  MP_INFLICT_STATUS = 14,
  MP_MISC = 15,
  MP_LAST = 16
};

// Materials (the material field, 8 bits split over the two words).
enum {
  MAT_ORDINARY = 0,
  MAT_STEEL = 1,
  MAT_IRON = 2,
  MAT_COPPER = 3,
  MAT_BRASS = 4,
  MAT_BONE = 5,
  MAT_SILVER = 6,
  MAT_GOLD = 7,
  MAT_ZINC = 8,
  MAT_DIAMOND = 9,
  MAT_TOXIC = 10,
  MAT_VAMPYRIC = 11,
  MAT_BLACKROCK = 12,
  MAT_GLASS = 13,
  MAT_ADAMANTIUM = 14,
  MAT_CRYSTAL = 15,
  MAT_MITHRIL = 16,
  MAT_RUNED = 17,
  MAT_ADDLED = 18,
  MAT_THORIUM = 19,
  MAT_BARBED = 20,
  MAT_LAST = 256
};

// The artifact ranges of the base code.
constexpr int ITEM_ARTIFACT_FIRST = 1536;
constexpr int ITEM_LESSER_ARTIFACT_FIRST = 1792;
constexpr int ITEM_ARTIFACT_LAST = 2047;

// Code word bits.
constexpr int64_t ITEM_BIT_CURSED = 1L << 27;
constexpr int64_t ITEM_BIT_NO_DROP = 1L << 28;
constexpr int64_t ITEM_BIT_BLESSED = 1L << 29;
constexpr int64_t ITEM_BIT_BANKED = 1L << 30;
constexpr int64_t ITEM_BIT_UNIDENTIFIED = 1L << 31;
constexpr int64_t ITEM_LOW_32 = 0xFFFFFFFFL;

class Item {
 public:
  int64_t code = 0;       // base, material low bits, to-mod, modifier, flags
  uint64_t extra = 0;     // material high bits, name-prefix class, colour
  uint64_t socketed = 0;  // code of the item socketed into this one, 0 = none
  std::string text;       // own name, spaces stored as '_'

  Item() = default;
  Item(long c) : code(c) {}  // NOLINT: plain codes stand for items everywhere
  Item(long c, long e) : code(c), extra(static_cast<uint64_t>(e)) {}
  Item(const Item&) = default;
  Item(Item&&) noexcept = default;
  explicit Item(const std::string& dot_form) { from_str(dot_form.c_str()); }

  Item& operator=(const Item&) = default;
  Item& operator=(Item&&) noexcept = default;
  Item operator=(long c);
  Item operator=(const std::string& dot_form);

  // Base 1112 carrying `inner` (no-drop).
  static Item make_wrapped(long inner);

  // Factory items.
  static Item no_drop_377();
  static Item no_drop_377_adamantium();
  // The stack item of base 295 in material 0, 1, 2 or 4 holding a count,
  // blessed; material 3 (blessed) and 5 (plain) carry no count.
  static Item stack_295(int material, int count);
  // Base 372 with a random modifier for a creature level (negative: any).
  static Item random_372(int level);

  // Accessors.
  int get_base_code() const { return static_cast<int>(code & ITEM_BASE_MASK); }
  int get_own_material() const { return static_cast<int>(((code >> 12) & 15) + 16 * (extra & 15)); }
  int get_material() const;
  int get_to_mod() const { return static_cast<int>((code >> 16) & 15); }
  int get_modifier() const;
  int get_tile_num() const { return get_to_mod() * 16 + get_material(); }
  long get_inner_code() const;
  long intVal() const { return code; }
  uint64_t get_extra() const { return extra; }
  int get_prefix_bits() const { return static_cast<int>(extra & 0xF0); }
  int get_prefix_class() const { return static_cast<int>((extra >> 4) & 15); }
  int get_colour() const { return static_cast<int>((extra >> 8) & 0xFFF); }
  bool is_valid() const { return code != 0 && code != -1; }
  bool is_base_295() const { return get_base_code() == ITEM_BASE_STACK; }
  bool is_regular_item() const;
  bool is_artifact() const;
  bool is_special_stack() const;

  // Flags.
  bool is_unidentified() const { return (code & ITEM_BIT_UNIDENTIFIED) != 0; }
  void set_unidentified() { code |= ITEM_BIT_UNIDENTIFIED; }
  void identify() { code &= ITEM_LOW_32 & ~ITEM_BIT_UNIDENTIFIED; }
  bool is_banked() const { return (code & ITEM_BIT_BANKED) != 0; }
  Item to_bank() const;
  Item from_bank() const;
  void set_no_drop() { code |= ITEM_BIT_NO_DROP; }
  bool is_no_drop() const;
  bool is_quest_item() const;
  bool is_cursed() const;
  bool has_bless_bit() const { return (code & ITEM_BIT_BLESSED) != 0; }
  bool is_blessed() const;
  bool bless();
  void set_bless_bit() { code |= ITEM_BIT_BLESSED; }
  void unbless();
  void uncurse();
  int curse();
  int clear_bless_if_cursed();
  void lower_blessing();

  // Setters.
  void set_base_code(int b);
  void set_material(int m);
  void set_to_mod(int k);
  void set_modifier(int v);
  void inc_modifier();
  void set_prefix(int p);
  void clear_prefix();
  void set_colour(int c);
  void set_words(long c, long e);
  void copy_flags(const Item& other);
  void set_text(const std::string& t);
  void set_socketed(uint64_t c) { socketed = c; }
  Item copy_with_bit23() const;

  bool operator==(const Item& o) const;
  bool operator!=(const Item& o) const { return !(*this == o); }
  bool operator==(long c) const;
  bool operator!=(long c) const { return !(*this == c); }
  bool operator<(const Item& o) const;

  // Text forms.
  std::string str(bool pad = true) const;
  void from_str(const char* dot_form);
  std::string to_packed_str() const;
  static Item from_packed_str(const std::string& packed);
};

inline bool operator==(long c, const Item& i) { return i == c; }
inline bool operator!=(long c, const Item& i) { return !(i == c); }
Item operator|(const Item& a, const Item& b);
Item operator&(const Item& a, const Item& b);

// Free forms of the code-word queries (the script API exposes these).
int get_base_code(const Item& i);
int get_material(const Item& i);
int get_to_mod(const Item& i);
int get_modifier(const Item& i);
int get_tile_num(const Item& i);
long intVal(const Item& i);
bool is_unidentified(const Item& i);
bool is_blessed(const Item& i);
bool is_no_drop(const Item& i);
bool is_quest_item(const Item& i);

bool is_regular_code(int code);
Item make_code(int base, int material, int to_mod, int modifier);
// Stat number (1 strength, 2 dexterity, 3 intelligence) of a stat-bonus kind.
int mp_stat_number(int kind);
// Mean damage of dice x d(sides) per unit of attack time.
float avg_damage_per_speed(int dice, int sides, float speed);

// The default material of an artifact's record; 0 without one. Answered by
// the item-type table, so that this type needs no knowledge of it.
int artifact_default_material(int base);
