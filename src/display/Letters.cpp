// The bitmap font: glyph building, stored tables, markup, measuring, drawing and text effects.
#include "display/Letters.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <numbers>

#include "base/Bytes.h"
#include "assets/Collections.h"
#include "assets/FileUtils.h"
#include "base/PortableMath.h"
#include "display/DIB.h"
#include "display/PixelRoutines.h"
#include "base/Numbers.h"
#include "base/Random.h"

namespace {

constexpr int32_t kIndexOffset = 0;
constexpr int32_t kWidthOffset = kGlyphSlots * 4;
constexpr int32_t kHeightOffset = 2 * kGlyphSlots * 4;
constexpr int32_t kSpaceOffset = 3 * kGlyphSlots * 4;

int32_t ClampToInt(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

// The character a glyph picture stands for: its name as a decimal number (255 when it is not
// one), modulo 256 as a signed remainder.
int32_t CodeOfName(const std::string& name) {
  int32_t value = 0;
  const char* end = name.data() + name.size();
  const auto [p, ec] = std::from_chars(name.data(), end, value);
  if (name.empty() || ec != std::errc() || p != end) value = 255;
  return value % 256;
}

// The i-th code of a glyph code string.
int32_t CodeAt(const std::string& codes, int32_t i) {
  const auto* p = reinterpret_cast<const uint8_t*>(codes.data()) + size_t(i) * 4;
  return GetInt32LE(p);
}

// A code a font of this size can draw or advance by: a glyph slot or a space of a style.
bool ValidCode(int32_t code) {
  return code >= -kFontStyles && code < kGlyphSlots;
}

// Calls f for each line of the text, split at CR LF; a non-empty rest is the last line.
template <typename F>
void ForEachLine(std::string_view text, F&& f) {
  while (!text.empty()) {
    const size_t crlf = text.find("\r\n");
    if (crlf == std::string_view::npos) {
      f(text);
      return;
    }
    f(text.substr(0, crlf));
    text.remove_prefix(crlf + 2);
  }
}

// A lock held for one scope; Ok() tells whether it was taken.
class SurfaceLock {
 public:
  explicit SurfaceLock(Surface& s) : s_(s), ok_(Succeeded(s.Lock(pixels_, pitch_))) {}
  ~SurfaceLock() {
    if (ok_) s_.Unlock();
  }
  SurfaceLock(const SurfaceLock&) = delete;
  SurfaceLock& operator=(const SurfaceLock&) = delete;
  bool Ok() const { return ok_; }
  uint32_t* Row(int32_t y) const {
    return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(pixels_) + size_t(y) * pitch_);
  }
  int32_t Pitch() const { return pitch_; }

 private:
  Surface& s_;
  uint32_t* pixels_ = nullptr;
  int32_t pitch_ = 0;
  bool ok_;
};

}  // namespace

TLettersCollection::TLettersCollection() {
  GlyphIndex.fill(-1);
  GlyphWidth.fill(0);
  GlyphHeight.fill(0);
  SpaceWidth.fill(kDefaultSpaceWidth);
}

// --- Stored form ---

void TLettersCollection::WriteHeader(uint8_t* buffer) const {
  TDXBaseSurface::WriteHeader(buffer);
  uint8_t* t = buffer + SpriteHeaderSize();
  for (int32_t i = 0; i < kGlyphSlots; ++i) {
    PutInt32LE(t + kIndexOffset + 4 * i, GlyphIndex[i]);
    PutInt32LE(t + kWidthOffset + 4 * i, GlyphWidth[i]);
    PutInt32LE(t + kHeightOffset + 4 * i, GlyphHeight[i]);
  }
  for (int32_t s = 0; s < kFontStyles; ++s) PutInt32LE(t + kSpaceOffset + 4 * s, SpaceWidth[s]);
}

bool TLettersCollection::ReadHeader(const uint8_t* buffer) {
  const uint8_t* t = buffer + SpriteHeaderSize();
  const int32_t slots = std::min(kGlyphSlots, Capacity);
  for (int32_t i = 0; i < kGlyphSlots; ++i) {
    const int32_t slot = GetInt32LE(t + kIndexOffset + 4 * i);
    const int32_t w = GetInt32LE(t + kWidthOffset + 4 * i);
    const int32_t h = GetInt32LE(t + kHeightOffset + 4 * i);
    if (slot < -1 || slot >= slots) return false;
    if (w < 0 || w > FrameWidth || h < 0 || h > FrameHeight) return false;
  }
  for (int32_t s = 0; s < kFontStyles; ++s) {
    const int32_t w = GetInt32LE(t + kSpaceOffset + 4 * s);
    if (w < 0 || w > kMaxSheetSide) return false;
  }
  if (!TDXBaseSurface::ReadHeader(buffer)) return false;
  for (int32_t i = 0; i < kGlyphSlots; ++i) {
    GlyphIndex[i] = GetInt32LE(t + kIndexOffset + 4 * i);
    GlyphWidth[i] = GetInt32LE(t + kWidthOffset + 4 * i);
    GlyphHeight[i] = GetInt32LE(t + kHeightOffset + 4 * i);
  }
  for (int32_t s = 0; s < kFontStyles; ++s) SpaceWidth[s] = GetInt32LE(t + kSpaceOffset + 4 * s);
  return true;
}

// --- Building ---

void TLettersCollection::RenderGlyph(::Surface& target, const TDIB& dib,
                                     const TLetterStyle& style) {
  SurfaceLock lock(target);
  if (!lock.Ok()) return;
  const int32_t w = dib.Width(), h = dib.Height();
  const int32_t tw = target.Width(), th = target.Height();
  const int32_t border = style.Kind == 2 ? 2 : style.Kind == 3 ? 1 : 0;
  for (int32_t y = 0; y < std::min(h + border, th); ++y) std::fill_n(lock.Row(y), tw, 0u);

  const uint32_t ink = GdiToPixel(style.Color), outline = GdiToPixel(style.OutlineColor);
  const auto set = [&](int32_t x, int32_t y) {
    return x >= 0 && y >= 0 && x < w && y < h && dib.Pixels(x, y) != 0;
  };
  const auto put = [&](int32_t x, int32_t y, uint32_t c) {
    if (x < tw && y < th) lock.Row(y)[x] = c;
  };
  for (int32_t y = 0; y < std::min(h, th); ++y)
    for (int32_t x = 0; x < std::min(w, tw); ++x) {
      if (set(x, y)) {
        if (style.Kind == 2)
          put(x + 1, y + 1, ink);
        else
          put(x, y, ink);
      } else if (style.Kind == 2) {
        if (set(x - 1, y) || set(x + 1, y) || set(x, y - 1) || set(x, y + 1))
          put(x + 1, y + 1, outline);
      } else if (style.Kind == 3) {
        if (set(x - 1, y) || set(x, y - 1)) put(x, y, outline);
      }
    }
}

void TLettersCollection::AddFontStyle(Display& device, const TGraphCollection& collection,
                                      const TLetterStyle& style, int32_t styleIndex) {
  if (styleIndex < 0 || styleIndex >= kFontStyles) return;
  SurfacePtr temp;
  const HRESULT r = CreateWorkSurface(device, FrameWidth, FrameHeight, temp);
  if (Failed(r) || !temp) {
    LastResult = Failed(r) ? r : DDERR_GENERIC;
    return;
  }
  const int32_t border = style.Kind == 2 ? 2 : style.Kind == 3 ? 1 : 0;
  for (int32_t i = 0; i < collection.Count(); ++i) {
    const int32_t code = CodeOfName(collection.GetGraphicName(i));
    if (code < kFirstGlyphCode) continue;
    TDIB dib;
    dib.Assign(collection.GetGraphic(i));
    RenderGlyph(*temp, dib, style);
    int32_t slot = FirstFreeFrame();
    // The width and height tables end at 2240 slots.
    if (slot < 0 || slot >= kGlyphSlots) {
      LastResult = kNoFreeFrame;
      break;
    }
    if (!PutFrame(slot, dib.Width() + border, dib.Height() + border, std::string(), *temp, false))
      break;
    GlyphIndex[(code - kFirstGlyphCode) * kFontStyles + styleIndex] = slot;
    GlyphWidth[slot] = Frames[slot].Width;
    GlyphHeight[slot] = Frames[slot].Height;
  }
}

// --- Markup and measuring ---

int32_t TLettersCollection::GlyphFor(uint8_t code, int32_t style) const {
  if (code < kFirstGlyphCode || style < 0 || style >= kFontStyles) return -1;
  const int32_t slot = GlyphIndex[(code - kFirstGlyphCode) * kFontStyles + style];
  return slot >= 0 && slot < kGlyphSlots ? slot : -1;
}

std::string TLettersCollection::EncodeText(std::string_view text) const {
  std::string codes;
  codes.reserve(text.size() * 4);
  ForEachCode(text, [&](int32_t code) {
    const auto u = static_cast<uint32_t>(code);
    codes.push_back(char(u & 0xFF));
    codes.push_back(char((u >> 8) & 0xFF));
    codes.push_back(char((u >> 16) & 0xFF));
    codes.push_back(char(u >> 24));
  });
  return codes;
}

void TLettersCollection::SplitLines(std::string_view text, std::vector<std::string>& lines) {
  lines.clear();
  ForEachLine(text, [&](std::string_view line) { lines.emplace_back(line); });
}

int32_t TLettersCollection::LineWidth(std::string_view line) const {
  int64_t width = 0;
  ForEachCode(line,
              [&](int32_t code) { width += code >= 0 ? GlyphWidth[code] : SpaceWidth[-code - 1]; });
  return ClampToInt(width);
}

int32_t TLettersCollection::LineHeight(std::string_view line) const {
  int32_t height = 0;
  ForEachCode(line, [&](int32_t code) {
    if (code >= 0) height = std::max(height, GlyphHeight[code]);
  });
  return height;
}

int32_t TLettersCollection::TextWidth(std::string_view text) const {
  int32_t width = 0;
  ForEachLine(text, [&](std::string_view line) { width = std::max(width, LineWidth(line)); });
  return width;
}

int32_t TLettersCollection::TextHeight(std::string_view text, int32_t spacing) const {
  int64_t height = 0;
  ForEachLine(text, [&](std::string_view line) { height += int64_t{LineHeight(line)} + spacing; });
  return ClampToInt(height);
}

// --- Drawing ---

void TLettersCollection::DrawLine(::Surface& dest, int32_t x, int32_t y, std::string_view line,
                                  uint8_t horizontal, uint8_t vertical) {
  int64_t left = x, top = y;
  if (horizontal == daRight)
    left -= LineWidth(line);
  else if (horizontal == daCenter)
    left -= LineWidth(line) / 2;
  if (vertical == daCenter)
    top -= LineHeight(line) / 2;
  else if (vertical == daBottom)
    top -= LineHeight(line);
  const int32_t glyphTop = ClampToInt(top);
  ForEachCode(line, [&](int32_t code) {
    if (code < 0) {
      left += SpaceWidth[-code - 1];
      return;
    }
    Draw(dest, ClampToInt(left), glyphTop, code, daLeft, daTop);
    left += GlyphWidth[code];
  });
}

void TLettersCollection::DrawText(::Surface& dest, int32_t x, int32_t y, std::string_view text,
                                  uint8_t horizontal, uint8_t vertical, int32_t spacing) {
  int64_t top = 0;
  if (vertical == daCenter)
    top = int64_t{y} - TextHeight(text, spacing) / 2;
  else if (vertical == daTop)
    top = y;
  else if (vertical == daBottom)
    top = int64_t{y} - TextHeight(text, spacing);
  ForEachLine(text, [&](std::string_view line) {
    DrawLine(dest, x, ClampToInt(top), line, horizontal, daTop);
    top += int64_t{LineHeight(line)} + spacing;
  });
}

// --- Burst ---

void TLettersCollection::StartBoom(const std::string& text, uint8_t fade, float gravity,
                                   int32_t delay) {
  Boom.Fade = fade;
  Boom.Gravity = gravity;
  Boom.Position = 1;
  Boom.Delay = Boom.Countdown = delay;
  Boom.Text = text.empty() ? std::string(" ") : text;
  SpawnParticles();
}

void TLettersCollection::SpawnParticles() {
  ParticleCount = 0;
  if (Boom.Position < 1 || Boom.Position > static_cast<int64_t>(Boom.Text.size())) {
    Boom.Position = 1;
    Boom.Countdown = Boom.Delay;
  }
  int32_t slot = -1, n = 0;
  ForEachCode(Boom.Text, [&](int32_t code) {
    if (++n == Boom.Position) slot = code;
  });
  if (slot < 0 || slot >= Capacity || !Surface) return;
  SurfaceLock lock(*Surface);
  if (!lock.Ok()) return;
  const TRect cell = GetFrameRect(slot);
  const int32_t w =
      std::clamp(GlyphWidth[slot], 0, std::min(FrameWidth, Surface->Width() - cell.Left));
  const int32_t h =
      std::clamp(GlyphHeight[slot], 0, std::min(FrameHeight, Surface->Height() - cell.Top));
  const int32_t c0 = GameRandom().Int(GlyphWidth[slot]);
  const uint32_t key = GdiToPixel(ColorKey);
  for (int32_t x = 0; x < w; ++x)
    for (int32_t y = 0; y < h; ++y) {
      if (lock.Row(cell.Top + y)[cell.Left + x] == key) continue;
      if (ParticleCount >= kMaxParticles) return;
      TParticle& p = Particles[ParticleCount++];
      p.X = float(x);
      p.Y = float(y);
      p.Color = uint32_t(GameRandom().Int(16777215));
      p.DX = float(GameRandom().Int(6) + double(x - c0) / 3 - 3);
      p.DY = float(GameRandom().Int(6) + double(y - h) / 3 - 3);
    }
}

void TLettersCollection::DrawBoom(::Surface& dest, int32_t x, int32_t y, const TRect& clip) {
  if (Boom.Countdown > 0) {
    --Boom.Countdown;
    DrawLine(dest, x, y, Boom.Text, daLeft, daTop);
    return;
  }
  const std::string_view text = Boom.Text;
  const size_t position = std::min<size_t>(size_t(std::max(Boom.Position, 1)), text.size());
  const int64_t before = LineWidth(text.substr(0, position - 1));
  const int64_t through = LineWidth(text.substr(0, position));
  DrawLine(dest, ClampToInt(x + through), y, text.substr(position), daLeft, daTop);

  {
    SurfaceLock lock(dest);
    if (!lock.Ok()) return;
    // Strict bounds as the clip is used, narrowed to the surface so a large clip cannot reach
    // past it.
    const int64_t left = std::max<int64_t>(clip.Left, -1), top = std::max<int64_t>(clip.Top, -1);
    const int64_t right = std::min<int64_t>(clip.Right, dest.Width());
    const int64_t bottom = std::min<int64_t>(clip.Bottom, dest.Height());
    const int64_t ox = x + before, oy = y;
    for (int32_t i = 0; i < ParticleCount; ++i) {
      const TParticle& p = Particles[i];
      const int64_t px = Trunc(p.X) + ox, py = Trunc(p.Y) + oy;
      if (left < px && top < py && px + 1 < right && py + 1 < bottom) {
        uint32_t* row = lock.Row(int32_t(py));
        uint32_t* next = lock.Row(int32_t(py + 1));
        row[px] = row[px + 1] = next[px] = next[px + 1] = p.Color;
      }
    }
  }

  const int32_t fade = Boom.Fade;
  int32_t kept = 0;
  for (int32_t i = 0; i < ParticleCount; ++i) {
    TParticle p = Particles[i];
    p.X += p.DX;
    p.Y += p.DY;
    p.DY += Boom.Gravity;
    uint32_t color = 0;
    for (const int shift : {16, 8, 0}) {
      const uint8_t byte = uint8_t(p.Color >> shift);
      const uint8_t r = uint8_t(GameRandom().Int(2 * fade) + fade / 2);
      color |= uint32_t(r >= byte ? 0 : byte - r) << shift;
    }
    p.Color = color;
    if (color != 0) Particles[kept++] = p;
  }
  ParticleCount = kept;
  if (ParticleCount == 0) {
    ++Boom.Position;
    SpawnParticles();
  }
}

// --- Bobbing ---

void TLettersCollection::StartJump(const std::string& text, int32_t minY, int32_t maxY, bool wave) {
  Jump.Codes = EncodeText(text);
  Jump.MinY = minY;
  Jump.MaxY = maxY;
  const double a = double(maxY) - double(minY);
  const int32_t n = std::min<int32_t>(int32_t(Jump.Codes.size() / 4), kMaxParticles - 1);
  int64_t advance = 0;
  for (int32_t i = 1; i <= n; ++i) {
    TParticle& p = Particles[i];
    p.X = float(advance);
    if (wave) {
      p.Y = float(a * PortableSin(i * std::numbers::pi / 8) + a / 2);
      p.DY = float(a / 20);
    } else {
      p.Y = float(a / 2);
      const double first = GameRandom().Real(), u = GameRandom().Real();
      p.DY = float(first >= 0.5 ? u + 0.5 : -u - 0.5);
    }
    const int32_t code = CodeAt(Jump.Codes, i - 1);
    if (!ValidCode(code)) continue;
    advance += code >= 0 ? int64_t{GlyphWidth[code]} + 2 : SpaceWidth[-code - 1];
  }
}

void TLettersCollection::DrawJump(::Surface& dest, int32_t x, int32_t y) {
  const int32_t n = std::min<int32_t>(int32_t(Jump.Codes.size() / 4), kMaxParticles - 1);
  for (int32_t i = 1; i <= n; ++i) {
    const int32_t code = CodeAt(Jump.Codes, i - 1);
    if (code < 0 || !ValidCode(code)) continue;
    const TParticle& p = Particles[i];
    Draw(dest, ClampToInt(int64_t{x} + Trunc(p.X)), ClampToInt(int64_t{y} + Trunc(p.Y)), code,
         daLeft, daTop);
  }
  const float minY = float(Jump.MinY), maxY = float(Jump.MaxY);
  for (int32_t i = 1; i <= n; ++i) {
    TParticle& p = Particles[i];
    p.Y += p.DY;
    if (p.Y > maxY) {
      p.Y = 2 * maxY - p.Y;
      p.DY = -p.DY;
    }
    if (p.Y < minY) {
      p.Y = 2 * minY - p.Y;
      p.DY = -p.DY;
    }
  }
}

// --- Scrolling line ---

void TLettersCollection::SetGoLine(const std::string& text, int32_t startX, int32_t endX,
                                   float speed) {
  GoLine.Text = text;
  GoLine.StartX = startX;
  GoLine.EndX = endX;
  GoLine.Offset = float(startX);
  GoLine.Speed = speed;
}

void TLettersCollection::DrawGoLine(::Surface& dest, int32_t x, int32_t y) {
  DrawLine(dest, ClampToInt(int64_t{x} + Trunc(GoLine.Offset)), y, GoLine.Text, daLeft, daTop);
  GoLine.Offset -= GoLine.Speed;
  if (float(GoLine.EndX) >= GoLine.Offset) GoLine.Offset = float(GoLine.StartX);
}
