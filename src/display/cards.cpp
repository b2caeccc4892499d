// The card windows: single cards, the hand, the linked card, the lower panel.

#include "display/cards.h"

#include <allegro.h>
#include <loadpng.h>

#include <algorithm>
#include <cctype>

#include "core/item_data.h"
#include "core/string_utils.h"
#include "display/display.h"
#include "display/list_panel.h"
#include "world/item_list.h"

namespace {

// Far more copies than any screen can show; keeps 90 x copies inside 64 bits.
constexpr int64_t HAND_MAX_COPIES = (INT64_MAX / 4) / CARD_HAND_STEP;

int rgb(int r, int g, int b) { return makecol(r, g, b); }

int type_colour(char type) {
  switch (type) {
    case 'c': return rgb(4, 68, 118);
    case 'a': return rgb(96, 92, 80);
    case 's': return rgb(157, 0, 63);
    default: return rgb(0, 0, 0);
  }
}

// The cached picture of a card, loaded on the first request only.
BITMAP* card_picture(const Card& card, std::map<std::string, BITMAP*>* pictures) {
  if (!pictures) return nullptr;
  auto it = pictures->find(card.name);
  if (it != pictures->end()) return it->second;
  BITMAP* pic = nullptr;
  const std::string path = card_picture_path(card.picture);
  if (!path.empty()) pic = load_png(path.c_str(), nullptr);
  (*pictures)[card.name] = pic;
  return pic;
}

int64_t ceil_div(int64_t a, int64_t b) { return a >= 0 ? (a + b - 1) / b : -((-a) / b); }
int64_t floor_div(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

}  // namespace

std::string card_picture_path(const std::string& name) {
  if (name.empty() || name[0] == '/' || name[0] == '\\') return "";
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("/\\", start);
    if (end == std::string::npos) end = name.size();
    if (name.compare(start, end - start, "..") == 0) return "";
    start = end + 1;
  }
  return CARD_PICTURE_DIR + name;
}

CardHand card_hand_layout(const std::vector<HandEntry>& entries, int panel_x, int play_height, int bitmap_w,
                          int mouse_x, int mouse_y) {
  CardHand hand;
  for (const HandEntry& e : entries)
    hand.copies = std::min(HAND_MAX_COPIES, hand.copies + std::clamp<int64_t>(e.quantity, 0, HAND_MAX_COPIES));
  hand.first_x = panel_x / 2 - static_cast<int64_t>(CARD_HAND_STEP / 2) * hand.copies;
  if (hand.copies == 0) return hand;

  // Copies k with first_x + 90 k in -87 .. bitmap_w - 1 touch the bitmap.
  const int64_t k_min = std::max<int64_t>(0, ceil_div(-(CARD_SMALL_W - 1) - hand.first_x, CARD_HAND_STEP));
  const int64_t k_max = std::min<int64_t>(hand.copies - 1, floor_div(bitmap_w - 1 - hand.first_x, CARD_HAND_STEP));
  const int y = play_height - 140;
  int64_t start = 0;
  for (const HandEntry& e : entries) {
    if (start > k_max) break;
    const int64_t q = std::clamp<int64_t>(e.quantity, 0, HAND_MAX_COPIES - start);
    for (int64_t k = std::max(start, k_min); k < start + q && k <= k_max; ++k) {
      HandCard c{e.item, e.name, hand.first_x + CARD_HAND_STEP * k, y};
      if (mouse_x >= c.x && mouse_x <= c.x + CARD_SMALL_W - 1 && mouse_y >= y && mouse_y <= play_height - 14) {
        hand.has_hovered = true;
        hand.hovered = {c.item, c.name, c.x - 31, play_height - 245};
      } else {
        hand.small.push_back(c);
      }
    }
    start += q;
  }
  return hand;
}

std::vector<HandEntry> cards_in_hand() {
  std::vector<HandEntry> hand;
  for (ItemListEl* n = items.first; n; n = n->next) {
    if (n->item.get_base_code() != ITEM_BASE_CARD || !n->item.is_blessed() || n->item.is_banked())
      continue;
    hand.push_back({n->item, wl.get_name(n->item), n->qty});
  }
  return hand;
}

void draw_card_face(const Card& card, BITMAP* dest, int x, int y, bool large, const CardDraw& how) {
  if (!dest) return;
  FONT* f = how.font ? how.font : font;
  const int W = large ? CARD_LARGE_W : CARD_SMALL_W;
  const int H = large ? CARD_LARGE_H : CARD_SMALL_H;
  const int px = x + (large ? 9 : 6);
  const int pw = large ? 152 : 76, ph = large ? 116 : 58;
  const int wrap_w = large ? 150 : 76;
  const int top = y + 13;
  const int black = rgb(0, 0, 0), white = rgb(255, 255, 255);

  rectfill(dest, x, y, x + W - 1, y + H - 1, black);
  rectfill(dest, x + 3, y + 3, x + W - 4, y + H - 4, type_colour(card.type));
  draw_wrapped_text(dest, f, card.name + "\n", px, y + 3, wrap_w, 100, 0xffffff);

  circlefill(dest, x + W - 11, y + 7, 4, rgb(51, 153, 255));
  textout_ex(dest, f, card.get_cost_str().c_str(), x + W - 12, y + 3, white, -1);

  if (BITMAP* pic = card_picture(card, how.pictures)) {
    BITMAP* via = how.work ? how.work : dest;
    stretch_blit(pic, via, 0, 0, pic->w, pic->h, px, top, pw, ph);
    if (via != dest) blit(via, dest, px, top, px, top, pw, ph);
  } else {
    rectfill(dest, px, top, large ? x + 160 : x + 81, large ? y + 128 : y + 70, black);
    const Item shown(static_cast<long>(card.number != 0 ? card.number : CARD_DEFAULT_ITEM));
    if (how.draw_item) how.draw_item(dest, shown, large ? x + 53 : x + 28, large ? y + 31 : y + 22, large);
  }
  rect(dest, px - 1, top - 1, px + pw, top + ph, black);

  textout_ex(dest, f, card.get_type_str().c_str(), px, top + ph, white, -1);
  if (large)
    textprintf_ex(dest, f, x + 155, y + 129, white, -1, "%c",
                  std::toupper(static_cast<unsigned char>(card.type)));

  rectfill(dest, px, y + ph + 22, large ? x + 160 : x + 81, large ? y + 218 : y + 115, rgb(38, 35, 47));
  int used = 0;
  const std::string text1 = trim2(card.get_text1(), false);
  if (!text1.empty()) {
    const int ty = y + ph + 24;
    used = draw_wrapped_text(dest, f, text1, px, ty, wrap_w, large ? 88 : 30, 0xdddddd) - ty;
  }
  const std::string pt = card.get_pt_str();
  if (!large) {
    textout_right_ex(dest, f, pt.c_str(), x + W - 6, y + H - 11, white, -1);
    return;
  }
  if (88 - used > 0)
    draw_wrapped_text(dest, f, card.get_text2(), x + 9, y + 140 + used, 150, 88 - used, 0xffde00);
  textout_right_ex(dest, f, pt.c_str(), x + W - 9, y + H - 12, white, -1);
  textout_ex(dest, f, card.extra_text.c_str(), x + 9, y + H - 12, white, -1);
}

void free_card_pictures(std::map<std::string, BITMAP*>& pictures) {
  for (auto& [name, pic] : pictures) {
    if (pic) destroy_bitmap(pic);
  }
  pictures.clear();
}

// ---- The display's card layer ----------------------------------------------------

void QYXDisplay::draw_card(const std::string& name, BITMAP* dest, int x, int y, bool large) {
  const Card* card = wl.get_card(name);
  if (!card) return;
  CardDraw how;
  how.work = work_bitmap;
  how.font = names_font;
  how.pictures = &card_pictures;
  how.draw_item = [this](BITMAP* b, const Item& item, int ix, int iy, bool doubled) {
    draw_item_picture(item, b, ix, iy, doubled);
  };
  draw_card_face(*card, dest, x, y, large, how);
}

void QYXDisplay::draw_card_hand(BITMAP* dest) {
  if (!dest) return;
  const CardHand hand = card_hand_layout(cards_in_hand(), panel_x, play_height, dest->w, mouse_x, mouse_y);
  for (const HandCard& c : hand.small) draw_card(c.name, dest, static_cast<int>(c.x), c.y, false);
  if (hand.has_hovered) {
    draw_card(hand.hovered.name, dest, static_cast<int>(hand.hovered.x), hand.hovered.y, true);
  }
}

void QYXDisplay::draw_linked_card(BITMAP* dest) {
  if (!card_link.empty()) draw_card(card_link, dest, 0, 0, true);
}

void QYXDisplay::draw_lower_panel(BITMAP* dest) {
  // The entry that the list's detail box describes: under the pointer, else
  // the cursor's.
  const Item entry = curr_display == 1 ? get_selected_item() : Item(0L);
  if (entry.get_base_code() == ITEM_BASE_CARD)
    draw_card(wl.get_name(entry), dest, panel_x + 9, 454, true);
  else
    draw_aux_box(dest);
}
