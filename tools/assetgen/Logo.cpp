// The two bitmap resources: the logo "VOR" and the large cup of the win screen, 400 x 180 each,
// drawn on black, which the game treats as transparent.
#include <cmath>

#include "Assets.h"

const char* const kFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

namespace {

const Rgb kInk = Hex(0x1A0E08);

void GoldV(cairo_t* cr, double y0, double y1) {
  cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
  cairo_pattern_add_color_stop_rgb(p, 0.0, 1.0, 0.98, 0.78);
  cairo_pattern_add_color_stop_rgb(p, 0.38, 1.0, 0.82, 0.22);
  cairo_pattern_add_color_stop_rgb(p, 0.52, 0.86, 0.52, 0.05);
  cairo_pattern_add_color_stop_rgb(p, 1.0, 1.0, 0.78, 0.25);
  cairo_set_source(cr, p);
  cairo_pattern_destroy(p);
}

void Sparkle(Canvas& c, double x, double y, double r) {
  cairo_t* cr = c.cr();
  StarPath(cr, x, y, r, 0.18, 4);
  c.Fill(Hex(0xFFFBE6));
  c.Circle(x, y, r * 0.22);
  c.Fill(Hex(0xFFFFFF));
}

// A bull's-eye with a cross-hair, standing in for the "O".
void Bullseye(Canvas& c, double x, double y, double r) {
  cairo_t* cr = c.cr();
  c.Circle(x + 5, y + 6, r);
  c.Fill(Hex(0x4A0A0A));
  const Rgb rings[] = {Hex(0xD81E1E), Hex(0xFFF6E8), Hex(0xD81E1E), Hex(0xFFF6E8), Hex(0xD81E1E)};
  for (int k = 0; k < 5; ++k) {
    const double rr = r * (1.0 - k * 0.19);
    c.Circle(x, y, rr);
    c.Radial(x - rr * 0.4, y - rr * 0.5, x, y, rr * 1.3, Mix(rings[k], Hex(0xFFFFFF), 0.35),
             Scale(rings[k], 0.78));
    cairo_fill(cr);
  }
  c.Circle(x, y, r);
  c.Stroke(kInk, 5);
  c.Circle(x, y, r - 3.5);
  c.Stroke(Hex(0xFFD54F), 2.2);
  // Cross-hair reaching past the rim.
  for (int k = 0; k < 4; ++k) {
    const double a = k * M_PI / 2, ca = std::cos(a), sa = std::sin(a);
    cairo_move_to(cr, x + ca * r * 0.3, y + sa * r * 0.3);
    cairo_line_to(cr, x + ca * (r + 12), y + sa * (r + 12));
  }
  c.Stroke(kInk, 6);
  for (int k = 0; k < 4; ++k) {
    const double a = k * M_PI / 2, ca = std::cos(a), sa = std::sin(a);
    cairo_move_to(cr, x + ca * r * 0.3, y + sa * r * 0.3);
    cairo_line_to(cr, x + ca * (r + 12), y + sa * (r + 12));
  }
  c.Stroke(Hex(0xF5F7FA), 2.4);
  c.Circle(x, y, 5);
  c.FillStroke(Hex(0xFFD54F), kInk, 2);
}

}  // namespace

Image MakeLogo() {
  const VectorFont font(kFontPath);
  Canvas c(400, 180, 2.0);
  cairo_t* cr = c.cr();
  const double size = 150, base = 136;
  const double wV = font.Advance("V", size), wR = font.Advance("R", size);
  const double r = 52, gap = 6;
  const double total = wV + gap + 2 * r + gap + wR;
  const double x0 = 200 - total / 2;
  const double xO = x0 + wV + gap + r, xR = xO + r + gap;
  const double yO = base - 0.36 * size;
  // Deep shadow, then the letters in gold with a dark rim.
  for (int k = 7; k >= 1; --k) {
    font.Path(cr, "V", size, x0 + k, base + k);
    font.Path(cr, "R", size, xR + k, base + k);
    c.Fill(Mix(Hex(0x5A1208), Hex(0x8E2A0E), k / 7.0));
  }
  font.Path(cr, "V", size, x0, base);
  font.Path(cr, "R", size, xR, base);
  c.Color(kInk);
  cairo_set_line_width(cr, 6);
  cairo_stroke_preserve(cr);
  GoldV(cr, base - 0.73 * size, base);
  cairo_fill(cr);
  // Shine on the upper half of the letters.
  cairo_save(cr);
  font.Path(cr, "V", size, x0, base);
  font.Path(cr, "R", size, xR, base);
  cairo_clip(cr);
  cairo_move_to(cr, 0, base - 0.73 * size);
  cairo_line_to(cr, 400, base - 0.73 * size);
  cairo_line_to(cr, 400, base - 0.5 * size);
  cairo_curve_to(cr, 260, base - 0.42 * size, 140, base - 0.56 * size, 0, base - 0.44 * size);
  cairo_close_path(cr);
  c.Fill(Hex(0xFFFFFF), 0.3);
  cairo_restore(cr);
  font.Path(cr, "V", size, x0, base);
  font.Path(cr, "R", size, xR, base);
  c.Stroke(Hex(0xFFF3C4), 1.2, 0.8);
  Bullseye(c, xO, yO, r);
  Sparkle(c, x0 + 16, base - 0.7 * size, 9);
  Sparkle(c, xR + wR - 14, base - 0.12 * size, 7);
  Sparkle(c, xO + r * 0.75, yO - r * 0.78, 6);
  return c.Keyed();
}

Image MakeCupBig() {
  Canvas c(400, 180, 2.0);
  cairo_t* cr = c.cr();
  const double x = 200;
  // A burst of rays behind the cup, solid so that no half-covered pixel turns muddy on black.
  const double rx = x, ry = 84;
  for (int k = 0; k < 24; ++k) {
    const double a0 = k * 2 * M_PI / 24, a1 = a0 + M_PI / 40;
    const double len = k % 2 ? 70 : 86;
    cairo_move_to(cr, rx + 14 * std::cos(a0 + M_PI / 80), ry + 14 * std::sin(a0 + M_PI / 80));
    cairo_line_to(cr, rx + len * std::cos(a0), ry + len * std::sin(a0));
    cairo_line_to(cr, rx + len * std::cos(a1), ry + len * std::sin(a1));
    cairo_close_path(cr);
  }
  c.Radial(rx, ry, rx, ry, 86, Hex(0xFFF3B0), Hex(0xE07A10));
  cairo_fill(cr);
  // Laurel branches.
  for (int side = -1; side <= 1; side += 2) {
    cairo_move_to(cr, x + side * 30, 168);
    cairo_curve_to(cr, x + side * 100, 160, x + side * 118, 90, x + side * 104, 30);
    c.Stroke(Hex(0x1E3A12), 5);
    cairo_move_to(cr, x + side * 30, 168);
    cairo_curve_to(cr, x + side * 100, 160, x + side * 118, 90, x + side * 104, 30);
    c.Stroke(Hex(0x6B8E23), 2.5);
    for (int k = 0; k < 9; ++k) {
      const double t = 0.1 + k * 0.1;
      // Point on the stem (cubic), leaves on both sides.
      const double u = 1 - t;
      const double px = u * u * u * (x + side * 30) + 3 * u * u * t * (x + side * 100) +
                        3 * u * t * t * (x + side * 118) + t * t * t * (x + side * 104);
      const double py = u * u * u * 168 + 3 * u * u * t * 160 + 3 * u * t * t * 90 + t * t * t * 30;
      for (int leaf = -1; leaf <= 1; leaf += 2) {
        cairo_save(cr);
        cairo_translate(cr, px, py);
        cairo_rotate(
            cr, side > 0 ? -M_PI / 2 + leaf * 0.9 + t * 0.6 : -M_PI / 2 - leaf * 0.9 - t * 0.6);
        cairo_move_to(cr, 0, 0);
        cairo_curve_to(cr, 6, -5, 16, -5, 20, 0);
        cairo_curve_to(cr, 16, 5, 6, 5, 0, 0);
        cairo_restore(cr);
        c.LinearV(py - 20, Hex(0xA5D66A), py + 20, Hex(0x2E6B1A));
        cairo_fill_preserve(cr);
        c.Stroke(Hex(0x143008), 1.2);
      }
    }
  }
  // The cup.
  const double top = 18, k = 5.2;
  for (int side = -1; side <= 1; side += 2) {
    cairo_move_to(cr, x + side * 8 * k, top + 3 * k);
    cairo_curve_to(cr, x + side * 17 * k, top + 1 * k, x + side * 17 * k, top + 13 * k,
                   x + side * 6 * k, top + 15 * k);
    c.Stroke(kInk, 14);
    cairo_move_to(cr, x + side * 8 * k, top + 3 * k);
    cairo_curve_to(cr, x + side * 17 * k, top + 1 * k, x + side * 17 * k, top + 13 * k,
                   x + side * 6 * k, top + 15 * k);
    c.Stroke(Hex(0xE8A818), 8);
    cairo_move_to(cr, x + side * 8 * k, top + 3 * k);
    cairo_curve_to(cr, x + side * 17 * k, top + 1 * k, x + side * 17 * k, top + 13 * k,
                   x + side * 6 * k, top + 15 * k);
    c.Stroke(Hex(0xFFF0A0), 2.5, 0.8);
  }
  TrophyPath(cr, x, top, k, 26.5);
  cairo_pattern_t* p = cairo_pattern_create_linear(x - 10 * k, 0, x + 10 * k, 0);
  cairo_pattern_add_color_stop_rgb(p, 0, 0.7, 0.45, 0.04);
  cairo_pattern_add_color_stop_rgb(p, 0.28, 1.0, 0.96, 0.7);
  cairo_pattern_add_color_stop_rgb(p, 0.45, 1.0, 0.8, 0.2);
  cairo_pattern_add_color_stop_rgb(p, 0.8, 0.8, 0.52, 0.05);
  cairo_pattern_add_color_stop_rgb(p, 1, 0.5, 0.3, 0.02);
  cairo_set_source(cr, p);
  cairo_pattern_destroy(p);
  cairo_fill_preserve(cr);
  c.Stroke(kInk, 4);
  // Rim and the band on the base.
  c.Ellipse(x, top, 10 * k, 1.8 * k);
  c.LinearV(top - 9, Hex(0x8A5A08), top + 9, Hex(0xE8B030));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, 3);
  cairo_rectangle(cr, x - 7 * k, top + 24 * k, 14 * k, 2.5 * k);
  c.LinearV(top + 24 * k, Hex(0x5A2A0A), top + 26.5 * k, Hex(0x2A1004));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, 3);
  cairo_rectangle(cr, x - 4 * k, top + 24.5 * k, 8 * k, 1.5 * k);
  c.Fill(Hex(0xE8C060));
  // A star on the bowl.
  StarPath(cr, x, top + 7.5 * k, 19, 0.45);
  c.Color(kInk);
  cairo_set_line_width(cr, 3);
  cairo_stroke_preserve(cr);
  c.Radial(x - 5, top + 6 * k, x, top + 7.5 * k, 22, Hex(0xFFFFFF), Hex(0xFFD54F));
  cairo_fill(cr);
  Sparkle(c, x - 30, top + 4 * k, 10);
  Sparkle(c, x + 58, top + 1, 8);
  Sparkle(c, x - 62, top + 18 * k, 7);
  Sparkle(c, x + 40, top + 20 * k, 6);
  return c.Keyed();
}

namespace {

// The bull's-eye of the logo with its cross-hair and shadow, in a square of 148 units, drawn at
// size x size pixels; small icons keep its shape and lose only the finest lines.
constexpr int kIconSpan = 148;
void DrawIcon(Canvas& c) {
  Bullseye(c, 72, 72, 52);
}

}  // namespace

bool WriteIcon(int size, const std::string& path) {
  Canvas c(kIconSpan, kIconSpan, size / double(kIconSpan));
  DrawIcon(c);
  return c.WritePng(path);
}

std::vector<uint32_t> MakeIcon(int size) {
  Canvas c(kIconSpan, kIconSpan, size / double(kIconSpan));
  DrawIcon(c);
  return c.Argb();
}
