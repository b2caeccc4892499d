#pragma once
// Plays one MPEG audio file held whole in memory through an audio stream:
// finds the first frame behind any ID3 tags, reads the format and an optional
// Xing header, and on each poll decodes as many frames as fill the stream's
// next buffer. The caller keeps the file's bytes alive while the player lives
// and polls it often enough that the stream never runs dry.

#include <cstdint>

#include "audio/mp3dec.h"

struct AUDIOSTREAM;

constexpr int MP3_SEARCH_WINDOW = 28672;  // bytes searched for the first frame
constexpr int MP3_RESYNC_WINDOW = 16384;  // bytes searched past a damaged frame
constexpr int MP3_ID3V1_LEN = 128;
constexpr int MP3_END_BUFFERS = 2;  // silent buffers played before a track stops

// mp3_poll results.
enum {
  MP3_POLL_DECODE_ERROR = -2,
  MP3_POLL_NOT_PLAYING = -1,
  MP3_POLL_OK = 0,
  MP3_POLL_FINISHED = 1
};

struct Mp3Xing {
  int flags = 0;
  int frames = 0;
  int bytes = 0;
  unsigned char toc[100] = {};
  int scale = -1;
};

struct Mp3Player {
  const unsigned char* data_start = nullptr;  // first byte of the first frame
  const unsigned char* read_pos = nullptr;    // next byte to feed the decoder
  int data_len = 0;   // bytes from data_start to the end of the audio data
  int id3v2_len = 0;  // bytes skipped at the front (tag and junk before the first frame)
  int id3v1_len = 0;  // 128 when a trailing ID3v1 tag was cut off
  Mp3Decoder decoder;
  Mp3Xing* xing = nullptr;
  int reset = 0;  // re-initialise the decoder before the next decode
  int pcm_frame_bytes = 0;
  int frame_bytes = 0;  // size of the first frame with its header
  int bitrate = 0;      // bits per second
  int layer = 0;
  int total_frames = 0;
  int current_frame = 0;
  AUDIOSTREAM* stream = nullptr;
  int freq = 0;
  int stereo = 0;  // -1 stereo, 0 mono
  int bits = 16;
  int loop = 0;
  int frames_per_buffer = 0;
  int end_countdown = 0;
  // Room for the last frame when the stream buffer's tail is smaller than the
  // most any frame can decode to.
  unsigned char spill[MP3DEC_OUT_MIN];
};

// Whether four big-endian bytes form a Layer III header the player accepts.
bool mp3_is_valid_header(uint32_t h);

// A player over `len` bytes at `data`, or null when no playable frame pair is
// found in the search window.
Mp3Player* mp3_create(const void* data, int len);
// 0 when playing (or already playing); -1 when `buffer_len` holds less than
// one frame of PCM or the stream cannot be opened.
int mp3_play_ex(Mp3Player* p, int buffer_len, int volume, int pan, int speed, bool loop);
// Refills the stream: see the MP3_POLL_* results.
int mp3_poll(Mp3Player* p);
void mp3_adjust(Mp3Player* p, int volume, int pan, int speed, bool loop);
void mp3_destroy(Mp3Player* p);
