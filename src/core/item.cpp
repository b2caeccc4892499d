#include "core/item.h"

#include <cinttypes>
#include <cstdio>
#include <vector>

#include "core/config_file.h"
#include "core/number_codec.h"
#include "core/string_utils.h"
#include "core/utils.h"

namespace {

constexpr int64_t ITEM_MOD_7_MASK = 0x7FL << 20;
constexpr int64_t ITEM_MOD_8_MASK = 0xFFL << 20;

// The code word as made by 32-bit packing: sign-extended from bit 31.
int64_t sign_extend_32(uint32_t v) { return static_cast<int64_t>(static_cast<int32_t>(v)); }

}  // namespace

bool is_regular_code(int code) { return Item(static_cast<long>(code)).is_regular_item(); }

Item make_code(int base, int material, int to_mod, int modifier) {
  if (material < 0) material = 0;
  if (to_mod < 0) to_mod = 0;
  uint32_t c = static_cast<uint32_t>(base) + ((static_cast<uint32_t>(material) & 15) << 12) +
               ((static_cast<uint32_t>(to_mod) & 15) << 16) +
               ((static_cast<uint32_t>(modifier) & 255) << 20);
  Item i(sign_extend_32(c));
  i.extra = static_cast<uint64_t>((material >> 4) & 15);
  return i;
}

int mp_stat_number(int kind) {
  switch (kind) {
    case MP_INT_BONUS: return 3;
    case MP_STR_BONUS: return 1;
    case MP_DEX_BONUS: return 2;
    default: return 0;
  }
}

float avg_damage_per_speed(int dice, int sides, float speed) {
  // A weapon line without a usable speed would give an infinite figure.
  if (sides < 1 || !(speed > 0.0f)) return 0.0f;
  // 1 + 2 + ... + sides, over sides: the mean of one die.
  float mean = static_cast<float>(sides + 1) / 2.0f;
  return mean * static_cast<float>(dice) / speed;
}

Item Item::operator=(long c) {
  *this = Item(c);
  return *this;
}

Item Item::operator=(const std::string& dot_form) {
  from_str(dot_form.c_str());
  return *this;
}

Item Item::make_wrapped(long inner) {
  Item i(ITEM_BASE_WRAPPED + ((inner & 0xfff) << 12) + (1L << 24) + ITEM_BIT_NO_DROP);
  i.extra = static_cast<uint64_t>((inner >> 12) & 0xfffff);
  return i;
}

Item Item::no_drop_377() {
  Item i = make_code(377, 0, 0, 0);
  i.set_no_drop();
  return i;
}

Item Item::no_drop_377_adamantium() {
  Item i = make_code(377, MAT_ADAMANTIUM, 0, 0);
  i.set_no_drop();
  return i;
}

Item Item::stack_295(int material, int count) {
  switch (material) {
    case 0: case 1: case 2: case 4: {
      Item i = make_code(ITEM_BASE_STACK, material, 0, count & 255);
      i.set_bless_bit();
      return i;
    }
    case 3: {
      Item i = make_code(ITEM_BASE_STACK, 3, 0, 0);
      i.set_bless_bit();
      return i;
    }
    case 5:
      return make_code(ITEM_BASE_STACK, 5, 0, 0);
    default:
      return make_code(ITEM_BASE_STACK, material, 0, 0);
  }
}

Item Item::random_372(int level) {
  int r;
  if (level >= 0) {
    r = rand_int(static_cast<int>(static_cast<int64_t>(level) * 14 / 100));
    if (level == 100 && rand_int(5) == 1) r += rand_int(3);
  } else {
    r = rand_int(12);
  }
  if (r > 14) r = 14;
  return make_code(ITEM_BASE_LEVEL_TOKEN, 0, 0, r);
}

int Item::get_material() const {
  int m = get_own_material();
  if (m == 0 && is_artifact()) return artifact_default_material(get_base_code());
  return m;
}

int Item::get_modifier() const {
  if (is_special_stack()) return static_cast<int>((code >> 20) & 0xff);
  return static_cast<int>((code >> 20) & 0x7f);
}

long Item::get_inner_code() const {
  return static_cast<long>(extra << 12) + static_cast<long>((code >> 12) & 0xfff);
}

bool Item::is_regular_item() const {
  int b = get_base_code();
  return (b >= 1 && b <= 511) || b >= 1024;
}

bool Item::is_artifact() const {
  int b = get_base_code();
  return b >= ITEM_ARTIFACT_FIRST && b <= ITEM_ARTIFACT_LAST;
}

bool Item::is_special_stack() const { return is_special_stack_code(get_base_code()); }

Item Item::to_bank() const {
  Item i(*this);
  i.code |= ITEM_BIT_BANKED;
  return i;
}

Item Item::from_bank() const {
  Item i(*this);
  i.code &= ~ITEM_BIT_BANKED;
  return i;
}

bool Item::is_no_drop() const { return (code & ITEM_BIT_NO_DROP) != 0 || is_quest_item(); }

bool Item::is_quest_item() const {
  // Read each time: a data reload may move the range.
  long first = static_cast<long>(common_cfg.get_hex("quest_item_start"));
  long last = static_cast<long>(common_cfg.get_hex("quest_item_end"));
  long b = get_base_code();
  return first <= b && b <= last;
}

bool Item::is_cursed() const { return (code & ITEM_BIT_CURSED) != 0 && !is_special_stack(); }

bool Item::is_blessed() const {
  if (is_special_stack()) return has_bless_bit();
  return has_bless_bit() && !is_cursed();
}

bool Item::bless() {
  if (is_cursed()) return true;
  code |= ITEM_BIT_BLESSED;
  return false;
}

void Item::unbless() {
  if (!is_cursed()) code &= ~ITEM_BIT_BLESSED;
}

void Item::uncurse() {
  if (is_cursed()) code &= ITEM_LOW_32 & ~(ITEM_BIT_CURSED | ITEM_BIT_BLESSED);
}

int Item::curse() {
  code |= ITEM_BIT_CURSED;
  if (!is_special_stack()) code &= ~ITEM_BIT_BLESSED;
  return get_base_code();
}

int Item::clear_bless_if_cursed() {
  if (is_cursed()) code &= ~ITEM_BIT_BLESSED;
  return get_base_code();
}

void Item::lower_blessing() {
  if (has_bless_bit() && !is_cursed()) {
    code &= ~ITEM_BIT_BLESSED;
  } else if (!is_special_stack()) {
    code |= ITEM_BIT_CURSED | ITEM_BIT_BLESSED;
  }
  // A special stack code cannot be cursed, and its bit 27 is the top bit of
  // its count: setting it would add 128 to the stack.
}

void Item::set_base_code(int b) {
  code = (code & ITEM_LOW_32 & ~int64_t{ITEM_BASE_MASK}) | (b & ITEM_BASE_MASK);
}

void Item::set_material(int m) {
  code = (code & ~(15L << 12)) | (static_cast<int64_t>(m & 15) << 12);
  extra = (extra & ~static_cast<uint64_t>(15)) | static_cast<uint64_t>((m >> 4) & 15);
}

void Item::set_to_mod(int k) { code = (code & ~(15L << 16)) | (static_cast<int64_t>(k & 15) << 16); }

void Item::set_modifier(int v) {
  if (v > 127) v = 127;
  if (v < 0) v = 0;
  code = (code & ITEM_LOW_32 & ~ITEM_MOD_7_MASK) | (static_cast<int64_t>(v) << 20);
}

void Item::inc_modifier() {
  int v = get_modifier() + 1;
  if (is_special_stack()) {
    // Bit 27 is part of the count here: cap the whole 8 bits.
    if (v > 255) v = 255;
    code = (code & ITEM_LOW_32 & ~ITEM_MOD_8_MASK) | (static_cast<int64_t>(v) << 20);
  } else {
    if (v > 127) v = 127;
    code = (code & ITEM_LOW_32 & ~ITEM_MOD_7_MASK) | (static_cast<int64_t>(v) << 20);
  }
}

void Item::set_prefix(int p) {
  extra = (extra & 0xFFFFFFFFFULL & ~static_cast<uint64_t>(0xF0)) | static_cast<uint64_t>(p & 0xF0);
}

void Item::clear_prefix() { extra &= 0xFFFFFFFFFULL & ~static_cast<uint64_t>(0xF0); }

void Item::set_colour(int c) {
  extra = (extra & ~(static_cast<uint64_t>(0xFFF) << 8)) | (static_cast<uint64_t>(c & 0xFFF) << 8);
}

void Item::set_words(long c, long e) {
  code = c;
  extra = static_cast<uint64_t>(e);
}

void Item::copy_flags(const Item& other) {
  code = (code & 0x7FFFFFFL) | (other.code & 0xF8000000L);
}

void Item::set_text(const std::string& t) { text = add_us2(t); }

Item Item::copy_with_bit23() const { return Item(code | (1L << 23)); }

bool Item::operator==(const Item& o) const {
  return code == o.code && extra == o.extra && socketed == o.socketed && text == o.text;
}

bool Item::operator==(long c) const { return code == c && extra == 0 && socketed == 0 && text.empty(); }

bool Item::operator<(const Item& o) const {
  int64_t e1 = static_cast<int64_t>(extra), e2 = static_cast<int64_t>(o.extra);
  if (e1 != e2) return e1 < e2;
  if (code != o.code) return code < o.code;
  return static_cast<int64_t>(socketed) < static_cast<int64_t>(o.socketed);
}

Item operator|(const Item& a, const Item& b) {
  Item r(a);
  r.code |= b.code;
  r.extra |= b.extra;
  return r;
}

Item operator&(const Item& a, const Item& b) {
  Item r(a);
  r.code &= b.code;
  r.extra &= b.extra;
  return r;
}

std::string Item::str(bool pad) const {
  uint32_t low = static_cast<uint32_t>(code & ITEM_LOW_32);
  std::string s = pad ? format_str("%08" PRIx32, low) : format_str("%" PRIx32, low);
  int n = 0;
  if (extra != 0) {
    s += format_str(".%" PRIx32, static_cast<uint32_t>(extra & ITEM_LOW_32));
    n = 1;
  }
  if (!text.empty()) {
    s += '.';
    if (extra == 0) {
      s += '.';
      n += 2;
    } else {
      n += 1;
    }
    s += add_us2(text);
  }
  if (socketed != 0) {
    while (n < 3) {
      s += '.';
      ++n;
    }
    s += format_str("%" PRIx32, static_cast<uint32_t>(socketed & ITEM_LOW_32));
  }
  return s;
}

void Item::from_str(const char* dot_form) {
  code = 0;
  extra = 0;
  socketed = 0;
  text.clear();
  if (!dot_form) return;
  std::vector<std::string> f;
  split(dot_form, ".", f);
  if (f.size() > 0) code = hex_to_int(f[0]);
  if (f.size() > 1) extra = static_cast<uint64_t>(hex_to_int(f[1]));
  if (f.size() > 2) text = f[2];
  if (f.size() > 3) socketed = static_cast<uint64_t>(hex_to_int(f[3]));
}

std::string Item::to_packed_str() const {
  std::string s = encode_number(static_cast<int>(code));
  if (extra != 0) {
    s += '\x1b';
    s += encode_number(static_cast<int>(extra));
  }
  if (!text.empty()) {
    s += '\x1b';
    if (extra == 0) s += '\x1b';
    s += text;
  }
  return s;
}

Item Item::from_packed_str(const std::string& packed) {
  Item i;
  if (packed.empty()) return i;
  std::vector<std::string> f;
  split(packed, "\x1b", f);
  if (f.empty()) return i;
  i.code = decode_number(f[0]);
  if (f.size() > 1 && !f[1].empty()) i.extra = static_cast<uint64_t>(static_cast<int64_t>(decode_number(f[1])));
  if (f.size() > 2) i.text = f[2];
  return i;
}

int get_base_code(const Item& i) { return i.get_base_code(); }
int get_material(const Item& i) { return i.get_material(); }
int get_to_mod(const Item& i) { return i.get_to_mod(); }
int get_modifier(const Item& i) { return i.get_modifier(); }
int get_tile_num(const Item& i) { return i.get_tile_num(); }
long intVal(const Item& i) { return i.intVal(); }
bool is_unidentified(const Item& i) { return i.is_unidentified(); }
bool is_blessed(const Item& i) { return i.is_blessed(); }
bool is_no_drop(const Item& i) { return i.is_no_drop(); }
bool is_quest_item(const Item& i) { return i.is_quest_item(); }
