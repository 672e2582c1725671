// Target pictures. The game centres the round target on each picture's bottom-centre point and
// topples a hit picture about that point, so every design holds, hangs or carries the disc there:
// the upper half of the disc covers the bottom-centre of the picture, its lower half hangs below.
#include <cmath>

#include "Assets.h"

namespace {

const Rgb kInk = Hex(0x1E1712);
constexpr double kLine = 1.5;
// The largest disc the game draws over the picture: radius 19.5 around (w / 2, h).
constexpr double kDisc = 19.5;

struct Pic {
  Canvas c;
  double cx, by;
  Pic(int w, int h) : c(w, h, 2.0), cx(w / 2.0), by(h) {}
  cairo_t* cr() { return c.cr(); }
};

void Eye(Canvas& c, double x, double y, double r, double lookX = 0, double lookY = 0) {
  c.Ellipse(x, y, r, r * 1.15);
  c.FillStroke(Hex(0xFFFFFF), kInk, 1.0);
  c.Circle(x + lookX * r * 0.35, y + lookY * r * 0.35, r * 0.55);
  c.Fill(Hex(0x1A1A22));
  c.Circle(x + lookX * r * 0.35 - r * 0.2, y + lookY * r * 0.35 - r * 0.25, r * 0.2);
  c.Fill(Hex(0xFFFFFF));
}

// A round mitt at (x, y), as a figure's hand gripping the rim of the disc.
void Hand(Canvas& c, double x, double y, double r, Rgb col) {
  c.Ellipse(x, y, r, r * 0.9);
  c.Radial(x - r * 0.4, y - r * 0.4, x, y, r * 1.2, Mix(col, Hex(0xFFFFFF), 0.35),
           Scale(col, 0.75));
  cairo_fill_preserve(c.cr());
  c.Stroke(kInk, 1.2);
}

void Stick(Canvas& c, double x, double y0, double y1, double w) {
  cairo_rectangle(c.cr(), x - w / 2, y0, w, y1 - y0);
  c.LinearH(x - w / 2, Hex(0xC79A5B), x + w / 2, Hex(0x7A5530));
  cairo_fill_preserve(c.cr());
  c.Stroke(kInk, 1.0);
}

// A shaded body part: radial gradient from a lit upper-left spot, ink outline.
void Shade(Canvas& c, double x, double y, double r, Rgb col, double line = kLine) {
  c.Radial(x - r * 0.45, y - r * 0.5, x, y, r * 1.25, Mix(col, Hex(0xFFFFFF), 0.45),
           Scale(col, 0.7));
  cairo_fill_preserve(c.cr());
  c.Stroke(kInk, line);
}

// Picture 0: a plain stand, a yoke from which the disc hangs on two chains.
Image Stand() {
  Pic p(56, 46);
  Canvas& c = p.c;
  cairo_t* cr = p.cr();
  // Chains from the yoke to the rim of the disc.
  for (int side = -1; side <= 1; side += 2) {
    const double x0 = p.cx + side * 20, y0 = 10, x1 = p.cx + side * 15, y1 = p.by - 13;
    for (int k = 0; k < 7; ++k) {
      const double t = (k + 0.5) / 7;
      const double x = x0 + (x1 - x0) * t, y = y0 + (y1 - y0) * t;
      c.Ellipse(x, y, k % 2 ? 1.1 : 1.9, 2.6);
      c.Stroke(Hex(0x3A3A40), 2.4);
      c.Ellipse(x, y, k % 2 ? 1.1 : 1.9, 2.6);
      c.Stroke(Hex(0xC8CCD4), 1.1);
    }
  }
  // The yoke with its hook.
  cairo_move_to(cr, p.cx, 8);
  cairo_curve_to(cr, p.cx, 0, p.cx + 7, 0, p.cx + 7, 5);
  c.Stroke(Hex(0x2A2A30), 3.2);
  cairo_move_to(cr, p.cx, 8);
  cairo_curve_to(cr, p.cx, 0, p.cx + 7, 0, p.cx + 7, 5);
  c.Stroke(Hex(0xB8BCC4), 1.6);
  c.RoundRect(p.cx - 26, 7, 52, 7, 3);
  c.LinearV(7, Hex(0xB07A3E), 14, Hex(0x6B4424));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, 1.2);
  for (int side = -1; side <= 1; side += 2) {
    c.Circle(p.cx + side * 21, 10.5, 1.5);
    c.Fill(Hex(0xE0D8C0));
  }
  return c.Keyed();
}

Image Duck() {
  Pic p(66, 80);
  Canvas& c = p.c;
  cairo_t* cr = p.cr();
  Stick(c, p.cx, 40, p.by, 5);
  // Body.
  cairo_move_to(cr, 8, 30);
  cairo_curve_to(cr, 4, 52, 40, 54, 58, 40);
  cairo_curve_to(cr, 64, 34, 62, 24, 54, 26);
  cairo_curve_to(cr, 44, 30, 34, 26, 30, 24);
  cairo_curve_to(cr, 20, 22, 10, 22, 8, 30);
  cairo_close_path(cr);
  c.Radial(22, 28, 30, 36, 34, Hex(0xFFF27A), Hex(0xE8A90E));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, kLine);
  // Wing.
  cairo_move_to(cr, 26, 34);
  cairo_curve_to(cr, 32, 28, 46, 30, 50, 36);
  cairo_curve_to(cr, 42, 44, 30, 44, 26, 34);
  c.FillStroke(Hex(0xF2C22A), Scale(Hex(0xB07A0A), 0.8), 1.1);
  // Head.
  c.Circle(18, 17, 11);
  Shade(c, 18, 17, 11, Hex(0xFFE14A));
  // Beak.
  cairo_move_to(cr, 7, 16);
  cairo_curve_to(cr, 0, 16, -1, 21, 2, 22);
  cairo_curve_to(cr, 5, 23, 8, 22, 10, 21);
  c.FillStroke(Hex(0xF57C1F), kInk, 1.2);
  Eye(c, 17, 14, 3.2, -0.6);
  return c.Keyed();
}

Image Balloon(Rgb col, uint64_t seed) {
  Pic p(50, 100);
  Canvas& c = p.c;
  cairo_t* cr = p.cr();
  Rng rng(seed);
  // String, waving down to the top of the disc.
  cairo_move_to(cr, p.cx, 58);
  const double sway = rng.Range(-6, 6);
  cairo_curve_to(cr, p.cx + 6 + sway, 68, p.cx - 6 - sway, 78, p.cx, p.by - 17);
  c.Stroke(Hex(0xECE6D8), 1.2);
  // Knot.
  cairo_move_to(cr, p.cx - 3, 59);
  cairo_line_to(cr, p.cx + 3, 59);
  cairo_line_to(cr, p.cx, 53);
  cairo_close_path(cr);
  c.FillStroke(Scale(col, 0.7), kInk, 1.0);
  // The balloon: narrower toward the knot.
  cairo_move_to(cr, p.cx, 54);
  cairo_curve_to(cr, p.cx - 16, 48, p.cx - 23, 30, p.cx - 22, 20);
  cairo_curve_to(cr, p.cx - 21, 6, p.cx - 10, 1, p.cx, 1);
  cairo_curve_to(cr, p.cx + 10, 1, p.cx + 21, 6, p.cx + 22, 20);
  cairo_curve_to(cr, p.cx + 23, 30, p.cx + 16, 48, p.cx, 54);
  cairo_close_path(cr);
  c.Radial(p.cx - 8, 14, p.cx, 24, 30, Mix(col, Hex(0xFFFFFF), 0.5), Scale(col, 0.6));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, kLine);
  // Shine.
  c.Ellipse(p.cx - 9, 14, 3.5, 7);
  c.Fill(Hex(0xFFFFFF), 0.75);
  return c.Keyed();
}

Image BalloonBunch() {
  Pic p(80, 104);
  Canvas& c = p.c;
  cairo_t* cr = p.cr();
  struct B {
    double x, y, r;
    uint32_t col;
  } balloons[] = {{22, 28, 17, 0xE53935}, {58, 26, 17, 0x43A047}, {40, 20, 18, 0xFDD835}};
  for (auto& b : balloons) {
    cairo_move_to(cr, b.x, b.y + b.r + 3);
    cairo_curve_to(cr, b.x, b.y + b.r + 20, p.cx, p.by - 40, p.cx, p.by - 17);
    c.Stroke(Hex(0xECE6D8), 1.1);
  }
  for (auto& b : balloons) {
    const Rgb col = Hex(b.col);
    c.Ellipse(b.x, b.y, b.r * 0.9, b.r);
    c.Radial(b.x - b.r * 0.4, b.y - b.r * 0.4, b.x, b.y, b.r * 1.3, Mix(col, Hex(0xFFFFFF), 0.5),
             Scale(col, 0.6));
    cairo_fill_preserve(cr);
    c.Stroke(kInk, kLine);
    cairo_move_to(cr, b.x - 2.5, b.y + b.r + 3);
    cairo_line_to(cr, b.x + 2.5, b.y + b.r + 3);
    cairo_line_to(cr, b.x, b.y + b.r - 1);
    cairo_close_path(cr);
    c.FillStroke(Scale(col, 0.7), kInk, 0.9);
    c.Ellipse(b.x - b.r * 0.38, b.y - b.r * 0.4, b.r * 0.16, b.r * 0.32);
    c.Fill(Hex(0xFFFFFF), 0.7);
  }
  // A bow where the strings meet.
  c.Ellipse(p.cx - 5, p.by - 22, 5, 3);
  c.Ellipse(p.cx + 5, p.by - 22, 5, 3);
  c.FillStroke(Hex(0x8E24AA), kInk, 1.0);
  return c.Keyed();
}

Image Clown() {
  Pic p(84, 104);
  Canvas& c = p.c;
  cairo_t* cr = p.cr();
  const double hx = p.cx, hy = 50;
  // Suit: a spotted body behind the disc, arms reaching to its rim.
  cairo_move_to(cr, hx - 24, p.by);
  cairo_curve_to(cr, hx - 26, 80, hx - 20, 70, hx, 70);
  cairo_curve_to(cr, hx + 20, 70, hx + 26, 80, hx + 24, p.by);
  cairo_close_path(cr);
  c.FillStroke(Hex(0x2E7DD7), kInk, kLine);
  for (auto [dx, dy] :
       {std::pair{-14.0, 80.0}, {12.0, 78.0}, {0.0, 90.0}, {-18.0, 96.0}, {18.0, 94.0}}) {
    c.Circle(hx + dx, dy, 2.6);
    c.Fill(Hex(0xFFE04A));
  }
  for (int side = -1; side <= 1; side += 2) {
    cairo_move_to(cr, hx + side * 18, 76);
    cairo_curve_to(cr, hx + side * 36, 82, hx + side * 36, 92, hx + side * 22, p.by - 8);
    c.Stroke(kInk, 9);
    cairo_move_to(cr, hx + side * 18, 76);
    cairo_curve_to(cr, hx + side * 36, 82, hx + side * 36, 92, hx + side * 22, p.by - 8);
    c.Stroke(Hex(0xE53935), 6.5);
    Hand(c, hx + side * 20, p.by - 7, 6, Hex(0xFFFFFF));
  }
  // Ruff.
  for (int k = 0; k < 7; ++k) {
    const double a = M_PI * (0.1 + 0.8 * k / 6);
    c.Circle(hx - std::cos(a) * 16, 69 + std::sin(a) * 3, 6);
    c.FillStroke(Hex(0xF8F8F0), kInk, 1.0);
  }
  // Hair tufts.
  for (int side = -1; side <= 1; side += 2)
    for (int k = 0; k < 3; ++k) {
      c.Circle(hx + side * (19 + k * 2), hy - 6 + k * 7, 7);
      Shade(c, hx + side * (19 + k * 2), hy - 6 + k * 7, 7, Hex(0xFF7A1A), 1.1);
    }
  // Face.
  c.Ellipse(hx, hy, 18, 19);
  Shade(c, hx, hy, 19, Hex(0xFFF4E8));
  // Hat.
  cairo_move_to(cr, hx - 15, hy - 13);
  cairo_line_to(cr, hx + 2, 6);
  cairo_line_to(cr, hx + 15, hy - 14);
  cairo_curve_to(cr, hx + 5, hy - 19, hx - 5, hy - 19, hx - 15, hy - 13);
  c.LinearH(hx - 15, Hex(0x9C27B0), hx + 15, Hex(0x5E1470));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, kLine);
  for (double t : {0.35, 0.65}) {
    c.Circle(hx - 13 + 28 * t, hy - 16 - 20 * t * (1 - t) * 2, 1.8);
    c.Fill(Hex(0xFFE04A));
  }
  c.Circle(hx + 2, 6, 4.5);
  Shade(c, hx + 2, 6, 4.5, Hex(0xFFE04A), 1.1);
  // Eyes, cheeks, nose, mouth.
  for (int side = -1; side <= 1; side += 2) {
    cairo_move_to(cr, hx + side * 7 - 3.5, hy - 10);
    cairo_line_to(cr, hx + side * 7, hy - 13);
    cairo_line_to(cr, hx + side * 7 + 3.5, hy - 10);
    c.Stroke(Hex(0x2A5BD7), 1.4);
    Eye(c, hx + side * 7, hy - 4, 3.4, 0, 0.3);
    c.Circle(hx + side * 11, hy + 5, 3.5);
    c.Fill(Hex(0xFF8A8A), 0.6);
  }
  cairo_move_to(cr, hx - 10, hy + 6);
  cairo_curve_to(cr, hx - 6, hy + 15, hx + 6, hy + 15, hx + 10, hy + 6);
  cairo_curve_to(cr, hx + 5, hy + 10, hx - 5, hy + 10, hx - 10, hy + 6);
  c.FillStroke(Hex(0xD81B2A), kInk, 1.1);
  c.Circle(hx, hy + 2, 5);
  Shade(c, hx, hy + 2, 5, Hex(0xF02020), 1.2);
  return c.Keyed();
}

Image Bottle(Rgb glass, Rgb label) {
  Pic p(40, 96);
  Canvas& c = p.c;
  cairo_t* cr = p.cr();
  const double x = p.cx;
  cairo_move_to(cr, x - 4, 4);
  cairo_line_to(cr, x - 4, 26);
  cairo_curve_to(cr, x - 4, 36, x - 14, 38, x - 14, 50);
  cairo_line_to(cr, x - 14, p.by - 2);
  cairo_curve_to(cr, x - 14, p.by, x + 14, p.by, x + 14, p.by - 2);
  cairo_line_to(cr, x + 14, 50);
  cairo_curve_to(cr, x + 14, 38, x + 4, 36, x + 4, 26);
  cairo_line_to(cr, x + 4, 4);
  cairo_close_path(cr);
  c.LinearH(x - 14, Scale(glass, 0.55), x + 14, Scale(glass, 0.8));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, kLine);
  // Light on the glass.
  cairo_move_to(cr, x - 9, 50);
  cairo_line_to(cr, x - 9, p.by - 26);
  c.Stroke(Mix(glass, Hex(0xFFFFFF), 0.7), 2.6, 0.85);
  cairo_move_to(cr, x - 2, 8);
  cairo_line_to(cr, x - 2, 26);
  c.Stroke(Mix(glass, Hex(0xFFFFFF), 0.6), 1.4, 0.8);
  // Label (its lower part is hidden by the disc).
  cairo_rectangle(cr, x - 14, 54, 28, 18);
  c.LinearV(54, Mix(label, Hex(0xFFFFFF), 0.25), 72, Scale(label, 0.8));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, 1.0);
  c.Circle(x, 63, 5);
  c.FillStroke(Hex(0xF4E2B0), Scale(label, 0.5), 1.0);
  // Cap.
  c.RoundRect(x - 5.5, 1, 11, 6, 1.5);
  c.LinearH(x - 5.5, Hex(0xF2D15A), x + 5.5, Hex(0xA8801E));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, 1.1);
  return c.Keyed();
}

Image TinCan() {
  Pic p(44, 60);
  Canvas& c = p.c;
  cairo_t* cr = p.cr();
  const double x = p.cx, top = 6;
  cairo_move_to(cr, x - 18, top);
  cairo_line_to(cr, x - 18, p.by - 3);
  cairo_curve_to(cr, x - 18, p.by + 1, x + 18, p.by + 1, x + 18, p.by - 3);
  cairo_line_to(cr, x + 18, top);
  cairo_close_path(cr);
  cairo_pattern_t* g = cairo_pattern_create_linear(x - 18, 0, x + 18, 0);
  cairo_pattern_add_color_stop_rgb(g, 0, 0.45, 0.47, 0.5);
  cairo_pattern_add_color_stop_rgb(g, 0.3, 0.95, 0.96, 0.98);
  cairo_pattern_add_color_stop_rgb(g, 1, 0.35, 0.37, 0.4);
  cairo_set_source(cr, g);
  cairo_pattern_destroy(g);
  cairo_fill_preserve(cr);
  c.Stroke(kInk, kLine);
  // Label.
  cairo_rectangle(cr, x - 18, top + 8, 36, 28);
  c.LinearH(x - 18, Hex(0x8E1B1B), x + 18, Hex(0x5A0E0E));
  cairo_fill(cr);
  cairo_rectangle(cr, x - 18, top + 13, 36, 12);
  c.LinearH(x - 18, Hex(0xF5E9C8), x + 18, Hex(0xB8A880));
  cairo_fill(cr);
  c.Ellipse(x - 2, top + 19, 8, 4.5);
  c.FillStroke(Hex(0xE0A020), Hex(0x7A4A0A), 0.9);
  cairo_rectangle(cr, x - 18, top + 8, 36, 28);
  c.Stroke(kInk, 1.0);
  // Ridges and the rim.
  for (double y : {top + 3.0, top + 40.0, top + 44.0}) {
    cairo_move_to(cr, x - 18, y);
    cairo_curve_to(cr, x - 10, y + 2, x + 10, y + 2, x + 18, y);
    c.Stroke(Hex(0x5A5D62), 0.9);
  }
  c.Ellipse(x, top, 18, 4);
  c.LinearV(top - 4, Hex(0xD8DCE2), top + 4, Hex(0x80848A));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, 1.2);
  c.Ellipse(x, top, 14, 2.6);
  c.Stroke(Hex(0x6A6E74), 1.0);
  return c.Keyed();
}

Image Parrot() {
  Pic p(60, 100);
  Canvas& c = p.c;
  cairo_t* cr = p.cr();
  // Perch: a T-bar on a stick that ends at the disc.
  Stick(c, p.cx, 62, p.by, 5);
  c.RoundRect(p.cx - 18, 60, 36, 5, 2.5);
  c.LinearV(60, Hex(0xC79A5B), 65, Hex(0x7A5530));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, 1.0);
  // Tail.
  cairo_move_to(cr, p.cx + 2, 54);
  cairo_line_to(cr, p.cx + 14, 90);
  cairo_line_to(cr, p.cx + 4, 88);
  cairo_line_to(cr, p.cx - 4, 58);
  cairo_close_path(cr);
  c.LinearV(54, Hex(0x1E88E5), 90, Hex(0x0D47A1));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, 1.2);
  // Body.
  cairo_move_to(cr, p.cx - 4, 18);
  cairo_curve_to(cr, p.cx - 20, 26, p.cx - 18, 52, p.cx - 4, 60);
  cairo_curve_to(cr, p.cx + 8, 62, p.cx + 14, 50, p.cx + 10, 34);
  cairo_curve_to(cr, p.cx + 8, 24, p.cx + 4, 18, p.cx - 4, 18);
  c.Radial(p.cx - 8, 30, p.cx - 3, 40, 26, Hex(0xFF6E5A), Hex(0xB71C1C));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, kLine);
  // Wing.
  cairo_move_to(cr, p.cx + 2, 30);
  cairo_curve_to(cr, p.cx + 14, 34, p.cx + 14, 50, p.cx + 6, 58);
  cairo_curve_to(cr, p.cx - 2, 52, p.cx - 4, 40, p.cx + 2, 30);
  c.LinearV(30, Hex(0xFFD54F), 58, Hex(0x43A047));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, 1.2);
  // Head.
  c.Circle(p.cx - 4, 16, 11);
  Shade(c, p.cx - 4, 16, 11, Hex(0xF44336));
  c.Ellipse(p.cx - 6, 15, 6, 5);
  c.Fill(Hex(0xFFFFFF));
  Eye(c, p.cx - 6, 14, 2.6, -0.5);
  // Hooked beak.
  cairo_move_to(cr, p.cx - 13, 12);
  cairo_curve_to(cr, p.cx - 22, 12, p.cx - 22, 24, p.cx - 16, 26);
  cairo_curve_to(cr, p.cx - 17, 22, p.cx - 15, 20, p.cx - 11, 20);
  cairo_close_path(cr);
  c.FillStroke(Hex(0xF5E6C8), kInk, 1.1);
  // Feet on the perch.
  for (double dx : {-6.0, 2.0}) {
    c.Ellipse(p.cx + dx, 60, 3, 2);
    c.FillStroke(Hex(0x8D8D8D), kInk, 0.8);
  }
  return c.Keyed();
}

Image Rabbit() {
  Pic p(70, 106);
  Canvas& c = p.c;
  cairo_t* cr = p.cr();
  const double x = p.cx;
  const Rgb fur = Hex(0xEDE6DD);
  // Ears.
  for (int side = -1; side <= 1; side += 2) {
    cairo_save(cr);
    cairo_translate(cr, x + side * 8, 30);
    cairo_rotate(cr, side * 0.18);
    c.Ellipse(0, -16, 6.5, 17);
    Shade(c, 0, -16, 17, fur);
    c.Ellipse(0, -15, 3.2, 12);
    c.Fill(Hex(0xF4A6B8));
    cairo_restore(cr);
  }
  // Body.
  c.Ellipse(x, 82, 22, 24);
  Shade(c, x, 82, 24, fur);
  c.Ellipse(x, 86, 13, 15);
  c.Fill(Hex(0xFFFFFF));
  // Head.
  c.Ellipse(x, 46, 17, 15);
  Shade(c, x, 46, 17, fur);
  for (int side = -1; side <= 1; side += 2) {
    Eye(c, x + side * 6.5, 43, 3.4, 0, 0.2);
    c.Circle(x + side * 10, 51, 3);
    c.Fill(Hex(0xFFA0B0), 0.55);
    cairo_move_to(cr, x + side * 3, 51);
    cairo_line_to(cr, x + side * 14, 49 + side * 0);
    c.Stroke(Hex(0x8A7F76), 0.7);
  }
  c.Ellipse(x, 49.5, 2.6, 2);
  c.Fill(Hex(0xE75480));
  cairo_move_to(cr, x - 3, 54);
  cairo_curve_to(cr, x - 1, 56, x, 55, x, 52);
  cairo_curve_to(cr, x, 55, x + 1, 56, x + 3, 54);
  c.Stroke(kInk, 0.9);
  // Teeth.
  cairo_rectangle(cr, x - 2, 54.5, 4, 3);
  c.FillStroke(Hex(0xFFFFFF), kInk, 0.6);
  // Arms holding the disc's rim.
  for (int side = -1; side <= 1; side += 2) {
    cairo_move_to(cr, x + side * 14, 66);
    cairo_curve_to(cr, x + side * 28, 74, x + side * 28, 86, x + side * 21, p.by - 8);
    c.Stroke(kInk, 8.5);
    cairo_move_to(cr, x + side * 14, 66);
    cairo_curve_to(cr, x + side * 28, 74, x + side * 28, 86, x + side * 21, p.by - 8);
    c.Stroke(fur, 6);
    Hand(c, x + side * 20, p.by - 7, 5.5, fur);
  }
  return c.Keyed();
}

Image Bear() {
  Pic p(84, 92);
  Canvas& c = p.c;
  cairo_t* cr = p.cr();
  const double x = p.cx;
  const Rgb fur = Hex(0xA0652E);
  c.Ellipse(x, 72, 27, 24);
  Shade(c, x, 72, 27, fur);
  c.Ellipse(x, 76, 16, 14);
  c.Fill(Hex(0xD9A56A));
  for (int side = -1; side <= 1; side += 2) {
    c.Circle(x + side * 17, 14, 8);
    Shade(c, x + side * 17, 14, 8, fur);
    c.Circle(x + side * 17, 14, 4.2);
    c.Fill(Hex(0xD9A56A));
  }
  c.Ellipse(x, 34, 23, 21);
  Shade(c, x, 34, 23, fur);
  c.Ellipse(x, 42, 10, 8);
  c.FillStroke(Hex(0xE8C08A), Scale(fur, 0.6), 1.0);
  c.Ellipse(x, 38.5, 4.2, 3.2);
  c.Fill(Hex(0x2A1A10));
  cairo_move_to(cr, x, 41);
  cairo_line_to(cr, x, 44);
  cairo_move_to(cr, x - 4, 45);
  cairo_curve_to(cr, x - 2, 47, x, 46, x, 44);
  cairo_curve_to(cr, x, 46, x + 2, 47, x + 4, 45);
  c.Stroke(kInk, 1.0);
  for (int side = -1; side <= 1; side += 2) Eye(c, x + side * 8, 29, 3.2, 0, 0.2);
  // A bow tie.
  cairo_move_to(cr, x, 55);
  cairo_line_to(cr, x - 9, 50);
  cairo_line_to(cr, x - 9, 60);
  cairo_close_path(cr);
  cairo_move_to(cr, x, 55);
  cairo_line_to(cr, x + 9, 50);
  cairo_line_to(cr, x + 9, 60);
  cairo_close_path(cr);
  c.FillStroke(Hex(0xD32F2F), kInk, 1.0);
  c.Circle(x, 55, 2.4);
  c.FillStroke(Hex(0xB71C1C), kInk, 0.8);
  for (int side = -1; side <= 1; side += 2) {
    cairo_move_to(cr, x + side * 20, 62);
    cairo_curve_to(cr, x + side * 34, 70, x + side * 32, 80, x + side * 22, p.by - 7);
    c.Stroke(kInk, 11);
    cairo_move_to(cr, x + side * 20, 62);
    cairo_curve_to(cr, x + side * 34, 70, x + side * 32, 80, x + side * 22, p.by - 7);
    c.Stroke(fur, 8.5);
    Hand(c, x + side * 20, p.by - 6, 6.5, fur);
  }
  return c.Keyed();
}

Image Owl() {
  Pic p(60, 80);
  Canvas& c = p.c;
  cairo_t* cr = p.cr();
  const double x = p.cx, feet = p.by - kDisc + 1;
  const Rgb body = Hex(0x8D6E63);
  cairo_move_to(cr, x - 20, 22);
  cairo_line_to(cr, x - 17, 4);
  cairo_line_to(cr, x - 8, 14);
  cairo_curve_to(cr, x - 3, 12, x + 3, 12, x + 8, 14);
  cairo_line_to(cr, x + 17, 4);
  cairo_line_to(cr, x + 20, 22);
  cairo_curve_to(cr, x + 26, 42, x + 20, feet, x, feet);
  cairo_curve_to(cr, x - 20, feet, x - 26, 42, x - 20, 22);
  cairo_close_path(cr);
  c.Radial(x - 8, 20, x, 36, 40, Hex(0xBCA08E), Scale(body, 0.75));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, kLine);
  // Breast feathers.
  c.Ellipse(x, 44, 12, 13);
  c.Fill(Hex(0xE8D5B5));
  for (int r = 0; r < 3; ++r)
    for (int k = -1; k <= 1; ++k) {
      const double fx = x + k * 6 + (r % 2) * 3 - 1.5, fy = 38 + r * 6;
      cairo_move_to(cr, fx - 2.5, fy);
      cairo_curve_to(cr, fx - 1, fy + 2.5, fx + 1, fy + 2.5, fx + 2.5, fy);
      c.Stroke(Hex(0x9E7B5A), 0.9);
    }
  // Face discs and big eyes.
  for (int side = -1; side <= 1; side += 2) {
    c.Circle(x + side * 8.5, 23, 8.5);
    c.FillStroke(Hex(0xF3E6CF), Scale(body, 0.6), 1.0);
    c.Circle(x + side * 8.5, 23, 5.6);
    c.FillStroke(Hex(0xFFC107), kInk, 1.0);
    c.Circle(x + side * 8.5, 23, 3.2);
    c.Fill(Hex(0x111111));
    c.Circle(x + side * 8.5 - 1.2, 21.8, 1.1);
    c.Fill(Hex(0xFFFFFF));
  }
  cairo_move_to(cr, x - 3, 29);
  cairo_line_to(cr, x + 3, 29);
  cairo_line_to(cr, x, 35);
  cairo_close_path(cr);
  c.FillStroke(Hex(0xF9A825), kInk, 1.0);
  // Wings folded at the sides.
  for (int side = -1; side <= 1; side += 2) {
    cairo_move_to(cr, x + side * 18, 30);
    cairo_curve_to(cr, x + side * 26, 40, x + side * 24, 54, x + side * 14, feet - 2);
    cairo_curve_to(cr, x + side * 16, 48, x + side * 15, 38, x + side * 18, 30);
    c.FillStroke(Scale(body, 0.8), kInk, 1.1);
  }
  // Talons gripping the disc's top edge.
  for (int side = -1; side <= 1; side += 2)
    for (int k = -1; k <= 1; ++k) {
      c.Ellipse(x + side * 6 + k * 2.4, feet + 1, 1.4, 2.4);
      c.FillStroke(Hex(0xF9A825), kInk, 0.7);
    }
  return c.Keyed();
}

Image Fish() {
  Pic p(76, 82);
  Canvas& c = p.c;
  cairo_t* cr = p.cr();
  Stick(c, p.cx, 34, p.by, 5);
  const double y = 24;
  // Tail.
  cairo_move_to(cr, 58, y);
  cairo_line_to(cr, 74, y - 13);
  cairo_curve_to(cr, 70, y - 4, 70, y + 4, 74, y + 13);
  cairo_close_path(cr);
  c.LinearV(y - 13, Hex(0xFFB74D), y + 13, Hex(0xE65100));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, 1.2);
  // Fins.
  cairo_move_to(cr, 28, y - 12);
  cairo_curve_to(cr, 34, y - 22, 46, y - 22, 50, y - 10);
  c.FillStroke(Hex(0xFF9800), kInk, 1.1);
  cairo_move_to(cr, 32, y + 12);
  cairo_curve_to(cr, 36, y + 20, 44, y + 20, 46, y + 11);
  c.FillStroke(Hex(0xFF9800), kInk, 1.1);
  // Body.
  cairo_move_to(cr, 4, y);
  cairo_curve_to(cr, 14, y - 18, 46, y - 18, 60, y);
  cairo_curve_to(cr, 46, y + 16, 14, y + 16, 4, y);
  cairo_close_path(cr);
  c.Radial(22, y - 6, 30, y, 32, Hex(0xFFE082), Hex(0xF57C00));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, kLine);
  // Scales and gill.
  for (int k = 0; k < 3; ++k)
    for (int j = -1; j <= 1; ++j) {
      const double sx = 30 + k * 8, sy = y + j * 6;
      cairo_arc(cr, sx, sy, 3.5, -M_PI / 2, M_PI / 2);
      c.Stroke(Hex(0xD86A00), 0.9);
    }
  cairo_move_to(cr, 20, y - 9);
  cairo_curve_to(cr, 24, y - 3, 24, y + 3, 20, y + 9);
  c.Stroke(Hex(0xB34700), 1.2);
  Eye(c, 13, y - 3, 3.4, -0.4);
  cairo_move_to(cr, 5, y + 2);
  cairo_line_to(cr, 10, y + 3);
  c.Stroke(kInk, 1.0);
  return c.Keyed();
}

Image Robot() {
  Pic p(80, 100);
  Canvas& c = p.c;
  cairo_t* cr = p.cr();
  const double x = p.cx;
  auto metal = [&](double x0, double y0, double w, double h, double r, Rgb col) {
    c.RoundRect(x0, y0, w, h, r);
    c.LinearH(x0, Mix(col, Hex(0xFFFFFF), 0.4), x0 + w, Scale(col, 0.6));
    cairo_fill_preserve(cr);
    c.Stroke(kInk, kLine);
  };
  // Antenna.
  cairo_move_to(cr, x, 12);
  cairo_line_to(cr, x, 4);
  c.Stroke(kInk, 1.6);
  c.Circle(x, 4, 3.2);
  Shade(c, x, 4, 3.2, Hex(0xFF5252), 1.0);
  // Body behind the disc.
  metal(x - 22, 56, 44, 44, 6, Hex(0x90A4AE));
  for (int k = 0; k < 3; ++k) {
    c.Circle(x - 8 + k * 8, 64, 2.4);
    c.FillStroke(k == 1 ? Hex(0x66BB6A) : Hex(0xFFCA28), kInk, 0.8);
  }
  // Neck and head.
  cairo_rectangle(cr, x - 5, 48, 10, 9);
  c.FillStroke(Hex(0x607D8B), kInk, 1.0);
  metal(x - 18, 12, 36, 36, 7, Hex(0xB0BEC5));
  c.RoundRect(x - 13, 19, 26, 14, 4);
  c.FillStroke(Hex(0x263238), kInk, 1.0);
  for (int side = -1; side <= 1; side += 2) {
    c.Circle(x + side * 6, 26, 3.4);
    c.Radial(x + side * 6, 26, x + side * 6, 26, 3.4, Hex(0xE0FFFF), Hex(0x00BCD4));
    cairo_fill(cr);
    metal(x + side * 18 - 3, 24, 6, 12, 2, Hex(0x78909C));
  }
  for (int k = 0; k < 4; ++k) {
    cairo_rectangle(cr, x - 8 + k * 4, 38, 3, 4);
    c.FillStroke(Hex(0xECEFF1), kInk, 0.7);
  }
  // Arms: jointed, claws at the rim of the disc.
  for (int side = -1; side <= 1; side += 2) {
    cairo_move_to(cr, x + side * 22, 62);
    cairo_line_to(cr, x + side * 33, 74);
    cairo_line_to(cr, x + side * 24, p.by - 8);
    c.Stroke(kInk, 7);
    cairo_move_to(cr, x + side * 22, 62);
    cairo_line_to(cr, x + side * 33, 74);
    cairo_line_to(cr, x + side * 24, p.by - 8);
    c.Stroke(Hex(0x78909C), 4.5);
    c.Circle(x + side * 33, 74, 3.5);
    c.FillStroke(Hex(0xB0BEC5), kInk, 1.0);
    Hand(c, x + side * 21, p.by - 7, 5.5, Hex(0xFFB300));
  }
  return c.Keyed();
}

Image Cat() {
  Pic p(64, 70);
  Canvas& c = p.c;
  cairo_t* cr = p.cr();
  const double x = p.cx, seat = p.by - kDisc + 2;
  const Rgb fur = Hex(0x9E9E9E);
  // Tail curling down behind the disc.
  cairo_move_to(cr, x + 14, seat - 4);
  cairo_curve_to(cr, x + 34, seat - 8, x + 30, seat - 34, x + 24, seat - 40);
  c.Stroke(kInk, 7.5);
  cairo_move_to(cr, x + 14, seat - 4);
  cairo_curve_to(cr, x + 34, seat - 8, x + 30, seat - 34, x + 24, seat - 40);
  c.Stroke(fur, 5);
  // Body sitting on the disc.
  c.Ellipse(x, seat - 12, 17, 14);
  Shade(c, x, seat - 12, 17, fur);
  for (int k = 0; k < 3; ++k) {
    cairo_move_to(cr, x - 12 + k * 3, seat - 20 + k * 5);
    cairo_line_to(cr, x - 6 + k * 3, seat - 19 + k * 5);
    c.Stroke(Hex(0x616161), 1.4);
  }
  for (int side = -1; side <= 1; side += 2) {
    c.Ellipse(x + side * 7, seat - 1, 5, 3.2);
    c.FillStroke(Hex(0xBDBDBD), kInk, 1.0);
  }
  // Head with ears.
  const double hy = 20;
  for (int side = -1; side <= 1; side += 2) {
    cairo_move_to(cr, x + side * 15, hy - 2);
    cairo_line_to(cr, x + side * 14, hy - 18);
    cairo_line_to(cr, x + side * 4, hy - 11);
    cairo_close_path(cr);
    c.FillStroke(fur, kInk, kLine);
    cairo_move_to(cr, x + side * 13, hy - 5);
    cairo_line_to(cr, x + side * 13, hy - 14);
    cairo_line_to(cr, x + side * 7, hy - 10);
    cairo_close_path(cr);
    c.Fill(Hex(0xF8BBD0));
  }
  c.Ellipse(x, hy, 17, 14);
  Shade(c, x, hy, 17, fur);
  for (int side = -1; side <= 1; side += 2) {
    c.Ellipse(x + side * 6.5, hy - 2, 3.6, 4.4);
    c.FillStroke(Hex(0xC6FF00), kInk, 1.0);
    c.Ellipse(x + side * 6.5, hy - 2, 1.1, 3.4);
    c.Fill(Hex(0x111111));
    for (int k = -1; k <= 1; ++k) {
      cairo_move_to(cr, x + side * 5, hy + 5);
      cairo_line_to(cr, x + side * 19, hy + 3 + k * 3);
      c.Stroke(Hex(0xF5F5F5), 0.7);
    }
  }
  cairo_move_to(cr, x - 2.2, hy + 3);
  cairo_line_to(cr, x + 2.2, hy + 3);
  cairo_line_to(cr, x, hy + 5.5);
  cairo_close_path(cr);
  c.Fill(Hex(0xEC407A));
  cairo_move_to(cr, x - 4, hy + 8);
  cairo_curve_to(cr, x - 2, hy + 10, x, hy + 9, x, hy + 6);
  cairo_curve_to(cr, x, hy + 9, x + 2, hy + 10, x + 4, hy + 8);
  c.Stroke(kInk, 0.9);
  return c.Keyed();
}

Image Snowman() {
  Pic p(60, 88);
  Canvas& c = p.c;
  cairo_t* cr = p.cr();
  const double x = p.cx;
  const Rgb snow = Hex(0xF4F8FF);
  // Stick arms reaching down to the disc, which is his lowest snowball.
  for (int side = -1; side <= 1; side += 2) {
    cairo_move_to(cr, x + side * 12, 52);
    cairo_line_to(cr, x + side * 26, 62);
    cairo_line_to(cr, x + side * 22, p.by - 12);
    cairo_move_to(cr, x + side * 24, 60);
    cairo_line_to(cr, x + side * 29, 55);
    c.Stroke(Hex(0x5D4037), 2.4);
  }
  c.Circle(x, 54, 15);
  c.Radial(x - 6, 48, x, 54, 18, Hex(0xFFFFFF), Hex(0xB8C8E0));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, kLine);
  for (int k = 0; k < 3; ++k) {
    c.Circle(x, 47 + k * 6, 1.8);
    c.Fill(Hex(0x263238));
  }
  // Scarf.
  c.RoundRect(x - 12, 35, 24, 6, 3);
  c.FillStroke(Hex(0xD32F2F), kInk, 1.0);
  cairo_rectangle(cr, x + 4, 38, 6, 13);
  c.FillStroke(Hex(0xC62828), kInk, 1.0);
  c.Circle(x, 26, 11);
  c.Radial(x - 4, 21, x, 26, 14, Hex(0xFFFFFF), Hex(0xB8C8E0));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, kLine);
  (void)snow;
  for (int side = -1; side <= 1; side += 2) {
    c.Circle(x + side * 4, 23, 1.7);
    c.Fill(Hex(0x212121));
  }
  cairo_move_to(cr, x, 26);
  cairo_line_to(cr, x + 11, 28.5);
  cairo_line_to(cr, x, 29);
  cairo_close_path(cr);
  c.FillStroke(Hex(0xFF8F00), Hex(0x8D4A00), 0.8);
  for (int k = -2; k <= 2; ++k) {
    c.Circle(x + k * 2.6, 32 - (k * k) * 0.3, 0.9);
    c.Fill(Hex(0x212121));
  }
  // Top hat.
  cairo_rectangle(cr, x - 13, 15, 26, 3);
  c.FillStroke(Hex(0x263238), kInk, 1.0);
  cairo_rectangle(cr, x - 8, 1, 16, 14);
  c.LinearH(x - 8, Hex(0x455A64), x + 8, Hex(0x1C262B));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, 1.0);
  cairo_rectangle(cr, x - 8, 11, 16, 3);
  c.Fill(Hex(0x1565C0));
  return c.Keyed();
}

Image StarOnStick() {
  Pic p(56, 90);
  Canvas& c = p.c;
  cairo_t* cr = p.cr();
  Stick(c, p.cx, 40, p.by, 5);
  StarPath(cr, p.cx, 28, 26, 0.45);
  c.Radial(p.cx - 6, 20, p.cx, 28, 28, Hex(0xFFF59D), Hex(0xF9A825));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, kLine);
  StarPath(cr, p.cx, 28, 17, 0.45);
  c.Stroke(Hex(0xFFFDE7), 1.0, 0.7);
  for (int side = -1; side <= 1; side += 2) {
    c.Ellipse(p.cx + side * 5, 26, 2, 3);
    c.Fill(Hex(0x3E2723));
  }
  cairo_arc(cr, p.cx, 31, 4.5, 0.2 * M_PI, 0.8 * M_PI);
  c.Stroke(Hex(0x3E2723), 1.3);
  return c.Keyed();
}

Image HotAirBalloon() {
  Pic p(74, 108);
  Canvas& c = p.c;
  cairo_t* cr = p.cr();
  const double x = p.cx;
  // Ropes from the envelope to the basket, and the disc hanging under the basket.
  for (int side = -1; side <= 1; side += 2) {
    cairo_move_to(cr, x + side * 14, 58);
    cairo_line_to(cr, x + side * 9, 72);
    c.Stroke(Hex(0x5D4037), 1.0);
  }
  cairo_move_to(cr, x, 80);
  cairo_line_to(cr, x, p.by - 17);
  c.Stroke(Hex(0x5D4037), 1.2);
  // Basket.
  c.RoundRect(x - 10, 70, 20, 11, 2);
  c.LinearV(70, Hex(0xC8935A), 81, Hex(0x7B4F24));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, 1.2);
  for (int k = 1; k < 4; ++k) {
    cairo_move_to(cr, x - 10 + k * 5, 71);
    cairo_line_to(cr, x - 10 + k * 5, 80);
    c.Stroke(Hex(0x6D4420), 0.8);
  }
  // Envelope in gores.
  auto envelope = [&] {
    cairo_move_to(cr, x - 14, 58);
    cairo_curve_to(cr, x - 36, 40, x - 36, 2, x, 2);
    cairo_curve_to(cr, x + 36, 2, x + 36, 40, x + 14, 58);
    cairo_close_path(cr);
  };
  envelope();
  c.Fill(Hex(0xFFFFFF));
  const uint32_t gores[] = {0xE53935, 0xFDD835, 0x1E88E5, 0xFDD835, 0xE53935};
  cairo_save(cr);
  envelope();
  cairo_clip(cr);
  for (int k = 0; k < 5; ++k) {
    const double x0 = x - 35 + k * 14;
    cairo_move_to(cr, x, 2);
    cairo_curve_to(cr, x0 - 2, 10, x0 - 2, 50, x + (x0 - x) * 0.35, 60);
    cairo_line_to(cr, x + (x0 + 14 - x) * 0.35, 60);
    cairo_curve_to(cr, x0 + 16, 50, x0 + 16, 10, x, 2);
    c.Fill(Hex(gores[k]));
  }
  cairo_restore(cr);
  envelope();
  c.Radial(x - 12, 16, x, 28, 44, Hex(0xFFFFFF), Hex(0x000000));
  cairo_pattern_t* shine = cairo_pattern_create_radial(x - 12, 16, 0, x, 28, 44);
  cairo_pattern_add_color_stop_rgba(shine, 0, 1, 1, 1, 0.45);
  cairo_pattern_add_color_stop_rgba(shine, 0.5, 1, 1, 1, 0.0);
  cairo_pattern_add_color_stop_rgba(shine, 1, 0, 0, 0, 0.35);
  cairo_set_source(cr, shine);
  cairo_pattern_destroy(shine);
  cairo_fill_preserve(cr);
  c.Stroke(kInk, kLine);
  return c.Keyed();
}

Image Frog() {
  Pic p(64, 62);
  Canvas& c = p.c;
  cairo_t* cr = p.cr();
  const double x = p.cx, seat = p.by - kDisc + 2;
  const Rgb skin = Hex(0x66BB6A);
  // Back legs folded at the sides.
  for (int side = -1; side <= 1; side += 2) {
    c.Ellipse(x + side * 17, seat - 8, 10, 8);
    Shade(c, x + side * 17, seat - 8, 10, skin);
    c.Ellipse(x + side * 22, seat, 7, 3);
    c.FillStroke(Scale(skin, 0.85), kInk, 1.1);
  }
  c.Ellipse(x, seat - 14, 19, 16);
  Shade(c, x, seat - 14, 19, skin);
  c.Ellipse(x, seat - 9, 12, 9);
  c.Fill(Hex(0xDCEDC8));
  for (int side = -1; side <= 1; side += 2) {
    c.Ellipse(x + side * 6, seat, 4, 2.6);
    c.FillStroke(Scale(skin, 0.9), kInk, 1.0);
    c.Circle(x + side * 10, seat - 30, 8);
    Shade(c, x + side * 10, seat - 30, 8, skin);
    Eye(c, x + side * 10, seat - 30, 4.6, 0, 0.1);
    c.Circle(x + side * 4, seat - 19, 1.1);
    c.Fill(Hex(0x2E5E30));
  }
  cairo_move_to(cr, x - 13, seat - 17);
  cairo_curve_to(cr, x - 6, seat - 10, x + 6, seat - 10, x + 13, seat - 17);
  c.Stroke(kInk, 1.3);
  c.Ellipse(x + 4, seat - 12, 3, 2);
  c.Fill(Hex(0xF06292));
  return c.Keyed();
}

Image Ghost() {
  Pic p(64, 84);
  Canvas& c = p.c;
  cairo_t* cr = p.cr();
  const double x = p.cx;
  cairo_move_to(cr, x - 24, 34);
  cairo_curve_to(cr, x - 24, 6, x + 24, 6, x + 24, 34);
  cairo_line_to(cr, x + 24, 78);
  for (int k = 0; k < 4; ++k) {
    const double x0 = x + 24 - k * 12;
    cairo_curve_to(cr, x0 - 2, 84, x0 - 10, 84, x0 - 12, 76 + (k % 2) * 2);
  }
  cairo_close_path(cr);
  c.Radial(x - 10, 20, x, 40, 52, Hex(0xFFFFFF), Hex(0xB3C7E6));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, kLine);
  for (int side = -1; side <= 1; side += 2) {
    c.Ellipse(x + side * 8, 30, 4.5, 6.5);
    c.Fill(Hex(0x1A237E));
    c.Circle(x + side * 8 - 1.4, 27.5, 1.5);
    c.Fill(Hex(0xFFFFFF));
    c.Ellipse(x + side * 14, 40, 3.5, 2);
    c.Fill(Hex(0xF48FB1), 0.6);
  }
  c.Ellipse(x, 43, 5, 6);
  c.Fill(Hex(0x1A237E));
  // Arms waving round to the disc's rim.
  for (int side = -1; side <= 1; side += 2) {
    cairo_move_to(cr, x + side * 22, 50);
    cairo_curve_to(cr, x + side * 32, 56, x + side * 30, 68, x + side * 21, p.by - 8);
    c.Stroke(kInk, 8);
    cairo_move_to(cr, x + side * 22, 50);
    cairo_curve_to(cr, x + side * 32, 56, x + side * 30, 68, x + side * 21, p.by - 8);
    c.Stroke(Hex(0xE3ECF8), 5.5);
    Hand(c, x + side * 20, p.by - 7, 5, Hex(0xEEF3FB));
  }
  return c.Keyed();
}

Image Sunflower() {
  Pic p(64, 104);
  Canvas& c = p.c;
  cairo_t* cr = p.cr();
  const double x = p.cx, fy = 30;
  cairo_move_to(cr, x, fy);
  cairo_curve_to(cr, x + 4, 60, x - 4, 80, x, p.by - 15);
  c.Stroke(kInk, 6);
  cairo_move_to(cr, x, fy);
  cairo_curve_to(cr, x + 4, 60, x - 4, 80, x, p.by - 15);
  c.Stroke(Hex(0x558B2F), 4);
  for (int side = -1; side <= 1; side += 2) {
    cairo_save(cr);
    cairo_translate(cr, x + side * 1, 66 + side * 6);
    cairo_scale(cr, side, 1);
    cairo_move_to(cr, 0, 0);
    cairo_curve_to(cr, 8, -10, 20, -8, 24, -4);
    cairo_curve_to(cr, 18, 4, 8, 6, 0, 0);
    c.LinearV(-10, Hex(0x9CCC65), 6, Hex(0x33691E));
    cairo_fill_preserve(cr);
    c.Stroke(kInk, 1.1);
    cairo_restore(cr);
  }
  for (int k = 0; k < 14; ++k) {
    const double a = k * 2 * M_PI / 14;
    cairo_save(cr);
    cairo_translate(cr, x, fy);
    cairo_rotate(cr, a);
    c.Ellipse(20, 0, 10, 4.2);
    cairo_restore(cr);
    c.LinearV(fy - 30, Hex(0xFFEE58), fy + 30, Hex(0xF9A825));
    cairo_fill_preserve(cr);
    c.Stroke(kInk, 1.0);
  }
  c.Circle(x, fy, 12);
  c.Radial(x - 3, fy - 3, x, fy, 13, Hex(0x8D6E63), Hex(0x3E2723));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, 1.2);
  for (int k = 0; k < 18; ++k) {
    const double a = k * 2.39996, r = 1.5 * std::sqrt(k + 1.0) * 2.2;
    c.Circle(x + r * std::cos(a), fy + r * std::sin(a), 0.9);
    c.Fill(Hex(0xBCAAA4), 0.8);
  }
  return c.Keyed();
}

Image Penguin() {
  Pic p(60, 84);
  Canvas& c = p.c;
  cairo_t* cr = p.cr();
  const double x = p.cx;
  c.Ellipse(x, 50, 21, 30);
  c.LinearH(x - 21, Hex(0x37474F), x + 21, Hex(0x101418));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, kLine);
  c.Ellipse(x, 56, 14, 23);
  c.Radial(x - 4, 46, x, 56, 26, Hex(0xFFFFFF), Hex(0xCFD8DC));
  cairo_fill(cr);
  c.Ellipse(x, 30, 11, 9);
  c.Fill(Hex(0xFFFFFF));
  for (int side = -1; side <= 1; side += 2) Eye(c, x + side * 5, 28, 3, 0, 0.2);
  cairo_move_to(cr, x - 4, 34);
  cairo_line_to(cr, x + 4, 34);
  cairo_line_to(cr, x, 40);
  cairo_close_path(cr);
  c.FillStroke(Hex(0xFFA000), kInk, 1.0);
  // A knitted cap.
  cairo_move_to(cr, x - 15, 24);
  cairo_curve_to(cr, x - 15, 6, x + 15, 6, x + 15, 24);
  cairo_close_path(cr);
  c.FillStroke(Hex(0x1E88E5), kInk, 1.2);
  c.RoundRect(x - 16, 20, 32, 6, 3);
  c.FillStroke(Hex(0xFFFFFF), kInk, 1.0);
  c.Circle(x, 6, 4.5);
  Shade(c, x, 6, 4.5, Hex(0xFF5252), 1.0);
  // Flippers on the disc's rim.
  for (int side = -1; side <= 1; side += 2) {
    cairo_move_to(cr, x + side * 18, 44);
    cairo_curve_to(cr, x + side * 30, 56, x + side * 28, 70, x + side * 20, p.by - 6);
    cairo_curve_to(cr, x + side * 20, 66, x + side * 18, 56, x + side * 16, 52);
    c.FillStroke(Hex(0x263238), kInk, 1.2);
  }
  return c.Keyed();
}

}  // namespace

std::vector<Image> MakeTargets() {
  std::vector<Image> v;
  v.push_back(Stand());
  v.push_back(Duck());
  v.push_back(Balloon(Hex(0x1E6FE0), 301));
  v.push_back(Clown());
  v.push_back(Bottle(Hex(0x2E9E4A), Hex(0x1F4E9C)));
  v.push_back(TinCan());
  v.push_back(Parrot());
  v.push_back(Rabbit());
  v.push_back(BalloonBunch());
  v.push_back(Bear());
  v.push_back(Owl());
  v.push_back(Fish());
  v.push_back(Robot());
  v.push_back(Balloon(Hex(0xE0387A), 302));
  v.push_back(Cat());
  v.push_back(Snowman());
  v.push_back(Bottle(Hex(0x8D5A2B), Hex(0xC62828)));
  v.push_back(StarOnStick());
  v.push_back(HotAirBalloon());
  v.push_back(Frog());
  v.push_back(Ghost());
  v.push_back(Sunflower());
  v.push_back(Penguin());
  return v;
}
