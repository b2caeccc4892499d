// Hotkey slots: keys, labels, binding items and spells, using a slot's item.

#include "input/hotkeys.h"

#include <allegro.h>

#include "app/client_app.h"
#include "app/requests.h"
#include "core/config_file.h"
#include "core/item_data.h"
#include "core/spells.h"
#include "core/utils.h"
#include "display/display.h"
#include "input/frame_input.h"
#include "input/keymap.h"
#include "input/normal_keys.h"
#include "input/player_actions.h"
#include "world/item_list.h"
#include "world/player.h"


namespace {
// Slots 44..59 in slot order: their keys and labels.
struct PunctSlot {
  int scancode;
  const char* label;
};
const PunctSlot PUNCT_SLOTS[] = {
    {KEY_TILDE, "~"},      {KEY_MINUS, "-"},      {KEY_EQUALS, "="},   {KEY_OPENBRACE, "["},
    {KEY_CLOSEBRACE, "]"}, {KEY_SEMICOLON, ";"},  {KEY_QUOTE, "'"},    {KEY_COMMA, ","},
    {KEY_STOP, "."},       {KEY_COLON, ":"},      {KEY_ASTERISK, "*"}, {KEY_MINUS_PAD, "-"},
    {KEY_PLUS_PAD, "+"},   {KEY_BACKSLASH, "\\"}, {KEY_BACKSLASH2, "<"}, {KEY_SLASH, "/"}};
constexpr int FIRST_PUNCT_SLOT = 44;
constexpr int FIRST_LETTER_SLOT = 18;

const char* const COMBO_SHORT[] = {"S", "A", "CS", "SA", "CA", "CSA", "Rm", "CRm"};
const char* const COMBO_LONG[] = {"Shift + dir",        "Alt + dir",
                                  "Ctrl + Shift + dir", "Shift + Alt + dir",
                                  "Ctrl + Alt + dir",   "Ctrl + Shift + Alt + dir",
                                  "Right Mouse Button", "Ctrl + Right Mouse Button"};

bool valid_slot(int s) { return s >= 0 && s < PLAYER_HOTKEYS; }
bool is_f_slot(int s) { return s >= HOTKEY_F1_SLOT && s <= HOTKEY_F8_SLOT; }

// Empty the slot's item or spell here and on the server, if it holds one.
void drop_slot_item(int slot) {
  if (!me.item_binds[slot].is_valid()) return;
  me.item_binds[slot] = Item(0L);
  send_slot_item(slot, Item(0L));
}
void drop_slot_spell(int slot) {
  if (me.spell_binds[slot] == -1) return;
  me.spell_binds[slot] = -1;
  send_slot_spell(slot, -1);
}
}  // namespace

int scancode_to_slot(int scancode) {
  if (scancode >= KEY_0 && scancode <= KEY_9) return scancode - KEY_0;
  if (scancode >= KEY_F1 && scancode <= KEY_F8) return HOTKEY_F1_SLOT + scancode - KEY_F1;
  if (scancode >= KEY_A && scancode <= KEY_Z) return FIRST_LETTER_SLOT + scancode - KEY_A;
  for (int i = 0; i < static_cast<int>(std::size(PUNCT_SLOTS)); ++i)
    if (PUNCT_SLOTS[i].scancode == scancode) return FIRST_PUNCT_SLOT + i;
  return -1;
}

int slot_to_scancode(int slot) {
  if (!valid_slot(slot)) return 0;
  if (slot < HOTKEY_F1_SLOT) return KEY_0 + slot;
  if (slot <= HOTKEY_F8_SLOT) return KEY_F1 + slot - HOTKEY_F1_SLOT;
  if (slot < FIRST_PUNCT_SLOT) return KEY_A + slot - FIRST_LETTER_SLOT;
  return PUNCT_SLOTS[slot - FIRST_PUNCT_SLOT].scancode;
}

std::string slot_key_name(int slot) {
  if (!valid_slot(slot)) return "";
  if (slot < HOTKEY_F1_SLOT) return std::string(1, static_cast<char>('0' + slot));
  if (slot <= HOTKEY_F8_SLOT) return "F" + std::to_string(slot - HOTKEY_F1_SLOT + 1);
  if (slot < FIRST_PUNCT_SLOT) return std::string(1, static_cast<char>('A' + slot - FIRST_LETTER_SLOT));
  return PUNCT_SLOTS[slot - FIRST_PUNCT_SLOT].label;
}

std::string combo_key_name(int slot, bool short_form) {
  if (!is_f_slot(slot)) return "";
  return (short_form ? COMBO_SHORT : COMBO_LONG)[slot - HOTKEY_F1_SLOT];
}

void bind_slot(int slot, const SlotEntry& entry) {
  if (entry.item.is_valid()) {
    send_slot_item(slot, entry.item);
    me.item_binds[slot] = entry.item;
    drop_slot_spell(slot);
    for (int i = 0; i < PLAYER_HOTKEYS; ++i)
      if (i != slot && me.item_binds[i] == entry.item) drop_slot_item(i);
  } else if (entry.spell >= 0) {
    send_slot_spell(slot, entry.spell);
    me.spell_binds[slot] = entry.spell;
    drop_slot_item(slot);
    for (int i = 0; i < PLAYER_HOTKEYS; ++i)
      if (i != slot && me.spell_binds[i] == entry.spell) drop_slot_spell(i);
  } else {
    drop_slot_spell(slot);
    drop_slot_item(slot);
  }
}

void bind_item_to_key(int scancode) {
  int s = scancode_to_slot(scancode);
  if (is_alt_down() ? !valid_slot(s) : !is_f_slot(s)) return;
  Item it = d.get_selected_item();
  if (!it.is_valid()) return;
  if (me.item_binds[s] == it) {
    // Only the item goes: a spell kept beside it (a character stored by an
    // older client) stays, and it is what the hotbar shows.
    drop_slot_item(s);
    d.print_msg("%s key unbound", slot_key_name(s).c_str());
    return;
  }
  bind_slot(s, SlotEntry::of_item(it));
  d.print_msg("%s bound to key %s", wl.get_full_name(it).c_str(), slot_key_name(s).c_str());
}

void use_key_item(int scancode, uint8_t& ready, uint64_t& stamp, uint32_t& mode, Item& prompt_item,
                  Item& last_item) {
  if (scancode >= KEY_0_PAD && scancode <= KEY_9_PAD) return;
  int s = scancode_to_slot(scancode);
  // A slot key stops a running repeat and acts at once, ready or not.
  if (s >= 0 && any_repeat_flag()) clear_repeat_flags();
  else if (!ready) return;
  ready = 0;
  stamp = input_clock_us();
  if (s < 0) return;
  const Item it = me.item_binds[s];
  if (!it.is_valid()) {
    d.print_msg("No item bound to %s!", slot_key_name(s).c_str());
    return;
  }
  if (items.get_qty(it) <= 0) {
    d.print_msg("You don't have a %s to use/equip!", wl.get_full_name(it).c_str());
    return;
  }
  if (wl.get_type(it) == 'i' || (is_shift_down() && !is_f_slot(s))) {
    d.print_msg("Use %s in which direction?", wl.get_full_name(it).c_str());
    mode = MODE_USEDIR;
    prompt_item = it;
  } else {
    use_item_here(it);
  }
  last_item = it;
  clear_repeat_flags();
}

void bind_spell_to_key(ClientApp& a, bool f_key) {
  gc_interface_mode = MODE_BIND_KEY;
  const int s = a.session.button_number;
  std::string current = "none";
  if (valid_slot(s)) {
    if (me.item_binds[s].is_valid()) current = wl.get_full_name(me.item_binds[s]);
    else if (spells.is_valid_id(me.spell_binds[s])) current = spells.get_full_spell_name(me.spell_binds[s]);
  }
  d.print_msg("Binding spell to %s%d%s%s%s: currently %s", f_key ? "F" : "", f_key ? s - 9 : s,
              f_key ? " (" : "", combo_key_name(s, false).c_str(), f_key ? ")" : "", current.c_str());
  a.session.input_text.clear();
  a.session.spell_words.clear();
  a.session.input_pos = 0;
  d.draw_input_line("Bind spell: ", a.session.input_text, a.session.input_pos);
}

int hotbar_button_slot(int button) {
  return button >= 0 && button < HOTBAR_SLOT_BUTTONS ? HOTKEY_F1_SLOT + button : -1;
}

int hotbar_button_command(int button) {
  if (button < HOTBAR_SLOT_BUTTONS || button >= HOTBAR_SLOT_BUTTONS + HOTBAR_COMMAND_BUTTONS) return -1;
  const std::string key = "hotbar" + std::to_string(button);
  if (client_cfg.get(key).empty()) return -1;
  int action = client_cfg.get_int(key);
  return action >= KA_ACTIVATE && action < KEYMAP_NUM_ACTIONS ? action : -1;
}
