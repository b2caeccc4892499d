// The input steps of each frame-loop pass: mouse state and pointer shape,
// the tick (ready flags, periodic lines, clocks, script tick), the list pick,
// the key of the pass and the redraw pacing.

#include "input/hotkeys.h"
#include "input/frame_input.h"

#include <allegro.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "app/client_app.h"
#include "app/play_messages.h"
#include "app/requests.h"
#include "app/server_handlers.h"
#include "core/buffs.h"
#include "core/config_file.h"
#include "core/ids.h"
#include "core/interaction_modes.h"
#include "core/string_utils.h"
#include "core/utils.h"
#include "display/display.h"
#include "display/list_keys.h"
#include "input/item_lists.h"
#include "input/keymap.h"
#include "input/modal_input.h"
#include "input/options.h"
#include "input/player_actions.h"
#include "net/socket.h"
#include "script/script_host.h"
#include "world/cmap.h"
#include "world/effects.h"
#include "world/item_drop.h"
#include "world/item_list.h"
#include "world/player.h"

static_assert(TIMER_MOVE_START < CLIENT_ACTION_TIMERS, "a timer per input stamp");

uint64_t (*input_clock_us)() = get_time_us;
int fps = 0;
int anim_ping_pong = 1;
bool blink_on = false;
bool carries_light_item = false;
bool carries_sight_item = false;
uint32_t bytes_sent_last_second = 0;
uint32_t bytes_received_last_second = 0;
int craft_delay = CRAFT_DELAY_DEFAULT_MS;

namespace {

constexpr int IDLE_HIDE_MS = 2000;
constexpr double IDLE_MS_CAP = 1e9;
constexpr int HW_CURSOR_CAPABILITY = 4;
constexpr int TILE_DOOR_CLOSED = 103;
constexpr int LETTER_SCANCODE_LAST = 26;
constexpr int LEVEL_SYNC_LIMIT = 4;
constexpr int PARTICLE_LIFETIME_MS = 500;
constexpr int PARTICLE_RANGE = 7;
constexpr int BUFF_EFFECT_SPARKLE = 35;
constexpr int OBJECT_FLAG_GLOWS = 8;
constexpr int BASE_LIGHT_ITEM = 318;
constexpr int BASE_SIGHT_ITEM = 263;

double ms_since(uint64_t stamp, uint64_t now) {
  return now > stamp ? static_cast<double>(now - stamp) / 1000.0 : 0.0;
}

// Sets `flag` again once more than `delay_ms()` have passed since `stamp`. A
// wall clock that stepped back behind the stamp re-arms at once rather than
// holding the action back until the clock catches up. The delay is worked
// out only for a flag that is down: this runs every pass.
template <class Delay>
void rearm(uint8_t& flag, uint64_t stamp, Delay delay_ms, uint64_t now) {
  if (!flag && (now < stamp || ms_since(stamp, now) > delay_ms())) flag = 1;
}

// Whether `period_ms` have passed since the stamp.
bool due(uint64_t stamp, double period_ms, uint64_t now) {
  return ms_since(stamp, now) >= period_ms || now < stamp;
}

// Whether `period_ms` have passed since the stamp; stamps it when so.
bool every(uint64_t& stamp, double period_ms, uint64_t now) {
  if (!due(stamp, period_ms, now)) return false;
  stamp = now;
  return true;
}

// The hotbar button under the pointer among the first `count`; -1 none.
int hotbar_button_at_pointer(int count) {
  int n = std::min<int>(count, static_cast<int>(d.hotbar.size()));
  for (int i = 0; i < n; ++i)
    if (d.hotbar[static_cast<size_t>(i)].contains(mouse_x, mouse_y, res_x, res_y)) return i;
  return -1;
}

void take_key(ClientApp& app, int key) {
  app.session.last_key = key;
  app.session.last_ascii = static_cast<uint8_t>(key & 0xff);
  app.session.last_scancode = key >> 8;
  app.key_this_pass = 1;
}

}  // namespace

// ---- Pure rules -----------------------------------------------------------------

int pointer_direction(int dx, int dy, float angle) {
  if (dx >= -1 && dx <= 1 && dy >= -1 && dy <= 1) {
    static const int BY_OFFSET[3][3] = {{8, 1, 2}, {7, 0, 3}, {6, 5, 4}};
    return BY_OFFSET[dy + 1][dx + 1];
  }
  if (angle >= -22.5f && angle < 22.5f) return 3;
  if (angle >= 22.5f && angle < 67.5f) return 2;
  if (angle >= 67.5f && angle < 112.5f) return 1;
  if (angle >= 112.5f && angle < 157.5f) return 8;
  if (angle >= 157.5f || angle < -157.5f) return 7;
  if (angle < -112.5f) return 6;
  if (angle < -67.5f) return 5;
  return 4;
}

int wheel_key(int last, int now, bool ctrl) {
  if (last > now) return ctrl ? KEYCODE_PGDN : KEYCODE_DOWN;
  if (last < now) return ctrl ? KEYCODE_PGUP : KEYCODE_UP;
  return 0;
}

int move_delay_ms() {
  double delay = me.get_delay(false, items.total_weight);
  if (!me.is_dm() && me.hp >= 1 && !me.has_status(HN_MOUNTED)) {
    switch (cmap.get_tile(me.x, me.y)) {
      case 47: case 44: delay *= 1.5; break;
      case CMAP_TILE_FOREST: case CMAP_TILE_SWAMP: delay *= 2.0; break;
      case CMAP_TILE_DEEP_WATER: if (!me.has_status(HN_PILOT)) delay *= 2.5; break;
      default: break;
    }
  }
  return bounded_int<int>(delay);
}

double frame_interval_ms() {
  if (!options.get(OPT_FPS_LIMITER)) return 0.0;
  if (options.get(OPT_SMOOTH_SCROLLING)) return 1000 / (d.tile_size + 10);
  return 28.0;
}

int scroll_offset_for(double elapsed_ms, int delay_ms, int tile) {
  // No delay: the step is over at once.
  if (delay_ms <= 0) return 0;
  double fraction = elapsed_ms / delay_ms;
  int offset = static_cast<int>(std::floor((1.0 - fraction) * tile + 0.5));
  return offset < 0 ? 0 : offset;
}

// ---- Mouse ------------------------------------------------------------------------

void ClientApp::do_mouse() {
  const uint64_t now = input_clock_us();
  const int mode = static_cast<int>(gc_interface_mode);
  int mx = 0, my = 0;
  get_mouse_mickeys(&mx, &my);
  const int buttons = mouse_b;
  // Idle means no movement at all; equal non-zero steps are still movement.
  if (mx == 0 && my == 0 && (buttons & 7) == 0) {
    idle_ms = static_cast<int32_t>(
        std::min<double>(idle_ms + ms_since(session.action_timers[TIMER_MOUSE], now), IDLE_MS_CAP));
    if (idle_ms > IDLE_HIDE_MS && mode == MODE_NORMAL && d.mouse_shown) d.hide_mouse();
  } else {
    if (!d.mouse_shown && (gfx_capabilities & HW_CURSOR_CAPABILITY) && screen) show_mouse(screen);
    d.mouse_shown = 1;
    idle_ms = 0;
    // Redrawn as the kind it was opened as, with the entry under the pointer lit.
    if (is_list_mode(mode)) d.draw_list_panel(&temp_list, SELECT_LAST_DRAWN, nullptr);
  }

  session.action_timers[TIMER_MOUSE] = now;
  session.right_released = session.left_released = 0;
  if (session.left_held && !(buttons & 1)) session.left_released = 1;
  if (session.right_held && !(buttons & 2)) session.right_released = 1;
  session.left_held = (buttons & 1) != 0;
  session.right_held = (buttons & 2) != 0;
  session.middle_held = (buttons & 4) != 0;

  const int dx = d.mouse_cell_dx(), dy = d.mouse_cell_dy();
  session.mouse_angle = d.mouse_angle();
  session.mouse_dir = pointer_direction(dx, dy, session.mouse_angle);
  session.mouse_cell_x = me.x + dx;
  session.mouse_cell_y = me.y + dy;

  int shape;
  if (hides_pointer_mode(mode)) {
    shape = 0;
  } else if (d.pointer_item != Item(0L)) {
    shape = CURSOR_OTHER;
  } else if (!d.mouse_in_play_window() || mode == MODE_NPCTALK || !d.ok_to_draw_play_window()) {
    shape = CURSOR_DEFAULT;
  } else {
    // The player's own cell keeps the plain arrow: code 0 would hide the pointer.
    shape = session.mouse_dir == 0 ? CURSOR_DEFAULT : session.mouse_dir;
    const int cx = session.mouse_cell_x, cy = session.mouse_cell_y;
    const ItemListEl* top = server_objects.find_top_at(cx, cy);
    bool attackable = top != nullptr && top->align != 'p' && top->align != 's' &&
                      !(top->align == 'g' && top->id >= PLAYER_ID_LIMIT && !me.is_dm());
    const bool blind = me.has_status(HN_BLIND);
    const bool door = cmap.get_tile(cx, cy) == TILE_DOOR_CLOSED && !blind;
    if (std::abs(dx) <= 1 && std::abs(dy) <= 1) {
      if (is_direction_prompt_mode(mode)) {
        shape = CURSOR_SPECIAL;
      } else if (door) {
        shape = CURSOR_OTHER;
        if (session.left_released) request_open(cx, cy, 0);
      } else if (attackable && !blind && session.mouse_dir >= 1 && session.mouse_dir <= 8) {
        shape = session.mouse_dir + 10;
      }
    } else if (door) {
      shape = CURSOR_OTHER;
      if (session.left_released) request_open(cx, cy, 0);
    }
  }

  if (mode == MODE_NPCTALK) {
    std::string link = d.get_link_at(mouse_x, mouse_y);
    if (!link.empty()) {
      shape = CURSOR_OTHER;
      if (session.left_released) {
        if (to_upper(link) != "BYE") {
          send_talk(app.session.talk_partner_id, link);
        } else {
          d.scroll_messages_reset();
          d.hide_input_line();
          gc_interface_mode = MODE_NORMAL;
          d.print_msg("Bye!");
          d.talk_topics.clear();
        }
      }
    }
  }

  if (shape != cursor_code) d.set_mouse_cursor(shape);
  cursor_code = shape;
}

// ---- Tick ---------------------------------------------------------------------------

void ClientApp::do_tick() {
  const uint64_t now = input_clock_us();
  // Read only when a delay or the 1 s tick needs it, once a pass at most.
  int turn_based_read = -1;
  auto turn_based = [&turn_based_read] {
    if (turn_based_read < 0) turn_based_read = common_cfg.get_bool("turn_based") ? 1 : 0;
    return turn_based_read != 0;
  };
  // Turn-based play shortens most delays to 100 ms.
  auto quick_or = [&turn_based](double delay) {
    return [&turn_based, delay] { return turn_based() ? 100.0 : delay; };
  };
  const int mode = static_cast<int>(gc_interface_mode);

  rearm(
      session.move_step_ready, session.action_timers[TIMER_MOVE], [] { return move_delay_ms(); },
      now);
  rearm(session.attack_ready, session.action_timers[TIMER_ATTACK], quick_or(fire_delay), now);
  rearm(session.use_ready, session.action_timers[TIMER_USE], quick_or(1000), now);
  rearm(
      session.buy_ready, session.action_timers[TIMER_BUY], [] { return 250.0; }, now);
  rearm(session.space_ready, session.action_timers[TIMER_SPACE], quick_or(1000), now);
  rearm(session.hide_ready, session.action_timers[TIMER_HIDE], quick_or(2000), now);
  rearm(session.craft_ready, session.action_timers[TIMER_CRAFT], quick_or(craft_delay), now);
  rearm(
      session.action_ready, session.action_timers[TIMER_STEALTH],
      [] { return me.get_stealth_delay() * 1000.0; }, now);
  rearm(
      session.spell_ready, session.action_timers[TIMER_CAST],
      [] { return static_cast<double>(spell_delay); }, now);
  if (!session.spell_ready && spell_delay > 0) {
    double left = (spell_delay - ms_since(session.action_timers[TIMER_CAST], now)) / spell_delay;
    d.cooloff_fraction = static_cast<float>(left < 0 ? 0 : left > 1 ? 1 : left);
  } else {
    d.cooloff_fraction = 0.0f;
  }

  if (every(session.action_timers[TIMER_STATUS], 10000, now)) {
    if (mode == MODE_BUY || mode == MODE_SELL)
      send_trade_keepalive(session.list_partner);
    else if (session.logged_in)
      send_stats_update();
  }
  if (every(session.action_timers[TIMER_KEEPALIVE], 3000, now)) {
    if (session.logged_in) send_keepalive();
    carries_light_item = items.get_qty_basecode(BASE_LIGHT_ITEM) > 0;
    carries_sight_item = (cmap.get_vis() != 0 && items.get_qty_basecode(BASE_SIGHT_ITEM) > 0) ||
                         items.get_qty(make_code(BASE_SIGHT_ITEM, 0, 15, 5)) > 0;
  }
  if (due(session.action_timers[TIMER_STATUS_TICK], 1000, now) && !turn_based()) {
    session.action_timers[TIMER_STATUS_TICK] = now;
    me.tick_buffs();
    // The counters themselves run down; a permanent status from a worn
    // item reads -1 above a counter that still counts.
    for (int i = 0; i < MAXHEALTHNUMS; ++i) me.dec_health(i);
  }
  if (every(session.action_timers[TIMER_CLOCK], 2000, now)) {
    world_time = minute_of_day(world_time + 1);
    if (app.session.level_sync_errors > LEVEL_SYNC_LIMIT) {
      send_level_reset();
      app.session.level_sync_errors = 0;
      if (!turn_based()) d.print_msg("Too many level sync errors; requesting reset.");
    } else if (app.session.level_sync_errors > 0 && world_time % 10 == 0) {
      --app.session.level_sync_errors;
    }
  }
  if (every(session.action_timers[TIMER_BLINK], 300, now)) {
    blink_on = !blink_on;
    playerstats(0);
  }
  // Timed from the end of the last call, so that a slow script is not called
  // again at once.
  if (now < session.action_timers[TIMER_SCRIPT] ||
      ms_since(session.action_timers[TIMER_SCRIPT], now) > 100) {
    call_auxbox();
    session.action_timers[TIMER_SCRIPT] = input_clock_us();
  }
}

// ---- List pick ----------------------------------------------------------------------

void ClientApp::do_list_pick() {
  session.hover_item = Item(-1);
  if (d.curr_display != 1) return;
  const int mode = static_cast<int>(gc_interface_mode);
  if (session.left_released) {
    session.hover_item = d.get_item_under_mouse();
    if (session.hover_item != Item(-1)) return;
  }
  if (session.right_released && mode == MODE_ABILITY) {
    session.hover_item = d.get_item_under_mouse();
    if (session.hover_item != Item(-1)) return;
  }
  if (mode != MODE_DROPALL || !session.right_released) return;
  // A right click flags the entry under the pointer (else the cursor's) for
  // the multi-drop; with SHIFT it drops that entry alone at once.
  if (!is_shift_down()) {
    drop_selected_items();
    d.draw_list_panel(&temp_list, SELECT_LAST_DRAWN, nullptr);
    return;
  }
  session.chosen_item = d.get_selected_item();
  long count = items.get_qty(session.chosen_item);
  if (count > 1) {
    d.print_msg("How many (max %ld, hit space for one or enter to select all) ?", count);
    session.input_text.clear();
    d.draw_input_line("How many? ", session.input_text, 0);
    gc_interface_mode = MODE_DROPALL2;
  } else {
    gc_interface_mode = MODE_DROP2;
    d.print_msg("Drop ... which direction?");
  }
  item_drop.clear();
  d.curr_display = 0;
  playerstats(0);
  temp_list.clear();
}

// ---- Key step -----------------------------------------------------------------------

namespace {

// The key step proper: reads the key of the pass or makes one from a click or
// a wheel step; true when the pass is used up here.
bool read_pass_key(ClientApp& app) {
  const int mode = static_cast<int>(gc_interface_mode);
  if (keypressed()) {
    take_key(app, readkey());
    const ScriptKeyArgs args = script_key_args(app.session.last_key);
    call_auxbox_keypressed(args.key, args.ascii, args.scancode);
    // A letter that no letter key made (a keypad or dead-key combination) is
    // for the script only.
    const uint8_t c = app.session.last_ascii;
    bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    return letter &&
           (app.session.last_scancode < 1 || app.session.last_scancode > LETTER_SCANCODE_LAST);
  }
  if (is_menu_page_mode(mode)) return false;

  if (app.session.left_released && mode != MODE_VIEW_INV) {
    bool consumed = false;
    if (app.session.hover_item != Item(-1)) {
      take_key(app, KEYCODE_ENTER);
    } else if (d.curr_display != 1) {
      const int key = dir_to_keypad_key(d.mouse_cell_dx(), d.mouse_cell_dy());
      // A click farther than one cell makes no key; the last key must not run again.
      if (key != 0)
        take_key(app, key);
      else
        consumed = true;
    } else {
      consumed = true;
    }
    if (mode == MODE_NPCTALK) return true;
    // A click in the drop list while entries are flagged picks nothing.
    if (mode == MODE_DROPALL && item_drop.size() > 0) return true;
    if (consumed) return true;
    take_key(app, app.session.last_key);
    return false;
  }

  if (app.session.right_released && mode != MODE_DROPALL) {
    const bool over_button = hotbar_button_at_pointer(HOTBAR_BUTTONS) >= 0;
    if (options.get(OPT_HOTBAR) && over_button && mode == MODE_NORMAL && !level_flag) {
      if (common_cfg.get_int("cast_with_words") != 0) {
        int button = hotbar_button_at_pointer(HOTBAR_SLOT_BUTTONS);
        if (button >= 0) {
          app.session.button_number = hotbar_button_slot(button);
          bind_spell_to_key(app, true);
        }
      }
      if (options.get(OPT_COMMAND_HOTBAR)) {
        // Buttons past the letter slots are the command buttons.
        int button = hotbar_button_at_pointer(HOTBAR_BUTTONS);
        if (button >= HOTBAR_SLOT_BUTTONS) {
          gc_interface_mode = MODE_BIND_HOTBAR;
          d.print_msg("Binding command to hotbar button %d: hit the key corresponding command.",
                      button);
          app.hotbar_button = button;
          return true;
        }
      }
      return false;
    }
    if (app.session.hover_item != Item(-1)) {
      take_key(app, KEYCODE_TAB);
      return false;
    }
    return true;
  }

  if (app.session.last_wheel != mouse_z) {
    take_key(app, wheel_key(app.session.last_wheel, mouse_z, is_ctrl_down()));
    app.session.last_wheel = mouse_z;
    return false;
  }
  return true;
}

}  // namespace

bool ClientApp::do_hotbar_input() {
  // A mode handler acts only on a key that this pass produced: a pass that
  // read none (a menu waiting, a right click that opened the spell binding)
  // still holds an earlier key in `last_key`, which must not run again.
  return read_pass_key(*this) || !key_this_pass;
}

// ---- Redraw -------------------------------------------------------------------------

FrameFacts ClientApp::frame_facts_now() const {
  FrameFacts f;
  f.clock_minute = world_time;
  f.fps_shown = d.show_fps ? fps : -1;
  // A hash (FNV-1a over whole values) of the counters and the buffs: the
  // status strip shows them with their counts.
  uint64_t h = 14695981039346656037ull;
  auto mix = [&h](int64_t v) { h = (h ^ static_cast<uint64_t>(v)) * 1099511628211ull; };
  for (int i = 0; i < MAXHEALTHNUMS; ++i) mix(me.health[i]);
  for (const auto& [id, count] : me.buffs) {
    mix(id);
    mix(count);
  }
  f.status = h;
  f.effects = event_list.count + missile_list.count + particle_list.count;
  f.scroll_offset = d.scroll_offset;
  f.lunge_dx = lunge_dx;
  f.lunge_dy = lunge_dy;
  f.cooloff = options.get(OPT_COOLOFF_BAR) ? d.cooloff_fraction : 0.0f;
  f.ready = static_cast<uint8_t>(session.use_ready | session.spell_ready << 1);
  f.tooltip = d.hotbar_tooltip_due();
  return f;
}

uint32_t ClientApp::frame_reasons(bool advance, const FrameFacts& now) const {
  const FrameFacts& shown = frame_shown;
  uint32_t why = d.frame_reasons;  // requests, input and the prompt glyph since the last frame
  if (d.auxbox.lines != d.auxbox_shown) why |= FRAME_REQUESTED;  // a script's lines
  if (advance) why |= FRAME_ANIMATION;
  if (now.clock_minute != shown.clock_minute || now.fps_shown != shown.fps_shown ||
      now.status != shown.status || now.ready != shown.ready)
    why |= FRAME_CLOCK;
  if (now.tooltip != shown.tooltip) why |= FRAME_INPUT;
  // Effects change their look with their age: while any is alive, and once
  // more when the last one has gone.
  if (now.effects != 0 || shown.effects != 0 || now.scroll_offset != shown.scroll_offset ||
      now.lunge_dx != shown.lunge_dx || now.lunge_dy != shown.lunge_dy ||
      now.cooloff != shown.cooloff)
    why |= FRAME_MOTION;
  return why | d.play_window_moves();
}

void ClientApp::do_redraw() {
  const uint64_t now = input_clock_us();
  // The interval is read again at each redraw rather than every pass: a
  // changed setting counts from the next frame.
  if (redraw_interval_ms < 0) redraw_interval_ms = frame_interval_ms();
  if (ms_since(session.action_timers[TIMER_REDRAW], now) < redraw_interval_ms &&
      now >= session.action_timers[TIMER_REDRAW])
    return;
  session.action_timers[TIMER_REDRAW] = now;
  redraw_interval_ms = frame_interval_ms();

  // The frame of this interval, composed only when something on it changed;
  // the counting below runs every interval all the same, so that animations,
  // the lunge and the particles keep their pace.
  const bool advance = session.frame_count % (fps / 3 + 1) == 1;
  const FrameFacts facts = frame_facts_now();
  const uint32_t why = frame_reasons(advance, facts);
  if (why != 0) {
    d.request_frame(why);
    // The view is decided again unless only the prompt glyph stepped, and
    // with it the creatures that may be targeted: whatever changes them
    // (the hour, a light, blindness, the targeting filter, a creature's
    // step) changes the frame too, so the list follows what is shown.
    if (why != FRAME_PROMPT) d.draw_window(advance, &visible_creatures);
    d.flush_map_view();
    frame_shown = facts;
  }
  ++session.frame_count;

  if (d.scroll_offset != 0)
    d.scroll_offset = scroll_offset_for(ms_since(session.action_timers[TIMER_MOVE_START], now),
                                        me.get_delay(), d.tile_size);

  if (session.frame_count % (fps / 10 + 1) == 0 && !me.has_status(HN_HELD) &&
      gc_interface_mode == MODE_NORMAL) {
    d.next_anim_frame();
    if (!d.input_shown) d.request_frame(FRAME_PROMPT);
  }

  if (session.frame_count % (fps / 100 + 1) == 0) {
    if (lunge_counter > 0) --lunge_counter;
    if (lunge_counter == 0) {
      lunge_dx = static_cast<int16_t>(lunge_dx - sign(lunge_dx));
      lunge_dy = static_cast<int16_t>(lunge_dy - sign(lunge_dy));
    }
  }

  if (session.frame_count % (fps / 20 + 1) == 0) {
    const int level = me.map_level;
    if (me.has_status(HN_WOUNDED) && rand_int(3) == 0)
      add_particle(particle_list, level, 1, PARTICLE_LIFETIME_MS, 0, me.x + 0.5f, me.y + 0.5f, -1, -1);
    if (me.has_status(HN_DISEASED) && rand_int(3) == 0)
      add_particle(particle_list, level, 2, PARTICLE_LIFETIME_MS, 0, me.x + rand_fraction(),
                   me.y + rand_fraction(), -1, -1);
    if (me.has_buff_effect(BUFF_EFFECT_SPARKLE))
      add_particle(particle_list, level, 3, PARTICLE_LIFETIME_MS,
                   rand_int(2) == 0 ? 0xFFFFFu : 0xFF00u, me.x + rand_fraction(),
                   me.y + rand_fraction(), -1, -1);
    if (level_entered) {
      for (const ItemListEl* e = server_objects.first; e != nullptr; e = e->next) {
        if ((e->b & OBJECT_FLAG_GLOWS) == 0 || rand_int(3) != 0) continue;
        if (!cmap.can_see_with_LOS(me.x, me.y, e->x, e->y, PARTICLE_RANGE)) continue;
        float fx = e->large ? e->x + 1.0f : e->x + 0.5f;
        float fy = e->large ? e->y + 1.5f : e->y + 0.5f;
        add_particle(particle_list, level, 1, PARTICLE_LIFETIME_MS, 0, fx, fy, -1, -1);
      }
    }
  }
}

void ClientApp::note_input() {
  PointerFacts p;
  p.x = mouse_x;
  p.y = mouse_y;
  p.z = mouse_z;
  p.buttons = mouse_b & 7;
  p.shifts = key_shifts & (KB_SHIFT_FLAG | KB_CTRL_FLAG | KB_ALT_FLAG);
  p.cursor = cursor_code;
  p.shown = d.mouse_shown;
  // A held key or button acts every pass (steps, attacks, target switches)
  // without a key in the buffer.
  bool held = p.buttons != 0;
  for (int k = 1; k < KEY_MAX && !held; ++k) held = key[k] != 0;
  if (held || !(p == pointer_seen)) d.request_frame(FRAME_INPUT);
  pointer_seen = p;
}

void ClientApp::update_frame_counters() {
  const uint64_t now = input_clock_us();
  if (now > session.action_timers[TIMER_SECOND] &&
      now - session.action_timers[TIMER_SECOND] > 1000000) {
    session.action_timers[TIMER_SECOND] = now;
    fps = session.frame_count;
    session.frame_count = 0;
    bytes_sent_last_second = bytes_sent;
    bytes_received_last_second = bytes_received;
    bytes_sent = 0;
    bytes_received = 0;
  }
  if (every(session.action_timers[TIMER_PHASE], 100, now)) {
    int sum = anim_ping_pong + phase_step;
    if (sum >= 8) {
      anim_ping_pong = 7;
      phase_step = -1;
    } else if (sum <= 0) {
      anim_ping_pong = 1;
      phase_step = 1;
    } else {
      anim_ping_pong = sum;
    }
  }
}
