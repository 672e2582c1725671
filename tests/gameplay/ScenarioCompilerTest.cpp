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

TEST_F(Compiler, BuildsTheScenarioFromTheListedFilesSkippingMissingOnes) {
  Write("one.txt", "NAME=One\r\nT1_X=5\r\n\r\nT1_Y=6\r\n");
  Write("Two.txt", "; second\nNAME=Two\nISNIGHT=1\nWINDX=3\n");
  fs::create_directory("folder.txt");
  Write("list.txt", "one.txt\r\nmissing.txt\r\n\r\nfolder.txt\r\ntwo.TXT\r\n");
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

TEST_F(Compiler, AnEmptyListGivesAScenarioWithoutLevels) {
  Write("list.txt", "");
  ASSERT_TRUE(CompileScenario("list.txt", "out.lev"));
  EXPECT_EQ(Read("out.lev"), std::string(768, '\0'));
}

}  // namespace
