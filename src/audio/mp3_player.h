#pragma once
// Plays one MPEG audio file held whole in memory through an audio stream:
// finds the first frame behind any ID3 tags, reads the format and an optional
// Xing header, and on each poll decodes as many frames as fill the stream's
// next buffer. The caller keeps the file's bytes alive while the player lives
// and polls it often enough that the stream never runs dry, or lets the
// game library's timer thread poll it (autopoll).
//
// Every operation takes the player's lock, so that the timer thread and the
// caller's thread never work on a player at the same time; a timer tick that
// finds the player busy skips that poll.

#include <cstdint>
#include <mutex>

#include "audio/mp3dec.h"

struct AUDIOSTREAM;
struct SAMPLE;

constexpr int MP3_SEARCH_WINDOW = 28672;  // bytes searched for the first frame
constexpr int MP3_RESYNC_WINDOW = 16384;  // bytes searched past a damaged frame
constexpr int MP3_ID3V1_LEN = 128;
constexpr int MP3_END_BUFFERS = 2;  // silent buffers played before a track stops
constexpr int MP3_AUTOPOLL_MAX_MS = 10000;  // longest autopoll interval accepted

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
  int autopoll = 0;           // the timer callback is installed
  int autopoll_interval = 0;  // ms between its polls
  int end_countdown = 0;
  // Room for the last frame when the stream buffer's tail is smaller than the
  // most any frame can decode to.
  unsigned char spill[MP3DEC_OUT_MIN];
  std::mutex lock;  // held by every operation and by the timer's poll
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
// Stops the stream and the timer callback; the player is freed.
void mp3_destroy(Mp3Player* p);

// mp3_play_ex at the file's own speed, without looping.
int mp3_play(Mp3Player* p, int buffer_len, int volume, int pan);
// Stops the stream; the position stays, so mp3_play goes on from there
// (the audio the stream held but had not played yet is dropped).
void mp3_stop(Mp3Player* p);
// Back to the first frame.
void mp3_rewind(Mp3Player* p);

// Seeks, playing or not; 0, or -1 for a null player. Every seek lands on the
// start of a frame and prepares the decoder with the frames before it, so
// the first frame heard decodes as it does in straight-through play. A seek
// before the first frame lands on it, one past the last frame at the end of
// the audio (the next poll ends or loops the track).
//   frame: with a Xing table of contents, at the first frame starting at or
//     after mp3_xing_offset (frame); without one, exactly on that frame.
//   msec, sec: on the frame whose start lies nearest that time.
//   byte: a file offset, as mp3_get_byte_pos gives; on the first frame that
//     starts there or after.
// The relative seeks go by that amount from the position now (seconds as
// milliseconds, so that the part of a second already played is kept).
int mp3_seek_to_frame(Mp3Player* p, int frame);
int mp3_seek_to_msec(Mp3Player* p, int msec);
int mp3_seek_to_sec(Mp3Player* p, int sec);
int mp3_seek_to_byte(Mp3Player* p, int byte);
int mp3_seek_by_frames(Mp3Player* p, int frames);
int mp3_seek_by_msecs(Mp3Player* p, int msecs);
int mp3_seek_by_secs(Mp3Player* p, int secs);
int mp3_seek_by_bytes(Mp3Player* p, int bytes);
// Where the Xing table of contents puts a frame: bytes from the first frame,
// interpolated linearly between the table's 100 entries; -1 without a table
// or a frame count.
int mp3_xing_offset(Mp3Player* p, int frame);

// The position is that of the next frame to decode; it runs ahead of what
// is heard by the audio the stream holds.
int mp3_get_frame_pos(Mp3Player* p);
int mp3_get_msec_pos(Mp3Player* p);
int mp3_get_sec_pos(Mp3Player* p);
int mp3_get_byte_pos(Mp3Player* p);  // offset in the file, tags included
// The Xing header's frame count, else the audio's bytes over the first
// frame's size; the lengths in time follow from it.
int mp3_get_frame_count(Mp3Player* p);
int mp3_get_msec_length(Mp3Player* p);
int mp3_get_sec_length(Mp3Player* p);
int mp3_get_byte_length(Mp3Player* p);  // the whole file: tags and audio
double mp3_get_frame_msecs(Mp3Player* p);  // how long one frame plays

int mp3_get_bitrate(Mp3Player* p);  // of the first frame, bits per second
int mp3_get_layer(Mp3Player* p);
int mp3_get_bits(Mp3Player* p);
bool mp3_is_stereo(Mp3Player* p);
int mp3_get_freq(Mp3Player* p);

bool mp3_is_playing(Mp3Player* p);
bool mp3_is_looping(Mp3Player* p);
void mp3_set_loop(Mp3Player* p, bool loop);
AUDIOSTREAM* mp3_get_audiostream(Mp3Player* p);
// The PCM the stream plays from (unsigned samples, its buffers in turn), or
// null when not playing.
void* mp3_get_output_data(Mp3Player* p);

// Lets the game library's timer thread poll the player every `interval` ms
// from now until mp3_stop_autopoll or mp3_destroy (a stopped player is
// simply not polled). -1 when the interval lies outside
// 1..MP3_AUTOPOLL_MAX_MS or the library has no timer; a second call changes
// the interval.
int mp3_start_autopoll(Mp3Player* p, int interval);
void mp3_stop_autopoll(Mp3Player* p);

// Decodes a whole file image into a new 16-bit sample at the file's rate
// and channels; null when no frame is found or decoding breaks off before
// the end, as mp3_poll's MP3_POLL_DECODE_ERROR would. The caller destroys it.
SAMPLE* mp3_create_sample(const void* data, int len);
