// Background pictures: seamless tiles, each drawn so that its right edge meets its left edge and
// its bottom meets its top (periodic noise, shapes repeated across the borders).
#include <cmath>
#include <functional>

#include "Assets.h"

namespace {

using PixelFn = std::function<Rgb(double u, double v, int x, int y)>;

Image PerPixel(int w, int h, const PixelFn& fn) {
  Image img(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.at(x, y) = Pack(fn((x + 0.5) / w, (y + 0.5) / h, x, y));
  return img;
}

// Draws a shape nine times, shifted by a whole tile, so the parts that cross an edge come back in
// on the other side.
void Wrapped(Canvas& c, const std::function<void()>& draw) {
  for (int j = -1; j <= 1; ++j)
    for (int i = -1; i <= 1; ++i) {
      cairo_save(c.cr());
      cairo_translate(c.cr(), i * c.w(), j * c.h());
      draw();
      cairo_restore(c.cr());
    }
}

void PaintImage(Canvas& c, const Image& img) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, img.w, img.h);
  cairo_surface_flush(s);
  unsigned char* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  for (int y = 0; y < img.h; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + size_t(y) * stride);
    for (int x = 0; x < img.w; ++x) row[x] = img.at(x, y) | 0xFF000000u;
  }
  cairo_surface_mark_dirty(s);
  cairo_save(c.cr());
  cairo_scale(c.cr(), double(c.w()) / img.w, double(c.h()) / img.h);
  cairo_set_source_surface(c.cr(), s, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(c.cr()), CAIRO_FILTER_BILINEAR);
  cairo_paint(c.cr());
  cairo_restore(c.cr());
  cairo_surface_destroy(s);
}

// --- Skies ---

Image DaySky() {
  const int w = 400, h = 300;
  return PerPixel(w, h, [&](double u, double v, int, int) {
    const double tint = Fbm(u, v, 2, 2, 3, 11);
    Rgb sky = Mix(Hex(0x3C84D6), Hex(0x7DB6EC), 0.5 + 0.4 * tint);
    // Cumulus: a soft density field, lit from above (brighter where the density rises upward).
    auto dens = [&](double uu, double vv) {
      const double n = Fbm(uu, vv, 3, 3, 5, 21, 0.5) + 0.18 * Fbm(uu, vv, 12, 12, 2, 22);
      return SmoothStep(0.08, 0.5, n);
    };
    const double d = dens(u, v);
    if (d <= 0) return sky;
    const double below = dens(u, v + 10.0 / h);
    const double shade = Clamp01(0.35 + (below - d) * 1.6 + (1 - d) * 0.3);
    const Rgb cloud = Mix(Hex(0xFFFFFF), Hex(0xA8B8CE), shade);
    return Mix(sky, cloud, Clamp01(d * 1.6));
  });
}

Image SunsetSky() {
  const int w = 400, h = 300;
  return PerPixel(w, h, [&](double u, double v, int, int) {
    const double band = std::sin((v + 0.06 * Fbm(u, v, 3, 2, 3, 31)) * 2 * M_PI * 2);
    Rgb sky = Mix(Hex(0xEC7A3E), Hex(0xF7B860), 0.5 + 0.5 * band);
    sky = Mix(sky, Hex(0xD0608A), 0.25 * Clamp01(Fbm(u, v, 2, 2, 2, 33) + 0.3));
    // Long flat clouds, lit from the sun below: gold underneath, violet on top.
    auto dens = [&](double uu, double vv) {
      return SmoothStep(-0.02, 0.42,
                        Fbm(uu, vv, 2, 6, 5, 35, 0.5) + 0.12 * Fbm(uu, vv, 8, 16, 2, 36));
    };
    const double d = dens(u, v);
    if (d <= 0) return sky;
    const double below = dens(u, v + 6.0 / h);
    const double lit = Clamp01(0.55 + (d - below) * 3.0);
    const Rgb cloud = Mix(Hex(0x7A4A8C), Hex(0xFFD890), lit);
    return Mix(sky, cloud, Clamp01(d * 1.5));
  });
}

void Stars(Image& img, uint64_t seed, int count, Rgb tint) {
  Rng rng(seed);
  for (int k = 0; k < count; ++k) {
    const double x = rng.Range(0, img.w), y = rng.Range(0, img.h);
    const double b = std::pow(rng.Real(), 3.0);
    const double r = 0.6 + 1.8 * b;
    const Rgb col = Mix(Hex(0xFFFFFF), tint, rng.Real() * 0.6);
    for (int dy = -4; dy <= 4; ++dy)
      for (int dx = -4; dx <= 4; ++dx) {
        const int px = (int(x) + dx + img.w) % img.w, py = (int(y) + dy + img.h) % img.h;
        const double ex = int(x) + dx + 0.5 - x, ey = int(y) + dy + 0.5 - y;
        const double d = std::sqrt(ex * ex + ey * ey);
        double a = std::exp(-d * d / (r * r * 0.5)) * (0.35 + 0.65 * b);
        if (b > 0.5)
          a += 0.5 * b * std::exp(-std::fabs(ex) * 2) * std::exp(-ey * ey * 4) +
               0.5 * b * std::exp(-std::fabs(ey) * 2) * std::exp(-ex * ex * 4);
        if (a < 0.01) continue;
        const Rgb base = Hex(img.at(px, py));
        img.at(px, py) = Pack(Mix(base, col, Clamp01(a)));
      }
  }
}

Image NightSky() {
  Image img = PerPixel(400, 300, [&](double u, double v, int, int) {
    const double n = Fbm(u, v, 3, 3, 5, 41);
    Rgb c = Mix(Hex(0x060B24), Hex(0x14234F), Clamp01(0.5 + n));
    const double glow = SmoothStep(0.2, 0.7, Fbm(u, v, 2, 2, 5, 43));
    return Mix(c, Hex(0x2D3E7A), glow * 0.5);
  });
  Stars(img, 44, 260, Hex(0xA8C4FF));
  return img;
}

Image Nebula() {
  Image img = PerPixel(400, 300, [&](double u, double v, int, int) {
    const double a = Fbm(u, v, 3, 3, 6, 51, 0.55), b = Fbm(u, v, 2, 2, 6, 52, 0.6);
    Rgb c = Hex(0x05030F);
    c = Mix(c, Hex(0x6A1E8C), SmoothStep(-0.1, 0.6, a) * 0.8);
    c = Mix(c, Hex(0x1F6FB0), SmoothStep(0.0, 0.7, b) * 0.7);
    c = Mix(c, Hex(0xF08CC0), SmoothStep(0.45, 0.8, a + 0.3 * b) * 0.6);
    return c;
  });
  Stars(img, 53, 220, Hex(0xFFE0F0));
  return img;
}

// --- Materials ---

Image WoodPlanks() {
  const int w = 256, h = 256, rows = 4;
  return PerPixel(w, h, [&](double u, double v, int x, int y) {
    const int row = y * rows / h;
    const double rv = v * rows - row;
    // Every plank has its own joint and colour.
    const double joint = (Hash(row, 7) % 1000) / 1000.0;
    const double uu = std::fmod(u + joint + 1.0, 1.0);
    const int piece = uu < 0.5 ? 0 : 1;
    const uint32_t id = Hash(row, piece, 9);
    const double tone = (id % 100) / 100.0;
    Rgb base = Mix(Hex(0x8A5A2B), Hex(0xB9813F), tone);
    const double warp = Fbm(u, v, 2, 4, 4, 61 + piece) * 3.0;
    const double grain = std::sin((rv * 14 + warp * 2 + (id % 7)) * M_PI);
    const double fine = Fbm(u, v, 32, 2, 3, 63);
    base = Scale(base, 0.86 + 0.1 * grain + 0.08 * fine);
    // Knots.
    const double kx = 0.15 + 0.3 * ((id >> 8) % 100) / 100.0 + 0.5 * piece;
    const double ky = 0.3 + 0.4 * ((id >> 16) % 100) / 100.0;
    const double ddx = (std::fmod(uu - kx + 1.5, 1.0) - 0.5) * w / 3.0, ddy = (rv - ky) * h / rows;
    const double kd = std::sqrt(ddx * ddx + ddy * ddy);
    if ((id >> 24) % 3 == 0 && kd < 9)
      base = Scale(base, 0.75 + 0.25 * std::sin(kd * 1.6) * (kd / 9));
    // Gaps between planks and at the joints, with a bevel.
    const double edgeY = std::min(rv, 1 - rv) * h / rows;
    const double jx =
        std::min(std::fabs(uu - 0.0), std::min(std::fabs(uu - 0.5), std::fabs(uu - 1.0))) * w;
    double k = 1.0;
    if (edgeY < 1.2 || jx < 1.0)
      k = 0.25;
    else if (edgeY < 3)
      k = rv < 0.5 ? 1.12 : 0.82;
    if (std::fabs(jx - 6) < 1.6 && std::fabs(rv - 0.3) * h / rows < 1.6) k = 0.35;  // nails
    if (std::fabs(jx - 6) < 1.6 && std::fabs(rv - 0.7) * h / rows < 1.6) k = 0.35;
    (void)x;
    return Scale(base, k);
  });
}

Image Bricks() {
  const int w = 256, h = 256, rows = 8, cols = 4;
  return PerPixel(w, h, [&](double u, double v, int, int) {
    const int row = int(v * rows);
    const double shift = (row % 2) * 0.5 / cols;
    const double uu = std::fmod(u + shift, 1.0);
    const int col = int(uu * cols);
    const double bx = uu * cols - col, by = v * rows - row;
    const uint32_t id = Hash(row, col, 71);
    const double px = bx * w / cols, py = by * h / rows;
    const double ex = std::min(px, w / cols - px), ey = std::min(py, h / rows - py);
    const double n = Fbm(u, v, 16, 16, 3, 72);
    const Rgb mortar = Scale(Hex(0xB8B0A0), 0.9 + 0.15 * n);
    const double edge = std::min(ex, ey) + 0.8 * Fbm(u, v, 24, 24, 2, 73);
    if (edge < 2.2) return mortar;
    Rgb brick = Mix(Hex(0x9E3D22), Hex(0xC46A3C), (id % 100) / 100.0);
    if (id % 9 == 0) brick = Mix(brick, Hex(0x5C2A1C), 0.5);
    brick = Scale(brick, 0.88 + 0.14 * n + 0.05 * Fbm(u, v, 64, 64, 2, 74));
    // Bevel: lit from the top left.
    if (edge < 4.5) brick = Scale(brick, (py < 4.5 || px < 4.5) ? 1.12 : 0.8);
    return brick;
  });
}

Image Cobbles() {
  const int w = 256, h = 256;
  return PerPixel(w, h, [&](double u, double v, int, int) {
    double d1, d2;
    uint32_t id;
    Cells(u, v, 6, 6, 81, d1, d2, id, 0.7);
    const double gap = d2 - d1;
    const double n = Fbm(u, v, 16, 16, 4, 82);
    Rgb stone = Mix(Hex(0x6E6A66), Hex(0xA8A196), (id % 100) / 100.0);
    stone = Mix(stone, Hex(0x8C7A62), ((id >> 8) % 3 == 0) ? 0.4 : 0.0);
    stone = Scale(stone, 0.9 + 0.15 * n);
    // Rounded tops: darker toward the seams.
    const double round = SmoothStep(0.0, 0.35, gap);
    stone = Scale(stone, 0.55 + 0.5 * round);
    // Light from the upper left: compare the seam distance a little up-left.
    double e1, e2;
    uint32_t id2;
    Cells(u - 2.0 / w, v - 2.0 / h, 6, 6, 81, e1, e2, id2, 0.7);
    if (id2 == id) stone = Scale(stone, 1.0 + Clamp01((e2 - e1 - gap) * 30) * 0.25);
    if (gap < 0.05) return Mix(Hex(0x2A2622), stone, gap / 0.05 * 0.6);
    return stone;
  });
}

Image StoneWall() {
  const int w = 256, h = 256;
  return PerPixel(w, h, [&](double u, double v, int, int) {
    double d1, d2;
    uint32_t id;
    // Flattened cells look like laid stones.
    Cells(u, v, 4, 7, 91, d1, d2, id, 0.55);
    const double gap = d2 - d1 + 0.05 * Fbm(u, v, 16, 16, 2, 92);
    const double n = Fbm(u, v, 12, 12, 5, 93);
    Rgb stone = Mix(Hex(0x7C786C), Hex(0xB4AA92), (id % 100) / 100.0);
    stone = Scale(stone, 0.82 + 0.25 * n);
    const double moss = SmoothStep(0.25, 0.6, Fbm(u, v, 4, 4, 4, 94));
    stone = Mix(stone, Hex(0x556B2F), moss * 0.45);
    if (gap < 0.09) return Mix(Hex(0x3A352C), stone, SmoothStep(0.0, 0.09, gap) * 0.5);
    return Scale(stone, 0.8 + 0.2 * SmoothStep(0.09, 0.3, gap));
  });
}

Image Marble() {
  return PerPixel(256, 256, [&](double u, double v, int, int) {
    // Veins are the zero lines of a warped noise field.
    const double wu = u + 0.12 * Fbm(u, v, 2, 2, 3, 103), wv = v + 0.12 * Fbm(u, v, 2, 2, 3, 104);
    const double main = std::fabs(Fbm(wu, wv, 3, 3, 4, 101, 0.5));
    const double fine = std::fabs(Fbm(wu, wv, 6, 6, 3, 102, 0.5));
    const double cloud = Fbm(u, v, 4, 4, 4, 105);
    Rgb c = Mix(Hex(0xF5F2EB), Hex(0xDAD4C9), Clamp01(0.5 + cloud));
    c = Mix(c, Hex(0x9A93A0), (1 - SmoothStep(0.0, 0.09, main)) * 0.45);
    c = Mix(c, Hex(0x5C5566), (1 - SmoothStep(0.0, 0.025, main)) * 0.7);
    c = Mix(c, Hex(0xB3ACB8), (1 - SmoothStep(0.0, 0.02, fine)) * 0.5);
    return c;
  });
}

Image Sand() {
  return PerPixel(256, 256, [&](double u, double v, int x, int y) {
    const double warp = Fbm(u, v, 3, 3, 4, 111);
    const double ripple = std::sin((v * 10 + u * 2 + warp * 1.6) * 2 * M_PI);
    const double slope = std::cos((v * 10 + u * 2 + warp * 1.6) * 2 * M_PI);
    Rgb c = Mix(Hex(0xD8B47A), Hex(0xEDD3A0), 0.5 + 0.35 * ripple);
    c = Scale(c, 0.95 + 0.07 * slope);
    const double grain = (Hash(x, y, 112) % 1000) / 1000.0;
    if (grain > 0.97)
      c = Scale(c, 0.8);
    else if (grain < 0.03)
      c = Mix(c, Hex(0xFFFFFF), 0.4);
    return Mix(c, Hex(0xB8925C), 0.15 * Clamp01(Fbm(u, v, 2, 2, 3, 113) + 0.3));
  });
}

Image Water() {
  return PerPixel(256, 256, [&](double u, double v, int, int) {
    const double wu = u + 0.04 * Fbm(u, v, 3, 3, 3, 121), wv = v + 0.04 * Fbm(u, v, 3, 3, 3, 122);
    double d1, d2;
    uint32_t id;
    Cells(wu, wv, 5, 5, 123, d1, d2, id, 0.9);
    const double caustic = 1 - SmoothStep(0.0, 0.12, d2 - d1);
    Cells(wu, wv, 9, 9, 124, d1, d2, id, 0.9);
    const double small = 1 - SmoothStep(0.0, 0.1, d2 - d1);
    Rgb c = Mix(Hex(0x0D5C8A), Hex(0x1B86B5), Clamp01(0.5 + Fbm(u, v, 2, 2, 4, 125)));
    c = Mix(c, Hex(0x9EE6FF), caustic * 0.55 + small * 0.2);
    return c;
  });
}

Image Ice() {
  return PerPixel(256, 256, [&](double u, double v, int x, int y) {
    double d1, d2;
    uint32_t id;
    Cells(u, v, 4, 4, 131, d1, d2, id, 0.9);
    const double crack = 1 - SmoothStep(0.0, 0.025, d2 - d1);
    Cells(u, v, 10, 10, 132, d1, d2, id, 0.9);
    const double fine = 1 - SmoothStep(0.0, 0.02, d2 - d1);
    const double n = Fbm(u, v, 4, 4, 5, 133);
    Rgb c = Mix(Hex(0x9FD3E8), Hex(0xE3F6FC), Clamp01(0.5 + 0.8 * n));
    c = Mix(c, Hex(0xFFFFFF), crack * 0.8);
    c = Mix(c, Hex(0x5D9DBA), fine * 0.3);
    if (Hash(x, y, 134) % 700 == 0) c = Hex(0xFFFFFF);
    return c;
  });
}

Image Snow() {
  return PerPixel(256, 256, [&](double u, double v, int x, int y) {
    const double n = Fbm(u, v, 3, 3, 5, 141, 0.55);
    const double above = Fbm(u, v - 3.0 / 256, 3, 3, 5, 141, 0.55);
    const double lit = Clamp01(0.55 + (n - above) * 18);
    Rgb c = Mix(Hex(0xA9BED8), Hex(0xF7FAFF), lit);
    if (Hash(x, y, 142) % 300 == 0) c = Hex(0xFFFFFF);
    if (Hash(x, y, 143) % 900 == 0) c = Hex(0xCFE8FF);
    return c;
  });
}

Image BrushedMetal() {
  const int w = 256, h = 256;
  return PerPixel(w, h, [&](double u, double v, int x, int y) {
    const double streak = Fbm(u, v, 2, 64, 4, 151, 0.6);
    const double noise = (Hash(x, y, 152) % 1000) / 1000.0 - 0.5;
    Rgb c = Mix(Hex(0x8C939C), Hex(0xC9CFD6), Clamp01(0.5 + 0.6 * streak));
    c = Scale(c, 1 + 0.05 * noise);
    // Two plates a tile with seams and rivets.
    const double py = std::fmod(v * 2, 1.0) * h / 2, px = std::fmod(u * 2, 1.0) * w / 2;
    const double ex = std::min(px, w / 2 - px), ey = std::min(py, h / 2 - py);
    if (std::min(ex, ey) < 1.0) return Hex(0x2E3238);
    if (ey < 3 || ex < 3) c = Scale(c, (py < 3 || px < 3) ? 1.15 : 0.75);
    for (int cy : {8, 120})
      for (int cx : {8, 120}) {
        const double dx = px - cx, dy = py - cy, d = std::sqrt(dx * dx + dy * dy);
        if (d < 4.2) {
          const double lit = Clamp01(0.5 - (dx + dy) / 8);
          c = Mix(Hex(0x4A5058), Hex(0xF0F4F8), lit);
          if (d > 3.4) c = Scale(c, 0.6);
        }
      }
    return c;
  });
}

Image Tartan() {
  const int w = 256, h = 256;
  auto band = [](double t) {
    // One repeat of the sett: wide dark green, navy, a thin yellow line, a thin red line.
    t = std::fmod(t, 1.0);
    if (t < 0.30) return 0;
    if (t < 0.34) return 2;
    if (t < 0.62) return 1;
    if (t < 0.66) return 3;
    if (t < 0.70) return 1;
    if (t < 0.96) return 0;
    return 2;
  };
  const Rgb colors[] = {Hex(0x1E5A36), Hex(0x1C2A5E), Hex(0xE3C14B), Hex(0xB3332E)};
  return PerPixel(w, h, [&](double u, double v, int x, int y) {
    // The sett is shifted so that the tile's edges fall inside a wide band, not on a line.
    const Rgb a = colors[band(u * 2 + 0.15)], b = colors[band(v * 2 + 0.15)];
    // Twill: warp and weft alternate along diagonals.
    const bool warp = ((x + y) / 2) % 2 == 0;
    Rgb c = Mix(a, b, warp ? 0.3 : 0.7);
    c = Scale(c, 0.9 + 0.14 * (((x + y) % 4) < 2 ? 1 : 0) + 0.05 * Fbm(u, v, 32, 32, 2, 161));
    return c;
  });
}

Image Gingham() {
  const int w = 128, h = 128;
  return PerPixel(w, h, [&](double u, double v, int x, int y) {
    const bool a = std::fmod(u * 8 + 0.25, 1.0) < 0.5, b = std::fmod(v * 8 + 0.25, 1.0) < 0.5;
    const double k = (a ? 1 : 0) + (b ? 1 : 0);
    Rgb c = Mix(Hex(0xF4F1E8), Hex(0x2F6DB5), k * 0.45);
    c = Scale(c, 0.93 + 0.07 * ((x % 2) ^ (y % 2)) + 0.04 * Fbm(u, v, 8, 8, 2, 171));
    return c;
  });
}

Image Cork() {
  return PerPixel(256, 256, [&](double u, double v, int x, int y) {
    double d1, d2;
    uint32_t id;
    Cells(u, v, 40, 40, 181, d1, d2, id, 1.0);
    Rgb c = Mix(Hex(0xA9793F), Hex(0xD3A567), (id % 100) / 100.0);
    c = Scale(c, 0.75 + 0.3 * SmoothStep(0.0, 0.4, d2 - d1));
    if (Hash(x, y, 182) % 40 == 0) c = Scale(c, 0.55);
    return Scale(c, 0.95 + 0.1 * Fbm(u, v, 4, 4, 3, 183));
  });
}

Image Strata() {
  return PerPixel(256, 256, [&](double u, double v, int, int) {
    const double t = v * 6 + 0.35 * Fbm(u, v, 2, 2, 5, 191) + 0.1 * std::sin(u * 2 * M_PI);
    const double layer = std::fmod(t + 10, 1.0);
    // Six layers a tile, so the bottom layer runs on into the top one of the next tile.
    const int idx = int(std::floor(t + 12)) % 6;
    const uint32_t id = Hash(idx, 192);
    const Rgb tones[] = {Hex(0xC2703D), Hex(0xD99A5B), Hex(0xA4532F), Hex(0xE6B98A), Hex(0xB9643A)};
    Rgb c = tones[id % 5];
    c = Scale(c, 0.85 + 0.2 * Fbm(u, v, 16, 8, 3, 193));
    if (layer < 0.06) c = Scale(c, 0.7);
    return c;
  });
}

// --- Drawn with shapes ---

Image Grass() {
  const int w = 256, h = 256;
  Canvas c(w, h);
  PaintImage(c, PerPixel(w, h, [&](double u, double v, int, int) {
               return Mix(Hex(0x1F4A14), Hex(0x2F6B1E), Clamp01(0.5 + Fbm(u, v, 4, 4, 4, 201)));
             }));
  Rng rng(202);
  for (int k = 0; k < 1400; ++k) {
    const double x = rng.Range(0, w), y = rng.Range(0, h), len = rng.Range(10, 26);
    const double lean = rng.Range(-8, 8), wid = rng.Range(1.2, 2.6);
    const Rgb col = Mix(Hex(0x3C8A26), Hex(0x9ACD4A), rng.Real());
    const double shade = rng.Range(0.75, 1.1);
    Wrapped(c, [&] {
      cairo_t* cr = c.cr();
      cairo_move_to(cr, x - wid, y);
      cairo_curve_to(cr, x - wid * 0.5, y - len * 0.5, x + lean * 0.6, y - len * 0.8, x + lean,
                     y - len);
      cairo_curve_to(cr, x + lean * 0.6 + wid * 0.3, y - len * 0.8, x + wid * 0.5, y - len * 0.5,
                     x + wid, y);
      cairo_close_path(cr);
      c.LinearV(y - len, Scale(col, shade * 1.1), y, Scale(col, shade * 0.55));
      cairo_fill(cr);
    });
  }
  // A few daisies.
  for (int k = 0; k < 10; ++k) {
    const double x = rng.Range(0, w), y = rng.Range(0, h);
    Wrapped(c, [&] {
      for (int p = 0; p < 8; ++p) {
        const double a = p * M_PI / 4;
        c.Ellipse(x + 3.2 * std::cos(a), y + 3.2 * std::sin(a), 2.2, 2.2);
      }
      c.Fill(Hex(0xFBFBF2));
      c.Circle(x, y, 1.8);
      c.Fill(Hex(0xF2C230));
    });
  }
  return c.Opaque();
}

void Leaf(Canvas& c, double x, double y, double len, double angle, Rgb col, bool vein) {
  cairo_t* cr = c.cr();
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_rotate(cr, angle);
  cairo_move_to(cr, 0, 0);
  cairo_curve_to(cr, len * 0.3, -len * 0.35, len * 0.75, -len * 0.3, len, 0);
  cairo_curve_to(cr, len * 0.75, len * 0.3, len * 0.3, len * 0.35, 0, 0);
  cairo_close_path(cr);
  c.LinearV(-len * 0.35, Scale(col, 1.15), len * 0.35, Scale(col, 0.7));
  cairo_fill_preserve(cr);
  c.Stroke(Scale(col, 0.45), 0.8);
  if (vein) {
    cairo_move_to(cr, len * 0.05, 0);
    cairo_line_to(cr, len * 0.92, 0);
    c.Stroke(Scale(col, 0.55), 0.9);
  }
  cairo_restore(cr);
}

Image Foliage() {
  const int w = 256, h = 256;
  Canvas c(w, h);
  c.Color(Hex(0x0E2A10));
  cairo_paint(c.cr());
  Rng rng(211);
  for (int k = 0; k < 420; ++k) {
    const double x = rng.Range(0, w), y = rng.Range(0, h), len = rng.Range(16, 30);
    const double a = rng.Range(0, 2 * M_PI);
    const double depth = double(k) / 420;
    const Rgb col = Scale(Mix(Hex(0x2E7D32), Hex(0x8BC34A), rng.Real()), 0.55 + 0.5 * depth);
    Wrapped(c, [&] { Leaf(c, x, y, len, a, col, true); });
  }
  return c.Opaque();
}

Image AutumnLeaves() {
  const int w = 256, h = 256;
  Canvas c(w, h);
  PaintImage(c, PerPixel(w, h, [&](double u, double v, int, int) {
               return Mix(Hex(0x3B2616), Hex(0x5E4126), Clamp01(0.5 + Fbm(u, v, 4, 4, 4, 221)));
             }));
  Rng rng(222);
  const Rgb palette[] = {Hex(0xD9531E), Hex(0xE8A02A), Hex(0xB8321E),
                         Hex(0xC97B2B), Hex(0x8E5A2A), Hex(0xE3C440)};
  for (int k = 0; k < 260; ++k) {
    const double x = rng.Range(0, w), y = rng.Range(0, h), len = rng.Range(16, 28);
    const double a = rng.Range(0, 2 * M_PI);
    const Rgb col = Scale(palette[rng.Int(6)], rng.Range(0.75, 1.05));
    Wrapped(c, [&] {
      // A maple-like leaf: three lobes.
      for (int l = -1; l <= 1; ++l)
        Leaf(c, x, y, len * (l == 0 ? 1.0 : 0.75), a + l * 0.8, col, true);
      cairo_move_to(c.cr(), x, y);
      cairo_line_to(c.cr(), x - std::cos(a) * len * 0.35, y - std::sin(a) * len * 0.35);
      c.Stroke(Scale(col, 0.5), 1.2);
    });
  }
  return c.Opaque();
}

Image CircuitBoard() {
  const int w = 256, h = 256, grid = 16, n = w / grid;
  Canvas c(w, h);
  PaintImage(c, PerPixel(w, h, [&](double u, double v, int, int) {
               return Mix(Hex(0x0B4A2A), Hex(0x0F5E34), Clamp01(0.5 + Fbm(u, v, 4, 4, 3, 231)));
             }));
  Rng rng(232);
  const Rgb copper = Hex(0xD9A441);
  // Traces run on a grid of nodes; a node is used once, so traces never cross.
  std::vector<uint8_t> used(size_t(n) * n, 0);
  auto node = [&](int x, int y) -> uint8_t& {
    return used[size_t((y % n + n) % n) * n + (x % n + n) % n];
  };
  struct Chip {
    int x, y, cw, ch;
  };
  std::vector<Chip> chips;
  for (int k = 0; k < 3; ++k) {
    const Chip chip{1 + k * 5 + rng.Int(2), 2 + rng.Int(n - 5), 3, 2};
    chips.push_back(chip);
    for (int j = -1; j <= chip.ch; ++j)
      for (int i = 0; i < chip.cw; ++i) node(chip.x + i, chip.y + j) = 1;
  }
  const int dx[] = {1, 1, 0, -1, -1, -1, 0, 1}, dy[] = {0, 1, 1, 1, 0, -1, -1, -1};
  auto trace = [&](int x, int y, int dir) {
    std::vector<std::pair<double, double>> pts{{x * grid + 8.0, y * grid + 8.0}};
    node(x, y) = 1;
    const int len = 3 + rng.Int(7);
    for (int s = 0; s < len; ++s) {
      if (rng.Real() < 0.3) dir = (dir + (rng.Real() < 0.5 ? 1 : 7)) % 8;
      const int nx = x + dx[dir], ny = y + dy[dir];
      if (node(nx, ny)) break;
      x = nx;
      y = ny;
      node(x, y) = 1;
      pts.push_back({x * grid + 8.0, y * grid + 8.0});
    }
    if (pts.size() < 2) return;
    const double width = rng.Real() < 0.3 ? 3.2 : 1.9;
    Wrapped(c, [&] {
      cairo_t* cr = c.cr();
      for (int pass = 0; pass < 2; ++pass) {
        cairo_move_to(cr, pts[0].first, pts[0].second);
        for (size_t i = 1; i < pts.size(); ++i) cairo_line_to(cr, pts[i].first, pts[i].second);
        if (pass == 0)
          c.Stroke(Scale(copper, 0.5), width + 1.6);
        else
          c.Stroke(copper, width);
      }
      for (auto p : {pts.front(), pts.back()}) {
        c.Circle(p.first, p.second, 3.6);
        c.FillStroke(Hex(0xE8C16A), Scale(copper, 0.5), 1.0);
        c.Circle(p.first, p.second, 1.4);
        c.Fill(Hex(0x062814));
      }
    });
  };
  // Traces leave every chip from its pins, then others fill the board.
  for (const Chip& chip : chips)
    for (int i = 0; i < chip.cw; ++i) {
      trace(chip.x + i, chip.y - 2, 6);
      trace(chip.x + i, chip.y + chip.ch + 1, 2);
    }
  for (int k = 0; k < 60; ++k) {
    const int x = rng.Int(n), y = rng.Int(n);
    if (!node(x, y)) trace(x, y, rng.Int(8));
  }
  for (const Chip& chip : chips) {
    const double x = chip.x * grid + 2, y = chip.y * grid + 2;
    const double cw = chip.cw * grid - 4, ch = chip.ch * grid - 4;
    Wrapped(c, [&] {
      for (int p = 0; p < chip.cw; ++p) {
        cairo_rectangle(c.cr(), x + p * grid + 4.5, y - 9, 3, ch + 18);
        c.Fill(Hex(0xC0C4C8));
      }
      c.RoundRect(x, y, cw, ch, 2);
      c.LinearV(y, Hex(0x3A3D42), y + ch, Hex(0x17181B));
      cairo_fill(c.cr());
      c.Circle(x + 4, y + 4, 1.5);
      c.Fill(Hex(0x55585E));
    });
  }
  return c.Opaque();
}

Image TentStripes() {
  const int w = 240, h = 240;
  return PerPixel(w, h, [&](double u, double v, int, int) {
    // Four broad stripes a tile, a gentle sway, soft edges: a backdrop, not a pattern to read.
    const double t = u * 4 + 0.25 + 0.03 * std::sin(v * 2 * M_PI);
    const double s = t - std::floor(t);
    const double edge = std::min(std::fabs(s - 0.5), std::min(s, 1 - s));
    const double k = SmoothStep(-0.03, 0.03, s < 0.5 ? edge : -edge);
    Rgb c = Mix(Hex(0xE9D9A8), Hex(0x2B5BA6), k);
    // Cloth folds: each stripe bulges.
    const double fold = 0.5 + 0.5 * std::cos((s - 0.25) * 4 * M_PI);
    c = Scale(c, 0.8 + 0.22 * fold + 0.04 * Fbm(u, v, 8, 8, 3, 241));
    return c;
  });
}

Image FloorTiles() {
  const int w = 128, h = 128;
  return PerPixel(w, h, [&](double u, double v, int, int) {
    const int tx = int(u * 2), ty = int(v * 2);
    const double fx = std::fmod(u * 2, 1.0) * 64, fy = std::fmod(v * 2, 1.0) * 64;
    // A brass diamond set where four tiles meet.
    const double cx = std::min(fx, 64 - fx), cy = std::min(fy, 64 - fy);
    if (cx + cy < 7.5) {
      const double lit = Clamp01(0.5 + ((fx < 32 ? 1 : -1) + (fy < 32 ? 1 : -1)) * 0.2);
      return cx + cy > 6.3 ? Hex(0x5A4620) : Mix(Hex(0x9A7424), Hex(0xF0D080), lit);
    }
    const double e = std::min(cx, cy);
    if (e < 1.5) return Hex(0xC9C2B4);
    const bool dark = (tx + ty) % 2;
    Rgb c = dark ? Hex(0x2C4A7A) : Hex(0xEDE8DA);
    c = Scale(c, 0.94 + 0.08 * Fbm(u, v, 4, 4, 4, 251));
    // Glaze highlight toward the upper left of every tile, bevel at the edges.
    c = Mix(c, Hex(0xFFFFFF), 0.18 * Clamp01(1 - (fx + fy) / 60));
    if (e < 4) c = Scale(c, (fx < 4 || fy < 4) ? 1.08 : 0.82);
    return c;
  });
}

Image Carpet() {
  const int w = 200, h = 200;
  Canvas c(w, h);
  c.Color(Hex(0x7A1E2B));
  cairo_paint(c.cr());
  cairo_t* cr = c.cr();
  // A medallion in the middle of every tile, with quarter medallions at the corners.
  auto medallion = [&](double cx, double cy) {
    for (int ring = 0; ring < 4; ++ring) {
      const double r = 62 - ring * 15;
      cairo_move_to(cr, cx, cy - r);
      cairo_line_to(cr, cx + r, cy);
      cairo_line_to(cr, cx, cy + r);
      cairo_line_to(cr, cx - r, cy);
      cairo_close_path(cr);
      const Rgb cols[] = {Hex(0xE1B75A), Hex(0x1F3D6B), Hex(0xEFE3C6), Hex(0x2F6F5E)};
      c.FillStroke(cols[ring], Hex(0x3A0F16), 1.5);
    }
    for (int p = 0; p < 8; ++p) {
      const double a = p * M_PI / 4;
      c.Ellipse(cx + 8 * std::cos(a), cy + 8 * std::sin(a), 4, 4);
      c.Fill(Hex(0xB8323E));
    }
    c.Circle(cx, cy, 4);
    c.Fill(Hex(0xE1B75A));
  };
  Wrapped(c, [&] {
    medallion(100, 100);
    medallion(0, 0);
  });
  // Small stars between.
  Wrapped(c, [&] {
    for (auto [sx, sy] : {std::pair{100.0, 0.0}, std::pair{0.0, 100.0}}) {
      for (int p = 0; p < 4; ++p) {
        cairo_save(cr);
        cairo_translate(cr, sx, sy);
        cairo_rotate(cr, p * M_PI / 2);
        cairo_move_to(cr, 0, 0);
        cairo_line_to(cr, 6, -18);
        cairo_line_to(cr, 0, -28);
        cairo_line_to(cr, -6, -18);
        cairo_close_path(cr);
        cairo_restore(cr);
      }
      c.FillStroke(Hex(0xEFE3C6), Hex(0x3A0F16), 1.2);
    }
  });
  Image img = c.Opaque();
  // Woven pile texture.
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double k =
          0.9 + 0.1 * ((x + 2 * y) % 3 == 0) + 0.06 * Fbm(x / 200.0, y / 200.0, 20, 20, 2, 261);
      img.at(x, y) = Pack(Scale(Hex(img.at(x, y)), k));
    }
  return img;
}

Image Damask() {
  const int w = 160, h = 160;
  Canvas c(w, h);
  c.Color(Hex(0x2E4B3C));
  cairo_paint(c.cr());
  cairo_t* cr = c.cr();
  auto motif = [&](double cx, double cy, double s) {
    // A mirrored leaf-and-scroll figure.
    for (int side = -1; side <= 1; side += 2) {
      cairo_save(cr);
      cairo_translate(cr, cx, cy);
      cairo_scale(cr, side * s, s);
      cairo_move_to(cr, 0, -40);
      cairo_curve_to(cr, 14, -30, 22, -14, 8, 0);
      cairo_curve_to(cr, 26, -4, 30, 14, 16, 22);
      cairo_curve_to(cr, 22, 10, 12, 6, 4, 14);
      cairo_curve_to(cr, 8, 26, 4, 34, 0, 40);
      cairo_line_to(cr, 0, -40);
      cairo_close_path(cr);
      cairo_restore(cr);
    }
    c.FillStroke(Hex(0x6E8F62), Hex(0x9DB98A), 1.0);
    c.Circle(cx, cy - 14 * s, 3 * s);
    c.Fill(Hex(0xC9D9A8));
  };
  Wrapped(c, [&] {
    motif(40, 40, 0.8);
    motif(120, 120, 0.8);
    motif(120, 40, 0.4);
    motif(40, 120, 0.4);
  });
  Image img = c.Opaque();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      img.at(x, y) = Pack(Scale(Hex(img.at(x, y)), 0.95 + 0.06 * ((y % 3) == 0)));
  return img;
}

}  // namespace

std::vector<Image> MakeBackgrounds() {
  std::vector<Image> v;
  v.push_back(DaySky());
  v.push_back(NightSky());
  v.push_back(WoodPlanks());
  v.push_back(Bricks());
  v.push_back(Grass());
  v.push_back(Sand());
  v.push_back(Water());
  v.push_back(Cobbles());
  v.push_back(Tartan());
  v.push_back(BrushedMetal());
  v.push_back(SunsetSky());
  v.push_back(Marble());
  v.push_back(Foliage());
  v.push_back(AutumnLeaves());
  v.push_back(StoneWall());
  v.push_back(Ice());
  v.push_back(Snow());
  v.push_back(Nebula());
  v.push_back(CircuitBoard());
  v.push_back(Cork());
  v.push_back(Gingham());
  v.push_back(Strata());
  v.push_back(TentStripes());
  v.push_back(FloorTiles());
  v.push_back(Carpet());
  v.push_back(Damask());
  return v;
}
