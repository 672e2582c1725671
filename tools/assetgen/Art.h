// Drawing toolkit of the data maker: images, a cairo canvas, colours, a seeded generator and
// tileable noise. Everything here is deterministic: no clock, no global state.
#pragma once
#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

// A finished picture: 0x00RRGGBB pixels, rows top to bottom.
struct Image {
  int w = 0, h = 0;
  std::vector<uint32_t> px;
  Image() = default;
  Image(int width, int height, uint32_t fill = 0)
      : w(width), h(height), px(size_t(width) * height, fill) {}
  uint32_t& at(int x, int y) { return px[size_t(y) * w + x]; }
  uint32_t at(int x, int y) const { return px[size_t(y) * w + x]; }
};

// The data maker's own generator (splitmix64): the same seed gives the same art everywhere.
class Rng {
 public:
  explicit Rng(uint64_t seed) : s_(seed) {}
  uint64_t Next();
  double Real() { return double(Next() >> 11) * (1.0 / 9007199254740992.0); }
  double Range(double a, double b) { return a + (b - a) * Real(); }
  int Int(int n) { return n <= 0 ? 0 : int(Next() % uint64_t(n)); }

 private:
  uint64_t s_;
};

struct Rgb {
  double r = 0, g = 0, b = 0;
};
Rgb Hex(uint32_t rgb);
Rgb Mix(Rgb a, Rgb b, double t);
Rgb Scale(Rgb a, double k);
uint32_t Pack(Rgb c);
double Clamp01(double v);
double SmoothStep(double a, double b, double x);

// A cairo ARGB canvas. Pictures are drawn at `scale` times their size in user units, so paths are
// given in the final picture's pixels whatever the scale.
class Canvas {
 public:
  Canvas(int width, int height, double scale = 1.0);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  cairo_t* cr() { return cr_; }
  int w() const { return w_; }
  int h() const { return h_; }

  void Color(Rgb c, double a = 1.0);
  void Fill(Rgb c, double a = 1.0);
  void Stroke(Rgb c, double width, double a = 1.0);
  // Fill then outline the current path.
  void FillStroke(Rgb fill, Rgb line, double width);
  void Ellipse(double cx, double cy, double rx, double ry);
  void Circle(double cx, double cy, double r) { Ellipse(cx, cy, r, r); }
  void RoundRect(double x, double y, double w, double h, double r);
  void LinearV(double y0, Rgb top, double y1, Rgb bottom);
  void LinearH(double x0, Rgb left, double x1, Rgb right);
  // A radial gradient lit from (fx, fy), spreading to radius r around (cx, cy).
  void Radial(double fx, double fy, double cx, double cy, double r, Rgb inner, Rgb outer);

  // Colour-keyed result, reduced by the scale: every visible pixel is composited onto black, and
  // a pixel that would come out as the key (black) is stored as 0x010101.
  Image Keyed() const;
  // Opaque result, reduced by the scale (backgrounds).
  Image Opaque() const;
  // The canvas at its full drawn size, with its transparency, as a PNG file; false when it cannot
  // be written.
  bool WritePng(const std::string& path) const;
  // The canvas at its full drawn size as 0xAARRGGBB pixels, straight (not premultiplied) alpha,
  // rows top to bottom.
  std::vector<uint32_t> Argb() const;

 private:
  int w_, h_;
  double scale_;
  cairo_surface_t* surface_;
  cairo_t* cr_;
};

// Makes every black pixel 0x010101 except where mask says transparent (mask 0).
void ProtectBlack(Image& img, const std::vector<uint8_t>& opaqueMask);
// Copies src into dst at (x, y), skipping black (the colour key) when keyed.
void Blit(Image& dst, const Image& src, int x, int y, bool keyed);

// Periodic gradient noise in about [-1, 1]; periods in lattice cells along x and y.
double PNoise(double x, double y, int px, int py, uint32_t seed);
// Fractal sum of PNoise over octaves; u, v in [0, 1) cover one period of the tile.
double Fbm(double u, double v, int px, int py, int octaves, uint32_t seed, double gain = 0.5);
// Distance to the nearest and second nearest feature point of a tileable cellular pattern with
// gx x gy cells; u, v in [0, 1). id receives a hash of the nearest cell.
void Cells(double u, double v, int gx, int gy, uint32_t seed, double& d1, double& d2, uint32_t& id,
           double jitter = 0.8);
uint32_t Hash(uint32_t a, uint32_t b = 0, uint32_t c = 0);

// Appends a star of `points` points round (x, y) to the path: outer radius r, inner radius
// r x inner, the first point straight up.
void StarPath(cairo_t* cr, double x, double y, double r, double inner, int points = 5);
// Appends a trophy's outline (bowl, stem and foot, without handles) to the path: the rim is
// centred on (x, top), k pixels a unit, 20 units wide; the foot ends footBottom units below the
// rim.
void TrophyPath(cairo_t* cr, double x, double top, double k, double footBottom);

// Text as cairo paths from the outlines of a TrueType font (logo lettering, icon numerals).
class VectorFont {
 public:
  explicit VectorFont(const std::string& path);
  ~VectorFont();
  VectorFont(const VectorFont&) = delete;
  VectorFont& operator=(const VectorFont&) = delete;
  bool ok() const { return face_ != nullptr; }
  // Appends the outline of text to the current path, baseline at y, starting at x, size in
  // pixels per em; letters are spaced by tracking extra pixels. Returns the advance.
  double Path(cairo_t* cr, const std::string& text, double size, double x, double y,
              double tracking = 0) const;
  double Advance(const std::string& text, double size, double tracking = 0) const;

 private:
  void* lib_ = nullptr;
  void* face_ = nullptr;
};
