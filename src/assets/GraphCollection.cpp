// Graphics collections: reading and writing ".ccg" files (layout in Collections.h).
#include <algorithm>

#include "base/Bytes.h"
#include "assets/Collections.h"
#include "assets/FileUtils.h"
#include "base/Cp1251.h"

namespace {

const std::string kEmpty;

// A length field of the file; bytes the end of the file cuts off count as zero bytes in front of
// the ones present, which then are the high-order bytes.
int32_t ReadLength(const std::string& s, size_t pos) {
  const size_t present = pos < s.size() ? std::min<size_t>(4, s.size() - pos) : 0;
  uint32_t u = 0;
  for (size_t i = 0; i < present; ++i)
    u |= uint32_t(static_cast<unsigned char>(s[pos + i])) << (8 * (4 - present + i));
  return static_cast<int32_t>(u);
}

std::string Piece(const std::string& s, size_t pos, size_t length) {
  return pos < s.size() ? s.substr(pos, length) : std::string();
}

constexpr size_t kHeaderSize = 5;

}  // namespace

bool TGraphCollection::Load() {
  Clear();
  std::vector<std::string> pieces;
  if (!ReadFileToList(FileName, pieces)) return false;
  std::string bytes;
  for (const auto& p : pieces) bytes += p;
  pieces.clear();
  LoadFromBytes(bytes);
  return true;
}

void TGraphCollection::LoadFromBytes(const std::string& s) {
  Clear();
  size_t p = 0;
  // One byte left over after the last record is ignored; two or more start another record.
  while (p + 1 < s.size()) {
    const int32_t h = ReadLength(s, p);
    p += 4;
    if (h < 0) break;
    const std::string header = Piece(s, p, static_cast<size_t>(h));
    p += static_cast<size_t>(h);
    const int32_t d = ReadLength(s, p);
    p += 4;
    if (d < 0) break;
    TMemoryStream data(Piece(s, p, static_cast<size_t>(d)));
    p += static_cast<size_t>(d);
    if (header.size() < kHeaderSize) continue;
    const int32_t index =
        AddGraphic(static_cast<uint8_t>(header[0]), header.substr(kHeaderSize), data);
    // A dropped duplicate leaves the tag of the entry already present alone.
    if (index >= 0) SetTag(index, ReadInt32At(header, 1));
    ProcessMessages();
  }
}

std::string TGraphCollection::FormatRecord(uint8_t kind, int32_t tag, const std::string& name,
                                           const std::string& data) {
  std::string r;
  r.reserve(8 + kHeaderSize + name.size() + data.size());
  r += IntToBytes(static_cast<int32_t>(kHeaderSize + name.size()));
  r += static_cast<char>(kind);
  r += IntToBytes(tag);
  r += name;
  r += IntToBytes(static_cast<int32_t>(data.size()));
  r += data;
  return r;
}

bool TGraphCollection::Save() const {
  std::string image;
  for (int32_t i = 0; i < Count(); ++i)
    image += FormatRecord(GetKind(i), GetTag(i), GetGraphicName(i), GetGraphicData(i));
  return WriteFileAtomically(FileName, image);
}

int32_t TGraphCollection::AddGraphic(uint8_t kind, const std::string& name, TMemoryStream& stream) {
  if (FindGraphic(name) >= 0) return -1;
  std::string data = stream.Rest();
  stream.Seek(stream.Size());
  std::string error;
  std::unique_ptr<TGraphic> graphic;
  if (kind <= gkJpeg)
    graphic = LoadGraphic(kind, data, error, kMaxCollectionPixels / (Count() + 1));
  else
    error = Cp("неизвестный вид ") + std::to_string(kind);
  const int32_t w = graphic ? std::max(maxWidth_, graphic->Width()) : 0;
  const int32_t h = graphic ? std::max(maxHeight_, graphic->Height()) : 0;
  if (graphic && int64_t{w} * h * (Count() + 1) > kMaxCollectionPixels) {
    graphic.reset();
    error =
        Cp("кадры коллекции превысили бы ") + std::to_string(kMaxCollectionPixels) + Cp(" точек");
  }
  if (!graphic) {
    LogAssetMessage(Cp("Картинка \"") + name + Cp("\" из ") + FileName + Cp(" пропущена: ") +
                    error);
    return -1;
  }
  maxWidth_ = w;
  maxHeight_ = h;
  Entry e;
  e.Packed = std::string(1, static_cast<char>(kind)) + IntToBytes(0) + name;
  e.Graphic = std::move(graphic);
  e.Data = std::move(data);
  entries_.push_back(std::move(e));
  return Count() - 1;
}

int32_t TGraphCollection::FindGraphic(const std::string& name) const {
  for (int32_t i = 0; i < Count(); ++i)
    if (entries_[i].Packed.compare(kHeaderSize, std::string::npos, name) == 0) return i;
  return -1;
}

TGraphic* TGraphCollection::GetGraphic(int32_t index) const {
  return Valid(index) ? entries_[index].Graphic.get() : nullptr;
}

std::string TGraphCollection::GetGraphicName(int32_t index) const {
  return Valid(index) ? entries_[index].Packed.substr(kHeaderSize) : std::string();
}

uint8_t TGraphCollection::GetKind(int32_t index) const {
  return Valid(index) ? static_cast<uint8_t>(entries_[index].Packed[0]) : 0;
}

int32_t TGraphCollection::GetTag(int32_t index) const {
  return Valid(index) ? ReadInt32At(entries_[index].Packed, 1) : 0;
}

void TGraphCollection::SetTag(int32_t index, int32_t tag) {
  if (Valid(index)) entries_[index].Packed.replace(1, 4, IntToBytes(tag));
}

const std::string& TGraphCollection::GetGraphicData(int32_t index) const {
  return Valid(index) ? entries_[index].Data : kEmpty;
}

const std::string& TGraphCollection::Strings(int32_t index) const {
  return Valid(index) ? entries_[index].Packed : kEmpty;
}

void TGraphCollection::GetMaxSize(int32_t& width, int32_t& height) const {
  width = height = 0;
  for (const auto& e : entries_) {
    width = std::max(width, e.Graphic->Width());
    height = std::max(height, e.Graphic->Height());
  }
}

void TGraphCollection::Delete(int32_t index) {
  if (!Valid(index)) return;
  entries_.erase(entries_.begin() + index);
  GetMaxSize(maxWidth_, maxHeight_);
}
