// Windows metafile pictures, rendered to pixels through libwmf (enhanced metafiles are handed to
// EnhancedMetafile.cpp).
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
#include <libwmf/gd.h>
#include <libwmf/gd/gd.h>
#include <libwmf/ipa.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "platform/Picture.h"

namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr size_t kPlaceableSize = 22, kHeaderSize = 18;

uint16_t Get16(const std::string& s, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(s[at]) |
                               (static_cast<uint8_t>(s[at + 1]) << 8));
}
int16_t GetS16(const std::string& s, size_t at) {
  return static_cast<int16_t>(Get16(s, at));
}
uint32_t Get32(const std::string& s, size_t at) {
  return Get16(s, at) | (uint32_t{Get16(s, at + 2)} << 16);
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
  if (b.size() >= 4 && Get32(b, 0) == kPlaceableKey) {
    if (b.size() < kPlaceableSize) {
      error = "metafile header is truncated";
      return false;
    }
    for (int k = 0; k < 4; ++k) box[k] = GetS16(b, 6 + 2 * k);
    map.placeable = true;
    map.unitsPerInch = Get16(b, 14);
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
  const uint16_t type = Get16(b, pos), words = Get16(b, pos + 2), version = Get16(b, pos + 4);
  if ((type != 1 && type != 2) || words != 9 || (version != 0x100 && version != 0x300)) {
    error = "not a Windows metafile";
    return false;
  }
  const uint64_t fileWords = Get32(b, pos + 6), largest = Get32(b, pos + 12);
  const uint32_t objects = Get16(b, pos + 10);
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
    const uint64_t size = uint64_t{Get32(b, pos)} * 2;
    if (size < 6 || size > end - pos) {
      error = "metafile record runs past the end of the data";
      return false;
    }
    ++records;
    biggest = std::max(biggest, size / 2);
    const uint16_t f = Get16(b, pos + 4);
    if (f == 0) break;
    if (!drawn && Draws(f)) drawn = true;
    if (!drawn && size >= 8 && f == kSetMapMode) map.SetMode(Get16(b, pos + 6));
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

// The device clears its page to white; a picture leaves what it does not draw black (as drawn on
// a cleared bitmap), so the page is cleared again before the first record plays. The device's
// own start waits in the API's user data.
using TDeviceBegin = void (*)(wmfAPI*);
void BeginOnBlack(wmfAPI* api) {
  (*static_cast<TDeviceBegin*>(api->user_data))(api);
  if (gdImage* im = PlayingImage(api)) {
    wmf_gd_t* device = WMF_GD_GetData(api);
    std::memset(wmf_gd_image_pixels(im), 0, sizeof(int) * device->width * device->height);
  }
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

  wmfAPI* api = nullptr;
  wmfAPI_Options options{};
  options.function = wmf_gd_function;
  const unsigned long flags =
      WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
  if (wmf_api_create(&api, flags, &options) != wmf_E_None) {
    if (api) wmf_api_destroy(api);
    error = "metafile renderer cannot start";
    return nullptr;
  }
  auto* functions = static_cast<wmfFunctionReference*>(api->function_reference);
  TDeviceBegin deviceBegin = functions->device_begin;
  api->user_data = &deviceBegin;
  functions->device_begin = BeginOnBlack;
  // The library reads the buffer only; it asks for a non-const pointer.
  std::string copy = bytes;
  wmfD_Rect bbox{};
  std::unique_ptr<TGraphic> result;
  const auto w = static_cast<unsigned>(layout.width), h = static_cast<unsigned>(layout.height);
  if (wmf_mem_open(api, reinterpret_cast<unsigned char*>(copy.data()),
                   static_cast<long>(copy.size())) != wmf_E_None ||
      wmf_scan(api, 0, &bbox) != wmf_E_None) {
    error = "metafile cannot be read";
  } else {
    wmf_gd_t* device = WMF_GD_GetData(api);
    device->type = wmf_gd_image;
    device->width = w;
    device->height = h;
    device->bbox = layout.page;
    if (wmf_play(api, 0, &bbox) != wmf_E_None || device->gd_image == nullptr) {
      error = "metafile cannot be drawn";
    } else {
      const int* src = wmf_gd_image_pixels(device->gd_image);
      std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
      for (size_t k = 0; k < pixels.size(); ++k)
        pixels[k] = static_cast<uint32_t>(src[k]) & 0xFFFFFF;
      result = std::make_unique<TRasterGraphic>(layout.width, layout.height, std::move(pixels));
    }
  }
  FreeImage(WMF_GD_GetData(api)->gd_image);
  wmf_api_destroy(api);
  return result;
}
