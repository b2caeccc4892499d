// The sound object against a recording backend: volumes and mute, the
// effect table, ambient loops, exclusive spell sounds, the music fallback
// chain with its MIDI cache, the distance factor, and the weapon sound.

#include "audio/sound.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/globals.h"
#include "support/temp_dir.h"
#include "unit/audio/recording_backend.h"

namespace {

void touch(const std::string& path) { TempDir::write(path, "x"); }

// One spell line of "dat/spells.txt" with the given sound file.
std::string spell_line(const std::string& id_hex, const std::string& wav) {
  return id_hex + "\tzz\tSpell\tsp_f\t\t1\t1\tw\tm\tBlades\t0\t1\t100\tnone\tn\t0\t1d4\t" + wav +
         "\t0\tn\t\tx\n";
}

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* k : {"volume", "music_volume", "mute", "music"}) client_cfg.erase_key(k);
    client_cfg.set("volume", "100");
    client_cfg.set("music_volume", "90");
    spells.load();  // no table here: empty
  }
  void TearDown() override {
    // The global object must not keep this recorder's handles past the test.
    sound.release();
    for (const char* k : {"volume", "music_volume", "mute", "music"}) client_cfg.erase_key(k);
    spells.load();
  }
  void all_fixed_samples_except(const std::string& prefix = "-") {
    for (const char* n : SOUND_SAMPLE_NAMES)
      if (std::string(n).rfind(prefix, 0) != 0) touch(std::string("sound/") + n + ".wav");
  }
  Sound& started() {
    s = std::make_unique<Sound>();
    s->init();
    rec.calls.clear();
    return *s;
  }
  std::vector<RecordedCall> plays() const { return rec.calls_of("play"); }

  TempDir dir;
  RecordingBackend rec;
  std::unique_ptr<Sound> s;
};

TEST_F(SoundTest, VolumesAndMute) {
  const struct {
    const char *mute, *volume, *music_volume;
    int effects, music;
  } cases[] = {
      {"0", "100", "90", 100, 90},  {"1", "100", "90", 0, 0},     {"0", "300", "-5", 255, 255},
      {"0", "255", "0", 255, 0},    {"0", "256", "-1", 255, 255}, {"", "", "", 0, 0},
      {"2", "300", "300", 0, 0},
  };
  Sound& snd = started();
  for (const auto& c : cases) {
    client_cfg.set("mute", c.mute);
    client_cfg.set("volume", c.volume);
    client_cfg.set("music_volume", c.music_volume);
    EXPECT_EQ(snd.get_volume(), c.effects) << c.mute << " " << c.volume;
    EXPECT_EQ(snd.get_music_volume(), c.music) << c.mute << " " << c.music_volume;
  }
}

TEST_F(SoundTest, InstallRetriesWithoutMidiAndLogsFailure) {
  const struct {
    std::vector<int> results;
    std::vector<bool> installs;
    bool logged;
  } cases[] = {
      {{0}, {true}, false},
      {{-1, 0}, {true, false}, true},
      {{-1, -1}, {true, false}, true},
  };
  for (const auto& c : cases) {
    TempDir inner;
    RecordingBackend r;
    r.install_results = c.results;
    Sound snd;
    EXPECT_EQ(snd.init(), 0);
    EXPECT_EQ(r.installs, c.installs);
    EXPECT_EQ(TempDir::read("cl_log.txt").find("sound init error") != std::string::npos, c.logged);
    EXPECT_TRUE(snd.initialised);
  }
}

TEST_F(SoundTest, EffectTable) {
  all_fixed_samples_except("gib");
  touch("sound/gib4.wav");
  struct Expect {
    std::set<std::string> names;  // any one of these
    int vol;
    bool loop;
  };
  const std::set<std::string> swords = {"sound/sword1.wav", "sound/sword2.wav", "sound/sword3.wav"};
  const struct {
    int id;
    std::vector<Expect> plays;
  } cases[] = {
      {0, {{swords, 100, false}}},
      {7, {{{"sound/fpain1.wav", "sound/fpain2.wav", "sound/fpain3.wav"}, 100, false}, {swords, 100, false}}},
      {12, {{{"sound/gib4.wav"}, 100, false}}},
      {15, {{{"sound/whit1.wav", "sound/whit2.wav", "sound/whit3.wav"}, 150, false},
            {{"sound/scratch.wav"}, 50, false}}},
      {24, {{{"sound/clock.wav"}, 100, true}}},
      {25, {{{"sound/waterfall.wav"}, 100, true}}},
      {34, {}},
      {-1, {}},
  };
  Sound& snd = started();
  for (const auto& c : cases) {
    rec.calls.clear();
    snd.play_effect(c.id);
    auto p = plays();
    ASSERT_EQ(p.size(), c.plays.size()) << "effect " << c.id;
    for (size_t i = 0; i < p.size(); i++) {
      EXPECT_TRUE(c.plays[i].names.count(p[i].name)) << "effect " << c.id << ": " << p[i].name;
      EXPECT_EQ(p[i].vol, c.plays[i].vol) << "effect " << c.id;
      EXPECT_EQ(p[i].loop, c.plays[i].loop) << "effect " << c.id;
      EXPECT_EQ(p[i].pan, 127);
      EXPECT_EQ(p[i].freq, 1000);
    }
  }
  // A missing gib sample gives a sword sound instead; a missing fpain gives
  // only the sword that follows it.
  for (int i = 0; i < 20; i++) {
    rec.calls.clear();
    snd.play_effect(6);
    auto p = plays();
    ASSERT_EQ(p.size(), 1u);
    EXPECT_TRUE(p[0].name == "sound/gib4.wav" || swords.count(p[0].name)) << p[0].name;
  }
}

TEST_F(SoundTest, NothingPlaysBeforeInit) {
  all_fixed_samples_except();
  touch("sound/intro.mid");
  Sound snd;
  snd.play_effect(0);
  snd.play_spell_sound(1);
  snd.play_music(-1, true);
  snd.stop_loop(25);
  EXPECT_TRUE(rec.calls.empty());
}

TEST_F(SoundTest, AmbientLoops) {
  all_fixed_samples_except();
  Sound& snd = started();
  const struct {
    int id, slot;
  } index[] = {{8, -1}, {9, SND_QUAKE}, {10, -1}, {23, -1}, {24, SND_CLOCK},
               {25, SND_WATERFALL}, {26, SND_FOUNTAIN}, {27, -1}};
  for (const auto& c : index) EXPECT_EQ(Sound::loop_sample_index(c.id), c.slot) << c.id;

  snd.play_effect_scaled(25, 0.5f);
  snd.adjust_loop(25, 0.25f);
  snd.adjust_loop(3, 0.25f);  // no loop slot
  snd.stop_loop(25);
  snd.stop_loop(9);
  snd.stop_loop(10);
  const std::vector<std::string> want = {"play sound/waterfall.wav 50 1", "adjust sound/waterfall.wav 25 1",
                                         "stop sound/waterfall.wav 0 0", "stop sound/quake.wav 0 0"};
  std::vector<std::string> got;
  for (const RecordedCall& c : rec.calls)
    got.push_back(c.what + " " + c.name + " " + std::to_string(c.vol) + " " + std::to_string(c.loop));
  EXPECT_EQ(got, want);

  // A volume change re-applies the loop's distance factor.
  snd.ambient_id = 25;
  snd.ambient_factor = 0.5f;
  client_cfg.set("volume", "200");
  rec.calls.clear();
  snd.apply_volume();
  auto adj = rec.calls_of("adjust");
  ASSERT_EQ(adj.size(), 1u);
  EXPECT_EQ(adj[0].name, "sound/waterfall.wav");
  EXPECT_EQ(adj[0].vol, 100);
  EXPECT_TRUE(adj[0].loop);
  ASSERT_EQ(rec.calls_of("volume").size(), 1u);
  EXPECT_EQ(rec.calls_of("volume")[0].pan, 90);  // the MIDI volume

  rec.calls.clear();
  snd.stop_all_loops();
  std::set<std::string> stopped;
  for (const RecordedCall& c : rec.calls_of("stop")) stopped.insert(c.name);
  EXPECT_EQ(stopped, (std::set<std::string>{"sound/clock.wav", "sound/waterfall.wav", "sound/fountain.wav"}));
  EXPECT_EQ(snd.ambient_id, -1);
  EXPECT_EQ(snd.ambient_factor, -1.0f);
}

// The object grid's choice reaches the global sound object with its
// loudness, and a loop stopped elsewhere (a level change) starts again.
TEST_F(SoundTest, ObjectGridLoopFollowsTheSoundObject) {
  all_fixed_samples_except();
  sound.init();
  rec.calls.clear();
  AmbientSound& out = global_ambient_sound();
  out.play_scaled(26, 0.5f);
  EXPECT_EQ(sound.ambient_id, 26);
  EXPECT_EQ(sound.ambient_factor, 0.5f);
  out.adjust_loop(26, 0.75f);
  EXPECT_EQ(sound.ambient_factor, 0.75f);
  ASSERT_EQ(plays().size(), 1u);
  EXPECT_EQ(plays()[0].vol, 50);
  ASSERT_EQ(rec.calls_of("adjust").size(), 1u);
  EXPECT_EQ(rec.calls_of("adjust")[0].vol, 75);

  sound.stop_all_loops();
  out.enabled();
  EXPECT_EQ(out.current_id, -1);
  EXPECT_EQ(out.current_factor, -1.0f);
}

TEST_F(SoundTest, ExclusiveSpellSounds) {
  TempDir::write("dat/spells.txt", spell_line("5", "ring_.wav") + spell_line("12c", "gong_.wav") +
                                       spell_line("7", "plain.wav") + spell_line("8", "gone_.wav"));
  ASSERT_EQ(spells.load(), 0);
  ASSERT_EQ(spells.get_num_spells(), 0x12d);
  for (const char* f : {"sound/ring_.wav", "sound/gong_.wav", "sound/plain.wav", "sound/cast.wav"}) touch(f);
  const struct {
    const char* what;
    std::vector<int> spells;  // cast in turn; calls of the last one are checked
    std::vector<std::string> calls;
  } cases[] = {
      {"exclusive stops every exclusive one, also above 255", {0x12c, 5},
       {"stop sound/gong_.wav", "stop sound/ring_.wav", "play sound/ring_.wav"}},
      {"the same spell again", {5, 5}, {"stop sound/gong_.wav", "stop sound/ring_.wav", "play sound/ring_.wav"}},
      {"a plain spell stops nothing", {0x12c, 7}, {"play sound/plain.wav"}},
      {"an exclusive spell without a sample plays cast", {8},
       {"stop sound/gong_.wav", "stop sound/ring_.wav", "play sound/cast.wav"}},
      {"a spell number out of the table plays cast", {4095}, {"play sound/cast.wav"}},
  };
  for (const auto& c : cases) {
    Sound& snd = started();
    for (int sp : c.spells) {
      rec.calls.clear();
      snd.play_spell_sound(sp);
    }
    std::vector<std::string> got;
    for (const RecordedCall& r : rec.calls) got.push_back(r.what + " " + r.name);
    EXPECT_EQ(got, c.calls) << c.what;
  }
  Sound& snd = started();
  snd.play_spell_sound_scaled(7, 0.5f);
  snd.stop_spell_sound(7);
  snd.play_named_sound("sound/plain.wav", 30);
  std::vector<std::string> got;
  for (const RecordedCall& r : rec.calls) got.push_back(r.what + " " + r.name + " " + std::to_string(r.vol));
  EXPECT_EQ(got, (std::vector<std::string>{"play sound/plain.wav 50", "stop sound/plain.wav 0",
                                           "play sound/plain.wav 30"}));
}

// ---- Music ---------------------------------------------------------------------

class MusicTest : public SoundTest {
 protected:
  // What is sounding now: the MIDI file or MP3 stream last started.
  std::string sounding() const {
    std::string now;
    for (const RecordedCall& c : rec.calls) {
      if (c.what == "play_midi") now = c.name;
      if (c.what == "play_stream") now = "stream";
      if (c.what == "stop_midi" && now != "stream") now.clear();
    }
    bool stream_live = !rec.streams.empty() && !rec.streams.back()->stopped;
    if (now == "stream" && !stream_live) now.clear();
    return now;
  }
  int count(const std::string& what) const { return int(rec.calls_of(what).size()); }
};

TEST_F(MusicTest, FallbackChain) {
  TempDir::write("sound/intro.mp3", silent_frames(40));
  touch("sound/2.mid");
  const struct {
    int track;
    bool force, music_on;
    std::string file, sounding;
    int new_starts;
  } steps[] = {
      {5, true, false, "sound/2.mid", "sound/2.mid", 1},
      {2, true, false, "sound/2.mid", "sound/2.mid", 0},  // already playing
      {1, true, false, "sound/intro.mp3", "stream", 1},
      {1, true, false, "sound/intro.mp3", "stream", 0},
      {-1, false, false, "sound/intro.mp3", "stream", 0},  // music off, not forced
      {3, false, true, "sound/2.mid", "sound/2.mid", 1},
      {10, true, true, "sound/2.mid", "sound/2.mid", 0},
      {-2, true, true, "sound/2.mid", "sound/2.mid", 0},
      {-1, false, true, "sound/intro.mp3", "stream", 1},
  };
  Sound& snd = started();
  int starts = 0;
  for (const auto& st : steps) {
    client_cfg.set("music", st.music_on ? "1" : "0");
    snd.play_music(st.track, st.force);
    int now = count("play_midi") + count("play_stream");
    EXPECT_EQ(now - starts, st.new_starts) << "track " << st.track;
    starts = now;
    EXPECT_EQ(snd.music_file, st.file) << "track " << st.track;
    EXPECT_EQ(sounding(), st.sounding) << "track " << st.track;
  }
  EXPECT_EQ(snd.music_kind, 1);
  ASSERT_NE(snd.mp3, nullptr);
  EXPECT_EQ(rec.streams.back()->vol, 90);
  EXPECT_EQ(rec.streams.back()->pan, 128);
}

TEST_F(MusicTest, MidiCacheAndContinentTheme) {
  touch("sound/intro.mid");
  touch("sound/0.mid");
  touch("sound/continent.mid");
  Sound& snd = started();
  snd.play_music(-1, true);
  snd.stop_music();
  EXPECT_EQ(snd.music_file, "");
  snd.play_music(-1, true);
  EXPECT_EQ(rec.loads["sound/intro.mid"], 1);
  EXPECT_EQ(count("play_midi"), 2);
  snd.play_music(0, true);
  EXPECT_EQ(snd.music_file, "sound/0.mid");
  EXPECT_EQ(sounding(), "sound/continent.mid");
  EXPECT_EQ(rec.loads["sound/0.mid"], 0);
}

// Music that cannot start leaves nothing named as playing, so that the next
// request (or the MIDI of the same track) starts it.
TEST_F(MusicTest, FailedMp3FallsBackToTheSameTracksMidi) {
  touch("sound/3.mid");
  const struct {
    const char* what;
    std::string mp3;
    bool streams_open;
  } cases[] = {
      {"no frames in the file", std::string(5000, 'z'), true},
      {"empty file", "", true},
      {"no stream to be had", silent_frames(40), false},
  };
  for (const auto& c : cases) {
    std::filesystem::remove("sound/3.mp3");
    Sound& snd = started();
    snd.play_music(3, true);
    ASSERT_EQ(snd.music_file, "sound/3.mid");
    TempDir::write("sound/3.mp3", c.mp3);
    rec.streams_open = c.streams_open;
    rec.calls.clear();
    snd.play_music(3, true);
    EXPECT_EQ(snd.music_file, "sound/3.mid") << c.what;
    EXPECT_EQ(sounding(), "sound/3.mid") << c.what;
    EXPECT_EQ(snd.mp3, nullptr) << c.what;
    rec.streams_open = true;
  }
}

TEST_F(MusicTest, NothingToPlayStopsTheOldMusic) {
  touch("sound/4.mid");
  Sound& snd = started();
  snd.play_music(4, true);
  std::filesystem::remove("sound/4.mid");
  snd.stop_music();
  snd.play_music(4, true);
  EXPECT_EQ(snd.music_file, "");
  EXPECT_EQ(sounding(), "");
}

TEST_F(MusicTest, UndecodableStreamIsForgotten) {
  TempDir::write("sound/intro.mp3", silent_frames(5) + std::string(20000, '\0') + silent_frames(15));
  Sound& snd = started();
  snd.play_music(-1, true);
  ASSERT_EQ(snd.music_file, "sound/intro.mp3");
  EXPECT_EQ(snd.poll_music(), -2);
  EXPECT_EQ(snd.music_file, "");
  EXPECT_EQ(snd.mp3, nullptr);
  EXPECT_EQ(snd.poll_music(), 0);
  snd.play_music(-1, true);
  EXPECT_EQ(count("play_stream"), 2);
}

// ---- Distance and the weapon sound ----------------------------------------------

TEST(SoundDistance, Factor) {
  const struct {
    int x1, y1, x2, y2;
    bool wraps;
    int width;
    float radius, want;
  } cases[] = {
      {5, 5, 5, 5, false, 100, 15, 1.0f},
      {0, 0, 3, 4, false, 100, 15, 12.0f / 15},
      {0, 0, 17, 0, false, 100, 15, 0.0f},
      {0, 0, 2, 0, false, 100, 15, 1.0f},  // within two cells: full
      {0, 0, 40, 0, false, 100, 15, 0.0f},
      {1, 3, 99, 3, true, 100, 15, 1.0f},   // 2 apart across the seam
      {1, 0, 95, 0, true, 100, 15, 11.0f / 15},
      {95, 0, 1, 0, true, 100, 15, 11.0f / 15},
      {1, 0, 95, 0, false, 100, 15, 0.0f},
      {0, 0, 20, 0, true, 30, 15, 0.0f},  // 20 is not past the seam distance
      {0, 0, 21, 0, true, 30, 15, 8.0f / 15},
      {0, 0, 5, 0, false, 100, 10, 0.7f},
  };
  for (const auto& c : cases)
    EXPECT_NEAR(distance_factor(c.x1, c.y1, c.x2, c.y2, c.wraps, c.width, c.radius), c.want, 1e-5)
        << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2 << " wraps " << c.wraps;

  cmap.type = MAPTYPE_WRAP;
  cmap.width = 100;
  EXPECT_NEAR(sound_distance_factor(1, 3, 99, 3, 15), 1.0f, 1e-5);
  cmap.type = MAPTYPE_FLAT;
  EXPECT_NEAR(sound_distance_factor(1, 3, 99, 3, 15), 0.0f, 1e-5);
}

TEST_F(SoundTest, WeaponSoundHonoursMuteAndTheVolumeRange) {
  touch("sound/w5.wav");
  touch("sound/w4f.wav");
  sound.init();
  const struct {
    long base;
    const char *mute, *volume;
    std::string file;
    int vol;
  } cases[] = {
      {5, "0", "120", "sound/w5.wav", 120}, {5, "1", "120", "sound/w5.wav", 0},
      {5, "0", "300", "sound/w5.wav", 255}, {5, "0", "-7", "sound/w5.wav", 255},
      {0x4f, "0", "60", "sound/w4f.wav", 60},
  };
  Item saved = me.weapon;
  for (const auto& c : cases) {
    client_cfg.set("mute", c.mute);
    client_cfg.set("volume", c.volume);
    me.weapon = Item(c.base);
    rec.calls.clear();
    weapon_attack_fx(false, 0, 0);
    auto p = plays();
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0].name, c.file);
    EXPECT_EQ(p[0].vol, c.vol) << c.mute << " " << c.volume;
  }
  // A missing weapon sample is looked for again at the next attack.
  me.weapon = Item(6L);
  weapon_attack_fx(false, 0, 0);
  weapon_attack_fx(false, 0, 0);
  EXPECT_EQ(rec.loads["sound/w6.wav"], 2);
  me.weapon = saved;
}

// Without a sample of its own a weapon sounds by its type, and its missile
// kind follows the damage type and the ammunition.
TEST_F(SoundTest, WeaponFallbackSoundAndMissileKind) {
  TempDir::copy_gamedata("dat");
  // The sample world has no energy weapon: one of its own here.
  TempDir::write("dat/weapons.txt", TempDir::read("dat/weapons.txt") +
                                        "1e0\te\te\tBows\tspark_rod\tm\t1d6\t1\t90\tw\t1.0\t2.0\twsr\t0\t1\n");
  ASSERT_EQ(wl.reload(), 0);
  all_fixed_samples_except();
  sound.init();
  const struct {
    long base;
    std::string file;
    int kind;
    int then = -1;  // the kind of a second missile, -1 none
  } cases[] = {
      {0x182, "sound/a_shoot.wav", 0},     // a bow: ammunition
      {0x181, "sound/a_shoot.wav", 5},     // a blade: no ammunition
      {0x600, "sound/a_shoot.wav", 5, 6},  // an artifact blade: it comes back along its trail
      {0x1e0, "sound/laser.wav", 4},       // an energy weapon: its beam
  };
  Item saved = me.weapon;
  me.x = 10, me.y = 12;
  for (const auto& c : cases) {
    missile_list.clear();
    rec.calls.clear();
    me.weapon = Item(c.base);
    weapon_attack_fx(true, 14, 9);
    auto p = plays();
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0].name, c.file);
    ASSERT_NE(missile_list.first, nullptr);
    const ItemListEl* m = missile_list.first;
    EXPECT_EQ(m->type, c.kind);
    EXPECT_EQ(m->next ? m->next->type : -1, c.then);
    EXPECT_EQ(m->x, 10);
    EXPECT_EQ(m->y, 12);
    EXPECT_EQ(m->b, 14);
    EXPECT_EQ(m->c, 9);
    missile_list.clear();
    weapon_attack_fx(false, 14, 9);
    EXPECT_EQ(missile_list.first, nullptr);
  }
  me.weapon = saved;
  wl.reload();
}

// Samples and MIDI files are the library's memory: a second start-up and the
// end of the object give back each one loaded, exactly once, and stop the stream.
TEST_F(SoundTest, EverythingLoadedIsGivenBackOnce) {
  TempDir::write("dat/spells.txt", spell_line("5", "ring_.wav"));
  ASSERT_EQ(spells.load(), 0);
  all_fixed_samples_except();
  for (const char* f : {"sound/ring_.wav", "sound/continent.mid", "sound/2.mid", "sound/w5.wav"}) touch(f);
  TempDir::write("sound/intro.mp3", silent_frames(40));
  const struct {
    const char* what;
    bool start_again;
  } cases[] = {{"object destroyed", false}, {"started again", true}};
  for (const auto& c : cases) {
    size_t first = rec.handed_out().size();
    auto snd = std::make_unique<Sound>();
    snd->init();
    snd->play_music(2, true);   // the MIDI file stays cached
    snd->play_music(-1, true);  // then an MP3 stream
    ASSERT_NE(snd->weapon_sample(5), nullptr);
    std::vector<const void*> loaded = rec.handed_out();
    loaded.erase(loaded.begin(), loaded.begin() + long(first));
    // 50 fixed samples, the continent theme, 2.mid, the spell's and the weapon's.
    ASSERT_EQ(loaded.size(), 54u) << c.what;
    for (const void* h : loaded) EXPECT_EQ(rec.given_back.count(h), 0u) << c.what;
    if (c.start_again) snd->init();
    else snd.reset();
    for (const void* h : loaded) EXPECT_EQ(rec.given_back[h], 1) << c.what << " " << rec.name_of(h);
    ASSERT_FALSE(rec.streams.empty());
    EXPECT_TRUE(rec.streams.back()->stopped) << c.what;
    snd.reset();
    for (const void* h : rec.handed_out()) EXPECT_EQ(rec.given_back[h], 1) << c.what << " " << rec.name_of(h);
  }
}

}  // namespace
