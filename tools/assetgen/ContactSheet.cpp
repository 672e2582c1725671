// The contact sheet: every picture of the data on one PNG, text set with the game's own glyphs in
// both styles the game makes of them, so the art can be judged as a whole.
#include "ContactSheet.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "Assets.h"
#include "base/Cp1251.h"
#include "image/Png.h"

namespace {

constexpr uint32_t kScreen = 0x000032;
constexpr int kSheetWidth = 1680;

// The two styles the game renders from the glyph pictures: white, and blue with a dark blue
// shadow one pixel to the right and below.
struct Font {
  std::map<int, Image> styles[2];
  int space = 10;

  void Build(const std::vector<NamedImage>& glyphs) {
    for (const NamedImage& g : glyphs) {
      const int code = std::stoi(g.name);
      const Image& src = g.img;
      styles[0][code] = src;
      Image shadowed(src.w + 1, src.h + 1);
      for (int y = 0; y < src.h; ++y)
        for (int x = 0; x < src.w; ++x) {
          const bool set = src.at(x, y) != 0;
          const bool left = x > 0 && src.at(x - 1, y) != 0, up = y > 0 && src.at(x, y - 1) != 0;
          if (set)
            shadowed.at(x, y) = 0x0000FF;
          else if (left || up)
            shadowed.at(x, y) = 0x000080;
        }
      styles[1][code] = shadowed;
    }
  }

  // Draws a cp1251 line with "&digit" style switches, top-aligned; returns its width.
  int Draw(Image* dst, int x, int y, const std::string& text) const {
    int style = 0, pen = x;
    bool escape = false;
    for (unsigned char ch : text) {
      if (escape && ch != '&') {
        style = (ch == '1') ? 1 : 0;
        escape = false;
        continue;
      }
      if (ch == '&' && !escape) {
        escape = true;
        continue;
      }
      escape = false;
      if (ch == ' ') {
        pen += space;
        continue;
      }
      auto it = styles[style].find(ch);
      if (it == styles[style].end()) continue;
      if (dst) Blit(*dst, it->second, pen, y, true);
      pen += it->second.w;
    }
    return pen - x;
  }
  int Height() const { return styles[0].empty() ? 0 : styles[0].begin()->second.h; }
};

Image Half(const Image& src) {
  Image out(src.w / 2, src.h / 2);
  for (int y = 0; y < out.h; ++y)
    for (int x = 0; x < out.w; ++x) {
      uint32_t r = 0, g = 0, b = 0;
      for (int k = 0; k < 4; ++k) {
        const uint32_t p = src.at(2 * x + (k & 1), 2 * y + (k >> 1));
        r += (p >> 16) & 255;
        g += (p >> 8) & 255;
        b += p & 255;
      }
      out.at(x, y) = ((r / 4) << 16) | ((g / 4) << 8) | (b / 4);
    }
  return out;
}

Image Zoom(const Image& src, int k) {
  Image out(src.w * k, src.h * k);
  for (int y = 0; y < out.h; ++y)
    for (int x = 0; x < out.w; ++x) out.at(x, y) = src.at(x / k, y / k);
  return out;
}

void FillRect(Image& img, int x0, int y0, int x1, int y1, uint32_t color) {
  for (int y = std::max(0, y0); y < std::min(img.h, y1); ++y)
    for (int x = std::max(0, x0); x < std::min(img.w, x1); ++x) img.at(x, y) = color;
}

// The largest target circle as the game draws it: red centre and outer ring, white middle ring.
void Disc(Image& img, int cx, int cy) {
  const double R = 19, r1 = R / 3, r2 = (R + r1) / 2;
  for (int y = 0; y < 2 * R; ++y)
    for (int x = 0; x < 2 * R; ++x) {
      const double e = std::hypot(x - R, y - R);
      if (e >= R) continue;
      const int px = cx - int(R) + x, py = cy - int(R) + y;
      if (px < 0 || py < 0 || px >= img.w || py >= img.h) continue;
      img.at(px, py) = (e < r1 || e >= r2) ? 0xFF0000 : 0xFFFFFF;
    }
}

}  // namespace

bool WriteContactSheet(const std::string& path, std::string& error) {
  std::vector<NamedImage> glyphs;
  if (!MakeGlyphs(kFontPath, kFontPixelSize, glyphs, error)) return false;
  Font font;
  font.Build(glyphs);
  const int lh = font.Height();

  const std::vector<Image> backs = MakeBackgrounds();
  const std::vector<Image> targets = MakeTargets();
  const std::vector<NamedImage> picts = MakePictures();
  const Image logo = MakeLogo(), cup = MakeCupBig();

  Image sheet(kSheetWidth, 4200, kScreen);
  int y = 16;
  auto heading = [&](const std::string& text) {
    font.Draw(&sheet, 20, y, text);
    y += lh + 10;
  };

  heading(Cp("&1Backgrounds &0(back.ccg, shown at half size)"));
  {
    int x = 20, rowH = 0;
    for (size_t i = 0; i < backs.size(); ++i) {
      const Image t = Half(backs[i]);
      if (x + t.w > kSheetWidth - 20) {
        x = 20;
        y += rowH + 8 + lh;
        rowH = 0;
      }
      Blit(sheet, t, x, y, false);
      font.Draw(&sheet, x, y + t.h + 2, "&1" + std::to_string(i));
      x += t.w + 8;
      rowH = std::max(rowH, t.h);
    }
    y += rowH + lh + 20;
  }

  heading(Cp("&1Targets &0(targets.ccg, on the first sky at the default brightness)"));
  {
    const int cellW = 128, cellH = 150;
    int x = 20;
    for (size_t i = 0; i < targets.size(); ++i) {
      if (x + cellW > kSheetWidth - 20) {
        x = 20;
        y += cellH + 8;
      }
      Image cell(cellW, cellH);
      for (int yy = 0; yy < cellH; ++yy)
        for (int xx = 0; xx < cellW; ++xx) {
          const uint32_t p = backs[0].at((x + xx) % backs[0].w, (y + yy) % backs[0].h);
          cell.at(xx, yy) = (p >> 1) & 0x7F7F7F;
        }
      const Image& t = targets[i];
      const int by = cellH - 28;
      Blit(cell, t, cellW / 2 - t.w / 2, by - t.h, true);
      Disc(cell, cellW / 2, by);
      Blit(sheet, cell, x, y, false);
      font.Draw(&sheet, x + 4, y + 2, "&0" + std::to_string(i));
      x += cellW + 8;
    }
    y += cellH + 24;
  }

  heading(Cp("&1Named pictures &0(graph.ccg, actual size and twice the size)"));
  {
    int x = 20, rowH = 0;
    for (const NamedImage& p : picts) {
      const Image z = Zoom(p.img, 2);
      const int w = std::max({z.w + p.img.w + 12, font.Draw(nullptr, 0, 0, p.name), 90});
      if (x + w > kSheetWidth - 20) {
        x = 20;
        y += rowH + lh + 16;
        rowH = 0;
      }
      Blit(sheet, p.img, x, y, true);
      Blit(sheet, z, x + p.img.w + 8, y, true);
      font.Draw(&sheet, x, y + z.h + 4, "&1" + p.name);
      x += w + 22;
      rowH = std::max(rowH, z.h);
    }
    y += rowH + lh + 28;
  }

  heading(Cp("&1Font &0(font.ccg): style 0 and style 1"));
  {
    for (int style = 0; style < 2; ++style) {
      std::string line = style ? "&1" : "&0";
      for (int code = 33; code <= 255; ++code) {
        line += char(code);
        if (code == '&') line += '&';
        if ((code - 32) % 56 == 0 || code == 255) {
          font.Draw(&sheet, 20, y, line);
          y += lh + 6;
          line = style ? "&1" : "&0";
        }
      }
      y += 8;
    }
    const char* samples[] = {
        "The quick brown fox jumps over the lazy dog. 0123456789 !?&&()[]{}#%@$",
        "&1THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG &0+-*/=<>~_|\\\"';:,.",
        "Съешь же ещё этих мягких французских булок, да выпей чаю.",
        "&1СЪЕШЬ ЖЕ ЕЩЁ ЭТИХ МЯГКИХ ФРАНЦУЗСКИХ БУЛОК, ДА ВЫПЕЙ ЧАЮ. №§©®«»–—…€",
        "LEVEL: &17   &0BULLETS: &110   &0SCORE: &1123450   &0Game difficulty: normal",
        "&1Background brightness: 50%   Control speed:  10   &0GAME  OVER!   You WIN the GAME!",
        "&1Ошибка чтения файла &0main.lev   &1Player   &0Enter your name:",
    };
    for (const char* s : samples) {
      font.Draw(&sheet, 20, y, Cp(s));
      y += lh + 6;
    }
    y += 20;
  }

  heading(Cp("&1Resources &0VOR and CUP_BIG"));
  Blit(sheet, logo, 20, y, true);
  Blit(sheet, cup, 440, y, true);
  // The logo as the menu shows it, with the first lines under it.
  y += logo.h + 20;

  Image out(kSheetWidth, y);
  std::copy(sheet.px.begin(), sheet.px.begin() + ptrdiff_t(out.px.size()), out.px.begin());
  Surface surface(out.w, out.h);
  for (int yy = 0; yy < out.h; ++yy)
    std::copy_n(&out.px[size_t(yy) * out.w], out.w, surface.Row(yy));
  std::string reason;
  if (!WritePng(surface, path, reason)) {
    error = "cannot write " + path + ": " + reason;
    return false;
  }
  (void)FillRect;
  return true;
}
