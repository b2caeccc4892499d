// MPEG audio Layer II and Layer III decoder, written from ISO/IEC 11172-3 and
// 13818-3. Each frame runs through the standard's stages in order; the tables
// that can be computed are built once, the first time a decoder is set up.

#include "audio/mp3dec.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "audio/mp3dec_tables.h"

namespace {

using namespace mp3tab;

constexpr double MP3_PI = 3.14159265358979323846;

// The filter bank and the inverse MDCT are most of the work: where the
// compiler can, they get a second version for AVX2 machines, chosen at load.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define MP3_HOT __attribute__((target_clones("avx2", "default")))
#else
#define MP3_HOT
#endif
constexpr int MP3_POW43_MAX = 15 + 8191;  // largest value with 13 linbits
constexpr int MP3_POW2Q_OFFSET = 512;     // 2^(e/4) for e in -512..63
constexpr int MP3_POW2Q_SIZE = 576;

// ---------------------------------------------------------------- shared tables

struct HuffEntry {
  int32_t val;  // leaf: value (x << 4 | y, or the count1 quadruple); else subtable offset
  uint8_t len;  // leaf: whole code length; 0 in an unused slot
  uint8_t sub;  // width of the subtable, 0 for a leaf
};
struct HuffLut {
  std::vector<HuffEntry> entries;
  int bits = 0;
};

HuffLut g_huff[HUFF_SOURCE_COUNT];
double g_pow43[MP3_POW43_MAX + 1];
double g_pow2q[MP3_POW2Q_SIZE];
double g_synth_window[512];    // the synthesis window, scaled to 16-bit output
double g_imdct_window[4][36];  // by block type; 2 is the 12-point short window
double g_imdct_pre[18];        // 2 cos(pi (2k+1) / 72)
double g_imdct_lee[9];         // 0.5 / cos(pi (2k+1) / 36)
double g_dct9[9][5];           // 9-point DCT-II by symmetric input pairs
double g_cos12[6][12];         // [k][i]
double g_alias_cs[8], g_alias_ca[8];
double g_is_mpeg1[7][2];
double g_is_lsf[2][32][2];
double g_l2_scale[64];
double g_dct_fac32[16], g_dct_fac16[8], g_dct_fac8[4], g_dct_fac4[2], g_dct_fac2[1];

void build_huffman(int src, HuffLut& lut) {
  const HuffSource& s = HUFF_SOURCES[src];
  const bool quad = src == HUFF_SOURCE_COUNT1_A;
  const int n = quad ? 16 : s.dim * s.dim;
  int maxlen = 0;
  for (int i = 0; i < n; i++)
    if (s.lens[i] > maxlen) maxlen = s.lens[i];
  const int w = maxlen < 8 ? maxlen : 8;
  lut.bits = w;
  lut.entries.assign(size_t(1) << w, HuffEntry{0, 0, 0});
  auto value_of = [&](int i) { return quad ? i : ((i / s.dim) << 4) | (i % s.dim); };
  for (int i = 0; i < n; i++) {
    int len = s.lens[i];
    if (len > w) continue;
    int first = s.codes[i] << (w - len);
    for (int r = 0; r < (1 << (w - len)); r++)
      lut.entries[first + r] = HuffEntry{value_of(i), uint8_t(len), 0};
  }
  for (int p = 0; p < (1 << w); p++) {
    int groupmax = 0;
    for (int i = 0; i < n; i++) {
      int len = s.lens[i];
      if (len > w && (s.codes[i] >> (len - w)) == p && len > groupmax) groupmax = len;
    }
    if (!groupmax) continue;
    int sub = groupmax - w;
    int base = int(lut.entries.size());
    lut.entries.resize(lut.entries.size() + (size_t(1) << sub), HuffEntry{0, 0, 0});
    lut.entries[p] = HuffEntry{base, 0, uint8_t(sub)};
    for (int i = 0; i < n; i++) {
      int len = s.lens[i];
      if (len <= w || (s.codes[i] >> (len - w)) != p) continue;
      int rest = s.codes[i] & ((1 << (len - w)) - 1);
      int first = base + (rest << (sub - (len - w)));
      for (int r = 0; r < (1 << (sub - (len - w))); r++)
        lut.entries[first + r] = HuffEntry{value_of(i), uint8_t(len), 0};
    }
  }
}

void build_tables_once() {
  for (int i = 0; i < HUFF_SOURCE_COUNT; i++) build_huffman(i, g_huff[i]);
  for (int i = 0; i <= MP3_POW43_MAX; i++) g_pow43[i] = std::pow(double(i), 4.0 / 3.0);
  for (int i = 0; i < MP3_POW2Q_SIZE; i++) g_pow2q[i] = std::pow(2.0, (i - MP3_POW2Q_OFFSET) / 4.0);
  for (int i = 0; i < 512; i++) {
    double h = SYNTH_PROTOTYPE[i <= 256 ? i : 512 - i] / 65536.0;
    g_synth_window[i] = ((i >> 6) & 1 ? -h : h) * 32767.0;
  }
  for (int i = 0; i < 36; i++) {
    double sine = std::sin(MP3_PI / 36 * (i + 0.5));
    g_imdct_window[0][i] = sine;
    g_imdct_window[1][i] = i < 18   ? sine
                           : i < 24 ? 1.0
                           : i < 30 ? std::sin(MP3_PI / 12 * (i - 18 + 0.5))
                                    : 0.0;
    g_imdct_window[3][i] = i < 6    ? 0.0
                           : i < 12 ? std::sin(MP3_PI / 12 * (i - 6 + 0.5))
                           : i < 18 ? 1.0
                                    : sine;
    g_imdct_window[2][i] = i < 12 ? std::sin(MP3_PI / 12 * (i + 0.5)) : 0.0;
  }
  for (int k = 0; k < 18; k++) g_imdct_pre[k] = 2.0 * std::cos(MP3_PI * (2 * k + 1) / 72);
  for (int k = 0; k < 9; k++) g_imdct_lee[k] = 0.5 / std::cos(MP3_PI * (2 * k + 1) / 36);
  for (int m = 0; m < 9; m++)
    for (int k = 0; k < 5; k++) g_dct9[m][k] = std::cos(MP3_PI * (2 * k + 1) * m / 18);
  for (int k = 0; k < 6; k++)
    for (int i = 0; i < 12; i++) g_cos12[k][i] = std::cos(MP3_PI / 24 * (2 * i + 7) * (2 * k + 1));
  static const double ALIAS_C[8] = {-0.6, -0.535, -0.33, -0.185, -0.095, -0.041, -0.0142, -0.0037};
  for (int i = 0; i < 8; i++) {
    double sq = std::sqrt(1.0 + ALIAS_C[i] * ALIAS_C[i]);
    g_alias_cs[i] = 1.0 / sq;
    g_alias_ca[i] = ALIAS_C[i] / sq;
  }
  for (int p = 0; p < 7; p++) {
    double a = p * MP3_PI / 12;
    double sn = std::sin(a), cs = std::cos(a);
    g_is_mpeg1[p][0] = sn / (sn + cs);
    g_is_mpeg1[p][1] = cs / (sn + cs);
  }
  for (int sc = 0; sc < 2; sc++) {
    double io = sc ? std::sqrt(0.5) : std::pow(2.0, -0.25);
    for (int p = 0; p < 32; p++) {
      double kl = 1.0, kr = 1.0;
      if (p & 1)
        kl = std::pow(io, (p + 1) / 2);
      else if (p)
        kr = std::pow(io, p / 2);
      g_is_lsf[sc][p][0] = kl;
      g_is_lsf[sc][p][1] = kr;
    }
  }
  for (int i = 0; i < 64; i++) g_l2_scale[i] = std::pow(2.0, 1.0 - i / 3.0);
  auto facs = [](double* f, int n) {
    for (int k = 0; k < n / 2; k++) f[k] = 0.5 / std::cos(MP3_PI * (2 * k + 1) / (2.0 * n));
  };
  facs(g_dct_fac32, 32);
  facs(g_dct_fac16, 16);
  facs(g_dct_fac8, 8);
  facs(g_dct_fac4, 4);
  facs(g_dct_fac2, 2);
}

// A function-local static makes the one-time build safe even if decoders are
// set up from two threads.
void build_tables() {
  static const bool built = (build_tables_once(), true);
  (void)built;
}

// ---------------------------------------------------------------- bit reading

// Reads big-endian bits; past the end of its buffer it reads zeros, so corrupt
// lengths can make a frame wrong but never make a read leave the buffer.
struct BitReader {
  const unsigned char* buf;
  size_t cap;  // bytes that may be read
  size_t pos;  // bit position

  uint32_t peek32() const {
    size_t b = pos >> 3;
    uint32_t w;
    if (b + 4 <= cap) {
      w = uint32_t(buf[b]) << 24 | uint32_t(buf[b + 1]) << 16 | uint32_t(buf[b + 2]) << 8 |
          uint32_t(buf[b + 3]);
    } else {
      w = 0;
      for (size_t i = 0; i < 4; i++) w = w << 8 | (b + i < cap ? buf[b + i] : 0u);
    }
    return w << (pos & 7);
  }
  uint32_t get(int n) {
    if (n <= 0) return 0;
    uint32_t v = peek32() >> (32 - n);
    pos += size_t(n);
    return v;
  }
  int huff(const HuffLut& t) {
    uint32_t w = peek32();
    const HuffEntry* e = &t.entries[w >> (32 - t.bits)];
    if (e->sub) e = &t.entries[size_t(e->val) + ((w << t.bits) >> (32 - e->sub))];
    if (!e->len) return -1;
    pos += e->len;
    return e->val;
  }
};

// ---------------------------------------------------------------- synthesis

template <int N>
struct Dct;
template <>
struct Dct<1> {
  static inline void run(const double* x, double* out, const double*) { out[0] = x[0]; }
};

inline const double* dct_factors(int n) {
  switch (n) {
    case 32:
      return g_dct_fac32;
    case 16:
      return g_dct_fac16;
    case 8:
      return g_dct_fac8;
    case 4:
      return g_dct_fac4;
    default:
      return g_dct_fac2;
  }
}

// Unnormalised DCT-II, out[m] = sum x[k] cos(pi (2k+1) m / 2N), by even/odd
// splitting (Lee): halves the size at each level.
template <int N>
struct Dct {
  static inline void run(const double* x, double* out, const double* f) {
    constexpr int H = N / 2;
    double a[H], b[H], ea[H], eb[H];
    for (int k = 0; k < H; k++) {
      a[k] = x[k] + x[N - 1 - k];
      b[k] = (x[k] - x[N - 1 - k]) * f[k];
    }
    const double* fh = dct_factors(H);
    Dct<H>::run(a, ea, fh);
    Dct<H>::run(b, eb, fh);
    for (int m = 0; m < H - 1; m++) {
      out[2 * m] = ea[m];
      out[2 * m + 1] = eb[m] + eb[m + 1];
    }
    out[N - 2] = ea[H - 1];
    out[N - 1] = eb[H - 1];
  }
};

inline int16_t clip_sample(double v) {
  if (v >= 32767.0) return 32767;
  if (v <= -32768.0) return -32768;
  return int16_t(v);  // truncates toward zero
}

// One step of the polyphase filter bank: 32 subband samples in, 32 PCM samples
// out, `stride` apart. `pos` is the ring slot of the newest V block; older
// blocks follow it.
MP3_HOT void synth_step(Mp3Decoder* dec, int ch, int pos, const double* sb, int16_t* out,
                        int stride) {
  double(*buf)[64] = dec->synth_buf[ch];
  double a[32];
  Dct<32>::run(sb, a, g_dct_fac32);
  double* v = buf[pos];
  for (int n = 0; n < 16; n++) v[n] = a[n + 16];
  v[16] = 0.0;
  for (int n = 17; n < 48; n++) v[n] = -a[48 - n];
  for (int n = 48; n < 64; n++) v[n] = -a[n - 48];
  double acc[32] = {};
  for (int i = 0; i < 8; i++) {
    const double* b0 = buf[(pos + 2 * i) & 15];
    const double* b1 = buf[(pos + 2 * i + 1) & 15] + 32;
    const double* d0 = g_synth_window + 64 * i;
    const double* d1 = d0 + 32;
    for (int j = 0; j < 32; j++) acc[j] += d0[j] * b0[j] + d1[j] * b1[j];
  }
  for (int j = 0; j < 32; j++) out[j * stride] = clip_sample(acc[j]);
}

// Each channel keeps its own ring of V blocks; they advance together, so the
// slot of step t from now is shared.
inline int synth_slot(const Mp3Decoder* dec, int t) {
  return (dec->synth_offset - 1 - t) & 15;
}
void synth_advance(Mp3Decoder* dec, int steps) {
  dec->synth_offset = (dec->synth_offset - steps) & 15;
}

// ---------------------------------------------------------------- input list

bool push_input(Mp3Decoder* dec, const unsigned char* in, int len) {
  auto* blk = static_cast<Mp3InputBlock*>(std::malloc(sizeof(Mp3InputBlock)));
  if (!blk) return false;
  blk->data = static_cast<unsigned char*>(std::malloc(size_t(len)));
  if (!blk->data) {
    std::free(blk);
    return false;
  }
  std::memcpy(blk->data, in, size_t(len));
  blk->size = len;
  blk->pos = 0;
  blk->next = nullptr;
  blk->prev = dec->tail;
  if (dec->tail)
    dec->tail->next = blk;
  else
    dec->head = blk;
  dec->tail = blk;
  dec->bytes_left += len;
  return true;
}

void drop_head(Mp3Decoder* dec) {
  Mp3InputBlock* blk = dec->head;
  dec->head = blk->next;
  if (dec->head)
    dec->head->prev = nullptr;
  else
    dec->tail = nullptr;
  std::free(blk->data);
  std::free(blk);
}

// Moves `len` buffered bytes to `dst` (or drops them when `dst` is null).
void read_input(Mp3Decoder* dec, unsigned char* dst, int len) {
  while (len > 0 && dec->head) {
    Mp3InputBlock* blk = dec->head;
    int n = blk->size - blk->pos;
    if (n > len) n = len;
    if (dst) {
      std::memcpy(dst, blk->data + blk->pos, size_t(n));
      dst += n;
    }
    blk->pos += n;
    dec->bytes_left -= n;
    len -= n;
    if (blk->pos >= blk->size) drop_head(dec);
  }
}

// ---------------------------------------------------------------- Layer III

struct GranuleInfo {
  int part2_3_length;
  int big_values;
  int global_gain;
  int scalefac_compress;
  int window_switching;
  int block_type;
  int mixed;
  int table_select[3];
  int subblock_gain[3];
  int region1_start;
  int region2_start;
  int preflag;
  int scalefac_scale;
  int count1_table;
};

struct SideInfo {
  int main_data_begin;
  int scfsi[2][4];
  GranuleInfo gr[2][2];
};

struct ScaleFactors {
  int l[22];
  int s[13][3];
  int max_l[22];  // largest value per band: the illegal intensity position (MPEG-2)
  int max_s[13];
};

// Lines [0, 36) of a mixed block are long; the short part starts at this band.
int mixed_short_start(int si) {
  int s = 0;
  while (s < 13 && SFB_SHORT[si][s] * 3 < 36) s++;
  return s;
}
int mixed_long_end(int si) {
  int b = 0;
  while (b < 22 && SFB_LONG[si][b + 1] <= 36) b++;
  return b;
}

int read_granule_info(BitReader& br, GranuleInfo& g, int lsf, int si) {
  g.part2_3_length = int(br.get(12));
  g.big_values = int(br.get(9));
  if (g.big_values > 288) return -1;
  g.global_gain = int(br.get(8));
  g.scalefac_compress = int(br.get(lsf ? 9 : 4));
  g.window_switching = int(br.get(1));
  if (g.window_switching) {
    g.block_type = int(br.get(2));
    g.mixed = int(br.get(1));
    g.table_select[0] = int(br.get(5));
    g.table_select[1] = int(br.get(5));
    g.table_select[2] = 0;
    for (int w = 0; w < 3; w++) g.subblock_gain[w] = int(br.get(3));
    if (g.block_type == 0) return -1;  // reserved with window switching
    if (g.block_type == 2 && !g.mixed)
      g.region1_start = SFB_SHORT[si][3] * 3;
    else
      g.region1_start = SFB_LONG[si][8];
    g.region2_start = 576;
  } else {
    g.block_type = 0;
    g.mixed = 0;
    for (int r = 0; r < 3; r++) g.table_select[r] = int(br.get(5));
    for (int w = 0; w < 3; w++) g.subblock_gain[w] = 0;
    int r0 = int(br.get(4));
    int r1 = int(br.get(3));
    if (r0 + r1 + 2 > 22) return -1;
    g.region1_start = SFB_LONG[si][r0 + 1];
    g.region2_start = SFB_LONG[si][r0 + r1 + 2];
  }
  g.preflag = lsf ? 0 : int(br.get(1));
  g.scalefac_scale = int(br.get(1));
  g.count1_table = int(br.get(1));
  return 0;
}

int read_side_info(Mp3Decoder* dec, SideInfo& si, int crc_len) {
  const Mp3FrameInfo& fr = dec->fr;
  BitReader br{dec->side + crc_len, sizeof(dec->side) - size_t(crc_len), 0};
  int nch = fr.stereo;
  if (fr.lsf) {
    si.main_data_begin = int(br.get(8));
    br.get(nch == 1 ? 1 : 2);
    for (int ch = 0; ch < nch; ch++)
      if (read_granule_info(br, si.gr[0][ch], 1, fr.sampling_index) < 0) return -1;
  } else {
    si.main_data_begin = int(br.get(9));
    br.get(nch == 1 ? 5 : 3);
    for (int ch = 0; ch < nch; ch++)
      for (int b = 0; b < 4; b++) si.scfsi[ch][b] = int(br.get(1));
    for (int gr = 0; gr < 2; gr++)
      for (int ch = 0; ch < nch; ch++)
        if (read_granule_info(br, si.gr[gr][ch], 0, fr.sampling_index) < 0) return -1;
  }
  return 0;
}

void read_scalefactors_mpeg1(BitReader& br, const GranuleInfo& g, const int* scfsi, int gr,
                             ScaleFactors& sf) {
  int slen1 = SLEN_MPEG1[0][g.scalefac_compress];
  int slen2 = SLEN_MPEG1[1][g.scalefac_compress];
  if (g.block_type == 2) {
    int first_short = 0;
    if (g.mixed) {
      for (int b = 0; b < 8; b++) sf.l[b] = int(br.get(slen1));
      first_short = 3;
    }
    for (int b = first_short; b < 12; b++)
      for (int w = 0; w < 3; w++) sf.s[b][w] = int(br.get(b < 6 ? slen1 : slen2));
    for (int w = 0; w < 3; w++) sf.s[12][w] = 0;
    return;
  }
  static const int GROUP_START[5] = {0, 6, 11, 16, 21};
  for (int grp = 0; grp < 4; grp++) {
    if (gr == 1 && scfsi[grp]) continue;  // kept from the first granule
    for (int b = GROUP_START[grp]; b < GROUP_START[grp + 1]; b++)
      sf.l[b] = int(br.get(grp < 2 ? slen1 : slen2));
  }
  sf.l[21] = 0;
}

// The MPEG-2 forms; returns the preflag they imply.
int read_scalefactors_lsf(BitReader& br, const GranuleInfo& g, bool intensity_channel,
                          ScaleFactors& sf) {
  int slen[4] = {0, 0, 0, 0};
  int form, preflag = 0;
  int sfc = g.scalefac_compress;
  if (!intensity_channel) {
    if (sfc < 400) {
      slen[0] = (sfc >> 4) / 5;
      slen[1] = (sfc >> 4) % 5;
      slen[2] = (sfc & 15) >> 2;
      slen[3] = sfc & 3;
      form = 0;
    } else if (sfc < 500) {
      int s = sfc - 400;
      slen[0] = (s >> 2) / 5;
      slen[1] = (s >> 2) % 5;
      slen[2] = s & 3;
      form = 1;
    } else {
      int s = sfc - 500;
      slen[0] = s / 3;
      slen[1] = s % 3;
      form = 2;
      preflag = 1;
    }
  } else {
    int s = sfc >> 1;
    if (s < 180) {
      slen[0] = s / 36;
      slen[1] = (s % 36) / 6;
      slen[2] = (s % 36) % 6;
      form = 3;
    } else if (s < 244) {
      s -= 180;
      slen[0] = (s & 63) >> 4;
      slen[1] = (s & 15) >> 2;
      slen[2] = s & 3;
      form = 4;
    } else {
      s -= 244;
      slen[0] = s / 3;
      slen[1] = s % 3;
      form = 5;
    }
  }
  int kind = g.block_type == 2 ? (g.mixed ? 2 : 1) : 0;
  int k = 0;
  for (int grp = 0; grp < 4; grp++) {
    int count = LSF_SFB_COUNT[form][kind][grp];
    int maxv = (1 << slen[grp]) - 1;
    for (int n = 0; n < count; n++, k++) {
      int v = int(br.get(slen[grp]));
      if (kind == 0) {
        if (k < 21) sf.l[k] = v, sf.max_l[k] = maxv;
      } else if (kind == 2 && k < 6) {
        sf.l[k] = v;
        sf.max_l[k] = maxv;
      } else {
        int u = kind == 2 ? k - 6 : k;
        int b = (kind == 2 ? 3 : 0) + u / 3;
        if (b < 12) sf.s[b][u % 3] = v, sf.max_s[b] = maxv;
      }
    }
  }
  // The last band has no scale factor of its own; intensity stereo reuses the
  // one below it.
  sf.l[21] = 0;
  sf.max_l[21] = sf.max_l[20];
  for (int w = 0; w < 3; w++) sf.s[12][w] = 0;
  sf.max_s[12] = sf.max_s[11];
  return preflag;
}

// Huffman decoding of one granule and channel into `q`; returns the count of
// lines up to the last non-zero one, or -1 for a corrupt code.
int decode_huffman(BitReader& br, const GranuleInfo& g, size_t end, int* q) {
  int big_end = g.big_values * 2;
  int bounds[4] = {0, g.region1_start < big_end ? g.region1_start : big_end,
                   g.region2_start < big_end ? g.region2_start : big_end, big_end};
  if (bounds[2] < bounds[1]) bounds[2] = bounds[1];
  for (int r = 0; r < 3; r++) {
    int from = bounds[r], to = bounds[r + 1];
    if (from >= to) continue;
    const HuffSelect& sel = HUFF_SELECT[g.table_select[r]];
    if (sel.source < 0) {
      if (g.table_select[r] != 0) return -1;  // tables 4 and 14 are not defined
      std::memset(q + from, 0, sizeof(int) * size_t(to - from));
      continue;
    }
    const HuffLut& lut = g_huff[int(sel.source)];
    const int linbits = sel.linbits;
    for (int i = from; i < to; i += 2) {
      if (br.pos > end) return -1;
      int v = br.huff(lut);
      if (v < 0) return -1;
      int x = v >> 4, y = v & 15;
      if (linbits && x == 15) x += int(br.get(linbits));
      if (x && br.get(1)) x = -x;
      if (linbits && y == 15) y += int(br.get(linbits));
      if (y && br.get(1)) y = -y;
      q[i] = x;
      q[i + 1] = y;
    }
  }
  if (br.pos > end) return -1;
  int i = big_end;
  const HuffLut& quad = g_huff[HUFF_SOURCE_COUNT1_A];
  while (i + 4 <= 576 && br.pos < end) {
    int v = g.count1_table ? int(15 - br.get(4)) : br.huff(quad);
    if (v < 0) return -1;
    int vals[4];
    for (int b = 0; b < 4; b++) {
      int a = (v >> (3 - b)) & 1;
      vals[b] = a && br.get(1) ? -1 : a;
    }
    if (br.pos > end) break;  // a quadruple that overruns the part is dropped
    for (int b = 0; b < 4; b++) q[i + b] = vals[b];
    i += 4;
  }
  if (i < 576) std::memset(q + i, 0, sizeof(int) * size_t(576 - i));
  while (i > 0 && q[i - 1] == 0) i--;
  return i;
}

// Signs of coded values are as good as random: no branch on them.
inline double requant(int v, double gain) {
  return std::copysign(g_pow43[v < 0 ? -v : v] * gain, double(v));
}

inline double pow2q(int e) {
  int idx = e + MP3_POW2Q_OFFSET;
  if (idx < 0) return 0.0;
  if (idx >= MP3_POW2Q_SIZE) idx = MP3_POW2Q_SIZE - 1;
  return g_pow2q[idx];
}

// Dequantises the lines [0, nz) in stream order (short bands window by window).
void dequantize(const GranuleInfo& g, const ScaleFactors& sf, int si, const int* q, int nz,
                double* xr) {
  std::memset(xr, 0, sizeof(double) * 576);
  const int shift = 1 + g.scalefac_scale;
  const int base = g.global_gain - 210;
  int long_end = 22;
  int short_from = 13;
  if (g.block_type == 2) {
    long_end = g.mixed ? mixed_long_end(si) : 0;
    short_from = g.mixed ? mixed_short_start(si) : 0;
  }
  for (int b = 0; b < long_end; b++) {
    int from = SFB_LONG[si][b], to = SFB_LONG[si][b + 1];
    if (from >= nz) return;
    if (to > nz) to = nz;
    int pre = g.preflag ? PRETAB[b] : 0;
    double gain = pow2q(base - ((sf.l[b] + pre) << shift));
    for (int i = from; i < to; i++) xr[i] = requant(q[i], gain);
  }
  for (int b = short_from; b < 13; b++) {
    int start = SFB_SHORT[si][b] * 3;
    int width = SFB_SHORT[si][b + 1] - SFB_SHORT[si][b];
    if (start >= nz) return;
    for (int w = 0; w < 3; w++) {
      double gain = pow2q(base - 8 * g.subblock_gain[w] - (sf.s[b][w] << shift));
      int from = start + w * width, to = from + width;
      if (to > nz) to = nz;
      for (int i = from; i < to; i++) xr[i] = requant(q[i], gain);
    }
  }
}

inline void mid_side(double* l, double* r, int from, int to) {
  static const double INV_SQRT2 = 0.70710678118654752440;
  for (int i = from; i < to; i++) {
    double m = l[i], s = r[i];
    l[i] = (m + s) * INV_SQRT2;
    r[i] = (m - s) * INV_SQRT2;
  }
}

struct StereoCtx {
  double* l;
  double* r;
  bool ms;
  bool lsf;
  int is_scale;  // MPEG-2 intensity scale
};

// Intensity stereo for the lines [from, to) at position `pos`, or mid/side
// (when on) for an illegal position.
void intensity_band(const StereoCtx& c, int from, int to, int pos, bool legal) {
  if (!legal) {
    if (c.ms) mid_side(c.l, c.r, from, to);
    return;
  }
  double kl, kr;
  if (c.lsf) {
    int p = pos < 32 ? pos : 31;
    kl = g_is_lsf[c.is_scale][p][0];
    kr = g_is_lsf[c.is_scale][p][1];
  } else {
    kl = g_is_mpeg1[pos][0];
    kr = g_is_mpeg1[pos][1];
  }
  for (int i = from; i < to; i++) {
    double v = c.l[i];
    c.l[i] = v * kl;
    c.r[i] = v * kr;
  }
}

bool band_nonzero(const double* x, int from, int to) {
  for (int i = from; i < to; i++)
    if (x[i] != 0.0) return true;
  return false;
}

// Joint stereo with intensity positions taken from the right channel.
void intensity_stereo(const StereoCtx& c, const GranuleInfo& g, const ScaleFactors& sf, int si) {
  auto legal = [&](int pos, int maxv) { return c.lsf ? pos != maxv : pos < 7; };
  int long_end = 22;
  bool long_is = true;
  if (g.block_type == 2) {
    int s0 = g.mixed ? mixed_short_start(si) : 0;
    long_end = g.mixed ? mixed_long_end(si) : 0;
    for (int w = 0; w < 3; w++) {
      int last = s0 - 1;  // last band of this window with right-channel data
      for (int b = s0; b < 13; b++) {
        int width = SFB_SHORT[si][b + 1] - SFB_SHORT[si][b];
        int from = SFB_SHORT[si][b] * 3 + w * width;
        if (band_nonzero(c.r, from, from + width)) last = b;
      }
      if (last >= s0) long_is = false;
      for (int b = s0; b < 13; b++) {
        int width = SFB_SHORT[si][b + 1] - SFB_SHORT[si][b];
        int from = SFB_SHORT[si][b] * 3 + w * width;
        if (b <= last) {
          if (c.ms) mid_side(c.l, c.r, from, from + width);
        } else {
          int sb = b < 12 ? b : 11;
          int pos = sf.s[sb][w];
          intensity_band(c, from, from + width, pos, legal(pos, sf.max_s[b]));
        }
      }
    }
  }
  if (long_end == 0) return;
  int last = -1;
  if (long_is) {
    for (int b = 0; b < long_end; b++)
      if (band_nonzero(c.r, SFB_LONG[si][b], SFB_LONG[si][b + 1])) last = b;
  } else {
    last = long_end - 1;
  }
  for (int b = 0; b < long_end; b++) {
    int from = SFB_LONG[si][b], to = SFB_LONG[si][b + 1];
    if (b <= last) {
      if (c.ms) mid_side(c.l, c.r, from, to);
    } else {
      int lb = b < 21 ? b : 20;
      int pos = sf.l[lb];
      intensity_band(c, from, to, pos, legal(pos, sf.max_l[b]));
    }
  }
}

// Short-block lines from stream order (band, window, line) to (band, line,
// window), so that each subband holds its 6 lines of each window interleaved.
void reorder_short(const GranuleInfo& g, int si, double* xr) {
  double tmp[576];
  int s0 = g.mixed ? mixed_short_start(si) : 0;
  for (int b = s0; b < 13; b++) {
    int start = SFB_SHORT[si][b] * 3;
    int width = SFB_SHORT[si][b + 1] - SFB_SHORT[si][b];
    for (int w = 0; w < 3; w++)
      for (int f = 0; f < width; f++) tmp[start + 3 * f + w] = xr[start + w * width + f];
  }
  int from = SFB_SHORT[si][s0] * 3;
  std::memcpy(xr + from, tmp + from, sizeof(double) * size_t(576 - from));
}

void alias_reduce(double* xr, int limit_sb) {
  for (int sb = 1; sb < limit_sb; sb++) {
    double* hi = xr + 18 * sb;
    double* lo = hi - 1;
    for (int i = 0; i < 8; i++) {
      double a = lo[-i], b = hi[i];
      lo[-i] = a * g_alias_cs[i] - b * g_alias_ca[i];
      hi[i] = b * g_alias_cs[i] + a * g_alias_ca[i];
    }
  }
}

// 18-point DCT-IV, Y[n] = sum X[k] cos(pi (2n+1)(2k+1) / 72): pre-scaled by
// 2 cos(pi (2k+1) / 72) it becomes a DCT-II whose neighbouring outputs sum to
// the DCT-IV's; the DCT-II is split once (Lee) into two 9-point ones, and
// those pair their inputs symmetrically.
inline void dct9(const double* a, double* out) {
  double s[4], d[4];
  for (int k = 0; k < 4; k++) {
    s[k] = a[k] + a[8 - k];
    d[k] = a[k] - a[8 - k];
  }
  for (int m = 0; m < 9; m += 2) {
    const double* c = g_dct9[m];
    out[m] = s[0] * c[0] + s[1] * c[1] + s[2] * c[2] + s[3] * c[3] + a[4] * c[4];
  }
  for (int m = 1; m < 9; m += 2) {
    const double* c = g_dct9[m];
    out[m] = d[0] * c[0] + d[1] * c[1] + d[2] * c[2] + d[3] * c[3];
  }
}

void dct4_18(const double* x, double* y) {
  double a[9], b[9], ea[9], eb[9];
  for (int k = 0; k < 9; k++) {
    double u0 = x[k] * g_imdct_pre[k];
    double u1 = x[17 - k] * g_imdct_pre[17 - k];
    a[k] = u0 + u1;
    b[k] = (u0 - u1) * g_imdct_lee[k];
  }
  dct9(a, ea);
  dct9(b, eb);
  double v[18];
  for (int m = 0; m < 8; m++) {
    v[2 * m] = ea[m];
    v[2 * m + 1] = eb[m] + eb[m + 1];
  }
  v[16] = ea[8];
  v[17] = eb[8];
  y[0] = v[0] * 0.5;
  for (int n = 1; n < 18; n++) y[n] = v[n] - y[n - 1];
}

void imdct_long(const double* x, const double* win, double* prev, double* out) {
  double y[18];
  dct4_18(x, y);
  // The 36 outputs are the DCT-IV's, mirrored and negated.
  double z[36];
  for (int i = 0; i < 9; i++) z[i] = y[i + 9];
  for (int i = 9; i < 27; i++) z[i] = -y[26 - i];
  for (int i = 27; i < 36; i++) z[i] = -y[i - 27];
  for (int t = 0; t < 18; t++) {
    out[t] = z[t] * win[t] + prev[t];
    prev[t] = z[18 + t] * win[18 + t];
  }
}

void imdct_short(const double* x, double* prev, double* out) {
  double z[36] = {};
  const double* win = g_imdct_window[2];
  for (int w = 0; w < 3; w++) {
    double y[12] = {};
    for (int k = 0; k < 6; k++) {
      double xk = x[3 * k + w];
      for (int i = 0; i < 12; i++) y[i] += xk * g_cos12[k][i];
    }
    for (int i = 0; i < 12; i++) z[6 + 6 * w + i] += y[i] * win[i];
  }
  for (int t = 0; t < 18; t++) {
    out[t] = z[t] + prev[t];
    prev[t] = z[18 + t];
  }
}

// Alias reduction, inverse MDCT with overlap-add and frequency inversion:
// spectral lines in, subband samples out as sbs[time][subband].
MP3_HOT void hybrid(Mp3Decoder* dec, int ch, const GranuleInfo& g, int si, double* xr, int nz,
                    double (*sbs)[32]) {
  if (g.block_type == 2) reorder_short(g, si, xr);
  int alias_sb = (nz + 8 + 17) / 18;
  if (alias_sb > 32) alias_sb = 32;
  if (g.block_type != 2)
    alias_reduce(xr, alias_sb);
  else if (g.mixed)
    alias_reduce(xr, alias_sb < 2 ? alias_sb : 2);
  int active = (nz + 8 + 17) / 18;
  if (g.block_type == 2 && nz > 0) {
    // Reordering moves lines within their band: count whole bands.
    int b = 0;
    while (b < 12 && SFB_SHORT[si][b + 1] * 3 < nz) b++;
    int end = SFB_SHORT[si][b + 1] * 3;
    if (g.mixed && end < 36 + 8) end = 36 + 8;
    active = (end + 17) / 18;
  }
  if (active > 32) active = 32;
  double out[18];
  for (int sb = 0; sb < 32; sb++) {
    double* prev = dec->overlap[ch] + 18 * sb;
    if (sb >= active) {
      for (int t = 0; t < 18; t++) out[t] = prev[t];
      std::memset(prev, 0, sizeof(double) * 18);
    } else {
      int bt = (g.mixed && sb < 2) ? 0 : g.block_type;
      if (bt == 2)
        imdct_short(xr + 18 * sb, prev, out);
      else
        imdct_long(xr + 18 * sb, g_imdct_window[bt], prev, out);
    }
    if (sb & 1)
      for (int t = 1; t < 18; t += 2) out[t] = -out[t];
    for (int t = 0; t < 18; t++) sbs[t][sb] = out[t];
  }
}

int decode_layer3(Mp3Decoder* dec, unsigned char* outbuf) {
  const Mp3FrameInfo& fr = dec->fr;
  const int nch = fr.stereo;
  const int si_idx = fr.sampling_index;
  const int crc_len = fr.error_protection ? 2 : 0;
  SideInfo si;
  std::memset(&si, 0, sizeof(si));
  if (read_side_info(dec, si, crc_len) < 0) return -1;
  if (si.main_data_begin > dec->main_start) return -1;  // reservoir does not reach back
  const int ngr = fr.lsf ? 1 : 2;
  if (!fr.lsf) {
    for (int ch = 0; ch < nch; ch++) {
      bool any = si.scfsi[ch][0] | si.scfsi[ch][1] | si.scfsi[ch][2] | si.scfsi[ch][3];
      if (any && (si.gr[0][ch].block_type == 2 || si.gr[1][ch].block_type == 2)) return -1;
    }
  }
  BitReader md{dec->bsbuf[dec->bsnum], size_t(MP3DEC_BUF_SIZE),
               size_t(dec->main_start - si.main_data_begin) * 8};
  const size_t md_end = size_t(dec->main_len) * 8;
  const bool ms = fr.mode == 1 && (fr.mode_ext & 2);
  const bool is = fr.mode == 1 && (fr.mode_ext & 1);
  int16_t* out = reinterpret_cast<int16_t*>(outbuf);
  ScaleFactors sf[2];
  std::memset(sf, 0, sizeof(sf));
  int q[576];
  double xr[2][576];
  double sbs[18][32];
  for (int gr = 0; gr < ngr; gr++) {
    int nz[2] = {0, 0};
    for (int ch = 0; ch < nch; ch++) {
      GranuleInfo& g = si.gr[gr][ch];
      size_t start = md.pos;
      size_t end = start + size_t(g.part2_3_length);
      if (end > md_end) return -1;
      if (fr.lsf)
        g.preflag = read_scalefactors_lsf(md, g, is && ch == 1, sf[ch]);
      else
        read_scalefactors_mpeg1(md, g, si.scfsi[ch], gr, sf[ch]);
      if (md.pos > end) return -1;
      int n = decode_huffman(md, g, end, q);
      if (n < 0) return -1;
      md.pos = end;
      nz[ch] = n;
      dequantize(g, sf[ch], si_idx, q, n, xr[ch]);
    }
    if (nch == 2 && (ms || is)) {
      int n = nz[0] > nz[1] ? nz[0] : nz[1];
      if (is) {
        StereoCtx c{xr[0], xr[1], ms, fr.lsf != 0, si.gr[gr][1].scalefac_compress & 1};
        intensity_stereo(c, si.gr[gr][1], sf[1], si_idx);
        n = 576;
      } else {
        mid_side(xr[0], xr[1], 0, n);
      }
      nz[0] = nz[1] = n;
    }
    for (int ch = 0; ch < nch; ch++) {
      hybrid(dec, ch, si.gr[gr][ch], si_idx, xr[ch], nz[ch], sbs);
      int16_t* o = out + gr * 576 * nch + ch;
      for (int t = 0; t < 18; t++)
        synth_step(dec, ch, synth_slot(dec, t), sbs[t], o + t * 32 * nch, nch);
    }
    synth_advance(dec, 18);
  }
  return ngr * 576 * nch * 2;
}

// ---------------------------------------------------------------- Layer II

int layer2_table(const Mp3FrameInfo& fr) {
  if (fr.lsf) return 4;
  int rate = SAMPLE_RATES[fr.sampling_index];
  int per_ch = BITRATE_KBPS[0][1][fr.bitrate_index] / (fr.stereo == 2 ? 2 : 1);
  if ((rate == 48000 && per_ch >= 56) || (per_ch >= 56 && per_ch <= 80)) return 0;
  if (rate != 48000 && per_ch >= 96) return 1;
  if (rate != 32000 && per_ch <= 48) return 2;
  return 3;
}

int decode_layer2(Mp3Decoder* dec, unsigned char* outbuf) {
  const Mp3FrameInfo& fr = dec->fr;
  const int nch = fr.stereo;
  const L2AllocTable& table = L2_TABLES[layer2_table(fr)];
  const int sblimit = table.sblimit;
  int bound = sblimit;
  if (fr.mode == 1) {
    bound = (fr.mode_ext + 1) * 4;
    if (bound > sblimit) bound = sblimit;
  }
  BitReader br{dec->bsbuf[dec->bsnum], size_t(MP3DEC_BUF_SIZE),
               size_t(fr.error_protection ? 16 : 0)};
  int alloc[2][32] = {};
  for (int sb = 0; sb < sblimit; sb++) {
    int nbal = table.rows[sb]->nbal;
    if (sb < bound) {
      for (int ch = 0; ch < nch; ch++) alloc[ch][sb] = int(br.get(nbal));
    } else {
      alloc[0][sb] = alloc[1][sb] = int(br.get(nbal));
    }
  }
  int scfsi[2][32] = {};
  for (int sb = 0; sb < sblimit; sb++)
    for (int ch = 0; ch < nch; ch++)
      if (alloc[ch][sb]) scfsi[ch][sb] = int(br.get(2));
  double scale[2][32][3] = {};
  for (int sb = 0; sb < sblimit; sb++)
    for (int ch = 0; ch < nch; ch++) {
      if (!alloc[ch][sb]) continue;
      int a, b, c;
      switch (scfsi[ch][sb]) {
        case 0:
          a = int(br.get(6)), b = int(br.get(6)), c = int(br.get(6));
          break;
        case 1:
          a = b = int(br.get(6)), c = int(br.get(6));
          break;
        case 2:
          a = b = c = int(br.get(6));
          break;
        default:
          a = int(br.get(6)), b = c = int(br.get(6));
          break;
      }
      scale[ch][sb][0] = g_l2_scale[a];
      scale[ch][sb][1] = g_l2_scale[b];
      scale[ch][sb][2] = g_l2_scale[c];
    }
  int16_t* out = reinterpret_cast<int16_t*>(outbuf);
  double smp[2][3][32];
  for (int gr = 0; gr < 12; gr++) {
    std::memset(smp, 0, sizeof(smp));
    const int part = gr >> 2;
    for (int sb = 0; sb < sblimit; sb++) {
      int chans = sb < bound ? nch : 1;
      for (int ch = 0; ch < chans; ch++) {
        int a = alloc[ch][sb];
        if (!a) continue;
        const QuantClass& qc = L2_CLASSES[int(table.rows[sb]->cls[a - 1])];
        int codes[3];
        if (qc.grouped) {
          int c = int(br.get(qc.bits));
          for (int s = 0; s < 3; s++) {
            codes[s] = c % qc.steps;
            c /= qc.steps;
          }
        } else {
          for (int s = 0; s < 3; s++) codes[s] = int(br.get(qc.bits));
        }
        for (int s = 0; s < 3; s++) {
          double v = double(2 * codes[s] - (qc.steps - 1)) / qc.steps;
          if (sb < bound) {
            smp[ch][s][sb] = v * scale[ch][sb][part];
          } else {
            for (int c2 = 0; c2 < nch; c2++) smp[c2][s][sb] = v * scale[c2][sb][part];
          }
        }
      }
    }
    for (int s = 0; s < 3; s++) {
      for (int ch = 0; ch < nch; ch++)
        synth_step(dec, ch, synth_slot(dec, 0), smp[ch][s], out + (gr * 3 + s) * 32 * nch + ch,
                   nch);
      synth_advance(dec, 1);
    }
  }
  return 1152 * nch * 2;
}

// ---------------------------------------------------------------- header

int decode_header(uint32_t h, Mp3FrameInfo& fr) {
  if ((h & 0xFFE00000u) != 0xFFE00000u) return -1;
  int v20 = int(h >> 20) & 1, v19 = int(h >> 19) & 1;
  if (!v20 && v19) return -1;  // reserved version
  int layer_field = int(h >> 17) & 3;
  int bitrate_index = int(h >> 12) & 15;
  int sf_field = int(h >> 10) & 3;
  if (layer_field == 0 || bitrate_index == 15 || sf_field == 3) return -1;
  std::memset(&fr, 0, sizeof(fr));
  fr.lsf = v20 ? !v19 : 1;
  fr.mpeg25 = !v20;
  fr.layer = 4 - layer_field;
  fr.error_protection = !((h >> 16) & 1);
  fr.bitrate_index = bitrate_index;
  fr.sampling_index = fr.mpeg25 ? 6 + sf_field : 3 * fr.lsf + sf_field;
  fr.padding = int(h >> 9) & 1;
  fr.private_bit = int(h >> 8) & 1;
  fr.mode = int(h >> 6) & 3;
  fr.mode_ext = int(h >> 4) & 3;
  fr.copyright = int(h >> 3) & 1;
  fr.original = int(h >> 2) & 1;
  fr.emphasis = int(h) & 3;
  fr.stereo = fr.mode == 3 ? 1 : 2;
  if (bitrate_index == 0) return -1;  // free format
  if (fr.layer == 1) return -1;
  int kbps = BITRATE_KBPS[fr.lsf][fr.layer - 1][bitrate_index];
  int freq = SAMPLE_RATES[fr.sampling_index];
  if (fr.layer == 2) {
    fr.framesize = kbps * 144000 / freq + fr.padding - 4;
    fr.decode = decode_layer2;
  } else {
    fr.framesize = kbps * 144000 / (freq << fr.lsf) + fr.padding - 4;
    fr.decode = decode_layer3;
  }
  if (fr.framesize <= 0 || fr.framesize > MP3DEC_BODY_MAX) return -1;
  return 0;
}

// Moves the frame body into the buffer not used last. Layer III main data is
// placed right behind the reservoir bytes carried over from the previous
// buffer; the CRC and side information go to `side`.
int load_frame(Mp3Decoder* dec, int size) {
  const Mp3FrameInfo& fr = dec->fr;
  int next = dec->bsnum ^ 1;
  unsigned char* dst = dec->bsbuf[next];
  if (fr.layer == 2) {
    read_input(dec, dst, size);
    std::memset(dst + size, 0, MP3DEC_BUF_PAD);
    dec->bsnum = next;
    dec->main_len = 0;
    dec->main_start = 0;
    return 0;
  }
  int crc_len = fr.error_protection ? 2 : 0;
  int side_len = fr.lsf ? (fr.stereo == 1 ? 9 : 17) : (fr.stereo == 1 ? 17 : 32);
  if (size < crc_len + side_len) {
    read_input(dec, nullptr, size);
    dec->main_len = dec->main_start = 0;
    return -1;
  }
  std::memset(dec->side, 0, sizeof(dec->side));
  read_input(dec, dec->side, crc_len + side_len);
  int keep = dec->main_len < MP3DEC_RESERVOIR_MAX ? dec->main_len : MP3DEC_RESERVOIR_MAX;
  std::memmove(dst, dec->bsbuf[dec->bsnum] + dec->main_len - keep, size_t(keep));
  int md_len = size - crc_len - side_len;
  read_input(dec, dst + keep, md_len);
  std::memset(dst + keep + md_len, 0, MP3DEC_BUF_PAD);
  dec->bsnum = next;
  dec->main_start = keep;
  dec->main_len = keep + md_len;
  return 0;
}

}  // namespace

int mp3dec_init(Mp3Decoder* dec) {
  std::memset(dec, 0, sizeof(*dec));
  dec->framesize_pending = 0;
  dec->framesize_prev = -1;
  dec->synth_offset = 1;
  dec->down_sample_sblimit = 32;
  build_tables();
  return 1;
}

void mp3dec_exit(Mp3Decoder* dec) {
  if (!dec) return;
  while (dec->head) drop_head(dec);
  dec->bytes_left = 0;
}

int mp3dec_read_byte(Mp3Decoder* dec) {
  if (!dec->head) return -1;
  Mp3InputBlock* blk = dec->head;
  int b = blk->data[blk->pos++];
  dec->bytes_left--;
  if (blk->pos >= blk->size) drop_head(dec);
  return b;
}

int mp3dec_decode(Mp3Decoder* dec, const unsigned char* in, int len, unsigned char* out,
                  int out_size, int* done) {
  if (done) *done = 0;
  if (!dec || !out || out_size < MP3DEC_OUT_MIN || len < 0) return -1;
  if (in && len > 0 && !push_input(dec, in, len)) return -1;
  if (dec->framesize_pending == 0) {
    if (dec->bytes_left < 4) return 1;
    uint32_t h = 0;
    for (int i = 0; i < 4; i++) h = h << 8 | uint32_t(mp3dec_read_byte(dec));
    Mp3FrameInfo fr;
    if (decode_header(h, fr) < 0) return -1;
    dec->fr = fr;
    dec->header = h;
    dec->framesize_pending = fr.framesize;
  }
  if (dec->bytes_left < dec->framesize_pending) return 1;
  int size = dec->framesize_pending;
  dec->framesize_pending = 0;
  dec->framesize_prev = size;
  if (load_frame(dec, size) < 0) return -1;
  int n = dec->fr.decode(dec, out);
  if (n < 0) return -1;
  if (done) *done = n;
  return 0;
}
