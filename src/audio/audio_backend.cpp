#include "audio/audio_backend.h"

#include <allegro.h>

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
};

// Never destroyed: the global sound object gives its samples back through
// it at exit, and the globals of other files may be destroyed after ours.
AudioBackend& allegro_backend() {
  static AudioBackend* const b = new AllegroBackend;
  return *b;
}
AudioBackend* current = nullptr;

}  // namespace

AudioBackend& audio_backend() { return current ? *current : allegro_backend(); }

AudioBackend* set_audio_backend(AudioBackend* b) {
  AudioBackend* old = current ? current : &allegro_backend();
  current = b;
  return old;
}
