// Sprite sheets: one off-screen surface cut into a grid of equal cells, the frame slots, each
// holding one named picture that may be smaller than its cell; and a named list of sheets.
//
// Stored form of a sheet (a block of "graph.dat"); integers 32-bit little-endian, unlisted bytes 0:
//   0  FrameWidth        4  FrameHeight      8  FrameCount      12  HeaderSize of the writer
//  16  ClipEnabled (0/1) 20  ClipRect left, top, right, bottom  36  ColorKey   40  UseColorKey
//  (0/1) 44  56 zero bytes 100 + 50 i, for each of the Capacity slots: Free (0/1), Width, Height,
//  Name as a length byte and
//      32 character bytes, 5 zero bytes
//  then the extension of a derived class (HeaderExtraSize bytes; none here),
//  then the pixel rows, top row first, each row one surface pitch (width x 4) long.
// A block is taken only when its size is exactly header + pixel rows of the grid its frame size and
// count give, and every slot lies within its cell with a name of at most 32 characters.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Display.h"
#include "platform/Surface.h"

class TGraphic;
class TMemoryStream;

// Alignment of a drawing to its point: daLeft, daRight, daCenter horizontally; daCenter, daTop,
// daBottom vertically. Other values place the picture as daLeft / daTop do.
enum TDrawAlign : uint8_t { daLeft = 0, daRight = 1, daCenter = 2, daTop = 3, daBottom = 4 };

// LastResult values of a sheet besides the display's codes.
constexpr HRESULT kNoFreeFrame = 3000;
constexpr HRESULT kPixelRoutineFailed = 1;

// Limits a stored block must respect; the surface limit is the display's.
constexpr int32_t kMaxSheetSide = 16384;
constexpr int32_t kMaxSheetFrames = 65536;
constexpr int32_t kFrameNameLength = 32;

struct TFrameInfo {
  std::string Name;  // at most 32 characters
  bool Free = true;  // true while the slot holds no picture
  int32_t Width = 0, Height = 0;
};

// The surface's pixel value for a GDI colour value 0x00BBGGRR, or with -1 the surface's first
// pixel; -1 when the surface cannot be locked.
int32_t ColorMatch(Surface& surface, int32_t color);
// Sets the surface's source colour key (low = high = ColorMatch of color).
HRESULT SetSourceColorKey(Surface& surface, int32_t color);

// A sheet's pixel backup: bytes of its own, or bytes an owner keeps alive and nobody changes (the
// sheets read from "graph.dat" keep the file's buffer rather than a copy of their part of it).
class TPixelBackup {
 public:
  bool empty() const { return size_ == 0; }
  size_t size() const { return size_; }
  const uint8_t* data() const { return data_; }
  std::vector<uint8_t> ToVector() const { return {data_, data_ + size_}; }
  bool operator==(const TPixelBackup& other) const;

  void clear();
  // Its own copy of [first, last).
  void assign(const uint8_t* first, const uint8_t* last);
  // Its own n bytes of value.
  void assign(size_t n, uint8_t value);
  // Keeps owner and shows the size bytes at data, which owner holds.
  void share(std::shared_ptr<const void> owner, const uint8_t* data, size_t size);

 private:
  std::vector<uint8_t> own_;
  std::shared_ptr<const void> owner_;
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

class TDXBaseSurface {
 public:
  TDXBaseSurface();
  virtual ~TDXBaseSurface();
  TDXBaseSurface(const TDXBaseSurface&) = delete;
  TDXBaseSurface& operator=(const TDXBaseSurface&) = delete;

  int32_t FrameHeight = 0;
  int32_t Capacity = 0;  // Rows x Columns
  int32_t FrameWidth = 0;
  int32_t Rows = 0;
  int32_t Columns = 0;
  SurfacePtr Surface;
  // Result of the last display call for this sheet; kNoFreeFrame, kPixelRoutineFailed.
  HRESULT LastResult = DD_OK;
  int32_t ColorKey = 0;  // GDI colour value 0x00BBGGRR
  bool UseColorKey = false;
  std::vector<TFrameInfo> Frames;    // Capacity entries
  TPixelBackup PixelBackup;          // the surface's rows as a lock shows them; may be empty
  TRect ClipRect{0, 0, 800, 600};    // in destination coordinates
  bool ClipEnabled = false;
  int32_t PixelBytes = 0;  // pitch x height of the backed-up surface
  int32_t FrameCount = 0;  // frames asked for; Capacity may be larger
  bool SystemMemory = false;

  // Size of the stored header: 100 + 50 x Capacity + HeaderExtraSize().
  virtual int32_t HeaderSize() const;
  // Writes the header into a zero-filled buffer of HeaderSize() bytes.
  virtual void WriteHeader(uint8_t* buffer) const;
  // Takes the header back from a buffer of HeaderSize() bytes written for this grid. Checks
  // everything first and changes nothing when it returns false.
  virtual bool ReadHeader(const uint8_t* buffer);

  // Makes the grid of frameCount cells of w x h and its surface (black). The slots are set up
  // even when the surface cannot be made; LastResult tells.
  void Allocate(Display& device, int32_t w, int32_t h, int32_t frameCount);
  // Rebuilds the sheet from its stored form (the whole stream). False, with LastResult a failure,
  // when the block is refused or the surface cannot be made.
  bool LoadFromStream(Display& device, const TMemoryStream& stream);
  // LoadFromStream from a block's bytes; with an owner of those bytes the backup keeps them
  // rather than a copy.
  bool LoadFromBytes(Display& device, std::string_view block,
                     std::shared_ptr<const void> owner = nullptr);
  // Backs the pixels up and replaces the stream's contents by the stored form; position 0.
  void SaveToStream(TMemoryStream& stream);

  // Draws the picture into a slot (slot < 0: the first free one; the variable receives it). With
  // transparent, pixels of transparentColor (GDI value) leave the cell untouched.
  bool AddBitmap(Display& device, int32_t& slot, const std::string& name, const TGraphic& bitmap,
                 bool transparent = false, int32_t transparentColor = 0);
  // PutFrame with the source's own size.
  bool PutSurface(int32_t& slot, const std::string& name, ::Surface& source, bool useSourceKey);
  // Copies the top-left sourceWidth x sourceHeight of source, cut to the cell, into a slot
  // (slot < 0: the first free one). False with LastResult kNoFreeFrame when there is no such
  // slot; otherwise the slot's size and name are set and it is taken if the copy succeeded.
  bool PutFrame(int32_t& slot, int32_t sourceWidth, int32_t sourceHeight, const std::string& name,
                ::Surface& source, bool useSourceKey);

  int32_t FirstFreeFrame() const;
  // The lowest taken slot with exactly this name; -1 if none.
  int32_t FindFrame(const std::string& name) const;
  std::string GetFrameName(int32_t slot) const;
  TFrameInfo GetFrameInfo(int32_t slot) const;
  // The slot's picture on the sheet; (0, 0, 1, 1) outside the slots.
  TRect GetFrameRect(int32_t slot) const;

  void FillBlack();
  void SetUseColorKey(bool on);
  // Replaces PixelBackup by a copy of the surface. When the surface cannot be locked, the old copy
  // is kept (so a lost surface never wipes it).
  void Backup();
  // Copies PixelBackup back into the surface; nothing without a backup.
  void RestorePixels();
  // Restores the lost surface and refills it from PixelBackup.
  void Restore();

  // Drawing: nothing for a free slot or one outside the slots. Pictures are clipped to ClipRect
  // when ClipEnabled; the colour key applies when UseColorKey.
  void Draw(::Surface& dest, int32_t x, int32_t y, int32_t slot, uint8_t horizontal,
            uint8_t vertical);
  // Draw with its top-left corner at (x, y), the colour key's pixels written as fill: the picture
  // a fill of the frame's area followed by Draw gives. False when the copy was refused and
  // nothing was drawn; true when it was drawn or clipped away whole.
  bool DrawFilled(::Surface& dest, int32_t x, int32_t y, int32_t slot, uint32_t fill);
  // The slot holds a frame that can be drawn.
  bool Drawable(int32_t slot) const;
  void DrawShaded(Display& device, ::Surface& dest, int32_t x, int32_t y, int32_t slot,
                  float brightness, uint8_t horizontal, uint8_t vertical);
  // Centred on (x, y), rotated by angle tenths of a degree.
  void DrawRotated(Display& device, ::Surface& dest, int32_t slot, int32_t x, int32_t y,
                   int32_t angle);
  void DrawShadedRotated(Display& device, ::Surface& dest, int32_t slot, int32_t x, int32_t y,
                         int32_t angle, float brightness);
  // Copies rect of src, a picture of w x h, to (x, y) aligned and clipped.
  void BltAligned(::Surface& dest, int32_t x, int32_t y, int32_t w, int32_t h, ::Surface& src,
                  TRect rect, uint8_t horizontal, uint8_t vertical);

 protected:
  // Bytes a derived class stores after the slot records (its tables).
  virtual int32_t HeaderExtraSize() const { return 0; }
  // Size of the sheet's own part of the header; a derived class's tables start here.
  int32_t SpriteHeaderSize() const { return 100 + 50 * Capacity; }
  // The grid Allocate makes for these numbers; false for sizes a stored block may not have.
  static bool GridFor(int32_t w, int32_t h, int32_t frameCount, int32_t& rows, int32_t& columns);

 private:
  // Allocate without the fill, for a sheet whose every pixel is written next.
  void AllocateGrid(Display& device, int32_t w, int32_t h, int32_t frameCount);
  // A work surface of at least w x h, kept between drawings so darkened and rotated drawing
  // allocates only when a larger picture comes.
  ::Surface* Work(int index, int32_t w, int32_t h);
  // BltAligned; with keyFill, the key's pixels are written as *keyFill. False when the copy was
  // refused (LastResult tells).
  bool Blit(::Surface& dest, int32_t x, int32_t y, int32_t w, int32_t h, ::Surface& src, TRect rect,
            uint8_t horizontal, uint8_t vertical, const uint32_t* keyFill);
  // The frame of slot cut to the sheet, the source of darkened and rotated copies; false when the
  // slot cannot be drawn, with LastResult 1 when its frame is empty.
  bool CopyableFrame(int32_t slot, TRect& r);
  uint32_t KeyPixel();

  SurfacePtr work_[2];
};

// A named list that owns its sheets; names are looked up without regard to letter case.
class TSurfaceList {
 public:
  HRESULT LastResult = DD_OK;

  // Replaces a sheet of the same name (destroying it) or appends a new entry.
  void AddSurface(const std::string& name, std::unique_ptr<TDXBaseSurface> sheet);
  // The sheet at index; null outside the list.
  TDXBaseSurface* GetSurface(int32_t index) const;
  int32_t IndexOf(const std::string& name) const;
  int32_t Count() const { return static_cast<int32_t>(entries_.size()); }
  const std::string& Name(int32_t index) const { return entries_.at(index).name; }
  // Restores every sheet in order; stops at the first failure, whose result LastResult keeps.
  void RestoreAll();
  void Delete(int32_t index);
  void Clear() { entries_.clear(); }

 private:
  struct Entry {
    std::string name;
    std::unique_ptr<TDXBaseSurface> sheet;
  };
  std::vector<Entry> entries_;
};
