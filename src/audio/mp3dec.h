#pragma once
// MPEG audio decoder: Layer II and Layer III of MPEG-1, MPEG-2 (lower sampling
// frequencies) and MPEG-2.5, one frame per call, to signed 16-bit PCM in
// machine byte order (stereo interleaved left, right).

#include <cstdint>

constexpr int MP3DEC_OUT_MIN = 4608;       // smallest output buffer accepted
constexpr int MP3DEC_RESERVOIR_MAX = 511;  // furthest main_data_begin can reach back
constexpr int MP3DEC_BODY_MAX = 2880;      // largest frame body (Layer II, 160 kbit/s, 8 kHz)
constexpr int MP3DEC_BUF_PAD = 32;         // zero bytes after the data for the bit reader
constexpr int MP3DEC_BUF_SIZE = MP3DEC_RESERVOIR_MAX + MP3DEC_BODY_MAX + MP3DEC_BUF_PAD;

// One block of fed input, consumed from `pos` on.
struct Mp3InputBlock {
  unsigned char* data;
  int size;
  int pos;
  Mp3InputBlock* next;
  Mp3InputBlock* prev;
};

struct Mp3Decoder;
using Mp3LayerDecode = int (*)(Mp3Decoder* dec, unsigned char* out);

// The decoded header of the current frame.
struct Mp3FrameInfo {
  int stereo;  // channel count, 1 or 2
  int layer;   // 2 or 3 (1 is recognised only to be refused)
  int lsf;     // 1 for MPEG-2 and MPEG-2.5
  int mpeg25;
  int sampling_index;  // 0..8 over 44.1, 48, 32, 22.05, 24, 16, 11.025, 12, 8 kHz
  int bitrate_index;
  int padding;
  int private_bit;
  int mode;  // 0 stereo, 1 joint stereo, 2 dual channel, 3 mono
  int mode_ext;
  int copyright;
  int original;
  int emphasis;
  int error_protection;
  int framesize;  // bytes after the 4 header bytes
  Mp3LayerDecode decode;
};

struct Mp3Decoder {
  // Fed bytes not yet consumed.
  Mp3InputBlock* head;
  Mp3InputBlock* tail;
  int bytes_left;

  int framesize_pending;  // body size of the frame whose header was read, 0 when none
  int framesize_prev;     // -1 before the first frame

  Mp3FrameInfo fr;
  uint32_t header;

  // Frame buffers used alternately: Layer III keeps the reservoir bytes carried
  // over from earlier frames in front of the frame's own main data.
  unsigned char bsbuf[2][MP3DEC_BUF_SIZE];
  int bsnum;
  int main_len;    // main-data bytes held in bsbuf[bsnum]
  int main_start;  // where the current frame's own main data begins in it
  unsigned char side[2 + 32 + MP3DEC_BUF_PAD];  // CRC and side information

  // Layer III state carried from granule to granule.
  double overlap[2][576];
  double synth_buf[2][16][64];
  int synth_offset;

  int down_sample_sblimit;
};

// Clears the decoder and builds the shared tables once. Returns 1.
int mp3dec_init(Mp3Decoder* dec);
// Frees the buffered input.
void mp3dec_exit(Mp3Decoder* dec);
// Feeds `len` bytes (`in` may be null) and decodes at most one frame into `out`.
// Returns 0 with `done` set to the bytes written, 1 when more input is needed,
// -1 on an error (the offending header or frame has been consumed).
int mp3dec_decode(Mp3Decoder* dec, const unsigned char* in, int len, unsigned char* out,
                  int out_size, int* done);
// Takes the next buffered byte, or -1 when none is left.
int mp3dec_read_byte(Mp3Decoder* dec);
