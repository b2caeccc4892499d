#pragma once
// An audio backend that records every call instead of making a sound. A
// sample or MIDI "loads" when its file exists; streams hand out buffers of
// the size asked for and keep a copy of each buffer given back.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "audio/audio_backend.h"

struct RecordedCall {
  std::string what;  // "play", "adjust", "stop", "volume", "play_midi", "stop_midi", ...
  std::string name;  // file of the sample or MIDI
  int vol = 0, pan = 0, freq = 0;
  bool loop = false;
};

class RecordingBackend : public AudioBackend {
 public:
  RecordingBackend() { previous_ = set_audio_backend(this); }
  ~RecordingBackend() override { set_audio_backend(previous_); }

  std::vector<int> install_results{0};  // one per install call, the last repeats
  std::vector<bool> installs;            // with_midi of each call
  std::vector<RecordedCall> calls;
  std::map<std::string, int> loads;      // load count by path
  std::map<const void*, int> given_back;  // destroy count by handle
  bool streams_open = true;              // play_stream succeeds
  bool buffer_ready = true;              // the stream wants a buffer
  struct Stream {
    int len = 0, bits = 0, freq = 0, vol = 0, pan = 0;
    bool stereo = false, stopped = false;
    std::vector<unsigned char> buf;
    std::vector<std::vector<unsigned char>> handed;
    int adjusted_freq = 0;
  };
  std::vector<std::unique_ptr<Stream>> streams;

  std::string name_of(const void* p) const {
    auto it = names_.find(p);
    return it == names_.end() ? std::string() : it->second;
  }
  Stream* stream(AUDIOSTREAM* s) { return reinterpret_cast<Stream*>(s); }
  std::vector<RecordedCall> calls_of(const std::string& what) const {
    std::vector<RecordedCall> out;
    for (const RecordedCall& c : calls)
      if (c.what == what) out.push_back(c);
    return out;
  }

  int install(bool with_midi) override {
    size_t i = installs.size() < install_results.size() ? installs.size() : install_results.size() - 1;
    installs.push_back(with_midi);
    return install_results[i];
  }
  SAMPLE* load_sample(const std::string& path) override { return reinterpret_cast<SAMPLE*>(load(path)); }
  int play_sample(SAMPLE* s, int vol, int pan, int freq, bool loop) override {
    calls.push_back({"play", name_of(s), vol, pan, freq, loop});
    return 0;
  }
  void adjust_sample(SAMPLE* s, int vol, int pan, int freq, bool loop) override {
    calls.push_back({"adjust", name_of(s), vol, pan, freq, loop});
  }
  void stop_sample(SAMPLE* s) override { calls.push_back({"stop", name_of(s)}); }
  void set_volume(int digi, int midi) override { calls.push_back({"volume", "", digi, midi}); }
  void destroy_sample(SAMPLE* s) override { give_back(s); }
  MIDI* load_midi(const std::string& path) override { return reinterpret_cast<MIDI*>(load(path)); }
  int play_midi(MIDI* m, bool loop) override {
    calls.push_back({"play_midi", name_of(m), 0, 0, 0, loop});
    return 0;
  }
  void stop_midi() override { calls.push_back({"stop_midi", ""}); }
  void destroy_midi(MIDI* m) override { give_back(m); }
  long read_file(const std::string& path, unsigned char* dst, long max) override {
    std::ifstream in(path, std::ios::binary);
    if (!in) return -1;
    std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    long n = long(s.size()) < max ? long(s.size()) : max;
    std::copy(s.begin(), s.begin() + n, dst);
    return n;
  }
  AUDIOSTREAM* play_stream(int len, int bits, bool stereo, int freq, int vol, int pan) override {
    calls.push_back({"play_stream", "", vol, pan, freq});
    if (!streams_open) return nullptr;
    auto s = std::make_unique<Stream>();
    s->len = len, s->bits = bits, s->stereo = stereo, s->freq = freq, s->vol = vol, s->pan = pan;
    s->buf.assign(size_t(len) * (stereo ? 2 : 1) * 2, 0xAA);
    streams.push_back(std::move(s));
    return reinterpret_cast<AUDIOSTREAM*>(streams.back().get());
  }
  void* stream_buffer(AUDIOSTREAM* s) override {
    return buffer_ready && !stream(s)->stopped ? stream(s)->buf.data() : nullptr;
  }
  void release_stream_buffer(AUDIOSTREAM* s) override {
    stream(s)->handed.push_back(stream(s)->buf);
    std::fill(stream(s)->buf.begin(), stream(s)->buf.end(), 0xAA);
  }
  void stop_stream(AUDIOSTREAM* s) override {
    stream(s)->stopped = true;
    calls.push_back({"stop_stream", ""});
  }
  void adjust_stream(AUDIOSTREAM* s, int vol, int pan, int freq) override {
    stream(s)->adjusted_freq = freq;
    calls.push_back({"adjust_stream", "", vol, pan, freq, true});
  }
  void* stream_data(AUDIOSTREAM* s) override { return stream(s)->buf.data(); }
  // Samples in memory are the library's own: they make no sound.
  SAMPLE* create_sample(int bits, bool stereo, int freq, int len) override {
    return previous_->create_sample(bits, stereo, freq, len);
  }
  void* sample_data(SAMPLE* s) override { return previous_->sample_data(s); }
  // The timer callback is kept for the test to call.
  int install_timer_callback(void (*proc)(void*), void* param, int msec) override {
    calls.push_back({"install_timer", "", 0, 0, msec});
    timer_proc = proc, timer_param = param;
    return 0;
  }
  void remove_timer_callback(void (*proc)(void*), void* param) override {
    calls.push_back({"remove_timer", ""});
    if (proc == timer_proc && param == timer_param) timer_proc = nullptr, timer_param = nullptr;
  }
  void (*timer_proc)(void*) = nullptr;
  void* timer_param = nullptr;

  // Every handle a load has returned, oldest first.
  std::vector<const void*> handed_out() const {
    std::vector<const void*> out;
    for (const auto& h : handles_) out.push_back(h.get());
    return out;
  }

 private:
  void give_back(const void* p) {
    if (p) given_back[p]++;
  }
  void* load(const std::string& path) {
    loads[path]++;
    if (!std::filesystem::exists(path)) return nullptr;
    handles_.push_back(std::make_unique<char>());
    names_[handles_.back().get()] = path;
    return handles_.back().get();
  }
  AudioBackend* previous_ = nullptr;
  std::vector<std::unique_ptr<char>> handles_;
  std::map<const void*, std::string> names_;
};

// MPEG-1 Layer III frames that decode to silence: 128 kbit/s at 44.1 kHz is
// 417 bytes a frame (4608 bytes of stereo PCM); 32 kbit/s is 104 bytes.
constexpr uint32_t MP3_HDR_128_STEREO = 0xFFFB9000u;
constexpr uint32_t MP3_HDR_32_STEREO = 0xFFFB1000u;
constexpr int MP3_FRAME_128 = 417;
constexpr int MP3_FRAME_32 = 104;

inline std::string silent_frames(int n, uint32_t header = MP3_HDR_128_STEREO, int size = MP3_FRAME_128) {
  std::string out;
  for (int k = 0; k < n; k++) {
    std::string f(size_t(size), '\0');
    for (int i = 0; i < 4; i++) f[size_t(i)] = char(header >> (24 - 8 * i));
    out += f;
  }
  return out;
}
