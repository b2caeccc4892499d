#include "core/compression.h"

#include <zlib.h>

#include <vector>

#include "core/log.h"

namespace {

// Inputs at or above this size are refused before decompressing.
constexpr size_t INFLATE_MAX_IN = 999999;

}  // namespace

std::string deflate(const std::string& in) {
  FunctionTrace ft("deflate");
  uLongf out_len = compressBound(uLong(in.size()));
  std::vector<Bytef> out(out_len);
  int rc = compress2(out.data(), &out_len, reinterpret_cast<const Bytef*>(in.data()),
                     uLong(in.size()), Z_BEST_COMPRESSION);
  if (rc != Z_OK) {
    if (rc == Z_BUF_ERROR)
      writelog("deflate error: buffer not big enough");
    else
      writelog("deflate error: other %d", rc);
    return std::string();
  }
  ft.printf("in=[%zu] out=[%lu]", in.size(), (unsigned long)out_len);
  return std::string(reinterpret_cast<const char*>(out.data()), out_len);
}

std::string inflate(const std::string& in, size_t max_out) {
  FunctionTrace ft("inflate");
  if (in.size() > INFLATE_MAX_IN) {
    writelog("source packet is way too big!");
    return std::string();
  }
  if (in.empty()) {
    writelog("source packet empty!");
    return std::string();
  }
  // Streamed in chunks so that a small message costs a small buffer; the
  // outcome is that of uncompress() into max_out bytes.
  z_stream zs{};
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  zs.avail_in = uInt(in.size());
  int rc = inflateInit(&zs);
  std::string out;
  while (rc == Z_OK) {
    Bytef chunk[16384];
    zs.next_out = chunk;
    zs.avail_out = sizeof chunk;
    rc = ::inflate(&zs, Z_NO_FLUSH);
    size_t have = sizeof chunk - zs.avail_out;
    if (out.size() + have > max_out) {
      out.append(reinterpret_cast<const char*>(chunk), max_out - out.size());
      rc = Z_BUF_ERROR;
      break;
    }
    out.append(reinterpret_cast<const char*>(chunk), have);
    // No progress with room left: the input ended inside the stream.
    if (rc == Z_BUF_ERROR || rc == Z_NEED_DICT) rc = Z_DATA_ERROR;
  }
  inflateEnd(&zs);
  if (rc != Z_STREAM_END) {
    writelog("decompression error %d ... destlen was %zu, src size was %zu", rc, out.size(),
             in.size());
    return std::string();
  }
  ft.printf("rc=%d in=[%zu] out=[%zu]", Z_OK, in.size(), out.size());
  return out;
}
