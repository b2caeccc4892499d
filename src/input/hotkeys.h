#pragma once
// The sixty hotkey slots: which key fires which slot, the slot labels and the
// modifier-combination names of slots 10..17, binding items and spells to a
// slot, and using a slot's item. The slot contents live in `me`
// (`item_binds`, `spell_binds`) and are mirrored to the server with "n i" and
// "n s" lines, which the server sends back at the next login.

#include <cstdint>
#include <string>

#include "core/item.h"
#include "display/hotbar.h"

class ClientApp;

// The F1..F8 slots, which double as the modifier combinations.
constexpr int HOTKEY_F1_SLOT = 10;
constexpr int HOTKEY_F8_SLOT = 17;

// The slot of an Allegro scancode; -1 for a key without slot.
int scancode_to_slot(int scancode);
// The key that fires a slot; 0 outside 0..59.
int slot_to_scancode(int slot);
// "0".."9", "F1".."F8", "A".."Z" and the punctuation labels; empty outside 0..59.
std::string slot_key_name(int slot);
// The combination name of slot 10..17 ("S" / "Shift + dir" ...); empty otherwise.
std::string combo_key_name(int slot, bool short_form);

// What a binding puts on a slot: an item, a spell, or neither (nothing).
struct SlotEntry {
  Item item;
  int spell = -1;
  static SlotEntry of_item(const Item& it) { return {it, -1}; }
  static SlotEntry of_spell(int id) { return {Item(0L), id}; }
};
// Every binding goes through here, so that a slot holds an item or a spell,
// never both, and an item or a spell sits on one slot at most, on the server
// as here: the entry goes on the slot, the slot's other kind is emptied and
// the entry leaves every other slot. The server keeps a slot's item and
// spell apart, and one left there would come back at the next login. The
// empty entry empties the slot.
void bind_slot(int slot, const SlotEntry& entry);
// Binds the item selected in the open list to the slot of `scancode`
// (F1..F8, or any slot while ALT is held); the item already there unbinds it.
void bind_item_to_key(int scancode);
// Uses or equips the item of the slot of `scancode` (see hotkeys.cpp).
void use_key_item(int scancode, uint8_t& ready, uint64_t& stamp, uint32_t& mode, Item& prompt_item,
                  Item& last_item);
// Starts binding a spell to the slot held in `app.session.button_number` (MODE_BIND_KEY).
void bind_spell_to_key(ClientApp& app, bool f_key);

// The hotbar's buttons and what they stand for. Buttons 0..7 show slots
// 10..17; buttons 8..15 are command buttons and stand for no slot at all.
// -1 for a button that is not a slot button.
int hotbar_button_slot(int button);
// The keymap action bound to command button 8..15 ("client.cfg"
// "hotbar8".."hotbar15"); -1 when unbound, outside 8..30, or not a command button.
int hotbar_button_command(int button);
