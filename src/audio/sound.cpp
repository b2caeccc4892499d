#include "audio/sound.h"

#include <cmath>
#include <cstdio>

#include "audio/audio_backend.h"
#include "audio/mp3_player.h"
#include "core/config_file.h"
#include "core/item_data.h"
#include "core/log.h"
#include "core/mounts.h"
#include "core/options.h"
#include "core/spells.h"
#include "core/string_utils.h"
#include "core/utils.h"
#include "world/cmap.h"
#include "world/effects.h"
#include "world/item_list.h"
#include "world/player.h"

const char* const SOUND_SAMPLE_NAMES[SOUND_FIXED_SAMPLES] = {
    "sword1", "sword2",   "sword3",   "miss",     "step1",    "step2",    "step3",  "step4",
    "cast",   "mpain1",   "mpain2",   "mpain3",   "mdeath",   "gib1",     "gib2",   "gib3",
    "gib4",   "fpain1",   "fpain2",   "fpain3",   "fdeath",   "quake",    "a_shoot", "a_hit",
    "quack1", "quack2",   "quack3",   "fireball", "whit1",    "whit2",    "whit3",  "scratch",
    "wdeath", "wpain",    "musket",   "teleport", "potion",   "telefrag", "block",  "parry",
    "steal",  "clock",    "waterfall", "fountain", "tc",      "laser",    "trap",   "explosion",
    "zap",    "spellfail"};

namespace {

// Fixed slot that sounds while an effect lasts, for effect ids 9..26.
const int LOOP_TABLE[SOUND_LOOP_LAST - SOUND_LOOP_FIRST + 1] = {
    SND_QUAKE, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    SND_CLOCK, SND_WATERFALL, SND_FOUNTAIN};

// The continent theme stands in for track 0 when that track plays as MIDI.
constexpr int CONTINENT_TRACK = 0;

int clamp_volume(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

int config_volume(const char* key) {
  if (client_cfg.get_int("mute") != 0) return 0;
  int v = client_cfg.get_int(key);
  return v < 0 || v > 255 ? 255 : v;
}

int scaled(int volume, float factor) { return static_cast<int>(static_cast<float>(volume) * factor); }

}  // namespace

Sound::Sound() = default;

Sound::~Sound() { release(); }

void Sound::release() {
  AudioBackend& b = audio_backend();
  destroy_mp3();
  music_file.clear();
  free_named();
  for (SAMPLE*& s : samples) b.destroy_sample(s), s = nullptr;
  for (SAMPLE*& s : weapon_samples) b.destroy_sample(s), s = nullptr;
  for (MIDI*& m : midi_cache) b.destroy_midi(m), m = nullptr;
}

void Sound::free_named() {
  while (named_samples) {
    NamedSample* n = named_samples->next;
    audio_backend().destroy_sample(named_samples->sample);
    delete named_samples;
    named_samples = n;
  }
}

// ---- Volumes -------------------------------------------------------------------

int Sound::get_volume() const { return config_volume("volume"); }

int Sound::get_music_volume() const { return config_volume("music_volume"); }

void Sound::apply_volume() {
  audio_backend().set_volume(255, get_music_volume());
  if (music_kind == 1 && mp3)
    mp3_adjust(mp3, get_music_volume(), SOUND_PAN_MUSIC, SOUND_FREQ_NATIVE, true);
  if (ambient_id == -1 || !initialised) return;
  int slot = loop_sample_index(ambient_id);
  if (slot >= 0 && samples[slot])
    audio_backend().adjust_sample(samples[slot], clamp_volume(scaled(get_volume(), ambient_factor)),
                                  SOUND_PAN_EFFECT, SOUND_FREQ_NATIVE, true);
}

// ---- Start-up ------------------------------------------------------------------

int Sound::init() {
  // A second start-up replaces everything the first one loaded.
  release();
  initialised = true;
  AudioBackend& b = audio_backend();
  // MIDI patches without a digital driver make the combined install fail;
  // effects matter more than MIDI music.
  if (b.install(true) != 0) {
    writelog("sound init error\n");
    if (b.install(false) != 0) writelog("sound init error without MIDI\n");
  }
  for (int i = 0; i < SOUND_FIXED_SAMPLES; i++)
    samples[i] = b.load_sample(std::string("sound/") + SOUND_SAMPLE_NAMES[i] + ".wav");
  midi_cache[CONTINENT_TRACK + 1] = b.load_midi("sound/continent.mid");
  load_spell_sounds();
  music_kind = 1;
  ambient_id = -1;
  ambient_factor = -1.0f;
  return 0;
}

void Sound::add_named(const std::string& name, const std::string& path, int index) {
  NamedSample* n = new NamedSample;
  n->name = name;
  n->sample = audio_backend().load_sample(path);
  n->loaded = n->sample != nullptr;
  n->index = index;
  n->next = named_samples;
  named_samples = n;
}

void Sound::load_spell_sounds() {
  for (int n = 0; n < spells.get_num_spells(); n++) {
    std::string name = spells.get_wav_name(n);
    add_named(name, name, n);
  }
}

void Sound::load_mount_sounds() {
  for (const std::string& name : mounts.get_sound_names()) add_named(name, "sound/" + name, -1);
}

// ---- Effects -------------------------------------------------------------------

void Sound::play_slot(int slot, int volume, bool loop) {
  if (slot < 0 || slot >= SOUND_FIXED_SAMPLES || !samples[slot]) return;
  audio_backend().play_sample(samples[slot], clamp_volume(volume), SOUND_PAN_EFFECT,
                              SOUND_FREQ_NATIVE, loop);
}

void Sound::play_random(int first, int count, int volume) { play_slot(first + rand_int(count), volume); }

void Sound::play_effect_vol(int id, int volume) {
  if (!initialised || id < 0 || id > SOUND_EFFECT_MAX) return;
  switch (id) {
    case SFX_SWORD: play_random(SND_SWORD1, 3, volume); break;
    case SFX_MISS: play_slot(SND_MISS, volume); break;
    case SFX_STEP: play_random(SND_STEP1, 4, volume); break;
    case SFX_CAST: play_slot(SND_CAST, volume); break;
    case SFX_MALE_PAIN: play_random(SND_MPAIN1, 3, volume); break;
    case SFX_MALE_DEATH: play_slot(SND_MDEATH, volume); break;
    case SFX_GIB: {
      int gib = SND_GIB1 + rand_int(4);
      if (samples[gib]) play_slot(gib, volume);
      else play_random(SND_SWORD1, 3, volume);
      break;
    }
    case SFX_FEMALE_PAIN:
      play_random(SND_FPAIN1, 3, volume);
      play_random(SND_SWORD1, 3, volume);
      break;
    case SFX_FEMALE_DEATH:
      play_slot(SND_FDEATH, volume);
      play_random(SND_SWORD1, 3, volume);
      break;
    case SFX_QUAKE: play_slot(SND_QUAKE, volume); break;
    case SFX_ARROW_SHOOT: play_slot(SND_A_SHOOT, volume); break;
    case SFX_ARROW_HIT: play_slot(SND_A_HIT, volume); break;
    case SFX_GIB4: play_slot(SND_GIB1 + 3, volume); break;
    case SFX_QUACK: play_random(SND_QUACK1, 3, volume); break;
    case SFX_FIREBALL: play_slot(SND_FIREBALL, volume); break;
    case SFX_WEREWOLF_HIT:
      play_random(SND_WHIT1, 3, volume * 3 / 2);
      play_slot(SND_SCRATCH, volume / 2);
      break;
    case SFX_WEREWOLF_PAIN:
      play_slot(SND_WPAIN, volume);
      play_random(SND_SWORD1, 3, volume);
      break;
    case SFX_WEREWOLF_DEATH:
      play_slot(SND_WDEATH, volume);
      play_random(SND_SWORD1, 3, volume);
      break;
    case SFX_MUSKET: play_slot(SND_MUSKET, volume); break;
    case SFX_TELEPORT: play_slot(SND_TELEPORT, volume); break;
    case SFX_TELEFRAG: play_slot(SND_TELEFRAG, volume); break;
    case SFX_BLOCK: play_slot(SND_BLOCK, volume); break;
    case SFX_PARRY: play_slot(SND_PARRY, volume); break;
    case SFX_STEAL: play_slot(SND_STEAL, volume); break;
    case SFX_CLOCK: play_slot(SND_CLOCK, volume, true); break;
    case SFX_WATERFALL: play_slot(SND_WATERFALL, volume, true); break;
    case SFX_FOUNTAIN: play_slot(SND_FOUNTAIN, volume, true); break;
    case SFX_TC: play_slot(SND_TC, volume); break;
    case SFX_LASER: play_slot(SND_LASER, volume); break;
    case SFX_TRAP: play_slot(SND_TRAP, volume); break;
    case SFX_EXPLOSION: play_slot(SND_EXPLOSION, volume); break;
    case SFX_ZAP: play_slot(SND_ZAP, volume); break;
    case SFX_SPELL_FAIL: play_slot(SND_SPELLFAIL, volume); break;
    case SFX_POTION: play_slot(SND_POTION, volume); break;
    default: break;
  }
}

namespace {
void remember_request(std::vector<int>& v, int id) {
  if (v.size() >= SOUND_REQUESTS_KEPT) v.erase(v.begin());
  v.push_back(id);
}
}  // namespace

void Sound::play_effect(int id) {
  remember_request(effects_played, id);
  play_effect_vol(id, get_volume());
}

void Sound::play_effect_scaled(int id, float factor) {
  remember_request(effects_played, id);
  play_effect_vol(id, scaled(get_volume(), factor));
}

int Sound::loop_sample_index(int id) {
  if (id < SOUND_LOOP_FIRST || id > SOUND_LOOP_LAST) return -1;
  return LOOP_TABLE[id - SOUND_LOOP_FIRST];
}

void Sound::stop_loop(int id) {
  int slot = loop_sample_index(id);
  if (initialised && slot >= 0 && samples[slot]) audio_backend().stop_sample(samples[slot]);
}

void Sound::adjust_loop(int id, float factor) {
  int slot = loop_sample_index(id);
  if (!initialised || slot < 0 || !samples[slot]) return;
  audio_backend().adjust_sample(samples[slot], clamp_volume(scaled(get_volume(), factor)),
                                SOUND_PAN_EFFECT, SOUND_FREQ_NATIVE, true);
}

void Sound::stop_all_loops() {
  if (initialised) {
    for (int slot : {SND_CLOCK, SND_WATERFALL, SND_FOUNTAIN})
      if (samples[slot]) audio_backend().stop_sample(samples[slot]);
  }
  ambient_id = -1;
  ambient_factor = -1.0f;
}

// ---- Spell and named samples ---------------------------------------------------

namespace {
// An exclusive sound's file name ends in "_" and a four-character extension.
bool exclusive_name(const std::string& name) { return name.size() > 4 && name[name.size() - 5] == '_'; }
}  // namespace

bool Sound::is_exclusive_spell_sound(int spell) const { return exclusive_name(spells.get_wav_name(spell)); }

const NamedSample* Sound::find_spell(int spell) const {
  for (const NamedSample* n = named_samples; n; n = n->next)
    if (n->loaded && n->index == spell) return n;
  return nullptr;
}

void Sound::start_spell_sound(int spell, int volume) {
  AudioBackend& b = audio_backend();
  // At most one exclusive spell sound at a time, whatever its spell number.
  if (is_exclusive_spell_sound(spell)) {
    for (const NamedSample* n = named_samples; n; n = n->next)
      if (n->loaded && n->index >= 0 && exclusive_name(n->name)) b.stop_sample(n->sample);
  }
  if (const NamedSample* n = find_spell(spell))
    b.play_sample(n->sample, clamp_volume(volume), SOUND_PAN_EFFECT, SOUND_FREQ_NATIVE, false);
  else
    play_slot(SND_CAST, volume);
}

void Sound::play_spell_sound_vol(int spell, int volume) {
  if (initialised) start_spell_sound(spell, volume);
}

void Sound::play_spell_sound(int spell) { play_spell_sound_vol(spell, get_volume()); }

void Sound::play_spell_sound_scaled(int spell, float factor) {
  remember_request(spell_sounds, spell);
  play_spell_sound_vol(spell, scaled(get_volume(), factor));
}

void Sound::stop_spell_sound(int spell) {
  remember_request(spell_sounds_stopped, spell);
  if (const NamedSample* n = find_spell(spell)) audio_backend().stop_sample(n->sample);
}

void Sound::play_named_sound(const std::string& name, int volume) {
  if (!initialised) return;
  for (const NamedSample* n = named_samples; n; n = n->next) {
    if (n->loaded && n->name == name) {
      audio_backend().play_sample(n->sample, clamp_volume(volume), SOUND_PAN_EFFECT,
                                  SOUND_FREQ_NATIVE, false);
      return;
    }
  }
}

// ---- Music ---------------------------------------------------------------------

void Sound::play_music(int track, bool force) {
  if (!initialised) return;
  if (!options.get(OPT_MUSIC) && !force) return;
  if (track < SOUND_TRACK_MIN || track > SOUND_TRACK_MAX) return;
  AudioBackend& b = audio_backend();
  for (int t = track; t >= SOUND_TRACK_MIN; t--) {
    const std::string name = t == -1 ? std::string("intro") : int_to_str(t);
    const std::string mp3_path = "sound/" + name + ".mp3";
    if (mp3_path == music_file) return;
    if (file_exists(mp3_path)) {
      // Once the old music stops, nothing plays until a new file starts.
      stop_music();
      if (!load_mp3_file(mp3_path) && start_mp3(get_music_volume(), SOUND_PAN_MUSIC) == 0) {
        music_kind = 1;
        music_file = mp3_path;
        return;
      }
      writelog("cannot play %s\n", mp3_path.c_str());
      destroy_mp3();
    }
    const std::string mid_path = "sound/" + name + ".mid";
    if (mid_path == music_file) return;
    if (file_exists(mid_path)) {
      stop_music();
      music_kind = 2;
      MIDI*& slot = midi_cache[t + 1];
      if (!slot) slot = b.load_midi(mid_path);
      if (slot && b.play_midi(slot, true) == 0) {
        music_file = mid_path;
        return;
      }
    }
  }
  stop_music();
}

void Sound::stop_music() {
  audio_backend().stop_midi();
  destroy_mp3();
  music_file.clear();
}

bool Sound::load_mp3_file(const std::string& path) {
  destroy_mp3();
  if (!mp3_data) mp3_data.reset(new unsigned char[SOUND_MP3_MAX]);
  long n = audio_backend().read_file(path, mp3_data.get(), SOUND_MP3_MAX);
  if (n > 0) mp3 = mp3_create(mp3_data.get(), static_cast<int>(n));
  return mp3 == nullptr;
}

int Sound::start_mp3(int volume, int pan) {
  return mp3_play_ex(mp3, SOUND_MP3_BUFFER, volume, pan, SOUND_FREQ_NATIVE, true);
}

void Sound::destroy_mp3() {
  if (mp3) mp3_destroy(mp3);
  mp3 = nullptr;
}

int Sound::poll_music() {
  if (music_kind != 1 || !mp3) return 0;
  int r = mp3_poll(mp3);
  if (r == MP3_POLL_DECODE_ERROR) {
    // The stream has stopped; forget the track so that it can be asked for again.
    writelog("music stopped: %s cannot be decoded\n", music_file.c_str());
    destroy_mp3();
    music_file.clear();
  }
  return r;
}

SAMPLE* Sound::weapon_sample(int base) {
  if (!initialised || base < 0 || base >= SOUND_WEAPON_SAMPLES) return nullptr;
  // A missing file is tried again at the next attack.
  if (!weapon_samples[base]) {
    char path[32];
    std::snprintf(path, sizeof path, "sound/w%x.wav", static_cast<unsigned>(base));
    weapon_samples[base] = audio_backend().load_sample(path);
  }
  return weapon_samples[base];
}

// ---- Free functions ------------------------------------------------------------

float distance_factor(int x1, int y1, int x2, int y2, bool wraps, int width, float radius) {
  float d = get_distance(x1, y1, x2, y2);
  if (wraps && d > SOUND_WRAP_DISTANCE) {
    if (x1 <= x2) x2 -= width;
    else x1 -= width;
    d = get_distance(x1, y1, x2, y2);
  }
  if (radius <= 0.0f) return 0.0f;
  float f = (radius - d + 2.0f) / radius;
  return f < 0.0f ? 0.0f : (f > 1.0f ? 1.0f : f);
}

float sound_distance_factor(int x1, int y1, int x2, int y2, int view_radius) {
  return distance_factor(x1, y1, x2, y2, cmap.get_type() == MAPTYPE_WRAP, cmap.width,
                         static_cast<float>(view_radius));
}

void weapon_attack_fx(bool missile, int target_x, int target_y) {
  const Item& w = me.weapon;
  int base = w.get_base_code();
  if (SAMPLE* s = sound.weapon_sample(base)) {
    audio_backend().play_sample(s, sound.get_volume(), SOUND_PAN_EFFECT, SOUND_FREQ_NATIVE, false);
  } else {
    switch (wl.get_weapon_type(w)) {
      case 'g': sound.play_effect(SFX_MUSKET); break;
      case 'e': sound.play_effect(SFX_LASER); break;
      default: sound.play_effect(SFX_ARROW_SHOOT); break;
    }
  }
  if (!missile) return;
  int kind;
  int damage = wl.get_weapon_damage_type(w);
  if (damage == 'e') kind = MISSILE_BEAM;
  else if (damage == 'g') kind = MISSILE_SHOT;
  else if (wl.get_ammo_type(w) == 0L) kind = w.is_artifact() ? MISSILE_RETURNING : MISSILE_TRAIL;
  else kind = MISSILE_ARROW;
  add_missile(missile_list, me.x, me.y, target_x, target_y, kind);
}

Sound sound;
