// Windows metafile pictures, rendered to pixels through libwmf, opened when the first picture is
// drawn (enhanced metafiles are handed to EnhancedMetafile.cpp).
//
// A file may open with the 22-byte placeable header (key 0x9AC6CDD7, handle 2, bounding box
// left/top/right/bottom 4 x 2, units per inch 2, reserved 4, checksum 2), then the 18-byte
// metafile header (type 2, header size in words 2 (9), version 2, file size in words 4, object
// count 2, largest record in words 4, unused 2), then records: size in words 4 (at least 3),
// function 2, parameters; function 0 ends the file.
//
// The picture's frame is the placeable header's box (its size in pixels at 96 per inch), or for
// a plain file the window that its records set (one logical unit a pixel).
#include <libwmf/api.h>
#include <libwmf/defs.h>
#include <libwmf/gd.h>
#include <libwmf/gd/gd.h>
#include <libwmf/ipa.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <type_traits>

#include "base/LittleEndian.h"
#include "image/Picture.h"
#include "platform/SharedLibrary.h"

namespace {

// The renderer's functions.
struct TWmf {
  decltype(&wmf_api_create) apiCreate = nullptr;
  decltype(&wmf_api_destroy) apiDestroy = nullptr;
  decltype(&wmf_mem_open) memOpen = nullptr;
  decltype(&wmf_scan) scan = nullptr;
  decltype(&wmf_play) play = nullptr;
  decltype(&wmf_gd_function) gdFunction = nullptr;
  decltype(&wmf_gd_image_pixels) imagePixels = nullptr;

  bool Load(std::string& error) {
    TSharedLibrary lib("libwmf-0.2.so.7", "libwmf-0.2-7", "Windows metafile pictures");
    if (lib.Find("wmf_api_create", apiCreate) && lib.Find("wmf_api_destroy", apiDestroy) &&
        lib.Find("wmf_mem_open", memOpen) && lib.Find("wmf_scan", scan) &&
        lib.Find("wmf_play", play) && lib.Find("wmf_gd_function", gdFunction) &&
        lib.Find("wmf_gd_image_pixels", imagePixels))
      return true;
    error = lib.Error();
    return false;
  }
};

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr size_t kPlaceableSize = 22, kHeaderSize = 18;

int16_t GetS16(const std::string& s, size_t at) {
  return static_cast<int16_t>(Le16(s, at));
}

// Record functions that set how logical units map to the page.
enum : uint16_t {
  kSetMapMode = 0x0103,
  kSetWindowOrg = 0x020B,
  kSetWindowExt = 0x020C,
  kSetViewportOrg = 0x020D,
  kSetViewportExt = 0x020E,
};

// Records that put something on the page: the mapping in force at the first of them is the one
// the frame is measured with.
bool Draws(uint16_t f) {
  static constexpr uint16_t kDrawing[] = {0x0213, 0x041B, 0x0418, 0x061C, 0x0817, 0x081A, 0x0830,
                                          0x0324, 0x0325, 0x0538, 0x0521, 0x0A32, 0x041F, 0x061D,
                                          0x0922, 0x0940, 0x0B23, 0x0B41, 0x0F43, 0x0D33, 0x0419,
                                          0x0548, 0x0228, 0x0429, 0x012A, 0x012B, 0x062F};
  return std::find(std::begin(kDrawing), std::end(kDrawing), f) != std::end(kDrawing);
}

// The renderer's page coordinates of a logical point, as its player computes them: the window
// origin taken off, scaled by the size of a unit in points (fixed map modes) or by viewport over
// window extent (the two scalable ones, with its viewport of 1024 x 1024), the viewport origin
// taken off.
struct TPageMapping {
  bool placeable = false;
  uint16_t unitsPerInch = 0;
  uint16_t mode = 0;  // 0: the player's default (units per inch when placeable, else points)
  double unit = 1;    // points per logical unit in a fixed mode
  int32_t windowX = 0, windowY = 0, windowW = 0, windowH = 0;
  int32_t viewportW = 1024, viewportH = 1024;
  double viewportX = 0, viewportY = 0;
  bool windowExtSet = false;

  bool Scalable() const { return mode == 7 || mode == 8; }
  double ScaleX() const {
    if (Scalable()) return windowW == 0 ? 0 : double(viewportW) / windowW;
    return windowW < 0 ? -unit : unit;
  }
  double ScaleY() const {
    if (Scalable()) return windowH == 0 ? 0 : double(viewportH) / windowH;
    return windowH < 0 ? -unit : unit;
  }
  double PageX(double x) const { return (x - windowX) * ScaleX() - viewportX; }
  double PageY(double y) const { return (y - windowY) * ScaleY() - viewportY; }

  void SetMode(uint16_t m) {
    static constexpr double kMm = 72.0 / 25.4;
    switch (m) {
      case 1: unit = 1; break;           // text: a point
      case 2: unit = 0.1 * kMm; break;   // 0.1 mm
      case 3: unit = 0.01 * kMm; break;  // 0.01 mm
      case 4: unit = 0.72; break;        // 0.01 inch
      case 5: unit = 0.072; break;       // 0.001 inch
      case 6: unit = 0.05; break;        // twips
      case 7:
      case 8: break;
      default:
        if (!placeable) return;  // the player refuses it; the file fails there
        m = 0;
        unit = 72.0 / unitsPerInch;
    }
    mode = m;
  }
  void Apply(uint16_t f, int16_t y, int16_t x) {
    switch (f) {
      case kSetWindowOrg: windowX = x, windowY = y; break;
      case kSetWindowExt: windowW = x, windowH = y, windowExtSet = true; break;
      case kSetViewportOrg:
        viewportX = x * (Scalable() ? ScaleX() : unit);
        viewportY = y * (Scalable() ? ScaleY() : unit);
        break;
      case kSetViewportExt: viewportW = x, viewportH = y; break;
      default: break;
    }
  }
};

struct TLayout {
  int32_t width = 0, height = 0;
  wmfD_Rect page{};  // the frame in the renderer's page coordinates
};

// Checks the headers, their size fields and that every record lies inside the data up to the end
// record, before the library sees any of it; finds the frame and the picture's size.
bool Inspect(const std::string& b, int64_t maxPixels, TLayout& out, std::string& error) {
  size_t pos = 0;
  TPageMapping map;
  int16_t box[4] = {};
  if (b.size() >= 4 && Le32(b, 0) == kPlaceableKey) {
    if (b.size() < kPlaceableSize) {
      error = "metafile header is truncated";
      return false;
    }
    for (int k = 0; k < 4; ++k) box[k] = GetS16(b, 6 + 2 * k);
    map.placeable = true;
    map.unitsPerInch = Le16(b, 14);
    if (map.unitsPerInch == 0) {
      error = "metafile has no units per inch";
      return false;
    }
    map.SetMode(0);
    pos = kPlaceableSize;
  } else {
    map.SetMode(1);
  }
  if (b.size() - pos < kHeaderSize) {
    error = b.size() < 4 ? "metafile header is truncated" : "not a Windows metafile";
    return false;
  }
  const size_t start = pos;
  const uint16_t type = Le16(b, pos), words = Le16(b, pos + 2), version = Le16(b, pos + 4);
  if ((type != 1 && type != 2) || words != 9 || (version != 0x100 && version != 0x300)) {
    error = "not a Windows metafile";
    return false;
  }
  const uint64_t fileWords = Le32(b, pos + 6), largest = Le32(b, pos + 12);
  const uint32_t objects = Le16(b, pos + 10);
  // The stated file size must fit the data and hold the header and an end record; the largest
  // record must fit the file. The renderer sizes its buffers from these fields.
  if (fileWords * 2 > b.size() - start || fileWords < (kHeaderSize + 6) / 2 || largest < 3 ||
      largest > fileWords) {
    error = "metafile header sizes do not match the data";
    return false;
  }
  const size_t end = start + fileWords * 2;
  pos += kHeaderSize;
  uint64_t records = 0, biggest = 0;
  bool drawn = false;
  while (true) {
    if (end - pos < 6) {
      error = "metafile is truncated";
      return false;
    }
    const uint64_t size = uint64_t{Le32(b, pos)} * 2;
    if (size < 6 || size > end - pos) {
      error = "metafile record runs past the end of the data";
      return false;
    }
    ++records;
    biggest = std::max(biggest, size / 2);
    const uint16_t f = Le16(b, pos + 4);
    if (f == 0) break;
    if (!drawn && Draws(f)) drawn = true;
    if (!drawn && size >= 8 && f == kSetMapMode) map.SetMode(Le16(b, pos + 6));
    if (!drawn && size >= 10) map.Apply(f, GetS16(b, pos + 6), GetS16(b, pos + 8));
    pos += size;
  }
  // Every object needs a record that makes it; no record may exceed the stated largest one.
  if (biggest > largest || objects > records) {
    error = "metafile header sizes do not match the records";
    return false;
  }

  double left, top, right, bottom, w, h;
  if (map.placeable) {
    left = box[0], top = box[1], right = box[2], bottom = box[3];
    w = std::abs(right - left) * 96.0 / map.unitsPerInch;
    h = std::abs(bottom - top) * 96.0 / map.unitsPerInch;
  } else if (map.windowExtSet) {
    left = map.windowX, top = map.windowY;
    right = left + map.windowW, bottom = top + map.windowH;
    w = std::abs(map.windowW), h = std::abs(map.windowH);
  } else {
    error = "metafile sets no frame";
    return false;
  }
  const int64_t width = std::llround(w), height = std::llround(h);
  if (width <= 0 || height <= 0 || width > kBmpMaxSide || height > kBmpMaxSide ||
      width * height > maxPixels) {
    error = "metafile has an unusable size (" + std::to_string(width) + " x " +
            std::to_string(height) + ")";
    return false;
  }
  out.width = static_cast<int32_t>(width);
  out.height = static_cast<int32_t>(height);
  out.page.TL.x = static_cast<float>(map.PageX(left));
  out.page.TL.y = static_cast<float>(map.PageY(top));
  out.page.BR.x = static_cast<float>(map.PageX(right));
  out.page.BR.y = static_cast<float>(map.PageY(bottom));
  if (!(out.page.TL.x != out.page.BR.x) || !(out.page.TL.y != out.page.BR.y) ||
      !std::isfinite(out.page.TL.x) || !std::isfinite(out.page.BR.x) ||
      !std::isfinite(out.page.TL.y) || !std::isfinite(out.page.BR.y)) {
    error = "metafile frame is empty";
    return false;
  }
  return true;
}

// The renderer's image as its device keeps it while playing: the first field of its private
// state. Known layout of the library's gd device.
gdImage* PlayingImage(wmfAPI* api) {
  return *static_cast<gdImage**>(WMF_GD_GetData(api)->gd_data);
}

// Wide pens are drawn by stamping a pen-sized image at every pixel of a line, and glyphs are
// rasterised whole: both cost the square of their size, so a few bytes of file could ask for
// minutes and gigabytes. Sizes beyond these (in picture pixels) are drawn at these.
constexpr double kMaxPenPixels = 16, kMaxTextPixels = 512;
// What drawing may cost, in pixels touched: the area of what is filled, the length of an
// outline times the square of its pen. About a second of drawing; a picture that asks for more
// is refused, so a small file cannot keep the loader busy for minutes.
constexpr double kMaxWork = double(1 << 28);

// The device's own functions, the picture pixels per page unit and the work done so far, while
// the hooks below run.
struct THooks {
  const TWmf& wmf;
  wmfFunctionReference device{};
  double pixelsX = 1, pixelsY = 1, width = 0, height = 0;
  wmfD_Coord origin{};
  double work = 0;
};
THooks& Hooks(wmfAPI* api) {
  return *static_cast<THooks*>(api->user_data);
}

// The device clears its page to white; a picture leaves what it does not draw black (as drawn on
// a cleared bitmap), so the page is cleared again before the first record plays.
void BeginOnBlack(wmfAPI* api) {
  Hooks(api).device.device_begin(api);
  if (gdImage* im = PlayingImage(api)) {
    wmf_gd_t* device = WMF_GD_GetData(api);
    std::memset(Hooks(api).wmf.imagePixels(im), 0, sizeof(int) * device->width * device->height);
  }
}

// The cost of a call, from the page coordinates it draws at.
struct TCost {
  const THooks& h;
  double work = 0;
  double X(const wmfD_Coord& p) const { return (p.x - h.origin.x) * h.pixelsX; }
  double Y(const wmfD_Coord& p) const { return (p.y - h.origin.y) * h.pixelsY; }
  // A box filled: the device walks all of it, also what lies off the picture.
  void Area(const wmfD_Coord& a, const wmfD_Coord& b) {
    work += (std::abs(X(b) - X(a)) + 1) * (std::abs(Y(b) - Y(a)) + 1);
  }
  // An outline of that length with the pen of dc (nothing for the null pen).
  void Line(const wmfDC* dc, double length) {
    const wmfPen* pen = dc ? dc->pen : nullptr;
    if (pen == nullptr || (pen->lopnStyle & PS_STYLE_MASK) == PS_NULL) return;
    const double size =
        std::max({1.0, pen->width * std::abs(h.pixelsX), pen->height * std::abs(h.pixelsY)});
    work += (length + 1) * size * size;
  }
  void Box(const wmfDC* dc, const wmfD_Coord& a, const wmfD_Coord& b) {
    Area(a, b);
    Line(dc, 2 * (std::abs(X(b) - X(a)) + std::abs(Y(b) - Y(a))));
  }
  void Points(const wmfDC* dc, const wmfD_Coord* p, unsigned count, bool filled) {
    if (count == 0) return;
    wmfD_Coord lo = p[0], hi = p[0];
    double length = 0;
    for (unsigned k = 1; k < count; ++k) {
      length += std::hypot(X(p[k]) - X(p[k - 1]), Y(p[k]) - Y(p[k - 1]));
      lo.x = std::min(lo.x, p[k].x), lo.y = std::min(lo.y, p[k].y);
      hi.x = std::max(hi.x, p[k].x), hi.y = std::max(hi.y, p[k].y);
    }
    if (filled) Area(lo, hi);
    Line(dc, length);
  }

  void Of(const wmfDrawArc_t& d) { Box(d.dc, d.TL, d.BR); }
  void Of(const wmfDrawRectangle_t& d) { Box(d.dc, d.TL, d.BR); }
  void Of(const wmfROP_Draw_t& d) { Area(d.TL, d.BR); }
  void Of(const wmfDrawLine_t& d) {
    Line(d.dc, std::hypot(X(d.to) - X(d.from), Y(d.to) - Y(d.from)));
  }
  void Of(const wmfPolyLine_t& d) { Points(d.dc, d.pt, d.count, true); }
  void Of(const wmfPolyPoly_t& d) {
    for (unsigned k = 0; k < d.npoly; ++k) Points(d.dc, d.pt[k], d.count[k], true);
  }
  void Of(const wmfPolyRectangle_t& d) {
    for (unsigned k = 0; k < d.count; ++k) Area(d.TL[k], d.BR[k]);
  }
  void Of(const wmfDrawPixel_t&) { work += 1; }
  // A bitmap is at most read once and written over the picture.
  void Of(const wmfBMP_Draw_t& d) {
    work += double(d.bmp.width) * d.bmp.height + h.width * h.height;
  }
  void Of(const wmfDrawText_t& d) {
    const double height = std::max(1.0, d.font_height * std::abs(h.pixelsY));
    const double width = std::max(1.0, height * d.font_ratio);
    work += (d.str ? std::strlen(d.str) + 1.0 : 1.0) * height * width;
  }
};

void LimitSizes(const THooks& h, wmfDC* dc) {
  if (wmfPen* pen = dc ? dc->pen : nullptr) {
    pen->width = std::min(std::abs(pen->width), kMaxPenPixels / std::abs(h.pixelsX));
    pen->height = std::min(std::abs(pen->height), kMaxPenPixels / std::abs(h.pixelsY));
  }
}
// Glyphs at most kMaxTextPixels high and wide (width is height times the font's ratio).
void LimitSizes(const THooks& h, wmfDrawText_t* text) {
  text->font_height = std::min(std::abs(text->font_height), kMaxTextPixels / std::abs(h.pixelsY));
  const double height = std::max(1.0, text->font_height * std::abs(h.pixelsY));
  text->font_ratio = std::min(std::abs(text->font_ratio), kMaxTextPixels / height);
}

template <typename T>
using TDraw = void (*)(wmfAPI*, T*);

// Limits the sizes a call draws with and charges its work; false once the work is past the
// budget, and the play then stops with an error.
template <typename T>
bool Admit(wmfAPI* api, T* draw) {
  THooks& hooks = Hooks(api);
  if constexpr (std::is_same_v<T, wmfDrawText_t>)
    LimitSizes(hooks, draw);
  else
    LimitSizes(hooks, draw->dc);
  TCost cost{hooks};
  cost.Of(*draw);
  hooks.work += cost.work;
  if (hooks.work <= kMaxWork) return true;
  api->err = wmf_E_UserExit;
  return false;
}

template <typename T>
using TDraw = void (*)(wmfAPI*, T*);

template <typename T, TDraw<T> wmfFunctionReference::*Slot>
void Limited(wmfAPI* api, T* draw) {
  if (Admit(api, draw)) (Hooks(api).device.*Slot)(api, draw);
}

// The device fills an ellipse as a chord from 0 to 360 degrees, which is empty: the inside is
// drawn as two half pies without outline, then the outline as the ellipse without filling.
void Ellipse(wmfAPI* api, wmfDrawArc_t* draw) {
  if (!Admit(api, draw)) return;
  const wmfFunctionReference& device = Hooks(api).device;
  wmfDC* dc = draw->dc;
  if (dc == nullptr || dc->pen == nullptr || dc->brush == nullptr) return;
  const U16 pen = dc->pen->lopnStyle, brush = dc->brush->lbStyle;
  if (brush != BS_NULL) {
    dc->pen->lopnStyle = static_cast<U16>((pen & ~PS_STYLE_MASK) | PS_NULL);
    wmfDrawArc_t half = *draw;
    half.start = {1, 0}, half.end = {-1, 0};
    device.draw_pie(api, &half);
    half.start = {-1, 0}, half.end = {1, 0};
    device.draw_pie(api, &half);
    dc->pen->lopnStyle = pen;
  }
  if ((pen & PS_STYLE_MASK) != PS_NULL) {
    dc->brush->lbStyle = BS_NULL;
    device.draw_ellipse(api, draw);
    dc->brush->lbStyle = brush;
  }
}

// The device fills recursively, a call per run of pixels, which a large picture can take past
// the end of the stack; metafiles seldom fill, so fills are left out.
void NoFlood(wmfAPI*, wmfFlood_t*) {}

void Hook(wmfAPI* api, THooks& hooks) {
  auto* f = static_cast<wmfFunctionReference*>(api->function_reference);
  hooks.device = *f;
  api->user_data = &hooks;
  using R = wmfFunctionReference;
  f->device_begin = BeginOnBlack;
  f->flood_interior = f->flood_exterior = NoFlood;
  f->draw_pixel = Limited<wmfDrawPixel_t, &R::draw_pixel>;
  f->draw_pie = Limited<wmfDrawArc_t, &R::draw_pie>;
  f->draw_chord = Limited<wmfDrawArc_t, &R::draw_chord>;
  f->draw_arc = Limited<wmfDrawArc_t, &R::draw_arc>;
  f->draw_ellipse = Ellipse;
  f->draw_line = Limited<wmfDrawLine_t, &R::draw_line>;
  f->poly_line = Limited<wmfPolyLine_t, &R::poly_line>;
  f->draw_polygon = Limited<wmfPolyLine_t, &R::draw_polygon>;
  f->draw_polypolygon = Limited<wmfPolyPoly_t, &R::draw_polypolygon>;
  f->draw_rectangle = Limited<wmfDrawRectangle_t, &R::draw_rectangle>;
  f->rop_draw = Limited<wmfROP_Draw_t, &R::rop_draw>;
  f->bmp_draw = Limited<wmfBMP_Draw_t, &R::bmp_draw>;
  f->draw_text = Limited<wmfDrawText_t, &R::draw_text>;
  f->region_frame = Limited<wmfPolyRectangle_t, &R::region_frame>;
  f->region_paint = Limited<wmfPolyRectangle_t, &R::region_paint>;
}

// The library hands over its image without a way to free it; this mirrors the image's own
// destructor for a true-colour image, whose pixels are one contiguous block.
void FreeImage(void* p) {
  auto* im = static_cast<gdImage*>(p);
  if (im == nullptr) return;
  std::free(im->_tpixels);
  std::free(im->tpixels);
  std::free(im->polyInts);
  std::free(im->style);
  if (im->clip) {
    std::free(im->clip->list);
    std::free(im->clip);
  }
  std::free(im);
}

}  // namespace

std::unique_ptr<TGraphic> LoadMetafileGraphic(const std::string& bytes, std::string& error,
                                              int64_t maxPixels) {
  if (IsEnhancedMetafile(bytes)) return LoadEnhancedMetafileGraphic(bytes, error, maxPixels);
  TLayout layout;
  if (!Inspect(bytes, std::min(maxPixels, kMaxMetafilePixels), layout, error)) return nullptr;
  TWmf wmf;
  if (!wmf.Load(error)) return nullptr;

  wmfAPI* api = nullptr;
  wmfAPI_Options options{};
  options.function = wmf.gdFunction;
  const unsigned long flags =
      WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
  if (wmf.apiCreate(&api, flags, &options) != wmf_E_None) {
    if (api) wmf.apiDestroy(api);
    error = "metafile renderer cannot start";
    return nullptr;
  }
  THooks hooks{wmf};
  Hook(api, hooks);
  // The library reads the buffer only; it asks for a non-const pointer.
  std::string copy = bytes;
  wmfD_Rect bbox{};
  std::unique_ptr<TGraphic> result;
  const auto w = static_cast<unsigned>(layout.width), h = static_cast<unsigned>(layout.height);
  if (wmf.memOpen(api, reinterpret_cast<unsigned char*>(copy.data()),
                  static_cast<long>(copy.size())) != wmf_E_None ||
      wmf.scan(api, 0, &bbox) != wmf_E_None) {
    error = "metafile cannot be read";
  } else {
    wmf_gd_t* device = WMF_GD_GetData(api);
    device->type = wmf_gd_image;
    device->width = w;
    device->height = h;
    device->bbox = layout.page;
    hooks.pixelsX = w / (double(layout.page.BR.x) - layout.page.TL.x);
    hooks.pixelsY = h / (double(layout.page.BR.y) - layout.page.TL.y);
    hooks.origin = layout.page.TL;
    hooks.width = w;
    hooks.height = h;
    if (wmf.play(api, 0, &bbox) != wmf_E_None || device->gd_image == nullptr) {
      error =
          hooks.work > kMaxWork ? "metafile asks for too much drawing" : "metafile cannot be drawn";
    } else {
      const int* src = wmf.imagePixels(device->gd_image);
      std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
      for (size_t k = 0; k < pixels.size(); ++k)
        pixels[k] = static_cast<uint32_t>(src[k]) & 0xFFFFFF;
      result = std::make_unique<TRasterGraphic>(layout.width, layout.height, std::move(pixels));
    }
  }
  FreeImage(WMF_GD_GetData(api)->gd_image);
  wmf.apiDestroy(api);
  return result;
}
