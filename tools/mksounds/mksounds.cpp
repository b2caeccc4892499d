// mksounds: writes the game's sounds, all made here from simple synthesis:
// the fixed effect samples, the spell, mount and weapon samples that the
// tables in dat/ name, standard MIDI files for the intro and the level
// tracks, and WAV renderings of some tracks for an MP3 encoder.
//
//   mksounds GAMEDATA_DIR SOUND_DIR MUSIC_WAV_DIR

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int RATE = 22050;
constexpr int MUSIC_RATE = 44100;
constexpr double PI = 3.14159265358979323846;

using Wave = std::vector<double>;

// A fixed-seed noise source, so that every build writes the same files.
struct Noise {
  uint32_t s = 0x2545F491u;
  double next() {
    s ^= s << 13;
    s ^= s >> 17;
    s ^= s << 5;
    return double(s) / 2147483648.0 - 1.0;
  }
};

void put16(std::string& o, int v) { o += char(v & 255), o += char((v >> 8) & 255); }
void put32(std::string& o, uint32_t v) { put16(o, int(v & 0xffff)), put16(o, int(v >> 16)); }

bool write_file(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary);
  f << bytes;
  if (!f) std::fprintf(stderr, "mksounds: cannot write %s\n", path.c_str());
  return bool(f);
}

// Mono 16-bit PCM, normalised to `peak` of full scale.
bool write_wav(const std::string& path, const Wave& w, int rate = RATE, double peak = 0.8) {
  double m = 1e-9;
  for (double v : w) m = std::max(m, std::fabs(v));
  std::string d;
  for (double v : w) put16(d, int(std::lround(v / m * peak * 32767.0)));
  std::string o = "RIFF";
  put32(o, uint32_t(36 + d.size()));
  o += "WAVEfmt ";
  put32(o, 16), put16(o, 1), put16(o, 1), put32(o, uint32_t(rate)), put32(o, uint32_t(rate * 2));
  put16(o, 2), put16(o, 16);
  o += "data";
  put32(o, uint32_t(d.size()));
  return write_file(path, o + d);
}

int samples_of(double sec, int rate = RATE) { return int(sec * rate); }

// Exponential decay envelope with a short attack.
double env(double t, double decay, double attack = 0.004) {
  return (t < attack ? t / attack : 1.0) * std::exp(-t / decay);
}

// Noise through a one-pole low-pass whose cut-off may move over time.
Wave noise(double sec, double decay, std::function<double(double)> cutoff, uint32_t seed) {
  Noise n;
  n.s ^= seed;
  Wave w(size_t(samples_of(sec)));
  double y = 0;
  for (size_t i = 0; i < w.size(); i++) {
    double t = double(i) / RATE;
    double a = 1.0 - std::exp(-2 * PI * cutoff(t) / RATE);
    y += a * (n.next() - y);
    w[i] = y * env(t, decay);
  }
  return w;
}

// A tone whose pitch moves from f0 to f1; `shape` 0 sine, 1 square, 2 saw.
Wave tone(double sec, double f0, double f1, double decay, int shape = 0) {
  Wave w(size_t(samples_of(sec)));
  double ph = 0;
  for (size_t i = 0; i < w.size(); i++) {
    double t = double(i) / RATE;
    double f = f0 + (f1 - f0) * t / sec;
    ph += 2 * PI * f / RATE;
    double s = std::sin(ph);
    if (shape == 1) s = s >= 0 ? 0.6 : -0.6;
    if (shape == 2) s = std::fmod(ph / PI, 2.0) - 1.0;
    w[i] = s * env(t, decay);
  }
  return w;
}

// A bell: a few inharmonic partials that fade at different speeds.
Wave chime(double sec, double f) {
  Wave w(size_t(samples_of(sec)));
  const double ratio[] = {1.0, 2.76, 5.4}, amp[] = {1.0, 0.5, 0.25};
  for (size_t i = 0; i < w.size(); i++) {
    double t = double(i) / RATE;
    for (int k = 0; k < 3; k++) w[i] += amp[k] * std::sin(2 * PI * f * ratio[k] * t) * env(t, sec / (2 + k));
  }
  return w;
}

Wave mix(Wave a, const Wave& b, double gain = 1.0, int offset = 0) {
  if (a.size() < b.size() + size_t(offset)) a.resize(b.size() + size_t(offset));
  for (size_t i = 0; i < b.size(); i++) a[i + size_t(offset)] += gain * b[i];
  return a;
}

double k(double hz) { return hz; }

// The fixed samples by name; `v` varies the numbered variants.
Wave fixed_sample(const std::string& name, int v) {
  auto is = [&](const char* p) { return name.rfind(p, 0) == 0; };
  if (is("sword")) return noise(0.22, 0.06, [v](double t) { return k(6000 - 20000 * t + 500 * v); }, 11 + v);
  if (is("step")) return mix(noise(0.12, 0.025, [](double) { return k(300); }, 21 + v), tone(0.12, 70 + 8 * v, 50, 0.03));
  if (name == "miss") return noise(0.3, 0.12, [](double t) { return k(1500 + 4000 * t); }, 3);
  if (name == "cast") return chime(0.6, 880);
  if (is("mpain")) return tone(0.35, 220 + 25 * v, 150, 0.12, 2);
  if (name == "mdeath") return tone(0.8, 200, 60, 0.3, 2);
  if (is("gib")) return mix(noise(0.25, 0.05, [](double) { return k(900); }, 31 + v), tone(0.25, 120 + 10 * v, 60, 0.05));
  if (is("fpain")) return tone(0.3, 520 + 40 * v, 380, 0.1, 2);
  if (name == "fdeath") return tone(0.8, 500, 150, 0.3, 2);
  if (name == "quake") return noise(1.5, 0.8, [](double) { return k(120); }, 41);
  if (name == "a_shoot") return mix(tone(0.2, 300, 900, 0.05, 1), noise(0.2, 0.04, [](double) { return k(3000); }, 42), 0.5);
  if (name == "a_hit") return mix(noise(0.15, 0.03, [](double) { return k(1200); }, 43), tone(0.15, 180, 120, 0.04));
  if (is("quack")) return tone(0.25, 600 + 50 * v, 350, 0.1, 1);
  if (name == "fireball") return noise(0.9, 0.4, [](double t) { return k(400 + 3000 * t); }, 44);
  if (is("whit")) return noise(0.15, 0.03, [v](double) { return k(2500 + 400 * v); }, 51 + v);
  if (name == "scratch") return noise(0.3, 0.1, [](double t) { return k(5000 * (0.5 + 0.5 * std::sin(60 * t))); }, 52);
  if (name == "wdeath") return mix(tone(0.7, 300, 80, 0.3, 2), noise(0.7, 0.3, [](double) { return k(700); }, 53), 0.5);
  if (name == "wpain") return tone(0.3, 350, 250, 0.1, 2);
  if (name == "musket") return mix(noise(0.6, 0.12, [](double) { return k(2500); }, 54), tone(0.6, 90, 40, 0.1));
  if (name == "teleport") return tone(0.7, 300, 1800, 0.4);
  if (name == "potion") return mix(tone(0.4, 400, 900, 0.15), tone(0.4, 600, 1200, 0.1), 0.5);
  if (name == "telefrag") return mix(tone(0.5, 1500, 200, 0.2, 2), noise(0.5, 0.2, [](double) { return k(2000); }, 55));
  if (name == "block") return mix(tone(0.3, 700, 690, 0.08, 1), noise(0.3, 0.03, [](double) { return k(3000); }, 56));
  if (name == "parry") return mix(chime(0.35, 1400), noise(0.35, 0.02, [](double) { return k(5000); }, 57), 0.5);
  if (name == "steal") return noise(0.25, 0.1, [](double t) { return k(800 + 2000 * t); }, 58);
  if (name == "clock") {
    // One second of two ticks: it loops while the clock is near.
    Wave w(size_t(samples_of(1.0)));
    w = mix(w, tone(0.05, 2400, 2400, 0.01));
    return mix(w, tone(0.05, 1900, 1900, 0.01), 1.0, samples_of(0.5));
  }
  if (name == "waterfall" || name == "fountain") {
    // Steady noise, with no fade, so that the loop has no seam to hear.
    Noise n;
    n.s ^= name == "fountain" ? 61 : 62;
    double cut = name == "fountain" ? 3500 : 900;
    Wave w(size_t(samples_of(1.5)));
    double y = 0, a = 1.0 - std::exp(-2 * PI * cut / RATE);
    for (size_t i = 0; i < w.size(); i++) w[i] = (y += a * (n.next() - y));
    return w;
  }
  if (name == "tc") return mix(tone(0.3, 1000, 1000, 0.1), tone(0.3, 1500, 1500, 0.08), 0.7, samples_of(0.1));
  if (name == "laser") return tone(0.4, 2500, 400, 0.2, 1);
  if (name == "trap") return mix(noise(0.3, 0.04, [](double) { return k(4000); }, 63), tone(0.3, 150, 100, 0.06, 1));
  if (name == "explosion") return noise(1.2, 0.45, [](double t) { return k(1500 * std::exp(-3 * t) + 100); }, 64);
  if (name == "zap") return tone(0.3, 1200 + 0.0, 3000, 0.1, 2);
  if (name == "spellfail") return tone(0.5, 400, 120, 0.2, 1);
  return chime(0.3, 660);
}

const char* const FIXED[] = {
    "sword1", "sword2", "sword3", "miss", "step1", "step2", "step3", "step4", "cast", "mpain1",
    "mpain2", "mpain3", "mdeath", "gib1", "gib2", "gib3", "gib4", "fpain1", "fpain2", "fpain3",
    "fdeath", "quake", "a_shoot", "a_hit", "quack1", "quack2", "quack3", "fireball", "whit1",
    "whit2", "whit3", "scratch", "wdeath", "wpain", "musket", "teleport", "potion", "telefrag",
    "block", "parry", "steal", "clock", "waterfall", "fountain", "tc", "laser", "trap",
    "explosion", "zap", "spellfail"};

// TAB-separated records of a table, comment lines skipped.
std::vector<std::vector<std::string>> read_table(const std::string& path) {
  std::vector<std::vector<std::string>> rows;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> f;
    std::stringstream ss(line);
    std::string field;
    while (std::getline(ss, field, '\t')) f.push_back(field);
    rows.push_back(f);
  }
  return rows;
}

unsigned name_hash(const std::string& s) {
  unsigned h = 2166136261u;
  for (unsigned char c : s) h = (h ^ c) * 16777619u;
  return h;
}

// ---- MIDI -------------------------------------------------------------------

struct Note {
  int start, len, key;  // in ticks of a quarter note / 4
};

void put_var(std::string& o, uint32_t v) {
  char buf[5];
  int n = 0;
  buf[n++] = char(v & 0x7f);
  while (v >>= 7) buf[n++] = char((v & 0x7f) | 0x80);
  while (n) o += buf[--n];
}

std::string be(uint32_t v, int n) {
  std::string o;
  for (int i = n - 1; i >= 0; i--) o += char((v >> (8 * i)) & 255);
  return o;
}

// A format 0 file: one channel, one instrument, 96 ticks a quarter note.
std::string midi_file(const std::vector<Note>& notes, int program, int tempo_us) {
  struct Ev {
    int tick, on, key;
  };
  std::vector<Ev> ev;
  for (const Note& n : notes) ev.push_back({n.start * 24, 1, n.key}), ev.push_back({(n.start + n.len) * 24, 0, n.key});
  std::stable_sort(ev.begin(), ev.end(), [](const Ev& a, const Ev& b) { return a.tick < b.tick || (a.tick == b.tick && a.on < b.on); });
  std::string t;
  t += '\0', t += "\xff\x51\x03" + be(uint32_t(tempo_us), 3);
  t += '\0', t += char(0xc0), t += char(program);
  int last = 0;
  for (const Ev& e : ev) {
    put_var(t, uint32_t(e.tick - last));
    last = e.tick;
    t += char(e.on ? 0x90 : 0x80), t += char(e.key), t += char(e.on ? 96 : 0);
  }
  t += '\0', t += "\xff\x2f", t += '\0';
  return "MThd" + be(6, 4) + be(0, 2) + be(1, 2) + be(96, 2) + "MTrk" + be(uint32_t(t.size()), 4) + t;
}

// A short tune for a track: a rising phrase in a mode picked by the track.
std::vector<Note> tune(int track) {
  static const int scales[3][7] = {{0, 2, 4, 5, 7, 9, 11}, {0, 2, 3, 5, 7, 8, 10}, {0, 2, 4, 7, 9, 12, 14}};
  const int* sc = scales[(track + 3) % 3];
  int root = 57 + (track + 1) % 5 * 2;
  static const int steps[] = {0, 2, 4, 2, 5, 4, 2, 0, 1, 3, 5, 6, 4, 2, 1, 0};
  std::vector<Note> n;
  for (int i = 0; i < 16; i++) n.push_back({i * 2, 2, root + sc[steps[i] % 7] + 12 * (steps[i] / 7)});
  for (int i = 0; i < 4; i++) n.push_back({i * 8, 8, root - 12 + sc[(i * 3) % 7]});
  return n;
}

// The same tune rendered as plucked tones for the MP3 versions.
Wave render(const std::vector<Note>& notes, double step_sec) {
  Wave w;
  for (const Note& n : notes) {
    double f = 440.0 * std::pow(2.0, (n.key - 69) / 12.0);
    int len = samples_of(n.len * step_sec + 0.3, MUSIC_RATE);
    Wave t(static_cast<size_t>(len));
    for (int i = 0; i < len; i++) {
      double s = double(i) / MUSIC_RATE;
      t[size_t(i)] = (std::sin(2 * PI * f * s) + 0.3 * std::sin(4 * PI * f * s)) * env(s, 0.35, 0.01);
    }
    w = mix(w, t, 1.0, samples_of(n.start * step_sec, MUSIC_RATE));
  }
  return w;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: mksounds GAMEDATA_DIR SOUND_DIR MUSIC_WAV_DIR\n");
    return 2;
  }
  const std::string dat = std::string(argv[1]) + "/dat/", out = std::string(argv[2]) + "/",
                    music = std::string(argv[3]) + "/";
  bool ok = true;
  for (const char* name : FIXED) {
    std::string s(name);
    int v = std::isdigit(static_cast<unsigned char>(s.back())) ? s.back() - '1' : 0;
    ok &= write_wav(out + s + ".wav", fixed_sample(s, v));
  }
  // Spells: the sound field, or "sp_" and the spell's name when it is empty.
  for (const auto& r : read_table(dat + "spells.txt")) {
    if (r.size() < 18) continue;
    std::string file = r[17].empty() ? "sp_" + r[1] + ".wav" : r[17];
    ok &= write_wav(out + file, chime(0.7, 500 + name_hash(file) % 700));
  }
  for (const auto& r : read_table(dat + "mounts.txt")) {
    if (r.size() < 9 || r[8].empty()) continue;
    unsigned h = name_hash(r[8]);
    ok &= write_wav(out + r[8], mix(tone(0.5, 300 + h % 300, 200, 0.2, 2), fixed_sample("step1", 0), 0.8));
  }
  // Weapons with a base code below 0x50 have a sample of their own.
  for (const auto& r : read_table(dat + "weapons.txt")) {
    if (r.empty()) continue;
    unsigned long code = std::strtoul(r[0].c_str(), nullptr, 16) & 0xfff;
    if (code >= 0x50) continue;
    char file[32];
    std::snprintf(file, sizeof file, "w%lx.wav", code);
    ok &= write_wav(out + file, fixed_sample("sword1", int(code % 3)));
  }
  // Music: MIDI for the intro and every track, and WAVs of the intro and
  // track 1 for their MP3 versions.
  ok &= write_file(out + "intro.mid", midi_file(tune(-1), 46, 500000));
  ok &= write_file(out + "continent.mid", midi_file(tune(0), 48, 600000));
  for (int t = 0; t <= 9; t++)
    ok &= write_file(out + std::to_string(t) + ".mid", midi_file(tune(t), 0 + t * 8, 520000));
  ok &= write_wav(music + "intro.wav", render(tune(-1), 0.25), MUSIC_RATE, 0.7);
  ok &= write_wav(music + "1.wav", render(tune(1), 0.26), MUSIC_RATE, 0.7);
  return ok ? 0 : 1;
}
