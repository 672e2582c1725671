// Software pixel routines over locked 32-bit surfaces.
#include "display/PixelRoutines.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "base/Numbers.h"
#include "base/Random.h"
#include "base/PortableMath.h"

namespace {

constexpr uint32_t kColorMask = 0xFFFFFF;

// Holds a surface lock for one scope, so every successful lock is undone on every path.
class ScopedLock {
 public:
  explicit ScopedLock(Surface& s) : surface_(s) { ok_ = Succeeded(s.Lock(pixels_, pitch_)); }
  ~ScopedLock() {
    if (ok_) surface_.Unlock();
  }
  ScopedLock(const ScopedLock&) = delete;
  ScopedLock& operator=(const ScopedLock&) = delete;

  bool Ok() const { return ok_; }
  uint32_t* Row(int32_t y) const {
    return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(pixels_) +
                                       static_cast<ptrdiff_t>(y) * pitch_);
  }

 private:
  Surface& surface_;
  uint32_t* pixels_ = nullptr;
  int32_t pitch_ = 0;
  bool ok_ = false;
};

// Nearest integer, halves to even, without a library call: adding 1.5 x 2^52 leaves no fraction
// bits, so the FPU's default rounding does the work. Valid far beyond any surface coordinate.
inline int64_t RoundHalfEven(double v) {
  constexpr double kShift = 6755399441055744.0;
  return static_cast<int64_t>((v + kShift) - kShift);
}

bool SameColor(uint32_t a, uint32_t b) {
  return ((a ^ b) & kColorMask) == 0;
}

// Makes a surface of w x h filled with color for a routine's result.
bool MakeFilled(Display& dd, int32_t w, int32_t h, uint32_t color, SurfacePtr& out) {
  out.reset();
  if (Failed(CreateWorkSurface(dd, w, h, out))) return false;
  return Succeeded(out->Fill(nullptr, color));
}

}  // namespace

HRESULT CreateWorkSurface(Display& dd, int32_t width, int32_t height, SurfacePtr& out) {
  HRESULT r = dd.CreateSurface(width, height, false, out);
  if (r == DDERR_OUTOFVIDEOMEMORY) r = dd.CreateSurface(width, height, true, out);
  return r;
}

void FillRect(Surface& surface, const TRect& rect, uint32_t color) {
  (void)surface.Fill(&rect, color);
}

TRect ClipToSurface(const TRect& rect, int32_t width, int32_t height) {
  TRect r = rect;
  r.Left = std::max(r.Left, 0);
  r.Top = std::max(r.Top, 0);
  r.Right = std::min(r.Right, width);
  r.Bottom = std::min(r.Bottom, height);
  return r;
}

TRotation RotationFor(int32_t w, int32_t h, int32_t angle) {
  TRotation t;
  // Whole turns are taken off with floor division, so negative angles turn the same way.
  const int64_t turns = angle >= 0 ? angle / 3600 : -((-int64_t(angle) + 3599) / 3600);
  const int64_t a = int64_t(angle) - turns * 3600;
  switch (a) {
    case 0: t = {w, h, 1, 0}; break;
    case 900: t = {h, w, 0, 1}; break;
    case 1800: t = {w, h, -1, 0}; break;
    case 2700: t = {h, w, 0, -1}; break;
    default: {
      const double radians = double(a) * std::numbers::pi / 1800.0;
      t.Cos = static_cast<float>(PortableCos(radians));
      t.Sin = static_cast<float>(PortableSin(radians));
      const double c = t.Cos, s = t.Sin;
      t.NewWidth = Trunc(std::fabs(w * c) + std::fabs(h * s)) + 1;
      t.NewHeight = Trunc(std::fabs(w * s) + std::fabs(h * c)) + 1;
    }
  }
  return t;
}

bool ScaleBrightnessInto(Surface& src, const TRect& rect, bool keepKey, uint32_t keyColor,
                         float factor, Surface& target) {
  const int32_t w = rect.Width(), h = rect.Height();
  if (w > target.Width() || h > target.Height()) return false;
  const double f = std::isnan(factor) ? 0.0 : std::clamp(double(factor), 0.0, 1.0);
  uint32_t scaled[256];
  for (int v = 0; v < 256; ++v) scaled[v] = static_cast<uint32_t>(std::trunc(f * v));

  ScopedLock in(src);
  if (!in.Ok()) return false;
  ScopedLock out(target);
  if (!out.Ok()) return false;
  for (int32_t r = 0; r < h; ++r) {
    const uint32_t* sp = in.Row(rect.Top + r) + rect.Left;
    uint32_t* dp = out.Row(r);
    for (int32_t c = 0; c < w; ++c) {
      const uint32_t t = sp[c];
      if (keepKey && SameColor(t, keyColor)) {
        dp[c] = t;
      } else {
        dp[c] =
            (scaled[(t >> 16) & 0xFF] << 16) | (scaled[(t >> 8) & 0xFF] << 8) | scaled[t & 0xFF];
      }
    }
  }
  return true;
}

bool RotateInto(Surface& src, const TRect& rect, uint32_t fillColor, const TRotation& rotation,
                Surface& target) {
  const int32_t nw = rotation.NewWidth, nh = rotation.NewHeight;
  if (nw > target.Width() || nh > target.Height() || &src == &target) return false;
  const TRect fillArea{0, 0, nw, nh};
  if (Failed(target.Fill(&fillArea, fillColor))) return false;

  const double c = rotation.Cos, s = rotation.Sin;
  const double W = rect.Width(), H = rect.Height();
  const double left = rect.Left, top = rect.Top;
  // Origin of the new surface in source coordinates; the later rules win where they overlap.
  double ox = 0, oy = 0;
  if (c >= 0 && s >= 0) {
    ox = W * s * s + left;
    oy = top - W * c * s;
  }
  if (c <= 0 && s >= 0) {
    ox = left + W - H * c * s;
    oy = H * c * c + top;
  }
  if (c <= 0 && s <= 0) {
    ox = W * c * c + left;
    oy = W * c * s + top + H;
  }
  if (c >= 0 && s <= 0) {
    ox = H * s * c + left;
    oy = H * s * s + top;
  }

  ScopedLock in(src);
  if (!in.Ok()) return false;
  ScopedLock out(target);
  if (!out.Ok()) return false;
  for (int32_t i = 0; i < nh; ++i) {
    uint32_t* dp = out.Row(i);
    const double is = i * s, ic = i * c;
    for (int32_t j = 0; j < nw; ++j) {
      const int64_t x = RoundHalfEven(j * c + ox - is);
      const int64_t y = RoundHalfEven(j * s + oy + ic);
      if (x >= rect.Left && x < rect.Right && y >= rect.Top && y < rect.Bottom)
        dp[j] = in.Row(static_cast<int32_t>(y))[x];
    }
  }
  return true;
}

bool ScaleBrightness(Display& dd, Surface& src, const TRect& rect, bool keepKey, uint32_t keyColor,
                     float factor, SurfacePtr& out) {
  const TRect r = ClipToSurface(rect, src.Width(), src.Height());
  if (!MakeFilled(dd, r.Width(), r.Height(), keyColor, out)) return false;
  return ScaleBrightnessInto(src, r, keepKey, keyColor, factor, *out);
}

bool DissolveSurface(Display& dd, Surface& src, const TRect& rect, bool keepKey, uint32_t keyColor,
                     float probability, SurfacePtr& out) {
  const TRect r = ClipToSurface(rect, src.Width(), src.Height());
  if (!MakeFilled(dd, r.Width(), r.Height(), keyColor, out)) return false;
  ScopedLock in(src);
  if (!in.Ok()) return false;
  ScopedLock dst(*out);
  if (!dst.Ok()) return false;
  Random& random = GameRandom();
  const double p = probability;
  for (int32_t row = 0; row < r.Height(); ++row) {
    const uint32_t* sp = in.Row(r.Top + row) + r.Left;
    uint32_t* dp = dst.Row(row);
    for (int32_t col = 0; col < r.Width(); ++col) {
      const uint32_t c = sp[col];
      if ((keepKey && SameColor(c, keyColor)) || random.Real() < p) dp[col] = c;
    }
  }
  return true;
}

bool RotateSurface(Display& dd, Surface& src, const TRect& rect, uint32_t fillColor, int32_t angle,
                   int32_t& newHeight, int32_t& newWidth, SurfacePtr& out) {
  newHeight = newWidth = 1;
  const TRect r = ClipToSurface(rect, src.Width(), src.Height());
  if (r.Width() <= 0 || r.Height() <= 0) return false;
  const TRotation t = RotationFor(r.Width(), r.Height(), angle);
  newHeight = t.NewHeight;
  newWidth = t.NewWidth;
  if (!MakeFilled(dd, t.NewWidth, t.NewHeight, fillColor, out)) return false;
  return RotateInto(src, r, fillColor, t, *out);
}

bool DarkenAndRotate(Display& dd, Surface& src, const TRect& rect, bool keepKey, uint32_t keyColor,
                     float factor, int32_t angle, int32_t& newHeight, int32_t& newWidth,
                     SurfacePtr& out) {
  newHeight = newWidth = 1;
  SurfacePtr scaled;
  if (!ScaleBrightness(dd, src, rect, keepKey, keyColor, factor, scaled)) return false;
  const TRect whole{0, 0, scaled->Width(), scaled->Height()};
  return RotateSurface(dd, *scaled, whole, keyColor, angle, newHeight, newWidth, out);
}
