// The item value type: bit fields, flags, setters and the two text forms.

#include "core/item.h"

#include <gtest/gtest.h>

#include <climits>

#include "app/globals.h"
#include "core/number_codec.h"
#include "item_test_world.h"

namespace {

Item with_parts(bool extra, bool text, bool socket) {
  Item i(0x1f4L);
  if (extra) i.extra = 0x30;
  if (text) i.text = "Bob";
  if (socket) i.socketed = 5;
  return i;
}

TEST(Item, DotFormEightCombinations) {
  struct Case {
    bool extra, text, socket;
    const char* dot;
  } cases[] = {
      {false, false, false, "1f4"},      {true, false, false, "1f4.30"},
      {false, true, false, "1f4..Bob"},  {true, true, false, "1f4.30.Bob"},
      {false, false, true, "1f4...5"},   {true, false, true, "1f4.30..5"},
      {false, true, true, "1f4..Bob.5"}, {true, true, true, "1f4.30.Bob.5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dot);
    Item i = with_parts(c.extra, c.text, c.socket);
    EXPECT_EQ(i.str(false), c.dot);
    EXPECT_EQ(i.str(true), std::string("000001f4") + (c.dot + 3));
    Item back(std::string(c.dot));
    EXPECT_TRUE(back == i);
  }
}

TEST(Item, DotFormEdges) {
  EXPECT_EQ(Item(0L).str(false), "0");
  EXPECT_EQ(Item(0L).str(true), "00000000");
  Item s(5L);
  s.socketed = 7;
  EXPECT_EQ(s.str(false), "5...7");

  struct Case {
    const char* in;
    long code;
    uint64_t extra, socketed;
  } cases[] = {
      {"ffffffff", -1, 0, 0},
      {"FFFFFFFF.ffffffff", -1, ~0ULL, 0},
      {"", 0, 0, 0},
      {".30", 0, 0x30, 0},
      {"80000000", 0x80000000L, 0, 0},
      {"1.2.x.fFfFfFfF", 1, 2, ~0ULL},
      {"zz", 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    Item i(std::string(c.in));
    EXPECT_EQ(i.code, c.code);
    EXPECT_EQ(i.extra, c.extra);
    EXPECT_EQ(i.socketed, c.socketed);
  }
  // A code written padded with bit 31 set comes back positive.
  Item high(static_cast<long>(static_cast<int32_t>(0x80000123)));
  EXPECT_EQ(Item(high.str(true)).code, 0x80000123L);
}

TEST(Item, ParsingResetsTheItem) {
  Item i(0x55L, 0x66L);
  i.socketed = 9;
  i.text = "old";
  i.from_str("12");
  EXPECT_EQ(i.code, 0x12);
  EXPECT_EQ(i.extra, 0u);
  EXPECT_EQ(i.socketed, 0u);
  EXPECT_EQ(i.text, "");
  i = std::string("7..a_b");
  EXPECT_EQ(i.text, "a_b");  // underscores stay as they are
  // Text set with a blank is written with an underscore; text makes the item
  // differ from its bare code.
  Item t(5L);
  EXPECT_TRUE(t == 5);
  t.set_text("a b");
  EXPECT_TRUE(t != 5);
  EXPECT_EQ(t.str(false), "5..a_b");
}

TEST(Item, PackedForm) {
  Item plain(0x181L);
  EXPECT_EQ(plain.to_packed_str(), encode_number(0x181));

  Item full(0x12345181L, 0x123L);  // material and magic bits above the base code
  full.text = "Old_Hob";
  full.socketed = 77;  // not carried by the packed form
  Item back = Item::from_packed_str(full.to_packed_str());
  EXPECT_EQ(back.code, 0x12345181);
  EXPECT_EQ(back.extra, 0x123u);
  EXPECT_EQ(back.text, "Old_Hob");
  EXPECT_EQ(back.socketed, 0u);

  Item text_only(0x181L);
  text_only.text = "Bob";
  std::string packed = text_only.to_packed_str();
  EXPECT_EQ(packed, encode_number(0x181) + "\x1b\x1b" + "Bob");
  EXPECT_TRUE(Item::from_packed_str(packed) == text_only);

  EXPECT_TRUE(Item::from_packed_str("") == Item());
}

TEST(Item, MakeCodeAndFields) {
  Item i = make_code(5, 0x23, 2, 300);
  EXPECT_EQ(i.code, 5 + (3 << 12) + (2 << 16) + (44 << 20));
  EXPECT_EQ(i.extra, 2u);
  EXPECT_EQ(i.get_own_material(), 0x23);
  EXPECT_EQ(i.get_to_mod(), 2);
  EXPECT_EQ(i.get_modifier(), 44);
  EXPECT_EQ(i.get_tile_num(), 2 * 16 + 0x23);
  Item neg = make_code(7, -4, -1, 1);
  EXPECT_EQ(neg.get_own_material(), 0);
  EXPECT_EQ(neg.get_to_mod(), 0);
  // The base is not masked: a code reaching bit 31 is sign-extended.
  EXPECT_EQ(make_code(static_cast<int>(0x80000001u), 0, 0, 0).code, -0x7FFFFFFFL);
  EXPECT_EQ(make_code(1, 0, 0, 0xF8).code, 1 + (0xF8L << 20));

  Item w = Item::make_wrapped(0x12345);
  EXPECT_EQ(w.get_base_code(), 1112);
  EXPECT_TRUE(w.code & ITEM_BIT_NO_DROP);
  EXPECT_EQ(w.get_inner_code(), 0x12345);
  EXPECT_FLOAT_EQ(avg_damage_per_speed(2, 6, 0.0f), 0.0f);  // no division by a zero speed
}

// The sets of special bases, each by the numbers the item rules give it.
TEST(Item, SpecialBaseSets) {
  struct Row {
    int base;
    bool spell, scroll_name, spell_item, special_stack, creature_part, cut;
  } rows[] = {
      {286, true, true, false, true, false, false},
      {1295, true, true, false, true, false, false},
      {1309, true, false, true, true, false, false},
      {1462, true, true, false, false, false, false},
      {320, false, false, true, false, false, false},
      {324, false, false, true, false, false, false},
      {295, false, false, false, true, false, false},
      {1085, false, false, false, true, false, false},
      {1494, false, false, false, true, false, false},
      {1333, false, false, false, false, true, false},
      {1334, false, false, false, false, true, false},
      {1349, false, false, false, false, true, false},
      {1487, false, false, false, false, true, false},
      {271, false, false, false, false, false, true},
      {350, false, false, false, false, false, true},
      {2065, false, false, false, false, false, false},
      {1112, false, false, false, false, false, false},
      {256, false, false, false, false, false, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.base);
    EXPECT_EQ(carries_spell(r.base), r.spell);
    EXPECT_EQ(has_scroll_name(r.base), r.scroll_name);
    EXPECT_EQ(is_spell_item(r.base), r.spell_item);
    EXPECT_EQ(is_special_stack_code(r.base), r.special_stack);
    EXPECT_EQ(is_creature_part(r.base), r.creature_part);
    EXPECT_EQ(shows_cut(r.base), r.cut);
  }
}

TEST(Item, SpecialStacksAndBlessings) {
  // Special stack codes hold an 8-bit count and are never cursed.
  for (int base : {286, 295, 1085, 1295, 1309, 1494}) {
    SCOPED_TRACE(base);
    Item s = make_code(base, 0, 0, 200);
    EXPECT_EQ(s.get_modifier(), 200);
    EXPECT_FALSE(s.is_cursed());
    s.set_bless_bit();
    EXPECT_TRUE(s.is_blessed());
    s.curse();
    EXPECT_TRUE(s.is_blessed());  // bit 29 stays on special stacks
  }
  // Elsewhere the same bit 27 is the curse.
  Item o = make_code(100, 0, 0, 200);
  EXPECT_EQ(o.get_modifier(), 72);
  EXPECT_TRUE(o.is_cursed());
  o.set_bless_bit();
  EXPECT_FALSE(o.is_blessed());
  EXPECT_TRUE(o.has_bless_bit());
  EXPECT_TRUE(o.bless());  // a cursed item stays as it is

  Item b(100L);
  EXPECT_FALSE(b.bless());
  EXPECT_TRUE(b.is_blessed());
  b.lower_blessing();
  EXPECT_FALSE(b.has_bless_bit());
  EXPECT_FALSE(b.is_cursed());
  b.lower_blessing();
  EXPECT_TRUE(b.is_cursed());
  EXPECT_TRUE(b.has_bless_bit());
  b.uncurse();
  EXPECT_FALSE(b.is_cursed());
  EXPECT_FALSE(b.has_bless_bit());

  Item c(100L);
  c.code |= 1L << 40;
  EXPECT_EQ(c.curse(), 100);
  EXPECT_EQ(c.clear_bless_if_cursed(), 100);
  c.uncurse();
  EXPECT_EQ(c.code, 100);  // bits 32-63 cleared too
}

TEST(Item, LoweringAStackKeepsItsCount) {
  Item s = Item::stack_295(0, 9);
  EXPECT_TRUE(s.is_blessed());
  s.lower_blessing();
  s.lower_blessing();
  EXPECT_EQ(s.get_modifier(), 9);
}

TEST(Item, IncModifierOnStacksCapsAt255) {
  Item s = make_code(295, 0, 0, 127);
  s.inc_modifier();
  EXPECT_EQ(s.get_modifier(), 128);
  s = make_code(295, 0, 0, 255);
  s.inc_modifier();
  EXPECT_EQ(s.get_modifier(), 255);
  EXPECT_EQ(s.get_base_code(), 295);
  EXPECT_EQ(s.code & (0xFL << 28), 0);  // nothing spilled into the flags

  Item o = make_code(100, 0, 0, 127);
  o.curse();
  o.inc_modifier();
  EXPECT_EQ(o.get_modifier(), 127);
  EXPECT_TRUE(o.is_cursed());  // bit 27 kept

  Item m(100L);
  m.set_modifier(300);
  EXPECT_EQ(m.get_modifier(), 127);
}

// Fields that share the extra word leave each other alone.
TEST(Item, SettersKeepTheOtherFields) {
  Item i(0x181L);
  i.set_material(0x23);
  i.set_prefix(0x10);
  i.set_colour(0xABC);
  EXPECT_EQ(i.get_own_material(), 0x23);
  EXPECT_EQ(i.get_prefix_class(), 1);
  i.clear_prefix();
  EXPECT_EQ(i.get_prefix_bits(), 0);
  EXPECT_EQ(i.get_colour(), 0xABC);

  Item f(0x181L);
  Item flags(ITEM_BIT_BLESSED | ITEM_BIT_UNIDENTIFIED | 0x77L);
  f.copy_flags(flags);
  EXPECT_EQ(f.code, 0x181 | ITEM_BIT_BLESSED | ITEM_BIT_UNIDENTIFIED);
  EXPECT_FALSE(f.to_bank().from_bank().is_banked());
}

TEST(Item, OrderAndCombination) {
  Item small_extra(0x999L, 1L);
  Item big_extra(0x1L, 2L);
  EXPECT_TRUE(small_extra < big_extra);
  EXPECT_FALSE(big_extra < small_extra);
  Item a(5L), b(6L);
  EXPECT_TRUE(a < b);
  Item sa(5L), sb(5L);
  sb.socketed = 1;
  EXPECT_TRUE(sa < sb);
  sa.text = "zzz";
  EXPECT_FALSE(sb < sa);  // the text takes no part

  Item o = Item(0x100L, 0x1L) | Item(0x2L, 0x10L);
  EXPECT_EQ(o.code, 0x102);
  EXPECT_EQ(o.extra, 0x11u);
  Item n = Item(0x103L, 0x11L) & Item(0x2L, 0x10L);
  EXPECT_EQ(n.code, 0x2);
  EXPECT_EQ(n.extra, 0x10u);
}

TEST(Item, RegularAndValid) {
  struct { long code; bool regular, valid; } rows[] = {
      {0, false, false}, {1, true, true}, {511, true, true}, {512, false, true}, {1023, false, true},
      {1024, true, true}};
  for (const auto& r : rows) {
    EXPECT_EQ(Item(r.code).is_regular_item(), r.regular) << r.code;
    EXPECT_EQ(Item(r.code).is_valid(), r.valid) << r.code;
  }
  EXPECT_FALSE(Item(-1L).is_valid());
}

TEST(Item, FactoryItems) {
  Item s = Item::stack_295(2, 300);
  EXPECT_EQ(s.get_modifier(), 300 & 255);
  EXPECT_EQ(s.get_own_material(), 2);
  EXPECT_TRUE(s.is_blessed());
  EXPECT_EQ(Item::stack_295(3, 50).get_modifier(), 0);
  EXPECT_TRUE(Item::stack_295(3, 50).is_blessed());
  EXPECT_FALSE(Item::stack_295(5, 50).has_bless_bit());
  for (int level : {INT_MIN, -5, 0, 50, 100, 400, INT_MAX}) {
    Item r = Item::random_372(level);
    EXPECT_EQ(r.get_base_code(), 372);
    EXPECT_LE(r.get_modifier(), 14);
  }
  EXPECT_EQ(Item::random_372(0).get_modifier(), 0);
}

TEST(Item, QuestItemsFollowTheConfig) {
  item_test::ItemWorld w(item_test::WEAPONS);
  EXPECT_TRUE(Item(0x4c0L).is_quest_item());
  EXPECT_TRUE(Item(0x4cfL).is_no_drop());
  EXPECT_FALSE(Item(0x4d0L).is_quest_item());
  common_cfg.set("quest_item_end", "4d0");
  EXPECT_TRUE(Item(0x4d0L).is_quest_item());
  Item n(0x181L);
  EXPECT_FALSE(n.is_no_drop());
  n.set_no_drop();
  EXPECT_TRUE(is_no_drop(n));
}

TEST(Item, ArtifactTakesTheDefaultMaterial) {
  item_test::ItemWorld w(item_test::WEAPONS, "", "", "600\t181\tKilnheart\t6\t1,2\n");
  EXPECT_EQ(Item(0x600L).get_material(), MAT_SILVER);
  EXPECT_EQ(make_code(0x600, MAT_IRON, 0, 0).get_material(), MAT_IRON);
  // Base 2100 lies past the artifacts (bit 11 set): no default material.
  EXPECT_EQ(Item(2100L).get_material(), 0);
  EXPECT_EQ(Item(0x601L).get_material(), 0);  // an artifact without a record
}

}  // namespace
