// Software pixel routines: a colour fill, and brightness-scaled, dissolved and rotated copies of
// a rectangle of a surface. The copies are made once when frames are prepared, never per frame.
#pragma once
#include <cstdint>

#include "platform/Display.h"
#include "platform/Surface.h"

// An off-screen work surface, in video memory when it fits there and in system memory otherwise
// (as a surface created without a placement request).
[[nodiscard]] HRESULT CreateWorkSurface(Display& dd, int32_t width, int32_t height,
                                        SurfacePtr& out);

// Colour fill of rect (0x00RRGGBB). A rectangle that does not lie inside the surface draws
// nothing; nothing is reported.
void FillRect(Surface& surface, const TRect& rect, uint32_t color);

// The copying routines below share these rules. rect is first limited to the source: a negative
// left or top becomes 0, right and bottom are cut to the surface's width and height. The new
// surface (out, replacing what out held) is filled with the key or fill colour first. False when
// the rectangle is empty, a surface cannot be made or the source cannot be locked; out must then
// not be used.

// Each colour byte multiplied by factor (clamped to 0..1) and truncated. With keepKey, pixels
// equal to keyColor stay as they are.
bool ScaleBrightness(Display& dd, Surface& src, const TRect& rect, bool keepKey, uint32_t keyColor,
                     float factor, SurfacePtr& out);
// Each pixel copied with the given probability (one GameRandom().Real() per pixel, row by row;
// with keepKey, key pixels are copied without a draw); the others keep keyColor.
bool DissolveSurface(Display& dd, Surface& src, const TRect& rect, bool keepKey, uint32_t keyColor,
                     float probability, SurfacePtr& out);
// A copy rotated by angle tenths of a degree, on a surface large enough to hold it; uncovered
// pixels keep fillColor. newHeight and newWidth receive the new size (1 and 1 on an early stop).
bool RotateSurface(Display& dd, Surface& src, const TRect& rect, uint32_t fillColor, int32_t angle,
                   int32_t& newHeight, int32_t& newWidth, SurfacePtr& out);
// ScaleBrightness, then RotateSurface of the result with keyColor as fill colour.
bool DarkenAndRotate(Display& dd, Surface& src, const TRect& rect, bool keepKey, uint32_t keyColor,
                     float factor, int32_t angle, int32_t& newHeight, int32_t& newWidth,
                     SurfacePtr& out);

// --- The same work into a surface the caller keeps (used for drawing without allocating) ---

// rect limited to a width x height surface as the copying routines do it; may come out empty.
TRect ClipToSurface(const TRect& rect, int32_t width, int32_t height);

// The geometry of a rotation of a w x h rectangle: the new size and the cosine and sine used.
struct TRotation {
  int32_t NewWidth = 1, NewHeight = 1;
  float Cos = 1, Sin = 0;
};
TRotation RotationFor(int32_t w, int32_t h, int32_t angle);

// Writes the scaled copy of rect (already limited to src) to the top-left corner of target,
// which must be at least as large. False when a lock fails.
bool ScaleBrightnessInto(Surface& src, const TRect& rect, bool keepKey, uint32_t keyColor,
                         float factor, Surface& target);
// Fills the top-left rotation.NewWidth x NewHeight of target with fillColor and draws the rotated
// rect (already limited to src) there. target must be at least that large and differ from src.
bool RotateInto(Surface& src, const TRect& rect, uint32_t fillColor, const TRotation& rotation,
                Surface& target);
