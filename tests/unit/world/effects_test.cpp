// Timed effects: event lifetimes and frames, missiles and their return
// flight, particle kinds and the colour fade.

#include "world/effects.h"

#include <gtest/gtest.h>

#include <cmath>

#include "app/globals.h"
#include "support/temp_dir.h"

namespace {

constexpr uint64_t T0 = 1000000000ULL;  // an arbitrary program time, microseconds

// Types from outside the table may arrive from the server: they get the
// default lifetime instead of an index past the table.
TEST(EffectsTest, EventLivesExactlyItsLifetime) {
  const int D = EFFECT_DEFAULT_LIFETIME_MS;
  struct Case {
    int type;
    int lifetime_ms;
  } cases[] = {{0, 300},  {2, 150}, {5, 5000}, {12, 100}, {20, 1400},        {27, 5000},
               {29, 200}, {-1, D},  {30, D},   {99, D},   {-100000, D}, {1 << 30, D}};
  for (const Case& c : cases) {
    EffectList l;
    add_event_at(l, T0, 7, 1, 2, 3, -1, -1, c.type, 0);
    EXPECT_EQ(deteriorate_at(l, T0 + uint64_t(c.lifetime_ms) * 1000), 0) << c.type;
    EXPECT_EQ(l.count, 1) << "type " << c.type << " must stay at exactly its lifetime";
    deteriorate_at(l, T0 + uint64_t(c.lifetime_ms) * 1000 + 1);
    EXPECT_EQ(l.count, 0) << "type " << c.type << " must go just after its lifetime";
  }
}

TEST(EffectsTest, SpellEventLivesByTheSpellsEffect) {
  TempDir dir;
  std::string line = "\tif\tKindle\tsp_kindle\t\t1\t1\tpm\tm\tPyromancy\t0\t5\t1000\t"
                     "directional\tn\t0\t2d4\t\t";
  TempDir::write("dat/spells.txt", "1" + line + "35\t1\tn\t\t\"x\"\n" + "2" + line +
                                       "41\t1\tn\t\t\"x\"\n" + "3" + line + "7\t1\tn\t\t\"x\"\n");
  ASSERT_EQ(spells.load(), 0);
  ASSERT_EQ(spells.get_effect_nr(1), 35);
  EXPECT_EQ(event_lifetime_ms(EVENT_SPELL, 1), 5000);
  EXPECT_EQ(event_lifetime_ms(EVENT_SPELL, 2), 10000);
  EXPECT_EQ(event_lifetime_ms(EVENT_SPELL, 3), 600);
  EXPECT_EQ(event_lifetime_ms(EVENT_SPELL, 999), 600);
  EffectList l;
  add_event_at(l, T0, 1, 0, 0, 0, -1, -1, EVENT_SPELL, 1);
  deteriorate_at(l, T0 + 4999000);
  EXPECT_EQ(l.count, 1);
  deteriorate_at(l, T0 + 5001000);
  EXPECT_EQ(l.count, 0);
}

TEST(EffectsTest, DeteriorateCountsOnlyTypesFourAndFive) {
  EffectList l;
  EXPECT_EQ(deteriorate_at(l, T0), 0);
  add_event_at(l, T0, 1, 0, 0, 0, -1, -1, 4, 0);
  add_event_at(l, T0, 1, 0, 0, 0, -1, -1, 5, 0);
  add_event_at(l, T0, 1, 0, 0, 0, -1, -1, 0, 0);
  EXPECT_EQ(deteriorate_at(l, T0 + 1001000), 1);  // type 4 (1000 ms) and type 0 go
  EXPECT_EQ(l.count, 1);
  EXPECT_EQ(deteriorate_at(l, T0 + 5001000), 1);
  EXPECT_EQ(l.count, 0);
}

TEST(EffectsTest, AnimatedEventsTakeTheirFrameFromTheirAge) {
  EffectList l;
  add_event_at(l, T0, 1, 0, 0, 0, -1, -1, EVENT_EXPLOSION, 9);
  EXPECT_EQ(l.first->qty, 0) << "an explosion starts at frame 0 whatever its argument";
  deteriorate_at(l, T0 + 350000);
  EXPECT_EQ(l.first->qty, 3);  // one frame every 100 ms
  EffectList a;
  add_event_at(a, T0, 1, 0, 0, 0, -1, -1, EVENT_ANIMATED_A, 0);
  deteriorate_at(a, T0 + 1250000);
  EXPECT_EQ(a.first->qty, 2);  // one frame every 500 ms
}

TEST(EffectsTest, FindAndRemoveEvents) {
  EffectList l;
  add_event_at(l, T0, 5, 1, 1, 3, 4, 4, EVENT_OWNER_MARK, 0);
  add_event_at(l, T0, 6, 1, 1, 3, 4, 4, 2, 11);
  add_event_at(l, T0, 5, 1, 1, 3, 4, 4, 2, 11);
  ASSERT_NE(find_event_by_owner(l, 5), nullptr);
  EXPECT_EQ(find_event_by_owner(l, 5)->type, EVENT_OWNER_MARK);
  EXPECT_EQ(find_event_by_owner(l, 6), nullptr) << "only markers are found by owner";
  remove_event(l, 3, 4, 4, 2, 12);
  EXPECT_EQ(l.count, 3) << "a different argument matches nothing";
  remove_event(l, 3, 4, 4, 2, 11);
  EXPECT_EQ(l.count, 2) << "only the first match goes";
}

TEST(EffectsTest, ReturningMissileSpawnsTrailsBothWays) {
  EffectList l;
  add_missile(l, 0, 0, 10, 0, MISSILE_RETURNING);
  ASSERT_EQ(l.count, 2);
  EXPECT_EQ(l.first->type, MISSILE_TRAIL);
  EXPECT_EQ(l.first->b, 10);
  EXPECT_EQ(l.first->next->type, MISSILE_RETURNING);
  EXPECT_EQ(move_missiles(l, 600), 1);
  ASSERT_EQ(l.count, 1);
  EXPECT_EQ(l.first->type, MISSILE_TRAIL);
  EXPECT_EQ(l.first->x, 10);
  EXPECT_EQ(l.first->y, 0);
  EXPECT_EQ(l.first->b, 0);
  EXPECT_EQ(l.first->c, 0);
  EXPECT_FLOAT_EQ(l.first->fx, 10.0f);
}

TEST(EffectsTest, MissileFliesTwentyCellsASecond) {
  EffectList l;
  EXPECT_EQ(move_missiles(l, 50), 0);
  add_missile(l, 0, 0, 0, 10, 1);
  move_missiles(l, 50);
  EXPECT_NEAR(l.first->fx, 0.0f, 1e-5);
  EXPECT_NEAR(l.first->fy, 1.0f, 1e-5);
  EXPECT_NEAR(l.first->travelled, 1.0f, 1e-5);
  EXPECT_EQ(l.count, 1);
}

TEST(EffectsTest, ParticleDefaultsAndOverrides) {
  EffectList l;
  add_particle(l, 3, 0 | PARTICLE_FLAG_LARGE, 1000, 0xffffff, 1.0f, 1.0f, 0.0f, -1.0f);
  ItemListEl* p = l.first;
  EXPECT_EQ(p->hea, 2);
  EXPECT_FLOAT_EQ(p->speed, PARTICLE_DEFAULT_SPEED);
  EXPECT_FLOAT_EQ(p->heading, 0.0f);
  move_particles(l, 100);
  EXPECT_NEAR(p->fx, 1.2f, 1e-5) << "heading 0 flies along +x";
  EXPECT_NEAR(p->fy, 1.0f, 1e-5);
  add_particle(l, 3, PARTICLE_RISING, 1000, 0, 0, 0, -1.0f, -1.0f);
  EXPECT_NEAR(l.first->heading, 3.0f * 3.14159265f / 2.0f, 1e-4);
  EXPECT_EQ(l.first->hea, 1);
}

TEST(EffectsTest, ParticlesExpireByAgeAndKind) {
  EffectList l;
  add_particle(l, 0, 0, 100, 0, 0, 0, -1, 0.0f);
  move_particles(l, 99);
  EXPECT_EQ(l.count, 1);
  move_particles(l, 1);
  EXPECT_EQ(l.count, 0);

  add_particle(l, 0, PARTICLE_SHORT_FLIGHT, 100000, 0, 0, 0, 0.0f, 0.01f);
  move_particles(l, 400);  // 4.0 cells
  EXPECT_EQ(l.count, 1);
  move_particles(l, 100);  // 5.0 cells
  EXPECT_EQ(l.count, 0);

  add_particle(l, 0, PARTICLE_FALLING, 100, 0, 0, 0, -1.0f, 0.01f);
  move_particles(l, 60);  // 0.6 cells: it lands and lies another second
  ASSERT_EQ(l.count, 1);
  EXPECT_EQ(l.first->expiry, 1100);
  EXPECT_FLOAT_EQ(l.first->speed, 0.0f);
  move_particles(l, 1000);
  EXPECT_EQ(l.count, 1);
  move_particles(l, 40);
  EXPECT_EQ(l.count, 0);
}

TEST(EffectsTest, FadingParticleStepsOncePerFrameOnEveryChannel) {
  EffectList l;
  add_particle(l, 0, PARTICLE_FADING, 100000, 0x050505, 0, 0, -1, 0.0f);
  const uint32_t expected[] = {0x040404, 0x030303, 0x020202, 0x010101, 0x010101};
  for (uint32_t e : expected) {
    move_particles(l, 10);
    EXPECT_EQ(l.first->colour, e);
  }
  // Channels 2, 2, 1 are the floor.
  EXPECT_EQ(fade_colour(0x020201), 0x020201u);
  // Regression: a zero channel must not borrow from its neighbour.
  EXPECT_EQ(fade_colour(0x030001), 0x020000u);
  EXPECT_EQ(fade_colour(0x000300), 0x000300u) << "below the floor nothing fades";
  EXPECT_EQ(fade_colour(0x100000), 0x0f0000u);
}

}  // namespace
