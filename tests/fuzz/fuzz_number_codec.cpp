// Base-222 numbers arrive in server messages: any byte text must decode
// without undefined behaviour, and every int must survive a round trip.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/number_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  int v = decode_number(text);
  if (decode_number(text.c_str()) != v) abort();

  int light, health, number;
  char alignment;
  bool large;
  unpack_fov_status(text, light, health, alignment, large, number);
  if (light < -2 || light > 13 || health < 0 || health > 127 || number < 0 || number > 0xFFFF)
    abort();
  if (!strchr("genpsf", alignment)) abort();

  if (size >= 4) {
    int32_t n;
    memcpy(&n, data, sizeof n);
    std::string enc = encode_number(n);
    if (enc.empty() || enc.size() > 5 || decode_number(enc) != n) abort();
    if (pack_fov_status(light, health, alignment, large, number) !=
        pack_fov_status(light, health, alignment, large, number))
      abort();
  }
  return 0;
}
