// MP3 player: finding the first frame behind ID3 tags and junk, the Xing
// header, the poll sequence over a recorded stream (fill, end of track,
// loop, resynchronisation after damage, and giving up on a long gap), seeks,
// and a whole file made into a sample.

#include "audio/mp3_player.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <ctime>
#include <cstring>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "unit/audio/recording_backend.h"

namespace {

std::string id3v2(int size, bool footer) {
  std::string h = "ID3";
  h += char(4), h += char(0), h += char(footer ? 0x10 : 0);
  for (int shift : {21, 14, 7, 0}) h += char((size >> shift) & 0x7f);
  return h;
}

struct PlayerBox {
  std::string bytes;
  Mp3Player* p = nullptr;
  explicit PlayerBox(std::string b) : bytes(std::move(b)) { p = mp3_create(bytes.data(), int(bytes.size())); }
  ~PlayerBox() { mp3_destroy(p); }
  long offset(const unsigned char* at) const { return long(at - reinterpret_cast<const unsigned char*>(bytes.data())); }
};

TEST(Mp3Player, FindsTheFirstFrame) {
  const std::string frames = silent_frames(6);
  const std::string tag1000 = id3v2(1000, false) + std::string(1000, 'x');
  const std::string footed = id3v2(1000, true) + std::string(1000, 'x') + std::string(10, 'f');
  struct Case {
    const char* what;
    std::string data;
    long start;  // -1: no player
    int id3v2_len, id3v1_len;
  };
  const Case cases[] = {
      {"plain frames", frames, 0, 0, 0},
      {"ID3v2 tag", tag1000 + frames, 1010, 1010, 0},
      {"ID3v2 tag with footer", footed + frames, 1020, 1020, 0},
      // The window starts behind the footer: this frame lies 5 bytes inside it.
      {"window behind the footer", footed + std::string(28667, '\0') + frames,
       1020 + 28667, 1020 + 28667, 0},
      {"junk after the tag", tag1000 + std::string(7, '\0') + frames, 1017, 1017, 0},
      {"trailing ID3v1 tag", frames + "TAG" + std::string(125, 'y'), 0, 0, 128},
      {"only an ID3v1 tag", "TAG" + std::string(125, 'y'), -1, 0, 0},
      {"tag size past the end", id3v2(5000, false) + frames, -1, 0, 0},
      {"tag size exactly the data", id3v2(int(frames.size()), false) + frames, -1, 0, 0},
      {"junk inside the window", std::string(28000, '\0') + frames, 28000, 28000, 0},
      {"junk past the window", std::string(30000, '\0') + frames, -1, 0, 0},
      // The next header lies past the window, so it is not asked for.
      {"frame at the window's edge", std::string(28672 - 100, '\0') + frames, 28572, 28572, 0},
      {"a lone header without its frame", std::string(8, '\0') + frames.substr(0, 200), -1, 0, 0},
      {"empty", "", -1, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PlayerBox b(c.data);
    if (c.start < 0) {
      EXPECT_EQ(b.p, nullptr);
      continue;
    }
    ASSERT_NE(b.p, nullptr);
    EXPECT_EQ(b.offset(b.p->data_start), c.start);
    EXPECT_EQ(b.p->id3v2_len, c.id3v2_len);
    EXPECT_EQ(b.p->id3v1_len, c.id3v1_len);
    EXPECT_EQ(b.p->data_len, int(c.data.size()) - c.start - c.id3v1_len);
    EXPECT_EQ(b.p->freq, 44100);
    EXPECT_EQ(b.p->stereo, -1);
    EXPECT_EQ(b.p->bitrate, 128000);
    EXPECT_EQ(b.p->frame_bytes, MP3_FRAME_128);
    EXPECT_EQ(b.p->pcm_frame_bytes, 4608);
    EXPECT_EQ(b.p->layer, 3);
  }
}

TEST(Mp3Player, ValidHeaders) {
  const struct {
    uint32_t h;
    bool valid;
  } cases[] = {
      {0xFFFB9000u, true},   // MPEG-1 Layer III
      {0xFFF39000u, true},   // MPEG-2 Layer III
      {0xFFE39000u, true},   // MPEG-2.5 Layer III
      {0xFFEB9000u, false},  // reserved version
      {0xFFFD9000u, false},  // Layer II
      {0xFFFF9000u, false},  // Layer I
      {0xFFFB0000u, false},  // free format
      {0xFFFBF000u, false},  // bitrate index 15
      {0xFFFB9C00u, false},  // sampling index 3
      {0xFF7B9000u, false},  // a sync bit missing
  };
  for (const auto& c : cases) EXPECT_EQ(mp3_is_valid_header(c.h), c.valid) << std::hex << c.h;
}

// A first frame carrying a Xing header at 36 bytes (MPEG-1 stereo).
std::string xing_file(uint32_t header, int frame, uint32_t flags, int frames_field) {
  std::string data = silent_frames(8, header, frame);
  std::string x = "Xing";
  for (uint32_t v : {flags, uint32_t(frames_field), 5000u})
    for (int i = 0; i < 4; i++) x += char(v >> (24 - 8 * i));
  x += std::string(100, char(7));
  data.replace(36, std::min(x.size(), size_t(frame - 36)), x.substr(0, size_t(frame - 36)));
  return data;
}

TEST(Mp3Player, XingHeaderReadOnlyInsideTheFrame) {
  const struct {
    const char* what;
    uint32_t header;
    int frame;
    uint32_t flags;
    int frames_field;
    bool xing;
    int total_frames;
  } cases[] = {
      {"frames, bytes and table", MP3_HDR_128_STEREO, MP3_FRAME_128, 7, 1234, true, 1234},
      {"no frame count", MP3_HDR_128_STEREO, MP3_FRAME_128, 2, 1234, true, 8},
      // 36 + 8 + 4 + 4 + 100 bytes do not fit in a 104-byte frame.
      {"table past the frame", MP3_HDR_32_STEREO, MP3_FRAME_32, 7, 1234, false, 8},
      {"counts inside a short frame", MP3_HDR_32_STEREO, MP3_FRAME_32, 3, 1234, true, 1234},
      // Counts that are no int frame count: the frames are counted instead.
      {"frame count 0", MP3_HDR_128_STEREO, MP3_FRAME_128, 7, 0, true, 8},
      {"frame count past the int range", MP3_HDR_128_STEREO, MP3_FRAME_128, 7, -1, true, 8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    PlayerBox b(xing_file(c.header, c.frame, c.flags, c.frames_field));
    ASSERT_NE(b.p, nullptr);
    EXPECT_EQ(b.p->xing != nullptr, c.xing);
    EXPECT_EQ(b.p->total_frames, c.total_frames);
  }
}

TEST(Mp3Player, PlayRefusesABufferBelowOneFrame) {
  RecordingBackend rec;
  PlayerBox b(silent_frames(4));
  ASSERT_NE(b.p, nullptr);
  EXPECT_EQ(mp3_play_ex(b.p, 1000, 200, 128, 1000, false), -1);
  EXPECT_TRUE(rec.streams.empty());
  rec.streams_open = false;
  EXPECT_EQ(mp3_play_ex(b.p, 65536, 200, 128, 1000, false), -1);
  rec.streams_open = true;
  ASSERT_EQ(mp3_play_ex(b.p, 65536, 200, 128, 1500, false), 0);
  ASSERT_EQ(rec.streams.size(), 1u);
  // 14 frames of 4608 bytes: 16128 stereo samples per buffer.
  EXPECT_EQ(rec.streams[0]->len, 16128);
  EXPECT_TRUE(rec.streams[0]->stereo);
  EXPECT_EQ(rec.streams[0]->freq, 44100);
  EXPECT_EQ(rec.streams[0]->vol, 200);
  EXPECT_EQ(rec.streams[0]->adjusted_freq, 1500);
  EXPECT_EQ(mp3_play_ex(b.p, 65536, 200, 128, 1000, false), 0);
  EXPECT_EQ(rec.streams.size(), 1u);
}

bool all_silent(const std::vector<unsigned char>& buf) {
  for (size_t i = 0; i + 1 < buf.size(); i += 2)
    if (buf[i] != 0x00 || buf[i + 1] != 0x80) return false;
  return true;
}

std::vector<int> poll_n(Mp3Player* p, int n) {
  std::vector<int> r;
  for (int i = 0; i < n; i++) r.push_back(mp3_poll(p));
  return r;
}

TEST(Mp3Player, PollSequences) {
  const struct {
    const char* what;
    std::string data;
    bool loop;
    std::vector<int> results;
  } cases[] = {
      // 14 frames fill a buffer; the end is followed by two silent buffers.
      {"one and a half buffers", silent_frames(20), false, {0, 0, 0, 1, -1, -1}},
      {"exactly two buffers", silent_frames(28), false, {0, 0, 0, 1, -1}},
      {"less than a buffer", silent_frames(3), false, {0, 0, 1, -1}},
      {"looping", silent_frames(20), true, {0, 0, 0, 0, 0, 0, 0}},
      {"junk tail shorter than a frame", silent_frames(20) + std::string(300, '\0'), false, {0, 0, 0, 1, -1}},
      {"damaged header in the middle", [] {
         std::string s = silent_frames(20);
         s.replace(size_t(5 * MP3_FRAME_128), 4, 4, '\0');
         return s;
       }(), false, {0, 0, 0, 1, -1}},
      {"short gap", silent_frames(5) + std::string(10000, '\0') + silent_frames(15), false, {0, 0, 0, 1, -1}},
      {"gap longer than the search", silent_frames(5) + std::string(20000, '\0') + silent_frames(15), false, {-2, -1}},
      {"gap longer than the search, looping", silent_frames(5) + std::string(20000, '\0') + silent_frames(15), true, {-2, -1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RecordingBackend rec;
    PlayerBox b(c.data);
    ASSERT_NE(b.p, nullptr);
    ASSERT_EQ(mp3_play_ex(b.p, 65536, 255, 128, 1000, c.loop), 0);
    EXPECT_EQ(poll_n(b.p, int(c.results.size())), c.results);
    for (const auto& buf : rec.streams[0]->handed) EXPECT_TRUE(all_silent(buf));
    bool stopped = c.results.back() < 0;
    EXPECT_EQ(rec.streams[0]->stopped, stopped);
    if (stopped) {
      EXPECT_EQ(b.p->read_pos, b.p->data_start);
    }
  }
}

TEST(Mp3Player, ResyncSkipsOnlyTheDamagedFrame) {
  RecordingBackend rec;
  std::string s = silent_frames(40);
  s.replace(size_t(5 * MP3_FRAME_128), 4, 4, '\0');
  PlayerBox b(s);
  ASSERT_NE(b.p, nullptr);
  ASSERT_EQ(mp3_play_ex(b.p, 65536, 255, 128, 1000, false), 0);
  EXPECT_EQ(mp3_poll(b.p), 0);
  // Frames 0-4 and 6-14 fill the buffer; the decoder stands after frame 14.
  EXPECT_EQ(b.p->current_frame, 14);
  long consumed = long(b.p->read_pos - b.p->decoder.bytes_left - b.p->data_start);
  EXPECT_EQ(consumed, 15L * MP3_FRAME_128);
}

TEST(Mp3Player, NoBufferWantedMeansNothingDone) {
  RecordingBackend rec;
  PlayerBox b(silent_frames(20));
  ASSERT_NE(b.p, nullptr);
  EXPECT_EQ(mp3_poll(b.p), -1);
  ASSERT_EQ(mp3_play_ex(b.p, 65536, 255, 128, 1000, false), 0);
  rec.buffer_ready = false;
  EXPECT_EQ(poll_n(b.p, 3), (std::vector<int>{0, 0, 0}));
  EXPECT_TRUE(rec.streams[0]->handed.empty());
  EXPECT_EQ(b.p->current_frame, 0);
}

TEST(Mp3Player, AdjustKeepsTheStreamLoopingAndStoresTheTrackLoop) {
  RecordingBackend rec;
  PlayerBox b(silent_frames(20));
  ASSERT_NE(b.p, nullptr);
  mp3_adjust(b.p, 10, 20, 1000, true);
  EXPECT_TRUE(rec.calls_of("adjust_stream").empty());
  ASSERT_EQ(mp3_play_ex(b.p, 65536, 255, 128, 1000, false), 0);
  mp3_adjust(b.p, 10, 20, 1000, true);
  auto adj = rec.calls_of("adjust_stream");
  ASSERT_EQ(adj.size(), 1u);
  EXPECT_EQ(adj[0].vol, 10);
  EXPECT_EQ(adj[0].pan, 20);
  EXPECT_EQ(b.p->loop, 1);
}

// The reference: a fresh decoder fed the whole file, its output frame by frame.
std::vector<std::vector<unsigned char>> decoded_frames(const std::string& data) {
  std::vector<std::vector<unsigned char>> frames;
  Mp3Decoder dec;
  mp3dec_init(&dec);
  std::vector<unsigned char> out(MP3DEC_OUT_MIN);
  int done = 0;
  int r = mp3dec_decode(&dec, reinterpret_cast<const unsigned char*>(data.data()), int(data.size()),
                        out.data(), int(out.size()), &done);
  while (r != 1) {
    if (r == 0) frames.emplace_back(out.begin(), out.begin() + done);
    r = mp3dec_decode(&dec, nullptr, 0, out.data(), int(out.size()), &done);
  }
  mp3dec_exit(&dec);
  return frames;
}

// The stream's unsigned samples back to the decoder's signed ones.
std::vector<unsigned char> to_signed(std::vector<unsigned char> buf) {
  for (size_t i = 1; i < buf.size(); i += 2) buf[i] ^= 0x80;
  return buf;
}

// `out.mp3` made by lame from `samples` frames of two sines per channel
// (the same sines on both when mono); "" when lame is missing or fails.
std::string lame_file(int rate, int samples, bool stereo, const std::string& opts) {
  if (std::system("command -v lame >/dev/null 2>&1") != 0) return "";
  std::string pcm;
  for (int i = 0; i < samples; i++) {
    int l = int(7000 * std::sin(i * 0.031) + 2000 * std::sin(i * 0.27));
    int r = int(6000 * std::sin(i * 0.047) + 2500 * std::sin(i * 0.19));
    for (int v : {l, r}) {
      pcm += char(v & 255), pcm += char((v >> 8) & 255);
      if (!stereo) break;
    }
  }
  TempDir::write("in.raw", pcm);
  std::string cmd = "lame --quiet -r -s " + std::to_string(rate / 1000.0) + " --bitwidth 16 --signed --little-endian " +
                    (stereo ? "-m j " : "-m m ") + opts + " in.raw out.mp3 2>/dev/null";
  return std::system(cmd.c_str()) == 0 ? TempDir::read("out.mp3") : "";
}

// Real music: the stream's buffers, turned back to signed samples, are the
// decoder's own output frame by frame, and a looping track starts over.
TEST(Mp3Player, StreamCarriesTheDecodedMusic) {
  TempDir dir;
  const std::string data = lame_file(44100, 44100, false, "--nores -b 128");
  if (data.empty()) GTEST_SKIP() << "lame missing";

  std::vector<unsigned char> ref;
  for (const auto& f : decoded_frames(data)) ref.insert(ref.end(), f.begin(), f.end());
  RecordingBackend rec;
  PlayerBox b(data);
  ASSERT_NE(b.p, nullptr);
  EXPECT_EQ(b.p->stereo, 0);
  EXPECT_EQ(b.p->pcm_frame_bytes, 2304);
  ASSERT_EQ(mp3_play_ex(b.p, 65536, 255, 128, 1000, true), 0);
  std::vector<unsigned char> got;
  for (int i = 0; i < 20 && got.size() < 2 * ref.size(); i++) {
    ASSERT_EQ(mp3_poll(b.p), 0);
    for (const auto& buf : rec.streams[0]->handed) got.insert(got.end(), buf.begin(), buf.end());
    rec.streams[0]->handed.clear();
  }
  ASSERT_GE(got.size(), 2 * ref.size());
  got = to_signed(got);
  EXPECT_TRUE(std::equal(ref.begin(), ref.end(), got.begin())) << "first pass";
  EXPECT_TRUE(std::equal(ref.begin(), ref.end(), got.begin() + long(ref.size()))) << "after the loop";
}

// Playing must cost a small part of one core: ten seconds of 128 kbit/s
// stereo, decoded buffer by buffer as the stream asks, timed on this thread.
TEST(Mp3Player, DecodingKeepsFarAheadOfRealTime) {
  TempDir dir;
  const int seconds = 10;
  const std::string data = lame_file(44100, 44100 * seconds, true, "-b 128");
  if (data.empty()) GTEST_SKIP() << "lame missing";
  RecordingBackend rec;
  PlayerBox b(data);
  ASSERT_NE(b.p, nullptr);
  ASSERT_EQ(mp3_play_ex(b.p, 65536, 255, 128, 1000, false), 0);
  timespec t0{}, t1{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t0);
  int polls = 0;
  while (mp3_poll(b.p) == 0 && polls < 1000) polls++;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t1);
  double cpu = double(t1.tv_sec - t0.tv_sec) + double(t1.tv_nsec - t0.tv_nsec) / 1e9;
  double audio = double(rec.streams[0]->handed.size() - MP3_END_BUFFERS) * rec.streams[0]->len / 44100.0;
  ASSERT_GE(audio, seconds);
  EXPECT_FALSE(all_silent(rec.streams[0]->handed[5]));
  double share = cpu / audio;
  std::printf("decoding: %.3f s of CPU for %.1f s of audio, %.2f%% of one core\n", cpu, audio, share * 100);
  RecordProperty("decode_cpu_share", std::to_string(share));
  // Well under 2% in an optimised build; the bound leaves room for sanitizers.
  EXPECT_LT(share, 0.2);
}

std::string be32(uint32_t v) {
  std::string out;
  for (int i = 0; i < 4; i++) out += char(v >> (24 - 8 * i));
  return out;
}

// 100 frames of 417 bytes (128 kbit/s) and then 100 of 104 (32 kbit/s) at
// 44.1 kHz, 52100 bytes, followed by a 3000-byte tag the player does not cut
// off. The first frame carries a Xing header of 200 frames and, as `flags`
// say, 52100 bytes (2) and a table of contents (4) that is linear in bytes
// (entry i = 2.56 i), which is not where this file's frames lie: a frame
// seek lands where the table says, a byte seek where the frames are. The
// table counts in Xing bytes, or without them in the 55100 bytes from the
// first frame to the end.
std::string toc_file(uint32_t flags) {
  std::string data = silent_frames(100) + silent_frames(100, MP3_HDR_32_STEREO, MP3_FRAME_32);
  std::string x = "Xing" + be32(flags | 1) + be32(200);
  if (flags & 2) x += be32(52100);
  if (flags & 4)
    for (int i = 0; i < 100; i++) x += char(i * 256 / 100);
  data.replace(36, x.size(), x);
  return data + "APETAGEX" + std::string(2992, '\0');
}

// Seeks land on the frames a count by hand of the file gives, and play from
// there exactly as straight-through play does, bit reservoir and all; a
// sample made of the file holds every frame that mpg123 decodes.
TEST(Mp3Player, SeeksLandOnKnownFramesAndASampleHoldsTheWholeFile) {
  if (std::system("command -v mpg123 >/dev/null 2>&1") != 0) GTEST_SKIP() << "mpg123 missing";
  TempDir dir;
  // 128 kbit/s at 48 kHz needs no padding: every frame is 384 bytes and
  // plays 1152 samples, 24 ms. No Xing frame (-t); the bit reservoir is on.
  const std::string mp3 = lame_file(48000, 4 * 48000, true, "-b 128 -t");
  if (mp3.empty()) GTEST_SKIP() << "lame missing";
  ASSERT_EQ(mp3.size() % 384, 0u);
  const int frames = int(mp3.size() / 384);
  ASSERT_GT(frames, 160);
  // The audio starts at byte 1010, behind an ID3v2 tag; an ID3v1 tag ends it.
  const std::string tagged = id3v2(1000, false) + std::string(1000, 'x') + mp3 + "TAG" + std::string(125, 'y');
  const auto ref = decoded_frames(mp3);
  ASSERT_EQ(int(ref.size()), frames);

  enum Op { TO_FRAME, TO_MSEC, TO_SEC, TO_BYTE, BY_FRAMES, BY_MSECS, BY_SECS, BY_BYTES, REWIND };
  struct File {
    const char* what;
    std::string data;
    int frame_count, byte_length, msec_length;
    long (*offset)(int frame);  // of each frame in the file
    int (*msec)(int frame);
    bool music;  // else silence
  };
  auto toc_offset = [](int f) { return f <= 100 ? 417L * f : f < 200 ? 41700L + 104L * (f - 100) : 55100L; };
  auto toc_msec = [](int f) { return int(f * 1152000L / 44100); };
  const File files[] = {
      {"lame", tagged, frames, 1010 + int(mp3.size()) + 128, frames * 24,
       [](int f) { return 1010L + 384L * f; }, [](int f) { return 24 * f; }, true},
      {"table of contents", toc_file(7), 200, 55100, 5224, toc_offset, toc_msec, false},
      {"no table of contents", toc_file(3), 200, 55100, 5224, toc_offset, toc_msec, false},
      {"a table without the byte count", toc_file(5), 200, 55100, 5224, toc_offset, toc_msec, false},
  };
  // Each row's poll plays one frame (the buffer holds one), so the next
  // relative seek starts a frame further on.
  const struct {
    int file;
    Op op;
    int arg;
    int frame;  // landed on
  } rows[] = {
      {0, TO_FRAME, 10, 10},
      {0, BY_FRAMES, 5, 16},
      {0, TO_MSEC, 1000, 42},    // 41.67 frames: the nearest start
      {0, BY_MSECS, -500, 22},   // 43 * 24 - 500 = 532 ms, 22.17 frames
      {0, TO_SEC, 2, 83},        // 83.33 frames
      {0, BY_SECS, 1, 126},      // 84 * 24 + 1000 = 3016 ms, 125.67 frames
      {0, TO_BYTE, 1010 + 100 * 384 + 1, 101},
      {0, BY_BYTES, -3 * 384, 99},
      {0, TO_BYTE, 5, 0},        // inside the tag
      {0, TO_FRAME, -3, 0},
      {0, TO_FRAME, 100000, frames},  // the end: this poll ends the track
      {0, TO_FRAME, frames - 1, frames - 1},  // and a seek plays again
      {0, REWIND, 0, 0},
      // 50% of the frames: entry 50 = 128 of 256 → byte 26050, in frame 62
      // (of 55100 bytes it would be byte 27550, frame 67).
      {1, TO_FRAME, 100, 63},
      // 99.5%: between entry 99 (253) and the end (256) → 254.5 → byte 51794
      // (of 55100 bytes, 54776: past the last frame).
      {1, TO_FRAME, 199, 198},
      {1, TO_MSEC, 2612, 63},  // 99.99 frames: frame 100, through the table
      {1, TO_BYTE, 41700, 100},
      {1, TO_FRAME, 250, 200},
      {2, TO_FRAME, 100, 100},  // no table: the frames are counted
      // Entry 50 of 55100 bytes: byte 27550, in frame 66.
      {3, TO_FRAME, 100, 67},
  };
  RecordingBackend rec;
  for (int fi = 0; fi < int(std::size(files)); fi++) {
    const File& f = files[fi];
    SCOPED_TRACE(f.what);
    PlayerBox b(f.data);
    ASSERT_NE(b.p, nullptr);
    EXPECT_EQ(mp3_get_frame_count(b.p), f.frame_count);
    EXPECT_EQ(mp3_get_byte_length(b.p), f.byte_length);
    EXPECT_EQ(mp3_get_msec_length(b.p), f.msec_length);
    EXPECT_EQ(mp3_get_sec_length(b.p), f.msec_length / 1000);
    EXPECT_EQ(mp3_get_byte_pos(b.p), f.offset(0));
    ASSERT_EQ(mp3_play(b.p, 4608, 255, 128), 0);
    RecordingBackend::Stream* stream = rec.streams.back().get();
    int row = 0;
    for (const auto& r : rows) {
      row++;
      if (r.file != fi) continue;
      SCOPED_TRACE(row);
      Mp3Player* p = b.p;
      switch (r.op) {
        case TO_FRAME: mp3_seek_to_frame(p, r.arg); break;
        case TO_MSEC: mp3_seek_to_msec(p, r.arg); break;
        case TO_SEC: mp3_seek_to_sec(p, r.arg); break;
        case TO_BYTE: mp3_seek_to_byte(p, r.arg); break;
        case BY_FRAMES: mp3_seek_by_frames(p, r.arg); break;
        case BY_MSECS: mp3_seek_by_msecs(p, r.arg); break;
        case BY_SECS: mp3_seek_by_secs(p, r.arg); break;
        case BY_BYTES: mp3_seek_by_bytes(p, r.arg); break;
        case REWIND: mp3_rewind(p); break;
      }
      EXPECT_EQ(mp3_get_frame_pos(p), r.frame);
      EXPECT_EQ(mp3_get_byte_pos(p), f.offset(r.frame));
      EXPECT_EQ(mp3_get_msec_pos(p), f.msec(r.frame));
      EXPECT_EQ(mp3_get_sec_pos(p), f.msec(r.frame) / 1000);
      ASSERT_EQ(mp3_poll(p), 0);
      const std::vector<unsigned char> heard = to_signed(stream->handed.back());
      if (f.music && r.frame < frames)
        EXPECT_TRUE(heard == ref[size_t(r.frame)]) << "frame " << r.frame;
      else
        EXPECT_TRUE(all_silent(stream->handed.back()));
    }
  }

  const int mpg123_bytes = [] {
    if (std::system("mpg123 -q --no-gapless -s out.mp3 > ref.raw 2>/dev/null") != 0) return -1;
    return int(TempDir::read("ref.raw").size());
  }();
  SAMPLE* spl = mp3_create_sample(tagged.data(), int(tagged.size()));
  ASSERT_NE(spl, nullptr);
  EXPECT_EQ(long(spl->len), mpg123_bytes / 4);
  EXPECT_EQ(long(spl->len), frames * 1152L);
  EXPECT_EQ(spl->bits, 16);
  EXPECT_NE(spl->stereo, 0);
  EXPECT_EQ(spl->freq, 48000);
  std::vector<unsigned char> want;
  for (const auto& fr : ref) want.insert(want.end(), fr.begin(), fr.end());
  const auto* data = static_cast<const unsigned char*>(spl->data);
  EXPECT_TRUE(to_signed(std::vector<unsigned char>(data, data + spl->len * 4)) == want);
  destroy_sample(spl);
}

}  // namespace
