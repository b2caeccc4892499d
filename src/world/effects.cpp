#include "world/effects.h"

#include <cmath>

#include "core/log.h"
#include "core/spells.h"
#include "core/utils.h"

namespace {

const int EVENT_LIFETIME_MS[EFFECT_NUM_EVENT_TYPES] = {
    300, 600, 150, 300, 1000, 5000, 500, 500, 500, 500, 200, 200, 100, 100, 200,
    200, 200, 100, 100, 100, 1400, 1400, 300, 500, 200, 200, 500, 5000, 200, 200};

constexpr float TWO_PI = 6.2831853f;
constexpr float HALF_PI = 1.5707963f;
// Colour at or below which a fading particle stops fading (channels 2, 2, 1).
constexpr uint32_t FADE_FLOOR = 131585;

void push_head(EffectList& list, ItemListEl* node, FunctionTrace& trace) {
  if (list.first != nullptr)
    trace.printf("head wasn't null");
  else
    trace.printf("head was null, now new_el");
  list.push_front(node);
}

float random_heading() { return rand_fraction() * TWO_PI; }

}  // namespace

int event_lifetime_ms(int type, int64_t arg) {
  if (type == EVENT_SPELL) {
    int effect = ::spells.get_effect_nr(static_cast<int>(arg));
    if (effect == 40 || effect == 41 || effect == 43) return 10000;
    if (effect == 35) return 5000;
    if (effect == 49) return 3000;
    return 600;
  }
  // The type comes from the server: anything outside the table gets a default.
  if (type < 0 || type >= EFFECT_NUM_EVENT_TYPES) return EFFECT_DEFAULT_LIFETIME_MS;
  return EVENT_LIFETIME_MS[type];
}

int add_event(EffectList& list, int owner, int x, int y, int level, int x2, int y2, int type,
              int64_t arg) {
  return add_event_at(list, get_time_us(), owner, x, y, level, x2, y2, type, arg);
}

int add_event_at(EffectList& list, uint64_t now_us, int owner, int x, int y, int level, int x2,
                 int y2, int type, int64_t arg) {
  FunctionTrace trace("add_event");
  auto* node = new ItemListEl;
  node->id = owner;
  node->x = x;
  node->y = y;
  node->a = level;
  node->b = x2;
  node->c = y2;
  node->type = type;
  node->qty = type == EVENT_EXPLOSION ? 0 : arg;
  node->item = Item(static_cast<long>(now_us));
  push_head(list, node, trace);
  trace.printf("added event owner=%d x=%d y=%d type=%d T=%ld t=%f", owner, x, y, type,
               static_cast<long>(now_us), 0.0);
  return 0;
}

int deteriorate(EffectList& list) { return deteriorate_at(list, get_time_us()); }

int deteriorate_at(EffectList& list, uint64_t now_us) {
  FunctionTrace trace("deteriorate");
  int deleted = 0;
  ItemListEl* node = list.first;
  while (node != nullptr) {
    int64_t born = node->item.code;
    double age = (static_cast<double>(now_us) - static_cast<double>(born)) / 1000.0;
    if (node->type == EVENT_ANIMATED_A || node->type == EVENT_ANIMATED_B) {
      node->qty = static_cast<int64_t>(age / 500);
    } else if (node->type == EVENT_EXPLOSION) {
      node->qty = static_cast<int64_t>(age / 100);
      trace.printf("explosion frame=%d", static_cast<int>(node->qty));
    }
    if (age > event_lifetime_ms(node->type, node->qty)) {
      trace.printf("deleting event owner=%d x=%d y=%d type=%d t=%ld t=%f", node->id, node->x,
                   node->y, node->type, static_cast<long>(born), age);
      if (node->type == EVENT_QUAKE || node->type == EVENT_QUAKE_ANNOUNCED) ++deleted;
      node = list.erase(node);
    } else {
      node = node->next;
    }
  }
  return deleted;
}

ItemListEl* find_event_by_owner(EffectList& list, int owner) {
  for (ItemListEl* n = list.first; n != nullptr; n = n->next)
    if (n->type == EVENT_OWNER_MARK && n->id == owner) return n;
  return nullptr;
}

void remove_event(EffectList& list, int level, int x2, int y2, int type, int64_t arg) {
  for (ItemListEl* n = list.first; n != nullptr; n = n->next) {
    if (n->a == level && n->b == x2 && n->c == y2 && n->type == type && n->qty == arg) {
      list.erase(n);
      return;
    }
  }
}

int add_missile(EffectList& list, int x1, int y1, int x2, int y2, int type) {
  FunctionTrace trace("add_missile");
  auto* node = new ItemListEl;
  node->x = x1;
  node->y = y1;
  node->b = x2;
  node->c = y2;
  node->type = type;
  node->fx = static_cast<float>(x1);
  node->fy = static_cast<float>(y1);
  // Differences in double: the cells may lie anywhere in an int.
  node->heading = static_cast<float>(
      std::atan2(static_cast<double>(y2) - y1, static_cast<double>(x2) - x1));
  node->dist = get_distance(x1, y1, x2, y2);
  node->travelled = 0.0f;
  node->qty = 0;
  push_head(list, node, trace);
  if (type == MISSILE_RETURNING) add_missile(list, x1, y1, x2, y2, MISSILE_TRAIL);
  return 0;
}

int move_missiles(EffectList& list, int dt_ms) {
  FunctionTrace trace("move_missiles");
  if (list.first == nullptr) return 0;
  float step = MISSILE_CELLS_PER_MS * static_cast<float>(dt_ms);
  ItemListEl* node = list.first;
  while (node != nullptr) {
    node->travelled += step;
    node->fx += std::cos(node->heading) * step;
    node->fy += std::sin(node->heading) * step;
    if (node->type == MISSILE_TRAIL) ++node->qty;
    trace.printf("missle %.1f %.1f dt=%d dx=%.1f dy=%.1f tdist=%.1f cdist=%.1f", node->fx,
                 node->fy, dt_ms, std::cos(node->heading) * step, std::sin(node->heading) * step,
                 node->dist, node->travelled);
    if (node->travelled >= node->dist) {
      trace.printf("deleting missle");
      if (node->type == MISSILE_RETURNING) {
        int sx = node->x, sy = node->y, tx = node->b, ty = node->c;
        // The new missile goes to the head, before the nodes still to visit.
        node = list.erase(node);
        add_missile(list, tx, ty, sx, sy, MISSILE_TRAIL);
      } else {
        node = list.erase(node);
      }
    } else {
      node = node->next;
    }
  }
  return 1;
}

int add_particle(EffectList& list, int tag, int flags, int lifetime_ms, uint32_t colour, float fx,
                 float fy, float heading, float speed) {
  FunctionTrace trace("add_particle");
  auto* node = new ItemListEl;
  node->a = tag;
  node->type = flags & 15;
  node->hea = (flags & PARTICLE_FLAG_LARGE) != 0 ? 2 : 1;
  node->colour = colour;
  node->fx = fx;
  node->fy = fy;
  if (node->type == PARTICLE_WANDERING)
    node->heading = random_heading();
  else if (node->type == PARTICLE_RISING)
    node->heading = 3.0f * HALF_PI;
  else
    node->heading = HALF_PI;
  node->speed = PARTICLE_DEFAULT_SPEED;
  if (heading >= 0.0f) node->heading = heading;
  if (speed >= 0.0f) node->speed = speed;
  node->expiry = lifetime_ms;
  node->age = 0;
  node->travelled = 0.0f;
  list.push_front(node);
  return 0;
}

uint32_t fade_colour(uint32_t colour) {
  if (colour <= FADE_FLOOR) return colour;
  // One step off each channel that still has some, so that no channel
  // borrows from its neighbour.
  for (int shift = 0; shift <= 16; shift += 8)
    if (((colour >> shift) & 0xFF) != 0) colour -= 1u << shift;
  return colour;
}

int move_particles(EffectList& list, int dt_ms) {
  FunctionTrace trace("move_particles");
  if (list.first == nullptr) return 0;
  ItemListEl* node = list.first;
  while (node != nullptr) {
    node->age += dt_ms;
    if (node->type == PARTICLE_WANDERING && rand_int(10) == 1) node->heading = random_heading();
    if (node->speed > 0.0f) {
      float step = node->speed * static_cast<float>(dt_ms);
      node->travelled += step;
      node->fx += std::cos(node->heading) * step;
      node->fy += std::sin(node->heading) * step;
    }
    if (node->type == PARTICLE_RISING && rand_int(10) == 1)
      node->fx += rand_int(2) == 1 ? 0.05f : -0.05f;
    if (node->type == PARTICLE_FADING) node->colour = fade_colour(node->colour);
    if (node->type == PARTICLE_FALLING && node->travelled > 0.5f && node->speed > 0.0f) {
      node->expiry += 1000;
      node->speed = 0.0f;
      node->fx += static_cast<float>(rand_int(16) - 8) * 0.03125f;
    }
    bool gone = (node->type == PARTICLE_SHORT_FLIGHT && node->travelled > 4.5f) ||
                node->age >= node->expiry;
    if (gone) {
      trace.printf("deleting particle");
      node = list.erase(node);
    } else {
      node = node->next;
    }
  }
  return 1;
}
