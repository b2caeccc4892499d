#pragma once
// Timed effects shown on the map: events (spell and combat effects,
// explosions, markers bound to a creature), missiles in flight and
// particles. Each lives in an EffectList; new nodes go to the head. The frame
// loop ages them, the map view draws what is left.

#include <cstdint>

#include "world/item_list.h"

// Event kinds (the kind field of an "E" line) that the client singles out,
// named by what it shows or plays for them. The server's own kinds and the
// client's own reports share the numbers.
enum EventType : int {
  EVENT_STEP = 0,
  EVENT_SPELL = 1,
  EVENT_HIT = 2,
  EVENT_MISS = 3,
  EVENT_QUAKE = 4,
  EVENT_QUAKE_ANNOUNCED = 5,  // also prints "EARTHQUAKE!"
  EVENT_MISSILE = 6,
  EVENT_TRAP = 7,
  EVENT_MUSKET = 8,
  EVENT_LASER = 9,
  EVENT_HIT_LIGHT = 10,
  EVENT_TELEPORT = 12,
  EVENT_TELEFRAG = 13,
  EVENT_FEMALE_DEATH = 14,
  EVENT_MALE_DEATH = 15,
  EVENT_WEREWOLF_DEATH = 16,
  EVENT_BLOCK = 17,
  EVENT_PARRY = 18,
  EVENT_PARRY_HIT = 19,  // a parry that still leaves the hit mark
  EVENT_ANIMATED_A = 20,
  EVENT_ANIMATED_B = 21,
  EVENT_STEAL = 22,
  EVENT_ARROW_SHOT = 23,
  EVENT_SHAKE = 24,  // shakes the view even with the quake shake off
  EVENT_HIT_CRITICAL = 25,
  EVENT_EXPLOSION = 26,
  EVENT_OWNER_MARK = 27,
  EVENT_DAMAGE_NUMBER = 28,
  EVENT_POTION = 29,
  // Kinds below this have a table lifetime; others get EFFECT_DEFAULT_LIFETIME_MS.
  EFFECT_NUM_EVENT_TYPES = 30
};
constexpr int EFFECT_DEFAULT_LIFETIME_MS = 300;
// Missile types, by how they are drawn: the arrow of the special sheet, two
// effect frames (one turned to the heading), the shot, the red beam, the
// spinning trail, and the returning missile, which flies out and back as a
// trail.
enum MissileType : int {
  MISSILE_ARROW = 0,
  MISSILE_FRAME = 1,
  MISSILE_HEADING_FRAME = 2,
  MISSILE_SHOT = 3,
  MISSILE_BEAM = 4,
  MISSILE_TRAIL = 5,
  MISSILE_RETURNING = 6
};
// Cells a missile flies per millisecond.
constexpr float MISSILE_CELLS_PER_MS = 0.02f;
// Particle kinds (flags & 15) and the size flag.
constexpr int PARTICLE_FALLING = 1;
constexpr int PARTICLE_WANDERING = 2;
constexpr int PARTICLE_RISING = 3;
constexpr int PARTICLE_SHORT_FLIGHT = 4;
constexpr int PARTICLE_FADING = 5;
constexpr int PARTICLE_FLAG_LARGE = 16;
constexpr float PARTICLE_DEFAULT_SPEED = 0.002f;

// Lifetime in milliseconds of an event of this type and argument.
int event_lifetime_ms(int type, int64_t arg);

// ---- events -----------------------------------------------------------------
int add_event(EffectList& list, int owner, int x, int y, int level, int x2, int y2, int type,
              int64_t arg);
// As above, stamped with the given program time (microseconds).
int add_event_at(EffectList& list, uint64_t now_us, int owner, int x, int y, int level, int x2,
                 int y2, int type, int64_t arg);
// Ages every event; returns how many events of type 4 or 5 went.
int deteriorate(EffectList& list);
int deteriorate_at(EffectList& list, uint64_t now_us);
ItemListEl* find_event_by_owner(EffectList& list, int owner);
void remove_event(EffectList& list, int level, int x2, int y2, int type, int64_t arg);

// ---- missiles ---------------------------------------------------------------
int add_missile(EffectList& list, int x1, int y1, int x2, int y2, int type);
// 0 for an empty list, else 1.
int move_missiles(EffectList& list, int dt_ms);

// ---- particles --------------------------------------------------------------
// A negative heading or speed keeps the kind's default.
int add_particle(EffectList& list, int tag, int flags, int lifetime_ms, uint32_t colour, float fx,
                 float fy, float heading, float speed);
// 0 for an empty list, else 1.
int move_particles(EffectList& list, int dt_ms);
// One fade step of a fading particle's colour.
uint32_t fade_colour(uint32_t colour);
