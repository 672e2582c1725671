// Screenshots: the PNG encoding reads back as the surface, and every failure is reported with its
// reason and frees what it made (the sanitizer build checks for leaks).
#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "image/Png.h"

namespace {

TEST(Png, EncodedSurfaceReadsBackPixelForPixel) {
  Surface surface(3, 2);
  const uint32_t pixels[6] = {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xFFFFFF, 0x000000};
  for (int i = 0; i < 6; ++i) surface.Row(i / 3)[i % 3] = pixels[i];
  std::string bytes;
  ASSERT_TRUE(EncodePng(surface, bytes));

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()));
  image.format = PNG_FORMAT_RGB;
  ASSERT_EQ(image.width, 3u);
  ASSERT_EQ(image.height, 2u);
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(uint32_t(rgb[i * 3] << 16 | rgb[i * 3 + 1] << 8 | rgb[i * 3 + 2]), pixels[i]) << i;
}

TEST(Png, FailuresSayWhyAndLeaveNothingAllocated) {
  // libpng refuses a picture without pixels: its error path runs.
  Surface empty(0, 0);
  std::string bytes = "old";
  EXPECT_FALSE(EncodePng(empty, bytes));
  EXPECT_TRUE(bytes.empty());

  Surface surface(4, 4);
  std::string reason;
  EXPECT_FALSE(WritePng(empty, "never.png", reason));
  EXPECT_FALSE(std::filesystem::exists("never.png"));
  for (const char* path : {"/dev/full", "no-such-folder/shot.png"}) {
    reason.clear();
    EXPECT_FALSE(WritePng(surface, path, reason)) << path;
    EXPECT_FALSE(reason.empty()) << path;
  }

  const std::string path = (std::filesystem::temp_directory_path() / "vor-png-test.png").string();
  ASSERT_TRUE(WritePng(surface, path, reason)) << reason;
  std::stringstream written;
  written << std::ifstream(path, std::ios::binary).rdbuf();
  std::filesystem::remove(path);
  ASSERT_TRUE(EncodePng(surface, bytes));
  EXPECT_EQ(written.str(), bytes);
}

}  // namespace
