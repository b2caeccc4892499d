#pragma once
// Constant tables of the MPEG audio decoder (see mp3dec_tables.cpp).

#include <cstdint>

namespace mp3tab {

struct HuffSource {
  const uint16_t* codes;  // code word per value, x major
  const uint8_t* lens;    // code length per value
  int dim;                // values per axis (the count1 table uses 4 for 16 quadruples)
};
constexpr int HUFF_SOURCE_COUNT = 16;
constexpr int HUFF_SOURCE_COUNT1_A = 15;
extern const HuffSource HUFF_SOURCES[HUFF_SOURCE_COUNT];

struct HuffSelect {
  int8_t source;  // index into HUFF_SOURCES, -1 for none
  uint8_t linbits;
};
extern const HuffSelect HUFF_SELECT[32];

extern const int16_t SFB_LONG[9][23];
extern const int16_t SFB_SHORT[9][14];
extern const uint8_t PRETAB[22];
extern const uint8_t SLEN_MPEG1[2][16];
extern const uint8_t LSF_SFB_COUNT[6][3][4];
extern const int16_t BITRATE_KBPS[2][3][16];  // [lsf][layer-1][index]
extern const int32_t SAMPLE_RATES[9];

struct QuantClass {
  int32_t steps;
  int8_t bits;
  bool grouped;
};
extern const QuantClass L2_CLASSES[17];

struct L2AllocRow {
  int8_t nbal;
  int8_t cls[15];  // class for allocation value 1..15
};
struct L2AllocTable {
  int sblimit;
  const L2AllocRow* const* rows;
};
extern const L2AllocTable L2_TABLES[5];  // 11172-3 B.2a..d, then 13818-3 B.1

extern const int32_t SYNTH_PROTOTYPE[257];

}  // namespace mp3tab
