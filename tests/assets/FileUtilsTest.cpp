// Whole-file reading and writing, atomic replacement, letter-case tolerant names, AngleOf and the
// colour functions.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <numbers>

#include "AssetTestSupport.h"
#include "base/Cp1251.h"
#include "platform/InputFile.h"
#include "platform/OutputFile.h"

namespace {

std::string Pattern(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i * 7 % 256);
  return s;
}

using FileHelpers = AssetFilesTest;

TEST_F(FileHelpers, ReadFileToStringStopsAfterThePieceThatReachesTheLimit) {
  const std::string data = Pattern(10000);
  Put("big.bin", data);
  struct Case {
    int32_t limit;
    size_t expected;
  };
  for (const Case c :
       {Case{0, 10000}, Case{10, 4096}, Case{4096, 4096}, Case{4097, 8192}, Case{20000, 10000}}) {
    std::string text = "stale";
    ASSERT_TRUE(ReadFileToString("big.bin", text, c.limit)) << c.limit;
    EXPECT_EQ(text, data.substr(0, c.expected)) << c.limit;
  }
  Put("empty.bin", "");
  std::string text = "stale";
  EXPECT_TRUE(ReadFileToString("empty.bin", text));
  EXPECT_EQ(text, "");
  EXPECT_TRUE(messages.empty());
}

TEST_F(FileHelpers, ReadFileToListGivesPiecesOf4096Bytes) {
  struct Case {
    size_t size;
    std::vector<size_t> pieces;
  };
  for (const Case& c :
       {Case{10000, {4096, 4096, 1808}}, Case{8192, {4096, 4096}}, Case{1, {1}}, Case{0, {}}}) {
    const std::string data = Pattern(c.size);
    Put("f.bin", data);
    std::vector<std::string> list{"stale"};
    ASSERT_TRUE(ReadFileToList("f.bin", list));
    std::vector<size_t> sizes;
    std::string joined;
    for (const auto& p : list) {
      sizes.push_back(p.size());
      joined += p;
    }
    EXPECT_EQ(sizes, c.pieces) << c.size;
    EXPECT_EQ(joined, data);
  }
}

TEST_F(FileHelpers, MissingFileIsSilentReadErrorIsReported) {
  std::string text = "stale";
  std::vector<std::string> list{"stale"};
  EXPECT_FALSE(ReadFileToString("missing.txt", text));
  EXPECT_FALSE(ReadFileToList("missing.txt", list));
  EXPECT_EQ(text, "");
  EXPECT_TRUE(list.empty());
  EXPECT_TRUE(messages.empty());

  // A folder exists but cannot be read as a file.
  std::filesystem::create_directory("folder");
  EXPECT_FALSE(ReadFileToString("folder", text));
  EXPECT_FALSE(ReadFileToList("folder", list));
  EXPECT_EQ(text, "");
  EXPECT_EQ(messages, std::vector<std::string>(2, Cp("Ошибка чтения файла folder")));
}

TEST_F(FileHelpers, WriteStringToFileReplacesAndKeepsZeroBytes) {
  const std::string data = std::string("a\0b", 3) + Pattern(9000);
  Put("out.bin", "old contents that are longer than nothing");
  ASSERT_TRUE(WriteStringToFile("out.bin", data));
  EXPECT_EQ(Get("out.bin"), data);
  ASSERT_TRUE(WriteStringToFile("empty.bin", ""));
  EXPECT_TRUE(std::filesystem::exists("empty.bin"));
  EXPECT_EQ(Get("empty.bin"), "");
  // No temporary file is left behind.
  EXPECT_EQ(Files(), (std::vector<std::string>{"empty.bin", "out.bin"}));
  EXPECT_TRUE(messages.empty());
}

TEST_F(FileHelpers, FailedWriteKeepsTheOldFileAndLeavesNoTemporary) {
  Put("table.tbl", "old");
  // A file size limit makes the write fail part way (as a full disk would), even for root.
  rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 100;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool ok = WriteStringToFile("table.tbl", Pattern(5000));
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(ok);
  EXPECT_EQ(Get("table.tbl"), "old");
  EXPECT_EQ(Files(), std::vector<std::string>{"table.tbl"});
  EXPECT_EQ(messages, std::vector<std::string>{Cp("Ошибка записи в файл table.tbl")});
}

TEST_F(FileHelpers, ASaveRemovesTheTemporariesKilledSavesOfTheSameFileLeft) {
  std::filesystem::create_directories("sub/.main.tbl.Dir123");
  const std::vector<std::string> kept = {".main.tbl.12345",    // not six characters
                                         ".main.tbl.1234567",  // nor seven
                                         ".main.tbl.ab-123",   // not mkstemp's letters and digits
                                         ".other.tbl.aB3xY9",  // another file's
                                         ".Main.tbl.aB3xY9",  // another letter case is another name
                                         "main.tbl.aB3xY9",   // not hidden
                                         "main.tbl.bad"};
  for (const std::string& f : kept) Put(f, "keep");
  Put(".main.tbl.aB3xY9", "stale");
  Put(".main.tbl.000000", "stale");
  Put("sub/.main.tbl.aB3xY9", "another folder's");
  ASSERT_TRUE(WriteStringToFile("main.tbl", "table"));

  std::vector<std::string> expected = kept;
  expected.insert(expected.end(), {"main.tbl", "sub"});
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Files(), expected);
  EXPECT_EQ(Get("sub/.main.tbl.aB3xY9"), "another folder's");
  EXPECT_TRUE(std::filesystem::is_directory("sub/.main.tbl.Dir123"));
  // A save in the subfolder clears that folder's own, and leaves the folder of that name alone.
  ASSERT_TRUE(WriteStringToFile("sub/main.tbl", "table"));
  EXPECT_FALSE(std::filesystem::exists("sub/.main.tbl.aB3xY9"));
  EXPECT_TRUE(std::filesystem::is_directory("sub/.main.tbl.Dir123"));
}

TEST_F(FileHelpers, WriteIntoAMissingFolderFails) {
  EXPECT_FALSE(WriteStringToFile("nowhere/x.txt", "x"));
  EXPECT_FALSE(WriteFileAtomically("nowhere/x.txt", "x"));
  EXPECT_EQ(messages, std::vector<std::string>{Cp("Ошибка записи в файл nowhere/x.txt")});
}

// A pipe, a device or a folder where a file is expected is named and refused, never read: a
// pipe would keep the reader waiting forever (the alarm ends the test if it does), /dev/zero
// never ends.
TEST_F(FileHelpers, SpecialFilesAreRefusedWithoutBeingRead) {
  ASSERT_EQ(::mkfifo("pipe.lev", 0600), 0);
  ASSERT_EQ(::symlink("pipe.lev", "link.tbl"), 0);
  std::filesystem::create_directory("folder.dat");
  struct Case {
    const char* name;
    const char* kind;
  };
  ::alarm(20);
  for (const Case& c : {Case{"pipe.lev", "a FIFO"}, Case{"link.tbl", "a FIFO"},
                        Case{"folder.dat", "a folder"}, Case{"/dev/zero", "a character device"}}) {
    messages.clear();
    const std::string said = std::string("vor: cannot read ") + c.name +
                             ": not a regular file (" + c.kind + ")\n";
    std::string text = "stale";
    std::vector<std::string> list{"stale"};
    testing::internal::CaptureStderr();
    EXPECT_FALSE(ReadFileToString(c.name, text)) << c.name;
    EXPECT_FALSE(ReadFileToString(c.name, text, 10)) << c.name;
    EXPECT_FALSE(ReadFileQuietly(c.name, text)) << c.name;
    EXPECT_FALSE(ReadFileToList(c.name, list)) << c.name;
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, said + said + said + said);
    EXPECT_EQ(text, "");
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(messages, std::vector<std::string>(3, Cp("Ошибка чтения файла ") + c.name));
  }
  ::alarm(0);
}

// No file makes a read take more than its bound: a larger one is refused before anything is
// read, also a sparse file of 3 GB; a read of the first bytes only is no fault.
TEST_F(FileHelpers, ReadsAreBoundedBySize) {
  const std::string data = Pattern(5000);
  Put("level.txt", data);
  std::string bytes, reason;
  EXPECT_EQ(ReadRegularFile("level.txt", 5000, bytes, reason), ReadOutcome::Ok);
  EXPECT_EQ(bytes, data);
  EXPECT_EQ(ReadRegularFile("level.txt", 4999, bytes, reason), ReadOutcome::TooLarge);
  EXPECT_EQ(bytes, "");
  EXPECT_EQ(reason, "too large (5000 bytes; at most 4999)");
  EXPECT_EQ(ReadRegularFile("level.txt", 396, bytes, reason, true), ReadOutcome::Ok);
  EXPECT_EQ(bytes, data.substr(0, 396));
  EXPECT_EQ(ReadRegularFile("missing.txt", 10, bytes, reason), ReadOutcome::Missing);

  {
    std::ofstream("huge.lev");
  }
  ASSERT_EQ(::truncate("huge.lev", off_t{3} << 30), 0);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(ReadFileQuietly("huge.lev", bytes));
  EXPECT_FALSE(ReadFileToString("huge.lev", bytes, 0, kMaxScenarioFileBytes));
  std::vector<std::string> list;
  EXPECT_FALSE(ReadFileToList("huge.lev", list));
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("vor: cannot read huge.lev: too large (3221225472 bytes; at most " +
                     std::to_string(kMaxDataFileBytes) + ")"),
            std::string::npos)
      << err;
  EXPECT_NE(err.find("at most " + std::to_string(kMaxScenarioFileBytes) + ")"), std::string::npos);
  EXPECT_EQ(messages, std::vector<std::string>(2, Cp("Ошибка чтения файла huge.lev")));
  ASSERT_TRUE(ReadFileToString("huge.lev", bytes, 10));
  EXPECT_EQ(bytes, std::string(4096, '\0'));
}

// The read in place refuses and reads what the bounded reader does, with the same reasons: the
// checks are one piece of code; only where the bytes go differs.
TEST_F(FileHelpers, ReadInPlaceKeepsTheChecksOfTheBoundedReader) {
  Put("level.txt", Pattern(5000));
  Put("empty.txt", "");
  ASSERT_EQ(::mkfifo("pipe.dat", 0600), 0);
  std::filesystem::create_directory("folder.dat");
  {
    std::ofstream("huge.dat");
  }
  ASSERT_EQ(::truncate("huge.dat", off_t{3} << 30), 0);
  struct Case {
    const char* name;
    size_t maxBytes;
    ReadOutcome outcome;
  };
  ::alarm(20);
  for (const Case& c : {Case{"level.txt", 5000, ReadOutcome::Ok},
                        Case{"level.txt", 4999, ReadOutcome::TooLarge},
                        Case{"empty.txt", 10, ReadOutcome::Ok},
                        Case{"missing.txt", 10, ReadOutcome::Missing},
                        Case{"pipe.dat", 10, ReadOutcome::NotRegular},
                        Case{"folder.dat", 10, ReadOutcome::NotRegular},
                        Case{"/dev/zero", 10, ReadOutcome::NotRegular},
                        Case{"huge.dat", kMaxDataFileBytes, ReadOutcome::TooLarge}}) {
    std::string whole = "stale", reason, reasonInPlace = "stale";
    FileBytes inPlace;
    EXPECT_EQ(ReadRegularFile(c.name, c.maxBytes, whole, reason), c.outcome) << c.name;
    EXPECT_EQ(ReadRegularFileInPlace(c.name, c.maxBytes, inPlace, reasonInPlace), c.outcome)
        << c.name;
    EXPECT_EQ(reasonInPlace, reason) << c.name;
    EXPECT_EQ(inPlace.view(), whole) << c.name;
  }
  ::alarm(0);
}

// A save through a symbolic link replaces the file the link leads to and keeps the link, also a
// link to a file not made yet and a link to a link.
TEST_F(FileHelpers, SavesGoThroughSymbolicLinks) {
  std::filesystem::create_directory("real");
  Put("real/main.tbl", "old");
  ASSERT_EQ(::symlink("real/main.tbl", "main.tbl"), 0);
  ASSERT_EQ(::symlink("main.tbl", "again.tbl"), 0);
  ASSERT_EQ(::symlink("real/new.tbl", "new.tbl"), 0);
  ASSERT_TRUE(WriteStringToFile("main.tbl", "first"));
  ASSERT_TRUE(WriteStringToFile("again.tbl", "second"));
  ASSERT_TRUE(WriteStringToFile("new.tbl", "made"));
  for (const char* link : {"main.tbl", "again.tbl", "new.tbl"})
    EXPECT_TRUE(std::filesystem::is_symlink(link)) << link;
  EXPECT_EQ(Get("real/main.tbl"), "second");
  EXPECT_EQ(Get("real/new.tbl"), "made");
  EXPECT_EQ(Files(), (std::vector<std::string>{"again.tbl", "main.tbl", "new.tbl", "real"}));
}

// Copies of the game (processes) saving the same files at once: each update made under the
// file's lock is kept, no save removes another's temporary file (its rename would fail), and no
// temporary or lock file stays.
TEST_F(FileHelpers, CopiesSavingAtOnceKeepEveryUpdate) {
  Put("count.txt", "0");
  constexpr int kCopies = 3, kUpdates = 30;
  const std::string big = Pattern(200000);
  std::vector<pid_t> copies;
  for (int c = 0; c < kCopies; ++c) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      bool ok = true;
      for (int i = 0; i < kUpdates && ok; ++i) {
        {
          const FileLock lock("count.txt");
          std::string text;
          ok = lock.Held() && ReadFileQuietly("count.txt", text) &&
               WriteFileAtomically("count.txt", std::to_string(std::stoi(text) + 1));
        }
        ok = ok && WriteFileAtomically("shared.dat", big);
      }
      ::_exit(ok ? 0 : 1);
    }
    copies.push_back(pid);
  }
  for (const pid_t pid : copies) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a copy failed to save";
  }
  EXPECT_EQ(Get("count.txt"), std::to_string(kCopies * kUpdates));
  EXPECT_EQ(Get("shared.dat"), big);
  EXPECT_EQ(Files(), (std::vector<std::string>{"count.txt", "shared.dat"}));
}

// Dumps and screenshots: a regular file is replaced by a new one (a copy being read, or a kill
// during the write, never sees half of it), a device is written in place.
TEST_F(FileHelpers, WholeFilesReplaceRegularFilesAndWriteDevicesInPlace) {
  Put("dump.json", "old dump");
  ASSERT_EQ(::link("dump.json", "kept.json"), 0);
  std::string reason;
  ASSERT_TRUE(WriteWholeFile("dump.json", "new dump", reason)) << reason;
  EXPECT_EQ(Get("dump.json"), "new dump");
  EXPECT_EQ(Get("kept.json"), "old dump") << "the old file was written over, not replaced";
  ASSERT_TRUE(WriteWholeFile("fresh.json", "{}", reason)) << reason;
  EXPECT_EQ(Get("fresh.json"), "{}");
  ASSERT_TRUE(WriteWholeFile("/dev/null", "nothing", reason)) << reason;
  std::filesystem::create_directory("folder");
  EXPECT_FALSE(WriteWholeFile("folder", "x", reason));
  EXPECT_EQ(reason, "Is a directory");
  EXPECT_EQ(Files(), (std::vector<std::string>{"dump.json", "folder", "fresh.json", "kept.json"}));
}

TEST_F(FileHelpers, NamesDifferingOnlyInLetterCaseAreFound) {
  Put("Main.LEV", "scenario");
  std::filesystem::create_directory("sub");
  Put("sub/Data.Bin", "data");
  Put("both.txt", "lower");
  Put("BOTH.txt", "upper");

  EXPECT_EQ(ResolveFileName("main.lev"), "Main.LEV");
  EXPECT_EQ(ResolveFileName("Main.LEV"), "Main.LEV");
  EXPECT_EQ(ResolveFileName("sub/data.bin"), "sub/Data.Bin");
  EXPECT_EQ(ResolveFileName("both.txt"), "both.txt");  // an exact match wins
  EXPECT_EQ(ResolveFileName("Both.TXT"), "BOTH.txt");  // first in byte order
  EXPECT_EQ(ResolveFileName("other.lev"), "other.lev");
  EXPECT_EQ(ResolveFileName("main.le"), "main.le");

  std::string text;
  ASSERT_TRUE(ReadFileToString("MAIN.lev", text));
  EXPECT_EQ(text, "scenario");
  // Writing under another letter case replaces the file rather than adding a second one.
  ASSERT_TRUE(WriteStringToFile("main.lev", "new"));
  EXPECT_EQ(Get("Main.LEV"), "new");
  EXPECT_EQ(Files(), (std::vector<std::string>{"BOTH.txt", "Main.LEV", "both.txt", "sub"}));
}

TEST(AngleOf, PointsAlongTheVector) {
  constexpr double pi = std::numbers::pi;
  struct Case {
    int32_t dx, dy;
    double angle;
  };
  for (const Case c :
       {Case{0, 0, -pi / 2}, Case{0, 7, pi / 2}, Case{0, -7, -pi / 2}, Case{5, 0, 0},
        Case{-1, 0, pi}, Case{1, -1, -pi / 4}, Case{1, 1, pi / 4}, Case{-1, -1, -3 * pi / 4},
        Case{-1, 1, 3 * pi / 4}, Case{INT32_MIN, 0, pi}, Case{INT32_MIN, INT32_MIN, -3 * pi / 4}}) {
    EXPECT_FLOAT_EQ(AngleOf(c.dx, c.dy), static_cast<float>(c.angle)) << c.dx << "," << c.dy;
  }
}

TEST(ColourFunctions, PixelFormatsMasksAndPalettes) {
  const TPixelFormat f565 = PixelFormatFromCounts(5, 6, 5);
  EXPECT_EQ(f565.RBitMask, 0xF800u);
  EXPECT_EQ(f565.GBitMask, 0x07E0u);
  EXPECT_EQ(f565.BBitMask, 0x001Fu);
  EXPECT_EQ((std::array{f565.RShift, f565.GShift, f565.BShift}), (std::array{8, 3, 3}));
  EXPECT_EQ((std::array{f565.RLoss, f565.GLoss, f565.BLoss}), (std::array{3, 2, 3}));
  const TPixelFormat f888 = PixelFormatFromCounts(8, 8, 8);
  EXPECT_EQ(f888.RBitMask, 0xFF0000u);
  EXPECT_EQ((std::array{f888.RShift, f888.GShift, f888.BShift}), (std::array{16, 8, 0}));
  EXPECT_EQ(PixelFormatFromMasks(0x7C00, 0x03E0, 0x001F), PixelFormatFromCounts(5, 5, 5));

  struct Case {
    uint32_t mask;
    int32_t count;
  };
  for (const Case c : {Case{0, 0}, Case{0x1F, 5}, Case{0xFF00, 8}, Case{0x5, 1},
                       Case{0x80000000u, 0}, Case{0x40000000u, 1}})
    EXPECT_EQ(MaskBitCount(c.mask), c.count) << std::hex << c.mask;

  EXPECT_EQ(MaxInt(-3, -7), -3);
  EXPECT_EQ(ColorFromBytes(1, 2, 3), 0x010203u);
  EXPECT_EQ(SwapRedBlue(0xAA112233u), 0x00332211u);
  const TPalette grey = GreyPalette();
  EXPECT_EQ(grey[0], 0u);
  EXPECT_EQ(grey[1], 0x010101u);
  EXPECT_EQ(grey[255], 0xFFFFFFu);
  TPalette p = grey;
  p[7] = 0xFF0000AAu;
  EXPECT_EQ(SwapPalette(p)[7], 0x00AA0000u);
  EXPECT_EQ(SwapPalette(p)[200], grey[200]);
}

}  // namespace
