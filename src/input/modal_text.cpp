// The typed-text modes: the chat and NPC talk lines with their history and
// whisper partners, the spell letters of casting and binding, the ability
// list with its slot bindings, and the level-up point choice.

#include <allegro.h>

#include <cctype>

#include "app/client_app.h"
#include "app/play_messages.h"
#include "app/requests.h"
#include "core/skills_classes.h"
#include "core/spells.h"
#include "core/string_utils.h"
#include "display/display.h"
#include "display/list_panel.h"
#include "input/hotkeys.h"
#include "input/keymap.h"
#include "input/modal_input.h"
#include "input/player_actions.h"
#include "world/item_list.h"
#include "world/player.h"

namespace {

void to_normal() { gc_interface_mode = MODE_NORMAL; }
bool is_enter(const ClientApp& app) {
  return app.session.last_scancode == KEY_ENTER || app.session.last_scancode == KEY_ENTER_PAD;
}

// ---- Chat and NPC talk ------------------------------------------------------------

const char* text_prompt(int mode) { return mode == MODE_NPCTALK ? "Your interest? " : "Say: "; }

void show_text_line(ClientApp& app, int mode) {
  d.draw_input_line(text_prompt(mode), app.session.input_text, app.session.input_pos);
}

void add_history(ClientApp& app, const std::string& line) {
  app.input_history.push_back(line);
  while (app.input_history.size() > static_cast<size_t>(CHAT_HISTORY_MAX))
    app.input_history.erase(app.input_history.begin());
  app.session.history_pos = static_cast<int32_t>(app.input_history.size());
}

void recall_history(ClientApp& app, int step) {
  const int n = static_cast<int>(app.input_history.size());
  if (n == 0) return;
  int pos = app.session.history_pos + step;
  if (pos < 0) pos = 0;
  if (pos > n - 1) pos = n - 1;
  app.session.history_pos = pos;
  app.session.input_text = app.input_history[static_cast<size_t>(pos)];
  app.session.input_pos = static_cast<int32_t>(app.session.input_text.size());
}

// Addresses the current partner; when the line already does, the next one
// (with SHIFT the previous one) instead.
void next_whisperer(ClientApp& app) {
  const int n = static_cast<int>(app.whisper_partners.size());
  if (app.session.input_text == "/msg " + app.whisper_partner() + " ") {
    int i = app.whisper_index + (is_shift_down() ? -1 : 1);
    app.whisper_index = ((i % n) + n) % n;
  }
  app.session.input_text = "/msg " + app.whisper_partner() + " ";
  app.session.input_pos = static_cast<int32_t>(app.session.input_text.size());
}

void leave_text_entry() {
  d.hide_input_line();
  d.talk_topics.clear();
  to_normal();
}

void send_text_line(ClientApp& app, int mode) {
  const std::string line = app.session.input_text;
  add_history(app, line);
  d.hide_input_line();
  d.scroll_messages_reset();
  if (mode == MODE_CHAT) {
    if (line[0] == '#')
      do_command(line);
    else
      send_chat_text(line);
    app.session.input_text.clear();
    app.session.input_pos = 0;
    leave_text_entry();
    return;
  }
  app.session.input_text.clear();
  app.session.input_pos = 0;
  if (to_upper(line) == "BYE") {
    d.print_msg("Bye!");
    leave_text_entry();
    return;
  }
  send_talk(app.session.talk_partner_id, line);
  show_text_line(app, mode);
}

// ---- Spell letters --------------------------------------------------------------------

const char* spell_prompt(int mode) { return mode == MODE_BIND_KEY ? "Bind spell: " : "Spell/ability: "; }

void finish_spell_entry(ClientApp& app, int mode) {
  const std::string letters = app.session.input_text;
  to_normal();
  d.hide_input_line();
  app.session.input_text.clear();
  app.session.spell_words.clear();
  if (letters.empty()) {
    d.print_msg("What spell?");
    return;
  }
  int id = spells.get_spell_id(letters);
  if (id < 0 || (!spells.uses_words(id) && !me.is_dm())) {
    d.print_msg("Invalid spell!");
    return;
  }
  if (mode == MODE_BIND_KEY) {
    int slot = app.session.button_number;
    if (slot < 0 || slot >= PLAYER_HOTKEYS) return;
    bind_slot(slot, SlotEntry::of_spell(id));
    bool f_key = slot > 9;
    bool combo = slot >= 10 && slot <= 17;
    d.print_msg("Bind successful! (%s%d=%s%s%s)", f_key ? "F" : "", f_key ? slot - 9 : slot,
                spells.get_full_spell_name(id).c_str(), combo ? ", " : "",
                combo ? combo_key_name(slot, false).c_str() : "");
    return;
  }
  if (me.hp > 0) {
    if (cast_spell(app, letters, true) == CAST_WAITING) gc_interface_mode = MODE_CASTDIR;
    app.session.last_spell = letters;
  }
}

// ---- Ability list ------------------------------------------------------------------------

// The slot a key or click binds the ability under the cursor to; -1 none.
int ability_bind_slot(const ClientApp& app) {
  const int sc = app.session.last_scancode;
  if (sc >= KEY_F1 && sc <= KEY_F8 && !is_alt_down()) return 10 + sc - KEY_F1;
  if (is_alt_down() && !app.session.left_released && scancode_to_slot(sc) >= 0)
    return scancode_to_slot(sc);
  if (app.session.right_released) return is_ctrl_down() ? 17 : 16;
  return -1;
}

void bind_ability(int slot) {
  Item entry = d.get_selected_item();
  int id = static_cast<int>(entry.code);
  if (!spells.is_valid_id(id)) return;
  if (me.spell_binds[slot] == id) {
    d.print_msg("Spell/ability unbound!");
    bind_slot(slot, SlotEntry{});
    return;
  }
  bind_slot(slot, SlotEntry::of_spell(id));
  d.print_msg("Bind successful! (%s=%s, %s)", slot_key_name(slot).c_str(),
              spells.get_full_spell_name(id).c_str(), combo_key_name(slot, false).c_str());
}

}  // namespace

namespace modal {

void do_text_entry(ClientApp& app, int mode) {
  const int sc = app.session.last_scancode;
  const int c = app.session.last_ascii;
  if (app.session.input_pos < 0 ||
      app.session.input_pos > static_cast<int32_t>(app.session.input_text.size()))
    app.session.input_pos = static_cast<int32_t>(app.session.input_text.size());
  if (c == ASCII_ESC) {
    d.print_msg(mode == MODE_NPCTALK && app.session.input_text.empty() ? "Bye!" : "Cancelled!");
    app.session.input_text.clear();
    app.session.input_pos = 0;
    leave_text_entry();
    return;
  }
  if (is_enter(app)) {
    if (!app.session.input_text.empty()) send_text_line(app, mode);
    return;
  }
  if (mode == MODE_CHAT && is_ctrl_down() && keymap.is_key(KA_TALK, sc) &&
      !app.whisper_partner().empty()) {
    next_whisperer(app);
  } else if (sc == KEY_BACKSPACE) {
    if (app.session.input_pos > 0)
      app.session.input_text.erase(static_cast<size_t>(--app.session.input_pos), 1);
  } else if (sc == KEY_DEL) {
    if (app.session.input_pos > 0) --app.session.input_pos;
  } else if (sc == KEY_PGDN) {
    if (app.session.input_pos < static_cast<int32_t>(app.session.input_text.size()))
      ++app.session.input_pos;
  } else if (sc == KEY_HOME) {
    app.session.input_pos = 0;
  } else if (sc == KEY_END) {
    app.session.input_pos = static_cast<int32_t>(app.session.input_text.size());
  } else if (sc == KEY_INSERT) {
    recall_history(app, -1);
  } else if (sc == KEY_PGUP) {
    recall_history(app, 1);
  } else if (c >= 32 && c <= 126) {
    if (app.session.input_text.size() < TYPED_TEXT_MAX)
      app.session.input_text.insert(static_cast<size_t>(app.session.input_pos++), 1,
                                    static_cast<char>(c));
  } else {
    return;
  }
  show_text_line(app, mode);
}

void do_spell_entry(ClientApp& app, int mode) {
  const int c = std::tolower(app.session.last_ascii);
  if (app.session.last_ascii == ASCII_ESC) {
    d.print_msg("Cancelled!");
    app.session.input_text.clear();
    app.session.spell_words.clear();
    d.hide_input_line();
    to_normal();
    return;
  }
  if (is_enter(app)) {
    if (app.session.spell_ready) finish_spell_entry(app, mode);
    return;
  }
  if (app.session.last_scancode == KEY_BACKSPACE) {
    if (app.session.input_text.empty()) return;
    std::string word = Spells::get_word(app.session.input_text.back()) + " ";
    app.session.input_text.pop_back();
    if (app.session.spell_words.size() >= word.size())
      app.session.spell_words.erase(app.session.spell_words.size() - word.size());
  } else if (((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) &&
             Spells::valid_word(static_cast<char>(c)) &&
             app.session.input_text.size() < SPELL_LETTERS_MAX) {
    app.session.input_text += static_cast<char>(c);
    app.session.spell_words += Spells::get_word(static_cast<char>(c)) + " ";
  } else {
    return;
  }
  d.draw_input_line(spell_prompt(mode), app.session.spell_words,
                    static_cast<int>(app.session.spell_words.size()));
}

void do_ability_list(ClientApp& app) {
  int slot = ability_bind_slot(app);
  if (slot >= 0) {
    bind_ability(slot);
    // The row's slot label and the combination line show the new binding.
    d.draw_list_panel(&temp_list, SELECT_ABILITY, nullptr);
    return;
  }
  bool picks = is_enter(app) || (app.session.left_released && app.session.hover_item.code != -1);
  if (picks && !app.session.spell_ready) return;
  Item r = read_list(app, SELECT_ABILITY, false);
  if (r.code == -2) return;
  close_list();
  to_normal();
  if (r.code == -1) {
    d.print_msg("Cancelled!");
    return;
  }
  const std::string name = spells.get_spell_str(static_cast<int>(r.code));
  if (me.hp > 0) {
    if (cast_spell(app, name, true) == CAST_WAITING) gc_interface_mode = MODE_CASTDIR;
    app.session.last_spell = name;
  }
}

void do_level_up(ClientApp& app) {
  if (app.session.last_ascii == ASCII_ESC) {
    app.session.level_up_pending = 1;
    me.stat_points = app.session.level_up_saved_points;
    for (int32_t& n : app.session.level_up_counts) n = 0;
    d.print_msg("Level up canceled.");
    playerstats(0);
    to_normal();
    return;
  }
  if (me.stat_points <= 0 || app.session.last_ascii == 0) return;
  for (int stat : {3, 1, 2}) {
    if (app.session.last_ascii != static_cast<uint8_t>(sc.get_stat_key(stat))) continue;
    ++app.session.level_up_counts[stat];
    --me.stat_points;
    std::string name = sc.get_stat_name(stat);
    if (!name.empty()) name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    d.print_msg("%s++", name.c_str());
    playerstats(0);
    break;
  }
  if (me.stat_points > 0) return;
  send_level_up(app.session.level_up_counts);
  for (int32_t& n : app.session.level_up_counts) n = 0;
  d.print_msg("Level up complete.");
  to_normal();
}

}  // namespace modal
