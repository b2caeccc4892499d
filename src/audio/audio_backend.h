#pragma once
// Every call the sound object and the MP3 player make into the game library
// goes through this interface, so that tests can replace the library with a
// recorder. The default backend is Allegro's.

#include <cstddef>
#include <string>

// Allegro's own types, kept opaque here so that its header stays out of ours.
struct SAMPLE;
struct MIDI;
struct AUDIOSTREAM;

class AudioBackend {
 public:
  virtual ~AudioBackend() = default;

  // Installs the sound drivers; 0 on success (Allegro's install_sound).
  virtual int install(bool with_midi) = 0;
  virtual SAMPLE* load_sample(const std::string& path) = 0;
  // The voice number, or -1.
  virtual int play_sample(SAMPLE* s, int vol, int pan, int freq, bool loop) = 0;
  virtual void adjust_sample(SAMPLE* s, int vol, int pan, int freq, bool loop) = 0;
  virtual void stop_sample(SAMPLE* s) = 0;
  virtual void set_volume(int digi, int midi) = 0;
  // Gives a loaded sample back; null is ignored.
  virtual void destroy_sample(SAMPLE* s) = 0;

  virtual MIDI* load_midi(const std::string& path) = 0;
  virtual int play_midi(MIDI* m, bool loop) = 0;
  virtual void stop_midi() = 0;
  // Gives a loaded MIDI file back (stopping it if it plays); null is ignored.
  virtual void destroy_midi(MIDI* m) = 0;

  // Reads at most `max` bytes of a file into `dst`: the count read, or -1
  // when the file cannot be opened.
  virtual long read_file(const std::string& path, unsigned char* dst, long max) = 0;

  // An audio stream of `len` samples per channel and buffer.
  virtual AUDIOSTREAM* play_stream(int len, int bits, bool stereo, int freq, int vol, int pan) = 0;
  // The buffer to refill, or null while the stream still plays the last one.
  virtual void* stream_buffer(AUDIOSTREAM* s) = 0;
  virtual void release_stream_buffer(AUDIOSTREAM* s) = 0;
  virtual void stop_stream(AUDIOSTREAM* s) = 0;
  // Re-tunes the stream's voice; it keeps looping, since that is how a
  // stream plays its buffers in turn.
  virtual void adjust_stream(AUDIOSTREAM* s, int vol, int pan, int freq) = 0;
  // The PCM the stream's voice plays from.
  virtual void* stream_data(AUDIOSTREAM* s) = 0;

  // A sample of `len` samples per channel to fill in memory, or null.
  virtual SAMPLE* create_sample(int bits, bool stereo, int freq, int len) = 0;
  virtual void* sample_data(SAMPLE* s) = 0;

  // Calls `proc` (`param`) every `msec` ms on the library's timer thread; 0
  // on success, -1 when there is no timer. Installing the same pair again
  // changes its interval. Removing it waits for a call under way to return.
  virtual int install_timer_callback(void (*proc)(void*), void* param, int msec) = 0;
  virtual void remove_timer_callback(void (*proc)(void*), void* param) = 0;
};

// The backend in use (Allegro's unless replaced).
AudioBackend& audio_backend();
// Replaces the backend; null restores Allegro's. Returns the previous one.
// Set it before any timer callback runs: the timer thread reads it too.
AudioBackend* set_audio_backend(AudioBackend* b);
