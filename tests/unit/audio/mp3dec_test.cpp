// MPEG audio decoder: hand-built frames for the framing rules and for corrupt
// side information, and files made by lame and twolame from synthetic PCM,
// compared sample by sample with mpg123's decoding of the same files.

#include "audio/mp3dec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace {

using Bytes = std::vector<unsigned char>;

struct DecoderBox {
  std::unique_ptr<Mp3Decoder> dec = std::make_unique<Mp3Decoder>();
  DecoderBox() { mp3dec_init(dec.get()); }
  ~DecoderBox() { mp3dec_exit(dec.get()); }
  Mp3Decoder* get() { return dec.get(); }
};

class BitWriter {
 public:
  void put(uint32_t v, int n) {
    for (int i = n - 1; i >= 0; i--) {
      if (bits_ % 8 == 0) bytes_.push_back(0);
      if ((v >> i) & 1) bytes_.back() |= uint8_t(0x80 >> (bits_ % 8));
      bits_++;
    }
  }
  const Bytes& bytes() const { return bytes_; }

 private:
  Bytes bytes_;
  int bits_ = 0;
};

// Header bytes: MPEG-1 Layer III, 128 kbit/s, 44.1 kHz, no CRC: 417 bytes a frame.
const uint32_t HDR_L3_STEREO = 0xFFFB9000u;
const uint32_t HDR_L3_MONO = 0xFFFB90C0u;
const int L3_128_FRAME = 417;

Bytes make_frame(uint32_t header, int frame_bytes, const Bytes& body = {}) {
  Bytes f(size_t(frame_bytes), 0);
  for (int i = 0; i < 4; i++) f[size_t(i)] = uint8_t(header >> (24 - 8 * i));
  for (size_t i = 0; i < body.size() && 4 + i < f.size(); i++) f[4 + i] = body[i];
  return f;
}

std::vector<int16_t> to_samples(const std::string& raw) {
  std::vector<int16_t> s(raw.size() / 2);
  std::memcpy(s.data(), raw.data(), s.size() * 2);
  return s;
}

int decode_all(Mp3Decoder* dec, const Bytes& in, Bytes* out = nullptr) {
  Bytes pcm(MP3DEC_OUT_MIN);
  int done = 0;
  int r = mp3dec_decode(dec, in.data(), int(in.size()), pcm.data(), int(pcm.size()), &done);
  if (r == 0 && out) out->assign(pcm.begin(), pcm.begin() + done);
  return r;
}

TEST(Mp3Decoder, ThreeBytesNeedMoreThenTheRestDecodes) {
  DecoderBox d;
  Bytes frame = make_frame(HDR_L3_STEREO, L3_128_FRAME);
  Bytes pcm(MP3DEC_OUT_MIN, 0x55);
  int done = -7;
  EXPECT_EQ(mp3dec_decode(d.get(), frame.data(), 3, pcm.data(), int(pcm.size()), &done), 1);
  EXPECT_EQ(done, 0);
  EXPECT_EQ(mp3dec_decode(d.get(), frame.data() + 3, L3_128_FRAME - 3, pcm.data(), int(pcm.size()),
                          &done),
            0);
  EXPECT_EQ(done, 4608);
  for (int i = 0; i < done; i++) ASSERT_EQ(pcm[size_t(i)], 0) << "silent frame, byte " << i;
  EXPECT_EQ(mp3dec_decode(d.get(), nullptr, 0, pcm.data(), int(pcm.size()), &done), 1);
  // An output buffer below one frame's PCM is refused.
  EXPECT_EQ(mp3dec_decode(d.get(), frame.data(), int(frame.size()), pcm.data(), 4607, &done), -1);
  EXPECT_EQ(mp3dec_decode(d.get(), frame.data(), int(frame.size()), pcm.data(), 4608, &done), 0);
}

struct FrameSizeCase {
  const char* name;
  uint32_t header;
  int frame_bytes;
  int pcm_bytes;
};

TEST(Mp3Decoder, SilentFramesGiveTheirPcmSize) {
  const FrameSizeCase cases[] = {
      {"stereo 44.1 kHz layer III", HDR_L3_STEREO, 417, 4608},
      {"mono 44.1 kHz layer III", HDR_L3_MONO, 417, 2304},
      // MPEG-2, Layer III, 64 kbit/s, 22.05 kHz, mono: 64 * 144000 / 44100 = 208 bytes.
      {"mono 22.05 kHz layer III", 0xFFF380C0u, 208, 1152},
      // MPEG-2.5, Layer III, 8 kbit/s, 8 kHz, stereo: 8 * 144000 / 16000 = 72 bytes.
      {"stereo 8 kHz layer III", 0xFFE31800u, 72, 2304},
      // MPEG-1 Layer II, 192 kbit/s, 44.1 kHz, stereo: 626 bytes.
      {"stereo 44.1 kHz layer II", 0xFFFDA000u, 626, 4608},
      // MPEG-2 Layer II, 64 kbit/s, 24 kHz, mono: 384 bytes.
      {"mono 24 kHz layer II", 0xFFF584C0u, 384, 2304},
  };
  for (const auto& c : cases) {
    DecoderBox d;
    Bytes out;
    ASSERT_EQ(decode_all(d.get(), make_frame(c.header, c.frame_bytes), &out), 0) << c.name;
    EXPECT_EQ(int(out.size()), c.pcm_bytes) << c.name;
    EXPECT_EQ(d.get()->framesize_prev, c.frame_bytes - 4) << c.name;
    // A second frame must be there in full before it decodes.
    Bytes two = make_frame(c.header, c.frame_bytes);
    two.pop_back();
    EXPECT_EQ(decode_all(d.get(), two), 1) << c.name;
  }
}

TEST(Mp3Decoder, RefusedHeaders) {
  const struct {
    const char* name;
    uint32_t header;
  } cases[] = {
      {"free format", 0xFFFB0000u},      {"layer I", 0xFFFF9000u},
      {"bitrate index 15", 0xFFFBF000u}, {"sampling index 3", 0xFFFB9C00u},
      {"layer field 00", 0xFFF99000u},   {"reserved version 01", 0xFFEB9000u},
      {"no sync", 0xFF7B9000u},
  };
  for (const auto& c : cases) {
    DecoderBox d;
    EXPECT_EQ(decode_all(d.get(), make_frame(c.header, L3_128_FRAME)), -1) << c.name;
  }
}

// Side information of an MPEG-1 mono frame, granule by granule.
struct Granule {
  int part2_3 = 0, big_values = 0, global_gain = 0, sfc = 0;
  int wsf = 0, block_type = 0, mixed = 0;
  int tsel[3] = {0, 0, 0};
  int r0 = 0, r1 = 0;
};

void put_granule(BitWriter& w, const Granule& g) {
  w.put(uint32_t(g.part2_3), 12);
  w.put(uint32_t(g.big_values), 9);
  w.put(uint32_t(g.global_gain), 8);
  w.put(uint32_t(g.sfc), 4);
  w.put(uint32_t(g.wsf), 1);
  if (g.wsf) {
    w.put(uint32_t(g.block_type), 2);
    w.put(uint32_t(g.mixed), 1);
    w.put(uint32_t(g.tsel[0]), 5);
    w.put(uint32_t(g.tsel[1]), 5);
    w.put(0, 9);
  } else {
    for (int t : g.tsel) w.put(uint32_t(t), 5);
    w.put(uint32_t(g.r0), 4);
    w.put(uint32_t(g.r1), 3);
  }
  w.put(0, 3);
}

Bytes mono_side_info(int main_data_begin, int scfsi, const Granule (&gr)[2]) {
  BitWriter w;
  w.put(uint32_t(main_data_begin), 9);
  w.put(0, 5);
  w.put(uint32_t(scfsi), 4);
  for (const Granule& g : gr) put_granule(w, g);
  return w.bytes();
}

TEST(Mp3Decoder, CorruptSideInformationIsAnErrorFrame) {
  // The mono frame holds 417 - 4 - 17 = 396 bytes (3168 bits) of main data.
  struct Case {
    const char* name;
    int main_data_begin;
    int scfsi;
    Granule g0;
    int expect;
  };
  Granule zero;
  Granule big = zero;
  big.big_values = 289;
  Granule long_part = zero;
  long_part.part2_3 = 3169;
  Granule fits = zero;
  fits.part2_3 = 3168;
  Granule t4 = zero;
  t4.part2_3 = 200, t4.big_values = 4, t4.tsel[0] = 4;
  Granule t14 = zero;  // regions [0,4) and [4,8) table 0, [8,16) table 14
  t14.part2_3 = 200, t14.big_values = 8, t14.tsel[2] = 14;
  Granule t4_unused = zero;  // a table nobody reads from is harmless
  t4_unused.tsel[1] = 4;
  Granule regions = zero;
  regions.r0 = 15, regions.r1 = 7;
  Granule wsf0 = zero;
  wsf0.wsf = 1;
  Granule shortb = zero;
  shortb.wsf = 1, shortb.block_type = 2;
  const Case cases[] = {
      {"all zero", 0, 0, zero, 0},
      {"main data up to the end", 0, 0, fits, 0},
      {"big_values 289", 0, 0, big, -1},
      {"part2_3_length past the main data", 0, 0, long_part, -1},
      {"table 4 in use", 0, 0, t4, -1},
      {"table 14 in use", 0, 0, t14, -1},
      {"table 4 selected for an empty region", 0, 0, t4_unused, 0},
      {"region bands past 576", 0, 0, regions, -1},
      {"window switching with block type 0", 0, 0, wsf0, -1},
      {"scfsi with short blocks", 0, 0b1010, shortb, -1},
      {"short blocks alone", 0, 0, shortb, 0},
      {"main data in an earlier frame", 1, 0, zero, -1},
  };
  for (const Case& c : cases) {
    DecoderBox d;
    Granule grs[2] = {c.g0, zero};
    Bytes bad =
        make_frame(HDR_L3_MONO, L3_128_FRAME, mono_side_info(c.main_data_begin, c.scfsi, grs));
    EXPECT_EQ(decode_all(d.get(), bad), c.expect) << c.name;
    // The frame was consumed either way; a good frame after it decodes.
    Bytes out;
    EXPECT_EQ(decode_all(d.get(), make_frame(HDR_L3_MONO, L3_128_FRAME), &out), 0) << c.name;
    EXPECT_EQ(out.size(), 2304u) << c.name;
  }
}

// A joint-stereo frame whose right channel carries no lines: one line of the
// left channel (x = 1 in table 1, code "01" and a plus sign), and for the right
// channel the scale factors of bands 0..10 (3 bits each) as intensity positions.
Bytes joint_frame(int mode_ext, int right_position) {
  Granule left;
  left.part2_3 = 3, left.big_values = 1, left.global_gain = 170, left.tsel[0] = 1;
  Granule right;
  if (right_position >= 0) right.part2_3 = 33, right.sfc = 4;  // slen 3 and 0
  Granule zero;
  BitWriter w;
  w.put(0, 9);
  w.put(0, 3);
  w.put(0, 8);
  put_granule(w, left);
  put_granule(w, right);
  put_granule(w, zero);
  put_granule(w, zero);
  w.put(0b010, 3);
  if (right_position >= 0)
    for (int b = 0; b < 11; b++) w.put(uint32_t(right_position), 3);
  return make_frame(0xFFFB9040u | uint32_t(mode_ext) << 4, L3_128_FRAME, w.bytes());
}

std::vector<int16_t> decode_pcm(const Bytes& frame) {
  DecoderBox d;
  Bytes out;
  EXPECT_EQ(decode_all(d.get(), frame, &out), 0);
  return to_samples(std::string(out.begin(), out.end()));
}

TEST(Mp3Decoder, JointStereoMovesTheLeftLinesAsCoded) {
  std::vector<int16_t> plain = decode_pcm(joint_frame(0, -1));
  ASSERT_EQ(plain.size(), 2304u);
  int loud = 0;
  for (size_t i = 0; i < plain.size(); i += 2) {
    EXPECT_EQ(plain[i + 1], 0);
    loud = std::max(loud, std::abs(int(plain[i])));
  }
  ASSERT_GT(loud, 10);
  // Position 0: tan 0 = 0, everything goes right; position 6: tan(pi/2), left.
  std::vector<int16_t> to_right = decode_pcm(joint_frame(1, 0));
  std::vector<int16_t> to_left = decode_pcm(joint_frame(1, 6));
  // Position 7 is illegal: the band stays as decoded.
  std::vector<int16_t> illegal = decode_pcm(joint_frame(1, 7));
  std::vector<int16_t> ms = decode_pcm(joint_frame(2, -1));
  for (size_t i = 0; i < plain.size(); i += 2) {
    EXPECT_EQ(to_right[i], 0) << i;
    EXPECT_EQ(to_right[i + 1], plain[i]) << i;
    EXPECT_EQ(to_left[i], plain[i]) << i;
    EXPECT_EQ(to_left[i + 1], 0) << i;
    EXPECT_EQ(illegal[i], plain[i]) << i;
    EXPECT_EQ(illegal[i + 1], 0) << i;
    // Mid/side with no side signal: both channels are mid / sqrt(2).
    EXPECT_EQ(ms[i], ms[i + 1]) << i;
    EXPECT_NEAR(ms[i], plain[i] / std::sqrt(2.0), 1.0) << i;
  }
}

// The MPEG-2 form at 22.05 kHz, 64 kbit/s (208-byte frames): the right
// channel's scale-factor selection 216 gives intensity scale 0 and 3-bit
// positions for bands 0..6.
Bytes lsf_joint_frame(int mode_ext, int right_position) {
  BitWriter w;
  w.put(0, 8);
  w.put(0, 2);
  auto granule = [&](int part2_3, int big_values, int sfc, int table) {
    w.put(uint32_t(part2_3), 12);
    w.put(uint32_t(big_values), 9);
    w.put(190, 8);
    w.put(uint32_t(sfc), 9);
    w.put(0, 1);
    w.put(uint32_t(table), 5);
    w.put(0, 10 + 7 + 2);
  };
  granule(3, 1, 0, 1);
  if (right_position >= 0)
    granule(21, 0, 216, 0);
  else
    granule(0, 0, 0, 0);
  w.put(0b010, 3);
  if (right_position >= 0)
    for (int b = 0; b < 7; b++) w.put(uint32_t(right_position), 3);
  return make_frame(0xFFF38040u | uint32_t(mode_ext) << 4, 208, w.bytes());
}

TEST(Mp3Decoder, Mpeg2IntensityPositions) {
  std::vector<int16_t> plain = decode_pcm(lsf_joint_frame(0, -1));
  ASSERT_EQ(plain.size(), 1152u);
  int loud = 0;
  for (size_t i = 0; i < plain.size(); i += 2) loud = std::max(loud, std::abs(int(plain[i])));
  ASSERT_GT(loud, 10);
  std::vector<int16_t> both = decode_pcm(lsf_joint_frame(1, 0));       // k = 1 for both
  std::vector<int16_t> right_low = decode_pcm(lsf_joint_frame(1, 2));  // right 2^-1/4
  std::vector<int16_t> illegal = decode_pcm(lsf_joint_frame(1, 7));    // 2^3 - 1
  for (size_t i = 0; i < plain.size(); i += 2) {
    EXPECT_EQ(both[i], plain[i]) << i;
    EXPECT_EQ(both[i + 1], plain[i]) << i;
    EXPECT_EQ(right_low[i], plain[i]) << i;
    EXPECT_NEAR(right_low[i + 1], plain[i] * std::pow(2.0, -0.25), 1.0) << i;
    EXPECT_EQ(illegal[i], plain[i]) << i;
    EXPECT_EQ(illegal[i + 1], 0) << i;
  }
}

TEST(Mp3Decoder, MixedBlockLongPartDecodesLikeALongBlock) {
  // One line (x = 1, table 1) in subband 0, which a mixed block transforms
  // with the normal long window: the result equals that of a long block.
  Granule long_block;
  long_block.part2_3 = 3, long_block.big_values = 1, long_block.global_gain = 200;
  long_block.tsel[0] = 1;
  Granule mixed = long_block;
  mixed.wsf = 1, mixed.block_type = 2, mixed.mixed = 1;
  Granule shortb = mixed;
  shortb.mixed = 0;
  Granule zero;
  auto frame = [&](const Granule& g) {
    Granule grs[2] = {g, zero};
    Bytes body = mono_side_info(0, 0, grs);
    body.push_back(0x40);  // "010": the code of (1, 0) and a plus sign
    return make_frame(HDR_L3_MONO, L3_128_FRAME, body);
  };
  std::vector<int16_t> a = decode_pcm(frame(long_block));
  std::vector<int16_t> b = decode_pcm(frame(mixed));
  std::vector<int16_t> c = decode_pcm(frame(shortb));
  ASSERT_EQ(a.size(), 1152u);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);  // short windows shape the same line differently
  EXPECT_GT(*std::max_element(a.begin(), a.end()), 10);
}

TEST(Mp3Decoder, ReadByteWalksTheFedBlocks) {
  DecoderBox d;
  Bytes pcm(MP3DEC_OUT_MIN);
  int done;
  const unsigned char a[] = {0xFF, 0x01};
  const unsigned char b[] = {0x02};
  // Two bytes are not a header yet: both stay buffered.
  EXPECT_EQ(mp3dec_decode(d.get(), a, 2, pcm.data(), int(pcm.size()), &done), 1);
  EXPECT_EQ(mp3dec_decode(d.get(), b, 1, pcm.data(), int(pcm.size()), &done), 1);
  EXPECT_EQ(mp3dec_read_byte(d.get()), 0xFF);
  EXPECT_EQ(mp3dec_read_byte(d.get()), 0x01);
  EXPECT_EQ(mp3dec_read_byte(d.get()), 0x02);
  EXPECT_EQ(mp3dec_read_byte(d.get()), -1);
}

// ------------------------------------------------------------ against mpg123

bool have_tools() {
  return std::system(
             "command -v lame >/dev/null 2>&1 && command -v twolame >/dev/null 2>&1 && "
             "command -v mpg123 >/dev/null 2>&1") == 0;
}

enum class Signal { MIX, NOISE };

// Sines of different pitch left and right, clicks every quarter second (they
// force short blocks), a burst of noise and a stretch of silence; or noise.
std::vector<int16_t> make_pcm(int rate, int channels, double seconds, Signal kind) {
  std::mt19937 rng(12345);
  std::uniform_real_distribution<double> noise(-1.0, 1.0);
  const int n = int(rate * seconds);
  std::vector<int16_t> pcm;
  pcm.reserve(size_t(n * channels));
  const double two_pi = 6.283185307179586;
  for (int i = 0; i < n; i++) {
    double t = double(i) / rate;
    double l = 0, r = 0;
    if (kind == Signal::MIX) {
      l = 0.25 * std::sin(two_pi * 440 * t) + 0.08 * std::sin(two_pi * 2900 * t);
      r = 0.25 * std::sin(two_pi * 587 * t + 1.0) + 0.05 * std::sin(two_pi * 5100 * t);
      if (i % (rate / 4) < rate / 1000) l += 0.3 * noise(rng), r -= 0.3;
      if (t > 0.55 && t < 0.7) l += 0.15 * noise(rng), r += 0.15 * noise(rng);
      if (t > 0.8 && t < 0.9) l = r = 0;
    } else if (kind == Signal::NOISE) {
      l = 0.35 * noise(rng);
      r = 0.35 * noise(rng);
    }
    pcm.push_back(int16_t(std::lround(l * 32767)));
    if (channels == 2) pcm.push_back(int16_t(std::lround(r * 32767)));
  }
  return pcm;
}

// Decodes a whole file fed in pieces of varying size, as the player does.
std::vector<int16_t> decode_file(const std::string& data, int* errors) {
  DecoderBox d;
  std::vector<int16_t> out;
  Bytes pcm(MP3DEC_OUT_MIN);
  std::mt19937 rng(7);
  size_t pos = 0;
  *errors = 0;
  for (int guard = 0; guard < 1000000; guard++) {
    int done = 0;
    int r = mp3dec_decode(d.get(), nullptr, 0, pcm.data(), int(pcm.size()), &done);
    if (r == 1) {
      if (pos >= data.size()) break;
      size_t n = std::min<size_t>(data.size() - pos, 1 + rng() % 1500);
      r = mp3dec_decode(d.get(), reinterpret_cast<const unsigned char*>(data.data()) + pos, int(n),
                        pcm.data(), int(pcm.size()), &done);
      pos += n;
    }
    if (r < 0) (*errors)++;
    if (r == 0) {
      size_t old = out.size();
      out.resize(old + size_t(done) / 2);
      std::memcpy(out.data() + old, pcm.data(), size_t(done));
    }
  }
  return out;
}

struct EncodedCase {
  const char* name;
  int rate;
  int channels;
  Signal signal;
  std::string encoder;    // command line with IN and OUT standing for the files
  int tag_frame_samples;  // PCM samples of a leading Xing/LAME info frame, 0 when untagged
};

std::ostream& operator<<(std::ostream& os, const EncodedCase& c) {
  return os << c.name;
}

std::string lame_cmd(const std::string& opts, double khz, bool mono_in = false) {
  char rate[32];
  std::snprintf(rate, sizeof rate, "%g", khz);
  return std::string("lame --quiet -r --signed --little-endian --bitwidth 16 -s ") + rate +
         (mono_in ? " -m m " : " ") + opts + " IN OUT";
}
std::string twolame_cmd(const std::string& opts, int rate, int channels) {
  return "twolame --quiet -r -s " + std::to_string(rate) + " -N " + std::to_string(channels) + " " +
         opts + " IN OUT";
}

const EncodedCase ENCODED_CASES[] = {
    {"l3_stereo_tagged", 44100, 2, Signal::MIX, lame_cmd("-m s -b 128", 44.1), 2304},
    {"l3_joint", 44100, 2, Signal::MIX, lame_cmd("-m j -t", 44.1), 0},
    {"l3_mono", 44100, 1, Signal::MIX, lame_cmd("-t", 44.1, true), 0},
    {"l3_48k", 44100, 2, Signal::MIX, lame_cmd("-m j -t --resample 48", 44.1), 0},
    {"l3_32k", 44100, 2, Signal::MIX, lame_cmd("-m j -t --resample 32", 44.1), 0},
    {"l3_22k", 44100, 2, Signal::MIX, lame_cmd("-m j -t --resample 22.05", 44.1), 0},
    {"l3_11k", 44100, 2, Signal::MIX, lame_cmd("-m j -t --resample 11.025", 44.1), 0},
    {"l3_8k", 44100, 2, Signal::MIX, lame_cmd("-m j -t --resample 8", 44.1), 0},
    {"l3_mono_22k_tagged", 22050, 1, Signal::MIX, lame_cmd("-b 64", 22.05, true), 576},
    {"l3_crc", 44100, 2, Signal::MIX, lame_cmd("-m j -t -p", 44.1), 0},
    {"l3_vbr_tagged", 44100, 2, Signal::MIX, lame_cmd("-m j -V 2", 44.1), 2304},
    {"l3_vbr_24k", 24000, 2, Signal::MIX, lame_cmd("-m j -t -V 5", 24), 0},
    {"l3_32kbit", 44100, 2, Signal::MIX, lame_cmd("-m j -t -b 32", 44.1), 0},
    {"l3_noise", 44100, 2, Signal::NOISE, lame_cmd("-m j -t -b 192", 44.1), 0},
    {"l2_stereo", 44100, 2, Signal::MIX, twolame_cmd("-m s -b 192", 44100, 2), 0},
    {"l2_joint", 44100, 2, Signal::MIX, twolame_cmd("-m j -b 128", 44100, 2), 0},
    {"l2_dual", 44100, 2, Signal::MIX, twolame_cmd("-m d -b 192", 44100, 2), 0},
    {"l2_mono", 44100, 1, Signal::MIX, twolame_cmd("-m m -b 96", 44100, 1), 0},
    {"l2_crc", 44100, 2, Signal::MIX, twolame_cmd("-m j -p -b 160", 44100, 2), 0},
    {"l2_48k_112", 48000, 2, Signal::MIX, twolame_cmd("-m s -b 112", 48000, 2), 0},
    {"l2_32k_384", 32000, 2, Signal::NOISE, twolame_cmd("-m s -b 384", 32000, 2), 0},
    {"l2_22k_joint", 22050, 2, Signal::MIX, twolame_cmd("-m j -b 64", 22050, 2), 0},
    {"l2_24k_mono", 24000, 1, Signal::MIX, twolame_cmd("-m m -b 48", 24000, 1), 0},
};

class Mp3AgainstReference : public ::testing::TestWithParam<EncodedCase> {};

TEST_P(Mp3AgainstReference, WithinTwoLsbAndOneLsbRms) {
  if (!have_tools()) GTEST_SKIP() << "lame, twolame or mpg123 missing";
  const EncodedCase& c = GetParam();
  TempDir tmp;
  std::vector<int16_t> pcm = make_pcm(c.rate, c.channels, 1.1, c.signal);
  TempDir::write("in.raw", std::string(reinterpret_cast<const char*>(pcm.data()), pcm.size() * 2));
  std::string cmd = c.encoder;
  cmd.replace(cmd.find("IN"), 2, "in.raw");
  cmd.replace(cmd.find("OUT"), 3, "out.bin");
  ASSERT_EQ(std::system((cmd + " 2>/dev/null").c_str()), 0) << cmd;
  ASSERT_EQ(std::system("mpg123 -q --no-gapless -s out.bin > ref.raw 2>/dev/null"), 0);
  std::vector<int16_t> ref = to_samples(TempDir::read("ref.raw"));
  ASSERT_GT(ref.size(), 1000u);

  int errors = 0;
  std::vector<int16_t> ours = decode_file(TempDir::read("out.bin"), &errors);
  EXPECT_EQ(errors, 0);
  // mpg123 does not play the info frame of a tagged file; it decodes to silence here.
  ASSERT_EQ(ours.size(), ref.size() + size_t(c.tag_frame_samples));
  for (int i = 0; i < c.tag_frame_samples; i++) ASSERT_EQ(ours[size_t(i)], 0);

  double sq = 0;
  int worst = 0;
  size_t worst_at = 0;
  for (size_t i = 0; i < ref.size(); i++) {
    int diff = std::abs(int(ours[i + size_t(c.tag_frame_samples)]) - int(ref[i]));
    sq += double(diff) * diff;
    if (diff > worst) worst = diff, worst_at = i;
  }
  EXPECT_LE(worst, 2) << "at sample " << worst_at;
  EXPECT_LE(std::sqrt(sq / double(ref.size())), 1.0);
}

INSTANTIATE_TEST_SUITE_P(Encoded, Mp3AgainstReference, ::testing::ValuesIn(ENCODED_CASES),
                         [](const ::testing::TestParamInfo<EncodedCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
