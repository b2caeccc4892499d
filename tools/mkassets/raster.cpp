#include "raster.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace mk {

uint32_t shade(uint32_t c, double f) {
  return rgb(static_cast<int>(red(c) * f), static_cast<int>(green(c) * f),
             static_cast<int>(blue(c) * f));
}

uint32_t mix(uint32_t a, uint32_t b, double t) {
  auto m = [t](int x, int y) { return static_cast<int>(x + (y - x) * t + 0.5); };
  return rgb(m(red(a), red(b)), m(green(a), green(b)), m(blue(a), blue(b)));
}

double hash01(int x, int y, int seed) {
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
               static_cast<uint32_t>(seed) * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return (h & 0xFFFF) / 65535.0;
}

double tiled_noise(double x, double y, int cell, int period, int seed) {
  int n = std::max(1, period / cell);
  double fx = x / cell, fy = y / cell;
  int ix = static_cast<int>(std::floor(fx)), iy = static_cast<int>(std::floor(fy));
  double tx = fx - ix, ty = fy - iy;
  tx = tx * tx * (3 - 2 * tx);
  ty = ty * ty * (3 - 2 * ty);
  auto at = [&](int a, int b) { return hash01(((a % n) + n) % n, ((b % n) + n) % n, seed); };
  double top = at(ix, iy) + (at(ix + 1, iy) - at(ix, iy)) * tx;
  double bot = at(ix, iy + 1) + (at(ix + 1, iy + 1) - at(ix, iy + 1)) * tx;
  return top + (bot - top) * ty;
}

void Image::rect(int x0, int y0, int x1, int y1, uint32_t c) {
  if (x0 > x1) std::swap(x0, x1);
  if (y0 > y1) std::swap(y0, y1);
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) set(x, y, c);
}

void Image::frame(int x0, int y0, int x1, int y1, uint32_t c) {
  rect(x0, y0, x1, y0, c);
  rect(x0, y1, x1, y1, c);
  rect(x0, y0, x0, y1, c);
  rect(x1, y0, x1, y1, c);
}

void Image::ellipse(double cx, double cy, double rx, double ry, uint32_t c) {
  if (rx <= 0 || ry <= 0) return;
  for (int y = static_cast<int>(cy - ry - 1); y <= static_cast<int>(cy + ry + 1); ++y)
    for (int x = static_cast<int>(cx - rx - 1); x <= static_cast<int>(cx + rx + 1); ++x) {
      double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
      if (dx * dx + dy * dy <= 1.0) set(x, y, c);
    }
}

void Image::ring(double cx, double cy, double r0, double r1, uint32_t c) {
  for (int y = static_cast<int>(cy - r1 - 1); y <= static_cast<int>(cy + r1 + 1); ++y)
    for (int x = static_cast<int>(cx - r1 - 1); x <= static_cast<int>(cx + r1 + 1); ++x) {
      double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
      if (d >= r0 && d <= r1) set(x, y, c);
    }
}

void Image::line(double x0, double y0, double x1, double y1, uint32_t c, double thick) {
  double len = std::hypot(x1 - x0, y1 - y0);
  int steps = std::max(1, static_cast<int>(len * 2));
  double r = thick / 2.0;
  for (int i = 0; i <= steps; ++i) {
    double t = static_cast<double>(i) / steps;
    double x = x0 + (x1 - x0) * t, y = y0 + (y1 - y0) * t;
    if (thick <= 1.0)
      set(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)), c);
    else
      disc(x, y, r, c);
  }
}

void Image::poly(const std::vector<std::pair<double, double>>& pts, uint32_t c) {
  if (pts.size() < 3) return;
  double ymin = pts[0].second, ymax = ymin;
  for (auto& p : pts) ymin = std::min(ymin, p.second), ymax = std::max(ymax, p.second);
  for (int y = static_cast<int>(std::floor(ymin)); y <= static_cast<int>(std::ceil(ymax)); ++y) {
    double sy = y + 0.5;
    std::vector<double> xs;
    for (size_t i = 0; i < pts.size(); ++i) {
      auto a = pts[i], b = pts[(i + 1) % pts.size()];
      if ((a.second <= sy && b.second > sy) || (b.second <= sy && a.second > sy))
        xs.push_back(a.first + (sy - a.second) * (b.first - a.first) / (b.second - a.second));
    }
    std::sort(xs.begin(), xs.end());
    for (size_t i = 0; i + 1 < xs.size(); i += 2)
      for (int x = static_cast<int>(std::ceil(xs[i] - 0.5)); x <= static_cast<int>(std::floor(xs[i + 1] - 0.5)); ++x)
        set(x, y, c);
  }
}

void Image::blit(const Image& src, int dx, int dy, bool masked) {
  for (int y = 0; y < src.h(); ++y)
    for (int x = 0; x < src.w(); ++x) {
      uint32_t c = src.get(x, y);
      if (masked && c == MASK) continue;
      set(dx + x, dy + y, c);
    }
}

void Image::outline(uint32_t c) {
  Image copy = *this;
  for (int y = 0; y < h_; ++y)
    for (int x = 0; x < w_; ++x) {
      if (copy.get(x, y) != MASK) continue;
      bool edge = false;
      for (auto [ox, oy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
        int nx = x + ox, ny = y + oy;
        if (nx >= 0 && ny >= 0 && nx < w_ && ny < h_ && copy.get(nx, ny) != MASK &&
            copy.get(nx, ny) != c)
          edge = true;
      }
      if (edge) set(x, y, c);
    }
}

void Image::light(double top, double bottom) {
  for (int y = 0; y < h_; ++y) {
    double f = top + (bottom - top) * y / std::max(1, h_ - 1);
    for (int x = 0; x < w_; ++x) {
      uint32_t c = get(x, y);
      if (c == MASK || c == BLACK) continue;
      // Greys stay grey, so that material colours can still recolour them.
      set(x, y, shade(c, f));
    }
  }
}

Image Image::mirrored() const {
  Image out(w_, h_);
  for (int y = 0; y < h_; ++y)
    for (int x = 0; x < w_; ++x) out.set(w_ - 1 - x, y, get(x, y));
  return out;
}

Image Image::scaled(int f) const {
  Image out(w_ * f, h_ * f);
  for (int y = 0; y < out.h(); ++y)
    for (int x = 0; x < out.w(); ++x) out.set(x, y, get(x / f, y / f));
  return out;
}

Image Image::halved() const {
  Image out(w_ / 2, h_ / 2);
  for (int y = 0; y < out.h(); ++y)
    for (int x = 0; x < out.w(); ++x) {
      int n = 0, r = 0, g = 0, b = 0, masks = 0;
      bool dark = false;
      for (int k = 0; k < 4; ++k) {
        uint32_t c = get(2 * x + (k & 1), 2 * y + (k >> 1));
        if (c == MASK) {
          ++masks;
          continue;
        }
        if (c == BLACK) dark = true;
        ++n, r += red(c), g += green(c), b += blue(c);
      }
      if (masks >= 2 && !(masks == 2 && dark)) continue;
      uint32_t c = rgb(r / n, g / n, b / n);
      // Keep outlines crisp at the small size.
      if (dark && masks >= 1) c = BLACK;
      out.set(x, y, c);
    }
  return out;
}

bool write_png(const std::string& path, const Image& img) {
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "wb"), &std::fclose);
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return false;
  }
  png_init_io(png, f.get());
  png_set_IHDR(png, info, static_cast<png_uint_32>(img.w()), static_cast<png_uint_32>(img.h()), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<png_byte> row(static_cast<size_t>(img.w()) * 3);
  for (int y = 0; y < img.h(); ++y) {
    for (int x = 0; x < img.w(); ++x) {
      uint32_t c = img.get(x, y);
      row[3 * x] = static_cast<png_byte>(red(c));
      row[3 * x + 1] = static_cast<png_byte>(green(c));
      row[3 * x + 2] = static_cast<png_byte>(blue(c));
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

namespace {
void put16(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(static_cast<uint8_t>(x & 255));
  v.push_back(static_cast<uint8_t>((x >> 8) & 255));
}
void put32(std::vector<uint8_t>& v, uint32_t x) {
  put16(v, x & 0xFFFF);
  put16(v, x >> 16);
}
}  // namespace

bool write_bmp8(const std::string& path, int w, int h, const std::vector<uint8_t>& idx,
                const std::vector<uint32_t>& palette) {
  uint32_t stride = (static_cast<uint32_t>(w) + 3u) & ~3u;
  uint32_t data = 14 + 40 + 256 * 4;
  std::vector<uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  put32(out, data + stride * static_cast<uint32_t>(h));
  put32(out, 0);
  put32(out, data);
  put32(out, 40);
  put32(out, static_cast<uint32_t>(w));
  put32(out, static_cast<uint32_t>(h));
  put16(out, 1);
  put16(out, 8);
  put32(out, 0);
  put32(out, stride * static_cast<uint32_t>(h));
  put32(out, 2835);
  put32(out, 2835);
  put32(out, 256);
  put32(out, 0);
  for (int i = 0; i < 256; ++i) {
    uint32_t c = i < static_cast<int>(palette.size()) ? palette[i] : 0;
    out.push_back(static_cast<uint8_t>(blue(c)));
    out.push_back(static_cast<uint8_t>(green(c)));
    out.push_back(static_cast<uint8_t>(red(c)));
    out.push_back(0);
  }
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) out.push_back(idx[static_cast<size_t>(y) * w + x]);
    for (uint32_t p = static_cast<uint32_t>(w); p < stride; ++p) out.push_back(0);
  }
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "wb"), &std::fclose);
  return f && std::fwrite(out.data(), 1, out.size(), f.get()) == out.size();
}

}  // namespace mk
