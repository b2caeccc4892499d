// A tiny RGB raster with the drawing operations the picture generator needs.
// Pixels are 0xRRGGBB; MASK is the colour every loader treats as transparent.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace mk {

constexpr uint32_t MASK = 0xFF00FF;
constexpr uint32_t BLACK = 0x000000;

inline uint32_t rgb(int r, int g, int b) {
  auto c = [](int v) { return static_cast<uint32_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
  uint32_t p = (c(r) << 16) | (c(g) << 8) | c(b);
  return p == MASK ? 0xFE00FE : p;  // never hit the mask colour by accident
}
inline int red(uint32_t c) { return static_cast<int>((c >> 16) & 255); }
inline int green(uint32_t c) { return static_cast<int>((c >> 8) & 255); }
inline int blue(uint32_t c) { return static_cast<int>(c & 255); }
inline uint32_t grey(int v) { return rgb(v, v, v); }
// Brightness scaled by f (1.0 unchanged).
uint32_t shade(uint32_t c, double f);
uint32_t mix(uint32_t a, uint32_t b, double t);

// Deterministic hash noise: integer lattice value in 0..1.
double hash01(int x, int y, int seed);
// Smooth value noise that repeats every `period` pixels in both directions,
// so terrain tiles join without seams.
double tiled_noise(double x, double y, int cell, int period, int seed);

struct Rng {
  uint32_t s;
  explicit Rng(uint32_t seed) : s(seed * 2654435761u + 12345u) {}
  uint32_t next() {
    s ^= s << 13;
    s ^= s >> 17;
    s ^= s << 5;
    return s;
  }
  int below(int n) { return n > 0 ? static_cast<int>(next() % static_cast<uint32_t>(n)) : 0; }
  double unit() { return (next() & 0xFFFFFF) / double(0x1000000); }
};

class Image {
 public:
  Image() = default;
  Image(int w, int h, uint32_t fill = MASK) : w_(w), h_(h), px_(static_cast<size_t>(w) * h, fill) {}
  int w() const { return w_; }
  int h() const { return h_; }
  uint32_t get(int x, int y) const {
    return (x < 0 || y < 0 || x >= w_ || y >= h_) ? MASK : px_[static_cast<size_t>(y) * w_ + x];
  }
  void set(int x, int y, uint32_t c) {
    if (x >= 0 && y >= 0 && x < w_ && y < h_) px_[static_cast<size_t>(y) * w_ + x] = c;
  }
  const std::vector<uint32_t>& pixels() const { return px_; }

  void clear(uint32_t c) { px_.assign(px_.size(), c); }
  void rect(int x0, int y0, int x1, int y1, uint32_t c);  // filled, inclusive
  void frame(int x0, int y0, int x1, int y1, uint32_t c);  // outline, inclusive
  void ellipse(double cx, double cy, double rx, double ry, uint32_t c);
  void disc(double cx, double cy, double r, uint32_t c) { ellipse(cx, cy, r, r, c); }
  void ring(double cx, double cy, double r0, double r1, uint32_t c);
  void line(double x0, double y0, double x1, double y1, uint32_t c, double thick = 1.0);
  void poly(const std::vector<std::pair<double, double>>& pts, uint32_t c);
  // Copies src (masked: mask pixels skipped) to (dx, dy).
  void blit(const Image& src, int dx, int dy, bool masked = false);
  // A black line around every shape: mask pixels touching a drawn pixel.
  void outline(uint32_t c = BLACK);
  // Light from the top left: drawn pixels brighten towards the top.
  void light(double top = 1.15, double bottom = 0.85);
  // Mirrors left to right.
  Image mirrored() const;
  // Nearest-neighbour scale by an integer factor.
  Image scaled(int f) const;
  // Halves the size: a 2x2 block with two or more mask pixels becomes mask,
  // the others the mean of their drawn pixels.
  Image halved() const;

 private:
  int w_ = 0, h_ = 0;
  std::vector<uint32_t> px_;
};

// RGB PNG without alpha and without a gamma chunk. Returns false on failure.
bool write_png(const std::string& path, const Image& img);
// 8-bit paletted BMP (index 0..255 per pixel) with the given palette.
bool write_bmp8(const std::string& path, int w, int h, const std::vector<uint8_t>& idx,
                const std::vector<uint32_t>& palette);

}  // namespace mk
