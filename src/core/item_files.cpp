// Reading the item files under "dat/": materials and name prefixes, weapons,
// wearable items, miscellaneous items, food, named items and artifacts,
// creature names and cards.

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/item_data.h"
#include "core/log.h"
#include "core/string_utils.h"
#include "core/utils.h"

namespace {

// Reads whitespace-separated fields of a record line the way the file
// formats describe them ("%x", "%d", "%f", "%c", "%s"), into values of any
// length: a record counts only when every field of its format was read.
class FieldReader {
 public:
  explicit FieldReader(const std::string& line) : s_(line) {}

  bool hex(int& out) {
    skip_space();
    const char* start = s_.c_str() + pos_;
    char* end = nullptr;
    errno = 0;
    unsigned long long v = std::strtoull(start, &end, 16);
    if (end == start) return false;
    pos_ += static_cast<size_t>(end - start);
    out = static_cast<int>(static_cast<unsigned>(v));  // a 32-bit field, as written
    return true;
  }
  bool dec(int& out) {
    skip_space();
    const char* start = s_.c_str() + pos_;
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(start, &end, 10);
    if (end == start) return false;
    pos_ += static_cast<size_t>(end - start);
    out = bounded_int<int>(v);
    return true;
  }
  bool real(float& out) {
    skip_space();
    const char* start = s_.c_str() + pos_;
    char* end = nullptr;
    float v = std::strtof(start, &end);
    if (end == start) return false;
    pos_ += static_cast<size_t>(end - start);
    out = v;
    return true;
  }
  bool letter(char& out) {
    skip_space();
    if (pos_ >= s_.size()) return false;
    out = s_[pos_++];
    return true;
  }
  bool word(std::string& out) {
    skip_space();
    size_t start = pos_;
    while (pos_ < s_.size() && !is_space(s_[pos_])) ++pos_;
    if (pos_ == start) return false;
    out = s_.substr(start, pos_ - start);
    return true;
  }
  // A literal character right here (the 'd' of "2d6").
  bool literal(char c) {
    if (pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }

 private:
  static bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
  void skip_space() {
    while (pos_ < s_.size() && is_space(s_[pos_])) ++pos_;
  }
  const std::string& s_;
  size_t pos_ = 0;
};

// Closes a data file however the reader leaves it.
class DataFile {
 public:
  DataFile(const char* path, const char* mode) : f_(std::fopen(path, mode)) {}
  ~DataFile() {
    if (f_) std::fclose(f_);
  }
  DataFile(const DataFile&) = delete;
  DataFile& operator=(const DataFile&) = delete;
  FILE* get() const { return f_; }
  explicit operator bool() const { return f_ != nullptr; }

 private:
  FILE* f_;
};

// Lines of a scanned file: without the line end, '#' lines left out.
bool next_record_line(FILE* f, std::string& line) {
  while (read_line(f, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '#') continue;
    return true;
  }
  return false;
}

std::vector<std::string> tab_columns(const std::string& line) {
  std::vector<std::string> cols;
  split(line, "\t", cols);
  return cols;
}

// "dagger:a" -> name "dagger", article "a".
void split_article(std::string& name, std::string& article) {
  std::vector<std::string> parts;
  split(name, ":", parts);
  if (parts.size() >= 2) {
    name = parts[0];
    article = parts[1];
  }
}

}  // namespace

void ItemData::put_record(std::unique_ptr<ItemRecord> r) {
  size_t b = static_cast<size_t>(r->code & ITEM_BASE_MASK);
  records_[b] = std::move(r);
}

void ItemData::read_class_letters(ItemRecord& r, const std::string& letters) const {
  int n = item_links::class_count();
  r.all_classes = false;
  r.class_mask.assign(static_cast<size_t>(n > 0 ? n : 0), false);
  for (int c = 0; c < n; ++c) {
    char key = item_links::class_key(c);
    if (key != 0 && letters.find(key) != std::string::npos) r.class_mask[static_cast<size_t>(c)] = true;
  }
}

void ItemData::prepare_material_tables() {
  for (auto& l : mat_names_) l.assign(ITEM_NUM_MATERIALS, std::string());
  mat_flag_a_.reset();
  mat_flag_b_.reset();
  mat_colours_.assign(ITEM_NUM_MATERIALS, 0);
  prefix_names_.resize(ITEM_NUM_PREFIXES);
  short_prefix_names_.resize(ITEM_NUM_PREFIXES);
}

void ItemData::load_materials() {
  DataFile f("dat/materials.txt", "rb");
  if (!f) {
    writelog("Can't find materials.txt!\n");
    return;
  }
  std::string line;
  while (read_line(f.get(), line)) {
    std::vector<std::string> c = tab_columns(line);
    if (c.size() < 5) continue;
    unsigned long id = static_cast<unsigned long>(hex_to_int(c[0]));
    if (id > 255) continue;
    mat_flag_a_[id] = to_upper(c[1]) == "Y";
    mat_flag_b_[id] = to_upper(c[2]) == "Y";
    mat_colours_[id] = static_cast<int>(hex_to_int(c[3]));
    mat_names_[MATNAME_GENERAL][id] = trim2(c[4], false);
    for (int l = MATNAME_WEAPON; l < MATNAME_LISTS; ++l) {
      size_t col = static_cast<size_t>(4 + l);
      if (c.size() > col) mat_names_[l][id] = trim2(c[col], false);
    }
  }
  std::rewind(f.get());
  while (read_line(f.get(), line)) {
    std::vector<std::string> c = tab_columns(line);
    if (c.size() < 6) continue;
    unsigned long id = static_cast<unsigned long>(hex_to_int(c[0]));
    if (id < 0x100 || id > 0xC00) continue;
    size_t p = id / 256;
    prefix_names_[p] = trim2(c[4], false);
    short_prefix_names_[p] = trim2(c[5], false);
    if (short_prefix_names_[p].empty()) short_prefix_names_[p] = prefix_names_[p].substr(0, 4);
  }
}

void ItemData::load_weapons() {
  FunctionTrace trace("item_d_c:load");
  DataFile f("dat/weapons.txt", "rb");
  if (!f) {
    writelog("Can't find weapons.txt!\n");
    return;
  }
  std::string line;
  while (next_record_line(f.get(), line)) {
    FieldReader in(line);
    int code = 0, dice = 0, sides = 0, hands = 0, price = 0, ammo = 0, worn = 0;
    char wtype = 0, dtype = 0, mat = 0, merch = 0;
    float weight = 0, speed = 0;
    std::string skill, name, classes;
    if (!(in.hex(code) && in.letter(wtype) && in.letter(dtype) && in.word(skill) && in.word(name) &&
          in.letter(mat) && in.dec(dice) && in.literal('d') && in.dec(sides) && in.dec(hands) &&
          in.dec(price) && in.letter(merch) && in.real(weight) && in.real(speed) && in.word(classes) &&
          in.hex(ammo) && in.dec(worn)))
      continue;
    if (!is_regular_code(code)) continue;
    name = rm_us2(name);
    trace.printf("read %x %s %c %f", static_cast<unsigned>(code), name.c_str(), wtype, static_cast<double>(weight));
    auto r = std::make_unique<ItemRecord>(code, ITEM_WEAPON, name);
    r->weapon_type = static_cast<unsigned char>(wtype);
    r->damage_type = static_cast<unsigned char>(dtype);
    std::string skill_name = rm_us2(skill);
    r->weapon_skill = -1;
    for (int s = 0; s < item_links::skill_count(); ++s)
      if (item_links::skill_name(s) == skill_name) r->weapon_skill = s;
    r->material_letter = mat;
    r->dice = dice;
    r->sides = sides;
    r->hands = hands;
    r->price = price;
    if (price > highest_price_) highest_price_ = price;
    r->merch = merch;
    r->weight = weight;
    r->speed = speed;
    read_class_letters(*r, classes);
    r->ammo_code = ammo;
    r->worn_tile = worn;
    r->avg_damage = avg_damage_per_speed(dice, sides, speed);
    put_record(std::move(r));
  }
  avg_wep_speed_ = 2.5f;
}

void ItemData::load_wearable() {
  FunctionTrace trace("item_d_c:load");
  DataFile f("dat/wearable.txt", "rb");
  if (!f) {
    writelog("Can't find wearable.txt!\n");
    return;
  }
  std::string line;
  while (next_record_line(f.get(), line)) {
    FieldReader in(line);
    int code = 0, price = 0, worn = 0;
    char type = 0, grade = 0, mat = 0, merch = 0;
    float ac = 0, weight = 0;
    std::string name, article, classes;
    if (!(in.hex(code) && in.word(name) && in.word(article) && in.letter(type) && in.real(ac) &&
          in.dec(price) && in.letter(grade) && in.letter(mat) && in.letter(merch) && in.real(weight) &&
          in.word(classes) && in.dec(worn)))
      continue;
    if (!is_regular_code(code)) continue;
    name = rm_us2(name);
    trace.printf("read %x %s %c %f", static_cast<unsigned>(code), name.c_str(), type, static_cast<double>(ac));
    auto r = std::make_unique<ItemRecord>(code, type, name);
    r->article = article;
    r->ac = ac;
    r->price = price;
    if (price > highest_price_) highest_price_ = price;
    r->grade = static_cast<unsigned char>(grade);
    r->material_letter = mat;
    r->merch = merch;
    r->weight = weight;
    read_class_letters(*r, classes);
    r->worn_tile = worn;
    put_record(std::move(r));
  }
}

void ItemData::load_misc(const char* path) {
  DataFile f(path, "rb");
  if (!f) return;
  std::string line;
  while (next_record_line(f.get(), line)) {
    FieldReader in(line);
    int code = 0, price = 0, light = 0;
    char type = 0, merch = 0, mat = 0, usability = 0;
    float weight = 0;
    std::string name, short_name;
    if (!(in.hex(code) && in.word(name) && in.word(short_name) && in.dec(price) && in.letter(type) &&
          in.letter(merch) && in.letter(mat) && in.dec(light) && in.real(weight) && in.letter(usability)))
      continue;
    if (!is_regular_code(code)) continue;
    name = rm_us2(name);
    std::string article;
    split_article(name, article);
    auto r = std::make_unique<ItemRecord>(code, type, name);
    r->article = article;
    if (short_name != "x") r->short_name = rm_us2(short_name);
    r->price = price;
    r->merch = merch;
    r->material_letter = mat;
    r->light = light;
    r->weight = weight;
    r->usability = usability;
    std::vector<std::string> cols = tab_columns(line);
    if (cols.size() >= 12) r->description = trim2(cols[11], true);
    put_record(std::move(r));
  }
}

void ItemData::load_food() {
  DataFile f("dat/food.txt", "rb");
  if (!f) return;
  std::string line;
  while (next_record_line(f.get(), line)) {
    FieldReader in(line);
    int code = 0, price = 0, nutrition = 0;
    char merch = 0, diet = 0, mat = 0;
    float weight = 0;
    std::string name;
    if (!(in.hex(code) && in.word(name) && in.dec(price) && in.letter(merch) && in.real(weight) &&
          in.letter(diet) && in.dec(nutrition) && in.letter(mat)))
      continue;
    if (!is_regular_code(code)) continue;
    name = rm_us2(name);
    std::string article;
    split_article(name, article);
    auto r = std::make_unique<ItemRecord>(code, ITEM_FOOD, name);
    r->article = article;
    // assign() rather than = "x": g++ 12 warns falsely (-Wrestrict) on the latter here.
    r->short_name.assign(1, 'x');
    r->price = price;
    r->merch = merch;
    r->weight = weight;
    r->diet = diet;
    r->nutrition = nutrition;
    r->material_letter = mat;
    r->light = 0;
    std::vector<std::string> cols = tab_columns(line);
    if (cols.size() >= 9) r->description = trim2(cols[8], true);
    put_record(std::move(r));
  }
}

void ItemData::load_named() {
  FunctionTrace trace("item_d_c:load");
  DataFile f("dat/named.txt", "r");
  if (!f) return;
  std::string line;
  while (read_line(f.get(), line)) {
    line = trim2(line, false);
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> c = tab_columns(line);
    if (c.size() < 3) continue;
    int code = static_cast<int>(hex_to_int(c[0]));
    if (!is_regular_code(code)) continue;
    int parent_code = static_cast<int>(hex_to_int(c[1]));
    const ItemRecord* parent = records_[static_cast<size_t>(parent_code & ITEM_BASE_MASK)].get();
    if (!parent) continue;
    // Build the new record from the parent before anything is replaced: the
    // parent may be the very record that this line replaces.
    auto r = std::make_unique<ItemRecord>(code, parent->type, rm_us2(c[2]));
    bool artifact = Item(static_cast<long>(code)).is_artifact();
    r->merch = artifact ? parent->merch : 'x';
    r->named = true;
    r->parent_code = parent_code;
    r->price = 0;
    r->ac = parent->ac;
    r->grade = parent->grade;
    r->light = parent->light;
    r->weight = parent->weight;
    r->dice = parent->dice;
    r->sides = parent->sides;
    r->hands = parent->hands;
    r->damage_type = parent->damage_type;
    r->weapon_type = parent->weapon_type;
    r->speed = parent->speed;
    r->class_mask = parent->class_mask;
    r->all_classes = parent->all_classes;
    r->weapon_skill = parent->weapon_skill;
    r->usability = parent->usability;
    r->ammo_code = parent->ammo_code;
    r->avg_damage = parent->avg_damage;
    r->material_letter = parent->material_letter;
    if (c.size() > 3) r->default_material = static_cast<int>(hex_to_int(c[3]));
    if (c.size() > 4) {
      std::vector<std::string> parts;
      split(trim2(c[4], true), ":", parts);
      for (const std::string& part : parts) {
        // "kind,value": a hex kind, the comma right after it, a decimal value.
        const char* ks = part.c_str();
        char* kend = nullptr;
        long kind = std::strtol(ks, &kend, 16);
        if (kend == ks || *kend != ',') continue;
        const char* vs = kend + 1;
        char* vend = nullptr;
        long value = std::strtol(vs, &vend, 10);
        if (vend == vs) continue;
        r->effect_kinds.push_back(bounded_int<int>(kind));
        r->effect_values.push_back(bounded_int<int>(value));
        trace.printf("artifact %x effect pushed bak %x %d", static_cast<unsigned>(code),
                     static_cast<unsigned>(r->effect_kinds.back()), r->effect_values.back());
      }
    }
    if (c.size() > 5) r->rarity = bounded_int<int>(std::strtol(c[5].c_str(), nullptr, 10));
    if (c.size() > 6) r->level_req = bounded_int<int>(std::strtol(c[6].c_str(), nullptr, 10));
    if (c.size() > 7 && !c[7].empty()) read_class_letters(*r, c[7]);
    put_record(std::move(r));
    item_links::copy_object_tile(parent_code & ITEM_BASE_MASK, code & ITEM_BASE_MASK);
  }
}

void ItemData::load_mob_names() {
  DataFile f("dat/mobnames.txt", "rb");
  if (!f) return;
  std::string line;
  while (read_line(f.get(), line)) {
    std::vector<std::string> c = tab_columns(line);
    if (c.size() != 2) continue;
    mob_names[static_cast<int>(hex_to_int(c[0]))] = trim2(c[1], false);
  }
}

void ItemData::load_cards() {
  cards.clear();
  DataFile f("dat/cards.txt", "r");
  if (!f) return;
  static const char* const KEYWORDS[13] = {"haste", "trample", "flying", "first_strike", "taunt",
                                           "vampyric", "vigilance", "stealth", "backstab",
                                           "regeneration", "dodge", "wallop", "dual_wield"};
  std::string line;
  while (read_line(f.get(), line)) {
    line = trim2(line, false);
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> c = tab_columns(line);
    if (c.size() < 3 || c[0].empty() || c[1].empty() || c[2].empty()) continue;
    Card card;
    card.name = trim2(c[0], true);
    if (card.name.empty()) continue;
    card.type = c[1][0];
    card.cost = bounded_int<int>(std::strtol(c[2].c_str(), nullptr, 10));
    card.picture = to_lower(add_us2(card.name)) + ".png";
    if (c.size() >= 4) card.power = bounded_int<int>(std::strtol(c[3].c_str(), nullptr, 10));
    if (c.size() >= 5) {
      card.toughness = bounded_int<int>(std::strtol(c[4].c_str(), nullptr, 10));
      if (c.size() >= 7 && !c[6].empty()) card.mark = c[6][0];
      if (c.size() >= 8) card.subtype = trim2(c[7], true);
      if (c.size() >= 9 && !c[8].empty()) {
        std::vector<std::string> words;
        split(trim2(c[8], true), ",", words);
        bool* flags[13] = {&card.haste, &card.trample, &card.flying, &card.first_strike,
                           &card.taunt, &card.vampyric, &card.vigilance, &card.stealth,
                           &card.backstab, &card.regeneration, &card.dodge, &card.wallop,
                           &card.dual_wield};
        for (const std::string& w : words) {
          std::string k = trim2(w, false);
          for (int n = 0; n < 13; ++n)
            if (k == KEYWORDS[n] || (n == 3 && add_us2(k) == KEYWORDS[n])) *flags[n] = true;
        }
      }
      if (c.size() >= 10) card.number = static_cast<int>(hex_to_int(c[9]));
      if (c.size() >= 11 && !c[10].empty()) card.picture = c[10];
      if (c.size() >= 12) card.text1 = trim2(c[11], true) + "\n";
      if (c.size() >= 13) card.text2 = c[12] + "\n";
    }
    if (c.size() >= 14) card.extra_text = c[13];
    cards[card.name] = card;
  }
}

int ItemData::load() {
  FunctionTrace trace("item_d_c:load", true);
  prepare_material_tables();
  load_materials();
  load_weapons();
  load_wearable();
  load_misc("dat/misc.txt");
  load_misc("dat/other.txt");
  load_food();
  load_named();
  load_mob_names();
  load_cards();
  return 0;
}
