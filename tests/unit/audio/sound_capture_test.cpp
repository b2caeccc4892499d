// The title music through the real game library: ALSA's default device is
// pointed at a file, the intro plays for a few seconds with the music stream
// polled as the frame loop does, and the recording must be the MP3 as mpg123
// decodes it. Runs only when ZIB_AUDIO_CAPTURE names the built sound folder
// (the x11-labelled test entry does so under Xvfb); skipped otherwise.

#include <allegro.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/globals.h"
#include "audio/sound.h"
#include "support/temp_dir.h"

namespace {

std::vector<int16_t> read_s16(const std::string& path, size_t skip) {
  std::string raw = TempDir::read(path);
  std::vector<int16_t> s(raw.size() > skip ? (raw.size() - skip) / 2 : 0);
  if (!s.empty()) std::memcpy(s.data(), raw.data() + skip, s.size() * 2);
  return s;
}

size_t onset(const std::vector<int16_t>& s, size_t step) {
  int peak = 0;
  for (size_t i = 0; i < s.size(); i += step) peak = std::max(peak, std::abs(int(s[i])));
  for (size_t i = 0; i < s.size(); i += step)
    if (std::abs(int(s[i])) > peak / 10) return i / step;
  return 0;
}

double correlation(const std::vector<double>& a, const std::vector<double>& b, long lag, size_t from,
                   size_t n) {
  double ab = 0, aa = 0, bb = 0;
  for (size_t i = from; i < from + n; i++) {
    long j = long(i) + lag;
    if (j < 0 || size_t(j) >= b.size() || i >= a.size()) return 0;
    ab += a[i] * b[size_t(j)], aa += a[i] * a[i], bb += b[size_t(j)] * b[size_t(j)];
  }
  return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

TEST(SoundCapture, TitleMusicPlaysAsMpg123DecodesIt) {
  const char* sound_dir = std::getenv("ZIB_AUDIO_CAPTURE");
  if (!sound_dir) GTEST_SKIP() << "set ZIB_AUDIO_CAPTURE to the built sound folder";
  if (!std::filesystem::exists(std::string(sound_dir) + "/intro.mp3")) GTEST_SKIP() << "no intro.mp3 (lame missing)";
  if (std::system("command -v mpg123 >/dev/null 2>&1") != 0) GTEST_SKIP() << "mpg123 missing";
  TempDir dir;
  std::filesystem::create_directory_symlink(sound_dir, "sound");
  const std::string out = (dir.path() / "out.wav").string();
  TempDir::write("asound.conf",
                 "pcm.!default { type plug; slave { pcm \"cap\"; format S16_LE; rate 44100; channels 2 } }\n"
                 "pcm.cap { type file; slave.pcm \"null\"; file \"" + out + "\"; format \"wav\" }\n");
  const std::string conf = "/usr/share/alsa/alsa.conf:" + (dir.path() / "asound.conf").string();
  setenv("ALSA_CONFIG_PATH", conf.c_str(), 1);

  // What the display does before the sound starts.
  ASSERT_EQ(install_allegro(SYSTEM_AUTODETECT, &errno, atexit), 0) << "needs an X display";
  install_timer();
  client_cfg.set("volume", "255");
  client_cfg.set("music_volume", "255");
  client_cfg.set("mute", "0");
  ASSERT_EQ(sound.init(), 0);
  ASSERT_NE(digi_driver, nullptr);
  EXPECT_NE(digi_driver->id, DIGI_NONE) << "no digital driver";
  sound.apply_volume();
  sound.play_music(-1, true);
  ASSERT_EQ(sound.music_file, "sound/intro.mp3");
  // The file sink takes audio faster than real time; poll as the frame loop does.
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(2500);
  while (std::chrono::steady_clock::now() < until) {
    sound.poll_music();
    usleep(1000);
  }
  sound.stop_music();
  remove_sound();

  std::vector<int16_t> cap = read_s16(out, 44);
  ASSERT_GT(cap.size(), 2u * 44100) << "less than a second recorded";
  ASSERT_EQ(std::system("mpg123 -q --no-gapless -s sound/intro.mp3 > ref.raw 2>/dev/null"), 0);
  std::vector<int16_t> ref = read_s16("ref.raw", 0);
  ASSERT_GT(ref.size(), 44100u);

  // The left channel of the recording against mpg123's mono output.
  std::vector<double> left(cap.size() / 2), mono(ref.begin(), ref.end());
  double energy = 0;
  for (size_t i = 0; i < left.size(); i++) left[i] = cap[2 * i], energy += left[i] * left[i];
  double rms = std::sqrt(energy / double(left.size()));
  EXPECT_GT(rms, 500.0) << "the recording is silent";

  long guess = long(onset(cap, 2)) - long(onset(ref, 1));
  const size_t from = 4410, n = 44100;  // one second, from 0.1 s into the track
  double best = 0;
  for (long lag = guess - 3000; lag <= guess + 3000; lag++)
    best = std::max(best, correlation(mono, left, lag, from, n));
  RecordProperty("correlation", std::to_string(best));
  std::printf("recorded %zu samples per channel, rms %.0f, correlation %.4f\n", left.size(), rms, best);
  EXPECT_GT(best, 0.95) << "recorded " << left.size() << " samples, rms " << rms;
}

}  // namespace
