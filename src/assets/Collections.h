// The three named-entry lists through which pictures, stored sheets, sounds and level keys reach
// the game: graphics collections (".ccg"), block collections ("graph.dat", "wave.col") and the
// key/value pairs of a level. Entries keep insertion order; indexes run from 0 to Count() - 1 and
// an index out of range gives an empty result (null, "", 0, false) instead of failing.
//
// Graphics collection file (".ccg"): records one after another, no file header, count or end
// mark. Integers are 32-bit signed little-endian.
//   offset 0      4 bytes  H, length of the header that follows
//   offset 4      1 byte   kind: 0 metafile, 1 BMP file (with its file header), 2 JPEG file
//   offset 5      4 bytes  tag (kept as read, not interpreted)
//   offset 9      H - 5    entry name, single-byte characters, no terminator
//   offset 4 + H  4 bytes  D, length of the data that follows
//   offset 8 + H  D bytes  the complete picture file
// The next record starts at 8 + H + D. Reading stops when at most one byte is left. Fields that
// the end of the file cuts short are taken as far as they go; a cut length field counts as if
// zero bytes stood in front of the bytes present. A negative H or D ends the parse; a header
// shorter than 5 bytes skips its record; a record whose name is already present, whose kind is
// unknown, whose picture cannot be decoded or would take the collection's frames past
// kMaxCollectionPixels is skipped (all but the first with a line to the asset log).
//
// Block collection file ("graph.dat", "wave.col"): records one after another, integers 32-bit
// signed little-endian.
//   offset 0      4 bytes  N, length of the name
//   offset 4      N bytes  block name, single-byte characters, no terminator
//   offset 4 + N  4 bytes  D, length of the block
//   offset 8 + N  D bytes  block bytes
// The next record starts at 8 + N + D; k entries make exactly sum(8 + N + D) bytes. A name or
// block running past the end of the file is cut to the bytes that remain; a length field cut by
// the end of the file, or a negative length, ends the load with false (entries read so far stay).
//
// Key/value pair (one entry of TIndexCollection, in memory only): 4 bytes key length, low byte
// first, then the key, then the value.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "assets/MemoryStream.h"
#include "image/Picture.h"

// The pictures of one collection laid out as frames of their largest width and largest height
// (as a sprite sheet takes them): count x largest width x largest height stays within this. A
// file of small records may describe huge pictures, each kept decoded and then copied into such
// a sheet.
constexpr int64_t kMaxCollectionPixels = int64_t{1} << 26;

// Named pictures read from a ".ccg" file. Each entry's string is packed as 1 byte kind, 4 bytes
// tag, then the name; the collection owns each decoded picture and keeps its file bytes.
class TGraphCollection {
 public:
  std::string FileName;

  TGraphCollection() = default;
  TGraphCollection(const TGraphCollection&) = delete;
  TGraphCollection& operator=(const TGraphCollection&) = delete;

  // Clears the collection and reads FileName. False when the file is missing (silently) or cannot
  // be read (with the read message); the collection is then empty.
  [[nodiscard]] bool Load();
  // Clears the collection and parses the bytes of a whole ".ccg" file.
  void LoadFromBytes(const std::string& bytes);
  // Writes every entry as a record, in list order, to FileName (atomically). False on failure,
  // with no message.
  [[nodiscard]] bool Save() const;
  // One ".ccg" record.
  static std::string FormatRecord(uint8_t kind, int32_t tag, const std::string& name,
                                  const std::string& data);

  // Decodes the picture file in the stream from its position to its end and appends it with tag
  // 0. Nothing is added when the name is already present (returns -1 silently), or when the kind
  // is unknown, the picture cannot be decoded or it would take the collection's frames past
  // kMaxCollectionPixels (returns -1 and logs a line). Returns the index of the new
  // entry.
  int32_t AddGraphic(uint8_t kind, const std::string& name, TMemoryStream& stream);
  // Index of the first entry whose name equals name byte for byte; -1 if none.
  int32_t FindGraphic(const std::string& name) const;
  // The entry's picture, owned by the collection; null out of range.
  TGraphic* GetGraphic(int32_t index) const;
  std::string GetGraphicName(int32_t index) const;
  uint8_t GetKind(int32_t index) const;
  int32_t GetTag(int32_t index) const;
  void SetTag(int32_t index, int32_t tag);
  // The picture file the entry was decoded from.
  const std::string& GetGraphicData(int32_t index) const;
  // The packed string of the entry (kind, tag, name).
  const std::string& Strings(int32_t index) const;
  // The largest picture width and the largest picture height, taken separately; 0, 0 when empty.
  void GetMaxSize(int32_t& width, int32_t& height) const;

  int32_t Count() const { return static_cast<int32_t>(entries_.size()); }
  void Clear() {
    entries_.clear();
    maxWidth_ = maxHeight_ = 0;
  }
  void Delete(int32_t index);

 private:
  struct Entry {
    std::string Packed;
    std::unique_ptr<TGraphic> Graphic;
    std::string Data;
  };
  bool Valid(int32_t index) const { return index >= 0 && index < Count(); }
  std::vector<Entry> entries_;
  int32_t maxWidth_ = 0, maxHeight_ = 0;  // over every entry's picture
};

// The records of a block collection file seen where they lie: names and blocks are views of the
// file's bytes, which must outlive them; the rules of the layout above (a cut record shortened, a
// damaged length ending the parse). The start takes "graph.dat"'s sheets this way, with no copy.
class TBlockViews {
 public:
  // Appends the records of the whole file's bytes; false when it is damaged (records before the
  // damage stay).
  [[nodiscard]] bool Parse(std::string_view bytes);
  int32_t Count() const { return static_cast<int32_t>(entries_.size()); }
  // Index of the first record whose name equals name ignoring letter case; -1 if none.
  int32_t IndexOf(std::string_view name) const;
  std::string_view Name(int32_t index) const { return entries_.at(index).Name; }
  std::string_view Block(int32_t index) const { return entries_.at(index).Block; }

 private:
  struct Entry {
    std::string_view Name, Block;
  };
  std::vector<Entry> entries_;
};

// Named memory blocks read from and written to a block collection file. The collection owns each
// block's stream. Names may repeat; lookup by name ignores letter case.
class TMemoryBlocksCollection {
 public:
  std::string FileName;

  TMemoryBlocksCollection() = default;
  virtual ~TMemoryBlocksCollection() = default;
  TMemoryBlocksCollection(const TMemoryBlocksCollection&) = delete;
  TMemoryBlocksCollection& operator=(const TMemoryBlocksCollection&) = delete;

  // Appends the records of FileName (does not clear first). False, with no message, when the file
  // cannot be read or is damaged; entries read before the damage stay.
  [[nodiscard]] bool Load();
  // Appends the records of a whole block collection file; false when it is damaged (see above).
  [[nodiscard]] bool LoadFromBytes(std::string_view bytes);
  // The image of the whole file, entries in list order.
  std::string SaveToBytes() const;
  // Writes every entry to FileName (created or replaced atomically); false on failure, with no
  // message.
  [[nodiscard]] bool Save() const;

  // Appends an entry and takes the stream (null becomes an empty block); returns its index.
  int32_t AddBlock(const std::string& name, std::unique_ptr<TMemoryStream> stream);
  int32_t AddBlock(const std::string& name, std::string bytes);
  // The entry's stream, owned by the collection; null out of range.
  TMemoryStream* GetBlock(int32_t index) const;
  // The entry's name ("" out of range).
  const std::string& Strings(int32_t index) const;
  // Index of the first entry whose name equals name ignoring letter case; -1 if none.
  int32_t IndexOf(const std::string& name) const;

  // Clears the collection, then adds one block per usable line of the list file (see
  // ReadListFile), holding the whole named file, and finally calls Save. A named file that does
  // not exist is skipped and makes the result false; a read error (list file included) ends the
  // operation with false; otherwise the result is that of Save.
  virtual bool BuildFromList(const std::string& listFile);
  // The usable lines of a list file as (name, path): name and path are split at the first TAB
  // and trimmed of blanks and control characters; lines without a TAB, or with an empty name or
  // path, are left out. Lines end with CR LF, LF or CR. False when the file is missing or
  // unreadable.
  [[nodiscard]] static bool ReadListFile(const std::string& listFile,
                                         std::vector<std::pair<std::string, std::string>>& lines);

  int32_t Count() const { return static_cast<int32_t>(entries_.size()); }
  void Clear() { entries_.clear(); }
  void Delete(int32_t index);

 private:
  struct Entry {
    std::string Name;
    std::unique_ptr<TMemoryStream> Block;
  };
  std::vector<Entry> entries_;
};

// The KEY=value pairs of a level while it is parsed. Keys are compared exactly; the caller
// normalises them.
class TIndexCollection {
 public:
  // Appends the pair; a key already present is added again (FindKey finds the first).
  void AddValue(const std::string& key, const std::string& value);
  // Index of the first entry whose key equals key byte for byte; -1 if none.
  int32_t FindKey(const std::string& key) const;
  std::string GetKey(int32_t index) const;
  // Everything after the key; may be empty.
  std::string GetValue(int32_t index) const;
  // False exactly when the value starts with "0"; an empty value gives true (see TryGetBool).
  bool GetBool(int32_t index) const;
  // As GetBool, but false (value untouched) when the value is empty or the index out of range.
  [[nodiscard]] bool TryGetBool(int32_t index, bool& value) const;
  // The value as an integer in the syntax of ParseTextInt; 0 when it is not one.
  int32_t GetInt(int32_t index) const;
  // As GetInt, but false when the value is not a valid integer.
  [[nodiscard]] bool TryGetInt(int32_t index, int32_t& value) const;
  // The packed string of the entry (key length, key, value).
  const std::string& Strings(int32_t index) const;

  int32_t Count() const { return static_cast<int32_t>(entries_.size()); }
  void Clear() { entries_.clear(); }
  void Delete(int32_t index);

 private:
  bool Valid(int32_t index) const { return index >= 0 && index < Count(); }
  std::vector<std::string> entries_;
};
