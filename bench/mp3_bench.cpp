// Decoding speed of a 60-second stereo 44.1 kHz Layer III file, side by side
// with mpg123 on the same file. The file is made here from synthetic PCM with
// lame. mpg123 runs as a process, so its start-up time (measured on a
// one-frame file) is taken off its figure.

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "audio/mp3dec.h"

namespace {

double now_ms() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

bool write_pcm(const std::string& path, int seconds) {
  std::mt19937 rng(99);
  std::uniform_real_distribution<double> noise(-1.0, 1.0);
  const int rate = 44100;
  std::vector<int16_t> pcm;
  pcm.reserve(size_t(rate) * size_t(seconds) * 2);
  for (int i = 0; i < rate * seconds; i++) {
    double t = double(i) / rate;
    double l = 0.2 * std::sin(6.283185307 * (220 + 40 * std::sin(t)) * t) + 0.05 * noise(rng);
    double r = 0.2 * std::sin(6.283185307 * 330 * t) + 0.05 * noise(rng);
    if (i % 11025 < 40) l += 0.3 * noise(rng), r += 0.3;
    pcm.push_back(int16_t(l * 32767));
    pcm.push_back(int16_t(r * 32767));
  }
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(pcm.data()), std::streamsize(pcm.size() * 2));
  return bool(f);
}

std::string read_file(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// Whole-file decode in 4 KiB pieces; returns the PCM bytes produced.
size_t decode_once(const std::string& data) {
  auto dec = std::make_unique<Mp3Decoder>();
  mp3dec_init(dec.get());
  std::vector<unsigned char> pcm(MP3DEC_OUT_MIN);
  size_t pos = 0, total = 0;
  for (;;) {
    int done = 0;
    int r = mp3dec_decode(dec.get(), nullptr, 0, pcm.data(), int(pcm.size()), &done);
    if (r == 1) {
      if (pos >= data.size()) break;
      size_t n = std::min<size_t>(4096, data.size() - pos);
      r = mp3dec_decode(dec.get(), reinterpret_cast<const unsigned char*>(data.data()) + pos,
                        int(n), pcm.data(), int(pcm.size()), &done);
      pos += n;
    }
    if (r == 0) total += size_t(done);
  }
  mp3dec_exit(dec.get());
  return total;
}

double best_of(int runs, const std::string& cmd) {
  double best = 1e30;
  for (int i = 0; i < runs; i++) {
    double t0 = now_ms();
    if (std::system(cmd.c_str()) != 0) return -1;
    double t = now_ms() - t0;
    if (t < best) best = t;
  }
  return best;
}

}  // namespace

int main() {
  if (std::system("command -v lame >/dev/null 2>&1 && command -v mpg123 >/dev/null 2>&1") != 0) {
    std::printf("mp3_bench: lame or mpg123 missing, skipped\n");
    return 0;
  }
  char tmpl[] = "/tmp/mp3bench.XXXXXX";
  if (!mkdtemp(tmpl)) return 1;
  const std::string dir = tmpl;
  const std::string raw = dir + "/in.raw", mp3 = dir + "/in.mp3", one = dir + "/one.mp3";
  if (!write_pcm(raw, 60)) return 1;
  std::string enc =
      "lame --quiet -r -s 44.1 --bitwidth 16 -m j -b 128 -t " + raw + " " + mp3 + " 2>/dev/null";
  if (std::system(enc.c_str()) != 0) {
    std::printf("mp3_bench: lame failed\n");
    return 1;
  }
  const std::string data = read_file(mp3);
  // A file of the first frame alone, for mpg123's start-up time.
  {
    size_t frame = 417;  // 128 kbit/s at 44.1 kHz, without padding
    std::ofstream(one, std::ios::binary) << data.substr(0, std::min(frame, data.size()));
  }

  size_t bytes = 0;
  double ours = 1e30;
  for (int i = 0; i < 5; i++) {
    double t0 = now_ms();
    bytes = decode_once(data);
    double t = now_ms() - t0;
    if (t < ours) ours = t;
  }
  double theirs = best_of(7, "mpg123 -q -s " + mp3 + " > /dev/null 2>&1");
  double startup = best_of(7, "mpg123 -q -s " + one + " > /dev/null 2>&1");
  std::remove(raw.c_str());
  std::remove(mp3.c_str());
  std::remove(one.c_str());
  rmdir(dir.c_str());
  if (theirs < 0 || startup < 0) {
    std::printf("mp3_bench: mpg123 failed\n");
    return 1;
  }
  double net = theirs - startup;
  if (net < 0.001) net = 0.001;
  std::printf("mp3_bench: 60 s stereo 44.1 kHz, %zu PCM bytes\n", bytes);
  std::printf("mp3_bench: mp3dec %.1f ms, mpg123 %.1f ms (%.1f ms with %.1f ms start-up)\n", ours,
              net, theirs, startup);
  std::printf("mp3_bench: ratio mp3dec/mpg123 = %.2f\n", ours / net);
  return 0;
}
