// Enhanced metafile pictures: checked here record by record, turned into SVG by libemf2svg and
// drawn by librsvg, both opened when the first picture is drawn.
//
// Records, integers little-endian: type 4, size in bytes 4 (a multiple of 4, at least 8), then the
// parameters. The first record is the header (type 1, at least 88 bytes): bounds 4 x 4 (device
// pixels), frame 4 x 4 (0.01 mm, left/top/right/bottom), signature " EMF" at 40, version, file
// size in bytes at 48, record count at 52, object handle count 2 at 56, reserved 2, description
// length (UTF-16 units) at 60 and offset at 64, palette entries at 68, reference device in pixels
// 2 x 4 at 72 and in millimetres 2 x 4 at 80. The last record is the end record (type 14).
#include <cairo.h>
#include <emf2svg.h>
#include <librsvg/rsvg.h>

#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <iterator>

#include "base/LittleEndian.h"
#include "image/Picture.h"
#include "platform/SharedLibrary.h"

namespace {

// The converter's and the drawing libraries' functions.
struct TDecoders {
  decltype(&emf2svg) convert = nullptr;
  decltype(&rsvg_handle_new_from_data) newHandle = nullptr;
  decltype(&rsvg_handle_render_document) render = nullptr;
  decltype(&cairo_image_surface_create_for_data) newSurface = nullptr;
  decltype(&cairo_surface_destroy) destroySurface = nullptr;
  decltype(&cairo_create) newContext = nullptr;
  decltype(&cairo_destroy) destroyContext = nullptr;
  decltype(&g_object_unref) unref = nullptr;
  decltype(&g_error_free) freeError = nullptr;

  bool Load(std::string& error) {
    const char* what = "Enhanced metafile pictures";
    TSharedLibrary emf("libemf2svg.so.1", "libemf2svg1", what);
    TSharedLibrary rsvg("librsvg-2.so.2", "librsvg2-2", what);
    TSharedLibrary cairo("libcairo.so.2", "libcairo2", what);
    TSharedLibrary gobject("libgobject-2.0.so.0", "libglib2.0-0", what);
    TSharedLibrary glib("libglib-2.0.so.0", "libglib2.0-0", what);
    if (emf.Find("emf2svg", convert) && rsvg.Find("rsvg_handle_new_from_data", newHandle) &&
        rsvg.Find("rsvg_handle_render_document", render) &&
        cairo.Find("cairo_image_surface_create_for_data", newSurface) &&
        cairo.Find("cairo_surface_destroy", destroySurface) &&
        cairo.Find("cairo_create", newContext) && cairo.Find("cairo_destroy", destroyContext) &&
        gobject.Find("g_object_unref", unref) && glib.Find("g_error_free", freeError))
      return true;
    // The first that failed: the search stops there.
    for (const TSharedLibrary* lib : {&emf, &rsvg, &cairo, &gobject, &glib}) {
      if (!lib->Error().empty()) {
        error = lib->Error();
        break;
      }
    }
    return false;
  }
};

// The SVG text grows to many times the metafile; this keeps it to some tens of megabytes.
constexpr size_t kMaxFileBytes = size_t{4} << 20;
constexpr uint32_t kHeader = 1, kEof = 14, kSignature = 0x464D4520;
constexpr size_t kHeaderSize = 88;
// What drawing may cost, in pixels touched, counted as the whole picture for every record that
// draws and one for every point: about a second of drawing, so a small file cannot keep the
// loader busy for minutes.
constexpr double kMaxWork = double(1 << 30);

int32_t GetS32(const std::string& s, size_t at) {
  return static_cast<int32_t>(Le32(s, at));
}
void Put32(std::string& s, size_t at, int32_t v) {
  for (int k = 0; k < 4; ++k)
    s[at + k] = static_cast<char>((static_cast<uint32_t>(v) >> (8 * k)) & 0xFF);
}

// Records that put something on the picture.
bool Draws(uint32_t type) {
  return (type >= 2 && type <= 8) || type == 15 || (type >= 41 && type <= 47) ||
         (type >= 53 && type <= 56) || (type >= 62 && type <= 64) || (type >= 71 && type <= 74) ||
         (type >= 85 && type <= 92);
}

// The points a record of that type holds (0 for the others); its size was checked.
uint64_t PointsOf(const std::string& b, size_t at, uint32_t type) {
  if ((type >= 2 && type <= 6) || type == 56 || (type >= 85 && type <= 89) || type == 92)
    return Le32(b, at + 24);
  if (type == 7 || type == 8 || type == 90 || type == 91) return Le32(b, at + 28);
  return 0;
}

// A record's parameters, bounds-checked against its own size.
struct TRecord {
  const std::string& b;
  size_t at;
  uint64_t size;
  uint32_t U(size_t off) const { return off + 4 <= size ? Le32(b, at + off) : 0; }
  // The record holds fixed bytes plus count items of item bytes (counts from the file).
  bool Holds(uint64_t fixed, uint64_t count = 0, uint64_t item = 0) const {
    return count <= size && fixed + count * item <= size;
  }
};

// An object slot number of a record that makes or uses an object: 1 ... handles - 1, or a stock
// object (high bit) where uses allow it.
bool SlotOk(uint32_t slot, uint32_t handles, bool stockAllowed) {
  if (slot & 0x80000000u) return stockAllowed;
  return slot >= 1 && slot < handles;
}

// Region data: a 32-byte header whose rectangle count fits the bytes given.
bool RegionOk(const TRecord& r, uint64_t off, uint64_t bytes) {
  if (bytes == 0) return true;
  if (bytes < 32 || !r.Holds(off + bytes)) return false;
  const uint64_t count = r.U(off + 8);
  return 32 + count * 16 <= bytes;
}

// The records the picture may hold, each with the bytes its fixed fields need (0: not taken).
// Bitmaps, gradients and colour spaces are left out: the converter reads their inner offsets
// unchecked. So is text: it is drawn through the system's font configuration, whose caches
// stay for the life of the thread that drew.
struct TRecordSizes {
  uint8_t bytes[123] = {};
  constexpr TRecordSizes() {
    auto set = [this](uint8_t size, std::initializer_list<int> types) {
      for (int t : types) bytes[t] = size;
    };
    set(8, {28, 33, 52, 59, 60, 61, 65, 66, 68});
    set(12, {16, 17, 18, 19, 20, 21, 22, 24, 25, 34, 37, 40, 48, 57, 58, 67, 70, 98, 115});
    set(16, {9, 10, 11, 12, 13, 26, 27, 51, 54, 75});
    set(20, {15, 50});
    set(24, {29, 30, 31, 32, 39, 42, 43, 53, 62, 63, 64});
    set(28, {2, 3, 4, 5, 6, 38, 41, 56, 73, 74, 85, 86, 87, 88, 89, 92});
    set(32, {7, 8, 35, 44, 71, 90, 91});
    set(36, {36});
    set(40, {45, 46, 47, 55, 72});
    set(52, {95});
    bytes[49] = 16;
  }
};
constexpr TRecordSizes kRecordSizes;

// The fixed fields, then what counts inside the record give (points, rectangles, entries),
// and the object slots it names.
bool RecordOk(const TRecord& r, uint32_t type, uint32_t handles) {
  if (type >= std::size(kRecordSizes.bytes) || kRecordSizes.bytes[type] == 0 ||
      !r.Holds(kRecordSizes.bytes[type]))
    return false;
  switch (type) {
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:  // polybezier, polygon, polyline and the ...to
      return r.Holds(28, r.U(24), 8);
    case 85:
    case 86:
    case 87:
    case 88:
    case 89:  // the same with 16-bit points
      return r.Holds(28, r.U(24), 4);
    case 56: return r.Holds(28, r.U(24), 9);  // polydraw: points and their kinds
    case 92: return r.Holds(28, r.U(24), 5);
    case 7:
    case 8:
    case 90:
    case 91: {  // poly-polyline, poly-polygon (32- and 16-bit points)
      const uint64_t polys = r.U(24), points = r.U(28), item = type < 90 ? 8 : 4;
      if (!r.Holds(32, polys, 4) || !r.Holds(32 + polys * 4, points, item)) return false;
      uint64_t sum = 0;
      for (uint64_t k = 0; k < polys; ++k) sum += r.U(32 + k * 4);
      return sum <= points;
    }
    case 37:
    case 40:
    case 48: return SlotOk(r.U(8), handles, true);  // select, delete
    case 38:
    case 39:
    case 51: return SlotOk(r.U(8), handles, false);  // make
    case 49:                                         // palette: version 2, count 2, entries
      return r.Holds(16, r.U(12) >> 16, 4) && SlotOk(r.U(8), handles, false);
    case 50: return r.Holds(20, r.U(16), 4) && SlotOk(r.U(8), handles, false);
    case 95:  // extended pen, without a pattern bitmap
      return r.Holds(52, r.U(48), 4) && r.U(16) == 0 && r.U(24) == 0 &&
             SlotOk(r.U(8), handles, false);
    case 70: return r.Holds(12, r.U(8), 1);  // comment
    case 71: return RegionOk(r, 32, r.U(24)) && SlotOk(r.U(28), handles, true);
    case 72: return RegionOk(r, 40, r.U(24)) && SlotOk(r.U(28), handles, true);
    case 73:
    case 74: return RegionOk(r, 28, r.U(24));
    case 75: return RegionOk(r, 16, r.U(8));
    default: return true;
  }
}

struct TLayout {
  int32_t width = 0, height = 0;
  int32_t bounds[4] = {};  // the frame in reference-device pixels
  size_t bytes = 0;        // the file's own size
};

// Checks the header, its size fields and every record against the data; finds the frame.
bool Inspect(const std::string& b, int64_t maxPixels, TLayout& out, std::string& error) {
  const uint64_t headerSize = Le32(b, 4), fileBytes = Le32(b, 48);
  const uint64_t records = Le32(b, 52);
  const uint32_t handles = Le32(b, 56) & 0xFFFF;
  if (fileBytes > b.size() || headerSize < kHeaderSize || headerSize % 4 != 0 ||
      fileBytes % 4 != 0 || headerSize + 20 > fileBytes || records < 2 || handles < 1) {
    error = "enhanced metafile header sizes do not match the data";
    return false;
  }
  if (fileBytes > kMaxFileBytes) {
    error = "enhanced metafile is too large";
    return false;
  }
  const uint64_t descChars = Le32(b, 60), descAt = Le32(b, 64);
  if (descChars > 0 && (descAt < kHeaderSize || descAt + descChars * 2 > headerSize)) {
    error = "enhanced metafile description lies outside its header";
    return false;
  }
  if (headerSize >= 100) {  // pixel format descriptor
    const uint64_t cb = Le32(b, 88), at = Le32(b, 92);
    if (cb > 0 && (at < kHeaderSize || at + cb > headerSize)) {
      error = "enhanced metafile pixel format lies outside its header";
      return false;
    }
  }
  uint64_t count = 0, drawing = 0, points = 0;
  size_t pos = 0;
  while (true) {
    if (fileBytes - pos < 8) {
      error = "enhanced metafile is truncated";
      return false;
    }
    const uint32_t type = Le32(b, pos);
    const uint64_t size = Le32(b, pos + 4);
    if (size < 8 || size % 4 != 0 || size > fileBytes - pos) {
      error = "enhanced metafile record runs past the end of the data";
      return false;
    }
    ++count;
    const TRecord r{b, pos, size};
    if (pos == 0) {
      // The header was checked above.
    } else if (type == kEof) {
      if (!r.Holds(20) || (r.U(8) > 0 && !r.Holds(r.U(12), r.U(8), 4))) {
        error = "enhanced metafile end record is malformed";
        return false;
      }
      pos += size;
      break;
    } else if (!RecordOk(r, type, handles)) {
      error = "enhanced metafile record " + std::to_string(count) + " (type " +
              std::to_string(type) + ") is malformed or not supported";
      return false;
    } else if (Draws(type)) {
      ++drawing;
      points += PointsOf(b, pos, type);
    }
    pos += size;
  }
  // The counts must describe the records that are there; objects need records that make them.
  if (count != records || pos != fileBytes || handles > count) {
    error = "enhanced metafile header sizes do not match the records";
    return false;
  }

  const int64_t frame[4] = {GetS32(b, 24), GetS32(b, 28), GetS32(b, 32), GetS32(b, 36)};
  const int64_t devicePx[2] = {GetS32(b, 72), GetS32(b, 76)};
  const int64_t deviceMm[2] = {GetS32(b, 80), GetS32(b, 84)};
  if (frame[2] <= frame[0] || frame[3] <= frame[1] || devicePx[0] <= 0 || devicePx[1] <= 0 ||
      deviceMm[0] <= 0 || deviceMm[1] <= 0) {
    error = "enhanced metafile frame is empty";
    return false;
  }
  // The frame is in 0.01 mm: 2540 to the inch.
  const int64_t width = ((frame[2] - frame[0]) * 96 + 1270) / 2540;
  const int64_t height = ((frame[3] - frame[1]) * 96 + 1270) / 2540;
  if (width <= 0 || height <= 0 || width > kBmpMaxSide || height > kBmpMaxSide ||
      width * height > maxPixels) {
    error = "enhanced metafile has an unusable size (" + std::to_string(width) + " x " +
            std::to_string(height) + ")";
    return false;
  }
  // The frame in the reference device's pixels, where the records draw.
  for (int k = 0; k < 4; ++k) {
    const double v = std::round(double(frame[k]) * devicePx[k % 2] / (deviceMm[k % 2] * 100.0));
    if (!(std::abs(v) < 1e9)) {
      error = "enhanced metafile frame is out of range";
      return false;
    }
    out.bounds[k] = static_cast<int32_t>(v);
  }
  if (out.bounds[2] <= out.bounds[0] || out.bounds[3] <= out.bounds[1]) {
    error = "enhanced metafile frame is empty";
    return false;
  }
  if (double(drawing) * width * height + double(points) > kMaxWork) {
    error = "enhanced metafile asks for too much drawing";
    return false;
  }
  out.width = static_cast<int32_t>(width);
  out.height = static_cast<int32_t>(height);
  out.bytes = fileBytes;
  return true;
}

struct TFree {
  void operator()(char* p) const { std::free(p); }
};
struct TUnref {
  decltype(&g_object_unref) unref;
  void operator()(RsvgHandle* h) const { unref(h); }
};

}  // namespace

bool IsEnhancedMetafile(const std::string& bytes) {
  return bytes.size() >= kHeaderSize && Le32(bytes, 0) == kHeader && Le32(bytes, 40) == kSignature;
}

std::unique_ptr<TGraphic> LoadEnhancedMetafileGraphic(const std::string& bytes, std::string& error,
                                                      int64_t maxPixels) {
  if (!IsEnhancedMetafile(bytes)) {
    error = "not an enhanced metafile";
    return nullptr;
  }
  TLayout layout;
  if (!Inspect(bytes, std::min(maxPixels, kMaxMetafilePixels), layout, error)) return nullptr;
  TDecoders lib;
  if (!lib.Load(error)) return nullptr;

  // The converter lays the bounds of the header over the whole picture; given the frame as the
  // bounds, what is drawn keeps its place in the frame.
  std::string copy = bytes.substr(0, layout.bytes);
  for (int k = 0; k < 4; ++k) Put32(copy, 8 + 4 * k, layout.bounds[k]);
  generatorOptions options{};
  options.svgDelimiter = true;
  options.imgWidth = layout.width;
  options.imgHeight = layout.height;
  char* text = nullptr;
  size_t length = 0;
  const int converted = lib.convert(copy.data(), copy.size(), &text, &length, &options);
  std::unique_ptr<char, TFree> svg(text);
  if (!converted || !svg) {
    error = "enhanced metafile cannot be read";
    return nullptr;
  }

  GError* gerror = nullptr;
  std::unique_ptr<RsvgHandle, TUnref> handle(
      lib.newHandle(reinterpret_cast<const guint8*>(svg.get()), length, &gerror), {lib.unref});
  if (!handle) {
    if (gerror) lib.freeError(gerror);
    error = "enhanced metafile cannot be drawn";
    return nullptr;
  }
  const int32_t w = layout.width, h = layout.height;
  // Drawn straight into the picture's pixels: premultiplied colour over nothing is the colour
  // over black.
  std::vector<uint32_t> pixels(static_cast<size_t>(w) * h, 0);
  cairo_surface_t* surface = lib.newSurface(reinterpret_cast<unsigned char*>(pixels.data()),
                                            CAIRO_FORMAT_ARGB32, w, h, w * 4);
  cairo_t* cr = lib.newContext(surface);
  const RsvgRectangle viewport{0, 0, double(w), double(h)};
  const bool drawn = lib.render(handle.get(), cr, &viewport, &gerror);
  lib.destroyContext(cr);
  lib.destroySurface(surface);
  if (gerror) lib.freeError(gerror);
  if (!drawn) {
    error = "enhanced metafile cannot be drawn";
    return nullptr;
  }
  for (uint32_t& p : pixels) p &= 0xFFFFFF;
  return std::make_unique<TRasterGraphic>(w, h, std::move(pixels));
}
