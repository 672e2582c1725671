// Windows metafile pictures, rendered to pixels through libwmf. Enhanced metafiles are refused.
//
// A file may open with the 22-byte placeable header (key 0x9AC6CDD7, handle 2, bounding box
// left/top/right/bottom 4 x 2, units per inch 2, reserved 4, checksum 2), then the 18-byte
// metafile header (type 2, header size in words 2 (9), version 2, file size in words 4, object
// count 2, largest record 4, unused 2), then records: size in words 4 (at least 3), function 2,
// parameters; function 0 ends the file.
#include <libwmf/api.h>
#include <libwmf/gd.h>
#include <libwmf/gd/gd.h>

#include <cstdlib>

#include "platform/Picture.h"

namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr size_t kPlaceableSize = 22, kHeaderSize = 18;

uint16_t Get16(const std::string& s, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(s[at]) |
                               (static_cast<uint8_t>(s[at + 1]) << 8));
}
uint32_t Get32(const std::string& s, size_t at) {
  return Get16(s, at) | (uint32_t{Get16(s, at + 2)} << 16);
}

// Checks the headers and that every record lies inside the data up to the end record, before
// the library sees any of it.
bool CheckStructure(const std::string& b, std::string& error) {
  if (b.size() >= 44 && Get32(b, 0) == 1 && b.compare(40, 4, " EMF") == 0) {
    error = "enhanced metafiles are not supported";
    return false;
  }
  size_t pos = 0;
  if (b.size() >= 4 && Get32(b, 0) == kPlaceableKey) {
    if (b.size() < kPlaceableSize) {
      error = "metafile header is truncated";
      return false;
    }
    if (Get16(b, 14) == 0) {
      error = "metafile has no units per inch";
      return false;
    }
    pos = kPlaceableSize;
  }
  if (b.size() - pos < kHeaderSize) {
    error = b.size() < 4 ? "metafile header is truncated" : "not a Windows metafile";
    return false;
  }
  const uint16_t type = Get16(b, pos), words = Get16(b, pos + 2), version = Get16(b, pos + 4);
  if ((type != 1 && type != 2) || words != 9 || (version != 0x100 && version != 0x300)) {
    error = "not a Windows metafile";
    return false;
  }
  pos += kHeaderSize;
  while (true) {
    if (b.size() - pos < 6) {
      error = "metafile is truncated";
      return false;
    }
    const uint64_t size = uint64_t{Get32(b, pos)} * 2;
    if (size < 6 || size > b.size() - pos) {
      error = "metafile record runs past the end of the data";
      return false;
    }
    if (Get16(b, pos + 4) == 0) return true;
    pos += size;
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

std::unique_ptr<TGraphic> LoadMetafileGraphic(const std::string& bytes, std::string& error) {
  if (!CheckStructure(bytes, error)) return nullptr;

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
  // The library reads the buffer only; it asks for a non-const pointer.
  std::string copy = bytes;
  wmfD_Rect bbox{};
  unsigned int w = 0, h = 0;
  std::unique_ptr<TGraphic> result;
  if (wmf_mem_open(api, reinterpret_cast<unsigned char*>(copy.data()),
                   static_cast<long>(copy.size())) != wmf_E_None ||
      wmf_scan(api, 0, &bbox) != wmf_E_None ||
      wmf_display_size(api, &w, &h, 96.0, 96.0) != wmf_E_None) {
    error = "metafile cannot be read";
  } else if (w == 0 || h == 0 || w > static_cast<unsigned>(kBmpMaxSide) ||
             h > static_cast<unsigned>(kBmpMaxSide) || int64_t{w} * h > kBmpMaxPixels) {
    error = "metafile has an unusable size (" + std::to_string(w) + " x " + std::to_string(h) + ")";
  } else {
    wmf_gd_t* device = WMF_GD_GetData(api);
    device->type = wmf_gd_image;
    device->width = w;
    device->height = h;
    device->bbox = bbox;
    if (wmf_play(api, 0, &bbox) != wmf_E_None || device->gd_image == nullptr) {
      error = "metafile cannot be drawn";
    } else {
      const int* src = wmf_gd_image_pixels(device->gd_image);
      std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
      for (size_t k = 0; k < pixels.size(); ++k)
        pixels[k] = static_cast<uint32_t>(src[k]) & 0xFFFFFF;
      result = std::make_unique<TRasterGraphic>(static_cast<int32_t>(w), static_cast<int32_t>(h),
                                                std::move(pixels));
    }
  }
  FreeImage(WMF_GD_GetData(api)->gd_image);
  wmf_api_destroy(api);
  return result;
}
