// Writing the carried player out: a builder that cannot load it must leave an
// existing file alone, and one that can writes exactly its bytes over any length.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "IntroCreation.h"

namespace {
std::string Contents(const char *path) {
  std::string bytes;
  if (FILE *f = std::fopen(path, "rb")) {
    char block[4096];
    size_t n;
    while ((n = std::fread(block, 1, sizeof block, f)) > 0)
      bytes.append(block, n);
    std::fclose(f);
  }
  return bytes;
}

void Write(const char *path, const std::string &bytes) {
  FILE *f = std::fopen(path, "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}
} // namespace

TEST(WritePlayerCopy, WithoutThePlayerLeavesAnExistingFileWhole) {
  Write("existing.exe", "an intro the user made earlier");
  EXPECT_FALSE(WritePlayerCopy(1301, int(uintptr_t(RT_RCDATA)), "existing.exe"));
  EXPECT_EQ(Contents("existing.exe"), "an intro the user made earlier");
}

TEST(WritePlayerCopy, WritesTheResourceOverALongerFile) {
  Write("copy.exe", std::string(10000, 'x'));
  ASSERT_TRUE(WritePlayerCopy(PlayerResourceId, int(uintptr_t(RT_RCDATA)), "copy.exe"));
  EXPECT_EQ(Contents("copy.exe"), std::string("the player", 10));
}

TEST(FileReadable, EmptyAndMissingPathsAreNot) {
  EXPECT_FALSE(FileReadable(""));
  EXPECT_FALSE(FileReadable("no such file.tga"));
  Write("present.tga", "x");
  EXPECT_TRUE(FileReadable("present.tga"));
}
