// The folders behind bare names: an installed game reads its data from one folder and writes only
// into the player's folders, which it makes on first use.
#include <sys/stat.h>

#include "AssetTestSupport.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Names(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class FileFolders : public AssetFilesTest {
 protected:
  void SetUp() override {
    AssetFilesTest::SetUp();
    root = fs::current_path().string();
    fs::create_directory("share");
    folders = {root + "/share", root + "/home/data/vor", root + "/home/cache/vor"};
  }
  void TearDown() override {
    SetFileFolders({});
    AssetFilesTest::TearDown();
  }
  std::string root;
  TFileFolders folders;
};

TEST_F(FileFolders, DataIsReadFromItsFolderAndEveryWriteGoesToThePlayersFolder) {
  Put("share/Main.lev", "levels");
  Put("share/main.tbl", "shipped table");
  Put("main.lev", "not the game's");
  SetFileFolders(folders);
  EXPECT_EQ(LookupFolders(), (std::vector<std::string>{folders.Player, folders.Data}));

  // Letter case is tolerated inside each folder; the current folder is not looked at.
  std::string text;
  ASSERT_TRUE(ReadFileToString("main.lev", text));
  EXPECT_EQ(text, "levels");
  EXPECT_EQ(ResolveFileName("main.lev"), root + "/share/Main.lev");
  EXPECT_FALSE(fs::exists("home")) << "reading made a folder";

  // A write makes the player's folder and leaves the data folder alone; from then on the
  // player's file is the one read.
  ASSERT_TRUE(WriteStringToFile("main.tbl", "player's table"));
  EXPECT_EQ(Get("home/data/vor/main.tbl"), "player's table");
  EXPECT_EQ(Get("share/main.tbl"), "shipped table");
  ASSERT_TRUE(ReadFileToString("main.tbl", text));
  EXPECT_EQ(text, "player's table");
  struct stat st {};
  ASSERT_EQ(::stat("home/data/vor", &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  // A name found nowhere is the player's; a path is just that file.
  EXPECT_EQ(ResolveFileName("new.tbl"), folders.Player + "/new.tbl");
  EXPECT_EQ(WritableFileName("./x.png"), "./x.png");
  ASSERT_TRUE(WriteFileAtomically("./x.png", "picture"));
  EXPECT_EQ(Get("x.png"), "picture");

  // The cache folder is made when its file is written.
  EXPECT_EQ(CacheFileName("graph.dat"), folders.Cache + "/graph.dat");
  EXPECT_FALSE(fs::exists(folders.Cache));
  ASSERT_TRUE(WriteFileAtomically(CacheFileName("graph.dat"), "sheets"));
  EXPECT_EQ(Get("home/cache/vor/graph.dat"), "sheets");
  EXPECT_EQ(Names("share"), (std::vector<std::string>{"Main.lev", "main.tbl"}));

  // Without folders every name is a file of the current folder again.
  SetFileFolders({});
  EXPECT_EQ(LookupFolders(), std::vector<std::string>{"."});
  ASSERT_TRUE(ReadFileToString("main.lev", text));
  EXPECT_EQ(text, "not the game's");
  EXPECT_EQ(CacheFileName("graph.dat"), "graph.dat");
}

TEST_F(FileFolders, AFolderThatCannotBeMadeIsNamedOnceAndItsFilesAreNotWritten) {
  Put("share/main.lev", "levels");
  Put("home", "a file where the folders should be");
  SetFileFolders(folders);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(WriteStringToFile("main.tbl", "table"));
  errno = 0;
  EXPECT_FALSE(WriteFileAtomically("err.txt", "log"));
  EXPECT_EQ(errno, ENOTDIR) << "a file where a folder is needed is not a folder";
  EXPECT_FALSE(WriteFileAtomically(CacheFileName("graph.dat"), "sheets"));
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(messages.size(), 1u);  // the write message of WriteStringToFile
  // Each folder once, by name: the player's and the cache folder.
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 2) << err;
  for (const char* made : {"/home/data", "/home/cache"})
    EXPECT_NE(err.find("cannot make the folder " + root + made), std::string::npos) << err;
  std::string text;
  EXPECT_TRUE(ReadFileToString("main.lev", text)) << "the data stays readable";

  // No player's folder at all (no HOME): reads go on, writes fail with a line on stderr.
  SetFileFolders({folders.Data, "", ""});
  EXPECT_EQ(LookupFolders(), std::vector<std::string>{folders.Data});
  testing::internal::CaptureStderr();
  EXPECT_FALSE(WriteFileAtomically("main.tbl", "table"));
  EXPECT_EQ(CacheFileName("graph.dat"), "");
  EXPECT_NE(testing::internal::GetCapturedStderr().find("HOME"), std::string::npos);
  EXPECT_TRUE(ReadFileToString("main.lev", text));
  EXPECT_EQ(Files(), (std::vector<std::string>{"home", "share"}));
}

}  // namespace
