// Items given and taken by the server ('I', 'J'), the crafting list ('c')
// and skill updates ('S').

#include <cmath>
#include <cstdio>
#include <vector>

#include "app/client_app.h"
#include "app/globals.h"
#include "app/message_handlers.h"
#include "app/play_messages.h"

namespace {

constexpr size_t ITEM_TEXT_SIZE = 1001;
constexpr int BASE_CURRENCY = 256;
constexpr char COLOUR_WHITE = 16;
constexpr char COLOUR_SKILL = 18;

}  // namespace

void receive_item(const std::string& line) {
  std::vector<char> buf(ITEM_TEXT_SIZE, '\0');
  long count = 0;
  int quiet = 0;
  if (std::sscanf(line.c_str(), "I %1000s %ld %d", buf.data(), &count, &quiet) < 2) return;
  Item it(std::string(buf.data()));
  if (!it.is_regular_item()) {
    playerstats(0);
    return;
  }
  if (count < 1) return;
  items.add(it, count, 0, false);
  playerstats(0);
  if (quiet) return;
  if (it.get_base_code() == BASE_CURRENCY) {
    std::string word = common_cfg.get(count == 1 ? "currency_long_single" : "currency_long");
    d.print_msg("You got %ld %s.", count, word.c_str());
    return;
  }
  if (it.is_base_295()) return;
  const std::string name = wl.get_full_name(it);
  const char colour = static_cast<char>(d.colour_code(d.item_text_colour(it)));
  if (count == 1)
    d.print_msg("%c%s%c added to your inventory.", colour, name.c_str(), COLOUR_WHITE);
  else if (wl.get_type(it) == 'a')
    d.print_msg("%c%s%c added to inventory (%ld pieces).", colour, name.c_str(), COLOUR_WHITE, count);
  else
    d.print_msg("%c%s%c added to inventory (%ld in total).", colour, name.c_str(), COLOUR_WHITE,
                count);
}

void process_item_removed(const std::string& line) {
  std::vector<char> buf(ITEM_TEXT_SIZE, '\0');
  int count = 0, quiet = 0;
  if (std::sscanf(line.c_str(), "J %1000s %d %d", buf.data(), &count, &quiet) != 3) return;
  Item it(std::string(buf.data()));
  items.remove(it, count);
  playerstats(0);
  if (it.is_base_295() || quiet) return;
  d.print_msg("%s (x%d) removed from inventory!", wl.get_full_name(it).c_str(), count);
}

void process_craft_list(const std::string& line) {
  std::vector<char> buf(ITEM_TEXT_SIZE, '\0');
  long qty = 0;
  int price = 0, spare = 0, make_ms = 0;
  if (std::sscanf(line.c_str(), "c %1000s %ld %d %d %d", buf.data(), &qty, &price, &spare,
                  &make_ms) != 5)
    return;
  Item it(std::string(buf.data()));
  if (it.code == 0) {
    temp_list.clear();
    d.print_msg("What would you like to make?");
    return;
  }
  ItemListEl* node = temp_list.add(it, qty, price, true);
  if (node == nullptr) return;
  size_t at = line.find('@');
  node->text = at == std::string::npos ? std::string() : line.substr(at + 1);
  // The make menu reads the crafting time from the second spare field.
  node->a = spare;
  node->c = make_ms;
}

void process_skill_update(const std::string& line) {
  int skill = 0;
  float value = 0.0f;
  if (std::sscanf(line.c_str(), "S %d %f", &skill, &value) == 2 && skill >= 0 &&
      skill < sc.max_skills()) {
    value = bounded_figure(value);
    float old = me.get_raw_skill(skill);
    set_skill(me, skill, value);
    if (std::floor(value) > std::floor(old) || value < old)
      d.print_msg("%cYour skill in %s is now %d.", COLOUR_SKILL, sc.get_skillname(skill).c_str(),
                  static_cast<int>(value));
  }
  playerstats(0);
}
