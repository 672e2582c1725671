// The named pictures: the sight, the shot animation, and the icons of bonuses, difficulties and
// level conditions. Icons fit a 40-pixel pitch (32 x 32 at most) so that a bonus bar 34 pixels
// below an icon's top and the next icon 40 pixels lower stay clear of it.
#include <cmath>
#include <tuple>

#include "Assets.h"

namespace {

const Rgb kInk = Hex(0x1E1712);
constexpr double kLine = 1.4;
constexpr int kIcon = 32;
// Icons that also stand in the rows of the table of records are a little smaller, so that they
// stay within a row of text.
constexpr int kRowIcon = 28;

// A canvas of kRowIcon pixels on which the drawing is given in kIcon units.
struct RowIconCanvas : Canvas {
  RowIconCanvas() : Canvas(kRowIcon, kRowIcon, 3.0) {
    cairo_scale(cr(), double(kRowIcon) / kIcon, double(kRowIcon) / kIcon);
  }
};

void Shade(Canvas& c, double x, double y, double r, Rgb col, double line = kLine) {
  c.Radial(x - r * 0.45, y - r * 0.5, x, y, r * 1.25, Mix(col, Hex(0xFFFFFF), 0.45),
           Scale(col, 0.7));
  cairo_fill_preserve(c.cr());
  c.Stroke(kInk, line);
}

void Gold(Canvas& c, double y0, double y1) {
  cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
  cairo_pattern_add_color_stop_rgb(p, 0, 1.0, 0.95, 0.6);
  cairo_pattern_add_color_stop_rgb(p, 0.45, 0.98, 0.76, 0.15);
  cairo_pattern_add_color_stop_rgb(p, 1, 0.62, 0.4, 0.05);
  cairo_set_source(c.cr(), p);
  cairo_pattern_destroy(p);
}

// --- The sight ---

Image Sight(bool onTarget) {
  const int s = 33;
  Canvas c(s, s, 3.0);
  cairo_t* cr = c.cr();
  const double m = s / 2.0;
  const Rgb col = onTarget ? Hex(0xFF3B2F) : Hex(0x7CFF6B);
  auto draw = [&](Rgb line, double width) {
    c.Circle(m, m, 11);
    c.Stroke(line, width);
    for (int k = 0; k < 4; ++k) {
      const double a = k * M_PI / 2, ca = std::cos(a), sa = std::sin(a);
      cairo_move_to(cr, m + ca * 5, m + sa * 5);
      cairo_line_to(cr, m + ca * 15.5, m + sa * 15.5);
    }
    c.Stroke(line, width);
  };
  draw(Hex(0x000000), 3.4);
  draw(col, 1.5);
  if (onTarget) {
    // Corner brackets: locked on.
    for (int k = 0; k < 4; ++k) {
      cairo_save(cr);
      cairo_translate(cr, m, m);
      cairo_rotate(cr, k * M_PI / 2 + M_PI / 4);
      cairo_move_to(cr, 8.5, -3.5);
      cairo_line_to(cr, 12, 0);
      cairo_line_to(cr, 8.5, 3.5);
      cairo_restore(cr);
    }
    c.Stroke(Hex(0x000000), 3.2);
    for (int k = 0; k < 4; ++k) {
      cairo_save(cr);
      cairo_translate(cr, m, m);
      cairo_rotate(cr, k * M_PI / 2 + M_PI / 4);
      cairo_move_to(cr, 8.5, -3.5);
      cairo_line_to(cr, 12, 0);
      cairo_line_to(cr, 8.5, 3.5);
      cairo_restore(cr);
    }
    c.Stroke(Hex(0xFFE14A), 1.4);
  }
  c.Circle(m, m, 1.9);
  c.FillStroke(col, Hex(0x000000), 1.0);
  return c.Keyed();
}

// --- The shot: a muzzle flash that turns to smoke and fades ---

void Puff(Canvas& c, double x, double y, double r, Rgb col) {
  c.Circle(x, y, r);
  c.Radial(x - r * 0.4, y - r * 0.5, x, y, r * 1.2, Mix(col, Hex(0xFFFFFF), 0.35),
           Scale(col, 0.62));
  cairo_fill(c.cr());
}

Image Shot(int n) {
  const int s = 40;
  Canvas c(s, s, 3.0);
  cairo_t* cr = c.cr();
  const double m = s / 2.0;
  Rng rng(500 + n);
  if (n <= 2) {
    // Flash: a jagged star, white hot in the middle.
    const double R = n == 1 ? 11 : 17, spikes = n == 1 ? 8 : 11;
    for (int layer = 0; layer < 3; ++layer) {
      const double k = 1.0 - layer * 0.3;
      for (int i = 0; i < 2 * spikes; ++i) {
        const double a = i * M_PI / spikes + 0.2 * n;
        const double r = (i % 2 ? R * 0.38 : R * rng.Range(0.7, 1.0)) * k;
        if (i == 0)
          cairo_move_to(cr, m + r * std::cos(a), m + r * std::sin(a));
        else
          cairo_line_to(cr, m + r * std::cos(a), m + r * std::sin(a));
      }
      cairo_close_path(cr);
      const Rgb cols[] = {Hex(0xFF6A00), Hex(0xFFC21A), Hex(0xFFFBE0)};
      c.Fill(cols[layer]);
    }
    if (n == 2)
      for (int k = 0; k < 9; ++k) {
        const double a = rng.Range(0, 2 * M_PI), r = rng.Range(12, 18);
        c.Circle(m + r * std::cos(a), m + r * std::sin(a), rng.Range(0.8, 1.4));
        c.Fill(Hex(0xFFE070));
      }
    // The bullet hole in the middle.
    c.Circle(m, m, 2.2);
    c.Fill(Hex(0x2A1A0A));
    return c.Keyed();
  }
  // Smoke: puffs that grow, rise and grey out; the last frames break up.
  const double age = (n - 3) / 3.0;  // 0, 1/3, 2/3, 1
  const int puffs = 9;
  for (int k = 0; k < puffs; ++k) {
    const double a = rng.Range(0, 2 * M_PI), d = rng.Range(0, 6 + 6 * age);
    const double r = rng.Range(4.5, 7.5) * (1 + 0.45 * age);
    const double x = m + d * std::cos(a), y = m + d * std::sin(a) - 5 * age;
    Rgb col = Mix(Hex(0x9A9A9A), Hex(0xD4D4D4), rng.Real());
    if (n == 3) col = Mix(Hex(0xFF9A2A), col, 0.55);
    Puff(c, x, y, r, Scale(col, 1.0 - 0.25 * age));
  }
  if (n == 3) {
    c.Circle(m, m + 2, 5);
    c.Radial(m, m + 2, m, m + 2, 5, Hex(0xFFF4C0), Hex(0xFF7A00));
    cairo_fill(cr);
  }
  c.Circle(m, m, 2.2);
  c.Fill(Hex(0x2A1A0A));
  Image img = c.Keyed();
  // Thin the smoke out pixel by pixel as it fades.
  const double drop = n <= 4 ? 0.0 : (n == 5 ? 0.35 : 0.7);
  Rng holes(600 + n);
  for (auto& p : img.px)
    if (p && holes.Real() < drop) p = 0;
  return img;
}

// --- Bonus icons ---

Image Light() {
  Canvas c(kIcon, kIcon, 3.0);
  cairo_t* cr = c.cr();
  const double x = 16;
  // Glow rays.
  for (int k = 0; k < 8; ++k) {
    const double a = -M_PI / 2 + (k - 3.5) * 0.42;
    if (k == 0 || k == 7) continue;
    cairo_move_to(cr, x + std::cos(a) * 12, 12 + std::sin(a) * 12);
    cairo_line_to(cr, x + std::cos(a) * 15.5, 12 + std::sin(a) * 15.5);
  }
  c.Stroke(Hex(0xFFE066), 1.6);
  // Bulb.
  cairo_move_to(cr, x - 5, 21);
  cairo_curve_to(cr, x - 5, 17, x - 10, 15, x - 10, 10);
  cairo_curve_to(cr, x - 10, 4, x - 5, 1.5, x, 1.5);
  cairo_curve_to(cr, x + 5, 1.5, x + 10, 4, x + 10, 10);
  cairo_curve_to(cr, x + 10, 15, x + 5, 17, x + 5, 21);
  cairo_close_path(cr);
  c.Radial(x - 2, 7, x, 10, 13, Hex(0xFFFFF0), Hex(0xFFC400));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, kLine);
  cairo_move_to(cr, x - 2.5, 20);
  cairo_line_to(cr, x - 2.5, 12);
  cairo_curve_to(cr, x - 2.5, 9, x + 2.5, 9, x + 2.5, 12);
  cairo_line_to(cr, x + 2.5, 20);
  c.Stroke(Hex(0xE08A00), 1.0);
  // Screw base.
  c.RoundRect(x - 5.5, 21, 11, 7, 1.5);
  c.LinearH(x - 5.5, Hex(0xE0E4EA), x + 5.5, Hex(0x7A8088));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, 1.1);
  for (double y : {23.3, 25.6}) {
    cairo_move_to(cr, x - 5.5, y);
    cairo_line_to(cr, x + 5.5, y);
    c.Stroke(Hex(0x5A6068), 0.8);
  }
  c.RoundRect(x - 2.5, 28, 5, 2.5, 1);
  c.Fill(Hex(0x3A3F46));
  return c.Keyed();
}

Image Frost() {
  Canvas c(kIcon, kIcon, 3.0);
  cairo_t* cr = c.cr();
  const double m = 16;
  auto flake = [&] {
    for (int k = 0; k < 6; ++k) {
      cairo_save(cr);
      cairo_translate(cr, m, m);
      cairo_rotate(cr, k * M_PI / 3);
      cairo_move_to(cr, 0, 0);
      cairo_line_to(cr, 0, -14);
      for (double t : {6.0, 10.0}) {
        cairo_move_to(cr, 0, -t);
        cairo_line_to(cr, -3.8, -t - 3.5);
        cairo_move_to(cr, 0, -t);
        cairo_line_to(cr, 3.8, -t - 3.5);
      }
      cairo_restore(cr);
    }
  };
  flake();
  c.Stroke(Hex(0x0D3B66), 4.2);
  flake();
  c.Stroke(Hex(0xBDEBFF), 2.0);
  c.Circle(m, m, 3);
  c.FillStroke(Hex(0xFFFFFF), Hex(0x0D3B66), 1.0);
  return c.Keyed();
}

void Bullet(Canvas& c, double x, double y, double len) {
  cairo_t* cr = c.cr();
  // Copper tip.
  cairo_move_to(cr, x - 3.2, y + 9);
  cairo_curve_to(cr, x - 3.2, y + 3, x - 1.5, y, x, y);
  cairo_curve_to(cr, x + 1.5, y, x + 3.2, y + 3, x + 3.2, y + 9);
  cairo_close_path(cr);
  c.LinearH(x - 3.2, Hex(0xF0A060), x + 3.2, Hex(0x8A3A10));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, 1.0);
  // Brass case.
  cairo_rectangle(cr, x - 3.6, y + 9, 7.2, len - 9);
  c.LinearH(x - 3.6, Hex(0xFFF0A0), x + 3.6, Hex(0x9A7410));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, 1.0);
  cairo_rectangle(cr, x - 4.2, y + len - 2.2, 8.4, 2.2);
  c.LinearH(x - 4.2, Hex(0xF0D070), x + 4.2, Hex(0x8A6408));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, 0.9);
}

Image ThreeBullets() {
  Canvas c(kIcon, kIcon, 3.0);
  Bullet(c, 7, 6, 23);
  Bullet(c, 25, 6, 23);
  Bullet(c, 16, 2, 27);
  return c.Keyed();
}

Image TargetIcon() {
  Canvas c(kIcon, kIcon, 3.0);
  const double m = 16;
  const Rgb cols[] = {Hex(0xE53935), Hex(0xFFFFFF), Hex(0xE53935), Hex(0xFFFFFF), Hex(0xE53935)};
  for (int k = 0; k < 5; ++k) {
    c.Circle(m, m, 14.5 - k * 3.1);
    c.Fill(cols[k]);
  }
  c.Circle(m, m, 14.5);
  c.Stroke(kInk, kLine);
  // An arrow stuck in the bull's-eye.
  cairo_t* cr = c.cr();
  cairo_move_to(cr, m, m);
  cairo_line_to(cr, m + 13, m - 13);
  c.Stroke(kInk, 2.6);
  cairo_move_to(cr, m, m);
  cairo_line_to(cr, m + 13, m - 13);
  c.Stroke(Hex(0xC79A5B), 1.3);
  cairo_move_to(cr, m + 10, m - 14.5);
  cairo_line_to(cr, m + 14.5, m - 14.5);
  cairo_line_to(cr, m + 14.5, m - 10);
  cairo_line_to(cr, m + 12, m - 12);
  cairo_close_path(cr);
  c.FillStroke(Hex(0x43A047), kInk, 0.9);
  return c.Keyed();
}

Image Points2500(const VectorFont& font) {
  Canvas c(36, kIcon, 3.0);
  cairo_t* cr = c.cr();
  // A gold coin with the amount.
  c.Circle(18, 16, 15);
  Gold(c, 1, 31);
  cairo_fill_preserve(cr);
  c.Stroke(kInk, kLine);
  c.Circle(18, 16, 12.2);
  c.Stroke(Hex(0xB07A10), 1.0);
  const double size = 12.5, w = font.Advance("2500", size, -0.6);
  font.Path(cr, "2500", size, 18 - w / 2, 20.5, -0.6);
  c.Color(Hex(0x000000));
  cairo_set_line_width(cr, 2.6);
  cairo_stroke_preserve(cr);
  c.Fill(Hex(0xFFFFFF));
  return c.Keyed();
}

void CupShape(Canvas& c, double x, double top, double k) {
  cairo_t* cr = c.cr();
  // Handles.
  for (int side = -1; side <= 1; side += 2) {
    cairo_move_to(cr, x + side * 8 * k, top + 3 * k);
    cairo_curve_to(cr, x + side * 16 * k, top + 2 * k, x + side * 16 * k, top + 12 * k,
                   x + side * 6 * k, top + 14 * k);
    c.Stroke(kInk, 4.2 * k);
    cairo_move_to(cr, x + side * 8 * k, top + 3 * k);
    cairo_curve_to(cr, x + side * 16 * k, top + 2 * k, x + side * 16 * k, top + 12 * k,
                   x + side * 6 * k, top + 14 * k);
    c.Stroke(Hex(0xE8B020), 2.0 * k);
  }
  // Bowl, stem and base.
  TrophyPath(cr, x, top, k, 27);
  cairo_pattern_t* p = cairo_pattern_create_linear(x - 10 * k, 0, x + 10 * k, 0);
  cairo_pattern_add_color_stop_rgb(p, 0, 0.75, 0.5, 0.05);
  cairo_pattern_add_color_stop_rgb(p, 0.3, 1.0, 0.93, 0.55);
  cairo_pattern_add_color_stop_rgb(p, 0.6, 0.98, 0.75, 0.15);
  cairo_pattern_add_color_stop_rgb(p, 1, 0.55, 0.35, 0.02);
  cairo_set_source(cr, p);
  cairo_pattern_destroy(p);
  cairo_fill_preserve(cr);
  c.Stroke(kInk, kLine * k);
  c.Ellipse(x, top, 10 * k, 1.6 * k);
  c.FillStroke(Hex(0x8A5A08), kInk, 0.9 * k);
}

Image Cup() {
  RowIconCanvas c;
  CupShape(c, 16, 3, 1.0);
  // A star on the bowl.
  cairo_t* cr = c.cr();
  StarPath(cr, 16, 10, 3.8, 1.6 / 3.8);
  c.Fill(Hex(0xFFFBE0));
  return c.Keyed();
}

Image Medal() {
  Canvas c(20, 30, 3.0);
  cairo_t* cr = c.cr();
  // Ribbon.
  cairo_move_to(cr, 3, 0.8);
  cairo_line_to(cr, 9, 14);
  cairo_line_to(cr, 11, 14);
  cairo_line_to(cr, 17, 0.8);
  cairo_line_to(cr, 12.5, 0.8);
  cairo_line_to(cr, 10, 7);
  cairo_line_to(cr, 7.5, 0.8);
  cairo_close_path(cr);
  c.FillStroke(Hex(0x1E63C8), kInk, 1.0);
  cairo_move_to(cr, 5.5, 0.8);
  cairo_line_to(cr, 9.6, 10.5);
  cairo_move_to(cr, 14.5, 0.8);
  cairo_line_to(cr, 10.4, 10.5);
  c.Stroke(Hex(0xE53935), 1.3);
  // Medal.
  c.Circle(10, 20.5, 8.4);
  Gold(c, 12, 29);
  cairo_fill_preserve(cr);
  c.Stroke(kInk, 1.2);
  c.Circle(10, 20.5, 5.8);
  c.Stroke(Hex(0xB07A10), 0.9);
  StarPath(cr, 10, 20.8, 4.0, 1.7 / 4.0);
  c.Fill(Hex(0xFFF6C8));
  return c.Keyed();
}

// --- Difficulty faces ---

Image Man() {
  RowIconCanvas c;
  cairo_t* cr = c.cr();
  // Shoulders.
  cairo_move_to(cr, 3, 32);
  cairo_curve_to(cr, 3, 24, 9, 22, 16, 22);
  cairo_curve_to(cr, 23, 22, 29, 24, 29, 32);
  cairo_close_path(cr);
  c.LinearV(22, Hex(0x4A7BD0), 32, Hex(0x21407A));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, kLine);
  cairo_move_to(cr, 13, 22.5);
  cairo_line_to(cr, 16, 28);
  cairo_line_to(cr, 19, 22.5);
  c.FillStroke(Hex(0xFFFFFF), kInk, 0.9);
  // Head.
  c.Ellipse(16, 13, 8, 9);
  Shade(c, 16, 13, 9, Hex(0xF2C49B));
  // Hair.
  cairo_move_to(cr, 8, 12);
  cairo_curve_to(cr, 7, 3, 24, 1, 24.5, 11);
  cairo_curve_to(cr, 21, 8, 15, 9, 11, 7);
  cairo_curve_to(cr, 10, 9, 9, 11, 8, 12);
  c.FillStroke(Hex(0x5D3A1A), kInk, 1.0);
  for (int side = -1; side <= 1; side += 2) {
    c.Ellipse(16 + side * 3.2, 13, 1.1, 1.5);
    c.Fill(Hex(0x2A1A10));
    cairo_move_to(cr, 16 + side * 1.6, 10.3);
    cairo_line_to(cr, 16 + side * 4.8, 10.0);
    c.Stroke(Hex(0x5D3A1A), 1.0);
  }
  cairo_move_to(cr, 13.2, 17.6);
  cairo_curve_to(cr, 15, 18.8, 17, 18.8, 18.8, 17.6);
  c.Stroke(Hex(0x8A3A2A), 1.0);
  // Moustache.
  cairo_move_to(cr, 12.8, 16.4);
  cairo_curve_to(cr, 14.5, 15, 17.5, 15, 19.2, 16.4);
  c.Stroke(Hex(0x5D3A1A), 1.4);
  return c.Keyed();
}

Image Child() {
  RowIconCanvas c;
  cairo_t* cr = c.cr();
  c.Circle(16, 17, 12);
  Shade(c, 16, 17, 12, Hex(0xFFD2A8));
  // A tuft of hair and a lollipop grin.
  cairo_move_to(cr, 11, 7);
  cairo_curve_to(cr, 12, 2, 17, 1, 16, 6);
  cairo_curve_to(cr, 19, 1, 23, 3, 21, 7);
  cairo_curve_to(cr, 18, 5.5, 14, 5.5, 11, 7);
  c.FillStroke(Hex(0xF0B030), kInk, 1.0);
  for (int side = -1; side <= 1; side += 2) {
    c.Ellipse(16 + side * 4.2, 15.5, 1.9, 2.4);
    c.Fill(Hex(0x2A1A10));
    c.Circle(16 + side * 4.2 - 0.6, 14.7, 0.7);
    c.Fill(Hex(0xFFFFFF));
    c.Circle(16 + side * 7.5, 20, 2.4);
    c.Fill(Hex(0xFF8080), 0.6);
  }
  cairo_move_to(cr, 11.5, 20.5);
  cairo_curve_to(cr, 13.5, 25, 18.5, 25, 20.5, 20.5);
  cairo_close_path(cr);
  c.FillStroke(Hex(0xC0392B), kInk, 1.0);
  // Little ears.
  for (int side = -1; side <= 1; side += 2) {
    c.Ellipse(16 + side * 12.2, 17.5, 2, 3);
    c.FillStroke(Hex(0xF4BE90), kInk, 1.0);
  }
  return c.Keyed();
}

Image Skull() {
  RowIconCanvas c;
  cairo_t* cr = c.cr();
  const Rgb bone = Hex(0xF1ECDD);
  // Crossed bones behind.
  for (int side = -1; side <= 1; side += 2) {
    cairo_move_to(cr, 16 - side * 12, 20);
    cairo_line_to(cr, 16 + side * 12, 30);
    c.Stroke(kInk, 5);
    cairo_move_to(cr, 16 - side * 12, 20);
    cairo_line_to(cr, 16 + side * 12, 30);
    c.Stroke(bone, 3);
    for (auto [x, y] : {std::pair{16 - side * 12.0, 20.0}, std::pair{16 + side * 12.0, 30.0}}) {
      c.Circle(x, y - 1.2, 2.1);
      c.Circle(x, y + 1.2, 2.1);
      c.FillStroke(bone, kInk, 0.9);
    }
  }
  // Cranium and jaw.
  cairo_move_to(cr, 10, 21);
  cairo_curve_to(cr, 4, 17, 4, 3, 16, 2.5);
  cairo_curve_to(cr, 28, 3, 28, 17, 22, 21);
  cairo_line_to(cr, 21.5, 25.5);
  cairo_curve_to(cr, 18, 27, 14, 27, 10.5, 25.5);
  cairo_close_path(cr);
  c.Radial(12, 8, 16, 13, 16, Hex(0xFFFFFF), Hex(0xBDB59C));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, kLine);
  for (int side = -1; side <= 1; side += 2) {
    c.Ellipse(16 + side * 5, 14, 3.4, 3.8);
    c.Fill(Hex(0x1A1410));
  }
  cairo_move_to(cr, 16, 17.5);
  cairo_line_to(cr, 14.5, 20.5);
  cairo_line_to(cr, 17.5, 20.5);
  cairo_close_path(cr);
  c.Fill(Hex(0x1A1410));
  for (int k = -1; k <= 2; ++k) {
    cairo_move_to(cr, 16 + k * 2.4 - 1.2, 22.5);
    cairo_line_to(cr, 16 + k * 2.4 - 1.2, 26);
  }
  c.Stroke(Hex(0x3A3228), 0.8);
  return c.Keyed();
}

// --- Level conditions ---

Image Clock() {
  Canvas c(kIcon, kIcon, 3.0);
  cairo_t* cr = c.cr();
  const double m = 16, y = 18;
  // Stopwatch crown and button.
  c.RoundRect(m - 3, 1, 6, 3.5, 1);
  c.FillStroke(Hex(0xB0B6BE), kInk, 1.0);
  cairo_rectangle(cr, m - 1.5, 4, 3, 2.5);
  c.FillStroke(Hex(0x8A9098), kInk, 0.8);
  cairo_save(cr);
  cairo_translate(cr, m, y);
  cairo_rotate(cr, 0.75);
  cairo_rectangle(cr, -1.8, -15.5, 3.6, 3);
  cairo_restore(cr);
  c.FillStroke(Hex(0xB0B6BE), kInk, 0.8);
  c.Circle(m, y, 13);
  c.LinearV(5, Hex(0xE8ECF0), 31, Hex(0x7A828C));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, kLine);
  c.Circle(m, y, 10.5);
  c.Radial(m - 3, y - 3, m, y, 11, Hex(0xFFFFFF), Hex(0xDDE6EE));
  cairo_fill_preserve(cr);
  c.Stroke(Hex(0x5A6068), 0.8);
  for (int k = 0; k < 12; ++k) {
    const double a = k * M_PI / 6, r0 = k % 3 ? 8.6 : 7.4;
    cairo_move_to(cr, m + std::cos(a) * r0, y + std::sin(a) * r0);
    cairo_line_to(cr, m + std::cos(a) * 9.8, y + std::sin(a) * 9.8);
  }
  c.Stroke(Hex(0x2A3038), 0.9);
  cairo_move_to(cr, m, y);
  cairo_line_to(cr, m, y - 7.5);
  c.Stroke(Hex(0x1A1A1A), 1.4);
  cairo_move_to(cr, m, y);
  cairo_line_to(cr, m + 5, y + 2.5);
  c.Stroke(Hex(0xD32F2F), 1.1);
  c.Circle(m, y, 1.3);
  c.Fill(Hex(0xD32F2F));
  return c.Keyed();
}

Image Magnet() {
  // Kept within a circle of radius 17 so it turns inside the smallest magnet frame (50 x 50).
  Canvas c(34, 34, 3.0);
  cairo_t* cr = c.cr();
  const double m = 17, y = 15;
  auto horseshoe = [&] {
    cairo_new_sub_path(cr);
    cairo_arc(cr, m, y, 11.5, M_PI, 2 * M_PI);
    cairo_line_to(cr, m + 11.5, y + 14);
    cairo_line_to(cr, m + 4.5, y + 14);
    cairo_line_to(cr, m + 4.5, y);
    cairo_arc_negative(cr, m, y, 4.5, 0, -M_PI);
    cairo_line_to(cr, m - 4.5, y + 14);
    cairo_line_to(cr, m - 11.5, y + 14);
    cairo_close_path(cr);
  };
  horseshoe();
  c.Radial(m - 5, y - 8, m, y, 16, Hex(0xFF8A80), Hex(0xB71C1C));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, kLine);
  // Silver poles.
  for (int side = -1; side <= 1; side += 2) {
    cairo_rectangle(cr, m + side * 8 - 3.5, y + 9, 7, 5);
    c.LinearH(m + side * 8 - 3.5, Hex(0xF4F6F8), m + side * 8 + 3.5, Hex(0x8A9098));
    cairo_fill_preserve(cr);
    c.Stroke(kInk, 1.1);
  }
  cairo_new_sub_path(cr);
  cairo_arc(cr, m, y, 8, M_PI * 1.1, M_PI * 1.45);
  c.Stroke(Hex(0xFFCDD2), 1.3, 0.9);
  return c.Keyed();
}

Image Mirror() {
  Canvas c(kIcon, kIcon, 3.0);
  cairo_t* cr = c.cr();
  const double m = 16;
  // A hand mirror: oval glass in a gold frame, handle below.
  c.RoundRect(m - 2.6, 22, 5.2, 9.5, 2.2);
  c.LinearH(m - 2.6, Hex(0xF2D15A), m + 2.6, Hex(0x9A6A0A));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, 1.1);
  c.Ellipse(m, 12, 10.5, 11.5);
  Gold(c, 0, 24);
  cairo_fill_preserve(cr);
  c.Stroke(kInk, kLine);
  c.Ellipse(m, 12, 7.8, 8.8);
  c.LinearV(3, Hex(0xE8F8FF), 21, Hex(0x5E9CD6));
  cairo_fill(cr);
  // A double arrow in the glass: left and right change places.
  auto arrows = [&] {
    cairo_move_to(cr, m - 5, 12);
    cairo_line_to(cr, m + 5, 12);
    cairo_move_to(cr, m - 2.2, 9.2);
    cairo_line_to(cr, m - 5, 12);
    cairo_line_to(cr, m - 2.2, 14.8);
    cairo_move_to(cr, m + 2.2, 9.2);
    cairo_line_to(cr, m + 5, 12);
    cairo_line_to(cr, m + 2.2, 14.8);
  };
  arrows();
  c.Stroke(Hex(0x0D3B66), 2.2);
  cairo_move_to(cr, m - 5.5, 7);
  cairo_line_to(cr, m - 2.5, 4.5);
  c.Stroke(Hex(0xFFFFFF), 1.3, 0.9);
  return c.Keyed();
}

// A wind arrow pointing right; the other directions are this turned.
Image WindArrow(int quarterTurns) {
  Canvas c(kIcon, kIcon, 3.0);
  cairo_t* cr = c.cr();
  cairo_translate(cr, 16, 16);
  cairo_rotate(cr, quarterTurns * M_PI / 2);
  cairo_translate(cr, -16, -16);
  // Gust lines behind the arrow.
  for (auto [y, x0, x1] : {std::tuple{6.0, 2.0, 12.0}, {26.0, 2.0, 12.0}}) {
    cairo_move_to(cr, x0, y);
    cairo_line_to(cr, x1, y);
    c.Stroke(Hex(0x0D3B66), 3.2);
    cairo_move_to(cr, x0, y);
    cairo_line_to(cr, x1, y);
    c.Stroke(Hex(0xBDEBFF), 1.5);
  }
  cairo_move_to(cr, 3, 12.5);
  cairo_line_to(cr, 17, 12.5);
  cairo_line_to(cr, 17, 6);
  cairo_line_to(cr, 30, 16);
  cairo_line_to(cr, 17, 26);
  cairo_line_to(cr, 17, 19.5);
  cairo_line_to(cr, 3, 19.5);
  cairo_close_path(cr);
  c.LinearV(6, Hex(0xB3E5FC), 26, Hex(0x1976D2));
  cairo_fill_preserve(cr);
  c.Stroke(kInk, kLine);
  return c.Keyed();
}

}  // namespace

std::vector<NamedImage> MakePictures() {
  const VectorFont font(kFontPath);
  std::vector<NamedImage> v;
  v.push_back({"sight", Sight(false)});
  v.push_back({"sight1", Sight(true)});
  for (int n = 1; n <= 6; ++n) v.push_back({"shot" + std::to_string(n), Shot(n)});
  v.push_back({"light", Light()});
  v.push_back({"frost", Frost()});
  v.push_back({"3bullets", ThreeBullets()});
  v.push_back({"target", TargetIcon()});
  v.push_back({"2500", Points2500(font)});
  v.push_back({"cup", Cup()});
  v.push_back({"medal", Medal()});
  v.push_back({"men", Man()});
  v.push_back({"child", Child()});
  v.push_back({"skull", Skull()});
  v.push_back({"clock", Clock()});
  v.push_back({"magnet", Magnet()});
  v.push_back({"mirror", Mirror()});
  v.push_back({"right", WindArrow(0)});
  v.push_back({"left", WindArrow(2)});
  v.push_back({"up", WindArrow(3)});
  v.push_back({"down", WindArrow(1)});
  return v;
}
