#pragma once
// The effect ids of the sound object: the numbers that every layer asks for
// a sound by, each named after the sample it plays. Kept in core so that the
// world can name the sounds its objects make without reaching up to audio.

// The effect ids that callers pass to play_effect.
enum SoundEffect : int {
  SFX_SWORD = 0, SFX_MISS = 1, SFX_STEP = 2, SFX_CAST = 3, SFX_MALE_PAIN = 4, SFX_MALE_DEATH = 5,
  SFX_GIB = 6, SFX_FEMALE_PAIN = 7, SFX_FEMALE_DEATH = 8, SFX_QUAKE = 9, SFX_ARROW_SHOOT = 10,
  SFX_ARROW_HIT = 11, SFX_GIB4 = 12, SFX_QUACK = 13, SFX_FIREBALL = 14, SFX_WEREWOLF_HIT = 15,
  SFX_WEREWOLF_PAIN = 16, SFX_WEREWOLF_DEATH = 17, SFX_MUSKET = 18, SFX_TELEPORT = 19,
  SFX_TELEFRAG = 20, SFX_BLOCK = 21, SFX_PARRY = 22, SFX_STEAL = 23, SFX_CLOCK = 24,
  SFX_WATERFALL = 25, SFX_FOUNTAIN = 26, SFX_TC = 27, SFX_LASER = 28, SFX_TRAP = 29,
  SFX_EXPLOSION = 30, SFX_ZAP = 31, SFX_SPELL_FAIL = 32, SFX_POTION = 33,
};
constexpr int SOUND_EFFECT_MAX = SFX_POTION;
// The effect ids that may have a loop slot.
constexpr int SOUND_LOOP_FIRST = SFX_QUAKE;
constexpr int SOUND_LOOP_LAST = SFX_FOUNTAIN;
