// Shared fixture of the asset tests: a fresh folder that is the current folder during the test,
// and the messages and log lines the asset library reported.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "assets/FileUtils.h"

class AssetFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (std::filesystem::temp_directory_path() / "vor-assets-XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    old_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
    SetFileMessageHandler([this](const std::string& t) { messages.push_back(t); });
    SetAssetLogHandler([this](const std::string& t) { logLines.push_back(t); });
  }
  void TearDown() override {
    SetFileMessageHandler(nullptr);
    SetAssetLogHandler(nullptr);
    std::filesystem::current_path(old_);
    std::filesystem::remove_all(dir_);
  }

  static void Put(const std::string& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
  }
  static std::string Get(const std::string& name) {
    std::ifstream f(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
  }
  // Names of the files in the test folder.
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir_))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  std::vector<std::string> messages, logLines;

 private:
  std::filesystem::path dir_, old_;
};
