// The player's folders: the environment's choices, their defaults, and folders that cannot be made.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/UserDirs.h"

namespace {

// Sets (or with a null value unsets) environment variables for one test and restores them after.
class EnvScope {
 public:
  void Set(const char* name, const char* value) {
    const char* old = std::getenv(name);
    saved_.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~EnvScope() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second)
        setenv(it->first.c_str(), it->second->c_str(), 1);
      else
        unsetenv(it->first.c_str());
    }
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

struct DirCase {
  UserDir kind;
  const char* variable;
  const char* value;  // null: unset
  const char* expected;
};

TEST(UserDirs, VariablesAndDefaults) {
  const DirCase cases[] = {
      {UserDir::Data, "XDG_DATA_HOME", "/x/data", "/x/data/vor"},
      {UserDir::Data, "XDG_DATA_HOME", nullptr, "/home/p/.local/share/vor"},
      {UserDir::Data, "XDG_DATA_HOME", "", "/home/p/.local/share/vor"},
      {UserDir::Data, "XDG_DATA_HOME", "relative/dir", "/home/p/.local/share/vor"},
      {UserDir::Cache, "XDG_CACHE_HOME", "/x/cache", "/x/cache/vor"},
      {UserDir::Cache, "XDG_CACHE_HOME", nullptr, "/home/p/.cache/vor"},
      {UserDir::Config, "XDG_CONFIG_HOME", "/x/config", "/x/config/vor"},
      {UserDir::Config, "XDG_CONFIG_HOME", nullptr, "/home/p/.config/vor"},
      {UserDir::Pictures, "XDG_PICTURES_DIR", "/x/pics", "/x/pics"},
      {UserDir::Pictures, "XDG_PICTURES_DIR", nullptr, "/home/p/Pictures"},
  };
  for (const DirCase& c : cases) {
    EnvScope env;
    env.Set("HOME", "/home/p");
    env.Set("XDG_CONFIG_HOME", "/nonexistent-config");
    env.Set(c.variable, c.value);
    EXPECT_EQ(UserDirPath(c.kind), c.expected)
        << c.variable << "=" << (c.value ? c.value : "(unset)");
  }
}

TEST(UserDirs, NoHomeNoFolder) {
  EnvScope env;
  env.Set("HOME", nullptr);
  env.Set("XDG_DATA_HOME", nullptr);
  EXPECT_EQ(UserDirPath(UserDir::Data), "");
  std::string error;
  EXPECT_FALSE(MakeUserDir("", error));
  EXPECT_NE(error.find("HOME is not set"), std::string::npos) << error;
  // A relative HOME names no folder either, and is said to be relative.
  env.Set("HOME", "home/p");
  EXPECT_EQ(UserDirPath(UserDir::Data), "");
  EXPECT_FALSE(MakeUserDir("", error));
  EXPECT_NE(error.find("HOME is the relative path \"home/p\""), std::string::npos) << error;
}

TEST(UserDirs, PicturesFolderNamedInUserDirsFile) {
  const auto root = std::filesystem::temp_directory_path() / "vor-userdirs-test";
  std::filesystem::remove_all(root);
  std::filesystem::create_directories(root / "config");
  std::ofstream(root / "config" / "user-dirs.dirs") << "# made by the desktop\n"
                                                    << "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n";
  EnvScope env;
  env.Set("HOME", "/home/p");
  env.Set("XDG_PICTURES_DIR", nullptr);
  env.Set("XDG_CONFIG_HOME", (root / "config").c_str());
  EXPECT_EQ(UserDirPath(UserDir::Pictures), "/home/p/Bilder");
  std::filesystem::remove_all(root);
}

TEST(UserDirs, MakesMissingParentsAndNamesWhatFails) {
  const auto root = std::filesystem::temp_directory_path() / "vor-userdirs-make";
  std::filesystem::remove_all(root);
  std::string error;
  const std::string deep = (root / "a" / "b" / "vor").string();
  ASSERT_TRUE(MakeUserDir(deep, error)) << error;
  EXPECT_TRUE(std::filesystem::is_directory(deep));
  EXPECT_TRUE(MakeUserDir(deep, error)) << "an existing folder is fine";

  // A file where a folder should be, as the folder itself or as a parent: "Not a directory".
  std::ofstream(root / "file") << "x";
  for (const auto& path : {root / "file", root / "file" / "sub"}) {
    errno = 0;
    EXPECT_FALSE(MakeUserDir(path.string(), error));
    EXPECT_EQ(errno, ENOTDIR) << path;
    EXPECT_NE(error.find(path.string() + ": Not a directory"), std::string::npos) << error;
  }
  std::filesystem::remove_all(root);
}

}  // namespace
