// Block collections and key/value pairs (layouts in Collections.h).
#include "assets/Collections.h"
#include "base/TextCase.h"

#include <algorithm>

#include "base/Bytes.h"
#include "assets/FileUtils.h"
#include "base/TextNumbers.h"

namespace {

const std::string kEmpty;

// Blanks and control characters off both ends.
std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

}  // namespace

// --- TMemoryBlocksCollection ---

bool TMemoryBlocksCollection::Load() {
  std::string bytes;
  return ReadFileQuietly(FileName, bytes) && LoadFromBytes(bytes);
}

bool TBlockViews::Parse(std::string_view s) {
  const size_t z = s.size();
  size_t q = 0;
  while (q < z) {
    if (z - q < 4) return false;
    const int32_t n = GetInt32LE(reinterpret_cast<const uint8_t*>(s.data() + q));
    q += 4;
    if (n < 0) return false;
    const size_t nameLength = std::min<size_t>(static_cast<size_t>(n), z - q);
    const std::string_view name = s.substr(q, nameLength);
    q += nameLength;
    if (z - q < 4) return false;
    const int32_t d = GetInt32LE(reinterpret_cast<const uint8_t*>(s.data() + q));
    q += 4;
    if (d < 0) return false;
    const size_t blockLength = std::min<size_t>(static_cast<size_t>(d), z - q);
    entries_.push_back(Entry{name, s.substr(q, blockLength)});
    q += blockLength;
  }
  return true;
}

int32_t TBlockViews::IndexOf(std::string_view name) const {
  for (int32_t i = 0; i < Count(); ++i)
    if (SameTextIgnoringCase(entries_[i].Name, name)) return i;
  return -1;
}

bool TMemoryBlocksCollection::LoadFromBytes(std::string_view s) {
  TBlockViews views;
  const bool whole = views.Parse(s);
  for (int32_t i = 0; i < views.Count(); ++i)
    AddBlock(std::string(views.Name(i)), std::string(views.Block(i)));
  return whole;
}

std::string TMemoryBlocksCollection::SaveToBytes() const {
  size_t total = 0;
  for (const auto& e : entries_) total += 8 + e.Name.size() + e.Block->Size();
  std::string image;
  image.reserve(total);
  for (const auto& e : entries_) {
    image += IntToBytes(static_cast<int32_t>(e.Name.size()));
    image += e.Name;
    image += IntToBytes(static_cast<int32_t>(e.Block->Size()));
    image += e.Block->Bytes();
  }
  return image;
}

bool TMemoryBlocksCollection::Save() const {
  return WriteFileAtomically(FileName, SaveToBytes());
}

int32_t TMemoryBlocksCollection::AddBlock(const std::string& name,
                                          std::unique_ptr<TMemoryStream> stream) {
  if (!stream) stream = std::make_unique<TMemoryStream>();
  entries_.push_back(Entry{name, std::move(stream)});
  return Count() - 1;
}

int32_t TMemoryBlocksCollection::AddBlock(const std::string& name, std::string bytes) {
  return AddBlock(name, std::make_unique<TMemoryStream>(std::move(bytes)));
}

TMemoryStream* TMemoryBlocksCollection::GetBlock(int32_t index) const {
  return index >= 0 && index < Count() ? entries_[index].Block.get() : nullptr;
}

const std::string& TMemoryBlocksCollection::Strings(int32_t index) const {
  return index >= 0 && index < Count() ? entries_[index].Name : kEmpty;
}

int32_t TMemoryBlocksCollection::IndexOf(const std::string& name) const {
  for (int32_t i = 0; i < Count(); ++i)
    if (SameTextIgnoringCase(entries_[i].Name, name)) return i;
  return -1;
}

void TMemoryBlocksCollection::Delete(int32_t index) {
  if (index >= 0 && index < Count()) entries_.erase(entries_.begin() + index);
}

bool TMemoryBlocksCollection::ReadListFile(
    const std::string& listFile, std::vector<std::pair<std::string, std::string>>& lines) {
  lines.clear();
  std::string text;
  if (!ReadFileToString(listFile, text)) return false;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++start;
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    std::string name = Trim(line.substr(0, tab)), path = Trim(line.substr(tab + 1));
    if (!name.empty() && !path.empty()) lines.emplace_back(std::move(name), std::move(path));
  }
  return true;
}

bool TMemoryBlocksCollection::BuildFromList(const std::string& listFile) {
  Clear();
  std::vector<std::pair<std::string, std::string>> lines;
  if (!ReadListFile(listFile, lines)) return false;
  bool allFound = true;
  for (const auto& [name, path] : lines) {
    if (!FileExists(path)) {
      allFound = false;
    } else {
      std::string bytes;
      if (!ReadFileToString(path, bytes)) return false;
      AddBlock(name, std::move(bytes));
    }
    ProcessMessages();
  }
  const bool saved = Save();
  return allFound && saved;
}

// --- TIndexCollection ---

void TIndexCollection::AddValue(const std::string& key, const std::string& value) {
  entries_.push_back(IntToBytes(static_cast<int32_t>(key.size())) + key + value);
}

int32_t TIndexCollection::FindKey(const std::string& key) const {
  for (int32_t i = 0; i < Count(); ++i)
    if (GetKey(i) == key) return i;
  return -1;
}

std::string TIndexCollection::GetKey(int32_t index) const {
  if (!Valid(index)) return {};
  const std::string& s = entries_[index];
  const int32_t length = ReadInt32At(s, 0);
  return length > 0 && s.size() > 4 ? s.substr(4, static_cast<size_t>(length)) : std::string();
}

std::string TIndexCollection::GetValue(int32_t index) const {
  if (!Valid(index)) return {};
  const std::string& s = entries_[index];
  const size_t start = 4 + static_cast<size_t>(std::max(ReadInt32At(s, 0), 0));
  return start < s.size() ? s.substr(start) : std::string();
}

bool TIndexCollection::GetBool(int32_t index) const {
  const std::string v = GetValue(index);
  return v.empty() || v[0] != '0';
}

bool TIndexCollection::TryGetBool(int32_t index, bool& value) const {
  const std::string v = GetValue(index);
  if (v.empty()) return false;
  value = v[0] != '0';
  return true;
}

int32_t TIndexCollection::GetInt(int32_t index) const {
  return ParseTextInt(GetValue(index));
}

bool TIndexCollection::TryGetInt(int32_t index, int32_t& value) const {
  return Valid(index) && TryParseTextInt(GetValue(index), value);
}

const std::string& TIndexCollection::Strings(int32_t index) const {
  return Valid(index) ? entries_[index] : kEmpty;
}

void TIndexCollection::Delete(int32_t index) {
  if (Valid(index)) entries_.erase(entries_.begin() + index);
}
