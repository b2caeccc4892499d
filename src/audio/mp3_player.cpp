#include "audio/mp3_player.h"

#include <cstring>
#include <new>

#include "audio/audio_backend.h"
#include "audio/mp3dec_tables.h"

namespace {

// Input handed to the decoder at a time: a whole frame and the next header,
// or, for files with a Xing header (usually variable bitrate), a fixed piece.
constexpr int XING_CHUNK = 1792;
constexpr int ID3V2_HEADER = 10;
constexpr int ID3V2_FOOTER = 10;
constexpr int FALLBACK_PCM_BYTES = 2304;

enum { FRAME_ERROR = 0, FRAME_OK = 1, FRAME_END = -3 };

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
  p->total_frames = p->xing && (p->xing->flags & 1) ? p->xing->frames : p->data_len / p->frame_bytes;
  return p;
}

int mp3_play_ex(Mp3Player* p, int buffer_len, int volume, int pan, int speed, bool loop) {
  if (!p) return -1;
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

int mp3_poll(Mp3Player* p) {
  if (!p || !p->stream) return MP3_POLL_NOT_PLAYING;
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
    int r = decode_frame(p, buf + filled, total - filled, &done);
    if (r == FRAME_ERROR) {
      const unsigned char* damaged = p->read_pos - p->decoder.bytes_left;
      if (resync(p, buf + filled, total - filled, &done)) {
        r = FRAME_OK;
      } else if (end - damaged > p->frame_bytes) {
        hand_back(p, buf, total);
        stop(p);
        rewind(p);
        return MP3_POLL_DECODE_ERROR;
      } else {
        r = FRAME_END;  // only a scrap is left: the track has ended
      }
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

void mp3_adjust(Mp3Player* p, int volume, int pan, int speed, bool loop) {
  if (!p || !p->stream) return;
  audio_backend().adjust_stream(p->stream, volume, pan, speed);
  p->loop = loop;
}

void mp3_destroy(Mp3Player* p) {
  if (!p) return;
  stop(p);
  mp3dec_exit(&p->decoder);
  delete p->xing;
  delete p;
}
