#include "audio/audio_backend.h"

#include <allegro.h>

#include <atomic>

namespace {

// Until the library is installed, every call does nothing: a sound asked for
// before start-up (or in a program without sound) is simply not heard.
bool ready() { return system_driver != nullptr; }

class AllegroBackend : public AudioBackend {
 public:
  int install(bool with_midi) override {
    // Sound drivers hang off the system driver; without a display there is
    // none yet, and the empty system driver gives silent sound drivers.
    if (!system_driver && install_allegro(SYSTEM_NONE, &errno, atexit) != 0) return -1;
    return install_sound(DIGI_AUTODETECT, with_midi ? MIDI_AUTODETECT : MIDI_NONE, nullptr);
  }
  SAMPLE* load_sample(const std::string& path) override {
    return ready() ? ::load_sample(path.c_str()) : nullptr;
  }
  int play_sample(SAMPLE* s, int vol, int pan, int freq, bool loop) override {
    return ::play_sample(s, vol, pan, freq, loop ? 1 : 0);
  }
  void adjust_sample(SAMPLE* s, int vol, int pan, int freq, bool loop) override {
    ::adjust_sample(s, vol, pan, freq, loop ? 1 : 0);
  }
  void stop_sample(SAMPLE* s) override { ::stop_sample(s); }
  void set_volume(int digi, int midi) override {
    if (ready()) ::set_volume(digi, midi);
  }
  // Once the library has shut down (its exit handler runs before the
  // globals are destroyed) nothing can be given back; the process is ending.
  void destroy_sample(SAMPLE* s) override {
    if (ready() && s) ::destroy_sample(s);
  }
  MIDI* load_midi(const std::string& path) override {
    return ready() ? ::load_midi(path.c_str()) : nullptr;
  }
  int play_midi(MIDI* m, bool loop) override {
    // MIDI is driven by a timer, and the empty system driver has none (the
    // library would crash installing it).
    if (!ready() || system_driver->id == SYSTEM_NONE) return -1;
    return ::play_midi(m, loop ? 1 : 0);
  }
  void stop_midi() override {
    if (ready()) ::stop_midi();
  }
  void destroy_midi(MIDI* m) override {
    if (ready() && m) ::destroy_midi(m);
  }
  long read_file(const std::string& path, unsigned char* dst, long max) override {
    if (!ready()) return -1;
    PACKFILE* f = pack_fopen(path.c_str(), "r");
    if (!f) return -1;
    long n = pack_fread(dst, max, f);
    pack_fclose(f);
    return n < 0 ? 0 : n;
  }
  AUDIOSTREAM* play_stream(int len, int bits, bool stereo, int freq, int vol, int pan) override {
    return ready() ? ::play_audio_stream(len, bits, stereo ? 1 : 0, freq, vol, pan) : nullptr;
  }
  void* stream_buffer(AUDIOSTREAM* s) override { return get_audio_stream_buffer(s); }
  void release_stream_buffer(AUDIOSTREAM* s) override { free_audio_stream_buffer(s); }
  void stop_stream(AUDIOSTREAM* s) override {
    if (ready()) stop_audio_stream(s);
  }
  void adjust_stream(AUDIOSTREAM* s, int vol, int pan, int freq) override {
    ::adjust_sample(s->samp, vol, pan, freq, 1);
  }
  void* stream_data(AUDIOSTREAM* s) override { return s->samp->data; }
  // A sample in memory needs no driver.
  SAMPLE* create_sample(int bits, bool stereo, int freq, int len) override {
    return ::create_sample(bits, stereo ? 1 : 0, freq, len);
  }
  void* sample_data(SAMPLE* s) override { return s->data; }
  // The empty system driver has no timer (the library would crash
  // installing one).
  int install_timer_callback(void (*proc)(void*), void* param, int msec) override {
    if (!ready() || system_driver->id == SYSTEM_NONE) return -1;
    return ::install_param_int(proc, param, msec) == 0 ? 0 : -1;
  }
  void remove_timer_callback(void (*proc)(void*), void* param) override {
    if (ready()) ::remove_param_int(proc, param);
  }
};

// Never destroyed: the global sound object gives its samples back through
// it at exit, and the globals of other files may be destroyed after ours.
AudioBackend& allegro_backend() {
  static AudioBackend* const b = new AllegroBackend;
  return *b;
}
std::atomic<AudioBackend*> current{nullptr};

}  // namespace

AudioBackend& audio_backend() {
  AudioBackend* b = current.load();
  return b ? *b : allegro_backend();
}

AudioBackend* set_audio_backend(AudioBackend* b) {
  AudioBackend* old = current.exchange(b);
  return old ? old : &allegro_backend();
}
