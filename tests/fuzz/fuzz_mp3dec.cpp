// Arbitrary bytes fed to the MPEG audio decoder in arbitrary pieces. The first
// bytes choose the piece sizes and whether an error re-initialises the
// decoder (as the player does) or decoding simply goes on.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "audio/mp3dec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const unsigned pattern = data[0] | unsigned(data[1]) << 8;
  const bool reinit_on_error = data[2] & 1;
  data += 3;
  size -= 3;
  static std::unique_ptr<Mp3Decoder> dec = std::make_unique<Mp3Decoder>();
  mp3dec_init(dec.get());
  std::vector<unsigned char> pcm(MP3DEC_OUT_MIN);
  size_t pos = 0;
  unsigned step = 0;
  for (int guard = 0; guard < 100000; guard++) {
    int done = 0;
    int r = mp3dec_decode(dec.get(), nullptr, 0, pcm.data(), int(pcm.size()), &done);
    if (r == 1) {
      if (pos >= size) break;
      size_t n = 1 + ((pattern >> (step++ % 13)) & 0x7ff);
      if (n > size - pos) n = size - pos;
      r = mp3dec_decode(dec.get(), data + pos, int(n), pcm.data(), int(pcm.size()), &done);
      pos += n;
    }
    if (r == 0 && (done < 0 || done > int(pcm.size()))) __builtin_trap();
    if (r < 0 && reinit_on_error) {
      mp3dec_exit(dec.get());
      mp3dec_init(dec.get());
    }
  }
  mp3dec_exit(dec.get());
  return 0;
}
