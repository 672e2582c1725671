// Shared file helpers: whole-file reading and writing with the player's error messages, safe
// (atomic) writes, letter-case tolerant file names, the hooks through which the asset library
// reports to the game, the direction of a vector and the small colour and pixel-format functions
// of the bitmap code. Strings are byte strings (any byte value, zero bytes included).
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/InputFile.h"

// --- Hooks (set by the application; the defaults need no window) ---

// Receives the error messages of the file helpers ("Ошибка чтения файла ..."); cp1251 text. The
// default writes the line to stderr. An empty function restores the default.
void SetFileMessageHandler(std::function<void(const std::string& text)> handler);
void ShowFileMessage(const std::string& text);

// Receives lines for the error log: pictures of a graphics collection that could not be decoded.
// The game appends them to "err.txt"; the default writes to stderr.
void SetAssetLogHandler(std::function<void(const std::string& text)> handler);
void LogAssetMessage(const std::string& text);

// Called between the entries of long loads so a waiting window stays responsive; the default does
// nothing.
void SetProcessMessagesHandler(std::function<void()> handler);
void ProcessMessages();

// --- Folders behind bare names ---

// The game opens its files by bare name ("main.lev", "main.tbl", "err.txt"). By default such a
// name is a file of the current folder, which holds the game's data and everything it writes. An
// installed game keeps its data shared and read-only and writes only into the player's folders.
// A name with a "/" is a path and always means just that file.
struct TFileFolders {
  std::string Data;    // the game's own files, read-only; empty: the current folder for everything
  std::string Player;  // every bare name written, and looked up before Data; empty: none exists
  std::string Cache;   // files made from others ("graph.dat"); empty: none exists
};
// Used by every helper below from then on; the default (all empty) is the current folder.
void SetFileFolders(const TFileFolders& folders);
// The folders whose bare names the game reads, in lookup order: the current folder "." by
// default, else the player's folder (when there is one) and the data folder.
std::vector<std::string> LookupFolders();

// --- File names ---

// The file to open for name: name itself when it exists; otherwise an entry of the same folder
// whose name differs only in ASCII letter case (the first in byte order when there are several);
// otherwise name unchanged. With folders set, a bare name is looked up in LookupFolders() that
// way and, found nowhere, is the player's file of that name.
std::string ResolveFileName(const std::string& name);
// The file a write of name goes to: a bare name is the player's file when folders are set, else
// as ResolveFileName. The player's or the cache folder is made when a file in it is asked for;
// one that cannot be made or written is named once on stderr, and its files cannot be written.
std::string WritableFileName(const std::string& name);
// Where the file name made from others lives: in the cache folder when folders are set, else
// the bare name itself.
std::string CacheFileName(const std::string& name);
// The absolute folder that the file name lies in (the current folder for a bare name), for
// messages that must say where.
std::string FolderOf(const std::string& name);
// The folder a write of name goes to, for messages: FolderOf(WritableFileName(name)), also when
// that folder cannot be used; "(no folder)" when none can be named.
std::string WriteFolderOf(const std::string& name);
// The file (after ResolveFileName) exists.
bool FileExists(const std::string& name);
// What changes whenever the file at path is written or replaced, as text: its size, its times of
// change (content and status, to the nanosecond) and where it lies (device and inode); "-" when
// there is no such file. Equal stamps mean the same bytes short of a clock set back.
std::string FileStamp(const std::string& path);

// --- Reading and writing ---

// Every read below takes only a regular file: a folder, pipe or device where a file is expected
// is refused without being read (a pipe could keep the game waiting forever, a device never end),
// and so is a file larger than maxBytes (kMaxDataFileBytes unless a smaller bound suits the kind
// of file, see platform/InputFile.h). A refusal or a read error is told on stderr with its reason
// ("vor: cannot read NAME: not a regular file (a FIFO)").

// Reads the file into text in pieces of 4096 bytes until the end or, when limit is not 0, until
// text is at least limit bytes long (the last piece is kept whole; the rest of a longer file is
// not read). A missing file gives false silently; a file that cannot be read or is refused shows
// "Ошибка чтения файла NAME", clears text and gives false.
[[nodiscard]] bool ReadFileToString(const std::string& name, std::string& text, int32_t limit = 0,
                                    size_t maxBytes = kMaxDataFileBytes);
// Reads the whole file with no message box; false when it is missing, cannot be read or is refused
// (only a refusal is told on stderr).
[[nodiscard]] bool ReadFileQuietly(const std::string& name, std::string& bytes,
                                   size_t maxBytes = kMaxDataFileBytes);
// Reads the file as its non-empty pieces of up to 4096 bytes; joined they give the file's bytes.
// A missing file gives false silently; a file that cannot be read or is refused shows the read
// message and gives false, keeping the pieces read so far.
[[nodiscard]] bool ReadFileToList(const std::string& name, std::vector<std::string>& list,
                                  size_t maxBytes = kMaxDataFileBytes);
// Creates or replaces the file with text (atomically, see below). A failure shows "Ошибка записи
// в файл NAME" and gives false; the old file is then untouched.
[[nodiscard]] bool WriteStringToFile(const std::string& name, const std::string& text);
// Writes bytes to WritableFileName(path) as ReplaceFileAtomically (platform/OutputFile.h) does:
// by way of a temporary file ".NAME.XXXXXX" in the same folder, renamed over the file (through
// its symbolic links), under the file's lock, removing temporaries of the same name that killed
// saves left. Shows no message; on failure the old file is kept, errno tells why (ENOTDIR for a
// player's folder that is a file) and the result is false.
[[nodiscard]] bool WriteFileAtomically(const std::string& path, const std::string& bytes);

// --- Geometry ---

// The direction of (dx, dy) in radians, from the positive x axis toward positive y, in -pi ... pi.
// A vector with dx = 0 points down (+pi/2) when dy > 0, and up (-pi/2) otherwise, (0, 0) included.
float AngleOf(int32_t dx, int32_t dy);

// --- Colours and pixel formats of the bitmap code ---

// Three channel masks with their bit counts; Shift moves an 8-bit channel value into place (left
// for red and green, right for blue) and Loss is the bits an 8-bit channel loses.
struct TPixelFormat {
  uint32_t RBitMask = 0, GBitMask = 0, BBitMask = 0;
  int32_t RBitCount = 0, GBitCount = 0, BBitCount = 0;
  int32_t RShift = 0, GShift = 0, BShift = 0;
  int32_t RLoss = 0, GLoss = 0, BLoss = 0;
  bool operator==(const TPixelFormat&) const = default;
};

// A palette entry in RGBQUAD order as one little-endian word: blue in the lowest byte, then green,
// red and a reserved byte.
using TPalette = std::array<uint32_t, 256>;

int32_t MaxInt(int32_t a, int32_t b);
// Masks red = (2^r - 1) << (g + b), green = (2^g - 1) << b, blue = 2^b - 1; shifts r + g + b - 8,
// g + b - 8 and 8 - b; losses 8 - r, 8 - g, 8 - b. Counts are expected in 0 ... 16.
TPixelFormat PixelFormatFromCounts(int32_t r, int32_t g, int32_t b);
// Number of consecutive set bits from the lowest set bit; bits 0 ... 30 are searched for it, so 0
// for a mask with only bit 31 (or nothing) set.
int32_t MaskBitCount(uint32_t mask);
// The bit counts of the three masks, then as PixelFormatFromCounts.
TPixelFormat PixelFormatFromMasks(uint32_t r, uint32_t g, uint32_t b);
// Entries (i, i, i, 0) for i = 0 ... 255.
TPalette GreyPalette();
// r x 65536 + g x 256 + b.
uint32_t ColorFromBytes(uint8_t r, uint8_t g, uint8_t b);
// The lowest and third bytes exchanged, the top byte cleared.
uint32_t SwapRedBlue(uint32_t color);
// A colour value of the level files, sheets and font styles (0x00BBGGRR) as a pixel 0x00RRGGBB.
inline uint32_t GdiToPixel(int32_t color) {
  return SwapRedBlue(static_cast<uint32_t>(color));
}
TPalette SwapPalette(const TPalette& palette);
