// Scenario files (".lev") and the small pieces of the level text format that need no game object.
//
// Scenario file, integers signed 32-bit little-endian:
//
//   offset  size  field
//   0       4     level count N
//   4       252   zero bytes
//   256     512   offset table, room for 128 entries: entry i (1-based) at 256 + 4(i-1) is where
//                 the text of level i starts, counted from byte 768; unused entries are zero
//   768     ...   body: the level texts one after another, nothing between them
//
// Level i runs from entry i to entry i+1; the last stored level runs to the end of the body. Only
// the first 100 levels are used; when more are stored, level 100 ends at entry 101.
//
// Level text: lines each ended by one CR, of the form KEY=value (see Scenario.cpp).
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "assets/FileUtils.h"

#include "gameplay/LevelTypes.h"

constexpr int kMaxScenarioLevels = 100;
// The backgrounds and target pictures the game ships with (the data maker draws them): the level
// parser counts with them before the sheets are loaded, and the authors' lint holds indexes
// against them.
constexpr int32_t kShippedBackgrounds = 26;
constexpr int32_t kShippedTargetPictures = 23;
constexpr size_t kScenarioCountSize = 256;
constexpr size_t kScenarioTableSize = 512;
constexpr size_t kScenarioHeaderSize = kScenarioCountSize + kScenarioTableSize;

// Cuts a scenario file's bytes into level texts. False, with levels empty, when the file is
// shorter than its header or an offset it uses is negative, runs backwards or points past the
// body. A count of 0 or below gives no levels and true.
[[nodiscard]] bool SplitScenario(const std::string& file, std::vector<std::string>& levels);

// A scenario file holding the given level texts. The table keeps the first 128 offsets; the count
// is the number of texts.
std::string JoinScenario(const std::vector<std::string>& levels);

class TIndexCollection;

// The KEY=value pairs of a level text in text order: the text is cut at every CR; a piece holding
// "=" gives the key before its first "=" (ASCII letters upper-cased) and the value after it; other
// pieces are left out.
void SplitLevelText(const std::string& text, TIndexCollection& keys);

// Reads a path value "x,y,n:x,y,n:..." into points 0..19, each number up to the next ",". A missing
// or invalid number reads as 0; points past the 20th are ignored, points not named are untouched.
// note, when given, hears of each part of the value that is not read as written.
void ParsePathPoints(std::string_view value, TPathPoint (&points)[kPathPoints],
                     const std::function<void(const std::string&)>& note = nullptr);

// A random target picture for a sheet of count pictures: never picture 0, unless it is the only
// one (then 0; also for an empty sheet).
int32_t RandomPictureIndex(int32_t count);

// The table of records that belongs to a scenario: the file name without directories, cut at its
// first ".", followed by ".tbl" ("main.lev" gives "main.tbl", "a.b.lev" gives "a.tbl").
std::string RecordsFileName(const std::string& scenarioFile);

// Names (no directories) of the regular files in the folders whose name ends in ".lev" in any
// letter case, sorted ignoring letter case (then by bytes) so every machine steps through them in
// one order; a name in more than one folder counts once. The default is every folder the game
// reads bare names from.
std::vector<std::string> ListScenarioFiles(const std::vector<std::string>& dirs = LookupFolders());
