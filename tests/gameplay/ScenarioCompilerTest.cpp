// The scenario compiler: which lines and files it keeps, and that a failure writes nothing.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "assets/FileUtils.h"
#include "gameplay/ScenarioCompiler.h"
#include "gameplay/ScenarioFile.h"

namespace fs = std::filesystem;

namespace {

TEST(ScenarioCompiler, KeepsLinesWithAnEqualsSignEachEndedByOneCr) {
  struct Case {
    const char* text;
    const char* stored;
  } cases[] = {
      {"A=1\r\nB=2\r\n", "A=1\rB=2\r"},
      {"A=1\nB=2", "A=1\rB=2\r"},
      {"A=1\rB=2\r", "A=1\rB=2\r"},
      {"; comment\n\n  \nA = 1 \r\n[section]\n", "A = 1 \r"},
      {"", ""},
      {"\n\n", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(CompileLevelText(c.text), c.stored) << c.text;
}

class Compiler : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = fs::current_path();
    char pattern[] = "/tmp/vor-compile-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    fs::current_path(dir_);
    SetFileMessageHandler([this](const std::string& text) { messages_.push_back(text); });
  }
  void TearDown() override {
    SetFileMessageHandler(nullptr);
    fs::current_path(old_);
    fs::remove_all(dir_);
  }
  static void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
  }
  static std::string Read(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  fs::path old_, dir_;
  std::vector<std::string> messages_;
};

TEST_F(Compiler, BuildsTheScenarioFromTheListedFiles) {
  Write("one.txt", "NAME=One\r\nT1_X=5\r\n\r\nT1_Y=6\r\n");
  Write("Two.txt", "; second\nNAME=Two\nISNIGHT=1\nWINDX=3\n");
  Write("list.txt", "one.txt\r\n\r\n \t\r\ntwo.TXT\r\n");
  ASSERT_TRUE(CompileScenario("list.txt", "out.lev"));
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(Read("out.lev"),
            JoinScenario({"NAME=One\rT1_X=5\rT1_Y=6\r", "NAME=Two\rISNIGHT=1\rWINDX=3\r"}));
}

TEST_F(Compiler, AnUnreadableListShowsTheErrorAndWritesNothing) {
  Write("out.lev", "old");
  EXPECT_FALSE(CompileScenario("missing-list.txt", "out.lev"));
  fs::create_directory("dirlist");
  EXPECT_FALSE(CompileScenario("dirlist", "out.lev"));
  // The compiler's own message only, no read message before it.
  EXPECT_EQ(messages_, (std::vector<std::string>{"Compilation error of file missing-list.txt",
                                                 "Compilation error of file dirlist"}));
  EXPECT_EQ(Read("out.lev"), "old");
}

// Each failure names what is at fault, and the old output (or the list) is left as it was.
TEST_F(Compiler, ALevelThatCannotBeReadOrNoLevelAtAllFailsWithoutWriting) {
  Write("one.txt", "NAME=One\n");
  fs::create_directory("folder.txt");
  Write("out.lev", "old");
  struct Case {
    const char* list;
    const char* out;
    std::vector<std::string> messages;
  } cases[] = {
      {"one.txt\nmissing.txt\n\nfolder.txt\n", "out.lev",
       {"Compilation error of file list.txt: line 2 names the level file 'missing.txt', which "
        "does not exist",
        "Compilation error of file list.txt: line 4 names the level file 'folder.txt', which "
        "is not a regular file"}},
      {"", "out.lev", {"Compilation error of file list.txt: it names no level file"}},
      {"\n \n\t\n", "out.lev", {"Compilation error of file list.txt: it names no level file"}},
      {"one.txt\nout.lev\n", "out.lev",
       {"Compilation error of file list.txt: line 2 names the level file 'out.lev', which is "
        "also the file to write"}},
      {"one.txt\n", "list.txt", {"Compilation error of file list.txt: it is also the file to write"}},
  };
  for (const Case& c : cases) {
    messages_.clear();
    Write("list.txt", c.list);
    EXPECT_FALSE(CompileScenario("list.txt", c.out)) << c.list;
    EXPECT_EQ(messages_, c.messages) << c.list;
    EXPECT_EQ(Read("out.lev"), "old");
    EXPECT_EQ(Read("list.txt"), c.list);
  }
}

// "compile mine.lev mine.list": the scenario read as a list names no file, so the list stays;
// its binary lines are shown with their control bytes escaped, at most ten of them and a count.
TEST_F(Compiler, SwappedArgumentsLeaveTheListAlone) {
  Write("one.txt", "NAME=One\n");
  Write("mine.list", "one.txt\n");
  ASSERT_TRUE(CompileScenario("mine.list", "mine.lev"));
  std::string scenario = Read("mine.lev");
  for (int i = 0; i < 12; ++i) scenario += std::string("x\0y\n", 4);
  Write("mine.lev", scenario);
  messages_.clear();
  EXPECT_FALSE(CompileScenario("mine.lev", "mine.list"));
  EXPECT_EQ(Read("mine.list"), "one.txt\n");
  ASSERT_EQ(messages_.size(), 11u);
  EXPECT_NE(messages_[0].find("line 1 names the level file '\\x01\\x00"), std::string::npos)
      << messages_[0];
  for (const std::string& m : messages_) EXPECT_EQ(m.find('\0'), std::string::npos);
  EXPECT_NE(messages_[10].find("more level files cannot be read"), std::string::npos);
}

}  // namespace
