// Graphics collections (".ccg"), block collections and key/value pairs: parsing damaged files,
// lookups, list files and saving.
#include "assets/Collections.h"

#include "AssetTestSupport.h"
#include "base/Bytes.h"
#include "base/Cp1251.h"

namespace {

// A 24-bit BMP file of w x h pixels.
std::string Bmp(int32_t w, int32_t h) {
  const int32_t row = (w * 3 + 3) / 4 * 4;
  const int32_t pixels = row * h;
  std::string s = "BM" + IntToBytes(54 + pixels) + IntToBytes(0) + IntToBytes(54);
  s += IntToBytes(40) + IntToBytes(w) + IntToBytes(h);
  s += std::string("\x01\x00\x18\x00", 4);
  s += IntToBytes(0) + IntToBytes(pixels) + IntToBytes(2835) + IntToBytes(2835);
  s += IntToBytes(0) + IntToBytes(0);
  s += std::string(static_cast<size_t>(pixels), '\x40');
  return s;
}

// An 8-bit run-length BMP file of w x h pixels that ends at once: a few bytes for any size.
std::string EmptyRleBmp(int32_t w, int32_t h) {
  std::string s = "BM" + IntToBytes(60) + IntToBytes(0) + IntToBytes(58);
  s += IntToBytes(40) + IntToBytes(w) + IntToBytes(h);
  s += std::string("\x01\x00\x08\x00", 4);
  s += IntToBytes(1) + IntToBytes(2) + IntToBytes(2835) + IntToBytes(2835);
  s += IntToBytes(1) + IntToBytes(0) + IntToBytes(0);
  return s + std::string("\x00\x01", 2);
}

// A Windows metafile of 32 bytes whose header claims a file and a record of some thousand million
// words (a renderer trusting them asks for gigabytes).
std::string HugeClaimMetafile() {
  std::string s("\x01\x00\x09\x00\x00\x03", 6);
  s +=
      IntToBytes(0x62000000) + std::string(2, '\0') + IntToBytes(0x62000000) + std::string(2, '\0');
  s += IntToBytes(4) + std::string("\x02\x01\x01\x00", 4);  // SetBkMode
  return s + IntToBytes(3) + std::string(2, '\0');          // end
}

std::string Record(const std::string& name, int32_t w, int32_t h, int32_t tag = 0) {
  return TGraphCollection::FormatRecord(gkBitmap, tag, name, Bmp(w, h));
}

std::vector<std::string> Names(const TGraphCollection& c) {
  std::vector<std::string> names;
  for (int32_t i = 0; i < c.Count(); ++i) names.push_back(c.GetGraphicName(i));
  return names;
}

std::vector<std::string> Names(const TMemoryBlocksCollection& c) {
  std::vector<std::string> names;
  for (int32_t i = 0; i < c.Count(); ++i) names.push_back(c.Strings(i));
  return names;
}

using Names_t = std::vector<std::string>;

// --- Graphics collections ---

using GraphCollection = AssetFilesTest;

TEST_F(GraphCollection, RecordLayout) {
  EXPECT_EQ(TGraphCollection::FormatRecord(2, 0x01020304, "ab", "xyz"),
            std::string("\x07\0\0\0\x02\x04\x03\x02\x01"
                        "ab\x03\0\0\0xyz",
                        18));
}

TEST_F(GraphCollection, DamagedFilesLoadWhatPrecedesTheDamage) {
  const std::string two = Record("a", 2, 3, 11) + Record("b", 4, 1, 22);
  struct Case {
    const char* what;
    std::string bytes;
    Names_t names;
    size_t logged;
  };
  const Case cases[] = {
      {"empty file", "", {}, 0},
      {"one stray byte", two + "\x05", {"a", "b"}, 0},
      {"two stray bytes start a record", two + std::string("\x05\0", 2), {"a", "b"}, 0},
      {"cut picture", two + Record("c", 2, 2).substr(0, 30), {"a", "b"}, 1},
      {"cut name", Record("a", 2, 3) + Record("longname", 1, 1).substr(0, 12), {"a"}, 1},
      {"negative header length ends the parse", Record("a", 1, 1) + IntToBytes(-1) + two, {"a"}, 0},
      {"negative data length ends the parse",
       Record("a", 1, 1) + IntToBytes(6) + "\x01" + IntToBytes(0) + "c" + IntToBytes(-5) + two,
       {"a"},
       0},
      // The header swallows the rest of the file, whose first byte (6) is no known kind.
      {"huge header length", Record("a", 1, 1) + IntToBytes(0x7FFFFFFF) + two, {"a"}, 1},
      {"huge data length",
       Record("a", 1, 1) + IntToBytes(6) + "\x01" + IntToBytes(0) + "c" + IntToBytes(0x7FFFFFFF),
       {"a"},
       1},
      {"short headers are skipped",
       IntToBytes(0) + IntToBytes(0) + IntToBytes(4) + "abcd" + IntToBytes(2) + "zz" + two,
       {"a", "b"},
       0},
      {"duplicate name keeps the first",
       Record("a", 2, 3, 11) + Record("a", 9, 9, 33) + two,
       {"a", "b"},
       0},
      {"unknown kind", TGraphCollection::FormatRecord(7, 0, "k", Bmp(1, 1)) + two, {"a", "b"}, 1},
      {"undecodable picture",
       TGraphCollection::FormatRecord(gkBitmap, 0, "bad", "BMjunk") + two,
       {"a", "b"},
       1},
      {"metafile header sizes past the data",
       TGraphCollection::FormatRecord(gkMetafile, 0, "", HugeClaimMetafile()) + two,
       {"a", "b"},
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    logLines.clear();
    Put("test.ccg", c.bytes);
    TGraphCollection g;
    g.FileName = "test.ccg";
    ASSERT_TRUE(g.Load());
    EXPECT_EQ(Names(g), c.names);
    EXPECT_EQ(logLines.size(), c.logged);
    EXPECT_TRUE(messages.empty());
  }
}

// Each picture is kept decoded and later laid out as a frame of the largest width and height,
// so a small file must not describe more than the budget: pictures past it are skipped, huge ones
// before they are decoded.
TEST_F(GraphCollection, PicturesPastThePixelBudgetAreSkipped) {
  auto rle = [](const char* name, int32_t w, int32_t h) {
    return TGraphCollection::FormatRecord(gkBitmap, 0, name, EmptyRleBmp(w, h));
  };
  const std::string full = rle("full", 8192, 8192);
  ASSERT_EQ(int64_t{8192} * 8192, kMaxCollectionPixels);
  const struct {
    const char* what;
    std::string bytes;
    Names_t names;
  } cases[] = {
      {"one picture fills the budget", full + Record("b", 1, 1), {"full"}},
      {"no room left for it", Record("a", 2, 2) + full + Record("b", 1, 1), {"a", "b"}},
      // Two thin pictures make frames of 16384 x 8192.
      {"frames of the largest width and height",
       rle("wide", 16384, 1) + rle("tall", 1, 8192) + rle("small", 1, 1000),
       {"wide", "small"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    logLines.clear();
    TGraphCollection g;
    g.LoadFromBytes(c.bytes);
    EXPECT_EQ(Names(g), c.names);
    EXPECT_EQ(logLines.size(), 1u);
  }
  TGraphCollection g;
  g.LoadFromBytes(full);
  g.Delete(0);  // gives its room back
  TMemoryStream b(Bmp(1, 1));
  EXPECT_EQ(g.AddGraphic(gkBitmap, "b", b), 0);
}

TEST_F(GraphCollection, EntriesKeepKindTagAndSizes) {
  Put("t.ccg", Record("a", 2, 3, 11) + Record("a", 9, 9, 33) + Record("b", 4, 1, -22));
  TGraphCollection g;
  g.FileName = "t.ccg";
  ASSERT_TRUE(g.Load());
  ASSERT_EQ(g.Count(), 2);
  // The dropped duplicate changes nothing of the entry already there.
  EXPECT_EQ(g.GetTag(0), 11);
  EXPECT_EQ(g.GetTag(1), -22);
  EXPECT_EQ(g.GetKind(1), gkBitmap);
  EXPECT_EQ(g.Strings(1), std::string(1, '\x01') + IntToBytes(-22) + "b");
  EXPECT_EQ(g.GetGraphic(0)->Width(), 2);
  EXPECT_EQ(g.GetGraphic(0)->Height(), 3);
  int32_t w = -1, h = -1;
  g.GetMaxSize(w, h);
  EXPECT_EQ(w, 4);
  EXPECT_EQ(h, 3);

  EXPECT_EQ(g.FindGraphic("b"), 1);
  EXPECT_EQ(g.FindGraphic("B"), -1);  // names are compared byte for byte
  EXPECT_EQ(g.GetGraphic(2), nullptr);
  EXPECT_EQ(g.GetGraphicName(-1), "");

  g.Delete(0);
  EXPECT_EQ(Names(g), Names_t{"b"});
  g.Clear();
  g.GetMaxSize(w, h);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 0);
}

TEST_F(GraphCollection, SaveWritesWhatLoadReads) {
  const std::string file = Record("x", 3, 2, 5) + Record(Cp("имя"), 1, 4, -1);
  Put("in.ccg", file);
  TGraphCollection g;
  g.FileName = "in.ccg";
  ASSERT_TRUE(g.Load());
  g.FileName = "out.ccg";
  ASSERT_TRUE(g.Save());
  EXPECT_EQ(Get("out.ccg"), file);
}

TEST_F(GraphCollection, LoadClearsAndMissingFileIsSilent) {
  Put("a.ccg", Record("a", 1, 1));
  TGraphCollection g;
  g.FileName = "a.ccg";
  ASSERT_TRUE(g.Load());
  ASSERT_TRUE(g.Load());
  EXPECT_EQ(g.Count(), 1);
  g.FileName = "missing.ccg";
  EXPECT_FALSE(g.Load());
  EXPECT_EQ(g.Count(), 0);
  EXPECT_TRUE(messages.empty());
  g.FileName = "A.CCG";  // another letter case finds the file
  ASSERT_TRUE(g.Load());
  EXPECT_EQ(g.Count(), 1);
}

TEST_F(GraphCollection, AddGraphicReadsFromTheStreamPosition) {
  TGraphCollection g;
  TMemoryStream s("prefix" + Bmp(5, 6));
  s.Seek(6);
  EXPECT_EQ(g.AddGraphic(gkBitmap, "p", s), 0);
  EXPECT_EQ(g.GetGraphic(0)->Width(), 5);
  EXPECT_EQ(g.GetGraphicData(0), Bmp(5, 6));
  EXPECT_EQ(g.GetTag(0), 0);
  s.Seek(6);
  EXPECT_EQ(g.AddGraphic(gkBitmap, "p", s), -1);
  EXPECT_EQ(g.Count(), 1);
}

// --- Block collections ---

using BlockCollection = AssetFilesTest;

std::string Block(const std::string& name, const std::string& data) {
  return IntToBytes(static_cast<int32_t>(name.size())) + name +
         IntToBytes(static_cast<int32_t>(data.size())) + data;
}

TEST_F(BlockCollection, DamagedFilesAreCutOrStopped) {
  const std::string good = Block("first", "12345");
  struct Case {
    const char* what;
    std::string bytes;
    bool ok;
    Names_t names;
    std::string lastBlock;
  };
  const Case cases[] = {
      {"empty file", "", true, {}, ""},
      {"data runs past the end",
       good + IntToBytes(2) + "ab" + IntToBytes(100) + "xyz",
       true,
       {"first", "ab"},
       "xyz"},
      {"huge data length",
       good + IntToBytes(1) + "z" + IntToBytes(0x7FFFFFFF) + "q",
       true,
       {"first", "z"},
       "q"},
      {"name runs past the end", good + IntToBytes(100) + "abc", false, {"first"}, "12345"},
      {"huge name length", good + IntToBytes(0x7FFFFFFF) + "abcdefgh", false, {"first"}, "12345"},
      {"name length cut", good + std::string("\x02\0", 2), false, {"first"}, "12345"},
      {"data length cut", good + IntToBytes(1) + "n" + "\x01", false, {"first"}, "12345"},
      {"negative name length", good + IntToBytes(-4) + Block("x", "y"), false, {"first"}, "12345"},
      {"negative data length",
       good + IntToBytes(1) + "n" + IntToBytes(-1) + Block("x", "y"),
       false,
       {"first"},
       "12345"},
      {"empty name and block", Block("", "") + good, true, {"", "first"}, "12345"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Put("graph.dat", c.bytes);
    TMemoryBlocksCollection b;
    b.FileName = "graph.dat";
    EXPECT_EQ(b.Load(), c.ok);
    EXPECT_EQ(Names(b), c.names);
    if (b.Count() > 0) {
      EXPECT_EQ(b.GetBlock(b.Count() - 1)->Bytes(), c.lastBlock);
    }
  }
  TMemoryBlocksCollection b;
  b.FileName = "missing.dat";
  EXPECT_FALSE(b.Load());
  EXPECT_TRUE(messages.empty());
}

TEST_F(BlockCollection, SaveAndLoadGiveTheSameEntries) {
  TMemoryBlocksCollection b;
  b.FileName = "graph.dat";
  b.AddBlock("backgrounds", std::string("\0\x01\x02", 3));
  b.AddBlock("letters", "");
  b.AddBlock("backgrounds", "second");  // duplicates are allowed
  b.AddBlock("null", std::unique_ptr<TMemoryStream>());
  ASSERT_TRUE(b.Save());
  const std::string file = Get("graph.dat");
  EXPECT_EQ(file.size(), (8 + 11 + 3) + (8 + 7) + (8 + 11 + 6) + (8 + 4));
  EXPECT_EQ(file, b.SaveToBytes());

  TMemoryBlocksCollection c;
  c.AddBlock("kept", "k");  // Load appends
  c.FileName = "graph.dat";
  ASSERT_TRUE(c.Load());
  EXPECT_EQ(Names(c), (Names_t{"kept", "backgrounds", "letters", "backgrounds", "null"}));
  EXPECT_EQ(c.GetBlock(1)->Bytes(), std::string("\0\x01\x02", 3));
  EXPECT_EQ(c.GetBlock(3)->Bytes(), "second");
  EXPECT_EQ(c.GetBlock(4)->Size(), 0u);
  EXPECT_EQ(c.GetBlock(5), nullptr);

  b.FileName = "no/such/folder/graph.dat";
  EXPECT_FALSE(b.Save());
}

TEST_F(BlockCollection, LookupByNameIgnoresLetterCase) {
  TMemoryBlocksCollection b;
  b.AddBlock("magnet_b", "1");
  b.AddBlock("Letters", "2");
  b.AddBlock("LETTERS", "3");
  b.AddBlock(Cp("Фон"), "4");
  EXPECT_EQ(b.IndexOf("letters"), 1);
  EXPECT_EQ(b.IndexOf("MAGNET_B"), 0);
  EXPECT_EQ(b.IndexOf(Cp("фОН")), 3);
  EXPECT_EQ(b.IndexOf("magnet"), -1);
  EXPECT_EQ(b.IndexOf(""), -1);
  b.Delete(1);
  EXPECT_EQ(b.IndexOf("letters"), 1);
  EXPECT_EQ(b.GetBlock(1)->Bytes(), "3");
}

TEST_F(BlockCollection, BuildFromListUsesOnlyUsableLines) {
  Put("a.wav", "AAAA");
  Put("B.WAV", std::string("B\0B", 3));
  Put("list.txt",
      "shot\ta.wav\r\n"
      "  miss \t  b.wav  \r\n"  // trimmed; the file is found under another letter case
      "no tab here\n"
      "\tc.wav\n"
      "empty path\t   \r"
      "   \t  \n"
      "again\ta.wav");
  TMemoryBlocksCollection b;
  b.AddBlock("old", "cleared");
  b.FileName = "wave.col";
  ASSERT_TRUE(b.BuildFromList("list.txt"));
  EXPECT_EQ(Names(b), (Names_t{"shot", "miss", "again"}));
  EXPECT_EQ(b.GetBlock(1)->Bytes(), std::string("B\0B", 3));
  EXPECT_EQ(Get("wave.col"), b.SaveToBytes());
  EXPECT_TRUE(messages.empty());
}

TEST_F(BlockCollection, BuildFromListSkipsMissingFilesButStillSaves) {
  Put("a.wav", "AAAA");
  Put("list.txt", "one\ta.wav\ntwo\tmissing.wav\nthree\ta.wav\n");
  TMemoryBlocksCollection b;
  b.FileName = "wave.col";
  EXPECT_FALSE(b.BuildFromList("list.txt"));
  EXPECT_EQ(Names(b), (Names_t{"one", "three"}));
  EXPECT_EQ(Get("wave.col"), b.SaveToBytes());

  EXPECT_FALSE(b.BuildFromList("nolist.txt"));
  EXPECT_EQ(b.Count(), 0);
}

// --- Key/value pairs ---

TEST(IndexCollection, GetBoolIsFalseOnlyForALeadingZero) {
  struct Case {
    const char* value;
    bool result;
  };
  TIndexCollection c;
  for (const Case& k : {Case{"0", false}, Case{"00", false}, Case{"0abc", false}, Case{"1", true},
                        Case{"2", true}, Case{"yes", true}, Case{" 0", true}, Case{"-0", true}}) {
    c.AddValue("K", k.value);
    EXPECT_EQ(c.GetBool(c.Count() - 1), k.result) << k.value;
    bool v = !k.result;
    ASSERT_TRUE(c.TryGetBool(c.Count() - 1, v));
    EXPECT_EQ(v, k.result) << k.value;
  }
  // An empty value is no Boolean: the level parser treats it as an error.
  c.AddValue("EMPTY", "");
  bool v = false;
  EXPECT_FALSE(c.TryGetBool(c.Count() - 1, v));
  EXPECT_FALSE(c.TryGetBool(-1, v));
}

TEST(IndexCollection, GetIntReadsTheLevelIntegerSyntax) {
  struct Case {
    const char* value;
    int32_t result;
    bool valid;
  };
  TIndexCollection c;
  for (const Case& k :
       {Case{"12", 12, true}, Case{"-5", -5, true}, Case{"  7", 7, true}, Case{"$1F", 31, true},
        Case{"0x10", 16, true}, Case{"abc", 0, false}, Case{"", 0, false}, Case{"12abc", 0, false},
        Case{"1 2", 0, false}, Case{"2147483647", INT32_MAX, true}, Case{"2147483648", 0, false},
        // A tab before the number is a blank; after it, it is not.
        Case{"\t7", 7, true}, Case{" \t-3", -3, true}, Case{"\t$1F", 31, true},
        Case{"7\t", 0, false}}) {
    c.AddValue("K", k.value);
    const int32_t i = c.Count() - 1;
    EXPECT_EQ(c.GetInt(i), k.result) << k.value;
    int32_t v = -99;
    EXPECT_EQ(c.TryGetInt(i, v), k.valid) << k.value;
    if (k.valid) {
      EXPECT_EQ(v, k.result);
    }
  }
  EXPECT_EQ(c.GetInt(c.Count()), 0);
}

TEST(IndexCollection, KeysAreExactAndTheFirstDuplicateWins) {
  TIndexCollection c;
  c.AddValue("KEY", "first");
  c.AddValue("KEY2", "=x=");
  c.AddValue("KEY", "second");
  c.AddValue("", "no key");
  EXPECT_EQ(c.Strings(0), IntToBytes(3) + "KEYfirst");
  EXPECT_EQ(c.FindKey("KEY"), 0);
  EXPECT_EQ(c.FindKey("key"), -1);
  EXPECT_EQ(c.FindKey("KEY2"), 1);
  EXPECT_EQ(c.FindKey("KE"), -1);
  EXPECT_EQ(c.FindKey(""), 3);
  EXPECT_EQ(c.GetValue(1), "=x=");
  EXPECT_EQ(c.GetKey(3), "");
  EXPECT_EQ(c.GetValue(3), "no key");
  EXPECT_EQ(c.GetKey(4), "");
  EXPECT_EQ(c.GetValue(-1), "");
  c.Delete(0);
  EXPECT_EQ(c.GetValue(c.FindKey("KEY")), "second");
}

}  // namespace
