#include "display/font_file.h"

#include <allegro.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <vector>

namespace {

// Fonts are small; a longer unpacked file is not one of ours.
constexpr size_t FONT_FILE_MAX = 32u << 20;
constexpr size_t READ_STEP = 64u << 10;
// The obsolete fixed and proportional formats hold the 95 printable ASCII
// characters; the current one holds ranges of any code points.
constexpr int OLD_FORMAT_GLYPHS = 95;
constexpr int64_t LAST_CODE_POINT = 0x10FFFF;

// Big-endian reads that fail, instead of reading on, at the end of the data.
class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool u8(uint32_t& v) { return take(1, v); }
  bool u16(uint32_t& v) { return take(2, v); }
  bool u32(uint32_t& v) { return take(4, v); }
  bool skip(uint64_t n) {
    if (n > size_ - pos_) return false;
    pos_ += static_cast<size_t>(n);
    return true;
  }
  const uint8_t* here() const { return data_ + pos_; }
  size_t left() const { return size_ - pos_; }
  size_t pos() const { return pos_; }

 private:
  bool take(int n, uint32_t& v) {
    if (static_cast<size_t>(n) > size_ - pos_) return false;
    v = 0;
    for (int i = 0; i < n; ++i) v = (v << 8) | data_[pos_++];
    return true;
  }
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

int32_t as_signed(uint32_t v) { return static_cast<int32_t>(v); }

// Bytes of one pixel of a colour glyph by its colour depth (15 and 16 bits
// as one 16-bit word, 24 and 32 as three bytes of red, green and blue); 0
// for a depth the format does not have.
int colour_bytes(uint32_t depth) {
  switch (depth) {
    case 8: return 1;
    case 15:
    case 16: return 2;
    case 24:
    case 32: return 3;
    default: return 0;
  }
}

bool glyphs_complete(Reader& r, int64_t count, int bytes_per_pixel) {
  for (int64_t i = 0; i < count; ++i) {
    uint32_t w = 0, h = 0;
    if (!r.u16(w) || !r.u16(h) || w == 0 || h == 0) return false;
    const uint64_t row = bytes_per_pixel == 0 ? (w + 7) / 8 : uint64_t{w} * bytes_per_pixel;
    if (!r.skip(row * h)) return false;
  }
  return true;
}

bool same_name(const uint8_t* text, size_t size, const char* name) {
  if (size != std::strlen(name)) return false;
  for (size_t i = 0; i < size; ++i)
    if (std::tolower(text[i]) != std::tolower(static_cast<unsigned char>(name[i]))) return false;
  return true;
}

// The file's contents after its magic number, unpacked when it is packed.
bool read_unpacked(const char* path, std::vector<uint8_t>& out) {
  PACKFILE* f = pack_fopen(path, F_READ_PACKED);
  if (!f) return false;
  out.clear();
  bool ok = true;
  for (;;) {
    const size_t at = out.size();
    out.resize(at + READ_STEP);
    const long n = pack_fread(out.data() + at, static_cast<long>(READ_STEP), f);
    out.resize(at + static_cast<size_t>(n > 0 ? n : 0));
    if (n < static_cast<long>(READ_STEP)) break;
    if (out.size() > FONT_FILE_MAX) {
      ok = false;
      break;
    }
  }
  if (pack_ferror(f)) ok = false;
  pack_fclose(f);
  return ok;
}

// An object stored compressed, unpacked by the library's own chunk reader
// from the unpacked file position of its size fields. Its packed bytes are
// known to be all there.
bool read_packed_object(const char* path, size_t at, uint32_t unpacked, std::vector<uint8_t>& out) {
  if (unpacked > FONT_FILE_MAX) return false;
  PACKFILE* f = pack_fopen(path, F_READ_PACKED);
  if (!f) return false;
  bool ok = false;
  if (pack_fseek(f, static_cast<int>(at)) == 0) {
    if (PACKFILE* chunk = pack_fopen_chunk(f, FALSE)) {
      // One byte more than announced tells a chunk that holds more.
      out.assign(static_cast<size_t>(unpacked) + 1, 0);
      const long n = pack_fread(out.data(), static_cast<long>(out.size()), chunk);
      ok = n == static_cast<long>(unpacked) && !pack_ferror(chunk);
      out.resize(unpacked);
      pack_fclose_chunk(chunk);
    }
  }
  pack_fclose(f);
  return ok;
}

// Whether `data` is the whole contents of one font object: every range and
// glyph that its counts announce is there.
bool font_object_complete(const uint8_t* data, size_t size) {
  Reader r(data, size);
  uint32_t kind = 0;
  if (!r.u16(kind)) return false;
  switch (static_cast<int16_t>(kind)) {
    case 8: return r.skip(OLD_FORMAT_GLYPHS * 8);
    case 16: return r.skip(OLD_FORMAT_GLYPHS * 16);
    case -1: return glyphs_complete(r, OLD_FORMAT_GLYPHS, 1);
    case 0: break;
    default: return false;
  }
  uint32_t ranges = 0;
  if (!r.u16(ranges) || static_cast<int16_t>(ranges) <= 0) return false;
  bool mono = false;
  for (uint32_t i = 0; i < ranges; ++i) {
    uint32_t depth = 0, first = 0, last = 0;
    if (!r.u8(depth) || !r.u32(first) || !r.u32(last)) return false;
    const int64_t a = as_signed(first), b = as_signed(last);
    if (a < 0 || b < a || b > LAST_CODE_POINT) return false;
    const int bytes = depth == 1 ? 0 : colour_bytes(depth);
    if (depth != 1 && bytes == 0) return false;
    // The first range makes the font mono or coloured; the library draws
    // every range of it the same way.
    if (i == 0) mono = depth == 1;
    if (mono != (depth == 1)) return false;
    if (!glyphs_complete(r, b - a + 1, bytes)) return false;
  }
  return true;
}

}  // namespace

FontFileState check_font_datafile(const char* path, const char* name) {
  if (access(path, F_OK) != 0 && errno == ENOENT) return FONT_FILE_MISSING;
  std::vector<uint8_t> file;
  if (!read_unpacked(path, file)) return FONT_FILE_DAMAGED;
  Reader r(file.data(), file.size());
  uint32_t magic = 0, count = 0;
  if (!r.u32(magic) || magic != static_cast<uint32_t>(DAT_MAGIC) || !r.u32(count)) return FONT_FILE_DAMAGED;
  for (int32_t i = 0; i < as_signed(count); ++i) {
    bool named = false;
    uint32_t type = 0;
    // Properties come before the object's type; the loader matches the name
    // among them.
    for (;;) {
      if (!r.u32(type)) return FONT_FILE_DAMAGED;
      if (type != static_cast<uint32_t>(DAT_PROPERTY)) break;
      uint32_t prop = 0, length = 0;
      if (!r.u32(prop) || !r.u32(length) || as_signed(length) < 0) return FONT_FILE_DAMAGED;
      const uint8_t* text = r.here();
      if (!r.skip(length)) return FONT_FILE_DAMAGED;
      if (prop == static_cast<uint32_t>(DAT_NAME) && same_name(text, length, name)) named = true;
    }
    const size_t sizes_at = r.pos();
    uint32_t stored = 0, unpacked = 0;
    if (!r.u32(stored) || !r.u32(unpacked) || as_signed(stored) < 0) return FONT_FILE_DAMAGED;
    const uint8_t* body = r.here();
    if (!r.skip(stored)) return FONT_FILE_DAMAGED;
    if (!named) continue;
    if (type != static_cast<uint32_t>(DAT_FONT)) return FONT_FILE_DAMAGED;
    if (as_signed(unpacked) >= 0) {
      if (unpacked != stored) return FONT_FILE_DAMAGED;
      return font_object_complete(body, stored) ? FONT_FILE_OK : FONT_FILE_DAMAGED;
    }
    // A negative size announces an object packed on its own.
    std::vector<uint8_t> content;
    const uint32_t size = static_cast<uint32_t>(-static_cast<int64_t>(as_signed(unpacked)));
    if (!read_packed_object(path, sizes_at, size, content)) return FONT_FILE_DAMAGED;
    return font_object_complete(content.data(), content.size()) ? FONT_FILE_OK : FONT_FILE_DAMAGED;
  }
  return FONT_FILE_DAMAGED;
}
