#include "audio/mp3_player.h"

#include <climits>
#include <cstring>
#include <new>
#include <vector>

#include "audio/audio_backend.h"
#include "audio/mp3dec_tables.h"

namespace {

// Input handed to the decoder at a time: a whole frame and the next header,
// or, for files with a Xing header (usually variable bitrate), a fixed piece.
constexpr int XING_CHUNK = 1792;
constexpr int ID3V2_HEADER = 10;
constexpr int ID3V2_FOOTER = 10;
constexpr int FALLBACK_PCM_BYTES = 2304;

enum { FRAME_ERROR = 0, FRAME_OK = 1, FRAME_END = -3, FRAME_FAILED = -4 };

using Guard = std::lock_guard<std::mutex>;

uint32_t read_be32(const unsigned char* b) {
  return uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
}

// Bytes of the frame that a valid Layer III header starts, header included.
int header_frame_bytes(uint32_t h) {
  int lsf = ((h >> 19) & 1) ? 0 : 1;
  int mpeg25 = ((h >> 20) & 1) ? 0 : 1;
  int sf = int(h >> 10) & 3;
  int freq = mp3tab::SAMPLE_RATES[mpeg25 ? 6 + sf : 3 * lsf + sf];
  int kbps = mp3tab::BITRATE_KBPS[lsf][2][int(h >> 12) & 15];
  return kbps * 144000 / (freq << lsf) + int((h >> 9) & 1);
}

void restart_decoder(Mp3Player* p) {
  mp3dec_exit(&p->decoder);
  mp3dec_init(&p->decoder);
}

// Decodes one frame into `out`, which has room for `room` bytes; `done` gets
// the bytes written. The decoder never writes more than MP3DEC_OUT_MIN, so a
// smaller tail goes through the spill buffer.
int decode_frame(Mp3Player* p, unsigned char* out, int room, int* done) {
  *done = 0;
  unsigned char* dst = room >= MP3DEC_OUT_MIN ? out : p->spill;
  int dst_size = room >= MP3DEC_OUT_MIN ? room : MP3DEC_OUT_MIN;
  int n = 0;
  int r = mp3dec_decode(&p->decoder, nullptr, 0, dst, dst_size, &n);
  const unsigned char* end = p->data_start + p->data_len;
  const int chunk = p->xing ? XING_CHUNK : p->frame_bytes + 4;
  while (r == 1) {
    if (p->read_pos >= end) return FRAME_END;
    int len = end - p->read_pos < chunk ? int(end - p->read_pos) : chunk;
    r = mp3dec_decode(&p->decoder, p->read_pos, len, dst, dst_size, &n);
    p->read_pos += len;
  }
  if (r < 0 || !mp3_is_valid_header(p->decoder.header)) return FRAME_ERROR;
  if (n > room) n = room;
  if (dst != out) std::memcpy(out, dst, size_t(n));
  *done = n;
  return FRAME_OK;
}

// Tries a frame at `pos` with a fresh decoder: it must decode whole, and the
// header after it must be valid or lie at or past `limit`. On success the
// decoder holds the state after that frame and `fed` the bytes given to it.
bool frame_pair_at(Mp3Decoder* dec, const unsigned char* pos, const unsigned char* end,
                   const unsigned char* limit, unsigned char* out, int* done, int* fed) {
  if (end - pos < 4) return false;
  uint32_t h = read_be32(pos);
  if (!mp3_is_valid_header(h)) return false;
  // The cheap test of the next header first: most candidates in junk fail it.
  const unsigned char* next = pos + header_frame_bytes(h);
  if (next < limit && (end - next < 4 || !mp3_is_valid_header(read_be32(next)))) return false;
  mp3dec_exit(dec);
  mp3dec_init(dec);
  const int want = 4 + MP3DEC_BODY_MAX;
  int len = end - pos < want ? int(end - pos) : want;
  int n = 0;
  if (mp3dec_decode(dec, pos, len, out, MP3DEC_OUT_MIN, &n) != 0) return false;
  *done = n;
  *fed = len;
  return true;
}

void rewind(Mp3Player* p) {
  p->read_pos = p->data_start;
  p->current_frame = 0;
  p->reset = 1;
}

// The stream wants unsigned samples; the decoder gives signed ones.
void hand_back(Mp3Player* p, unsigned char* buf, int bytes) {
  uint16_t* s = reinterpret_cast<uint16_t*>(buf);
  for (int i = 0; i < bytes / 2; i++) s[i] ^= 0x8000;
  audio_backend().release_stream_buffer(p->stream);
}

void stop(Mp3Player* p) {
  if (!p->stream) return;
  audio_backend().stop_stream(p->stream);
  p->stream = nullptr;
}

// Looks for the next decodable frame after a damaged one. The decoder's
// unconsumed input starts right after the damage.
bool resync(Mp3Player* p, unsigned char* out, int room, int* done) {
  const unsigned char* end = p->data_start + p->data_len;
  const unsigned char* from = p->read_pos - p->decoder.bytes_left;
  long window = MP3_RESYNC_WINDOW;
  if (!p->loop && end - from < window) window = end - from;
  for (long i = 0; i < window && from + i < end; i++) {
    int fed = 0, n = 0;
    if (!frame_pair_at(&p->decoder, from + i, end, end, p->spill, &n, &fed)) continue;
    if (n > room) n = room;
    std::memcpy(out, p->spill, size_t(n));
    *done = n;
    p->read_pos = from + i + fed;
    return true;
  }
  return false;
}

// One frame into `out`, past damage when a frame follows it within the
// resync window: FRAME_OK, FRAME_END at the end of the data (a scrap shorter
// than a frame counts as the end), or FRAME_FAILED.
int next_frame(Mp3Player* p, unsigned char* out, int room, int* done) {
  int r = decode_frame(p, out, room, done);
  if (r != FRAME_ERROR) return r;
  const unsigned char* damaged = p->read_pos - p->decoder.bytes_left;
  if (resync(p, out, room, done)) return FRAME_OK;
  const unsigned char* end = p->data_start + p->data_len;
  return end - damaged > p->frame_bytes ? FRAME_FAILED : FRAME_END;
}

int play(Mp3Player* p, int buffer_len, int volume, int pan, int speed, bool loop) {
  if (p->stream) return 0;
  if (p->pcm_frame_bytes <= 0 || buffer_len < p->pcm_frame_bytes) return -1;
  int frames = buffer_len / p->pcm_frame_bytes;
  int samples = frames * p->pcm_frame_bytes / (p->stereo ? 2 : 1) / 2;
  AUDIOSTREAM* s = audio_backend().play_stream(samples, 16, p->stereo != 0, p->freq, volume, pan);
  if (!s) return -1;
  p->stream = s;
  p->frames_per_buffer = frames;
  if (speed != 1000) audio_backend().adjust_stream(s, volume, pan, speed);
  p->loop = loop;
  p->end_countdown = 0;
  return 0;
}

int poll(Mp3Player* p) {
  if (!p->stream) return MP3_POLL_NOT_PLAYING;
  unsigned char* buf = static_cast<unsigned char*>(audio_backend().stream_buffer(p->stream));
  if (!buf) return MP3_POLL_OK;
  const int total = p->frames_per_buffer * p->pcm_frame_bytes;
  std::memset(buf, 0, size_t(total));

  if (!p->loop && p->end_countdown > 0) {
    hand_back(p, buf, total);
    if (--p->end_countdown == 0) {
      stop(p);
      return MP3_POLL_FINISHED;
    }
    return MP3_POLL_OK;
  }
  if (p->reset) {
    p->end_countdown = 0;
    restart_decoder(p);
    p->reset = 0;
  }

  const unsigned char* end = p->data_start + p->data_len;
  int filled = 0;
  bool decoded_since_rewind = true;
  while (filled + p->pcm_frame_bytes <= total) {
    int done = 0;
    int r = next_frame(p, buf + filled, total - filled, &done);
    if (r == FRAME_FAILED) {
      hand_back(p, buf, total);
      stop(p);
      rewind(p);
      return MP3_POLL_DECODE_ERROR;
    }
    if (r == FRAME_END) {
      rewind(p);
      // A looping track that gave nothing since the last rewind would spin.
      if (!p->loop || !decoded_since_rewind) {
        if (!p->loop) p->end_countdown = MP3_END_BUFFERS;
        break;
      }
      restart_decoder(p);
      p->reset = 0;
      decoded_since_rewind = false;
      continue;
    }
    filled += done;
    p->current_frame++;
    if (done > 0) decoded_since_rewind = true;
  }
  hand_back(p, buf, total);
  if (!p->reset && p->read_pos >= end && p->decoder.bytes_left < 4) {
    rewind(p);
    if (!p->loop) p->end_countdown = MP3_END_BUFFERS;
  }
  return MP3_POLL_OK;
}

void autopoll_tick(void* param) {
  Mp3Player* p = static_cast<Mp3Player*>(param);
  // Never wait here: the caller's thread may hold the lock while it waits
  // for the timer thread (to remove this callback).
  std::unique_lock<std::mutex> hold(p->lock, std::try_to_lock);
  if (hold.owns_lock()) poll(p);
}

// `f` (p) under the player's lock; `none` for a null player.
template <class R, class F>
R locked(Mp3Player* p, R none, F f) {
  if (!p) return none;
  Guard hold(p->lock);
  return f(p);
}

int clamp_int(long long v) { return v < 0 ? 0 : v > INT_MAX ? INT_MAX : int(v); }

// Bytes of main data a frame carries (what the bit reservoir is made of).
int header_main_bytes(uint32_t h) {
  bool lsf = !((h >> 19) & 1);
  bool mono = ((h >> 6) & 3) == 3;
  int side = lsf ? (mono ? 9 : 17) : (mono ? 17 : 32);
  int crc = ((h >> 16) & 1) ? 0 : 2;
  int n = header_frame_bytes(h) - 4 - side - crc;
  return n > 0 ? n : 0;
}

// Steps over the frames from the first by their headers alone: exact for any
// bitrate, and cheap, since the whole file is in memory. Where the chain of
// headers breaks it is picked up as playing picks it up (a valid header
// whose successor is valid too, within the resync window); past that the
// audio has ended.
struct FrameWalk {
  const unsigned char* base;
  long len;
  long at = 0;    // offset of the frame reached, from the first frame
  int index = 0;  // its number

  bool ended() const { return at >= len; }
  uint32_t header(long o) const { return read_be32(base + o); }
  bool valid_at(long o) const { return o + 4 <= len && mp3_is_valid_header(header(o)); }
  bool pair_at(long o) const {
    if (!valid_at(o)) return false;
    long next = o + header_frame_bytes(header(o));
    return next >= len || valid_at(next);
  }
  // Moves to the next frame; false when the chain had to be picked up.
  bool step() {
    long next = at + header_frame_bytes(header(at));
    index++;
    if (next >= len || valid_at(next)) {
      at = next < len ? next : len;
      return true;
    }
    for (long o = next + 1; o < len && o < next + MP3_RESYNC_WINDOW; o++) {
      if (pair_at(o)) {
        at = o;
        return false;
      }
    }
    at = len;
    return false;
  }
};

// The unbroken run of frames the walk passed last, enough of them to prime
// the decoder: the frame just before the target, and before that frames
// holding a whole bit reservoir of main data.
class PrimeRun {
 public:
  void clear() { count_ = 0; }
  void push(long offset, int main_bytes) {
    frames_[head_] = {offset, main_bytes};
    head_ = (head_ + 1) % CAP;
    if (count_ < CAP) count_++;
  }
  // Where to start feeding the decoder for a target at `target`.
  long start(long target) const {
    if (count_ == 0) return target;
    int i = (head_ + CAP - 1) % CAP;  // the frame just before the target
    long from = frames_[i].offset;
    int held = 0;
    for (int k = 1; k < count_ && held < MP3DEC_RESERVOIR_MAX; k++) {
      i = (i + CAP - 1) % CAP;
      from = frames_[i].offset;
      held += frames_[i].main_bytes;
    }
    return from;
  }

 private:
  // The smallest frames carry 1 byte of main data and reach back 255 bytes.
  static constexpr int CAP = 260;
  struct Entry {
    long offset;
    int main_bytes;
  };
  Entry frames_[CAP];
  int head_ = 0;
  int count_ = 0;
};

// Puts the player on the frame at `at` (its number `index`), fed the frames
// from `from` on so that its bit reservoir and filter state are those of
// straight-through play.
void land(Mp3Player* p, long at, int index, long from) {
  restart_decoder(p);
  if (from < at) {
    int n = 0;
    int r = mp3dec_decode(&p->decoder, p->data_start + from, int(at - from), p->spill, MP3DEC_OUT_MIN, &n);
    // Every call consumes a frame or a header, or asks for more.
    while (r != 1) r = mp3dec_decode(&p->decoder, nullptr, 0, p->spill, MP3DEC_OUT_MIN, &n);
    // A run that does not end exactly at the target would eat into it.
    if (p->decoder.bytes_left != 0 || p->decoder.framesize_pending != 0) restart_decoder(p);
  }
  p->read_pos = p->data_start + at;
  p->current_frame = index;
  p->reset = 0;
  p->end_countdown = 0;
}

// Walks to the first frame that `reached` accepts, or to the end.
template <class Reached>
void walk_to(Mp3Player* p, Reached reached) {
  FrameWalk w{p->data_start, p->data_len};
  PrimeRun run;
  while (!w.ended() && !reached(w)) {
    run.push(w.at, header_main_bytes(w.header(w.at)));
    if (!w.step()) run.clear();
  }
  land(p, w.at, w.index, run.start(w.at));
}

long xing_offset(const Mp3Player* p, int frame) {
  const Mp3Xing* x = p->xing;
  if (!x || !(x->flags & 4) || p->total_frames <= 0) return -1;
  double pct = double(frame) * 100.0 / p->total_frames;
  if (pct < 0) pct = 0;
  if (pct > 100) pct = 100;
  int a = pct >= 100 ? 99 : int(pct);
  double fa = x->toc[a];
  double fb = a < 99 ? x->toc[a + 1] : 256.0;
  double fx = fa + (fb - fa) * (pct - a);
  long bytes = (x->flags & 2) && x->bytes > 0 ? x->bytes : p->data_len;
  long off = long(fx / 256.0 * double(bytes));
  return off < p->data_len ? off : p->data_len;
}

int samples_per_frame(const Mp3Player* p) { return p->pcm_frame_bytes / 2 / (p->stereo ? 2 : 1); }

// The seeks return 0.
int seek_frame(Mp3Player* p, long long frame) {
  const int f = clamp_int(frame);
  const long toc = xing_offset(p, f);
  if (toc >= 0)
    walk_to(p, [toc](const FrameWalk& w) { return w.at >= toc; });
  else
    walk_to(p, [f](const FrameWalk& w) { return w.index >= f; });
  return 0;
}

// The frame whose start lies nearest `msec`.
int seek_msec(Mp3Player* p, long long msec) {
  if (msec < 0) msec = 0;
  const long long spf = samples_per_frame(p);
  return seek_frame(p, (msec * p->freq * 2 + 1000 * spf) / (2000 * spf));
}

// `byte` counts from the start of the file.
int seek_byte(Mp3Player* p, long long byte) {
  const long long rel = byte - p->id3v2_len;
  walk_to(p, [rel](const FrameWalk& w) { return w.at >= rel; });
  return 0;
}

// The next frame to decode: the decoder may hold bytes fed ahead.
const unsigned char* next_frame_start(const Mp3Player* p) {
  if (p->reset) return p->read_pos;
  return p->read_pos - p->decoder.bytes_left - (p->decoder.framesize_pending ? 4 : 0);
}

long long msec_pos(const Mp3Player* p) {
  return (long long)p->current_frame * samples_per_frame(p) * 1000 / p->freq;
}

long long byte_pos(const Mp3Player* p) { return p->id3v2_len + (next_frame_start(p) - p->data_start); }

}  // namespace

bool mp3_is_valid_header(uint32_t h) {
  if ((h & 0xFFE00000u) != 0xFFE00000u) return false;
  if (((h >> 19) & 3) == 1) return false;  // reserved version
  if (((h >> 17) & 3) != 1) return false;  // Layer III only
  int bitrate_index = int(h >> 12) & 15;
  if (bitrate_index == 0 || bitrate_index == 15) return false;
  return ((h >> 10) & 3) != 3;
}

Mp3Player* mp3_create(const void* data, int len) {
  if (!data || len <= 0) return nullptr;
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  int id3v1 = 0;
  if (len >= MP3_ID3V1_LEN && std::memcmp(bytes + len - MP3_ID3V1_LEN, "TAG", 3) == 0) {
    id3v1 = MP3_ID3V1_LEN;
    len -= MP3_ID3V1_LEN;
  }
  long skip = 0;
  if (len >= ID3V2_HEADER && std::memcmp(bytes, "ID3", 3) == 0) {
    long size = long(bytes[6] & 0x7f) << 21 | long(bytes[7] & 0x7f) << 14 |
                long(bytes[8] & 0x7f) << 7 | long(bytes[9] & 0x7f);
    skip = ID3V2_HEADER + size + ((bytes[5] & 0x10) ? ID3V2_FOOTER : 0);
  }
  // A tag that claims to run to or past the end leaves nothing to play.
  if (skip >= len) return nullptr;
  const unsigned char* audio = bytes + skip;
  const unsigned char* end = bytes + len;
  const unsigned char* limit = audio + (end - audio < MP3_SEARCH_WINDOW ? end - audio : MP3_SEARCH_WINDOW);

  Mp3Player* p = new (std::nothrow) Mp3Player();
  if (!p) return nullptr;
  const unsigned char* found = nullptr;
  int pcm = 0, fed = 0;
  for (const unsigned char* pos = audio; pos < limit; pos++) {
    if (frame_pair_at(&p->decoder, pos, end, limit, p->spill, &pcm, &fed)) {
      found = pos;
      break;
    }
  }
  const Mp3FrameInfo fr = p->decoder.fr;
  restart_decoder(p);
  if (!found || (fr.layer != 2 && fr.layer != 3) || fr.framesize + 4 < 5) {
    mp3_destroy(p);
    return nullptr;
  }
  p->data_start = p->read_pos = found;
  p->data_len = int(end - found);
  p->id3v2_len = int(found - bytes);
  p->id3v1_len = id3v1;
  p->freq = mp3tab::SAMPLE_RATES[fr.sampling_index];
  p->stereo = fr.mode == 3 ? 0 : -1;
  p->bits = 16;
  p->bitrate = mp3tab::BITRATE_KBPS[fr.lsf][fr.layer - 1][fr.bitrate_index] * 1000;
  p->frame_bytes = fr.framesize + 4;
  p->layer = fr.layer;
  if (pcm > 0) {
    p->pcm_frame_bytes = pcm;
  } else {
    int half = fr.layer == 3 && p->freq >= 8000 && p->freq < 24000;
    p->pcm_frame_bytes = (half ? FALLBACK_PCM_BYTES / 2 : FALLBACK_PCM_BYTES) * (p->stereo ? 2 : 1);
  }

  // The Xing header sits behind the side information of the first frame; its
  // fields are read only where they lie inside that frame.
  int at = fr.lsf ? (fr.stereo == 1 ? 13 : 21) : (fr.stereo == 1 ? 21 : 36);
  int room = p->frame_bytes < p->data_len ? p->frame_bytes : p->data_len;
  if (at + 8 <= room && std::memcmp(found + at, "Xing", 4) == 0) {
    const unsigned char* x = found + at + 4;
    uint32_t flags = read_be32(x);
    int need = at + 8 + ((flags & 1) ? 4 : 0) + ((flags & 2) ? 4 : 0) + ((flags & 4) ? 100 : 0) +
               ((flags & 8) ? 4 : 0);
    if (need <= room) {
      p->xing = new (std::nothrow) Mp3Xing();
      if (p->xing) {
        p->xing->flags = int(flags);
        x += 4;
        if (flags & 1) {
          p->xing->frames = int(read_be32(x));
          x += 4;
        }
        if (flags & 2) {
          p->xing->bytes = int(read_be32(x));
          x += 4;
        }
        if (flags & 4) {
          std::memcpy(p->xing->toc, x, sizeof p->xing->toc);
          x += sizeof p->xing->toc;
        }
        if (flags & 8) p->xing->scale = int(read_be32(x));
      }
    }
  }
  // A count that is not a positive int is damage: the data is counted instead.
  const bool counted = p->xing && (p->xing->flags & 1) && p->xing->frames > 0;
  p->total_frames = counted ? p->xing->frames : p->data_len / p->frame_bytes;
  return p;
}

int mp3_play_ex(Mp3Player* p, int buffer_len, int volume, int pan, int speed, bool loop) {
  if (!p) return -1;
  Guard hold(p->lock);
  return play(p, buffer_len, volume, pan, speed, loop);
}

int mp3_poll(Mp3Player* p) {
  if (!p) return MP3_POLL_NOT_PLAYING;
  Guard hold(p->lock);
  return poll(p);
}

void mp3_adjust(Mp3Player* p, int volume, int pan, int speed, bool loop) {
  if (!p) return;
  Guard hold(p->lock);
  if (!p->stream) return;
  audio_backend().adjust_stream(p->stream, volume, pan, speed);
  p->loop = loop;
}

void mp3_destroy(Mp3Player* p) {
  if (!p) return;
  {
    Guard hold(p->lock);
    // Returns once a tick under way has returned; no tick starts after it.
    if (p->autopoll) audio_backend().remove_timer_callback(autopoll_tick, p);
    p->autopoll = 0;
    stop(p);
  }
  mp3dec_exit(&p->decoder);
  delete p->xing;
  delete p;
}

int mp3_play(Mp3Player* p, int buffer_len, int volume, int pan) {
  return mp3_play_ex(p, buffer_len, volume, pan, 1000, false);
}

void mp3_stop(Mp3Player* p) {
  if (!p) return;
  Guard hold(p->lock);
  stop(p);
}

void mp3_rewind(Mp3Player* p) {
  if (!p) return;
  Guard hold(p->lock);
  rewind(p);
  p->end_countdown = 0;
}

int mp3_seek_to_frame(Mp3Player* p, int frame) {
  return locked(p, -1, [=](Mp3Player* q) { return seek_frame(q, frame); });
}

int mp3_seek_to_msec(Mp3Player* p, int msec) {
  return locked(p, -1, [=](Mp3Player* q) { return seek_msec(q, msec); });
}

int mp3_seek_to_sec(Mp3Player* p, int sec) {
  return locked(p, -1, [=](Mp3Player* q) { return seek_msec(q, sec * 1000LL); });
}

int mp3_seek_to_byte(Mp3Player* p, int byte) {
  return locked(p, -1, [=](Mp3Player* q) { return seek_byte(q, byte); });
}

int mp3_seek_by_frames(Mp3Player* p, int frames) {
  return locked(p, -1, [=](Mp3Player* q) { return seek_frame(q, (long long)q->current_frame + frames); });
}

int mp3_seek_by_msecs(Mp3Player* p, int msecs) {
  return locked(p, -1, [=](Mp3Player* q) { return seek_msec(q, msec_pos(q) + msecs); });
}

// By milliseconds, so that the part of a second already played is kept.
int mp3_seek_by_secs(Mp3Player* p, int secs) {
  return locked(p, -1, [=](Mp3Player* q) { return seek_msec(q, msec_pos(q) + secs * 1000LL); });
}

int mp3_seek_by_bytes(Mp3Player* p, int bytes) {
  return locked(p, -1, [=](Mp3Player* q) { return seek_byte(q, byte_pos(q) + bytes); });
}

int mp3_xing_offset(Mp3Player* p, int frame) {
  return locked(p, -1, [=](Mp3Player* q) { return int(xing_offset(q, frame)); });
}

int mp3_get_frame_pos(Mp3Player* p) {
  return locked(p, 0, [](Mp3Player* q) { return q->current_frame; });
}

int mp3_get_msec_pos(Mp3Player* p) {
  return locked(p, 0, [](Mp3Player* q) { return clamp_int(msec_pos(q)); });
}

int mp3_get_sec_pos(Mp3Player* p) { return mp3_get_msec_pos(p) / 1000; }

int mp3_get_byte_pos(Mp3Player* p) {
  return locked(p, 0, [](Mp3Player* q) { return clamp_int(byte_pos(q)); });
}

int mp3_get_frame_count(Mp3Player* p) {
  return locked(p, 0, [](Mp3Player* q) { return q->total_frames; });
}

int mp3_get_msec_length(Mp3Player* p) {
  return locked(p, 0, [](Mp3Player* q) {
    return clamp_int((long long)q->total_frames * samples_per_frame(q) * 1000 / q->freq);
  });
}

int mp3_get_sec_length(Mp3Player* p) { return mp3_get_msec_length(p) / 1000; }

int mp3_get_byte_length(Mp3Player* p) {
  return locked(p, 0, [](Mp3Player* q) { return clamp_int((long long)q->data_len + q->id3v2_len + q->id3v1_len); });
}

double mp3_get_frame_msecs(Mp3Player* p) {
  return locked(p, 0.0, [](Mp3Player* q) { return samples_per_frame(q) * 1000.0 / q->freq; });
}

int mp3_get_bitrate(Mp3Player* p) {
  return locked(p, 0, [](Mp3Player* q) { return q->bitrate; });
}

int mp3_get_layer(Mp3Player* p) {
  return locked(p, 0, [](Mp3Player* q) { return q->layer; });
}

int mp3_get_bits(Mp3Player* p) {
  return locked(p, 0, [](Mp3Player* q) { return q->bits; });
}

bool mp3_is_stereo(Mp3Player* p) {
  return locked(p, false, [](Mp3Player* q) { return q->stereo != 0; });
}

int mp3_get_freq(Mp3Player* p) {
  return locked(p, 0, [](Mp3Player* q) { return q->freq; });
}

bool mp3_is_playing(Mp3Player* p) {
  return locked(p, false, [](Mp3Player* q) { return q->stream != nullptr; });
}

bool mp3_is_looping(Mp3Player* p) {
  return locked(p, false, [](Mp3Player* q) { return q->loop != 0; });
}

void mp3_set_loop(Mp3Player* p, bool loop) {
  if (!p) return;
  Guard hold(p->lock);
  p->loop = loop;
}

AUDIOSTREAM* mp3_get_audiostream(Mp3Player* p) {
  return locked(p, (AUDIOSTREAM*)nullptr, [](Mp3Player* q) { return q->stream; });
}

void* mp3_get_output_data(Mp3Player* p) {
  return locked(p, (void*)nullptr, [](Mp3Player* q) {
    return q->stream ? audio_backend().stream_data(q->stream) : nullptr;
  });
}

int mp3_start_autopoll(Mp3Player* p, int interval) {
  if (!p || interval < 1 || interval > MP3_AUTOPOLL_MAX_MS) return -1;
  Guard hold(p->lock);
  if (audio_backend().install_timer_callback(autopoll_tick, p, interval) != 0) return -1;
  p->autopoll = 1;
  p->autopoll_interval = interval;
  return 0;
}

void mp3_stop_autopoll(Mp3Player* p) {
  if (!p) return;
  Guard hold(p->lock);
  if (p->autopoll) audio_backend().remove_timer_callback(autopoll_tick, p);
  p->autopoll = 0;
  p->autopoll_interval = 0;
}

SAMPLE* mp3_create_sample(const void* data, int len) {
  Mp3Player* p = mp3_create(data, len);
  if (!p) return nullptr;
  const bool stereo = p->stereo != 0;
  const int freq = p->freq;
  std::vector<unsigned char> pcm;
  int r = FRAME_OK;
  try {
    pcm.reserve(size_t(p->data_len / p->frame_bytes + 1) * size_t(p->pcm_frame_bytes));
    unsigned char frame[MP3DEC_OUT_MIN];
    int done = 0;
    while ((r = next_frame(p, frame, MP3DEC_OUT_MIN, &done)) == FRAME_OK)
      pcm.insert(pcm.end(), frame, frame + done);
  } catch (const std::bad_alloc&) {
    r = FRAME_FAILED;
  }
  mp3_destroy(p);
  const size_t channels = stereo ? 2 : 1;
  const size_t samples = pcm.size() / 2 / channels;
  if (r == FRAME_FAILED || samples == 0 || samples > size_t(INT_MAX)) return nullptr;
  SAMPLE* s = audio_backend().create_sample(16, stereo, freq, int(samples));
  if (!s) return nullptr;
  // The library's 16-bit samples are unsigned.
  unsigned char* dst = static_cast<unsigned char*>(audio_backend().sample_data(s));
  for (size_t i = 0; i < samples * channels; i++) {
    uint16_t v;
    std::memcpy(&v, &pcm[2 * i], 2);
    v ^= 0x8000;
    std::memcpy(dst + 2 * i, &v, 2);
  }
  return s;
}
