// Writing the carried player out: a builder that cannot load it must leave an
// existing file alone, one that can writes exactly its bytes over any length, and a
// build never counts a part as added when the copy could not take it, nor puts such
// a copy in the place of the intro that was there.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "FileReadable.h"
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

// The names of the files in a folder, sorted.
std::vector<std::string> FilesIn(const std::string &folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE)
    return names;
  do
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      names.push_back(found.cFileName);
  while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
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

TEST(WritePlayerCopy, AWriteThatStopsShortIsAFailure) {
  // The host's full device opens but takes no bytes: WriteFile fails as on a full disk.
  const char *full = "Z:\\dev\\full";
  HANDLE device = CreateFileA(full, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
  ASSERT_NE(device, INVALID_HANDLE_VALUE);
  CloseHandle(device);
  EXPECT_FALSE(WritePlayerCopy(PlayerResourceId, int(uintptr_t(RT_RCDATA)), full));
}

TEST(WriteIntroFile, NamesEveryPartTheCopyCouldNotTakeAndKeepsTheEarlierIntro) {
  // The stand-in player is no program, so no resource update of it can be begun. An
  // empty music file adds nothing, but that is the input's fault, not the copy's.
  CreateDirectoryA("kept", nullptr);
  for (const std::string &name : FilesIn("kept"))
    DeleteFileA(("kept\\" + name).c_str());
  Write("kept\\intro.exe", "an intro the user made earlier");
  auto options = std::make_unique<TBuilderOptions>();
  Write("font.tga", "x");
  Write("empty.xm", "");
  SetOptionText(options->FontPath, "font.tga");
  SetOptionText(options->MusicPath, "empty.xm");
  const TIntroWrite written = WriteIntroFile(*options, "kept\\intro.exe");
  EXPECT_FALSE(written.Written);
  EXPECT_EQ(written.NotAdded, (std::vector<std::string>{"font", "settings"}));
  EXPECT_EQ(NotAddedText(written), "font, settings");
  EXPECT_EQ(Contents("kept\\intro.exe"), "an intro the user made earlier");
  // Nothing else is left in the folder: the half-made copy is gone.
  EXPECT_EQ(FilesIn("kept"), std::vector<std::string>{"intro.exe"});
}

TEST(FileReadable, EmptyAndMissingPathsAreNot) {
  EXPECT_FALSE(FileReadable(""));
  EXPECT_FALSE(FileReadable("no such file.tga"));
  Write("present.tga", "x");
  EXPECT_TRUE(FileReadable("present.tga"));
}
