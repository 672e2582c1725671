// Sprite sheets: grid, frame slots, aligned and clipped drawing, pixel backup and stored form.
#include "display/SpriteSurface.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "base/Bytes.h"
#include "assets/FileUtils.h"
#include "assets/MemoryStream.h"
#include "base/TextCase.h"
#include "display/PixelRoutines.h"
#include "image/Picture.h"

namespace {

constexpr int32_t kSlotRecordSize = 50;
constexpr int32_t kSlotsOffset = 100;

// The grid Allocate builds: rows from the cell's proportions, as many columns as the count needs.
void ComputeGrid(int64_t w, int64_t h, int64_t n, int64_t& rows, int64_t& columns) {
  rows = static_cast<int64_t>(std::sqrt(double(n * h) / double(w)));
  if (rows < 1) rows = 1;
  columns = (n + rows - 1) / rows;
}

bool InInt32(int64_t v) {
  return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}

}  // namespace

int32_t ColorMatch(Surface& surface, int32_t color) {
  uint32_t* pixels = nullptr;
  int32_t pitch = 0;
  if (Failed(surface.Lock(pixels, pitch))) return -1;
  int32_t result = -1;
  if (color != -1)
    result = static_cast<int32_t>(GdiToPixel(color));
  else if (surface.Width() > 0 && surface.Height() > 0)
    result = static_cast<int32_t>(pixels[0]);
  surface.Unlock();
  return result;
}

HRESULT SetSourceColorKey(Surface& surface, int32_t color) {
  if (surface.IsLost()) return DDERR_SURFACELOST;
  const auto key = static_cast<uint32_t>(ColorMatch(surface, color));
  surface.SetColorKey(key, key);
  return DD_OK;
}

TDXBaseSurface::TDXBaseSurface() = default;
TDXBaseSurface::~TDXBaseSurface() = default;

int32_t TDXBaseSurface::HeaderSize() const {
  return SpriteHeaderSize() + HeaderExtraSize();
}

void TDXBaseSurface::WriteHeader(uint8_t* b) const {
  PutInt32LE(b + 0, FrameWidth);
  PutInt32LE(b + 4, FrameHeight);
  PutInt32LE(b + 8, FrameCount);
  PutInt32LE(b + 12, HeaderSize());
  PutInt32LE(b + 16, ClipEnabled ? 1 : 0);
  PutInt32LE(b + 20, ClipRect.Left);
  PutInt32LE(b + 24, ClipRect.Top);
  PutInt32LE(b + 28, ClipRect.Right);
  PutInt32LE(b + 32, ClipRect.Bottom);
  PutInt32LE(b + 36, ColorKey);
  PutInt32LE(b + 40, UseColorKey ? 1 : 0);
  const int32_t slots = std::min<int32_t>(Capacity, static_cast<int32_t>(Frames.size()));
  for (int32_t i = 0; i < slots; ++i) {
    uint8_t* p = b + kSlotsOffset + kSlotRecordSize * i;
    const TFrameInfo& f = Frames[i];
    const size_t len = std::min<size_t>(f.Name.size(), kFrameNameLength);
    PutInt32LE(p, f.Free ? 1 : 0);
    PutInt32LE(p + 4, f.Width);
    PutInt32LE(p + 8, f.Height);
    p[12] = static_cast<uint8_t>(len);
    std::memcpy(p + 13, f.Name.data(), len);
  }
}

bool TDXBaseSurface::ReadHeader(const uint8_t* b) {
  if (static_cast<int32_t>(Frames.size()) != Capacity) return false;
  for (int32_t i = 0; i < Capacity; ++i) {
    const uint8_t* p = b + kSlotsOffset + kSlotRecordSize * i;
    const int32_t w = GetInt32LE(p + 4), h = GetInt32LE(p + 8);
    if (w < 0 || w > FrameWidth || h < 0 || h > FrameHeight || p[12] > kFrameNameLength)
      return false;
  }
  ClipEnabled = GetInt32LE(b + 16) != 0;
  ClipRect = {GetInt32LE(b + 20), GetInt32LE(b + 24), GetInt32LE(b + 28), GetInt32LE(b + 32)};
  ColorKey = GetInt32LE(b + 36);
  SetUseColorKey(GetInt32LE(b + 40) != 0);
  for (int32_t i = 0; i < Capacity; ++i) {
    const uint8_t* p = b + kSlotsOffset + kSlotRecordSize * i;
    TFrameInfo& f = Frames[i];
    f.Free = GetInt32LE(p) != 0;
    f.Width = GetInt32LE(p + 4);
    f.Height = GetInt32LE(p + 8);
    f.Name.assign(reinterpret_cast<const char*>(p + 13), p[12]);
  }
  return true;
}

bool TDXBaseSurface::GridFor(int32_t w, int32_t h, int32_t frameCount, int32_t& rows,
                             int32_t& columns) {
  if (w < 1 || h < 1 || frameCount < 1 || w > kMaxSheetSide || h > kMaxSheetSide ||
      frameCount > kMaxSheetFrames)
    return false;
  int64_t r = 0, c = 0;
  ComputeGrid(w, h, frameCount, r, c);
  if (int64_t(w) * c > kMaxSheetSide || int64_t(h) * r > kMaxSheetSide) return false;
  rows = static_cast<int32_t>(r);
  columns = static_cast<int32_t>(c);
  return true;
}

void TDXBaseSurface::Allocate(Display& device, int32_t w, int32_t h, int32_t frameCount) {
  // Filled although a new surface is black: the pages are touched now, while the game loads,
  // not by the first level that draws into the sheet.
  AllocateGrid(device, w, h, frameCount);
  if (Succeeded(LastResult) && Surface) FillBlack();
}

void TDXBaseSurface::AllocateGrid(Display& device, int32_t w, int32_t h, int32_t frameCount) {
  FrameWidth = w;
  FrameHeight = h;
  FrameCount = frameCount;
  Surface.reset();
  PixelBackup.clear();
  PixelBytes = 0;
  Frames.clear();
  if (w < 1 || h < 1 || frameCount < 1 || frameCount > kMaxSheetFrames) {
    Rows = Columns = Capacity = 0;
    LastResult = DDERR_INVALIDPARAMS;
    return;
  }
  int64_t rows = 0, columns = 0;
  ComputeGrid(w, h, frameCount, rows, columns);
  const int64_t sheetWidth = columns * w, sheetHeight = rows * h;
  if (!InInt32(sheetWidth) || !InInt32(sheetHeight) || !InInt32(rows * columns)) {
    Rows = Columns = Capacity = 0;
    LastResult = DDERR_INVALIDPARAMS;
    return;
  }
  Rows = static_cast<int32_t>(rows);
  Columns = static_cast<int32_t>(columns);
  Capacity = Rows * Columns;
  // Without the flag the display places the sheet as it does any surface without a placement
  // request: in video memory when it fits there, otherwise in system memory.
  const auto sw = static_cast<int32_t>(sheetWidth), sh = static_cast<int32_t>(sheetHeight);
  LastResult = SystemMemory ? device.CreateSurface(sw, sh, true, Surface)
                            : CreateWorkSurface(device, sw, sh, Surface);
  Frames.assign(Capacity, TFrameInfo{std::string(), true, w, h});
}

bool TPixelBackup::operator==(const TPixelBackup& other) const {
  return size_ == other.size_ && (size_ == 0 || std::memcmp(data_, other.data_, size_) == 0);
}

void TPixelBackup::clear() {
  own_.clear();
  owner_.reset();
  data_ = nullptr;
  size_ = 0;
}

void TPixelBackup::assign(const uint8_t* first, const uint8_t* last) {
  owner_.reset();
  own_.assign(first, last);
  data_ = own_.data();
  size_ = own_.size();
}

void TPixelBackup::assign(size_t n, uint8_t value) {
  owner_.reset();
  own_.assign(n, value);
  data_ = own_.data();
  size_ = own_.size();
}

void TPixelBackup::share(std::shared_ptr<const void> owner, const uint8_t* data, size_t size) {
  own_.clear();
  own_.shrink_to_fit();
  owner_ = std::move(owner);
  data_ = data;
  size_ = size;
}

bool TDXBaseSurface::LoadFromStream(Display& device, const TMemoryStream& stream) {
  return LoadFromBytes(device, stream.Bytes());
}

bool TDXBaseSurface::LoadFromBytes(Display& device, std::string_view block,
                                   std::shared_ptr<const void> owner) {
  const auto* data = reinterpret_cast<const uint8_t*>(block.data());
  const auto refuse = [this] {
    LastResult = DDERR_INVALIDPARAMS;
    return false;
  };
  if (block.size() < 16) return refuse();
  const int32_t w = GetInt32LE(data), h = GetInt32LE(data + 4), n = GetInt32LE(data + 8);
  int32_t rows = 0, columns = 0;
  if (!GridFor(w, h, n, rows, columns)) return refuse();
  const int64_t header =
      kSlotsOffset + int64_t(kSlotRecordSize) * rows * columns + HeaderExtraSize();
  const int64_t pixels = int64_t(w) * columns * 4 * (int64_t(h) * rows);
  if (GetInt32LE(data + 12) != header || int64_t(block.size()) != header + pixels) return refuse();

  // Every pixel is written from the block below: no fill first.
  AllocateGrid(device, w, h, n);
  if (Failed(LastResult) || !Surface) return false;
  // Rows are stored as wide as the writer's pitch; ours must be the same.
  if (int64_t(Surface->Pitch()) * Surface->Height() != pixels) return refuse();
  if (!ReadHeader(data)) return refuse();
  if (owner)
    PixelBackup.share(std::move(owner), data + header, static_cast<size_t>(pixels));
  else
    PixelBackup.assign(data + header, data + header + pixels);
  PixelBytes = static_cast<int32_t>(pixels);
  LastResult = DD_OK;
  RestorePixels();
  return Succeeded(LastResult);
}

void TDXBaseSurface::SaveToStream(TMemoryStream& stream) {
  Backup();
  const auto header = static_cast<size_t>(HeaderSize());
  std::string block;
  block.reserve(header + PixelBackup.size());
  block.assign(header, '\0');
  WriteHeader(reinterpret_cast<uint8_t*>(block.data()));
  if (!PixelBackup.empty())
    block.append(reinterpret_cast<const char*>(PixelBackup.data()), PixelBackup.size());
  stream = TMemoryStream(std::move(block));
}

bool TDXBaseSurface::AddBitmap(Display& device, int32_t& slot, const std::string& name,
                               const TGraphic& bitmap, bool transparent, int32_t transparentColor) {
  SurfacePtr temp;
  const HRESULT r = CreateWorkSurface(device, bitmap.Width(), bitmap.Height(), temp);
  if (Failed(r)) {
    LastResult = r;
    return false;
  }
  bitmap.Draw(*temp, 0, 0);
  if (transparent) (void)SetSourceColorKey(*temp, transparentColor);
  return PutSurface(slot, name, *temp, transparent);
}

bool TDXBaseSurface::PutSurface(int32_t& slot, const std::string& name, ::Surface& source,
                                bool useSourceKey) {
  return PutFrame(slot, source.Width(), source.Height(), name, source, useSourceKey);
}

bool TDXBaseSurface::PutFrame(int32_t& slot, int32_t sourceWidth, int32_t sourceHeight,
                              const std::string& name, ::Surface& source, bool useSourceKey) {
  if (slot < 0) slot = FirstFreeFrame();
  if (slot < 0 || slot >= Capacity) {
    LastResult = kNoFreeFrame;
    return false;
  }
  const int32_t cw = std::clamp(sourceWidth, 0, FrameWidth);
  const int32_t ch = std::clamp(sourceHeight, 0, FrameHeight);
  const TRect cell = GetFrameRect(slot);
  const TRect part{0, 0, cw, ch};
  LastResult =
      Surface ? Surface->BltFast(cell.Left, cell.Top, source, &part, useSourceKey) : DDERR_GENERIC;
  TFrameInfo& f = Frames[slot];
  f.Width = cw;
  f.Height = ch;
  f.Name = name.substr(0, kFrameNameLength);
  f.Free = Failed(LastResult);
  return !f.Free;
}

int32_t TDXBaseSurface::FirstFreeFrame() const {
  for (int32_t i = 0; i < static_cast<int32_t>(Frames.size()); ++i)
    if (Frames[i].Free) return i;
  return -1;
}

int32_t TDXBaseSurface::FindFrame(const std::string& name) const {
  for (int32_t i = 0; i < static_cast<int32_t>(Frames.size()); ++i)
    if (!Frames[i].Free && Frames[i].Name == name) return i;
  return -1;
}

std::string TDXBaseSurface::GetFrameName(int32_t slot) const {
  return slot >= 0 && slot < static_cast<int32_t>(Frames.size()) ? Frames[slot].Name
                                                                 : std::string();
}

TFrameInfo TDXBaseSurface::GetFrameInfo(int32_t slot) const {
  return slot >= 0 && slot < static_cast<int32_t>(Frames.size()) ? Frames[slot] : TFrameInfo{};
}

TRect TDXBaseSurface::GetFrameRect(int32_t slot) const {
  if (slot < 0 || slot >= Capacity || slot >= static_cast<int32_t>(Frames.size()))
    return {0, 0, 1, 1};
  const int32_t left = (slot % Columns) * FrameWidth, top = (slot / Columns) * FrameHeight;
  return {left, top, left + Frames[slot].Width, top + Frames[slot].Height};
}

void TDXBaseSurface::FillBlack() {
  if (Surface) LastResult = Surface->Fill(nullptr, 0);
}

void TDXBaseSurface::SetUseColorKey(bool on) {
  UseColorKey = on;
  if (on && Surface) LastResult = SetSourceColorKey(*Surface, ColorKey);
}

void TDXBaseSurface::Backup() {
  if (!Surface) {
    PixelBackup.clear();
    PixelBytes = 0;
    return;
  }
  const size_t bytes = size_t(Surface->Pitch()) * size_t(Surface->Height());
  uint32_t* pixels = nullptr;
  int32_t pitch = 0;
  const HRESULT r = Surface->Lock(pixels, pitch);
  if (Failed(r)) {
    LastResult = r;
    if (PixelBackup.size() != bytes) PixelBackup.assign(bytes, 0);
  } else {
    const auto* p = reinterpret_cast<const uint8_t*>(pixels);
    PixelBackup.assign(p, p + size_t(pitch) * size_t(Surface->Height()));
    Surface->Unlock();
  }
  PixelBytes = static_cast<int32_t>(PixelBackup.size());
}

void TDXBaseSurface::RestorePixels() {
  if (PixelBackup.empty() || !Surface) return;
  uint32_t* pixels = nullptr;
  int32_t pitch = 0;
  const HRESULT r = Surface->Lock(pixels, pitch);
  if (Failed(r)) {
    LastResult = r;
    return;
  }
  const size_t bytes = std::min(size_t(pitch) * size_t(Surface->Height()), PixelBackup.size());
  std::memcpy(pixels, PixelBackup.data(), bytes);
  Surface->Unlock();
}

void TDXBaseSurface::Restore() {
  if (!Surface) return;
  LastResult = Surface->Restore();
  if (Succeeded(LastResult)) RestorePixels();
}

void TDXBaseSurface::BltAligned(::Surface& dest, int32_t x, int32_t y, int32_t w, int32_t h,
                                ::Surface& src, TRect rect, uint8_t horizontal, uint8_t vertical) {
  (void)Blit(dest, x, y, w, h, src, rect, horizontal, vertical, nullptr);
}

bool TDXBaseSurface::Blit(::Surface& dest, int32_t x, int32_t y, int32_t w, int32_t h,
                          ::Surface& src, TRect rect, uint8_t horizontal, uint8_t vertical,
                          const uint32_t* keyFill) {
  // 64-bit arithmetic: positions may be anywhere in the int32 range.
  int64_t dx = x, dy = y;
  if (horizontal == daRight)
    dx -= w;
  else if (horizontal == daCenter)
    dx -= w / 2;
  if (vertical == daCenter)
    dy -= h / 2;
  else if (vertical == daBottom)
    dy -= h;
  int64_t left = rect.Left, top = rect.Top, right = rect.Right, bottom = rect.Bottom;
  int64_t px = dx, py = dy;
  if (ClipEnabled) {
    const TRect& c = ClipRect;
    if (dx < c.Left) {
      left += c.Left - dx;
      px = c.Left;
    }
    if (dy < c.Top) {
      top += c.Top - dy;
      py = c.Top;
    }
    if (dx + w > c.Right) right -= dx + w - c.Right;
    if (dy + h > c.Bottom) bottom -= dy + h - c.Bottom;
    if (left > right || top > bottom) return true;
  }
  // Whatever lies outside the surfaces is refused by the copy itself.
  if (!InInt32(px) || !InInt32(py) || !InInt32(left) || !InInt32(top) || !InInt32(right) ||
      !InInt32(bottom) || !InInt32(px + (right - left)) || !InInt32(py + (bottom - top))) {
    LastResult = DDERR_INVALIDRECT;
    return false;
  }
  const TRect part{int32_t(left), int32_t(top), int32_t(right), int32_t(bottom)};
  LastResult = keyFill && UseColorKey
                   ? dest.BltFastFilled(int32_t(px), int32_t(py), src, &part, *keyFill)
                   : dest.BltFast(int32_t(px), int32_t(py), src, &part, UseColorKey);
  return Succeeded(LastResult);
}

bool TDXBaseSurface::Drawable(int32_t slot) const {
  return slot >= 0 && slot < Capacity && Surface && !Frames[slot].Free;
}

void TDXBaseSurface::Draw(::Surface& dest, int32_t x, int32_t y, int32_t slot, uint8_t horizontal,
                          uint8_t vertical) {
  if (!Drawable(slot)) return;
  const TFrameInfo& f = Frames[slot];
  BltAligned(dest, x, y, f.Width, f.Height, *Surface, GetFrameRect(slot), horizontal, vertical);
}

bool TDXBaseSurface::DrawFilled(::Surface& dest, int32_t x, int32_t y, int32_t slot,
                                uint32_t fill) {
  if (!Drawable(slot)) return true;
  const TFrameInfo& f = Frames[slot];
  return Blit(dest, x, y, f.Width, f.Height, *Surface, GetFrameRect(slot), daLeft, daTop, &fill);
}

::Surface* TDXBaseSurface::Work(int index, int32_t w, int32_t h) {
  SurfacePtr& s = work_[index];
  if (!s || s->Width() < w || s->Height() < h) {
    const int32_t nw = std::max(w, s ? s->Width() : 0), nh = std::max(h, s ? s->Height() : 0);
    s = std::make_shared<::Surface>(nw, nh);
  }
  return s.get();
}

// The colour key as a pixel value: the value darkened and rotated copies keep and fill with, so
// that they stay transparent for any key colour, not only black.
uint32_t TDXBaseSurface::KeyPixel() {
  return GdiToPixel(ColorKey);
}

bool TDXBaseSurface::CopyableFrame(int32_t slot, TRect& r) {
  if (!Drawable(slot)) return false;
  r = ClipToSurface(GetFrameRect(slot), Surface->Width(), Surface->Height());
  if (r.Width() > 0 && r.Height() > 0) return true;
  LastResult = kPixelRoutineFailed;
  return false;
}

void TDXBaseSurface::DrawShaded(Display&, ::Surface& dest, int32_t x, int32_t y, int32_t slot,
                                float brightness, uint8_t horizontal, uint8_t vertical) {
  TRect r;
  if (!CopyableFrame(slot, r)) return;
  const int32_t w = r.Width(), h = r.Height();
  ::Surface* work = Work(0, w, h);
  if (!ScaleBrightnessInto(*Surface, r, UseColorKey, KeyPixel(), brightness, *work)) {
    LastResult = kPixelRoutineFailed;
    return;
  }
  (void)SetSourceColorKey(*work, ColorKey);
  BltAligned(dest, x, y, w, h, *work, TRect{0, 0, w, h}, horizontal, vertical);
}

void TDXBaseSurface::DrawRotated(Display&, ::Surface& dest, int32_t slot, int32_t x, int32_t y,
                                 int32_t angle) {
  TRect r;
  if (!CopyableFrame(slot, r)) return;
  const TRotation t = RotationFor(r.Width(), r.Height(), angle);
  ::Surface* work = Work(0, t.NewWidth, t.NewHeight);
  if (!RotateInto(*Surface, r, KeyPixel(), t, *work)) {
    LastResult = kPixelRoutineFailed;
    return;
  }
  (void)SetSourceColorKey(*work, ColorKey);
  BltAligned(dest, x, y, t.NewWidth, t.NewHeight, *work, TRect{0, 0, t.NewWidth, t.NewHeight},
             daCenter, daCenter);
}

void TDXBaseSurface::DrawShadedRotated(Display&, ::Surface& dest, int32_t slot, int32_t x,
                                       int32_t y, int32_t angle, float brightness) {
  TRect r;
  if (!CopyableFrame(slot, r)) return;
  const int32_t w = r.Width(), h = r.Height();
  const uint32_t key = KeyPixel();
  ::Surface* scaled = Work(0, w, h);
  const TRotation t = RotationFor(w, h, angle);
  ::Surface* rotated = Work(1, t.NewWidth, t.NewHeight);
  if (!ScaleBrightnessInto(*Surface, r, false, key, brightness, *scaled) ||
      !RotateInto(*scaled, TRect{0, 0, w, h}, key, t, *rotated)) {
    LastResult = kPixelRoutineFailed;
    return;
  }
  (void)SetSourceColorKey(*rotated, ColorKey);
  BltAligned(dest, x, y, t.NewWidth, t.NewHeight, *rotated, TRect{0, 0, t.NewWidth, t.NewHeight},
             daCenter, daCenter);
}

void TSurfaceList::AddSurface(const std::string& name, std::unique_ptr<TDXBaseSurface> sheet) {
  const int32_t old = IndexOf(name);
  if (old >= 0) entries_.erase(entries_.begin() + old);
  entries_.push_back({name, std::move(sheet)});
}

TDXBaseSurface* TSurfaceList::GetSurface(int32_t index) const {
  return index >= 0 && index < Count() ? entries_[index].sheet.get() : nullptr;
}

int32_t TSurfaceList::IndexOf(const std::string& name) const {
  for (int32_t i = 0; i < Count(); ++i)
    if (SameTextIgnoringCase(entries_[i].name, name)) return i;
  return -1;
}

void TSurfaceList::RestoreAll() {
  for (const Entry& e : entries_) {
    if (!e.sheet) continue;
    e.sheet->Restore();
    LastResult = e.sheet->LastResult;
    if (Failed(LastResult)) return;
  }
}

void TSurfaceList::Delete(int32_t index) {
  if (index >= 0 && index < Count()) entries_.erase(entries_.begin() + index);
}
