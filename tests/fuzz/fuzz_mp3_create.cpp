// Arbitrary bytes as an MP3 file image: tag skipping, the frame search and
// the Xing header; when a player comes out, a few polls over a stream that
// only lends buffers, to run the fill, resync and end paths as well, seeks,
// and the whole file decoded as for a sample.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/audio_backend.h"
#include "audio/mp3_player.h"

namespace {

class BufferOnlyBackend : public AudioBackend {
 public:
  int install(bool) override { return 0; }
  SAMPLE* load_sample(const std::string&) override { return nullptr; }
  int play_sample(SAMPLE*, int, int, int, bool) override { return -1; }
  void adjust_sample(SAMPLE*, int, int, int, bool) override {}
  void stop_sample(SAMPLE*) override {}
  void set_volume(int, int) override {}
  void destroy_sample(SAMPLE*) override {}
  MIDI* load_midi(const std::string&) override { return nullptr; }
  int play_midi(MIDI*, bool) override { return -1; }
  void stop_midi() override {}
  void destroy_midi(MIDI*) override {}
  long read_file(const std::string&, unsigned char*, long) override { return -1; }
  AUDIOSTREAM* play_stream(int len, int, bool stereo, int, int, int) override {
    buf.assign(size_t(len) * (stereo ? 2 : 1) * 2, 0);
    return reinterpret_cast<AUDIOSTREAM*>(&buf);
  }
  void* stream_buffer(AUDIOSTREAM*) override { return buf.data(); }
  void release_stream_buffer(AUDIOSTREAM*) override {}
  void stop_stream(AUDIOSTREAM*) override {}
  void adjust_stream(AUDIOSTREAM*, int, int, int) override {}
  void* stream_data(AUDIOSTREAM*) override { return buf.data(); }
  SAMPLE* create_sample(int, bool, int, int) override { return nullptr; }
  void* sample_data(SAMPLE*) override { return nullptr; }
  int install_timer_callback(void (*)(void*), void*, int) override { return -1; }
  void remove_timer_callback(void (*)(void*), void*) override {}
  std::vector<unsigned char> buf;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static BufferOnlyBackend backend;
  set_audio_backend(&backend);
  // The player reads only inside the image it is given: a copy of exactly
  // that size lets the sanitizer catch any read past it.
  std::vector<uint8_t> image(data, data + size);
  Mp3Player* p = mp3_create(image.data(), int(image.size()));
  if (p) {
    if (p->data_start < image.data() || p->data_start + p->data_len > image.data() + image.size())
      __builtin_trap();
    if (mp3_play_ex(p, 9216, 255, 128, 1000, size & 1) == 0)
      for (int i = 0; i < 4; i++) mp3_poll(p);
    // Seeks walk the frame headers and read the Xing table; each lands and
    // primes the decoder, and play goes on from there.
    const int n = size >= 4 ? int(data[size - 1]) << 8 | data[size - 2] : int(size);
    mp3_seek_to_frame(p, n);
    mp3_poll(p);
    mp3_seek_to_byte(p, n * 7);
    mp3_seek_by_msecs(p, -n);
    mp3_poll(p);
    mp3_seek_to_frame(p, mp3_get_frame_count(p) / 2);
    mp3_poll(p);
    mp3_destroy(p);
    // The whole file decoded (the backend makes no sample).
    mp3_create_sample(image.data(), int(image.size()));
  }
  return 0;
}
