#pragma once
// The sound object: the fixed effect samples, spell, mount and weapon
// samples, the looping ambient sounds of nearby objects, and the music (an
// MP3 track held in memory and played by the MP3 player, or a MIDI file).
// Everything plays through the audio backend; main thread only.

#include <memory>
#include <string>
#include <vector>

#include "core/sound_effects.h"

struct SAMPLE;
struct MIDI;
struct Mp3Player;

constexpr int SOUND_FIXED_SAMPLES = 50;
constexpr int SOUND_WEAPON_SAMPLES = 80;
constexpr int SOUND_MIDI_SLOTS = 11;  // tracks -1 ("intro") to 9
constexpr int SOUND_TRACK_MIN = -1;
constexpr int SOUND_TRACK_MAX = 9;
constexpr long SOUND_MP3_MAX = 20000000;  // longer files are cut
constexpr int SOUND_MP3_BUFFER = 65536;   // stream buffer bytes
constexpr int SOUND_PAN_EFFECT = 127;
constexpr int SOUND_PAN_MUSIC = 128;
constexpr int SOUND_FREQ_NATIVE = 1000;
constexpr float SOUND_WRAP_DISTANCE = 20.0f;
constexpr size_t SOUND_REQUESTS_KEPT = 256;

// Fixed sample slots, in load order.
enum {
  SND_SWORD1 = 0, SND_MISS = 3, SND_STEP1 = 4, SND_CAST = 8, SND_MPAIN1 = 9, SND_MDEATH = 12,
  SND_GIB1 = 13, SND_FPAIN1 = 17, SND_FDEATH = 20, SND_QUAKE = 21, SND_A_SHOOT = 22,
  SND_A_HIT = 23, SND_QUACK1 = 24, SND_FIREBALL = 27, SND_WHIT1 = 28, SND_SCRATCH = 31,
  SND_WDEATH = 32, SND_WPAIN = 33, SND_MUSKET = 34, SND_TELEPORT = 35, SND_POTION = 36,
  SND_TELEFRAG = 37, SND_BLOCK = 38, SND_PARRY = 39, SND_STEAL = 40, SND_CLOCK = 41,
  SND_WATERFALL = 42, SND_FOUNTAIN = 43, SND_TC = 44, SND_LASER = 45, SND_TRAP = 46,
  SND_EXPLOSION = 47, SND_ZAP = 48, SND_SPELLFAIL = 49
};

// File names of the fixed samples under "sound/", by slot.
extern const char* const SOUND_SAMPLE_NAMES[SOUND_FIXED_SAMPLES];

// A spell or mount sample, kept in a list whose newest node comes first.
struct NamedSample {
  std::string name;
  SAMPLE* sample = nullptr;
  bool loaded = false;
  int index = -1;  // spell number, -1 for a mount sound
  NamedSample* next = nullptr;
};

class Sound {
 public:
  Sound();
  ~Sound();
  Sound(const Sound&) = delete;
  Sound& operator=(const Sound&) = delete;

  // Volumes from "client.cfg": 0 when muted, 255 for values outside 0..255.
  int get_volume() const;
  int get_music_volume() const;
  void apply_volume();

  // Installs the drivers and loads the samples; 0 (failures are logged).
  int init();
  void load_spell_sounds();
  void load_mount_sounds();

  void play_effect_vol(int id, int volume);
  void play_effect(int id);
  void play_effect_scaled(int id, float factor);
  // The fixed slot that sounds while effect `id` lasts, or -1.
  static int loop_sample_index(int id);
  void stop_loop(int id);
  void adjust_loop(int id, float factor);
  void stop_all_loops();

  bool is_exclusive_spell_sound(int spell) const;
  void start_spell_sound(int spell, int volume);
  void play_spell_sound_vol(int spell, int volume);
  void play_spell_sound(int spell);
  void play_spell_sound_scaled(int spell, float factor);
  void stop_spell_sound(int spell);
  void play_named_sound(const std::string& name, int volume);

  void play_music(int track, bool force);
  void stop_music();
  // True on failure.
  bool load_mp3_file(const std::string& path);
  int start_mp3(int volume, int pan);
  void destroy_mp3();
  int poll_music();

  // Stops the music and gives every sample and MIDI file back to the
  // library; the destructor does it too. A later init loads them again.
  void release();

  // The weapon sample of base code `base` (loaded on first use), or null.
  SAMPLE* weapon_sample(int base);

  SAMPLE* samples[SOUND_FIXED_SAMPLES] = {};
  Mp3Player* mp3 = nullptr;
  std::unique_ptr<unsigned char[]> mp3_data;  // allocated once, on the first MP3
  MIDI* midi_cache[SOUND_MIDI_SLOTS] = {};
  std::string music_file;
  bool initialised = false;
  NamedSample* named_samples = nullptr;
  int music_kind = 0;  // 1 MP3, 2 MIDI
  SAMPLE* weapon_samples[SOUND_WEAPON_SAMPLES] = {};
  int ambient_id = -1;
  float ambient_factor = -1.0f;

  // The latest requests by id (newest last, at most SOUND_REQUESTS_KEPT), kept
  // whether or not a sound card plays them: what the game asked to hear.
  std::vector<int> effects_played;
  std::vector<int> spell_sounds;
  std::vector<int> spell_sounds_stopped;

 private:
  void play_slot(int slot, int volume, bool loop = false);
  void play_random(int first, int count, int volume);
  void add_named(const std::string& name, const std::string& path, int index);
  const NamedSample* find_spell(int spell) const;
  void free_named();
};

extern Sound sound;

// How loud a sound at (x1, y1) is for a listener at (x2, y2): 1.0 near, 0.0
// beyond the view radius plus two. A wrapping map is measured across its seam
// when that is shorter.
float distance_factor(int x1, int y1, int x2, int y2, bool wraps, int width, float radius);
// The same on the current map. Callers pass the map view's radius, so that
// sounds end where the view ends at every screen size.
float sound_distance_factor(int x1, int y1, int x2, int y2, int view_radius);

// The sound of one attack with the local player's weapon and, when `missile`
// is set, its missile from the player to the target's cell.
void weapon_attack_fx(bool missile, int target_x, int target_y);
