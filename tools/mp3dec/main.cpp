// mp3dec: decodes an MPEG audio file (Layer II or III) to raw signed 16-bit
// PCM in machine byte order, on standard output or into a file.
//
//   mp3dec [-v] [-c chunk] input.mp3 [output.raw]
//
// -v prints the stream format and the count of bad frames to standard error;
// -c sets the size of the pieces the file is fed in (default 4096 bytes).

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "audio/mp3dec.h"

namespace {

int usage() {
  std::fprintf(stderr, "usage: mp3dec [-v] [-c chunk] input.mp3 [output.raw]\n");
  return 2;
}

bool read_file(const char* path, std::vector<unsigned char>& data) {
  FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  unsigned char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof(buf), f)) > 0) data.insert(data.end(), buf, buf + n);
  std::fclose(f);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  bool verbose = false;
  long chunk = 4096;
  std::vector<const char*> files;
  for (int i = 1; i < argc; i++) {
    if (!std::strcmp(argv[i], "-v")) {
      verbose = true;
    } else if (!std::strcmp(argv[i], "-c") && i + 1 < argc) {
      chunk = std::strtol(argv[++i], nullptr, 10);
      if (chunk < 1 || chunk > (1L << 24)) return usage();
    } else if (argv[i][0] == '-' && argv[i][1]) {
      return usage();
    } else {
      files.push_back(argv[i]);
    }
  }
  if (files.empty() || files.size() > 2) return usage();
  std::vector<unsigned char> data;
  if (!read_file(files[0], data)) {
    std::fprintf(stderr, "mp3dec: cannot read %s\n", files[0]);
    return 1;
  }
  FILE* out = stdout;
  if (files.size() == 2 && !(out = std::fopen(files[1], "wb"))) {
    std::fprintf(stderr, "mp3dec: cannot write %s\n", files[1]);
    return 1;
  }
  auto dec = std::make_unique<Mp3Decoder>();
  mp3dec_init(dec.get());
  std::vector<unsigned char> pcm(MP3DEC_OUT_MIN);
  size_t pos = 0;
  long frames = 0, errors = 0;
  bool reported = false;
  for (;;) {
    int done = 0;
    int r = mp3dec_decode(dec.get(), nullptr, 0, pcm.data(), int(pcm.size()), &done);
    if (r == 1) {
      if (pos >= data.size()) break;
      size_t n = data.size() - pos < size_t(chunk) ? data.size() - pos : size_t(chunk);
      r = mp3dec_decode(dec.get(), data.data() + pos, int(n), pcm.data(), int(pcm.size()), &done);
      pos += n;
    }
    if (r < 0) {
      errors++;
      continue;
    }
    if (r == 0) {
      if (verbose && !reported) {
        static const int RATES[9] = {44100, 48000, 32000, 22050, 24000, 16000, 11025, 12000, 8000};
        std::fprintf(stderr, "mp3dec: layer %d, %d Hz, %d channel(s)\n", dec->fr.layer,
                     RATES[dec->fr.sampling_index], dec->fr.stereo);
        reported = true;
      }
      frames++;
      if (std::fwrite(pcm.data(), 1, size_t(done), out) != size_t(done)) {
        std::fprintf(stderr, "mp3dec: write failed\n");
        return 1;
      }
    }
  }
  if (out != stdout) std::fclose(out);
  if (verbose) std::fprintf(stderr, "mp3dec: %ld frames, %ld bad\n", frames, errors);
  mp3dec_exit(dec.get());
  return 0;
}
