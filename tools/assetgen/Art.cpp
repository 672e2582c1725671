// Drawing toolkit of the data maker.
#include "Art.h"

#include <algorithm>
#include <cmath>
#include <cstring>

uint64_t Rng::Next() {
  uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

Rgb Hex(uint32_t rgb) {
  return {((rgb >> 16) & 255) / 255.0, ((rgb >> 8) & 255) / 255.0, (rgb & 255) / 255.0};
}
Rgb Mix(Rgb a, Rgb b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Rgb Scale(Rgb a, double k) {
  return {a.r * k, a.g * k, a.b * k};
}
double Clamp01(double v) {
  return v < 0 ? 0 : (v > 1 ? 1 : v);
}
double SmoothStep(double a, double b, double x) {
  const double t = Clamp01((x - a) / (b - a));
  return t * t * (3 - 2 * t);
}
uint32_t Pack(Rgb c) {
  auto ch = [](double v) { return uint32_t(std::lround(Clamp01(v) * 255.0)); };
  return (ch(c.r) << 16) | (ch(c.g) << 8) | ch(c.b);
}

Canvas::Canvas(int width, int height, double scale) : w_(width), h_(height), scale_(scale) {
  surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(std::lround(width * scale)),
                                        int(std::lround(height * scale)));
  cr_ = cairo_create(surface_);
  cairo_scale(cr_, scale, scale);
  cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_cap(cr_, CAIRO_LINE_CAP_ROUND);
}

Canvas::~Canvas() {
  cairo_destroy(cr_);
  cairo_surface_destroy(surface_);
}

void Canvas::Color(Rgb c, double a) {
  cairo_set_source_rgba(cr_, c.r, c.g, c.b, a);
}
void Canvas::Fill(Rgb c, double a) {
  Color(c, a);
  cairo_fill(cr_);
}
void Canvas::Stroke(Rgb c, double width, double a) {
  Color(c, a);
  cairo_set_line_width(cr_, width);
  cairo_stroke(cr_);
}
void Canvas::FillStroke(Rgb fill, Rgb line, double width) {
  Color(fill);
  cairo_fill_preserve(cr_);
  Stroke(line, width);
}
void Canvas::Ellipse(double cx, double cy, double rx, double ry) {
  cairo_save(cr_);
  cairo_translate(cr_, cx, cy);
  cairo_scale(cr_, rx, ry);
  cairo_new_sub_path(cr_);
  cairo_arc(cr_, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr_);
}
void Canvas::RoundRect(double x, double y, double w, double h, double r) {
  r = std::min({r, w / 2, h / 2});
  cairo_new_sub_path(cr_);
  cairo_arc(cr_, x + w - r, y + r, r, -M_PI / 2, 0);
  cairo_arc(cr_, x + w - r, y + h - r, r, 0, M_PI / 2);
  cairo_arc(cr_, x + r, y + h - r, r, M_PI / 2, M_PI);
  cairo_arc(cr_, x + r, y + r, r, M_PI, 1.5 * M_PI);
  cairo_close_path(cr_);
}
void Canvas::LinearV(double y0, Rgb top, double y1, Rgb bottom) {
  cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
  cairo_pattern_add_color_stop_rgb(p, 0, top.r, top.g, top.b);
  cairo_pattern_add_color_stop_rgb(p, 1, bottom.r, bottom.g, bottom.b);
  cairo_set_source(cr_, p);
  cairo_pattern_destroy(p);
}
void Canvas::LinearH(double x0, Rgb left, double x1, Rgb right) {
  cairo_pattern_t* p = cairo_pattern_create_linear(x0, 0, x1, 0);
  cairo_pattern_add_color_stop_rgb(p, 0, left.r, left.g, left.b);
  cairo_pattern_add_color_stop_rgb(p, 1, right.r, right.g, right.b);
  cairo_set_source(cr_, p);
  cairo_pattern_destroy(p);
}
void Canvas::Radial(double fx, double fy, double cx, double cy, double r, Rgb inner, Rgb outer) {
  cairo_pattern_t* p = cairo_pattern_create_radial(fx, fy, 0, cx, cy, r);
  cairo_pattern_add_color_stop_rgb(p, 0, inner.r, inner.g, inner.b);
  cairo_pattern_add_color_stop_rgb(p, 1, outer.r, outer.g, outer.b);
  cairo_set_source(cr_, p);
  cairo_pattern_destroy(p);
}

namespace {
// Box-filters the premultiplied ARGB canvas down to w x h; channels in 0..255 as doubles.
void Reduce(cairo_surface_t* s, int w, int h, std::vector<double>& out) {
  cairo_surface_flush(s);
  const int sw = cairo_image_surface_get_width(s), sh = cairo_image_surface_get_height(s);
  const int stride = cairo_image_surface_get_stride(s);
  const unsigned char* data = cairo_image_surface_get_data(s);
  out.assign(size_t(w) * h * 4, 0.0);
  for (int y = 0; y < h; ++y) {
    const int y0 = y * sh / h, y1 = std::max(y0 + 1, (y + 1) * sh / h);
    for (int x = 0; x < w; ++x) {
      const int x0 = x * sw / w, x1 = std::max(x0 + 1, (x + 1) * sw / w);
      double acc[4] = {0, 0, 0, 0};
      for (int yy = y0; yy < y1; ++yy) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + size_t(yy) * stride);
        for (int xx = x0; xx < x1; ++xx) {
          const uint32_t p = row[xx];
          acc[0] += (p >> 24) & 255;
          acc[1] += (p >> 16) & 255;
          acc[2] += (p >> 8) & 255;
          acc[3] += p & 255;
        }
      }
      const double n = double(y1 - y0) * (x1 - x0);
      for (int k = 0; k < 4; ++k) out[(size_t(y) * w + x) * 4 + k] = acc[k] / n;
    }
  }
}
}  // namespace

Image Canvas::Keyed() const {
  std::vector<double> acc;
  Reduce(surface_, w_, h_, acc);
  Image img(w_, h_);
  for (size_t i = 0; i < img.px.size(); ++i) {
    const double a = acc[i * 4];
    // A barely covered pixel would only show as a dark speck on bright scenes.
    if (a < 24) continue;
    auto ch = [&](int k) { return uint32_t(std::lround(std::min(255.0, acc[i * 4 + k]))); };
    uint32_t p = (ch(1) << 16) | (ch(2) << 8) | ch(3);
    img.px[i] = p == 0 ? 0x010101 : p;
  }
  return img;
}

Image Canvas::Opaque() const {
  std::vector<double> acc;
  Reduce(surface_, w_, h_, acc);
  Image img(w_, h_);
  for (size_t i = 0; i < img.px.size(); ++i) {
    auto ch = [&](int k) { return uint32_t(std::lround(std::min(255.0, acc[i * 4 + k]))); };
    img.px[i] = (ch(1) << 16) | (ch(2) << 8) | ch(3);
  }
  return img;
}

bool Canvas::WritePng(const std::string& path) const {
  cairo_surface_flush(surface_);
  return cairo_surface_write_to_png(surface_, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

std::vector<uint32_t> Canvas::Argb() const {
  cairo_surface_flush(surface_);
  const int w = cairo_image_surface_get_width(surface_),
            h = cairo_image_surface_get_height(surface_);
  const int stride = cairo_image_surface_get_stride(surface_);
  const unsigned char* data = cairo_image_surface_get_data(surface_);
  std::vector<uint32_t> out(size_t(w) * size_t(h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint32_t p;
      std::memcpy(&p, data + size_t(y) * size_t(stride) + size_t(x) * 4, 4);
      const uint32_t a = p >> 24;
      // Cairo keeps colours premultiplied by their alpha; undo it, rounding.
      const auto ch = [&](int shift) {
        const uint32_t v = (p >> shift) & 255;
        return a ? std::min<uint32_t>(255, (v * 255 + a / 2) / a) : 0;
      };
      out[size_t(y) * size_t(w) + size_t(x)] = (a << 24) | (ch(16) << 16) | (ch(8) << 8) | ch(0);
    }
  return out;
}

void ProtectBlack(Image& img, const std::vector<uint8_t>& opaqueMask) {
  for (size_t i = 0; i < img.px.size(); ++i)
    if (opaqueMask[i] && img.px[i] == 0) img.px[i] = 0x010101;
}

void Blit(Image& dst, const Image& src, int x, int y, bool keyed) {
  for (int j = 0; j < src.h; ++j) {
    const int ty = y + j;
    if (ty < 0 || ty >= dst.h) continue;
    for (int i = 0; i < src.w; ++i) {
      const int tx = x + i;
      if (tx < 0 || tx >= dst.w) continue;
      const uint32_t p = src.at(i, j);
      if (keyed && p == 0) continue;
      dst.at(tx, ty) = p;
    }
  }
}

uint32_t Hash(uint32_t a, uint32_t b, uint32_t c) {
  uint32_t h = a * 0x8DA6B343u ^ b * 0xD8163841u ^ c * 0xCB1AB31Fu;
  h ^= h >> 16;
  h *= 0x7FEB352Du;
  h ^= h >> 15;
  h *= 0x846CA68Bu;
  h ^= h >> 16;
  return h;
}

namespace {
int Wrap(int i, int n) {
  return ((i % n) + n) % n;
}
double Grad(int ix, int iy, int px, int py, uint32_t seed, double dx, double dy) {
  const uint32_t h = Hash(uint32_t(Wrap(ix, px)), uint32_t(Wrap(iy, py)), seed);
  const double a = (h & 0xFFFF) / 65536.0 * 2 * M_PI;
  return std::cos(a) * dx + std::sin(a) * dy;
}
double Fade(double t) {
  return t * t * t * (t * (t * 6 - 15) + 10);
}
}  // namespace

double PNoise(double x, double y, int px, int py, uint32_t seed) {
  const int ix = int(std::floor(x)), iy = int(std::floor(y));
  const double fx = x - ix, fy = y - iy;
  const double n00 = Grad(ix, iy, px, py, seed, fx, fy);
  const double n10 = Grad(ix + 1, iy, px, py, seed, fx - 1, fy);
  const double n01 = Grad(ix, iy + 1, px, py, seed, fx, fy - 1);
  const double n11 = Grad(ix + 1, iy + 1, px, py, seed, fx - 1, fy - 1);
  const double u = Fade(fx), v = Fade(fy);
  const double a = n00 + (n10 - n00) * u, b = n01 + (n11 - n01) * u;
  return (a + (b - a) * v) * 1.41;
}

double Fbm(double u, double v, int px, int py, int octaves, uint32_t seed, double gain) {
  double sum = 0, amp = 1, norm = 0;
  int f = 1;
  for (int k = 0; k < octaves; ++k) {
    sum += amp * PNoise(u * px * f, v * py * f, px * f, py * f, seed + 977u * k);
    norm += amp;
    amp *= gain;
    f *= 2;
  }
  return sum / norm;
}

void Cells(double u, double v, int gx, int gy, uint32_t seed, double& d1, double& d2, uint32_t& id,
           double jitter) {
  const double x = u * gx, y = v * gy;
  const int cx = int(std::floor(x)), cy = int(std::floor(y));
  d1 = d2 = 1e9;
  id = 0;
  for (int j = -2; j <= 2; ++j)
    for (int i = -2; i <= 2; ++i) {
      const int nx = cx + i, ny = cy + j;
      const uint32_t h = Hash(uint32_t(Wrap(nx, gx)), uint32_t(Wrap(ny, gy)), seed);
      const double ox = 0.5 + jitter * (((h & 0xFFFF) / 65535.0) - 0.5);
      const double oy = 0.5 + jitter * ((((h >> 16) & 0xFFFF) / 65535.0) - 0.5);
      const double dx = nx + ox - x, dy = ny + oy - y;
      const double d = std::sqrt(dx * dx + dy * dy);
      if (d < d1) {
        d2 = d1;
        d1 = d;
        id = h;
      } else if (d < d2) {
        d2 = d;
      }
    }
}

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

VectorFont::VectorFont(const std::string& path) {
  FT_Library lib;
  if (FT_Init_FreeType(&lib)) return;
  lib_ = lib;
  FT_Face face;
  if (FT_New_Face(lib, path.c_str(), 0, &face)) return;
  face_ = face;
}

VectorFont::~VectorFont() {
  if (face_) FT_Done_Face(static_cast<FT_Face>(face_));
  if (lib_) FT_Done_FreeType(static_cast<FT_Library>(lib_));
}

namespace {
struct OutlineSink {
  cairo_t* cr;
  double x, y, k;  // origin and font units (26.6 at the unit size) to pixels
  double lx = 0, ly = 0;
  double X(const FT_Vector* v) const { return x + v->x * k; }
  double Y(const FT_Vector* v) const { return y - v->y * k; }
};
int MoveTo(const FT_Vector* to, void* user) {
  auto* s = static_cast<OutlineSink*>(user);
  cairo_close_path(s->cr);
  cairo_move_to(s->cr, s->X(to), s->Y(to));
  s->lx = s->X(to);
  s->ly = s->Y(to);
  return 0;
}
int LineTo(const FT_Vector* to, void* user) {
  auto* s = static_cast<OutlineSink*>(user);
  cairo_line_to(s->cr, s->X(to), s->Y(to));
  s->lx = s->X(to);
  s->ly = s->Y(to);
  return 0;
}
int ConicTo(const FT_Vector* c, const FT_Vector* to, void* user) {
  auto* s = static_cast<OutlineSink*>(user);
  const double cx = s->X(c), cy = s->Y(c), tx = s->X(to), ty = s->Y(to);
  cairo_curve_to(s->cr, s->lx + 2.0 / 3 * (cx - s->lx), s->ly + 2.0 / 3 * (cy - s->ly),
                 tx + 2.0 / 3 * (cx - tx), ty + 2.0 / 3 * (cy - ty), tx, ty);
  s->lx = tx;
  s->ly = ty;
  return 0;
}
int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
  auto* s = static_cast<OutlineSink*>(user);
  cairo_curve_to(s->cr, s->X(c1), s->Y(c1), s->X(c2), s->Y(c2), s->X(to), s->Y(to));
  s->lx = s->X(to);
  s->ly = s->Y(to);
  return 0;
}
}  // namespace

double VectorFont::Path(cairo_t* cr, const std::string& text, double size, double x, double y,
                        double tracking) const {
  if (!face_) return 0;
  auto face = static_cast<FT_Face>(face_);
  const double k = size / face->units_per_EM;
  FT_Outline_Funcs funcs{};
  funcs.move_to = MoveTo;
  funcs.line_to = LineTo;
  funcs.conic_to = ConicTo;
  funcs.cubic_to = CubicTo;
  double pen = x;
  for (unsigned char ch : text) {
    if (FT_Load_Char(face, ch, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP)) continue;
    OutlineSink sink{cr, pen, y, k};
    if (cr) {
      cairo_new_sub_path(cr);
      FT_Outline_Decompose(&face->glyph->outline, &funcs, &sink);
      cairo_close_path(cr);
    }
    pen += face->glyph->advance.x * k + tracking;
  }
  return pen - x - (text.empty() ? 0 : tracking);
}

double VectorFont::Advance(const std::string& text, double size, double tracking) const {
  return Path(nullptr, text, size, 0, 0, tracking);
}

void StarPath(cairo_t* cr, double x, double y, double r, double inner, int points) {
  for (int k = 0; k < 2 * points; ++k) {
    const double a = -M_PI / 2 + k * M_PI / points, rr = k % 2 ? r * inner : r;
    if (k == 0)
      cairo_move_to(cr, x + rr * std::cos(a), y + rr * std::sin(a));
    else
      cairo_line_to(cr, x + rr * std::cos(a), y + rr * std::sin(a));
  }
  cairo_close_path(cr);
}

void TrophyPath(cairo_t* cr, double x, double top, double k, double footBottom) {
  cairo_move_to(cr, x - 10 * k, top);
  cairo_line_to(cr, x + 10 * k, top);
  cairo_curve_to(cr, x + 10 * k, top + 12 * k, x + 5 * k, top + 16 * k, x + 2 * k, top + 17 * k);
  cairo_line_to(cr, x + 2 * k, top + 21 * k);
  cairo_line_to(cr, x + 7 * k, top + 24 * k);
  cairo_line_to(cr, x + 7 * k, top + footBottom * k);
  cairo_line_to(cr, x - 7 * k, top + footBottom * k);
  cairo_line_to(cr, x - 7 * k, top + 24 * k);
  cairo_line_to(cr, x - 2 * k, top + 21 * k);
  cairo_line_to(cr, x - 2 * k, top + 17 * k);
  cairo_curve_to(cr, x - 5 * k, top + 16 * k, x - 10 * k, top + 12 * k, x - 10 * k, top);
  cairo_close_path(cr);
}
